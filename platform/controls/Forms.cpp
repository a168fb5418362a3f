#include "platform/controls/Forms.h"

#include <algorithm>

#include "platform/controls/Application.h"
#include "platform/graphics/FontEngine.h"
#include "platform/graphics/Icon.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"  // before Menus.h, which uses its types
#include "platform/controls/Menus.h"
#include "platform/windowing/NonClient.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/core/Strings.h"
#include "platform/windowing/WindowTree.h"

namespace {
constexpr int kCascadeStep = 24;
// Pixels moved by a scroll arrow or one wheel line of a scrolling control.
constexpr int kScrollLine = 8;

LRESULT MDIClientProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_ERASEBKGND) {
    TRect r;
    GetClientRect(h, &r);
    HBRUSH b = CreateSolidBrush(ColorToRGB(clAppWorkSpace));
    FillRect(reinterpret_cast<HDC>(w), &r, b);
    DeleteObject(b);
    return 1;
  }
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    (void)BeginPaint(h, &ps);
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProc(h, msg, w, l);
}

const char* MDIClientClass() {
  static const bool registered = [] {
    WNDCLASS wc;
    wc.lpfnWndProc = MDIClientProc;
    wc.lpszClassName = "MDICLIENT";
    return RegisterClass(&wc) != 0;
  }();
  (void)registered;
  return "MDICLIENT";
}
}  // namespace

TCustomForm* GetParentForm(const TControl* Control) {
  const TControl* c = Control;
  while (c && c->Parent()) c = c->Parent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

// ---- TScrollingWinControl ---------------------------------------------------------------------

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TScrollingWinControl::SetAutoScroll(bool Value) {
  if (auto_scroll_ == Value) return;
  auto_scroll_ = Value;
  if (!Value) ScrollTo(0, 0);
  UpdateScrollBars();
}

TSize TScrollingWinControl::ScrollRange() const {
  TSize s{0, 0};
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() != TAlign::alNone) continue;
    s.cx = std::max(s.cx, c->Left() + scroll_pos_.X + c->Width());
    s.cy = std::max(s.cy, c->Top() + scroll_pos_.Y + c->Height());
  }
  return s;
}

void TScrollingWinControl::ScrollTo(int X, int Y) {
  const TSize range = ScrollRange();
  X = std::clamp(X, 0, std::max(0, range.cx - ClientWidth()));
  Y = std::clamp(Y, 0, std::max(0, range.cy - ClientHeight()));
  const int dx = scroll_pos_.X - X, dy = scroll_pos_.Y - Y;
  if (dx == 0 && dy == 0) return;
  scroll_pos_ = Point(X, Y);
  ScrollBy(dx, dy);
  if (auto_scroll_ && HandleAllocated()) {
    HWND h = Handle();
    SetScrollPos(h, SB_HORZ, X, TRUE);
    SetScrollPos(h, SB_VERT, Y, TRUE);
  }
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
  if (!AControl || !ContainsControl(AControl)) return;
  TPoint p = ScreenToClient(AControl->ClientToScreen(Point(0, 0)));
  int x = scroll_pos_.X, y = scroll_pos_.Y;
  if (p.X < 0) x += p.X;
  else if (p.X + AControl->Width() > ClientWidth()) x += p.X + AControl->Width() - ClientWidth();
  if (p.Y < 0) y += p.Y;
  else if (p.Y + AControl->Height() > ClientHeight()) y += p.Y + AControl->Height() - ClientHeight();
  ScrollTo(x, y);
}

void TScrollingWinControl::AdjustClientRect(TRect& Rect) {
  // Aligned children lie in the scrolled area, so they move with the others and a later
  // layout puts them where scrolling left them.
  if (!auto_scroll_) return TWinControl::AdjustClientRect(Rect);
  const TSize range = ScrollRange();
  Rect = Bounds(-scroll_pos_.X, -scroll_pos_.Y, std::max(range.cx, Rect.Width()), std::max(range.cy, Rect.Height()));
  TWinControl::AdjustClientRect(Rect);
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  TWinControl::AlignControls(AControl, Rect);
  UpdateScrollBars();
}

