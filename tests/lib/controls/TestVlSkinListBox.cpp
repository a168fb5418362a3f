// The skinned list box: its bars kept in step with the inner list (wheel, keys, dragging; whole
// positions past 16 bits), long lines and the horizontal bar, row-count sizing, owner drawing
// and tab stops of the items, the caption buttons with their repetition, and the board of the
// lists in both looks.

#include "lib/controls/vlSkinBoxCtrls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedListsBoard.h"

namespace {

class SkinListBoxTest : public SkinnedControlsWorld {
 protected:
  // A list of 200 x 150 at (10, 10) with Count items, shown.
  TvlSkinListBox* List(TForm* form, int Count, TvlSkinData* data) {
    auto* list = new TvlSkinListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 200, 150);
    list->SetSkinData(data);
    list->Items()->BeginUpdate();
    for (int i = 0; i < Count; ++i) list->Items()->Add("片段 " + std::to_string(i));
    list->Items()->EndUpdate();
    form->Show();
    Pump();
    return list;
  }

  // The number of whole rows the inner list shows.
  static int Page(TvlSkinListBox* list) { return list->ListBox->Height() / list->ListBox->ItemHeight(); }

  void Key(WORD key) {
    display->KeyDown(key);
    display->KeyUp(key);
    Pump();
  }
};

TEST_F(SkinListBoxTest, BoardOfListsMatchesItsExpectedPictures) {
  const auto expected = skinned_controls_world::SourceFolder() / "expected";
  skinned_lists_board::RenderAndCompare(display, &skin, expected, "skinned_lists");
  skinned_lists_board::RenderAndCompare(display, nullptr, expected, "unskinned_lists");
}

TEST_F(SkinListBoxTest, FortyItemsKeepTheBarInStepUnderWheelKeysAndDragging) {
  for (TvlSkinData* data : {&skin, static_cast<TvlSkinData*>(nullptr)}) {
    SCOPED_TRACE(data ? "skinned" : "unskinned");
    TForm* form = MakeForm(TRect{0, 0, 300, 250});
    TvlSkinListBox* list = List(form, 40, data);
    TvlSkinScrollBar* bar = list->ScrollBar;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Kind(), TScrollBarKind::sbVertical);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(bar->PageSize(), Page(list));
    EXPECT_EQ(bar->Left(), list->ListBox->Left() + list->ListBox->Width()) << "the bar stands right of the list";
    EXPECT_EQ(bar->SkinDataName(), data ? "vscrollbar" : "");

    // The wheel: the platform's own turn plus one line.
    const TPoint inside = list->ListBox->ClientToScreen(TPoint{20, 20});
    display->MouseMove(inside);
    display->Wheel(inside, -120);
    Pump();
    EXPECT_GT(list->TopIndex(), 0);
    EXPECT_EQ(bar->Position(), list->TopIndex());
    display->Wheel(inside, 120);
    Pump();
    EXPECT_EQ(bar->Position(), list->TopIndex());

    // Keys move the selection and the list scrolls it into view.
    list->ListBox->SetFocus();
    Key(VK_END);
    EXPECT_EQ(list->ItemIndex(), 39);
    EXPECT_EQ(list->TopIndex(), 40 - Page(list));
    EXPECT_EQ(bar->Position(), list->TopIndex());
    Key(VK_HOME);
    EXPECT_EQ(list->TopIndex(), 0);
    EXPECT_EQ(bar->Position(), 0);

    // Dragging the bar's thumb scrolls the list.
    const TRect thumb = bar->PartRect(TvlSkinScrollBar::kThumb);
    const TPoint grab = bar->ClientToScreen(TPoint{bar->Width() / 2, (thumb.Top + thumb.Bottom) / 2});
    display->MouseMove(grab);
    display->MouseDown(grab);
    display->MouseMove(TPoint{grab.X, grab.Y + 40});
    Pump();
    display->MouseUp(TPoint{grab.X, grab.Y + 40});
    Pump();
    EXPECT_GT(bar->Position(), 0);
    EXPECT_EQ(list->TopIndex(), bar->Position());

    // Fewer items than rows: the bar goes.
    while (list->Items()->Count() > 3) list->Items()->Delete(list->Items()->Count() - 1);
    Pump();
    EXPECT_EQ(list->ScrollBar, nullptr);
    EXPECT_EQ(list->ListBox->Width(), 196) << "the whole client width";
    forms.clear();
    Pump();
  }
}

