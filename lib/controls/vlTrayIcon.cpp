// The notification-area icon: the shell record, the mouse on the icon, the popup menu, the icon
// cycle, balloons, and hiding the application to the notification area and back.

#include "lib/controls/vlTrayIcon.h"

#include "lib/menus/vlSkinMenus.h"
#include "lib/drawing/vlUtils.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Icon.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Screen.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

constexpr UINT kIconId = 1;
constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
// The main form's mark while the tray icon hid or showed it.
constexpr std::intptr_t kTrayMark = -10000;

// Texts of the record are cut to their field sizes, counted in characters.
std::string Cut(const std::string& Text, std::size_t Chars) {
  std::size_t i = 0, n = 0;
  while (i < Text.size() && n < Chars) {
    const auto c = static_cast<unsigned char>(Text[i]);
    i += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    ++n;
  }
  return Text.substr(0, std::min(i, Text.size()));
}

TShiftState AsyncShift() {
  TShiftState s;
  if (GetAsyncKeyState(VK_SHIFT) < 0) s.Include(TShiftStateFlag::ssShift);
  if (GetAsyncKeyState(VK_CONTROL) < 0) s.Include(TShiftStateFlag::ssCtrl);
  if (GetAsyncKeyState(VK_MENU) < 0) s.Include(TShiftStateFlag::ssAlt);
  return s;
}

TCustomForm* MainForm() { return dynamic_cast<TCustomForm*>(Application()->MainForm()); }

}  // namespace

// ---- Life -------------------------------------------------------------------------------------

TvlTrayIcon::TvlTrayIcon(TComponent* AOwner) : TComponent(AOwner) {
  FTaskbarCreated = RegisterWindowMessage("TaskbarCreated");
  FIcon = std::make_unique<TIcon>();
  FHandle = AllocateHWnd([this](TMessage& M) { TrayWndProc(M); });
  FIconData.hWnd = FHandle;
  FIconData.uID = kIconId;
  FIconData.uFlags = kIconFlags;
  FIconData.uCallbackMessage = WM_vlTrayIconCallback;
  AnimateTimer = vlNewStoppedTimer(this, FAnimateTimerInterval, [this](TObject*) { AnimateTimerProc(); });
  ClickTimer = vlNewStoppedTimer(this, GetDoubleClickTime(), [this](TObject*) { ClickTimerProc(); });
  if (TApplication* app = Application()) {
    if (FIcon->Empty() && DefaultToApplicationIcon()) {
      if (TIcon* appIcon = app->Icon(); appIcon && !appIcon->Empty()) FIcon->Assign(appIcon);
    }
    // The application window is made now: it is the one that hears the notification area come
    // back.
    (void)app->Handle();
    app->HookMainWindow([this](TMessage& M) { return AppWndProc(M); }, this);
  }
  if (auto* owner = OwnerControl())
    FFormHookId = owner->AddWindowProcHook([this](TMessage& M, const TWndMethod& Next) { FormWndProc(M, Next); });
}

TvlTrayIcon::~TvlTrayIcon() {
  SetIconVisible(false);
  SetDesignPreview(false);
  ReplaceReference(FPopupMenu, static_cast<TvlSkinPopupMenu*>(nullptr));
  ReplaceReference(FIconList, static_cast<TCustomImageList*>(nullptr));
  if (FHandle) DeallocateHWnd(FHandle);
  FHandle = nullptr;
  if (Application()) Application()->UnhookMainWindow(this);
  TWinControl* owner = OwnerControl();
  if (owner && FFormHookId && !owner->ComponentState().Contains(TComponentStateFlag::csDestroying))
    owner->RemoveWindowProcHook(FFormHookId);
}

TWinControl* TvlTrayIcon::OwnerControl() const { return dynamic_cast<TWinControl*>(Owner()); }

void TvlTrayIcon::Loaded() {
  TComponent::Loaded();
  if (OwnerControl() && MinimizedOnStart) {
    FIconVisible = true;
    MinimizeToTray = true;
    Application()->ShowMainForm = false;
    ShowWindow(Application()->Handle(), SW_HIDE);
  }
  ModifyTrayIcon();
  if (FIconVisible)
    AddTrayIcon();
  else
    DeleteTrayIcon();
}

void TvlTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
  if (AComponent == FIconList) FIconList = nullptr;
}

