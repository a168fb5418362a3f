// The legacy preset window's controls, at its fixed client size of 703 x 474:
//
//   +-- 设置选项 ---------------------------------------------------------+
//   |  +-- frame panel (39, 36, 625 x 109) -----------------------------+  |
//   |  | 输出格式：  [group ▾]  [preset title / description ▾]          |  |
//   |  +----------------------------------------------------------------+  |
//   |  +-- pages (39, 171, 625 x 222) ----------------------------------+  |
//   |  | 标准参数设置 | 剪辑设置 | 滤镜设置 | 文字水印                   |  |
//   |  |  视频分辨率：[        ▾]       视频比特率：[        ▾]        |  |
//   |  |  视频帧率：  [        ▾]       视频缩放：  [        ▾]        |  |
//   |  |  音频比特率：[        ▾]       音频采样率：[        ▾]        |  |
//   |  +----------------------------------------------------------------+  |
//   |                                              [ 确定 ]   [ 取消 ]   |
//   +----------------------------------------------------------------------+
//
// Everything skinned is drawn by the main window's skin 1.

#include "app/Unit6.h"

#include <functional>
#include <iterator>
#include <string>
#include <utility>

#include "Src/Convexa.h"
#include "app/LegacyPresetCatalogue.h"
#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinExCtrlsOffice.h"
#include "lib/controls/vlSkinTabs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/ImageList.h"
#include "platform/graphics/Picture.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Strings.h"

namespace {

// The picture of each group in the group list, by group index: built-in category icons that
// suit the group (common video, audio, HD, the two iPod and iPhone groups, PSP, phones, Apple,
// Xbox, media players, MP4, Flash).
constexpr int kGroupPictures[] = {0, 1, 16, 24, 24, 20, 4, 10, 17, 15, 10, 11};
static_assert(std::size(kGroupPictures) == kLegacyGroupCount);

// A skinned one-line text label sized to its text at (Left, Top) of Parent.
TvlSkinTextLabel* MakeTextLabel(TComponent* Owner, TWinControl* Parent, int Left, int Top, const std::string& Text,
                                TvlSkinData* SkinData) {
  auto* label = new TvlSkinTextLabel(Owner);
  label->SetParent(Parent);
  label->SetLeft(Left);
  label->SetTop(Top);
  label->Lines()->SetText(Text);
  label->SetSkinData(SkinData);
  return label;
}

TButton* MakeProcedureButton(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const char* Caption,
                             std::function<void()> Handler) {
  auto* button = new TButton(Owner);
  button->SetParent(Parent);
  button->SetBoundsRect(Bounds);
  button->SetCaption(Caption);
  if (Handler) button->OnClick = [Handler = std::move(Handler)](TObject*) { Handler(); };
  return button;
}

}  // namespace

TForm6::TForm6(TComponent* AOwner, TvlSkinData* SkinData, TCurrentPreset& MainFields,
               const TOutputFolder& OutputFolder, TLegacyPresetHooks Hooks)
    : TForm(AOwner) {
  SetName("Form6");
  vlVelmora1 = SetUpSkinnedForm(this, "设置选项", TFormBorderStyle::bsSingle, TPosition::poMainFormCenter,
                                kLegacyPresetClientWidth, kLegacyPresetClientHeight, SkinData);
  vlVelmora1->SetShowIcon(false);
  Font()->SetName("Tahoma");
  Font()->SetHeight(-11);

  BuildPickers(SkinData);
  BuildProcedureButtons();
  Convexa = new TConvexa(this);
  BuildOptionPages(SkinData);
  BuildDialogButtons(SkinData);

  // The group list's form data, before anything listens to it.
  TLegacyPresetModel::LoadGroupList(*vlSkinOfficeComboBox2);
  const TOptionChoosers lists{*vlSkinComboBox1, *vlSkinComboBox2, *vlSkinComboBox3,
                              *vlSkinComboBox4, *vlSkinComboBox9, *vlSkinComboBox10};
  model_ = std::make_unique<TLegacyPresetModel>(*vlSkinOfficeComboBox2, *vlSkinOfficeComboBox1, lists, MainFields,
                                                OutputFolder, std::move(Hooks));
  OnCreate = [this](TObject*) { FormCreate(); };
}

// The model lets go of the lists first, then the adapters of their controls; the form frees the
// controls.
TForm6::~TForm6() { model_.reset(); }

