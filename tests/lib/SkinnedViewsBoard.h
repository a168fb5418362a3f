#pragma once
// A board of the skinned bars and views: a scrolling tool bar, a report list view with its
// header and both external bars, a tree view with its bar, a paged scroll bar under the mouse
// and a status bar with its grip; rendered headless and compared with expected pictures.

#include <string>

#include "SkinnedButtonsBoard.h"
#include "SkinnedTestForm.h"
#include "lib/controls/vlSkinCtrlsBars.h"
#include "lib/controls/vlSkinCtrlsViews.h"

namespace skinned_views_board {

using skinned_test_form::Pump;

struct Board {
  TvlSkinScrollBar* hovered = nullptr;
  TvlSkinCustomListView* list = nullptr;
};

inline void Build(TForm* form, TvlSkinData* skinData, Board& board) {
  TvlSkinPanel* back = skinned_test_form::AddBackground(form, nullptr, 420, 300);
  const auto glyph = skinned_buttons_board::PlusGlyph();

  auto* tools = new TvlSkinToolBar(form);
  tools->SetParent(back);
  tools->CanScroll = true;
  tools->SetScrollOffset(30);
  tools->SetBounds(12, 10, 300, 30);
  const char* captions[] = {"添加", "删除", "开始", "暂停", "选项", "帮助"};
  for (int i = 0; i < 6; ++i) {
    auto* b = new TvlSkinSpeedButton(form);
    b->SetParent(tools);
    b->SetCaption(captions[i]);
    if (i < 2) {
      b->SetGlyph(glyph.get());
      b->SetNumGlyphs(2);
      b->SetSpacing(3);
    }
    b->SetBounds(4 + 62 * i, 2, 60, 25);
  }

  auto* list = new TvlSkinListView(form);
  list->SetParent(back);
  list->SetViewStyle(TViewStyle::vsReport);
  list->SetBounds(12, 52, 250, 150);
  const char* columns[] = {"文件名", "进度", "大小"};
  for (int i = 0; i < 3; ++i) {
    TListColumn* c = list->Columns()->Add();
    c->SetCaption(columns[i]);
    c->SetWidth(i == 0 ? 130 : 90);
  }
  list->BeginUpdate();
  for (int i = 0; i < 40; ++i) {
    TListItem* item = list->Items()->Add();
    item->SetCaption("视频片段 " + std::to_string(i + 1) + ".avi");
    item->SubItems()->Add(std::to_string((i * 37) % 101) + "%");
    item->SubItems()->Add(std::to_string(12 + i) + " MB");
  }
  list->EndUpdate();
  auto* lv = new TvlSkinScrollBar(form);
  lv->SetParent(back);
  lv->SetKind(TScrollBarKind::sbVertical);
  lv->SetSkinDataName("vscrollbar");
  lv->SetBounds(262, 52, 15, 150);
  auto* lh = new TvlSkinScrollBar(form);
  lh->SetParent(back);
  lh->SetBounds(12, 202, 265, 15);
  list->SetVScrollBar(lv);
  list->SetHScrollBar(lh);
  board.list = list;

  auto* tree = new TvlSkinCustomTreeView(form);
  tree->SetParent(back);
  tree->SetBounds(290, 52, 103, 165);
  const char* folders[] = {"我的视频", "手机", "电脑", "光盘"};
  for (const char* f : folders) {
    TTreeNode* n = tree->Items()->Add(nullptr, f);
    for (int k = 0; k < 4; ++k) tree->Items()->AddChild(n, std::string(f) + " " + std::to_string(k + 1));
  }
  tree->FullExpand();
  auto* tv = new TvlSkinScrollBar(form);
  tv->SetParent(back);
  tv->SetKind(TScrollBarKind::sbVertical);
  tv->SetSkinDataName("vscrollbar");
  tv->SetBounds(393, 52, 15, 165);
  tree->SetVScrollBar(tv);

  auto* paged = new TvlSkinScrollBar(form);
  paged->SetParent(back);
  paged->SetBounds(12, 232, 265, 15);
  paged->SetRange(0, 99, 30, 25);
  board.hovered = paged;

  auto* status = new TvlSkinStatusBar(form);
  status->SetParent(back);
  status->SetSizeGrip(true);
  status->SetCaption("");

  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* c = form->Components(i);
    if (auto* w = dynamic_cast<TvlSkinControl*>(c)) w->SetSkinData(skinData);
    if (auto* g = dynamic_cast<TvlGraphicSkinControl*>(c)) g->SetSkinData(skinData);
  }
  list->SetSkinData(skinData);
  tree->SetSkinData(skinData);
}

// Scrolls the tool bar a step, the list a little, and rests the mouse on the paged bar's thumb.
inline void Prepare(THeadlessDisplay* display, Board& board, TForm* form) {
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* bar = dynamic_cast<TvlSkinToolBar*>(form->Components(i))) {
      bar->UpdateScrollInfo();
      bar->ScrollStep(true);
    }
  board.list->Scroll(0, board.list->RowHeight() * 3);
  board.list->SyncScrollBars();
  const TRect thumb = board.hovered->PartRect(TvlSkinScrollBar::kThumb);
  display->MouseMove(board.hovered->ClientToScreen(TPoint{(thumb.Left + thumb.Right) / 2, 7}));
  Pump();
}

inline void RenderAndCompare(THeadlessDisplay* display, TvlSkinData* skinData,
                             const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  Board board;
  skinned_test_form::RenderFormAndCompare(
      display, 420, 300, [&](TForm* form) { Build(form, skinData, board); },
      [&](TForm* form) { Prepare(display, board, form); }, ExpectedFolder, Name);
  display->MouseMove({799, 599});
  Pump();
}

}  // namespace skinned_views_board
