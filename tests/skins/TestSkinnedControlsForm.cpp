// The skinned controls drawn from the program's own skin 1 (the controls' test form, the boards of
// buttons and boxes, of the bars and views and of the lists, the combo boxes, the page of edits,
// the office pickers, the link labels, the message box, the folder picker, the open dialog, the
// skin chooser, two scroll boxes and the save-picture dialog), each compared with its expected
// picture; and the room of the group box's and the caption list box's captions at the sizes the
// windows use.

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "lib/data/vlCompressedSkin.h"
#include "lib/dialogs/vlDialogs.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/data/vlSkinData.h"
#include "lib/dialogs/vlSkinPictureDialog.h"
#include "lib/dialogs/vlSkinShellListView.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/graphics/Picture.h"
#include "skins/vlSkinArt.h"
#include "tests/ShellTestTree.h"
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

TEST_F(MainSkinWorldTest, SkinChooserMatchesItsExpectedPicture) {
  TvlResourceStrData table(nullptr);
  TStringList lines;
  for (const char* line : {"MSG_PREVIEWSKIN=预览", "MSG_PREVIEWBUTTON=按钮", "MSG_BTN_OK=确定", "MSG_BTN_CANCEL=取消"})
    lines.Add(line);
  table.SetResStrings(&lines);
  mainSkin.SetResourceStrData(&table);

  TvlCompressedSkinList skins(nullptr);
  struct Item {
    const char* description;
    TvlSkinArtKind kind;
  };
  for (const Item& i : {Item{"默认皮肤", TvlSkinArtKind::Main}, Item{"工具按钮皮肤", TvlSkinArtKind::Tools}}) {
    TvlSkinListItem* item = skins.Skins()->Add();
    item->Description = i.description;
    vlPackSkin(i.kind, item->Skin());
  }
  TvlSelectSkinDialog dialog(nullptr);
  dialog.Title = "选择皮肤";
  dialog.SetSkinList(&skins);
  dialog.SetSkinData(&mainSkin);
  dialog.SetCtrlSkinData(&mainSkin);

  std::vector<std::uint32_t> pixels;
  TRect bounds;
  bool shot = false;
  ::Screen()->OnActiveFormChange = [&](TObject*) {
    auto* form = dynamic_cast<TvlSelectSkinDlgForm*>(::Screen()->ActiveForm());
    if (!form || shot) return;
    shot = true;
    Pump();
    bounds = form->BoundsRect();
    pixels = skinned_test_form::Shot(display, bounds);
    PostMessage(form->Handle(), WM_CLOSE, 0, 0);
  };
  EXPECT_FALSE(dialog.Execute(0));
  ::Screen()->OnActiveFormChange = nullptr;
  mainSkin.SetResourceStrData(nullptr);
  ASSERT_TRUE(shot);
  skinned_test_form::CompareWithExpected(pixels, bounds.Width(), bounds.Height(), SKIN_EXPECTED_DIR,
                                         "main_skin_skin_chooser");
}

// A 360 x 240 picture: a sky that lightens toward the horizon, the sun and two hills.
void DrawLandscape(TBitmap* B) {
  B->SetSize(360, 240);
  TCanvas* c = B->Canvas();
  c->Pen()->SetStyle(TPenStyle::psClear);
  for (int y = 0; y < 240; y += 4) {
    const int t = y * 255 / 240;
    c->Brush()->SetColor(RGB(90 + t / 3, 150 + t / 5, 225));
    c->FillRect(TRect{0, y, 360, y + 4});
  }
  c->Brush()->SetColor(RGB(255, 214, 102));
  c->Ellipse(250, 30, 300, 80);
  c->Brush()->SetColor(RGB(110, 170, 95));
  c->Ellipse(-80, 150, 220, 360);
  c->Brush()->SetColor(RGB(80, 140, 80));
  c->Ellipse(140, 170, 460, 400);
}

