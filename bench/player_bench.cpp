// Player benchmark: CPU time to play a 30-second 640x360 clip with sound through TFFPlayer, and
// the audio-video offset sampled along the way, beside the command-line player of the media
// libraries' package on the same clip (when it is installed); the real audio-video offset on a
// clip of flashes and clicks (each flash's display against its click's play-out) beside the
// player's own estimate; and the wake-ups a second of each thread of a paused player. Everything
// runs with SDL's dummy video and audio drivers. Prints figures; not a test.
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "PlayerBenchSupport.h"
#include "Src/FFPlay.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "platform/core/Thread.h"

namespace {

// Opens AFile in APlayer and plays it to its end (at most ALimit), sampling the player's own
// offset estimate into AOffsets every 100 ms. False when the file did not open.
bool PlayToTheEnd(TFFPlayer& APlayer, const std::string& AFile, std::chrono::seconds ALimit,
                  playerbench::TOffsetSamples& AOffsets, bool& AEnded) {
  AEnded = false;
  APlayer.OnState = [&](TObject*, TPlayState AState) { AEnded = AEnded || AState == TPlayState::psEnd; };
  const auto start = std::chrono::steady_clock::now();
  if (!APlayer.Open(AFile, 0, false)) {
    std::printf("player: could not open %s: %s\n", AFile.c_str(), APlayer.LastErrMsg().c_str());
    return false;
  }
  auto lastSample = start;
  while (!AEnded && std::chrono::steady_clock::now() - start < ALimit) {
    CheckSynchronize(10);
    PumpPendingMessages();
    if (std::chrono::steady_clock::now() - lastSample >= std::chrono::milliseconds(100)) {
      lastSample = std::chrono::steady_clock::now();
      AOffsets.Sample(APlayer);
    }
  }
  APlayer.Stop(true);
  return true;
}

void PlayWithComponent(const std::string& AFile) {
  TFFPlayer player(nullptr);
  playerbench::TOffsetSamples offsets;
  const double cpuBefore = playerbench::ProcessCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  bool ended = false;
  if (!PlayToTheEnd(player, AFile, std::chrono::seconds(60), offsets, ended)) return;
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("TFFPlayer: %s, wall %.2f s, CPU %.2f s\n", ended ? "reached the end" : "did NOT reach the end", wall,
              playerbench::ProcessCpuSeconds() - cpuBefore);
  offsets.Print("TFFPlayer", 40);
}

// Plays the clip of flashes and clicks to its end and prints the real offset beside the player's
// own estimate.
void PlaySyncClip(const std::string& AFile) {
  TFFPlayer player(nullptr);
  playerbench::TSyncMeter meter;
  meter.Attach(player);
  playerbench::TOffsetSamples estimates;
  bool ended = false;
  if (!PlayToTheEnd(player, AFile, std::chrono::seconds(40), estimates, ended)) return;
  if (!ended) std::printf("TFFPlayer: the clip of flashes did NOT reach its end\n");
  meter.Print("TFFPlayer", 40);
  estimates.Print("TFFPlayer's own estimate", 40);
}

// Voluntary context switches of each thread of this process, by thread id, with the thread's name.
std::map<int, std::pair<std::string, long>> ThreadSwitches() {
  std::map<int, std::pair<std::string, long>> result;
  DIR* dir = opendir("/proc/self/task");
  if (!dir) return result;
  while (dirent* entry = readdir(dir)) {
    const int tid = std::atoi(entry->d_name);
    if (tid <= 0) continue;
    const std::string base = std::string("/proc/self/task/") + entry->d_name;
    std::ifstream comm(base + "/comm"), status(base + "/status");
    std::string name, line;
    std::getline(comm, name);
    long switches = 0;
    while (std::getline(status, line))
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0) switches = std::atol(line.c_str() + 24);
    result[tid] = {name, switches};
  }
  closedir(dir);
  return result;
}

// Opens the clip, plays a second, pauses, and counts over 4 seconds the wake-ups of every thread
// of the player (the benchmark's own thread sleeps meanwhile) and the CPU share.
void PausedWakeups(const std::string& AFile) {
  TFFPlayer player(nullptr);
  if (!player.Open(AFile, 0, false)) {
    std::printf("player: could not open %s: %s\n", AFile.c_str(), player.LastErrMsg().c_str());
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) {
    CheckSynchronize(10);
    PumpPendingMessages();
  }
  player.Pause();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the pause settles
  constexpr double Seconds = 4;
  const auto before = ThreadSwitches();
  const double cpuBefore = playerbench::ProcessCpuSeconds();
  std::this_thread::sleep_for(std::chrono::duration<double>(Seconds));
  const double cpu = playerbench::ProcessCpuSeconds() - cpuBefore;
  const auto after = ThreadSwitches();
  std::printf("paused player: CPU %.2f%% of a core; wake-ups a second by thread:", 100 * cpu / Seconds);
  double total = 0;
  for (const auto& [tid, named] : after) {
    if (tid == getpid()) continue;  // the benchmark's own thread
    const auto was = before.find(tid);
    const long woke = named.second - (was != before.end() ? was->second.second : 0);
    total += woke / Seconds;
    if (woke > 0) std::printf(" %s#%d %.1f", named.first.c_str(), tid, woke / Seconds);
  }
  std::printf("; total %.1f\n", total);
  player.Stop(true);
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

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  static const int holder = 0;
  if (!FFLoader().Load(PlayerLibraries, &holder)) {
    std::printf("libraries: %s\n", FFLoader().LastErrMsg().c_str());
    return 1;
  }
  const std::string clip = playerbench::Clip();
  std::printf("clip: %s (30 s, 640x360, 25 pictures/s, stereo 44.1 kHz)\n", clip.c_str());
  if (argc > 1 && std::string(argv[1]) == "--sync") {  // the offset and the paused figures only
    PlaySyncClip(playerbench::SyncClip());
    PausedWakeups(clip);
    return 0;
  }
  PlayWithComponent(clip);
  PlayWithCommandLinePlayer(clip);
  std::printf("sync clip: %s (20 s, a flash and a click at every whole second)\n", playerbench::SyncClip().c_str());
  PlaySyncClip(playerbench::SyncClip());
  PausedWakeups(clip);
  return 0;
}
