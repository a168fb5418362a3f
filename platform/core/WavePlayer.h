#pragma once
// Short sounds (RIFF WAVE files of PCM or floating-point samples) played in the background on a
// sound device of the system's sound library (ALSA), the way a program plays a notification
// sound: the call returns at once and the sound plays on a thread of the player.
//
// The sound library is loaded on first use ("libasound.so.2"); without it, without a device, or
// with a file that is missing or no such WAVE, nothing plays and the caller is told why. The
// player does not touch SDL, so it can sound while a video player holds SDL's audio device.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

// The sample formats a WAVE file can hold here: unsigned 8-bit, signed 16-, 24- (three bytes)
// and 32-bit, 32- and 64-bit floating point, all little-endian and interleaved.
enum class TWaveSampleFormat { wsU8, wsS16, wsS24, wsS32, wsFloat32, wsFloat64 };

struct TWaveSound {
  int Channels = 0;
  int SampleRate = 0;  // frames per second
  TWaveSampleFormat Format = TWaveSampleFormat::wsS16;
  std::string Samples;  // whole frames only

  [[nodiscard]] int BytesPerSample() const;
  [[nodiscard]] int FrameBytes() const { return Channels * BytesPerSample(); }
  [[nodiscard]] std::int64_t FrameCount() const {
    return FrameBytes() > 0 ? std::int64_t(Samples.size()) / FrameBytes() : 0;
  }
};

// Reads the sound of a WAVE file: the "fmt " chunk (format 1 PCM, 3 floating point, or the
// extensible form of either) and the samples of the "data" chunk; other chunks are skipped. A
// data chunk cut short by the end of the file gives the whole frames that are there. Nothing,
// with the reason in Error, for a missing or unreadable file, one larger than 64 MiB, or one that
// is no such WAVE.
[[nodiscard]] std::optional<TWaveSound> ReadWaveFile(const std::string& FileName, std::string& Error);
// The same for the bytes of a file.
[[nodiscard]] std::optional<TWaveSound> ParseWave(const std::string& Bytes, std::string& Error);

// Plays one sound at a time on one device. Play, Stop and the destructor are for one thread (the
// GUI thread); Playing may be asked anywhere.
class TWavePlayer {
 public:
  // Device: the sound library's device name; "default" is the user's sound output.
  explicit TWavePlayer(std::string Device = "default");
  // Stops a sound still playing and waits for the player's thread.
  ~TWavePlayer();
  TWavePlayer(const TWavePlayer&) = delete;
  TWavePlayer& operator=(const TWavePlayer&) = delete;

  // Stops a sound still playing, then starts FileName and returns at once. False, with the
  // reason in *Error when given, when nothing plays: the file is missing or no WAVE of the
  // formats above, the sound library is missing, or the device cannot be opened (none, or busy)
  // or does not take the sound's format.
  bool Play(const std::string& FileName, std::string* Error = nullptr);
  // Ends the sound at once (what was handed to the device is dropped) and waits for the thread.
  void Stop();
  // A sound is being played (true from a successful Play until its last frame was played).
  [[nodiscard]] bool Playing() const { return playing_.load(); }

 private:
  void Run(void* Pcm, TWaveSound Sound);

  const std::string device_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> playing_{false};
};
