#pragma once
// The world of the skinned-control tests: the headless display with a known screen, the test
// clock every timer reads, the fixture skin (with the stand-in slider pictures), the layered
// windows of the glow frames, and forms freed after each test.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "FixtureSkin.h"
#include "SkinnedTestForm.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "tests/platform/ScreenShot.h"

namespace skinned_controls_world {

// The folder of the test sources (a compiler cache may hand the compiler a path relative to the
// build folder, the test program's parent folder).
inline std::filesystem::path SourceFolder() {
  std::filesystem::path source(__FILE__);
  if (source.is_relative())
    source = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / source;
  return source.parent_path();
}

class SkinnedControlsWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    display->MouseMove({799, 599});
    fixture_skin::RegisterSliderPictures();
    fixture_skin::Fill(skin);
    vlUtilsStartup();  // the layered windows of the glow frames
  }

  void TearDown() override {
    display->MouseMove({799, 599});
    forms.clear();
    Pump();
    vlUtilsShutdown();
  }

  TForm* MakeForm(TRect r) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBorderStyle(TFormBorderStyle::bsNone);
    f->SetBoundsRect(r);
    f->SetColor(clBtnFace);
    forms.emplace_back(f);
    return f;
  }

  static void Pump() { skinned_test_form::Pump(); }

  // Moves the test clock in steps of Step ms, pumping after each.
  void Advance(int Ms, int Step = 10) {
    for (int t = 0; t < Ms; t += Step) {
      clock.Advance(static_cast<std::uint64_t>(std::min(Step, Ms - t)));
      Pump();
    }
  }

  // The screen once everything waiting is painted; read many points of one shot.
  TScreenShot ScreenShot() {
    Pump();
    return TScreenShot(*display, RGB(1, 2, 3));
  }

  TPoint Centre(TControl* c) { return c->ClientToScreen(TPoint{c->Width() / 2, c->Height() / 2}); }

  void Hover(TControl* c) {
    display->MouseMove(Centre(c));
    Pump();
  }

  void Click(TControl* c) {
    display->MouseMove(Centre(c));
    display->Click(Centre(c));
    Pump();
  }

  template <typename T>
  T* Add(TWinControl* parent, TRect bounds, const char* caption = "确定") {
    auto* c = new T(parent);
    c->SetParent(parent);
    c->SetCaption(caption);
    c->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    c->SetSkinData(&skin);
    return c;
  }

  TScopedTestClock clock;
  TApplication app{nullptr};
  THeadlessDisplay* display = nullptr;
  TvlSkinData skin{nullptr};
  std::vector<std::unique_ptr<TForm>> forms;
};

}  // namespace skinned_controls_world

using skinned_controls_world::SkinnedControlsWorld;
