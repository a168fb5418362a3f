// The office items, office list box and office combo box: the item model, selection across
// headers and disabled items, pixel scrolling, the combo box's events, keys, wheel and mouse,
// the drop-down's place and translucency, and their looks.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedOfficeBoard.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/controls/vlSkinExCtrlsOffice.h"
#include "platform/controls/ImageList.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/Input.h"
#include "platform/graphics/Canvas.h"

namespace {

class SkinOfficeTest : public SkinnedControlsWorld {
 protected:
  // A list (or a combo box's list) holding Rows: "H" a header, "D" a disabled item, anything
  // else an ordinary one.
  static void Fill(TvlSkinOfficeItems* items, const std::vector<const char*>& rows) {
    for (const char* row : rows) {
      TvlSkinOfficeItem* item = items->Add();
      item->SetHeader(std::string(row) == "H");
      item->SetEnabled(std::string(row) != "D");
      item->SetCaption(row);
    }
  }

  TvlSkinOfficeListBox* List(const std::vector<const char*>& rows, int height = 150) {
    TForm* form = MakeForm({0, 0, 300, 400});
    auto* list = new TvlSkinOfficeListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 150, height);
    Fill(list->Items(), rows);
    form->Show();
    Pump();
    return list;
  }

  TvlSkinOfficeComboBox* Combo(const std::vector<const char*>& rows, TRect bounds = {20, 20, 180, 61}) {
    TForm* form = MakeForm({0, 0, 400, 560});
    auto* box = new TvlSkinOfficeComboBox(form);
    box->SetParent(form);
    box->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    Fill(box->Items(), rows);
    box->OnClick = [this](TObject*) { events.push_back("click"); };
    box->OnChange = [this](TObject*) { events.push_back("change"); };
    box->OnCloseUp = [this](TObject*) { events.push_back("closeup"); };
    box->OnDropDown = [this](TObject*) { events.push_back("dropdown"); };
    form->Show();
    box->SetFocus();
    Pump();
    return box;
  }

  void Key(WORD key) {
    display->KeyDown(key);
    display->KeyUp(key);
    Pump();
  }

  std::vector<std::string> TakeEvents() { return std::exchange(events, {}); }

  std::vector<std::string> events;
};

// ---- Items and the list ----

TEST_F(SkinOfficeTest, ItemsStartEmptyCopyTheirLookAndEveryChangeReachesTheList) {
  TvlSkinOfficeListBox* list = List({}, 100);
  TvlSkinOfficeItem* a = list->Items()->Add();
  EXPECT_FALSE(a->Header());
  EXPECT_TRUE(a->Enabled());
  EXPECT_EQ(a->ImageIndex(), -1);
  EXPECT_EQ(a->Caption(), "");
  a->SetCaption("MP4视频");
  a->SetTitle("常用");
  a->SetImageIndex(3);
  int data = 7;
  a->SetData(&data);
  a->OnClick = [](TObject*) {};
  TvlSkinOfficeItem* b = list->Items()->Add();
  b->Assign(a);
  EXPECT_EQ(b->Caption(), "MP4视频");
  EXPECT_EQ(b->Title(), "常用");
  EXPECT_EQ(b->ImageIndex(), 3);
  EXPECT_EQ(b->Data(), nullptr) << "data stays the application's";
  EXPECT_FALSE(b->OnClick);

  // Items taller than the list bring the scroll bar; clearing takes it away.
  EXPECT_EQ(list->ScrollBar, nullptr);
  Fill(list->Items(), {"a", "b", "c", "d"});
  ASSERT_NE(list->ScrollBar, nullptr);
  EXPECT_EQ(list->ScrollBar->Max(), 6 * 30);
  list->Items()->Clear();
  EXPECT_EQ(list->ScrollBar, nullptr);
}

TEST_F(SkinOfficeTest, AnIndexAtOrBeyondTheCountSelectsNothingAndFiresNothing) {
  TvlSkinOfficeListBox* list = List({"a", "b", "c"});
  int itemClicks = 0, listClicks = 0;
  list->Items()->Items(1)->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, list);
    ++itemClicks;
  };
  list->OnItemClick = [&](TObject*) { ++listClicks; };
  list->SetItemIndex(1);
  EXPECT_EQ(itemClicks, 1);
  EXPECT_EQ(listClicks, 1);
  EXPECT_TRUE(list->Items()->Items(1)->Active);
  for (int bad : {3, 4, 1000, -1}) {
    EXPECT_NO_THROW(list->SetItemIndex(bad)) << bad;
    EXPECT_EQ(list->ItemIndex(), -1) << bad;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(list->Items()->Items(i)->Active) << bad;
  }
  EXPECT_EQ(listClicks, 1);
}

