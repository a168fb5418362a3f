// The shell tree view (TvlCustomShellTreeView).
#include "lib/dialogs/vlSkinShellTreeView.h"

#include <sys/stat.h>

#include <cstdint>

#include "lib/dialogs/vlShellGuards.h"
#include "lib/dialogs/vlSkinShellComboBox.h"
#include "lib/dialogs/vlSkinShellListView.h"
#include "platform/controls/Application.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/shell/ShellIcons.h"
#include "platform/core/SysUtils.h"

namespace {

// BeginUpdate/EndUpdate of a node collection, ended on every path.
class TNodesUpdate {
 public:
  explicit TNodesUpdate(TTreeNodes* Nodes) : nodes_(Nodes) { nodes_->BeginUpdate(); }
  ~TNodesUpdate() { nodes_->EndUpdate(); }
  TNodesUpdate(const TNodesUpdate&) = delete;
  TNodesUpdate& operator=(const TNodesUpdate&) = delete;

 private:
  TTreeNodes* nodes_;
};

// Anything (a file, a folder, a link) is at Path.
bool AnythingAt(const std::string& Path) {
  struct stat status {};
  return !Path.empty() && ::lstat(Path.c_str(), &status) == 0;
}

}  // namespace

TvlCustomShellTreeView::TvlCustomShellTreeView(TComponent* AOwner) : TvlSkinCustomTreeView(AOwner) {
  SetShowRoot(false);
  SetRightClickSelect(true);
  FImages = reinterpret_cast<HIMAGELIST>(SHGetFileInfo(DesktopItemList(), 0, nullptr, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  ImageList_SetBkColor(FImages, CLR_NONE);
  FNotifier = new TvlShellChangeNotifier(this);
  SetRoot("rfDesktop");
  FLoadingRoot = false;
}

TvlCustomShellTreeView::~TvlCustomShellTreeView() {
  // The links must not call back into a half-destroyed tree.
  if (FListView) FListView->FTreeView = nullptr;
  if (FComboBox) FComboBox->FTreeView = nullptr;
  // The nodes go with the window; their objects are freed while the tree is still whole.
  FreeAllNodes();
  FRootFolder.reset();
}

TvlShellFolder* TvlCustomShellTreeView::NodeObject(const TTreeNode* Node) {
  return Node ? static_cast<TvlShellFolder*>(Node->Data()) : nullptr;
}

TvlShellFolder* TvlCustomShellTreeView::SelectedFolder() const { return NodeObject(Selected()); }

std::string TvlCustomShellTreeView::Path() const {
  TvlShellFolder* folder = SelectedFolder();
  return folder ? folder->PathName() : std::string();
}

// ---- Nodes --------------------------------------------------------------------------------------

void TvlCustomShellTreeView::FreeAllNodes() {
  TNodesUpdate update(Items());
  for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNext()) {
    delete NodeObject(n);
    n->SetData(nullptr);
  }
  Items()->Clear();
}

void TvlCustomShellTreeView::ClearNodes() { FreeAllNodes(); }

void TvlCustomShellTreeView::Delete(TTreeNode* Node) {
  delete NodeObject(Node);
  Node->SetData(nullptr);
  TvlSkinCustomTreeView::Delete(Node);
}

void TvlCustomShellTreeView::SetShellImages(TTreeNode* Node, TItemIDSpan ID) {
  Node->SetImageIndex(ShellImageIndex(ID, false, false));
  Node->SetSelectedIndex(ShellImageIndex(ID, false, true));
}

void TvlCustomShellTreeView::LoadRootNode() {
  if (Loading()) return;
  std::string failure;
  try {
    ResolveRoot(FRootFolder, FOldRoot, FRoot);
  } catch (const Exception& e) {
    failure = e.Message;
  }
  if (FRootFolder) {
    TvlFlagScope loading(FLoadingRoot);
    if (Items()->Count() > 0) FreeAllNodes();
    auto object = std::make_unique<TvlShellFolder>(nullptr, FRootFolder->AbsoluteID(), FRootFolder->ShellFolder());
    TTreeNode* node = Items()->Add(nullptr, "");
    node->SetData(object.get());
    TvlShellFolder* folder = object.release();
    node->SetText(ItemDisplayName(DesktopFolderInterface().get(), folder->AbsoluteID(), SHGDN_NORMAL));
    if (FUseShellImages && !HasOwnImages()) SetShellImages(node, folder->AbsoluteID());
    node->SetHasChildren(folder->SubFolders());
    node->Expand(false);
    SetSelected(node);
  }
  if (!failure.empty()) throw Exception(failure);
}

bool TvlCustomShellTreeView::SetupChildNode(TTreeNode* N, TTreeNode* P, TItemIDSpan ID) {
  TvlShellFolder* parent = NodeObject(P);
  std::shared_ptr<IShellFolder> sf = BindFolderInterface(parent->ShellFolder().get(), ID, nullptr);
  auto* folder = new TvlShellFolder(parent, ID, sf);
  N->SetData(folder);
  N->SetText(folder->DisplayName());
  if (FUseShellImages && !HasOwnImages()) SetShellImages(N, folder->AbsoluteID());
  if (N->SelectedIndex() == 0) N->SetSelectedIndex(N->ImageIndex());
  N->SetHasChildren(folder->SubFolders());
  if (FObjectTypes.Contains(TShellObjectType::otNonFolders) && folder->ShellFolder())
    N->SetHasChildren(FolderHasItems(folder->ShellFolder().get(), ObjectTypesToEnumFlags(FObjectTypes)));
  bool canAdd = true;
  if (OnAddFolder) OnAddFolder(this, folder, canAdd);
  if (!canAdd) N->Delete();
  return canAdd;
}

void TvlCustomShellTreeView::FillChildren(TTreeNode* Node) {
  TvlShellFolder* parent = NodeObject(Node);
  if (!parent || !parent->ShellFolder()) return;
  TvlBusyCursor busy;
  TNodesUpdate update(Items());
  std::unique_ptr<IEnumIDList> items;
  try {
    if (parent->ShellFolder()->EnumObjects(Application()->Handle(), ObjectTypesToEnumFlags(FObjectTypes), items) != S_OK ||
        !items)
      return;
  } catch (const std::exception&) {
    return;  // a folder that cannot be read shows no children
  }
  for (TItemIDList item; items->Next(item) == S_OK;)
    SetupChildNode(Items()->AddChild(Node, ""), Node, item);
  // The shell's own order: the low 16 bits of its comparison, as a signed number.
  Node->CustomSort(
      [](TTreeNode* A, TTreeNode* B, std::intptr_t) {
        TvlShellFolder* a = NodeObject(A);
        TvlShellFolder* b = NodeObject(B);
        if (!a || !b) return 0;
        return static_cast<int>(static_cast<std::int16_t>(
            HRESULT_CODE(a->ParentShellFolder()->CompareIDs(0, a->RelativeID(), b->RelativeID()))));
      },
      0);
}

bool TvlCustomShellTreeView::CanExpand(TTreeNode* Node) {
  bool allowed = true;
  if (OnExpanding) OnExpanding(this, Node, allowed);
  if (allowed) {
    TvlShellFolder* folder = NodeObject(Node);
    if (folder && folder->IsFolder()) {
      if (Node->HasChildren() && Node->Count() == 0) FillChildren(Node);
    } else if (folder) {
      // A file listed with the folders: expanding it starts it.
      const std::string path = folder->PathName();
      ShellExecute(HandleAllocated() ? Handle() : nullptr, nullptr, path.c_str(), nullptr, ExtractFileDir(path).c_str(), 0);
    }
  }
  Node->SetHasChildren(Node->Count() > 0);
  return allowed;
}

TTreeNode* TvlCustomShellTreeView::FindNodeByID(TItemIDSpan ID, TTreeNode* Start) const {
  if (!Start) return nullptr;
  const int level = Start->Level();
  std::shared_ptr<IShellFolder> desktop = DesktopFolderInterface();
  for (TTreeNode* n = Start; n && (n == Start || n->Level() > level); n = n->GetNext()) {
    TvlShellFolder* folder = NodeObject(n);
    if (folder && desktop->CompareIDs(0, folder->AbsoluteID(), ID) == 0) return n;
  }
  return nullptr;
}

void TvlCustomShellTreeView::SelectAbsoluteID(TItemIDSpan ID) {
  if (FLoadingRoot || Loading()) return;
  if (TvlShellFolder* selected = SelectedFolder(); selected && ItemListsEqual(selected->AbsoluteID(), ID)) return;
  TvlFlagScope updating(FUpdating);
  TNodesUpdate update(Items());
  const std::vector<TItemIDList> ancestors = ItemListAncestors(ID);
  TTreeNode* current = Items()->GetFirstNode();
  for (const TItemIDList& ancestor : ancestors) {
    if (TTreeNode* found = FindNodeByID(ancestor, current)) {
      found->Expand(false);
      current = found;
    }
  }
  TTreeNode* target = FindNodeByID(ID, current);
  SetSelected(target);
  if (TvlShellFolder* folder = NodeObject(target)) {
    TItemIDList id = ItemListCopy(folder->AbsoluteID());
    if (FListView) FListView->FollowID(id);
    if (FComboBox) FComboBox->FollowID(id);
  }
}

bool TvlCustomShellTreeView::CanChange(TTreeNode* Node) {
  const bool allowed = TvlSkinCustomTreeView::CanChange(Node);
  if (allowed && !FUpdating && Node) {
    const bool autoRefresh = FAutoRefresh;
    SetAutoRefresh(false);
    FollowNode(Node);
    // The notifier watches the node's folder.
    FNodeToMonitor = Node;
    try {
      SetAutoRefresh(autoRefresh);
    } catch (...) {
      FNodeToMonitor = nullptr;
      throw;
    }
    FNodeToMonitor = nullptr;
  }
  return allowed;
}

void TvlCustomShellTreeView::FollowNode(TTreeNode* Node) {
  TvlShellFolder* folder = NodeObject(Node);
  if (folder && !folder->IsFolder()) folder = folder->Parent();
  if (!folder || (!FListView && !FComboBox)) return;
  TItemIDList id = ItemListCopy(folder->AbsoluteID());
  TvlFlagScope updating(FUpdating);
  if (FComboBox) FComboBox->FollowID(id);
  if (FListView) FListView->FollowID(id);
}

// ---- Path and root ------------------------------------------------------------------------------

void TvlCustomShellTreeView::SetPath(const std::string& Value) {
  FPath = Value;
  try {
    TItemIDList list;
    OleCheck(DesktopFolderInterface()->ParseDisplayName(nullptr, Value, list));
    SelectAbsoluteID(list);
    if (TTreeNode* node = Selected()) {
      node->Expand(false);
      // The notifier follows even when the selection did not move.
      CanChange(node);
    }
    FPath = Value;
  } catch (const EOleSysError&) {
    throw EInvalidPath(Format("Error setting path: \"%s\"", Value));
  }
}

void TvlCustomShellTreeView::ExpandMyComputer() {
  TItemIDList list;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, list))) return;
  SelectAbsoluteID(list);
  if (TTreeNode* node = Selected()) node->Expand(false);
}

