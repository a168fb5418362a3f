#pragma once
// File-system controls of the file dialogs and their path routines: the folder test, the filter
// combo box ("description|mask|…"), the drive combo box (the mounts a user sees, each with the
// picture of its kind), the directory list (the folder as an indented list of its path followed
// by its sub-folders) and the file list (the entries of a folder that match a mask and an
// attribute set). The four link up (drive → directory → files, filter → files), so a change in
// one updates the others.
//
// A "drive" is a user-visible mount (platform/shell/Mounts.h), named by its mount folder ("/",
// "/media/u/USB"); its volume label is the mount's label. The controls keep their folder
// themselves and never change the process's current folder; a folder that cannot be entered
// raises EInOutError and leaves the control as it was. GUI thread only.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "platform/core/Set.h"
#include "platform/core/Strings.h"

class TBitmap;
class TCanvas;
class TEdit;
class TvlSkinStdLabel;
class TvlSkinDirectoryListBox;
class TvlSkinFileListBox;

// ---- Path routines ------------------------------------------------------------------------------

enum class TTextCase { tcLowerCase, tcUpperCase };

// True when Path names an existing directory (its attributes can be read and carry the
// directory flag).
[[nodiscard]] bool IsExistingFolder(const std::string& Path);
// Folder, "/" and Name; no second "/" when Folder ends with one.
[[nodiscard]] std::string JoinPath(const std::string& Folder, const std::string& Name);
// The number of path separators ("/") in Path.
[[nodiscard]] int CountBackslashes(const std::string& Path);
// Path shortened until it fits Width pixels on Canvas: the leading folders give way to "..."
// one by one ("/a/b/c/f" → "/.../b/c/f" → "/.../c/f" → "/.../f" → ".../f" → "f"); the file name
// itself is never cut.
[[nodiscard]] std::string ShortenPathToWidth(const std::string& Path, TCanvas* Canvas, int Width);
// "[label]" of the mount whose folder is Drive, in the case TextCase asks for; "[]" for a mount
// without a label or a folder that is no mount.
[[nodiscard]] std::string VolumeLabelText(const std::string& Drive, TTextCase TextCase = TTextCase::tcUpperCase);
// The remote source of a network mount ("server:/export"), in the case TextCase asks for; the
// volume label text for any other drive.
[[nodiscard]] std::string NetworkDriveText(const std::string& Drive, TTextCase TextCase = TTextCase::tcUpperCase);

// An edit text taken apart against the folder it is relative to.
struct TvlSplitPath {
  std::string Drive;   // the mount holding Folder
  std::string Folder;  // absolute, normalised, without a trailing "/" (but "/")
  std::string File;    // a file name or a mask; empty when the text named a folder
};
// Splits Text ("[name]" as the file list shows a folder, a relative or absolute path, a mask) as
// seen from CurrentFolder. A last component that is no existing file and holds no wildcard is
// taken as a folder. Raises EInOutError when a folder on the way does not exist.
[[nodiscard]] TvlSplitPath SplitPathText(const std::string& Text, const std::string& CurrentFolder);

// ---- Filter combo box ---------------------------------------------------------------------------

class TvlSkinFilterComboBox : public TvlSkinComboBox {
 public:
  // The filter of one entry that lists every file.
  static constexpr const char* kDefaultFilter = "All files (*.*)|*.*";

  explicit TvlSkinFilterComboBox(TComponent* AOwner);

  [[nodiscard]] const std::string& Filter() const { return FFilter; }
  // A different text (compared ignoring case) rebuilds the entries and selects the first: pairs
  // of a description and a mask, all separated by "|". A trailing description without a mask is
  // dropped; a text without "|" gives no entries.
  void SetFilter(const std::string& Value);
  // The mask of the selected entry; with no selection the last entry's, "*.*" without entries.
  [[nodiscard]] std::string Mask() const;
  // The masks of the entries, in their order.
  [[nodiscard]] const TStringList& MaskList() const { return FMaskList; }
  // The file list that takes the chosen mask (not owned; cleared when it is freed).
  [[nodiscard]] TvlSkinFileListBox* FileList() const { return FFileList; }
  void SetFileList(TvlSkinFileListBox* Value);

  void ItemIndexChanged() override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void BuildFilterList();

  std::string FFilter;
  TvlSkinFileListBox* FFileList = nullptr;
  TStringList FMaskList;
};

