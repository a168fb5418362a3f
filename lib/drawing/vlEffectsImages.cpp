// TvlEffectBmp and the routines on skin bitmaps (blur, mask alpha, glow and reflection texts)
// of the drawing core; declared in vlEffects.h.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "lib/drawing/vlEffects.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Surface.h"

namespace {

using vlutils_detail::RoundEven;
using vlutils_detail::SelectedBitmap;

std::uint8_t Channel(double v) { return static_cast<std::uint8_t>(std::clamp(RoundEven(v), 0, 255)); }

// own * t + other * (1 - t) for each of the three bytes.
void Mix(std::uint8_t* own, const std::uint8_t* other, double t) {
  for (int c = 0; c < 3; ++c) own[c] = Channel(own[c] * t + other[c] * (1.0 - t));
}

}  // namespace

// ---- TvlEffectBmp: construction and output -----------------------------------------------------

TvlEffectBmp::TvlEffectBmp(int cx, int cy) {
  BmpHeader.biSize = 40;
  BmpHeader.biPlanes = 1;
  BmpHeader.biBitCount = 24;
  BmpHeader.biCompression = BI_RGB;
  if (cx <= 0 || cy <= 0 || !PixelSurface::SizeAllowed(cx, cy)) {
    BmpInfo.bmiHeader = BmpHeader;
    return;
  }
  FSurface = PixelSurface::Create(cx, cy, 24);
  if (!FSurface) return;
  Handle = CreateBitmapFromSurface(FSurface);
  Width = cx;
  Height = cy;
  RowSize = Width * 3 + Width % 4;
  Size = RowSize * Height;
  Bits = FSurface->Bits();
  BmpHeader.biWidth = cx;
  BmpHeader.biHeight = -cy;
  BmpInfo.bmiHeader = BmpHeader;
}

std::unique_ptr<TvlEffectBmp> TvlEffectBmp::CreateFromhWnd(HBITMAP hBmp) {
  BITMAP bm{};
  if (!hBmp || GetObject(hBmp, sizeof bm, &bm) == 0) return std::make_unique<TvlEffectBmp>(0, 0);
  auto out = std::make_unique<TvlEffectBmp>(bm.bmWidth, std::abs(bm.bmHeight));
  if (!out->Bits) return out;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, hBmp, 0, static_cast<UINT>(out->Height), out->Bits, &out->BmpInfo, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return out;
}

std::unique_ptr<TvlEffectBmp> TvlEffectBmp::CreateCopy(const TvlEffectBmp* hBmp) {
  if (!hBmp) return std::make_unique<TvlEffectBmp>(0, 0);
  auto out = std::make_unique<TvlEffectBmp>(hBmp->Width, hBmp->Height);
  if (out->Bits && hBmp->Bits) std::memcpy(out->Bits, hBmp->Bits, static_cast<std::size_t>(hBmp->Size));
  return out;
}

TvlEffectBmp::~TvlEffectBmp() {
  if (Handle) DeleteObject(Handle);
}

void TvlEffectBmp::Draw(HDC hDC, int x, int y) { DrawRect(hDC, x, y, 0, 0, Width, Height); }

void TvlEffectBmp::Stretch(HDC hDC, int x, int y, int cx, int cy) {
  if (!Handle) return;
  SelectedBitmap src(Handle);
  if (src.Get()) StretchBlt(hDC, x, y, cx, cy, src.Get(), 0, 0, Width, Height, SRCCOPY);
}

void TvlEffectBmp::DrawRect(HDC hDC, int hx, int hy, int x, int y, int cx, int cy) {
  if (!Handle) return;
  SelectedBitmap src(Handle);
  if (src.Get()) BitBlt(hDC, hx, hy, cx, cy, src.Get(), x, y, SRCCOPY);
}

void TvlEffectBmp::GetScanLine(int y, std::uint8_t* Line) const {
  std::memcpy(Line, Row(y), static_cast<std::size_t>(Width) * 3);
}

bool TvlEffectBmp::SameSize(const TvlEffectBmp* Other) const {
  return Other && Bits && Other->Bits && Other->Width == Width && Other->Height == Height;
}

