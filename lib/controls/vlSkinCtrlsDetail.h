#pragma once
// Drawing helpers shared by the skinned control sources (not for use outside them).

#include <string>

#include "lib/data/vlSkinDescription.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/core/Types.h"

class TBitmap;
class TCanvas;
class TStrings;
class TWinControl;
class TvlSkinData;
class TvlDataSkinButtonControl;

namespace vlskinctrls_detail {

[[nodiscard]] bool RectsOverlap(const TRect& A, const TRect& B);
// True when R is a non-empty rectangle wholly inside a non-empty Picture.
[[nodiscard]] bool RectInsidePicture(const TRect& R, TBitmap* Picture);
// Piece becomes a copy of rectangle R of Picture; false (Piece untouched) when R is empty or
// not wholly inside the picture.
[[nodiscard]] bool CopyPiece(TBitmap* Piece, TBitmap* Picture, const TRect& R);
// Dest becomes W x H covered with Piece tiled from its top-left corner.
void TileOver(TBitmap* Dest, TBitmap* Piece, int W, int H);
// Dest becomes W x H covered with Piece stretched by Type: over the whole (vlstFull), as a
// column of the piece's width repeated across (vlstHorz), or as a row repeated down (vlstVert).
void StretchOver(TBitmap* Dest, TBitmap* Piece, int W, int H, TvlStretchType Type);

// A piece of a skin picture drawn at (X, Y) with its bottom-left pixel's colour left out.
void DrawPieceTransparent(TCanvas* C, TBitmap* Picture, const TRect& R, int X, int Y);
// The frame (1-based) of a glyph strip of NumGlyphs frames for a button state: 3 pressed under
// the mouse, 4 under the mouse, 2 disabled, each only when the strip has that many; else 1.
[[nodiscard]] int GlyphFrameNumber(bool ADown, bool AMouseIn, bool AEnabled, int NumGlyphs);
// The face of a freely sized button: rectangle R of Picture stretched over the whole of B (B's
// size stays) by the element's resize mode - 0 stretched as one piece, 2 and 3 as a nine-part
// image with ClRect as its centre; other modes draw nothing. Returns the content rectangle,
// ClRect grown by the size difference.
TRect DrawFreeSizeFace(TBitmap* B, TBitmap* Picture, const TRect& R, int ResizeMode, const TRect& ClRect);
// Glyph, when empty, becomes the image of the action Sender (a custom action whose list has
// images and whose ImageIndex lies in it) on a fuchsia background; true when it changed.
bool GlyphFromActionImage(TBitmap* Glyph, TObject* Sender);
// A press on a control that takes the focus moves the focus to it first, ClicksDisabled set
// meanwhile. False when the control is gone or still has no focus: the press is dropped.
[[nodiscard]] bool FocusForPress(TWinControl* C, bool& ClicksDisabled);
// Scrolls Window's bar Kind (SB_HORZ or SB_VERT) to Position: the whole position goes to the
// window's bar first, then the thumb message, which carries only its low 16 bits, makes the
// window read it back from its bar. Redraw repaints the window's own bar.
void ScrollToThumbPosition(TWinControl* Window, int Kind, int Position, bool Redraw);
// The built-in face of a control: a 1-pixel Frame around a Fill.
void DrawBuiltinFace(TCanvas* C, const TRect& R, TColor Frame, TColor Fill);
// Rectangle Image of Picture (a state picture of the button element E) composed as E's
// nine-part image at B's size, with E's stretch flags, and drawn over B.
void DrawButtonElementFace(TBitmap* B, TBitmap* Picture, const TvlDataSkinButtonControl& E, const TRect& Image);

// The colours every built-in look shares: hover and pressed fills inside a navy frame.
constexpr TColor kBuiltinHoverFill = static_cast<TColor>(182 | (189 << 8) | (210 << 16));
constexpr TColor kBuiltinDownFill = static_cast<TColor>(133 | (147 << 8) | (181 << 16));
// Grey text of a disabled state whose element gives no colour of its own.
constexpr TColor kDisabledGrey = static_cast<TColor>(0x808080);

// ---- Combo box parts (the skinned combo box and the office combo box) ----

// The built-in small button: a navy frame with the pressed or hot fill, else the button face;
// then a down arrow, grey when disabled.
void DrawBuiltinComboButton(TCanvas* C, const TRect& R, bool Pressed, bool Hot, bool Enabled);
// The combo element's own button state: Disabled (when not empty and the box is disabled), else
// Down when pressed, else Active when hot, copied from Picture onto R; nothing for the normal
// state, which the element's picture already shows.
void DrawComboStateButton(TCanvas* C, TBitmap* Picture, const TRect& R, bool Enabled, bool Pressed, bool Hot,
                          const TRect& Disabled, const TRect& Down, const TRect& Active);
// The button of a freely sized combo box from the skin's "combobutton", "editbutton" or
// "resizebutton" element, with a down arrow (enabled boxes only, 2 pixels lower when pressed) or
// the element's menu marker cut from BoxPicture (1 pixel lower when pressed). Nothing without
// such an element.
void DrawComboElementButton(TCanvas* C, TvlSkinData* SkinData, TBitmap* BoxPicture, const TRect& R, bool Pressed,
                            bool Hot, bool Enabled);
// The built-in face of a tool-button combo box: open, hot or normal.
void DrawBuiltinToolFace(TCanvas* C, int W, int H, bool Open, bool Hot);
// The skin face of a tool-button combo box over the whole of B from "resizetoolbutton" or
// "resizebutton"; the element drawn, nullptr (nothing drawn) without one.
TvlDataSkinButtonControl* DrawSkinToolFace(TBitmap* B, TvlSkinData* SkinData, bool Open, bool Hot);
// The arrow area of a skin tool button: E's menu marker (cut from BoxPicture) or a drop-down
// arrow in E's down colour while open, else in the canvas's font colour.
void DrawToolArrow(TCanvas* C, const TvlDataSkinButtonControl& E, TBitmap* BoxPicture, const TRect& R, bool Open,
                   bool Hot);
// Text drawn with the tab stops of the first ten lines of TabWidths (a line of digits gives its
// number, any other line 0) at R.Left + 2, centred vertically in R.
void DrawTabbedTextIn(TCanvas* C, const std::string& Text, const TRect& R, TStrings* TabWidths);
// An image at R's left with Caption beside it on one line: a caption wider than the room left
// ends in "..." rather than wrapping under itself.
void DrawImageAndCaptionOnOneLine(TCanvas* C, const TRect& R, const std::string& Caption, int ImageIndex,
                                  TCustomImageList* Images, bool Enabled);
// The disabled text colour of a skinned box: the "edit" element's, else clGrayText.
[[nodiscard]] TColor EditDisabledColour(TvlSkinData* SkinData);

}  // namespace vlskinctrls_detail