// H a b(disabled) c H d e f g h i j k l (rows of 30 in a 150-high list: 4 whole rows).
TEST_F(SkinOfficeTest, KeyWalksSkipHeadersAndDisabledItems) {
  TvlSkinOfficeListBox* list =
      List({"H", "a", "D", "c", "H", "d", "e", "f", "g", "h", "i", "j", "k", "l"}, 126);
  list->SetFocus();
  struct Case {
    int from;
    WORD key;
    int to;
  } cases[] = {
      {1, VK_UP, 1},      // the first selectable item below a header stays
      {3, VK_UP, 1},      // over the disabled item
      {1, VK_DOWN, 3},    // over the disabled item
      {3, VK_DOWN, 5},    // over the header
      {3, VK_RIGHT, 5},   // Right walks as Down
      {5, VK_LEFT, 3},    // Left walks as Up
      {5, VK_PRIOR, 3},   // Page Up from a group's first item: the previous group's last
      {5, VK_NEXT, 10},   // within one group: rows + 1 items
      {-1, VK_NEXT, 1},   // from nothing: stops at the first item after the header it passes
      {13, VK_NEXT, 13},  // at the end
      {13, VK_DOWN, 13},
  };
  for (const Case& c : cases) {
    list->SetActiveItem(c.from);
    Key(c.key);
    EXPECT_EQ(list->ItemIndex(), c.to) << "from " << c.from << " key " << c.key;
  }
}

TEST_F(SkinOfficeTest, ClicksOnHeadersAndDisabledItemsChangeNothing) {
  TvlSkinOfficeListBox* list = List({"H", "a", "D", "c"});
  list->SetItemIndex(1);
  for (int i : {0, 2}) {
    Click(list);  // settle focus
    const TRect r = list->Items()->Items(i)->ItemRect;
    display->Click(list->ClientToScreen(TPoint{40, (r.Top + r.Bottom) / 2}));
    Pump();
    EXPECT_EQ(list->ItemIndex(), 1) << "item " << i;
  }
  const TRect r = list->Items()->Items(3)->ItemRect;
  display->Click(list->ClientToScreen(TPoint{40, (r.Top + r.Bottom) / 2}));
  Pump();
  EXPECT_EQ(list->ItemIndex(), 3);
}

TEST_F(SkinOfficeTest, ScrollingKeepsTheGroupHeaderAndLeavesNoSpaceBelowTheLastItem) {
  TvlSkinOfficeListBox* list = List({"H", "a", "b", "c", "d", "e", "f", "g"}, 100);
  list->SetItemIndex(7);
  EXPECT_GT(list->ScrollOffset(), 0);
  list->ScrollToItem(1);
  EXPECT_EQ(list->ScrollOffset(), 0) << "the header at index 0 stays in view";

  list->SetItemIndex(7);
  const int bottom = list->Items()->Items(7)->ItemRect.Bottom;
  EXPECT_LE(bottom, list->ItemsRect().Bottom + 1);
  EXPECT_EQ(bottom, 97);
  list->SetHeight(200);
  Pump();
  list->CalcItemRects();
  EXPECT_EQ(list->Items()->Items(7)->ItemRect.Bottom, list->ItemsRect().Bottom)
      << "enlarged at the end, the list scrolls back to leave no space below the last item";
  list->SetHeight(400);
  Pump();
  EXPECT_EQ(list->ScrollOffset(), 0);
  EXPECT_EQ(list->ScrollBar, nullptr);
}

// ---- The combo box ----

TEST_F(SkinOfficeTest, ItemIndexWritesAlwaysFireClickThenChangeButNotWhileLoading) {
  TvlSkinOfficeComboBox* box = Combo({"a", "b", "c"});
  box->SetItemIndex(1);
  box->SetItemIndex(1);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"click", "change", "click", "change"}));
  box->SetItemIndex(7);
  EXPECT_EQ(box->ItemIndex(), -1) << "beyond the count: no selection";
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"click", "change"}));

  box->BeginLoading();
  box->SetItemIndex(2);
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_TRUE(TakeEvents().empty());
  static_cast<TComponent*>(box)->Loaded();
}

