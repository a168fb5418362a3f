#pragma once
// Shared set-up of the preview panel tests: the clip they play, the panel's controls laid out
// on a form as the main window has them, the window's side of the panel (its log, its row
// selection, the focus of its job list, its folder dialog) and the player's libraries.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/PreviewPanel.h"
#include "lib/controls/vlSkinCtrlsSlider.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "tests/Src/MediaFixtures.h"
#include "tests/Src/PlayerTestSupport.h"

namespace preview_world {

// The clip colours: the picture's top-left quadrant amber, the rest blue.
constexpr COLORREF kQuadrantColour = RGB(0xE0, 0xA0, 0x20);
constexpr COLORREF kBackColour = RGB(0x30, 0x60, 0xC0);

// Two seconds of a 160x120 picture at 25 frames a second with flat colours (see above) and a
// tone; a key frame every 12 pictures.
inline std::string QuadrantClip() {
  return fixtures::Make(
      "preview-quadrants.mp4",
      "-f lavfi -i color=c=0x3060C0:s=160x120:r=25:d=2,drawbox=x=0:y=0:w=80:h=60:color=0xE0A020:t=fill "
      "-f lavfi -i sine=frequency=440:duration=2 -c:v mpeg4 -q:v 2 -g 12 -keyint_min 12 -bf 0 "
      "-c:a aac -f mp4");
}

// What the window gives the panel, recorded.
struct TWindowSide {
  std::vector<std::string> log;
  bool row_selected = true;
  int focus_calls = 0;
  std::optional<std::string> chosen_folder;

  TPreviewPanelHooks Hooks() {
    return TPreviewPanelHooks{[this](const std::string& Line) { log.push_back(Line); }, [this] { return row_selected; },
                              [this] { ++focus_calls; }, [this] { return chosen_folder; }};
  }
  [[nodiscard]] bool Logged(const std::string& Line) const {
    return std::find(log.begin(), log.end(), Line) != log.end();
  }
  [[nodiscard]] int Count(const std::string& Line) const {
    return static_cast<int>(std::count(log.begin(), log.end(), Line));
  }
};

// A form of the main window's size holding the panel's controls, and the panel bound to them.
// The caller provides the display; the form is freed after the panel.
struct TPanelOnForm {
  explicit TPanelOnForm(const std::string& OptionsFile, TPoint Origin = {0, 0}) {
    form.reset(CreateForm<TForm>(nullptr));
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBoundsRect(TRect{Origin.X, Origin.Y, Origin.X + 803, Origin.Y + 540});
    form->SetColor(clBtnFace);
    layout = CreatePreviewPanelControls(form.get());
    panel = std::make_unique<TPreviewPanel>(layout.Controls, OptionsFile, window.Hooks());
    form->Show();
  }
  ~TPanelOnForm() {
    panel.reset();
    form.reset();
  }

  [[nodiscard]] TvlSkinSlider& Slider() const { return *layout.Controls.Slider; }
  [[nodiscard]] TControl& Screen() const { return *layout.Controls.Screen; }
  // Waits, pumping, until the log holds Line (Times times).
  bool WaitForLog(const std::string& Line, int Times = 1, int TimeoutMs = 8000) {
    return playertest::WaitUntil([&] { return window.Count(Line) >= Times; }, TimeoutMs);
  }
  // Opens the clip as the row selection does and waits for its first picture, paused.
  bool OpenPaused(const std::string& Clip) {
    const int pauses = window.Count("预览：暂停");
    panel->PreviewRow(Clip);
    return WaitForLog("预览：暂停", pauses + 1);
  }

  TWindowSide window;
  std::unique_ptr<TForm> form;
  TPreviewPanelLayout layout;
  std::unique_ptr<TPreviewPanel> panel;
};

// The mean difference per channel of two 24-bit pictures of the same size (a large number when
// their sizes differ).
inline double MeanDifference(TBitmap& A, TBitmap& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height() || A.Width() == 0) return 1e9;
  A.SetPixelFormat(TPixelFormat::pf24bit);
  B.SetPixelFormat(TPixelFormat::pf24bit);
  long long sum = 0;
  for (int y = 0; y < A.Height(); ++y) {
    const auto* a = static_cast<const uint8_t*>(A.ScanLine(y));
    const auto* b = static_cast<const uint8_t*>(B.ScanLine(y));
    for (int x = 0; x < A.Width() * 3; ++x) sum += std::abs(int(a[x]) - int(b[x]));
  }
  return double(sum) / (double(A.Width()) * A.Height() * 3);
}

}  // namespace preview_world
