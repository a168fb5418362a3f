#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/BmpCodec.h"
#include "platform/core/Exceptions.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// Builds a BMP file field by field, so a test can write any header, lying ones included.
struct BmpBuilder {
  std::uint32_t headerSize = 40;
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  std::vector<std::uint32_t> masks;    // written after a 40-byte header
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  Bytes pixels;                        // as stored in the file
  std::optional<std::uint32_t> fileSize, pixelOffset, imageSize;

  [[nodiscard]] Bytes Build() const {
    const bool core = headerSize == 12;
    const std::uint32_t paletteBytes = static_cast<std::uint32_t>(palette.size() * (core ? 3 : 4));
    const std::uint32_t offset = pixelOffset.value_or(14 + headerSize + masks.size() * 4 + paletteBytes);
    Bytes b{'B', 'M'};
    Put32(b, fileSize.value_or(14 + headerSize + masks.size() * 4 + paletteBytes + pixels.size()));
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, headerSize);
    if (core) {
      Put16(b, width);
      Put16(b, height);
      Put16(b, 1);
      Put16(b, bitCount);
    } else {
      Put32(b, width);
      Put32(b, height);
      Put16(b, 1);
      Put16(b, bitCount);
      Put32(b, compression);
      Put32(b, imageSize.value_or(static_cast<std::uint32_t>(pixels.size())));
      Put32(b, 2835);
      Put32(b, 2835);
      Put32(b, colorsUsed);
      Put32(b, 0);
      b.resize(14 + headerSize, 0);
    }
    for (auto m : masks) Put32(b, m);
    for (auto c : palette) {
      b.push_back(static_cast<std::uint8_t>(c));
      b.push_back(static_cast<std::uint8_t>(c >> 8));
      b.push_back(static_cast<std::uint8_t>(c >> 16));
      if (!core) b.push_back(0);
    }
    b.resize(std::max<std::size_t>(b.size(), offset), 0);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
  }
};

// Decodes from a heap copy of exactly the given bytes, so the sanitizer sees any read past them.
bmp::Image DecodeBmpExact(const Bytes& bytes, std::size_t* consumed = nullptr) {
  auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return bmp::Decode(copy.get(), bytes.size(), consumed);
}

// The pixel at (x, y) as 0xAARRGGBB.
std::uint32_t PixelAt(const bmp::Image& img, int x, int y) {
  const std::uint8_t* p = img.bgra.data() + (static_cast<std::size_t>(y) * img.width + x) * 4;
  return static_cast<std::uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bmp::Image Gradient(int width, int height, int bits) {
  bmp::Image img;
  img.width = width;
  img.height = height;
  img.bitsPerPixel = bits;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      img.bgra.push_back(static_cast<std::uint8_t>(x * 37));
      img.bgra.push_back(static_cast<std::uint8_t>(y * 91));
      img.bgra.push_back(static_cast<std::uint8_t>(x + y * 7));
      img.bgra.push_back(bits == 32 ? static_cast<std::uint8_t>(x * y + 3) : 0);
    }
  return img;
}

TEST(BmpCodec, RoundTripKeepsPixelsAndDepth) {
  struct Case {
    int width, height, bits;
  } cases[] = {{1, 1, 24}, {3, 2, 24}, {5, 7, 24}, {4, 4, 24}, {1, 1, 32}, {3, 5, 32}, {17, 3, 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " at " + std::to_string(c.bits));
    const bmp::Image in = Gradient(c.width, c.height, c.bits);
    const Bytes file = bmp::Encode(in);
    const std::size_t stride = ((c.width * c.bits + 31) / 32) * 4;
    EXPECT_EQ(file.size(), 54 + stride * c.height);
    EXPECT_EQ(bmp::PeekLength(file.data(), file.size()), file.size());
    std::size_t consumed = 0;
    const bmp::Image out = DecodeBmpExact(file, &consumed);
    EXPECT_EQ(consumed, file.size());
    EXPECT_EQ(out.width, c.width);
    EXPECT_EQ(out.height, c.height);
    EXPECT_EQ(out.bitsPerPixel, c.bits);
    EXPECT_EQ(out.bgra, in.bgra);
    EXPECT_EQ(bmp::Encode(out), file) << "writing is deterministic";
  }
}

