#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Icon.h"
#include "platform/controls/ImageList.h"
#include "platform/graphics/Surface.h"

namespace {

// Opens the built-in cell drawing to the tests.
class TProbeList : public TImageList {
 public:
  using TImageList::TImageList;
  using TCustomImageList::DrawCell;
};

// A bitmap of w x h whose pixel (x, y) is colour(x, y) (0xAARRGGBB).
template <typename F>
std::unique_ptr<TBitmap> MakeBitmap(int w, int h, TPixelFormat format, F colour) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(format);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->Surface()->SetPixelAt(x, y, colour(x, y));
  return b;
}

std::uint32_t CellPixel(const TCustomImageList& list, int index, int x, int y) {
  std::uint32_t v;
  std::memcpy(&v, list.CellPixels(index) + (y * list.Width() + x) * 4, 4);
  return v;
}

TEST(TImageList, AddSplitsWideImagesAndIndexesShiftOnInsertAndDelete) {
  TProbeList list(nullptr);
  list.SetSize(2, 2);
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  // Three cells side by side, each of one colour: 1, 2, 3.
  auto strip = MakeBitmap(6, 2, TPixelFormat::pf24bit, [](int x, int) { return static_cast<std::uint32_t>(x / 2 + 1); });
  EXPECT_EQ(list.Add(strip.get(), nullptr), 0);
  EXPECT_EQ(list.Count(), 3);
  auto single = MakeBitmap(2, 2, TPixelFormat::pf24bit, [](int, int) { return 9u; });
  list.Insert(1, single.get(), nullptr);
  ASSERT_EQ(list.Count(), 4);
  const std::uint32_t order[] = {1, 9, 2, 3};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(CellPixel(list, i, 1, 1), 0xFF000000u | order[i]) << i;
  list.Delete(0);
  EXPECT_EQ(CellPixel(list, 0, 0, 0), 0xFF000009u);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(list.Add(nullptr, nullptr), -1);

  for (int bad : {-1, 3}) {
    SCOPED_TRACE(bad);
    try {
      list.Delete(bad);
      ADD_FAILURE() << "no exception";
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message, "Invalid ImageList Index");
    }
  }
  EXPECT_THROW(list.Insert(5, single.get(), nullptr), EInvalidOperation);
  EXPECT_THROW(list.SetWidth(0), EInvalidOperation);

  list.SetSize(2, 2);
  EXPECT_EQ(list.Count(), 3) << "the same size keeps the images";
  list.SetHeight(3);
  EXPECT_EQ(list.Count(), 0) << "a new size empties the list";
}

TEST(TImageList, TransparencyFromMaskColourOrAlpha) {
  struct Case {
    const char* name;
    std::unique_ptr<TBitmap> image;
    std::unique_ptr<TBitmap> mask;
    bool masked;  // AddMasked with clDefault
    std::uint32_t expected[2];  // pixels (0, 0) and (1, 0)
  };
  std::vector<Case> cases;
  cases.push_back({"opaque 24-bit", MakeBitmap(2, 1, TPixelFormat::pf24bit, [](int x, int) { return 0x100u + x; }),
                   nullptr, false, {0xFF000100, 0xFF000101}});
  cases.push_back({"mask white is transparent",
                   MakeBitmap(2, 1, TPixelFormat::pf24bit, [](int x, int) { return 0x100u + x; }),
                   MakeBitmap(2, 1, TPixelFormat::pf1bit, [](int x, int) { return x == 1 ? 0xFFFFFFu : 0u; }), false,
                   {0xFF000100, 0}});
  cases.push_back({"mask colour from the bottom-left pixel",
                   MakeBitmap(2, 1, TPixelFormat::pf24bit, [](int x, int) { return x == 0 ? 0x7F007Fu : 0x123456u; }),
                   nullptr, true, {0, 0xFF123456}});
  cases.push_back({"32-bit alpha kept", MakeBitmap(2, 1, TPixelFormat::pf32bit, [](int x, int) { return x ? 0x80102030u : 0u; }),
                   nullptr, false, {0, 0x80102030}});
  cases.push_back({"32-bit without alpha is opaque",
                   MakeBitmap(2, 1, TPixelFormat::pf32bit, [](int, int) { return 0x00102030u; }), nullptr, false,
                   {0xFF102030, 0xFF102030}});
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    TImageList list(nullptr);
    list.SetSize(2, 1);
    if (c.masked)
      list.AddMasked(c.image.get(), clDefault);
    else
      list.Add(c.image.get(), c.mask.get());
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(CellPixel(list, 0, 0, 0), c.expected[0]);
    EXPECT_EQ(CellPixel(list, 0, 1, 0), c.expected[1]);
  }
}

struct Target {
  std::shared_ptr<PixelSurface> surface = PixelSurface::Create(4, 4, 32);
  HDC dc = CreateSurfaceDC(surface, {0, 0}, nullptr);
  ~Target() { DeleteDC(dc); }
};

