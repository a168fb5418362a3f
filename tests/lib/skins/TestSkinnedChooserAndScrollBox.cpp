// The skin chooser and the scroll box drawn from the program's own skin 1, each compared with
// its expected picture: the chooser listing the program's two skins with the first previewed,
// and a board of two scroll boxes (a picture pane scrolled inside a framed panel with its bars,
// and a framed box of option rows).

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lib/vlCompressedSkin.h"
#include "lib/vlDialogs.h"
#include "lib/vlResourceStrData.h"
#include "lib/vlSkinBoxCtrls.h"
#include "lib/vlSkinCtrls.h"
#include "lib/vlSkinCtrlsCheckRadio.h"
#include "lib/vlSkinData.h"
#include "platform/ExtCtrls.h"
#include "platform/Picture.h"
#include "platform/Forms.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedTestForm.h"

namespace {

class SkinOneDialogsTest : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    vlLoadFixtureSkin(&mainSkin, TvlSkinArtKind::Main);
    ASSERT_FALSE(mainSkin.Empty);
  }

  TvlSkinData mainSkin{nullptr};
};

TEST_F(SkinOneDialogsTest, SkinChooserMatchesItsExpectedPicture) {
  TvlResourceStrData table(nullptr);
  TStringList lines;
  for (const char* line : {"MSG_PREVIEWSKIN=预览", "MSG_PREVIEWBUTTON=按钮", "MSG_BTN_OK=确定", "MSG_BTN_CANCEL=取消"})
    lines.Add(line);
  table.SetResStrings(&lines);
  mainSkin.SetResourceStrData(&table);

  TvlCompressedSkinList skins(nullptr);
  struct Item {
    const char* description;
    TvlSkinArtKind kind;
  };
  for (const Item& i : {Item{"默认皮肤", TvlSkinArtKind::Main}, Item{"工具按钮皮肤", TvlSkinArtKind::Tools}}) {
    TvlSkinListItem* item = skins.Skins()->Add();
    item->Description = i.description;
    vlPackSkin(i.kind, item->Skin());
  }
  TvlSelectSkinDialog dialog(nullptr);
  dialog.Title = "选择皮肤";
  dialog.SetSkinList(&skins);
  dialog.SetSkinData(&mainSkin);
  dialog.SetCtrlSkinData(&mainSkin);

  std::vector<std::uint32_t> pixels;
  TRect bounds;
  bool shot = false;
  Screen()->OnActiveFormChange = [&](TObject*) {
    auto* form = dynamic_cast<TvlSelectSkinDlgForm*>(Screen()->ActiveForm());
    if (!form || shot) return;
    shot = true;
    Pump();
    bounds = form->BoundsRect();
    pixels = skinned_test_form::Shot(display, bounds);
    PostMessage(form->Handle(), WM_CLOSE, 0, 0);
  };
  EXPECT_FALSE(dialog.Execute(0));
  Screen()->OnActiveFormChange = nullptr;
  mainSkin.SetResourceStrData(nullptr);
  ASSERT_TRUE(shot);
  skinned_test_form::CompareWithExpected(pixels, bounds.Width(), bounds.Height(), SKIN_EXPECTED_DIR,
                                         "main_skin_skin_chooser");
}

// A 360 x 240 picture: a sky that lightens toward the horizon, the sun and two hills.
void DrawLandscape(TBitmap* B) {
  B->SetSize(360, 240);
  TCanvas* c = B->Canvas();
  c->Pen()->SetStyle(TPenStyle::psClear);
  for (int y = 0; y < 240; y += 4) {
    const int t = y * 255 / 240;
    c->Brush()->SetColor(RGB(90 + t / 3, 150 + t / 5, 225));
    c->FillRect(TRect{0, y, 360, y + 4});
  }
  c->Brush()->SetColor(RGB(255, 214, 102));
  c->Ellipse(250, 30, 300, 80);
  c->Brush()->SetColor(RGB(110, 170, 95));
  c->Ellipse(-80, 150, 220, 360);
  c->Brush()->SetColor(RGB(80, 140, 80));
  c->Ellipse(140, 170, 460, 400);
}

TEST_F(SkinOneDialogsTest, ScrollBoxesMatchTheirExpectedPicture) {
  auto build = [&](TForm* form) {
    auto* background = new TvlSkinPanel(form);
    background->SetParent(form);
    background->SetAlign(TAlign::alClient);
    background->SetBorderStyle(TvlSkinBorderStyle::bvNone);
    background->SetSkinData(&mainSkin);

    // The picture pane: bars at the right and bottom of a framed panel, the box filling the rest.
    auto* pane = new TvlSkinPanel(form);
    pane->SetParent(background);
    pane->SetBounds(10, 10, 220, 180);
    pane->SetSkinData(&mainSkin);
    auto* vbar = new TvlSkinScrollBar(form);
    vbar->SetKind(TScrollBarKind::sbVertical);
    vbar->SetParent(pane);
    vbar->SetAlign(TAlign::alRight);
    vbar->SetDefaultWidth(19);
    vbar->SetSkinDataName("vscrollbar");
    vbar->SetSkinData(&mainSkin);
    auto* hbar = new TvlSkinScrollBar(form);
    hbar->SetParent(pane);
    hbar->SetAlign(TAlign::alBottom);
    hbar->SetDefaultHeight(19);
    hbar->SetBothMarkerWidth(19);
    hbar->SetSkinDataName("hscrollbar");
    hbar->SetSkinData(&mainSkin);
    auto* box = new TvlSkinScrollBox(form);
    box->SetParent(pane);
    box->SetAlign(TAlign::alClient);
    box->SetBorderStyle(TvlSkinBorderStyle::bvNone);
    box->SetSkinData(&mainSkin);
    box->SetHScrollBar(hbar);
    box->SetVScrollBar(vbar);
    auto* image = new TImage(form);
    image->SetParent(box);
    DrawLandscape(image->Picture()->Bitmap());
    image->SetBounds(0, 0, 360, 240);
    box->UpDateScrollRange();
    box->VScroll(20);
    box->HScroll(100);

    // A framed box of option rows, taller than the box.
    auto* options = new TvlSkinScrollBox(form);
    options->SetParent(background);
    options->SetBounds(250, 10, 180, 180);
    options->SetSkinData(&mainSkin);
    auto* obar = new TvlSkinScrollBar(form);
    obar->SetKind(TScrollBarKind::sbVertical);
    obar->SetParent(background);
    obar->SetBounds(430, 10, 19, 180);
    obar->SetSkinDataName("vscrollbar");
    obar->SetSkinData(&mainSkin);
    options->SetVScrollBar(obar);
    const char* rows[] = {"转换后打开输出目录", "转换完成后关机", "播放提示音", "多线程转换", "保留原始文件时间",
                          "自动重命名输出文件", "直接覆盖输出文件", "显示转换日志"};
    int top = 8;
    for (const char* caption : rows) {
      auto* check = new TvlSkinCheckRadioBox(form);
      check->SetParent(options);
      check->SetCaption(caption);
      check->SetBounds(8, top, 150, 22);
      check->SetSkinData(&mainSkin);
      check->SetChecked(top % 60 == 8);
      top += 28;
    }
    options->UpDateScrollRange();
  };
  skinned_test_form::RenderFormAndCompare(display, 460, 200, build, nullptr, SKIN_EXPECTED_DIR,
                                          "main_skin_scroll_boxes");
}

}  // namespace
