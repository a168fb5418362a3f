// Skinned tool bar and status bar: the tool bar's scroll arrows (steps, holding, hot scrolling
// that stops when the mouse leaves, scrolling back when the bar grows), what it lends its
// buttons, and the status bar's grip that sizes the form.

#include "lib/controls/vlSkinCtrlsBars.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/WindowTree.h"

namespace {

class SkinBarsTest : public SkinnedControlsWorld {
 protected:
  // A 300-pixel scrolling bar at (0, 0) of Form with six 70-pixel buttons reaching x = 420.
  TvlSkinToolBar* ScrollingBar(TForm* form) {
    auto* bar = new TvlSkinToolBar(form);
    bar->SetParent(form);
    bar->CanScroll = true;
    bar->SetScrollOffset(30);
    bar->SetBounds(0, 0, 300, 30);
    for (int i = 0; i < 6; ++i) {
      auto* b = new TvlSkinSpeedButton(form);
      b->SetParent(bar);
      b->SetCaption("按钮");
      b->SetBounds(70 * i, 2, 70, 25);
      buttons.push_back(b);
    }
    bar->SetSkinData(&skin);
    form->Show();
    Pump();
    bar->UpdateScrollInfo();
    Pump();
    return bar;
  }

  // A screen point on an arrow (0 left, 1 right) of Bar.
  TPoint OnArrow(TvlSkinToolBar* bar, int Index) {
    TRect w{};
    GetWindowRect(bar->Handle(), &w);
    return Index == 0 ? TPoint{w.Left + 6, w.Top + 15} : TPoint{w.Right - 6, w.Top + 15};
  }

