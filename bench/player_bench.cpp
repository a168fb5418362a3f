// Player benchmark: CPU time to play a 30-second 640x360 clip with sound through TFFPlayer, and
// the audio-video offset sampled along the way, beside the command-line player of the media
// libraries' package on the same clip (when it is installed). Both run with SDL's dummy video and
// audio drivers. Prints figures; not a test.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Src/FFPlay.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "platform/Thread.h"

namespace {

double CpuSeconds(const rusage& r) {
  return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

std::string MakeClip() {
  const std::string file = "/tmp/player-bench-640x360-30s.mp4";
  if (access(file.c_str(), R_OK) == 0) return file;
  const std::string command =
      "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=640x360:rate=25:duration=30 "
      "-f lavfi -i sine=frequency=440:duration=30 -c:v mpeg4 -q:v 4 -c:a aac -ac 2 -ar 44100 " + file;
  if (std::system(command.c_str()) != 0) return "";
  return file;
}

void PlayWithComponent(const std::string& AFile) {
  TFFPlayer player(nullptr);
  bool ended = false;
  player.OnState = [&](TObject*, TPlayState AState) { ended = ended || AState == TPlayState::psEnd; };
  std::vector<double> offsets;
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  const auto start = std::chrono::steady_clock::now();
  if (!player.Open(AFile, 0, false)) {
    std::printf("player: could not open %s: %s\n", AFile.c_str(), player.LastErrMsg().c_str());
    return;
  }
  auto lastSample = std::chrono::steady_clock::now();
  while (!ended && std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
    CheckSynchronize(10);
    PumpPendingMessages();
    if (std::chrono::steady_clock::now() - lastSample >= std::chrono::milliseconds(100)) {
      lastSample = std::chrono::steady_clock::now();
      std::lock_guard lock(player.FDataLock);
      if (playback::TVideoState* S = player.State(); S && S->picture_shown && S->audio_st && !S->ReachEOF)
        offsets.push_back(playback::GetVideoClock(*S) - playback::GetAudioClock(*S));
    }
  }
  player.Stop(true);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  getrusage(RUSAGE_SELF, &after);
  double sumAbs = 0, maxAbs = 0;
  for (double o : offsets) {
    sumAbs += std::fabs(o);
    maxAbs = std::max(maxAbs, std::fabs(o));
  }
  std::printf("TFFPlayer: %s, wall %.2f s, CPU %.2f s\n", ended ? "reached the end" : "did NOT reach the end", wall,
              CpuSeconds(after) - CpuSeconds(before));
  if (!offsets.empty())
    std::printf("TFFPlayer: audio-video offset over %zu samples: mean |offset| %.1f ms, max |offset| %.1f ms\n",
                offsets.size(), 1000 * sumAbs / offsets.size(), 1000 * maxAbs);
}

void PlayWithCommandLinePlayer(const std::string& AFile) {
  if (std::system("command -v ffplay >/dev/null 2>&1") != 0) {
    std::printf("ffplay: not installed, no comparison\n");
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execlp("ffplay", "ffplay", "-autoexit", "-loglevel", "error", "-nostats", AFile.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("ffplay -autoexit: exit %d, wall %.2f s, CPU %.2f s\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1,
              wall, CpuSeconds(usage));
}

}  // namespace

int main() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  static const int holder = 0;
  if (!FFLoader().Load(PlayerLibraries, &holder)) {
    std::printf("libraries: %s\n", FFLoader().LastErrMsg().c_str());
    return 1;
  }
  const std::string clip = MakeClip();
  if (clip.empty()) {
    std::printf("could not make the clip with ffmpeg\n");
    return 1;
  }
  std::printf("clip: %s (30 s, 640x360, 25 pictures/s, stereo 44.1 kHz)\n", clip.c_str());
  PlayWithComponent(clip);
  PlayWithCommandLinePlayer(clip);
  return 0;
}
