// Skinned control bases, the panel family, labels, bevel and splitter: painted headless from the
// fixture skin and without a skin, resized by the element's rules, following skin switches, and
// surviving hostile skin geometry.

#include "lib/controls/vlSkinCtrls.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedTestForm.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "tests/support/ImageCompare.h"
#include "platform/core/IniFiles.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/graphics/Surface.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

namespace fs = std::filesystem;
using fixture_skin::Variant;

using skinned_controls_world::SourceFolder;

class SkinCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    display->MouseMove({799, 599});
    fixture_skin::Fill(skin);
  }

  void TearDown() override {
    forms.clear();
    Pump();
  }

  TForm* MakeForm(TRect r) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBorderStyle(TFormBorderStyle::bsNone);
    f->SetBoundsRect(r);
    f->SetColor(clBtnFace);
    forms.emplace_back(f);
    return f;
  }

  static void Pump() {
    MSG m;
    for (int guard = 0; guard < 100000 && PeekMessage(&m, nullptr, 0, 0, PM_REMOVE); ++guard) {
      TranslateMessage(&m);
      DispatchMessage(&m);
    }
  }

  // The screen pixels of a rectangle, rows top-down (0xAARRGGBB).
  std::vector<std::uint32_t> Shot(const TRect& r) {
    Pump();
    auto shot = display->Screenshot(RGB(1, 2, 3));
    std::vector<std::uint32_t> out;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) out.push_back(shot->PixelAt(x, y) | 0xFF000000u);
    return out;
  }

  COLORREF ScreenAt(TPoint p) {
    Pump();
    auto shot = display->Screenshot(RGB(1, 2, 3));
    const std::uint32_t v = shot->PixelAt(p.X, p.Y);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }

  TApplication app{nullptr};
  THeadlessDisplay* display = nullptr;
  TvlSkinData skin{nullptr};
  std::vector<std::unique_ptr<TForm>> forms;
};

COLORREF Ref(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }

// ---- The test form, rendered and compared with its expected pictures -----------------------------

TEST_F(SkinCtrlsTest, TestFormMatchesItsExpectedPictures) {
  const fs::path expected = SourceFolder() / "expected";
  skinned_test_form::RenderAndCompare(display, &skin, "bgpanel", expected, "skinned_controls");
  skinned_test_form::RenderAndCompare(display, nullptr, "bgpanel", expected, "unskinned_controls");
}

// ---- Geometry rules ----------------------------------------------------------------------------

TEST_F(SkinCtrlsTest, ResizeModeAndSizeRulesOfTheElements) {
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  const struct {
    const char* element;
    int mode;
    TSize skinned;  // the size a 200 x 100 request gets
  } cases[] = {{"panel", 1, {200, 100}},   {"fixedpanel", 0, {60, 25}}, {"hstrip", 2, {200, 24}},
               {"vstrip", 3, {24, 100}},   {"outside", 1, {200, 100}}, {"nosuchname", -2, {200, 100}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.element);
    auto* control = new TvlSkinCustomControl(form);
    control->SetParent(form);
    control->SetSkinDataName(c.element);
    control->SetSkinData(&skin);
    control->SetBounds(5, 5, 200, 100);
    if (c.mode == -2) {
      EXPECT_EQ(control->SkinIndex(), -1);
    } else {
      EXPECT_EQ(control->ResizeMode, c.mode);
    }
    EXPECT_EQ((TSize{control->Width(), control->Height()}), c.skinned);
    if (c.mode == 0) { EXPECT_EQ(control->RealClientRect(), control->ClRect); }
    if (c.mode == 2) { EXPECT_EQ(control->RealClientRect().Right, control->ClRect.Right + 200 - 80); }
    if (c.mode == 3) { EXPECT_EQ(control->RealClientRect().Bottom, control->ClRect.Bottom + 100 - 60); }
    // The windowless twin follows the same rules.
    auto* graphic = new TvlGraphicSkinCustomControl(form);
    graphic->SetParent(form);
    graphic->SkinDataName = c.element;
    graphic->SetSkinData(&skin);
    graphic->SetBounds(5, 5, 200, 100);
    EXPECT_EQ((TSize{graphic->Width(), graphic->Height()}), c.skinned);
  }
}

