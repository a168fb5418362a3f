#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/core/Exceptions.h"
#include "tests/support/ImageCompare.h"
#include "platform/graphics/PngImage.h"
#include "platform/core/Streams.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutBigEndian32(Bytes& b, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(Bytes& out, const char* type, const Bytes& body) {
  PutBigEndian32(out, static_cast<std::uint32_t>(body.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBigEndian32(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// Writes a PNG by hand, independently of the decoder under test: rows are given already packed
// at the file's bit depth and get filter byte 0.
struct PngBuilder {
  std::uint32_t width = 2, height = 2;
  int bitDepth = 8, colorType = 6;
  std::vector<Bytes> rows;
  Bytes palette;  // R, G, B triples
  Bytes trns;     // tRNS body as stored
  bool withEnd = true;

  [[nodiscard]] Bytes Build() const {
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    PutBigEndian32(ihdr, width);
    PutBigEndian32(ihdr, height);
    ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(bitDepth), static_cast<std::uint8_t>(colorType), 0, 0, 0});
    Chunk(out, "IHDR", ihdr);
    if (!palette.empty()) Chunk(out, "PLTE", palette);
    if (!trns.empty()) Chunk(out, "tRNS", trns);
    Bytes raw;
    for (const Bytes& row : rows) {
      raw.push_back(0);
      raw.insert(raw.end(), row.begin(), row.end());
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    Chunk(out, "IDAT", packed);
    if (withEnd) Chunk(out, "IEND", {});
    return out;
  }
};

pngcodec::Image DecodePngExact(const Bytes& bytes, std::size_t* consumed = nullptr) {
  auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return pngcodec::Decode(copy.get(), bytes.size(), consumed);
}

// The pixel at index i as 0xAARRGGBB.
std::uint32_t PixelAt(const pngcodec::Image& img, int i) {
  const std::uint8_t* p = img.bgra.data() + i * 4;
  return static_cast<std::uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

using pngcodec::Transparency;

// Every colour type at its bit depths, each a 2 x 2 picture read back as four 0xAARRGGBB pixels
// (top left, top right, bottom left, bottom right).
TEST(PngCodec, ReadsEveryColourTypeAndBitDepth) {
  struct Case {
    const char* name;
    PngBuilder png;
    Transparency transparency;
    std::uint32_t transparentColor;  // 0x00BBGGRR, with Bit
    std::uint32_t expected[4];
  };
  auto make = [](int colorType, int depth, std::vector<Bytes> rows, Bytes palette = {}, Bytes trns = {}) {
    PngBuilder b;
    b.colorType = colorType;
    b.bitDepth = depth;
    b.rows = std::move(rows);
    b.palette = std::move(palette);
    b.trns = std::move(trns);
    return b;
  };
  const Bytes pal = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
  Case cases[] = {
      {"grey 1-bit", make(0, 1, {{0x40}, {0x80}}), Transparency::None, 0,
       {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000}},
      {"grey 2-bit", make(0, 2, {{0x1B}, {0xE4}}), Transparency::None, 0,  // 0,1 / 3,2
       {0xFF000000, 0xFF555555, 0xFFFFFFFF, 0xFFAAAAAA}},
      {"grey 4-bit with a transparent level", make(0, 4, {{0x0F}, {0x5A}}, {}, {0, 5}), Transparency::Bit, 0x555555,
       {0xFF000000, 0xFFFFFFFF, 0x00555555, 0xFFAAAAAA}},
      {"grey 8-bit", make(0, 8, {{0, 1}, {128, 255}}), Transparency::None, 0,
       {0xFF000000, 0xFF010101, 0xFF808080, 0xFFFFFFFF}},
      {"grey 16-bit", make(0, 16, {{0, 0, 0xFF, 0xFF}, {0x80, 0x80, 0x12, 0x34}}), Transparency::None, 0,
       {0xFF000000, 0xFFFFFFFF, 0xFF808080, 0xFF121212}},
      {"rgb 8-bit with a transparent colour", make(2, 8, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 1, 2, 3}}, {}, {0, 4, 0, 5, 0, 6}),
       Transparency::Bit, 0x060504, {0xFF010203, 0x00040506, 0xFF070809, 0xFF010203}},
      {"rgb 16-bit", make(2, 16, {{0xFF, 0xFF, 0, 0, 0x80, 0x80, 0, 0, 0, 0, 0, 0}, Bytes(12, 0xFF)}),
       Transparency::None, 0, {0xFFFF0080, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}},
      {"palette 1-bit", make(3, 1, {{0x40}, {0x80}}, pal), Transparency::None, 0,
       {0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFFFF0000}},
      {"palette 2-bit, one entry transparent", make(3, 2, {{0x1B}, {0xE4}}, pal, {255, 255, 0}), Transparency::Bit,
       0xFF0000, {0xFFFF0000, 0xFF00FF00, 0xFF0A141E, 0x000000FF}},
      {"palette 4-bit, partial alpha", make(3, 4, {{0x01}, {0x23}}, pal, {128}), Transparency::Partial, 0,
       {0x80FF0000, 0xFF00FF00, 0xFF0000FF, 0xFF0A141E}},
      {"palette 8-bit", make(3, 8, {{3, 2}, {1, 0}}, pal), Transparency::None, 0,
       {0xFF0A141E, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000}},
      {"grey with alpha 8-bit", make(4, 8, {{10, 0, 20, 128}, {30, 255, 40, 1}}), Transparency::Partial, 0,
       {0x000A0A0A, 0x80141414, 0xFF1E1E1E, 0x01282828}},
      {"grey with alpha 16-bit", make(4, 16, {{0x10, 0, 0xFF, 0xFF, 0x20, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}}),
       Transparency::Partial, 0, {0xFF101010, 0x00202020, 0, 0}},
      {"rgba 8-bit", make(6, 8, {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14, 15, 16}}), Transparency::Partial,
       0, {0x04010203, 0x08050607, 0x0C090A0B, 0x100D0E0F}},
      {"rgba 16-bit", make(6, 16, {Bytes(16, 0xFF), {0x80, 0x80, 0, 0, 0, 0, 0x80, 0x80, 0, 0, 0, 0, 0, 0, 0, 0}}),
       Transparency::Partial, 0, {0xFFFFFFFF, 0xFFFFFFFF, 0x80800000, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::size_t consumed = 0;
    const Bytes file = c.png.Build();
    const pngcodec::Image img = DecodePngExact(file, &consumed);
    EXPECT_EQ(consumed, file.size());
    ASSERT_EQ(img.width, 2);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(img.colorType, c.png.colorType);
    EXPECT_EQ(img.bitDepth, c.png.bitDepth);
    EXPECT_EQ(img.transparency, c.transparency);
    if (c.transparency == Transparency::Bit) {
      EXPECT_EQ(img.transparentColor, c.transparentColor);
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(PixelAt(img, i), c.expected[i]) << "pixel " << i;
  }
}

TEST(PngCodec, RoundTripKeepsColourTypeTransparencyAndPixels) {
  struct Case {
    const char* name;
    int colorType;
    Transparency transparency;
    std::uint32_t transparentColor;
    std::vector<std::uint32_t> argb;  // 3 x 2 pixels
  } cases[] = {
      {"rgba", 6, Transparency::Partial, 0, {0x00000000, 0x80112233, 0xFFFFFFFF, 0x01020304, 0x7F7F7F7F, 0xFF000000}},
      {"grey", 0, Transparency::None, 0, {0xFF000000, 0xFF101010, 0xFF202020, 0xFF808080, 0xFFFEFEFE, 0xFFFFFFFF}},
      {"grey with alpha", 4, Transparency::Partial, 0,
       {0x00000000, 0x40101010, 0xFF202020, 0x80808080, 0xFFFEFEFE, 0x01FFFFFF}},
      {"rgb with a transparent colour", 2, Transparency::Bit, 0x332211,
       {0x00112233, 0xFF445566, 0xFF778899, 0x00112233, 0xFFAABBCC, 0xFFDDEEFF}},
      {"palette with partial alpha", 3, Transparency::Partial, 0,
       {0xFFFF0000, 0x0000FF00, 0x800000FF, 0xFFFF0000, 0x0000FF00, 0xFF123456}},
      {"palette with one transparent entry", 3, Transparency::Bit, 0x00FF00,
       {0xFFFF0000, 0x0000FF00, 0xFF0000FF, 0xFFFF0000, 0x0000FF00, 0xFF123456}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    pngcodec::Image in;
    in.width = 3;
    in.height = 2;
    in.colorType = c.colorType;
    in.transparency = c.transparency;
    in.transparentColor = c.transparentColor;
    for (std::uint32_t v : c.argb)
      for (int shift : {0, 8, 16, 24}) in.bgra.push_back(static_cast<std::uint8_t>(v >> shift));
    const Bytes file = pngcodec::Encode(in);
    EXPECT_EQ(pngcodec::Encode(in), file) << "writing is deterministic";
    const pngcodec::Image out = DecodePngExact(file);
    EXPECT_EQ(out.colorType, c.colorType);
    EXPECT_EQ(out.bitDepth, 8);
    EXPECT_EQ(out.transparency, c.transparency);
    EXPECT_EQ(out.transparentColor, c.transparentColor);
    EXPECT_EQ(out.bgra, in.bgra);
  }
}

TEST(PngCodec, PaletteOfMoreThan256ColoursIsWrittenAsTrueColour) {
  pngcodec::Image in;
  in.width = 300;
  in.height = 1;
  in.colorType = pngcodec::kPalette;
  for (int x = 0; x < 300; ++x) in.bgra.insert(in.bgra.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(x >> 8), 7, 255});
  const pngcodec::Image out = DecodePngExact(pngcodec::Encode(in));
  EXPECT_EQ(out.colorType, pngcodec::kRgbAlpha);
  EXPECT_EQ(out.bgra, in.bgra);
}

TEST(PngCodec, HostileFilesAreRefusedWithoutReadingOutside) {
  PngBuilder good;
  good.rows = {Bytes(8, 1), Bytes(8, 2)};
  const Bytes ok = good.Build();
  struct Case {
    const char* name;
    Bytes bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"signature only", Bytes(ok.begin(), ok.begin() + 8)});
  cases.push_back({"cut inside the header chunk", Bytes(ok.begin(), ok.begin() + 20)});
  cases.push_back({"cut inside the pixel data", Bytes(ok.begin(), ok.end() - 20)});
  Bytes badCrc = ok;
  badCrc[29] ^= 0xFF;  // the header chunk's checksum
  cases.push_back({"header checksum wrong", badCrc});
  Bytes sig = ok;
  sig[1] = 'Q';
  cases.push_back({"wrong signature", sig});
  auto variant = [&](const char* name, auto change) {
    PngBuilder b = good;
    change(b);
    cases.push_back({name, b.Build()});
  };
  variant("no end chunk", [](PngBuilder& b) { b.withEnd = false; });
  variant("width 0", [](PngBuilder& b) { b.width = 0; });
  variant("width past the side cap", [](PngBuilder& b) { b.width = 100000; });
  variant("huge area, tiny data", [](PngBuilder& b) {
    b.width = 30000;
    b.height = 30000;
  });
  variant("height with the top bit set", [](PngBuilder& b) { b.height = 0x80000001u; });
  variant("rgb at 4 bits", [](PngBuilder& b) {
    b.colorType = 2;
    b.bitDepth = 4;
  });
  variant("unknown colour type", [](PngBuilder& b) { b.colorType = 5; });
  variant("palette picture without palette", [](PngBuilder& b) {
    b.colorType = 3;
    b.rows = {{0, 0}, {0, 0}};
  });
  variant("rows shorter than the header says", [](PngBuilder& b) { b.rows = {Bytes(3, 1)}; });
  {
    Bytes garbage = ok;
    // Overwrite the compressed stream's header inside the pixel chunk (its checksum then fails too).
    garbage[8 + 25 + 8] = 0xFF;
    cases.push_back({"damaged compressed data", garbage});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      DecodePngExact(c.bytes);
      ADD_FAILURE() << "decoded without complaint";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(e.Message.find("Invalid PNG picture: "), std::string::npos) << e.Message;
      EXPECT_GT(e.Message.size(), std::string("Invalid PNG picture: ").size());
    }
  }
}

// A 3 x 2 picture of colour type 6 with known pixels.
std::unique_ptr<TPngImage> SmallRgba() {
  auto png = std::make_unique<TPngImage>();
  png->CreateBlank(pngcodec::kRgbAlpha, 8, 3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      std::uint8_t* p = png->Scanline(y) + x * 4;
      p[0] = static_cast<std::uint8_t>(10 * x);
      p[1] = static_cast<std::uint8_t>(100 + y);
      p[2] = 200;
      p[3] = static_cast<std::uint8_t>(x * 100);
    }
  return png;
}

TEST(TPngImage, StreamsReadOnePictureAndLeaveThePositionAfterIt) {
  auto first = SmallRgba();
  TPngImage second;
  second.CreateBlank(pngcodec::kGray, 8, 1, 1);
  TMemoryStream stream;
  first->SaveToStream(&stream);
  const std::int64_t firstEnd = stream.Position();
  second.SaveToStream(&stream);
  stream.WriteBuffer("tail", 4);
  stream.SetPosition(0);

  TPngImage a, b;
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  a.LoadFromStream(&stream);
  EXPECT_EQ(stream.Position(), firstEnd);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a.Data().bgra, first->Data().bgra);
  b.LoadFromStream(&stream);
  EXPECT_EQ(b.ColorType(), pngcodec::kGray);
  EXPECT_EQ(stream.Size() - stream.Position(), 4);

  // A failed load leaves picture and position as they were.
  const std::int64_t before = stream.Position();
  EXPECT_THROW(a.LoadFromStream(&stream), EInvalidGraphic);
  EXPECT_EQ(stream.Position(), before);
  EXPECT_EQ(a.Data().bgra, first->Data().bgra);
}

