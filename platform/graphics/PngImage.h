#pragma once
// PNG pictures: the codec core (memory in, pixels out and back) and TPngImage, the PNG graphic.
//
// Every colour type and bit depth is read; 16-bit samples are reduced to 8 bits and smaller ones
// widened, so the pixels are always 8-bit B, G, R, A rows with straight (not premultiplied)
// alpha. Besides the pixels the picture remembers how the file stored them (colour type, bit
// depth) and its transparency: none, one transparent colour, or per-pixel alpha.
//
// Errors: data that is not a valid PNG, truncated data, or a picture beyond the size caps
// raises EInvalidGraphic with the decoder's reason. The decoder's error hook jumps back to a
// small C-only frame around each decoder call (no C++ object lives between the jump and its
// target), and that frame's caller raises the exception, so nothing unwinds through the C
// library.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/Graphic.h"

class TBitmap;

namespace pngcodec {

// Colour types as the file stores them.
enum ColorType : int {
  kGray = 0,
  kRgb = 2,
  kPalette = 3,
  kGrayAlpha = 4,
  kRgbAlpha = 6,
};

// How a picture's transparency is stored.
enum class Transparency {
  None,     // opaque
  Bit,      // one colour (a grey level, an RGB value or one palette entry) is fully transparent
  Partial,  // an alpha channel, or palette entries with alpha between 0 and 255
};

// Largest accepted width or height, and width × height (the same caps as bitmaps).
inline constexpr int kMaxSide = 32768;
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;

struct Image {
  int width = 0, height = 0;
  int colorType = kRgbAlpha;  // as stored in the file
  int bitDepth = 8;           // as stored in the file: 1, 2, 4, 8 or 16
  Transparency transparency = Transparency::None;
  // With Transparency::Bit: the transparent colour as 0x00BBGGRR at 8 bits a channel.
  std::uint32_t transparentColor = 0;
  // Top-down rows of width*4 bytes: B, G, R, A, straight alpha. A is 255 for opaque pixels and
  // 0 for pixels of the transparent colour.
  std::vector<std::uint8_t> bgra;
};

// Reads one PNG from data; *consumed (when not null) receives the bytes up to and including its
// end chunk. Raises EInvalidGraphic.
Image Decode(const std::uint8_t* data, std::size_t size, std::size_t* consumed);

// Writes the picture in its colour type at 8 bits a sample: alpha types keep their alpha,
// grey types take the red channel, a transparent colour is written as such, and a palette
// picture gets a palette of its colours in order of first appearance (true colour with alpha
// when it has more than 256). The same picture always gives the same bytes.
// Raises EInvalidGraphic when bgra does not hold width*height*4 bytes.
std::vector<std::uint8_t> Encode(const Image& image);

}  // namespace pngcodec

enum class TPNGTransparencyMode { ptmNone, ptmBit, ptmPartial };

// Colour types under the names the PNG graphic's users know.
constexpr int COLOR_GRAYSCALE = pngcodec::kGray;
constexpr int COLOR_RGB = pngcodec::kRgb;
constexpr int COLOR_PALETTE = pngcodec::kPalette;
constexpr int COLOR_GRAYSCALEALPHA = pngcodec::kGrayAlpha;
constexpr int COLOR_RGBALPHA = pngcodec::kRgbAlpha;

// The PNG graphic. Draws alpha-blended and scaled onto a canvas.
class TPngImage : public TGraphic {
 public:
  TPngImage();
  ~TPngImage() override;

  [[nodiscard]] int Width() const override { return image_.width; }
  [[nodiscard]] int Height() const override { return image_.height; }
  // Resizing keeps the pixels of the area old and new sizes share; new pixels are 0 (black,
  // and transparent in an alpha picture).
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  [[nodiscard]] bool Empty() const override { return image_.width == 0 || image_.height == 0; }

  // Reads from the stream's position up to and including the PNG's end chunk and leaves the
  // position just after it. Raises EInvalidGraphic; the picture is then unchanged.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

  // Copies another PNG, or takes a TBitmap: a 32-bit bitmap whose alpha bytes are not all 0
  // gives true colour with alpha, any other bitmap true colour; a transparent bitmap's
  // TransparentColor becomes the single transparent colour.
  void Assign(TPersistent* Source) override;

  // A new picture of that colour type, bit depth and size, all pixels 0 (and opaque unless the
  // type has alpha). Raises EInvalidGraphic for an unknown colour type or a size beyond the caps.
  void CreateBlank(int ColorType, int BitDepth, int AWidth, int AHeight);
  // Gives a picture without alpha channel one (grey to grey with alpha, the others to true
  // colour with alpha), keeping each pixel's present opacity; nothing for alpha pictures.
  void CreateAlpha();

  [[nodiscard]] int ColorType() const { return image_.colorType; }
  [[nodiscard]] int BitDepth() const { return image_.bitDepth; }
  [[nodiscard]] TPNGTransparencyMode TransparencyMode() const;
  // The single transparent colour (TColor 0x00BBGGRR); meaningful with ptmBit only.
  [[nodiscard]] TColor TransparentColor() const { return static_cast<TColor>(image_.transparentColor); }

  // Row Row of the pixels, width*4 bytes B, G, R, A (straight alpha). Writing through it changes
  // the picture; call Changed afterwards when listeners must know. Raises EInvalidGraphicOperation
  // for a row outside the picture.
  [[nodiscard]] std::uint8_t* Scanline(int Row);
  [[nodiscard]] const pngcodec::Image& Data() const { return image_; }

  // The colour of pixel (X, Y) as 0x00BBGGRR; 0 outside the picture.
  [[nodiscard]] TColor Pixels(int X, int Y) const;
  // Sets the colour of pixel (X, Y), keeping its alpha; nothing outside the picture.
  void SetPixels(int X, int Y, TColor Value);

 protected:
  // Copies the pixels into a 32-bit TBitmap (straight alpha; 255 for opaque pixels).
  void AssignTo(TPersistent* Dest) override;
  // Draws the picture scaled into Rect, blended by its alpha (or its transparent colour).
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void Resize(int width, int height);

  pngcodec::Image image_;
};
