// Skinned list and tree views: the skin's font and colours, external bars kept in step with the
// view (shown only while there is something to scroll, scrolling it back), the skinned column
// header with its pressed section, and views without items.

#include "lib/controls/vlSkinCtrlsViews.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedViewsBoard.h"

namespace {

class SkinViewsTest : public SkinnedControlsWorld {
 protected:
  // A report list view of 300 x 200 at (10, 10) with two columns, a vertical bar at its right
  // and a horizontal one below.
  TvlSkinListView* Report(TForm* form, int Rows) {
    auto* list = new TvlSkinListView(form);
    list->SetParent(form);
    list->SetViewStyle(TViewStyle::vsReport);
    list->SetBounds(10, 10, 300, 200);
    for (const char* name : {"文件名", "进度"}) {
      TListColumn* c = list->Columns()->Add();
      c->SetCaption(name);
      c->SetWidth(120);
    }
    list->BeginUpdate();
    for (int i = 0; i < Rows; ++i) list->Items()->Add()->SetCaption("视频 " + std::to_string(i));
    list->EndUpdate();
    vbar = new TvlSkinScrollBar(form);
    vbar->SetParent(form);
    vbar->SetKind(TScrollBarKind::sbVertical);
    vbar->SetSkinDataName("vscrollbar");
    vbar->SetBounds(310, 10, 15, 200);
    vbar->SetSkinData(&skin);
    hbar = new TvlSkinScrollBar(form);
    hbar->SetParent(form);
    hbar->SetBounds(10, 210, 300, 15);
    hbar->SetSkinData(&skin);
    list->SetVScrollBar(vbar);
    list->SetHScrollBar(hbar);
    list->SetSkinData(&skin);
    form->Show();
    Pump();
    return list;
  }

