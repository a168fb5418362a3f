#pragma once
// A memory DC over a zero-filled 32-bit section, for tests that draw and read pixels back.

#include <cstdint>
#include <string>

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Surface.h"

class TestSurface {
 public:
  TestSurface(int width, int height, int bits = 32) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biBitCount = static_cast<WORD>(bits);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pixels, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    surface = GetBitmapSurface(bitmap);
  }
  ~TestSurface() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  TestSurface(const TestSurface&) = delete;
  TestSurface& operator=(const TestSurface&) = delete;

  // 0xAARRGGBB of a pixel.
  [[nodiscard]] std::uint32_t At(int x, int y) const { return surface->PixelAt(x, y); }
  void Put(int x, int y, std::uint32_t v) { surface->SetPixelAt(x, y, v); }
  void Fill(std::uint32_t v) {
    for (int y = 0; y < surface->Height(); ++y)
      for (int x = 0; x < surface->Width(); ++x) surface->SetPixelAt(x, y, v);
  }
  // Rows of '#' (pixel == ink) and '.' (anything else), joined by '\n': a picture for checks.
  [[nodiscard]] std::string Picture(std::uint32_t ink) const {
    std::string out;
    for (int y = 0; y < surface->Height(); ++y) {
      for (int x = 0; x < surface->Width(); ++x) out += (At(x, y) & 0x00FFFFFF) == (ink & 0x00FFFFFF) ? '#' : '.';
      out += '\n';
    }
    return out;
  }

  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  std::shared_ptr<PixelSurface> surface;
};
