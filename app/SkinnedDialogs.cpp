#include "app/SkinnedDialogs.h"

#include "lib/dialogs/vlMessages.h"
#include "lib/dialogs/vlSkinOpenDialog.h"
#include "lib/dialogs/vlSkinSelectDirectoryDialog.h"
#include "platform/core/Strings.h"

bool TSkinnedDialogs::OpenFiles(TOpenDialogState& Dialog) {
  TvlSkinOpenDialog picker(nullptr);
  picker.SetSkinData(skin_);
  picker.SetCtrlSkinData(skin_);
  picker.Title = Dialog.Title;
  picker.Filter = Dialog.Filter;
  picker.FilterIndex = Dialog.FilterIndex;
  picker.MultiSelection = Dialog.MultiSelection;
  picker.InitialDir = Dialog.InitialDir;
  picker.SetFileName(Dialog.FileName);
  picker.DialogWidth = Dialog.DialogWidth;
  picker.DialogHeight = Dialog.DialogHeight;
  const bool confirmed = picker.Execute();
  // The entry and the size the user left are kept, also when the dialog was cancelled.
  Dialog.FilterIndex = picker.FilterIndex;
  Dialog.DialogWidth = picker.DialogWidth;
  Dialog.DialogHeight = picker.DialogHeight;
  // The next showing opens where the user left this one.
  if (!picker.LastFolder().empty()) Dialog.InitialDir = picker.LastFolder();
  if (!confirmed) return false;
  Dialog.FileName = picker.FileName();
  Dialog.Files.clear();
  for (int i = 0; i < picker.Files()->Count(); ++i) Dialog.Files.push_back(picker.Files()->Strings(i));
  // A typed name selects no row of the list: it is the one file chosen.
  if (Dialog.Files.empty()) Dialog.Files.push_back(Dialog.FileName);
  return true;
}

bool TSkinnedDialogs::SelectFolder(TFolderDialogState& Dialog) {
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

void TSkinnedDialogs::ShowMessage(const std::string& Text, const std::string& Caption, TMsgDlgType Type) {
  TvlSkinMessage message(nullptr);
  message.SetSkinData(skin_);
  message.SetCtrlSkinData(skin_);
  message.MessageDlg2(Text, Caption, Type, {TMsgDlgBtn::mbOK}, 0);
}

bool TSkinnedDialogs::Confirm(const std::string& Text, const std::string& Caption) {
  TvlSkinMessage message(nullptr);
  message.SetSkinData(skin_);
  message.SetCtrlSkinData(skin_);
  return message.MessageDlg2(Text, Caption, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, 0) ==
         mrYes;
}
