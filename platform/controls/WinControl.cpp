#include <algorithm>
#include <unordered_map>

#include "platform/controls/Application.h"
#include "platform/controls/Controls.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/WindowTree.h"

namespace {
// Which control owns which window. GUI thread only.
std::unordered_map<HWND, TWinControl*>& ControlTable() {
  static std::unordered_map<HWND, TWinControl*> table;
  return table;
}
// The default procedure of each class the framework registered, by class name.
std::unordered_map<std::string, WNDPROC>& ClassDefaults() {
  static std::unordered_map<std::string, WNDPROC> defaults;
  return defaults;
}
// The control whose window CreateWindowEx is making: it binds to the first message.
thread_local TWinControl* g_creating = nullptr;

int MouseX(LPARAM l) { return static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l))); }
int MouseY(LPARAM l) { return static_cast<short>(HIWORD(static_cast<std::uintptr_t>(l))); }

bool IsNavigationKey(WORD key) {
  switch (key) {
    case VK_TAB: case VK_RETURN: case VK_ESCAPE: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_CANCEL:
      return true;
    default:
      return false;
  }
}
}  // namespace

LRESULT ControlWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto& table = ControlTable();
  auto it = table.find(hWnd);
  TWinControl* control = it != table.end() ? it->second : nullptr;
  if (!control && g_creating && !g_creating->handle_) {
    control = g_creating;
    control->handle_ = hWnd;
    table[hWnd] = control;
  }
  if (!control) return DefWindowProc(hWnd, Msg, wParam, lParam);
  TMessage m{Msg, wParam, lParam, 0};
  return control->RunChain(m);
}

TWinControl* FindControl(HWND Handle) {
  auto& table = ControlTable();
  auto it = table.find(Handle);
  return it != table.end() ? it->second : nullptr;
}

// ---- Life ---------------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) { color_ = clBtnFace; }

TWinControl::~TWinControl() {
  Destroying();
  if (TWinControl* root = Root(); root != this && root->focused_control_.Get() == this) root->focused_control_ = nullptr;
  if (parent_) parent_->RemoveControl(this);
  while (!controls_.empty()) delete controls_.back();
  if (handle_) {
    // Messages sent while the window goes away must not reach a half-destroyed control.
    HWND h = handle_;
    ControlTable().erase(h);
    handle_ = nullptr;
    DestroyWindow(h);
  }
}

TBrush* TWinControl::Brush() const {
  if (!brush_) brush_ = std::make_unique<TBrush>();
  if (brush_->Color() != color_) brush_->SetColor(color_);
  return brush_.get();
}

TWinControl* TWinControl::Root() {
  TWinControl* c = this;
  while (c->parent_) c = c->parent_;
  return c;
}

// ---- Window ---------------------------------------------------------------------------------------

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& P) {
  P.Caption = text_;
  P.Style = WS_CHILD | WS_CLIPSIBLINGS;
  // A container never paints over its windowed children: a child that painted before its
  // container's pending paint (a button repainted at once after a change) keeps its pixels.
  if (ControlStyle().Contains(TControlStyleFlag::csAcceptsControls)) P.Style |= WS_CLIPCHILDREN;
  if (visible_) P.Style |= WS_VISIBLE;
  if (!Enabled()) P.Style |= WS_DISABLED;
  if (tab_stop_) P.Style |= WS_TABSTOP;
  P.X = left_;
  P.Y = top_;
  P.Width = width_;
  P.Height = height_;
  P.WndParent = parent_ ? parent_->Handle() : parent_window_;
  P.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  P.WindowClass.lpfnWndProc = DefWindowProc;
  P.WindowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  P.WinClassName = ClassName();
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  SetControlState(ControlState() + TControlState{TControlStateFlag::csCreating});
  try {
    CreateWnd();
  } catch (...) {
    SetControlState(ControlState() - TControlState{TControlStateFlag::csCreating});
    throw;
  }
  SetControlState(ControlState() - TControlState{TControlStateFlag::csCreating});
  CreateChildHandles();
  last_client_ = TSize{ClientWidth(), ClientHeight()};
  Realign();
}