// ---- Drive combo box ----------------------------------------------------------------------------

class TvlSkinDriveComboBox : public TvlSkinComboBox {
 public:
  explicit TvlSkinDriveComboBox(TComponent* AOwner);
  ~TvlSkinDriveComboBox() override;

  // The mount folder of the selected drive; empty for none.
  [[nodiscard]] const std::string& Drive() const { return FDrive; }
  // Selects the drive of the mount folder Value (empty clears the selection), switches a linked
  // directory list to it, then ItemIndexChanged.
  void SetDrive(const std::string& Value);
  [[nodiscard]] TTextCase TextCase() const { return FTextCase; }
  void SetTextCase(TTextCase Value);
  [[nodiscard]] TvlSkinDirectoryListBox* DirList() const { return FDirList; }
  void SetDirList(TvlSkinDirectoryListBox* Value);
  // The mount folders of the items, in their order.
  [[nodiscard]] const std::vector<std::string>& DrivePaths() const { return FDrivePaths; }

  // Lists the user-visible mounts: removable ones by their folder alone, the others with their
  // label text (the source for a network mount), each with the picture of its kind.
  virtual void BuildDriveList();

 protected:
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void DriveSelected();
  void DrawDriveItem(TCanvas* Cnvs, int Index, const TRect& TxtRect);
  [[nodiscard]] TBitmap* DriveBitmap(int Index) const;
  void SelectStoredDrive();

  TvlSkinDirectoryListBox* FDirList = nullptr;
  std::string FDrive;
  TTextCase FTextCase = TTextCase::tcLowerCase;
  std::unique_ptr<TBitmap> FloppyBMP, FixedBMP, NetworkBMP, CDROMBMP, RAMBMP;
  std::vector<std::string> FDrivePaths;
  std::vector<TBitmap*> FDriveBitmaps;
};

// ---- Directory list box -------------------------------------------------------------------------

class TvlSkinDirectoryListBox : public TvlSkinListBox {
 public:
  explicit TvlSkinDirectoryListBox(TComponent* AOwner);
  ~TvlSkinDirectoryListBox() override;

  // The folder shown; absolute, without a trailing "/" (but "/").
  [[nodiscard]] const std::string& Directory() const { return FDirectory; }
  // Splits Value against Directory (SplitPathText); a new drive moves a linked drive combo
  // first; then enters the folder. Raises EInOutError (and keeps Directory) when it cannot.
  virtual void SetDirectory(const std::string& Value);
  // The mount holding Directory.
  [[nodiscard]] std::string Drive() const;
  void SetDrive(const std::string& Value);
  // Goes to the folder last shown on the drive Value (its mount folder when none or gone); a
  // drive that cannot be entered keeps Directory. Rebuilds and reports unless a directory
  // change is under way.
  void SwitchDrive(const std::string& Value);
  [[nodiscard]] bool PreserveCase() const { return FPreserveCase; }
  [[nodiscard]] bool CaseSensitive() const { return FCaseSensitive; }
  [[nodiscard]] std::string DisplayCase(const std::string& S) const;
  // 0 when A and B name the same file on this volume.
  [[nodiscard]] int FileCompareText(const std::string& A, const std::string& B) const;
  // The folder item Index stands for; empty beyond the list.
  [[nodiscard]] std::string GetItemPath(int Index) const;
  // Enters the folder of the selected item.
  void OpenCurrent();
  // Reads the folder again and reports it.
  void Update();

  [[nodiscard]] TvlSkinFileListBox* FileList() const { return FFileList; }
  void SetFileList(TvlSkinFileListBox* Value);
  [[nodiscard]] TvlSkinStdLabel* DirLabel() const { return FDirLabel; }
  void SetDirLabel(TvlSkinStdLabel* Value);
  TNotifyEvent OnChange;

  // Picture kinds of the items.
  enum class TFolderPicture { Opened, Current, Closed };
  [[nodiscard]] TFolderPicture ItemPicture(int Index) const;
  // Left indent of item Index in pixels.
  [[nodiscard]] int ItemIndent(int Index) const;

  int GetItemWidth(int Index, TCanvas* Canvas) override;
  void ListBoxDblClick() override;
  void ListBoxKeyPress(char32_t& Key) override;

