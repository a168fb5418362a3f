// The skinned slider: the value, range and step writers the main window uses, jumps, dragging,
// ruler tracking with its 400 ms repeat, keys, tick points, and sliders too short to move.

#include "lib/controls/vlSkinCtrlsSlider.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "platform/controls/Edit.h"

namespace {

class SkinSliderTest : public SkinnedControlsWorld {
 protected:
  // A shown horizontal slider of 212 x 40 at (10, 10); the skin's thumb is 16 wide, so the
  // ruler is 200 long and the travel 184.
  TvlSkinSlider* Shown(TForm* form, bool skinned = true) {
    auto* s = new TvlSkinSlider(form);
    s->SetParent(form);
    s->SetBounds(10, 10, 212, 40);
    if (skinned) s->SetSkinData(&skin);
    s->OnChange = [this](TObject*) { ++changes; };
    s->OnChanged = [this](TObject*) { ++ends; };
    form->Show();
    Pump();
    return s;
  }

  TPoint At(TControl* c, int x, int y) { return c->ClientToScreen(TPoint{x, y}); }

  int changes = 0;
  int ends = 0;
};

TEST_F(SkinSliderTest, WritersClampTheValueAndKeepTheStepInsideTheRange) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinSlider* s = Shown(form);
  EXPECT_EQ(s->Travel(), 184);
  struct {
    const char* what;
    std::function<void()> write;
    int min, max, increment, value, changes;
  } cases[] = {
      {"value", [&] { s->SetValue(40); }, 0, 100, 10, 40, 1},
      {"same value", [&] { s->SetValue(40); }, 0, 100, 10, 40, 0},
      {"above the range", [&] { s->SetValue(500); }, 0, 100, 10, 100, 1},
      {"maximum below the value", [&] { s->SetMaxValue(60); }, 0, 60, 10, 60, 1},
      {"maximum under one step", [&] { s->SetMaxValue(4); }, 0, 4, 4, 4, 1},
      {"maximum at the minimum", [&] { s->SetMaxValue(0); }, 0, 4, 4, 4, 0},
      {"maximum below the minimum", [&] { s->SetMaxValue(-5); }, 0, 4, 4, 4, 0},
      {"the main window's range", [&] { s->SetMaxValue(s->Width()); }, 0, 212, 4, 4, 0},
      {"the main window's step", [&] { s->SetIncrement(5); }, 0, 212, 5, 4, 0},
      {"no step", [&] { s->SetIncrement(0); }, 0, 212, 5, 4, 0},
      {"negative step", [&] { s->SetIncrement(-3); }, 0, 212, 5, 4, 0},
      {"minimum above the value", [&] { s->SetMinValue(50); }, 50, 212, 5, 50, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    changes = 0;
    c.write();
    EXPECT_EQ(s->MinValue(), c.min);
    EXPECT_EQ(s->MaxValue(), c.max);
    EXPECT_EQ(s->Increment(), c.increment);
    EXPECT_EQ(s->Value(), c.value);
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(s->ThumbRect().Left, s->OffsetOfValue(s->Value()));
  }
}

TEST_F(SkinSliderTest, JumpsGoToTheNextMultipleOfTheStep) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinSlider* s = Shown(form);
  const struct {
    int value;
    TvlJumpMode mode;
    int expected;
  } cases[] = {
      {15, TvlJumpMode::jmNext, 30},  // nearest(1.5) is 2
      {15, TvlJumpMode::jmPrior, 10}, {25, TvlJumpMode::jmNext, 30},  // nearest(2.5) is 2
      {40, TvlJumpMode::jmNext, 50},  {40, TvlJumpMode::jmPrior, 30}, {95, TvlJumpMode::jmNext, 100},
      {5, TvlJumpMode::jmPrior, 0},   {37, TvlJumpMode::jmHome, 0},   {37, TvlJumpMode::jmEnd, 100},
  };
  for (const auto& c : cases) {
    s->SetValue(c.value);
    EXPECT_EQ(s->JumpValue(c.mode), c.expected) << c.value;
  }
}

