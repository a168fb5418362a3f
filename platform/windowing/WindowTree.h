#pragma once
// The window tree: geometry, z-order, visibility, enabled state and shape of the windows of
// Window.h. Every window is a node of one tree; child windows (WS_CHILD) sit inside their
// parent's client area, every other window is a top-level on the screen. All calls here are
// made on the window's owner thread unless stated; a dead handle makes them fail quietly.
//
// Creation follows the classic order: CreateWindowEx gives the node its bounds, sends
// WM_NCCREATE, WM_NCCALCSIZE (to learn the client area) and WM_CREATE; WS_VISIBLE in the
// style shows the window afterwards. Moves and resizes go through SetWindowPos, which sends
// WM_WINDOWPOSCHANGING (the handler may change the WINDOWPOS), WM_NCCALCSIZE and
// WM_WINDOWPOSCHANGED, whose default handling sends WM_MOVE and WM_SIZE.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/windowing/Messages.h"
#include "platform/core/Types.h"
#include "platform/windowing/Window.h"

inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(static_cast<std::intptr_t>(1));
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2));

// lParam of WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED.
struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
};

// lParam of WM_NCCALCSIZE with wParam TRUE: rgrc[0] arrives as the new window rectangle (parent
// client coordinates) and leaves as the new client rectangle; rgrc[1], rgrc[2] hold the old
// window and client rectangles. With wParam FALSE lParam points to a single TRect.
struct NCCALCSIZE_PARAMS {
  TRect rgrc[3];
  WINDOWPOS* lppos = nullptr;
};

// lParam of WM_GETMINMAXINFO.
struct MINMAXINFO {
  TPoint ptReserved;
  TPoint ptMaxSize;
  TPoint ptMaxPosition;
  TPoint ptMinTrackSize;
  TPoint ptMaxTrackSize;
};

constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

constexpr UINT CWP_ALL = 0x0000;
constexpr UINT CWP_SKIPINVISIBLE = 0x0001;
constexpr UINT CWP_SKIPDISABLED = 0x0002;
constexpr UINT CWP_SKIPTRANSPARENT = 0x0004;

constexpr int GCL_STYLE = -26;
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;
constexpr UINT CS_CLASSDC = 0x0040;
constexpr UINT CS_PARENTDC = 0x0080;
constexpr UINT CS_NOCLOSE = 0x0200;
constexpr UINT CS_SAVEBITS = 0x0800;
constexpr UINT CS_DROPSHADOW = 0x00020000;  // accepted; windows here draw no shadow

// The change a SetWindowPos asked for, as WINDOWPOS flags; see the SWP_* constants.
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
// Shows, hides, minimizes, maximizes or restores; returns whether the window was visible before.
// Showing activates a top-level unless the command says not to (SW_SHOWNA, SW_SHOWNOACTIVATE,
// SW_SHOWMINNOACTIVE) or the window has WS_EX_NOACTIVATE.
BOOL ShowWindow(HWND hWnd, int nCmdShow);
[[nodiscard]] BOOL IsWindowVisible(HWND hWnd);  // the window and all its ancestors visible
[[nodiscard]] BOOL IsWindowEnabled(HWND hWnd);
// Sets or clears WS_DISABLED and sends WM_ENABLE; a window losing it gives up focus and capture.
// Returns whether the window was disabled before.
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
[[nodiscard]] BOOL IsIconic(HWND hWnd);
[[nodiscard]] BOOL IsZoomed(HWND hWnd);
[[nodiscard]] BOOL IsChild(HWND hWndParent, HWND hWnd);

// Window rectangle in screen coordinates; client rectangle in client coordinates (0, 0 based).
BOOL GetWindowRect(HWND hWnd, TRect* lpRect);
BOOL GetClientRect(HWND hWnd, TRect* lpRect);
BOOL ClientToScreen(HWND hWnd, TPoint* lpPoint);
BOOL ScreenToClient(HWND hWnd, TPoint* lpPoint);
// Maps points from one window's client coordinates to another's (nullptr: the screen). Returns
// MAKELONG(dx, dy) of the shift applied.
int MapWindowPoints(HWND hWndFrom, HWND hWndTo, TPoint* lpPoints, UINT cPoints);
inline int MapWindowPoints(HWND hWndFrom, HWND hWndTo, TRect* lpRect, UINT cRects) {
  return MapWindowPoints(hWndFrom, hWndTo, reinterpret_cast<TPoint*>(lpRect), cRects * 2);
}

// The deepest visible window at a screen point (disabled children included, click-through and
// transparent-hit windows not skipped); nullptr over empty screen.
[[nodiscard]] HWND WindowFromPoint(TPoint Point);
// The child of hWndParent containing Point (its client coordinates), hWndParent itself when no
// child does and the point is inside it, nullptr when the point is outside.
[[nodiscard]] HWND ChildWindowFromPoint(HWND hWndParent, TPoint Point);
[[nodiscard]] HWND ChildWindowFromPointEx(HWND hWndParent, TPoint Point, UINT uFlags);
[[nodiscard]] HWND GetWindow(HWND hWnd, UINT uCmd);
[[nodiscard]] HWND GetTopWindow(HWND hWnd);
// The top-level window of the tree (GA_ROOT) of hWnd.
[[nodiscard]] HWND GetAncestorRoot(HWND hWnd);
[[nodiscard]] HWND GetDesktopWindow();

using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
// Every descendant in z-order, depth first (parent before its children); stops when the
// callback answers FALSE.
BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
BOOL EnumChildWindows(HWND hWndParent, const std::function<bool(HWND)>& Callback);
// The top-level windows, top of the z-order first.
BOOL EnumWindows(const std::function<bool(HWND)>& Callback);

[[nodiscard]] DWORD GetClassLong(HWND hWnd, int nIndex);
DWORD SetClassLong(HWND hWnd, int nIndex, LONG dwNewLong);

// The window region (window coordinates); the window owns hRgn afterwards and frees it when a
// new one is set or the window dies. nullptr removes the region.
int SetWindowRgn(HWND hWnd, HRGN hRgn, BOOL bRedraw);
// Copies the region into hRgn; returns its complexity, RGN_ERROR (0) when the window has none.
int GetWindowRgn(HWND hWnd, HRGN hRgn);

namespace detail {
// Installs the tree's hooks into the window table (done once, by the first call of any part of
// the windowing layer).
void EnsureWindowTree();
// The window table tells the tree of each window's life (owner thread): made (before
// WM_NCCREATE), client area asked with WM_NCCALCSIZE (before WM_CREATE), shown when made with
// WS_VISIBLE (after WM_CREATE), parent changed, and gone (after WM_NCDESTROY).
void TreeWindowCreated(HWND hWnd, const CREATESTRUCT& cs);
void InitialClientArea(HWND hWnd);
void ShowCreatedWindow(HWND hWnd);
void TreeParentChanged(HWND hWnd);
void TreeWindowDestroyed(HWND hWnd);
// What goes with hWnd when it is destroyed: its child windows, bottom of the z-order first (for
// children never restacked, the order they were made in), then the top-levels it owns, newest
// first. Read from the tree, so the cost follows the window's own family, not the window count.
[[nodiscard]] std::vector<HWND> TreeDependents(HWND hWnd);
// Windows whose node exists (leak checks).
[[nodiscard]] std::size_t LiveNodeCount();
}  // namespace detail
