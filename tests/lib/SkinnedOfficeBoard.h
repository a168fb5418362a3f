#pragma once
// The office pickers as the main window sets them up - the category chooser (tool-button look,
// a narrow list of 50-pixel items from "resizetoolpanel") and the preset chooser (tool-button
// look, a list of 60-pixel items with titles and lines from "listbox") - beside an office list
// with group headers, a disabled item, a selection and its scroll bar. Rendered headless with
// the preset chooser open and compared with expected pictures.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "SkinnedTestForm.h"
#include "lib/controls/vlSkinExCtrlsOffice.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/controls/ImageList.h"

namespace skinned_office_board {

using skinned_test_form::Pump;

constexpr int kWidth = 460, kHeight = 330;

// The category chooser's captions and the image of each (its preset group).
inline const std::vector<std::pair<const char*, int>>& Categories() {
  static const std::vector<std::pair<const char*, int>> categories = {
      {"MPG视频", 13}, {"VOB视频", 20},  {"Flash视频", 11}, {"MP4视频", 10},    {"AVI视频", 15},  {"MKV视频", 16},
      {"WMV视频", 17}, {"电脑视频", 0}, {"经典音频", 1},  {"iPhone视频", 4}, {"智能手机", 24}, {"SWF视频", 14}};
  return categories;
}

inline const std::vector<const char*>& Mp4Presets() {
  static const std::vector<const char*> presets = {"MP4 标准画质 (*.mp4)", "MP4 高清画质 (*.mp4)",
                                                   "MP4 宽屏 16:9 (*.mp4)", "MP4 手机小屏 (*.mp4)",
                                                   "MP4 仅音频 AAC (*.mp4)"};
  return presets;
}

// 25 icons of 32 x 32: a rounded tile in a hue of its own with a white film frame.
inline void FillImages(TImageList* images) {
  images->SetSize(32, 32);
  for (int n = 0; n < 25; ++n) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(32, 32);
    const double hue = n * 0.29;
    const auto channel = [&](double shift) { return static_cast<std::uint32_t>(110 + 90 * std::sin(hue + shift)); };
    const std::uint32_t tile = 0xFF000000u | (channel(0) << 16) | (channel(2.1) << 8) | channel(4.2);
    for (int y = 0; y < 32; ++y) {
      auto* row = static_cast<std::uint32_t*>(b->ScanLine(y));
      for (int x = 0; x < 32; ++x) {
        const double dx = std::max(0.0, std::abs(x - 15.5) - 11), dy = std::max(0.0, std::abs(y - 15.5) - 11);
        const bool inside = dx * dx + dy * dy <= 16.5;
        const bool frame = x >= 8 && x <= 23 && y >= 10 && y <= 21 && (x == 8 || x == 23 || y == 10 || y == 21 ||
                                                                      ((x == 10 || x == 21) && y % 3 == 0));
        row[x] = !inside ? 0xFFFF00FFu : frame ? 0xFFFFFFFFu : tile;
      }
    }
    images->AddMasked(b.get(), clFuchsia);
  }
}

struct Board {
  TvlSkinOfficeComboBox* categories = nullptr;
  TvlSkinOfficeComboBox* presets = nullptr;
  TvlSkinOfficeListBox* list = nullptr;
};

// The two pickers set up as the main window does.
inline void ConfigureCategoryChooser(TvlSkinOfficeComboBox* box, TImageList* images) {
  box->SetToolButtonStyle(true);
  box->SetDropDownCount(4);
  box->SetHeight(51);
  box->SetImages(images);
  box->SetListBoxSkinDataName("resizetoolpanel");
  box->ListBoxWidth = 119;
  box->SetListBoxItemHeight(50);
  for (const auto& [caption, image] : Categories()) {
    TvlSkinOfficeItem* item = box->Items()->Add();
    item->SetCaption(caption);
    item->SetImageIndex(image);
  }
}