void TForm6::BuildPickers(TvlSkinData* SkinData) {
  vlSkinPanel2 = MakeSkinPanel(this, this, Box(39, 36, 625, 109), "panel", SkinData);
  vlSkinPanel2->SetBorderStyle(TvlSkinBorderStyle::bvFrame);
  vlSkinPanel2->SetCaptionMode(false);
  vlSkinTextLabel5 = MakeTextLabel(this, vlSkinPanel2, 17, 48, "输出格式：", SkinData);

  ImageList1 = new TImageList(this);
  ImageList1->SetSize(32, 32);
  for (int group : kGroupPictures) {
    std::unique_ptr<TBitmap> picture = LoadBuiltinPicture("VL_CATEGORY_" + std::to_string(group));
    ImageList1->Add(picture.get(), nullptr);
  }
  ImageList2 = new TImageList(this);
  ImageList2->SetSize(32, 32);

  TFont listFont;
  listFont.SetName("宋体");
  listFont.SetHeight(-12);
  const auto setUp = [&listFont](TvlSkinOfficeComboBox* Box, const char* ListElement, int ListWidth, int ItemHeight,
                                 bool Titles) {
    Box->SetToolButtonStyle(true);
    Box->SetShowItemTitle(true);
    Box->SetShowItemImage(true);
    Box->SetShowItemText(true);
    Box->SetListBoxSkinDataName(ListElement);
    Box->ListBoxWidth = ListWidth;
    Box->SetListBoxItemHeight(ItemHeight);
    Box->SetListBoxHeaderHeight(20);
    Box->SetListBoxShowItemTitles(Titles);
    Box->SetListBoxShowLines(Titles);
    Box->SetUseSkinFont(Titles);
    Box->SetListBoxUseSkinFont(Titles);
    Box->SetDefaultFont(&listFont);
    Box->SetListBoxDefaultFont(&listFont);
    Box->AlphaBlendValue = 200;
    Box->HideSelection = true;
    Box->SetDropDownCount(4);
  };
  vlSkinOfficeComboBox2 =
      std::make_unique<TPresetPickerBox>(this, vlSkinPanel2, Box(83, 33, 126, 51), SkinData, ImageList1);
  setUp(vlSkinOfficeComboBox2->Control(), "resizetoolpanel", 119, 50, false);
  vlSkinOfficeComboBox1 =
      std::make_unique<TPresetPickerBox>(this, vlSkinPanel2, Box(215, 33, 400, 51), SkinData, nullptr);
  setUp(vlSkinOfficeComboBox1->Control(), "listbox", 0, 60, true);
  vlSkinOfficeComboBox1->Control()->AlphaBlendAnimation = true;

  // A button the window never shows and nothing clicks.
  vlSkinButton1 = new TvlSkinButton(this);
  vlSkinButton1->SetSkinDataName("resizebutton");
  vlSkinButton1->SetVisible(false);
  vlSkinButton1->SetParent(vlSkinPanel2);
  vlSkinButton1->SetBoundsRect(Box(621, 139, 55, 51));
  vlSkinButton1->SetCaption("设置");
}

void TForm6::BuildProcedureButtons() {
  // The window's subroutines, on a panel the user never sees.
  Panel1 = new TPanel(this);
  Panel1->SetVisible(false);
  Panel1->SetParent(this);
  Panel1->SetBoundsRect(Box(690, 161, 305, 305));
  Panel1->SetCaption("Panel1");
  Image1 = new TImage(this);
  Image1->SetParent(Panel1);
  Image1->SetBoundsRect(Box(46, 158, 171, 103));
  std::unique_ptr<TBitmap> picture = LoadBuiltinPicture("VL_PREVIEW_IDLE");
  Image1->Picture()->SetBitmap(picture.get());

  Button6 = MakeProcedureButton(this, Panel1, Box(32, 47, 75, 25), "初始化数据", [this] { Button6Click(); });
  Button5 = MakeProcedureButton(this, Panel1, Box(113, 47, 126, 25), "根据combox添加数据", [this] { Button5Click(); });
  Button7 = MakeProcedureButton(this, Panel1, Box(230, 47, 75, 25), "确认oo数据", nullptr);
  Button2 = MakeProcedureButton(this, Panel1, Box(32, 78, 104, 25), "添加combox", [this] { Button2Click(); });
  Button13 = MakeProcedureButton(this, Panel1, Box(32, 109, 113, 25), "确认预置选项数据", [this] { Button13Click(); });
  Button11 = MakeProcedureButton(this, Panel1, Box(151, 78, 95, 25), "onchange用", nullptr);
  Button18 = MakeProcedureButton(this, Panel1, Box(42, 163, 143, 25), "根据combox添加预设选项", [this] { Button18Click(); });
}

