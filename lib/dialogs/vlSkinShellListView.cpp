// The shell list view (TvlCustomShellListView).
#include "lib/dialogs/vlSkinShellListView.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "lib/dialogs/vlShellGuards.h"
#include "lib/dialogs/vlSkinShellComboBox.h"
#include "lib/dialogs/vlSkinShellTreeView.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "platform/shell/Masks.h"
#include "platform/controls/Menus.h"
#include "platform/shell/ShellIcons.h"
#include "platform/core/SysUtils.h"

namespace {

// BeginUpdate/EndUpdate of the items, ended on every path.
class TItemsUpdate {
 public:
  explicit TItemsUpdate(TListItems* Items) : items_(Items) { items_->BeginUpdate(); }
  ~TItemsUpdate() { items_->EndUpdate(); }
  TItemsUpdate(const TItemsUpdate&) = delete;
  TItemsUpdate& operator=(const TItemsUpdate&) = delete;

 private:
  TListItems* items_;
};

// The shell's own order of two items of one folder: the low 16 bits of its comparison.
int ShellOrder(const TvlShellFolder& A, const TvlShellFolder& B) {
  std::shared_ptr<IShellFolder> parent = A.ParentShellFolder();
  if (!parent) return 0;
  return static_cast<std::int16_t>(HRESULT_CODE(parent->CompareIDs(0, A.RelativeID(), B.RelativeID())));
}

// A file's size as people read it: whole kilobytes (rounded up, as the desktop's file managers
// do) below a megabyte, then megabytes and gigabytes with one decimal.
std::string SizeText(std::int64_t Bytes) {
  if (Bytes < 0) return {};
  constexpr std::int64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024;
  if (Bytes < kMB) return IntToStr((Bytes + kKB - 1) / kKB) + " KB";
  char text[32];
  if (Bytes < kGB)
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(Bytes) / kMB);
  else
    std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(Bytes) / kGB);
  return text;
}

// The default columns: text key, alignment, width in widths of "X".
struct TDefaultColumn {
  const char* Key;
  TAlignment Alignment;
  int Chars;
};
constexpr TDefaultColumn kDefaultColumns[] = {
    {"FLV_NAME", TAlignment::taLeftJustify, 25},
    {"FLV_SIZE", TAlignment::taRightJustify, 10},
    {"FLV_TYPE", TAlignment::taLeftJustify, 10},
    {"FLV_MODIFIED", TAlignment::taLeftJustify, 14},
};

// What a column sort compares of one row, read once before the rows move.
struct TSortKey {
  const TvlShellFolder* Item = nullptr;
  bool Folder = false;
  std::string Name;
  std::int64_t Size = 0;
  std::string Type;
  std::uint64_t Written = 0;
};

}  // namespace

