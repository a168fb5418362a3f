// The pictures of the system icons: the program's own icon resources when it links them, else
// shapes drawn here, measured on a unit square, with one-pixel outlines at every size.

#include <algorithm>
#include <cmath>

#include "platform/core/Exceptions.h"
#include "platform/core/Resources.h"
#include "platform/shell/ShellIcons.h"

namespace {

using Rgba = detail::IconSample;

constexpr Rgba kNone{0, 0, 0, 0};

constexpr Rgba Hex(unsigned rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1};
}

Rgba Mix(Rgba a, Rgba b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, 1};
}

bool InRect(double x, double y, double l, double t, double r, double b) { return x >= l && x < r && y >= t && y < b; }

bool InRoundRect(double x, double y, double l, double t, double r, double b, double radius) {
  if (!InRect(x, y, l, t, r, b)) return false;
  const double cx = std::clamp(x, l + radius, r - radius), cy = std::clamp(y, t + radius, b - radius);
  return std::hypot(x - cx, y - cy) <= radius;
}

bool InCircle(double x, double y, double cx, double cy, double radius) { return std::hypot(x - cx, y - cy) <= radius; }

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double len2 = dx * dx + dy * dy;
  const double t = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0) : 0;
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// Inside the triangle a, b, c.
bool InTriangle(double x, double y, double ax, double ay, double bx, double by, double cx, double cy) {
  auto side = [&](double x1, double y1, double x2, double y2) { return (x - x2) * (y1 - y2) - (x1 - x2) * (y - y2); };
  const double d1 = side(ax, ay, bx, by), d2 = side(bx, by, cx, cy), d3 = side(cx, cy, ax, ay);
  return !((d1 < 0 || d2 < 0 || d3 < 0) && (d1 > 0 || d2 > 0 || d3 > 0));
}

// A rounded box with a one-pixel edge (p is one pixel in unit measure): the edge colour on its
// border, Fill inside.
bool Box(double x, double y, double l, double t, double r, double b, double radius, double p, Rgba fill, Rgba edge,
         Rgba& out) {
  if (!InRoundRect(x, y, l, t, r, b, radius)) return false;
  out = InRoundRect(x, y, l + p, t + p, r - p, b - p, std::max(0.0, radius - p)) ? fill : edge;
  return true;
}

// ---- Folders ----

Rgba Folder(double x, double y, double p, bool open) {
  const Rgba edge = Hex(0xB7791F), back = Hex(0xDDA23A), front = Hex(0xF4C553), paper = Hex(0xFFFFFF);
  Rgba c;
  if (open) {
    // The front flap leans forward: a parallelogram over the back and a sheet of paper.
    const double top = 0.42, bottom = 0.86;
    const double lean = (bottom - y) * 0.22;
    if (y >= top && y < bottom && x >= 0.06 + lean && x < 0.86 + lean) {
      const bool border = y < top + p || y >= bottom - p || x < 0.06 + lean + p || x >= 0.86 + lean - p;
      return border ? edge : Mix(front, Hex(0xFAD77A), (bottom - y) / (bottom - top));
    }
    if (Box(x, y, 0.2, 0.22, 0.84, 0.6, 0.02, p, paper, Hex(0xB9C1C9), c)) return c;
  } else if (Box(x, y, 0.06, 0.34, 0.94, 0.86, 0.06, p, Mix(front, Hex(0xFAD77A), (0.86 - y) / 0.52), edge, c)) {
    return c;
  }
  // The back with its tab.
  if (Box(x, y, 0.06, 0.2, 0.46, 0.4, 0.05, p, back, edge, c)) return c;
  if (Box(x, y, 0.06, 0.28, 0.94, 0.86, 0.06, p, back, edge, c)) return c;
  return kNone;
}

// ---- Files ----

