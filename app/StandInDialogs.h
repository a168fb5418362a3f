#pragma once
// The converter's dialogs as the program shows them today.
//
// SelectFolder is the skinned folder picker (with its tool bar for a new folder), ShowMessage the
// skinned message box with one OK button.
//
// FIXME: The skinned open dialog (OpenFiles) takes its place once the skin library has it. Until
// then a file is typed into a small skinned window (one path; the add of several files takes one
// at a time).
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

  static constexpr int kFolderDialogWidth = 320;
  static constexpr int kFolderDialogHeight = 360;

  TvlSkinData* skin_ = nullptr;
};
