#pragma once
// A page of skinned combo boxes as the converter's option choosers use them: a fixed-style
// chooser, a focused one, a disabled one, an edit-style box with typed text, a tool-button box,
// and one open with its list. Rendered headless and compared with expected pictures.

#include <string>

#include "SkinnedTestForm.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "platform/windowing/HeadlessDisplay.h"

namespace skinned_combo_board {

using skinned_test_form::Pump;

constexpr int kWidth = 300, kHeight = 320;

struct Board {
  TvlSkinComboBox* focused = nullptr;
  TvlSkinComboBox* open = nullptr;
};

inline void Build(TForm* form, TvlSkinData* skinData, Board& board) {
  auto* back = new TvlSkinPanel(form);
  back->SetParent(form);
  back->SetBounds(0, 0, kWidth, kHeight);
  const char* labels[] = {"分辨率:", "视频比特率:", "音频比特率:", "输出名称:", "缩放:", "帧率:"};
  const std::vector<std::vector<const char*>> lists = {
      {"原始尺寸", "320x240", "640x480", "720x576", "1280x720", "1920x1080"},
      {"自动", "512 kbps", "768 kbps", "1000 kbps", "1500 kbps", "2000 kbps"},
      {"自动", "64 kbps", "96 kbps", "128 kbps", "192 kbps"},
      {"旅行记录", "旅行记录 第二集", "毕业典礼"},
      {"保持比例", "拉伸", "裁剪"},
      {"原始帧率", "15", "23.976", "25", "29.97", "30", "50", "60", "100", "120"}};
  TvlSkinComboBox* boxes[6] = {};
  for (int i = 0; i < 6; ++i) {
    auto* l = new TvlSkinStdLabel(form);
    l->SetParent(back);
    l->SetCaption(labels[i]);
    l->SetBounds(14, 19 + 34 * i, 80, 18);
    auto* b = new TvlSkinComboBox(form);
    b->SetParent(back);
    b->SetBounds(100, 16 + 34 * i, i == 5 ? 120 : 160, 20);
    for (const char* s : lists[static_cast<std::size_t>(i)]) b->Items()->Add(s);
    boxes[i] = b;
  }
  boxes[0]->SetItemIndex(4);
  boxes[1]->SetItemIndex(3);
  boxes[2]->SetItemIndex(3);
  boxes[2]->SetEnabled(false);
  boxes[3]->SetStyle(TvlSkinCustomComboBoxStyle::vlcbEditStyle);
  boxes[3]->SetText("旅行记录");
  boxes[4]->SetToolButtonStyle(true);
  boxes[4]->SetBounds(100, 150, 160, 24);
  boxes[4]->SetItemIndex(0);
  boxes[5]->SetItemIndex(4);
  boxes[5]->SetDropDownCount(5);
  board.focused = boxes[1];
  board.open = boxes[5];
  for (int i = 0; i < form->ComponentCount(); ++i) {
    if (auto* c = dynamic_cast<TvlSkinControl*>(form->Components(i))) c->SetSkinData(skinData);
  }
}

inline void Prepare(THeadlessDisplay* display, Board& board) {
  board.focused->SetFocus();
  board.open->DropDown();
  Pump();
  TvlPopupListBox* list = board.open->ListBox();
  const TRect r = list->ItemRect(list->TopIndex() + 2);
  display->MouseMove(list->ListBox->ClientToScreen(TPoint{20, (r.Top + r.Bottom) / 2}));
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

}  // namespace skinned_combo_board