TEST_F(SkinCtrlsTest, ResizeModeOfCornerPoints) {
  const struct {
    TRect skinRect;
    TPoint rt, lb, rb;
    int mode;
  } cases[] = {{{0, 10, 60, 35}, {0, 0}, {0, 0}, {0, 0}, 0},  {{0, 0, 60, 35}, {5, 0}, {0, 0}, {0, 0}, 2},
               {{0, 0, 60, 35}, {0, 0}, {0, 4}, {5, 0}, 3},   {{0, 0, 60, 35}, {1, 1}, {0, 4}, {5, 9}, 1},
               {{5, 5, 5, 40}, {5, 0}, {0, 4}, {5, 9}, -1}};
  TvlSkinCustomControl c(nullptr);
  for (const auto& k : cases) {
    c.SkinRect = k.skinRect;
    c.RTPt = k.rt;
    c.LBPt = k.lb;
    c.RBPt = k.rb;
    EXPECT_EQ(c.GetResizeMode(), k.mode);
  }
}

TEST_F(SkinCtrlsTest, MapSkinRectMovesRectanglesWithTheirCorner) {
  TForm* form = MakeForm(TRect{0, 0, 300, 300});
  auto* c = new TvlSkinCustomControl(form);
  c->SetParent(form);
  c->SetSkinDataName("groupbox");
  c->SetSkinData(&skin);
  c->SetBounds(0, 0, 160, 100);  // 100 wider, 40 higher than the 60 x 60 element
  const struct {
    TRect in, out;
  } nine[] = {
      {{2, 2, 8, 8}, {2, 2, 8, 8}},              // left-top corner: stays
      {{52, 2, 58, 8}, {152, 2, 158, 8}},        // right-top: moves right
      {{2, 56, 8, 59}, {2, 96, 8, 99}},          // left-bottom: moves down
      {{52, 56, 58, 59}, {152, 96, 158, 99}},    // right-bottom: both
      {{8, 2, 52, 23}, {8, 2, 152, 23}},         // the caption: spans the top, grows
      {{2, 2, 58, 58}, {2, 2, 158, 98}},         // spans everything
  };
  for (const auto& k : nine) {
    TRect out;
    c->MapSkinRect(k.in, out);
    EXPECT_EQ(out, k.out);
  }
  auto* v = new TvlSkinCustomControl(form);
  v->SetParent(form);
  v->SetSkinDataName("vstrip");
  v->SetSkinData(&skin);
  v->SetBounds(0, 0, 24, 100);  // 40 higher
  TRect out;
  v->MapSkinRect(TRect{2, 52, 20, 58}, out);
  EXPECT_EQ(out, (TRect{2, 92, 20, 98}));
  v->MapSkinRect(TRect{2, 5, 20, 55}, out);
  EXPECT_EQ(out, (TRect{2, 5, 20, 95}));
}

// ---- Skin changes ------------------------------------------------------------------------------

