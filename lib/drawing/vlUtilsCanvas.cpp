// The canvas forms of the shared drawing services (declared in vlUtils.h): each hands the
// canvas's context, with the canvas's font selected, to the context form.

#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlSkinData.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/controls/ImageList.h"

HDC vlutils_detail::CanvasTextContext(TCanvas* Canvas) {
  HDC dc = Canvas->Handle();
  SelectObject(dc, Canvas->Font()->Handle());
  SetTextColor(dc, ColorToRGB(Canvas->Font()->Color()));
  // The brush decides the text's background as in the canvas's own text output: a clear brush
  // leaves what is under the text, a solid one fills its box. The context keeps whatever mode
  // and colour it was last given, so a brush changed since then would not show otherwise.
  SetBkColor(dc, ColorToRGB(Canvas->Brush()->Color()));
  SetBkMode(dc, Canvas->Brush()->Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
  return dc;
}

namespace {

using vlutils_detail::CanvasTextContext;

void DrawImageOrGlyph(TCanvas* Canvas, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                      const std::string& ACaption, int AImageIndex, TCustomImageList* AImageList, bool ADown,
                      bool AEnabled, bool ADrawColorMarker, TColor AColorMarkerValue, bool ACentreText) {
  if (!Canvas) return;
  const bool hasImage = AImageList && AImageIndex >= 0 && AImageIndex < AImageList->Count();
  const TSize image = hasImage ? TSize{AImageList->Width(), AImageList->Height()} : TSize{0, 0};
  Canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  vlutils_detail::DrawImageAndTextCore(
      CanvasTextContext(Canvas), ARect, AMargin, ASpacing, ALayout, ACaption, image, image.cx,
      [&](TPoint p) { AImageList->Draw(Canvas, p.X, p.Y, AImageIndex, AEnabled); }, ADown, ACentreText,
      ADrawColorMarker, AColorMarkerValue, false);
}

}  // namespace

void DrawImageAndText(TCanvas* Canvas, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                      const std::string& ACaption, int AImageIndex, TCustomImageList* AImageList, bool ADown,
                      bool AEnabled, bool ADrawColorMarker, TColor AColorMarkerValue) {
  DrawImageOrGlyph(Canvas, ARect, AMargin, ASpacing, ALayout, ACaption, AImageIndex, AImageList, ADown, AEnabled,
                   ADrawColorMarker, AColorMarkerValue, true);
}

void DrawImageAndTextLeft(TCanvas* Canvas, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                          const std::string& ACaption, int AImageIndex, TCustomImageList* AImageList, bool ADown,
                          bool AEnabled, bool ADrawColorMarker, TColor AColorMarkerValue) {
  DrawImageOrGlyph(Canvas, ARect, AMargin, ASpacing, ALayout, ACaption, AImageIndex, AImageList, ADown, AEnabled,
                   ADrawColorMarker, AColorMarkerValue, false);
}

void DrawGlyphAndText(TCanvas* Canvas, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                      const std::string& ACaption, TBitmap* AGlyph, int ANumGlyphs, int AGlyphNum, bool ADown,
                      bool ADrawColorMarker, TColor AColorMarkerValue) {
  if (!Canvas) return;
  Canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawGlyphAndText(CanvasTextContext(Canvas), ARect, AMargin, ASpacing, ALayout, ACaption, AGlyph, ANumGlyphs, AGlyphNum,
                   ADown, ADrawColorMarker, AColorMarkerValue);
}

int DrawTextWide(TCanvas* Canvas, const std::string& Text, TRect& Rect, UINT Flags) {
  return Canvas ? DrawTextWide(CanvasTextContext(Canvas), Text, Rect, Flags) : 0;
}
int CalcTextWidth(TCanvas* Canvas, const std::string& Text) {
  return Canvas ? CalcTextWidth(CanvasTextContext(Canvas), Text) : 0;
}
int CalcTextHeight(TCanvas* Canvas, const std::string& Text) {
  return Canvas ? CalcTextHeight(CanvasTextContext(Canvas), Text) : 0;
}
void FitTextWithEllipsisW(TCanvas* Canvas, std::string& Text, int MaxWidth) {
  if (Canvas) FitTextWithEllipsisW(CanvasTextContext(Canvas), Text, MaxWidth);
}
void FitTextWithEllipsis(TCanvas* Canvas, std::string& Text, int MaxWidth) {
  if (Canvas) FitTextWithEllipsis(CanvasTextContext(Canvas), Text, MaxWidth);
}
void DrawTextVCenter(TCanvas* Canvas, const std::string& Text, const TRect& Rect) {
  if (Canvas) DrawTextVCenter(CanvasTextContext(Canvas), Text, Rect);
}
void DrawTextAtLeft(TCanvas* Canvas, const std::string& Text, const TRect& Rect) {
  if (Canvas) DrawTextAtLeft(CanvasTextContext(Canvas), Text, Rect);
}
void DrawTextAtLeftOffset(TCanvas* Canvas, const std::string& Text, const TRect& Rect, int Offset) {
  if (Canvas) DrawTextAtLeftOffset(CanvasTextContext(Canvas), Text, Rect, Offset);
}
void DrawDottedFocusRect(TCanvas* Canvas, const TRect& Rect) {
  if (Canvas) DrawDottedFocusRect(CanvasTextContext(Canvas), Rect);
}
void DrawGlyphFrame(TCanvas* Canvas, int X, int Y, TBitmap* Glyph, int NumGlyphs, int GlyphNum) {
  if (Canvas) DrawGlyphFrame(Canvas->Handle(), X, Y, Glyph, NumGlyphs, GlyphNum);
}
void DrawDropDownArrow(TCanvas* Canvas, const TRect& Rect, TColor Color) {
  if (Canvas) DrawDropDownArrow(Canvas->Handle(), Rect, Color);
}
void DrawArrowGlyph(TCanvas* Canvas, const TRect& Rect, TColor Color, int Direction) {
  if (Canvas) DrawArrowGlyph(Canvas->Handle(), Rect, Color, Direction);
}

#define VL_CANVAS_GLYPH(Name) \
  void Name(TCanvas* Canvas, int X, int Y, TColor Color) { \
    if (Canvas) Name(Canvas->Handle(), X, Y, Color);        \
  }
VL_CANVAS_GLYPH(DrawCheckGlyph)
VL_CANVAS_GLYPH(DrawRadioDot)
VL_CANVAS_GLYPH(DrawCloseGlyph)
VL_CANVAS_GLYPH(DrawSysMenuGlyph)
VL_CANVAS_GLYPH(DrawMinimizeGlyph)
VL_CANVAS_GLYPH(DrawMaximizeGlyph)
VL_CANVAS_GLYPH(DrawRestoreGlyph)
VL_CANVAS_GLYPH(DrawRollDownGlyph)
VL_CANVAS_GLYPH(DrawRollUpGlyph)
VL_CANVAS_GLYPH(DrawTrayGlyph)
#undef VL_CANVAS_GLYPH

namespace vlskinctrls_detail {

void PrepareBitmap(TBitmap* B, int W, int H) {
  B->SetPixelFormat(TPixelFormat::pf32bit);
  B->SetSize(std::max(W, 0), std::max(H, 0));
}

void ApplyElementFont(TFont* Font, TvlSkinData* SkinData, const std::string& Name, TFontStyles Style, int Height,
                      TColor Color, TFont* DefaultFont, bool UseSkinFont) {
  if (UseSkinFont) {
    Font->SetName(Name);
    Font->SetStyle(Style);
    Font->SetHeight(Height);
  } else if (DefaultFont) {
    Font->Assign(DefaultFont);
  }
  Font->SetColor(Color);
  ApplySkinCharset(Font, SkinData, DefaultFont);
}

void ApplySkinCharset(TFont* Font, TvlSkinData* SkinData, TFont* DefaultFont) {
  if (SkinData && SkinData->ResourceStrData())
    Font->SetCharset(SkinData->ResourceStrData()->CharSet);
  else if (DefaultFont)
    Font->SetCharset(DefaultFont->Charset());
}

}  // namespace vlskinctrls_detail
