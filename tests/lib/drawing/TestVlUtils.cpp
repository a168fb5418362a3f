#include "lib/drawing/vlUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "lib/drawing/vlEffects.h"
#include "lib/data/vlSkinDescription.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Streams.h"

namespace {

using PixelFn = std::function<std::uint32_t(int x, int y)>;

void MakeBitmap(TBitmap& b, int w, int h, const PixelFn& f) {
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<std::uint32_t*>(b.ScanLine(y));
    for (int x = 0; x < w; ++x) row[x] = f(x, y);
  }
}

std::uint32_t At(TBitmap& b, int x, int y) { return static_cast<std::uint32_t*>(b.ScanLine(y))[x]; }

// A pixel that names its own place: red = column, green = row.
std::uint32_t Coord(int x, int y) { return 0xFF000000u | (static_cast<std::uint32_t>(x) << 16) | (static_cast<std::uint32_t>(y) << 8); }

// ---- Rectangles and conversions ----------------------------------------------------------------

TEST(VlUtilsRectTest, EdgeRules) {
  EXPECT_TRUE(IsPointInRect(TRect{0, 0, 10, 10}, TPoint{10, 10}));
  EXPECT_FALSE(IsPointInRect(TRect{0, 0, 10, 10}, TPoint{11, 10}));
  EXPECT_FALSE(IsRectInRect(TRect{0, 0, 10, 10}, TRect{0, 0, 10, 10}));
  EXPECT_TRUE(IsRectInRect(TRect{1, 1, 9, 9}, TRect{0, 0, 10, 10}));
  EXPECT_TRUE(IsNullRect(TRect{5, 5, 5, 20}));
  EXPECT_TRUE(IsNullRect(TRect{5, 5, 3, 20}));
  EXPECT_FALSE(IsNullRect(TRect{5, 5, 6, 6}));
  EXPECT_TRUE(IsNullPoint(TPoint{0, 7}));
  EXPECT_FALSE(IsNullPoint(TPoint{1, 7}));
  EXPECT_TRUE(RectVertOverlaps(TRect{0, 5, 10, 30}, TRect{0, 0, 10, 10}));
  EXPECT_FALSE(RectVertOverlaps(TRect{0, 10, 10, 30}, TRect{0, 0, 10, 10}));
}

