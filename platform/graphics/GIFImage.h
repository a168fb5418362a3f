#pragma once
// GIF pictures: the codec core (memory in, pixels out and back, with its own LZW coder) and
// TGIFImage, the GIF graphic.
//
// Reading takes the first frame, placed on the logical screen (pixels the frame does not cover
// take the background colour), with its transparent index. Writing reduces the colours to one
// table of at most 256: the exact colours when there are that few, else a median cut of the
// colour histogram with each pixel mapped to its nearest table colour.
//
// Every GIF is untrusted input: a truncated header or colour table, a frame outside the
// caps, an LZW code that is not yet defined, or a colour index past the colour table raises
// EInvalidGraphic, and nothing is read outside the data. Pixel data that simply ends early
// leaves the rest of the frame at index 0, as viewers show such files.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/Graphic.h"

namespace gifcodec {

inline constexpr int kMaxSide = 32768;
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;

struct Image {
  int width = 0, height = 0;
  bool hasTransparency = false;    // some pixels are transparent (A = 0)
  std::vector<std::uint8_t> bgra;  // top-down rows of width*4 bytes: B, G, R, A (255 or 0)
};

// Reads the first frame; *consumed (when not null) receives the bytes up to and including the
// trailer (or all of size when the trailer is missing). Raises EInvalidGraphic.
Image Decode(const std::uint8_t* data, std::size_t size, std::size_t* consumed);

// Writes a GIF89a of one frame. With hasTransparency, pixels of alpha 0 become a transparent
// index; alpha is ignored otherwise. Deterministic. Raises EInvalidGraphic for a bad size.
std::vector<std::uint8_t> Encode(const Image& image);

}  // namespace gifcodec

class TGIFImage : public TGraphic {
 public:
  TGIFImage();
  ~TGIFImage() override;

  [[nodiscard]] int Width() const override { return image_.width; }
  [[nodiscard]] int Height() const override { return image_.height; }
  // The size follows the pixels: setting it raises EInvalidGraphicOperation.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  [[nodiscard]] bool Empty() const override { return image_.width == 0 || image_.height == 0; }

  // Reads from the stream's position up to the GIF's trailer and leaves the position after it.
  // Raises EInvalidGraphic; the picture is then unchanged.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

  // Copies another GIF, or takes the pixels of a TBitmap; a transparent bitmap's
  // TransparentColor becomes the transparent index.
  void Assign(TPersistent* Source) override;

  [[nodiscard]] const gifcodec::Image& Data() const { return image_; }

 protected:
  // Gives a TBitmap the pixels as 32 bits (alpha 255, or 0 where transparent).
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  gifcodec::Image image_;
};
