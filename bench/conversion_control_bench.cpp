// Batch conversion through the main window's code path: 8 short clips added as the add operation
// adds them (preset 1500, AVI with MPEG-4 and MP3), converted by the conversion control at 1, 2,
// 4 and 8 threads, beside the ffmpeg command-line tool converting the same clips with the same
// settings by as many processes at once, both at their default codec threads. The tool's process
// start-up is measured apart and its own conversion time ("converting", from -benchmark) shown
// beside its wall time. Meanwhile the GUI thread runs a message loop as the
// application does, and a second thread measures how long a message posted to it takes to be
// handled (the round trip the user feels as responsiveness; aim: under 50 ms), with the same loop
// idle as the reference. Prints figures; it checks nothing. Build without the sanitizers for
// meaningful numbers (scripts/bench does).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Src/FFmpeg.h"
#include "app/ConversionControl.h"
#include "bench/BatchBenchSupport.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Window.h"
#include "tests/app/MemoryConversionView.h"
#include "tests/app/PresetJobs.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int ClipCount = 8;
constexpr int Preset = 1500;
constexpr UINT WM_PROBE = WM_APP + 1;

double Seconds(Clock::time_point AStart) { return std::chrono::duration<double>(Clock::now() - AStart).count(); }

// ---- the GUI thread's round trip ----

// Posts a message to a window of the GUI thread every 2 ms and notes how long each takes to be
// handled there, while the GUI thread runs its loop.
class TRoundTripProbe {
 public:
  TRoundTripProbe() {
    window_ = AllocateHWnd([this](TMessage& AMessage) {
      if (AMessage.Msg != WM_PROBE) return;
      std::lock_guard lock(lock_);
      answered_ = static_cast<long>(AMessage.WParam);
      changed_.notify_all();
    });
    thread_ = std::thread([this] { Probe(); });
  }
  ~TRoundTripProbe() {
    Finish();
    DeallocateHWnd(window_);
  }

  // The GUI thread's loop, until ADone answers true (asked after every message).
  template <typename F>
  void Loop(F&& ADone) {
    MSG msg;
    while (!ADone() && GetMessage(&msg, nullptr, 0, 0)) DispatchMessage(&msg);
  }

