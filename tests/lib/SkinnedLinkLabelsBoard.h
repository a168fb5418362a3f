#pragma once
// A board of link labels as the about window places them (centred, glow, underline, the skin's
// font), with the pointer on one of them, a plain one recoloured under the pointer and a
// disabled one. Rendered headless and compared with expected pictures.

#include <filesystem>
#include <string>

#include "SkinnedTestForm.h"
#include "lib/controls/vlSkinExCtrls.h"
#include "platform/windowing/HeadlessDisplay.h"

namespace skinned_link_labels_board {

using skinned_test_form::Pump;

constexpr int kWidth = 300, kHeight = 150;

struct Board {
  TvlSkinLinkLabel* hovered = nullptr;
};

inline TvlSkinLinkLabel* AddLink(TWinControl* parent, const char* caption, TRect bounds) {
  auto* l = new TvlSkinLinkLabel(parent);
  l->SetParent(parent);
  l->SetCaption(caption);
  l->SetAutoSize(false);
  l->SetAlignment(TAlignment::taCenter);
  l->SetBoundsRect(bounds);
  return l;
}

inline void Build(TForm* form, TvlSkinData* skinData, Board& board) {
  auto* back = new TvlSkinPanel(form);
  back->SetParent(form);
  back->SetBounds(0, 0, kWidth, kHeight);
  // The about window's two: the web page (under the pointer) and the mail address.
  auto* web = AddLink(back, "访问主页 www.qirelo.cn", TRect{20, 8, 280, 38});
  auto* mail = AddLink(back, "来信 support@qirelo.cn", TRect{20, 40, 280, 70});
  for (TvlSkinLinkLabel* l : {web, mail}) {
    l->GlowEffect = true;
    l->GlowSize = 6;
    l->DefaultActiveFontColor = clBlue;
  }
  web->URL = "http://www.qirelo.cn";
  mail->URL = "mailto:support@qirelo.cn";
  board.hovered = web;
  // A plain link that changes colour, one without underline and a disabled one.
  auto* plain = AddLink(back, "检查更新", TRect{20, 84, 140, 104});
  plain->SetAlignment(TAlignment::taLeftJustify);
  auto* flat = AddLink(back, "使用说明", TRect{150, 84, 280, 104});
  flat->SetAlignment(TAlignment::taLeftJustify);
  flat->SetUseUnderLine(false);
  auto* off = AddLink(back, "许可协议（不可用）", TRect{20, 116, 280, 136});
  off->SetAlignment(TAlignment::taLeftJustify);
  off->SetEnabled(false);
  back->SetSkinData(skinData);
  for (TvlSkinLinkLabel* l : {web, mail, plain, flat, off}) l->SetSkinData(skinData);
}

inline void RenderAndCompare(THeadlessDisplay* display, TvlSkinData* skinData,
                             const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  Board board;
  skinned_test_form::RenderFormAndCompare(
      display, kWidth, kHeight, [&](TForm* form) { Build(form, skinData, board); },
      [&](TForm*) {
        display->MouseMove(board.hovered->ClientToScreen(TPoint{board.hovered->Width() / 2, 16}));
        Pump();
      },
      ExpectedFolder, Name);
  display->MouseMove({799, 599});
  Pump();
}

}  // namespace skinned_link_labels_board
