// Icon handles: the process's table of icons, drawing them, loading and copying them, and the
// standard icons drawn at any size.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/core/Exceptions.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/PixelDrawing.h"
#include "platform/core/Resources.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kMaxIconSide = 256;

struct IconData {
  detail::IconImage image;
  std::vector<std::uint8_t> source;  // icon or PNG file bytes the image came from
  int standardId = 0;                // a standard icon, drawn anew at each size
  bool shared = false;
};

// Handles are numbers never handed out twice, so a freed icon's handle stays unknown.
class TIconTable {
 public:
  HICON Add(std::shared_ptr<const IconData> data) {
    std::lock_guard lock(mutex_);
    const std::uintptr_t id = ++last_;
    icons_[id] = std::move(data);
    return reinterpret_cast<HICON>(id);
  }
  std::shared_ptr<const IconData> Find(HICON h) const {
    std::lock_guard lock(mutex_);
    auto it = icons_.find(reinterpret_cast<std::uintptr_t>(h));
    return it == icons_.end() ? nullptr : it->second;
  }
  bool Remove(HICON h) {
    std::lock_guard lock(mutex_);
    auto it = icons_.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == icons_.end()) return false;
    if (!it->second->shared) icons_.erase(it);
    return true;
  }
  // The shared standard icon of that id and size, made once.
  HICON Standard(int id, int size) {
    {
      std::lock_guard lock(mutex_);
      auto it = standard_.find({id, size});
      if (it != standard_.end()) return it->second;
    }
    detail::IconImage image = detail::StandardIconImage(id, size);
    if (image.Bgra.empty()) return nullptr;
    auto data = std::make_shared<IconData>();
    data->image = std::move(image);
    data->standardId = id;
    data->shared = true;
    HICON h = Add(std::move(data));
    std::lock_guard lock(mutex_);
    return standard_.emplace(std::make_pair(id, size), h).first->second;
  }

 private:
  mutable std::mutex mutex_;
  std::uintptr_t last_ = 0;
  std::map<std::uintptr_t, std::shared_ptr<const IconData>> icons_;
  std::map<std::pair<int, int>, HICON> standard_;
};

TIconTable& Icons() {
  static TIconTable table;
  return table;
}

HICON MakeHandle(detail::IconImage image, std::vector<std::uint8_t> source, int standardId, bool shared) {
  auto data = std::make_shared<IconData>();
  data->image = std::move(image);
  data->source = std::move(source);
  data->standardId = standardId;
  data->shared = shared;
  return Icons().Add(std::move(data));
}

bool ValidSize(int w, int h) { return w > 0 && h > 0 && w <= kMaxIconSide && h <= kMaxIconSide; }

// ---- The standard icons: shapes measured on a unit square, 4 x 4 samples a pixel ----

using Rgba = detail::IconSample;

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

bool InCircle(double x, double y, double cx, double cy, double r) { return std::hypot(x - cx, y - cy) <= r; }

bool InTriangle(double x, double y) {
  // Apex (0.5, 0.06), base from (0.03, 0.92) to (0.97, 0.92), corners softened.
  const double ax = 0.5, ay = 0.06, bx = 0.03, by = 0.92, cx = 0.97, cy = 0.92;
  auto side = [](double px, double py, double x1, double y1, double x2, double y2) {
    return (px - x2) * (y1 - y2) - (x1 - x2) * (py - y2);
  };
  const double d1 = side(x, y, ax, ay, bx, by), d2 = side(x, y, bx, by, cx, cy), d3 = side(x, y, cx, cy, ax, ay);
  const bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
  return !(neg && pos);
}

