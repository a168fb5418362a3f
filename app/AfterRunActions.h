#pragma once
// What the main window can do once a whole batch of conversions has ended, as the options window
// offers it: open the output folder, shut the computer down, or play the end sound. The
// conversion control calls one of them at the batch end; tests put in their own and count.
// GUI thread only.

#include <string>

#include "platform/core/WavePlayer.h"

class IAfterRunActions {
 public:
  virtual ~IAfterRunActions() = default;
  // Button20Click: shows the output folder (the folder field's text) the way the desktop opens
  // folders. False, with the reason in Error, when no opener of the desktop could be started.
  virtual bool OpenOutputFolder(const std::string& Folder, std::string& Error) = 0;
  // Button25Click: asks the system to power the computer off (never forced). A refused request
  // leaves the system running and reports nothing.
  virtual void ShutDown() = 0;
  // Button29Click: plays "sounds/ring001.wav" beside the program without waiting for it; nothing
  // happens when the file or a sound device is missing.
  virtual void PlayEndSound() = 0;
};

// The message shown when nothing on this desktop could open Target (a folder or an address):
// what to install, then the reason the opener gave.
[[nodiscard]] std::string NoOpenerMessage(const std::string& Target, const std::string& Reason);

// The message shown when the desktop's openers started but none could open Target (xdg-open on a
// desktop without a file manager or browser): what to install for a folder or an address, then
// the reason.
[[nodiscard]] std::string OpenFailedMessage(const std::string& Target, const std::string& Reason);

// The actions on this system: the platform's desktop opener, its power-off request and a sound
// player of its own (the preview player keeps SDL's audio device).
class TSystemAfterRunActions : public IAfterRunActions {
 public:
  // EndSound: the sound file; by default the one beside the program.
  explicit TSystemAfterRunActions(std::string EndSound = DefaultEndSound());

  bool OpenOutputFolder(const std::string& Folder, std::string& Error) override;
  void ShutDown() override;
  void PlayEndSound() override;

  // The program's folder followed by "sounds/ring001.wav".
  [[nodiscard]] static std::string DefaultEndSound();

 private:
  std::string end_sound_;
  TWavePlayer player_;
};