void TWinControl::CreateChildHandles() {
  // Copy: a child's creation may add controls.
  std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (auto* w = dynamic_cast<TWinControl*>(c); w && !w->handle_) w->CreateHandle();
  }
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent) {
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  }
  WNDCLASS existing;
  if (!GetClassInfo(nullptr, p.WinClassName.c_str(), &existing)) {
    WNDCLASS wc = p.WindowClass;
    ClassDefaults()[p.WinClassName] = wc.lpfnWndProc ? wc.lpfnWndProc : DefWindowProc;
    wc.lpfnWndProc = ControlWindowProc;
    wc.lpszClassName = p.WinClassName.c_str();
    RegisterClass(&wc);
    default_wnd_proc_ = ClassDefaults()[p.WinClassName];
  } else if (existing.lpfnWndProc == ControlWindowProc) {
    default_wnd_proc_ = ClassDefaults()[p.WinClassName];
  } else {
    default_wnd_proc_ = existing.lpfnWndProc;  // a class of the platform: subclassed below
  }
  CreateWindowHandle(p);
  if (!handle_) throw EInvalidOperation("Error creating window of control '" + Name() + "'");
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtr(handle_, GWL_WNDPROC)) != ControlWindowProc) {
    SetWindowLongPtr(handle_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlWindowProc));
  }
}

void TWinControl::CreateWindowHandle(const TCreateParams& P) {
  TWinControl* previous = g_creating;
  g_creating = this;
  HWND h = CreateWindowEx(P.ExStyle, P.WinClassName.c_str(), P.Caption.c_str(), P.Style, P.X, P.Y, P.Width,
                          P.Height, P.WndParent, nullptr, nullptr, P.Param);
  g_creating = previous;
  if (h && !handle_) {
    // A class of the platform: its procedure saw the first messages; bind now.
    handle_ = h;
    ControlTable()[h] = this;
  }
}

void TWinControl::DestroyWnd() {
  if (handle_) DestroyWindow(handle_);
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  SetControlState(ControlState() + TControlState{TControlStateFlag::csDestroyingHandle});
  DestroyWnd();
  if (handle_) {  // the procedure was replaced and never saw WM_NCDESTROY
    ControlTable().erase(handle_);
    handle_ = nullptr;
  }
  SetControlState(ControlState() - TControlState{TControlStateFlag::csDestroyingHandle});
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  // A top-level's new window is made hidden (forms show themselves): one that was on screen is
  // shown again, and takes the activation back when it had it.
  const bool topLevel = !(GetWindowLongPtr(handle_, GWL_STYLE) & WS_CHILD);
  const bool shown = topLevel && IsWindowVisible(handle_);
  const bool active = shown && GetActiveWindow() == handle_;
  DestroyHandle();
  CreateHandle();
  if (shown && handle_ && !IsWindowVisible(handle_)) ShowWindow(handle_, active ? SW_SHOW : SW_SHOWNA);
}

void TWinControl::WMNCDestroy(TMessage& M) {
  DefaultHandler(M);
  ControlTable().erase(handle_);
  handle_ = nullptr;
}

// ---- Children -------------------------------------------------------------------------------------

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (const TControl* c = Control; c; c = c->parent_) {
    if (c == this) return true;
  }
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(c)) continue;
    if (!c->visible_ || (!AllowDisabled && !c->Enabled())) continue;
    if (c->BoundsRect().Contains(Pos)) {
      TMessage hit{CM_HITTEST, 0, MAKELPARAM(static_cast<WORD>(Pos.X - c->left_), static_cast<WORD>(Pos.Y - c->top_)), 0};
      c->RunChain(hit);
      if (hit.Result != 0) return c;
    }
  }
  return nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
  AControl->parent_ = this;
  controls_.push_back(AControl);
  auto* w = dynamic_cast<TWinControl*>(AControl);
  if (w) {
    tab_list_.push_back(w);
    if (w->handle_) {
      if (handle_) ::SetParent(w->handle_, handle_);
      else w->DestroyHandle();
    }
  }
  AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
  AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  AControl->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
  if (w && handle_ && !w->handle_) w->CreateHandle();
  AlignControl(AControl);
  if (!w) AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto found = std::find(controls_.begin(), controls_.end(), AControl);
  if (found == controls_.end()) return;
  const bool wasVisible = AControl->visible_;
  const TRect old = AControl->BoundsRect();
  auto* w = dynamic_cast<TWinControl*>(AControl);
  if (w && w->handle_ && !w->ComponentState().Contains(TComponentStateFlag::csDestroying)) w->DestroyHandle();
  controls_.erase(std::find(controls_.begin(), controls_.end(), AControl));
  tab_list_.erase(std::remove_if(tab_list_.begin(), tab_list_.end(),
                                 [AControl](TWinControl* t) { return static_cast<TControl*>(t) == AControl; }),
                  tab_list_.end());
  AControl->parent_ = nullptr;
  if (handle_ && wasVisible) InvalidateRect(handle_, &old, TRUE);
  if (!ComponentState().Contains(TComponentStateFlag::csDestroying)) Realign();
}

