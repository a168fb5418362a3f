#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Region.h"

namespace {

std::string Describe(const Region& r) {
  std::string out;
  for (const TRect& x : r.Rects())
    out += "(" + std::to_string(x.Left) + "," + std::to_string(x.Top) + "," + std::to_string(x.Right) + "," +
           std::to_string(x.Bottom) + ")";
  return out;
}

}  // namespace

TEST(Region, AlgebraTable) {
  const Region a(TRect{0, 0, 4, 4});
  const Region b(TRect{2, 2, 6, 6});
  struct Case {
    const char* name;
    TRegionOp op;
    std::string expected;
  } cases[] = {
      {"and", TRegionOp::And, "(2,2,4,4)"},
      {"or", TRegionOp::Or, "(0,0,4,2)(0,2,6,4)(2,4,6,6)"},
      {"xor", TRegionOp::Xor, "(0,0,4,2)(0,2,2,4)(4,2,6,4)(2,4,6,6)"},
      {"diff", TRegionOp::Diff, "(0,0,4,2)(0,2,2,4)"},
      {"copy", TRegionOp::Copy, "(0,0,4,4)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Describe(Region::Combine(a, b, c.op)), c.expected);
  }
}

TEST(Region, EqualPixelSetsCompareEqualWhateverTheirHistory) {
  // Two halves united give the same value as the whole rectangle.
  const Region halves = Region::Combine(Region(TRect{0, 0, 5, 4}), Region(TRect{5, 0, 10, 4}), TRegionOp::Or);
  EXPECT_EQ(halves, Region(TRect{0, 0, 10, 4}));
  const Region stacked = Region::Combine(Region(TRect{0, 0, 10, 2}), Region(TRect{0, 2, 10, 4}), TRegionOp::Or);
  EXPECT_EQ(stacked, Region(TRect{0, 0, 10, 4}));
  EXPECT_TRUE(Region::Combine(stacked, stacked, TRegionOp::Xor).IsEmpty());
}

TEST(Region, QueriesAndOffset) {
  Region r = Region::Combine(Region(TRect{0, 0, 2, 2}), Region(TRect{5, 5, 7, 7}), TRegionOp::Or);
  EXPECT_EQ(r.Bounds(), (TRect{0, 0, 7, 7}));
  EXPECT_TRUE(r.Contains({1, 1}));
  EXPECT_FALSE(r.Contains({2, 1}));  // right edge excluded
  EXPECT_FALSE(r.Contains({3, 3}));
  EXPECT_TRUE(r.Intersects({1, 1, 6, 2}));
  EXPECT_FALSE(r.Intersects({2, 2, 5, 5}));
  r.Offset(10, 20);
  EXPECT_TRUE(r.Contains({15, 25}));
  EXPECT_EQ(r.Bounds(), (TRect{10, 20, 17, 27}));
}

TEST(Region, MaskRectanglesBuildTheExpectedRegion) {
  // A 3 x 2 mask: row 0 black, white, black; row 1 all black.
  const Region r = Region::FromRects({{0, 0, 1, 1}, {2, 0, 3, 1}, {0, 1, 3, 2}});
  EXPECT_EQ(Describe(r), "(0,0,1,1)(2,0,3,1)(0,1,3,2)");
  EXPECT_EQ(Describe(r.Offsetted(10, 20)), "(10,20,11,21)(12,20,13,21)(10,21,13,22)");
}

TEST(Region, PolygonTakesPixelsWhoseCornerPointsAreInside) {
  // A right triangle with legs of 4, hypotenuse x + y = 4: pixel (x, y) is inside when its
  // corner point is strictly left of the hypotenuse, so row y holds x < 4 - y.
  const Region r = Region::FromPolygon({{0, 0}, {4, 0}, {0, 4}}, TFillRule::Alternate);
  EXPECT_EQ(Describe(r), "(0,0,4,1)(0,1,3,2)(0,2,2,3)(0,3,1,4)");
  // A self-overlapping star-like path: the winding rule fills what alternate leaves out.
  const std::vector<TPoint> twice = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}, {4, 0}, {4, 4}, {0, 4}};
  EXPECT_TRUE(Region::FromPolygon(twice, TFillRule::Alternate).IsEmpty());
  EXPECT_EQ(Region::FromPolygon(twice, TFillRule::Winding), Region(TRect{0, 0, 4, 4}));
}

TEST(Region, RoundRectCutsCornersSymmetrically) {
  const Region r = Region::FromRoundRect({0, 0, 10, 10}, 4, 4);
  EXPECT_FALSE(r.Contains({0, 0}));
  EXPECT_FALSE(r.Contains({9, 9}));
  EXPECT_TRUE(r.Contains({5, 0}));
  EXPECT_TRUE(r.Contains({0, 5}));
  EXPECT_EQ(r.Bounds(), (TRect{0, 0, 10, 10}));
  // Mirror symmetry: pixel (x, y) in iff (9 - x, y) in.
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(r.Contains({x, y}), r.Contains({9 - x, y})) << x << "," << y;
}

TEST(RegionHandles, CombineOffsetAndRegionDataRoundTrip) {
  HRGN a = CreateRectRgn(0, 0, 4, 4);
  HRGN b = CreateRectRgn(2, 2, 6, 6);
  HRGN dst = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(dst, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(CombineRgn(a, a, b, RGN_AND), SIMPLEREGION);  // destination is a source
  EXPECT_EQ(CombineRgn(dst, a, a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(dst, a, b, 99), RGN_ERROR);
  EXPECT_TRUE(PtInRegion(a, 3, 3));
  EXPECT_FALSE(PtInRegion(a, 1, 1));
  EXPECT_EQ(OffsetRgn(b, -2, -2), SIMPLEREGION);
  TRect box;
  EXPECT_EQ(GetRgnBox(b, &box), SIMPLEREGION);
  EXPECT_EQ(box, (TRect{0, 0, 4, 4}));

  CombineRgn(dst, a, b, RGN_XOR);
  const DWORD size = GetRegionData(dst, 0, nullptr);
  ASSERT_GT(size, sizeof(RGNDATAHEADER));
  std::vector<std::uint8_t> block(size);
  auto* data = reinterpret_cast<RGNDATA*>(block.data());
  EXPECT_EQ(GetRegionData(dst, size, data), size);
  EXPECT_EQ(data->rdh.nCount, (size - sizeof(RGNDATAHEADER)) / sizeof(TRect));
  HRGN back = ExtCreateRegion(nullptr, size, data);
  EXPECT_TRUE(EqualRgn(back, dst));
  // A header that claims more rectangles than the block holds is refused.
  data->rdh.nCount += 1;
  EXPECT_EQ(ExtCreateRegion(nullptr, size, data), nullptr);
  for (HRGN h : {a, b, dst, back}) DeleteObject(h);
  EXPECT_FALSE(PtInRegion(a, 3, 3));  // stale handle
}
