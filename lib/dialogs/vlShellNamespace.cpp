#include "lib/dialogs/vlShellNamespace.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <new>

#include "platform/controls/Controls.h"
#include "platform/core/DateTime.h"
#include "platform/controls/Menus.h"
#include "platform/shell/ShellIcons.h"
#include "platform/core/SysUtils.h"

namespace {

struct TRootFolderName {
  const char* Name;
  int Csidl;
};

// In TRootFolder's value order.
constexpr std::array<TRootFolderName, 23> kRootFolders = {{
    {"rfDesktop", CSIDL_DESKTOP},
    {"rfMyComputer", CSIDL_DRIVES},
    {"rfNetwork", CSIDL_NETWORK},
    {"rfRecycleBin", CSIDL_BITBUCKET},
    {"rfAppData", CSIDL_APPDATA},
    {"rfCommonDesktopDirectory", CSIDL_COMMON_DESKTOPDIRECTORY},
    {"rfCommonPrograms", CSIDL_COMMON_PROGRAMS},
    {"rfCommonStartMenu", CSIDL_COMMON_STARTMENU},
    {"rfCommonStartup", CSIDL_COMMON_STARTUP},
    {"rfControlPanel", CSIDL_CONTROLS},
    {"rfDesktopDirectory", CSIDL_DESKTOPDIRECTORY},
    {"rfFavorites", CSIDL_FAVORITES},
    {"rfFonts", CSIDL_FONTS},
    {"rfInternet", CSIDL_INTERNET},
    {"rfPersonal", CSIDL_PERSONAL},
    {"rfPrinters", CSIDL_PRINTERS},
    {"rfPrintHood", CSIDL_PRINTHOOD},
    {"rfPrograms", CSIDL_PROGRAMS},
    {"rfRecent", CSIDL_RECENT},
    {"rfSendTo", CSIDL_SENDTO},
    {"rfStartMenu", CSIDL_STARTMENU},
    {"rfStartup", CSIDL_STARTUP},
    {"rfTemplates", CSIDL_TEMPLATES},
}};

std::shared_ptr<IContextMenu>& TrackedMenu() {
  static std::shared_ptr<IContextMenu> menu;
  return menu;
}

// Request masks of the attribute queries.
constexpr ULONG kCapabilityMask = 0x177;
constexpr ULONG kFirstPropertyMask = 0xFC000;

ULONG Attributes(IShellFolder* folder, TItemIDSpan id, ULONG request) {
  if (!folder) return 0;
  ULONG attributes = request;
  return SUCCEEDED(folder->GetAttributesOf(id, attributes)) ? attributes : 0;
}

}  // namespace

int RootFolderCsidl(TRootFolder Folder) { return kRootFolders[static_cast<std::size_t>(Folder)].Csidl; }

// ---- Item-ID lists ---------------------------------------------------------------------------------

TItemIDList ItemListAlloc(std::size_t Size) { return ILAlloc(Size); }
TItemIDSpan ItemListNext(TItemIDSpan Item) { return ILGetNext(Item); }
void ItemListDropLast(TItemIDList& List) { ILRemoveLastID(List); }
int ItemListCount(TItemIDSpan List) { return ILGetCount(List); }
std::size_t ItemListSize(TItemIDSpan List) { return ILGetSize(List); }
TItemIDList ItemListCopy(TItemIDSpan List) { return ILClone(List); }
TItemIDList ItemListJoin(TItemIDSpan First, TItemIDSpan Second) { return ILCombine(First, Second); }
TItemIDList ItemListLastItem(TItemIDSpan List) { return ILCloneLast(List); }

std::vector<TItemIDList> ItemListAncestors(TItemIDSpan List) {
  std::vector<TItemIDList> ancestors;
  TItemIDList level = ILClone(List);
  if (!level) return ancestors;
  while (ILRemoveLastID(level)) {
    TItemIDList copy = ILClone(level);
    if (!copy) return {};
    ancestors.push_back(std::move(copy));
  }
  std::reverse(ancestors.begin(), ancestors.end());
  return ancestors;
}

