// Real conversions through the converter component: a batch of files converted on worker
// threads, with progress on the GUI thread, the outputs checked with ffprobe, a task that fails
// while it runs, and a stop of long conversions.

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "ConvexaTestSupport.h"
#include "platform/Watchdog.h"

namespace {

using convexatest::PumpUntil;
namespace fs = std::filesystem;

// Ten seconds of a larger picture: long enough to be stopped part-way.
std::string LongFile() {
  return fixtures::Make("long-av.mp4",
                        "-f lavfi -i testsrc=size=320x240:rate=25:duration=10 -f lavfi -i sine=duration=10 "
                        "-c:v mpeg4 -c:a aac -f mp4");
}

class ConvexaConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadLibraries();
    folder = fixtures::ScratchFolder("convexa-convert");
    convexa = std::make_unique<convexatest::TTestConvexa>(nullptr);
    convexa->SetProgressInterval(100);
    convexa->OnTerminate = [this](TObject*, const TTerminateInfo& AInfo) {
      std::lock_guard<std::mutex> guard(lock);
      records.push_back(AInfo);
    };
    convexa->OnProgress = [this](TObject*, PProgressInfo AInfo) {
      EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
      std::lock_guard<std::mutex> guard(lock);
      progress[AInfo->TaskIndex].push_back(*AInfo);
    };
  }
  void TearDown() override {
    convexa.reset();
    std::error_code error;
    fs::remove_all(folder, error);
  }
  std::string Out(const std::string& AName) const { return (folder / AName).string(); }
  size_t RecordCount() {
    std::lock_guard<std::mutex> guard(lock);
    return records.size();
  }
  std::map<int, TTerminateInfo> ByTask() {
    std::lock_guard<std::mutex> guard(lock);
    std::map<int, TTerminateInfo> result;
    for (const TTerminateInfo& info : records)
      if (info.TaskIndex >= 0) result[info.TaskIndex] = info;
    return result;
  }

  fs::path folder;
  std::unique_ptr<convexatest::TTestConvexa> convexa;
  std::mutex lock;
  std::vector<TTerminateInfo> records;
  std::map<int, std::vector<TProgressInfo>> progress;
};

TEST_F(ConvexaConvert, ABatchConvertsEveryFile) {
  TWatchdog watchdog("real batch", 60000);
  struct TJob {
    const char* Output;
    std::function<void(TOutputOptions&)> Fill;
    const char* VideoCodec;
    const char* AudioCodec;
    int Width;
  };
  const TJob jobs[] = {
      {"a.avi", [](TOutputOptions& o) { o.VideoCodec = "mpeg4"; o.AudioCodec = "mp2"; }, "mpeg4", "mp2", 160},
      {"b.mpg", [](TOutputOptions& o) { o.VideoCodec = "mpeg1video"; o.FrameSize = "320x240"; o.AudioCodec = "mp2"; },
       "mpeg1video", "mp2", 320},
      {"c.mkv", [](TOutputOptions& o) { o.ExtOptions = "vcodec=mpeg4<CRLF>acodec=libvorbis<CRLF>ar=22050"; }, "mpeg4",
       "vorbis", 160},
  };
  for (const TJob& job : jobs) {
    const int index = convexa->AddTask(fixtures::Mp4());
    ASSERT_GE(index, 0) << convexa->LastErrMsg();
    TOutputOptions options;
    job.Fill(options);
    ASSERT_TRUE(convexa->SetOutputFile(index, Out(job.Output), &options)) << convexa->LastErrMsg();
  }
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 4; }, 50000));
  EXPECT_EQ(records.back().TaskIndex, -1);
  const auto byTask = ByTask();
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(jobs[i].Output);
    EXPECT_TRUE(byTask.at(i).Finished);
    EXPECT_FALSE(byTask.at(i).Exception) << byTask.at(i).ExceptionMsg;
    const auto info = fixtures::Probe(Out(jobs[i].Output));
    EXPECT_EQ(info.count("streams.stream.0.codec_name") ? info.at("streams.stream.0.codec_name") : "",
              jobs[i].VideoCodec);
    EXPECT_EQ(info.count("streams.stream.1.codec_name") ? info.at("streams.stream.1.codec_name") : "",
              jobs[i].AudioCodec);
    EXPECT_EQ(info.count("streams.stream.0.width") ? info.at("streams.stream.0.width") : "",
              std::to_string(jobs[i].Width));
    const double duration = info.count("format.duration") ? std::stod(info.at("format.duration")) : 0;
    EXPECT_NEAR(duration, 2.0, 0.3);
  }
  const auto mkv = fixtures::Probe(Out("c.mkv"));
  EXPECT_EQ(mkv.count("streams.stream.1.sample_rate") ? mkv.at("streams.stream.1.sample_rate") : "", "22050");
  // Progress of each task on the GUI thread, the converted time growing toward the total.
  std::lock_guard<std::mutex> guard(lock);
  for (const auto& [index, list] : progress) {
    SCOPED_TRACE(index);
    for (size_t k = 1; k < list.size(); ++k) EXPECT_GE(list[k].CurrentDuration, list[k - 1].CurrentDuration);
    EXPECT_GT(list.back().CurrentDuration, 0);
  }
}

