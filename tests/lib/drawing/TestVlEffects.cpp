#include "lib/drawing/vlEffects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/x11/Clipbrd.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/PngImage.h"
#include "platform/core/Streams.h"

namespace {

TvlColor Argb(int a, int r, int g, int b) {
  return (static_cast<TvlColor>(a) << 24) | (static_cast<TvlColor>(r) << 16) | (static_cast<TvlColor>(g) << 8) |
         static_cast<TvlColor>(b);
}
int Red(TvlColor c) { return static_cast<int>((c >> 16) & 0xFF); }
int Alpha(TvlColor c) { return static_cast<int>(c >> 24); }

// A source whose pixel (x, y) encodes its own column and row, so a mapping can be read back.
void FillCoordinates(TvlBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, Argb(255, x, y, 0));
}

// ---- Surface -------------------------------------------------------------------------------------

TEST(TvlBitmapTest, SetSizeRules) {
  TvlBitmap b;
  EXPECT_TRUE(b.Empty());
  b.SetSize(-20, 10);
  EXPECT_EQ(b.Width(), 20);
  EXPECT_EQ(b.Height(), 10);
  EXPECT_EQ(b.Pixel(19, 9), 0u);  // fresh pixels read 0
  b.SetPixel(3, 3, 0xFF123456);
  for (auto [w, h] : {std::pair{0, 10}, std::pair{20, 0}, std::pair{20, 10}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    b.SetSize(w, h);
    EXPECT_EQ(b.Width(), 20);
    EXPECT_EQ(b.Pixel(3, 3), 0xFF123456u);  // size kept, pixels kept
  }
  EXPECT_THROW(b.SetSize(1 << 30, 1 << 30), Exception);
  EXPECT_TRUE(b.Empty());
  b.SetPixel(0, 0, 1);  // harmless on an empty bitmap
  b.Clear(5);
  b.SetAlpha(3);
  b.FillRect(TRect{0, 0, 5, 5}, 7);
  b.ChangeBitmapBrightness(10);
}

TEST(TvlBitmapTest, RegistryKnowsEverySizedBitmapOnce) {
  const std::size_t before = SkinBitmapRegistryCount();
  {
    TvlBitmap a, b;
    EXPECT_EQ(SkinBitmapRegistryCount(), before);
    a.SetSize(2, 2);
    a.SetSize(3, 3);
    b.SetSize(1, 1);
    EXPECT_EQ(SkinBitmapRegistryCount(), before + 2);
    EXPECT_EQ(FindSkinBitmapByDC(a.DC()), &a);
    EXPECT_EQ(FindSkinBitmapByDC(b.DC()), &b);
  }
  EXPECT_EQ(SkinBitmapRegistryCount(), before);
}

TEST(TvlBitmapTest, AssignFromFrameworkBitmaps) {
  TBitmap rgb;
  rgb.SetPixelFormat(TPixelFormat::pf24bit);
  rgb.SetSize(3, 2);
  static_cast<std::uint8_t*>(rgb.ScanLine(1))[3] = 200;  // blue of (1, 1)
  TvlBitmap a;
  a.Assign(&rgb);
  EXPECT_EQ(a.Pixel(1, 1), Argb(255, 0, 0, 200));
  EXPECT_EQ(Alpha(a.Pixel(0, 0)), 255);
  EXPECT_FALSE(a.AlphaBlend());

  TBitmap argb;
  argb.SetPixelFormat(TPixelFormat::pf32bit);
  argb.SetSize(2, 1);
  static_cast<std::uint32_t*>(argb.ScanLine(0))[1] = Argb(128, 10, 20, 30);
  TvlBitmap b;
  b.Assign(&argb);
  EXPECT_TRUE(b.AlphaBlend());
  EXPECT_EQ(b.Pixel(1, 0), Argb(128, 10, 20, 30));

  TvlBitmap c;
  c.SetName("copy");
  c.Assign(&b);
  EXPECT_EQ(c.Pixel(1, 0), Argb(128, 10, 20, 30));
  EXPECT_TRUE(c.AlphaBlend());
  TvlBitmap empty;
  c.Assign(&empty);  // nothing to copy
  EXPECT_EQ(c.Width(), 2);

  TBitmap back;
  back.Assign(&c);
  ASSERT_EQ(back.Width(), 2);
  EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(static_cast<std::uint32_t*>(back.ScanLine(0))[1] & 0x00FFFFFF, Argb(0, 5, 10, 15));
}

TEST(TvlBitmapTest, AssignToTheClipboardPutsTheDrawnPictureThere) {
  TvlBitmap b;
  b.SetSize(3, 2);
  b.Clear(Argb(255, 10, 20, 30));
  b.SetPixel(2, 1, Argb(255, 200, 100, 50));
  Clipboard()->SetAsText("before");
  Clipboard()->Assign(&b);
  std::shared_ptr<const PixelSurface> picture = Clipboard()->Picture();
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(picture->Width(), 3);
  ASSERT_EQ(picture->Height(), 2);
  EXPECT_EQ(picture->PixelAt(0, 0) & 0xFFFFFF, Argb(0, 10, 20, 30));
  EXPECT_EQ(picture->PixelAt(2, 1) & 0xFFFFFF, Argb(0, 200, 100, 50));
  EXPECT_FALSE(Clipboard()->HasText()) << "the picture replaced the text";

  TvlBitmap empty;  // an empty bitmap leaves an empty clipboard
  Clipboard()->Assign(&empty);
  EXPECT_EQ(Clipboard()->Picture(), nullptr);
}

TEST(TvlBitmapTest, CheckingTransparentUsesDifferenceBelowSix) {
  TvlBitmap b;
  b.SetSize(2, 1);
  b.SetPixel(0, 0, Argb(255, 250, 3, 251));
  b.SetPixel(1, 0, Argb(255, 249, 0, 255));
  b.CheckingTransparent(static_cast<TColor>(RGB(255, 0, 255)));
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.Pixel(0, 0), kvlTransparentKey);
  EXPECT_EQ(b.Pixel(1, 0), Argb(255, 249, 0, 255));
}