TEST_F(SkinCtrlsTest, SkinSwitchResizesByTheNewElementsRules) {
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  struct Made {
    TvlSkinCustomControl* control;
    TSize standard, alternate;
  };
  std::vector<Made> made;
  const struct {
    const char* element;
    TSize standard, alternate;
  } cases[] = {{"fixedpanel", {60, 25}, {80, 30}}, {"hstrip", {150, 24}, {150, 28}}, {"vstrip", {24, 90}, {30, 90}}};
  for (const auto& c : cases) {
    auto* control = new TvlSkinCustomControl(form);
    control->SetParent(form);
    control->SetSkinDataName(c.element);
    control->SetDefaultWidth(70);
    control->SetDefaultHeight(33);
    control->SetBounds(0, 0, 150, 90);
    control->SetSkinData(&skin);
    made.push_back({control, c.standard, c.alternate});
  }
  auto* graphic = new TvlGraphicSkinCustomControl(form);
  graphic->SetParent(form);
  graphic->SkinDataName = "fixedpanel";
  graphic->SetSkinData(&skin);
  form->Show();
  Pump();
  for (const auto& m : made) EXPECT_EQ((TSize{m.control->Width(), m.control->Height()}), m.standard);
  // A default size applies at once only while no element is found.
  made[0].control->SetDefaultWidth(99);
  EXPECT_EQ(made[0].control->Width(), 60);
  auto* plain = new TvlSkinCustomControl(form);
  plain->SetParent(form);
  plain->SetDefaultWidth(80);
  EXPECT_EQ(plain->Width(), 80);
  made[0].control->SetDefaultWidth(70);

  fixture_skin::Switch(skin, form, Variant::Alternate);
  for (const auto& m : made) {
    SCOPED_TRACE(m.control->SkinDataName());
    EXPECT_EQ((TSize{m.control->Width(), m.control->Height()}), m.alternate);
  }
  EXPECT_EQ((TSize{graphic->Width(), graphic->Height()}), (TSize{80, 30}));

  // Without a skin the controls take their default size and paint the built-in look.
  fixture_skin::Switch(skin, form, std::nullopt);
  for (const auto& m : made) {
    EXPECT_EQ(m.control->SkinIndex(), -1);
    EXPECT_EQ((TSize{m.control->Width(), m.control->Height()}), (TSize{70, 33}));
  }
  EXPECT_EQ(ScreenAt(TPoint{made[0].control->Left() + 30, made[0].control->Top() + 15}), Ref(clBtnFace));
}

TEST_F(SkinCtrlsTest, WalksReachOnlyTheChangingContainersControls) {
  TForm* form = MakeForm(TRect{0, 0, 300, 200});
  TvlSkinData other(nullptr);
  fixture_skin::Fill(other);
  auto* mine = new TvlSkinCustomControl(form);
  mine->SetParent(form);
  mine->SetSkinDataName("fixedpanel");
  mine->SetSkinData(&skin);
  auto* theirs = new TvlSkinCustomControl(form);
  theirs->SetParent(form);
  theirs->SetSkinDataName("fixedpanel");
  theirs->SetSkinData(&other);
  fixture_skin::Switch(skin, form, Variant::Alternate);
  EXPECT_EQ(mine->Width(), 80);
  EXPECT_EQ(theirs->Width(), 60);
  // A walk without a container reaches every skinned control.
  fixture_skin::Clear(other);
  fixture_skin::Fill(other, Variant::Alternate);
  vlChangeChildrenSkinData(nullptr, form);
  EXPECT_EQ(theirs->Width(), 80);
  // Before a change the windowed bases forget their element.
  vlBeforeChildrenSkinChange(nullptr, form);
  EXPECT_EQ(mine->SkinIndex(), -1);
  theirs->SetSkinData(nullptr);
}

TEST_F(SkinCtrlsTest, FreedContainerIsForgottenByEveryFamily) {
  TForm* form = MakeForm(TRect{0, 0, 300, 200});
  auto owned = std::make_unique<TvlSkinData>(nullptr);
  fixture_skin::Fill(*owned);
  auto* panel = new TvlSkinPanel(form);
  panel->SetParent(form);
  panel->SetSkinData(owned.get());
  auto* graphic = new TvlGraphicSkinCustomControl(form);
  graphic->SetParent(form);
  graphic->SetSkinData(owned.get());
  auto* label = new TvlSkinStdLabel(form);
  label->SetParent(form);
  label->SetSkinData(owned.get());
  auto* text = new TvlSkinTextLabel(form);
  text->SetParent(form);
  text->SetSkinData(owned.get());
  auto* bevel = new TvlSkinBevel(form);
  bevel->SetParent(form);
  bevel->SetSkinData(owned.get());
  auto* splitter = new TvlSkinSplitter(form);
  splitter->SetParent(form);
  splitter->SetSkinData(owned.get());
  form->Show();
  Pump();
  owned.reset();
  EXPECT_EQ(panel->SkinData(), nullptr);
  EXPECT_EQ(graphic->SkinData(), nullptr);
  EXPECT_EQ(label->SkinData(), nullptr);
  EXPECT_EQ(text->SkinData(), nullptr);
  EXPECT_EQ(bevel->SkinData(), nullptr);
  EXPECT_EQ(splitter->SkinData(), nullptr);
  panel->Repaint();
  EXPECT_EQ(ScreenAt(TPoint{75, 75}), Ref(clBtnFace));  // the panel's built-in look
}

