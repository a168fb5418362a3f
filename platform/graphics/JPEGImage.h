#pragma once
// JPEG pictures: the codec core (memory in, pixels out and back) and TJPEGImage, the JPEG graphic.
//
// Grey, colour and four-ink (CMYK, YCCK) pictures are read; all become 8-bit B, G, R rows.
//
// Errors: data that is not a JPEG, a damaged header, or a picture beyond the size caps raises EInvalidGraphic with the decoder's reason. The decoder's
// error hook jumps back to a small C-only frame around each decoder call (no C++ object lives
// between the jump and its target), and that frame's caller raises the exception. Damage inside
// the compressed pixels after a valid header (a truncated file, for one) is not an error: the
// decoder fills what it cannot read with grey, as picture viewers show such files.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/Graphic.h"

namespace jpegcodec {

inline constexpr int kMaxSide = 32768;
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;

struct Image {
  int width = 0, height = 0;
  bool grayscale = false;          // stored with one component
  std::vector<std::uint8_t> bgra;  // top-down rows of width*4 bytes: B, G, R, 255
};

// Reads one JPEG from data; *consumed (when not null) receives the bytes up to its end marker.
// Raises EInvalidGraphic.
Image Decode(const std::uint8_t* data, std::size_t size, std::size_t* consumed);

// Compresses width x height pixels of 4 bytes B, G, R, A (alpha ignored) at Quality 1..100
// (clamped), in one grey component when Grayscale. Raises EInvalidGraphic for a bad size.
std::vector<std::uint8_t> Encode(const std::uint8_t* bgra, int width, int height, int quality, bool grayscale);

}  // namespace jpegcodec

class TBitmap;

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  [[nodiscard]] int Width() const override { return image_.width; }
  [[nodiscard]] int Height() const override { return image_.height; }
  // A JPEG's size follows its pixels: setting it raises EInvalidGraphicOperation, as the
  // framework's JPEG graphic does.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  [[nodiscard]] bool Empty() const override { return image_.width == 0 || image_.height == 0; }

  // Quality of the next compression, 1..100 (values outside are clamped); default 90.
  [[nodiscard]] int CompressionQuality() const { return quality_; }
  void SetCompressionQuality(int Value);
  [[nodiscard]] bool Grayscale() const { return image_.grayscale; }

  // Reads from the stream's position up to the JPEG's end marker and leaves the position just
  // after it. Raises EInvalidGraphic; the picture is then unchanged.
  void LoadFromStream(TStream* Stream) override;
  // Writes the loaded bytes unchanged when the picture was loaded and not changed since (no
  // second loss of quality), else compresses the pixels at CompressionQuality.
  void SaveToStream(TStream* Stream) override;

  // Copies another JPEG, or takes the pixels of a TBitmap (to be compressed on save).
  void Assign(TPersistent* Source) override;

  [[nodiscard]] const jpegcodec::Image& Data() const { return image_; }

 protected:
  // Gives a TBitmap the pixels as 24 bits.
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  jpegcodec::Image image_;
  std::vector<std::uint8_t> original_;  // the loaded bytes, while they still match the pixels
  int quality_ = 90;
};
