// Converting the job list through the main window: clips added under their presets, the thread
// count and after-batch choice taken from the options window, the batch started, paused, resumed
// and stopped from the tool bar and menus, each row's progress columns, the failure box, the
// after-run action, the rows held in place while a batch runs, and the look of the list during
// and after a batch.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "platform/controls/Application.h"
#include "platform/windowing/Painting.h"
#include "tests/Src/ConvexaTestSupport.h"
#include "tests/Src/MediaFixtures.h"
#include "tests/app/MainWindowWorld.h"
#include "tests/app/PresetJobs.h"
#include "tests/platform/Watchdog.h"

namespace {

using namespace main_window;
using convexatest::PumpUntil;
using enum TJobSubItem;

constexpr int kAviPreset = 1500;  // mpeg4 and mp3 in AVI
constexpr int kMp3Preset = 100;   // audio only
constexpr int kAmrPreset = 112;   // an encoder the libraries do not have

// A minute of a larger picture: a batch of these is still running when the test pauses or
// stops it, however slow the machine (shared with the component's tests, made once).
std::string LongClip() {
  return fixtures::Make("long-av-60.mp4",
                        "-f lavfi -i testsrc=size=320x240:rate=25:duration=60 -f lavfi -i sine=duration=60 "
                        "-c:v mpeg4 -c:a aac -f mp4");
}

// A raw video stream: no container to say how long it is.
std::string ClipWithoutDuration() {
  return fixtures::Make("no-duration.m4v", "-f lavfi -i testsrc=size=320x240:rate=25:duration=4 -c:v mpeg4 -f m4v");
}

class MainWindowConversionTest : public MainWindowWorld {
 protected:
  void SetUp() override {
    MainWindowWorld::SetUp();
    if (HasFatalFailure()) return;
    StartShownWithFolders();
  }

  // A copy of File in the clips folder under its own name.
  std::string Copy(const std::string& File, const std::string& Name) {
    const fs::path copy = clips / Name;
    fs::copy_file(File, copy, fs::copy_options::overwrite_existing);
    return copy.string();
  }
  // The user picks the preset with no row selected (so no row takes it) and adds the file.
  void Add(const std::string& File, int PresetCode) {
    main->SelectRow(-1);
    preset_jobs::ChoosePreset(*main->vlSkinOfficeComboBox2, *main->vlSkinOfficeComboBox1, PresetCode);
    const int rows = main->Jobs().Count();
    dialogs.files.push_back({File});
    main->btnAddClick();
    ASSERT_EQ(main->Jobs().Count(), rows + 1) << testing::PrintToString(LogLines());
  }
  // The options window's thread count and after-batch box.
  void ChooseThreads(int Count) { windows.Form5->vlSkinComboBox2->Pick(Count - 1); }
  void ChooseAfterRun(TvlSkinCheckRadioBox* Box) { Box->SetChecked(true); }

  [[nodiscard]] TConversionState State() { return main->Conversion().State(); }
  bool RunToEnd(int LimitMs = 60000) {
    return PumpUntil([this] { return State() == TConversionState::csEnded; }, LimitMs);
  }
  static void Pump(int Ms) { (void)PumpUntil([] { return false; }, Ms); }