void TWinControl::Broadcast(TMessage& Message) {
  std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    c->RunChain(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  std::vector<TControl*> children = controls_;
  for (TControl* c : children) c->Perform(Msg, 0, 0);
}

// ---- Geometry -------------------------------------------------------------------------------------

TRect TWinControl::ClientRect() const {
  if (handle_) {
    TRect r;
    GetClientRect(handle_, &r);
    return r;
  }
  return TControl::ClientRect();
}

TPoint TWinControl::ClientOrigin() const {
  if (handle_) {
    TPoint p{0, 0};
    ::ClientToScreen(handle_, &p);
    return p;
  }
  return TControl::ClientOrigin();
}

void TWinControl::BoundsChanged(const TRect&) {
  if (handle_) {
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const TSize now{ClientWidth(), ClientHeight()};
  if (now != last_client_) {
    const TSize old = last_client_;
    last_client_ = now;
    AnchorChildren(old.cx, old.cy);
    Realign();
  }
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!handle_) return;
  TRect r;
  GetWindowRect(handle_, &r);
  if (HWND parent = GetParent(handle_); parent && (GetWindowLongPtr(handle_, GWL_STYLE) & WS_CHILD)) {
    MapWindowPoints(nullptr, parent, &r, 1);
  }
  const bool sized = r.Width() != width_ || r.Height() != height_;
  left_ = r.Left;
  top_ = r.Top;
  width_ = r.Width();
  height_ = r.Height();
  const TSize now{ClientWidth(), ClientHeight()};
  if (now != last_client_) {
    const TSize old = last_client_;
    last_client_ = now;
    AnchorChildren(old.cx, old.cy);
    Realign();
  }
  if (sized && !Loading()) Resize();
}

void TWinControl::WMSize(TMessage& M) {
  DefaultHandler(M);
  UpdateBoundsFromWindow();
}

void TWinControl::WMWindowPosChanged(TMessage& M) {
  DefaultHandler(M);  // sends WM_MOVE and WM_SIZE
}

void TWinControl::VisibleChanged() {
  if (handle_) {
    ShowWindow(handle_, visible_ ? SW_SHOWNOACTIVATE : SW_HIDE);
  } else if (visible_ && parent_ && parent_->handle_) {
    CreateHandle();
  }
}

void TWinControl::ScrollBy(int DeltaX, int DeltaY) {
  DisableAlign();
  std::vector<TControl*> children = controls_;
  for (TControl* c : children) c->SetBounds(c->left_ + DeltaX, c->top_ + DeltaY, c->width_, c->height_);
  --align_level_;  // the children moved on purpose: no realign
  Invalidate();
}

// ---- Painting -------------------------------------------------------------------------------------

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  if (!handle_) return;
  RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  const int saved = SaveDC(DC);
  OffsetViewportOrgEx(DC, X, Y, nullptr);
  PrintWindow(Handle(), DC, 0);
  RestoreDC(DC, saved);
}

void TWinControl::WMPaint(TMessage& M) { PaintHandler(M); }

