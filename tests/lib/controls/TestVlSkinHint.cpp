// Skinned tooltips: lines split at the separator, the bold title, placement at the work area's
// edges, tooltips on demand on the clock, the title and image of skinned controls, the skin
// look's size and its timer-driven fade, and a hint component that goes away cleanly.

#include "lib/controls/vlSkinHint.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/LayeredWindow.h"
#include "tests/platform/FormFixture.h"

namespace {

constexpr int kLine = 14;  // the line height of the test font

class SkinHintTest : public FormWorld {
 protected:
  void SetUp() override {
    FormWorld::SetUp();
    vlUtilsStartup();  // the layered-window entry points
    clock = std::make_unique<TScopedTestClock>();
    main = MakeForm(TRect{0, 0, 400, 300});
    app.SetMainForm(main);
    main->Show();
    Pump();
  }
  void TearDown() override {
    forms.clear();
    Pump();
    clock.reset();
    vlUtilsShutdown();
    FormWorld::TearDown();
  }

  // A hint component on the main form with a font of known size.
  TvlSkinHint* MakeHint(TvlSkinData* skin = nullptr) {
    auto* h = new TvlSkinHint(main);
    TFont font;
    font.SetName("Arial");
    font.SetHeight(kLine);
    h->SetDefaultFont(&font);
    h->SetSkinData(skin);
    return h;
  }

  void Wait(int Ms) {
    for (int t = 0; t < Ms; t += 10) {
      clock->Advance(10);
      Pump();
    }
  }

  // Dark pixels of a screen rectangle.
  int Ink(const TRect& r) {
    TScreenShot shot = ScreenShot();
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) {
        const COLORREF c = shot.At({x, y});
        n += GetRValue(c) + GetGValue(c) + GetBValue(c) < 200 ? 1 : 0;
      }
    return n;
  }

  std::unique_ptr<TScopedTestClock> clock;
  TForm* main = nullptr;
};

TEST_F(SkinHintTest, TheSeparatorSplitsLinesAndTheTitleIsBold) {
  TvlSkinHint* hint = MakeHint();
  TvlSkinHintWindow* w = hint->HW;
  // Built-in look: the text plus 2 pixels of margin all round.
  hint->ActivateHint({100, 100}, "ab");
  EXPECT_EQ(w->Height(), kLine + 4);
  hint->ActivateHint({100, 100}, "视频@音频");
  EXPECT_EQ(w->Height(), 2 * kLine + 4);
  EXPECT_EQ(w->Caption(), "视频\n\r音频");
  EXPECT_TRUE(hint->IsVisible());

  // The title sits above the text, 5 pixels apart, in bold.
  hint->ActivateHintEx({100, 100}, "转换任务", "视频@音频", -1, nullptr);
  EXPECT_TRUE(w->AExtendedStyle);
  EXPECT_EQ(w->Height(), kLine + 10 + 2 * kLine + 4);
  TBitmap plain, bold;
  for (TBitmap* b : {&plain, &bold}) {
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(100, kLine);
    b->Canvas()->Brush()->SetColor(clWhite);
    b->Canvas()->FillRect(TRect{0, 0, 100, kLine});
    b->Canvas()->Font()->Assign(hint->DefaultFont());
    b->Canvas()->Font()->SetColor(clBlack);
    if (b == &bold) b->Canvas()->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    b->Canvas()->TextOut(0, 0, "转换任务");
  }
  const TRect title{w->Left() + 2, w->Top() + 2, w->Left() + 102, w->Top() + 2 + kLine};
  const auto inkOf = [](TBitmap* b) {
    int n = 0;
    for (int y = 0; y < b->Height(); ++y)
      for (int x = 0; x < b->Width(); ++x) {
        const COLORREF c = ColorToRGB(b->Canvas()->Pixels(x, y));
        n += GetRValue(c) + GetGValue(c) + GetBValue(c) < 200 ? 1 : 0;
      }
    return n;
  };
  const int shown = Ink(title);
  EXPECT_GT(inkOf(&bold), inkOf(&plain));
  EXPECT_NEAR(shown, inkOf(&bold), inkOf(&bold) / 10);
  hint->HideHint();
  EXPECT_FALSE(hint->IsVisible());
}