TEST_F(SkinListBoxTest, BarPositionsPassAsWholeIntegers) {
  TForm* form = MakeForm(TRect{0, 0, 300, 250});
  auto* list = new TvlSkinListBox(form);
  for (int i = 0; i < 70000; ++i) list->Items()->Add(std::to_string(i));  // before the window exists
  list->SetParent(form);
  list->SetBounds(10, 10, 200, 150);
  list->SetSkinData(&skin);
  form->Show();
  Pump();
  ASSERT_NE(list->ScrollBar, nullptr);
  list->ScrollBar->SetPosition(66000);
  EXPECT_EQ(list->TopIndex(), 66000) << "not the position's low 16 bits";
  list->ListBox->SetFocus();
  Key(VK_END);
  EXPECT_EQ(list->ScrollBar->Position(), 70000 - Page(list));
}

TEST_F(SkinListBoxTest, LongLinesBringAHorizontalBarThatShiftsTheText) {
  TForm* form = MakeForm(TRect{0, 0, 300, 250});
  TvlSkinListBox* list = List(form, 0, &skin);
  list->SetHorizontalExtent(true);
  list->Items()->Add("短");
  EXPECT_EQ(list->HScrollBar, nullptr) << "the line fits";
  list->Items()->Add("/媒体/视频/第一集/原始素材与字幕以及很长很长的文件名.avi");
  list->UpDateScrollBar();
  TvlSkinScrollBar* h = list->HScrollBar;
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->SkinDataName(), "hscrollbar");
  EXPECT_FALSE(h->Both()) << "no vertical bar";
  EXPECT_EQ(h->Top() + h->Height(), list->ListBox->Top() + list->ListBox->Height() + h->Height());

  // Right and Left scroll by a step while the bar exists; the wheel too without a vertical bar.
  list->ListBox->SetFocus();
  Key(VK_RIGHT);
  EXPECT_EQ(h->Position(), h->SmallChange());
  EXPECT_EQ(list->ListBox->HorizontalExtentValue(), h->Position());
  const TPoint inside = list->ListBox->ClientToScreen(TPoint{20, 10});
  display->MouseMove(inside);
  display->Wheel(inside, -120);
  Pump();
  EXPECT_EQ(h->Position(), 2 * h->SmallChange());
  Key(VK_LEFT);
  EXPECT_EQ(h->Position(), h->SmallChange());
  EXPECT_EQ(list->ItemIndex(), -1) << "the keys did not reach the list";

  // A wider list needs less shift; with a vertical bar the horizontal one takes its corner look.
  const int shifted = list->ListBox->HorizontalExtentValue();
  list->ListBox->SetBounds(list->ListBox->Left(), list->ListBox->Top(), list->ListBox->Width() + 2,
                           list->ListBox->Height());
  EXPECT_EQ(list->ListBox->HorizontalExtentValue(), std::max(0, shifted - 2));
  for (int i = 0; i < 30; ++i) list->Items()->Add("行 " + std::to_string(i));
  Pump();
  ASSERT_NE(list->ScrollBar, nullptr);
  list->ChangeSkinData();
  ASSERT_NE(list->HScrollBar, nullptr);
  EXPECT_TRUE(list->HScrollBar->Both());
  EXPECT_EQ(list->HScrollBar->SkinDataName(), "bothhscrollbar");
  EXPECT_EQ(list->ScrollBar->Top() + list->ScrollBar->Height(), list->HScrollBar->Top())
      << "the vertical bar stops above the horizontal one";
  // Short lines again: the bar goes and the text is no longer shifted.
  list->Items()->Clear();
  list->Items()->Add("短");
  list->UpDateScrollBar();
  EXPECT_EQ(list->HScrollBar, nullptr);
  EXPECT_EQ(list->ListBox->HorizontalExtentValue(), 0);
}

