#include "Src/UnicodeProtocol.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "MediaFixtures.h"
#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFMediaUtils.h"
#include "Src/FFmpegLoader.h"

namespace {

namespace fs = std::filesystem;

TEST(UnicodeNames, WhichNamesBecomeURLs) {
  struct TCase {
    const char* Name;
    const char* AVName;
  };
  const TCase cases[] = {
      {"/tmp/clip.mp4", "/tmp/clip.mp4"},
      {"/tmp/视频 文件.mp4", "/tmp/视频 文件.mp4"},  // UTF-8 names reach the libraries as they are
      {"a:b.mp4", "unicode:utf8:a:b.mp4"},           // would be taken for protocol "a"
      {"C:/clips/a.mp4", "unicode:utf8:C:/clips/a.mp4"},
      {"/tmp/x:y/片:段.mp4", "unicode:utf8:/tmp/x:y/片:段.mp4"},
      {"http://example.com/a.flv", "http://example.com/a.flv"},
      {"pipe:0", "pipe:0"},
      {"stream:3", "stream:3"},
      {"unicode:utf8:/tmp/片.mp4", "unicode:utf8:/tmp/片.mp4"},
      {"UNICODE:utf8:/tmp/a.mp4", "unicode:utf8:UNICODE:utf8:/tmp/a.mp4"},  // the protocol word is case-sensitive
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(FileNameToAVName(c.Name), c.AVName);
    if (!IsUnicodeURL(c.Name)) { EXPECT_EQ(AVNameToFileName(FileNameToAVName(c.Name)), c.Name); }
  }
  EXPECT_FALSE(IsUnicodeURL("unicode:utf8:"));
  EXPECT_EQ(AVNameToFileName("unicode:utf8:"), "unicode:utf8:");
  EXPECT_TRUE(IsUnicodeURL("unicode:utf8:x"));
  EXPECT_EQ(DecodeUnicodeURL("unicode:utf8:a:b:c"), "a:b:c");
  EXPECT_EQ(AVNameToFileName("unicode:utf8:/tmp/片.mp4"), "/tmp/片.mp4");
}

class UnicodeFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(FFLoader().Load(ProbeLibraries)) << FFLoader().LastErrMsg(); }
  static void TearDownTestSuite() { FFLoader().Unload(ProbeLibraries); }
  void SetUp() override { dir_ = fixtures::ScratchFolder("unicode"); }
  void TearDown() override { fs::remove_all(dir_); }

  // Opens AName for input and answers its stream count, or the error code.
  static int StreamsOf(const std::string& AName) {
    AVFormatContext* ctx = nullptr;
    const int opened = OpenInputFile(&ctx, AName, nullptr, nullptr);
    if (opened < 0) {
      EXPECT_EQ(ctx, nullptr);
      return opened;
    }
    int result = av::avformat_find_stream_info(ctx, nullptr);
    if (result >= 0) result = static_cast<int>(ctx->nb_streams);
    EXPECT_EQ(AVNameToFileName(ctx->url), AName);
    CloseInputFile(&ctx);
    EXPECT_EQ(ctx, nullptr);
    return result;
  }

  fs::path dir_;
};

TEST_F(UnicodeFiles, NamesWithChineseAndColonsOpen) {
  const std::string source = fixtures::Mp4();
  const std::string names[] = {"视频.mp4", "片:段.mp4", "sub:dir/a.mp4"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const fs::path target = dir_ / fs::u8path(name);
    fs::create_directories(target.parent_path());
    fs::copy_file(source, target);
    EXPECT_EQ(StreamsOf(target.string()), 2);
  }
  // A relative name with a colon, as a user's current folder would give it.
  const fs::path cwd = fs::current_path();
  fs::current_path(dir_);
  EXPECT_EQ(StreamsOf("片:段.mp4"), 2);
  fs::current_path(cwd);
}

TEST_F(UnicodeFiles, MissingFileIsNoSuchFile) {
  const std::string name = (dir_ / "缺:失.mp4").string();
  const int result = StreamsOf(name);
  EXPECT_EQ(result, AVERROR(ENOENT));
  EXPECT_EQ(AVErrorText(name, result), name + ": No such file or directory");
}

TEST_F(UnicodeFiles, UrlWritesCreateAndTruncate) {
  const fs::path target = dir_ / "写:入.bin";
  std::ofstream(target) << "an older and much longer content that must go";
  AVIOContext* io = nullptr;
  ASSERT_EQ(OpenUnicodeIO(&io, EncodeUnicodeURL(target.string()), AVIO_FLAG_WRITE), 0);
  ASSERT_TRUE(IsUnicodeIO(io));
  const std::string text = "new bytes";
  av::avio_write(io, reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  CloseUnicodeIO(&io);
  EXPECT_EQ(io, nullptr);
  std::stringstream written;
  written << std::ifstream(target).rdbuf();
  EXPECT_EQ(written.str(), text);

  // Read back through the reader: size query, seek and read.
  ASSERT_EQ(OpenUnicodeIO(&io, EncodeUnicodeURL(target.string()), AVIO_FLAG_READ), 0);
  EXPECT_EQ(av::avio_size(io), static_cast<int64_t>(text.size()));
  EXPECT_EQ(av::avio_seek(io, 4, SEEK_SET), 4);
  unsigned char buffer[16] = {};
  EXPECT_EQ(av::avio_read(io, buffer, sizeof buffer), 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "bytes");
  CloseUnicodeIO(&io);
}

TEST_F(UnicodeFiles, OutputFileThroughTheWriterIsAPlayableFile) {
  // Remux the fixture's audio into a WAV whose name needs the writer.
  AVFormatContext* in = nullptr;
  ASSERT_EQ(OpenInputFile(&in, fixtures::Container("a.wav"), nullptr, nullptr), 0);
  ASSERT_GE(av::avformat_find_stream_info(in, nullptr), 0);
  const std::string outName = (dir_ / "输出:1.wav").string();
  AVFormatContext* out = nullptr;
  ASSERT_GE(av::avformat_alloc_output_context2(&out, nullptr, "wav", nullptr), 0);
  AVStream* stream = av::avformat_new_stream(out, nullptr);
  ASSERT_NE(stream, nullptr);
  av::avcodec_parameters_copy(stream->codecpar, in->streams[0]->codecpar);
  stream->codecpar->codec_tag = 0;
  ASSERT_EQ(OpenOutputFile(out, outName, nullptr), 0);
  ASSERT_GE(av::avformat_write_header(out, nullptr), 0);
  AVPacket* packet = av::av_packet_alloc();
  while (av::av_read_frame(in, packet) >= 0) {
    av::av_packet_rescale_ts(packet, in->streams[0]->time_base, stream->time_base);
    packet->stream_index = 0;
    av::av_interleaved_write_frame(out, packet);
  }
  av::av_packet_free(&packet);
  av::av_write_trailer(out);
  CloseOutputFile(out);
  av::avformat_free_context(out);
  CloseInputFile(&in);

  const auto probed = fixtures::Probe(outName);
  EXPECT_EQ(probed.at("format.format_name"), "wav");
  EXPECT_NEAR(std::stod(probed.at("format.duration")), 2.0, 0.05);
}

}  // namespace