void TScrollingWinControl::UpdateScrollBars() {
  if (updating_bars_ || !HandleAllocated()) return;
  updating_bars_ = true;
  HWND h = Handle();
  if (!auto_scroll_) {
    ShowScrollBar(h, SB_BOTH, FALSE);
    updating_bars_ = false;
    return;
  }
  // Showing one bar narrows the client area, which may call for the other: two rounds settle it.
  for (int round = 0; round < 2; ++round) {
    // The position may have to come back first: a larger client area shows more of the range.
    ScrollTo(scroll_pos_.X, scroll_pos_.Y);
    const TSize range = ScrollRange();
    SetScrollBarState(h, SB_HORZ, {0, std::max(0, range.cx - 1), ClientWidth(), scroll_pos_.X});
    SetScrollBarState(h, SB_VERT, {0, std::max(0, range.cy - 1), ClientHeight(), scroll_pos_.Y});
  }
  ScrollTo(scroll_pos_.X, scroll_pos_.Y);
  updating_bars_ = false;
}

void TScrollingWinControl::Dispatch(TMessage& M) {
  if (M.Msg == WM_MOUSEWHEEL && auto_scroll_) {
    const int delta = static_cast<short>(HIWORD(M.WParam));
    ScrollTo(scroll_pos_.X, scroll_pos_.Y - delta / WHEEL_DELTA * 3 * kScrollLine);
    M.Result = 0;
    return;
  }
  if ((M.Msg == WM_VSCROLL || M.Msg == WM_HSCROLL) && auto_scroll_) {
    const bool vert = M.Msg == WM_VSCROLL;
    const int bar = vert ? SB_VERT : SB_HORZ;
    const TSize range = ScrollRange();
    const TScrollBarState state{0, vert ? range.cy : range.cx, vert ? ClientHeight() : ClientWidth(),
                                vert ? scroll_pos_.Y : scroll_pos_.X};
    // The message carries 16 bits of a thumb position; the bar knows the whole of it.
    const int thumb = HandleAllocated() ? ScrollThumbPos(Handle(), bar, HIWORD(M.WParam)) : HIWORD(M.WParam);
    const std::optional<int> pos = ScrollRequestPos(state, LOWORD(M.WParam), thumb, kScrollLine);
    if (!pos) return;
    if (vert) ScrollTo(scroll_pos_.X, *pos);
    else ScrollTo(*pos, scroll_pos_.Y);
    M.Result = 0;
    return;
  }
  TWinControl::Dispatch(M);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
  SetAutoScroll(true);
}

TForm* TForm::CreateNew(TComponent* AOwner) { return CreateForm<TForm>(AOwner); }

// ---- TCustomForm: life ------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TScrollingWinControl(AOwner), canvas_(std::make_unique<TCanvas>()) {
  BeginLoading();
  SetVisible(false);
  SetColor(clBtnFace);
  Screen()->AddForm(this);
}

TCustomForm::~TCustomForm() {
  // NOTE: the members of a derived form class are gone here; an OnDestroy handler must only use
  // this base and the controls.
  if (OnDestroy) OnDestroy(this);
  Destroying();
  if (TCustomForm* parent = MDIParent(); parent && parent != this) {
    auto& list = parent->mdi_children_;
    list.erase(std::remove_if(list.begin(), list.end(), [this](const TWeak<TCustomForm>& f) { return !f || f.Get() == this; }),
               list.end());
  }
  Screen()->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  Loaded();
  if (Owner() == Application() && !Application()->MainForm()) Application()->SetMainForm(this);
  if (OnCreate) OnCreate(this);
}

void TCustomForm::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) return;
  // Between a top-level and a child window the kind of window changes: it is made anew.
  if (HandleAllocated()) DestroyHandle();
  TScrollingWinControl::SetParent(AParent);
}

void TCustomForm::Loaded() {
  TScrollingWinControl::Loaded();
  Realign();
}

