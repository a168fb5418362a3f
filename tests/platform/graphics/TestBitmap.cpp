#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/graphics/Bitmap.h"
#include "platform/core/Exceptions.h"

namespace {

std::uint8_t* Row(TBitmap& b, int y) { return static_cast<std::uint8_t*>(b.ScanLine(y)); }

}  // namespace

TEST(TBitmapMemory, NewBitmapIsEmptyUntilBothSidesArePositive) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  b.SetWidth(10);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Width(), 10);
  b.SetHeight(3);
  EXPECT_FALSE(b.Empty());
  EXPECT_EQ(b.Height(), 3);
  b.SetSize(-5, 3);
  EXPECT_TRUE(b.Empty());
}

TEST(TBitmapMemory, RowLayoutPerFormatIsTopDownPaddedAndZeroFilled) {
  struct Case {
    TPixelFormat format;
    int width;
    std::ptrdiff_t rowBytes;
  } cases[] = {
      {TPixelFormat::pf32bit, 5, 20},
      {TPixelFormat::pfDevice, 3, 12},
      {TPixelFormat::pf24bit, 5, 16},  // 15 bytes padded to 16
      {TPixelFormat::pf24bit, 4, 12},
      {TPixelFormat::pf1bit, 33, 8},   // 33 bits padded to 8 bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.format));
    TBitmap b;
    b.SetPixelFormat(c.format);
    b.SetSize(c.width, 4);
    EXPECT_EQ(Row(b, 1) - Row(b, 0), c.rowBytes);
    EXPECT_EQ(Row(b, 3) - Row(b, 0), 3 * c.rowBytes);
    for (int y = 0; y < 4; ++y)
      for (std::ptrdiff_t i = 0; i < c.rowBytes; ++i) ASSERT_EQ(Row(b, y)[i], 0);
  }
}

TEST(TBitmapMemory, ScanLineOutsideRaises) {
  TBitmap b;
  EXPECT_THROW((void)b.ScanLine(0), EInvalidGraphicOperation);
  b.SetSize(2, 2);
  for (int row : {-1, 2, 1000}) {
    SCOPED_TRACE(row);
    try {
      (void)b.ScanLine(row);
      ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message, "Scan line index out of range");
    }
  }
}

TEST(TBitmapMemory, ResizeKeepsSharedAreaAndZeroesTheRest) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(2, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) static_cast<std::uint32_t*>(b.ScanLine(y))[x] = 0x11000000u * (y * 2 + x + 1);
  b.SetSize(3, 3);
  auto px = [&](int x, int y) { return static_cast<std::uint32_t*>(b.ScanLine(y))[x]; };
  EXPECT_EQ(px(0, 0), 0x11000000u);
  EXPECT_EQ(px(1, 1), 0x44000000u);
  EXPECT_EQ(px(2, 0), 0u);
  EXPECT_EQ(px(0, 2), 0u);
  b.SetSize(1, 1);
  EXPECT_EQ(px(0, 0), 0x11000000u);
}

TEST(TBitmapMemory, FormatChangeConvertsPixels) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(3, 1);
  auto* p = static_cast<std::uint32_t*>(b.ScanLine(0));
  p[0] = 0x80112233u;
  p[1] = 0xFFFFFFFFu;
  p[2] = 0x00000000u;
  b.SetPixelFormat(TPixelFormat::pf24bit);
  const std::uint8_t expected24[] = {0x33, 0x22, 0x11, 0xFF, 0xFF, 0xFF, 0, 0, 0};
  EXPECT_EQ(std::memcmp(b.ScanLine(0), expected24, sizeof expected24), 0);
  b.SetPixelFormat(TPixelFormat::pf32bit);
  p = static_cast<std::uint32_t*>(b.ScanLine(0));
  EXPECT_EQ(p[0], 0x00112233u);  // the alpha is gone
  b.SetPixelFormat(TPixelFormat::pf1bit);
  EXPECT_EQ(Row(b, 0)[0], 0x40);  // only the white pixel is set
}

TEST(TBitmapMemory, UnsupportedFormatIsRefusedAndFormatKept) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf24bit);
  EXPECT_THROW(b.SetPixelFormat(TPixelFormat::pf8bit), EInvalidGraphicOperation);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
}

TEST(TBitmapMemory, HugeSizesAreRefusedAndLeaveTheBitmapAsItWas) {
  TBitmap b;
  b.SetSize(4, 4);
  const std::pair<int, int> sizes[] = {{32769, 1}, {1, 40000}, {32768, 32768}, {0x7FFFFFFF, 0x7FFFFFFF}};
  for (auto [w, h] : sizes) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    EXPECT_THROW(b.SetSize(w, h), EInvalidGraphicOperation);
    EXPECT_EQ(b.Width(), 4);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_NO_THROW((void)b.ScanLine(3));
  }
}

