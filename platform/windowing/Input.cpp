#include "platform/windowing/Input.h"

#include <array>
#include <cstdlib>
#include <mutex>

#include "platform/core/Clock.h"
#include "platform/windowing/Display.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Screen.h"
#include "platform/core/Thread.h"
#include "platform/windowing/WindowTree.h"

namespace {

// The input state of the GUI. Windows are named weakly (handles), so a destroyed window is
// simply no longer found.
struct TInputState {
  std::mutex lock;
  HWND capture = nullptr;
  HWND focus = nullptr;
  HWND active = nullptr;
  HCURSOR cursor = nullptr;
  std::array<BYTE, 256> keys{};  // bit 7 down, bit 0 toggled
  // Double clicks.
  HWND last_click_window = nullptr;
  UINT last_click_message = 0;
  std::uint64_t last_click_time = 0;
  TPoint last_click_pos;
  // TrackMouseEvent.
  HWND track_window = nullptr;
  DWORD track_flags = 0;
  // The key menu: Alt pressed and released with nothing in between. Decided when the input
  // arrives (later keys may be queued before the release is handled).
  bool alt_alone = false;
  bool key_menu_pending = false;
};

TInputState& State() {
  static auto* state = new TInputState;
  return *state;
}

HWND Live(HWND h) { return IsWindow(h) ? h : nullptr; }

DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongPtr(h, GWL_STYLE)); }
DWORD ExStyle(HWND h) { return static_cast<DWORD>(GetWindowLongPtr(h, GWL_EXSTYLE)); }

WPARAM MouseKeyFlags() {
  auto& s = State();
  std::lock_guard lock(s.lock);
  WPARAM w = 0;
  if (s.keys[VK_LBUTTON] & 0x80) w |= MK_LBUTTON;
  if (s.keys[VK_RBUTTON] & 0x80) w |= MK_RBUTTON;
  if (s.keys[VK_MBUTTON] & 0x80) w |= MK_MBUTTON;
  if (s.keys[VK_SHIFT] & 0x80) w |= MK_SHIFT;
  if (s.keys[VK_CONTROL] & 0x80) w |= MK_CONTROL;
  return w;
}

LPARAM PointParam(TPoint p) { return MAKELPARAM(static_cast<WORD>(p.X), static_cast<WORD>(p.Y)); }

// The window that takes the mouse at a screen point and its hit code: the capture window
// (HTCLIENT), else the deepest window whose WM_NCHITTEST does not answer HTTRANSPARENT.
HWND MouseTarget(TPoint pt, LRESULT& hit) {
  if (HWND cap = Live(GetCapture())) {
    hit = HTCLIENT;
    return cap;
  }
  std::vector<HWND> excluded;
  for (int guard = 0; guard < 64; ++guard) {
    HWND h = detail::WindowFromPointForInput(pt, excluded);
    if (!h) {
      hit = HTNOWHERE;
      return nullptr;
    }
    hit = SendMessage(h, WM_NCHITTEST, 0, PointParam(pt));
    if (hit != HTTRANSPARENT) return h;
    excluded.push_back(h);
  }
  hit = HTNOWHERE;
  return nullptr;
}

// A disabled window (or one under a disabled ancestor top-level) takes no mouse input.
bool AcceptsInput(HWND h) {
  for (HWND w = h; w; w = GetParent(w)) {
    if (Style(w) & WS_DISABLED) return false;
    if (!(Style(w) & WS_CHILD)) break;
  }
  return true;
}

void LeaveTracking(HWND target, LRESULT hit, TPoint pt) {
  auto& s = State();
  HWND tracked;
  DWORD flags;
  {
    std::lock_guard lock(s.lock);
    tracked = s.track_window;
    flags = s.track_flags;
  }
  if (!tracked) return;
  bool nonClient = (flags & TME_NONCLIENT) != 0;
  bool inside = target == tracked && ((hit == HTCLIENT) != nonClient);
  if (inside) return;
  {
    std::lock_guard lock(s.lock);
    s.track_window = nullptr;
    s.track_flags = 0;
  }
  detail::PostInputMessage(tracked, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0, pt);
}

