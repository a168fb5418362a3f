// Skinned push and speed buttons: hover fades and frame animation on the test clock, click
// repetition, groups, default and cancel buttons, the services the main window relies on, the
// glow frame, and the board of every button, box and slider state rendered headless.

#include "lib/controls/vlSkinCtrlsButtons.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "tests/lib/SkinnedButtonsBoard.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Clock.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/WindowTree.h"

namespace {

namespace fs = std::filesystem;

class SkinButtonsTest : public SkinnedControlsWorld {};

// ---- The board -----------------------------------------------------------------------------------

TEST_F(SkinButtonsTest, BoardOfStatesMatchesItsExpectedPictures) {
  const fs::path expected = skinned_controls_world::SourceFolder() / "expected";
  skinned_buttons_board::RenderAndCompare(display, clock, &skin, "bgpanel", expected, "skinned_buttons");
  skinned_buttons_board::RenderAndCompare(display, clock, nullptr, "bgpanel", expected, "unskinned_buttons");
}

// ---- Hover fades ---------------------------------------------------------------------------------

TEST_F(SkinButtonsTest, HoverFadeTakesFiveTicksEachWayAndEnds) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* push = Add<TvlSkinButton>(form, Bounds(10, 10, 80, 26));
  push->SetCanFocused(false);  // a focused button keeps its hover look
  auto* tool = Add<TvlSkinSpeedButton>(form, Bounds(120, 10, 60, 25));
  form->Show();
  Pump();
  struct {
    const char* name;
    TControl* control;
    std::function<int()> step;
    std::function<bool()> running;
  } cases[] = {{"push", push, [&] { return push->MorphStep(); }, [&] { return push->MorphRunning(); }},
               {"tool", tool, [&] { return tool->MorphStep(); }, [&] { return tool->MorphRunning(); }}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    Hover(c.control);
    for (int tick = 1; tick <= 5; ++tick) {
      clock.Advance(20);
      Pump();
      EXPECT_EQ(c.step(), tick);
    }
    clock.Advance(20);
    Pump();
    EXPECT_FALSE(c.running()) << "the fade ends at the hover look";
    display->MouseMove({299, 99});
    Pump();
    Advance(100, 20);
    EXPECT_EQ(c.step(), 0);
    Advance(20, 20);
    EXPECT_FALSE(c.running());
  }
  // Without skin effects the look changes at once and no timer runs.
  skin.EnableSkinEffects = false;
  Hover(push);
  EXPECT_TRUE(push->MouseIn());
  EXPECT_FALSE(push->MorphRunning());
}

TEST_F(SkinButtonsTest, FrameAnimationRunsForwardOnEnterAndBackOnLeave) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* b = Add<TvlSkinButton>(form, Bounds(10, 10, 80, 26));
  b->SetSkinDataName("animbutton");
  b->SetCanFocused(false);
  b->ChangeSkinData();
  auto* flat = Add<TvlSkinSpeedButton>(form, Bounds(120, 10, 60, 25));
  flat->SkinDataName = "animbutton";
  flat->SetFlat(true);
  form->Show();
  Pump();
  Hover(b);
  EXPECT_EQ(b->CurrentFrame(), 1);
  std::vector<int> frames;
  for (int i = 0; i < 4; ++i) {
    clock.Advance(30);
    Pump();
    frames.push_back(b->CurrentFrame());
  }
  EXPECT_EQ(frames, (std::vector<int>{2, 3, 0, 0})) << "past the last frame the animation stops";
  Hover(flat);
  EXPECT_EQ(flat->CurrentFrame(), 0) << "a flat button has no frame animation";
  EXPECT_EQ(b->CurrentFrame(), 3) << "leaving runs the frames backward";
  Advance(120, 30);
  EXPECT_EQ(b->CurrentFrame(), 0);
}

// ---- Clicks --------------------------------------------------------------------------------------

