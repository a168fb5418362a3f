#include "lib/drawing/vlUtils.h"

#include "platform/controls/Timers.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif
#include <memory>
#include <type_traits>

#include "lib/drawing/vlEffects.h"
#include "lib/data/vlSkinDescription.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Surface.h"
#include "platform/core/SysUtils.h"

namespace {

// A pen (and optionally a brush) selected into a context for the life of the object.
class PenScope {
 public:
  PenScope(HDC dc, TColor color, bool fill) : dc_(dc) {
    pen_ = CreatePen(PS_SOLID, 1, ColorToRGB(color));
    oldPen_ = SelectObject(dc_, pen_);
    if (fill) brush_ = CreateSolidBrush(ColorToRGB(color));
    oldBrush_ = SelectObject(dc_, fill ? ToObject(brush_) : GetStockObject(NULL_BRUSH));
  }
  ~PenScope() {
    if (oldPen_) SelectObject(dc_, oldPen_);
    if (oldBrush_) SelectObject(dc_, oldBrush_);
    if (pen_) DeleteObject(pen_);
    if (brush_) DeleteObject(brush_);
  }
  PenScope(const PenScope&) = delete;
  PenScope& operator=(const PenScope&) = delete;

 private:
  HDC dc_;
  HPEN pen_ = nullptr;
  HBRUSH brush_ = nullptr;
  HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr;
};

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// A memory context over a framework bitmap's pixels, for the life of the object. It draws on a
// bitmap handle of its own over the shared pixels, so the bitmap's own canvas stays untouched.
class BitmapContext {
 public:
  explicit BitmapContext(TBitmap* b)
      : bitmap_(b && b->Surface() ? CreateBitmapFromSurface(b->Surface()) : nullptr), dc_(bitmap_.get()) {}
  [[nodiscard]] HDC Get() const { return bitmap_ ? dc_.Get() : nullptr; }

 private:
  struct DeleteBitmap {
    void operator()(HBITMAP h) const { DeleteObject(h); }
  };
  // Declared before the context: the bitmap is deleted after the context lets it go.
  std::unique_ptr<std::remove_pointer_t<HBITMAP>, DeleteBitmap> bitmap_;
  vlutils_detail::SelectedBitmap dc_;
};

// Makes Dest a cleared 32-bit bitmap of w x h; false (Dest empty) when that size cannot be.
bool PrepareDest(TBitmap* Dest, int w, int h) {
  if (!Dest) return false;
  Dest->SetSize(0, 0);
  Dest->SetPixelFormat(TPixelFormat::pf32bit);
  if (!PixelSurface::SizeAllowed(w, h)) return false;
  Dest->SetSize(w, h);
  return !Dest->Empty();
}

// Copies from a picture (offset by its element rectangle) into a destination bitmap, the way a
// canvas rectangle copy does: same sizes copy, other sizes stretch, outside pixels read 0.
//
// Tiling draws the first visible tile from the picture and then doubles what is already laid
// by copying it within the destination, so a one-pixel tile over a large area costs a few
// dozen copies instead of one per pixel; tiles wholly outside the destination are skipped.
class Composer {
 public:
  Composer(TBitmap* dest, TBitmap* picture, TPoint origin)
      : dst_(dest), src_(picture), origin_(origin), destW_(dest->Width()), destH_(dest->Height()) {}
  [[nodiscard]] bool Ready() const { return dst_.Get() && src_.Get(); }

  // Source rectangle (relative to the origin) into target rectangle.
  void Copy(const TRect& src, const TRect& dst) const {
    if (src.Width() <= 0 || src.Height() <= 0 || dst.Width() == 0 || dst.Height() == 0) return;
    StretchBlt(dst_.Get(), dst.Left, dst.Top, dst.Width(), dst.Height(), src_.Get(), origin_.X + src.Left,
               origin_.Y + src.Top, src.Width(), src.Height(), SRCCOPY);
  }
  // Tiles src along x from x0, the last tile cut at x1, over target rows y0..y1.
  void TileX(const TRect& src, int x0, int x1, int y0, int y1) const {
    const int w = src.Width();
    if (w <= 0 || src.Height() <= 0 || x1 <= x0 || y1 <= y0) return;
    const int end = std::min(x1, destW_);
    int x = x0;
    if (x < 0) x += (-x / w) * w;
    if (x >= end) return;
    const int first = std::min(w, x1 - x);
    Copy(TRect{src.Left, src.Top, src.Left + first, src.Bottom}, TRect{x, y0, x + first, y1});
    if (x < 0) {
      for (int t = x + w; t < end; t += w) {
        const int cw = std::min(w, x1 - t);
        Copy(TRect{src.Left, src.Top, src.Left + cw, src.Bottom}, TRect{t, y0, t + cw, y1});
      }
      return;
    }
    for (int filled = first; x + filled < end;) {
      const int n = std::min(filled, end - (x + filled));
      BitBlt(dst_.Get(), x + filled, y0, n, y1 - y0, dst_.Get(), x, y0, SRCCOPY);
      filled += n;
    }
  }
  // Tiles src along y from y0, the last tile cut at y1, over target columns x0..x1.
  void TileY(const TRect& src, int y0, int y1, int x0, int x1) const {
    const int h = src.Height();
    if (h <= 0 || src.Width() <= 0 || y1 <= y0 || x1 <= x0) return;
    TileRows(y0, y1, h, x0, x1, [&](int y, int ch) {
      Copy(TRect{src.Left, src.Top, src.Right, src.Top + ch}, TRect{x0, y, x1, y + ch});
    });
  }
  // Tiles src in both directions over dst, the last column and row cut.
  void TileXY(const TRect& src, const TRect& dst) const {
    const int h = src.Height();
    if (h <= 0 || src.Width() <= 0 || dst.Width() <= 0) return;
    TileRows(dst.Top, dst.Bottom, h, dst.Left, dst.Right, [&](int y, int ch) {
      TileX(TRect{src.Left, src.Top, src.Right, src.Top + ch}, dst.Left, dst.Right, y, y + ch);
    });
  }

