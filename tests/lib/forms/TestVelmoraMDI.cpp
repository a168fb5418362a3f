// The skinned MDI family: tile by columns from the bottom right, cascade by caption steps, the
// client area left by aligned controls, the whole-family commands, the window menu, children
// maximized and minimized inside the client area with the parent told, the hooked client window,
// the maximized child's caption buttons on the main menu bar, and drop-downs closed by input on
// the parent.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Window.h"
#include "tests/lib/ClockedFormWorld.h"
#include "tests/lib/FixtureSkin.h"

namespace {

class VelmoraMDITest : public ClockedFormWorld {
 protected:
  // A built-in-look MDI parent as the main form, with Count built-in-look children shown.
  TvlVelmora* Parent(int Count, TRect r = TRect{0, 0, 640, 480}) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetFormStyle(TFormStyle::fsMDIForm);
    f->SetBorderStyle(TFormBorderStyle::bsSizeable);
    f->SetBoundsRect(r);
    f->SetCaption("转换任务");
    forms.emplace_back(f);
    auto* v = new TvlVelmora(f);
    windowMenu = new TMenuItem(f);
    windowMenu->SetCaption("窗口");
    f->SetWindowMenu(windowMenu);
    app.SetMainForm(f);
    f->Show();
    Run();
    for (int i = 0; i < Count; ++i) {
      auto* child = CreateForm<TForm>(nullptr);
      child->SetFormStyle(TFormStyle::fsMDIChild);
      child->SetBorderStyle(TFormBorderStyle::bsSizeable);
      child->SetBounds(10, 10, 200, 150);
      child->SetName("Child" + std::to_string(i));
      child->SetCaption("任务" + std::to_string(i));
      forms.emplace_back(child);
      new TvlVelmora(child);
      child->Show();
      children.push_back(child);
    }
    Run();
    return v;
  }

  void TearDown() override {
    app.SetMainForm(nullptr);
    ClockedFormWorld::TearDown();
  }

  // The window menu's items as "caption" or "caption*" for the checked one.
  [[nodiscard]] std::vector<std::string> MenuItems() const {
    std::vector<std::string> out;
    for (int i = 0; i < windowMenu->Count(); ++i)
      out.push_back(windowMenu->Items(i)->Caption() + (windowMenu->Items(i)->Checked() ? "*" : ""));
    return out;
  }

  // A top item of Menu.
  static void TopItem(TMenu* Menu, const char* Caption, BYTE Group = 0) {
    auto* i = new TMenuItem(Menu);
    i->SetCaption(Caption);
    i->SetGroupIndex(Group);
    Menu->Items()->Add(i);
  }

  // The parent's main menu bar over Menu.
  TvlSkinMainMenuBar* AddMenuBar(TvlVelmora* V, TvlSkinMainMenu* Menu) {
    auto* bar = new TvlSkinMainMenuBar(V->Form());
    bar->SetParent(V->Form());
    bar->SetVelmora(V);
    bar->SetMainMenu(Menu);
    V->SetMainMenuBar(bar);
    Run();
    return bar;
  }

  std::vector<TForm*> children;
  TMenuItem* windowMenu = nullptr;
};

TEST_F(VelmoraMDITest, TileWithFiveChildrenMakesTwoColumnsOfThreeAndTwo) {
  TvlVelmora* v = Parent(5);
  const TRect area = TvlVelmora::GetMDIClientArea();
  const int w = area.Width(), h = area.Height();
  ASSERT_GT(w, 0);
  v->Tile();
  // Right column: children 4, 3, 2 from the bottom; left column: 1, 0. Rows are laid from the
  // bottom, so a height that does not divide leaves its remainder at the top.
  const int r3 = h / 3, r2 = h / 2, x = w - w / 2;
  const TRect expected[] = {
      {0, h - 2 * r2, w / 2, h - r2},
      {0, h - r2, w / 2, h},
      {x, h - 3 * r3, w, h - 2 * r3},
      {x, h - 2 * r3, w, h - r3},
      {x, h - r3, w, h},
  };
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(children[static_cast<std::size_t>(i)]->BoundsRect(), expected[i]);
  }
}