void PostMouse(HWND target, LRESULT hit, UINT clientMsg, UINT ncMsg, WPARAM extra, TPoint pt) {
  if (hit == HTCLIENT) {
    TPoint local = pt;
    ScreenToClient(target, &local);
    detail::PostInputMessage(target, clientMsg, MouseKeyFlags() | extra, PointParam(local), pt);
  } else if (ncMsg) {
    detail::PostInputMessage(target, ncMsg, static_cast<WPARAM>(hit), PointParam(pt), pt);
  }
}

// A press in a child window's client area is told to its parent, and so on up the chain, as
// WM_PARENTNOTIFY with the button message and the point in each parent's client coordinates;
// the chain stops at a window that is no child or has WS_EX_NOPARENTNOTIFY.
void SendParentNotify(HWND child, UINT msg, TPoint pt) {
  for (HWND w = child; w && IsWindow(w);) {
    if (!(Style(w) & WS_CHILD) || (ExStyle(w) & WS_EX_NOPARENTNOTIFY)) return;
    HWND parent = GetParent(w);
    if (!parent) return;
    TPoint local = pt;
    ScreenToClient(parent, &local);
    SendMessage(parent, WM_PARENTNOTIFY, static_cast<WPARAM>(static_cast<WORD>(msg)), PointParam(local));
    w = parent;
  }
}

// True when this press continues a double click (same window and button, inside the time and
// the double-click rectangle); updates the memory of the last press.
bool IsDoubleClick(HWND target, UINT msg, TPoint pt) {
  auto& s = State();
  std::uint64_t now = Clock().Milliseconds();
  std::lock_guard lock(s.lock);
  bool dbl = s.last_click_window == target && s.last_click_message == msg &&
             now - s.last_click_time <= GetDoubleClickTime() &&
             std::abs(pt.X - s.last_click_pos.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
             std::abs(pt.Y - s.last_click_pos.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  if (dbl) {
    s.last_click_window = nullptr;  // a third press starts over
  } else {
    s.last_click_window = target;
    s.last_click_message = msg;
    s.last_click_time = now;
    s.last_click_pos = pt;
  }
  return dbl;
}

void SetKey(int vk, bool down) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  BYTE& k = s.keys[static_cast<std::size_t>(vk & 0xFF)];
  if (down && !(k & 0x80)) k ^= 1;
  k = static_cast<BYTE>(down ? (k | 0x80) : (k & ~0x80));
}

}  // namespace

// ---- Capture, focus, activation ----------------------------------------------------------------

HWND SetCapture(HWND hWnd) {
  auto& s = State();
  HWND old;
  {
    std::lock_guard lock(s.lock);
    old = s.capture;
    s.capture = IsWindow(hWnd) ? hWnd : nullptr;
  }
  old = Live(old);
  if (old && old != hWnd) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  return old;
}