 private:
  // Lays bands of height h from y0 (the last cut at y1) over columns x0..x1: drawBand draws
  // one band at (y, height); further bands are copied from those already laid.
  template <typename DrawBand>
  void TileRows(int y0, int y1, int h, int x0, int x1, DrawBand drawBand) const {
    const int end = std::min(y1, destH_);
    int y = y0;
    if (y < 0) y += (-y / h) * h;
    if (y >= end) return;
    const int first = std::min(h, y1 - y);
    drawBand(y, first);
    if (y < 0) {
      for (int t = y + h; t < end; t += h) drawBand(t, std::min(h, y1 - t));
      return;
    }
    for (int filled = first; y + filled < end;) {
      const int n = std::min(filled, end - (y + filled));
      BitBlt(dst_.Get(), x0, y + filled, x1 - x0, n, dst_.Get(), x0, y, SRCCOPY);
      filled += n;
    }
  }

  BitmapContext dst_;
  BitmapContext src_;
  TPoint origin_;
  int destW_, destH_;
};

TRect R(int l, int t, int r, int b) { return TRect{l, t, r, b}; }

// Common body of the three horizontal strips.
enum class StripKind { Full, OpenRight, Middle };

void ComposeStrip(StripKind kind, int LOffset, int ROffset, TBitmap* Dest, TBitmap* Picture, const TRect& SrcRect,
                  int W, bool StretchEffect) {
  const int H = SrcRect.Height();
  if (!PrepareDest(Dest, W, H) || !Picture || Picture->Empty()) return;
  Composer c(Dest, Picture, TPoint{SrcRect.Left, SrcRect.Top});
  if (!c.Ready()) return;
  const int sw = SrcRect.Width();
  const int midLeft = LOffset, midRight = sw - ROffset;
  const int m = std::max(1, midRight - midLeft);
  const TRect middle = R(midLeft, 0, midLeft + m, H);
  if (kind == StripKind::Middle) {
    if (StretchEffect)
      c.Copy(middle, R(0, 0, W, H));
    else
      c.TileX(middle, 0, W, 0, H);
    return;
  }
  if (LOffset != 0) c.Copy(R(0, 0, LOffset, H), R(0, 0, LOffset, H));
  if (kind == StripKind::Full && ROffset != 0) c.Copy(R(sw - ROffset, 0, sw, H), R(W - ROffset, 0, W, H));
  const int targetRight = kind == StripKind::Full ? W - ROffset : W;
  if (StretchEffect) {
    c.Copy(middle, R(LOffset, 0, targetRight, H));
    return;
  }
  if ((targetRight - LOffset) / m < 0) return;
  c.TileX(middle, LOffset, targetRight, 0, H);
}

// Draws the grown part of one edge: stretched, or tiled from the start and cut at the end.
void Edge(const Composer& c, const TRect& src, const TRect& dst, bool stretch, bool horizontal) {
  if (stretch) {
    c.Copy(src, dst);
    return;
  }
  if (horizontal)
    c.TileX(src, dst.Left, dst.Right, dst.Top, dst.Bottom);
  else
    c.TileY(src, dst.Top, dst.Bottom, dst.Left, dst.Right);
}

void Client(const Composer& c, const TRect& src, const TRect& dst, bool StretchEffect, TvlStretchType StretchType) {
  if (src.Width() <= 0 || src.Height() <= 0) return;
  if (!StretchEffect) {
    c.TileXY(src, dst);
    return;
  }
  if (dst.Width() <= 0 || dst.Height() <= 0) return;
  switch (StretchType) {
    case TvlStretchType::vlstFull: c.Copy(src, dst); break;
    case TvlStretchType::vlstHorz: c.TileX(src, dst.Left, dst.Right, dst.Top, dst.Bottom); break;
    case TvlStretchType::vlstVert: c.TileY(src, dst.Top, dst.Bottom, dst.Left, dst.Right); break;
  }
}

void ComposeNine(bool openRight, const TvlNinePartGeometry& G, TBitmap* Dest, TBitmap* Picture, const TRect& SkinRect,
                 int NewWidth, int NewHeight, TvlStretchSides Sides, TvlClientFill Fill) {
  if (!vlIsComposable(G, SkinRect, NewWidth, NewHeight)) return;
  const TPoint LTPt = G.LTPt, RTPt = G.RTPt, LBPt = G.LBPt, RBPt = G.RBPt;
  const TPoint NewLTPoint = G.NewLTPoint, NewRTPoint = G.NewRTPoint, NewLBPoint = G.NewLBPoint,
               NewRBPoint = G.NewRBPoint;
  const TRect ClRect = G.ClRect, NewClRect = G.NewClRect;
  if (!PrepareDest(Dest, NewWidth, NewHeight)) return;
  if (RBPt.X == LTPt.X || RBPt.Y == LTPt.Y || !Picture || Picture->Empty()) return;
  Composer c(Dest, Picture, TPoint{SkinRect.Left, SkinRect.Top});
  if (!c.Ready()) return;
  const int SW = SkinRect.Width(), SH = SkinRect.Height();
  const int topRight = openRight ? NewWidth : NewRTPoint.X;
  const int bottomRight = openRight ? NewWidth : NewRBPoint.X;

  Edge(c, R(LTPt.X, 0, RTPt.X, ClRect.Top), R(NewLTPoint.X, 0, topRight, NewClRect.Top), Sides.Top, true);
  Edge(c, R(LBPt.X, ClRect.Bottom, RBPt.X, SH), R(NewLBPoint.X, NewClRect.Bottom, bottomRight, NewHeight),
       Sides.Bottom, true);
  Edge(c, R(0, LTPt.Y, ClRect.Left, LBPt.Y), R(0, NewLTPoint.Y, NewClRect.Left, NewLBPoint.Y), Sides.Left, false);
  if (!openRight)
    Edge(c, R(ClRect.Right, RTPt.Y, SW, RBPt.Y), R(NewClRect.Right, NewRTPoint.Y, NewWidth, NewRBPoint.Y),
         Sides.Right, false);

  c.Copy(R(0, 0, LTPt.X, ClRect.Top), R(0, 0, NewLTPoint.X, NewClRect.Top));
  c.Copy(R(0, ClRect.Top, ClRect.Left, LTPt.Y), R(0, NewClRect.Top, NewClRect.Left, NewLTPoint.Y));
  if (!openRight) {
    c.Copy(R(RTPt.X, 0, SW, ClRect.Top), R(NewRTPoint.X, 0, NewWidth, NewClRect.Top));
    c.Copy(R(ClRect.Right, ClRect.Top, SW, RTPt.Y), R(NewClRect.Right, NewClRect.Top, NewWidth, NewRTPoint.Y));
  }
  c.Copy(R(0, LBPt.Y, ClRect.Left, SH), R(0, NewLBPoint.Y, NewClRect.Left, NewHeight));
  c.Copy(R(ClRect.Left, ClRect.Bottom, LBPt.X, SH), R(NewClRect.Left, NewClRect.Bottom, NewLBPoint.X, NewHeight));
  if (!openRight) {
    c.Copy(R(RBPt.X, ClRect.Bottom, SW, SH), R(NewRBPoint.X, NewClRect.Bottom, NewWidth, NewHeight));
    c.Copy(R(ClRect.Right, RBPt.Y, SW, ClRect.Bottom), R(NewClRect.Right, NewRBPoint.Y, NewWidth, NewClRect.Bottom));
  }

  if (Fill.Draw) {
    TRect target = NewClRect;
    if (openRight) target.Right = NewWidth;
    Client(c, ClRect, target, Fill.Stretch, Fill.Type);
  }
}

// Reads mask pixel (x, y) as black (red + green + blue = 0).
class MaskReader {
 public:
  explicit MaskReader(TBitmap* mask) : s_(mask ? mask->Surface().get() : nullptr) {}
  [[nodiscard]] bool Valid() const { return s_ != nullptr; }
  [[nodiscard]] int Width() const { return s_->Width(); }
  [[nodiscard]] int Height() const { return s_->Height(); }
  [[nodiscard]] bool Black(int x, int y) const {
    switch (s_->BitsPerPixel()) {
      case 32: return (s_->Row32(y)[x] & 0x00FFFFFF) == 0;
      case 24: {
        const std::uint8_t* p = s_->Row(y) + 3 * x;
        return (p[0] | p[1] | p[2]) == 0;
      }
      default: return (s_->PixelAt(x, y) & 0x00FFFFFF) == 0;
    }
  }

