// The engine's option set: value handlers, the dispatcher and their error texts.

#include <algorithm>
#include <cmath>
#include <mutex>

#include "Src/FFmpegLogger.h"

#include "FFmpegTestSupport.h"

namespace {

using enginetest::ErrorOf;
using enginetest::NewEngine;

class EngineOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadLibraries();
    engine = NewEngine();
  }
  void Parse(const std::string& AName, const std::string& AValue) { engine->ParseOption(AName, AValue); }
  std::unique_ptr<TCustomFFmpeg> engine;
};

TEST(EngineObject, CapacityMustLieBetweenOneAnd512) {
  enginetest::LoadLibraries();
  for (int bad : {0, -1, 513}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(TCustomFFmpeg{bad}, EAssertionFailed);
  }
  for (int good : {1, 512}) EXPECT_EQ(TCustomFFmpeg(good).MaxFiles(), good);
}

TEST_F(EngineOptions, ResetRestoresTheDefaults) {
  Parse("s", "320x240");
  Parse("ar", "22050");
  Parse("vcodec", "mpeg4");
  Parse("v", "3");
  Parse("vframes", "10");
  Parse("t", "5");
  engine->Reset();
  EXPECT_EQ(engine->Fframe_width, 0);
  EXPECT_EQ(engine->Faudio_sample_rate, 44100);
  EXPECT_EQ(engine->Faudio_channels, 2);
  EXPECT_TRUE(engine->Fvideo_codec_name.empty());
  EXPECT_EQ(engine->Fverbose, 1);
  EXPECT_EQ(engine->Fmax_frames[0], INT32_MAX);
  EXPECT_EQ(engine->Frecording_time, INT64_MAX);
  EXPECT_EQ(engine->FTotalOutputDuration, -1);
  EXPECT_EQ(engine->Fframe_pix_fmt, -1);
  EXPECT_EQ(engine->Faudio_volume, 256);
  EXPECT_EQ(engine->Fsws_flags, SWS_BICUBIC);
  EXPECT_FLOAT_EQ(engine->Fmux_preload, 0.5f);
  EXPECT_EQ(engine->NbInputFiles(), 0);
  EXPECT_EQ(engine->NbOutputFiles(), 0);
}

