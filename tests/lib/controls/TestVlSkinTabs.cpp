// The skinned page control in its built-in look and with small skins: the tabs offset, the room
// reserved for close buttons, closing pages by their close buttons, the wheel, hiding the
// tabs, the scroll up-down of a long row, and the close-image fallbacks kept off the skin.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinTabs.h"
#include "platform/controls/ImageList.h"

namespace {

using skinned_controls_world::SkinnedControlsWorld;

class SkinPageControlTest : public SkinnedControlsWorld {
 protected:
  // A page control of W x H at (10, 10) with one page per caption, shown.
  TvlSkinPageControl* Pages(const std::vector<std::string>& captions, int W = 400, int H = 200,
                            TvlSkinData* data = nullptr) {
    TForm* form = MakeForm(TRect{0, 0, W + 20, H + 20});
    auto* pc = new TvlSkinPageControl(form);
    pc->SetParent(form);
    pc->SetBounds(10, 10, W, H);
    for (const std::string& c : captions) {
      auto* sheet = new TvlSkinTabSheet(form);
      sheet->SetCaption(c);
      sheet->SetPageControl(pc);
    }
    if (data != nullptr) pc->SetSkinData(data);
    form->Show();
    pc->SetActivePageIndex(0);
    Pump();
    return pc;
  }

  // The screen point at the middle of the close button of visible tab Index.
  TPoint CloseButtonOf(TvlSkinPageControl* pc, int Index) {
    Pump();
    TTabSheet* page = nullptr;
    for (int i = 0; i < pc->PageCount(); ++i)
      if (pc->Pages(i)->TabIndex() == Index) page = pc->Pages(i);
    auto* sheet = dynamic_cast<TvlSkinCustomTabSheet*>(page);
    EXPECT_NE(sheet, nullptr);
    if (sheet == nullptr) return {};
    const TRect item = pc->ItemRect(Index);
    const TRect b = sheet->ButtonRect;
    EXPECT_FALSE(b.IsEmpty());
    return pc->ClientToScreen(TPoint{item.Left + (b.Left + b.Right) / 2, item.Top + (b.Top + b.Bottom) / 2});
  }