// ---- Hostile skins -----------------------------------------------------------------------------

TEST_F(SkinCtrlsTest, HostileGeometryPaintsWithoutAFault) {
  TForm* form = MakeForm(TRect{0, 0, 500, 400});
  const char* elements[] = {"zeromiddle", "crossed", "badindex", "negindex", "outside", "hugecorners", "badsplitter"};
  int y = 0;
  for (const char* name : elements) {
    auto* panel = new TvlSkinPanel(form);
    panel->SetParent(form);
    panel->SetSkinDataName(name);
    panel->SetCaptionMode(true);
    panel->SetCheckedMode(true);
    panel->SetRollUpMode(true);
    panel->SetCaption("标题");
    panel->SetSkinData(&skin);
    panel->SetBounds(0, y, 120, 40);
    auto* transparent = new TvlSkinPanel(form);
    transparent->SetParent(form);
    transparent->SetSkinDataName(name);
    transparent->SetTransparentMode(true);
    transparent->SetCaptionMode(true);
    transparent->SetSkinData(&skin);
    transparent->SetBounds(130, y, 120, 40);
    auto* graphic = new TvlGraphicSkinCustomControl(form);
    graphic->SetParent(form);
    graphic->SkinDataName = name;
    graphic->SetSkinData(&skin);
    graphic->SetBounds(260, y, 60, 40);
    auto* splitter = new TvlSkinSplitter(form);
    splitter->SetParent(form);
    splitter->SetAlign(TAlign::alRight);
    splitter->SetSkinDataName(name);
    splitter->SetSkinData(&skin);
    auto* label = new TvlSkinStdLabel(form);
    label->SetParent(form);
    label->SetSkinDataName(name);  // not a label element: the label keeps its own values
    label->SetCaption("标签");
    label->SetSkinData(&skin);
    label->SetBounds(330, y, 60, 18);
    y += 50;
  }
  form->Show();
  Pump();
  // Sizes far beyond the corners, and far below them.
  for (int i = 0; i < form->ControlCount(); ++i) {
    if (auto* p = dynamic_cast<TvlSkinPanel*>(form->Controls(i))) {
      p->SetBounds(p->Left(), p->Top(), 3, 2);
      p->SetBounds(p->Left(), p->Top(), 120, 40);
    }
  }
  fixture_skin::Switch(skin, form, Variant::Alternate);
  Pump();
  // A mask index outside the skin means no mask: no window region.
  for (int i = 0; i < form->ControlCount(); ++i)
    if (auto* p = dynamic_cast<TvlSkinPanel*>(form->Controls(i));
        p && (p->SkinDataName() == "badindex" || p->SkinDataName() == "negindex")) {
      EXPECT_FALSE(p->HasWindowRegion()) << p->SkinDataName();
    }
  // A picture index outside the skin means no picture: the built-in look.
  EXPECT_EQ(ScreenAt(TPoint{60, 2 * 50 + 30}), Ref(clBtnFace));  // badindex
  EXPECT_EQ(ScreenAt(TPoint{60, 3 * 50 + 30}), Ref(clBtnFace));  // negindex
  EXPECT_EQ(ScreenAt(TPoint{60, 4 * 50 + 30}), Ref(clBtnFace));  // outside the picture
}

TEST_F(SkinCtrlsTest, ControlsNeverWriteIntoTheSkinDescription) {
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  auto describe = [&] {
    TMemIniFile ini("");
    for (auto& d : skin.CtrlList) d->SaveToFile(&ini);
    TStringList lines;
    ini.GetStrings(&lines);
    return lines.Text();
  };
  const std::string before = describe();
  auto* group = new TvlSkinGroupBox(form);
  group->SetParent(form);
  group->SetRollUpMode(true);
  group->SetCheckedMode(true);
  group->SetCaption("设置");
  group->SetSkinData(&skin);
  group->SetBounds(10, 10, 200, 150);
  auto* strip = new TvlSkinPanel(form);
  strip->SetParent(form);
  strip->SetSkinDataName("hstrip");
  strip->SetSkinData(&skin);
  strip->SetBounds(10, 170, 300, 90);
  form->Show();
  Pump();
  group->SetRollUpState(true);
  group->SetChecked(false);
  group->SetRollUpState(false);
  strip->SetBounds(0, 170, 40, 10);
  Pump();
  EXPECT_EQ(describe(), before);
}

