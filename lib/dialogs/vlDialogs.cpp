// The skin chooser (TvlSelectSkinDialog) and its window (TvlSelectSkinDlgForm).
#include "lib/dialogs/vlDialogs.h"

#include <algorithm>

#include "lib/forms/Velmora.h"
#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

namespace {

// Client size of the dialog unless the frame skin asks for more.
constexpr int kClientWidth = 420;
constexpr int kClientHeight = 240;
// Room kept right of the preview.
constexpr int kPreviewMargin = 10;

}  // namespace

// ---- TvlSelectSkinDlgForm -------------------------------------------------------------------------

TvlSelectSkinDlgForm* TvlSelectSkinDlgForm::Build(TComponent* AOwner, TvlSkinData* ACtrlSkinData) {
  auto* form = CreateForm<TvlSelectSkinDlgForm>(AOwner);
  std::unique_ptr<TvlSelectSkinDlgForm> guard(form);  // freed when building fails
  form->SetPosition(TPosition::poScreenCenter);
  form->SetBorderStyle(TFormBorderStyle::bsSingle);
  form->VMR = new TvlVelmora(form);
  TvlResourceStrData* table = ACtrlSkinData ? ACtrlSkinData->ResourceStrData() : nullptr;

  // The preview: a child form that never takes input, skinned from a container of its own.
  auto* preview = CreateForm<TForm>(form);
  preview->SetParent(form);
  preview->SetCaption(vlInterfaceText(ACtrlSkinData, "MSG_PREVIEWSKIN"));
  preview->SetEnabled(false);
  preview->SetBounds(0, 0, 220, 170);
  form->PreviewForm = preview;

  auto* previewSkin = new TvlSkinData(form);
  if (table) previewSkin->SetResourceStrData(table);
  form->PreviewSkinData = previewSkin;

  auto* sample = new TvlSkinButton(form);
  sample->SetParent(preview);
  sample->SetBounds(20, 20, 100, sample->Height());
  sample->SetCaption(vlInterfaceText(ACtrlSkinData, "MSG_PREVIEWBUTTON"));
  sample->SetSkinData(previewSkin);
  form->PreviewButton = sample;

  auto* previewVMR = new TvlVelmora(preview);
  previewVMR->PreviewMode = true;
  previewVMR->SetSkinData(previewSkin);
  form->PreviewVMR = previewVMR;

  struct TButtonSpec {
    TvlSkinButton* TvlSelectSkinDlgForm::*Field;
    const char* Key;
    int Left;
    TModalResult Result;
  };
  for (const TButtonSpec& spec : {TButtonSpec{&TvlSelectSkinDlgForm::OpenButton, "MSG_BTN_OK", 260, mrOk},
                                  TButtonSpec{&TvlSelectSkinDlgForm::CancelButton, "MSG_BTN_CANCEL", 340, mrCancel}}) {
    auto* b = new TvlSkinButton(form);
    b->SetDefault(spec.Result == mrOk);
    b->SetCaption(vlInterfaceText(ACtrlSkinData, spec.Key));
    b->SetCanFocused(true);
    b->SetBounds(spec.Left, 200, 70, 25);
    b->SetDefaultHeight(25);
    b->SetParent(form);
    b->ModalResult = spec.Result;
    b->Cancel = spec.Result == mrCancel;
    form->*spec.Field = b;
  }

  auto* list = new TvlSkinListBox(form);
  list->SetParent(form);
  list->SetBounds(10, 10, 170, 170);
  list->OnListBoxClick = [form](TObject* Sender) { form->SLBOnChange(Sender); };
  list->OnListBoxDblClick = [form](TObject* Sender) { form->SLBOnDblClick(Sender); };
  form->SkinsListBox = list;
  return guard.release();
}

void TvlSelectSkinDlgForm::FinishBuilding() {
  PreviewForm->SetBounds(190, 10, PreviewForm->Width(), PreviewForm->Height());
  PreviewForm->Show();
  SetActiveControl(SkinsListBox->ListBox);
}