TEST(ColorToPixelTest, SwapsToPixelOrderAndResolvesSpecialColours) {
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  struct Case {
    const char* name;
    TColor color;
    TvlColor pixel;
  };
  const Case cases[] = {
      {"plain", static_cast<TColor>(RGB(0x12, 0x34, 0x56)), Argb(255, 0x12, 0x34, 0x56)},
      {"stray high byte dropped", static_cast<TColor>(0x05563412), Argb(255, 0x12, 0x34, 0x56)},
      {"system colour", clWindow,
       Argb(255, static_cast<int>(window & 0xFF), static_cast<int>((window >> 8) & 0xFF),
            static_cast<int>((window >> 16) & 0xFF))},
      {"none is white", clNone, Argb(255, 255, 255, 255)},
      {"default is black", clDefault, Argb(255, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ColorToPixel(c.color), c.pixel);
  }
}

TEST(TvlBitmapTest, ColourAdjustments) {
  TvlBitmap b;
  b.SetSize(3, 1);
  b.SetPixel(0, 0, Argb(255, 250, 10, 0));
  b.SetPixel(1, 0, Argb(0, 100, 100, 100));  // alpha 0: untouched
  b.SetPixel(2, 0, Argb(7, 100, 100, 100));
  b.ChangeBitmapBrightness(10);
  EXPECT_EQ(b.Pixel(0, 0), Argb(255, 255, 20, 10));
  EXPECT_EQ(b.Pixel(1, 0), Argb(0, 100, 100, 100));
  EXPECT_EQ(b.Pixel(2, 0), Argb(7, 110, 110, 110));

  // Saturation 250/255 plus 10 wraps to 5/255.
  const TvlColor saturated = Argb(255, 202, 2, 2);  // S = 200/204, 250/255
  TvlBitmap s;
  s.SetSize(1, 1);
  s.SetPixel(0, 0, saturated);
  ASSERT_EQ(std::lround(RGBToHSL(saturated).S * 255), 250);
  s.ChangeBitmapSat(10);
  EXPECT_EQ(std::lround(RGBToHSL(s.Pixel(0, 0)).S * 255), 5);
}

TEST(TvlBitmapTest, ReflectionFadesTheLowerHalf) {
  struct Case {
    void (TvlBitmap::*op)();
    int divisor;
  };
  for (const Case c : {Case{&TvlBitmap::Reflection, 3}, Case{&TvlBitmap::Reflection2, 4},
                       Case{&TvlBitmap::Reflection3, 2}}) {
    SCOPED_TRACE(c.divisor);
    TvlBitmap b;
    b.SetSize(1, 4);
    for (int y = 0; y < 4; ++y) b.SetPixel(0, y, Argb(200, y, 0, 0));
    (b.*c.op)();
    EXPECT_EQ(Red(b.Pixel(0, 0)), 3);  // flipped
    EXPECT_EQ(Alpha(b.Pixel(0, 0)), 200 / c.divisor);
    EXPECT_EQ(Alpha(b.Pixel(0, 1)), 100 / c.divisor);
    EXPECT_EQ(Alpha(b.Pixel(0, 2)), 0);
    EXPECT_EQ(Alpha(b.Pixel(0, 3)), 0);
  }
}

TEST(TvlBitmapTest, StreamRoundTripAndHostileCounts) {
  TvlBitmap b;
  b.SetSize(3, 2);
  FillCoordinates(b);
  b.SetName("按钮 face");
  TMemoryStream s;
  b.SaveToStream(&s);
  s.SetPosition(0);
  TvlBitmap c;
  c.LoadFromStream(&s);
  EXPECT_EQ(c.Name(), "按钮 face");
  ASSERT_EQ(c.Width(), 3);
  EXPECT_EQ(c.Pixel(2, 1), b.Pixel(2, 1));

  TMemoryStream bad;
  const std::int32_t count = 0x7FFFFFFF;
  bad.WriteBuffer(&count, 4);
  bad.SetPosition(0);
  EXPECT_THROW(c.LoadFromStream(&bad), EReadError);
}

TEST(TvlBitmapLinkTest, CheckingMaskedZones) {
  TvlBitmap b;
  b.SetSize(10, 10);
  b.Clear(0xFF000000);
  auto link = b.GetBitmapLink(std::string("0, 0, 10, 10"));
  EXPECT_EQ(link->FRect, (TRect{0, 0, 10, 10}));
  struct Case {
    TPoint pixel;
    TRect margin;
    bool angles, border, masked;
  };
  const Case cases[] = {
      {{5, 5}, {0, 0, 0, 0}, false, false, true},  {{0, 0}, {0, 0, 0, 0}, false, false, true},
      {{0, 0}, {2, 2, 2, 2}, true, false, false},  {{9, 9}, {2, 2, 2, 2}, true, false, false},
      {{5, 0}, {2, 2, 2, 2}, false, true, false},  {{0, 5}, {2, 2, 2, 2}, false, true, false},
      {{5, 5}, {2, 2, 2, 2}, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.pixel.X) + "," + std::to_string(c.pixel.Y));
    b.Clear(0xFF000000);
    b.SetPixel(c.pixel.X, c.pixel.Y, kvlTransparentKey);
    link->CheckingMasked(c.margin);
    EXPECT_EQ(link->FMaskedAngles, c.angles);
    EXPECT_EQ(link->FMaskedBorder, c.border);
    EXPECT_EQ(link->FMasked, c.masked);
  }
}

