// Primitives: pixels, lines, shapes, rectangle fills and frames, focus rectangles and 3-D edges.

#include <algorithm>
#include <cstdlib>

#include "platform/graphics/DeviceContext.h"

using namespace gdi_detail;

namespace {

// Binary raster operation over the colour bits (bit i of code = R2 - 1 is the result for pen
// bit (i & 2) and destination bit (i & 1)); the alpha byte of the result is always 0.
std::uint32_t Rop2(int rop2, std::uint32_t p, std::uint32_t d) {
  if (rop2 == R2_COPYPEN) return p & 0x00FFFFFF;
  const int code = rop2 - 1;
  std::uint32_t r = 0;
  for (int i = 0; i < 4; ++i)
    if (code & (1 << i)) r |= ((i & 2) ? p : ~p) & ((i & 1) ? d : ~d);
  return r & 0x00FFFFFF;
}

void PutPixel(DeviceContext& dc, int x, int y, std::uint32_t value, int rop2) {
  PixelSurface& s = *dc.surface;
  for (const TRect& c : dc.ClipRects()) {
    if (!c.Contains({x, y})) continue;
    if (s.BitsPerPixel() == 32) {
      std::uint32_t& px = s.Row32(y)[x];
      px = Rop2(rop2, value, px);
    } else {
      s.SetPixelAt(x, y, Rop2(rop2, value, s.PixelAt(x, y)));
    }
    return;
  }
}

bool PenVisible(const DeviceContext& dc) { return dc.state.pen->pen.lopnStyle != PS_NULL; }
bool BrushVisible(const DeviceContext& dc) { return dc.state.brush->brush.lbStyle != BS_NULL; }

// Whether the dash pattern of the pen draws the n-th pixel of a line.
bool PenDraws(UINT style, int n) {
  switch (style) {
    case PS_DASH: return n % 24 < 18;
    case PS_DOT: return n % 6 < 3;
    case PS_DASHDOT: { const int k = n % 24; return k < 9 || (k >= 15 && k < 18); }
    case PS_DASHDOTDOT: { const int k = n % 24; return k < 9 || (k >= 12 && k < 15) || (k >= 18 && k < 21); }
    default: return true;
  }
}

// A line in surface coordinates from (x0, y0) to (x1, y1), the end pixel left out
// (Bresenham; the major axis advances every step).
void DrawLine(DeviceContext& dc, int x0, int y0, int x1, int y1) {
  if (!PenVisible(dc)) return;
  const LOGPEN& pen = dc.state.pen->pen;
  const std::uint32_t value = PixelOf(pen.lopnColor);
  const int width = std::max(1, static_cast<int>(pen.lopnWidth.X));
  const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx - dy;
  int x = x0, y = y0;
  for (int n = 0; !(x == x1 && y == y1); ++n) {
    if (PenDraws(pen.lopnStyle, n)) {
      if (width == 1) {
        PutPixel(dc, x, y, value, dc.state.rop2);
      } else {
        // A wide pen is a square of its width centred on the line.
        const int h = width / 2;
        for (int yy = y - h; yy < y - h + width; ++yy)
          for (int xx = x - h; xx < x - h + width; ++xx) PutPixel(dc, xx, yy, value, dc.state.rop2);
      }
    }
    const int e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

void FillRegion(DeviceContext& dc, const Region& region, std::uint32_t value, int rop2) {
  for (const TRect& r : region.Rects()) FillClipped(dc, r, value, rop2);
}

// Fills a shape region with the brush and paints its 1-pixel border (the pixels of the region
// with a 4-neighbour outside it) with the pen.
void FillAndOutline(DeviceContext& dc, const Region& shape) {
  Region inner = shape;
  if (PenVisible(dc)) {
    for (auto [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}})
      inner = Region::Combine(inner, shape.Offsetted(dx, dy), TRegionOp::And);
  }
  if (BrushVisible(dc)) FillRegion(dc, inner, PixelOf(dc.state.brush->brush.lbColor), dc.state.rop2);
  if (PenVisible(dc))
    FillRegion(dc, Region::Combine(shape, inner, TRegionOp::Diff), PixelOf(dc.state.pen->pen.lopnColor), dc.state.rop2);
}

TRect ToSurface(const DeviceContext& dc, int l, int t, int r, int b) {
  const TPoint off = dc.Offset();
  return {std::min(l, r) + off.X, std::min(t, b) + off.Y, std::max(l, r) + off.X, std::max(t, b) + off.Y};
}

}  // namespace

namespace gdi_detail {

void FillSurfaceRect(PixelSurface& s, const TRect& r, std::uint32_t value, int rop2) {
  if (s.BitsPerPixel() == 32 && rop2 == R2_COPYPEN) {
    const std::uint32_t v = value & 0x00FFFFFF;
    for (int y = r.Top; y < r.Bottom; ++y) std::fill(s.Row32(y) + r.Left, s.Row32(y) + r.Right, v);
    return;
  }
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      if (s.BitsPerPixel() == 32) {
        std::uint32_t& px = s.Row32(y)[x];
        px = Rop2(rop2, value, px);
      } else {
        s.SetPixelAt(x, y, Rop2(rop2, value, s.PixelAt(x, y)));
      }
    }
}

void FillClipped(DeviceContext& dc, const TRect& r, std::uint32_t value, int rop2) {
  if (!dc.surface || r.IsEmpty()) return;
  for (const TRect& c : dc.ClipRects()) {
    const TRect part = Intersect(c, r);
    if (!part.IsEmpty()) FillSurfaceRect(*dc.surface, part, value, rop2);
  }
}

}  // namespace gdi_detail

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  auto dc = FindDC(hdc);
  if (!dc || !dc->surface) return CLR_INVALID;
  const TPoint off = dc->Offset();
  PutPixel(*dc, x + off.X, y + off.Y, PixelOf(color), R2_COPYPEN);
  return color & 0xFFFFFF;
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) { return SetPixel(hdc, x, y, color) != CLR_INVALID; }

