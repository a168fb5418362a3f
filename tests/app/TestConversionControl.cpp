// The conversion control of the main window: the output record a row gives at start, the
// progress texts, and real batches through the converter component — presets converted at two
// threads, pause, resume and stop, a failing preset, a row whose input is gone, rows removed
// under a running batch, the after-run actions and a failure reported while a stop waits.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "app/ConversionControl.h"
#include "tests/PollUntil.h"
#include "platform/Watchdog.h"
#include "tests/Src/ConvexaTestSupport.h"
#include "tests/app/MemoryConversionView.h"
#include "tests/app/PresetJobs.h"

namespace {

namespace fs = std::filesystem;
using convexatest::PumpUntil;
using enum TJobSubItem;
using enum TConversionCommand;
using memory_conversion::TMemoryAfterRunActions;
using memory_conversion::TMemoryConversionView;

// ---- records and texts ---------------------------------------------------------------------

TEST(ConversionRecordsTest, TheRowsColumnsRefreshTheOutputRecord) {
  struct Case {
    const char* what;
    std::vector<std::pair<TJobSubItem, const char*>> columns;
    // What the columns change beyond an empty row, which empties the tag, clears "no video" and
    // sets the norm to auto.
    std::function<void(TOutputOptions&)> expect;
  };
  const Case cases[] = {
      {"an empty row gives a fresh record's settings", {}, [](TOutputOptions&) {}},
      {"libx264 brings its preset and drops the tag",
       {{jsVideoCodec, "libx264"}, {jsVideoTag, "avc1"}},
       [](TOutputOptions& o) {
         o.VideoCodec = "libx264";
         o.VideoPreset = "libx264-default";
       }},
      {"another codec keeps its tag and no preset",
       {{jsVideoCodec, "mpeg4"}, {jsVideoTag, "XVID"}},
       [](TOutputOptions& o) {
         o.VideoCodec = "mpeg4";
         o.VideoPreset.clear();
         o.VideoTag = "XVID";
       }},
      {"a not-set audio bit rate, codec and sample rate give fresh ones",
       {{jsAudioBitrate, "-1000"}, {jsAudioSampleRate, "AUTO"}, {jsAudioCodec, "AUTO"}},
       [](TOutputOptions&) {}},
      {"the other not-set audio bit rate", {{jsAudioBitrate, "-2000"}}, [](TOutputOptions&) {}},
      {"audio bit rate 128000", {{jsAudioBitrate, "128000"}}, [](TOutputOptions& o) { o.AudioBitrate = 128000; }},
      {"numbers and texts",
       {{jsAudioCodec, "mp2"},
        {jsAudioChannels, "1"},
        {jsFileExt, ".mpg"},
        {jsFrameSize, "352*288"},
        {jsVideoBitrate, "-1000"},
        {jsFrameRate, "25"},
        {jsAudioSampleRate, "44100"},
        {jsFrameAspectRatio, "4:3"},
        {jsDisableVideo, "True"}},
       [](TOutputOptions& o) {
         o.AudioCodec = "mp2";
         o.AudioChannels = 1;
         o.FileExt = ".mpg";
         o.FrameSize = "352*288";
         o.FrameRate = "25";
         o.AudioSampleRate = 44100;
         o.FrameAspectRatio = "4:3";
         o.DisableVideo = true;
       }},
      {"a number that does not read gives a fresh field",
       {{jsAudioChannels, "two"}, {jsVideoBitrate, "8e5"}},
       [](TOutputOptions&) {}},
      {"dvd in NTSC",
       {{jsTargetType, "dvd"}, {jsNormType, "NTSC"}},
       [](TOutputOptions& o) {
         o.TargetType = TOptionTargetType::ttDVD;
         o.NormType = TOptionNormType::ntNTSC;
       }},
      {"another target is none; PAL",
       {{jsTargetType, "bluray"}, {jsNormType, "PAL"}},
       [](TOutputOptions& o) {
         o.TargetType = TOptionTargetType::ttIgnore;
         o.NormType = TOptionNormType::ntPAL;
       }},
  };
  // A record that differs from every column value, so each change shows.
  TOutputOptions start;
  InitOutputOptions(start);
  start.VideoCodec = "flv";
  start.VideoPreset = "old-preset";
  start.VideoTag = "OLD1";
  start.AudioCodec = "aac";
  start.AudioBitrate = 64000;
  start.AudioChannels = 2;
  start.AudioSampleRate = 22050;
  start.VideoBitrate = 300000;
  start.DisableVideo = true;
  start.TargetType = TOptionTargetType::ttVCD;
  start.NormType = TOptionNormType::ntNTSC;
  start.FileFormat = "avi";  // no column: never touched
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TJobRow row;
    for (const auto& [item, text] : c.columns) row[item] = text;
    TOutputOptions refreshed = start;
    RefreshOutputOptions(row, refreshed);
    // What an earlier preset left in the record does not stay: every field a column carries
    // starts fresh, and only the format (no column) is kept.
    TOutputOptions expected;
    InitOutputOptions(expected);
    expected.FileFormat = start.FileFormat;
    expected.VideoTag.clear();
    expected.DisableVideo = false;
    expected.NormType = TOptionNormType::ntAuto;
    c.expect(expected);
    EXPECT_EQ(refreshed.VideoCodec, expected.VideoCodec);
    EXPECT_EQ(refreshed.VideoPreset, expected.VideoPreset);
    EXPECT_EQ(refreshed.VideoTag, expected.VideoTag);
    EXPECT_EQ(refreshed.AudioCodec, expected.AudioCodec);
    EXPECT_EQ(refreshed.AudioChannels, expected.AudioChannels);
    EXPECT_EQ(refreshed.FileExt, expected.FileExt);
    EXPECT_EQ(refreshed.FrameSize, expected.FrameSize);
    EXPECT_EQ(refreshed.VideoBitrate, expected.VideoBitrate);
    EXPECT_EQ(refreshed.FrameRate, expected.FrameRate);
    EXPECT_EQ(refreshed.AudioBitrate, expected.AudioBitrate);
    EXPECT_EQ(refreshed.AudioSampleRate, expected.AudioSampleRate);
    EXPECT_EQ(refreshed.FrameAspectRatio, expected.FrameAspectRatio);
    EXPECT_EQ(refreshed.DisableVideo, expected.DisableVideo);
    EXPECT_EQ(refreshed.TargetType, expected.TargetType);
    EXPECT_EQ(refreshed.NormType, expected.NormType);
    EXPECT_EQ(refreshed.FileFormat, "avi");
  }
}