TvlSelectSkinDlgForm* TvlSelectSkinDlgForm::CreateEx2(TComponent* AOwner, TvlCompressedSkinList* ASkinList,
                                                      int ASkinIndex, TvlSkinData* ACtrlSkinData) {
  TvlSelectSkinDlgForm* form = Build(AOwner, ACtrlSkinData);
  std::unique_ptr<TvlSelectSkinDlgForm> guard(form);
  form->FCSkinList = ASkinList;
  form->FCSkinIndex = ASkinIndex;
  TvlSkinListItems* items = ASkinList->Skins();
  for (int i = 0; i < items->Count(); ++i) {
    const TvlSkinListItem* item = items->GetItem(i);
    form->SkinsListBox->Items()->Add(item->Description.empty() ? item->Name : item->Description);
  }
  form->SkinsListBox->SetItemIndex(ASkinIndex);
  // Without a list the index is only stored; the list then loads that item when it exists.
  form->PreviewSkinData->SetSkinIndex(ASkinIndex);
  form->PreviewSkinData->SetSkinList(ASkinList);
  form->FinishBuilding();
  return guard.release();
}

TvlSelectSkinDlgForm* TvlSelectSkinDlgForm::CreateEx(TComponent* AOwner, TComponent* AForm,
                                                     TvlCompressedStoredSkin* ADefaultSkin,
                                                     TvlSkinData* ACtrlSkinData) {
  TvlSelectSkinDlgForm* form = Build(AOwner, ACtrlSkinData);
  std::unique_ptr<TvlSelectSkinDlgForm> guard(form);
  int row = 0;
  for (int i = 0; AForm && i < AForm->ComponentCount(); ++i) {
    auto* stored = dynamic_cast<TvlCompressedStoredSkin*>(AForm->Components(i));
    if (!stored) continue;
    if (stored == ADefaultSkin) row = static_cast<int>(form->SkinList.size());
    form->SkinList.push_back(stored);
    form->SkinsListBox->Items()->Add(stored->Description.empty() ? stored->Name() : stored->Description);
  }
  if (form->SkinList.empty()) throw EListError(Format("List index out of bounds (%d)", row));
  form->SkinsListBox->SetItemIndex(row);
  form->PreviewSkinData->SetCompressedStoredSkin(form->SkinList[static_cast<std::size_t>(row)]);
  form->FinishBuilding();
  return guard.release();
}

TvlCompressedStoredSkin* TvlSelectSkinDlgForm::SelectedSkin() const { return PreviewSkinData->CompressedStoredSkin(); }

void TvlSelectSkinDlgForm::SLBOnChange(TObject*) {
  const int row = SkinsListBox->ItemIndex();
  if (FCSkinList) {
    PreviewSkinData->SetSkinIndex(row);
  } else if (row >= 0 && row < static_cast<int>(SkinList.size())) {
    PreviewSkinData->SetCompressedStoredSkin(SkinList[static_cast<std::size_t>(row)]);
  }
}

void TvlSelectSkinDlgForm::SLBOnDblClick(TObject*) { SetModalResult(mrOk); }

// ---- TvlSelectSkinDialog --------------------------------------------------------------------------

TvlSelectSkinDialog::TvlSelectSkinDialog(TComponent* AOwner)
    : TComponent(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("Arial");
  FDefaultFont->SetHeight(14);
  FDefaultFont->SetStyle(TFontStyles{});
}

TvlSelectSkinDialog::~TvlSelectSkinDialog() {
  ReplaceReference(FSkinList, static_cast<TvlCompressedSkinList*>(nullptr));
  ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr), FCtrlFSD);
  ReplaceReference(FCtrlFSD, static_cast<TvlSkinData*>(nullptr));
  ReplaceReference(FSelectedSkin, static_cast<TvlCompressedStoredSkin*>(nullptr));
}

void TvlSelectSkinDialog::SetSkinList(TvlCompressedSkinList* Value) { ReplaceReference(FSkinList, Value); }
void TvlSelectSkinDialog::SetSkinData(TvlSkinData* Value) { ReplaceReference(FSD, Value, FCtrlFSD); }
void TvlSelectSkinDialog::SetCtrlSkinData(TvlSkinData* Value) { ReplaceReference(FCtrlFSD, Value, FSD); }
void TvlSelectSkinDialog::SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }

