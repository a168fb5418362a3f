#pragma once
// A board of skinned edits in their states, laid out like a settings page of the converter: the
// read-only output folder, a focused edit, an edit with image buttons, an edit with its button
// hot under the mouse, a disabled right-aligned edit and one that draws a stretched frame with
// its own font. Rendered headless (skinned and unskinned) and compared with expected pictures.

#include <cmath>
#include <memory>
#include <string>

#include "SkinnedTestForm.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/controls/ImageList.h"
#include "platform/core/SysUtils.h"
#include "platform/windowing/WindowTree.h"

namespace skinned_edits_board {

using skinned_test_form::Pump;

constexpr int kWidth = 420, kHeight = 214;

// A 16 x 16 glyph on the key colour drawn by Inside(x, y).
template <typename F>
std::unique_ptr<TBitmap> Glyph(std::uint32_t Colour, F Inside) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) static_cast<std::uint32_t*>(b->ScanLine(y))[x] = Inside(x, y) ? Colour : 0xFFFF00FFu;
  return b;
}

// Two images: a magnifier and a cross.
inline void FillImages(TImageList* images) {
  images->SetSize(16, 16);
  auto magnifier = Glyph(0xFF5A6E8Cu, [](int x, int y) {
    const double d = std::hypot(x - 6.5, y - 6.5);
    return (d >= 3.2 && d <= 4.8) || (x >= 10 && x <= 13 && y >= 10 && y <= 13 && std::abs(x - y) <= 1);
  });
  auto cross = Glyph(0xFF8C96A5u, [](int x, int y) {
    return x >= 4 && x <= 11 && y >= 4 && y <= 11 && (std::abs(x - y) <= 0 || std::abs(x + y - 15) <= 0);
  });
  images->AddMasked(magnifier.get(), clFuchsia);
  images->AddMasked(cross.get(), clFuchsia);
}

struct Board {
  TvlSkinEdit* focused = nullptr;
  TvlSkinEdit* buttonEdit = nullptr;
};

// Builds the board on Form, every edit following SkinData (nullptr: unskinned).
inline void Build(TForm* form, TvlSkinData* skinData, Board& board) {
  auto* back = new TvlSkinPanel(form);
  back->SetParent(form);
  back->SetBounds(0, 0, kWidth, kHeight);
  auto* images = new TImageList(form);
  FillImages(images);

  const char* labels[] = {"输出文件夹:", "文件名:", "搜索:", "保存到:", "比特率:", "备注:"};
  TvlSkinEdit* edits[6] = {};
  for (int i = 0; i < 6; ++i) {
    auto* l = new TvlSkinStdLabel(form);
    l->SetParent(back);
    l->SetCaption(labels[i]);
    l->SetBounds(14, 19 + 32 * i, 80, 18);
    auto* e = new TvlSkinEdit(form);
    e->SetParent(back);
    e->SetBounds(100, 16 + 32 * i, 300, 20);
    edits[i] = e;
  }
  // The main window's output folder: read-only, the skin's font, 18 high before the skin.
  edits[0]->SetHeight(18);
  edits[0]->SetReadOnly(true);
  edits[0]->SetText("/home/影音/视频/转换输出");
  edits[1]->SetText("旅行记录 第一集");
  board.focused = edits[1];
  edits[2]->SetImages(images);
  edits[2]->SetLeftImageIndex(0);
  edits[2]->SetRightImageIndex(1);
  edits[2]->SetText("高清 电影");
  edits[3]->SetSkinDataName("buttonedit");
  edits[3]->SetButtonMode(true);
  edits[3]->SetText("/home/影音/桌面");
  board.buttonEdit = edits[3];
  edits[4]->SetAlignment(TAlignment::taRightJustify);
  edits[4]->SetText("1200 kbps");
  edits[4]->SetEnabled(false);
  // Its own font on a stretched frame.
  auto font = std::make_unique<TFont>();
  font->SetName("Arial");
  font->SetHeight(16);
  font->SetColor(static_cast<TColor>(0x00503C28));
  edits[5]->SetUseSkinFont(false);
  edits[5]->SetDefaultFont(font.get());
  edits[5]->SetText("保留原始字幕与音轨");

  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* c = form->Components(i);
    if (auto* w = dynamic_cast<TvlSkinControl*>(c)) w->SetSkinData(skinData);
    if (auto* l = dynamic_cast<TvlSkinStdLabel*>(c)) l->SetSkinData(skinData);
    if (auto* e = dynamic_cast<TvlSkinCustomEdit*>(c)) e->SetSkinData(skinData);
  }
}

// The focus in the file name (the caret after its text), the pointer on the button of the
// button edit.
inline void Prepare(THeadlessDisplay* display, Board& board) {
  board.focused->SetFocus();
  board.focused->SetSelStart(Utf8CharCount(board.focused->Text()));
  Pump();
  TRect window{};
  GetWindowRect(board.buttonEdit->Handle(), &window);
  const TRect b = board.buttonEdit->ButtonRect();
  display->MouseMove(TPoint{window.Left + (b.Left + b.Right) / 2, window.Top + (b.Top + b.Bottom) / 2});
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

}  // namespace skinned_edits_board
