// The picture dialogs (TvlSkinOpenPictureDialog, TvlSkinSavePictureDialog) and their window
// (TvlOpenPictureDlgForm).
#include "lib/dialogs/vlSkinPictureDialog.h"

#include <filesystem>
#include <system_error>

#include "lib/dialogs/vlFileCtrl.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/dialogs/vlSkinShellListView.h"
#include "platform/controls/Application.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/graphics/Picture.h"

namespace {

constexpr int kPictureClientWidth = 550;
constexpr int kImagePanelWidth = 200;

// The file name part of Path.
std::string NameOf(const std::string& Path) {
  const std::size_t slash = Path.rfind('/');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

}  // namespace

// ---- TvlOpenPictureDlgForm --------------------------------------------------------------------------

TvlOpenPictureDlgForm* TvlOpenPictureDlgForm::CreateEx(TComponent* AOwner, bool ASaveMode, TvlSkinData* ACtrlSkinData,
                                                       bool AToolButtonsTransparent) {
  auto* form = CreateForm<TvlOpenPictureDlgForm>(AOwner);
  std::unique_ptr<TvlOpenPictureDlgForm> guard(form);  // freed when building fails
  BuildControls(form, ASaveMode, ACtrlSkinData, AToolButtonsTransparent, kPictureClientWidth);

  // The preview pane at the right edge, the splitter left of it; the file list panel (client
  // aligned) takes what is left.
  auto* pane = new TvlSkinPanel(form);
  pane->SetLeft(form->Width());
  pane->SetParent(form);
  pane->SetAlign(TAlign::alRight);
  pane->SetWidth(kImagePanelWidth);
  pane->SetBorderStyle(TvlSkinBorderStyle::bvFrame);
  form->ImagePanel = pane;

  auto* splitter = new TvlSkinSplitter(form);
  splitter->SetLeft(pane->Left() - 1);
  splitter->SetParent(form);
  splitter->SetAlign(TAlign::alRight);
  splitter->SetDefaultSize(10);
  splitter->SetWidth(10);
  splitter->SetBeveled(false);
  form->Splitter = splitter;

  auto* vbar = vlNewDialogScrollBar(form, pane, TScrollBarKind::sbVertical);
  form->SBVScrollBar = vbar;

  auto* hbar = vlNewDialogScrollBar(form, pane, TScrollBarKind::sbHorizontal);
  form->SBHScrollBar = hbar;

  auto* box = new TvlSkinScrollBox(form);
  box->SetParent(pane);
  box->SetAlign(TAlign::alClient);
  box->SetBorderStyle(TvlSkinBorderStyle::bvNone);
  box->SetHScrollBar(hbar);
  box->SetVScrollBar(vbar);
  form->ScrollBox = box;

  auto* image = new TImage(form);
  image->SetParent(box);
  image->SetBounds(0, 0, 0, 0);
  form->Image = image;

  auto* stretch = new TvlSkinSpeedButton(form);
  form->AddToolButton(stretch, 27, "toolbutton", "VL_STRETCH", form->Text("MSG_BTN_STRETCH_HINT"),
                      AToolButtonsTransparent);
  stretch->SetGroupIndex(2);
  stretch->AllowAllUp = true;
  stretch->OnClick = [form](TObject* Sender) { form->StretchButtonClick(Sender); };
  form->StretchButton = stretch;

  // The edit, the filter box and the buttons keep their places when the dialog is resized.
  const TAnchors fixed{TAnchorKind::akLeft, TAnchorKind::akTop};
  form->FileNameEdit->SetAnchors(fixed);
  form->FileNameEdit->SetBounds(70, 10, 280, 21);
  form->FilterComboBox->SetAnchors(fixed);
  form->FilterComboBox->SetBounds(70, 45, 280, 21);
  form->OpenButton->SetAnchors(fixed);
  form->OpenButton->SetBounds(370, 10, 70, 25);
  form->CancelButton->SetAnchors(fixed);
  form->CancelButton->SetBounds(370, 45, 70, 25);
  form->CheckFileExists = false;
  return guard.release();
}

bool TvlOpenPictureDlgForm::Stretched() const { return StretchButton->Down(); }

void TvlOpenPictureDlgForm::FitImageToPicture() {
  if (Stretched()) return;
  Image->SetBounds(Image->Left(), Image->Top(), Image->Picture()->Width(), Image->Picture()->Height());
  ScrollBox->UpDateScrollRange();
}

bool TvlOpenPictureDlgForm::ShowPicture(const std::string& FileName) {
  bool loaded = false;
  std::error_code error;
  const auto size = std::filesystem::file_size(FileName, error);
  if (!error && size <= static_cast<std::uintmax_t>(kvlMaxPreviewFileSize)) {
    try {
      Image->Picture()->LoadFromFile(FileName);
      const std::int64_t pixels = std::int64_t{Image->Picture()->Width()} * Image->Picture()->Height();
      loaded = pixels > 0 && pixels <= kvlMaxPreviewPixels;
    } catch (const Exception&) {
      // Not a picture of a known kind, or a damaged one: the empty preview below.
    }
  }
  if (!loaded) Image->Picture()->SetGraphic(nullptr);
  FitImageToPicture();
  return loaded;
}

void TvlOpenPictureDlgForm::FLVChange(TObject*, TListItem*, TItemChange) {
  const std::string selected = FileListView->GetSelectedFile();
  const std::string name = NameOf(selected);
  FileNameEdit->SetText(name);
  if (!name.empty()) {
    ShowPicture(FolderPrefix() + name);
  } else {
    // The last picture stays in the image, so a stretched preview keeps showing it.
    Image->SetBounds(Image->Left(), Image->Top(), 0, 0);
  }
}

void TvlOpenPictureDlgForm::StretchButtonClick(TObject*) {
  Image->SetVisible(false);
  if (Stretched()) {
    // With the image hidden the box has nothing to scroll: the bars go, and the image then
    // fills exactly the visible area.
    ScrollBox->UpDateScrollRange();
    Image->SetStretch(true);
    Image->SetAlign(TAlign::alClient);
    Image->SetVisible(true);
  } else {
    Image->SetAlign(TAlign::alNone);
    Image->SetBounds(0, 0, Image->Picture()->Width(), Image->Picture()->Height());
    Image->SetStretch(false);
    Image->SetVisible(true);
    ScrollBox->UpDateScrollRange();
  }
}

// ---- TvlSkinOpenPictureDialog -----------------------------------------------------------------------

TvlSkinOpenPictureDialog::TvlSkinOpenPictureDialog(TComponent* AOwner) : TvlSkinOpenDialog(AOwner) {
  AlphaBlendValue = 200;
  Title = "Open picture";
  Filter =
      "All (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|"
      "Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";
  FDefaultClientWidth = kPictureClientWidth;
}

TvlOpenDlgForm* TvlSkinOpenPictureDialog::CreateDialogForm() {
  return TvlOpenPictureDlgForm::CreateEx(Application(), FSaveMode, CtrlSkinData(), ToolButtonsTransparent);
}

void TvlSkinOpenPictureDialog::BeforeShow(TvlOpenDlgForm* Form) {
  auto* form = static_cast<TvlOpenPictureDlgForm*>(Form);
  // The picture dialogs complete names with the filter's extension alone and report no folder
  // changes.
  form->DefaultExt.clear();
  form->OnFolderChange = nullptr;
  form->ImagePanel->SetWidth(ImagePanelWidth);
  TvlSkinData* ctrl = CtrlSkinData();
  form->ImagePanel->SetSkinData(ctrl);
  form->ScrollBox->SetSkinData(ctrl);
  form->SBHScrollBar->SetSkinData(ctrl);
  form->SBVScrollBar->SetSkinData(ctrl);
  form->StretchButton->SetSkinData(ctrl);
  form->Splitter->SetSkinData(ctrl);
  form->StretchButton->SetDefaultFont(DefaultFont());

  if (StretchPicture || DialogStretch) {
    form->StretchButton->SetDown(true);
    form->Image->SetVisible(false);
    form->ScrollBox->UpDateScrollRange();
    form->Image->SetStretch(true);
    form->Image->SetAlign(TAlign::alClient);
    form->Image->SetVisible(true);
  }
  // The initial preview: the named file when it exists.
  if (!FileName().empty() && std::filesystem::is_regular_file(FileName())) form->ShowPicture(FileName());
}

void TvlSkinOpenPictureDialog::AfterRun(TvlOpenDlgForm* Form) {
  auto* form = static_cast<TvlOpenPictureDlgForm*>(Form);
  DialogStretch = form->StretchButton->Down();
  ImagePanelWidth = form->ImagePanel->Width();
}

TvlSkinSavePictureDialog::TvlSkinSavePictureDialog(TComponent* AOwner) : TvlSkinOpenPictureDialog(AOwner) {
  Title = "Save file";
  FSaveMode = true;
}
