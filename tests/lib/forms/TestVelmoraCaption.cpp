// The caption of a skinned form: its objects rendered with the frame, hover morphs on the clock,
// the commands of the caption buttons, which buttons the border icons show, the caption text's
// effects, the quick buttons, and the layered outer border.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "tests/lib/SkinnedTestForm.h"
#include "lib/forms/Velmora.h"
#include "lib/forms/VelmoraLayer.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/LayeredWindow.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"
#include "tests/platform/FormFixture.h"

namespace {

using fixture_skin::Variant;

class CaptionTest : public FormWorld {
 protected:
  void SetUp() override {
    FormWorld::SetUp();
    vlUtilsStartup();  // the layered windows
    clock = std::make_unique<TScopedTestClock>();
  }
  void TearDown() override {
    forms.clear();
    Pump();
    clock.reset();
    vlUtilsShutdown();
    FormWorld::TearDown();
  }

  // A sizeable form with its form skinner at a screen rectangle, shown; the fixture frees it.
  TvlVelmora* MakeSkinnedForm(TRect r, TvlSkinData* skinData) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBorderStyle(TFormBorderStyle::bsSizeable);
    f->SetBoundsRect(r);
    f->SetCaption("视频转换");
    forms.emplace_back(f);
    auto* skinner = new TvlVelmora(f);
    skinner->SetSkinData(skinData);
    f->Show();
    Pump();
    return skinner;
  }

  TvlActiveSkinObject* Object(TvlVelmora* v, const char* name) {
    const int i = v->GetIndex(name);
    return i < 0 ? nullptr : v->ObjectList[static_cast<std::size_t>(i)].get();
  }
  // The middle of an object on the screen.
  static TPoint Centre(TvlVelmora* v, TvlActiveSkinObject* o) {
    const TRect& r = o->ObjectRect;
    return TPoint{v->Form()->Left() + r.Left + r.Width() / 2, v->Form()->Top() + r.Top + r.Height() / 2};
  }
  void Wait(int Ms, int Step = 25) {
    for (int t = 0; t < Ms; t += Step) {
      clock->Advance(static_cast<std::uint64_t>(Step));
      Pump();
    }
  }

  std::unique_ptr<TScopedTestClock> clock;
};

TEST_F(CaptionTest, ASkinnedFormShowsItsIconCaptionTextAndButtons) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin, Variant::Standard, fixture_skin::kSystemMenuButton);
  const TRect at{0, 0, 320, 200};
  TvlVelmora* v = MakeSkinnedForm(at, &skin);
  v->SetShowIcon(true);
  Pump();
  skinned_test_form::CompareWithExpected(skinned_test_form::Shot(display, at), at.Width(), at.Height(),
                                         skinned_test_form::ExpectedFolder(), "velmora_caption_frame");
}

TEST_F(CaptionTest, HoveringACaptionButtonMorphsItInFiveTicks) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  auto* close = dynamic_cast<TvlDataSkinStdButton*>(skin.ObjectList[static_cast<std::size_t>(skin.GetIndex("closebutton"))].get());
  ASSERT_NE(close, nullptr);
  close->ActiveSkinRect = TRect{18, 0, 36, 18};
  close->Morphing = true;
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  TvlActiveSkinObject* button = Object(v, "closebutton");
  ASSERT_TRUE(button->EnableMorphing());
  display->MouseMove(Centre(v, button));
  Wait(50);  // the hover timer sees the pointer
  EXPECT_TRUE(button->Active);
  EXPECT_TRUE(v->MorphTimer->Enabled());
  for (int step = 1; step <= 5; ++step) {
    Wait(25);
    EXPECT_EQ(button->MorphStep(), step);
  }
  Wait(25);
  EXPECT_FALSE(v->MorphTimer->Enabled());
  // Leaving runs back the same way.
  display->MouseMove({250, 200});
  Wait(50);
  EXPECT_FALSE(button->Active);
  Wait(150);
  EXPECT_EQ(button->MorphStep(), 0);
}

