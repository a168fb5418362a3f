#include "skins/vlSkinArtKit.h"

#include <algorithm>

namespace vlart {

void DrawFace(TvlArtCanvas& C, int L, int T, int R, int B, FaceStyle Style, Face F) {
  const double r = kRadius;
  switch (Style) {
    case FaceStyle::Raised:
      switch (F) {
        case Face::Normal:
          C.FillRound(L, T, R, B, r, kSurface, kSurfaceLow);
          C.StrokeRound(L, T, R, B, r, kBorder);
          break;
        case Face::Focused:
          C.FillRound(L, T, R, B, r, kSurface, kSurfaceLow);
          C.StrokeRound(L, T, R, B, r, kAccent);
          break;
        case Face::Hover:
          C.FillRound(L, T, R, B, r, kHoverFace, kHoverFaceLow);
          C.StrokeRound(L, T, R, B, r, kHoverBorder);
          break;
        case Face::Down:
          C.FillRound(L, T, R, B, r, kDownFace, kDownFaceLow);
          C.StrokeRound(L, T, R, B, r, kAccent);
          break;
        case Face::Disabled:
          C.FillRound(L, T, R, B, r, kDisabledFace);
          C.StrokeRound(L, T, R, B, r, kDisabledBorder);
          break;
      }
      break;
    case FaceStyle::Flat:
      switch (F) {
        case Face::Normal:
        case Face::Disabled:
          break;
        case Face::Focused:
          C.StrokeRound(L, T, R, B, r, kHoverBorder);
          break;
        case Face::Hover:
          C.FillRound(L, T, R, B, r, kHoverFace, kHoverFaceLow);
          C.StrokeRound(L, T, R, B, r, kHoverBorder);
          break;
        case Face::Down:
          C.FillRound(L, T, R, B, r, kDownFace, kDownFaceLow);
          C.StrokeRound(L, T, R, B, r, kAccent);
          break;
      }
      break;
    case FaceStyle::Header: {
      TvlArgb top = kSurface, bottom = kBar, line = kLine;
      if (F == Face::Hover) top = kHoverFace, bottom = kHoverFaceLow, line = kHoverBorder;
      if (F == Face::Down) top = kDownFace, bottom = kDownFaceLow, line = kAccent;
      if (F == Face::Disabled) top = bottom = kDisabledFace;
      for (int y = T; y < B; ++y) C.HLine(L, R, y, vlMix(top, bottom, B - T > 1 ? double(y - T) / (B - T - 1) : 0));
      C.HLine(L, R, B - 1, line);
      C.VLine(R - 1, T + 4, B - 4, kLine);
      if (F == Face::Down || F == Face::Hover) C.VLine(L, T, B, line), C.VLine(R - 1, T, B, line);
      break;
    }
    case FaceStyle::Field: {
      const TvlArgb fill = F == Face::Disabled ? kDisabledFace : kSurface;
      TvlArgb border = kBorder;
      if (F == Face::Hover) border = kHoverBorder;
      if (F == Face::Focused || F == Face::Down) border = kAccent;
      if (F == Face::Disabled) border = kDisabledBorder;
      C.FillRound(L, T, R, B, r, fill);
      C.StrokeRound(L, T, R, B, r, border);
      break;
    }
  }
}

TvlArgb FaceText(Face F) {
  switch (F) {
    case Face::Hover:
    case Face::Down:
      return kAccentText;
    case Face::Disabled:
      return kTextOff;
    default:
      return kText;
  }
}

void DrawArrow(TvlArtCanvas& C, const TRect& R, Arrow A, TvlArgb Colour, double Size) {
  const double cx = (R.Left + R.Right) / 2.0, cy = (R.Top + R.Bottom) / 2.0;
  const double s = Size, h = Size / 2;
  std::vector<TvlPointF> p;
  switch (A) {
    case Arrow::Down:
      p = {{cx - s, cy - h}, {cx, cy + h}, {cx + s, cy - h}};
      break;
    case Arrow::Up:
      p = {{cx - s, cy + h}, {cx, cy - h}, {cx + s, cy + h}};
      break;
    case Arrow::Left:
      p = {{cx + h, cy - s}, {cx - h, cy}, {cx + h, cy + s}};
      break;
    case Arrow::Right:
      p = {{cx - h, cy - s}, {cx + h, cy}, {cx - h, cy + s}};
      break;
  }
  C.Polyline(p, 1.6, Colour);
}

void DrawCheckMark(TvlArtCanvas& C, const TRect& R, TvlArgb Colour, double Width) {
  const double w = R.Right - R.Left, h = R.Bottom - R.Top;
  C.Polyline({{R.Left + w * 0.24, R.Top + h * 0.52}, {R.Left + w * 0.43, R.Top + h * 0.70},
              {R.Left + w * 0.77, R.Top + h * 0.31}},
             Width, Colour);
}

void DrawCross(TvlArtCanvas& C, const TRect& R, TvlArgb Colour, double Size, double Width) {
  const double cx = (R.Left + R.Right) / 2.0, cy = (R.Top + R.Bottom) / 2.0;
  C.Line(cx - Size, cy - Size, cx + Size, cy + Size, Width, Colour);
  C.Line(cx - Size, cy + Size, cx + Size, cy - Size, Width, Colour);
}

void DrawGrip(TvlArtCanvas& C, const TRect& R, bool Vertical, TvlArgb Colour) {
  const int cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
  for (int i = -1; i <= 1; ++i) {
    const int x = Vertical ? cx - 1 : cx - 1 + i * 4, y = Vertical ? cy - 1 + i * 4 : cy - 1;
    C.FillRect(x, y, x + 2, y + 2, Colour);
  }
}

TRect Atlas::Add(const TvlArtCanvas& Piece) {
  if (x_ > 0 && x_ + Piece.Width() > width_) {
    y_ += rowHeight_ + 2;
    x_ = 0;
    rowHeight_ = 0;
  }
  const TRect r{x_, y_, x_ + Piece.Width(), y_ + Piece.Height()};
  pieces_.push_back({Piece, r});
  x_ += Piece.Width() + 2;
  rowHeight_ = std::max(rowHeight_, Piece.Height());
  return r;
}

std::vector<TRect> Atlas::AddRow(const std::vector<TvlArtCanvas>& Pieces) {
  int total = 0;
  for (const TvlArtCanvas& p : Pieces) total += p.Width() + 2;
  if (x_ > 0 && x_ + total - 2 > width_) {
    y_ += rowHeight_ + 2;
    x_ = 0;
    rowHeight_ = 0;
  }
  std::vector<TRect> rects;
  for (const TvlArtCanvas& p : Pieces) rects.push_back(Add(p));
  return rects;
}

TvlArtCanvas Atlas::Finish(TvlArgb Background) const {
  int height = 0;
  for (const Piece& p : pieces_) height = std::max(height, static_cast<int>(p.Rect.Bottom));
  TvlArtCanvas out(width_, height, Background);
  for (const Piece& p : pieces_) out.Draw(p.Canvas, p.Rect.Left, p.Rect.Top);
  return out;
}

void SetNineParts(TvlDataSkinCustomControl& E, const TRect& SkinRect, int Margin, int MarginY) {
  const int my = MarginY < 0 ? Margin : MarginY;
  const int w = SkinRect.Right - SkinRect.Left, h = SkinRect.Bottom - SkinRect.Top;
  E.SkinRect = SkinRect;
  E.LTPoint = {Margin, my};
  E.RTPoint = {w - Margin, my};
  E.LBPoint = {Margin, h - my};
  E.RBPoint = {w - Margin, h - my};
  E.ClRect = TRect{Margin, my, w - Margin, h - my};
  E.LeftStretch = E.TopStretch = E.RightStretch = E.BottomStretch = true;
  E.StretchEffect = true;
  E.StretchType = TvlStretchType::vlstFull;
}

}  // namespace vlart
