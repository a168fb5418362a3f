// The shell combo box (TvlCustomShellComboBox).
#include "lib/dialogs/vlSkinShellComboBox.h"

#include <algorithm>
#include <cstdint>

#include "lib/dialogs/vlShellGuards.h"
#include "lib/dialogs/vlSkinShellListView.h"
#include "lib/dialogs/vlSkinShellTreeView.h"
#include "platform/shell/ShellIcons.h"
#include "platform/core/SysUtils.h"

namespace {

// BeginUpdate/EndUpdate of the item collection, ended on every path.
class TItemsExUpdate {
 public:
  explicit TItemsExUpdate(TvlItemsEx& Items) : items_(Items) { items_.BeginUpdate(); }
  ~TItemsExUpdate() { items_.EndUpdate(); }
  TItemsExUpdate(const TItemsExUpdate&) = delete;
  TItemsExUpdate& operator=(const TItemsExUpdate&) = delete;

 private:
  TvlItemsEx& items_;
};

}  // namespace

// ---- TvlItemsEx -------------------------------------------------------------------------------------

TvlItemEx* TvlItemsEx::GetItem(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return items_[static_cast<std::size_t>(Index)].get();
}

TvlItemEx* TvlItemsEx::Insert(int Index) {
  Index = std::clamp(Index, 0, Count());
  return items_.insert(items_.begin() + Index, std::make_unique<TvlItemEx>())->get();
}

TvlItemEx* TvlItemsEx::AddItem(const std::string& ACaption, int AImageIndex, int ASelectedIndex, int AIndent,
                               std::unique_ptr<TvlShellFolder> AFolder) {
  TvlItemEx* item = Insert(Count());
  item->Caption = ACaption;
  item->ImageIndex = AImageIndex;
  item->SelectedImageIndex = ASelectedIndex;
  item->Indent = AIndent;
  item->Data = std::move(AFolder);
  return item;
}

// ---- TvlCustomShellComboBox ---------------------------------------------------------------------------

