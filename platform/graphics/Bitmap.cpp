#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/Canvas.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Gdi.h"
#include "platform/core/Resources.h"
#include "platform/core/Streams.h"

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

// The bitmap's canvas: a memory DC with the bitmap's handle selected, re-bound whenever the
// bitmap's pixels are replaced.
class TBitmap::BitmapCanvas : public TCanvas {
 public:
  explicit BitmapCanvas(TBitmap* owner) : owner_(owner) {}
  ~BitmapCanvas() override { FreeContext(); }

  // Selects the bitmap's current pixels into the DC, if there is one.
  void Rebind() {
    if (!dc_) return;
    if (owner_->Empty()) {
      FreeContext();
      return;
    }
    SelectObject(dc_, owner_->Handle());
    Refresh();
  }

 protected:
  void CreateHandle() override {
    dc_ = CreateCompatibleDC(nullptr);
    if (!owner_->Empty()) SelectObject(dc_, owner_->Handle());
    SetHandle(dc_);
  }

 private:
  void FreeContext() {
    if (!dc_) return;
    SetHandle(nullptr);
    DeleteDC(dc_);
    dc_ = nullptr;
  }

  TBitmap* owner_;
  HDC dc_ = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  canvas_.reset();
  if (handle_) DeleteObject(handle_);
}

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
  transparentMode_ = other->transparentMode_;
  transparentColor_ = other->transparentColor_;
  if (Transparent() != other->Transparent()) TGraphic::SetTransparent(other->Transparent());
  Changed(this);
}

void TBitmap::SurfaceReplaced() {
  HBITMAP old = handle_;
  handle_ = nullptr;
  if (canvas_) canvas_->Rebind();
  if (old) DeleteObject(old);
}

HBITMAP TBitmap::Handle() {
  if (!handle_ && surface_) handle_ = CreateBitmapFromSurface(surface_);
  return handle_;
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<BitmapCanvas>(this);
    canvas_->OnChange = [this](TObject*) { Changed(this); };
  }
  return canvas_.get();
}

TColor TBitmap::TransparentColor() {
  if (transparentMode_ == TTransparentMode::tmFixed) return transparentColor_;
  if (!surface_) return clDefault;
  const std::uint32_t p = surface_->PixelAt(0, height_ - 1);
  return static_cast<TColor>(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
}

void TBitmap::SetTransparentColor(TColor Value) {
  transparentColor_ = Value;
  transparentMode_ = Value == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == transparentMode_) return;
  if (Value == TTransparentMode::tmFixed && transparentColor_ == clDefault) transparentColor_ = TransparentColor();
  transparentMode_ = Value;
  Changed(this);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty() || !ACanvas) return;
  HDC dst = ACanvas->Handle();
  HDC src = Canvas()->Handle();
  if (Transparent()) {
    if (Rect.Width() <= 0 || Rect.Height() <= 0) return;
    TransparentBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, width_, height_,
                   ColorToRGB(TransparentColor()));
  } else {
    StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, width_, height_, ACanvas->CopyMode());
  }
}

void TBitmap::ReplaceSurface(std::shared_ptr<PixelSurface> surface, TPixelFormat format) {
  surface_ = std::move(surface);
  width_ = surface_ ? surface_->Width() : 0;
  height_ = surface_ ? surface_->Height() : 0;
  format_ = format;
  SurfaceReplaced();
  Changed(this);
}

namespace {

// A decoded BMP as a surface: 32-bit pictures keep their alpha, others become 24-bit.
std::shared_ptr<PixelSurface> SurfaceOf(const bmp::Image& image, TPixelFormat* format) {
  if (image.width <= 0 || image.height <= 0) {
    *format = TPixelFormat::pf24bit;
    return nullptr;
  }
  const bool alpha = image.bitsPerPixel == 32;
  *format = alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit;
  auto surface = PixelSurface::Create(image.width, image.height, alpha ? 32 : 24);
  if (!surface) throw EInvalidGraphic("Bitmap image is too large");
  const std::size_t row = static_cast<std::size_t>(image.width) * 4;
  if (image.bgra.size() < row * static_cast<std::size_t>(image.height)) throw EInvalidGraphic("Bitmap image is not valid");
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* in = image.bgra.data() + row * static_cast<std::size_t>(y);
    std::uint8_t* out = surface->Row(y);
    if (alpha) {
      std::memcpy(out, in, row);
    } else {
      for (int x = 0; x < image.width; ++x) {
        out[x * 3] = in[x * 4];
        out[x * 3 + 1] = in[x * 4 + 1];
        out[x * 3 + 2] = in[x * 4 + 2];
      }
    }
  }
  return surface;
}

