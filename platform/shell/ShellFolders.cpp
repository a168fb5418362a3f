#include "platform/shell/ShellFolders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/shell/DesktopOpener.h"
#include "platform/shell/FileFindData.h"
#include "platform/shell/FileOperations.h"
#include "platform/shell/Mounts.h"
#include "platform/shell/ShellContextMenu.h"
#include "platform/shell/ShellEnvironment.h"
#include "platform/core/SysUtils.h"

const char* const kComputerParsingName = "::{D8F1C071-9F51-400B-8501-348B72B7F03F}";
const char* const kDesktopName = "桌面";
const char* const kComputerName = "计算机";
const char* const kHomeName = "主文件夹";
const char* const kFileSystemName = "文件系统";

void OleCheck(HRESULT Result) {
  if (SUCCEEDED(Result)) return;
  const std::uint32_t code = static_cast<std::uint32_t>(Result);
  std::string text = (code & 0xFFFF0000u) == 0x80070000u ? SysErrorMessage(static_cast<int>(code & 0xFFFFu))
                                                         : "Unspecified error";
  throw EOleSysError(Format("%s ($%.8X)", text, code), Result);
}

namespace {

// ---- Items ---------------------------------------------------------------------------------------

constexpr std::uint8_t kComputerItem = 'C';
constexpr std::uint8_t kHomeItem = 'H';
constexpr std::uint8_t kRootItem = 'R';   // "/" below Computer
constexpr std::uint8_t kMountItem = 'M';  // a mount below Computer; the name is its path
constexpr std::uint8_t kFolderItem = 'D';
constexpr std::uint8_t kFileItem = 'F';

struct TItem {
  std::uint8_t Kind = 0;
  std::string Name;  // raw bytes
};

bool ValidEntryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

// The first item of a list, checked: false for the terminator, a broken item or a foreign kind.
bool ReadFirst(TItemIDSpan list, TItem& item) {
  const std::string_view payload = list.FirstItemPayload();
  if (payload.empty()) return false;
  item.Kind = static_cast<std::uint8_t>(payload[0]);
  item.Name = std::string(payload.substr(1));
  switch (item.Kind) {
    case kComputerItem:
    case kHomeItem:
    case kRootItem: return item.Name.empty();
    case kMountItem: return item.Name.size() > 1 && item.Name[0] == '/';
    case kFolderItem:
    case kFileItem: return ValidEntryName(item.Name);
    default: return false;
  }
}

// True when the list holds one item only.
bool SingleItem(TItemIDSpan list) { return !list.AtEnd() && ILGetNext(list).AtEnd(); }

std::string JoinPath(const std::string& folder, std::string_view name) {
  return IncludeTrailingPathDelimiter(folder) + std::string(name);
}

// A name as a user reads it: bytes that are not UTF-8 become U+FFFD.
std::string DisplayText(std::string_view raw) { return Utf16ToUtf8(Utf8ToUtf16(raw)); }

void SetText(STRRET& name, std::string text) {
  name = STRRET{};
  name.uType = STRRET_WSTR;
  name.pOleStr = std::move(text);
}

bool IsFolderPath(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A scan that stops at the first subfolder (a link to a folder counts).
bool HasSubFolder(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return false;
  bool found = false;
  while (!found) {
    const dirent* entry = ::readdir(dir);
    if (!entry) break;
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (entry->d_type == DT_DIR)
      found = true;
    else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
      found = IsFolderPath(JoinPath(path, name));
  }
  ::closedir(dir);
  return found;
}

bool FolderWritable(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && UserMayWrite(path, status);
}

// Attributes of a folder that is a place of its own (home, "/", a mount): no rename, no delete.
ULONG PlaceAttributes(const std::string& path, UINT driveType, ULONG request) {
  ULONG result = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_HASPROPSHEET | SFGAO_CANCOPY |
                 SFGAO_CANLINK;
  result |= FolderWritable(path) ? SFGAO_DROPTARGET : SFGAO_READONLY;
  if (driveType == DRIVE_REMOVABLE || driveType == DRIVE_CDROM) result |= SFGAO_REMOVABLE;
  if ((request & SFGAO_HASSUBFOLDER) && HasSubFolder(path)) result |= SFGAO_HASSUBFOLDER;
  return result;
}

// Attributes of an entry of a file-system folder.
ULONG EntryAttributes(const std::string& folder, std::string_view name, ULONG request) {
  const std::string path = JoinPath(folder, name);
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0) return 0;
  struct stat status = link;
  if (S_ISLNK(link.st_mode) && ::stat(path.c_str(), &status) != 0) status = link;
  ULONG result = SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANLINK | SFGAO_HASPROPSHEET;
  const bool isFolder = S_ISDIR(status.st_mode);
  const bool writable = UserMayWrite(path, status);
  if (isFolder) result |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | (writable ? SFGAO_DROPTARGET : 0);
  if (!writable) result |= SFGAO_READONLY;
  if (S_ISLNK(link.st_mode)) result |= SFGAO_LINK;
  if (name[0] == '.') result |= SFGAO_HIDDEN;
  if (FolderWritable(folder)) result |= SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;
  if (isFolder && (request & SFGAO_HASSUBFOLDER) && HasSubFolder(path)) result |= SFGAO_HASSUBFOLDER;
  return result;
}

// Names in a case-insensitive locale order; names equal but for case by their bytes.
int CompareNames(std::string_view a, std::string_view b) {
  const int order = AnsiCompareText(a, b);
  if (order != 0) return order;
  return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

HRESULT OrderResult(int order) { return MAKE_HRESULT(0, 0, static_cast<WORD>(static_cast<std::int16_t>(order < 0 ? -1 : order > 0 ? 1 : 0))); }

HRESULT LastErrorResult() { return HRESULT_FROM_WIN32(errno != 0 ? static_cast<DWORD>(errno) : static_cast<DWORD>(EIO)); }

// ---- Enumeration ---------------------------------------------------------------------------------

class TItemEnum : public IEnumIDList {
 public:
  explicit TItemEnum(std::vector<TItemIDList> items) : items_(std::move(items)) {}
  HRESULT Next(TItemIDList& Item) override {
    if (next_ >= items_.size()) {
      Item = TItemIDList{};
      return S_FALSE;
    }
    Item = std::move(items_[next_++]);
    return S_OK;
  }

 private:
  std::vector<TItemIDList> items_;
  std::size_t next_ = 0;
};

HRESULT AddItem(std::vector<TItemIDList>& items, std::uint8_t kind, std::string_view name) {
  TItemIDList item = ILCreateItem(kind, name);
  if (!item) return E_OUTOFMEMORY;
  items.push_back(std::move(item));
  return S_OK;
}

// The entries of a folder as Flags ask, in the order the folder gives them.
HRESULT ReadEntries(const std::string& folder, DWORD flags, std::vector<TItemIDList>& items) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return LastErrorResult();
  HRESULT result = S_OK;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (name[0] == '.' && !(flags & SHCONTF_INCLUDEHIDDEN)) continue;
    bool isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) isFolder = IsFolderPath(JoinPath(folder, name));
    if (!(flags & (isFolder ? SHCONTF_FOLDERS : SHCONTF_NONFOLDERS))) continue;
    result = AddItem(items, isFolder ? kFolderItem : kFileItem, name);
    if (FAILED(result)) break;
  }
  ::closedir(dir);
  return result;
}

