// The glow layer and the system wrappers: fades in the steps the callers rely on, a click-through
// popup that never activates, replacement and hiding, and the degraded wrappers.

#include <gtest/gtest.h>

#include "lib/drawing/vlEffects.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/drawing/vlUtils.h"
#include "platform/core/Clock.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/graphics/Surface.h"
#include "platform/windowing/WindowTree.h"

namespace {

void Pump() {
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
}

void Fill(TBitmap& b, int w, int h, std::uint32_t bgra) {
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<std::uint32_t*>(b.ScanLine(y));
    std::fill_n(row, w, bgra);
  }
}

// Grey level the black screen shows at p (white glow: the glow's opacity).
int ScreenGrey(TPoint p) {
  auto shot = HeadlessDisplay()->Screenshot(RGB(0, 0, 0));
  return static_cast<int>(shot->PixelAt(p.X, p.Y) & 0xFF);
}

class LayerManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vlUtilsStartup();
    HeadlessDisplay()->SetScreenSize({640, 480});
    Fill(image, 20, 10, 0x00FFFFFF);
    Fill(mask, 20, 10, 0x00FFFFFF);
  }
  void TearDown() override { vlUtilsShutdown(); }
  TScopedTestClock clock;
  TBitmap image, mask;
};

TEST_F(LayerManagerTest, StartupRecordsTheProcessorAndTheDrawingTableInUse) {
  EXPECT_EQ(vlMMXInUse(), HasMMX());
  EXPECT_EQ(&vlPixelRoutines(), vlMMXInUse() ? &vlMMXPixelRoutines() : &vlPlainPixelRoutines());
}

TEST_F(LayerManagerTest, FadeReachesItsEndInTenthsAndAlwaysEnds) {
  struct Case {
    int value;
    std::vector<int> steps;  // the opacity after each tick
  } cases[] = {
      {200, {20, 40, 60, 80, 100, 120, 140, 160, 180, 200}},
      {255, {25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 255}},
      {5, {1, 2, 3, 4, 5}},  // a tenth of 5 is 0: the step is kept at 1 so the fade ends
      {300, {25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 255}},  // cut to 255
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    TvlLayerManager manager(nullptr);
    manager.Show(100, 50, &image, &mask, c.value);
    ASSERT_TRUE(manager.IsVisible);
    ASSERT_NE(manager.LayerWindow, nullptr);
    Pump();
    EXPECT_EQ(ScreenGrey({105, 55}), 0) << "starts invisible";
    std::vector<int> seen;
    for (int tick = 0; tick < 20 && manager.Timer->Enabled(); ++tick) {
      clock.Advance(25);
      Pump();
      seen.push_back(manager.BeginAlphaBlendValue);
    }
    EXPECT_EQ(seen, c.steps);
    EXPECT_FALSE(manager.Timer->Enabled());
    EXPECT_EQ(ScreenGrey({105, 55}), c.steps.back());
  }
}

