#include "platform/HeadlessDisplay.h"

#include <algorithm>

#include "platform/Gdi.h"
#include "platform/LayeredWindow.h"

THeadlessDisplay::THeadlessDisplay(TSize ScreenSize)
    : screen_{0, 0, ScreenSize.cx, ScreenSize.cy}, work_{0, 0, ScreenSize.cx, ScreenSize.cy - 40} {}

std::vector<TMonitorDesc> THeadlessDisplay::Monitors() const {
  std::lock_guard lock(lock_);
  return {TMonitorDesc{screen_, work_, true}};
}

TPoint THeadlessDisplay::CursorPos() const {
  std::lock_guard lock(lock_);
  return cursor_;
}

void THeadlessDisplay::SetCursorPos(TPoint Pos) {
  std::lock_guard lock(lock_);
  cursor_ = Pos;
}

void THeadlessDisplay::SetCursorShape(HCURSOR Cursor) {
  std::lock_guard lock(lock_);
  shape_ = Cursor;
}

HCURSOR THeadlessDisplay::CursorShape() const {
  std::lock_guard lock(lock_);
  return shape_;
}

void THeadlessDisplay::SetScreenSize(TSize Size) {
  {
    std::lock_guard lock(lock_);
    screen_ = TRect{0, 0, std::max(1, Size.cx), std::max(1, Size.cy)};
    work_ = TRect{std::max(work_.Left, 0), std::max(work_.Top, 0), std::min(work_.Right, screen_.Right),
                  std::min(work_.Bottom, screen_.Bottom)};
    if (work_.IsEmpty()) work_ = screen_;
  }
  ::SetScreenSize(Size);
}

void THeadlessDisplay::SetWorkArea(const TRect& Work) {
  std::lock_guard lock(lock_);
  TRect w{std::max(Work.Left, screen_.Left), std::max(Work.Top, screen_.Top), std::min(Work.Right, screen_.Right),
          std::min(Work.Bottom, screen_.Bottom)};
  work_ = w.IsEmpty() ? screen_ : w;
}

void THeadlessDisplay::MouseMove(TPoint Pos) { detail::InjectMouseMove(Pos); }
void THeadlessDisplay::MouseDown(TPoint Pos, detail::TMouseButton Button) { detail::InjectMouseButton(Button, true, Pos); }
void THeadlessDisplay::MouseUp(TPoint Pos, detail::TMouseButton Button) { detail::InjectMouseButton(Button, false, Pos); }
void THeadlessDisplay::Click(TPoint Pos, detail::TMouseButton Button) {
  MouseMove(Pos);
  MouseDown(Pos, Button);
  MouseUp(Pos, Button);
}
void THeadlessDisplay::Wheel(TPoint Pos, int Delta) { detail::InjectMouseWheel(Delta, Pos); }
void THeadlessDisplay::KeyDown(WORD VirtualKey) { detail::InjectKey(VirtualKey, true); }
void THeadlessDisplay::KeyUp(WORD VirtualKey) { detail::InjectKey(VirtualKey, false); }
void THeadlessDisplay::Text(const std::string& Utf8) { detail::InjectText(Utf8); }

std::shared_ptr<PixelSurface> THeadlessDisplay::Screenshot(COLORREF Background) const {
  return ComposeScreen(Background);
}

THeadlessDisplay* HeadlessDisplay() { return dynamic_cast<THeadlessDisplay*>(&Display()); }
