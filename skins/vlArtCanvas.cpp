#include "skins/vlArtCanvas.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/FontEngine.h"

namespace {

constexpr int kSamples = 4;  // per axis

int Channel(TvlArgb c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

std::shared_ptr<FontInstance> FontOf(const TvlArtFont& font) {
  LOGFONT lf;
  lf.lfHeight = -font.EmPixels;
  lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
  lf.lfFaceName = font.Face;
  return FontInstance::Get(lf);
}

double SegmentDistance(double px, double py, double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0, dy = y1 - y0;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = x0 + t * dx - px, ey = y0 + t * dy - py;
  return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

TvlArgb vlMix(TvlArgb A, TvlArgb B, double T) {
  T = std::clamp(T, 0.0, 1.0);
  auto mix = [&](int shift) {
    return static_cast<TvlArgb>(std::lround(Channel(A, shift) + (Channel(B, shift) - Channel(A, shift)) * T)) << shift;
  };
  return mix(24) | mix(16) | mix(8) | mix(0);
}

TvlArgb vlWithAlpha(TvlArgb C, int Alpha) { return (C & 0x00FFFFFFu) | (static_cast<TvlArgb>(Alpha & 0xFF) << 24); }

TColor vlToTColor(TvlArgb C) {
  return static_cast<TColor>(static_cast<std::uint32_t>(Channel(C, 16)) | static_cast<std::uint32_t>(Channel(C, 8)) << 8 |
                             static_cast<std::uint32_t>(Channel(C, 0)) << 16);
}

bool vlInRound(double X, double Y, double L, double T, double R, double B, double Radius) {
  if (X < L || X >= R || Y < T || Y >= B) return false;
  const double r = std::min({Radius, (R - L) / 2, (B - T) / 2});
  if (r <= 0) return true;
  const double cx = X < L + r ? L + r : (X > R - r ? R - r : X);
  const double cy = Y < T + r ? T + r : (Y > B - r ? B - r : Y);
  const double dx = X - cx, dy = Y - cy;
  return dx * dx + dy * dy <= r * r;
}

TvlArtCanvas::TvlArtCanvas(int Width, int Height, TvlArgb Fill)
    : width_(std::max(0, Width)), height_(std::max(0, Height)),
      pixels_(static_cast<std::size_t>(width_) * height_, Fill) {}

TvlArgb TvlArtCanvas::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return 0;
  return pixels_[static_cast<std::size_t>(Y) * width_ + X];
}

void TvlArtCanvas::SetPixel(int X, int Y, TvlArgb C) {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return;
  pixels_[static_cast<std::size_t>(Y) * width_ + X] = C;
}

void TvlArtCanvas::Blend(int X, int Y, TvlArgb C, double Cover) {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_ || Cover <= 0) return;
  TvlArgb& d = pixels_[static_cast<std::size_t>(Y) * width_ + X];
  const double sa = Channel(C, 24) / 255.0 * std::min(1.0, Cover);
  if (sa <= 0) return;
  const double da = Channel(d, 24) / 255.0;
  const double oa = sa + da * (1 - sa);
  auto ch = [&](int shift) {
    const double v = (Channel(C, shift) * sa + Channel(d, shift) * da * (1 - sa)) / oa;
    return static_cast<TvlArgb>(std::clamp(std::lround(v), 0L, 255L)) << shift;
  };
  d = (static_cast<TvlArgb>(std::lround(oa * 255)) << 24) | ch(16) | ch(8) | ch(0);
}

void TvlArtCanvas::Clear(TvlArgb C) { std::fill(pixels_.begin(), pixels_.end(), C); }

void TvlArtCanvas::FillRect(int L, int T, int R, int B, TvlArgb C) {
  for (int y = std::max(0, T); y < std::min(height_, B); ++y)
    for (int x = std::max(0, L); x < std::min(width_, R); ++x) Blend(x, y, C);
}

void TvlArtCanvas::PutRect(int L, int T, int R, int B, TvlArgb C) {
  for (int y = std::max(0, T); y < std::min(height_, B); ++y)
    for (int x = std::max(0, L); x < std::min(width_, R); ++x) pixels_[static_cast<std::size_t>(y) * width_ + x] = C;
}

void TvlArtCanvas::HLine(int X0, int X1, int Y, TvlArgb C) { FillRect(X0, Y, X1, Y + 1, C); }
void TvlArtCanvas::VLine(int X, int Y0, int Y1, TvlArgb C) { FillRect(X, Y0, X + 1, Y1, C); }

void TvlArtCanvas::FillShape(double L, double T, double R, double B, const std::function<bool(double, double)>& Inside,
                             const std::function<TvlArgb(double, double)>& Paint) {
  const int x0 = std::max(0, static_cast<int>(std::floor(L))), y0 = std::max(0, static_cast<int>(std::floor(T)));
  const int x1 = std::min(width_, static_cast<int>(std::ceil(R))), y1 = std::min(height_, static_cast<int>(std::ceil(B)));
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
          if (Inside(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples)) ++hits;
      if (hits) Blend(x, y, Paint(x + 0.5, y + 0.5), static_cast<double>(hits) / (kSamples * kSamples));
    }
}