bool ItemListsEqual(TItemIDSpan A, TItemIDSpan B) {
  if (A.IsNil() || B.IsNil()) return false;
  return DesktopFolderInterface()->CompareIDs(0, A, B) == 0;
}

TItemIDList DesktopItemList() {
  TItemIDList list;
  OleCheck(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, list));
  return list;
}

// ---- Folders and items -------------------------------------------------------------------------

std::shared_ptr<IShellFolder> DesktopFolderInterface() {
  std::shared_ptr<IShellFolder> desktop;
  OleCheck(SHGetDesktopFolder(desktop));
  return desktop;
}

int RootFolderIndex(const std::string& Text) {
  for (std::size_t i = 0; i < kRootFolders.size(); ++i)
    if (SameText(Text, kRootFolders[i].Name)) return static_cast<int>(i);
  return -1;
}

int ShellImageIndex(TItemIDSpan List, bool Large, bool Open) {
  SHFILEINFO info;
  const UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX | (Open ? SHGFI_OPENICON : 0) | (Large ? 0 : SHGFI_SMALLICON);
  return SHGetFileInfo(List, 0, &info, flags) != 0 ? info.iIcon : -1;
}

TvlShellFolderCapabilities ItemCapabilities(IShellFolder* ParentFolder, TItemIDSpan ID) {
  const ULONG a = Attributes(ParentFolder, ID, kCapabilityMask);
  using C = TvlShellFolderCapability;
  TvlShellFolderCapabilities result;
  if (a & SFGAO_CANCOPY) result.Include(C::fcCanCopy);
  if (a & SFGAO_CANDELETE) result.Include(C::fcCanDelete);
  if (a & SFGAO_CANLINK) result.Include(C::fcCanLink);
  if (a & SFGAO_CANMOVE) result.Include(C::fcCanMove);
  if (a & SFGAO_CANRENAME) result.Include(C::fcCanRename);
  if (a & SFGAO_DROPTARGET) result.Include(C::fcDropTarget);
  if (a & SFGAO_HASPROPSHEET) result.Include(C::fcHasPropSheet);
  return result;
}

TvlShellFolderProperties ItemProperties(IShellFolder* ParentFolder, TItemIDSpan ID) {
  using P = TvlShellFolderProperty;
  TvlShellFolderProperties result;
  if (!ParentFolder) return result;
  const ULONG first = Attributes(ParentFolder, ID, kFirstPropertyMask);
  if (first & SFGAO_GHOSTED) result.Include(P::fpCut);
  if (first & SFGAO_LINK) result.Include(P::fpIsLink);
  if (first & SFGAO_READONLY) result.Include(P::fpReadOnly);
  if (first & SFGAO_SHARE) result.Include(P::fpShared);
  const ULONG second = Attributes(ParentFolder, ID, 0);
  if (second & SFGAO_FILESYSTEM) result.Include(P::fpFileSystem);
  if (second & SFGAO_FILESYSANCESTOR) result.Include(P::fpFileSystemAncestor);
  if (second & SFGAO_REMOVABLE) result.Include(P::fpRemovable);
  if (second & SFGAO_VALIDATE) result.Include(P::fpValidate);
  return result;
}

bool ItemIsFolder(IShellFolder* ParentFolder, TItemIDSpan ID) {
  return (Attributes(ParentFolder, ID, SFGAO_FOLDER) & SFGAO_FOLDER) != 0;
}

bool ItemHasSubFolders(IShellFolder* ParentFolder, TItemIDSpan ID) {
  return (Attributes(ParentFolder, ID, SFGAO_HASSUBFOLDER) & SFGAO_HASSUBFOLDER) != 0;
}

bool FolderHasItems(IShellFolder* Folder, DWORD Flags) {
  if (!Folder) return false;
  std::unique_ptr<IEnumIDList> items;
  if (Folder->EnumObjects(nullptr, Flags, items) != S_OK || !items) return false;
  TItemIDList first;
  return items->Next(first) == S_OK;
}

