#pragma once
// TvlArtCanvas: the drawing surface the skin generator paints every skin picture and built-in
// picture on. Straight-alpha 0xAARRGGBB pixels; shapes are anti-aliased by 4 x 4 supersampling,
// and rectangles whose edges lie on whole pixels stay crisp (a 1-pixel line is one pixel wide).
// Text is drawn with the platform's font engine.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Types.h"

class TBitmap;

using TvlArgb = std::uint32_t;

[[nodiscard]] constexpr TvlArgb vlRgb(int r, int g, int b, int a = 255) {
  return (static_cast<TvlArgb>(a) << 24) | (static_cast<TvlArgb>(r) << 16) | (static_cast<TvlArgb>(g) << 8) |
         static_cast<TvlArgb>(b);
}
// A colour given as 0xRRGGBB, opaque.
[[nodiscard]] constexpr TvlArgb vlHex(std::uint32_t rgb) { return 0xFF000000u | rgb; }
// The colour T of the way from A to B (0 .. 1), alpha included.
[[nodiscard]] TvlArgb vlMix(TvlArgb A, TvlArgb B, double T);
[[nodiscard]] TvlArgb vlWithAlpha(TvlArgb C, int Alpha);
// The skin description's colour value (0x00BBGGRR) of a colour.
[[nodiscard]] TColor vlToTColor(TvlArgb C);

struct TvlPointF {
  double X, Y;
};

// A font request of the generator: face name, em size in pixels, bold.
struct TvlArtFont {
  std::string Face = "微软雅黑";
  int EmPixels = 12;
  bool Bold = false;
};

class TvlArtCanvas {
 public:
  TvlArtCanvas() = default;
  TvlArtCanvas(int Width, int Height, TvlArgb Fill = 0);

  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }
  [[nodiscard]] TvlArgb Pixel(int X, int Y) const;
  void SetPixel(int X, int Y, TvlArgb C);
  // Source-over of C, scaled by Cover (0 .. 1), onto pixel (X, Y); outside the canvas nothing.
  void Blend(int X, int Y, TvlArgb C, double Cover = 1.0);

  void Clear(TvlArgb C);
  // Pixels L <= x < R, T <= y < B, blended.
  void FillRect(int L, int T, int R, int B, TvlArgb C);
  // Replaces the pixels (no blending).
  void PutRect(int L, int T, int R, int B, TvlArgb C);
  void HLine(int X0, int X1, int Y, TvlArgb C);  // X0 <= x < X1
  void VLine(int X, int Y0, int Y1, TvlArgb C);  // Y0 <= y < Y1

  // The general shape fill: every pixel of the bounding box whose samples fall Inside gets the
  // colour Paint gives for the pixel centre, weighted by the share of samples inside.
  void FillShape(double L, double T, double R, double B, const std::function<bool(double, double)>& Inside,
                 const std::function<TvlArgb(double, double)>& Paint);

  // Rounded rectangle (L, T) - (R, B) in pixel-edge coordinates, filled with a vertical gradient
  // from Top to Bottom.
  void FillRound(double L, double T, double R, double B, double Radius, TvlArgb Top, TvlArgb Bottom);
  void FillRound(double L, double T, double R, double B, double Radius, TvlArgb C) {
    FillRound(L, T, R, B, Radius, C, C);
  }
  // The outline of that rectangle, Width pixels wide inside its edge.
  void StrokeRound(double L, double T, double R, double B, double Radius, TvlArgb C, double Width = 1.0);
  void FillEllipse(double Cx, double Cy, double Rx, double Ry, TvlArgb C);
  void StrokeEllipse(double Cx, double Cy, double R, TvlArgb C, double Width = 1.0);
  // A line with round ends.
  void Line(double X0, double Y0, double X1, double Y1, double Width, TvlArgb C);
  // A polyline with round joins.
  void Polyline(const std::vector<TvlPointF>& Points, double Width, TvlArgb C);
  // A closed polygon, even-odd rule.
  void Polygon(const std::vector<TvlPointF>& Points, TvlArgb C);
  // The same polygon filled with a vertical gradient from Top to Bottom, with an outline of
  // LineWidth pixels inside its edges (an edge on whole pixels gets a one-pixel line).
  void FillPolygon(const std::vector<TvlPointF>& Points, TvlArgb Top, TvlArgb Bottom, TvlArgb Line,
                   double LineWidth = 1.0);

  // Text with its top-left at (X, Y) (Y the top of the font's cell).
  void Text(int X, int Y, const std::string& Utf8, const TvlArtFont& Font, TvlArgb C);
  [[nodiscard]] static int TextWidth(const std::string& Utf8, const TvlArtFont& Font);
  [[nodiscard]] static int TextHeight(const TvlArtFont& Font);
  // Text centred in the rectangle.
  void TextCentered(const TRect& R, const std::string& Utf8, const TvlArtFont& Font, TvlArgb C);

  // Source-over of Source with its top-left at (X, Y).
  void Draw(const TvlArtCanvas& Source, int X, int Y);
  // Copies the pixels of Source (no blending).
  void Put(const TvlArtCanvas& Source, int X, int Y);
  // A copy of the rectangle (clipped to the canvas).
  [[nodiscard]] TvlArtCanvas Cut(const TRect& R) const;
  // Every pixel turned grey and lightened toward white by Lighten (0 .. 1), alpha kept.
  [[nodiscard]] TvlArtCanvas Greyed(double Lighten) const;

  // Opaque 24-bit bitmap: the pixels composed over Background.
  void ToBitmap24(TBitmap* Bitmap, TvlArgb Background) const;
  // 32-bit bitmap with straight alpha; fully transparent pixels take the colour Key.
  void ToBitmap32(TBitmap* Bitmap, TvlArgb Key) const;
  // Reads a 24- or 32-bit bitmap (32-bit alpha kept as stored).
  static TvlArtCanvas FromBitmap(TBitmap* Bitmap);

  [[nodiscard]] const std::vector<TvlArgb>& Pixels() const { return pixels_; }

 private:
  int width_ = 0, height_ = 0;
  std::vector<TvlArgb> pixels_;
};

// Whether (X, Y) lies in the rounded rectangle.
[[nodiscard]] bool vlInRound(double X, double Y, double L, double T, double R, double B, double Radius);
