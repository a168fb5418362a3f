#include "platform/controls/Controls.h"

#include <algorithm>

#include "platform/controls/ActnList.h"
#include "platform/controls/Application.h"
#include "platform/windowing/MessageQueue.h"  // before Menus.h, which uses its types
#include "platform/controls/Menus.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/WindowTree.h"

namespace {
int MouseX(LPARAM l) { return static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l))); }
int MouseY(LPARAM l) { return static_cast<short>(HIWORD(static_cast<std::uintptr_t>(l))); }

char32_t FoldCase(char32_t c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

// The code point starting at s[i] (UTF-8), i moved past it; invalid bytes stand for themselves.
char32_t NextCodePoint(const std::string& s, std::size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i++]);
  if (c < 0x80) return c;
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  char32_t cp = c & (0x3F >> extra);
  for (; extra > 0 && i < s.size(); --extra) cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return cp;
}
}  // namespace

HCURSOR CursorHandle(TCursor Cursor) {
  switch (Cursor) {
    case crArrow: return LoadCursor(nullptr, IDC_ARROW);
    case crCross: return LoadCursor(nullptr, IDC_CROSS);
    case crIBeam: return LoadCursor(nullptr, IDC_IBEAM);
    case crSizeNESW: return LoadCursor(nullptr, IDC_SIZENESW);
    case crSizeNS: return LoadCursor(nullptr, IDC_SIZENS);
    case crSizeNWSE: return LoadCursor(nullptr, IDC_SIZENWSE);
    case crSizeWE: return LoadCursor(nullptr, IDC_SIZEWE);
    case crUpArrow: return LoadCursor(nullptr, IDC_UPARROW);
    case crHourGlass: return LoadCursor(nullptr, IDC_WAIT);
    case crNo: return LoadCursor(nullptr, IDC_NO);
    case crAppStart: return LoadCursor(nullptr, IDC_APPSTARTING);
    case crHelp: return LoadCursor(nullptr, IDC_HELP);
    case crHandPoint: return LoadCursor(nullptr, IDC_HAND);
    case crSizeAll: return LoadCursor(nullptr, IDC_SIZEALL);
    default: return nullptr;
  }
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(TShiftStateFlag::ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(TShiftStateFlag::ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(TShiftStateFlag::ssAlt);
  return s;
}

TShiftState MouseKeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(TShiftStateFlag::ssShift);
  if (Keys & MK_CONTROL) s.Include(TShiftStateFlag::ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(TShiftStateFlag::ssLeft);
  if (Keys & MK_RBUTTON) s.Include(TShiftStateFlag::ssRight);
  if (Keys & MK_MBUTTON) s.Include(TShiftStateFlag::ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(TShiftStateFlag::ssAlt);
  return s;
}

// ---- TSizeConstraints -------------------------------------------------------------------------

void TSizeConstraints::SetMinWidth(int Value) { min_width_ = std::max(0, Value); Changed(); }
void TSizeConstraints::SetMinHeight(int Value) { min_height_ = std::max(0, Value); Changed(); }
void TSizeConstraints::SetMaxWidth(int Value) { max_width_ = std::max(0, Value); Changed(); }
void TSizeConstraints::SetMaxHeight(int Value) { max_height_ = std::max(0, Value); Changed(); }

namespace {
// Cuts a size to the limits (0 as a maximum: none); the minimum wins over the maximum.
void ClampSize(int& Width, int& Height, int MinWidth, int MinHeight, int MaxWidth, int MaxHeight) {
  if (MaxWidth > 0 && Width > MaxWidth) Width = MaxWidth;
  if (MaxHeight > 0 && Height > MaxHeight) Height = MaxHeight;
  if (Width < MinWidth) Width = MinWidth;
  if (Height < MinHeight) Height = MinHeight;
}
}  // namespace

void TSizeConstraints::Apply(int& Width, int& Height) const {
  ClampSize(Width, Height, min_width_, min_height_, max_width_, max_height_);
}

void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TSizeConstraints*>(Source)) {
    min_width_ = c->min_width_;
    min_height_ = c->min_height_;
    max_width_ = c->max_width_;
    max_height_ = c->max_height_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TSizeConstraints::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TControl: life -------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), font_(std::make_unique<TFont>()), constraints_(std::make_unique<TSizeConstraints>()) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  font_->OnChange = [this](TObject* s) { FontChanged(s); };
  constraints_->OnChange = [this](TObject*) { SetBounds(left_, top_, width_, height_); };
}

TControl::~TControl() {
  Destroying();
  Application()->ControlDestroyed(this);
  if (parent_) parent_->RemoveControl(this);
  if (action_link_) action_link_->SetAction(nullptr);
}

namespace {
// Carries every change of an action to the control that follows it: the action announces each
// property change through Change, and the control's ActionChange takes what it follows (so a
// descendant following Checked or ImageIndex sees those changes too).
class TControlActionLink : public TActionLink {
 public:
  explicit TControlActionLink(TControl* AClient) : TActionLink(AClient), control_(AClient) {}

 protected:
  void Change() override {
    TActionLink::Change();
    if (TBasicAction* action = Action(); action && action == control_->Action()) control_->ActionChange(action, false);
  }

 private:
  TControl* control_;
};
}  // namespace

TBasicActionLink* TControl::ActionLink() const { return action_ ? action_link_.get() : nullptr; }

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (popup_menu_ == Value) return;
  ReplaceReference(popup_menu_, Value);
}

