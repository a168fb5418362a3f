// The converter component's task operations and the translation of option records and option
// texts into engine options and output streams.

#include <sys/stat.h>

#include <cstring>
#include <ctime>

#include "ConvexaTestSupport.h"
#include "platform/Watchdog.h"
#include "platform/core/DateTime.h"

namespace {

using convexatest::TTestConvexa;
namespace fs = std::filesystem;

class Convexa : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadLibraries();
    folder = fixtures::ScratchFolder("convexa");
    convexa = std::make_unique<TTestConvexa>(nullptr);
  }
  void TearDown() override {
    convexa.reset();
    std::error_code error;
    fs::remove_all(folder, error);
  }
  std::string Out(const std::string& AName) const { return (folder / AName).string(); }
  // A task on the test file; its index.
  int NewTask() {
    const int index = convexa->AddTask(fixtures::Mp4());
    EXPECT_GE(index, 0) << convexa->LastErrMsg();
    return index;
  }
  // The first output stream of a kind beyond the first ASkip of that kind, or nullptr.
  static TOutputStreamSetup* Stream(TFFmpeg* ATask, AVMediaType AType, int ASkip = 0) {
    for (auto& s : ATask->OutputFile(0).streams)
      if (s->type == AType && ASkip-- == 0) return s.get();
    return nullptr;
  }
  static std::string CodecOf(TOutputStreamSetup* AStream) {
    return AStream && AStream->codec ? AStream->codec->name : "";
  }

  fs::path folder;
  std::unique_ptr<TTestConvexa> convexa;
};

TEST_F(Convexa, PropertiesStartAtTheirDefaultsAndTheIntervalHasAFloor) {
  EXPECT_EQ(convexa->Version(), "3.3");
  EXPECT_EQ(convexa->CustomMaxFiles(), 20);
  EXPECT_EQ(convexa->ProgressInterval(), 500);
  EXPECT_EQ(convexa->ThreadPriority(), TThreadPriority::tpNormal);
  EXPECT_TRUE(convexa->TriggerEventInMainThread());
  EXPECT_EQ(convexa->Verbose(), 1);
  EXPECT_FALSE(convexa->Working());
  EXPECT_FALSE(convexa->Terminated());
  EXPECT_NE(convexa->AVProbe(), nullptr);
  EXPECT_TRUE(convexa->AVLibLoaded());
  for (auto [set, read] : {std::pair{50, 100}, {100, 100}, {101, 101}, {-5, 100}, {2000, 2000}}) {
    convexa->SetProgressInterval(set);
    EXPECT_EQ(convexa->ProgressInterval(), read) << set;
  }
}

TEST_F(Convexa, InitialisersResetEveryField) {
  TOutputOptions out;
  out.FileName = "x";
  out.AudioBitrate = 5;
  out.Info.TimeStamp = 3;
  out.Info.Title = "t";
  out.NormDefault = TOptionNormType::ntNTSC;
  out.Join = true;
  InitOutputOptions(out);
  EXPECT_TRUE(out.FileName.empty());
  EXPECT_EQ(out.AudioBitrate, -1);
  EXPECT_EQ(out.AudioSyncMethod, 0);
  EXPECT_EQ(out.VideoSyncMethod, -1);
  EXPECT_EQ(out.TimeStart, NoTimestamp);
  EXPECT_EQ(out.TimeLength, NoTimestamp);
  EXPECT_EQ(out.Info.TimeStamp, -1.0);
  EXPECT_TRUE(out.Info.Title.empty());
  EXPECT_EQ(out.NormDefault, TOptionNormType::ntPAL);
  EXPECT_FALSE(out.Join);
  TInputOptions in;
  in.ProgramID = 3;
  in.TimeStart = 7;
  InitInputOptions(in);
  EXPECT_EQ(in.ProgramID, -1);
  EXPECT_EQ(in.TimeStart, NoTimestamp);
}

