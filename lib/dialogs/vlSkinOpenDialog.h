#pragma once
// The open and save dialog: a component whose Execute builds a skinned modal window of the
// library's own controls (a tool bar with the folder combo box and the Back, Up, New-folder and
// view-style buttons, the shell file list with its external bars, the file-name edit, the filter
// box, Open and Cancel), runs it, reads the chosen file names and frees the window. The
// component keeps its settings and, from one run to the next, the filter entry, the client
// size, the view style and the folder the list showed last; the chosen FileName and Files only
// after a confirmed run.
//
// Names: the folder prefix is the list's folder with a "/" at its end; a typed name is joined
// to it unless it is a full path. A name without an extension is completed with DefaultExt, else with the extension of
// the filter's first pattern unless that pattern ends in ".*". In save mode the overwrite
// question asks about the completed name and the dialog returns that same name. Nothing here
// changes the process's current folder. GUI thread only.

#include <memory>
#include <string>
#include <vector>

#include "lib/dialogs/vlShellNamespace.h"
#include "platform/controls/Forms.h"
#include "platform/controls/ListView.h"

class TvlSkinData;
class TvlVelmora;
class TvlSkinPanel;
class TvlSkinSizeGrip;
class TvlSkinToolBar;
class TvlSkinScrollBar;
class TvlSkinButton;
class TvlSkinSpeedButton;
class TvlSkinMenuSpeedButton;
class TvlSkinPopupMenu;
class TvlSkinEdit;
class TvlSkinStdLabel;
class TvlSkinFileListView;
class TvlSkinFilterComboBox;
class TvlSkinShellComboBox;
class TMenuItem;

// The window of one run.
class TvlOpenDlgForm : public TForm {
 public:
  // Builds the window and its controls; texts come from ACtrlSkinData's interface text table,
  // the built-in ones without a table.
  static TvlOpenDlgForm* CreateEx(TComponent* AOwner, bool ASaveMode, TvlSkinData* ACtrlSkinData,
                                  bool AToolButtonsTransparent);
  explicit TvlOpenDlgForm(TComponent* AOwner) : TForm(AOwner) {}
  ~TvlOpenDlgForm() override;

  // The Open (Save) button: checks the typed or selected name and, when it is acceptable,
  // sets FileName and the modal result OK; otherwise the dialog stays open.
  void OpenButtonClick(TObject* Sender);
  // Enter in the edit: a name with "*" becomes the list's mask, a path of an existing folder is
  // opened, anything else goes to the Open button.
  void EditKeyPress(TObject* Sender, char32_t& Key);
  // Enter in the list on a selected file goes to the Open button.
  void FLVKeyPress(TObject* Sender, char32_t& Key);
  // A double-clicked file is chosen (after the overwrite question in save mode).
  void FLVDBLClick(TObject* Sender);
  // A selected file's name goes to the edit; OnFolderChange fires.
  virtual void FLVChange(TObject* Sender, TListItem* Item, TItemChange Change);
  // Records the new folder in the history, focuses the first row, fires OnFolderChange.
  void FLVPathChange(TObject* Sender);
  // The list's mask follows the filter; in save mode the typed name takes the mask's extension.
  void FCBChange(TObject* Sender);
  // Back to the folder visited before the current one (the history keeps the current one).
  void BackToolButtonClick(TObject* Sender);
  void UpToolButtonClick(TObject* Sender);
  // Creates "New Folder", "New Folder(2)" … in the current folder of the file system and starts
  // renaming it. Raises EInOutError when the folder cannot be made.
  void NewFolderToolButtonClick(TObject* Sender);
  void IconItemClick(TObject* Sender);
  void SmallIconItemClick(TObject* Sender);
  void ListItemClick(TObject* Sender);
  void ReportItemClick(TObject* Sender);
  // Records the current folder as the first history entry.
  void InitHistory();

  // The extension the filter's mask gives (with its dot), empty for a mask with ".*".
  [[nodiscard]] std::string MaskExtension() const;
  // Name with DefaultExt (or else the mask extension) appended when it has no extension.
  [[nodiscard]] std::string CompletedName(const std::string& Name) const;
  // The list's folder with a "/" at its end.
  [[nodiscard]] std::string FolderPrefix() const;
  // A typed name as a path: a full path as it is, anything else below the folder prefix.
  [[nodiscard]] std::string TypedPath(const std::string& Typed) const;
  // The history of visited folders, oldest first.
  [[nodiscard]] const std::vector<TItemIDList>& FolderHistory() const { return FFolderHistory; }
  [[nodiscard]] bool SaveMode() const { return FSaveMode; }

  std::string DefaultExt;
  bool OverwritePromt = false;
  bool CheckFileExists = true;
  std::string FileName;
  TNotifyEvent OnFolderChange;

