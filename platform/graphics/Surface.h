#pragma once
// PixelSurface: a block of pixels in memory, the thing every bitmap and device context draws on.
//
// Rows are top-down (row 0 is the top row). A 32-bit pixel is four bytes B, G, R, A; a 24-bit
// pixel three bytes B, G, R; a 1-bit pixel one bit, the most significant bit of a byte being the
// leftmost pixel, 0 black and 1 white. Rows are padded to a multiple of 4 bytes, so a 32-bit row
// is exactly Width * 4 bytes.
//
// A surface either owns its memory (zero-filled on creation) or wraps memory owned by someone
// else, such as a window's back buffer; then the owner keeps the memory alive for as long as the
// surface exists.
//
// Size limits: each side at most kMaxSurfaceSide pixels and the area at most kMaxSurfacePixels,
// so a hostile width x height can never overflow a size computation.

#include <cstddef>
#include <cstdint>
#include <memory>

inline constexpr int kMaxSurfaceSide = 32768;
inline constexpr std::int64_t kMaxSurfacePixels = std::int64_t{1} << 26;  // 64 Mi pixels (256 MiB at 32 bits)

class PixelSurface {
 public:
  // True when a surface of that size may be made: both sides positive and within the limits.
  [[nodiscard]] static bool SizeAllowed(int width, int height);

  // A new zero-filled surface of 1, 24 or 32 bits a pixel; nullptr when the size is not allowed,
  // the depth is not one of those, or memory runs out.
  [[nodiscard]] static std::shared_ptr<PixelSurface> Create(int width, int height, int bitsPerPixel);

  // A 32-bit surface over memory owned by the caller: `stride` bytes from one row to the next
  // (at least width * 4). nullptr when the arguments make no sense.
  [[nodiscard]] static std::shared_ptr<PixelSurface> Wrap(void* bits, int width, int height, int stride);

  // Bytes of one row for that width and depth, padded to 4 bytes.
  [[nodiscard]] static std::size_t RowBytes(int width, int bitsPerPixel);

  PixelSurface(const PixelSurface&) = delete;
  PixelSurface& operator=(const PixelSurface&) = delete;

  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }
  [[nodiscard]] int BitsPerPixel() const { return bpp_; }
  [[nodiscard]] std::size_t Stride() const { return stride_; }
  [[nodiscard]] std::uint8_t* Bits() const { return bits_; }
  [[nodiscard]] std::size_t ByteSize() const { return stride_ * static_cast<std::size_t>(height_); }

  // Row y; the caller keeps 0 <= y < Height().
  [[nodiscard]] std::uint8_t* Row(int y) const { return bits_ + stride_ * static_cast<std::size_t>(y); }
  [[nodiscard]] std::uint32_t* Row32(int y) const { return reinterpret_cast<std::uint32_t*>(Row(y)); }

  // The pixel at (x, y) as 0xAARRGGBB (24-bit: alpha 0; 1-bit: 0 or 0x00FFFFFF); 0 outside.
  [[nodiscard]] std::uint32_t PixelAt(int x, int y) const;
  // Writes a 0xAARRGGBB value at (x, y) converted to the depth; nothing outside.
  void SetPixelAt(int x, int y, std::uint32_t argb);

 private:
  PixelSurface() = default;

  int width_ = 0;
  int height_ = 0;
  int bpp_ = 32;
  std::size_t stride_ = 0;
  std::uint8_t* bits_ = nullptr;
  std::unique_ptr<std::uint8_t[]> owned_;
};
