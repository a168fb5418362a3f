// The list box: LB_FINDSTRING's wrapping search, selection by mouse and keys with its events,
// scrolling by messages with the range readable from outside and an erase each time,
// owner-drawn items with their states, and several columns.

#include "platform/controls/ListBox.h"

#include "platform/windowing/ScrollBars.h"
#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"

namespace {

class ListBoxTest : public FormWorld {
 protected:
  void SetUp() override {
    FormWorld::SetUp();
    form = MakeForm(Bounds(100, 100, 300, 200));
    form->Show();
    list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 150, 100);
    list->SetItemHeight(16);
    list->OnClick = [this](TObject* s) {
      EXPECT_EQ(s, list);
      events.push_back("click " + std::to_string(list->ItemIndex()));
    };
    list->AddWindowProcHook([this](TMessage& m, const TWndMethod& next) {
      if (m.Msg == WM_ERASEBKGND) ++erases;
      next(m);
    });
    Pump();
  }
  void Fill(int n) {
    for (int i = 0; i < n; ++i) list->Items()->Add("item " + std::to_string(i));
    Pump();
  }
  TPoint ItemPoint(int i) {
    TRect r = list->ItemRect(i);
    return list->ClientToScreen({r.Left + 5, r.Top + r.Height() / 2});
  }
  void ClickWith(int i, WORD modifier = 0) {
    if (modifier) display->KeyDown(modifier);
    display->Click(ItemPoint(i));
    if (modifier) display->KeyUp(modifier);
    Pump();
  }
  TForm* form = nullptr;
  TListBox* list = nullptr;
  std::vector<std::string> events;
  int erases = 0;
};

TEST_F(ListBoxTest, FindStringIsACaseInsensitivePrefixSearchThatWraps) {
  for (const char* s : {"apple", "Banana", "apricot", "cherry", "APPLE pie"}) list->Items()->Add(s);
  HWND h = list->Handle();
  struct Case {
    int after;
    const char* prefix;
    LRESULT want;
  } cases[] = {
      {-1, "ap", 0}, {0, "ap", 2}, {2, "ap", 4}, {4, "ap", 0},  // wraps past the end
      {1, "b", 1},                                             // wraps round to the start item itself
      {-1, "APPLE P", 4}, {-1, "z", LB_ERR}, {99, "ch", 3},    // an index beyond the items searches all
      {-1, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.prefix) + " after " + std::to_string(c.after));
    EXPECT_EQ(SendMessage(h, LB_FINDSTRING, static_cast<WPARAM>(c.after), reinterpret_cast<LPARAM>(c.prefix)), c.want);
  }
  list->Items()->Clear();
  EXPECT_EQ(SendMessage(h, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("a")), LB_ERR);
}

TEST_F(ListBoxTest, SingleSelectionByMouseKeysAndCode) {
  Fill(10);
  TWatchdog dog("single selection");
  list->SetFocus();
  struct Step {
    const char* what;
    std::function<void()> run;
    int itemIndex;
    std::vector<std::string> events;
  } steps[] = {
      {"click an item", [&] { ClickWith(2); }, 2, {"click 2"}},
      {"click it again: no change", [&] { ClickWith(2); }, 2, {}},
      {"down arrow", [&] { display->KeyDown(VK_DOWN); display->KeyUp(VK_DOWN); Pump(); }, 3, {"click 3"}},
      {"end key scrolls the last into view", [&] { display->KeyDown(VK_END); display->KeyUp(VK_END); Pump(); }, 9, {"click 9"}},
      {"LB_SETCURSEL by code is silent", [&] { SendMessage(list->Handle(), LB_SETCURSEL, 1, 0); }, 1, {}},
      {"ItemIndex -1 clears", [&] { list->SetItemIndex(-1); }, -1, {}},
  };
  for (Step& s : steps) {
    SCOPED_TRACE(s.what);
    events.clear();
    s.run();
    EXPECT_EQ(list->ItemIndex(), s.itemIndex);
    EXPECT_EQ(events, s.events);
    EXPECT_EQ(SendMessage(list->Handle(), LB_GETCURSEL, 0, 0), s.itemIndex);
  }
  EXPECT_EQ(list->TopIndex(), 1) << "the last SETCURSEL scrolled item 1 back into view";
  EXPECT_THROW((void)list->Selected(10), EListError);
}

