// WAVE files and the background sound player: which files are read and how, and sound played on
// the sound library's file device (which writes what it is given), a missing device and a stop.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "platform/core/SysUtils.h"
#include "platform/core/WavePlayer.h"
#include "tests/PollUntil.h"

namespace {

std::string LE(std::uint32_t value, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

std::string Chunk(const std::string& name, const std::string& body) {
  std::string chunk = name + LE(static_cast<std::uint32_t>(body.size()), 4) + body;
  if (body.size() % 2 == 1) chunk += '\0';
  return chunk;
}

std::string Format(int tag, int channels, int rate, int bits) {
  const int block = channels * bits / 8;
  return Chunk("fmt ", LE(tag, 2) + LE(channels, 2) + LE(rate, 4) + LE(rate * block, 4) + LE(block, 2) + LE(bits, 2));
}

// The extensible form: the real format tag in the sub-format's first two bytes.
std::string ExtensibleFormat(int subTag, int channels, int rate, int bits) {
  const int block = channels * bits / 8;
  return Chunk("fmt ", LE(0xFFFE, 2) + LE(channels, 2) + LE(rate, 4) + LE(rate * block, 4) + LE(block, 2) +
                           LE(bits, 2) + LE(22, 2) + LE(bits, 2) + LE(3, 4) + LE(subTag, 2) + std::string(14, 'g'));
}

std::string Riff(const std::string& chunks) { return "RIFF" + LE(4 + chunks.size(), 4) + "WAVE" + chunks; }

std::string Samples(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += static_cast<char>(i * 7 + 1);
  return bytes;
}

TEST(WaveFileTest, FormatsAndChunksAreReadAndBadFilesRefused) {
  struct Case {
    const char* what;
    std::string bytes;
    bool ok;
    TWaveSampleFormat format;
    int channels, rate;
    std::size_t sampleBytes;
  };
  using enum TWaveSampleFormat;
  const std::string data = Chunk("data", Samples(48));
  const Case cases[] = {
      {"16-bit stereo", Riff(Format(1, 2, 44100, 16) + data), true, wsS16, 2, 44100, 48},
      {"8-bit mono", Riff(Format(1, 1, 8000, 8) + data), true, wsU8, 1, 8000, 48},
      {"24-bit stereo", Riff(Format(1, 2, 48000, 24) + data), true, wsS24, 2, 48000, 48},
      {"32-bit float", Riff(Format(3, 1, 22050, 32) + data), true, wsFloat32, 1, 22050, 48},
      {"extensible 32-bit", Riff(ExtensibleFormat(1, 2, 96000, 32) + data), true, wsS32, 2, 96000, 48},
      {"odd chunk before the format is skipped with its pad byte",
       Riff(Chunk("LIST", "abc") + Format(1, 1, 8000, 16) + Chunk("fact", "1234") + data), true, wsS16, 1, 8000, 48},
      {"samples cut short give whole frames", Riff(Format(1, 2, 8000, 16)) + "data" + LE(1000, 4) + Samples(30), true,
       wsS16, 2, 8000, 28},
      {"not RIFF", "RIFX" + Riff(data).substr(4), false, wsS16, 0, 0, 0},
      {"empty", "", false, wsS16, 0, 0, 0},
      {"no format", Riff(data), false, wsS16, 0, 0, 0},
      {"samples before the format", Riff(data + Format(1, 1, 8000, 16)), false, wsS16, 0, 0, 0},
      {"compressed", Riff(Format(2, 1, 8000, 4) + data), false, wsS16, 0, 0, 0},
      {"no channels", Riff(Format(1, 0, 8000, 16) + data), false, wsS16, 0, 0, 0},
      {"short format chunk", Riff(Chunk("fmt ", "12345678") + data), false, wsS16, 0, 0, 0},
      {"no samples", Riff(Format(1, 1, 8000, 16)), false, wsS16, 0, 0, 0},
      {"chunk size past the end", Riff(Chunk("LIST", "ab").substr(0, 4) + LE(0xFFFFFFF0u, 4) + "ab"), false, wsS16, 0,
       0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    const std::optional<TWaveSound> sound = ParseWave(c.bytes, error);
    ASSERT_EQ(sound.has_value(), c.ok) << error;
    if (!c.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(sound->Format, c.format);
    EXPECT_EQ(sound->Channels, c.channels);
    EXPECT_EQ(sound->SampleRate, c.rate);
    EXPECT_EQ(sound->Samples, Samples(48).substr(0, c.sampleBytes));
  }
}

class WavePlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing::TempDir() + "wave-" + std::to_string(::getpid());
    ForceDirectories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // The sound library's file device: it takes any format and writes the samples to FileName.
  static std::string FileDevice(const std::string& FileName) { return "file:FILE=" + FileName + ",FORMAT=raw"; }

  std::string dir;
};

TEST_F(WavePlayerTest, ASoundPlaysInTheBackgroundToTheDevice) {
  // A quarter of a second of 16-bit stereo at 8000 Hz.
  const std::string samples = Samples(8000 / 4 * 4);
  const std::string wave = Write("ring.wav", Riff(Format(1, 2, 8000, 16) + Chunk("data", samples)));
  const std::string played = dir + "/played.raw";
  TWavePlayer player(FileDevice(played));
  std::string error;
  ASSERT_TRUE(player.Play(wave, &error)) << error;
  EXPECT_TRUE(test_wait::PollUntil([&] { return !player.Playing(); })) << "the sound ends";
  std::stringstream bytes;
  bytes << std::ifstream(played, std::ios::binary).rdbuf();
  EXPECT_EQ(bytes.str(), samples);

  // Playing again replaces the previous sound.
  ASSERT_TRUE(player.Play(wave, &error)) << error;
  ASSERT_TRUE(player.Play(wave, &error)) << error;
}

TEST_F(WavePlayerTest, NothingPlaysWithoutAFileOrADevice) {
  const std::string wave = Write("ring.wav", Riff(Format(1, 1, 8000, 16) + Chunk("data", Samples(800))));
  struct Case {
    const char* what;
    std::string device, file;
    const char* reason;
  };
  const Case cases[] = {
      {"missing file", "null", dir + "/sounds/ring001.wav", "ring001.wav"},
      {"a text file", "null", Write("notes.wav", "not a sound"), "not a WAVE"},
      {"a folder", "null", dir, "no sound file"},
      {"no such device", "hw:97,0", wave, "hw:97,0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TWavePlayer player(c.device);
    std::string error;
    EXPECT_FALSE(player.Play(c.file, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_FALSE(player.Playing());
  }
}

TEST_F(WavePlayerTest, StopEndsALongSoundAtOnce) {
  // Ten seconds of 8-bit mono at 8000 Hz on the null device.
  const std::string wave = Write("long.wav", Riff(Format(1, 1, 8000, 8) + Chunk("data", std::string(80000, '\x80'))));
  TWavePlayer player("null");
  std::string error;
  ASSERT_TRUE(player.Play(wave, &error)) << error;
  const auto start = std::chrono::steady_clock::now();
  player.Stop();
  EXPECT_FALSE(player.Playing());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
