// The main window's start-up and settings: the options file a first start writes, the commands
// enabled at start, the output folder, the skin setting, the options window and what a restart
// keeps, the log's line format, the open dialogs' filter and the look of the whole window.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>

#include "app/OptionFile.h"
#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/data/vlconst.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/windowing/WindowTree.h"
#include "lib/forms/Velmora.h"
#include "lib/forms/VelmoraObjects.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/data/vlconst.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "lib/controls/vlSkinExCtrls.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/core/Clock.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/windowing/WindowTree.h"
#include "tests/PollUntil.h"
#include "tests/app/MainWindowWorld.h"

namespace {

using namespace main_window;

class MainWindowTest : public MainWindowWorld {
 protected:
  [[nodiscard]] std::string Stored(const std::string& Section, const std::string& Key) const {
    return TOptionFile(OptionFile()).Read(Section, Key);
  }
};

// Every built-in text the converter's windows can show (caption menu and hints, the edits'
// menu, message boxes, the open, save and folder dialogs) reads in Chinese through skin 1; only
// the groups of dialogs the converter never opens keep the library's English.
TEST_F(MainWindowTest, TheSkinnedDialogsAndMenusSpeakChinese) {
  Start();
  const auto unused = [](std::string_view Key) {
    for (std::string_view prefix : {"CALC", "COLORGRID", "CUSTOMCOLORGRID", "ADDCUSTOMCOLOR", "FONTDLG", "DB_",
                                    "PRNDLG", "FIND_", "REPLACE", "NODISK", "NOVALID", "ERROR", "DBNAV"})
      if (Key.substr(0, prefix.size()) == prefix) return true;
    return false;
  };
  std::vector<std::string> english;
  for (const TvlBuiltInText& t : vlBuiltInTexts()) {
    if (unused(t.Name)) continue;
    const std::string shown = vlInterfaceText(main->vlSkinData1, std::string(t.Name).c_str());
    if (shown == t.Text) english.push_back(std::string(t.Name) + "=" + shown);
  }
  EXPECT_TRUE(english.empty()) << ::testing::PrintToString(english);
}

TEST_F(MainWindowTest, AFirstStartWritesTheDefaults) {
  ASSERT_FALSE(fs::exists(OptionFile()));
  Start();
  const std::string output = setup.Folders.Home + "/Qirelo视频软件/输出";
  EXPECT_TRUE(fs::is_directory(output));
  EXPECT_EQ(main->OutputFolder().Text(), output);
  EXPECT_EQ(main->Video_OutPut_Folder_Edit->Text(), output);
  // The sections in the order the windows write them: the output folder, the skin, then the
  // options window's five defaults in its read order.
  EXPECT_EQ(OptionText(),
            "[OutPath]\r\nOutPath=" + output +
                "\r\n\r\n[Skin]\r\nSetSkin=0\r\n\r\n[Options]\r\nThread_Count=1\r\nAfter_Done=0\r\n"
                "Thread_Priority=3\r\nOverwrite_File=1\r\nShow_Preview=0\r\n\r\n");
  EXPECT_FALSE(main->vlSkinData1->Empty) << "skin 1 is loaded";
  EXPECT_FALSE(main->vlSkinData2->Empty) << "the tool skin is loaded";
  EXPECT_EQ(main->vlSkinOfficeComboBox2->ItemIndex(), 0);
  EXPECT_EQ(main->vlSkinOfficeComboBox1->ItemIndex(), 0);
  EXPECT_EQ(main->vlSkinOfficeComboBox1->ItemCount(), 11);
  EXPECT_EQ(main->vlSkinComboBox1->Text(), "保持原分辨率");
  EXPECT_EQ(main->Jobs().Count(), 0);
  EXPECT_TRUE(main->vlSkinPanel5->Visible()) << "the cover lies over the empty list";
  EXPECT_EQ(main->RenderTargets, std::vector<std::string>{"Panel6"});
  EXPECT_FALSE(main->Preview().SliderHeld());
  // The legacy preset window's start-up chain ran after the main window's.
  EXPECT_EQ(main->Chain().Fields().All_Trant_Number, 100);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(app.Title(), "QireloVCD视频格式转换器");
  EXPECT_EQ(app.HelpFile(), setup.Folders.Program + "help.chm");
  EXPECT_EQ(main->Caption(), "QireloVCD视频格式转换器");
  EXPECT_EQ(main->ClientWidth(), 803);
  EXPECT_EQ(main->ClientHeight(), 540);
  // Shown, the window stands in the middle of the desktop.
  main->Show();
  skinned_test_form::Pump();
  EXPECT_NEAR(main->Left() + main->Width() / 2, 640, 1);
  EXPECT_NEAR(main->Top() + main->Height() / 2, 512, 1);
}

TEST_F(MainWindowTest, CommandsEnabledAtStart) {
  Start();
  const struct {
    const char* name;
    TMenuItem* item;
    bool enabled;
  } items[] = {
      {"添加一个文件", main->Item111, true}, {"添加多个文件", main->Item121, true}, {"添加整个目录", main->N21, true},
      {"退出", main->N4, true},            {"上移文件", main->N111, true},    {"下移文件", main->N2221, true},
      {"删除选择", main->N13, false},      {"清空文件", main->N14, false},    {"重新命名", main->N26, false},
      {"开始转换", main->N7, false},       {"停止转换", main->N8, false},     {"暂停转换", main->N10, false},
      {"继续继续", main->N11, false},      {"选项设置", main->N24, true},     {"帮助系统", main->N15, true},
      {"官方网站", main->N19, true},       {"联系邮箱", main->EMAIL1, true},  {"关于软件", main->N5, true},
      {"添加一个文件", main->N11111, true}, {"添加多个文件", main->N2222, true}, {"添加整个目录", main->N3331, true},
  };
  for (const auto& item : items) {
    SCOPED_TRACE(item.name);
    EXPECT_EQ(item.item->Caption(), item.name);
    EXPECT_EQ(item.item->Enabled(), item.enabled);
  }
  const struct {
    const char* name;
    TControl* button;
    bool enabled;
  } buttons[] = {
      {"添加", main->vlSkinMenuSpeedButton1, true}, {"删除", main->vlSkinButton7, false},
      {"清空", main->vlSkinButton8, false},        {"开始", main->vlSkinButton2, false},
      {"停止", main->vlSkinButton10, false},        {"暂停", main->vlSkinButton11, false},
      {"选项", main->vlSkinButton19, true},        {"重命名", main->vlSkinButton21, false},
  };
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.name);
    EXPECT_EQ(button.button->Enabled(), button.enabled);
  }
  EXPECT_TRUE(main->vlSkinButton11->Visible());
  EXPECT_FALSE(main->vlSkinButton12->Visible()) << "继续 waits in 暂停's place";

  // The windows keep their size: no caption offers to maximise, and the dialogs only close.
  using enum TvlBorderIcon;
  EXPECT_EQ(main->vlVelmora1->BorderIcons(), (TvlBorderIcons{biSystemMenu, biMinimize}));
  EXPECT_EQ(windows.Form2->vlVelmora1->BorderIcons(), TvlBorderIcons{biSystemMenu});
  EXPECT_EQ(windows.Form5->vlVelmora1->BorderIcons(), TvlBorderIcons{biSystemMenu});
}

