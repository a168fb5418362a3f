// List view and its column header on the headless display: selection events in order (code,
// mouse, keys), type-to-find, owner data, a 600-row report's scroll ranges and scrolling, and the
// header's queries, divider drag and section click.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Header.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/ListView.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/ScrollBars.h"

namespace {

// Default font: 11 pixels high, so rows are 17 pixels and the header 20.
constexpr int kRow = 17;
constexpr int kHeader = 20;

class ListViewTest : public FormWorld {
 protected:
  // A report view at the form's corner (the form sits at the screen's corner), focused.
  TListView* MakeReport(TForm* form, const std::vector<std::string>& captions, int width = 300, int height = 200) {
    auto* lv = new TListView(form);
    lv->SetBounds(0, 0, width, height);
    lv->SetViewStyle(TViewStyle::vsReport);
    lv->SetParent(form);
    for (int i = 0; i < 2; ++i) lv->Columns()->Add()->SetWidth(100);
    lv->Items()->BeginUpdate();
    for (const auto& c : captions) {
      TListItem* item = lv->Items()->Add();
      item->SetCaption(c);
      item->SubItems()->Add(c + " detail");
    }
    lv->Items()->EndUpdate();
    return lv;
  }

  void Record(TListView* lv, std::vector<std::string>& events) {
    lv->OnChange = [&events](TObject*, TListItem* item, TItemChange change) {
      if (change == TItemChange::ctState) events.push_back("change " + std::to_string(item->Index()));
    };
    lv->OnSelectItem = [&events](TObject*, TListItem* item, bool selected) {
      events.push_back("select " + std::to_string(item->Index()) + (selected ? " on" : " off"));
    };
    lv->OnClick = [&events](TObject*) { events.push_back("click"); };
  }

  static TPoint RowPoint(int row) { return {30, kHeader + row * kRow + kRow / 2}; }
};

const std::vector<std::string> kFruit = {"apple", "banana", "blueberry", "cherry", "Bean", "date"};

TEST_F(ListViewTest, SelectionEventsComeInNativeOrder) {
  struct Case {
    const char* name;
    std::function<void(THeadlessDisplay*, TListView*)> act;
    std::vector<std::string> expected;
    int itemIndex;
  };
  const std::vector<Case> cases = {
      {"ItemIndex by code", [](THeadlessDisplay*, TListView* lv) { lv->SetItemIndex(3); },
       {"change 1", "select 1 off", "change 3", "select 3 on"}, 3},
      {"Selected on an item", [](THeadlessDisplay*, TListView* lv) { lv->Items()->Item(2)->SetSelected(true); },
       {"change 1", "select 1 off", "change 2", "select 2 on"}, 1},
      {"same item again is quiet", [](THeadlessDisplay*, TListView* lv) { lv->SetItemIndex(1); }, {}, 1},
      {"click on a row", [](THeadlessDisplay* t, TListView*) { t->Click(RowPoint(4)); },
       {"change 1", "select 1 off", "change 4", "select 4 on", "click"}, 4},
      {"click on empty space deselects", [](THeadlessDisplay* t, TListView*) { t->Click({30, 190}); },
       {"change 1", "select 1 off", "click"}, 1},
      {"click right of the caption column", [](THeadlessDisplay* t, TListView*) { t->Click({150, RowPoint(3).Y}); },
       {"change 1", "select 1 off", "click"}, 1},
      {"Down key", [](THeadlessDisplay* t, TListView*) { t->KeyDown(VK_DOWN); t->KeyUp(VK_DOWN); },
       {"change 1", "select 1 off", "change 2", "select 2 on"}, 2},
      {"End key", [](THeadlessDisplay* t, TListView*) { t->KeyDown(VK_END); t->KeyUp(VK_END); },
       {"change 1", "select 1 off", "change 5", "select 5 on"}, 5},
      {"Up at the top stays", [](THeadlessDisplay* t, TListView* lv) {
         lv->SetItemIndex(0);
         t->KeyDown(VK_UP);
         t->KeyUp(VK_UP);
       }, {"change 1", "select 1 off", "change 0", "select 0 on"}, 0},
  };
  TWatchdog watchdog("selection events");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm* form = MakeForm(Bounds(0, 0, 400, 300));
    TListView* lv = MakeReport(form, kFruit);
    form->Show();
    lv->SetFocus();
    lv->SetItemIndex(1);
    Pump();
    std::vector<std::string> events;
    Record(lv, events);
    c.act(display, lv);
    Pump();
    EXPECT_EQ(events, c.expected);
    EXPECT_EQ(lv->ItemIndex(), c.itemIndex);
    forms.clear();
  }
}

