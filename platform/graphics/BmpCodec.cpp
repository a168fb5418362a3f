#include "platform/graphics/BmpCodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>

#include "platform/core/Exceptions.h"

namespace bmp {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kLargestInfoHeader = 124;

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

[[noreturn]] void Fail(const std::string& why) { throw EInvalidGraphic("Invalid BMP picture: " + why); }

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t S32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

// The fields of the info header that decoding needs, whichever header form the file uses.
struct Header {
  std::size_t length = 0;       // whole BMP, from the file header
  std::uint32_t pixelOffset = 0;
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;      // positive: bottom-up rows
  int bitCount = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t imageSize = 0;  // pixel bytes as the header states them (RLE)
  std::uint32_t colorsUsed = 0;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
  bool hasMasks = false;
};

std::uint64_t RowStride(std::int64_t width, int bitCount) {
  return ((static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitCount) + 31) / 32) * 4;
}

void ReadFileHeader(const std::uint8_t* data, std::size_t size, Header& h) {
  if (data == nullptr || size < kFileHeaderSize) Fail("the file header is truncated");
  if (data[0] != 'B' || data[1] != 'M') Fail("the file does not start with the BMP signature");
  h.length = U32(data + 2);
  h.pixelOffset = U32(data + 10);
}

// Reads the info header; needs the header bytes within size.
void ReadInfoHeader(const std::uint8_t* data, std::size_t size, Header& h) {
  if (size < kFileHeaderSize + 4) Fail("the info header is truncated");
  h.headerSize = U32(data + kFileHeaderSize);
  if (h.headerSize != kCoreHeaderSize && (h.headerSize < kInfoHeaderSize || h.headerSize > kLargestInfoHeader))
    Fail("unknown info header size " + std::to_string(h.headerSize));
  if (size - kFileHeaderSize < h.headerSize) Fail("the info header is truncated");
  const std::uint8_t* p = data + kFileHeaderSize;
  if (h.headerSize == kCoreHeaderSize) {
    h.width = U16(p + 4);
    h.height = U16(p + 6);
    h.bitCount = U16(p + 10);
    return;
  }
  h.width = S32(p + 4);
  h.height = S32(p + 8);
  h.bitCount = U16(p + 14);
  h.compression = U32(p + 16);
  h.imageSize = U32(p + 20);
  h.colorsUsed = U32(p + 32);
  if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
    // The masks follow a 40-byte header; later headers carry them inside.
    const std::size_t maskStart = kFileHeaderSize + kInfoHeaderSize;
    const std::size_t maskCount = h.compression == kAlphaBitFields ? 4 : 3;
    if (size < maskStart + maskCount * 4) Fail("the colour masks are truncated");
    for (std::size_t i = 0; i < maskCount; ++i) h.masks[i] = U32(data + maskStart + i * 4);
    if (maskCount == 3 && h.headerSize >= 56) h.masks[3] = U32(data + maskStart + 12);
    h.hasMasks = true;
  }
}

// The number of pixel bytes the picture needs, for the uncompressed forms.
std::uint64_t PixelBytes(const Header& h) {
  return RowStride(h.width, h.bitCount) * static_cast<std::uint64_t>(h.height < 0 ? -h.height : h.height);
}

void CheckGeometry(const Header& h) {
  if (h.width <= 0) Fail("width " + std::to_string(h.width) + " is not positive");
  if (h.height == 0) Fail("height is 0");
  const std::int64_t rows = h.height < 0 ? -h.height : h.height;
  if (h.width > kMaxSide || rows > kMaxSide)
    Fail(std::to_string(h.width) + " x " + std::to_string(rows) + " exceeds the largest side of " +
         std::to_string(kMaxSide));
  if (static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(rows) > kMaxPixels)
    Fail(std::to_string(h.width) + " x " + std::to_string(rows) + " exceeds the largest picture");
  switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: Fail("unsupported depth of " + std::to_string(h.bitCount) + " bits");
  }
  switch (h.compression) {
    case kRgb: break;
    case kRle8:
      if (h.bitCount != 8) Fail("RLE8 compression needs an 8-bit picture");
      break;
    case kRle4:
      if (h.bitCount != 4) Fail("RLE4 compression needs a 4-bit picture");
      break;
    case kBitFields: case kAlphaBitFields:
      if (h.bitCount != 16 && h.bitCount != 32) Fail("colour masks need a 16- or 32-bit picture");
      break;
    default: Fail("unsupported compression " + std::to_string(h.compression));
  }
  if ((h.compression == kRle8 || h.compression == kRle4) && h.height < 0)
    Fail("a compressed picture cannot be stored top-down");
}

