#pragma once
// Drawing helpers shared by the skinned control sources (not for use outside them).

#include <string>

#include "lib/vlSkinDescription.h"
#include "platform/GraphicsObjects.h"
#include "platform/Types.h"

class TBitmap;
class TvlSkinData;

namespace vlskinctrls_detail {

[[nodiscard]] bool RectsOverlap(const TRect& A, const TRect& B);
// True when R is a non-empty rectangle wholly inside a non-empty Picture.
[[nodiscard]] bool RectInsidePicture(const TRect& R, TBitmap* Picture);
// B becomes a 32-bit bitmap of W x H (sizes below 0 count as 0).
void PrepareBitmap(TBitmap* B, int W, int H);
// Piece becomes a copy of rectangle R of Picture; false (Piece untouched) when R is empty or
// not wholly inside the picture.
[[nodiscard]] bool CopyPiece(TBitmap* Piece, TBitmap* Picture, const TRect& R);
// Dest becomes W x H covered with Piece tiled from its top-left corner.
void TileOver(TBitmap* Dest, TBitmap* Piece, int W, int H);
// Dest becomes W x H covered with Piece stretched by Type: over the whole (vlstFull), as a
// column of the piece's width repeated across (vlstHorz), or as a row repeated down (vlstVert).
void StretchOver(TBitmap* Dest, TBitmap* Piece, int W, int H, TvlStretchType Type);
// Font takes the element's name, style and height (or DefaultFont without UseSkinFont), the
// colour, and the character set of the container's interface text table (else DefaultFont's).
void ApplyElementFont(TFont* Font, TvlSkinData* SkinData, const std::string& Name, TFontStyles Style, int Height,
                      TColor Color, TFont* DefaultFont, bool UseSkinFont);
void ApplySkinCharset(TFont* Font, TvlSkinData* SkinData, TFont* DefaultFont);

}  // namespace vlskinctrls_detail