// ---- The shell record --------------------------------------------------------------------------

void TvlTrayIcon::RefreshIconData() {
  FIconData.hIcon = FIcon->Empty() ? nullptr : FIcon->Handle();
  FIconData.szTip = FShowHint && !FHint.empty() ? Cut(FHint, kNotifyTipChars) : std::string();
}

bool TvlTrayIcon::AddTrayIcon() {
  if (!SettingPreview) FIconVisible = true;
  RefreshIconData();
  return Shell_NotifyIcon(NIM_ADD, &FIconData) != FALSE;
}

bool TvlTrayIcon::DeleteTrayIcon() {
  if (!SettingPreview) FIconVisible = false;
  RefreshIconData();
  return Shell_NotifyIcon(NIM_DELETE, &FIconData) != FALSE;
}

bool TvlTrayIcon::ModifyTrayIcon() {
  RefreshIconData();
  return Shell_NotifyIcon(NIM_MODIFY, &FIconData) != FALSE;
}

// ---- Properties ----------------------------------------------------------------------------------

void TvlTrayIcon::SetIcon(TIcon* Value) {
  if (Value)
    FIcon->Assign(Value);
  else
    FIcon = std::make_unique<TIcon>();
  ModifyTrayIcon();
}

void TvlTrayIcon::SetIconVisible(bool Value) {
  if (Value)
    AddTrayIcon();
  else
    DeleteTrayIcon();
}

void TvlTrayIcon::SetHint(const std::string& Value) {
  FHint = Value;
  ModifyTrayIcon();
}

void TvlTrayIcon::SetShowHint(bool Value) {
  FShowHint = Value;
  ModifyTrayIcon();
}

void TvlTrayIcon::SetPopupMenu(TvlSkinPopupMenu* Value) { ReplaceReference(FPopupMenu, Value); }

void TvlTrayIcon::SetIconIndex(int Value) {
  if (FIconList && FIconList->Count() > 0) {
    FIconIndex = std::clamp(Value, 0, FIconList->Count() - 1);
    FIconList->GetIcon(FIconIndex, FIcon.get());
  } else {
    FIconIndex = 0;
  }
  ModifyTrayIcon();
}

void TvlTrayIcon::SetIconList(TCustomImageList* Value) {
  ReplaceReference(FIconList, Value);
  SetIconIndex(0);
}

void TvlTrayIcon::SetCycleIcons(bool Value) {
  FCycleIcons = Value;
  if (Value) SetIconIndex(0);
  AnimateTimer->SetEnabled(Value && FAnimateTimerInterval > 0);
}

void TvlTrayIcon::SetAnimateTimerInterval(unsigned Value) {
  FAnimateTimerInterval = Value;
  AnimateTimer->SetInterval(Value);
  AnimateTimer->SetEnabled(FCycleIcons && Value > 0);
}

void TvlTrayIcon::SetDesignPreview(bool Value) {
  FDesignPreview = Value;
  SettingPreview = true;
  // The preview is a design-time aid: at run time nothing is added or removed by it.
  SettingPreview = false;
}

// ---- Events -----------------------------------------------------------------------------------------

void TvlTrayIcon::DoClick() {
  if (OnClick) OnClick(this);
}
void TvlTrayIcon::DoDblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TvlTrayIcon::DoCycle() {
  if (!OnCycle) return;
  int next = 0;
  if (FIconList) next = FIconIndex < FIconList->Count() - 1 ? FIconIndex + 1 : 0;
  OnCycle(this, next);
}
void TvlTrayIcon::DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TvlTrayIcon::DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TvlTrayIcon::DoMouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TvlTrayIcon::DoMinimizeToTray() {
  // NOTE: the application hides only when the icon is there: without a notification area the
  // hidden main form could never be reached again.
  if (AddTrayIcon()) HideMainForm();
}

// ---- The hidden window ----------------------------------------------------------------------------------

void TvlTrayIcon::TrayWndProc(TMessage& M) {
  if (M.Msg == WM_vlTrayIconCallback) {
    if (Enabled) IconMouse(static_cast<UINT>(M.LParam));
    return;
  }
  switch (M.Msg) {
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_USERCHANGED:
    case WM_NCDESTROY: M.Result = 1; return;
    default: M.Result = DefWindowProc(FHandle, M.Msg, M.WParam, M.LParam);
  }
}

