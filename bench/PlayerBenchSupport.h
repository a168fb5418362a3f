#pragma once
// What the playback benchmarks share: the 30-second clip, CPU time of this process and of a
// child, the audio-video offset sampled from a playing player, and the command-line player of the
// media libraries' package run on the same clip as the reference.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Src/FFPlay.h"
#include "tests/Src/MediaFixtures.h"

namespace playerbench {

inline double CpuSeconds(const rusage& R) {
  return R.ru_utime.tv_sec + R.ru_stime.tv_sec + (R.ru_utime.tv_usec + R.ru_stime.tv_usec) / 1e6;
}

inline double ProcessCpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return CpuSeconds(r);
}

// 30 seconds of a 640x360 test picture at 25 pictures a second (MPEG-4) with a stereo 44.1 kHz
// tone (AAC), made once.
inline std::string Clip() {
  return fixtures::Make(
      "player-bench-640x360-30s.mp4",
      "-f lavfi -i testsrc=size=640x360:rate=25:duration=30 -f lavfi -i sine=frequency=440:duration=30 "
      "-c:v mpeg4 -q:v 4 -c:a aac -ac 2 -ar 44100 -f mp4");
}

// |video clock - audio clock| of a playing player, sampled while pictures are shown and the file
// has not reached its end.
class TOffsetSamples {
 public:
  void Sample(TCustomPlayer& APlayer) {
    std::lock_guard lock(APlayer.FDataLock);
    if (playback::TVideoState* S = APlayer.State(); S && S->picture_shown && S->audio_st && !S->ReachEOF)
      Add(playback::GetVideoClock(*S) - playback::GetAudioClock(*S));
  }
  void Add(double ASeconds) { samples_.push_back(std::fabs(ASeconds)); }
  [[nodiscard]] std::size_t Count() const { return samples_.size(); }
  [[nodiscard]] double MeanMs() const {
    double sum = 0;
    for (double s : samples_) sum += s;
    return samples_.empty() ? 0 : 1000 * sum / samples_.size();
  }
  [[nodiscard]] double MaxMs() const {
    return samples_.empty() ? 0 : 1000 * *std::max_element(samples_.begin(), samples_.end());
  }
  // The share of samples within ALimitMs.
  [[nodiscard]] double ShareWithin(double ALimitMs) const {
    if (samples_.empty()) return 0;
    return double(std::count_if(samples_.begin(), samples_.end(), [&](double s) { return s * 1000 <= ALimitMs; })) /
           samples_.size();
  }
  void Print(const char* AWho, double ALimitMs) const {
    if (samples_.empty()) {
      std::printf("%s: no audio-video offset sampled\n", AWho);
      return;
    }
    std::printf("%s: audio-video offset over %zu samples: mean |offset| %.1f ms, max %.1f ms, %.1f%% within %.0f ms\n",
                AWho, Count(), MeanMs(), MaxMs(), 100 * ShareWithin(ALimitMs), ALimitMs);
  }

 private:
  std::vector<double> samples_;
};

// 20 seconds of the 640x360 test picture with a 64x64 corner that is black but for one white
// picture at every whole second, and a stereo 44.1 kHz sound that is silent but for a 10 ms
// 1 kHz click at every whole second: a flash and its click belong to the same instant.
inline std::string SyncClip() {
  return fixtures::Make(
      "player-bench-sync-640x360-20s.mp4",
      "-f lavfi -i testsrc=size=640x360:rate=25:duration=20 "
      "-f lavfi -i aevalsrc='if(lt(mod(t\\,1)\\,0.01)\\,0.8*sin(2*PI*1000*t)\\,0)|"
      "if(lt(mod(t\\,1)\\,0.01)\\,0.8*sin(2*PI*1000*t)\\,0)':s=44100:d=20 "
      "-vf drawbox=x=0:y=0:w=64:h=64:c=black:t=fill,"
      "drawbox=x=0:y=0:w=64:h=64:c=white:t=fill:enable='lt(mod(t\\,1)\\,0.039)' "
      "-c:v mpeg4 -q:v 4 -c:a aac -ac 2 -ar 44100 -f mp4");
}