// ---- Pixel routines --------------------------------------------------------------------------

TEST(PixelRoutinesTest, BlendFormulas) {
  const TvlPixelRoutines& plain = vlPlainPixelRoutines();
  const TvlPixelRoutines& mmx = vlMMXPixelRoutines();
  struct Case {
    TvlColor f, b, plain, mmx;
  };
  const Case cases[] = {
      {Argb(128, 255, 255, 255), Argb(255, 255, 255, 255), Argb(255, 254, 254, 254), Argb(191, 255, 255, 255)},
      {Argb(255, 1, 2, 3), Argb(255, 9, 9, 9), Argb(255, 1, 2, 3), Argb(255, 1, 2, 3)},
      {Argb(0, 1, 2, 3), Argb(10, 9, 9, 9), Argb(10, 9, 9, 9), Argb(10, 9, 9, 9)},
      {Argb(64, 200, 0, 100), Argb(0, 0, 200, 50), Argb(255, 50, 149, 62), Argb(16, 50, 150, 62)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.f);
    EXPECT_EQ(plain.BlendPixel(c.f, c.b), c.plain);
    EXPECT_EQ(mmx.BlendPixel(c.f, c.b), c.mmx);
  }
  // The line variants skip alpha 0 and copy alpha 255 exactly.
  const TvlColor src[3] = {Argb(0, 1, 1, 1), Argb(255, 7, 8, 9), Argb(64, 200, 0, 100)};
  for (const TvlPixelRoutines* r : {&plain, &mmx}) {
    TvlColor dst[3] = {Argb(255, 5, 5, 5), Argb(0, 0, 0, 0), Argb(0, 0, 200, 50)};
    r->BlendLine(src, dst, 3);
    EXPECT_EQ(dst[0], Argb(255, 5, 5, 5));
    EXPECT_EQ(dst[1], Argb(255, 7, 8, 9));
    EXPECT_EQ(dst[2], r == &plain ? Argb(255, 50, 149, 62) : Argb(16, 50, 150, 62));
  }
  EXPECT_EQ(&vlPixelRoutines(), vlProcessorHasMMX() ? &mmx : &plain);
}

TEST(PixelRoutinesTest, TransparentLineComparesColourOnly) {
  const TvlColor src[3] = {kvlTransparentKey | 0xFF000000u, Argb(0, 1, 2, 3), kvlTransparentKey};
  TvlColor dst[3] = {9, 9, 9};
  vlPixelRoutines().TransparentLine(src, dst, 3);
  EXPECT_EQ(dst[0], 9u);
  EXPECT_EQ(dst[1], Argb(255, 1, 2, 3));
  EXPECT_EQ(dst[2], 9u);
}

TEST(PixelRoutinesTest, StretchMapsFirstAndLastPixels) {
  TvlBitmap src, dst;
  src.SetSize(10, 10);
  FillCoordinates(src);
  dst.SetSize(20, 20);
  src.Draw(&dst, TRect{0, 0, 20, 20});
  struct Case {
    int dstColumn, srcColumn;
  };
  for (const Case c : {Case{0, 0}, Case{1, 0}, Case{19, 9}, Case{10, 5}, Case{9, 4}}) {
    SCOPED_TRACE(c.dstColumn);
    EXPECT_EQ(Red(dst.Pixel(c.dstColumn, 0)), c.srcColumn);
    EXPECT_EQ((dst.Pixel(0, c.dstColumn) >> 8) & 0xFF, static_cast<TvlColor>(c.srcColumn));
  }
  // Halves round to even: 4 columns over 7 step by exactly one half.
  TvlBitmap seven;
  seven.SetSize(7, 1);
  src.Draw(&seven, TRect{0, 0, 7, 1}, TRect{0, 0, 4, 1});
  const int halves[7] = {0, 0, 1, 2, 2, 2, 3};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(Red(seven.Pixel(x, 0)), halves[x]) << x;
  // A one-pixel-wide destination takes the middle column.
  TvlBitmap narrow;
  narrow.SetSize(1, 10);
  src.Draw(&narrow, TRect{0, 0, 1, 10}, TRect{2, 0, 9, 10});
  EXPECT_EQ(Red(narrow.Pixel(0, 3)), (2 + 9 - 1) / 2);
  // A source rectangle reaching outside the source draws nothing at all.
  TvlBitmap untouched;
  untouched.SetSize(20, 20);
  src.Draw(&untouched, TRect{0, 0, 20, 20}, TRect{0, 0, 11, 10});
  EXPECT_EQ(untouched.Pixel(0, 0), 0u);
  // Clipping: destination parts outside the target vanish, the rest lands in place.
  src.Draw(&untouched, -5, -5);
  EXPECT_EQ(untouched.Pixel(0, 0), Argb(255, 5, 5, 0));
  EXPECT_EQ(untouched.Pixel(5, 5), 0u);
}