TEST_F(SkinOfficeTest, KeysAndWheelSelectWhileClosedAndOnlyHighlightWhileOpen) {
  TvlSkinOfficeComboBox* box = Combo({"H", "a", "D", "c", "d"});
  box->SetItemIndex(1);
  TakeEvents();
  Key(VK_UP);  // at the first selectable item: written back, events fire
  EXPECT_EQ(box->ItemIndex(), 1);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"click", "change"}));
  Key(VK_DOWN);
  EXPECT_EQ(box->ItemIndex(), 3);
  TakeEvents();
  display->Wheel(Centre(box), -120);
  Pump();
  EXPECT_EQ(box->ItemIndex(), 4);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"click", "change"}));

  display->KeyDown(VK_MENU);
  Key(VK_DOWN);
  display->KeyUp(VK_MENU);
  Pump();
  ASSERT_TRUE(box->IsPopupVisible());
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"dropdown"}));
  display->Wheel(Centre(box), 120);
  Pump();
  EXPECT_EQ(box->ItemIndex(), 3) << "the highlight moves";
  EXPECT_TRUE(TakeEvents().empty());
  Key(VK_ESCAPE);
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_EQ(box->ItemIndex(), 4) << "a cancelled list gives the index of its opening back";
  EXPECT_TRUE(TakeEvents().empty());
}

// On an open list the keys move the highlight only (Up, Down, Home, End, a typed first letter,
// the same letter again cycling); Enter takes it, Esc gives back the opening's item. A letter
// typed on the closed box selects.
TEST_F(SkinOfficeTest, KeysOnAnOpenListMoveTheHighlightUntilEnter) {
  TvlSkinOfficeComboBox* box = Combo({"apple", "banana", "cherry", "avocado"});
  box->SetItemIndex(1);
  box->DropDown();
  Pump();
  TakeEvents();
  const struct {
    WORD key;
    int highlight;
  } steps[] = {{VK_END, 3}, {VK_HOME, 0}, {VK_DOWN, 1}, {'A', 3}, {'A', 0}, {'C', 2}};
  for (const auto& s : steps) {
    Key(s.key);
    EXPECT_TRUE(box->IsPopupVisible()) << s.key;
    EXPECT_EQ(box->ListBox()->ItemIndex(), s.highlight) << s.key;
  }
  EXPECT_TRUE(TakeEvents().empty());
  Key(VK_ESCAPE);
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_EQ(box->ItemIndex(), 1);
  EXPECT_TRUE(TakeEvents().empty());

  box->DropDown();
  Pump();
  TakeEvents();
  Key('C');
  Key(VK_RETURN);
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"click", "change", "closeup"}));
  Key('A');
  EXPECT_EQ(box->ItemIndex(), 3) << "closed: a letter selects";
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"click", "change"}));
}

TEST_F(SkinOfficeTest, AcceptedAndCancelledDropDowns) {
  TvlSkinOfficeComboBox* box = Combo({"a", "b", "c"});
  box->SetItemIndex(0);
  TakeEvents();
  struct Case {
    const char* how;
    int expectIndex;
    std::vector<std::string> expectEvents;
  } cases[] = {
      {"enter", 1, {"dropdown", "click", "change", "closeup"}},
      {"escape", 0, {"dropdown"}},
      {"alt-up", 0, {"dropdown"}},
      {"focus", 0, {"dropdown"}},
  };
  for (const Case& c : cases) {
    box->SetItemIndex(0);
    TakeEvents();
    box->DropDown();
    Pump();
    box->ListBox()->SetActiveItem(1);  // the pointer moved the highlight
    TakeEvents();
    events.push_back("dropdown");
    const std::string how = c.how;
    if (how == "enter") Key(VK_RETURN);
    if (how == "escape") Key(VK_ESCAPE);
    if (how == "alt-up") {
      display->KeyDown(VK_MENU);
      Key(VK_UP);
      display->KeyUp(VK_MENU);
      Pump();
    }
    if (how == "focus") {
      box->Perform(WM_KILLFOCUS, 0, 0);
      Pump();
    }
    EXPECT_FALSE(box->IsPopupVisible()) << how;
    EXPECT_EQ(box->ItemIndex(), c.expectIndex) << how;
    EXPECT_EQ(TakeEvents(), c.expectEvents) << how;
    box->SetFocus();
    Pump();
  }
}