TEST(ConversionRecordsTest, ProgressTextsAndThreadCounts) {
  struct Case {
    int64_t current, total, size;
    int fps;
    const char *progress, *fpsText, *time, *sizeText;
  };
  const Case cases[] = {
      {30000000, 120000000, 1572864, 25, "25%", "25", "00:00:30", "1.5MB"},
      {5000000, 0, 0, 0, "N/A", nullptr, "00:00:05", "0MB"},
      {3723999999, 3724000000, 12943360, 120, "99%", "120", "01:02:03", "12.34MB"},
      {-1, 1000000, 7 << 20, -3, "0%", nullptr, "00:00:00", "7MB"},
      {INT64_MAX / 2, INT64_MAX / 2, 0, 1, "100%", "1", "00:00:00", "0MB"},  // no overflow on a wild time
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.progress);
    TProgressInfo info;
    info.CurrentDuration = c.current;
    info.TotalDuration = c.total;
    info.CurrentSize = c.size;
    info.FPS = c.fps;
    const TProgressTexts texts = ProgressTexts(info);
    EXPECT_EQ(texts.Progress, c.progress);
    EXPECT_EQ(texts.FramesPerSecond.has_value(), c.fpsText != nullptr);
    if (c.fpsText) {
      EXPECT_EQ(*texts.FramesPerSecond, c.fpsText);
    }
    if (c.current < INT64_MAX / 4) {
      EXPECT_EQ(texts.CurrentTime, c.time);
    }
    EXPECT_EQ(texts.ConvertedSize, c.sizeText);
  }
  const std::pair<const char*, int> counts[] = {{"1", 1},   {"4", 4}, {"19", 19}, {"", 1},
                                                {"abc", 1}, {"0", 1}, {"-2", 1}};
  for (const auto& [text, count] : counts) EXPECT_EQ(ThreadCountOf(text), count) << text;
}

// ---- batches -------------------------------------------------------------------------------

