// The folder picker (TvlSkinSelectDirectoryDialog) and its window (TvlSelDirDlgForm).
#include "lib/dialogs/vlSkinSelectDirectoryDialog.h"

#include <cerrno>

#include "lib/forms/Velmora.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlconst.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Resources.h"
#include "platform/core/SysUtils.h"
#include "lib/forms/Velmora.h"
#include "lib/dialogs/vlMessages.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlconst.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Resources.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kDefaultClientSize = 280;

}  // namespace

// ---- TvlSelDirDlgForm -----------------------------------------------------------------------------

TvlSelDirDlgForm* TvlSelDirDlgForm::CreateEx(TComponent* AOwner, TvlSkinData* ACtrlSkinData, bool AShowToolBar,
                                             bool AToolButtonsTransparent) {
  auto* form = CreateForm<TvlSelDirDlgForm>(AOwner);
  std::unique_ptr<TvlSelDirDlgForm> guard(form);  // freed when building fails
  form->SetKeyPreview(true);
  form->SetPosition(TPosition::poScreenCenter);
  form->VMR = new TvlVelmora(form);
  form->CtrlSD = ACtrlSkinData;
  form->ShowToolBar = AShowToolBar;

  if (AShowToolBar) {
    auto* tools = new TvlSkinPanel(form);
    tools->SetParent(form);
    tools->SetAlign(TAlign::alTop);
    tools->SetBorderStyle(TvlSkinBorderStyle::bvNone);
    tools->SetDefaultHeight(25);
    tools->SetSkinDataName("toolpanel");
    form->ToolPanel = tools;

    auto* button = new TvlSkinSpeedButton(form);
    button->SetLeft(form->Width());  // so it ends up rightmost
    button->SetParent(tools);
    button->SetAlign(TAlign::alRight);
    button->SetDefaultHeight(25);
    button->SetDefaultWidth(27);
    button->SkinDataName = "toolbutton";
    button->SetNumGlyphs(1);
    // A program without its built-in pictures shows the button without one.
    if (FindResourceData("VL_NEWFOLDER", RT_BITMAP)) {
      TBitmap glyph;
      glyph.LoadFromResourceName(HInstance(), "VL_NEWFOLDER");
      button->SetGlyph(&glyph);
    }
    button->SetHint(vlInterfaceText(ACtrlSkinData, "MSG_BTN_NEWFOLDER_HINT"));
    button->SetShowHint(true);
    button->OnClick = [form](TObject* Sender) { form->NewFolderToolButtonClick(Sender); };
    button->SetFlat(AToolButtonsTransparent);
    form->NewFolderToolButton = button;

    auto* gap = new TvlSkinBevel(form);
    gap->SetLeft(0);
    gap->SetParent(tools);
    gap->SetAlign(TAlign::alRight);
    gap->SetWidth(5);
    gap->SetShape(TBevelShape::bsSpacer);

    auto* edit = new TvlSkinEdit(form);
    edit->SetParent(tools);
    edit->SetAlign(TAlign::alClient);
    edit->SetDefaultHeight(25);
    edit->SetSkinDataName("edit");
    edit->OnKeyPress = [form](TObject* Sender, char32_t& Key) { form->DirEditKeyPress(Sender, Key); };
    form->DirEdit = edit;
  }

  auto* treePanel = new TvlSkinPanel(form);
  treePanel->SetParent(form);
  treePanel->SetAlign(TAlign::alClient);
  treePanel->SetBorderStyle(TvlSkinBorderStyle::bvFrame);
  treePanel->SetHeight(200);
  form->DirTreeViewPanel = treePanel;

  auto* vbar = vlNewDialogScrollBar(form, treePanel, TScrollBarKind::sbVertical);
  form->VScrollBar = vbar;

  auto* hbar = vlNewDialogScrollBar(form, treePanel, TScrollBarKind::sbHorizontal);
  form->HScrollBar = hbar;

  auto* tree = new TvlSkinDirTreeView(form);
  tree->SetParent(treePanel);
  tree->SetAlign(TAlign::alClient);
  tree->SetHScrollBar(hbar);
  tree->SetVScrollBar(vbar);
  tree->OnChange = [form](TObject* Sender, TTreeNode* Node) { form->DirTreeViewChange(Sender, Node); };
  form->DirTreeView = tree;

  auto* bottom = new TvlSkinPanel(form);
  bottom->SetParent(form);
  bottom->SetAlign(TAlign::alBottom);
  bottom->SetBorderStyle(TvlSkinBorderStyle::bvNone);
  bottom->SetHeight(50);
  form->BottomPanel = bottom;

  struct TButtonSpec {
    TvlSkinButton* TvlSelDirDlgForm::*Field;
    const char* Key;
    int Left;
    TModalResult Result;
  };
  for (const TButtonSpec& spec : {TButtonSpec{&TvlSelDirDlgForm::OkButton, "MSG_BTN_OK", 20, mrOk},
                                  TButtonSpec{&TvlSelDirDlgForm::CancelButton, "MSG_BTN_CANCEL", 100, mrCancel}}) {
    auto* b = new TvlSkinButton(form);
    b->SetDefault(spec.Result == mrOk);
    b->SetCaption(vlInterfaceText(ACtrlSkinData, spec.Key));
    b->SetCanFocused(true);
    b->SetBounds(spec.Left, 15, 70, 25);
    b->SetDefaultHeight(25);
    b->SetParent(bottom);
    b->ModalResult = spec.Result;
    b->Cancel = spec.Result == mrCancel;
    form->*spec.Field = b;
  }
  form->OkButton->OnClick = [form](TObject* Sender) { form->OkButtonClick(Sender); };
  return guard.release();
}