TEST(TBitmapMemory, AssignCopiesPixelsAndFormatIndependently) {
  TBitmap a;
  a.SetPixelFormat(TPixelFormat::pf24bit);
  a.SetSize(2, 2);
  Row(a, 1)[5] = 0x7F;
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(Row(b, 1)[5], 0x7F);
  Row(a, 1)[5] = 1;
  EXPECT_EQ(Row(b, 1)[5], 0x7F);
  TBitmap empty;
  b.Assign(&empty);
  EXPECT_TRUE(b.Empty());
}

TEST(TBitmapMemory, ChangesFireOnChange) {
  TBitmap b;
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.SetSize(2, 2);
  b.SetSize(2, 2);  // no change
  b.SetPixelFormat(TPixelFormat::pf24bit);
  EXPECT_EQ(changes, 2);
}

// ---- Canvas, drawing and streams ----------------------------------------------------------------

#include <filesystem>

#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/Canvas.h"
#include "platform/core/Resources.h"
#include "platform/core/Streams.h"

namespace {

std::uint32_t Pixel32(TBitmap& b, int x, int y) { return static_cast<std::uint32_t*>(b.ScanLine(y))[x]; }

}  // namespace

TEST(TBitmapCanvas, DrawsIntoTheScanLinesAndSurvivesResizes) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(4, 4);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(Rect(1, 1, 3, 3));
  EXPECT_EQ(Pixel32(b, 1, 1), 0x00FF0000u);
  EXPECT_EQ(Pixel32(b, 3, 3), 0u);
  b.SetSize(8, 8);  // new pixels; the canvas follows them
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clBlack) << "a new pixel is black";
  b.Canvas()->SetPixels(7, 7, clBlue);
  EXPECT_EQ(Pixel32(b, 7, 7), 0x000000FFu);
  EXPECT_EQ(Pixel32(b, 1, 1), 0x00FF0000u);  // kept across the resize
  EXPECT_EQ(b.Canvas()->Pixels(7, 7), clBlue);
}

TEST(TBitmapCanvas, TextMovesThePenAndClearBrushLeavesTheBackground) {
  TBitmap b;
  b.SetSize(100, 30);
  TCanvas* c = b.Canvas();
  c->Font()->SetColor(clWhite);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->TextOut(5, 5, "Ab中");
  EXPECT_EQ(c->PenPos().X, 5 + c->TextWidth("Ab中"));
  EXPECT_EQ(c->Pixels(4, 5), clBlack);  // no background cell drawn
  EXPECT_GT(c->TextHeight("Ab"), 0);
}

TEST(TBitmapCanvas, CanvasWithoutHandleRefusesToDraw) {
  TCanvas c;
  EXPECT_THROW(c.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
}

TEST(TBitmapDraw, StretchDrawAndTransparentColourFromBottomLeft) {
  TBitmap src;
  src.SetPixelFormat(TPixelFormat::pf32bit);
  src.SetSize(2, 2);
  static_cast<std::uint32_t*>(src.ScanLine(0))[0] = 0x00112233;
  static_cast<std::uint32_t*>(src.ScanLine(0))[1] = 0x00445566;
  static_cast<std::uint32_t*>(src.ScanLine(1))[0] = 0x00FF00FF;  // bottom-left: the key
  static_cast<std::uint32_t*>(src.ScanLine(1))[1] = 0x00778899;
  EXPECT_EQ(src.TransparentColor(), static_cast<TColor>(0xFF00FF));

  TBitmap dst;
  dst.SetPixelFormat(TPixelFormat::pf32bit);
  dst.SetSize(4, 4);
  dst.Canvas()->StretchDraw(Rect(0, 0, 4, 4), &src);
  EXPECT_EQ(Pixel32(dst, 1, 1), 0x00112233u);
  EXPECT_EQ(Pixel32(dst, 3, 3), 0x00778899u);
  EXPECT_EQ(Pixel32(dst, 0, 3), 0x00FF00FFu);

  TBitmap over;
  over.SetPixelFormat(TPixelFormat::pf32bit);
  over.SetSize(2, 2);
  over.Canvas()->Brush()->SetColor(clWhite);
  over.Canvas()->FillRect(Rect(0, 0, 2, 2));
  src.SetTransparent(true);
  over.Canvas()->Draw(0, 0, &src);
  EXPECT_EQ(Pixel32(over, 0, 1), 0x00FFFFFFu);  // key left out
  EXPECT_EQ(Pixel32(over, 1, 1), 0x00778899u);
  src.SetTransparentColor(static_cast<TColor>(0x998877));  // fixed: now (1, 1) is the key
  EXPECT_EQ(src.TransparentMode(), TTransparentMode::tmFixed);
}

TEST(TBitmapStreams, RoundTripKeepsDepthAndPixels) {
  struct Case {
    TPixelFormat format;
    std::uint32_t written, read;  // a pixel, and what comes back
  } cases[] = {
      {TPixelFormat::pf32bit, 0x80102030, 0x80102030},
      {TPixelFormat::pf24bit, 0x00102030, 0x00102030},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.format));
    TBitmap a;
    a.SetPixelFormat(c.format);
    a.SetSize(3, 2);
    auto* surface = a.Surface().get();
    surface->SetPixelAt(2, 1, c.written);
    TMemoryStream stream;
    a.SaveToStream(&stream);
    a.SaveToStream(&stream);  // two BMPs back to back
    stream.SetPosition(0);
    TBitmap b, d;
    b.LoadFromStream(&stream);
    EXPECT_EQ(stream.Position() * 2, stream.Size());
    d.LoadFromStream(&stream);
    for (TBitmap* x : {&b, &d}) {
      EXPECT_EQ(x->PixelFormat(), c.format);
      EXPECT_EQ(x->Width(), 3);
      EXPECT_EQ(x->Height(), 2);
      EXPECT_EQ(x->Surface()->PixelAt(2, 1), c.read);
      EXPECT_EQ(x->Surface()->PixelAt(0, 0), 0u);
    }
  }
}