  TvlSkinScrollBar* vbar = nullptr;
  TvlSkinScrollBar* hbar = nullptr;
};

TEST_F(SkinViewsTest, BoardOfBarsAndViewsMatchesItsExpectedPictures) {
  const auto expected = skinned_controls_world::SourceFolder() / "expected";
  skinned_views_board::RenderAndCompare(display, &skin, expected, "skinned_views");
  skinned_views_board::RenderAndCompare(display, nullptr, expected, "unskinned_views");
}

TEST_F(SkinViewsTest, ReportViewShowsItsBarsOnlyWhileRowsDoNotFitAndFollowsThem) {
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  TvlSkinListView* list = Report(form, 5);
  EXPECT_FALSE(vbar->Visible()) << "five rows fit";
  EXPECT_FALSE(hbar->Visible());
  EXPECT_EQ(list->Color(), fixture_skin::Colour(252, 253, 255));
  EXPECT_EQ(list->Font()->Name(), "Tahoma");
  list->BeginUpdate();
  for (int i = 5; i < 600; ++i) list->Items()->Add()->SetCaption("视频 " + std::to_string(i));
  list->EndUpdate();
  Pump();
  ASSERT_TRUE(vbar->Visible());
  EXPECT_EQ(vbar->Max(), 599);
  EXPECT_EQ(vbar->PageSize(), list->VisibleRowCount());
  EXPECT_TRUE(hbar->Visible() == false) << "the columns fit the width";

  // Dragging the external thumb scrolls the rows.
  const TRect thumb = vbar->PartRect(TvlSkinScrollBar::kThumb);
  const TPoint grab = vbar->ClientToScreen(TPoint{7, (thumb.Top + thumb.Bottom) / 2});
  display->MouseMove(grab);
  display->MouseDown(grab);
  display->MouseMove(TPoint{grab.X, grab.Y + 80});
  Pump();
  display->MouseUp(TPoint{grab.X, grab.Y + 80});
  Pump();
  EXPECT_GT(vbar->Position(), 200);
  EXPECT_EQ(list->TopIndex(), vbar->Position());
  // Scrolling the view (keys) moves the bar.
  list->SetFocus();
  display->KeyDown(VK_HOME);
  display->KeyUp(VK_HOME);
  Pump();
  EXPECT_EQ(list->TopIndex(), 0);
  EXPECT_EQ(vbar->Position(), 0);
  // Hiding the view hides its bars.
  list->Hide();
  EXPECT_FALSE(vbar->Visible());
}

// The selected row takes the skin's highlight colours while the view has the focus and a light
// shade of them without it; a view whose element the skin lacks keeps the system's look.
TEST_F(SkinViewsTest, SelectedRowsTakeTheSkinsHighlight) {
  skin.SkinColors()->FcHighLight = fixture_skin::Colour(40, 120, 200);
  skin.SkinColors()->FcHighLightText = fixture_skin::Colour(250, 250, 250);
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  auto* other = new TvlSkinListView(form);
  other->SetParent(form);
  other->SetBounds(340, 10, 40, 40);
  TvlSkinListView* list = Report(form, 5);
  list->SetRowSelect(true);
  list->SetItemIndex(1);
  const TRect row = list->ItemRect(1, TDisplayCode::drBounds);
  const TPoint inRow = list->ClientToScreen(TPoint{row.Left + 200, (row.Top + row.Bottom) / 2});
  list->SetFocus();
  EXPECT_EQ(ScreenShot().At(inRow), RGB(40, 120, 200));

  other->SetFocus();
  ASSERT_FALSE(list->Focused());
  const COLORREF shade = ScreenShot().At(inRow);
  EXPECT_NE(shade, RGB(40, 120, 200));
  EXPECT_NE(shade, ColorToRGB(list->Color()));
  EXPECT_GT(GetRValue(shade), 180) << "light: the row's text stays readable in the view's text colour";
  EXPECT_LT(GetRValue(shade), GetBValue(shade)) << "a shade of the highlight";

  list->SetSkinDataName("no such element");
  list->SetSkinData(&skin);
  list->SetFocus();
  EXPECT_EQ(ScreenShot().At(inRow), ColorToRGB(clHighlight));
}

TEST_F(SkinViewsTest, WideColumnsBringTheHorizontalBarWithTheCornerLook) {
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  TvlSkinListView* list = Report(form, 600);
  list->Columns()->Items(1)->SetWidth(400);
  Pump();
  ASSERT_TRUE(hbar->Visible());
  EXPECT_TRUE(hbar->Both()) << "the vertical bar shows too";
  EXPECT_EQ(hbar->SkinDataName(), "bothhscrollbar");
  hbar->SetPosition(100);
  EXPECT_EQ(list->ScrollInfo(SB_HORZ).Pos, 100);
  list->Columns()->Items(1)->SetWidth(100);
  Pump();
  EXPECT_FALSE(hbar->Visible());
}

TEST_F(SkinViewsTest, HeaderIsDrawnFromTheSkinAndShowsThePressedSection) {
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  TvlSkinListView* list = Report(form, 10);
  ASSERT_NE(list->AttachedHeader(), nullptr);
  TRect header{};
  GetWindowRect(list->AttachedHeader(), &header);
  const TPoint section{header.Left + 60, (header.Top + header.Bottom) / 2};
  auto at = [&](TPoint p) { return ScreenShot().At(p); };
  const COLORREF plain = RGB(247, 249, 252), pressed = RGB(204, 222, 245);
  EXPECT_EQ(at(TPoint{section.X, header.Top + 3}), plain);
  display->MouseMove(section);
  display->MouseDown(section);
  Pump();
  EXPECT_EQ(list->ActiveSection(), 0);
  EXPECT_EQ(at(TPoint{section.X, header.Top + 3}), pressed);
  display->MouseUp(section);
  Pump();
  EXPECT_EQ(list->ActiveSection(), -1);
  EXPECT_EQ(at(TPoint{section.X, header.Top + 3}), plain);
  // The header paints itself into a device context on request.
  EXPECT_EQ(list->Perform(WM_vlPaintFrameToDC, 0, 0), vlPaintFrameToDCAnswer);
}

TEST_F(SkinViewsTest, ViewsWithoutItemsOrRoomLeaveTheirBarsAlone) {
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  for (TViewStyle style : {TViewStyle::vsReport, TViewStyle::vsList, TViewStyle::vsIcon, TViewStyle::vsSmallIcon}) {
    auto* list = new TvlSkinListView(form);
    list->SetParent(form);
    list->SetViewStyle(style);
    list->SetBounds(10, 10, 200, 100);
    auto* v = new TvlSkinScrollBar(form);
    v->SetParent(form);
    v->SetKind(TScrollBarKind::sbVertical);
    auto* h = new TvlSkinScrollBar(form);
    h->SetParent(form);
    list->SetVScrollBar(v);
    list->SetHScrollBar(h);
    list->SetSkinData(&skin);
    form->Show();
    Pump();
    EXPECT_FALSE(v->Visible());
    EXPECT_FALSE(h->Visible());
    // Moving an empty view's bars scrolls nothing and divides by nothing.
    v->SetRange(0, 10, 0, 0);
    v->SetPosition(5);
    h->SetRange(0, 10, 0, 0);
    h->SetPosition(5);
    EXPECT_EQ(list->TopIndex(), 0);
    // A view of 5 pixels or less never touches its bars.
    v->SetVisible(true);
    list->SetBounds(10, 10, 5, 100);
    Pump();
    EXPECT_TRUE(v->Visible());
    delete list;
  }
}

TEST_F(SkinViewsTest, TreeViewTakesTheSkinAndScrollsFromItsBar) {
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  auto* tree = new TvlSkinCustomTreeView(form);
  tree->SetParent(form);
  tree->SetBounds(10, 10, 200, 150);
  auto* v = new TvlSkinScrollBar(form);
  v->SetParent(form);
  v->SetKind(TScrollBarKind::sbVertical);
  v->SetBounds(210, 10, 15, 150);
  tree->SetVScrollBar(v);
  tree->SetSkinData(&skin);
  form->Show();
  Pump();
  EXPECT_EQ(tree->Color(), fixture_skin::Colour(252, 253, 255));
  EXPECT_FALSE(v->Visible());
  for (int i = 0; i < 100; ++i) tree->Items()->Add(nullptr, "节点 " + std::to_string(i));
  tree->SetSelected(tree->Items()->Item(0));
  Pump();
  ASSERT_TRUE(v->Visible());
  v->SetPosition(40);
  Pump();
  EXPECT_EQ(tree->ScrollInfo(SB_VERT).Pos, 40);
  EXPECT_EQ(tree->TopItem(), tree->Items()->Item(40));
  // Without a skin the default font and colour come back.
  fixture_skin::Switch(skin, form, std::nullopt);
  EXPECT_EQ(tree->Color(), clWindow);
  EXPECT_EQ(tree->Font()->Name(), "Arial");
}

}  // namespace
