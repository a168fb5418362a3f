// The main window's job list: adding clips (one, several, a folder) gives rows, hidden columns,
// converter tasks and log lines; remove, move, clear and rename keep rows, records and tasks in
// step; the list holds at most 501 jobs; closing the window stops the converter and the player.

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>

#include "Src/FFPlay.h"
#include "app/SkinnedDialogs.h"
#include "lib/dialogs/vlFileCtrl.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/controls/vlSkinCtrlsSlider.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "lib/dialogs/vlSkinOpenDialog.h"
#include "lib/dialogs/vlSkinShellListView.h"
#include "platform/controls/Application.h"
#include "platform/controls/Edit.h"
#include "tests/ShellTestTree.h"
#include "tests/Src/MediaFixtures.h"
#include "tests/PollUntil.h"
#include "tests/Src/PlayerTestSupport.h"
#include "tests/app/MainWindowWorld.h"
#include "tests/platform/Watchdog.h"

namespace {

using namespace main_window;
using skinned_test_form::Pump;
using enum TJobSubItem;

class MainWindowJobsTest : public MainWindowWorld {
 protected:
  void SetUp() override {
    MainWindowWorld::SetUp();
    if (HasFatalFailure()) return;
    StartWithFolders();
  }

  // A copy of a fixture clip under its own name.
  std::string Clip(const std::string& Name, const std::string& Fixture = "av.mp4", const fs::path& Folder = {}) {
    const fs::path copy = (Folder.empty() ? clips : Folder) / Name;
    fs::create_directories(copy.parent_path());
    fs::copy_file(fixtures::Container(Fixture), copy, fs::copy_options::overwrite_existing);
    return copy.string();
  }
  std::string TextFile(const fs::path& Path) {
    std::ofstream(Path) << "not a clip\n";
    return Path.string();
  }
  void Add(const std::string& File) {
    dialogs.files.push_back({File});
    main->btnAddClick();
  }
  void AddSeveral(const std::vector<std::string>& Files) {
    dialogs.files.push_back(Files);
    main->Button8Click();
  }
  void AddFolder(const fs::path& Folder) {
    dialogs.folders.push_back(Folder.string());
    main->Button12Click();
  }
  [[nodiscard]] std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < main->Jobs().Count(); ++i) names.push_back(ExtractFileName(main->Jobs().Row(i).Caption));
    return names;
  }
  [[nodiscard]] std::vector<std::string> Column(TJobSubItem Item) {
    std::vector<std::string> texts;
    for (int i = 0; i < main->Jobs().Count(); ++i) texts.push_back(main->Jobs().SubItem(i, Item));
    return texts;
  }
  // The log lines of the add operations, without the libraries' lines the logger adds
  // ("#<thread>.<level>: ...").
  [[nodiscard]] std::vector<std::string> AddLines() const {
    std::vector<std::string> lines;
    for (const std::string& line : LogLines())
      if (!line.starts_with("#")) lines.push_back(line);
    return lines;
  }
  // The log lines of a failed step: an empty line, the text, an empty line.
  [[nodiscard]] int Blocks(const std::string& Prefix) {
    const std::vector<std::string> lines = AddLines();
    int count = 0;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
      if (lines[i].starts_with(Prefix) && lines[i - 1].empty() && lines[i + 1].empty()) ++count;
    return count;
  }
};