TEST(TBitmapStreams, CorruptOrTruncatedDataIsRefusedAndTheBitmapKept) {
  TBitmap good;
  good.SetPixelFormat(TPixelFormat::pf24bit);
  good.SetSize(5, 5);
  TMemoryStream full;
  good.SaveToStream(&full);
  const auto* bytes = static_cast<const std::uint8_t*>(full.Memory());
  const std::vector<std::uint8_t> original(bytes, bytes + full.Size());
  struct Case {
    const char* name;
    std::vector<std::uint8_t> data;
  } cases[] = {
      {"truncated", std::vector<std::uint8_t>(original.begin(), original.begin() + 60)},
      {"not a bmp", std::vector<std::uint8_t>(70, 'x')},
      {"header only", std::vector<std::uint8_t>(original.begin(), original.begin() + 14)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmap b;
    b.SetSize(2, 2);
    TMemoryStream s;
    s.WriteBuffer(c.data.data(), static_cast<std::int64_t>(c.data.size()));
    s.SetPosition(0);
    EXPECT_THROW(b.LoadFromStream(&s), Exception);
    EXPECT_EQ(b.Width(), 2);
  }
}

TEST(TBitmapStreams, FilesAndResourcesWithAndWithoutFileHeader) {
  TBitmap a;
  a.SetPixelFormat(TPixelFormat::pf24bit);
  a.SetSize(2, 1);
  a.Surface()->SetPixelAt(1, 0, 0x00ABCDEF);
  const std::string path = (std::filesystem::temp_directory_path() / "gx_bitmap_test.bmp").string();
  a.SaveToFile(path);
  TBitmap b;
  b.LoadFromFile(path);
  EXPECT_EQ(b.Surface()->PixelAt(1, 0), 0x00ABCDEFu);
  std::filesystem::remove(path);
  EXPECT_THROW(b.LoadFromFile(path), EFOpenError);

  TMemoryStream s;
  a.SaveToStream(&s);
  static std::vector<std::uint8_t> withHeader, withoutHeader;
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  withHeader.assign(p, p + s.Size());
  withoutHeader.assign(p + 14, p + s.Size());
  static const TResourceRegistration r1("GX_TEST_BMP_FILE", RT_BITMAP, withHeader.data(), withHeader.size());
  static const TResourceRegistration r2("GX_TEST_BMP_DIB", RT_BITMAP, withoutHeader.data(), withoutHeader.size());
  for (const char* name : {"GX_TEST_BMP_FILE", "GX_TEST_BMP_DIB"}) {
    SCOPED_TRACE(name);
    TBitmap c;
    c.LoadFromResourceName(HInstance(), name);
    EXPECT_EQ(c.Width(), 2);
    EXPECT_EQ(c.Surface()->PixelAt(1, 0), 0x00ABCDEFu);
  }
  TBitmap d;
  EXPECT_THROW(d.LoadFromResourceName(HInstance(), "GX_NO_SUCH_BITMAP"), EResNotFound);
}

TEST(GraphicsObjects, FontSizeHeightAndHandles) {
  struct Case {
    int size, height;
  } cases[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TFont f;
    f.SetSize(c.size);
    EXPECT_EQ(f.Height(), c.height);
    EXPECT_EQ(f.Size(), c.size);
  }
  TFont f;
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  HFONT first = f.Handle();
  f.SetStyle({TFontStyle::fsBold});
  HFONT second = f.Handle();
  EXPECT_NE(first, second);
  LOGFONT lf;
  ASSERT_GT(GetObject(second, sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfFaceName, "Tahoma");
  f.SetName("");  // ignored
  EXPECT_EQ(f.Name(), "Tahoma");
  EXPECT_EQ(changes, 1);
  TBrush b;
  b.SetStyle(TBrushStyle::bsClear);
  b.SetColor(clRed);
  EXPECT_EQ(b.Style(), TBrushStyle::bsSolid);
}