TIcon* TCustomForm::Icon() {
  if (!icon_) icon_ = std::make_unique<TIcon>();
  return icon_.get();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (border_icons_ == Value) return;
  border_icons_ = Value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (form_style_ == Value) return;
  form_style_ = Value;
  RecreateWnd();
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  ReplaceReference(menu_, Value);
}

void TCustomForm::SetWindowMenu(TMenuItem* Value) {
  ReplaceReference(window_menu_, Value);
}

TCustomForm* TCustomForm::MDIParent() const {
  if (form_style_ != TFormStyle::fsMDIChild) return nullptr;
  auto* main = dynamic_cast<TCustomForm*>(Application()->MainForm());
  return main && main->form_style_ == TFormStyle::fsMDIForm ? main : nullptr;
}

// ---- TCustomForm: window ----------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& P) {
  TScrollingWinControl::CreateParams(P);
  P.Style = WS_CLIPCHILDREN;
  P.ExStyle = 0;
  P.WndParent = nullptr;
  switch (border_style_) {
    case TFormBorderStyle::bsNone: P.Style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle: P.Style |= WS_CAPTION; break;
    case TFormBorderStyle::bsSizeable: P.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case TFormBorderStyle::bsDialog: P.Style |= WS_POPUP | WS_CAPTION; P.ExStyle |= WS_EX_DLGMODALFRAME; break;
    case TFormBorderStyle::bsToolWindow: P.Style |= WS_CAPTION; P.ExStyle |= WS_EX_TOOLWINDOW; break;
    case TFormBorderStyle::bsSizeToolWin: P.Style |= WS_CAPTION | WS_THICKFRAME; P.ExStyle |= WS_EX_TOOLWINDOW; break;
  }
  if (border_style_ != TFormBorderStyle::bsNone && border_icons_.Contains(TBorderIcon::biSystemMenu)) {
    P.Style |= WS_SYSMENU;
    if (border_style_ == TFormBorderStyle::bsSingle || border_style_ == TFormBorderStyle::bsSizeable) {
      if (border_icons_.Contains(TBorderIcon::biMinimize)) P.Style |= WS_MINIMIZEBOX;
      if (border_icons_.Contains(TBorderIcon::biMaximize)) P.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (form_style_ == TFormStyle::fsStayOnTop) P.ExStyle |= WS_EX_TOPMOST;
  if (TCustomForm* parent = MDIParent(); parent && parent != this) {
    P.Style = (P.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
    P.ExStyle |= WS_EX_MDICHILD;
    parent->HandleNeeded();
    P.WndParent = parent->client_handle_;
  } else if (Parent()) {
    // A form placed inside another control (a form shown as a preview inside a dialog) is a
    // child window of that control, positioned in its client area.
    P.Style = (P.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
    P.WndParent = Parent()->Handle();
  }
  if (!Visible()) P.Style &= ~WS_VISIBLE;
  P.WinClassName = "TForm";
}

void TCustomForm::CreateWnd() {
  TScrollingWinControl::CreateWnd();
  if (form_style_ == TFormStyle::fsMDIForm) {
    TRect r = ClientRect();
    client_handle_ = CreateWindowEx(WS_EX_CLIENTEDGE, MDIClientClass(), "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                    r.Left, r.Top, r.Width(), r.Height(), handle_, nullptr, nullptr, nullptr);
  }
  if (TCustomForm* parent = MDIParent(); parent && parent != this) {
    auto& list = parent->mdi_children_;
    if (std::none_of(list.begin(), list.end(), [this](const TWeak<TCustomForm>& f) { return f.Get() == this; })) {
      list.push_back(TWeak<TCustomForm>(this));
    }
  }
}

void TCustomForm::DestroyWnd() {
  client_handle_ = nullptr;  // a child of the form's window: destroyed with it
  TScrollingWinControl::DestroyWnd();
}

void TCustomForm::AlignControls(TControl* AControl, TRect& Rect) {
  TScrollingWinControl::AlignControls(AControl, Rect);
  if (client_handle_) MoveWindow(client_handle_, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), TRUE);
}

void TCustomForm::SetClientWidth(int Value) {
  if (!HandleAllocated()) {
    TRect r = Rect(0, 0, Value, ClientHeight());
    TCreateParams p;
    CreateParams(p);
    AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
    SetWidth(r.Width());
    return;
  }
  TScrollingWinControl::SetClientWidth(Value);
}

void TCustomForm::SetClientHeight(int Value) {
  if (!HandleAllocated()) {
    TRect r = Rect(0, 0, ClientWidth(), Value);
    TCreateParams p;
    CreateParams(p);
    AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
    SetHeight(r.Height());
    return;
  }
  TScrollingWinControl::SetClientHeight(Value);
}

TWindowState TCustomForm::WindowState() const {
  if (HandleAllocated()) {
    if (IsIconic(handle_)) return TWindowState::wsMinimized;
    if (IsZoomed(handle_)) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
  }
  return window_state_;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  window_state_ = Value;
  if (!HandleAllocated() || !Visible()) return;
  switch (Value) {
    case TWindowState::wsNormal: ShowWindow(handle_, SW_RESTORE); break;
    case TWindowState::wsMinimized: ShowWindow(handle_, SW_MINIMIZE); break;
    case TWindowState::wsMaximized: ShowWindow(handle_, SW_MAXIMIZE); break;
  }
}

void TCustomForm::PlaceOnScreen() {
  if (placed_) return;
  placed_ = true;
  if (Parent()) return;  // a child form keeps its place in its parent
  TRect area;
  switch (position_) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter:
      area = Screen()->WorkAreaRect();
      break;
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter: {
      auto* anchor = position_ == TPosition::poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
      if (!anchor) anchor = dynamic_cast<TCustomForm*>(Application()->MainForm());
      if (anchor && anchor != this && anchor->HandleAllocated()) {
        GetWindowRect(anchor->Handle(), &area);
      } else {
        area = Screen()->WorkAreaRect();
      }
      break;
    }
    default:
      return;
  }
  SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2, Width(), Height());
}

void TCustomForm::VisibleChanged() {
  if (Loading() && !HandleAllocated()) return;
  if (Visible()) {
    HandleNeeded();
    PlaceOnScreen();
    DoShow();
    if (!Visible() || !HandleAllocated()) return;  // OnShow hid or freed the form's window
    int cmd = SW_SHOW;
    if (window_state_ == TWindowState::wsMaximized) cmd = SW_SHOWMAXIMIZED;
    if (window_state_ == TWindowState::wsMinimized) cmd = SW_SHOWMINIMIZED;
    ShowWindow(handle_, cmd);
  } else if (HandleAllocated()) {
    DoHide();
    ShowWindow(handle_, SW_HIDE);
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  if (HandleAllocated() && !(GetWindowLongPtr(handle_, GWL_STYLE) & WS_CHILD)) SetForegroundWindow(handle_);
  else if (HandleAllocated()) BringToFront();
}

void TCustomForm::SetFocus() {
  if (!Visible() || !Enabled()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (HandleAllocated()) ::SetFocus(handle_);
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control && (!ContainsControl(Control) || Control == this)) {
    throw EInvalidOperation("Invalid ActiveControl value");
  }
  if (active_ && Control && Control->CanFocus()) {
    Control->SetFocus();
  } else {
    SetFocusedControlQuiet(Control);
  }
}

void TCustomForm::SetFocusedControl(TWinControl* Control) {
  TScrollingWinControl::SetFocusedControl(Control);
  if (Screen()->ActiveForm() == this && Screen()->OnActiveControlChange) Screen()->OnActiveControlChange(Screen());
}

// ---- TCustomForm: messages ----------------------------------------------------------------------

void TCustomForm::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_ACTIVATE: WMActivate(M); break;
    case WM_CLOSE: WMClose(M); break;
    case CM_RELEASE: CMRelease(M); break;
    case CM_ISSHORTCUT: M.Result = IsShortCut(M) ? 1 : 0; break;
    default: TScrollingWinControl::Dispatch(M); break;
  }
}

