#pragma once
// Saving any 32-bit surface as a PNG file and comparing two surfaces within a tolerance: how
// drawing tests keep a picture of what they drew and check it against an expected one.

#include <cstdint>
#include <string>

#include "platform/graphics/PngImage.h"

// Writes width x height pixels of 4 bytes B, G, R, A, rows stride bytes apart, as a PNG file with
// alpha (or without, when KeepAlpha is false: the alpha bytes are then ignored). Raises
// EFCreateError when the file cannot be written and EInvalidGraphic for a bad size.
void SaveSurfacePng(const std::string& Path, const void* Pixels, int Width, int Height, int Stride,
                    bool KeepAlpha = true);

// Reads a PNG file into 8-bit B, G, R, A rows (any colour type). Raises EFOpenError or
// EInvalidGraphic.
[[nodiscard]] pngcodec::Image LoadPngFile(const std::string& Path);

struct TSurfaceDifference {
  int MaxChannelDifference = 0;  // largest |a - b| over the channels compared
  std::int64_t DifferingPixels = 0;  // pixels with a channel differing by more than the tolerance
};

// Compares two surfaces of the same size pixel by pixel (4 bytes B, G, R, A; the alpha byte only
// when CompareAlpha). Tolerance is the largest channel difference that still counts as equal.
[[nodiscard]] TSurfaceDifference CompareSurfaces(const void* A, int StrideA, const void* B, int StrideB, int Width,
                                                 int Height, int Tolerance = 0, bool CompareAlpha = true);