// The colour of one sample of a standard icon; alpha 0 outside its shape.
Rgba StandardSample(int id, double x, double y) {
  const Rgba none{0, 0, 0, 0};
  const Rgba white{1, 1, 1, 1};
  switch (id) {
    case IDI_HAND: {
      if (!InCircle(x, y, 0.5, 0.5, 0.47)) return none;
      const double w = 0.065;
      if (SegmentDistance(x, y, 0.32, 0.32, 0.68, 0.68) <= w || SegmentDistance(x, y, 0.68, 0.32, 0.32, 0.68) <= w)
        return white;
      return {0.84, 0.16, 0.16, 1};
    }
    case IDI_EXCLAMATION: {
      if (!InTriangle(x, y)) return none;
      const Rgba ink{0.15, 0.15, 0.15, 1};
      if (SegmentDistance(x, y, 0.5, 0.36, 0.5, 0.64) <= 0.06 || InCircle(x, y, 0.5, 0.78, 0.065)) return ink;
      return {0.98, 0.76, 0.10, 1};
    }
    case IDI_ASTERISK: {
      if (!InCircle(x, y, 0.5, 0.5, 0.47)) return none;
      if (InCircle(x, y, 0.5, 0.28, 0.07) || SegmentDistance(x, y, 0.5, 0.44, 0.5, 0.75) <= 0.06) return white;
      return {0.11, 0.45, 0.84, 1};
    }
    case IDI_QUESTION: {
      if (!InCircle(x, y, 0.5, 0.5, 0.47)) return none;
      // A ring from the left over the top and right down to its bottom, a stem and a dot.
      const double cx = 0.5, cy = 0.37, r = 0.14, half = 0.055;
      double angle = std::atan2(cy - y, x - cx);  // y grows downwards
      const bool onArc = std::abs(std::hypot(x - cx, y - cy) - r) <= half && angle >= -M_PI / 2 - 0.05;
      if (onArc || SegmentDistance(x, y, cx, cy + r, cx, 0.6) <= half || InCircle(x, y, 0.5, 0.76, 0.065)) return white;
      return {0.11, 0.45, 0.84, 1};
    }
    case IDI_APPLICATION:
    case IDI_WINLOGO: {
      // A window: grey frame, blue title bar, white client.
      if (x < 0.06 || x > 0.94 || y < 0.12 || y > 0.88) return none;
      if (x < 0.1 || x > 0.9 || y > 0.84) return {0.45, 0.45, 0.48, 1};
      if (y < 0.3) return {0.11, 0.45, 0.84, 1};
      return white;
    }
    default: return none;
  }
}

}  // namespace

detail::IconImage detail::StandardIconImage(int Id, int Size) {
  if (StandardSample(Id, 0.5, 0.5).a == 0 || !ValidSize(Size, Size)) return {};
  return SampleIconImage(Size, [Id](double x, double y) { return StandardSample(Id, x, y); });
}

detail::IconImage detail::SampleIconImage(int Size, const std::function<IconSample(double X, double Y)>& Sample) {
  if (!ValidSize(Size, Size)) return {};
  IconImage out{Size, Size, std::vector<std::uint8_t>(static_cast<std::size_t>(Size) * Size * 4)};
  constexpr int kSamples = 4;
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < Size; ++x) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          const IconSample c = Sample((x + (sx + 0.5) / kSamples) / Size, (y + (sy + 0.5) / kSamples) / Size);
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      std::uint8_t* px = out.Bgra.data() + (static_cast<std::size_t>(y) * Size + x) * 4;
      if (a > 0) {
        px[0] = static_cast<std::uint8_t>(std::lround(b / a * 255));
        px[1] = static_cast<std::uint8_t>(std::lround(g / a * 255));
        px[2] = static_cast<std::uint8_t>(std::lround(r / a * 255));
      }
      px[3] = static_cast<std::uint8_t>(std::lround(a / (kSamples * kSamples) * 255));
    }
  return out;
}

std::vector<std::uint8_t> detail::ScaleBgra(const std::uint8_t* Bgra, int Width, int Height, int NewWidth,
                                            int NewHeight) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(NewWidth) * NewHeight * 4);
  if (Width <= 0 || Height <= 0) return out;
  // Each target pixel averages the source area it covers (nearest pixel when enlarging),
  // colours weighted by alpha so transparent pixels do not darken the edges.
  for (int y = 0; y < NewHeight; ++y) {
    const double y0 = static_cast<double>(y) * Height / NewHeight, y1 = static_cast<double>(y + 1) * Height / NewHeight;
    for (int x = 0; x < NewWidth; ++x) {
      const double x0 = static_cast<double>(x) * Width / NewWidth, x1 = static_cast<double>(x + 1) * Width / NewWidth;
      double r = 0, g = 0, b = 0, a = 0, weight = 0;
      for (int sy = static_cast<int>(y0); sy < std::min<double>(Height, std::ceil(y1)); ++sy) {
        const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
        for (int sx = static_cast<int>(x0); sx < std::min<double>(Width, std::ceil(x1)); ++sx) {
          const double w = wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
          if (w <= 0) continue;
          const std::uint8_t* p = Bgra + (static_cast<std::size_t>(sy) * Width + sx) * 4;
          const double pa = p[3] / 255.0 * w;
          b += p[0] * pa;
          g += p[1] * pa;
          r += p[2] * pa;
          a += pa;
          weight += w;
        }
      }
      std::uint8_t* q = out.data() + (static_cast<std::size_t>(y) * NewWidth + x) * 4;
      if (a > 0) {
        q[0] = static_cast<std::uint8_t>(std::lround(b / a));
        q[1] = static_cast<std::uint8_t>(std::lround(g / a));
        q[2] = static_cast<std::uint8_t>(std::lround(r / a));
      }
      q[3] = weight > 0 ? static_cast<std::uint8_t>(std::lround(a / weight * 255)) : 0;
    }
  }
  return out;
}

