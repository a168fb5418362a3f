#include "app/MainWindowControls.h"

#include "lib/vlSkinBoxCtrlsCombo.h"

#include <utility>

#include "lib/Velmora.h"
#include "lib/vlSkinCtrls.h"
#include "lib/vlSkinData.h"
#include "lib/vlSkinMenus.h"
#include "lib/vlUtils.h"
#include "platform/Gdi.h"
#include "platform/Resources.h"

namespace {

// The chosen text (and picture) with a drop-down arrow: the face of both pickers.
constexpr int kArrowWidth = 16;

// The arrow at the right of a box's face.
void DrawArrow(TCanvas* Canvas, const TRect& R) {
  DrawDropDownArrow(Canvas, TRect{R.Right - kArrowWidth, R.Top, R.Right, R.Bottom}, Canvas->Font()->Color());
}

void DrawText(TCanvas* Canvas, const std::string& Text, TRect R, UINT Format) {
  Canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawTextWide(Canvas, Text, R, Format | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

TvlSkinButton* MakeBox(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, TvlSkinData* SkinData) {
  auto* box = new TvlSkinButton(Owner);
  box->UseSkinSize = false;
  box->SetCanFocused(true);
  box->SetParent(Parent);
  box->SetBoundsRect(Bounds);
  box->SetSkinData(SkinData);
  return box;
}

// The popup list of a box: one radio item per entry, the chosen one checked, running Pick.
void FillMenu(TvlSkinPopupMenu* Menu, const std::vector<std::string>& Captions, int Chosen,
              const std::function<void(int)>& Pick) {
  Menu->Items()->Clear();
  for (int i = 0; i < static_cast<int>(Captions.size()); ++i) {
    auto* item = new TMenuItem(Menu);
    item->SetCaption(Captions[i]);
    item->SetRadioItem(true);
    item->SetChecked(i == Chosen);
    item->OnClick = [Pick, i](TObject*) { Pick(i); };
    Menu->Items()->Add(item);
  }
}

void PopupUnder(TvlSkinPopupMenu* Menu, TControl* Box) {
  const TPoint topLeft = Box->ClientToScreen(TPoint{0, 0});
  Menu->PopupFromRect2(Box, TRect{topLeft.X, topLeft.Y, topLeft.X + Box->Width(), topLeft.Y + Box->Height()}, false);
}

}  // namespace

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
                                   std::function<TBitmap*(int ImageIndex)> Pictures)
    : box_(MakeBox(Owner, Parent, Bounds, SkinData)), menu_(new TvlSkinPopupMenu(Owner)), pictures_(std::move(Pictures)) {
  box_->OnPaint = [this](TObject*, TCanvas* Canvas, TRect R, bool, bool, bool& DrawDefault) {
    DrawDefault = false;
    Paint(Canvas, R);
  };
  box_->OnClick = [this](TObject*) { DropDown(); };
}

TPresetPickerBox::~TPresetPickerBox() {
  box_->OnPaint = nullptr;
  box_->OnClick = nullptr;
}

void TPresetPickerBox::Paint(TCanvas* Canvas, const TRect&) {
  if (index_ < 0) return;
  const TItem& item = items_[index_];
  const TRect face{0, 0, box_->Width(), box_->Height()};
  TRect text{face.Left + 8, face.Top, face.Right - kArrowWidth, face.Bottom};
  if (TBitmap* picture = pictures_ ? pictures_(item.ImageIndex) : nullptr; picture && !picture->Empty()) {
    picture->SetTransparent(true);
    Canvas->Draw(text.Left, (face.Height() - picture->Height()) / 2, picture);
    text.Left += picture->Width() + 6;
  }
  DrawText(Canvas, item.Caption, text, DT_LEFT);
  DrawArrow(Canvas, face);
}

void TPresetPickerBox::ClearItems() {
  items_.clear();
  index_ = -1;
  box_->Invalidate();
}

void TPresetPickerBox::AddItem(std::string_view Caption, int ImageIndex) {
  items_.push_back({std::string(Caption), ImageIndex, {}});
}

void TPresetPickerBox::AddTitledItem(std::string_view Title, std::string_view Caption, int ImageIndex) {
  items_.push_back({std::string(Caption), ImageIndex, std::string(Title)});
}

void TPresetPickerBox::SetItemIndex(int Value) {
  index_ = Value >= 0 && Value < ItemCount() ? Value : -1;
  box_->Invalidate();
  if (on_change_) on_change_();
}

bool TPresetPickerBox::Enabled() const { return box_->Enabled(); }

void TPresetPickerBox::SetEnabled(bool Value) { box_->SetEnabled(Value); }

void TPresetPickerBox::DropDown() {
  if (items_.empty()) return;
  std::vector<std::string> captions;
  for (const TItem& item : items_) captions.push_back(item.Caption);
  FillMenu(menu_, captions, index_, [this](int Index) { SetItemIndex(Index); });
  PopupUnder(menu_, box_);
}
