#include "platform/graphics/GIFImage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/PixelDrawing.h"
#include "platform/core/Streams.h"

namespace gifcodec {
namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;

[[noreturn]] void Fail(const std::string& why) { throw EInvalidGraphic("Invalid GIF picture: " + why); }

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// Reads bytes with bounds checks; every read past the end fails.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  [[nodiscard]] std::size_t Position() const { return pos_; }
  [[nodiscard]] bool AtEnd() const { return pos_ >= size_; }
  std::uint8_t Byte(const char* what) {
    Need(1, what);
    return data_[pos_++];
  }
  const std::uint8_t* Take(std::size_t n, const char* what) {
    Need(n, what);
    const std::uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  // Skips a chain of sub-blocks up to its empty terminator.
  void SkipSubBlocks() {
    for (std::uint8_t n = Byte("a data block"); n != 0; n = Byte("a data block")) Take(n, "a data block");
  }

 private:
  void Need(std::size_t n, const char* what) const {
    if (n > size_ - pos_) Fail(std::string(what) + " is truncated");
  }
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

using ColorTable = std::vector<std::array<std::uint8_t, 3>>;  // R, G, B

ColorTable ReadColorTable(Reader& r, std::uint8_t flags) {
  ColorTable table(std::size_t{2} << (flags & 7));
  const std::uint8_t* p = r.Take(table.size() * 3, "the colour table");
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = {p[i * 3], p[i * 3 + 1], p[i * 3 + 2]};
  return table;
}

// Gathers the sub-blocks of the frame's compressed data into one run. A chain that ends with
// the data is accepted: the frame then stops where its data does.
std::vector<std::uint8_t> ReadImageData(Reader& r) {
  std::vector<std::uint8_t> bytes;
  while (!r.AtEnd()) {
    const std::uint8_t n = r.Byte("the image data");
    if (n == 0) break;
    const std::uint8_t* p = r.Take(n, "the image data");
    bytes.insert(bytes.end(), p, p + n);
  }
  return bytes;
}

// Decodes LZW codes into colour indexes; stops at the end code, at the end of the data, or when
// the frame is full.
std::vector<std::uint8_t> DecodeLzw(const std::vector<std::uint8_t>& bytes, int minCodeSize, std::size_t pixels) {
  std::vector<std::uint8_t> out;
  out.reserve(pixels);
  const int clear = 1 << minCodeSize, end = clear + 1;
  std::vector<std::uint16_t> prefix(kMaxCodes);
  std::vector<std::uint8_t> suffix(kMaxCodes), first(kMaxCodes);
  std::vector<std::uint8_t> stack(kMaxCodes + 1);
  for (int i = 0; i < clear; ++i) {
    suffix[i] = static_cast<std::uint8_t>(i);
    first[i] = static_cast<std::uint8_t>(i);
  }
  int codeSize = minCodeSize + 1, next = end + 1, previous = -1;
  std::uint32_t bitBuffer = 0;
  int bitCount = 0;
  std::size_t pos = 0;
  while (out.size() < pixels) {
    while (bitCount < codeSize && pos < bytes.size()) {
      bitBuffer |= static_cast<std::uint32_t>(bytes[pos++]) << bitCount;
      bitCount += 8;
    }
    if (bitCount < codeSize) break;
    const int code = static_cast<int>(bitBuffer & ((1u << codeSize) - 1));
    bitBuffer >>= codeSize;
    bitCount -= codeSize;
    if (code == clear) {
      codeSize = minCodeSize + 1;
      next = end + 1;
      previous = -1;
      continue;
    }
    if (code == end) break;
    if (previous < 0) {
      if (code >= clear) Fail("the compressed data starts with an undefined code");
      out.push_back(static_cast<std::uint8_t>(code));
      previous = code;
      continue;
    }
    if (code > next || (code == next && next >= kMaxCodes)) Fail("the compressed data uses an undefined code");
    // Unwind the string of `code` (or of previous + its first byte, for the code being defined).
    int depth = 0;
    int walk = code == next ? previous : code;
    while (walk >= clear) {
      stack[depth++] = suffix[walk];
      walk = prefix[walk];
    }
    stack[depth++] = static_cast<std::uint8_t>(walk);
    const std::uint8_t head = static_cast<std::uint8_t>(walk);
    while (depth > 0 && out.size() < pixels) out.push_back(stack[--depth]);
    if (code == next && out.size() < pixels) out.push_back(head);
    if (next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = head;
      ++next;
      if (next == (1 << codeSize) && codeSize < kMaxCodeBits) ++codeSize;
    }
    previous = code;
  }
  out.resize(pixels, 0);
  return out;
}

// --- Writing ----------------------------------------------------------------------------------

// Packs codes least significant bit first into sub-blocks of at most 255 bytes.
class CodeWriter {
 public:
  explicit CodeWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void Put(int code, int size) {
    buffer_ |= static_cast<std::uint32_t>(code) << bits_;
    bits_ += size;
    while (bits_ >= 8) {
      Byte(static_cast<std::uint8_t>(buffer_));
      buffer_ >>= 8;
      bits_ -= 8;
    }
  }
  void Finish() {
    if (bits_ > 0) Byte(static_cast<std::uint8_t>(buffer_));
    FlushBlock();
    out_.push_back(0);
  }

 private:
  void Byte(std::uint8_t b) {
    block_[blockSize_++] = b;
    if (blockSize_ == 255) FlushBlock();
  }
  void FlushBlock() {
    if (blockSize_ == 0) return;
    out_.push_back(static_cast<std::uint8_t>(blockSize_));
    out_.insert(out_.end(), block_.begin(), block_.begin() + blockSize_);
    blockSize_ = 0;
  }
  std::vector<std::uint8_t>& out_;
  std::array<std::uint8_t, 255> block_{};
  int blockSize_ = 0;
  std::uint32_t buffer_ = 0;
  int bits_ = 0;
};

void EncodeLzw(const std::vector<std::uint8_t>& indexes, int minCodeSize, std::vector<std::uint8_t>& out) {
  out.push_back(static_cast<std::uint8_t>(minCodeSize));
  CodeWriter writer(out);
  const int clear = 1 << minCodeSize, end = clear + 1;
  // Open-addressed table of (prefix code, byte) -> code.
  constexpr std::size_t kSlots = 8192;
  std::vector<std::uint32_t> keys(kSlots);
  std::vector<std::int16_t> codes(kSlots, -1);
  int codeSize = minCodeSize + 1, next = end + 1;
  auto reset = [&] {
    std::fill(codes.begin(), codes.end(), -1);
    codeSize = minCodeSize + 1;
    next = end + 1;
  };
  auto emit = [&](int code) {
    if (next > (1 << codeSize) && codeSize < kMaxCodeBits) ++codeSize;
    writer.Put(code, codeSize);
  };
  writer.Put(clear, codeSize);
  int prefix = indexes[0];
  for (std::size_t i = 1; i < indexes.size(); ++i) {
    const std::uint8_t c = indexes[i];
    const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | c;
    std::size_t slot = (key * 2654435761u) & (kSlots - 1);
    while (codes[slot] >= 0 && keys[slot] != key) slot = (slot + 1) & (kSlots - 1);
    if (codes[slot] >= 0) {
      prefix = codes[slot];
      continue;
    }
    emit(prefix);
    keys[slot] = key;
    codes[slot] = static_cast<std::int16_t>(next++);
    if (next == kMaxCodes) {
      emit(clear);
      reset();
    }
    prefix = c;
  }
  emit(prefix);
  // The reader defines one more code on the last one it reads; follow it before the end code.
  if (next < kMaxCodes) ++next;
  emit(end);
  writer.Finish();
}

struct Rgb {
  int r, g, b;
};

// Median cut over a 5-bits-a-channel histogram: splits the box of most pixels along its widest
// channel at the pixel median until there are `colors` boxes; each box gives its mean colour.
ColorTable MedianCut(const std::vector<std::uint32_t>& histogram, const std::vector<std::array<std::uint64_t, 3>>& sums,
                     int colors) {
  std::vector<int> cells;
  for (int i = 0; i < 32768; ++i)
    if (histogram[i] > 0) cells.push_back(i);
  struct Box {
    std::size_t begin, end;
    std::uint64_t pixels;
  };
  auto channel = [](int cell, int c) { return (cell >> (10 - 5 * c)) & 31; };  // 0 red, 1 green, 2 blue
  std::vector<Box> boxes{{0, cells.size(), 0}};
  for (int cell : cells) boxes[0].pixels += histogram[cell];
  while (static_cast<int>(boxes.size()) < colors) {
    int pick = -1;
    for (int i = 0; i < static_cast<int>(boxes.size()); ++i)
      if (boxes[i].end - boxes[i].begin > 1 && (pick < 0 || boxes[i].pixels > boxes[pick].pixels)) pick = i;
    if (pick < 0) break;
    Box box = boxes[pick];
    int widest = 0, widestRange = -1;
    for (int c = 0; c < 3; ++c) {
      int lo = 31, hi = 0;
      for (std::size_t i = box.begin; i < box.end; ++i) {
        lo = std::min(lo, channel(cells[i], c));
        hi = std::max(hi, channel(cells[i], c));
      }
      if (hi - lo > widestRange) {
        widestRange = hi - lo;
        widest = c;
      }
    }
    std::sort(cells.begin() + box.begin, cells.begin() + box.end, [&](int a, int b) {
      return channel(a, widest) != channel(b, widest) ? channel(a, widest) < channel(b, widest) : a < b;
    });
    std::uint64_t running = 0;
    std::size_t split = box.begin + 1;
    for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
      running += histogram[cells[i]];
      split = i + 1;
      if (running * 2 >= box.pixels) break;
    }
    Box low{box.begin, split, 0}, high{split, box.end, 0};
    for (std::size_t i = low.begin; i < low.end; ++i) low.pixels += histogram[cells[i]];
    high.pixels = box.pixels - low.pixels;
    boxes[pick] = low;
    boxes.push_back(high);
  }
  ColorTable table;
  for (const Box& box : boxes) {
    std::uint64_t n = 0, r = 0, g = 0, b = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
      n += histogram[cells[i]];
      r += sums[cells[i]][0];
      g += sums[cells[i]][1];
      b += sums[cells[i]][2];
    }
    if (n == 0) continue;
    table.push_back({static_cast<std::uint8_t>((r + n / 2) / n), static_cast<std::uint8_t>((g + n / 2) / n),
                     static_cast<std::uint8_t>((b + n / 2) / n)});
  }
  return table;
}

