// The skinned scroll bar: range writers (also with a minimum other than 0), the thumb's length
// and place, arrow and page repetition on the test clock, dragging, keys and wheel, and the
// "both" look.

#include "lib/controls/vlSkinCtrlsScrollBar.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"

namespace {

class SkinScrollBarTest : public SkinnedControlsWorld {
 protected:
  TvlSkinScrollBar* Bar(TForm* form, TRect bounds, bool skinned, TScrollBarKind kind = TScrollBarKind::sbHorizontal) {
    auto* b = new TvlSkinScrollBar(form);
    b->SetParent(form);
    if (kind == TScrollBarKind::sbVertical) {
      b->SetKind(kind);
      b->SetSkinDataName("vscrollbar");
    }
    b->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    if (skinned) b->SetSkinData(&skin);
    b->OnChange = [this](TObject*) { ++changes; };
    return b;
  }

  TPoint PartCentre(TvlSkinScrollBar* b, int part) {
    const TRect r = b->PartRect(part);
    return b->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }

  int changes = 0;
};

TEST_F(SkinScrollBarTest, WritersKeepThePositionInItsRangeWhateverTheMinimum) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinScrollBar* b = Bar(form, Bounds(10, 10, 200, 19), false);
  struct {
    const char* what;
    std::function<void()> write;
    int min, max, page, position, changes;
  } cases[] = {
      {"range", [&] { b->SetRange(100, 200, 150, 0); }, 100, 200, 0, 150, 0},
      {"position beyond", [&] { b->SetPosition(900); }, 100, 200, 0, 200, 1},
      {"position below", [&] { b->SetPosition(-5); }, 100, 200, 0, 100, 1},
      {"same position", [&] { b->SetPosition(100); }, 100, 200, 0, 100, 0},
      {"page that fits", [&] { b->SetPageSize(20); }, 100, 200, 20, 100, 0},
      {"position with page", [&] { b->SetPosition(195); }, 100, 200, 20, 181, 1},
      // A page that would put the present position past the end is refused.
      {"page too long", [&] { b->SetPageSize(30); }, 100, 200, 20, 181, 0},
      {"page that still fits", [&] { b->SetPageSize(19); }, 100, 200, 19, 181, 0},
      // A lower maximum keeps the position within Max - PageSize + 1 (not Max - Min - ...).
      {"maximum lowered", [&] { b->SetMax(190); }, 100, 190, 19, 172, 0},
      {"minimum raised", [&] { b->SetMin(180); }, 180, 190, 19, 180, 0},
      {"silent position", [&] { b->SimplySetPosition(0); }, 180, 190, 19, 180, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    changes = 0;
    c.write();
    EXPECT_EQ(b->Min(), c.min);
    EXPECT_EQ(b->Max(), c.max);
    EXPECT_EQ(b->PageSize(), c.page);
    EXPECT_EQ(b->Position(), c.position);
    EXPECT_EQ(changes, c.changes);
  }
}

TEST_F(SkinScrollBarTest, ThumbLengthAndPlaceFollowThePage) {
  TForm* form = MakeForm(TRect{0, 0, 600, 200});
  TvlSkinScrollBar* b = Bar(form, Bounds(10, 10, 453, 19), false);
  b->SetRange(0, 529, 0, 521);
  b->Layout();
  EXPECT_EQ(b->PartRect(TvlSkinScrollBar::kThumb).Width(), 412) << "nearest(419 x 521 / 530)";
  // A page as long as the range: the horizontal thumb sits at the track's end, a vertical one
  // at its start.
  b->SetRange(0, 99, 0, 100);
  b->Layout();
  EXPECT_EQ(b->PartRect(TvlSkinScrollBar::kThumb).Right, b->TrackRect().Right);
  TvlSkinScrollBar* v = Bar(form, Bounds(500, 10, 19, 150), false, TScrollBarKind::sbVertical);
  v->SetRange(0, 99, 0, 100);
  v->Layout();
  EXPECT_EQ(v->PartRect(TvlSkinScrollBar::kThumb).Top, v->TrackRect().Top);
  // Skinned: the element's parts follow the width; the thumb keeps its image's breadth.
  TvlSkinScrollBar* s = Bar(form, Bounds(10, 60, 300, 15), true);
  s->SetRange(0, 100, 50, 0);
  s->Layout();
  EXPECT_EQ(s->PartRect(TvlSkinScrollBar::kUpButton), (TRect{285, 0, 300, 15}));
  EXPECT_EQ(s->TrackRect(), (TRect{15, 0, 285, 15}));
  EXPECT_EQ(s->PartRect(TvlSkinScrollBar::kThumb).Width(), 20) << "no page: the minimum size";
  EXPECT_EQ(s->PartRect(TvlSkinScrollBar::kThumb).Height(), 15);
}

TEST_F(SkinScrollBarTest, HeldArrowStepsAtOnceThenAfter550msThenEvery50ms) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinScrollBar* b = Bar(form, Bounds(10, 10, 200, 15), true);
  form->Show();
  Pump();
  const TPoint up = PartCentre(b, TvlSkinScrollBar::kUpButton);
  display->MouseMove(up);
  display->MouseDown(up);
  Pump();
  EXPECT_EQ(b->Position(), 1) << "one step at once";
  Advance(540);
  EXPECT_EQ(b->Position(), 1);
  Advance(10);
  EXPECT_EQ(b->Position(), 2);
  Advance(100);
  EXPECT_EQ(b->Position(), 4);
  // Off the button the repetition pauses; back on it, it resumes every 50 ms.
  display->MouseMove(b->ClientToScreen(TPoint{100, 7}));
  Pump();
  Advance(200);
  EXPECT_EQ(b->Position(), 4);
  display->MouseMove(up);
  Pump();
  Advance(100);
  EXPECT_EQ(b->Position(), 6);
  display->MouseUp(up);
  Pump();
  Advance(200);
  EXPECT_EQ(b->Position(), 6);
  EXPECT_EQ(b->RepeatMode(), 0);
  // At the end a press changes nothing and fires nothing, but the repetition still starts.
  b->SetPosition(100);
  changes = 0;
  display->MouseDown(up);
  Pump();
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(b->RepeatMode(), 2);
  display->MouseUp(up);
  Pump();
}

