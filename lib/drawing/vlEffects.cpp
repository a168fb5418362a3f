#include "lib/drawing/vlEffects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/x11/Clipbrd.h"
#include "platform/graphics/Picture.h"
#include "platform/core/Resources.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Surface.h"

namespace {

// ---- Arithmetic helpers ------------------------------------------------------------------------

using vlutils_detail::RoundEven;

std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

constexpr TvlColor kRgbMask = 0x00FFFFFF;

TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  if (r.IsEmpty()) return TRect{};
  return r;
}

TRect Offsetted(const TRect& r, int dx, int dy) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

// ---- Blend variants ----------------------------------------------------------------------------

TvlColor BlendPixelPlain(TvlColor F, TvlColor B) {
  const TvlColor a = F >> 24;
  if (a == 255) return F;
  if (a == 0) return B;
  const TvlColor na = 255 - a;
  // Two channels at a time: red and blue in one word, green in the other.
  const TvlColor rb = (((F & 0x00FF00FF) * a + (B & 0x00FF00FF) * na) >> 8) & 0x00FF00FF;
  const TvlColor g = (((F & 0x0000FF00) * a + (B & 0x0000FF00) * na) >> 8) & 0x0000FF00;
  return 0xFF000000u | rb | g;
}

void BlendLinePlain(const TvlColor* Src, TvlColor* Dst, int Count) {
  for (int i = 0; i < Count; ++i) {
    const TvlColor s = Src[i];
    const TvlColor a = s >> 24;
    if (a == 0) continue;
    Dst[i] = a == 255 ? s : BlendPixelPlain(s, Dst[i]);
  }
}

// The vector-unit formula: every channel, alpha included, (F * a + B * (256 - a)) >> 8.
inline TvlColor BlendFourChannels(TvlColor F, TvlColor B, TvlColor a) {
  const TvlColor na = 256 - a;
  const std::uint64_t f = F, b = B;
  // Four 16-bit lanes in one 64-bit word, as the vector unit unpacks them.
  auto spread = [](std::uint64_t v) {
    return (v & 0xFF) | ((v & 0xFF00) << 8) | ((v & 0xFF0000) << 16) | ((v & 0xFF000000) << 24);
  };
  const std::uint64_t mix = (spread(f) * a + spread(b) * na) >> 8;
  const std::uint64_t lanes = mix & 0x00FF00FF00FF00FFull;  // each lane is at most 255
  return static_cast<TvlColor>((lanes & 0xFF) | ((lanes >> 8) & 0xFF00) | ((lanes >> 16) & 0xFF0000) |
                               ((lanes >> 24) & 0xFF000000));
}

TvlColor BlendPixelMMX(TvlColor F, TvlColor B) { return BlendFourChannels(F, B, F >> 24); }

void BlendLineMMX(const TvlColor* Src, TvlColor* Dst, int Count) {
  for (int i = 0; i < Count; ++i) {
    const TvlColor s = Src[i];
    const TvlColor a = s >> 24;
    if (a == 0) continue;
    Dst[i] = a == 255 ? s : BlendFourChannels(s, Dst[i], a);
  }
}

void TransparentLineImpl(const TvlColor* Src, TvlColor* Dst, int Count) {
  for (int i = 0; i < Count; ++i) {
    const TvlColor s = Src[i];
    if ((s & kRgbMask) != kvlTransparentKey) Dst[i] = s | 0xFF000000u;
  }
}

void CopyLineImpl(const TvlColor* Src, TvlColor* Dst, int Count) {
  if (Count <= 0 || Src == Dst) return;
  std::memmove(Dst, Src, static_cast<std::size_t>(Count) * sizeof(TvlColor));
}

void FillLineImpl(TvlColor* Dst, int Count, TvlColor Value) {
  if (Count > 0) std::fill(Dst, Dst + Count, Value);
}

void FillRectAreaImpl(TvlColor* Bits, int RowLength, TvlColor Value, const TRect& R) {
  for (int y = R.Top; y <= R.Bottom; ++y)
    FillLineImpl(Bits + static_cast<std::ptrdiff_t>(y) * RowLength + R.Left, R.Right - R.Left + 1, Value);
}

void SetAlphaLineImpl(TvlColor* Dst, int Count, std::uint8_t Alpha) {
  const TvlColor a = static_cast<TvlColor>(Alpha) << 24;
  for (int i = 0; i < Count; ++i) Dst[i] = (Dst[i] & kRgbMask) | a;
}

void SetAlphaRectImpl(TvlColor* Bits, int RowLength, std::uint8_t Alpha, const TRect& R) {
  for (int y = R.Top; y <= R.Bottom; ++y)
    SetAlphaLineImpl(Bits + static_cast<std::ptrdiff_t>(y) * RowLength + R.Left, R.Right - R.Left + 1, Alpha);
}

void ClearKeyAlphaImpl(TvlColor* Dst, int Count, TvlColor Color) {
  for (int i = 0; i < Count; ++i)
    if ((Dst[i] & kRgbMask) == (Color & kRgbMask)) Dst[i] &= kRgbMask;
}

const TvlPixelRoutines kPlain{BlendPixelPlain,  BlendLinePlain,   TransparentLineImpl,
                              CopyLineImpl,     FillLineImpl,     FillRectAreaImpl,
                              SetAlphaLineImpl, SetAlphaRectImpl, ClearKeyAlphaImpl};
const TvlPixelRoutines kMMX{BlendPixelMMX,    BlendLineMMX,     TransparentLineImpl,
                            CopyLineImpl,     FillLineImpl,     FillRectAreaImpl,
                            SetAlphaLineImpl, SetAlphaRectImpl, ClearKeyAlphaImpl};

// ---- The registry of skin bitmaps --------------------------------------------------------------

std::vector<TvlBitmap*>& Registry() {
  static std::vector<TvlBitmap*> registry;
  return registry;
}

void Register(TvlBitmap* b) {
  auto& r = Registry();
  if (std::find(r.begin(), r.end(), b) == r.end()) r.push_back(b);
}