TEST(VlUtilsRectTest, RectFromText) {
  struct Case {
    const char* text;
    TRect expected;
  };
  const Case cases[] = {
      {"1,2,3,4", {1, 2, 3, 4}},       {"1, 2, 3, 4", {1, 2, 3, 4}},  {"(10;20) : (30=40)", {0, 0, 0, 0}},
      {"10;20:30=40", {10, 20, 30, 40}}, {"-5,0,7,8", {-5, 0, 7, 8}},  {"1;2;x;4", {0, 0, 0, 0}},
      {"1,2,3", {0, 0, 0, 0}},         {"", {0, 0, 0, 0}},            {"1,,2,3", {0, 0, 0, 0}},
      {"99999999999,1,2,3", {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RectFromText(c.text), c.expected);
  }
}

TEST(VlUtilsStreamTest, CountedStringsRoundTripAndRefuseHostileCounts) {
  TMemoryStream s;
  WriteStreamString(&s, "皮肤 skin");
  EXPECT_EQ(s.Size(), 4 + 2 * 7);
  s.SetPosition(0);
  std::string back;
  ReadStreamString(&s, back);
  EXPECT_EQ(back, "皮肤 skin");
  for (std::int32_t count : {-1, 100}) {
    TMemoryStream bad;
    bad.WriteBuffer(&count, 4);
    bad.SetPosition(0);
    EXPECT_THROW(ReadStreamString(&bad, back), EReadError) << count;
  }
}

TEST(VlUtilsLayoutTest, ImageAndTextPlacement) {
  struct Case {
    const char* name;
    int margin, spacing;
    TvlButtonLayout layout;
    TSize image, text;
    TPoint imageAt, textAt;
  };
  const TRect r{0, 0, 100, 40};
  const Case cases[] = {
      {"centred left", -1, 4, TvlButtonLayout::blGlyphLeft, {16, 16}, {40, 10}, {20, 12}, {40, 15}},
      {"centred right", -1, 4, TvlButtonLayout::blGlyphRight, {16, 16}, {40, 10}, {64, 12}, {20, 15}},
      {"no image ignores spacing", -1, 4, TvlButtonLayout::blGlyphLeft, {0, 0}, {40, 10}, {30, 20}, {30, 15}},
      {"margin left", 3, 4, TvlButtonLayout::blGlyphLeft, {16, 16}, {40, 10}, {3, 12}, {23, 15}},
      {"margin right", 3, 4, TvlButtonLayout::blGlyphRight, {16, 16}, {40, 10}, {81, 12}, {37, 15}},
      {"margin top", 2, 1, TvlButtonLayout::blGlyphTop, {16, 16}, {40, 10}, {42, 2}, {30, 19}},
      {"margin bottom", 2, 1, TvlButtonLayout::blGlyphBottom, {16, 16}, {40, 10}, {42, 22}, {30, 11}},
      {"centred top", -1, 2, TvlButtonLayout::blGlyphTop, {16, 16}, {40, 10}, {42, 6}, {30, 24}},
      {"centred bottom", -1, 2, TvlButtonLayout::blGlyphBottom, {16, 16}, {40, 10}, {42, 18}, {30, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TvlImageTextLayout at = LayoutImageAndText(r, c.margin, c.spacing, c.layout, c.image, c.text);
    EXPECT_EQ(at.Image, c.imageAt);
    EXPECT_EQ(at.Text, c.textAt);
  }
}

TEST(VlUtilsGlyphTest, DottedFocusRectContinuesAroundCorners) {
  TvlBitmap b;
  b.SetSize(8, 8);
  SetTextColor(b.DC(), RGB(255, 255, 255));
  DrawDottedFocusRect(b.DC(), TRect{0, 0, 5, 5});
  auto set = [&](int x, int y) { return (b.Pixel(x, y) & 0xFFFFFF) != 0; };
  EXPECT_FALSE(set(0, 0));
  EXPECT_TRUE(set(1, 0));
  // Even extents: every other pixel along the whole outline, the corners alike on both edges.
  for (int i = 0; i <= 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(set(i, 0), i % 2 == 1);
    EXPECT_EQ(set(4, i), i % 2 == 1);
    EXPECT_EQ(set(i, 4), i % 2 == 1);
    EXPECT_EQ(set(0, i), i % 2 == 1);
  }
  EXPECT_FALSE(set(2, 2));
}

TEST(VlUtilsGlyphTest, CanvasTextKeepsWhatIsUnderAClearBrush) {
  // White text on a red picture drawn right after the brush changed (the context still holds
  // the red fill's background): with a clear brush only the glyphs change, with a solid white
  // one the text's box turns white.
  for (const bool clear : {true, false}) {
    SCOPED_TRACE(clear ? "clear brush" : "solid brush");
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf32bit);
    b.SetSize(80, 24);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(static_cast<TColor>(0x0000FF));
    c->FillRect(TRect{0, 0, 80, 24});
    c->Font()->SetColor(static_cast<TColor>(0xFFFFFF));
    // A colour makes a clear brush solid, so the style comes last.
    c->Brush()->SetColor(static_cast<TColor>(0xFFFFFF));
    c->Brush()->SetStyle(clear ? TBrushStyle::bsClear : TBrushStyle::bsSolid);
    DrawTextAtLeftOffset(c, "I I", TRect{0, 0, 80, 24}, 0);
    int changed = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 80; ++x) changed += (static_cast<std::uint32_t*>(b.ScanLine(y))[x] & 0xFFFFFF) != 0xFF0000;
    const int box = c->TextWidth("I I") * c->TextHeight("I I");
    if (clear) {
      EXPECT_GT(changed, 0) << "the glyphs";
      EXPECT_LT(changed, box / 2) << "only the two strokes";
    } else {
      EXPECT_EQ(changed, box) << "the text's box";
    }
  }
}

TEST(VlUtilsGlyphTest, RollGlyphsAreMirroredTriangles) {
  struct Case {
    const char* name;
    void (*draw)(HDC, int, int, TColor);
    std::string rows;  // rows 1 to 7 of the glyph drawn at (1, 1), columns 0 to 10
  };
  const Case cases[] = {
      {"roll down", DrawRollDownGlyph,
       "...........\n"
       "...........\n"
       "..########.\n"
       "...######..\n"
       "....####...\n"
       ".....##....\n"
       "...........\n"},
      {"roll up", DrawRollUpGlyph,
       "...........\n"
       "...........\n"
       "...........\n"
       ".....##....\n"
       "....####...\n"
       "...######..\n"
       "..########.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TvlBitmap b;
    b.SetSize(12, 9);
    c.draw(b.DC(), 1, 1, static_cast<TColor>(RGB(255, 255, 255)));
    std::string rows;
    for (int y = 1; y <= 7; ++y) {
      for (int x = 0; x <= 10; ++x) rows += (b.Pixel(x, y) & 0xFFFFFF) != 0 ? '#' : '.';
      rows += '\n';
    }
    EXPECT_EQ(rows, c.rows);
  }
}

TEST(VlUtilsVersionTest, FeatureGates) {
  struct Case {
    int major, minor;
    bool w2000, xp, vista;
  };
  for (const Case c : {Case{5, 0, true, false, false}, Case{5, 1, true, true, false}, Case{5, 2, true, false, false},
                       Case{6, 0, true, true, true}, Case{4, 10, false, false, false}}) {
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    const TvlWindowsVersion v{c.major, c.minor};
    EXPECT_EQ(IsWin2000OrLater(v), c.w2000);
    EXPECT_EQ(IsXPOrLater(v), c.xp);
    EXPECT_EQ(IsVistaOrLater(v), c.vista);
  }
}

TEST(VlUtilsSystemTest, ProcessorAndMaskAlpha) {
#if defined(__x86_64__)
  EXPECT_TRUE(CPUIDAvailable());
  EXPECT_TRUE(HasMMX());  // every x86-64 processor has it
#endif
  TBitmap image, mask;
  MakeBitmap(image, 2, 1, [](int, int) { return 0x00102030u; });
  image.SetPixelFormat(TPixelFormat::pf24bit);
  MakeBitmap(mask, 2, 1, [](int x, int) { return x == 0 ? 0u : 0x00808080u; });
  TvlBitmap dest;
  ImageMaskToAlphaBitmap(&image, &mask, &dest);
  ASSERT_EQ(dest.Width(), 2);
  EXPECT_EQ(dest.Pixel(0, 0), 0x00102030u);
  EXPECT_EQ(dest.Pixel(1, 0), 0x80102030u);
}

// ---- Strips ------------------------------------------------------------------------------------

TEST(ComposeStripTest, SourceSizeReproducesAndTilesAreCut) {
  TBitmap pic, dest;
  MakeBitmap(pic, 40, 6, Coord);
  const TRect src{5, 2, 35, 5};  // 30 x 3: ends 5, middle 20
  ComposeSkinStrip(5, 5, &dest, &pic, src, 30, 99, false);
  ASSERT_EQ(dest.Width(), 30);
  ASSERT_EQ(dest.Height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(At(dest, x, y), Coord(x + 5, y + 2)) << x << "," << y;

  ComposeSkinStrip(5, 5, &dest, &pic, src, 47, 0, false);
  ASSERT_EQ(dest.Width(), 47);
  struct Case {
    int x, srcX;
  };
  for (const Case c : {Case{4, 4}, Case{5, 5}, Case{24, 24}, Case{25, 5}, Case{41, 21}, Case{42, 25}, Case{46, 29}}) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(At(dest, c.x, 1), Coord(c.srcX + 5, 3));
  }
}

TEST(ComposeStripTest, MiddleOpenRightAndVertical) {
  TBitmap pic, dest;
  MakeBitmap(pic, 12, 12, Coord);
  // Middle only: a 4-pixel middle over 10 pixels lays 0..4, 4..8, 8..10.
  ComposeSkinStripMiddle(2, 2, &dest, &pic, TRect{0, 0, 8, 1}, 10, 0, false);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(At(dest, x, 0), Coord(2 + x % 4, 0)) << x;
  // Open right: left end kept, middle tiled to the very end.
  ComposeSkinStripOpenRight(2, 2, &dest, &pic, TRect{0, 0, 8, 1}, 9, 0, false);
  const int open[9] = {0, 1, 2, 3, 4, 5, 2, 3, 4};
  for (int x = 0; x < 9; ++x) EXPECT_EQ(At(dest, x, 0), Coord(open[x], 0)) << x;
  // Vertical: top 2 and bottom 1 rows kept, middle (rows 2 and 3) tiled down.
  ComposeSkinStripVert(2, 1, &dest, &pic, TRect{3, 0, 4, 5}, 0, 9, false);
  ASSERT_EQ(dest.Width(), 1);
  ASSERT_EQ(dest.Height(), 9);
  const int rows[9] = {0, 1, 2, 3, 2, 3, 2, 3, 4};
  for (int y = 0; y < 9; ++y) EXPECT_EQ(At(dest, 0, y), Coord(3, rows[y])) << y;
}

TEST(ComposeStripTest, LongTilingsRepeatExactly) {
  TBitmap pic, dest;
  MakeBitmap(pic, 12, 12, Coord);
  ComposeSkinStripMiddle(2, 7, &dest, &pic, TRect{0, 0, 12, 2}, 1001, 0, false);  // a 3-pixel middle
  ASSERT_EQ(dest.Width(), 1001);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 1001; ++x) ASSERT_EQ(At(dest, x, y), Coord(2 + x % 3, y)) << x;
  // A one-pixel client tiled over a large nine-part image.
  const TPoint lt{1, 1}, rt{2, 1}, lb{1, 2}, rb{2, 2};
  const TRect cl{1, 1, 2, 2};
  ComposeSkinImage(TvlNinePartGeometry::Grown(lt, rt, lb, rb, cl, 397, 297), &dest, &pic, TRect{5, 5, 8, 8}, 400, 300,
                   TvlStretchSides{}, TvlClientFill{});
  ASSERT_EQ(dest.Width(), 400);
  for (int y = 1; y < 299; ++y)
    for (int x = 1; x < 399; ++x) ASSERT_EQ(At(dest, x, y), Coord(6, 6)) << x << "," << y;
  EXPECT_EQ(At(dest, 0, 0), Coord(5, 5));
  EXPECT_EQ(At(dest, 399, 299), Coord(7, 7));
  EXPECT_EQ(At(dest, 200, 0), Coord(6, 5));
  EXPECT_EQ(At(dest, 0, 150), Coord(5, 6));
}

TEST(ComposeStripTest, DegenerateGeometryIsHarmless) {
  TBitmap pic, dest, empty;
  MakeBitmap(pic, 8, 8, Coord);
  struct Case {
    int l, r, w;
  };
  for (const Case c : {Case{4, 4, 20}, Case{6, 6, 20}, Case{0, 0, 1}, Case{3, 3, -5}, Case{2, 2, 1 << 30}}) {
    SCOPED_TRACE(std::to_string(c.l) + "," + std::to_string(c.r) + "," + std::to_string(c.w));
    for (bool stretch : {false, true}) {
      ComposeSkinStrip(c.l, c.r, &dest, &pic, TRect{0, 0, 8, 8}, c.w, 0, stretch);
      ComposeSkinStripOpenRight(c.l, c.r, &dest, &pic, TRect{0, 0, 8, 8}, c.w, 0, stretch);
      ComposeSkinStripMiddle(c.l, c.r, &dest, &pic, TRect{0, 0, 8, 8}, c.w, 0, stretch);
      ComposeSkinStripVert(c.l, c.r, &dest, &pic, TRect{0, 0, 8, 8}, 0, c.w, stretch);
    }
  }
  ComposeSkinStrip(1, 1, &dest, &empty, TRect{0, 0, 8, 8}, 10, 0, false);
  EXPECT_EQ(dest.Width(), 10);
}

// ---- Nine-part images --------------------------------------------------------------------------

// A 12 x 12 element at (2, 1) of a 16 x 14 picture: client (3, 3, 9, 9), corners at 4 and 8.
struct NinePart {
  TBitmap picture;
  TRect skinRect{2, 1, 14, 13};
  TPoint lt{4, 4}, rt{8, 4}, lb{4, 8}, rb{8, 8};
  TRect cl{3, 3, 9, 9};
  NinePart() { MakeBitmap(picture, 16, 14, Coord); }
  [[nodiscard]] std::uint32_t Source(int x, int y) const { return Coord(x + skinRect.Left, y + skinRect.Top); }
  // Target geometry for a size grown by dx, dy.
  void Compose(TBitmap& dest, int dx, int dy, bool stretchEdges, bool stretchClient,
               TvlStretchType type = TvlStretchType::vlstFull, bool openRight = false) {
    auto compose = openRight ? ComposeSkinImageOpenRight : ComposeSkinImage;
    compose(Grown(dx, dy), &dest, &picture, skinRect, 12 + dx, 12 + dy,
            TvlStretchSides{stretchEdges, stretchEdges, stretchEdges, stretchEdges},
            TvlClientFill{.Draw = true, .Stretch = stretchClient, .Type = type});
  }
  [[nodiscard]] TvlNinePartGeometry Grown(int dx, int dy) const {
    return TvlNinePartGeometry::Grown(lt, rt, lb, rb, cl, dx, dy);
  }
};

TEST(ComposeSkinImageTest, SourceSizeReproducesTheElement) {
  NinePart n;
  for (bool edges : {false, true})
    for (bool client : {false, true}) {
      SCOPED_TRACE(std::to_string(edges) + std::to_string(client));
      TBitmap dest;
      n.Compose(dest, 0, 0, edges, client);
      ASSERT_EQ(dest.Width(), 12);
      ASSERT_EQ(dest.Height(), 12);
      for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(At(dest, x, y), n.Source(x, y)) << x << "," << y;
    }
}

TEST(ComposeSkinImageTest, LargerSizesKeepCornersAndGrowEdges) {
  NinePart n;
  const int dx = 9, dy = 5;
  for (bool stretch : {false, true}) {
    SCOPED_TRACE(stretch ? "stretched" : "tiled");
    TBitmap dest;
    n.Compose(dest, dx, dy, stretch, stretch);
    ASSERT_EQ(dest.Width(), 21);
    ASSERT_EQ(dest.Height(), 17);
    // The four corners stay put.
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(At(dest, x, y), n.Source(x, y));
        EXPECT_EQ(At(dest, 8 + dx + x, y), n.Source(8 + x, y));
        EXPECT_EQ(At(dest, x, 9 + dy + y), n.Source(x, 9 + y));
        EXPECT_EQ(At(dest, 8 + dx + x, 9 + dy + y), n.Source(8 + x, 9 + y));
      }
    // Top edge (target 4 .. 17 from source 4 .. 8) and left edge (rows 4 .. 13 from 4 .. 8).
    for (int x = 4; x < 8 + dx; ++x) {
      const int sx = stretch ? 4 + (2 * (x - 4) + 1) * 4 / (2 * (4 + dx)) : 4 + (x - 4) % 4;
      EXPECT_EQ(At(dest, x, 0), n.Source(sx, 0)) << x;
    }
    for (int y = 4; y < 8 + dy; ++y) {
      const int sy = stretch ? 4 + (2 * (y - 4) + 1) * 4 / (2 * (4 + dy)) : 4 + (y - 4) % 4;
      EXPECT_EQ(At(dest, 0, y), n.Source(0, sy)) << y;
    }
  }
  // vlstHorz: the client stretched to the target height and tiled to the right.
  TBitmap horz;
  n.Compose(horz, dx, dy, true, true, TvlStretchType::vlstHorz);
  EXPECT_EQ(At(horz, 3, 3), n.Source(3, 3));
  EXPECT_EQ(At(horz, 9, 3), n.Source(3, 3));
  EXPECT_EQ(At(horz, 17, 3), n.Source(5, 3));
}

