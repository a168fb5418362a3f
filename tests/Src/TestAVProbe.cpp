#include "Src/AVProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include "MediaFixtures.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLogger.h"
#include "Src/MyUtils.h"
#include "Src/UnicodeProtocol.h"

namespace {

namespace fs = std::filesystem;

class ProbeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(FFLoader().Load(ProbeLibraries)) << FFLoader().LastErrMsg(); }
  static void TearDownTestSuite() { FFLoader().Unload(ProbeLibraries); }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  fs::path Dir() {
    if (dir_.empty()) dir_ = fixtures::ScratchFolder("probe");
    return dir_;
  }
  TAVProbe probe_{nullptr};
  fs::path dir_;
};

// Seconds as ffprobe prints them, in microseconds; -1 for "N/A".
long long Micro(const std::string& ASeconds) {
  return ASeconds == "N/A" ? -1 : std::llround(std::stod(ASeconds) * 1000000.0);
}

std::string Rational(AVRational ARate) { return std::to_string(ARate.num) + "/" + std::to_string(ARate.den); }

TEST_F(ProbeTest, FiguresAgreeWithTheCommandLineProbe) {
  for (const fixtures::TFixture& f : fixtures::ContainerTable()) {
    SCOPED_TRACE(f.Name);
    const std::string file = fixtures::Container(f.Name);
    const auto expected = fixtures::Probe(file);
    ASSERT_TRUE(probe_.LoadFile(file)) << probe_.LastErrMsg();

    EXPECT_EQ(probe_.FileName(), file);
    EXPECT_EQ(probe_.FormatName(), expected.at("format.format_name"));
    EXPECT_EQ(probe_.FormatLongName(), expected.at("format.format_long_name"));
    EXPECT_EQ(probe_.FileSize(), std::stoll(expected.at("format.size")));
    EXPECT_EQ(probe_.StreamCount(), std::stoi(expected.at("format.nb_streams")));
    EXPECT_EQ(probe_.ProgramCount(), std::stoi(expected.at("format.nb_programs")));

    const TFileStreamInfo info = probe_.FileStreamInfo();
    EXPECT_NEAR(info.Duration, Micro(expected.at("format.duration")), 1);
    EXPECT_NEAR(info.StartTime, Micro(expected.at("format.start_time")), 1);
    EXPECT_EQ(info.BitRate, std::stoi(expected.at("format.bit_rate")));
    if (expected.contains("format.tags.title")) {
      EXPECT_EQ(info.Title, expected.at("format.tags.title"));
    }

    int video = 0, audio = 0;
    for (int i = 0; i < probe_.StreamCount(); ++i) {
      SCOPED_TRACE(i);
      const std::string key = "streams.stream." + std::to_string(i) + ".";
      const std::string type = expected.at(key + "codec_type");
      EXPECT_EQ(probe_.IsVideoStream(i), type == "video");
      EXPECT_EQ(probe_.IsAudioStream(i), type == "audio");
      if (type == "video") {
        if (video++ == 0) {
          EXPECT_EQ(probe_.FirstVideoStreamIndex(), i);
        }
        const TVideoStreamInfo v = probe_.GetVideoStreamInfo(i);
        EXPECT_TRUE(v.CodecName.ends_with("(" + expected.at(key + "codec_long_name") + ")")) << v.CodecName;
        EXPECT_EQ(v.Width, std::stoi(expected.at(key + "width")));
        EXPECT_EQ(v.Height, std::stoi(expected.at(key + "height")));
        EXPECT_EQ(Rational(v.FrameRate), expected.at(key + "r_frame_rate"));
        EXPECT_STREQ(av::av_get_pix_fmt_name(static_cast<AVPixelFormat>(v.PixFmt)), expected.at(key + "pix_fmt").c_str());
        if (expected.at(key + "start_time") != "N/A") {
          EXPECT_NEAR(v.StartTimeScaled, Micro(expected.at(key + "start_time")), 1);
        }
      } else if (type == "audio") {
        if (audio++ == 0) {
          EXPECT_EQ(probe_.FirstAudioStreamIndex(), i);
        }
        const TAudioStreamInfo a = probe_.GetAudioStreamInfo(i);
        EXPECT_TRUE(a.CodecName.ends_with("(" + expected.at(key + "codec_long_name") + ")")) << a.CodecName;
        EXPECT_EQ(a.SampleRate, std::stoi(expected.at(key + "sample_rate")));
        EXPECT_EQ(a.Channels, std::stoi(expected.at(key + "channels")));
        if (expected.at(key + "bit_rate") != "N/A") {
          EXPECT_EQ(a.BitRate, std::stoi(expected.at(key + "bit_rate")));
        }
      }
    }
    EXPECT_EQ(probe_.VideoStreamCount(), video);
    EXPECT_EQ(probe_.AudioStreamCount(), audio);
    EXPECT_EQ(probe_.SubtitleStreamCount(), 0);
    EXPECT_EQ(probe_.FirstSubtitleStreamIndex(), -1);
  }
}