void Unregister(TvlBitmap* b) {
  auto& r = Registry();
  r.erase(std::remove(r.begin(), r.end(), b), r.end());
}

// ---- The drawing core between skin bitmaps -----------------------------------------------------

enum class DrawMode { Plain, Alpha, Transparent };

DrawMode ModeOf(const TvlBitmap* S) {
  if (S->AlphaBlend()) return DrawMode::Alpha;
  if (S->Transparent()) return DrawMode::Transparent;
  return DrawMode::Plain;
}

void LayRow(DrawMode mode, const TvlColor* src, TvlColor* dst, int count) {
  const TvlPixelRoutines& r = vlPixelRoutines();
  switch (mode) {
    case DrawMode::Plain: r.CopyLine(src, dst, count); break;
    case DrawMode::Alpha: r.BlendLine(src, dst, count); break;
    case DrawMode::Transparent: r.TransparentLine(src, dst, count); break;
  }
}

// Source column (or row) of destination position i for a stretch of src (low..high) to dst.
// The product (i - left) * (sw - 1) is formed exactly before the division, so halves round
// the same way whatever the scale.
struct AxisMap {
  std::int64_t span = 0, steps = 1;
  int low = 0, dstLow = 0, middle = 0;
  bool single = false;
  AxisMap(int srcLow, int srcHigh, int dstLow_, int dstHigh) {
    const std::int64_t s = static_cast<std::int64_t>(srcHigh) - srcLow, d = static_cast<std::int64_t>(dstHigh) - dstLow_;
    low = srcLow;
    dstLow = dstLow_;
    single = d < 2;
    middle = static_cast<int>((static_cast<std::int64_t>(srcLow) + srcHigh - 1) / 2);
    span = s - 1;
    steps = single ? 1 : d - 1;
  }
  [[nodiscard]] int operator()(int i) const {
    if (single) return middle;
    const double product = static_cast<double>((static_cast<std::int64_t>(i) - dstLow) * span);
    return RoundEven(product / static_cast<double>(steps) + low);
  }
};

// A row-addressed 32-bit target: a skin bitmap or pixel memory of a device context.
struct Target {
  TvlColor* bits = nullptr;
  int width = 0, height = 0, stride = 0;
  bool bottomUp = false;
  [[nodiscard]] TvlColor* Row(int y) const {
    const int memRow = bottomUp ? height - 1 - y : y;
    return bits + static_cast<std::ptrdiff_t>(memRow) * stride;
  }
};

void DrawCore(DrawMode mode, const Target& D, const TRect& DstRect, const TRect& ExtraClip, const TRect& SrcRect,
              TvlBitmap* S) {
  if (!S || S->Empty() || !D.bits) return;
  if (SrcRect.IsEmpty()) return;
  TRect clip = Intersect(DstRect, TRect{0, 0, D.width, D.height});
  if (!ExtraClip.IsEmpty()) clip = Intersect(clip, ExtraClip);
  if (clip.IsEmpty()) return;
  if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > S->Width() || SrcRect.Bottom > S->Height()) return;

  const int cw = clip.Width();
  if (SrcRect.Width() == DstRect.Width() && SrcRect.Height() == DstRect.Height()) {
    const int sx = SrcRect.Left + clip.Left - DstRect.Left;
    const int sy = SrcRect.Top + clip.Top - DstRect.Top;
    for (int y = clip.Top; y < clip.Bottom; ++y)
      LayRow(mode, S->PixelPtr(sx, sy + y - clip.Top), D.Row(y) + clip.Left, cw);
    return;
  }

  const AxisMap cols(SrcRect.Left, SrcRect.Right, DstRect.Left, DstRect.Right);
  const AxisMap rows(SrcRect.Top, SrcRect.Bottom, DstRect.Top, DstRect.Bottom);
  std::vector<int> colMap(static_cast<std::size_t>(cw));
  for (int i = 0; i < cw; ++i) colMap[static_cast<std::size_t>(i)] = cols(clip.Left + i);
  std::vector<TvlColor> gathered(static_cast<std::size_t>(cw));
  int lastSrcRow = -1;
  for (int y = clip.Top; y < clip.Bottom; ++y) {
    const int sy = rows(y);
    TvlColor* dst = D.Row(y) + clip.Left;
    if (sy != lastSrcRow) {
      const TvlColor* src = S->ScanLine(sy);
      for (int i = 0; i < cw; ++i) gathered[static_cast<std::size_t>(i)] = src[colMap[static_cast<std::size_t>(i)]];
    } else if (mode == DrawMode::Plain) {
      // A repeated source row: the previous destination row already holds it.
      vlPixelRoutines().CopyLine(D.Row(y - 1) + clip.Left, dst, cw);
      continue;
    }
    lastSrcRow = sy;
    LayRow(mode, gathered.data(), dst, cw);
  }
}

Target TargetOf(TvlBitmap* b) {
  if (!b || b->Empty()) return {};
  return Target{b->Bits(), b->Width(), b->Height(), b->Width(), false};
}

Target TargetOf(const TvlDCBits& bits, bool bottomUp) {
  if (!bits.Bits || bits.BitsPerPixel != 32) return {};
  return Target{bits.Bits, bits.Width, std::abs(bits.Height), bits.Stride, bottomUp};
}

void CoreInto(TvlBitmap* D, const TRect& DstRect, const TRect& SrcRect, TvlBitmap* S) {
  DrawCore(ModeOf(S), TargetOf(D), DstRect, TRect{}, SrcRect, S);
}

// Lays SrcRect's tiles from DstRect's top-left corner; only tiles meeting Visible (when not
// empty) are visited, which keeps absurd destination sizes cheap without changing the result.
template <typename F>
void ForEachTile(const TRect& DstRect, const TRect& SrcRect, const TRect& Visible, F drawTile) {
  const int w = SrcRect.Width(), h = SrcRect.Height();
  if (w <= 0 || h <= 0 || DstRect.IsEmpty()) return;
  const TRect area = Visible.IsEmpty() ? DstRect : Intersect(DstRect, Visible);
  if (area.IsEmpty()) return;
  const int firstCol = (area.Left - DstRect.Left) / w, firstRow = (area.Top - DstRect.Top) / h;
  for (int i = firstCol;; ++i) {
    const int x = DstRect.Left + i * w;
    if (x >= area.Right) break;
    for (int j = firstRow;; ++j) {
      const int y = DstRect.Top + j * h;
      if (y >= area.Bottom) break;
      const TRect tile = Intersect(TRect{x, y, x + w, y + h}, DstRect);
      if (tile.IsEmpty()) break;
      drawTile(tile, TRect{SrcRect.Left, SrcRect.Top, SrcRect.Left + tile.Width(), SrcRect.Top + tile.Height()});
    }
  }
}