 private:
  PixelSurface* s_;
};

void PutInt32(std::vector<std::uint8_t>& out, std::size_t at, std::int32_t v) { std::memcpy(out.data() + at, &v, 4); }

HRGN RegionOfPiece(TBitmap* piece, int x, int y) {
  if (!piece || piece->Empty() || piece->Width() <= 0 || piece->Height() <= 0) return nullptr;
  const auto data = BuildMaskRegionData(piece, x, y);
  if (data.empty()) return nullptr;
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
}

// Code points of a UTF-8 text, so shortening never splits a character.
std::vector<std::size_t> CharStarts(const std::string& s) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < s.size(); ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) starts.push_back(i);
  return starts;
}

template <typename Measure>
void FitText(std::string& Text, int MaxWidth, Measure width) {
  if (MaxWidth >= width(Text)) return;
  const auto starts = CharStarts(Text);
  std::string rest = Text;
  for (std::size_t n = starts.size(); n > 0; --n) {
    rest.resize(starts[n - 1]);
    if (width(rest + "...") <= MaxWidth) break;
  }
  Text = rest + "...";
}

}  // namespace

// ---- Rectangles --------------------------------------------------------------------------------

bool IsPointInRect(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X <= R.Right && P.Y >= R.Top && P.Y <= R.Bottom;
}

bool IsRectInRect(const TRect& R1, const TRect& R2) {
  return R2.Contains(TPoint{R1.Left, R1.Top}) && R2.Contains(TPoint{R1.Right, R1.Bottom});
}

bool RectVertOverlaps(const TRect& R1, const TRect& R2) {
  return R2.Contains(TPoint{R2.Left + 1, R1.Top}) || R2.Contains(TPoint{R2.Right - 1, R1.Bottom});
}

// ---- Text ---------------------------------------------------------------------------------------

int DrawTextWide(HDC DC, const std::string& Text, TRect& Rect, UINT Flags) { return DrawText(DC, Text, &Rect, Flags); }

int CalcTextWidth(HDC DC, const std::string& Text) {
  TRect r{0, 0, 0, 0};
  DrawTextWide(DC, Text, r, DT_CALCRECT);
  return r.Width();
}

int CalcTextHeight(HDC DC, const std::string& Text) {
  TRect r{0, 0, 0, 0};
  DrawTextWide(DC, Text, r, DT_CALCRECT);
  return r.Height();
}

void FitTextWithEllipsisW(HDC DC, std::string& Text, int MaxWidth) {
  FitText(Text, MaxWidth, [DC](const std::string& t) { return CalcTextWidth(DC, t); });
}

void FitTextWithEllipsis(HDC DC, std::string& Text, int MaxWidth) {
  FitText(Text, MaxWidth, [DC](const std::string& t) {
    TSize s;
    GetTextExtentPoint32(DC, t, &s);
    return s.cx;
  });
}

void DrawTextVCenter(HDC DC, const std::string& Text, const TRect& Rect) {
  if (Text.empty()) return;
  TRect r = Rect;
  DrawText(DC, Text, &r, DT_SINGLELINE | DT_VCENTER);
}

void DrawTextAtLeftOffset(HDC DC, const std::string& Text, const TRect& Rect, int Offset) {
  if (Text.empty()) return;
  TSize s;
  GetTextExtentPoint32(DC, Text, &s);
  const int y = Rect.Top + Rect.Height() / 2 - s.cy / 2;
  ExtTextOut(DC, Rect.Left + Offset + 2, y, ETO_CLIPPED, &Rect, Text.data(), static_cast<UINT>(Text.size()), nullptr);
}

void DrawTextAtLeft(HDC DC, const std::string& Text, const TRect& Rect) { DrawTextAtLeftOffset(DC, Text, Rect, 0); }

// ---- Glyphs ------------------------------------------------------------------------------------

void DrawDropDownArrow(HDC DC, const TRect& Rect, TColor Color) {
  PenScope pen(DC, Color, false);
  const int cx = Rect.Left + Rect.Width() / 2, cy = Rect.Top + Rect.Height() / 2;
  for (int k = 0; k < 3; ++k) Line(DC, cx - 2 + k, cy + k, cx + 3 - k, cy + k);
}