// ---- Folder objects ----------------------------------------------------------------------------

// The part every folder shares: a list that leads through subfolders binds its first item and
// lets that folder work on the rest; the folders answer for their own single items.
class TFolderBase : public IShellFolder {
 public:
  HRESULT BindToObject(TItemIDSpan Item, std::shared_ptr<IShellFolder>& Folder) final {
    std::shared_ptr<IShellFolder> first;
    const HRESULT bound = BindItem(Item, first);
    if (FAILED(bound)) return bound;
    if (SingleItem(Item)) {
      Folder = std::move(first);
      return S_OK;
    }
    return first->BindToObject(ILGetNext(Item), Folder);
  }

  HRESULT GetAttributesOf(TItemIDSpan Item, ULONG& InOut) final {
    HRESULT result = S_OK;
    if (Forward(Item, result, [&](IShellFolder& sub, TItemIDSpan rest) { return sub.GetAttributesOf(rest, InOut); }))
      return result;
    return ItemAttributes(Item, InOut);
  }

  HRESULT GetDisplayNameOf(TItemIDSpan Item, DWORD Flags, STRRET& Name) final {
    HRESULT result = S_OK;
    if (Forward(Item, result, [&](IShellFolder& sub, TItemIDSpan rest) { return sub.GetDisplayNameOf(rest, Flags, Name); }))
      return result;
    return ItemName(Item, Flags, Name);
  }