void TvlSelectSkinDialog::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSkinList) FSkinList = nullptr;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FCtrlFSD) FCtrlFSD = nullptr;
  if (AComponent == FSelectedSkin) FSelectedSkin = nullptr;
}

bool TvlSelectSkinDialog::Execute(int SkinIndex) {
  if (!FSkinList) return false;
  FSelectedSkinIndex = -1;
  ReplaceReference(FSelectedSkin, static_cast<TvlCompressedStoredSkin*>(nullptr));
  TvlSelectSkinDlgForm* form = TvlSelectSkinDlgForm::CreateEx2(Application(), FSkinList, SkinIndex, FCtrlFSD);
  TvlSkinData* preview = form->PreviewSkinData;
  int chosen = -1;
  const bool confirmed = Run(form, [&] { chosen = preview->SkinIndex(); });
  // Only an index that names an item is a choice: a start index outside the list that was
  // confirmed without a click names none.
  if (!confirmed || !FSkinList || chosen < 0 || chosen >= FSkinList->Skins()->Count()) return false;
  FSelectedSkinIndex = chosen;
  return true;
}

bool TvlSelectSkinDialog::Execute(TvlCompressedStoredSkin* DefaultCompressedSkin) {
  ReplaceReference(FSelectedSkin, static_cast<TvlCompressedStoredSkin*>(nullptr));
  TComponent* owner = Owner();
  const bool anyStored = owner && [owner] {
    for (int i = 0; i < owner->ComponentCount(); ++i)
      if (dynamic_cast<TvlCompressedStoredSkin*>(owner->Components(i))) return true;
    return false;
  }();
  if (!anyStored) return false;
  TvlSelectSkinDlgForm* form = TvlSelectSkinDlgForm::CreateEx(Application(), owner, DefaultCompressedSkin, FCtrlFSD);
  TvlCompressedStoredSkin* chosen = nullptr;
  const bool confirmed = Run(form, [&] { chosen = form->SelectedSkin(); });
  if (!confirmed || !chosen) return false;
  ReplaceReference(FSelectedSkin, chosen);
  return true;
}

bool TvlSelectSkinDialog::Run(TvlSelectSkinDlgForm* Form, const std::function<void()>& ReadResult) {
  FDlgFrm = Form;
  TWeak<TvlSelectSkinDlgForm> alive(Form);
  // On every way out the window is freed (unless a handler freed it already).
  auto finish = [&] {
    FDlgFrm = nullptr;
    delete alive.Get();
  };
  bool confirmed = false;
  try {
    Form->SetCaption(Title);
    TvlVelmora* vmr = Form->VMR;
    vmr->SetBorderIcons(TvlBorderIcons{});
    vmr->SetSkinData(FSD);
    vmr->SetMenusSkinData(FCtrlFSD);
    vmr->SetAlphaBlend(AlphaBlend);
    vmr->AlphaBlendAnimation = AlphaBlendAnimation;
    vmr->SetAlphaBlendValue(AlphaBlendValue);

    for (TvlSkinCustomControl* c : std::initializer_list<TvlSkinCustomControl*>{
             Form->OpenButton, Form->CancelButton, Form->SkinsListBox}) {
      c->SetDefaultFont(FDefaultFont.get());
      c->SetSkinData(FCtrlFSD);
    }

    int w = kClientWidth;
    int h = kClientHeight;
    if (FSD && !FSD->Empty) {
      w = std::max(w, vmr->GetMinWidth());
      h = std::max(h, vmr->GetMinHeight());
    }
    // A preview skin whose frame is wider than the preview's place widens the preview (its form
    // skinner keeps the skin's minimum): the dialog makes room for it rather than cut it off.
    w = std::max(w, Form->PreviewForm->Left() + Form->PreviewForm->Width() + kPreviewMargin);
    Form->SetClientWidth(w);
    Form->SetClientHeight(h);

    confirmed = Form->ShowModal() == mrOk && alive;
    if (confirmed) ReadResult();
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return confirmed;
}
