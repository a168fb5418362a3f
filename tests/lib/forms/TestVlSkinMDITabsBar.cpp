// The MDI tabs bar on a skinned MDI main form: one tab per shown child that follows the child's
// caption and activation, the layout at several widths, switching by a press, closing by a tab's
// close button, reordering by dragging, the hide list of the tabs that do not fit, and a child
// kept out of the bar by its skinner.

#include "lib/forms/vlSkinMDITabsBar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "tests/lib/ClockedFormWorld.h"

namespace {

class MDITabsBarTest : public ClockedFormWorld {
 protected:
  // A built-in-look MDI main form 640 wide with a tabs bar of BarWidth at the top and Count
  // children shown, named ChildN and captioned "任务N".
  void Build(int Count, int BarWidth = 515) {
    main = CreateForm<TForm>(nullptr);
    main->SetFormStyle(TFormStyle::fsMDIForm);
    main->SetBoundsRect(TRect{0, 0, 640, 480});
    forms.emplace_back(main);
    mainSkinner = new TvlVelmora(main);
    windowMenu = new TMenuItem(main);
    main->SetWindowMenu(windowMenu);
    bar = new TvlSkinMDITabsBar(main);
    bar->SetParent(main);
    bar->SetBounds(0, 0, BarWidth, 21);
    bar->SetVelmora(mainSkinner);
    mainSkinner->SetMDITabsBar(bar);
    app.SetMainForm(main);
    main->Show();
    Run();
    for (int i = 0; i < Count; ++i) AddChild(i);
    Run();
  }

  TForm* AddChild(int I, bool Accept = true) {
    auto* child = CreateForm<TForm>(nullptr);
    child->SetFormStyle(TFormStyle::fsMDIChild);
    child->SetBounds(10, 10, 200, 150);
    child->SetName("Child" + std::to_string(I));
    child->SetCaption("任务" + std::to_string(I));
    forms.emplace_back(child);
    auto* v = new TvlVelmora(child);
    if (!Accept) v->OnAcceptToMDITabsBar = [](bool& accept) { accept = false; };
    child->Show();
    children.push_back(child);
    return child;
  }

  void TearDown() override {
    app.SetMainForm(nullptr);
    ClockedFormWorld::TearDown();
  }

  // The tabs' captions in bar order, the active one marked "*".
  [[nodiscard]] std::vector<std::string> Tabs() const {
    std::vector<std::string> out;
    for (int i = 0; i < bar->TabCount(); ++i)
      out.push_back(bar->Tabs(i)->Child()->Caption() + (bar->Tabs(i)->Active ? "*" : ""));
    return out;
  }