  HRESULT GetUIObjectOf(HWND Owner, TItemIDSpan Item, std::shared_ptr<IContextMenu>& Menu) final {
    HRESULT result = S_OK;
    if (Forward(Item, result, [&](IShellFolder& sub, TItemIDSpan rest) { return sub.GetUIObjectOf(Owner, rest, Menu); }))
      return result;
    return ItemMenu(Item, Menu);
  }

  HRESULT SetNameOf(HWND Owner, TItemIDSpan Item, const std::string& Name, DWORD Flags, TItemIDList* NewItem) final {
    if (SingleItem(Item)) return RenameItem(Item, Name, NewItem);
    HRESULT result = E_INVALIDARG;
    TItemIDList renamed;
    Forward(Item, result, [&](IShellFolder& sub, TItemIDSpan rest) { return sub.SetNameOf(Owner, rest, Name, Flags, &renamed); });
    if (SUCCEEDED(result) && NewItem) {
      *NewItem = ILCombine(ILCloneFirst(Item), renamed);
      if (!*NewItem) return E_OUTOFMEMORY;
    }
    return result;
  }

 protected:
  // The folder object of the list's first item.
  virtual HRESULT BindItem(TItemIDSpan Item, std::shared_ptr<IShellFolder>& Folder) = 0;
  // The answers for a single item of this folder (the desktop: also for the empty list).
  virtual HRESULT ItemAttributes(TItemIDSpan Item, ULONG& InOut) = 0;
  virtual HRESULT ItemName(TItemIDSpan Item, DWORD Flags, STRRET& Name) = 0;
  virtual HRESULT ItemMenu(TItemIDSpan Item, std::shared_ptr<IContextMenu>& Menu) = 0;
  virtual HRESULT RenameItem(TItemIDSpan Item, const std::string& Name, TItemIDList* NewItem) = 0;

  // Items equal at this level compare by the rest of their lists in the first one's folder.
  HRESULT CompareLists(LPARAM Column, TItemIDSpan A, TItemIDSpan B, int firstOrder) {
    if (firstOrder != 0) return OrderResult(firstOrder);
    const TItemIDSpan restA = ILGetNext(A), restB = ILGetNext(B);
    if (restA.AtEnd() || restB.AtEnd()) return OrderResult(restA.AtEnd() ? (restB.AtEnd() ? 0 : -1) : 1);
    std::shared_ptr<IShellFolder> sub;
    const HRESULT bound = BindItem(A, sub);
    if (FAILED(bound)) return bound;
    return sub->CompareIDs(Column, restA, restB);
  }

 private:
  // False when Item is a single item (or the empty list); otherwise Result is the subfolder's.
  template <typename Operation>
  bool Forward(TItemIDSpan Item, HRESULT& Result, Operation operation) {
    if (Item.AtEnd() || SingleItem(Item)) return false;
    std::shared_ptr<IShellFolder> sub;
    Result = BindItem(Item, sub);
    if (SUCCEEDED(Result)) Result = operation(*sub, ILGetNext(Item));
    return true;
  }
};

class TFileSystemFolder : public TFolderBase {
 public:
  explicit TFileSystemFolder(std::string path) : path_(std::move(path)) {}