TEST_F(VelmoraMDITest, CascadeStepsByTheCaptionFromTheLastChild) {
  TvlVelmora* v = Parent(3);
  const TRect area = TvlVelmora::GetMDIClientArea();
  const int w = area.Width(), h = area.Height();
  const int s = v->DefCaptionHeight() + 3;
  const int d = (w - static_cast<int>(std::lround(w * 0.8))) / s;
  ASSERT_GT(d, 3) << "the case where the count limits the steps";
  v->Cascade();
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const int o = (2 - i) * s;
    EXPECT_EQ(children[static_cast<std::size_t>(i)]->BoundsRect(), (TRect{o, o, o + w - 2 * s, o + h - 2 * s}));
  }
}

TEST_F(VelmoraMDITest, ClientAreaLeavesOutAlignedControls) {
  Parent(0);
  TForm* main = forms.front().get();
  auto* top = new TPanel(main);
  top->SetParent(main);
  top->SetHeight(30);
  top->SetAlign(TAlign::alTop);
  auto* left = new TPanel(main);
  left->SetParent(main);
  left->SetWidth(50);
  left->SetAlign(TAlign::alLeft);
  auto* hidden = new TPanel(main);
  hidden->SetParent(main);
  hidden->SetAlign(TAlign::alBottom);
  hidden->Hide();
  EXPECT_EQ(TvlVelmora::GetMDIClientArea(), (TRect{50, 30, main->ClientWidth(), main->ClientHeight()}));
}

TEST_F(VelmoraMDITest, StateCommandsReachEveryChildAndCloseAllEmptiesTheParent) {
  TvlVelmora* v = Parent(3);
  v->MinimizeAll();
  for (TForm* c : children) EXPECT_EQ(vlFindSkinForm(c)->WindowState(), TWindowState::wsMinimized);
  v->MaximizeAll();
  for (TForm* c : children) EXPECT_EQ(vlFindSkinForm(c)->WindowState(), TWindowState::wsMaximized);
  EXPECT_NE(vlFindMaximizedMDIChildSkinForm(), nullptr);
  v->RestoreAll();
  for (TForm* c : children) EXPECT_EQ(vlFindSkinForm(c)->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(vlFindMaximizedMDIChildSkinForm(), nullptr);
  EXPECT_EQ(vlFindActiveMDIChildSkinForm(), vlFindSkinForm(v->Form()->ActiveMDIChild()));
  for (TForm* c : children) c->OnClose = [](TObject*, TCloseAction& a) { a = TCloseAction::caHide; };
  v->CloseAll();
  Run();
  for (TForm* c : children) EXPECT_FALSE(c->Visible());
}

TEST_F(VelmoraMDITest, WindowMenuListsShownChildrenAndFollowsThem) {
  Parent(3);
  EXPECT_EQ(MenuItems(), (std::vector<std::string>{"任务0", "任务1", "任务2*"}));
  EXPECT_EQ(windowMenu->Items(0)->Name(), "Child0_VMRCHILDITEM");
  children[1]->SetCaption("预览");
  Run();
  EXPECT_EQ(windowMenu->Items(1)->Caption(), "预览");
  windowMenu->Items(0)->Click();
  Run();
  EXPECT_EQ(forms.front()->ActiveMDIChild(), children[0]);
  EXPECT_EQ(MenuItems(), (std::vector<std::string>{"任务0*", "预览", "任务2"}));
  for (TForm* c : children) c->Hide();
  Run();
  EXPECT_EQ(windowMenu->Count(), 0) << "the last child takes every child item with it";
}

TEST_F(VelmoraMDITest, AMaximizedChildFillsTheClientAreaAndTheParentKnows) {
  TvlVelmora* v = Parent(2);
  TForm* main = forms.front().get();
  TvlVelmora* child = vlFindSkinForm(children[1]);
  child->SetWindowState(TWindowState::wsMaximized);
  Run();
  const TRect area = TvlVelmora::GetMDIClientArea();
  EXPECT_EQ(children[1]->BoundsRect(), (TRect{0, 0, area.Width(), area.Height()}));
  EXPECT_TRUE(v->FMDIChildMaximized);
  EXPECT_EQ(v->FindMaximizedMDIChild(), children[1]);
  EXPECT_EQ(v->DefaultCaptionText(), "转换任务 - [任务1]");

  // The client area shrinks under a new aligned panel: the maximized child follows.
  auto* top = new TPanel(main);
  top->SetParent(main);
  top->SetHeight(40);
  top->SetAlign(TAlign::alTop);
  Run();
  const TRect smaller = TvlVelmora::GetMDIClientArea();
  EXPECT_EQ(children[1]->Height(), smaller.Height());

  child->SetWindowState(TWindowState::wsNormal);
  Run();
  EXPECT_FALSE(v->FMDIChildMaximized);
  EXPECT_EQ(children[1]->BoundsRect(), (TRect{10, 10, 210, 160}));

  // A maximized child that goes away tells the parent too.
  child->SetWindowState(TWindowState::wsMaximized);
  Run();
  ASSERT_TRUE(v->FMDIChildMaximized);
  forms.pop_back();
  children.pop_back();
  Run();
  EXPECT_FALSE(v->FMDIChildMaximized);
}

TEST_F(VelmoraMDITest, MinimizedChildrenLineUpAtTheBottomOfTheClientArea) {
  TvlVelmora* v = Parent(3);
  for (TForm* c : children) vlFindSkinForm(c)->SetWindowState(TWindowState::wsMinimized);
  Run();
  const TRect area = TvlVelmora::GetMDIClientArea();
  const int w = v->GetMinWidth(), h = vlFindSkinForm(children[0])->GetMinHeight();
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const TForm* c = children[static_cast<std::size_t>(i)];
    EXPECT_EQ((TPoint{c->Left(), c->Top()}), (TPoint{i * w, area.Height() - h}));
  }
  // The client area grows: the row follows its bottom.
  forms.front()->SetHeight(forms.front()->Height() + 50);
  Run();
  EXPECT_EQ(children[0]->Top(), TvlVelmora::GetMDIClientArea().Height() - h);
}

