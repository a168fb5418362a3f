#pragma once
// The icons of the program, drawn in code on the 16-unit grid of GridPen: the shell views'
// system icons (folders, file kinds, drives, places), the message box's icons, and the shapes
// they are made of, which the tool glyphs reuse.
//
// Every icon leaves the pixel column 0 and the bottom pixel row free, so the bottom-left pixel
// stays transparent: glyph drawing takes that pixel's colour as the transparent one.

#include "skins/vlArtGrid.h"

namespace vlart {

enum class ShellIcon {
  Folder,
  FolderOpen,
  File,
  FileVideo,
  FileAudio,
  FileImage,
  FileText,
  FileProgram,
  DriveFixed,
  DriveRemovable,
  DriveCdrom,
  DriveNetwork,
  DriveRam,
  Computer,
  Home,
  Desktop,
  Trash,
};

enum class MessageIcon { Warning, Error, Information, Question };

// The icon, Size x Size pixels (16 or 32; other sizes scale the grid), on a transparent canvas.
[[nodiscard]] TvlArtCanvas DrawShellIcon(ShellIcon Icon, int Size);
[[nodiscard]] TvlArtCanvas DrawMessageIcon(MessageIcon Icon, int Size);

// ---- shapes, in grid units ----
// A folder filling the grid (rows 2 .. 14); Front is the colour of its front plate.
void DrawFolder(GridPen& P, bool Open, const Tone& Front);
// A sheet of paper with a folded corner (columns 3 .. 13, rows 1 .. 15).
void DrawDocument(GridPen& P);
// That sheet with a video mark of the hue on it.
void DrawVideoSheet(GridPen& P, TvlArgb Hue);
void DrawTrash(GridPen& P);
// A gear of outer radius R around (Cx, Cy).
void DrawGear(GridPen& P, double Cx, double Cy, double R, const Tone& Body);
// A round badge with a white sign, set off from what lies below by a white ring.
enum class BadgeSign { Plus, Minus, Cross };
void DrawBadge(GridPen& P, double Cx, double Cy, double R, TvlArgb Hue, BadgeSign Sign);
// A speaker; Waves 0 none, 1 sound waves, 2 a cross (muted).
void DrawSpeaker(GridPen& P, TvlArgb Colour, int Waves);

}  // namespace vlart
