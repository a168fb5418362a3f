// Popup menus and tooltips drawn with the program's own skin 1 on a skinned form: a context menu
// with a header, a ticked item, a disabled item, a shortcut, a separator and a radio submenu
// open beside its row, and a tooltip with a title; menu buttons in every look; compared with the
// expected pictures; tool buttons showing an images menu's chosen entry, one of them with the
// menu open. And the track part of the track-mode menu buttons of both skins.

#include <gtest/gtest.h>

#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/controls/Menus.h"
#include <algorithm>
#include <string>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/menus/vlSkinMenusImages.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/controls/Menus.h"
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
  constexpr int W = 500, H = 260;
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
  } looks[] = {{"toolmenubutton", false, false, false, false, 46, 26},
               {"toolmenubutton", true, false, false, false, 46, 26},
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

// A colour picker: the menu button shows the chosen colour and its name, opens the images menu
// below itself, and the new choice reaches the entry's and the menu's events and shows on the
// button; a plain tool button beside it shows its own menu's chosen image alone.
TEST_F(SkinnedMenusTest, ToolButtonsShowTheirImagesMenusChoiceAndMatchTheExpectedPicture) {
  TScopedTestClock clock;
  constexpr int W = 360, H = 240;
  TvlVelmora* skinner = MakeSkinnedForm(W, H, "标记颜色");
  TCustomForm* form = skinner->Form();
  TCustomImageList images(nullptr);
  TBitmap strip;
  strip.SetSize(16 * 4, 16);
  const TColor colours[] = {static_cast<TColor>(RGB(231, 76, 60)), static_cast<TColor>(RGB(46, 204, 113)),
                            static_cast<TColor>(RGB(52, 152, 219)), static_cast<TColor>(RGB(241, 196, 15))};
  const char* names[] = {"红色", "绿色", "蓝色", "黄色"};
  for (int i = 0; i < 4; ++i) {
    strip.Canvas()->Brush()->SetColor(clWhite);
    strip.Canvas()->FillRect(TRect{16 * i, 0, 16 * i + 16, 16});
    strip.Canvas()->Brush()->SetColor(colours[i]);
    strip.Canvas()->FillRect(TRect{16 * i + 2, 2, 16 * i + 14, 14});
  }
  images.Add(&strip, nullptr);
  std::vector<std::string> log;
  const auto makeMenu = [&] {
    auto* menu = new TvlSkinImagesMenu(form);
    menu->SetImages(&images);
    menu->SetColumnsCount(2);
    menu->SetSkinData(&skin);
    for (int i = 0; i < 4; ++i) {
      TvlImagesMenuItem* item = menu->ImagesItems()->AddItem();
      item->ImageIndex = i;
      item->Caption = names[i];
      item->OnClick = [&log, i, &names](TObject*) { log.push_back(names[i]); };
    }
    menu->ItemIndex = 0;
    return menu;
  };
  TvlSkinImagesMenu* colourMenu = makeMenu();
  colourMenu->OnItemClick = [&log](TObject*) { log.push_back("item"); };
  colourMenu->OnChange = [&log](TObject*) { log.push_back("change"); };
  TvlSkinImagesMenu* plainMenu = makeMenu();
  plainMenu->ItemIndex = 2;

  auto* picker = new TvlSkinMenuSpeedButton(form);
  picker->SetParent(form);
  picker->SkinDataName = "resizetoolbutton";
  picker->UseSkinSize = false;
  picker->SetCaption("颜色");
  picker->SetSkinImagesMenu(colourMenu);
  picker->UseImagesMenuImage = true;
  picker->UseImagesMenuCaption = true;
  picker->SetSkinData(&skin);
  picker->SetBounds(12, 12, 90, 30);
  picker->OnClick = [&log](TObject*) { log.push_back("click"); };
  picker->OnHideTrackMenu = [&log](TObject*) { log.push_back("hide"); };
  auto* plain = new TvlSkinSpeedButton(form);
  plain->SetParent(form);
  plain->SetCaption("颜色");
  plain->SetSkinImagesMenu(plainMenu);
  plain->UseImagesMenuImage = true;
  plain->SetSkinData(&skin);
  plain->SetBounds(120, 12, 60, 30);
  form->Show();
  Pump();

  display->Click(picker->ClientToScreen(TPoint{20, 10}));
  Pump();
  TvlSkinImagesMenuPopupWindow* popup = colourMenu->PopupWindow();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(picker->Down());
  EXPECT_TRUE(picker->MenuTracked());
  // Below the button.
  EXPECT_EQ(popup->Top(), picker->ClientOrigin().Y + picker->Height());
  const auto centreOf = [&](int Index) {
    const TRect r = colourMenu->ImagesItems()->Item(Index)->ItemRect;
    return popup->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  };
  display->MouseMove(centreOf(2));
  Pump();
  const auto pixels = skinned_test_form::Shot(display, TRect{0, 0, W, H});

  // Choosing blue: the menu's events run, never the button's click, and the button comes up
  // showing blue and its name.
  display->Click(centreOf(2));
  Pump();
  EXPECT_EQ(colourMenu->PopupWindow(), nullptr);
  EXPECT_EQ(colourMenu->ItemIndex, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"hide", "蓝色", "item", "change"}));
  EXPECT_FALSE(picker->Down());
  EXPECT_FALSE(picker->MenuTracked());
  const TPoint at = picker->ClientOrigin();
  const auto after = skinned_test_form::Shot(display, TRect{at.X, at.Y, at.X + picker->Width(), at.Y + picker->Height()});
  const auto countOf = [&](TColor C) {
    const auto want = static_cast<std::uint32_t>(GetRValue(C)) << 16 | GetGValue(C) << 8 | GetBValue(C);
    return std::count_if(after.begin(), after.end(), [&](std::uint32_t P) { return (P & 0xFFFFFF) == want; });
  };
  EXPECT_GE(countOf(colours[2]), 12 * 12);
  EXPECT_EQ(countOf(colours[0]), 0);
  // A menu freed before its button leaves the button without one.
  delete plainMenu;
  EXPECT_EQ(plain->SkinImagesMenu(), nullptr);
  plain->Repaint();
  forms.clear();
  Pump();
  skinned_test_form::CompareWithExpected(pixels, W, H, SKIN_EXPECTED_DIR, "main_skin_images_menu_buttons");
}