TvlCustomShellComboBox::TvlCustomShellComboBox(TComponent* AOwner) : TvlSkinCustomComboBox(AOwner) {
  FImages = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfo(DesktopItemList(), 0, nullptr, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  ImageList_GetIconSize(FImages, &FImageWidth, &FImageHeight);
  FRoot.clear();
  SetRoot("rfDesktop");
  SetOnListBoxDrawItem([this](TCanvas* C, int Index, int, int, const TRect& R, TOwnerDrawState) {
    DrawItem(C, Index, R, true);
  });
  OnComboBoxDrawItem = [this](TCanvas* C, int Index, int, int, const TRect& R, TOwnerDrawState) {
    DrawItem(C, Index, R, false);
  };
}

TvlCustomShellComboBox::~TvlCustomShellComboBox() {
  if (FTreeView) FTreeView->FComboBox = nullptr;
  if (FListView) FListView->FComboBox = nullptr;
  FItemsEx.Clear();
  FRootFolder.reset();
}

TvlShellFolder* TvlCustomShellComboBox::FolderAt(int Index) const {
  if (FItemsEx.Count() == 0) return nullptr;
  return FItemsEx.GetItem(std::clamp(Index, 0, FItemsEx.Count() - 1))->Data.get();
}

int TvlCustomShellComboBox::FolderImageIndex(const TvlShellFolder& Folder) const {
  return FUseShellImages ? ShellImageIndex(Folder.AbsoluteID(), false, false) : -1;
}

std::string TvlCustomShellComboBox::Path() const {
  if (ItemIndex() < 0) return {};
  TvlShellFolder* folder = FolderAt(ItemIndex());
  return folder ? folder->PathName() : std::string();
}

// ---- Items -------------------------------------------------------------------------------------------

void TvlCustomShellComboBox::SyncItemTexts() {
  Items()->BeginUpdate();
  try {
    Items()->Clear();
    for (int i = 0; i < FItemsEx.Count(); ++i) Items()->Add(FItemsEx.GetItem(i)->Caption);
  } catch (...) {
    Items()->EndUpdate();
    throw;
  }
  Items()->EndUpdate();
}

void TvlCustomShellComboBox::ClearFolderItems() {
  {
    TItemsExUpdate update(FItemsEx);
    FItemsEx.Clear();
  }
  SyncItemTexts();
}

std::unique_ptr<TvlShellFolder> TvlCustomShellComboBox::CreateChildFolder(TvlShellFolder* Parent,
                                                                          TItemIDSpan ID) const {
  std::shared_ptr<IShellFolder> sf = BindFolderInterface(Parent->ShellFolder().get(), ID, nullptr);
  return std::make_unique<TvlShellFolder>(Parent, ID, sf);
}

void TvlCustomShellComboBox::InsertFolderItem(int Index, std::unique_ptr<TvlShellFolder> Folder) {
  TvlItemEx* item = FItemsEx.Insert(Index);
  item->Caption = Folder->DisplayName();
  item->Indent = Folder->Level();
  item->ImageIndex = FolderImageIndex(*Folder);
  item->SelectedImageIndex = item->ImageIndex;
  item->Data = std::move(Folder);
}

void TvlCustomShellComboBox::AddChildItems(int Index, TvlShellFolder* Parent) {
  if (!Parent || !Parent->ShellFolder()) return;
  std::unique_ptr<IEnumIDList> items;
  OleCheck(Parent->ShellFolder()->EnumObjects(nullptr, ObjectTypesToEnumFlags(FObjectTypes), items));
  if (!items) return;
  std::vector<TItemIDList> children;
  for (TItemIDList item; items->Next(item) == S_OK;) children.push_back(std::move(item));
  std::shared_ptr<IShellFolder> sort = Parent->ShellFolder();
  std::stable_sort(children.begin(), children.end(), [&](const TItemIDList& A, const TItemIDList& B) {
    return static_cast<std::int16_t>(HRESULT_CODE(sort->CompareIDs(0, A, B))) < 0;
  });
  TItemsExUpdate update(FItemsEx);
  int k = 0;
  for (const TItemIDList& child : children) InsertFolderItem(Index + ++k, CreateChildFolder(Parent, child));
}

int TvlCustomShellComboBox::IndexOfID(TItemIDSpan ID) const {
  for (int i = FItemsEx.Count() - 1; i >= 0; --i) {
    const TvlShellFolder* folder = FItemsEx.GetItem(i)->Data.get();
    if (folder && ItemListsEqual(folder->AbsoluteID(), ID)) return i;
  }
  return -1;
}

void TvlCustomShellComboBox::AddRootChildren() {
  TItemsExUpdate update(FItemsEx);
  AddChildItems(0, FolderAt(0));
  // Only the desktop root written as the name itself shows Computer's children as well.
  if (FRoot == "rfDesktop") {
    TItemIDList computer;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer))) {
      const int at = IndexOfID(computer);
      if (at >= 0) AddChildItems(at, FolderAt(at));
    }
  }
}

void TvlCustomShellComboBox::BuildRootItems() {
  if (Loading()) return;
  TItemsExUpdate update(FItemsEx);
  ClearFolderItems();
  ResolveRoot(FRootFolder, FOldRoot, FRoot);
  auto root = std::make_unique<TvlShellFolder>(nullptr, FRootFolder->AbsoluteID(), FRootFolder->ShellFolder());
  const int image = FolderImageIndex(*root);
  const std::string caption = root->DisplayName();
  FItemsEx.AddItem(caption, image, image, 0, std::move(root));
  AddRootChildren();
  SyncItemTexts();
  SetItemIndex(0);
}

void TvlCustomShellComboBox::ExpandToID(TItemIDSpan ID) {
  TItemsExUpdate update(FItemsEx);
  BuildRootItems();
  const std::vector<TItemIDList> ancestors = ItemListAncestors(ID);
  int i = -1;
  std::size_t j = 0;
  for (std::size_t a = ancestors.size(); a-- > 0;) {
    i = IndexOfID(ancestors[a]);
    if (i >= 0) {
      j = a;
      break;
    }
  }
  if (i < 0) return;
  for (std::size_t a = j + 1; a < ancestors.size(); ++a) {
    TItemIDList last = ItemListLastItem(ancestors[a]);
    InsertFolderItem(i + 1, CreateChildFolder(FolderAt(i), last));
    ++i;
  }
  int target = IndexOfID(ID);
  if (target < 0) {
    TItemIDList last = ItemListLastItem(ID);
    InsertFolderItem(i + 1, CreateChildFolder(FolderAt(i), last));
    target = i + 1;
  }
  SyncItemTexts();
  SetItemIndex(target);
}