TEST_F(MainSkinWorldTest, ScrollBoxesMatchTheirExpectedPicture) {
  auto build = [&](TForm* form) {
    auto* background = new TvlSkinPanel(form);
    background->SetParent(form);
    background->SetAlign(TAlign::alClient);
    background->SetBorderStyle(TvlSkinBorderStyle::bvNone);
    background->SetSkinData(&mainSkin);

    // The picture pane: bars at the right and bottom of a framed panel, the box filling the rest.
    auto* pane = new TvlSkinPanel(form);
    pane->SetParent(background);
    pane->SetBounds(10, 10, 220, 180);
    pane->SetSkinData(&mainSkin);
    auto* vbar = new TvlSkinScrollBar(form);
    vbar->SetKind(TScrollBarKind::sbVertical);
    vbar->SetParent(pane);
    vbar->SetAlign(TAlign::alRight);
    vbar->SetDefaultWidth(19);
    vbar->SetSkinDataName("vscrollbar");
    vbar->SetSkinData(&mainSkin);
    auto* hbar = new TvlSkinScrollBar(form);
    hbar->SetParent(pane);
    hbar->SetAlign(TAlign::alBottom);
    hbar->SetDefaultHeight(19);
    hbar->SetBothMarkerWidth(19);
    hbar->SetSkinDataName("hscrollbar");
    hbar->SetSkinData(&mainSkin);
    auto* box = new TvlSkinScrollBox(form);
    box->SetParent(pane);
    box->SetAlign(TAlign::alClient);
    box->SetBorderStyle(TvlSkinBorderStyle::bvNone);
    box->SetSkinData(&mainSkin);
    box->SetHScrollBar(hbar);
    box->SetVScrollBar(vbar);
    auto* image = new TImage(form);
    image->SetParent(box);
    DrawLandscape(image->Picture()->Bitmap());
    image->SetBounds(0, 0, 360, 240);
    box->UpDateScrollRange();
    box->VScroll(20);
    box->HScroll(100);

    // A framed box of option rows, taller than the box.
    auto* options = new TvlSkinScrollBox(form);
    options->SetParent(background);
    options->SetBounds(250, 10, 180, 180);
    options->SetSkinData(&mainSkin);
    auto* obar = new TvlSkinScrollBar(form);
    obar->SetKind(TScrollBarKind::sbVertical);
    obar->SetParent(background);
    obar->SetBounds(430, 10, 19, 180);
    obar->SetSkinDataName("vscrollbar");
    obar->SetSkinData(&mainSkin);
    options->SetVScrollBar(obar);
    const char* rows[] = {"转换后打开输出目录", "转换完成后关机", "播放提示音", "多线程转换", "保留原始文件时间",
                          "自动重命名输出文件", "直接覆盖输出文件", "显示转换日志"};
    int top = 8;
    for (const char* caption : rows) {
      auto* check = new TvlSkinCheckRadioBox(form);
      check->SetParent(options);
      check->SetCaption(caption);
      check->SetBounds(8, top, 150, 22);
      check->SetSkinData(&mainSkin);
      check->SetChecked(top % 60 == 8);
      top += 28;
    }
    options->UpDateScrollRange();
  };
  skinned_test_form::RenderFormAndCompare(display, 460, 200, build, nullptr, SKIN_EXPECTED_DIR,
                                          "main_skin_scroll_boxes");
}

TEST_F(MainSkinWorldTest, SavePictureDialogMatchesItsExpectedPicture) {
  TvlResourceStrData table(nullptr);
  skinned_open_dialog::FillChineseTexts(table);
  TStringList more;
  more.Assign(table.ResStrings());
  for (const char* line : {"MSG_BTN_SAVE=保存", "MSG_BTN_STRETCH_HINT=拉伸图片"}) more.Add(line);
  table.SetResStrings(&more);
  mainSkin.SetResourceStrData(&table);

  TShellTestTree tree;
  const std::string folder = tree.Usb + "/截图";
  TShellTestTree::MakeFolder(folder + "/旧截图");
  TBitmap picture;
  DrawLandscape(&picture);
  for (const char* name : {"风景.bmp", "片头.bmp", "片尾.bmp"}) picture.SaveToFile(folder + "/" + name);
  TvlSkinSavePictureDialog dialog(nullptr);
  dialog.Title = "保存截图";
  dialog.ToolButtonsTransparent = true;
  dialog.SetSkinData(&mainSkin);
  dialog.SetCtrlSkinData(&mainSkin);
  dialog.Filter = "BMP文件 (*.bmp)|*.bmp|JPEG文件 (*jpg)|*.jpg";
  dialog.InitialDir = folder;
  skinned_test_form::RenderDialogAndCompare<TvlOpenPictureDlgForm>(
      display,
      [](TvlOpenPictureDlgForm* form) {
        TvlSkinFileListView* list = form->FileListView;
        for (int i = 0; i < list->FolderCount(); ++i)
          if (list->FolderAt(i)->DisplayName() == "风景.bmp") list->SelectItem(i, true);
      },
      [&] { dialog.Execute(); }, SKIN_EXPECTED_DIR, "main_skin_save_picture_dialog");
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