// Chooses the colour table and maps every pixel to it. Transparent pixels (when `transparent`)
// get index `transparentIndex`, which the caller appends.
ColorTable Quantize(const Image& image, bool transparent, std::vector<std::uint8_t>& indexes) {
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  const int limit = transparent ? 255 : 256;
  auto isClear = [&](std::size_t i) { return transparent && image.bgra[i * 4 + 3] == 0; };
  auto rgbOf = [&](std::size_t i) {
    const std::uint8_t* p = image.bgra.data() + i * 4;
    return (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
  };
  indexes.resize(pixels);
  // Few colours: an exact table, in order of first appearance.
  std::vector<std::uint32_t> exact;
  std::vector<std::pair<std::uint32_t, std::uint8_t>> seen;  // sorted colour -> index
  bool fits = true;
  for (std::size_t i = 0; i < pixels && fits; ++i) {
    if (isClear(i)) continue;
    const std::uint32_t rgb = rgbOf(i);
    auto it = std::lower_bound(seen.begin(), seen.end(), std::make_pair(rgb, std::uint8_t{0}),
                               [](const auto& a, const auto& b) { return a.first < b.first; });
    if (it != seen.end() && it->first == rgb) {
      indexes[i] = it->second;
      continue;
    }
    if (static_cast<int>(exact.size()) == limit) {
      fits = false;
      break;
    }
    seen.insert(it, {rgb, static_cast<std::uint8_t>(exact.size())});
    indexes[i] = static_cast<std::uint8_t>(exact.size());
    exact.push_back(rgb);
  }
  ColorTable table;
  if (fits) {
    for (std::uint32_t rgb : exact)
      table.push_back({static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb)});
    if (table.empty()) table.push_back({0, 0, 0});
    return table;
  }
  std::vector<std::uint32_t> histogram(32768, 0);
  std::vector<std::array<std::uint64_t, 3>> sums(32768, {0, 0, 0});
  auto cellOf = [](std::uint32_t rgb) {
    return static_cast<int>(((rgb >> 19) & 31) << 10 | ((rgb >> 11) & 31) << 5 | ((rgb >> 3) & 31));
  };
  for (std::size_t i = 0; i < pixels; ++i) {
    if (isClear(i)) continue;
    const std::uint32_t rgb = rgbOf(i);
    const int cell = cellOf(rgb);
    ++histogram[cell];
    sums[cell][0] += rgb >> 16;
    sums[cell][1] += (rgb >> 8) & 0xFF;
    sums[cell][2] += rgb & 0xFF;
  }
  table = MedianCut(histogram, sums, limit);
  // Nearest table colour, remembered per histogram cell.
  std::vector<std::int16_t> nearest(32768, -1);
  for (std::size_t i = 0; i < pixels; ++i) {
    if (isClear(i)) continue;
    const std::uint32_t rgb = rgbOf(i);
    const int cell = cellOf(rgb);
    if (nearest[cell] < 0) {
      const int r = static_cast<int>(sums[cell][0] / histogram[cell]), g = static_cast<int>(sums[cell][1] / histogram[cell]),
                b = static_cast<int>(sums[cell][2] / histogram[cell]);
      int best = 0, bestDistance = INT32_MAX;
      for (int k = 0; k < static_cast<int>(table.size()); ++k) {
        const int dr = table[k][0] - r, dg = table[k][1] - g, db = table[k][2] - b;
        const int distance = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (distance < bestDistance) {
          bestDistance = distance;
          best = k;
        }
      }
      nearest[cell] = static_cast<std::int16_t>(best);
    }
    indexes[i] = static_cast<std::uint8_t>(nearest[cell]);
  }
  return table;
}