void TvlTrayIcon::IconMouse(UINT MouseMessage) {
  TPoint p{};
  GetCursorPos(&p);
  TShiftState shift = AsyncShift();
  const auto with = [shift](TShiftStateFlag Button) {
    TShiftState s = shift;
    s.Include(Button);
    return s;
  };
  TWeak<TvlTrayIcon> alive(this);
  switch (MouseMessage) {
    case WM_MOUSEMOVE: DoMouseMove(shift, p.X, p.Y); break;
    case WM_LBUTTONDOWN:
      ClickTimer->SetEnabled(false);
      ClickTimer->SetEnabled(true);
      DoMouseDown(TMouseButton::mbLeft, with(TShiftStateFlag::ssLeft), p.X, p.Y);
      if (!alive) return;
      FClickStart = true;
      if (PopupByLeftButton) PopupAtCursor();
      break;
    case WM_RBUTTONDOWN:
      DoMouseDown(TMouseButton::mbRight, with(TShiftStateFlag::ssRight), p.X, p.Y);
      if (alive) PopupAtCursor();
      break;
    case WM_MBUTTONDOWN: DoMouseDown(TMouseButton::mbMiddle, with(TShiftStateFlag::ssMiddle), p.X, p.Y); break;
    case WM_LBUTTONUP:
      if (FClickStart) FClickReady = true;
      if (FClickStart && !ClickTimer->Enabled()) {
        FClickStart = FClickReady = false;
        DoClick();
        if (!alive) return;
      }
      FClickStart = false;
      DoMouseUp(TMouseButton::mbLeft, with(TShiftStateFlag::ssLeft), p.X, p.Y);
      break;
    case WM_RBUTTONUP: DoMouseUp(TMouseButton::mbRight, with(TShiftStateFlag::ssRight), p.X, p.Y); break;
    case WM_MBUTTONUP: DoMouseUp(TMouseButton::mbMiddle, with(TShiftStateFlag::ssMiddle), p.X, p.Y); break;
    case WM_LBUTTONDBLCLK:
      FClickReady = false;
      IsDblClick = true;
      DoDblClick();
      if (!alive) return;
      // The menu's default item answers a double click when the menu opens by the right button.
      if (FPopupMenu && FPopupMenu->AutoPopup() && !PopupByLeftButton) {
        TMenuItem* root = FPopupMenu->Items();
        for (int i = 0; i < root->Count(); ++i)
          if (root->Items(i)->Default()) {
            root->Items(i)->Click();
            break;
          }
      }
      break;
    case NIN_BALLOONUSERCLICK:
      if (OnBalloonHintClick) OnBalloonHintClick(this);
      break;
    default: break;
  }
}

void TvlTrayIcon::ClickTimerProc() {
  ClickTimer->SetEnabled(false);
  TWeak<TvlTrayIcon> alive(this);
  if (!IsDblClick && FClickReady) {
    FClickReady = false;
    DoClick();
    if (!alive) return;
  }
  IsDblClick = false;
}

void TvlTrayIcon::PopupAtCursor() {
  if (!FPopupMenu || !FPopupMenu->AutoPopup()) return;
  TPoint p{};
  if (!GetCursorPos(&p)) return;
  TWeak<TvlTrayIcon> alive(this);
  TWeak<TvlSkinPopupMenu> menu(FPopupMenu);
  Application()->ProcessMessages();
  if (!alive || !menu) return;
  SetForegroundWindow(FHandle);
  TWinControl* owner = OwnerControl();
  if (owner && owner->HandleAllocated()) SetForegroundWindow(owner->Handle());
  menu->SetPopupComponent(this);
  menu->Popup(p.X, p.Y);
  if (alive && owner && owner->HandleAllocated()) PostMessage(owner->Handle(), WM_NULL, 0, 0);
}

// ---- The icon cycle and balloons ---------------------------------------------------------------------------

void TvlTrayIcon::AnimateTimerProc() {
  if (!FIconList || FIconList->Count() == 0) return;
  FIconList->GetIcon(std::min(FIconIndex, FIconList->Count() - 1), FIcon.get());
  TWeak<TvlTrayIcon> alive(this);
  DoCycle();
  if (!alive) return;
  ModifyTrayIcon();
  SetIconIndex(FIconIndex < FIconList->Count() - 1 ? FIconIndex + 1 : 0);
}

