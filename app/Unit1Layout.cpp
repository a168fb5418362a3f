// The main window's controls, laid out at the window's fixed client size of 803 x 540:
//
//   +--------------------------------------------------------------------------------+
//   | menu bar (22)                                                                  |
//   | tool bar (59): 添加 删除 清空 | 开始 停止 暂停/继续 | 选项                    |
//   |  +-- job list (8, 87, 558 x 260) -------------+  +-- 预置选项 (572, 87) ----+  |
//   |  | list (7, 10, 521 x 202), cover while empty |  | six option choosers       |  |
//   |  +--------------------------------------------+  +---------------------------+  |
//   |  +-- output (8, 355, 558 x 167) --------------+  +-- 视频预览 (572, 296) ----+  |
//   |  | 输出格式： category, preset                |  | render area, slider,      |  |
//   |  | 输出目录： folder, 浏览... 打开            |  | six buttons               |  |
//   |  +--------------------------------------------+  +---------------------------+  |
//   +--------------------------------------------------------------------------------+
//
// The window, its menus and panels are drawn by skin 1 (vlSkinData1); the tool buttons and the
// option choosers by skin 2 (vlSkinData2).

#include "app/Unit1.h"

#include <algorithm>

#include "app/PresetCatalogue.h"

#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/controls/vlSkinCtrlsSlider.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/controls/Edit.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/Menus.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kMenuBarHeight = 22;
constexpr int kToolBarTop = kMenuBarHeight;
constexpr int kToolBarHeight = 59;
constexpr int kToolButtonWidth = 56;
constexpr int kToolButtonHeight = 54;
constexpr int kLabelHeight = 18;
constexpr int kScrollBarHeight = 15;

constexpr TRect kJobListPanel{8, 87, 8 + 558, 87 + 260};
constexpr TRect kFileList{7, 10, 7 + 521, 10 + 202};
constexpr TRect kOutputPanel{8, 355, 8 + 558, 355 + 167};
constexpr TRect kPresetOptionsPanel{572, 87, 572 + 219, 87 + 206};
constexpr TRect kPreviewPanel{572, 296, 572 + 219, 296 + 226};

TMenuItem* MakeItem(TComponent* Owner, TMenuItem* Parent, const char* Caption) {
  auto* item = new TMenuItem(Owner);
  item->SetCaption(Caption);
  Parent->Add(item);
  return item;
}

void AddSeparator(TComponent* Owner, TMenuItem* Parent) { MakeItem(Owner, Parent, "-"); }

}  // namespace

TBitmap* TForm1::Picture(const std::string& Name) {
  for (const auto& [name, picture] : pictures_)
    if (name == Name) return picture.get();
  pictures_.emplace_back(Name, LoadBuiltinPicture(Name));
  return pictures_.back().second.get();
}

void TForm1::BuildControls() {
  BuildMenus();
  BuildToolBar();
  BuildJobListPanel();
  BuildOutputPanel();
  BuildPresetOptionsPanel();
  BuildPreviewPanel();
  BuildHiddenControls();
}