// Every rejected value raises its exact text and leaves the field it guards alone.
TEST_F(EngineOptions, BadValuesRaiseTheirMessages) {
  struct TCase {
    std::vector<std::pair<std::string, std::string>> Before;
    std::string Name, Value, Message;
  };
  const std::string crop = "crop dimensions are outside the range of the original image.\n"
                           "Remember to crop first and scale second.";
  const std::string matrix63 = [] {
    std::string m;
    for (int i = 0; i < 63; ++i) m += (i ? "," : "") + std::to_string(i + 1);
    return m;
  }();
  const std::vector<TCase> cases = {
      {{}, "s", "abc", "Incorrect frame size"},
      {{}, "s", "10x", "Incorrect frame size"},
      {{}, "r", "fast", "Incorrect frame rate"},
      {{}, "aspect", "4:0", "Incorrect aspect ratio value."},
      {{}, "aspect", "abc", "Incorrect aspect ratio value."},
      {{{"s", "720x576"}}, "croptop", "576", "Vertical " + crop},
      {{{"s", "720x576"}}, "cropbottom", "600", "Vertical " + crop},
      {{{"s", "720x576"}}, "cropleft", "720", "Horizontal " + crop},
      {{}, "cropright", "1", "Horizontal " + crop},
      {{}, "pix_fmt", "nosuch", "Unknown pixel format requested: nosuch"},
      {{}, "qscale", "0", "qscale must be > 0.0 and <= 255"},
      {{}, "qscale", "255.5", "qscale must be > 0.0 and <= 255"},
      {{}, "vtag", "XVIDX", "video tag parameter must be 4 chars"},
      {{}, "atag", "mp", "audio tag parameter must be 4 chars"},
      {{}, "stag", "abcde", "subtitle tag parameter must be 4 chars"},
      {{}, "vbsf", "nosuch=1", "Unknown bitstream filter nosuch=1"},
      {{}, "t", "abc", "Invalid duration value for t: abc"},
      {{}, "ss", "1:xx", "Invalid duration value for ss: 1:xx"},
      {{}, "timestamp", "not a date", "Invalid date value for timestamp: not a date"},
      {{}, "itsscale", "1000:2", "stream index over MAX_STREAMS(1000)"},
      {{}, "itsscale", "-1:2", "stream index over MAX_STREAMS(1000)"},
      {{}, "metadata", "title", "Missing ="},
      {{}, "streamid", "5", "Invalid value \"5\" for option \"streamid\", required syntax is \"index:value\""},
      {{}, "streamid", "5:", "Invalid value \"5:\" for option \"streamid\", required syntax is \"index:value\""},
      {{}, "streamid", ":5", "Invalid value \":5\" for option \"streamid\", required syntax is \"index:value\""},
      {{}, "pass", "3", "pass number can be only 1 or 2"},
      {{}, "intra_matrix", matrix63, "Syntax error in matrix \"" + matrix63 + "\" at coeff 62"},
      {{}, "inter_matrix", "0," + matrix63,
       "Invalid coefficient 0 in matrix \"0," + matrix63 + "\" at coeff 0 (must be 1 to 255)"},
      {{}, "intra_matrix", "256," + matrix63,
       "Invalid coefficient 256 in matrix \"256," + matrix63 + "\" at coeff 0 (must be 1 to 255)"},
      {{{"r", "25"}}, "target", "PAL-vcd", "Unknown target type"},
      {{{"r", "25"}}, "target", "pal-bluray", "Unknown target type"},
      {{}, "target", "dvd", "frame_rate is invalid."},
      {{}, "threads", "-1", "Invalid value \"-1\" for option \"threads\""},
      {{}, "threads", "many", "Invalid value \"many\" for option \"threads\""},
      {{}, "timelimit", "10",
       "Option \"timelimit\" is not supported: a processor-time limit would end the whole program, not one "
       "conversion (\"t\" limits the length of the output)"},
      // Names nothing knows, and values the option refuses, are named.
      {{}, "acodex", "mp3", "Unrecognized option \"acodex\""},
      {{}, "no_such_option", "", "Unrecognized option \"no_such_option\""},
      {{}, "ar", "0", "Invalid value \"0\" for option \"ar\""},
      {{}, "ar", "-44100", "Invalid value \"-44100\" for option \"ar\""},
      {{}, "ar", "many", "Invalid value \"many\" for option \"ar\""},
      {{}, "ac", "-1", "Invalid value \"-1\" for option \"ac\""},
      {{}, "ab", "-5", "Invalid value \"-5\" for option \"ab\""},
      {{}, "b", "lots", "Invalid value \"lots\" for option \"b\""},
      {{}, "sample_fmt", "bogus", "Invalid value \"bogus\" for option \"sample_fmt\""},
      {{}, "g", "-5000000000", "Invalid value \"-5000000000\" for option \"g\""},
      {{}, "padtop", "8", "Please use vfilters=pad"},
      {{}, "padcolor", "000000", "Please use vfilters=pad"},
      {{}, "vpre", "no-such-preset", "Preset \"no-such-preset\" not found"},
      {{}, "newaudio", "", "At least one output file must be specified"},
      {{}, "vhook", "/nonexistent/hook.so 1", "Failed to add video hook function: /nonexistent/hook.so 1"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name + " " + c.Value);
    engine->Reset();
    for (const auto& [name, value] : c.Before) Parse(name, value);
    EXPECT_EQ(ErrorOf([&] { Parse(c.Name, c.Value); }), c.Message);
  }
  // What the failures above must not have changed.
  engine->Reset();
  Parse("s", "720x576");
  (void)ErrorOf([&] { Parse("croptop", "576"); });
  EXPECT_EQ(engine->Fframe_height, 576);
  EXPECT_EQ(engine->Fframe_topBand, 0);
  (void)ErrorOf([&] { Parse("threads", "-4"); });
  EXPECT_EQ(engine->Fthread_count, -1);  // not given
  (void)ErrorOf([&] { Parse("ar", "0"); });
  (void)ErrorOf([&] { Parse("ac", "-2"); });
  (void)ErrorOf([&] { Parse("sample_fmt", "bogus"); });
  EXPECT_EQ(engine->Faudio_sample_rate, 44100);
  EXPECT_EQ(engine->Faudio_channels, 2);
  EXPECT_EQ(engine->Faudio_sample_fmt, -1);
  (void)ErrorOf([&] { Parse("metadata", "title"); });
  EXPECT_TRUE(engine->Fmetadata.empty());
}

