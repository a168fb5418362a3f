// Blits: BitBlt, StretchBlt, StretchDIBits, GetDIBits/SetDIBits, PatBlt, AlphaBlend,
// TransparentBlt. All of them map each destination pixel to one source pixel (the
// nearest-neighbour rule of StretchBlt) and then combine source, pattern and destination.

#include <algorithm>
#include <cstring>

#include "platform/graphics/DeviceContext.h"

using namespace gdi_detail;

namespace {

// Truth-table evaluation of a ternary raster operation over 32 bits: bit i of code is the result
// for pattern bit (i & 4), source bit (i & 2) and destination bit (i & 1).
std::uint32_t Rop3(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t r = 0;
  for (int i = 0; i < 8; ++i)
    if (code & (1 << i)) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return r;
}

bool UsesSource(std::uint8_t code) { return ((code >> 2) ^ code) & 0x33; }
bool UsesPattern(std::uint8_t code) { return ((code >> 4) ^ code) & 0x0F; }

// Source columns (or rows) for the part [first, first + count) of a destination run of `total`
// pixels taken from a source run of `src` pixels starting at `srcStart`: index i takes
// srcStart + floor((2i + 1) * src / (2 total)), counted from the other end when mirrored.
std::vector<int> MapAxis(std::int64_t total, std::int64_t first, int count, int srcStart, int src, bool mirror) {
  std::vector<int> map(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    const std::int64_t i = first + k;
    const std::int64_t j = mirror ? total - 1 - i : i;
    map[static_cast<std::size_t>(k)] = srcStart + static_cast<int>((2 * j + 1) * src / (2 * total));
  }
  return map;
}

// A source surface and the colours a monochrome source's 0 and 1 bits stand for.
struct Source {
  const PixelSurface* surface = nullptr;
  std::uint32_t monoZero = 0;
  std::uint32_t monoOne = 0x00FFFFFF;

