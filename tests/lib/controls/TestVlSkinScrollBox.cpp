// The skinned scroll box: the ranges its external bars get from the children, scrolling by bar
// and by call, the content moved back when it no longer fills the box, the corner look of the
// horizontal bar, the frame (built-in and skinned) and the background, and the focus on click.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinCtrls.h"
#include "platform/graphics/Colors.h"
#include "platform/controls/ExtCtrls.h"

namespace {

// What a bar shows: visibility, range end, page and position.
struct Bar {
  bool visible;
  int max, page, position;
  bool operator==(const Bar&) const = default;
};
Bar Of(TvlSkinScrollBar* b) { return {b->Visible(), b->Max(), b->PageSize(), b->Position()}; }
void PrintTo(const Bar& b, std::ostream* os) {
  *os << (b.visible ? "shown" : "hidden") << " max " << b.max << " page " << b.page << " at " << b.position;
}

class ScrollBoxTest : public SkinnedControlsWorld {
 protected:
  // A form with a 100 x 80 box at (10, 10), its vertical bar to the right and its horizontal bar
  // below, and one child the tests resize.
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    form = MakeForm(Bounds(100, 100, 300, 220));
    box = new TvlSkinScrollBox(form);
    box->SetBounds(10, 10, 100, 80);
    box->SetParent(form);
    vbar = new TvlSkinScrollBar(form);
    vbar->SetKind(TScrollBarKind::sbVertical);
    vbar->SetBounds(110, 10, 19, 80);
    vbar->SetParent(form);
    hbar = new TvlSkinScrollBar(form);
    hbar->SetBounds(10, 90, 100, 19);
    hbar->SetParent(form);
    child = new TPanel(box);
    child->SetParent(box);
    child->SetBounds(0, 0, 50, 50);
    box->SetVScrollBar(vbar);
    box->SetHScrollBar(hbar);
    form->Show();
    Pump();
  }

  // Adds a "scrollbox" element to the fixture skin: the panel's nine-part picture, 3-pixel
  // borders, with Background (a picture index, or -1).
  TvlDataSkinScrollBoxControl* AddElement(int Background = -1) {
    auto* e = fixture_skin::Add<TvlDataSkinScrollBoxControl>(skin, "scrollbox");
    fixture_skin::SetNine(e, TRect{0, 0, 40, 40}, TPoint{6, 6}, TPoint{34, 6}, TPoint{6, 34}, TPoint{34, 34},
                          TRect{3, 3, 37, 37});
    e->BGPictureIndex = Background;
    return e;
  }

  TForm* form = nullptr;
  TvlSkinScrollBox* box = nullptr;
  TvlSkinScrollBar* vbar = nullptr;
  TvlSkinScrollBar* hbar = nullptr;
  TPanel* child = nullptr;
};

