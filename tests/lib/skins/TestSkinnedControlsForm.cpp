// The skinned controls drawn from the program's own skin 1 (the controls' test form, the boards of
// buttons and boxes, of the bars and views and of the lists, the combo boxes, the page of edits,
// the office pickers, the link labels, the message box, the folder picker, the open dialog), each
// compared with its expected picture; and the room of the group box's and the caption list box's captions at the
// sizes the windows use.

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "lib/vlResourceStrData.h"
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
#include "tests/lib/SkinnedComboBoard.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedEditsBoard.h"
#include "tests/lib/SkinnedFolderDialog.h"
#include "tests/lib/SkinnedLinkLabelsBoard.h"
#include "tests/lib/SkinnedListsBoard.h"
#include "tests/lib/SkinnedMessageDialog.h"
#include "tests/lib/SkinnedOfficeBoard.h"
#include "tests/lib/SkinnedOpenDialog.h"
#include "tests/lib/SkinnedTestForm.h"
#include "tests/lib/SkinnedViewsBoard.h"

namespace {

// The headless screen of the pictures, 800 x 600, with the pointer out of the way.
THeadlessDisplay* Screen() {
  THeadlessDisplay* display = HeadlessDisplay();
  if (!display) return nullptr;
  display->SetScreenSize({800, 600});
  display->SetWorkArea({0, 0, 800, 560});
  display->MouseMove({799, 599});
  return display;
}

// The application, the screen and the program's skin 1.
class MainSkinScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display = Screen();
    ASSERT_NE(display, nullptr);
    vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
    ASSERT_FALSE(skin.Empty);
  }

  TApplication app{nullptr};
  THeadlessDisplay* display = nullptr;
  TvlSkinData skin{nullptr};
};

TEST_F(MainSkinScreenTest, ControlsFormMatchesItsExpectedPicture) {
  // The program's skin has no background-picture panel: a paint panel draws the texture.
  skinned_test_form::RenderAndCompare(display, &skin, nullptr, SKIN_EXPECTED_DIR, "main_skin_controls");
}

// A group caption takes the width of its box, less the box's corners: "预置选项" and "视频预览" in
// the main window were once cut after three characters because the caption area of the skin's
// picture kept its own 40 pixels.
TEST_F(MainSkinScreenTest, GroupCaptionsWidenWithTheBoxAndStayInside) {
  struct Case {
    int Width;
    const char* Caption;
    int MinInkRight;  // the text reaches at least this far (the skin's own area ends at 50)
  };
  const Case cases[] = {
      {219, "预置选项", 56},        // the main window's boxes
      {219, "视频预览", 56},
      {300, "转换时CPU利用方式", 110},  // a long caption in a wide box
      {80, "转换时CPU利用方式", 60},    // cut where the right corner begins, not at 50
  };
  auto* form = CreateForm<TForm>(nullptr);
  std::unique_ptr<TForm> owner(form);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBoundsRect(TRect{0, 0, 320, 60 * static_cast<int>(std::size(cases))});
  form->SetColor(clBtnFace);
  int top = 0;
  for (const Case& c : cases) {
    auto* group = new TvlSkinGroupBox(form);
    group->SetParent(form);
    group->SetSkinData(&skin);
    group->SetCaption(c.Caption);
    group->SetBounds(0, top, c.Width, 56);
    top += 60;
  }
  form->Show();
  const auto pixels = skinned_test_form::Shot(display, TRect{0, 0, 320, top});

  top = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Caption) + " in " + std::to_string(c.Width));
    // Text pixels: dark ones in the caption band, right of the accent mark.
    int inkRight = -1;
    for (int y = top + 3; y < top + 24; ++y)
      for (int x = 8; x < 320; ++x) {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * 320 + x];
        const int lum = ((p >> 16 & 0xFF) * 3 + (p >> 8 & 0xFF) * 6 + (p & 0xFF)) / 10;
        if (lum < 128) inkRight = std::max(inkRight, x);
      }
    EXPECT_GE(inkRight, c.MinInkRight);
    EXPECT_LT(inkRight, c.Width - 6) << "the text ends where the right corner begins";
    top += 60;
  }
}

TEST(SkinnedControlsFormTest, MainSkinBoardsMatchTheirExpectedPictures) {
  TScopedTestClock clock;
  TApplication app(nullptr);
  THeadlessDisplay* display = Screen();
  ASSERT_NE(display, nullptr);
  vlUtilsStartup();
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  ASSERT_FALSE(skin.Empty);
  skinned_buttons_board::RenderAndCompare(display, clock, &skin, nullptr, SKIN_EXPECTED_DIR, "main_skin_buttons");
  skinned_views_board::RenderAndCompare(display, &skin, SKIN_EXPECTED_DIR, "main_skin_views");
  skinned_lists_board::RenderAndCompare(display, &skin, SKIN_EXPECTED_DIR, "main_skin_lists");
  vlUtilsShutdown();
}

// The world of the control tests with the program's skin 1 loaded.
class MainSkinWorldTest : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    vlLoadFixtureSkin(&mainSkin, TvlSkinArtKind::Main);
    ASSERT_FALSE(mainSkin.Empty);
  }

  TvlSkinData mainSkin{nullptr};
};

TEST_F(MainSkinWorldTest, MainSkinEditsMatchTheirExpectedPicture) {
  skinned_edits_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_edits");
}

TEST_F(MainSkinWorldTest, MainSkinComboBoxesMatchTheirExpectedPicture) {
  skinned_combo_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_combos");
}

TEST_F(MainSkinWorldTest, MainSkinOfficePickersMatchTheirExpectedPicture) {
  skinned_office_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_office");
}

TEST_F(MainSkinWorldTest, MainSkinLinkLabelsMatchTheirExpectedPicture) {
  skinned_link_labels_board::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_link_labels");
}

TEST_F(MainSkinWorldTest, MainSkinMessageBoxMatchesItsExpectedPicture) {
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

TEST_F(MainSkinWorldTest, MainSkinFolderPickerMatchesItsExpectedPictures) {
  TvlResourceStrData table(nullptr);
  skinned_folder_dialog::FillChineseTexts(table);
  mainSkin.SetResourceStrData(&table);
  // As the converter shows it, and with the tool bar of path edit and new-folder button.
  skinned_folder_dialog::RenderAndCompare(display, &mainSkin, false, SKIN_EXPECTED_DIR, "main_skin_folder_dialog");
  skinned_folder_dialog::RenderAndCompare(display, &mainSkin, true, SKIN_EXPECTED_DIR, "main_skin_folder_dialog_tools");
  mainSkin.SetResourceStrData(nullptr);
}

TEST_F(MainSkinWorldTest, MainSkinOpenDialogMatchesItsExpectedPicture) {
  TvlResourceStrData table(nullptr);
  skinned_open_dialog::FillChineseTexts(table);
  mainSkin.SetResourceStrData(&table);
  skinned_open_dialog::RenderAndCompare(display, &mainSkin, SKIN_EXPECTED_DIR, "main_skin_open_dialog");
  mainSkin.SetResourceStrData(nullptr);
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