// The about window names the version the build gave the program, inside its card and above the
// button.
TEST_F(MainWindowTest, TheAboutWindowShowsTheBuildsVersion) {
  Start();
  TForm2* about = windows.Form2;
  ASSERT_NE(about->VersionLabel, nullptr);
  EXPECT_FALSE(ProgramVersion().empty());
  EXPECT_EQ(ProgramVersion(), CONVERTER_VERSION);
  EXPECT_EQ(about->VersionLabel->Caption(), std::string("版本：") + CONVERTER_VERSION);
  const TRect version = about->VersionLabel->BoundsRect();
  const TRect card = about->VersionLabel->Parent()->BoundsRect();
  EXPECT_LE(card.Top + version.Bottom, card.Bottom);
  EXPECT_LE(card.Bottom, about->Button1->Top()) << "the button stays below the card";
  EXPECT_LE(about->Button1->Top() + about->Button1->Height(), about->ClientHeight());
}

// The menu bar opens the window's menus through the form skinner: a click on 编辑 shows its rows,
// with the commands of an empty list greyed.
TEST_F(MainWindowTest, TheMenuBarOpensTheWindowsMenus) {
  Start();
  main->SetBounds(0, 0, main->Width(), main->Height());
  main->Show();
  skinned_test_form::Pump();
  TvlSkinMainMenuBar* bar = main->vlSkinMainMenuBar1;
  ASSERT_EQ(bar->ObjectList.size(), 4u);
  const auto centre = [bar](int i) {
    const TRect r = bar->ObjectList[static_cast<std::size_t>(i)]->ObjectRect;
    return bar->ClientToScreen(TPoint{r.Left + r.Width() / 2, r.Top + r.Height() / 2});
  };
  display->Click(centre(1));
  skinned_test_form::Pump();
  ASSERT_TRUE(main->vlVelmora1->InMainMenu);
  ASSERT_EQ(main->vlVelmora1->SkinMenu->LevelCount(), 1);
  std::vector<std::string> rows;
  for (auto& row : main->vlVelmora1->SkinMenu->Level(0)->ItemList)
    rows.push_back(row->MenuItem()->Caption() + (row->MenuItem()->Enabled() ? "" : " (off)"));
  EXPECT_EQ(rows, (std::vector<std::string>{"上移文件", "下移文件", "-", "删除选择 (off)", "清空文件 (off)", "-",
                                            "重新命名 (off)"}));
  const TRect w = main->BoundsRect();
  const TRect r{w.Left, w.Top, w.Right, w.Top + 300};
  skinned_test_form::CompareWithExpected(skinned_test_form::Shot(display, r), r.Width(), r.Height(),
                                         ExpectedFolder(), "main_window_edit_menu");
}

