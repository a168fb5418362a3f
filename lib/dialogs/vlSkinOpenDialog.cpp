// The open and save dialog (TvlSkinOpenDialog) and its window (TvlOpenDlgForm).
#include "lib/dialogs/vlSkinOpenDialog.h"

#include <cerrno>

#include "lib/forms/Velmora.h"
#include "lib/dialogs/vlFileCtrl.h"
#include "lib/dialogs/vlMessages.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsBars.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/controls/vlSkinSizeGrip.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/dialogs/vlSkinShellComboBox.h"
#include "lib/dialogs/vlSkinShellListView.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Resources.h"
#include "platform/shell/ShellEnvironment.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kDefaultClientWidth = 450;
constexpr int kDefaultClientHeight = 290;

// The text after the last "/" of Path.
std::string NamePart(const std::string& Path) {
  const std::size_t slash = Path.rfind('/');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// The text up to and including the last "/" of Path; empty without one.
std::string FolderPart(const std::string& Path) {
  const std::size_t slash = Path.rfind('/');
  return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

// The extension of Path's name part from its last "." on, dot included; empty without a dot.
std::string Extension(const std::string& Path) {
  const std::string name = NamePart(Path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool Contains(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }

// A speed button of the tool bar with the program's picture Glyph (none when the program has
// no such picture).
TvlSkinSpeedButton* MakeToolButton(TvlOpenDlgForm* Form, TvlSkinSpeedButton* Button, TWinControl* Parent, int Width,
                                   const char* SkinName, const char* Glyph, const std::string& Hint, bool Flat) {
  Button->SetLeft(Form->Width());  // created left to right: each ends up right of the one before
  Button->SetParent(Parent);
  Button->SetAlign(TAlign::alRight);
  Button->SetDefaultWidth(Width);
  Button->SetDefaultHeight(25);
  Button->SkinDataName = SkinName;
  Button->SetNumGlyphs(1);
  if (FindResourceData(Glyph, RT_BITMAP)) {
    TBitmap glyph;
    glyph.LoadFromResourceName(HInstance(), Glyph);
    Button->SetGlyph(&glyph);
  }
  Button->SetHint(Hint);
  Button->SetShowHint(true);
  Button->SetFlat(Flat);
  return Button;
}

TvlSkinBevel* MakeSpacer(TvlOpenDlgForm* Form, TWinControl* Parent, TAlign Align) {
  auto* gap = new TvlSkinBevel(Form);
  gap->SetLeft(Align == TAlign::alRight ? Form->Width() : 0);
  gap->SetParent(Parent);
  gap->SetAlign(Align);
  gap->SetWidth(10);
  gap->SetShape(TBevelShape::bsSpacer);
  return gap;
}

TvlSkinStdLabel* MakeLabel(TvlOpenDlgForm* Form, TWinControl* Parent, const std::string& Caption, int Left, int Top) {
  auto* label = new TvlSkinStdLabel(Form);
  label->SetParent(Parent);
  label->SetAutoSize(true);
  label->SetLeft(Left);
  label->SetTop(Top);
  label->SetCaption(Caption);
  return label;
}

}  // namespace

// ---- TvlOpenDlgForm --------------------------------------------------------------------------------

std::string TvlOpenDlgForm::Text(const char* Key) const { return vlInterfaceText(FCtrlSD, Key); }

void TvlOpenDlgForm::AddToolButton(TvlSkinSpeedButton* Button, int Width, const char* SkinName, const char* Glyph,
                                   const std::string& Hint, bool Flat) {
  MakeToolButton(this, Button, ToolPanel, Width, SkinName, Glyph, Hint, Flat);
}

TvlOpenDlgForm* TvlOpenDlgForm::CreateEx(TComponent* AOwner, bool ASaveMode, TvlSkinData* ACtrlSkinData,
                                         bool AToolButtonsTransparent) {
  auto* form = CreateForm<TvlOpenDlgForm>(AOwner);
  std::unique_ptr<TvlOpenDlgForm> guard(form);  // freed when building fails
  BuildControls(form, ASaveMode, ACtrlSkinData, AToolButtonsTransparent, kDefaultClientWidth);
  return guard.release();
}

void TvlOpenDlgForm::BuildControls(TvlOpenDlgForm* form, bool ASaveMode, TvlSkinData* ACtrlSkinData,
                                   bool AToolButtonsTransparent, int AClientWidth) {
  form->FSaveMode = ASaveMode;
  form->SetKeyPreview(true);
  form->SetPosition(TPosition::poScreenCenter);
  // Built at the default size, so the anchored controls keep their distances when Execute sizes it.
  form->SetClientWidth(AClientWidth);
  form->SetClientHeight(kDefaultClientHeight);
  form->VMR = new TvlVelmora(form);
  form->FCtrlSD = ACtrlSkinData;
  const bool flat = AToolButtonsTransparent;

  auto* tools = new TvlSkinToolBar(form);
  tools->SetParent(form);
  tools->SetAlign(TAlign::alTop);
  tools->SetDefaultHeight(25);
  tools->SetBorderStyle(TvlSkinBorderStyle::bvNone);
  tools->SetSkinDataName("toolpanel");
  form->ToolPanel = tools;
  MakeSpacer(form, tools, TAlign::alLeft);

  auto* look = new TvlSkinStdLabel(form);
  look->SetLeft(10);
  look->SetParent(tools);
  look->SetAlign(TAlign::alLeft);
  look->SetAutoSize(true);
  look->SetLayout(TTextLayout::tlCenter);
  look->SetCaption(form->Text("FLV_LOOKIN"));
  form->Drivelabel = look;

  form->BackToolButton = MakeToolButton(form, new TvlSkinSpeedButton(form), tools, 27, "toolbutton", "VL_BACK",
                                        form->Text("MSG_BTN_BACK_HINT"), flat);
  form->BackToolButton->OnClick = [form](TObject* Sender) { form->BackToolButtonClick(Sender); };
  form->UpToolButton = MakeToolButton(form, new TvlSkinSpeedButton(form), tools, 27, "toolbutton", "VL_UP",
                                      form->Text("MSG_BTN_UP_HINT"), flat);
  form->UpToolButton->OnClick = [form](TObject* Sender) { form->UpToolButtonClick(Sender); };
  form->NewFolderToolButton = MakeToolButton(form, new TvlSkinSpeedButton(form), tools, 27, "toolbutton",
                                             "VL_NEWFOLDER", form->Text("MSG_BTN_NEWFOLDER_HINT"), flat);
  form->NewFolderToolButton->OnClick = [form](TObject* Sender) { form->NewFolderToolButtonClick(Sender); };
  MakeSpacer(form, tools, TAlign::alRight);

  auto* menu = new TvlSkinPopupMenu(form);
  form->StylePopupMenu = menu;
  struct TStyleItem {
    TMenuItem* TvlOpenDlgForm::*Field;
    const char* Key;
    void (TvlOpenDlgForm::*Handler)(TObject*);
  };
  for (const TStyleItem& spec : {TStyleItem{&TvlOpenDlgForm::IconMenuItem, "MSG_LV_ICON", &TvlOpenDlgForm::IconItemClick},
                                 TStyleItem{&TvlOpenDlgForm::SmallIconMenuItem, "MSG_LV_SMALLICON",
                                            &TvlOpenDlgForm::SmallIconItemClick},
                                 TStyleItem{&TvlOpenDlgForm::ListMenuItem, "MSG_LV_LIST", &TvlOpenDlgForm::ListItemClick},
                                 TStyleItem{&TvlOpenDlgForm::ReportMenuItem, "MSG_LV_DETAILS",
                                            &TvlOpenDlgForm::ReportItemClick}}) {
    auto* item = new TMenuItem(form);
    item->SetCaption(form->Text(spec.Key));
    item->SetRadioItem(true);
    item->OnClick = [form, handler = spec.Handler](TObject* Sender) { (form->*handler)(Sender); };
    menu->Items()->Add(item);
    form->*spec.Field = item;
  }
  auto* style = new TvlSkinMenuSpeedButton(form);
  MakeToolButton(form, style, tools, 37, "toolmenubutton", "VL_LVSTYLE", form->Text("MSG_BTN_VIEWMENU_HINT"), flat);
  style->SetSkinPopupMenu(menu);
  form->StyleToolButton = style;

  auto* shellBox = new TvlSkinShellComboBox(form);
  shellBox->SetParent(tools);
  shellBox->SetAlign(TAlign::alClient);
  shellBox->SetWidth(190);
  shellBox->SetDropDownCount(10);
  form->ShellBox = shellBox;

  auto* bottom = new TvlSkinPanel(form);
  bottom->SetParent(form);
  bottom->SetAlign(TAlign::alBottom);
  bottom->SetHeight(80);
  bottom->SetBorderStyle(TvlSkinBorderStyle::bvNone);
  form->BottomPanel = bottom;

  auto* listPanel = new TvlSkinPanel(form);
  listPanel->SetParent(form);
  listPanel->SetAlign(TAlign::alClient);
  listPanel->SetBorderStyle(TvlSkinBorderStyle::bvFrame);
  form->FileListViewPanel = listPanel;

  auto* hbar = vlNewDialogScrollBar(form, listPanel, TScrollBarKind::sbHorizontal);
  form->FLVHScrollBar = hbar;

  auto* vbar = vlNewDialogScrollBar(form, listPanel, TScrollBarKind::sbVertical);
  form->FLVVScrollBar = vbar;

  auto* list = new TvlSkinFileListView(form);
  list->SetParent(listPanel);
  list->SetAlign(TAlign::alClient);
  list->SetViewStyle(TViewStyle::vsList);
  list->SetShowColumnHeaders(true);
  list->SetHScrollBar(hbar);
  list->SetVScrollBar(vbar);
  list->OnChange = [form](TObject* Sender, TListItem* Item, TItemChange Change) { form->FLVChange(Sender, Item, Change); };
  list->OnPathChanged = [form](TObject* Sender) { form->FLVPathChange(Sender); };
  list->OnDblClick = [form](TObject* Sender) { form->FLVDBLClick(Sender); };
  list->OnKeyPress = [form](TObject* Sender, char32_t& Key) { form->FLVKeyPress(Sender, Key); };
  list->SetShellComboBox(shellBox);
  shellBox->SetShellListView(list);
  form->FileListView = list;

  const int width = bottom->ClientWidth();
  auto* edit = new TvlSkinEdit(form);
  edit->SetParent(bottom);
  edit->SetBounds(70, 10, width - 160, 21);
  edit->SetDefaultHeight(21);
  edit->SetAnchors(TAnchors{TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight});
  edit->OnKeyPress = [form](TObject* Sender, char32_t& Key) { form->EditKeyPress(Sender, Key); };
  form->FileNameEdit = edit;

  auto* filter = new TvlSkinFilterComboBox(form);
  filter->SetParent(bottom);
  filter->SetBounds(70, 45, width - 160, 21);
  filter->SetDefaultHeight(21);
  filter->SetAnchors(TAnchors{TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight});
  filter->OnChange = [form](TObject* Sender) { form->FCBChange(Sender); };
  form->FilterComboBox = filter;

  struct TButtonSpec {
    TvlSkinButton* TvlOpenDlgForm::*Field;
    const char* Key;
    int Top;
  };
  for (const TButtonSpec& spec :
       {TButtonSpec{&TvlOpenDlgForm::OpenButton, ASaveMode ? "MSG_BTN_SAVE" : "MSG_BTN_OPEN", 10},
        TButtonSpec{&TvlOpenDlgForm::CancelButton, "MSG_BTN_CANCEL", 45}}) {
    auto* b = new TvlSkinButton(form);
    b->SetParent(bottom);
    b->SetBounds(width - 80, spec.Top, 70, 25);
    b->SetDefaultHeight(25);
    b->SetAnchors(TAnchors{TAnchorKind::akTop, TAnchorKind::akRight});
    b->SetCaption(form->Text(spec.Key));
    b->SetCanFocused(true);
    form->*spec.Field = b;
  }
  form->OpenButton->OnClick = [form](TObject* Sender) { form->OpenButtonClick(Sender); };
  form->CancelButton->ModalResult = mrCancel;
  form->CancelButton->Cancel = true;
  form->OpenFileLabel = MakeLabel(form, bottom, form->Text("MSG_FILENAME"), 10, 10);
  form->FileTypeLabel = MakeLabel(form, bottom, form->Text("MSG_FILETYPE"), 10, 45);
  form->SizeGrip = new TvlSkinSizeGrip(form);
  form->SizeGrip->PlaceInCorner(bottom);

  form->SetActiveControl(edit);
}

TvlOpenDlgForm::~TvlOpenDlgForm() { FFolderHistory.clear(); }

// ---- Names -------------------------------------------------------------------------------------------

std::string TvlOpenDlgForm::MaskExtension() const {
  const std::string mask = FilterComboBox->Mask();
  if (Contains(mask, ".*")) return {};
  const std::size_t semicolon = mask.find(';');
  return Extension(semicolon == std::string::npos ? mask : mask.substr(0, semicolon));
}

std::string TvlOpenDlgForm::CompletedName(const std::string& Name) const {
  if (!Extension(Name).empty()) return Name;
  return Name + (DefaultExt.empty() ? MaskExtension() : "." + DefaultExt);
}

std::string TvlOpenDlgForm::FolderPrefix() const {
  std::string path = FileListView->Path();
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string TvlOpenDlgForm::TypedPath(const std::string& Typed) const {
  // A typed full path stands for itself; any other name lies in the list's folder (never in the
  // process's current folder).
  return !Typed.empty() && Typed[0] == '/' ? Typed : FolderPrefix() + Typed;
}

// ---- Open button and keys ----------------------------------------------------------------------

bool TvlOpenDlgForm::ConfirmOverwrite() {
  auto* message = new TvlSkinMessage(this);
  std::unique_ptr<TvlSkinMessage> owned(message);
  message->SetSkinData(VMR->SkinData());
  message->SetCtrlSkinData(FCtrlSD);
  return message->MessageDlg(Text("MSG_OVERWRITE"), TMsgDlgType::mtWarning,
                             TMsgDlgButtons{TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel}, 0) == mrOk;
}

void TvlOpenDlgForm::OpenButtonClick(TObject*) {
  const std::string typed = FileNameEdit->Text();
  // A typed path names the file itself, whatever the list has selected.
  const std::string selected = Contains(typed, "/") ? std::string() : FileListView->GetSelectedFile();
  std::string candidate;
  if (!FSaveMode && selected.empty() && CheckFileExists && !typed.empty()) {
    candidate = CompletedName(TypedPath(typed));
    if (!FileExists(candidate)) return;
  }
  if (typed.empty()) return;
  if (FSaveMode) {
    if (Contains(FileListView->Path() + "/" + typed, "*")) return;
    // The question and the answer use the same completed name, so the file asked about is the
    // file returned.
    const std::string target = CompletedName(TypedPath(typed));
    if (OverwritePromt && FileExists(target) && !ConfirmOverwrite()) return;
    FileName = target;
    SetModalResult(mrOk);
    return;
  }
  if (CheckFileExists) {
    FileName = selected.empty() ? candidate : selected;
    if (FileExists(FileName)) {
      SetModalResult(mrOk);
    } else {
      FileName.clear();
    }
    return;
  }
  FileName = selected.empty() ? CompletedName(TypedPath(typed)) : selected;
  SetModalResult(mrOk);
}

void TvlOpenDlgForm::EditKeyPress(TObject*, char32_t& Key) {
  if (Key != 13) return;
  const std::string typed = FileNameEdit->Text();
  if (Contains(typed, "*")) {
    FileListView->SetMask(typed);
  } else if (Contains(typed, "/")) {
    // A folder is opened in the list; a file is opened as the Open button would.
    if (const std::string path = TypedPath(typed); IsExistingFolder(path)) {
      FileListView->SetPath(path);
    } else {
      OpenButtonClick(this);
    }
  } else {
    OpenButtonClick(this);
  }
}

void TvlOpenDlgForm::FLVKeyPress(TObject*, char32_t& Key) {
  if (Key == 13 && !FileListView->GetSelectedFile().empty()) OpenButtonClick(this);
}

void TvlOpenDlgForm::FLVDBLClick(TObject*) {
  const std::string selected = FileListView->GetSelectedFile();
  if (selected.empty()) return;
  if (FSaveMode && OverwritePromt && !ConfirmOverwrite()) return;
  FileName = selected;
  SetModalResult(mrOk);
}

void TvlOpenDlgForm::FLVChange(TObject*, TListItem*, TItemChange) {
  const std::string name = NamePart(FileListView->GetSelectedFile());
  if (!name.empty()) FileNameEdit->SetText(name);
  if (OnFolderChange) OnFolderChange(this);
}

void TvlOpenDlgForm::FCBChange(TObject*) {
  FileListView->SetMask(FilterComboBox->Mask());
  if (!FSaveMode) return;
  const std::string extension = MaskExtension();
  std::string typed = FileNameEdit->Text();
  if (extension.empty() || typed.empty()) return;
  if (const std::string old = Extension(typed); !old.empty()) typed.erase(typed.find(old), old.size());
  FileNameEdit->SetText(typed + extension);
}

// ---- History and tool buttons ------------------------------------------------------------------

void TvlOpenDlgForm::InitHistory() {
  if (TvlShellFolder* folder = FileListView->RootFolder()) FFolderHistory.push_back(ItemListCopy(folder->AbsoluteID()));
}

void TvlOpenDlgForm::FLVPathChange(TObject*) {
  // A refresh reports the same folder again: the history records each visit once, so Back
  // always leads somewhere else.
  TvlShellFolder* current = FileListView->RootFolder();
  const bool again = current && !FFolderHistory.empty() && ItemListsEqual(FFolderHistory.back(), current->AbsoluteID());
  if (!FStopAddToHistory && !again) InitHistory();
  if (FileListView->Items()->Count() > 0) FileListView->Items()->Item(0)->SetFocused(true);
  if (OnFolderChange) OnFolderChange(this);
}

void TvlOpenDlgForm::BackToolButtonClick(TObject*) {
  if (FFolderHistory.size() < 2) return;
  FStopAddToHistory = true;
  try {
    const std::size_t previous = FFolderHistory.size() - 2;
    FileListView->OpenID(FFolderHistory[previous]);
    FFolderHistory.erase(FFolderHistory.begin() + static_cast<std::ptrdiff_t>(previous));
  } catch (...) {
    FStopAddToHistory = false;
    throw;
  }
  FStopAddToHistory = false;
}

void TvlOpenDlgForm::UpToolButtonClick(TObject*) { FileListView->Back(); }

void TvlOpenDlgForm::NewFolderToolButtonClick(TObject*) {
  const std::string path = FileListView->Path();
  if (path.empty() || path[0] != '/') return;  // a folder outside the file system
  ++FNewFolderCount;
  std::string name = Text("MSG_NEWFOLDER");
  if (FNewFolderCount > 1) name += "(" + std::to_string(FNewFolderCount) + ")";
  const std::string full = IncludeTrailingPathDelimiter(path) + name;
  if (DirectoryExists(full)) return;
  if (!CreateDir(full)) {
    const int error = errno;
    throw EInOutError(SysErrorMessage(error), error);
  }
  FileListView->Populate();
  for (int i = 0; i < FileListView->FolderCount(); ++i) {
    if (FileListView->FolderAt(i)->DisplayName() != name) continue;
    FileListView->Items()->Item(i)->MakeVisible(false);
    FileListView->Perform(LVM_EDITLABEL, static_cast<WPARAM>(i), 0);
    break;
  }
}

void TvlOpenDlgForm::SetViewStyle(TViewStyle Style, TMenuItem* Item) {
  FileListView->SetViewStyle(Style);
  for (TMenuItem* i : {IconMenuItem, SmallIconMenuItem, ListMenuItem, ReportMenuItem}) i->SetChecked(i == Item);
}

void TvlOpenDlgForm::IconItemClick(TObject*) { SetViewStyle(TViewStyle::vsIcon, IconMenuItem); }
void TvlOpenDlgForm::SmallIconItemClick(TObject*) { SetViewStyle(TViewStyle::vsSmallIcon, SmallIconMenuItem); }
void TvlOpenDlgForm::ListItemClick(TObject*) { SetViewStyle(TViewStyle::vsList, ListMenuItem); }
void TvlOpenDlgForm::ReportItemClick(TObject*) { SetViewStyle(TViewStyle::vsReport, ReportMenuItem); }

// ---- TvlSkinOpenDialog -------------------------------------------------------------------------

TvlSkinOpenDialog::TvlSkinOpenDialog(TComponent* AOwner)
    : TComponent(AOwner), FFiles(std::make_unique<TStringList>()), FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("Arial");
  FDefaultFont->SetHeight(14);
  FDefaultFont->SetStyle(TFontStyles{});
}

TvlSkinOpenDialog::~TvlSkinOpenDialog() {
  ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr), FCtrlFSD);
  ReplaceReference(FCtrlFSD, static_cast<TvlSkinData*>(nullptr));
}

void TvlSkinOpenDialog::SetSkinData(TvlSkinData* Value) { ReplaceReference(FSD, Value, FCtrlFSD); }
void TvlSkinOpenDialog::SetCtrlSkinData(TvlSkinData* Value) { ReplaceReference(FCtrlFSD, Value, FSD); }
void TvlSkinOpenDialog::SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }

