#pragma once
// A fixture for the component framework's tests: the headless display with a known screen, an
// application object, and a check that every window made during the test is gone afterwards.

#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/Application.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/HintWindow.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/graphics/Surface.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"
#include "ScreenShot.h"

class FormWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    display->MouseMove({799, 599});
    Pump();
    windowsBefore = detail::LiveWindowCount();
  }

  void TearDown() override {
    forms.clear();
    Pump();
    // The application window and its hint window live with the application; everything else
    // must be gone.
    std::size_t kept = app.HandleAllocated() ? 1u : 0u;
    if (app.HintWindow() && app.HintWindow()->HandleAllocated()) ++kept;
    EXPECT_LE(detail::LiveWindowCount(), windowsBefore + kept);
  }

  // A borderless form at a screen rectangle, freed by the fixture.
  TForm* MakeForm(TRect r, TColor color = clBtnFace) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBorderStyle(TFormBorderStyle::bsNone);
    f->SetBoundsRect(r);
    f->SetColor(color);
    forms.emplace_back(f);
    return f;
  }

  static void Pump() {
    MSG m;
    for (int guard = 0; guard < 100000 && PeekMessage(&m, nullptr, 0, 0, PM_REMOVE); ++guard) {
      TranslateMessage(&m);
      DispatchMessage(&m);
    }
  }

  // The screen once everything waiting is painted; read many points of one shot rather than
  // calling ScreenAt for each.
  TScreenShot ScreenShot() {
    Pump();
    return TScreenShot(*display, RGB(1, 2, 3));
  }

  COLORREF ScreenAt(TPoint p) { return ScreenShot().At(p); }

  TApplication app{nullptr};
  THeadlessDisplay* display = nullptr;
  std::vector<std::unique_ptr<TForm>> forms;
  std::size_t windowsBefore = 0;
};
