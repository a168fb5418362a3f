// Conversions to sound-only files (as the audio presets ask: no video), checked with ffprobe, and the audio path's conversions: sample
// rate change keeping the length, channel change, volume.

#include <algorithm>
#include <cmath>
#include <mutex>

#include "Src/FFmpegLogger.h"
#include "TranscodeTestSupport.h"

namespace {

using namespace transcodetest;

struct TAudioConversion {
  const char* Name;
  const char* File;
  TOptions Options;
  const char* Format;
  const char* Codec;
  int SampleRate, Channels;
};

void PrintTo(const TAudioConversion& AConversion, std::ostream* AOut) { *AOut << AConversion.Name; }

class AudioConversion : public Transcode, public ::testing::WithParamInterface<TAudioConversion> {};

TEST_P(AudioConversion, ProducesOnlySoundOfTheAskedKind) {
  const TAudioConversion& c = GetParam();
  auto engine = enginetest::NewEngine();
  const std::string out = Out(c.File);
  const TJobResult result = RunJob(*engine, {Clip()}, c.Options, out);
  ASSERT_TRUE(result.Started) << result.Error;
  ASSERT_TRUE(result.Finished) << result.Error;

  const auto probe = Probe(out);
  const std::string format = Value(probe, "format.format_name");
  EXPECT_EQ(format.substr(0, format.find(',')), c.Format);
  EXPECT_EQ(StreamOf(probe, "video"), -1);
  EXPECT_EQ(StreamValue(probe, "audio", "codec_name"), c.Codec);
  EXPECT_EQ(StreamValue(probe, "audio", "sample_rate"), std::to_string(c.SampleRate));
  EXPECT_EQ(StreamValue(probe, "audio", "channels"), std::to_string(c.Channels));
  EXPECT_NEAR(DecodedAudioSamples(out) / static_cast<double>(c.SampleRate), 3.0, 0.1);
  const double duration = Seconds(Value(probe, "format.duration"));
  EXPECT_NEAR(duration >= 0 ? duration : DecodedDuration(out, "a:0"), 3.0, 0.1);
}

const TAudioConversion AudioConversions[] = {
    {"Mp3", "a.mp3", {{"vn", "1"}, {"ab", "128k"}, {"ar", "44100"}}, "mp3", "mp3", 44100, 2},
    {"Wav", "a.wav", {{"vn", "1"}}, "wav", "pcm_s16le", 48000, 2},
    {"WavMono22k", "m.wav", {{"vn", "1"}, {"ar", "22050"}, {"ac", "1"}}, "wav", "pcm_s16le", 22050, 1},
    {"Flac", "a.flac", {{"vn", "1"}}, "flac", "flac", 48000, 2},
    {"Ogg", "a.ogg", {{"vn", "1"}, {"acodec", "libvorbis"}}, "ogg", "vorbis", 48000, 2},
    {"Ac3", "a.ac3", {{"vn", "1"}, {"ab", "192k"}}, "ac3", "ac3", 48000, 2},
    {"M4a", "a.m4a", {{"vn", "1"}, {"acodec", "aac"}, {"ab", "128k"}}, "mov", "aac", 48000, 2},
    {"Wma", "a.wma", {{"vn", "1"}, {"ar", "44100"}}, "asf", "wmav2", 44100, 2},
};

INSTANTIATE_TEST_SUITE_P(Table, AudioConversion, ::testing::ValuesIn(AudioConversions),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// Peak absolute 16-bit sample of a file's first seconds, decoded by the command-line tool.
int PeakSample(const std::string& AFile) {
  const std::string raw = fixtures::Run("ffmpeg -nostdin -v error -i " + fixtures::Quoted(AFile) +
                                        " -f s16le -ac 1 -");
  int peak = 0;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) {
    const int16_t v = static_cast<int16_t>(static_cast<uint8_t>(raw[i]) | (static_cast<uint8_t>(raw[i + 1]) << 8));
    peak = std::max(peak, std::abs(static_cast<int>(v)));
  }
  return peak;
}

TEST_F(Transcode, ResamplingFrom48To44kKeepsTheLength) {
  auto engine = enginetest::NewEngine();
  const std::string out = Out("r.wav");
  const TJobResult result = RunJob(*engine, {Clip()}, {{"ar", "44100"}}, out);
  ASSERT_TRUE(result.Finished) << result.Error;
  const auto probe = Probe(out);
  EXPECT_EQ(StreamValue(probe, "audio", "sample_rate"), "44100");
  // 3 s at 44.1 kHz, within a few milliseconds.
  EXPECT_NEAR(static_cast<double>(DecodedAudioSamples(out)), 3 * 44100.0, 44100 * 0.01);
}

TEST_F(Transcode, VolumeScalesTheSamplesInEveryFormat) {
  const int reference = PeakSample(Clip());
  ASSERT_GT(reference, 1000);
  struct TCase {
    const char* File;
    const char* Codec;  // a 16-bit integer and a float encoder
  };
  for (const TCase& c : {TCase{"half.wav", "pcm_s16le"}, TCase{"half-f.wav", "pcm_f32le"}}) {
    SCOPED_TRACE(c.File);
    auto engine = enginetest::NewEngine();
    engine->SetAudioVolume(128);
    const std::string out = Out(c.File);
    const TJobResult result = RunJob(*engine, {Clip()}, {{"acodec", c.Codec}}, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    EXPECT_NEAR(PeakSample(out), reference / 2.0, reference * 0.03);
  }
}

// Inputs with two sound tracks that differ in rate and channels: the output's sound format is the
// one of the track it encodes (the first, unless a map names another), whatever the other holds.
std::string StereoThenMono8k() {
  return fixtures::Make("stereo48k-mono8k.mkv",
                        "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=2 "
                        "-f lavfi -i sine=frequency=880:sample_rate=8000:duration=2 "
                        "-map 0 -map 1 -ac:a:0 2 -ac:a:1 1 -c:a pcm_s16le -f matroska");
}
std::string Vorbis44kThen22k() {
  return fixtures::Make("vorbis44k-22k.mkv",
                        "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 "
                        "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 "
                        "-f lavfi -i sine=frequency=880:sample_rate=22050:duration=2 "
                        "-map 0 -map 1 -map 2 -ac 2 -c:v mpeg4 -c:a libvorbis -f matroska");
}

TEST_F(Transcode, SoundSettingsComeFromTheEncodedTrack) {
  struct TCase {
    const char* Name;
    std::string Input;
    TOptions Options;
    const char* Output;
    int SampleRate, Channels;
  };
  const TCase cases[] = {
      {"first of two", StereoThenMono8k(), {}, "first.wav", 48000, 2},
      {"first of two, encoder's rates", StereoThenMono8k(), {}, "first.mp3", 48000, 2},
      {"with video", Vorbis44kThen22k(), {{"acodec", "libmp3lame"}}, "first.avi", 44100, 2},
      {"mapped second", StereoThenMono8k(), {{"map", "0:1"}}, "second.wav", 8000, 1},
      {"given rate kept", StereoThenMono8k(), {{"ar", "22050"}}, "given.wav", 22050, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto engine = enginetest::NewEngine();
    const std::string out = Out(c.Output);
    const TJobResult result = RunJob(*engine, {c.Input}, c.Options, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    const auto probe = Probe(out);
    EXPECT_EQ(StreamValue(probe, "audio", "sample_rate"), std::to_string(c.SampleRate));
    EXPECT_EQ(StreamValue(probe, "audio", "channels"), std::to_string(c.Channels));
    EXPECT_NEAR(DecodedAudioSamples(out) / static_cast<double>(c.SampleRate), 2.0, 0.1);
  }
}

// An input opened at a start position is read from the key frame before it: the sound from there
// to the start position is cut off, so the output's sound starts with the sound due at the start
// position and lines up with the pictures.
TEST_F(Transcode, SoundBeforeAnInputsStartPositionIsCutOff) {
  auto engine = enginetest::NewEngine();
  const std::string out = Out("from-1s.wav");
  const TJobResult result = RunJob(*engine, {Clip()}, {{"vn", "1"}}, out, false, {{"ss", "1.1"}});
  ASSERT_TRUE(result.Finished) << result.Error;
  EXPECT_NEAR(DecodedAudioSamples(out) / 48000.0, 1.9, 0.005);
}

// One second of a small picture with 5.1 sound.
std::string SurroundClip() {
  return fixtures::Make("surround-1s.mkv",
                        "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 "
                        "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=1 "
                        "-af aformat=channel_layouts=5.1 -c:v mpeg4 -c:a pcm_s16le -f matroska");
}

// Without an asked channel count the output keeps the input's layout when its encoder takes it,
// and otherwise gets the nearest one the encoder takes, remixed.
TEST_F(Transcode, SurroundSoundFollowsTheLayoutsOfTheEncoder) {
  struct TCase {
    const char* File;
    TOptions Options;
    const char* Codec;
    int Channels;  // 0: the job fails opening the encoder
  };
  const TCase cases[] = {
      {"default.avi", {}, "mp3", 2},  // the format's own audio encoder
      {"a.mp2", {{"vn", "1"}}, "mp2", 2},
      {"lame.mp3", {{"vn", "1"}, {"acodec", "libmp3lame"}}, "mp3", 2},
      {"a.ac3", {{"vn", "1"}}, "ac3", 6},
      {"asked.mp2", {{"vn", "1"}, {"ac", "6"}}, nullptr, 0},  // the caller's own count is kept
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    auto engine = enginetest::NewEngine();
    const std::string out = Out(c.File);
    const TJobResult result = RunJob(*engine, {SurroundClip()}, c.Options, out);
    ASSERT_TRUE(result.Started) << result.Error;
    if (!c.Channels) {
      EXPECT_FALSE(result.Finished);
      EXPECT_NE(result.Error.find("Error while opening encoder for output stream #0.0 (Audio)"), std::string::npos)
          << result.Error;
      continue;
    }
    ASSERT_TRUE(result.Finished) << result.Error;
    const auto probe = Probe(out);
    EXPECT_EQ(StreamValue(probe, "audio", "codec_name"), c.Codec);
    EXPECT_EQ(StreamValue(probe, "audio", "channels"), std::to_string(c.Channels));
    if (&c == &cases[0]) {
      EXPECT_GT(PeakSample(out), 1000) << "the tone is in the remix";
    }
  }
}

// A rate the encoder cannot take becomes the nearest one it can, and the log says so.
TEST_F(Transcode, AnUnsupportedSampleRateBecomesTheNearestSupportedOne) {
  struct TCase {
    const char* File;
    const char* Codec;
    int Rate;
  };
  std::mutex lock;
  std::vector<std::string> lines;
  GetLogger()->SetTriggerEventInMainThread(false);
  GetLogger()->OnLog = [&](TObject*, DWORD, TLogLevel, const std::string& AText) {
    std::lock_guard<std::mutex> guard(lock);
    lines.push_back(AText);
  };
  for (const TCase& c : {TCase{"n.mp3", "libmp3lame", 12000}, TCase{"n.mp2", "mp2", 16000}}) {
    SCOPED_TRACE(c.File);
    auto engine = enginetest::NewEngine();
    const std::string out = Out(c.File);
    const TJobResult result = RunJob(*engine, {Clip()}, {{"vn", "1"}, {"acodec", c.Codec}, {"ar", "12345"}}, out);
    ASSERT_TRUE(result.Finished) << result.Error;
    EXPECT_EQ(StreamValue(Probe(out), "audio", "sample_rate"), std::to_string(c.Rate));
    EXPECT_NEAR(DecodedAudioSamples(out) / static_cast<double>(c.Rate), 3.0, 0.1);
    const std::string said = "Requested sampling rate unsupported using closest supported (" + std::to_string(c.Rate) + ")";
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_NE(std::find(lines.begin(), lines.end(), said), lines.end());
  }
  GetLogger()->OnLog = nullptr;
}

}  // namespace