// The hover timer follows the pointer over the caption's objects only: with no object under the
// pointer, or the form hidden, it stops (an idle program wakes for nothing); the pointer coming
// back over an object starts it again.
TEST_F(CaptionTest, TheHoverTimerRunsOnlyWhileThePointerIsOverACaptionObject) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  TvlActiveSkinObject* button = Object(v, "closebutton");
  ASSERT_NE(button, nullptr);
  const TPoint inside{250, 200};
  const struct {
    const char* what;
    TPoint at;
    bool hidden;
    bool running;
  } steps[] = {
      {"over the form's client area", inside, false, false},
      {"over the close button", Centre(v, button), false, true},
      {"back over the client area", inside, false, false},
      {"over the button again", Centre(v, button), false, true},
      {"the form hidden", Centre(v, button), true, false},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    display->MouseMove(step.at);
    if (step.hidden) v->Form()->Hide();
    Wait(100);
    EXPECT_EQ(v->MouseTimer->Enabled(), step.running);
    EXPECT_EQ(button->Active, step.running);
  }
}

TEST_F(CaptionTest, CloseRunsOnlyWhenReleasedOverTheButtonAndTheFormGoesAfterwards) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  TCustomForm* form = v->Form();
  int closes = 0;
  form->OnClose = [&](TObject*, TCloseAction& Action) {
    ++closes;
    Action = TCloseAction::caFree;
  };
  TvlActiveSkinObject* button = Object(v, "closebutton");
  // Without an interface text table the hints are the built-in English ones.
  auto* close = dynamic_cast<TvlSkinStdButtonObject*>(button);
  EXPECT_EQ(close->Hint, "Close");
  EXPECT_EQ(close->RestoreHint, "Restore");
  // Pressed over the button, released elsewhere: nothing runs.
  display->MouseDown(Centre(v, button));
  Pump();
  display->MouseMove({250, 200});
  Wait(50);
  display->MouseUp({250, 200});
  Pump();
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(form->Visible());
  // Pressed and released over it: the form closes, and is freed after the handler.
  TWeak<TCustomForm> alive(form);
  display->MouseMove(Centre(v, button));
  Wait(50);
  display->Click(Centre(v, button));
  Pump();
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(alive);
  forms.front().release();  // freed by the form itself
  forms.clear();
}

TEST_F(CaptionTest, TheWindowButtonsChangeTheSkinnedState) {
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, nullptr);
  TCustomForm* form = v->Form();
  ASSERT_EQ(v->ObjectList.size(), 6u);  // the built-in buttons
  const TRect normal = form->BoundsRect();
  const auto click = [&](const char* name) {
    TvlActiveSkinObject* o = Object(v, name);
    display->MouseMove(Centre(v, o));
    Wait(50);
    display->Click(Centre(v, o));
    Pump();
  };
  // The work area is 800 x 560 (the screen 800 x 600).
  click("maxbutton");
  EXPECT_EQ(v->WindowState(), TWindowState::wsMaximized);
  EXPECT_EQ(form->BoundsRect(), (TRect{0, 0, 800, 560}));
  click("maxbutton");
  EXPECT_EQ(v->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(form->BoundsRect(), normal);
  click("rollupbutton");
  EXPECT_TRUE(v->RollUpState());
  EXPECT_EQ(form->Height(), v->GetMinHeight());
  click("rollupbutton");
  EXPECT_FALSE(v->RollUpState());
  EXPECT_EQ(form->BoundsRect(), normal);
  // A form other than the main one minimizes to its caption bar at the work area's bottom left.
  click("minbutton");
  EXPECT_EQ(v->WindowState(), TWindowState::wsMinimized);
  EXPECT_EQ(form->BoundsRect(), (TRect{0, 560 - v->GetMinHeight(), v->GetMinWidth(), 560}));
  click("minbutton");
  EXPECT_EQ(v->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(form->BoundsRect(), normal);
}

TEST_F(CaptionTest, BorderIconsDecideWhichButtonsShow) {
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, nullptr);
  const struct {
    const char* name;
    bool enabled, visible;
  } minimizeOnly[] = {{"closebutton", true, true},    {"maxbutton", false, false},  {"minbutton", true, true},
                      {"rollupbutton", false, false}, {"sysmenubutton", false, false}, {"traybutton", false, false}};
  v->SetBorderIcons(TvlBorderIcons{TvlBorderIcon::biMinimize});
  for (const auto& c : minimizeOnly) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Object(v, c.name)->Enabled, c.enabled);
    EXPECT_EQ(Object(v, c.name)->Visible, c.visible);
  }
  // Hiding the caption buttons hides the row and disables every button.
  v->HideCaptionButtons = true;
  v->UpdateCaptionButtons();
  for (const auto& o : v->ObjectList) {
    EXPECT_FALSE(o->Enabled);
    EXPECT_FALSE(o->Visible);
  }
}

