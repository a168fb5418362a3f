#include "platform/controls/Application.h"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>

#include <algorithm>

#include "platform/controls/Controls.h"
#include "platform/controls/Dialogs.h"
#include "platform/windowing/Display.h"
#include "platform/controls/Forms.h"
#include "platform/controls/HintWindow.h"
#include "platform/graphics/Icon.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/WindowTree.h"

namespace {
std::atomic<TApplication*> g_current{nullptr};
}  // namespace

TApplication* Application() {
  if (TApplication* app = g_current.load()) return app;
  static TApplication* fallback = new TApplication(nullptr);
  return g_current.load() ? g_current.load() : fallback;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), previous_(g_current.load()) {
  // The program's file name without its extension, until the program sets its own title.
  std::string exe = ExeName();
  title_ = exe.substr(exe.rfind('/') + 1);
  const std::size_t dot = title_.rfind('.');
  if (dot != std::string::npos && dot > 0) title_.resize(dot);
  hint_color_ = clInfoBk;
  g_current.store(this);
}

TApplication::~TApplication() {
  if (handle_) {
    SetWindowLongPtr(handle_, GWL_USERDATA, 0);
    DestroyWindow(handle_);
    handle_ = nullptr;
  }
  TApplication* self = this;
  g_current.compare_exchange_strong(self, previous_);
}

void TApplication::Initialize() { detail::EnsureThreadQueue(); }

void TApplication::Run() {
  // The main form is made hidden; the loop shows it unless the program keeps it hidden (a
  // program that starts in the notification area, for one). A minimized main form shows
  // minimized.
  if (auto* main = dynamic_cast<TCustomForm*>(MainForm()); main && ShowMainForm) {
    if (main->WindowState() == TWindowState::wsMinimized) main->SetVisible(true);
    else main->Show();
  }
  while (!Terminated()) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessage(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (!message_hooks_.empty()) {
    // Snapshot: a hook may remove itself (or another) while it runs.
    std::vector<std::shared_ptr<TMessageEvent>> hooks;
    hooks.reserve(message_hooks_.size());
    for (auto it = message_hooks_.rbegin(); it != message_hooks_.rend(); ++it) hooks.push_back(it->hook);
    for (auto& h : hooks) {
      // A hook removed by an earlier one (its component may be gone) is skipped.
      const bool present = std::any_of(message_hooks_.begin(), message_hooks_.end(),
                                       [&h](const MessageHookEntry& e) { return e.hook == h; });
      if (present && *h) (*h)(Msg, handled);
      if (handled) break;
    }
  }
  if (!handled && OnMessage) OnMessage(Msg, handled);
  if (!handled) {
    TranslateMessage(&Msg);
    DispatchMessage(&Msg);
  }
  return true;
}

void TApplication::Idle(const MSG&) {
  bool done = true;
  if (OnIdle) OnIdle(this, done);
  if (done) WaitMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr error = std::current_exception();
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    if (OnException) {
      OnException(Sender, e);
    } else {
      ShowException(e);
    }
  } catch (const std::exception& e) {
    Exception wrapped(e.what());
    if (OnException) {
      OnException(Sender, wrapped);
    } else {
      std::fprintf(stderr, "%s: %s\n", title_.c_str(), e.what());
    }
  } catch (...) {
    Exception wrapped("Unknown exception");
    if (OnException) {
      OnException(Sender, wrapped);
    } else {
      std::fprintf(stderr, "%s: unknown exception\n", title_.c_str());
    }
  }
}

bool TApplication::HelpContext(int Context) {
  if (!OnHelp) return false;
  bool callHelp = true;
  return OnHelp(HELP_CONTEXT, Context, callHelp);
}

std::string TApplication::ExeName() const {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string{};
}

// ---- The application window -----------------------------------------------------------------------

namespace {
constexpr std::uintptr_t kHintShowTimer = 1;
constexpr std::uintptr_t kHintHideTimer = 2;

LRESULT ApplicationWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtr(hWnd, GWL_USERDATA));
  if (!app) return DefWindowProc(hWnd, Msg, wParam, lParam);
  TMessage m{Msg, wParam, lParam, 0};
  app->WndProc(m);
  return m.Result;
}
}  // namespace