void TvlCustomShellTreeView::SetRoot(const TRoot& Value) {
  if (SameText(Value, FRoot)) return;
  FOldRoot = FRoot;
  FRoot = Value;
  ApplyRoot();
}

void TvlCustomShellTreeView::ApplyRoot() {
  if (FUpdating) return;
  TvlFlagScope updating(FUpdating);
  LoadRootNode();
  if (FListView) FListView->SetRoot(FRoot);
}

// ---- Links ---------------------------------------------------------------------------------------

void TvlCustomShellTreeView::SetShellListView(TvlCustomShellListView* Value) {
  if (vlLinkShellPeer(this, FListView, Value, &TvlCustomShellListView::FTreeView, FRoot)) ReplaceReference(FListView, Value);
}

void TvlCustomShellTreeView::SetShellComboBox(TvlCustomShellComboBox* Value) {
  if (vlLinkShellPeer(this, FComboBox, Value, &TvlCustomShellComboBox::FTreeView, FRoot)) ReplaceReference(FComboBox, Value);
}

void TvlCustomShellTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomTreeView::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FListView) FListView = nullptr;
  if (AComponent == FComboBox) FComboBox = nullptr;
  if (AComponent == FNotifier) FNotifier = nullptr;
}

void TvlCustomShellTreeView::SetObjectTypes(TShellObjectTypes Value) {
  FObjectTypes = Value;
  ApplyRoot();
}