TEST_F(SkinListBoxTest, RowCountFitsTheHeightToItsRows) {
  struct Case {
    bool skinned;
    bool caption;
  };
  for (const Case c : {Case{true, false}, Case{false, false}, Case{false, true}}) {
    SCOPED_TRACE(std::string(c.skinned ? "skinned" : "unskinned") + (c.caption ? ", caption" : ""));
    TForm* form = MakeForm(TRect{0, 0, 300, 250});
    TvlSkinListBox* list = List(form, 5, c.skinned ? &skin : nullptr);
    list->SetCaptionMode(c.caption);
    list->SetRowCount(5);
    Pump();
    const int rowHeight = c.skinned ? 20 : list->DefaultItemHeight();
    EXPECT_EQ(list->ListBox->ItemHeight(), rowHeight);
    EXPECT_EQ(list->ScrollBar, nullptr) << "every row shows";
    EXPECT_GE(list->ListBox->Height(), 5 * rowHeight);
    EXPECT_LT(list->ListBox->Height(), 6 * rowHeight);
    if (!c.skinned) {
      EXPECT_EQ(list->Height(), 5 * rowHeight + 4 + (c.caption ? 20 : 0));
    }
    list->Items()->Add("6");
    list->UpDateScrollBar();
    EXPECT_NE(list->ScrollBar, nullptr) << "a sixth row does not fit";
    forms.clear();
    Pump();
  }
}

TEST_F(SkinListBoxTest, OwnerDrawingGetsTheItemBitmapOfEachLook) {
  // The fixture's item picture is 60 x 20 with its text at (6, 0)-(54, 20).
  struct Case {
    const char* name;
    bool skinned, skinHeight;
    int rowHeight;        // the inner list's item height (DefaultItemHeight is 30)
    int heightArgument;   // what the event is told
    TRect text;           // for an inner list Width wide: Right and Bottom relative to it
  };
  const Case cases[] = {
      {"built-in", false, true, 30, 30, TRect{2, 0, -2, 30}},
      {"strip", true, true, 20, 20, TRect{6, 0, -6, 20}},
      {"stretched", true, false, 30, 20, TRect{6, 0, -6, 30}},
  };
  const TColor marker = fixture_skin::Colour(200, 30, 40);
  const auto markerRgb = static_cast<COLORREF>(ColorToRGB(marker));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm* form = MakeForm(TRect{0, 0, 300, 250});
    TvlSkinListBox* list = List(form, 0, c.skinned ? &skin : nullptr);
    list->UseSkinItemHeight = c.skinHeight;
    list->SetDefaultItemHeight(30);
    if (c.skinned) list->ChangeSkinData();
    int width = -1, height = -1, index = -1;
    TRect text{};
    list->OnDrawItem = [&](TCanvas* cnvs, int i, int w, int h, const TRect& tr, TOwnerDrawState) {
      index = i, width = w, height = h, text = tr;
      // Only the bitmap reaches the screen: what is drawn past it is lost.
      cnvs->Brush()->SetStyle(TBrushStyle::bsSolid);
      cnvs->Brush()->SetColor(marker);
      cnvs->FillRect(TRect{0, 0, w, 400});
    };
    list->Items()->Add("一");
    list->SetItemIndex(0);
    list->ListBox->SetFocus();
    list->ListBox->Repaint();
    Pump();
    EXPECT_EQ(list->ListBox->ItemHeight(), c.rowHeight);
    const int w = list->ListBox->Width();
    EXPECT_EQ(index, 0);
    EXPECT_EQ(width, w);
    EXPECT_EQ(height, c.heightArgument);
    EXPECT_EQ(text, (TRect{c.text.Left, c.text.Top, w + c.text.Right, c.text.Bottom}));
    TScreenShot shot = ScreenShot();
    const TPoint inside = list->ListBox->ClientToScreen(TPoint{w / 2, c.rowHeight / 2});
    EXPECT_EQ(shot.At(inside), markerRgb) << "the owner's drawing";
    EXPECT_NE(shot.At(list->ListBox->ClientToScreen(TPoint{w / 2, c.rowHeight + 5})), markerRgb)
        << "below the item's bitmap";
    if (!c.skinned) {
      // The focused item's dotted frame comes after the owner's drawing.
      int dotted = 0;
      for (int x = 0; x < 8; ++x) dotted += shot.At(list->ListBox->ClientToScreen(TPoint{x, 0})) != markerRgb;
      EXPECT_GT(dotted, 0);
    }
    forms.clear();
    Pump();
  }
}

