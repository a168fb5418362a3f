// The office items, office list box and office combo box: the item model, selection across
// headers and disabled items, pixel scrolling, the combo box's events, keys, wheel and mouse,
// the drop-down's place and translucency, and their looks.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkinnedControlsWorld.h"
#include "SkinnedOfficeBoard.h"
#include "lib/vlSkinExCtrlsOffice.h"

namespace {

class SkinOfficeTest : public SkinnedControlsWorld {};

TEST_F(SkinOfficeTest, BoardOfPickersMatchesItsExpectedPictures) {
  const auto expected = skinned_test_form::ExpectedFolder();
  skinned_office_board::RenderAndCompare(display, nullptr, expected, "unskinned_office");
}

}  // namespace