void TApplication::SetTitle(const std::string& Value) {
  title_ = Value;
  if (handle_) SetWindowText(handle_, Value);
}

HWND TApplication::Handle() {
  if (handle_) return handle_;
  static const bool registered = [] {
    WNDCLASS wc;
    wc.lpfnWndProc = ApplicationWindowProc;
    wc.lpszClassName = "TApplication";
    return RegisterClass(&wc) != 0;
  }();
  (void)registered;
  handle_ = CreateWindowEx(WS_EX_TOOLWINDOW, "TApplication", title_.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           nullptr, nullptr);
  if (handle_) SetWindowLongPtr(handle_, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return handle_;
}

void TApplication::HookMainWindow(TWindowHook Hook, const void* Key) {
  hooks_.push_back({Key, std::make_shared<TWindowHook>(std::move(Hook))});
}

void TApplication::UnhookMainWindow(const void* Key) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [Key](const HookEntry& e) { return e.key == Key; }),
               hooks_.end());
}

void TApplication::WndProc(TMessage& M) {
  // Snapshot: a hook may unhook itself (or another) while it runs.
  std::vector<std::shared_ptr<TWindowHook>> hooks;
  for (auto& e : hooks_) hooks.push_back(e.hook);
  for (auto& h : hooks) {
    if ((*h)(M)) return;
  }
  switch (M.Msg) {
    case WM_TIMER:
      HintTimerExpired(M.WParam);
      return;
    case WM_ACTIVATEAPP:
      active_ = M.WParam != 0;
      if (active_ ? static_cast<bool>(OnActivate) : static_cast<bool>(OnDeactivate)) {
        (active_ ? OnActivate : OnDeactivate)(this);
      }
      if (!active_) CancelHint();
      return;
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    default:
      M.Result = DefWindowProc(handle_, M.Msg, M.WParam, M.LParam);
      return;
  }
}

TIcon* TApplication::Icon() {
  if (!icon_) icon_ = std::make_unique<TIcon>();
  return icon_.get();
}