void TControl::SetAction(TBasicAction* Value) {
  if (action_ == Value) return;
  if (action_) action_->RemoveFreeNotification(this);
  action_ = Value;
  if (!Value) {
    if (action_link_) action_link_->SetAction(nullptr);
    return;
  }
  if (!action_link_) action_link_ = std::make_unique<TControlActionLink>(this);
  action_link_->SetAction(Value);
  Value->FreeNotification(this);
  ActionChange(Value, Loading());
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  if (!CheckDefaults || text_.empty()) SetCaption(action->Caption());
  if (!CheckDefaults || enabled_) SetEnabled(action->Enabled());
  if (!CheckDefaults || hint_.empty()) SetHint(action->Hint());
  if (!CheckDefaults || visible_) SetVisible(action->Visible());
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (auto_size_) AdjustSize();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (popup_menu_ && AComponent == popup_menu_) popup_menu_ = nullptr;
  if (action_ && AComponent == action_) {
    action_ = nullptr;
    if (action_link_) action_link_->SetAction(nullptr);
  }
}

// ---- TControl: parent and geometry -----------------------------------------------------------

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == parent_) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  int min_w = constraints_->MinWidth(), min_h = constraints_->MinHeight();
  int max_w = constraints_->MaxWidth(), max_h = constraints_->MaxHeight();
  ConstrainedResize(min_w, min_h, max_w, max_h);
  ClampSize(AWidth, AHeight, min_w, min_h, max_w, max_h);
  if (!CanResize(AWidth, AHeight)) {
    AWidth = width_;
    AHeight = height_;
  }
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  const TRect old = BoundsRect();
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  BoundsChanged(old);
  RequestAlign();
  if ((old.Width() != width_ || old.Height() != height_) && !Loading()) Resize();
}

void TControl::BoundsChanged(const TRect& OldBounds) {
  if (parent_ && visible_ && parent_->HandleAllocated()) {
    InvalidateRect(parent_->Handle(), &OldBounds, TRUE);
    Invalidate();
  }
}

TRect TControl::ClientRect() const { return Rect(0, 0, width_, height_); }
void TControl::SetClientWidth(int Value) { SetWidth(Value + width_ - ClientWidth()); }
void TControl::SetClientHeight(int Value) { SetHeight(Value + height_ - ClientHeight()); }

TPoint TControl::ClientOrigin() const {
  if (!parent_) return Point(left_, top_);
  TPoint p = parent_->ClientOrigin();
  return Point(p.X + left_, p.Y + top_);
}

