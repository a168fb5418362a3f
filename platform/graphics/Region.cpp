#include "platform/graphics/Region.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Combines two sorted span lists with a boolean operation on "in a" and "in b".
std::vector<int> CombineSpans(const std::vector<int>& a, const std::vector<int>& b, TRegionOp op) {
  std::vector<int> edges;
  edges.reserve(a.size() + b.size());
  edges.insert(edges.end(), a.begin(), a.end());
  edges.insert(edges.end(), b.begin(), b.end());
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<int> out;
  std::size_t ia = 0, ib = 0;
  bool inA = false, inB = false, inOut = false;
  for (int x : edges) {
    while (ia < a.size() && a[ia] == x) {
      inA = !inA;
      ++ia;
    }
    while (ib < b.size() && b[ib] == x) {
      inB = !inB;
      ++ib;
    }
    bool in = false;
    switch (op) {
      case TRegionOp::And: in = inA && inB; break;
      case TRegionOp::Or: in = inA || inB; break;
      case TRegionOp::Xor: in = inA != inB; break;
      case TRegionOp::Diff: in = inA && !inB; break;
      case TRegionOp::Copy: in = inA; break;
    }
    if (in != inOut) {
      out.push_back(x);
      inOut = in;
    }
  }
  return out;
}

}  // namespace

Region::Region(const TRect& r) {
  if (!r.IsEmpty()) bands_.push_back(Band{r.Top, r.Bottom, {r.Left, r.Right}});
}

void Region::Append(int top, int bottom, std::vector<int> xs) {
  if (top >= bottom || xs.empty()) return;
  if (!bands_.empty() && bands_.back().bottom == top && bands_.back().xs == xs) {
    bands_.back().bottom = bottom;
    return;
  }
  bands_.push_back(Band{top, bottom, std::move(xs)});
}

Region Region::Combine(const Region& a, const Region& b, TRegionOp op) {
  if (op == TRegionOp::Copy) return a;
  std::vector<int> ys;
  for (const Region* r : {&a, &b})
    for (const Band& band : r->bands_) {
      ys.push_back(band.top);
      ys.push_back(band.bottom);
    }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Region out;
  std::size_t ia = 0, ib = 0;
  static const std::vector<int> kNone;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    const int y0 = ys[i], y1 = ys[i + 1];
    while (ia < a.bands_.size() && a.bands_[ia].bottom <= y0) ++ia;
    while (ib < b.bands_.size() && b.bands_[ib].bottom <= y0) ++ib;
    const std::vector<int>& sa = (ia < a.bands_.size() && a.bands_[ia].top <= y0) ? a.bands_[ia].xs : kNone;
    const std::vector<int>& sb = (ib < b.bands_.size() && b.bands_[ib].top <= y0) ? b.bands_[ib].xs : kNone;
    out.Append(y0, y1, CombineSpans(sa, sb, op));
  }
  return out;
}

Region Region::FromRects(const std::vector<TRect>& rects) {
  // A sweep from top to bottom over the rectangles that cover each slab between two edges, so
  // a mask's thousands of one-row rectangles build in one pass.
  std::vector<TRect> sorted;
  std::vector<int> ys;
  for (const TRect& r : rects)
    if (!r.IsEmpty()) {
      sorted.push_back(r);
      ys.push_back(r.Top);
      ys.push_back(r.Bottom);
    }
  std::sort(sorted.begin(), sorted.end(), [](const TRect& l, const TRect& r) { return l.Top < r.Top; });
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Region out;
  std::vector<TRect> active;
  std::vector<std::pair<int, int>> spans;
  std::size_t next = 0;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    const int y0 = ys[i], y1 = ys[i + 1];
    std::erase_if(active, [&](const TRect& r) { return r.Bottom <= y0; });
    while (next < sorted.size() && sorted[next].Top <= y0) active.push_back(sorted[next++]);
    spans.clear();
    for (const TRect& r : active) spans.emplace_back(r.Left, r.Right);
    std::sort(spans.begin(), spans.end());
    std::vector<int> xs;
    for (auto [l, r] : spans) {
      if (!xs.empty() && l <= xs.back())
        xs.back() = std::max(xs.back(), r);
      else {
        xs.push_back(l);
        xs.push_back(r);
      }
    }
    out.Append(y0, y1, std::move(xs));
  }
  return out;
}