// Ten seconds of a larger picture: long enough to be paused and stopped part-way (shared with the
// component's own tests, made once).
std::string LongFile(int ASeconds = 10) {
  const std::string d = std::to_string(ASeconds);
  return fixtures::Make(ASeconds == 10 ? "long-av.mp4" : "long-av-" + d + ".mp4",
                        "-f lavfi -i testsrc=size=320x240:rate=25:duration=" + d + " -f lavfi -i sine=duration=" + d +
                            " -c:v mpeg4 -c:a aac -f mp4");
}

class ConversionControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadLibraries();
    dir = fixtures::ScratchFolder("conversion-control");
    presets = std::make_unique<preset_jobs::TPresetJobs>(dir.string());
    convexa = std::make_unique<TConvexa>(nullptr);
    convexa->SetProgressInterval(100);
    control = std::make_unique<TConversionControl>(*convexa, jobs(), presets->folder, view, actions,
                                                   [this] { return settings; });
    jobs().OnChange = [this](int AIndex) { changes.push_back(AIndex); };
  }
  void TearDown() override {
    control.reset();
    convexa.reset();
    presets.reset();
    std::error_code error;
    fs::remove_all(dir, error);
  }

  TJobList& jobs() { return presets->jobs; }
  const std::string& Column(int ARow, TJobSubItem AItem) { return jobs().SubItem(ARow, AItem); }
  std::string Output(int ARow) { return (dir / Column(ARow, jsOutputName)).string(); }
  // A copy of AFile in the test's folder under its own name, so that every job has an output of
  // its own.
  std::string Copy(const std::string& AFile, const std::string& AName) {
    const fs::path copy = dir / AName;
    fs::copy_file(AFile, copy, fs::copy_options::overwrite_existing);
    return copy.string();
  }
  // Jobs of ten-second files under an AVI preset.
  void AddLongJobs(int ACount, int ASeconds = 10) {
    for (int i = 0; i < ACount; ++i)
      ASSERT_GE(presets->AddJob(Copy(LongFile(ASeconds), "in" + std::to_string(i) + ".mp4"), 1500), 0);
  }
  bool RunToEnd(int ALimitMs = 60000) {
    return PumpUntil([this] { return control->State() == TConversionState::csEnded; }, ALimitMs);
  }
  // Serves the GUI thread's calls for a while.
  static void Pump(int AMs) {
    (void)PumpUntil([] { return false; }, AMs);
  }

  fs::path dir;
  std::unique_ptr<preset_jobs::TPresetJobs> presets;
  std::unique_ptr<TConvexa> convexa;
  TMemoryConversionView view;
  TMemoryAfterRunActions actions;
  TConversionSettings settings;
  std::unique_ptr<TConversionControl> control;
  std::vector<int> changes;  // rows the job list reported for repaint
};

TEST_F(ConversionControlTest, PresetsConvertAtTwoThreadsAndEveryRowReachesTheEnd) {
  TWatchdog watchdog("three presets", 120000);
  const auto& expected = preset_jobs::kPresetOutputs;
  for (const auto& job : expected) ASSERT_GE(presets->AddJob(fixtures::Mp4(), job.Preset), 0);
  settings.ThreadCount = "2";
  settings.AfterRun = TAfterRunAction::arOpenFolder;
  changes.clear();

  control->Start();
  EXPECT_EQ(control->State(), TConversionState::csRunning);
  EXPECT_TRUE(control->RowsLocked());
  for (TConversionCommand command :
       {ccAdd, ccEditing, ccRemove, ccRename, ccClear, ccStart, ccStartButton, ccResume, ccMove})
    EXPECT_FALSE(view.Enabled(command)) << static_cast<int>(command);
  EXPECT_TRUE(view.Enabled(ccStop));
  EXPECT_TRUE(view.Enabled(ccPause));
  ASSERT_TRUE(RunToEnd());

  EXPECT_TRUE(view.warnings.empty()) << view.warnings.front();
  EXPECT_TRUE(view.log.empty());
  EXPECT_EQ(actions.calls, std::vector<std::string>{"open " + dir.string()});
  EXPECT_FALSE(control->RowsLocked());
  for (TConversionCommand command : {ccClear, ccEditing, ccMove}) EXPECT_TRUE(view.Enabled(command));
  for (TConversionCommand command : {ccAdd, ccRemove, ccRename, ccStart, ccStartButton, ccStop, ccPause, ccResume})
    EXPECT_FALSE(view.Enabled(command)) << static_cast<int>(command);
  // Only rows were reported for repaint, never the whole list.
  for (int row : changes) EXPECT_TRUE(row >= 0 && row < 3) << row;
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(expected[row].Preset);
    EXPECT_EQ(Column(row, jsProgress), "100%");
    EXPECT_TRUE(Column(row, jsCurrentTime) == "00:00:01" || Column(row, jsCurrentTime) == "00:00:02")
        << Column(row, jsCurrentTime);
    EXPECT_TRUE(Column(row, jsConvertedSize).ends_with("MB"));
    preset_jobs::ExpectPresetOutput(Output(row), expected[row], 2.0);
  }
}

