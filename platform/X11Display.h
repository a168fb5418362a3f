#pragma once
// The X11 display: one undecorated (override-redirect) X window per visible top-level, showing
// its back buffer with XPutImage; the window region through the Shape extension; a 32-bit ARGB
// visual for layered windows (premultiplied pixels); input events turned into the router's
// input; a real X child window for a child that asks for one (a video library draws into it).
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
// TranslateMessage does not make from a key (punctuation, non-Latin text) arrive as WM_CHAR.

#include <cstdint>
#include <memory>

#include "platform/Display.h"
#include "platform/MessageQueue.h"

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

  void PumpEvents() override;
  void WaitEvents(int TimeoutMs) override;
  void Wake() override;

  // The X window showing a top-level (0 when it has none), and the connection (a Display*),
  // for tests and for libraries that need them.
  [[nodiscard]] std::uintptr_t TopLevelWindow(HWND hTop) const;
  [[nodiscard]] void* Connection() const;
  // Waits until the server has handled every request sent so far.
  void Sync() const;

 private:
  struct Impl;
  explicit TX11Display(std::unique_ptr<Impl> AImpl);
  std::unique_ptr<Impl> impl_;
};