void DrawArrowGlyph(HDC DC, const TRect& Rect, TColor Color, int Direction) {
  if (Direction < 1 || Direction > 4) return;
  PenScope pen(DC, Color, false);
  const int cx = Rect.Left + Rect.Width() / 2, cy = Rect.Top + Rect.Height() / 2;
  for (int k = 0; k < 4; ++k) {
    switch (Direction) {
      case 1: Line(DC, cx - 2 + k, cy - k, cx - 2 + k, cy + k + 1); break;
      case 2: Line(DC, cx - 1 + k, cy - (3 - k), cx - 1 + k, cy + (3 - k) + 1); break;
      case 3: Line(DC, cx - k, cy - 2 + k, cx + k + 1, cy - 2 + k); break;
      case 4: Line(DC, cx - (3 - k), cy - 1 + k, cx + (3 - k) + 1, cy - 1 + k); break;
    }
  }
}

void DrawCheckGlyph(HDC DC, int X, int Y, TColor Color) {
  PenScope pen(DC, Color, false);
  for (int i = 0; i < 3; ++i) {
    MoveToEx(DC, X, Y + 5 - i, nullptr);
    LineTo(DC, X + 2, Y + 7 - i);
    LineTo(DC, X + 7, Y + 2 - i);
  }
}

void DrawRadioDot(HDC DC, int X, int Y, TColor Color) {
  PenScope pen(DC, Color, true);
  Rectangle(DC, X, Y, X + 6, Y + 6);
}

void DrawDottedFocusRect(HDC DC, const TRect& Rect) {
  const int l = Rect.Left, t = Rect.Top, r = Rect.Right - 1, b = Rect.Bottom - 1;
  if (r < l || b < t) return;
  const COLORREF color = GetTextColor(DC);
  bool on = !((r - l) % 2 == 0 && (b - t) % 2 == 0);
  auto walk = [&](int x, int y, int dx, int dy, int steps) {
    for (int i = 0; i <= steps; ++i, x += dx, y += dy) {
      if (on) SetPixelV(DC, x, y, color);
      on = !on;
    }
    on = !on;  // the corner pixel starts the next edge in the same state
  };
  walk(l, t, 1, 0, r - l);
  walk(r, t, 0, 1, b - t);
  walk(r, b, -1, 0, r - l);
  walk(l, b, 0, -1, b - t);
}

void DrawGlyphFrame(HDC DC, int X, int Y, TBitmap* Glyph, int NumGlyphs, int GlyphNum) {
  if (!Glyph || Glyph->Empty() || NumGlyphs <= 0) return;
  const int fw = Glyph->Width() / NumGlyphs, fh = Glyph->Height();
  if (fw <= 0 || GlyphNum < 1 || GlyphNum > NumGlyphs) return;
  BitmapContext src(Glyph);
  if (!src.Get()) return;
  const int left = (GlyphNum - 1) * fw;
  // The framework's automatic transparent colour: the frame's bottom-left pixel.
  const COLORREF key = GetPixel(src.Get(), left, fh - 1);
  TransparentBlt(DC, X, Y, fw, fh, src.Get(), left, 0, fw, fh, key);
}

void DrawCloseGlyph(HDC DC, int X, int Y, TColor Color) {
  PenScope pen(DC, Color, false);
  Line(DC, X + 1, Y + 1, X + 9, Y + 9);
  Line(DC, X + 9, Y + 1, X + 1, Y + 9);
  Line(DC, X + 2, Y + 1, X + 10, Y + 9);
  Line(DC, X + 8, Y + 1, X, Y + 9);
}

void DrawSysMenuGlyph(HDC DC, int X, int Y, TColor Color) {
  PenScope pen(DC, Color, false);
  Rectangle(DC, X + 1, Y + 3, X + 9, Y + 6);
}

void DrawMinimizeGlyph(HDC DC, int X, int Y, TColor Color) {
  PenScope pen(DC, Color, false);
  Line(DC, X + 1, Y + 8, X + 9, Y + 8);
  Line(DC, X + 1, Y + 9, X + 9, Y + 9);
}

void DrawMaximizeGlyph(HDC DC, int X, int Y, TColor Color) {
  PenScope pen(DC, Color, false);
  Rectangle(DC, X, Y, X + 11, Y + 10);
  Rectangle(DC, X, Y, X + 11, Y + 2);
}

void DrawRestoreGlyph(HDC DC, int X, int Y, TColor Color) {
  PenScope pen(DC, Color, false);
  Rectangle(DC, X + 2, Y, X + 10, Y + 6);
  Rectangle(DC, X + 2, Y, X + 10, Y + 2);
  Rectangle(DC, X, Y + 4, X + 7, Y + 10);
  Rectangle(DC, X, Y + 4, X + 7, Y + 6);
}

namespace {
// The roll glyphs: four rows, the tip row (X + 4 to X + 6, at TipY) widening by a pixel on each
// side with every Step rows (-1: pointing down, +1: pointing up).
void DrawRollGlyph(HDC DC, int X, int TipY, int Step, TColor Color) {
  PenScope pen(DC, Color, false);
  for (int k = 0; k < 4; ++k) Line(DC, X + 4 - k, TipY + k * Step, X + 6 + k, TipY + k * Step);
}
}  // namespace

void DrawRollDownGlyph(HDC DC, int X, int Y, TColor Color) { DrawRollGlyph(DC, X, Y + 5, -1, Color); }

void DrawRollUpGlyph(HDC DC, int X, int Y, TColor Color) { DrawRollGlyph(DC, X, Y + 3, 1, Color); }

void DrawTrayGlyph(HDC DC, int X, int Y, TColor Color) {
  PenScope pen(DC, Color, true);
  Rectangle(DC, X + 2, Y + 2, X + 7, Y + 7);
}

// ---- Image beside a caption --------------------------------------------------------------------

namespace {
// One axis of the image-beside-caption layout (X for left and right, Y for top and bottom):
// Low..High is the rectangle's extent, Centre its middle; the image comes before the text when
// ImageFirst. A margin of -1 centres the pair, any other puts the image that far from its edge.
void PlaceImageAndText(int& Image, int& Text, int Low, int High, int Centre, int ImageSize, int TextSize,
                       int Spacing, int Margin, bool ImageFirst) {
  if (Margin != -1) {
    if (ImageFirst) {
      Image = Low + Margin;
      Text = Image + ImageSize + Spacing;
    } else {
      Image = High - ImageSize - Margin;
      Text = Image - Spacing - TextSize;
    }
    return;
  }
  const int half = (ImageSize + TextSize + Spacing) / 2;
  if (ImageFirst) {
    Image = Centre - half;
    Text = Centre + half - TextSize;
  } else {
    Text = Centre - half;
    Image = Centre + half - ImageSize;
  }
}
}  // namespace