void TForm1::BuildMenus() {
  MainMenu1 = new TvlSkinMainMenu(this);
  MainMenu1->SetSkinData(vlSkinData1);
  TMenuItem* root = MainMenu1->Items();
  TMenuItem* file = MakeItem(this, root, "文件");
  Item111 = MakeItem(this, file, "添加一个文件");
  Item121 = MakeItem(this, file, "添加多个文件");
  N21 = MakeItem(this, file, "添加整个目录");
  AddSeparator(this, file);
  N4 = MakeItem(this, file, "退出");
  TMenuItem* edit = MakeItem(this, root, "编辑");
  N111 = MakeItem(this, edit, "上移文件");
  N2221 = MakeItem(this, edit, "下移文件");
  AddSeparator(this, edit);
  N13 = MakeItem(this, edit, "删除选择");
  N14 = MakeItem(this, edit, "清空文件");
  AddSeparator(this, edit);
  N26 = MakeItem(this, edit, "重新命名");
  TMenuItem* action = MakeItem(this, root, "动作");
  N7 = MakeItem(this, action, "开始转换");
  N8 = MakeItem(this, action, "停止转换");
  AddSeparator(this, action);
  N10 = MakeItem(this, action, "暂停转换");
  N11 = MakeItem(this, action, "继续继续");
  AddSeparator(this, action);
  N24 = MakeItem(this, action, "选项设置");
  TMenuItem* help = MakeItem(this, root, "帮助");
  N15 = MakeItem(this, help, "帮助系统");
  AddSeparator(this, help);
  N19 = MakeItem(this, help, "官方网站");
  EMAIL1 = MakeItem(this, help, "联系邮箱");
  N5 = MakeItem(this, help, "关于软件");
  for (TMenuItem* item : {N13, N14, N26, N7, N8, N10, N11}) item->SetEnabled(false);

  AddMenu = new TvlSkinPopupMenu(this);
  AddMenu->SetSkinData(vlSkinData1);
  N11111 = MakeItem(this, AddMenu->Items(), "添加一个文件");
  N2222 = MakeItem(this, AddMenu->Items(), "添加多个文件");
  N3331 = MakeItem(this, AddMenu->Items(), "添加整个目录");

  // The skinned bar over the menu: the form skinner opens its menus and drives its keyboard.
  vlSkinMainMenuBar1 = new TvlSkinMainMenuBar(this);
  vlSkinMainMenuBar1->SetParent(this);
  vlSkinMainMenuBar1->SetBounds(0, 0, kMainClientWidth, kMenuBarHeight);
  vlSkinMainMenuBar1->SetVelmora(vlVelmora1);
  vlSkinMainMenuBar1->SetSkinData(vlSkinData1);
  vlSkinMainMenuBar1->SetMainMenu(MainMenu1);
  vlVelmora1->SetMainMenuBar(vlSkinMainMenuBar1);
}

TvlSkinButton* TForm1::MakeToolButton(TWinControl* Parent, int Left, const char* Caption, const char* PictureName) {
  auto* button = new TvlSkinButton(this);
  button->SetSkinDataName("bigtoolbutton");
  button->UseSkinSize = false;
  button->SetCanFocused(false);
  button->SetLayout(TvlButtonLayout::blGlyphTop);
  button->SetSpacing(2);
  button->SetParent(Parent);
  button->SetBounds(Left, (kToolBarHeight - kToolButtonHeight) / 2, kToolButtonWidth, kToolButtonHeight);
  button->SetCaption(Caption);
  button->SetGlyph(Picture(PictureName));
  button->SetSkinData(vlSkinData2);
  return button;
}