// ---- Refresh --------------------------------------------------------------------------------------

void TvlCustomShellTreeView::Refresh(TTreeNode* Node) {
  TvlShellFolder* old = NodeObject(Node);
  if (!old || !old->ShellFolder()) return;
  TItemIDList top;
  if (TvlShellFolder* folder = NodeObject(TopItem())) top = ItemListCopy(folder->AbsoluteID());
  TItemIDList selected;
  if (TvlShellFolder* folder = SelectedFolder()) selected = ItemListCopy(folder->AbsoluteID());
  TNodesUpdate update(Items());
  TvlBusyCursor busy;

  TTreeNode* fresh = Items()->Insert(Node, "");
  fresh->SetData(new TvlShellFolder(NodeObject(Node->Parent()), old->RelativeID(), old->ShellFolder()));
  TvlShellFolder* folder = NodeObject(fresh);
  FillChildren(fresh);
  SetShellImages(fresh, folder->AbsoluteID());
  fresh->SetHasChildren(folder->SubFolders());
  fresh->SetText(folder->DisplayName());

  // Parents come before their children, so nested expansion comes back level by level.
  const int level = Node->Level();
  for (TTreeNode* n = Node; n && (n == Node || n->Level() > level); n = n->GetNext()) {
    if (!n->Expanded()) continue;
    if (TvlShellFolder* object = NodeObject(n))
      if (TTreeNode* found = FindNodeByID(object->AbsoluteID(), fresh)) found->Expand(false);
  }
  delete old;
  Node->SetData(nullptr);
  Node->Delete();

  if (!selected.IsNil()) SetSelected(FindNodeByID(selected, Items()->GetFirstNode()));
  if (!top.IsNil()) SetTopItem(FindNodeByID(top, Items()->GetFirstNode()));
}

