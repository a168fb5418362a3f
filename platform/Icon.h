#pragma once
// TIcon: a small picture with per-pixel transparency, stored in the icon file format.
//
// The icon keeps one image: reading an icon file takes its largest entry (the first of equal
// ones); an entry may be a device-independent bitmap of 1, 4, 8, 24 or 32 bits with its
// transparency mask, or a PNG. Writing gives one 32-bit entry with its mask. Hostile files
// raise EInvalidGraphic like every picture reader.

#include <cstdint>
#include <vector>

#include "platform/Graphic.h"

class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;

  [[nodiscard]] int Width() const override { return width_; }
  [[nodiscard]] int Height() const override { return height_; }
  // The size follows the image: setting it raises EInvalidGraphicOperation, as for icons of
  // the framework.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  [[nodiscard]] bool Empty() const override { return width_ == 0 || height_ == 0; }

  // Reads an icon file from the stream's position (to its last entry's end) and leaves the
  // position after it. Raises EInvalidGraphic; the icon is then unchanged.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

  // Copies another icon, or takes a TBitmap: a 32-bit bitmap whose alpha bytes are not all 0
  // keeps its alpha; otherwise pixels are opaque except, for a transparent bitmap, those of its
  // TransparentColor.
  void Assign(TPersistent* Source) override;

  // Replaces the image with Width x Height pixels of 4 bytes B, G, R, A (straight alpha).
  // Raises EInvalidGraphic when the buffer does not hold them or a side exceeds 256.
  void SetPixels(int AWidth, int AHeight, std::vector<std::uint8_t> Bgra);
  // Top-down rows of width*4 bytes: B, G, R, A (straight alpha).
  [[nodiscard]] const std::vector<std::uint8_t>& Pixels() const { return bgra_; }

 protected:
  // Gives a TBitmap the pixels as 32 bits with straight alpha.
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> bgra_;
};