TEST_F(SkinScrollBarTest, PagingStopsWhenTheThumbReachesThePointer) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinScrollBar* b = Bar(form, Bounds(10, 10, 200, 19), false);
  b->SetLargeChange(10);
  int pages = 0;
  b->OnPageDown = [&](TObject*) { ++pages; };
  form->Show();
  Pump();
  const TPoint press = b->ClientToScreen(TPoint{120, 9});  // about 55 % of the track
  display->MouseMove(press);
  display->MouseDown(press);
  Pump();
  EXPECT_EQ(b->Position(), 10);
  Advance(1000, 50);
  EXPECT_EQ(b->RepeatMode(), 0) << "the repetition ended by itself";
  const TRect thumb = b->PartRect(TvlSkinScrollBar::kThumb);
  EXPECT_LE(thumb.Left, 120);
  EXPECT_GE(thumb.Right, 110) << "the thumb stopped at the pointer";
  EXPECT_EQ(pages, b->Position() / 10);
  display->MouseUp(press);
  Pump();
}

TEST_F(SkinScrollBarTest, DraggingTheThumbPastTheEndGivesTheLastPosition) {
  TForm* form = MakeForm(TRect{0, 0, 400, 100});
  for (int page : {0, 25}) {
    SCOPED_TRACE(page);
    TvlSkinScrollBar* b = Bar(form, Bounds(10, 10 + page, 300, 15), true);
    b->SetRange(0, 200, 0, page);
    int last = 0;
    b->OnLastChange = [&](TObject*) { ++last; };
    form->Show();
    Pump();
    Advance(1000, 500);  // no double click with the previous press
    const TPoint grab = PartCentre(b, TvlSkinScrollBar::kThumb);
    display->MouseMove(grab);
    display->MouseDown(grab);
    Pump();
    EXPECT_TRUE(b->Dragging());
    display->MouseMove(TPoint{grab.X + 120, grab.Y + 40});
    Pump();
    const int middle = b->Position();
    EXPECT_GT(middle, 0);
    EXPECT_LT(middle, 200);
    display->MouseMove(TPoint{grab.X + 1000, grab.Y});
    Pump();
    EXPECT_EQ(b->Position(), page ? 200 - page + 1 : 200);
    EXPECT_EQ(last, 0);
    display->MouseUp(TPoint{grab.X + 1000, grab.Y});
    Pump();
    EXPECT_FALSE(b->Dragging());
    EXPECT_EQ(last, 1);
  }
}

TEST_F(SkinScrollBarTest, KeysAndWheelOnlyWithCanFocused) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinScrollBar* b = Bar(form, Bounds(10, 10, 200, 15), true);
  b->SetPosition(50);
  form->Show();
  Pump();
  EXPECT_FALSE(b->TabStop());
  display->MouseMove(b->ClientToScreen(TPoint{100, 7}));
  display->Wheel(b->ClientToScreen(TPoint{100, 7}), 120);
  Pump();
  EXPECT_FALSE(b->Focused()) << "a bar that cannot take the focus is not given it by a click either";
  b->SetCanFocused(true);
  b->SetFocus();
  Pump();
  const struct {
    WORD key;
    int position;
  } keys[] = {{VK_RIGHT, 51}, {VK_DOWN, 52}, {VK_LEFT, 51}, {VK_UP, 50}};
  for (const auto& k : keys) {
    display->KeyDown(k.key);
    display->KeyUp(k.key);
    Pump();
    EXPECT_EQ(b->Position(), k.position);
  }
  display->Wheel(b->ClientToScreen(TPoint{100, 7}), 120);
  Pump();
  EXPECT_EQ(b->Position(), 49);
  display->Wheel(b->ClientToScreen(TPoint{100, 7}), -120);
  Pump();
  EXPECT_EQ(b->Position(), 50);
}

TEST_F(SkinScrollBarTest, BothTakesTheCornerElementOrTheBuiltInLook) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinScrollBar* b = Bar(form, Bounds(10, 10, 200, 15), true);
  b->SetBoth(true);
  EXPECT_EQ(b->SkinDataName(), "bothhscrollbar");
  EXPECT_NE(b->SkinIndex(), -1);
  b->Layout();
  EXPECT_EQ(b->PartRect(TvlSkinScrollBar::kUpButton), (TRect{170, 0, 185, 15})) << "left of the corner square";
  b->SetBoth(false);
  EXPECT_EQ(b->SkinDataName(), "hscrollbar");
  // A skin without the "both" element: the built-in bar leaves its corner plain.
  b->SetBothSkinDataName("nosuchbar");
  b->SetBoth(true);
  EXPECT_EQ(b->SkinIndex(), -1);
  b->Layout();
  EXPECT_EQ(b->PartRect(TvlSkinScrollBar::kUpButton).Right, 200 - 19 - 1);
}

}  // namespace
