#pragma once
// Region: a set of pixels as a value, built from rectangles, polygons and rounded rectangles
// and combined with the set operations.
//
// Representation: y-bands sorted top to bottom; each band [Top, Bottom) holds sorted, disjoint,
// non-touching x spans [x0, x1). Neighbouring bands with equal spans are merged and empty bands
// dropped, so two regions covering the same pixels compare equal.

#include <cstdint>
#include <vector>

#include "platform/core/Types.h"

enum class TRegionOp { And, Or, Xor, Diff, Copy };
enum class TFillRule { Alternate, Winding };

class Region {
 public:
  Region() = default;
  explicit Region(const TRect& r);

  // The union of the rectangles (empty ones ignored).
  [[nodiscard]] static Region FromRects(const std::vector<TRect>& rects);
  // The pixels whose top-left corner points lie inside the polygon under the fill rule (top and
  // left edges in, right and bottom edges out).
  [[nodiscard]] static Region FromPolygon(const std::vector<TPoint>& points, TFillRule rule);
  // The rectangle with its corners rounded by an ellipse of ew x eh.
  [[nodiscard]] static Region FromRoundRect(const TRect& r, int ew, int eh);
  // The ellipse inscribed in r.
  [[nodiscard]] static Region FromEllipse(const TRect& r) { return FromRoundRect(r, r.Width(), r.Height()); }

  [[nodiscard]] static Region Combine(const Region& a, const Region& b, TRegionOp op);

  [[nodiscard]] bool IsEmpty() const { return bands_.empty(); }
  [[nodiscard]] bool IsRect() const { return bands_.size() == 1 && bands_[0].xs.size() == 2; }
  [[nodiscard]] TRect Bounds() const;
  [[nodiscard]] bool Contains(TPoint p) const;
  // True when any pixel of r belongs to the region.
  [[nodiscard]] bool Intersects(const TRect& r) const;
  void Offset(int dx, int dy);
  [[nodiscard]] Region Offsetted(int dx, int dy) const {
    Region c = *this;
    c.Offset(dx, dy);
    return c;
  }
  [[nodiscard]] Region Intersected(const TRect& r) const { return Combine(*this, Region(r), TRegionOp::And); }
  // The region as disjoint rectangles, top to bottom, left to right within a band.
  [[nodiscard]] std::vector<TRect> Rects() const;

  friend bool operator==(const Region&, const Region&) = default;

 private:
  struct Band {
    int top = 0;
    int bottom = 0;
    std::vector<int> xs;  // x0, x1, x0, x1, ...
    friend bool operator==(const Band&, const Band&) = default;
  };

  // Appends a band, merging it with the last when they touch and have equal spans.
  void Append(int top, int bottom, std::vector<int> xs);

  std::vector<Band> bands_;
};
