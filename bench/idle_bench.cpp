// What the program costs while nothing happens: its windows on the X server as the program makes
// them, the process's processor time over 10 s with nothing to do (the reference), with the
// selected row's preview paused, and with a 16-file batch paused while its first rows are half
// converted; then its resident size at start, with the preview shown, after the batch has ended
// and after 清空, and how long the windows take to close. The clips are 720p H.264 with sound and
// the batch runs 4 tasks at once, as a user's would.
// Aims: every idle figure under 0.5 % of a core; the resident size after 清空 within ~30 MB of
// the start. Prints figures; it checks nothing. Build without the sanitizers (scripts/bench does).

#include <time.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/ConversionControl.h"
#include "app/ConverterDialogs.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "bench/BatchBenchSupport.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "platform/controls/Application.h"
#include "platform/core/Memory.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Window.h"
#include "platform/x11/X11Display.h"
#include "Src/FFPlay.h"
#include "tests/app/MemoryConversionView.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int ClipCount = 16;
constexpr int ClipSeconds = 20;
constexpr int IdleSeconds = 10;
constexpr UINT WM_BENCH_WAKE = WM_APP + 7;

// The dialogs answer with the batch's clips; message boxes are printed.
class TBenchDialogs : public IConverterDialogs {
 public:
  std::vector<std::string> files;
  bool OpenFiles(TOpenDialogState& Dialog) override {
    if (files.empty()) return false;
    Dialog.Files = std::exchange(files, {});
    Dialog.FileName = Dialog.Files.front();
    return true;
  }
  bool SelectFolder(TFolderDialogState&) override { return false; }
  void ShowMessage(const std::string& Text, const std::string& Caption, TMsgDlgType) override {
    std::printf("  message: %s | %s\n", Caption.c_str(), Text.c_str());
  }
  // The benchmark's outputs go to a fresh folder: nothing is ever there to replace.
  bool Confirm(const std::string& Text, const std::string& Caption) override {
    std::printf("  question: %s | %s\n", Caption.c_str(), Text.c_str());
    return true;
  }
};

// This process's processor time (all threads), seconds.
double ProcessSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// ACount copies, in ADir, of one clip of ClipSeconds seconds: 1280x720 H.264 at 25 pictures a
// second with a 440 Hz tone (AAC), long enough that the batch is still converting its first rows
// when it is paused.
std::vector<std::string> MakeClips(const fs::path& ADir, int ACount) {
  const std::string seconds = std::to_string(ClipSeconds);
  const std::string source =
      fixtures::Make("idle-bench-720p-" + seconds + "s.mp4", "-f lavfi -i testsrc2=size=1280x720:rate=25:duration=" +
                                                                 seconds + " -f lavfi -i sine=frequency=440:duration=" +
                                                                 seconds + " -c:v libx264 -preset veryfast -c:a aac -f mp4");
  std::vector<std::string> clips;
  fs::create_directories(ADir);
  for (int i = 0; i < ACount; ++i) {
    const fs::path target = ADir / ("clip" + std::to_string(i) + ".mp4");
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    clips.push_back(target.string());
  }
  return clips;
}

// Rows whose conversion has begun and not ended: a progress text that is neither the end's nor
// a failure's nor a stop's.
int RowsUnderWay(TJobList& AJobs) {
  int count = 0;
  for (int row = 0; row < AJobs.Count(); ++row) {
    const std::string& progress = AJobs.SubItem(row, TJobSubItem::jsProgress);
    if (!progress.empty() && progress != "100%" && progress != kFailedProgress && progress != kStoppedText) ++count;
  }
  return count;
}

double MiB(std::size_t ABytes) { return static_cast<double>(ABytes) / (1024.0 * 1024.0); }

// The resident size split as the kernel reports it: the program's own memory (heaps, buffers) and
// the pages of mapped files (the libraries' code), which the system can drop and share.
struct TResident {
  std::size_t Total = 0;
  std::size_t Anonymous = 0;
  std::size_t Files = 0;
};

TResident Resident() {
  TResident r;
  r.Total = ResidentBytes();
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("RssAnon:", 0) == 0) r.Anonymous = std::stoull(line.substr(8)) * 1024;
    if (line.rfind("RssFile:", 0) == 0) r.Files = std::stoull(line.substr(8)) * 1024;
  }
  return r;
}

void PrintResident(const char* ALabel, const TResident& AR) {
  std::printf("  %-34s %6.1f  (own %6.1f, mapped files %6.1f)\n", ALabel, MiB(AR.Total), MiB(AR.Anonymous), MiB(AR.Files));
}

// Runs the application's loop as the program does, until ADone answers true or ASeconds pass. A
// thread posts a wake-up every 100 ms only so that the loop can look at the condition; the idle
// figures are measured by RunFor without it.
bool PumpUntil(TApplication& AApp, HWND AWake, const std::function<bool()>& ADone, double ASeconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(ASeconds);
  bool stop = false;
  std::thread ticker([&] {
    while (!stop && Clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      PostMessage(AWake, WM_BENCH_WAKE, 0, 0);
    }
  });
  bool done = false;
  while (!(done = ADone()) && Clock::now() < end) AApp.HandleMessage();
  stop = true;
  PostMessage(AWake, WM_BENCH_WAKE, 0, 0);
  ticker.join();
  return done;
}