TEST_F(MainWindowJobsTest, AddingAClipGivesItsRowColumnsTaskAndLogLines) {
  const std::string clip = Clip("movie.mp4");
  Add(clip);
  ASSERT_EQ(main->Jobs().Count(), 1) << testing::PrintToString(LogLines());
  const TJobRow& row = main->Jobs().Row(0);
  EXPECT_EQ(row.Caption, clip);
  EXPECT_EQ(row[jsDuration], "00:00:02");
  EXPECT_EQ(row[jsFileSize], FileSizeText(static_cast<int64_t>(fs::file_size(clip))));
  EXPECT_EQ(row[jsOutputName], "movie.mpg");
  EXPECT_EQ(row[jsProgress], "");
  EXPECT_EQ(row[jsTaskNumber], "1");
  EXPECT_EQ(row[jsCategoryCode], "100");
  EXPECT_EQ(row[jsOptionCode], main->Chain().OptionCode());
  EXPECT_EQ(row[jsOptionCode].size(), 12u);
  EXPECT_EQ(row[jsFileExt], ".mpg");
  EXPECT_EQ(row[jsDisableVideo], "False");
  EXPECT_EQ(main->Jobs().OO1(0).FileName, output.string() + "/movie.mpg");
  EXPECT_EQ(main->Jobs().IO1(0).FileName, clip);
  EXPECT_EQ(main->Convexa->TasksCount(), 1);
  EXPECT_EQ(main->Preview().FileName(), clip);

  // The view shows the model's row; the setting columns are hidden and cannot be widened.
  EXPECT_EQ(main->lvFiles->Items()->Count(), 1);
  EXPECT_EQ(main->lvFiles->Items()->Item(0)->SubItems()->Strings(2), "movie.mpg");
  for (int column = 0; column < main->lvFiles->Columns()->Count(); ++column) {
    const TListColumn* c = main->lvFiles->Columns()->Items(column);
    const bool hidden = column == 5 || column >= 8;
    EXPECT_EQ(c->Width() == 0 && c->MaxWidth() == 1, hidden) << column;
  }
  EXPECT_FALSE(main->vlSkinPanel5->Visible()) << "the cover is gone";
  // The visible columns run wider than the list: its skinned bar scrolls them, and the cover of
  // an empty list hides the bar with the list.
  EXPECT_TRUE(main->vlSkinScrollBar1->Visible());
  EXPECT_EQ(main->lvFiles->HScrollBar(), main->vlSkinScrollBar1);
  const TRect cover = main->vlSkinPanel5->BoundsRect(), bar = main->vlSkinScrollBar1->BoundsRect();
  EXPECT_TRUE(cover.Contains(TPoint{bar.Left, bar.Top}) && cover.Contains(TPoint{bar.Right - 1, bar.Bottom - 1}));
  EXPECT_EQ(main->lvFiles->ItemIndex(), 0) << "the new row is selected";
  EXPECT_EQ(main->Jobs().ItemIndex(), 0);
  EXPECT_TRUE(main->N13->Enabled() && main->N14->Enabled() && main->N26->Enabled() && main->N7->Enabled());
  EXPECT_TRUE(main->vlSkinButton2->Enabled());

  // The log: the input's description after an empty line, then the verdict between empty lines.
  std::vector<std::string> expected{""};
  std::vector<std::string> info = fixtures::Lines(main->Convexa->GetTaskProbe(0, 0)->FileInfoText());
  for (std::string& line : info)
    if (!line.empty() && line.back() == '\r') line.pop_back();
  expected.insert(expected.end(), info.begin(), info.end());
  expected.insert(expected.end(), {"", "***可以转换。", ""});
  const std::vector<std::string> lines = AddLines();
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected)
      << "the preview of the new row logs after the add";
  // The logger posts the libraries' own lines to the window: they come once the queue is served.
  EXPECT_TRUE(test_wait::PollUntil([&] { return LogLines().size() > AddLines().size(); }, [] { Pump(); }))
      << "the libraries' own lines reach the log through the logger";

  // A file that is no clip gives its reason and no row.
  Add(TextFile(clips / "notes.txt"));
  EXPECT_EQ(main->Jobs().Count(), 1);
  EXPECT_EQ(Blocks("***无法读取此文件，没有添加（请选择可以播放的视频或音频文件）："), 1);
  EXPECT_EQ(main->Convexa->TasksCount(), 1);
}

