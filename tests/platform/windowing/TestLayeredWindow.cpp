// Layered windows composed into the headless screenshot: constant alpha, colour key, and
// per-pixel straight alpha times a constant alpha from UpdateLayeredWindow.

#include "tests/platform/WindowFixture.h"

#include "platform/windowing/LayeredWindow.h"

namespace {

using LayeredWindowTest = WindowWorld;

constexpr COLORREF kBack = RGB(0, 0, 0);

TEST_F(LayeredWindowTest, AttributesBlendThePaintedWindowOverTheScreen) {
  HWND h = Make(WS_POPUP, Bounds(10, 10, 40, 40), nullptr, RGB(200, 100, 0), WS_EX_LAYERED | WS_EX_TOOLWINDOW);
  EXPECT_FALSE(SetLayeredWindowAttributes(Make(WS_POPUP, Bounds(0, 0, 1, 1)), 0, 128, LWA_ALPHA))
      << "only for WS_EX_LAYERED";
  ASSERT_TRUE(SetLayeredWindowAttributes(h, 0, 128, LWA_ALPHA));
  ShowWindow(h, SW_SHOWNA);
  Pump();
  EXPECT_EQ(ScreenAt({20, 20}, kBack), RGB(100, 50, 0)) << "half of the colour over black";
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(h, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags, LWA_ALPHA);
  // A colour key makes the window's pixels of that colour transparent.
  SetLayeredWindowAttributes(h, RGB(200, 100, 0), 255, LWA_COLORKEY);
  EXPECT_EQ(ScreenAt({20, 20}, RGB(9, 9, 9)), RGB(9, 9, 9));
}

TEST_F(LayeredWindowTest, UpdatedImageShowsItsStraightAlphaTimesTheConstant) {
  HWND glow = Make(WS_POPUP, Bounds(0, 0, 1, 1), nullptr, 0, WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW);
  ShowWindow(glow, SW_SHOWNA);
  // A 2 x 1 image: opaque white, then white at alpha 51 (straight, not premultiplied).
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(nullptr, 2, 1);
  HGDIOBJ old = SelectObject(mem, bmp);
  auto s = GetDCSurface(mem);
  s->Row32(0)[0] = 0xFFFFFFFFu;
  s->Row32(0)[1] = 0x33FFFFFFu;
  struct Case {
    BYTE constant;
    COLORREF left, right;
  } cases[] = {{255, RGB(255, 255, 255), RGB(51, 51, 51)}, {0, kBack, kBack}, {128, RGB(128, 128, 128), RGB(26, 26, 26)}};
  for (auto& k : cases) {
    SCOPED_TRACE(static_cast<int>(k.constant));
    TPoint dst{100, 50}, src{0, 0};
    TSize size{2, 1};
    BLENDFUNCTION blend;
    blend.SourceConstantAlpha = k.constant;
    blend.AlphaFormat = AC_SRC_ALPHA;
    ASSERT_TRUE(UpdateLayeredWindow(glow, nullptr, &dst, &size, mem, &src, 0, &blend, ULW_ALPHA));
    const TScreenShot shot = ScreenShot(kBack);
    EXPECT_EQ(shot.At({100, 50}), k.left);
    EXPECT_EQ(shot.At({101, 50}), k.right);
  }
  TRect r;
  GetWindowRect(glow, &r);
  EXPECT_EQ(r, Bounds(100, 50, 2, 1)) << "moved and sized by the update";
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
}

}  // namespace