  void Press(TPoint p) {
    display->MouseMove(p);
    Pump();
    display->MouseDown(p);
    Pump();
  }
  void Release(TPoint p) {
    display->MouseMove(p);
    Pump();
    display->MouseUp(p);
    Pump();
  }
};

TEST_F(SkinPageControlTest, TabsOffsetCentresFixedWidthTabsOrTakesTheGivenOffset) {
  struct Case {
    const char* name;
    int tabs, tabWidth;
    bool centre;
    int offset;          // TabsOffset asked for
    bool centreTaken;    // TabsInCenter after the request
    int expected;
  };
  const Case cases[] = {
      {"three 60 px tabs on 400 px", 3, 60, true, 0, true, 110},
      {"ten 60 px tabs do not fit", 10, 60, true, 0, true, 0},
      {"no fixed width: centring refused", 3, 0, true, 0, false, 0},
      {"fixed offset", 3, 0, false, 30, false, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> captions;
    for (int i = 0; i < c.tabs; ++i) captions.push_back("页" + std::to_string(i + 1));
    TvlSkinPageControl* pc = Pages(captions);
    pc->SetTabPosition(TTabPosition::tpLeft);
    pc->SetTabWidth(c.tabWidth);
    pc->SetTabsInCenter(c.centre);
    if (c.offset > 0) pc->SetTabsOffset(c.offset);
    EXPECT_EQ(pc->TabsInCenter(), c.centreTaken);
    EXPECT_EQ(pc->TabsOffset(), c.expected);
    if (c.centreTaken || c.offset > 0) {
      // Shifted tabs are forced to the top in one row, and their rectangles carry the offset.
      EXPECT_EQ(pc->TabPosition(), TTabPosition::tpTop);
      EXPECT_TRUE(pc->TabsBGTransparent());
      Pump();
      EXPECT_EQ(pc->ItemRect(0).Left, c.expected);
    }
  }
}

TEST_F(SkinPageControlTest, ClickOnAShiftedTabSelectsThatTab) {
  TvlSkinPageControl* pc = Pages({"常规", "视频", "音频"});
  pc->SetTabWidth(60);
  pc->SetTabsInCenter(true);
  Pump();
  const TRect third = pc->ItemRect(2);
  Click(pc);  // the middle of the control is the page, not a tab
  display->Click(pc->ClientToScreen(TPoint{(third.Left + third.Right) / 2, (third.Top + third.Bottom) / 2}));
  Pump();
  EXPECT_EQ(pc->ActivePageIndex(), 2);
}

TEST_F(SkinPageControlTest, CloseButtonsReserveRoomInTheTabsAndGiveItBack) {
  struct Case {
    const char* name;
    TTabPosition position;
    bool skinned;
    TSize withButtons;  // size of the reserved-room list
  };
  auto* e = fixture_skin::Add<TvlDataSkinTabControl>(skin, "tab");
  e->CloseButtonRect = TRect{0, 0, 12, 12};
  const Case cases[] = {
      {"top, built-in", TTabPosition::tpTop, false, {15, 1}},
      {"left, built-in", TTabPosition::tpLeft, false, {1, 15}},
      {"top, the skin's close image", TTabPosition::tpTop, true, {13, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TvlSkinPageControl* pc = Pages({"常规", "视频"}, 400, 200, c.skinned ? &skin : nullptr);
    pc->SetTabPosition(c.position);
    const int before = pc->ItemRect(0).Width();
    pc->SetShowCloseButtons(true);
    if (c.skinned) pc->ChangeSkinData();
    EXPECT_EQ(pc->ReservedRoomList()->Width(), c.withButtons.cx);
    EXPECT_EQ(pc->ReservedRoomList()->Height(), c.withButtons.cy);
    if (c.position == TTabPosition::tpTop) {
      EXPECT_GT(pc->ItemRect(0).Width(), before);
    }
    pc->SetShowCloseButtons(false);
    EXPECT_EQ(pc->ReservedRoomList()->Width(), 1);
    EXPECT_EQ(pc->ReservedRoomList()->Height(), 1);
  }
}

TEST_F(SkinPageControlTest, CloseButtonClosesThePageThroughOnClose) {
  struct Case {
    const char* name;
    bool allow, freeOnClose;
  };
  const Case cases[] = {
      {"allowed: hidden", true, false},
      {"allowed: freed", true, true},
      {"refused: kept", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TvlSkinPageControl* pc = Pages({"常规", "视频", "音频"});
    pc->SetShowCloseButtons(true);
    pc->SetFreeOnClose(c.freeOnClose);
    std::vector<std::string> heard;
    pc->OnClose = [&](TObject* s, bool& can) {
      heard.push_back("close " + dynamic_cast<TTabSheet*>(s)->Caption());
      can = c.allow;
    };
    pc->OnAfterClose = [&](TObject* s) { heard.push_back(s == pc ? "after" : "?"); };
    TWeak<TControl> video(pc->Pages(1));
    const TPoint b = CloseButtonOf(pc, 1);
    Press(b);
    Release(b);
    if (c.allow) {
      EXPECT_EQ(heard, (std::vector<std::string>{"close 视频", "after"}));
      EXPECT_EQ(static_cast<bool>(video), !c.freeOnClose);
      if (video) {
        EXPECT_FALSE(pc->Pages(1)->TabVisible());
      }
      EXPECT_EQ(pc->Tabs()->Count(), 2);
      // The tab that took its place shows.
      ASSERT_NE(pc->ActivePage(), nullptr);
      EXPECT_EQ(pc->ActivePage()->Caption(), "音频");
    } else {
      EXPECT_EQ(heard, (std::vector<std::string>{"close 视频"}));
      EXPECT_TRUE(pc->Pages(1)->TabVisible());
      EXPECT_EQ(pc->Tabs()->Count(), 3);
    }
  }
}

TEST_F(SkinPageControlTest, PressOnCloseButtonReleasedElsewhereClosesNothing) {
  TvlSkinPageControl* pc = Pages({"常规", "视频"});
  pc->SetShowCloseButtons(true);
  int closes = 0;
  pc->OnClose = [&](TObject*, bool&) { ++closes; };
  const TPoint b = CloseButtonOf(pc, 0);
  Press(b);
  auto* sheet = dynamic_cast<TvlSkinCustomTabSheet*>(pc->Pages(0));
  EXPECT_TRUE(sheet->ButtonMouseDown);
  Release(pc->ClientToScreen(TPoint{200, 150}));
  EXPECT_EQ(closes, 0);
  EXPECT_FALSE(sheet->ButtonMouseDown);
  EXPECT_FALSE(sheet->ButtonMouseIn);
  EXPECT_TRUE(sheet->TabVisible());
}

TEST_F(SkinPageControlTest, WheelSwitchesPagesAndStopsAtTheEnds) {
  TvlSkinPageControl* pc = Pages({"一", "二", "三"});
  pc->Pages(1)->SetTabVisible(false);
  pc->SetActivePageIndex(0);
  const TPoint at = Centre(pc);
  display->Wheel(at, -120);  // without the option nothing moves
  Pump();
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  pc->SetMouseWheelSupport(true);
  display->Wheel(at, -120);  // down: the next page with a tab, past the hidden one
  Pump();
  EXPECT_EQ(pc->ActivePageIndex(), 2);
  display->Wheel(at, -120);  // the last page: nothing
  Pump();
  EXPECT_EQ(pc->ActivePageIndex(), 2);
  display->Wheel(at, 120);
  Pump();
  EXPECT_EQ(pc->ActivePageIndex(), 0);
}

TEST_F(SkinPageControlTest, HideTabsSavesTheStateOnceAndShowTabsRestoresIt) {
  TvlSkinPageControl* pc = Pages({"常规", "视频"});
  pc->SetTabPosition(TTabPosition::tpLeft);
  pc->SetMultiLine(true);
  pc->SetTabHeight(26);
  pc->HideTabs();
  pc->HideTabs();  // the second call keeps the first saved state
  EXPECT_TRUE(pc->TabsHidden());
  EXPECT_EQ(pc->TabPosition(), TTabPosition::tpTop);
  EXPECT_FALSE(pc->MultiLine());
  EXPECT_EQ(pc->TabHeight(), 1);
  EXPECT_EQ(pc->PagesRect().Top, 1) << "the pages take the tabs' room";
  pc->ShowTabs();
  EXPECT_FALSE(pc->TabsHidden());
  EXPECT_EQ(pc->TabPosition(), TTabPosition::tpLeft);
  EXPECT_TRUE(pc->MultiLine());
  EXPECT_EQ(pc->TabHeight(), 26);
}

TEST_F(SkinPageControlTest, LongRowGetsTheSkinnedUpDownThatScrollsByOneTab) {
  std::vector<std::string> captions;
  for (int i = 0; i < 12; ++i) captions.push_back("选项页" + std::to_string(i + 1));
  TvlSkinPageControl* pc = Pages(captions, 300, 150);
  TvlSkinUpDown* u = pc->SkinUpDown();
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->Width(), 40);
  EXPECT_EQ(u->Height(), 20);
  EXPECT_EQ(u->Left(), 300 - 40);
  EXPECT_EQ(pc->ScrollerHandle() == nullptr || !IsWindowVisible(pc->ScrollerHandle()), true)
      << "the platform's own scroller stays out of sight";
  const TRect up = u->Button(0).R;
  display->Click(u->ClientToScreen(TPoint{(up.Left + up.Right) / 2, (up.Top + up.Bottom) / 2}));
  Pump();
  EXPECT_EQ(pc->FirstVisibleTab(), 1);
  // A row that fits has none.
  TvlSkinPageControl* few = Pages({"常规", "视频"}, 300, 150);
  EXPECT_EQ(few->SkinUpDown(), nullptr);
}

TEST_F(SkinPageControlTest, CloseImageFallbacksStayOutOfTheSharedSkin) {
  auto* e = fixture_skin::Add<TvlDataSkinTabControl>(skin, "tab");
  e->CloseButtonRect = TRect{10, 10, 24, 24};
  TvlSkinPageControl* pc = Pages({"常规"}, 400, 200, &skin);
  EXPECT_EQ(pc->ClosebuttonActiveRect, e->CloseButtonRect);
  EXPECT_EQ(pc->CloseButtonDownRect, e->CloseButtonRect);
  EXPECT_TRUE(e->CloseButtonActiveRect.IsEmpty());
  EXPECT_TRUE(e->CloseButtonDownRect.IsEmpty());
}

TEST_F(SkinPageControlTest, PictureIndexesOutsideTheSkinMeanNoPicture) {
  auto* e = fixture_skin::Add<TvlDataSkinTabControl>(skin, "tab");
  e->PictureIndex = 77;
  e->BGPictureIndex = 99;
  e->SkinRect = TRect{0, 0, 40, 40};
  e->ClRect = TRect{2, 2, 38, 38};
  e->TabRect = TRect{0, 40, 60, 60};
  TvlSkinPageControl* pc = Pages({"常规", "视频"}, 400, 200, &skin);
  pc->SetShowCloseButtons(true);
  EXPECT_GE(pc->SkinIndex(), 0);
  EXPECT_EQ(pc->Picture, nullptr);
  const TScreenShot shot = ScreenShot();
  // The pages show the plain face; the tabs are drawn and their close buttons answer.
  EXPECT_EQ(shot.At(pc->ClientToScreen(TPoint{200, 120})), static_cast<COLORREF>(GetSysColor(COLOR_BTNFACE)));
  EXPECT_FALSE(dynamic_cast<TvlSkinCustomTabSheet*>(pc->Pages(0))->ButtonRect.IsEmpty());
}

// Choosing a page in code, adding one or hiding a tab must leave every sheet in the skin's page
// area, not in the area the plain page control would give it.
TEST_F(SkinPageControlTest, PagesChosenInCodeStayInTheSkinsPageArea) {
  TvlSkinPageControl* pc = Pages({"一", "二", "三"});
  const auto placedInPageArea = [&] {
    for (int i = 0; i < pc->PageCount(); ++i)
      if (pc->Pages(i)->BoundsRect() != pc->PagesRect()) return false;
    return true;
  };
  ASSERT_NE(pc->PagesRect(), pc->DisplayRect()) << "the case needs a skin area unlike the plain one";
  EXPECT_TRUE(placedInPageArea());
  pc->SetActivePageIndex(2);
  EXPECT_TRUE(placedInPageArea()) << "after choosing a page in code";
  pc->Pages(0)->SetTabVisible(false);
  EXPECT_TRUE(placedInPageArea()) << "after hiding a tab";
  auto* sheet = new TvlSkinTabSheet(pc->Owner());
  sheet->SetCaption("四");
  sheet->SetPageControl(pc);
  EXPECT_TRUE(placedInPageArea()) << "after adding a page";
}

}  // namespace