void TvlCustomShellTreeView::RefreshSelected() {
  if (Selected()) Refresh(Selected());
}

void TvlCustomShellTreeView::SetAutoRefresh(bool Value) {
  FAutoRefresh = Value;
  if (Loading()) return;
  delete FNotifier;
  FNotifier = nullptr;
  if (!Value) return;
  FNotifier = new TvlShellChangeNotifier(this);
  FNotifier->SetWatchSubTree(false);
  TvlShellFolder* watched = FNodeToMonitor ? NodeObject(FNodeToMonitor) : FRootFolder.get();
  if (!watched) return;  // nothing to watch yet
  FNotifier->SetRoot(watched->PathName());
  FNotifier->SetOnChange([this] { RefreshSelected(); });
}

// ---- Commands and editing ---------------------------------------------------------------------

void TvlCustomShellTreeView::ExecuteCommand(const std::string& Verb, bool& Handled) {
  // "open" runs with the process's current folder left alone: the shell's opener takes the
  // item's own folder.
  if (SameText(Verb, "rename") && Selected()) {
    Selected()->EditText();
    Handled = true;
  }
}

void TvlCustomShellTreeView::CommandCompleted(const std::string& Verb, bool Succeeded) {
  TTreeNode* node = Selected();
  if (!Succeeded || !node) return;
  if (SameText(Verb, "delete")) {
    // A cancelled deletion leaves the item (file or folder) in place, and then its node.
    TvlShellFolder* folder = NodeObject(node);
    if (folder && !AnythingAt(folder->PathName())) node->Delete();
  } else if (SameText(Verb, "paste")) {
    Refresh(node);
  }
}

