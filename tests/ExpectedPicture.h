#pragma once
// Re-recording the expected pictures: a run with CONVERTER_RECORD_PICTURES=1 (any value but "0")
// stores every picture a picture test draws as its expected picture instead of comparing, and
// prints which stored pictures it changed ("re-recorded <file>: <what>"). scripts/test collects
// those lines.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/ImageCompare.h"

namespace expected_picture {

[[nodiscard]] inline bool Recording() {
  const char* value = std::getenv("CONVERTER_RECORD_PICTURES");
  return value && *value && std::string(value) != "0";
}

// In a recording run, stores the Width x Height picture (4 bytes B, G, R, A a pixel, rows Stride
// bytes apart; alpha is not kept) as Expected when it differs from the stored one in any pixel or
// none is stored, and returns true: the caller then has nothing to compare. Otherwise false.
inline bool RecordIfAsked(const void* Pixels, int Width, int Height, int Stride, const std::filesystem::path& Expected) {
  if (!Recording()) return false;
  std::string change;
  if (!std::filesystem::exists(Expected)) {
    change = "new";
  } else {
    const pngcodec::Image stored = LoadPngFile(Expected.string());
    if (stored.width != Width || stored.height != Height) {
      change = "size " + std::to_string(stored.width) + " x " + std::to_string(stored.height) + " -> " +
               std::to_string(Width) + " x " + std::to_string(Height);
    } else {
      const TSurfaceDifference d =
          CompareSurfaces(Pixels, Stride, stored.bgra.data(), stored.width * 4, Width, Height, 0, false);
      if (d.DifferingPixels != 0)
        change = std::to_string(d.DifferingPixels) + " pixels (largest difference " +
                 std::to_string(d.MaxChannelDifference) + ")";
    }
  }
  if (!change.empty()) {
    SaveSurfacePng(Expected.string(), Pixels, Width, Height, Stride, false);
    std::printf("re-recorded %s: %s\n", Expected.string().c_str(), change.c_str());
    std::fflush(stdout);
  }
  return true;
}

}  // namespace expected_picture