  // Stops probing; the round trips in milliseconds, sorted.
  std::vector<double> Finish() {
    {
      std::lock_guard lock(lock_);
      done_ = true;
      changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    std::sort(times_.begin(), times_.end());
    return times_;
  }

 private:
  void Probe() {
    for (long seq = 1;; ++seq) {
      const auto start = Clock::now();
      PostMessage(window_, WM_PROBE, static_cast<WPARAM>(seq), 0);
      std::unique_lock lock(lock_);
      changed_.wait(lock, [&] { return answered_ >= seq || done_; });
      if (answered_ < seq) return;
      times_.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      if (changed_.wait_for(lock, std::chrono::milliseconds(2), [&] { return done_; })) return;
    }
  }

  HWND window_ = nullptr;
  std::thread thread_;
  std::mutex lock_;
  std::condition_variable changed_;
  long answered_ = 0;
  bool done_ = false;
  std::vector<double> times_;  // probe thread, then the caller of Finish
};

struct TRoundTrips {
  double Median = 0, P95 = 0, Max = 0;
  size_t Count = 0;
};

TRoundTrips Summary(const std::vector<double>& ASorted) {
  TRoundTrips s;
  s.Count = ASorted.size();
  if (ASorted.empty()) return s;
  s.Median = ASorted[ASorted.size() / 2];
  s.P95 = ASorted[std::min(ASorted.size() - 1, ASorted.size() * 95 / 100)];
  s.Max = ASorted.back();
  return s;
}

// ---- the control's batch ----

struct TRun {
  double Seconds = -1;
  double StartSeconds = 0;  // the GUI thread inside Start
  TRoundTrips RoundTrips;
  std::string Failure;
};

// The output settings the preset gives a clip, as the start hands them to the converter.
TOutputOptions PresetOutput(const std::string& AClip, const fs::path& AOutDir) {
  preset_jobs::TPresetJobs presets(AOutDir.string());
  const int row = presets.AddJob(AClip, Preset);
  TOutputOptions options = presets.jobs.OO1(row);
  RefreshOutputOptions(presets.jobs.Row(row), options);
  return options;
}

TRun RunControl(const std::vector<std::string>& AClips, const fs::path& AOutDir, int AThreads) {
  TRun run;
  fs::remove_all(AOutDir);
  fs::create_directories(AOutDir);
  preset_jobs::TPresetJobs presets(AOutDir.string());
  for (const std::string& clip : AClips) presets.AddJob(clip, Preset);
  TConvexa convexa(nullptr);
  memory_conversion::TMemoryConversionView view;
  memory_conversion::TMemoryAfterRunActions actions;
  TConversionSettings settings;
  settings.ThreadCount = std::to_string(AThreads);
  TConversionControl control(convexa, presets.jobs, presets.folder, view, actions, [&] { return settings; });

  const auto start = Clock::now();
  control.Start();
  // The start itself (opening every input again, starting the first tasks) is timed on its own;
  // the round trips are those of the running batch.
  run.StartSeconds = Seconds(start);
  TRoundTripProbe probe;
  probe.Loop([&] { return control.State() == TConversionState::csEnded; });
  run.Seconds = Seconds(start);
  run.RoundTrips = Summary(probe.Finish());
  for (int row = 0; row < presets.jobs.Count(); ++row)
    if (presets.jobs.SubItem(row, TJobSubItem::jsProgress) != "100%") run.Failure = "a row did not reach 100%";
  if (!view.warnings.empty()) run.Failure = view.warnings.front();
  if (!view.log.empty()) run.Failure = view.log.front();
  return run;
}

// ---- the command-line tool ----

std::string ToolArguments(const TOutputOptions& AOptions) {
  std::string args = "-c:v " + AOptions.VideoCodec;
  if (!AOptions.VideoTag.empty()) args += " -vtag " + AOptions.VideoTag;
  if (AOptions.VideoBitrate > 0) args += " -b:v " + std::to_string(AOptions.VideoBitrate);
  if (!AOptions.FrameRate.empty()) args += " -r " + AOptions.FrameRate;
  if (!AOptions.FrameSize.empty()) {
    std::string size = AOptions.FrameSize;
    std::replace(size.begin(), size.end(), '*', 'x');
    args += " -s " + size;
  }
  args += " -c:a " + AOptions.AudioCodec;
  if (AOptions.AudioBitrate > 0) args += " -b:a " + std::to_string(AOptions.AudioBitrate);
  if (AOptions.AudioChannels > 0) args += " -ac " + std::to_string(AOptions.AudioChannels);
  if (AOptions.AudioSampleRate > 0) args += " -ar " + std::to_string(AOptions.AudioSampleRate);
  return args;
}

struct TToolRun {
  double Wall = -1;        // the whole batch, process starts included
  double Converting = -1;  // the busiest process's own conversion times (its -benchmark rtime)
};

// The conversion time the tool reports for itself, 0 when it says none.
double ToolConversionTime(const std::string& AOutput) {
  const size_t at = AOutput.find("rtime=");
  return at == std::string::npos ? 0 : std::atof(AOutput.c_str() + at + 6);
}

// The clips converted by AProcesses tool processes at once, at the tool's default threads.
TToolRun RunTool(const std::vector<std::string>& AClips, const fs::path& AOutDir, int AProcesses,
                 const std::string& AArguments) {
  fs::create_directories(AOutDir);
  std::atomic<size_t> next{0};
  std::vector<double> busy(AProcesses, 0.0);
  const auto start = Clock::now();
  std::vector<std::thread> workers;
  for (int p = 0; p < AProcesses; ++p)
    workers.emplace_back([&, p] {
      for (size_t i = next++; i < AClips.size(); i = next++) {
        const fs::path out = AOutDir / ("tool-" + std::to_string(i) + ".avi");
        busy[p] += ToolConversionTime(
            fixtures::Run("ffmpeg -nostdin -hide_banner -nostats -loglevel info -benchmark -y -i " +
                          fixtures::Quoted(AClips[i]) + " " + AArguments + " " +
                          fixtures::Quoted(out.string()) + " 2>&1"));
      }
    });
  for (std::thread& worker : workers) worker.join();
  return {Seconds(start), *std::max_element(busy.begin(), busy.end())};
}

}  // namespace

