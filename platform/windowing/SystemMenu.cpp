// The system menu of a window: its standard items, their states, and showing it.

#include "platform/windowing/MenuHandles.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Messages.h"
#include "platform/windowing/WindowNode.h"
#include "platform/windowing/WindowTree.h"

namespace {

DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongPtr(h, GWL_STYLE)); }

bool HasBoxes(DWORD style) { return (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0; }

// The standard menu for the window's style as it is now.
HMENU BuildStandardMenu(HWND h) {
  const DWORD style = Style(h);
  const bool mdiChild = (GetWindowLongPtr(h, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
  HMENU menu = CreatePopupMenu();
  if (HasBoxes(style)) AppendMenu(menu, MF_STRING, SC_RESTORE, "&Restore");
  AppendMenu(menu, MF_STRING, SC_MOVE, "&Move");
  if (HasBoxes(style) || (style & WS_THICKFRAME)) AppendMenu(menu, MF_STRING, SC_SIZE, "&Size");
  if (HasBoxes(style)) {
    AppendMenu(menu, MF_STRING, SC_MINIMIZE, "Mi&nimize");
    AppendMenu(menu, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
  }
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING | MF_DEFAULT, SC_CLOSE, mdiChild ? "&Close\tCtrl+F4" : "&Close\tAlt+F4");
  return menu;
}

UINT EnabledIf(bool on) { return on ? MF_ENABLED : MF_GRAYED; }

}  // namespace

void detail::UpdateSystemMenu(HWND hWnd, HMENU hMenu) {
  const DWORD style = Style(hWnd);
  const bool minimized = IsIconic(hWnd) != FALSE, maximized = IsZoomed(hWnd) != FALSE;
  const bool normal = !minimized && !maximized;
  EnableMenuItem(hMenu, SC_RESTORE, EnabledIf(!normal));
  EnableMenuItem(hMenu, SC_MOVE, EnabledIf(!maximized));
  EnableMenuItem(hMenu, SC_SIZE, EnabledIf((style & WS_THICKFRAME) && normal));
  EnableMenuItem(hMenu, SC_MINIMIZE, EnabledIf((style & WS_MINIMIZEBOX) && !minimized));
  EnableMenuItem(hMenu, SC_MAXIMIZE, EnabledIf((style & WS_MAXIMIZEBOX) && !maximized));
  EnableMenuItem(hMenu, SC_CLOSE, EnabledIf(!(GetClassLong(hWnd, GCL_STYLE) & CS_NOCLOSE)));
}

namespace {

// The window's copy of its system menu, made on first use; nullptr for an unknown window.
std::shared_ptr<HMENU__> SystemMenuOf(HWND hWnd) {
  std::shared_ptr<HMENU__> menu;
  {
    std::lock_guard lock(wnd_detail::TreeLock());
    wnd_detail::TWindowNode* n = wnd_detail::Node(hWnd);
    if (!n) return nullptr;
    menu = n->system_menu;
  }
  if (!menu) {
    menu.reset(BuildStandardMenu(hWnd), [](HMENU m) { DestroyMenu(m); });
    std::lock_guard lock(wnd_detail::TreeLock());
    wnd_detail::TWindowNode* n = wnd_detail::Node(hWnd);
    if (!n) return nullptr;
    n->system_menu = menu;
  }
  detail::UpdateSystemMenu(hWnd, menu.get());
  return menu;
}

}  // namespace

HMENU GetSystemMenu(HWND hWnd, BOOL bRevert) {
  if (!bRevert) return SystemMenuOf(hWnd).get();  // the node keeps it alive
  std::shared_ptr<HMENU__> copy;  // destroyed after the lock is released
  std::lock_guard lock(wnd_detail::TreeLock());
  if (wnd_detail::TWindowNode* n = wnd_detail::Node(hWnd)) copy = std::move(n->system_menu);
  return nullptr;
}

void detail::TrackSystemMenu(HWND hWnd, TPoint Pos) {
  // Held for the whole loop: the window (and its copy) may go while the menu is open.
  std::shared_ptr<HMENU__> menu = SystemMenuOf(hWnd);
  if (!menu) return;
  SendMessage(hWnd, WM_INITMENU, reinterpret_cast<WPARAM>(menu.get()), 0);
  const UINT command = TrackMenuHandle(menu.get(), Pos, TPopupAlignment::paLeft, hWnd, true, true);
  if (command != 0 && IsWindow(hWnd)) PostMessage(hWnd, WM_SYSCOMMAND, command, 0);
}