// ---- Regions -----------------------------------------------------------------------------------

TEST_F(SkinCtrlsTest, MaskRegionBelongsToTheWindowAndFollowsTheSkin) {
  TForm* form = MakeForm(TRect{0, 0, 300, 200});
  auto* panel = new TvlSkinPanel(form);
  panel->SetParent(form);
  panel->SetSkinData(&skin);
  panel->SetBounds(10, 10, 120, 80);
  form->Show();
  Pump();
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  ASSERT_TRUE(panel->HasWindowRegion());
  ASSERT_NE(GetWindowRgn(panel->Handle(), probe), RGN_ERROR);
  EXPECT_FALSE(PtInRegion(probe, 0, 0));  // the cut corner
  EXPECT_FALSE(PtInRegion(probe, 119, 79));
  EXPECT_TRUE(PtInRegion(probe, 1, 0));
  EXPECT_TRUE(PtInRegion(probe, 60, 40));
  // Resizing hands the window a new region; the old one was the window's to free.
  panel->SetBounds(10, 10, 200, 120);
  ASSERT_NE(GetWindowRgn(panel->Handle(), probe), RGN_ERROR);
  EXPECT_FALSE(PtInRegion(probe, 199, 119));
  EXPECT_TRUE(PtInRegion(probe, 198, 119));
  // A skin without the element removes it.
  fixture_skin::Switch(skin, form, std::nullopt);
  EXPECT_FALSE(panel->HasWindowRegion());
  EXPECT_EQ(GetWindowRgn(panel->Handle(), probe), RGN_ERROR);
  fixture_skin::Switch(skin, form, Variant::Standard);
  EXPECT_TRUE(panel->HasWindowRegion());
  DeleteObject(probe);
}

// ---- Panel behaviour ---------------------------------------------------------------------------

TEST_F(SkinCtrlsTest, CaptionClickRollsUpAndDown) {
  TForm* form = MakeForm(TRect{0, 0, 400, 300});
  const struct {
    bool skinned;
    int rolled;
  } cases[] = {{true, 60 - 32}, {false, 23}};  // skinned: the element's height less its client's
  for (const auto& c : cases) {
    SCOPED_TRACE(c.skinned ? "skinned" : "built-in");
    auto* panel = new TvlSkinGroupBox(form);
    panel->SetParent(form);
    panel->SetRollUpMode(true);
    panel->SetCaption("分组");
    if (c.skinned) panel->SetSkinData(&skin);
    panel->SetBounds(10, 10, 200, 150);
    panel->Constraints()->SetMinHeight(120);
    auto* child = new TvlSkinStdLabel(form);
    child->SetParent(panel);
    int changes = 0;
    panel->OnChangeRollUpState = [&](TObject*) { ++changes; };
    form->Show();
    Pump();
    const TPoint click{30, 8};
    panel->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(click.X, click.Y));
    panel->Perform(WM_LBUTTONUP, 0, MAKELPARAM(click.X, click.Y));
    EXPECT_TRUE(panel->RollUpState());
    EXPECT_EQ(panel->Height(), c.rolled);
    EXPECT_EQ(panel->RealHeight(), 150);
    EXPECT_FALSE(child->Visible());
    EXPECT_EQ(panel->Constraints()->MinHeight(), 0);
    panel->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(click.X, click.Y));
    panel->Perform(WM_LBUTTONUP, 0, MAKELPARAM(click.X, click.Y));
    EXPECT_FALSE(panel->RollUpState());
    EXPECT_EQ(panel->Height(), 150);
    EXPECT_TRUE(child->Visible());
    EXPECT_EQ(panel->Constraints()->MinHeight(), 120);  // the panel's limits come back
    EXPECT_EQ(changes, 2);
    forms.back()->Hide();
  }
}