TPoint TControl::ClientToScreen(TPoint P) const {
  TPoint o = ClientOrigin();
  return Point(P.X + o.X, P.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint P) const {
  TPoint o = ClientOrigin();
  return Point(P.X - o.X, P.Y - o.Y);
}

void TControl::SetAlign(TAlign Value) {
  if (align_ == Value) return;
  align_ = Value;
  if (Value != TAlign::alNone && Value != TAlign::alCustom) anchors_ = {TAnchorKind::akLeft, TAnchorKind::akTop};
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) { anchors_ = Value; }

void TControl::SetAutoSize(bool Value) {
  if (auto_size_ == Value) return;
  auto_size_ = Value;
  if (Value) AdjustSize();
}

void TControl::AdjustSize() {
  if (Loading()) return;
  int w = width_, h = height_;
  if (CanAutoSize(w, h)) SetBounds(left_, top_, w, h);
}

bool TControl::CanAutoSize(int&, int&) { return false; }
bool TControl::CanResize(int& NewWidth, int& NewHeight) {
  bool resize = true;
  if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
  return resize;
}

void TControl::ConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight) {
  if (OnConstrainedResize) OnConstrainedResize(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

void TControl::RequestAlign() {
  if (parent_) parent_->AlignControl(this);
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
    SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Invalidate();
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.insert(list.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
    SetWindowPos(w->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (parent_->HandleAllocated()) {
    TRect r = BoundsRect();
    InvalidateRect(parent_->Handle(), &r, TRUE);
  }
}

// ---- TControl: state properties ---------------------------------------------------------------

void TControl::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  VisibleChanged();
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::VisibleChanged() {
  if (parent_ && parent_->HandleAllocated()) {
    TRect r = BoundsRect();
    InvalidateRect(parent_->Handle(), &r, TRUE);
  }
}

void TControl::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetText(const std::string& Value) {
  if (text_ == Value) return;
  text_ = Value;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*) {
  parent_font_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (parent_font_ == Value) return;
  parent_font_ = Value;
  if (Value && parent_) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
  if (color_ == Value) {
    parent_color_ = false;
    return;
  }
  color_ = Value;
  parent_color_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (parent_color_ == Value) return;
  parent_color_ = Value;
  if (Value && parent_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  show_hint_ = Value;
  parent_show_hint_ = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (parent_show_hint_ == Value) return;
  parent_show_hint_ = Value;
  if (Value && parent_) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

bool TControl::EffectiveShowHint() const { return show_hint_; }

void TControl::SetCursor(TCursor Value) {
  if (cursor_ == Value) return;
  cursor_ = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

UINT TControl::DrawTextBiDiModeFlags(UINT Flags) const {
  if (UseRightToLeftAlignment()) {
    if ((Flags & (DT_CENTER | DT_RIGHT)) == 0) Flags |= DT_RIGHT;
    else if (Flags & DT_RIGHT) Flags &= ~DT_RIGHT;
  }
  if (UseRightToLeftReading()) Flags |= DT_RTLREADING;
  return Flags;
}

void TControl::SetBiDiMode(TBiDiMode Value) {
  parent_bidi_mode_ = false;
  if (bidi_mode_ == Value) return;
  bidi_mode_ = Value;
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool Value) {
  if (parent_bidi_mode_ == Value) return;
  parent_bidi_mode_ = Value;
  if (Value && parent_) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

// ---- TControl: messages -----------------------------------------------------------------------

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  return RunChain(m);
}

LRESULT TControl::RunChain(TMessage& Message) {
  if (hooks_.empty()) {
    TWndMethod proc = WindowProc;  // a handler may replace WindowProc while it runs
    if (proc) proc(Message);
    return Message.Result;
  }
  // Hooks run newest first; each Next runs the rest of a snapshot taken now, so a hook removed
  // or added meanwhile changes later messages only.
  auto snapshot = std::make_shared<std::vector<std::shared_ptr<TWindowProcHook>>>();
  for (auto it = hooks_.rbegin(); it != hooks_.rend(); ++it) snapshot->push_back(it->hook);
  TWndMethod last = WindowProc;
  std::function<void(TMessage&, std::size_t)> step = [&](TMessage& m, std::size_t i) {
    if (i >= snapshot->size()) {
      if (last) last(m);
      return;
    }
    TWndMethod next = [&step, i](TMessage& mm) { step(mm, i + 1); };
    (*(*snapshot)[i])(m, next);
  };
  step(Message, 0);
  return Message.Result;
}

int TControl::AddWindowProcHook(TWindowProcHook Hook) {
  const int id = next_hook_id_++;
  hooks_.push_back({id, std::make_shared<TWindowProcHook>(std::move(Hook))});
  return id;
}

void TControl::RemoveWindowProcHook(int Id) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [Id](const HookEntry& e) { return e.id == Id; }),
               hooks_.end());
}

void TControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (!Enabled()) return;
      break;
    default:
      break;
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
    case WM_RBUTTONDOWN: WMRButtonDown(Message); break;
    case WM_RBUTTONUP: WMRButtonUp(Message); break;
    case WM_MBUTTONDOWN: WMMButtonDown(Message); break;
    case WM_MBUTTONUP: WMMButtonUp(Message); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case WM_CANCELMODE: WMCancelMode(Message); break;
    case CM_MOUSEENTER: CMMouseEnter(Message); break;
    case CM_MOUSELEAVE: CMMouseLeave(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_CANCELMODE: CMCancelMode(Message); break;
    case CM_HINTSHOW: CMHintShow(Message); break;
    case CM_HITTEST: CMHitTest(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(Message); break;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(Message); break;
    default: DefaultHandler(Message); break;
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  // A windowless control keeps its text here; everything else has no default answer.
  if (Message.Msg == WM_GETTEXTLENGTH) Message.Result = static_cast<LRESULT>(text_.size());
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Extra) {
  if (Button == TMouseButton::mbLeft && control_style_.Contains(TControlStyleFlag::csCaptureMouse)) {
    Application()->SetCaptureControl(this);
  }
  if (Button == TMouseButton::mbLeft && control_style_.Contains(TControlStyleFlag::csClickEvents)) {
    control_state_.Include(TControlStateFlag::csClicked);
  }
  if (Button == TMouseButton::mbLeft) control_state_.Include(TControlStateFlag::csLButtonDown);
  MouseDown(Button, MouseKeysToShiftState(Message.WParam) + Extra, MouseX(Message.LParam), MouseY(Message.LParam));
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  const int x = MouseX(Message.LParam), y = MouseY(Message.LParam);
  TWeak<TControl> self(this);
  if (Button == TMouseButton::mbLeft) {
    Application()->SetCaptureControl(nullptr);
    const bool clicked = control_state_.Contains(TControlStateFlag::csClicked);
    control_state_.Exclude(TControlStateFlag::csClicked);
    control_state_.Exclude(TControlStateFlag::csLButtonDown);
    if (clicked && ClientRect().Contains(Point(x, y))) Click();
  }
  if (self) MouseUp(Button, MouseKeysToShiftState(Message.WParam), x, y);
}

void TControl::WMLButtonDown(TMessage& M) { DoMouseDown(M, TMouseButton::mbLeft, {}); }
void TControl::WMLButtonUp(TMessage& M) { DoMouseUp(M, TMouseButton::mbLeft); }
void TControl::WMLButtonDblClk(TMessage& M) {
  if (control_style_.Contains(TControlStyleFlag::csDoubleClicks)) {
    DoMouseDown(M, TMouseButton::mbLeft, {TShiftStateFlag::ssDouble});
    DblClick();
  } else {
    DoMouseDown(M, TMouseButton::mbLeft, {});
  }
}
void TControl::WMRButtonDown(TMessage& M) { DoMouseDown(M, TMouseButton::mbRight, {}); }
void TControl::WMRButtonUp(TMessage& M) {
  DoMouseUp(M, TMouseButton::mbRight);
  // A right click asks for the context menu (screen coordinates).
  TPoint p = ClientToScreen(Point(MouseX(M.LParam), MouseY(M.LParam)));
  Perform(WM_CONTEXTMENU, 0, MAKELPARAM(static_cast<WORD>(p.X), static_cast<WORD>(p.Y)));
}
void TControl::WMMButtonDown(TMessage& M) { DoMouseDown(M, TMouseButton::mbMiddle, {}); }
void TControl::WMMButtonUp(TMessage& M) { DoMouseUp(M, TMouseButton::mbMiddle); }
void TControl::WMMouseMove(TMessage& M) {
  MouseMove(MouseKeysToShiftState(M.WParam), MouseX(M.LParam), MouseY(M.LParam));
}

void TControl::WMContextMenu(TMessage& M) {
  if (M.Result != 0) return;
  TPoint screen{MouseX(M.LParam), MouseY(M.LParam)};
  TPoint local = (screen.X == -1 && screen.Y == -1) ? Point(-1, -1) : ScreenToClient(screen);
  if (!(screen.X == -1 && screen.Y == -1) && !ClientRect().Contains(local)) {
    DefaultHandler(M);  // on the frame: the window's own answer (a caption's system menu)
    return;
  }
  bool handled = false;
  DoContextPopup(local, handled);
  if (handled) {
    M.Result = 1;
    return;
  }
  if (popup_menu_ && popup_menu_->AutoPopup()) {
    if (screen.X == -1 && screen.Y == -1) screen = ClientToScreen(Point(0, 0));
    popup_menu_->SetPopupComponent(this);
    popup_menu_->Popup(screen.X, screen.Y);
    M.Result = 1;
    return;
  }
  if (parent_) {
    M.Result = parent_->Perform(WM_CONTEXTMENU, M.WParam, M.LParam);
  }
}

void TControl::WMCancelMode(TMessage&) {
  control_state_.Exclude(TControlStateFlag::csClicked);
  control_state_.Exclude(TControlStateFlag::csLButtonDown);
  Application()->SetCaptureControl(nullptr);
}

void TControl::CMMouseEnter(TMessage&) {
  if (OnMouseEnter) OnMouseEnter(this);
}
void TControl::CMMouseLeave(TMessage&) {
  if (OnMouseLeave) OnMouseLeave(this);
}
void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage&) {}
void TControl::CMTextChanged(TMessage&) { Invalidate(); }
void TControl::CMFontChanged(TMessage&) {
  if (auto_size_) AdjustSize();
  Invalidate();
}
void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage&) {
  if (!parent_font_ || !parent_) return;
  auto saved = font_->OnChange;
  font_->OnChange = nullptr;
  font_->Assign(parent_->Font());
  font_->OnChange = saved;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::CMParentColorChanged(TMessage&) {
  if (!parent_color_ || !parent_) return;
  color_ = parent_->Color();
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::CMBiDiModeChanged(TMessage&) { Invalidate(); }

void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (!parent_bidi_mode_ || !parent_ || bidi_mode_ == parent_->BiDiMode()) return;
  bidi_mode_ = parent_->BiDiMode();  // not through SetBiDiMode: the control keeps following
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (parent_show_hint_ && parent_) show_hint_ = parent_->ShowHint();
}

void TControl::CMCancelMode(TMessage& M) {
  if (reinterpret_cast<TControl*>(M.LParam) != this) Perform(WM_CANCELMODE, 0, 0);
}

void TControl::CMHintShow(TMessage&) {}
void TControl::CMHitTest(TMessage& M) { M.Result = HTCLIENT; }
void TControl::CMDialogChar(TMessage&) {}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Click() {
  // An OnClick of the control's own takes precedence over the linked action (as for a menu
  // item); without one, the link executes the action with this control as ActionComponent.
  if (OnClick) {
    OnClick(this);
    return;
  }
  if (TBasicActionLink* link = ActionLink()) link->Execute(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}


// ---- TControl: painting -----------------------------------------------------------------------

void TControl::Invalidate() {
  if (!parent_ || !visible_ || !parent_->HandleAllocated()) return;
  TRect r = BoundsRect();
  InvalidateRect(parent_->handle_, &r, !control_style_.Contains(TControlStyleFlag::csOpaque));
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

bool TControl::IsAccel(char32_t Key, const std::string& Text) {
  std::size_t i = 0;
  while (i < Text.size()) {
    char32_t c = NextCodePoint(Text, i);
    if (c != '&' || i >= Text.size()) continue;
    char32_t marked = NextCodePoint(Text, i);
    if (marked == '&') continue;  // "&&" is a literal ampersand
    return FoldCase(marked) == FoldCase(Key);
  }
  return false;
}