  std::uint32_t At(int x, int y) const {
    if (!surface || x < 0 || y < 0 || x >= surface->Width() || y >= surface->Height()) return 0;
    if (surface->BitsPerPixel() == 1) return surface->PixelAt(x, y) ? monoOne : monoZero;
    return surface->PixelAt(x, y);
  }
};

enum class Mode { Rop, Alpha, Transparent };

struct BlitJob {
  Mode mode = Mode::Rop;
  std::uint8_t rop = 0xCC;
  std::uint32_t pattern = 0;
  BLENDFUNCTION blend;
  std::uint32_t key = 0;
};

inline std::uint32_t Div255(std::uint32_t v) { return (v + 128 + ((v + 128) >> 8)) >> 8; }

// Div255 on the two 16-bit lanes of x (each below 255 * 255 + 1).
inline std::uint32_t Div255Lanes(std::uint32_t x) {
  const std::uint32_t t = x + 0x00800080u;
  return ((t + ((t >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Source over destination, as AlphaBlend documents it.
std::uint32_t BlendPixel(std::uint32_t s, std::uint32_t d, const BLENDFUNCTION& f) {
  const std::uint32_t ca = f.SourceConstantAlpha;
  if (f.AlphaFormat & AC_SRC_ALPHA) {
    const std::uint32_t a = s >> 24;
    const bool premultiplied = (s & 0xFF) <= a && ((s >> 8) & 0xFF) <= a && ((s >> 16) & 0xFF) <= a;
    if (ca == 255 && premultiplied) {
      if (a == 0) return d;
      if (a == 255) return s;
      const std::uint32_t inv = 255 - a;
      const std::uint32_t rb = Div255Lanes((d & 0x00FF00FFu) * inv);
      const std::uint32_t ag = Div255Lanes(((d >> 8) & 0x00FF00FFu) * inv) << 8;
      return s + rb + ag;  // cannot carry: each channel of s is at most a
    }
    std::uint32_t sp[4];
    for (int k = 0; k < 4; ++k) sp[k] = ca == 255 ? (s >> (8 * k)) & 0xFF : Div255(((s >> (8 * k)) & 0xFF) * ca);
    const std::uint32_t inv = 255 - sp[3];
    std::uint32_t out = 0;
    for (int k = 0; k < 4; ++k) {
      const std::uint32_t v = std::min<std::uint32_t>(255, sp[k] + Div255(((d >> (8 * k)) & 0xFF) * inv));
      out |= v << (8 * k);
    }
    return out;
  }
  const std::uint32_t ica = 255 - ca;
  const std::uint32_t rb = Div255Lanes((s & 0x00FF00FFu) * ca + (d & 0x00FF00FFu) * ica);
  const std::uint32_t ag = Div255Lanes(((s >> 8) & 0x00FF00FFu) * ca + ((d >> 8) & 0x00FF00FFu) * ica) << 8;
  return rb | ag;
}

// Runs a blit: destination rectangle `dst` in surface coordinates, column and row maps into
// the source surface (one entry per destination column and row).
void Run(DeviceContext& dc, const TRect& dst, Source src, const std::vector<int>& cols, const std::vector<int>& rows,
         const BlitJob& job) {
  PixelSurface& d = *dc.surface;
  // Reading and writing the same surface: read from a copy, so overlapping moves come out right.
  std::shared_ptr<PixelSurface> copy;
  if (src.surface == &d) {
    copy = PixelSurface::Create(d.Width(), d.Height(), d.BitsPerPixel());
    if (!copy) return;
    std::memcpy(copy->Bits(), d.Bits(), d.ByteSize());
    src.surface = copy.get();
  }
  const bool fast32 = d.BitsPerPixel() == 32 && src.surface && src.surface->BitsPerPixel() == 32;
  // Unscaled, unmirrored columns: source column = destination column + shift.
  const bool straight = !cols.empty() && cols.back() - cols.front() == static_cast<int>(cols.size()) - 1 &&
                        (cols.size() < 2 || cols[1] == cols[0] + 1);
  const int shift = cols.empty() ? 0 : cols.front() - dst.Left;
  for (const TRect& clip : dc.ClipRects()) {
    const TRect r = Intersect(clip, dst);
    if (r.IsEmpty()) continue;
    for (int y = r.Top; y < r.Bottom; ++y) {
      const int sy = rows[static_cast<std::size_t>(y - dst.Top)];
      const bool rowInside = src.surface && sy >= 0 && sy < src.surface->Height();
      if (fast32 && straight && job.mode == Mode::Rop && job.rop == 0xCC) {
        // Plain copy of a row: the part inside the source is moved in one go, the rest reads 0.
        std::uint32_t* drow = d.Row32(y);
        const int from = std::max(r.Left, -shift);
        const int to = std::min(r.Right, src.surface->Width() - shift);
        if (!rowInside || from >= to) {
          std::fill(drow + r.Left, drow + r.Right, 0u);
          continue;
        }
        std::fill(drow + r.Left, drow + from, 0u);
        std::memmove(drow + from, src.surface->Row32(sy) + from + shift, static_cast<std::size_t>(to - from) * 4);
        std::fill(drow + to, drow + r.Right, 0u);
        continue;
      }
      const std::uint32_t* srow = fast32 && rowInside ? src.surface->Row32(sy) : nullptr;
      std::uint32_t* drow = d.BitsPerPixel() == 32 ? d.Row32(y) : nullptr;
      for (int x = r.Left; x < r.Right; ++x) {
        const int sx = straight ? x + shift : cols[static_cast<std::size_t>(x - dst.Left)];
        std::uint32_t s = 0;
        if (srow && sx >= 0 && sx < src.surface->Width())
          s = srow[sx];
        else if (!fast32)
          s = src.At(sx, sy);
        const std::uint32_t dv = drow ? drow[x] : d.PixelAt(x, y);
        std::uint32_t out = dv;
        switch (job.mode) {
          case Mode::Rop:
            out = job.rop == 0xCC ? s : Rop3(job.rop, job.pattern, s, dv);
            break;
          case Mode::Alpha:
            out = BlendPixel(s, dv, job.blend);
            break;
          case Mode::Transparent:
            if ((s & 0x00FFFFFF) == job.key) continue;
            out = s;
            break;
        }
        if (drow)
          drow[x] = out;
        else
          d.SetPixelAt(x, y, out);
      }
    }
  }
}

// The shared body of the blit calls: logical rectangles of both DCs to surface coordinates,
// mirroring and the source check.
BOOL Blit(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc, int hSrc,
          BlitJob job, bool requireSourceInside) {
  auto dc = FindDC(hdcDest);
  if (!dc || !dc->surface) return FALSE;
  const bool needSource = job.mode != Mode::Rop || UsesSource(job.rop);
  std::shared_ptr<DeviceContext> sdc;
  if (needSource) {
    sdc = FindDC(hdcSrc);
    if (!sdc || !sdc->surface) return FALSE;
  }
  if (wDest == 0 || hDest == 0) return TRUE;
  // Coordinates far beyond any surface are refused, so no sum below can overflow.
  constexpr std::int64_t kLimit = std::int64_t{1} << 28;
  for (std::int64_t v : {std::int64_t{xDest}, std::int64_t{yDest}, std::int64_t{wDest}, std::int64_t{hDest},
                         std::int64_t{xSrc}, std::int64_t{ySrc}, std::int64_t{wSrc}, std::int64_t{hSrc}})
    if (v < -kLimit || v > kLimit) return FALSE;
  const bool mirrorX = (wDest < 0) != (wSrc < 0);
  const bool mirrorY = (hDest < 0) != (hSrc < 0);
  const TPoint off = dc->Offset();
  TRect whole{std::min(xDest, xDest + wDest) + off.X, std::min(yDest, yDest + hDest) + off.Y, 0, 0};
  whole.Right = whole.Left + std::abs(wDest);
  whole.Bottom = whole.Top + std::abs(hDest);
  // Only the part on the surface is mapped and drawn.
  const TRect dst = Intersect(whole, {0, 0, dc->surface->Width(), dc->surface->Height()});
  Source src;
  std::vector<int> cols, rows;
  if (needSource) {
    const TPoint soff = sdc->Offset();
    const int sx = std::min(xSrc, xSrc + wSrc) + soff.X;
    const int sy = std::min(ySrc, ySrc + hSrc) + soff.Y;
    const int sw = std::abs(wSrc), sh = std::abs(hSrc);
    if (sw == 0 || sh == 0) return FALSE;
    if (requireSourceInside && (sx < 0 || sy < 0 || static_cast<std::int64_t>(sx) + sw > sdc->surface->Width() ||
                                static_cast<std::int64_t>(sy) + sh > sdc->surface->Height()))
      return FALSE;
    if (dst.IsEmpty()) return TRUE;
    src.surface = sdc->surface.get();
    src.monoZero = PixelOf(dc->state.textColor);
    src.monoOne = PixelOf(dc->state.bkColor);
    cols = MapAxis(whole.Width(), dst.Left - whole.Left, dst.Width(), sx, sw, mirrorX);
    rows = MapAxis(whole.Height(), dst.Top - whole.Top, dst.Height(), sy, sh, mirrorY);
  } else {
    if (dst.IsEmpty()) return TRUE;
    cols.assign(static_cast<std::size_t>(dst.Width()), -1);
    rows.assign(static_cast<std::size_t>(dst.Height()), -1);
  }
  std::shared_ptr<DeviceContext> keepAlive = sdc;
  Run(*dc, dst, src, cols, rows, job);
  return TRUE;
}

}  // namespace

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  if (cx < 0 || cy < 0) return FALSE;
  BlitJob job;
  job.rop = static_cast<std::uint8_t>(rop >> 16);
  if (UsesPattern(job.rop)) {
    auto dc = FindDC(hdc);
    if (!dc) return FALSE;
    job.pattern = PixelOf(dc->state.brush->brush.lbColor);
  }
  return Blit(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, job, false);
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop) {
  BlitJob job;
  job.rop = static_cast<std::uint8_t>(rop >> 16);
  if (UsesPattern(job.rop)) {
    auto dc = FindDC(hdcDest);
    if (!dc) return FALSE;
    job.pattern = PixelOf(dc->state.brush->brush.lbColor);
  }
  if (!UsesSource(job.rop)) return Blit(hdcDest, xDest, yDest, wDest, hDest, nullptr, 0, 0, 1, 1, job, false);
  return Blit(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, job, false);
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  BlitJob job;
  job.rop = static_cast<std::uint8_t>(rop >> 16);
  if (UsesSource(job.rop)) return FALSE;
  if (UsesPattern(job.rop) && dc->state.brush->brush.lbStyle == BS_NULL) return TRUE;
  job.pattern = PixelOf(dc->state.brush->brush.lbColor);
  return Blit(hdc, x, y, w, h, nullptr, 0, 0, w, h, job, false);
}

BOOL AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc, int xoriginSrc,
                int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn) {
  if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0 || ftn.BlendOp != AC_SRC_OVER) return FALSE;
  BlitJob job;
  job.mode = Mode::Alpha;
  job.blend = ftn;
  return Blit(hdcDest, xoriginDest, yoriginDest, wDest, hDest, hdcSrc, xoriginSrc, yoriginSrc, wSrc, hSrc, job, true);
}

BOOL TransparentBlt(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc, int xoriginSrc,
                    int yoriginSrc, int wSrc, int hSrc, UINT crTransparent) {
  if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0) return FALSE;
  BlitJob job;
  job.mode = Mode::Transparent;
  job.key = PixelOf(crTransparent);
  return Blit(hdcDest, xoriginDest, yoriginDest, wDest, hDest, hdcSrc, xoriginSrc, yoriginSrc, wSrc, hSrc, job, true);
}

namespace {

// Row stride of DIB rows of that width and depth.
std::size_t DibStride(int width, int bits) { return PixelSurface::RowBytes(width, bits); }

bool DibHeaderUsable(const BITMAPINFO* bmi) {
  if (!bmi) return false;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  return (h.biBitCount == 24 || h.biBitCount == 32) && h.biWidth > 0 && h.biHeight != 0 &&
         PixelSurface::SizeAllowed(h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight) &&
         (h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && h.biBitCount == 32));
}

}  // namespace

