#include "platform/shell/ShellContextMenu.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <vector>

#include "platform/controls/Application.h"
#include "platform/x11/Clipbrd.h"
#include "platform/core/DateTime.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/shell/FileFindData.h"
#include "platform/shell/FileOperations.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/shell/MimeTypes.h"
#include "platform/shell/Mounts.h"
#include "platform/core/SysUtils.h"

namespace {

TShellMessageBox& InstalledBox() {
  static TShellMessageBox box;
  return box;
}

struct TVerb {
  const char* Verb;
  const char* Caption;
};

// The commands in menu order; a command's offset is its index here.
constexpr std::array<TVerb, 5> kVerbs = {{
    {"open", "&Open"},
    {"paste", "&Paste"},
    {"delete", "&Delete"},
    {"rename", "Rena&me"},
    {"properties", "P&roperties"},
}};
enum : UINT { kOpen, kPaste, kDelete, kRename, kProperties };

// The name of an item's path; "/" names itself.
std::string LastComponent(const std::string& path) { return path == "/" ? path : ExtractFileName(path); }

std::string KindText(const TShellItemInfo& item) {
  using K = TShellItemInfo::TKind;
  switch (item.Kind) {
    case K::FileSystemRoot:
    case K::Mount:
      switch (item.DriveType) {
        case DRIVE_REMOVABLE: return "Removable drive";
        case DRIVE_REMOTE: return "Network drive";
        case DRIVE_CDROM: return "Optical drive";
        case DRIVE_RAMDISK: return "RAM disk";
        default: return "Drive";
      }
    case K::File: return MimeTypeOfFileName(LastComponent(item.Path));
    default: return "Folder";
  }
}

std::string PermissionText(mode_t mode) {
  std::string text = "---------";
  const mode_t bits[9] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
  for (int i = 0; i < 9; ++i)
    if (mode & bits[i]) text[static_cast<std::size_t>(i)] = "rwx"[i % 3];
  return text;
}

std::string PropertiesText(const TShellItemInfo& item) {
  std::string text = "Name: " + Utf16ToUtf8(Utf8ToUtf16(LastComponent(item.Path))) + "\n";
  text += "Kind: " + KindText(item) + (item.IsLink ? " (link)" : "") + "\n";
  text += "Location: " + Utf16ToUtf8(Utf8ToUtf16(item.Path)) + "\n";
  struct stat status {};
  if (::stat(item.Path.c_str(), &status) == 0) {
    if (!S_ISDIR(status.st_mode)) text += Format("Size: %s bytes\n", IntToStr(static_cast<std::int64_t>(status.st_size)));
    WIN32_FIND_DATA data;
    FILETIME local;
    WORD date = 0, time = 0;
    if (GetFileFindData(item.Path, data) && FileTimeToLocalFileTime(data.ftLastWriteTime, local) &&
        FileTimeToDosDateTime(local, date, time))
      text += "Modified: " + DateTimeToStr(FileDateToDateTime((static_cast<int>(date) << 16) | time)) + "\n";
    text += "Permissions: " + PermissionText(status.st_mode);
  }
  return text;
}

class TShellItemMenu : public IContextMenu {
 public:
  TShellItemMenu(TShellItemInfo item, ULONG attributes) : item_(std::move(item)), attributes_(attributes) {}

