#include "platform/core/WavePlayer.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

constexpr std::int64_t kLargestFile = 64 * 1024 * 1024;
constexpr unsigned kLatencyMicroseconds = 100000;  // what the device buffers ahead

// ---- the sound library, bound at run time ----

struct TSoundLibrary {
  decltype(&snd_pcm_open) Open = nullptr;
  decltype(&snd_pcm_set_params) SetParams = nullptr;
  decltype(&snd_pcm_nonblock) NonBlock = nullptr;
  decltype(&snd_pcm_writei) WriteInterleaved = nullptr;
  decltype(&snd_pcm_recover) Recover = nullptr;
  decltype(&snd_pcm_drain) Drain = nullptr;
  decltype(&snd_pcm_drop) Drop = nullptr;
  decltype(&snd_pcm_close) Close = nullptr;
  decltype(&snd_strerror) ErrorText = nullptr;
  std::string LoadError;  // empty when every entry point is bound
};

template <typename T>
bool Bind(void* Module, const char* Name, T& Entry) {
  Entry = reinterpret_cast<T>(::dlsym(Module, Name));
  return Entry != nullptr;
}

// Loaded once for the process and never unloaded.
const TSoundLibrary& SoundLibrary() {
  static const TSoundLibrary library = [] {
    TSoundLibrary lib;
    void* module = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module == nullptr) {
      const char* reason = ::dlerror();
      lib.LoadError = std::string("the sound library cannot be loaded: ") + (reason ? reason : "libasound.so.2");
      return lib;
    }
    const bool bound = Bind(module, "snd_pcm_open", lib.Open) && Bind(module, "snd_pcm_set_params", lib.SetParams) &&
                       Bind(module, "snd_pcm_nonblock", lib.NonBlock) &&
                       Bind(module, "snd_pcm_writei", lib.WriteInterleaved) &&
                       Bind(module, "snd_pcm_recover", lib.Recover) && Bind(module, "snd_pcm_drain", lib.Drain) &&
                       Bind(module, "snd_pcm_drop", lib.Drop) && Bind(module, "snd_pcm_close", lib.Close) &&
                       Bind(module, "snd_strerror", lib.ErrorText);
    if (!bound) lib = TSoundLibrary{.LoadError = "the sound library lacks an entry point it needs"};
    return lib;
  }();
  return library;
}

snd_pcm_format_t LibraryFormat(TWaveSampleFormat Format) {
  switch (Format) {
    case TWaveSampleFormat::wsU8: return SND_PCM_FORMAT_U8;
    case TWaveSampleFormat::wsS16: return SND_PCM_FORMAT_S16_LE;
    case TWaveSampleFormat::wsS24: return SND_PCM_FORMAT_S24_3LE;
    case TWaveSampleFormat::wsS32: return SND_PCM_FORMAT_S32_LE;
    case TWaveSampleFormat::wsFloat32: return SND_PCM_FORMAT_FLOAT_LE;
    case TWaveSampleFormat::wsFloat64: return SND_PCM_FORMAT_FLOAT64_LE;
  }
  return SND_PCM_FORMAT_UNKNOWN;
}

// ---- WAVE files ----

std::uint32_t ReadLE(const std::string& Bytes, std::size_t At, int Size) {
  std::uint32_t value = 0;
  for (int i = Size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(Bytes[At + i]);
  return value;
}

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

// The sample format of a "fmt " chunk's tag and sample size; nothing for one not played here.
std::optional<TWaveSampleFormat> SampleFormatOf(std::uint16_t Tag, std::uint16_t Bits) {
  if (Tag == kFormatPcm) {
    switch (Bits) {
      case 8: return TWaveSampleFormat::wsU8;
      case 16: return TWaveSampleFormat::wsS16;
      case 24: return TWaveSampleFormat::wsS24;
      case 32: return TWaveSampleFormat::wsS32;
    }
  } else if (Tag == kFormatFloat) {
    if (Bits == 32) return TWaveSampleFormat::wsFloat32;
    if (Bits == 64) return TWaveSampleFormat::wsFloat64;
  }
  return std::nullopt;
}

}  // namespace

int TWaveSound::BytesPerSample() const {
  switch (Format) {
    case TWaveSampleFormat::wsU8: return 1;
    case TWaveSampleFormat::wsS16: return 2;
    case TWaveSampleFormat::wsS24: return 3;
    case TWaveSampleFormat::wsS32: return 4;
    case TWaveSampleFormat::wsFloat32: return 4;
    case TWaveSampleFormat::wsFloat64: return 8;
  }
  return 0;
}