TEST_F(ListViewTest, RowSelectMakesTheWholeRowClickableAndCtrlClickAddsInMultiSelect) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  TListView* lv = MakeReport(form, kFruit);
  lv->SetRowSelect(true);
  lv->SetMultiSelect(true);
  form->Show();
  Pump();
  display->Click({150, RowPoint(2).Y});
  Pump();
  EXPECT_EQ(lv->ItemIndex(), 2);
  display->KeyDown(VK_CONTROL);
  Pump();
  display->Click({150, RowPoint(4).Y});
  Pump();
  display->KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(lv->SelCount(), 2);
  EXPECT_TRUE(lv->Items()->Item(2)->Selected());
  EXPECT_TRUE(lv->Items()->Item(4)->Selected());
  // Shift+Down extends from the anchor (the Ctrl-clicked item).
  display->KeyDown(VK_SHIFT);
  Pump();
  display->KeyDown(VK_DOWN);
  Pump();
  display->KeyUp(VK_DOWN);
  display->KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(lv->SelCount(), 2);
  EXPECT_TRUE(lv->Items()->Item(4)->Selected());
  EXPECT_TRUE(lv->Items()->Item(5)->Selected());
}

TEST_F(ListViewTest, TypingFindsItemsByPrefixAndWraps) {
  struct Case {
    const char* typed;
    int from;
    int expected;
  };
  const Case cases[] = {
      {"b", 0, 1},   // banana
      {"bb", 0, 2},  // the same letter again steps on: blueberry
      {"bbb", 0, 4}, // Bean (case ignored)
      {"bl", 0, 2},  // a longer prefix
      {"be", 0, 4},
      {"b", 4, 1},   // from the last "b" item wraps to the first
      {"ch", 5, 3},  // wraps past the end
      {"z", 2, 2},   // nothing matches: the selection stays
  };
  TWatchdog watchdog("type to find");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " from " + std::to_string(c.from));
    TForm* form = MakeForm(Bounds(0, 0, 400, 300));
    TListView* lv = MakeReport(form, kFruit);
    form->Show();
    lv->SetFocus();
    lv->SetItemIndex(c.from);
    Pump();
    for (const char* p = c.typed; *p != 0; ++p) display->Text(std::string(1, *p));
    Pump();
    EXPECT_EQ(lv->ItemIndex(), c.expected);
    forms.clear();
  }
}

TEST_F(ListViewTest, ItemEditsKeepSelectionAndOwnerDataFetchesOnDemand) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  TListView* lv = MakeReport(form, kFruit);
  lv->SetItemIndex(3);
  lv->Items()->Delete(1);
  EXPECT_EQ(lv->ItemIndex(), 2);
  ASSERT_NE(lv->Selected(), nullptr);
  EXPECT_EQ(lv->Selected()->Caption(), "cherry");
  lv->Items()->Insert(0)->SetCaption("first");
  EXPECT_EQ(lv->Selected()->Index(), 3);
  EXPECT_THROW((void)lv->Items()->Item(99), EListError);

  std::vector<int> fetched;
  lv->SetOwnerData(true);
  EXPECT_EQ(lv->Items()->Count(), 0);
  EXPECT_EQ(lv->Selected(), nullptr);
  lv->OnData = [&](TObject*, TListItem* item) {
    fetched.push_back(item->Index());
    item->SetCaption("Row " + std::to_string(item->Index()));
  };
  lv->Items()->SetCount(1000);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 1000);
  EXPECT_EQ(lv->Items()->Item(765)->Caption(), "Row 765");
  EXPECT_EQ(lv->FindCaption(0, "row 99"), 99);
  std::vector<std::string> events;
  Record(lv, events);
  lv->SetItemIndex(500);
  EXPECT_EQ(events, (std::vector<std::string>{"change 500", "select 500 on"}));
  EXPECT_EQ(lv->Selected()->Caption(), "Row 500");
  EXPECT_THROW(lv->Items()->Add(), EListError);
  form->Show();
  fetched.clear();
  Pump();
  // Painting asks only for the rows on screen.
  EXPECT_FALSE(fetched.empty());
  EXPECT_LE(fetched.size(), 12u);
}