  // The screen point of a tab's middle, or of its close button's middle.
  [[nodiscard]] TPoint TabCentre(int I) {
    bar->LayoutTabs();
    const TRect r = bar->Tabs(I)->ObjectRect;
    return bar->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  [[nodiscard]] TPoint CloseCentre(int I) {
    Run();  // painted: the button's place is known
    const TvlMDITab* t = bar->Tabs(I);
    const TRect b = t->ButtonRect;
    return bar->ClientToScreen(
        TPoint{t->ObjectRect.Left + (b.Left + b.Right) / 2, t->ObjectRect.Top + (b.Top + b.Bottom) / 2});
  }

  void Press(TPoint P) {
    display->MouseMove(P);
    display->MouseDown(P);
    Run();
  }
  void Release(TPoint P) {
    display->MouseMove(P);
    display->MouseUp(P);
    Run();
  }

  TForm* main = nullptr;
  TvlVelmora* mainSkinner = nullptr;
  TMenuItem* windowMenu = nullptr;
  TvlSkinMDITabsBar* bar = nullptr;
  std::vector<TForm*> children;
};

TEST_F(MDITabsBarTest, TabsAreLaidOutFromTheListButtonAtEveryWidth) {
  struct Case {
    int barWidth, minTabWidth;
    std::vector<TRect> rects;  // of the visible tabs
    int hidden;
  };
  const Case cases[] = {
      // Room for the default width: 100 each from x = 15.
      {515, 0, {{15, 0, 115, 21}, {115, 0, 215, 21}, {215, 0, 315, 21}, {315, 0, 415, 21}, {415, 0, 515, 21}}, 0},
      // Narrower: (300 - 15) div 5 = 57 each, the last one reaching the right edge.
      {300, 0, {{15, 0, 72, 21}, {72, 0, 129, 21}, {129, 0, 186, 21}, {186, 0, 243, 21}, {243, 0, 300, 21}}, 0},
      // A minimum of 80: (300 - 30) div 80 = 3 tabs show, 2 do not.
      {300, 80, {{15, 0, 95, 21}, {95, 0, 175, 21}, {175, 0, 255, 21}}, 2},
  };
  Build(5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.barWidth * 1000 + c.minTabWidth);
    bar->SetWidth(c.barWidth);
    bar->SetMinTabWidth(c.minTabWidth);
    Run();
    std::vector<TRect> shown;
    for (int i = 0; i < bar->TabCount(); ++i)
      if (bar->Tabs(i)->Visible) shown.push_back(bar->Tabs(i)->ObjectRect);
    EXPECT_EQ(shown, c.rects);
    EXPECT_EQ(bar->InVisibleCount(), c.hidden);
    EXPECT_EQ(bar->HideListButton() != nullptr, c.hidden > 0);
  }
  // The hide list names exactly the tabs that did not fit, the list all of them.
  bar->RebuildHideListMenu();
  ASSERT_EQ(bar->HideListMenu()->Items()->Count(), 2);
  EXPECT_EQ(bar->HideListMenu()->Items()->Items(0)->Name(), "Child3_VMRCHILDITEMBARHIDE");
  EXPECT_EQ(bar->HideListMenu()->Items()->Items(1)->Caption(), "任务4");
  bar->RebuildListMenu();
  EXPECT_EQ(bar->ListMenu()->Items()->Count(), 5);
  // Choosing a hidden child from the list brings it to the front.
  bar->HideListMenu()->Items()->Items(0)->Click();
  Run();
  EXPECT_EQ(main->ActiveMDIChild(), children[3]);
  EXPECT_EQ(Tabs()[3], "任务3*");
}

TEST_F(MDITabsBarTest, TabsFollowTheChildrenAndAPressSwitchesToItsChild) {
  Build(3);
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"任务0", "任务1", "任务2*"}));
  ASSERT_NE(bar->ListButton(), nullptr) << "the list button comes with the first tab";

  Press(TabCentre(0));
  Release(TabCentre(0));
  EXPECT_EQ(main->ActiveMDIChild(), children[0]);
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"任务0*", "任务1", "任务2"}));
  EXPECT_EQ(windowMenu->Items(0)->Checked(), true) << "the window menu follows the switch";

  children[1]->SetCaption("预览");
  Run();
  EXPECT_EQ(Tabs()[1], "预览");

  // A minimized child is restored by its tab.
  vlFindSkinForm(children[1])->SetWindowState(TWindowState::wsMinimized);
  Press(TabCentre(1));
  Release(TabCentre(1));
  EXPECT_EQ(vlFindSkinForm(children[1])->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(main->ActiveMDIChild(), children[1]);

  children[2]->Hide();
  Run();
  EXPECT_EQ(bar->TabCount(), 2);
  children[0]->Hide();
  children[1]->Hide();
  Run();
  EXPECT_EQ(bar->TabCount(), 0);
  EXPECT_EQ(bar->ListButton(), nullptr) << "the list button goes with the last tab";
}

TEST_F(MDITabsBarTest, AChildRefusedByItsSkinnerStaysOutOfTheBarButNotOutOfTheWindowMenu) {
  Build(1);
  AddChild(1, /*Accept=*/false);
  Run();
  EXPECT_EQ(bar->TabCount(), 1);
  EXPECT_EQ(windowMenu->Count(), 2);
}

TEST_F(MDITabsBarTest, AFreedChildTakesItsTabWithIt) {
  Build(2);
  // Freed while shown: no hide message comes first.
  forms.pop_back();
  children.pop_back();
  Run();
  ASSERT_EQ(bar->TabCount(), 1);
  EXPECT_EQ(bar->Tabs(0)->Child(), children[0]);
}

TEST_F(MDITabsBarTest, ACloseButtonClosesItsChildOnlyWhenReleasedOnIt) {
  Build(3);
  bar->SetShowCloseButtons(true);
  for (TForm* c : children) c->OnClose = [](TObject*, TCloseAction& a) { a = TCloseAction::caHide; };
  Run();
  // Built in: a 14-pixel square at the right of the tab.
  EXPECT_EQ(bar->Tabs(1)->ButtonRect.Width(), 14);
  EXPECT_EQ(bar->Tabs(1)->ButtonRect.Height(), 14);

  // Released away from the button: nothing closes.
  Press(CloseCentre(1));
  EXPECT_TRUE(bar->Tabs(1)->ButtonMouseDown);
  Release(TabCentre(0));
  EXPECT_TRUE(children[1]->Visible());
  EXPECT_FALSE(bar->Tabs(1)->ButtonMouseDown);
  EXPECT_EQ(bar->TabCount(), 3);

  Press(CloseCentre(1));
  Release(CloseCentre(1));
  EXPECT_FALSE(children[1]->Visible());
  EXPECT_EQ(Tabs().size(), 2u);
  EXPECT_EQ(bar->Tabs(1)->Child(), children[2]);
}

