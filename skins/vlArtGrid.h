#pragma once
// GridPen: draws the program's small pictures on a design grid of 16 units, so that one routine
// gives the 16-pixel and the 32-pixel picture of a thing. A unit is K pixels (1 at 16 pixels,
// 2 at 32); fills scale with the grid, outlines stay one pixel wide at every scale, so shapes
// whose edges lie on whole units are crisp at both sizes.
//
// Light comes from above, as on the skins' faces: a body runs from its lighter top colour to
// its darker bottom colour, outlined in a darker shade of itself.

#include <vector>

#include "skins/vlArtCanvas.h"

namespace vlart {

// The three colours of a lit body.
struct Tone {
  TvlArgb Top, Bottom, Line;
};
// A body of the hue: a little lighter at the top, the hue at the bottom, a darker outline.
[[nodiscard]] Tone Lit(TvlArgb Hue);

class GridPen {
 public:
  GridPen(TvlArtCanvas& Canvas, double K) : c_(Canvas), k_(K) {}

  [[nodiscard]] double K() const { return k_; }
  [[nodiscard]] double Px(double Units) const { return Units * k_; }
  [[nodiscard]] TvlArtCanvas& Canvas() { return c_; }

  // A rounded rectangle (radius in units) filled with the tone, outlined inside its edge.
  void Box(double L, double T, double R, double B, double Radius, const Tone& Body);
  // A polygon (points in units) filled with the tone, outlined inside its edges.
  void Shape(const std::vector<TvlPointF>& Points, const Tone& Body);
  // A flat polygon without outline.
  void Flat(const std::vector<TvlPointF>& Points, TvlArgb Colour);
  // A circle filled with the tone, outlined inside.
  void Disc(double Cx, double Cy, double Radius, const Tone& Body);
  // A flat circle without outline.
  void Dot(double Cx, double Cy, double Radius, TvlArgb Colour);
  // A polyline with round ends and joins; Width in pixels at 16 pixels, grown by half at 32,
  // so strokes keep their weight without turning heavy.
  void Stroke(const std::vector<TvlPointF>& Points, double Width, TvlArgb Colour);
  // One-pixel lines on the pixel row or column that holds the unit coordinate.
  void HRule(double X0, double X1, double Y, TvlArgb Colour);
  void VRule(double X, double Y0, double Y1, TvlArgb Colour);

  [[nodiscard]] double StrokeWidth(double Width) const { return k_ <= 1 ? Width : Width * (1 + (k_ - 1) / 2); }

 private:
  [[nodiscard]] std::vector<TvlPointF> Scaled(const std::vector<TvlPointF>& Points) const;

  TvlArtCanvas& c_;
  double k_;
};

}  // namespace vlart
