#pragma once
// The BMP file format: decoding to and encoding from 32-bit top-down pixel rows.
//
// Pictures inside a skin payload are stored back to back with no size field between them, so
// every BMP's length is read from its own file header (bfSize; when a writer left it 0, the
// length is computed from the info header: pixel offset + pixel bytes).
//
// Read: 1-, 4- and 8-bit palette pictures (uncompressed, RLE8, RLE4), 16-bit (5-5-5 or bit
// fields), 24-bit and 32-bit (uncompressed or bit fields), bottom-up and top-down, with the
// 40-byte info header and its later extensions (52 to 124 bytes) or the 12-byte core header.
// Write: 24- and 32-bit, bottom-up, uncompressed.
//
// Every BMP is untrusted input: a truncated file, a header size or pixel offset that points
// outside the file, a palette index past the palette, or a size above the caps below raises
// EInvalidGraphic with a text that says which, and nothing is read outside [data, data + size).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bmp {

// Largest accepted width or height of a decoded picture, in pixels.
inline constexpr int kMaxSide = 32768;
// Largest accepted width × height of a decoded picture (64 Mi pixels, 256 MiB of BGRA: the
// largest bitmap surface). A run-length picture may claim that much from a few bytes of data.
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;

struct Image {
  int width = 0, height = 0;
  int bitsPerPixel = 0;            // depth as stored in the file: 1, 4, 8, 16, 24 or 32
  std::vector<std::uint8_t> bgra;  // top-down rows of width*4 bytes: B, G, R, A (A = 0 unless 32-bit)
};

// Reads one BMP starting at data; its length comes from its own header, so BMPs stored back to
// back can be read one after another. *consumed (when not null) receives that length.
// Raises EInvalidGraphic.
Image Decode(const std::uint8_t* data, std::size_t size, std::size_t* consumed);

// Length of the BMP whose file header starts at data (needs 14 bytes, and the info header too
// when the file header's size field is 0); raises EInvalidGraphic. Does not check that the
// whole BMP lies within size.
std::size_t PeekLength(const std::uint8_t* data, std::size_t size);

// Writes a BMP (bottom-up, uncompressed, 40-byte info header, no palette): 32-bit with the
// alpha bytes when image.bitsPerPixel is 32, else 24-bit. The same image always gives the same
// bytes. An empty image (width or height 0) gives no bytes at all, as an empty bitmap saves
// nothing. Raises EInvalidGraphic when bgra does not hold width*height*4 bytes or a side is
// negative or above kMaxSide.
std::vector<std::uint8_t> Encode(const Image& image);

}  // namespace bmp
