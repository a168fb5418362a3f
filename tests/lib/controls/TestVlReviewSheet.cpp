// The review sheet: every composition routine applied to a small skin made here, laid out on
// one picture and compared with the stored expected picture. On a mismatch (or when the
// expected picture is missing) the actual picture is written into the working directory.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "lib/drawing/vlEffects.h"
#include "lib/data/vlSkinDescription.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "tests/ExpectedPicture.h"
#include "tests/support/ImageCompare.h"

namespace {

std::uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
         static_cast<std::uint32_t>(b);
}

// The fixture element, 24 x 24: a dark frame, red corners with a diagonal, striped edges (so a
// tiled edge and a stretched one look different) and a checkered client (6..18 each way).
std::uint32_t SkinPixel(int x, int y) {
  const bool edgeX = x < 6 || x >= 18, edgeY = y < 6 || y >= 18;
  if (x == 0 || y == 0 || x == 23 || y == 23) return Rgb(20, 30, 90);
  if (edgeX && edgeY) return (x % 6 == y % 6) ? Rgb(255, 255, 255) : Rgb(200, 40 + 20 * (x % 6), 40);
  if (edgeY) return x % 3 == 0 ? Rgb(250, 200, 0) : Rgb(60, 120, 200);
  if (edgeX) return y % 3 == 0 ? Rgb(0, 200, 120) : Rgb(60, 120, 200);
  return ((x / 3 + y / 3) % 2) ? Rgb(235, 235, 235) : Rgb(150, 150, 170);
}

void MakePicture(TBitmap& b) {
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(24, 24);
  for (int y = 0; y < 24; ++y) {
    auto* row = static_cast<std::uint32_t*>(b.ScanLine(y));
    for (int x = 0; x < 24; ++x) row[x] = SkinPixel(x, y);
  }
}

class Sheet {
 public:
  Sheet() {
    sheet_.SetSize(kWidth, kHeight);
    sheet_.Clear(Rgb(128, 128, 128));
  }
  // Places a framework bitmap at (x, y).
  void Put(TBitmap& b, int x, int y) {
    if (b.Empty()) return;
    TvlBitmap copy;
    copy.Assign(&b);
    copy.SetAlphaBlend(false);
    copy.Draw(&sheet_, x, y);
  }
  void Put(TvlBitmap& b, int x, int y) { b.Draw(&sheet_, x, y); }
  TvlBitmap& Bitmap() { return sheet_; }

  static constexpr int kWidth = 240, kHeight = 200;

 private:
  TvlBitmap sheet_;
};

// Nine-part geometry of the fixture for a target of (24 + dx) x (24 + dy).
struct Geometry {
  TPoint lt{6, 6}, rt{18, 6}, lb{6, 18}, rb{18, 18};
  TRect cl{6, 6, 18, 18};
  int dx, dy;
  [[nodiscard]] TPoint nrt() const { return {rt.X + dx, rt.Y}; }
  [[nodiscard]] TPoint nlb() const { return {lb.X, lb.Y + dy}; }
  [[nodiscard]] TPoint nrb() const { return {rb.X + dx, rb.Y + dy}; }
  [[nodiscard]] TRect ncl() const { return {cl.Left, cl.Top, cl.Right + dx, cl.Bottom + dy}; }
  [[nodiscard]] TvlNinePartGeometry nine() const { return {lt, rt, lb, rb, cl, lt, nrt(), nlb(), nrb(), ncl()}; }
};

