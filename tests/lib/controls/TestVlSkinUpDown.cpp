// The skinned up-down: button places in each look, clicks and the held repetition under the
// test clock, the bounds of Position, a zero increment, and the pictures of its states.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/controls/vlSkinBoxCtrls.h"

namespace {

class SkinUpDownTest : public SkinnedControlsWorld {
 protected:
  // An up-down at (20, 20) on a shown form, its changes and clicks written into heard.
  TvlSkinUpDown* UpDown(TvlSkinData* data, int w = 50, int h = 25) {
    TForm* form = MakeForm(TRect{0, 0, 300, 200});
    auto* u = new TvlSkinUpDown(form);
    u->SetParent(form);
    u->SetSkinData(data);
    u->SetBounds(20, 20, w, h);
    u->OnChange = [this, u](TObject* s) { heard.push_back(s == u ? "change " + std::to_string(u->Position()) : "?"); };
    u->OnUpButtonClick = [this, u](TObject* s) { heard.push_back(s == u ? "up" : "?"); };
    u->OnDownButtonClick = [this, u](TObject* s) { heard.push_back(s == u ? "down" : "?"); };
    form->Show();
    Pump();
    return u;
  }

  TPoint On(TvlSkinUpDown* u, int Button) {
    const TRect r = u->Button(Button).R;
    return u->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }

