#include "skins/vlArtGrid.h"

#include <cmath>

namespace vlart {

Tone Lit(TvlArgb Hue) {
  return Tone{vlMix(Hue, vlHex(0xFFFFFF), 0.22), Hue, vlMix(Hue, vlHex(0x000000), 0.22)};
}

std::vector<TvlPointF> GridPen::Scaled(const std::vector<TvlPointF>& Points) const {
  std::vector<TvlPointF> out;
  out.reserve(Points.size());
  for (const TvlPointF& p : Points) out.push_back({p.X * k_, p.Y * k_});
  return out;
}

void GridPen::Box(double L, double T, double R, double B, double Radius, const Tone& Body) {
  c_.FillRound(Px(L), Px(T), Px(R), Px(B), Px(Radius), Body.Top, Body.Bottom);
  c_.StrokeRound(Px(L), Px(T), Px(R), Px(B), Px(Radius), Body.Line);
}

void GridPen::Shape(const std::vector<TvlPointF>& Points, const Tone& Body) {
  c_.FillPolygon(Scaled(Points), Body.Top, Body.Bottom, Body.Line);
}

void GridPen::Flat(const std::vector<TvlPointF>& Points, TvlArgb Colour) { c_.Polygon(Scaled(Points), Colour); }

void GridPen::Disc(double Cx, double Cy, double Radius, const Tone& Body) {
  Box(Cx - Radius, Cy - Radius, Cx + Radius, Cy + Radius, Radius, Body);
}

void GridPen::Dot(double Cx, double Cy, double Radius, TvlArgb Colour) {
  c_.FillEllipse(Px(Cx), Px(Cy), Px(Radius), Px(Radius), Colour);
}

void GridPen::Stroke(const std::vector<TvlPointF>& Points, double Width, TvlArgb Colour) {
  c_.Polyline(Scaled(Points), StrokeWidth(Width), Colour);
}

void GridPen::HRule(double X0, double X1, double Y, TvlArgb Colour) {
  const int row = static_cast<int>(std::floor(Px(Y)));
  c_.HLine(static_cast<int>(std::lround(Px(X0))), static_cast<int>(std::lround(Px(X1))), row, Colour);
}

void GridPen::VRule(double X, double Y0, double Y1, TvlArgb Colour) {
  const int column = static_cast<int>(std::floor(Px(X)));
  c_.VLine(column, static_cast<int>(std::lround(Px(Y0))), static_cast<int>(std::lround(Px(Y1))), Colour);
}

}  // namespace vlart