void TWinControl::PaintHandler(TMessage& M) {
  if (M.WParam) {
    HDC dc = reinterpret_cast<HDC>(M.WParam);
    PaintWindow(dc);
    PaintControls(dc, nullptr);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  if (!dc) return;
  TWeak<TControl> self(this);
  PaintWindow(dc);
  if (self) PaintControls(dc, nullptr);
  if (self) EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintNative(const TMessage& M, const std::function<void(HDC)>& Paint) {
  if (M.WParam) {
    Paint(reinterpret_cast<HDC>(M.WParam));
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  if (dc) Paint(dc);
  EndPaint(handle_, &ps);
}

void TWinControl::NativeFirst(TMessage& M, const std::function<void()>& Framework) {
  TWeak<TControl> self(this);
  DefaultHandler(M);
  if (self) Framework();
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto start = controls_.begin();
  if (First) start = std::find(controls_.begin(), controls_.end(), First);
  std::vector<TControl*> children(start, controls_.end());
  for (TControl* c : children) {
    if (dynamic_cast<TWinControl*>(c) || !c->visible_) continue;
    const TRect b = c->BoundsRect();
    if (!RectVisible(DC, &b)) continue;
    const int saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, c->left_, c->top_, nullptr);
    IntersectClipRect(DC, 0, 0, c->width_, c->height_);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
  }
}

void TWinControl::WMEraseBkgnd(TMessage& M) {
  HDC dc = reinterpret_cast<HDC>(M.WParam);
  TRect r = ClientRect();
  FillRect(dc, &r, Brush()->Handle());
  M.Result = 1;
}

// ---- Message routing ------------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& M) {
  if (M.Msg >= WM_MOUSEFIRST && M.Msg < WM_MOUSEWHEEL) {
    if (M.Msg == WM_MOUSEMOVE) {
      TPoint p{MouseX(M.LParam), MouseY(M.LParam)};
      Application()->NoteMouseControl(ControlUnderPointer(p), this);
    }
    if (IsControlMouseMsg(M)) return;
  }
  TControl::WndProc(M);
}

TControl* TWinControl::ControlUnderPointer(TPoint p) {
  TWinControl* window = this;
  if (!ClientRect().Contains(p)) {
    // A point outside the client area reaches a window only while it holds the capture: the
    // control under the pointer belongs to whatever window lies there.
    const TPoint screen = ClientToScreen(p);
    window = FindControl(WindowFromPoint(screen));
    if (!window) return nullptr;
    p = window->ScreenToClient(screen);
    if (!window->ClientRect().Contains(p)) return nullptr;
  }
  TControl* child = window->ControlAtPos(p, false);
  return child ? child : window;
}

bool TWinControl::IsControlMouseMsg(TMessage& M) {
  TControl* capture = Application()->CaptureControl();
  TControl* target = nullptr;
  const TPoint p{MouseX(M.LParam), MouseY(M.LParam)};
  if (capture) {
    if (capture->parent_ != this || dynamic_cast<TWinControl*>(capture)) return false;
    target = capture;
  } else {
    target = ControlAtPos(p, false);
  }
  if (!target) return false;
  TMessage forwarded{M.Msg, M.WParam,
                     MAKELPARAM(static_cast<WORD>(p.X - target->left_), static_cast<WORD>(p.Y - target->top_)), 0};
  target->RunChain(forwarded);
  M.Result = forwarded.Result;
  return true;
}

void TWinControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_PAINT: WMPaint(M); break;
    case WM_ERASEBKGND: WMEraseBkgnd(M); break;
    case WM_SIZE: WMSize(M); break;
    case WM_MOVE: WMSize(M); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(M); break;
    case WM_SETFOCUS: WMSetFocus(M); break;
    case WM_KILLFOCUS: WMKillFocus(M); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(M); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(M); break;
    case WM_CHAR:
    case WM_SYSCHAR: WMChar(M); break;
    case WM_SETCURSOR: WMSetCursor(M); break;
    case WM_MOUSELEAVE: WMMouseLeave(M); break;
    case WM_COMMAND: WMCommand(M); break;
    case WM_DRAWITEM: WMDrawItem(M); break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: WMCtlColor(M); break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSCROLLBAR: CNCtlColor(M); break;
    case WM_NCDESTROY: WMNCDestroy(M); break;
    case CM_ENTER: CMEnter(M); break;
    case CM_EXIT: CMExit(M); break;
    case CM_DIALOGKEY: CMDialogKey(M); break;
    case CM_FOCUSCHANGED: CMFocusChanged(M); break;
    case CM_WANTSPECIALKEY: CMWantSpecialKey(M); break;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); break;
    default: TControl::Dispatch(M); break;
  }
}

void TWinControl::DefaultHandler(TMessage& M) {
  if (!handle_) {
    TControl::DefaultHandler(M);
    return;
  }
  M.Result = CallWindowProc(default_wnd_proc_ ? default_wnd_proc_ : DefWindowProc, handle_, M.Msg, M.WParam, M.LParam);
}

void TWinControl::CMEnabledChanged(TMessage& M) {
  if (handle_) EnableWindow(handle_, Enabled() ? TRUE : FALSE);
  TControl::CMEnabledChanged(M);
}

