#pragma once
// The display: where top-level windows appear and where input comes from. The window tree
// paints every top-level into its own back buffer; a display shows those buffers (or not), owns
// the monitors and the cursor, and feeds the input it receives to the input router of Input.h.
//
// There is one display for the process, behind Display(). The headless display is the default;
// a program (or a test) installs another with SetDisplay before creating windows.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/Region.h"
#include "platform/core/Types.h"

class TNotificationArea;

struct TMonitorDesc {
  TRect bounds;  // screen coordinates
  TRect work;    // bounds minus task bars and docks
  bool primary = false;
};

class TDisplay {
 public:
  virtual ~TDisplay() = default;

  // The monitors, the primary first; never empty.
  [[nodiscard]] virtual std::vector<TMonitorDesc> Monitors() const = 0;

  // A window's geometry, visibility, z-order, region or layering changed (any window; a display
  // that shows top-levels looks at the top-level of hWnd). Owner thread of the window.
  virtual void WindowChanged(HWND hWnd) = 0;
  // The window is being destroyed; forget everything about it.
  virtual void WindowDestroyed(HWND hWnd) = 0;
  // Part of a visible top-level's back buffer (Dirty, top coordinates) changed: show it.
  virtual void Present(HWND hTop, const Region& Dirty) = 0;

  // The cursor's screen position and cursor shape.
  [[nodiscard]] virtual TPoint CursorPos() const = 0;
  virtual void SetCursorPos(TPoint Pos) = 0;
  // The input router saw the pointer at Pos (input the display itself delivered, or injected);
  // a display whose pointer is real already knows and need not move it.
  virtual void NoteCursorPos(TPoint Pos) { SetCursorPos(Pos); }
  virtual void SetCursorShape(HCURSOR Cursor) = 0;

  // The active top-level changed (nullptr: none of the program's windows is active). A display
  // with a keyboard focus of its own gives it to hTop's window. GUI thread.
  virtual void WindowActivated(HWND hTop) { (void)hTop; }
  // A window's title text changed (a display shows the titles of its top-levels).
  virtual void WindowTextChanged(HWND hWnd) { (void)hWnd; }

  // Rings the display's bell (MessageBeep). GUI thread.
  virtual void Beep() {}

  // The notification area of this display (nullptr when it has none).
  [[nodiscard]] virtual TNotificationArea* NotificationArea() { return nullptr; }

  // A native window of this display inside the child window hWnd, for libraries that draw by
  // themselves (a video output). 0 when the display has none (the headless display).
  [[nodiscard]] virtual std::uintptr_t NativeChildWindow(HWND hWnd) { (void)hWnd; return 0; }
};

// The display in force (the headless one unless another was installed).
[[nodiscard]] TDisplay& Display();
// Installs ADisplay, returning the previous one (nullptr restores the headless default, which
// is made on first use and lives for the whole run). Call with no windows alive.
std::unique_ptr<TDisplay> SetDisplay(std::unique_ptr<TDisplay> ADisplay);