void TForm1::BuildToolBar() {
  // A skinned panel of the tool bar's look holds the buttons: they are skinned buttons of skin 2,
  // which a tool bar would hand its own skin to.
  TvlSkinPanel* bar = MakeSkinPanel(this, this, Box(0, kToolBarTop, kMainClientWidth, kToolBarHeight), "bigtoolpanel",
                                vlSkinData1);
  vlSkinMenuSpeedButton1 = new TvlSkinMenuSpeedButton(this);
  vlSkinMenuSpeedButton1->SkinDataName = "bigtoolbutton";
  vlSkinMenuSpeedButton1->UseSkinSize = false;
  vlSkinMenuSpeedButton1->SetLayout(TvlButtonLayout::blGlyphTop);
  vlSkinMenuSpeedButton1->SetSpacing(2);
  vlSkinMenuSpeedButton1->SetParent(bar);
  vlSkinMenuSpeedButton1->SetBounds(8, (kToolBarHeight - kToolButtonHeight) / 2, 68, kToolButtonHeight);
  vlSkinMenuSpeedButton1->SetCaption("添加");
  vlSkinMenuSpeedButton1->SetGlyph(Picture("VL_TOOL_ADD"));
  vlSkinMenuSpeedButton1->SetSkinPopupMenu(AddMenu);
  vlSkinMenuSpeedButton1->SetSkinData(vlSkinData2);

  int x = 80;
  vlSkinButton7 = MakeToolButton(bar, x, "删除", "VL_TOOL_REMOVE_OFF");
  vlSkinButton8 = MakeToolButton(bar, x += 58, "清空", "VL_TOOL_CLEAR_OFF");
  const int firstSeparator = x + kToolButtonWidth + 5;
  vlSkinButton2 = MakeToolButton(bar, x += 70, "开始", "VL_TOOL_START_OFF");
  vlSkinButton10 = MakeToolButton(bar, x += 58, "停止", "VL_TOOL_STOP_OFF");
  vlSkinButton11 = MakeToolButton(bar, x += 58, "暂停", "VL_TOOL_PAUSE_OFF");
  vlSkinButton12 = MakeToolButton(bar, x, "继续", "VL_TOOL_RESUME_OFF");
  const int secondSeparator = x + kToolButtonWidth + 5;
  vlSkinButton19 = MakeToolButton(bar, x += 70, "选项", "VL_TOOL_OPTIONS");
  for (TvlSkinButton* button : {vlSkinButton7, vlSkinButton8, vlSkinButton2, vlSkinButton10, vlSkinButton11, vlSkinButton12})
    button->SetEnabled(false);
  vlSkinButton12->SetVisible(false);
  for (int separator : {firstSeparator, secondSeparator}) {
    auto* line = new TvlSkinBevel(this);
    line->SetShape(TBevelShape::bsLeftLine);
    line->SetParent(bar);
    line->SetBounds(separator, 12, 2, kToolBarHeight - 24);
    line->SetSkinData(vlSkinData1);
  }
}

