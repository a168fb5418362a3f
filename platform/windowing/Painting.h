#pragma once
// Painting of the window tree. Every window paints into its top-level's 32-bit back buffer:
// BeginPaint gives a DC over the buffer whose origin is the client area's corner and whose clip
// is the part of the invalid region the window may touch (inside its ancestors, not under
// visible siblings above it, not over its children when it has WS_CLIPCHILDREN). Invalidating a
// window that does not clip its children invalidates the children below that area too, so they
// repaint over the parent afterwards.
//
// The queue hands out WM_PAINT for a window of the thread with a non-empty invalid region after
// the posted messages; parents paint before their children. When no window of the thread needs
// painting any more, the changed parts of the back buffers go to the display at once.

#include <cstddef>
#include <memory>

#include "platform/core/Types.h"

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;  // TRUE: the background still needs erasing (WM_ERASEBKGND answered 0)
  TRect rcPaint;        // client coordinates
  BOOL fRestore = FALSE;
  BOOL fIncUpdate = FALSE;
  BYTE rgbReserved[32] = {};
};

[[nodiscard]] HDC BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);

// lpRect in client coordinates (nullptr: the whole client area).
BOOL InvalidateRect(HWND hWnd, const TRect* lpRect, BOOL bErase);
BOOL InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase);
BOOL ValidateRect(HWND hWnd, const TRect* lpRect);
BOOL ValidateRgn(HWND hWnd, HRGN hRgn);
// The bounds of the invalid region (client coordinates); FALSE when it is empty.
BOOL GetUpdateRect(HWND hWnd, TRect* lpRect, BOOL bErase);
int GetUpdateRgn(HWND hWnd, HRGN hRgn, BOOL bErase);
// Paints the window (and its invalid children) now, if anything is invalid, then presents.
BOOL UpdateWindow(HWND hWnd);

constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_NOCHILDREN = 0x0040;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
constexpr UINT RDW_NOFRAME = 0x0800;
// lprcUpdate / hrgnUpdate in client coordinates (both null: the whole window with RDW_FRAME,
// else the client area).
BOOL RedrawWindow(HWND hWnd, const TRect* lprcUpdate, HRGN hrgnUpdate, UINT flags);

constexpr DWORD DCX_WINDOW = 0x00000001;
constexpr DWORD DCX_CACHE = 0x00000002;
constexpr DWORD DCX_NORESETATTRS = 0x00000004;
constexpr DWORD DCX_CLIPCHILDREN = 0x00000008;
constexpr DWORD DCX_CLIPSIBLINGS = 0x00000010;
constexpr DWORD DCX_PARENTCLIP = 0x00000020;
constexpr DWORD DCX_EXCLUDERGN = 0x00000040;
constexpr DWORD DCX_INTERSECTRGN = 0x00000080;
constexpr DWORD DCX_LOCKWINDOWUPDATE = 0x00000400;
constexpr DWORD DCX_VALIDATE = 0x00200000;
// A DC over the window (its client area, or the whole window with DCX_WINDOW), clipped to its
// visible part; hrgnClip (window/client coordinates as the DC) narrows or cuts it. Release it
// with ReleaseDC; what was drawn reaches the display then.
[[nodiscard]] HDC GetDCEx(HWND hWnd, HRGN hrgnClip, DWORD flags);
[[nodiscard]] HDC GetWindowDC(HWND hWnd);

// Scrolls the client area (or lpRect of it) by dx, dy; the uncovered part becomes invalid.
BOOL ScrollWindow(HWND hWnd, int XAmount, int YAmount, const TRect* lpRect, const TRect* lpClipRect);

// Paints the whole window tree of hWnd into hdc at (0, 0) = the window's top-left, through
// WM_PRINT (non-client) and WM_PRINTCLIENT with the given PRF_* flags.
BOOL PrintWindow(HWND hWnd, HDC hdc, UINT flags);

// A copy of a top-level's back buffer (tests, screenshots); nullptr for a window without one.
[[nodiscard]] std::shared_ptr<class PixelSurface> CopyBackBuffer(HWND hTop);

namespace detail {
HWND FindWindowToPaint(HWND Filter);
void InstallWindowDCHandlers();
void ForgetWindowDCs(HWND hWnd);
// Window DCs handed out and not yet released (leak checks).
[[nodiscard]] std::size_t OutstandingWindowDCs();
// Sends the changed parts of the calling thread's back buffers to the display.
void PresentThreadWindows();
}  // namespace detail