  // The text the list view shows in a row's column.
  [[nodiscard]] std::string Shown(int Row, TJobSubItem Item) {
    return main->lvFiles->Items()->Item(Row)->SubItems()->Strings(static_cast<int>(Item));
  }
  [[nodiscard]] std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < main->Jobs().Count(); ++i) names.push_back(ExtractFileName(main->Jobs().Row(i).Caption));
    return names;
  }
  [[nodiscard]] std::string Output(int Row) { return (output / Column(Row, jsOutputName)).string(); }
  // The warning boxes shown: "<caption>|<text>" with the application's title as caption.
  [[nodiscard]] std::vector<std::string> Warnings() const {
    std::vector<std::string> warnings;
    for (const std::string& message : dialogs.messages)
      if (message.starts_with(std::string(kApplicationTitle) + "|")) warnings.push_back(message);
    return warnings;
  }
  // Hands the window a progress record as the converter does (on the GUI thread).
  void Progress(int Task, int64_t Current, int64_t Total, int64_t Size, int Fps) {
    TProgressInfo info{};
    info.TaskIndex = Task;
    info.CurrentDuration = Current;
    info.TotalDuration = Total;
    info.CurrentSize = Size;
    info.FPS = Fps;
    main->Convexa->OnProgress(main->Convexa, &info);
  }
  // The part of the list view waiting to be repainted (empty when none).
  [[nodiscard]] TRect ListUpdateRect() {
    TRect r{};
    return GetUpdateRect(main->lvFiles->Handle(), &r, FALSE) ? r : TRect{};
  }
  // The window from its caption down to the preview panel (whose picture depends on the
  // player): the tool bar's commands, the rows and the locked options.
  void CompareJobList(const std::string& Name) {
    const TRect w = main->BoundsRect();
    const TRect r{w.Left, w.Top, w.Right, main->ClientToScreen(TPoint{0, 294}).Y};
    skinned_test_form::CompareWithExpected(skinned_test_form::Shot(display, r), r.Width(), r.Height(),
                                           ExpectedFolder(), Name);
  }
};

// Three presets at two threads: every row reaches "100%", the outputs hold what the presets ask
// for, the commands follow the batch, the after-run action runs once, and the list shows the
// ended batch.
TEST_F(MainWindowConversionTest, ThreePresetsAtTwoThreadsReachTheEnd) {
  TWatchdog watchdog("three presets through the window", 180000);
  const auto& jobs = preset_jobs::kPresetOutputs;
  const char* names[] = {"片头.mp4", "music video.mp4", "holiday.mp4"};
  for (int i = 0; i < 3; ++i) ASSERT_NO_FATAL_FAILURE(Add(Copy(fixtures::Mp4(), names[i]), jobs[i].Preset));
  ChooseThreads(2);
  ChooseAfterRun(windows.Form5->vlSkinCheckRadioBox1);  // open the output folder

  main->vlSkinButton2->Click();  // 开始
  ASSERT_EQ(State(), TConversionState::csRunning);
  EXPECT_EQ(main->Convexa->TasksCount(), 3);
  for (TMenuItem* item : {main->Item111, main->N13, main->N14, main->N26, main->N7, main->N11, main->N111})
    EXPECT_FALSE(item->Enabled()) << item->Caption();
  for (TMenuItem* item : {main->N8, main->N10}) EXPECT_TRUE(item->Enabled()) << item->Caption();
  EXPECT_FALSE(main->vlSkinMenuSpeedButton1->Enabled());
  EXPECT_FALSE(main->vlSkinButton2->Enabled());
  EXPECT_TRUE(main->vlSkinButton10->Enabled() && main->vlSkinButton11->Enabled());
  EXPECT_FALSE(main->vlSkinOfficeComboBox1->Enabled() || main->vlSkinOfficeComboBox2->Enabled() ||
               main->vlSkinComboBox1->Enabled() || main->vlSkinButton5->Enabled());
  ASSERT_TRUE(RunToEnd());

  EXPECT_TRUE(Warnings().empty()) << testing::PrintToString(dialogs.messages);
  Pump(200);
  EXPECT_EQ(actions.calls, std::vector<std::string>{"open " + output.string()}) << "once, at the batch end";
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(jobs[row].Preset);
    EXPECT_EQ(Shown(row, jsProgress), "100%");
    EXPECT_TRUE(Shown(row, jsConvertedSize).ends_with("MB"));
    preset_jobs::ExpectPresetOutput(Output(row), jobs[row], 2.0);
  }
  // The batch end: clear and the editing controls back, stop, pause and resume off; add, remove,
  // rename and start wait for the list to be cleared.
  EXPECT_TRUE(main->N14->Enabled() && main->vlSkinButton8->Enabled() && main->vlSkinOfficeComboBox1->Enabled());
  for (TMenuItem* item : {main->Item111, main->N13, main->N26, main->N7, main->N8, main->N10, main->N11})
    EXPECT_FALSE(item->Enabled()) << item->Caption();
  EXPECT_FALSE(main->vlSkinButton10->Enabled() || main->vlSkinButton11->Enabled() || main->vlSkinButton12->Enabled());

  // Time and size depend on when the last progress came: fixed texts for the picture.
  for (int row = 0; row < 3; ++row) {
    main->Jobs().SetSubItem(row, jsCurrentTime, "00:00:02");
    main->Jobs().SetSubItem(row, jsConvertedSize, "0.31MB");
  }
  main->SelectRow(1);
  CompareJobList("main_window_batch_ended");
}