  TvlVelmora* VMR = nullptr;
  TvlSkinPanel* FileListViewPanel = nullptr;
  TvlSkinPanel* BottomPanel = nullptr;
  // Sizes the dialog from its bottom-right corner (the frame's own edge is thin).
  TvlSkinSizeGrip* SizeGrip = nullptr;
  TvlSkinScrollBar* FLVHScrollBar = nullptr;
  TvlSkinScrollBar* FLVVScrollBar = nullptr;
  TvlSkinFileListView* FileListView = nullptr;
  TvlSkinEdit* FileNameEdit = nullptr;
  TvlSkinFilterComboBox* FilterComboBox = nullptr;
  TvlSkinShellComboBox* ShellBox = nullptr;
  TvlSkinButton* OpenButton = nullptr;
  TvlSkinButton* CancelButton = nullptr;
  TvlSkinStdLabel* Drivelabel = nullptr;
  TvlSkinStdLabel* OpenFileLabel = nullptr;
  TvlSkinStdLabel* FileTypeLabel = nullptr;
  TvlSkinToolBar* ToolPanel = nullptr;
  TvlSkinSpeedButton* NewFolderToolButton = nullptr;
  TvlSkinSpeedButton* UpToolButton = nullptr;
  TvlSkinSpeedButton* BackToolButton = nullptr;
  TvlSkinMenuSpeedButton* StyleToolButton = nullptr;
  TvlSkinPopupMenu* StylePopupMenu = nullptr;
  TMenuItem* IconMenuItem = nullptr;
  TMenuItem* SmallIconMenuItem = nullptr;
  TMenuItem* ReportMenuItem = nullptr;
  TMenuItem* ListMenuItem = nullptr;

 protected:
  // Builds the controls into Form (a new form of this class or a descendant), laid out for a
  // client area AClientWidth wide.
  static void BuildControls(TvlOpenDlgForm* Form, bool ASaveMode, TvlSkinData* ACtrlSkinData,
                            bool AToolButtonsTransparent, int AClientWidth);
  // Places Button at the right end of the tool bar's buttons with the program's picture Glyph
  // (none when the program has no such picture).
  void AddToolButton(TvlSkinSpeedButton* Button, int Width, const char* SkinName, const char* Glyph,
                     const std::string& Hint, bool Flat);
  // The interface text of Key (the controls' skin's table, else the built-in text).
  [[nodiscard]] std::string Text(const char* Key) const;

 private:
  // Asks the overwrite question; true when the answer is OK.
  bool ConfirmOverwrite();
  void SetViewStyle(TViewStyle Style, TMenuItem* Item);

  bool FSaveMode = false;
  std::vector<TItemIDList> FFolderHistory;
  bool FStopAddToHistory = false;
  TvlSkinData* FCtrlSD = nullptr;
  int FNewFolderCount = 0;
};

class TvlSkinOpenDialog : public TComponent {
 public:
  explicit TvlSkinOpenDialog(TComponent* AOwner);
  ~TvlSkinOpenDialog() override;

  // Shows the dialog modally; true when the user confirmed a name. See the file comment for
  // what is kept. OnShow fires before the window exists, OnClose after the run while it still
  // exists, on every path.
  bool Execute();
  // While Execute runs: the list's selected file (empty for a folder or no selection);
  // otherwise empty.
  [[nodiscard]] std::string GetSelectedFile() const;

  bool ShowHiddenFiles = false;
  bool ToolButtonsTransparent = false;
  bool OverwritePromt = false;
  // Without the dot.
  std::string DefaultExt;
  // Client size; 0 or less: 450 x 290.
  int DialogWidth = 0;
  int DialogHeight = 0;
  int DialogMinWidth = 0;
  int DialogMinHeight = 0;
  bool CheckFileExists = true;
  bool MultiSelection = false;
  bool AlphaBlend = false;
  bool AlphaBlendAnimation = false;
  BYTE AlphaBlendValue = 225;
  bool CtrlAlphaBlend = false;
  bool CtrlAlphaBlendAnimation = false;
  BYTE CtrlAlphaBlendValue = 225;
  std::string LVHeaderSkinDataName = "resizebutton";
  std::string Title = "Open file";
  std::string InitialDir;
  std::string Filter = "All files|*.*";
  // 1-based.
  int FilterIndex = 1;
  TViewStyle ListViewStyle = TViewStyle::vsList;

  [[nodiscard]] const std::string& FileName() const { return FFileName; }
  // The file-system folder the list showed when the last run ended, confirmed or not (empty
  // before the first run).
  [[nodiscard]] const std::string& LastFolder() const { return FLastFolder; }
  // While the dialog runs the edit shows the new value too.
  void SetFileName(const std::string& Value);
  // The selected files of the last confirmed run, in the list's order.
  [[nodiscard]] TStringList* Files() const { return FFiles.get(); }
  [[nodiscard]] TvlSkinData* SkinData() const { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] TvlSkinData* CtrlSkinData() const { return FCtrlFSD; }
  void SetCtrlSkinData(TvlSkinData* Value);
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  // The window while Execute runs, nullptr otherwise.
  [[nodiscard]] TvlOpenDlgForm* DialogForm() const { return FDlgFrm; }

  TNotifyEvent OnFolderChange;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The window of one run (a descendant may build a richer one).
  virtual TvlOpenDlgForm* CreateDialogForm();
  // Called with the window set up, just before it is shown.
  virtual void BeforeShow(TvlOpenDlgForm*) {}
  // Called after the run while the window still exists, before anything is read from it.
  virtual void AfterRun(TvlOpenDlgForm*) {}
  // Set by the save dialogs.
  bool FSaveMode = false;
  // Client width without a stored size.
  int FDefaultClientWidth = 450;

 private:
  // The folder the list opens in: FileName's folder when it exists, else InitialDir when it
  // exists, else the folder of the last run when it still exists, else the user's home folder.
  [[nodiscard]] std::string StartFolder() const;

  std::string FFileName;
  std::string FLastFolder;
  std::unique_ptr<TStringList> FFiles;
  TvlSkinData* FSD = nullptr;
  TvlSkinData* FCtrlFSD = nullptr;
  std::unique_ptr<TFont> FDefaultFont;
  TvlOpenDlgForm* FDlgFrm = nullptr;
};
