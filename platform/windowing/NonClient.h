#pragma once
// The default behaviour of windows (what DefWindowProc does beyond the window table's basics):
// the non-client area, the default frame and caption of styled windows, move and size loops,
// system commands, the keyboard menu key, cursors, context menus and focus on activation.
//
// Default frame: WS_BORDER 1 pixel, WS_DLGFRAME / WS_THICKFRAME SM_CXFRAME pixels, WS_CAPTION
// adds a caption of SM_CYCAPTION pixels above the client area. Top-levels created without those
// styles (the skinned forms) have no frame: their client area is the whole window unless their
// own WM_NCCALCSIZE says otherwise.

#include "platform/core/Types.h"
#include "platform/windowing/WindowTree.h"

constexpr WPARAM WMSZ_LEFT = 1;
constexpr WPARAM WMSZ_RIGHT = 2;
constexpr WPARAM WMSZ_TOP = 3;
constexpr WPARAM WMSZ_TOPLEFT = 4;
constexpr WPARAM WMSZ_TOPRIGHT = 5;
constexpr WPARAM WMSZ_BOTTOM = 6;
constexpr WPARAM WMSZ_BOTTOMLEFT = 7;
constexpr WPARAM WMSZ_BOTTOMRIGHT = 8;

constexpr LONG OBJID_HSCROLL = static_cast<LONG>(0xFFFFFFFA);
constexpr LONG OBJID_VSCROLL = static_cast<LONG>(0xFFFFFFFB);
constexpr LONG OBJID_CLIENT = static_cast<LONG>(0xFFFFFFFC);
constexpr DWORD STATE_SYSTEM_UNAVAILABLE = 0x00000001;
constexpr DWORD STATE_SYSTEM_INVISIBLE = 0x00008000;

struct SCROLLBARINFO {
  DWORD cbSize = sizeof(SCROLLBARINFO);
  TRect rcScrollBar;  // screen coordinates
  int dxyLineButton = 0;
  int xyThumbTop = 0;
  int xyThumbBottom = 0;
  int reserved = 0;
  DWORD rgstate[6] = {};  // [0] the bar itself
};
// The window's own scroll bar (OBJID_HSCROLL / OBJID_VSCROLL; ScrollBars.h): reported invisible
// unless the window has WS_HSCROLL / WS_VSCROLL, and then as the strip beside the client area
// where it is drawn. FALSE for a dead window or another object.
BOOL GetScrollBarInfo(HWND hwnd, LONG idObject, SCROLLBARINFO* psbi);

// The frame AdjustWindowRectEx adds around a client rectangle for those styles.
BOOL AdjustWindowRectEx(TRect* lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle);

namespace detail {
LRESULT DefWindowProcWindowing(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, bool& Handled);
// The window's WM_GETMINMAXINFO answer, starting from the monitor's defaults.
[[nodiscard]] MINMAXINFO QueryMinMaxInfo(HWND hWnd);
// Runs the move (Hit HTCAPTION) or size (a sizing hit code) loop of a top-level until the left
// button goes up or Escape is pressed.
void RunMoveSizeLoop(HWND hWnd, int Hit, TPoint StartScreen);
}  // namespace detail