void TvlEffectBmp::Resize(TvlEffectBmp* Dst) {
  if (!Dst || !Dst->Bits || !Bits) return;
  const double sx = static_cast<double>(Dst->Width - 1) / Width, sy = static_cast<double>(Dst->Height - 1) / Height;
  const int bw = RoundEven(sx) + 1, bh = RoundEven(sy) + 1;
  for (int a = 0; a < Height; ++a) {
    const int y0 = RoundEven(sy * a);
    for (int b = 0; b < Width; ++b) {
      const int x0 = RoundEven(sx * b);
      const std::uint8_t* p = Row(a) + 3 * b;
      for (int y = std::max(0, y0); y < std::min(Dst->Height, y0 + bh); ++y)
        for (int x = std::max(0, x0); x < std::min(Dst->Width, x0 + bw); ++x) std::memcpy(Dst->Row(y) + 3 * x, p, 3);
    }
  }
}

void TvlEffectBmp::CopyRect(TvlEffectBmp* BMP, const TRect& Rct, int StartX, int StartY) {
  if (!BMP || !BMP->Bits || !Bits) return;
  const int right = std::min(Rct.Right, Width - 1), bottom = std::min(Rct.Bottom, Height - 1);
  for (int y = std::max(0, Rct.Top); y <= bottom; ++y) {
    const int sy = StartY + y - Rct.Top;
    if (sy < 0 || sy >= BMP->Height) continue;
    for (int x = std::max(0, Rct.Left); x <= right; ++x) {
      const int sx = StartX + x - Rct.Left;
      if (sx < 0 || sx >= BMP->Width) continue;
      std::memcpy(Row(y) + 3 * x, BMP->Row(sy) + 3 * sx, 3);
    }
  }
}

void TvlEffectBmp::MorphRect(TvlEffectBmp* BMP, double Kf, const TRect& Rct, int StartX, int StartY) {
  if (!BMP || !BMP->Bits || !Bits) return;
  Kf = std::clamp(Kf, 0.0, 1.0);
  for (int y = std::max(0, Rct.Top); y < std::min(Rct.Bottom, Height); ++y) {
    const int sy = StartY + y - Rct.Top;
    if (sy < 0 || sy >= BMP->Height) continue;
    for (int x = std::max(0, Rct.Left); x < std::min(Rct.Right, Width); ++x) {
      const int sx = StartX + x - Rct.Left;
      if (sx < 0 || sx >= BMP->Width) continue;
      std::uint8_t* d = Row(y) + 3 * x;
      const std::uint8_t* s = BMP->Row(sy) + 3 * sx;
      for (int c = 0; c < 3; ++c) d[c] = Channel((1.0 - Kf) * d[c] + Kf * s[c]);
    }
  }
}

// ---- Transitions -------------------------------------------------------------------------------

void TvlEffectBmp::Morph(TvlEffectBmp* BMP, double Kf) {
  if (!SameSize(BMP)) return;
  Kf = std::clamp(Kf, 0.0, 1.0);
  for (int y = 0; y < Height; ++y) {
    std::uint8_t* d = Row(y);
    const std::uint8_t* s = BMP->Row(y);
    for (int i = 0; i < Width * 3; ++i) d[i] = Channel((1.0 - Kf) * d[i] + Kf * s[i]);
  }
}

void TvlEffectBmp::MorphGrad(TvlEffectBmp* BMP, double Kf) {
  if (Width < Height)
    MorphVGrad(BMP, Kf);
  else
    MorphHGrad(BMP, Kf);
}

// Applies columnWeight(column) -> t (or a negative value for "leave own") to every row.
template <typename F>
void TvlEffectBmp::MixColumns(TvlEffectBmp* BMP, F columnWeight) {
  for (int y = 0; y < Height; ++y) {
    std::uint8_t* d = Row(y);
    const std::uint8_t* s = BMP->Row(y);
    for (int x = 0; x < Width; ++x) {
      const double t = columnWeight(x);
      if (t == t) Mix(d + 3 * x, s + 3 * x, t);
    }
  }
}