void TvlSkinOpenDialog::SetFileName(const std::string& Value) {
  FFileName = Value;
  if (FDlgFrm) FDlgFrm->FileNameEdit->SetText(Value);
}

void TvlSkinOpenDialog::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FCtrlFSD) FCtrlFSD = nullptr;
}

std::string TvlSkinOpenDialog::GetSelectedFile() const {
  return FDlgFrm ? FDlgFrm->FileListView->GetSelectedFile() : std::string();
}

TvlOpenDlgForm* TvlSkinOpenDialog::CreateDialogForm() {
  return TvlOpenDlgForm::CreateEx(Application(), FSaveMode, FCtrlFSD, ToolButtonsTransparent);
}

std::string TvlSkinOpenDialog::StartFolder() const {
  // A folder that has gone since FileName was chosen falls back as a missing InitialDir does.
  const std::string folder = FolderPart(FFileName);
  if (!FFileName.empty() && !folder.empty() && IsExistingFolder(folder)) return folder;
  if (!InitialDir.empty() && IsExistingFolder(InitialDir)) return InitialDir;
  if (!FLastFolder.empty() && IsExistingFolder(FLastFolder)) return FLastFolder;
  if (const std::string home = ShellRoots().Home; !home.empty() && IsExistingFolder(home)) return home;
  return ExtractFilePath(Application()->ExeName());
}