  HRESULT ParseDisplayName(HWND, const std::string& Name, TItemIDList& Result) override {
    Result = TItemIDList{};
    if (Name.empty() || Name[0] == '/') return E_INVALIDARG;
    std::string path = path_;
    std::size_t start = 0;
    TItemIDList list = ILAlloc(2);
    while (start < Name.size()) {
      std::size_t end = Name.find('/', start);
      if (end == std::string::npos) end = Name.size();
      const std::string component = Name.substr(start, end - start);
      start = end + 1;
      if (component.empty() || component == ".") continue;
      if (!ValidEntryName(component)) return E_INVALIDARG;
      path = JoinPath(path, component);
      struct stat status {};
      if (::stat(path.c_str(), &status) != 0 && ::lstat(path.c_str(), &status) != 0) return LastErrorResult();
      list = ILCombine(list, ILCreateItem(S_ISDIR(status.st_mode) ? kFolderItem : kFileItem, component));
      if (!list) return E_OUTOFMEMORY;
    }
    if (ILGetCount(list) == 0) return E_INVALIDARG;
    Result = std::move(list);
    return S_OK;
  }

  HRESULT EnumObjects(HWND, DWORD Flags, std::unique_ptr<IEnumIDList>& Enum) override {
    std::vector<TItemIDList> items;
    const HRESULT result = ReadEntries(path_, Flags, items);
    if (FAILED(result)) return result;
    Enum = std::make_unique<TItemEnum>(std::move(items));
    return S_OK;
  }

  HRESULT CompareIDs(LPARAM Column, TItemIDSpan A, TItemIDSpan B) override {
    TItem a, b;
    if (!ReadFirst(A, a) || !ReadFirst(B, b)) return E_INVALIDARG;
    int order = (a.Kind == kFolderItem ? 0 : 1) - (b.Kind == kFolderItem ? 0 : 1);
    if (order == 0) order = CompareNames(a.Name, b.Name);
    return CompareLists(Column, A, B, order);
  }

 protected:
  HRESULT BindItem(TItemIDSpan Item, std::shared_ptr<IShellFolder>& Folder) override {
    TItem item;
    if (!ReadEntry(Item, item)) return E_INVALIDARG;
    const std::string path = JoinPath(path_, item.Name);
    if (!IsFolderPath(path)) return HRESULT_FROM_WIN32(ENOTDIR);
    Folder = std::make_shared<TFileSystemFolder>(path);
    return S_OK;
  }

  HRESULT ItemAttributes(TItemIDSpan Item, ULONG& InOut) override {
    TItem item;
    if (!ReadEntry(Item, item)) return E_INVALIDARG;
    const ULONG attributes = EntryAttributes(path_, item.Name, InOut);
    if (attributes == 0) return LastErrorResult();
    InOut = attributes;
    return S_OK;
  }

  HRESULT ItemName(TItemIDSpan Item, DWORD Flags, STRRET& Name) override {
    TItem item;
    if (!ReadEntry(Item, item)) return E_INVALIDARG;
    if (Flags & SHGDN_FORPARSING)
      SetText(Name, (Flags & SHGDN_INFOLDER) ? item.Name : JoinPath(path_, item.Name));
    else
      SetText(Name, DisplayText(item.Name));
    return S_OK;
  }

  HRESULT ItemMenu(TItemIDSpan Item, std::shared_ptr<IContextMenu>& Menu) override {
    TItem item;
    if (!ReadEntry(Item, item)) return E_INVALIDARG;
    TShellItemInfo info;
    info.Path = JoinPath(path_, item.Name);
    info.Kind = IsFolderPath(info.Path) ? TShellItemInfo::TKind::Folder : TShellItemInfo::TKind::File;
    const ULONG attributes = EntryAttributes(path_, item.Name, 0);
    if (attributes == 0) return LastErrorResult();
    info.IsLink = (attributes & SFGAO_LINK) != 0;
    Menu = CreateShellItemContextMenu(info, attributes);
    return S_OK;
  }

