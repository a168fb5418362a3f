// How long does the stop button take? A batch of 24 H.264 conversions running at once (the
// encoder holds a few dozen pictures it must finish at a stop) is stopped with
// Stop(true), which returns when every task has ended; beside it, in the same run, the stop of a
// single running conversion (the floor) and 24 tasks stopped one after another, each waited for
// before the next hears of it (how the component used to stop). The batch is stopped twice over:
// as soon as every task has reported (most encoders have given out no picture yet, and the file
// needs the pictures they hold), and once every task has converted 4 s (the encoders are under
// way). Prints the times; it checks nothing. Five rounds each: the minimum, median and maximum. Build without the sanitizers for
// meaningful numbers.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "Src/Convexa.h"
#include "Src/FFUtils.h"
#include "bench/BatchBenchSupport.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int TaskCount = 24;

double Seconds(Clock::time_point AStart) { return std::chrono::duration<double>(Clock::now() - AStart).count(); }

// A component whose tasks can also be stopped one at a time.
class TBenchConvexa : public TConvexa {
 public:
  using TConvexa::TConvexa;
  ~TBenchConvexa() override { ShutDown(); }
  void StopOneAfterAnother() {
    for (int i = 0; i < TaskList().Count(); ++i) TaskList().Items(i)->Cancel(true);
  }
};

enum class TStopKind { All, OneAfterAnother };

// Starts ATasks conversions at once, waits until every one reports progress of at least
// AConverted microseconds, stops them and answers the seconds the stop took (-1 when the batch
// could not be set up).
double StopBatch(const std::string& AClip, const fs::path& AOutDir, int ATasks, TStopKind AKind, int64_t AConverted) {
  TBenchConvexa convexa(nullptr);
  convexa.SetProgressInterval(100);
  std::atomic<int> reporting{0};
  std::vector<std::atomic<bool>> seen(ATasks);
  convexa.OnProgress = [&](TObject*, PProgressInfo AInfo) {
    if (AInfo->CurrentDuration >= AConverted && !seen[AInfo->TaskIndex].exchange(true)) ++reporting;
  };
  for (int i = 0; i < ATasks; ++i) {
    const int index = convexa.AddTask(AClip);
    if (index < 0) {
      std::printf("  cannot add %s: %s\n", AClip.c_str(), convexa.LastErrMsg().c_str());
      return -1;
    }
    TOutputOptions options;
    options.VideoCodec = "libx264";
    options.AudioCodec = "aac";
    const fs::path out = AOutDir / ("stop-" + std::to_string(i) + ".mp4");
    if (!convexa.SetOutputFile(index, out.string(), &options)) {
      std::printf("  cannot set output: %s\n", convexa.LastErrMsg().c_str());
      return -1;
    }
  }
  convexa.Start(ATasks);
  while (reporting < ATasks) {
    PumpPendingMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const auto start = Clock::now();
  if (AKind == TStopKind::All)
    convexa.Stop(true);
  else
    convexa.StopOneAfterAnother();
  const double seconds = Seconds(start);
  convexa.Stop(true);
  PumpPendingMessages();
  return seconds;
}

}  // namespace

int main() {
  if (!batchbench::LoadConverterLibraries()) return 1;
  const fs::path dir = batchbench::ScratchFolder("stop-bench");
  const std::string clip = fixtures::Make(
      "bench-clip-640x360-60s.mp4",
      "-f lavfi -i testsrc=size=640x360:rate=25:duration=60 -f lavfi -i sine=frequency=440:duration=60 "
      "-c:v mpeg4 -b:v 1500k -c:a aac -f mp4");
  (void)StopBatch(clip, dir, 1, TStopKind::All, 0);  // warm-up

  std::printf("Stop(true) of running conversions (640x360, 25 fps, with sound, to H.264 and AAC in MP4); "
              "%d cores; min / median / max of five\n",
              ProcessorCores());
  struct TFigure {
    const char* Name;
    int Tasks;
    TStopKind Kind;
    int64_t Converted;
    std::vector<double> Runs;
  } figures[] = {{"1 task (reference)", 1, TStopKind::All, 0},
                 {"24 tasks, all told first, then waited for", TaskCount, TStopKind::All, 0},
                 {"24 tasks, one after another", TaskCount, TStopKind::OneAfterAnother, 0},
                 {"1 task after 4 s converted (reference)", 1, TStopKind::All, 4000000},
                 {"24 tasks after 4 s converted, all at once", TaskCount, TStopKind::All, 4000000}};
  for (int round = 0; round < 5; ++round)
    for (TFigure& figure : figures) {
      const double seconds = StopBatch(clip, dir, figure.Tasks, figure.Kind, figure.Converted);
      if (seconds >= 0) figure.Runs.push_back(seconds);
    }
  for (TFigure& figure : figures) {
    std::sort(figure.Runs.begin(), figure.Runs.end());
    if (figure.Runs.empty()) continue;
    std::printf("  %-44s %7.3f / %7.3f / %7.3f s\n", figure.Name, figure.Runs.front(),
                figure.Runs[figure.Runs.size() / 2], figure.Runs.back());
  }
  std::error_code error;
  fs::remove_all(dir, error);
  return 0;
}