TEST(TPngImage, AssignFromBitmapPicksColourTypeAndTransparency) {
  struct Case {
    const char* name;
    TPixelFormat format;
    std::uint8_t alpha;
    bool transparent;
    int colorType;
    TPNGTransparencyMode mode;
  } cases[] = {
      {"24-bit", TPixelFormat::pf24bit, 0, false, pngcodec::kRgb, TPNGTransparencyMode::ptmNone},
      {"32-bit without alpha", TPixelFormat::pf32bit, 0, false, pngcodec::kRgb, TPNGTransparencyMode::ptmNone},
      {"32-bit with alpha", TPixelFormat::pf32bit, 90, false, pngcodec::kRgbAlpha, TPNGTransparencyMode::ptmPartial},
      {"transparent 24-bit", TPixelFormat::pf24bit, 0, true, pngcodec::kRgb, TPNGTransparencyMode::ptmBit},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmap bmp;
    bmp.SetPixelFormat(c.format);
    bmp.SetSize(2, 2);
    bmp.Surface()->SetPixelAt(0, 0, 0x00112233u | (static_cast<std::uint32_t>(c.alpha) << 24));
    bmp.Surface()->SetPixelAt(0, 1, 0x00445566u | (static_cast<std::uint32_t>(c.alpha) << 24));  // bottom left
    bmp.SetTransparent(c.transparent);
    TPngImage png;
    png.Assign(&bmp);
    EXPECT_EQ(png.Width(), 2);
    EXPECT_EQ(png.ColorType(), c.colorType);
    EXPECT_EQ(png.TransparencyMode(), c.mode);
    const std::uint8_t* p = png.Scanline(0);
    EXPECT_EQ(p[0], 0x33);
    EXPECT_EQ(p[2], 0x11);
    EXPECT_EQ(p[3], c.colorType == pngcodec::kRgbAlpha ? c.alpha : 255);
    if (c.transparent) {
      EXPECT_EQ(png.TransparentColor(), 0x665544);
      EXPECT_EQ(png.Scanline(1)[3], 0) << "the transparent colour's pixel";
    }
  }
}