  HRESULT RenameItem(TItemIDSpan Item, const std::string& Name, TItemIDList* NewItem) override {
    TItem item;
    if (!ReadEntry(Item, item)) return E_INVALIDARG;
    if (!ValidEntryName(Name) || Name.size() > 255) return HRESULT_FROM_WIN32(EINVAL);
    if (Name != item.Name) {
      const int error = RenameNoReplace(JoinPath(path_, item.Name), JoinPath(path_, Name));
      if (error != 0) return HRESULT_FROM_WIN32(static_cast<DWORD>(error));
    }
    if (NewItem) {
      *NewItem = ILCreateItem(item.Kind, Name);
      if (!*NewItem) return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  static bool ReadEntry(TItemIDSpan list, TItem& item) {
    return ReadFirst(list, item) && (item.Kind == kFolderItem || item.Kind == kFileItem);
  }

  std::string path_;
};

// The path and attributes of a place below Computer ("/" or a mount).
struct TPlace {
  std::string Path;
  std::string Name;  // as a user reads it
  UINT DriveType = DRIVE_FIXED;
};

bool PlaceOf(const TItem& item, TPlace& place) {
  if (item.Kind == kRootItem) {
    place = {"/", kFileSystemName, DRIVE_FIXED};
    for (const TMountPoint& m : UserMounts())
      if (m.Path == "/") place.DriveType = m.DriveType;
    return true;
  }
  if (item.Kind != kMountItem) return false;
  place.Path = item.Name;
  place.DriveType = DRIVE_FIXED;
  place.Name = DisplayText(ExtractFileName(item.Name));
  for (const TMountPoint& m : UserMounts())
    if (m.Path == item.Name) {
      place.DriveType = m.DriveType;
      if (!m.Label.empty()) place.Name = DisplayText(m.Label);
    }
  return true;
}

bool ReadPlace(TItemIDSpan list, TItem& item, TPlace& place) { return ReadFirst(list, item) && PlaceOf(item, place); }

class TComputerFolder : public TFolderBase {
 public:
  HRESULT ParseDisplayName(HWND, const std::string&, TItemIDList& Result) override {
    Result = TItemIDList{};
    return E_INVALIDARG;
  }

  HRESULT EnumObjects(HWND, DWORD Flags, std::unique_ptr<IEnumIDList>& Enum) override {
    std::vector<TItemIDList> items;
    if (Flags & SHCONTF_FOLDERS)
      for (const TMountPoint& m : UserMounts()) {
        const HRESULT added = m.Path == "/" ? AddItem(items, kRootItem, {}) : AddItem(items, kMountItem, m.Path);
        if (FAILED(added)) return added;
      }
    Enum = std::make_unique<TItemEnum>(std::move(items));
    return S_OK;
  }

  HRESULT CompareIDs(LPARAM Column, TItemIDSpan A, TItemIDSpan B) override {
    TItem a, b;
    TPlace pa, pb;
    if (!ReadPlace(A, a, pa) || !ReadPlace(B, b, pb)) return E_INVALIDARG;
    int order = (a.Kind == kRootItem ? 0 : 1) - (b.Kind == kRootItem ? 0 : 1);
    if (order == 0) order = CompareNames(pa.Name, pb.Name);
    if (order == 0) order = CompareNames(pa.Path, pb.Path);
    return CompareLists(Column, A, B, order);
  }

 protected:
  HRESULT BindItem(TItemIDSpan Item, std::shared_ptr<IShellFolder>& Folder) override {
    TItem item;
    TPlace place;
    if (!ReadPlace(Item, item, place)) return E_INVALIDARG;
    Folder = std::make_shared<TFileSystemFolder>(place.Path);
    return S_OK;
  }

  HRESULT ItemAttributes(TItemIDSpan Item, ULONG& InOut) override {
    TItem item;
    TPlace place;
    if (!ReadPlace(Item, item, place)) return E_INVALIDARG;
    InOut = PlaceAttributes(place.Path, place.DriveType, InOut);
    return S_OK;
  }

  HRESULT ItemName(TItemIDSpan Item, DWORD Flags, STRRET& Name) override {
    TItem item;
    TPlace place;
    if (!ReadPlace(Item, item, place)) return E_INVALIDARG;
    SetText(Name, (Flags & SHGDN_FORPARSING) ? place.Path : place.Name);
    return S_OK;
  }

  HRESULT ItemMenu(TItemIDSpan Item, std::shared_ptr<IContextMenu>& Menu) override {
    TItem item;
    TPlace place;
    if (!ReadPlace(Item, item, place)) return E_INVALIDARG;
    TShellItemInfo info;
    info.Kind = item.Kind == kRootItem ? TShellItemInfo::TKind::FileSystemRoot : TShellItemInfo::TKind::Mount;
    info.Path = place.Path;
    info.DriveType = place.DriveType;
    Menu = CreateShellItemContextMenu(info, PlaceAttributes(place.Path, place.DriveType, 0));
    return S_OK;
  }

  HRESULT RenameItem(TItemIDSpan, const std::string&, TItemIDList*) override {
    return E_NOTIMPL;  // a mount is not renamed here
  }
};

// The canonical absolute list of an existing absolute path.
HRESULT ParseAbsolutePath(const std::string& text, TItemIDList& result) {
  std::string path = ExpandFileName(text);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 && ::lstat(path.c_str(), &status) != 0) return LastErrorResult();
  TMountPoint mount;
  if (!FindUserMount(path, mount)) return E_INVALIDARG;
  TItemIDList list = ILCombine(ILCreateItem(kComputerItem, {}),
                               mount.Path == "/" ? ILCreateItem(kRootItem, {}) : ILCreateItem(kMountItem, mount.Path));
  if (!list) return E_OUTOFMEMORY;
  const std::string rest = path.size() > mount.Path.size() ? path.substr(mount.Path == "/" ? 1 : mount.Path.size() + 1) : "";
  if (!rest.empty()) {
    TItemIDList tail;
    const HRESULT parsed = TFileSystemFolder(mount.Path).ParseDisplayName(nullptr, rest, tail);
    if (FAILED(parsed)) return parsed;
    list = ILCombine(list, tail);
    if (!list) return E_OUTOFMEMORY;
  }
  result = std::move(list);
  return S_OK;
}

class TDesktopFolder : public TFolderBase {
 public:
  HRESULT ParseDisplayName(HWND, const std::string& Name, TItemIDList& Result) override {
    Result = TItemIDList{};
    if (SameText(Name, kComputerParsingName)) {
      Result = ILCreateItem(kComputerItem, {});
      return Result ? S_OK : E_OUTOFMEMORY;
    }
    if (Name.empty() || Name[0] != '/') return E_INVALIDARG;  // relative names are never resolved
    return ParseAbsolutePath(Name, Result);
  }