TEST_F(SkinCtrlsTest, RollUpStateWithoutRollUpModeKeepsTheConstraints) {
  TForm* form = MakeForm(TRect{0, 0, 300, 300});
  auto* panel = new TvlSkinPanel(form);
  panel->SetParent(form);
  panel->SetCaptionMode(true);
  panel->Constraints()->SetMaxHeight(280);
  panel->Constraints()->SetMinWidth(50);
  panel->SetRollUpState(true);
  EXPECT_FALSE(panel->RollUpState());
  EXPECT_EQ(panel->Constraints()->MaxHeight(), 280);
  EXPECT_EQ(panel->Constraints()->MinWidth(), 50);
  EXPECT_EQ(panel->Height(), 150);
}

TEST_F(SkinCtrlsTest, SkinChangeKeepsARolledPanelRolled) {
  TForm* form = MakeForm(TRect{0, 0, 300, 300});
  auto* panel = new TvlSkinGroupBox(form);
  panel->SetParent(form);
  panel->SetRollUpMode(true);
  panel->SetSkinData(&skin);
  panel->SetBounds(0, 0, 200, 150);
  panel->SetRollUpState(true);
  fixture_skin::Switch(skin, form, std::nullopt);
  EXPECT_EQ(panel->Height(), 23);
  EXPECT_EQ(panel->RealHeight(), 150);
  fixture_skin::Switch(skin, form, Variant::Standard);
  EXPECT_EQ(panel->Height(), 28);
  panel->SetRollUpState(false);
  EXPECT_EQ(panel->Height(), 150);
}

TEST_F(SkinCtrlsTest, CaptionCheckBoxEnablesTheChildren) {
  TForm* form = MakeForm(TRect{0, 0, 300, 300});
  auto* group = new TvlSkinGroupBox(form);
  group->SetParent(form);
  group->SetCheckedMode(true);
  group->SetCaption("多线程");
  group->SetSkinData(&skin);
  group->SetBounds(0, 0, 200, 120);
  auto* a = new TvlSkinStdLabel(form);
  a->SetParent(group);
  auto* b = new TvlSkinPanel(form);
  b->SetParent(group);
  int fired = 0;
  group->OnChecked = [&](TObject*) { ++fired; };
  form->Show();
  Pump();
  group->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
  group->Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
  EXPECT_TRUE(group->Checked());
  EXPECT_TRUE(a->Enabled());
  group->SetChecked(false);
  EXPECT_FALSE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  group->SetChecked(false);
  EXPECT_EQ(fired, 3);  // every assignment, changed or not
  group->SetAutoEnabledControls(false);
  group->SetChecked(true);
  EXPECT_FALSE(a->Enabled());
}

TEST_F(SkinCtrlsTest, GroupBoxClientLiesBelowTheCaptionBar) {
  TForm* form = MakeForm(TRect{0, 0, 300, 300});
  auto* group = new TvlSkinGroupBox(form);
  group->SetParent(form);
  group->SetBounds(0, 0, 200, 120);
  EXPECT_EQ(group->GetSkinClientRect(), (TRect{1, 23, 199, 119}));
  group->SetRibbonStyle(true);
  EXPECT_EQ(group->GetSkinClientRect(), (TRect{1, 1, 199, 97}));
  group->SetSkinData(&skin);
  EXPECT_EQ(group->GetSkinClientRect(), (TRect{3, 25, 197, 117}));
}

TEST_F(SkinCtrlsTest, MouseEnterAndLeaveFireOnce) {
  TForm* form = MakeForm(TRect{0, 0, 300, 300});
  auto* panel = new TvlSkinPanel(form);
  panel->SetParent(form);
  auto* graphic = new TvlGraphicSkinCustomControl(form);
  graphic->SetParent(form);
  int enter = 0, leave = 0;
  for (TControl* c : std::initializer_list<TControl*>{panel, graphic}) {
    c->OnMouseEnter = [&](TObject*) { ++enter; };
    c->OnMouseLeave = [&](TObject*) { ++leave; };
    c->Perform(CM_MOUSEENTER, 0, 0);
    c->Perform(CM_MOUSELEAVE, 0, 0);
  }
  EXPECT_EQ(enter, 2);
  EXPECT_EQ(leave, 2);
}

