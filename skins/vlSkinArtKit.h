#pragma once
// The shared vocabulary of the skin generator: the one palette, the one corner radius, the faces
// every element is drawn with (light from above: raised faces run lighter to darker, pressed
// faces the other way), the small glyphs, the picture atlas the element images are packed into,
// and the nine-part geometry of an element.

#include <string>
#include <vector>

#include "lib/data/vlDataSkinControls.h"
#include "skins/vlArtCanvas.h"

namespace vlart {

// ---- palette ----
inline constexpr TvlArgb kWindow = vlHex(0xF3F5F8);       // form client background
inline constexpr TvlArgb kSurface = vlHex(0xFFFFFF);      // cards, fields, lists
inline constexpr TvlArgb kSurfaceLow = vlHex(0xF7F9FB);   // bottom of a raised face
inline constexpr TvlArgb kBar = vlHex(0xEDF0F4);          // tool bars, status bar, headers
inline constexpr TvlArgb kLine = vlHex(0xD3D9E1);         // separators, card borders
inline constexpr TvlArgb kBorder = vlHex(0xB9C2CD);       // control borders
inline constexpr TvlArgb kBorderStrong = vlHex(0x97A3B2); // scroll thumbs, strong outlines
inline constexpr TvlArgb kText = vlHex(0x1F2933);
inline constexpr TvlArgb kTextSoft = vlHex(0x5A6776);
inline constexpr TvlArgb kTextOff = vlHex(0xA3ACB7);
inline constexpr TvlArgb kAccent = vlHex(0x2F6FDB);
inline constexpr TvlArgb kAccentHover = vlHex(0x4483E6);
inline constexpr TvlArgb kAccentDown = vlHex(0x2158B5);
inline constexpr TvlArgb kAccentText = vlHex(0x1D55B3);
inline constexpr TvlArgb kHoverFace = vlHex(0xF1F6FE);
inline constexpr TvlArgb kHoverFaceLow = vlHex(0xE4EDFC);
inline constexpr TvlArgb kHoverBorder = vlHex(0x86A9E4);
inline constexpr TvlArgb kDownFace = vlHex(0xC5D8F6);
inline constexpr TvlArgb kDownFaceLow = vlHex(0xD3E2F9);
inline constexpr TvlArgb kDisabledFace = vlHex(0xF1F3F6);
inline constexpr TvlArgb kDisabledBorder = vlHex(0xDCE1E7);
inline constexpr TvlArgb kSelection = vlHex(0x2F6FDB);
inline constexpr TvlArgb kSelectionSoft = vlHex(0xDCE8FB);
inline constexpr TvlArgb kCaptionBand = vlHex(0xFFFFFF);
inline constexpr TvlArgb kCaptionInactive = vlHex(0xF6F7F9);
inline constexpr TvlArgb kDanger = vlHex(0xD9433B);
inline constexpr TvlArgb kWhite = vlHex(0xFFFFFF);
// Pictures: glyph strokes, and the few hues that give icons their meaning.
inline constexpr TvlArgb kInk = vlHex(0x4A5563);         // glyph strokes and outlines of grey things
inline constexpr TvlArgb kInkLine = vlHex(0x3B4552);     // the outline of a kInk shape
inline constexpr TvlArgb kMetal = vlHex(0xE9EDF2);       // top of a grey body (drives, bins)
inline constexpr TvlArgb kMetalLow = vlHex(0xC9D1DB);    // its bottom
inline constexpr TvlArgb kFolder = vlHex(0xF8CD5F);      // folders: front, top
inline constexpr TvlArgb kFolderLow = vlHex(0xF0B43C);   // front, bottom
inline constexpr TvlArgb kFolderBack = vlHex(0xE3A532);  // back plate and tab
inline constexpr TvlArgb kFolderLine = vlHex(0xC28417);
inline constexpr TvlArgb kSuccess = vlHex(0x2E9E5B);
inline constexpr TvlArgb kWarning = vlHex(0xEBA414);
inline constexpr TvlArgb kTeal = vlHex(0x1A9AA0);
inline constexpr TvlArgb kPurple = vlHex(0x7B5CD6);
inline constexpr TvlArgb kOrange = vlHex(0xE07A2F);
inline constexpr TvlArgb kIndigo = vlHex(0x4C5BD4);
inline constexpr TvlArgb kRose = vlHex(0xC2457A);
inline constexpr TvlArgb kSky = vlHex(0x2A8BC9);
inline constexpr TvlArgb kGraphite = vlHex(0x2F3945);

inline constexpr int kRadius = 4;  // every rounded corner
inline constexpr const char* kFontName = "微软雅黑";
inline constexpr int kFontHeight = 15;         // cell height of the controls' font (12-pixel em)
inline constexpr int kCaptionFontHeight = 16;  // the form caption

// ---- faces ----
enum class Face { Normal, Hover, Down, Disabled, Focused };
enum class FaceStyle {
  Raised,  // push buttons: light top, visible border
  Flat,    // tool buttons: invisible until hovered
  Header,  // list headers and tool-bar buttons of a resizable bar: a bar face with a bottom line
  Field,   // edits, combo boxes, list frames: white with a border, accent border when active
};
// One face of the style in state F over (L, T) - (R, B) in whole pixels.
void DrawFace(TvlArtCanvas& C, int L, int T, int R, int B, FaceStyle Style, Face F);
// The text colour that goes with a face.
[[nodiscard]] TvlArgb FaceText(Face F);

// ---- glyphs: small symbols centred in (L, T) - (R, B) ----
enum class Arrow { Left, Right, Up, Down };
void DrawArrow(TvlArtCanvas& C, const TRect& R, Arrow A, TvlArgb Colour, double Size = 4.0);
void DrawCheckMark(TvlArtCanvas& C, const TRect& R, TvlArgb Colour, double Width = 1.8);
void DrawCross(TvlArtCanvas& C, const TRect& R, TvlArgb Colour, double Size = 4.0, double Width = 1.3);
void DrawGrip(TvlArtCanvas& C, const TRect& R, bool Vertical, TvlArgb Colour);

// ---- the atlas ----
// Places pieces left to right in rows of the given width, 2 pixels apart, and answers each
// piece's rectangle in the finished picture.
class Atlas {
 public:
  explicit Atlas(int Width) : width_(Width) {}
  TRect Add(const TvlArtCanvas& Piece);
  // Adds a row of equally sized pieces side by side (the states of one element) and answers
  // their rectangles.
  std::vector<TRect> AddRow(const std::vector<TvlArtCanvas>& Pieces);
  [[nodiscard]] TvlArtCanvas Finish(TvlArgb Background) const;

 private:
  struct Piece {
    TvlArtCanvas Canvas;
    TRect Rect;
  };
  int width_;
  int x_ = 0, y_ = 0, rowHeight_ = 0;
  std::vector<Piece> pieces_;
};

// ---- geometry ----
// Nine-part geometry of an element of SkinRect's size with corners of Margin pixels (MarginY
// top and bottom when given), every part stretched.
void SetNineParts(TvlDataSkinCustomControl& E, const TRect& SkinRect, int Margin, int MarginY = -1);
// Rectangle (X, Y, X + W, Y + H).
[[nodiscard]] inline TRect Box(int X, int Y, int W, int H) { return TRect{X, Y, X + W, Y + H}; }
// The same rectangle moved so that its top-left is Origin-relative.
[[nodiscard]] inline TRect Relative(const TRect& R, const TRect& Origin) {
  return TRect{R.Left - Origin.Left, R.Top - Origin.Top, R.Right - Origin.Left, R.Bottom - Origin.Top};
}

// Font fields of every kind with a font.
template <typename T>
void SetFont(T& E, TvlArgb Colour, int Height = kFontHeight) {
  E.FontName = kFontName;
  E.FontHeight = Height;
  E.FontColor = vlToTColor(Colour);
}

}  // namespace vlart