void WriteInt32(TStream* s, std::int32_t v) { s->WriteBuffer(&v, 4); }
std::int32_t ReadInt32(TStream* s) {
  std::int32_t v = 0;
  s->ReadBuffer(&v, 4);
  return v;
}

}  // namespace

// ---- Colour-space helpers ----------------------------------------------------------------------

TvlColor PackColor(int R, int G, int B, int A) {
  return (static_cast<TvlColor>(A & 0xFF) << 24) | (static_cast<TvlColor>(ClampByte(R)) << 16) |
         (static_cast<TvlColor>(ClampByte(G)) << 8) | ClampByte(B);
}

TvlHSL RGBToHSL(TvlColor Color) {
  const float r = static_cast<float>((Color >> 16) & 0xFF) / 255.0f;
  const float g = static_cast<float>((Color >> 8) & 0xFF) / 255.0f;
  const float b = static_cast<float>(Color & 0xFF) / 255.0f;
  const float mx = std::max({r, g, b}), mn = std::min({r, g, b});
  TvlHSL out;
  out.L = (mx + mn) / 2.0f;
  if (mx == mn) return out;
  const float d = mx - mn;
  out.S = out.L >= 0.5f ? d / (2.0f - mx - mn) : d / (mx + mn);
  float h;
  if (mx == r)
    h = (g - b) / d;
  else if (mx == b)
    h = (r - g) / d + 4.0f;
  else
    h = (b - r) / d + 2.0f;
  h /= 6.0f;
  if (h < 0) h += 1.0f;
  out.H = h;
  return out;
}

namespace {
float HueToRGB(float m1, float m2, float h) {
  h = h - std::floor(h);
  if (6.0f * h < 1.0f) return m1 + (m2 - m1) * 6.0f * h;
  if (2.0f * h < 1.0f) return m2;
  if (3.0f * h < 2.0f) return m1 + (m2 - m1) * (2.0f / 3.0f - h) * 6.0f;
  return m1;
}
}  // namespace

TvlColor HSLToRGB(float L, float S, float H) {
  if (S == 0) {
    const int v = RoundEven(L * 255.0f);
    return PackColor(v, v, v, 255);
  }
  const float m2 = L > 0.5f ? L + S - L * S : L * (1.0f + S);
  const float m1 = 2.0f * L - m2;
  const int r = RoundEven(HueToRGB(m1, m2, H + 1.0f / 3.0f) * 255.0f);
  const int g = RoundEven(HueToRGB(m1, m2, H) * 255.0f);
  const int b = RoundEven(HueToRGB(m1, m2, H - 1.0f / 3.0f) * 255.0f);
  return PackColor(r, g, b, 255);
}

TvlColor ColorToPixel(TColor Color) {
  const COLORREF c = ColorToRGB(Color);
  return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// ---- Routine table -----------------------------------------------------------------------------

bool vlProcessorHasMMX() { return HasMMX(); }

const TvlPixelRoutines& vlPlainPixelRoutines() { return kPlain; }
const TvlPixelRoutines& vlMMXPixelRoutines() { return kMMX; }

const TvlPixelRoutines& vlPixelRoutines() {
  static const TvlPixelRoutines& table = vlProcessorHasMMX() ? kMMX : kPlain;
  return table;
}

void StretchBitmap(TvlBitmap* D, const TRect& DstRect, const TRect& Clip, const TRect& SrcRect, TvlBitmap* S) {
  DrawCore(DrawMode::Plain, TargetOf(D), DstRect, Clip, SrcRect, S);
}
void StretchBitmapAlpha(TvlBitmap* D, const TRect& DstRect, const TRect& Clip, const TRect& SrcRect, TvlBitmap* S) {
  DrawCore(DrawMode::Alpha, TargetOf(D), DstRect, Clip, SrcRect, S);
}
void StretchBitmapTransparent(TvlBitmap* D, const TRect& DstRect, const TRect& Clip, const TRect& SrcRect,
                              TvlBitmap* S) {
  DrawCore(DrawMode::Transparent, TargetOf(D), DstRect, Clip, SrcRect, S);
}

TvlDCBits GetDCBits(HDC DC) {
  TvlDCBits out;
  auto surface = GetDCSurface(DC);
  if (!surface) return out;
  out.Bits = surface->BitsPerPixel() == 32 ? reinterpret_cast<TvlColor*>(surface->Bits()) : nullptr;
  out.Width = surface->Width();
  out.Height = -surface->Height();  // the platform's sections are top-down
  out.BitsPerPixel = surface->BitsPerPixel();
  out.Stride = static_cast<int>(surface->Stride() / 4);
  if (!out.Bits) out = TvlDCBits{};
  return out;
}

void DrawToBits(const TvlDCBits& Bits, bool BottomUp, const TRect& DstRect, const TRect& Clip, TvlBitmap* S,
                const TRect& SrcRect) {
  DrawCore(DrawMode::Plain, TargetOf(Bits, BottomUp), DstRect, Clip, SrcRect, S);
}
void DrawAlphaToBits(const TvlDCBits& Bits, bool BottomUp, const TRect& DstRect, const TRect& Clip, TvlBitmap* S,
                     const TRect& SrcRect) {
  DrawCore(DrawMode::Alpha, TargetOf(Bits, BottomUp), DstRect, Clip, SrcRect, S);
}
void DrawTransparentToBits(const TvlDCBits& Bits, bool BottomUp, const TRect& DstRect, const TRect& Clip,
                           TvlBitmap* S, const TRect& SrcRect) {
  DrawCore(DrawMode::Transparent, TargetOf(Bits, BottomUp), DstRect, Clip, SrcRect, S);
}

TvlBitmap* FindSkinBitmapByDC(HDC DC) {
  if (!DC) return nullptr;
  for (TvlBitmap* b : Registry())
    if (b->DC() == DC) return b;
  return nullptr;
}

std::size_t SkinBitmapRegistryCount() { return Registry().size(); }

// ---- TvlBitmap: life and memory ----------------------------------------------------------------

TvlBitmap::TvlBitmap() {
  FBitmapInfo.bmiHeader.biSize = 40;
  FBitmapInfo.bmiHeader.biPlanes = 1;
  FBitmapInfo.bmiHeader.biBitCount = 32;
  FBitmapInfo.bmiHeader.biCompression = BI_RGB;
}

TvlBitmap::~TvlBitmap() {
  Unregister(this);
  ReleaseSurface();
  FCanvas.reset();
}

TCanvas* TvlBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TCanvas>();
    FCanvas->SetHandle(FDC);
  }
  return FCanvas.get();
}