// The user's stop is no failure: no message, each row says 已停止, each file that was begun
// plays up to where it got, and no after-run action follows.
TEST_F(ConversionControlTest, PauseHoldsTheRowsResumeGoesOnAndStopEndsWithoutTheAfterRunAction) {
  TWatchdog watchdog("pause, resume, stop", 120000);
  ASSERT_NO_FATAL_FAILURE(AddLongJobs(3));
  settings.ThreadCount = "2";
  settings.AfterRun = TAfterRunAction::arOpenFolder;
  auto progressOf = [this] { return std::vector<std::string>{Column(0, jsCurrentTime), Column(1, jsCurrentTime)}; };
  auto underWay = [this] { return !Column(0, jsProgress).empty() && Column(0, jsProgress) != "0%"; };

  control->Start();
  ASSERT_TRUE(PumpUntil(underWay, 60000));
  control->Pause();
  EXPECT_EQ(control->State(), TConversionState::csPaused);
  EXPECT_FALSE(view.Enabled(ccPause));
  EXPECT_TRUE(view.Enabled(ccResume));
  EXPECT_FALSE(view.pauseShown);
  Pump(300);  // news already on its way lands
  const std::vector<std::string> paused = progressOf();
  Pump(700);
  EXPECT_EQ(progressOf(), paused) << "nothing converts while paused";

  control->Resume();
  EXPECT_EQ(control->State(), TConversionState::csRunning);
  EXPECT_TRUE(view.Enabled(ccPause));
  EXPECT_FALSE(view.Enabled(ccResume));
  EXPECT_TRUE(view.pauseShown);
  ASSERT_TRUE(PumpUntil([&] { return progressOf() != paused; }, 60000));

  control->Stop();
  EXPECT_FALSE(view.Enabled(ccStop));
  EXPECT_FALSE(view.Enabled(ccPause));
  EXPECT_TRUE(view.Enabled(ccStartButton));
  EXPECT_FALSE(view.Enabled(ccStart));
  EXPECT_TRUE(view.Enabled(ccEditing));
  ASSERT_TRUE(RunToEnd());
  EXPECT_TRUE(view.Enabled(ccClear));
  EXPECT_TRUE(view.Enabled(ccStartButton));
  EXPECT_TRUE(actions.calls.empty()) << "no after-run action after the user's stop";
  EXPECT_TRUE(view.warnings.empty()) << view.warnings.front();
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Column(row, jsProgress), "已停止") << row;
  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row);
    ASSERT_TRUE(fs::exists(Output(row)));
    EXPECT_EQ(fixtures::DecodeErrors(Output(row)), "");
    const auto probe = fixtures::Probe(Output(row));
    ASSERT_TRUE(probe.count("format.duration")) << "the stopped file does not play";
    EXPECT_GT(std::stod(probe.at("format.duration")), 0.0);
  }
  EXPECT_FALSE(fs::exists(Output(2))) << "the third file never started";
}

TEST_F(ConversionControlTest, AFailingPresetGivesOneMessageNamingItsFirstCause) {
  TWatchdog watchdog("failing preset", 60000);
  ASSERT_GE(presets->AddJob(fixtures::Mp4(), 112), 0);  // AMR: the libraries have no such encoder
  ASSERT_GE(presets->AddJob(fixtures::Mp4(), 100), 0);
  settings.ThreadCount = "2";
  control->Start();
  ASSERT_TRUE(RunToEnd());
  ASSERT_EQ(view.warnings.size(), 1u);
  const std::string& warning = view.warnings[0];
  EXPECT_TRUE(warning.starts_with("以下 1 个文件转换失败：\n")) << warning;
  EXPECT_NE(warning.find("：此系统的 FFmpeg 没有 AMR-NB 编码器\n"), std::string::npos) << warning;
  EXPECT_LT(warning.find("AMR-NB 编码器"), warning.find("详细信息：\n")) << "the library's text comes after";
  EXPECT_NE(warning.find("libopencore_amrnb"), std::string::npos) << warning;
  EXPECT_EQ(Column(0, jsProgress), "失败");
  EXPECT_EQ(jobs().Row(0).Hint, "此系统的 FFmpeg 没有 AMR-NB 编码器");
  EXPECT_EQ(Column(1, jsProgress), "100%");
  EXPECT_EQ(jobs().Row(1).Hint, "");
  EXPECT_TRUE(actions.calls.empty());
}

