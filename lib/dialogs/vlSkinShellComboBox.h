#pragma once
// The shell combo box: a skinned combo box (TvlSkinCustomComboBox) turned into a folder chooser.
// Its list shows the root, the root's children, Computer's children (the file system and the
// mounts) when the root is the desktop, and the chain of folders down to the current folder,
// each with its shell icon and indented half an icon width per level. Every item owns one
// TvlShellFolder. Choosing an item (when the drop-down closes) moves a linked shell tree view and
// shell list view to that folder; FollowID shows a folder another view opened, inserting the
// levels that are missing. GUI thread only.

#include <memory>
#include <string>
#include <vector>

#include "lib/dialogs/vlShellNamespace.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "platform/controls/ImageList.h"

class TvlCustomShellTreeView;
class TvlCustomShellListView;

// One item of the folder list.
struct TvlItemEx {
  std::string Caption;
  std::unique_ptr<TvlShellFolder> Data;  // owned by the combo box through its item
  int Indent = 0;                        // depth level of the folder (its Level)
  int ImageIndex = -1;                   // system image list index of the icon
  int SelectedImageIndex = -1;           // stored, not used for drawing
};

// The items with their folder objects; the combo box's Items strings mirror the captions.
class TvlItemsEx {
 public:
  [[nodiscard]] int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError for an index out of range.
  [[nodiscard]] TvlItemEx* GetItem(int Index) const;
  TvlItemEx* Insert(int Index);
  TvlItemEx* AddItem(const std::string& ACaption, int AImageIndex, int ASelectedIndex, int AIndent,
                     std::unique_ptr<TvlShellFolder> AFolder);
  void Clear() { items_.clear(); }
  void BeginUpdate() { ++update_count_; }
  void EndUpdate() { --update_count_; }
  [[nodiscard]] bool Updating() const { return update_count_ > 0; }

 private:
  std::vector<std::unique_ptr<TvlItemEx>> items_;
  int update_count_ = 0;
};

class TvlCustomShellComboBox : public TvlSkinCustomComboBox {
 public:
  explicit TvlCustomShellComboBox(TComponent* AOwner);
  ~TvlCustomShellComboBox() override;

  // The parsing name (a path) of the selected item's folder; empty when nothing is selected.
  [[nodiscard]] std::string Path() const;
  // Shows the folder Value names (the linked views are not moved). Raises EInvalidPath "Error
  // setting path: "<text>"" for a text the desktop cannot parse.
  void SetPath(const std::string& Value);
  [[nodiscard]] const TRoot& Root() const { return FRoot; }
  // Rebuilds the items and hands the root to the linked views. Raises Exception "Error setting
  // path: "<text>"" for a root that cannot be resolved.
  void SetRoot(const TRoot& Value);
  [[nodiscard]] TShellObjectTypes ObjectTypes() const { return FObjectTypes; }
  virtual void SetObjectTypes(TShellObjectTypes Value);
  [[nodiscard]] TvlCustomShellTreeView* ShellTreeView() const { return FTreeView; }
  void SetShellTreeView(TvlCustomShellTreeView* Value);
  [[nodiscard]] TvlCustomShellListView* ShellListView() const { return FListView; }
  void SetShellListView(TvlCustomShellListView* Value);
  [[nodiscard]] const TvlItemsEx& ItemsEx() const { return FItemsEx; }
  // The folder object of item Index (the last item for an index beyond it); nullptr without
  // items.
  [[nodiscard]] TvlShellFolder* FolderAt(int Index) const;
  // Shows ID unless it is selected already; nothing while the combo box updates the others.
  void FollowID(TItemIDSpan ID);

  void ItemIndexChanged() override;

 protected:
  // Adds the children of the root (and of Computer for the desktop root).
  virtual void AddRootChildren();
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateWnd() override;

 private:
  friend class TvlCustomShellTreeView;
  friend class TvlCustomShellListView;

  void DrawItem(TCanvas* Cnvs, int Index, const TRect& TxtRect, bool Indented);
  void SyncItemTexts();
  void ClearFolderItems();
  void BuildRootItems();
  void AddChildItems(int Index, TvlShellFolder* Parent);
  [[nodiscard]] std::unique_ptr<TvlShellFolder> CreateChildFolder(TvlShellFolder* Parent, TItemIDSpan ID) const;
  [[nodiscard]] int IndexOfID(TItemIDSpan ID) const;
  void ApplyRoot();
  void InsertFolderItem(int Index, std::unique_ptr<TvlShellFolder> Folder);
  void ExpandToID(TItemIDSpan ID);
  [[nodiscard]] int FolderImageIndex(const TvlShellFolder& Folder) const;

  TvlItemsEx FItemsEx;
  HIMAGELIST FImages = nullptr;
  int FImageHeight = 16;
  int FImageWidth = 16;
  TRoot FOldRoot;
  TRoot FRoot;
  std::unique_ptr<TvlShellFolder> FRootFolder;
  TvlCustomShellTreeView* FTreeView = nullptr;
  TvlCustomShellListView* FListView = nullptr;
  TShellObjectTypes FObjectTypes{TShellObjectType::otFolders};
  bool FUseShellImages = true;
  bool FUpdating = false;
};

class TvlSkinShellComboBox : public TvlCustomShellComboBox {
 public:
  using TvlCustomShellComboBox::TvlCustomShellComboBox;
};