TEST(PixelRoutinesTest, TileLaysPartialTilesFromTheSourceCorner) {
  TvlBitmap src, dst;
  src.SetSize(3, 3);
  FillCoordinates(src);
  dst.SetSize(10, 4);
  src.Tile(&dst, TRect{0, 0, 10, 4}, TRect{0, 0, 3, 3});
  for (int x = 0; x < 10; ++x)
    for (int y = 0; y < 4; ++y) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      EXPECT_EQ(dst.Pixel(x, y), Argb(255, x % 3, y % 3, 0));
    }
  // TileClip draws whole tiles meeting the clip only.
  TvlBitmap clipped;
  clipped.SetSize(10, 4);
  src.TileClip(&clipped, TRect{0, 0, 10, 4}, TRect{4, 0, 5, 1}, TRect{0, 0, 3, 3});
  EXPECT_EQ(clipped.Pixel(3, 0), Argb(255, 0, 0, 0));
  EXPECT_EQ(clipped.Pixel(5, 2), Argb(255, 2, 2, 0));
  EXPECT_EQ(clipped.Pixel(2, 0), 0u);
  EXPECT_EQ(clipped.Pixel(4, 3), 0u);
}

TEST(PixelRoutinesTest, DrawOntoAnotherSkinBitmapsContextHonoursItsWindowOrigin) {
  TvlBitmap src, dst;
  src.SetSize(2, 2);
  src.Clear(Argb(255, 1, 2, 3));
  dst.SetSize(10, 10);
  SetWindowOrgEx(dst.DC(), 5, 5, nullptr);
  src.Draw(dst.DC(), 6, 6);
  EXPECT_EQ(dst.Pixel(1, 1), Argb(255, 1, 2, 3));
  EXPECT_EQ(dst.Pixel(6, 6), 0u);
}

TEST(PixelRoutinesTest, AlphaDrawOntoAPlainContextBlends) {
  TvlBitmap src;
  src.SetSize(2, 1);
  src.Clear(Argb(128, 255, 255, 255));
  src.SetAlphaBlend(true);
  TBitmap target;
  target.SetPixelFormat(TPixelFormat::pf32bit);
  target.SetSize(4, 1);
  auto* row = static_cast<std::uint32_t*>(target.ScanLine(0));
  for (int i = 0; i < 4; ++i) row[i] = Argb(255, 0, 0, 0);
  HDC dc = CreateSurfaceDC(target.Surface(), TPoint{0, 0}, nullptr);
  src.Draw(dc, 1, 0);
  DeleteDC(dc);
  EXPECT_EQ(row[0], Argb(255, 0, 0, 0));
  EXPECT_EQ(Red(row[1]), 127);
  EXPECT_EQ(Red(row[2]), 127);
  EXPECT_EQ(row[3], Argb(255, 0, 0, 0));
}

TEST(PixelRoutinesTest, MergeDrawKeepsOpaquePixelsAndStaysInside) {
  TvlBitmap d, s;
  d.SetSize(3, 2);
  d.SetPixel(0, 0, Argb(255, 1, 1, 1));
  d.SetPixel(1, 0, Argb(0, 1, 1, 1));
  d.SetPixel(2, 0, Argb(128, 255, 255, 255));
  s.SetSize(4, 2);
  s.Clear(Argb(255, 0, 0, 0));
  d.MergeDraw(&s, 0, 0, TRect{0, 0, 4, 2});
  EXPECT_EQ(d.Pixel(0, 0), Argb(255, 1, 1, 1));
  EXPECT_EQ(d.Pixel(1, 0), Argb(255, 0, 0, 0));
  EXPECT_EQ(Red(d.Pixel(2, 0)), 127);
  // The source's fourth column does not wrap into the next row.
  d.SetPixel(0, 1, Argb(0, 9, 9, 9));
  s.SetPixel(3, 0, Argb(255, 200, 0, 0));
  d.MergeDraw(&s, 0, 0, TRect{3, 0, 4, 1});
  EXPECT_EQ(d.Pixel(0, 1), Argb(0, 9, 9, 9));
}

