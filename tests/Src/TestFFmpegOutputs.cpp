// The engine's inputs, outputs and their streams, disc targets and encoder presets.

#include <filesystem>
#include <fstream>

#include "FFmpegTestSupport.h"
#include "Src/AVFilterStubs.h"
#include "platform/core/Streams.h"

namespace {

namespace fs = std::filesystem;
using enginetest::DictValue;
using enginetest::ErrorOf;
using enginetest::NewEngine;

class EngineFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadLibraries();
    engine = NewEngine();
    folder = fixtures::ScratchFolder("engine");
  }
  void TearDown() override {
    engine.reset();
    std::error_code error;
    fs::remove_all(folder, error);
  }
  void Parse(const std::string& AName, const std::string& AValue) { engine->ParseOption(AName, AValue); }
  std::string Out(const std::string& AName) const { return (folder / AName).string(); }
  // Opens AName in the scratch folder as the next output; fails the test when it cannot.
  TOutputFileSetup& OpenOutput(const std::string& AName) {
    const int count = engine->OptOutputFile(Out(AName));
    EXPECT_GT(count, 0);
    return engine->OutputFile(count - 1);
  }
  static const TOutputStreamSetup& Stream(const TOutputFileSetup& AFile, int AIndex) {
    return *AFile.streams.at(AIndex);
  }

  std::unique_ptr<TCustomFFmpeg> engine;
  fs::path folder;
};

// ---- inputs ----

TEST_F(EngineFiles, AnInputSetsTheDefaultsOfTheOutputs) {
  EXPECT_EQ(engine->OptInputFile(fixtures::Mp4()), 1);
  EXPECT_EQ(engine->Fframe_width, 160);
  EXPECT_EQ(engine->Fframe_height, 120);
  EXPECT_FLOAT_EQ(engine->Fframe_aspect_ratio, 160.0f / 120.0f);
  EXPECT_EQ(engine->Fframe_rate.num / std::max(engine->Fframe_rate.den, 1), 25);
  EXPECT_EQ(engine->Faudio_sample_rate, 44100);
  EXPECT_EQ(engine->Fframe_pix_fmt, AV_PIX_FMT_YUV420P);
  EXPECT_NEAR(engine->FTotalOutputDuration, 2000000, 100000);
}

TEST_F(EngineFiles, AnInputsDisplayAspectComesFromItsSampleAspect) {
  const std::string file = fixtures::Make(
      "sar-16-15.mpg", "-f lavfi -i testsrc=size=720x576:rate=25:duration=0.2 -vf setsar=16/15 -c:v mpeg2video -f mpeg");
  ASSERT_TRUE(engine->OptInputFile(file));
  EXPECT_FLOAT_EQ(engine->Fframe_aspect_ratio, 4.0f / 3.0f);
  EXPECT_EQ(engine->Fframe_width, 720);
}

// An input that cannot be used raises with the reason and leaves the job as it was; the forced
// format and decoders that described it are used up.
TEST_F(EngineFiles, InputFailures) {
  struct TCase {
    const char* Option;  // "name=value" given before the input, or ""
    std::string File;
    std::string Message;
  };
  const TCase cases[] = {
      {"", Out("missing.mp4"), Out("missing.mp4") + ": No such file or directory"},
      {"vcodec=mp2", fixtures::Mp4(), "Invalid decoder type 'mp2'"},  // an audio codec as the video decoder
      {"acodec=no-such-decoder", fixtures::Mp4(), "Unknown decoder 'no-such-decoder'"},
      {"f=no-such-format", fixtures::Mp4(), "Unknown input format: \"no-such-format\""},
      {"programid=3", fixtures::Mp4(), "Specified program id not found"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Option);
    engine->Reset();
    const std::string option = c.Option;
    if (!option.empty()) Parse(option.substr(0, option.find('=')), option.substr(option.find('=') + 1));
    EXPECT_EQ(ErrorOf([&] { engine->OptInputFile(c.File); }), c.Message);
    EXPECT_EQ(engine->NbInputFiles(), 0);
    EXPECT_TRUE(engine->Finput_codecs.empty());
    EXPECT_TRUE(engine->Fvideo_codec_name.empty());
    EXPECT_TRUE(engine->Faudio_codec_name.empty());
    EXPECT_TRUE(engine->Flast_asked_format.empty());
  }

  // A job takes at most its capacity of inputs.
  auto small = NewEngine(1);
  ASSERT_TRUE(small->OptInputFile(fixtures::Mp4()));
  EXPECT_NE(ErrorOf([&] { small->OptInputFile(fixtures::Mp4()); }), "");
  EXPECT_EQ(small->NbInputFiles(), 1);
}