void TvlBitmap::ReleaseSurface() {
  if (FCanvas) FCanvas->SetHandle(nullptr);
  if (FDC) {
    if (FOldBitmap) SelectObject(FDC, FOldBitmap);
    DeleteDC(FDC);
  }
  if (FHandle) DeleteObject(FHandle);
  FDC = nullptr;
  FHandle = nullptr;
  FOldBitmap = nullptr;
  FSurface.reset();
  FBits = nullptr;
}

void TvlBitmap::SetSize(int AWidth, int AHeight) {
  // std::abs of INT_MIN is undefined; such a size is refused below anyway.
  AWidth = AWidth == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(AWidth);
  AHeight = AHeight == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(AHeight);
  if (AWidth == 0 || AHeight == 0) return;
  if (AWidth == FWidth && AHeight == FHeight && !Empty()) return;

  Unregister(this);
  ReleaseSurface();
  FBitmapInfo.bmiHeader.biWidth = AWidth;
  FBitmapInfo.bmiHeader.biHeight = -AHeight;
  FSurface = PixelSurface::Create(AWidth, AHeight, 32);
  if (FSurface) FHandle = CreateBitmapFromSurface(FSurface);
  if (!FSurface || !FHandle) {
    ReleaseSurface();
    throw Exception("Can't allocate the DIB handle");
  }
  FDC = CreateCompatibleDC(nullptr);
  if (!FDC) {
    ReleaseSurface();
    throw Exception("Can't create compatible DC");
  }
  FOldBitmap = SelectObject(FDC, FHandle);
  if (!FOldBitmap) {
    ReleaseSurface();
    throw Exception("Can't vllect an object into DC");
  }
  FBits = reinterpret_cast<PvlColorArray>(FSurface->Bits());
  Register(this);
  if (FCanvas) FCanvas->SetHandle(FDC);
  FWidth = AWidth;
  FHeight = AHeight;
}

void TvlBitmap::SetPixel(int X, int Y, TvlColor Value) {
  if (FBits && X >= 0 && X < FWidth && Y >= 0 && Y < FHeight) *PixelPtr(X, Y) = Value;
}

TvlColor TvlBitmap::Pixel(int X, int Y) const {
  if (FBits && X >= 0 && X < FWidth && Y >= 0 && Y < FHeight) return *PixelPtr(X, Y);
  return 0;
}

void TvlBitmap::Clear(TvlColor Color) {
  if (FBits) vlPixelRoutines().FillLine(FBits, FWidth * FHeight, Color);
}

// ---- Conversions -------------------------------------------------------------------------------

void TvlBitmap::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TvlBitmap*>(Source)) {
    if (other == this) return;
    // An empty source has nothing to copy (this bitmap's own pixels are not a valid source).
    if (other->Empty()) return;
    SetSize(other->Width(), other->Height());
    if (Empty()) return;
    vlPixelRoutines().CopyLine(other->Bits(), FBits, FWidth * FHeight);
    FName = other->FName;
    FTransparent = other->FTransparent;
    FAlphaBlend = other->FAlphaBlend;
    return;
  }
  if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    if (picture->Graphic()) Assign(picture->Graphic());
    return;
  }
  if (auto* bmp = dynamic_cast<TBitmap*>(Source)) {
    AssignBitmap(bmp);
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    if (graphic->Empty()) return;
    SetSize(graphic->Width(), graphic->Height());
    if (Empty()) return;
    DrawGraphic(graphic, TRect{0, 0, FWidth, FHeight});
    SetAlpha(255);
    return;
  }
  TPersistent::Assign(Source);
}

void TvlBitmap::AssignBitmap(TBitmap* Source) {
  const auto& surface = Source->Surface();
  if (!surface) return;
  SetSize(Source->Width(), Source->Height());
  if (Empty()) return;
  if (Source->PixelFormat() == TPixelFormat::pf32bit) {
    for (int y = 0; y < FHeight; ++y)
      std::memcpy(ScanLine(y), surface->Row(y), static_cast<std::size_t>(FWidth) * 4);
    CheckingAlphaBlend();
    return;
  }
  // A plain copy of the colours, as a block transfer gives; then every pixel opaque.
  for (int y = 0; y < FHeight; ++y) {
    TvlColor* dst = ScanLine(y);
    if (surface->BitsPerPixel() == 24) {
      const std::uint8_t* src = surface->Row(y);
      for (int x = 0; x < FWidth; ++x, src += 3)
        dst[x] = static_cast<TvlColor>(src[0]) | (static_cast<TvlColor>(src[1]) << 8) |
                 (static_cast<TvlColor>(src[2]) << 16);
    } else {
      for (int x = 0; x < FWidth; ++x) dst[x] = surface->PixelAt(x, y);
    }
  }
  SetAlpha(255);
}

