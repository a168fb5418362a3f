#pragma once
// The review sheet of the built-in pictures: every picture read back from the program's
// resources by its name, drawn the way the program draws it (glyphs keyed on their bottom-left
// pixel over the faces of the tool skin, icons blended by alpha), in the places it serves: the
// slider, the file dialogs' tool buttons, drives and folders, message and shell icons, the main
// window's tool bar with its Chinese captions, the job list's buttons and cover, the preview
// panel and the output category picker.

#include <string>
#include <vector>

#include "lib/data/vlDataSkinControls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/core/Resources.h"
#include "tests/skins/SkinSheet.h"

namespace sheet {

// A bitmap resource as a canvas; an 8 x 8 magenta square when it is missing.
inline TvlArtCanvas LoadBitmapResource(const std::string& Name) {
  if (!FindResourceData(Name, RT_BITMAP)) return TvlArtCanvas(8, 8, vlHex(0xFF00FF));
  TBitmap b;
  b.LoadFromResourceName(HInstance(), Name);
  TvlArtCanvas c = TvlArtCanvas::FromBitmap(&b);
  if (b.PixelFormat() != TPixelFormat::pf32bit)
    for (int y = 0; y < c.Height(); ++y)
      for (int x = 0; x < c.Width(); ++x) c.SetPixel(x, y, c.Pixel(x, y) | 0xFF000000u);
  return c;
}

// An icon resource at Size x Size through LoadImage; an empty canvas when it is missing.
inline TvlArtCanvas LoadIconResource(const std::string& Name, int Size) {
  HICON icon = static_cast<HICON>(LoadImage(HInstance(), Name.c_str(), IMAGE_ICON, Size, Size, 0));
  int w = 0, h = 0;
  std::vector<std::uint8_t> bgra;
  if (!icon || !GetIconPixels(icon, w, h, bgra)) return TvlArtCanvas();
  DestroyIcon(icon);
  TvlArtCanvas c(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = bgra.data() + (static_cast<std::size_t>(y) * w + x) * 4;
      c.SetPixel(x, y, vlRgb(p[2], p[1], p[0], p[3]));
    }
  return c;
}

// A glyph drawn as button glyphs are: every pixel but those of the bottom-left pixel's colour,
// opaque.
inline void PutGlyph(Sheet& S, const TvlArtCanvas& G, int X, int Y) {
  const TvlArgb key = G.Pixel(0, G.Height() - 1) & 0xFFFFFF;
  for (int y = 0; y < G.Height(); ++y)
    for (int x = 0; x < G.Width(); ++x)
      if ((G.Pixel(x, y) & 0xFFFFFF) != key) S.Page().SetPixel(X + x, Y + y, G.Pixel(x, y) | 0xFF000000u);
}

// A small label under a cell.
inline void Label(Sheet& S, int X, int Y, int W, const std::string& Text) {
  const TvlArtFont f{"Arial", 9, false};
  S.Page().Text(X + (W - TvlArtCanvas::TextWidth(Text, f)) / 2, Y, Text, f, vlHex(0x6B7480));
}

inline TvlDataSkinButtonControl* ButtonElement(TvlSkinData& D, const std::string& Name) {
  const int i = D.GetControlIndex(Name);
  return i < 0 ? nullptr : dynamic_cast<TvlDataSkinButtonControl*>(D.CtrlList[i].get());
}

// A button face of the element in state 0 normal, 1 hover, 2 pressed, 3 disabled, W x H.
inline void PutFace(Sheet& S, TvlDataSkinButtonControl* E, int State, int X, int Y, int W, int H) {
  if (!E) return;
  const TRect states[] = {E->SkinRect, E->ActiveSkinRect, E->DownSkinRect, E->DisabledSkinRect};
  S.Put(S.Nine(*E, states[State], W, H), X, Y);
}

// The slider's own ruler laid to Length the way the slider lays it: the first I - E pixels,
// the middle part repeated, the last pixels with the end.
inline TvlArtCanvas TileRuler(const TvlArtCanvas& Ruler, int Length, int Edge, bool Vertical) {
  const int image = Vertical ? Ruler.Height() : Ruler.Width();
  const int breadth = Vertical ? Ruler.Width() : Ruler.Height();
  TvlArtCanvas out(Vertical ? breadth : Length, Vertical ? Length : breadth);
  auto piece = [&](int From, int Count, int At) {
    const TRect src = Vertical ? TRect{0, From, breadth, From + Count} : TRect{From, 0, From + Count, breadth};
    out.Put(Ruler.Cut(src), Vertical ? 0 : At, Vertical ? At : 0);
  };
  const int t = image - 2 * Edge, n = (Length - 2 * Edge) / t, r = (Length - 2 * Edge) % t;
  piece(0, image - Edge, 0);
  for (int i = 1; i < n; ++i) piece(Edge, t, Edge + i * t);
  if (n >= 1) piece(image - Edge - r, r + Edge, Edge + n * t);
  return out;
}

inline void DrawSliderRow(Sheet& S) {
  const int x = S.Row("slider images", 70);
  S.Page().FillRect(x, S.Y(), x + 400, S.Y() + 70, kWindow);
  const TvlArtCanvas hr = LoadBitmapResource("VL_HRL"), ht = LoadBitmapResource("VL_HTB");
  PutGlyph(S, TileRuler(hr, 200, 2, false), x + 10, S.Y() + 10 + (ht.Height() - hr.Height()) / 2);
  for (int state = 0; state < 2; ++state)
    PutGlyph(S, ht.Cut(TRect{state * ht.Width() / 2, 0, (state + 1) * ht.Width() / 2, ht.Height()}),
             x + 60 + state * 80, S.Y() + 10);
  const TvlArtCanvas vr = LoadBitmapResource("VL_VRL"), vt = LoadBitmapResource("VL_VTB");
  for (int state = 0; state < 2; ++state) {
    const int vx = x + 250 + state * 60;
    PutGlyph(S, TileRuler(vr, 60, 2, true), vx + (vt.Width() / 2 - vr.Width()) / 2, S.Y() + 5);
    PutGlyph(S, vt.Cut(TRect{state * vt.Width() / 2, 0, (state + 1) * vt.Width() / 2, vt.Height()}), vx,
             S.Y() + 20 + state * 15);
  }
}

inline void DrawDialogGlyphs(Sheet& S, TvlSkinData& D) {
  TvlDataSkinButtonControl* tool = ButtonElement(D, "toolbutton");
  const int x0 = S.Row("file dialog buttons", 40);
  int x = x0;
  for (const char* name : {"VL_BACK", "VL_UP", "VL_NEWFOLDER", "VL_LVSTYLE", "VL_STRETCH"}) {
    const TvlArtCanvas g = LoadBitmapResource(name);
    for (int state = 0; state < 3; ++state) {
      PutFace(S, tool, state, x + state * 29, S.Y(), 27, 25);
      PutGlyph(S, g, x + state * 29 + 5, S.Y() + 4);
    }
    Label(S, x, S.Y() + 28, 85, name);
    x += 96;
  }
}

inline void DrawDriveAndFolderGlyphs(Sheet& S) {
  const int x0 = S.Row("drives and folders", 40);
  S.Page().FillRect(x0, S.Y(), x0 + 664, S.Y() + 40, kSurface);
  int x = x0 + 8;
  for (const char* name : {"VL_FLOPPY", "VL_HARD", "VL_NETWORK", "VL_CDROM", "VL_RAM", "VL_OPENFOLDER", "VL_CLOSEDFOLDER",
                           "VL_CURRENTFOLDER"}) {
    const TvlArtCanvas g = LoadBitmapResource(name);
    PutGlyph(S, g, x + 32, S.Y() + 6 + (16 - g.Height()) / 2);
    Label(S, x, S.Y() + 26, 80, std::string(name).substr(3));
    x += 82;
  }
}

inline void DrawIconRow(Sheet& S, const std::string& Title, const std::vector<std::string>& Names, int Size,
                        TvlArgb Back) {
  const int cell = std::max(38, Size + 8);
  const int x0 = S.Row(Title, Size + 8);
  S.Page().FillRect(x0, S.Y(), x0 + static_cast<int>(Names.size()) * cell + 8, S.Y() + Size + 8, Back);
  int x = x0 + 8;
  for (const std::string& name : Names) {
    S.Page().Draw(LoadIconResource(name, Size), x + (cell - 8 - Size) / 2, S.Y() + 4);
    x += cell;
  }
}

inline std::vector<std::string> ShellIconNames() {
  return {"VL_SHELL_FOLDER",        "VL_SHELL_FOLDER_OPEN",     "VL_SHELL_FILE",        "VL_SHELL_FILE_VIDEO",
          "VL_SHELL_FILE_AUDIO",    "VL_SHELL_FILE_IMAGE",      "VL_SHELL_FILE_TEXT",   "VL_SHELL_FILE_PROGRAM",
          "VL_SHELL_DRIVE_FIXED",   "VL_SHELL_DRIVE_REMOVABLE", "VL_SHELL_DRIVE_CDROM", "VL_SHELL_DRIVE_NETWORK",
          "VL_SHELL_DRIVE_RAM",     "VL_SHELL_COMPUTER",        "VL_SHELL_HOME",        "VL_SHELL_DESKTOP",
          "VL_SHELL_TRASH"};
}

inline void DrawIcons(Sheet& S) {
  const std::vector<std::string> messages{"VL_MSG_INFORMATION", "VL_MSG_QUESTION", "VL_MSG_WARNING", "VL_MSG_ERROR"};
  DrawIconRow(S, "message icons 32", messages, 32, kWindow);
  DrawIconRow(S, "message icons 16", messages, 16, kWindow);
  std::vector<std::string> names = ShellIconNames();
  const std::vector<std::string> first(names.begin(), names.begin() + 9), rest(names.begin() + 9, names.end());
  DrawIconRow(S, "shell icons 32", first, 32, kSurface);
  DrawIconRow(S, "", rest, 32, kSurface);
  DrawIconRow(S, "shell icons 16", names, 16, kSurface);
  DrawIconRow(S, "16 on a selection", names, 16, kSelection);
}

// The main window's tool bar: every button at rest, then the start button's states.
inline void DrawToolBar(Sheet& S, TvlSkinData& D) {
  TvlDataSkinButtonControl* big = ButtonElement(D, "bigtoolbutton");
  struct Tool {
    const char* Name;
    const char* Caption;
  };
  const Tool tools[] = {{"VL_TOOL_ADD", "添加"},   {"VL_TOOL_REMOVE", "删除"}, {"VL_TOOL_CLEAR", "清空"},
                        {"VL_TOOL_START", "开始"}, {"VL_TOOL_STOP", "停止"},   {"VL_TOOL_PAUSE", "暂停"},
                        {"VL_TOOL_RESUME", "继续"}, {"VL_TOOL_OPTIONS", "选项"}};
  constexpr int bw = 60, bh = 56;
  auto button = [&](int X, int Y, const Tool& T, int State) {
    PutFace(S, big, State, X, Y, bw, bh);
    const std::string glyph = State == 3 ? std::string(T.Name) + "_OFF" : T.Name;
    PutGlyph(S, LoadBitmapResource(glyph), X + (bw - 32) / 2, Y + 4);
    const TColor colours[] = {big->FontColor, big->ActiveFontColor, big->DownFontColor, big->DisabledFontColor};
    S.Caption(TRect{X, Y + 36, X + bw, Y + bh - 2}, T.Caption, big->FontName, big->FontHeight, colours[State]);
  };
  for (int row = 0; row < 2; ++row) {
    const int x0 = S.Row(row == 0 ? "tool bar" : "greyed, hover, pressed", 59);
    S.Page().FillRect(x0, S.Y(), x0 + 8 * (bw + 4) + 4, S.Y() + 59, kBar);
    S.Page().HLine(x0, x0 + 8 * (bw + 4) + 4, S.Y() + 58, kLine);
    for (int i = 0; i < 8; ++i) {
      // The second row shows every greyed picture, and the hover and pressed faces under two.
      const int state = row == 0 ? 0 : (i == 3 ? 1 : (i == 4 ? 2 : 3));
      button(x0 + 4 + i * (bw + 4), S.Y() + 1, tools[i], state);
    }
  }
}

inline void DrawListPictures(Sheet& S, TvlSkinData& D) {
  TvlDataSkinButtonControl* button = ButtonElement(D, "button");
  const int x0 = S.Row("job list buttons", 40);
  int x = x0;
  for (const char* name : {"VL_LIST_MOVEUP", "VL_LIST_MOVEDOWN", "VL_LIST_RENAME", "VL_LIST_RENAME_OFF"}) {
    PutFace(S, button, std::string(name).ends_with("_OFF") ? 3 : 0, x + 24, S.Y(), 26, 24);
    PutGlyph(S, LoadBitmapResource(name), x + 29, S.Y() + 4);
    Label(S, x, S.Y() + 28, 74, std::string(name).substr(8));
    x += 84;
  }
  const TvlArtCanvas cover = LoadBitmapResource("VL_LIST_COVER");
  const int cx = S.Row("job list cover", cover.Height() + 2);
  S.Page().FillRect(cx, S.Y(), cx + cover.Width() + 2, S.Y() + cover.Height() + 2, kBorder);
  S.Put(cover, cx + 1, S.Y() + 1);
}

inline void DrawPreviewPanel(Sheet& S, TvlSkinData& D) {
  TvlDataSkinButtonControl* button = ButtonElement(D, "button");
  const int x0 = S.Row("preview panel", 190);
  S.Page().FillRect(x0, S.Y(), x0 + 260, S.Y() + 190, kSurface);
  S.Page().FillRect(x0 + 10, S.Y() + 8, x0 + 210, S.Y() + 132, vlHex(0x000000));
  const TvlArtCanvas idle = LoadBitmapResource("VL_PREVIEW_IDLE");
  S.Put(idle, x0 + 110 - idle.Width() / 2, S.Y() + 70 - idle.Height() / 2);
  int x = x0 + 10;
  for (const char* name : {"VL_PREVIEW_PLAY", "VL_PREVIEW_PAUSE", "VL_PREVIEW_STOP", "VL_PREVIEW_SOUND",
                           "VL_PREVIEW_SNAPSHOT", "VL_PREVIEW_SETTINGS"}) {
    PutFace(S, button, 0, x, S.Y() + 150, 30, 30);
    PutGlyph(S, LoadBitmapResource(name), x + 7, S.Y() + 157);
    x += 34;
  }
  // Beside the panel: the unmute button and a button in its hover and pressed states.
  x = x0 + 280;
  for (auto [name, state] : {std::pair{"VL_PREVIEW_MUTED", 0}, std::pair{"VL_PREVIEW_PLAY", 1},
                             std::pair{"VL_PREVIEW_PLAY", 2}}) {
    PutFace(S, button, state, x, S.Y() + 150, 30, 30);
    PutGlyph(S, LoadBitmapResource(name), x + 7, S.Y() + 157);
    x += 40;
  }
}

inline void DrawCategories(Sheet& S) {
  struct Category {
    int Group;
    const char* Caption;
  };
  const Category categories[] = {{13, "MPG视频"}, {20, "VOB视频"},    {11, "Flash视频"}, {10, "MP4视频"},
                                 {15, "AVI视频"}, {16, "MKV视频"},    {17, "WMV视频"},   {0, "电脑视频"},
                                 {1, "经典音频"}, {4, "iPhone视频"}, {24, "智能手机"},  {14, "SWF视频"}};
  for (int row = 0; row < 2; ++row) {
    const int x0 = S.Row(row == 0 ? "output categories" : "", 56);
    S.Page().FillRect(x0, S.Y(), x0 + 6 * 104 + 8, S.Y() + 56, kSurface);
    for (int i = 0; i < 6; ++i) {
      const Category& c = categories[row * 6 + i];
      const int x = x0 + 8 + i * 104;
      PutGlyph(S, LoadBitmapResource("VL_CATEGORY_" + std::to_string(c.Group)), x + 34, S.Y() + 4);
      S.Caption(TRect{x, S.Y() + 38, x + 100, S.Y() + 54}, c.Caption, kFontName, kFontHeight, vlToTColor(kText));
    }
  }
  const int x0 = S.Row("preset list", 44);
  S.Page().FillRect(x0, S.Y(), x0 + 480, S.Y() + 44, kSurface);
  int y = S.Y() + 6;
  int x = x0 + 8;
  for (auto [index, caption] : {std::pair{0, "MPG标准视频(*.mpg)"}, std::pair{1, "MPEG-1标准视频(*.mpg)"}}) {
    PutGlyph(S, LoadBitmapResource("VL_PRESET_" + std::to_string(index)), x, y);
    S.CaptionLeft(x + 40, TRect{x, y, x + 200, y + 32}, caption, kFontName, kFontHeight, vlToTColor(kText));
    x += 236;
  }
}

// Tools: the loaded tool skin, whose faces the glyphs are shown on.
inline TvlArtCanvas RenderPictureSheet(TvlSkinData& Tools) {
  Sheet s(Tools, 820);
  DrawSliderRow(s);
  DrawDialogGlyphs(s, Tools);
  DrawDriveAndFolderGlyphs(s);
  DrawIcons(s);
  DrawToolBar(s, Tools);
  DrawListPictures(s, Tools);
  DrawPreviewPanel(s, Tools);
  DrawCategories(s);
  return s.Finish();
}

}  // namespace sheet