TEST_F(LayerManagerTest, GlowIsAClickThroughTopmostPopupThatNeverActivates) {
  WNDCLASS cls;
  cls.lpfnWndProc = DefWindowProc;
  cls.lpszClassName = "GlowBelow";
  RegisterClass(&cls);
  HWND below = CreateWindowEx(0, "GlowBelow", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
  HWND other = CreateWindowEx(0, "GlowBelow", "", WS_POPUP | WS_VISIBLE, 400, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(other);
  TvlLayerManager manager(nullptr);
  manager.Show(100, 50, &image, &mask, 200);
  HWND glow = manager.LayerWindow->Handle();
  auto ex = static_cast<DWORD>(GetWindowLongPtr(glow, GWL_EXSTYLE));
  EXPECT_EQ(ex & (WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED | WS_EX_TOPMOST),
            WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED | WS_EX_TOPMOST);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtr(glow, GWL_STYLE)) & WS_POPUP, WS_POPUP);
  EXPECT_EQ(GetClassLong(glow, GCL_STYLE) & CS_SAVEBITS, CS_SAVEBITS);
  EXPECT_EQ(SendMessage(glow, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
  EXPECT_EQ(GetActiveWindow(), other) << "showing did not take the activation";
  TRect r;
  GetWindowRect(glow, &r);
  EXPECT_EQ(r, Bounds(100, 50, 20, 10));
  EXPECT_EQ(WindowFromPoint({105, 55}), glow);
  EXPECT_EQ(detail::WindowFromPointForInput({105, 55}, {}), below) << "the mouse passes through";

  // A second Show replaces the layer; Hide frees it.
  manager.Show(10, 10, &image, &mask, 100);
  EXPECT_FALSE(IsWindow(glow));
  HWND second = manager.LayerWindow->Handle();
  manager.Hide();
  EXPECT_FALSE(manager.IsVisible);
  EXPECT_EQ(manager.LayerWindow, nullptr);
  EXPECT_EQ(manager.Bmp, nullptr);
  EXPECT_FALSE(IsWindow(second));
  DestroyWindow(below);
  DestroyWindow(other);
}

TEST_F(LayerManagerTest, WrappersDegradeWithoutTheirEntryPoints) {
  WNDCLASS cls;
  cls.lpfnWndProc = DefWindowProc;
  cls.lpszClassName = "WrapperWindow";
  RegisterClass(&cls);
  HWND h = CreateWindowEx(WS_EX_LAYERED, "WrapperWindow", "", WS_POPUP | WS_VSCROLL, 5, 5, 100, 100, nullptr, nullptr,
                          nullptr, nullptr);
  SCROLLBARINFO info;
  EXPECT_TRUE(GetScrollBarInfoSafe(h, OBJID_VSCROLL, info));
  EXPECT_EQ(info.rgstate[0], 0u);
  SetWindowAlpha(h, 77);
  BYTE alpha = 0;
  EXPECT_TRUE(GetLayeredWindowAttributes(h, nullptr, &alpha, nullptr));
  EXPECT_EQ(alpha, 77);
  EXPECT_FALSE(HasMultipleMonitors());
  TRect r;
  GetMonitorWorkArea(h, false, r);
  EXPECT_EQ(r, Rect(0, 0, 640, 480)) << "one monitor, whole screen";

  vlSetEntryPoints(TvlSystemEntryPoints{});  // a system without any of them
  SCROLLBARINFO none;
  EXPECT_EQ(GetScrollBarInfoSafe(h, OBJID_VSCROLL, none), 0);
  EXPECT_EQ(none.rgstate[0], STATE_SYSTEM_INVISIBLE);
  SetWindowAlpha(h, 10);
  GetLayeredWindowAttributes(h, nullptr, &alpha, nullptr);
  EXPECT_EQ(alpha, 77) << "nothing happened";
  TvlBitmap bmp;
  bmp.SetSize(4, 4);
  UpdateLayeredBitmap(&bmp, 255, h);
  GetWindowRect(h, &r);
  EXPECT_EQ(r, Bounds(5, 5, 100, 100));
  EXPECT_FALSE(HasMultipleMonitors());
  DestroyWindow(h);
}

// Two monitors side by side, the second to the right.
class TwoMonitors : public THeadlessDisplay {
 public:
  std::vector<TMonitorDesc> Monitors() const override {
    return {TMonitorDesc{Rect(0, 0, 640, 480), Rect(0, 0, 640, 440), true},
            TMonitorDesc{Rect(640, 0, 1664, 768), Rect(640, 30, 1664, 768), false}};
  }
};

TEST_F(LayerManagerTest, MonitorWorkAreaFollowsTheNearestMonitorOrStaysWhenUnreadable) {
  auto previous = SetDisplay(std::make_unique<TwoMonitors>());
  WNDCLASS cls;
  cls.lpfnWndProc = DefWindowProc;
  cls.lpszClassName = "MonitorWindow";
  RegisterClass(&cls);
  HWND h = CreateWindowEx(0, "MonitorWindow", "", WS_POPUP, 1000, 100, 50, 50, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(HasMultipleMonitors());
  TRect r;
  GetMonitorWorkArea(h, true, r);
  EXPECT_EQ(r, Rect(640, 30, 1664, 768));
  GetMonitorWorkArea(h, false, r);
  EXPECT_EQ(r, Rect(640, 0, 1664, 768));
  TvlSystemEntryPoints failing = vlEntryPoints();
  failing.GetMonitorInfoA = [](HMONITOR, MONITORINFO*) -> BOOL { return FALSE; };
  vlSetEntryPoints(failing);
  TRect kept = Rect(1, 2, 3, 4);
  GetMonitorWorkArea(h, true, kept);
  EXPECT_EQ(kept, Rect(1, 2, 3, 4));
  DestroyWindow(h);
  SetDisplay(std::move(previous));
}

}  // namespace
