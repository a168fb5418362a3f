#pragma once
// The folder picker: a component whose Execute builds a skinned modal window of the library's
// own controls (a shell folder tree with external scroll bars, an optional tool bar with a path
// edit and a new-folder button, OK and Cancel), runs it, reads the chosen folder and frees the
// window. The component keeps its settings, the window's client size of the last run and, after
// OK, the chosen folder, where the next run starts. Nothing here changes the process's current
// folder. GUI thread only.

#include <memory>
#include <string>

#include "lib/dialogs/vlSkinShellTreeView.h"
#include "platform/controls/Forms.h"

class TvlSkinData;
class TvlVelmora;
class TvlSkinPanel;
class TvlSkinScrollBar;
class TvlSkinButton;
class TvlSkinSpeedButton;
class TvlSkinEdit;

// The window of one run.
class TvlSelDirDlgForm : public TForm {
 public:
  // Builds the window: the tree panel fills the client area between the optional tool bar (25
  // high) and the button panel (50 high, OK at (20, 15), Cancel at (100, 15), both 70 x 25).
  // Texts come from ACtrlSkinData's interface text table, the built-in ones without a table.
  static TvlSelDirDlgForm* CreateEx(TComponent* AOwner, TvlSkinData* ACtrlSkinData, bool AShowToolBar,
                                    bool AToolButtonsTransparent);
  explicit TvlSelDirDlgForm(TComponent* AOwner) : TForm(AOwner) {}

  // Enter in the path edit selects the folder it names (when it exists); the key goes on.
  void DirEditKeyPress(TObject* Sender, char32_t& Key);
  // 确定: the folder the user typed into the path edit (when it differs from the tree's), else
  // the tree's selection, goes into ChosenPath. A typed folder that does not exist keeps the
  // dialog open and says so.
  void OkButtonClick(TObject* Sender);
  // The edit shows the selected folder's path.
  void DirTreeViewChange(TObject* Sender, TTreeNode* Node);
  // Creates the folder "New Folder" (the table's "MSG_NEWFOLDER") in the selected folder of the
  // file system and lists it there; nothing when it exists already or the selection is not a
  // folder of the file system. Raises EInOutError when the folder cannot be made.
  void NewFolderToolButtonClick(TObject* Sender);

  std::string ChosenPath;  // the answer, set by 确定
  TvlSkinData* CtrlSD = nullptr;
  bool ShowToolBar = false;
  TvlVelmora* VMR = nullptr;
  TvlSkinPanel* DirTreeViewPanel = nullptr;
  TvlSkinPanel* BottomPanel = nullptr;
  TvlSkinDirTreeView* DirTreeView = nullptr;
  TvlSkinScrollBar* VScrollBar = nullptr;
  TvlSkinScrollBar* HScrollBar = nullptr;
  TvlSkinButton* OkButton = nullptr;
  TvlSkinButton* CancelButton = nullptr;
  TvlSkinPanel* ToolPanel = nullptr;
  TvlSkinSpeedButton* NewFolderToolButton = nullptr;
  TvlSkinEdit* DirEdit = nullptr;
};

class TvlSkinSelectDirectoryDialog : public TComponent {
 public:
  explicit TvlSkinSelectDirectoryDialog(TComponent* AOwner);
  ~TvlSkinSelectDirectoryDialog() override;

  // Shows the window modally, opened at Directory when that folder exists, else at the computer
  // node expanded. True when the user pressed OK; only then Directory is the chosen folder. The
  // client size is stored in DialogWidth and DialogHeight after OK and Cancel alike. OnShow fires
  // before the window exists, OnClose after it is gone, on every path.
  bool Execute();

  bool ToolButtonsTransparent = false;
  // Client size; 0 or less: 280.
  int DialogWidth = 0;
  int DialogHeight = 0;
  // Handed to the window's form skinner.
  int DialogMinWidth = 0;
  int DialogMinHeight = 0;
  bool AlphaBlend = false;
  BYTE AlphaBlendValue = 200;
  bool AlphaBlendAnimation = false;
  bool ShowToolBar = false;
  // Hidden folders (names starting with ".") are listed only when this is on, or when Directory
  // itself lies in one.
  bool ShowHiddenFiles = false;
  std::string Title = "Select folder";
  std::string Directory;

  // Skin of the window frame.
  [[nodiscard]] TvlSkinData* SkinData() const { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  // Skin of the controls and menus, and the source of the interface texts.
  [[nodiscard]] TvlSkinData* CtrlSkinData() const { return FCtrlFSD; }
  void SetCtrlSkinData(TvlSkinData* Value);
  // Font of the tree and the buttons (Arial, height 14): the setter copies it.
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  // The window while Execute runs, nullptr otherwise.
  [[nodiscard]] TvlSelDirDlgForm* DialogForm() const { return FDlgFrm; }

  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
  // After a confirmed choice.
  TNotifyEvent OnChange;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Change();

 private:
  TvlSkinData* FSD = nullptr;
  TvlSkinData* FCtrlFSD = nullptr;
  std::unique_ptr<TFont> FDefaultFont;
  TvlSelDirDlgForm* FDlgFrm = nullptr;
};
