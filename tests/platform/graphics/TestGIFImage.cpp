#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include <unistd.h>

#include "platform/graphics/Bitmap.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/GIFImage.h"
#include "tests/support/ImageCompare.h"
#include "platform/core/Streams.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

gifcodec::Image DecodeGifExact(const Bytes& bytes, std::size_t* consumed = nullptr) {
  auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return gifcodec::Decode(copy.get(), bytes.size(), consumed);
}

// LZW data written the simplest valid way, independently of the encoder under test: code size 2
// (3-bit codes), every pixel a literal code, and a clear code before every two pixels so the
// code size never grows. `codes` may add raw codes to show the decoder's checks.
Bytes LiteralLzw(const std::vector<int>& codes) {
  Bytes packed;
  std::uint32_t buffer = 0;
  int bits = 0;
  auto put = [&](int code) {
    buffer |= static_cast<std::uint32_t>(code) << bits;
    bits += 3;
    while (bits >= 8) {
      packed.push_back(static_cast<std::uint8_t>(buffer));
      buffer >>= 8;
      bits -= 8;
    }
  };
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (i % 2 == 0) put(4);
    put(codes[i]);
  }
  put(5);
  if (bits > 0) packed.push_back(static_cast<std::uint8_t>(buffer));
  Bytes out{2};
  for (std::size_t i = 0; i < packed.size(); i += 255) {
    const std::size_t n = std::min<std::size_t>(255, packed.size() - i);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), packed.begin() + i, packed.begin() + i + n);
  }
  out.push_back(0);
  return out;
}

struct GifBuilder {
  int screenWidth = 2, screenHeight = 2;
  Bytes globalTable = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};  // 4 colours
  int background = 0;
  int transparentIndex = -1;
  int left = 0, top = 0, width = 2, height = 2;
  bool interlaced = false;
  Bytes localTable;
  Bytes data = LiteralLzw({0, 1, 2, 3});

  [[nodiscard]] Bytes Build() const {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](int v) {
      b.push_back(static_cast<std::uint8_t>(v));
      b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto sizeBits = [](std::size_t bytes) {
      int n = 0;
      while ((std::size_t{2} << n) * 3 < bytes) ++n;
      return n;
    };
    put16(screenWidth);
    put16(screenHeight);
    b.push_back(static_cast<std::uint8_t>(globalTable.empty() ? 0 : 0x80 | sizeBits(globalTable.size())));
    b.push_back(static_cast<std::uint8_t>(background));
    b.push_back(0);
    b.insert(b.end(), globalTable.begin(), globalTable.end());
    if (transparentIndex >= 0) b.insert(b.end(), {0x21, 0xF9, 4, 1, 0, 0, static_cast<std::uint8_t>(transparentIndex), 0});
    b.insert(b.end(), {0x21, 0xFE, 3, 'h', 'i', '!', 0});  // a comment to skip
    b.push_back(0x2C);
    put16(left);
    put16(top);
    put16(width);
    put16(height);
    b.push_back(static_cast<std::uint8_t>((localTable.empty() ? 0 : 0x80 | sizeBits(localTable.size())) |
                                          (interlaced ? 0x40 : 0)));
    b.insert(b.end(), localTable.begin(), localTable.end());
    b.insert(b.end(), data.begin(), data.end());
    b.push_back(0x3B);
    return b;
  }
};