TvlImageTextLayout LayoutImageAndText(const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                                      TSize ImageSize, TSize TextSize) {
  const int iw = ImageSize.cx, ih = ImageSize.cy, tw = TextSize.cx, th = TextSize.cy;
  const int spacing = iw == 0 ? 0 : ASpacing;
  const int cx = ARect.Left + ARect.Width() / 2, cy = ARect.Top + ARect.Height() / 2;
  TvlImageTextLayout out;
  const bool horizontal = ALayout == TvlButtonLayout::blGlyphLeft || ALayout == TvlButtonLayout::blGlyphRight;
  if (horizontal) {
    out.Image.Y = cy - ih / 2;
    out.Text.Y = cy - th / 2;
    PlaceImageAndText(out.Image.X, out.Text.X, ARect.Left, ARect.Right, cx, iw, tw, spacing, AMargin,
                      ALayout == TvlButtonLayout::blGlyphLeft);
  } else {
    out.Image.X = cx - iw / 2;
    out.Text.X = cx - tw / 2;
    if (ALayout == TvlButtonLayout::blGlyphTop || ALayout == TvlButtonLayout::blGlyphBottom)
      PlaceImageAndText(out.Image.Y, out.Text.Y, ARect.Top, ARect.Bottom, cy, ih, th, spacing, AMargin,
                        ALayout == TvlButtonLayout::blGlyphTop);
  }
  return out;
}

