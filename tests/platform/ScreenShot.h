#pragma once
// The headless screen composed once and read at as many points as a test needs. Composing the
// whole screen is the costly part, so a test reading many pixels takes one shot and reads it;
// a shot does not follow later changes: take a new one after the screen changes.

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/windowing/HeadlessDisplay.h"
#include "platform/graphics/Surface.h"
#include "platform/core/Types.h"

class TScreenShot {
 public:
  TScreenShot(const THeadlessDisplay& display, COLORREF background) : shot_(display.Screenshot(background)) {}

  // Colour at a point of the screen (COLORREF).
  [[nodiscard]] COLORREF At(TPoint p) const {
    const std::uint32_t v = shot_->PixelAt(p.X, p.Y);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }

 private:
  std::shared_ptr<PixelSurface> shot_;
};