TEST_F(ListViewTest, LabelEditingEndsWithReturnEscapeOrLeavingAndCanBeRefused) {
  struct Case {
    const char* name;
    bool readOnly;
    bool refuse;
    WORD endKey;  // 0: the focus leaves instead
    bool started;
    std::vector<std::string> events;
    const char* caption;
  };
  const Case cases[] = {
      {"Return keeps the typed text", false, false, VK_RETURN, true, {"editing banana", "edited renamed"}, "renamed!"},
      {"Escape drops it", false, false, VK_ESCAPE, true, {"editing banana"}, "banana"},
      {"leaving keeps it", false, false, 0, true, {"editing banana", "edited renamed"}, "renamed!"},
      {"OnEditing refuses", false, true, VK_RETURN, false, {"editing banana"}, "banana"},
      {"read-only view", true, false, VK_RETURN, false, {}, "banana"},
  };
  TWatchdog watchdog("label editing");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm* form = MakeForm(Bounds(0, 0, 400, 300));
    TListView* lv = MakeReport(form, kFruit);
    auto* other = new TListView(form);
    other->SetBounds(0, 250, 50, 40);
    other->SetParent(form);
    lv->SetReadOnly(c.readOnly);
    std::vector<std::string> events;
    lv->OnEditing = [&](TObject*, TListItem* item, bool& allow) {
      events.push_back("editing " + item->Caption());
      allow = !c.refuse;
    };
    lv->OnEdited = [&](TObject*, TListItem*, std::string& s) {
      events.push_back("edited " + s);
      s += "!";
    };
    form->Show();
    lv->SetFocus();
    Pump();
    EXPECT_EQ(lv->Items()->Item(1)->EditCaption(), c.started);
    Pump();
    if (c.started) {
      ASSERT_NE(lv->EditControl(), nullptr);
      EXPECT_EQ(lv->EditControl()->Top(), lv->Items()->Item(1)->DisplayRect(TDisplayCode::drLabel).Top);
      display->Text("renamed");  // replaces the selected caption
      Pump();
      if (c.endKey != 0) {
        display->KeyDown(c.endKey);
        display->KeyUp(c.endKey);
      } else {
        other->SetFocus();
      }
      Pump();
    }
    EXPECT_FALSE(lv->IsEditing());
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(lv->Items()->Item(1)->Caption(), c.caption);
    forms.clear();
  }
}

// A descendant in the manner of a shell list: rows of its own handed out through the owner-data
// hooks, its own search, sorting on a column click and renaming at the end of a label edit.
class TFolderList : public TListView {
 public:
  using TListView::TListView;
  std::vector<std::string> rows{"Docs", "music", "Movies", "notes.txt"};
  std::vector<std::string> heard;

 protected:
  bool OwnerDataFetch(TListItem* Item, TItemRequest Request) override {
    if (Request.Contains(TItemRequestKind::irText)) Item->SetCaption(rows[static_cast<std::size_t>(Item->Index())]);
    return true;
  }
  int OwnerDataFind(TItemFind Find, const std::string& FindString, TPoint, void*, int StartIndex,
                    TSearchDirection Direction, bool Wrap) override {
    heard.push_back("find " + std::to_string(static_cast<int>(Find)) + " " + FindString + " from " +
                    std::to_string(StartIndex) + (Direction == TSearchDirection::sdAll && Wrap ? " all" : ""));
    return static_cast<int>(rows.size()) - 1;  // always the last row, whatever was typed
  }
  void ColumnClick(TListColumn* Column) override { heard.push_back("column " + std::to_string(Column->Index())); }
  void Edit(int ItemIndex, const std::string* Text) override {
    if (Text) rows[static_cast<std::size_t>(ItemIndex)] = *Text;
    heard.push_back("edit " + std::to_string(ItemIndex) + (Text ? " " + *Text : " cancelled"));
  }
};