void TvlCustomShellTreeView::Edit(TTreeNode* Node, const std::string* Text) {
  if (!Text || !Node) return;
  std::string name = *Text;
  TWeak<TControl> self(this);
  if (OnEdited) OnEdited(this, Node, name);
  if (!self) return;
  TTreeNode* parent = Node->Parent();
  if (TvlShellFolder* folder = NodeObject(Node); folder && folder->Rename(name)) Node->SetText(name);
  if (parent) Refresh(parent);
}

// ---- Images -------------------------------------------------------------------------------------

bool TvlCustomShellTreeView::HasOwnImages() const {
  TCustomImageList* images = Images();
  return images && TCustomImageList::FromHandle(FImages) != images;
}

HIMAGELIST TvlCustomShellTreeView::ImageListChoice() const {
  if (HasOwnImages()) return Images()->Handle();
  return FUseShellImages ? FImages : nullptr;
}

void TvlCustomShellTreeView::SetUseShellImages(bool Value) {
  FUseShellImages = Value;
  Perform(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(ImageListChoice()));
}

void TvlCustomShellTreeView::GetImageIndex(TTreeNode* Node) {
  if (HasOwnImages()) TvlSkinCustomTreeView::GetImageIndex(Node);
}
void TvlCustomShellTreeView::GetSelectedIndex(TTreeNode* Node) {
  if (HasOwnImages()) TvlSkinCustomTreeView::GetSelectedIndex(Node);
}

void TvlCustomShellTreeView::ChangeSkinData() {
  TvlSkinCustomTreeView::ChangeSkinData();
  // The system list is shared by every view: it keeps no background of this tree's colour.
  ImageList_SetBkColor(FImages, CLR_NONE);
}

// ---- Window ---------------------------------------------------------------------------------------

void TvlCustomShellTreeView::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
      // The context menu's owner-drawn messages are its own.
      if (IContextMenu* menu = TrackedContextMenu()) menu->HandleMenuMsg(Message.Msg, Message.WParam, Message.LParam);
      Message.Result = 0;
      return;
    case TVM_SETIMAGELIST:
      if (FImageListChanging) break;
      {
        // Whatever list arrives, the tree's own choice stays in force.
        TvlFlagScope changing(FImageListChanging);
        Perform(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(ImageListChoice()));
      }
      return;
    case WM_CONTEXTMENU: {
      const bool menuPops = PopupMenu() && PopupMenu()->AutoPopup();
      if (FAutoContext && !menuPops) {
        TPoint at{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
        at = (at.X == -1 && at.Y == -1) ? TPoint{0, 0} : ScreenToClient(at);
        ShowItemContextMenu(this, SelectedFolder(), at.X, at.Y);
        Message.Result = 1;
        return;
      }
      break;
    }
    default: break;
  }
  TvlSkinCustomTreeView::WndProc(Message);
}

void TvlCustomShellTreeView::CreateWnd() {
  TvlSkinCustomTreeView::CreateWnd();
  if (Items()->Count() > 0) FreeAllNodes();
  if (!HasOwnImages()) SetUseShellImages(FUseShellImages);
  if (!FLoadingRoot) {
    LoadRootNode();
    if (!FPath.empty()) SetPath(FPath);
  }
}

void TvlCustomShellTreeView::DestroyWnd() {
  FreeAllNodes();
  TvlSkinCustomTreeView::DestroyWnd();
}

void TvlCustomShellTreeView::Loaded() {
  TvlSkinCustomTreeView::Loaded();
  LoadRootNode();
}
