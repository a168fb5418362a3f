// The skinned combo box: the order of its events for code, keys, wheel, search and the
// drop-down, the edit style's auto-complete, painting that leaves Text alone, and its looks.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/lib/SkinnedComboBoard.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/Input.h"

namespace {

// Records the hook as an event.
class RecordingCombo : public TvlSkinComboBox {
 public:
  using TvlSkinComboBox::TvlSkinComboBox;
  void ItemIndexChanged() override {
    if (Log) Log->push_back("changed");
  }
  std::vector<std::string>* Log = nullptr;
};

class SkinComboTest : public SkinnedControlsWorld {
 protected:
  RecordingCombo* Combo(const std::vector<std::string>& items, TRect bounds = {20, 20, 180, 42}) {
    TForm* form = MakeForm({0, 0, 400, 560});
    auto* box = new RecordingCombo(form);
    box->SetParent(form);
    box->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    for (const auto& s : items) box->Items()->Add(s);
    box->Log = &events;
    box->OnClick = [this](TObject*) { events.push_back("click"); };
    box->OnChange = [this](TObject*) { events.push_back("change"); };
    box->OnCloseUp = [this](TObject*) { events.push_back("closeup"); };
    box->OnDropDown = [this](TObject*) { events.push_back("dropdown"); };
    form->Show();
    box->SetFocus();
    Pump();
    return box;
  }

  static std::vector<std::string> Numbered(int n) {
    std::vector<std::string> items;
    for (int i = 0; i < n; ++i) items.push_back("第" + std::to_string(i) + "项");
    return items;
  }

  void Key(WORD key) {
    display->KeyDown(key);
    display->KeyUp(key);
    Pump();
  }

  // A letter key pressed and let go (its character comes with the key-down).
  void Type(WORD key) {
    display->KeyDown(key);
    Pump();
    display->KeyUp(key);
    Pump();
  }

  std::vector<std::string> TakeEvents() { return std::exchange(events, {}); }