int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc, int SrcWidth,
                  int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT, DWORD rop) {
  if (!lpBits || !DibHeaderUsable(lpbmi)) return 0;
  const BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  const int width = h.biWidth;
  const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  const bool bottomUp = h.biHeight > 0;
  auto surface = PixelSurface::Create(width, height, h.biBitCount);
  if (!surface) return 0;
  const std::size_t stride = DibStride(width, h.biBitCount);
  for (int y = 0; y < height; ++y) {
    const int fileRow = bottomUp ? height - 1 - y : y;
    std::memcpy(surface->Row(y), static_cast<const std::uint8_t*>(lpBits) + stride * static_cast<std::size_t>(fileRow),
                stride);
  }
  // A bottom-up DIB counts ySrc from its bottom row.
  const int top = bottomUp ? height - ySrc - SrcHeight : ySrc;
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateBitmapFromSurface(surface);
  HGDIOBJ old = SelectObject(mem, bm);
  const BOOL ok = StretchBlt(hdc, xDest, yDest, DestWidth, DestHeight, mem, xSrc, top, SrcWidth, SrcHeight, rop);
  SelectObject(mem, old);
  DeleteObject(bm);
  DeleteDC(mem);
  return ok ? std::abs(SrcHeight) : 0;
}

int GetDIBits(HDC, HBITMAP hbm, UINT start, UINT cLines, void* lpvBits, BITMAPINFO* lpbmi, UINT) {
  auto surface = GetBitmapSurface(hbm);
  if (!surface || !lpbmi) return 0;
  BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  if (!lpvBits) {
    h.biWidth = surface->Width();
    h.biHeight = surface->Height();
    h.biPlanes = 1;
    if (h.biBitCount != 24 && h.biBitCount != 32) h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(DibStride(h.biWidth, h.biBitCount) * static_cast<std::size_t>(surface->Height()));
    return surface->Height();
  }
  if (h.biBitCount != 24 && h.biBitCount != 32) return 0;
  if (h.biWidth <= 0 || h.biHeight == 0) return 0;
  const bool bottomUp = h.biHeight > 0;
  const int width = std::min<int>(h.biWidth, surface->Width());
  const std::size_t stride = DibStride(h.biWidth, h.biBitCount);
  const int height = surface->Height();
  int copied = 0;
  for (UINT k = start; k < start + cLines && k < static_cast<UINT>(height); ++k) {
    const int row = bottomUp ? height - 1 - static_cast<int>(k) : static_cast<int>(k);
    auto* out = static_cast<std::uint8_t*>(lpvBits) + stride * (k - start);
    std::memset(out, 0, stride);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = surface->PixelAt(x, row);
      if (h.biBitCount == 32) {
        std::memcpy(out + static_cast<std::size_t>(x) * 4, &p, 4);
      } else {
        out[x * 3] = static_cast<std::uint8_t>(p);
        out[x * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
        out[x * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
      }
    }
    ++copied;
  }
  return copied;
}

int SetDIBits(HDC, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi, UINT) {
  auto surface = GetBitmapSurface(hbm);
  if (!surface || !lpBits || !DibHeaderUsable(lpbmi)) return 0;
  const BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  const bool bottomUp = h.biHeight > 0;
  const int width = std::min<int>(h.biWidth, surface->Width());
  const std::size_t stride = DibStride(h.biWidth, h.biBitCount);
  const int height = surface->Height();
  int written = 0;
  for (UINT k = start; k < start + cLines && k < static_cast<UINT>(height); ++k) {
    const int row = bottomUp ? height - 1 - static_cast<int>(k) : static_cast<int>(k);
    const auto* in = static_cast<const std::uint8_t*>(lpBits) + stride * (k - start);
    for (int x = 0; x < width; ++x) {
      std::uint32_t p = 0;
      if (h.biBitCount == 32)
        std::memcpy(&p, in + static_cast<std::size_t>(x) * 4, 4);
      else
        p = in[x * 3] | (in[x * 3 + 1] << 8) | (in[x * 3 + 2] << 16);
      surface->SetPixelAt(x, row, p);
    }
    ++written;
  }
  return written;
}