COLORREF GetPixel(HDC hdc, int x, int y) {
  auto dc = FindDC(hdc);
  if (!dc || !dc->surface) return CLR_INVALID;
  const TPoint off = dc->Offset();
  const TPoint p{x + off.X, y + off.Y};
  for (const TRect& c : dc->ClipRects())
    if (c.Contains(p)) return ColorOf(dc->surface->PixelAt(p.X, p.Y));
  return CLR_INVALID;
}

BOOL MoveToEx(HDC hdc, int x, int y, TPoint* lppt) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (lppt) *lppt = dc->state.penPos;
  dc->state.penPos = {x, y};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (dc->surface) {
    const TPoint off = dc->Offset();
    DrawLine(*dc, dc->state.penPos.X + off.X, dc->state.penPos.Y + off.Y, x + off.X, y + off.Y);
  }
  dc->state.penPos = {x, y};
  return TRUE;
}

BOOL Polyline(HDC hdc, const TPoint* apt, int cpt) {
  auto dc = FindDC(hdc);
  if (!dc || !apt || cpt < 2) return FALSE;
  if (!dc->surface) return TRUE;
  const TPoint off = dc->Offset();
  for (int i = 0; i + 1 < cpt; ++i)
    DrawLine(*dc, apt[i].X + off.X, apt[i].Y + off.Y, apt[i + 1].X + off.X, apt[i + 1].Y + off.Y);
  return TRUE;
}

