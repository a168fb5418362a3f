#pragma once
// Shell namespace items: the object model the shell folder tree, the shell file list, the shell
// folder combo box and the file dialogs are built on. Every namespace object (the desktop,
// Computer, a mount, a folder, a file) is named by an item-ID list (platform/shell/ItemIDList.h); one
// TvlShellFolder wraps one such item: it owns the item's relative and absolute lists, knows its
// parent and the folder object of its parent, and answers names, paths, attributes, column
// details, rename and the default action. Around it stand free operations on item-ID lists, the
// resolution of a root text (TRoot) into a root object, the item's context menu, and three
// process-wide objects: SharedDesktopFolder, ShellControlsLock and TrackedContextMenu.
//
// Lists are values that free themselves (TItemIDList); an operation that cannot allocate answers
// a nil list, and every walk stays inside the list's buffer whatever its stored counts say.
//
// The namespace of this platform offers no column handlers of its own: a file-system folder's
// details are its entries' find data (LoadColumnDetails), other folders have none.
//
// GUI thread; ShellControlsLock is shared with the change notifier's worker.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/shell/FileFindData.h"
#include "platform/shell/ItemIDList.h"
#include "platform/core/Object.h"
#include "platform/core/Set.h"
#include "platform/shell/ShellFolders.h"
#include "platform/core/Strings.h"
#include "platform/core/SyncObjs.h"

class TWinControl;

// An item's file-system details cannot be read.
class EInvalidPath : public Exception {
 public:
  using Exception::Exception;
};

// A root: one of the TRootFolder value names ("rfDesktop" …, any letter case) or a path.
using TRoot = std::string;

enum class TRootFolder {
  rfDesktop,
  rfMyComputer,
  rfNetwork,
  rfRecycleBin,
  rfAppData,
  rfCommonDesktopDirectory,
  rfCommonPrograms,
  rfCommonStartMenu,
  rfCommonStartup,
  rfControlPanel,
  rfDesktopDirectory,
  rfFavorites,
  rfFonts,
  rfInternet,
  rfPersonal,
  rfPrinters,
  rfPrintHood,
  rfPrograms,
  rfRecent,
  rfSendTo,
  rfStartMenu,
  rfStartup,
  rfTemplates,
};
// The special-folder identifier (CSIDL_*) of a root folder.
[[nodiscard]] int RootFolderCsidl(TRootFolder Folder);

enum class TvlShellFolderCapability { fcCanCopy, fcCanDelete, fcCanLink, fcCanMove, fcCanRename, fcDropTarget, fcHasPropSheet };
using TvlShellFolderCapabilities = TSet<TvlShellFolderCapability>;

enum class TvlShellFolderProperty {
  fpCut,
  fpIsLink,
  fpReadOnly,
  fpShared,
  fpFileSystem,
  fpFileSystemAncestor,
  fpRemovable,
  fpValidate,
};
using TvlShellFolderProperties = TSet<TvlShellFolderProperty>;

enum class TShellObjectType { otFolders, otNonFolders, otHidden };
using TShellObjectTypes = TSet<TShellObjectType>;

// A control that takes part in the context menu of ShowItemContextMenu.
class IShellCommandSink {
 public:
  virtual ~IShellCommandSink() = default;
  // Before the verb runs; setting Handled keeps the shell from running it.
  virtual void ExecuteCommand(const std::string& Verb, bool& Handled) = 0;
  // After it ran (or was handled): Succeeded when handled or the shell reported success.
  virtual void CommandCompleted(const std::string& Verb, bool Succeeded) = 0;
};

class TvlShellFolder;
// Asked by the shell views for every item about to be shown: CanAdd false drops it.
using TAddFolderEvent = std::function<void(TObject* Sender, TvlShellFolder* AFolder, bool& CanAdd)>;

// ---- Item-ID lists ---------------------------------------------------------------------------------