  HRESULT QueryContextMenu(HMENU Menu, UINT IndexMenu, UINT IdCmdFirst, UINT IdCmdLast, UINT Flags) override {
    const bool folder = (attributes_ & SFGAO_FOLDER) != 0;
    UINT position = IndexMenu;
    UINT highest = 0;
    bool any = false;
    auto add = [&](UINT offset, UINT flags) {
      if (IdCmdFirst + offset > IdCmdLast) return;
      InsertMenu(Menu, position++, MF_BYPOSITION | MF_STRING | flags, IdCmdFirst + offset, kVerbs[offset].Caption);
      highest = std::max(highest, offset + 1);
      any = true;
    };
    auto separator = [&] {
      if (any) InsertMenu(Menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    };
    add(kOpen, MF_DEFAULT);
    if (folder && (attributes_ & SFGAO_DROPTARGET)) {
      separator();
      add(kPaste, ClipboardHasFiles() ? 0 : MF_GRAYED);
    }
    const bool canDelete = (attributes_ & SFGAO_CANDELETE) != 0;
    const bool canRename = (attributes_ & SFGAO_CANRENAME) && (Flags & CMF_CANRENAME);
    if (canDelete || canRename) separator();
    if (canDelete) add(kDelete, 0);
    if (canRename) add(kRename, 0);
    separator();
    add(kProperties, 0);
    return MAKE_HRESULT(0, 0, highest);
  }

  HRESULT InvokeCommand(const CMINVOKECOMMANDINFO& Info) override {
    UINT command = Info.idCmdOffset;
    if (!Info.lpVerb.empty()) {
      command = static_cast<UINT>(kVerbs.size());
      for (UINT i = 0; i < kVerbs.size(); ++i)
        if (SameText(Info.lpVerb, kVerbs[i].Verb)) command = i;
    }
    const bool quiet = (Info.fMask & CMIC_MASK_FLAG_NO_UI) != 0;
    switch (command) {
      case kOpen: return Open(Info.hwnd, quiet);
      case kPaste: return Paste(Info.hwnd, quiet);
      case kDelete: return Delete(Info.hwnd, quiet);
      case kRename: return E_NOTIMPL;  // the view edits the name in place
      case kProperties:
        ShellMessageBox(Info.hwnd, PropertiesText(item_), "Properties", MB_OK | MB_ICONINFORMATION);
        return S_OK;
      default: return E_INVALIDARG;
    }
  }

  HRESULT GetCommandString(UINT_PTR IdCmd, UINT, std::string& Name) override {
    if (IdCmd >= kVerbs.size()) return E_INVALIDARG;
    Name = kVerbs[IdCmd].Verb;
    return S_OK;
  }

  HRESULT HandleMenuMsg(UINT, WPARAM, LPARAM) override { return S_OK; }

 private:
  static bool ClipboardHasFiles() {
    std::vector<std::string> files;
    bool cut = false;
    return ParseClipboardFileList(Clipboard()->AsText(), files, cut);
  }

  HRESULT Fail(HWND owner, bool quiet, const std::string& caption, const std::string& error) {
    if (!quiet) ShellMessageBox(owner, error, caption, MB_OK | MB_ICONERROR);
    return E_FAIL;
  }

  HRESULT Open(HWND owner, bool quiet) {
    std::string error;
    if (OpenWithDesktop(item_.Path, &error)) return S_OK;
    return Fail(owner, quiet, "Open", error);
  }

  HRESULT Paste(HWND owner, bool quiet) {
    if (!(attributes_ & SFGAO_FOLDER)) return E_INVALIDARG;
    std::vector<std::string> files;
    bool cut = false;
    if (!ParseClipboardFileList(Clipboard()->AsText(), files, cut)) return Fail(owner, quiet, "Paste", "The clipboard holds no files.");
    std::string error;
    if (PasteFiles(files, item_.Path, cut, &error)) return S_OK;
    return Fail(owner, quiet, "Paste", error);
  }

  HRESULT Delete(HWND owner, bool quiet) {
    if (!(attributes_ & SFGAO_CANDELETE)) return HRESULT_FROM_WIN32(EACCES);
    const std::string name = Utf16ToUtf8(Utf8ToUtf16(LastComponent(item_.Path)));
    if (!quiet &&
        ShellMessageBox(owner, Format("Move \"%s\" to the Trash?", name), "Delete", MB_YESNO | MB_ICONQUESTION) != IDYES)
      return HRESULT_FROM_WIN32(ECANCELED);
    std::string error;
    if (MoveToTrash(item_.Path, &error)) return S_OK;
    return Fail(owner, quiet, "Delete", error);
  }

  TShellItemInfo item_;
  ULONG attributes_;
};

}  // namespace

TShellMessageBox SetShellMessageBox(TShellMessageBox Box) {
  TShellMessageBox previous = std::move(InstalledBox());
  InstalledBox() = std::move(Box);
  return previous;
}

int ShellMessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags) {
  if (InstalledBox()) return InstalledBox()(Owner, Text, Caption, Flags);
  return ShowMessageBox(Text, Caption, Flags);
}

std::shared_ptr<IContextMenu> CreateShellItemContextMenu(const TShellItemInfo& Item, ULONG Attributes) {
  return std::make_shared<TShellItemMenu>(Item, Attributes);
}