namespace vlutils_detail {

void DrawImageAndTextCore(HDC DC, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                          const std::string& ACaption, TSize Image, int MarkerWidth,
                          const std::function<void(TPoint)>& DrawImage, bool ADown, bool ACentreText,
                          bool ADrawColorMarker, TColor AColorMarkerValue, bool AShiftMarkerWhenDown) {
  TSize text{0, 0};
  if (!ACaption.empty()) {
    const bool horizontal = ALayout == TvlButtonLayout::blGlyphLeft || ALayout == TvlButtonLayout::blGlyphRight;
    TRect r{0, 0, ARect.Width() - (horizontal ? Image.cx : 0), ARect.Height() - (horizontal ? 0 : Image.cy)};
    DrawText(DC, ACaption, &r, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
    text = TSize{r.Width(), r.Height()};
  }
  SetBkMode(DC, TRANSPARENT);
  TvlImageTextLayout at = LayoutImageAndText(ARect, AMargin, ASpacing, ALayout, Image, text);
  if (ADown) {
    at.Image = TPoint{at.Image.X + 1, at.Image.Y + 1};
    at.Text = TPoint{at.Text.X + 1, at.Text.Y + 1};
  }
  TRect textRect{at.Text.X, at.Text.Y, at.Text.X + text.cx + 2, at.Text.Y + text.cy};
  if (!ACaption.empty())
    DrawText(DC, ACaption, &textRect, DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | (ACentreText ? DT_CENTER : 0));
  if (Image.cx > 0 && DrawImage) DrawImage(at.Image);
  if (!ADrawColorMarker) return;
  PenScope pen(DC, AColorMarkerValue, true);
  if (Image.cx > 0) {
    for (int d = -2; d <= 0; ++d)
      Line(DC, at.Image.X, at.Image.Y + Image.cy + d, at.Image.X + MarkerWidth, at.Image.Y + Image.cy + d);
  } else if (!ACaption.empty()) {
    for (int d = -1; d <= 1; ++d) Line(DC, textRect.Left, textRect.Bottom + d, textRect.Right + 2, textRect.Bottom + d);
  } else {
    const bool shifted = AShiftMarkerWhenDown && ADown;
    Rectangle(DC, ARect.Left + 4, ARect.Top + (shifted ? 5 : 4), ARect.Right - 2, ARect.Bottom - (shifted ? 3 : 4));
  }
}

}  // namespace vlutils_detail

void DrawGlyphAndText(HDC DC, const TRect& ARect, int AMargin, int ASpacing, TvlButtonLayout ALayout,
                      const std::string& ACaption, TBitmap* AGlyph, int ANumGlyphs, int AGlyphNum, bool ADown,
                      bool ADrawColorMarker, TColor AColorMarkerValue) {
  TSize image{0, 0};
  if (AGlyph && !AGlyph->Empty() && ANumGlyphs > 0) image = TSize{AGlyph->Width() / ANumGlyphs, AGlyph->Height()};
  vlutils_detail::DrawImageAndTextCore(
      DC, ARect, AMargin, ASpacing, ALayout, ACaption, image, AGlyph ? AGlyph->Width() : 0,
      [&](TPoint p) { DrawGlyphFrame(DC, p.X, p.Y, AGlyph, ANumGlyphs, AGlyphNum); }, ADown, true, ADrawColorMarker,
      AColorMarkerValue, true);
}

// ---- Text and stream conversions ---------------------------------------------------------------

void ReadStreamString(TStream* Stream, std::string& S) {
  std::int32_t count = 0;
  Stream->ReadBuffer(&count, 4);
  if (count < 0 || static_cast<std::int64_t>(count) * 2 > Stream->Size() - Stream->Position())
    throw EReadError("Stream read error");
  std::u16string text(static_cast<std::size_t>(count), u'\0');
  if (count > 0) Stream->ReadBuffer(text.data(), static_cast<std::int64_t>(count) * 2);
  S = Utf16ToUtf8(text);
}

void WriteStreamString(TStream* Stream, const std::string& S) {
  const std::u16string text = Utf8ToUtf16(S);
  const std::int32_t count = static_cast<std::int32_t>(text.size());
  Stream->WriteBuffer(&count, 4);
  if (count > 0) Stream->WriteBuffer(text.data(), static_cast<std::int64_t>(count) * 2);
}

TRect RectFromText(const std::string& Text) {
  static constexpr std::string_view kSeparators = " (),:;=";
  std::string rest = Trim(Text);
  int values[4] = {};
  for (int& v : values) {
    const std::size_t cut = rest.find_first_of(kSeparators);
    std::string token = rest.substr(0, std::min(cut, std::size_t{255}));
    rest = cut == std::string::npos ? std::string() : Trim(rest.substr(cut + 1));
    token = Trim(token);
    char* end = nullptr;
    errno = 0;
    const long parsed = token.empty() ? 0 : std::strtol(token.c_str(), &end, 10);
    if (token.empty() || *end != '\0' || errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX) return TRect{};
    v = static_cast<int>(parsed);
  }
  return TRect{values[0], values[1], values[2], values[3]};
}

// ---- Composition -------------------------------------------------------------------------------

void ComposeSkinStrip(int LOffset, int ROffset, TBitmap* Dest, TBitmap* Picture, const TRect& SrcRect, int NewWidth,
                      int, bool StretchEffect) {
  ComposeStrip(StripKind::Full, LOffset, ROffset, Dest, Picture, SrcRect, NewWidth, StretchEffect);
}

void ComposeSkinStripOpenRight(int LOffset, int ROffset, TBitmap* Dest, TBitmap* Picture, const TRect& SrcRect,
                               int NewWidth, int, bool StretchEffect) {
  ComposeStrip(StripKind::OpenRight, LOffset, ROffset, Dest, Picture, SrcRect, NewWidth, StretchEffect);
}

void ComposeSkinStripMiddle(int LOffset, int ROffset, TBitmap* Dest, TBitmap* Picture, const TRect& SrcRect,
                            int NewWidth, int, bool StretchEffect) {
  ComposeStrip(StripKind::Middle, LOffset, ROffset, Dest, Picture, SrcRect, NewWidth, StretchEffect);
}

void ComposeSkinStripVert(int TopOffset, int BottomOffset, TBitmap* Dest, TBitmap* Picture, const TRect& SrcRect,
                          int, int NewHeight, bool StretchEffect) {
  const int W = SrcRect.Width(), H = NewHeight;
  if (!PrepareDest(Dest, W, H) || !Picture || Picture->Empty()) return;
  Composer c(Dest, Picture, TPoint{SrcRect.Left, SrcRect.Top});
  if (!c.Ready()) return;
  const int sh = SrcRect.Height();
  if (TopOffset != 0) c.Copy(R(0, 0, W, TopOffset), R(0, 0, W, TopOffset));
  if (BottomOffset != 0) c.Copy(R(0, sh - BottomOffset, W, sh), R(0, H - BottomOffset, W, H));
  const TRect middle = R(0, TopOffset, W, sh - BottomOffset);
  if (StretchEffect) {
    if (middle.Height() > 0) c.Copy(middle, R(0, TopOffset, W, H - BottomOffset));
    return;
  }
  c.TileY(middle, TopOffset, H - BottomOffset, 0, W);
}

TvlNinePartGeometry TvlNinePartGeometry::Grown(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                                               int DeltaWidth, int DeltaHeight) {
  const auto dx = [&](int v) { return vlSaturatedAdd(v, DeltaWidth); };
  const auto dy = [&](int v) { return vlSaturatedAdd(v, DeltaHeight); };
  return TvlNinePartGeometry{LTPt,
                             RTPt,
                             LBPt,
                             RBPt,
                             ClRect,
                             LTPt,
                             TPoint{dx(RTPt.X), RTPt.Y},
                             TPoint{LBPt.X, dy(LBPt.Y)},
                             TPoint{dx(RBPt.X), dy(RBPt.Y)},
                             TRect{ClRect.Left, ClRect.Top, dx(ClRect.Right), dy(ClRect.Bottom)}};
}

bool vlIsComposable(const TvlNinePartGeometry& G, const TRect& SkinRect, int NewWidth, int NewHeight) {
  constexpr int kLimit = 1 << 24;
  const auto sane = [](int v) { return v >= -kLimit && v <= kLimit; };
  const auto point = [&](const TPoint& p) { return sane(p.X) && sane(p.Y); };
  const auto rect = [&](const TRect& r) { return sane(r.Left) && sane(r.Top) && sane(r.Right) && sane(r.Bottom); };
  return sane(NewWidth) && sane(NewHeight) && rect(SkinRect) && rect(G.ClRect) && rect(G.NewClRect) &&
         point(G.LTPt) && point(G.RTPt) && point(G.LBPt) && point(G.RBPt) && point(G.NewLTPoint) &&
         point(G.NewRTPoint) && point(G.NewLBPoint) && point(G.NewRBPoint);
}

void ComposeSkinImage(const TvlNinePartGeometry& G, TBitmap* Dest, TBitmap* Picture, const TRect& SkinRect,
                      int NewWidth, int NewHeight, TvlStretchSides Sides, TvlClientFill Client) {
  ComposeNine(false, G, Dest, Picture, SkinRect, NewWidth, NewHeight, Sides, Client);
}

void ComposeSkinImageOpenRight(const TvlNinePartGeometry& G, TBitmap* Dest, TBitmap* Picture, const TRect& SkinRect,
                               int NewWidth, int NewHeight, TvlStretchSides Sides, TvlClientFill Client) {
  Sides.Right = false;
  ComposeNine(true, G, Dest, Picture, SkinRect, NewWidth, NewHeight, Sides, Client);
}

void ComposeStretchedSkinImage(TBitmap* Dest, TBitmap* Picture, TRect SkinRect, TRect ClRect, bool DrawClient) {
  if (!Dest) return;
  const TPoint lt{ClRect.Left, ClRect.Top}, rt{ClRect.Right, ClRect.Top}, lb{ClRect.Left, ClRect.Bottom},
      rb{ClRect.Right, ClRect.Bottom};
  const auto g = TvlNinePartGeometry::Grown(lt, rt, lb, rb, ClRect, Dest->Width() - SkinRect.Width(),
                                            Dest->Height() - SkinRect.Height());
  ComposeSkinImage(g, Dest, Picture, SkinRect, Dest->Width(), Dest->Height(), TvlStretchSides{true, true, true, true},
                   TvlClientFill{DrawClient, true, TvlStretchType::vlstFull});
}

void ComposeSkinBorders(const TvlNinePartGeometry& G, TvlBorderPieces Pieces, TBitmap* Picture,
                        const TRect& SkinRect, int NewWidth, int NewHeight, TvlStretchSides Sides) {
  if (!vlIsComposable(G, SkinRect, NewWidth, NewHeight)) return;
  const TPoint LTPt = G.LTPt, RTPt = G.RTPt, LBPt = G.LBPt, RBPt = G.RBPt;
  const TPoint NewLTPoint = G.NewLTPoint, NewRTPoint = G.NewRTPoint, NewLBPoint = G.NewLBPoint,
               NewRBPoint = G.NewRBPoint;
  const TRect ClRect = G.ClRect, NewClRect = G.NewClRect;
  TBitmap *LeftBmp = Pieces.Left, *TopBmp = Pieces.Top, *RightBmp = Pieces.Right, *BottomBmp = Pieces.Bottom;
  if (!Picture || Picture->Empty() || !LeftBmp || !TopBmp || !RightBmp || !BottomBmp) return;
  const TPoint origin{SkinRect.Left, SkinRect.Top};
  const int SW = SkinRect.Width(), SH = SkinRect.Height();

  // One band piece (the top or the bottom): H rows from row SrcTop of the source, its corners
  // ending at columns LeftX and RightX, moved to NewLeftX and NewRightX.
  auto band = [&](TBitmap* piece, int H, int SrcTop, int LeftX, int RightX, int NewLeftX, int NewRightX,
                  bool stretch) {
    if (NewWidth <= 0 || H <= 0 || RightX - LeftX <= 0 || !PrepareDest(piece, NewWidth, H)) return;
    Composer c(piece, Picture, TPoint{origin.X, origin.Y + SrcTop});
    const TRect src = R(LeftX, 0, RightX, H);
    if (stretch)
      c.Copy(src, R(NewLeftX, 0, NewRightX, H));
    else
      c.TileX(src, 0, NewWidth, 0, H);
    c.Copy(R(0, 0, LeftX, H), R(0, 0, NewLeftX, H));
    c.Copy(R(RightX, 0, SW, H), R(NewRightX, 0, NewWidth, H));
  };
  band(TopBmp, NewClRect.Top, 0, LTPt.X, RTPt.X, NewLTPoint.X, NewRTPoint.X, Sides.Top);
  const int BH = NewHeight - NewClRect.Bottom;
  band(BottomBmp, BH, SH - BH, LBPt.X, RBPt.X, NewLBPoint.X, NewRBPoint.X, Sides.Bottom);

  const int sideHeight = NewHeight - BottomBmp->Height() - TopBmp->Height();
  // One side piece: columns srcLeft..srcRight, growing rows topY..bottomY of the source.
  auto side = [&](TBitmap* piece, int width, int srcLeft, int srcRight, int topY, int bottomY, bool stretch) {
    if (!PrepareDest(piece, width, sideHeight)) return;
    Composer c(piece, Picture, origin);
    const TRect grow = R(srcLeft, topY, srcRight, bottomY);
    const int topPart = topY - ClRect.Top, bottomPart = ClRect.Bottom - bottomY;
    if (stretch)
      c.Copy(grow, R(0, topPart, width, sideHeight - bottomPart));
    else
      c.TileY(grow, 0, sideHeight, 0, width);
    if (topPart > 0) c.Copy(R(srcLeft, ClRect.Top, srcRight, topY), R(0, 0, width, topPart));
    if (bottomPart > 0) c.Copy(R(srcLeft, bottomY, srcRight, ClRect.Bottom), R(0, sideHeight - bottomPart, width, sideHeight));
  };
  if (NewClRect.Left > 0 && sideHeight > 0 && LBPt.Y - LTPt.Y > 0)
    side(LeftBmp, NewClRect.Left, 0, NewClRect.Left, LTPt.Y, LBPt.Y, Sides.Left);
  if (NewWidth - NewClRect.Right >= 1 && sideHeight >= 1 && RBPt.Y - RTPt.Y >= 1)
    side(RightBmp, NewWidth - NewClRect.Right, ClRect.Right, SW, RTPt.Y, RBPt.Y, Sides.Right);
}

void ComposeMaskBorders(const TvlNinePartGeometry& G, TBitmap* Mask, TvlBorderPieces Pieces, int NewWidth) {
  if (!vlIsComposable(G, TRect{}, NewWidth, 0)) return;
  const TPoint LTPt = G.LTPt, RTPt = G.RTPt, LBPt = G.LBPt, RBPt = G.RBPt;
  const TPoint NewLTPoint = G.NewLTPoint, NewRTPoint = G.NewRTPoint, NewLBPoint = G.NewLBPoint,
               NewRBPoint = G.NewRBPoint;
  const TRect ClRect = G.ClRect, NewClRect = G.NewClRect;
  TBitmap *LeftBmp = Pieces.Left, *TopBmp = Pieces.Top, *RightBmp = Pieces.Right, *BottomBmp = Pieces.Bottom;
  if (!Mask || Mask->Empty() || !LeftBmp || !TopBmp || !RightBmp || !BottomBmp) return;
  const int MW = Mask->Width(), MH = Mask->Height();
  const int h = NewClRect.Height();
  auto side = [&](TBitmap* piece, int srcLeft, int srcRight, int topY, int bottomY) {
    const int width = srcRight - srcLeft;
    if (!PrepareDest(piece, width, h)) return;
    Composer c(piece, Mask, TPoint{0, 0});
    if (bottomY != topY) c.TileY(R(srcLeft, topY, srcRight, bottomY), 0, h, 0, width);
    if (topY - ClRect.Top > 0) c.Copy(R(srcLeft, ClRect.Top, srcRight, topY), R(0, 0, width, topY - ClRect.Top));
    const int bottomPart = ClRect.Bottom - bottomY;
    if (bottomPart > 0) c.Copy(R(srcLeft, bottomY, srcRight, ClRect.Bottom), R(0, h - bottomPart, width, h));
  };
  if (ClRect.Left > 0 && h > 0) side(LeftBmp, 0, ClRect.Left, LTPt.Y, LBPt.Y);
  if (MW - ClRect.Right > 0 && h > 0) side(RightBmp, ClRect.Right, MW, RTPt.Y, RBPt.Y);

  if (NewWidth > 0 && ClRect.Top > 0 && PrepareDest(TopBmp, NewWidth, ClRect.Top)) {
    Composer c(TopBmp, Mask, TPoint{0, 0});
    const int th = ClRect.Top;
    if (RTPt.X != LTPt.X) c.TileX(R(LTPt.X, 0, RTPt.X, th), NewLTPoint.X, NewRTPoint.X, 0, th);
    c.Copy(R(0, 0, LTPt.X, th), R(0, 0, LTPt.X, th));
    c.Copy(R(RTPt.X, 0, MW, th), R(NewRTPoint.X, 0, NewWidth, th));
  }
  const int bh = MH - ClRect.Bottom;
  if (NewWidth >= 1 && bh >= 1 && PrepareDest(BottomBmp, NewWidth, bh)) {
    Composer c(BottomBmp, Mask, TPoint{0, ClRect.Bottom});
    if (RBPt.X != LBPt.X) c.TileX(R(LBPt.X, 0, RBPt.X, bh), NewLBPoint.X, NewRBPoint.X, 0, bh);
    c.Copy(R(0, 0, LBPt.X, bh), R(0, 0, LBPt.X, bh));
    c.Copy(R(RBPt.X, 0, MW, bh), R(NewRBPoint.X, 0, NewWidth, bh));
  }
}

// ---- Regions -----------------------------------------------------------------------------------

std::vector<std::uint8_t> BuildMaskRegionData(TBitmap* Mask, int X, int Y) {
  MaskReader m(Mask);
  if (!m.Valid() || Mask->Empty()) return {};
  std::vector<TRect> runs;
  for (int y = 0; y < m.Height(); ++y) {
    int x = 0;
    while (x < m.Width()) {
      if (!m.Black(x, y)) {
        ++x;
        continue;
      }
      const int x0 = x;
      while (x < m.Width() && m.Black(x, y)) ++x;
      runs.push_back(TRect{x0 + X, y + Y, x + X, y + Y + 1});
    }
  }
  std::vector<std::uint8_t> data(32 + 16 * runs.size(), 0);
  PutInt32(data, 0, 32);
  PutInt32(data, 4, 1);
  PutInt32(data, 8, static_cast<std::int32_t>(runs.size()));
  PutInt32(data, 12, 0);
  PutInt32(data, 16, X);
  PutInt32(data, 20, Y);
  PutInt32(data, 24, X + m.Width());
  PutInt32(data, 28, Y + m.Height());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::size_t at = 32 + 16 * i;
    PutInt32(data, at, runs[i].Left);
    PutInt32(data, at + 4, runs[i].Top);
    PutInt32(data, at + 8, runs[i].Right);
    PutInt32(data, at + 12, runs[i].Bottom);
  }
  return data;
}

