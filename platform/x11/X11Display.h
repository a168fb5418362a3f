#pragma once
// The X11 display: one X window per visible top-level showing its back buffer; the window
// region through the Shape extension; a 32-bit ARGB visual for layered windows (premultiplied
// pixels); input events turned into the router's input; a real X child window for a child that
// asks for one (a video library draws into it).
//
// A desktop citizen:
// - Forms are ordinary top-levels for the window manager, without its decorations (the program
//   draws its own frame), with their title (UTF-8), class, process id and the WM_DELETE_WINDOW,
//   WM_TAKE_FOCUS and _NET_WM_PING protocols. Popups that never take the activation (menus,
//   hints, drop-down lists), click-through windows and windows showing an image of their own
//   (layered borders) stay override-redirect. Moves and sizes the manager makes come back as
//   the usual SetWindowPos messages; a close request becomes WM_CLOSE.
// - Activating a window gives it the keyboard focus; the manager's focus changes become
//   activation changes (focus to another program deactivates ours).
// - Minimizing iconifies through the manager (without one, a minimized window is unmapped); the
//   manager's own iconify and restore reach the window as WM_SYSCOMMAND SC_MINIMIZE/SC_RESTORE.
// - A layered click-through window (WS_EX_LAYERED | WS_EX_TRANSPARENT) has an empty input
//   shape: presses go to whatever lies beneath.
// - Keys pass an input method (XIM, locale from the environment) and text is read with
//   Xutf8LookupString; without one keys are read plainly.
// - Changed rectangles reach the server through shared memory (MIT-SHM) where the server
//   offers it, else with XPutImage.
// - The notification area is the desktop's system tray (X11Tray.h).
//
// It is also the event source of the GUI thread's queue: the queue pumps X events before its
// posted messages and waits on the connection (and a wake pipe) instead of its own condition.
//
//   auto display = TX11Display::Open();         // nullptr without a server
//   TX11Display* x = display.get();
//   SetDisplay(std::move(display));
//   SetThreadEventSource(x);
//   ... windows ...
//   SetThreadEventSource(nullptr);
//   SetDisplay(nullptr);                        // after the windows are gone
//
// Monitors: one, the X screen (no RandR here); its work area is the whole screen.
// Keys: key presses become WM_KEYDOWN/UP with virtual-key codes; typed characters that
// TranslateMessage does not make from a key (punctuation, non-Latin text, composed text)
// arrive as WM_CHAR, one per character.

#include <cstdint>
#include <memory>

#include "platform/windowing/Display.h"
#include "platform/windowing/MessageQueue.h"

class TX11Display : public TDisplay, public TEventSource {
 public:
  // Connects to DisplayName (nullptr: $DISPLAY); nullptr when no server answers.
  [[nodiscard]] static std::unique_ptr<TX11Display> Open(const char* DisplayName = nullptr);
  ~TX11Display() override;
  TX11Display(const TX11Display&) = delete;
  TX11Display& operator=(const TX11Display&) = delete;

  [[nodiscard]] std::vector<TMonitorDesc> Monitors() const override;
  void WindowChanged(HWND hWnd) override;
  void WindowDestroyed(HWND hWnd) override;
  void Present(HWND hTop, const Region& Dirty) override;
  [[nodiscard]] TPoint CursorPos() const override;
  void SetCursorPos(TPoint Pos) override;
  void NoteCursorPos(TPoint) override {}  // the server's pointer is the truth
  void SetCursorShape(HCURSOR Cursor) override;
  [[nodiscard]] std::uintptr_t NativeChildWindow(HWND hWnd) override;
  void WindowActivated(HWND hTop) override;
  void WindowTextChanged(HWND hWnd) override;
  // The server's bell at its own volume (XBell).
  void Beep() override;
  [[nodiscard]] TNotificationArea* NotificationArea() override;

  void PumpEvents() override;
  void WaitEvents(int TimeoutMs) override;
  void Wake() override;

  // The X window showing a top-level (0 when it has none), and the connection (a Display*),
  // for tests and for libraries that need them.
  [[nodiscard]] std::uintptr_t TopLevelWindow(HWND hTop) const;
  [[nodiscard]] void* Connection() const;
  // Waits until the server has handled every request sent so far.
  void Sync() const;
  // Shared-memory pictures on or off (on by default; used only where the server offers them
  // and attaching works). SharedMemoryInUse tells whether pictures go that way.
  void UseSharedMemory(bool Use);
  [[nodiscard]] bool SharedMemoryInUse() const;
  // True while an input method is open.
  [[nodiscard]] bool HasInputMethod() const;

 private:
  struct Impl;
  explicit TX11Display(std::unique_ptr<Impl> AImpl);
  void HandleEvent(HWND hTop, void* Event);  // an XEvent for one of our top-levels
  std::unique_ptr<Impl> impl_;
};