TEST_F(SkinButtonsTest, HeldRepeatButtonClicksAfterTheDelayThenEveryInterval) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* push = Add<TvlSkinButton>(form, Bounds(10, 10, 80, 26));
  auto* tool = Add<TvlSkinSpeedButton>(form, Bounds(120, 10, 60, 25));
  form->Show();
  Pump();
  for (TControl* c : std::vector<TControl*>{push, tool}) {
    SCOPED_TRACE(c == push ? "push" : "tool");
    int clicks = 0;
    c->OnClick = [&](TObject*) { ++clicks; };
    if (c == push) {
      push->RepeatMode = true;
      push->RepeatInterval = 100;
    } else {
      tool->RepeatMode = true;
      tool->RepeatInterval = 100;
    }
    Hover(c);
    display->MouseDown(Centre(c));
    Pump();
    Advance(590);
    EXPECT_EQ(clicks, 0) << "the first tick after 500 ms sets the pace";
    Advance(10);
    EXPECT_EQ(clicks, 1);
    Advance(300);
    EXPECT_EQ(clicks, 4);
    // Off the button the repetition pauses; back over it, it starts again from the delay.
    display->MouseMove({299, 99});
    Pump();
    Advance(300);
    EXPECT_EQ(clicks, 4);
    Hover(c);
    Advance(600);
    EXPECT_EQ(clicks, 5);
    display->MouseUp(Centre(c));
    Pump();
    EXPECT_EQ(clicks, 6) << "the release over the button clicks once more";
    Advance(1000);
    EXPECT_EQ(clicks, 6);
  }
}

TEST_F(SkinButtonsTest, ReleasedOutsideTheButtonDoesNotClick) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* push = Add<TvlSkinButton>(form, Bounds(10, 10, 80, 26));
  auto* tool = Add<TvlSkinSpeedButton>(form, Bounds(120, 10, 60, 25));
  form->Show();
  Pump();
  for (TControl* c : std::vector<TControl*>{push, tool}) {
    int clicks = 0;
    c->OnClick = [&](TObject*) { ++clicks; };
    Hover(c);
    display->MouseDown(Centre(c));
    Pump();
    display->MouseMove({250, 80});
    Pump();
    display->MouseUp({250, 80});
    Pump();
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(c == push ? push->Down() : tool->Down());
    Click(c);
    EXPECT_EQ(clicks, 1);
  }
}

TEST_F(SkinButtonsTest, GroupButtonsReleaseTheirSiblingsAndClickOnPress) {
  TForm* form = MakeForm(TRect{0, 0, 400, 120});
  auto* panel = new TvlSkinPanel(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 400, 120);
  // A push-button group and a speed-button group; a button of another parent stays down.
  std::vector<TvlSkinButton*> push;
  std::vector<TvlSkinSpeedButton*> tool;
  std::vector<int> clicks(6, 0);
  for (int i = 0; i < 3; ++i) {
    push.push_back(Add<TvlSkinButton>(panel, Bounds(10 + 90 * i, 10, 80, 26)));
    push.back()->SetGroupIndex(1);
    push.back()->OnClick = [&clicks, i](TObject*) { ++clicks[i]; };
    tool.push_back(Add<TvlSkinSpeedButton>(panel, Bounds(10 + 70 * i, 60, 60, 25)));
    tool.back()->SetGroupIndex(1);
    tool.back()->OnClick = [&clicks, i](TObject*) { ++clicks[3 + i]; };
  }
  auto* elsewhere = Add<TvlSkinButton>(form, Bounds(300, 80, 80, 26));
  elsewhere->SetGroupIndex(1);
  elsewhere->SetDown(true);
  elsewhere->BringToFront();
  form->Show();
  Pump();
  EXPECT_FALSE(push[0]->CanFocused()) << "a group button never takes the focus";
  EXPECT_FALSE(push[0]->TabStop());

  auto downs = [&] {
    std::vector<bool> d;
    for (auto* b : push) d.push_back(b->Down());
    for (auto* b : tool) d.push_back(b->Down());
    return d;
  };
  display->MouseDown(Centre(push[0]));
  Pump();
  EXPECT_EQ(clicks[0], 1) << "a group button clicks when pressed";
  display->MouseUp(Centre(push[0]));
  Pump();
  Click(push[1]);
  Click(tool[2]);
  Click(tool[0]);
  EXPECT_EQ(downs(), (std::vector<bool>{false, true, false, true, false, false}));
  EXPECT_EQ(clicks, (std::vector<int>{1, 1, 0, 1, 0, 1}));
  EXPECT_TRUE(elsewhere->Down()) << "only the same parent's buttons form the group";
  // Pressing the down button again does nothing unless AllowAllUp, which raises it with a click.
  Click(push[1]);
  EXPECT_TRUE(push[1]->Down());
  EXPECT_EQ(clicks[1], 1);
  push[1]->AllowAllUp = true;
  tool[0]->AllowAllUp = true;
  Click(push[1]);
  Click(tool[0]);
  EXPECT_FALSE(push[1]->Down());
  EXPECT_FALSE(tool[0]->Down());
  EXPECT_EQ(clicks[1], 2);
  EXPECT_EQ(clicks[3], 2);
}

