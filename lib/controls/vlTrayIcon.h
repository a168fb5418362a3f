#pragma once
// TvlTrayIcon: an icon in the desktop's notification area. It keeps the icon's tip, cycles it
// through the images of an image list, shows balloon tips, turns the mouse on the icon into
// events (a single click is reported once the double-click time has passed without a second
// click) and a skinned popup menu, and hides the application to the notification area when it
// is minimized (MinimizeToTray).
//
// The icon lives in a hidden window of its own; the component also watches the application
// window (minimizing, the notification area coming back) and its owner form's window (focus on
// activation, the application shown again with the form). GUI thread only.

#include <functional>
#include <memory>
#include <string>

#include "platform/controls/Component.h"
#include "platform/controls/Controls.h"
#include "platform/windowing/NotifyIcon.h"

class TBitmap;
class TCustomImageList;
class TIcon;
class TTimer;
class TvlSkinPopupMenu;

// Posted by the tray icon to the main form it showed; the form skinner brings the form to the
// front. wParam and lParam 0.
constexpr UINT WM_vlTrayRestoreForeground = WM_USER + 402;  // 1426
// The icon's callback message to its hidden window (lParam: the mouse message).
constexpr UINT WM_vlTrayIconCallback = WM_USER + 1024;  // 2048

enum class TvlBalloonHintIcon { vlbitNone, vlbitInfo, vlbitWarning, vlbitError };
using TvlCycleEvent = std::function<void(TObject* Sender, int NextIndex)>;

class TvlTrayIcon : public TComponent {
 public:
  // Enabled, visible icon with a tip, MinimizeToTray on; the application's icon when it has one.
  explicit TvlTrayIcon(TComponent* AOwner);
  // Removes the icon and gives the application and owner windows their procedures back.
  ~TvlTrayIcon() override;

  // Applies MinimizedOnStart (owner a windowed control), then the icon and its visibility.
  void Loaded() override;

  // NIM_MODIFY with the current record; false when the shell refused.
  bool Refresh() { return ModifyTrayIcon(); }
  // A 16 x 16 icon from Bitmap, MaskColor transparent.
  bool BitmapToIcon(TBitmap* Bitmap, TIcon* Icon, TColor MaskColor);
  // Brings the application back from the notification area: the main form shows in its normal
  // state and is told to come to the front.
  void ShowMainForm();
  // Hides the application to the notification area (the main form is marked for the form skinner).
  void HideMainForm();
  // A balloon at the icon (title cut to 63 characters, text to 255); the shell's answer.
  bool ShowBalloonHint(const std::string& Title, const std::string& Text, TvlBalloonHintIcon IconType);
  bool HideBalloonHint();
  // The hidden window the icon belongs to.
  [[nodiscard]] HWND Handle() const { return FHandle; }
  // The shell record (for tests and descendants).
  [[nodiscard]] const NOTIFYICONDATA& IconData() const { return FIconData; }

  // ---- Properties ----
  bool Enabled = true;  // mouse messages of the icon are handled
  [[nodiscard]] TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value);  // copies the icon
  [[nodiscard]] bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool Value);
  [[nodiscard]] const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  [[nodiscard]] bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  [[nodiscard]] TvlSkinPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TvlSkinPopupMenu* Value);  // cleared when the menu is freed
  bool PopupByLeftButton = false;
  bool MinimizedOnStart = false;
  bool MinimizeToTray = true;
  [[nodiscard]] int IconIndex() const { return FIconIndex; }
  // With an icon list the image at the index (at most the last) becomes the icon; else 0.
  void SetIconIndex(int Value);
  [[nodiscard]] TCustomImageList* IconList() const { return FIconList; }
  void SetIconList(TCustomImageList* Value);  // cleared when the list is freed
  [[nodiscard]] bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool Value);
  [[nodiscard]] unsigned AnimateTimerInterval() const { return FAnimateTimerInterval; }
  void SetAnimateTimerInterval(unsigned Value);  // 0 never cycles
  [[nodiscard]] bool DesignPreview() const { return FDesignPreview; }
  void SetDesignPreview(bool Value);

  TNotifyEvent OnClick, OnDblClick, OnBalloonHintClick;
  TvlCycleEvent OnCycle;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // ---- The shell calls ----
  // Icons made from the application's when empty.
  virtual bool DefaultToApplicationIcon() { return true; }
  // NIM_ADD, NIM_DELETE, NIM_MODIFY with the refreshed record; Add and Delete set IconVisible
  // first. False when the shell refused.
  virtual bool AddTrayIcon();
  virtual bool DeleteTrayIcon();
  virtual bool ModifyTrayIcon();

  // The steps behind the timers (normally run by them).
  void ClickTimerProc();
  void AnimateTimerProc();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoClick();
  virtual void DoDblClick();
  virtual void DoCycle();
  virtual void DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DoMouseMove(TShiftState Shift, int X, int Y);
  // The application was minimized with MinimizeToTray: the icon shows and, once it is there,
  // the application hides.
  virtual void DoMinimizeToTray();

 private:
  void TrayWndProc(TMessage& M);
  void IconMouse(UINT MouseMessage);
  bool AppWndProc(TMessage& M);
  void FormWndProc(TMessage& M, const TWndMethod& Next);
  void PopupAtCursor();
  void RefreshIconData();
  [[nodiscard]] TWinControl* OwnerControl() const;

  std::unique_ptr<TIcon> FIcon;
  bool FIconVisible = true;
  std::string FHint;
  bool FShowHint = true;
  TvlSkinPopupMenu* FPopupMenu = nullptr;
  bool FClickStart = false, FClickReady = false;
  bool IsDblClick = false;
  TTimer* AnimateTimer = nullptr;  // owned
  TTimer* ClickTimer = nullptr;    // owned
  int FIconIndex = 0;
  bool FDesignPreview = false;
  bool SettingPreview = false;
  bool SettingMDIForm = true;
  TCustomImageList* FIconList = nullptr;
  bool FCycleIcons = false;
  unsigned FAnimateTimerInterval = 0;
  UINT FTaskbarCreated = 0;  // the registered "TaskbarCreated" message
  HWND FHandle = nullptr;
  int FFormHookId = 0;
  NOTIFYICONDATA FIconData;
};