TEST_F(ListViewTest, DescendantsServeOwnerDataFindingColumnClicksAndLabelEdits) {
  TWatchdog watchdog("list view hooks");
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  auto* lv = new TFolderList(form);
  lv->SetBounds(0, 0, 300, 200);
  lv->SetViewStyle(TViewStyle::vsReport);
  lv->SetParent(form);
  lv->Columns()->Add()->SetWidth(100);
  lv->Columns()->Add()->SetWidth(100);
  lv->SetOwnerData(true);
  lv->Items()->SetCount(4);
  bool editedFired = false;
  lv->OnEdited = [&](TObject*, TListItem*, std::string&) { editedFired = true; };
  form->Show();
  lv->SetFocus();
  lv->SetItemIndex(0);
  Pump();
  EXPECT_EQ(lv->Items()->Item(2)->Caption(), "Movies");

  display->Text("m");
  Pump();
  EXPECT_EQ(lv->ItemIndex(), 3) << "the descendant's answer";

  display->Click({150, kHeader / 2});  // the second section
  Pump();
  for (WORD key : {VK_ESCAPE, VK_RETURN}) {
    ASSERT_NE(lv->Perform(LVM_EDITLABEL, 1, 0), 0);
    Pump();
    display->Text("Music");
    Pump();
    display->KeyDown(key);
    display->KeyUp(key);
    Pump();
  }
  EXPECT_EQ(lv->heard, (std::vector<std::string>{"find 1 m from 1 all", "column 1", "edit 1 cancelled",
                                                 "edit 1 Music"}));
  EXPECT_EQ(lv->Items()->Item(1)->Caption(), "Music");
  EXPECT_FALSE(editedFired) << "the override replaced the base's OnEdited";

  // A renamed row is repainted alone; rows beyond the list repaint nothing.
  Pump();
  struct Redraw {
    int first, last;
    TRect dirty;
  };
  const Redraw redraws[] = {{2, 2, lv->ItemRect(2, TDisplayCode::drBounds)}, {5, 9, TRect{}}, {3, 1, TRect{}}};
  for (const Redraw& r : redraws) {
    SCOPED_TRACE(r.first);
    EXPECT_EQ(lv->Perform(LVM_REDRAWITEMS, static_cast<WPARAM>(r.first), r.last), TRUE);
    TRect dirty{};
    GetUpdateRect(lv->Handle(), &dirty, FALSE);
    EXPECT_EQ(dirty, r.dirty);
    Pump();
  }

  // Without an override, OnDataFind answers the search.
  auto* plain = new TListView(form);
  plain->SetOwnerData(true);
  plain->Items()->SetCount(10);
  plain->OnDataFind = [](TObject*, TItemFind, const std::string& text, TPoint, void*, int start, TSearchDirection,
                         bool, int& index) { index = text == "x" ? start + 2 : -1; };
  EXPECT_EQ(plain->FindCaption(3, "x"), 5);
  EXPECT_EQ(plain->FindCaption(3, "y"), -1);
}

// The main window's shape: 600 rows, 25 columns of which 20 are hidden.
class BigReportTest : public ListViewTest {
 protected:
  void SetUp() override {
    ListViewTest::SetUp();
    form = MakeForm(Bounds(0, 0, 400, 300));
    lv = new TListView(form);
    lv->SetBounds(0, 0, 300, 200);
    lv->SetViewStyle(TViewStyle::vsReport);
    lv->SetRowSelect(true);
    lv->SetGridLines(true);
    lv->WindowProc = [this, previous = lv->WindowProc](TMessage& m) {
      if (m.Msg == WM_PARENTNOTIFY && LOWORD(m.WParam) == WM_CREATE)
        announced.push_back(reinterpret_cast<HWND>(m.LParam));
      previous(m);
    };
    for (int c = 0; c < 25; ++c) {
      TListColumn* column = lv->Columns()->Add();
      column->SetCaption("C" + std::to_string(c));
      column->SetWidth(c < 5 ? 100 : 0);
    }
    lv->Items()->BeginUpdate();
    for (int i = 0; i < 600; ++i) lv->Items()->Add()->SetCaption("Item " + std::to_string(i));
    lv->Items()->EndUpdate();
    lv->SetParent(form);
    form->Show();
    Pump();
  }

