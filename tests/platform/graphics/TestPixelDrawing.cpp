#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/graphics/Gdi.h"
#include "platform/graphics/PixelDrawing.h"
#include "platform/graphics/Surface.h"

namespace {

// A 4 x 4 destination of one colour, with a DC on it.
struct Target {
  std::shared_ptr<PixelSurface> surface = PixelSurface::Create(4, 4, 32);
  HDC dc = nullptr;
  explicit Target(std::uint32_t argb) {
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) surface->SetPixelAt(x, y, argb);
    dc = CreateSurfaceDC(surface, {0, 0}, nullptr);
  }
  ~Target() { DeleteDC(dc); }
};

// 2 x 2 source pixels, B, G, R, A: opaque red, half-transparent green, clear blue, opaque white.
const std::vector<std::uint8_t> kSource = {0, 0, 255, 255, 0, 255, 0, 128, 255, 0, 0, 0, 255, 255, 255, 255};

TEST(DrawBgraPixels, ScalesAndBlendsByEachPixelsAlpha) {
  Target t(0xFF000000);  // opaque black
  ASSERT_TRUE(DrawBgraPixels(t.dc, Rect(0, 0, 4, 4), kSource.data(), 2, 2, 8, TPixelBlend::Alpha));
  // Each source pixel covers a 2 x 2 block.
  EXPECT_EQ(t.surface->PixelAt(1, 1), 0xFFFF0000u);
  EXPECT_EQ(t.surface->PixelAt(3, 0) & 0x00FFFFFF, 0x00008000u);  // green at half over black
  EXPECT_EQ(t.surface->PixelAt(3, 0) >> 24, 0xFFu);
  EXPECT_EQ(t.surface->PixelAt(0, 3), 0xFF000000u) << "a clear pixel leaves the destination";
  EXPECT_EQ(t.surface->PixelAt(2, 2), 0xFFFFFFFFu);
}

TEST(DrawBgraPixels, ConstantAlphaAndOpaqueCopy) {
  Target half(0xFF000000);
  ASSERT_TRUE(DrawBgraPixels(half.dc, Rect(0, 0, 4, 4), kSource.data(), 2, 2, 8, TPixelBlend::Alpha, 128));
  EXPECT_EQ(half.surface->PixelAt(0, 0) & 0x00FFFFFF, 0x00800000u);

  Target copy(0xFF102030);
  ASSERT_TRUE(DrawBgraPixels(copy.dc, Rect(1, 1, 3, 3), kSource.data(), 2, 2, 8, TPixelBlend::Opaque));
  EXPECT_EQ(copy.surface->PixelAt(1, 2), 0x000000FFu) << "the clear pixel's colour is copied, alpha 0";
  EXPECT_EQ(copy.surface->PixelAt(0, 0), 0xFF102030u) << "outside the rectangle";
  EXPECT_FALSE(DrawBgraPixels(copy.dc, Rect(0, 0, 0, 4), kSource.data(), 2, 2, 8, TPixelBlend::Opaque));
}

}  // namespace