TEST_F(MainWindowJobsTest, SeveralFilesComeLastChosenFirst) {
  AddSeveral({Clip("x.avi", "av.avi"), Clip("y.avi", "av.avi"), Clip("z.avi", "av.avi")});
  EXPECT_EQ(Names(), (std::vector<std::string>{"z.avi", "y.avi", "x.avi"}));
  EXPECT_EQ(Column(jsTaskNumber), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(main->Jobs().ItemIndex(), 2) << "the row of the file chosen first";
  EXPECT_EQ(Blocks("***可以转换。"), 3);
  ASSERT_EQ(dialogs.shownFiles.size(), 1u);
  EXPECT_TRUE(dialogs.shownFiles[0].MultiSelection);
  EXPECT_EQ(dialogs.shownFiles[0].Title, "打开文件");
}

TEST_F(MainWindowJobsTest, TheSameNameTwiceGivesTwoOutputs) {
  Add(Clip("clip.mp4"));
  Add(Clip("clip.mp4", "av.mp4", clips / "other"));
  EXPECT_EQ(Column(jsOutputName), (std::vector<std::string>{"clip.mpg", "clip_1.mpg"}));
}

// A folder's regular files, last first; a named pipe would block the probe for ever and a
// sub-folder is not entered.
TEST_F(MainWindowJobsTest, AFolderAddTakesItsRegularFilesOnly) {
  const fs::path folder = root / "folder";
  Clip("a.mp3", "a.mp3", folder);
  Clip("b.mp4", "av.mp4", folder);
  TextFile(folder / "c.txt");
  ASSERT_EQ(::mkfifo((folder / "d.mp4").c_str(), 0600), 0);
  Clip("e.mp4", "av.mp4", folder / "sub");
  AddFolder(folder);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.mp4", "a.mp3"}));
  EXPECT_EQ(Blocks("***无法读取此文件，没有添加（请选择可以播放的视频或音频文件）："), 1) << "c.txt";
  EXPECT_EQ(main->Jobs().ItemIndex(), 1);
  ASSERT_EQ(dialogs.messages.size(), 1u) << "the one file it could not take";
  EXPECT_TRUE(dialogs.messages[0].starts_with("提示|以下 1 个文件没有添加到列表：\nc.txt：不是可识别的视频或音频文件\n"))
      << dialogs.messages[0];
  dialogs.messages.clear();
  ASSERT_EQ(dialogs.shownFolders.size(), 1u);
  EXPECT_EQ(dialogs.shownFolders[0].Title, "选择目录");

  const fs::path empty = root / "no clips";
  fs::create_directories(empty);
  TextFile(empty / "one.txt");
  TextFile(empty / "two.txt");
  AddFolder(empty);
  EXPECT_EQ(main->Jobs().Count(), 2);
  EXPECT_EQ(Blocks("***无法读取此文件，没有添加（请选择可以播放的视频或音频文件）："), 3);
  ASSERT_EQ(dialogs.messages.size(), 1u) << "one message for the add";
  EXPECT_TRUE(dialogs.messages[0].starts_with("提示|在该目录没有发现可以用的视频或音频文件！\n\n以下 2 个文件没有添加到列表：\n"
                                              "two.txt：不是可识别的视频或音频文件\none.txt：不是可识别的视频或音频文件\n"))
      << dialogs.messages[0];
}

// Files an add cannot take are named in one message per add, each with its reason in words, the
// advice once, and the libraries' texts after "详细信息：". A clip among them is added as ever.
TEST_F(MainWindowJobsTest, FilesThatCannotBeAddedAreListedInOneMessage) {
  const std::string text = TextFile(clips / "假的.avi");
  const std::string empty = (clips / "empty.mp4").string();
  std::ofstream(empty).close();
  const std::string clip = Clip("good.mp4");

  AddSeveral({clip, empty, text});
  EXPECT_EQ(Names(), std::vector<std::string>{"good.mp4"});
  ASSERT_EQ(dialogs.messages.size(), 1u);
  const std::string& message = dialogs.messages[0];
  const std::string head =
      "提示|以下 2 个文件没有添加到列表：\n假的.avi：不是可识别的视频或音频文件\nempty.mp4：文件是空的（0 字节）\n\n"
      "请选择可以播放的视频或音频文件。\n\n详细信息：\n";
  EXPECT_TRUE(message.starts_with(head)) << message;
  // The libraries' own words follow, one line per file, naming it.
  const std::string details = message.substr(std::min(message.size(), head.size()));
  const std::vector<std::string> lines = fixtures::Lines(details);
  ASSERT_EQ(lines.size(), 2u) << details;
  EXPECT_NE(lines[0].find("假的.avi"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("empty.mp4"), std::string::npos) << lines[1];
  for (const std::string& line : lines) EXPECT_EQ(line.find("：不是"), std::string::npos) << "English, as the library says";

  // One file that is no clip: a message of its own add.
  dialogs.messages.clear();
  Add(text);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].starts_with("提示|以下 1 个文件没有添加到列表：\n假的.avi：不是可识别的视频或音频文件\n"))
      << dialogs.messages[0];
  // A clip that is added says nothing.
  dialogs.messages.clear();
  Add(Clip("more.mp4"));
  EXPECT_TRUE(dialogs.messages.empty());
}

// An output folder that is gone refuses the first file's output, which ends the add: the message
// names that file with its reason and counts the files the add never came to.
TEST_F(MainWindowJobsTest, AnAddEndedByAnOutputFailureCountsTheFilesItLeft) {
  const std::vector<std::string> files{Clip("a.mp4"), Clip("b.mp4"), Clip("c.mp4")};
  fs::remove_all(output);
  AddSeveral(files);
  EXPECT_EQ(main->Jobs().Count(), 0);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].starts_with("提示|以下 1 个文件没有添加到列表：\nc.mp4：输出目录不存在: " +
                                              output.string() +
                                              "\n另有 2 个文件因此没有添加，解决上面的问题后请重新添加。\n\n"
                                              "请点击“浏览...”选择一个可以写入的输出目录，然后再试一次。\n\n详细信息：\n"))
      << dialogs.messages[0];
  EXPECT_EQ(Blocks("***无法按所选格式转换此文件（请换一种输出格式或选择可写的输出目录后重新添加）："), 1);
}