TEST_F(EngineOptions, NumbersThatAreNotNumbersFailTheConversion) {
  for (const char* name : {"v", "vsync", "croptop", "loop_output"}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(Parse(name, "many"), EConvertError);
  }
  EXPECT_EQ(engine->Faudio_sample_rate, 44100);
}

TEST_F(EngineOptions, GeometryHandlers) {
  Parse("aspect", "16:9");
  EXPECT_FLOAT_EQ(engine->Fframe_aspect_ratio, 16.0f / 9.0f);
  Parse("aspect", "-1.5");
  EXPECT_FLOAT_EQ(engine->Fframe_aspect_ratio, -1.5f);

  Parse("s", "720x576");
  Parse("croptop", "10");
  Parse("cropleft", "0");
  Parse("cropright", "-5");
  Parse("cropbottom", "6");
  EXPECT_EQ(engine->Fframe_height, 560);
  EXPECT_EQ(engine->Fframe_topBand, 10);
  EXPECT_EQ(engine->Fframe_bottomBand, 6);
  EXPECT_EQ(engine->Fframe_width, 720);
  EXPECT_EQ(engine->Fframe_leftBand, 0);

  Parse("s", "pal");
  EXPECT_EQ(engine->Fframe_width, 720);
  EXPECT_EQ(engine->Fframe_height, 576);
  Parse("r", "30000/1001");
  EXPECT_EQ(engine->Fframe_rate.num, 30000);
  EXPECT_EQ(engine->Fframe_rate.den, 1001);
  Parse("pix_fmt", "yuv422p");
  EXPECT_EQ(engine->Fframe_pix_fmt, AV_PIX_FMT_YUV422P);
  Parse("sample_fmt", "s16");
  EXPECT_EQ(engine->Faudio_sample_fmt, AV_SAMPLE_FMT_S16);
  Parse("ar", "22050");
  Parse("ac", "6");
  EXPECT_EQ(engine->Faudio_sample_rate, 22050);
  EXPECT_EQ(engine->Faudio_channels, 6);
  Parse("threads", "3");
  EXPECT_EQ(engine->Fthread_count, 3);
  Parse("threads", "auto");
  EXPECT_EQ(engine->Fthread_count, 0);
}

TEST_F(EngineOptions, CodecsTagsMapsAndMetadata) {
  Parse("vcodec", "copy");
  Parse("vcodec", "mpeg4");
  EXPECT_EQ(engine->Fvideo_stream_copy, 1);
  EXPECT_EQ(engine->Fvideo_codec_name, "mpeg4");

  Parse("vtag", "XVID");
  EXPECT_EQ(engine->Fvideo_codec_tag, static_cast<uint32_t>('X' | 'V' << 8 | 'I' << 16 | 'D' << 24));

  Parse("map", "1.2");
  Parse("map", "0.1:1.0");
  Parse("map", "0x1:3");
  ASSERT_EQ(engine->Fstream_maps.size(), 3u);
  const TAVStreamMap& a = engine->Fstream_maps[0];
  EXPECT_EQ((std::vector<int>{a.file_index, a.stream_index, a.sync_file_index, a.sync_stream_index}),
            (std::vector<int>{1, 2, 1, 2}));
  const TAVStreamMap& b = engine->Fstream_maps[1];
  EXPECT_EQ((std::vector<int>{b.file_index, b.stream_index, b.sync_file_index, b.sync_stream_index}),
            (std::vector<int>{0, 1, 1, 0}));
  EXPECT_EQ(engine->Fstream_maps[2].file_index, 1);
  EXPECT_EQ(engine->Fstream_maps[2].stream_index, 3);

  Parse("map_meta_data", "0:1");
  ASSERT_EQ(engine->Fmeta_data_maps.size(), 1u);
  EXPECT_EQ(engine->Fmeta_data_maps[0].out_file, 0);
  EXPECT_EQ(engine->Fmeta_data_maps[0].in_file, 1);

  Parse("metadata", "title=A=B");
  ASSERT_EQ(engine->Fmetadata.size(), 1u);
  EXPECT_EQ(engine->Fmetadata[0].first, "title");
  EXPECT_EQ(engine->Fmetadata[0].second, "A=B");

  // More streams than the old fixed tables held.
  Parse("streamid", "1:301");
  Parse("streamid", "25:7");
  ASSERT_EQ(engine->Fstreamid_map.size(), 26u);
  EXPECT_EQ(engine->Fstreamid_map[1], 301);
  EXPECT_EQ(engine->Fstreamid_map[25], 7);
  Parse("itsscale", "3:1.5");
  Parse("itsscale", "30:2");
  EXPECT_DOUBLE_EQ(engine->Finput_files_ts_scale.at(0).at(3), 1.5);
  EXPECT_DOUBLE_EQ(engine->Finput_files_ts_scale.at(0).at(30), 2.0);

  std::string matrix;
  for (int i = 0; i < 70; ++i) matrix += (i ? "," : "") + std::to_string(i % 200 + 1);
  Parse("intra_matrix", matrix);
  ASSERT_EQ(engine->Fintra_matrix.size(), 64u);
  EXPECT_EQ(engine->Fintra_matrix[0], 1);
  EXPECT_EQ(engine->Fintra_matrix[63], 64);

  Parse("vbsf", "h264_mp4toannexb");
  Parse("absf", "=ignored");
  EXPECT_EQ(engine->Fvideo_bitstream_filters.size(), 1u);
  EXPECT_TRUE(engine->Faudio_bitstream_filters.empty());
}