void TvlSelDirDlgForm::DirEditKeyPress(TObject*, char32_t& Key) {
  if (Key != 13 || !DirEdit) return;
  const std::string text = DirEdit->Text();
  if (!text.empty() && DirectoryExists(text)) DirTreeView->SetPath(text);
}

void TvlSelDirDlgForm::OkButtonClick(TObject*) {
  ChosenPath = DirTreeView->Path();
  if (!ShowToolBar || !DirEdit) return;
  std::string typed = Trim(DirEdit->Text());
  while (typed.size() > 1 && typed.back() == '/') typed.pop_back();
  if (typed.empty() || typed == ChosenPath) return;
  if (typed[0] == '/' && DirectoryExists(typed)) {
    ChosenPath = typed;
    return;
  }
  SetModalResult(mrNone);
  ChosenPath.clear();
  auto message = std::make_unique<TvlSkinMessage>(this);
  message->SetSkinData(VMR ? VMR->SkinData() : nullptr);
  message->SetCtrlSkinData(CtrlSD);
  message->MessageDlg("找不到文件夹“" + typed + "”。请输入一个已有文件夹的完整路径（以“/”开头），或在列表中选择文件夹。",
                      TMsgDlgType::mtWarning, TMsgDlgButtons{TMsgDlgBtn::mbOK}, 0);
}

void TvlSelDirDlgForm::DirTreeViewChange(TObject*, TTreeNode*) {
  if (ShowToolBar && DirEdit) DirEdit->SetText(DirTreeView->Path());
}

void TvlSelDirDlgForm::NewFolderToolButtonClick(TObject*) {
  const std::string name = vlInterfaceText(CtrlSD, "MSG_NEWFOLDER");
  const std::string parent = DirTreeView->Path();
  // Only folders of the file system take a new folder (virtual ones have no path); a path that
  // ends in the separator already (the file system's root) gets no second one.
  if (!DirTreeView->Selected() || parent.empty() || parent[0] != '/' || name.empty()) return;
  const std::string path = IncludeTrailingPathDelimiter(parent) + name;
  if (DirectoryExists(path)) return;
  if (!CreateDir(path)) {
    const int error = errno;
    throw EInOutError(SysErrorMessage(error), error);
  }
  DirTreeView->Refresh(DirTreeView->Selected());
}

// ---- TvlSkinSelectDirectoryDialog -----------------------------------------------------------------

TvlSkinSelectDirectoryDialog::TvlSkinSelectDirectoryDialog(TComponent* AOwner)
    : TComponent(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("Arial");
  FDefaultFont->SetHeight(14);
  FDefaultFont->SetStyle(TFontStyles{});
}