// The built-in frame is 1 pixel: a 100 x 80 box has a 98 x 78 client area.
TEST_F(ScrollBoxTest, RangesFollowTheChildrensExtent) {
  struct Case {
    const char* what;
    TRect child;
    Bar v, h;
    bool corner;
  };
  const Case cases[] = {
      {"fits", Bounds(0, 0, 98, 78), {false, 0, 0, 0}, {false, 0, 0, 0}, false},
      {"taller", Bounds(0, 0, 50, 200), {true, 199, 78, 0}, {false, 0, 0, 0}, true},
      {"wider", Bounds(5, 0, 295, 20), {false, 0, 0, 0}, {true, 299, 98, 0}, false},
      {"both", Bounds(0, 10, 300, 190), {true, 199, 78, 0}, {true, 299, 98, 0}, true},
      {"fits again", Bounds(0, 0, 10, 10), {false, 0, 0, 0}, {false, 0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    child->SetBoundsRect(c.child);
    box->UpDateScrollRange();
    EXPECT_EQ(Of(vbar), c.v);
    EXPECT_EQ(Of(hbar), c.h);
    EXPECT_EQ(hbar->Both(), c.corner) << "the corner look follows the vertical bar";
  }
  // A hidden child does not count.
  child->SetBoundsRect(Bounds(0, 0, 300, 300));
  child->SetVisible(false);
  box->UpDateScrollRange();
  EXPECT_FALSE(vbar->Visible());
  EXPECT_FALSE(hbar->Visible());
}

TEST_F(ScrollBoxTest, BarsAndCallsScrollTheChildren) {
  child->SetBoundsRect(Bounds(0, 0, 300, 200));
  box->UpDateScrollRange();

  vbar->SetPosition(30);
  EXPECT_EQ(child->Top(), -30);
  hbar->SetPosition(12);
  EXPECT_EQ(child->Left(), -12);
  // Vertical calls stop one short of the bar's own end; horizontal ones at the bar's end.
  box->VScroll(1000);
  EXPECT_EQ(vbar->Position(), 199 - 78);
  EXPECT_EQ(child->Top(), -(199 - 78));
  box->HScroll(1000);
  EXPECT_EQ(hbar->Position(), 299 - 98 + 1);
  EXPECT_EQ(child->Left(), -(299 - 98 + 1));
  // Moving back moves the children back by the same amount.
  box->VScroll(0);
  box->HScroll(0);
  EXPECT_EQ(child->BoundsRect(), Bounds(0, 0, 300, 200));

  // Without a page (content fits) or without a bar nothing moves.
  child->SetBoundsRect(Bounds(0, 0, 20, 20));
  box->UpDateScrollRange();
  box->VScroll(5);
  box->SetHScrollBar(nullptr);
  box->HScroll(5);
  EXPECT_EQ(child->BoundsRect(), Bounds(0, 0, 20, 20));
  EXPECT_EQ(hbar->OnChange, nullptr) << "a detached bar no longer drives the box";
}

// Content that no longer fills the box while scrolled is moved back: all the way to the top
// when it fits, by the gap behind it when it shrank.
TEST_F(ScrollBoxTest, ContentThatShrinksWhileScrolledComesBackIntoView) {
  child->SetBoundsRect(Bounds(0, 0, 50, 200));
  box->UpDateScrollRange();
  box->VScroll(1000);
  ASSERT_EQ(child->Top(), -121);

  child->SetHeight(150);  // its bottom at 29, a gap of 49 under it
  box->UpDateScrollRange();
  EXPECT_EQ(child->Top(), -72);
  EXPECT_EQ(Of(vbar), (Bar{true, 149, 78, 72}));

  child->SetHeight(60);
  box->UpDateScrollRange();
  EXPECT_EQ(child->Top(), 0);
  EXPECT_EQ(Of(vbar), (Bar{false, 0, 0, 0}));
}

// An aligned box that grows while scrolled to the end lets the content follow the growth.
TEST_F(ScrollBoxTest, AnAlignedBoxThatGrowsWhileScrolledMovesTheContentDown) {
  auto* host = new TPanel(form);
  host->SetBounds(150, 10, 120, 100);
  host->SetParent(form);
  auto* bar = new TvlSkinScrollBar(form);
  bar->SetKind(TScrollBarKind::sbVertical);
  bar->SetWidth(19);
  bar->SetParent(host);
  bar->SetAlign(TAlign::alRight);
  auto* aligned = new TvlSkinScrollBox(form);
  aligned->SetBorderStyle(TvlSkinBorderStyle::bvNone);
  aligned->SetParent(host);
  aligned->SetAlign(TAlign::alClient);
  auto* tall = new TPanel(aligned);
  tall->SetParent(aligned);
  tall->SetBounds(0, 0, 40, 200);
  aligned->SetVScrollBar(bar);
  aligned->UpDateScrollRange();
  const int page = aligned->ClientHeight();
  ASSERT_EQ(Of(bar), (Bar{true, 199, page, 0}));
  aligned->VScroll(1000);
  const int scrolled = 199 - page;
  ASSERT_EQ(tall->Top(), -scrolled);

  host->SetHeight(host->Height() + 30);
  EXPECT_EQ(aligned->ClientHeight(), page + 30);
  EXPECT_EQ(tall->Top(), -(scrolled - 30)) << "the content moved down by the growth";
  EXPECT_EQ(bar->Position(), scrolled - 30);
  EXPECT_EQ(bar->PageSize(), page + 30);

  // Growing past the content's size brings it to the top and hides the bar.
  host->SetHeight(300);
  EXPECT_EQ(tall->Top(), 0);
  EXPECT_FALSE(bar->Visible());
}

TEST_F(ScrollBoxTest, HidingTheBoxHidesItsBarsAndShowingItShowsOnlyTheNeededOnes) {
  child->SetBoundsRect(Bounds(0, 0, 50, 200));
  box->UpDateScrollRange();
  box->SetVisible(false);
  EXPECT_FALSE(vbar->Visible());
  box->SetVisible(true);
  EXPECT_TRUE(vbar->Visible());
  EXPECT_FALSE(hbar->Visible());
}

TEST_F(ScrollBoxTest, AFreedBarIsDetached) {
  child->SetBoundsRect(Bounds(0, 0, 50, 200));
  delete vbar;
  EXPECT_EQ(box->VScrollBar(), nullptr);
  box->UpDateScrollRange();
  box->VScroll(10);
  EXPECT_EQ(child->Top(), 0);
}

// The frame: built-in 1-pixel lines in the border style's colours, the element's borders when
// skinned, nothing with bvNone or with a background picture; the client area follows.
TEST_F(ScrollBoxTest, FrameWidthsAndColours) {
  const COLORREF shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
  struct Case {
    const char* what;
    bool skinned;
    int background;
    TvlSkinBorderStyle style;
    int clientWidth;
    COLORREF topLeft, bottomRight;  // of the built-in frame (0: not checked)
  };
  const Case cases[] = {
      {"frame", false, -1, TvlSkinBorderStyle::bvFrame, 98, shadow, shadow},
      {"raised", false, -1, TvlSkinBorderStyle::bvRaised, 98, shadow, light},
      {"lowered", false, -1, TvlSkinBorderStyle::bvLowered, 98, light, shadow},
      {"none", false, -1, TvlSkinBorderStyle::bvNone, 100, 0, 0},
      {"skinned", true, -1, TvlSkinBorderStyle::bvFrame, 94, 0, 0},
      {"skinned, none", true, -1, TvlSkinBorderStyle::bvNone, 100, 0, 0},
      {"skinned background picture", true, 1, TvlSkinBorderStyle::bvFrame, 100, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fixture_skin::Clear(skin);
    fixture_skin::Fill(skin);
    if (c.skinned) AddElement(c.background);
    box->SetBorderStyle(c.style);
    box->SetSkinData(c.skinned ? &skin : nullptr);
    EXPECT_EQ(box->ClientWidth(), c.clientWidth);
    EXPECT_EQ(box->ClientHeight(), c.clientWidth - 20);
    const bool framed = c.clientWidth != 100;
    EXPECT_EQ(box->Perform(WM_vlPaintFrameToDC, 0, 0), 0) << "no context, no frame";
    TBitmap target;
    target.SetSize(100, 80);
    EXPECT_EQ(box->Perform(WM_vlPaintFrameToDC, reinterpret_cast<WPARAM>(target.Canvas()->Handle()), 0),
              framed ? vlPaintFrameToDCAnswer : 0);
    if (c.topLeft) {
      const TScreenShot shot = ScreenShot();
      const TPoint corner = box->ClientToScreen(TPoint{-1, -1});
      EXPECT_EQ(shot.At({corner.X + 20, corner.Y}), c.topLeft);
      EXPECT_EQ(shot.At({corner.X, corner.Y + 20}), c.topLeft);
      EXPECT_EQ(shot.At({corner.X + 99, corner.Y + 20}), c.bottomRight);
      EXPECT_EQ(shot.At({corner.X + 20, corner.Y + 79}), c.bottomRight);
    }
  }
}

TEST_F(ScrollBoxTest, TheSkinBackgroundIsTiledFromTheClientCorner) {
  AddElement(1);  // the fixture's 16 x 16 texture
  box->SetSkinData(&skin);
  child->SetVisible(false);
  const TScreenShot shot = ScreenShot();
  const TPoint origin = box->ClientToScreen(TPoint{0, 0});
  TBitmap* texture = skin.FActivePictures[1].get();
  for (TPoint p : {TPoint{0, 0}, TPoint{5, 3}, TPoint{16 + 5, 3}, TPoint{5, 32 + 3}, TPoint{99, 79}}) {
    SCOPED_TRACE(std::to_string(p.X) + "," + std::to_string(p.Y));
    EXPECT_EQ(shot.At({origin.X + p.X, origin.Y + p.Y}), ColorToRGB(texture->Canvas()->Pixels(p.X % 16, p.Y % 16)));
  }
}

TEST_F(ScrollBoxTest, AClickFocusesTheBoxOnlyWhenAskedTo) {
  for (bool canFocus : {false, true}) {
    SCOPED_TRACE(canFocus ? "CanFocused" : "not focusable");
    box->CanFocused = canFocus;
    child->SetVisible(false);
    form->SetFocus();
    Click(box);
    EXPECT_EQ(box->Focused(), canFocus);
  }
}

}  // namespace