  HWND header() const { return reinterpret_cast<HWND>(lv->Perform(LVM_GETHEADER, 0, 0)); }
  TRect SectionRect(int i) {
    TRect r;
    EXPECT_TRUE(SendMessage(header(), HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)));
    return r;
  }

  TForm* form = nullptr;
  TListView* lv = nullptr;
  std::vector<HWND> announced;
};

TEST_F(BigReportTest, ScrollRangesMatchRowsAndPageAndMessagesMoveTheView) {
  // Both bars are shown: the rows and columns do not fit.
  const int page = (lv->ClientHeight() - kHeader) / kRow;
  const int width = lv->ClientWidth();
  EXPECT_LT(width, 300);
  EXPECT_LT(lv->ClientHeight(), 200);
  EXPECT_EQ(lv->Perform(LVM_GETCOUNTPERPAGE, 0, 0), page);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 600);
  auto v = lv->ScrollInfo(SB_VERT);
  EXPECT_EQ(v.Min, 0);
  EXPECT_EQ(v.Max, 599);
  EXPECT_EQ(v.Page, page);
  auto h = lv->ScrollInfo(SB_HORZ);
  EXPECT_EQ(h.Max, 500);
  EXPECT_EQ(h.Page, width);
  int low = -1, high = -1;
  EXPECT_TRUE(GetScrollRange(lv->Handle(), SB_VERT, &low, &high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 599);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(lv->Handle(), SB_VERT, &si));
  EXPECT_EQ(static_cast<int>(si.nPage), page);

  struct Step {
    UINT msg;
    int code;
    int thumb;
    int top;
    int horz;
  };
  const Step steps[] = {
      {WM_VSCROLL, SB_LINEDOWN, 0, 1, 0},
      {WM_VSCROLL, SB_PAGEDOWN, 0, 1 + page, 0},
      {WM_VSCROLL, SB_LINEUP, 0, page, 0},
      {WM_VSCROLL, SB_THUMBPOSITION, 300, 300, 0},
      {WM_VSCROLL, SB_BOTTOM, 0, 600 - page, 0},
      {WM_VSCROLL, SB_LINEDOWN, 0, 600 - page, 0},  // no further than the last page
      {WM_VSCROLL, SB_TOP, 0, 0, 0},
      {WM_VSCROLL, SB_LINEUP, 0, 0, 0},
      {WM_HSCROLL, SB_THUMBPOSITION, 150, 0, 150},
      {WM_HSCROLL, SB_PAGERIGHT, 0, 0, 500 - width},  // the columns end there
      {WM_HSCROLL, SB_LEFT, 0, 0, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::to_string(s.msg) + "/" + std::to_string(s.code));
    SendMessage(lv->Handle(), s.msg, MAKELPARAM(static_cast<WORD>(s.code), static_cast<WORD>(s.thumb)), 0);
    EXPECT_EQ(lv->Perform(LVM_GETTOPINDEX, 0, 0), s.top);
    EXPECT_EQ(lv->ScrollInfo(SB_VERT).Pos, s.top);
    EXPECT_EQ(lv->ScrollInfo(SB_HORZ).Pos, s.horz);
    EXPECT_EQ(GetScrollPos(lv->Handle(), SB_VERT), s.top);
    EXPECT_EQ(GetScrollPos(lv->Handle(), SB_HORZ), s.horz);
  }

  lv->Scroll(0, 5 * kRow);
  EXPECT_EQ(lv->TopIndex(), 5);
  lv->Scroll(0, -2 * kRow);
  EXPECT_EQ(lv->TopIndex(), 3);
  EXPECT_EQ(lv->GetItemAt(10, kHeader + 1)->Caption(), "Item 3");
  lv->Items()->Item(400)->MakeVisible(false);
  EXPECT_EQ(lv->TopIndex(), 400 - page + 1);

  // The screen follows: a selected row shows its highlight where the row now is.
  lv->SetFocus();
  lv->SetItemIndex(302);
  SendMessage(lv->Handle(), WM_VSCROLL, MAKELPARAM(SB_THUMBPOSITION, 300), 0);
  const TPoint inRow2{250, kHeader + 2 * kRow + kRow / 2};
  const TPoint inRow1{250, kHeader + 1 * kRow + kRow / 2};
  EXPECT_EQ(ScreenAt(inRow2), ColorToRGB(clHighlight));
  EXPECT_EQ(ScreenAt(inRow1), ColorToRGB(clWindow));
  SendMessage(lv->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(ScreenAt(inRow1), ColorToRGB(clHighlight));
}