TEST_F(Convexa, AddTaskOpensTheFileAndItsProbeDescribesIt) {
  TInputOptions options;
  const int index = convexa->AddTask(fixtures::Mp4(), &options);
  ASSERT_EQ(index, 0) << convexa->LastErrMsg();
  EXPECT_EQ(options.FileName, fixtures::Mp4());  // filled in the caller's record
  EXPECT_EQ(convexa->TasksCount(), 1);
  TAVProbe* probe = convexa->GetTaskProbe(0, 0);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->VideoStreamCount(), 1);
  EXPECT_EQ(probe->AudioStreamCount(), 1);
  EXPECT_EQ(probe->FirstVideoStreamInfo().Width, 160);
  EXPECT_EQ(convexa->GetTaskProbe(0, 1), nullptr);
  ASSERT_NE(convexa->Task(0)->InputOptions(0), nullptr);
  EXPECT_EQ(convexa->Task(0)->InputOptions(0)->FileName, fixtures::Mp4());

  // A record with a name keeps it; the argument is what is opened.
  TInputOptions named;
  named.FileName = "elsewhere.mp4";
  EXPECT_EQ(convexa->AddTask(fixtures::Mp4(), &named), 1);
  EXPECT_EQ(named.FileName, "elsewhere.mp4");
}

TEST_F(Convexa, AFileThatCannotBeOpenedAddsNoTask) {
  TWatchdog watchdog("opening inputs that cannot be read", 20000);
  struct TCase {
    const char* What;
    std::string File;
    std::string Options;
    const char* Message;  // the end of LastErrMsg; "" = any text
  };
  const std::string corrupt = (folder / "corrupt.mp4").string();
  {
    std::FILE* f = std::fopen(corrupt.c_str(), "wb");
    std::fputs("this is no media file at all", f);
    std::fclose(f);
  }
  // A named pipe nobody writes to would hold the open for ever; a device never ends.
  const std::string fifo = Out("no-writer.mpg"), colonFifo = Out("no:writer.mpg");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(colonFifo.c_str(), 0600), 0);  // read through the framework's own reader
  const char* notAFile = "Not a regular file (a pipe, socket or character device is read only through a stream "
                         "protocol such as \"pipe:\")";
  for (const TCase& c : {TCase{"missing", Out("missing.mp4"), "", "No such file or directory"},
                         TCase{"corrupt", corrupt, "", ""},
                         TCase{"unknown forced format", fixtures::Mp4(), "f=no-such-format", ""},
                         TCase{"bad option value", fixtures::Mp4(), "ss=abc", ""},
                         TCase{"named pipe", fifo, "", notAFile},
                         TCase{"named pipe, name with a colon", colonFifo, "", notAFile},
                         TCase{"character device", "/dev/zero", "", notAFile},
                         TCase{"folder", folder.string(), "", "Is a directory"}}) {
    SCOPED_TRACE(c.What);
    EXPECT_EQ(convexa->AddTask(c.File, c.Options), -1);
    EXPECT_EQ(convexa->TasksCount(), 0);
    const std::string message = convexa->LastErrMsg();
    EXPECT_FALSE(message.empty());
    EXPECT_TRUE(message.size() >= std::strlen(c.Message) &&
                message.compare(message.size() - std::strlen(c.Message), std::string::npos, c.Message) == 0)
        << message;
    // The component's probe refuses the same files.
    if (c.Options.empty()) {
      EXPECT_FALSE(convexa->AVProbe()->LoadFile(c.File));
    }
  }
}

TEST_F(Convexa, InputOptionTextSetsStartTimeAndEngineOptions) {
  const TInputOptions in = detail::InputOptionsFromText("timestart=1500000<CRLF>itsoffset=2");
  EXPECT_EQ(in.TimeStart, 1500000);
  EXPECT_EQ(in.ExtOptions, "itsoffset=2\n");
  EXPECT_EQ(detail::InputOptionsFromText("TimeStart=1.5").TimeStart, NoTimestamp);
  EXPECT_EQ(convexa->AddTask(fixtures::Mp4(), "TimeStart=1500000"), 0) << convexa->LastErrMsg();
  EXPECT_EQ(convexa->Task(0)->InputOptions(0)->TimeStart, 1500000);
}