std::size_t LengthOf(const std::uint8_t* data, std::size_t size, Header& h) {
  ReadFileHeader(data, size, h);
  if (h.length != 0) {
    if (h.length < kFileHeaderSize + kCoreHeaderSize) Fail("the stated file size " + std::to_string(h.length) + " is too small");
    return h.length;
  }
  // Some writers leave the size 0: the pixels then end the file.
  ReadInfoHeader(data, size, h);
  CheckGeometry(h);
  const std::uint64_t pixels = (h.compression == kRle8 || h.compression == kRle4) ? h.imageSize : PixelBytes(h);
  const std::uint64_t length = static_cast<std::uint64_t>(h.pixelOffset) + pixels;
  if (length > UINT32_MAX) Fail("the picture is larger than a BMP file can be");
  h.length = static_cast<std::size_t>(length);
  return h.length;
}

// One colour mask turned into a shift and a scale to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = std::popcount(m);
    if ((m >> shift) != (bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1))) Fail("a colour mask is not contiguous");
  }
  [[nodiscard]] std::uint8_t Extract(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    const std::uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
    const std::uint32_t max = (1u << bits) - 1;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

struct Palette {
  std::vector<std::array<std::uint8_t, 3>> entries;  // B, G, R
};

Palette ReadPalette(const std::uint8_t* data, const Header& h) {
  Palette pal;
  if (h.bitCount > 8) return pal;
  const std::size_t maxEntries = std::size_t{1} << h.bitCount;
  const bool core = h.headerSize == kCoreHeaderSize;
  std::size_t count = (h.colorsUsed == 0 || h.colorsUsed > maxEntries) ? maxEntries : h.colorsUsed;
  const std::size_t entrySize = core ? 3 : 4;
  std::size_t start = kFileHeaderSize + h.headerSize;
  if (h.hasMasks && h.headerSize == kInfoHeaderSize) start += (h.compression == kAlphaBitFields ? 16 : 12);
  // The palette lies between the headers and the pixels; a file of fewer colours than its depth
  // allows, and no colour count, gives itself away by a shorter gap. Indexes past the colours
  // read are refused pixel by pixel.
  const std::size_t room = h.pixelOffset > start ? (h.pixelOffset - start) / entrySize : 0;
  if (room < count) count = room;
  if (count == 0) Fail("a " + std::to_string(h.bitCount) + "-bit picture has no palette");
  if (start + count * entrySize > h.length) Fail("the palette is truncated");
  pal.entries.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* e = data + start + i * entrySize;
    pal.entries[i] = {e[0], e[1], e[2]};
  }
  return pal;
}

void PutIndex(const Palette& pal, std::uint32_t index, std::uint8_t* out) {
  if (index >= pal.entries.size())
    Fail("palette index " + std::to_string(index) + " is past the " + std::to_string(pal.entries.size()) +
         "-colour palette");
  const auto& e = pal.entries[index];
  out[0] = e[0];
  out[1] = e[1];
  out[2] = e[2];
  out[3] = 0;
}

