// Skinned popup menus on a form skinner: where levels open inside the work area, the submenu
// wait, the order of the opener's messages around a command, keys and the wheel while a menu is
// open, closing on outside input, scrolling, the release of levels after their handlers, rows of
// every kind, the row morph, and the skin look with broken pictures.

#include "lib/menus/vlSkinMenus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "lib/forms/Velmora.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/WindowTree.h"
#include "tests/lib/ClockedFormWorld.h"

namespace {

// A control that writes down what reaches it: the menu's messages to its opener, keys, the wheel
// and presses.
class TRecorder : public TCustomControl {
 public:
  TRecorder(TComponent* AOwner, std::vector<std::string>& Log) : TCustomControl(AOwner), log_(Log) {}

 protected:
  void WndProc(TMessage& M) override {
    switch (M.Msg) {
      case WM_vlSkinMenuClosed: log_.push_back("closed"); break;
      case WM_vlSkinMenuCommandDone: log_.push_back("done"); break;
      case WM_KEYDOWN: log_.push_back("key"); break;
      case WM_MOUSEWHEEL: log_.push_back("wheel"); break;
      case WM_LBUTTONDOWN: log_.push_back("press"); break;
      default: break;
    }
    TCustomControl::WndProc(M);
  }

 private:
  std::vector<std::string>& log_;
};

class SkinMenusTest : public ClockedFormWorld {
 protected:

  // A skinned form at 0, 0 (the built-in look unless a skin is given), active, with a focused
  // recording control.
  TvlVelmora* MakeSkinnedForm(TvlSkinData* skinData = nullptr) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBoundsRect(TRect{0, 0, 400, 300});
    forms.emplace_back(f);
    auto* skinner = new TvlVelmora(f);
    skinner->SetSkinData(skinData);
    recorder = new TRecorder(f, log);
    recorder->SetParent(f);
    recorder->SetBounds(20, 20, 200, 100);
    f->Show();
    recorder->SetFocus();
    Run();
    return skinner;
  }

  static TMenuItem* Item(TMenuItem* Parent, const std::string& Caption) {
    auto* i = new TMenuItem(Parent);
    i->SetCaption(Caption);
    Parent->Add(i);
    return i;
  }

  // "打开", a separator, "画质" with four radio items, "删除(&D)": 20 + 4 + 20 + 20 rows.
  TvlSkinPopupMenu* MakeMenu(TCustomForm* owner) {
    auto* menu = new TvlSkinPopupMenu(owner);
    Item(menu->Items(), "打开")->OnClick = [this](TObject*) { log.push_back("click"); };
    Item(menu->Items(), "-");
    TMenuItem* quality = Item(menu->Items(), "画质");
    quality->OnClick = [this](TObject*) { log.push_back("quality"); };
    for (const char* q : {"低", "中", "高", "原画"}) Item(quality, q)->SetRadioItem(true);
    Item(menu->Items(), "删除(&D)")->OnClick = [this](TObject*) { log.push_back("delete"); };
    return menu;
  }

  static TPoint RowCentre(TvlSkinPopupWindow* level, int row) {
    const TRect r = level->ItemList[static_cast<std::size_t>(row)]->ObjectRect;
    return TPoint{level->Left() + r.Left + r.Width() / 2, level->Top() + r.Top + r.Height() / 2};
  }
  // The pointer rests on a row until the level's mouse tracking has seen it.
  void Hover(TvlSkinPopupWindow* level, int row) {
    display->MouseMove(RowCentre(level, row));
    Wait(50);
  }

  std::vector<std::string> log;
  TRecorder* recorder = nullptr;
};