TEST_F(VelmoraMDITest, TheClientWindowIsHookedOnceAndPaintsTheParentsBackground) {
  TvlVelmora* v = Parent(0);
  TForm* main = forms.front().get();
  HWND client = main->ClientHandle();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(v->HookedMDIClient(), client);
  const LONG_PTR hooked = GetWindowLongPtr(client, GWLP_WNDPROC);
  main->Hide();
  main->Show();
  Run();
  EXPECT_EQ(GetWindowLongPtr(client, GWLP_WNDPROC), hooked) << "hooked once";

  // The edge is neither kept nor painted; activation answers 1.
  TRect r{0, 0, 100, 100};
  EXPECT_EQ(SendMessage(client, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&r)), 0);
  EXPECT_EQ(r, (TRect{0, 0, 100, 100}));
  EXPECT_EQ(SendMessage(client, WM_NCACTIVATE, 0, 0), 1);
  // Without a skin the background is the application workspace colour.
  const TRect area = TvlVelmora::GetMDIClientArea();
  const TPoint inside = main->ClientToScreen(TPoint{area.Left + 20, area.Top + 20});
  EXPECT_EQ(ScreenAt(inside), ColorToRGB(clAppWorkSpace));

  // Freed while the form lives on: the client gets its own procedure back.
  delete v;
  EXPECT_NE(GetWindowLongPtr(client, GWLP_WNDPROC), hooked);
  RedrawWindow(client, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE);
  EXPECT_EQ(ScreenAt(inside), ColorToRGB(clAppWorkSpace));
}