// A second, independent decoder reads what we write: the media tool on the path.
TEST(BmpCodec, WrittenFilesDecodeElsewhere) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg on the path";
  const auto dir = std::filesystem::temp_directory_path();
  const std::string file = (dir / "px_bmp_check.bmp").string(), raw = (dir / "px_bmp_check.raw").string();
  for (int bits : {24, 32}) {
    SCOPED_TRACE(bits);
    const bmp::Image img = Gradient(7, 5, bits);  // odd width: padded rows at 24 bits
    const Bytes bytes = bmp::Encode(img);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string command = "ffmpeg -v error -y -i " + file + " -f rawvideo -pix_fmt bgr24 " + raw;
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(raw, std::ios::binary);
    const Bytes decoded{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(decoded.size(), 7u * 5 * 3);
    for (std::size_t i = 0; i < 35; ++i)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(decoded[i * 3 + c], img.bgra[i * 4 + c]) << "pixel " << i;
  }
  std::filesystem::remove(file);
  std::filesystem::remove(raw);
}

TEST(BmpCodec, EncodeOfEmptyImageWritesNothingAndBadBufferIsRefused) {
  EXPECT_TRUE(bmp::Encode(bmp::Image{}).empty());
  bmp::Image bad = Gradient(3, 3, 24);
  bad.bgra.pop_back();
  EXPECT_THROW(bmp::Encode(bad), EInvalidGraphic);
}

TEST(BmpCodec, PicturesStoredBackToBackAreReadOneAfterAnother) {
  const bmp::Image a = Gradient(3, 2, 24), b = Gradient(2, 5, 32);
  Bytes stream = bmp::Encode(a);
  const std::size_t firstLength = stream.size();
  // The second one comes from a writer that left the file size 0: its length is computed.
  BmpBuilder zeroSize;
  zeroSize.width = 2;
  zeroSize.height = 1;
  zeroSize.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
  zeroSize.fileSize = 0;
  const Bytes second = zeroSize.Build();
  stream.insert(stream.end(), second.begin(), second.end());
  const Bytes third = bmp::Encode(b);
  stream.insert(stream.end(), third.begin(), third.end());
  stream.push_back(0xEE);  // whatever follows the last picture is not read

  std::size_t pos = 0, consumed = 0;
  EXPECT_EQ(DecodeBmpExact(Bytes(stream.begin(), stream.end()), &consumed).bgra, a.bgra);
  EXPECT_EQ(consumed, firstLength);
  pos += consumed;
  const bmp::Image mid = bmp::Decode(stream.data() + pos, stream.size() - pos, &consumed);
  EXPECT_EQ(consumed, second.size());
  EXPECT_EQ(PixelAt(mid, 1, 0), 0x00060504u);
  pos += consumed;
  EXPECT_EQ(bmp::Decode(stream.data() + pos, stream.size() - pos, &consumed).bgra, b.bgra);
  EXPECT_EQ(pos + consumed, stream.size() - 1);
}