bool TvlSkinOpenDialog::Execute() {
  if (OnShow) OnShow(this);
  TvlOpenDlgForm* form = CreateDialogForm();
  FDlgFrm = form;
  form->OverwritePromt = OverwritePromt;
  form->OnFolderChange = OnFolderChange;
  form->CheckFileExists = CheckFileExists;
  form->DefaultExt = DefaultExt;
  TWeak<TvlOpenDlgForm> alive(form);
  // On every way out: OnClose while the window still exists, then the window freed (unless a
  // handler freed it already).
  auto finish = [&] {
    if (OnClose) OnClose(this);
    FDlgFrm = nullptr;
    delete alive.Get();
  };
  bool accepted = false;
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
    for (TvlSkinComboBase* box : {static_cast<TvlSkinComboBase*>(form->ShellBox),
                                  static_cast<TvlSkinComboBase*>(form->FilterComboBox)}) {
      box->AlphaBlend = CtrlAlphaBlend;
      box->AlphaBlendValue = CtrlAlphaBlendValue;
      box->AlphaBlendAnimation = CtrlAlphaBlendAnimation;
    }
    vmr->SetMenusAlphaBlend(CtrlAlphaBlend);
    vmr->SetMenusAlphaBlendValue(CtrlAlphaBlendValue);
    vmr->SetMenusAlphaBlendAnimation(CtrlAlphaBlendAnimation);

    form->OpenButton->SetDefaultFont(FDefaultFont.get());
    form->CancelButton->SetDefaultFont(FDefaultFont.get());
    form->ShellBox->SetDefaultFont(FDefaultFont.get());
    form->FileListView->SetDefaultFont(FDefaultFont.get());

    TvlSkinFileListView* list = form->FileListView;
    TMenuItem* styleItem = ListViewStyle == TViewStyle::vsIcon        ? form->IconMenuItem
                           : ListViewStyle == TViewStyle::vsSmallIcon ? form->SmallIconMenuItem
                           : ListViewStyle == TViewStyle::vsReport    ? form->ReportMenuItem
                                                                      : form->ListMenuItem;
    styleItem->SetChecked(true);
    list->SetViewStyle(ListViewStyle);
    list->SetRoot(StartFolder());

    list->SetHeaderSkinDataName(LVHeaderSkinDataName);
    list->SetSkinData(FCtrlFSD);
    list->SetMultiSelect(MultiSelection);
    if (ShowHiddenFiles) list->SetObjectTypes(list->ObjectTypes() + TShellObjectTypes{TShellObjectType::otHidden});
    form->FilterComboBox->SetFilter(Filter);
    form->FilterComboBox->SetItemIndex(FilterIndex - 1);
    // The list takes the chosen entry's mask even when the box's text did not change.
    list->SetMask(form->FilterComboBox->Mask());

    for (TvlSkinControl* c : std::initializer_list<TvlSkinControl*>{
             form->FileListViewPanel, form->BottomPanel, form->SizeGrip, form->ToolPanel, form->FLVHScrollBar, form->FLVVScrollBar,
             form->FilterComboBox, form->OpenButton, form->CancelButton, form->ShellBox})
      c->SetSkinData(FCtrlFSD);
    for (TvlSkinStdLabel* l : {form->Drivelabel, form->OpenFileLabel, form->FileTypeLabel}) l->SetSkinData(FCtrlFSD);
    for (TvlSkinSpeedButton* b : std::initializer_list<TvlSkinSpeedButton*>{
             form->UpToolButton, form->BackToolButton, form->StyleToolButton, form->NewFolderToolButton})
      b->SetSkinData(FCtrlFSD);
    form->FileNameEdit->SetSkinData(FCtrlFSD);
    form->ShellBox->SetSkinDataName("combobox");

    int w = DialogWidth > 0 ? DialogWidth : FDefaultClientWidth;
    int h = DialogHeight > 0 ? DialogHeight : kDefaultClientHeight;
    if (FSD && !FSD->Empty) {
      w = std::max(w, vmr->GetMinWidth());
      h = std::max(h, vmr->GetMinHeight());
    }
    form->SetClientWidth(w);
    form->SetClientHeight(h);

    if (list->Items()->Count() > 0) list->Items()->Item(0)->SetFocused(true);
    form->FileNameEdit->SetText(NamePart(FFileName));
    form->InitHistory();
    BeforeShow(form);
    accepted = form->ShowModal() == mrOk;
    if (alive) {
      AfterRun(form);
      FilterIndex = form->FilterComboBox->ItemIndex() + 1;
      DialogWidth = form->ClientWidth();
      DialogHeight = form->ClientHeight();
      ListViewStyle = list->ViewStyle();
      if (const std::string shown = list->Path(); !shown.empty() && shown[0] == '/') FLastFolder = shown;
      if (accepted) {
        FFileName = form->FileName;
        // The save form returns completed names already; the rule is the same here.
        if (FSaveMode) FFileName = form->CompletedName(FFileName);
        list->GetSelectedFiles(FFiles.get());
        // A file opened by its typed path is the one file chosen: the rows selected meanwhile
        // are not (a typed name selects no row).
        if (FFiles->IndexOf(FFileName) < 0) FFiles->Clear();
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return accepted;
}