TEST_F(EngineOptions, DispatcherRules) {
  // Booleans are false only for "0"; "copyts" and "xerror" ignore their value.
  Parse("dump", "");
  EXPECT_TRUE(engine->Fdo_pkt_dump);
  Parse("dump", "0");
  EXPECT_FALSE(engine->Fdo_pkt_dump);
  Parse("copyts", "0");
  EXPECT_TRUE(engine->Fcopy_ts);
  Parse("xerror", "0");
  EXPECT_TRUE(engine->Fexit_on_error);

  // Names are exact: another letter case is another name, and none of these is known.
  for (const char* name : {"V", "Threads", "PADTOP"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ErrorOf([&] { Parse(name, "1"); }), std::string("Unrecognized option \"") + name + "\"");
  }
  EXPECT_EQ(engine->Fverbose, 1);
  // A generic option without a value changes nothing.
  EXPECT_NO_THROW(Parse("bufsize", ""));

  Parse("vf", "hflip");
  EXPECT_EQ(engine->Fvfilters, "hflip");
  Parse("vfilters", "vflip");
  EXPECT_EQ(engine->Fvfilters, "vflip");

  Parse("vol", "-1");
  EXPECT_EQ(engine->Faudio_volume, -1);
  engine->SetAudioVolume(-1);
  EXPECT_EQ(engine->Faudio_volume, -1);
  engine->SetAudioVolume(512);
  EXPECT_EQ(engine->Faudio_volume, 512);
  Parse("programid", "-3");
  EXPECT_EQ(engine->Fopt_programid, -3);
  engine->SetProgramID(-1);
  EXPECT_EQ(engine->Fopt_programid, -3);

  Parse("t", "00:01:30");
  EXPECT_EQ(engine->Frecording_time, 90000000);
  EXPECT_EQ(engine->FTotalOutputDuration, 90000000);
  engine->SetRecordingTime(NoTimestamp);
  EXPECT_EQ(engine->Frecording_time, 90000000);
  Parse("timestamp", "2020-01-02 03:04:05.6");
  EXPECT_GT(engine->Frecording_timestamp, 1577836800);

  Parse("f", "pgmyuv");
  EXPECT_EQ(engine->Flast_asked_format, "image2");
  EXPECT_EQ(engine->Fpgmyuv_compatibility_hack, 1);
}

TEST_F(EngineOptions, BitRatesGoToTheVideoOrAudioDefaults) {
  int64_t value = 0;
  Parse("b", "64");
  ASSERT_GE(av::av_opt_get_int(engine->Options().avcodec_opts[AVMEDIA_TYPE_VIDEO], "b", 0, &value), 0);
  EXPECT_EQ(value, 64);
  Parse("ab", "128000");
  ASSERT_GE(av::av_opt_get_int(engine->Options().avcodec_opts[AVMEDIA_TYPE_AUDIO], "b", 0, &value), 0);
  EXPECT_EQ(value, 128000);
  EXPECT_FALSE(engine->OptBitrate("b", ""));
  EXPECT_FALSE(engine->OptDefault("b", "lots"));
  EXPECT_TRUE(engine->SetIntOption("g", 33));
  ASSERT_GE(av::av_opt_get_int(engine->Options().avcodec_opts[AVMEDIA_TYPE_VIDEO], "g", 0, &value), 0);
  EXPECT_EQ(value, 33);
}

