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

#include "platform/Display.h"
#include "platform/Input.h"

class PixelSurface;

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
};

// The headless display in force, or nullptr when another display is installed.
[[nodiscard]] THeadlessDisplay* HeadlessDisplay();