void TApplication::Minimize() {
  if (minimized_) return;
  minimized_ = true;
  CancelHint();
  // A snapshot: minimizing a form moves the activation, which reorders the screen's list.
  std::vector<TWeak<TCustomForm>> forms;
  for (int i = 0; i < Screen()->FormCount(); ++i) forms.emplace_back(Screen()->Forms(i));
  for (auto& f : forms) {
    if (f && f->HandleAllocated() && IsWindowVisible(f->Handle()) && !IsIconic(f->Handle()) &&
        !(GetWindowLongPtr(f->Handle(), GWL_STYLE) & WS_CHILD)) {
      minimized_forms_.push_back(f);
      ShowWindow(f->Handle(), SW_SHOWMINNOACTIVE);  // iconified on the desktop
    }
  }
  // The application window hears it as its own minimizing (a notification-area icon hooks it).
  SendMessage(Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  if (!minimized_) return;
  minimized_ = false;
  auto forms = std::move(minimized_forms_);
  minimized_forms_.clear();
  for (auto& f : forms) {
    if (f && f->HandleAllocated() && IsIconic(f->Handle())) ShowWindow(f->Handle(), SW_RESTORE);
  }
  if (TCustomForm* main = dynamic_cast<TCustomForm*>(MainForm()); main && main->HandleAllocated()) {
    SetActiveWindow(main->Handle());
  }
  SendMessage(Handle(), WM_SIZE, SIZE_RESTORED, 0);
  if (OnRestore) OnRestore(this);
}

void TApplication::ShowException(const Exception& E) {
  if (OnException) {
    OnException(this, E);
    return;
  }
  std::string text = E.Message;
  if (!text.empty() && text.back() != '.') text += '.';
  if (Screen()->FormCount() > 0) {
    MessageBox(text, title_, MB_OK | MB_ICONSTOP);
  } else {
    std::fprintf(stderr, "%s: %s\n", title_.c_str(), text.c_str());
  }
}

// ---- Hints ----------------------------------------------------------------------------------------

void TApplication::SetShowHint(bool Value) {
  show_hint_ = Value;
  if (!Value) CancelHint();
}

void TApplication::SetHint(const std::string& Value) {
  if (hint_ == Value) return;
  hint_ = Value;
  if (OnHint) OnHint(this);
}

void TApplication::AddMessageHook(TMessageEvent Hook, const void* Key) {
  RemoveMessageHook(Key);
  message_hooks_.push_back({Key, std::make_shared<TMessageEvent>(std::move(Hook))});
}

void TApplication::RemoveMessageHook(const void* Key) {
  std::erase_if(message_hooks_, [Key](const MessageHookEntry& e) { return e.key == Key; });
}

bool TApplication::HasMessageHook(const void* Key) const {
  return std::any_of(message_hooks_.begin(), message_hooks_.end(),
                     [Key](const MessageHookEntry& e) { return e.key == Key; });
}

const THintWindowClass& TApplication::HintWindowClass() const {
  return hint_classes_.empty() ? hint_window_class_ : hint_classes_.back().cls;
}

void TApplication::HintWindowClassChanging() {
  // The window in use was made by the class that is going: the next hint makes a new one.
  CancelHint();
  delete hint_window_;
  hint_window_ = nullptr;
}

void TApplication::SetHintWindowClass(THintWindowClass Value) {
  if (hint_classes_.empty()) HintWindowClassChanging();
  hint_window_class_ = std::move(Value);
}

void TApplication::InstallHintWindowClass(THintWindowClass Value, const void* Key) {
  HintWindowClassChanging();
  std::erase_if(hint_classes_, [Key](const HintClassEntry& e) { return e.key == Key; });
  hint_classes_.push_back({Key, std::move(Value)});
}

void TApplication::RemoveHintWindowClass(const void* Key) {
  auto it = std::find_if(hint_classes_.begin(), hint_classes_.end(),
                         [Key](const HintClassEntry& e) { return e.key == Key; });
  if (it == hint_classes_.end()) return;
  if (std::next(it) == hint_classes_.end()) HintWindowClassChanging();  // the class in use goes
  hint_classes_.erase(it);
}

THintWindow* TApplication::HintWindow() const { return hint_window_; }

TControl* TApplication::HintControlAt(TControl* Control) const {
  // The hint of a control without one comes from the nearest parent that has one.
  for (TControl* c = Control; c; c = c->Parent()) {
    if (!c->Hint().empty()) return c;
  }
  return nullptr;
}

void TApplication::StartHintTimer(int Ms) {
  KillTimer(Handle(), kHintHideTimer);
  SetTimer(Handle(), kHintShowTimer, static_cast<UINT>(std::max(Ms, 1)), nullptr);
}

void TApplication::StopHintTimer() {
  if (!handle_) return;
  KillTimer(handle_, kHintShowTimer);
  KillTimer(handle_, kHintHideTimer);
}

void TApplication::HintTimerExpired(std::uintptr_t Id) {
  KillTimer(handle_, Id);
  if (Id == kHintShowTimer) {
    TPoint p;
    GetCursorPos(&p);
    ActivateHint(p);
  } else if (Id == kHintHideTimer) {
    HideHint();
  }
}

void TApplication::ActivateHint(TPoint CursorPos) {
  TControl* control = HintControlAt(hint_control_.Get());
  if (!control || !show_hint_ || !control->ShowHint()) return;
  THintInfo info;
  info.HintControl = control;
  info.CursorPos = control->ScreenToClient(CursorPos);
  info.CursorRect = control->ClientRect();
  info.HintPos = Point(CursorPos.X, CursorPos.Y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4);
  info.HintMaxWidth = Screen()->Width();
  info.HintColor = hint_color_;
  info.HideTimeout = hint_hide_pause_;
  info.HintStr = GetShortHint(control->Hint());
  TWeak<TControl> alive(control);
  const bool refused = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
  if (refused || !alive) return;
  // A control that narrows the rectangle (a list's row) is asked again once the pointer leaves it.
  const TPoint from = control->ClientToScreen(TPoint{info.CursorRect.Left, info.CursorRect.Top}),
               to = control->ClientToScreen(TPoint{info.CursorRect.Right, info.CursorRect.Bottom});
  hint_cursor_rect_ = TRect{from.X, from.Y, to.X, to.Y};
  bool canShow = true;
  if (OnShowHint) OnShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty()) return;
  if (!hint_window_) {
    const THintWindowClass& cls = HintWindowClass();
    hint_window_ = cls ? cls(this) : new THintWindow(this);
  }
  hint_window_->SetColor(info.HintColor);
  TRect r = hint_window_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  r = Bounds(info.HintPos.X, info.HintPos.Y, r.Width(), r.Height());
  hint_window_->ActivateHintData(r, info.HintStr, info.HintData);
  hint_showing_ = true;
  hint_recent_ = true;
  if (info.HideTimeout > 0) SetTimer(Handle(), kHintHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
}

void TApplication::HideHint() {
  StopHintTimer();
  if (hint_window_ && hint_showing_) hint_window_->ReleaseHandle();
  hint_showing_ = false;
}

void TApplication::CancelHint() {
  HideHint();
  hint_control_ = nullptr;
  hint_cursor_rect_ = TRect{};
}

void TApplication::CheckHintCursorRect() {
  if (hint_cursor_rect_.IsEmpty()) return;
  TPoint p;
  GetCursorPos(&p);
  if (hint_cursor_rect_.Contains(p)) return;
  hint_cursor_rect_ = TRect{};
  const bool wasShowing = hint_showing_ || hint_recent_;
  HideHint();
  if (show_hint_ && !capture_control_) StartHintTimer(wasShowing ? hint_short_pause_ : hint_pause_);
}

// ---- Mouse and capture bookkeeping ------------------------------------------------------------

TControl* TApplication::MouseControl() const { return mouse_control_.Get(); }
TControl* TApplication::CaptureControl() const { return capture_control_.Get(); }

void TApplication::SetCaptureControl(TControl* Control) {
  TControl* old = capture_control_.Get();
  capture_control_ = Control;
  if (Control) {
    auto* w = dynamic_cast<TWinControl*>(Control);
    TWinControl* holder = w ? w : Control->Parent();
    if (holder) SetCapture(holder->Handle());
    CancelHint();
  } else if (old) {
    ReleaseCapture();
    // The control the pointer reached while the mouse was held hears its enter now.
    if (TControl* under = mouse_control_.Get(); under && !mouse_control_entered_) {
      mouse_control_entered_ = true;
      under->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(under));
    }
  }
}