TEST_F(SkinOfficeTest, MouseOpensTracksAndAcceptsOverTheListOnly) {
  TvlSkinOfficeComboBox* box = Combo({"a", "b", "c", "d"});
  box->SetItemIndex(0);
  TakeEvents();
  // Without the tool-button look a press on the frame does not open the list.
  display->Click(box->ClientToScreen(TPoint{0, 0}));
  Pump();
  EXPECT_FALSE(box->IsPopupVisible());
  display->Click(box->ClientToScreen(TPoint{box->Width() - 8, box->Height() / 2}));
  Pump();
  ASSERT_TRUE(box->IsPopupVisible());
  TvlPopupOfficeListBox* list = box->ListBox();
  const TRect r2 = list->Items()->Items(2)->ItemRect;
  const TPoint over2 = list->ClientToScreen(TPoint{30, (r2.Top + r2.Bottom) / 2});
  display->MouseMove(over2);
  Pump();
  EXPECT_EQ(list->ItemIndex(), 2) << "the highlight follows the pointer";
  EXPECT_EQ(box->ItemIndex(), 2);
  display->MouseDown(over2);
  Pump();
  display->MouseUp(over2);
  Pump();
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"dropdown", "click", "change", "closeup"}));

  // Pressed on the list and released outside it: cancelled.
  box->SetToolButtonStyle(true);
  display->Click(box->ClientToScreen(TPoint{4, 4}));
  Pump();
  ASSERT_TRUE(box->IsPopupVisible()) << "a tool button opens anywhere";
  const TRect r0 = list->Items()->Items(0)->ItemRect;
  display->MouseMove(list->ClientToScreen(TPoint{30, (r0.Top + r0.Bottom) / 2}));
  display->MouseDown(list->ClientToScreen(TPoint{30, (r0.Top + r0.Bottom) / 2}));
  Pump();
  display->MouseMove({395, 540});
  display->MouseUp({395, 540});
  Pump();
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"dropdown"}));
}

// A click whose press and release are read together (as from a busy X connection) is routed
// before the press hands the mouse to the box: the release reaches the list and still picks the
// row, and the next click on the box works again.
TEST_F(SkinOfficeTest, AClickReadWithItsReleasePicksTheRowAndLeavesTheMouseFree) {
  TvlSkinOfficeComboBox* box = Combo({"a", "b", "c", "d"});
  box->SetItemIndex(0);
  const TPoint button = box->ClientToScreen(TPoint{box->Width() - 8, box->Height() / 2});
  display->Click(button);
  Pump();
  ASSERT_TRUE(box->IsPopupVisible());
  TvlPopupOfficeListBox* list = box->ListBox();
  const TRect r2 = list->Items()->Items(2)->ItemRect;
  const TPoint over2 = list->ClientToScreen(TPoint{30, (r2.Top + r2.Bottom) / 2});
  display->MouseMove(over2);
  Pump();
  TakeEvents();
  display->MouseDown(over2);
  display->MouseUp(over2);
  Pump();
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"click", "change", "closeup"}));
  EXPECT_EQ(GetCapture(), nullptr) << "no window keeps the mouse";
  display->MouseMove(button);
  display->Click(button);
  Pump();
  EXPECT_TRUE(box->IsPopupVisible()) << "the box opens again on the next click";
}

TEST_F(SkinOfficeTest, DropDownPlaceHeightAndEmptyList) {
  TvlSkinOfficeComboBox* box = Combo({});
  box->DropDown();
  EXPECT_FALSE(box->IsPopupVisible());
  EXPECT_TRUE(TakeEvents().empty()) << "no items: no OnDropDown";

  Fill(box->Items(), {"a", "b", "c", "d", "e"});
  box->ListBoxWidth = 260;
  box->DropDown();
  TvlPopupOfficeListBox* list = box->ListBox();
  const TPoint boxRight = box->ClientToScreen(TPoint{box->Width(), box->Height()});
  EXPECT_EQ(list->Left() + list->Width(), boxRight.X) << "right edges lined up";
  EXPECT_EQ(list->Top(), boxRight.Y);
  EXPECT_EQ(list->Height(), 5 * 30 + 5) << "seven rows asked, five items";
  box->CloseUp(false);

  box->SetDropDownCount(-3);
  EXPECT_EQ(box->DropDownCount(), 7);
  box->SetDropDownCount(0);
  list->SetHeight(77);
  box->DropDown();
  EXPECT_EQ(list->Height(), 77) << "no count and no height: kept";
  box->CloseUp(false);

  // Near the bottom of the work area the list opens above the box.
  box->SetBounds(20, 500, 160, 41);
  box->SetDropDownCount(4);
  box->DropDown();
  EXPECT_EQ(list->Top() + list->Height(), box->ClientToScreen(TPoint{0, 0}).Y);
  box->CloseUp(false);
}