// ---- Effect images -----------------------------------------------------------------------------

void Fill(TvlEffectBmp& e, std::uint8_t v) {
  for (int y = 0; y < e.Height; ++y) std::memset(e.Row(y), v, static_cast<std::size_t>(e.Width) * 3);
}
int At(const TvlEffectBmp& e, int x, int y) { return e.Row(y)[3 * x]; }
// Own image: column x holds x; other image: 100 + x.
void Columns(TvlEffectBmp& e, int base) {
  for (int y = 0; y < e.Height; ++y)
    for (int x = 0; x < e.Width; ++x) std::memset(e.Row(y) + 3 * x, base + x, 3);
}

TEST(TvlEffectBmpTest, MorphRoundsHalfToEvenAndClampsKf) {
  TvlEffectBmp a(2, 2), b(2, 2);
  Fill(b, 255);
  a.Morph(&b, 0.5);
  EXPECT_EQ(At(a, 1, 1), 128);
  TvlEffectBmp c(2, 2), d(2, 2);
  Fill(d, 77);
  c.Morph(&d, 2.0);
  EXPECT_EQ(At(c, 0, 0), 77);
  TvlEffectBmp other(3, 2);
  Fill(other, 9);
  c.Morph(&other, 1.0);  // another size: nothing
  EXPECT_EQ(At(c, 0, 0), 77);
}