void TWinControl::SetEnabled(bool Value) { TControl::SetEnabled(Value); }

void TWinControl::CMTextChanged(TMessage& M) {
  if (handle_ && GetWindowText(handle_) != text_) SetWindowText(handle_, text_);
  TControl::CMTextChanged(M);
}

void TWinControl::CMFontChanged(TMessage& M) {
  TControl::CMFontChanged(M);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMColorChanged(TMessage& M) {
  TControl::CMColorChanged(M);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMBiDiModeChanged(TMessage& M) {
  TControl::CMBiDiModeChanged(M);
  NotifyControls(CM_PARENTBIDIMODECHANGED);
}

void TWinControl::WMCommand(TMessage& M) {
  if (TWinControl* child = FindControl(reinterpret_cast<HWND>(M.LParam)); child && child != this) {
    M.Result = child->Perform(CN_COMMAND, M.WParam, M.LParam);
    return;
  }
  DefaultHandler(M);
}

void TWinControl::WMDrawItem(TMessage& M) {
  for (TControl* c : controls_) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->handle_ && static_cast<WPARAM>(GetWindowLongPtr(w->handle_, GWL_ID)) == M.WParam && M.WParam != 0) {
      M.Result = w->Perform(CN_DRAWITEM, M.WParam, M.LParam);
      return;
    }
  }
  DefaultHandler(M);
}

void TWinControl::WMCtlColor(TMessage& M) {
  if (TWinControl* child = FindControl(reinterpret_cast<HWND>(M.LParam)); child && child != this) {
    M.Result = child->Perform(CN_BASE + M.Msg, M.WParam, M.LParam);
    return;
  }
  DefaultHandler(M);
}

void TWinControl::CNCtlColor(TMessage& M) {
  HDC dc = reinterpret_cast<HDC>(M.WParam);
  SetTextColor(dc, ColorToRGB(font_->Color()));
  SetBkColor(dc, ColorToRGB(color_));
  M.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
}

void TWinControl::WMSetCursor(TMessage& M) {
  if (static_cast<HWND>(reinterpret_cast<HWND>(M.WParam)) == handle_ && LOWORD(static_cast<std::uintptr_t>(M.LParam)) == HTCLIENT) {
    TCursor cursor = Application()->ScreenCursor();
    if (cursor == crDefault) {
      TPoint p;
      GetCursorPos(&p);
      TControl* under = ControlAtPos(ScreenToClient(p), false);
      cursor = under && under->Cursor() != crDefault ? under->Cursor() : Cursor();
    }
    if (cursor != crDefault) {
      ::SetCursor(CursorHandle(cursor));
      M.Result = 1;
      return;
    }
  }
  DefaultHandler(M);
}

void TWinControl::WMMouseLeave(TMessage& M) {
  Application()->NoteMouseLeft(this);
  DefaultHandler(M);
}

// ---- Focus ------------------------------------------------------------------------------------------

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& list = parent_->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!parent_) return;
  auto& list = parent_->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  Value = std::clamp(Value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + Value, this);
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->visible_ || !c->Enabled()) return false;
  }
  return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

bool TWinControl::Showing() const {
  if (!visible_) return false;
  if (parent_) return parent_->Showing();
  return handle_ && IsWindowVisible(handle_);
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  TWinControl* root = Root();
  if (root->Showing()) {
    ::SetFocus(Handle());
  } else {
    root->focused_control_ = this;  // takes the focus when its form is activated
  }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
  for (TWinControl* c : tab_list_) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int n = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  int i = it == list.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(it - list.begin());
  for (int step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[static_cast<std::size_t>(i)];
    if (c == CurControl) return nullptr;
    if (c->CanFocus() && (!CheckTabStop || c->tab_stop_) && (!CheckParent || c->parent_ == this)) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) c->SetFocus();
}

void TWinControl::SetFocusedControl(TWinControl* Control) {
  TWinControl* old = focused_control_.Get();
  if (old == Control) return;
  focused_control_ = Control;
  TWeak<TWinControl> next(Control);
  if (old && !old->ComponentState().Contains(TComponentStateFlag::csDestroying)) old->Perform(CM_EXIT, 0, 0);
  if (next && !next->ComponentState().Contains(TComponentStateFlag::csDestroying)) next->Perform(CM_ENTER, 0, 0);
  if (ComponentState().Contains(TComponentStateFlag::csDestroying)) return;
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(next.Get()));
}

