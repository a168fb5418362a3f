#include "skins/vlArtAppPictures.h"

#include <cmath>

#include "skins/vlArtGrid.h"
#include "skins/vlArtIcons.h"
#include "skins/vlSkinArtKit.h"

namespace vlart {

namespace {

enum class Mark { Play, Disc, Monitor, Notes, Phone, SmartPhone };

struct Category {
  int Group;
  TvlArgb Hue;
  const char* Label;  // empty: the mark fills the tile
  Mark Sign;
};

// In the category list's order.
const Category kCategories[] = {
    {13, kAccent, "MPG", Mark::Play},   {20, kIndigo, "VOB", Mark::Disc},  {11, kDanger, "FLV", Mark::Play},
    {10, kTeal, "MP4", Mark::Play},     {15, kOrange, "AVI", Mark::Play},  {16, kPurple, "MKV", Mark::Play},
    {17, kSky, "WMV", Mark::Play},      {0, kInk, "", Mark::Monitor},      {1, kRose, "", Mark::Notes},
    {4, kGraphite, "", Mark::Phone},    {24, kSuccess, "", Mark::SmartPhone}, {14, kDanger, "SWF", Mark::Play},
};

const Tone kWhiteBody{kWhite, kWhite, kWhite};

void DrawPhone(GridPen& P, TvlArgb Hue, bool Apps) {
  P.Box(5, 2, 11, 14, 1.4, kWhiteBody);
  P.Box(6, 3.5, 10, 12, 0.3, Tone{vlMix(Hue, kWhite, 0.15), Hue, Hue});
  if (!Apps) {
    P.Flat({{7.3, 6.3}, {9.2, 7.7}, {7.3, 9.1}}, kWhite);
    return;
  }
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 2; ++col) P.Box(6.6 + col * 1.7, 4.3 + row * 2.5, 7.7 + col * 1.7, 5.4 + row * 2.5, 0.2, kWhiteBody);
}

void DrawMark(GridPen& P, const Category& C) {
  switch (C.Sign) {
    case Mark::Play:
      P.Flat({{7, 3.5}, {10, 5.5}, {7, 7.5}}, kWhite);
      break;
    case Mark::Disc:
      P.Dot(8, 5.5, 2.6, kWhite);
      P.Dot(8, 5.5, 0.8, C.Hue);
      break;
    case Mark::Monitor:
      P.Flat({{7, 10.5}, {9, 10.5}, {9.5, 12}, {6.5, 12}}, kWhite);
      P.Box(5, 12, 11, 13, 0.4, kWhiteBody);
      P.Box(3, 3.5, 13, 10.5, 0.6, kWhiteBody);
      P.Box(4, 4.5, 12, 9.5, 0, Tone{vlMix(C.Hue, kWhite, 0.15), C.Hue, C.Hue});
      P.Flat({{7.2, 5.6}, {9.4, 7}, {7.2, 8.4}}, kWhite);
      break;
    case Mark::Notes:
      P.Dot(5.6, 11.3, 1.8, kWhite);
      P.Dot(10.6, 10.1, 1.8, kWhite);
      P.Stroke({{7.1, 11.3}, {7.1, 4.6}, {12.1, 3.4}, {12.1, 10.1}}, 1.5, kWhite);
      P.Stroke({{7.1, 6.4}, {12.1, 5.2}}, 1.5, kWhite);
      break;
    case Mark::Phone:
      DrawPhone(P, C.Hue, false);
      break;
    case Mark::SmartPhone:
      DrawPhone(P, C.Hue, true);
      break;
  }
}

}  // namespace

const std::vector<int>& CategoryGroups() {
  static const std::vector<int> groups = [] {
    std::vector<int> g;
    for (const Category& c : kCategories) g.push_back(c.Group);
    return g;
  }();
  return groups;
}

TvlArtCanvas DrawCategoryIcon(int PresetGroup) {
  for (const Category& c : kCategories) {
    if (c.Group != PresetGroup) continue;
    TvlArtCanvas canvas(32, 32);
    GridPen p(canvas, 2.0);
    p.Box(1, 1, 15, 15, 2, Lit(c.Hue));
    DrawMark(p, c);
    if (*c.Label) canvas.TextCentered(TRect{2, 15, 30, 28}, c.Label, TvlArtFont{"Arial", 9, true}, kWhite);
    return canvas;
  }
  return TvlArtCanvas();
}

TvlArtCanvas DrawPresetIcon(int Index) {
  TvlArtCanvas canvas(32, 32);
  GridPen p(canvas, 2.0);
  DrawVideoSheet(p, Index % 2 == 0 ? kAccent : kTeal);
  return canvas;
}

TvlArtCanvas DrawCoverPicture(int W, int H) {
  TvlArtCanvas c(W, H, kSurface);
  const int cx = W / 2, cy = H / 2 - 30;
  c.FillEllipse(cx, cy, 38, 38, vlMix(kSelectionSoft, kSurface, 0.35));
  TvlArtCanvas sheet(48, 48);
  GridPen p(sheet, 3.0);
  DrawVideoSheet(p, kAccent);
  DrawBadge(p, 12, 12, 3.4, kSuccess, BadgeSign::Plus);
  c.Draw(sheet, cx - 24, cy - 24);
  const TvlArtFont title{kFontName, 15, true}, note{kFontName, 12, false};
  const int titleY = cy + 50;
  c.TextCentered(TRect{0, titleY, W, titleY + TvlArtCanvas::TextHeight(title)}, "列表中还没有文件", title, kText);
  const int noteY = titleY + TvlArtCanvas::TextHeight(title) + 6;
  c.TextCentered(TRect{0, noteY, W, noteY + TvlArtCanvas::TextHeight(note)},
                 "点击工具栏上的“添加”，选择要转换的视频或音频文件", note, kTextSoft);
  return c;
}

TvlArtCanvas DrawPreviewIdlePicture() {
  constexpr int W = 120, H = 72;
  TvlArtCanvas c(W, H, vlHex(0x000000));
  const TvlArgb line = vlHex(0x454D58), text = vlHex(0x78818D);
  c.StrokeRound(42, 8, 78, 34, kRadius, line);
  for (int x = 46; x < 76; x += 6) {
    c.FillRect(x, 11, x + 3, 13, line);
    c.FillRect(x, 29, x + 3, 31, line);
  }
  c.Polygon({{56.5, 16.5}, {64.5, 21}, {56.5, 25.5}}, line);
  c.TextCentered(TRect{0, 42, W, 62}, "暂无预览", TvlArtFont{kFontName, 12, false}, text);
  return c;
}

}  // namespace vlart
