#pragma once
// The converter's windows in a test: the headless display, the application, a temporary program
// folder and home, scripted dialogs and after-run actions that are counted instead of done. A
// test starts the windows as the program does (CreateConverterWindows), may start them again in
// the same folders (a restart), and reads the log, the rows and the options file.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/ConverterDialogs.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "platform/controls/Application.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/controls/Edit.h"
#include "tests/app/MemoryConversionView.h"
#include "tests/lib/SkinnedTestForm.h"

namespace main_window {

namespace fs = std::filesystem;

// Dialogs answered from a script: each showing takes the next answer (an empty list, or no
// folder, cancels); every message box is noted as "<caption>|<text>".
class TScriptedDialogs : public IConverterDialogs {
 public:
  bool OpenFiles(TOpenDialogState& Dialog) override {
    shownFiles.push_back(Dialog);
    if (files.empty()) return false;
    std::vector<std::string> answer = std::move(files.front());
    files.pop_front();
    if (answer.empty()) return false;
    Dialog.FileName = answer.front();
    Dialog.Files = answer;
    return true;
  }
  bool SelectFolder(TFolderDialogState& Dialog) override {
    shownFolders.push_back(Dialog);
    if (folders.empty()) return false;
    std::optional<std::string> answer = std::move(folders.front());
    folders.pop_front();
    if (!answer) return false;
    Dialog.Directory = *answer;
    return true;
  }
  void ShowMessage(const std::string& Text, const std::string& Caption, TMsgDlgType) override {
    messages.push_back(Caption + "|" + Text);
  }
  // Each question takes the next answer (none left: "否"); noted as "?<caption>|<text>".
  bool Confirm(const std::string& Text, const std::string& Caption) override {
    messages.push_back("?" + Caption + "|" + Text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::deque<std::vector<std::string>> files;
  std::deque<std::optional<std::string>> folders;
  std::deque<bool> answers;
  std::vector<TOpenDialogState> shownFiles;
  std::vector<TFolderDialogState> shownFolders;
  std::vector<std::string> messages;
};

// The folder of the expected pictures, tests/app/expected (named by the build).
inline fs::path ExpectedFolder() { return fs::path(EXPECTED_PICTURES); }

class MainWindowWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    // Selecting a row previews its file: the player draws and plays through SDL's dummy drivers.
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({1280, 1024});
    display->SetWorkArea({0, 0, 1280, 1024});
    display->MouseMove({1279, 1023});
    std::string pattern = (fs::temp_directory_path() / "main-window-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root = pattern;
    fs::create_directories(root / "program");
    fs::create_directories(root / "home");
    setup.Folders.Program = (root / "program").string() + "/";
    setup.Folders.Home = (root / "home").string();
    setup.Dialogs = &dialogs;
    setup.AfterRun = &actions;
  }

  void TearDown() override {
    Close();
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  // Starts the windows as the program does.
  void Start() {
    CreateConverterWindows(app, setup, windows);
    main = windows.Form1;
  }
  // A clips folder and an output folder under the test's folder; the options file names the
  // output folder; then the windows start.
  void StartWithFolders() {
    clips = root / "clips";
    output = root / "out";
    fs::create_directories(clips);
    WriteOptions("[OutPath]\nOutPath=" + output.string() + "\n");
    Start();
  }
  // StartWithFolders, then the main window shown at the screen's top left.
  void StartShownWithFolders() {
    StartWithFolders();
    main->SetBounds(0, 0, main->Width(), main->Height());
    main->Show();
    skinned_test_form::Pump();
  }
  // Ends the windows (closing the main one first when asked), as the end of a run does.
  void Close(bool CloseQuery = true) {
    if (!main) return;
    if (CloseQuery) {
      bool canClose = false;
      main->FormCloseQuery(canClose);
    }
    delete windows.Form6;
    delete windows.Form5;
    delete windows.Form2;
    delete windows.Form1;
    windows = {};
    main = nullptr;
    skinned_test_form::Pump();
  }
  void Restart() {
    Close();
    Start();
  }

  [[nodiscard]] std::string OptionFile() const { return setup.Folders.OptionFile(); }
  [[nodiscard]] std::string OptionText() const {
    std::ifstream in(OptionFile());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void WriteOptions(const std::string& Text) const { std::ofstream(OptionFile()) << Text; }
  [[nodiscard]] std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < main->mmoLog->Lines()->Count(); ++i) lines.push_back(main->mmoLog->Lines()->Strings(i));
    return lines;
  }
  [[nodiscard]] const std::string& Column(int Row, TJobSubItem Item) { return main->Jobs().SubItem(Row, Item); }

  THeadlessDisplay* display = nullptr;
  TApplication app{nullptr};
  fs::path root;
  TScriptedDialogs dialogs;
  memory_conversion::TMemoryAfterRunActions actions;
  TMainWindowSetup setup;
  TConverterWindows windows;
  TForm1* main = nullptr;
  fs::path clips, output;  // StartWithFolders
};

}  // namespace main_window