  HRESULT EnumObjects(HWND, DWORD Flags, std::unique_ptr<IEnumIDList>& Enum) override {
    std::vector<TItemIDList> items;
    if (Flags & SHCONTF_FOLDERS) {
      if (FAILED(AddItem(items, kComputerItem, {})) || FAILED(AddItem(items, kHomeItem, {}))) return E_OUTOFMEMORY;
    }
    // The desktop directory's entries follow; a desktop directory that cannot be read adds none.
    const HRESULT read = ReadEntries(UserFolderPath(TUserFolder::ufDesktop), Flags, items);
    if (read == E_OUTOFMEMORY) return read;
    Enum = std::make_unique<TItemEnum>(std::move(items));
    return S_OK;
  }

  HRESULT CompareIDs(LPARAM Column, TItemIDSpan A, TItemIDSpan B) override {
    if (A.AtEnd() || B.AtEnd()) return OrderResult(A.AtEnd() ? (B.AtEnd() ? 0 : -1) : 1);
    TItem a, b;
    if (!ReadFirst(A, a) || !ReadFirst(B, b)) return E_INVALIDARG;
    auto rank = [](std::uint8_t kind) { return kind == kComputerItem ? 0 : kind == kHomeItem ? 1 : kind == kFolderItem ? 2 : 3; };
    const int order = rank(a.Kind) - rank(b.Kind);
    if (order == 0 && IsEntry(a)) return DesktopDirectory().CompareIDs(Column, A, B);
    return CompareLists(Column, A, B, order);
  }