TEST(ComposeSkinImageTest, DegenerateGeometryLeavesASizedBlankOrPartialImage) {
  NinePart n;
  TBitmap dest;
  TvlNinePartGeometry flat = n.Grown(0, 0);
  flat.RBPt = TPoint{4, 9};  // on the left-top corner's column
  ComposeSkinImage(flat, &dest, &n.picture, n.skinRect, 30, 20, TvlStretchSides{}, TvlClientFill{});
  ASSERT_EQ(dest.Width(), 30);
  EXPECT_EQ(At(dest, 0, 0), 0u);
  // Crossing target points (a target smaller than the fixed parts) and absurd sizes.
  for (int dx : {-9, -12, -40}) n.Compose(dest, dx, dx, false, false);
  n.Compose(dest, 1 << 28, 1 << 28, true, true);
  EXPECT_TRUE(dest.Empty());
  TBitmap empty;
  ComposeSkinImage(n.Grown(0, 0), &dest, &empty, n.skinRect, 12, 12, TvlStretchSides{}, TvlClientFill{});
  EXPECT_EQ(dest.Width(), 12);
}

TEST(ComposeSkinImageTest, StretchedImageOfDestSize) {
  NinePart n;
  TBitmap dest;
  dest.SetSize(12, 12);
  ComposeStretchedSkinImage(&dest, &n.picture, n.skinRect, n.cl, true);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(At(dest, x, y), n.Source(x, y)) << x << "," << y;
}