TEST_F(SkinCtrlsTest, TransparentPanelsShowWhatLiesBelowAndFollowTheirAncestors) {
  TForm* form = MakeForm(TRect{0, 0, 300, 200});
  COLORREF fill = RGB(200, 120, 40);
  auto* paint = new TvlSkinPaintPanel(form);
  paint->SetParent(form);
  paint->SetBorderStyle(TvlSkinBorderStyle::bvNone);
  paint->SetBounds(0, 0, 300, 200);
  paint->OnPanelPaint = [&](TCanvas* c, TRect r) {
    c->Brush()->SetColor(static_cast<TColor>(fill));
    c->FillRect(r);
  };
  // A windowless sibling below the transparent panel.
  auto* shape = new TShape(form);
  shape->SetParent(paint);
  shape->Brush()->SetColor(static_cast<TColor>(RGB(30, 160, 60)));
  shape->Pen()->SetColor(static_cast<TColor>(RGB(30, 160, 60)));
  shape->SetBounds(20, 20, 40, 40);
  auto* outer = new TvlSkinPanel(form);
  outer->SetParent(paint);
  outer->SetTransparentMode(true);
  outer->SetSkinData(&skin);
  outer->SetBounds(10, 10, 200, 150);
  auto* inner = new TvlSkinPanel(form);
  inner->SetParent(outer);
  inner->SetTransparentMode(true);
  inner->SetSkinData(&skin);
  inner->SetBounds(20, 80, 100, 50);
  form->Show();
  Pump();
  EXPECT_EQ(ScreenAt(TPoint{30, 30}), RGB(30, 160, 60));  // the sibling, through the outer panel
  EXPECT_EQ(ScreenAt(TPoint{150, 40}), fill);
  EXPECT_EQ(ScreenAt(TPoint{80, 115}), fill);  // through both panels
  EXPECT_EQ(ScreenAt(TPoint{10, 100}), RGB(143, 163, 191));  // the outer panel's frame
  // The parent changes under them without repainting itself: the move notice reaches both.
  fill = RGB(90, 40, 160);
  paint->NotifyParentMoved();
  EXPECT_EQ(ScreenAt(TPoint{150, 40}), fill);
  EXPECT_EQ(ScreenAt(TPoint{80, 115}), fill);
}

// A bar that centres its skinned children, as a skinned tool bar does.
class CentringBar : public TvlSkinPanel {
 public:
  using TvlSkinPanel::TvlSkinPanel;
  [[nodiscard]] bool CentresSkinnedChildren() const override { return true; }
};

TEST_F(SkinCtrlsTest, BarCentresSkinnedChildrenVertically) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* bar = new CentringBar(form);
  bar->SetParent(form);
  bar->SetBounds(0, 0, 300, 60);  // built-in frame: client rows 1..59, centre 30
  auto* windowed = new TvlSkinCustomControl(form);
  windowed->SetParent(bar);
  windowed->SetBounds(5, 0, 40, 20);
  auto* windowless = new TvlGraphicSkinCustomControl(form);
  windowless->SetParent(bar);
  windowless->SetBounds(50, 3, 40, 10);
  auto* bevel = new TvlSkinBevel(form);
  bevel->SetParent(bar);
  bevel->SetBounds(100, 44, 2, 30);
  EXPECT_EQ(windowed->Top(), 20);
  EXPECT_EQ(windowless->Top(), 25);
  EXPECT_EQ(bevel->Top(), 15);
  // Moving sideways keeps them centred; a plain panel leaves the top alone.
  windowed->SetBounds(9, 40, 40, 20);
  EXPECT_EQ(windowed->Top(), 20);
  windowed->SetParent(form);
  windowed->SetBounds(9, 40, 40, 20);
  EXPECT_EQ(windowed->Top(), 40);
}

// ---- Labels, bevel and splitter ----------------------------------------------------------------

