// Popup menus and tooltips drawn with the program's own skin 1 on a skinned form: a context menu
// with a header, a ticked item, a disabled item, a shortcut, a separator and a radio submenu
// open beside its row, and a tooltip with a title; compared with the expected picture.

#include <gtest/gtest.h>

#include "lib/Velmora.h"
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
  TMenuItem* Item(TMenuItem* Parent, const std::string& Caption) {
    auto* i = new TMenuItem(Parent);
    i->SetCaption(Caption);
    Parent->Add(i);
    return i;
  }
};

TEST_F(SkinnedMenusTest, ContextMenuWithSubmenuAndTooltipMatchTheExpectedPicture) {
  TScopedTestClock clock;
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  ASSERT_FALSE(skin.Empty);

  constexpr int W = 560, H = 360;
  TForm* form = CreateForm<TForm>(nullptr);
  forms.emplace_back(form);
  form->SetBoundsRect(TRect{0, 0, W, H});
  form->SetCaption("视频格式转换");
  auto* skinner = new TvlVelmora(form);
  skinner->SetSkinData(&skin);
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

}  // namespace