TEST_F(ConvexaConvert, ATaskThatFailsWhileRunningReportsWhy) {
  TWatchdog watchdog("failing task", 60000);
  ASSERT_EQ(convexa->AddTask(fixtures::Mp4()), 0);
  // The H.263 encoder takes only its own picture sizes: the run fails when it opens the encoder.
  TOutputOptions bad;
  bad.VideoCodec = "h263";
  bad.FrameSize = "100x100";
  ASSERT_TRUE(convexa->SetOutputFile(0, Out("bad.avi"), &bad)) << convexa->LastErrMsg();
  ASSERT_EQ(convexa->AddTask(fixtures::Mp4()), 1);
  ASSERT_TRUE(convexa->SetOutputFile(1, Out("good.avi"), ""));
  convexa->Start(1);
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 3; }, 50000));
  const auto byTask = ByTask();
  EXPECT_TRUE(byTask.at(0).Exception);
  EXPECT_FALSE(byTask.at(0).Finished);
  EXPECT_FALSE(byTask.at(0).ExceptionMsg.empty());
  EXPECT_TRUE(byTask.at(1).Finished);
  EXPECT_FALSE(byTask.at(1).Exception) << byTask.at(1).ExceptionMsg;
  EXPECT_TRUE(fs::exists(Out("good.avi")));
}

