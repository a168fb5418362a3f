#pragma once
// The inside of the drawing interface of Gdi.h: drawing objects, device contexts and their
// handle tables, shared by GdiObjects.cpp, Blit.cpp, Primitives.cpp and Text.cpp. Nothing
// outside those files includes it.

#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/Surface.h"

class FontInstance;

namespace gdi_detail {

enum class Kind { Bitmap, Brush, Pen, Font, Region };

// One drawing object; only the fields of its kind are used.
struct Object {
  Kind kind = Kind::Brush;
  bool stock = false;
  std::shared_ptr<PixelSurface> surface;  // Bitmap
  HDC selectedInto = nullptr;             // Bitmap: the DC holding it, guarded by the table lock
  LOGBRUSH brush;                          // Brush
  LOGPEN pen;                              // Pen
  LOGFONT font;                            // Font
  std::shared_ptr<FontInstance> instance;  // Font: resolved on first use
  Region region;                           // Region
};

struct DcState {
  HGDIOBJ hBitmap = nullptr, hBrush = nullptr, hPen = nullptr, hFont = nullptr;
  std::shared_ptr<Object> bitmap, brush, pen, font;
  TPoint windowOrg, viewportOrg, brushOrg, penPos;
  std::optional<Region> clip;  // device coordinates; none: no user clip
  COLORREF textColor = 0;
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  UINT textAlign = TA_LEFT | TA_TOP;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
};

struct DeviceContext {
  std::shared_ptr<PixelSurface> surface;  // what drawing lands on; a memory DC's selected bitmap
  bool external = false;                  // a surface given by CreateSurfaceDC: no bitmap selection
  TPoint deviceOrigin;                    // surface pixel of device (0, 0)
  std::optional<Region> baseClip;         // surface coordinates
  DcState state;
  std::vector<DcState> saved;

  // Logical to surface coordinates: add Offset().
  [[nodiscard]] TPoint Offset() const {
    return {state.viewportOrg.X - state.windowOrg.X + deviceOrigin.X,
            state.viewportOrg.Y - state.windowOrg.Y + deviceOrigin.Y};
  }
  // The drawable area as disjoint rectangles in surface coordinates.
  [[nodiscard]] const std::vector<TRect>& ClipRects();
  // The drawable area as a region in surface coordinates.
  [[nodiscard]] Region ClipRegion() const;
  void ClipChanged() { clipValid_ = false; }

 private:
  std::vector<TRect> clipRects_;
  bool clipValid_ = false;
};

// Looks a handle up; nullptr when it is stale or of another kind.
[[nodiscard]] std::shared_ptr<Object> FindObject(const void* handle, Kind kind);
[[nodiscard]] std::shared_ptr<DeviceContext> FindDC(HDC hdc);
// Registers an object and answers its new handle.
[[nodiscard]] HGDIOBJ AddObject(std::shared_ptr<Object> object);

// The brush for FillRect-style calls: a handle, or a COLOR_* index + 1 in its place.
[[nodiscard]] std::shared_ptr<Object> FindBrushOrSysColor(HBRUSH hbr);
// The font instance of the DC's selected font (resolved and cached on first use).
[[nodiscard]] std::shared_ptr<FontInstance> FontOf(DeviceContext& dc);

// The 32-bit value written for a colour by fills, lines and text: alpha 0.
[[nodiscard]] inline std::uint32_t PixelOf(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
[[nodiscard]] inline COLORREF ColorOf(std::uint32_t pixel) {
  return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}

// Intersection of two rectangles (empty when they do not meet).
[[nodiscard]] TRect Intersect(const TRect& a, const TRect& b);

// Fills surface rectangle r (already clipped) with a 32-bit value under a binary raster
// operation (R2_*); surfaces of other depths go pixel by pixel.
void FillSurfaceRect(PixelSurface& s, const TRect& r, std::uint32_t value, int rop2);
// Fills r (surface coordinates) clipped to the DC's clip.
void FillClipped(DeviceContext& dc, const TRect& r, std::uint32_t value, int rop2);

}  // namespace gdi_detail