// Pause holds the rows, resume goes on, and the user's stop (here while paused) ends the batch
// with every row saying 已停止, no message and without the action chosen for its end. Rows stay in place all the while.
TEST_F(MainWindowConversionTest, PauseResumeAndStopFromTheToolBar) {
  TWatchdog watchdog("pause, resume, stop through the window", 120000);
  for (int i = 0; i < 3; ++i) ASSERT_NO_FATAL_FAILURE(Add(Copy(LongClip(), "clip" + std::to_string(i) + ".mp4"), kAviPreset));
  main->Convexa->SetProgressInterval(100);
  ChooseThreads(2);
  ChooseAfterRun(windows.Form5->vlSkinCheckRadioBox1);  // open the output folder
  const auto times = [this] { return std::vector<std::string>{Column(0, jsCurrentTime), Column(1, jsCurrentTime)}; };

  main->N7->Click();  // 开始转换
  ASSERT_TRUE(PumpUntil([this] { return !Column(0, jsProgress).empty() && !Column(1, jsProgress).empty(); }, 60000));
  main->vlSkinButton11->Click();  // 暂停
  EXPECT_EQ(State(), TConversionState::csPaused);
  EXPECT_FALSE(main->vlSkinButton11->Visible());
  EXPECT_TRUE(main->vlSkinButton12->Visible() && main->vlSkinButton12->Enabled());
  EXPECT_TRUE(main->N11->Enabled());
  EXPECT_FALSE(main->N10->Enabled());
  EXPECT_TRUE(main->N8->Enabled()) << "a paused batch can be stopped";
  Pump(300);  // news already on its way lands
  const std::vector<std::string> paused = times();
  Pump(700);
  EXPECT_EQ(times(), paused) << "nothing converts while paused";

  // While the batch holds the rows, nothing moves, goes or is renamed.
  const std::vector<std::string> names = Names();
  main->SelectRow(1);
  main->btnRemoveClick();
  main->vlSkinButton3Click();
  main->vlSkinButton4Click();
  main->btnClearClick();
  main->vlSkinButton21Click();
  EXPECT_EQ(Names(), names);
  EXPECT_EQ(main->Convexa->TasksCount(), 3);
  EXPECT_FALSE(main->edt->Visible());
  EXPECT_EQ(State(), TConversionState::csPaused);

  main->N11->Click();  // 继续继续
  EXPECT_EQ(State(), TConversionState::csRunning);
  EXPECT_TRUE(main->vlSkinButton11->Visible() && main->vlSkinButton11->Enabled());
  EXPECT_FALSE(main->vlSkinButton12->Visible());
  ASSERT_TRUE(PumpUntil([&] { return times() != paused; }, 60000));

  main->N10->Click();  // 暂停转换
  main->vlSkinButton10->Click();  // 停止, while paused
  EXPECT_FALSE(main->vlSkinButton10->Enabled() || main->N8->Enabled());
  EXPECT_TRUE(main->vlSkinButton2->Enabled()) << "the start tool button comes back at once";
  EXPECT_FALSE(main->N7->Enabled());
  EXPECT_TRUE(main->vlSkinOfficeComboBox1->Enabled()) << "editing unlocked";
  ASSERT_TRUE(RunToEnd());
  Pump(200);
  EXPECT_TRUE(actions.calls.empty()) << "no after-run action after the user's stop";
  EXPECT_TRUE(Warnings().empty()) << testing::PrintToString(dialogs.messages);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Shown(row, jsProgress), "已停止") << row;

  // The batch has ended: rows may move again.
  main->SelectRow(1);
  main->vlSkinButton3Click();
  EXPECT_EQ(Names(), (std::vector<std::string>{"clip1.mp4", "clip0.mp4", "clip2.mp4"}));
}

