#include <gtest/gtest.h>

#include "tests/platform/SurfaceFixture.h"
#include "platform/graphics/Gdi.h"

namespace {

constexpr std::uint32_t kInk = 0x00FFFFFF;  // white pen and brush on the zero-filled surface

struct WhitePen {
  explicit WhitePen(HDC dc) : dc_(dc) {
    pen_ = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    old_ = SelectObject(dc, pen_);
  }
  ~WhitePen() {
    SelectObject(dc_, old_);
    DeleteObject(pen_);
  }
  HDC dc_;
  HPEN pen_;
  HGDIOBJ old_;
};

}  // namespace

TEST(Lines, EndPixelIsLeftOutAndDiagonalsStepEvenly) {
  struct Case {
    const char* name;
    TPoint from, to;
    const char* picture;
  } cases[] = {
      {"horizontal", {0, 1}, {4, 1}, ".....\n####.\n.....\n.....\n"},
      {"vertical up", {2, 3}, {2, 0}, ".....\n..#..\n..#..\n..#..\n"},
      {"diagonal", {0, 0}, {4, 4}, "#....\n.#...\n..#..\n...#.\n"},
      {"shallow", {0, 0}, {4, 2}, "##...\n..##.\n.....\n.....\n"},
      {"single point", {1, 1}, {1, 1}, ".....\n.....\n.....\n.....\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSurface s(5, 4);
    WhitePen pen(s.dc);
    MoveToEx(s.dc, c.from.X, c.from.Y, nullptr);
    ASSERT_TRUE(LineTo(s.dc, c.to.X, c.to.Y));
    EXPECT_EQ(s.Picture(kInk), c.picture);
    TPoint at;
    MoveToEx(s.dc, 0, 0, &at);
    EXPECT_EQ(at, c.to);  // the pen moved to the end point
  }
}

TEST(Lines, XorModeDrawnTwiceRestores) {
  TestSurface s(4, 1);
  s.Put(1, 0, 0x00123456);
  WhitePen pen(s.dc);
  SetROP2(s.dc, R2_XORPEN);
  for (int pass = 0; pass < 2; ++pass) {
    MoveToEx(s.dc, 0, 0, nullptr);
    LineTo(s.dc, 4, 0);
    if (pass == 0) { EXPECT_EQ(s.At(1, 0), 0x00EDCBA9u); }
  }
  EXPECT_EQ(s.At(1, 0), 0x00123456u);
  EXPECT_EQ(s.At(0, 0), 0u);
}

TEST(Shapes, RectangleIsRightAndBottomExclusive) {
  TestSurface s(6, 5);
  WhitePen pen(s.dc);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(s.dc, red);
  ASSERT_TRUE(Rectangle(s.dc, 1, 1, 5, 4));
  EXPECT_EQ(s.Picture(kInk), "......\n.####.\n.#..#.\n.####.\n......\n");
  EXPECT_EQ(s.At(2, 2), 0x00FF0000u);  // the brush inside
  SelectObject(s.dc, old);
  DeleteObject(red);
}

TEST(Shapes, PolygonFillsAndOutlines) {
  // A filled triangle with a white outline and a white fill.
  TestSurface s(6, 6);
  WhitePen pen(s.dc);
  HGDIOBJ old = SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
  const TPoint pts[] = {{0, 0}, {5, 0}, {0, 5}};
  ASSERT_TRUE(Polygon(s.dc, pts, 3));
  EXPECT_EQ(s.Picture(kInk),
            "######\n"
            "#####.\n"
            "####..\n"
            "###...\n"
            "##....\n"
            "#.....\n");
  SelectObject(s.dc, old);
}

TEST(Shapes, FillRectFrameRectAndSystemColourBrushes) {
  TestSurface s(5, 4);
  const TRect r{1, 1, 4, 3};
  HBRUSH face = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
  ASSERT_EQ(FillRect(s.dc, &r, face), 1);
  EXPECT_EQ(s.At(1, 1), (GetSysColor(COLOR_BTNFACE) & 0xFF00) | ((GetSysColor(COLOR_BTNFACE) & 0xFF) << 16) |
                            ((GetSysColor(COLOR_BTNFACE) >> 16) & 0xFF));
  EXPECT_EQ(s.At(4, 1), 0u);
  TestSurface f(5, 5);
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  const TRect fr{0, 0, 5, 4};
  FrameRect(f.dc, &fr, white);
  EXPECT_EQ(f.Picture(kInk), "#####\n#...#\n#...#\n#####\n.....\n");
  DeleteObject(white);
}

TEST(Shapes, FocusRectIsDottedAndUndoesItself) {
  TestSurface s(4, 3);
  const TRect r{0, 0, 4, 3};
  DrawFocusRect(s.dc, &r);
  EXPECT_EQ(s.Picture(kInk), "#.#.\n...#\n#.#.\n");
  DrawFocusRect(s.dc, &r);
  EXPECT_EQ(s.Picture(kInk), "....\n....\n....\n");
}

TEST(Shapes, EllipseStaysInsideItsBoxAndIsSymmetric) {
  TestSurface s(9, 7);
  WhitePen pen(s.dc);
  HGDIOBJ old = SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
  Ellipse(s.dc, 0, 0, 9, 7);
  EXPECT_EQ(s.At(0, 0), 0u);
  EXPECT_EQ(s.At(4, 0), kInk);
  EXPECT_EQ(s.At(0, 3), kInk);
  EXPECT_EQ(s.At(4, 3), kInk);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(s.At(x, y), s.At(8 - x, y)) << x << "," << y;
  SelectObject(s.dc, old);
}

TEST(Shapes, DrawEdgeRaisedUsesLightThenDarkAndAdjusts) {
  TestSurface s(4, 4);
  TRect r{0, 0, 4, 4};
  ASSERT_TRUE(DrawEdge(s.dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST));
  EXPECT_EQ(r, (TRect{2, 2, 2, 2}));
  auto pixel = [](int index) {
    const COLORREF c = GetSysColor(index);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  };
  EXPECT_EQ(s.At(1, 0), pixel(COLOR_3DLIGHT));
  EXPECT_EQ(s.At(3, 1), pixel(COLOR_3DDKSHADOW));
  EXPECT_EQ(s.At(1, 1), pixel(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(s.At(2, 2), pixel(COLOR_BTNSHADOW));
}

TEST(Pixels, SetAndGetFollowOriginAndClip) {
  TestSurface s(4, 4);
  SetViewportOrgEx(s.dc, 1, 1, nullptr);
  IntersectClipRect(s.dc, 0, 0, 2, 2);
  SetPixel(s.dc, 0, 0, RGB(1, 2, 3));
  EXPECT_EQ(s.At(1, 1), 0x00010203u);
  EXPECT_EQ(GetPixel(s.dc, 0, 0), RGB(1, 2, 3));
  SetPixel(s.dc, 2, 2, RGB(9, 9, 9));  // clipped
  EXPECT_EQ(s.At(3, 3), 0u);
  EXPECT_EQ(GetPixel(s.dc, 2, 2), CLR_INVALID);
}