TEST_F(Convexa, InputAndOutputCountsAreLimitedByCustomMaxFiles) {
  convexa->SetCustomMaxFiles(2);
  ASSERT_EQ(NewTask(), 0);
  EXPECT_TRUE(convexa->AddInputFile(0, fixtures::Mp4()));
  EXPECT_FALSE(convexa->AddInputFile(0, fixtures::Mp4()));
  EXPECT_EQ(convexa->LastErrMsg(), "max input files 2 reached");
  EXPECT_NE(convexa->GetTaskProbe(0, 1), nullptr);
  EXPECT_TRUE(convexa->SetOutputFile(0, Out("a.avi"), ""));
  EXPECT_TRUE(convexa->SetOutputFile(0, Out("b.avi"), ""));
  EXPECT_FALSE(convexa->SetOutputFile(0, Out("c.avi"), ""));
  EXPECT_EQ(convexa->LastErrMsg(), "max output files 2 reached");

  // A failed extra input leaves the task and resets its stored options.
  convexa->SetCustomMaxFiles(4);
  ASSERT_EQ(NewTask(), 1);
  TInputOptions options;
  options.Tag = 9;
  EXPECT_FALSE(convexa->AddInputFile(1, Out("missing.wav"), &options));
  EXPECT_EQ(convexa->Task(1)->NbInputFiles(), 1);
  ASSERT_NE(convexa->Task(1)->InputOptions(1), nullptr);
  EXPECT_EQ(convexa->Task(1)->InputOptions(1)->Tag, 0);
  EXPECT_THROW(convexa->AddInputFile(7, fixtures::Mp4()), EListError);

  EXPECT_THROW({ convexa->SetCustomMaxFiles(0); (void)convexa->AddTask(fixtures::Mp4()); }, EAssertionFailed);
}

TEST_F(Convexa, ExchangeAndRemoveMoveTasks) {
  ASSERT_EQ(NewTask(), 0);
  ASSERT_EQ(NewTask(), 1);
  ASSERT_EQ(NewTask(), 2);
  TFFmpeg* first = convexa->Task(0);
  TFFmpeg* last = convexa->Task(2);
  convexa->Exchange(0, 2);
  EXPECT_EQ(convexa->Task(0), last);
  EXPECT_EQ(convexa->Task(2), first);
  convexa->RemoveTask(0);
  EXPECT_EQ(convexa->TasksCount(), 2);
  EXPECT_EQ(convexa->Task(1), first);
  EXPECT_THROW(convexa->RemoveTask(2), EListError);
  convexa->ClearTasks();
  EXPECT_EQ(convexa->TasksCount(), 0);
}

TEST_F(Convexa, PreviewSettingsReachEveryTask) {
  ASSERT_EQ(NewTask(), 0);
  convexa->SetPreviewBitmap(true);
  EXPECT_TRUE(convexa->Task(0)->PostHooks().Contains(TPostHook::phBitmap));
  ASSERT_EQ(NewTask(), 1);
  EXPECT_TRUE(convexa->Task(1)->PostHooks().Contains(TPostHook::phBitmap));
  EXPECT_FALSE(convexa->Task(1)->PostHooks().Contains(TPostHook::phPreview));
  convexa->SetPreviewBitmap(false);
  EXPECT_TRUE(convexa->Task(0)->PostHooks().Empty());
  EXPECT_TRUE(convexa->Task(1)->PostHooks().Empty());
}

// ---- option text ----

TEST(ConvexaOptionText, LinesSplitAtTheFirstEqualsAfterNormalisingBreaks) {
  const auto lines = detail::SplitOptionText("  ab=64000<CRLF>ar=22050\r\nvf=crop=1:2\rflag\n\nx=  ");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].Key, "ab");
  EXPECT_EQ(lines[0].Value, "64000");
  EXPECT_EQ(lines[1].Key, "ar");
  EXPECT_EQ(lines[2].Key, "vf");
  EXPECT_EQ(lines[2].Value, "crop=1:2");
  EXPECT_EQ(lines[3].Key, "flag");
  EXPECT_EQ(lines[3].Value, "");
  EXPECT_EQ(lines[4].Key, "x");  // trailing blanks of the whole text go, nothing else is trimmed
  EXPECT_EQ(lines[4].Value, "");
  EXPECT_TRUE(detail::SplitOptionText("").empty());
}

TEST(ConvexaOptionText, OutputTextSetsTheReservedFields) {
  const TOutputOptions o =
      detail::OutputOptionsFromText("Join=0<CRLF>HOOK<CRLF>TimeLength=abc<CRLF>timestart=250<CRLF>vcodec=mpeg4");
  EXPECT_TRUE(o.Join);
  EXPECT_TRUE(o.CustomHook);
  EXPECT_EQ(o.TimeLength, NoTimestamp);
  EXPECT_EQ(o.TimeStart, 250);
  EXPECT_EQ(o.ExtOptions, "vcodec=mpeg4\n");
}