// A zero-filled list block of Size bytes; nil when it cannot be had.
[[nodiscard]] TItemIDList ItemListAlloc(std::size_t Size);
// The item after Item; nil at the terminator or a broken item.
[[nodiscard]] TItemIDSpan ItemListNext(TItemIDSpan Item);
// Truncates the list in place by its last item; nothing for a nil or empty list.
void ItemListDropLast(TItemIDList& List);
[[nodiscard]] int ItemListCount(TItemIDSpan List);
// 0 for nil, else 2 plus the sum of the item counts.
[[nodiscard]] std::size_t ItemListSize(TItemIDSpan List);
// Nil for nil or when allocation fails.
[[nodiscard]] TItemIDList ItemListCopy(TItemIDSpan List);
// First's items, then Second's (a nil First contributes nothing, a nil Second counts as empty).
[[nodiscard]] TItemIDList ItemListJoin(TItemIDSpan First, TItemIDSpan Second);
// A one-item list of the last item; a copy of the empty list for the desktop.
[[nodiscard]] TItemIDList ItemListLastItem(TItemIDSpan List);
// The absolute lists of every ancestor level, desktop first (for X/Y/Z: the empty list, X, X/Y);
// empty for the empty list, and empty when an allocation fails.
[[nodiscard]] std::vector<TItemIDList> ItemListAncestors(TItemIDSpan List);
// True when the desktop folder's comparison (column 0) answers exactly 0.
[[nodiscard]] bool ItemListsEqual(TItemIDSpan A, TItemIDSpan B);
// The desktop's absolute list (the empty list).
[[nodiscard]] TItemIDList DesktopItemList();

// ---- Folders and items -------------------------------------------------------------------------

[[nodiscard]] std::shared_ptr<IShellFolder> DesktopFolderInterface();
// The TRootFolder value (as an index) whose name Text is, ignoring letter case; -1 otherwise.
[[nodiscard]] int RootFolderIndex(const std::string& Text);
// The system image list index of an absolute list (small unless Large; the open form with Open);
// -1 when the list names nothing.
[[nodiscard]] int ShellImageIndex(TItemIDSpan List, bool Large, bool Open);
[[nodiscard]] TvlShellFolderCapabilities ItemCapabilities(IShellFolder* ParentFolder, TItemIDSpan ID);
// Empty for a nil folder.
[[nodiscard]] TvlShellFolderProperties ItemProperties(IShellFolder* ParentFolder, TItemIDSpan ID);
[[nodiscard]] bool ItemIsFolder(IShellFolder* ParentFolder, TItemIDSpan ID);
[[nodiscard]] bool ItemHasSubFolders(IShellFolder* ParentFolder, TItemIDSpan ID);
// True when the folder's enumeration with Flags delivers at least one item; false for nil.
[[nodiscard]] bool FolderHasItems(IShellFolder* Folder, DWORD Flags);
// The text of a name record. An offset record reads the list's first item from the offset to the
// item's end (empty when the offset lies beyond it). A text of two or more characters that starts
// with "?" and a digit loses every "?".
[[nodiscard]] std::string NameRecordToString(TItemIDSpan List, const STRRET& Name);
// The item's name in the form Flags ask; "parentfolder = nil" for a nil folder; a name beginning
// with "::{" (a virtual folder's parsing name) is replaced by its normal name.
[[nodiscard]] std::string ItemDisplayName(IShellFolder* Folder, TItemIDSpan List, DWORD Flags);
[[nodiscard]] DWORD ObjectTypesToEnumFlags(TShellObjectTypes Types);
// The folder object of List in Folder; with no Folder, in the desktop. Nil when List names no
// folder.
[[nodiscard]] std::shared_ptr<IShellFolder> BindFolderInterface(IShellFolder* Folder, TItemIDSpan List, HWND Owner);

class TvlShellFolder;

// A root object for an absolute list: its folder object from the desktop (the desktop's own for
// the empty list), parent SharedDesktopFolder.
[[nodiscard]] std::unique_ptr<TvlShellFolder> CreateRootItem(TItemIDSpan List);
// Resolves NewRoot (a TRootFolder name or a path) into a new root object that replaces Root. On
// failure (a folder that does not exist, a text the desktop cannot parse, an empty text) NewRoot
// is set back to OldRoot, Root stays as it was, and Exception "Error setting path: "<text>"" is
// raised.
void ResolveRoot(std::unique_ptr<TvlShellFolder>& Root, const TRoot& OldRoot, TRoot& NewRoot);

// Shows Item's context menu at (X, Y) of Owner's client area and runs the chosen command, with
// Owner taking part when it is an IShellCommandSink. Nothing for a nil item or one without
// commands. TrackedContextMenu is set while the menu is open.
void ShowItemContextMenu(TWinControl* Owner, TvlShellFolder* Item, int X, int Y);
// Runs a verb ("open", "delete", "paste", "properties") of Item's context menu without showing
// it; the shell's result (S_OK on success), E_INVALIDARG for a nil item.
HRESULT InvokeItemVerb(TvlShellFolder* Item, const std::string& Verb);
// Raises EInvalidPath "Unable to retrieve folder details for "<name>". Error code $<hex>".
[[noreturn]] void RaiseFolderDetailsError(const TvlShellFolder* Item, DWORD ErrorCode);

// ---- Process-wide objects ------------------------------------------------------------------------