TEST_F(VelmoraMDITest, AChildSnapsToTheClientAreasEdges) {
  Parent(1);
  TvlVelmora* child = vlFindSkinForm(children[0]);
  child->Magnetic = true;
  TForm* main = forms.front().get();
  const TRect area = TvlVelmora::GetMDIClientArea();
  const TPoint origin = main->ClientToScreen(TPoint{area.Left, area.Top});
  // Moving 3 pixels right of the client area's left edge (screen coordinates).
  TRect moving{origin.X + 3, origin.Y + 40, origin.X + 3 + children[0]->Width(), origin.Y + 40 + children[0]->Height()};
  SendMessage(children[0]->Handle(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&moving));
  EXPECT_EQ(moving.Left, origin.X);
  EXPECT_EQ(moving.Top, origin.Y + 40);
}

TEST_F(VelmoraMDITest, TheMenuBarShowsTheMaximizedChildsButtonsAndTheyActOnIt) {
  TvlVelmora* v = Parent(2);
  TForm* main = forms.front().get();
  auto* menu = new TvlSkinMainMenu(main);
  TopItem(menu, "文件");
  TvlSkinMainMenuBar* bar = AddMenuBar(v, menu);
  TvlVelmora* child = vlFindSkinForm(children[1]);
  child->SetBorderIcons(TvlBorderIcons{TvlBorderIcon::biSystemMenu, TvlBorderIcon::biMaximize});
  child->SetWindowState(TWindowState::wsMaximized);
  Run();
  ASSERT_TRUE(bar->ChildButtonsShown());
  ASSERT_EQ(bar->ButtonsCount, 4);
  // System menu at the left end, then close, restore and minimize inward from the right end.
  const TvlStdCommand order[] = {TvlStdCommand::cmSysMenu, TvlStdCommand::cmClose, TvlStdCommand::cmMaximize,
                                 TvlStdCommand::cmMinimize};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(dynamic_cast<TvlSkinMainMenuBarButton*>(bar->ObjectList[static_cast<std::size_t>(i)].get())->Command,
              order[i]);
  bar->Layout();
  const int h = bar->NewItemsRect.Height();
  EXPECT_EQ(bar->ChildButton(TvlStdCommand::cmSysMenu)->ObjectRect.Left, 2);
  EXPECT_EQ(bar->ChildButton(TvlStdCommand::cmClose)->ObjectRect.Right, bar->Width() - 2);
  EXPECT_EQ(bar->ChildButton(TvlStdCommand::cmMaximize)->ObjectRect.Right, bar->Width() - 2 - h - 2);
  EXPECT_FALSE(bar->ChildButton(TvlStdCommand::cmMinimize)->Enabled) << "the child cannot minimize";
  EXPECT_TRUE(bar->ChildButton(TvlStdCommand::cmClose)->Enabled);
  // The menu item follows the system-menu button.
  auto* item = dynamic_cast<TvlSkinMainMenuBarItem*>(bar->ObjectList[4].get());
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->ObjectRect.Left, 2 + h + 2);

  // A click on the restore button restores the child; the buttons go with it.
  const auto click = [&](TvlStdCommand c) {
    bar->Layout();
    const TRect r = bar->ChildButton(c)->ObjectRect;
    const TPoint p = bar->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    display->MouseMove(p);
    display->MouseDown(p);
    display->MouseUp(p);
    Run();
  };
  click(TvlStdCommand::cmMaximize);
  EXPECT_EQ(child->WindowState(), TWindowState::wsNormal);
  EXPECT_FALSE(bar->ChildButtonsShown());
  EXPECT_EQ(bar->ButtonsCount, 0);
  EXPECT_EQ(bar->ObjectList.size(), 1u);

  // The close button closes the maximized child.
  child->SetWindowState(TWindowState::wsMaximized);
  Run();
  children[1]->OnClose = [](TObject*, TCloseAction& a) { a = TCloseAction::caHide; };
  click(TvlStdCommand::cmClose);
  EXPECT_FALSE(children[1]->Visible());

  // The system-menu button opens the child's system menu at once and stays down until it closes.
  TvlVelmora* first = vlFindSkinForm(children[0]);
  first->SetWindowState(TWindowState::wsMaximized);
  Run();
  bar->Layout();
  const TRect sr = bar->ChildButton(TvlStdCommand::cmSysMenu)->ObjectRect;
  const TPoint sp = bar->ClientToScreen(TPoint{(sr.Left + sr.Right) / 2, (sr.Top + sr.Bottom) / 2});
  display->MouseMove(sp);
  display->MouseDown(sp);
  Run();
  ASSERT_EQ(v->SkinMenu->LevelCount(), 1);
  EXPECT_TRUE(bar->ChildButton(TvlStdCommand::cmSysMenu)->FDown);
  v->SkinMenu->Hide();
  display->MouseUp(sp);
  Run();
  EXPECT_FALSE(bar->ChildButton(TvlStdCommand::cmSysMenu)->FDown);
  // A double click on it closes the child.
  children[0]->OnClose = [](TObject*, TCloseAction& a) { a = TCloseAction::caHide; };
  bar->ChildButton(TvlStdCommand::cmSysMenu)->DblClick();
  Run();
  EXPECT_FALSE(children[0]->Visible());
  EXPECT_EQ(v->SkinMenu->LevelCount(), 0);
}