TEST(ConvexaOptionText, TheDefaultsListTakesRecordFieldsFirstAndQueuesExtraLines) {
  TOutputOptions o;
  o.VideoCodec = "mpeg1video";
  o.ExtOptions = "vcodec=mpeg4\nVFilters=crop=10:10:100:100\nvcodec=h263\nab=1\nacodec=\nnewvideo=";
  const detail::TStreamDefaults d = detail::BuildStreamDefaults(o);
  EXPECT_EQ(d.Default("vcodec"), "mpeg1video");
  EXPECT_EQ(d.Default("vf"), "crop=10:10:100:100");
  EXPECT_EQ(d.Default("acodec"), "");
  ASSERT_EQ(d.Queued.size(), 3u);
  EXPECT_EQ(d.Queued[0].Key, "vcodec");
  EXPECT_EQ(d.Queued[0].Value, "mpeg4");
  EXPECT_EQ(d.Queued[1].Key, "vf");
  EXPECT_EQ(d.Queued[2].Value, "h263");
}

// ---- translation into the engine ----

TEST_F(Convexa, RecordsBecomeEngineSettingsAndOutputStreams) {
  struct TCase {
    const char* What;
    const char* File;
    std::function<void(TOutputOptions&)> Fill;
    std::function<void(TFFmpeg*)> Check;
  };
  const TCase cases[] = {
      {"record fields override extra options; <CRLF> separates lines", "a.avi",
       [](TOutputOptions& o) {
         o.ExtOptions = "ab=64000<CRLF>ar=22050";
         o.AudioBitrate = 128000;
       },
       [](TFFmpeg* t) {
         TOutputStreamSetup* audio = Stream(t, AVMEDIA_TYPE_AUDIO);
         ASSERT_NE(audio, nullptr);
         EXPECT_EQ(audio->enc->bit_rate, 128000);
         EXPECT_EQ(audio->enc->sample_rate, 22050);
       }},
      {"a codec of the extra options is the default when the record has none", "b.avi",
       [](TOutputOptions& o) { o.ExtOptions = "vcodec=mpeg4"; },
       [](TFFmpeg* t) { EXPECT_EQ(CodecOf(Stream(t, AVMEDIA_TYPE_VIDEO)), "mpeg4"); }},
      {"the record's codec wins over the extra options", "c.avi",
       [](TOutputOptions& o) {
         o.VideoCodec = "mpeg1video";
         o.ExtOptions = "vcodec=mpeg4";
       },
       [](TFFmpeg* t) {
         EXPECT_EQ(CodecOf(Stream(t, AVMEDIA_TYPE_VIDEO)), "mpeg1video");
         EXPECT_EQ(Stream(t, AVMEDIA_TYPE_VIDEO, 1), nullptr);
       }},
      {"added video streams take the queued codecs and sizes in turn", "d.mkv",
       [](TOutputOptions& o) {
         o.VideoCodec = "mpeg1video";
         o.FrameSize = "96x72";
         o.ExtOptions = "vcodec=mpeg4\nnewvideo=\nvcodec=h263\ns=128x96\nnewvideo=";
       },
       [](TFFmpeg* t) {
         EXPECT_EQ(CodecOf(Stream(t, AVMEDIA_TYPE_VIDEO, 0)), "mpeg1video");
         EXPECT_EQ(CodecOf(Stream(t, AVMEDIA_TYPE_VIDEO, 1)), "mpeg4");
         EXPECT_EQ(CodecOf(Stream(t, AVMEDIA_TYPE_VIDEO, 2)), "h263");
         ASSERT_NE(Stream(t, AVMEDIA_TYPE_VIDEO, 2), nullptr);
         EXPECT_EQ(Stream(t, AVMEDIA_TYPE_VIDEO, 0)->enc->width, 96);
         // Each key is queued on its own: the first added stream takes the first size line.
         EXPECT_EQ(Stream(t, AVMEDIA_TYPE_VIDEO, 1)->enc->width, 128);
         EXPECT_EQ(Stream(t, AVMEDIA_TYPE_VIDEO, 2)->enc->width, 96);  // none left: the default
       }},
      {"an added subtitle stream takes the queued codec", "e.mkv",
       [](TOutputOptions& o) { o.ExtOptions = "scodec=dvdsub\nnewsubtitle="; },
       [](TFFmpeg* t) { EXPECT_EQ(CodecOf(Stream(t, AVMEDIA_TYPE_SUBTITLE)), "dvdsub"); }},
      {"a filter line of any case becomes the filter chain", "f.avi",
       [](TOutputOptions& o) { o.ExtOptions = "VFilters=crop=10:10:100:100"; },
       [](TFFmpeg* t) { EXPECT_EQ(t->Fvfilters, "crop=10:10:100:100"); }},
      {"not-set fields change nothing; the always-fields replace extra options", "g.avi",
       [](TOutputOptions& o) { o.ExtOptions = "alang=eng\nvsync=1\nvol=100"; },
       [](TFFmpeg* t) {
         EXPECT_EQ(t->Fvideo_sync_method, -1);
         EXPECT_EQ(t->Faudio_volume, 100);
         EXPECT_EQ(t->Frecording_time, INT64_MAX);
         EXPECT_EQ(t->Frecording_timestamp, 0);
         TOutputStreamSetup* audio = Stream(t, AVMEDIA_TYPE_AUDIO);
         ASSERT_NE(audio, nullptr);
         EXPECT_EQ(enginetest::DictValue(audio->st->metadata, "language"), "");
       }},
      {"set fields reach the engine", "h.avi",
       [](TOutputOptions& o) {
         o.AudioLanguage = "fre";
         o.AudioVolume = 512;
         o.AudioChannels = 1;
         o.VideoSyncMethod = 2;
         o.AudioSyncMethod = 1;
         o.FrameRate = "10";
         o.FrameAspectRatio = "16:9";
         o.GroupPictureSize = 7;
         o.VideoBitrate = 300000;
         o.TimeLength = 1000000;
         o.TimeStart = 500000;
         o.CopyTimestamp = true;
         o.InputSync = true;
         o.Info.Year = 2001;
         o.Info.Title = "Song";
       },
       [](TFFmpeg* t) {
         TOutputStreamSetup* audio = Stream(t, AVMEDIA_TYPE_AUDIO);
         TOutputStreamSetup* video = Stream(t, AVMEDIA_TYPE_VIDEO);
         ASSERT_NE(audio, nullptr);
         ASSERT_NE(video, nullptr);
         EXPECT_EQ(enginetest::DictValue(audio->st->metadata, "language"), "fre");
         EXPECT_EQ(audio->enc->ch_layout.nb_channels, 1);
         EXPECT_EQ(video->enc->bit_rate, 300000);
         EXPECT_EQ(video->enc->gop_size, 7);
         EXPECT_EQ(video->enc->time_base.den * 1, 10 * video->enc->time_base.num);
         EXPECT_EQ(t->Faudio_volume, 512);
         EXPECT_EQ(t->Fvideo_sync_method, 2);
         EXPECT_EQ(t->Faudio_sync_method, 1);
         EXPECT_EQ(t->FTotalOutputDuration, 1000000);
         EXPECT_EQ(t->Frecording_time, 1000000);
         EXPECT_EQ(t->Fstart_time, 500000);
         EXPECT_TRUE(t->Fcopy_ts);
         EXPECT_TRUE(t->Finput_sync);
         AVFormatContext* oc = t->OutputFile(0).ctx;
         EXPECT_EQ(enginetest::DictValue(oc->metadata, "title"), "Song");
         EXPECT_EQ(enginetest::DictValue(oc->metadata, "year"), "2001");
       }},
      {"disabled audio leaves only video", "i.avi", [](TOutputOptions& o) { o.DisableAudio = true; },
       [](TFFmpeg* t) {
         EXPECT_EQ(Stream(t, AVMEDIA_TYPE_AUDIO), nullptr);
         EXPECT_NE(Stream(t, AVMEDIA_TYPE_VIDEO), nullptr);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    convexa->ClearTasks();
    ASSERT_EQ(NewTask(), 0);
    TOutputOptions options;
    c.Fill(options);
    ASSERT_TRUE(convexa->SetOutputFile(0, Out(c.File), &options)) << convexa->LastErrMsg();
    EXPECT_EQ(options.FileName, Out(c.File));
    ASSERT_NE(convexa->Task(0)->OutputOptions(0), nullptr);
    EXPECT_EQ(convexa->Task(0)->OutputOptions(0)->ExtOptions, options.ExtOptions);
    c.Check(convexa->Task(0));
  }
}

TEST_F(Convexa, DiscTargetsFollowTheirNorm) {
  struct TCase {
    TOptionTargetType Target;
    TOptionNormType Norm;
    TOptionNormType Default;
    int Width, Height;
    int RateDen;  // 1 for 25 a second (PAL), 1001 for 30000/1001 (NTSC)
    int64_t VideoBitrate;
    int SampleRate;
  };
  // The test file runs at 25 pictures a second, so "auto" finds PAL whatever the default.
  for (const TCase& c :
       {TCase{TOptionTargetType::ttVCD, TOptionNormType::ntPAL, TOptionNormType::ntPAL, 352, 288, 1, 1150000, 44100},
        TCase{TOptionTargetType::ttVCD, TOptionNormType::ntNTSC, TOptionNormType::ntPAL, 352, 240, 1001, 1150000, 44100},
        TCase{TOptionTargetType::ttVCD, TOptionNormType::ntAuto, TOptionNormType::ntNTSC, 352, 288, 1, 1150000, 44100},
        TCase{TOptionTargetType::ttSVCD, TOptionNormType::ntNTSC, TOptionNormType::ntPAL, 480, 480, 1001, 2040000, 44100},
        TCase{TOptionTargetType::ttDVD, TOptionNormType::ntPAL, TOptionNormType::ntPAL, 720, 576, 1, 6000000, 48000}}) {
    SCOPED_TRACE(::testing::Message() << static_cast<int>(c.Target) << "/" << static_cast<int>(c.Norm));
    convexa->ClearTasks();
    ASSERT_EQ(NewTask(), 0);
    TOutputOptions options;
    options.TargetType = c.Target;
    options.NormType = c.Norm;
    options.NormDefault = c.Default;
    // What an option list may say besides: the disc's norm wins over all of it.
    options.VideoCodec = "mpeg4";
    options.AudioCodec = "aac";
    options.FrameSize = "704*480";
    options.FrameRate = "15";
    options.VideoBitrate = 528000;
    options.AudioBitrate = 128000;
    options.AudioSampleRate = 22050;
    ASSERT_TRUE(convexa->SetOutputFile(0, Out("disc.mpg"), &options)) << convexa->LastErrMsg();
    TOutputStreamSetup* video = Stream(convexa->Task(0), AVMEDIA_TYPE_VIDEO);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->enc->width, c.Width);
    EXPECT_EQ(video->enc->height, c.Height);
    EXPECT_EQ(video->enc->codec_id, c.Target == TOptionTargetType::ttVCD ? AV_CODEC_ID_MPEG1VIDEO : AV_CODEC_ID_MPEG2VIDEO);
    EXPECT_EQ(video->enc->time_base.num, c.RateDen);
    EXPECT_EQ(video->enc->bit_rate, c.VideoBitrate);
    TOutputStreamSetup* audio = Stream(convexa->Task(0), AVMEDIA_TYPE_AUDIO);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->enc->sample_rate, c.SampleRate);
    EXPECT_EQ(audio->enc->codec_id, c.Target == TOptionTargetType::ttDVD ? AV_CODEC_ID_AC3 : AV_CODEC_ID_MP2);
    // The record keeps what the caller gave.
    EXPECT_EQ(convexa->Task(0)->OutputOptions(0)->FrameSize, "704*480");
  }
}