// The page with its folded corner; the badge area is drawn over it by the caller.
bool Page(double x, double y, double p, Rgba& out) {
  const double l = 0.18, t = 0.06, r = 0.82, b = 0.94, fold = 0.22;
  const Rgba edge = Hex(0x9AA3AD), paper = Hex(0xFFFFFF), flap = Hex(0xDDE3E9);
  if (!InRect(x, y, l, t, r, b)) return false;
  const double cut = (x - (r - fold)) - (y - t);  // > 0 beyond the fold line
  if (x >= r - fold && y < t + fold) {
    if (cut > p * 0.7) return false;
    if (std::abs(cut) <= p * 0.7) {
      out = edge;
      return true;
    }
    // The flap itself: the triangle below the fold.
    if (x >= r - fold && y < t + fold) {
      out = (x >= r - fold + p && y < t + fold - p) ? flap : edge;
      return true;
    }
  }
  out = (x < l + p || x >= r - p || y < t + p || y >= b - p) ? edge : paper;
  return true;
}

Rgba FileEmblem(TShellIconPicture picture, double x, double y, double p) {
  switch (picture) {
    case TShellIconPicture::FileText:
      for (double line : {0.42, 0.54, 0.66, 0.78})
        if (InRect(x, y, 0.3, line, line == 0.78 ? 0.56 : 0.7, line + std::max(p, 0.05))) return Hex(0x8A949E);
      return kNone;
    case TShellIconPicture::FileImage: {
      if (!InRect(x, y, 0.26, 0.42, 0.74, 0.82)) return kNone;
      if (InCircle(x, y, 0.61, 0.53, 0.06)) return Hex(0xF4C553);
      if (InTriangle(x, y, 0.26, 0.82, 0.44, 0.58, 0.62, 0.82) || InTriangle(x, y, 0.48, 0.82, 0.62, 0.66, 0.74, 0.82))
        return Hex(0x3D9A5B);
      return Mix(Hex(0x7CC0EE), Hex(0x4FA3E0), (y - 0.42) / 0.4);
    }
    case TShellIconPicture::FileAudio: {
      const Rgba ink = Hex(0x8E5BD6);
      if (InCircle(x, y, 0.38, 0.76, 0.08) || InCircle(x, y, 0.62, 0.7, 0.08)) return ink;
      if (InRect(x, y, 0.42, 0.38, 0.46, 0.76) || InRect(x, y, 0.66, 0.32, 0.7, 0.7)) return ink;
      if (SegmentDistance(x, y, 0.44, 0.4, 0.68, 0.34) <= 0.04) return ink;
      return kNone;
    }
    case TShellIconPicture::FileVideo: {
      if (!InRoundRect(x, y, 0.24, 0.44, 0.76, 0.82, 0.05)) return kNone;
      if (InTriangle(x, y, 0.43, 0.52, 0.43, 0.74, 0.62, 0.63)) return Hex(0xFFFFFF);
      return Hex(0x2F6FD6);
    }
    case TShellIconPicture::FileArchive: {
      if (!InRect(x, y, 0.44, 0.06, 0.56, 0.7)) return kNone;
      const int step = static_cast<int>((y - 0.06) / 0.08);
      if (y > 0.56) return InRoundRect(x, y, 0.44, 0.56, 0.56, 0.7, 0.02) ? Hex(0x7A5228) : kNone;
      return (step % 2 == 0) == (x < 0.5) ? Hex(0xA0703A) : Hex(0xD8B98A);
    }
    case TShellIconPicture::FileDocument:
      if (InRect(x, y, 0.28, 0.36, 0.72, 0.46)) return Hex(0x2F6FD6);
      for (double line : {0.54, 0.64, 0.74})
        if (InRect(x, y, 0.28, line, 0.72, line + std::max(p, 0.045))) return Hex(0x9AB6E0);
      return kNone;
    case TShellIconPicture::FileExecutable: {
      const double r = std::hypot(x - 0.5, y - 0.62);
      const double angle = std::atan2(y - 0.62, x - 0.5);
      const double teeth = std::cos(angle * 8) > 0.2 ? 0.2 : 0.16;
      if (r <= teeth && r > 0.07) return Hex(0x5B6770);
      return kNone;
    }
    case TShellIconPicture::FileFont: {
      const Rgba ink = Hex(0xD65B5B);
      if (SegmentDistance(x, y, 0.5, 0.38, 0.34, 0.82) <= 0.045 || SegmentDistance(x, y, 0.5, 0.38, 0.66, 0.82) <= 0.045 ||
          InRect(x, y, 0.4, 0.64, 0.6, 0.69))
        return ink;
      return kNone;
    }
    default: return kNone;
  }
}