TEST_F(SkinOfficeTest, TheDropDownIsOpaqueWithoutBlendAndFadesInOnTheClock) {
  TvlSkinOfficeComboBox* box = Combo({"a", "b"});
  box->DropDown();
  EXPECT_EQ(box->ListBox()->Opacity(), 255);
  EXPECT_FALSE(box->ListBox()->Fading());
  box->CloseUp(false);
  box->AlphaBlend = true;
  box->AlphaBlendAnimation = true;
  box->AlphaBlendValue = 200;
  box->DropDown();
  EXPECT_TRUE(box->ListBox()->Fading()) << "the fade never holds the GUI thread";
  EXPECT_EQ(box->ListBox()->Opacity(), 13);
  Advance(400, 7);
  EXPECT_FALSE(box->ListBox()->Fading());
  EXPECT_EQ(box->ListBox()->Opacity(), 200);
}

TEST_F(SkinOfficeTest, ASkinWithoutTheComboElementClearsTheListsElementName) {
  TvlSkinOfficeComboBox* box = Combo({"a"});
  box->SetSkinData(&skin);
  EXPECT_EQ(box->SkinIndex(), -1) << "the fixture skin has no combo-box element";
  EXPECT_EQ(box->ListBoxSkinDataName(), "");
}

// The two pickers of the main window: choosing a category refills the preset list and selects
// its first preset, whose change comes after the category's.
TEST_F(SkinOfficeTest, MainWindowPickersReportTheChosenCategoryAndPreset) {
  TForm* form = MakeForm({0, 0, 400, 400});
  auto* images = new TImageList(form);
  skinned_office_board::FillImages(images);
  auto* categories = new TvlSkinOfficeComboBox(form);
  categories->SetParent(form);
  categories->SetBounds(10, 10, 130, 51);
  skinned_office_board::ConfigureCategoryChooser(categories, images);
  auto* presets = new TvlSkinOfficeComboBox(form);
  presets->SetParent(form);
  presets->SetBounds(150, 10, 190, 51);
  skinned_office_board::ConfigurePresetChooser(presets, images);
  form->Show();
  Pump();
  EXPECT_TRUE(categories->ToolButtonStyle());
  EXPECT_FALSE(categories->UseSkinSize);
  EXPECT_EQ(categories->Items()->Count(), 12);
  EXPECT_EQ(categories->Items()->GetItem(9)->Caption(), "iPhone视频");
  EXPECT_EQ(categories->Items()->GetItem(9)->ImageIndex(), 4);

  categories->OnChange = [&](TObject*) {
    events.push_back("category " + std::to_string(categories->ItemIndex()));
    skinned_office_board::FillPresets(presets, categories->Items()->GetItem(categories->ItemIndex())->ImageIndex());
    presets->SetItemIndex(0);
  };
  presets->OnChange = [&](TObject*) { events.push_back("preset " + std::to_string(presets->ItemIndex())); };
  categories->SetItemIndex(0);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"category 0", "preset 0"}));

  // The category list opens 119 wide with four rows of 50, its right edge under the box's.
  categories->SetFocus();
  Click(categories);
  TvlPopupOfficeListBox* list = categories->ListBox();
  ASSERT_TRUE(list->Visible());
  EXPECT_EQ(list->Width(), 119);
  EXPECT_EQ(list->Height(), 4 * 50 + 5);
  EXPECT_EQ(list->SkinDataName(), "resizetoolpanel");
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(categories->ItemIndex(), 2);
  // On the open list the keys move the highlight only; Enter takes it, once.
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"category 2", "preset 0"}));
  EXPECT_EQ(presets->Items()->Count(), 5);
  EXPECT_EQ(presets->ItemIndex(), 0);
  EXPECT_EQ(presets->ListBox()->ItemHeight(), 60);
  EXPECT_TRUE(presets->ListBox()->ShowLines());
}

