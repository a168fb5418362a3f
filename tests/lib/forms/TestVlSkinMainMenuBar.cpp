// The skinned main menu bar on a form skinner: the keyboard menu mode (Alt, F10, arrows that
// wrap and skip disabled items, Enter and Down, Escape twice), accelerators, the mouse moving
// between open items, the overflow marker and what it lists, and the item sizes of the built-in
// look.

#include "lib/forms/vlSkinMainMenuBar.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "lib/forms/Velmora.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Timers.h"
#include "tests/lib/ClockedFormWorld.h"

namespace {

class MainMenuBarTest : public ClockedFormWorld {
 protected:

  static TMenuItem* Item(TMenuItem* Parent, const std::string& Caption) {
    auto* i = new TMenuItem(Parent);
    i->SetCaption(Caption);
    Parent->Add(i);
    return i;
  }

  // A skinned form of the given width at 0, 0 with a bar over a menu: "文件(&F)" (two rows),
  // "工具(&T)" (disabled, one row), "转换(&C)" (a command), "帮助(&H)" (one row).
  void MakeForm(int width = 400) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBoundsRect(TRect{0, 0, width, 300});
    forms.emplace_back(f);
    skinner = new TvlVelmora(f);
    menu = new TvlSkinMainMenu(f);
    TMenuItem* file = Item(menu->Items(), "文件(&F)");
    Item(file, "打开(&O)")->OnClick = [this](TObject*) { log.push_back("open"); };
    Item(file, "退出(&X)");
    TMenuItem* tools = Item(menu->Items(), "工具(&T)");
    Item(tools, "选项");
    tools->SetEnabled(false);
    Item(menu->Items(), "转换(&C)")->OnClick = [this](TObject*) { log.push_back("convert"); };
    Item(Item(menu->Items(), "帮助(&H)"), "关于");
    bar = new TvlSkinMainMenuBar(f);
    bar->SetParent(f);
    bar->SetVelmora(skinner);
    bar->SetMainMenu(menu);
    skinner->SetMainMenuBar(bar);
    f->Show();
    f->SetFocus();
    Run();
  }

  void Key(WORD vk) {
    display->KeyDown(vk);
    display->KeyUp(vk);
    Run();
  }
  TvlSkinMainMenuBarItem* BarItem(int i) const {
    return dynamic_cast<TvlSkinMainMenuBarItem*>(bar->ObjectList[static_cast<std::size_t>(i)].get());
  }
  // The caption of the highlighted bar item, "" when none.
  std::string Highlighted() const {
    for (std::size_t i = 0; i < bar->ObjectList.size(); ++i)
      if (bar->ObjectList[i]->Active) return BarItem(static_cast<int>(i))->MenuItem()->Caption();
    return "";
  }
  // The captions of the root level's rows.
  std::vector<std::string> OpenRows() const {
    std::vector<std::string> rows;
    if (skinner->SkinMenu->LevelCount() == 0) return rows;
    for (auto& r : skinner->SkinMenu->Level(0)->ItemList) rows.push_back(r->MenuItem()->Caption());
    return rows;
  }
  TPoint ItemCentre(int i) const {
    const TRect r = BarItem(i)->ObjectRect;
    return bar->ClientToScreen(TPoint{r.Left + r.Width() / 2, r.Top + r.Height() / 2});
  }

  TvlVelmora* skinner = nullptr;
  TvlSkinMainMenu* menu = nullptr;
  TvlSkinMainMenuBar* bar = nullptr;
  std::vector<std::string> log;
};

