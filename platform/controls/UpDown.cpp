#include "platform/controls/UpDown.h"

#include <algorithm>

#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/WindowTree.h"

namespace {
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstRepeatMs = 500;
constexpr UINT kRepeatMs = 100;
}  // namespace

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(ControlStyle() - TControlStyle{TControlStyleFlag::csDoubleClicks, TControlStyleFlag::csSetCaption});
  SetBounds(0, 0, 17, 25);
}

TCustomUpDown::~TCustomUpDown() {
  if (HandleAllocated()) KillTimer(handle_, kRepeatTimer);
}

void TCustomUpDown::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  P.WinClassName = "msctls_updown32";
  if (orientation_ == TUDOrientation::udHorizontal) P.Style |= UDS_HORZ;
  if (wrap_) P.Style |= UDS_WRAP;
  P.WindowClass.style &= ~static_cast<UINT>(CS_DBLCLKS);
}

void TCustomUpDown::SetMin(int Value) {
  min_ = Value;
  SetPosition(position_);
}

void TCustomUpDown::SetMax(int Value) {
  max_ = Value;
  SetPosition(position_);
}

void TCustomUpDown::SetPosition(int Value) {
  int v = std::clamp(Value, std::min(min_, max_), std::max(min_, max_));
  if (v == position_) return;
  position_ = v;
  Invalidate();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  RecreateWnd();
  Invalidate();
}

TRect TCustomUpDown::ButtonRect(TUDBtnType Button) const {
  TRect c = ClientRect();
  bool next = Button == TUDBtnType::btNext;
  if (orientation_ == TUDOrientation::udHorizontal) {
    int mid = c.Width() / 2;  // left: lower, right: higher
    return next ? TRect{mid, 0, c.Right, c.Bottom} : TRect{0, 0, mid, c.Bottom};
  }
  int mid = c.Height() / 2;  // top: higher, bottom: lower
  return next ? TRect{0, 0, c.Right, mid} : TRect{0, mid, c.Right, c.Bottom};
}

bool TCustomUpDown::ButtonAt(TPoint P, TUDBtnType& Button) const {
  for (TUDBtnType b : {TUDBtnType::btNext, TUDBtnType::btPrev}) {
    if (ButtonRect(b).Contains(P)) {
      Button = b;
      return true;
    }
  }
  return false;
}

void TCustomUpDown::Notify(int Code) {
  if (!HandleAllocated()) return;
  HWND parent = GetParent(handle_);
  if (!parent) return;
  UINT msg = orientation_ == TUDOrientation::udHorizontal ? WM_HSCROLL : WM_VSCROLL;
  WPARAM w = static_cast<WPARAM>(Code & 0xFFFF) | ((static_cast<WPARAM>(static_cast<unsigned>(position_)) & 0xFFFF) << 16);
  SendMessage(parent, msg, w, reinterpret_cast<LPARAM>(handle_));
}

void TCustomUpDown::Step(TUDBtnType Button) {
  const int lo = std::min(min_, max_), hi = std::max(min_, max_);
  // Reversed ranges (Min above Max) step the other way, as the arrows point at Max and Min.
  const int step = std::max(increment_, 1) * (Button == TUDBtnType::btNext ? 1 : -1) * (min_ > max_ ? -1 : 1);
  long long next = static_cast<long long>(position_) + step;
  if (next > hi) next = wrap_ && position_ == hi ? lo : hi;
  if (next < lo) next = wrap_ && position_ == lo ? hi : lo;
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) return;
  position_ = static_cast<int>(next);
  Invalidate();
  Notify(SB_THUMBPOSITION);
  if (OnButtonClick) OnButtonClick(this, Button);
}

void TCustomUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  TUDBtnType b;
  if (Button != TMouseButton::mbLeft || !Enabled() || !ButtonAt({X, Y}, b)) return;
  pressed_ = true;
  pressed_button_ = b;
  SetTimer(Handle(), kRepeatTimer, kFirstRepeatMs, nullptr);
  Step(b);
}

void TCustomUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  StopRepeat();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomUpDown::StopRepeat() {
  if (!pressed_) return;
  pressed_ = false;
  if (HandleAllocated()) KillTimer(handle_, kRepeatTimer);
  Invalidate();
  Notify(SB_ENDSCROLL);
}

void TCustomUpDown::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_TIMER:
      if (M.WParam == kRepeatTimer) {
        if (!pressed_) return;
        SetTimer(handle_, kRepeatTimer, kRepeatMs, nullptr);
        TPoint p;
        GetCursorPos(&p);
        TUDBtnType b;
        // Held but moved off the button: wait without stepping.
        if (ButtonAt(ScreenToClient(p), b) && b == pressed_button_) Step(b);
        return;
      }
      break;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      StopRepeat();
      break;
    case UDM_SETRANGE:
      SetMax(static_cast<short>(LOWORD(static_cast<std::uintptr_t>(M.LParam))));
      SetMin(static_cast<short>(HIWORD(static_cast<std::uintptr_t>(M.LParam))));
      M.Result = 0;
      return;
    case UDM_GETRANGE:
      M.Result = MAKELPARAM(static_cast<WORD>(max_), static_cast<WORD>(min_));
      return;
    case UDM_SETRANGE32:
      min_ = static_cast<int>(M.WParam);
      SetMax(static_cast<int>(M.LParam));
      M.Result = 0;
      return;
    case UDM_GETRANGE32:
      if (auto* p = reinterpret_cast<int*>(M.WParam)) *p = min_;
      if (auto* p = reinterpret_cast<int*>(M.LParam)) *p = max_;
      M.Result = 0;
      return;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
      int old = position_;
      SetPosition(M.Msg == UDM_SETPOS ? static_cast<short>(LOWORD(static_cast<std::uintptr_t>(M.LParam)))
                                      : static_cast<int>(M.LParam));
      M.Result = old;
      return;
    }
    case UDM_GETPOS:
      M.Result = static_cast<WORD>(position_);
      return;
    case UDM_GETPOS32:
      if (auto* err = reinterpret_cast<BOOL*>(M.LParam)) *err = FALSE;
      M.Result = position_;
      return;
    default:
      break;
  }
  TCustomControl::WndProc(M);
}

void TCustomUpDown::Paint() {
  TCanvas* c = Canvas();
  for (TUDBtnType b : {TUDBtnType::btNext, TUDBtnType::btPrev}) {
    TRect r = ButtonRect(b);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    bool down = pressed_ && pressed_button_ == b;
    DrawEdge(c->Handle(), &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    // Arrow: a small triangle pointing the way the button moves.
    int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    bool next = b == TUDBtnType::btNext;
    std::vector<TPoint> tri;
    if (orientation_ == TUDOrientation::udHorizontal) {
      int d = next ? 2 : -2;
      tri = {{cx - d, cy - 3}, {cx - d, cy + 3}, {cx + d, cy}};
    } else {
      int d = next ? -2 : 2;
      tri = {{cx - 3, cy - d}, {cx + 3, cy - d}, {cx, cy + d}};
    }
    TColor ink = Enabled() ? clBtnText : clGrayText;
    c->Brush()->SetColor(ink);
    c->Pen()->SetColor(ink);
    c->Polygon(tri);
  }
}
