#pragma once
// The headless display: a virtual screen in memory with one monitor of settable size and work
// area, a cursor that only moves when input is injected, and a screenshot composed by the
// platform from the top-levels' back buffers (layered windows blended at their alpha). Tests
// drive it through the injection calls below, which feed the same input router a real display
// uses.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/windowing/Display.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/NotifyIcon.h"

class PixelSurface;

// The headless display's notification area: a strip of icons at the bottom right of the screen
// that tests start, stop and click. It is not running until a test starts it.
class THeadlessTray : public TNotificationArea {
 public:
  struct TShownIcon {
    HWND hwnd = nullptr;
    UINT id = 0;
    TTrayImage image;
  };
  explicit THeadlessTray(const class THeadlessDisplay& Owner) : owner_(Owner) {}
  [[nodiscard]] bool Running() override { return running_; }
  bool ShowIcon(HWND hWnd, UINT Id, const TTrayImage& Image) override;
  void RemoveIcon(HWND hWnd, UINT Id) override;
  [[nodiscard]] TRect IconRect(HWND hWnd, UINT Id) override;

  // Starts the area (the program's windows hear "TaskbarCreated") or stops it (its icons go).
  void Start();
  void Stop();
  [[nodiscard]] const std::vector<TShownIcon>& Icons() const { return icons_; }
  // Mouse on an icon, at its middle: WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP ...
  void Mouse(HWND hWnd, UINT Id, UINT MouseMessage);
  void Click(HWND hWnd, UINT Id, UINT DownMessage = WM_LBUTTONDOWN);
  void Leave(HWND hWnd, UINT Id) { detail::TrayMouseLeave(hWnd, Id); }

 private:
  const class THeadlessDisplay& owner_;
  bool running_ = false;
  std::vector<TShownIcon> icons_;
};

class THeadlessDisplay : public TDisplay {
 public:
  explicit THeadlessDisplay(TSize ScreenSize = {1280, 800});

  [[nodiscard]] std::vector<TMonitorDesc> Monitors() const override;
  void WindowChanged(HWND) override {}
  void WindowDestroyed(HWND) override {}
  void Present(HWND, const Region&) override { ++presents_; }
  [[nodiscard]] TPoint CursorPos() const override;
  void SetCursorPos(TPoint Pos) override;
  void SetCursorShape(HCURSOR Cursor) override;
  [[nodiscard]] TNotificationArea* NotificationArea() override { return &tray_; }
  void Beep() override { ++beeps_; }
  // How many times the bell rang (MessageBeep).
  [[nodiscard]] int BeepCount() const { return beeps_; }

  // The fake notification area.
  [[nodiscard]] THeadlessTray& Tray() { return tray_; }

  // Screen size and work area (the work area is kept inside the screen).
  void SetScreenSize(TSize Size);
  void SetWorkArea(const TRect& Work);
  [[nodiscard]] HCURSOR CursorShape() const;
  // How many times a top-level's changes were handed over (a frame counter for tests).
  [[nodiscard]] int PresentCount() const { return presents_; }

  // Input, in screen coordinates; each call is routed at once (messages are posted to the
  // target's queue, sent ones — hit tests, activation — are sent now). GUI thread.
  void MouseMove(TPoint Pos);
  void MouseDown(TPoint Pos, detail::TMouseButton Button = detail::TMouseButton::Left);
  void MouseUp(TPoint Pos, detail::TMouseButton Button = detail::TMouseButton::Left);
  void Click(TPoint Pos, detail::TMouseButton Button = detail::TMouseButton::Left);
  void Wheel(TPoint Pos, int Delta);
  // A key of a US keyboard: the press, then the character it types with the Shift and Caps Lock
  // state of the moment (none with Ctrl), as the input method of a real display would.
  void KeyDown(WORD VirtualKey);
  void KeyUp(WORD VirtualKey);
  void Text(const std::string& Utf8);

  // The whole screen as the user would see it (Background where no window is).
  [[nodiscard]] std::shared_ptr<PixelSurface> Screenshot(COLORREF Background = 0) const;

 private:
  mutable std::mutex lock_;
  TRect screen_;
  TRect work_;
  TPoint cursor_;
  HCURSOR shape_ = nullptr;
  std::atomic<int> presents_{0};
  std::atomic<int> beeps_{0};
  THeadlessTray tray_{*this};
};

// The headless display in force, or nullptr when another display is installed.
[[nodiscard]] THeadlessDisplay* HeadlessDisplay();