void TCustomForm::WMActivate(TMessage& M) {
  if (LOWORD(M.WParam) != WA_INACTIVE) {
    if (!Application()->Active()) SendMessage(Application()->Handle(), WM_ACTIVATEAPP, TRUE, 0);
    active_ = true;
    Screen()->SetActiveForm(this);
    TWeak<TControl> self(this);
    Activate();
    if (!self) return;
    TWinControl* target = FocusedControl();
    if (!target || !target->CanFocus() || !ContainsControl(target)) target = FindNextControl(nullptr, true, true, false);
    if (target && target->CanFocus()) ::SetFocus(target->Handle());
    else ::SetFocus(handle_);
  } else {
    active_ = false;
    Deactivate();
    // Activation leaving the program's forms deactivates the application.
    HWND other = reinterpret_cast<HWND>(M.LParam);
    if (!other || !dynamic_cast<TCustomForm*>(FindControl(GetAncestorRoot(other)))) {
      if (Application()->Active()) SendMessage(Application()->Handle(), WM_ACTIVATEAPP, FALSE, 0);
    }
  }
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::CMRelease(TMessage&) {
  // The form's own message: every handler that asked for the release has returned.
  delete this;
}

void TCustomForm::Release() {
  if (HandleAllocated()) PostMessage(handle_, CM_RELEASE, 0, 0);
  else delete this;
}

bool TCustomForm::CloseQuery() {
  if (form_style_ == TFormStyle::fsMDIForm) {
    for (int i = 0; i < MDIChildCount(); ++i) {
      if (!MDIChildren(i)->CloseQuery()) return false;
    }
  }
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = form_style_ == TFormStyle::fsMDIChild ? TCloseAction::caMinimize : TCloseAction::caHide;
  DoClose(action);
  if (action == TCloseAction::caNone) return;
  if (Application()->MainForm() == this) {
    Application()->Terminate();
    if (action != TCloseAction::caFree) return;
  }
  switch (action) {
    case TCloseAction::caHide: Hide(); break;
    case TCloseAction::caMinimize: SetWindowState(TWindowState::wsMinimized); break;
    case TCloseAction::caFree: Release(); break;
    default: break;
  }
}

void TCustomForm::CloseModal() {
  TCloseAction action = TCloseAction::caNone;
  if (CloseQuery()) {
    action = TCloseAction::caHide;
    DoClose(action);
  }
  if (action == TCloseAction::caNone) modal_result_ = mrNone;
  else if (action == TCloseAction::caFree) Release();
}

HWND TCustomForm::ModalOwner() const {
  if (Parent() || MDIParent()) return nullptr;  // not a top-level
  auto usable = [this](HWND h) {
    return h && h != handle_ && IsWindowVisible(h) && !(GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD);
  };
  HWND active = GetActiveWindow();
  if (usable(active)) return active;
  auto* main = dynamic_cast<TCustomForm*>(Application()->MainForm());
  HWND mainHandle = main && main->HandleAllocated() ? main->handle_ : nullptr;
  return usable(mainHandle) ? mainHandle : nullptr;
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  Application()->CancelHint();
  if (GetCapture()) SendMessage(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  modal_ = true;
  modal_result_ = mrNone;
  TWeak<TCustomForm> self(this);
  std::vector<HWND> disabled;
  for (int i = 0; i < Screen()->FormCount(); ++i) {
    TCustomForm* f = Screen()->Forms(i);
    if (f != this && f->HandleAllocated() && IsWindowVisible(f->handle_) && IsWindowEnabled(f->handle_)) {
      disabled.push_back(f->handle_);
    }
  }
  // The window that was active owns the dialog while it is up: the desktop keeps the dialog
  // above it, and a press on it (disabled below) brings the dialog back to the front.
  HandleNeeded();
  const HWND previousOwner = GetWindow(handle_, GW_OWNER);
  const HWND owner = ModalOwner();
  if (owner && owner != previousOwner) SetWindowLongPtr(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  for (HWND h : disabled) EnableWindow(h, FALSE);
  auto enableOthers = [&disabled, self, owner, previousOwner] {
    for (HWND h : disabled) {
      if (IsWindow(h)) EnableWindow(h, TRUE);
    }
    if (self && self->HandleAllocated() && owner && owner != previousOwner) {
      SetWindowLongPtr(self->handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(previousOwner));
    }
  };
  TModalResult result = mrCancel;
  try {
    Show();
    while (self) {
      Application()->HandleMessage();
      if (!self) break;
      if (Application()->Terminated()) modal_result_ = mrCancel;
      if (modal_result_ != mrNone) {
        CloseModal();
        if (!self) break;
        if (modal_result_ != mrNone) break;
      }
      if (!HandleAllocated()) {
        modal_result_ = mrCancel;
        break;
      }
    }
    if (self) result = modal_result_;
  } catch (...) {
    enableOthers();
    if (self) {
      modal_ = false;
      Hide();
    }
    throw;
  }
  enableOthers();
  if (self) {
    modal_ = false;
    Hide();
  }
  return result;
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::PaintWindow(HDC DC) {
  if (!OnPaint) return;
  TCanvasPaintScope scope(canvas_.get(), DC, Font());
  OnPaint(this);
}

bool TCustomForm::IsShortCut(TMessage& M) {
  bool handled = false;
  if (OnShortCut) OnShortCut(M, handled);
  if (handled) return true;
  if (menu_ && menu_->IsShortCut(static_cast<WORD>(M.WParam), KeyboardStateToShiftState())) return true;
  return false;
}

void TCustomForm::WMKeyDown(TMessage& M) { TScrollingWinControl::WMKeyDown(M); }

void TCustomForm::CMDialogKey(TMessage& M) {
  const WORD key = static_cast<WORD>(M.WParam);
  const TShiftState shift = KeyboardStateToShiftState();
  if (shift.Contains(TShiftStateFlag::ssAlt) || shift.Contains(TShiftStateFlag::ssCtrl)) {
    TScrollingWinControl::CMDialogKey(M);
    return;
  }
  TWinControl* active = ActiveControl();
  switch (key) {
    case VK_TAB:
      SelectNext(active, !shift.Contains(TShiftStateFlag::ssShift), true);
      M.Result = 1;
      return;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (active && active->Parent()) {
        active->Parent()->SelectNext(active, key == VK_RIGHT || key == VK_DOWN, false);
        M.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TScrollingWinControl::CMDialogKey(M);
}

// ---- MDI --------------------------------------------------------------------------------------------

int TCustomForm::MDIChildCount() const {
  int n = 0;
  for (auto& f : mdi_children_) n += f ? 1 : 0;
  return n;
}

TCustomForm* TCustomForm::MDIChildren(int I) const {
  for (auto& f : mdi_children_) {
    if (!f) continue;
    if (I-- == 0) return f.Get();
  }
  throw EListError("List index out of bounds (" + std::to_string(I) + ")");
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
  if (!client_handle_) return nullptr;
  // The top visible child window of the client area.
  for (HWND h = GetWindow(client_handle_, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (!IsWindowVisible(h)) continue;
    if (auto* f = dynamic_cast<TCustomForm*>(FindControl(h))) return f;
  }
  return nullptr;
}

void TCustomForm::Tile() {
  std::vector<TCustomForm*> list;
  for (auto& f : mdi_children_) {
    if (f && f->Visible() && f->WindowState() != TWindowState::wsMinimized) list.push_back(f.Get());
  }
  if (list.empty() || !client_handle_) return;
  TRect r;
  GetClientRect(client_handle_, &r);
  const int n = static_cast<int>(list.size());
  for (int i = 0; i < n; ++i) {
    if (TileMode == TTileMode::tbHorizontal) {
      const int h = r.Height() / n;
      list[static_cast<std::size_t>(i)]->SetBounds(0, i * h, r.Width(), h);
    } else {
      const int w = r.Width() / n;
      list[static_cast<std::size_t>(i)]->SetBounds(i * w, 0, w, r.Height());
    }
  }
}

void TCustomForm::Cascade() {
  if (!client_handle_) return;
  TRect r;
  GetClientRect(client_handle_, &r);
  int i = 0;
  for (auto& f : mdi_children_) {
    if (!f || !f->Visible() || f->WindowState() == TWindowState::wsMinimized) continue;
    const int offset = i * kCascadeStep;
    f->SetBounds(offset, offset, std::max(r.Width() * 3 / 4, 100), std::max(r.Height() * 3 / 4, 60));
    f->BringToFront();
    ++i;
  }
}

void TCustomForm::ArrangeIcons() {
  if (!client_handle_) return;
  TRect r;
  GetClientRect(client_handle_, &r);
  int x = 0;
  for (auto& f : mdi_children_) {
    if (!f || f->WindowState() != TWindowState::wsMinimized) continue;
    f->SetBounds(x, r.Bottom - f->Height(), f->Width(), f->Height());
    x += f->Width();
  }
}

void TCustomForm::Next() {
  if (TCustomForm* active = ActiveMDIChild()) {
    SetWindowPos(active->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TCustomForm::Previous() {
  if (!client_handle_) return;
  HWND last = nullptr;
  for (HWND h = GetWindow(client_handle_, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (IsWindowVisible(h) && FindControl(h)) last = h;
  }
  if (last) SetWindowPos(last, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- TMonitor, TScreen ------------------------------------------------------------------------------

TRect TMonitor::BoundsRect() const {
  MONITORINFO info;
  GetMonitorInfo(static_cast<HMONITOR>(handle_), &info);
  return info.rcMonitor;
}

TRect TMonitor::WorkareaRect() const {
  MONITORINFO info;
  GetMonitorInfo(static_cast<HMONITOR>(handle_), &info);
  return info.rcWork;
}

bool TMonitor::Primary() const {
  MONITORINFO info;
  GetMonitorInfo(static_cast<HMONITOR>(handle_), &info);
  return (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
}

TScreen* Screen() {
  static TScreen* screen = new TScreen(nullptr);
  return screen;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen() = default;

void TScreen::AddForm(TCustomForm* Form) { forms_.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), Form), forms_.end());
}

void TScreen::SetActiveForm(TCustomForm* Form) {
  if (active_form_.Get() == Form) return;
  active_form_ = Form;
  // The active form moves to the front of the list, as the forms' z-order goes.
  auto it = std::find(forms_.begin(), forms_.end(), Form);
  if (it != forms_.end()) std::rotate(forms_.begin(), it, it + 1);
  if (OnActiveFormChange) OnActiveFormChange(this);
}

TWinControl* TScreen::ActiveControl() const {
  TCustomForm* f = ActiveForm();
  return f ? f->ActiveControl() : nullptr;
}

TCursor TScreen::Cursor() const { return Application()->ScreenCursor(); }

void TScreen::SetCursor(TCursor Value) {
  Application()->SetScreenCursor(Value);
  ::SetCursor(Value == crDefault ? LoadCursor(nullptr, IDC_ARROW) : CursorHandle(Value));
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const {
  TRect r;
  SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

int TScreen::MonitorCount() const { return std::max(1, GetSystemMetrics(SM_CMONITORS)); }

TMonitor* TScreen::Monitors(int Index) const {
  if (Index < 0 || Index >= MonitorCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  while (static_cast<int>(monitors_.size()) <= Index) {
    const int n = static_cast<int>(monitors_.size());
    monitors_.push_back(std::make_unique<TMonitor>(reinterpret_cast<void*>(static_cast<std::intptr_t>(n + 1)), n));
  }
  return monitors_[static_cast<std::size_t>(Index)].get();
}

TMonitor* TScreen::MonitorFromWindow(HWND Handle) const {
  HMONITOR m = ::MonitorFromWindow(Handle, MONITOR_DEFAULTTONEAREST);
  const int index = static_cast<int>(reinterpret_cast<std::intptr_t>(m)) - 1;
  return Monitors(std::clamp(index, 0, MonitorCount() - 1));
}

TStrings* TScreen::Fonts() const {
  if (fonts_) return fonts_.get();
  auto list = std::make_unique<TStringList>();
  list->SetSorted(true);
  list->SetDuplicates(TDuplicates::dupIgnore);
  for (const std::string& family : InstalledFontFamilies()) list->Add(family);
  fonts_ = std::move(list);
  return fonts_.get();
}
