#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/Bitmap.h"
#include "platform/Exceptions.h"

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
