// Popup menus and tooltips drawn with the program's own skin 1 on a skinned form: a context menu
// with a header, a ticked item, a disabled item, a shortcut, a separator and a radio submenu
// open beside its row, and a tooltip with a title; compared with the expected picture.

#include <gtest/gtest.h>

#include "lib/Velmora.h"
#include "lib/vlSkinCtrlsMenuButton.h"
#include "lib/vlSkinData.h"
#include "lib/vlSkinHint.h"
#include "lib/vlSkinMenus.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Forms.h"
#include "platform/HeadlessDisplay.h"
#include "platform/Menus.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedTestForm.h"
#include "tests/platform/FormFixture.h"

namespace {

class SkinnedMenusTest : public FormWorld {
 protected:
  void SetUp() override {
    FormWorld::SetUp();
    vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
    ASSERT_FALSE(skin.Empty);
  }
  // A form of W x H at the screen's corner skinned with skin 1, freed by the fixture.
  TvlVelmora* MakeSkinnedForm(int W, int H, const char* Caption) {
    TForm* form = CreateForm<TForm>(nullptr);
    forms.emplace_back(form);
    form->SetBoundsRect(TRect{0, 0, W, H});
    form->SetCaption(Caption);
    auto* skinner = new TvlVelmora(form);
    skinner->SetSkinData(&skin);
    return skinner;
  }
  TMenuItem* Item(TMenuItem* Parent, const std::string& Caption) {
    auto* i = new TMenuItem(Parent);
    i->SetCaption(Caption);
    Parent->Add(i);
    return i;
  }

  TvlSkinData skin{nullptr};
};

TEST_F(SkinnedMenusTest, ContextMenuWithSubmenuAndTooltipMatchTheExpectedPicture) {
  TScopedTestClock clock;
  constexpr int W = 560, H = 360;
  TvlVelmora* skinner = MakeSkinnedForm(W, H, "视频格式转换");
  TCustomForm* form = skinner->Form();
  auto* hint = new TvlSkinHint(form);
  hint->SetSkinData(&skin);
  app.SetMainForm(form);
  form->Show();

  auto* menu = new TvlSkinPopupMenu(form);
  Item(menu->Items(), "-输出设置-")->SetEnabled(false);
  TMenuItem* open = Item(menu->Items(), "打开输出文件夹");
  open->SetShortCut(ShortCut('O', TShiftState{TShiftStateFlag::ssCtrl}));
  Item(menu->Items(), "转换后关机")->SetChecked(true);
  Item(menu->Items(), "预览")->SetEnabled(false);
  Item(menu->Items(), "-");
  TMenuItem* quality = Item(menu->Items(), "画质");
  for (const char* q : {"低", "中", "高", "原画"}) {
    TMenuItem* r = Item(quality, q);
    r->SetRadioItem(true);
  }
  quality->Items(2)->SetChecked(true);
  Item(menu->Items(), "删除任务");

  menu->Popup(40, 60);
  TvlSkinMenu* chain = skinner->SkinMenu;
  ASSERT_EQ(chain->LevelCount(), 1);
  TvlSkinPopupWindow* root = chain->Level(0);
  // Hover the submenu's row and wait for it to open.
  const TRect row = root->ItemList[5]->ObjectRect;
  display->MouseMove({root->Left() + row.Left + 30, root->Top() + row.Top + row.Height() / 2});
  for (int i = 0; i < 12; ++i) {
    clock.Advance(50);
    Pump();
  }
  ASSERT_EQ(chain->LevelCount(), 2);
  hint->ActivateHintEx({330, 250}, "转换任务", "3 个文件等待转换@预计 5 分钟", -1, nullptr);

  const auto pixels = skinned_test_form::Shot(display, TRect{0, 0, W, H});
  chain->Hide();
  hint->HideHint();
  forms.clear();
  Pump();
  skinned_test_form::CompareWithExpected(pixels, W, H, SKIN_EXPECTED_DIR, "main_skin_menus");
}

TEST_F(SkinnedMenusTest, MenuButtonsInEveryStyleMatchTheExpectedPicture) {
  TScopedTestClock clock;
  constexpr int W = 480, H = 260;
  TvlVelmora* skinner = MakeSkinnedForm(W, H, "工具按钮");
  TCustomForm* form = skinner->Form();
  auto* menu = new TvlSkinPopupMenu(form);
  for (const char* c : {"添加文件", "添加文件夹", "从光盘添加"}) Item(menu->Items(), c);

  // One button per look, left to right (the first flat, at rest on the form); the last one in
  // the built-in look.
  struct Look {
    const char* element;
    bool track, newStyle, bottom, standardArrow;
    int w, h;
  } looks[] = {{"toolmenubutton", false, false, false, false, 38, 26},
               {"toolmenubutton", true, false, false, false, 38, 26},
               {"resizetoolbutton", false, false, false, false, 78, 47},
               {"resizetoolbutton", false, false, false, true, 78, 47},
               {"resizetoolbutton", true, true, true, false, 78, 47},
               {"toolbutton", true, false, false, false, 60, 30},
               {"", true, false, false, false, 60, 30}};
  std::vector<TvlSkinMenuSpeedButton*> buttons;
  int x = 12;
  for (const Look& l : looks) {
    auto* b = new TvlSkinMenuSpeedButton(form);
    b->SetParent(form);
    if (buttons.empty()) b->SetFlat(true);
    if (l.newStyle) b->SetNewStyle(true);
    if (*l.element) b->SkinDataName = l.element;
    b->SetTrackButtonMode(l.track);
    if (l.bottom) b->SetTrackPosition(TvlTrackPosition::vltpBottom);
    b->FDrawStandardArrow = l.standardArrow;
    b->FArrowType = 2;
    b->UseSkinSize = false;
    b->SetCaption("添加");
    b->SetSkinPopupMenu(menu);
    b->SetSkinData(*l.element ? &skin : nullptr);
    b->SetBounds(x, 12, l.w, l.h);
    x += l.w + 6;
    buttons.push_back(b);
  }
  form->Show();
  Pump();
  // The second button's menu shows from its track part; the fifth is under the pointer.
  TvlSkinMenuSpeedButton* tracked = buttons[1];
  display->Click(tracked->ClientToScreen(TPoint{tracked->Width() - 5, 10}));
  Pump();
  ASSERT_TRUE(tracked->MenuTracked());
  display->MouseMove(buttons[4]->ClientToScreen(TPoint{20, 10}));
  Pump();
  const auto pixels = skinned_test_form::Shot(display, TRect{0, 0, W, H});
  skinner->SkinMenu->Hide();
  forms.clear();
  Pump();
  skinned_test_form::CompareWithExpected(pixels, W, H, SKIN_EXPECTED_DIR, "main_skin_menu_buttons");
}

}  // namespace