// 选项设置, the "选项" tool button and 关于软件 show their window modally in the middle of the
// main window (each closed by its own button); 退出 closes the main window through its close
// query.
TEST_F(MainWindowTest, WindowCommandsShowTheOptionsAndAboutWindowsAndExitCloses) {
  Start();
  main->Show();
  skinned_test_form::Pump();
  const struct {
    const char* name;
    std::function<void()> command;
    TForm* shown;
    std::function<void()> close;
  } cases[] = {
      {"选项设置", [this] { main->N24->Click(); }, windows.Form5, [this] { windows.Form5->vlSkinButton1->Click(); }},
      {"选项", [this] { main->vlSkinButton19->Click(); }, windows.Form5,
       [this] { windows.Form5->vlSkinButton1->Click(); }},
      {"关于软件", [this] { main->N5->Click(); }, windows.Form2, [this] { windows.Form2->Button1->Click(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TCustomForm* active = nullptr;
    bool modal = false;
    TRect shownAt{};
    Screen()->OnActiveFormChange = [&](TObject*) {
      if (active || Screen()->ActiveForm() == main) return;
      active = Screen()->ActiveForm();
      modal = active && !IsWindowEnabled(main->Handle());
      if (active) shownAt = active->BoundsRect();
      c.close();
    };
    c.command();
    Screen()->OnActiveFormChange = nullptr;
    EXPECT_EQ(active, c.shown);
    EXPECT_TRUE(modal) << "the main window waits while it is shown";
    const TRect frame = main->BoundsRect();
    EXPECT_NEAR(shownAt.Left + shownAt.Width() / 2, frame.Left + frame.Width() / 2, 1);
    EXPECT_NEAR(shownAt.Top + shownAt.Height() / 2, frame.Top + frame.Height() / 2, 1);
    EXPECT_FALSE(c.shown->Visible()) << "hidden again, not destroyed";
  }
  EXPECT_EQ(Stored("Options", "Thread_Priority"), "3") << "closed by Cancel: nothing written";

  ASSERT_EQ(app.MainForm(), main);
  main->N4->Click();  // 退出
  app.ProcessMessages();
  EXPECT_TRUE(app.Terminated()) << "closing the main window ends the run";
  EXPECT_FALSE(main->Convexa->OnTerminate || main->FFLogger->OnLog) << "the close query ran";
}

// A press anywhere on "添加" opens its menu; each of its rows runs its add and shows that add's
// dialog (each cancelled here).
TEST_F(MainWindowTest, TheAddButtonsMenuRunsTheThreeAdds) {
  Start();
  main->SetBounds(0, 0, main->Width(), main->Height());
  main->Show();
  skinned_test_form::Pump();
  const struct {
    const char* caption;
    std::size_t openDialogs;
    bool severalFiles;
    std::size_t folderDialogs;
  } rows[] = {{"添加一个文件", 1, false, 0}, {"添加多个文件", 1, true, 0}, {"添加整个目录", 0, false, 1}};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].caption);
    dialogs.shownFiles.clear();
    dialogs.shownFolders.clear();
    TvlSkinMenuSpeedButton* add = main->vlSkinMenuSpeedButton1;
    display->Click(add->ClientToScreen(TPoint{add->Width() / 2, add->Height() / 2}));
    skinned_test_form::Pump();
    TvlSkinMenu* chain = main->vlVelmora1->SkinMenu;
    ASSERT_EQ(chain->LevelCount(), 1);
    TvlSkinPopupWindow* level = chain->Level(0);
    ASSERT_EQ(level->ItemList.size(), 3u);
    EXPECT_EQ(level->ItemList[i]->MenuItem()->Caption(), rows[i].caption);
    const TRect row = level->ItemList[i]->ObjectRect;
    display->Click({level->Left() + row.Left + 10, level->Top() + row.Top + row.Height() / 2});
    skinned_test_form::Pump();
    ASSERT_EQ(dialogs.shownFiles.size(), rows[i].openDialogs);
    if (rows[i].openDialogs > 0) {
      EXPECT_EQ(dialogs.shownFiles[0].MultiSelection, rows[i].severalFiles);
      EXPECT_EQ(dialogs.shownFiles[0].Title, "打开文件");
    }
    EXPECT_EQ(dialogs.shownFolders.size(), rows[i].folderDialogs);
    EXPECT_FALSE(add->MenuTracked());
  }
  EXPECT_EQ(main->Jobs().Count(), 0);
}