void Put16(std::vector<std::uint8_t>& out, int v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

Image Decode(const std::uint8_t* data, std::size_t size, std::size_t* consumed) {
  if (data == nullptr) Fail("there is no data");
  Reader r(data, size);
  const std::uint8_t* signature = r.Take(6, "the header");
  if (std::memcmp(signature, "GIF87a", 6) != 0 && std::memcmp(signature, "GIF89a", 6) != 0)
    Fail("the data does not start with the GIF signature");
  const std::uint8_t* screen = r.Take(7, "the screen descriptor");
  int screenWidth = U16(screen), screenHeight = U16(screen + 2);
  const std::uint8_t screenFlags = screen[4], background = screen[5];
  ColorTable global;
  if (screenFlags & 0x80) global = ReadColorTable(r, screenFlags);

  int transparentIndex = -1;
  for (;;) {
    const std::uint8_t block = r.Byte("the block list");
    if (block == 0x3B) Fail("the file holds no picture");
    if (block == 0x21) {
      const std::uint8_t label = r.Byte("an extension");
      if (label == 0xF9) {
        const std::uint8_t n = r.Byte("the graphic control extension");
        const std::uint8_t* p = r.Take(n, "the graphic control extension");
        if (n >= 4 && (p[0] & 1)) transparentIndex = p[3];
      }
      r.SkipSubBlocks();
      continue;
    }
    if (block != 0x2C) Fail("unknown block type " + std::to_string(block));
    const std::uint8_t* d = r.Take(9, "the image descriptor");
    const int left = U16(d), top = U16(d + 2), frameWidth = U16(d + 4), frameHeight = U16(d + 6);
    const std::uint8_t flags = d[8];
    ColorTable local;
    if (flags & 0x80) local = ReadColorTable(r, flags);
    const ColorTable& table = (flags & 0x80) ? local : global;
    if (table.empty()) Fail("the picture has no colour table");
    if (frameWidth == 0 || frameHeight == 0) Fail("the picture is empty");
    // A logical screen smaller than the frame grows to hold it.
    screenWidth = std::max(screenWidth, left + frameWidth);
    screenHeight = std::max(screenHeight, top + frameHeight);
    if (screenWidth > kMaxSide || screenHeight > kMaxSide ||
        static_cast<std::uint64_t>(screenWidth) * screenHeight > kMaxPixels)
      Fail(std::to_string(screenWidth) + " x " + std::to_string(screenHeight) + " exceeds the largest picture");
    const int minCodeSize = r.Byte("the image data");
    if (minCodeSize < 1 || minCodeSize > 8) Fail("the code size " + std::to_string(minCodeSize) + " is not valid");
    const std::vector<std::uint8_t> compressed = ReadImageData(r);
    const std::vector<std::uint8_t> indexes =
        DecodeLzw(compressed, minCodeSize, static_cast<std::size_t>(frameWidth) * frameHeight);

    Image img;
    img.width = screenWidth;
    img.height = screenHeight;
    img.bgra.assign(static_cast<std::size_t>(screenWidth) * screenHeight * 4, 0);
    auto put = [&](std::uint8_t* px, int index, const ColorTable& colours) {
      if (index == transparentIndex) {
        img.hasTransparency = true;
        return;  // stays 0, 0, 0, 0
      }
      if (index >= static_cast<int>(colours.size()))
        Fail("colour index " + std::to_string(index) + " is past the " + std::to_string(colours.size()) +
             "-colour table");
      px[0] = colours[index][2];
      px[1] = colours[index][1];
      px[2] = colours[index][0];
      px[3] = 255;
    };
    const bool framed = left > 0 || top > 0 || frameWidth < screenWidth || frameHeight < screenHeight;
    if (framed) {
      // Uncovered pixels take the background colour; without a usable one they stay transparent.
      const ColorTable& bgTable = global.empty() ? table : global;
      if (background < bgTable.size() || background == transparentIndex) {
        for (std::size_t i = 0; i < img.bgra.size(); i += 4) put(img.bgra.data() + i, background, bgTable);
      } else {
        img.hasTransparency = true;
      }
    }
    // Interlaced frames store rows 0, 8, 16 …, then 4, 12 …, then 2, 6 …, then 1, 3 ….
    std::vector<int> rowOrder;
    if (flags & 0x40) {
      for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < frameHeight; y += step) rowOrder.push_back(y);
    } else {
      for (int y = 0; y < frameHeight; ++y) rowOrder.push_back(y);
    }
    for (int stored = 0; stored < frameHeight; ++stored) {
      const int y = top + rowOrder[stored];
      for (int x = 0; x < frameWidth; ++x)
        put(img.bgra.data() + (static_cast<std::size_t>(y) * screenWidth + left + x) * 4,
            indexes[static_cast<std::size_t>(stored) * frameWidth + x], table);
    }
    // The file goes on to the trailer; later frames are passed over.
    if (consumed != nullptr) {
      std::size_t end = size;
      try {
        for (;;) {
          const std::uint8_t next = r.Byte("the block list");
          if (next == 0x3B) {
            end = r.Position();
            break;
          }
          if (next == 0x21) {
            r.Byte("an extension");
            r.SkipSubBlocks();
          } else if (next == 0x2C) {
            const std::uint8_t* nd = r.Take(9, "the image descriptor");
            if (nd[8] & 0x80) r.Take((std::size_t{2} << (nd[8] & 7)) * 3, "the colour table");
            r.Byte("the image data");
            r.SkipSubBlocks();
          } else {
            break;
          }
        }
      } catch (const EInvalidGraphic&) {
        // A damaged tail after the first frame does not spoil the picture.
      }
      *consumed = end;
    }
    return img;
  }
}