TEST_F(Convexa, RecordingTimestampIsUtcOfTheLocalTime) {
  struct TCase {
    const char* What;
    TDateTime Stamp;
    int Month;  // 0: not set
  };
  // Winter and summer: the offset in force at the moment itself applies.
  for (const TCase& c : {TCase{"not set", -1.0, 0}, TCase{"winter", EncodeDateTime(2024, 1, 15, 12, 30, 0, 0), 1},
                         TCase{"summer", EncodeDateTime(2024, 7, 15, 12, 30, 0, 0), 7}}) {
    SCOPED_TRACE(c.What);
    convexa->ClearTasks();
    ASSERT_EQ(NewTask(), 0);
    TOutputOptions options;
    options.Info.TimeStamp = c.Stamp;
    ASSERT_TRUE(convexa->SetOutputFile(0, Out("t.avi"), &options)) << convexa->LastErrMsg();
    if (c.Month == 0) {
      EXPECT_EQ(convexa->Task(0)->Frecording_timestamp, 0);
      continue;
    }
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = c.Month - 1;
    local.tm_mday = 15;
    local.tm_hour = 12;
    local.tm_min = 30;
    local.tm_isdst = -1;
    EXPECT_EQ(convexa->Task(0)->Frecording_timestamp, static_cast<int64_t>(std::mktime(&local)));
  }
  // 0.0 is now.
  convexa->ClearTasks();
  ASSERT_EQ(NewTask(), 0);
  TOutputOptions now;
  now.Info.TimeStamp = 0.0;
  const int64_t before = std::time(nullptr);
  ASSERT_TRUE(convexa->SetOutputFile(0, Out("n.avi"), &now));
  EXPECT_GE(convexa->Task(0)->Frecording_timestamp, before);
  EXPECT_LE(convexa->Task(0)->Frecording_timestamp, std::time(nullptr));
}