TEST(TImageList, DrawsCellsEnabledDisabledAndOnTheBackgroundColour) {
  TProbeList list(nullptr);
  list.SetSize(2, 2);
  // Top-left pixel opaque red, the rest clear.
  auto image = MakeBitmap(2, 2, TPixelFormat::pf32bit, [](int x, int y) { return x == 0 && y == 0 ? 0xFFFF0000u : 0u; });
  list.Add(image.get(), nullptr);

  Target plain;
  list.DrawCell(plain.dc, 0, 1, 1, true);
  EXPECT_EQ(plain.surface->PixelAt(1, 1), 0xFFFF0000u);
  EXPECT_EQ(plain.surface->PixelAt(2, 2), 0u) << "clear pixels leave the destination";
  EXPECT_EQ(plain.surface->PixelAt(0, 0), 0u);

  Target disabled;
  list.DrawCell(disabled.dc, 0, 1, 1, false);
  const std::uint32_t greyed = disabled.surface->PixelAt(1, 1);
  EXPECT_NE(greyed, 0u) << "the opaque pixel shows";
  EXPECT_EQ((greyed >> 16) & 0xFF, greyed & 0xFF) << "in grey";
  EXPECT_EQ(disabled.surface->PixelAt(2, 2), 0u) << "clear pixels stay clear: no shape around the picture";
  EXPECT_EQ(disabled.surface->PixelAt(2, 1), 0u);

  Target background;
  list.SetBkColor(clLime);
  list.DrawCell(background.dc, 0, 0, 0, true);
  EXPECT_EQ(background.surface->PixelAt(0, 0), 0xFFFF0000u);
  EXPECT_EQ(background.surface->PixelAt(1, 1) & 0x00FFFFFF, 0x0000FF00u);
  EXPECT_EQ(background.surface->PixelAt(2, 2), 0u) << "outside the cell";

  list.DrawCell(background.dc, 5, 0, 0, true);  // no such image: nothing, no fault
}

// A disabled picture, with soft edges or a solid tile of two colours, is a faded grey copy of
// itself: its colours stay told apart, never one grey block.
TEST(TImageList, DisabledPicturesAreFadedGreyCopies) {
  struct Case {
    const char* name;
    std::uint32_t left, right;
  } cases[] = {{"soft edge", 0xFFFF0000u, 0x800000FFu}, {"solid tile", 0xFF2060C0u, 0xFFFFFFFFu}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TProbeList list(nullptr);
    list.SetSize(2, 1);
    auto image = MakeBitmap(2, 1, TPixelFormat::pf32bit, [&](int x, int) { return x == 0 ? c.left : c.right; });
    list.Add(image.get(), nullptr);
    Target t;
    list.DrawCell(t.dc, 0, 0, 0, false);
    const std::uint32_t left = t.surface->PixelAt(0, 0);
    const int r = (left >> 16) & 0xFF, g = (left >> 8) & 0xFF, b = left & 0xFF;
    EXPECT_EQ(r, g);
    EXPECT_EQ(g, b) << "grey";
    EXPECT_GT(r, 60) << "lightened";
    EXPECT_NE(t.surface->PixelAt(1, 0), 0u) << "the other pixel shows too";
    EXPECT_NE(t.surface->PixelAt(1, 0), left) << "and stays told apart from the first";
    EXPECT_EQ(t.surface->PixelAt(0, 1), 0u);
  }
}

// A list that draws its own way, as lists of PNG pictures do.
class TRecordingList : public TImageList {
 public:
  using TImageList::TImageList;
  std::vector<std::string> calls;

 protected:
  void DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT Style, bool Enabled) override {
    calls.push_back(std::to_string(Index) + "@" + std::to_string(X) + "," + std::to_string(Y) +
                    (Enabled ? " enabled" : " disabled"));
    TImageList::DoDraw(Index, Canvas, X, Y, Style, Enabled);
  }
};

TEST(TImageList, DrawGoesThroughDoDrawOntoTheCanvas) {
  TRecordingList list(nullptr);
  list.SetSize(1, 1);
  auto image = MakeBitmap(2, 1, TPixelFormat::pf24bit, [](int x, int) { return x ? 0x0000FFu : 0xFF0000u; });
  list.Add(image.get(), nullptr);
  Target t;
  TCanvas canvas;
  canvas.SetHandle(t.dc);
  list.Draw(&canvas, 2, 3, 1);
  list.Draw(&canvas, 0, 0, 0, false);
  list.Draw(&canvas, 0, 0, 2);  // no such image
  EXPECT_EQ(list.calls, (std::vector<std::string>{"1@2,3 enabled", "0@0,0 disabled"}));
  EXPECT_EQ(t.surface->PixelAt(2, 3), 0xFF0000FFu);
  canvas.SetHandle(nullptr);
}

TEST(TImageList, CellsComeOutAsBitmapsAndIcons) {
  TImageList list(nullptr);
  list.SetSize(2, 2);
  auto image = MakeBitmap(2, 2, TPixelFormat::pf24bit, [](int x, int y) { return 0x010203u * (x + 2 * y + 1); });
  list.Add(image.get(), nullptr);
  TBitmap out;
  list.GetBitmap(0, &out);
  EXPECT_EQ(out.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(out.Surface()->PixelAt(1, 1), 0xFF000000u | (0x010203u * 4));
  TIcon icon;
  list.GetIcon(0, &icon);
  EXPECT_EQ(icon.Width(), 2);
  EXPECT_EQ(std::memcmp(icon.Pixels().data(), list.CellPixels(0), 16), 0);
  list.GetBitmap(3, &out);
  EXPECT_TRUE(out.Empty());
}

}  // namespace