// The wheel scrolls what the pointer is over, three rows a notch, even while another window has
// the focus; the window's bar follows.
TEST_F(BigReportTest, TheWheelOverTheViewScrollsItThreeRowsANotch) {
  auto* other = new TListView(form);
  other->SetBounds(310, 0, 80, 80);
  other->SetParent(form);
  other->SetFocus();
  Pump();
  const TPoint over = lv->ClientToScreen(TPoint{50, 60});
  display->MouseMove(over);
  for (int notch : {-1, -1, 1}) display->Wheel(over, notch * WHEEL_DELTA);
  Pump();
  EXPECT_EQ(lv->TopIndex(), 3);
  EXPECT_EQ(GetScrollPos(lv->Handle(), SB_VERT), 3);
  EXPECT_TRUE(other->Focused()) << "the wheel moves no focus";
  EXPECT_EQ(other->TopIndex(), 0);
}

TEST_F(ListViewTest, ListStyleColumnsTakeTheWidthSetForThemAndTheWheelTurnsThem) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  TListView* lv = MakeReport(form, std::vector<std::string>(60, "a_rather_long_file_name.mp4"), 300, 120);
  lv->SetViewStyle(TViewStyle::vsList);
  form->Show();
  Pump();
  EXPECT_EQ(lv->Perform(LVM_GETCOLUMNWIDTH, 0, 0), 120) << "the default";
  EXPECT_TRUE(lv->Perform(LVM_SETCOLUMNWIDTH, 0, 200));
  EXPECT_FALSE(lv->Perform(LVM_SETCOLUMNWIDTH, 1, 200)) << "list style has one width for all";
  const int perColumn = lv->ClientHeight() / kRow;
  EXPECT_EQ(lv->ItemRect(perColumn, TDisplayCode::drBounds).Left, 200);
  EXPECT_EQ(lv->ItemRect(perColumn, TDisplayCode::drBounds).Width(), 200);
  EXPECT_EQ(lv->GetItemAt(210, 5), lv->Items()->Item(perColumn));
  EXPECT_EQ(lv->Perform(LVM_GETCOUNTPERPAGE, 0, 0), perColumn * 1) << "one whole column of 200 fits in 300";
  const TPoint over = lv->ClientToScreen(TPoint{50, 30});
  display->MouseMove(over);
  display->Wheel(over, -WHEEL_DELTA);
  Pump();
  EXPECT_EQ(lv->ItemRect(perColumn, TDisplayCode::drBounds).Left, 0) << "one column a notch";
}

