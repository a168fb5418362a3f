#pragma once
// Menu handles: the calls that name menus by HMENU, for code written against the platform's menu
// calls (the non-client area's system menu among them). A handle names a tree of menu items kept
// by the component framework's menus (MenuHandles.cpp, beside Menus.h), which also show them; this
// header is all a window-level caller needs to know of them.

#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Messages.h"
#include "platform/core/Types.h"

// Where a popup menu stands against its anchor point.
enum class TPopupAlignment { paLeft, paRight, paCenter };

// Menus made through handles, for code written against the platform's menu calls. A handle names
// a tree of menu items kept by the layer; a submenu appended with MF_POPUP becomes part of its
// parent's tree and is destroyed with it. Calls on unknown or destroyed handles fail quietly.

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_DEFAULT = 0x1000;
constexpr UINT MF_RADIOCHECK = 0x0200;
constexpr UINT MF_MOUSESELECT = 0x8000;

constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

[[nodiscard]] HMENU CreatePopupMenu();
// Destroys the menu and its submenus; FALSE for an unknown handle or a submenu of another menu.
BOOL DestroyMenu(HMENU hMenu);
[[nodiscard]] BOOL IsMenu(HMENU hMenu);
// lpNewItem is the text ("&Copy\tCtrl+C": the shortcut after a tab); with MF_POPUP,
// uIDNewItem is the submenu's handle, which must not belong to another menu yet.
BOOL AppendMenu(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem);
// Inserts before the item at position uPosition (MF_BYPOSITION; -1 or the count appends) or
// before the item of command uPosition (MF_BYCOMMAND, searched in submenus too).
BOOL InsertMenu(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem);
[[nodiscard]] int GetMenuItemCount(HMENU hMenu);  // -1 for an unknown handle
// The command of the item at nPos; 0xFFFFFFFF for a submenu, a separator's 0, or a bad position.
[[nodiscard]] UINT GetMenuItemID(HMENU hMenu, int nPos);
[[nodiscard]] HMENU GetSubMenu(HMENU hMenu, int nPos);
// Enables (MF_ENABLED) or greys (MF_GRAYED / MF_DISABLED) the item given by command
// (MF_BYCOMMAND, searched in submenus too) or position (MF_BYPOSITION). Answers the item's
// previous state (MF_ENABLED or MF_GRAYED), 0xFFFFFFFF when there is no such item.
UINT EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
// The item's MF_ flags (MF_GRAYED | MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_DEFAULT,
// MF_RADIOCHECK; for a submenu MF_POPUP with its item count in the high byte of the low word);
// 0xFFFFFFFF when there is no such item.
[[nodiscard]] UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
// The item's text with its shortcut after a tab ("&Close\tAlt+F4"); empty when there is no
// such item. The buffer form copies at most cchMax - 1 bytes and answers their number.
[[nodiscard]] std::string GetMenuString(HMENU hMenu, UINT uIDItem, UINT uFlags);
int GetMenuString(HMENU hMenu, UINT uIDItem, char* lpString, int cchMax, UINT uFlags);

// The window's system menu: the standard items with their commands, which DefWindowProc shows
// for Alt+Space (WM_SYSCOMMAND SC_KEYMENU with ' ') and a right click on the caption, and whose
// choice comes back to the window as a posted WM_SYSCOMMAND.
//   &Restore  SC_RESTORE    Mi&nimize  SC_MINIMIZE   Ma&ximize  SC_MAXIMIZE
//   &Move     SC_MOVE       &Size      SC_SIZE       &Close     SC_CLOSE (default item;
//                                                    "Alt+F4", "Ctrl+F4" for an MDI child)
// Restore, Minimize and Maximize are there when the window has a minimize or maximize box, Size
// when it has a thick frame or a box; a separator comes before Close. The states follow the
// window each time the menu is asked for or shown: Restore while minimized or maximized, Move
// unless maximized, Size with a thick frame in the normal state, Minimize with a minimize box
// unless minimized, Maximize with a maximize box unless maximized, Close unless the class has
// CS_NOCLOSE. Items the program adds keep the state it gives them.
// bRevert FALSE answers the window's own copy, made on first use, which the program may change
// (AppendMenu, InsertMenu, EnableMenuItem); it lives as long as the window. bRevert TRUE throws
// the copy away, so the next use starts from the standard menu again, and answers nullptr.
// nullptr for an unknown window.
HMENU GetSystemMenu(HWND hWnd, BOOL bRevert);

// Shows the menu at the screen point and tracks it (the plain popup window). With
// TPM_RETURNCMD the result is the chosen command, 0 when cancelled; otherwise the command is
// posted to hWnd as WM_COMMAND and the result says whether one was chosen. Unless TPM_NONOTIFY,
// hWnd is sent WM_INITMENUPOPUP (the level's handle, its index) before each level opens and the
// menu loop messages (see detail::TPlainPopupOptions::Owner).
BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd, const TRect* prcRect);

namespace detail {
// Tracks the menu of a handle at Pos (screen) with the plain popup window and answers the
// chosen command, 0 when cancelled. Unless Notify is false, Owner hears WM_INITMENUPOPUP before
// each level (lParam: the level's index, the high word TRUE for a system menu) and the menu loop
// messages.
[[nodiscard]] UINT TrackMenuHandle(HMENU hMenu, TPoint Pos, TPopupAlignment Alignment, HWND Owner, bool Notify,
                                   bool SystemMenu);
// Brings the standard items of the window's system menu in line with its state.
void UpdateSystemMenu(HWND hWnd, HMENU hMenu);
// Shows the window's system menu at Pos (screen) and posts the chosen WM_SYSCOMMAND to it.
void TrackSystemMenu(HWND hWnd, TPoint Pos);
}  // namespace detail
