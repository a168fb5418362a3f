// Adding files to the job list through the shown main window's own path (添加多个文件: the file
// dialog answers with the files), for 10, 100 and 500 files: the wall time until the window has
// handled everything the add queued (repaints included), the resident size and the open files the
// listed jobs keep. Beside it, measured in the same run on the same files: opening and probing each
// file once in this process (the least an add must do), and the ffprobe tool on ten of them (each
// a whole process). Aims: 500 files in 2 s or less; open files and resident size that do not
// grow with the list beyond the rows' own data. Prints figures; it checks nothing. Build without
// the sanitizers (scripts/bench does); run under xvfb-run.
//
// Usage: bench_add_files_bench [largest count]   (default 500)

#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/ConverterDialogs.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "bench/BatchBenchSupport.h"
#include "bench/BenchDialogs.h"
#include "platform/controls/Application.h"
#include "platform/core/Memory.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Window.h"
#include "platform/x11/X11Display.h"
#include "Src/AVProbe.h"
#include "tests/app/MemoryConversionView.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using benchwindow::TBenchDialogs;

double Seconds(Clock::time_point AStart) { return std::chrono::duration<double>(Clock::now() - AStart).count(); }

double MiB(std::size_t ABytes) { return static_cast<double>(ABytes) / (1024.0 * 1024.0); }

// Descriptors this process holds open.
int OpenFiles() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') ++count;
    closedir(dir);
    --count;  // the listing's own
  }
  return count;
}

// Everything queued for the window (repaints, hints, news) handled.
void Settle(TApplication& AApp) {
  for (int round = 0; round < 3; ++round) AApp.ProcessMessages();
}

// The reference: each file opened and probed once, in this process.
double ProbeAll(const std::vector<std::string>& AFiles) {
  TAVProbe probe(nullptr);
  const auto start = Clock::now();
  for (const std::string& file : AFiles)
    if (!probe.LoadFile(file)) std::printf("  probe failed: %s\n", probe.LastErrMsg().c_str());
  probe.CloseFile();
  return Seconds(start);
}

// The command-line prober on AFiles, one process each.
double ProbeToolAll(const std::vector<std::string>& AFiles) {
  const auto start = Clock::now();
  for (const std::string& file : AFiles) {
    const std::string command = "ffprobe -v error -show_format -show_streams '" + file + "' > /dev/null";
    if (std::system(command.c_str()) != 0) std::printf("  ffprobe failed on %s\n", file.c_str());
  }
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  const int largest = argc > 1 ? std::clamp(std::atoi(argv[1]), 10, 500) : 500;
  std::unique_ptr<TX11Display> display = TX11Display::Open();
  if (!display) {
    std::printf("no X display (run under xvfb-run)\n");
    return 1;
  }
  TEventSource* events = display.get();
  std::unique_ptr<TDisplay> headless = SetDisplay(std::move(display));
  SetThreadEventSource(events);

  const fs::path root = batchbench::ScratchFolder("add-files-bench");
  fs::create_directories(root / "program");
  fs::create_directories(root / "home");
  fs::create_directories(root / "clips");
  const std::vector<std::string> clips = batchbench::MakeClips(root / "clips", largest, 1);
  std::ofstream(root / "program" / "option.ini") << "[OutPath]\nOutPath=" << (root / "out").string() << "\n";
  {
    TBenchDialogs dialogs;
    memory_conversion::TMemoryAfterRunActions actions;
    TApplication app(nullptr);
    app.Initialize();
    TMainWindowSetup setup;
    setup.Folders.Program = (root / "program").string() + "/";
    setup.Folders.Home = (root / "home").string();
    setup.Dialogs = &dialogs;
    setup.AfterRun = &actions;
    TConverterWindows windows;
    CreateConverterWindows(app, setup, windows);
    TForm1* main = windows.Form1;
    main->Show();
    Settle(app);
    // One add and clear first: the libraries, the skin's pictures and the caches are in place.
    dialogs.files = {clips.front()};
    main->Button8Click();
    Settle(app);
    main->btnClearClick();
    Settle(app);

    const double probeOnce = ProbeAll(clips) / static_cast<double>(clips.size());
    const std::vector<std::string> ten(clips.begin(), clips.begin() + 10);
    const double toolOnce = ProbeToolAll(ten) / 10.0;
    std::printf("reference per file: probed in process %.2f ms, ffprobe process %.2f ms\n", probeOnce * 1e3,
                toolOnce * 1e3);
    std::printf("%6s %10s %10s %12s %14s %12s %12s\n", "files", "add s", "ms/file", "probe-only s", "RSS +MiB",
                "KiB/job", "open files +");
    for (int count : {10, 100, 500}) {
      if (count > largest) break;
      main->btnClearClick();
      Settle(app);
      ReturnFreedMemory();
      const std::size_t rssBefore = ResidentBytes();
      const int filesBefore = OpenFiles();
      dialogs.files.assign(clips.begin(), clips.begin() + count);
      const auto start = Clock::now();
      main->Button8Click();
      Settle(app);
      const double took = Seconds(start);
      const int listed = main->Jobs().Count();
      ReturnFreedMemory();
      const double grown = MiB(ResidentBytes() - std::min(ResidentBytes(), rssBefore));
      const int opened = OpenFiles() - filesBefore;
      std::printf("%6d %10.3f %10.2f %12.3f %14.1f %12.1f %12d%s\n", count, took, took * 1e3 / count,
                  probeOnce * count, grown, grown * 1024.0 / count, opened,
                  listed == count ? "" : "  (not every file listed)");
    }
    main->btnClearClick();
    Settle(app);
    bool canClose = false;
    main->FormCloseQuery(canClose);
    delete windows.Form6;
    delete windows.Form5;
    delete windows.Form2;
    delete windows.Form1;
  }
  SetThreadEventSource(nullptr);
  SetDisplay(std::move(headless));
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