void TvlEffectBmp::MorphHGrad(TvlEffectBmp* BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int W = Width;
  const int b = RoundEven(W * Kf);
  const int e = (W - b) / 2;
  const double f = e == 0 ? 1.0 : 1.0 / e;
  const int lo = std::max(0, W / 2 - b / 2), hi = std::min(W - 1, b / 2 + W / 2);
  // In place, column after column: a pixel mixed once is the "own" of a later mix.
  auto mixColumn = [&](int x, double t) {
    if (x < 0 || x >= W) return;
    for (int y = 0; y < Height; ++y) Mix(Row(y) + 3 * x, BMP->Row(y) + 3 * x, t);
  };
  for (int x = lo; x <= hi; ++x) mixColumn(x, 0.0);
  for (int x = lo, k = 0; x >= 0; --x, ++k) mixColumn(x, std::min(1.0, k * f));
  for (int x = hi, k = 0; x >= 0 && x < W; ++x, ++k) mixColumn(x, std::min(1.0, k * f));
}

void TvlEffectBmp::MorphVGrad(TvlEffectBmp* BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int H = Height;
  const int b = RoundEven(H * Kf);
  const int e = (H - b - 1) / 2;
  const double f = e == 0 ? 0.0 : 1.0 / e;
  const int lo = std::max(0, H / 2 - b / 2), hi = std::min(H - 1, b / 2 + H / 2);
  auto mixRow = [&](int y, double t) {
    if (y < 0 || y >= H) return;
    std::uint8_t* d = Row(y);
    const std::uint8_t* s = BMP->Row(y);
    for (int x = 0; x < Width; ++x) Mix(d + 3 * x, s + 3 * x, t);
  };
  for (int y = lo; y <= hi; ++y) mixRow(y, 0.0);
  for (int y = lo, k = 0; y >= 0; --y, ++k) mixRow(y, std::min(1.0, k * f));
  for (int y = hi, k = 0; y >= 0 && y < H; ++y, ++k) mixRow(y, std::min(1.0, k * f));
}

void TvlEffectBmp::MorphLeftGrad(TvlEffectBmp* BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int b = std::min(std::max(1, RoundEven(Width * Kf)), Width - 1);
  const double step = b > 0 ? 1.0 / b : 0.0;
  MixColumns(BMP, [&](int x) {
    return x <= b ? std::min(1.0, x * step) : std::numeric_limits<double>::quiet_NaN();
  });
}

void TvlEffectBmp::MorphRightGrad(TvlEffectBmp* BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int s = std::clamp(Width - RoundEven(Width * Kf), 0, Width - 1);
  const double e = 1.0 / (Width - s);
  MixColumns(BMP, [&](int x) {
    return x >= s ? std::min(1.0, (Width - 1 - x) * e) : std::numeric_limits<double>::quiet_NaN();
  });
}

void TvlEffectBmp::MorphPush(TvlEffectBmp* BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int W = Width;
  const int b = std::clamp(RoundEven(W * Kf), 0, W - 1);
  std::vector<std::uint8_t> own(static_cast<std::size_t>(W) * 3);
  for (int y = 0; y < Height; ++y) {
    std::uint8_t* d = Row(y);
    const std::uint8_t* s = BMP->Row(y);
    std::memcpy(own.data(), d, own.size());
    for (int j = b + 1; j < W; ++j) std::memcpy(d + 3 * j, own.data() + 3 * (j - b - 1), 3);
    std::memcpy(d + 3 * b, own.data(), 3);
    for (int k = 0; k <= b; ++k) std::memcpy(d + 3 * k, s + 3 * (W - b - 1 + k), 3);
  }
}

void TvlEffectBmp::MorphLeftSlide(TvlEffectBmp* BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int W = Width;
  const int b = std::min(std::max(1, RoundEven(W * Kf)), W - 1);
  if (b <= 0) return;
  for (int y = 0; y < Height; ++y) std::memcpy(Row(y), BMP->Row(y) + 3 * (W - b), static_cast<std::size_t>(b) * 3);
}