int main() {
  if (!batchbench::LoadConverterLibraries()) return 1;
  const fs::path dir = batchbench::ScratchFolder("conversion-control-bench");
  const std::vector<std::string> clips = batchbench::MakeClips(dir, ClipCount, 5);
  const std::string toolArguments = ToolArguments(PresetOutput(clips[0], dir / "probe"));

  (void)RunControl({clips[0]}, dir / "warm-up", 1);  // caches and lazily built tables

  TRoundTrips idle;
  {
    TRoundTripProbe probe;
    const auto end = Clock::now() + std::chrono::seconds(2);
    probe.Loop([&] { return Clock::now() >= end; });
    idle = Summary(probe.Finish());
  }

  std::printf("Batch of %d clips of 5 s (320x240, 25 fps, with sound), preset %d; %d cores\n", ClipCount, Preset,
              ProcessorCores());
  std::printf("  tool settings: %s\n", toolArguments.c_str());
  std::printf("  tool process start-up and end alone: %.1f ms\n", batchbench::ToolStartSeconds() * 1000);
  std::printf(
      "  threads  control s  clips/s  start ms    tool s (converting)  clips/s  control/tool"
      "  GUI round trip ms: median   95%%    max\n");
  for (int threads : {1, 2, 4, 8}) {
    // The best of three runs each: the machine may be shared.
    TRun best;
    TToolRun tool;
    for (int round = 0; round < 3; ++round) {
      const TRun run = RunControl(clips, dir / ("control-" + std::to_string(threads)), threads);
      if (!run.Failure.empty()) {
        std::printf("  %d threads: %s\n", threads, run.Failure.c_str());
        continue;
      }
      if (best.Seconds < 0 || run.Seconds < best.Seconds) best = run;
      const TToolRun t = RunTool(clips, dir / ("tool-" + std::to_string(threads)), threads, toolArguments);
      if (tool.Wall < 0 || t.Wall < tool.Wall) tool = t;
    }
    if (best.Seconds <= 0) continue;
    std::printf("  %7d  %9.3f  %7.2f  %8.1f  %8.3f (%7.3f)  %7.2f  %12.2f  %24.1f  %5.1f  %5.1f  (%zu probes)\n",
                threads, best.Seconds, ClipCount / best.Seconds, best.StartSeconds * 1000, tool.Wall, tool.Converting,
                ClipCount / tool.Wall, best.Seconds / tool.Wall, best.RoundTrips.Median, best.RoundTrips.P95,
                best.RoundTrips.Max, best.RoundTrips.Count);
  }
  // The outputs are whole conversions of the same kind.
  for (const fs::path& file : {dir / "control-8" / "clip0.avi", dir / "tool-8" / "tool-0.avi"}) {
    const auto info = fixtures::Probe(file.string());
    auto value = [&](const char* AKey) {
      const auto it = info.find(AKey);
      return it == info.end() ? std::string("-") : it->second;
    };
    std::printf("  %-28s %s+%s %sx%s, %s s, %s bytes\n", file.filename().c_str(),
                value("streams.stream.0.codec_name").c_str(), value("streams.stream.1.codec_name").c_str(),
                value("streams.stream.0.width").c_str(), value("streams.stream.0.height").c_str(),
                value("format.duration").c_str(), value("format.size").c_str());
  }
  std::printf("  reference: GUI round trip with nothing running: median %.2f ms, 95%% %.2f ms, max %.2f ms\n",
              idle.Median, idle.P95, idle.Max);
  std::error_code error;
  fs::remove_all(dir, error);
  return 0;
}
