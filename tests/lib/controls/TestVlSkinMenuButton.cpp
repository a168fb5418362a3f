// The menu tool button: the whole button or only its track part opens the menu, the button stays
// down until the menu reports that it closed, and a menu that shows nothing lets it up again.

#include "lib/controls/vlSkinCtrlsMenuButton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/forms/Velmora.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Menus.h"

namespace {

class SkinMenuButtonTest : public skinned_controls_world::SkinnedControlsWorld {
 protected:
  // A form with a form skinner (built-in look), a menu of two commands and a 78 x 47 button
  // at (20, 20) of the client area.
  TvlSkinMenuSpeedButton* MakeButton() {
    TForm* form = MakeForm(TRect{0, 0, 400, 300});
    skinner = new TvlVelmora(form);
    menu = new TvlSkinPopupMenu(form);
    for (const char* caption : {"添加文件", "添加文件夹"}) {
      auto* i = new TMenuItem(menu);
      i->SetCaption(caption);
      i->OnClick = [this, caption](TObject*) { log.push_back(caption); };
      menu->Items()->Add(i);
    }
    auto* b = new TvlSkinMenuSpeedButton(form);
    b->SetParent(form);
    b->SetBounds(20, 20, 78, 47);
    b->SetCaption("添加");
    b->SetSkinPopupMenu(menu);
    b->OnClick = [this](TObject*) { log.push_back("click"); };
    b->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("down"); };
    b->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
    b->OnShowTrackMenu = [this](TObject*) { log.push_back("show"); };
    b->OnHideTrackMenu = [this](TObject*) { log.push_back("hide"); };
    form->Show();
    Pump();
    return b;
  }
  TPoint At(TControl* c, int x, int y) { return c->ClientToScreen(TPoint{x, y}); }

  TvlVelmora* skinner = nullptr;
  TvlSkinPopupMenu* menu = nullptr;
  std::vector<std::string> log;
};

TEST_F(SkinMenuButtonTest, TheWholeButtonOpensTheMenuAndStaysDownUntilItCloses) {
  TvlSkinMenuSpeedButton* b = MakeButton();
  display->Click(At(b, 10, 10));
  Pump();
  TvlSkinMenu* chain = skinner->SkinMenu;
  ASSERT_EQ(chain->LevelCount(), 1);
  // The menu opens below the button, its opener the button; no click, no mouse events.
  EXPECT_EQ(chain->Level(0)->Top(), b->ClientOrigin().Y + b->Height());
  EXPECT_EQ(chain->PopupCtrl.Get(), b);
  EXPECT_TRUE(b->Down());
  EXPECT_TRUE(b->MenuTracked());
  EXPECT_EQ(log, std::vector<std::string>{"show"});
  // The pointer leaving for the menu changes nothing.
  display->MouseMove({300, 250});
  Pump();
  EXPECT_TRUE(b->Down());

  // Choosing a command: the button comes up when the menu reports its end, before the command.
  TvlSkinPopupWindow* level = chain->Level(0);
  const TRect row = level->ItemList[1]->ObjectRect;
  display->Click({level->Left() + row.Left + 10, level->Top() + row.Top + 5});
  Pump();
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->MenuTracked());
  EXPECT_EQ(log, (std::vector<std::string>{"show", "hide", "添加文件夹"}));
}

TEST_F(SkinMenuButtonTest, InTrackButtonModeOnlyTheTrackPartOpensTheMenu) {
  TvlSkinMenuSpeedButton* b = MakeButton();
  b->SetTrackButtonMode(true);
  // The built-in look and the named tool elements use the 15-pixel strip at the right.
  for (const char* element : {"toolmenubutton", "toolbutton"}) {
    SCOPED_TRACE(element);
    b->SkinDataName = element;
    b->SetSkinData(&skin);
    log.clear();
    EXPECT_FALSE(b->InTrackPart(78 - 16, 10));
    EXPECT_TRUE(b->InTrackPart(78 - 15, 10));
    display->Click(At(b, 20, 20));  // left of the strip: an ordinary click on release
    Pump();
    EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"down", "up", "click"}));
    display->Click(At(b, 70, 20));
    Pump();
    EXPECT_EQ(skinner->SkinMenu->LevelCount(), 1);
    EXPECT_TRUE(b->Down());
    skinner->SkinMenu->Hide();
    EXPECT_FALSE(b->Down());
  }
  // Without a menu the button is a plain tool button.
  b->SetSkinPopupMenu(nullptr);
  EXPECT_FALSE(b->InTrackPart(70, 20));
}

TEST_F(SkinMenuButtonTest, AMenuThatShowsNothingLetsTheButtonUp) {
  TvlSkinMenuSpeedButton* b = MakeButton();
  menu->Items()->Clear();
  display->Click(At(b, 10, 10));
  Pump();
  EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->MenuTracked());
  EXPECT_FALSE(skinner->InMenu);
  EXPECT_EQ(log, (std::vector<std::string>{"show", "hide"}));
}

TEST_F(SkinMenuButtonTest, TheNewStyleSwitchesTheElementOnce) {
  TvlSkinMenuSpeedButton* b = MakeButton();
  EXPECT_EQ(b->SkinDataName, "toolmenubutton");
  b->SetNewStyle(true);
  EXPECT_EQ(b->SkinDataName, "resizetoolbutton");
  b->SetNewStyle(false);
  EXPECT_EQ(b->SkinDataName, "resizetoolbutton");
  // A freed menu is forgotten.
  delete menu;
  EXPECT_EQ(b->SkinPopupMenu(), nullptr);
}

}  // namespace
