// How a skinned form behaves: minimizing the main form, the caption double click, the first-show
// placement, the fade-in on the clock, magnetic snapping while dragged, the overlay over an
// inactive form, and the shadow and style operations.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/controls/vlClientInActivePanel.h"
#include "lib/drawing/vlLayerManager.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/LayeredWindow.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"
#include "tests/lib/ClockedFormWorld.h"

namespace {

class FormBehaviourTest : public ClockedFormWorld {
 protected:
  void SetUp() override {
    ClockedFormWorld::SetUp();
    vlUtilsStartup();  // the layered windows
  }
  void TearDown() override {
    ClockedFormWorld::TearDown();
    vlUtilsShutdown();
  }

  // A sizeable built-in-look form at a screen rectangle (not shown); the fixture frees it.
  TvlVelmora* MakeSkinnedForm(TRect r = TRect{100, 80, 400, 280}) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBorderStyle(TFormBorderStyle::bsSizeable);
    f->SetBoundsRect(r);
    f->SetCaption("视频转换");
    forms.emplace_back(f);
    return new TvlVelmora(f);
  }
  static BYTE Alpha(HWND h) {
    BYTE a = 255;
    GetLayeredWindowAttributes(h, nullptr, &a, nullptr);
    return a;
  }
  static bool Layered(HWND h) { return (GetWindowLong(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
};

TEST_F(FormBehaviourTest, MinimizingTheMainFormMinimizesTheApplication) {
  TvlVelmora* v = MakeSkinnedForm();
  app.SetMainForm(v->Form());
  v->Form()->Show();
  Run();
  const TRect bounds = v->Form()->BoundsRect();
  v->SetWindowState(TWindowState::wsMinimized);
  EXPECT_TRUE(app.Minimized());
  EXPECT_EQ(v->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(v->Form()->BoundsRect(), bounds);
  app.Restore();
  EXPECT_FALSE(app.Minimized());
}

TEST_F(FormBehaviourTest, ACaptionDoubleClickRollsTheFormUpAndDown) {
  TvlVelmora* v = MakeSkinnedForm();
  v->SetBorderIcons(TvlBorderIcons{TvlBorderIcon::biSystemMenu, TvlBorderIcon::biMinimize, TvlBorderIcon::biRollUp});
  v->Form()->Show();
  Run();
  const TPoint caption{v->Form()->Left() + 120, v->Form()->Top() + 8};
  display->Click(caption);
  display->Click(caption);
  Run();
  EXPECT_TRUE(v->RollUpState());
  EXPECT_EQ(v->Form()->Height(), v->GetMinHeight());
  EXPECT_EQ(v->RealHeight(), 200);
  clock->Advance(600);  // no double click with the one before
  display->Click(caption);
  display->Click(caption);
  Run();
  EXPECT_FALSE(v->RollUpState());
  EXPECT_EQ(v->Form()->Height(), 200);
}

TEST_F(FormBehaviourTest, TheFirstShowPlacesTheFormInTheMonitor) {
  // The screen is 800 x 600 with a work area of 800 x 560.
  const struct {
    TvlPositionInMonitor position;
    TPoint at;
  } cases[] = {{TvlPositionInMonitor::vlpDefault, {10, 20}},
               {TvlPositionInMonitor::vlpDesktopCenter, {250, 180}},
               {TvlPositionInMonitor::vlpScreenCenter, {250, 200}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.position));
    TvlVelmora* v = MakeSkinnedForm(TRect{10, 20, 310, 220});
    v->PositionInMonitor = c.position;
    v->Form()->Show();
    Run();
    EXPECT_EQ(v->Form()->Left(), c.at.X);
    EXPECT_EQ(v->Form()->Top(), c.at.Y);
    // Only the first show places it.
    v->Form()->SetBounds(30, 40, 300, 200);
    v->Form()->Hide();
    v->Form()->Show();
    Run();
    EXPECT_EQ(v->Form()->Left(), 30);
    forms.clear();
    Run();
  }
  // A form first shown maximized is placed when it is first restored.
  TvlVelmora* v = MakeSkinnedForm(TRect{10, 20, 310, 220});
  v->PositionInMonitor = TvlPositionInMonitor::vlpDesktopCenter;
  v->SetWindowState(TWindowState::wsMaximized);
  v->Form()->Show();
  Run();
  EXPECT_EQ(v->Form()->BoundsRect(), (TRect{0, 0, 800, 560}));
  v->SetWindowState(TWindowState::wsNormal);
  EXPECT_EQ(v->Form()->BoundsRect(), (TRect{250, 180, 550, 380}));
}

TEST_F(FormBehaviourTest, TheFadeInStepsOnTheClockAndEndsPlainOrAtItsOpacity) {
  // Animated: 0 to 255 in steps of 17, one a timer tick (the shortest interval, 10 ms).
  TvlVelmora* v = MakeSkinnedForm();
  v->AlphaBlendAnimation = true;
  v->Form()->Show();
  HWND h = v->Form()->Handle();
  EXPECT_TRUE(Layered(h));
  EXPECT_EQ(Alpha(h), 0);
  Wait(10, 10);
  EXPECT_EQ(Alpha(h), 17);
  std::vector<int> seen;
  for (int i = 0; i < 20 && v->FadeAlpha() >= 0; ++i) {
    Wait(10, 10);
    seen.push_back(v->FadeAlpha() >= 0 ? v->FadeAlpha() : 255);
  }
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), 34);
  EXPECT_EQ(seen.size(), 14u);  // 15 steps in all
  EXPECT_EQ(v->FadeAlpha(), -1);
  EXPECT_FALSE(Layered(h)) << "a fade to full opacity drops the layered style";
  forms.clear();
  Run();

  // AlphaBlend at 200 without animation: 200 at the first tick, and the form stays layered.
  v = MakeSkinnedForm();
  v->SetAlphaBlendValue(200);
  v->SetAlphaBlend(true);
  v->Form()->Show();
  h = v->Form()->Handle();
  Wait(10, 10);
  EXPECT_EQ(Alpha(h), 200);
  EXPECT_TRUE(Layered(h));
  EXPECT_EQ(v->FadeAlpha(), -1);
}

TEST_F(FormBehaviourTest, ADraggedFormSticksToTheWorkAreaEdgeUntilThePointerTearsItOff) {
  TvlVelmora* v = MakeSkinnedForm();
  v->Magnetic = true;
  v->MagneticSize = 10;
  v->Form()->Show();
  Run();
  HWND h = v->Form()->Handle();
  display->MouseMove({150, 90});  // the pointer holds the caption 50 pixels from the left edge
  SendMessage(h, WM_ENTERSIZEMOVE, 0, 0);
  const auto drag = [&](int cursorX) {
    display->MouseMove({cursorX, 90});
    TRect r{cursorX - 50, 80, cursorX - 50 + 300, 280};
    SendMessage(h, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
    return r.Left;
  };
  const struct {
    int cursorX, left;
  } steps[] = {{120, 70}, {59, 0}, {52, 0}, {49, 0}, {47, -12}, {90, 31}, {95, 45}};
  for (const auto& s : steps) {
    SCOPED_TRACE(s.cursorX);
    EXPECT_EQ(drag(s.cursorX), s.left);
  }
  SendMessage(h, WM_EXITSIZEMOVE, 0, 0);

  // A maximized form keeps its place.
  v->SetWindowState(TWindowState::wsMaximized);
  TRect r{40, 40, 340, 240};
  SendMessage(h, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r, (TRect{0, 0, 800, 560}));
}

TEST_F(FormBehaviourTest, AnInactiveFormShowsABlurredCopyOfItsClientArea) {
  TvlVelmora* v = MakeSkinnedForm();
  v->ClientInActiveEffect = true;
  v->ClientInActiveEffectType = TvlClientInActiveEffect::vlieBlur;
  v->Form()->Show();
  Run();
  auto* other = CreateForm<TForm>(nullptr);
  forms.emplace_back(other);
  other->SetBoundsRect(TRect{500, 300, 700, 450});
  other->Show();
  Run();
  ASSERT_FALSE(v->Form()->Active());
  TvlClientInActivePanel* panel = v->InActivePanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->Visible());
  EXPECT_EQ(panel->BoundsRect(), v->Form()->ClientRect());
  ASSERT_NE(panel->Buffer, nullptr);
  EXPECT_EQ(panel->Buffer->Width(), v->Form()->ClientWidth());

  v->Form()->SetFocus();
  Run();
  EXPECT_EQ(v->InActivePanel(), nullptr);
}

TEST_F(FormBehaviourTest, ShadowAndStyleOperations) {
  TvlVelmora* v = MakeSkinnedForm();
  v->Form()->Show();
  Run();
  HWND h = v->Form()->Handle();
  // The class style is asked for; the platform keeps class styles fixed and draws no shadow.
  v->EnableShadow(true, true);
  EXPECT_TRUE(v->FHaveShadow);
  EXPECT_TRUE(v->Form()->Visible());
  EXPECT_EQ(v->Form()->Handle(), h);
  v->EnableShadow(false, false);
  EXPECT_FALSE(v->FHaveShadow);

  v->SetFormStyle(TFormStyle::fsStayOnTop);
  EXPECT_EQ(v->Form()->FormStyle(), TFormStyle::fsStayOnTop);
  v->SetFormStyle(TFormStyle::fsMDIForm);  // refused
  EXPECT_EQ(v->Form()->FormStyle(), TFormStyle::fsStayOnTop);
  v->SetFormBorderStyle(TFormBorderStyle::bsDialog);
  EXPECT_EQ(v->Form()->BorderStyle(), TFormBorderStyle::bsDialog);
}

}  // namespace