// The menu buttons a tool bar makes for track mode: at any width only the strip at the right
// edge opens the menu, and the rest clicks.
TEST_F(SkinnedMenusTest, TrackModeMenuButtonsOpenTheirMenuFromTheRightEdgeAtAnyWidth) {
  TScopedTestClock clock;
  TvlSkinData tools(nullptr);
  vlLoadFixtureSkin(&tools, TvlSkinArtKind::Tools);
  TvlVelmora* skinner = MakeSkinnedForm(420, 200, "工具按钮");
  TCustomForm* form = skinner->Form();
  auto* menu = new TvlSkinPopupMenu(form);
  Item(menu->Items(), "添加文件");
  form->Show();
  Pump();
  const struct {
    TvlSkinData* skin;
    const char* element;
    int width;
  } cases[] = {{&skin, "toolmenutrackbutton", 46},    {&skin, "toolmenutrackbutton", 90},
               {&tools, "toolmenutrackbutton", 120},  {&skin, "bigtoolmenutrackbutton", 100},
               {&tools, "bigtoolmenutrackbutton", 64}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.element << " " << c.width);
    auto* b = new TvlSkinMenuSpeedButton(form);
    b->SetParent(form);
    b->SkinDataName = c.element;
    b->SetTrackButtonMode(true);
    b->UseSkinSize = false;
    b->SetCaption("添加");
    b->SetSkinPopupMenu(menu);
    b->SetSkinData(c.skin);
    b->SetBounds(10, 10, c.width, 30);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    Pump();
    EXPECT_EQ(b->Width(), c.width);
    // Left of the strip: an ordinary click.
    display->Click(b->ClientToScreen(TPoint{c.width - 20, b->Height() / 2}));
    Pump();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->MenuTracked());
    // In the strip: the menu.
    display->Click(b->ClientToScreen(TPoint{c.width - 5, b->Height() / 2}));
    Pump();
    EXPECT_TRUE(b->MenuTracked());
    EXPECT_EQ(clicks, 1);
    skinner->SkinMenu->Hide();
    Pump();
    delete b;
  }
}