std::string NameRecordToString(TItemIDSpan List, const STRRET& Name) {
  std::string text;
  switch (Name.uType) {
    case STRRET_WSTR: text = Name.pOleStr; break;
    case STRRET_OFFSET: {
      // The first item's bytes from the offset to its end; nothing for an offset beyond it.
      const std::size_t count = List.FirstItemCount();
      if (Name.uOffset < count) text.assign(reinterpret_cast<const char*>(List.Data()) + Name.uOffset, count - Name.uOffset);
      break;
    }
    case STRRET_CSTR: text = Name.cStr.substr(0, Name.cStr.find('\0')); break;
    default: break;
  }
  if (text.size() >= 2 && text[0] == '?' && std::isdigit(static_cast<unsigned char>(text[1])))
    text.erase(std::remove(text.begin(), text.end(), '?'), text.end());
  return text;
}

std::string ItemDisplayName(IShellFolder* Folder, TItemIDSpan List, DWORD Flags) {
  if (!Folder) return "parentfolder = nil";
  STRRET name;
  (void)Folder->GetDisplayNameOf(List, Flags, name);
  std::string text = NameRecordToString(List, name);
  if (text.compare(0, 3, "::{") == 0) {
    STRRET normal;
    (void)Folder->GetDisplayNameOf(List, SHGDN_NORMAL, normal);
    text = NameRecordToString(List, normal);
  }
  return text;
}

DWORD ObjectTypesToEnumFlags(TShellObjectTypes Types) {
  DWORD flags = 0;
  if (Types.Contains(TShellObjectType::otFolders)) flags += SHCONTF_FOLDERS;
  if (Types.Contains(TShellObjectType::otNonFolders)) flags += SHCONTF_NONFOLDERS;
  if (Types.Contains(TShellObjectType::otHidden)) flags += SHCONTF_INCLUDEHIDDEN;
  return flags;
}

std::shared_ptr<IShellFolder> BindFolderInterface(IShellFolder* Folder, TItemIDSpan List, HWND) {
  // An item is bound only in the folder it belongs to: the same bytes would name another object
  // in the desktop, so the desktop is asked only when no folder is given.
  std::shared_ptr<IShellFolder> bound;
  IShellFolder* in = Folder;
  std::shared_ptr<IShellFolder> desktop;
  if (!in) {
    desktop = DesktopFolderInterface();
    in = desktop.get();
  }
  if (FAILED(in->BindToObject(List, bound))) bound.reset();
  return bound;
}

std::unique_ptr<TvlShellFolder> CreateRootItem(TItemIDSpan List) {
  std::shared_ptr<IShellFolder> desktop = DesktopFolderInterface();
  std::shared_ptr<IShellFolder> folder = BindFolderInterface(desktop.get(), List, nullptr);
  if (!folder) folder = desktop;
  return std::make_unique<TvlShellFolder>(SharedDesktopFolder(), List, std::move(folder));
}

void ResolveRoot(std::unique_ptr<TvlShellFolder>& Root, const TRoot& OldRoot, TRoot& NewRoot) {
  TItemIDList list;
  HRESULT result = E_INVALIDARG;
  const int index = RootFolderIndex(NewRoot);
  if (index >= 0)
    result = SHGetSpecialFolderLocation(nullptr, kRootFolders[static_cast<std::size_t>(index)].Csidl, list);
  else if (!NewRoot.empty())
    result = DesktopFolderInterface()->ParseDisplayName(nullptr, NewRoot, list);
  if (result != S_OK) {
    const std::string message = Format("Error setting path: \"%s\"", NewRoot);
    NewRoot = OldRoot;
    throw Exception(message);
  }
  Root = CreateRootItem(list);
}