// Each stored form against the pixels it must give: 2 x 2 pictures, (x, y) from the top left.
TEST(BmpCodec, ReadsEveryStoredForm) {
  const std::vector<std::uint32_t> pal4 = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  struct Case {
    const char* name;
    BmpBuilder bmp;
    std::uint32_t expected[4];  // (0,0), (1,0), (0,1), (1,1) as 0xAARRGGBB
  };
  auto make = [](std::uint16_t bits, std::int32_t height, std::vector<std::uint32_t> pal, Bytes pixels,
                 std::uint32_t compression = 0, std::vector<std::uint32_t> masks = {}) {
    BmpBuilder b;
    b.width = 2;
    b.height = height;
    b.bitCount = bits;
    b.palette = std::move(pal);
    b.pixels = std::move(pixels);
    b.compression = compression;
    b.masks = std::move(masks);
    return b;
  };
  BmpBuilder core = make(8, 2, pal4, {2, 3, 0, 0, 0, 1, 0, 0});
  core.headerSize = 12;
  BmpBuilder v5 = make(32, -2, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  v5.headerSize = 124;
  BmpBuilder fewColours = make(8, 2, {0x123456, 0xABCDEF}, {1, 0, 0, 0, 0, 1, 0, 0});
  fewColours.colorsUsed = 2;
  Case cases[] = {
      // Bottom-up: the first stored row is the bottom one.
      {"1-bit bottom-up", make(1, 2, {0x000000, 0xFFFFFF}, {0x40, 0, 0, 0, 0x80, 0, 0, 0}),
       {0xFFFFFF, 0, 0, 0xFFFFFF}},
      {"4-bit top-down", make(4, -2, pal4, {0x12, 0, 0, 0, 0x30, 0, 0, 0}), {0xFF0000, 0x00FF00, 0x0000FF, 0}},
      {"8-bit bottom-up", make(8, 2, pal4, {0, 1, 0, 0, 2, 3, 0, 0}), {0x00FF00, 0x0000FF, 0, 0xFF0000}},
      {"8-bit with a short palette", fewColours, {0x123456, 0xABCDEF, 0xABCDEF, 0x123456}},
      {"8-bit with the core header", core, {0, 0xFF0000, 0x00FF00, 0x0000FF}},
      {"24-bit top-down", make(24, -2, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}),
       {0x030201, 0x060504, 0x090807, 0x0C0B0A}},
      {"32-bit keeps the fourth byte", make(32, 2, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}),
       {0x0C0B0A09, 0x100F0E0D, 0x04030201, 0x08070605}},
      {"32-bit with the largest header", v5, {0x04030201, 0x08070605, 0x0C0B0A09, 0x100F0E0D}},
      {"32-bit masks, alpha low", make(32, -2, {}, {0x80, 1, 2, 3, 0xFF, 4, 5, 6, 0, 0, 0, 0, 1, 7, 8, 9}, 3,
                                       {0xFF000000, 0x00FF0000, 0x0000FF00}),
       {0x00030201, 0x00060504, 0, 0x00090807}},
      {"16-bit 5-5-5", make(16, -2, {}, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F}),
       {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}},
      {"16-bit 5-6-5 masks", make(16, -2, {}, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x20, 0x00}, 3,
                                  {0xF800, 0x07E0, 0x001F}),
       {0xFF0000, 0x00FF00, 0x0000FF, 0x000400}},
      // RLE8: bottom row = run of two 1s; top row = literal 2, 3, 1 (the 1 past the edge is
      // dropped, the odd run padded); end of picture.
      {"RLE8", make(8, 2, pal4, {2, 1, 0, 0, 0, 3, 2, 3, 1, 0, 0, 1}, 1), {0x00FF00, 0x0000FF, 0xFF0000, 0xFF0000}},
      // RLE4: bottom row = one 1; jump one up; one 3; pixels never reached stay 0.
      {"RLE4 with a jump", make(4, 2, pal4, {1, 0x10, 0, 2, 0, 1, 1, 0x30, 0, 1}, 2),
       {0, 0x0000FF, 0xFF0000, 0}},
      // RLE4: bottom row = a literal of three (the third past the edge is dropped); top = 2, 3.
      {"RLE4 literal", make(4, 2, pal4, {0, 3, 0x12, 0x30, 0, 0, 2, 0x23, 0, 1}, 2),
       {0x00FF00, 0x0000FF, 0xFF0000, 0x00FF00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bmp::Image img = DecodeBmpExact(c.bmp.Build());
    ASSERT_EQ(img.width, 2);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(img.bitsPerPixel, c.bmp.bitCount);
    EXPECT_EQ(PixelAt(img, 0, 0), c.expected[0]);
    EXPECT_EQ(PixelAt(img, 1, 0), c.expected[1]);
    EXPECT_EQ(PixelAt(img, 0, 1), c.expected[2]);
    EXPECT_EQ(PixelAt(img, 1, 1), c.expected[3]);
  }
}