TEST_F(VelmoraMDITest, InputOnTheParentClosesTheDropDownsOfItsShownEnabledComboBoxes) {
  Parent(0);
  TForm* main = forms.front().get();
  struct Combo {
    bool visible, enabled;
    int cancels = 0;
  };
  Combo combos[] = {{true, true}, {false, true}, {true, false}};
  for (Combo& c : combos) {
    auto* box = new TvlSkinComboBox(main);
    box->SetParent(main);
    box->SetVisible(c.visible);
    box->SetEnabled(c.enabled);
    box->AddWindowProcHook([&c](TMessage& M, const TWndMethod& Next) {
      if (M.Msg == CM_CANCELMODE) ++c.cancels;
      Next(M);
    });
  }
  SendMessage(main->Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(300, 300));
  EXPECT_EQ(combos[0].cancels, 1);
  EXPECT_EQ(combos[1].cancels, 0) << "hidden";
  EXPECT_EQ(combos[2].cancels, 0) << "disabled";
}

TEST_F(VelmoraMDITest, ASkinOnTheParentRefitsMaximizedAndReplacesMinimizedChildren) {
  TvlVelmora* v = Parent(2);
  TvlVelmora* big = vlFindSkinForm(children[0]);
  TvlVelmora* small = vlFindSkinForm(children[1]);
  big->SetWindowState(TWindowState::wsMaximized);
  small->SetWindowState(TWindowState::wsMinimized);
  Run();
  const TRect before = TvlVelmora::GetMDIClientArea();
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  v->SetSkinData(&skin);
  Run();
  const TRect after = TvlVelmora::GetMDIClientArea();
  ASSERT_NE(after.Height(), before.Height()) << "the skinned frame changes the client area";
  EXPECT_EQ(children[0]->BoundsRect(), (TRect{0, 0, after.Width(), after.Height()}));
  EXPECT_EQ(children[1]->Top(), after.Height() - children[1]->Height());
  v->SetSkinData(nullptr);
  Run();
}

TEST_F(VelmoraMDITest, TheMenuBarMergesTheActiveChildsMenuAndFollowsTheSwitch) {
  TvlVelmora* v = Parent(2);
  TForm* main = forms.front().get();
  auto* menu = new TvlSkinMainMenu(main);
  TopItem(menu, "文件", 0);
  TopItem(menu, "编辑", 1);
  TopItem(menu, "帮助", 9);
  TopItem(new TMainMenu(children[1]), "片段", 1);
  TvlSkinMainMenuBar* bar = AddMenuBar(v, menu);
  const auto captions = [&] {
    std::vector<std::string> out;
    for (auto& o : bar->ObjectList)
      if (auto* i = dynamic_cast<TvlSkinMainMenuBarItem*>(o.get())) out.push_back(i->MenuItem()->Caption());
    return out;
  };
  ASSERT_EQ(main->ActiveMDIChild(), children[1]);
  EXPECT_EQ(captions(), (std::vector<std::string>{"文件", "片段", "帮助"}));
  TvlVelmora::ShowMDIChild(children[0]);
  Run();
  EXPECT_EQ(captions(), (std::vector<std::string>{"文件", "编辑", "帮助"}));
}

}  // namespace
