// Tab control and page control on the headless display: tab geometry on each side through the
// tab messages, change events with a veto, an overflowing row scrolled by its up-down, rows of
// a multi-line control, and pages following their tabs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"
#include "platform/controls/TabControl.h"

namespace {

class TabControlTest : public FormWorld {
 protected:
  TTabControl* MakeTabs(TForm* form, int count) {
    auto* tc = new TTabControl(form);
    tc->SetBounds(0, 0, 300, 200);
    tc->SetParent(form);
    for (int i = 0; i < count; ++i) tc->Tabs()->Add("Tab " + std::to_string(i));
    tc->Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(60, 20));
    return tc;
  }
  static TRect ItemRect(TCustomTabControl* tc, int i) {
    TRect r;
    EXPECT_TRUE(tc->Perform(TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)));
    return r;
  }
};

TEST_F(TabControlTest, TabsSitOnEachSideAndAnswerTheirMessages) {
  struct Case {
    TTabPosition side;
    TRect tab1;
    TRect display;
  };
  const Case cases[] = {
      {TTabPosition::tpTop, {60, 0, 120, 20}, {2, 22, 298, 198}},
      {TTabPosition::tpBottom, {60, 180, 120, 200}, {2, 2, 298, 178}},
      {TTabPosition::tpLeft, {0, 60, 20, 120}, {22, 2, 298, 198}},
      {TTabPosition::tpRight, {280, 60, 300, 120}, {2, 2, 278, 198}},
  };
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  TTabControl* tc = MakeTabs(form, 3);
  form->Show();
  Pump();
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.side));
    tc->SetTabPosition(c.side);
    EXPECT_EQ(ItemRect(tc, 1), c.tab1);
    TRect r = tc->ClientRect();
    tc->Perform(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r, c.display);
    tc->Perform(TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r, tc->ClientRect());
    TCHITTESTINFO hit;
    hit.pt = {(c.tab1.Left + c.tab1.Right) / 2, (c.tab1.Top + c.tab1.Bottom) / 2};
    EXPECT_EQ(tc->Perform(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    EXPECT_EQ(hit.flags, TCHT_ONITEM);
    hit.pt = {150, 100};
    EXPECT_EQ(tc->Perform(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_EQ(hit.flags, TCHT_NOWHERE);
  }
  EXPECT_EQ(tc->Perform(TCM_GETITEMCOUNT, 0, 0), 3);
}

TEST_F(TabControlTest, ClicksAskOnChangingAndMessagesChangeQuietly) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  TTabControl* tc = MakeTabs(form, 3);
  std::vector<std::string> events;
  bool refuse = false;
  tc->OnChanging = [&](TObject*, bool& allow) {
    events.push_back("changing " + std::to_string(tc->TabIndex()));
    allow = !refuse;
  };
  tc->OnChange = [&](TObject*) { events.push_back("change " + std::to_string(tc->TabIndex())); };
  form->Show();
  Pump();
  EXPECT_EQ(tc->TabIndex(), 0);
  display->Click({150, 10});
  Pump();
  EXPECT_EQ(events, (std::vector<std::string>{"changing 0", "change 2"}));
  refuse = true;
  display->Click({90, 10});
  Pump();
  EXPECT_EQ(tc->TabIndex(), 2);
  EXPECT_EQ(tc->Perform(TCM_SETCURSEL, 1, 0), 2);
  EXPECT_EQ(tc->TabIndex(), 1);
  EXPECT_EQ(tc->Perform(TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(events, (std::vector<std::string>{"changing 0", "change 2", "changing 2"}));
}

TEST_F(TabControlTest, AnOverflowingRowScrollsThroughItsUpDownAndMultiLineWraps) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  TTabControl* tc = MakeTabs(form, 10);
  form->Show();
  Pump();
  HWND scroller = tc->ScrollerHandle();
  ASSERT_NE(scroller, nullptr);
  EXPECT_EQ(GetClassName(scroller), "msctls_updown32");
  SendMessage(tc->Handle(), WM_HSCROLL, MAKELPARAM(SB_THUMBPOSITION, 3), reinterpret_cast<LPARAM>(scroller));
  EXPECT_EQ(tc->FirstVisibleTab(), 3);
  EXPECT_EQ(ItemRect(tc, 3).Left, 0);
  EXPECT_TRUE(ItemRect(tc, 1).IsEmpty());

  tc->SetMultiLine(true);
  EXPECT_EQ(tc->ScrollerHandle(), nullptr);
  EXPECT_EQ(ItemRect(tc, 4), (TRect{240, 0, 300, 20}));
  EXPECT_EQ(ItemRect(tc, 5), (TRect{0, 20, 60, 40}));
  EXPECT_EQ(tc->DisplayRect().Top, 42);
}

TEST_F(TabControlTest, PagesFollowTheirTabs) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  auto* pc = new TPageControl(form);
  pc->SetBounds(0, 0, 300, 200);
  pc->SetParent(form);
  std::vector<TTabSheet*> sheets;
  for (const char* caption : {"General", "Audio", "Video"}) {
    auto* sheet = new TTabSheet(form);
    sheet->SetCaption(caption);
    sheet->SetPageControl(pc);
    sheets.push_back(sheet);
  }
  pc->Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(60, 20));
  form->Show();
  Pump();
  EXPECT_EQ(pc->PageCount(), 3);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  EXPECT_EQ(sheets[0]->BoundsRect(), pc->DisplayRect());
  EXPECT_TRUE(sheets[0]->Visible());
  EXPECT_FALSE(sheets[1]->Visible());

  sheets[1]->SetTabVisible(false);
  EXPECT_EQ(pc->Tabs()->Count(), 2);
  EXPECT_EQ(sheets[2]->TabIndex(), 1);
  display->Click({90, 10});  // the second tab: "Video"
  Pump();
  EXPECT_EQ(pc->ActivePage(), sheets[2]);
  EXPECT_TRUE(sheets[2]->Visible());
  EXPECT_FALSE(sheets[0]->Visible());

  pc->SetActivePageIndex(0);
  EXPECT_EQ(pc->TabIndex(), 0);
  delete sheets[0];  // the next sheet with a tab takes over
  EXPECT_EQ(pc->ActivePage(), sheets[2]);
  EXPECT_EQ(pc->Tabs()->Count(), 1);
}

}  // namespace