TEST(TvlEffectBmpTest, ColumnTransitions) {
  struct Case {
    const char* name;
    void (TvlEffectBmp::*op)(TvlEffectBmp*, double);
    double kf;
    int expected[10];
  };
  const Case cases[] = {
      // b = 5: column 0 the other image, weights 0, .2, .4, .6, .8, 1 then own.
      {"left grad", &TvlEffectBmp::MorphLeftGrad, 0.5, {100, 81, 62, 43, 24, 5, 6, 7, 8, 9}},
      // s = 5, e = 0.2 from the right.
      {"right grad", &TvlEffectBmp::MorphRightGrad, 0.5, {0, 1, 2, 3, 4, 25, 46, 67, 88, 109}},
      {"push 0", &TvlEffectBmp::MorphPush, 0.0, {109, 0, 1, 2, 3, 4, 5, 6, 7, 8}},
      {"push .3", &TvlEffectBmp::MorphPush, 0.3, {106, 107, 108, 109, 0, 1, 2, 3, 4, 5}},
      {"left slide", &TvlEffectBmp::MorphLeftSlide, 0.3, {107, 108, 109, 3, 4, 5, 6, 7, 8, 9}},
      {"right slide", &TvlEffectBmp::MorphRightSlide, 0.3, {0, 1, 2, 3, 4, 5, 6, 100, 101, 102}},
      {"slide 0 takes one column", &TvlEffectBmp::MorphLeftSlide, 0.0, {109, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      // b = 4, e = 3: the band 3..7, gradients of 1/3 on both sides.
      {"centre grad", &TvlEffectBmp::MorphHGrad, 0.4, {0, 34, 69, 103, 104, 105, 106, 107, 75, 42}},
      {"grad of a wide image", &TvlEffectBmp::MorphGrad, 0.4, {0, 34, 69, 103, 104, 105, 106, 107, 75, 42}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TvlEffectBmp own(10, 2), other(10, 2);
    Columns(own, 0);
    Columns(other, 100);
    (own.*c.op)(&other, c.kf);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(own, x, 1), c.expected[x]) << "column " << x;
  }
}

TEST(TvlEffectBmpTest, VerticalGradientOfATallImage) {
  TvlEffectBmp own(1, 10), other(1, 10);
  for (int y = 0; y < 10; ++y) {
    std::memset(own.Row(y), y, 3);
    std::memset(other.Row(y), 100 + y, 3);
  }
  own.MorphGrad(&other, 0.4);  // b = 4, e = (10 - 4 - 1) div 2 = 2
  const int expected[10] = {0, 1, 52, 103, 104, 105, 106, 107, 58, 9};
  for (int y = 0; y < 10; ++y) EXPECT_EQ(At(own, 0, y), expected[y]) << "row " << y;
}

TEST(TvlEffectBmpTest, FromABitmapHandleAndBackOntoAContext) {
  const std::uint32_t pixels[6] = {Argb(255, 1, 2, 3), Argb(255, 4, 5, 6), Argb(255, 7, 8, 9),
                                   Argb(255, 10, 11, 12), Argb(255, 13, 14, 15), Argb(255, 16, 17, 18)};
  HBITMAP handle = CreateBitmap(3, 2, 1, 32, pixels);
  ASSERT_NE(handle, nullptr);
  auto image = TvlEffectBmp::CreateFromhWnd(handle);
  DeleteObject(handle);
  ASSERT_EQ(image->Width, 3);
  ASSERT_EQ(image->Height, 2);
  EXPECT_EQ(image->RowSize, 12);
  EXPECT_EQ(image->Row(1)[3 * 2 + 2], 16);  // red of (2, 1)
  auto copy = TvlEffectBmp::CreateCopy(image.get());
  EXPECT_EQ(copy->Row(0)[0], 3);

  TvlBitmap target;
  target.SetSize(6, 4);
  copy->Draw(target.DC(), 1, 1);
  EXPECT_EQ(target.Pixel(1, 1) & 0xFFFFFF, Argb(0, 1, 2, 3));
  EXPECT_EQ(target.Pixel(3, 2) & 0xFFFFFF, Argb(0, 16, 17, 18));
  copy->DrawRect(target.DC(), 0, 0, 2, 1, 1, 1);
  EXPECT_EQ(target.Pixel(0, 0) & 0xFFFFFF, Argb(0, 16, 17, 18));
  copy->Stretch(target.DC(), 0, 0, 6, 4);
  EXPECT_EQ(target.Pixel(5, 3) & 0xFFFFFF, Argb(0, 16, 17, 18));
  auto none = TvlEffectBmp::CreateFromhWnd(nullptr);
  EXPECT_EQ(none->Bits, nullptr);
  none->Draw(target.DC(), 0, 0);
}

TEST(TvlEffectBmpTest, ResizeFillsBlocks) {
  TvlEffectBmp small(2, 2), big(4, 4);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) std::memset(small.Row(y) + 3 * x, 10 * (1 + x + 2 * y), 3);
  small.Resize(&big);  // blocks of 3 x 3 at 0 and round(1.5) = 2
  const int expected[4][4] = {{10, 10, 20, 20}, {10, 10, 20, 20}, {30, 30, 40, 40}, {30, 30, 40, 40}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(big, x, y), expected[y][x]) << x << "," << y;
}

TEST(TvlEffectBmpTest, TransitionsOnDegenerateSizesAreHarmless) {
  for (int w : {1, 2}) {
    TvlEffectBmp own(w, 1), other(w, 1);
    Fill(other, 50);
    for (auto op : {&TvlEffectBmp::Morph, &TvlEffectBmp::MorphGrad, &TvlEffectBmp::MorphHGrad,
                    &TvlEffectBmp::MorphVGrad, &TvlEffectBmp::MorphLeftGrad, &TvlEffectBmp::MorphRightGrad,
                    &TvlEffectBmp::MorphPush, &TvlEffectBmp::MorphLeftSlide, &TvlEffectBmp::MorphRightSlide})
      for (double kf : {-3.0, 0.0, 0.5, 1.0, 1e300}) (own.*op)(&other, kf);
  }
  TvlEffectBmp empty(0, 0), sized(4, 4);
  empty.Mosaic(0);
  sized.Mosaic(0);
  sized.Mosaic(-2);
  empty.SplitBlur(2);
  empty.Resize(&sized);
  sized.Resize(&empty);
  SUCCEED();
}

TEST(TvlEffectBmpTest, PixelEffects) {
  TvlEffectBmp e(2, 2);
  e.Row(0)[0] = 0;
  e.Row(0)[3] = 100;
  e.Row(1)[0] = 200;
  e.Row(1)[3] = 40;
  e.SplitBlur(1);
  // In place: (0,0) = mean of the four as they stand, later pixels see it.
  EXPECT_EQ(At(e, 0, 0), (0 + 100 + 200 + 40) / 4);
  EXPECT_EQ(At(e, 1, 0), (85 + 100 + 200 + 40) / 4);

  TvlEffectBmp n(50, 50);
  Fill(n, 128);
  n.SeedNoise(7);
  n.AddMonoNoise(50);
  int lo = 255, hi = 0;
  for (int y = 0; y < 50; ++y)
    for (int i = 0; i < 150; ++i) {
      lo = std::min<int>(lo, n.Row(y)[i]);
      hi = std::max<int>(hi, n.Row(y)[i]);
    }
  EXPECT_GE(lo, 128 - 25);
  EXPECT_LE(hi, 128 + 24);

  TvlEffectBmp g(1, 1);
  g.Row(0)[0] = 10;   // blue
  g.Row(0)[1] = 100;  // green
  g.Row(0)[2] = 200;  // red
  g.GrayScale();
  EXPECT_EQ(At(g, 0, 0), 120);  // 60 + 59 + 1.1 = 120.1
  g.Invert();
  EXPECT_EQ(At(g, 0, 0), 135);
  g.ChangeDarkness(0.5);
  EXPECT_EQ(At(g, 0, 0), 68);  // 67.5 to even
  g.ChangeBrightness(0.5);
  EXPECT_EQ(At(g, 0, 0), 162);  // 34 + 127.5 = 161.5

  TvlEffectBmp r(3, 2), rot(2, 3);
  Columns(r, 10);
  r.Rotate90_1(&rot);
  EXPECT_EQ(At(rot, 0, 2), 10);  // (x 0, y 0) -> (0, Width - 1)
  r.Rotate90_2(&rot);
  EXPECT_EQ(At(rot, 1, 0), 10);  // (x 0, y 0) -> (Height - 1, 0)
}

// ---- Loading ---------------------------------------------------------------------------------

std::vector<std::uint8_t> Pcx(int first, int version, std::vector<std::uint8_t> data) {
  std::vector<std::uint8_t> file(128, 0);
  file[0] = static_cast<std::uint8_t>(first);
  file[1] = static_cast<std::uint8_t>(version);
  file[2] = 1;  // run-length
  file[3] = 8;
  file[8] = 2;   // Xmax: 3 wide
  file[10] = 1;  // Ymax: 2 high
  file[65] = 1;  // planes
  file[66] = 4;  // bytes per line
  file.insert(file.end(), data.begin(), data.end());
  std::vector<std::uint8_t> palette(768, 0);
  for (int i = 1; i <= 3; ++i) {
    palette[3 * i] = static_cast<std::uint8_t>(10 * i);
    palette[3 * i + 1] = static_cast<std::uint8_t>(10 * i + 1);
    palette[3 * i + 2] = static_cast<std::uint8_t>(10 * i + 2);
  }
  file.push_back(12);
  file.insert(file.end(), palette.begin(), palette.end());
  return file;
}

TEST(TvlBitmapTest, LoadFromPcxStream) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
    bool loads;
    TvlColor topLeft, bottomRight;
  };
  const std::vector<std::uint8_t> rows = {0xC3, 1, 0, 2, 3, 0xC2, 1};
  const Case cases[] = {
      {"run-length rows", Pcx(10, 5, rows), true, Argb(255, 10, 11, 12), Argb(255, 10, 11, 12)},
      {"second row literal", Pcx(205, 5, {0xC4, 3, 0xC4, 2}), true, Argb(255, 30, 31, 32), Argb(255, 20, 21, 22)},
      {"16-colour version", Pcx(10, 3, rows), true, Argb(255, 128, 0, 0), Argb(255, 128, 0, 0)},
      {"run beyond the end", Pcx(10, 5, {0xFF, 1}), true, Argb(255, 10, 11, 12), Argb(255, 10, 11, 12)},
      {"not a PCX", Pcx(11, 5, rows), false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryStream s;
    s.WriteBuffer(c.file.data(), static_cast<std::int64_t>(c.file.size()));
    s.SetPosition(0);
    TvlBitmap b;
    b.LoadFromPcxStream(&s);
    ASSERT_EQ(!b.Empty(), c.loads);
    if (!c.loads) continue;
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(b.Pixel(0, 0), c.topLeft);
    EXPECT_EQ(b.Pixel(2, 1), c.bottomRight);
  }
}

