#include "platform/graphics/Surface.h"

#include <cstring>
#include <new>

bool PixelSurface::SizeAllowed(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (width > kMaxSurfaceSide || height > kMaxSurfaceSide) return false;
  return static_cast<std::int64_t>(width) * height <= kMaxSurfacePixels;
}

std::size_t PixelSurface::RowBytes(int width, int bitsPerPixel) {
  const std::size_t bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel);
  return ((bits + 31) / 32) * 4;
}

std::shared_ptr<PixelSurface> PixelSurface::Create(int width, int height, int bitsPerPixel) {
  if (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32) return nullptr;
  if (!SizeAllowed(width, height)) return nullptr;
  std::shared_ptr<PixelSurface> s(new (std::nothrow) PixelSurface());
  if (!s) return nullptr;
  s->width_ = width;
  s->height_ = height;
  s->bpp_ = bitsPerPixel;
  s->stride_ = RowBytes(width, bitsPerPixel);
  s->owned_.reset(new (std::nothrow) std::uint8_t[s->ByteSize()]());
  if (!s->owned_) return nullptr;
  s->bits_ = s->owned_.get();
  return s;
}

std::shared_ptr<PixelSurface> PixelSurface::Wrap(void* bits, int width, int height, int stride) {
  if (!bits || !SizeAllowed(width, height)) return nullptr;
  if (stride < 0 || static_cast<std::size_t>(stride) < static_cast<std::size_t>(width) * 4) return nullptr;
  std::shared_ptr<PixelSurface> s(new (std::nothrow) PixelSurface());
  if (!s) return nullptr;
  s->width_ = width;
  s->height_ = height;
  s->bpp_ = 32;
  s->stride_ = static_cast<std::size_t>(stride);
  s->bits_ = static_cast<std::uint8_t*>(bits);
  return s;
}

std::uint32_t PixelSurface::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const std::uint8_t* row = Row(y);
  switch (bpp_) {
    case 32:
      return reinterpret_cast<const std::uint32_t*>(row)[x];
    case 24: {
      const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
      return p[0] | (p[1] << 8) | (p[2] << 16);
    }
    default:
      return (row[x >> 3] & (0x80 >> (x & 7))) ? 0x00FFFFFFu : 0u;
  }
}

void PixelSurface::SetPixelAt(int x, int y, std::uint32_t argb) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  std::uint8_t* row = Row(y);
  switch (bpp_) {
    case 32:
      reinterpret_cast<std::uint32_t*>(row)[x] = argb;
      break;
    case 24: {
      std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
      p[0] = static_cast<std::uint8_t>(argb);
      p[1] = static_cast<std::uint8_t>(argb >> 8);
      p[2] = static_cast<std::uint8_t>(argb >> 16);
      break;
    }
    default: {
      // A monochrome pixel is white when the colour is brighter than mid grey.
      const int b = argb & 0xFF, g = (argb >> 8) & 0xFF, r = (argb >> 16) & 0xFF;
      const bool white = (r * 299 + g * 587 + b * 114) >= 128 * 1000;
      const std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
      if (white)
        row[x >> 3] |= mask;
      else
        row[x >> 3] &= static_cast<std::uint8_t>(~mask);
      break;
    }
  }
}