void TvlEffectBmp::MorphRightSlide(TvlEffectBmp* BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int W = Width;
  const int b = std::min(std::max(1, RoundEven(W * Kf)), W - 1);
  if (b <= 0) return;
  for (int y = 0; y < Height; ++y) std::memcpy(Row(y) + 3 * (W - b), BMP->Row(y), static_cast<std::size_t>(b) * 3);
}

// ---- Image effects -----------------------------------------------------------------------------

void TvlEffectBmp::ChangeBrightness(double Kf) {
  Kf = std::clamp(Kf, 0.0, 1.0);
  for (int y = 0; y < Height; ++y) {
    std::uint8_t* d = Row(y);
    for (int i = 0; i < Width * 3; ++i) d[i] = Channel((1.0 - Kf) * d[i] + 255.0 * Kf);
  }
}

void TvlEffectBmp::ChangeDarkness(double Kf) {
  Kf = std::clamp(Kf, 0.0, 1.0);
  for (int y = 0; y < Height; ++y) {
    std::uint8_t* d = Row(y);
    for (int i = 0; i < Width * 3; ++i) d[i] = Channel((1.0 - Kf) * d[i]);
  }
}

void TvlEffectBmp::GrayScale() {
  for (int y = 0; y < Height; ++y) {
    std::uint8_t* d = Row(y);
    for (int x = 0; x < Width; ++x, d += 3) {
      const std::uint8_t g = Channel(0.3 * d[2] + 0.59 * d[1] + 0.11 * d[0]);
      d[0] = d[1] = d[2] = g;
    }
  }
}

void TvlEffectBmp::Invert() {
  for (int y = 0; y < Height; ++y) {
    std::uint8_t* d = Row(y);
    for (int i = 0; i < Width * 3; ++i) d[i] = static_cast<std::uint8_t>(255 - d[i]);
  }
}

void TvlEffectBmp::SplitBlurAt(int i, int j, int Amount) {
  int u = i - Amount, d = i + Amount, l = j - Amount, r = j + Amount;
  if (u < 0 || u >= Height) u = i;
  if (d < 0 || d >= Height) d = i;
  if (l < 0 || l >= Width) l = j;
  if (r < 0 || r >= Width) r = j;
  std::uint8_t* p = Row(i) + 3 * j;
  for (int c = 0; c < 3; ++c) {
    const int sum = Row(u)[3 * l + c] + Row(u)[3 * r + c] + Row(d)[3 * l + c] + Row(d)[3 * r + c];
    p[c] = static_cast<std::uint8_t>(sum / 4);
  }
}

void TvlEffectBmp::SplitBlur(int Amount) {
  if (Amount == 0) return;
  for (int i = 0; i < Height; ++i)
    for (int j = 0; j < Width; ++j) SplitBlurAt(i, j, Amount);
}

void TvlEffectBmp::Mosaic(int ASize) {
  if (ASize <= 0) return;
  for (int y = 0; y < Height; ++y) {
    const int by = y - y % ASize;
    for (int x = 0; x < Width; ++x) {
      const int bx = x - x % ASize;
      if (bx != x || by != y) std::memcpy(Row(y) + 3 * x, Row(by) + 3 * bx, 3);
    }
  }
}

void TvlEffectBmp::AddMonoNoise(int Amount) {
  if (Amount <= 0) return;
  std::uniform_int_distribution<int> pick(0, Amount - 1);
  for (int y = 0; y < Height; ++y) {
    std::uint8_t* d = Row(y);
    for (int x = 0; x < Width; ++x, d += 3) {
      const int n = pick(FRandom) - Amount / 2;
      for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>(std::clamp(d[c] + n, 0, 255));
    }
  }
}

void TvlEffectBmp::AddColorNoise(int Amount) {
  if (Amount <= 0) return;
  std::uniform_int_distribution<int> pick(0, Amount - 1);
  for (int y = 0; y < Height; ++y) {
    std::uint8_t* d = Row(y);
    for (int i = 0; i < Width * 3; ++i) d[i] = static_cast<std::uint8_t>(std::clamp(d[i] + pick(FRandom) - Amount / 2, 0, 255));
  }
}