BOOL ReleaseCapture() {
  auto& s = State();
  HWND old;
  {
    std::lock_guard lock(s.lock);
    old = s.capture;
    s.capture = nullptr;
  }
  if (Live(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  auto& s = State();
  std::lock_guard lock(s.lock);
  return Live(s.capture);
}

HWND SetFocus(HWND hWnd) {
  auto& s = State();
  HWND old;
  {
    std::lock_guard lock(s.lock);
    old = Live(s.focus);
  }
  if (hWnd && !IsWindow(hWnd)) return nullptr;
  if (hWnd == old) return old;
  if (hWnd) {
    HWND top = GetAncestorRoot(hWnd);
    if (top && top != GetActiveWindow()) {
      SetActiveWindow(top);
      std::lock_guard lock(s.lock);
      old = Live(s.focus);
      if (old == hWnd) return old;
    }
  }
  {
    std::lock_guard lock(s.lock);
    s.focus = hWnd;
  }
  if (old) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  // The focus may have moved on inside WM_KILLFOCUS.
  {
    std::lock_guard lock(s.lock);
    if (s.focus != hWnd) return old;
  }
  if (hWnd) SendMessage(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() {
  auto& s = State();
  std::lock_guard lock(s.lock);
  return Live(s.focus);
}

namespace {
HWND Activate(HWND hWnd, WPARAM how) {
  auto& s = State();
  if (hWnd) hWnd = GetAncestorRoot(hWnd);
  HWND old;
  {
    std::lock_guard lock(s.lock);
    old = Live(s.active);
    if (old == hWnd) return old;
    s.active = hWnd;
  }
  if (old) {
    SendMessage(old, WM_NCACTIVATE, FALSE, 0);
    SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hWnd));
  }
  if (!hWnd) {
    // Nothing active: the focus goes nowhere.
    SetFocus(nullptr);
    Display().WindowActivated(nullptr);
    return old;
  }
  BringWindowToTop(hWnd);
  SendMessage(hWnd, WM_NCACTIVATE, TRUE, 0);
  SendMessage(hWnd, WM_ACTIVATE, how, reinterpret_cast<LPARAM>(old));
  // The display's keyboard focus follows (unless a handler moved the activation on meanwhile).
  if (Live(State().active) == hWnd) Display().WindowActivated(hWnd);
  return old;
}
}  // namespace

HWND SetActiveWindow(HWND hWnd) { return Activate(hWnd, WA_ACTIVE); }

HWND GetActiveWindow() {
  auto& s = State();
  std::lock_guard lock(s.lock);
  return Live(s.active);
}

BOOL SetForegroundWindow(HWND hWnd) {
  if (!IsWindow(hWnd)) return FALSE;
  SetActiveWindow(hWnd);
  return TRUE;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

BOOL BringWindowToTop(HWND hWnd) {
  return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- Mouse -------------------------------------------------------------------------------------

BOOL TrackMouseEvent(TRACKMOUSEEVENT* e) {
  if (!e) return FALSE;
  auto& s = State();
  if (e->dwFlags & TME_QUERY) {
    std::lock_guard lock(s.lock);
    e->hwndTrack = s.track_window;
    e->dwFlags = s.track_flags;
    return TRUE;
  }
  if (e->dwFlags & TME_CANCEL) {
    std::lock_guard lock(s.lock);
    if (s.track_window == e->hwndTrack) {
      s.track_window = nullptr;
      s.track_flags = 0;
    }
    return TRUE;
  }
  if (!(e->dwFlags & TME_LEAVE) || !IsWindow(e->hwndTrack)) return e->dwFlags & TME_HOVER ? TRUE : FALSE;
  {
    std::lock_guard lock(s.lock);
    s.track_window = e->hwndTrack;
    s.track_flags = e->dwFlags & (TME_LEAVE | TME_NONCLIENT);
  }
  TPoint pt = Display().CursorPos();
  LRESULT hit;
  HWND target = MouseTarget(pt, hit);
  LeaveTracking(target, hit, pt);
  return TRUE;
}

BOOL GetCursorPos(TPoint* lpPoint) {
  if (!lpPoint) return FALSE;
  *lpPoint = Display().CursorPos();
  return TRUE;
}

BOOL SetCursorPos(int X, int Y) {
  Display().SetCursorPos(TPoint{X, Y});
  detail::InjectMouseMove(TPoint{X, Y});
  return TRUE;
}

HCURSOR LoadCursor(HINSTANCE hInstance, int id) {
  if (hInstance) return nullptr;
  switch (id) {
    case IDC_ARROW: case IDC_IBEAM: case IDC_WAIT: case IDC_CROSS: case IDC_UPARROW:
    case IDC_SIZENWSE: case IDC_SIZENESW: case IDC_SIZEWE: case IDC_SIZENS: case IDC_SIZEALL:
    case IDC_NO: case IDC_HAND: case IDC_APPSTARTING: case IDC_HELP:
      return MakeStandardCursor(id);
    default:
      return nullptr;
  }
}

HCURSOR SetCursor(HCURSOR hCursor) {
  auto& s = State();
  HCURSOR old;
  {
    std::lock_guard lock(s.lock);
    old = s.cursor;
    s.cursor = hCursor;
  }
  if (old != hCursor) Display().SetCursorShape(hCursor);
  return old;
}

HCURSOR GetCursor() {
  auto& s = State();
  std::lock_guard lock(s.lock);
  return s.cursor;
}

int StandardCursorId(HCURSOR hCursor) {
  auto v = reinterpret_cast<std::intptr_t>(hCursor);
  return LoadCursor(nullptr, static_cast<int>(v)) ? static_cast<int>(v) : 0;
}

short GetKeyState(int nVirtKey) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  BYTE k = s.keys[static_cast<std::size_t>(nVirtKey & 0xFF)];
  return static_cast<short>(((k & 0x80) ? 0x8000 : 0) | (k & 1));
}

short GetAsyncKeyState(int vKey) { return static_cast<short>(GetKeyState(vKey) & 0x8000); }

// ---- The router --------------------------------------------------------------------------------

void detail::InjectMouseMove(TPoint pt) {
  Display().NoteCursorPos(pt);
  LRESULT hit;
  HWND target = MouseTarget(pt, hit);
  LeaveTracking(target, hit, pt);
  if (!target) return;
  if (!GetCapture()) SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(WM_MOUSEMOVE)));
  if (!AcceptsInput(target) && !GetCapture()) return;
  PostMouse(target, hit, WM_MOUSEMOVE, WM_NCMOUSEMOVE, 0, pt);
}

void detail::InjectMouseButton(TMouseButton Button, bool Down, TPoint pt) {
  static constexpr UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static constexpr UINT kNcDown[] = {WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN};
  static constexpr int kVk[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  int b = static_cast<int>(Button);
  Display().NoteCursorPos(pt);
  SetKey(kVk[b], Down);
  LRESULT hit;
  HWND target = MouseTarget(pt, hit);
  if (!target) return;
  bool captured = GetCapture() == target;
  if (!Down) {
    if (!captured && !AcceptsInput(target)) return;
    PostMouse(target, hit, kDown[b] + 1, kNcDown[b] + 1, 0, pt);
    return;
  }
  if (!captured && !AcceptsInput(target)) {
    // A press on a disabled window shows the cursor; on one blocked by a modal dialog it brings
    // that dialog to the front and activates it.
    SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(static_cast<WORD>(HTERROR), static_cast<WORD>(kDown[b])));
    if (IsWindow(target)) detail::ActivateModalPopup(GetAncestorRoot(target));
    return;
  }
  HWND top = GetAncestorRoot(target);
  if (!captured && top && top != GetActiveWindow()) {
    LRESULT ma = SendMessage(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                             MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(kDown[b])));
    if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT) Activate(top, WA_CLICKACTIVE);
    if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return;
    if (!IsWindow(target)) return;
  }
  if (!captured) SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(kDown[b])));
  UINT msg = kDown[b];
  UINT nc = kNcDown[b];
  bool dblClass = (GetClassLong(target, GCL_STYLE) & CS_DBLCLKS) != 0 || hit != HTCLIENT;
  if (IsDoubleClick(target, msg, pt) && dblClass) {
    msg += 2;
    nc += 2;
  } else if (hit == HTCLIENT) {
    SendParentNotify(target, msg, pt);
    if (!IsWindow(target)) return;
  }
  PostMouse(target, hit, msg, nc, 0, pt);
}

