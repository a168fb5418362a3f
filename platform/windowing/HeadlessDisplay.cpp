#include "platform/windowing/HeadlessDisplay.h"

#include <algorithm>

#include "platform/graphics/Gdi.h"
#include "platform/windowing/LayeredWindow.h"

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
namespace {
// The character a US keyboard types for a key in the present modifier state (Shift, Caps Lock;
// nothing with Ctrl); 0 for a key that types none.
char32_t UsKeyboardCharacter(WORD vk) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
  if (GetKeyState(VK_CONTROL) < 0) return 0;
  if (vk >= 'A' && vk <= 'Z') return shift != caps ? vk : static_cast<char32_t>(vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return shift ? static_cast<char32_t>(")!@#$%^&*("[vk - '0']) : vk;
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<char32_t>('0' + (vk - VK_NUMPAD0));
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_TAB: return '\t';
    case VK_BACK: return '\b';
    case VK_ESCAPE: return 0x1B;
    default: return 0;
  }
}
}  // namespace

// A key of the test keyboard: its press, then (like an input method) the character it types.
void THeadlessDisplay::KeyDown(WORD VirtualKey) {
  detail::InjectKey(VirtualKey, true);
  if (char32_t c = UsKeyboardCharacter(VirtualKey)) detail::InjectText(std::string(1, static_cast<char>(c)));
}
void THeadlessDisplay::KeyUp(WORD VirtualKey) { detail::InjectKey(VirtualKey, false); }
void THeadlessDisplay::Text(const std::string& Utf8) { detail::InjectText(Utf8); }

std::shared_ptr<PixelSurface> THeadlessDisplay::Screenshot(COLORREF Background) const {
  return ComposeScreen(Background);
}

THeadlessDisplay* HeadlessDisplay() { return dynamic_cast<THeadlessDisplay*>(&Display()); }

// ---- the fake notification area ----------------------------------------------------------------

namespace {
constexpr int kTrayIconSize = 24;
}

bool THeadlessTray::ShowIcon(HWND hWnd, UINT Id, const TTrayImage& Image) {
  if (!running_) return false;
  for (auto& icon : icons_) {
    if (icon.hwnd == hWnd && icon.id == Id) {
      icon.image = Image;
      return true;
    }
  }
  icons_.push_back({hWnd, Id, Image});
  return true;
}

void THeadlessTray::RemoveIcon(HWND hWnd, UINT Id) {
  std::erase_if(icons_, [&](const TShownIcon& i) { return i.hwnd == hWnd && i.id == Id; });
}

TRect THeadlessTray::IconRect(HWND hWnd, UINT Id) {
  // Right to left from the screen's bottom right corner, in the strip below the work area.
  TRect screen = owner_.Monitors().front().bounds;
  for (std::size_t i = 0; i < icons_.size(); ++i) {
    if (icons_[i].hwnd == hWnd && icons_[i].id == Id) {
      int right = screen.Right - 8 - static_cast<int>(i) * (kTrayIconSize + 4);
      return TRect{right - kTrayIconSize, screen.Bottom - kTrayIconSize - 8, right, screen.Bottom - 8};
    }
  }
  return {};
}

void THeadlessTray::Start() {
  running_ = true;
  icons_.clear();
  detail::TrayAreaAppeared();
}

void THeadlessTray::Stop() {
  running_ = false;
  icons_.clear();
  detail::TrayAreaVanished();
}

void THeadlessTray::Mouse(HWND hWnd, UINT Id, UINT MouseMessage) {
  TRect r = IconRect(hWnd, Id);
  detail::TrayMouse(hWnd, Id, MouseMessage, {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
}

void THeadlessTray::Click(HWND hWnd, UINT Id, UINT DownMessage) {
  Mouse(hWnd, Id, DownMessage);
  Mouse(hWnd, Id, DownMessage + 1);
}
