#pragma once
// The main window's preview panel "视频预览": the player plays the selected job's input file in
// the black render area Panel6, paused on its first picture when a row is selected, with play,
// pause, stop, mute and a position slider, and the snapshot buttons of TSnapshots.
//
//   row selection ─> PreviewRow: slider to 0, the file, OpenPreview (libraries on first use)
//   player OnFileOpen ─> log, video surface = render area, duration, slider range = its width
//   player OnPosition ─> slider value = maximum × position / duration (not while held)
//   slider pressed ─> pause; released ─> seek to value / maximum of the duration, play
//   player OnState ─> log; psStop: the render area shows its idle picture again;
//                     psEnd: back to the start, paused
//
// The window owns the panel object and its controls, and hands over the controls below. The
// panel owns the player and the snapshot commands, and adds two children to Panel6: the idle
// picture, and the screen the video is drawn into, which is shown only while a file is open (the
// video library's window inside it would otherwise cover the idle picture for good).
//
// Free the panel object before its controls (a member of the window does that). GUI thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Src/FFPlay.h"
#include "app/Snapshots.h"
#include "platform/core/Object.h"

class TControl;
class TWinControl;
class TvlSkinSlider;
class TvlSkinGroupBox;

// The controls the window hands over.
struct TPreviewPanelControls {
  TWinControl* Screen = nullptr;    // Panel6, the black render area (200 x 124)
  TvlSkinSlider* Slider = nullptr;  // vlSkinSlider1, the position slider (202 wide)
  // The buttons (skinned push or speed buttons; a button without glyph gets its built-in one).
  TControl* PlayButton = nullptr;      // vlSkinButton13 "播放"
  TControl* PauseButton = nullptr;     // vlSkinButton14 "暂停"
  TControl* StopButton = nullptr;      // vlSkinButton15 "停止"
  TControl* MuteButton = nullptr;      // vlSkinButton16 "静音"
  TControl* UnmuteButton = nullptr;    // vlSkinButton20 "静音", same place, hidden at first
  TControl* SnapshotButton = nullptr;  // vlSkinButton22 "快照"
  TControl* SettingsButton = nullptr;  // vlSkinButton23 "设置", pops up the snapshot menu
};

// What the panel needs of the window.
struct TPreviewPanelHooks {
  // A line for the window's log (mmoLog).
  std::function<void(const std::string&)> Log;
  // Whether a job row is selected.
  std::function<bool()> RowSelected;
  // Gives the keyboard focus to the job list.
  std::function<void()> FocusJobList;
  // The folder dialog shared with the output folder; nothing when cancelled.
  std::function<std::optional<std::string>()> ChooseSnapshotFolder;
};

// The player settings of the controls outside the client area (as their form data has them).
struct TPreviewPlayerSettings {
  bool OpenPaused = true;
  int VideoDriverIndex = 0;  // "Default", "DDraw", "GDI"
  int AudioDriverIndex = 0;  // "Default", "DSound", "waveOut"
};

class TPreviewPanel {
 public:
  // Binds the controls' events, the buttons' hints and glyphs, and the player's events.
  // OptionsFile: "option.ini" (section [SnapShot]). LibraryFolder: where the player's libraries
  // are looked for first (empty: "LibAV" beside the program). DefaultFolder: the snapshot folder
  // while the options file names none.
  TPreviewPanel(const TPreviewPanelControls& Controls, std::string OptionsFile, TPreviewPanelHooks Hooks,
                std::string LibraryFolder = {}, std::string DefaultFolder = DefaultSnapshotFolder());
  // Stops the playback (waiting for it) and lets go of the controls' events.
  ~TPreviewPanel();
  TPreviewPanel(const TPreviewPanel&) = delete;
  TPreviewPanel& operator=(const TPreviewPanel&) = delete;

  // T_Movie_PLayer_FileName: the file the preview opens (the add operations set it as well).
  [[nodiscard]] const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string File) { file_name_ = std::move(File); }

  // Row selection: the slider to 0, the file name, OpenPreview.
  void PreviewRow(const std::string& File);
  // Button31Click: loads the player's libraries on first use (failure: one log line, nothing
  // else), then opens FileName in the render area, paused; a failed open is one log line.
  void OpenPreview();
  // vlSkinButton13Click / vlSkinButton14Click: play or pause; the job list gets the focus.
  void Play();
  void Pause();
  // vlSkinButton15Click: with a row selected, the file opened anew paused at its start; the job
  // list gets the focus. An error on the way ends the playback. Nothing without a selected row.
  void StopAndRewind();
  // vlSkinButton16Click / vlSkinButton20Click: mute or unmute; the other of the two buttons
  // takes the place.
  void Mute();
  void Unmute();
  // vlSkinSlider1MouseDown / vlSkinSlider1MouseUp (any mouse button). The release seeks to the
  // slider's share of the duration and plays; without a known duration it only plays.
  void SliderPressed();
  void SliderReleased();
  // The list cleared, its last row removed, or a click on the list where no row is selected:
  // the playback is stopped (waiting for it) and the panel looks as it did at start-up.
  void ClearPreview();
  // WMWindowPosChanging / WMWindowPosChanged of the main window.
  void WindowMoved();
  // FormCloseQuery: the player's position, state and hook events are let go.
  void DetachPlayerEvents();

  // The player's events (bound to the player by the constructor).
  void FFPlayerFileOpen(int64_t ADuration, int AFrameWidth, int AFrameHeight, int& AScreenWidth, int& AScreenHeight);
  void FFPlayerPosition(int64_t APTS);
  void FFPlayerState(TPlayState AState);

  [[nodiscard]] TFFPlayer& Player() { return *player_; }
  [[nodiscard]] TSnapshots& Snapshots() { return snapshots_; }
  // FDuration: the open file's duration in microseconds (0 before the first open and after a
  // clear, -1 when the file does not tell).
  [[nodiscard]] int64_t Duration() const { return duration_; }
  // vlSkinSlider1_down_UP is "Down".
  [[nodiscard]] bool SliderHeld() const { return slider_held_; }
  // The window the video is drawn into, inside Panel6 (visible while a file is open).
  [[nodiscard]] TWinControl* VideoScreen() const { return video_screen_.Get(); }

  TPreviewPlayerSettings Settings;

 private:
  void BindControls();
  void UnbindControls();
  void Log(const std::string& Line) const;
  void FocusJobList() const;
  // The video screen hidden, the slider at 0, no duration, the render area repainted.
  void RestoreScreen();

  TPreviewPanelHooks hooks_;
  // Weak links to the controls: the window may free them first.
  TWeak<TWinControl> screen_;
  TWeak<TvlSkinSlider> slider_;
  TWeak<TControl> play_, pause_, stop_, mute_, unmute_, snapshot_, settings_;
  TWeak<TWinControl> video_screen_;  // owned by Panel6
  std::unique_ptr<TFFPlayer> player_;
  TSnapshots snapshots_;
  std::string library_folder_;
  std::string file_name_;
  int64_t duration_ = 0;
  bool slider_held_ = false;
};

// The panel's controls laid out as the main window shows them, for a window that builds them in
// code: the group box "视频预览" at 572, 296 (219 x 226) of Parent, holding Panel6 (200 x 124 at
// 9, 27), the slider (202 wide) and the six button places (30 x 30) in a row below. Everything
// is owned by Parent's owner (or Parent).
struct TPreviewPanelLayout {
  TvlSkinGroupBox* Panel = nullptr;
  TPreviewPanelControls Controls;
};
TPreviewPanelLayout CreatePreviewPanelControls(TWinControl* Parent);