Region Region::FromPolygon(const std::vector<TPoint>& points, TFillRule rule) {
  Region out;
  const std::size_t n = points.size();
  if (n < 3) return out;
  int minY = std::numeric_limits<int>::max(), maxY = std::numeric_limits<int>::min();
  for (const TPoint& p : points) {
    minY = std::min(minY, p.Y);
    maxY = std::max(maxY, p.Y);
  }
  struct Crossing {
    double x;
    int dir;
  };
  std::vector<Crossing> crossings;
  for (int y = minY; y < maxY; ++y) {
    // A pixel is inside when its top-left corner point is, with the top and left edges
    // included and the right and bottom ones excluded: the convention that makes a polygon's
    // fill meet the outline drawn through its vertices.
    const double sy = y;
    crossings.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const TPoint& p = points[i];
      const TPoint& q = points[(i + 1) % n];
      if (p.Y == q.Y) continue;
      const bool down = q.Y > p.Y;
      const double y0 = down ? p.Y : q.Y, y1 = down ? q.Y : p.Y;
      if (sy < y0 || sy >= y1) continue;
      const double x = p.X + (sy - p.Y) * (q.X - p.X) / static_cast<double>(q.Y - p.Y);
      crossings.push_back({x, down ? 1 : -1});
    }
    std::sort(crossings.begin(), crossings.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
    std::vector<int> xs;
    int winding = 0;
    for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
      winding += crossings[i].dir;
      const bool inside = rule == TFillRule::Alternate ? (i % 2 == 0) : winding != 0;
      if (!inside) continue;
      const int x0 = static_cast<int>(std::ceil(crossings[i].x));
      const int x1 = static_cast<int>(std::ceil(crossings[i + 1].x));
      if (x0 >= x1) continue;
      if (!xs.empty() && xs.back() >= x0)
        xs.back() = std::max(xs.back(), x1);
      else {
        xs.push_back(x0);
        xs.push_back(x1);
      }
    }
    out.Append(y, y + 1, std::move(xs));
  }
  return out;
}

Region Region::FromRoundRect(const TRect& r, int ew, int eh) {
  Region out;
  if (r.IsEmpty()) return out;
  ew = std::min(std::abs(ew), r.Width());
  eh = std::min(std::abs(eh), r.Height());
  if (ew < 2 || eh < 2) return Region(r);
  const double a = ew / 2.0, b = eh / 2.0;
  for (int y = r.Top; y < r.Bottom; ++y) {
    // Distance of the row's centre from the nearer corner ellipse's centre row.
    const double cy = y + 0.5;
    double dy = 0;
    if (cy < r.Top + b)
      dy = r.Top + b - cy;
    else if (cy > r.Bottom - b)
      dy = cy - (r.Bottom - b);
    int inset = 0;
    if (dy > 0) {
      const double t = 1.0 - (dy * dy) / (b * b);
      const double half = t > 0 ? a * std::sqrt(t) : 0.0;
      inset = static_cast<int>(std::lround(a - half));
    }
    std::vector<int> xs;
    if (r.Left + inset < r.Right - inset) xs = {r.Left + inset, r.Right - inset};
    out.Append(y, y + 1, std::move(xs));
  }
  return out;
}

TRect Region::Bounds() const {
  if (bands_.empty()) return {};
  TRect b{std::numeric_limits<int>::max(), bands_.front().top, std::numeric_limits<int>::min(), bands_.back().bottom};
  for (const Band& band : bands_) {
    b.Left = std::min(b.Left, band.xs.front());
    b.Right = std::max(b.Right, band.xs.back());
  }
  return b;
}

bool Region::Contains(TPoint p) const {
  for (const Band& band : bands_) {
    if (p.Y < band.top) return false;
    if (p.Y >= band.bottom) continue;
    for (std::size_t i = 0; i < band.xs.size(); i += 2)
      if (p.X >= band.xs[i] && p.X < band.xs[i + 1]) return true;
    return false;
  }
  return false;
}

bool Region::Intersects(const TRect& r) const {
  if (r.IsEmpty()) return false;
  for (const Band& band : bands_) {
    if (band.top >= r.Bottom) return false;
    if (band.bottom <= r.Top) continue;
    for (std::size_t i = 0; i < band.xs.size(); i += 2)
      if (band.xs[i] < r.Right && band.xs[i + 1] > r.Left) return true;
  }
  return false;
}

void Region::Offset(int dx, int dy) {
  for (Band& band : bands_) {
    band.top += dy;
    band.bottom += dy;
    for (int& x : band.xs) x += dx;
  }
}

std::vector<TRect> Region::Rects() const {
  std::vector<TRect> out;
  for (const Band& band : bands_)
    for (std::size_t i = 0; i < band.xs.size(); i += 2) out.push_back({band.xs[i], band.top, band.xs[i + 1], band.bottom});
  return out;
}
