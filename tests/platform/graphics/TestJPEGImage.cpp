#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/core/Exceptions.h"
#include "tests/support/ImageCompare.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/core/Streams.h"

// After the platform headers: the library defines TRUE and FALSE as macros.
#include <cstdio>
#include <jpeglib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A smooth picture (JPEG's lossy steps stay small on it), B, G, R, A rows.
Bytes Gradient(int w, int h) {
  Bytes px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      px.insert(px.end(), {static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 5),
                           static_cast<std::uint8_t>(120 + x + y), 255});
  return px;
}

jpegcodec::Image DecodeJpegExact(const Bytes& bytes, std::size_t* consumed = nullptr) {
  auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return jpegcodec::Decode(copy.get(), bytes.size(), consumed);
}

// Offset of the frame header's marker (baseline or progressive).
std::size_t FrameHeader(const Bytes& jpeg) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i;
  return 0;
}

TEST(JpegCodec, RoundTripStaysWithinTheLossOfItsQuality) {
  const int w = 40, h = 30;
  const Bytes in = Gradient(w, h);
  struct Case {
    int quality;
    int maxDifference;
  } cases[] = {{50, 24}, {90, 10}, {100, 4}};
  std::size_t previousSize = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.quality);
    const Bytes file = jpegcodec::Encode(in.data(), w, h, c.quality, false);
    EXPECT_EQ(jpegcodec::Encode(in.data(), w, h, c.quality, false), file) << "writing is deterministic";
    EXPECT_GT(file.size(), previousSize) << "higher quality keeps more";
    previousSize = file.size();
    std::size_t consumed = 0;
    const jpegcodec::Image out = DecodeJpegExact(file, &consumed);
    EXPECT_EQ(consumed, file.size());
    ASSERT_EQ(out.width, w);
    ASSERT_EQ(out.height, h);
    EXPECT_FALSE(out.grayscale);
    const TSurfaceDifference d = CompareSurfaces(in.data(), w * 4, out.bgra.data(), w * 4, w, h, 0, true);
    EXPECT_LE(d.MaxChannelDifference, c.maxDifference);
  }
}

TEST(JpegCodec, GreyPicturesDecodeToEqualChannels) {
  const Bytes in = Gradient(16, 8);
  const jpegcodec::Image out = DecodeJpegExact(jpegcodec::Encode(in.data(), 16, 8, 90, true));
  EXPECT_TRUE(out.grayscale);
  for (std::size_t i = 0; i < out.bgra.size(); i += 4) {
    ASSERT_EQ(out.bgra[i], out.bgra[i + 1]);
    ASSERT_EQ(out.bgra[i], out.bgra[i + 2]);
    ASSERT_EQ(out.bgra[i + 3], 255);
  }
}