// The engine's own log lines, caught on the logging thread.
class TLogCapture {
 public:
  TLogCapture() {
    GetLogger()->SetTriggerEventInMainThread(false);
    GetLogger()->SetLogLevel(TLogLevel::llDebug);
    GetLogger()->OnLog = [this](TObject*, DWORD, TLogLevel ALevel, const std::string& AText) {
      std::lock_guard<std::mutex> guard(FLock);
      if (ALevel <= TLogLevel::llVerbose) Lines.push_back(AText);
    };
  }
  ~TLogCapture() { GetLogger()->OnLog = nullptr; }
  [[nodiscard]] bool Has(const std::string& AText) {
    std::lock_guard<std::mutex> guard(FLock);
    return std::find(Lines.begin(), Lines.end(), AText) != Lines.end();
  }
  std::vector<std::string> Lines;

 private:
  std::mutex FLock;
};

TEST_F(EngineOptions, WarningsAndListsGoToTheLog) {
  TLogCapture log;
  Parse("b", "64");
  EXPECT_TRUE(log.Has("WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s"));
  Parse("s", "720x576");
  Parse("croptop", "10");
  EXPECT_TRUE(log.Has("CropXXX is deprecated in favor of the crop avfilter"));
  Parse("h", "");
  EXPECT_TRUE(log.Has("Option \"h\" is ignored: it only has a meaning for the command-line tool"));

  log.Lines.clear();
  Parse("sample_fmt", "list");
  EXPECT_EQ(log.Lines.size(), static_cast<size_t>(AV_SAMPLE_FMT_NB + 1));
  EXPECT_EQ(engine->Faudio_sample_fmt, -1);
  log.Lines.clear();
  Parse("pix_fmt", "list");
  int formats = 0;
  for (int i = 0; i < AV_PIX_FMT_NB; ++i) formats += av::av_pix_fmt_desc_get(static_cast<AVPixelFormat>(i)) != nullptr;
  EXPECT_EQ(log.Lines.size(), static_cast<size_t>(formats + 1));
  EXPECT_EQ(engine->Fframe_pix_fmt, -1);

  ASSERT_TRUE(engine->OptInputFile(enginetest::NtscFile()));
  Parse("target", "vcd");
  EXPECT_TRUE(log.Has("Assuming NTSC for target."));
  EXPECT_FALSE(log.Has("Assuming 4:3 for aspect ratio"));  // the input gave its aspect
  engine->Reset();
  Parse("r", "25");
  Parse("target", "dvd");
  EXPECT_TRUE(log.Has("Assuming 16:9 for aspect ratio"));
}

TEST_F(EngineOptions, PrivateOptionsWaitForTheirEncoderOrMuxer) {
  // "muxrate" belongs to the MPEG program stream muxer, "crf" to the H.264 encoder once named.
  EXPECT_TRUE(engine->OptDefault("muxrate", "1411200"));
  EXPECT_EQ(enginetest::DictValue(engine->PendingMuxerOptions(), "muxrate"), "1411200");
  Parse("vcodec", "libx264");
  EXPECT_TRUE(engine->OptDefault("crf", "23"));
  EXPECT_EQ(enginetest::DictValue(engine->PendingCodecOptions(AVMEDIA_TYPE_VIDEO), "crf"), "23");
  // Named by its codec, the encoder is that codec's default one.
  engine->Reset();
  Parse("vcodec", "h264");
  Parse("crf", "20");
  EXPECT_EQ(enginetest::DictValue(engine->PendingCodecOptions(AVMEDIA_TYPE_VIDEO), "crf"), "20");
  // With no encoder named, an option of some video encoder waits for the next video stream (the
  // format's default encoder may take it); an option no encoder or muxer has is refused.
  engine->Reset();
  EXPECT_TRUE(engine->OptDefault("crf", "23"));
  EXPECT_EQ(enginetest::DictValue(engine->PendingCodecOptions(AVMEDIA_TYPE_VIDEO), "crf"), "23");
  EXPECT_EQ(enginetest::DictValue(engine->PendingCodecOptions(AVMEDIA_TYPE_AUDIO), "crf"), "");
  EXPECT_FALSE(engine->OptDefault("crff", "23"));
}

}  // namespace