namespace {

// The window under the pointer that takes mouse input, whoever holds the capture.
HWND WheelTarget(TPoint pt) {
  std::vector<HWND> excluded;
  for (int guard = 0; guard < 64; ++guard) {
    HWND h = detail::WindowFromPointForInput(pt, excluded);
    if (!h) return nullptr;
    if (SendMessage(h, WM_NCHITTEST, 0, PointParam(pt)) != HTTRANSPARENT) return AcceptsInput(h) ? h : nullptr;
    excluded.push_back(h);
  }
  return nullptr;
}

}  // namespace

void detail::InjectMouseWheel(int Delta, TPoint pt) {
  // The wheel scrolls what the pointer is over, as the desktop's other programs do; over a
  // disabled window (the owner of a modal dialog) or none of ours it goes to the focus window.
  // A window that does not scroll hands it on to its parent (DefWindowProc).
  HWND target = WheelTarget(pt);
  if (!target) target = GetFocus();
  if (!target) return;
  WPARAM w = MouseKeyFlags() | (static_cast<WPARAM>(static_cast<WORD>(static_cast<short>(Delta))) << 16);
  detail::PostInputMessage(target, WM_MOUSEWHEEL, w, PointParam(pt), pt);
}

void detail::InjectKey(WORD vk, bool Down) {
  auto& s = State();
  SetKey(vk, Down);
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) SetKey(VK_SHIFT, Down);
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) SetKey(VK_CONTROL, Down);
  if (vk == VK_LMENU || vk == VK_RMENU) SetKey(VK_MENU, Down);
  bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
  bool isAlt = vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU;
  {
    std::lock_guard lock(s.lock);
    if (isAlt && Down) {
      s.alt_alone = true;
    } else if (isAlt) {
      s.key_menu_pending = s.alt_alone;
      s.alt_alone = false;
    } else if (Down) {
      s.alt_alone = false;
    }
  }
  HWND target = GetFocus();
  if (!target) target = GetActiveWindow();
  if (!target) return;
  // Alt held (or released alone) and F10 make system keys.
  bool sys = alt || (isAlt && !Down) || vk == VK_F10;
  UINT msg = Down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM l = 1;
  if (alt) l |= LPARAM{1} << 29;
  if (!Down) l |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
  detail::PostInputMessage(target, msg, vk, l, Display().CursorPos());
}

