// Speed of the skin drawing core: a 400 x 300 nine-part frame, a 20-step morph between two
// 100 x 30 button images and a radius-8 blur over 200 x 50. Prints the mean time of each.

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <functional>

#include "lib/drawing/vlEffects.h"
#include "lib/data/vlSkinDescription.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"

namespace {

double MeanMicroseconds(int runs, const std::function<void()>& work) {
  // Warm-up: the first large allocations of a run are slower until the allocator settles.
  for (int i = 0; i < runs / 4 + 1; ++i) work();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) work();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  return std::chrono::duration<double, std::micro>(elapsed).count() / runs;
}

void FillPattern(TBitmap& b, int w, int h) {
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<std::uint32_t*>(b.ScanLine(y));
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | static_cast<std::uint32_t>((x * 7) << 16 | (y * 5) << 8 | (x ^ y));
  }
}

}  // namespace

int main() {
  // A 60 x 60 frame element: 8-pixel borders, corners of 16, a 44 x 36 client.
  TBitmap picture, frame;
  FillPattern(picture, 60, 60);
  const TPoint lt{16, 16}, rt{44, 16}, lb{16, 44}, rb{44, 44};
  const TRect cl{8, 24, 52, 52};
  const int W = 400, H = 300, dx = W - 60, dy = H - 60;
  const auto nine = TvlNinePartGeometry::Grown(lt, rt, lb, rb, cl, dx, dy);
  const double tiled = MeanMicroseconds(200, [&] {
    ComposeSkinImage(nine, &frame, &picture, TRect{0, 0, 60, 60}, W, H, TvlStretchSides{}, TvlClientFill{});
  });
  const double stretched = MeanMicroseconds(200, [&] {
    ComposeSkinImage(nine, &frame, &picture, TRect{0, 0, 60, 60}, W, H, TvlStretchSides{true, true, true, true},
                     TvlClientFill{.Draw = true, .Stretch = true, .Type = TvlStretchType::vlstFull});
  });
  // The whole skinned frame: composed, taken into a skin bitmap and drawn onto another.
  TvlBitmap surface, window;
  window.SetSize(W, H);
  const double whole = MeanMicroseconds(200, [&] {
    ComposeSkinImage(nine, &frame, &picture, TRect{0, 0, 60, 60}, W, H, TvlStretchSides{}, TvlClientFill{});
    surface.Assign(&frame);
    surface.Draw(&window, 0, 0);
  });

  TvlEffectBmp normal(100, 30), hover(100, 30);
  for (int y = 0; y < 30; ++y)
    for (int i = 0; i < 300; ++i) {
      normal.Row(y)[i] = static_cast<std::uint8_t>(i + y);
      hover.Row(y)[i] = static_cast<std::uint8_t>(255 - i);
    }
  const double morph = MeanMicroseconds(100, [&] {
    for (int step = 1; step <= 20; ++step) {
      auto frameImage = TvlEffectBmp::CreateCopy(&normal);
      frameImage->Morph(&hover, step / 20.0);
    }
  });

  TvlBitmap glow;
  glow.SetSize(200, 50);
  const double blur = MeanMicroseconds(200, [&] {
    glow.Clear(0xFF000000);
    glow.FillRect(TRect{40, 15, 160, 35}, 0xFFFF0000);
    BlurBitmap(&glow, 8);
  });

  std::printf("nine-part frame 400x300, tiled edges:      %8.1f us\n", tiled);
  std::printf("nine-part frame 400x300, stretched edges:  %8.1f us\n", stretched);
  std::printf("whole skinned frame (compose+assign+draw): %8.1f us (target < 2000 us)\n", whole);
  std::printf("20-step morph of 100x30 button images:     %8.1f us\n", morph);
  std::printf("blur radius 8 over 200x50:                 %8.1f us\n", blur);
  return 0;
}