void ComposeReviewSheet(Sheet& s) {
  TBitmap pic, out;
  MakePicture(pic);
  s.Put(pic, 2, 2);

  // Row 1: strips of the top band (rows 0..6) at width 50: tiled, stretched, open right,
  // middle only; and a vertical strip of the left band at height 50.
  const TRect band{0, 0, 24, 6};
  ComposeSkinStrip(6, 6, &out, &pic, band, 50, 0, false);
  s.Put(out, 30, 2);
  ComposeSkinStrip(6, 6, &out, &pic, band, 50, 0, true);
  s.Put(out, 30, 10);
  ComposeSkinStripOpenRight(6, 6, &out, &pic, band, 50, 0, false);
  s.Put(out, 30, 18);
  ComposeSkinStripMiddle(6, 6, &out, &pic, band, 50, 0, false);
  s.Put(out, 84, 2);
  ComposeSkinStripMiddle(6, 6, &out, &pic, band, 50, 0, true);
  s.Put(out, 84, 10);
  ComposeSkinStripVert(6, 6, &out, &pic, TRect{0, 0, 6, 24}, 0, 50, false);
  s.Put(out, 140, 2);
  ComposeSkinStripVert(6, 6, &out, &pic, TRect{0, 0, 6, 24}, 0, 50, true);
  s.Put(out, 148, 2);

  // Row 2: nine-part images at 50 x 40 with tiled parts, stretched parts, the two partial
  // stretches, open at the right, and everything stretched.
  const Geometry g{.dx = 26, .dy = 16};
  struct Variant {
    bool edges, client;
    TvlStretchType type;
    bool openRight;
  };
  const Variant variants[] = {{false, false, TvlStretchType::vlstFull, false},
                              {true, true, TvlStretchType::vlstFull, false},
                              {true, true, TvlStretchType::vlstHorz, false},
                              {true, true, TvlStretchType::vlstVert, false}};
  int x = 2;
  for (const Variant& v : variants) {
    ComposeSkinImage(g.nine(), &out, &pic, TRect{0, 0, 24, 24}, 50, 40,
                     TvlStretchSides{v.edges, v.edges, v.edges, v.edges},
                     TvlClientFill{.Draw = true, .Stretch = v.client, .Type = v.type});
    s.Put(out, x, 60);
    x += 56;
  }
  ComposeSkinImageOpenRight(g.nine(), &out, &pic, TRect{0, 0, 24, 24}, 50, 40, TvlStretchSides{}, TvlClientFill{});
  s.Put(out, 2, 106);
  out.SetSize(0, 0);
  out.SetSize(36, 30);
  ComposeStretchedSkinImage(&out, &pic, TRect{0, 0, 24, 24}, g.cl, true);
  s.Put(out, 58, 106);

  // Row 3: the four border pieces of a 50 x 40 frame, and the four pieces of a mask.
  TBitmap left, top, right, bottom;
  ComposeSkinBorders(g.nine(), TvlBorderPieces{.Left = &left, .Top = &top, .Right = &right, .Bottom = &bottom}, &pic,
                     TRect{0, 0, 24, 24}, 50, 40, TvlStretchSides{});
  s.Put(top, 100, 106);
  s.Put(left, 100, 106 + top.Height());
  s.Put(right, 100 + 50 - right.Width(), 106 + top.Height());
  s.Put(bottom, 100, 106 + 40 - bottom.Height());

  TBitmap mask;
  mask.SetPixelFormat(TPixelFormat::pf32bit);
  mask.SetSize(24, 24);
  for (int yy = 0; yy < 24; ++yy)
    for (int xx = 0; xx < 24; ++xx) {
      const int cx = xx < 12 ? 5 - xx : xx - 18, cy = yy < 12 ? 5 - yy : yy - 18;
      const bool cut = cx > 0 && cy > 0 && cx * cx + cy * cy > 25;  // rounded outer corners
      static_cast<std::uint32_t*>(mask.ScanLine(yy))[xx] = cut ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
    }
  TBitmap mtop, mleft, mright, mbottom;
  ComposeMaskBorders(g.nine(), &mask,
                     TvlBorderPieces{.Left = &mleft, .Top = &mtop, .Right = &mright, .Bottom = &mbottom}, 50);
  s.Put(mtop, 156, 106);
  s.Put(mleft, 156, 106 + g.cl.Top);
  s.Put(mright, 156 + 50 - mright.Width(), 106 + g.cl.Top);
  s.Put(mbottom, 156, 106 + 40 - mbottom.Height());

  // The window region of that mask: inside pixels painted white on black.
  HRGN rgn = nullptr;
  CreateSkinRegion(rgn, g.nine(), &mask, 50, 40);
  TvlBitmap regionPicture;
  regionPicture.SetSize(50, 40);
  for (int yy = 0; yy < 40; ++yy)
    for (int xx = 0; xx < 50; ++xx)
      regionPicture.SetPixel(xx, yy, rgn && PtInRegion(rgn, xx, yy) ? Rgb(255, 255, 255) : Rgb(0, 0, 0));
  if (rgn) DeleteObject(rgn);
  s.Put(regionPicture, 2, 152);

  // Effects: a blurred copy and an alpha-blended copy of the fixture, a gradient morph.
  TvlBitmap blurred;
  blurred.Assign(&pic);
  BlurBitmap(&blurred, 2);
  s.Put(blurred, 58, 152);
  TvlBitmap translucent;
  translucent.Assign(&pic);
  translucent.SetAlpha(96);
  translucent.SetAlphaBlend(true);
  s.Put(translucent, 86, 152);
  TvlEffectBmp own(24, 24), other(24, 24);
  for (int yy = 0; yy < 24; ++yy)
    for (int xx = 0; xx < 24; ++xx) {
      const std::uint32_t p = SkinPixel(xx, yy);
      std::uint8_t* o = own.Row(yy) + 3 * xx;
      o[0] = p & 0xFF;
      o[1] = (p >> 8) & 0xFF;
      o[2] = (p >> 16) & 0xFF;
      std::uint8_t* t = other.Row(yy) + 3 * xx;
      t[0] = 40;
      t[1] = 160;
      t[2] = 40;
    }
  own.MorphHGrad(&other, 0.4);
  TvlBitmap morphed;
  morphed.SetSize(24, 24);
  for (int yy = 0; yy < 24; ++yy)
    for (int xx = 0; xx < 24; ++xx) {
      const std::uint8_t* o = own.Row(yy) + 3 * xx;
      morphed.SetPixel(xx, yy, Rgb(o[2], o[1], o[0]));
    }
  s.Put(morphed, 114, 152);
}