void detail::SyncKeyState(WORD vk, bool Down, bool Toggled) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  BYTE& k = s.keys[static_cast<std::size_t>(vk & 0xFF)];
  k = static_cast<BYTE>((Down ? 0x80 : 0) | (Toggled ? 1 : 0));
  if ((vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU) && !Down) {
    s.alt_alone = false;  // its release went elsewhere: no key menu
    s.key_menu_pending = false;
  }
}

bool detail::TakeAltAlone() {
  auto& s = State();
  std::lock_guard lock(s.lock);
  bool alone = s.key_menu_pending;
  s.key_menu_pending = false;
  return alone;
}

void detail::InjectText(const std::string& Utf8) {
  HWND target = GetFocus();
  if (!target) target = GetActiveWindow();
  if (!target) return;
  // Typed with Alt held, characters are system characters (Alt+Space, menu accelerators).
  const UINT msg = (GetKeyState(VK_MENU) & 0x8000) ? WM_SYSCHAR : WM_CHAR;
  std::size_t i = 0;
  while (i < Utf8.size()) {
    auto c = static_cast<unsigned char>(Utf8[i]);
    char32_t cp;
    int extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
    else { ++i; continue; }  // a stray continuation byte
    if (i + static_cast<std::size_t>(extra) >= Utf8.size()) break;  // truncated at the end
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      auto cc = static_cast<unsigned char>(Utf8[i + static_cast<std::size_t>(k)]);
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    i += ok ? static_cast<std::size_t>(extra) + 1 : 1;
    if (ok) detail::PostInputMessage(target, msg, cp, 1, Display().CursorPos());
  }
}

void detail::ForgetInputWindow(HWND hWnd) {
  auto& s = State();
  bool wasActive;
  {
    std::lock_guard lock(s.lock);
    if (s.capture == hWnd) s.capture = nullptr;
    if (s.focus == hWnd) s.focus = nullptr;
    if (s.track_window == hWnd) s.track_window = nullptr;
    if (s.last_click_window == hWnd) s.last_click_window = nullptr;
    wasActive = s.active == hWnd;
    if (wasActive) s.active = nullptr;
  }
}