TEST_F(SkinSliderTest, DraggingTheThumbSetsTheValueSnappedUnlessSmooth) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinSlider* s = Shown(form);
  for (bool smooth : {true, false}) {
    SCOPED_TRACE(smooth ? "smooth" : "snapped");
    s->SetOptions(smooth ? TvlSliderOptions{TvlSliderOption::soSmooth} : TvlSliderOptions{});
    s->SetValue(0);
    changes = ends = 0;
    Advance(1000, 500);  // the second press is no double click
    const TRect thumb = s->ThumbRect();
    const TPoint grab = At(s, thumb.Left + 4, thumb.Top + 8);
    display->MouseMove(grab);
    display->MouseDown(grab);
    Pump();
    EXPECT_TRUE(s->Sliding());
    // 60 pixels of 184 travel: 32.6 of 100.
    display->MouseMove(TPoint{grab.X + 60, grab.Y + 30});
    Pump();
    EXPECT_EQ(s->Value(), smooth ? 33 : 30);
    EXPECT_EQ(s->ThumbRect().Left, s->OffsetOfValue(s->Value()));
    display->MouseMove(TPoint{grab.X + 400, grab.Y});
    Pump();
    EXPECT_EQ(s->Value(), 100) << "the thumb stops at the end of the ruler";
    EXPECT_EQ(ends, 0);
    display->MouseUp(TPoint{grab.X + 400, grab.Y});
    Pump();
    EXPECT_FALSE(s->Sliding());
    EXPECT_EQ(ends, 1) << "releasing ends the action";
    EXPECT_EQ(changes, 2);
  }
}

TEST_F(SkinSliderTest, HoldingTheRulerJumpsAtOnceThenEvery400msUntilTheThumbPasses) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinSlider* s = Shown(form);
  s->SetValue(0);
  changes = 0;
  // The ruler at x = 6 + 90: right of the thumb, about value 49.
  const TPoint press = At(s, 6 + 98, s->RulerOrigin().Y + 2);
  display->MouseMove(press);
  display->MouseDown(press);
  Pump();
  EXPECT_TRUE(s->Tracking());
  EXPECT_EQ(s->Value(), 10) << "the first jump comes with the press";
  std::vector<int> values;
  for (int i = 0; i < 6; ++i) {
    Advance(400, 50);
    values.push_back(s->Value());
  }
  EXPECT_EQ(values, (std::vector<int>{20, 30, 40, 50, 50, 50})) << "no jump once the thumb covers the pointer";
  EXPECT_EQ(ends, 0);
  display->MouseUp(press);
  Pump();
  EXPECT_FALSE(s->Tracking());
  EXPECT_EQ(ends, 1);
  Advance(800, 100);
  EXPECT_EQ(s->Value(), 50) << "the repeat stops with the release";
  // A press left of the thumb jumps down.
  const TPoint left = At(s, 20, s->RulerOrigin().Y + 2);
  display->MouseMove(left);
  display->Click(left);
  Pump();
  EXPECT_EQ(s->Value(), 40);
}

TEST_F(SkinSliderTest, KeysJumpAlongTheAxisAndEndTheAction) {
  TForm* form = MakeForm(TRect{0, 0, 300, 200});
  TvlSkinSlider* h = Shown(form);
  auto* v = new TvlSkinSlider(form);
  v->SetParent(form);
  v->SetSkinData(&skin);
  v->SetOrientation(TvlSliderOrientation::soVertical);
  v->SetBounds(240, 10, 40, 150);
  Pump();
  const struct {
    TvlSkinSlider* slider;
    WORD key;
    int from, to;
  } cases[] = {
      {h, VK_RIGHT, 40, 50}, {h, VK_LEFT, 40, 30}, {h, VK_HOME, 40, 0},  {h, VK_END, 40, 100},
      {h, VK_UP, 40, 40},    {v, VK_UP, 40, 50},   {v, VK_DOWN, 40, 30}, {v, VK_RIGHT, 40, 40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    c.slider->SetFocus();
    c.slider->SetValue(c.from);
    ends = 0;
    display->KeyDown(c.key);
    display->KeyUp(c.key);
    Pump();
    EXPECT_EQ(c.slider->Value(), c.to);
    if (c.slider == h) { EXPECT_EQ(ends, c.from == c.to ? 0 : 1); }
  }
  // With a shift key held the arrows do not jump.
  h->SetFocus();
  h->SetValue(40);
  display->KeyDown(VK_SHIFT);
  Pump();
  display->KeyDown(VK_RIGHT);
  Pump();
  display->KeyUp(VK_RIGHT);
  display->KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(h->Value(), 40);
  // The vertical slider has its minimum at the bottom.
  v->SetValue(0);
  EXPECT_GT(v->ThumbRect().Top, v->Height() / 2);
}

TEST_F(SkinSliderTest, TickPointsMarkEveryStepAndBothEndsLonger) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinSlider* s = Shown(form);
  s->SetIncrement(20);
  s->SetValue(0);
  const auto shot = ScreenShot();
  const COLORREF tick = static_cast<COLORREF>(ColorToRGB(static_cast<TColor>(fixture_skin::Colour(143, 163, 191))));
  const TRect band = s->PointsRect();
  std::vector<int> lengths;
  for (int v = 0; v <= 100; v += 20) {
    const int x = s->OffsetOfValue(v) + 8;
    int length = 0;
    while (length < 10 && shot.At(s->ClientToScreen(TPoint{x, band.Top + length})) == tick) ++length;
    lengths.push_back(length);
  }
  EXPECT_EQ(lengths, (std::vector<int>{5, 3, 3, 3, 3, 5}));
  // Between two points nothing is drawn.
  EXPECT_NE(shot.At(s->ClientToScreen(TPoint{s->OffsetOfValue(10) + 8, band.Top})), tick);
}

