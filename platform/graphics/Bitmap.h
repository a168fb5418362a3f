#pragma once
// TBitmap: the component framework's bitmap, a device-independent block of pixels in memory.
//
// Memory layout (what ScanLine returns): rows top-down, each padded to a multiple of 4 bytes.
//   pf32bit, pfDevice  4 bytes a pixel: B, G, R, A
//   pf24bit            3 bytes a pixel: B, G, R
//   pf1bit             1 bit a pixel, most significant bit leftmost, 0 black, 1 white
// Other formats are refused with EInvalidGraphicOperation. A new or grown area reads 0; resizing
// keeps the pixels of the area the old and new sizes share. Changing the format converts the
// pixels (24 to 32 bits gives alpha 0; 32 to 24 bits drops the alpha).
//
// The memory part (size, format, ScanLine, Assign between bitmaps) may be used on any thread,
// one thread at a time per bitmap; so may Canvas and Handle, whose objects live in the drawing
// layer's locked tables.
//
// Files and streams hold BMP pictures: loading keeps 32-bit pictures as pf32bit and makes every
// other depth pf24bit; saving writes 32 bits for pf32bit and 24 bits otherwise.

#include <memory>

#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Surface.h"

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum class TTransparentMode { tmAuto, tmFixed };

class TCanvas;

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;

  [[nodiscard]] int Width() const override { return width_; }
  [[nodiscard]] int Height() const override { return height_; }
  // A side of 0 or below empties the bitmap. Raises EInvalidGraphicOperation ("Bitmap too
  // large") for a size beyond the surface limits of Surface.h; the bitmap is then unchanged.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  void SetSize(int AWidth, int AHeight);
  [[nodiscard]] bool Empty() const override { return !surface_; }

  [[nodiscard]] TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat Value);

  // Address of row Row; raises EInvalidGraphicOperation "Scan line index out of range" when Row
  // is not in 0 .. Height - 1.
  [[nodiscard]] void* ScanLine(int Row);

  // Copies size, format, pixels and transparency settings of another bitmap; a null source
  // empties this one.
  void Assign(TPersistent* Source) override;

  // Reads one BMP from the stream's position (its length from its own header), leaving the
  // position just past it; an empty rest of stream gives an empty bitmap. Raises
  // EInvalidGraphic for a malformed or truncated BMP; the bitmap is then unchanged.
  void LoadFromStream(TStream* Stream) override;
  // Writes the bitmap as a BMP; an empty bitmap writes nothing.
  void SaveToStream(TStream* Stream) override;
  // Loads the RT_BITMAP resource ResName (with or without its BMP file header). Raises
  // EResNotFound when there is none.
  void LoadFromResourceName(HINSTANCE Instance, const std::string& ResName);

  // The canvas drawing on the bitmap's pixels, made on first use and kept by the bitmap. The
  // canvas's context survives resizes (it is re-made on the new pixels).
  [[nodiscard]] TCanvas* Canvas();
  // A bitmap handle sharing the pixels, owned by the bitmap (nullptr while empty). It is
  // replaced when the size or format changes.
  [[nodiscard]] HBITMAP Handle();

  // Transparent drawing leaves out pixels of TransparentColor: in tmAuto the colour of the
  // bottom-left pixel, in tmFixed the colour last set.
  [[nodiscard]] TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  [[nodiscard]] TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode Value);

  // The pixel memory, shared with the bitmap's handle and canvas; nullptr when empty.
  [[nodiscard]] const std::shared_ptr<PixelSurface>& Surface() const { return surface_; }

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  [[nodiscard]] static int BitsOf(TPixelFormat format);
  void Resize(int width, int height);
  void SurfaceReplaced();

  class BitmapCanvas;
  void ReplaceSurface(std::shared_ptr<PixelSurface> surface, TPixelFormat format);

  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = TPixelFormat::pfDevice;
  std::shared_ptr<PixelSurface> surface_;
  HBITMAP handle_ = nullptr;
  std::unique_ptr<BitmapCanvas> canvas_;
  TTransparentMode transparentMode_ = TTransparentMode::tmAuto;
  TColor transparentColor_ = clDefault;
};
