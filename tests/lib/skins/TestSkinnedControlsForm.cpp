// The skinned controls' test form drawn from the program's own skin 1, compared with its
// expected picture; and the group box caption's room at the sizes the windows use.

#include <gtest/gtest.h>

#include "lib/vlSkinCtrls.h"
#include "lib/vlSkinData.h"
#include "platform/Application.h"
#include "lib/vlLayerManager.h"
#include "platform/Clock.h"
#include "platform/Forms.h"
#include "platform/HeadlessDisplay.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedButtonsBoard.h"
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
  vlUtilsShutdown();
}

// The caption of a group box grows with the box: a long caption is not cut at the width the
// skin's own picture has.
TEST(SkinnedControlsFormTest, GroupBoxCaptionSpansTheBoxAtAnyWidth) {
  TApplication app(nullptr);
  ASSERT_NE(HeadlessDisplay(), nullptr);
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBoundsRect(TRect{0, 0, 500, 200});
  auto* group = new TvlSkinGroupBox(form.get());
  group->SetParent(form.get());
  group->SetCaption("视频预置选项");
  group->SetSkinData(&skin);
  form->Show();
  for (int width : {60, 140, 260, 480}) {
    group->SetBounds(8, 8, width, 120);
    group->Repaint();
    skinned_test_form::Pump();
    EXPECT_EQ(group->CaptionArea(), (TRect{10, 0, width - 6, 26})) << width;
  }
}

}  // namespace