TEST_F(Convexa, ARejectedValueFailsTheOutputWithItsMessage) {
  struct TCase {
    std::function<void(TOutputOptions&)> Fill;
    const char* Message;
  };
  for (const TCase& c : {TCase{[](TOutputOptions& o) { o.FrameRate = "abc"; }, "Incorrect frame rate"},
                         TCase{[](TOutputOptions& o) { o.FrameSize = "huge"; }, "Incorrect frame size"},
                         TCase{[](TOutputOptions& o) { o.FrameAspectRatio = "x"; }, "Incorrect aspect ratio value."},
                         TCase{[](TOutputOptions& o) { o.AudioTag = "abc"; }, "audio tag parameter must be 4 chars"},
                         TCase{[](TOutputOptions& o) { o.ExtOptions = "pass=3"; }, "pass number can be only 1 or 2"}}) {
    SCOPED_TRACE(c.Message);
    convexa->ClearTasks();
    ASSERT_EQ(NewTask(), 0);
    TOutputOptions options;
    c.Fill(options);
    EXPECT_FALSE(convexa->SetOutputFile(0, Out("bad.avi"), &options));
    EXPECT_EQ(convexa->LastErrMsg(), c.Message);
    EXPECT_EQ(convexa->Task(0)->NbOutputFiles(), 0);
    EXPECT_EQ(convexa->TasksCount(), 1);  // the task stays
  }
  // An output the engine cannot open resets the stored record.
  TOutputOptions options;
  options.Tag = 5;
  EXPECT_FALSE(convexa->SetOutputFile(0, Out("x.unknown-extension"), &options));
  EXPECT_FALSE(convexa->LastErrMsg().empty());
  ASSERT_NE(convexa->Task(0)->OutputOptions(0), nullptr);
  EXPECT_EQ(convexa->Task(0)->OutputOptions(0)->Tag, 0);
}