void DecodeRow(const std::uint8_t* src, const Header& h, const Palette& pal, const std::array<Channel, 4>* channels,
               bool rawAlpha, std::uint8_t* out) {
  const int width = static_cast<int>(h.width);
  switch (h.bitCount) {
    case 1:
      for (int x = 0; x < width; ++x) PutIndex(pal, (src[x >> 3] >> (7 - (x & 7))) & 1, out + x * 4);
      break;
    case 4:
      for (int x = 0; x < width; ++x) PutIndex(pal, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF, out + x * 4);
      break;
    case 8:
      for (int x = 0; x < width; ++x) PutIndex(pal, src[x], out + x * 4);
      break;
    case 16:
      for (int x = 0; x < width; ++x) {
        const std::uint32_t v = U16(src + x * 2);
        std::uint8_t* o = out + x * 4;
        o[0] = (*channels)[2].Extract(v);
        o[1] = (*channels)[1].Extract(v);
        o[2] = (*channels)[0].Extract(v);
        o[3] = 0;
      }
      break;
    case 24:
      for (int x = 0; x < width; ++x) {
        std::uint8_t* o = out + x * 4;
        o[0] = src[x * 3];
        o[1] = src[x * 3 + 1];
        o[2] = src[x * 3 + 2];
        o[3] = 0;
      }
      break;
    case 32:
      if (channels == nullptr || rawAlpha) {
        for (int x = 0; x < width * 4; ++x) out[x] = src[x];
      } else {
        for (int x = 0; x < width; ++x) {
          const std::uint32_t v = U32(src + x * 4);
          std::uint8_t* o = out + x * 4;
          o[0] = (*channels)[2].Extract(v);
          o[1] = (*channels)[1].Extract(v);
          o[2] = (*channels)[0].Extract(v);
          o[3] = (*channels)[3].Extract(v);
        }
      }
      break;
  }
}

void DecodeUncompressed(const std::uint8_t* data, const Header& h, const Palette& pal, Image& img) {
  const std::uint64_t stride = RowStride(h.width, h.bitCount);
  const std::uint64_t rows = static_cast<std::uint64_t>(img.height);
  if (static_cast<std::uint64_t>(h.pixelOffset) + stride * rows > h.length) Fail("the pixel data is truncated");

  std::array<Channel, 4> channels{Channel(0), Channel(0), Channel(0), Channel(0)};
  bool rawAlpha = false;
  const std::array<Channel, 4>* useChannels = nullptr;
  if (h.bitCount == 16 || (h.bitCount == 32 && h.hasMasks)) {
    std::array<std::uint32_t, 4> m = h.masks;
    if (!h.hasMasks) m = {0x7C00, 0x03E0, 0x001F, 0};
    if ((m[0] & m[1]) || (m[0] & m[2]) || (m[1] & m[2]) || ((m[0] | m[1] | m[2]) & m[3]))
      Fail("the colour masks overlap");
    if (h.bitCount == 16 && ((m[0] | m[1] | m[2] | m[3]) > 0xFFFF)) Fail("a colour mask is wider than the pixel");
    channels = {Channel(m[0]), Channel(m[1]), Channel(m[2]), Channel(m[3])};
    useChannels = &channels;
    // The common masks give the same bytes as an uncompressed 32-bit picture, its fourth byte kept.
    rawAlpha = h.bitCount == 32 && m[0] == 0x00FF0000 && m[1] == 0x0000FF00 && m[2] == 0x000000FF &&
               (m[3] == 0 || m[3] == 0xFF000000);
  }
  const std::size_t outStride = static_cast<std::size_t>(img.width) * 4;
  for (std::uint64_t r = 0; r < rows; ++r) {
    const std::uint8_t* src = data + h.pixelOffset + r * stride;
    const std::uint64_t destRow = h.height > 0 ? rows - 1 - r : r;
    DecodeRow(src, h, pal, useChannels, rawAlpha, img.bgra.data() + destRow * outStride);
  }
}

// Run-length pictures: pairs of (count, value) with escapes for end of line, end of picture,
// a jump, and a literal run. Pixels the data never reaches stay 0; pixels past the right edge
// are dropped; running out of data before the end-of-picture escape ends the picture.
void DecodeRunLength(const std::uint8_t* data, const Header& h, const Palette& pal, Image& img) {
  const std::size_t begin = h.pixelOffset;
  std::size_t end = h.length;
  if (h.imageSize != 0 && begin + h.imageSize < end) end = begin + h.imageSize;
  const bool four = h.compression == kRle4;
  const int width = img.width, height = img.height;
  int x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](std::uint32_t index) {
    if (x < width && y < height) PutIndex(pal, index, img.bgra.data() + (static_cast<std::size_t>(height - 1 - y) * width + x) * 4);
    if (x < width) ++x;
  };
  std::size_t pos = begin;
  while (pos + 2 <= end && y < height) {
    const std::uint8_t count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 0xF : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // jump right and up
      if (pos + 2 > end) Fail("a compressed jump is truncated");
      x = std::min(x + data[pos], width);
      y += data[pos + 1];
      pos += 2;
    } else {  // a literal run of `value` pixels, padded to an even number of bytes
      const std::size_t bytes = four ? (value + 1u) / 2 : value;
      if (pos + bytes > end) Fail("a compressed run is truncated");
      for (int i = 0; i < value; ++i) put(four ? ((i & 1) ? data[pos + i / 2] & 0xF : data[pos + i / 2] >> 4) : data[pos + i]);
      pos += bytes + (bytes & 1);
    }
  }
}

}  // namespace

