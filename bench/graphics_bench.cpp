// Speed of the drawing layer on a window-sized 32-bit surface (803 x 540): fills, blits,
// alpha blending and short Chinese captions, each reported as milliseconds per frame.
//
// Usage: bench_graphics_bench [frames]   (default 200)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Gdi.h"

namespace {

constexpr int kWidth = 803;
constexpr int kHeight = 540;

struct Surface {
  Surface() {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = kWidth;
    bi.bmiHeader.biHeight = -kHeight;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<std::uint32_t*>(bits);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  std::uint32_t* pixels = nullptr;
};

// Runs one frame `frames` times after a warm-up and answers milliseconds per frame.
double Measure(int frames, const std::function<void(int)>& frame) {
  for (int i = 0; i < 3; ++i) frame(i);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) frame(i);
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / frames;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  Surface target, source;
  // A source with a gradient of premultiplied alpha, as skin pictures with alpha are.
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t a = static_cast<std::uint32_t>(x * 255 / (kWidth - 1));
      source.pixels[y * kWidth + x] = (a << 24) | ((a / 2) << 16) | ((a / 3) << 8) | (a / 4);
    }

  HBRUSH brush = CreateSolidBrush(RGB(212, 208, 200));
  const TRect all{0, 0, kWidth, kHeight};
  LOGFONT lf;
  lf.lfHeight = -12;
  lf.lfFaceName = "宋体";
  HFONT font = CreateFontIndirect(&lf);
  SelectObject(target.dc, font);
  SetBkMode(target.dc, TRANSPARENT);
  const std::vector<std::string> captions = {"视频转换", "开始转换", "输出目录", "提示", "快照", "暂停", "停止",
                                             "音频比特率", "帧率", "分辨率"};

  const double fill = Measure(frames, [&](int) { FillRect(target.dc, &all, brush); });
  const double blit = Measure(frames, [&](int) { BitBlt(target.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, SRCCOPY); });
  const double stretch = Measure(frames, [&](int) {
    StretchBlt(target.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, kWidth / 2, kHeight / 2, SRCCOPY);
  });
  BLENDFUNCTION perPixel{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  BLENDFUNCTION constant{AC_SRC_OVER, 0, 128, 0};
  const double alpha = Measure(frames, [&](int) {
    AlphaBlend(target.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, kWidth, kHeight, perPixel);
  });
  const double alphaConstant = Measure(frames, [&](int) {
    AlphaBlend(target.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, kWidth, kHeight, constant);
  });
  auto drawCaptions = [&](int count, int seed) {
    for (int i = 0; i < count; ++i) {
      const int x = (i * 97 + seed * 13) % (kWidth - 80);
      const int y = (i * 31 + seed * 7) % (kHeight - 16);
      TRect r{x, y, x + 80, y + 16};
      const std::string& text = captions[static_cast<std::size_t>(i) % captions.size()];
      DrawText(target.dc, text, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    }
  };
  const double text = Measure(std::max(1, frames / 4), [&](int f) { drawCaptions(1000, f); });
  // What one repaint of a skinned window does: background, picture, blended parts, 60 captions.
  const double window = Measure(frames, [&](int f) {
    FillRect(target.dc, &all, brush);
    BitBlt(target.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, SRCCOPY);
    AlphaBlend(target.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, kWidth, kHeight, perPixel);
    drawCaptions(60, f);
  });

  std::printf("graphics bench, %d x %d 32-bit surface, %d frames\n", kWidth, kHeight, frames);
  std::printf("  fill (FillRect)                      %8.3f ms/frame\n", fill);
  std::printf("  blit (BitBlt SRCCOPY)                %8.3f ms/frame\n", blit);
  std::printf("  stretch (StretchBlt 2x)              %8.3f ms/frame\n", stretch);
  std::printf("  alpha blend, per-pixel alpha         %8.3f ms/frame\n", alpha);
  std::printf("  alpha blend, constant alpha          %8.3f ms/frame\n", alphaConstant);
  std::printf("  1,000 Chinese captions (DrawText)    %8.3f ms/frame\n", text);
  std::printf("  window repaint (fill, blit, blend, 60 captions) %8.3f ms/frame (target: well under 8)\n", window);
  DeleteObject(brush);
  SelectObject(target.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
  return 0;
}
