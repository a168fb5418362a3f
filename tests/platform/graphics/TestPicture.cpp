#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/Canvas.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/GIFImage.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngImage.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Surface.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

class PictureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("px_picture_" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  [[nodiscard]] std::string Path(const std::string& name) const { return (dir / name).string(); }
  void Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  [[nodiscard]] Bytes Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  fs::path dir;
};

// A 6 x 4 RGBA picture of a few colours.
pngcodec::Image Sample() {
  pngcodec::Image img;
  img.width = 6;
  img.height = 4;
  for (int i = 0; i < 24; ++i)
    img.bgra.insert(img.bgra.end(), {static_cast<std::uint8_t>(i % 3 * 100), 50, static_cast<std::uint8_t>(i % 2 * 200), 255});
  return img;
}

Bytes IconFile() {
  TIcon icon;
  const pngcodec::Image img = Sample();
  icon.SetPixels(img.width, img.height, img.bgra);
  TMemoryStream stream;
  icon.SaveToStream(&stream);
  const auto* p = static_cast<const std::uint8_t*>(stream.Memory());
  return Bytes(p, p + stream.Size());
}

TEST_F(PictureFiles, LoadFromFilePicksTheClassByExtension) {
  const pngcodec::Image img = Sample();
  const Bytes png = pngcodec::Encode(img);
  const Bytes jpg = jpegcodec::Encode(img.bgra.data(), img.width, img.height, 90, false);
  gifcodec::Image gif;
  gif.width = img.width;
  gif.height = img.height;
  gif.bgra = img.bgra;
  bmp::Image bmpImage;
  bmpImage.width = img.width;
  bmpImage.height = img.height;
  bmpImage.bitsPerPixel = 24;
  bmpImage.bgra = img.bgra;
  struct Case {
    const char* name;
    Bytes bytes;
    const char* className;
  } cases[] = {
      {"z.bmp", bmp::Encode(bmpImage), "TBitmap"},
      {"a.png", png, "TPngImage"},   {"b.PNG", png, "TPngImage"},      {"c.jpg", jpg, "TJPEGImage"},
      {"d.JpEg", jpg, "TJPEGImage"}, {"e.gif", gifcodec::Encode(gif), "TGIFImage"}, {"f.ico", IconFile(), "TIcon"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Write(c.name, c.bytes);
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject* sender) {
      EXPECT_EQ(sender, &picture);
      ++changes;
    };
    picture.LoadFromFile(Path(c.name));
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->ClassName(), c.className);
    EXPECT_EQ(picture.Width(), 6);
    EXPECT_EQ(picture.Height(), 4);
    EXPECT_GE(changes, 1);
  }
}

TEST_F(PictureFiles, FailedLoadsLeaveThePictureAsItWas) {
  Write("good.png", pngcodec::Encode(Sample()));
  Write("bad.png", Bytes(100, 0x42));
  Write("note.txt", Bytes{'h', 'i'});
  TPicture picture;
  picture.LoadFromFile(Path("good.png"));
  TGraphic* before = picture.Graphic();
  try {
    picture.LoadFromFile(Path("note.txt"));
    ADD_FAILURE() << "no exception";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message, "Unknown picture file extension (.txt)");
  }
  EXPECT_THROW(picture.LoadFromFile(Path("bad.png")), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromFile(Path("missing.png")), EFOpenError);
  EXPECT_EQ(picture.Graphic(), before);
  EXPECT_EQ(picture.Width(), 6);
}

