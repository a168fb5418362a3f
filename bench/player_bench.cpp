// Player benchmark: CPU time to play a 30-second 640x360 clip with sound through TFFPlayer, and
// the audio-video offset sampled along the way, beside the command-line player of the media
// libraries' package on the same clip (when it is installed). Both run with SDL's dummy video and
// audio drivers. Prints figures; not a test.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PlayerBenchSupport.h"
#include "Src/FFPlay.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "platform/core/Thread.h"

namespace {

void PlayWithComponent(const std::string& AFile) {
  TFFPlayer player(nullptr);
  bool ended = false;
  player.OnState = [&](TObject*, TPlayState AState) { ended = ended || AState == TPlayState::psEnd; };
  playerbench::TOffsetSamples offsets;
  const double cpuBefore = playerbench::ProcessCpuSeconds();
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
      offsets.Sample(player);
    }
  }
  player.Stop(true);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("TFFPlayer: %s, wall %.2f s, CPU %.2f s\n", ended ? "reached the end" : "did NOT reach the end", wall,
              playerbench::ProcessCpuSeconds() - cpuBefore);
  offsets.Print("TFFPlayer", 40);
}

void PlayWithCommandLinePlayer(const std::string& AFile) {
  const playerbench::TCommandLineRun run =
      playerbench::RunCommandLinePlayer({"-autoexit", "-loglevel", "error", "-nostats", AFile},
                                        {{"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"}});
  if (!run.ran) {
    std::printf("ffplay: not installed, no comparison\n");
    return;
  }
  std::printf("ffplay -autoexit: exit %d, wall %.2f s, CPU %.2f s\n", run.exit, run.wall, run.cpu);
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
  const std::string clip = playerbench::Clip();
  std::printf("clip: %s (30 s, 640x360, 25 pictures/s, stereo 44.1 kHz)\n", clip.c_str());
  PlayWithComponent(clip);
  PlayWithCommandLinePlayer(clip);
  return 0;
}