TEST(TvlBitmapTest, AssignFromAPngLeavesItsTransparentPartsOut) {
  pngcodec::Image image;
  image.width = 2;
  image.height = 1;
  image.colorType = pngcodec::kRgbAlpha;
  image.transparency = pngcodec::Transparency::Partial;
  image.bgra = {0, 0, 255, 255, 0, 255, 0, 0};
  const auto bytes = pngcodec::Encode(image);
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  TPngImage png;
  png.LoadFromStream(&s);
  TvlBitmap b;
  b.Assign(&png);
  ASSERT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Pixel(0, 0), Argb(255, 255, 0, 0));
  EXPECT_EQ(b.Pixel(1, 0), Argb(255, 0, 0, 0));  // magenta underneath: left undrawn
}

TEST(GlowTextTest, GlowWithoutBlurAndAbsurdSizes) {
  TvlBitmap target;
  target.SetSize(80, 40);
  target.Clear(0xFF000000);
  LOGFONT lf;
  lf.lfHeight = -20;
  lf.lfWeight = FW_BOLD;
  HFONT font = CreateFontIndirect(&lf);
  HGDIOBJ old = SelectObject(target.DC(), font);
  SetTextColor(target.DC(), RGB(0, 0, 255));
  const TRect r{10, 5, 70, 35};
  DrawGlowText(target.DC(), r, "HH", DT_SINGLELINE | DT_NOCLIP, 20, static_cast<TColor>(RGB(0, 255, 0)), 0);
  // The unblurred glow lands 20 pixels right and down of the text: only green there.
  int green = 0, blue = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) {
      const TvlColor p = target.Pixel(x, y);
      if (((p >> 8) & 0xFF) > 100 && (p & 0xFF) < 50) ++green;
      if ((p & 0xFF) > 100 && x < 60 && y < 30) ++blue;
    }
  EXPECT_GT(green, 0);
  EXPECT_GT(blue, 0);
  // Glow sizes a skin might name by mistake stay cheap and harmless.
  DrawGlowText(target.DC(), r, "HH", 0, 0, 0, 1 << 30);
  DrawThickGlowText(target.DC(), r, "HH", 0, 0, 0, -5);
  DrawReflectionText(target.DC(), r, "HH", DT_SINGLELINE, 2, 0);
  DrawVistaGlowText(target.DC(), r, "HH", DT_SINGLELINE, 0);
  SelectObject(target.DC(), old);
  DeleteObject(font);
}