  std::vector<std::string> events;
};

using Events = std::vector<std::string>;

TEST_F(SkinComboTest, ItemIndexWritesChangeOnlyWithTheTextThenClickAndTheHook) {
  RecordingCombo* box = Combo({"标清", "高清", "高清", "全高清"});
  struct Case {
    int index;
    Events expected;
    std::string text;
  } cases[] = {
      {1, {"change", "click", "changed"}, "高清"},
      {1, {"click", "changed"}, "高清"},            // the same index again
      {2, {"click", "changed"}, "高清"},            // another item with the same string
      {-1, {"click", "changed"}, "高清"},           // none: the text stays
      {3, {"change", "click", "changed"}, "全高清"},
      {9, {"click", "changed"}, "全高清"},          // outside the items: no selection
  };
  for (const Case& c : cases) {
    box->SetItemIndex(c.index);
    EXPECT_EQ(TakeEvents(), c.expected) << c.index;
    EXPECT_EQ(box->Text(), c.text) << c.index;
  }
  EXPECT_EQ(box->ItemIndex(), -1);

  RecordingCombo* empty = Combo({});
  empty->SetItemIndex(0);
  EXPECT_EQ(empty->ItemIndex(), -1);
  EXPECT_EQ(TakeEvents(), (Events{"click", "changed"}));
  empty->DropDown();
  EXPECT_FALSE(empty->IsPopupVisible());
  EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(SkinComboTest, KeysStepAndPageByTheDropDownCount) {
  RecordingCombo* box = Combo(Numbered(20));
  struct Case {
    int from;
    WORD key;
    int to;
  } cases[] = {{12, VK_PRIOR, 5}, {12, VK_NEXT, 19}, {3, VK_PRIOR, 0}, {15, VK_NEXT, 19},
               {5, VK_UP, 4},     {5, VK_LEFT, 4},   {5, VK_DOWN, 6},  {5, VK_RIGHT, 6}};
  for (const Case& c : cases) {
    box->SetItemIndex(c.from);
    TakeEvents();
    Key(c.key);
    EXPECT_EQ(box->ItemIndex(), c.to) << c.from << " key " << c.key;
    EXPECT_EQ(TakeEvents(), (Events{"change", "click", "changed"})) << c.from << " key " << c.key;
  }
  box->SetItemIndex(0);
  TakeEvents();
  Key(VK_UP);
  box->SetItemIndex(19);
  TakeEvents();
  Key(VK_DOWN);
  EXPECT_TRUE(TakeEvents().empty()) << "the ends fire nothing";
}

// On an open list the keys move the highlight only (Up, Down, Home, End, a typed letter); Enter
// takes it and Esc gives back the item of the opening. On a closed box Home and End select.
TEST_F(SkinComboTest, KeysOnAnOpenListMoveTheHighlightUntilEnter) {
  RecordingCombo* box = Combo({"alpha", "beta", "bravo", "charlie", "delta"});
  box->SetItemIndex(1);
  box->DropDown();
  TakeEvents();
  const struct {
    WORD key;
    int highlight;
  } steps[] = {{VK_DOWN, 2}, {VK_END, 4}, {VK_HOME, 0}, {VK_UP, 0}, {'C', 3}};
  for (const auto& s : steps) {
    Advance(600);  // each letter searches alone
    Type(s.key);
    EXPECT_TRUE(box->IsPopupVisible()) << s.key;
    EXPECT_EQ(box->ListBox()->ItemIndex(), s.highlight) << s.key;
    EXPECT_EQ(box->Text(), "beta") << s.key;
  }
  EXPECT_TRUE(TakeEvents().empty());
  Key(VK_ESCAPE);
  EXPECT_EQ(box->ItemIndex(), 1);
  EXPECT_EQ(box->Text(), "beta");
  EXPECT_TRUE(TakeEvents().empty());

  box->DropDown();
  TakeEvents();
  Key(VK_END);
  Key(VK_RETURN);
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_EQ(box->Text(), "delta");
  EXPECT_EQ(TakeEvents(), (Events{"change", "click", "changed", "closeup"}));
  Key(VK_HOME);
  EXPECT_EQ(box->Text(), "alpha") << "closed: Home selects";
  Key(VK_END);
  EXPECT_EQ(box->Text(), "delta");
}

TEST_F(SkinComboTest, TheWheelSelectsWhileClosedAndOnlyHighlightsWhileOpen) {
  RecordingCombo* box = Combo(Numbered(5));
  box->SetItemIndex(2);
  TakeEvents();
  display->Wheel(Centre(box), -120);
  Pump();
  EXPECT_EQ(box->ItemIndex(), 3);
  EXPECT_EQ(TakeEvents(), (Events{"change", "click", "changed"}));
  box->DropDown();
  TakeEvents();
  display->Wheel(Centre(box), 120);
  Pump();
  EXPECT_EQ(box->ItemIndex(), 2) << "the highlight moves";
  EXPECT_EQ(box->Text(), "第3项");
  EXPECT_TRUE(TakeEvents().empty());
  Key(VK_ESCAPE);
  EXPECT_EQ(box->ItemIndex(), 3) << "cancelled: the index of the opening";
  EXPECT_TRUE(TakeEvents().empty());
}

// A chooser whose items are replaced (a preset refills it) opens with its chosen row in view and
// no blank rows below, draws its highlight on the row the list holds as chosen, and a click picks
// the row drawn under the pointer, whatever list it held and showed before, skinned or not, and
// also when the refilled list is opened for the first time.
TEST_F(SkinComboTest, ARefilledListOpensFullAndPicksTheRowDrawnUnderThePointer) {
  const std::vector<std::string> twelve{"528 kbps", "624 kbps", "720 kbps", "816 kbps", "912 kbps", "1008 kbps",
                                        "1104 kbps", "1200 kbps", "1296 kbps", "1392 kbps", "1488 kbps", "1584 kbps"};
  const std::vector<std::string> eight{"128 kbps", "288 kbps", "528 kbps", "816 kbps",
                                       "1200 kbps", "1600 kbps", "1800 kbps", "2000 kbps"};
  struct Case {
    int before;     // items held before the refill; 0: never opened before
    int openedAt;   // the row chosen when it was last opened
    bool skinned;
    const std::vector<std::string>* rates;
    int chosen;     // the row chosen after the refill
    int top;        // the first row shown
  } cases[] = {{1, 0, false, &twelve, 11, 4},  {3, 2, false, &twelve, 11, 4}, {30, 27, false, &twelve, 11, 4},
               {12, 11, false, &twelve, 11, 4}, {0, 0, false, &twelve, 11, 4}, {0, 0, true, &twelve, 11, 4},
               {0, 0, true, &eight, 3, 0},      {5, 4, true, &eight, 3, 0},    {0, 0, false, &eight, 7, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.before << (c.skinned ? " skinned " : " plain ") << c.rates->size());
    RecordingCombo* box = Combo(Numbered(std::max(c.before, 1)));
    if (c.skinned) {
      box->UseSkinSize = false;
      box->SetSkinData(&skin);
    }
    if (c.before > 0) {
      box->SetItemIndex(c.openedAt);
      box->DropDown();
      Pump();
      Key(VK_ESCAPE);
    }
    box->Items()->Clear();
    for (const std::string& rate : *c.rates) box->Items()->Add(rate);
    box->SetItemIndex(c.chosen);
    box->DropDown();
    Pump();
    TvlListBox* inner = box->ListBox()->ListBox;
    const int rows = inner->ClientHeight() / inner->ItemHeight();
    EXPECT_EQ(rows, 8);
    EXPECT_EQ(inner->TopIndex(), c.top) << "the chosen row in view, the last rows fill the list";
    // The highlight is drawn on the chosen row as the list places it: that row's colour differs
    // from every other shown row's.
    const TScreenShot shot = ScreenShot();
    auto rowColour = [&](int Index) {
      const TRect r = inner->ItemRect(Index);
      return shot.At(inner->ClientToScreen(TPoint{3, (r.Top + r.Bottom) / 2}));
    };
    for (int i = c.top; i < c.top + rows; ++i)
      if (i != c.chosen) EXPECT_NE(rowColour(i), rowColour(c.chosen)) << "row " << i << " drawn as the chosen one";
    const int pick = static_cast<int>(std::find(c.rates->begin(), c.rates->end(), "1200 kbps") - c.rates->begin());
    const TRect row = inner->ItemRect(pick);
    ASSERT_GE(row.Top, 0);
    const TPoint at = inner->ClientToScreen(TPoint{20, (row.Top + row.Bottom) / 2});
    display->MouseMove(at);
    Pump();
    display->MouseDown(at);
    Pump();
    display->MouseUp(at);
    Pump();
    EXPECT_EQ(box->Text(), "1200 kbps");
    EXPECT_FALSE(box->IsPopupVisible());
  }
}

// A click on the open list whose press and release are read together (as from a busy X
// connection) picks the row, and the mouse is free for the next click.
TEST_F(SkinComboTest, AClickReadWithItsReleasePicksTheRowAndLeavesTheMouseFree) {
  RecordingCombo* box = Combo({"128 kbps", "288 kbps", "528 kbps", "816 kbps"});
  box->SetItemIndex(0);
  box->DropDown();
  Pump();
  TvlListBox* inner = box->ListBox()->ListBox;
  const TRect row = inner->ItemRect(2);
  const TPoint at = inner->ClientToScreen(TPoint{20, (row.Top + row.Bottom) / 2});
  display->MouseMove(at);
  Pump();
  display->MouseDown(at);
  display->MouseUp(at);
  Pump();
  EXPECT_EQ(box->Text(), "528 kbps");
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_EQ(GetCapture(), nullptr) << "no window keeps the mouse";
}

TEST_F(SkinComboTest, TypedPrefixesSearchWithinHalfASecond) {
  RecordingCombo* box = Combo({"alpha", "beta", "bravo"});
  box->SetItemIndex(0);
  Type('B');
  Type('R');
  EXPECT_EQ(box->Text(), "bravo") << "b and r within 500 ms";
  box->SetItemIndex(0);
  Advance(600);
  Type('B');
  EXPECT_EQ(box->Text(), "beta");
  Advance(600);
  Type('B');
  EXPECT_EQ(box->Text(), "bravo") << "one character searches after the current item";

  box->AutoComplete = false;
  box->SetItemIndex(0);
  Type('B');
  Type('R');
  EXPECT_EQ(box->Text(), "beta") << "without auto-complete every key searches alone; r finds nothing";
}

TEST_F(SkinComboTest, AcceptedAndCancelledDropDowns) {
  RecordingCombo* box = Combo(Numbered(20));
  box->SetItemIndex(4);
  TakeEvents();
  box->DropDown();
  TvlPopupListBox* list = box->ListBox();
  EXPECT_EQ(list->Height(), list->CalcHeight(8)) << "eight rows of twenty";
  EXPECT_EQ(TakeEvents(), (Events{"dropdown"}));
  list->SetItemIndex(9);  // the pointer moved the highlight
  Key(VK_RETURN);
  EXPECT_EQ(box->ItemIndex(), 9);
  EXPECT_EQ(TakeEvents(), (Events{"change", "click", "changed", "closeup"}));

  for (WORD cancel : {WORD{VK_ESCAPE}, WORD{0}}) {
    box->DropDown();
    list->SetItemIndex(2);
    if (cancel)
      Key(cancel);
    else
      box->Perform(CM_CANCELMODE, 0, 0);  // a press on another control
    EXPECT_FALSE(box->IsPopupVisible());
    EXPECT_EQ(box->ItemIndex(), 9);
    EXPECT_EQ(TakeEvents(), (Events{"dropdown"}));
  }

  // Press on the button, drag into the list, release over an item.
  display->MouseMove(box->ClientToScreen(TPoint{box->Width() - 8, box->Height() / 2}));
  display->MouseDown(box->ClientToScreen(TPoint{box->Width() - 8, box->Height() / 2}));
  Pump();
  ASSERT_TRUE(box->IsPopupVisible());
  const TRect r = list->ItemRect(list->TopIndex() + 2);
  const TPoint over = list->ListBox->ClientToScreen(TPoint{10, (r.Top + r.Bottom) / 2});
  display->MouseMove(over);
  Pump();
  display->MouseUp(over);
  Pump();
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_EQ(box->ItemIndex(), list->TopIndex() + 2);
  EXPECT_EQ(TakeEvents(), (Events{"dropdown", "change", "click", "changed", "closeup"}));
}

TEST_F(SkinComboTest, APressHeldBelowTheListAfterBeingInItScrollsTheHighlightEvery25Ms) {
  RecordingCombo* box = Combo(Numbered(20));
  box->SetItemIndex(0);
  const TPoint button = box->ClientToScreen(TPoint{box->Width() - 8, box->Height() / 2});
  display->MouseMove(button);
  display->MouseDown(button);
  Pump();
  TvlPopupListBox* list = box->ListBox();
  ASSERT_TRUE(box->IsPopupVisible());
  const TPoint inside = list->ListBox->ClientToScreen(TPoint{10, 5});
  display->MouseMove(inside);
  Pump();
  EXPECT_EQ(box->AutoScrollMode(), 0);
  const TPoint below = list->ClientToScreen(TPoint{10, list->Height() + 30});
  display->MouseMove(below);
  Pump();
  EXPECT_EQ(box->AutoScrollMode(), 2);
  const int start = list->ItemIndex();
  Advance(100, 25);
  EXPECT_EQ(list->ItemIndex(), start + 4) << "one item every 25 ms";
  Advance(1000, 25);
  EXPECT_EQ(list->ItemIndex(), 19) << "stops at the last item";
  EXPECT_EQ(box->ItemIndex(), 19) << "the list's own index moves; the box's selection waits for the release";
  EXPECT_EQ(box->Text(), "第0项");
  display->MouseUp(below);
  Pump();
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_EQ(box->AutoScrollMode(), 0);
  EXPECT_EQ(box->Text(), "第0项") << "released outside the list: cancelled";
}

TEST_F(SkinComboTest, EditStyleCompletesTypedTextFromTheList) {
  RecordingCombo* box = Combo({"alpha", "beta", "bravo"});
  box->SetStyle(TvlSkinCustomComboBoxStyle::vlcbEditStyle);
  ASSERT_NE(box->Edit(), nullptr);
  box->Edit()->SetFocus();
  Pump();
  TakeEvents();
  Advance(300);
  Type('B');
  // b makes beta current (no click), the key-up completes after it: bravo, "ravo" selected.
  EXPECT_EQ(box->Text(), "bravo");
  EXPECT_EQ(box->Edit()->Text(), "bravo");
  EXPECT_EQ(box->SelStart(), 1);
  EXPECT_EQ(box->SelLength(), 4);
  EXPECT_EQ(TakeEvents(), (Events{"change", "changed", "change", "click", "changed"}));
  Advance(300);
  Type('E');
  EXPECT_EQ(box->Text(), "beta");
  EXPECT_EQ(box->SelStart(), 2);
  EXPECT_EQ(box->SelLength(), 2);
  Type('T');  // within 200 ms of the completion: not completed again
  EXPECT_EQ(box->Text(), "bet");

  // Up and Down in the edit select with OnClick and no hook.
  box->SetItemIndex(1);
  TakeEvents();
  Key(VK_DOWN);
  EXPECT_EQ(box->Text(), "bravo");
  EXPECT_EQ(TakeEvents(), (Events{"change", "click"}));
}

TEST_F(SkinComboTest, PaintingWithAnotherTextLeavesTextAndEventsAlone) {
  RecordingCombo* box = Combo({"标清", "高清"});
  box->SetItemIndex(0);
  TakeEvents();
  TBitmap target;
  target.SetPixelFormat(TPixelFormat::pf32bit);
  target.SetSize(box->Width(), box->Height());
  box->PaintSkinTo(target.Canvas(), 0, 0, "预览");
  box->SetToolButtonStyle(true);
  box->PaintSkinTo(target.Canvas(), 0, 0, "预览");
  EXPECT_EQ(box->Text(), "标清");
  EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(SkinComboTest, ToolButtonStyleForcesTheFixedStyleAndFreeSize) {
  RecordingCombo* box = Combo({"a"});
  box->SetStyle(TvlSkinCustomComboBoxStyle::vlcbEditStyle);
  box->SetToolButtonStyle(true);
  EXPECT_EQ(box->Style(), TvlSkinCustomComboBoxStyle::vlcbFixedStyle);
  EXPECT_EQ(box->Edit(), nullptr);
  EXPECT_FALSE(box->UseSkinSize);
  box->SetSkinData(&skin);
  EXPECT_EQ(box->ListBox()->SkinDataName(), "") << "no combo-box element: both draw their built-in looks";
}

TEST_F(SkinComboTest, BoardOfComboBoxesMatchesItsExpectedPictures) {
  const auto expected = skinned_test_form::ExpectedFolder();
  skinned_combo_board::RenderAndCompare(display, nullptr, expected, "unskinned_combos");
}

}  // namespace