std::vector<std::uint8_t> Encode(const Image& image) {
  if (image.width <= 0 || image.height <= 0 || image.width > 65535 || image.height > 65535 ||
      image.bgra.size() != static_cast<std::size_t>(image.width) * image.height * 4)
    throw EInvalidGraphic("Cannot write a GIF picture of " + std::to_string(image.width) + " x " +
                          std::to_string(image.height) + " pixels from " + std::to_string(image.bgra.size()) + " bytes");
  std::vector<std::uint8_t> indexes;
  bool transparent = false;
  if (image.hasTransparency)
    for (std::size_t i = 3; i < image.bgra.size() && !transparent; i += 4) transparent = image.bgra[i] == 0;
  ColorTable table = Quantize(image, transparent, indexes);
  int transparentIndex = -1;
  if (transparent) {
    transparentIndex = static_cast<int>(table.size());
    table.push_back({0, 0, 0});
    for (std::size_t i = 0; i < indexes.size(); ++i)
      if (image.bgra[i * 4 + 3] == 0) indexes[i] = static_cast<std::uint8_t>(transparentIndex);
  }
  int bits = 1;
  while ((1u << bits) < table.size()) ++bits;
  table.resize(std::size_t{1} << bits, {0, 0, 0});

  std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, image.width);
  Put16(out, image.height);
  out.push_back(static_cast<std::uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
  out.push_back(0);  // background index
  out.push_back(0);  // no aspect ratio
  for (const auto& c : table) out.insert(out.end(), c.begin(), c.end());
  if (transparent) out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0, static_cast<std::uint8_t>(transparentIndex), 0});
  out.push_back(0x2C);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, image.width);
  Put16(out, image.height);
  out.push_back(0);  // no local table, not interlaced
  EncodeLzw(indexes, std::max(2, bits), out);
  out.push_back(0x3B);
  return out;
}

}  // namespace gifcodec