TEST(TvlEffectBmpTest, MaskedEffectsTouchOnlyNonWhitePixels) {
  // Mask: white except column 1; image: column x holds 40 * x.
  auto make = [](TvlEffectBmp& img, TvlEffectBmp& mask) {
    for (int y = 0; y < img.Height; ++y)
      for (int x = 0; x < img.Width; ++x) {
        std::memset(img.Row(y) + 3 * x, 40 * x, 3);
        std::memset(mask.Row(y) + 3 * x, x == 1 ? 0 : 255, 3);
      }
  };
  {
    TvlEffectBmp img(4, 3), mask(4, 3);
    make(img, mask);
    img.MaskFillColor(&mask, static_cast<TColor>(RGB(200, 200, 200)), 0.5);
    EXPECT_EQ(At(img, 1, 1), 120);  // (40 + 200) / 2
    EXPECT_EQ(At(img, 2, 1), 80);
  }
  {
    TvlEffectBmp img(4, 3), mask(4, 3);
    make(img, mask);
    img.MaskBlur(&mask, 1);
    EXPECT_EQ(At(img, 1, 1), (0 + 80 + 0 + 80) / 4);
    EXPECT_EQ(At(img, 0, 1), 0);
    EXPECT_EQ(At(img, 3, 1), 120);
  }
  {
    TvlEffectBmp img(4, 3), mask(4, 3), small(4, 2);
    make(img, mask);
    std::memset(img.Row(1) + 3, 10, 3);
    img.MaskBlur(&small, 1);  // a mask lower than the image: nothing
    img.MaskAntialiasing(&mask, 0);
    EXPECT_EQ(At(img, 1, 1), 10);
    img.MaskAntialiasing(&mask, 1);  // diagonal neighbours are white
    EXPECT_EQ(At(img, 1, 1), 40);   // (0 + 80 + 0 + 80) / 4
  }
}

TEST(TvlEffectBmpTest, MosaicCopyRectAndWave) {
  TvlEffectBmp img(5, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) std::memset(img.Row(y) + 3 * x, 10 * y + x, 3);
  TvlEffectBmp copy(5, 5);
  copy.CopyRect(&img, TRect{1, 1, 2, 2}, 3, 3);  // right and bottom included
  EXPECT_EQ(At(copy, 1, 1), 33);
  EXPECT_EQ(At(copy, 2, 2), 44);
  EXPECT_EQ(At(copy, 0, 0), 0);
  copy.CopyRect(&img, TRect{3, 3, 9, 9}, 3, 3);  // cut at the image and the source
  EXPECT_EQ(At(copy, 4, 4), 44);

  TvlEffectBmp wave(5, 5);
  std::memcpy(wave.Bits, img.Bits, static_cast<std::size_t>(img.Size));
  wave.Wave(0, 3, 2);  // a zero divisor: nothing
  EXPECT_EQ(At(wave, 2, 2), 22);
  wave.Wave(1000000, 1000000, 0);  // no amplitude: unchanged
  EXPECT_EQ(At(wave, 3, 4), 43);

  img.Mosaic(2);
  const int expected[5] = {0, 0, 2, 2, 4};
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(At(img, x, 0), expected[x]);
    EXPECT_EQ(At(img, x, 3), 20 + expected[x]);
  }
}

// ---- Blur and mask alpha -----------------------------------------------------------------------

TEST(BlurBitmapTest, RadiusOneOfAWhitePixel) {
  TvlBitmap b;
  b.SetSize(5, 5);
  b.Clear(0xFF000000);
  b.SetPixel(2, 2, 0xFFFFFFFF);
  BlurBitmap(&b, 1);
  struct Case {
    int x, y, value;
  };
  for (const Case c : {Case{2, 2, 63}, Case{1, 2, 31}, Case{2, 3, 31}, Case{1, 1, 15}, Case{3, 3, 15},
                       Case{0, 0, 0}, Case{4, 2, 0}}) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    EXPECT_EQ(Red(b.Pixel(c.x, c.y)), c.value);
    EXPECT_EQ(Alpha(b.Pixel(c.x, c.y)), 255);
  }
}

TEST(BlurBitmapTest, EdgesRepeatAndHugeRadiiStayBounded) {
  TvlBitmap b;
  b.SetSize(4, 1);
  b.Clear(0xFF646464);
  BlurBitmap(&b, 3);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF646464u);  // a flat picture stays flat
  BlurBitmap(&b, 2'000'000'000);
  EXPECT_EQ(b.Pixel(3, 0), 0xFF646464u);
  BlurBitmap(&b, 0);
  BlurBitmap(&b, -4);
}

TEST(SetAlphaFromMaskTest, GreyLevelRoundsHalfToEven) {
  TvlBitmap b, m;
  b.SetSize(2, 1);
  b.Clear(0xFF102030);
  m.SetSize(2, 1);
  m.SetPixel(0, 0, Argb(0, 1, 1, 2));    // 4/3 -> 1
  m.SetPixel(1, 0, Argb(0, 255, 0, 0));  // 85
  SetAlphaFromMask(&b, &m);
  EXPECT_EQ(b.Pixel(0, 0), Argb(1, 0x10, 0x20, 0x30));
  EXPECT_EQ(Alpha(b.Pixel(1, 0)), 85);
  TvlBitmap small;
  small.SetSize(1, 1);
  SetAlphaFromMask(&b, &small);  // too small: nothing
  EXPECT_EQ(Alpha(b.Pixel(1, 0)), 85);
}

}  // namespace