// A caption beside its picture stays on one line in the closed box, however narrow the room: a
// short one whole, a long one cut with "...", never wrapped under itself; disabled, the picture
// is a faded grey copy, not a block of one colour.
TEST_F(SkinOfficeTest, CaptionsBesideTheirPicturesStayOnOneLine) {
  TvlSkinOfficeComboBox* box = Combo({"", "WMV视频", "iPhone视频", "很长很长很长很长的分类名称视频"}, {20, 20, 139, 71});
  auto* images = new TImageList(box->Owner());
  skinned_office_board::FillImages(images);
  for (int i = 0; i < box->Items()->Count(); ++i) box->Items()->GetItem(i)->SetImageIndex(0);
  box->SetImages(images);
  box->UseSkinSize = false;
  box->SetSkinData(&skin);
  // The rows of the box that a caption changes, against the same box with no caption.
  auto inkRows = [&](int Index) {
    box->SetItemIndex(0);
    const TScreenShot blank = ScreenShot();
    box->SetItemIndex(Index);
    const TScreenShot shown = ScreenShot();
    int top = 1000, bottom = -1;
    for (int y = 0; y < box->Height(); ++y)
      for (int x = 0; x < box->Width(); ++x) {
        const TPoint p = box->ClientToScreen(TPoint{x, y});
        if (blank.At(p) == shown.At(p)) continue;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    return bottom - top + 1;
  };
  TBitmap measure;
  measure.Canvas()->Font()->Assign(box->Font());
  const int line = measure.Canvas()->TextHeight("视");
  for (int i = 1; i < box->Items()->Count(); ++i) {
    SCOPED_TRACE(box->Items()->GetItem(i)->Caption());
    const int rows = inkRows(i);
    EXPECT_GT(rows, 4) << "the caption shows";
    EXPECT_LE(rows, line + 2) << "one line of text";
  }
}

// Every caption width across the edge of the room beside the picture, the gap between picture
// and caption included: the ink stays inside the item's rectangle, on one line. Narrow letters
// step the width by a few pixels; three starts shift the steps so that no width near the edge
// is skipped.
TEST_F(SkinOfficeTest, ACaptionBesideItsPictureNeverRunsPastTheItem) {
  TImageList images(nullptr);
  skinned_office_board::FillImages(&images);
  constexpr int kItemWidth = 120, kHeight = 36;
  const TRect item{0, 0, kItemWidth, kHeight};
  for (const std::string start : {"", "视", "视视"}) {
    for (std::string caption = start + "WMV";; caption += "i") {
      TBitmap b;
      b.SetPixelFormat(TPixelFormat::pf32bit);
      b.SetSize(kItemWidth + 40, kHeight);
      b.Canvas()->Brush()->SetColor(clWhite);
      b.Canvas()->FillRect(TRect{0, 0, b.Width(), kHeight});
      b.Canvas()->Font()->SetName("Arial");
      b.Canvas()->Font()->SetHeight(14);
      b.Canvas()->Font()->SetColor(clBlack);
      if (b.Canvas()->TextWidth(caption) > kItemWidth) break;
      vlskinctrls_detail::DrawImageAndCaptionOnOneLine(b.Canvas(), item, caption, 0, &images, true);
      SCOPED_TRACE(caption);
      int right = -1, top = kHeight, bottom = -1;
      for (int y = 0; y < kHeight; ++y)
        for (int x = images.Width(); x < b.Width(); ++x)
          if ((b.Canvas()->Pixels(x, y) & 0xFFFFFF) != 0xFFFFFF) {
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
          }
      ASSERT_GE(right, 0) << "the caption shows";
      EXPECT_LT(right, kItemWidth) << "the caption ends inside the item";
      EXPECT_LE(bottom - top + 1, b.Canvas()->TextHeight("视") + 2) << "one line of text";
    }
  }
}

TEST_F(SkinOfficeTest, BoardOfPickersMatchesItsExpectedPictures) {
  const auto expected = skinned_test_form::ExpectedFolder();
  skinned_office_board::RenderAndCompare(display, nullptr, expected, "unskinned_office");
}

}  // namespace