void TvlBitmap::AssignTo(TPersistent* Dest) {
  if (auto* picture = dynamic_cast<TPicture*>(Dest)) {
    AssignTo(picture->Bitmap());
    return;
  }
  if (auto* bmp = dynamic_cast<TBitmap*>(Dest)) {
    bmp->SetPixelFormat(TPixelFormat::pf32bit);
    if (Empty()) {
      bmp->SetSize(0, 0);
      return;
    }
    bmp->SetSize(FWidth, FHeight);
    Draw(bmp->Canvas(), 0, 0);
    return;
  }
  if (auto* clipboard = dynamic_cast<TClipboard*>(Dest)) {
    TBitmap drawn;  // filled as a bitmap destination is
    AssignTo(&drawn);
    clipboard->Assign(&drawn);
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TvlBitmap::DrawGraphic(TGraphic* Graphic, const TRect& DstRect) {
  if (!Graphic || Graphic->Empty() || Empty()) return;
  // The graphic is stretch-drawn onto magenta; what is not exactly magenta afterwards is its.
  constexpr TvlColor kMagenta = 0x00FF00FF;
  TBitmap temp;
  temp.SetPixelFormat(TPixelFormat::pf32bit);
  temp.SetSize(FWidth, FHeight);
  for (int y = 0; y < FHeight; ++y) {
    auto* row = static_cast<TvlColor*>(temp.ScanLine(y));
    std::fill(row, row + FWidth, kMagenta);
  }
  temp.Canvas()->StretchDraw(DstRect, Graphic);
  for (int y = 0; y < FHeight; ++y) {
    const auto* row = static_cast<const TvlColor*>(temp.ScanLine(y));
    for (int x = 0; x < FWidth; ++x)
      if ((row[x] & kRgbMask) != kMagenta) SetPixel(x, y, row[x]);
  }
}

void TvlBitmap::LoadFromResource(const std::string&, const std::string& ResName) {
  if (!FindResourceData(ResName, RT_BITMAP)) return;
  TBitmap bitmap;
  bitmap.LoadFromResourceName(HInstance(), ResName);
  Assign(&bitmap);
}

void TvlBitmap::LoadFromPcxStream(TStream* Stream) {
  std::uint8_t header[128];
  Stream->ReadBuffer(header, sizeof header);
  if (header[0] != 10 && header[0] != 205) return;
  auto word = [&](int at) { return static_cast<int>(header[at] | (header[at + 1] << 8)); };
  const int version = header[1], encoding = header[2];
  const int width = word(8) - word(4) + 1, height = word(10) - word(6) + 1;
  const int rowBytes = header[65] * word(66);
  if (width <= 0 || height <= 0 || rowBytes < width || !PixelSurface::SizeAllowed(width, height)) return;

  const std::int64_t start = Stream->Position();
  std::vector<std::uint8_t> data(static_cast<std::size_t>(std::max<std::int64_t>(0, Stream->Size() - start)));
  if (!data.empty()) Stream->ReadBuffer(data.data(), static_cast<std::int64_t>(data.size()));

  std::vector<std::uint8_t> indexes(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height));
  std::size_t in = 0, out = 0;
  while (out < indexes.size() && in < data.size()) {
    std::uint8_t b = data[in++];
    if (encoding == 1 && b >= 192) {
      const std::size_t count = std::min<std::size_t>(b & 63, indexes.size() - out);
      if (in >= data.size()) break;
      const std::uint8_t v = data[in++];
      std::fill_n(indexes.begin() + static_cast<std::ptrdiff_t>(out), count, v);
      out += count;
    } else {
      indexes[out++] = b;
    }
  }

  TvlColor palette[256] = {};
  if (version == 3) {
    static constexpr TvlColor kSystem16[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                               0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                               0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    std::copy(std::begin(kSystem16), std::end(kSystem16), palette);
  } else if (data.size() >= 768) {
    const std::uint8_t* p = data.data() + data.size() - 768;
    for (int i = 0; i < 256; ++i, p += 3)
      palette[i] = (static_cast<TvlColor>(p[0]) << 16) | (static_cast<TvlColor>(p[1]) << 8) | p[2];
  }
  SetSize(width, height);
  if (Empty() || FWidth != width || FHeight != height) return;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = indexes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(rowBytes);
    TvlColor* dst = ScanLine(y);
    for (int x = 0; x < width; ++x) dst[x] = palette[row[x]] | 0xFF000000u;
  }
}

std::unique_ptr<TvlBitmapLink> TvlBitmap::GetBitmapLink(const TRect& Rect) {
  auto link = std::make_unique<TvlBitmapLink>();
  link->FImage = this;
  link->FName = FName;
  link->FRect = Rect;
  return link;
}

std::unique_ptr<TvlBitmapLink> TvlBitmap::GetBitmapLink(const std::string& Rect) {
  return GetBitmapLink(RectFromText(Rect));
}

// ---- Alpha and transparency analysis -----------------------------------------------------------

void TvlBitmap::CheckingAlphaBlend() {
  FAlphaBlend = false;
  if (!FBits) return;
  const std::size_t n = static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight);
  for (std::size_t i = 0; i < n; ++i) {
    const TvlColor a = FBits[i] >> 24;
    if (a != 0 && a != 255) {
      FAlphaBlend = true;
      return;
    }
  }
}

void TvlBitmap::CheckingAlphaBlend(const TRect&) { CheckingAlphaBlend(); }

void TvlBitmap::CheckingTransparent(TColor Color) {
  FTransparent = false;
  if (!FBits) return;
  const int cr = static_cast<int>(Color & 0xFF), cg = static_cast<int>((Color >> 8) & 0xFF),
            cb = static_cast<int>((Color >> 16) & 0xFF);
  const std::size_t n = static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight);
  for (std::size_t i = 0; i < n; ++i) {
    const TvlColor p = FBits[i];
    const int r = static_cast<int>((p >> 16) & 0xFF), g = static_cast<int>((p >> 8) & 0xFF),
              b = static_cast<int>(p & 0xFF);
    if (std::abs(r - cr) < 6 && std::abs(g - cg) < 6 && std::abs(b - cb) < 6) {
      FBits[i] = kvlTransparentKey;
      FTransparent = true;
    }
  }
}

void TvlBitmap::CheckingTransparent(const TRect&, TColor Color) { CheckingTransparent(Color); }

