#pragma once
// Mouse, keyboard, focus and activation. The display hands raw input to the router below
// (detail::InjectMouse*, InjectKey, InjectText); the router finds the target window — the
// capture window, else the window under the cursor that does not answer HTTRANSPARENT and is
// not click-through — asks it WM_NCHITTEST, WM_MOUSEACTIVATE on presses and WM_SETCURSOR, and
// posts the mouse message (client coordinates for HTCLIENT, else the WM_NC* form with screen
// coordinates and the hit code). Keys go to the focus window (else the active window).
//
// Order of focus and activation messages when a top-level becomes active:
//   old active: WM_NCACTIVATE(FALSE), WM_ACTIVATE(WA_INACTIVE, new)
//   new active: WM_NCACTIVATE(TRUE), WM_ACTIVATE(WA_ACTIVE or WA_CLICKACTIVE, old)
//   then (default WM_ACTIVATE handling) focus moves: old focus WM_KILLFOCUS(new), new focus
//   WM_SETFOCUS(old).
// All of this runs on the GUI thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/windowing/Messages.h"
#include "platform/core/Types.h"

// ---- Capture, focus, activation ----------------------------------------------------------------
HWND SetCapture(HWND hWnd);       // returns the previous capture window
BOOL ReleaseCapture();            // sends WM_CAPTURECHANGED to the window losing it
[[nodiscard]] HWND GetCapture();
HWND SetFocus(HWND hWnd);         // returns the previous focus window; activates hWnd's top-level
[[nodiscard]] HWND GetFocus();
HWND SetActiveWindow(HWND hWnd);  // returns the previously active window
[[nodiscard]] HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hWnd);  // activates and brings to the top
[[nodiscard]] HWND GetForegroundWindow();
BOOL BringWindowToTop(HWND hWnd);

// ---- Mouse -------------------------------------------------------------------------------------
constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_NONCLIENT = 0x00000010;
constexpr DWORD TME_QUERY = 0x40000000;
constexpr DWORD TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = HOVER_DEFAULT;
};
// TME_LEAVE: the window gets one WM_MOUSELEAVE (WM_NCMOUSELEAVE with TME_NONCLIENT) when the
// cursor leaves its client area (non-client area), then tracking ends. Posted immediately when
// the cursor is not over it now.
BOOL TrackMouseEvent(TRACKMOUSEEVENT* lpEventTrack);

BOOL GetCursorPos(TPoint* lpPoint);
// Moves the cursor and sends the move to the window under it, as if the mouse had moved.
BOOL SetCursorPos(int X, int Y);

// Standard cursors (the resource numbers of the platform).
inline HCURSOR MakeStandardCursor(int id) { return reinterpret_cast<HCURSOR>(static_cast<std::intptr_t>(id)); }
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;
constexpr int IDC_CROSS = 32515;
constexpr int IDC_UPARROW = 32516;
constexpr int IDC_SIZENWSE = 32642;
constexpr int IDC_SIZENESW = 32643;
constexpr int IDC_SIZEWE = 32644;
constexpr int IDC_SIZENS = 32645;
constexpr int IDC_SIZEALL = 32646;
constexpr int IDC_NO = 32648;
constexpr int IDC_HAND = 32649;
constexpr int IDC_APPSTARTING = 32650;
constexpr int IDC_HELP = 32651;
// A standard cursor by IDC_* number (hInstance null); nullptr for anything else.
[[nodiscard]] HCURSOR LoadCursor(HINSTANCE hInstance, int lpCursorName);
HCURSOR SetCursor(HCURSOR hCursor);  // returns the previous cursor
[[nodiscard]] HCURSOR GetCursor();
// The IDC_* number of a standard cursor handle, 0 for others.
[[nodiscard]] int StandardCursorId(HCURSOR hCursor);

// ---- Keyboard ----------------------------------------------------------------------------------
// High bit (negative value) when the key is down; low bit toggled (Caps Lock etc.).
[[nodiscard]] short GetKeyState(int nVirtKey);
[[nodiscard]] short GetAsyncKeyState(int vKey);

// ---- Modal loops -------------------------------------------------------------------------------
// Disables every other enabled, visible top-level of the calling thread, runs the message loop
// until Done() answers true, the dialog dies, or WM_QUIT arrives (which is posted again for the
// outer loop), and re-enables what it disabled.
void RunModalLoop(HWND hDialog, const std::function<bool()>& Done);

namespace detail {
enum class TMouseButton { Left, Right, Middle };
// Raw input from the display, in screen coordinates. GUI thread.
void InjectMouseMove(TPoint ScreenPos);
void InjectMouseButton(TMouseButton Button, bool Down, TPoint ScreenPos);
void InjectMouseWheel(int Delta, TPoint ScreenPos);
// A key press or release by virtual-key code.
void InjectKey(WORD VirtualKey, bool Down);
// The display's word on a key's state now (read from the server when the program gets the
// focus back): down, and for a lock key toggled on. Sends nothing; a key held here that the
// display says is up is released silently, so Alt pressed for a window manager's shortcut does
// not stay held.
void SyncKeyState(WORD VirtualKey, bool Down, bool Toggled);
// Typed text: one WM_CHAR per code point (wParam the code point) to the focus window, WM_SYSCHAR
// while Alt is held. The only source of characters: key messages make none.
void InjectText(const std::string& Utf8);

// The input target at a screen point, skipping Excluded and click-through layered windows.
[[nodiscard]] HWND WindowFromPointForInput(TPoint Point, const std::vector<HWND>& Excluded);
// Bookkeeping of the window tree.
void ForgetInputWindow(HWND hWnd);
void WindowHidden(HWND hWnd);
void WindowDisabled(HWND hWnd);
// The window a disabled top-level waits for: the enabled dialog at the end of the chain of
// windows it owns (a modal dialog, or that dialog's message box), else the active window when a
// modal window without an owner holds the program; nullptr for an enabled top-level.
[[nodiscard]] HWND ModalPopupOf(HWND hTop);
// Brings ModalPopupOf(hTop) to the front and activates it (a press on the blocked window, or the
// desktop giving it the focus); false when there is none.
bool ActivateModalPopup(HWND hTop);
// Sends WM_CANCELMODE to the capture window (if any).
void CancelMode();
// True once after Alt went down and up with no other key between (the key-menu gesture).
[[nodiscard]] bool TakeAltAlone();
}  // namespace detail