// With more rows than fit, the list gives its right edge to a vertical bar that the wheel, the
// arrows and the track move; the input column shows file names (the full path in the hint),
// widened to fit them.
TEST_F(MainWindowJobsTest, AListLongerThanItsRoomScrollsAndShowsFileNames) {
  const fs::path folder = root / "many";
  for (int i = 0; i < 14; ++i) Clip("a clip with a longer name " + std::to_string(10 + i) + ".mp4", "av.mp4", folder);
  main->Show();
  Pump();
  EXPECT_FALSE(main->vlSkinScrollBar2->Visible());
  AddFolder(folder);
  ASSERT_EQ(main->Jobs().Count(), 14);
  Pump();
  TvlSkinListView* list = main->lvFiles;
  TvlSkinScrollBar* bar = main->vlSkinScrollBar2;
  ASSERT_TRUE(bar->Visible());
  EXPECT_EQ(bar->BoundsRect().Left, list->BoundsRect().Right) << "the list gives up the bar's width";
  EXPECT_EQ(bar->Max(), 13);

  const TPoint over = list->ClientToScreen(TPoint{100, 80});
  display->MouseMove(over);
  display->Wheel(over, -WHEEL_DELTA);
  Pump();
  EXPECT_EQ(list->TopIndex(), 3);
  EXPECT_EQ(bar->Position(), 3);
  const TRect up = bar->PartRect(TvlSkinScrollBar::kUpButton);
  const TPoint arrow = bar->ClientToScreen(TPoint{(up.Left + up.Right) / 2, (up.Top + up.Bottom) / 2});
  display->MouseMove(arrow);
  display->MouseDown(arrow);
  Pump();
  display->MouseUp(arrow);
  Pump();
  EXPECT_EQ(list->TopIndex(), 4) << "the lower arrow moves a row down";

  const int row = list->TopIndex();
  EXPECT_EQ(list->Items()->Item(row)->Caption(), ExtractFileName(main->Jobs().Row(row).Caption));
  EXPECT_EQ(main->Jobs().Row(row).Caption.front(), '/') << "the row keeps the full path";
  const int width = list->Columns()->Items(0)->Width();
  EXPECT_GT(width, 80) << "wide enough for the names";
  EXPECT_LE(width, 220);
  THintInfo info;
  const TRect r = list->ItemRect(row, TDisplayCode::drBounds);
  info.CursorPos = TPoint{20, (r.Top + r.Bottom) / 2};
  EXPECT_EQ(list->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.HintStr, main->Jobs().Row(row).Caption);
  EXPECT_EQ(info.CursorRect, r);
}

TEST_F(MainWindowJobsTest, CancelledDialogsAddNothing) {
  dialogs.files = {{}, {}};
  main->btnAddClick();
  main->Button8Click();
  main->Button12Click();
  Add((clips / "missing.mp4").string());
  EXPECT_EQ(main->Jobs().Count(), 0);
  EXPECT_TRUE(LogLines().empty());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.shownFiles.size(), 3u);
  EXPECT_EQ(dialogs.shownFolders.size(), 1u);
}

TEST_F(MainWindowJobsTest, RemoveMoveAndClearKeepRowsRecordsAndTasksInStep) {
  for (const char* name : {"one.mp4", "two.mp4", "three.mp4"}) Add(Clip(name));
  ASSERT_EQ(main->Jobs().Count(), 3);

  main->SelectRow(1);
  main->btnRemoveClick();
  EXPECT_EQ(Names(), (std::vector<std::string>{"one.mp4", "three.mp4"}));
  EXPECT_EQ(Column(jsTaskNumber), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(main->Convexa->TasksCount(), 2);
  EXPECT_EQ(main->Jobs().IO1(1).FileName, (clips / "three.mp4").string()) << "the later record moved up";
  EXPECT_EQ(main->Jobs().ItemIndex(), 0) << "row 0 is selected";

  main->vlSkinButton3Click();  // the first row cannot move up
  EXPECT_EQ(Names(), (std::vector<std::string>{"one.mp4", "three.mp4"}));
  main->N2221->Click();  // 下移文件
  EXPECT_EQ(Names(), (std::vector<std::string>{"three.mp4", "one.mp4"}));
  EXPECT_EQ(Column(jsTaskNumber), (std::vector<std::string>{"2", "1"})) << "the task number goes with its row";
  EXPECT_EQ(main->Jobs().IO1(1).FileName, (clips / "one.mp4").string());
  EXPECT_EQ(main->Jobs().OO1(1).FileName, output.string() + "/one.mpg");
  EXPECT_EQ(main->Jobs().ItemIndex(), 1) << "the moved row stays selected";
  main->vlSkinButton4Click();  // the last row cannot move down
  EXPECT_EQ(Names(), (std::vector<std::string>{"three.mp4", "one.mp4"}));

  main->SelectRow(-1);
  main->btnRemoveClick();
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{"提示|请先选择您需要删除的项目！"});
  EXPECT_EQ(main->Jobs().Count(), 2);

  main->vlSkinButton8->Click();  // 清空
  EXPECT_EQ(main->Jobs().Count(), 0);
  EXPECT_EQ(main->lvFiles->Items()->Count(), 0);
  EXPECT_EQ(main->Convexa->TasksCount(), 0);
  EXPECT_TRUE(main->vlSkinPanel5->Visible());
  EXPECT_FALSE(main->N13->Enabled() || main->N14->Enabled() || main->N26->Enabled() || main->N7->Enabled());
  EXPECT_TRUE(main->Item111->Enabled() && main->vlSkinMenuSpeedButton1->Enabled());

  Add(Clip("last.mp4"));
  main->vlSkinSlider1->SetValue(40);
  main->N13->Click();  // 删除选择: the last row
  EXPECT_EQ(main->Jobs().Count(), 0);
  EXPECT_TRUE(main->vlSkinPanel5->Visible());
  EXPECT_EQ(main->vlSkinSlider1->Value(), 0);
  EXPECT_FALSE(main->vlSkinButton7->Enabled());
}