TEST_F(ProbeTest, FileInfoTextReport) {
  const std::string file = fixtures::Mp4();
  ASSERT_TRUE(probe_.LoadFile(file));
  const auto expected = fixtures::Probe(file);
  const std::string text = probe_.FileInfoText();
  const TFileStreamInfo info = probe_.FileStreamInfo();
  const std::string lines[] = {
      "File Name: " + file + "\n",
      "Format Name: mov,mp4,m4a,3gp,3g2,mj2\n",
      "File Size: " + FormatByteSize(probe_.FileSize()) + "\n",
      "Duration: " + FormatMicroseconds(info.Duration) + "\n",
      "StartTime: 0.000000\n",
      "Bit Rate: " + std::to_string(info.BitRate / 1000) + " kb/s\n",
      "Metadata:\n",
      "  title           : Fixture\n",
      "  comment         : made-by-tests\n",
      "Stream #0[0x1](und), 1/12800: Video: mpeg4 (Simple Profile) (mp4v / 0x7634706D), yuv420p, 160x120",
      ", 25 fps, 25 tbr, 12800 tbn, StartTime: 0.000000, Duration: 00:00:02.000\n",
      "Stream #1[0x2](und), 1/44100: Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono",
  };
  for (const std::string& line : lines) EXPECT_NE(text.find(line), std::string::npos) << "[" << line << "]\nin\n" << text;
  // The streams' own metadata (a handler name) follows each stream line, indented.
  EXPECT_NE(text.find("\n    handler_name    : "), std::string::npos) << text;
  EXPECT_EQ(text.find("language"), std::string::npos) << "language entries are not listed";
}

TEST_F(ProbeTest, NamesWithChineseAndColons) {
  for (const char* name : {"测试视频.mp4", "片:段.mp4"}) {
    SCOPED_TRACE(name);
    const fs::path target = Dir() / fs::u8path(name);
    fs::copy_file(fixtures::Mp4(), target);
    ASSERT_TRUE(probe_.LoadFile(target.string())) << probe_.LastErrMsg();
    EXPECT_EQ(probe_.FileName(), target.string());
    EXPECT_EQ(probe_.StreamCount(), 2);
    EXPECT_TRUE(probe_.Decode());
  }
}

TEST_F(ProbeTest, FormatsByName) {
  EXPECT_FALSE(probe_.LoadFile(fixtures::Container("a.wav"), "nosuchformat"));
  EXPECT_EQ(probe_.LastErrMsg(), "Unknown input format: nosuchformat");
  EXPECT_EQ(probe_.StreamCount(), -1);
  ASSERT_TRUE(probe_.LoadFile(fixtures::Container("a.wav"), "wav"));
  EXPECT_EQ(probe_.ForceFormat(), "wav");
  EXPECT_EQ(probe_.AudioStreamCount(), 1);
}