// The help menu opens the maker's pages through the desktop's opener.
TEST_F(MainWindowTest, HelpCommandsOpenTheMakersPages) {
  Start();
  std::vector<std::string> opened;
  const TDesktopOpener previous = SetDesktopOpener([&](const std::string& Target, std::string&) {
    opened.push_back(Target);
    return true;
  });
  main->N15->Click();
  main->N19->Click();
  main->EMAIL1->Click();
  SetDesktopOpener(previous);
  EXPECT_EQ(opened, (std::vector<std::string>{"https://www.qirelo.com/", "https://www.qirelo.com/",
                                              "mailto:support@qirelo.com"}));
}

// An opener that starts but cannot open the page (xdg-open with no browser, gio alike) is told
// from its own thread; the window then says what to install, with each opener's exit code.
TEST_F(MainWindowTest, APageNoOpenerCouldShowIsToldInAMessage) {
  Start();
  const fs::path bin = root / "bin";
  fs::create_directories(bin);
  for (const auto& [name, code] : {std::pair{"xdg-open", 3}, std::pair{"gio", 4}}) {
    std::ofstream(bin / name) << "#!/bin/sh\nexit " << code << "\n";
    fs::permissions(bin / name, fs::perms::owner_all);
  }
  const char* saved = ::getenv("PATH");
  const std::string oldPath = saved ? saved : "";
  ::setenv("PATH", bin.c_str(), 1);
  main->N15->Click();  // 官方网站
  const bool told = test_wait::PollUntil(
      [&] {
        skinned_test_form::Pump();
        return !dialogs.messages.empty();
      },
      std::chrono::milliseconds(10000));
  ::setenv("PATH", oldPath.c_str(), 1);
  ASSERT_TRUE(told);
  EXPECT_EQ(dialogs.messages,
            std::vector<std::string>{std::string(kApplicationTitle) +
                                     "|无法打开“https://www.qirelo.com/”：此系统的打开程序都没能打开它。\n"
                                     "请先安装一个网页浏览器和邮件程序（例如在终端运行 sudo apt-get install "
                                     "firefox-esr），然后再试一次。\n\nno desktop opener could open it (tried "
                                     "xdg-open (exit code 3), gio open (exit code 4))"});
}