TEST_F(SkinHintTest, ATooltipFlipsToTheOtherSideOfItsAnchorAtTheWorkAreasEdge) {
  TvlSkinHint* hint = MakeHint();
  TvlSkinHintWindow* w = hint->HW;
  // The work area is 800 x 560.
  const struct {
    const char* name;
    TPoint at;
    bool left, up;
  } cases[] = {{"room", {100, 100}, false, false},
               {"right edge", {790, 100}, true, false},
               {"bottom edge", {100, 550}, false, true},
               {"corner", {790, 550}, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    hint->ActivateHint(c.at, "输出文件夹");
    EXPECT_EQ(w->Left(), c.left ? c.at.X - w->Width() - 2 : c.at.X);
    EXPECT_EQ(w->Top(), c.up ? c.at.Y - w->Height() - 2 : c.at.Y);
  }
  // Centred on a rectangle, below it or above it.
  hint->HW->ActivateHintFromRect(TRect{100, 100, 200, 130}, "最小化", false);
  EXPECT_EQ(w->Left() + w->Width() / 2, 150);
  EXPECT_EQ(w->Top(), 130);
  hint->HW->ActivateHintFromRect(TRect{100, 100, 200, 130}, "最小化", true);
  EXPECT_EQ(w->Top() + w->Height(), 100);
  hint->HideHint();
}

TEST_F(SkinHintTest, TooltipsOnDemandFollowTheHintPauses) {
  TvlSkinHint* hint = MakeHint();
  app.SetHintPause(500);
  app.SetHintHidePause(2500);
  display->MouseMove({200, 200});
  // A second request within the pause replaces the first.
  hint->ActivateHint2("第一条");
  Wait(300);
  hint->ActivateHint2("第二条");
  Wait(490);
  EXPECT_FALSE(hint->IsVisible());
  Wait(10);
  ASSERT_TRUE(hint->IsVisible());
  EXPECT_EQ(hint->HW->Caption(), "第二条");
  // Below the cursor by the cursor's height.
  EXPECT_EQ(hint->HW->Top(), 200 + hint->GetCursorHeightMargin());
  Wait(2490);
  EXPECT_TRUE(hint->IsVisible());
  Wait(10);
  EXPECT_FALSE(hint->IsVisible());

  // HideHint during the pause cancels the tooltip.
  hint->ActivateHint3(TRect{10, 10, 60, 30}, "关闭", false);
  Wait(200);
  hint->HideHint();
  Wait(600);
  EXPECT_FALSE(hint->IsVisible());
}

TEST_F(SkinHintTest, TheLineSeparatorRefusesLineBreaks) {
  TvlSkinHint* hint = MakeHint();
  const struct {
    std::string separator;
    std::string stored;  // what the component keeps
    std::string text, lines;
  } cases[] = {
      {"|", "|", "a|b|c", "a\n\rb\n\rc"},
      {"<br>", "<br>", "甲<br><br>乙", "甲\n\r\n\r乙"},
      {"", "", "a@b", "a@b"},
      {"\n", "@", "a@b", "a\n\rb"},    // refused: the separator stays "@"
      {"x\r", "@", "x\rb", "x\rb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    hint->SetLineSeparator("@");
    hint->SetLineSeparator(c.separator);
    EXPECT_EQ(hint->LineSeparator(), c.stored);
    EXPECT_EQ(hint->ApplyLineSeparator(c.text), c.lines);
  }
}

TEST_F(SkinHintTest, SkinnedControlsHandTheirTitleToTheApplicationsTooltip) {
  TvlSkinHint* hint = MakeHint();
  std::vector<std::string> seen;
  hint->OnShowHint = [&](std::string& s, bool&, THintInfo&) { seen.push_back(s); };
  auto* panel = new TvlSkinPanel(main);
  panel->SetParent(main);
  panel->SetBounds(20, 20, 120, 80);
  panel->SetHint("输出文件夹@转换后的文件放在这里");
  panel->SetShowHint(true);
  panel->HintTitle = "提示";
  Pump();
  const TPoint over = panel->ClientToScreen(TPoint{40, 40});
  display->MouseMove(over);
  Pump();
  Wait(app.HintPause() + 10);
  auto* window = dynamic_cast<TvlSkinHintWindow*>(app.HintWindow());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->Visible());
  EXPECT_TRUE(window->AExtendedStyle);
  EXPECT_EQ(hint->FHintTitle, "提示");
  EXPECT_EQ(seen, std::vector<std::string>{"输出文件夹@转换后的文件放在这里"});
  EXPECT_EQ(window->Height(), kLine + 10 + 2 * kLine + 4);
  app.CancelHint();
}

TEST_F(SkinHintTest, TheSkinLookSizesFromThePictureAndFadesOnTheClock) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin, fixture_skin::Variant::Standard, fixture_skin::kMenusAndHints);
  TvlSkinHint* hint = MakeHint(&skin);
  hint->AlphaBlend = true;
  hint->AlphaBlendValue = 210;
  hint->AlphaBlendAnimation = true;
  hint->ActivateHint({100, 100}, "ab@cd");
  TvlSkinHintWindow* w = hint->HW;
  ASSERT_EQ(w->FSD, &skin);
  // The text plus the picture's fixed parts: (3 + 24 - 21 + 5) across, (3 + 24 - 21) down.
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->Font()->SetName("Tahoma");
  measure.Canvas()->Font()->SetHeight(14);
  const int textWidth = std::max(measure.Canvas()->TextWidth("ab"), measure.Canvas()->TextWidth("cd"));
  EXPECT_EQ(w->Width(), textWidth + 11);
  EXPECT_EQ(w->Height(), 2 * 14 + 6);
  EXPECT_EQ(w->NewClRect, (TRect{3, 3, 21 + textWidth + 11 - 24, 21 + 34 - 24}));

  // The call returned at alpha 0; 15 steps of 14 follow on the clock (timers tick at 10 ms at
  // the finest).
  BYTE alpha = 255;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(w->Handle(), nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 0);
  clock->Advance(10);
  Pump();
  GetLayeredWindowAttributes(w->Handle(), nullptr, &alpha, &flags);
  EXPECT_EQ(alpha, 14);
  for (int i = 0; i < 20; ++i) {
    clock->Advance(10);
    Pump();
  }
  GetLayeredWindowAttributes(w->Handle(), nullptr, &alpha, &flags);
  EXPECT_EQ(alpha, 210);
  hint->HideHint();
}