TEST_F(PictureFiles, SaveToFileWritesTheFormatOfTheExtension) {
  Write("source.png", pngcodec::Encode(Sample()));
  TPicture picture;
  picture.LoadFromFile(Path("source.png"));
  struct Case {
    const char* name;
    Bytes signature;
  } cases[] = {
      {"out.png", {0x89, 'P', 'N', 'G'}},
      {"out.bmp", {'B', 'M'}},
      {"out.jpg", {0xFF, 0xD8, 0xFF}},
      {"out.gif", {'G', 'I', 'F', '8', '9', 'a'}},
      {"out.ico", {0, 0, 1, 0}},
      {"out.data", {0x89, 'P', 'N', 'G'}},  // unknown: the graphic's own format
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    picture.SaveToFile(Path(c.name));
    const Bytes file = Read(c.name);
    ASSERT_GE(file.size(), c.signature.size());
    EXPECT_TRUE(std::equal(c.signature.begin(), c.signature.end(), file.begin()));
    if (std::string(c.name) != "out.data") {
      TPicture back;
      back.LoadFromFile(Path(c.name));
      EXPECT_EQ(back.Width(), 6);
      EXPECT_EQ(back.Height(), 4);
    }
  }
  EXPECT_EQ(picture.Graphic()->ClassName(), "TPngImage") << "saving converts a copy";
  EXPECT_THROW(picture.SaveToFile(Path("no/such/folder/x.png")), EFCreateError);
}

TEST(TPicture, AssignCopiesAndBitmapReplacesOtherGraphics) {
  TPngImage png;
  png.CreateBlank(pngcodec::kRgbAlpha, 8, 3, 2);
  TPicture a;
  a.Assign(&png);
  ASSERT_NE(a.Graphic(), nullptr);
  EXPECT_NE(a.Graphic(), &png) << "the picture keeps its own copy";
  EXPECT_EQ(a.Width(), 3);
  TPicture b;
  b.Assign(&a);
  EXPECT_NE(b.Graphic(), a.Graphic());
  EXPECT_EQ(b.Graphic()->ClassName(), "TPngImage");

  TBitmap* bitmap = b.Bitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_TRUE(bitmap->Empty()) << "a graphic of another class gives way to an empty bitmap";
  EXPECT_EQ(b.Bitmap(), bitmap) << "a bitmap graphic stays";
  b.Assign(nullptr);
  EXPECT_EQ(b.Graphic(), nullptr);
  EXPECT_EQ(b.Width(), 0);

  TPngImage out;
  out.Assign(&a);  // a picture gives its graphic
  EXPECT_EQ(out.Width(), 3);
}

// Icon files built field by field: a directory of one entry, then the entry.
Bytes IconWithEntry(const Bytes& entry, int width, int height, std::uint32_t offset = 22) {
  Bytes b = {0, 0, 1, 0, 1, 0, static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(height), 0, 0, 1, 0, 4, 0};
  for (std::uint32_t v : {static_cast<std::uint32_t>(entry.size()), offset})
    for (int s = 0; s < 32; s += 8) b.push_back(static_cast<std::uint8_t>(v >> s));
  b.insert(b.end(), entry.begin(), entry.end());
  return b;
}

// A 4-bit 2 x 2 entry: palette black, red; colours (top) 1 0 / (bottom) 0 1; the mask makes the
// top-right pixel transparent.
Bytes FourBitEntry(std::int32_t doubledHeight = 4) {
  Bytes e;
  auto put32 = [&](std::uint32_t v) {
    for (int s = 0; s < 32; s += 8) e.push_back(static_cast<std::uint8_t>(v >> s));
  };
  put32(40);
  put32(2);
  put32(static_cast<std::uint32_t>(doubledHeight));
  e.insert(e.end(), {1, 0, 4, 0});
  for (int i = 0; i < 6; ++i) put32(i == 4 ? 2 : 0);  // compression .. important; colours used 2
  e.insert(e.end(), {0, 0, 0, 0, 0, 0, 255, 0});       // palette
  e.insert(e.end(), {0x01, 0, 0, 0, 0x10, 0, 0, 0});   // colour rows, bottom first
  e.insert(e.end(), {0x00, 0, 0, 0, 0x40, 0, 0, 0});   // mask rows, bottom first
  return e;
}