void CreateRegionFromMask(HRGN& Rgn, TBitmap* Mask) { Rgn = RegionOfPiece(Mask, 0, 0); }

void CreateSkinRegion(HRGN& Rgn, const TvlNinePartGeometry& G, TBitmap* Mask, int NewWidth, int) {
  Rgn = nullptr;
  if (G.NewRTPoint.X < G.NewLTPoint.X || G.NewLBPoint.Y < G.NewLTPoint.Y) return;
  const TRect NewClRect = G.NewClRect;
  TBitmap top, left, right, bottom;
  ComposeMaskBorders(G, Mask, TvlBorderPieces{.Left = &left, .Top = &top, .Right = &right, .Bottom = &bottom},
                     NewWidth);
  if (NewClRect.Width() <= 0 || NewClRect.Height() <= 0) return;
  HRGN pieces[4] = {RegionOfPiece(&top, 0, 0), RegionOfPiece(&bottom, 0, NewClRect.Bottom),
                    RegionOfPiece(&left, 0, NewClRect.Top), RegionOfPiece(&right, NewClRect.Right, NewClRect.Top)};
  Rgn = CreateRectRgnIndirect(&NewClRect);
  for (HRGN piece : pieces) {
    if (!piece) continue;
    if (Rgn) CombineRgn(Rgn, Rgn, piece, RGN_OR);
    DeleteObject(piece);
  }
}

