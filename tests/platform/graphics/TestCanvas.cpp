#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

std::uint32_t At(TBitmap& b, int x, int y) { return static_cast<std::uint32_t*>(b.ScanLine(y))[x]; }

TBitmap* Make(TBitmap& b, int w, int h) {
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(w, h);
  return &b;
}

}  // namespace

TEST(TCanvas, CopyRectStretchesWithTheCopyMode) {
  TBitmap src, dst;
  Make(src, 2, 1);
  Make(dst, 4, 1);
  src.Canvas()->SetPixels(0, 0, clRed);
  src.Canvas()->SetPixels(1, 0, clBlue);
  dst.Canvas()->CopyRect(Rect(0, 0, 4, 1), src.Canvas(), Rect(0, 0, 2, 1));
  EXPECT_EQ(At(dst, 1, 0), 0x00FF0000u);
  EXPECT_EQ(At(dst, 2, 0), 0x000000FFu);
  dst.Canvas()->SetCopyMode(DSTINVERT);
  dst.Canvas()->CopyRect(Rect(0, 0, 1, 1), src.Canvas(), Rect(0, 0, 1, 1));
  EXPECT_EQ(At(dst, 0, 0) & 0x00FFFFFF, 0x0000FFFFu);
}

TEST(TCanvas, PenModeAndStyleReachTheContext) {
  TBitmap b;
  Make(b, 4, 1);
  TCanvas* c = b.Canvas();
  c->Pen()->SetColor(clWhite);
  c->MoveTo(0, 0);
  c->LineTo(4, 0);
  EXPECT_EQ(At(b, 3, 0), 0x00FFFFFFu);
  c->Pen()->SetMode(TPenMode::pmXor);
  c->MoveTo(0, 0);
  c->LineTo(2, 0);
  EXPECT_EQ(At(b, 1, 0), 0u);
  EXPECT_EQ(At(b, 2, 0), 0x00FFFFFFu);
  c->Pen()->SetStyle(TPenStyle::psClear);
  c->Pen()->SetMode(TPenMode::pmCopy);
  c->MoveTo(0, 0);
  c->LineTo(4, 0);
  EXPECT_EQ(At(b, 0, 0), 0u);
}

TEST(TCanvas, TextRectClipsAndFillsWithTheBrush) {
  TBitmap b;
  Make(b, 60, 20);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clYellow);
  c->Font()->SetColor(clBlack);
  c->TextRect(Rect(2, 2, 20, 18), 2, 2, "WWWWWWWWWWWW");
  EXPECT_EQ(At(b, 19, 17), 0x00FFFF00u);  // the brush fills the rectangle
  for (int y = 0; y < 20; ++y)
    for (int x = 20; x < 60; ++x) ASSERT_EQ(At(b, x, y), 0u) << x << "," << y;  // nothing beyond it
}

TEST(TCanvas, OnChangeFiresForDrawingAndLockCounts) {
  TBitmap b;
  Make(b, 2, 2);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.Canvas()->FillRect(Rect(0, 0, 2, 2));
  b.Canvas()->Rectangle(0, 0, 2, 2);
  EXPECT_EQ(changes, 2);
  b.Canvas()->Lock();
  b.Canvas()->Lock();
  EXPECT_EQ(b.Canvas()->LockCount(), 2);
  b.Canvas()->Unlock();
  b.Canvas()->Unlock();
  EXPECT_EQ(b.Canvas()->LockCount(), 0);
}