 protected:
  HRESULT BindItem(TItemIDSpan Item, std::shared_ptr<IShellFolder>& Folder) override {
    TItem item;
    if (!ReadFirst(Item, item)) return E_INVALIDARG;
    if (IsEntry(item)) return DesktopDirectory().BindToObject(ILCloneFirst(Item), Folder);
    if (item.Kind == kComputerItem)
      Folder = std::make_shared<TComputerFolder>();
    else if (item.Kind == kHomeItem)
      Folder = std::make_shared<TFileSystemFolder>(ShellRoots().Home);
    else
      return E_INVALIDARG;
    return S_OK;
  }

  HRESULT ItemAttributes(TItemIDSpan Item, ULONG& InOut) override {
    TItem item;
    if (Item.AtEnd()) {
      InOut = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR;
    } else if (!ReadFirst(Item, item)) {
      return E_INVALIDARG;
    } else if (IsEntry(item)) {
      return DesktopDirectory().GetAttributesOf(Item, InOut);
    } else if (item.Kind == kComputerItem) {
      InOut = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR;
    } else {
      InOut = PlaceAttributes(ShellRoots().Home, 0, InOut);  // Home
    }
    return S_OK;
  }

  HRESULT ItemName(TItemIDSpan Item, DWORD Flags, STRRET& Name) override {
    const bool parsing = (Flags & SHGDN_FORPARSING) != 0;
    TItem item;
    if (Item.AtEnd())
      SetText(Name, parsing ? UserFolderPath(TUserFolder::ufDesktop) : kDesktopName);
    else if (!ReadFirst(Item, item))
      return E_INVALIDARG;
    else if (IsEntry(item))
      return DesktopDirectory().GetDisplayNameOf(Item, Flags, Name);
    else if (item.Kind == kComputerItem)
      SetText(Name, parsing ? kComputerParsingName : kComputerName);
    else
      SetText(Name, parsing ? ShellRoots().Home : kHomeName);
    return S_OK;
  }

  HRESULT ItemMenu(TItemIDSpan Item, std::shared_ptr<IContextMenu>& Menu) override {
    TItem item;
    if (!ReadFirst(Item, item)) return E_INVALIDARG;
    if (IsEntry(item)) return DesktopDirectory().GetUIObjectOf(nullptr, Item, Menu);
    if (item.Kind != kHomeItem) return E_NOTIMPL;  // Computer has no commands here
    TShellItemInfo info;
    info.Kind = TShellItemInfo::TKind::Home;
    info.Path = ShellRoots().Home;
    Menu = CreateShellItemContextMenu(info, PlaceAttributes(info.Path, 0, 0));
    return S_OK;
  }

  HRESULT RenameItem(TItemIDSpan Item, const std::string& Name, TItemIDList* NewItem) override {
    TItem item;
    if (!ReadFirst(Item, item)) return E_INVALIDARG;
    if (!IsEntry(item)) return E_NOTIMPL;  // Computer and Home keep their names
    return DesktopDirectory().SetNameOf(nullptr, Item, Name, SHGDN_NORMAL, NewItem);
  }