// ---- Places ----

Rgba Monitor(double x, double y, double p) {
  Rgba c;
  if (Box(x, y, 0.06, 0.12, 0.94, 0.72, 0.06, p, Mix(Hex(0x5AA6EC), Hex(0x2F74C8), (y - 0.12) / 0.6), Hex(0x3B4650), c)) {
    if (!InRect(x, y, 0.1, 0.16, 0.9, 0.68)) return Hex(0x44505C);
    return c;
  }
  if (InRect(x, y, 0.42, 0.72, 0.58, 0.84)) return Hex(0x7A8691);
  if (Box(x, y, 0.26, 0.84, 0.74, 0.92, 0.03, p, Hex(0x9AA5B0), Hex(0x5E6973), c)) return c;
  return kNone;
}

Rgba Home(double x, double y, double p) {
  Rgba c;
  const Rgba roof = Hex(0xD9534F), roofEdge = Hex(0xA93A36);
  if (InTriangle(x, y, 0.5, 0.08, 0.02, 0.5, 0.98, 0.5)) {
    const bool inner = InTriangle(x, y, 0.5, 0.08 + 1.6 * p, 0.02 + 2.2 * p, 0.5 - p, 0.98 - 2.2 * p, 0.5 - p);
    return inner ? roof : roofEdge;
  }
  if (Box(x, y, 0.42, 0.6, 0.58, 0.92, 0.02, p, Hex(0x8A5A3C), Hex(0x6A4229), c)) return c;
  if (Box(x, y, 0.16, 0.42, 0.84, 0.92, 0.02, p, Hex(0xF5EFE6), Hex(0x8A7F72), c)) return c;
  return kNone;
}

Rgba Desktop(double x, double y, double p) {
  Rgba c;
  if (!InRoundRect(x, y, 0.06, 0.14, 0.94, 0.86, 0.07)) return kNone;
  if (!InRoundRect(x, y, 0.06 + p, 0.14 + p, 0.94 - p, 0.86 - p, 0.07 - p)) return Hex(0x25303B);
  if (y >= 0.74) return Hex(0x25303B);  // the task bar
  if (Box(x, y, 0.26, 0.26, 0.74, 0.62, 0.03, p, Hex(0xE8F1FB), Hex(0x9DB8D8), c)) {
    if (InRect(x, y, 0.26, 0.26, 0.74, 0.34)) return Hex(0x9DB8D8);
    return c;
  }
  return Mix(Hex(0x4D9BE6), Hex(0x2F74C8), (y - 0.14) / 0.6);
}

Rgba Trash(double x, double y, double p) {
  Rgba c;
  if (Box(x, y, 0.38, 0.08, 0.62, 0.18, 0.03, p, Hex(0x8A959F), Hex(0x5E6973), c)) return c;
  if (Box(x, y, 0.14, 0.16, 0.86, 0.26, 0.03, p, Hex(0x8A959F), Hex(0x5E6973), c)) return c;
  // The body narrows towards its foot.
  const double inset = (y - 0.28) * 0.12;
  if (y >= 0.28 && y < 0.94 && x >= 0.2 + inset && x < 0.8 - inset) {
    if (x < 0.2 + inset + p || x >= 0.8 - inset - p || y >= 0.94 - p) return Hex(0x5E6973);
    for (double stripe : {0.36, 0.5, 0.64})
      if (y > 0.36 && y < 0.86 && std::abs(x - (stripe + (stripe - 0.5) * -0.0)) < std::max(p * 0.6, 0.025))
        return Hex(0x6B7680);
    return Mix(Hex(0xC9D0D6), Hex(0xA9B2BA), (x - 0.2) / 0.6);
  }
  return kNone;
}

