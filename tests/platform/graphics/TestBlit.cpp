#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/SurfaceFixture.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Region.h"

namespace {

// A source whose pixel (x, y) is 0xA0000000 | (y << 8) | x: every pixel tells where it came from.
void Number(TestSurface& s) {
  for (int y = 0; y < s.surface->Height(); ++y)
    for (int x = 0; x < s.surface->Width(); ++x) s.Put(x, y, 0xA0000000u | (y << 8) | x);
}

}  // namespace

TEST(BitBlt, SrcCopyCopiesAllFourBytesWithOriginsAndClip) {
  TestSurface src(4, 4), dst(6, 6);
  Number(src);
  dst.Fill(0x11111111);
  // Destination window origin (-1, -1): logical (0, 0) is pixel (1, 1). Clip excludes column 1.
  SetWindowOrgEx(dst.dc, -1, -1, nullptr);
  ExcludeClipRect(dst.dc, 0, 0, 1, 6);
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 3, 2, src.dc, 1, 2, SRCCOPY));
  EXPECT_EQ(dst.At(1, 1), 0x11111111u);  // clipped away
  EXPECT_EQ(dst.At(2, 1), 0xA0000202u);  // source (2, 2)
  EXPECT_EQ(dst.At(3, 2), 0xA0000303u);  // source (3, 3)
  EXPECT_EQ(dst.At(4, 1), 0x11111111u);  // outside the 3 x 2 block
}

TEST(BitBlt, RasterOperationsTable) {
  struct Case {
    const char* name;
    DWORD rop;
    std::uint32_t expected;  // for source 0x000F0F0F over destination 0x00FF00FF, brush red
  } cases[] = {
      {"SRCPAINT", SRCPAINT, 0x00FF0FFF},   {"SRCAND", SRCAND, 0x000F000F},
      {"SRCINVERT", SRCINVERT, 0x00F00FF0}, {"NOTSRCCOPY", NOTSRCCOPY, 0xFFF0F0F0},
      {"DSTINVERT", DSTINVERT, 0xFF00FF00}, {"BLACKNESS", BLACKNESS, 0x00000000},
      {"WHITENESS", WHITENESS, 0xFFFFFFFF}, {"PATCOPY", PATCOPY, 0x00FF0000},
      {"PATINVERT", PATINVERT, 0x000000FF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSurface src(1, 1), dst(1, 1);
    src.Put(0, 0, 0x000F0F0F);
    dst.Put(0, 0, 0x00FF00FF);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dst.dc, red);
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, c.rop));
    EXPECT_EQ(dst.At(0, 0), c.expected);
    SelectObject(dst.dc, old);
    DeleteObject(red);
  }
}

