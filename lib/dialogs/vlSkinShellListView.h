#pragma once
// The shell list view: a skinned list (TvlSkinCustomListView) of the items of one shell folder,
// its subfolders and, by default, its files, with the shell's icons and, in report style, the
// folder's detail columns (name, size, type, modified for a folder of the file system). The
// platform list runs in owner-data mode: the view owns one TvlShellFolder per row and hands the
// rows' texts and icons out when the list paints.
//
// The current folder moves below Root by double click, Enter and Backspace (AutoNavigate), by
// Path, Back, OpenID and FollowID. Files are filtered by Mask (patterns separated by ";" or "|"),
// folders come first, a clicked column sorts the rows (its keys are read once, then the rows are
// sorted stably, so the order is consistent whatever the disk does meanwhile), typed prefixes
// find rows, a right click shows the item's context menu and labels rename items on disk. With
// AutoRefresh a change notifier on the current folder refreshes the rows.
//
// The view can be linked to a shell tree view and a shell combo box; each view that opens a
// folder tells the others, and each guards itself with its own updating flag, so nothing comes
// back. Nothing here changes the process's current folder. GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/dialogs/vlShellChangeNotifier.h"
#include "lib/dialogs/vlShellNamespace.h"
#include "lib/controls/vlSkinCtrlsViews.h"

class TvlCustomShellTreeView;
class TvlCustomShellComboBox;

class TvlCustomShellListView : public TvlSkinCustomListView, public IShellCommandSink {
 public:
  explicit TvlCustomShellListView(TComponent* AOwner);
  ~TvlCustomShellListView() override;

  // The current folder (not necessarily the root); nullptr until the view had a window or Root
  // was written.
  [[nodiscard]] TvlShellFolder* RootFolder() const { return FRootFolder.get(); }
  // The parsing name (a path) of the current folder; empty without one.
  [[nodiscard]] std::string Path() const;
  // Opens the folder Value names. Raises EInvalidPath "Error setting path: "<text>"" for a text
  // the desktop cannot parse; the current folder then stays.
  void SetPath(const std::string& Value);
  // Opens the parent of the current folder; at the desktop nothing changes.
  void Back();
  // Re-reads the current folder and selects the same row index again while it exists.
  void Refresh();
  // The object of the first selected row, nullptr for none.
  [[nodiscard]] TvlShellFolder* SelectedFolder() const;
  // The file-system path of the selected row when it is not a folder, else empty.
  [[nodiscard]] std::string GetSelectedFile() const;
  // Clears AFiles and adds the path of every selected row that is not a folder, in row order.
  void GetSelectedFiles(TStrings* AFiles) const;
  // Rebuilds the rows of the current folder (default order, Mask, OnAddFolder).
  virtual void Populate();
  // The object of row Index; nullptr outside the rows.
  [[nodiscard]] TvlShellFolder* FolderAt(int Index) const;
  [[nodiscard]] int FolderCount() const { return static_cast<int>(FFolders.size()); }
  // Tells the linked views, rebuilds the rows and, in report style, the columns; re-arms the
  // notifier. Nothing while an update of this view runs.
  void ReloadFolder();
  // The report columns of the current folder.
  void BuildColumns();
  // Opens ID (absolute) unless the view shows it already; nothing while the view updates.
  void FollowID(TItemIDSpan ID);
  // Opens ID and fires OnPathChanged; nothing while the view updates or when it is the current
  // folder already.
  void OpenID(TItemIDSpan ID);
  // Starts editing the label of the selected row.
  void StartLabelEdit();

