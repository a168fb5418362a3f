#pragma once
// Shared drawing services of the skin library: rectangle arithmetic, text measuring and
// placing, built-in glyphs, image-beside-caption layout, the composition of skin element
// pictures of any size from their strip or nine-part description, frame border pieces, window
// regions from black-and-white masks, and a few text and stream conversions.
//
// Drawing targets are device contexts (a canvas passes its handle). The composition routines
// work on framework bitmaps: Dest is resized (and cleared) by the routine and becomes 32 bits a
// pixel; every copy is a rectangle copy that stretches when source and target sizes differ.
// Skin geometry is untrusted: every copy is clipped, empty or crossed parts draw nothing, and
// a target size beyond the bitmap limits leaves Dest empty.
//
// GUI thread only.

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/graphics/Gdi.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/core/Types.h"

class TBitmap;
class TCanvas;
class TCustomImageList;
class TStream;
class TvlBitmap;
// Defined with the skin descriptions (vlSkinDescription.h).
enum class TvlStretchType;
enum class TvlButtonLayout;

// ---- Rectangles and numbers --------------------------------------------------------------------

// V clamped to the int range: what the rectangle helpers answer when skin data would overflow.
[[nodiscard]] inline int vlSaturate(std::int64_t V) {
  if (V < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (V > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(V);
}
[[nodiscard]] inline int vlSaturatedAdd(int A, int B) { return vlSaturate(std::int64_t{A} + B); }
// Width and height computed in 64 bits, so even hostile coordinates give a (clamped) answer.
[[nodiscard]] inline int RectWidth(const TRect& R) { return vlSaturate(std::int64_t{R.Right} - R.Left); }
[[nodiscard]] inline int RectHeight(const TRect& R) { return vlSaturate(std::int64_t{R.Bottom} - R.Top); }
// True when every coordinate of the nine-part geometry, the element's rectangle and the target
// size lies within +-2^24: the composition routines compose nothing otherwise, so their sums of
// a few coordinates cannot overflow.
struct TvlNinePartGeometry;
[[nodiscard]] bool vlIsComposable(const TvlNinePartGeometry& G, const TRect& SkinRect, int NewWidth, int NewHeight);
inline void SetNullRect(TRect& R) { R = TRect{0, 0, 0, 0}; }
// True when the width or the height is 0 or negative.
[[nodiscard]] inline bool IsNullRect(const TRect& R) { return RectWidth(R) <= 0 || RectHeight(R) <= 0; }
[[nodiscard]] inline bool RectsEqual(const TRect& R1, const TRect& R2) { return R1 == R2; }
// True when either coordinate is 0.
[[nodiscard]] inline bool IsNullPoint(const TPoint& P) { return P.X == 0 || P.Y == 0; }
// Right and bottom edges included.
[[nodiscard]] bool IsPointInRect(const TRect& R, const TPoint& P);
// Both corners of R1 in R2, R2's right and bottom edges excluded.
[[nodiscard]] bool IsRectInRect(const TRect& R1, const TRect& R2);
// True when R1's top or bottom falls within R2's rows.
[[nodiscard]] bool RectVertOverlaps(const TRect& R1, const TRect& R2);
[[nodiscard]] inline int IntMax(int A, int B) { return A > B ? A : B; }
[[nodiscard]] inline int IntMin(int A, int B) { return A < B ? A : B; }

// ---- Text ---------------------------------------------------------------------------------------

// The system's text drawing of the whole text; returns its result (the text height).
int DrawTextWide(HDC DC, const std::string& Text, TRect& Rect, UINT Flags);
[[nodiscard]] int CalcTextWidth(HDC DC, const std::string& Text);
[[nodiscard]] int CalcTextHeight(HDC DC, const std::string& Text);
// Shortens Text (by whole characters from the end) so that it plus "..." fits MaxWidth; a text
// that fits is unchanged. The W form measures with DrawTextWide, the other with the text extent.
void FitTextWithEllipsisW(HDC DC, std::string& Text, int MaxWidth);
void FitTextWithEllipsis(HDC DC, std::string& Text, int MaxWidth);
void DrawTextVCenter(HDC DC, const std::string& Text, const TRect& Rect);
void DrawTextAtLeft(HDC DC, const std::string& Text, const TRect& Rect);
void DrawTextAtLeftOffset(HDC DC, const std::string& Text, const TRect& Rect, int Offset);

// ---- Glyphs (pen colour Color; lines end before their second point) -----------------------------

void DrawDropDownArrow(HDC DC, const TRect& Rect, TColor Color);
// Direction 1 left, 2 right, 3 up, 4 down; others draw nothing.
void DrawArrowGlyph(HDC DC, const TRect& Rect, TColor Color, int Direction);
void DrawCheckGlyph(HDC DC, int X, int Y, TColor Color);
void DrawRadioDot(HDC DC, int X, int Y, TColor Color);
// A dotted frame in the context's text colour, the pattern continuous around the corners.
void DrawDottedFocusRect(HDC DC, const TRect& Rect);
// Frame GlyphNum (from 1) of a horizontal strip of NumGlyphs frames, drawn with its
// bottom-left pixel's colour transparent.
void DrawGlyphFrame(HDC DC, int X, int Y, TBitmap* Glyph, int NumGlyphs, int GlyphNum);
void DrawCloseGlyph(HDC DC, int X, int Y, TColor Color);
void DrawSysMenuGlyph(HDC DC, int X, int Y, TColor Color);
void DrawMinimizeGlyph(HDC DC, int X, int Y, TColor Color);
void DrawMaximizeGlyph(HDC DC, int X, int Y, TColor Color);
void DrawRestoreGlyph(HDC DC, int X, int Y, TColor Color);
void DrawRollDownGlyph(HDC DC, int X, int Y, TColor Color);
void DrawRollUpGlyph(HDC DC, int X, int Y, TColor Color);
void DrawTrayGlyph(HDC DC, int X, int Y, TColor Color);

// ---- Image beside a caption --------------------------------------------------------------------

// Where the image and the text of a button go (before the pressed offset is applied).
struct TvlImageTextLayout {
  TPoint Image;
  TPoint Text;
};
// Placement of an image of ImageSize and a text of TextSize in ARect; AMargin -1 centres them
// as a group, any other value is the image's distance from the layout's side. The spacing
// counts only when the image has a width.
[[nodiscard]] TvlImageTextLayout LayoutImageAndText(const TRect& ARect, int AMargin, int ASpacing,
                                                    TvlButtonLayout ALayout, TSize ImageSize, TSize TextSize);
// Frame AGlyphNum of AGlyph (ANumGlyphs frames) and the caption laid out in ARect.
void DrawGlyphAndText(HDC DC, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                      const std::string& ACaption, TBitmap* AGlyph, int ANumGlyphs, int AGlyphNum, bool ADown,
                      bool ADrawColorMarker, TColor AColorMarkerValue);
// Image AImageIndex of AImageList (none when the index or the list is missing) and the caption
// laid out in ARect, the caption centred (or left-aligned: DrawImageAndTextLeft).
void DrawImageAndText(TCanvas* Canvas, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                      const std::string& ACaption, int AImageIndex, TCustomImageList* AImageList, bool ADown,
                      bool AEnabled, bool ADrawColorMarker, TColor AColorMarkerValue);
void DrawImageAndTextLeft(TCanvas* Canvas, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                          const std::string& ACaption, int AImageIndex, TCustomImageList* AImageList, bool ADown,
                          bool AEnabled, bool ADrawColorMarker, TColor AColorMarkerValue);
void DrawGlyphAndText(TCanvas* Canvas, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                      const std::string& ACaption, TBitmap* AGlyph, int ANumGlyphs, int AGlyphNum, bool ADown,
                      bool ADrawColorMarker, TColor AColorMarkerValue);

// The parent-background copy (DrawParentBackground, DrawParentBackgroundRect) lives with the
// skinned controls (vlSkinCtrls.h): it paints a control's parent and its windowless siblings.

// ---- Canvas forms ------------------------------------------------------------------------------
// Each draws on the canvas's context with the canvas's font (and its colour for text).

int DrawTextWide(TCanvas* Canvas, const std::string& Text, TRect& Rect, UINT Flags);
[[nodiscard]] int CalcTextWidth(TCanvas* Canvas, const std::string& Text);
[[nodiscard]] int CalcTextHeight(TCanvas* Canvas, const std::string& Text);
void FitTextWithEllipsisW(TCanvas* Canvas, std::string& Text, int MaxWidth);
void FitTextWithEllipsis(TCanvas* Canvas, std::string& Text, int MaxWidth);
void DrawTextVCenter(TCanvas* Canvas, const std::string& Text, const TRect& Rect);
void DrawTextAtLeft(TCanvas* Canvas, const std::string& Text, const TRect& Rect);
void DrawTextAtLeftOffset(TCanvas* Canvas, const std::string& Text, const TRect& Rect, int Offset);
void DrawDropDownArrow(TCanvas* Canvas, const TRect& Rect, TColor Color);
void DrawArrowGlyph(TCanvas* Canvas, const TRect& Rect, TColor Color, int Direction);
void DrawCheckGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRadioDot(TCanvas* Canvas, int X, int Y, TColor Color);
// In the canvas's font colour.
void DrawDottedFocusRect(TCanvas* Canvas, const TRect& Rect);
void DrawGlyphFrame(TCanvas* Canvas, int X, int Y, TBitmap* Glyph, int NumGlyphs, int GlyphNum);
void DrawCloseGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawSysMenuGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMinimizeGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMaximizeGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRestoreGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRollDownGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRollUpGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawTrayGlyph(TCanvas* Canvas, int X, int Y, TColor Color);

namespace vlutils_detail {
// The body shared by the image-and-caption routines: DrawImage draws the image at the point.
void DrawImageAndTextCore(HDC DC, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                          const std::string& ACaption, TSize Image, int MarkerWidth,
                          const std::function<void(TPoint)>& DrawImage, bool ADown, bool ACentreText,
                          bool ADrawColorMarker, TColor AColorMarkerValue, bool AShiftMarkerWhenDown);

// The canvas's context with its font, font colour and the brush's text background (none under
// a clear brush, the brush colour under a solid one) in place, for text drawn through the
// context forms behind the canvas's back.
// Canvas must not be null.
HDC CanvasTextContext(TCanvas* Canvas);

// Round half to even, saturated to the int range (so absurd factors cannot overflow); NaN
// gives 0. Inline: the effects call it once a pixel.
[[nodiscard]] inline int RoundEven(double v) {
  if (!(v == v)) return 0;
  const double r = std::nearbyint(v);
  if (r >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (r <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(r);
}

// A memory device context with a bitmap selected for the life of the object. Get() is null
// when the context could not be made or the bitmap could not be selected.
class SelectedBitmap {
 public:
  explicit SelectedBitmap(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_) old_ = SelectObject(dc_, bitmap);
  }
  ~SelectedBitmap() {
    if (!dc_) return;
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
  [[nodiscard]] HDC Get() const { return old_ ? dc_ : nullptr; }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};
}  // namespace vlutils_detail

// ---- Text and stream conversions ---------------------------------------------------------------

// A 32-bit character count N, then N UTF-16 characters. Reading raises EReadError when the
// count is negative or more than the stream still holds.
void ReadStreamString(TStream* Stream, std::string& S);
void WriteStreamString(TStream* Stream, const std::string& S);
// Four integers separated by any of " (),:;="; (0, 0, 0, 0) when any is not an integer.
[[nodiscard]] TRect RectFromText(const std::string& Text);

// ---- Skin image composition --------------------------------------------------------------------

// Horizontal strip of NewWidth x SrcRect height: LOffset and ROffset end columns kept, the
// middle stretched (StretchEffect) or tiled. NewHeight is not used.
void ComposeSkinStrip(int LOffset, int ROffset, TBitmap* Dest, TBitmap* Picture, const TRect& SrcRect,
                      int NewWidth, int NewHeight, bool StretchEffect);
// The same without the right end: the middle runs to NewWidth.
void ComposeSkinStripOpenRight(int LOffset, int ROffset, TBitmap* Dest, TBitmap* Picture, const TRect& SrcRect,
                               int NewWidth, int NewHeight, bool StretchEffect);
// Only the middle, over the whole width.
void ComposeSkinStripMiddle(int LOffset, int ROffset, TBitmap* Dest, TBitmap* Picture, const TRect& SrcRect,
                            int NewWidth, int NewHeight, bool StretchEffect);
// Vertical strip of SrcRect width x NewHeight. NewWidth is not used.
void ComposeSkinStripVert(int TopOffset, int BottomOffset, TBitmap* Dest, TBitmap* Picture, const TRect& SrcRect,
                          int NewWidth, int NewHeight, bool StretchEffect);

// The source and target geometry of a nine-part element (source points relative to SkinRect's
// top-left corner, target points in target coordinates).
//
//   0      LTPt.X          RTPt.X   width
//   +--------+---------------+--------+ 0
//   | corner |   top edge    | corner |
//   +--+-----+---------------+-----+--+ ClRect.Top
//   |  |                           |  |  (left band rows ClRect.Top..LTPt.Y fixed,
//   |L |          client           | R|   LTPt.Y..LBPt.Y grow, LBPt.Y..ClRect.Bottom fixed)
//   |  |                           |  |
//   +--+-----+---------------+-----+--+ ClRect.Bottom
//   | corner |  bottom edge  | corner |
//   +--------+---------------+--------+ height
//            LBPt.X          RBPt.X
struct TvlNinePartGeometry {
  TPoint LTPt, RTPt, LBPt, RBPt;
  TRect ClRect;
  TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
  TRect NewClRect;

  // The element's own points with the target ones moved for a target DeltaWidth wider and
  // DeltaHeight higher than the element: the right corners move right, the lower ones down and
  // the client rectangle grows by both.
  [[nodiscard]] static TvlNinePartGeometry Grown(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                                                 int DeltaWidth, int DeltaHeight);
};

// Per edge: the grown part of the edge piece is stretched (true) or tiled (false).
struct TvlStretchSides {
  bool Left = false;
  bool Top = false;
  bool Right = false;
  bool Bottom = false;
};

// How the client part of a nine-part image is filled.
struct TvlClientFill {
  bool Draw = true;      // false leaves the client part blank
  bool Stretch = false;  // stretch (by Type) instead of tiling
  TvlStretchType Type{};  // vlstFull unless set
};

// The four border pieces a frame is cut into (any of them may be shared by the caller).
struct TvlBorderPieces {
  TBitmap* Left = nullptr;
  TBitmap* Top = nullptr;
  TBitmap* Right = nullptr;
  TBitmap* Bottom = nullptr;
};

// The nine-part image of the element at SkinRect of Picture, at NewWidth x NewHeight.
void ComposeSkinImage(const TvlNinePartGeometry& G, TBitmap* Dest, TBitmap* Picture, const TRect& SkinRect,
                      int NewWidth, int NewHeight, TvlStretchSides Sides, TvlClientFill Client);
// As ComposeSkinImage with nothing on the right: edges and client run to NewWidth (Sides.Right
// is not used).
void ComposeSkinImageOpenRight(const TvlNinePartGeometry& G, TBitmap* Dest, TBitmap* Picture, const TRect& SkinRect,
                               int NewWidth, int NewHeight, TvlStretchSides Sides, TvlClientFill Client);
// A nine-part image of Dest's current size with every part stretched.
void ComposeStretchedSkinImage(TBitmap* Dest, TBitmap* Picture, TRect SkinRect, TRect ClRect, bool DrawClient);
// The four border pieces of a skinned frame of NewWidth x NewHeight. Nothing unless all four
// pieces are given.
void ComposeSkinBorders(const TvlNinePartGeometry& G, TvlBorderPieces Pieces, TBitmap* Picture,
                        const TRect& SkinRect, int NewWidth, int NewHeight, TvlStretchSides Sides);
// The four border pieces of a frame mask (laid out like the element's picture) for a frame
// NewWidth wide.
void ComposeMaskBorders(const TvlNinePartGeometry& G, TBitmap* Mask, TvlBorderPieces Pieces, int NewWidth);

// ---- Regions from masks ------------------------------------------------------------------------

// Region data (header of 32 bytes, then one rectangle per maximal horizontal run of black
// pixels, row by row) of Mask placed at (X, Y); empty for an empty mask. Every run is kept.
[[nodiscard]] std::vector<std::uint8_t> BuildMaskRegionData(TBitmap* Mask, int X, int Y);
// The region of Mask's black pixels at (0, 0); nullptr for an empty mask. The caller owns it.
void CreateRegionFromMask(HRGN& Rgn, TBitmap* Mask);
// The window region of a nine-part window: the target client rectangle united with the black
// pixels of the four mask pieces; nullptr when the target points cross or the client is empty.
void CreateSkinRegion(HRGN& Rgn, const TvlNinePartGeometry& G, TBitmap* Mask, int NewWidth, int NewHeight);

// ---- System queries ----------------------------------------------------------------------------

// Windows-style version numbers the feature tests read (major, minor).
struct TvlWindowsVersion {
  int Major = 0;
  int Minor = 0;
};
// The version this platform reports: 6.1, which enables layered windows, drop shadows and the
// later looks.
[[nodiscard]] TvlWindowsVersion GetWindowsVersion();
[[nodiscard]] bool IsWin2000OrLater(TvlWindowsVersion V);
[[nodiscard]] bool IsXPOrLater(TvlWindowsVersion V);
[[nodiscard]] bool IsVistaOrLater(TvlWindowsVersion V);
[[nodiscard]] bool IsWin2000OrLater();
[[nodiscard]] bool IsXPOrLater();
[[nodiscard]] bool IsVistaOrLater();
// Processor identification: whether the identification instruction exists, the signature
// (function 1, first register) and the feature bits (function 1, feature register); 0 where the
// processor has no such instruction.
[[nodiscard]] bool CPUIDAvailable();
[[nodiscard]] DWORD CPUSignature();
[[nodiscard]] DWORD CPUFeatures();
// Identification available, family 5 or later and feature bit 23: the vector blend routines
// are in use. EndMMX has nothing to clear in portable code.
[[nodiscard]] bool HasMMX();
inline void EndMMX() {}

// Dest takes Image (opaque) with the grey level of Mask as every pixel's alpha.
void ImageMaskToAlphaBitmap(TBitmap* Image, TBitmap* Mask, TvlBitmap* Dest);

// ---- Timers --------------------------------------------------------------------------------------

class TComponent;
class TObject;
class TTimer;
using TvlTimerEvent = std::function<void(TObject* Sender)>;
// A timer owned by Owner, stopped, with its interval (milliseconds) and tick handler.
TTimer* vlNewStoppedTimer(TComponent* Owner, unsigned Interval, TvlTimerEvent OnTimer);

class TBitmap;
class TFont;
class TvlSkinData;

// Helpers of the skinned controls and menus.
namespace vlskinctrls_detail {
// B becomes a 32-bit bitmap of W x H (sizes below 0 count as 0).
void PrepareBitmap(TBitmap* B, int W, int H);
// Font takes the element's name, style and height (or DefaultFont without UseSkinFont), the
// colour, and the character set of the container's interface text table (else DefaultFont's).
void ApplyElementFont(TFont* Font, TvlSkinData* SkinData, const std::string& Name, TFontStyles Style, int Height,
                      TColor Color, TFont* DefaultFont, bool UseSkinFont);
void ApplySkinCharset(TFont* Font, TvlSkinData* SkinData, TFont* DefaultFont);
}  // namespace vlskinctrls_detail