TEST_F(MainMenuBarTest, AltEntersTheMenuModeAndTheArrowsWrapOverEnabledItems) {
  MakeForm();
  Key(VK_MENU);
  EXPECT_TRUE(skinner->InMainMenu);
  EXPECT_TRUE(bar->MenuActive);
  EXPECT_EQ(Highlighted(), "文件(&F)");
  Key(VK_LEFT);  // from the first to the last
  EXPECT_EQ(Highlighted(), "帮助(&H)");
  Key(VK_RIGHT);  // from the last to the first
  EXPECT_EQ(Highlighted(), "文件(&F)");
  Key(VK_RIGHT);  // the disabled item is skipped
  EXPECT_EQ(Highlighted(), "转换(&C)");
  Key(VK_LEFT);
  EXPECT_EQ(Highlighted(), "文件(&F)");
  EXPECT_TRUE(log.empty());
  Key(VK_MENU);  // Alt again leaves the mode
  EXPECT_FALSE(skinner->InMainMenu);
  EXPECT_FALSE(bar->MenuActive);
  EXPECT_EQ(Highlighted(), "");
}

TEST_F(MainMenuBarTest, EnterOrDownOpensAndEscapeTwiceLeaves) {
  for (WORD open : {VK_RETURN, VK_DOWN}) {
    SCOPED_TRACE(open == VK_RETURN ? "Enter" : "Down");
    MakeForm();
    Key(VK_F10);
    ASSERT_TRUE(skinner->InMainMenu);
    Key(open);
    EXPECT_EQ(OpenRows(), (std::vector<std::string>{"打开(&O)", "退出(&X)"}));
    EXPECT_TRUE(BarItem(0)->FDown);
    EXPECT_TRUE(skinner->InMenu);
    Key(VK_ESCAPE);  // closes the popup, the mode goes on with the item highlighted
    EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);
    EXPECT_TRUE(skinner->InMainMenu);
    EXPECT_FALSE(skinner->InMenu);
    EXPECT_NE(Highlighted(), "");
    Key(VK_ESCAPE);  // leaves the mode
    EXPECT_FALSE(skinner->InMainMenu);
    EXPECT_EQ(Highlighted(), "");
    EXPECT_FALSE(app.HasMessageHook(skinner));
    forms.clear();
    Run();
  }
}

TEST_F(MainMenuBarTest, RightOverACommandItemMovesAnOpenPopupOn) {
  MakeForm();
  Key(VK_MENU);
  Key(VK_RETURN);  // "文件" opens
  Key(VK_RIGHT);   // to "转换": a command, nothing opens, the highlight stays in the mode
  EXPECT_EQ(Highlighted(), "转换(&C)");
  Key(VK_RIGHT);  // to "帮助", which opens as the mode had an open popup before
  EXPECT_EQ(Highlighted(), "帮助(&H)");
  Key(VK_DOWN);
  EXPECT_EQ(OpenRows(), std::vector<std::string>{"关于"});
  Key(VK_ESCAPE);
  Key(VK_ESCAPE);
  EXPECT_FALSE(skinner->InMainMenu);
}

TEST_F(MainMenuBarTest, AcceleratorsOpenAnItemOrRunItsCommand) {
  MakeForm();
  // In the menu mode a letter is an accelerator.
  Key(VK_MENU);
  Key('H');
  EXPECT_EQ(OpenRows(), std::vector<std::string>{"关于"});
  Key('F');  // another item's accelerator moves the open popup there
  EXPECT_EQ(OpenRows(), (std::vector<std::string>{"打开(&O)", "退出(&X)"}));
  Key('O');  // a row of the popup runs; the mode ends
  EXPECT_EQ(log, std::vector<std::string>{"open"});
  EXPECT_FALSE(skinner->InMainMenu);
  EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);

  // Alt with the letter, outside the mode: a command item runs at once.
  display->KeyDown(VK_MENU);
  Key('C');
  display->KeyUp(VK_MENU);
  Run();
  EXPECT_EQ(log, (std::vector<std::string>{"open", "convert"}));
  EXPECT_FALSE(skinner->InMainMenu);
  // A disabled item's accelerator does nothing.
  Key(VK_MENU);
  Key('T');
  EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);
  EXPECT_NE(Highlighted(), "工具(&T)");
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(MainMenuBarTest, ThePointerMovesAnOpenMenuBetweenItemsWithoutAClick) {
  MakeForm();
  display->Click(ItemCentre(0));
  Run();
  EXPECT_TRUE(skinner->InMainMenu);
  EXPECT_EQ(OpenRows(), (std::vector<std::string>{"打开(&O)", "退出(&X)"}));
  display->MouseMove(ItemCentre(3));
  Wait(60);
  EXPECT_FALSE(BarItem(0)->FDown);
  EXPECT_TRUE(BarItem(3)->FDown);
  EXPECT_EQ(OpenRows(), std::vector<std::string>{"关于"});
  // A click on a command item closes the menu, leaves the mode and runs the command.
  display->Click(ItemCentre(2));
  Run();
  EXPECT_EQ(log, std::vector<std::string>{"convert"});
  EXPECT_FALSE(skinner->InMainMenu);
  EXPECT_FALSE(skinner->InMenu);
  EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);
}