// The inline editor takes the name without its extension; the preset's extension is added; a
// name with a folder part, "." or ".." is not taken, nor is an empty one (a message says why and
// the editor stays), and a name another row has is numbered.
TEST_F(MainWindowJobsTest, RenameTheOutputFile) {
  Add(Clip("one.mp4"));
  Add(Clip("two.mp4"));
  main->vlSkinButton21Click();
  EXPECT_TRUE(main->edt->Visible());
  EXPECT_EQ(main->edt->Text(), "two");
  main->CancelRename();
  const struct {
    const char* typed;
    const char* name;  // the row's output name afterwards
    bool editorShown;
  } cases[] = {
      {"clip", "clip.mpg", false}, {"", "clip.mpg", true},     {"a/b", "clip.mpg", true},
      {".", "clip.mpg", true},     {"..", "clip.mpg", true},   {"x\\y", "clip.mpg", true},
      {"one", "one_1.mpg", false}, {"电影 1", "电影 1.mpg", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    main->SelectRow(1);
    if (!main->edt->Visible()) main->vlSkinButton21Click();
    dialogs.messages.clear();
    main->edt->SetText(c.typed);
    main->edtExit();
    EXPECT_EQ(Column(jsOutputName)[1], c.name);
    EXPECT_EQ(main->edt->Visible(), c.editorShown);
    ASSERT_EQ(dialogs.messages.size(), c.editorShown ? 1u : 0u);
    if (c.editorShown) EXPECT_EQ(dialogs.messages[0].rfind("提示|输出文件名不能", 0), 0u) << dialogs.messages[0];
  }
  EXPECT_EQ(Column(jsOutputName)[0], "one.mpg");
  dialogs.messages.clear();

  main->SelectRow(-1);
  main->edt->SetVisible(false);
  main->lvFilesDblClick();
  EXPECT_FALSE(main->edt->Visible());
  EXPECT_TRUE(dialogs.messages.empty()) << "a double click on no row says nothing";
  main->N26->Click();
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{"提示|请先选中您需要重命名的项目！"});
}

