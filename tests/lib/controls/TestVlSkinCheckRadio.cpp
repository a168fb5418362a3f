// Skinned check and radio boxes: the Checked writer's click rules and groups, clicks through
// the grayed state, the Space key, the grayed picture, and the flat and non-flat sizes across a
// skin change.

#include "lib/controls/vlSkinCtrlsCheckRadio.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "platform/controls/Edit.h"

namespace {

class SkinCheckRadioTest : public SkinnedControlsWorld {
 protected:
  TvlSkinCheckRadioBox* Box(TWinControl* parent, TRect bounds, bool radio, int group,
                            std::vector<std::string>* clicks, const std::string& name) {
    auto* b = Add<TvlSkinCheckRadioBox>(parent, bounds, name.c_str());
    if (radio) {
      b->SetRadio(true);
      b->SetSkinDataName("radiobox");
    }
    b->GroupIndex = group;
    if (clicks) b->OnClick = [clicks, name](TObject*) { clicks->push_back(name); };
    return b;
  }
};

TEST_F(SkinCheckRadioTest, CheckedWriterClicksByKindAndUnchecksItsGroup) {
  TForm* form = MakeForm(TRect{0, 0, 400, 200});
  auto* panel = new TvlSkinPanel(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 400, 100);
  std::vector<std::string> clicks;
  auto* r1 = Box(panel, Bounds(10, 10, 80, 22), true, 1, &clicks, "r1");
  auto* r2 = Box(panel, Bounds(100, 10, 80, 22), true, 1, &clicks, "r2");
  auto* r3 = Box(panel, Bounds(190, 10, 80, 22), true, 1, &clicks, "r3");
  auto* c1 = Box(panel, Bounds(10, 50, 80, 22), false, 1, &clicks, "c1");
  auto* c2 = Box(panel, Bounds(100, 50, 80, 22), false, 1, &clicks, "c2");
  auto* other = Box(form, Bounds(10, 120, 80, 22), true, 1, &clicks, "other");
  other->SetChecked(true);
  clicks.clear();

  r1->SetChecked(true);
  r3->SetChecked(true);
  // Radio boxes fire only when set checked; the ones the group unchecks stay silent. The check
  // boxes of the same group index are unchecked too (they are of the same parent).
  r2->SetChecked(true);
  EXPECT_EQ(clicks, (std::vector<std::string>{"r1", "r3", "r2"}));
  EXPECT_EQ((std::vector<bool>{r1->Checked(), r2->Checked(), r3->Checked()}), (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(other->Checked()) << "a box of another parent holds its own group";
  clicks.clear();
  r2->SetChecked(true);
  EXPECT_EQ(clicks, (std::vector<std::string>{"r2"})) << "checking a checked radio box fires again";

  clicks.clear();
  c1->SetChecked(true);
  c2->SetChecked(true);
  EXPECT_FALSE(c1->Checked());
  EXPECT_FALSE(r2->Checked()) << "the group is the index within the parent, whatever the kind";
  // The check box unchecked by its group fires its own click (before the box that checked it),
  // and every write of a check box fires, also one that changes nothing.
  EXPECT_EQ(clicks, (std::vector<std::string>{"c1", "c1", "c2"}));
  clicks.clear();
  c1->SetChecked(false);
  EXPECT_EQ(clicks, (std::vector<std::string>{"c1"}));
}

TEST_F(SkinCheckRadioTest, ClicksCycleThroughGrayedAndSpaceTogglesOnRelease) {
  TForm* form = MakeForm(TRect{0, 0, 400, 120});
  std::vector<std::string> clicks;
  auto* grayed = Box(form, Bounds(10, 10, 100, 22), false, 0, &clicks, "g");
  grayed->SetAllowGrayed(true);
  auto* radio = Box(form, Bounds(120, 10, 100, 22), true, 0, &clicks, "r");
  radio->SetChecked(true);
  auto* key = Box(form, Bounds(230, 10, 100, 22), false, 0, &clicks, "k");
  key->SetCanFocused(true);
  form->Show();
  Pump();
  clicks.clear();

  std::vector<TCheckBoxState> states;
  for (int i = 0; i < 3; ++i) {
    Click(grayed);
    states.push_back(grayed->State());
    if (i == 0) { EXPECT_FALSE(grayed->Checked()) << "Checked reads false while grayed"; }
  }
  EXPECT_EQ(states, (std::vector<TCheckBoxState>{TCheckBoxState::cbGrayed, TCheckBoxState::cbChecked,
                                                 TCheckBoxState::cbUnchecked}));
  EXPECT_EQ(clicks.size(), 3u);
  Click(radio);
  EXPECT_TRUE(radio->Checked());
  EXPECT_EQ(clicks.size(), 3u) << "a click on a checked radio box changes nothing and fires nothing";

  key->SetFocus();
  Pump();
  display->KeyDown(VK_SPACE);
  Pump();
  EXPECT_FALSE(key->Checked()) << "not on the press";
  display->KeyUp(VK_SPACE);
  Pump();
  EXPECT_TRUE(key->Checked());
}

TEST_F(SkinCheckRadioTest, GrayedRadioBoxShowsItsCheckedPictureBrightened) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* checked = Box(form, Bounds(10, 10, 100, 22), true, 0, nullptr, "");
  checked->SetChecked(true);
  auto* grayed = Box(form, Bounds(10, 50, 100, 22), true, 0, nullptr, "");
  grayed->SetState(TCheckBoxState::cbGrayed);
  form->Show();
  EXPECT_FALSE(grayed->Checked());
  // The dot at the picture's centre (picture at x 3, vertically centred).
  const auto shot = ScreenShot();
  const COLORREF dot = shot.At({10 + 3 + 8, 10 + 11});
  const COLORREF pale = shot.At({10 + 3 + 8, 50 + 11});
  for (int shift : {0, 8, 16}) {
    const int c = (dot >> shift) & 0xFF, p = (pale >> shift) & 0xFF;
    EXPECT_NEAR(p, (c + 255) / 2, 2) << "channel " << shift;
  }
}

TEST_F(SkinCheckRadioTest, FlatBoxKeepsItsSizeAndNonFlatTakesTheElements) {
  TForm* form = MakeForm(TRect{0, 0, 400, 120});
  auto* flat = Box(form, Bounds(10, 10, 150, 30), false, 0, nullptr, "平面");
  auto* framed = Box(form, Bounds(10, 50, 150, 30), false, 0, nullptr, "边框");
  framed->SetFlat(false);
  fixture_skin::Switch(skin, form, fixture_skin::Variant::Standard);
  EXPECT_EQ((TSize{flat->Width(), flat->Height()}), (TSize{150, 30}));
  EXPECT_EQ((TSize{framed->Width(), framed->Height()}), (TSize{150, 24})) << "a strip element fixes the height";
  // The caption area grows with the width; the check picture is centred in its area.
  EXPECT_EQ(framed->TextPlace(), (TRect{24, 0, 146, 24}));
  EXPECT_EQ(framed->CheckImagePlace(), (TRect{4, 4, 20, 20}));
  EXPECT_FALSE(flat->HasWindowRegion());
}

TEST_F(SkinCheckRadioTest, NonFlatBoxFadesToItsHoverImage) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* edit = new TEdit(form);  // takes the focus, so that only the mouse counts
  edit->SetParent(form);
  edit->SetBounds(200, 10, 80, 22);
  auto* framed = Box(form, Bounds(10, 10, 150, 24), false, 0, nullptr, "边框");
  framed->SetFlat(false);
  auto* flat = Box(form, Bounds(10, 50, 150, 24), false, 0, nullptr, "平面");
  form->Show();
  edit->SetFocus();
  Pump();
  Hover(framed);
  std::vector<int> steps;
  for (int i = 0; i < 6; ++i) {
    clock.Advance(20);
    Pump();
    steps.push_back(framed->MorphStep());
  }
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5, 5}));
  Hover(flat);
  clock.Advance(20);
  Pump();
  EXPECT_EQ(flat->MorphStep(), 0) << "the flat style does not fade";
  EXPECT_TRUE(flat->MouseIn());
}

}  // namespace
