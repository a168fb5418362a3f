#pragma once
// The shell namespace on the Linux file system: the desktop, Computer, the mounts and the
// folders and files below them, each named by an item-ID list (ItemIDList.h) and served by a
// folder object with the operations the shell views were written against (enumerate, bind,
// name, attributes, compare, rename, context menu).
//
// The tree:
//   Desktop (shown as "桌面"; the empty list; parsing name: the desktop directory of the user's
//   XDG settings, the home folder when it has none)
//   ├── Computer ("::{…}"; shown as "计算机")
//   │   ├── "/" (shown as "文件系统")
//   │   └── the user-visible mounts (Mounts.h), shown by their disk label
//   ├── Home (the home folder, shown as "主文件夹")
//   └── the desktop directory's entries
// Below every folder of the file system lie its entries. An item of this layer is a kind byte
// followed by the raw name bytes, so a name that is not valid UTF-8 keeps its bytes in the list
// and in every parsing name (a path), while display names show such bytes as U+FFFD.
//
// Parsing a path gives its canonical list: Computer, then the deepest user-visible mount that
// holds it (or "/"), then one item per component. The desktop's own entries and the home item
// are other routes to the same files.
//
// Nothing here changes the process's current folder; relative paths are refused. GUI thread
// (the folder objects keep no state beyond their own path, but the context menu shows dialogs).

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Exceptions.h"
#include "platform/shell/ItemIDList.h"
#include "platform/core/Types.h"

using ULONG = std::uint32_t;
using DWORD_PTR = ULONG_PTR;
using UINT_PTR = std::uintptr_t;
using HRESULT = std::int32_t;

// ---- Result codes ------------------------------------------------------------------------------

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

[[nodiscard]] constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
[[nodiscard]] constexpr bool FAILED(HRESULT hr) { return hr < 0; }
[[nodiscard]] constexpr HRESULT MAKE_HRESULT(unsigned Severity, unsigned Facility, unsigned Code) {
  return static_cast<HRESULT>((Severity << 31) | (Facility << 16) | (Code & 0xFFFFu));
}
[[nodiscard]] constexpr WORD HRESULT_CODE(HRESULT hr) { return static_cast<WORD>(static_cast<std::uint32_t>(hr) & 0xFFFFu); }
// The failure code of a system error (an errno value, as GetLastError answers); S_OK for 0.
[[nodiscard]] constexpr HRESULT HRESULT_FROM_WIN32(DWORD Error) {
  return Error == 0 ? S_OK : static_cast<HRESULT>(0x80070000u | (Error & 0xFFFFu));
}