void TForm1::BuildJobListPanel() {
  TvlSkinPanel* panel = MakeSkinPanel(this, this, kJobListPanel, "panel", vlSkinData1);
  lvFiles = new TvlSkinListView(this);
  lvFiles->SetParent(panel);
  lvFiles->SetBoundsRect(kFileList);
  lvFiles->SetViewStyle(TViewStyle::vsReport);
  lvFiles->SetReadOnly(true);
  lvFiles->SetRowSelect(true);
  lvFiles->SetGridLines(true);
  lvFiles->SetMultiSelect(true);
  for (const TJobColumn& column : JobColumns()) {
    TListColumn* c = lvFiles->Columns()->Add();
    c->SetCaption(std::string(column.Caption));
    c->SetWidth(column.Width);
    if (column.Hidden) c->SetMaxWidth(1);
  }
  // The rows are the job list's: the view asks for each row it shows.
  lvFiles->SetOwnerData(true);
  lvFiles->OnData = [this](TObject*, TListItem* Item) {
    if (Item->Index() < 0 || Item->Index() >= jobs_.Count()) return;
    const TJobRow& row = jobs_.Row(Item->Index());
    // The row keeps the input's full path; the list shows its name and the path in the hint.
    Item->SetCaption(ExtractFileName(row.Caption));
    for (const std::string& text : row.SubItems) Item->SubItems()->Add(text);
  };
  lvFiles->SetShowHint(true);
  lvFiles->AddWindowProcHook([this](TMessage& M, const TWndMethod& Next) {
    if (M.Msg != CM_HINTSHOW) return Next(M);
    M.Result = JobRowHint(*reinterpret_cast<THintInfo*>(M.LParam)) ? 0 : 1;
  });
  lvFiles->OnSelectItem = [this](TObject*, TListItem* Item, bool Selected) { ListSelectItem(Item, Selected); };
  lvFiles->OnDblClick = [this](TObject*) { lvFilesDblClick(); };
  lvFiles->OnClick = [this](TObject*) { lvFilesClick(); };
  lvFiles->OnMouseMove = [this](TObject*, TShiftState, int X, int Y) { ListMouseMove(X, Y); };
  lvFiles->SetShowHint(true);
  lvFiles->OnKeyDown = [this](TObject*, WORD& Key, TShiftState) {
    if (Key != VK_DELETE) return;
    Key = 0;
    btnRemoveClick();  // Delete removes the selected jobs, as 删除 does
  };
  lvFiles->OnKeyUp = [this](TObject*, WORD&, TShiftState) { FollowFocusedRow(); };
  jobs_.OnChange = [this](int Index) {
    if (Index >= 0)
      lvFiles->Perform(LVM_REDRAWITEMS, static_cast<WPARAM>(Index), Index);
    else
      lvFiles->Invalidate();
  };

  // The rows' texts run wider than the list: a skinned bar under it scrolls them sideways and
  // shows only while there is something to scroll.
  vlSkinScrollBar1 = new TvlSkinScrollBar(this);
  vlSkinScrollBar1->SetParent(panel);
  vlSkinScrollBar1->SetBounds(kFileList.Left, kFileList.Bottom, kFileList.Width(), kScrollBarHeight);
  vlSkinScrollBar1->SetSkinData(vlSkinData1);
  lvFiles->SetHScrollBar(vlSkinScrollBar1);
  // While rows run past the bottom a vertical bar takes the list's right edge and the list gives
  // up that width.
  vlSkinScrollBar2 = new TvlSkinScrollBar(this);
  vlSkinScrollBar2->SetKind(TScrollBarKind::sbVertical);
  vlSkinScrollBar2->SetSkinDataName("vscrollbar");
  vlSkinScrollBar2->SetParent(panel);
  vlSkinScrollBar2->SetBounds(kFileList.Right - kScrollBarHeight, kFileList.Top, kScrollBarHeight, kFileList.Height());
  vlSkinScrollBar2->SetSkinData(vlSkinData1);
  vlSkinScrollBar2->AddWindowProcHook([this](TMessage& M, const TWndMethod& Next) {
    Next(M);
    if (M.Msg != CM_VISIBLECHANGED) return;
    const int width = kFileList.Width() - (vlSkinScrollBar2->Visible() ? kScrollBarHeight : 0);
    if (lvFiles->Width() != width) lvFiles->SetWidth(width);
  });
  lvFiles->SetVScrollBar(vlSkinScrollBar2);
  lvFiles->SetSkinData(vlSkinData1);

  vlSkinPanel5 = new TvlSkinPaintPanel(this);
  vlSkinPanel5->SetBorderStyle(TvlSkinBorderStyle::bvNone);
  vlSkinPanel5->SetParent(panel);
  // It hides the list with its bar: the header alone is wider than the list.
  vlSkinPanel5->SetBounds(kFileList.Left, kFileList.Top, kFileList.Width(), kFileList.Height() + kScrollBarHeight);
  vlSkinPanel5->OnPanelPaint = [this](TCanvas* Canvas, TRect) { Canvas->Draw(0, 0, Picture("VL_LIST_COVER")); };
  vlSkinPanel5->SetSkinData(vlSkinData1);

  const auto listButton = [&](int Top, const char* Hint, const char* PictureName) {
    auto* button = new TvlSkinButton(this);
    button->SetSkinDataName("toolbutton");
    button->UseSkinSize = false;
    button->SetCanFocused(false);
    button->SetParent(panel);
    button->SetBounds(kFileList.Right + 3, Top, 24, 24);
    button->SetGlyph(Picture(PictureName));
    button->SetHint(Hint);
    button->SetShowHint(true);
    button->SetSkinData(vlSkinData2);
    return button;
  };
  vlSkinButton3 = listButton(kFileList.Top, "上移", "VL_LIST_MOVEUP");
  vlSkinButton4 = listButton(kFileList.Top + 28, "下移", "VL_LIST_MOVEDOWN");
  vlSkinButton21 = listButton(kFileList.Top + 56, "重命名", "VL_LIST_RENAME_OFF");
  vlSkinButton21->SetEnabled(false);

  // The inline editor of an output name: hidden until a rename begins, then laid over the
  // row's output-name column (BeginRename).
  edt = new TvlSkinEdit(this);
  edt->SetVisible(false);
  edt->SetParent(lvFiles);
  edt->OnExit = [this](TObject*) { edtExit(); };
  edt->OnKeyDown = [this](TObject*, WORD& Key, TShiftState) { edtKeyDown(Key); };
  edt->SetSkinData(vlSkinData1);
}