std::string ExpectedPath() {
  // A compiler cache may hand the compiler a source path relative to the build folder, which is
  // the test program's parent folder.
  std::filesystem::path source(__FILE__);
  if (source.is_relative()) source = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / source;
  return (source.parent_path().parent_path() / "expected" / "review_sheet.png").string();
}

TEST(ReviewSheetTest, CompositionRoutinesMatchTheStoredPicture) {
  Sheet s;
  ComposeReviewSheet(s);
  TvlBitmap& b = s.Bitmap();
  const std::string actualPath = "review_sheet.actual.png";
  const std::string expectedPath = ExpectedPath();
  if (expected_picture::RecordIfAsked(b.Bits(), b.Width(), b.Height(), b.Width() * 4, expectedPath)) return;
  if (!std::filesystem::exists(expectedPath)) {
    SaveSurfacePng(actualPath, b.Bits(), b.Width(), b.Height(), b.Width() * 4, false);
    FAIL() << "no expected picture " << expectedPath << "; the actual one is in "
           << std::filesystem::absolute(actualPath);
  }
  const pngcodec::Image expected = LoadPngFile(expectedPath);
  ASSERT_EQ(expected.width, b.Width());
  ASSERT_EQ(expected.height, b.Height());
  const TSurfaceDifference d = CompareSurfaces(b.Bits(), b.Width() * 4, expected.bgra.data(), expected.width * 4,
                                               b.Width(), b.Height(), 0, false);
  if (d.DifferingPixels != 0) {
    SaveSurfacePng(actualPath, b.Bits(), b.Width(), b.Height(), b.Width() * 4, false);
    ADD_FAILURE() << d.DifferingPixels << " pixels differ (largest difference " << d.MaxChannelDifference
                  << "); the actual picture is in " << std::filesystem::absolute(actualPath);
  }
}

}  // namespace