TEST_F(CaptionTest, CaptionTextEffectsDrawTheirColours) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  v->Form()->SetCaption("转换");
  const TColor red = static_cast<TColor>(RGB(255, 0, 0)), green = static_cast<TColor>(RGB(0, 255, 0)),
               blue = static_cast<TColor>(RGB(0, 0, 255));
  struct Case {
    const char* name;
    void (*set)(TvlSkinCaptionObject*);
    TColor colour;  // the colour the effect must show
  } cases[] = {
      {"shadow", [](TvlSkinCaptionObject* c) { c->Shadow = true; c->ActiveShadowColor = static_cast<TColor>(RGB(255, 0, 0)); }, red},
      {"glow", [](TvlSkinCaptionObject* c) { c->GlowEffect = true; c->GlowActiveColor = static_cast<TColor>(RGB(0, 255, 0)); c->GlowSize = 3; }, green},
      {"reflection", [](TvlSkinCaptionObject* c) { c->ReflectionEffect = true; c->ReflectionActiveColor = static_cast<TColor>(RGB(0, 0, 255)); c->ReflectionOffset = 0; }, blue},
  };
  auto* caption = dynamic_cast<TvlSkinCaptionObject*>(Object(v, "caption"));
  ASSERT_NE(caption, nullptr);
  ASSERT_TRUE(caption->Active);
  const auto count = [&](TColor colour) {
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf32bit);
    b.SetSize(v->Form()->Width(), 40);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(TRect{0, 0, b.Width(), 40});
    caption->Draw(b.Canvas(), true);
    int n = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < b.Width(); ++x) {
        // A pixel of the effect's hue: its channel stands out over the other two (the text
        // itself is white, the background white).
        const COLORREF p = ColorToRGB(b.Canvas()->Pixels(x, y)), want = ColorToRGB(colour);
        const int channel[] = {GetRValue(p), GetGValue(p), GetBValue(p)};
        const int k = GetRValue(want) ? 0 : (GetGValue(want) ? 1 : 2);
        n += channel[k] - std::max(channel[(k + 1) % 3], channel[(k + 2) % 3]) > 60 ? 1 : 0;
      }
    return n;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    caption->Shadow = caption->GlowEffect = caption->ReflectionEffect = false;
    const int before = count(c.colour);
    c.set(caption);
    EXPECT_GT(count(c.colour), before + 10);
  }
}

