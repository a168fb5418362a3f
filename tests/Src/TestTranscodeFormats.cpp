// Conversions of a short clip with sound into the video containers the presets use, each checked
// with ffprobe: container, codecs, picture size, frame rate, sample rate, channels, duration and
// sound actually present.

#include <thread>

#include "TranscodeTestSupport.h"

namespace {

using namespace transcodetest;

struct TConversion {
  const char* Name;
  const char* File;
  TOptions Options;
  const char* Format;      // ffprobe's format name (its first entry)
  const char* VideoCodec;  // "" when the output has no video
  const char* AudioCodec;
  int Width, Height;
  const char* FrameRate;   // ffprobe's r_frame_rate; "" to skip
  int SampleRate, Channels;
};

void PrintTo(const TConversion& AConversion, std::ostream* AOut) { *AOut << AConversion.Name; }

class VideoConversion : public Transcode, public ::testing::WithParamInterface<TConversion> {};

TEST_P(VideoConversion, ProducesTheAskedStreams) {
  const TConversion& c = GetParam();
  auto engine = enginetest::NewEngine();
  const std::string out = Out(c.File);
  const TJobResult result = RunJob(*engine, {Clip()}, c.Options, out);
  ASSERT_TRUE(result.Started) << result.Error;
  ASSERT_TRUE(result.Finished) << result.Error;
  EXPECT_EQ(result.Error, "");
  EXPECT_EQ(engine->OpenedCodecCount(TCustomFFmpeg::TCodecList::Encoders), 0);

  const auto probe = Probe(out);
  const std::string format = Value(probe, "format.format_name");
  EXPECT_EQ(format.substr(0, format.find(',')), c.Format);
  EXPECT_EQ(StreamValue(probe, "video", "codec_name"), c.VideoCodec);
  EXPECT_EQ(StreamValue(probe, "video", "width"), std::to_string(c.Width));
  EXPECT_EQ(StreamValue(probe, "video", "height"), std::to_string(c.Height));
  if (*c.FrameRate) {
    EXPECT_EQ(StreamValue(probe, "video", "r_frame_rate"), c.FrameRate);
  }
  EXPECT_EQ(StreamValue(probe, "audio", "codec_name"), c.AudioCodec);
  EXPECT_EQ(StreamValue(probe, "audio", "sample_rate"), std::to_string(c.SampleRate));
  EXPECT_EQ(StreamValue(probe, "audio", "channels"), std::to_string(c.Channels));
  EXPECT_NEAR(DecodedDuration(out, "v:0"), 3.0, 0.1);
  EXPECT_NEAR(DecodedDuration(out, "a:0"), 3.0, 0.1);
  // The sound is there: the decoded samples cover the clip.
  EXPECT_NEAR(DecodedAudioSamples(out) / static_cast<double>(c.SampleRate), 3.0, 0.1);
}

const TConversion VideoConversions[] = {
    {"Mpeg4Mp3Avi", "a.avi", {{"vcodec", "mpeg4"}, {"b", "400k"}, {"acodec", "libmp3lame"}, {"ab", "96k"}, {"ar", "44100"}},
     "avi", "mpeg4", "mp3", 160, 120, "25/1", 44100, 2},
    {"XvidMp3Avi", "x.avi", {{"vcodec", "libxvid"}, {"b", "400k"}, {"acodec", "libmp3lame"}, {"ar", "44100"}},
     "avi", "mpeg4", "mp3", 160, 120, "25/1", 44100, 2},
    {"H264AacMp4", "a.mp4", {{"vcodec", "libx264"}, {"b", "300k"}, {"acodec", "aac"}, {"ab", "96k"}, {"s", "176x144"}},
     "mov", "h264", "aac", 176, 144, "25/1", 48000, 2},
    {"PalVcd", "vcd.mpg", {{"target", "pal-vcd"}}, "mpeg", "mpeg1video", "mp2", 352, 288, "25/1", 44100, 2},
    {"DvdProgramStream", "dvd.vob", {{"target", "pal-dvd"}, {"s", "352x288"}},
     "mpeg", "mpeg2video", "ac3", 352, 288, "25/1", 48000, 2},
    {"Flv", "a.flv", {{"ar", "44100"}}, "flv", "flv1", "mp3", 160, 120, "", 44100, 2},
    {"Wmv2WmaAsf", "a.wmv", {{"vcodec", "wmv2"}, {"acodec", "wmav2"}, {"ab", "64k"}, {"ar", "44100"}},
     "asf", "wmv2", "wmav2", 160, 120, "", 44100, 2},
    {"RealVideoRm", "a.rm", {{"vcodec", "rv20"}, {"s", "176x144"}, {"acodec", "ac3"}, {"ar", "44100"}},
     "rm", "rv20", "ac3", 176, 144, "", 44100, 2},
    {"H263In3gp", "a.3gp", {{"vcodec", "h263"}, {"s", "176x144"}, {"acodec", "aac"}, {"ar", "8000"}, {"ac", "1"}},
     "mov", "h263", "aac", 176, 144, "25/1", 8000, 1},
    {"Matroska", "a.mkv", {{"vcodec", "mpeg4"}, {"acodec", "libvorbis"}}, "matroska", "mpeg4", "vorbis", 160, 120,
     "25/1", 48000, 2},
};

INSTANTIATE_TEST_SUITE_P(Table, VideoConversion, ::testing::ValuesIn(VideoConversions),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// Video packets that carry a picture: ffprobe leaves out the empty chunks AVI marks skipped
// pictures with.
int CodedPictures(const std::string& AFile) {
  return static_cast<int>(fixtures::Lines(fixtures::Run("ffprobe -v error -select_streams v:0 -show_entries "
                                                        "packet=size -of csv=p=0 " + fixtures::Quoted(AFile)))
                              .size());
}

// A 10 fps source into a 25 fps AVI: each source picture is coded once, the rate and length stay
// (no repeated pictures to pad the rate); asking for a constant rate still repeats them.
TEST_F(Transcode, AviFromATenFpsSourceCodesEachPictureOnce) {
  const std::string source = fixtures::Make("clip-10fps-3s.mkv",
                                            "-f lavfi -i testsrc=size=160x120:rate=10:duration=3 "
                                            "-f lavfi -i sine=frequency=1000:sample_rate=48000:duration=3 -ac 2 "
                                            "-c:v mpeg4 -q:v 4 -c:a pcm_s16le -f matroska");
  struct TCase {
    const char* Name;
    TOptions Options;
    int Pictures;
  };
  const TCase cases[] = {
      {"variable rate", {{"vcodec", "mpeg4"}, {"r", "25"}, {"acodec", "mp2"}}, 30},
      {"constant rate asked", {{"vcodec", "mpeg4"}, {"r", "25"}, {"vsync", "1"}, {"acodec", "mp2"}}, 73},  // to the last picture's start
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto engine = enginetest::NewEngine();
    const std::string out = Out(std::string(c.Name) + ".avi");
    const TJobResult result = RunJob(*engine, {source}, c.Options, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    EXPECT_NEAR(CodedPictures(out), c.Pictures, 1);
    const auto probe = Probe(out);
    EXPECT_EQ(StreamValue(probe, "video", "codec_name"), "mpeg4");
    EXPECT_EQ(StreamValue(probe, "video", "r_frame_rate"), "25/1");
    EXPECT_NEAR(Seconds(StreamValue(probe, "video", "duration")), 3.0, 0.1);
    EXPECT_NEAR(DecodedDuration(out, "a:0"), 3.0, 0.1);
  }
}

}  // namespace
