#include "skins/vlArtIcons.h"

#include <cmath>
#include <numbers>

#include "skins/vlSkinArtKit.h"

namespace vlart {

namespace {

const Tone kPaper{kWhite, vlHex(0xEEF1F5), kBorderStrong};
const Tone kMetalBody{kMetal, kMetalLow, vlHex(0x8995A5)};
const Tone kFolderPlate{kFolderBack, kFolderBack, kFolderLine};
const Tone kFolderFront{kFolder, kFolderLow, kFolderLine};

Tone FlatTone(TvlArgb C) { return Tone{C, C, C}; }

void DrawVideoMark(GridPen& P, TvlArgb Hue) {
  P.Box(5, 8, 11, 13, 0.75, Lit(Hue));
  P.Flat({{7.1, 9.2}, {9.7, 10.5}, {7.1, 11.8}}, kWhite);
}

// The sheet's content: what kind of file it is, in the area (4.5 .. 11.5, 6 .. 13).
void DrawFileContent(GridPen& P, ShellIcon Kind) {
  switch (Kind) {
    case ShellIcon::FileVideo:
      DrawVideoMark(P, kAccent);
      break;
    case ShellIcon::FileAudio:
      P.Dot(6.9, 11.9, 1.55, kPurple);
      P.Stroke({{8.2, 12}, {8.2, 6.8}, {10.6, 7.9}}, 1.2, kPurple);
      break;
    case ShellIcon::FileImage:
      P.Box(5, 7, 11, 13, 0.5, Tone{vlHex(0xE6F0FC), vlHex(0xD3E3FA), vlHex(0x9DB8E0)});
      P.Flat({{5.6, 12.4}, {7.6, 9.4}, {8.9, 11.1}, {9.7, 10.3}, {10.4, 12.4}}, kSuccess);
      P.Dot(9.3, 8.7, 0.9, kWarning);
      break;
    case ShellIcon::FileText:
      for (double y : {6.5, 8.5, 10.5}) P.HRule(5, 11, y, vlHex(0xA9B3BF));
      P.HRule(5, 9, 12.5, vlHex(0xA9B3BF));
      break;
    default:
      break;
  }
}

void DrawProgram(GridPen& P) {
  P.Box(1, 3, 15, 13, 1, kPaper);
  P.Box(1, 3, 15, 5, 1, Lit(kAccent));
  P.HRule(3, 10, 7.5, vlHex(0xA9B3BF));
  P.HRule(3, 12, 9.5, vlHex(0xA9B3BF));
}

void DrawDriveFixed(GridPen& P) {
  P.Box(1, 5, 15, 12, 1, kMetalBody);
  P.HRule(3, 9, 9, kBorderStrong);
  P.Dot(12, 9.5, 0.9, kSuccess);
}

void DrawDriveRemovable(GridPen& P) {
  P.Box(10, 6.5, 15, 11.5, 0.3, kMetalBody);
  P.Flat({{12, 8}, {14, 8}, {14, 9}, {12, 9}}, kInk);
  P.Box(1, 5, 11, 13, 1, Lit(kInk));
  P.Dot(3.5, 9, 0.8, kSuccess);
}

void DrawDriveCdrom(GridPen& P) {
  P.Disc(8, 8, 7, Tone{vlHex(0xF6F8FA), vlHex(0xD5DBE3), kBorderStrong});
  P.Flat({{8, 8}, {2.6, 4.5}, {4.5, 2.6}}, vlWithAlpha(kAccent, 40));
  P.Disc(8, 8, 3, Tone{kSelectionSoft, vlHex(0xC9DAF6), vlHex(0x9DB8E0)});
  P.Disc(8, 8, 1.2, Tone{kWindow, kWindow, kBorderStrong});
}

void DrawDriveNetwork(GridPen& P) {
  P.HRule(1, 15, 12.5, kInk);
  P.VRule(8, 8, 12, kInk);
  P.Box(1, 2, 15, 8, 1, kMetalBody);
  P.HRule(3, 9, 5, kBorderStrong);
  P.Dot(12, 5, 0.9, kSuccess);
  P.Box(6, 11, 10, 14, 0.5, Lit(kAccent));
}

void DrawDriveRam(GridPen& P) {
  P.Box(1, 4, 15, 11, 0.5, Lit(kSuccess));
  for (double x : {3.0, 7.0, 11.0}) P.Flat({{x, 5}, {x + 2, 5}, {x + 2, 9}, {x, 9}}, vlHex(0x2A3440));
  for (int i = 0; i < 6; ++i) {
    const double x = 2 + 2 * i;
    P.Flat({{x, 11}, {x + 1, 11}, {x + 1, 13}, {x, 13}}, vlHex(0xD9A63C));
  }
}

void DrawComputer(GridPen& P) {
  P.Flat({{7, 11}, {9, 11}, {9.6, 13}, {6.4, 13}}, kInk);
  P.Box(4, 13, 12, 14, 0.5, Lit(kInk));
  P.Box(1, 2, 15, 11, 1, Tone{vlHex(0x5E6A79), kInk, kInkLine});
  P.Box(2, 3, 14, 10, 0, Tone{vlHex(0x78A9F0), kAccent, kAccentDown});
}

void DrawHome(GridPen& P) {
  P.Box(3, 7, 13, 14, 0.5, kPaper);
  P.Shape({{1, 8}, {8, 1.5}, {15, 8}}, Lit(kAccent));
  P.Box(7, 10, 9, 14, 0.3, Lit(kAccent));
}

void DrawDesktop(GridPen& P) {
  P.Box(1, 2, 15, 13, 1, Tone{vlHex(0x6C9FEC), kAccent, kAccentDown});
  P.Flat({{2, 11}, {14, 11}, {14, 12}, {2, 12}}, vlHex(0x1E4FA3));
  for (double y : {4.0, 7.0}) P.Flat({{3, y}, {5, y}, {5, y + 2}, {3, y + 2}}, kWhite);
}

}  // namespace

void DrawFolder(GridPen& P, bool Open, const Tone& Front) {
  P.Shape({{1, 2}, {6, 2}, {7, 3}, {15, 3}, {15, 14}, {1, 14}}, kFolderPlate);
  if (Open) {
    P.Box(2.5, 4, 13.5, 11, 0, kPaper);
    P.Shape({{3, 7}, {15, 7}, {13, 14}, {1, 14}}, Front);
  } else {
    P.Box(1, 5, 15, 14, 1, Front);
  }
}

void DrawDocument(GridPen& P) {
  P.Shape({{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}}, kPaper);
  P.Shape({{10, 1}, {10, 4}, {13, 4}}, Tone{kBar, kBar, kBorderStrong});
}

void DrawVideoSheet(GridPen& P, TvlArgb Hue) {
  DrawDocument(P);
  DrawVideoMark(P, Hue);
}

void DrawTrash(GridPen& P) {
  P.Box(6, 1, 10, 3.5, 0.5, kMetalBody);
  P.Shape({{3, 5}, {13, 5}, {12, 15}, {4, 15}}, kMetalBody);
  for (double x : {6.0, 8.0, 10.0}) P.VRule(x, 7, 13, kBorderStrong);
  P.Box(2, 3, 14, 5, 0.5, kMetalBody);
}

void DrawGear(GridPen& P, double Cx, double Cy, double R, const Tone& Body) {
  constexpr int kTeeth = 8;
  const double cx = P.Px(Cx), cy = P.Px(Cy), outer = P.Px(R), inner = outer * 0.74, hole = outer * 0.34;
  const double top = cy - outer, height = 2 * outer;
  P.Canvas().FillShape(
      cx - outer, cy - outer, cx + outer, cy + outer,
      [&](double x, double y) {
        const double d = std::hypot(x - cx, y - cy);
        if (d < hole) return false;
        if (d <= inner) return true;
        if (d > outer) return false;
        // Teeth: trapezoids, wider at the root, centred on the eight directions.
        const double a = std::atan2(y - cy, x - cx) * kTeeth / (2 * std::numbers::pi) + 0.5;
        const double f = std::abs(a - std::floor(a) - 0.5);  // 0 at a tooth's centre
        const double half = 0.24 - 0.08 * (d - inner) / (outer - inner);
        return f < half;
      },
      [&](double, double y) { return vlMix(Body.Top, Body.Bottom, (y - top) / height); });
}

void DrawBadge(GridPen& P, double Cx, double Cy, double R, TvlArgb Hue, BadgeSign Sign) {
  P.Dot(Cx, Cy, R + 1.0 / P.K(), kWhite);
  P.Disc(Cx, Cy, R, Lit(Hue));
  const double s = R * 0.5;
  if (Sign == BadgeSign::Cross) {
    P.Stroke({{Cx - s * 0.8, Cy - s * 0.8}, {Cx + s * 0.8, Cy + s * 0.8}}, 1.3, kWhite);
    P.Stroke({{Cx - s * 0.8, Cy + s * 0.8}, {Cx + s * 0.8, Cy - s * 0.8}}, 1.3, kWhite);
    return;
  }
  P.Stroke({{Cx - s, Cy}, {Cx + s, Cy}}, 1.3, kWhite);
  if (Sign == BadgeSign::Plus) P.Stroke({{Cx, Cy - s}, {Cx, Cy + s}}, 1.3, kWhite);
}

void DrawSpeaker(GridPen& P, TvlArgb Colour, int Waves) {
  P.Flat({{1.5, 6}, {4.5, 6}, {8.5, 2.5}, {8.5, 13.5}, {4.5, 10}, {1.5, 10}}, Colour);
  if (Waves == 1) {
    for (double r : {2.6, 5.0}) {
      std::vector<TvlPointF> arc;
      for (int i = -4; i <= 4; ++i) {
        const double a = i * 0.16;
        arc.push_back({9.2 + r * std::cos(a), 8 + r * std::sin(a)});
      }
      P.Stroke(arc, 1.3, Colour);
    }
  } else if (Waves == 2) {
    P.Stroke({{10.5, 6}, {14.5, 10}}, 1.4, kDanger);
    P.Stroke({{10.5, 10}, {14.5, 6}}, 1.4, kDanger);
  }
}

TvlArtCanvas DrawShellIcon(ShellIcon Icon, int Size) {
  TvlArtCanvas c(Size, Size);
  GridPen p(c, Size / 16.0);
  switch (Icon) {
    case ShellIcon::Folder:
      DrawFolder(p, false, kFolderFront);
      break;
    case ShellIcon::FolderOpen:
      DrawFolder(p, true, kFolderFront);
      break;
    case ShellIcon::File:
    case ShellIcon::FileVideo:
    case ShellIcon::FileAudio:
    case ShellIcon::FileImage:
    case ShellIcon::FileText:
      DrawDocument(p);
      DrawFileContent(p, Icon);
      break;
    case ShellIcon::FileProgram:
      DrawProgram(p);
      break;
    case ShellIcon::DriveFixed:
      DrawDriveFixed(p);
      break;
    case ShellIcon::DriveRemovable:
      DrawDriveRemovable(p);
      break;
    case ShellIcon::DriveCdrom:
      DrawDriveCdrom(p);
      break;
    case ShellIcon::DriveNetwork:
      DrawDriveNetwork(p);
      break;
    case ShellIcon::DriveRam:
      DrawDriveRam(p);
      break;
    case ShellIcon::Computer:
      DrawComputer(p);
      break;
    case ShellIcon::Home:
      DrawHome(p);
      break;
    case ShellIcon::Desktop:
      DrawDesktop(p);
      break;
    case ShellIcon::Trash:
      DrawTrash(p);
      break;
  }
  return c;
}

TvlArtCanvas DrawMessageIcon(MessageIcon Icon, int Size) {
  TvlArtCanvas c(Size, Size);
  GridPen p(c, Size / 16.0);
  switch (Icon) {
    case MessageIcon::Error:
      p.Disc(8, 8, 7, Lit(kDanger));
      p.Stroke({{5.6, 5.6}, {10.4, 10.4}}, 1.7, kWhite);
      p.Stroke({{5.6, 10.4}, {10.4, 5.6}}, 1.7, kWhite);
      break;
    case MessageIcon::Warning:
      p.Shape({{8, 1.2}, {15, 14}, {1, 14}}, Tone{vlHex(0xF9D266), kWarning, vlHex(0xC88A0E)});
      p.Box(7.2, 5.3, 8.8, 10.3, 0.8, FlatTone(kText));
      p.Dot(8, 12, 0.9, kText);
      break;
    case MessageIcon::Information:
      p.Disc(8, 8, 7, Lit(kAccent));
      p.Dot(8, 4.9, 1.05, kWhite);
      p.Box(7.1, 6.8, 8.9, 12.2, 0.4, FlatTone(kWhite));
      break;
    case MessageIcon::Question: {
      p.Disc(8, 8, 7, Lit(kAccent));
      const TvlArtFont font{"Arial", static_cast<int>(std::lround(11 * Size / 16.0)), true};
      c.TextCentered(TRect{0, 0, Size, Size}, "?", font, kWhite);
      break;
    }
  }
  return c;
}

}  // namespace vlart