// The real audio-video offset of a playback of SyncClip: when each flash is handed to the
// display and when its click is heard. A click is heard when the device plays the bytes the
// callback handed over: after the device buffer it already holds (SDL plays one buffer while
// the next is filled), plus the click's place in the bytes handed over.
class TSyncMeter {
 public:
  void Attach(TFFPlayer& APlayer) {
    APlayer.Probe.Picture = [this](const uint8_t* ALuma, int APitch, int AWidth, int AHeight, double AWallTime) {
      OnPicture(ALuma, APitch, AWidth, AHeight, AWallTime);
    };
    APlayer.Probe.Sound = [this](const uint8_t* ASamples, int ABytes, double AWallTime, int ADeviceBytes,
                                 int ABytesPerSecond) { OnSound(ASamples, ABytes, AWallTime, ADeviceBytes, ABytesPerSecond); };
  }
  // picture time - sound time, seconds, for every flash with a click within half a second.
  [[nodiscard]] std::vector<double> Offsets() const {
    std::vector<double> offsets;
    for (double flash : flashes_) {
      double best = 1e9;
      for (double click : clicks_)
        if (std::fabs(flash - click) < std::fabs(best)) best = flash - click;
      if (std::fabs(best) < 0.5) offsets.push_back(best);
    }
    return offsets;
  }
  void Print(const char* AWho, double ALimitMs) const {
    std::vector<double> offsets = Offsets();
    if (offsets.empty()) {
      std::printf("%s: real offset: no flash matched a click (%zu flashes, %zu clicks)\n", AWho, flashes_.size(),
                  clicks_.size());
      return;
    }
    std::vector<double> sizes;
    double sum = 0;
    for (double o : offsets) {
      sizes.push_back(std::fabs(o));
      sum += o;
    }
    std::sort(sizes.begin(), sizes.end());
    std::printf("%s: real offset of each flash, ms:", AWho);
    for (double o : offsets) std::printf(" %+.0f", 1000 * o);
    std::printf("\n");
    std::printf(
        "%s: real offset (picture shown - click heard) over %zu flashes: mean %+.1f ms, median |offset| %.1f ms, "
        "max |offset| %.1f ms (goal <= %.0f ms), device buffer %.1f ms\n",
        AWho, offsets.size(), 1000 * sum / offsets.size(), 1000 * sizes[sizes.size() / 2], 1000 * sizes.back(),
        ALimitMs, 1000 * deviceSeconds_);
  }

 private:
  void OnPicture(const uint8_t* ALuma, int APitch, int AWidth, int AHeight, double AWallTime) {
    if (!ALuma || AWidth < 64 || AHeight < 64) return;
    // The corner's middle, scaled with the picture (the display may be another size).
    const int x0 = AWidth * 8 / 640, x1 = AWidth * 56 / 640, y0 = AHeight * 8 / 360, y1 = AHeight * 56 / 360;
    long sum = 0, count = 0;
    for (int y = y0; y < y1; y += 4)
      for (int x = x0; x < x1; x += 4, ++count) sum += ALuma[y * APitch + x];
    const bool bright = count > 0 && sum / count > 128;
    if (bright && !lastBright_) flashes_.push_back(AWallTime);
    lastBright_ = bright;
  }
  void OnSound(const uint8_t* ASamples, int ABytes, double AWallTime, int ADeviceBytes, int ABytesPerSecond) {
    if (ABytesPerSecond <= 0) return;
    deviceSeconds_ = double(ADeviceBytes) / ABytesPerSecond;
    const auto* samples = reinterpret_cast<const int16_t*>(ASamples);
    for (int i = 0; i < ABytes / 2; ++i) {
      const double heard = AWallTime + (double(ADeviceBytes) + 2.0 * i) / ABytesPerSecond;
      if (std::abs(int(samples[i])) > 3000) {
        if (heard - lastLoud_ > 0.5) clicks_.push_back(heard);
        lastLoud_ = heard;
      }
    }
  }
  std::vector<double> flashes_, clicks_;
  bool lastBright_ = false;
  double lastLoud_ = -1e9;
  double deviceSeconds_ = 0;
};

struct TCommandLineRun {
  bool ran = false;
  int exit = -1;
  double wall = 0, cpu = 0;
  std::string errors;  // what it wrote on standard error
};

// Runs the command-line player with AArguments (the clip last) and the environment ASettings,
// waiting for it; its CPU time is its own (and its threads').
inline TCommandLineRun RunCommandLinePlayer(const std::vector<std::string>& AArguments,
                                            const std::vector<std::pair<std::string, std::string>>& ASettings) {
  TCommandLineRun run;
  if (std::system("command -v ffplay >/dev/null 2>&1") != 0) return run;
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return run;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    for (const auto& [name, value] : ASettings) setenv(name.c_str(), value.c_str(), 1);
    dup2(pipe_fds[1], STDERR_FILENO);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    std::vector<char*> argv{const_cast<char*>("ffplay")};
    for (const std::string& a : AArguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp("ffplay", argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipe_fds[0], buffer, sizeof buffer)) > 0) run.errors.append(buffer, static_cast<size_t>(n));
  close(pipe_fds[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.ran = true;
  run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpu = CpuSeconds(usage);
  return run;
}

// The offsets of the command-line player's status lines ("... A-V: 0.012 ..."), in seconds.
inline TOffsetSamples StatusLineOffsets(const std::string& AErrors) {
  TOffsetSamples samples;
  for (std::size_t at = AErrors.find("A-V:"); at != std::string::npos; at = AErrors.find("A-V:", at + 4))
    if (const double offset = std::strtod(AErrors.c_str() + at + 4, nullptr); std::isfinite(offset))
      samples.Add(offset);
  return samples;
}

}  // namespace playerbench
