// The link label: colours and glow by state, the glow's offset, the underline, the address
// handed to the desktop's opener, and the about window's links drawn headless.

#include "lib/controls/vlSkinExCtrls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedLinkLabelsBoard.h"
#include "lib/data/vlDataSkinControls.h"
#include "platform/shell/DesktopOpener.h"

namespace {

namespace fs = std::filesystem;

class LinkLabelTest : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    // The skin's hover colour: a light accent (the fixture's label leaves the default blue).
    label = dynamic_cast<TvlDataSkinStdLabelControl*>(vlControlElement(&skin, vlFindControlElement(&skin, "stdlabel")));
    ASSERT_NE(label, nullptr);
    label->ActiveFontColor = fixture_skin::Colour(120, 170, 235);
    opened.clear();
    previousOpener = SetDesktopOpener([this](const std::string& Target, std::string&) {
      opened.push_back(Target);
      return true;
    });
  }
  void TearDown() override {
    SetDesktopOpener(previousOpener);
    SkinnedControlsWorld::TearDown();
  }

  // A 200 x 40 form with one link of a large font, at (10, 4).
  TvlSkinLinkLabel* MakeLink(bool skinned, const char* caption = "访问主页") {
    TForm* form = MakeForm(TRect{0, 0, 200, 40});
    form->SetColor(clWhite);
    auto* l = new TvlSkinLinkLabel(form);
    l->SetParent(form);
    TFont big;
    big.Assign(l->DefaultFont());
    big.SetHeight(24);
    l->SetDefaultFont(&big);
    l->SetCaption(caption);
    l->SetAutoSize(false);
    l->SetBounds(10, 4, 180, 32);
    if (skinned) l->SetSkinData(&skin);
    form->Show();
    Pump();
    return l;
  }

  // Counts of pixels of a colour (exactly) in the form's area, and the rows that hold ink.
  struct Ink {
    int exact = 0;     // pixels of the asked colour
    int firstRow = -1;  // the first row with anything but the form's white
    int widestRun = 0;  // the longest horizontal run of non-white pixels
    int fullRows = 0;   // rows inked without a gap from the first inked column to the last
  };
  Ink InkOf(COLORREF colour) {
    const TScreenShot shot = ScreenShot();
    Ink ink;
    int left = 200, right = -1;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x)
        if ((shot.At(TPoint{x, y}) & 0xFFFFFFu) != RGB(255, 255, 255)) left = std::min(left, x), right = std::max(right, x);
    for (int y = 0; y < 40; ++y) {
      int run = 0;
      for (int x = 0; x < 200; ++x) {
        const COLORREF c = shot.At(TPoint{x, y}) & 0xFFFFFFu;
        if (c == colour) ++ink.exact;
        if (c != RGB(255, 255, 255)) {
          if (ink.firstRow < 0) ink.firstRow = y;
          ink.widestRun = std::max(ink.widestRun, ++run);
        } else {
          run = 0;
        }
      }
      bool full = right >= left;
      for (int x = left; full && x <= right; ++x) full = (shot.At(TPoint{x, y}) & 0xFFFFFFu) != RGB(255, 255, 255);
      if (full) ++ink.fullRows;
    }
    return ink;
  }

  TvlDataSkinStdLabelControl* label = nullptr;
  std::vector<std::string> opened;
  TDesktopOpener previousOpener;
};

TEST_F(LinkLabelTest, BoardMatchesItsExpectedPictures) {
  const fs::path expected = skinned_controls_world::SourceFolder() / "expected";
  skinned_link_labels_board::RenderAndCompare(display, &skin, expected, "skinned_link_labels");
  skinned_link_labels_board::RenderAndCompare(display, nullptr, expected, "unskinned_link_labels");
}