std::uint32_t ReadU32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24); }
std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// A bitmap resource without its file header gets one, so the codec can read it.
std::vector<std::uint8_t> WithFileHeader(const std::uint8_t* data, std::size_t size) {
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return {data, data + size};
  if (size < 16) throw EInvalidGraphic("Bitmap image is not valid");
  const std::uint32_t headerSize = ReadU32(data);
  std::uint64_t palette = 0;
  if (headerSize == 12) {
    const unsigned bits = ReadU16(data + 10);
    palette = bits <= 8 ? (std::uint64_t{1} << bits) * 3 : 0;
  } else {
    if (size < 36) throw EInvalidGraphic("Bitmap image is not valid");
    const unsigned bits = ReadU16(data + 14);
    const std::uint32_t compression = ReadU32(data + 16);
    const std::uint32_t used = ReadU32(data + 32);
    palette = static_cast<std::uint64_t>(used ? used : (bits <= 8 ? 1u << bits : 0)) * 4;
    if (headerSize == 40 && compression == 3) palette += 12;  // the three colour masks
  }
  const std::uint64_t offset = 14 + std::uint64_t{headerSize} + palette;
  const std::uint64_t total = 14 + std::uint64_t{size};
  if (offset > total || total > 0xFFFFFFFFu) throw EInvalidGraphic("Bitmap image is not valid");
  std::vector<std::uint8_t> out(14);
  out[0] = 'B';
  out[1] = 'M';
  for (int k = 0; k < 4; ++k) {
    out[2 + k] = static_cast<std::uint8_t>(total >> (8 * k));
    out[10 + k] = static_cast<std::uint8_t>(offset >> (8 * k));
  }
  out.insert(out.end(), data, data + size);
  return out;
}

}  // namespace

void TBitmap::LoadFromStream(TStream* Stream) {
  if (!Stream) return;
  const std::int64_t start = Stream->Position();
  const std::int64_t available = Stream->Size() - start;
  if (available <= 0) {
    ReplaceSurface(nullptr, format_);
    return;
  }
  // Enough of the headers to learn the BMP's length, then exactly that many bytes.
  std::vector<std::uint8_t> data(static_cast<std::size_t>(std::min<std::int64_t>(available, 14 + 124)));
  Stream->ReadBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  const std::size_t length = bmp::PeekLength(data.data(), data.size());
  if (length > static_cast<std::uint64_t>(available)) throw EInvalidGraphic("Bitmap image is not valid: truncated");
  if (length > data.size()) {
    const std::size_t have = data.size();
    data.resize(length);
    Stream->ReadBuffer(data.data() + have, static_cast<std::int64_t>(length - have));
  }
  std::size_t consumed = 0;
  const bmp::Image image = bmp::Decode(data.data(), length, &consumed);
  TPixelFormat format = TPixelFormat::pf24bit;
  auto surface = SurfaceOf(image, &format);
  Stream->SetPosition(start + static_cast<std::int64_t>(consumed));
  ReplaceSurface(std::move(surface), format);
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (!Stream || !surface_) return;
  bmp::Image image;
  image.width = width_;
  image.height = height_;
  image.bitsPerPixel = format_ == TPixelFormat::pf32bit ? 32 : 24;
  image.bgra.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
  std::uint32_t* out = reinterpret_cast<std::uint32_t*>(image.bgra.data());
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) *out++ = surface_->PixelAt(x, y);
  const std::vector<std::uint8_t> bytes = bmp::Encode(image);
  if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const std::string& ResName) {
  TResourceStream stream(Instance, ResName, RT_BITMAP);
  const std::int64_t size = stream.Size();
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(size));
  if (size > 0) stream.ReadBuffer(raw.data(), size);
  const std::vector<std::uint8_t> file = WithFileHeader(raw.data(), raw.size());
  TMemoryStream memory;
  memory.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  memory.SetPosition(0);
  LoadFromStream(&memory);
}