TEST(BmpCodec, HostileFilesAreRefusedWithoutReadingOutside) {
  const std::vector<std::uint32_t> pal2 = {0, 0xFFFFFF};
  auto ok24 = [] {
    BmpBuilder b;
    b.width = 2;
    b.height = 2;
    b.pixels.assign(16, 0x55);
    return b;
  };
  struct Case {
    const char* name;
    Bytes bytes;
    const char* expectedText;
  };
  std::vector<Case> cases;
  auto add = [&](const char* name, const BmpBuilder& b, const char* text) { cases.push_back({name, b.Build(), text}); };
  {
    Bytes full = ok24().Build();
    cases.push_back({"empty", {}, "truncated"});
    cases.push_back({"file header cut", Bytes(full.begin(), full.begin() + 10), "truncated"});
    cases.push_back({"info header cut", Bytes(full.begin(), full.begin() + 30), "truncated"});
    cases.push_back({"last pixel byte missing", Bytes(full.begin(), full.end() - 1), "truncated"});
    Bytes sig = full;
    sig[0] = 'X';
    cases.push_back({"wrong signature", sig, "signature"});
  }
  {
    BmpBuilder b = ok24();
    b.fileSize = 0x7FFFFFF0;
    add("file size past the buffer", b, "truncated");
    b = ok24();
    b.fileSize = 20;
    add("file size smaller than its headers", b, "");
    b = ok24();
    b.pixelOffset = 0x10000;
    b.fileSize = 70;
    add("pixel offset past the end", b, "offset");
    b = ok24();
    b.pixelOffset = 20;
    add("pixel offset inside the header", b, "offset");
    b = ok24();
    b.headerSize = 64000;
    add("info header size larger than the file", b, "header");
    b = ok24();
    b.headerSize = 20;
    add("unknown info header size", b, "header");
  }
  for (auto [w, h] : {std::pair{0, 2}, {-2, 2}, {2, 0}, {40000, 1}, {1, -40000}, {32768, 32768}, {INT32_MIN, 1},
                      {1, INT32_MIN}}) {
    BmpBuilder b = ok24();
    b.width = w;
    b.height = h;
    cases.push_back({"bad size", b.Build(), ""});
  }
  {
    BmpBuilder b = ok24();
    b.width = 8000;
    b.height = 8000;
    add("huge picture with a few bytes of pixels", b, "truncated");
    b = ok24();
    b.bitCount = 7;
    add("unsupported depth", b, "depth");
    b = ok24();
    b.compression = 4;
    add("embedded compressed picture", b, "compression");
    b = ok24();
    b.compression = 1;
    add("RLE8 on a 24-bit picture", b, "RLE8");
  }
  {
    BmpBuilder b;
    b.width = 2;
    b.height = 1;
    b.bitCount = 8;
    b.palette = pal2;
    b.colorsUsed = 2;
    b.pixels = {0, 7, 0, 0};
    add("palette index past the palette", b, "palette index");
    b.pixels = {0, 1, 0, 0};
    BmpBuilder none = b;
    none.pixelOffset = 14 + 40;
    add("no room for a palette", none, "no palette");
    b.colorsUsed = 256;
    b.pixelOffset.reset();
    b.fileSize = 14 + 40 + 4;  // the file ends inside the palette
    add("palette past the end of the file", b, "");
    BmpBuilder rle = b;
    rle.fileSize.reset();
    rle.colorsUsed = 2;
    rle.compression = 1;
    rle.pixels = {0, 5, 1, 1};
    add("RLE literal run cut short", rle, "truncated");
    rle.pixels = {0, 2, 1};
    add("RLE jump cut short", rle, "truncated");
    rle.pixels = {2, 9, 0, 1};
    add("RLE palette index past the palette", rle, "palette index");
    rle.height = -1;
    rle.pixels = {2, 1, 0, 1};
    add("RLE stored top-down", rle, "top-down");
  }
  {
    BmpBuilder b;
    b.width = 1;
    b.height = 1;
    b.bitCount = 32;
    b.compression = 3;
    b.masks = {0xFF0000, 0x00FF00, 0x0000FF};
    b.pixels = {1, 2, 3, 4};
    b.masks = {0xF0F00000, 0xFF00, 0xFF};
    add("mask with a hole", b, "contiguous");
    b.masks = {0xFFFF00, 0xFF00, 0xFF};
    add("overlapping masks", b, "overlap");
    Bytes cut = b.Build();
    cut.resize(14 + 40 + 4);
    cut[2] = static_cast<std::uint8_t>(cut.size());
    cases.push_back({"masks cut short", cut, "masks"});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      DecodeBmpExact(c.bytes);
      ADD_FAILURE() << "decoded without complaint";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(e.Message.find(c.expectedText), std::string::npos) << e.Message;
    }
  }
}

}  // namespace