void TvlEffectBmp::Rotate90_1(TvlEffectBmp* Dst) {
  if (!Dst || !Dst->Bits || !Bits || Dst->Width != Height || Dst->Height != Width) return;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) std::memcpy(Dst->Row(Width - 1 - x) + 3 * y, Row(y) + 3 * x, 3);
}

void TvlEffectBmp::Rotate90_2(TvlEffectBmp* Dst) {
  if (!Dst || !Dst->Bits || !Bits || Dst->Width != Height || Dst->Height != Width) return;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) std::memcpy(Dst->Row(x) + 3 * (Height - 1 - y), Row(y) + 3 * x, 3);
}

void TvlEffectBmp::FlipVert(TvlEffectBmp* Dst) {
  if (!SameSize(Dst)) return;
  for (int y = 0; y < Height; ++y) std::memcpy(Dst->Row(Height - 1 - y), Row(y), static_cast<std::size_t>(Width) * 3);
}

void TvlEffectBmp::Wave(int XDIV, int YDIV, int RatioVal) {
  if (XDIV == 0 || YDIV == 0 || !Bits) return;
  const std::vector<std::uint8_t> copy(static_cast<std::uint8_t*>(Bits), static_cast<std::uint8_t*>(Bits) + Size);
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) {
      const int sx = std::clamp(RoundEven(std::sin(static_cast<double>(y) / YDIV) * RatioVal + x), 0, Width - 1);
      const int sy = std::clamp(RoundEven(y + RatioVal * std::sin(static_cast<double>(x) / XDIV)), 0, Height - 1);
      std::memcpy(Row(y) + 3 * x, copy.data() + static_cast<std::size_t>(sy) * RowSize + 3 * sx, 3);
    }
  }
}

namespace {
bool White(const TvlEffectBmp* m, int x, int y) {
  const std::uint8_t* p = m->Row(y) + 3 * x;
  return p[0] == 255 && p[1] == 255 && p[2] == 255;
}
bool MaskUsable(const TvlEffectBmp* self, const TvlEffectBmp* m) {
  return m && m->Bits && self->Bits && m->Width == self->Width && m->Height >= self->Height;
}
}  // namespace

void TvlEffectBmp::MaskAntialiasing(TvlEffectBmp* Msk, int Amount) {
  if (Amount == 0 || !MaskUsable(this, Msk)) return;
  auto white = [&](int x, int y) { return x >= 0 && x < Width && y >= 0 && y < Height && White(Msk, x, y); };
  for (int i = 0; i < Height; ++i)
    for (int j = 0; j < Width; ++j) {
      if (White(Msk, j, i)) continue;
      if (white(j - Amount, i - Amount) || white(j + Amount, i - Amount) || white(j - Amount, i + Amount) ||
          white(j + Amount, i + Amount))
        SplitBlurAt(i, j, Amount);
    }
}

void TvlEffectBmp::MaskBlur(TvlEffectBmp* Msk, int Amount) {
  if (Amount == 0 || !MaskUsable(this, Msk)) return;
  for (int i = 0; i < Height; ++i)
    for (int j = 0; j < Width; ++j)
      if (!White(Msk, j, i)) SplitBlurAt(i, j, Amount);
}

void TvlEffectBmp::MaskFillColor(TvlEffectBmp* Msk, TColor C, double kf) {
  if (!MaskUsable(this, Msk)) return;
  const TvlColor px = ColorToPixel(C);
  const double colour[3] = {static_cast<double>(px & 0xFF), static_cast<double>((px >> 8) & 0xFF),
                            static_cast<double>((px >> 16) & 0xFF)};
  for (int i = 0; i < Height; ++i)
    for (int j = 0; j < Width; ++j) {
      if (White(Msk, j, i)) continue;
      std::uint8_t* p = Row(i) + 3 * j;
      for (int c = 0; c < 3; ++c) p[c] = Channel((1.0 - kf) * p[c] + kf * colour[c]);
    }
}

