#pragma once
// The conversion control's window side in memory: commands with their enabled state, the tool
// bar's pause or resume button, warnings and log lines, and after-run actions that are counted
// instead of carried out.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/AfterRunActions.h"
#include "app/ConversionControl.h"

namespace memory_conversion {

class TMemoryConversionView : public IConversionView {
 public:
  void SetCommandEnabled(TConversionCommand Command, bool Enabled) override { enabled[Command] = Enabled; }
  void ShowPauseButton(bool Pause) override { pauseShown = Pause; }
  void ShowWarning(const std::string& Text) override {
    warnings.push_back(Text);
    if (OnWarning) OnWarning(Text);
  }
  void Log(const std::string& Line) override { log.push_back(Line); }

  // Enabled as the control last set it; a command it never set counts as enabled (the window's
  // form data decides it then).
  [[nodiscard]] bool Enabled(TConversionCommand Command) const {
    const auto it = enabled.find(Command);
    return it == enabled.end() || it->second;
  }

  std::map<TConversionCommand, bool> enabled;
  bool pauseShown = true;
  std::vector<std::string> warnings;
  std::vector<std::string> log;
  std::function<void(const std::string&)> OnWarning;
};

class TMemoryAfterRunActions : public IAfterRunActions {
 public:
  bool OpenOutputFolder(const std::string& Folder, std::string& Error) override {
    calls.push_back("open " + Folder);
    if (!openerMissing) return true;
    Error = "no desktop opener could be started (tried xdg-open, gio open)";
    return false;
  }
  void ShutDown() override { calls.push_back("shut down"); }
  void PlayEndSound() override { calls.push_back("sound"); }

  std::vector<std::string> calls;
  bool openerMissing = false;  // OpenOutputFolder finds no opener
};

}  // namespace memory_conversion