BOOL Polygon(HDC hdc, const TPoint* apt, int cpt) {
  auto dc = FindDC(hdc);
  if (!dc || !apt || cpt < 2) return FALSE;
  if (!dc->surface) return TRUE;
  const TPoint off = dc->Offset();
  std::vector<TPoint> pts;
  for (int i = 0; i < cpt; ++i) pts.push_back({apt[i].X + off.X, apt[i].Y + off.Y});
  if (BrushVisible(*dc)) {
    const Region shape =
        Region::FromPolygon(pts, dc->state.polyFillMode == WINDING ? TFillRule::Winding : TFillRule::Alternate);
    FillRegion(*dc, shape, PixelOf(dc->state.brush->brush.lbColor), dc->state.rop2);
  }
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const TPoint& a = pts[i];
    const TPoint& b = pts[(i + 1) % pts.size()];
    DrawLine(*dc, a.X, a.Y, b.X, b.Y);
  }
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (!dc->surface) return TRUE;
  TRect r = ToSurface(*dc, left, top, right, bottom);
  if (!PenVisible(*dc)) {
    // Without a pen the platform fills one pixel less at the right and bottom.
    r.Right -= 1;
    r.Bottom -= 1;
    if (BrushVisible(*dc)) FillClipped(*dc, r, PixelOf(dc->state.brush->brush.lbColor), dc->state.rop2);
    return TRUE;
  }
  FillAndOutline(*dc, Region(r));
  return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (dc->surface) FillAndOutline(*dc, Region::FromEllipse(ToSurface(*dc, left, top, right, bottom)));
  return TRUE;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (dc->surface) FillAndOutline(*dc, Region::FromRoundRect(ToSurface(*dc, left, top, right, bottom), width, height));
  return TRUE;
}

int FillRect(HDC hDC, const TRect* lprc, HBRUSH hbr) {
  auto dc = FindDC(hDC);
  auto brush = FindBrushOrSysColor(hbr);
  if (!dc || !lprc || !brush) return 0;
  if (brush->brush.lbStyle == BS_NULL) return 1;
  FillClipped(*dc, ToSurface(*dc, lprc->Left, lprc->Top, lprc->Right, lprc->Bottom), PixelOf(brush->brush.lbColor),
              R2_COPYPEN);
  return 1;
}

int FrameRect(HDC hDC, const TRect* lprc, HBRUSH hbr) {
  auto dc = FindDC(hDC);
  auto brush = FindBrushOrSysColor(hbr);
  if (!dc || !lprc || !brush) return 0;
  if (brush->brush.lbStyle == BS_NULL) return 1;
  const TRect r = ToSurface(*dc, lprc->Left, lprc->Top, lprc->Right, lprc->Bottom);
  if (r.IsEmpty()) return 1;
  const std::uint32_t v = PixelOf(brush->brush.lbColor);
  const Region frame = Region::Combine(Region(r), Region({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}),
                                       TRegionOp::Diff);
  FillRegion(*dc, frame, v, R2_COPYPEN);
  return 1;
}

BOOL InvertRect(HDC hDC, const TRect* lprc) {
  auto dc = FindDC(hDC);
  if (!dc || !lprc) return FALSE;
  FillClipped(*dc, ToSurface(*dc, lprc->Left, lprc->Top, lprc->Right, lprc->Bottom), 0, R2_NOT);
  return TRUE;
}

BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr) {
  auto dc = FindDC(hdc);
  auto brush = FindBrushOrSysColor(hbr);
  auto rgn = FindObject(hrgn, Kind::Region);
  if (!dc || !brush || !rgn) return FALSE;
  if (brush->brush.lbStyle == BS_NULL) return TRUE;
  const TPoint off = dc->Offset();
  FillRegion(*dc, rgn->region.Offsetted(off.X, off.Y), PixelOf(brush->brush.lbColor), R2_COPYPEN);
  return TRUE;
}

BOOL PaintRgn(HDC hdc, HRGN hrgn) {
  auto dc = FindDC(hdc);
  auto rgn = FindObject(hrgn, Kind::Region);
  if (!dc || !rgn) return FALSE;
  if (!BrushVisible(*dc)) return TRUE;
  const TPoint off = dc->Offset();
  FillRegion(*dc, rgn->region.Offsetted(off.X, off.Y), PixelOf(dc->state.brush->brush.lbColor), dc->state.rop2);
  return TRUE;
}

