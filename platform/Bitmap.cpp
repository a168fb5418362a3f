#include "platform/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/Exceptions.h"

namespace {

// Copies the pixels of the area both surfaces share, converting between depths.
void CopyPixels(const PixelSurface& from, PixelSurface& to) {
  const int w = std::min(from.Width(), to.Width());
  const int h = std::min(from.Height(), to.Height());
  if (from.BitsPerPixel() == to.BitsPerPixel()) {
    const std::size_t bytes = std::min(PixelSurface::RowBytes(w, from.BitsPerPixel()), to.Stride());
    for (int y = 0; y < h; ++y) std::memcpy(to.Row(y), from.Row(y), bytes);
    return;
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) to.SetPixelAt(x, y, from.PixelAt(x, y));
}

}  // namespace

TBitmap::TBitmap() = default;
TBitmap::~TBitmap() = default;

int TBitmap::BitsOf(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit:
      return 32;
    case TPixelFormat::pf24bit:
      return 24;
    case TPixelFormat::pf1bit:
      return 1;
    default:
      return 0;
  }
}

void TBitmap::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  std::shared_ptr<PixelSurface> fresh;
  if (width > 0 && height > 0) {
    if (!PixelSurface::SizeAllowed(width, height)) throw EInvalidGraphicOperation("Bitmap too large");
    fresh = PixelSurface::Create(width, height, BitsOf(format_));
    if (!fresh) throw EInvalidGraphicOperation("Out of memory for the bitmap");
    if (surface_) CopyPixels(*surface_, *fresh);
  }
  surface_ = std::move(fresh);
  width_ = width;
  height_ = height;
  SurfaceReplaced();
  Changed(this);
}

void TBitmap::SetWidth(int Value) { Resize(Value, height_); }
void TBitmap::SetHeight(int Value) { Resize(width_, Value); }
void TBitmap::SetSize(int AWidth, int AHeight) { Resize(AWidth, AHeight); }

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  const int bits = BitsOf(Value);
  if (bits == 0) throw EInvalidGraphicOperation("Unsupported pixel format");
  if (Value == format_) return;
  const int oldBits = BitsOf(format_);
  format_ = Value;
  if (!surface_ || bits == oldBits) return;
  std::shared_ptr<PixelSurface> fresh = PixelSurface::Create(width_, height_, bits);
  if (!fresh) throw EInvalidGraphicOperation("Out of memory for the bitmap");
  CopyPixels(*surface_, *fresh);
  surface_ = std::move(fresh);
  SurfaceReplaced();
  Changed(this);
}

void* TBitmap::ScanLine(int Row) {
  if (!surface_ || Row < 0 || Row >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
  return surface_->Row(Row);
}

void TBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    Resize(0, 0);
    return;
  }
  auto* other = dynamic_cast<TBitmap*>(Source);
  if (!other) {
    TGraphic::Assign(Source);
    return;
  }
  std::shared_ptr<PixelSurface> fresh;
  if (other->surface_) {
    const PixelSurface& from = *other->surface_;
    fresh = PixelSurface::Create(from.Width(), from.Height(), from.BitsPerPixel());
    if (!fresh) throw EInvalidGraphicOperation("Out of memory for the bitmap");
    std::memcpy(fresh->Bits(), from.Bits(), from.ByteSize());
  }
  surface_ = std::move(fresh);
  width_ = other->width_;
  height_ = other->height_;
  format_ = other->format_;
  SurfaceReplaced();
  if (Transparent() != other->Transparent()) TGraphic::SetTransparent(other->Transparent());
  Changed(this);
}

void TBitmap::SurfaceReplaced() {}

// FIXME: drawing and streaming come with the canvas and the BMP codec.
void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {}
void TBitmap::LoadFromStream(TStream* Stream) {
  throw EInvalidGraphicOperation("Bitmap streaming is not available yet");
}
void TBitmap::SaveToStream(TStream* Stream) {
  throw EInvalidGraphicOperation("Bitmap streaming is not available yet");
}