// ---------------------------------------------------------------------------------------------

TGIFImage::TGIFImage() = default;
TGIFImage::~TGIFImage() = default;

void TGIFImage::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of a GIF image"); }
void TGIFImage::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of a GIF image"); }

void TGIFImage::LoadFromStream(TStream* Stream) {
  const std::int64_t start = Stream->Position();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(Stream->Size() - start, 0)));
  if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  std::size_t consumed = 0;
  gifcodec::Image fresh;
  try {
    fresh = gifcodec::Decode(bytes.data(), bytes.size(), &consumed);
  } catch (...) {
    Stream->SetPosition(start);
    throw;
  }
  Stream->SetPosition(start + static_cast<std::int64_t>(consumed));
  image_ = std::move(fresh);
  Changed(this);
}

void TGIFImage::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  const std::vector<std::uint8_t> bytes = gifcodec::Encode(image_);
  Stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TGIFImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* gif = dynamic_cast<TGIFImage*>(Source)) {
    image_ = gif->image_;
    Changed(this);
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(Source);
  if (bitmap == nullptr) {
    TGraphic::Assign(Source);
    return;
  }
  gifcodec::Image fresh;
  if (!bitmap->Empty()) {
    const PixelSurface& surface = *bitmap->Surface();
    fresh.width = surface.Width();
    fresh.height = surface.Height();
    fresh.bgra.resize(static_cast<std::size_t>(fresh.width) * fresh.height * 4);
    const bool keyed = bitmap->Transparent();
    const COLORREF c = ColorToRGB(bitmap->TransparentColor());
    const std::uint32_t key = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    std::uint8_t* d = fresh.bgra.data();
    for (int y = 0; y < fresh.height; ++y)
      for (int x = 0; x < fresh.width; ++x, d += 4) {
        const std::uint32_t rgb = surface.PixelAt(x, y) & 0xFFFFFF;
        d[0] = rgb & 0xFF;
        d[1] = (rgb >> 8) & 0xFF;
        d[2] = (rgb >> 16) & 0xFF;
        d[3] = keyed && rgb == key ? 0 : 255;
        fresh.hasTransparency = fresh.hasTransparency || d[3] == 0;
      }
  }
  image_ = std::move(fresh);
  Changed(this);
}

void TGIFImage::AssignTo(TPersistent* Dest) {
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (bitmap == nullptr) {
    TGraphic::AssignTo(Dest);
    return;
  }
  CopyBgraToBitmap(bitmap, image_.bgra.data(), image_.width, image_.height);
}

void TGIFImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (ACanvas == nullptr || Empty()) return;
  DrawBgraPixels(ACanvas->Handle(), Rect, image_.bgra.data(), image_.width, image_.height, image_.width * 4,
                 image_.hasTransparency ? TPixelBlend::Alpha : TPixelBlend::Opaque);
}