void ShowItemContextMenu(TWinControl* Owner, TvlShellFolder* Item, int X, int Y) {
  if (!Owner || !Item) return;
  const HWND window = Owner->Handle();
  std::shared_ptr<IContextMenu> menu;
  if (FAILED(Item->ParentShellFolder()->GetUIObjectOf(window, Item->RelativeID(), menu)) || !menu) return;
  const TPoint at = Owner->ClientToScreen(TPoint{X, Y});

  struct TPopupGuard {
    HMENU Handle = CreatePopupMenu();
    ~TPopupGuard() {
      DestroyMenu(Handle);
      TrackedMenu().reset();
    }
  } popup;
  menu->QueryContextMenu(popup.Handle, 0, 1, 0x7FFF, CMF_EXPLORE | CMF_CANRENAME);
  TrackedMenu() = menu;
  TWeak<TControl> alive(Owner);
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(popup.Handle, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.X, at.Y, 0, window, nullptr));
  TrackedMenu().reset();
  if (command == 0 || !alive) return;

  std::string verb;
  (void)menu->GetCommandString(command - 1, GCS_VERBA, verb);
  auto* sink = dynamic_cast<IShellCommandSink*>(Owner);
  bool handled = false;
  if (sink) sink->ExecuteCommand(verb, handled);
  // A handler may free the owner; the command still runs, the completion is then not told.
  HRESULT result = S_OK;
  if (!handled) {
    CMINVOKECOMMANDINFO info;
    info.hwnd = alive ? window : nullptr;
    info.idCmdOffset = command - 1;
    info.nShow = 1;
    result = menu->InvokeCommand(info);
  }
  if (sink && alive) sink->CommandCompleted(verb, handled || result == S_OK);
}

HRESULT InvokeItemVerb(TvlShellFolder* Item, const std::string& Verb) {
  if (!Item) return E_INVALIDARG;
  std::shared_ptr<IContextMenu> menu;
  const HRESULT found = Item->ParentShellFolder()->GetUIObjectOf(nullptr, Item->RelativeID(), menu);
  if (FAILED(found) || !menu) return FAILED(found) ? found : E_NOTIMPL;
  CMINVOKECOMMANDINFO info;
  info.fMask = CMIC_MASK_ASYNCOK;
  info.lpVerb = Verb;
  info.nShow = 1;
  return menu->InvokeCommand(info);
}

void RaiseFolderDetailsError(const TvlShellFolder* Item, DWORD ErrorCode) {
  throw EInvalidPath(Format("Unable to retrieve folder details for \"%s\". Error code $%x",
                            Item ? Item->DisplayName() : std::string(), ErrorCode));
}

// ---- Process-wide objects ------------------------------------------------------------------------

TvlShellFolder* SharedDesktopFolder() {
  static const std::unique_ptr<TvlShellFolder> desktop(new TvlShellFolder(TvlShellFolder::TDesktopTag{}));
  return desktop.get();
}

TCriticalSection& ShellControlsLock() {
  static TCriticalSection lock;
  return lock;
}

IContextMenu* TrackedContextMenu() { return TrackedMenu().get(); }

// ---- Items -----------------------------------------------------------------------------------------

TvlShellFolder::TvlShellFolder(TDesktopTag)
    : FPIDL(DesktopItemList()), FFullPIDL(DesktopItemList()), FIShellFolder(DesktopFolderInterface()),
      FDetails(std::make_unique<TStringList>()) {
  if (!FPIDL || !FFullPIDL) throw std::bad_alloc();
}

TvlShellFolder::TvlShellFolder(TvlShellFolder* AParent, TItemIDSpan ID, std::shared_ptr<IShellFolder> SF)
    : FIShellFolder(std::move(SF)), FDetails(std::make_unique<TStringList>()) {
  FPIDL = ItemListCopy(ID);
  FFullPIDL = AParent ? ItemListJoin(AParent->AbsoluteID(), ID) : ItemListJoin(DesktopItemList(), ID);
  if (!FPIDL || !FFullPIDL) throw std::bad_alloc();
  FParent = AParent ? AParent : SharedDesktopFolder();
  for (TvlShellFolder* ancestor = AParent ? AParent->Parent() : nullptr; ancestor; ancestor = ancestor->Parent())
    ++FLevel;
}

TvlShellFolder::~TvlShellFolder() = default;

std::shared_ptr<IShellFolder> TvlShellFolder::ParentShellFolder() const {
  if (TvlShellFolder* parent = Parent(); parent && parent->ShellFolder()) return parent->ShellFolder();
  return DesktopFolderInterface();
}

std::string TvlShellFolder::DisplayName() const {
  return ItemDisplayName(ParentShellFolder().get(), RelativeID(), SHGDN_INFOLDER);
}

std::string TvlShellFolder::PathName() const {
  return ItemDisplayName(DesktopFolderInterface().get(), AbsoluteID(), SHGDN_FORPARSING);
}