TEST_F(ConversionControlTest, ARowWhoseInputIsGoneIsSkippedAndTheOthersKeepTheirRows) {
  TWatchdog watchdog("skipped row", 60000);
  const std::string gone = Copy(fixtures::Mp4(), "gone.mp4");
  ASSERT_GE(presets->AddJob(gone, 100), 0);
  ASSERT_GE(presets->AddJob(fixtures::Mp4(), 100), 0);
  fs::remove(gone);
  // Each progress record is delivered a second time: a record that changes no text repaints
  // nothing.
  std::set<int> repainted;
  auto inner = convexa->OnProgress;
  convexa->OnProgress = [&, inner](TObject* ASender, PProgressInfo AInfo) {
    changes.clear();
    inner(ASender, AInfo);
    repainted.insert(changes.begin(), changes.end());
    changes.clear();
    inner(ASender, AInfo);
    EXPECT_TRUE(changes.empty());
  };
  control->Start();
  ASSERT_TRUE(RunToEnd());
  ASSERT_EQ(view.log.size(), 1u);
  EXPECT_TRUE(view.log[0].starts_with("***无法打开此文件（请确认文件还在原处并且可以读取）：")) << view.log[0];
  EXPECT_EQ(Column(0, jsProgress), "失败");
  EXPECT_EQ(jobs().Row(0).Hint, "文件不存在或已被移走");
  EXPECT_EQ(Column(1, jsProgress), "100%");
  EXPECT_EQ(repainted, std::set<int>{1}) << "task 0 is the second row's";
  ASSERT_EQ(view.warnings.size(), 1u) << "the user is told why the row stays as it is";
  EXPECT_TRUE(view.warnings[0].starts_with("以下 1 个文件转换失败：\ngone.mp4：文件不存在或已被移走\n")) << view.warnings[0];
  EXPECT_TRUE(view.warnings[0].ends_with("\n" + view.log[0].substr(std::string("***无法打开此文件（请确认文件还在原处并且可以读取）：").size())))
      << view.warnings[0];
}

TEST_F(ConversionControlTest, RecordsForRowsThatAreGoneAreDropped) {
  TWatchdog watchdog("rows gone", 60000);
  ASSERT_NO_FATAL_FAILURE(AddLongJobs(2));
  settings.ThreadCount = "2";
  control->Start();
  ASSERT_TRUE(PumpUntil([this] { return !Column(1, jsProgress).empty(); }, 60000));
  // The window keeps rows in place during a batch; should they go anyway, the news of their
  // tasks must not fail the tasks or reach other rows.
  jobs().Clear();
  Pump(300);
  control->Stop();
  ASSERT_TRUE(RunToEnd());
  EXPECT_TRUE(view.warnings.empty()) << view.warnings.front();
  control->ConvexaTerminate({0, false, true, "late record"});
  EXPECT_TRUE(view.warnings.empty()) << "a record after the batch end is dropped";
}

TEST_F(ConversionControlTest, AStartRightAfterAStopIsNotEndedByTheStoppedBatch) {
  TWatchdog watchdog("start after stop", 60000);
  // Clips long enough that the second batch is still running after its first 300 ms on a fast
  // machine too.
  ASSERT_NO_FATAL_FAILURE(AddLongJobs(2, 60));
  settings.ThreadCount = "2";
  settings.AfterRun = TAfterRunAction::arOpenFolder;
  control->Start();
  control->Stop();
  // The stopped batch's end may still wait in the GUI thread's queue when the user starts again.
  const TTerminateEvent handler = convexa->OnTerminate;
  std::thread([&] { handler(convexa.get(), TTerminateInfo{-1, true, false, ""}); }).join();
  actions.calls.clear();
  control->Start();
  Pump(300);
  EXPECT_EQ(control->State(), TConversionState::csRunning);
  EXPECT_TRUE(view.Enabled(ccStop));
  EXPECT_FALSE(view.Enabled(ccClear));
  EXPECT_TRUE(actions.calls.empty());
  control->Stop();
  ASSERT_TRUE(RunToEnd());
  EXPECT_TRUE(actions.calls.empty()) << "a stopped batch runs no after-run action";
}

