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