void TForm6::BuildOptionPages(TvlSkinData* SkinData) {
  vlSkinPageControl1 = new TvlSkinPageControl(this);
  vlSkinPageControl1->SetParent(this);
  vlSkinPageControl1->SetBoundsRect(Box(39, 171, 625, 222));
  vlSkinPageControl1->SetDefaultItemHeight(20);
  vlSkinPageControl1->SetTabSpacing(1);
  vlSkinPageControl1->SetTabsOffset(0);
  const auto sheet = [this](const char* Caption) {
    auto* page = new TvlSkinTabSheet(this);
    page->SetCaption(Caption);
    page->SetPageControl(vlSkinPageControl1);
    return page;
  };
  vlSkinTabSheet1 = sheet("标准参数设置");
  vlSkinTabSheet2 = sheet("剪辑设置");
  FilterSheet = sheet("滤镜设置");
  vlSkinTabSheet3 = sheet("文字水印");
  vlSkinPageControl1->SetActivePageIndex(0);
  vlSkinPageControl1->SetSkinData(SkinData);

  // In tab order; each label stands above its list, aligned with it.
  struct TListPlace {
    std::unique_ptr<TOptionChooserBox>* List;
    const char* Label;
    TPoint LabelAt;
    TRect Bounds;
  };
  const TListPlace places[] = {
      {&vlSkinComboBox1, "视频分辨率：", {16, 24}, Box(16, 43, 289, 20)},
      {&vlSkinComboBox2, "视频比特率：", {342, 24}, Box(342, 43, 251, 20)},
      {&vlSkinComboBox9, "视频帧率：", {16, 69}, Box(16, 88, 289, 20)},
      {&vlSkinComboBox3, "音频比特率：", {16, 114}, Box(16, 133, 289, 20)},
      {&vlSkinComboBox10, "音频采样率：", {342, 114}, Box(342, 133, 251, 20)},
      {&vlSkinComboBox4, "视频缩放：", {342, 69}, Box(342, 88, 251, 20)},
  };
  int tabOrder = 0;
  for (const TListPlace& place : places) {
    MakeTextLabel(this, vlSkinTabSheet1, place.LabelAt.X, place.LabelAt.Y, place.Label, SkinData);
    *place.List = std::make_unique<TOptionChooserBox>(this, vlSkinTabSheet1, place.Bounds, SkinData);
    TvlSkinComboBox* box = (*place.List)->Control();
    box->SetDropDownCount(8);
    box->SetListBoxDefaultItemHeight(20);
    box->SetTabOrder(tabOrder++);
  }
}

void TForm6::BuildDialogButtons(TvlSkinData* SkinData) {
  vlSkinButton3 = MakeSkinButton(this, this, Box(594, 416, 69, 25), "取消", SkinData);
  vlSkinButton2 = MakeSkinButton(this, this, Box(480, 416, 69, 25), "确定", SkinData);
  for (TvlSkinButton* button : {vlSkinButton3, vlSkinButton2}) {
    button->SetDefaultHeight(25);
    button->SetSpacing(10);
    button->SetUseSkinFont(false);
  }
  vlSkinButton3->OnClick = [this](TObject*) { vlSkinButton3Click(); };
  vlSkinButton2->OnClick = [this](TObject*) { vlSkinButton2Click(); };
}

void TForm6::FormCreate() { Button2->Click(); }

void TForm6::vlSkinButton2Click() {
  Button5->Click();
  Button13->Click();
  Close();
}

void TForm6::vlSkinButton3Click() { Close(); }

void TForm6::Button2Click() { model_->FillPresetList(); }

void TForm6::Button18Click() { model_->FillOptionLists(); }

void TForm6::Button5Click() { model_->ApplyParameters(); }

void TForm6::Button13Click() { model_->ReadOptionLists(); }

void TForm6::Button6Click() { model_->ResetFields(); }