void TForm1::BuildOutputPanel() {
  TvlSkinPanel* panel = MakeSkinPanel(this, this, kOutputPanel, "panel", vlSkinData1);
  MakeSkinLabel(this, panel, Box(12, 41, 66, kLabelHeight), "输出格式：", vlSkinData1);
  // Image index n of a list is picture Prefix + n; an index no picture has stays blank.
  const auto imageList = [this](const std::string& Prefix, int Count) {
    auto* images = new TImageList(this);
    TBitmap* first = Picture(Prefix + "0");
    images->SetSize(first->Width(), first->Height());
    TBitmap blank;
    blank.SetSize(first->Width(), first->Height());
    for (int i = 0; i < Count; ++i) {
      TBitmap* picture = Picture(Prefix + std::to_string(i));
      images->Add(picture->Empty() ? &blank : picture, nullptr);
    }
    return images;
  };
  int categoryImages = 0;
  for (const TPresetCategory& category : PresetCategories())
    categoryImages = std::max(categoryImages, category.PresetGroup + 1);
  vlSkinOfficeComboBox2 = std::make_unique<TPresetPickerBox>(this, panel, Box(80, 25, 132, 51), vlSkinData1,
                                                             imageList("VL_CATEGORY_", categoryImages));
  vlSkinOfficeComboBox1 = std::make_unique<TPresetPickerBox>(this, panel, Box(218, 25, 328, 51), vlSkinData1,
                                                             imageList("VL_PRESET_", 2));

  MakeSkinLabel(this, panel, Box(12, 94, 66, kLabelHeight), "输出目录：", vlSkinData1);
  // The folder is chosen with "浏览...", never typed: the field is read-only, and a click on it
  // hands the focus to the job list. The skin gives the field its height, centred on the label.
  Video_OutPut_Folder_Edit = new TvlSkinEdit(this);
  Video_OutPut_Folder_Edit->SetParent(panel);
  Video_OutPut_Folder_Edit->SetReadOnly(true);
  Video_OutPut_Folder_Edit->SetBounds(80, 94, 466, kLabelHeight);
  Video_OutPut_Folder_Edit->OnClick = [this](TObject*) { FocusJobList(); };
  Video_OutPut_Folder_Edit->SetSkinData(vlSkinData1);
  Video_OutPut_Folder_Edit->SetTop(94 + (kLabelHeight - Video_OutPut_Folder_Edit->Height()) / 2);

  vlSkinButton5 = MakeSkinButton(this, panel, Box(386, 126, 76, 26), "浏览...", vlSkinData1);
  vlSkinButton6 = MakeSkinButton(this, panel, Box(470, 126, 76, 26), "打开", vlSkinData1);
}