void TvlArtCanvas::FillRound(double L, double T, double R, double B, double Radius, TvlArgb Top, TvlArgb Bottom) {
  const double h = std::max(1.0, B - T - 1);
  FillShape(
      L, T, R, B, [&](double x, double y) { return vlInRound(x, y, L, T, R, B, Radius); },
      [&](double, double y) { return vlMix(Top, Bottom, (y - T - 0.5) / h); });
}

void TvlArtCanvas::StrokeRound(double L, double T, double R, double B, double Radius, TvlArgb C, double Width) {
  FillShape(
      L, T, R, B,
      [&](double x, double y) {
        return vlInRound(x, y, L, T, R, B, Radius) &&
               !vlInRound(x, y, L + Width, T + Width, R - Width, B - Width, std::max(0.0, Radius - Width));
      },
      [&](double, double) { return C; });
}

void TvlArtCanvas::FillEllipse(double Cx, double Cy, double Rx, double Ry, TvlArgb C) {
  FillShape(
      Cx - Rx, Cy - Ry, Cx + Rx, Cy + Ry,
      [&](double x, double y) {
        const double dx = (x - Cx) / Rx, dy = (y - Cy) / Ry;
        return dx * dx + dy * dy <= 1.0;
      },
      [&](double, double) { return C; });
}

void TvlArtCanvas::StrokeEllipse(double Cx, double Cy, double R, TvlArgb C, double Width) {
  FillShape(
      Cx - R, Cy - R, Cx + R, Cy + R,
      [&](double x, double y) {
        const double d = std::hypot(x - Cx, y - Cy);
        return d <= R && d >= R - Width;
      },
      [&](double, double) { return C; });
}

void TvlArtCanvas::Line(double X0, double Y0, double X1, double Y1, double Width, TvlArgb C) {
  Polyline({{X0, Y0}, {X1, Y1}}, Width, C);
}

void TvlArtCanvas::Polyline(const std::vector<TvlPointF>& Points, double Width, TvlArgb C) {
  if (Points.empty()) return;
  double l = Points[0].X, t = Points[0].Y, r = l, b = t;
  for (const TvlPointF& p : Points) {
    l = std::min(l, p.X), t = std::min(t, p.Y), r = std::max(r, p.X), b = std::max(b, p.Y);
  }
  const double h = Width / 2;
  FillShape(
      l - h - 1, t - h - 1, r + h + 1, b + h + 1,
      [&](double x, double y) {
        for (std::size_t i = 0; i + 1 < Points.size(); ++i)
          if (SegmentDistance(x, y, Points[i].X, Points[i].Y, Points[i + 1].X, Points[i + 1].Y) <= h) return true;
        return Points.size() == 1 && std::hypot(x - Points[0].X, y - Points[0].Y) <= h;
      },
      [&](double, double) { return C; });
}

void TvlArtCanvas::Polygon(const std::vector<TvlPointF>& Points, TvlArgb C) { FillPolygon(Points, C, C, 0, 0.0); }

void TvlArtCanvas::FillPolygon(const std::vector<TvlPointF>& Points, TvlArgb Top, TvlArgb Bottom, TvlArgb Line,
                               double LineWidth) {
  if (Points.size() < 3) return;
  double l = Points[0].X, t = Points[0].Y, r = l, b = t;
  for (const TvlPointF& p : Points) {
    l = std::min(l, p.X), t = std::min(t, p.Y), r = std::max(r, p.X), b = std::max(b, p.Y);
  }
  auto nearEdge = [&](double x, double y) {
    for (std::size_t i = 0, j = Points.size() - 1; i < Points.size(); j = i++)
      if (SegmentDistance(x, y, Points[j].X, Points[j].Y, Points[i].X, Points[i].Y) < LineWidth) return true;
    return false;
  };
  const double h = std::max(1.0, b - t - 1);
  FillShape(
      l, t, r, b,
      [&](double x, double y) {
        bool in = false;
        for (std::size_t i = 0, j = Points.size() - 1; i < Points.size(); j = i++) {
          const TvlPointF& a = Points[i];
          const TvlPointF& c = Points[j];
          if ((a.Y > y) != (c.Y > y) && x < (c.X - a.X) * (y - a.Y) / (c.Y - a.Y) + a.X) in = !in;
        }
        return in;
      },
      [&](double x, double y) {
        if (LineWidth > 0 && nearEdge(x, y)) return Line;
        return vlMix(Top, Bottom, (y - t - 0.5) / h);
      });
}