// The add of several files through the skin library's open dialog, scripted as the user works
// it: the dialog opens titled "打开文件" on the first filter entry with several rows selectable;
// the user opens the clips' folder, picks the AVI entry, selects three files and opens them. The
// rows come last chosen first with the first chosen selected; the next showing starts in that
// folder on the AVI entry and at the size the user left.
TEST_F(MainWindowJobsTest, AddingSeveralFilesThroughTheSkinnedOpenDialog) {
  TShellTestTree shell;
  TSkinnedDialogs skinned;
  Close();
  setup.Dialogs = &skinned;
  Start();
  skinned.SetSkinData(main->vlSkinData1);
  for (const char* name : {"x.avi", "y.avi", "z.avi", "w.mp4"}) Clip(name);
  // Runs Act on the dialog once it is the active window; a dialog still open afterwards is
  // cancelled.
  const auto answer = [&](const std::function<void(TvlOpenDlgForm*)>& Act) {
    bool acted = false;
    Screen()->OnActiveFormChange = [&](TObject*) {
      auto* form = dynamic_cast<TvlOpenDlgForm*>(Screen()->ActiveForm());
      if (!form || acted) return;
      acted = true;
      Act(form);
      if (form->ModalResult() == mrNone) PostMessage(form->Handle(), WM_CLOSE, 0, 0);
    };
    // The dialog's session and the adds after it: the limit catches a dialog that never
    // closes, not a slow machine.
    TWatchdog dog("the open dialog of the add", 60000);
    main->Button8Click();
    Screen()->OnActiveFormChange = nullptr;
    EXPECT_TRUE(acted);
  };
  const auto rows = [](TvlOpenDlgForm* form) {
    std::vector<std::string> names;
    for (int i = 0; i < form->FileListView->FolderCount(); ++i)
      names.push_back(form->FileListView->FolderAt(i)->DisplayName());
    return names;
  };
  const auto select = [&rows](TvlOpenDlgForm* form, const std::string& Name) {
    const std::vector<std::string> names = rows(form);
    const auto at = std::find(names.begin(), names.end(), Name);
    ASSERT_NE(at, names.end()) << Name;
    form->FileListView->SelectItem(static_cast<int>(at - names.begin()), true);
  };

  answer([&](TvlOpenDlgForm* form) {
    EXPECT_EQ(form->Caption(), "打开文件");
    EXPECT_EQ(form->FilterComboBox->Items()->Count(), 42);
    EXPECT_EQ(form->FilterComboBox->Text(), "所有文件格式 (*.*)");
    EXPECT_TRUE(form->FileListView->MultiSelect());
    EXPECT_EQ(form->OpenButton->Caption(), "打开(&O)");
    form->FileNameEdit->SetText(clips.string());
    char32_t enter = 13;
    form->EditKeyPress(form->FileNameEdit, enter);
    EXPECT_EQ(rows(form), (std::vector<std::string>{"w.mp4", "x.avi", "y.avi", "z.avi"}));
    form->FilterComboBox->SetItemIndex(4);
    EXPECT_EQ(form->FilterComboBox->Text(), "AVI文件 (*.avi)");
    EXPECT_EQ(rows(form), (std::vector<std::string>{"x.avi", "y.avi", "z.avi"}));
    for (const char* name : {"x.avi", "y.avi", "z.avi"}) select(form, name);
    form->SetClientWidth(520);
    form->SetClientHeight(330);
    form->OpenButton->Click();
  });
  EXPECT_EQ(Names(), (std::vector<std::string>{"z.avi", "y.avi", "x.avi"}));
  EXPECT_EQ(main->Jobs().ItemIndex(), 2) << "the row of the first chosen file";
  EXPECT_EQ(main->OpenDialog2.FilterIndex, 5);

  answer([&](TvlOpenDlgForm* form) {
    EXPECT_EQ(form->FolderPrefix(), clips.string() + "/");
    EXPECT_EQ(form->FilterComboBox->Text(), "AVI文件 (*.avi)");
    EXPECT_EQ(form->ClientWidth(), 520);
    EXPECT_EQ(form->ClientHeight(), 330);
  });
  EXPECT_EQ(main->Jobs().Count(), 3) << "a cancelled dialog adds nothing";
}

// As the user renames: the rename button (or a double click on the row) opens the skinned editor
// over the row's output name with the name selected, typing replaces it, and a click back on the
// list commits it.
TEST_F(MainWindowJobsTest, RenameByTypingIntoTheInlineEditor) {
  Add(Clip("one.mp4"));
  main->SetBounds(0, 0, main->Width(), main->Height());
  main->Show();
  skinned_test_form::Pump();
  main->vlSkinButton21->Click();
  skinned_test_form::Pump();
  TvlSkinEdit* editor = main->edt;
  ASSERT_TRUE(editor->Visible());
  EXPECT_NE(editor->SkinIndex(), -1) << "drawn by the skin";
  EXPECT_TRUE(editor->Focused());
  const TRect row = main->lvFiles->ItemRect(0, TDisplayCode::drBounds);
  EXPECT_EQ(editor->Left(), row.Left + 80 + 70 + 70 + 2) << "over the output-name column";
  EXPECT_EQ(editor->Width(), 80);
  EXPECT_LE(std::abs(editor->Top() + editor->Height() / 2 - (row.Top + row.Height() / 2)), 1);

  display->Text("电影");
  skinned_test_form::Pump();
  EXPECT_EQ(editor->Text(), "电影");
  display->Click(main->lvFiles->ClientToScreen(TPoint{row.Left + 20, row.Top + row.Height() / 2}));
  skinned_test_form::Pump();
  EXPECT_FALSE(editor->Visible());
  EXPECT_EQ(Column(jsOutputName)[0], "电影.mpg");

  // A double click on the row opens the editor again.
  const TPoint onRow = main->lvFiles->ClientToScreen(TPoint{row.Left + 110, row.Top + row.Height() / 2});
  display->Click(onRow);
  display->Click(onRow);
  skinned_test_form::Pump();
  EXPECT_TRUE(editor->Visible());
  EXPECT_EQ(editor->Text(), "电影");
}