std::size_t PeekLength(const std::uint8_t* data, std::size_t size) {
  Header h;
  return LengthOf(data, size, h);
}

Image Decode(const std::uint8_t* data, std::size_t size, std::size_t* consumed) {
  Header h;
  LengthOf(data, size, h);
  if (h.length > size)
    Fail("the file is truncated (" + std::to_string(size) + " of " + std::to_string(h.length) + " bytes)");
  ReadInfoHeader(data, h.length, h);
  CheckGeometry(h);
  if (h.pixelOffset < kFileHeaderSize + h.headerSize || h.pixelOffset > h.length)
    Fail("the pixel offset " + std::to_string(h.pixelOffset) + " lies outside the picture");
  if (h.compression == kRgb || h.compression == kBitFields || h.compression == kAlphaBitFields) {
    if (static_cast<std::uint64_t>(h.pixelOffset) + PixelBytes(h) > h.length) Fail("the pixel data is truncated");
  }
  const Palette pal = ReadPalette(data, h);

  Image img;
  img.width = static_cast<int>(h.width);
  img.height = static_cast<int>(h.height < 0 ? -h.height : h.height);
  img.bitsPerPixel = h.bitCount;
  img.bgra.assign(static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height) * 4, 0);
  if (h.compression == kRle8 || h.compression == kRle4)
    DecodeRunLength(data, h, pal, img);
  else
    DecodeUncompressed(data, h, pal, img);
  if (consumed != nullptr) *consumed = h.length;
  return img;
}

std::vector<std::uint8_t> Encode(const Image& image) {
  std::vector<std::uint8_t> out;
  if (image.width < 0 || image.height < 0 || image.width > kMaxSide || image.height > kMaxSide)
    throw EInvalidGraphic("Cannot write a BMP picture of " + std::to_string(image.width) + " x " +
                          std::to_string(image.height) + " pixels");
  if (image.width == 0 || image.height == 0) return out;
  const std::size_t pixels = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  if (image.bgra.size() != pixels * 4)
    throw EInvalidGraphic("Cannot write a BMP picture: the pixel buffer holds " + std::to_string(image.bgra.size()) +
                          " bytes for " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                          " pixels");
  const bool alpha = image.bitsPerPixel == 32;
  const int bitCount = alpha ? 32 : 24;
  const std::size_t stride = static_cast<std::size_t>(RowStride(image.width, bitCount));
  const std::size_t pixelBytes = stride * static_cast<std::size_t>(image.height);
  const std::size_t offset = kFileHeaderSize + kInfoHeaderSize;
  out.reserve(offset + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  PutU32(out, static_cast<std::uint32_t>(offset + pixelBytes));
  PutU32(out, 0);
  PutU32(out, static_cast<std::uint32_t>(offset));
  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<std::uint32_t>(image.width));
  PutU32(out, static_cast<std::uint32_t>(image.height));
  PutU16(out, 1);
  PutU16(out, static_cast<std::uint32_t>(bitCount));
  PutU32(out, kRgb);
  PutU32(out, static_cast<std::uint32_t>(pixelBytes));
  PutU32(out, 0);  // horizontal and vertical resolution: unspecified
  PutU32(out, 0);
  PutU32(out, 0);  // colours used, colours important
  PutU32(out, 0);
  out.resize(offset + pixelBytes, 0);
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* src = image.bgra.data() + static_cast<std::size_t>(image.height - 1 - y) * rowBytes;
    std::uint8_t* dst = out.data() + offset + static_cast<std::size_t>(y) * stride;
    if (alpha) {
      std::copy(src, src + rowBytes, dst);
    } else {
      for (int x = 0; x < image.width; ++x) {
        dst[x * 3] = src[x * 4];
        dst[x * 3 + 1] = src[x * 4 + 1];
        dst[x * 3 + 2] = src[x * 4 + 2];
      }
    }
  }
  return out;
}

}  // namespace bmp