TEST(BitBlt, OverlappingCopyWithinOneSurfaceMovesPixels) {
  TestSurface s(5, 1);
  Number(s);
  ASSERT_TRUE(BitBlt(s.dc, 1, 0, 4, 1, s.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(s.At(0, 0), 0xA0000000u);
  for (int x = 1; x < 5; ++x) EXPECT_EQ(s.At(x, 0), 0xA0000000u | (x - 1)) << x;
}

TEST(StretchBlt, NearestNeighbourRuleTable) {
  struct Case {
    const char* name;
    int srcW, dstW;
    std::vector<int> columns;  // source column of each destination column
  } cases[] = {
      {"double", 2, 4, {0, 0, 1, 1}},
      {"triple", 2, 6, {0, 0, 0, 1, 1, 1}},
      {"halve", 4, 2, {1, 3}},             // floor((2i+1)*4/4)
      {"three into two", 3, 2, {0, 2}},    // floor(3/4)=0, floor(9/4)=2
      {"mirror", -3, 3, {2, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSurface src(4, 1), dst(static_cast<int>(c.columns.size()), 1);
    Number(src);
    const int srcX = c.srcW < 0 ? -c.srcW : 0;
    SetStretchBltMode(dst.dc, COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, c.dstW, 1, src.dc, srcX, 0, c.srcW, 1, SRCCOPY));
    for (std::size_t i = 0; i < c.columns.size(); ++i)
      EXPECT_EQ(dst.At(static_cast<int>(i), 0), 0xA0000000u | static_cast<std::uint32_t>(c.columns[i])) << i;
  }
}

TEST(StretchBlt, RowsFollowTheSameRuleAndKeepAlpha) {
  TestSurface src(1, 3), dst(1, 6);
  Number(src);
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 1, 6, src.dc, 0, 0, 1, 3, SRCCOPY));
  const std::uint32_t rows[] = {0, 0, 1, 1, 2, 2};
  for (int y = 0; y < 6; ++y) EXPECT_EQ(dst.At(0, y), 0xA0000000u | (rows[y] << 8)) << y;
}

TEST(AlphaBlend, ConstantAndPerPixelTable) {
  struct Case {
    const char* name;
    BYTE constant;
    BYTE format;
    std::uint32_t src, dst, expected;
  } cases[] = {
      // d = (s * ca + d * (255 - ca)) / 255 on every byte.
      {"constant half", 128, 0, 0x00FF0000, 0x000000FF, 0x0080007F},
      {"constant opaque", 255, 0, 0x80123456, 0x00FFFFFF, 0x80123456},
      {"constant zero", 0, 0, 0x80123456, 0x11223344, 0x11223344},
      // Premultiplied: d = s + d * (255 - sa) / 255.
      {"per-pixel opaque", 255, AC_SRC_ALPHA, 0xFF102030, 0xFFFFFFFF, 0xFF102030},
      {"per-pixel clear", 255, AC_SRC_ALPHA, 0x00000000, 0x80402010, 0x80402010},
      {"per-pixel half", 255, AC_SRC_ALPHA, 0x80400000, 0x000000FF, 0x8040007F},
      {"per-pixel with constant", 128, AC_SRC_ALPHA, 0xFF0000FF, 0x00000000, 0x80000080},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSurface src(1, 1), dst(1, 1);
    src.Put(0, 0, c.src);
    dst.Put(0, 0, c.dst);
    BLENDFUNCTION bf{AC_SRC_OVER, 0, c.constant, c.format};
    ASSERT_TRUE(AlphaBlend(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 1, 1, bf));
    EXPECT_EQ(dst.At(0, 0), c.expected);
  }
}

TEST(AlphaBlend, RefusesSourceOutsideTheSurface) {
  TestSurface src(2, 2), dst(2, 2);
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, 0};
  EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 1, 0, 2, 2, bf));
  EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, -1, 2, src.dc, 0, 0, 2, 2, bf));
  EXPECT_TRUE(AlphaBlend(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, bf));
}

TEST(TransparentBlt, SkipsTheKeyColourIgnoringAlpha) {
  TestSurface src(2, 1), dst(2, 1);
  src.Put(0, 0, 0xFF7F007F);  // key (red 127, blue 127) with an alpha
  src.Put(1, 0, 0x00010203);
  dst.Fill(0x00ABCDEF);
  ASSERT_TRUE(TransparentBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, 2, 1, RGB(127, 0, 127)));
  EXPECT_EQ(dst.At(0, 0), 0x00ABCDEFu);
  EXPECT_EQ(dst.At(1, 0), 0x00010203u);
}