TEST_F(ProbeTest, WithoutAFileAndWrongStreams) {
  EXPECT_EQ(probe_.StreamCount(), -1);
  EXPECT_EQ(probe_.FileSize(), -1);
  EXPECT_EQ(probe_.FileName(), "");
  EXPECT_EQ(probe_.LastErrMsg(), "file not loaded.");
  EXPECT_EQ(probe_.FileInfoText(), "");
  EXPECT_EQ(probe_.FileStreamInfo().Duration, -1);
  EXPECT_EQ(probe_.Position(), -1);
  EXPECT_FALSE(probe_.Decode());

  ASSERT_TRUE(probe_.LoadFile(fixtures::Mp4()));
  struct TCase {
    int Index;
    const char* Error;
  };
  const TCase cases[] = {{1, "stream #1 is not video stream."}, {5, "stream index #5 is invalid."}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Index);
    EXPECT_EQ(probe_.GetVideoStreamInfo(c.Index).Width, -1);
    EXPECT_EQ(probe_.LastErrMsg(), c.Error);
    EXPECT_FALSE(probe_.Decode(c.Index));
  }
  ASSERT_TRUE(probe_.LoadFile(fixtures::Container("a.mp3")));
  EXPECT_EQ(probe_.FirstVideoStreamInfo().Width, -1);
  EXPECT_EQ(probe_.LastErrMsg(), "no video stream.");
  EXPECT_FALSE(probe_.Decode());
  EXPECT_EQ(probe_.FileStreamInfo().Author, "Tests");
}

TEST_F(ProbeTest, LibrariesMissing) {
  FFLoader().Unload(ProbeLibraries);
  EXPECT_THROW(probe_.LoadFile(fixtures::Mp4()), Exception);
  EXPECT_TRUE(probe_.LoadAVLib(""));
  EXPECT_TRUE(probe_.AVLibLoaded());
  EXPECT_TRUE(probe_.LoadFile(fixtures::Mp4()));
  ASSERT_TRUE(FFLoader().Load(ProbeLibraries));
  probe_.UnloadAVLib();
  EXPECT_TRUE(probe_.AVLibLoaded()) << "the test suite still holds the libraries";
}

