#pragma once
// The in-process window table: window classes, window handles with their owner thread, class
// name, window procedure, styles and user data. Windows here have no display of their own
// (message-only windows); the windowing part of the layer attaches geometry, painting and input
// through the extension slot and the hooks at the end of this file.
//
// A handle is an id in the table with a generation count, never a pointer: a handle of a
// destroyed window is simply unknown, and every call on it fails quietly (0, FALSE, nullptr).
// Each window belongs to the thread that created it; its messages are served on that thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/windowing/Messages.h"
#include "platform/core/Types.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
// A method-style window procedure: it reads Msg, WParam, LParam and sets Result.
using TWndMethod = std::function<void(TMessage&)>;

struct WNDCLASS {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;
  const char* lpszMenuName = nullptr;
  const char* lpszClassName = nullptr;
};

// lParam of WM_NCCREATE and WM_CREATE.
struct CREATESTRUCT {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  LONG style = 0;
  const char* lpszName = nullptr;
  const char* lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

// Registers a class by name (case-insensitive). 0 when the name is taken, missing, or the class
// has no procedure; otherwise a class atom.
ATOM RegisterClass(const WNDCLASS* lpWndClass);
BOOL UnregisterClass(const char* lpClassName, HINSTANCE hInstance);
BOOL GetClassInfo(HINSTANCE hInstance, const char* lpClassName, WNDCLASS* lpWndClass);

// A parent that makes a message-only window (no parent of its own, never shown).
inline const HWND HWND_MESSAGE = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-3));

// Creates a window of a registered class, owned by the calling thread, sends it WM_NCCREATE and
// WM_CREATE (lParam: the CREATESTRUCT). nullptr for an unknown class, or when WM_NCCREATE
// answers 0 or WM_CREATE answers -1 (the window is destroyed again).
HWND CreateWindowEx(DWORD dwExStyle, const char* lpClassName, const char* lpWindowName, DWORD dwStyle,
                    int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                    HINSTANCE hInstance, void* lpParam);
HWND CreateWindow(const char* lpClassName, const char* lpWindowName, DWORD dwStyle, int X, int Y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                  void* lpParam);

// Hides a visible window (SetWindowPos), sends WM_DESTROY, destroys the child windows, sends
// WM_NCDESTROY, kills the window's timers and frees the handle. Only the owner thread may destroy a window (FALSE otherwise).
BOOL DestroyWindow(HWND hWnd);
[[nodiscard]] BOOL IsWindow(HWND hWnd);
// The owner thread's id (0 for a dead handle); *lpdwProcessId gets the process id.
DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId);
// The parent given at creation (or by SetParent), nullptr for none, HWND_MESSAGE or a dead handle.
[[nodiscard]] HWND GetParent(HWND hWnd);
HWND SetParent(HWND hWndChild, HWND hWndNewParent);

// Copies the class name (with its terminating zero, cut to nMaxCount) and returns its length.
int GetClassName(HWND hWnd, char* lpClassName, int nMaxCount);
[[nodiscard]] std::string GetClassName(HWND hWnd);

// The window's own text (caption); WM_SETTEXT / WM_GETTEXT reach it through DefWindowProc.
BOOL SetWindowText(HWND hWnd, const std::string& Text);
[[nodiscard]] std::string GetWindowText(HWND hWnd);

// Window values by index: GWL_WNDPROC, GWL_USERDATA, GWL_STYLE, GWL_EXSTYLE, GWL_ID,
// GWL_HWNDPARENT, GWL_HINSTANCE. Set returns the previous value; 0 for a dead handle or an
// unknown index. Setting GWL_WNDPROC replaces the procedure (subclassing); the caller keeps the
// previous one to chain to it with CallWindowProc.
LONG_PTR GetWindowLongPtr(HWND hWnd, int nIndex);
LONG_PTR SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
// Same as the Ptr forms: values are pointer-wide here, so a procedure never gets truncated.
LONG_PTR GetWindowLong(HWND hWnd, int nIndex);
LONG_PTR SetWindowLong(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

// Calls a window procedure; 0 when lpPrevWndFunc is null.
LRESULT CallWindowProc(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// The default answers: WM_CLOSE destroys the window, WM_NCCREATE answers TRUE, WM_SETTEXT /
// WM_GETTEXT / WM_GETTEXTLENGTH keep the window text, WM_NCHITTEST answers HTCLIENT, everything
// else 0.
LRESULT DefWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Answers WM_GETTEXT with Text: copies what fits of it into the caller's buffer (Buffer, of Size
// bytes, NUL included) and returns the bytes copied.
LRESULT CopyTextToBuffer(const std::string& Text, WPARAM Size, LPARAM Buffer);

// A hidden window of the calling thread whose messages go to AMethod. Free it with
// DeallocateHWnd (on the same thread).
HWND AllocateHWnd(TWndMethod AMethod);
void DeallocateHWnd(HWND Wnd);

// Per-window data that other parts of the layer attach (geometry, painting state); it is freed
// with the window. Owner thread only.
class TWindowExtension {
 public:
  virtual ~TWindowExtension() = default;
};
[[nodiscard]] TWindowExtension* GetWindowExtension(HWND hWnd);
void SetWindowExtension(HWND hWnd, std::unique_ptr<TWindowExtension> Extension);

namespace detail {
// Observer hooks: OnCreate runs before WM_NCCREATE with the creation values, OnDestroy after
// WM_NCDESTROY, before the handle is freed. Owner thread; either may be null. (The window tree
// of WindowTree.h is told of every window directly, whatever hooks are set.)
struct TWindowHooks {
  void (*OnCreate)(HWND, const CREATESTRUCT&) = nullptr;
  void (*OnDestroy)(HWND) = nullptr;
};
void SetWindowHooks(const TWindowHooks& Hooks);
// Frees every window of a thread that is ending, without messages.
void ReleaseThreadWindows(DWORD ThreadId);
// Windows alive in the whole process (for leak checks).
[[nodiscard]] std::size_t LiveWindowCount();
}  // namespace detail