TEST_F(SkinMenusTest, LevelsOpenAtTheirPointAndStayInsideTheWorkArea) {
  TvlVelmora* skinner = MakeSkinnedForm();
  TvlSkinPopupMenu* small = MakeMenu(skinner->Form());
  auto* tall = new TvlSkinPopupMenu(skinner->Form());
  for (int i = 0; i < 14; ++i) Item(tall->Items(), "项目 " + std::to_string(i));
  TvlSkinMenu* chain = skinner->SkinMenu;

  // The work area is 800 x 560; the small menu is 68 pixels high, the tall one 284.
  const struct {
    const char* name;
    TvlSkinPopupMenu* menu;
    TPoint at;
    int left;        // the level's left edge, or its right edge with alignRight
    bool alignRight;
    int top;
  } cases[] = {
      {"room below", small, {100, 100}, 100, false, 100},
      {"lower half, no room below: opens above", small, {100, 540}, 100, false, 540 - 68},
      {"upper half, no room below: ends at the bottom, beside", tall, {100, 279}, 101, false, 560 - 284},
      {"right edge: moved in", small, {790, 100}, 800, true, 100},
      {"left of the work area: moved in", small, {-50, 100}, 0, false, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.menu->Popup(c.at.X, c.at.Y);
    ASSERT_EQ(chain->LevelCount(), 1);
    TvlSkinPopupWindow* level = chain->Level(0);
    EXPECT_EQ(level->Height(), c.menu == small ? 68 : 284);
    EXPECT_EQ(level->Top(), c.top);
    EXPECT_EQ(c.alignRight ? level->Left() + level->Width() : level->Left(), c.left);
    EXPECT_TRUE(IsWindowVisible(level->Handle()));
    chain->Hide();
  }

  // A submenu of a row near the right edge opens to the left of its row, first rows level.
  small->Popup(800 - 120, 200);
  TvlSkinPopupWindow* root = chain->Level(0);
  root->ItemList[2]->MouseDown(0, 0);
  ASSERT_EQ(chain->LevelCount(), 2);
  TvlSkinPopupWindow* sub = chain->Level(1);
  const TRect row = root->ItemList[2]->ObjectRect;
  EXPECT_EQ(sub->Left() + sub->Width(), root->Left() + row.Left - 1);
  EXPECT_EQ(sub->Top(), root->Top() + row.Top - sub->NewItemsRect.Top);
  chain->Hide();
}

TEST_F(SkinMenusTest, ASubmenuOpensAfterHalfASecondOfHoverAndRunsItsParentsClick) {
  TvlVelmora* skinner = MakeSkinnedForm();
  TvlSkinPopupMenu* menu = MakeMenu(skinner->Form());
  TvlSkinMenu* chain = skinner->SkinMenu;
  menu->Popup(100, 100);
  TvlSkinPopupWindow* root = chain->Level(0);

  // Resting on the parent row for less than the wait and moving on opens nothing.
  Hover(root, 2);
  Wait(400);
  Hover(root, 3);
  Wait(600);
  EXPECT_EQ(chain->LevelCount(), 1);
  EXPECT_TRUE(log.empty());

  // Resting on it opens the submenu at 500 ms, running the parent's OnClick.
  Hover(root, 2);
  Wait(490);
  EXPECT_EQ(chain->LevelCount(), 1);
  Wait(10);
  ASSERT_EQ(chain->LevelCount(), 2);
  EXPECT_EQ(log, std::vector<std::string>{"quality"});
  EXPECT_TRUE(root->ItemList[2]->Down);
  EXPECT_EQ(chain->Level(1)->ItemList.size(), 4u);
  chain->Hide();
}

TEST_F(SkinMenusTest, AClickClosesTheMenuTellsTheOpenerThenRunsTheCommand) {
  TvlVelmora* skinner = MakeSkinnedForm();
  skinner->OnSkinMenuClose = [this](TObject*) { log.push_back("form"); };
  TvlSkinPopupMenu* menu = MakeMenu(skinner->Form());
  menu->OnMenuClose = [this](TObject*) { log.push_back("menu close"); };
  menu->Popup2(recorder, 300, 100);
  TvlSkinMenu* chain = skinner->SkinMenu;
  ASSERT_EQ(chain->LevelCount(), 1);
  EXPECT_TRUE(skinner->InMenu);
  TvlSkinPopupWindow* root = chain->Level(0);
  HWND level = root->Handle();

  display->Click(RowCentre(root, 0));
  Run();
  const std::vector<std::string> expected{"closed", "menu close", "form", "click", "done"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(chain->LevelCount(), 0);
  EXPECT_FALSE(skinner->InMenu);
  // The level that handled the click was hidden at once and freed after its handler.
  EXPECT_FALSE(IsWindow(level));

  // Opening a second menu while one is open tells the first opener and runs its close event;
  // the second opener hears of its own menu only when that one closes.
  log.clear();
  std::vector<std::string> secondLog;
  auto* second = new TRecorder(skinner->Form(), secondLog);
  second->SetParent(skinner->Form());
  second->SetBounds(20, 150, 100, 40);
  menu->Popup2(recorder, 300, 100);
  menu->OnMenuClose = nullptr;
  menu->Popup2(second, 300, 100);
  // The form leaves its menu mode first, then the first chain closes.
  EXPECT_EQ(log, (std::vector<std::string>{"form", "closed", "menu close"}));
  EXPECT_TRUE(secondLog.empty());
  chain->Hide();
  EXPECT_EQ(secondLog, std::vector<std::string>{"closed"});
}

TEST_F(SkinMenusTest, ACommandThatFreesTheFormEndsSafely) {
  TvlVelmora* skinner = MakeSkinnedForm();
  auto* menu = new TvlSkinPopupMenu(skinner->Form());
  Item(menu->Items(), "关闭窗口")->OnClick = [this](TObject*) {
    log.push_back("click");
    forms.clear();  // the form, its skinner, its chain and the opener go
  };
  menu->Popup2(recorder, 100, 100);
  TvlSkinPopupWindow* root = skinner->SkinMenu->Level(0);
  display->Click(RowCentre(root, 0));
  Run();
  EXPECT_EQ(log, (std::vector<std::string>{"closed", "click"}));
  EXPECT_TRUE(forms.empty());
  EXPECT_FALSE(app.HasMessageHook(skinner));
}

TEST_F(SkinMenusTest, KeysAndTheWheelReachOnlyTheOpenMenu) {
  TvlVelmora* skinner = MakeSkinnedForm();
  TvlSkinPopupMenu* menu = MakeMenu(skinner->Form());
  TvlSkinMenu* chain = skinner->SkinMenu;
  bool otherHookRan = false;
  const int otherKey = 0;
  menu->Popup(300, 100);
  // A hook added while the menu is open stays when the menu's own goes.
  app.AddMessageHook([&](MSG&, bool&) { otherHookRan = true; }, &otherKey);
  TvlSkinPopupWindow* root = chain->Level(0);
  EXPECT_EQ(root->ActiveItem, 0);  // the first row is highlighted as by the keyboard

  display->KeyDown(VK_DOWN);  // over the separator
  display->Wheel(RowCentre(root, 0), -120);
  Run();
  EXPECT_EQ(root->ActiveItem, 2);
  EXPECT_TRUE(log.empty()) << "the focused control saw the key or the wheel";

  display->KeyDown(VK_RIGHT);  // opens the submenu, highlighting its first row
  Run();
  ASSERT_EQ(chain->LevelCount(), 2);
  EXPECT_EQ(chain->Level(1)->ActiveItem, 0);
  display->KeyDown(VK_ESCAPE);  // closes one level and releases the parent row
  Run();
  EXPECT_EQ(chain->LevelCount(), 1);
  EXPECT_FALSE(root->ItemList[2]->Down);
  EXPECT_TRUE(skinner->InMenu);

  display->KeyDown(VK_DOWN);
  display->KeyDown(VK_DOWN);  // past the last row back to the first
  Run();
  EXPECT_EQ(root->ActiveItem, 0);
  display->KeyDown('D');  // the accelerator runs its row
  Run();
  EXPECT_EQ(log, (std::vector<std::string>{"quality", "delete"}));
  EXPECT_EQ(chain->LevelCount(), 0);
  EXPECT_FALSE(skinner->InMenu);
  EXPECT_FALSE(app.HasMessageHook(skinner));
  EXPECT_TRUE(app.HasMessageHook(&otherKey));

  // Escape on the root level ends the menu mode; keys and the wheel reach the control again.
  log.clear();
  menu->Popup(300, 100);
  display->KeyDown(VK_ESCAPE);
  Run();
  EXPECT_EQ(chain->LevelCount(), 0);
  EXPECT_FALSE(skinner->InMenu);
  display->KeyDown(VK_DOWN);
  display->Wheel({100, 100}, -120);
  Run();
  EXPECT_EQ(log, (std::vector<std::string>{"key", "wheel"}));
  EXPECT_TRUE(otherHookRan);
  app.RemoveMessageHook(&otherKey);
}

TEST_F(SkinMenusTest, APressOutsideClosesTheMenuAndStillArrives) {
  TvlVelmora* skinner = MakeSkinnedForm();
  TvlSkinPopupMenu* menu = MakeMenu(skinner->Form());
  menu->Popup(300, 150);
  ASSERT_TRUE(skinner->SkinMenu->FVisible);
  display->Click({60, 60});  // on the recording control, a child of the form
  Run();
  EXPECT_FALSE(skinner->SkinMenu->FVisible);
  EXPECT_FALSE(skinner->InMenu);
  EXPECT_EQ(log, std::vector<std::string>{"press"});
}

TEST_F(SkinMenusTest, ALevelScrollsByItsItemLimitOrTheWorkArea) {
  TvlVelmora* skinner = MakeSkinnedForm();
  skinner->SetMaxMenuItemsInWindow(5);
  auto* menu = new TvlSkinPopupMenu(skinner->Form());
  for (int i = 0; i < 8; ++i) Item(menu->Items(), "第 " + std::to_string(i + 1) + " 项");
  TvlSkinMenu* chain = skinner->SkinMenu;
  menu->Popup(100, 100);
  TvlSkinPopupWindow* level = chain->Level(0);
  // Five rows of 20, the frame of 4 and the two 10-pixel markers.
  EXPECT_EQ(level->Height(), 5 * 20 + 4 + 20);
  EXPECT_TRUE(level->Scroll);
  EXPECT_TRUE(level->Scroll2);
  EXPECT_EQ(level->VisibleCount, 5);
  EXPECT_FALSE(level->ItemList[5]->FVisible);

  // Resting on the lower marker scrolls one row every 100 ms until the last row shows.
  display->MouseMove({level->Left() + 40, level->Top() + level->Height() - 6});
  Wait(50);
  EXPECT_EQ(level->ScrollCode, 2);
  Wait(100);
  EXPECT_EQ(level->VisibleStartIndex, 1);
  Wait(500);
  EXPECT_EQ(level->VisibleStartIndex, 3);
  EXPECT_EQ(level->ScrollCode, 0);
  EXPECT_TRUE(level->ItemList[7]->FVisible);
  EXPECT_FALSE(level->ItemList[0]->FVisible);
  chain->Hide();

  // A menu taller than the work area opens at its top, beside the point, and scrolls.
  skinner->SetMaxMenuItemsInWindow(0);
  for (int i = 8; i < 40; ++i) Item(menu->Items(), "第 " + std::to_string(i + 1) + " 项");
  menu->Popup(100, 300);
  level = chain->Level(0);
  EXPECT_EQ(level->Height(), 560);
  EXPECT_EQ(level->Top(), 0);
  EXPECT_EQ(level->Left(), 101);
  EXPECT_TRUE(level->Scroll);
  EXPECT_FALSE(level->Scroll2);
  chain->Hide();
}

TEST_F(SkinMenusTest, RowsOfEveryKindDrawTheirOwnLook) {
  TvlVelmora* skinner = MakeSkinnedForm();
  auto* menu = new TvlSkinPopupMenu(skinner->Form());
  auto* images = new TImageList(skinner->Form());
  images->SetSize(16, 16);
  TBitmap red;
  red.SetPixelFormat(TPixelFormat::pf32bit);
  red.SetSize(16, 16);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(TRect{0, 0, 16, 16});
  images->Add(&red, nullptr);
  menu->SetImages(images);
  Item(menu->Items(), "-视频-")->SetEnabled(false);  // a header
  Item(menu->Items(), "-音频-");                     // the same caption enabled: an ordinary row
  TMenuItem* ticked = Item(menu->Items(), "截图");
  ticked->SetImageIndex(0);
  ticked->SetChecked(true);
  Item(menu->Items(), "关闭")->SetName("VMR_CLOSE");
  TObject* sender = nullptr;
  Item(menu->Items(), "自绘")->OnDrawItem = [&](TObject* s, TCanvas*, const TRect&, bool) { sender = s; };
  menu->Popup(100, 100);
  TvlSkinPopupWindow* level = skinner->SkinMenu->Level(0);

  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(level->Width(), level->Height());
  for (const auto& row : level->ItemList) row->Draw(b.Canvas());
  const auto at = [&](int row, int x, int y) {
    const TRect r = level->ItemList[static_cast<std::size_t>(row)]->ObjectRect;
    return b.Canvas()->Pixels(r.Left + x, r.Top + y);
  };
  const int glyphColumn = level->GlyphWidth;  // image width + 5
  EXPECT_EQ(glyphColumn, 21);
  EXPECT_EQ(ColorToRGB(at(0, 1, 1)), ColorToRGB(clBtnShadow)) << "the header fills its row";
  // The enabled dash row is an ordinary row: the first one that can be chosen, so highlighted.
  EXPECT_EQ(ColorToRGB(at(1, glyphColumn + 1, 1)), RGB(182, 189, 210));
  // The ticked row shows its image framed one pixel outside.
  const TRect r = level->ItemList[2]->ObjectRect;
  const int imageTop = 2 + (r.Height() - 4 - 16) / 2;
  EXPECT_EQ(ColorToRGB(at(2, 4 + 8, imageTop + 8)), ColorToRGB(clRed));
  EXPECT_EQ(ColorToRGB(at(2, 3, imageTop - 1)), ColorToRGB(clWindowText));
  // The close row shows the close glyph though it is not ticked.
  bool ink = false;
  for (int y = 4; y < 16; ++y)
    for (int x = 2; x < 14; ++x) ink = ink || ColorToRGB(at(3, x, y)) == ColorToRGB(clWindowText);
  EXPECT_TRUE(ink);
  EXPECT_EQ(dynamic_cast<TvlSkinMenuItem*>(sender), level->ItemList[4].get());
  skinner->SkinMenu->Hide();
}

TEST_F(SkinMenusTest, RowsMorphInFiveTicksOnTheClockAndTheTimerStops) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin, fixture_skin::Variant::Standard, fixture_skin::kMenusAndHints);
  TvlVelmora* skinner = MakeSkinnedForm(&skin);
  TvlSkinPopupMenu* menu = MakeMenu(skinner->Form());
  menu->Popup(100, 100);
  TvlSkinPopupWindow* level = skinner->SkinMenu->Level(0);
  ASSERT_NE(level->PW, nullptr);
  ASSERT_NE(level->DSMI, nullptr);
  EXPECT_EQ(level->ItemList[0]->Parent, level);
  // The first row, highlighted as by the keyboard, climbs to its active look.
  TvlSkinMenuItem* first = level->ItemList[0].get();
  TvlSkinMenuItem* last = level->ItemList[3].get();
  for (double expected : {0.2, 0.4, 0.6, 0.8, 1.0}) {
    Wait(20, 20);
    EXPECT_DOUBLE_EQ(first->FMorphKf, expected);
  }
  Wait(20, 20);
  EXPECT_FALSE(level->MorphTimer->Enabled());

  // The pointer moves to the last row: the first falls back as the last climbs, five ticks each.
  display->MouseMove(RowCentre(level, 3));
  Wait(50, 50);
  for (int tick = 0; tick < 4; ++tick) Wait(20, 20);
  EXPECT_DOUBLE_EQ(first->FMorphKf, 0.2);
  EXPECT_DOUBLE_EQ(last->FMorphKf, 0.8);
  Wait(20, 20);
  EXPECT_DOUBLE_EQ(first->FMorphKf, 0.0);
  EXPECT_DOUBLE_EQ(last->FMorphKf, 1.0);
  Wait(40, 20);
  EXPECT_FALSE(level->MorphTimer->Enabled());
  skinner->SkinMenu->Hide();
}