bool TvlTrayIcon::ShowBalloonHint(const std::string& Title, const std::string& Text, TvlBalloonHintIcon IconType) {
  HideBalloonHint();
  FIconData.uFlags = kIconFlags | NIF_INFO;
  FIconData.szInfo = Cut(Text, kNotifyInfoChars);
  FIconData.szInfoTitle = Cut(Title, kNotifyInfoTitleChars);
  static constexpr DWORD kFlags[] = {NIIF_NONE, NIIF_INFO, NIIF_WARNING, NIIF_ERROR};
  FIconData.dwInfoFlags = kFlags[static_cast<int>(IconType)];
  const bool shown = ModifyTrayIcon();
  FIconData.uFlags = kIconFlags;
  return shown;
}

bool TvlTrayIcon::HideBalloonHint() {
  FIconData.uFlags = kIconFlags | NIF_INFO;
  FIconData.szInfo.clear();
  const bool done = ModifyTrayIcon();
  FIconData.uFlags = kIconFlags;
  return done;
}

bool TvlTrayIcon::BitmapToIcon(TBitmap* Bitmap, TIcon* Icon, TColor MaskColor) {
  if (!Bitmap || !Icon) return false;
  TImageList list(nullptr);
  list.SetWidth(16);
  list.SetHeight(16);
  list.AddMasked(Bitmap, MaskColor);
  list.GetIcon(0, Icon);
  return true;
}

// ---- The application hidden and shown --------------------------------------------------------------------------

void TvlTrayIcon::HideMainForm() {
  TCustomForm* main = MainForm();
  if (!OwnerControl() || !main) return;
  main->Hide();
  ShowWindow(Application()->Handle(), SW_HIDE);
  main->Tag = kTrayMark;
}

void TvlTrayIcon::ShowMainForm() {
  TCustomForm* main = MainForm();
  if (!OwnerControl() || !main) return;
  // The application window itself never shows here: restoring the application is restoring the
  // forms it minimized.
  if (Application()->Minimized()) Application()->Restore();
  main->Show();
  if (main->WindowState() == TWindowState::wsMinimized) main->SetWindowState(TWindowState::wsNormal);
  main->Tag = kTrayMark;
  if (main->HandleAllocated()) PostMessage(main->Handle(), WM_vlTrayRestoreForeground, 0, 0);
}

bool TvlTrayIcon::AppWndProc(TMessage& M) {
  if (M.Msg == WM_SIZE && M.WParam == SIZE_MINIMIZED && MinimizeToTray) {
    DoMinimizeToTray();
  } else if (M.Msg == WM_WINDOWPOSCHANGED && SettingMDIForm && MainForm()) {
    if (MainForm()->FormStyle() == TFormStyle::fsMDIForm && MinimizedOnStart)
      ShowWindow(Application()->Handle(), SW_HIDE);
    SettingMDIForm = false;
  } else if (M.Msg == FTaskbarCreated && FIconVisible) {
    // The notification area came back: the icon goes in again.
    AddTrayIcon();
  }
  return false;  // the application window's own procedure goes on
}

void TvlTrayIcon::FormWndProc(TMessage& M, const TWndMethod& Next) {
  if (M.Msg == WM_ACTIVATE && (LOWORD(static_cast<std::uintptr_t>(M.WParam)) == WA_ACTIVE ||
                               LOWORD(static_cast<std::uintptr_t>(M.WParam)) == WA_CLICKACTIVE)) {
    if (TWinControl* active = Screen()->ActiveControl()) {
      TWinControl* parent = active->Parent() ? active->Parent() : active;
      const auto losing = reinterpret_cast<HWND>(M.LParam);
      if (parent->HandleAllocated() && losing != parent->Handle() && active->CanFocus()) active->SetFocus();
    }
  } else if (M.Msg == WM_SHOWWINDOW && M.WParam != 0 && M.LParam == 0) {
    // Shown by a show call: the application comes back with it, its window to the front.
    if (Application()->Minimized()) Application()->Restore();
    if (TWinControl* owner = OwnerControl(); owner && owner->HandleAllocated()) SetForegroundWindow(owner->Handle());
  }
  Next(M);
}