TEST_F(LinkLabelTest, HoverRecoloursOrGlowsByLookAndLeavingRestores) {
  const TColor normalBuiltIn = clBlack;
  const struct {
    const char* name;
    bool skinned, glow;
    TColor normal, hoveredText;
    bool glowColour;  // the glow's own colour shows around the text
  } cases[] = {
      {"built-in, no glow", false, false, normalBuiltIn, clBlue, false},
      {"built-in, glow", false, true, normalBuiltIn, clBlue, true},
      {"skinned, no glow", true, false, 0, 0, false},
      {"skinned, glow: text keeps its colour", true, true, 0, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TvlSkinLinkLabel* l = MakeLink(c.skinned);
    l->GlowEffect = c.glow;
    l->Repaint();
    const TColor normal = c.skinned ? label->FontColor : c.normal;
    const TColor hovered = c.skinned ? (c.glow ? label->FontColor : label->ActiveFontColor) : c.hoveredText;
    EXPECT_GT(InkOf(ColorToRGB(normal)).exact, 20);
    Hover(l);
    ASSERT_TRUE(l->MouseIn());
    EXPECT_GT(InkOf(ColorToRGB(hovered)).exact, 20);
    if (c.skinned && !c.glow) {
      EXPECT_EQ(InkOf(ColorToRGB(normal)).exact, 0) << "recoloured";
    }
    if (c.glow) {
      // The glow spreads a tint of its colour around the text: far more pixels than the text.
      const Ink plain = InkOf(0xFFFFFFFFu);
      display->MouseMove({199, 39});
      Pump();
      const Ink left = InkOf(0xFFFFFFFFu);
      EXPECT_LT(left.widestRun, plain.widestRun) << "the glow is gone";
    } else {
      display->MouseMove({199, 39});
      Pump();
    }
    EXPECT_FALSE(l->MouseIn());
    EXPECT_GT(InkOf(ColorToRGB(normal)).exact, 20) << "leaving restores the normal colour";
    forms.clear();
    Pump();
  }
}

TEST_F(LinkLabelTest, GlowLowersTheTextByItsSizeAndUnderlineFollowsTheSwitch) {
  TvlSkinLinkLabel* l = MakeLink(false, "主页");
  const Ink flat = InkOf(ColorToRGB(clBlack));
  l->GlowEffect = true;
  l->GlowSize = 6;
  l->Repaint();
  const Ink lowered = InkOf(ColorToRGB(clBlack));
  EXPECT_EQ(lowered.firstRow, flat.firstRow + 6);
  // The default font is underlined; UseUnderLine off removes the line (a row inked across the
  // whole text; the two characters stand apart otherwise).
  l->GlowEffect = false;
  l->Repaint();
  EXPECT_GT(InkOf(ColorToRGB(clBlack)).fullRows, 0);
  l->SetUseUnderLine(false);
  EXPECT_EQ(InkOf(ColorToRGB(clBlack)).fullRows, 0);
  // A disabled label in the built-in look stays underlined, in highlight under shadow.
  l->SetEnabled(false);
  l->Repaint();
  const Ink disabled = InkOf(ColorToRGB(clBtnShadow));
  EXPECT_GT(disabled.exact, 20);
  EXPECT_GT(disabled.fullRows, 0);
  EXPECT_EQ(InkOf(ColorToRGB(clBlack)).exact, 0);
}

TEST_F(LinkLabelTest, AClickHandsTheWholeAddressToTheOpener) {
  TvlSkinLinkLabel* l = MakeLink(true);
  int clicks = 0;
  l->OnClick = [&](TObject*) { ++clicks; };
  Click(l);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(opened.empty()) << "no address: the click fires OnClick only";
  l->URL = "mailto:support@qirelo.cn?subject=视频转换 反馈";
  Click(l);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(opened, (std::vector<std::string>{"mailto:support@qirelo.cn?subject=视频转换 反馈"}));
  // A failing opener is not looked at.
  SetDesktopOpener([](const std::string&, std::string& Error) {
    Error = "no opener";
    return false;
  });
  Click(l);
  EXPECT_EQ(clicks, 3);
}

}  // namespace