// ---- Routines on skin bitmaps ------------------------------------------------------------------

namespace {

// One pass of the triangular kernel along a line of n samples (stride apart), in place, as two
// running box sums of Radius + 1 samples over the edge-extended line.
void BlurLine(TvlColor* line, int n, std::ptrdiff_t stride, int radius, std::vector<std::int64_t>& ext,
              std::vector<std::int64_t>& box, int shift) {
  const int r = radius;
  const std::int64_t div = static_cast<std::int64_t>(r + 1) * (r + 1);
  const int len = n + 2 * r;
  for (int i = 0; i < len; ++i) {
    const int src = std::clamp(i - r, 0, n - 1);
    ext[static_cast<std::size_t>(i)] = (line[src * stride] >> shift) & 0xFF;
  }
  // box[i] = ext[i] + ... + ext[i + r], for i in 0 .. n + r - 1.
  std::int64_t sum = 0;
  for (int i = 0; i <= r; ++i) sum += ext[static_cast<std::size_t>(i)];
  for (int i = 0; i < n + r; ++i) {
    box[static_cast<std::size_t>(i)] = sum;
    if (i + r + 1 < len) sum += ext[static_cast<std::size_t>(i + r + 1)];
    sum -= ext[static_cast<std::size_t>(i)];
  }
  // out[x] = box[x] + ... + box[x + r]: weights r + 1 - |k| around ext[x + r].
  sum = 0;
  for (int i = 0; i <= r; ++i) sum += box[static_cast<std::size_t>(i)];
  for (int x = 0; x < n; ++x) {
    const TvlColor v = static_cast<TvlColor>(sum / div);
    TvlColor& p = line[x * stride];
    p = (p & ~(static_cast<TvlColor>(0xFF) << shift)) | (v << shift);
    if (x + r + 1 < n + r) sum += box[static_cast<std::size_t>(x + r + 1)];
    sum -= box[static_cast<std::size_t>(x)];
  }
}

}  // namespace

void BlurBitmap(TvlBitmap* Bitmap, int Radius) {
  if (!Bitmap || Bitmap->Empty() || Radius <= 0) return;
  // Beyond the larger side every sample is an edge pixel already; the bound keeps the work
  // buffers small whatever radius a skin names.
  Radius = std::min(Radius, kMaxSurfaceSide);
  const int w = Bitmap->Width(), h = Bitmap->Height();
  const std::size_t len = static_cast<std::size_t>(std::max(w, h)) + 2 * static_cast<std::size_t>(Radius);
  std::vector<std::int64_t> ext(len), box(len);
  for (int shift : {0, 8, 16}) {
    for (int y = 0; y < h; ++y) BlurLine(Bitmap->ScanLine(y), w, 1, Radius, ext, box, shift);
    for (int x = 0; x < w; ++x) BlurLine(Bitmap->Bits() + x, h, w, Radius, ext, box, shift);
  }
  Bitmap->SetAlpha(255);
}