// Every failure of a task, in its set-up or in its run, ends in exactly one termination record,
// and what a user reads there names the first cause: the libraries' or the system's words, not
// only the step that failed, and for an output that could not be set up the reason it could not
// (what SetOutputFile answered), not only that the task has no output.
TEST_F(ConvexaConvert, EveryFailureEndsInOneRecordNamingTheFirstCause) {
  TWatchdog watchdog("failure causes", 60000);
  // The user's own copy: a case names it as its own output.
  const std::string own = Out("own.mp4");
  fs::copy_file(fixtures::Mp4(), own);
  fs::create_directories(folder / "locked");
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  struct TCase {
    const char* What;
    std::string Input;
    std::string Output;
    std::vector<const char*> Attempts;  // option texts of successive SetOutputFile calls
    bool SetUpFails;    // every attempt answers False
    const char* Step;   // the engine's own words when the run fails
    std::string Cause;  // the libraries', the system's or the set-up's words
  };
  std::vector<TCase> cases = {
      {"unknown encoder", fixtures::Mp4(), Out("amr.3gp"), {"acodec=libopencore_amrnb"}, true, nullptr,
       "Could not add the audio stream to '" + Out("amr.3gp") + "': 此系统的 FFmpeg 没有 AMR-NB 编码器，请换用其他输出格式。(Unknown encoder 'libopencore_amrnb')"},
      {"refused option value", fixtures::Mp4(), Out("rate.avi"), {"ar=0"}, true, nullptr,
       "Invalid value \"0\" for option \"ar\""},
      {"missing folder", fixtures::Mp4(), Out("no/such/y.avi"), {""}, true, nullptr,
       Out("no/such/y.avi") + ": No such file or directory"},
      {"an output that is the input", own, own, {""}, true, nullptr,
       "Output file '" + own + "' is the same file as input file #0 '" + own +
           "'; a file cannot be replaced by its own conversion"},
      {"the first of two failed attempts", fixtures::Mp4(), Out("twice.avi"), {"vcodec=no-such-encoder", "ar=0"}, true,
       nullptr, "Could not add the video stream to '" + Out("twice.avi") + "': 此系统的 FFmpeg 没有 no-such-encoder 编码器，请换用其他输出格式。(Unknown encoder 'no-such-encoder')"},
      // The output is described, but a stream asked for cannot be added: no success without it.
      {"a stream asked for that cannot be made", fixtures::Mp4(), Out("sub.mkv"),
       {"newsubtitle<CRLF>scodec=no-such-encoder"}, true, nullptr, "此系统的 FFmpeg 没有 no-such-encoder 编码器，请换用其他输出格式。(Unknown encoder 'no-such-encoder')"},
      {"a muxer refusing a codec", fixtures::Mp4(), Out("header.flv"), {"acodec=libvorbis"}, false,
       "Could not write header for output file #0", "not compatible with FLV"},
      {"an encoder refusing the picture size", fixtures::Mp4(), Out("encoder.avi"), {"vcodec=h263\ns=100x100"}, false,
       "Error while opening encoder for output stream #0.0", "picture size"},
      {"an encoder refusing the picture height", fixtures::Mp4(), Out("odd.mp4"), {"vcodec=libx264\ns=160x121"}, false,
       "Error while opening encoder for output stream #0.0", "height not divisible by 2"},
      {"an encoder refusing the channels", fixtures::Mp4(), Out("surround.mpg"), {"acodec=mp2\nac=6"}, false,
       "Error while opening encoder for output stream #0.1", "channel layout"},
  };
  if (::geteuid() != 0)
    cases.push_back({"unwritable folder", fixtures::Mp4(), Out("locked/y.avi"), {""}, true, nullptr,
                     Out("locked/y.avi") + ": Permission denied"});
  std::vector<std::string> answered(cases.size());  // what SetOutputFile answered first
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].What);
    const int task = static_cast<int>(i);
    ASSERT_EQ(convexa->AddTask(cases[i].Input), task) << convexa->LastErrMsg();
    for (const char* attempt : cases[i].Attempts) {
      EXPECT_EQ(convexa->SetOutputFile(task, cases[i].Output, attempt), !cases[i].SetUpFails)
          << convexa->LastErrMsg();
      if (answered[i].empty()) answered[i] = convexa->LastErrMsg();
    }
  }
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == cases.size() + 1; }, 50000));
  EXPECT_EQ(records.back().TaskIndex, -1);
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].What);
    const TCase& c = cases[i];
    std::vector<TTerminateInfo> mine;
    for (const TTerminateInfo& info : records)
      if (info.TaskIndex == static_cast<int>(i)) mine.push_back(info);
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_TRUE(mine[0].Exception);
    EXPECT_FALSE(mine[0].Finished);
    if (c.SetUpFails) {
      EXPECT_EQ(answered[i], c.Cause);
      EXPECT_EQ(mine[0].ExceptionMsg, c.Cause);
    } else {
      EXPECT_NE(mine[0].ExceptionMsg.find(c.Step), std::string::npos) << mine[0].ExceptionMsg;
      EXPECT_NE(mine[0].ExceptionMsg.find(c.Cause), std::string::npos) << mine[0].ExceptionMsg;
    }
    if (c.Output != own) {
      EXPECT_FALSE(fs::exists(c.Output)) << "a failed task leaves no file";
    }
  }
  auto contents = [](const std::string& AFile) {
    std::stringstream text;
    text << std::ifstream(AFile, std::ios::binary).rdbuf();
    return text.str();
  };
  EXPECT_EQ(contents(own), contents(fixtures::Mp4())) << "the input named as the output is kept whole";
}

// An option nothing knows, or a value it refuses, fails the output with its name; a codec's name
// gives its default encoder; "threads" reaches the encoders.
TEST_F(ConvexaConvert, OptionsAreCheckedAndCodecNamesResolve) {
  TWatchdog watchdog("checked options", 60000);
  ASSERT_EQ(convexa->AddTask(fixtures::Mp4()), 0);
  for (const auto& [text, message] :
       {std::pair<const char*, const char*>{"acodex=mp3", "Unrecognized option \"acodex\""},
        {"ar=0", "Invalid value \"0\" for option \"ar\""},
        {"threads=lots", "Invalid value \"lots\" for option \"threads\""}}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(convexa->SetOutputFile(0, Out("refused.mp4"), text));
    EXPECT_EQ(convexa->LastErrMsg(), message);
  }
  convexa->ClearTasks();
  ASSERT_EQ(convexa->AddTask(fixtures::Mp4()), 0);
  ASSERT_TRUE(convexa->SetOutputFile(0, Out("h264.mp4"), "vcodec=h264<CRLF>threads=2")) << convexa->LastErrMsg();
  const TOutputStreamSetup& video = *convexa->Task(0)->OutputFile(0).streams.at(0);
  EXPECT_STREQ(video.codec->name, "libx264");
  convexa->Start(1);
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 2; }, 50000));
  EXPECT_TRUE(ByTask().at(0).Finished) << ByTask().at(0).ExceptionMsg;
  EXPECT_EQ(convexa->Task(0)->CodecThreads(), 2);  // the option, not the task's share of the cores
  const auto probe = fixtures::Probe(Out("h264.mp4"));
  EXPECT_EQ(probe.count("streams.stream.0.codec_name") ? probe.at("streams.stream.0.codec_name") : "", "h264");
}