TEST_F(ConversionControlTest, TheAfterRunActionRunsOnceAtTheBatchEnd) {
  struct Case {
    TAfterRunAction action;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {TAfterRunAction::arOpenFolder, {"open " + dir.string()}},
      {TAfterRunAction::arShutDown, {"shut down"}},
      {TAfterRunAction::arPlaySound, {"sound"}},
      {TAfterRunAction::arNothing, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.action));
    actions.calls.clear();
    settings.AfterRun = c.action;
    // An empty list: the component reports the batch end at once, from a thread of its own.
    control->Start();
    ASSERT_TRUE(RunToEnd(10000));
    control->ConvexaTerminate({-1, true, false, ""});  // a second end changes nothing
    EXPECT_EQ(actions.calls, c.calls);
  }
  EXPECT_TRUE(view.warnings.empty());
  // A desktop without any opener: the user is told what to install instead of nothing happening.
  actions.openerMissing = true;
  settings.AfterRun = TAfterRunAction::arOpenFolder;
  control->Start();
  ASSERT_TRUE(RunToEnd(10000));
  ASSERT_EQ(view.warnings.size(), 1u);
  EXPECT_EQ(view.warnings[0], "无法打开“" + dir.string() +
                                  "”：此系统没有可以打开它的程序。\n请先安装 xdg-utils（在终端运行 sudo apt-get install "
                                  "xdg-utils），然后再试一次。\n\nno desktop opener could be started (tried xdg-open, "
                                  "gio open)");
  actions.openerMissing = false;
  // The priority box checked in the options window is the workers' priority; none keeps it.
  settings.Priority = TThreadPriority::tpLowest;
  control->Start();
  EXPECT_EQ(convexa->ThreadPriority(), TThreadPriority::tpLowest);
  ASSERT_TRUE(RunToEnd(10000));
  settings.Priority.reset();
  control->Start();
  EXPECT_EQ(convexa->ThreadPriority(), TThreadPriority::tpLowest);
  ASSERT_TRUE(RunToEnd(10000));
}

TEST_F(ConversionControlTest, AFailureReportedWhileAStopWaitsIsShownAfterTheWait) {
  TWatchdog watchdog("failure during stop", 60000);
  ASSERT_NO_FATAL_FAILURE(AddLongJobs(2));
  settings.ThreadCount = "1";
  // When the running task's end is reported (inside the stop's wait), a failure of the other task
  // reaches the GUI thread before that wait can end.
  bool insideDelivery = false;
  std::vector<bool> shownInsideDelivery;
  view.OnWarning = [&](const std::string&) { shownInsideDelivery.push_back(insideDelivery); };
  auto inner = convexa->OnTerminate;
  convexa->OnTerminate = [&, inner](TObject* ASender, const TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex == 0) {
      std::atomic<bool> delivered{false};
      TThread::Queue(nullptr, [&] {
        insideDelivery = true;
        control->ConvexaTerminate({1, false, true, "disk full"});
        insideDelivery = false;
        delivered = true;
      });
      EXPECT_TRUE(test_wait::PollUntil([&] { return delivered.load(); })) << "the GUI thread took the call";
    }
    inner(ASender, AInfo);
  };
  control->Start();
  ASSERT_TRUE(PumpUntil([this] { return !Column(0, jsProgress).empty(); }, 60000));
  control->Stop();
  ASSERT_TRUE(RunToEnd());
  Pump(200);
  ASSERT_EQ(view.warnings.size(), 1u);
  EXPECT_NE(view.warnings[0].find("：转换时出错\n"), std::string::npos) << view.warnings[0];
  EXPECT_TRUE(view.warnings[0].ends_with("详细信息：\ndisk full")) << view.warnings[0];
  EXPECT_EQ(shownInsideDelivery, std::vector<bool>{false}) << "no modal box inside the stop's wait";
}

}  // namespace