// ---- Drives ----

Rgba DriveBox(double x, double y, double p, double top, double bottom) {
  Rgba c;
  if (!Box(x, y, 0.08, top, 0.92, bottom, 0.07, p, Mix(Hex(0xC3CBD3), Hex(0x8F9AA5), (y - top) / (bottom - top)),
           Hex(0x5E6973), c))
    return kNone;
  if (InCircle(x, y, 0.78, (top + bottom) / 2, 0.045)) return Hex(0x3CCB6A);
  if (InRect(x, y, 0.18, (top + bottom) / 2 - 0.02, 0.58, (top + bottom) / 2 + std::max(p, 0.04)) && p < 0.05)
    return Hex(0x6B7680);
  return c;
}

Rgba Removable(double x, double y, double p) {
  Rgba c;
  if (Box(x, y, 0.36, 0.06, 0.64, 0.3, 0.02, p, Hex(0xDDE2E7), Hex(0x8A959F), c)) {
    if (InRect(x, y, 0.42, 0.12, 0.48, 0.18) || InRect(x, y, 0.52, 0.12, 0.58, 0.18)) return Hex(0x5E6973);
    return c;
  }
  if (Box(x, y, 0.26, 0.28, 0.74, 0.94, 0.08, p, Mix(Hex(0x5A95E4), Hex(0x2F6FD6), (y - 0.28) / 0.66), Hex(0x24559F), c))
    return c;
  return kNone;
}

Rgba Remote(double x, double y, double p) {
  const Rgba drive = DriveBox(x, y, p, 0.12, 0.56);
  if (drive.a > 0) return drive;
  const double w = std::max(p, 0.06);
  if (InRect(x, y, 0.5 - w / 2, 0.56, 0.5 + w / 2, 0.8)) return Hex(0x5E6973);
  if (InRect(x, y, 0.14, 0.8, 0.86, 0.8 + w)) return Hex(0x5E6973);
  Rgba c;
  if (Box(x, y, 0.38, 0.74, 0.62, 0.92, 0.02, p, Hex(0x3B8BE0), Hex(0x24559F), c)) return c;
  return kNone;
}

Rgba Optical(double x, double y, double p) {
  const double r = std::hypot(x - 0.5, y - 0.5);
  if (r > 0.44 || r < 0.07) return kNone;
  if (r > 0.44 - p) return Hex(0x8A959F);
  if (r < 0.07 + p) return Hex(0x8A959F);
  if (r < 0.16) return Hex(0xF4F6F8);
  // A soft sheen across the disc.
  const double sheen = 0.5 + 0.5 * std::sin(std::atan2(y - 0.5, x - 0.5) * 2 + 0.6);
  return Mix(Hex(0xB8C2CC), Hex(0xE9EEF2), sheen);
}

Rgba Ram(double x, double y, double p) {
  Rgba c;
  if (InRect(x, y, 0.1, 0.68, 0.9, 0.8)) {
    const int pin = static_cast<int>((x - 0.1) / 0.08);
    if (pin % 2 == 0 && y > 0.7) return Hex(0xE0B84A);
  }
  if (Box(x, y, 0.06, 0.26, 0.94, 0.72, 0.03, p, Hex(0x2E8B57), Hex(0x1E5E3A), c)) {
    for (double chip : {0.14, 0.4, 0.66})
      if (InRect(x, y, chip, 0.34, chip + 0.2, 0.6)) return Hex(0x1F2A33);
    return c;
  }
  return kNone;
}