TEST_F(MainMenuBarTest, TheOverflowMarkerListsExactlyTheHiddenItems) {
  MakeForm(400);
  EXPECT_FALSE(bar->Scroll);
  // A built-in item is its caption's width plus 12 pixels, the first starting at 2.
  TBitmap measure;
  measure.SetWidth(1);
  measure.SetHeight(1);
  measure.Canvas()->Font()->Assign(bar->DefItemFont());
  const int tw = measure.Canvas()->TextWidth("文件(F)");
  EXPECT_EQ(BarItem(0)->ObjectRect.Left, 2);
  EXPECT_EQ(BarItem(0)->ObjectRect.Width(), tw + 12);

  // Narrow enough for the first two items only (the marker takes 5 pixels).
  const int room = BarItem(1)->ObjectRect.Right + 5 + 2;
  forms.back()->SetClientWidth(room + 3);
  Run();
  ASSERT_TRUE(bar->Scroll);
  EXPECT_TRUE(BarItem(1)->Shown);
  EXPECT_FALSE(BarItem(2)->Shown);
  EXPECT_FALSE(BarItem(3)->Shown);
  EXPECT_FALSE(BarItem(2)->Enabled);
  display->Click(bar->ClientToScreen(TPoint{bar->MarkerRect().Left + 2, bar->MarkerRect().Top + 5}));
  Run();
  EXPECT_EQ(OpenRows(), (std::vector<std::string>{"转换(&C)", "帮助(&H)"}));
  skinner->SkinMenu->Hide();
  Run();

  // Without the marker an item may use its 5 pixels too, and nothing is drawn there.
  bar->SetScrollMenu(false);
  bar->Layout();
  EXPECT_TRUE(bar->Scroll);

  // Wider again: the hidden items come back with the state they had; the disabled one stays so.
  bar->SetScrollMenu(true);
  forms.back()->SetClientWidth(600);
  Run();
  EXPECT_FALSE(bar->Scroll);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(BarItem(i)->Shown);
  EXPECT_TRUE(BarItem(2)->Enabled);
  EXPECT_FALSE(BarItem(1)->Enabled);
}

TEST_F(MainMenuBarTest, TheBarKeepsNoDanglingReferences) {
  MakeForm();
  delete menu;
  EXPECT_EQ(bar->MainMenu(), nullptr);
  EXPECT_TRUE(bar->ObjectList.empty());
  bar->Repaint();
  Key(VK_MENU);  // the mode starts, with nothing to highlight
  Key(VK_RIGHT);
  Key(VK_ESCAPE);
  delete bar;
  EXPECT_EQ(skinner->MainMenuBar(), nullptr);
  Key(VK_MENU);
  Run();
}