TEST_F(SkinMenusTest, APictureIndexNamingNoPictureGivesTheBuiltInLook) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin, fixture_skin::Variant::Standard, fixture_skin::kMenusAndHints);
  TvlVelmora* skinner = MakeSkinnedForm(&skin);
  TvlSkinPopupMenu* menu = MakeMenu(skinner->Form());
  TvlSkinMenu* chain = skinner->SkinMenu;
  auto* rows = dynamic_cast<TvlDataSkinMenuItem*>(skin.ObjectList[static_cast<std::size_t>(skin.GetIndex("menuitem"))].get());
  ASSERT_NE(rows, nullptr);
  const TRect rowRect = rows->SkinRect;

  // A menu-item picture that does not exist: built-in rows inside the skin's frame; the shared
  // description stays as loaded.
  rows->ActivePictureIndex = 99;
  menu->Popup(100, 100);
  EXPECT_NE(chain->Level(0)->PW, nullptr);
  EXPECT_EQ(chain->Level(0)->DSMI, nullptr);
  EXPECT_EQ(chain->Level(0)->ItemList[0]->ObjectRect.Height(), 20);
  EXPECT_EQ(rows->SkinRect, rowRect);
  chain->Hide();

  // A window picture that does not exist: the whole level is built in.
  skin.PopupWindow->WindowPictureIndex = 99;
  menu->Popup(100, 100);
  EXPECT_EQ(chain->Level(0)->PW, nullptr);
  EXPECT_EQ(chain->Level(0)->Height(), 68);
  chain->Hide();
}

