#include "tests/support/ImageCompare.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/core/Exceptions.h"

void SaveSurfacePng(const std::string& Path, const void* Pixels, int Width, int Height, int Stride, bool KeepAlpha) {
  if (Pixels == nullptr || Width <= 0 || Height <= 0 || Stride < Width * 4)
    throw EInvalidGraphic("Cannot save a surface of " + std::to_string(Width) + " x " + std::to_string(Height) +
                          " pixels as PNG");
  pngcodec::Image image;
  image.width = Width;
  image.height = Height;
  image.colorType = KeepAlpha ? pngcodec::kRgbAlpha : pngcodec::kRgb;
  image.bgra.resize(static_cast<std::size_t>(Width) * Height * 4);
  for (int y = 0; y < Height; ++y)
    std::memcpy(image.bgra.data() + static_cast<std::size_t>(y) * Width * 4,
                static_cast<const std::uint8_t*>(Pixels) + static_cast<std::size_t>(y) * Stride,
                static_cast<std::size_t>(Width) * 4);
  const std::vector<std::uint8_t> bytes = pngcodec::Encode(image);
  std::ofstream file(Path, std::ios::binary | std::ios::trunc);
  if (file) file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw EFCreateError("Cannot create file \"" + Path + "\"");
}

pngcodec::Image LoadPngFile(const std::string& Path) {
  std::ifstream file(Path, std::ios::binary);
  if (!file) throw EFOpenError("Cannot open file \"" + Path + "\"");
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return pngcodec::Decode(bytes.data(), bytes.size(), nullptr);
}

TSurfaceDifference CompareSurfaces(const void* A, int StrideA, const void* B, int StrideB, int Width, int Height,
                                   int Tolerance, bool CompareAlpha) {
  TSurfaceDifference result;
  const int channels = CompareAlpha ? 4 : 3;
  for (int y = 0; y < Height; ++y) {
    const auto* rowA = static_cast<const std::uint8_t*>(A) + static_cast<std::size_t>(y) * StrideA;
    const auto* rowB = static_cast<const std::uint8_t*>(B) + static_cast<std::size_t>(y) * StrideB;
    for (int x = 0; x < Width; ++x) {
      int worst = 0;
      for (int c = 0; c < channels; ++c) worst = std::max(worst, std::abs(rowA[x * 4 + c] - rowB[x * 4 + c]));
      result.MaxChannelDifference = std::max(result.MaxChannelDifference, worst);
      if (worst > Tolerance) ++result.DifferingPixels;
    }
  }
  return result;
}
