#pragma once
// The converter's dialogs as the program shows them today.
//
// FIXME: The skinned open dialog (OpenFiles), the skinned folder picker (SelectFolder) and the
// skinned message box (ShowMessage) take these places once the skin library has them. Until
// then a file or folder is typed into a small skinned window (one path; the add of several files
// takes one at a time), and messages use the platform's message box.
//
// GUI thread only.

#include "app/ConverterDialogs.h"

class TvlSkinData;

class TStandInDialogs : public IConverterDialogs {
 public:
  // The skin the path window is drawn with (the main window's; nullptr: the built-in look).
  void SetSkinData(TvlSkinData* Value) { skin_ = Value; }

  bool OpenFiles(TOpenDialogState& Dialog) override;
  bool SelectFolder(TFolderDialogState& Dialog) override;
  void ShowMessage(const std::string& Text, const std::string& Caption, TMsgDlgType Type) override;

 private:
  // A path typed into a modal window titled Title, starting with Start; false when cancelled.
  bool AskPath(const std::string& Title, const std::string& Label, std::string& Path);

  TvlSkinData* skin_ = nullptr;
};
