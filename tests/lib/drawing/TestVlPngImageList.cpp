#include "lib/drawing/vlPngImageList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/core/Streams.h"

namespace {

// A PNG picture of 2 x 2 read back from its encoded form, so it keeps its stored colour type
// and transparency. Pixels: red, green, blue, white (bytes B, G, R, A).
void MakePng(TPngImage& png, int colorType, pngcodec::Transparency transparency, std::uint8_t alpha = 255) {
  pngcodec::Image image;
  image.width = 2;
  image.height = 2;
  image.colorType = colorType;
  image.transparency = transparency;
  image.bgra = {0, 0, 255, alpha, 0, 255, 0, alpha, 255, 0, 0, alpha, 255, 255, 255, alpha};
  if (transparency == pngcodec::Transparency::Bit) {
    image.transparentColor = 0x00FF0000;  // blue (0x00BBGGRR)
    image.bgra[11] = 0;
  }
  const auto bytes = pngcodec::Encode(image);
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  png.LoadFromStream(&s);
}

TEST(HalfTransparentPngTest, AlphaOfTheDisabledCopy) {
  struct Case {
    const char* name;
    int colorType;
    pngcodec::Transparency transparency;
    std::uint8_t alpha;
    int expected[4];  // alpha of red, green, blue, white
  };
  const Case cases[] = {
      {"opaque true colour", pngcodec::kRgb, pngcodec::Transparency::None, 255, {128, 128, 128, 128}},
      {"true colour with a key", pngcodec::kRgb, pngcodec::Transparency::Bit, 255, {128, 128, 0, 128}},
      {"palette with a key", pngcodec::kPalette, pngcodec::Transparency::Bit, 255, {127, 127, 0, 127}},
      {"palette", pngcodec::kPalette, pngcodec::Transparency::None, 255, {127, 127, 127, 127}},
      {"alpha 1", pngcodec::kRgbAlpha, pngcodec::Transparency::Partial, 1, {0, 0, 0, 0}},
      {"alpha 3", pngcodec::kRgbAlpha, pngcodec::Transparency::Partial, 3, {2, 2, 2, 2}},
      {"alpha 200", pngcodec::kRgbAlpha, pngcodec::Transparency::Partial, 200, {100, 100, 100, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPngImage png, faded;
    MakePng(png, c.colorType, c.transparency, c.alpha);
    ASSERT_EQ(png.ColorType(), c.colorType);
    MakeHalfTransparentPng(png, faded);
    ASSERT_EQ(faded.Width(), 2);
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t* p = faded.Scanline(i / 2) + 4 * (i % 2);
      EXPECT_EQ(p[3], c.expected[i]) << "pixel " << i;
    }
    // Colours are kept.
    EXPECT_EQ(faded.Scanline(0)[2], 255);
  }
}

TEST(TvlPngImageListTest, ItemsKeepOnePlaceholderEach) {
  TvlPngImageList list(nullptr);
  list.SetPngWidth(24);
  list.SetPngHeight(24);
  for (int i = 0; i < 3; ++i) (void)list.PngImages()->Add();
  EXPECT_EQ(list.Count(), 3);
  TvlPngImageItem* item = list.PngImages()->Add();
  EXPECT_EQ(item->Name(), "PngImage3");
  EXPECT_EQ(item->DisplayName(), "PngImage3");
  EXPECT_EQ(list.Count(), 4);
  item->SetName("");
  EXPECT_EQ(item->DisplayName(), item->ClassName());

  list.PngImages()->Delete(1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.PngImages()->Items(1)->Name(), "PngImage2");

  list.SetPngWidth(24);  // the same size keeps the items
  EXPECT_EQ(list.PngImages()->Count(), 3);
  list.SetPngWidth(32);
  EXPECT_EQ(list.PngImages()->Count(), 0);
  EXPECT_EQ(list.Count(), 0);
}

TEST(TvlPngImageListTest, DrawsThePngWholeOrFaded) {
  TvlPngImageList list(nullptr);
  list.SetPngWidth(2);
  list.SetPngHeight(2);
  TvlPngImageItem* item = list.PngImages()->Add();
  TPngImage png;
  MakePng(png, pngcodec::kRgb, pngcodec::Transparency::None);
  item->SetPngImage(&png);

  TBitmap target;
  target.SetPixelFormat(TPixelFormat::pf32bit);
  target.SetSize(6, 2);
  list.Draw(target.Canvas(), 0, 0, 0, true);
  list.Draw(target.Canvas(), 3, 0, 0, false);
  list.Draw(target.Canvas(), 3, 0, 7, false);  // no such item: nothing
  const auto* row = static_cast<const std::uint32_t*>(target.ScanLine(0));
  EXPECT_EQ(row[0] & 0xFFFFFF, 0xFF0000u);  // red in full
  const int fadedRed = static_cast<int>((row[3] >> 16) & 0xFF);
  EXPECT_GT(fadedRed, 100);  // about half over black
  EXPECT_LT(fadedRed, 160);
  EXPECT_EQ(row[5] & 0xFFFFFF, 0u);
}

}  // namespace
