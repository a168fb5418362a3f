// The engine's conversions beyond format changes: stream copy, picture geometry, frame-rate
// change, two-pass encoding, joining inputs, progress, stop, outputs that got nothing, and
// damaged inputs.

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

#include "Src/FFUtils.h"
#include "Src/FFmpegLogger.h"
#include "TranscodeTestSupport.h"

namespace {

using namespace transcodetest;

// Presentation times (seconds) of the packets of one stream, in file order.
std::vector<double> PacketTimes(const std::string& AFile, const std::string& ASelect) {
  const std::string out = fixtures::Run("ffprobe -v error -select_streams " + ASelect +
                                        " -show_entries packet=pts_time -of csv=p=0 " + fixtures::Quoted(AFile));
  std::vector<double> times;
  for (const std::string& line : fixtures::Lines(out)) {
    const double t = Seconds(line);
    if (t >= 0) times.push_back(t);
  }
  return times;
}

int FrameCount(const std::string& AFile) { return static_cast<int>(PacketTimes(AFile, "v:0").size()); }

using fixtures::DecodeErrors;

TEST_F(Transcode, StreamCopyIntoMatroskaKeepsEveryPacket) {
  auto engine = enginetest::NewEngine();
  const std::string out = Out("copy.mkv");
  const TJobResult result = RunJob(*engine, {Clip()}, {{"vcodec", "copy"}, {"acodec", "copy"}}, out);
  ASSERT_TRUE(result.Finished) << result.Error;
  const auto probe = Probe(out);
  EXPECT_EQ(StreamValue(probe, "video", "codec_name"), "mpeg4");
  EXPECT_EQ(StreamValue(probe, "audio", "codec_name"), "pcm_s16le");
  EXPECT_EQ(FrameCount(out), FrameCount(Clip()));
  EXPECT_NEAR(DecodedDuration(out, "v:0"), 3.0, 0.1);
  EXPECT_EQ(DecodeErrors(out), "");
  EXPECT_EQ(engine->Fnb_frames_dup + engine->Fnb_frames_drop, 0);
}

TEST_F(Transcode, CopiedSoundWithAVolumeIsRefusedBeforeAnyCodecOpens) {
  auto engine = enginetest::NewEngine();
  engine->SetAudioVolume(512);
  const TJobResult result = RunJob(*engine, {Clip()}, {{"vn", "1"}, {"acodec", "copy"}}, Out("vol.mkv"));
  EXPECT_FALSE(result.Finished);
  EXPECT_EQ(result.Error, "-acodec copy and -vol are incompatible (frames are not decoded)");
  EXPECT_EQ(engine->OpenedCodecCount(TCustomFFmpeg::TCodecList::Encoders), 0);
  EXPECT_FALSE(fs::exists(Out("vol.mkv")));
}

TEST_F(Transcode, ScaleCropAndPadShapeThePicture) {
  struct TCase {
    const char* Name;
    TOptions Options;
    int Width, Height;
  };
  for (const TCase& c : {TCase{"scale", {{"s", "320x240"}}, 320, 240},
                         TCase{"crop", {{"croptop", "16"}, {"cropbottom", "16"}, {"cropleft", "8"}, {"cropright", "8"}}, 144, 88},
                         TCase{"crop-and-scale", {{"croptop", "20"}, {"cropbottom", "20"}, {"s", "160x120"}}, 160, 120},
                         TCase{"pad", {{"vf", "pad=200:160:20:20"}}, 200, 160}}) {
    SCOPED_TRACE(c.Name);
    auto engine = enginetest::NewEngine();
    TOptions options = c.Options;
    options.push_back({"vcodec", "mpeg4"});
    options.push_back({"an", "1"});
    const std::string out = Out(std::string(c.Name) + ".avi");
    const TJobResult result = RunJob(*engine, {Clip()}, options, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    const auto probe = Probe(out);
    EXPECT_EQ(StreamValue(probe, "video", "width"), std::to_string(c.Width));
    EXPECT_EQ(StreamValue(probe, "video", "height"), std::to_string(c.Height));
    EXPECT_EQ(FrameCount(out), 75);
  }
}

TEST_F(Transcode, CroppedPictureShowsTheInnerPart) {
  // The test picture's top rows differ from its middle: a crop of the top band must remove them.
  auto engine = enginetest::NewEngine();
  const std::string out = Out("inner.avi");
  const TJobResult result =
      RunJob(*engine, {Clip()}, {{"croptop", "60"}, {"vcodec", "mpeg4"}, {"qscale", "2"}, {"an", "1"}}, out);
  ASSERT_TRUE(result.Finished) << result.Error;
  const std::string cropped = fixtures::DecodedBGR(out, 1);
  const std::string reference = fixtures::Run("ffmpeg -nostdin -v error -i " + fixtures::Quoted(Clip()) +
                                              " -frames:v 1 -vf crop=160:60:0:60 -f rawvideo -pix_fmt bgr24 -");
  ASSERT_EQ(cropped.size(), reference.size());
  double difference = 0;
  for (size_t i = 0; i < cropped.size(); ++i)
    difference += std::abs(static_cast<int>(static_cast<uint8_t>(cropped[i])) - static_cast<uint8_t>(reference[i]));
  EXPECT_LT(difference / cropped.size(), 8.0);
}

TEST_F(Transcode, FrameRateChangeDuplicatesOrDropsAndCountsThem) {
  struct TCase {
    const char* Rate;
    int Frames;           // pictures the 3-second output has
    bool Duplicates;
  };
  for (const TCase& c : {TCase{"50", 150, true}, TCase{"10", 30, false}}) {
    SCOPED_TRACE(c.Rate);
    auto engine = enginetest::NewEngine();
    const std::string out = Out(std::string("rate") + c.Rate + ".avi");
    // A constant rate asked for: AVI otherwise takes the pictures at the times they come.
    const TJobResult result =
        RunJob(*engine, {Clip()}, {{"r", c.Rate}, {"vsync", "1"}, {"vcodec", "mpeg4"}, {"an", "1"}}, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    EXPECT_NEAR(FrameCount(out), c.Frames, 2);
    EXPECT_EQ(StreamValue(Probe(out), "video", "r_frame_rate"), std::string(c.Rate) + "/1");
    if (c.Duplicates) {
      EXPECT_NEAR(engine->Fnb_frames_dup, 75, 2);
      EXPECT_EQ(engine->Fnb_frames_drop, 0);
    } else {
      EXPECT_NEAR(engine->Fnb_frames_drop, 45, 2);
      EXPECT_EQ(engine->Fnb_frames_dup, 0);
    }
    // The last input picture is shown for one output frame period.
    EXPECT_NEAR(DecodedDuration(out, "v:0"), 3.0, 0.1 + 1.0 / std::stoi(c.Rate));
  }
}

// A two-picture FLV whose container gives its millisecond time base as the rate (1000 a second)
// and six seconds of sound: without a rate of its own the output takes the pictures' real rate,
// 10 a second, instead of thousands of copies of two pictures.
TEST_F(Transcode, AnImplausibleContainerRateGivesWayToTheAverageRate) {
  const std::string input =
      fixtures::Make("two-pictures-1000fps.flv", "-f lavfi -i testsrc=size=160x120:rate=10:duration=0.2 "
                                                 "-f lavfi -i sine=duration=6 -c:v flv -c:a libmp3lame -ar 44100 -f flv");
  ASSERT_EQ(StreamValue(Probe(input), "video", "r_frame_rate"), "1000/1");
  struct TCase {
    const char* Output;
    TOptions Options;
    const char* Rate;
  };
  const TCase cases[] = {
      {"sparse.avi", {{"vcodec", "mpeg4"}}, "10/1"},
      {"sparse.mpg", {{"vcodec", "mpeg2video"}}, "10/1"},
      {"given.avi", {{"vcodec", "mpeg4"}, {"r", "5"}}, "5/1"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Output);
    auto engine = enginetest::NewEngine();
    const std::string out = Out(c.Output);
    const TJobResult result = RunJob(*engine, {input}, c.Options, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    EXPECT_EQ(StreamValue(Probe(out), "video", "r_frame_rate"), c.Rate);
    EXPECT_LE(FrameCount(out), 40);
    EXPECT_EQ(DecodeErrors(out), "");
  }
}

// A transport stream whose program declares a sound stream that never carries a packet: the
// output gets the picture only, as if the sound stream were not there, and the log says why.
TEST_F(Transcode, ADeclaredStreamWithoutDataIsLeftOut) {
  const std::string input =
      fixtures::Make("declared-empty-audio.ts", "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 "
                                                "-f lavfi -i sine=duration=1 -c:v mpeg2video -c:a mp2 "
                                                "-frames:a 0 -f mpegts");
  ASSERT_EQ(StreamValue(Probe(input), "audio", "channels"), "0");
  std::mutex lock;
  std::vector<std::string> lines;
  GetLogger()->OnLog = [&](TObject*, DWORD, TLogLevel, const std::string& AText) {
    std::lock_guard<std::mutex> guard(lock);
    lines.push_back(AText);
  };
  auto engine = enginetest::NewEngine();
  const std::string out = Out("picture-only.avi");
  const TJobResult result = RunJob(*engine, {input}, {{"vcodec", "mpeg4"}}, out);
  GetLogger()->OnLog = nullptr;
  ASSERT_TRUE(result.Finished) << result.Error;
  const auto probe = Probe(out);
  EXPECT_EQ(StreamOf(probe, "audio"), -1);
  EXPECT_EQ(StreamValue(probe, "video", "codec_name"), "mpeg4");
  EXPECT_EQ(FrameCount(out), 25);
  bool said = false;
  for (const std::string& line : lines) said = said || line.find("#0.1 (Audio) carries no data") != std::string::npos;
  EXPECT_TRUE(said);
}

TEST_F(Transcode, TwoPassWritesItsLogAndReadsItBack) {
  const std::string prefix = Out("stats");
  const std::string log = prefix + "-0.log";
  {
    auto engine = enginetest::NewEngine();
    const TJobResult pass1 = RunJob(*engine, {Clip()},
                                    {{"vcodec", "mpeg4"}, {"b", "200k"}, {"pass", "1"}, {"passlogfile", prefix}, {"an", "1"}},
                                    Out("p1.avi"));
    ASSERT_TRUE(pass1.Finished) << pass1.Error;
  }
  ASSERT_TRUE(fs::exists(log));
  EXPECT_GT(fs::file_size(log), 0u);
  {
    auto engine = enginetest::NewEngine();
    const TJobResult pass2 = RunJob(*engine, {Clip()},
                                    {{"vcodec", "mpeg4"}, {"b", "200k"}, {"pass", "2"}, {"passlogfile", prefix}, {"an", "1"}},
                                    Out("p2.avi"));
    ASSERT_TRUE(pass2.Finished) << pass2.Error;
    EXPECT_EQ(FrameCount(Out("p2.avi")), 75);
  }
  fs::remove(log);
  auto engine = enginetest::NewEngine();
  const TJobResult missing = RunJob(*engine, {Clip()},
                                    {{"vcodec", "mpeg4"}, {"pass", "2"}, {"passlogfile", prefix}, {"an", "1"}},
                                    Out("p3.avi"));
  EXPECT_FALSE(missing.Finished);
  EXPECT_EQ(missing.Error, "Cannot read file: Error reading log file \"" + log + "\" for pass-2 encoding");
  EXPECT_FALSE(fs::exists(Out("p3.avi")));
}

TEST_F(Transcode, JoinGivesOneOutputWithContinuousTimestamps) {
  auto engine = enginetest::NewEngine();
  std::vector<int> fileIndexes;
  engine->OnProgress = [&](TObject*, int AFileIndex, int, int, float, float, int64_t, int64_t, int64_t ATotal) {
    fileIndexes.push_back(AFileIndex);
    EXPECT_NEAR(ATotal / 1e6, 5.0, 0.1);
  };
  engine->ReportInterval = 0;
  // Matroska keeps each packet's own time (an AVI index would show the muxer's shifts instead).
  const std::string out = Out("join.mkv");
  const TJobResult result =
      RunJob(*engine, {Clip(), Clip2()}, {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}, {"ar", "44100"}}, out, true);
  ASSERT_TRUE(result.Finished) << result.Error;
  EXPECT_NEAR(DecodedDuration(out, "v:0"), 5.0, 0.1);
  EXPECT_NEAR(DecodedAudioSamples(out) / 44100.0, 5.0, 0.1);
  const std::vector<double> times = PacketTimes(out, "v:0");
  ASSERT_EQ(times.size(), 125u);
  for (size_t i = 1; i < times.size(); ++i) EXPECT_NEAR(times[i] - times[i - 1], 0.04, 0.001) << "at packet " << i;
  // Reports follow the input being converted, and the last one has none.
  ASSERT_FALSE(fileIndexes.empty());
  EXPECT_EQ(fileIndexes.front(), 0);
  EXPECT_NE(std::find(fileIndexes.begin(), fileIndexes.end(), 1), fileIndexes.end());
  EXPECT_EQ(fileIndexes.back(), -1);
  EXPECT_EQ(DecodeErrors(out), "");
}

struct TReport {
  int FileIndex, Frame;
  int64_t Size, Current, Total;
};

TEST_F(Transcode, ProgressReportsArriveWithIncreasingConvertedTime) {
  auto engine = enginetest::NewEngine();
  std::vector<TReport> reports;
  engine->ReportInterval = 0;  // after every packet
  engine->OnProgress = [&](TObject* Sender, int AFileIndex, int AFrame, int, float, float, int64_t ASize,
                           int64_t ACurrent, int64_t ATotal) {
    EXPECT_EQ(Sender, engine.get());
    reports.push_back({AFileIndex, AFrame, ASize, ACurrent, ATotal});
  };
  const std::string out = Out("progress.avi");
  const TJobResult result = RunJob(*engine, {Clip()}, {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}}, out);
  ASSERT_TRUE(result.Finished) << result.Error;
  ASSERT_GT(reports.size(), 10u);
  for (size_t i = 1; i < reports.size(); ++i) {
    EXPECT_GE(reports[i].Current, reports[i - 1].Current) << "report " << i;
    EXPECT_GE(reports[i].Frame, reports[i - 1].Frame) << "report " << i;
    EXPECT_GE(reports[i].Current, 10000);
  }
  EXPECT_GT(reports.back().Current, reports.front().Current);
  EXPECT_NEAR(reports.back().Current / 1e6, 3.0, 0.1);
  EXPECT_EQ(reports.back().FileIndex, -1);
  EXPECT_EQ(reports.back().Frame, 75);
  EXPECT_NEAR(reports.back().Total / 1e6, 3.0, 0.1);
  EXPECT_EQ(reports.back().Size, static_cast<int64_t>(fs::file_size(out)));
}

TEST_F(Transcode, AudioOnlyReportsHaveNoFrameFigures) {
  auto engine = enginetest::NewEngine();
  int calls = 0;
  engine->OnProgress = [&](TObject*, int, int AFrame, int AFPS, float AQuality, float ABitRate, int64_t ASize,
                           int64_t ACurrent, int64_t) {
    ++calls;
    EXPECT_EQ(AFrame, -1);
    EXPECT_EQ(AFPS, -1);
    EXPECT_EQ(AQuality, -1.0f);
    EXPECT_GE(ACurrent, 10000);
    EXPECT_GE(ASize, 0);
    EXPECT_GE(ABitRate, 0.0f);
  };
  const TJobResult result = RunJob(*engine, {Clip()}, {{"vn", "1"}}, Out("a.wav"));
  ASSERT_TRUE(result.Finished) << result.Error;
  EXPECT_GE(calls, 1);
}

// A stop before the encoder has given out its first picture still writes the pictures it holds;
// a later one may leave out those still held, but the file keeps every picture written before.
TEST_F(Transcode, StopInMidFileLeavesAPlayableFile) {
  struct TCase {
    const char* Name;
    int64_t StopAt;  // microseconds converted
  };
  for (const TCase& c : {TCase{"early", 1000000}, TCase{"late", 2500000}}) {
    SCOPED_TRACE(c.Name);
    auto engine = enginetest::NewEngine();
    std::atomic<bool> asked{false};
    std::atomic<int> terminations{0};
    engine->ReportInterval = 0;
    engine->OnProgress = [&](TObject*, int, int, int, float, float, int64_t, int64_t ACurrent, int64_t) {
      if (ACurrent > c.StopAt && !asked.exchange(true)) engine->Stop(false);
    };
    engine->OnTerminate = [&](TObject*) { ++terminations; };
    const std::string out = Out(std::string("stopped-") + c.Name + ".mp4");
    ASSERT_TRUE(engine->OptInputFile(Clip()));
    engine->ParseOption("vcodec", "libx264");
    engine->ParseOption("acodec", "aac");
    ASSERT_GT(engine->OptOutputFile(out), 0);
    TThread* worker = engine->StartConvert(true);
    ASSERT_NE(worker, nullptr);
    worker->Resume();
    ASSERT_TRUE(WaitFor([&] { return terminations.load() == 1; }, std::chrono::seconds(60)));
    EXPECT_TRUE(asked);
    EXPECT_FALSE(engine->Finished());
    // A stop is no failure, and the text says what it left behind.
    EXPECT_FALSE(engine->FatalException());
    EXPECT_EQ(engine->FatalMessage(), "Conversion stopped: the output file '" + out + "' is incomplete");
    const double duration = Seconds(Value(Probe(out), "format.duration"));
    EXPECT_GT(duration, c.StopAt / 1e6 - 0.1);
    EXPECT_LT(duration, 3.1);
    EXPECT_GT(FrameCount(out), 0) << "the stopped file has no picture";
    EXPECT_EQ(DecodeErrors(out), "");
  }
}

TEST_F(Transcode, AnOutputThatGotNothingFailsTheJobAndIsNotLeftBehind) {
  // A clip cut just after its header: it opens, and then nothing can be read.
  const std::string truncated = Out("truncated.mkv");
  {
    const std::string bytes = fixtures::Run("cat " + fixtures::Quoted(Clip()));
    const size_t cluster = bytes.find("\x1F\x43\xB6\x75");
    ASSERT_NE(cluster, std::string::npos);
    std::ofstream(truncated, std::ios::binary) << bytes.substr(0, cluster + 40);
  }
  struct TCase {
    const char* Name;
    std::string Input;
    TOptions InputOptions;
    TOptions Options;
    const char* Error;  // the job's message after the output's name; "" when it finishes
  };
  const std::string nothing = "Nothing was written to output file #0 '";
  // No packet reaches the output: the job fails and says why. An encoder that refuses its
  // parameters fails the job before the header, also when it is the second one (the first is
  // closed again).
  for (const TCase& c :
       {TCase{"output start after the end", Clip(), {}, {{"ss", "10"}, {"vcodec", "mpeg4"}},
              "': the start position (ss) is at or past the end of the input"},
        TCase{"input start after the end", Clip(), {{"ss", "10"}}, {{"vcodec", "mpeg4"}},
              "': the start position (ss) is at or past the end of the input"},
        TCase{"negative duration", Clip(), {}, {{"t", "-5"}}, "': the duration to convert (t) is zero or negative"},
        TCase{"negative frame limit", Clip(), {}, {{"vframes", "-1"}},
              "': the frame limit (vframes) is zero or negative"},
        TCase{"truncated input", truncated, {}, {{"vcodec", "mpeg4"}},
              "': nothing could be read from the input"},
        TCase{"refused first encoder", Clip(), {}, {{"vcodec", "h263"}, {"s", "100x100"}},
              "Error while opening encoder for output stream #0.0 (Video)"},
        TCase{"refused second encoder", Clip(), {}, {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}, {"ac", "8"}},
              "Error while opening encoder for output stream #0.1 (Audio)"}}) {
    SCOPED_TRACE(c.Name);
    auto engine = enginetest::NewEngine();
    const std::string out = Out(std::string(c.Name) + ".avi");
    const TJobResult result = RunJob(*engine, {c.Input}, c.Options, out, false, c.InputOptions);
    ASSERT_TRUE(result.Started) << result.Error;
    EXPECT_FALSE(result.Finished);
    EXPECT_TRUE(engine->FatalException());
    const std::string expected =
        std::strncmp(c.Error, "': ", 3) == 0 ? nothing + out + c.Error : std::string(c.Error);
    EXPECT_EQ(result.Error.substr(0, expected.size()), expected);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(engine->OpenedCodecCount(TCustomFFmpeg::TCodecList::Encoders), 0);
    EXPECT_EQ(engine->OpenedCodecCount(TCustomFFmpeg::TCodecList::Decoders), 0);
  }
}

TEST_F(Transcode, DamagedInputsEndWithATextAndNeverCrash) {
  // Not media at all: the task cannot be set up, and says why.
  const std::string garbage = Out("garbage.avi");
  {
    std::ofstream file(garbage, std::ios::binary);
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) file.put(static_cast<char>(random()));
  }
  {
    auto engine = enginetest::NewEngine();
    const TJobResult result = RunJob(*engine, {garbage}, {}, Out("g.avi"));
    EXPECT_FALSE(result.Started);
    EXPECT_NE(result.Error, "");
    EXPECT_NE(result.Error.find("garbage.avi"), std::string::npos) << result.Error;
  }
  // A real clip with its middle overwritten: the run goes to the end of what it can read and
  // leaves a file that decodes, or fails with a text, but never crashes.
  const std::string damaged = Out("damaged.avi");
  {
    auto engine = enginetest::NewEngine();
    ASSERT_TRUE(RunJob(*engine, {Clip()}, {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}}, damaged).Finished);
    std::fstream file(damaged, std::ios::binary | std::ios::in | std::ios::out);
    const auto size = static_cast<std::streamoff>(fs::file_size(damaged));
    std::mt19937 random(11);
    for (std::streamoff at = size / 3; at < size / 3 + 4000; ++at) {
      file.seekp(at);
      file.put(static_cast<char>(random()));
    }
  }
  for (const bool strict : {false, true}) {
    SCOPED_TRACE(strict ? "exit on error" : "lenient");
    auto engine = enginetest::NewEngine();
    TOptions options = {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}};
    if (strict) options.push_back({"xerror", "1"});
    const std::string out = Out(strict ? "from-damaged-strict.avi" : "from-damaged.avi");
    const TJobResult result = RunJob(*engine, {damaged}, options, out);
    ASSERT_TRUE(result.Started) << result.Error;
    if (!result.Finished) {
      EXPECT_NE(result.Error, "");
    }
    if (fs::exists(out)) {
      EXPECT_GT(Seconds(Value(Probe(out), "format.duration")), 0.5);
    }
  }
}

}  // namespace