TvlSkinSelectDirectoryDialog::~TvlSkinSelectDirectoryDialog() {
  ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr), FCtrlFSD);
  ReplaceReference(FCtrlFSD, static_cast<TvlSkinData*>(nullptr));
}

void TvlSkinSelectDirectoryDialog::SetSkinData(TvlSkinData* Value) { ReplaceReference(FSD, Value, FCtrlFSD); }
void TvlSkinSelectDirectoryDialog::SetCtrlSkinData(TvlSkinData* Value) { ReplaceReference(FCtrlFSD, Value, FSD); }
void TvlSkinSelectDirectoryDialog::SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }

void TvlSkinSelectDirectoryDialog::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FCtrlFSD) FCtrlFSD = nullptr;
}

void TvlSkinSelectDirectoryDialog::Change() {
  if (OnChange) OnChange(this);
}

bool TvlSkinSelectDirectoryDialog::Execute() {
  if (OnShow) OnShow(this);
  TvlSelDirDlgForm* form = TvlSelDirDlgForm::CreateEx(Application(), FCtrlFSD, ShowToolBar, ToolButtonsTransparent);
  FDlgFrm = form;
  TWeak<TvlSelDirDlgForm> alive(form);
  // On every way out: OnClose, the window freed (unless a handler freed it already).
  auto finish = [&] {
    FDlgFrm = nullptr;
    if (OnClose) OnClose(this);
    delete alive.Get();
  };
  bool confirmed = false;
  try {
    form->SetCaption(Title);
    TvlVelmora* vmr = form->VMR;
    vmr->SetBorderIcons(TvlBorderIcons{});
    vmr->SetSkinData(FSD);
    vmr->SetMenusSkinData(FCtrlFSD);
    vmr->MinWidth = DialogMinWidth;
    vmr->MinHeight = DialogMinHeight;
    vmr->SetAlphaBlend(AlphaBlend);
    vmr->AlphaBlendAnimation = AlphaBlendAnimation;
    vmr->SetAlphaBlendValue(AlphaBlendValue);

    form->DirTreeViewPanel->SetSkinData(FCtrlFSD);
    TvlSkinDirTreeView* tree = form->DirTreeView;
    tree->SetDefaultFont(FDefaultFont.get());
    tree->SetSkinData(FCtrlFSD);
    if (ShowHiddenFiles || Directory.find("/.") != std::string::npos)
      tree->SetObjectTypes(tree->ObjectTypes() + TShellObjectTypes{TShellObjectType::otHidden});
    if (!Directory.empty() && DirectoryExists(Directory))
      tree->SetPath(Directory);
    else
      tree->ExpandMyComputer();

    for (TvlSkinControl* c : std::initializer_list<TvlSkinControl*>{form->HScrollBar, form->VScrollBar, form->OkButton,
                                                                     form->CancelButton, form->BottomPanel})
      c->SetSkinData(FCtrlFSD);
    form->OkButton->SetDefaultFont(FDefaultFont.get());
    form->CancelButton->SetDefaultFont(FDefaultFont.get());
    if (form->ShowToolBar) {
      form->ToolPanel->SetSkinData(FCtrlFSD);
      form->NewFolderToolButton->SetSkinData(FCtrlFSD);
      form->DirEdit->SetSkinData(FCtrlFSD);
    }

    int w = DialogWidth > 0 ? DialogWidth : kDefaultClientSize;
    int h = DialogHeight > 0 ? DialogHeight : kDefaultClientSize;
    if (FSD && !FSD->Empty) {
      w = std::max(w, vmr->GetMinWidth());
      h = std::max(h, vmr->GetMinHeight());
    }
    form->SetClientWidth(w);
    form->SetClientHeight(h);
    form->SetActiveControl(tree);

    confirmed = form->ShowModal() == mrOk;
    if (alive) {
      DialogWidth = form->ClientWidth();
      DialogHeight = form->ClientHeight();
      if (confirmed) {
        Directory = form->ChosenPath.empty() ? tree->Path() : form->ChosenPath;
        Change();
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return confirmed;
}
