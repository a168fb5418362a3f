#pragma once
// The shell tree view: a skinned tree (TvlSkinCustomTreeView) of the shell namespace, the desktop
// or another root at the top, folders below it and, when asked, files. Every node owns one
// TvlShellFolder (its data pointer); a child's object has the parent node's object as Parent.
//
// Nodes are filled lazily: a folder node gets its children the first time it expands. Path
// selects the node of a folder, expanding only the nodes on the way. Refresh re-reads one
// subtree and keeps the expansion, the selection and the top row where they still exist. With
// AutoRefresh the tree watches the selected folder (not its subfolders) through a change notifier
// and refreshes the selected node when it changes. A right click shows the item's context menu;
// the tree takes part in it (rename edits the label, a deleted or pasted item updates the tree).
//
// Icons come from the shared system image list of small icons unless Images holds a list of the
// application's own. GUI thread only.

#include <functional>
#include <memory>
#include <string>

#include "lib/dialogs/vlShellChangeNotifier.h"
#include "lib/dialogs/vlShellNamespace.h"
#include "lib/controls/vlSkinCtrlsViews.h"

class TvlCustomShellListView;
class TvlCustomShellComboBox;

class TvlCustomShellTreeView : public TvlSkinCustomTreeView, public IShellCommandSink {
 public:
  explicit TvlCustomShellTreeView(TComponent* AOwner);
  ~TvlCustomShellTreeView() override;

  // The parsing name (a path) of the selected node's item; empty when nothing is selected.
  [[nodiscard]] std::string Path() const;
  // Selects the node of the folder Value names, expanding the nodes on the way. Raises
  // EInvalidPath "Error setting path: "<text>"" for a text the desktop cannot parse; the
  // selection then stays.
  void SetPath(const std::string& Value);
  [[nodiscard]] TvlShellFolder* SelectedFolder() const;
  // Re-reads Node's subtree from the shell (see the file comment).
  void Refresh(TTreeNode* Node);
  // Selects and expands the computer node.
  void ExpandMyComputer();
  // Selects the node of an absolute list, expanding the nodes on the way (only nodes that exist
  // or come into being on that way are searched). A list the tree does not list clears the
  // selection.
  void SelectAbsoluteID(TItemIDSpan ID);

  [[nodiscard]] bool AutoContextMenus() const { return FAutoContext; }
  void SetAutoContextMenus(bool Value) { FAutoContext = Value; }
  [[nodiscard]] bool AutoRefresh() const { return FAutoRefresh; }
  void SetAutoRefresh(bool Value);
  [[nodiscard]] TShellObjectTypes ObjectTypes() const { return FObjectTypes; }
  // Stores the set and rebuilds the tree from its root.
  virtual void SetObjectTypes(TShellObjectTypes Value);
  [[nodiscard]] const TRoot& Root() const { return FRoot; }
  // A TRootFolder name or a path; the tree is rebuilt. Raises Exception "Error setting path:
  // "<text>"" for a root that cannot be resolved; the previous root then stays.
  void SetRoot(const TRoot& Value);
  [[nodiscard]] bool UseShellImages() const { return FUseShellImages; }
  void SetUseShellImages(bool Value);
  // The linked views: linking hands them the tree's root; afterwards the tree moves them to the
  // folder of every node it selects, and they move the tree to the folders they open.
  [[nodiscard]] TvlCustomShellListView* ShellListView() const { return FListView; }
  void SetShellListView(TvlCustomShellListView* Value);
  [[nodiscard]] TvlCustomShellComboBox* ShellComboBox() const { return FComboBox; }
  void SetShellComboBox(TvlCustomShellComboBox* Value);
  // The change notifier while one exists (the tree owns it).
  [[nodiscard]] TvlShellChangeNotifier* Notifier() const { return FNotifier; }

  TAddFolderEvent OnAddFolder;

  // IShellCommandSink.
  void ExecuteCommand(const std::string& Verb, bool& Handled) override;
  void CommandCompleted(const std::string& Verb, bool Succeeded) override;

  void ChangeSkinData() override;

 protected:
  virtual void ClearNodes();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;
  bool CanChange(TTreeNode* Node) override;
  bool CanExpand(TTreeNode* Node) override;
  void Edit(TTreeNode* Node, const std::string* Text) override;
  void Delete(TTreeNode* Node) override;
  void GetImageIndex(TTreeNode* Node) override;
  void GetSelectedIndex(TTreeNode* Node) override;

 private:
  friend class TvlCustomShellListView;
  friend class TvlCustomShellComboBox;
  // Moves the linked combo box, then the linked list, to the folder of Node's item (the item's
  // parent for a file).
  void FollowNode(TTreeNode* Node);
  void FreeAllNodes();
  void LoadRootNode();
  void ApplyRoot();
  void FillChildren(TTreeNode* Node);
  // Sets up a new child node N of P for the child list ID; false when OnAddFolder dropped it.
  bool SetupChildNode(TTreeNode* N, TTreeNode* P, TItemIDSpan ID);
  [[nodiscard]] TTreeNode* FindNodeByID(TItemIDSpan ID, TTreeNode* Start) const;
  [[nodiscard]] static TvlShellFolder* NodeObject(const TTreeNode* Node);
  void RefreshSelected();
  // Images holds a list of the application's (not the system list the tree installs itself).
  [[nodiscard]] bool HasOwnImages() const;
  // The list the window shows: Images when set, else the system list with UseShellImages.
  [[nodiscard]] HIMAGELIST ImageListChoice() const;
  // The icon indexes of an absolute list into a node.
  static void SetShellImages(TTreeNode* Node, TItemIDSpan ID);

  std::string FPath;
  TRoot FRoot;
  TRoot FOldRoot;
  std::unique_ptr<TvlShellFolder> FRootFolder;
  TShellObjectTypes FObjectTypes{TShellObjectType::otFolders};
  bool FLoadingRoot = false;
  bool FAutoContext = true;
  bool FUpdating = false;
  bool FAutoRefresh = false;
  bool FImageListChanging = false;
  bool FUseShellImages = true;
  TvlShellChangeNotifier* FNotifier = nullptr;
  TTreeNode* FNodeToMonitor = nullptr;
  HIMAGELIST FImages = nullptr;
  TvlCustomShellListView* FListView = nullptr;
  TvlCustomShellComboBox* FComboBox = nullptr;
};

class TvlSkinDirTreeView : public TvlCustomShellTreeView {
 public:
  using TvlCustomShellTreeView::TvlCustomShellTreeView;
};