void TApplication::NoteMouseControl(TControl* Target, TWinControl* Window) {
  TControl* old = mouse_control_.Get();
  if (old == Target) {
    if (Target) CheckHintCursorRect();
    return;
  }
  hint_cursor_rect_ = TRect{};
  const bool oldEntered = mouse_control_entered_;
  mouse_control_ = Target;
  mouse_control_entered_ = false;
  TRACKMOUSEEVENT tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = Window->Handle();
  TrackMouseEvent(&tme);
  TWeak<TControl> target(Target);
  TControl* capture = capture_control_.Get();
  if (old && oldEntered && (!capture || old == capture)) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
  if (target && (!capture || target.Get() == capture)) {
    mouse_control_entered_ = true;
    target->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(target.Get()));
  }
  if (!target) return;
  TControl* hintControl = HintControlAt(target.Get());
  SetHint(hintControl ? GetLongHint(hintControl->Hint()) : std::string());
  if (hintControl == HintControlAt(hint_control_.Get()) && hintControl) {
    hint_control_ = target.Get();
    return;
  }
  const bool wasShowing = hint_showing_ || hint_recent_;
  HideHint();
  hint_recent_ = false;
  hint_control_ = target.Get();
  if (hintControl && show_hint_ && hintControl->ShowHint() && !capture_control_) {
    StartHintTimer(wasShowing ? hint_short_pause_ : hint_pause_);
  }
}

void TApplication::NoteMouseLeft(TWinControl* Window) {
  TControl* old = mouse_control_.Get();
  if (!old || !(old == Window || old->Parent() == Window)) return;
  mouse_control_ = nullptr;
  if (mouse_control_entered_) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
  mouse_control_entered_ = false;
  CancelHint();
  SetHint(std::string());
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (capture_control_.Get() == Control) {
    capture_control_ = nullptr;
    ReleaseCapture();
  }
  if (hint_control_.Get() == Control) CancelHint();
  if (mouse_control_.Get() == Control) {
    mouse_control_ = nullptr;
    mouse_control_entered_ = false;
  }
}

std::string GetShortHint(const std::string& Hint) {
  const std::size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint) {
  const std::size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  return ShowMessageBox(Text, Caption, Flags);
}