TEST(TPngImage, AssignToBitmapGives32BitStraightAlpha) {
  auto png = SmallRgba();
  TBitmap bmp;
  bmp.Assign(png.get());
  EXPECT_EQ(bmp.PixelFormat(), TPixelFormat::pf32bit);
  ASSERT_EQ(bmp.Width(), 3);
  ASSERT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.Surface()->PixelAt(2, 1), 0xC8C86514u);
  EXPECT_EQ(bmp.Surface()->PixelAt(0, 0), 0x00C86400u);
}

TEST(TPngImage, PixelsReadAndWriteColoursInsideThePictureOnly) {
  auto png = SmallRgba();
  EXPECT_EQ(png->Pixels(2, 1), 0x1465C8);  // B 20, G 101, R 200
  png->SetPixels(2, 1, 0x0A0B0C);
  EXPECT_EQ(png->Pixels(2, 1), 0x0A0B0C);
  EXPECT_EQ(png->Scanline(1)[8 + 3], 200) << "alpha kept";
  EXPECT_EQ(png->Pixels(3, 0), 0);
  png->SetPixels(-1, 0, 0xFFFFFF);  // nothing
}

TEST(TPngImage, CreateAlphaKeepsEachPixelsOpacity) {
  PngBuilder b;
  b.colorType = 2;
  b.rows = {{1, 2, 3, 4, 5, 6}, {1, 2, 3, 1, 2, 3}};
  b.trns = {0, 4, 0, 5, 0, 6};
  TMemoryStream stream;
  const Bytes file = b.Build();
  stream.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  stream.SetPosition(0);
  TPngImage png;
  png.LoadFromStream(&stream);
  EXPECT_EQ(png.TransparencyMode(), TPNGTransparencyMode::ptmBit);
  png.CreateAlpha();
  EXPECT_EQ(png.ColorType(), pngcodec::kRgbAlpha);
  EXPECT_EQ(png.TransparencyMode(), TPNGTransparencyMode::ptmPartial);
  EXPECT_EQ(png.Scanline(0)[3], 255);
  EXPECT_EQ(png.Scanline(0)[7], 0);
}