  std::vector<TvlSkinSpeedButton*> buttons;
};

TEST_F(SkinBarsTest, ButtonsWiderThanTheBarBringArrowsThatStepThirtyPixels) {
  TForm* form = MakeForm(TRect{0, 0, 400, 100});
  TvlSkinToolBar* bar = ScrollingBar(form);
  ASSERT_TRUE(bar->ArrowsVisible());
  EXPECT_EQ(bar->ClientWidth(), 276) << "two 12-pixel arrows in the non-client area";
  EXPECT_EQ(bar->ScrollMax(), 419);
  EXPECT_EQ(bar->ScrollPage(), 276);
  // Each click steps 30 pixels at its release, up to SMax - SPage + 1 = 144.
  std::vector<int> positions;
  for (int i = 0; i < 6; ++i) {
    display->MouseMove(OnArrow(bar, 1));
    display->Click(OnArrow(bar, 1));
    Pump();
    positions.push_back(bar->ScrollPosition());
  }
  EXPECT_EQ(positions, (std::vector<int>{30, 60, 90, 120, 144, 144}));
  EXPECT_EQ(buttons[0]->Left(), -144);
  display->MouseMove(OnArrow(bar, 0));
  display->Click(OnArrow(bar, 0));
  Pump();
  EXPECT_EQ(bar->ScrollPosition(), 114);
  EXPECT_EQ(buttons[0]->Left(), -114);
  // Holding scrolls every interval and once more at the release.
  display->MouseDown(OnArrow(bar, 0));
  Pump();
  Advance(100, 50);
  EXPECT_EQ(bar->ScrollPosition(), 54);
  display->MouseUp(OnArrow(bar, 0));
  Pump();
  EXPECT_EQ(bar->ScrollPosition(), 24);
  EXPECT_FALSE(bar->Scrolling());
}

TEST_F(SkinBarsTest, HotScrollRunsWhileTheMouseRestsOnAnArrowAndStopsWhenItLeaves) {
  TForm* form = MakeForm(TRect{0, 0, 400, 100});
  TvlSkinToolBar* bar = ScrollingBar(form);
  bar->HotScroll = true;
  display->MouseMove(OnArrow(bar, 1));
  Pump();
  Advance(100, 50);
  EXPECT_EQ(bar->ScrollPosition(), 60);
  EXPECT_TRUE(bar->Scrolling());
  display->MouseMove({390, 90});  // off the bar
  Pump();
  Advance(200, 50);
  EXPECT_FALSE(bar->Scrolling());
  const int stopped = bar->ScrollPosition();
  Advance(200, 50);
  EXPECT_EQ(bar->ScrollPosition(), stopped);
  // Into the bar's client area stops it too.
  display->MouseMove(OnArrow(bar, 0));
  Pump();
  Advance(50, 50);
  EXPECT_TRUE(bar->Scrolling());
  TRect w{};
  GetWindowRect(bar->Handle(), &w);
  display->MouseMove({w.Left + 150, w.Top + 15});
  Pump();
  EXPECT_FALSE(bar->Scrolling());
}

TEST_F(SkinBarsTest, ContentComesBackWhenTheBarGrowsOrEverythingFits) {
  TForm* form = MakeForm(TRect{0, 0, 600, 100});
  TvlSkinToolBar* bar = ScrollingBar(form);
  for (int i = 0; i < 5; ++i) bar->ScrollStep(true);
  ASSERT_EQ(bar->ScrollPosition(), 144) << "the content's end at the client's end";
  // Wider by 50 at the end: the content comes back by the growth.
  bar->SetBounds(0, 0, 350, 30);
  Pump();
  EXPECT_EQ(bar->ScrollPosition(), 94);
  EXPECT_EQ(buttons[0]->Left(), -94);
  bar->SetBounds(0, 0, 500, 30);
  Pump();
  EXPECT_FALSE(bar->ArrowsVisible()) << "everything fits";
  EXPECT_EQ(bar->ScrollPosition(), 0);
  EXPECT_EQ(buttons[0]->Left(), 0);
}

TEST_F(SkinBarsTest, BarLendsItsLooksToItsButtons) {
  TForm* form = MakeForm(TRect{0, 0, 400, 100});
  auto* bar = new TvlSkinToolBar(form);
  bar->SetParent(form);
  bar->SetBounds(0, 0, 400, 30);
  auto* b = new TvlSkinSpeedButton(form);
  b->SetParent(bar);
  b->SetCaption("添加");
  b->SetBounds(10, 0, 60, 25);
  bar->SetSkinData(&skin);
  EXPECT_EQ(b->SkinData(), &skin);
  EXPECT_EQ(b->Top(), 3) << "centred in the skin's client area (3 .. 27)";
  bar->SetFlat(true);
  EXPECT_TRUE(b->Flat());
  bar->AutoShowHideCaptions = true;
  bar->WidthWithCaptions = 300;
  bar->WidthWithoutCaptions = 120;
  bar->SetShowCaptions(true);
  bar->SetShowCaptions(false);
  EXPECT_FALSE(b->ShowCaption());
  EXPECT_EQ(bar->Width(), 120);
  TCustomImageList images(nullptr);
  bar->SetImages(&images);
  EXPECT_EQ(dynamic_cast<TvlButtonImageSource*>(bar)->ButtonImages(), &images);
  bar->SetScrollTimerInterval(0);
  bar->SetScrollOffset(-1);
  EXPECT_EQ(bar->ScrollTimerInterval(), 50);
  EXPECT_EQ(bar->ScrollOffset(), 0);
  bar->SetImages(nullptr);
}

TEST_F(SkinBarsTest, StatusBarGripAnswersTheCornerHitAndSizesTheForm) {
  TForm* form = MakeForm(TRect{100, 100, 400, 300});
  form->SetBorderStyle(TFormBorderStyle::bsSizeable);
  auto* status = new TvlSkinStatusBar(form);
  status->SetParent(form);
  status->SetSizeGrip(true);
  status->SetSkinData(&skin);
  form->Show();
  Pump();
  const TRect grip = status->GripRect();
  EXPECT_EQ(grip.Width(), 12);
  const TPoint corner = status->ClientToScreen(TPoint{grip.Left + 6, grip.Top + 6});
  const TPoint middle = status->ClientToScreen(TPoint{50, 10});
  EXPECT_EQ(SendMessage(status->Handle(), WM_NCHITTEST, 0, MAKELPARAM(corner.X, corner.Y)), HTBOTTOMRIGHT);
  EXPECT_EQ(SendMessage(status->Handle(), WM_NCHITTEST, 0, MAKELPARAM(middle.X, middle.Y)), HTCLIENT);
  // Dragging the grip (here inward, over the form) sizes the form, not the bar.
  const int formWidth = form->Width(), formHeight = form->Height();
  display->MouseMove(corner);
  display->MouseDown(corner);
  display->MouseMove(TPoint{corner.X - 40, corner.Y - 30});
  display->MouseUp(TPoint{corner.X - 40, corner.Y - 30});
  Pump();
  EXPECT_EQ(form->Width(), formWidth - 40);
  EXPECT_EQ(form->Height(), formHeight - 30);
  EXPECT_EQ(status->Width(), form->ClientWidth());
  // Without the grip the corner is plain client area and the client area widens.
  const int client = status->GetSkinClientRect().Width();
  const TRect moved = status->GripRect();
  const TPoint now = status->ClientToScreen(TPoint{moved.Left + 6, moved.Top + 6});
  status->SetShowGrip(false);
  EXPECT_EQ(SendMessage(status->Handle(), WM_NCHITTEST, 0, MAKELPARAM(now.X, now.Y)), HTCLIENT);
  EXPECT_EQ(status->GetSkinClientRect().Width(), client + 12);
}

}  // namespace