TEST_F(SkinListBoxTest, TabStopsTakeOnlyLinesOfDigits) {
  // "a<tab>b" with the stops {first, 400}: b stands at 120 when the first line reads 120, and
  // past the list's edge when it reads as 0 (any character but a digit, or nothing).
  TForm* form = MakeForm(TRect{0, 0, 300, 250});
  TvlSkinListBox* list = List(form, 0, nullptr);
  list->Items()->Add("a\tb");
  Pump();
  struct Case {
    const char* first;
    bool at120;
  };
  // A number past the int range reads as 0 as well, never as an error.
  const Case cases[] = {{"120", true},   {"0120", true}, {"12x", false},
                        {" 120", false}, {"-120", false}, {"", false},
                        {"99999999999", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.first + "\"");
    TStringList tabs;
    tabs.Add(c.first);
    tabs.Add("400");
    list->SetTabWidths(&tabs);
    list->ListBox->Repaint();
    Pump();
    TScreenShot shot = ScreenShot();
    const COLORREF paper = shot.At(list->ListBox->ClientToScreen(TPoint{100, 10}));
    int ink = 0;
    for (int x = 118; x < 136; ++x)
      for (int y = 2; y < 18; ++y) ink += shot.At(list->ListBox->ClientToScreen(TPoint{x, y})) != paper;
    EXPECT_EQ(ink > 0, c.at120);
  }
}

class CaptionButtonsTest : public SkinListBoxTest {
 protected:
  TvlSkinListBox* Captioned(TvlSkinData* data) {
    TForm* form = MakeForm(TRect{0, 0, 300, 250});
    auto* list = new TvlSkinListBox(form);
    list->SetParent(form);
    list->SetSkinDataName("captionlistbox");
    list->SetCaptionMode(true);
    list->SetBounds(10, 10, 200, 150);
    list->SetSkinData(data);
    for (int i = 0; i < 20; ++i) list->Items()->Add("片段 " + std::to_string(i));
    form->Show();
    Pump();
    return list;
  }

  TPoint ButtonCentre(TvlSkinListBox* list, int i) {
    const TRect r = list->CaptionButton(i).R;
    return list->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
};

TEST_F(CaptionButtonsTest, ButtonsSitAtTheRightOfTheBand) {
  TvlSkinListBox* plain = Captioned(nullptr);
  // Caption height 20: buttons 17 wide and 16 high, right to left up, down, check.
  EXPECT_EQ(plain->CaptionButton(TvlSkinListBox::kUpButton).R, (TRect{181, 2, 198, 18}));
  EXPECT_EQ(plain->CaptionButton(TvlSkinListBox::kDownButton).R, (TRect{164, 2, 181, 18}));
  EXPECT_EQ(plain->CaptionButton(TvlSkinListBox::kCheckButton).R, (TRect{147, 2, 164, 18}));
  EXPECT_EQ(plain->ListBox->Top(), 21);
  TvlSkinListBox* skinned = Captioned(&skin);
  // The element is 80 wide: the buttons move right with its right corner by 120.
  EXPECT_EQ(skinned->CaptionButton(TvlSkinListBox::kUpButton).R, (TRect{180, 3, 196, 19}));
  EXPECT_EQ(skinned->CaptionButton(TvlSkinListBox::kCheckButton).R, (TRect{148, 3, 164, 19}));
  EXPECT_EQ(skinned->ListBox->Top(), 24);
}

TEST_F(CaptionButtonsTest, HiddenButtonsAreCoveredAndInert) {
  // The up button's arrow is white on the band; hidden, the place shows the element's band
  // without buttons, or (an element without that picture) the band stretched over them.
  for (const bool disabledPicture : {true, false}) {
    SCOPED_TRACE(disabledPicture ? "the band without buttons" : "the band stretched");
    if (!disabledPicture)
      for (auto& e : skin.CtrlList)
        if (auto* d = dynamic_cast<TvlDataSkinListBox*>(e.get()); d && e->IDName == "captionlistbox")
          d->DisabledButtonsRect = TRect{};
    TvlSkinListBox* list = Captioned(&skin);
    list->SetItemIndex(3);
    const TPoint up = ButtonCentre(list, TvlSkinListBox::kUpButton);
    const COLORREF white = RGB(255, 255, 255);
    EXPECT_EQ(ScreenShot().At(up), white);
    list->SetShowCaptionButtons(false);
    Pump();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsNullRect(list->CaptionButton(i).R)) << i;
    EXPECT_NE(ScreenShot().At(up), white);
    display->MouseMove(up);
    display->Click(up);
    Advance(700);
    EXPECT_EQ(list->ItemIndex(), 3) << "no step";
    forms.clear();
    Pump();
  }
}

