// The drop-down list of a box: a pop-up tool window placed below its box (above it near the
// bottom of the work area) that never takes the activation or the focus, follows the pointer,
// and fades in on the clock when its box asks for translucency.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "platform/controls/Edit.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/WindowTree.h"

namespace {

// A box that decides its list's translucency.
class DropDownBox : public TvlSkinPanel, public TvlDropDownOwner {
 public:
  using TvlSkinPanel::TvlSkinPanel;
  [[nodiscard]] bool DropDownAlphaBlend() const override { return Blend; }
  [[nodiscard]] int DropDownAlphaBlendValue() const override { return Value; }
  [[nodiscard]] bool DropDownAlphaBlendAnimation() const override { return Animate; }
  bool Blend = false;
  int Value = 0;
  bool Animate = false;
};

// Every opacity given to a layered window, with the time it was given.
std::vector<std::pair<std::uint32_t, int>>* g_opacities = nullptr;

BOOL RecordOpacity(HWND, COLORREF, BYTE Alpha, DWORD) {
  if (g_opacities) g_opacities->emplace_back(GetTickCount(), Alpha);
  return TRUE;
}

class SkinDropDownTest : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    TvlSystemEntryPoints points = vlEntryPoints();
    points.SetLayeredWindowAttributes = RecordOpacity;
    vlSetEntryPoints(points);
    g_opacities = &opacities;
  }

  void TearDown() override {
    g_opacities = nullptr;
    SkinnedControlsWorld::TearDown();
  }

  // A form at Top with an edit holding the focus and a box of 120 x 20 at (20, 120); the list
  // of Items rows (eight shown at most) belongs to the box.
  void Build(int Top, int Items) {
    form = MakeForm(TRect{100, Top, 400, Top + 200});
    edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(20, 20, 120, 22);
    box = new DropDownBox(form);
    box->SetParent(form);
    box->SetBounds(20, 120, 120, 20);
    list = new TvlPopupListBox(box);
    list->SetSkinData(&skin);
    for (int i = 0; i < Items; ++i) list->Items()->Add("预设 " + std::to_string(i));
    list->SetWidth(box->Width());
    list->SetRowCount(std::min(Items, 8));
    form->Show();
    edit->SetFocus();
    Pump();
  }

  [[nodiscard]] std::vector<int> Values() const {
    std::vector<int> v;
    for (const auto& o : opacities) v.push_back(o.second);
    return v;
  }

  TForm* form = nullptr;
  TEdit* edit = nullptr;
  DropDownBox* box = nullptr;
  TvlPopupListBox* list = nullptr;
  std::vector<std::pair<std::uint32_t, int>> opacities;
};

TEST_F(SkinDropDownTest, OpensBelowItsBoxWithoutTakingTheActivationOrTheFocus) {
  Build(100, 20);
  const TPoint below = box->ClientToScreen(TPoint{0, box->Height()});
  const TPoint origin = TvlPopupListBox::DropDownOrigin(box, list->Height());
  EXPECT_EQ(origin, below);
  list->Show(origin);
  Pump();
  ASSERT_TRUE(list->Visible());
  HWND h = list->Handle();
  EXPECT_TRUE(IsWindowVisible(h));
  TRect r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, (TRect{below.X, below.Y, below.X + 120, below.Y + list->Height()}));
  EXPECT_NE(list->ScrollBar, nullptr) << "20 items, 8 rows";
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtr(h, GWL_STYLE)) & ~WS_VISIBLE, WS_POPUP | WS_CLIPCHILDREN);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtr(h, GWL_EXSTYLE)), WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindow(h, GW_OWNER), form->Handle()) << "stays above its form";
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(SendMessage(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->Handle()), 0), MA_NOACTIVATE);

  // The row under the pointer is highlighted as it moves.
  for (int row : {2, 5, 1}) {
    display->MouseMove(list->ListBox->ClientToScreen(TPoint{30, row * list->ListBox->ItemHeight() + 5}));
    Pump();
    EXPECT_EQ(list->ItemIndex(), row);
  }
  EXPECT_EQ(GetFocus(), edit->Handle());

  list->Hide();
  EXPECT_FALSE(list->Visible());
  EXPECT_FALSE(IsWindowVisible(h));
}