// The main menu bar in skin 1 with one item's menu open, and below it a narrow form in the
// built-in look whose last items hide behind the overflow marker, one item hovered.
TEST_F(SkinnedMenusTest, MainMenuBarsMatchTheExpectedPicture) {
  TScopedTestClock clock;
  constexpr int W = 560, H = 330;
  const auto build = [&](TvlVelmora* skinner, TvlSkinData* skinData) {
    TCustomForm* form = skinner->Form();
    auto* menu = new TvlSkinMainMenu(form);
    for (const char* c : {"文件(&F)", "任务(&T)", "转换(&C)", "工具(&O)", "帮助(&H)"}) Item(menu->Items(), c);
    for (const char* c : {"添加文件...", "添加文件夹...", "-", "退出"}) Item(menu->Items()->Items(0), c);
    for (const char* c : {"开始转换", "暂停", "停止"}) Item(menu->Items()->Items(2), c);
    menu->Items()->Items(2)->Items(1)->SetEnabled(false);
    auto* bar = new TvlSkinMainMenuBar(form);
    bar->SetParent(form);
    bar->SetSkinData(skinData);
    bar->SetVelmora(skinner);
    bar->SetMainMenu(menu);
    skinner->SetMainMenuBar(bar);
    form->Show();
    Pump();
    return bar;
  };
  TvlVelmora* skinned = MakeSkinnedForm(W, 200, "视频格式转换");
  app.SetMainForm(skinned->Form());
  TvlSkinMainMenuBar* bar = build(skinned, &skin);
  TvlVelmora* plain = MakeSkinnedForm(250, 110, "内置外观");
  plain->SetSkinData(nullptr);
  plain->Form()->SetBounds(0, 215, 250, 110);
  TvlSkinMainMenuBar* plainBar = build(plain, nullptr);
  ASSERT_TRUE(plainBar->Scroll);
  const TRect open = bar->ObjectList[2]->ObjectRect;
  display->Click(bar->ClientToScreen(TPoint{open.Left + 5, open.Top + 5}));
  Pump();
  ASSERT_EQ(skinned->SkinMenu->LevelCount(), 1);
  const TRect hovered = plainBar->ObjectList[1]->ObjectRect;
  display->MouseMove(plainBar->ClientToScreen(TPoint{hovered.Left + 5, hovered.Top + 5}));
  for (int i = 0; i < 3; ++i) {
    clock.Advance(50);
    Pump();
  }
  const auto pixels = skinned_test_form::Shot(display, TRect{0, 0, W, H});
  skinned->SkinMenu->Hide();
  forms.clear();
  Pump();
  skinned_test_form::CompareWithExpected(pixels, W, H, SKIN_EXPECTED_DIR, "main_skin_menu_bar");
}

// A bar whose skin is freed draws its built-in look from then on.
TEST_F(SkinnedMenusTest, AMainMenuBarOutlivesItsSkin) {
  auto own = std::make_unique<TvlSkinData>(nullptr);
  vlLoadFixtureSkin(own.get(), TvlSkinArtKind::Main);
  TvlVelmora* skinner = MakeSkinnedForm(400, 200, "视频格式转换");
  TCustomForm* form = skinner->Form();
  auto* menu = new TvlSkinMainMenu(form);
  for (const char* c : {"文件(&F)", "转换(&C)"}) Item(menu->Items(), c);
  auto* bar = new TvlSkinMainMenuBar(form);
  bar->SetParent(form);
  bar->SetSkinData(own.get());
  bar->SetVelmora(skinner);
  bar->SetMainMenu(menu);
  form->Show();
  Pump();
  ASSERT_TRUE(bar->FSkinSupport);
  own.reset();
  EXPECT_EQ(bar->SkinData(), nullptr);
  bar->Repaint();
  Pump();
  EXPECT_FALSE(bar->FSkinSupport);
  ASSERT_EQ(bar->ObjectList.size(), 2u);
  EXPECT_FALSE(dynamic_cast<TvlSkinMainMenuBarItem*>(bar->ObjectList[0].get())->FSkinSupport);
}

}  // namespace