Rgba Sample(TShellIconPicture picture, double x, double y, double p) {
  switch (picture) {
    case TShellIconPicture::Folder: return Folder(x, y, p, false);
    case TShellIconPicture::FolderOpen: return Folder(x, y, p, true);
    case TShellIconPicture::Computer: return Monitor(x, y, p);
    case TShellIconPicture::Home: return Home(x, y, p);
    case TShellIconPicture::Desktop: return Desktop(x, y, p);
    case TShellIconPicture::Trash: return Trash(x, y, p);
    case TShellIconPicture::DriveFixed: return DriveBox(x, y, p, 0.3, 0.72);
    case TShellIconPicture::DriveRemovable: return Removable(x, y, p);
    case TShellIconPicture::DriveRemote: return Remote(x, y, p);
    case TShellIconPicture::DriveOptical: return Optical(x, y, p);
    case TShellIconPicture::DriveRam: return Ram(x, y, p);
    default: {
      Rgba page;
      if (!Page(x, y, p, page)) return kNone;
      const Rgba emblem = FileEmblem(picture, x, y, p);
      return emblem.a > 0 ? emblem : page;
    }
  }
}

// The program's own picture of an icon (an icon resource of 16- and 32-pixel entries, registered
// when the program links its built-in pictures); kinds it has no picture of take the nearest.
const char* ResourceName(TShellIconPicture picture) {
  switch (picture) {
    case TShellIconPicture::Folder: return "VL_SHELL_FOLDER";
    case TShellIconPicture::FolderOpen: return "VL_SHELL_FOLDER_OPEN";
    case TShellIconPicture::Computer: return "VL_SHELL_COMPUTER";
    case TShellIconPicture::Home: return "VL_SHELL_HOME";
    case TShellIconPicture::Desktop: return "VL_SHELL_DESKTOP";
    case TShellIconPicture::Trash: return "VL_SHELL_TRASH";
    case TShellIconPicture::DriveFixed: return "VL_SHELL_DRIVE_FIXED";
    case TShellIconPicture::DriveRemovable: return "VL_SHELL_DRIVE_REMOVABLE";
    case TShellIconPicture::DriveRemote: return "VL_SHELL_DRIVE_NETWORK";
    case TShellIconPicture::DriveOptical: return "VL_SHELL_DRIVE_CDROM";
    case TShellIconPicture::DriveRam: return "VL_SHELL_DRIVE_RAM";
    case TShellIconPicture::FileText:
    case TShellIconPicture::FileDocument: return "VL_SHELL_FILE_TEXT";
    case TShellIconPicture::FileImage: return "VL_SHELL_FILE_IMAGE";
    case TShellIconPicture::FileAudio: return "VL_SHELL_FILE_AUDIO";
    case TShellIconPicture::FileVideo: return "VL_SHELL_FILE_VIDEO";
    case TShellIconPicture::FileExecutable: return "VL_SHELL_FILE_PROGRAM";
    case TShellIconPicture::File:
    case TShellIconPicture::FileArchive:
    case TShellIconPicture::FileFont: break;
  }
  return "VL_SHELL_FILE";
}

detail::IconImage ResourcePicture(TShellIconPicture picture, int size) {
  const TResourceData* resource = FindResourceData(ResourceName(picture), RT_GROUP_ICON);
  if (resource == nullptr) return {};
  try {
    detail::IconImage image =
        detail::DecodeIconData(static_cast<const std::uint8_t*>(resource->Data), resource->Size, size, size);
    if (image.Width == size && image.Height == size) return image;
    if (image.Width <= 0 || image.Height <= 0) return {};
    return {size, size, detail::ScaleBgra(image.Bgra.data(), image.Width, image.Height, size, size)};
  } catch (const EInvalidGraphic&) {
    return {};  // a damaged resource: the drawn picture stands in
  }
}

}  // namespace

detail::IconImage ShellIconPicture(TShellIconPicture Picture, int Size) {
  if (Size <= 0 || Size > 256) return {};
  if (detail::IconImage art = ResourcePicture(Picture, Size); art.Width == Size) return art;
  const double p = 1.0 / Size;  // one pixel, for the outlines
  return detail::SampleIconImage(Size, [Picture, p](double x, double y) { return Sample(Picture, x, y, p); });
}