TEST_F(CaptionTest, QuickButtonsSitLeftOfTheTextAndClickOnRelease) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  auto* images = new TImageList(v->Form());
  images->SetSize(16, 16);
  TBitmap dot;
  dot.SetPixelFormat(TPixelFormat::pf32bit);
  dot.SetSize(16, 16);
  images->Add(&dot, nullptr);
  v->SetQuickImageList(images);
  std::vector<int> clicks;
  for (int i = 0; i < 2; ++i) {
    TvlQuickButtonItem* q = v->QuickButtons()->Add();
    q->SetImageIndex(0);
    q->OnClick = [&clicks, i](TObject*) { clicks.push_back(i); };
  }
  Pump();
  auto* caption = dynamic_cast<TvlSkinCaptionObject*>(Object(v, "caption"));
  const TRect r = caption->ObjectRect;
  TvlQuickButtonItem* first = v->QuickButtons()->Items(0);
  TvlQuickButtonItem* second = v->QuickButtons()->Items(1);
  const int top = r.Top + r.Height() / 2 - 8 - 2;
  EXPECT_EQ(first->ItemRect, (TRect{r.Left, top, r.Left + 20, top + 20}));
  EXPECT_EQ(second->ItemRect, (TRect{r.Left + 24, top, r.Left + 44, top + 20}));
  // Pressed on the first, released over the second: the second's click.
  const auto centre = [&](TvlQuickButtonItem* q) {
    return TPoint{(q->ItemRect.Left + q->ItemRect.Right) / 2, (q->ItemRect.Top + q->ItemRect.Bottom) / 2};
  };
  caption->MouseDown(centre(first).X, centre(first).Y, TMouseButton::mbLeft);
  EXPECT_TRUE(first->Down);
  caption->MouseUp(centre(second).X, centre(second).Y, TMouseButton::mbLeft);
  EXPECT_EQ(clicks, std::vector<int>{1});
  EXPECT_FALSE(first->Down);
  EXPECT_FALSE(second->Down);
  // Released outside every quick button: no click.
  caption->MouseDown(centre(first).X, centre(first).Y, TMouseButton::mbLeft);
  caption->MouseUp(r.Right - 5, centre(first).Y, TMouseButton::mbLeft);
  EXPECT_EQ(clicks.size(), 1u);
  // The quick buttons' strip takes clicks; the rest of the caption drags the form.
  const int hitY = v->Form()->Top() + centre(first).Y;
  EXPECT_EQ(SendMessage(v->Form()->Handle(), WM_NCHITTEST, 0,
                        MAKELPARAM(static_cast<WORD>(v->Form()->Left() + centre(first).X), static_cast<WORD>(hitY))),
            HTOBJECT);
  EXPECT_EQ(SendMessage(v->Form()->Handle(), WM_NCHITTEST, 0,
                        MAKELPARAM(static_cast<WORD>(v->Form()->Left() + r.Left + 60), static_cast<WORD>(hitY))),
            HTCAPTION);
}

TEST_F(CaptionTest, MaskReadsStayInsideTheMaskAndBadPicturesMeanNone) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  // A 40 x 40 mask, black but for its corners (picture 2 of the fixture).
  TvlDataSkinStdButton d("masked");
  d.ActivePictureIndex = 3;
  d.ActiveMaskPictureIndex = 2;
  TvlSkinStdButtonObject o(v, &d);
  const struct {
    TPoint at;
    bool in;
  } points[] = {{{20, 20}, true}, {{0, 0}, false}, {{39, 20}, true}, {{40, 20}, false}, {{20, 40}, false}, {{-1, 5}, false}};
  for (const auto& p : points) {
    SCOPED_TRACE(testing::Message() << p.at.X << ", " << p.at.Y);
    EXPECT_EQ(o.IsPointInObject(p.at.X, p.at.Y), p.in);
  }
  // A glow whose mask index names no picture shows no glow.
  TvlDataSkinStdButton g("glow");
  g.ActivePictureIndex = 3;
  g.GlowLayerPictureIndex = 3;
  g.GlowLayerMaskPictureIndex = 77;
  TvlSkinStdButtonObject glow(v, &g);
  glow.ShowLayer();
  EXPECT_FALSE(v->FLayerManager->IsVisible);
}

// ---- Layered border ------------------------------------------------------------------------------