TEST_F(BigReportTest, HeaderIsAnnouncedAndAnswersItsQueries) {
  HWND hdr = header();
  ASSERT_NE(hdr, nullptr);
  EXPECT_EQ(GetClassName(hdr), "SysHeader32");
  EXPECT_EQ(announced, std::vector<HWND>{hdr});
  EXPECT_EQ(SendMessage(hdr, HDM_GETITEMCOUNT, 0, 0), 25);
  EXPECT_EQ(SectionRect(1), (TRect{100, 0, 200, kHeader}));
  EXPECT_EQ(SectionRect(7).Width(), 0);
  TRect r;
  EXPECT_FALSE(SendMessage(hdr, HDM_GETITEMRECT, 25, reinterpret_cast<LPARAM>(&r)));
  std::vector<int> order(25, -1);
  EXPECT_TRUE(SendMessage(hdr, HDM_GETORDERARRAY, 25, reinterpret_cast<LPARAM>(order.data())));
  for (int i = 0; i < 25; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);

  struct Hit {
    TPoint pt;
    UINT flags;
    int item;
  };
  const Hit hits[] = {
      {{50, 10}, HHT_ONHEADER, 0},
      {{102, 10}, HHT_ONDIVIDER, 0},
      {{97, 10}, HHT_ONDIVIDER, 0},
      {{150, 10}, HHT_ONHEADER, 1},
      // The hidden columns share the last visible edge; the divider is the visible column's.
      {{500, 10}, HHT_ONDIVIDER, 4},
      {{600, 10}, HHT_NOWHERE | HHT_TORIGHT, -1},
      {{50, -3}, HHT_ABOVE, -1},
  };
  for (const Hit& h : hits) {
    SCOPED_TRACE(std::to_string(h.pt.X) + "," + std::to_string(h.pt.Y));
    HDHITTESTINFO info;
    info.pt = h.pt;
    EXPECT_EQ(SendMessage(hdr, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)), h.item);
    EXPECT_EQ(info.flags, h.flags);
    EXPECT_EQ(info.iItem, h.item);
  }

  // The header slides with the horizontal scroll.
  SendMessage(lv->Handle(), WM_HSCROLL, MAKELPARAM(SB_THUMBPOSITION, 120), 0);
  TRect bounds;
  GetWindowRect(hdr, &bounds);
  EXPECT_EQ(bounds.Left, -120);
}

TEST_F(BigReportTest, DraggingADividerResizesTheColumnAndAPressClicksIt) {
  TWatchdog watchdog("header drag");
  // Before: the divider between sections 1 and 2 sits at x = 200.
  EXPECT_EQ(ScreenAt({239, kHeader / 2}), ColorToRGB(clBtnFace));
  display->MouseMove({200, 10});
  display->MouseDown({200, 10});
  display->MouseMove({220, 10});
  display->MouseMove({240, 10});
  display->MouseUp({240, 10});
  Pump();
  EXPECT_EQ(lv->Columns()->Items(1)->Width(), 140);
  EXPECT_EQ(SectionRect(2), (TRect{240, 0, 340, kHeader}));
  EXPECT_EQ(lv->ScrollInfo(SB_HORZ).Max, 540);
  // The section's right edge is drawn at its new place.
  EXPECT_EQ(ScreenAt({239, kHeader / 2}), ColorToRGB(clBtnShadow));
  // A grid line follows the moved column edge in the rows below.
  EXPECT_EQ(ScreenAt({239, kHeader + 3 * kRow + 5}), ColorToRGB(clBtnFace));

  std::vector<int> clicked;
  lv->OnColumnClick = [&](TObject*, TListColumn* column) { clicked.push_back(column->Index()); };
  display->MouseMove({270, 10});
  display->MouseDown({270, 10});
  Pump();
  HDHITTESTINFO info;
  info.pt = {270, 10};
  SendMessage(header(), HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.iItem, 2);
  display->MouseUp({270, 10});
  Pump();
  EXPECT_EQ(clicked, std::vector<int>{2});
  // A press released outside its section is no click.
  display->MouseDown({270, 10});
  display->MouseMove({270, 100});
  display->MouseUp({270, 100});
  Pump();
  EXPECT_EQ(clicked, std::vector<int>{2});
}

// A descendant that gives its selected rows a look of its own.
class TTintedList : public TListView {
 public:
  using TListView::TListView;

 protected:
  TListSelectionLook SelectionLook(bool HasFocus) const override {
    return HasFocus ? TListSelectionLook{RGB(20, 110, 70), RGB(255, 255, 255)}
                    : TListSelectionLook{RGB(200, 230, 210), RGB(0, 0, 0)};
  }
};