TEST_F(MainMenuBarTest, ASkinnedItemTakesItsDescriptionsSizeAndMorphsOnTheClock) {
  // A bar element 60 x 20 and an item description whose text part is 18 of its 30 pixels.
  TvlSkinData skin(nullptr);
  fixture_skin::Fill(skin);
  const int base = static_cast<int>(skin.FActivePictures.size());
  skin.FActivePictures.push_back(fixture_skin::NewPicture(60, 40, fixture_skin::Rgb(250, 250, 250)));
  skin.FActivePicturesNames->Add("menubar.bmp");
  auto* element = fixture_skin::Add<TvlDataSkinMainMenuBar>(skin, "mainmenubar");
  element->PictureIndex = base;
  element->SkinRect = TRect{0, 0, 60, 20};
  element->ItemsRect = TRect{4, 1, 56, 19};
  element->MenuBarItem = "menubaritem";
  auto item = std::make_unique<TvlDataSkinMainMenuBarItem>("menubaritem");
  item->ActivePictureIndex = base;
  item->SkinRect = TRect{0, 20, 30, 38};
  item->ActiveSkinRect = TRect{30, 20, 60, 38};
  item->TextRct = TRect{6, 0, 24, 18};
  item->ItemLO = item->ItemRO = 3;
  item->Morphing = true;
  skin.ObjectList.push_back(std::move(item));

  MakeForm();
  bar->SetSkinData(&skin);
  Run();
  ASSERT_TRUE(bar->FSkinSupport);
  EXPECT_EQ(bar->Height(), 20);
  TvlSkinMainMenuBarItem* first = BarItem(0);
  ASSERT_TRUE(first->FSkinSupport);
  TBitmap measure;
  measure.SetWidth(1);
  measure.SetHeight(1);
  measure.Canvas()->Font()->SetName("Arial");
  measure.Canvas()->Font()->SetHeight(14);
  const int tw = measure.Canvas()->TextWidth("文件(F)");
  EXPECT_EQ(first->ObjectRect, (TRect{4, 1, 4 + 30 - 18 + tw + 2, 19}));

  display->MouseMove(ItemCentre(0));
  Wait(60);
  EXPECT_TRUE(first->Active);
  EXPECT_TRUE(bar->MorphTimer->Enabled());
  EXPECT_LT(first->MorphKf(), 1.0);
  Wait(200);
  EXPECT_DOUBLE_EQ(first->MorphKf(), 1.0);
  EXPECT_FALSE(bar->MorphTimer->Enabled()) << "the timer stops once nothing morphs";

  display->MouseMove(TPoint{300, 200});
  Wait(260);
  EXPECT_FALSE(first->Active);
  EXPECT_DOUBLE_EQ(first->MorphKf(), 0.0);
  EXPECT_FALSE(bar->MorphTimer->Enabled());
  forms.clear();
  Run();
}

TEST_F(MainMenuBarTest, AMergedMenuReplacesTheItemsOfItsGroupsAndStopsTheOverflow) {
  MakeForm();
  // Groups: 文件 0, 工具 1, 转换 2, 帮助 3.
  for (int i = 0; i < 4; ++i) menu->Items()->Items(i)->SetGroupIndex(static_cast<BYTE>(i));
  TMainMenu child(nullptr);
  Item(child.Items(), "编辑(&E)")->SetGroupIndex(1);
  Item(child.Items(), "窗口(&W)")->SetGroupIndex(2);
  Item(child.Items(), "视图(&V)")->SetGroupIndex(1);
  bar->Merge(&child);
  std::vector<std::string> captions;
  for (std::size_t i = 0; i < bar->ObjectList.size(); ++i)
    captions.push_back(BarItem(static_cast<int>(i))->MenuItem()->Caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"文件(&F)", "编辑(&E)", "视图(&V)", "窗口(&W)", "帮助(&H)"}));
  EXPECT_TRUE(bar->ChildMenuIn);
  EXPECT_FALSE(bar->ScrollMenu());
  bar->UnMerge();
  EXPECT_EQ(bar->ObjectList.size(), 4u);
  EXPECT_FALSE(bar->ChildMenuIn);
}

}  // namespace