void TWinControl::WMSetFocus(TMessage& M) {
  DefaultHandler(M);
  Root()->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& M) { DefaultHandler(M); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }
void TWinControl::CMFocusChanged(TMessage& M) { Broadcast(M); M.Result = 0; }
void TWinControl::CMWantSpecialKey(TMessage& M) { M.Result = 0; }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ---- Keyboard ----------------------------------------------------------------------------------------

bool TWinControl::WantsKey(WORD Key) {
  if (Perform(CM_WANTSPECIALKEY, Key, 0) != 0) return true;
  const LRESULT code = handle_ ? SendMessage(handle_, WM_GETDLGCODE, Key, 0) : 0;
  if (code & DLGC_WANTALLKEYS) return true;
  if (Key == VK_TAB) return (code & DLGC_WANTTAB) != 0;
  if (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN) return (code & DLGC_WANTARROWS) != 0;
  return false;
}

template <class K>
bool TWinControl::WithKeyPreview(K& Key, const std::function<void(TWinControl*)>& Handle) {
  TWinControl* root = Root();
  if (root != this && root->KeyPreviewEnabled()) {
    Handle(root);
    if (Key == 0) return true;
  }
  Handle(this);
  return Key == 0;
}

bool TWinControl::DoKeyDown(WORD& Key, TShiftState Shift) {
  return WithKeyPreview(Key, [&](TWinControl* C) { C->KeyDown(Key, Shift); });
}

bool TWinControl::DoKeyUp(WORD& Key, TShiftState Shift) {
  return WithKeyPreview(Key, [&](TWinControl* C) { C->KeyUp(Key, Shift); });
}

bool TWinControl::DoKeyPress(char32_t& Key) {
  return WithKeyPreview(Key, [&](TWinControl* C) { C->KeyPress(Key); });
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(char32_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::WMKeyDown(TMessage& M) {
  WORD key = static_cast<WORD>(M.WParam);
  TShiftState shift = KeyboardStateToShiftState();
  TWeak<TControl> self(this);
  // Shortcuts of the form (its menu, OnShortCut) come before the control's own keys.
  if (Root()->Perform(CM_ISSHORTCUT, key, M.LParam) != 0) return;
  if (!self || DoKeyDown(key, shift) || !self) return;
  if (IsNavigationKey(key) && !WantsKey(key)) {
    if (!self) return;
    if (Root()->Perform(CM_DIALOGKEY, key, M.LParam) != 0) return;
  }
  if (!self) return;
  M.WParam = key;
  DefaultHandler(M);
}

void TWinControl::WMKeyUp(TMessage& M) {
  WORD key = static_cast<WORD>(M.WParam);
  TWeak<TControl> self(this);
  if (DoKeyUp(key, KeyboardStateToShiftState()) || !self) return;
  M.WParam = key;
  DefaultHandler(M);
}

void TWinControl::WMChar(TMessage& M) {
  char32_t ch = static_cast<char32_t>(M.WParam);
  TWeak<TControl> self(this);
  if (M.Msg == WM_CHAR) {
    if (DoKeyPress(ch) || !self) return;
    // Return, Escape and Tab were dialog keys already.
    if (ch >= 0x20 && !WantsChars() && Root()->Perform(CM_DIALOGCHAR, ch, M.LParam) != 0) return;
  } else if (Root()->Perform(CM_DIALOGCHAR, ch, M.LParam) != 0) {
    return;
  }
  if (!self) return;
  M.WParam = ch;
  DefaultHandler(M);
}

void TWinControl::CMDialogKey(TMessage& M) { Broadcast(M); }
void TWinControl::CMDialogChar(TMessage& M) { Broadcast(M); }

// ---- TGraphicControl, TCustomControl --------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), canvas_(std::make_unique<TCanvas>()) {}
TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& M) {
  if (M.Msg == WM_PAINT) {
    WMPaint(M);
    return;
  }
  TControl::Dispatch(M);
}

void TGraphicControl::WMPaint(TMessage& M) {
  if (!M.WParam) return;
  TCanvasPaintScope scope(canvas_.get(), reinterpret_cast<HDC>(M.WParam), Font());
  Paint();
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), canvas_(std::make_unique<TCanvas>()) {}
TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC DC) {
  TCanvasPaintScope scope(canvas_.get(), DC, Font());
  Paint();
}
