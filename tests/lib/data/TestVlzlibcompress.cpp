#include "lib/data/vlzlibcompress.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> StreamBytes(const TMemoryStream& s) {
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return std::vector<std::uint8_t>(p, p + s.Size());
}

std::string SampleText() {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i % 97) + " of the skin description\r\n";
  return text;
}

void Deflate(const std::string& text, TCompressionLevel level, TMemoryStream& out) {
  TCompressionStream z(level, &out);
  z.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  z.Finish();
}

std::vector<std::uint8_t> Deflate(const std::string& text, TCompressionLevel level) {
  TMemoryStream out;
  Deflate(text, level, out);
  return StreamBytes(out);
}

std::string Inflate(TMemoryStream& packed) {
  TMemoryStream out;
  DecompressMemoryStream(&out, &packed);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
}

}  // namespace

TEST(ZlibStreams, EveryLevelRoundTripsAndWritesItsHeader) {
  struct Case {
    TCompressionLevel level;
    std::uint8_t secondByte;  // the zlib header's level bits
  };
  const Case cases[] = {{TCompressionLevel::clNone, 0x01},
                        {TCompressionLevel::clFastest, 0x01},
                        {TCompressionLevel::clDefault, 0x9C},
                        {TCompressionLevel::clMax, 0xDA}};
  const std::string text = SampleText();
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.level));
    TMemoryStream packed;
    Deflate(text, c.level, packed);
    const auto bytes = StreamBytes(packed);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0x78);
    EXPECT_EQ(bytes[1], c.secondByte);
    EXPECT_EQ(Inflate(packed), text);
  }
}

TEST(ZlibStreams, CompressMemoryStreamUsesTheHighestLevelAtTheDestinationPosition) {
  const std::string text = SampleText();
  TMemoryStream source;
  source.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  TMemoryStream dest;
  dest.WriteBuffer("HDR", 3);
  CompressMemoryStream(&source, &dest);
  const auto bytes = StreamBytes(dest);
  ASSERT_GT(bytes.size(), 5u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "HDR");
  EXPECT_EQ(bytes[3], 0x78);
  EXPECT_EQ(bytes[4], 0xDA);
  EXPECT_LT(bytes.size(), text.size() / 10);
}

TEST(ZlibStreams, ResultChecks) {
  EXPECT_EQ(CheckDecompressResult(1), 1);
  EXPECT_EQ(CheckCompressResult(0), 0);
  try {
    CheckDecompressResult(-3);
    FAIL();
  } catch (const EDecompressionError& e) {
    EXPECT_EQ(e.Message, "compression error");
  }
  try {
    CheckCompressResult(-2);
    FAIL();
  } catch (const ECompressionError& e) {
    EXPECT_EQ(e.Message, "error");
  }
}

TEST(ZlibStreams, CompressionStreamRefusesReadsAndSeeks) {
  TMemoryStream out;
  TCompressionStream z(TCompressionLevel::clDefault, &out);
  EXPECT_FLOAT_EQ(z.CompressionRate(), 0.0f);
  const std::string text = SampleText();
  z.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  EXPECT_EQ(z.Seek(0, TSeekOrigin::soCurrent), static_cast<std::int64_t>(text.size()));
  char c;
  EXPECT_THROW(z.Read(&c, 1), ECompressionError);
  EXPECT_THROW(z.Seek(1, TSeekOrigin::soCurrent), ECompressionError);
  z.Finish();
  EXPECT_GT(z.CompressionRate(), 50.0f);
}

TEST(ZlibStreams, DecompressionSeeksForwardRestartsAndRefusesBackwards) {
  const std::string text = SampleText();
  TMemoryStream packed;
  Deflate(text, TCompressionLevel::clMax, packed);
  packed.SetPosition(0);
  TDecompressionStream z(&packed);
  char buf[16] = {};
  EXPECT_EQ(z.Seek(100, TSeekOrigin::soCurrent), 100);
  z.ReadBuffer(buf, 10);
  EXPECT_EQ(std::string(buf, 10), text.substr(100, 10));
  EXPECT_THROW(z.Seek(-1, TSeekOrigin::soCurrent), EDecompressionError);
  EXPECT_THROW(z.Seek(0, TSeekOrigin::soEnd), EDecompressionError);
  EXPECT_THROW(z.Write(buf, 1), EDecompressionError);
  EXPECT_EQ(z.Seek(0, TSeekOrigin::soBeginning), 0);
  z.ReadBuffer(buf, 10);
  EXPECT_EQ(std::string(buf, 10), text.substr(0, 10));
  EXPECT_EQ(z.Seek(20000, TSeekOrigin::soBeginning), 20000);
  z.ReadBuffer(buf, 4);
  EXPECT_EQ(std::string(buf, 4), text.substr(20000, 4));
}

TEST(ZlibStreams, RestartReturnsToWhereTheZlibStreamBegan) {
  const std::string text = "restart me";
  TMemoryStream packed;
  packed.WriteBuffer("12345678", 8);
  {
    TCompressionStream z(TCompressionLevel::clMax, &packed);
    z.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    z.Finish();
  }
  packed.SetPosition(8);
  TDecompressionStream z(&packed);
  char buf[10];
  z.ReadBuffer(buf, 10);
  z.Seek(0, TSeekOrigin::soBeginning);
  z.ReadBuffer(buf, 10);
  EXPECT_EQ(std::string(buf, 10), text);
}

TEST(ZlibStreams, BrokenStreamsAreErrors) {
  const std::string text = SampleText();
  const auto good = Deflate(text, TCompressionLevel::clMax);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::int64_t maxSize;
  };
  std::vector<std::uint8_t> corrupt = good;
  corrupt[good.size() / 2] ^= 0xFF;
  corrupt[good.size() / 2 + 1] ^= 0x55;
  std::vector<std::uint8_t> badChecksum = good;
  badChecksum.back() ^= 0x01;
  const Case cases[] = {
      {"truncated", std::vector<std::uint8_t>(good.begin(), good.begin() + good.size() / 2), INT64_MAX},
      {"missing its check value", std::vector<std::uint8_t>(good.begin(), good.end() - 4), INT64_MAX},
      {"corrupt", corrupt, INT64_MAX},
      {"bad check value", badChecksum, INT64_MAX},
      {"not zlib", {'B', 'M', 0, 0, 0, 0}, INT64_MAX},
      {"empty", {}, INT64_MAX},
      {"inflates beyond the cap", good, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryStream packed;
    if (!c.bytes.empty()) packed.WriteBuffer(c.bytes.data(), static_cast<std::int64_t>(c.bytes.size()));
    TMemoryStream out;
    EXPECT_THROW(DecompressMemoryStream(&out, &packed, c.maxSize), EDecompressionError);
  }
}