void detail::WindowHidden(HWND hWnd) {
  auto& s = State();
  HWND focus = GetFocus();
  if (focus && (focus == hWnd || IsChild(hWnd, focus))) {
    HWND parent = GetParent(hWnd);
    SetFocus((Style(hWnd) & WS_CHILD) && parent ? parent : nullptr);
  }
  if (GetCapture() == hWnd || (GetCapture() && IsChild(hWnd, GetCapture()))) ReleaseCapture();
  HWND active;
  {
    std::lock_guard lock(s.lock);
    active = s.active;
  }
  if (active == hWnd) {
    // Hand the activation to the next visible, enabled top-level of the same thread.
    HWND next = nullptr;
    EnumWindows([&](HWND h) {
      if (h != hWnd && IsWindowVisible(h) && IsWindowEnabled(h) && !(ExStyle(h) & WS_EX_NOACTIVATE) &&
          !(ExStyle(h) & WS_EX_TOOLWINDOW)) {
        next = h;
        return false;
      }
      return true;
    });
    SetActiveWindow(next);
  }
}

void detail::WindowDisabled(HWND hWnd) {
  HWND focus = GetFocus();
  if (focus && (focus == hWnd || IsChild(hWnd, focus))) SetFocus(nullptr);
  if (GetCapture() == hWnd) ReleaseCapture();
}

namespace {
// The visible top-level h owns (the newest when several); nullptr when none.
HWND ShownOwnedWindow(HWND owner) {
  HWND found = nullptr;
  EnumWindows([&](HWND h) {
    if (h != owner && GetWindow(h, GW_OWNER) == owner && IsWindowVisible(h) && !IsIconic(h)) {
      found = h;
      return false;  // the topmost first
    }
    return true;
  });
  return found;
}
}  // namespace

HWND detail::ModalPopupOf(HWND hTop) {
  if (!IsWindow(hTop) || IsWindowEnabled(hTop)) return nullptr;
  // Down the chain of owned windows: a dialog may itself be blocked by its message box.
  HWND popup = hTop;
  for (int depth = 0; depth < 16; ++depth) {
    HWND next = ShownOwnedWindow(popup);
    if (!next) break;
    popup = next;
  }
  if (popup != hTop && IsWindowEnabled(popup)) return popup;
  // A modal window without an owner: the enabled window that is active now.
  HWND active = GetActiveWindow();
  return active && active != hTop && IsWindowEnabled(active) && IsWindowVisible(active) ? active : nullptr;
}

bool detail::ActivateModalPopup(HWND hTop) {
  HWND popup = ModalPopupOf(hTop);
  if (!popup) return false;
  BringWindowToTop(popup);
  if (GetActiveWindow() == popup) {
    Display().WindowActivated(popup);  // the desktop moved the focus away: take it back
  } else {
    SetActiveWindow(popup);
  }
  return true;
}

void detail::CancelMode() {
  if (HWND cap = GetCapture()) SendMessage(cap, WM_CANCELMODE, 0, 0);
}

void RunModalLoop(HWND hDialog, const std::function<bool()>& Done) {
  std::vector<HWND> disabled;
  DWORD me = GetCurrentThreadId();
  EnumWindows([&](HWND h) {
    if (h != hDialog && GetWindowThreadProcessId(h, nullptr) == me && IsWindowVisible(h) && IsWindowEnabled(h)) {
      disabled.push_back(h);
    }
    return true;
  });
  for (HWND h : disabled) EnableWindow(h, FALSE);
  MSG msg;
  while (IsWindow(hDialog) && !(Done && Done())) {
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  for (HWND h : disabled) {
    if (IsWindow(h)) EnableWindow(h, TRUE);
  }
}
