#pragma once
// A board of the skinned buttons, check and radio boxes and sliders in their states, on a
// textured background: rendered headless (skinned and unskinned) and compared with expected
// pictures.

#include <memory>
#include <string>

#include "SkinnedTestForm.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/controls/vlSkinCtrlsSlider.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Clock.h"
#include "platform/windowing/HeadlessDisplay.h"

namespace skinned_buttons_board {

using skinned_test_form::Pump;

constexpr int kWidth = 420, kHeight = 300;

// A 32 x 16 glyph strip of two frames (normal, disabled): a plus sign on the key colour.
inline std::unique_ptr<TBitmap> PlusGlyph() {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(32, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      const int lx = x % 16;
      const bool bar = (lx >= 7 && lx <= 8 && y >= 3 && y <= 12) || (y >= 7 && y <= 8 && lx >= 3 && lx <= 12);
      std::uint32_t c = 0xFFFF00FFu;
      if (bar) c = x < 16 ? 0xFF2E8B57u : 0xFFA8B0BAu;
      static_cast<std::uint32_t*>(b->ScanLine(y))[x] = c;
    }
  return b;
}

struct Board {
  TvlSkinButton* hovered = nullptr;
  TvlSkinButton* focused = nullptr;
};

// Builds the board on Form, every control following SkinData (nullptr: unskinned). The
// background is the bgpanel element, or (BackgroundElement nullptr) a striped paint panel.
inline void Build(TForm* form, TvlSkinData* skinData, const char* backgroundElement, Board& board) {
  TvlSkinPanel* back = skinned_test_form::AddBackground(form, backgroundElement, kWidth, kHeight);
  const auto glyph = PlusGlyph();

  // Push buttons: normal, under the mouse, down, disabled, focused; a glyph button, a disabled
  // glyph button, and one with a freely sized fixed image.
  const char* captions[] = {"确定", "取消", "暂停", "停止", "打开"};
  TvlSkinButton* push[5] = {};
  for (int i = 0; i < 5; ++i) {
    push[i] = new TvlSkinButton(form);
    push[i]->SetParent(back);
    push[i]->SetCaption(captions[i]);
    push[i]->SetBounds(12 + 80 * i, 12, 72, 26);
  }
  board.hovered = push[1];
  push[2]->SetGroupIndex(1);
  push[2]->SetDown(true);
  push[3]->SetEnabled(false);
  board.focused = push[4];
  for (int i = 0; i < 2; ++i) {
    auto* g = new TvlSkinButton(form);
    g->SetParent(back);
    g->SetCaption(i == 0 ? "添加" : "删除");
    g->SetGlyph(glyph.get());
    g->SetNumGlyphs(2);
    g->SetSpacing(4);
    g->SetBounds(12 + 92 * i, 48, 84, 28);
    g->SetEnabled(i == 0);
  }
  auto* free = new TvlSkinButton(form);
  free->SetParent(back);
  // A fixed image stretched to the button (a skin without one stretches its button image).
  if (vlFindControlElement(skinData, "fixedbutton") != -1) free->SetSkinDataName("fixedbutton");
  free->UseSkinSize = false;
  free->SetCaption("自由大小");
  free->SetBounds(196, 48, 84, 28);

  // Speed buttons: normal, down in a group, disabled, flat.
  const char* tools[] = {"文件", "选项", "帮助", "平面"};
  for (int i = 0; i < 4; ++i) {
    auto* s = new TvlSkinSpeedButton(form);
    s->SetParent(back);
    s->SetCaption(tools[i]);
    s->SetBounds(12 + 64 * i, 88, 58, 25);
    if (i == 1) {
      s->SetGroupIndex(3);
      s->SetDown(true);
    }
    if (i == 2) s->SetEnabled(false);
    if (i == 3) s->SetFlat(true);
  }
  auto* glyphTool = new TvlSkinSpeedButton(form);
  glyphTool->SetParent(back);
  glyphTool->SetGlyph(glyph.get());
  glyphTool->SetNumGlyphs(2);
  glyphTool->SetBounds(268, 88, 25, 25);

  // Flat check boxes: checked, unchecked, grayed, disabled; radio boxes of one group.
  const char* checks[] = {"多线程转换", "完成后关机", "覆盖文件", "播放声音"};
  for (int i = 0; i < 4; ++i) {
    auto* c = new TvlSkinCheckRadioBox(form);
    c->SetParent(back);
    c->SetCaption(checks[i]);
    c->SetBounds(12 + 100 * i, 124, 98, 22);
    if (i == 0 || i == 3) c->SetChecked(true);
    if (i == 2) {
      c->SetAllowGrayed(true);
      c->SetState(TCheckBoxState::cbGrayed);
    }
    if (i == 3) c->SetEnabled(false);
  }
  const char* radios[] = {"低", "普通", "高"};
  for (int i = 0; i < 3; ++i) {
    auto* r = new TvlSkinCheckRadioBox(form);
    r->SetParent(back);
    r->SetRadio(true);
    r->SetSkinDataName("radiobox");
    r->GroupIndex = 1;
    r->SetCaption(radios[i]);
    r->SetBounds(12 + 70 * i, 152, 66, 22);
    r->SetChecked(i == 1);
    if (i == 2) r->SetEnabled(false);
  }
  // Non-flat boxes draw the element's whole image.
  for (int i = 0; i < 2; ++i) {
    auto* n = new TvlSkinCheckRadioBox(form);
    n->SetParent(back);
    n->SetFlat(false);
    n->SetCaption(i == 0 ? "预览" : "静音");
    n->SetBounds(230 + 94 * i, 152, 90, 24);
    n->SetChecked(i == 0);
  }

  // Sliders: horizontal with tick points, transparent without them, vertical.
  auto* h = new TvlSkinSlider(form);
  h->SetParent(back);
  h->SetBounds(12, 186, 220, 40);
  h->SetValue(30);
  auto* plain = new TvlSkinSlider(form);
  plain->SetParent(back);
  plain->SetOptions(TvlSliderOptions{TvlSliderOption::soSmooth});
  plain->SetTransparent(true);
  plain->SetBounds(12, 236, 220, 30);
  plain->SetValue(75);
  auto* v = new TvlSkinSlider(form);
  v->SetParent(back);
  v->SetOrientation(TvlSliderOrientation::soVertical);
  v->SetBounds(250, 186, 44, 104);
  v->SetValue(60);

  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* c = form->Components(i);
    if (auto* w = dynamic_cast<TvlSkinControl*>(c)) w->SetSkinData(skinData);
    if (auto* g = dynamic_cast<TvlGraphicSkinControl*>(c)) g->SetSkinData(skinData);
  }
}

// Puts the mouse over the hovered button, the focus on the focused one, and lets the hover
// fades run to their end on Clock.
inline void Prepare(THeadlessDisplay* display, TTestClock& clock, Board& board) {
  board.focused->SetFocus();
  const TPoint at = board.hovered->ClientToScreen(TPoint{20, 10});
  display->MouseMove(at);
  for (int i = 0; i < 8; ++i) {
    clock.Advance(25);
    Pump();
  }
}

inline void RenderAndCompare(THeadlessDisplay* display, TTestClock& clock, TvlSkinData* skinData,
                             const char* backgroundElement, const std::filesystem::path& ExpectedFolder,
                             const std::string& Name) {
  Board board;
  skinned_test_form::RenderFormAndCompare(
      display, kWidth, kHeight, [&](TForm* form) { Build(form, skinData, backgroundElement, board); },
      [&](TForm*) { Prepare(display, clock, board); }, ExpectedFolder, Name);
  display->MouseMove({799, 599});
  Pump();
}

}  // namespace skinned_buttons_board