std::optional<TWaveSound> ParseWave(const std::string& Bytes, std::string& Error) {
  if (Bytes.size() < 12 || Bytes.compare(0, 4, "RIFF") != 0 || Bytes.compare(8, 4, "WAVE") != 0) {
    Error = "not a WAVE file";
    return std::nullopt;
  }
  std::optional<TWaveSound> sound;
  std::size_t at = 12;
  // Chunks: a four-letter name, a 32-bit size, the body, a pad byte after an odd size.
  while (at + 8 <= Bytes.size()) {
    const std::string name = Bytes.substr(at, 4);
    const std::size_t size = ReadLE(Bytes, at + 4, 4);
    const std::size_t body = at + 8;
    const std::size_t available = std::min(size, Bytes.size() - body);
    if (name == "fmt ") {
      if (available < 16) {
        Error = "the WAVE format chunk is too short";
        return std::nullopt;
      }
      std::uint16_t tag = static_cast<std::uint16_t>(ReadLE(Bytes, body, 2));
      const int channels = static_cast<int>(ReadLE(Bytes, body + 2, 2));
      const std::uint32_t rate = ReadLE(Bytes, body + 4, 4);
      const std::uint16_t bits = static_cast<std::uint16_t>(ReadLE(Bytes, body + 14, 2));
      // The extensible form names the real format in the first two bytes of its sub-format.
      if (tag == kFormatExtensible && available >= 26) tag = static_cast<std::uint16_t>(ReadLE(Bytes, body + 24, 2));
      const auto format = SampleFormatOf(tag, bits);
      if (!format) {
        Error = "the WAVE file's sample format (" + std::to_string(tag) + ", " + std::to_string(bits) +
                " bits) is not played";
        return std::nullopt;
      }
      if (channels < 1 || channels > 32 || rate < 1 || rate > 768000) {
        Error = "the WAVE file's channel count or sample rate is out of range";
        return std::nullopt;
      }
      sound = TWaveSound{channels, static_cast<int>(rate), *format, {}};
    } else if (name == "data") {
      if (!sound) {
        Error = "the WAVE file has its samples before its format";
        return std::nullopt;
      }
      const std::size_t whole = available - available % static_cast<std::size_t>(sound->FrameBytes());
      sound->Samples = Bytes.substr(body, whole);
      return sound;
    }
    if (size > Bytes.size() - body) break;
    at = body + size + (size & 1);
  }
  Error = sound ? "the WAVE file holds no samples" : "the WAVE file has no format chunk";
  return std::nullopt;
}

std::optional<TWaveSound> ReadWaveFile(const std::string& FileName, std::string& Error) {
  struct stat st {};
  if (::stat(FileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    Error = "no sound file " + FileName;
    return std::nullopt;
  }
  if (st.st_size > kLargestFile) {
    Error = "the sound file " + FileName + " is too large";
    return std::nullopt;
  }
  std::ifstream in(FileName, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    Error = "cannot read " + FileName;
    return std::nullopt;
  }
  auto sound = ParseWave(bytes, Error);
  if (!sound) Error = FileName + ": " + Error;
  return sound;
}

// ---- the player ----

TWavePlayer::TWavePlayer(std::string Device) : device_(std::move(Device)) {}

TWavePlayer::~TWavePlayer() { Stop(); }

bool TWavePlayer::Play(const std::string& FileName, std::string* Error) {
  Stop();
  std::string reason;
  auto fail = [&](std::string Why) {
    if (Error != nullptr) *Error = std::move(Why);
    return false;
  };
  std::optional<TWaveSound> sound = ReadWaveFile(FileName, reason);
  if (!sound) return fail(reason);
  const TSoundLibrary& lib = SoundLibrary();
  if (!lib.LoadError.empty()) return fail(lib.LoadError);
  // Opened without blocking, so a busy device answers at once instead of holding the caller.
  snd_pcm_t* pcm = nullptr;
  int rc = lib.Open(&pcm, device_.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (rc < 0) return fail("cannot open the sound device " + device_ + ": " + lib.ErrorText(rc));
  rc = lib.NonBlock(pcm, 0);
  if (rc >= 0)
    rc = lib.SetParams(pcm, LibraryFormat(sound->Format), SND_PCM_ACCESS_RW_INTERLEAVED,
                       static_cast<unsigned>(sound->Channels), static_cast<unsigned>(sound->SampleRate), 1,
                       kLatencyMicroseconds);
  if (rc < 0) {
    lib.Close(pcm);
    return fail("the sound device " + device_ + " does not take the sound: " + lib.ErrorText(rc));
  }
  if (Error != nullptr) Error->clear();
  stop_ = false;
  playing_ = true;
  thread_ = std::thread([this, pcm, s = std::move(*sound)]() mutable { Run(pcm, std::move(s)); });
  return true;
}

void TWavePlayer::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  thread_.join();
  playing_ = false;
}

void TWavePlayer::Run(void* Pcm, TWaveSound Sound) {
  const TSoundLibrary& lib = SoundLibrary();
  auto* pcm = static_cast<snd_pcm_t*>(Pcm);
  const std::int64_t frames = Sound.FrameCount();
  // A twentieth of a second per write, so a stop is seen soon.
  const std::int64_t chunk = std::max(1, Sound.SampleRate / 20);
  std::int64_t written = 0;
  while (written < frames && !stop_) {
    const snd_pcm_uframes_t count = static_cast<snd_pcm_uframes_t>(std::min(chunk, frames - written));
    snd_pcm_sframes_t n = lib.WriteInterleaved(pcm, Sound.Samples.data() + written * Sound.FrameBytes(), count);
    if (n < 0) n = lib.Recover(pcm, static_cast<int>(n), 1);  // an underrun or a suspend
    if (n < 0) break;                                         // the device is gone
    written += n;
  }
  if (stop_)
    lib.Drop(pcm);
  else
    lib.Drain(pcm);
  lib.Close(pcm);
  playing_ = false;
}
