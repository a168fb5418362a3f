#pragma once
// The standard scroll bars of a window (WS_HSCROLL / WS_VSCROLL): drawn in the non-client area
// beside the client rectangle, hit-tested as HTHSCROLL / HTVSCROLL and driven by the mouse, which
// sends the window WM_HSCROLL / WM_VSCROLL requests. The bars only report and request: the
// window itself moves its content and calls SetScrollInfo / SetScrollPos with the new position.
//
// Every bar keeps a 32-bit range, page and position; WM_*SCROLL carries only the low 16 bits of
// a thumb position, so a window with a larger range reads the full value with GetScrollInfo
// (SIF_TRACKPOS while dragging). All calls run on the window's thread.
//
// Bars are shown and hidden through the window style: setting a range that needs no scrolling
// hides a bar (unless SIF_DISABLENOSCROLL), setting one that does shows it, and both recompute
// the client rectangle (SWP_FRAMECHANGED).

#include <optional>

#include "platform/core/Types.h"

constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;  // the thumb's position while it is dragged, else the position
};

// Sets what fMask names of bar nBar (SB_HORZ or SB_VERT). The page is cut to the range and the
// position kept within [nMin, nMax - max(nPage - 1, 0)]. Returns the resulting position (0 for a
// dead window or another bar). bRedraw repaints the bar at once.
int SetScrollInfo(HWND hWnd, int nBar, const SCROLLINFO* lpsi, BOOL bRedraw);
// Fills what lpsi->fMask names. FALSE for a dead window, another bar, or a window that never had
// that bar (no style and no values set).
BOOL GetScrollInfo(HWND hWnd, int nBar, SCROLLINFO* lpsi);
BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw);
BOOL GetScrollRange(HWND hWnd, int nBar, int* lpMinPos, int* lpMaxPos);
// Returns the previous position.
int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw);
[[nodiscard]] int GetScrollPos(HWND hWnd, int nBar);
// Shows or hides SB_HORZ, SB_VERT or SB_BOTH (adds or removes the style and recomputes the
// client rectangle). FALSE for a dead window or an unknown bar.
BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow);

// The whole thumb position of an SB_THUMBTRACK / SB_THUMBPOSITION request whose message carried
// Thumb (its low 16 bits): the bar's track position when its low 16 bits are Thumb, else Thumb.
[[nodiscard]] int ScrollThumbPos(HWND hWnd, int nBar, int Thumb);

// Range, page and position of one bar, as a scrolling view computes them.
struct TScrollBarState {
  int Min = 0, Max = 0, Page = 0, Pos = 0;
};
// Sets range, page (a negative one as 0) and position of bar nBar and redraws it.
void SetScrollBarState(HWND hWnd, int nBar, const TScrollBarState& State);
// The position a WM_HSCROLL / WM_VSCROLL request (Code, and Thumb for the thumb codes) asks of a
// bar in State, a line being Line and a page State.Page (at least 1); not clamped. nullopt for a
// code that moves nothing (SB_ENDSCROLL).
[[nodiscard]] std::optional<int> ScrollRequestPos(const TScrollBarState& State, int Code, int Thumb, int Line);

// What a WM_MOUSEWHEEL (its wParam) asks of a scrolling view: SB_LINEUP towards the start for a
// wheel turned away from the user, else SB_LINEDOWN, repeated Lines times (three a notch).
struct TWheelScroll {
  int Code = 0;
  int Lines = 0;
};
[[nodiscard]] TWheelScroll WheelScroll(WPARAM WParam);

namespace detail {
// Hooks for the default window procedure of the non-client area.
// Takes the bars of hWnd's style off a client rectangle (window coordinates).
void ScrollBarsAdjustClient(HWND hWnd, TRect& Client);
// HTHSCROLL, HTVSCROLL, or HTNOWHERE (0) when Screen is on neither bar.
[[nodiscard]] LRESULT ScrollBarsHitTest(HWND hWnd, TPoint Screen);
// Paints the visible bars of hWnd through its window DC.
void PaintScrollBars(HWND hWnd);
// Runs the mouse loop of a press on a bar (Hit HTHSCROLL / HTVSCROLL) until the button goes up:
// arrows and the page areas repeat their request (first after 500 ms, then every 50 ms), the
// thumb sends SB_THUMBTRACK while it moves and SB_THUMBPOSITION when released; SB_ENDSCROLL
// always ends it.
void TrackScrollBar(HWND hWnd, LRESULT Hit, TPoint Screen);
// A bar's rectangle in window coordinates (empty when the bar is not shown).
[[nodiscard]] TRect ScrollBarRect(HWND hWnd, int nBar);
}  // namespace detail