TEST_F(Convexa, TextOverloadOfSetOutputFileJoinsAndSetsTheLength) {
  ASSERT_EQ(NewTask(), 0);
  ASSERT_TRUE(convexa->AddInputFile(0, fixtures::Mp4()));
  ASSERT_TRUE(convexa->SetOutputFile(0, Out("joined.avi"), "Join=0<CRLF>TimeLength=abc<CRLF>ab=64000"))
      << convexa->LastErrMsg();
  const TOutputOptions* stored = convexa->Task(0)->OutputOptions(0);
  ASSERT_NE(stored, nullptr);
  EXPECT_TRUE(stored->Join);
  EXPECT_EQ(stored->TimeLength, NoTimestamp);
  EXPECT_TRUE(convexa->Task(0)->FJoinMode);
  EXPECT_EQ(convexa->Task(0)->NbOutputFiles(), 2);  // one shared output per input

  convexa->ClearTasks();
  ASSERT_EQ(NewTask(), 0);
  ASSERT_TRUE(convexa->SetOutputFile(0, Out("short.avi"), "timelength=1000000"));
  EXPECT_EQ(convexa->Task(0)->FTotalOutputDuration, 1000000);
  EXPECT_FALSE(convexa->Task(0)->FJoinMode);
}

}  // namespace
