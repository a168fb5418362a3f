// The form skinner's system menu: its items for each window state, the application's own
// SystemMenu completed without doubling, the close shortcut, the interface texts, how it opens
// (caption right click, Alt+Space at the system-menu button) and the tray menu.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "tests/lib/ClockedFormWorld.h"

namespace {

class SystemMenuTest : public ClockedFormWorld {
 protected:

  // A sizeable built-in-look form at (100, 80), 300 x 200, shown and active.
  TvlVelmora* MakeSkinnedForm() {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBorderStyle(TFormBorderStyle::bsSizeable);
    f->SetBoundsRect(TRect{100, 80, 400, 280});
    f->SetCaption("视频转换");
    forms.emplace_back(f);
    auto* skinner = new TvlVelmora(f);
    f->Show();
    f->SetFocus();
    Run();
    return skinner;
  }
  // Alt+Space, as typed.
  void AltSpace() {
    display->KeyDown(VK_MENU);
    display->KeyDown(VK_SPACE);
    Run();
    display->KeyUp(VK_SPACE);
    display->KeyUp(VK_MENU);
    Run();
  }

  // The names of the items ("-" for a separator, the caption for an item without a name).
  static std::vector<std::string> Names(TMenuItem* Root) {
    std::vector<std::string> names;
    for (int i = 0; i < Root->Count(); ++i) {
      TMenuItem* m = Root->Items(i);
      names.push_back(m->IsLine() ? "-" : (m->Name().empty() ? m->Caption() : m->Name()));
    }
    return names;
  }
  std::vector<std::string> OpenRows(TvlVelmora* v) {
    std::vector<std::string> rows;
    if (v->SkinMenu->LevelCount() == 0) return rows;
    for (auto& r : v->SkinMenu->Level(0)->ItemList) rows.push_back(r->MenuItem()->Name());
    return rows;
  }
};

TEST_F(SystemMenuTest, TheBuiltInMenuFollowsTheWindowState) {
  TvlVelmora* v = MakeSkinnedForm();
  const std::vector<std::string> normal{"VMR_MINITEM", "VMR_MAXITEM", "VMR_ROLLUP", "-", "VMR_CLOSE"};
  EXPECT_EQ(Names(v->GetSystemMenuItems()), normal);

  v->SetWindowState(TWindowState::wsMaximized);
  EXPECT_EQ(Names(v->GetSystemMenuItems()),
            (std::vector<std::string>{"VMR_MINITEM", "VMR_RESTORE", "VMR_ROLLUP", "-", "VMR_CLOSE"}));
  v->SetWindowState(TWindowState::wsNormal);

  v->SetRollUpState(true);
  EXPECT_EQ(Names(v->GetSystemMenuItems()),
            (std::vector<std::string>{"VMR_MINITEM", "VMR_MAXITEM", "VMR_RESTORE", "-", "VMR_CLOSE"}));
  // Its restore item unrolls the form.
  TMenuItem* restore = v->GetSystemMenuItems()->Items(2);
  restore->Click();
  EXPECT_FALSE(v->RollUpState());

  v->SetWindowState(TWindowState::wsMinimized);  // not the main form: the skinned state changes
  EXPECT_EQ(Names(v->GetSystemMenuItems()), (std::vector<std::string>{"VMR_MAXITEM", "VMR_RESTORE", "-", "VMR_CLOSE"}));
  v->SetWindowState(TWindowState::wsNormal);

  // Border icons take items away; the tray item comes with its icon; close stays.
  v->SetBorderIcons(TvlBorderIcons{TvlBorderIcon::biSystemMenu, TvlBorderIcon::biMinimizeToTray});
  EXPECT_EQ(Names(v->GetSystemMenuItems()), (std::vector<std::string>{"VMR_MINTOTRAY", "-", "VMR_CLOSE"}));
  v->SetBorderIcons(TvlBorderIcons{});
  EXPECT_EQ(Names(v->GetSystemMenuItems()), std::vector<std::string>{"VMR_CLOSE"});

  TMenuItem* close = v->GetSystemMenuItems()->Items(0);
  EXPECT_EQ(close->Caption(), "&Close");
  EXPECT_EQ(ShortCutToText(close->ShortCut()), "Alt+F4");
}

TEST_F(SystemMenuTest, TheApplicationsSystemMenuIsCompletedOnceEachTime) {
  TvlVelmora* v = MakeSkinnedForm();
  auto* own = new TPopupMenu(v->Form());
  auto* about = new TMenuItem(own);
  about->SetCaption("关于...");
  own->Items()->Add(about);
  v->SetSystemMenu(own);
  const std::vector<std::string> expected{"VMR_MINITEM", "VMR_MAXITEM", "VMR_ROLLUP", "关于...", "VMR_CLOSE"};
  EXPECT_EQ(Names(v->GetSystemMenuItems()), expected);
  EXPECT_EQ(Names(v->GetSystemMenuItems()), expected);
  v->SetWindowState(TWindowState::wsMaximized);
  EXPECT_EQ(Names(v->GetSystemMenuItems()),
            (std::vector<std::string>{"VMR_MINITEM", "VMR_RESTORE", "VMR_ROLLUP", "关于...", "VMR_CLOSE"}));
  // Without UseDefaultSysMenu the application's menu shows as it is.
  v->SetWindowState(TWindowState::wsNormal);
  own->Items()->Clear();
  own->Items()->Add(about = new TMenuItem(own));
  about->SetCaption("关于...");
  v->UseDefaultSysMenu = false;
  EXPECT_EQ(Names(v->GetSystemMenuItems()), std::vector<std::string>{"关于..."});
}

TEST_F(SystemMenuTest, CaptionsComeFromTheInterfaceTextsWhenTheSkinHasATable) {
  TvlVelmora* v = MakeSkinnedForm();
  TvlSkinData skin(nullptr);
  TvlResourceStrData texts(nullptr);
  skin.SetResourceStrData(&texts);
  texts.ResStrings()->SetValue("MI_CLOSECAPTION", "关闭(&C)");
  texts.ResStrings()->SetValue("MI_MINCAPTION", "");
  v->SetSkinData(&skin);
  TMenuItem* items = v->GetSystemMenuItems();
  EXPECT_EQ(items->Items(0)->Caption(), "");  // an empty answer is used as it is
  EXPECT_EQ(items->Items(items->Count() - 1)->Caption(), "关闭(&C)");
  v->SetSkinData(nullptr);
}

TEST_F(SystemMenuTest, ACaptionRightClickOpensTheMenuUnlessItIsDisabled) {
  TvlVelmora* v = MakeSkinnedForm();
  const TPoint caption{v->Form()->Left() + 120, v->Form()->Top() + 8};
  display->Click(caption, detail::TMouseButton::Right);
  Run();
  ASSERT_EQ(v->SkinMenu->LevelCount(), 1);
  EXPECT_EQ(OpenRows(v), (std::vector<std::string>{"VMR_MINITEM", "VMR_MAXITEM", "VMR_ROLLUP", "", "VMR_CLOSE"}));
  EXPECT_EQ(v->SkinMenu->Level(0)->Left(), caption.X);
  EXPECT_TRUE(v->InMenu);
  // Choosing roll-up rolls the form up; the menu mode ends.
  const TRect row = v->SkinMenu->Level(0)->ItemList[2]->ObjectRect;
  TvlSkinPopupWindow* level = v->SkinMenu->Level(0);
  display->Click(TPoint{level->Left() + row.Left + 10, level->Top() + row.Top + 5});
  Run();
  EXPECT_TRUE(v->RollUpState());
  EXPECT_FALSE(v->InMenu);

  v->DisableSystemMenu = true;
  display->Click(caption, detail::TMouseButton::Right);
  Run();
  EXPECT_EQ(v->SkinMenu->LevelCount(), 0);
}

TEST_F(SystemMenuTest, AltSpaceOpensTheMenuAtTheSystemMenuButtonOnlyWhenItIsEnabled) {
  TvlVelmora* v = MakeSkinnedForm();
  const int i = v->GetIndex("sysmenubutton");
  ASSERT_GE(i, 0);
  TvlActiveSkinObject* button = v->ObjectList[static_cast<std::size_t>(i)].get();
  ASSERT_TRUE(button->Enabled);
  AltSpace();
  ASSERT_EQ(v->SkinMenu->LevelCount(), 1);
  EXPECT_EQ(v->SkinMenu->Level(0)->Left(), button->ScreenRect().Left);
  EXPECT_FALSE(v->InMainMenu);  // the Alt released after Space does not start the menu mode
  display->KeyDown(VK_ESCAPE);
  Run();
  EXPECT_EQ(v->SkinMenu->LevelCount(), 0);
  EXPECT_FALSE(v->InMenu);

  v->SetBorderIcons(TvlBorderIcons{TvlBorderIcon::biMinimize});  // the button is disabled
  AltSpace();
  EXPECT_EQ(v->SkinMenu->LevelCount(), 0);
}

TEST_F(SystemMenuTest, TheTrayMenuHasRestoreAndClose) {
  TvlVelmora* v = MakeSkinnedForm();
  EXPECT_EQ(Names(v->SysTrayMenu()->Items()), (std::vector<std::string>{"TRAY_VMR_RESTORE", "-", "TRAY_VMR_CLOSE"}));
  EXPECT_EQ(v->SysTrayMenu()->Items()->Items(0)->Caption(), "&Restore");
  EXPECT_EQ(ShortCutToText(v->SysTrayMenu()->Items()->Items(2)->ShortCut()), "Alt+F4");
}

TEST_F(SystemMenuTest, AFreedSkinnerLeavesTheFormNoShortCutHandler) {
  TvlVelmora* v = MakeSkinnedForm();
  TCustomForm* form = v->Form();
  EXPECT_TRUE(form->OnShortCut);
  delete v;
  EXPECT_FALSE(form->OnShortCut);
  AltSpace();
}

}  // namespace