// The about window's two links hand their whole address to the desktop's opener when clicked.
TEST_F(MainWindowTest, TheAboutWindowsLinksOpenTheMakersPageAndANewMail) {
  Start();
  std::vector<std::string> opened;
  const TDesktopOpener previous = SetDesktopOpener([&](const std::string& Target, std::string&) {
    opened.push_back(Target);
    return true;
  });
  TForm2* about = windows.Form2;
  about->Show();
  skinned_test_form::Pump();
  for (TControl* link : {static_cast<TControl*>(about->WebLink), static_cast<TControl*>(about->MailLink)}) {
    display->Click(link->ClientToScreen(TPoint{link->Width() / 2, link->Height() / 2}));
    skinned_test_form::Pump();
  }
  SetDesktopOpener(previous);
  about->Hide();
  EXPECT_EQ(opened, (std::vector<std::string>{"https://www.qirelo.com/", "mailto:support@qirelo.com"}));
}

// Hovering a caption button of any of the converter's windows shows its Chinese hint in the
// main window's skinned tooltip after the hint pause.
TEST_F(MainWindowTest, CaptionButtonsShowTheirChineseHintsInTheSkinnedTooltip) {
  TScopedTestClock clock;
  Start();
  const auto wait = [&clock](int Ms) {
    for (int t = 0; t < Ms; t += 25) {
      clock.Advance(25);
      skinned_test_form::Pump();
    }
  };
  const struct {
    TForm* form;
    TvlVelmora* skinner;
    TvlStdCommand command;
    const char* hint;
  } cases[] = {{main, main->vlVelmora1, TvlStdCommand::cmMinimize, "最小化"},
               {main, main->vlVelmora1, TvlStdCommand::cmClose, "关闭"},
               {windows.Form2, windows.Form2->vlVelmora1, TvlStdCommand::cmClose, "关闭"},
               {windows.Form5, windows.Form5->vlVelmora1, TvlStdCommand::cmClose, "关闭"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hint);
    c.form->Show();
    c.form->BringToFront();
    skinned_test_form::Pump();
    TvlActiveSkinObject* button = nullptr;
    for (const auto& o : c.skinner->ObjectList)
      if (auto* b = dynamic_cast<TvlSkinStdButtonObject*>(o.get()); b && b->Command == c.command) button = b;
    ASSERT_NE(button, nullptr);
    const TRect& r = button->ObjectRect;
    display->MouseMove({c.form->Left() + r.Left + r.Width() / 2, c.form->Top() + r.Top + r.Height() / 2});
    wait(50 + app.HintPause() + 50);
    EXPECT_TRUE(main->vlSkinHint1->IsVisible());
    EXPECT_EQ(main->vlSkinHint1->HW->Caption(), c.hint);
    display->MouseMove({1279, 1023});
    wait(100);
    EXPECT_FALSE(main->vlSkinHint1->IsVisible());
    if (c.form != main) c.form->Hide();
  }
}

TEST_F(MainWindowTest, LoggerLinesAndTheOpenDialogsFilter) {
  Start();
  main->FFLoggerLog(nullptr, 1234, TLogLevel::llWarning, "abc");
  main->FFLoggerLog(nullptr, 7, TLogLevel::llDebug, "two\nlines");
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"#1234.4: abc", "#7.7: two", "lines"}));

  const std::string& filter = main->OpenDialog1.Filter;
  EXPECT_EQ(main->OpenDialog2.Filter, filter);
  std::vector<std::string> parts;
  for (std::size_t start = 0, bar; (bar = filter.find('|', start)) != std::string::npos; start = bar + 1)
    parts.push_back(filter.substr(start, bar - start));
  ASSERT_EQ(parts.size(), 84u) << "42 entries of a description and patterns";
  EXPECT_EQ(filter.back(), '|');
  EXPECT_EQ(parts[0], "所有文件格式 (*.*)");
  EXPECT_EQ(parts[1], "*.*");
  EXPECT_EQ(parts[2], "支持的视频/音频文件格式");
  EXPECT_TRUE(parts[3].starts_with("*.AVI;*.ASF;") && parts[3].find("*.SWF;*.FLAC;*.M4A;") != std::string::npos &&
              parts[3].ends_with("*.3gp2;*.qt"))
      << parts[3];
  EXPECT_EQ(parts[74], "Flac无损压缩音频格式\u3000(*.flac)");
  EXPECT_EQ(parts[52], "微软数字视频格式( *.dvr-ms)");
  EXPECT_EQ(parts[82], "AIFF音频编码格式(*.aif; *.aiff)");
  EXPECT_EQ(parts[83], "*.aif; *.aiff");
  EXPECT_EQ(main->OpenDialog1.FilterIndex, 1);
}