TEST_F(SkinButtonsTest, DefaultButtonAnswersEnterAndCancelButtonEscape) {
  TForm* form = MakeForm(TRect{0, 0, 400, 120});
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 150, 24);
  auto* ok = Add<TvlSkinButton>(form, Bounds(200, 10, 80, 26));
  ok->ModalResult = mrOk;
  ok->SetDefault(true);
  auto* cancel = Add<TvlSkinButton>(form, Bounds(300, 10, 80, 26), "取消");
  cancel->ModalResult = mrCancel;
  cancel->Cancel = true;
  std::vector<std::string> clicks;
  ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
  cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
  form->Show();
  edit->SetFocus();
  Pump();
  EXPECT_TRUE(ok->Active());
  EXPECT_TRUE(ok->MouseIn()) << "the default button shows its hover look while an edit has the focus";

  display->KeyDown(VK_RETURN);
  display->KeyUp(VK_RETURN);
  Pump();
  EXPECT_EQ(form->ModalResult(), mrOk);
  display->KeyDown(VK_ESCAPE);
  display->KeyUp(VK_ESCAPE);
  Pump();
  EXPECT_EQ(form->ModalResult(), mrCancel);
  // Escape with a shift key held is not the cancel key.
  display->KeyDown(VK_SHIFT);
  Pump();
  display->KeyDown(VK_ESCAPE);
  display->KeyUp(VK_ESCAPE);
  Pump();
  display->KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "cancel"}));

  // A focused button is the one Enter clicks, once; the default one loses its hover look.
  cancel->SetFocus();
  Pump();
  EXPECT_FALSE(ok->Active());
  EXPECT_FALSE(ok->MouseIn());
  EXPECT_TRUE(cancel->Active());
  display->KeyDown(VK_RETURN);
  display->KeyUp(VK_RETURN);
  Pump();
  EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "cancel", "cancel"}));
  // Space presses the focused button and clicks on release.
  display->KeyDown(VK_SPACE);
  Pump();
  EXPECT_TRUE(cancel->Down());
  display->KeyUp(VK_SPACE);
  Pump();
  EXPECT_FALSE(cancel->Down());
  EXPECT_EQ(clicks.size(), 4u);
}

// ---- Services of the main window ----------------------------------------------------------------

TEST_F(SkinButtonsTest, RefreshButtonDropsHoverAndPressAtOnceAndGlyphKeepsThem) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* push = Add<TvlSkinButton>(form, Bounds(10, 10, 80, 26));
  auto* group = Add<TvlSkinSpeedButton>(form, Bounds(120, 10, 60, 25));
  auto* sibling = Add<TvlSkinSpeedButton>(form, Bounds(190, 10, 60, 25));
  group->SetGroupIndex(2);
  sibling->SetGroupIndex(2);
  form->Show();
  Pump();
  Hover(push);
  display->MouseDown(Centre(push));
  Pump();
  ASSERT_TRUE(push->Down());
  // A new picture changes nothing of the state.
  const auto glyph = skinned_buttons_board::PlusGlyph();
  push->SetGlyph(glyph.get());
  EXPECT_TRUE(push->Down());
  EXPECT_TRUE(push->MouseIn());
  EXPECT_EQ(push->Glyph()->Width(), 32);
  push->RefreshButton();
  EXPECT_FALSE(push->Down());
  EXPECT_FALSE(push->MouseIn());
  EXPECT_EQ(push->MorphStep(), 0) << "no fade back: the normal look at once";
  display->MouseUp({299, 99});
  Pump();

  int clicks = 0;
  group->OnClick = sibling->OnClick = [&](TObject*) { ++clicks; };
  group->SetDown(true);
  sibling->SetDown(false);
  group->RefreshButton();
  EXPECT_FALSE(group->Down());
  EXPECT_FALSE(sibling->Down()) << "no group handling";
  EXPECT_EQ(clicks, 0);
}