void TvlCustomShellComboBox::FollowID(TItemIDSpan ID) {
  if (FUpdating) return;
  if (ItemIndex() >= 0)
    if (TvlShellFolder* folder = FolderAt(ItemIndex()); folder && ItemListsEqual(folder->AbsoluteID(), ID)) return;
  TvlFlagScope updating(FUpdating);
  ExpandToID(ID);
}

void TvlCustomShellComboBox::ItemIndexChanged() {
  if (FItemsEx.Updating()) return;
  TvlSkinCustomComboBox::ItemIndexChanged();
  if (ItemIndex() < 0 || FUpdating || IsPopupVisible()) return;
  TvlFlagScope updating(FUpdating);
  TvlShellFolder* folder = FolderAt(ItemIndex());
  if (!folder) return;
  // The combo box rebuilds its items when the linked views follow: the list is copied first.
  TItemIDList id = ItemListCopy(folder->AbsoluteID());
  if (FTreeView) FTreeView->SelectAbsoluteID(id);
  if (FListView) FListView->FollowID(id);
}

void TvlCustomShellComboBox::SetPath(const std::string& Value) {
  try {
    TItemIDList list;
    OleCheck(DesktopFolderInterface()->ParseDisplayName(nullptr, Value, list));
    ExpandToID(list);
  } catch (const EOleSysError&) {
    throw EInvalidPath(Format("Error setting path: \"%s\"", Value));
  }
}

// ---- Root and links ------------------------------------------------------------------------------

void TvlCustomShellComboBox::SetRoot(const TRoot& Value) {
  if (SameText(Value, FRoot)) return;
  FOldRoot = FRoot;
  FRoot = Value;
  ApplyRoot();
}

void TvlCustomShellComboBox::ApplyRoot() {
  TvlFlagScope updating(FUpdating);
  ClearFolderItems();
  BuildRootItems();
  if (FTreeView) FTreeView->SetRoot(FRoot);
  if (FListView) FListView->SetRoot(FRoot);
}

void TvlCustomShellComboBox::SetObjectTypes(TShellObjectTypes Value) {
  FObjectTypes = Value;
  ApplyRoot();
}

void TvlCustomShellComboBox::SetShellTreeView(TvlCustomShellTreeView* Value) {
  if (Value == FTreeView) return;
  if (Value) {
    Value->SetRoot(FRoot);
    Value->FComboBox = this;
  } else if (FTreeView) {
    FTreeView->FComboBox = nullptr;
  }
  ReplaceReference(FTreeView, Value);
}

void TvlCustomShellComboBox::SetShellListView(TvlCustomShellListView* Value) {
  if (Value == FListView) return;
  if (Value) {
    Value->SetRoot(FRoot);
    Value->FComboBox = this;
  } else if (FListView) {
    FListView->FComboBox = nullptr;
  }
  ReplaceReference(FListView, Value);
}

void TvlCustomShellComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomComboBox::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FTreeView) FTreeView = nullptr;
  if (AComponent == FListView) FListView = nullptr;
}

// ---- Drawing ---------------------------------------------------------------------------------------

void TvlCustomShellComboBox::DrawItem(TCanvas* Cnvs, int Index, const TRect& TxtRect, bool Indented) {
  if (Index < 0 || Index >= FItemsEx.Count() || Index >= Items()->Count()) return;
  const TvlItemEx* item = FItemsEx.GetItem(Index);
  const int indent = Indented ? item->Indent * FImageWidth / 2 : 0;
  int x = TxtRect.Left + indent;
  if (FImages && item->ImageIndex >= 0) {
    ImageList_Draw(FImages, item->ImageIndex, Cnvs->Handle(), x,
                   TxtRect.Top + (TxtRect.Height() - FImageHeight) / 2, ILD_NORMAL);
    x += FImageWidth + 4;
  }
  Cnvs->Brush()->SetStyle(TBrushStyle::bsClear);
  Cnvs->TextOut(x, TxtRect.Top + TxtRect.Height() / 2 - Cnvs->TextHeight("Wg") / 2, Items()->Strings(Index));
}

// ---- Window ----------------------------------------------------------------------------------------

void TvlCustomShellComboBox::CreateWnd() {
  TvlSkinCustomComboBox::CreateWnd();
  // The items live beside the window: a re-created window keeps the folder it showed.
  if (FItemsEx.Count() == 0) BuildRootItems();
}

void TvlCustomShellComboBox::Loaded() {
  TvlSkinCustomComboBox::Loaded();
  BuildRootItems();
}
