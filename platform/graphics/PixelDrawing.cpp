#include "platform/graphics/PixelDrawing.h"

#include <cstring>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Surface.h"

namespace {

// A memory DC with a bitmap over the given surface selected; all released on destruction.
class SourceDC {
 public:
  explicit SourceDC(std::shared_ptr<PixelSurface> surface) {
    bitmap_ = CreateBitmapFromSurface(std::move(surface));
    dc_ = CreateCompatibleDC(nullptr);
    if (bitmap_ && dc_) old_ = SelectObject(dc_, bitmap_);
  }
  ~SourceDC() {
    if (dc_) {
      if (old_) SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
  }
  SourceDC(const SourceDC&) = delete;
  SourceDC& operator=(const SourceDC&) = delete;
  [[nodiscard]] HDC Get() const { return old_ ? dc_ : nullptr; }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

bool DrawBgraPixels(HDC DC, const TRect& Rect, const std::uint8_t* Pixels, int Width, int Height, int Stride,
                    TPixelBlend Blend, std::uint8_t ConstantAlpha) {
  if (DC == nullptr || Pixels == nullptr || Width <= 0 || Height <= 0 || Rect.IsEmpty()) return false;
  const bool alpha = Blend == TPixelBlend::Alpha;
  std::shared_ptr<PixelSurface> surface = PixelSurface::Create(Width, Height, alpha ? 32 : 24);
  if (!surface) return false;
  for (int y = 0; y < Height; ++y) {
    const std::uint8_t* src = Pixels + static_cast<std::size_t>(y) * Stride;
    std::uint8_t* dst = surface->Row(y);
    for (int x = 0; x < Width; ++x, src += 4) {
      if (alpha) {
        // The blend takes premultiplied colour.
        const unsigned a = src[3];
        dst[0] = static_cast<std::uint8_t>((src[0] * a + 127) / 255);
        dst[1] = static_cast<std::uint8_t>((src[1] * a + 127) / 255);
        dst[2] = static_cast<std::uint8_t>((src[2] * a + 127) / 255);
        dst[3] = static_cast<std::uint8_t>(a);
        dst += 4;
      } else {
        std::memcpy(dst, src, 3);
        dst += 3;
      }
    }
  }
  SourceDC source(surface);
  if (source.Get() == nullptr) return false;
  if (!alpha)
    return StretchBlt(DC, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), source.Get(), 0, 0, Width, Height,
                      SRCCOPY) != FALSE;
  BLENDFUNCTION blend;
  blend.BlendOp = AC_SRC_OVER;
  blend.SourceConstantAlpha = ConstantAlpha;
  blend.AlphaFormat = AC_SRC_ALPHA;
  return AlphaBlend(DC, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), source.Get(), 0, 0, Width, Height,
                    blend) != FALSE;
}

void CopyBgraToBitmap(TBitmap* Bitmap, const std::uint8_t* Pixels, int Width, int Height) {
  Bitmap->SetPixelFormat(TPixelFormat::pf32bit);
  Bitmap->SetSize(Width, Height);
  for (int y = 0; y < Height; ++y)
    std::memcpy(Bitmap->ScanLine(y), Pixels + static_cast<std::size_t>(y) * Width * 4, static_cast<std::size_t>(Width) * 4);
}