TEST_F(SkinHintTest, AHintComponentThatGoesAwayLeavesNoHandlerBehind) {
  std::vector<std::string> calls;
  app.OnShowHint = [&](std::string&, bool&, THintInfo&) { calls.push_back("application"); };
  const auto show = [&] {
    std::string s = "提示";
    bool can = true;
    THintInfo info;
    if (app.OnShowHint) app.OnShowHint(s, can, info);
  };

  TvlSkinHint* first = MakeHint();
  first->OnShowHint = [&](std::string&, bool&, THintInfo&) { calls.push_back("first"); };
  auto* window = dynamic_cast<TvlSkinHintWindow*>(app.HintWindowClass()(&app));
  ASSERT_NE(window, nullptr);
  delete window;
  TvlSkinHint* second = MakeHint();
  second->OnShowHint = [&](std::string&, bool&, THintInfo&) { calls.push_back("second"); };
  show();
  // The first goes while the second's handler is in place: nothing of the first runs again.
  delete first;
  show();
  delete second;
  show();
  EXPECT_EQ(calls, (std::vector<std::string>{"second", "second", "application"}));
  // The class the application had before (the platform's own) is back.
  EXPECT_FALSE(app.HintWindowClass());
}

TEST_F(SkinHintTest, APressOnTheFormHidesTheCaptionHint) {
  TvlSkinHint* hint = MakeHint();
  auto* skinner = new TvlVelmora(main);
  skinner->SetSkinHint(hint);
  skinner->ShowObjectHint = true;
  hint->ActivateHint({300, 200}, "关闭");
  ASSERT_TRUE(hint->IsVisible());
  display->Click(main->ClientToScreen(TPoint{50, 50}));
  Pump();
  EXPECT_FALSE(hint->IsVisible());
  delete hint;
  EXPECT_EQ(skinner->SkinHint(), nullptr);
}

}  // namespace