void TvlBitmap::SetAlpha(std::uint8_t Alpha) {
  if (FBits) vlPixelRoutines().SetAlphaLine(FBits, FWidth * FHeight, Alpha);
}

void TvlBitmap::SetAlpha(std::uint8_t Alpha, const TRect& Rect) {
  if (Rect.Width() == 0 || Rect.Height() == 0 || !FBits) return;
  const TRect r = Intersect(Rect, TRect{0, 0, FWidth, FHeight});
  if (r.IsEmpty()) return;
  vlPixelRoutines().SetAlphaRect(FBits, FWidth, Alpha, TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1});
}

// ---- Colour adjustments ------------------------------------------------------------------------

template <typename F>
void TvlBitmap::ForEachVisiblePixel(F f) {
  if (!FBits) return;
  const std::size_t n = static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight);
  for (std::size_t i = 0; i < n; ++i) {
    const TvlColor p = FBits[i];
    if ((p >> 24) == 0) continue;
    FBits[i] = (f(p) & kRgbMask) | (p & 0xFF000000u);
  }
}

void TvlBitmap::ChangeBitmapBrightness(int DeltaBrightness) {
  if (DeltaBrightness == 0) return;
  ForEachVisiblePixel([DeltaBrightness](TvlColor p) {
    return PackColor(static_cast<int>((p >> 16) & 0xFF) + DeltaBrightness,
                     static_cast<int>((p >> 8) & 0xFF) + DeltaBrightness,
                     static_cast<int>(p & 0xFF) + DeltaBrightness, 0);
  });
}

namespace {
// Wraps a 0..255 channel step: 256 or more loses 255 once, below 0 gains 255 once.
int WrapChannel(int v) {
  if (v >= 256) v -= 255;
  if (v < 0) v += 255;
  return v;
}
}  // namespace

void TvlBitmap::SetBitmapHue(int Hue) {
  const float h = static_cast<float>(std::clamp(Hue, 0, 255)) / 255.0f;
  ForEachVisiblePixel([h](TvlColor p) {
    const TvlHSL c = RGBToHSL(p);
    return HSLToRGB(c.L, c.S, h);
  });
}

void TvlBitmap::ChangeBitmapHue(int DeltaHue) {
  if (DeltaHue == 0) return;
  ForEachVisiblePixel([DeltaHue](TvlColor p) {
    const TvlHSL c = RGBToHSL(p);
    const int h = WrapChannel(RoundEven(c.H * 255.0f) + DeltaHue);
    return HSLToRGB(c.L, c.S, static_cast<float>(h) / 255.0f);
  });
}

void TvlBitmap::ChangeBitmapSat(int DeltaSat) {
  if (DeltaSat == 0) return;
  ForEachVisiblePixel([DeltaSat](TvlColor p) {
    const TvlHSL c = RGBToHSL(p);
    const int s = WrapChannel(RoundEven(c.S * 255.0f) + DeltaSat);
    return HSLToRGB(c.L, static_cast<float>(s) / 255.0f, c.H);
  });
}

// ---- Geometry and filling ----------------------------------------------------------------------

void TvlBitmap::FillRect(const TRect& R, TvlColor Color) {
  if (!FBits) return;
  const TRect c = Intersect(R, TRect{0, 0, FWidth, FHeight});
  if (c.IsEmpty()) return;
  if (!FAlphaBlend) {
    vlPixelRoutines().FillRectArea(FBits, FWidth, Color, TRect{c.Left, c.Top, c.Right - 1, c.Bottom - 1});
    return;
  }
  std::vector<TvlColor> line(static_cast<std::size_t>(c.Width()), Color);
  for (int y = c.Top; y < c.Bottom; ++y) vlPixelRoutines().BlendLine(line.data(), PixelPtr(c.Left, y), c.Width());
}

void TvlBitmap::FlipVert() {
  if (!FBits) return;
  std::vector<TvlColor> tmp(static_cast<std::size_t>(FWidth));
  const std::size_t bytes = tmp.size() * sizeof(TvlColor);
  for (int i = 0; i < FHeight / 2; ++i) {
    std::memcpy(tmp.data(), ScanLine(i), bytes);
    std::memcpy(ScanLine(i), ScanLine(FHeight - 1 - i), bytes);
    std::memcpy(ScanLine(FHeight - 1 - i), tmp.data(), bytes);
  }
}

void TvlBitmap::ReflectionBy(int Divisor) {
  if (!FBits) return;
  FlipVert();
  const double step = 2.0 / FHeight;
  double f = 1.0;
  for (int y = 0; y < FHeight; ++y, f -= step) {
    TvlColor* row = ScanLine(y);
    for (int x = 0; x < FWidth; ++x) {
      const TvlColor p = row[x];
      const int a = static_cast<int>(p >> 24);
      if (a == 0) continue;
      const int na = std::max(0, RoundEven(f * a) / Divisor);
      row[x] = (p & kRgbMask) | (static_cast<TvlColor>(na & 0xFF) << 24);
    }
  }
}

void TvlBitmap::Reflection() { ReflectionBy(3); }
void TvlBitmap::Reflection2() { ReflectionBy(4); }
void TvlBitmap::Reflection3() { ReflectionBy(2); }

// ---- Streams -----------------------------------------------------------------------------------

void TvlBitmap::SaveToStream(TStream* Stream) {
  WriteStreamString(Stream, FName);
  WriteInt32(Stream, FWidth);
  WriteInt32(Stream, FHeight);
  if (FBits) Stream->WriteBuffer(FBits, static_cast<std::int64_t>(FWidth) * FHeight * 4);
}

void TvlBitmap::LoadFromStream(TStream* Stream) {
  std::string name;
  ReadStreamString(Stream, name);
  FName = name;
  const int w = ReadInt32(Stream);
  const int h = ReadInt32(Stream);
  const int ah = h == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(h);
  SetSize(w, ah);
  if (FBits && FWidth == w && FHeight == ah) Stream->ReadBuffer(FBits, static_cast<std::int64_t>(w) * ah * 4);
  if (h <= 0) FlipVert();
}