inline void ConfigurePresetChooser(TvlSkinOfficeComboBox* box, TImageList* images) {
  box->SetToolButtonStyle(true);
  box->SetDropDownCount(4);
  box->SetHeight(51);
  box->SetImages(images);
  box->SetListBoxSkinDataName("listbox");
  box->SetListBoxItemHeight(60);
  box->SetListBoxShowItemTitles(true);
  box->SetListBoxShowLines(true);
}

// The preset chooser refilled for a category: its captions, the category's image, the title
// "MP4视频".
inline void FillPresets(TvlSkinOfficeComboBox* box, int Image) {
  box->Items()->Clear();
  for (const char* name : Mp4Presets()) {
    TvlSkinOfficeItem* item = box->Items()->Add();
    item->SetTitle("MP4视频");
    item->SetCaption(name);
    item->SetImageIndex(Image);
  }
}

inline void Build(TForm* form, TvlSkinData* skinData, Board& board) {
  auto* back = new TvlSkinPanel(form);
  back->SetParent(form);
  back->SetBounds(0, 0, kWidth, kHeight);
  auto* images = new TImageList(form);
  FillImages(images);

  board.categories = new TvlSkinOfficeComboBox(form);
  board.categories->SetParent(back);
  board.categories->SetBounds(12, 12, 130, 51);
  ConfigureCategoryChooser(board.categories, images);
  board.presets = new TvlSkinOfficeComboBox(form);
  board.presets->SetParent(back);
  board.presets->SetBounds(150, 12, 190, 51);
  ConfigurePresetChooser(board.presets, images);
  FillPresets(board.presets, 10);

  board.list = new TvlSkinOfficeListBox(form);
  board.list->SetParent(back);
  board.list->SetBounds(12, 80, 128, 236);
  board.list->SetImages(images);
  board.list->SetItemHeight(40);
  const char* rows[][3] = {{"H", "视频", ""},          {"", "MP4 标准", "常用"},   {"", "AVI 兼容", ""},
                           {"D", "DVD 刻录", "不可用"}, {"H", "音频", ""},          {"", "MP3 音乐", "音乐"},
                           {"", "AAC 高音质", ""},      {"", "WAV 无损", "无损"}};
  for (const auto& row : rows) {
    TvlSkinOfficeItem* item = board.list->Items()->Add();
    item->SetHeader(row[0][0] == 'H');
    item->SetEnabled(row[0][0] != 'D');
    item->SetCaption(row[1]);
    item->SetTitle(row[2]);
  }
  board.list->Items()->Items(5)->SetImageIndex(1);
  board.list->SetShowLines(true);

  for (auto* c : {static_cast<TvlSkinCustomControl*>(board.categories), static_cast<TvlSkinCustomControl*>(board.presets),
                  static_cast<TvlSkinCustomControl*>(board.list), static_cast<TvlSkinCustomControl*>(back)})
    c->SetSkinData(skinData);
  board.categories->SetItemIndex(3);
  board.presets->SetItemIndex(1);
  board.list->SetItemIndex(2);
}

// Opens the preset chooser and rests the pointer on its third item.
inline void Prepare(THeadlessDisplay* display, Board& board) {
  board.presets->DropDown();
  Pump();
  TvlPopupOfficeListBox* list = board.presets->ListBox();
  display->MouseMove(list->ClientToScreen(TPoint{40, list->Items()->Items(2)->ItemRect.Top + 20}));
  Pump();
}

inline void RenderAndCompare(THeadlessDisplay* display, TvlSkinData* skinData,
                             const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  Board board;
  skinned_test_form::RenderFormAndCompare(
      display, kWidth, kHeight, [&](TForm* form) { Build(form, skinData, board); },
      [&](TForm*) { Prepare(display, board); }, ExpectedFolder, Name);
  display->MouseMove({799, 599});
  Pump();
}

}  // namespace skinned_office_board