std::string TvlShellFolder::FullObjectName() const {
  std::string path;
  return SHGetPathFromIDList(AbsoluteID(), path) ? path : std::string();
}

TvlShellFolderCapabilities TvlShellFolder::Capabilities() const {
  return ItemCapabilities(ParentShellFolder().get(), RelativeID());
}

TvlShellFolderProperties TvlShellFolder::Properties() const {
  return ItemProperties(ParentShellFolder().get(), RelativeID());
}

bool TvlShellFolder::SubFolders() const { return ItemHasSubFolders(ParentShellFolder().get(), RelativeID()); }

bool TvlShellFolder::IsFolder() const {
  return ItemIsFolder(ParentShellFolder().get(), RelativeID()) && UpperCase(ExtractFileExt(FullObjectName())) != ".ZIP";
}

int TvlShellFolder::ImageIndex(bool LargeIcon) const { return ShellImageIndex(AbsoluteID(), LargeIcon, false); }

int TvlShellFolder::ExecuteDefault() {
  SHELLEXECUTEINFO info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.lpIDList = AbsoluteID();
  info.nShow = 5;  // SW_SHOW
  return ShellExecuteEx(&info);
}

bool TvlShellFolder::Rename(const std::string& NewName) {
  if (!Capabilities().Contains(TvlShellFolderCapability::fcCanRename)) return false;
  TItemIDList renamed;
  if (FAILED(ParentShellFolder()->SetNameOf(nullptr, RelativeID(), NewName, SHGDN_NORMAL, &renamed)) || !renamed)
    throw Exception(Format("Rename to %s failed", NewName));
  TItemIDList full = Parent() ? ItemListJoin(Parent()->AbsoluteID(), renamed) : ItemListCopy(renamed);
  if (!full) throw std::bad_alloc();
  FPIDL = std::move(renamed);
  FFullPIDL = std::move(full);
  return true;
}

void TvlShellFolder::LoadColumnDetails(TvlShellFolder* RootFolder, HWND ViewHandle, int ColumnCount) {
  if (ColumnCount <= FDetails->Count()) return;
  FDetails->Clear();
  FViewHandle = ViewHandle;
  if (!RootFolder || !RootFolder->Properties().Contains(TvlShellFolderProperty::fpFileSystem)) return;
  WIN32_FIND_DATA data;
  ReadFindData(data);
  for (int column = 1; column <= ColumnCount; ++column) FDetails->Add(FindDataColumnText(data, column));
}

std::string TvlShellFolder::DetailText(int Index) const {
  if (FDetails->Count() == 0) throw Exception(Format("%s: Missing call to LoadColumnDetails", DisplayName()));
  return FDetails->Strings(Index - 1);
}

void TvlShellFolder::ReadFindData(WIN32_FIND_DATA& FindData) const {
  FindData = WIN32_FIND_DATA{};
  const std::string path = PathName();
  if (path.empty() || path[0] != '/' || !GetFileFindData(path, FindData)) {
    const DWORD error = path.empty() || path[0] != '/' ? static_cast<DWORD>(ENOENT) : GetLastError();
    RaiseFolderDetailsError(this, error);
  }
}

// ---- Find-data columns -----------------------------------------------------------------------------

std::int64_t FindDataSize(const WIN32_FIND_DATA& FindData) {
  if (FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(FindData.nFileSizeHigh) << 32) | FindData.nFileSizeLow);
}

double FindDataDate(const WIN32_FIND_DATA& FindData) {
  if (FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(FindData.ftLastWriteTime, local) || !FileTimeToDosDateTime(local, date, time)) return -1;
  return FileDateToDateTime((static_cast<int>(date) << 16) | time);
}

std::string FindDataColumnText(const WIN32_FIND_DATA& FindData, int Column) {
  switch (Column) {
    case 1: return IntToStr(FindDataSize(FindData));
    case 2: return ExtractFileExt(FindData.cFileName);
    case 3: {
      const double date = FindDataDate(FindData);
      return date == -1 ? std::string() : DateTimeToStr(date);
    }
    case 4: return IntToStr(FindData.dwFileAttributes);
    default: return {};
  }
}