TEST(ComposeSkinBordersTest, FourPiecesOfAFrame) {
  NinePart n;
  const int dx = 9, dy = 5;  // target 21 x 17
  TBitmap left, top, right, bottom;
  ComposeSkinBorders(n.Grown(dx, dy), TvlBorderPieces{.Left = &left, .Top = &top, .Right = &right, .Bottom = &bottom},
                     &n.picture, n.skinRect, 12 + dx, 12 + dy, TvlStretchSides{});
  EXPECT_EQ((TSize{top.Width(), top.Height()}), (TSize{21, 3}));
  EXPECT_EQ((TSize{bottom.Width(), bottom.Height()}), (TSize{21, 3}));
  EXPECT_EQ((TSize{left.Width(), left.Height()}), (TSize{3, 11}));
  EXPECT_EQ((TSize{right.Width(), right.Height()}), (TSize{3, 11}));
  EXPECT_EQ(At(top, 0, 0), n.Source(0, 0));
  EXPECT_EQ(At(top, 17, 2), n.Source(8, 2));
  EXPECT_EQ(At(top, 5, 1), n.Source(5, 1));  // tiled from x = 0: 5 mod 4 + 4
  EXPECT_EQ(At(bottom, 20, 2), n.Source(11, 11));
  // Left piece: the fixed row above the growing part, tiles of rows 4..8, the fixed row below.
  const int rows[11] = {3, 5, 6, 7, 4, 5, 6, 7, 4, 5, 8};
  for (int y = 0; y < 11; ++y) EXPECT_EQ(At(left, 1, y), n.Source(1, rows[y])) << y;
  EXPECT_EQ(At(right, 2, 0), n.Source(11, 3));
  // Stretched bands: the middle runs from the first to the last middle column of the source,
  // the corners stay as they are.
  TBitmap sLeft, sTop, sRight, sBottom;
  ComposeSkinBorders(n.Grown(dx, dy),
                     TvlBorderPieces{.Left = &sLeft, .Top = &sTop, .Right = &sRight, .Bottom = &sBottom}, &n.picture,
                     n.skinRect, 12 + dx, 12 + dy, TvlStretchSides{.Top = true, .Bottom = true});
  const struct {
    TBitmap* piece;
    int x, y, sourceX, sourceY;
  } stretched[] = {{&sTop, 4, 1, 4, 1},    {&sTop, 16, 1, 7, 1},    {&sTop, 17, 1, 8, 1},
                   {&sBottom, 4, 0, 4, 9}, {&sBottom, 16, 2, 7, 11}, {&sBottom, 3, 0, 3, 9}};
  for (const auto& p : stretched) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    EXPECT_EQ(At(*p.piece, p.x, p.y), n.Source(p.sourceX, p.sourceY));
  }
  // Nothing to cut: the pieces keep what they had.
  TBitmap untouched;
  TvlNinePartGeometry whole = n.Grown(0, 0);
  whole.NewClRect = TRect{0, 0, 12, 12};
  ComposeSkinBorders(whole,
                     TvlBorderPieces{.Left = &untouched, .Top = &untouched, .Right = &untouched, .Bottom = &untouched},
                     &n.picture, n.skinRect, 12, 12, TvlStretchSides{});
  EXPECT_TRUE(untouched.Empty());
}