// The application's loop for ASeconds, woken only by what the program itself does (one wake-up
// at the end); answers the share of one core the whole process used meanwhile, in per cent.
double IdlePercent(TApplication& AApp, HWND AWake, double ASeconds) {
  const double cpu = ProcessSeconds();
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration<double>(ASeconds);
  std::thread alarm([&] {
    std::this_thread::sleep_until(end);
    PostMessage(AWake, WM_BENCH_WAKE, 0, 0);
  });
  while (Clock::now() < end) AApp.HandleMessage();
  alarm.join();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  return 100.0 * (ProcessSeconds() - cpu) / wall;
}

}  // namespace

int main() {
  ReturnLargeBlocksWhenFreed();  // as the program does first
  std::unique_ptr<TX11Display> display = TX11Display::Open();
  if (!display) {
    std::printf("no X display (run under xvfb-run)\n");
    return 1;
  }
  TEventSource* events = display.get();
  std::unique_ptr<TDisplay> headless = SetDisplay(std::move(display));
  SetThreadEventSource(events);

  const fs::path root = batchbench::ScratchFolder("idle-bench");
  fs::create_directories(root / "program");
  fs::create_directories(root / "home");
  const std::vector<std::string> clips = MakeClips(root / "clips", ClipCount);
  {
    std::ofstream(root / "program" / "option.ini")
        << "[OutPath]\nOutPath=" << (root / "out").string() << "\n[Options]\nThread_Count=4\n";
  }
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
    HWND wake = AllocateHWnd([](TMessage&) {});
    TConversionControl& batch = main->Conversion();

    PumpUntil(app, wake, [] { return false; }, 2.0);  // shown and settled
    const TResident atStart = Resident();
    const double empty = IdlePercent(app, wake, IdleSeconds);

    dialogs.files = clips;
    main->Button8Click();
    const bool paused = PumpUntil(app, wake, [&] { return main->FFPlayer->Paused() && main->FFPlayer->CurrentPTS() >= 0; }, 20);
    PumpUntil(app, wake, [] { return false; }, 1.0);
    const double preview = IdlePercent(app, wake, IdleSeconds);
    const TResident withPreview = Resident();

    // The batch is paused once its first rows are under way; the figure counts only when they
    // still are after the measurement.
    main->vlSkinButton2->Click();  // 开始
    PumpUntil(app, wake, [&] { return RowsUnderWay(main->Jobs()) > 0; }, 60);
    main->vlSkinButton11->Click();  // 暂停
    PumpUntil(app, wake, [] { return false; }, 1.0);
    const double pausedBatch = IdlePercent(app, wake, IdleSeconds);
    const bool batchPaused = batch.State() == TConversionState::csPaused;
    const int pausedRows = RowsUnderWay(main->Jobs());

    main->N11->Click();  // 继续
    const auto start = Clock::now();
    const bool ended = PumpUntil(app, wake, [&] { return batch.State() == TConversionState::csEnded; }, 600);
    const double batchSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    PumpUntil(app, wake, [] { return false; }, 1.0);
    const TResident afterBatch = Resident();
    main->vlSkinButton8->Click();  // 清空
    PumpUntil(app, wake, [] { return false; }, 1.0);
    const TResident afterClear = Resident();

    std::printf("idle processor time, %% of one core over %d s (aim: under 0.5)\n", IdleSeconds);
    std::printf("  empty program (reference)      %6.2f\n", empty);
    std::printf("  preview paused%s    %6.2f\n", paused ? "                " : " (never paused)", preview);
    if (batchPaused && pausedRows > 0)
      std::printf("  + batch of %d paused (%d rows half done) %6.2f\n", ClipCount, pausedRows, pausedBatch);
    else
      std::printf("  + batch of %d: INVALID, no row was paused half done  %6.2f\n", ClipCount, pausedBatch);
    std::printf("resident size, MiB (aim: after 清空 within ~30 of the start)\n");
    PrintResident("at start (reference)", atStart);
    PrintResident("preview shown (libraries loaded)", withPreview);
    std::printf("  the batch %s after %.1f s\n", ended ? "ended" : "did not end", batchSeconds);
    PrintResident("after the batch", afterBatch);
    PrintResident("after 清空", afterClear);

    const auto closing = Clock::now();
    bool canClose = false;
    main->FormCloseQuery(canClose);
    delete windows.Form6;
    delete windows.Form5;
    delete windows.Form2;
    delete windows.Form1;
    std::printf("closing the windows with nothing running: %.3f s (aim: under 0.5)\n",
                std::chrono::duration<double>(Clock::now() - closing).count());
    DeallocateHWnd(wake);
  }
  SetThreadEventSource(nullptr);
  SetDisplay(std::move(headless));
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