TEST_F(ConvexaConvert, HookAndPreviewEventsCarryTheirTask) {
  TWatchdog watchdog("hook and preview", 60000);
  std::atomic<int> hooks{0};
  std::atomic<bool> hookOnMainThread{false};
  std::atomic<int> previews{0};
  convexa->OnCustomHook = [&](TObject* Sender, PHookInfo AInfo) {
    EXPECT_EQ(Sender, convexa.get());
    if (GetCurrentThreadId() == MainThreadID()) hookOnMainThread = true;
    EXPECT_EQ(AInfo->TaskIndex, 1);
    ASSERT_NE(AInfo->Bitmap, nullptr);
    EXPECT_EQ(AInfo->Bitmap->Width(), 160);
    AInfo->StopHook = ++hooks >= 3;  // no further calls for this task
  };
  convexa->OnPreviewBitmap = [&](TObject*, const TPreviewInfo& AInfo) {
    EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
    EXPECT_NE(AInfo.Bitmap, nullptr);
    EXPECT_TRUE(AInfo.TaskIndex == 0 || AInfo.TaskIndex == 1);
    ++previews;
  };
  convexa->SetPreviewBitmap(true);
  ASSERT_EQ(convexa->AddTask(fixtures::Mp4()), 0);
  ASSERT_TRUE(convexa->SetOutputFile(0, Out("plain.avi"), ""));
  ASSERT_EQ(convexa->AddTask(fixtures::Mp4()), 1);
  ASSERT_TRUE(convexa->SetOutputFile(1, Out("hooked.avi"), "Hook<CRLF>vcodec=mpeg4"));
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 3; }, 50000));
  for (const auto& [index, info] : ByTask()) EXPECT_TRUE(info.Finished) << index << ": " << info.ExceptionMsg;
  EXPECT_EQ(hooks, 3);
  EXPECT_FALSE(hookOnMainThread);  // always on the worker
  EXPECT_GT(previews, 0);
}

// The user's stop of H.264 jobs in MP4: no failure, and each file that was begun is finished so
// that it plays up to where the conversion got (its index written, as on an interrupt of the
// command-line tool).
TEST_F(ConvexaConvert, PauseHoldsAndStopEndsRealConversions) {
  TWatchdog watchdog("pause and stop", 60000);
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(convexa->AddTask(LongFile()), i) << convexa->LastErrMsg();
    ASSERT_TRUE(convexa->SetOutputFile(i, Out("long" + std::to_string(i) + ".mp4"), "vcodec=libx264\nacodec=aac"))
        << convexa->LastErrMsg();
  }
  convexa->Start(2);
  auto reports = [&] {
    std::lock_guard<std::mutex> guard(lock);
    return progress[0].size() + progress[1].size();
  };
  // Both running tasks have encoded pictures (on a loaded machine one may start well after the
  // other), so each has something in its file to keep.
  auto encoded = [&](int ATask) {
    std::lock_guard<std::mutex> guard(lock);
    for (const TProgressInfo& report : progress[ATask])
      if (report.FrameNumber > 0) return true;
    return false;
  };
  ASSERT_TRUE(PumpUntil([&] { return encoded(0) && encoded(1); }, 30000));
  convexa->Pause();
  PumpUntil([] { return false; }, 250);  // a report under way may still come
  const size_t paused = reports();
  PumpUntil([] { return false; }, 400);
  EXPECT_EQ(reports(), paused);
  convexa->Resume();
  ASSERT_TRUE(PumpUntil([&] { return reports() > paused; }, 30000));
  convexa->Stop(true);
  ASSERT_EQ(RecordCount(), 5u);
  // A stop is no failure; its text says what it left: the running tasks' files hold what was
  // converted so far, the pending tasks wrote nothing.
  for (const auto& [index, info] : ByTask()) {
    SCOPED_TRACE(index);
    EXPECT_FALSE(info.Finished);
    EXPECT_FALSE(info.Exception) << info.ExceptionMsg;
    const std::string out = Out("long" + std::to_string(index) + ".mp4");
    if (index < 2) {
      EXPECT_EQ(info.ExceptionMsg, "Conversion stopped: the output file '" + out + "' is incomplete");
      ASSERT_TRUE(fs::exists(out));
      EXPECT_EQ(fixtures::DecodeErrors(out), "");
      const auto probe = fixtures::Probe(out);
      ASSERT_TRUE(probe.count("format.duration")) << "the stopped file does not play";
      EXPECT_GT(std::stod(probe.at("format.duration")), 0.0);
      EXPECT_LT(std::stod(probe.at("format.duration")), 10.0);
    } else {
      EXPECT_EQ(info.ExceptionMsg, "Conversion stopped before it started; nothing was written");
      EXPECT_FALSE(fs::exists(out));
    }
  }
  EXPECT_TRUE(convexa->Terminated());
}