TEST_F(SkinSliderTest, SliderWithoutTravelNeverDividesByZero) {
  TForm* form = MakeForm(TRect{0, 0, 300, 120});
  for (bool skinned : {true, false}) {
    for (TvlSliderOrientation o : {TvlSliderOrientation::soHorizontal, TvlSliderOrientation::soVertical}) {
      for (int length : {0, 8, 20}) {
        SCOPED_TRACE(std::to_string(length) + (skinned ? " skinned" : " built-in"));
        auto* s = new TvlSkinSlider(form);
        s->SetParent(form);
        s->SetOrientation(o);
        if (o == TvlSliderOrientation::soHorizontal)
          s->SetBounds(10, 10, length, 40);
        else
          s->SetBounds(10, 10, 40, length);
        if (skinned) s->SetSkinData(&skin);
        form->Show();
        EXPECT_EQ(s->Travel(), 0);
        s->SetValue(70);
        EXPECT_EQ(s->Value(), 70);
        EXPECT_EQ(s->ValueOfOffset(500), 0) << "every place is the minimum";
        s->SetFocus();
        display->KeyDown(VK_END);
        display->KeyUp(VK_END);
        (void)ScreenShot();  // paints
        EXPECT_EQ(s->Value(), 100);
        delete s;
      }
    }
  }
}

TEST_F(SkinSliderTest, OwnImagesComeFromTheProgramAndCanBeReplaced) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  TvlSkinSlider* s = Shown(form, false);
  EXPECT_EQ(s->Image(TvlSliderImage::siHThumb)->Width(), 18);
  EXPECT_EQ(s->Image(TvlSliderImage::siVRuler)->Height(), 10);
  EXPECT_EQ(s->ThumbRect().Width(), 9) << "two states side by side";
  EXPECT_EQ(s->RulerSize(), (TSize{200, 8}));
  TBitmap wide;
  wide.SetPixelFormat(TPixelFormat::pf32bit);
  wide.SetSize(30, 20);
  s->SetImage(TvlSliderImage::siHThumb, &wide);
  EXPECT_TRUE(s->UserImages().Contains(TvlSliderImage::siHThumb));
  EXPECT_EQ(s->ThumbRect().Width(), 15);
  s->SetOptions(TvlSliderOptions{TvlSliderOption::soThumbOpaque});
  s->SetImage(TvlSliderImage::siHThumb, nullptr);
  EXPECT_FALSE(s->UserImages().Contains(TvlSliderImage::siHThumb));
  EXPECT_FALSE(s->Options().Contains(TvlSliderOption::soThumbOpaque));
  EXPECT_EQ(s->ThumbRect().Width(), 9);
  // Edges are accepted only while two of them are shorter than the ruler image (10).
  s->SetEdgeSize(4);
  EXPECT_EQ(s->EdgeSize(), 4);
  s->SetEdgeSize(5);
  s->SetEdgeSize(-1);
  EXPECT_EQ(s->EdgeSize(), 4);
}

}  // namespace