// ---- Masks and regions -------------------------------------------------------------------------

TEST(MaskRegionTest, RegionDataOfTheSmallMask) {
  TBitmap mask;
  const int black[2][3] = {{1, 0, 1}, {1, 1, 1}};
  MakeBitmap(mask, 3, 2, [&](int x, int y) { return black[y][x] ? 0xFF000000u : 0xFFFFFFFFu; });
  const auto data = BuildMaskRegionData(&mask, 10, 20);
  ASSERT_EQ(data.size(), 32u + 3 * 16);
  auto word = [&](std::size_t i) {
    std::int32_t v;
    std::memcpy(&v, data.data() + 4 * i, 4);
    return v;
  };
  const std::int32_t expected[] = {32, 1, 3, 0, 10, 20, 13, 22, 10, 20, 11, 21, 12, 20, 13, 21, 10, 21, 13, 22};
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(word(i), expected[i]) << i;

  TBitmap white;
  MakeBitmap(white, 4, 4, [](int, int) { return 0xFFFFFFFFu; });
  EXPECT_EQ(BuildMaskRegionData(&white, 0, 0).size(), 32u);
  TBitmap empty;
  EXPECT_TRUE(BuildMaskRegionData(&empty, 0, 0).empty());
}

TEST(MaskRegionTest, RegionCoversExactlyTheBlackPixels) {
  // A mask with far more than ten thousand runs: every other pixel black, 24 bits a pixel.
  TBitmap mask;
  const int w = 401, h = 60;
  MakeBitmap(mask, w, h, [](int x, int y) { return ((x + y) % 2 == 0 || (y % 7 == 0 && x < 50)) ? 0u : 0x00FFFFFFu; });
  mask.SetPixelFormat(TPixelFormat::pf24bit);
  HRGN rgn = nullptr;
  CreateRegionFromMask(rgn, &mask);
  ASSERT_NE(rgn, nullptr);
  TBitmap check;
  MakeBitmap(check, w, h, [](int x, int y) { return ((x + y) % 2 == 0 || (y % 7 == 0 && x < 50)) ? 1u : 0u; });
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(PtInRegion(rgn, x, y) != 0, At(check, x, y) == 1u) << x << "," << y;
  EXPECT_FALSE(PtInRegion(rgn, w, 0));
  DeleteObject(rgn);
}

