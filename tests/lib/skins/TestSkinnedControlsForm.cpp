// The skinned controls' test form drawn from the program's own skin 1, compared with its
// expected picture; and the room of the group box's and the caption list box's captions at the
// sizes the windows use.

#include <gtest/gtest.h>

#include "lib/vlSkinBoxCtrls.h"
#include "lib/vlSkinCtrls.h"
#include "lib/vlSkinData.h"
#include "platform/Application.h"
#include "lib/vlLayerManager.h"
#include "platform/Clock.h"
#include "platform/Forms.h"
#include "platform/HeadlessDisplay.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedButtonsBoard.h"
#include "tests/lib/SkinnedListsBoard.h"
#include "tests/lib/SkinnedTestForm.h"
#include "tests/lib/SkinnedViewsBoard.h"

namespace {

TEST(SkinnedControlsFormTest, MainSkinFormMatchesItsExpectedPicture) {
  TApplication app(nullptr);
  THeadlessDisplay* display = HeadlessDisplay();
  ASSERT_NE(display, nullptr);
  display->SetScreenSize({800, 600});
  display->SetWorkArea({0, 0, 800, 560});
  display->MouseMove({799, 599});
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  ASSERT_FALSE(skin.Empty);
  // The program's skin has no background-picture panel: a paint panel draws the texture.
  skinned_test_form::RenderAndCompare(display, &skin, nullptr, SKIN_EXPECTED_DIR, "main_skin_controls");
}

TEST(SkinnedControlsFormTest, MainSkinBoardsMatchTheirExpectedPictures) {
  TScopedTestClock clock;
  TApplication app(nullptr);
  THeadlessDisplay* display = HeadlessDisplay();
  ASSERT_NE(display, nullptr);
  display->SetScreenSize({800, 600});
  display->SetWorkArea({0, 0, 800, 560});
  display->MouseMove({799, 599});
  vlUtilsStartup();
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  ASSERT_FALSE(skin.Empty);
  skinned_buttons_board::RenderAndCompare(display, clock, &skin, nullptr, SKIN_EXPECTED_DIR, "main_skin_buttons");
  skinned_views_board::RenderAndCompare(display, &skin, SKIN_EXPECTED_DIR, "main_skin_views");
  skinned_lists_board::RenderAndCompare(display, &skin, SKIN_EXPECTED_DIR, "main_skin_lists");
  vlUtilsShutdown();
}

// Skin 1 and a borderless form to place controls on.
class SkinOneFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(HeadlessDisplay(), nullptr);
    vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
    form.reset(CreateForm<TForm>(nullptr));
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBoundsRect(TRect{0, 0, 500, 300});
  }
  // Gives the control its bounds and paints it (painting lays its caption out).
  static void Place(TControl* C, int Width, int Height) {
    C->SetBounds(8, 8, Width, Height);
    C->Repaint();
    skinned_test_form::Pump();
  }

  TApplication app{nullptr};
  TvlSkinData skin{nullptr};
  std::unique_ptr<TForm> form;
};

// The caption of a group box grows with the box: a long caption is not cut at the width the
// skin's own picture has.
TEST_F(SkinOneFormTest, GroupBoxCaptionSpansTheBoxAtAnyWidth) {
  auto* group = new TvlSkinGroupBox(form.get());
  group->SetParent(form.get());
  group->SetCaption("视频预置选项");
  group->SetSkinData(&skin);
  form->Show();
  for (int width : {60, 140, 260, 480}) {
    Place(group, width, 120);
    EXPECT_EQ(group->CaptionArea(), (TRect{10, 0, width - 6, 26})) << width;
  }
}

// The caption list box keeps its caption buttons at its right edge, and its caption runs up to
// them.
TEST_F(SkinOneFormTest, CaptionListBoxButtonsFollowTheRightEdge) {
  auto* list = new TvlSkinListBox(form.get());
  list->SetParent(form.get());
  list->SetSkinDataName("captionlistbox");
  list->SetCaptionMode(true);
  list->SetCaption("输出格式预设");
  for (const char* s : {"手机", "电脑", "光盘", "网页", "平板", "电视"}) list->Items()->Add(s);
  list->SetSkinData(&skin);
  form->Show();
  for (int width : {80, 200, 420}) {
    Place(list, width, 150);
    EXPECT_EQ(list->CaptionButton(0).R.Left, width - 38) << width;
    EXPECT_EQ(list->CaptionButton(1).R.Right, width - 3) << width;
  }
}

}  // namespace