// A four-ink picture written by the library itself (it marks such files the Adobe way, inks
// stored inverted): the inks given per pixel, as stored.
Bytes InkJpeg(const std::vector<std::array<std::uint8_t, 4>>& inks) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(inks.size());
  info.image_height = 8;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  Bytes row;
  for (const auto& ink : inks) row.insert(row.end(), ink.begin(), ink.end());
  while (info.next_scanline < info.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

TEST(JpegCodec, FourInkPicturesBecomeColours) {
  // Blocks of 8 pixels of one ink mix each, so compression keeps them near their value.
  std::vector<std::array<std::uint8_t, 4>> inks;
  const std::array<std::uint8_t, 4> mixes[] = {{255, 0, 0, 255}, {0, 255, 255, 255}, {255, 255, 255, 0}, {255, 255, 255, 255}};
  for (const auto& mix : mixes)
    for (int i = 0; i < 8; ++i) inks.push_back(mix);
  const jpegcodec::Image img = DecodeJpegExact(InkJpeg(inks));
  ASSERT_EQ(img.width, 32);
  const std::uint32_t expected[] = {0xFF0000, 0x00FFFF, 0x000000, 0xFFFFFF};  // 0xRRGGBB
  for (int block = 0; block < 4; ++block) {
    SCOPED_TRACE(block);
    const std::uint8_t* p = img.bgra.data() + (4 * 32 + block * 8 + 4) * 4;
    EXPECT_NEAR(p[2], (expected[block] >> 16) & 0xFF, 6);
    EXPECT_NEAR(p[1], (expected[block] >> 8) & 0xFF, 6);
    EXPECT_NEAR(p[0], expected[block] & 0xFF, 6);
    EXPECT_EQ(p[3], 255);
  }
}

TEST(JpegCodec, HostileFilesAreRefusedAndDamagedPixelsAreNot) {
  const Bytes good = jpegcodec::Encode(Gradient(32, 32).data(), 32, 32, 80, false);
  const std::size_t sof = FrameHeader(good);
  ASSERT_NE(sof, 0u);
  auto withSize = [&](int w, int h) {
    Bytes b = good;
    b[sof + 5] = static_cast<std::uint8_t>(h >> 8);
    b[sof + 6] = static_cast<std::uint8_t>(h);
    b[sof + 7] = static_cast<std::uint8_t>(w >> 8);
    b[sof + 8] = static_cast<std::uint8_t>(w);
    return b;
  };
  Bytes badComponents = good;
  badComponents[sof + 9] = 7;  // seven components
  Bytes garbage = {0xFF, 0xD8, 0xFF, 0x00, 0x12, 0x34, 0x56, 0x78};
  struct Case {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"not a JPEG", Bytes(64, 0x42)},
      {"start marker only", {0xFF, 0xD8}},
      {"cut before the frame header ends", Bytes(good.begin(), good.begin() + sof + 6)},
      {"garbage after the start marker", garbage},
      {"width 0", withSize(0, 32)},
      {"huge picture", withSize(65000, 65000)},
      {"impossible component count", badComponents},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      DecodeJpegExact(c.bytes);
      ADD_FAILURE() << "decoded without complaint";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message.rfind("Invalid JPEG picture: ", 0), 0u) << e.Message;
    }
  }
  // A file cut inside its pixels still gives the whole picture, the missing part filled in.
  std::size_t scan = 0;
  for (std::size_t i = 0; i + 1 < good.size() && scan == 0; ++i)
    if (good[i] == 0xFF && good[i + 1] == 0xDA) scan = i;
  ASSERT_NE(scan, 0u);
  const jpegcodec::Image cut = DecodeJpegExact(Bytes(good.begin(), good.begin() + (scan + good.size()) / 2));
  EXPECT_EQ(cut.width, 32);
  EXPECT_EQ(cut.height, 32);
}

TEST(TJPEGImage, SavingKeepsLoadedBytesUntilSomethingChanges) {
  const Bytes file = jpegcodec::Encode(Gradient(20, 10).data(), 20, 10, 75, false);
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  stream.WriteBuffer("next", 4);
  stream.SetPosition(0);
  TJPEGImage jpeg;
  jpeg.LoadFromStream(&stream);
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(file.size()));
  EXPECT_EQ(jpeg.Width(), 20);
  EXPECT_EQ(jpeg.CompressionQuality(), 90);

  TMemoryStream same;
  jpeg.SaveToStream(&same);
  ASSERT_EQ(same.Size(), static_cast<std::int64_t>(file.size()));
  EXPECT_EQ(0, std::memcmp(same.Memory(), file.data(), file.size()));

  jpeg.SetCompressionQuality(30);
  TMemoryStream recompressed;
  jpeg.SaveToStream(&recompressed);
  EXPECT_LT(recompressed.Size(), same.Size());
  EXPECT_THROW(jpeg.SetWidth(5), EInvalidGraphicOperation);
  jpeg.SetCompressionQuality(1000);
  EXPECT_EQ(jpeg.CompressionQuality(), 100);
}

TEST(TJPEGImage, BitmapGoesInAndComesBackAs24Bits) {
  TBitmap source;
  source.SetPixelFormat(TPixelFormat::pf32bit);
  source.SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) source.Surface()->SetPixelAt(x, y, 0x00406080u + x * 3);
  TJPEGImage jpeg;
  jpeg.Assign(&source);
  TMemoryStream stream;
  jpeg.SaveToStream(&stream);
  stream.SetPosition(0);
  TJPEGImage loaded;
  loaded.LoadFromStream(&stream);
  TBitmap back;
  back.Assign(&loaded);
  EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf24bit);
  ASSERT_EQ(back.Width(), 16);
  for (int x : {0, 7, 15}) {
    const std::uint32_t want = 0x00406080u + x * 3, got = back.Surface()->PixelAt(x, 8);
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((want >> shift) & 0xFF), 6) << x;
  }
}

}  // namespace