TEST_F(EngineFiles, StartPositionGivesTheInputItsOffset) {
  Parse("ss", "1");
  ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
  EXPECT_EQ(engine->Fstart_time, 0);
  ASSERT_TRUE(engine->OptInputFile(fixtures::Container("av.avi")));
  EXPECT_EQ(engine->Finput_files_ts_offset.at(0), -1000000 - engine->InputFile(0)->start_time);
  EXPECT_EQ(engine->Finput_files_ts_offset.at(1), -engine->InputFile(1)->start_time);
  // Forced decoders line up with the input streams.
  EXPECT_EQ(engine->Finput_codecs.size(),
            static_cast<size_t>(engine->InputFile(0)->nb_streams + engine->InputFile(1)->nb_streams));
}

// ---- outputs and streams ----

TEST_F(EngineFiles, StreamKindsFollowTheFormatTheInputsAndTheDisableSwitches) {
  struct TCase {
    std::string Input;  // "" = no input
    std::vector<std::pair<std::string, std::string>> Options;
    std::string Output;
    std::vector<AVMediaType> Kinds;
  };
  const std::vector<TCase> cases = {
      {fixtures::Mp4(), {}, "a.avi", {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}},
      {enginetest::AudioOnlyFile(), {}, "b.avi", {AVMEDIA_TYPE_AUDIO}},
      {"", {}, "c.avi", {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}},
      {fixtures::Mp4(), {{"vn", "1"}}, "d.avi", {AVMEDIA_TYPE_AUDIO}},
      {fixtures::Mp4(), {{"an", ""}}, "e.mp4", {AVMEDIA_TYPE_VIDEO}},
      {fixtures::Mp4(), {}, "f.wav", {AVMEDIA_TYPE_AUDIO}},
      {fixtures::Mp4(), {{"vcodec", "mjpeg"}}, "g.wav", {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Output);
    engine->Reset();
    if (!c.Input.empty()) {
      ASSERT_TRUE(engine->OptInputFile(c.Input));
    }
    for (const auto& [name, value] : c.Options) Parse(name, value);
    TOutputFileSetup& file = OpenOutput(c.Output);
    std::vector<AVMediaType> kinds;
    for (const auto& s : file.streams) kinds.push_back(s->type);
    EXPECT_EQ(kinds, c.Kinds);
    EXPECT_EQ(static_cast<size_t>(file.ctx->nb_streams), file.streams.size());
  }
}

TEST_F(EngineFiles, CodecQueuesAndNewStreams) {
  ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
  Parse("vcodec", "mpeg4");
  Parse("acodec", "copy");
  Parse("vlang", "eng");
  TOutputFileSetup& file = OpenOutput("q.mkv");
  ASSERT_EQ(file.streams.size(), 2u);
  EXPECT_EQ(Stream(file, 0).enc->codec_id, AV_CODEC_ID_MPEG4);
  EXPECT_TRUE(Stream(file, 0).codec_named);
  EXPECT_EQ(DictValue(Stream(file, 0).st->metadata, "language"), "eng");
  EXPECT_TRUE(Stream(file, 1).stream_copy);
  // Codec names, copy flags and languages are used up by the stream they made.
  EXPECT_TRUE(engine->Fvideo_codec_name.empty());
  EXPECT_EQ(engine->Faudio_stream_copy, 0);
  EXPECT_TRUE(engine->Fvideo_language.empty());

  Parse("vcodec", "libx264");
  Parse("vglobal", "3");
  Parse("qscale", "4");
  Parse("pass", "1");
  Parse("newvideo", "");
  Parse("acodec", "mp2");
  Parse("newaudio", "");
  ASSERT_EQ(file.streams.size(), 4u);
  EXPECT_EQ(Stream(file, 2).enc->codec_id, AV_CODEC_ID_H264);
  EXPECT_STREQ(Stream(file, 2).codec->name, "libx264");
  const AVCodecContext* added = Stream(file, 2).enc;
  EXPECT_TRUE(added->flags & AV_CODEC_FLAG_GLOBAL_HEADER);
  EXPECT_TRUE(added->flags2 & AV_CODEC_FLAG2_LOCAL_HEADER);
  EXPECT_TRUE(added->flags & AV_CODEC_FLAG_QSCALE);
  EXPECT_EQ(added->global_quality, 4 * FF_QP2LAMBDA);
  EXPECT_TRUE(added->flags & AV_CODEC_FLAG_PASS1);
  EXPECT_FALSE(Stream(file, 0).enc->flags & AV_CODEC_FLAG_QSCALE);
  EXPECT_EQ(Stream(file, 3).enc->codec_id, AV_CODEC_ID_MP2);
  ASSERT_EQ(engine->Foutput_codecs.size(), 4u);
  EXPECT_EQ(engine->Foutput_codecs[1], nullptr);  // the copy
  EXPECT_STREQ(engine->Foutput_codecs[3]->name, "mp2");
}

TEST_F(EngineFiles, SizeRateAspectAndCropReachTheVideoEncoder) {
  ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
  Parse("croptop", "10");
  Parse("cropleft", "20");
  EXPECT_EQ(engine->Fframe_width, 140);
  EXPECT_EQ(engine->Fframe_height, 110);
  Parse("s", "320x240");
  Parse("r", "15");
  Parse("aspect", "16:9");
  Parse("vcodec", "mpeg4");
  Parse("b", "400000");
  Parse("g", "30");
  TOutputFileSetup& file = OpenOutput("geometry.avi");
  const AVCodecContext* enc = Stream(file, 0).enc;
  EXPECT_EQ(enc->width, 320);
  EXPECT_EQ(enc->height, 240);
  EXPECT_EQ(enc->time_base.num, 1);
  EXPECT_EQ(enc->time_base.den, 15);
  EXPECT_EQ(enc->bit_rate, 400000);
  EXPECT_EQ(enc->gop_size, 30);
  EXPECT_EQ(enc->pix_fmt, AV_PIX_FMT_YUV420P);
  // 16:9 on a 4:3 picture: square pixels widened by 4/3.
  EXPECT_EQ(enc->sample_aspect_ratio.num, 4);
  EXPECT_EQ(enc->sample_aspect_ratio.den, 3);
  EXPECT_EQ(engine->Fframe_pix_fmt, -1);
  // The filter chain that will crop and scale the 160x120 decoded pictures.
  EXPECT_EQ(engine->VideoFilterDescription(160, 120, 320, 240), "crop=140:110:20:10,scale=320:240");
  // A picture shown turned a quarter is turned upright after the crop and before the scale,
  // which then sees the sides swapped.
  EXPECT_EQ(engine->VideoFilterDescription(160, 120, 110, 140, "transpose=clock"), "crop=140:110:20:10,transpose=clock");
  EXPECT_EQ(engine->VideoFilterDescription(160, 120, 240, 320, "transpose=cclock"),
            "crop=140:110:20:10,transpose=cclock,scale=240:320");
  Parse("vf", "hflip");
  EXPECT_EQ(engine->VideoFilterDescription(160, 120, 140, 110), "crop=140:110:20:10,hflip");
}

TEST_F(EngineFiles, VideoFilterGraphIsConfiguredForTheEncoder) {
  Parse("s", "160x120");
  Parse("croptop", "8");
  Parse("cropbottom", "8");
  AVCodecContext* decoder = av::avcodec_alloc_context3(nullptr);
  decoder->width = 160;
  decoder->height = 120;
  decoder->pix_fmt = AV_PIX_FMT_YUV420P;
  AVCodecContext* encoder = av::avcodec_alloc_context3(nullptr);
  encoder->width = 80;
  encoder->height = 60;
  encoder->pix_fmt = AV_PIX_FMT_YUV422P;
  TVideoFilterGraph graph;
  engine->ConfigureVideoFilters(decoder, AVRational{1, 25}, encoder, graph);
  EXPECT_EQ(encoder->width, 80);
  EXPECT_EQ(encoder->height, 60);
  EXPECT_EQ(av::av_buffersink_get_format(graph.sink), AV_PIX_FMT_YUV422P);
  // A decoded picture goes through crop, scale and format conversion.
  AVFrame* frame = av::av_frame_alloc();
  frame->width = 160;
  frame->height = 120;
  frame->format = AV_PIX_FMT_YUV420P;
  frame->pts = 7;
  ASSERT_GE(av::av_frame_get_buffer(frame, 0), 0);
  AVFrame* filtered = av::av_frame_alloc();
  EXPECT_EQ(engine->GetFilteredVideoPicture(graph, filtered), -1);
  ASSERT_GE(av::av_buffersrc_add_frame(graph.src, frame), 0);
  ASSERT_EQ(engine->GetFilteredVideoPicture(graph, filtered), 1);
  EXPECT_EQ(filtered->width, 80);
  EXPECT_EQ(filtered->height, 60);
  EXPECT_EQ(filtered->format, AV_PIX_FMT_YUV422P);
  EXPECT_EQ(filtered->pts, 7);
  av::av_frame_free(&frame);
  av::av_frame_free(&filtered);
  // A chain the libraries refuse names their reason and leaves no graph.
  Parse("vf", "no_such_filter");
  EXPECT_EQ(ErrorOf([&] { engine->ConfigureVideoFilters(decoder, AVRational{1, 25}, encoder, graph); }),
            "Error opening filters: Invalid video filter chain \"crop=160:104:0:8,scale=80:60,no_such_filter,"
            "format=yuv422p\": No such filter: 'no_such_filter'");
  EXPECT_EQ(graph.graph, nullptr);
  av::avcodec_free_context(&decoder);
  av::avcodec_free_context(&encoder);
}

// An output that cannot be described raises with the reason and leaves the job as it was.
TEST_F(EngineFiles, OutputFailures) {
  struct TCase {
    std::string Input;   // "" = none
    const char* Option;  // "name=value" given before the output, or ""
    std::string Output;
    std::string Message;
  };
  const std::string audio = enginetest::AudioOnlyFile();
  const TCase cases[] = {
      {"", "f=no-such-muxer", Out("x.avi"), "Requested output format 'no-such-muxer' is not a suitable output format"},
      {"", "", Out("x.unknownextension"), "Unable to find a suitable output format for '" + Out("x.unknownextension") + "'"},
      {"", "", Out("no/such/dir.avi"), Out("no/such/dir.avi") + ": No such file or directory"},
      {fixtures::Mp4(), "", fixtures::Mp4(),
       "Output file '" + fixtures::Mp4() + "' is the same file as input file #0 '" + fixtures::Mp4() +
           "'; a file cannot be replaced by its own conversion"},
      // An encoder the libraries lack is named, the one asked for or the format's own.
      {audio, "acodec=libopencore_amrnb", Out("x.3gp"),
       "Could not add the audio stream to '" + Out("x.3gp") + "': 此系统的 FFmpeg 没有 AMR-NB 编码器，请换用其他输出格式。(Unknown encoder 'libopencore_amrnb')"},
      {audio, "", Out("x.amr"),
       "Could not add the audio stream to '" + Out("x.amr") +
           "': No audio encoder for codec 'amr_nb' is available in the installed media libraries"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Message);
    engine->Reset();
    if (!c.Input.empty()) {
      ASSERT_TRUE(engine->OptInputFile(c.Input));
    }
    const std::string option = c.Option;
    if (!option.empty()) Parse(option.substr(0, option.find('=')), option.substr(option.find('=') + 1));
    EXPECT_EQ(ErrorOf([&] { engine->OptOutputFile(c.Output); }), c.Message);
    EXPECT_EQ(engine->NbOutputFiles(), 0);
    EXPECT_TRUE(engine->Foutput_codecs.empty());  // nothing left of the refused streams
  }
  EXPECT_FALSE(fs::exists(folder / "no"));

  // A muxer name that is no output format stays for the next output.
  engine->Reset();
  Parse("f", "no-such-muxer");
  EXPECT_NE(ErrorOf([&] { engine->OptOutputFile(Out("x.avi")); }), "");
  EXPECT_EQ(engine->Flast_asked_format, "no-such-muxer");
  engine->Reset();

  ASSERT_TRUE(engine->OptInputFile(audio));
  // An old encoder name with a successor resolves to it.
  Parse("acodec", "libfaac");
  TOutputFileSetup& file = OpenOutput("x.m4a");
  EXPECT_STREQ(Stream(file, 0).codec->name, "aac");

  Parse("newsubtitle", "");
  EXPECT_EQ(file.streams.size(), 2u);  // a subtitle stream without a named encoder
  Parse("scodec", "no-such-subtitle-encoder");
  EXPECT_EQ(ErrorOf([&] { Parse("newsubtitle", ""); }), "此系统的 FFmpeg 没有 no-such-subtitle-encoder 编码器，请换用其他输出格式。(Unknown encoder 'no-such-subtitle-encoder')");

  // A join output takes no further output.
  auto joined = NewEngine();
  ASSERT_TRUE(joined->OptInputFile(fixtures::Mp4()));
  ASSERT_TRUE(joined->OptInputFile(fixtures::Mp4()));
  ASSERT_TRUE(joined->OptInputFile(fixtures::Mp4()));
  EXPECT_EQ(joined->OptOutputFile(Out("joined.avi"), true), 3);
  EXPECT_EQ(&joined->OutputFile(0), &joined->OutputFile(2));
  EXPECT_NEAR(joined->FTotalOutputDuration, 6000000, 300000);
  EXPECT_EQ(ErrorOf([&] { joined->OptOutputFile(Out("more.avi")); }), "Cannot join more than one output file.");
  EXPECT_EQ(joined->NbOutputFiles(), 3);
}

// A stream the "new" options cannot make is not added: the output keeps the streams it had, and
// its run converts them (a stream left without its encoder used to crash the run).
TEST_F(EngineFiles, ARefusedNewStreamLeavesTheOutputAsItWas) {
  ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
  Parse("t", "0.5");
  TOutputFileSetup& file = OpenOutput("kept.avi");
  ASSERT_EQ(file.streams.size(), 2u);
  struct TCase {
    const char* Name;
    const char* Value;
    const char* NewStream;
    const char* BitstreamFilter;  // the kind's own, used up by the refused stream
    const char* Message;
  };
  for (const TCase& c :
       {TCase{"vcodec", "no-such-encoder", "newvideo", "vbsf", "此系统的 FFmpeg 没有 no-such-encoder 编码器，请换用其他输出格式。(Unknown encoder 'no-such-encoder')"},
        TCase{"rc_override", "12", "newvideo", "vbsf", "error parsing rc_override"},
        TCase{"acodec", "mpeg4", "newaudio", "absf", "Invalid encoder type 'mpeg4'"},
        TCase{"scodec", "no-such-encoder", "newsubtitle", "sbsf", "此系统的 FFmpeg 没有 no-such-encoder 编码器，请换用其他输出格式。(Unknown encoder 'no-such-encoder')"}}) {
    SCOPED_TRACE(c.Message);
    Parse(c.Name, c.Value);
    Parse(c.BitstreamFilter, "null");
    EXPECT_EQ(ErrorOf([&] { Parse(c.NewStream, ""); }), c.Message);
    EXPECT_EQ(file.streams.size(), 2u);
    EXPECT_EQ(file.ctx->nb_streams, 2u);
    EXPECT_EQ(engine->Foutput_codecs.size(), 2u);
    EXPECT_TRUE(engine->Fvideo_bitstream_filters.empty());
    EXPECT_TRUE(engine->Faudio_bitstream_filters.empty());
    EXPECT_TRUE(engine->Fsubtitle_bitstream_filters.empty());
    Parse("rc_override", "");
  }
  engine->StartConvert(false);
  EXPECT_TRUE(engine->Finished()) << engine->FatalMessage();
}

TEST_F(EngineFiles, MetadataStreamIdsAndRateOverrides) {
  ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
  Parse("metadata", "title=A");
  Parse("metadata", "title=B");
  Parse("metadata", "artist=C");
  Parse("streamid", "0:481");
  Parse("rc_override", "0,100,2/101,200,-50");
  Parse("vcodec", "mpeg2video");
  TOutputFileSetup& file = OpenOutput("meta.ts");
  EXPECT_EQ(DictValue(file.ctx->metadata, "title"), "A");
  EXPECT_EQ(DictValue(file.ctx->metadata, "artist"), "C");
  EXPECT_TRUE(engine->Fmetadata.empty());
  EXPECT_EQ(Stream(file, 0).st->id, 481);
  EXPECT_TRUE(engine->Fstreamid_map.empty());
  const auto& rc = Stream(file, 0).rc_override;
  ASSERT_EQ(rc.size(), 2u);
  EXPECT_EQ(rc[0].start_frame, 0);
  EXPECT_EQ(rc[0].end_frame, 100);
  EXPECT_EQ(rc[0].qscale, 2);
  EXPECT_FLOAT_EQ(rc[0].quality_factor, 1.0f);
  EXPECT_EQ(rc[1].qscale, 0);
  EXPECT_FLOAT_EQ(rc[1].quality_factor, 0.5f);
  EXPECT_EQ(Stream(file, 0).enc->rc_override_count, 2);

  Parse("rc_override", "12");
  Parse("vcodec", "mpeg2video");
  EXPECT_EQ(ErrorOf([&] { Parse("newvideo", ""); }), "error parsing rc_override");
}

// ---- byte streams ----

TEST_F(EngineFiles, RegisteredByteStreamsServeAsInputAndOutput) {
  EXPECT_EQ(TStreamRegistry::ParseStreamName("stream:12:private"), 12);
  for (const char* bad : {"stream:", "stream:x:1", "stream:12", "file:stream:1:", "Stream:1:"})
    EXPECT_EQ(TStreamRegistry::ParseStreamName(bad), 0) << bad;

  TMemoryStream input;
  input.LoadFromFile(fixtures::Mp4());
  TMemoryStream output;
  const int inputId = TStreamRegistry::Register(&input);
  const int outputId = TStreamRegistry::Register(&output);
  ASSERT_TRUE(engine->OptInputFile(TStreamRegistry::StreamName(inputId, "clip.mp4")));
  EXPECT_EQ(engine->InputFile(0)->nb_streams, 2u);
  EXPECT_EQ(engine->Fframe_width, 160);
  Parse("vcodec", "mpeg4");
  Parse("an", "1");
  ASSERT_EQ(engine->OptOutputFile(TStreamRegistry::StreamName(outputId, "out.avi")), 1);
  TOutputFileSetup& file = engine->OutputFile(0);
  ASSERT_GE(av::avcodec_parameters_from_context(file.streams[0]->st->codecpar, file.streams[0]->enc), 0);
  file.streams[0]->st->time_base = file.streams[0]->enc->time_base;
  ASSERT_GE(av::avformat_write_header(file.ctx, nullptr), 0);
  engine->FreeResources();
  EXPECT_GT(output.Size(), 0);
  EXPECT_EQ(std::string(static_cast<const char*>(output.Memory()), 4), "RIFF");

  // A name whose stream is not (or no longer) registered names nothing.
  TStreamRegistry::Unregister(inputId);
  TStreamRegistry::Unregister(outputId);
  EXPECT_EQ(ErrorOf([&] { engine->OptInputFile(TStreamRegistry::StreamName(inputId, "clip.mp4")); }),
            TStreamRegistry::StreamName(inputId, "clip.mp4") + ": No such file or directory");
  EXPECT_EQ(ErrorOf([&] { engine->OptOutputFile(TStreamRegistry::StreamName(outputId, "out.avi")); }),
            TStreamRegistry::StreamName(outputId, "out.avi") + ": No such file or directory");
  EXPECT_EQ(TStreamRegistry::Find(outputId), nullptr);
}

// ---- releasing ----

TEST_F(EngineFiles, FreeResourcesDeletesOnlyEmptyFilesThisJobCreated) {
  const std::string before = Out("existing.avi");
  std::ofstream(before).close();  // an empty file that was there before
  ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
  OpenOutput("created.avi");
  OpenOutput("existing.avi");
  TOutputFileSetup& written = OpenOutput("written.avi");
  EXPECT_FALSE(fs::exists(Out("created.avi"))) << "nothing is made before the run opens its outputs";
  engine->OpenOutputFiles();
  ASSERT_GE(av::avformat_write_header(written.ctx, nullptr), -1000);  // may refuse: parameters are unset
  av::avio_write(written.ctx->pb, reinterpret_cast<const unsigned char*>("data"), 4);
  EXPECT_TRUE(fs::exists(Out("created.avi")));
  engine->FreeResources();
  EXPECT_EQ(engine->NbOutputFiles(), 0);
  EXPECT_FALSE(fs::exists(Out("created.avi")));
  EXPECT_TRUE(fs::exists(before));
  EXPECT_TRUE(fs::exists(Out("written.avi")));
  EXPECT_GT(fs::file_size(Out("written.avi")), 0u);
}

// ---- targets ----

TEST_F(EngineFiles, PalVcdTarget) {
  ASSERT_TRUE(engine->OptInputFile(enginetest::NtscFile()));  // the norm is given, not detected
  Parse("target", "pal-vcd");
  TOutputFileSetup& file = OpenOutput("vcd.mpg");
  EXPECT_STREQ(file.ctx->oformat->name, "vcd");
  ASSERT_EQ(file.streams.size(), 2u);
  const AVCodecContext* video = Stream(file, 0).enc;
  EXPECT_EQ(video->codec_id, AV_CODEC_ID_MPEG1VIDEO);
  EXPECT_EQ(video->width, 352);
  EXPECT_EQ(video->height, 288);
  EXPECT_EQ(video->time_base.num, 1);
  EXPECT_EQ(video->time_base.den, 25);
  EXPECT_EQ(video->bit_rate, 1150000);
  EXPECT_EQ(video->rc_max_rate, 1150000);
  EXPECT_EQ(video->rc_min_rate, 1150000);
  EXPECT_EQ(video->rc_buffer_size, 327680);
  EXPECT_EQ(video->gop_size, 15);
  EXPECT_EQ(video->sample_aspect_ratio.num * 11, video->sample_aspect_ratio.den * 12);  // 4:3 on 352x288
  const AVCodecContext* audio = Stream(file, 1).enc;
  EXPECT_EQ(audio->codec_id, AV_CODEC_ID_MP2);
  EXPECT_EQ(audio->bit_rate, 224000);
  EXPECT_EQ(audio->sample_rate, 44100);
  EXPECT_EQ(audio->ch_layout.nb_channels, 2);
  EXPECT_EQ(file.ctx->packet_size, 2324u);
  EXPECT_EQ(DictValue(file.muxer_opts, "muxrate"), "1411200");
  EXPECT_EQ(DictValue(file.muxer_opts, "preload"), "440000");
}

TEST_F(EngineFiles, TargetNormsAndTheirSettings) {
  struct TCase {
    std::string Input;  // "" = none
    std::vector<std::pair<std::string, std::string>> Before;
    std::string Target;
    int Width, Height, RateNum, RateDen, Gop, Channels;
    float Aspect;
  };
  const std::vector<TCase> cases = {
      {enginetest::NtscFile(), {}, "vcd", 352, 240, 30000, 1001, 18, 2, 4.0f / 3},
      {fixtures::Mp4(), {}, "dvd", 720, 576, 25, 1, 15, 2, 4.0f / 3},  // the input's aspect stays
      {"", {{"r", "30000/1001"}}, "ntsc-dvd", 720, 480, 30000, 1001, 18, 2, 16.0f / 9},
      {"", {{"r", "25"}}, "film-dvd", 720, 480, 24000, 1001, 18, 2, 16.0f / 9},
      {"", {{"r", "24000/1001"}}, "svcd", 480, 480, 30000, 1001, 18, 2, 4.0f / 3},
      {"", {{"r", "12"}}, "svcd", 480, 480, 30000, 1001, 18, 2, 4.0f / 3},  // nothing found: the default NTSC
      {"", {{"r", "25"}, {"ac", "6"}}, "svcd", 480, 576, 25, 1, 15, 6, 4.0f / 3},
      {"", {{"r", "25"}, {"ac", "6"}}, "vcd", 352, 288, 25, 1, 15, 2, 4.0f / 3},
      {"", {{"r", "25"}, {"aspect", "4:3"}}, "dvd", 720, 576, 25, 1, 15, 2, 4.0f / 3},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Target + " " + c.Input);
    engine->Reset();
    if (!c.Input.empty()) {
      ASSERT_TRUE(engine->OptInputFile(c.Input));
    }
    for (const auto& [name, value] : c.Before) Parse(name, value);
    Parse("target", c.Target);
    EXPECT_EQ(engine->Fframe_width, c.Width);
    EXPECT_EQ(engine->Fframe_height, c.Height);
    EXPECT_EQ(engine->Fframe_rate.num, c.RateNum);
    EXPECT_EQ(engine->Fframe_rate.den, c.RateDen);
    EXPECT_EQ(engine->Faudio_channels, c.Channels);
    EXPECT_FLOAT_EQ(engine->Fframe_aspect_ratio, c.Aspect);
    int64_t gop = 0;
    av::av_opt_get_int(engine->Options().avcodec_opts[AVMEDIA_TYPE_VIDEO], "g", 0, &gop);
    EXPECT_EQ(gop, c.Gop);
  }
  engine->Reset();
  engine->OptTarget("dv50", "pal", "pal");
  EXPECT_EQ(engine->Fframe_pix_fmt, AV_PIX_FMT_YUV422P);
  EXPECT_EQ(engine->Flast_asked_format, "dv");
  EXPECT_EQ(engine->Faudio_sample_rate, 48000);
  engine->OptTarget("dv", "ntsc", "pal");
  EXPECT_EQ(engine->Fframe_pix_fmt, AV_PIX_FMT_YUV411P);
}