// Two seconds of a 320x180 picture with sound: small enough for several batches in a test.
std::string MixedBatchClip() {
  return fixtures::Make("mixed-batch-320x180.mp4", "-f lavfi -i testsrc=size=320x180:rate=25:duration=2 "
                                                   "-f lavfi -i sine=duration=2 -c:v libx264 -pix_fmt yuv420p "
                                                   "-c:a aac -f mp4");
}

// The encoders the presets use, four at a time, several batches over: every output decodes
// without a single error line.
TEST_F(ConvexaConvert, MixedEncodesOnFourThreadsStayClean) {
  TWatchdog watchdog("mixed batch", 120000);
  struct TJob {
    const char* Output;
    const char* Options;
  };
  const TJob jobs[] = {
      {"xvid.avi", "vcodec=libxvid\nacodec=libmp3lame\ns=640x360"},
      {"x264.mp4", "vcodec=libx264\nacodec=aac"},
      {"wmv2.wmv", "vcodec=wmv2\nacodec=wmav2"},
      {"mpeg1.mpg", "vcodec=mpeg1video\nacodec=mp2"},
      {"mpeg2.vob", "vcodec=mpeg2video\nacodec=mp2"},
      {"msmpeg4.avi", "vcodec=msmpeg4\nacodec=libmp3lame"},
      {"mpeg4.avi", "vcodec=mpeg4\nacodec=libmp3lame\ns=640x360"},
  };
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    convexa->ClearTasks();
    {
      std::lock_guard<std::mutex> guard(lock);
      records.clear();
    }
    for (size_t i = 0; i < std::size(jobs); ++i) {
      ASSERT_EQ(convexa->AddTask(MixedBatchClip()), static_cast<int>(i)) << convexa->LastErrMsg();
      ASSERT_TRUE(convexa->SetOutputFile(static_cast<int>(i), Out(jobs[i].Output), jobs[i].Options))
          << convexa->LastErrMsg();
    }
    convexa->Start(4);
    ASSERT_TRUE(PumpUntil([&] { return RecordCount() == std::size(jobs) + 1; }, 100000));
    for (const auto& [index, info] : ByTask()) EXPECT_TRUE(info.Finished) << index << ": " << info.ExceptionMsg;
    for (const TJob& job : jobs) {
      SCOPED_TRACE(job.Output);
      EXPECT_EQ(fixtures::DecodeErrors(Out(job.Output)), "");
    }
  }
}

// Tasks that would write the same file (the same input given two presets with one extension)
// interleave their bytes when they convert side by side: the second is refused, the first's file
// is left alone, and once the first task is gone the name is free again.
TEST_F(ConvexaConvert, TwoTasksNeverWriteTheSameFile) {
  TWatchdog watchdog("same output", 60000);
  const std::string shared = Out("clip.avi");
  ASSERT_EQ(convexa->AddTask(MixedBatchClip()), 0);
  ASSERT_TRUE(convexa->SetOutputFile(0, shared, "vcodec=libxvid\ns=640x360")) << convexa->LastErrMsg();
  ASSERT_EQ(convexa->AddTask(MixedBatchClip()), 1);
  EXPECT_FALSE(convexa->SetOutputFile(1, shared, "vcodec=mpeg4"));
  EXPECT_EQ(convexa->LastErrMsg(), shared + ": the file is already the output of another task");
  // Spelt another way, the same file is still the same.
  EXPECT_FALSE(convexa->SetOutputFile(1, (folder / "." / "clip.avi").string(), "vcodec=mpeg4"));
  ASSERT_TRUE(convexa->SetOutputFile(1, Out("clip_1.avi"), "vcodec=mpeg4")) << convexa->LastErrMsg();
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 3; }, 50000));
  for (const auto& [index, info] : ByTask()) EXPECT_TRUE(info.Finished) << index << ": " << info.ExceptionMsg;
  EXPECT_EQ(fixtures::DecodeErrors(shared), "");
  EXPECT_EQ(fixtures::Probe(shared).at("streams.stream.0.width"), "640");

  convexa->ClearTasks();
  ASSERT_EQ(convexa->AddTask(MixedBatchClip()), 0);
  EXPECT_TRUE(convexa->SetOutputFile(0, shared, "vcodec=mpeg4")) << convexa->LastErrMsg();
}

}  // namespace
