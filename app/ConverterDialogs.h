#pragma once
// The dialogs the converter's windows open: the open dialogs of the add operations, the folder
// choosers (add a folder, choose the output folder) and message boxes. Each dialog keeps its
// settings in a state record the window owns (title, filter, the filter and folder last used),
// and one service shows them. The program shows the skinned dialogs; tests put scripted answers
// in its place. GUI thread only.

#include <string>
#include <vector>

#include "platform/controls/Dialogs.h"

// An open dialog (OpenDialog1 for one file, OpenDialog2 for several). It opens in the folder of
// FileName, else in InitialDir (after every showing the folder the user left it in), else in the
// user's home folder.
struct TOpenDialogState {
  std::string Title;
  std::string Filter;            // "description|patterns|description|patterns|..."
  int FilterIndex = 1;           // the entry shown, from 1; remembered from one showing to the next
  bool MultiSelection = false;
  std::string InitialDir;
  std::string FileName;          // after a confirmed showing: the chosen file (the first of several)
  std::vector<std::string> Files;  // after a confirmed showing: the chosen files, in the list's order
  // The client size the dialog had when it closed, taken again at the next showing (0: the
  // dialog's own first size).
  int DialogWidth = 0;
  int DialogHeight = 0;
};

// A folder chooser (vlSkinSelectDirectoryDialog1 and 2).
struct TFolderDialogState {
  std::string Title;
  std::string Directory;  // where it opens; after a confirmed showing, the chosen folder
};

class IConverterDialogs {
 public:
  virtual ~IConverterDialogs() = default;
  // Shows the open dialog modally; true when the user confirmed, Dialog.FileName and Files then
  // hold the choice. A cancelled dialog changes neither.
  virtual bool OpenFiles(TOpenDialogState& Dialog) = 0;
  // Shows the folder chooser modally; true when the user pressed OK, Dialog.Directory then holds
  // the chosen folder. A cancelled chooser leaves Directory as it was.
  virtual bool SelectFolder(TFolderDialogState& Dialog) = 0;
  // A modal message box: the text, the caption, the icon of Type and one OK button.
  virtual void ShowMessage(const std::string& Text, const std::string& Caption, TMsgDlgType Type) = 0;
  // A modal question with the buttons "是" and "否"; true when the user answered "是" (closing the
  // box answers "否").
  virtual bool Confirm(const std::string& Text, const std::string& Caption) = 0;
};