// The desktop's item, the default parent of every item made without one (made on first use).
[[nodiscard]] TvlShellFolder* SharedDesktopFolder();
// The lock the change notifier's worker shares with the GUI thread.
[[nodiscard]] TCriticalSection& ShellControlsLock();
// The menu of ShowItemContextMenu while it is open; nullptr otherwise. The shell views hand it
// the owner-drawn menu messages.
[[nodiscard]] IContextMenu* TrackedContextMenu();

// ---- Items -----------------------------------------------------------------------------------------

class TvlShellFolder : public TObject {
 public:
  // An item of AParent (nullptr: of SharedDesktopFolder) with ID relative to it and SF its own
  // folder object (nullptr for a file). Raises std::bad_alloc when the lists cannot be copied.
  TvlShellFolder(TvlShellFolder* AParent, TItemIDSpan ID, std::shared_ptr<IShellFolder> SF);
  ~TvlShellFolder() override;

  [[nodiscard]] TItemIDSpan AbsoluteID() const { return FFullPIDL.Span(); }
  [[nodiscard]] TItemIDSpan RelativeID() const { return FPIDL.Span(); }
  // The number of ancestors of the parent given at construction (that parent not counted).
  [[nodiscard]] int Level() const { return FLevel; }
  // The parent object; nullptr for SharedDesktopFolder itself (and once a parent is gone).
  [[nodiscard]] TvlShellFolder* Parent() const { return FParent.Get(); }
  [[nodiscard]] const std::shared_ptr<IShellFolder>& ShellFolder() const { return FIShellFolder; }
  [[nodiscard]] HWND ViewHandle() const { return FViewHandle; }
  void SetViewHandle(HWND Value) { FViewHandle = Value; }

  // The parent's folder object, or the desktop's when there is no parent.
  [[nodiscard]] std::shared_ptr<IShellFolder> ParentShellFolder() const;
  // The name in its folder (SHGDN_INFOLDER).
  [[nodiscard]] std::string DisplayName() const;
  // The parsing name in the desktop (a path; the normal name for a virtual folder).
  [[nodiscard]] std::string PathName() const;
  // The file-system path; empty when the item has none.
  [[nodiscard]] std::string FullObjectName() const;
  [[nodiscard]] TvlShellFolderCapabilities Capabilities() const;
  [[nodiscard]] TvlShellFolderProperties Properties() const;
  [[nodiscard]] bool SubFolders() const;
  // A folder of the namespace, but never a ".zip" file.
  [[nodiscard]] bool IsFolder() const;
  [[nodiscard]] int ImageIndex(bool LargeIcon) const;
  // Opens the item as the desktop would; non-zero on success.
  int ExecuteDefault();
  // Renames the item through its folder, never replacing an existing name. False for an item
  // that cannot be renamed; raises Exception "Rename to <name> failed" when the folder refuses.
  bool Rename(const std::string& NewName);
  // Reads the details of this item (one of RootFolder's items) for ColumnCount columns, unless as
  // many are held already. For a file-system RootFolder the columns are: 1 the size in bytes ("-1"
  // for a folder), 2 the extension with its dot, 3 the modification time (empty for a folder and a
  // time the packed form cannot hold), 4 the attribute word; further columns are empty. Other
  // folders give no details. Raises EInvalidPath when the item's find data cannot be read.
  void LoadColumnDetails(TvlShellFolder* RootFolder, HWND ViewHandle, int ColumnCount);
  // The text of column Index (from 1). Raises Exception "<name>: Missing call to
  // LoadColumnDetails" when no details are held.
  [[nodiscard]] std::string DetailText(int Index) const;
  // The item's find data; raises EInvalidPath when it cannot be read.
  void ReadFindData(WIN32_FIND_DATA& FindData) const;

 private:
  struct TDesktopTag {};
  explicit TvlShellFolder(TDesktopTag);
  friend TvlShellFolder* SharedDesktopFolder();

  TItemIDList FPIDL;
  TItemIDList FFullPIDL;
  TWeak<TvlShellFolder> FParent;
  std::shared_ptr<IShellFolder> FIShellFolder;
  int FLevel = 0;
  HWND FViewHandle = nullptr;
  std::unique_ptr<TStringList> FDetails;
};

// The texts of the find-data columns.
[[nodiscard]] std::int64_t FindDataSize(const WIN32_FIND_DATA& FindData);  // -1 for a folder
// The modification time in local time as a date-time value; -1 for a folder and for a time the
// packed date form cannot hold (before 1980, after 2107).
[[nodiscard]] double FindDataDate(const WIN32_FIND_DATA& FindData);
[[nodiscard]] std::string FindDataColumnText(const WIN32_FIND_DATA& FindData, int Column);