TEST(MaskRegionTest, SkinRegionOfANinePartMask) {
  // Mask 12 x 12: client 3..9; the outer corner pixels are white (cut off), the rest black.
  TBitmap mask;
  MakeBitmap(mask, 12, 12, [](int x, int y) {
    const bool corner = (x == 0 || x == 11) && (y == 0 || y == 11);
    return corner ? 0xFFFFFFFFu : 0xFF000000u;
  });
  const TPoint lt{4, 4}, rt{8, 4}, lb{4, 8}, rb{8, 8};
  const TRect cl{3, 3, 9, 9};
  HRGN rgn = nullptr;
  const int dx = 10, dy = 6;
  CreateSkinRegion(rgn, TvlNinePartGeometry::Grown(lt, rt, lb, rb, cl, dx, dy), &mask, 12 + dx, 12 + dy);
  ASSERT_NE(rgn, nullptr);
  for (int y = 0; y < 12 + dy; ++y)
    for (int x = 0; x < 12 + dx; ++x) {
      const bool corner = (x == 0 || x == 11 + dx) && (y == 0 || y == 11 + dy);
      ASSERT_EQ(PtInRegion(rgn, x, y) != 0, !corner) << x << "," << y;
    }
  DeleteObject(rgn);

  HRGN none = reinterpret_cast<HRGN>(1);
  TvlNinePartGeometry noClient = TvlNinePartGeometry::Grown(lt, rt, lb, rb, cl, 0, 0);
  noClient.NewClRect = TRect{3, 3, 3, 9};
  CreateSkinRegion(none, noClient, &mask, 12, 12);
  EXPECT_EQ(none, nullptr);
  none = reinterpret_cast<HRGN>(1);
  TvlNinePartGeometry crossed = TvlNinePartGeometry::Grown(lt, rt, lb, rb, cl, 0, 0);
  crossed.NewRTPoint = TPoint{2, 4};  // left of the left-top corner
  CreateSkinRegion(none, crossed, &mask, 12, 12);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