// A row given a preset whose encoder the libraries lack (picked while the row was selected, which
// the add's own check never saw) fails its own task with one warning naming the cause; the other
// task converts, and the batch end shows nothing more.
TEST_F(MainWindowConversionTest, AFailingPresetGivesExactlyOneMessageBox) {
  TWatchdog watchdog("failing preset through the window", 60000);
  ASSERT_NO_FATAL_FAILURE(Add(Copy(fixtures::Mp4(), "phone.mp4"), kMp3Preset));
  main->SelectRow(0);
  preset_jobs::ChoosePreset(*main->vlSkinOfficeComboBox2, *main->vlSkinOfficeComboBox1, kAmrPreset);
  ASSERT_EQ(Column(0, jsOutputName), "phone.amr");
  ASSERT_NO_FATAL_FAILURE(Add(Copy(fixtures::Mp4(), "song.mp4"), kMp3Preset));
  ChooseThreads(2);
  main->N7->Click();
  ASSERT_TRUE(RunToEnd());
  Pump(200);
  const std::vector<std::string> warnings = Warnings();
  ASSERT_EQ(warnings.size(), 1u) << testing::PrintToString(dialogs.messages);
  EXPECT_TRUE(warnings[0].starts_with(std::string(kApplicationTitle) +
                                      "|以下 1 个文件转换失败：\nphone.mp4：此系统的 FFmpeg 没有 AMR-NB 编码器\n\n"
                                      "请为这些文件选择其他输出格式，或安装带有该编码器的 FFmpeg。\n\n详细信息：\n"))
      << warnings[0];
  EXPECT_NE(warnings[0].find("libopencore_amrnb"), std::string::npos) << "the library's text after it";
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(Shown(0, jsProgress), "失败");
  EXPECT_EQ(Shown(1, jsProgress), "100%");

  // The failed row's reason is its tooltip: the mouse on it shows it, on the other row none.
  const auto hover = [this](int Row) {
    const TRect r = main->lvFiles->ItemRect(Row, TDisplayCode::drBounds);
    display->MouseMove(main->lvFiles->ClientToScreen(TPoint{r.Left + 40, (r.Top + r.Bottom) / 2}));
    skinned_test_form::Pump();
  };
  hover(1);
  hover(0);
  EXPECT_EQ(main->lvFiles->Hint(), "此系统的 FFmpeg 没有 AMR-NB 编码器");
  EXPECT_TRUE(Application()->HintShowing());
  hover(1);
  EXPECT_EQ(main->lvFiles->Hint(), "");
  EXPECT_FALSE(Application()->HintShowing());
  display->MouseMove({1279, 1023});
  skinned_test_form::Pump();

  // The next start clears the reasons before it converts again.
  main->btnClearClick();
  ASSERT_NO_FATAL_FAILURE(Add(Copy(fixtures::Mp4(), "again.mp4"), kMp3Preset));
  main->N7->Click();
  EXPECT_EQ(main->Jobs().Row(0).Hint, "");
  ASSERT_TRUE(RunToEnd());
}