TEST_F(ListBoxTest, ExtendedSelectionWithShiftAndCtrl) {
  list->SetMultiSelect(true);
  Fill(8);
  TWatchdog dog("extended selection");
  struct Step {
    const char* what;
    int item;
    WORD modifier;
    std::vector<int> selected;
  } steps[] = {
      {"click selects one", 1, 0, {1}},
      {"shift+click selects the range from the anchor", 4, VK_SHIFT, {1, 2, 3, 4}},
      {"ctrl+click toggles one off", 2, VK_CONTROL, {1, 3, 4}},
      {"plain click selects only it", 5, 0, {5}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    ClickWith(s.item, s.modifier);
    std::vector<int> got;
    for (int i = 0; i < list->Items()->Count(); ++i) {
      if (list->Selected(i)) got.push_back(i);
    }
    EXPECT_EQ(got, s.selected);
    EXPECT_EQ(list->SelCount(), static_cast<int>(s.selected.size()));
    EXPECT_EQ(list->ItemIndex(), s.item) << "the focused item";
  }
}

TEST_F(ListBoxTest, ScrollRangeFollowsItemsAndMessagesScrollWithAnErase) {
  Fill(50);
  HWND h = list->Handle();
  const int rows = list->ClientHeight() / 16;
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &si));
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 49);
  EXPECT_EQ(si.nPage, static_cast<UINT>(rows));
  struct Case {
    const char* what;
    WPARAM w;
    int top;
  } cases[] = {
      {"line down", SB_LINEDOWN, 1},
      {"page down", SB_PAGEDOWN, 1 + rows},
      {"line up", SB_LINEUP, rows},
      {"thumb position", MAKELPARAM(SB_THUMBPOSITION, 30), 30},
      {"bottom", SB_BOTTOM, 50 - rows},
      {"line down at the bottom stays", SB_LINEDOWN, 50 - rows},
      {"top", SB_TOP, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    erases = 0;
    SendMessage(h, WM_VSCROLL, c.w, 0);
    Pump();
    EXPECT_EQ(list->TopIndex(), c.top);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), c.top);
    EXPECT_EQ(SendMessage(h, LB_GETTOPINDEX, 0, 0), c.top);
    EXPECT_GE(erases, 1) << "every scroll repaints with an erase";
  }
  SendMessage(h, LB_SETTOPINDEX, 10, 0);
  TRect r;
  ASSERT_EQ(SendMessage(h, LB_GETITEMRECT, 12, reinterpret_cast<LPARAM>(&r)), 1);
  EXPECT_EQ(r, Bounds(0, 32, list->ClientWidth(), 16));
  EXPECT_EQ(list->ItemAtPos({5, 33}, true), 12);
  EXPECT_EQ(SendMessage(h, LB_GETITEMRECT, 50, reinterpret_cast<LPARAM>(&r)), LB_ERR);

  list->Items()->Clear();
  Pump();
  EXPECT_FALSE(GetWindowLongPtr(h, GWL_STYLE) & WS_VSCROLL) << "nothing to scroll: no bar";
  EXPECT_EQ(list->ItemAtPos({5, 5}, true), -1);
  EXPECT_EQ(list->ItemAtPos({5, 5}, false), 0);
}

TEST_F(ListBoxTest, OwnerDrawnItemsGetTheirStates) {
  list->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
  Fill(4);
  std::map<int, TOwnerDrawState> drawn;
  list->OnDrawItem = [&](TWinControl* c, int i, TRect r, TOwnerDrawState st) {
    EXPECT_EQ(c, list);
    EXPECT_EQ(r, list->ItemRect(i));
    drawn[i] = st;
  };
  list->SetFocus();
  list->SetItemIndex(2);
  list->Invalidate();
  Pump();
  ASSERT_EQ(drawn.size(), 4u);
  EXPECT_EQ(drawn[2], (TOwnerDrawState{TOwnerDrawStateFlag::odSelected, TOwnerDrawStateFlag::odFocused}));
  EXPECT_EQ(drawn[1], TOwnerDrawState{});
}

TEST_F(ListBoxTest, ColumnsScrollHorizontallyByColumns) {
  list->SetColumns(2);
  Fill(30);
  HWND h = list->Handle();
  const int rows = list->ClientHeight() / 16;
  const int columns = (30 + rows - 1) / rows;
  int mn = -1, mx = -1;
  ASSERT_TRUE(GetScrollRange(h, SB_HORZ, &mn, &mx));
  EXPECT_EQ(mx, columns - 1);
  SCROLLINFO si;
  si.fMask = SIF_PAGE;
  GetScrollInfo(h, SB_HORZ, &si);
  EXPECT_EQ(si.nPage, 2u);
  EXPECT_EQ(list->ItemRect(rows), Bounds(list->ClientWidth() / 2, 0, list->ClientWidth() / 2, 16)) << "second column";
  SendMessage(h, WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(list->TopIndex(), rows);
  EXPECT_EQ(GetScrollPos(h, SB_HORZ), 1);
  SendMessage(h, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(list->TopIndex(), rows) << "the vertical request is not a multi-column list's";
}

}  // namespace