TEST_F(SkinDropDownTest, OpensAboveItsBoxNearTheBottomOfTheWorkArea) {
  Build(400, 3);  // the box's bottom at 540, the work area's at 560
  const TPoint top = box->ClientToScreen(TPoint{0, 0});
  ASSERT_GT(list->Height(), 20);
  const TPoint origin = TvlPopupListBox::DropDownOrigin(box, list->Height());
  EXPECT_EQ(origin.X, top.X);
  EXPECT_EQ(origin.Y + list->Height(), top.Y) << "its bottom at the box's top";
  EXPECT_EQ(list->ScrollBar, nullptr) << "3 items, 3 rows";
  list->Show(origin);
  Pump();
  EXPECT_EQ(list->Top(), origin.Y);
  EXPECT_EQ(GetFocus(), edit->Handle());
}

TEST_F(SkinDropDownTest, FadeRunsOnTheClockInFifteenthsOfTheOpacity) {
  struct Case {
    int value;
    std::vector<int> steps;
  };
  std::vector<int> by13{0};
  for (int a = 13; a < 200; a += 13) by13.push_back(a);
  by13.push_back(200);
  std::vector<int> by1;
  for (int a = 0; a <= 10; ++a) by1.push_back(a);
  for (const Case& c : {Case{200, by13}, Case{10, by1}}) {
    SCOPED_TRACE(c.value);
    Build(100, 5);
    box->Blend = box->Animate = true;
    box->Value = c.value;
    opacities.clear();
    list->Show(TvlPopupListBox::DropDownOrigin(box, list->Height()));
    EXPECT_TRUE(list->Fading()) << "Show returns at once";
    EXPECT_EQ(Values(), (std::vector<int>{0, c.value == 200 ? 13 : 1})) << "the first step at once";
    EXPECT_NE(GetWindowLongPtr(list->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    Advance(300, 1);
    EXPECT_EQ(Values(), c.steps);
    EXPECT_FALSE(list->Fading());
    EXPECT_EQ(list->Opacity(), c.value);
    for (std::size_t i = 2; i < opacities.size(); ++i)
      EXPECT_GT(opacities[i].first - opacities[i - 1].first, 5u) << "step " << i;
    forms.clear();
    Pump();
  }
}

TEST_F(SkinDropDownTest, FadeStopsWhenTheListHidesOrGoes) {
  Build(100, 5);
  box->Blend = box->Animate = true;
  box->Value = 200;
  list->Show(TvlPopupListBox::DropDownOrigin(box, list->Height()));
  Advance(20, 1);
  list->Hide();
  EXPECT_FALSE(list->Fading());
  const std::size_t given = opacities.size();
  Advance(100, 1);
  EXPECT_EQ(opacities.size(), given);

  // Shown again: from 0 once more.
  opacities.clear();
  list->Show(TvlPopupListBox::DropDownOrigin(box, list->Height()));
  EXPECT_EQ(Values(), (std::vector<int>{0, 13}));
  Advance(20, 1);
  delete list;
  opacities.clear();
  Advance(100, 1);
  EXPECT_TRUE(opacities.empty());
}

TEST_F(SkinDropDownTest, WithoutFadeTheOpacityIsSetOnceAndOpaqueAgainWhenBlendingStops) {
  Build(100, 5);
  box->Blend = true;
  box->Value = 180;
  list->Show(TvlPopupListBox::DropDownOrigin(box, list->Height()));
  EXPECT_FALSE(list->Fading());
  EXPECT_EQ(Values(), (std::vector<int>{180}));
  list->Hide();
  list->Show(TvlPopupListBox::DropDownOrigin(box, list->Height()));
  EXPECT_EQ(Values(), (std::vector<int>{180})) << "already at that opacity";
  list->Hide();
  box->Blend = false;
  list->Show(TvlPopupListBox::DropDownOrigin(box, list->Height()));
  EXPECT_EQ(GetWindowLongPtr(list->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_EQ(list->Opacity(), 255);
}

}  // namespace