// ---- Drawing -----------------------------------------------------------------------------------

void TvlBitmap::Draw(HDC DC, int X, int Y) { Draw(DC, TRect{X, Y, X + FWidth, Y + FHeight}, TRect{0, 0, FWidth, FHeight}); }

void TvlBitmap::Draw(HDC DC, int X, int Y, const TRect& SrcRect) {
  Draw(DC, TRect{X, Y, X + SrcRect.Width(), Y + SrcRect.Height()}, SrcRect);
}

void TvlBitmap::Draw(HDC DC, const TRect& DstRect) { Draw(DC, DstRect, TRect{0, 0, FWidth, FHeight}); }

void TvlBitmap::Draw(HDC DC, const TRect& DstRect, const TRect& SrcRect) {
  if (!FBits || !DC) return;
  if (TvlBitmap* target = FindSkinBitmapByDC(DC)) {
    TPoint org;
    GetWindowOrgEx(DC, &org);
    Draw(target, Offsetted(DstRect, -org.X, -org.Y), SrcRect);
    return;
  }
  if (!FAlphaBlend && !FTransparent) {
    SetStretchBltMode(DC, COLORONCOLOR);
    StretchBlt(DC, DstRect.Left, DstRect.Top, DstRect.Width(), DstRect.Height(), FDC, SrcRect.Left, SrcRect.Top,
               SrcRect.Width(), SrcRect.Height(), SRCCOPY);
    return;
  }
  // Alpha and transparent drawing: the context's pixels under the (visible part of the)
  // destination go into a temporary skin bitmap, the core draws into it, and it goes back.
  TRect box;
  if (GetClipBox(DC, &box) == RGN_ERROR) return;
  const TRect part = Intersect(DstRect, box);
  if (part.IsEmpty()) return;
  TvlBitmap temp;
  temp.SetSize(part.Width(), part.Height());
  BitBlt(temp.DC(), 0, 0, part.Width(), part.Height(), DC, part.Left, part.Top, SRCCOPY);
  CoreInto(&temp, Offsetted(DstRect, -part.Left, -part.Top), SrcRect, this);
  BitBlt(DC, part.Left, part.Top, part.Width(), part.Height(), temp.DC(), 0, 0, SRCCOPY);
}

void TvlBitmap::Draw(TCanvas* Canvas, int X, int Y) {
  if (Canvas) Draw(Canvas->Handle(), X, Y);
}
void TvlBitmap::Draw(TCanvas* Canvas, int X, int Y, const TRect& SrcRect) {
  if (Canvas) Draw(Canvas->Handle(), X, Y, SrcRect);
}
void TvlBitmap::Draw(TCanvas* Canvas, const TRect& DstRect) {
  if (Canvas) Draw(Canvas->Handle(), DstRect);
}
void TvlBitmap::Draw(TCanvas* Canvas, const TRect& DstRect, const TRect& SrcRect) {
  if (Canvas) Draw(Canvas->Handle(), DstRect, SrcRect);
}
void TvlBitmap::Tile(TCanvas* Canvas, const TRect& DstRect, const TRect& SrcRect) {
  if (Canvas) Tile(Canvas->Handle(), DstRect, SrcRect);
}
void TvlBitmap::TileClip(TCanvas* Canvas, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect) {
  if (Canvas) TileClip(Canvas->Handle(), DstRect, DstClip, SrcRect);
}

void TvlBitmap::Draw(TvlBitmap* Bitmap, int X, int Y) { Draw(Bitmap, TRect{X, Y, X + FWidth, Y + FHeight}, TRect{0, 0, FWidth, FHeight}); }

void TvlBitmap::Draw(TvlBitmap* Bitmap, int X, int Y, const TRect& SrcRect) {
  Draw(Bitmap, TRect{X, Y, X + SrcRect.Width(), Y + SrcRect.Height()}, SrcRect);
}

void TvlBitmap::Draw(TvlBitmap* Bitmap, const TRect& DstRect) { Draw(Bitmap, DstRect, TRect{0, 0, FWidth, FHeight}); }

void TvlBitmap::Draw(TvlBitmap* Bitmap, const TRect& DstRect, const TRect& SrcRect) {
  CoreInto(Bitmap, DstRect, SrcRect, this);
}

void TvlBitmap::Tile(HDC DC, const TRect& DstRect, const TRect& SrcRect) {
  if (!FBits || !DC) return;
  if (TvlBitmap* target = FindSkinBitmapByDC(DC)) {
    TPoint org;
    GetWindowOrgEx(DC, &org);
    Tile(target, Offsetted(DstRect, -org.X, -org.Y), SrcRect);
    return;
  }
  TRect box;
  if (GetClipBox(DC, &box) == RGN_ERROR) return;
  ForEachTile(DstRect, SrcRect, box, [&](const TRect& tile, const TRect& part) { Draw(DC, tile, part); });
}

void TvlBitmap::Tile(TvlBitmap* Bitmap, const TRect& DstRect, const TRect& SrcRect) {
  if (!FBits || !Bitmap || Bitmap->Empty()) return;
  ForEachTile(DstRect, SrcRect, TRect{0, 0, Bitmap->Width(), Bitmap->Height()},
              [&](const TRect& tile, const TRect& part) { CoreInto(Bitmap, tile, part, this); });
}

namespace {
bool Meets(const TRect& a, const TRect& b) { return !Intersect(a, b).IsEmpty(); }
}  // namespace

void TvlBitmap::TileClip(HDC DC, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect) {
  if (!FBits || !DC) return;
  TRect box;
  if (GetClipBox(DC, &box) == RGN_ERROR) return;
  ForEachTile(DstRect, SrcRect, box, [&](const TRect& tile, const TRect& part) {
    if (DstClip.IsEmpty() || Meets(tile, DstClip)) Draw(DC, tile, part);
  });
}

void TvlBitmap::TileClip(TvlBitmap* Bitmap, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect) {
  if (!FBits || !Bitmap || Bitmap->Empty()) return;
  ForEachTile(DstRect, SrcRect, TRect{0, 0, Bitmap->Width(), Bitmap->Height()},
              [&](const TRect& tile, const TRect& part) {
                if (DstClip.IsEmpty() || Meets(tile, DstClip)) CoreInto(Bitmap, tile, part, this);
              });
}