// The framework's error for a failed shell call; ErrorCode is the call's result.
class EOleSysError : public Exception {
 public:
  EOleSysError(std::string message, HRESULT errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
  HRESULT ErrorCode;
};
// Raises EOleSysError (with the system's text for the code) when Result is a failure.
void OleCheck(HRESULT Result);

// ---- Flags -------------------------------------------------------------------------------------

// Forms of a display name.
constexpr DWORD SHGDN_NORMAL = 0x0000;  // the name alone, as a user reads it
constexpr DWORD SHGDN_INFOLDER = 0x0001;  // relative to the folder (with FORPARSING: the raw name)
constexpr DWORD SHGDN_FOREDITING = 0x1000;
constexpr DWORD SHGDN_FORADDRESSBAR = 0x4000;
constexpr DWORD SHGDN_FORPARSING = 0x8000;  // the path, or "::{…}" for a virtual folder

// What an enumeration delivers.
constexpr DWORD SHCONTF_FOLDERS = 0x0020;
constexpr DWORD SHCONTF_NONFOLDERS = 0x0040;
constexpr DWORD SHCONTF_INCLUDEHIDDEN = 0x0080;  // names that start with "."

// Attributes of an item.
constexpr ULONG SFGAO_CANCOPY = 0x00000001;
constexpr ULONG SFGAO_CANMOVE = 0x00000002;
constexpr ULONG SFGAO_CANLINK = 0x00000004;
constexpr ULONG SFGAO_CANRENAME = 0x00000010;
constexpr ULONG SFGAO_CANDELETE = 0x00000020;
constexpr ULONG SFGAO_HASPROPSHEET = 0x00000040;
constexpr ULONG SFGAO_DROPTARGET = 0x00000100;
constexpr ULONG SFGAO_GHOSTED = 0x00008000;
constexpr ULONG SFGAO_LINK = 0x00010000;
constexpr ULONG SFGAO_SHARE = 0x00020000;
constexpr ULONG SFGAO_READONLY = 0x00040000;
constexpr ULONG SFGAO_HIDDEN = 0x00080000;
constexpr ULONG SFGAO_VALIDATE = 0x01000000;
constexpr ULONG SFGAO_REMOVABLE = 0x02000000;
constexpr ULONG SFGAO_FILESYSANCESTOR = 0x10000000;
constexpr ULONG SFGAO_FOLDER = 0x20000000;
constexpr ULONG SFGAO_FILESYSTEM = 0x40000000;
constexpr ULONG SFGAO_HASSUBFOLDER = 0x80000000;

// Special folders. Desktop, Computer and the XDG folders (desktop directory, documents, config,
// templates, fonts, applications, autostart, trash) exist; the others fail with E_FAIL.
constexpr int CSIDL_DESKTOP = 0;
constexpr int CSIDL_INTERNET = 1;
constexpr int CSIDL_PROGRAMS = 2;  // the user's applications
constexpr int CSIDL_CONTROLS = 3;
constexpr int CSIDL_PRINTERS = 4;
constexpr int CSIDL_PERSONAL = 5;  // documents
constexpr int CSIDL_FAVORITES = 6;
constexpr int CSIDL_STARTUP = 7;  // autostart
constexpr int CSIDL_RECENT = 8;
constexpr int CSIDL_SENDTO = 9;
constexpr int CSIDL_BITBUCKET = 10;  // the trash's files
constexpr int CSIDL_STARTMENU = 11;
constexpr int CSIDL_DESKTOPDIRECTORY = 16;
constexpr int CSIDL_DRIVES = 17;  // Computer
constexpr int CSIDL_NETWORK = 18;
constexpr int CSIDL_FONTS = 20;
constexpr int CSIDL_TEMPLATES = 21;
constexpr int CSIDL_COMMON_STARTMENU = 22;
constexpr int CSIDL_COMMON_PROGRAMS = 23;
constexpr int CSIDL_COMMON_STARTUP = 24;
constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 25;
constexpr int CSIDL_APPDATA = 26;  // the XDG config folder
constexpr int CSIDL_PRINTHOOD = 27;

// The parsing name of Computer.
extern const char* const kComputerParsingName;
// The names a user reads for the places that are no folder of their own name.
extern const char* const kDesktopName, *const kComputerName, *const kHomeName, *const kFileSystemName;

// ---- Records -----------------------------------------------------------------------------------

constexpr UINT STRRET_WSTR = 0;    // pOleStr holds the text
constexpr UINT STRRET_OFFSET = 1;  // the text starts uOffset bytes into the item's list
constexpr UINT STRRET_CSTR = 2;    // cStr holds the text

// A name as a folder answers it.
struct STRRET {
  UINT uType = STRRET_WSTR;
  std::string pOleStr;
  UINT uOffset = 0;
  std::string cStr;
};

// ---- Context menus -------------------------------------------------------------------------------

constexpr UINT CMF_NORMAL = 0x0000;
constexpr UINT CMF_EXPLORE = 0x0004;
constexpr UINT CMF_CANRENAME = 0x0010;
constexpr UINT GCS_VERBA = 0x0000;
constexpr DWORD CMIC_MASK_FLAG_NO_UI = 0x00000400;  // no confirmation, no message
constexpr DWORD CMIC_MASK_ASYNCOK = 0x00100000;

// How a command of a context menu is invoked: by its verb text, or, when lpVerb is empty, by its
// offset from the menu's first command.
struct CMINVOKECOMMANDINFO {
  DWORD fMask = 0;
  HWND hwnd = nullptr;  // owner of any dialog the command shows
  std::string lpVerb;
  UINT idCmdOffset = 0;
  int nShow = 1;
};

class IContextMenu {
 public:
  virtual ~IContextMenu() = default;
  // Appends the item's commands to Menu from position IndexMenu on, numbered from IdCmdFirst
  // (none above IdCmdLast); answers MAKE_HRESULT(0, 0, highest offset used + 1).
  virtual HRESULT QueryContextMenu(HMENU Menu, UINT IndexMenu, UINT IdCmdFirst, UINT IdCmdLast, UINT Flags) = 0;
  virtual HRESULT InvokeCommand(const CMINVOKECOMMANDINFO& Info) = 0;
  // The verb of the command at offset IdCmd ("open", "delete" …).
  virtual HRESULT GetCommandString(UINT_PTR IdCmd, UINT Type, std::string& Name) = 0;
  // The owner-drawn menu messages; this layer's menus draw themselves, so nothing is to be done.
  virtual HRESULT HandleMenuMsg(UINT Msg, WPARAM wParam, LPARAM lParam) = 0;
};

// ---- Folders -------------------------------------------------------------------------------------

class IEnumIDList {
 public:
  virtual ~IEnumIDList() = default;
  // S_OK with the next item's one-item list in Item; S_FALSE (Item nil) at the end.
  virtual HRESULT Next(TItemIDList& Item) = 0;
};

// A folder of the namespace. Item arguments are relative to the folder (one item or several,
// which then lead through subfolders); a broken or foreign item gives E_INVALIDARG.
class IShellFolder {
 public:
  virtual ~IShellFolder() = default;
  // The list, relative to this folder, of a name (the desktop: an absolute path or "::{…}"; a
  // file-system folder: a relative path). Fails for a name that names nothing.
  virtual HRESULT ParseDisplayName(HWND Owner, const std::string& Name, TItemIDList& Result) = 0;
  // The folder's items as Flags ask (SHCONTF_*), read when this is called.
  virtual HRESULT EnumObjects(HWND Owner, DWORD Flags, std::unique_ptr<IEnumIDList>& Enum) = 0;
  // The folder object of a subfolder item.
  virtual HRESULT BindToObject(TItemIDSpan Item, std::shared_ptr<IShellFolder>& Folder) = 0;
  // The order of two items (column 0: by name), in the low 16 bits of a success code: negative
  // when A comes first. Folders come first, then names in a case-insensitive locale order; names
  // that differ only in case are told apart by their bytes, so 0 means the same item.
  virtual HRESULT CompareIDs(LPARAM Column, TItemIDSpan A, TItemIDSpan B) = 0;
  // The item's attributes (SFGAO_*). Cheap ones are always answered; SFGAO_HASSUBFOLDER (a scan
  // that stops at the first subfolder) only when InOut asks for it.
  virtual HRESULT GetAttributesOf(TItemIDSpan Item, ULONG& InOut) = 0;
  virtual HRESULT GetDisplayNameOf(TItemIDSpan Item, DWORD Flags, STRRET& Name) = 0;
  // Renames the item in place (never replacing an existing name); NewItem gets its new list.
  virtual HRESULT SetNameOf(HWND Owner, TItemIDSpan Item, const std::string& Name, DWORD Flags, TItemIDList* NewItem) = 0;
  // The item's context menu.
  virtual HRESULT GetUIObjectOf(HWND Owner, TItemIDSpan Item, std::shared_ptr<IContextMenu>& Menu) = 0;
};

HRESULT SHGetDesktopFolder(std::shared_ptr<IShellFolder>& Folder);
// The absolute list of a special folder (CSIDL_*); fails for a folder that does not exist.
HRESULT SHGetSpecialFolderLocation(HWND Owner, int Folder, TItemIDList& List);
// The file-system path of an absolute list; FALSE for Computer and broken lists.
BOOL SHGetPathFromIDList(TItemIDSpan List, std::string& Path);

// What an absolute list names, for the icons and the context menus.
struct TShellItemInfo {
  enum class TKind { Desktop, Computer, Home, FileSystemRoot, Mount, Folder, File };
  TKind Kind = TKind::Desktop;
  std::string Path;       // the file-system path; empty for Computer
  UINT DriveType = 0;     // DRIVE_* of a mount or "/", 0 otherwise
  bool IsLink = false;    // the item is a symbolic link
};
bool GetShellItemInfo(TItemIDSpan Absolute, TShellItemInfo& Info);

// ---- Starting items ----------------------------------------------------------------------------

constexpr ULONG SEE_MASK_INVOKEIDLIST = 0x0000000C;

struct SHELLEXECUTEINFO {
  ULONG fMask = 0;
  HWND hwnd = nullptr;
  std::string lpVerb;  // "open" or empty
  std::string lpFile;  // used without SEE_MASK_INVOKEIDLIST
  TItemIDSpan lpIDList;
  int nShow = 1;
  HINSTANCE hInstApp = nullptr;  // above 32 on success, else SE_ERR_*
};
// Opens the item (lpIDList with SEE_MASK_INVOKEIDLIST, else lpFile) with the desktop's opener
// (DesktopOpener.h). FALSE for another verb, an item without a path, or an opener that fails.
BOOL ShellExecuteEx(SHELLEXECUTEINFO* Info);