 private:
  static bool IsEntry(const TItem& item) { return item.Kind == kFolderItem || item.Kind == kFileItem; }
  static TFileSystemFolder DesktopDirectory() { return TFileSystemFolder(UserFolderPath(TUserFolder::ufDesktop)); }
};

// The path an absolute list names, walking its items; false for Computer and broken lists.
bool DescribeAbsolute(TItemIDSpan list, TShellItemInfo& info) {
  info = TShellItemInfo{};
  if (list.IsNil()) return false;
  if (list.AtEnd()) {
    info.Kind = TShellItemInfo::TKind::Desktop;
    info.Path = UserFolderPath(TUserFolder::ufDesktop);
    return true;
  }
  TItem item;
  if (!ReadFirst(list, item)) return false;
  switch (item.Kind) {
    case kComputerItem: {
      info.Kind = TShellItemInfo::TKind::Computer;
      list = ILGetNext(list);
      if (list.AtEnd()) return true;
      TPlace place;
      if (!ReadFirst(list, item) || !PlaceOf(item, place)) return false;
      info.Kind = item.Kind == kRootItem ? TShellItemInfo::TKind::FileSystemRoot : TShellItemInfo::TKind::Mount;
      info.Path = place.Path;
      info.DriveType = place.DriveType;
      break;
    }
    case kHomeItem:
      info.Kind = TShellItemInfo::TKind::Home;
      info.Path = ShellRoots().Home;
      break;
    case kFolderItem:
    case kFileItem:
      info.Path = JoinPath(UserFolderPath(TUserFolder::ufDesktop), item.Name);
      info.Kind = item.Kind == kFolderItem ? TShellItemInfo::TKind::Folder : TShellItemInfo::TKind::File;
      break;
    default: return false;
  }
  for (list = ILGetNext(list); !list.AtEnd(); list = ILGetNext(list)) {
    if (!ReadFirst(list, item) || (item.Kind != kFolderItem && item.Kind != kFileItem)) return false;
    info.Path = JoinPath(info.Path, item.Name);
    info.Kind = item.Kind == kFolderItem ? TShellItemInfo::TKind::Folder : TShellItemInfo::TKind::File;
    info.DriveType = 0;
  }
  if (info.Kind == TShellItemInfo::TKind::Folder || info.Kind == TShellItemInfo::TKind::File) {
    struct stat link {};
    info.IsLink = ::lstat(info.Path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
  }
  return true;
}

}  // namespace

HRESULT SHGetDesktopFolder(std::shared_ptr<IShellFolder>& Folder) {
  static const std::shared_ptr<IShellFolder> desktop = std::make_shared<TDesktopFolder>();
  Folder = desktop;
  return S_OK;
}

HRESULT SHGetSpecialFolderLocation(HWND, int Folder, TItemIDList& List) {
  List = TItemIDList{};
  TUserFolder user;
  switch (Folder) {
    case CSIDL_DESKTOP: List = ILAlloc(2); return List ? S_OK : E_OUTOFMEMORY;
    case CSIDL_DRIVES: List = ILCreateItem(kComputerItem, {}); return List ? S_OK : E_OUTOFMEMORY;
    case CSIDL_PERSONAL: user = TUserFolder::ufDocuments; break;
    case CSIDL_DESKTOPDIRECTORY: user = TUserFolder::ufDesktop; break;
    case CSIDL_APPDATA: user = TUserFolder::ufConfig; break;
    case CSIDL_TEMPLATES: user = TUserFolder::ufTemplates; break;
    case CSIDL_FONTS: user = TUserFolder::ufFonts; break;
    case CSIDL_PROGRAMS: user = TUserFolder::ufApplications; break;
    case CSIDL_STARTUP: user = TUserFolder::ufAutostart; break;
    case CSIDL_BITBUCKET: user = TUserFolder::ufTrash; break;
    default: return E_FAIL;
  }
  return ParseAbsolutePath(UserFolderPath(user), List);
}

BOOL SHGetPathFromIDList(TItemIDSpan List, std::string& Path) {
  TShellItemInfo info;
  if (!DescribeAbsolute(List, info) || info.Path.empty()) {
    Path.clear();
    return FALSE;
  }
  Path = info.Path;
  return TRUE;
}

bool GetShellItemInfo(TItemIDSpan Absolute, TShellItemInfo& Info) { return DescribeAbsolute(Absolute, Info); }

BOOL ShellExecuteEx(SHELLEXECUTEINFO* Info) {
  if (!Info) return FALSE;
  Info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(SE_ERR_NOASSOC));
  if (!Info->lpVerb.empty() && !SameText(Info->lpVerb, "open")) return FALSE;
  std::string target = Info->lpFile;
  if ((Info->fMask & SEE_MASK_INVOKEIDLIST) == SEE_MASK_INVOKEIDLIST && !SHGetPathFromIDList(Info->lpIDList, target))
    return FALSE;
  if (target.empty()) {
    Info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(SE_ERR_FNF));
    return FALSE;
  }
  if (!OpenWithDesktop(target)) return FALSE;
  Info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(33));
  return TRUE;
}