void SetAlphaFromMask(TvlBitmap* Bitmap, TvlBitmap* Mask) {
  if (!Bitmap || !Mask || Bitmap->Empty() || Mask->Empty()) return;
  if (Mask->Width() < Bitmap->Width() || Mask->Height() < Bitmap->Height()) return;
  for (int y = 0; y < Bitmap->Height(); ++y) {
    TvlColor* row = Bitmap->ScanLine(y);
    const TvlColor* m = Mask->ScanLine(y);
    for (int x = 0; x < Bitmap->Width(); ++x) {
      const TvlColor p = m[x];
      const int a = RoundEven((static_cast<double>((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3.0);
      row[x] = (row[x] & 0x00FFFFFF) | (static_cast<TvlColor>(a) << 24);
    }
  }
}

// ---- Glow and reflection texts -----------------------------------------------------------------

namespace {

constexpr int kMaxGlowSize = 256;

// A skin bitmap of w x h with the target's font selected, pure red text and a clear brush.
struct TextBitmap {
  TvlBitmap bitmap;
  HGDIOBJ oldFont = nullptr;
  TextBitmap(HDC target, int w, int h) {
    bitmap.SetSize(w, h);
    if (bitmap.Empty()) return;
    oldFont = SelectObject(bitmap.DC(), GetCurrentObject(target, OBJ_FONT));
    SetTextColor(bitmap.DC(), RGB(255, 0, 0));
    SetBkMode(bitmap.DC(), TRANSPARENT);
  }
  ~TextBitmap() {
    if (oldFont && !bitmap.Empty()) SelectObject(bitmap.DC(), oldFont);
  }
  TextBitmap(const TextBitmap&) = delete;
  TextBitmap& operator=(const TextBitmap&) = delete;
  void Text(const std::string& text, TRect r, UINT flags) { DrawText(bitmap.DC(), text, &r, flags); }
};

// Every pixel takes alpha = its red value and the colour of Color.
void RedToAlpha(TvlBitmap& b, TColor Color) {
  const TvlColor c = ColorToPixel(Color) & 0x00FFFFFF;
  const int n = b.Width() * b.Height();
  TvlColor* p = b.Bits();
  for (int i = 0; i < n; ++i) p[i] = c | (((p[i] >> 16) & 0xFF) << 24);
  b.SetAlphaBlend(true);
}

int TextOnTarget(HDC DC, const std::string& Text, TRect Rect, UINT Flags) {
  SetBkMode(DC, TRANSPARENT);
  return DrawText(DC, Text, &Rect, Flags);
}

TRect Moved(const TRect& r, int dx, int dy) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

void DrawGlow(HDC DC, TRect Rect, const std::string& Text, UINT Flags, int GlowOffset, TColor GlowColor, int GlowSize,
              bool thick) {
  GlowSize = std::clamp(GlowSize, 0, kMaxGlowSize);
  const int w = Rect.Width() + 2 * GlowSize, h = Rect.Height() + 2 * GlowSize;
  if (w <= 0 || h <= 0 || !PixelSurface::SizeAllowed(w, h)) return;
  TextBitmap tb(DC, w, h);
  if (tb.bitmap.Empty()) return;
  const TRect inner{GlowSize, GlowSize, w - GlowSize, h - GlowSize};
  tb.Text(Text, inner, Flags);
  if (thick) {
    for (const TPoint d : {TPoint{-1, 0}, TPoint{1, 0}, TPoint{0, -1}, TPoint{0, 1}})
      tb.Text(Text, Moved(inner, d.X, d.Y), Flags);
  }
  BlurBitmap(&tb.bitmap, GlowSize);
  RedToAlpha(tb.bitmap, GlowColor);
  tb.bitmap.Draw(DC, Rect.Left - GlowSize + GlowOffset, Rect.Top - GlowSize + GlowOffset);
}

}  // namespace

int DrawGlowText(HDC DC, TRect Rect, const std::string& Text, UINT Flags, int GlowOffset, TColor GlowColor,
                 int GlowSize) {
  DrawGlow(DC, Rect, Text, Flags, GlowOffset, GlowColor, GlowSize, false);
  return TextOnTarget(DC, Text, Rect, Flags);
}

void DrawThickGlowText(HDC DC, TRect Rect, const std::string& Text, UINT Flags, int GlowOffset, TColor GlowColor,
                       int GlowSize) {
  DrawGlow(DC, Rect, Text, Flags, GlowOffset, GlowColor, GlowSize, true);
  TextOnTarget(DC, Text, Rect, Flags);
}

int DrawVistaGlowText(HDC DC, TRect Rect, const std::string& Text, UINT Flags, TColor GlowColor) {
  constexpr int kMargin = 12;
  const int w = Rect.Width() + 2 * kMargin, h = Rect.Height() + 2 * kMargin;
  if (w > 0 && h > 0 && PixelSurface::SizeAllowed(w, h)) {
    TextBitmap tb(DC, w, h);
    if (!tb.bitmap.Empty()) {
      const TRect inner{kMargin, kMargin, w - kMargin, h - kMargin};
      const TRect backdrop{inner.Left - 3, inner.Top + 2, inner.Right + 3, inner.Bottom - 2};
      tb.bitmap.FillRect(backdrop, 0x00FF0000);
      for (const TPoint d : {TPoint{-1, -1}, TPoint{-2, -2}, TPoint{-1, 0}, TPoint{-2, 0}, TPoint{1, 0}, TPoint{2, 0},
                             TPoint{1, 1}, TPoint{2, 2}, TPoint{0, 0}})
        tb.Text(Text, Moved(inner, d.X, d.Y), Flags);
      BlurBitmap(&tb.bitmap, 6);
      BlurBitmap(&tb.bitmap, 6);
      RedToAlpha(tb.bitmap, GlowColor);
      tb.bitmap.Draw(DC, Rect.Left - kMargin, Rect.Top - kMargin);
    }
  }
  return TextOnTarget(DC, Text, Rect, Flags);
}

void DrawReflectionText(HDC DC, TRect Rect, const std::string& Text, UINT Flags, int ReflectionOffset,
                        TColor ReflectionColor) {
  const int w = Rect.Width(), h = Rect.Height();
  if (w > 0 && h > 0 && PixelSurface::SizeAllowed(w, h)) {
    TextBitmap tb(DC, w, h);
    if (!tb.bitmap.Empty()) {
      tb.Text(Text, TRect{0, 0, w, h}, Flags);
      TRect inside{0, 0, w, h};
      DrawText(tb.bitmap.DC(), Text, &inside, Flags | DT_CALCRECT);
      TRect placed = Rect;
      DrawText(DC, Text, &placed, Flags | DT_CALCRECT);
      const int T = inside.Top, B = inside.Bottom, CB = placed.Bottom;
      if (B - T > 0) {
        const TvlColor colour = ColorToPixel(ReflectionColor) & 0x00FFFFFF;
        for (int y = 0; y < h; ++y) {
          TvlColor* row = tb.bitmap.ScanLine(y);
          if (y < T || y > B) {
            std::fill(row, row + w, 0u);
            continue;
          }
          const double f = std::max(0.0, 0.7 - static_cast<double>(B + T - y) / (B - T));
          for (int x = 0; x < w; ++x) {
            const int a = std::clamp(RoundEven(((row[x] >> 16) & 0xFF) * f), 0, 255);
            row[x] = colour | (static_cast<TvlColor>(a) << 24);
          }
        }
        tb.bitmap.FlipVert();
        tb.bitmap.SetAlphaBlend(true);
        tb.bitmap.Draw(DC, Rect.Left, CB + B + ReflectionOffset - h);
      }
    }
  }
  TextOnTarget(DC, Text, Rect, Flags);
}

// ---- Canvas forms ------------------------------------------------------------------------------

using vlutils_detail::CanvasTextContext;

int DrawGlowText(TCanvas* Canvas, TRect Rect, const std::string& Text, UINT Flags, int GlowOffset, TColor GlowColor,
                 int GlowSize) {
  return Canvas ? DrawGlowText(CanvasTextContext(Canvas), Rect, Text, Flags, GlowOffset, GlowColor, GlowSize) : 0;
}

void DrawThickGlowText(TCanvas* Canvas, TRect Rect, const std::string& Text, UINT Flags, int GlowOffset,
                       TColor GlowColor, int GlowSize) {
  if (Canvas) DrawThickGlowText(CanvasTextContext(Canvas), Rect, Text, Flags, GlowOffset, GlowColor, GlowSize);
}

int DrawVistaGlowText(TCanvas* Canvas, TRect Rect, const std::string& Text, UINT Flags, TColor GlowColor) {
  return Canvas ? DrawVistaGlowText(CanvasTextContext(Canvas), Rect, Text, Flags, GlowColor) : 0;
}

void DrawReflectionText(TCanvas* Canvas, TRect Rect, const std::string& Text, UINT Flags, int ReflectionOffset,
                        TColor ReflectionColor) {
  if (Canvas) DrawReflectionText(CanvasTextContext(Canvas), Rect, Text, Flags, ReflectionOffset, ReflectionColor);
}