TEST(DibBits, GetDIBitsTo24BitBottomUpAndStretchDIBitsBack) {
  TestSurface s(3, 2);
  s.Put(0, 0, 0xFF010203);
  s.Put(2, 1, 0xFF0A0B0C);
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 3;
  bi.bmiHeader.biHeight = 2;  // bottom-up
  bi.bmiHeader.biBitCount = 24;
  std::vector<std::uint8_t> bits(2 * 12, 0xEE);
  SelectObject(s.dc, s.old);  // the platform wants the bitmap out of any DC
  ASSERT_EQ(GetDIBits(s.dc, s.bitmap, 0, 2, bits.data(), &bi, DIB_RGB_COLORS), 2);
  SelectObject(s.dc, s.bitmap);
  // File row 0 is the bottom row: pixel (2, 1) at bytes 6..8; row 1 is the top: (0, 0) at 12.
  EXPECT_EQ(bits[6], 0x0C);
  EXPECT_EQ(bits[8], 0x0A);
  EXPECT_EQ(bits[12], 0x03);
  EXPECT_EQ(bits[14], 0x01);
  EXPECT_EQ(bits[9], 0);  // padding zeroed

  TestSurface back(3, 2);
  ASSERT_EQ(StretchDIBits(back.dc, 0, 0, 3, 2, 0, 0, 3, 2, bits.data(), &bi, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(back.At(0, 0), 0x00010203u);
  EXPECT_EQ(back.At(2, 1), 0x000A0B0Cu);
}

TEST(DeviceContext, SaveAndRestoreBringBackOriginClipAndObjects) {
  TestSurface s(4, 4);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  const int level = SaveDC(s.dc);
  EXPECT_EQ(level, 1);
  SetWindowOrgEx(s.dc, 2, 2, nullptr);
  IntersectClipRect(s.dc, 2, 2, 3, 3);
  HGDIOBJ before = SelectObject(s.dc, blue);
  PatBlt(s.dc, 0, 0, 8, 8, PATCOPY);
  EXPECT_EQ(s.At(0, 0), 0x000000FFu);
  EXPECT_EQ(s.At(1, 0), 0u);
  ASSERT_TRUE(RestoreDC(s.dc, -1));
  TPoint org{9, 9};
  GetWindowOrgEx(s.dc, &org);
  EXPECT_EQ(org, (TPoint{0, 0}));
  EXPECT_EQ(GetCurrentObject(s.dc, OBJ_BRUSH), before);
  TRect box;
  EXPECT_EQ(GetClipBox(s.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (TRect{0, 0, 4, 4}));
  EXPECT_FALSE(RestoreDC(s.dc, -1));  // nothing left to restore
  DeleteObject(blue);
}

TEST(DeviceContext, SurfaceDCKeepsItsBaseClipAndOrigin) {
  auto surface = PixelSurface::Create(8, 8, 32);
  const Region base(TRect{2, 2, 6, 6});
  HDC dc = CreateSurfaceDC(surface, {2, 2}, &base);
  ASSERT_NE(dc, nullptr);
  HRGN all = CreateRectRgn(-100, -100, 100, 100);
  SelectClipRgn(dc, all);  // cannot widen the base clip
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  const TRect r{-2, -2, 10, 10};
  FillRect(dc, &r, white);
  EXPECT_EQ(surface->PixelAt(1, 1), 0u);
  EXPECT_EQ(surface->PixelAt(2, 2), 0x00FFFFFFu);  // device (0, 0)
  EXPECT_EQ(surface->PixelAt(5, 5), 0x00FFFFFFu);
  EXPECT_EQ(surface->PixelAt(6, 6), 0u);
  EXPECT_EQ(SelectObject(dc, CreateCompatibleBitmap(dc, 2, 2)), nullptr);  // no bitmap on a surface DC
  DeleteObject(all);
  DeleteObject(white);
  DeleteDC(dc);
}

TEST(DeviceContext, HostileSizesAndStaleHandlesFailCleanly) {
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 1 << 30;
  bi.bmiHeader.biHeight = -(1 << 30);
  bi.bmiHeader.biBitCount = 32;
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 40000, 2), nullptr);
  bi.bmiHeader.biWidth = 4;
  bi.bmiHeader.biHeight = -4;
  bi.bmiHeader.biBitCount = 8;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  DeleteDC(dc);
  EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);

  // Enormous destination rectangles draw only what lands on the surface, without mapping the rest.
  TestSurface src(2, 2), dst(3, 3);
  src.Put(0, 0, 0x00ABCDEF);
  EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 100000000, 100000000, src.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.At(2, 2), 0x00ABCDEFu);
  EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 0x7FFFFFFF, 2, src.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dst.dc, -0x7FFFFFFF - 1, 0, -0x7FFFFFFF - 1, 2, src.dc, 0, 0, 2, 2, SRCCOPY));
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, 0};
  EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0x7FFFFFFF, 0, 2, 2, bf));
}

TEST(DeviceContext, ScreenDCAndWindowDCHandlers) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  SetTextColor(screen, RGB(1, 2, 3));
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(GetTextColor(GetDC(nullptr)), 0u);  // released state is back to the defaults
  EXPECT_FALSE(DeleteDC(screen));

  // Without handlers (the windowing layer may have installed its own earlier in the process).
  HWND window = reinterpret_cast<HWND>(0x1234);
  TWindowDCHandlers installed = SetWindowDCHandlers(nullptr, nullptr);
  EXPECT_EQ(GetDC(window), nullptr);
  EXPECT_EQ(ReleaseDC(window, reinterpret_cast<HDC>(0x5678)), 0);
  auto surface = PixelSurface::Create(4, 4, 32);
  HDC windowDC = CreateSurfaceDC(surface, {0, 0}, nullptr);
  HWND asked = nullptr;
  EXPECT_FALSE(SetWindowDCHandlers([&](HWND h) { asked = h; return windowDC; }, [&](HWND, HDC) { return 1; }).Get);
  EXPECT_EQ(GetDC(window), windowDC);
  EXPECT_EQ(asked, window);
  EXPECT_EQ(ReleaseDC(window, windowDC), 1);
  SetWindowDCHandlers(std::move(installed.Get), std::move(installed.Release));
  DeleteDC(windowDC);
}