TvlCustomShellListView::TvlCustomShellListView(TComponent* AOwner) : TvlSkinCustomListView(AOwner) {
  SetOwnerData(true);
  FSmallImages = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfo(DesktopItemList(), 0, nullptr, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  FLargeImages = reinterpret_cast<HIMAGELIST>(SHGetFileInfo(DesktopItemList(), 0, nullptr, SHGFI_SYSICONINDEX));
  SetRoot("rfDesktop");
}

TvlCustomShellListView::~TvlCustomShellListView() {
  // No change may reach a view that is going.
  delete FNotifier;
  FNotifier = nullptr;
  // The links must not call back into a half-destroyed view.
  if (FTreeView) FTreeView->FListView = nullptr;
  if (FComboBox) FComboBox->FListView = nullptr;
  FRootFolder.reset();
  FFolders.clear();
}

// ---- Rows ------------------------------------------------------------------------------------------

TvlShellFolder* TvlCustomShellListView::FolderAt(int Index) const {
  if (Index < 0 || Index >= FolderCount()) return nullptr;
  return FFolders[static_cast<std::size_t>(Index)].get();
}

void TvlCustomShellListView::FreeFolders() {
  if (!ComponentState().Contains(TComponentStateFlag::csDestroying)) Items()->SetCount(0);
  FFolders.clear();
}

bool TvlCustomShellListView::MatchesFileMask(const std::string& Name, const std::string& Mask) {
  std::size_t start = 0;
  while (start <= Mask.size()) {
    std::size_t end = Mask.find_first_of(";|", start);
    if (end == std::string::npos) end = Mask.size();
    const std::string pattern = Mask.substr(start, end - start);
    // "*.*" is every file, with an extension or without, as the file dialogs read it.
    if (pattern == "*" || pattern == "*.*") return true;
    if (pattern.find('.') != std::string::npos) {
      try {
        if (MatchesMask(Name, pattern)) return true;
      } catch (const EMaskException&) {
        // A pattern that cannot be read matches nothing; the others still count.
      }
    }
    start = end + 1;
  }
  return false;
}

void TvlCustomShellListView::Populate() {
  if ((Loading() && !HandleAllocated()) || !FRootFolder) return;
  TItemsUpdate update(Items());
  FreeFolders();
  TvlBusyCursor busy;
  std::unique_ptr<IEnumIDList> items;
  try {
    if (!FRootFolder->ShellFolder() ||
        FRootFolder->ShellFolder()->EnumObjects(Application()->Handle(), ObjectTypesToEnumFlags(FObjectTypes), items) !=
            S_OK ||
        !items)
      return;
  } catch (const std::exception&) {
    return;  // a folder that cannot be read shows no rows
  }
  std::vector<std::unique_ptr<TvlShellFolder>> rows;
  for (TItemIDList item; items->Next(item) == S_OK;) {
    std::shared_ptr<IShellFolder> sf = BindFolderInterface(FRootFolder->ShellFolder().get(), item, nullptr);
    auto folder = std::make_unique<TvlShellFolder>(FRootFolder.get(), item, sf);
    bool include = folder->IsFolder() || MatchesFileMask(ExtractFileName(folder->FullObjectName()), FMask);
    if (OnAddFolder) OnAddFolder(this, folder.get(), include);
    if (include) rows.push_back(std::move(folder));
  }
  if (FSorted)
    std::stable_sort(rows.begin(), rows.end(), [](const auto& A, const auto& B) {
      if (A->IsFolder() != B->IsFolder()) return A->IsFolder();
      return ShellOrder(*A, *B) < 0;
    });
  FFolders = std::move(rows);
  FitListColumns();
  Items()->SetCount(FolderCount());
}

void TvlCustomShellListView::FitListColumns() {
  // In list style every column of names is as wide as the widest name (within bounds), so names
  // are not cut while there is room.
  constexpr int kLeast = 120, kMost = 360, kMargins = 14;
  TBitmap measure;
  measure.Canvas()->Font()->Assign(Font());
  int widest = 0;
  for (const auto& folder : FFolders) widest = std::max(widest, measure.Canvas()->TextWidth(folder->DisplayName()));
  const int icon = SmallImages() ? SmallImages()->Width() + 2 : 0;
  const int width = std::clamp(widest + icon + kMargins, kLeast, kMost);
  if (ViewStyle() == TViewStyle::vsList) Perform(LVM_SETCOLUMNWIDTH, 0, width);
}

// ---- Column sort ---------------------------------------------------------------------------------

void TvlCustomShellListView::ColumnClick(TListColumn* Column) {
  TvlSkinCustomListView::ColumnClick(Column);
  const int index = Column ? Column->Index() : 0;
  if (Columns()->Count() < 4 && index != 0) return;
  FOldSortColumn = FSortColumn;
  FSortColumn = index;
  FSortDirection = (FSortColumn == FOldSortColumn && FSortColumn != -1) ? !FSortDirection : false;
  SortByColumn();
}

void TvlCustomShellListView::SortByColumn() {
  // Every key is read before a row moves: a file that changes or goes meanwhile cannot make the
  // comparison inconsistent, and a file whose details cannot be read stops the sort before it
  // starts (EInvalidPath), leaving the rows as they were.
  const int column = FSortColumn;
  std::vector<TSortKey> keys(FFolders.size());
  for (std::size_t i = 0; i < FFolders.size(); ++i) {
    const TvlShellFolder& f = *FFolders[i];
    TSortKey& k = keys[i];
    k.Item = &f;
    k.Folder = f.IsFolder();
    if (column == 0) k.Name = f.DisplayName();
    if (column == 1 || column == 3) {
      WIN32_FIND_DATA data;
      f.ReadFindData(data);
      k.Size = FindDataSize(data);
      k.Written = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                  data.ftLastWriteTime.dwLowDateTime;
    }
    if (column == 2 && !k.Folder) k.Type = ExtractFileExt(f.FullObjectName());
  }
  std::vector<std::size_t> order(FFolders.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const bool descending = FSortDirection;
  auto compare = [&](std::size_t a, std::size_t b) {
    const TSortKey& A = keys[a];
    const TSortKey& B = keys[b];
    int r = 0;
    if (A.Folder != B.Folder) {
      r = A.Folder ? -1 : 1;
    } else {
      switch (column) {
        case 0: r = AnsiCompareText(A.Name, B.Name); break;
        // Two folders have no size: they keep the shell's order.
        case 1: r = A.Folder ? ShellOrder(*A.Item, *B.Item) : (A.Size == B.Size ? 0 : (A.Size > B.Size ? 1 : -1)); break;
        case 2: r = AnsiCompareText(A.Type, B.Type); break;
        case 3: r = A.Written == B.Written ? 0 : (A.Written > B.Written ? 1 : -1); break;
        default: r = ShellOrder(*A.Item, *B.Item); break;
      }
    }
    return descending ? r > 0 : r < 0;
  };
  std::stable_sort(order.begin(), order.end(), compare);
  std::vector<std::unique_ptr<TvlShellFolder>> sorted;
  sorted.reserve(order.size());
  for (std::size_t i : order) sorted.push_back(std::move(FFolders[i]));
  TItemsUpdate update(Items());
  FFolders = std::move(sorted);
  Invalidate();
}

// ---- Owner data ----------------------------------------------------------------------------------

bool TvlCustomShellListView::OwnerDataFetch(TListItem* Item, TItemRequest Request) {
  TvlShellFolder* f = FolderAt(Item->Index());
  if (!f) return true;
  if (Request.Contains(TItemRequestKind::irText)) Item->SetCaption(f->DisplayName());
  if (Request.Contains(TItemRequestKind::irImage)) Item->SetImageIndex(f->ImageIndex(ViewStyle() == TViewStyle::vsIcon));
  if (ViewStyle() == TViewStyle::vsReport && Columns()->Count() > 1) {
    try {
      f->LoadColumnDetails(FRootFolder.get(), HandleAllocated() ? Handle() : nullptr, Columns()->Count());
      for (int i = 1; i < Columns()->Count(); ++i) {
        std::string text = f->DetailText(i);
        // A folder has no size of its own: its cell stays empty.
        if (i == 1) text = f->IsFolder() ? std::string() : SizeText(StrToInt64Def(text, -1));
        Item->SubItems()->Add(text);
      }
    } catch (const Exception&) {
      // An item that went meanwhile shows its name without details until the next refresh.
    }
  }
  return true;
}

int TvlCustomShellListView::OwnerDataFind(TItemFind Find, const std::string& FindString, TPoint, void*, int StartIndex,
                                          TSearchDirection, bool Wrap) {
  if ((Find != TItemFind::ifPartialString && Find != TItemFind::ifExactString) || StartIndex == -1) return -1;
  const std::string prefix = AnsiUpperCase(FindString);
  const int count = FolderCount();
  if (count == 0) return -1;
  int i = StartIndex;
  for (int visited = 0; visited < count; ++visited, ++i) {
    if (i >= count) {
      if (!Wrap) return -1;
      i = 0;
    }
    if (AnsiUpperCase(FFolders[static_cast<std::size_t>(i)]->DisplayName()).starts_with(prefix)) return i;
  }
  return -1;
}

// ---- Columns -------------------------------------------------------------------------------------

void TvlCustomShellListView::AddColumn(const char* Key, TAlignment Alignment, int Chars) {
  TListColumn* column = Columns()->Add();
  column->SetCaption(vlInterfaceText(FSD, Key));
  column->SetAlignment(Alignment);
  // Measured on a bitmap of its own: the view's canvas draws only while it paints.
  TBitmap measure;
  measure.SetWidth(1);
  measure.SetHeight(1);
  measure.Canvas()->SetFont(Font());
  column->SetWidth(Chars * measure.Canvas()->TextWidth("X"));
}

void TvlCustomShellListView::AddDefaultColumns(int Count) {
  for (int i = 0; i < std::clamp(Count, 1, 4); ++i)
    AddColumn(kDefaultColumns[i].Key, kDefaultColumns[i].Alignment, kDefaultColumns[i].Chars);
}

void TvlCustomShellListView::BuildColumns() {
  if (!FRootFolder || !FRootFolder->ShellFolder()) return;
  Columns()->Clear();
  FRootFolder->SetViewHandle(HandleAllocated() ? Handle() : nullptr);
  // The namespace has no column handlers of its own: a file-system folder shows the find-data
  // columns, any other folder its names alone.
  AddDefaultColumns(FRootFolder->Properties().Contains(TvlShellFolderProperty::fpFileSystem) ? 4 : 1);
}

void TvlCustomShellListView::SetViewStyle(TViewStyle Value) {
  TvlSkinCustomListView::SetViewStyle(Value);
  if (Value == TViewStyle::vsReport) BuildColumns();
  if (Value == TViewStyle::vsList) FitListColumns();
}

// ---- Opening folders -----------------------------------------------------------------------------

std::string TvlCustomShellListView::Path() const { return FRootFolder ? FRootFolder->PathName() : std::string(); }

void TvlCustomShellListView::OpenID(TItemIDSpan ID) {
  if (FUpdating) return;
  if (FRootFolder && ItemListsEqual(FRootFolder->AbsoluteID(), ID)) return;
  std::unique_ptr<TvlShellFolder> next = CreateRootItem(ID);
  FRootFolder = std::move(next);
  FSettingRoot = false;
  ReloadFolder();
  if (OnPathChanged) OnPathChanged(this);
}

void TvlCustomShellListView::FollowID(TItemIDSpan ID) {
  if (FUpdating) return;
  if (!FRootFolder || !ItemListsEqual(FRootFolder->AbsoluteID(), ID)) OpenID(ID);
}

void TvlCustomShellListView::Back() {
  if (!FRootFolder) return;
  TItemIDList parent = ItemListCopy(FRootFolder->AbsoluteID());
  ItemListDropLast(parent);
  OpenID(parent);
}

void TvlCustomShellListView::SetPath(const std::string& Value) {
  try {
    TItemIDList list;
    OleCheck(DesktopFolderInterface()->ParseDisplayName(nullptr, Value, list));
    OpenID(list);
  } catch (const EOleSysError&) {
    throw EInvalidPath(Format("Error setting path: \"%s\"", Value));
  }
}

void TvlCustomShellListView::DblClick() {
  TvlShellFolder* selected = SelectedFolder();
  if (FAutoNavigate && selected && selected->IsFolder()) {
    TItemIDList id = ItemListCopy(selected->AbsoluteID());
    OpenID(id);
  }
  TvlSkinCustomListView::DblClick();
}

void TvlCustomShellListView::KeyDown(WORD& Key, TShiftState Shift) {
  TvlSkinCustomListView::KeyDown(Key, Shift);
  if (!FAutoNavigate) return;
  switch (Key) {
    case VK_BACK:
      if (!IsEditing()) Back();
      break;
    case VK_RETURN:
      if (TvlShellFolder* selected = SelectedFolder()) {
        if (Shift.Contains(TShiftStateFlag::ssAlt)) {
          (void)InvokeItemVerb(selected, "properties");
          Key = 0;
        } else if (selected->IsFolder()) {
          TItemIDList id = ItemListCopy(selected->AbsoluteID());
          OpenID(id);
        }
      }
      break;
    case VK_F5: Refresh(); break;
    default: break;
  }
}

// ---- Root and reloading --------------------------------------------------------------------------

void TvlCustomShellListView::LoadRoot() { ResolveRoot(FRootFolder, FOldRoot, FRoot); }

void TvlCustomShellListView::SetRoot(const TRoot& Value) {
  if (SameText(Value, FRoot)) return;
  FOldRoot = FRoot;
  FRoot = Value;
  LoadRoot();
  FSettingRoot = true;
  ReloadFolder();
}

void TvlCustomShellListView::ReloadFolder() {
  if (FUpdating) return;
  TvlFlagScope updating(FUpdating);
  const bool autoRefresh = FAutoRefresh;
  SetAutoRefresh(false);
  SyncLinkedViews();
  Populate();
  if (ViewStyle() == TViewStyle::vsReport) BuildColumns();
  SetAutoRefresh(autoRefresh);
}

void TvlCustomShellListView::SyncLinkedViews() {
  const bool settingRoot = FSettingRoot;
  FSettingRoot = false;
  if (settingRoot) {
    if (FTreeView) FTreeView->SetRoot(FRoot);
  } else if (FRootFolder) {
    TItemIDList id = ItemListCopy(FRootFolder->AbsoluteID());
    if (FTreeView) FTreeView->SelectAbsoluteID(id);
    if (FComboBox) FComboBox->FollowID(id);
  }
}

void TvlCustomShellListView::SetObjectTypes(TShellObjectTypes Value) {
  FObjectTypes = Value;
  if (!Loading()) ReloadFolder();
}

void TvlCustomShellListView::SetMask(const std::string& Value) {
  if (Value == FMask) return;
  FMask = Value;
  ReloadFolder();
}

void TvlCustomShellListView::SetSorted(bool Value) {
  if (Value == FSorted) return;
  FSorted = Value;
  Populate();
}

void TvlCustomShellListView::Refresh() {
  const TListItem* selected = Selected();
  const int index = selected ? selected->Index() : -1;
  ClearSelection();
  if (!FRootFolder) return;
  TItemIDList id = ItemListCopy(FRootFolder->AbsoluteID());
  FRootFolder.reset();
  OpenID(id);
  if (index >= 0 && index < Items()->Count()) SetItemIndex(index);
}

void TvlCustomShellListView::SetAutoRefresh(bool Value) {
  FAutoRefresh = Value;
  if (Loading()) return;
  delete FNotifier;
  FNotifier = nullptr;
  if (!Value || !FRootFolder) return;
  const std::string path = FRootFolder->FullObjectName();
  if (path.empty()) return;  // a folder outside the file system cannot be watched
  FNotifier = new TvlShellChangeNotifier(this);
  FNotifier->SetWatchSubTree(false);
  FNotifier->SetRoot(path);
  FNotifier->SetOnChange([this] { Refresh(); });
}

// ---- Links ---------------------------------------------------------------------------------------

void TvlCustomShellListView::SetShellTreeView(TvlCustomShellTreeView* Value) {
  if (vlLinkShellPeer(this, FTreeView, Value, &TvlCustomShellTreeView::FListView, FRoot)) ReplaceReference(FTreeView, Value);
}

void TvlCustomShellListView::SetShellComboBox(TvlCustomShellComboBox* Value) {
  if (vlLinkShellPeer(this, FComboBox, Value, &TvlCustomShellComboBox::FListView, FRoot)) ReplaceReference(FComboBox, Value);
}

void TvlCustomShellListView::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomListView::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FTreeView) FTreeView = nullptr;
  if (AComponent == FComboBox) FComboBox = nullptr;
  if (AComponent == FNotifier) FNotifier = nullptr;
}