// With 自动重命名输出文件 a start never replaces a file that is there: the row takes the next free
// name and the file stays as it was. With 直接覆盖输出文件 the user is asked once for the whole
// batch; "否" starts nothing and replaces nothing, "是" converts over the files.
TEST_F(MainWindowConversionTest, AStartNeverReplacesAFileUnlessTheUserSaysSo) {
  TWatchdog watchdog("existing outputs at start", 120000);
  ASSERT_NO_FATAL_FAILURE(Add(Copy(fixtures::Mp4(), "one.mp4"), kMp3Preset));
  ASSERT_NO_FATAL_FAILURE(Add(Copy(fixtures::Mp4(), "two.mp4"), kMp3Preset));
  ASSERT_EQ(Column(0, jsOutputName), "one.mp3");
  // Files that appeared after the add (an earlier batch's results, say).
  for (const char* name : {"one.mp3", "one_1.mp3", "two.mp3"}) std::ofstream(output / name) << "keep me";
  ASSERT_TRUE(windows.Form5->vlSkinCheckRadioBox6->Checked()) << "自动重命名输出文件 by default";

  main->N7->Click();
  EXPECT_EQ(Column(0, jsOutputName), "one_2.mp3");
  EXPECT_EQ(Column(1, jsOutputName), "two_1.mp3");
  ASSERT_TRUE(RunToEnd());
  for (const char* name : {"one.mp3", "one_1.mp3", "two.mp3"}) {
    std::ifstream in(output / name);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "keep me") << name;
  }
  EXPECT_GT(fs::file_size(output / "one_2.mp3"), 1000u);
  EXPECT_TRUE(std::none_of(dialogs.messages.begin(), dialogs.messages.end(),
                           [](const std::string& M) { return M.starts_with("?"); }))
      << "nothing to ask";

  // Overwrite chosen: the batch's existing outputs are named in one question.
  main->btnClearClick();
  windows.Form5->vlSkinCheckRadioBox3->SetChecked(true);  // 直接覆盖输出文件
  ASSERT_NO_FATAL_FAILURE(Add(Copy(fixtures::Mp4(), "one.mp4"), kMp3Preset));
  ASSERT_NO_FATAL_FAILURE(Add(Copy(fixtures::Mp4(), "three.mp4"), kMp3Preset));
  ASSERT_EQ(Column(0, jsOutputName), "one.mp3");
  ASSERT_EQ(Column(1, jsOutputName), "three.mp3");
  dialogs.messages.clear();
  dialogs.answers = {false};
  main->N7->Click();
  const std::string question = "?" + std::string(kApplicationTitle) +
                               "|以下 1 个输出文件已经存在：\none.mp3\n\n开始转换会覆盖这些文件。要覆盖吗？\n"
                               "选择“否”则不开始转换，您可以先重命名输出文件、选择其他输出目录，或在“选项”中选择“自动重命名输出文件”。";
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{question});
  EXPECT_NE(State(), TConversionState::csRunning) << "否: nothing starts";
  EXPECT_EQ(fs::file_size(output / "one.mp3"), 7u) << "nor is anything replaced";
  EXPECT_TRUE(main->vlSkinButton2->Enabled());

  dialogs.answers = {true};
  main->vlSkinButton2->Click();
  EXPECT_EQ(dialogs.messages.size(), 2u) << "asked once for the batch";
  ASSERT_TRUE(RunToEnd());
  EXPECT_GT(fs::file_size(output / "one.mp3"), 1000u) << "是: converted over it";
  EXPECT_EQ(Column(0, jsOutputName), "one.mp3");
}

// 打开 and the after-run "open folder" on a desktop without any opener: a message says what to
// install, in place of nothing at all.
TEST_F(MainWindowConversionTest, OpeningTheFolderWithoutAnOpenerSaysWhatToInstall) {
  actions.openerMissing = true;
  main->vlSkinButton6->Click();  // 打开
  const std::string expected = std::string(kApplicationTitle) + "|无法打开“" + output.string() +
                               "”：此系统没有可以打开它的程序。\n请先安装 xdg-utils（在终端运行 sudo apt-get install "
                               "xdg-utils），然后再试一次。\n\nno desktop opener could be started (tried xdg-open, "
                               "gio open)";
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{expected});
  EXPECT_EQ(actions.calls, std::vector<std::string>{"open " + output.string()});

  ASSERT_NO_FATAL_FAILURE(Add(Copy(fixtures::Mp4(), "song.mp4"), kMp3Preset));
  ChooseAfterRun(windows.Form5->vlSkinCheckRadioBox1);
  dialogs.messages.clear();
  main->N7->Click();
  ASSERT_TRUE(RunToEnd());
  Pump(200);
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{expected}) << "after the batch, too";
}