void TForm1::BuildPresetOptionsPanel() {
  TvlSkinGroupBox* group = MakeSkinGroup(this, this, kPresetOptionsPanel, "预置选项", vlSkinData1);
  const char* labels[] = {"视频分辨率：", "视频比特率：", "音频比特率：", "视频缩放：", "视频帧率：", "音频采样率："};
  std::unique_ptr<TOptionChooserBox>* choosers[] = {&vlSkinComboBox1, &vlSkinComboBox2, &vlSkinComboBox3,
                                                   &vlSkinComboBox4, &vlSkinComboBox9, &vlSkinComboBox10};
  for (int i = 0; i < 6; ++i) {
    const int top = 36 + 27 * i;
    // The boxes take the width the longest item needs ("保持原视频模式" beside the drop-down button).
    MakeSkinLabel(this, group, Box(6, top + 2, 80, kLabelHeight), labels[i], vlSkinData1);
    *choosers[i] = std::make_unique<TOptionChooserBox>(this, group, Box(86, top, 127, 22), vlSkinData2);
  }
}

void TForm1::BuildPreviewPanel() {
  TvlSkinGroupBox* group = MakeSkinGroup(this, this, kPreviewPanel, "视频预览", vlSkinData1);
  Panel6 = new TvlSkinPaintPanel(this);
  Panel6->SetBorderStyle(TvlSkinBorderStyle::bvNone);
  Panel6->SetParent(group);
  Panel6->SetBounds(9, 27, 200, 124);
  // Black under the idle picture and the video the preview puts on it.
  Panel6->OnPanelPaint = [this](TCanvas* Canvas, TRect) {
    Canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    Canvas->Brush()->SetColor(clBlack);
    Canvas->FillRect(TRect{0, 0, Panel6->Width(), Panel6->Height()});
  };
  Panel6->SetSkinData(vlSkinData1);

  vlSkinSlider1 = new TvlSkinSlider(this);
  vlSkinSlider1->SetParent(group);
  vlSkinSlider1->SetBounds(8, 155, 202, 24);
  vlSkinSlider1->SetOptions(TvlSliderOptions{TvlSliderOption::soSmooth});
  vlSkinSlider1->SetSkinData(vlSkinData1);

  // Play, pause, stop, mute (unmute in its place), snapshot and its settings; the names are the
  // buttons' hints. What they do belongs to the preview.
  struct TPreviewButton {
    TvlSkinButton** Button;
    const char* Picture;
    const char* Hint;
    int Place;
  };
  const TPreviewButton buttons[] = {{&vlSkinButton13, "VL_PREVIEW_PLAY", "播放", 0},
                                    {&vlSkinButton14, "VL_PREVIEW_PAUSE", "暂停", 1},
                                    {&vlSkinButton15, "VL_PREVIEW_STOP", "停止", 2},
                                    {&vlSkinButton16, "VL_PREVIEW_SOUND", "静音", 3},
                                    {&vlSkinButton20, "VL_PREVIEW_MUTED", "静音", 3},
                                    {&vlSkinButton22, "VL_PREVIEW_SNAPSHOT", "快照", 4},
                                    {&vlSkinButton23, "VL_PREVIEW_SETTINGS", "设置", 5}};
  for (const TPreviewButton& b : buttons) {
    auto* button = new TvlSkinButton(this);
    button->UseSkinSize = false;
    button->SetCanFocused(false);
    button->SetParent(group);
    button->SetBounds(9 + 34 * b.Place, 184, 30, 30);
    button->SetGlyph(Picture(b.Picture));
    button->SetHint(b.Hint);
    button->SetShowHint(true);
    button->SetSkinData(vlSkinData1);
    *b.Button = button;
  }
  vlSkinButton20->SetVisible(false);
}

void TForm1::BuildHiddenControls() {
  OpenDialog1.Title = "打开文件";
  OpenDialog2.Title = "打开文件";
  OpenDialog2.MultiSelection = true;
  vlSkinSelectDirectoryDialog1.Title = "选择目录";
  vlSkinSelectDirectoryDialog2.Title = "选择输出目录";
  // The log is never shown: it lies outside the client area.
  mmoLog = new TMemo(this);
  mmoLog->SetParent(this);
  mmoLog->SetBounds(-400, -400, 200, 100);
  mmoLog->SetVisible(false);
  mmoLog->SetReadOnly(true);
}
