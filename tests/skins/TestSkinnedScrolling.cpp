// Scrolling the skinned views of the program's skins with the pointer: the wheel over a list or a
// tree, and the arrows and the track of their external bars. The skins' arrow buttons lie where
// their arrows point: the bottom (right) one moves towards the end.

#include <gtest/gtest.h>

#include <string>

#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "lib/data/vlSkinData.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedControlsWorld.h"

namespace {

class SkinnedScrollingTest : public SkinnedControlsWorld, public ::testing::WithParamInterface<TvlSkinArtKind> {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    vlLoadFixtureSkin(&programSkin, GetParam());
    ASSERT_FALSE(programSkin.Empty);
    form = MakeForm(TRect{0, 0, 420, 300});
  }

  TvlSkinScrollBar* Bar(TScrollBarKind Kind, TRect R) {
    auto* bar = new TvlSkinScrollBar(form);
    bar->SetParent(form);
    if (Kind == TScrollBarKind::sbVertical) {
      bar->SetKind(Kind);
      bar->SetSkinDataName("vscrollbar");
    }
    bar->SetBoundsRect(R);
    bar->SetSkinData(&programSkin);
    return bar;
  }

  // A left click (pressed and let go) at the middle of a part of Bar.
  void ClickPart(TvlSkinScrollBar* Bar, int Part) {
    const TRect r = Bar->PartRect(Part);
    const TPoint p = Bar->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    Click(p);
  }

  void Click(TPoint Screen) {
    display->MouseMove(Screen);
    display->MouseDown(Screen);
    Pump();
    display->MouseUp(Screen);
    Pump();
  }

  void Wheel(TControl* Over, int Delta) {
    const TPoint p = Over->ClientToScreen(TPoint{Over->Width() / 2, Over->Height() / 2});
    display->MouseMove(p);
    display->Wheel(p, Delta);
    Pump();
  }

  TvlSkinData programSkin{nullptr};
  TForm* form = nullptr;
};

TEST_P(SkinnedScrollingTest, ListViewFollowsTheWheelArrowsAndTrackOfItsBars) {
  auto* list = new TvlSkinListView(form);
  list->SetParent(form);
  list->SetViewStyle(TViewStyle::vsReport);
  list->SetBounds(10, 10, 300, 200);
  for (int width : {200, 300}) list->Columns()->Add()->SetWidth(width);
  list->BeginUpdate();
  for (int i = 0; i < 300; ++i) list->Items()->Add()->SetCaption("视频 " + std::to_string(i));
  list->EndUpdate();
  TvlSkinScrollBar* vbar = Bar(TScrollBarKind::sbVertical, TRect{310, 10, 325, 210});
  TvlSkinScrollBar* hbar = Bar(TScrollBarKind::sbHorizontal, TRect{10, 210, 310, 225});
  list->SetVScrollBar(vbar);
  list->SetHScrollBar(hbar);
  list->SetSkinData(&programSkin);
  form->Show();
  Pump();
  ASSERT_TRUE(vbar->Visible() && hbar->Visible());
  const int page = list->VisibleRowCount();

  // The wheel turns three rows a notch, and the bar follows.
  Wheel(list, -WHEEL_DELTA);
  EXPECT_EQ(list->TopIndex(), 3);
  EXPECT_EQ(vbar->Position(), 3);
  Wheel(list, WHEEL_DELTA);
  EXPECT_EQ(list->TopIndex(), 0);

  // The lower arrow moves a row down, the upper one back; the track pages.
  const TRect up = vbar->PartRect(TvlSkinScrollBar::kUpButton), down = vbar->PartRect(TvlSkinScrollBar::kDownButton);
  EXPECT_GT(up.Top, down.Top) << "the button that moves towards the end is the lower one";
  ClickPart(vbar, TvlSkinScrollBar::kUpButton);
  EXPECT_EQ(list->TopIndex(), 1);
  ClickPart(vbar, TvlSkinScrollBar::kDownButton);
  EXPECT_EQ(list->TopIndex(), 0);
  const TRect thumb = vbar->PartRect(TvlSkinScrollBar::kThumb);
  Click(vbar->ClientToScreen(TPoint{vbar->Width() / 2, (thumb.Bottom + up.Top) / 2}));
  EXPECT_EQ(list->TopIndex(), page);
  EXPECT_EQ(vbar->Position(), page);

  // Sideways the arrows step a few characters, not a pixel, and the track a view's width.
  EXPECT_GT(hbar->PartRect(TvlSkinScrollBar::kUpButton).Left, hbar->PartRect(TvlSkinScrollBar::kDownButton).Left);
  ClickPart(hbar, TvlSkinScrollBar::kUpButton);
  const int step = list->ScrollInfo(SB_HORZ).Pos;
  EXPECT_GE(step, 8);
  EXPECT_EQ(hbar->Position(), step);
  ClickPart(hbar, TvlSkinScrollBar::kDownButton);
  EXPECT_EQ(list->ScrollInfo(SB_HORZ).Pos, 0);
  const TRect hthumb = hbar->PartRect(TvlSkinScrollBar::kThumb);
  const TRect right = hbar->PartRect(TvlSkinScrollBar::kUpButton);
  Click(hbar->ClientToScreen(TPoint{(hthumb.Right + right.Left) / 2, hbar->Height() / 2}));
  EXPECT_GE(list->ScrollInfo(SB_HORZ).Pos, list->Width() / 2);
}

TEST_P(SkinnedScrollingTest, TreeViewFollowsTheWheelAndTheArrowsOfItsBar) {
  auto* tree = new TvlSkinCustomTreeView(form);
  tree->SetParent(form);
  tree->SetBounds(10, 10, 200, 150);
  for (int i = 0; i < 100; ++i) tree->Items()->Add(nullptr, "文件夹 " + std::to_string(i));
  TvlSkinScrollBar* vbar = Bar(TScrollBarKind::sbVertical, TRect{210, 10, 225, 160});
  tree->SetVScrollBar(vbar);
  tree->SetSkinData(&programSkin);
  form->Show();
  Pump();
  ASSERT_TRUE(vbar->Visible());

  Wheel(tree, -WHEEL_DELTA);
  EXPECT_EQ(tree->TopItem(), tree->Items()->Item(3));
  EXPECT_EQ(vbar->Position(), 3);
  ClickPart(vbar, TvlSkinScrollBar::kUpButton);
  EXPECT_EQ(tree->TopItem(), tree->Items()->Item(4)) << "the lower arrow scrolls down";
  ClickPart(vbar, TvlSkinScrollBar::kDownButton);
  ClickPart(vbar, TvlSkinScrollBar::kDownButton);
  EXPECT_EQ(tree->TopItem(), tree->Items()->Item(2)) << "the upper arrow scrolls up";
}

INSTANTIATE_TEST_SUITE_P(ProgramSkins, SkinnedScrollingTest,
                         ::testing::Values(TvlSkinArtKind::Main, TvlSkinArtKind::Tools),
                         [](const auto& Info) { return Info.param == TvlSkinArtKind::Main ? "Main" : "Tools"; });

}  // namespace