// Files that are not what they claim: each gives False with a reason, or opens and then decodes
// to its end; nothing crashes (the sanitizers watch).
TEST_F(ProbeTest, CorruptAndHostileFiles) {
  const std::string good = fixtures::Mp4();
  std::ifstream in(good, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::mt19937 random(7);
  auto noise = [&](size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
  };
  std::string zeroedMiddle = bytes;
  std::fill(zeroedMiddle.begin() + 3000, zeroedMiddle.begin() + 9000, '\0');
  std::string scrambledMiddle = bytes;
  for (size_t i = 4000; i < scrambledMiddle.size(); i += 7) scrambledMiddle[i] = static_cast<char>(random());

  struct TCase {
    const char* Name;
    std::string Content;
    bool MayOpen;
  };
  const TCase cases[] = {
      {"empty.mp4", "", false},
      {"text.avi", "This is a note, not a video.\n", false},
      {"noise.mkv", noise(20000), false},
      {"header-only.mp4", bytes.substr(0, 64), false},
      {"truncated.mp4", bytes.substr(0, bytes.size() / 3), true},
      {"zeroed-middle.mp4", zeroedMiddle, true},
      {"scrambled.mp4", scrambledMiddle, true},
      {"riff-noise.wav", "RIFF\xff\xff\xff\xffWAVEfmt " + noise(4000), true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const fs::path file = Dir() / c.Name;
    std::ofstream(file, std::ios::binary) << c.Content;
    const bool opened = probe_.LoadFile(file.string());
    if (!opened) {
      EXPECT_FALSE(probe_.LastErrMsg().empty());
      EXPECT_EQ(probe_.StreamCount(), -1);
      continue;
    }
    EXPECT_TRUE(c.MayOpen) << "opened: " << probe_.FileInfoText();
    (void)probe_.FileInfoText();
    int pictures = 0;
    if (probe_.FirstVideoStreamIndex() >= 0)
      while (probe_.Decode() && pictures < 1000) ++pictures;
    EXPECT_LT(pictures, 1000);
    (void)probe_.DecodePreviousKeyFrame();
    (void)probe_.DecodePreviousFrame();
  }
  EXPECT_FALSE(probe_.LoadFile((Dir() / "missing.mp4").string()));
  EXPECT_EQ(probe_.LastErrMsg(), (Dir() / "missing.mp4").string() + ": No such file or directory");
  EXPECT_FALSE(probe_.LoadFile(Dir().string()));
  EXPECT_FALSE(probe_.LastErrMsg().empty());
}

TEST_F(ProbeTest, OpenFailuresGoToTheLogWithTheProbeAsSender) {
  struct TEntry {
    TObject* Sender;
    TLogLevel Level;
    std::string Text;
  };
  std::vector<TEntry> entries;
  GetLogger()->OnLog = [&](TObject* Sender, DWORD, TLogLevel ALevel, const std::string& AText) {
    entries.push_back({Sender, ALevel, AText});
  };
  const fs::path file = Dir() / "note.mp4";
  std::ofstream(file) << "not a video";
  EXPECT_FALSE(probe_.LoadFile(file.string()));
  GetLogger()->OnLog = nullptr;
  const std::string expected = file.string() + ": Invalid data found when processing input";
  EXPECT_EQ(probe_.LastErrMsg(), expected);
  bool logged = false;
  for (const TEntry& e : entries) logged = logged || (e.Sender == &probe_ && e.Level == TLogLevel::llError && e.Text == expected);
  EXPECT_TRUE(logged);
}

TEST_F(ProbeTest, FileDeletedWhileOpen) {
  const fs::path file = Dir() / "gone.mp4";
  fs::copy_file(fixtures::Mp4(), file);
  ASSERT_TRUE(probe_.LoadFile(file.string()));
  fs::remove(file);
  int pictures = 0;
  while (probe_.Decode()) ++pictures;
  EXPECT_EQ(pictures, 50);
  EXPECT_FALSE(probe_.FileInfoText().empty());
}

TEST_F(ProbeTest, HandedInContextIsReadOnly) {
  AVFormatContext* context = nullptr;
  ASSERT_EQ(OpenInputFile(&context, fixtures::Mp4(), nullptr, nullptr), 0);
  ASSERT_GE(av::avformat_find_stream_info(context, nullptr), 0);
  probe_.SetFileHandle(context);
  EXPECT_EQ(probe_.StreamCount(), 2);
  EXPECT_THROW(probe_.Decode(), Exception);
  EXPECT_EQ(probe_.LastErrMsg(), "file cannot be seeked, handle is readonly.");
  EXPECT_THROW(probe_.Seek(0), Exception);
  probe_.CloseFile();
  EXPECT_EQ(context->nb_streams, 2u) << "the context is still the owner's";
  CloseInputFile(&context);
}

// ---- seeking and decoding ----

// Pictures of the test file: 25 a second, a key frame every 12 pictures, no B-frames.
constexpr int64_t Frame = 40000;
constexpr int64_t Gop = 12 * Frame;

// Bytes of picture AIndex of the command-line decoder's reference (160x120, B, G, R).
std::string ReferencePicture(const std::string& AReference, int AIndex) {
  const size_t size = 160 * 120 * 3;
  return AReference.substr(size * AIndex, size);
}

// Mean absolute difference between the bitmap and a reference picture.
double Difference(TBitmap& ABitmap, const std::string& APicture) {
  double sum = 0;
  for (int y = 0; y < 120; ++y) {
    const auto* row = static_cast<const uint8_t*>(ABitmap.ScanLine(y));
    for (int x = 0; x < 160 * 3; ++x) sum += std::abs(row[x] - static_cast<uint8_t>(APicture[y * 160 * 3 + x]));
  }
  return sum / (160 * 120 * 3);
}

TEST_F(ProbeTest, DecodingStepsAndSeeks) {
  const std::string file = fixtures::Mp4();
  ASSERT_EQ(fixtures::KeyFrameTimes(file), (std::vector<long long>{0, Gop, 2 * Gop, 3 * Gop, 4 * Gop}));
  ASSERT_TRUE(probe_.LoadFile(file));
  EXPECT_FALSE(probe_.FrameInfo().Ready);

  ASSERT_TRUE(probe_.Decode());
  EXPECT_EQ(probe_.FrameInfo().PTS, 0);
  EXPECT_TRUE(probe_.FrameInfo().IsKeyFrame);
  EXPECT_EQ(probe_.FrameInfo().PictureType, TPictureType::ptI);
  EXPECT_EQ(probe_.FrameInfo().Width, 160);
  EXPECT_TRUE(probe_.DecodePreviousKeyFrame()) << "on the first picture it ends with the first picture";
  EXPECT_EQ(probe_.FrameInfo().PTS, 0);

  ASSERT_TRUE(probe_.Decode());
  ASSERT_TRUE(probe_.Decode());
  EXPECT_EQ(probe_.FrameInfo().PTS, 2 * Frame);
  EXPECT_EQ(probe_.FrameInfo().PictureType, TPictureType::ptP);
  ASSERT_TRUE(probe_.DecodePreviousFrame());
  EXPECT_EQ(probe_.FrameInfo().PTS, Frame) << "the third picture's previous one is the second";

  struct TSeekCase {
    int64_t Time;
    TSeekFlags Flags;
    int64_t Landing;
  };
  const TSeekCase seeks[] = {
      {1000000, {TSeekFlag::sfBackward}, 2 * Gop},
      {2 * Gop, {}, 2 * Gop},
      {0, {}, 0},
      {Gop + Frame, {TSeekFlag::sfBackward}, Gop},
  };
  for (const TSeekCase& s : seeks) {
    SCOPED_TRACE(s.Time);
    ASSERT_TRUE(probe_.Seek(s.Time, s.Flags)) << probe_.LastErrMsg();
    EXPECT_FALSE(probe_.FrameInfo().Ready);
    ASSERT_TRUE(probe_.Decode());
    EXPECT_EQ(probe_.FrameInfo().PTS, s.Landing);
    EXPECT_TRUE(probe_.FrameInfo().IsKeyFrame);
  }

  ASSERT_TRUE(probe_.DecodeNextKeyFrame());
  EXPECT_EQ(probe_.FrameInfo().PTS, 2 * Gop);
  ASSERT_TRUE(probe_.DecodeNextKeyFrame());
  EXPECT_EQ(probe_.FrameInfo().PTS, 3 * Gop);
  ASSERT_TRUE(probe_.DecodePreviousKeyFrame());
  EXPECT_EQ(probe_.FrameInfo().PTS, 2 * Gop);
  ASSERT_TRUE(probe_.Decode());
  ASSERT_TRUE(probe_.DecodePreviousKeyFrame()) << "from inside a group: its own key frame";
  EXPECT_EQ(probe_.FrameInfo().PTS, 2 * Gop);
  ASSERT_TRUE(probe_.DecodePreviousFrame()) << "across a key frame";
  EXPECT_EQ(probe_.FrameInfo().PTS, 2 * Gop - Frame);
}

TEST_F(ProbeTest, EndOfFileStopsUntilTheNextSeek) {
  ASSERT_TRUE(probe_.LoadFile(fixtures::Mp4()));
  int pictures = 0;
  while (probe_.Decode()) ++pictures;
  EXPECT_EQ(pictures, 50);
  EXPECT_TRUE(probe_.Eof());
  EXPECT_EQ(probe_.LastErrMsg(), "stream eof reached.");
  const int64_t position = probe_.Position();
  EXPECT_FALSE(probe_.Decode());
  EXPECT_EQ(probe_.Position(), position) << "nothing is read after the end";
  EXPECT_TRUE(probe_.DecodePreviousKeyFrame()) << "from the end, the last key frame";
  EXPECT_EQ(probe_.FrameInfo().PTS, 4 * Gop);
  ASSERT_TRUE(probe_.Seek(0));
  EXPECT_FALSE(probe_.Eof());
  EXPECT_TRUE(probe_.Decode());
  EXPECT_EQ(probe_.FrameInfo().PTS, 0);
}

TEST_F(ProbeTest, SeekingOtherContainers) {
  for (const char* name : {"av.avi", "av.mkv", "av.mpg", "av.flv"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(probe_.LoadFile(fixtures::Container(name)));
    ASSERT_TRUE(probe_.Seek(1000000, {TSeekFlag::sfBackward}));
    ASSERT_TRUE(probe_.Decode());
    EXPECT_TRUE(probe_.FrameInfo().IsKeyFrame);
    // Within a group of the target: a program stream's seek finds a packet by its time, and
    // decoding starts at the next key frame.
    EXPECT_LE(std::llabs(probe_.FrameInfo().PTS - 1000000), Gop + Frame) << probe_.FrameInfo().PTS;
    ASSERT_TRUE(probe_.Decode());
    ASSERT_TRUE(probe_.Decode());
    const int64_t third = probe_.FrameInfo().PTS;
    ASSERT_TRUE(probe_.DecodePreviousFrame());
    EXPECT_EQ(probe_.FrameInfo().PTS, third - Frame);
  }
}

// Files whose key frames are far apart: a transport stream (no index of key frames) with key
// frames at 0 and 2.92 s of 8 s, and a variable-rate MP4 with B-frames and key frames at 0 and
// 1 s of 8 s.
std::string SparseKeyFramesTs() {
  return fixtures::Make("sparse-keys.ts", "-f lavfi -i testsrc=size=160x120:rate=25:duration=8 -c:v libx264 "
                                          "-g 1000 -keyint_min 1000 -sc_threshold 0 -force_key_frames 0,2.92 -bf 0 "
                                          "-f mpegts");
}
std::string SparseKeyFramesVfrMp4() {
  return fixtures::Make("sparse-keys-vfr.mp4",
                        "-f lavfi -i testsrc=size=160x120:rate=25:duration=8 -vf select='lt(n\\,50)+not(mod(n\\,3))' "
                        "-fps_mode vfr -c:v libx264 -g 1000 -keyint_min 1000 -sc_threshold 0 -force_key_frames 0,1 "
                        "-bf 2 -f mp4");
}

// Wherever the target lies, a seek lands on the nearest key frame at or before it (a forward
// seek: the first at or after it when there is one) and decoding goes on from there.
TEST_F(ProbeTest, SeeksLandOnAUsableKeyFrame) {
  struct TCase {
    std::string File;
    int64_t Time;
    TSeekFlags Flags;
    int64_t Landing;  // the key frame's time from the stream's start
  };
  const TCase cases[] = {
      {SparseKeyFramesTs(), 5060000, {TSeekFlag::sfBackward}, 2920000},
      {SparseKeyFramesTs(), 5060000, {}, 2920000},
      {SparseKeyFramesTs(), 7590000, {TSeekFlag::sfBackward}, 2920000},
      {SparseKeyFramesTs(), 7590000, {}, 2920000},
      {SparseKeyFramesTs(), 2000000, {TSeekFlag::sfBackward}, 0},
      {SparseKeyFramesTs(), 2000000, {}, 2920000},
      {SparseKeyFramesTs(), 0, {}, 0},
      {SparseKeyFramesVfrMp4(), 2000000, {}, 1000000},
      {SparseKeyFramesVfrMp4(), 4000000, {}, 1000000},
      {SparseKeyFramesVfrMp4(), 6000000, {TSeekFlag::sfBackward}, 1000000},
      {SparseKeyFramesVfrMp4(), 500000, {}, 1000000},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File + " at " + std::to_string(c.Time) + (c.Flags.Empty() ? " forward" : " backward"));
    ASSERT_EQ(fixtures::KeyFrameTimes(c.File).size(), 2u);
    ASSERT_TRUE(probe_.LoadFile(c.File)) << probe_.LastErrMsg();
    ASSERT_TRUE(probe_.Seek(c.Time, c.Flags)) << probe_.LastErrMsg();
    ASSERT_TRUE(probe_.Decode()) << probe_.LastErrMsg();
    EXPECT_TRUE(probe_.FrameInfo().IsKeyFrame);
    EXPECT_NEAR(probe_.FrameInfo().PTS, c.Landing, 1000);
    const int64_t key = probe_.FrameInfo().PTS;
    ASSERT_TRUE(probe_.Decode()) << "decoding goes on after the key frame";
    EXPECT_GT(probe_.FrameInfo().PTS, key);
    EXPECT_FALSE(probe_.FrameInfo().IsKeyFrame);
  }
  // Without a key frame after the current picture there is no next one.
  ASSERT_TRUE(probe_.LoadFile(SparseKeyFramesTs()));
  ASSERT_TRUE(probe_.Seek(3000000, {TSeekFlag::sfBackward}));
  ASSERT_TRUE(probe_.Decode());
  EXPECT_FALSE(probe_.DecodeNextKeyFrame());
}

// The last error is the reason an operation failed, never a diagnostic line logged after it.
TEST_F(ProbeTest, LastErrorIsTheFailureNotADiagnostic) {
  ASSERT_TRUE(probe_.LoadFile(fixtures::Mp4()));
  std::vector<std::string> logged;
  GetLogger()->OnLog = [&](TObject*, DWORD, TLogLevel, const std::string& AText) { logged.push_back(AText); };
  const TLogLevel level = GetLogger()->LogLevel();
  GetLogger()->SetLogLevel(TLogLevel::llDebug);
  EXPECT_FALSE(probe_.Seek(1000, {TSeekFlag::sfByte})) << "this container has no byte positions";
  GetLogger()->SetLogLevel(level);
  GetLogger()->OnLog = nullptr;
  EXPECT_EQ(probe_.LastErrMsg(), "could not seek to position 1000 bytes");
  ASSERT_FALSE(logged.empty());
  EXPECT_EQ(logged.back().rfind("seek to position ", 0), 0u) << "the position line is still logged: " << logged.back();

  // A later operation's end-of-file is its own reason.
  ASSERT_TRUE(probe_.Seek(0));
  while (probe_.Decode()) {
  }
  EXPECT_EQ(probe_.LastErrMsg(), "stream eof reached.");
}

// The stream records name the codec as the command-line probe does, not the decoder the
// libraries picked for it.
TEST_F(ProbeTest, StreamRecordsNameTheCodec) {
  const fs::path subtitles = Dir() / "cues.srt";
  std::ofstream(subtitles) << "1\n00:00:00,000 --> 00:00:01,000\nHello\n\n";
  const std::string file =
      fixtures::Make("msmpeg4-mp3-srt.mkv", "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -f lavfi -i "
                                            "sine=duration=1 -i " + fixtures::Quoted(subtitles.string()) +
                                            " -map 0 -map 1 -map 2 -c:v msmpeg4 -c:a libmp3lame -c:s srt -f matroska");
  const auto expected = fixtures::Probe(file);
  ASSERT_TRUE(probe_.LoadFile(file)) << probe_.LastErrMsg();
  const std::string names[] = {probe_.FirstVideoStreamInfo().CodecName, probe_.FirstAudioStreamInfo().CodecName,
                               probe_.FirstSubtitleStreamInfo().CodecName};
  const char* codecs[] = {"msmpeg4v3", "mp3", "subrip"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(codecs[i]);
    EXPECT_EQ(expected.at("streams.stream." + std::to_string(i) + ".codec_name"), codecs[i]);
    EXPECT_EQ(names[i].substr(0, names[i].find('(')), codecs[i]) << names[i];
  }
}

TEST_F(ProbeTest, CopyToBitmapMatchesTheDecodedReference) {
  const std::string file = fixtures::Mp4();
  const std::string reference = fixtures::DecodedBGR(file, 3);
  ASSERT_EQ(reference.size(), 3u * 160 * 120 * 3);
  ASSERT_TRUE(probe_.LoadFile(file));

  TBitmap bitmap;
  EXPECT_FALSE(probe_.CopyToBitmap(&bitmap));
  EXPECT_EQ(probe_.LastErrMsg(), "picture not ready, please decode first");
  EXPECT_EQ(bitmap.Width(), 0);

  for (int i = 0; i < 3; ++i) ASSERT_TRUE(probe_.Decode());
  ASSERT_TRUE(probe_.DecodePreviousFrame());
  ASSERT_TRUE(probe_.CopyToBitmap(&bitmap));
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(bitmap.Width(), 160);
  EXPECT_EQ(bitmap.Height(), 120);
  const double second = Difference(bitmap, ReferencePicture(reference, 1));
  const double first = Difference(bitmap, ReferencePicture(reference, 0));
  EXPECT_LT(second, 0.5) << "the second picture";
  EXPECT_GT(first, 4 * second) << "and not the first";
}

}  // namespace