TEST_F(EngineFiles, SvcdAndDvdOutputsCarryTheirMuxerAndEncoderSettings) {
  Parse("r", "25");
  Parse("target", "svcd");
  TOutputFileSetup& svcd = OpenOutput("svcd.mpg");
  EXPECT_STREQ(svcd.ctx->oformat->name, "svcd");
  EXPECT_EQ(DictValue(Stream(svcd, 0).codec_opts, "scan_offset"), "1");
  EXPECT_EQ(Stream(svcd, 0).enc->rc_max_rate, 2516000);
  engine->Reset();
  Parse("r", "25");
  Parse("target", "dvd");
  TOutputFileSetup& dvd = OpenOutput("dvd.vob");
  EXPECT_EQ(Stream(dvd, 1).enc->codec_id, AV_CODEC_ID_AC3);
  EXPECT_EQ(Stream(dvd, 1).enc->bit_rate, 448000);
  EXPECT_EQ(Stream(dvd, 1).enc->sample_rate, 48000);
  EXPECT_EQ(dvd.ctx->packet_size, 2048u);
  EXPECT_EQ(DictValue(dvd.muxer_opts, "muxrate"), "10080000");
}

// ---- presets ----

TEST_F(EngineFiles, EveryBuiltinPresetOpensItsEncoder) {
  ASSERT_EQ(BuiltinPresets().size(), 36u);
  for (const TOptionsPreset& preset : BuiltinPresets()) {
    SCOPED_TRACE(preset.Name);
    engine->Reset();
    Parse("s", "160x120");
    Parse("r", "25");
    Parse("vcodec", "libx264");
    Parse("vpre", preset.Name);
    Parse("an", "1");
    TOutputFileSetup& file = OpenOutput(std::string(preset.Name) + ".mp4");
    ASSERT_EQ(file.streams.size(), 1u);
    const TOutputStreamSetup& stream = Stream(file, 0);
    AVDictionary* options = nullptr;
    av::av_dict_copy(&options, stream.codec_opts, 0);
    std::lock_guard<TCriticalSection> lock(CodecLock());
    EXPECT_EQ(av::avcodec_open2(stream.enc, stream.codec, &options), 0);
    EXPECT_EQ(av::av_dict_count(options), 0) << "options the encoder did not take";
    av::av_dict_free(&options);
  }
}