TEST_F(SkinMenusTest, AMenuWithoutSkinTakesTheFormsMenuSkin) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin, fixture_skin::Variant::Standard, fixture_skin::kMenusAndHints);
  TvlVelmora* skinner = MakeSkinnedForm();
  skinner->SetMenusSkinData(&skin);
  TvlSkinPopupMenu* menu = MakeMenu(skinner->Form());
  menu->Popup(100, 100);
  EXPECT_EQ(menu->SkinData(), &skin);
  EXPECT_NE(skinner->SkinMenu->Level(0)->PW, nullptr);
  skinner->SkinMenu->Hide();

  // A menu on a form without a form skinner shows nothing, but its OnPopup runs.
  TForm* plain = MakeForm(TRect{500, 0, 600, 100});
  auto* orphan = new TvlSkinPopupMenu(plain);
  Item(orphan->Items(), "项目");
  bool popped = false;
  orphan->OnPopup = [&](TObject*) { popped = true; };
  orphan->Popup(10, 10);
  EXPECT_TRUE(popped);
  EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);
}

TEST(SkinMenuGlyphs, ShapesAndTheCloseMessages) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(10, 10);
  const auto column = [&](int x) {
    int n = 0;
    for (int y = 0; y < 10; ++y) n += b.Canvas()->Pixels(x, y) == clBlack ? 1 : 0;
    return n;
  };
  b.Canvas()->Brush()->SetColor(clWhite);
  b.Canvas()->FillRect(TRect{0, 0, 10, 10});
  DrawMenuArrowGlyph(b.Canvas(), 1, 1, clBlack);
  EXPECT_EQ((std::vector<int>{column(0), column(1), column(2), column(3), column(4), column(5)}),
            (std::vector<int>{0, 7, 5, 3, 1, 0}));
  b.Canvas()->FillRect(TRect{0, 0, 10, 10});
  DrawMenuCheckGlyph(b.Canvas(), 1, 1, clBlack);
  EXPECT_EQ((std::vector<int>{column(1), column(2), column(3), column(7), column(8)}),
            (std::vector<int>{3, 3, 3, 3, 0}));

  const UINT closing[] = {WM_MOVE,          WM_SIZE,          WM_ACTIVATE,      WM_KILLFOCUS,   WM_CANCELMODE,
                          WM_MOUSEACTIVATE, WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN, WM_LBUTTONDOWN,
                          WM_RBUTTONDOWN,   WM_MBUTTONDOWN,   WM_PARENTNOTIFY};
  for (UINT m : closing) EXPECT_TRUE(IsMenuCloseMessage(m)) << m;
  for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_KEYDOWN, WM_PAINT, WM_SETFOCUS, WM_vlSkinMenuClosed})
    EXPECT_FALSE(IsMenuCloseMessage(m)) << m;
}

}  // namespace