// What the options file holds for the output folder, and the folder the window then uses.
TEST_F(MainWindowTest, TheOutputFolderComesFromTheOptionsFile) {
  const std::string fallback = setup.Folders.Home + "/Qirelo视频软件/输出";
  const std::string missing = (root / "not yet" / "there").string();
  const struct {
    const char* name;
    std::string stored;  // the [OutPath] section's text
    std::string used;
  } cases[] = {
      {"no key", "[Skin]\nSetSkin=0\n", fallback},
      {"Error", "[OutPath]\nOutPath=Error\n", fallback},
      {"empty", "[OutPath]\nOutPath=\n", fallback},
      {"a folder still to make", "[OutPath]\nOutPath=" + missing + "\n", missing},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ec;
    fs::remove_all(setup.Folders.Home + "/Qirelo视频软件", ec);
    WriteOptions(c.stored);
    Start();
    EXPECT_EQ(main->OutputFolder().FileOutPutPath(), c.used);
    EXPECT_TRUE(fs::is_directory(c.used));
    EXPECT_EQ(Stored("OutPath", "OutPath"), c.used);
    Close();
  }
}

TEST_F(MainWindowTest, AChosenOutputFolderIsKeptOverARestart) {
  Start();
  const std::string chosen = (root / "我的视频").string();
  fs::create_directories(chosen);
  dialogs.folders = {chosen, std::nullopt, (root / "gone").string()};
  main->vlSkinButton5->Click();
  EXPECT_EQ(main->OutputFolder().Text(), chosen);
  EXPECT_EQ(Stored("OutPath", "OutPath"), chosen) << "written at once";
  ASSERT_EQ(dialogs.shownFolders.size(), 1u);
  EXPECT_EQ(dialogs.shownFolders[0].Title, "选择输出目录");
  main->vlSkinButton5Click();  // cancelled
  main->vlSkinButton5Click();  // a folder that does not exist
  EXPECT_EQ(main->OutputFolder().Text(), chosen);
  EXPECT_EQ(dialogs.shownFolders.back().Directory, chosen) << "the chooser opens at the folder last confirmed";

  main->vlSkinButton6->Click();
  EXPECT_EQ(actions.calls, std::vector<std::string>{"open " + chosen}) << "打开 opens the output folder";

  Restart();
  EXPECT_EQ(main->OutputFolder().Text(), chosen);
  EXPECT_EQ(main->Video_OutPut_Folder_Edit->Text(), chosen);
}

// The folder field shows the output folder in the skin's edit; it takes no typing, and a click
// on it hands the focus to the job list.
TEST_F(MainWindowTest, TheFolderFieldIsReadOnly) {
  Start();
  main->SetBounds(0, 0, main->Width(), main->Height());
  main->Show();
  skinned_test_form::Pump();
  TvlSkinEdit* field = main->Video_OutPut_Folder_Edit;
  const std::string folder = main->OutputFolder().Text();
  EXPECT_EQ(field->Text(), folder);
  EXPECT_NE(field->SkinIndex(), -1) << "drawn by the skin";
  EXPECT_TRUE(field->ReadOnly());
  field->SetFocus();
  display->Text("x");
  display->KeyDown(VK_BACK);
  display->KeyUp(VK_BACK);
  skinned_test_form::Pump();
  EXPECT_EQ(field->Text(), folder);
  display->Click(field->ClientToScreen(TPoint{10, field->ClientHeight() / 2}));
  skinned_test_form::Pump();
  EXPECT_TRUE(main->lvFiles->Focused());
}

TEST_F(MainWindowTest, TheSkinSetting) {
  const struct {
    const char* stored;  // SetSkin, or nullptr for no [Skin] section
    bool loaded;
    const char* after;
  } cases[] = {
      {nullptr, true, "0"}, {"0", true, "0"},   {"1", false, "1"},  {"5", false, "5"},
      {"-1", false, "-1"},  {"Error", true, "0"}, {"abc", true, "0"}, {"", true, "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(none)");
    WriteOptions(std::string("[OutPath]\nOutPath=") + root.string() + "\n" +
                 (c.stored ? std::string("[Skin]\nSetSkin=") + c.stored + "\n" : std::string()));
    Start();
    EXPECT_EQ(main->vlSkinData1->Empty, !c.loaded);
    EXPECT_FALSE(main->vlSkinData2->Empty) << "the tool skin never depends on the setting";
    EXPECT_EQ(Stored("Skin", "SetSkin"), c.after);
    EXPECT_TRUE(dialogs.messages.empty());
    Close();
  }
}