BOOL FrameRgn(HDC hdc, HRGN hrgn, HBRUSH hbr, int w, int h) {
  auto dc = FindDC(hdc);
  auto brush = FindBrushOrSysColor(hbr);
  auto rgn = FindObject(hrgn, Kind::Region);
  if (!dc || !brush || !rgn || w < 0 || h < 0) return FALSE;
  const TPoint off = dc->Offset();
  const Region shape = rgn->region.Offsetted(off.X, off.Y);
  Region inner = shape;
  for (int dx = -w; dx <= w; ++dx)
    if (dx) inner = Region::Combine(inner, shape.Offsetted(dx, 0), TRegionOp::And);
  for (int dy = -h; dy <= h; ++dy)
    if (dy) inner = Region::Combine(inner, shape.Offsetted(0, dy), TRegionOp::And);
  FillRegion(*dc, Region::Combine(shape, inner, TRegionOp::Diff), PixelOf(brush->brush.lbColor), R2_COPYPEN);
  return TRUE;
}

BOOL DrawFocusRect(HDC hDC, const TRect* lprc) {
  auto dc = FindDC(hDC);
  if (!dc || !lprc) return FALSE;
  if (!dc->surface) return TRUE;
  const TRect r = ToSurface(*dc, lprc->Left, lprc->Top, lprc->Right, lprc->Bottom);
  if (r.IsEmpty()) return TRUE;
  // Every other pixel along the frame, counted from the top-left corner, is inverted.
  auto dot = [&](int x, int y) {
    if (((x - r.Left) + (y - r.Top)) % 2 == 0) PutPixel(*dc, x, y, 0, R2_NOT);
  };
  for (int x = r.Left; x < r.Right; ++x) {
    dot(x, r.Top);
    if (r.Bottom - 1 > r.Top) dot(x, r.Bottom - 1);
  }
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
    dot(r.Left, y);
    if (r.Right - 1 > r.Left) dot(r.Right - 1, y);
  }
  return TRUE;
}

BOOL DrawEdge(HDC hdc, TRect* qrc, UINT edge, UINT grfFlags) {
  auto dc = FindDC(hdc);
  if (!dc || !qrc) return FALSE;
  TRect r = *qrc;
  const TPoint off = dc->Offset();
  auto line = [&](int l, int t, int rr, int b, COLORREF c) {
    FillClipped(*dc, {l + off.X, t + off.Y, rr + off.X, b + off.Y}, PixelOf(c), R2_COPYPEN);
  };
  // One border line on each requested side: top/left in `light`, bottom/right in `dark`.
  auto ring = [&](COLORREF light, COLORREF dark) {
    if (r.IsEmpty()) return;
    if (grfFlags & BF_TOP) line(r.Left, r.Top, r.Right, r.Top + 1, light);
    if (grfFlags & BF_LEFT) line(r.Left, r.Top, r.Left + 1, r.Bottom, light);
    if (grfFlags & BF_BOTTOM) line(r.Left, r.Bottom - 1, r.Right, r.Bottom, dark);
    if (grfFlags & BF_RIGHT) line(r.Right - 1, r.Top, r.Right, r.Bottom, dark);
    if (grfFlags & BF_TOP) r.Top += 1;
    if (grfFlags & BF_LEFT) r.Left += 1;
    if (grfFlags & BF_BOTTOM) r.Bottom -= 1;
    if (grfFlags & BF_RIGHT) r.Right -= 1;
  };
  if (grfFlags & BF_MONO) {
    if (edge & BDR_OUTER) ring(GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME));
    if (edge & BDR_INNER) ring(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
  } else if (grfFlags & BF_FLAT) {
    if (edge & BDR_OUTER) ring(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
    if (edge & BDR_INNER) ring(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
  } else {
    if (edge & BDR_RAISEDOUTER)
      ring(GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    else if (edge & BDR_SUNKENOUTER)
      ring(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    if (edge & BDR_RAISEDINNER)
      ring(GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    else if (edge & BDR_SUNKENINNER)
      ring(GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
  }
  if ((grfFlags & BF_MIDDLE) && !r.IsEmpty())
    line(r.Left, r.Top, r.Right, r.Bottom, GetSysColor((grfFlags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  if (grfFlags & BF_ADJUST) *qrc = r;
  return TRUE;
}