TEST(ImageCompare, SavedSurfaceReadsBackAndDifferencesAreCounted) {
  const int w = 4, h = 3, stride = 20;  // rows padded beyond width * 4
  std::vector<std::uint8_t> surface(stride * h, 0xEE);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 4; ++c) surface[y * stride + x * 4 + c] = static_cast<std::uint8_t>(x * 50 + y * 7 + c);
  const std::string path = (std::filesystem::temp_directory_path() / "px_image_compare.png").string();
  SaveSurfacePng(path, surface.data(), w, h, stride);
  const pngcodec::Image back = LoadPngFile(path);
  std::filesystem::remove(path);
  ASSERT_EQ(back.width, w);
  const TSurfaceDifference same = CompareSurfaces(surface.data(), stride, back.bgra.data(), w * 4, w, h);
  EXPECT_EQ(same.MaxChannelDifference, 0);
  EXPECT_EQ(same.DifferingPixels, 0);

  std::vector<std::uint8_t> other = back.bgra;
  other[0] += 3;      // within a tolerance of 3
  other[4 * 5 + 2] += 9;
  other[4 * 7 + 3] += 20;  // alpha only
  struct Case {
    int tolerance;
    bool alpha;
    int maxDiff;
    std::int64_t differing;
  } cases[] = {{0, true, 20, 3}, {3, true, 20, 2}, {3, false, 9, 1}, {20, true, 20, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tolerance);
    const TSurfaceDifference d = CompareSurfaces(back.bgra.data(), w * 4, other.data(), w * 4, w, h, c.tolerance, c.alpha);
    EXPECT_EQ(d.MaxChannelDifference, c.maxDiff);
    EXPECT_EQ(d.DifferingPixels, c.differing);
  }
  EXPECT_THROW(LoadPngFile(path), EFOpenError);
}

}  // namespace