// ---- Selection -----------------------------------------------------------------------------------

TvlShellFolder* TvlCustomShellListView::SelectedFolder() const {
  const TListItem* item = Selected();
  return item ? FolderAt(item->Index()) : nullptr;
}

std::string TvlCustomShellListView::GetSelectedFile() const {
  TvlShellFolder* f = SelectedFolder();
  return f && !f->IsFolder() ? f->FullObjectName() : std::string();
}

void TvlCustomShellListView::GetSelectedFiles(TStrings* AFiles) const {
  AFiles->Clear();
  for (int i = 0; i < FolderCount(); ++i)
    if (IsItemSelected(i) && !FFolders[static_cast<std::size_t>(i)]->IsFolder())
      AFiles->Add(FFolders[static_cast<std::size_t>(i)]->FullObjectName());
}

// ---- Commands and editing ---------------------------------------------------------------------

void TvlCustomShellListView::StartLabelEdit() {
  if (const TListItem* item = Selected()) Perform(LVM_EDITLABEL, static_cast<WPARAM>(item->Index()), 0);
}

void TvlCustomShellListView::ExecuteCommand(const std::string& Verb, bool& Handled) {
  // "open" runs with the process's current folder left alone: the desktop's opener takes the
  // item's own folder.
  if (SameText(Verb, "rename")) {
    StartLabelEdit();
    Handled = true;
  }
}

