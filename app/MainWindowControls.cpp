#include "app/MainWindowControls.h"

#include <utility>

#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/controls/vlSkinExCtrlsOffice.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Gdi.h"
#include "platform/core/Resources.h"

TvlVelmora* SetUpSkinnedForm(TForm* Form, const std::string& Caption, TFormBorderStyle BorderStyle,
                             TPosition Position, int ClientWidth, int ClientHeight, TvlSkinData* SkinData) {
  Form->SetCaption(Caption);
  Form->SetBorderStyle(BorderStyle);
  Form->SetBorderIcons({});
  Form->SetPosition(Position);
  Form->SetClientWidth(ClientWidth);
  Form->SetClientHeight(ClientHeight);
  auto* skinner = new TvlVelmora(Form);
  // The caption offers only what the window can do: a window of fixed size is not maximised, and
  // a dialog is not minimised either.
  if (BorderStyle == TFormBorderStyle::bsDialog)
    skinner->SetBorderIcons(TvlBorderIcons{TvlBorderIcon::biSystemMenu});
  else if (BorderStyle == TFormBorderStyle::bsSingle)
    skinner->SetBorderIcons(TvlBorderIcons{TvlBorderIcon::biSystemMenu, TvlBorderIcon::biMinimize});
  skinner->SetSkinData(SkinData);
  skinner->ClientWidth = ClientWidth;
  skinner->ClientHeight = ClientHeight;
  return skinner;
}

void ShowCaptionHints(TvlVelmora* Skinner, TvlSkinHint* Hint) {
  Skinner->SetSkinHint(Hint);
  Skinner->ShowObjectHint = true;
}

TvlSkinStdLabel* MakeSkinLabel(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const std::string& Caption,
                               TvlSkinData* SkinData) {
  auto* label = new TvlSkinStdLabel(Owner);
  label->SetAutoSize(false);
  label->SetLayout(TTextLayout::tlCenter);
  label->SetParent(Parent);
  label->SetBoundsRect(Bounds);
  label->SetCaption(Caption);
  label->SetSkinData(SkinData);
  return label;
}

TvlSkinPanel* MakeSkinPanel(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const char* Element,
                            TvlSkinData* SkinData) {
  auto* panel = new TvlSkinPanel(Owner);
  panel->SetSkinDataName(Element);
  panel->SetParent(Parent);
  panel->SetBoundsRect(Bounds);
  panel->SetSkinData(SkinData);
  return panel;
}

TvlSkinGroupBox* MakeSkinGroup(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const std::string& Caption,
                               TvlSkinData* SkinData) {
  auto* group = new TvlSkinGroupBox(Owner);
  group->SetParent(Parent);
  group->SetBoundsRect(Bounds);
  group->SetCaption(Caption);
  group->SetSkinData(SkinData);
  return group;
}

TvlSkinButton* MakeSkinButton(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const std::string& Caption,
                              TvlSkinData* SkinData) {
  auto* button = new TvlSkinButton(Owner);
  button->SetParent(Parent);
  button->SetBoundsRect(Bounds);
  button->SetCaption(Caption);
  button->SetSkinData(SkinData);
  return button;
}

std::unique_ptr<TBitmap> LoadBuiltinPicture(const std::string& Name) {
  auto picture = std::make_unique<TBitmap>();
  try {
    picture->LoadFromResourceName(HInstance(), Name);
  } catch (const Exception&) {
    picture = std::make_unique<TBitmap>();
  }
  return picture;
}

// ---- Option chooser ----------------------------------------------------------------------------

TOptionChooserBox::TOptionChooserBox(TComponent* Owner, TWinControl* Parent, const TRect& Bounds,
                                     TvlSkinData* SkinData)
    : box_(new TvlSkinComboBox(Owner)) {
  box_->UseSkinSize = false;
  box_->SetParent(Parent);
  box_->SetBoundsRect(Bounds);
  box_->SetSkinData(SkinData);
  box_->OnChange = [this](TObject*) {
    if (on_change_) on_change_();
  };
}

TOptionChooserBox::~TOptionChooserBox() { box_->OnChange = nullptr; }

void TOptionChooserBox::ClearItems() {
  box_->Items()->Clear();
  box_->Invalidate();
}

void TOptionChooserBox::AddItem(std::string_view Text) { box_->Items()->Add(std::string(Text)); }

int TOptionChooserBox::ItemCount() const { return box_->Items()->Count(); }

int TOptionChooserBox::ItemIndex() const { return box_->ItemIndex(); }

void TOptionChooserBox::SetItemIndex(int Value) { box_->SetItemIndex(Value >= 0 && Value < ItemCount() ? Value : -1); }

std::string TOptionChooserBox::Text() const { return box_->Text(); }

bool TOptionChooserBox::Enabled() const { return box_->Enabled(); }

void TOptionChooserBox::SetEnabled(bool Value) { box_->SetEnabled(Value); }

void TOptionChooserBox::Pick(int Index) {
  if (Index >= 0 && Index < ItemCount()) box_->SetItemIndex(Index);
}

void TOptionChooserBox::DropDown() {
  if (ItemCount() > 0) box_->DropDown();
}

// ---- Preset picker -----------------------------------------------------------------------------

TPresetPickerBox::TPresetPickerBox(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, TvlSkinData* SkinData,
                                   TCustomImageList* Images)
    : box_(new TvlSkinOfficeComboBox(Owner)) {
  box_->UseSkinSize = false;
  box_->SetParent(Parent);
  box_->SetBoundsRect(Bounds);
  box_->SetImages(Images);
  box_->SetShowItemTitle(false);
  box_->SetListBoxShowItemTitles(false);
  box_->SetSkinData(SkinData);
  box_->OnChange = [this](TObject*) {
    if (on_change_) on_change_();
  };
}

TPresetPickerBox::~TPresetPickerBox() { box_->OnChange = nullptr; }

void TPresetPickerBox::ClearItems() {
  box_->Items()->Clear();
  box_->Invalidate();
}

void TPresetPickerBox::AddItem(std::string_view Caption, int ImageIndex) { AddTitledItem({}, Caption, ImageIndex); }

void TPresetPickerBox::AddTitledItem(std::string_view Title, std::string_view Caption, int ImageIndex) {
  auto* item = static_cast<TvlSkinOfficeItem*>(box_->Items()->Add());
  item->SetTitle(std::string(Title));
  item->SetCaption(std::string(Caption));
  item->SetImageIndex(ImageIndex);
}

int TPresetPickerBox::ItemCount() const { return box_->Items()->Count(); }

int TPresetPickerBox::ItemIndex() const {
  const int index = box_->ItemIndex();
  return index >= 0 && index < ItemCount() ? index : -1;
}

void TPresetPickerBox::SetItemIndex(int Value) { box_->SetItemIndex(Value >= 0 && Value < ItemCount() ? Value : -1); }

bool TPresetPickerBox::Enabled() const { return box_->Enabled(); }

void TPresetPickerBox::SetEnabled(bool Value) { box_->SetEnabled(Value); }

void TPresetPickerBox::DropDown() {
  if (ItemCount() > 0) box_->DropDown();
}