  [[nodiscard]] bool AutoContextMenus() const { return FAutoContext; }
  void SetAutoContextMenus(bool Value) { FAutoContext = Value; }
  [[nodiscard]] bool AutoRefresh() const { return FAutoRefresh; }
  void SetAutoRefresh(bool Value);
  [[nodiscard]] bool AutoNavigate() const { return FAutoNavigate; }
  void SetAutoNavigate(bool Value) { FAutoNavigate = Value; }
  [[nodiscard]] TShellObjectTypes ObjectTypes() const { return FObjectTypes; }
  void SetObjectTypes(TShellObjectTypes Value);
  [[nodiscard]] const TRoot& Root() const { return FRoot; }
  // A TRootFolder name or a path (compared ignoring case). Raises Exception "Error setting
  // path: "<text>"" for a root that cannot be resolved; the previous root then stays.
  void SetRoot(const TRoot& Value);
  [[nodiscard]] const std::string& Mask() const { return FMask; }
  void SetMask(const std::string& Value);
  [[nodiscard]] bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  [[nodiscard]] TvlCustomShellTreeView* ShellTreeView() const { return FTreeView; }
  void SetShellTreeView(TvlCustomShellTreeView* Value);
  [[nodiscard]] TvlCustomShellComboBox* ShellComboBox() const { return FComboBox; }
  void SetShellComboBox(TvlCustomShellComboBox* Value);
  // The column of the last column sort (-1 none) and its direction (true: descending).
  [[nodiscard]] int SortColumn() const { return FSortColumn; }
  [[nodiscard]] bool SortDescending() const { return FSortDirection; }
  // The change notifier while AutoRefresh watches a folder (the view owns it).
  [[nodiscard]] TvlShellChangeNotifier* Notifier() const { return FNotifier; }

  void SetViewStyle(TViewStyle Value) override;

  TAddFolderEvent OnAddFolder;
  // After the view opened another folder, and after every Refresh.
  TNotifyEvent OnPathChanged;

  // IShellCommandSink.
  void ExecuteCommand(const std::string& Verb, bool& Handled) override;
  void CommandCompleted(const std::string& Verb, bool Succeeded) override;

  // True when the file name part of Name matches one of Mask's patterns (";" or "|" between
  // them; a pattern matches when it has a "." and MatchesMask accepts the name, or when it is
  // "*"). An empty mask matches nothing.
  [[nodiscard]] static bool MatchesFileMask(const std::string& Name, const std::string& Mask);

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;
  bool OwnerDataFetch(TListItem* Item, TItemRequest Request) override;
  int OwnerDataFind(TItemFind Find, const std::string& FindString, TPoint FindPosition, void* FindData, int StartIndex,
                    TSearchDirection Direction, bool Wrap) override;
  void ColumnClick(TListColumn* Column) override;
  void DblClick() override;
  void Edit(int ItemIndex, const std::string* Text) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  friend class TvlCustomShellTreeView;
  friend class TvlCustomShellComboBox;

  void FreeFolders();
  void LoadRoot();
  void SyncLinkedViews();
  void SortByColumn();
  void AddColumn(const char* Key, TAlignment Alignment, int Chars);
  void AddDefaultColumns(int Count);
  // List style: the columns of names as wide as the widest name, within bounds.
  void FitListColumns();

  int FOldSortColumn = -1;
  int FSortColumn = -1;
  bool FSortDirection = false;
  TRoot FOldRoot;
  TRoot FRoot;
  std::unique_ptr<TvlShellFolder> FRootFolder;
  bool FAutoContext = true;
  bool FAutoRefresh = false;
  bool FAutoNavigate = true;
  bool FSorted = true;
  bool FUpdating = false;
  TShellObjectTypes FObjectTypes{TShellObjectType::otFolders, TShellObjectType::otNonFolders};
  HIMAGELIST FLargeImages = nullptr;
  HIMAGELIST FSmallImages = nullptr;
  std::vector<std::unique_ptr<TvlShellFolder>> FFolders;  // the rows, in display order
  TvlCustomShellTreeView* FTreeView = nullptr;
  TvlCustomShellComboBox* FComboBox = nullptr;
  TvlShellChangeNotifier* FNotifier = nullptr;  // owned sub-component
  bool FSettingRoot = false;
  std::string FMask = "*.*|*.*";
};

class TvlSkinFileListView : public TvlCustomShellListView {
 public:
  using TvlCustomShellListView::TvlCustomShellListView;
};
