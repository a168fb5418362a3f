// The built-in pictures: which picture goes under which resource name, and the bytes each is
// registered with.

#include <cmath>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/core/Resources.h"
#include "platform/core/Streams.h"
#include "skins/vlArtAppPictures.h"
#include "skins/vlArtGlyphs.h"
#include "skins/vlArtIcons.h"
#include "skins/vlSkinArt.h"
#include "skins/vlSkinArtKit.h"

namespace {

using namespace vlart;

// ---- the slider's own images ----
// Thumbs hold two states side by side: normal, then pressed (also shown disabled).

TvlArtCanvas SliderThumbStates(int W, int H, bool Vertical) {
  TvlArtCanvas c(2 * W, H);
  for (int state = 0; state < 2; ++state) {
    const int x = state * W;
    // The thumb leaves the first column and the bottom row of its state free (the key pixel).
    const double l = x + 1, t = 0, r = x + W, b = H - 1;
    const double radius = (Vertical ? b - t : r - l) / 2;
    if (state == 0)
      c.FillRound(l, t, r, b, radius, kSurface, kSurfaceLow);
    else
      c.FillRound(l, t, r, b, radius, kDownFace, kDownFaceLow);
    c.StrokeRound(l, t, r, b, radius, state == 0 ? kAccent : kAccentDown);
  }
  return c;
}

// A groove across the ruler, shaded on the side the light does not reach.
TvlArtCanvas SliderRulerImage(int W, int H, bool Vertical) {
  TvlArtCanvas c(W, H);
  if (Vertical) {
    c.FillRect(2, 0, 6, H, kLine);
    c.VLine(2, 0, H, kBorder);
  } else {
    c.FillRect(0, 2, W, 6, kLine);
    c.HLine(0, W, 2, kBorder);
  }
  return c;
}

// ---- the file dialogs' drives and folders, cut to their sizes ----

TvlArtCanvas CurrentFolder() {
  TvlArtCanvas c(16, 16);
  GridPen p(c, 1.0);
  DrawFolder(p, true, Lit(kAccent));
  return c;
}

// Folders 16 x 15: the grid without its top row. The RAM module 16 x 11: rows 3 .. 13.
TvlArtCanvas FolderRows(const TvlArtCanvas& C) { return C.Cut(TRect{0, 1, 16, 16}); }

TvlArtPicture GlyphPicture(const std::string& Name, TvlArtCanvas C) {
  return TvlArtPicture{Name, TvlArtPictureKind::Glyph, {std::move(C)}};
}

void AddGlyphAndGreyed(std::vector<TvlArtPicture>& Out, const std::string& Name, const TvlArtCanvas& C) {
  Out.push_back(GlyphPicture(Name, C));
  Out.push_back(GlyphPicture(Name + "_OFF", GreyedGlyph(C)));
}

struct IconName {
  const char* Name;
  ShellIcon Icon;
};

const IconName kShellIcons[] = {
    {"VL_SHELL_FOLDER", ShellIcon::Folder},
    {"VL_SHELL_FOLDER_OPEN", ShellIcon::FolderOpen},
    {"VL_SHELL_FILE", ShellIcon::File},
    {"VL_SHELL_FILE_VIDEO", ShellIcon::FileVideo},
    {"VL_SHELL_FILE_AUDIO", ShellIcon::FileAudio},
    {"VL_SHELL_FILE_IMAGE", ShellIcon::FileImage},
    {"VL_SHELL_FILE_TEXT", ShellIcon::FileText},
    {"VL_SHELL_FILE_PROGRAM", ShellIcon::FileProgram},
    {"VL_SHELL_DRIVE_FIXED", ShellIcon::DriveFixed},
    {"VL_SHELL_DRIVE_REMOVABLE", ShellIcon::DriveRemovable},
    {"VL_SHELL_DRIVE_CDROM", ShellIcon::DriveCdrom},
    {"VL_SHELL_DRIVE_NETWORK", ShellIcon::DriveNetwork},
    {"VL_SHELL_DRIVE_RAM", ShellIcon::DriveRam},
    {"VL_SHELL_COMPUTER", ShellIcon::Computer},
    {"VL_SHELL_HOME", ShellIcon::Home},
    {"VL_SHELL_DESKTOP", ShellIcon::Desktop},
    {"VL_SHELL_TRASH", ShellIcon::Trash},
};

void AddControlPictures(std::vector<TvlArtPicture>& Out) {
  Out.push_back(GlyphPicture("VL_HTB", SliderThumbStates(9, 17, false)));
  Out.push_back(GlyphPicture("VL_HRL", SliderRulerImage(10, 8, false)));
  Out.push_back(GlyphPicture("VL_VTB", SliderThumbStates(19, 9, true)));
  Out.push_back(GlyphPicture("VL_VRL", SliderRulerImage(8, 10, true)));

  Out.push_back(GlyphPicture("VL_BACK", DrawGlyph(Glyph::Back)));
  Out.push_back(GlyphPicture("VL_UP", DrawGlyph(Glyph::Up)));
  Out.push_back(GlyphPicture("VL_NEWFOLDER", DrawGlyph(Glyph::NewFolder)));
  Out.push_back(GlyphPicture("VL_LVSTYLE", DrawGlyph(Glyph::ViewStyle)));
  Out.push_back(GlyphPicture("VL_STRETCH", DrawGlyph(Glyph::Stretch)));

  Out.push_back(GlyphPicture("VL_FLOPPY", DrawShellIcon(ShellIcon::DriveRemovable, 16)));
  Out.push_back(GlyphPicture("VL_HARD", DrawShellIcon(ShellIcon::DriveFixed, 16)));
  Out.push_back(GlyphPicture("VL_NETWORK", DrawShellIcon(ShellIcon::DriveNetwork, 16)));
  Out.push_back(GlyphPicture("VL_CDROM", DrawShellIcon(ShellIcon::DriveCdrom, 16)));
  Out.push_back(GlyphPicture("VL_RAM", DrawShellIcon(ShellIcon::DriveRam, 16).Cut(TRect{0, 3, 16, 14})));
  Out.push_back(GlyphPicture("VL_OPENFOLDER", FolderRows(DrawShellIcon(ShellIcon::FolderOpen, 16))));
  Out.push_back(GlyphPicture("VL_CLOSEDFOLDER", FolderRows(DrawShellIcon(ShellIcon::Folder, 16))));
  Out.push_back(GlyphPicture("VL_CURRENTFOLDER", FolderRows(CurrentFolder())));
}

void AddIcons(std::vector<TvlArtPicture>& Out) {
  for (auto [name, icon] : {std::pair{"VL_MSG_WARNING", MessageIcon::Warning}, std::pair{"VL_MSG_ERROR", MessageIcon::Error},
                            std::pair{"VL_MSG_INFORMATION", MessageIcon::Information},
                            std::pair{"VL_MSG_QUESTION", MessageIcon::Question}})
    Out.push_back(TvlArtPicture{name, TvlArtPictureKind::Icon, {DrawMessageIcon(icon, 16), DrawMessageIcon(icon, 32)}});
  for (const IconName& i : kShellIcons)
    Out.push_back(
        TvlArtPicture{i.Name, TvlArtPictureKind::Icon, {DrawShellIcon(i.Icon, 16), DrawShellIcon(i.Icon, 32)}});
}

void AddApplicationPictures(std::vector<TvlArtPicture>& Out) {
  for (auto [name, glyph] : {std::pair{"VL_TOOL_ADD", ToolGlyph::Add}, std::pair{"VL_TOOL_REMOVE", ToolGlyph::Remove},
                             std::pair{"VL_TOOL_CLEAR", ToolGlyph::Clear}, std::pair{"VL_TOOL_START", ToolGlyph::Start},
                             std::pair{"VL_TOOL_STOP", ToolGlyph::Stop}, std::pair{"VL_TOOL_PAUSE", ToolGlyph::Pause},
                             std::pair{"VL_TOOL_RESUME", ToolGlyph::Resume},
                             std::pair{"VL_TOOL_OPTIONS", ToolGlyph::Options}})
    AddGlyphAndGreyed(Out, name, DrawToolGlyph(glyph));

  AddGlyphAndGreyed(Out, "VL_LIST_MOVEUP", DrawGlyph(Glyph::MoveUp));
  AddGlyphAndGreyed(Out, "VL_LIST_MOVEDOWN", DrawGlyph(Glyph::MoveDown));
  AddGlyphAndGreyed(Out, "VL_LIST_RENAME", DrawGlyph(Glyph::Rename));
  Out.push_back(TvlArtPicture{"VL_LIST_COVER", TvlArtPictureKind::Picture, {DrawCoverPicture(521, 217)}});

  for (auto [name, glyph] : {std::pair{"VL_PREVIEW_PLAY", Glyph::Play}, std::pair{"VL_PREVIEW_PAUSE", Glyph::Pause},
                             std::pair{"VL_PREVIEW_STOP", Glyph::Stop}, std::pair{"VL_PREVIEW_SOUND", Glyph::Sound},
                             std::pair{"VL_PREVIEW_MUTED", Glyph::Muted},
                             std::pair{"VL_PREVIEW_SNAPSHOT", Glyph::Snapshot},
                             std::pair{"VL_PREVIEW_SETTINGS", Glyph::Settings}})
    Out.push_back(GlyphPicture(name, DrawGlyph(glyph)));
  Out.push_back(TvlArtPicture{"VL_PREVIEW_IDLE", TvlArtPictureKind::Picture, {DrawPreviewIdlePicture()}});

  for (int group : CategoryGroups())
    Out.push_back(GlyphPicture("VL_CATEGORY_" + std::to_string(group), DrawCategoryIcon(group)));
  for (int i = 0; i < 2; ++i) Out.push_back(GlyphPicture("VL_PRESET_" + std::to_string(i), DrawPresetIcon(i)));
}

// ---- resource bytes ----

std::vector<unsigned char> BytesOf(TMemoryStream& S) {
  const auto* p = static_cast<const unsigned char*>(S.Memory());
  return std::vector<unsigned char>(p, p + S.Size());
}

std::vector<unsigned char> BitmapBytes(TBitmap& Bitmap) {
  TMemoryStream s;
  Bitmap.SaveToStream(&s);
  return BytesOf(s);
}

std::vector<unsigned char> GlyphBytes(const TvlArtCanvas& C) {
  TvlArtCanvas blended(C.Width(), C.Height());
  for (int y = 0; y < C.Height(); ++y)
    for (int x = 0; x < C.Width(); ++x) {
      const TvlArgb p = C.Pixel(x, y);
      const int alpha = static_cast<int>(p >> 24);
      if (alpha == 0 || alpha == 255) {
        blended.SetPixel(x, y, p);
        continue;
      }
      blended.SetPixel(x, y, vlWithAlpha(vlMix(kWindow, p | 0xFF000000u, alpha / 255.0), alpha));
    }
  TBitmap bitmap;
  blended.ToBitmap32(&bitmap, kvlGlyphKey);
  return BitmapBytes(bitmap);
}

void Put16(std::vector<unsigned char>& Out, unsigned V) {
  Out.push_back(static_cast<unsigned char>(V));
  Out.push_back(static_cast<unsigned char>(V >> 8));
}
void Put32(std::vector<unsigned char>& Out, unsigned V) {
  Put16(Out, V & 0xFFFF);
  Put16(Out, V >> 16);
}

// An icon file: the directory, then per size a 32-bit bitmap entry (colours bottom-up with
// straight alpha, then the 1-bit mask, set where a pixel is fully transparent).
std::vector<unsigned char> IconBytes(const std::vector<TvlArtCanvas>& Sizes) {
  std::vector<std::vector<unsigned char>> entries;
  for (const TvlArtCanvas& c : Sizes) {
    const int w = c.Width(), h = c.Height();
    const unsigned maskStride = ((w + 31) / 32) * 4;
    std::vector<unsigned char> e;
    Put32(e, 40);
    Put32(e, w);
    Put32(e, 2 * h);
    Put16(e, 1);
    Put16(e, 32);
    for (int i = 0; i < 6; ++i) Put32(e, 0);
    for (int y = h - 1; y >= 0; --y)
      for (int x = 0; x < w; ++x) {
        const TvlArgb p = c.Pixel(x, y);
        const TvlArgb stored = (p >> 24) == 0 ? 0 : p;
        Put32(e, stored);  // B, G, R, A in memory order
      }
    for (int y = h - 1; y >= 0; --y) {
      std::vector<unsigned char> row(maskStride, 0);
      for (int x = 0; x < w; ++x)
        if ((c.Pixel(x, y) >> 24) == 0) row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
      e.insert(e.end(), row.begin(), row.end());
    }
    entries.push_back(std::move(e));
  }
  std::vector<unsigned char> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(entries.size()));
  unsigned offset = 6 + 16 * static_cast<unsigned>(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    out.push_back(static_cast<unsigned char>(Sizes[i].Width() >= 256 ? 0 : Sizes[i].Width()));
    out.push_back(static_cast<unsigned char>(Sizes[i].Height() >= 256 ? 0 : Sizes[i].Height()));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<unsigned>(entries[i].size()));
    Put32(out, offset);
    offset += static_cast<unsigned>(entries[i].size());
  }
  for (const auto& e : entries) out.insert(out.end(), e.begin(), e.end());
  return out;
}

}  // namespace

std::vector<TvlArtPicture> vlDrawBuiltinPictures() {
  std::vector<TvlArtPicture> out;
  AddControlPictures(out);
  AddIcons(out);
  AddApplicationPictures(out);
  return out;
}

const char* vlPictureResourceType(TvlArtPictureKind Kind) {
  return Kind == TvlArtPictureKind::Icon ? RT_GROUP_ICON : RT_BITMAP;
}

std::vector<unsigned char> vlPictureResourceBytes(const TvlArtPicture& Picture) {
  switch (Picture.Kind) {
    case TvlArtPictureKind::Glyph:
      return GlyphBytes(Picture.Images.at(0));
    case TvlArtPictureKind::Picture: {
      TBitmap bitmap;
      Picture.Images.at(0).ToBitmap24(&bitmap, kSurface);
      return BitmapBytes(bitmap);
    }
    case TvlArtPictureKind::Icon:
      return IconBytes(Picture.Images);
  }
  return {};
}