TEST_F(SkinButtonsTest, GlyphFrameFollowsTheState) {
  // A 64 x 16 strip of four frames in four colours: normal, disabled, pressed, hot.
  TBitmap glyph;
  glyph.SetPixelFormat(TPixelFormat::pf32bit);
  glyph.SetSize(64, 16);
  const std::uint32_t colours[] = {0xFF102030u, 0xFF808080u, 0xFF0000C0u, 0xFF00A000u};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 64; ++x)
      static_cast<std::uint32_t*>(glyph.ScanLine(y))[x] = (y == 15 && x % 16 == 0) ? 0xFFFF00FFu : colours[x / 16];
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* b = Add<TvlSkinButton>(form, Bounds(10, 10, 60, 30), "");
  b->SetCanFocused(false);
  b->SetGlyph(&glyph);
  b->SetNumGlyphs(4);
  form->Show();
  const TPoint middle = b->ClientToScreen(TPoint{30, 15});
  auto shown = [&] {
    Pump();
    auto shot = display->Screenshot(RGB(1, 2, 3));
    return shot->PixelAt(middle.X, middle.Y) | 0xFF000000u;
  };
  EXPECT_EQ(shown(), colours[0]);
  Hover(b);
  Advance(200, 20);
  EXPECT_EQ(shown(), colours[3]);
  display->MouseDown(Centre(b));
  Pump();
  // Pressed content moves one pixel right and down; the middle stays inside the frame.
  EXPECT_EQ(shown(), colours[2]);
  display->MouseUp(Centre(b));
  display->MouseMove({299, 99});
  Pump();
  Advance(200, 20);
  b->SetEnabled(false);
  EXPECT_EQ(shown(), colours[1]);
}

TEST_F(SkinButtonsTest, FreelySizedButtonStretchesItsFixedImage) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* sized = Add<TvlSkinButton>(form, Bounds(10, 10, 120, 40));
  sized->SetSkinDataName("fixedbutton");
  sized->ChangeSkinData();
  auto* free = Add<TvlSkinButton>(form, Bounds(10, 60, 120, 30));
  free->UseSkinSize = false;
  free->SetSkinDataName("fixedbutton");
  free->ChangeSkinData();
  EXPECT_EQ((TSize{sized->Width(), sized->Height()}), (TSize{40, 24})) << "a fixed image fixes the size";
  EXPECT_EQ((TSize{free->Width(), free->Height()}), (TSize{120, 30}));
  EXPECT_EQ(free->RealClientRect(), (TRect{3, 3, 117, 27}));
  EXPECT_FALSE(free->HasWindowRegion());
}

// ---- Glow frame ----------------------------------------------------------------------------------

TEST_F(SkinButtonsTest, GlowFrameShowsUnderTheMouseAndHidesOnLeaveAndSkinChange) {
  TForm* form = MakeForm(TRect{0, 0, 300, 100});
  auto* b = Add<TvlSkinButton>(form, Bounds(20, 20, 80, 26));
  auto* bad = Add<TvlSkinButton>(form, Bounds(150, 20, 80, 26));
  bad->SetSkinDataName("badglowbutton");
  form->Show();
  Pump();
  Hover(b);
  ASSERT_NE(b->LayerManager(), nullptr);
  EXPECT_TRUE(b->LayerManager()->IsVisible);
  // The glow is the element's picture widened with the button, 6 pixels around it.
  TRect glow{};
  ASSERT_NE(b->LayerManager()->LayerWindow, nullptr);
  GetWindowRect(b->LayerManager()->LayerWindow->Handle(), &glow);
  EXPECT_EQ(glow, (TRect{14, 14, 106, 52}));
  Hover(bad);
  EXPECT_FALSE(b->LayerManager()->IsVisible);
  EXPECT_FALSE(bad->LayerManager()->IsVisible) << "a glow picture outside the skin shows no glow";
  Hover(b);
  EXPECT_TRUE(b->LayerManager()->IsVisible);
  fixture_skin::Switch(skin, form, fixture_skin::Variant::Alternate);
  Pump();
  EXPECT_TRUE(b->LayerManager()->IsVisible) << "the new skin's glow shows under the mouse";
  skin.ShowButtonGlowFrames = false;
  display->MouseMove({299, 99});
  Pump();
  Hover(b);
  EXPECT_FALSE(b->LayerManager()->IsVisible);
  b->AlwaysShowLayeredFrame = true;
  display->MouseMove({299, 99});
  Pump();
  Hover(b);
  EXPECT_TRUE(b->LayerManager()->IsVisible);
}

}  // namespace