TEST_F(SkinCtrlsTest, DisabledLabelDrawsHighlightUnderShadow) {
  TForm* form = MakeForm(TRect{0, 0, 200, 100});
  auto* label = new TvlSkinStdLabel(form);
  label->SetParent(form);
  label->SetCaption("WWW");
  label->UseSkinFont = false;  // a large bold face, so that whole pixels show both colours
  label->Font()->SetHeight(-24);
  label->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  label->SetSkinData(&skin);
  label->SetBounds(10, 10, 80, 20);
  label->SetEnabled(false);
  form->SetColor(clBlack);
  form->Show();
  const auto pixels = Shot(TRect{10, 10, 90, 30});
  // Glyph edges blend into the black background: count the pixels near each colour.
  auto near = [](std::uint32_t p, int r, int g, int b) {
    return std::abs(static_cast<int>((p >> 16) & 0xFF) - r) < 24 && std::abs(static_cast<int>((p >> 8) & 0xFF) - g) < 24 &&
           std::abs(static_cast<int>(p & 0xFF) - b) < 24;
  };
  int highlight = 0, shadow = 0;
  for (std::uint32_t p : pixels) {
    highlight += near(p, 255, 255, 255);
    shadow += near(p, 143, 163, 191);
  }
  EXPECT_GT(highlight, 0);
  EXPECT_GT(shadow, 0);
}

TEST_F(SkinCtrlsTest, TextLabelSizesToItsLines) {
  TForm* form = MakeForm(TRect{0, 0, 300, 200});
  auto* label = new TvlSkinTextLabel(form);
  label->SetParent(form);
  label->SetSkinData(&skin);
  label->Lines()->Add("A");
  const int one = label->Height();
  EXPECT_GT(one, 5);
  label->Lines()->Add("B");
  label->Lines()->Add("C");
  EXPECT_EQ(label->Height(), 3 * one);
  label->SetAlignment(TAlignment::taRightJustify);
  const int right = label->Left() + label->Width();
  label->Lines()->Add("一行更长的文字");
  EXPECT_EQ(label->Left() + label->Width(), right);
}

TEST_F(SkinCtrlsTest, BevelShapesInTheSkinColours) {
  const struct {
    TBevelShape shape;
    bool divider;
    TRect dark;  // where the lowered style's dark edge lies (a line or the two edges)
  } cases[] = {{TBevelShape::bsLeftLine, true, {9, 2, 10, 38}},
               {TBevelShape::bsTopLine, true, {2, 19, 18, 20}},
               {TBevelShape::bsLeftLine, false, {0, 0, 1, 40}},
               {TBevelShape::bsBottomLine, false, {0, 38, 20, 39}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.shape) * 2 + c.divider);
    TForm* form = MakeForm(TRect{0, 0, 20, 40});
    form->SetColor(clBlack);
    auto* bevel = new TvlSkinBevel(form);
    bevel->SetParent(form);
    bevel->SetShape(c.shape);
    bevel->SetDividerMode(c.divider);
    bevel->SetBounds(0, 0, 20, 40);
    bevel->SetSkinData(&skin);
    form->Show();
    const COLORREF dark = RGB(157, 176, 200);
    EXPECT_EQ(ScreenAt(TPoint{c.dark.Left, c.dark.Top}), dark);
    EXPECT_EQ(ScreenAt(TPoint{c.dark.Right - 1, c.dark.Bottom - 1}), dark);
    forms.clear();
  }
}

TEST_F(SkinCtrlsTest, SplitterTakesTheSkinThicknessUnlessTransparent) {
  TForm* form = MakeForm(TRect{0, 0, 300, 200});
  auto* left = new TvlSkinSplitter(form);
  left->SetParent(form);
  left->SetAlign(TAlign::alLeft);
  left->SetSkinData(&skin);
  EXPECT_EQ(left->Width(), 6);
  auto* top = new TvlSkinSplitter(form);
  top->SetParent(form);
  top->SetAlign(TAlign::alTop);
  top->SetSkinDataName("hsplitter");
  top->SetSkinData(&skin);
  EXPECT_EQ(top->Height(), 6);
  top->SetTransparent(true);
  top->ChangeSkinData();
  EXPECT_EQ(top->Height(), 10);
  fixture_skin::Switch(skin, form, std::nullopt);
  EXPECT_EQ(left->Width(), 10);
}

}  // namespace