TEST(TIcon, ReadsBitmapAndPngEntriesAndRoundTrips) {
  TIcon icon;
  TMemoryStream stream;
  const Bytes file = IconWithEntry(FourBitEntry(), 2, 2);
  stream.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  stream.SetPosition(0);
  icon.LoadFromStream(&stream);
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(file.size()));
  ASSERT_EQ(icon.Width(), 2);
  const auto px = [&](int x, int y) {
    std::uint32_t v;
    std::memcpy(&v, icon.Pixels().data() + (y * 2 + x) * 4, 4);
    return v;
  };
  EXPECT_EQ(px(0, 0), 0xFFFF0000u);
  EXPECT_EQ(px(1, 0), 0u) << "masked";
  EXPECT_EQ(px(0, 1), 0xFF000000u);
  EXPECT_EQ(px(1, 1), 0xFFFF0000u);

  const pngcodec::Image sample = Sample();
  TIcon fromPng;
  const Bytes pngIcon = IconWithEntry(pngcodec::Encode(sample), 6, 4);
  TMemoryStream pngStream;
  pngStream.WriteBuffer(pngIcon.data(), static_cast<std::int64_t>(pngIcon.size()));
  pngStream.SetPosition(0);
  fromPng.LoadFromStream(&pngStream);
  EXPECT_EQ(fromPng.Pixels(), sample.bgra);

  // Saved and read back: the same pixels, alpha included.
  std::vector<std::uint8_t> alpha = sample.bgra;
  alpha[3] = 0;
  alpha[7] = 90;
  TIcon original;
  original.SetPixels(6, 4, alpha);
  TMemoryStream saved;
  original.SaveToStream(&saved);
  saved.SetPosition(0);
  TIcon back;
  back.LoadFromStream(&saved);
  EXPECT_EQ(back.Pixels(), alpha);
}

