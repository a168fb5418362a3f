// The skinned controls drawn from the program's own skin 1 (the controls' test form, the board of
// buttons and boxes, the bars and views, the lists, the combo boxes, the page of edits, the office
// pickers, the link labels,
// the message box), each compared with its expected picture.

#include <gtest/gtest.h>

#include "lib/vlResourceStrData.h"
#include "lib/vlSkinData.h"
#include "platform/HeadlessDisplay.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedButtonsBoard.h"
#include "tests/lib/SkinnedComboBoard.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedEditsBoard.h"
#include "tests/lib/SkinnedLinkLabelsBoard.h"
#include "tests/lib/SkinnedListsBoard.h"
#include "tests/lib/SkinnedMessageDialog.h"
#include "tests/lib/SkinnedOfficeBoard.h"
#include "tests/lib/SkinnedTestForm.h"
#include "tests/lib/SkinnedViewsBoard.h"

namespace {

// The world of the control tests with the program's skin 1 loaded.
class SkinnedControlsFormTest : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    vlLoadFixtureSkin(&mainSkin, TvlSkinArtKind::Main);
    ASSERT_FALSE(mainSkin.Empty);
  }

  TvlSkinData mainSkin{nullptr};
};

TEST_F(SkinnedControlsFormTest, MainSkinFormMatchesItsExpectedPicture) {
  // The program's skin has no background-picture panel: a paint panel draws the texture.
  skinned_test_form::RenderAndCompare(display, &mainSkin, nullptr, SKIN_EXPECTED_DIR, "main_skin_controls");
}

TEST_F(SkinnedControlsFormTest, MainSkinBoardsMatchTheirExpectedPictures) {
  skinned_buttons_board::RenderAndCompare(display, clock, &mainSkin, nullptr, SKIN_EXPECTED_DIR, "main_skin_buttons");
  skinned_views_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_views");
  skinned_lists_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_lists");
}

TEST_F(SkinnedControlsFormTest, MainSkinEditsMatchTheirExpectedPicture) {
  skinned_edits_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_edits");
}

TEST_F(SkinnedControlsFormTest, MainSkinComboBoxesMatchTheirExpectedPicture) {
  skinned_combo_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_combos");
}

TEST_F(SkinnedControlsFormTest, MainSkinOfficePickersMatchTheirExpectedPicture) {
  skinned_office_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_office");
}

TEST_F(SkinnedControlsFormTest, MainSkinLinkLabelsMatchTheirExpectedPicture) {
  skinned_link_labels_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_link_labels");
}

TEST_F(SkinnedControlsFormTest, MainSkinMessageBoxMatchesItsExpectedPicture) {
  TvlResourceStrData table(nullptr);
  TStringList lines;
  for (const char* line : skinned_message_dialog::kChineseTexts) lines.Add(line);
  table.SetResStrings(&lines);
  mainSkin.SetResourceStrData(&table);
  TvlSkinMessage message(nullptr);
  message.SetSkinData(&mainSkin);
  message.SetCtrlSkinData(&mainSkin);
  skinned_message_dialog::RenderAndCompare(display, message, SKIN_EXPECTED_DIR, "main_skin_message");
  mainSkin.SetResourceStrData(nullptr);
}

}  // namespace