HICON detail::CreateIconHandle(IconImage Image, std::vector<std::uint8_t> Source, int StandardId, bool Shared) {
  if (!ValidSize(Image.Width, Image.Height)) return nullptr;
  return MakeHandle(std::move(Image), std::move(Source), StandardId, Shared);
}

HICON CreateIconFromImageData(const void* Data, std::size_t Size, int Width, int Height) {
  if (Data == nullptr || Width < 0 || Height < 0 || Width > kMaxIconSide || Height > kMaxIconSide) return nullptr;
  const auto* bytes = static_cast<const std::uint8_t*>(Data);
  try {
    std::size_t consumed = 0;
    detail::IconImage image = detail::DecodeIconData(bytes, Size, Width, Height, &consumed);
    return detail::CreateIconHandle(std::move(image), std::vector<std::uint8_t>(bytes, bytes + consumed));
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
}

HICON CreateIconFromPixels(int Width, int Height, const std::uint8_t* Bgra) {
  if (Bgra == nullptr || !ValidSize(Width, Height)) return nullptr;
  detail::IconImage image{Width, Height, {Bgra, Bgra + static_cast<std::size_t>(Width) * Height * 4}};
  return detail::CreateIconHandle(std::move(image), {});
}

BOOL DestroyIcon(HICON hIcon) { return Icons().Remove(hIcon) ? TRUE : FALSE; }

HICON CopyIcon(HICON hIcon) {
  auto data = Icons().Find(hIcon);
  if (!data) return nullptr;
  return MakeHandle(data->image, data->source, data->standardId, false);
}

bool GetIconPixels(HICON hIcon, int& Width, int& Height, std::vector<std::uint8_t>& Bgra) {
  auto data = Icons().Find(hIcon);
  if (!data) return false;
  Width = data->image.Width;
  Height = data->image.Height;
  Bgra = data->image.Bgra;
  return true;
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON hIcon, int cx, int cy, UINT, HBRUSH hbrFlickerFreeDraw, UINT diFlags) {
  auto data = Icons().Find(hIcon);
  if (!data || hdc == nullptr) return FALSE;
  const detail::IconImage& image = data->image;
  if (cx == 0) cx = (diFlags & DI_DEFAULTSIZE) ? kStandardIconSize : image.Width;
  if (cy == 0) cy = (diFlags & DI_DEFAULTSIZE) ? kStandardIconSize : image.Height;
  if (cx <= 0 || cy <= 0) return FALSE;
  const TRect r = Bounds(x, y, cx, cy);
  if (hbrFlickerFreeDraw != nullptr) FillRect(hdc, &r, hbrFlickerFreeDraw);
  const UINT what = diFlags & DI_NORMAL;
  if (what == DI_NORMAL) return DrawBgraPixels(hdc, r, image.Bgra.data(), image.Width, image.Height, image.Width * 4,
                                               TPixelBlend::Alpha)
                                    ? TRUE
                                    : FALSE;
  std::vector<std::uint8_t> px = image.Bgra;
  for (std::size_t i = 0; i < px.size(); i += 4) {
    if (what == DI_MASK) {
      const std::uint8_t v = px[i + 3] == 0 ? 255 : 0;
      px[i] = px[i + 1] = px[i + 2] = v;
    }
    px[i + 3] = 255;
  }
  return DrawBgraPixels(hdc, r, px.data(), image.Width, image.Height, image.Width * 4, TPixelBlend::Opaque) ? TRUE
                                                                                                          : FALSE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON hIcon) {
  return DrawIconEx(hdc, x, y, hIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

HICON LoadIcon(HINSTANCE hInstance, int Id) {
  if (hInstance != nullptr) return nullptr;
  return Icons().Standard(Id, kStandardIconSize);
}

HICON LoadIcon(HINSTANCE hInstance, const char* Name) {
  return static_cast<HICON>(LoadImage(hInstance, Name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

HANDLE LoadImage(HINSTANCE hInst, int Id, UINT type, int cx, int cy, UINT fuLoad) {
  if (type != IMAGE_ICON || hInst != nullptr) return nullptr;
  if (fuLoad & LR_DEFAULTSIZE) {
    if (cx == 0) cx = kStandardIconSize;
    if (cy == 0) cy = kStandardIconSize;
  }
  if (cx == 0) cx = cy;
  if (cy == 0) cy = cx;
  if (cx == 0) cx = cy = kStandardIconSize;
  if (cx != cy) {
    detail::IconImage image = detail::StandardIconImage(Id, std::max(cx, cy));
    if (image.Bgra.empty()) return nullptr;
    image.Bgra = detail::ScaleBgra(image.Bgra.data(), image.Width, image.Height, cx, cy);
    image.Width = cx;
    image.Height = cy;
    return detail::CreateIconHandle(std::move(image), {}, Id, false);
  }
  if (fuLoad & LR_SHARED) return Icons().Standard(Id, cx);
  detail::IconImage image = detail::StandardIconImage(Id, cx);
  if (image.Bgra.empty()) return nullptr;
  return detail::CreateIconHandle(std::move(image), {}, Id, false);
}

HANDLE LoadImage(HINSTANCE hInst, const char* Name, UINT type, int cx, int cy, UINT fuLoad) {
  if (type != IMAGE_ICON || Name == nullptr) return nullptr;
  if (fuLoad & LR_DEFAULTSIZE) {
    if (cx == 0) cx = kStandardIconSize;
    if (cy == 0) cy = kStandardIconSize;
  }
  std::vector<std::uint8_t> bytes;
  if (fuLoad & LR_LOADFROMFILE) {
    try {
      TFileStream file(Name, fmOpenRead | fmShareDenyNone);
      bytes.resize(static_cast<std::size_t>(file.Size()));
      if (!bytes.empty()) file.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    } catch (const Exception&) {
      return nullptr;
    }
  } else {
    if (hInst != nullptr && hInst != HInstance()) return nullptr;
    const TResourceData* res = FindResourceData(Name, RT_GROUP_ICON);
    if (res == nullptr) return nullptr;
    const auto* p = static_cast<const std::uint8_t*>(res->Data);
    bytes.assign(p, p + res->Size);
  }
  // LR_SHARED hands out a handle that DestroyIcon does not free; each load makes its own.
  try {
    std::size_t consumed = 0;
    detail::IconImage image = detail::DecodeIconData(bytes.data(), bytes.size(), cx, cy, &consumed);
    bytes.resize(consumed);
    if (!ValidSize(image.Width, image.Height)) return nullptr;
    return MakeHandle(std::move(image), std::move(bytes), 0, (fuLoad & LR_SHARED) != 0);
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
}

HANDLE CopyImage(HANDLE h, UINT type, int cx, int cy, UINT flags) {
  if (type != IMAGE_ICON) return nullptr;
  auto data = Icons().Find(static_cast<HICON>(h));
  if (!data) return nullptr;
  if (cx < 0 || cy < 0 || cx > kMaxIconSide || cy > kMaxIconSide) return nullptr;
  if (cx == 0) cx = data->image.Width;
  if (cy == 0) cy = data->image.Height;
  detail::IconImage image;
  if ((flags & LR_COPYFROMRESOURCE) && data->standardId != 0 && cx == cy) {
    image = detail::StandardIconImage(data->standardId, cx);
  } else if ((flags & LR_COPYFROMRESOURCE) && !data->source.empty()) {
    try {
      image = detail::DecodeIconData(data->source.data(), data->source.size(), cx, cy);
    } catch (const EInvalidGraphic&) {
      image = {};
    }
  }
  if (image.Bgra.empty()) {
    image.Width = cx;
    image.Height = cy;
    image.Bgra = cx == data->image.Width && cy == data->image.Height
                     ? data->image.Bgra
                     : detail::ScaleBgra(data->image.Bgra.data(), data->image.Width, data->image.Height, cx, cy);
  }
  HICON copy = MakeHandle(std::move(image), data->source, data->standardId, false);
  if (flags & LR_COPYDELETEORG) DestroyIcon(static_cast<HICON>(h));
  return copy;
}