TEST_F(EngineFiles, OldPresetKeysBecomeTheEncodersOptions) {
  Parse("vcodec", "libx264");
  Parse("vpre", "default");  // the codec name is joined to it: libx264-default
  Parse("an", "1");
  TOutputFileSetup& file = OpenOutput("default.mkv");
  const TOutputStreamSetup& stream = Stream(file, 0);
  const std::vector<std::pair<const char*, const char*>> expected = {
      {"partitions", "i8x8,i4x4,p8x8,b8x8"}, {"me_method", "hex"}, {"direct-pred", "1"}, {"mixed-refs", "1"},
      {"weightb", "1"},  {"8x8dct", "1"},  {"fast-pskip", "1"},  {"coder", "1"},      {"wpredp", "2"},
      {"sc_threshold", "40"}, {"b_strategy", "1"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(DictValue(stream.codec_opts, key), value) << key;
  EXPECT_EQ(stream.enc->me_subpel_quality, 7);
  EXPECT_EQ(stream.enc->max_b_frames, 3);
  EXPECT_EQ(stream.enc->refs, 3);
  EXPECT_EQ(stream.enc->gop_size, 250);
  EXPECT_EQ(stream.enc->qmax, 51);

  std::vector<TTranslatedOption> out;
  std::vector<std::string> skipped;
  ASSERT_TRUE(TranslateLegacyPresetOption("flags2", "+bpyramid-nosuchflag+fast", out, skipped));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].Name, "b-pyramid");
  EXPECT_EQ(out[0].Value, "normal");
  EXPECT_EQ(out[1].Name, "flags2");
  EXPECT_EQ(out[1].Value, "+fast");
  EXPECT_EQ(skipped, std::vector<std::string>{"flags2 nosuchflag"});
  EXPECT_FALSE(TranslateLegacyPresetOption("flags2", "+local_header", out, skipped));
  EXPECT_FALSE(TranslateLegacyPresetOption("bf", "3", out, skipped));
}