void TvlCustomShellListView::CommandCompleted(const std::string& Verb, bool Succeeded) {
  if (Succeeded && (SameText(Verb, "delete") || SameText(Verb, "paste"))) Refresh();
}

void TvlCustomShellListView::Edit(int ItemIndex, const std::string* Text) {
  if (!Text || ItemIndex < 0 || ItemIndex >= FolderCount()) return;
  (void)FFolders[static_cast<std::size_t>(ItemIndex)]->Rename(*Text);
  Perform(LVM_REDRAWITEMS, static_cast<WPARAM>(ItemIndex), ItemIndex);
  if (FTreeView && FTreeView->Selected()) FTreeView->Refresh(FTreeView->Selected());
}

// ---- Window ---------------------------------------------------------------------------------------

void TvlCustomShellListView::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
      if (IContextMenu* menu = TrackedContextMenu()) menu->HandleMenuMsg(Message.Msg, Message.WParam, Message.LParam);
      Message.Result = 0;
      break;
    case WM_CONTEXTMENU:
      if (FAutoContext && SelectedFolder()) {
        TPoint at{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
        at = (at.X == -1 && at.Y == -1) ? TPoint{0, 0} : ScreenToClient(at);
        ShowItemContextMenu(this, SelectedFolder(), at.X, at.Y);
        Message.Result = 1;
        Refresh();
        return;
      }
      break;
    default: break;
  }
  TvlSkinCustomListView::WndProc(Message);
}

void TvlCustomShellListView::CreateWnd() {
  TvlSkinCustomListView::CreateWnd();
  if (FSmallImages) Perform(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(FSmallImages));
  if (FLargeImages) Perform(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(FLargeImages));
  // A view that has been somewhere keeps its folder; a new one starts at its root.
  if (!FRootFolder) LoadRoot();
  ReloadFolder();
}

void TvlCustomShellListView::DestroyWnd() {
  FreeFolders();
  TvlSkinCustomListView::DestroyWnd();
}

void TvlCustomShellListView::Loaded() {
  TvlSkinCustomListView::Loaded();
  Populate();
  SetAutoRefresh(FAutoRefresh);
}