void TvlBitmap::MergeDraw(TvlBitmap* Bitmap, int X, int Y, const TRect& SrcRect) {
  if (!FBits || !Bitmap || Bitmap->Empty()) return;
  TRect src = SrcRect;
  src.Right = std::min(src.Right, Bitmap->Width());
  src.Bottom = std::min(src.Bottom, Bitmap->Height());
  if (src.Left < 0) {
    X -= src.Left;
    src.Left = 0;
  }
  if (src.Top < 0) {
    Y -= src.Top;
    src.Top = 0;
  }
  const TvlPixelRoutines& r = vlPixelRoutines();
  for (int sy = src.Top; sy < src.Bottom; ++sy) {
    const int dy = Y + sy - src.Top;
    if (dy < 0 || dy >= FHeight) continue;
    for (int sx = src.Left; sx < src.Right; ++sx) {
      // A column outside this bitmap is skipped rather than wrapped into a neighbouring row.
      const int dx = X + sx - src.Left;
      if (dx < 0 || dx >= FWidth) continue;
      TvlColor& d = *PixelPtr(dx, dy);
      const TvlColor a = d >> 24;
      const TvlColor s = *Bitmap->PixelPtr(sx, sy);
      if (a == 0)
        d = s;
      else if (a < 255)
        d = r.BlendPixel(d, s);
    }
  }
}

// ---- TvlBitmapLink -----------------------------------------------------------------------------

void TvlBitmapLink::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TvlBitmapLink*>(Source)) {
    FImage = other->FImage;
    FRect = other->FRect;
    FName = other->FName;
    FMaskedBorder = other->FMaskedBorder;
    FMaskedAngles = other->FMaskedAngles;
    FMasked = other->FMasked;
    return;
  }
  TPersistent::Assign(Source);
}

bool TvlBitmapLink::Assigned() const {
  return FImage && static_cast<std::int64_t>(FRect.Width()) * FRect.Height() > 0;
}

void TvlBitmapLink::Draw(HDC DC, int X, int Y) {
  if (FImage && !FImage->Empty() && FRect.Width() > 0 && FRect.Height() > 0) FImage->Draw(DC, X, Y, FRect);
}

void TvlBitmapLink::Draw(TvlBitmap* Bitmap, int X, int Y) {
  if (FImage && !FImage->Empty() && FRect.Width() > 0 && FRect.Height() > 0) FImage->Draw(Bitmap, X, Y, FRect);
}

void TvlBitmapLink::CheckingMasked() { CheckingMasked(TRect{0, 0, 0, 0}); }

void TvlBitmapLink::CheckingMasked(const TRect& Margin) {
  FMaskedBorder = FMaskedAngles = FMasked = false;
  if (!FImage) return;
  const bool noMargin = Margin.Left == 0 && Margin.Top == 0 && Margin.Right == 0 && Margin.Bottom == 0;
  const int w = FRect.Width(), h = FRect.Height();
  const auto in = [](int v, int lo, int hi) { return v >= lo && v < hi; };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const TvlColor p = FImage->Pixel(FRect.Left + x, FRect.Top + y);
      const bool masked = p != 0x33333333 && (p == kvlTransparentKey || (p >> 24) != 255);
      if (!masked) continue;
      if (noMargin) {
        FMasked = true;
        continue;
      }
      const bool leftCol = in(x, 0, Margin.Left), rightCol = in(x, w - Margin.Right, w),
                 midCol = in(x, Margin.Left, w - Margin.Right);
      const bool topRow = in(y, 0, Margin.Top), bottomRow = in(y, h - Margin.Bottom, h),
                 midRow = in(y, Margin.Top, h - Margin.Bottom);
      if ((leftCol || rightCol) && (topRow || bottomRow))
        FMaskedAngles = true;
      else if (midCol && midRow)
        FMasked = true;
      else if ((midCol && (topRow || bottomRow)) || (midRow && (leftCol || rightCol)))
        FMaskedBorder = true;
    }
  }
}

void TvlBitmapLink::SaveToStream(TStream* Stream) {
  WriteStreamString(Stream, FName);
  WriteInt32(Stream, FRect.Left);
  WriteInt32(Stream, FRect.Top);
  WriteInt32(Stream, FRect.Right);
  WriteInt32(Stream, FRect.Bottom);
}

void TvlBitmapLink::LoadFromStream(TStream* Stream) {
  ReadStreamString(Stream, FName);
  FRect.Left = ReadInt32(Stream);
  FRect.Top = ReadInt32(Stream);
  FRect.Right = ReadInt32(Stream);
  FRect.Bottom = ReadInt32(Stream);
}

void vlDrawMorph(TCanvas* Target, int X, int Y, TBitmap* From, TBitmap* To, double Kf, TvlMorphKind Kind) {
  if (!Target || !From || !To || From->Empty() || To->Empty()) return;
  std::unique_ptr<TvlEffectBmp> from = TvlEffectBmp::CreateFromhWnd(From->Handle());
  std::unique_ptr<TvlEffectBmp> to = TvlEffectBmp::CreateFromhWnd(To->Handle());
  if (!from || !to) return;
  switch (Kind) {
    case TvlMorphKind::mkDefault: from->Morph(to.get(), Kf); break;
    case TvlMorphKind::mkGradient: from->MorphGrad(to.get(), Kf); break;
    case TvlMorphKind::mkLeftGradient: from->MorphLeftGrad(to.get(), Kf); break;
    case TvlMorphKind::mkRightGradient: from->MorphRightGrad(to.get(), Kf); break;
    case TvlMorphKind::mkLeftSlide: from->MorphLeftSlide(to.get(), Kf); break;
    case TvlMorphKind::mkRightSlide: from->MorphRightSlide(to.get(), Kf); break;
    case TvlMorphKind::mkPush: from->MorphPush(to.get(), Kf); break;
  }
  from->Draw(Target->Handle(), X, Y);
}