TEST_F(MDITabsBarTest, DraggingATabPastTheNextTabsMiddleMovesItThere) {
  Build(3);
  std::vector<std::string> entered, pressed;
  bar->OnTabMouseUp = [&](TMouseButton, TShiftState, TvlMDITab* t) { pressed.push_back(t->Child()->Name()); };
  const TPoint start = TabCentre(0);
  Press(start);
  display->MouseMove(TPoint{start.X + 30, start.Y});
  Run();
  EXPECT_TRUE(bar->IsDrag);
  display->MouseMove(TPoint{start.X + 60, start.Y});  // the dragged right edge passes tab 1's middle
  Run();
  Release(TPoint{start.X + 60, start.Y});
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"任务1", "任务0*", "任务2"}));
  EXPECT_TRUE(pressed.empty()) << "a drag is no click";

  // Pressed and released in place: selected, never moved.
  Press(TabCentre(2));
  Release(TabCentre(2));
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"任务1", "任务0", "任务2*"}));
  EXPECT_EQ(pressed, (std::vector<std::string>{"Child2"}));

  // Dragged a little: the drop place is its own, nothing moves.
  const TPoint third = TabCentre(2);
  Press(third);
  display->MouseMove(TPoint{third.X - 20, third.Y});
  Run();
  Release(TPoint{third.X - 20, third.Y});
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"任务1", "任务0", "任务2*"}));
}

TEST_F(MDITabsBarTest, TheHoveredTabIsMarkedAndItsCloseButtonTurnsWhite) {
  Build(2);
  bar->SetShowCloseButtons(true);
  std::vector<std::string> events;
  bar->OnTabMouseEnter = [&](TvlMDITab* t) { events.push_back("enter " + t->Child()->Name()); };
  bar->OnTabMouseLeave = [&](TvlMDITab* t) { events.push_back("leave " + t->Child()->Name()); };
  display->MouseMove(TabCentre(0));
  Run();
  display->MouseMove(TabCentre(1));
  Run();
  EXPECT_EQ(events, (std::vector<std::string>{"enter Child0", "leave Child0", "enter Child1"}));
  EXPECT_TRUE(bar->Tabs(1)->MouseIn);

  // The glyph's middle pixel: black at rest, white under the pointer.
  const TPoint glyph = CloseCentre(0);
  const TPoint sample{glyph.X - 1, glyph.Y - 1};
  EXPECT_EQ(ScreenAt(sample), RGB(0, 0, 0));
  display->MouseMove(glyph);
  Run();
  EXPECT_TRUE(bar->Tabs(0)->ButtonMouseIn);
  EXPECT_EQ(ScreenAt(sample), RGB(255, 255, 255));
}

TEST_F(MDITabsBarTest, ARightClickOpensTheChildsSystemMenuThroughTheBarsSkinner) {
  Build(2);
  std::vector<std::string> downs;
  bar->OnTabMouseDown = [&](TMouseButton b, TShiftState, TvlMDITab* t) {
    downs.push_back((b == TMouseButton::mbRight ? "right " : "left ") + t->Child()->Name());
  };
  const TPoint p = TabCentre(0);
  display->MouseMove(p);
  display->MouseDown(p, detail::TMouseButton::Right);
  display->MouseUp(p, detail::TMouseButton::Right);
  Run();
  ASSERT_EQ(mainSkinner->SkinMenu->LevelCount(), 1);
  std::vector<std::string> rows;
  for (auto& r : mainSkinner->SkinMenu->Level(0)->ItemList) rows.push_back(r->MenuItem()->Caption());
  EXPECT_FALSE(rows.empty());
  EXPECT_EQ(rows.back(), vlFindSkinForm(children[0])->GetSystemMenuItems()->Items(
                             vlFindSkinForm(children[0])->GetSystemMenuItems()->Count() - 1)->Caption());
  EXPECT_EQ(downs, (std::vector<std::string>{"right Child0"}));
  EXPECT_EQ(main->ActiveMDIChild(), children[1]) << "a right click does not switch";
  mainSkinner->SkinMenu->Hide();

  // Without child menus the right click only reports.
  bar->SupportChildMenus = false;
  Wait(600, 100);  // past the double-click time
  display->MouseDown(p, detail::TMouseButton::Right);
  display->MouseUp(p, detail::TMouseButton::Right);
  Run();
  EXPECT_EQ(mainSkinner->SkinMenu->LevelCount(), 0);
  EXPECT_EQ(downs.size(), 2u);
}

}  // namespace