// A selected row is filled with the view's selection look, which follows the focus; a plain
// view has the system's highlight while focused and the button face without the focus.
TEST_F(ListViewTest, SelectedRowsTakeTheLookTheViewGivesForItsFocus) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(320, 10, 60, 20);
  struct Case {
    bool tinted, focused;
    COLORREF fill;
  };
  const Case cases[] = {{false, true, ColorToRGB(clHighlight)},
                        {false, false, ColorToRGB(clBtnFace)},
                        {true, true, RGB(20, 110, 70)},
                        {true, false, RGB(200, 230, 210)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tinted ? "tinted" : "plain") + (c.focused ? " focused" : " unfocused"));
    std::unique_ptr<TListView> lv(c.tinted ? new TTintedList(nullptr) : new TListView(nullptr));
    lv->SetBounds(0, 0, 300, 200);
    lv->SetViewStyle(TViewStyle::vsReport);
    lv->SetRowSelect(true);
    lv->SetParent(form);
    for (int i = 0; i < 2; ++i) lv->Columns()->Add()->SetWidth(100);
    for (const char* caption : {"a", "b", "c"}) lv->Items()->Add()->SetCaption(caption);
    form->Show();
    lv->SetItemIndex(1);
    if (c.focused)
      lv->SetFocus();
    else
      other->SetFocus();
    const TPoint inRow1{180, kHeader + kRow + kRow / 2};
    EXPECT_EQ(ScreenAt(inRow1), c.fill);
    EXPECT_EQ(ScreenAt(TPoint{180, kHeader + 2 * kRow + kRow / 2}), ColorToRGB(lv->Color())) << "row 2 is plain";
    // The look follows when the focus comes or goes after the view was painted.
    if (c.focused)
      other->SetFocus();
    else
      lv->SetFocus();
    EXPECT_NE(ScreenAt(inRow1), c.fill);
  }
}

// A view whose two image slots hold one list hears of its end through either slot; replacing
// one slot keeps the other told.
TEST_F(ListViewTest, ImageListsSharedBySlotsAreForgottenWhenFreed) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  TListView* lv = MakeReport(form, kFruit);
  auto* shared = new TImageList(nullptr);
  auto* other = new TImageList(nullptr);
  lv->SetSmallImages(shared);
  lv->SetLargeImages(shared);
  lv->SetSmallImages(other);
  delete shared;
  EXPECT_EQ(lv->LargeImages(), nullptr);
  EXPECT_EQ(lv->SmallImages(), other);
  delete other;
  EXPECT_EQ(lv->SmallImages(), nullptr);
}

// Dragging the thumb of a view with more rows than 16 bits can count reaches the last page.
TEST_F(ListViewTest, ThumbDragReachesRowsBeyondSixteenBits) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 300));
  TListView* lv = MakeReport(form, {});
  lv->SetOwnerData(true);
  lv->OnData = [](TObject*, TListItem* item) { item->SetCaption("Row " + std::to_string(item->Index())); };
  lv->Items()->SetCount(100000);
  form->Show();
  Pump();
  const int page = static_cast<int>(lv->Perform(LVM_GETCOUNTPERPAGE, 0, 0));
  const TRect bar = detail::ScrollBarRect(lv->Handle(), SB_VERT);
  TRect wr;
  GetWindowRect(lv->Handle(), &wr);
  const int x = wr.Left + (bar.Left + bar.Right) / 2;
  const int arrow = bar.Width();
  TWatchdog dog("thumb drag");
  display->MouseDown({x, wr.Top + bar.Top + arrow + 3});  // on the thumb at the track's start
  display->MouseMove({x, wr.Top + bar.Bottom + 40});      // past the track's end
  display->MouseUp({x, wr.Top + bar.Bottom + 40});
  Pump();
  EXPECT_EQ(lv->TopIndex(), 100000 - page);
  EXPECT_EQ(GetScrollPos(lv->Handle(), SB_VERT), 100000 - page);
}

}  // namespace