TEST_F(EngineFiles, PresetLookupAndFiles) {
  EXPECT_EQ(FindBuiltinPreset("LIBX264-DEFAULT"), FindBuiltinPreset("libx264-default"));
  EXPECT_EQ(FindBuiltinPreset("libx264-main"), "flags2=-dct8x8\n");
  EXPECT_EQ(ErrorOf([&] { Parse("fpre", "libx264-default"); }), "Preset \"libx264-default\" not found");
  EXPECT_EQ(ErrorOf([&] { Parse("vpre", "slow"); }), "Preset \"slow\" not found");

  const std::string good = Out("good.ffpreset");
  std::ofstream(good, std::ios::binary) << "g=48\r\nacodec=copy\r\n  bf=2  \r\n\r\n";
  Parse("fpre", good);
  int64_t value = 0;
  av::av_opt_get_int(engine->Options().avcodec_opts[AVMEDIA_TYPE_VIDEO], "g", 0, &value);
  EXPECT_EQ(value, 48);
  av::av_opt_get_int(engine->Options().avcodec_opts[AVMEDIA_TYPE_VIDEO], "bf", 0, &value);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(engine->Faudio_stream_copy, 1);

  const std::string bad = Out("bad.ffpreset");
  std::ofstream(bad) << "g=12\nbf\n";
  EXPECT_EQ(ErrorOf([&] { Parse("vpre", bad); }), bad + ": Invalid syntax: \"bf\"");
  std::ofstream(bad) << "nosuchkey=12\n";
  EXPECT_EQ(ErrorOf([&] { Parse("apre", bad); }),
            bad + ": Invalid option or argument: \"nosuchkey=12\", parsed as \"nosuchkey\" = \"12\"");
}

}  // namespace