TEST_F(CaptionTest, TheLayeredBorderSurroundsTheFormAndLetsClicksThrough) {
  // A window beneath, to catch the clicks that pass the border.
  TForm* beneath = MakeForm(TRect{0, 0, 800, 560}, static_cast<TColor>(RGB(240, 240, 240)));
  int pressesBeneath = 0;
  beneath->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++pressesBeneath; };
  beneath->Show();
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin, Variant::Standard, fixture_skin::kLayeredFrame);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 100, 500, 400}, &skin);
  ASSERT_TRUE(v->UseLayeredBorder());
  TvlFormLayerBorder* border = v->FBorderLayer;
  ASSERT_TRUE(border->Visible());
  // The frame lies 34 pixels left of and 31 above the form; the top strip is 43 pixels high.
  const struct {
    TvlFormLayerBorderType side;
    TRect bounds;
  } sides[] = {{TvlFormLayerBorderType::vlflTop, {66, 69, 66 + 468, 69 + 43}},
               {TvlFormLayerBorderType::vlflLeft, {66, 112, 100, 112 + 362 - 43 - 42}},
               {TvlFormLayerBorderType::vlflRight, {500, 112, 534, 112 + 362 - 43 - 42}},
               {TvlFormLayerBorderType::vlflBottom, {66, 69 + 362 - 42, 534, 69 + 362}}};
  for (const auto& s : sides) {
    TvlFormLayerWindow* w = border->Window(s.side);
    ASSERT_NE(w, nullptr);
    TRect r;
    GetWindowRect(w->Handle(), &r);
    EXPECT_EQ(r, s.bounds);
    EXPECT_TRUE(IsWindowVisible(w->Handle()));
    const auto ex = static_cast<DWORD>(GetWindowLong(w->Handle(), GWL_EXSTYLE));
    EXPECT_EQ(ex & (WS_EX_LAYERED | WS_EX_TRANSPARENT), WS_EX_LAYERED | WS_EX_TRANSPARENT);
  }
  // The composed screen shows the shadow just outside the form, nothing far from it.
  TScreenShot shot = ScreenShot();
  EXPECT_LT(GetRValue(shot.At({95, 250})), 200);
  EXPECT_EQ(shot.At({40, 250}), RGB(240, 240, 240));
  // A click on the border band reaches the window beneath.
  display->Click({95, 250});
  Pump();
  EXPECT_EQ(pressesBeneath, 1);

  // The border follows a move and a resize.
  v->Form()->SetBounds(150, 120, 300, 200);
  Pump();
  TRect top;
  GetWindowRect(border->Window(TvlFormLayerBorderType::vlflTop)->Handle(), &top);
  EXPECT_EQ(top, (TRect{116, 89, 116 + 300 + 68, 89 + 43}));
  // Hidden with the form.
  v->Form()->Hide();
  Pump();
  EXPECT_FALSE(border->Visible());
}

TEST_F(CaptionTest, TheBorderFadesOnTheClockAndScalesWithTheFormsOpacity) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin, Variant::Standard, fixture_skin::kLayeredFrame);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 100, 500, 400}, &skin);
  TvlFormLayerBorder* border = v->FBorderLayer;
  const struct {
    int skinAlpha, formAlpha, expected;
  } scales[] = {{255, 128, 128}, {200, 128, 100}, {255, 255, 255}, {200, 0, 0}};
  for (const auto& c : scales) {
    skin.LayerFrame->AlphaBlendValue = c.skinAlpha;
    border->CheckFormAlpha(c.formAlpha, false);
    EXPECT_EQ(border->FCurrentAlphaBlendValue, c.expected);
  }
  border->CheckFormAlpha(255, false);
  skin.LayerFrame->AlphaBlendValue = 255;
  border->CheckFormAlpha(255, false);
  // The fade: the first step at once, then one step of 17 per tick of the clock.
  border->ShowWithFormAnimation();
  EXPECT_EQ(border->FCurrentAlphaBlendValue, 17);
  Wait(10, 10);
  EXPECT_EQ(border->FCurrentAlphaBlendValue, 34);
  Wait(200, 10);
  EXPECT_EQ(border->FCurrentAlphaBlendValue, 255);
  // After Hide the other operations do nothing until the next show.
  border->Hide();
  border->SetBoundsWithForm();
  border->MoveWithForm();
  border->SetAlphaBlend();
  EXPECT_FALSE(border->Visible());
  EXPECT_EQ(border->Window(TvlFormLayerBorderType::vlflTop), nullptr);
}

TEST_F(CaptionTest, ALayeredFrameWhoseMaskIsMissingGivesNoBorder) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin, Variant::Standard, fixture_skin::kLayeredFrame);
  skin.LayerFrame->MaskPictureIndex = 99;
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 100, 500, 400}, &skin);
  EXPECT_FALSE(v->FBorderLayer->Visible());
  EXPECT_EQ(v->FBorderLayer->Data(), nullptr);
}

}  // namespace
