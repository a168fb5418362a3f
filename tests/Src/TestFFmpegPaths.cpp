// Paths of a conversion that only some jobs take: the per-frame statistics file, bitstream
// filters on copied streams, text subtitles re-encoded into another container, and frame-hook
// plug-ins working on the pictures of a real transcode. Each runs on a tiny clip made here and is
// checked with the command-line tools.

#include <dlfcn.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <regex>
#include <sstream>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLogger.h"
#include "TranscodeTestSupport.h"

namespace {

using namespace transcodetest;

// One second of a 64x48 picture at 25 pictures a second, no sound.
std::string TinyVideo() {
  return fixtures::Make("tiny-video-1s.mkv",
                        "-f lavfi -i testsrc=size=64x48:rate=25:duration=1 -c:v mpeg4 -g 12 -bf 0 -q:v 4 -f matroska");
}

// One second of H.264 picture with AAC sound in MP4 (length-prefixed pictures, sound without
// frame headers).
std::string H264Mp4() {
  return fixtures::Make("tiny-h264-aac.mp4",
                        "-f lavfi -i testsrc=size=64x48:rate=25:duration=1 -f lavfi -i sine=duration=1:sample_rate=44100 "
                        "-c:v libx264 -preset ultrafast -g 12 -bf 0 -c:a aac -ac 1 -f mp4");
}

// The same kinds in an MPEG transport stream (start-coded pictures, sound with frame headers).
std::string H264Ts() {
  return fixtures::Make("tiny-h264-aac.ts",
                        "-f lavfi -i testsrc=size=64x48:rate=25:duration=1 -f lavfi -i sine=duration=1:sample_rate=44100 "
                        "-c:v libx264 -preset ultrafast -g 12 -bf 0 -c:a aac -ac 1 -f mpegts");
}

// Two seconds of picture with three subtitle cues, muxed from a hand-written SubRip file.
std::string SubtitledVideo() {
  const fs::path srt = fixtures::Folder() / "three-cues.srt";
  if (!fs::exists(srt)) {
    const fs::path temporary = srt.string() + "." + std::to_string(::getpid());
    std::ofstream(temporary) << "1\n00:00:00,100 --> 00:00:00,500\nFirst cue\n\n"
                                "2\n00:00:00,700 --> 00:00:01,100\nSecond cue\n\n"
                                "3\n00:00:01,300 --> 00:00:01,800\nThird cue\n\n";
    fs::rename(temporary, srt);
  }
  return fixtures::Make("tiny-subtitled.mkv", "-f lavfi -i testsrc=size=64x48:rate=25:duration=2 -i " +
                                                  fixtures::Quoted(srt.string()) +
                                                  " -map 0:v -map 1:s -c:v mpeg4 -c:s srt -f matroska");
}

// Three DVB subtitle cues (a 16x8 picture each; the encoder gives each page its own time-out) in
// an MPEG transport stream, written through the libraries: the command-line tool cannot make
// bitmap subtitles from text.
std::string DvbSubtitles() {
  const fs::path target = fixtures::Folder() / "tiny-dvbsub.ts";
  if (fs::exists(target)) return target.string();
  const std::string temporary = target.string() + "." + std::to_string(::getpid());
  const AVCodec* codec = av::avcodec_find_encoder(AV_CODEC_ID_DVB_SUBTITLE);
  if (!codec) throw std::runtime_error("no DVB subtitle encoder");
  std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> enc(av::avcodec_alloc_context3(codec),
                                                                  [](AVCodecContext* c) { av::avcodec_free_context(&c); });
  enc->width = 720;
  enc->height = 576;
  enc->time_base = AVRational{1, 90000};
  if (av::avcodec_open2(enc.get(), codec, nullptr) < 0) throw std::runtime_error("cannot open the DVB encoder");
  AVFormatContext* context = nullptr;
  av::avformat_alloc_output_context2(&context, nullptr, "mpegts", temporary.c_str());
  std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> oc(context, [](AVFormatContext* c) {
    if (c->pb) av::avio_closep(&c->pb);
    av::avformat_free_context(c);
  });
  AVStream* st = av::avformat_new_stream(oc.get(), nullptr);
  av::avcodec_parameters_from_context(st->codecpar, enc.get());
  st->time_base = enc->time_base;
  if (av::avio_open2(&oc->pb, temporary.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr) < 0 ||
      av::avformat_write_header(oc.get(), nullptr) < 0)
    throw std::runtime_error("cannot write " + temporary);
  std::vector<uint8_t> buffer(1 << 16);
  for (const int64_t start : {100, 700, 1300}) {  // milliseconds
    AVSubtitle sub{};
    sub.end_display_time = 400;
    sub.pts = start * 1000;
    sub.num_rects = 1;
    sub.rects = static_cast<AVSubtitleRect**>(av::av_mallocz(sizeof(AVSubtitleRect*)));
    AVSubtitleRect* rect = sub.rects[0] = static_cast<AVSubtitleRect*>(av::av_mallocz(sizeof(AVSubtitleRect)));
    rect->type = SUBTITLE_BITMAP;
    rect->x = 100;
    rect->y = 500;
    rect->w = 16;
    rect->h = 8;
    rect->nb_colors = 4;
    rect->linesize[0] = 16;
    rect->data[0] = static_cast<uint8_t*>(av::av_mallocz(16 * 8));
    rect->data[1] = static_cast<uint8_t*>(av::av_mallocz(4 * 4));
    for (int i = 0; i < 16 * 8; ++i) rect->data[0][i] = static_cast<uint8_t>((i / 3) % 4);
    const uint32_t palette[4] = {0x00000000, 0xFFFFFFFF, 0xFF000000, 0xFFFF0000};
    std::memcpy(rect->data[1], palette, sizeof palette);
    const int size = av::avcodec_encode_subtitle(enc.get(), buffer.data(), static_cast<int>(buffer.size()), &sub);
    av::avsubtitle_free(&sub);
    if (size <= 0) throw std::runtime_error("DVB subtitle encoding failed");
    std::unique_ptr<AVPacket, void (*)(AVPacket*)> pkt(av::av_packet_alloc(), [](AVPacket* p) { av::av_packet_free(&p); });
    av::av_new_packet(pkt.get(), size);
    std::memcpy(pkt->data, buffer.data(), size);
    pkt->pts = pkt->dts = start * 90;
    pkt->duration = 400 * 90;
    if (av::av_interleaved_write_frame(oc.get(), pkt.get()) < 0) throw std::runtime_error("cannot write a cue");
  }
  av::av_write_trailer(oc.get());
  oc.reset();
  fs::rename(temporary, target);
  return target.string();
}

std::vector<std::string> Lines(const std::string& AText) {
  std::vector<std::string> lines;
  std::istringstream in(AText);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

// ffprobe's entries of one kind for the selected stream, one csv line each.
std::vector<std::string> Entries(const std::string& AFile, const std::string& ASelect, const std::string& AEntries) {
  return Lines(fixtures::Run("ffprobe -v error -select_streams " + ASelect + " -show_entries " + AEntries +
                             " -of csv=p=0 " + fixtures::Quoted(AFile)));
}

std::string FirstBytes(const std::string& AFile, size_t ACount) {
  std::ifstream in(AFile, std::ios::binary);
  std::string bytes(ACount, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(ACount));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

// ---- statistics file ----

TEST_F(Transcode, StatisticsFileHasOneLinePerEncodedPicture) {
  const std::regex format(
      R"(frame= +(\d+) q= +(\d+\.\d) (PSNR= +(\d+\.\d\d|inf) )?f_size= +(\d+) s_size= +(\d+)kB time= (\d+\.\d{3}) )"
      R"(br= +\d+\.\dkbits/s avg_br= +\d+\.\dkbits/s type= ([IPB]))");
  for (const bool psnr : {false, true}) {
    SCOPED_TRACE(psnr ? "with PSNR" : "without PSNR");
    auto engine = enginetest::NewEngine();
    const std::string out = Out(psnr ? "psnr.avi" : "stats.avi"), stats = Out(psnr ? "psnr.log" : "stats.log");
    TOptions options = {{"vstats_file", stats}, {"vcodec", "mpeg4"}, {"qscale", "5"}};
    if (psnr) options.push_back({"psnr", "1"});
    const TJobResult result = RunJob(*engine, {TinyVideo()}, options, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    std::ifstream in(stats);
    ASSERT_TRUE(in.good());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::vector<std::string> lines = Lines(text);
    const std::vector<std::string> packets = Entries(out, "v:0", "packet=size");
    ASSERT_EQ(lines.size(), 25u) << text;
    ASSERT_EQ(packets.size(), lines.size());
    EXPECT_EQ(text.back(), '\n');
    double lastTime = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE(lines[i]);
      std::smatch m;
      ASSERT_TRUE(std::regex_match(lines[i], m, format));
      EXPECT_EQ(std::stoul(m[1]), i + 1);
      // The quantiser the job asked for is the one the pictures were encoded with.
      EXPECT_DOUBLE_EQ(std::stod(m[2]), 5.0);
      EXPECT_EQ(m[3].matched, psnr);
      if (psnr) {
        EXPECT_GT(std::stod(m[4]), 20.0);
        EXPECT_LT(std::stod(m[4]), 99.0);
      }
      // The frame size is the size of the packet the muxer got for that picture.
      EXPECT_EQ(m[5].str(), packets[i]);
      EXPECT_NEAR(std::stod(m[7]), 0.04 * static_cast<double>(i + 1), 0.0005);
      EXPECT_GT(std::stod(m[7]), lastTime);
      lastTime = std::stod(m[7]);
      if (i == 0) {
        EXPECT_EQ(m[8].str(), "I");
      }
    }
  }
}

TEST_F(Transcode, StatisticsFileThatCannotBeCreatedFailsTheJob) {
  auto engine = enginetest::NewEngine();
  const std::string stats = Out("missing-folder/stats.log");
  const TJobResult result = RunJob(*engine, {TinyVideo()}, {{"vstats_file", stats}, {"vcodec", "mpeg4"}}, Out("x.avi"));
  EXPECT_FALSE(result.Finished);
  EXPECT_EQ(result.Error, "Could not create the statistics file '" + stats + "': No such file or directory");
}

// ---- progress report ----

// The engine's log lines that begin with APrefix, caught on the thread that logs them.
class TLogCapture {
 public:
  explicit TLogCapture(std::string APrefix) : FPrefix(std::move(APrefix)) {
    FWasInMainThread = GetLogger()->TriggerEventInMainThread();
    GetLogger()->SetTriggerEventInMainThread(false);
    GetLogger()->OnLog = [this](TObject*, DWORD, TLogLevel, const std::string& AText) {
      std::lock_guard<std::mutex> guard(FLock);
      if (AText.compare(0, FPrefix.size(), FPrefix) == 0) FLines.push_back(AText);
    };
  }
  ~TLogCapture() {
    GetLogger()->OnLog = nullptr;
    GetLogger()->SetTriggerEventInMainThread(FWasInMainThread);
  }
  std::vector<std::string> Lines() {
    std::lock_guard<std::mutex> guard(FLock);
    return FLines;
  }

 private:
  std::string FPrefix;
  bool FWasInMainThread = true;
  std::mutex FLock;
  std::vector<std::string> FLines;
};

TEST_F(Transcode, ProgressLinesShowThePsnrWhenAsked) {
  const std::regex format(
      R"(frame= +(\d+) fps= *\d+ q=\d+\.\d (L?)(PSNR=Y:(\S+) U:(\S+) V:(\S+) \*:(\S+) )?size= *\d+kB time=.*)");
  const std::regex statsFormat(R"(frame= +(\d+) q= +\S+ PSNR= +(\S+) .*)");
  for (const bool psnr : {false, true}) {
    SCOPED_TRACE(psnr ? "with PSNR" : "without PSNR");
    auto engine = enginetest::NewEngine();
    engine->ReportInterval = 0;  // a report after every packet
    const std::string stats = Out("psnr.log");
    TOptions options = {{"vstats_file", stats}, {"vcodec", "mpeg4"}, {"qscale", "5"}};
    if (psnr) options.push_back({"psnr", "1"});
    TLogCapture log("frame=");
    const TJobResult result = RunJob(*engine, {TinyVideo()}, options, Out("psnr.avi"));
    ASSERT_TRUE(result.Finished) << result.Error;
    const std::vector<std::string> lines = log.Lines();
    ASSERT_GE(lines.size(), 10u);

    // Each picture's luma figure as the statistics file gives it.
    std::map<int, std::string> pictures;
    if (psnr) {
      std::ifstream in(stats);
      for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_match(line, m, statsFormat)) pictures[std::stoi(m[1])] = m[2];
      }
      ASSERT_EQ(pictures.size(), 25u);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE(lines[i]);
      std::smatch m;
      ASSERT_TRUE(std::regex_match(lines[i], m, format));
      const bool last = i + 1 == lines.size();
      EXPECT_EQ(m[2].matched && m[2].length() == 1, last);
      ASSERT_EQ(m[3].matched, psnr);
      if (!psnr) continue;
      const double y = std::stod(m[4]), u = std::stod(m[5]), v = std::stod(m[6]), all = std::stod(m[7]);
      for (const double figure : {y, u, v, all}) {
        EXPECT_GT(figure, 20.0);
        EXPECT_LT(figure, 99.0);
      }
      // The whole picture's figure lies between its planes'.
      EXPECT_GE(all, std::min({y, u, v}) - 0.01);
      EXPECT_LE(all, std::max({y, u, v}) + 0.01);
      const int frame = std::stoi(m[1]);
      if (!last) {
        // A report in the run gives the last encoded picture's figure.
        ASSERT_EQ(pictures.count(frame), 1u);
        EXPECT_EQ(m[4].str(), pictures[frame]);
      } else {
        // The last one gives the figure of the whole run: the mean squared error of all pictures.
        EXPECT_EQ(frame, 25);
        double error = 0;
        for (const auto& [number, figure] : pictures) error += std::pow(10.0, -std::stod(figure) / 10);
        EXPECT_NEAR(y, -10 * std::log10(error / 25), 0.02);
      }
    }
  }
}

// ---- field order ----

TEST_F(Transcode, ForcedFieldOrderAppliesToInterlacedEncodingOnly) {
  // The clip is progressive (top field not first). MPEG-2 writes each picture's field order.
  struct TCase {
    const char* Flags;  // video codec flags, "" for none
    const char* Top;    // "top" option, "" for none
    const char* FirstField;  // the decoded pictures' top_field_first
  };
  for (const TCase& c : {TCase{"", "1", "0"}, TCase{"+ildct", "1", "1"}, TCase{"+ilme", "1", "1"},
                         TCase{"+ildct", "0", "0"}, TCase{"+ildct", "", "0"}}) {
    SCOPED_TRACE(std::string("flags ") + c.Flags + ", top " + c.Top);
    auto engine = enginetest::NewEngine();
    TOptions options = {{"vcodec", "mpeg2video"}};
    if (*c.Flags) options.push_back({"flags", c.Flags});
    if (*c.Top) options.push_back({"top", c.Top});
    const std::string out = Out("fields.mpg");
    const TJobResult result = RunJob(*engine, {TinyVideo()}, options, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    const std::vector<std::string> frames = Entries(out, "v:0", "frame=top_field_first");
    ASSERT_EQ(frames.size(), 25u);
    for (const std::string& frame : frames) EXPECT_EQ(frame.substr(0, frame.find(',')), c.FirstField);
  }
}

// ---- bitstream filters ----

TEST_F(Transcode, BitstreamFiltersRewriteCopiedStreams) {
  struct TCase {
    const char* Name;
    std::function<std::string()> Input;
    TOptions Options;
    const char* Output;
    const char* Select;
    const char* Codec;
  };
  const std::vector<TCase> cases = {
      {"h264 to raw", H264Mp4, {{"an", "1"}, {"vcodec", "copy"}, {"vbsf", "h264_mp4toannexb"}}, "out.h264", "v:0", "h264"},
      {"h264 to ts", H264Mp4, {{"an", "1"}, {"vcodec", "copy"}, {"vbsf", "h264_mp4toannexb"}}, "out.ts", "v:0", "h264"},
      {"aac to mp4", H264Ts, {{"vn", "1"}, {"acodec", "copy"}, {"absf", "aac_adtstoasc"}}, "out.m4a", "a:0", "aac"},
      {"aac to mov", H264Ts, {{"vn", "1"}, {"acodec", "copy"}, {"absf", "aac_adtstoasc"}}, "out.mov", "a:0", "aac"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string input = c.Input();
    auto engine = enginetest::NewEngine();
    const std::string out = Out(c.Output);
    const TJobResult result = RunJob(*engine, {input}, c.Options, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    const auto probe = Probe(out);
    EXPECT_EQ(Value(probe, "streams.stream.0.codec_name"), c.Codec);
    EXPECT_EQ(Value(probe, "format.nb_streams"), "1");
    // Every packet is still there and decodes without a complaint.
    EXPECT_EQ(Entries(out, c.Select, "packet=size").size(), Entries(input, c.Select, "packet=size").size());
    EXPECT_EQ(fixtures::Run("ffmpeg -nostdin -v error -i " + fixtures::Quoted(out) + " -f null - 2>&1"), "");
    if (std::string(c.Output) == "out.h264") {
      EXPECT_EQ(FirstBytes(out, 4), std::string("\0\0\0\1", 4));
    }
  }
}

// Packet sizes of the first video stream, key pictures marked with a "K".
std::vector<std::string> PacketSizes(const std::string& AFile) {
  std::vector<std::string> sizes;
  for (const std::string& entry : Entries(AFile, "v:0", "packet=size,flags"))
    sizes.push_back(entry.substr(0, entry.find(',')) + (entry.find('K') != std::string::npos ? "K" : ""));
  return sizes;
}

TEST_F(Transcode, BitstreamFiltersRunAsAChainInTheOrderGiven) {
  // "dump_extra" puts the stream's header in front of every key picture, "remove_extra" takes it
  // away again; the muxer adds nothing of its own to these streams.
  const std::string input = TinyVideo();
  const int header = std::stoi(fixtures::Run("ffprobe -v error -select_streams v:0 -show_entries stream=extradata_size "
                                             "-of csv=p=0 " + fixtures::Quoted(input)));
  ASSERT_GT(header, 0);
  struct TCase {
    std::vector<std::string> Filters;
    int Added;  // bytes added to each key picture
  };
  for (const TCase& c : {TCase{{"dump_extra"}, header}, TCase{{"dump_extra", "remove_extra"}, 0},
                         TCase{{"remove_extra", "dump_extra"}, header}}) {
    std::string name;
    for (const std::string& f : c.Filters) name += f + " ";
    SCOPED_TRACE(name);
    auto engine = enginetest::NewEngine();
    TOptions options = {{"vcodec", "copy"}};
    for (const std::string& f : c.Filters) options.push_back({"vbsf", f});
    const std::string out = Out("chain.avi");
    const TJobResult result = RunJob(*engine, {input}, options, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    std::vector<std::string> expected = PacketSizes(input);
    for (std::string& size : expected)
      if (size.back() == 'K') size = std::to_string(std::stoi(size) + c.Added) + "K";
    EXPECT_EQ(PacketSizes(out), expected);
  }
}

TEST_F(Transcode, JoinedInputsGoThroughTheSameBitstreamFilters) {
  // Every key picture of every joined input gets the header; the held-back sound of each input
  // joins the next one's, so only the very end is padded.
  const std::string video = TinyVideo();
  const int header = std::stoi(fixtures::Run("ffprobe -v error -select_streams v:0 -show_entries stream=extradata_size "
                                             "-of csv=p=0 " + fixtures::Quoted(video)));
  {
    SCOPED_TRACE("video");
    auto engine = enginetest::NewEngine();
    const std::string out = Out("joined.avi");
    const TJobResult result =
        RunJob(*engine, {video, video}, {{"vcodec", "copy"}, {"vbsf", "dump_extra"}}, out, true);
    ASSERT_TRUE(result.Finished) << result.Error;
    std::vector<std::string> expected = PacketSizes(video), second = expected;
    expected.insert(expected.end(), second.begin(), second.end());
    for (std::string& size : expected)
      if (size.back() == 'K') size = std::to_string(std::stoi(size) + header) + "K";
    EXPECT_EQ(PacketSizes(out), expected);
  }
  {
    SCOPED_TRACE("audio");
    const std::string audio = enginetest::AudioOnlyFile();
    auto engine = enginetest::NewEngine();
    const std::string out = Out("joined.mkv");
    const TJobResult result = RunJob(*engine, {audio, audio},
                                     {{"acodec", "copy"}, {"absf", "pcm_rechunk=nb_out_samples=1000:pad=0"}}, out, true);
    ASSERT_TRUE(result.Finished) << result.Error;
    // 2 × 88200 samples: 176 packets of 1000 samples and one of 400.
    const std::vector<std::string> sizes = Entries(out, "a:0", "packet=size");
    ASSERT_EQ(sizes.size(), 177u);
    for (size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], "2000") << i;
    EXPECT_EQ(sizes.back(), "800");
    EXPECT_EQ(fixtures::Run("ffmpeg -nostdin -v error -i " + fixtures::Quoted(out) + " -f null - 2>&1"), "");
  }
}

TEST_F(Transcode, BitstreamFiltersGiveUpHeldPacketsAtTheEnd) {
  // "pcm_rechunk" cuts the sound into packets of 1024 samples and holds the rest back until the
  // next packet or the end, where it pads the last one: 2 s at 44.1 kHz are 86 full packets and
  // the padded rest.
  const std::string input = enginetest::AudioOnlyFile();
  auto engine = enginetest::NewEngine();
  const std::string out = Out("rechunked.mkv");
  const TJobResult result = RunJob(*engine, {input}, {{"acodec", "copy"}, {"absf", "pcm_rechunk"}}, out);
  ASSERT_TRUE(result.Finished) << result.Error;
  const std::vector<std::string> sizes = Entries(out, "a:0", "packet=size");
  EXPECT_EQ(sizes.size(), 87u);
  for (const std::string& size : sizes) EXPECT_EQ(size, "2048");
  EXPECT_GE(DecodedAudioSamples(out), 88200);
}

TEST_F(Transcode, BitstreamFilterOptionsReachTheFilter) {
  // 2 s at 44.1 kHz, 16-bit mono: the chunk size and the padding of the last chunk are options.
  // The filter times its packets in samples; the muxer's stream counts milliseconds.
  struct TCase {
    const char* Filter;
    size_t Packets;
    int Size;      // bytes of every packet but the last
    int LastSize;
  };
  for (const TCase& c : {TCase{"pcm_rechunk=nb_out_samples=500", 177, 1000, 1000},
                         TCase{"pcm_rechunk=nb_out_samples=1000:pad=0", 89, 2000, 400},
                         TCase{"pcm_rechunk=pad=0:nb_out_samples=1000", 89, 2000, 400}}) {
    SCOPED_TRACE(c.Filter);
    auto engine = enginetest::NewEngine();
    const std::string out = Out("rechunked.mkv");
    const TJobResult result =
        RunJob(*engine, {enginetest::AudioOnlyFile()}, {{"acodec", "copy"}, {"absf", c.Filter}}, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    const std::vector<std::string> packets = Entries(out, "a:0", "packet=pts_time,size");
    ASSERT_EQ(packets.size(), c.Packets);
    for (size_t i = 0; i < packets.size(); ++i) {
      SCOPED_TRACE(packets[i]);
      const size_t comma = packets[i].find(',');
      EXPECT_EQ(std::stoi(packets[i].substr(comma + 1)), i + 1 < packets.size() ? c.Size : c.LastSize);
      EXPECT_NEAR(Seconds(packets[i].substr(0, comma)), static_cast<double>(i * c.Size / 2) / 44100, 0.0011);
    }
    EXPECT_EQ(fixtures::Run("ffmpeg -nostdin -v error -i " + fixtures::Quoted(out) + " -f null - 2>&1"), "");
  }
}

TEST_F(Transcode, BadBitstreamFilterOptionsFailTheJob) {
  struct TCase {
    const char* Filter;
    const char* Error;
  };
  for (const TCase& c :
       {TCase{"pcm_rechunk=no_such=1", "Bitstream filter pcm_rechunk has no option no_such"},
        TCase{"pcm_rechunk=nb_out_samples=many", "Invalid value \"many\" for option nb_out_samples of bitstream filter pcm_rechunk"},
        TCase{"pcm_rechunk=nb_out_samples=0", "Invalid value \"0\" for option nb_out_samples of bitstream filter pcm_rechunk"},
        TCase{"pcm_rechunk=nb_out_samples", "Invalid option \"nb_out_samples\" for bitstream filter pcm_rechunk (option=value expected)"},
        TCase{"pcm_rechunk=pad=0:", "Invalid option \"\" for bitstream filter pcm_rechunk (option=value expected)"},
        // A filter without options of its own has none to set.
        TCase{"null=x=1", "Bitstream filter null has no option x"}}) {
    SCOPED_TRACE(c.Filter);
    auto engine = enginetest::NewEngine();
    const std::string out = Out("refused.mkv");
    const TJobResult result =
        RunJob(*engine, {enginetest::AudioOnlyFile()}, {{"acodec", "copy"}, {"absf", c.Filter}}, out);
    EXPECT_FALSE(result.Started);
    EXPECT_EQ(result.Error, c.Error);
    EXPECT_TRUE(engine->Faudio_bitstream_filters.empty());
  }
}

TEST_F(Transcode, UnknownBitstreamFilterIsRefused) {
  auto engine = enginetest::NewEngine();
  EXPECT_EQ(enginetest::ErrorOf([&] { engine->ParseOption("vbsf", "no_such_filter"); }),
            "Unknown bitstream filter no_such_filter");
}

// ---- subtitles ----

TEST_F(Transcode, TextSubtitlesAreEncodedIntoTheOutput) {
  struct TCase {
    const char* Codec;
    const char* Output;
    const char* Name;  // ffprobe's codec name
  };
  for (const TCase& c : {TCase{"mov_text", "subs.mp4", "mov_text"}, TCase{"srt", "subs.mkv", "subrip"},
                         TCase{"ass", "subs-ass.mkv", "ass"}}) {
    SCOPED_TRACE(c.Codec);
    auto engine = enginetest::NewEngine();
    const std::string out = Out(c.Output);
    const TJobResult result = RunJob(*engine, {SubtitledVideo()}, {{"vcodec", "mpeg4"}, {"scodec", c.Codec}}, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    const auto probe = Probe(out);
    EXPECT_EQ(StreamValue(probe, "subtitle", "codec_name"), c.Name);
    // The cues keep their times and texts (MP4 fills the gaps between cues with empty samples of
    // two bytes).
    std::vector<std::string> packets;
    for (const std::string& packet : Entries(out, "s:0", "packet=pts_time,duration_time,size")) {
      const size_t comma = packet.rfind(',');  // ffprobe's order: times, then size
      if (std::stoi(packet.substr(comma + 1)) > 2) packets.push_back(packet.substr(0, comma));
    }
    ASSERT_EQ(packets.size(), 3u);
    const double starts[] = {0.1, 0.7, 1.3}, lengths[] = {0.4, 0.4, 0.5};
    for (size_t i = 0; i < 3; ++i) {
      SCOPED_TRACE(packets[i]);
      const size_t comma = packets[i].find(',');
      EXPECT_NEAR(Seconds(packets[i].substr(0, comma)), starts[i], 0.011);
      EXPECT_NEAR(Seconds(packets[i].substr(comma + 1)), lengths[i], 0.011);
    }
    const std::string text =
        fixtures::Run("ffmpeg -nostdin -v error -i " + fixtures::Quoted(out) + " -map 0:s:0 -f srt - 2>&1");
    for (const char* cue : {"First cue", "Second cue", "Third cue"}) EXPECT_NE(text.find(cue), std::string::npos) << text;
  }
}

TEST_F(Transcode, DvbSubtitlesAreDrawnAndThenCleared) {
  // Each cue becomes two packets: one that draws the picture and, when its display time is over,
  // one without pictures that clears the screen.
  const std::string input = DvbSubtitles();
  auto engine = enginetest::NewEngine();
  const std::string out = Out("dvbsub.ts");
  const TJobResult result = RunJob(*engine, {input}, {{"scodec", "dvbsub"}}, out);
  ASSERT_TRUE(result.Finished) << result.Error;
  const std::regex subtitle(R"(subtitle\|.*\|pts=(\d+)\|.*\|end_display_time=(\d+)\|num_rects=(\d+))");
  struct TSubtitle {
    int64_t Pts, Shown, Rects;  // microseconds, milliseconds, pictures
  };
  auto subtitles = [&](const std::string& AFile) {
    std::vector<TSubtitle> found;
    for (const std::string& line : Lines(fixtures::Run("ffprobe -v error -show_frames -of compact " + fixtures::Quoted(AFile)))) {
      std::smatch m;
      if (std::regex_match(line, m, subtitle)) found.push_back({std::stoll(m[1]), std::stoll(m[2]), std::stoll(m[3])});
    }
    return found;
  };
  const std::vector<TSubtitle> cues = subtitles(input);
  ASSERT_EQ(cues.size(), 3u);
  const std::vector<TSubtitle> written = subtitles(out);
  ASSERT_EQ(written.size(), 6u);
  for (size_t i = 0; i < written.size(); ++i) EXPECT_EQ(written[i].Rects, i % 2 == 0 ? 1 : 0) << i;
  // The clearing packet comes when the cue's display time (as the stream's page says) is over.
  EXPECT_EQ(written[1].Pts - written[0].Pts, cues[0].Shown * 1000);
}

// ---- frame hooks ----

// A plug-in that counts its pictures and paints each one white (4:2:0 planes); its count is read
// back through HookCount.
const char* PaintingHookSource = R"(
#include <cstdint>
#include <cstring>

struct Picture { uint8_t* data[4]; int linesize[4]; };
static int Count = 0;
static int64_t LastPts = -1;
static int Monotonic = 1;

extern "C" {
int HookCount() { return Count; }
int HookMonotonic() { return Monotonic; }
int Configure(void** ctx, int, char**, int) { *ctx = nullptr; return 0; }
void Process(void*, Picture* picture, int pix_fmt, int width, int height, int64_t pts) {
  ++Count;
  if (pts <= LastPts) Monotonic = 0;
  LastPts = pts;
  if (pix_fmt != 0) return;  // only planar 4:2:0 is painted
  for (int y = 0; y < height; ++y) std::memset(picture->data[0] + y * picture->linesize[0], 235, width);  // white
  for (int p = 1; p < 3; ++p)
    for (int y = 0; y < (height + 1) / 2; ++y) std::memset(picture->data[p] + y * picture->linesize[p], 128, (width + 1) / 2);
}
}
)";

class FrameHookRun : public Transcode {
 protected:
  static std::string Library() {
    const fs::path library = fixtures::Folder() / ("painting-hook-" +
                                                   std::to_string(std::hash<std::string>{}(PaintingHookSource) % 1000000007) +
                                                   ".so");
    if (fs::exists(library)) return library.string();
    const std::string tag = std::to_string(::getpid());
    const fs::path source = fixtures::Folder() / ("painting-hook-" + tag + ".cpp");
    std::ofstream(source) << PaintingHookSource;
    const std::string temporary = library.string() + "." + tag;
    const std::string errors = fixtures::Run("c++ -shared -fPIC -O0 -o " + fixtures::Quoted(temporary) + " " +
                                             fixtures::Quoted(source.string()) + " 2>&1 && mv -f " +
                                             fixtures::Quoted(temporary) + " " + fixtures::Quoted(library.string()));
    fs::remove(source);
    if (!fs::exists(library)) ADD_FAILURE() << errors;
    return library.string();
  }
  static int Call(const std::string& ALibrary, const char* AName) {
    void* handle = ::dlopen(ALibrary.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return -1;
    auto function = reinterpret_cast<int (*)()>(::dlsym(handle, AName));
    const int value = function ? function() : -1;
    ::dlclose(handle);
    return value;
  }
};

// Mean of the luma plane of every decoded picture of a file, from the command-line tool.
std::vector<double> LumaMeans(const std::string& AFile, int AWidth, int AHeight) {
  const std::string gray = fixtures::Run("ffmpeg -nostdin -v error -i " + fixtures::Quoted(AFile) +
                                         " -f rawvideo -pix_fmt gray -");
  const size_t size = static_cast<size_t>(AWidth) * AHeight;
  std::vector<double> means;
  for (size_t start = 0; start + size <= gray.size(); start += size) {
    double sum = 0;
    for (size_t i = 0; i < size; ++i) sum += static_cast<unsigned char>(gray[start + i]);
    means.push_back(sum / static_cast<double>(size));
  }
  return means;
}

TEST_F(FrameHookRun, AHookSeesEveryDecodedPictureAndItsChangesAreEncoded) {
  const std::string library = Library();
  ASSERT_TRUE(fs::exists(library));
  const int before = std::max(Call(library, "HookCount"), 0);
  auto engine = enginetest::NewEngine();
  engine->ParseOption("vhook", library);
  const std::string out = Out("hooked.avi");
  const TJobResult result = RunJob(*engine, {TinyVideo()}, {{"vcodec", "mpeg4"}, {"qscale", "2"}}, out);
  ASSERT_TRUE(result.Finished) << result.Error;
  EXPECT_EQ(Call(library, "HookCount") - before, 25);
  EXPECT_EQ(Call(library, "HookMonotonic"), 1);
  const std::vector<double> means = LumaMeans(out, 64, 48);
  ASSERT_EQ(means.size(), 25u);
  for (size_t i = 0; i < means.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_GT(means[i], 250);  // white: 235 in limited range is 255 in full-range gray
  }
  // The source itself is not white: the picture the output shows is the hook's.
  const std::vector<double> source = LumaMeans(TinyVideo(), 64, 48);
  ASSERT_FALSE(source.empty());
  EXPECT_LT(source[0], 200);
}

}  // namespace
