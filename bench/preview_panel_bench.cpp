// Preview panel benchmark, on an X server (run under Xvfb): CPU time of playing the 30-second
// 640x360 clip in the main window's preview panel (SDL's X11 video into the 200 x 124 render
// area, SDL's dummy audio driver) beside the command-line player of the media libraries' package
// playing the same clip in a window of the same size, and the audio-video offset of both (ours
// sampled from the player's clocks every 100 ms, the reference from the other player's status
// lines) beside the 40 ms the preview should keep. Prints figures; not a test.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "PlayerBenchSupport.h"
#include "app/PreviewPanel.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/windowing/Display.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/Thread.h"
#include "platform/x11/X11Display.h"
#include "skins/vlSkinArt.h"

namespace {

constexpr double kOffsetLimitMs = 40;

struct TPanelRun {
  bool ended = false;
  double wall = 0, cpu = 0;
  playerbench::TOffsetSamples offsets;
};

TPanelRun PlayInThePanel(const std::string& AClip, const std::string& AOptionsFile) {
  TPanelRun run;
  // The program's skin on the panel's controls, as the user sees them.
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBoundsRect(TRect{0, 0, 803, 540});
  TPreviewPanelLayout layout = CreatePreviewPanelControls(form.get());
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* skinned = dynamic_cast<TvlSkinControl*>(form->Components(i))) skinned->SetSkinData(&skin);
  TPreviewPanelHooks hooks;
  hooks.Log = [&](const std::string& Line) {
    if (Line == "End") run.ended = true;
  };
  hooks.RowSelected = [] { return true; };
  TPreviewPanel panel(layout.Controls, AOptionsFile, hooks);
  form->Show();
  PumpPendingMessages();

  const double cpuBefore = playerbench::ProcessCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  panel.Settings.OpenPaused = false;
  panel.PreviewRow(AClip);
  if (!panel.Player().State()) {
    std::printf("preview panel: the clip did not open\n");
    return run;
  }
  auto lastSample = start;
  while (!run.ended && std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
    CheckSynchronize(10);
    PumpPendingMessages();
    if (std::chrono::steady_clock::now() - lastSample >= std::chrono::milliseconds(100)) {
      lastSample = std::chrono::steady_clock::now();
      run.offsets.Sample(panel.Player());
    }
  }
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpu = playerbench::ProcessCpuSeconds() - cpuBefore;
  panel.ClearPreview();
  return run;
}

}  // namespace

int main() {
  if (!std::getenv("DISPLAY")) {
    std::printf("no X server ($DISPLAY): run under xvfb-run\n");
    return 1;
  }
  auto opened = TX11Display::Open();
  if (!opened) {
    std::printf("the X server does not answer\n");
    return 1;
  }
  TX11Display* x11 = opened.get();
  std::unique_ptr<TDisplay> headless = SetDisplay(std::move(opened));
  SetThreadEventSource(x11);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);

  const std::string clip = playerbench::Clip();
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("preview-panel-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(scratch);
  std::printf("clip: %s (30 s, 640x360, 25 pictures/s, stereo 44.1 kHz), shown at 200 x 124\n", clip.c_str());

  TPanelRun panel;
  {
    TApplication app(nullptr);
    panel = PlayInThePanel(clip, (scratch / "option.ini").string());
  }
  std::printf("preview panel: %s, wall %.2f s, CPU %.2f s\n", panel.ended ? "reached the end" : "did NOT reach the end",
              panel.wall, panel.cpu);
  panel.offsets.Print("preview panel", kOffsetLimitMs);

  const playerbench::TCommandLineRun reference =
      playerbench::RunCommandLinePlayer({"-autoexit", "-x", "200", "-y", "124", "-loglevel", "error", "-stats", clip},
                                        {{"SDL_VIDEODRIVER", "x11"}, {"SDL_AUDIODRIVER", "dummy"}});
  if (!reference.ran) {
    std::printf("ffplay: not installed, no reference\n");
  } else {
    std::printf("ffplay -autoexit -x 200 -y 124: exit %d, wall %.2f s, CPU %.2f s\n", reference.exit, reference.wall,
                reference.cpu);
    playerbench::StatusLineOffsets(reference.errors).Print("ffplay", kOffsetLimitMs);
    if (reference.cpu > 0)
      std::printf("CPU time of the preview panel: %.0f%% of ffplay's (aim: at most 100%%)\n",
                  100 * panel.cpu / reference.cpu);
  }
  std::printf("audio-video offset of the preview panel: max %.1f ms (aim: within %.0f ms)\n", panel.offsets.MaxMs(),
              kOffsetLimitMs);

  std::filesystem::remove_all(scratch);
  SetThreadEventSource(nullptr);
  SetDisplay(std::move(headless));
  return 0;
}
