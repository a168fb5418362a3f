#pragma once
// The context menu of a namespace item with a file-system path, and the shell's own dialogs.
//
// Commands, by verb, in menu order (offsets from the first command number):
//   0 "open"        the desktop's opener (DesktopOpener.h), an argument vector, never a shell
//   1 "paste"       a folder only: the files named on the clipboard (FileOperations.h), copied or
//                   moved in without replacing anything; greyed when the clipboard names none
//   2 "delete"      when the item may be deleted: to the trash, after the user confirmed it
//   3 "rename"      when the item may be renamed and the caller asked for CMF_CANRENAME; the
//                   view edits the name itself (invoking it here does nothing: E_NOTIMPL)
//   4 "properties"  the item's name, kind, place, size, time and rights in a message
// Dialogs and failures go through the shell's message box below; CMIC_MASK_FLAG_NO_UI skips
// the confirmation and the failure message.
//
// GUI thread.

#include <functional>
#include <memory>
#include <string>

#include "platform/shell/ShellFolders.h"

// What shows the shell's dialogs: shaped like a message box (MB_* flags; IDYES, IDNO, IDOK …).
using TShellMessageBox =
    std::function<int(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags)>;
// Installs Box and answers the one it replaces; an empty function brings back the platform's
// message box (ShowMessageBox). A program may install its own skinned box; tests answer here.
TShellMessageBox SetShellMessageBox(TShellMessageBox Box);
// Shows a dialog through the installed box.
int ShellMessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags);

// The context menu of Item (which has a path) with the attributes its folder gave it.
[[nodiscard]] std::shared_ptr<IContextMenu> CreateShellItemContextMenu(const TShellItemInfo& Item, ULONG Attributes);
