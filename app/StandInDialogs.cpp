#include "app/StandInDialogs.h"

#include <memory>

#include "app/MainWindowControls.h"
#include "lib/Velmora.h"
#include "lib/vlSkinCtrls.h"
#include "lib/vlMessages.h"
#include "lib/vlSkinCtrlsButtons.h"
#include "lib/vlSkinSelectDirectoryDialog.h"
#include "platform/Application.h"
#include "platform/Edit.h"
#include "platform/SysUtils.h"

bool TStandInDialogs::AskPath(const std::string& Title, const std::string& Label, std::string& Path) {
  constexpr int kWidth = 460, kHeight = 124;
  std::unique_ptr<TForm> form(TForm::CreateNew(nullptr));
  SetUpSkinnedForm(form.get(), Title, TFormBorderStyle::bsDialog, TPosition::poMainFormCenter, kWidth, kHeight, skin_);
  MakeSkinLabel(form.get(), form.get(), Box(16, 22, 70, 24), Label, skin_);
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(88, 22, kWidth - 104, 24);
  edit->SetText(Path);
  TvlSkinButton* ok = MakeSkinButton(form.get(), form.get(), Box(kWidth - 16 - 2 * 84 - 8, 74, 84, 28), "确定", skin_);
  TvlSkinButton* cancel = MakeSkinButton(form.get(), form.get(), Box(kWidth - 16 - 84, 74, 84, 28), "取消", skin_);
  ok->ModalResult = mrOk;
  ok->SetDefault(true);
  cancel->ModalResult = mrCancel;
  cancel->Cancel = true;
  form->SetActiveControl(edit);
  if (form->ShowModal() != mrOk) return false;
  Path = Trim(edit->Text());
  return !Path.empty();
}

bool TStandInDialogs::OpenFiles(TOpenDialogState& Dialog) {
  std::string path = Dialog.FileName.empty() ? IncludeTrailingPathDelimiter(Dialog.InitialDir) : Dialog.FileName;
  if (Dialog.FileName.empty() && Dialog.InitialDir.empty()) path.clear();
  if (!AskPath(Dialog.Title, "文件名：", path)) return false;
  Dialog.FileName = path;
  Dialog.Files = {path};
  return true;
}

bool TStandInDialogs::SelectFolder(TFolderDialogState& Dialog) {
  TvlSkinSelectDirectoryDialog picker(nullptr);
  picker.SetSkinData(skin_);
  picker.SetCtrlSkinData(skin_);
  picker.ShowToolBar = true;
  picker.DialogWidth = kFolderDialogWidth;
  picker.DialogHeight = kFolderDialogHeight;
  picker.Title = Dialog.Title;
  picker.Directory = Dialog.Directory;
  if (!picker.Execute()) return false;
  Dialog.Directory = picker.Directory;
  return true;
}

void TStandInDialogs::ShowMessage(const std::string& Text, const std::string& Caption, TMsgDlgType Type) {
  TvlSkinMessage message(nullptr);
  message.SetSkinData(skin_);
  message.SetCtrlSkinData(skin_);
  message.MessageDlg2(Text, Caption, Type, {TMsgDlgBtn::mbOK}, 0);
}