// A row whose input went away after it was added gets no task: it is skipped and the user is told
// why, and the next row's task still reports into its own row. A clip that does not say how long
// it is shows "N/A" until it ends.
TEST_F(MainWindowConversionTest, AGoneInputIsSkippedAndReportedAndNoDurationShowsNA) {
  TWatchdog watchdog("skipped row and no duration", 60000);
  const std::string gone = Copy(fixtures::Mp4(), "gone.mp4");
  ASSERT_NO_FATAL_FAILURE(Add(gone, kAviPreset));
  ASSERT_NO_FATAL_FAILURE(Add(Copy(ClipWithoutDuration(), "raw.m4v"), kAviPreset));
  fs::remove(gone);
  main->Convexa->SetProgressInterval(100);
  std::vector<std::string> percents;  // the progress texts row 1 showed
  const auto inner = main->Jobs().OnChange;
  main->Jobs().OnChange = [&, inner](int Row) {
    if (Row == 1) percents.push_back(Column(1, jsProgress));
    inner(Row);
  };
  main->N7->Click();
  ASSERT_TRUE(RunToEnd());
  Pump(200);
  main->Jobs().OnChange = inner;

  EXPECT_EQ(main->Convexa->TasksCount(), 1);
  const std::vector<std::string> warnings = Warnings();
  ASSERT_EQ(warnings.size(), 1u) << testing::PrintToString(dialogs.messages);
  EXPECT_TRUE(warnings[0].starts_with(std::string(kApplicationTitle) +
                                      "|以下 1 个文件转换失败：\ngone.mp4：文件不存在或已被移走\n\n"
                                      "请确认文件还在原来的位置，清空列表后重新添加。\n\n详细信息：\n"))
      << warnings[0];
  const std::vector<std::string> log = LogLines();
  EXPECT_NE(std::find_if(log.begin(), log.end(), [](const std::string& L) { return L.starts_with("***无法打开此文件（请确认文件还在原处并且可以读取）："); }),
            log.end());
  EXPECT_EQ(Shown(0, jsProgress), "失败");
  ASSERT_FALSE(percents.empty());
  EXPECT_EQ(percents.front(), "N/A");
  EXPECT_EQ(percents.back(), "100%");
  for (std::size_t i = 0; i + 1 < percents.size(); ++i) EXPECT_EQ(percents[i], "N/A");
}

// While paused, news written into a row repaints that row alone, news that changes nothing
// repaints nothing, and records naming rows the list does not have are dropped; the paused batch
// as the list shows it.
TEST_F(MainWindowConversionTest, TheListRepaintsOnlyChangedRowsAndLooksFinishedWhilePaused) {
  TWatchdog watchdog("paused list", 120000);
  for (const char* name : {"第一集.mp4", "第二集.mp4", "第三集.mp4"})
    ASSERT_NO_FATAL_FAILURE(Add(Copy(LongClip(), name), kAviPreset));
  ChooseThreads(2);
  main->Convexa->SetProgressInterval(100);
  main->N7->Click();
  ASSERT_TRUE(PumpUntil([this] { return !Column(0, jsProgress).empty() && !Column(1, jsProgress).empty(); }, 60000));
  main->N10->Click();
  Pump(300);
  skinned_test_form::Pump();
  ASSERT_TRUE(ListUpdateRect().IsEmpty());

  Progress(1, 18000000, 60000000, 1572864, 41);
  EXPECT_EQ(Shown(1, jsProgress), "30%");
  EXPECT_EQ(Shown(1, jsCurrentTime), "00:00:18");
  EXPECT_EQ(Shown(1, jsConvertedSize), "1.5MB");
  const TRect row1 = main->lvFiles->ItemRect(1, TDisplayCode::drBounds);
  const TRect dirty = ListUpdateRect();
  EXPECT_FALSE(dirty.IsEmpty());
  EXPECT_TRUE(row1.Contains(TPoint{dirty.Left, dirty.Top}) && row1.Contains(TPoint{dirty.Right - 1, dirty.Bottom - 1}))
      << "only row 1 is repainted";
  skinned_test_form::Pump();
  Progress(1, 18000000, 60000000, 1572864, 41);
  EXPECT_TRUE(ListUpdateRect().IsEmpty()) << "the same news repaints nothing";
  Progress(7, 1000000, 60000000, 1, 1);  // a task the batch does not have
  main->Convexa->OnTerminate(main->Convexa, TTerminateInfo{9, false, true, "no such task"});
  Pump(100);
  EXPECT_TRUE(ListUpdateRect().IsEmpty());
  EXPECT_TRUE(Warnings().empty());

  Progress(0, 45000000, 60000000, 3250586, 57);
  main->SelectRow(0);
  CompareJobList("main_window_batch_paused");

  main->N8->Click();
  ASSERT_TRUE(RunToEnd());
}

}  // namespace