// The rename editor from the keyboard: Enter takes the name, Esc drops it; a name that cannot be
// taken ("sub/clip:1") says why and keeps the editor on the row it was opened on, also when
// another row is selected meanwhile.
TEST_F(MainWindowJobsTest, RenameEditorAnswersEnterAndEscapeAndStaysOnItsRow) {
  Add(Clip("one.mp4"));
  Add(Clip("two.mp4"));
  main->SetBounds(0, 0, main->Width(), main->Height());
  main->Show();
  skinned_test_form::Pump();
  TvlSkinEdit* editor = main->edt;
  auto key = [&](WORD k) {
    display->KeyDown(k);
    display->KeyUp(k);
    skinned_test_form::Pump();
  };
  auto open = [&](int row) {
    main->SelectRow(row);
    main->vlSkinButton21->Click();
    skinned_test_form::Pump();
    ASSERT_TRUE(editor->Visible());
  };
  const std::vector<std::string> before = Column(jsOutputName);

  open(0);
  display->Text("新名");
  key(VK_RETURN);
  EXPECT_FALSE(editor->Visible());
  EXPECT_EQ(Column(jsOutputName)[0], "新名.mpg");
  EXPECT_TRUE(main->lvFiles->Focused()) << "the list has the keyboard again";

  open(0);
  display->Text("丢弃");
  key(VK_ESCAPE);
  EXPECT_FALSE(editor->Visible());
  EXPECT_EQ(Column(jsOutputName)[0], "新名.mpg") << "Esc keeps the name";
  EXPECT_TRUE(main->Jobs().Count() == 2 && main->lvFiles->Focused());

  open(0);
  const int editorTop = editor->Top();
  display->Text("sub/clip:1");
  dialogs.messages.clear();
  key(VK_RETURN);
  EXPECT_TRUE(editor->Visible());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find("不能包含“/”"), std::string::npos) << dialogs.messages[0];
  EXPECT_EQ(Column(jsOutputName)[0], "新名.mpg");
  main->SelectRow(1);  // another row selected while the editor is open
  EXPECT_EQ(editor->Top(), editorTop) << "the editor stays on its row";
  editor->SetText("好名字");
  editor->SetFocus();
  key(VK_RETURN);
  EXPECT_FALSE(editor->Visible());
  EXPECT_EQ(Column(jsOutputName)[0], "好名字.mpg") << "the row the editor was opened on";
  EXPECT_EQ(Column(jsOutputName)[1], before[1]) << "the selected row keeps its name";
}

// Keys of the job list: Delete removes the selected jobs as 删除 does; Ctrl+A selects every row.
TEST_F(MainWindowJobsTest, DeleteRemovesTheSelectedJobsAndCtrlASelectsAll) {
  for (const char* name : {"one.mp4", "two.mp4", "three.mp4", "four.mp4"}) Add(Clip(name));
  main->SetBounds(0, 0, main->Width(), main->Height());
  main->Show();
  skinned_test_form::Pump();
  auto key = [&](WORD k) {
    display->KeyDown(k);
    display->KeyUp(k);
    skinned_test_form::Pump();
  };
  const std::vector<std::string> names = Names();
  main->SelectRow(1);
  main->lvFiles->SetFocus();
  display->KeyDown(VK_SHIFT);
  key(VK_DOWN);  // rows 1 and 2
  display->KeyUp(VK_SHIFT);
  EXPECT_EQ(main->lvFiles->SelCount(), 2);
  key(VK_DELETE);
  EXPECT_EQ(Names(), (std::vector<std::string>{names[0], names[3]}));
  EXPECT_EQ(main->Convexa->TasksCount(), 2) << "their tasks went with them";
  EXPECT_EQ(Column(jsTaskNumber), (std::vector<std::string>{"1", "2"}));

  main->lvFiles->SetFocus();
  display->KeyDown(VK_CONTROL);
  key('A');
  display->KeyUp(VK_CONTROL);
  EXPECT_EQ(main->lvFiles->SelCount(), 2) << "every row";
  EXPECT_EQ(main->Jobs().Count(), 2) << "Ctrl+A types nothing and removes nothing";
  key(VK_DELETE);
  EXPECT_EQ(main->Jobs().Count(), 0);
  EXPECT_EQ(main->Convexa->TasksCount(), 0);
  EXPECT_TRUE(dialogs.messages.empty());
}