std::uint32_t PixelAt(const gifcodec::Image& img, int x, int y) {
  const std::uint8_t* p = img.bgra.data() + (static_cast<std::size_t>(y) * img.width + x) * 4;
  return static_cast<std::uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

TEST(GifCodec, ReadsFramesTablesTransparencyAndInterlace) {
  struct Case {
    const char* name;
    GifBuilder gif;
    int width, height;
    std::vector<std::uint32_t> expected;  // row by row, 0xAARRGGBB
    bool transparent;
  };
  std::vector<Case> cases;
  cases.push_back({"plain", GifBuilder{}, 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, false});
  {
    GifBuilder g;
    g.transparentIndex = 1;
    cases.push_back({"transparent index", g, 2, 2, {0xFFFF0000, 0, 0xFF0000FF, 0xFFFFFFFF}, true});
  }
  {
    GifBuilder g;
    g.localTable = {1, 2, 3, 4, 5, 6};
    g.data = LiteralLzw({1, 0, 0, 1});
    cases.push_back({"local table", g, 2, 2, {0xFF040506, 0xFF010203, 0xFF010203, 0xFF040506}, false});
  }
  {
    // Rows stored in the order 0, 4, 2, 1, 3 for a 1 x 5 frame.
    GifBuilder g;
    g.screenWidth = 1;
    g.screenHeight = 5;
    g.width = 1;
    g.height = 5;
    g.interlaced = true;
    g.data = LiteralLzw({0, 1, 2, 3, 0});
    cases.push_back(
        {"interlaced", g, 1, 5, {0xFFFF0000, 0xFFFFFFFF, 0xFF0000FF, 0xFFFF0000, 0xFF00FF00}, false});
  }
  {
    // A 1 x 1 frame at (1, 1) on a 2 x 2 screen of background colour 2.
    GifBuilder g;
    g.background = 2;
    g.left = 1;
    g.top = 1;
    g.width = 1;
    g.height = 1;
    g.data = LiteralLzw({3});
    cases.push_back({"frame on a screen", g, 2, 2, {0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFFFFFFFF}, false});
  }
  {
    GifBuilder g;
    g.data = LiteralLzw({3, 2});  // ends after two pixels: the rest is index 0
    cases.push_back({"data ending early", g, 2, 2, {0xFFFFFFFF, 0xFF0000FF, 0xFFFF0000, 0xFFFF0000}, false});
  }
  {
    GifBuilder g;
    g.screenWidth = 0;
    g.screenHeight = 0;
    cases.push_back({"screen smaller than the frame", g, 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, false});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = c.gif.Build();
    std::size_t consumed = 0;
    const gifcodec::Image img = DecodeGifExact(file, &consumed);
    EXPECT_EQ(consumed, file.size());
    ASSERT_EQ(img.width, c.width);
    ASSERT_EQ(img.height, c.height);
    EXPECT_EQ(img.hasTransparency, c.transparent);
    for (int i = 0; i < c.width * c.height; ++i) EXPECT_EQ(PixelAt(img, i % c.width, i / c.width), c.expected[i]) << i;
  }
}

TEST(GifCodec, HostileFilesAreRefusedWithoutReadingOutside) {
  const Bytes good = GifBuilder{}.Build();
  struct Case {
    const char* name;
    Bytes bytes;
    const char* text;
  };
  std::vector<Case> cases = {
      {"empty", {}, "truncated"},
      {"wrong signature", Bytes{'G', 'I', 'F', '9', '0', 'a', 0, 0, 0, 0, 0, 0, 0}, "signature"},
      {"screen descriptor cut", Bytes(good.begin(), good.begin() + 9), "truncated"},
      {"colour table cut", Bytes(good.begin(), good.begin() + 17), "truncated"},
      {"trailer without a picture", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}, "no picture"},
      {"unknown block", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x99}, "unknown block"},
  };
  auto variant = [&](const char* name, const char* text, auto change) {
    GifBuilder g;
    change(g);
    cases.push_back({name, g.Build(), text});
  };
  variant("no colour table", "no colour table", [](GifBuilder& g) { g.globalTable.clear(); });
  variant("empty frame", "empty", [](GifBuilder& g) { g.width = 0; });
  variant("frame far outside", "exceeds", [](GifBuilder& g) { g.left = 60000; });
  variant("huge frame", "exceeds", [](GifBuilder& g) {
    g.width = 30000;
    g.height = 30000;
  });
  variant("code size 0", "code size", [](GifBuilder& g) { g.data[0] = 0; });
  variant("code size 12", "code size", [](GifBuilder& g) { g.data[0] = 12; });
  variant("colour index past the table", "colour index", [](GifBuilder& g) {
    g.globalTable.resize(6);  // two colours, but code size 2 allows index 3
  });
  variant("first code undefined", "undefined code", [](GifBuilder& g) { g.data = LiteralLzw({7}); });
  variant("later code undefined", "undefined code", [](GifBuilder& g) { g.data = LiteralLzw({1, 7}); });
  {
    Bytes cut = good;
    cut.resize(cut.size() - 3);  // inside the image data's sub-block
    cases.push_back({"image data cut", cut, "truncated"});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      DecodeGifExact(c.bytes);
      ADD_FAILURE() << "decoded without complaint";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(e.Message.find(c.text), std::string::npos) << e.Message;
    }
  }
}

gifcodec::Image RandomPicture(int w, int h, int colours, std::uint32_t seed) {
  std::mt19937 random(seed);
  gifcodec::Image img;
  img.width = w;
  img.height = h;
  for (int i = 0; i < w * h; ++i) {
    const std::uint32_t v = random() % colours;
    img.bgra.insert(img.bgra.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v * 7),
                                     static_cast<std::uint8_t>(v / 3), 255});
  }
  return img;
}