 protected:
  virtual void FolderChanged();
  virtual void LoadFolderBitmaps();
  virtual void BuildFolderList();
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TvlSkinDriveComboBox;
  void LinkDriveCombo(TvlSkinDriveComboBox* Value) { ReplaceReference(FDriveCombo, Value); }
  void LinkFileList(TvlSkinFileListBox* Value) { ReplaceReference(FFileList, Value); }
  void EnterFolder(const std::string& Folder);
  void UpdateDirLabel();
  void DrawFolderItem(TCanvas* Cnvs, int Index, const TRect& TxtRect);
  [[nodiscard]] TBitmap* PictureBitmap(TFolderPicture Picture) const;

  TvlSkinFileListBox* FFileList = nullptr;
  TvlSkinDriveComboBox* FDriveCombo = nullptr;
  TvlSkinStdLabel* FDirLabel = nullptr;
  bool FInSetDir = false;
  bool FPreserveCase = true, FCaseSensitive = true;
  std::unique_ptr<TBitmap> ClosedBMP, OpenedBMP, CurrentBMP;
  std::string FDirectory;
  std::vector<TFolderPicture> FPictures;  // one per item
  int FCurrentIndex = 0;                  // the item of Directory itself
  std::map<std::string, std::string> FDriveFolders;  // mount folder → folder last shown on it
};

// ---- File list box ------------------------------------------------------------------------------

// The attributes a file list searches for; each but vlftNormal is one bit of an entry's
// attributes (ReadOnly 0x1 … Archive 0x20). vlftNormal admits every entry the search returns.
enum class TvlFileAttr { vlftReadOnly, vlftHidden, vlftSystem, vlftVolumeID, vlftDirectory, vlftArchive, vlftNormal };
using TvlFileType = TSet<TvlFileAttr>;
// The attribute bits of a directory entry: read-only without the owner's write permission,
// hidden for a dot name ("." and ".." excepted), system for anything neither a file nor a
// folder, directory, archive for a regular file.
[[nodiscard]] std::uint64_t FileAttributesOf(const std::string& Folder, const std::string& Name);

class TvlSkinFileListBox : public TvlSkinListBox {
 public:
  explicit TvlSkinFileListBox(TComponent* AOwner);
  ~TvlSkinFileListBox() override;

  [[nodiscard]] const std::string& Directory() const { return FDirectory; }
  // Enters the folder Value (relative to Directory); raises EInOutError and keeps Directory
  // when it cannot.
  void SetDirectory(const std::string& Value);
  [[nodiscard]] std::string Drive() const;
  void SetDrive(const std::string& Value);
  // Masks separated by ";"; "*.*" and "*" list every name.
  [[nodiscard]] const std::string& Mask() const { return FMask; }
  void SetMask(const std::string& Value);
  [[nodiscard]] TvlFileType FileType() const { return FFileType; }
  void SetFileType(TvlFileType Value);
  // Directory joined with the selected name; empty without a selection.
  [[nodiscard]] virtual std::string FileName() const;
  [[nodiscard]] std::string SelectedName() const;
  // Selects the first item equal to Name ignoring case (none when there is none) and reports.
  void SelectName(const std::string& Name);
  // Takes an edit text: a mask changes the mask, a folder enters it, a file selects it (showing
  // it by its own name when the mask hides it). Raises EInOutError for a path to no folder.
  virtual void ApplyFilePath(const std::string& EditText);
  void Update();

  [[nodiscard]] TEdit* FileEdit() const { return FFileEdit; }
  void SetFileEdit(TEdit* Value);
  [[nodiscard]] TvlSkinDirectoryListBox* DirList() const { return FDirList; }
  [[nodiscard]] TvlSkinFilterComboBox* FilterCombo() const { return FFilterCombo; }
  TNotifyEvent OnChange;

  void ListBoxClick() override;

 protected:
  virtual void FileSelected();
  virtual void FillFileList();
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TvlSkinDirectoryListBox;
  friend class TvlSkinFilterComboBox;
  void LinkDirList(TvlSkinDirectoryListBox* Value) { ReplaceReference(FDirList, Value); }
  void LinkFilterCombo(TvlSkinFilterComboBox* Value) { ReplaceReference(FFilterCombo, Value); }

  std::string FDirectory;
  std::string FMask = "*.*";
  TvlFileType FFileType{TvlFileAttr::vlftNormal};
  TEdit* FFileEdit = nullptr;
  TvlSkinDirectoryListBox* FDirList = nullptr;
  TvlSkinFilterComboBox* FFilterCombo = nullptr;
  int FLastSel = -1;
};