// The list holds one job per record slot: a 502nd file is refused with a message, also part-way
// through a folder, and gets no converter task.
TEST_F(MainWindowJobsTest, The502ndJobIsRefused) {
  TInputOptions input;
  InitInputOptions(input);
  TOutputOptions out;
  InitOutputOptions(out);
  for (int i = 0; i < 499; ++i) {
    TJobRow row;
    row.Caption = "/in/" + std::to_string(i) + ".mp4";
    row[jsOutputName] = std::to_string(i) + ".mpg";
    ASSERT_GE(main->Jobs().Add(row, input, out), 0);
  }
  const fs::path folder = root / "three";
  for (const char* name : {"a.mp4", "b.mp4", "c.mp4"}) Clip(name, "av.mp4", folder);
  AddFolder(folder);
  EXPECT_EQ(main->Jobs().Count(), 501);
  EXPECT_EQ(Names().back(), "b.mp4") << "c.mp4 and b.mp4 were taken";
  EXPECT_EQ(main->Convexa->TasksCount(), 2);
  const std::string refused = "提示|列表中最多只能有501个文件，请先转换或删除一些文件再添加！";
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{refused}) << "and no message of an empty folder";

  Add(Clip("d.mp4"));
  EXPECT_EQ(main->Jobs().Count(), 501);
  EXPECT_EQ(main->Convexa->TasksCount(), 2);
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{refused, refused}));
}

// Adding files reads each of them once (the converter's task opens it; nothing opens it again),
// and once the add is over the list keeps none of them open: only the preview may hold the
// selected row's file.
TEST_F(MainWindowJobsTest, AddingFilesOpensEachOnceAndKeepsNoneOpen) {
  const fs::path folder = root / "many";
  std::vector<std::string> files;
  for (int i = 0; i < 6; ++i) files.push_back(Clip("c" + std::to_string(i) + ".mp4", "av.mp4", folder));
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_OPEN), 0);
  AddSeveral(files);
  ASSERT_EQ(main->Jobs().Count(), 6) << testing::PrintToString(LogLines());
  const std::string selected = main->Jobs().Row(main->Jobs().ItemIndex()).Caption;

  std::map<std::string, int> opens;
  alignas(inotify_event) char buffer[8192];
  for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* at = buffer; at < buffer + got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(at);
      if (event->len > 0) ++opens[(folder / event->name).string()];
      at += sizeof(inotify_event) + event->len;
    }
  }
  ::close(watch);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    if (file == selected)
      EXPECT_TRUE(opens[file] == 1 || opens[file] == 2) << opens[file] << " (the preview may open it too)";
    else
      EXPECT_EQ(opens[file], 1);
  }

  const auto heldOpen = [&] {
    std::vector<std::string> held;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      const std::string target = fs::read_symlink(entry.path(), error).string();
      if (!error && target.starts_with(folder.string() + "/") && target != selected) held.push_back(target);
    }
    return held;
  };
  EXPECT_EQ(heldOpen(), std::vector<std::string>{});
  Pump();
  EXPECT_EQ(heldOpen(), std::vector<std::string>{});
}

// Closing the window stops a running batch (waiting for its workers, no handler running during
// the close) and the preview.
TEST_F(MainWindowJobsTest, ClosingStopsTheConverterAndThePlayer) {
  const std::string clip = fixtures::Make("long-av.mp4",
                                          "-f lavfi -i testsrc=size=320x240:rate=25:duration=10 -f lavfi -i "
                                          "sine=duration=10 -c:v mpeg4 -c:a aac -f mp4");
  const int threadsBefore = playertest::ThreadCount();
  Add(clip);
  ASSERT_EQ(main->Jobs().Count(), 1);
  ASSERT_GE(main->FFPlayer->VideoStreamIndex(), 0) << "the added row is previewed";
  main->N7->Click();  // 开始转换
  ASSERT_EQ(main->Conversion().State(), TConversionState::csRunning);
  int handled = 0;
  main->Convexa->OnTerminate = [&handled](TObject*, const TTerminateInfo&) { ++handled; };

  bool canClose = false;
  main->FormCloseQuery(canClose);
  EXPECT_TRUE(canClose);
  EXPECT_FALSE(main->Convexa->OnTerminate || main->Convexa->OnProgress || main->FFPlayer->OnPosition ||
               main->FFPlayer->OnState || main->FFLogger->OnLog);
  EXPECT_EQ(main->FFPlayer->VideoStreamIndex(), -1) << "the preview stopped with the window";
  skinned_test_form::Pump();
  EXPECT_EQ(handled, 0);
  EXPECT_EQ(main->Conversion().State(), TConversionState::csRunning) << "no batch end was handled";
  EXPECT_TRUE(playertest::WaitUntil([&] { return playertest::ThreadCount() <= threadsBefore; }, 2000))
      << "no worker or player thread outlives the close";
  Close(false);
}

}  // namespace