// ---- System queries ----------------------------------------------------------------------------

TvlWindowsVersion GetWindowsVersion() { return TvlWindowsVersion{6, 1}; }

bool IsWin2000OrLater(TvlWindowsVersion V) {
  return V.Major > 5 || (V.Major == 5 && (V.Minor == 0 || V.Minor == 1 || V.Minor == 2));
}
bool IsXPOrLater(TvlWindowsVersion V) { return V.Major > 5 || (V.Major == 5 && V.Minor == 1); }
bool IsVistaOrLater(TvlWindowsVersion V) { return V.Major > 5; }
bool IsWin2000OrLater() { return IsWin2000OrLater(GetWindowsVersion()); }
bool IsXPOrLater() { return IsXPOrLater(GetWindowsVersion()); }
bool IsVistaOrLater() { return IsVistaOrLater(GetWindowsVersion()); }
bool CPUIDAvailable() {
#if defined(__x86_64__) || defined(__i386__)
  return __get_cpuid_max(0, nullptr) >= 1;
#else
  return false;
#endif
}

namespace {
void CpuidFunction1(DWORD& eax, DWORD& edx) {
  eax = edx = 0;
#if defined(__x86_64__) || defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d)) {
    eax = a;
    edx = d;
  }
#endif
}
}  // namespace

DWORD CPUSignature() {
  DWORD eax, edx;
  CpuidFunction1(eax, edx);
  return eax;
}

DWORD CPUFeatures() {
  DWORD eax, edx;
  CpuidFunction1(eax, edx);
  return edx;
}

bool HasMMX() {
  return CPUIDAvailable() && ((CPUSignature() >> 8) & 0xF) >= 5 && (CPUFeatures() & (1u << 23)) != 0;
}

void ImageMaskToAlphaBitmap(TBitmap* Image, TBitmap* Mask, TvlBitmap* Dest) {
  if (!Image || !Mask || !Dest) return;
  Dest->Assign(Image);
  Dest->SetAlpha(255);
  TvlBitmap mask;
  mask.Assign(Mask);
  SetAlphaFromMask(Dest, &mask);
}

TTimer* vlNewStoppedTimer(TComponent* Owner, unsigned Interval, TvlTimerEvent OnTimer) {
  auto* t = new TTimer(Owner);
  t->SetEnabled(false);
  t->SetInterval(Interval);
  t->OnTimer = std::move(OnTimer);
  return t;
}