  [[nodiscard]] long Count(const std::string& prefix) const {
    return std::count_if(heard.begin(), heard.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
  }

  std::vector<std::string> heard;
};

TEST_F(SkinUpDownTest, ButtonsTakeTheirPlacesInEachLook) {
  struct Case {
    const char* name;
    bool skinned;
    const char* element;
    TUDOrientation orientation;
    bool useSkinSize;
    TSize size;     // the size asked for
    TSize shown;    // the size it takes
    TRect up, down;
  };
  const Case cases[] = {
      {"built-in, horizontal", false, "hupdown", TUDOrientation::udHorizontal, true, {50, 25}, {50, 25},
       {25, 0, 50, 25}, {0, 0, 25, 25}},
      {"built-in, vertical", false, "vupdown", TUDOrientation::udVertical, true, {25, 40}, {25, 40},
       {0, 0, 25, 20}, {0, 20, 25, 40}},
      {"the element's size and places", true, "hupdown", TUDOrientation::udHorizontal, true, {50, 25}, {36, 18},
       {18, 0, 36, 18}, {0, 0, 18, 18}},
      {"vertical element", true, "vupdown", TUDOrientation::udVertical, true, {30, 30}, {16, 24},
       {0, 0, 16, 12}, {0, 12, 16, 24}},
      {"free size in the skin", true, "hupdown", TUDOrientation::udHorizontal, false, {70, 24}, {70, 24},
       {35, 0, 70, 24}, {0, 0, 35, 24}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm* form = MakeForm(TRect{0, 0, 300, 200});
    auto* u = new TvlSkinUpDown(form);
    u->SetParent(form);
    u->SetSkinDataName(c.element);
    u->SetOrientation(c.orientation);
    u->UseSkinSize = c.useSkinSize;
    u->SetSkinData(c.skinned ? &skin : nullptr);
    u->SetBounds(10, 10, c.size.cx, c.size.cy);
    form->Show();
    Pump();
    EXPECT_EQ(u->Width(), c.shown.cx);
    EXPECT_EQ(u->Height(), c.shown.cy);
    EXPECT_EQ(u->Button(0).R, c.up);
    EXPECT_EQ(u->Button(1).R, c.down);
    forms.clear();
    Pump();
  }
}

TEST_F(SkinUpDownTest, ClickStepsOnceAndHoldingRepeatsAfter500msThenEvery100ms) {
  for (TvlSkinData* data : {&skin, static_cast<TvlSkinData*>(nullptr)}) {
    SCOPED_TRACE(data ? "skinned" : "unskinned");
    heard.clear();
    TvlSkinUpDown* u = UpDown(data);
    display->Click(On(u, 0));
    Pump();
    EXPECT_EQ(heard, (std::vector<std::string>{"change 1", "up"}));

    // Held from 0 and released over the button after 1050 ms: steps at 600, 700, 800, 900 and
    // 1000 ms, one more on release.
    u->SetPosition(0);
    heard.clear();
    display->MouseMove(On(u, 0));
    display->MouseDown(On(u, 0));
    Pump();
    Advance(590);
    EXPECT_EQ(u->Position(), 0) << "the first wait and the first interval";
    Advance(460);
    EXPECT_EQ(u->Position(), 5);
    display->MouseUp(On(u, 0));
    Pump();
    EXPECT_EQ(u->Position(), 6);
    EXPECT_EQ(Count("change"), 6);
    EXPECT_EQ(Count("up"), 1);
    Advance(300);
    EXPECT_EQ(u->Position(), 6) << "the repetition ended";

    // The down button, pressed with the right mouse button, acts the same way.
    heard.clear();
    display->MouseMove(On(u, 1));
    display->Click(On(u, 1), detail::TMouseButton::Right);
    Pump();
    EXPECT_EQ(heard, (std::vector<std::string>{"change 5", "down"}));
    forms.clear();
    Pump();
  }
}

TEST_F(SkinUpDownTest, LeavingTheHeldButtonPausesItAndAReleaseElsewhereDoesNothing) {
  TvlSkinUpDown* u = UpDown(&skin);
  u->SetPosition(50);
  heard.clear();
  display->MouseMove(On(u, 0));
  display->MouseDown(On(u, 0));
  Pump();
  Advance(700);
  EXPECT_EQ(u->Position(), 52);
  // Off the control: the repetition pauses.
  display->MouseMove(u->ClientToScreen(TPoint{u->Width() + 30, 5}));
  Pump();
  EXPECT_FALSE(u->Button(0).MouseIn);
  Advance(500);
  EXPECT_EQ(u->Position(), 52);
  // Back on it: every 50 ms.
  display->MouseMove(On(u, 0));
  Pump();
  Advance(200);
  EXPECT_EQ(u->Position(), 56);
  // Onto the other button: it does not turn hot, the repetition stops, the release does nothing.
  display->MouseMove(On(u, 1));
  Pump();
  EXPECT_FALSE(u->Button(1).MouseIn);
  Advance(300);
  display->MouseUp(On(u, 1));
  Pump();
  EXPECT_EQ(u->Position(), 56);
  EXPECT_EQ(Count("up"), 0);
  EXPECT_EQ(Count("down"), 0);
}

TEST_F(SkinUpDownTest, PositionStaysInsideItsBoundsWithoutClamping) {
  TvlSkinUpDown* u = UpDown(nullptr);
  u->SetPosition(150);
  EXPECT_EQ(u->Position(), 0) << "past Max: ignored";
  u->SetPosition(80);
  heard.clear();
  u->SetPosition(80);
  EXPECT_EQ(heard, (std::vector<std::string>{"change 80"})) << "the same value still tells";
  heard.clear();
  u->SetMax(50);
  EXPECT_EQ(u->Position(), 50);
  u->SetMin(60);
  EXPECT_EQ(u->Position(), 60);
  EXPECT_TRUE(heard.empty()) << "bounds move the position silently";
  u->SetMin(0);
  u->SetMax(100);
  u->SetPosition(98);
  u->Increment = 5;
  heard.clear();
  display->Click(On(u, 0));
  Pump();
  EXPECT_EQ(u->Position(), 98) << "a step past Max is ignored";
  EXPECT_EQ(heard, (std::vector<std::string>{"up"}));

  // Increment 0: no steps and no repetition, the clicks still tell.
  u->Increment = 0;
  heard.clear();
  display->MouseDown(On(u, 1));
  Advance(1000);
  display->MouseUp(On(u, 1));
  Pump();
  EXPECT_EQ(u->Position(), 98);
  EXPECT_EQ(heard, (std::vector<std::string>{"down"}));
}

TEST_F(SkinUpDownTest, StatesShowTheirPictures) {
  const TColor face = fixture_skin::Colour(247, 249, 252), hover = fixture_skin::Colour(229, 239, 251),
               pressed = fixture_skin::Colour(204, 222, 245);
  TvlSkinUpDown* u = UpDown(&skin);
  // A point of the up button's face away from its arrow.
  const TPoint probe = u->ClientToScreen(TPoint{u->Button(0).R.Left + 3, u->Button(0).R.Top + 4});
  EXPECT_EQ(ScreenShot().At(probe), face);
  display->MouseMove(On(u, 0));
  Pump();
  EXPECT_EQ(ScreenShot().At(probe), hover);
  display->MouseDown(On(u, 0));
  Pump();
  EXPECT_EQ(ScreenShot().At(probe), pressed);
  display->MouseUp(On(u, 0));
  display->MouseMove({299, 199});
  Pump();
  EXPECT_EQ(ScreenShot().At(probe), face);

  // Free size with a skin lacking "resizebutton": each button area is a blank bitmap.
  auto& list = skin.CtrlList;
  list.erase(std::remove_if(list.begin(), list.end(), [](const auto& e) { return e->IDName == "resizebutton"; }),
             list.end());
  u->UseSkinSize = false;
  u->SetBounds(20, 20, 60, 24);
  u->Repaint();
  TScreenShot shot = ScreenShot();
  const TColor blank = shot.At(u->ClientToScreen(TPoint{0, 0}));
  for (const TPoint p : {TPoint{15, 12}, TPoint{45, 12}, TPoint{59, 23}, TPoint{30, 0}})
    EXPECT_EQ(shot.At(u->ClientToScreen(p)), blank) << p.X << "," << p.Y << ": no arrow, no face";
}

}  // namespace