void TvlArtCanvas::Text(int X, int Y, const std::string& Utf8, const TvlArtFont& Font, TvlArgb C) {
  const std::shared_ptr<FontInstance> font = FontOf(Font);
  int pen = X;
  const int baseline = Y + font->Ascent();
  for (char32_t ch : DecodeUtf8(Utf8)) {
    const GlyphImage& g = font->Glyph(ch);
    for (int row = 0; row < g.rows; ++row)
      for (int col = 0; col < g.width; ++col) {
        const int cover = g.coverage[static_cast<std::size_t>(row) * g.width + col];
        if (cover) Blend(pen + g.left + col, baseline - g.top + row, C, cover / 255.0);
      }
    pen += g.advance;
  }
}

int TvlArtCanvas::TextWidth(const std::string& Utf8, const TvlArtFont& Font) {
  return FontOf(Font)->TextWidth(DecodeUtf8(Utf8));
}

int TvlArtCanvas::TextHeight(const TvlArtFont& Font) { return FontOf(Font)->Height(); }

void TvlArtCanvas::TextCentered(const TRect& R, const std::string& Utf8, const TvlArtFont& Font, TvlArgb C) {
  const int w = TextWidth(Utf8, Font), h = TextHeight(Font);
  Text(R.Left + (R.Right - R.Left - w) / 2, R.Top + (R.Bottom - R.Top - h) / 2, Utf8, Font, C);
}

void TvlArtCanvas::Draw(const TvlArtCanvas& Source, int X, int Y) {
  for (int y = 0; y < Source.height_; ++y)
    for (int x = 0; x < Source.width_; ++x) Blend(X + x, Y + y, Source.Pixel(x, y));
}

void TvlArtCanvas::Put(const TvlArtCanvas& Source, int X, int Y) {
  for (int y = 0; y < Source.height_; ++y)
    for (int x = 0; x < Source.width_; ++x) SetPixel(X + x, Y + y, Source.Pixel(x, y));
}

TvlArtCanvas TvlArtCanvas::Cut(const TRect& R) const {
  TvlArtCanvas out(R.Right - R.Left, R.Bottom - R.Top);
  for (int y = 0; y < out.height_; ++y)
    for (int x = 0; x < out.width_; ++x) out.SetPixel(x, y, Pixel(R.Left + x, R.Top + y));
  return out;
}

TvlArtCanvas TvlArtCanvas::Greyed(double Lighten) const {
  TvlArtCanvas out(width_, height_);
  for (std::size_t i = 0; i < pixels_.size(); ++i) {
    const TvlArgb p = pixels_[i];
    const int grey = (Channel(p, 16) * 30 + Channel(p, 8) * 59 + Channel(p, 0) * 11) / 100;
    const int v = static_cast<int>(std::lround(grey + (255 - grey) * Lighten));
    out.pixels_[i] = vlRgb(v, v, v, Channel(p, 24));
  }
  return out;
}

void TvlArtCanvas::ToBitmap24(TBitmap* Bitmap, TvlArgb Background) const {
  Bitmap->SetPixelFormat(TPixelFormat::pf24bit);
  Bitmap->SetSize(width_, height_);
  for (int y = 0; y < height_; ++y) {
    auto* row = static_cast<std::uint8_t*>(Bitmap->ScanLine(y));
    for (int x = 0; x < width_; ++x) {
      TvlArtCanvas one(1, 1, Background | 0xFF000000u);
      one.Blend(0, 0, Pixel(x, y));
      const TvlArgb p = one.Pixel(0, 0);
      row[x * 3] = static_cast<std::uint8_t>(Channel(p, 0));
      row[x * 3 + 1] = static_cast<std::uint8_t>(Channel(p, 8));
      row[x * 3 + 2] = static_cast<std::uint8_t>(Channel(p, 16));
    }
  }
}

void TvlArtCanvas::ToBitmap32(TBitmap* Bitmap, TvlArgb Key) const {
  Bitmap->SetPixelFormat(TPixelFormat::pf32bit);
  Bitmap->SetSize(width_, height_);
  for (int y = 0; y < height_; ++y) {
    auto* row = static_cast<std::uint32_t*>(Bitmap->ScanLine(y));
    for (int x = 0; x < width_; ++x) {
      const TvlArgb p = Pixel(x, y);
      row[x] = (p >> 24) == 0 ? (Key & 0x00FFFFFFu) : p;
    }
  }
}

TvlArtCanvas TvlArtCanvas::FromBitmap(TBitmap* Bitmap) {
  TvlArtCanvas out(Bitmap->Width(), Bitmap->Height());
  const bool rgb = Bitmap->PixelFormat() == TPixelFormat::pf24bit;
  for (int y = 0; y < out.height_; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(Bitmap->ScanLine(y));
    for (int x = 0; x < out.width_; ++x) {
      if (rgb)
        out.SetPixel(x, y, vlRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
      else
        out.SetPixel(x, y, vlRgb(row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]));
    }
  }
  return out;
}