TEST(TIcon, HostileFilesAreRefused) {
  const Bytes good = IconWithEntry(FourBitEntry(), 2, 2);
  Bytes badType = good;
  badType[2] = 7;
  Bytes noImages = good;
  noImages[4] = 0;
  struct Case {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"not an icon", badType},
      {"no images", noImages},
      {"directory cut", Bytes(good.begin(), good.begin() + 12)},
      {"entry past the end", IconWithEntry(FourBitEntry(), 2, 2, 5000)},
      {"entry cut", Bytes(good.begin(), good.end() - 9)},
      {"odd doubled height", IconWithEntry(FourBitEntry(3), 2, 2)},
      {"negative height", IconWithEntry(FourBitEntry(-4), 2, 2)},
      {"entry too small for a header", IconWithEntry(Bytes(12, 0), 2, 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryStream stream;
    if (!c.bytes.empty()) stream.WriteBuffer(c.bytes.data(), static_cast<std::int64_t>(c.bytes.size()));
    stream.SetPosition(0);
    TIcon icon;
    EXPECT_THROW(icon.LoadFromStream(&stream), EInvalidGraphic);
    EXPECT_TRUE(icon.Empty());
    EXPECT_EQ(stream.Position(), 0);
  }
}

// Damaged copies of valid files of every format: each decodes or is refused with
// EInvalidGraphic; the sanitizers watch for reads outside the data.
TEST(PictureDecoders, MutatedFilesDecodeOrAreRefusedCleanly) {
  pngcodec::Image img = Sample();
  img.bgra[3] = 0;
  bmp::Image bmpImage{6, 4, 32, img.bgra};
  gifcodec::Image gifImage{6, 4, true, img.bgra};
  TIcon icon;
  icon.SetPixels(6, 4, img.bgra);
  TMemoryStream iconStream;
  icon.SaveToStream(&iconStream);
  const auto* iconBytes = static_cast<const std::uint8_t*>(iconStream.Memory());
  struct Format {
    const char* name;
    Bytes file;
    std::function<void(const std::uint8_t*, std::size_t)> decode;
  } formats[] = {
      {"bmp", bmp::Encode(bmpImage), [](const std::uint8_t* d, std::size_t n) { (void)bmp::Decode(d, n, nullptr); }},
      {"png", pngcodec::Encode(img), [](const std::uint8_t* d, std::size_t n) { (void)pngcodec::Decode(d, n, nullptr); }},
      {"jpeg", jpegcodec::Encode(img.bgra.data(), 6, 4, 80, false),
       [](const std::uint8_t* d, std::size_t n) { (void)jpegcodec::Decode(d, n, nullptr); }},
      {"gif", gifcodec::Encode(gifImage), [](const std::uint8_t* d, std::size_t n) { (void)gifcodec::Decode(d, n, nullptr); }},
      {"ico", Bytes(iconBytes, iconBytes + iconStream.Size()),
       [](const std::uint8_t* d, std::size_t n) {
         TMemoryStream stream;
         stream.WriteBuffer(d, static_cast<std::int64_t>(n));
         stream.SetPosition(0);
         TIcon target;
         target.LoadFromStream(&stream);
       }},
  };
  std::mt19937 random(20240611);
  for (const auto& f : formats) {
    SCOPED_TRACE(f.name);
    for (int round = 0; round < 400; ++round) {
      Bytes bytes = f.file;
      const int edits = 1 + static_cast<int>(random() % 4);
      for (int e = 0; e < edits; ++e) {
        const std::size_t at = random() % bytes.size();
        switch (random() % 3) {
          case 0: bytes[at] = static_cast<std::uint8_t>(random()); break;
          case 1: bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
          default: bytes.resize(std::max<std::size_t>(at, 1)); break;
        }
      }
      auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
      std::copy(bytes.begin(), bytes.end(), copy.get());
      try {
        f.decode(copy.get(), bytes.size());
      } catch (const EInvalidGraphic&) {
      } catch (const std::exception& e) {
        ADD_FAILURE() << "round " << round << ": " << e.what();
      }
    }
  }
}

// Every picture class draws itself scaled; transparent pictures blend, opaque ones copy.
TEST(PictureDrawing, EachClassDrawsScaledWithItsTransparency) {
  // 2 x 2: opaque red, clear, opaque blue, opaque white (B, G, R, A).
  const std::vector<std::uint8_t> px = {0, 0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 255, 255, 255, 255, 255};
  TPngImage png;
  png.CreateBlank(COLOR_RGBALPHA, 8, 2, 2);
  for (int y = 0; y < 2; ++y) std::memcpy(png.Scanline(y), px.data() + y * 8, 8);
  TIcon icon;
  icon.SetPixels(2, 2, px);
  gifcodec::Image gifImage;
  gifImage.width = gifImage.height = 2;
  gifImage.hasTransparency = true;
  gifImage.bgra = px;
  TGIFImage gif;
  TMemoryStream gifStream;
  const Bytes gifBytes = gifcodec::Encode(gifImage);
  gifStream.WriteBuffer(gifBytes.data(), static_cast<std::int64_t>(gifBytes.size()));
  gifStream.SetPosition(0);
  gif.LoadFromStream(&gifStream);
  TJPEGImage jpeg;
  {
    TBitmap solid;
    solid.SetPixelFormat(TPixelFormat::pf24bit);
    solid.SetSize(2, 2);
    for (int i = 0; i < 4; ++i) solid.Surface()->SetPixelAt(i % 2, i / 2, 0x3366CC);
    jpeg.Assign(&solid);
  }
  struct Case {
    const char* name;
    TGraphic* graphic;
    bool clearKeepsBackground;  // the top-right block
    std::uint32_t topLeft;      // expected colour at (1, 1), alpha ignored
  } cases[] = {
      {"png", &png, true, 0xFF0000},
      {"icon", &icon, true, 0xFF0000},
      {"gif", &gif, true, 0xFF0000},
      {"jpeg", &jpeg, false, 0x3366CC},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto surface = PixelSurface::Create(4, 4, 32);
    for (int i = 0; i < 16; ++i) surface->SetPixelAt(i % 4, i / 4, 0xFF00FF00);
    HDC dc = CreateSurfaceDC(surface, {0, 0}, nullptr);
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.StretchDraw(Rect(0, 0, 4, 4), c.graphic);
    const std::uint32_t got = surface->PixelAt(1, 1) & 0xFFFFFF;
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((c.topLeft >> shift) & 0xFF), 8);
    if (c.clearKeepsBackground) {
      EXPECT_EQ(surface->PixelAt(3, 0), 0xFF00FF00u);
    }
    canvas.SetHandle(nullptr);
    DeleteDC(dc);
  }
}

}  // namespace