// [Options] read into the options window's controls: each value checks its box; a missing or
// unknown value is written back as its default.
TEST_F(MainWindowTest, TheOptionsWindowReadsItsSection) {
  const struct {
    const char* name;
    const char* stored;
    const char* written;  // the section afterwards
    const char* afterRun;  // the after-batch box checked
    bool overwrite;
    bool preview;
    std::optional<TThreadPriority> priority;
    const char* threads;  // the thread-count list's text
  } cases[] = {
      {"values of the table", "Thread_Count=1\nAfter_Done=2\nThread_Priority=0\nOverwrite_File=0\nShow_Preview=1\n",
       "Thread_Count=1\nAfter_Done=2\nThread_Priority=0\nOverwrite_File=0\nShow_Preview=1\n", " 播放提示音乐",
       true, true, TThreadPriority::tpIdle, "1"},
      {"values outside it", "Thread_Count=40\nAfter_Done=7\nThread_Priority=9\nOverwrite_File=x\nShow_Preview=2\n",
       "Thread_Count=1\nAfter_Done=0\nThread_Priority=3\nOverwrite_File=1\nShow_Preview=0\n", "自动打开输出文件夹",
       false, false, TThreadPriority::tpNormal, "1"},
      {"the other boxes", "Thread_Count=19\nAfter_Done=1\nThread_Priority=1\nOverwrite_File=1\nShow_Preview=0\n",
       "Thread_Count=19\nAfter_Done=1\nThread_Priority=1\nOverwrite_File=1\nShow_Preview=0\n", "自动关闭计算机",
       false, false, TThreadPriority::tpLowest, "19"},
      {"and the last ones", "After_Done=3\nThread_Priority=2\n",
       "After_Done=3\nThread_Priority=2\nThread_Count=1\nOverwrite_File=1\nShow_Preview=0\n", "不进行任何操作",
       false, false, TThreadPriority::tpLower, "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteOptions(std::string("[OutPath]\nOutPath=") + root.string() + "\n[Skin]\nSetSkin=0\n[Options]\n" + c.stored);
    Start();
    TForm5* options = windows.Form5;
    // The section's lines, whatever line ends the file has.
    std::string section;
    for (char ch : OptionText().substr(OptionText().find("[Options]") + 9))
      if (ch != '\r' && !(ch == '\n' && (section.empty() || section.back() == '\n'))) section += ch;
    EXPECT_EQ(section, c.written);
    EXPECT_EQ(options->vlSkinComboBox2->Text(), c.threads);
    const TConversionSettings settings = options->ConversionSettings();
    EXPECT_EQ(settings.ThreadCount, c.threads);
    EXPECT_EQ(settings.Priority, c.priority);
    for (TvlSkinCheckRadioBox* box : {options->vlSkinCheckRadioBox1, options->vlSkinCheckRadioBox2,
                                      options->vlSkinCheckRadioBox4, options->vlSkinCheckRadioBox5})
      EXPECT_EQ(box->Checked(), box->Caption() == c.afterRun) << box->Caption();
    EXPECT_EQ(options->OverwriteOutput(), c.overwrite);
    EXPECT_EQ(options->vlSkinCheckRadioBox6->Checked(), !c.overwrite);
    EXPECT_EQ(options->vlSkinCheckRadioBox8->Checked(), c.preview);
    EXPECT_EQ(main->Convexa->Preview(), c.preview) << "the preview box switches the converter's preview";
    Close();
  }
}

TEST_F(MainWindowTest, OptionsKeptByOkAndNotByCancel) {
  Start();
  TForm5* options = windows.Form5;
  options->vlSkinComboBox2->Pick(5);
  options->vlSkinCheckRadioBox10->SetChecked(true);
  options->vlSkinCheckRadioBox3->SetChecked(true);
  options->vlSkinButton6Click();
  EXPECT_EQ(Stored("Options", "Thread_Count"), "6");
  EXPECT_EQ(Stored("Options", "Thread_Priority"), "1");
  EXPECT_EQ(Stored("Options", "Overwrite_File"), "0");
  EXPECT_TRUE(main->Chain().UniqueJobOutput(OptionFile(), -1) == OptionFile()) << "outputs are overwritten";

  options->vlSkinCheckRadioBox11->SetChecked(true);
  options->vlSkinButton1Click();
  EXPECT_EQ(Stored("Options", "Thread_Priority"), "1") << "Cancel writes nothing";
  EXPECT_EQ(options->ConversionSettings().Priority, TThreadPriority::tpLower) << "but the choice is in force";
  EXPECT_EQ(options->ConversionSettings().ThreadCount, "6");

  Restart();
  options = windows.Form5;
  EXPECT_EQ(options->ConversionSettings().Priority, TThreadPriority::tpLowest);
  EXPECT_TRUE(options->OverwriteOutput());
  EXPECT_EQ(options->vlSkinComboBox2->Text(), "6") << "the stored count is taken back";
  EXPECT_EQ(options->ConversionSettings().ThreadCount, "6");
}

// A stored thread count that is no count of the list starts the run at one file at a time; only
// that key is written back, the rest of the file stays as it was.
TEST_F(MainWindowTest, AnUnreadableThreadCountFallsBackToOne) {
  EXPECT_EQ(ThreadCountFromOption("7"), 7);
  for (const char* stored : {"0", "20", "-3", "4x", " 5", "07", "", "Error", "999999999999"}) {
    SCOPED_TRACE(stored);
    EXPECT_EQ(ThreadCountFromOption(stored), 1);
  }
  const std::string rest = "After_Done=3\nThread_Priority=2\nOverwrite_File=0\nShow_Preview=1\n";
  WriteOptions(std::string("[OutPath]\nOutPath=") + root.string() + "\n[Skin]\nSetSkin=0\n[Options]\nThread_Count=abc\n" +
               rest + "[Mine]\nKeep=me\n");
  Start();
  EXPECT_EQ(windows.Form5->vlSkinComboBox2->Text(), "1");
  EXPECT_EQ(Stored("Options", "Thread_Count"), "1");
  for (const auto& [key, value] : {std::pair{"After_Done", "3"}, std::pair{"Thread_Priority", "2"},
                                   std::pair{"Overwrite_File", "0"}, std::pair{"Show_Preview", "1"}})
    EXPECT_EQ(Stored("Options", key), value) << key;
  EXPECT_EQ(Stored("Mine", "Keep"), "me");
}

// An options file that cannot be written (here a folder in its place, as a read-only program
// folder would refuse it): the windows still start whole, with their skin and the default output
// folder, telling why once per refused step.
TEST_F(MainWindowTest, AnOptionsFileThatRefusesWritesStillGivesAWholeWindow) {
  fs::create_directory(OptionFile());
  Start();
  EXPECT_EQ(main->OutputFolder().Text(), setup.Folders.Home + "/Qirelo视频软件/输出");
  EXPECT_FALSE(main->vlSkinData1->Empty);
  EXPECT_EQ(main->vlSkinOfficeComboBox1->ItemCount(), 11) << "the preset list is filled";
  EXPECT_TRUE(windows.Form5->vlSkinCheckRadioBox12->Checked()) << "the options keep their first states";
  ASSERT_EQ(dialogs.messages.size(), 3u) << "the output folder, the skin and the options window";
  for (const std::string& message : dialogs.messages) {
    // The user's words first (the file and what to do), the library's after them.
    const std::size_t words = message.find("无法保存设置文件“" + OptionFile() + "”。请确认该文件所在的文件夹可以写入");
    EXPECT_NE(words, std::string::npos) << message;
    EXPECT_GT(message.find("\nUnable to write to " + OptionFile()), words) << message;
  }
  EXPECT_TRUE(fs::is_directory(OptionFile()));
}

TEST_F(MainWindowTest, TheWholeWindowLooksAsExpected) {
  WriteOptions(std::string("[OutPath]\nOutPath=") + root.string() + "\n");
  Start();
  main->OutputFolder().SetFolder("/home/user/Qirelo视频软件/输出");
  main->SetBounds(0, 0, main->Width(), main->Height());
  main->Show();
  const TRect r = main->BoundsRect();
  const auto pixels = skinned_test_form::Shot(display, r);
  skinned_test_form::CompareWithExpected(pixels, r.Width(), r.Height(), ExpectedFolder(), "main_window");
}

}  // namespace