TEST_F(CaptionButtonsTest, HeldButtonWaits500msThenStepsEvery100msAndOnceMoreOnRelease) {
  for (TvlSkinData* data : {&skin, static_cast<TvlSkinData*>(nullptr)}) {
    SCOPED_TRACE(data ? "skinned" : "unskinned");
    TvlSkinListBox* list = Captioned(data);
    list->SetItemIndex(0);
    const TPoint down = ButtonCentre(list, TvlSkinListBox::kDownButton);
    display->MouseMove(down);
    Pump();
    EXPECT_TRUE(list->CaptionButton(TvlSkinListBox::kDownButton).MouseIn);
    display->MouseDown(down);
    Pump();
    Advance(490);
    EXPECT_EQ(list->ItemIndex(), 0) << "the first wait";
    Advance(560);  // 1050 ms: steps at 600, 700, 800, 900 and 1000
    EXPECT_EQ(list->ItemIndex(), 5);
    // Off the control the repetition pauses.
    display->MouseMove({299, 249});
    Pump();
    Advance(300);
    EXPECT_EQ(list->ItemIndex(), 5);
    display->MouseMove(down);
    Pump();
    display->MouseUp(down);
    Pump();
    EXPECT_EQ(list->ItemIndex(), 6) << "one more on release";
    Advance(300);
    EXPECT_EQ(list->ItemIndex(), 6) << "the repetition ended";
    // Up at item 0 does nothing.
    list->SetItemIndex(0);
    display->Click(ButtonCentre(list, TvlSkinListBox::kUpButton));
    Pump();
    EXPECT_EQ(list->ItemIndex(), 0);
    // Leaving the control clears the hot button.
    display->MouseMove({299, 249});
    Pump();
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(list->CaptionButton(i).MouseIn) << i;
    forms.clear();
    Pump();
  }
}

TEST_F(CaptionButtonsTest, EventsReplaceTheStepsOnlyWhenReleasedOverTheirButton) {
  TvlSkinListBox* list = Captioned(&skin);
  std::vector<std::string> heard;
  list->OnListBoxClick = [&](TObject* sender) { heard.push_back(sender == list ? "click" : "click from another"); };
  // Check without an event clicks the inner list, the skinned list box named as the sender.
  list->SetItemIndex(2);
  display->MouseMove(ButtonCentre(list, TvlSkinListBox::kCheckButton));
  display->Click(ButtonCentre(list, TvlSkinListBox::kCheckButton));
  Pump();
  EXPECT_EQ(heard, (std::vector<std::string>{"click"}));

  // With an event: no repetition, the event on release over the button.
  list->OnDownButtonClick = [&](TObject* sender) { heard.push_back(sender == list ? "down" : "down from another"); };
  const TPoint down = ButtonCentre(list, TvlSkinListBox::kDownButton);
  display->MouseMove(down);
  display->MouseDown(down);
  Advance(1000);
  display->MouseUp(down);
  Pump();
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(heard.back(), "down");
  // Released away from the button: the default step instead of the event.
  display->MouseDown(down);
  Pump();
  display->MouseMove({299, 249});
  display->MouseUp({299, 249});
  Pump();
  EXPECT_EQ(list->ItemIndex(), 3);
  EXPECT_EQ(heard.size(), 2u);
}

}  // namespace
