#pragma once
// The converter's dialogs as the program shows them: the skin library's open dialog (one file or
// several), its folder picker (with the tool bar for a new folder) and its message box with one
// OK button, all drawn with the skin they are given. A dialog is built for each showing; what it
// keeps from one showing to the next (the filter entry, the size, the folder) lives in the
// caller's state record. GUI thread only.

#include "app/ConverterDialogs.h"

class TvlSkinData;

class TSkinnedDialogs : public IConverterDialogs {
 public:
  // The skin the dialogs are drawn with (the main window's; nullptr: the built-in look).
  void SetSkinData(TvlSkinData* Value) { skin_ = Value; }

  bool OpenFiles(TOpenDialogState& Dialog) override;
  bool SelectFolder(TFolderDialogState& Dialog) override;
  void ShowMessage(const std::string& Text, const std::string& Caption, TMsgDlgType Type) override;
  bool Confirm(const std::string& Text, const std::string& Caption) override;

 private:
  static constexpr int kFolderDialogWidth = 320;
  static constexpr int kFolderDialogHeight = 360;

  TvlSkinData* skin_ = nullptr;
};