TEST(GifCodec, FewColoursRoundTripExactly) {
  struct Case {
    const char* name;
    gifcodec::Image image;
  };
  std::vector<Case> cases;
  cases.push_back({"one pixel", RandomPicture(1, 1, 1, 1)});
  cases.push_back({"two colours", RandomPicture(33, 7, 2, 2)});
  cases.push_back({"noise of 256 colours (code table refills)", RandomPicture(300, 200, 256, 3)});
  cases.push_back({"long runs (long strings)", RandomPicture(4000, 3, 1, 4)});
  {
    gifcodec::Image t = RandomPicture(20, 20, 255, 5);
    t.hasTransparency = true;
    for (std::size_t i = 3; i < t.bgra.size(); i += 36) t.bgra[i - 3] = t.bgra[i - 2] = t.bgra[i - 1] = t.bgra[i] = 0;
    cases.push_back({"255 colours and transparency", t});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = gifcodec::Encode(c.image);
    EXPECT_EQ(gifcodec::Encode(c.image), file) << "writing is deterministic";
    const gifcodec::Image back = DecodeGifExact(file);
    EXPECT_EQ(back.hasTransparency, c.image.hasTransparency);
    EXPECT_EQ(back.bgra, c.image.bgra);
  }
}

TEST(GifCodec, ManyColoursAreReducedCloseToTheOriginal) {
  const int w = 96, h = 64;
  gifcodec::Image img;
  img.width = w;
  img.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.bgra.insert(img.bgra.end(), {static_cast<std::uint8_t>(x * 2), static_cast<std::uint8_t>(y * 4),
                                       static_cast<std::uint8_t>((x + y) * 3 / 2), 255});
  const Bytes file = gifcodec::Encode(img);
  EXPECT_EQ(file[10] & 7, 7) << "a full 256-colour table";
  const gifcodec::Image back = DecodeGifExact(file);
  const TSurfaceDifference d = CompareSurfaces(img.bgra.data(), w * 4, back.bgra.data(), w * 4, w, h, 12, true);
  EXPECT_LE(d.MaxChannelDifference, 24);
  EXPECT_LT(d.DifferingPixels, w * h / 50);
}

// A second, independent decoder reads what we write: the media tool on the path.
TEST(GifCodec, WrittenFilesDecodeElsewhere) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg on the path";
  // Names of this process: test programs of other builds may run the same case at once.
  const auto dir = std::filesystem::temp_directory_path();
  const std::string stem = "px_gif_check_" + std::to_string(::getpid());
  const std::string gif = (dir / (stem + ".gif")).string(), raw = (dir / (stem + ".raw")).string();
  struct Case {
    const char* name;
    gifcodec::Image image;
  } cases[] = {
      {"256 colours of noise", RandomPicture(257, 130, 256, 9)},
      {"two colours", RandomPicture(64, 9, 2, 10)},
      {"one colour, long strings", RandomPicture(1000, 5, 1, 11)},
      {"17 colours", RandomPicture(40, 40, 17, 12)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = gifcodec::Encode(c.image);
    std::ofstream(gif, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
    const std::string command = "ffmpeg -v error -y -i " + gif + " -frames:v 1 -f rawvideo -pix_fmt bgra " + raw;
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(raw, std::ios::binary);
    const Bytes decoded{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(decoded, c.image.bgra);
  }
  std::filesystem::remove(gif);
  std::filesystem::remove(raw);
}

TEST(TGIFImage, BitmapInStreamOutAndBack) {
  TBitmap source;
  source.SetPixelFormat(TPixelFormat::pf24bit);
  source.SetSize(5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) source.Surface()->SetPixelAt(x, y, x == 0 && y == 3 ? 0x7F007F : 0x102030u * (x + 1));
  source.SetTransparent(true);
  TGIFImage gif;
  gif.Assign(&source);
  EXPECT_TRUE(gif.Data().hasTransparency);

  TMemoryStream stream;
  gif.SaveToStream(&stream);
  const std::int64_t end = stream.Position();
  stream.WriteBuffer("more", 4);
  stream.SetPosition(0);
  TGIFImage loaded;
  loaded.LoadFromStream(&stream);
  EXPECT_EQ(stream.Position(), end);
  TBitmap back;
  back.Assign(&loaded);
  EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(back.Surface()->PixelAt(0, 3), 0u) << "the transparent colour";
  EXPECT_EQ(back.Surface()->PixelAt(2, 1), 0xFF306090u);
  EXPECT_THROW(loaded.SetHeight(3), EInvalidGraphicOperation);
}

}  // namespace
