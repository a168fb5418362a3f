// The skinned controls' test form drawn from the program's own skin 1, compared with its
// expected picture.

#include <gtest/gtest.h>

#include "lib/vlSkinData.h"
#include "platform/Application.h"
#include "lib/vlLayerManager.h"
#include "platform/Clock.h"
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

}  // namespace
