#pragma once
// TvlVelmora: the component that skins one form. Placed on a form (its owner), it hooks the
// form's window procedure (the form's keyed hook chain, AddWindowProcHook) and from then on
// draws the form's non-client frame from the skin of its SkinData - or, without a skin, in a
// built-in look - answers the form's non-client size and hit tests, gives the form a window
// region cut from the skin mask, paints the client background, and follows the skin
// container's change messages: every skinned control of the form that uses the changing
// container is re-skinned, whatever container the form itself uses.
//
// The frame (geometry, size limits, hit testing, painting, region, backgrounds) is in
// VelmoraFrame.cpp; the objects laid out on it in VelmoraObjects.h.
//
// A form has at most one such component; other parts of the skin library find it as the first
// TvlVelmora among the form's components (vlFindSkinForm). GUI thread only.

#include <memory>
#include <string>
#include <vector>

#include "lib/forms/VelmoraObjects.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Component.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/Messages.h"
#include "platform/core/Set.h"
#include "platform/core/Types.h"

class TBitmap;
class TCanvas;
class TCustomImageList;
class TFont;
class TMainMenu;
class TMenu;
class TPopupMenu;
class TTimer;
class TvlLayerManager;
class TvlFormLayerBorder;
class TvlSkinHint;
class TvlSkinMainMenuBar;
class TvlSkinMDITabsBar;
class TvlSkinMenu;
class TvlSkinPopupMenu;
class TvlTrayIcon;
class TvlClientInActivePanel;
class TvlSkinStatusBar;

// ---- Messages a form skinner answers (wParam and lParam 0 unless stated) -----------------------

// Answered vlSkinFrameQueryAnswer by a skinned form, vlSkinFrameQueryPlatformFrame by one that
// lets the platform draw its frame.
constexpr UINT WM_vlSkinFrameQuery = 0xB1B2;
constexpr LRESULT vlSkinFrameQueryAnswer = 12853;
constexpr LRESULT vlSkinFrameQueryPlatformFrame = 12852;
// A show with effects begins and ends.
constexpr UINT WM_vlSmartEffectsBegin = 0xB1B3;
constexpr UINT WM_vlSmartEffectsEnd = 0xB1B4;
// The MDI family: the parent asks every child to fit the client area again (a maximized child
// takes the whole of it); a child tells the application's main form that it maximized itself,
// or that it left the maximized state (restored, minimized or destroyed). Sent, not posted.
constexpr UINT WM_vlMDIChildFitClient = 0x400 + 206;  // 1230
constexpr UINT WM_vlMDIChildMaximized = 0x400 + 207;  // 1231
constexpr UINT WM_vlMDIChildRestored = 0x400 + 208;   // 1232

// ---- Types --------------------------------------------------------------------------------------

enum class TvlBorderIcon { biSystemMenu, biMinimize, biMaximize, biRollUp, biMinimizeToTray };
using TvlBorderIcons = TSet<TvlBorderIcon>;
enum class TvlClientInActiveEffect { vlieSemiTransparent, vlieBlur };
enum class TvlPositionInMonitor { vlpDefault, vlpScreenCenter, vlpDesktopCenter };

using TvlCaptionPaintEvent = std::function<void(TCanvas* Cnvs, TRect R, bool AActive)>;
using TvlPaintEvent = std::function<void(const std::string& IDName, TCanvas* Canvas, TRect ObjectRect)>;
using TvlMouseEnterEvent = std::function<void(const std::string& IDName)>;
using TvlMouseLeaveEvent = std::function<void(const std::string& IDName)>;
using TvlMouseUpEvent =
    std::function<void(const std::string& IDName, int X, int Y, TRect ObjectRect, TMouseButton Button)>;
using TvlMouseDownEvent = TvlMouseUpEvent;
using TvlMouseMoveEvent = std::function<void(const std::string& IDName, int X, int Y, TRect ObjectRect)>;
using TvlActivateCustomObjectEvent = std::function<void(const std::string& IDName, bool& ObjectVisible)>;
using TvlOnAcceptToMDITabsBar = std::function<void(bool& Accept)>;

// ---- The form skinner -----------------------------------------------------------------------------

class TvlVelmora : public TComponent, public TvlSkinMenuHost {
 public:
  // AOwner must be a form (EInvalidCast otherwise). Empties the form's own border icons, switches
  // its AutoSize and AutoScroll off, hooks its window procedure and makes its window anew.
  explicit TvlVelmora(TComponent* AOwner);
  // Unhooks the form's window procedure (a form being destroyed is left alone) and gives a live
  // form its platform frame back.
  ~TvlVelmora() override;

  // ---- Properties with behaviour ----

  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  // Stores the container (cleared when it is freed); the form follows the container's
  // SkinnableForm unless it is an MDI child; the skin is applied at once.
  void SetSkinData(TvlSkinData* Value);
  // The container the form's menus use; SkinData when not set.
  [[nodiscard]] TvlSkinData* MenusSkinData() const override { return FMSD; }
  void SetMenusSkinData(TvlSkinData* Value);
  [[nodiscard]] bool UseRibbon() const { return FUseRibbon; }
  // True switches the skinned frame off (the platform frame is used).
  void SetUseRibbon(bool Value);
  [[nodiscard]] bool AlphaBlend() const { return FAlphaBlend; }
  // Makes the form window layered with opacity AlphaBlendValue, or plain again.
  void SetAlphaBlend(bool Value);
  [[nodiscard]] BYTE AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(BYTE Value);
  // The menu settings are handed to the form's skin menu.
  [[nodiscard]] bool MenusAlphaBlend() const { return FMenusAlphaBlend; }
  void SetMenusAlphaBlend(bool Value);
  [[nodiscard]] bool MenusAlphaBlendAnimation() const { return FMenusAlphaBlendAnimation; }
  void SetMenusAlphaBlendAnimation(bool Value);
  [[nodiscard]] BYTE MenusAlphaBlendValue() const { return FMenusAlphaBlendValue; }
  void SetMenusAlphaBlendValue(BYTE Value);
  // The skin menu's item height and font of the built-in look, and whether rows take the
  // skin's font.
  [[nodiscard]] int DefMenuItemHeight() const;
  void SetDefMenuItemHeight(int Value);
  [[nodiscard]] TFont* DefMenuItemFont() const;
  void SetDefMenuItemFont(TFont* Value);  // copies the font
  [[nodiscard]] bool UseSkinFontInMenu() const;
  void SetUseSkinFontInMenu(bool Value);
  // The hint component the form's caption objects show their hints through (cleared when it is
  // freed).
  [[nodiscard]] TvlSkinHint* SkinHint() const { return FSkinHint; }
  void SetSkinHint(TvlSkinHint* Value);
  [[nodiscard]] TvlBorderIcons BorderIcons() const { return FBorderIcons; }
  // Stores the set and repaints the frame.
  void SetBorderIcons(TvlBorderIcons Value);
  [[nodiscard]] bool ShowIcon() const { return FShowIcon; }
  void SetShowIcon(bool Value);
  [[nodiscard]] int MaxMenuItemsInWindow() const { return FMaxMenuItemsInWindow; }
  void SetMaxMenuItemsInWindow(int Value);  // negative values are ignored; handed to the skin menu
  // The built-in look's caption fonts (active and inactive); writes copy the font and repaint a
  // frame drawn without a skin.
  [[nodiscard]] TFont* DefCaptionFont() const { return FDefCaptionFont.get(); }
  void SetDefCaptionFont(TFont* Value);
  [[nodiscard]] TFont* DefInActiveCaptionFont() const { return FDefInActiveCaptionFont.get(); }
  void SetDefInActiveCaptionFont(TFont* Value);
  // Drawn in the middle of the client background; writes copy the picture.
  [[nodiscard]] TBitmap* LogoBitMap() const { return FLogoBitMap.get(); }
  void SetLogoBitMap(TBitmap* Value);
  [[nodiscard]] TCustomImageList* QuickImageList() const { return FQuickImageList; }
  void SetQuickImageList(TCustomImageList* Value);
  // The caption's quick buttons (owned); any change repaints the frame.
  [[nodiscard]] TvlQuickButtonItems* QuickButtons() const { return FQuickButtons.get(); }
  void SetQuickButtons(TvlQuickButtonItems* Value);  // copies the items
  [[nodiscard]] TPopupMenu* SystemMenu() const { return FSystemMenu; }
  void SetSystemMenu(TPopupMenu* Value);
  [[nodiscard]] bool SkinnableForm() const { return FSkinnableForm; }
  [[nodiscard]] bool GetSkinnableForm() const { return FSkinnableForm; }
  // Switches between the skinned frame and the platform frame at run time; every skinned
  // control of the form is re-skinned.
  void SetSkinnableForm(bool Value);
  [[nodiscard]] TWindowState WindowState() const { return FWindowState; }
  [[nodiscard]] bool RollUpState() const { return FRollUpState; }
  // The height before a roll-up while rolled up, else the frame's height.
  [[nodiscard]] int RealHeight() const { return FRollUpState ? OldHeight : FFormHeight; }
  void SetRealHeight(int Value) { OldHeight = Value; }

  // ---- Plain properties ----

  bool QuickButtonsShowHint = false;
  bool ClientInActiveEffect = false;
  TvlClientInActiveEffect ClientInActiveEffectType = TvlClientInActiveEffect::vlieSemiTransparent;
  bool DisableSystemMenu = false;
  bool AlwaysResize = false;  // sizing borders also on forms whose border style cannot size
  TvlPositionInMonitor PositionInMonitor = TvlPositionInMonitor::vlpDefault;
  bool UseFormCursorInNCArea = false;  // the form's cursor over the frame, except on sizing borders
  int ClientWidth = 0;                 // applied to the form after each skin, when above 0
  int ClientHeight = 0;
  bool HideCaptionButtons = false;
  bool AlwaysShowInTray = false;
  bool LogoBitMapTransparent = false;
  bool AlwaysMinimizeToTray = false;
  bool MaximizeOnFullScreen = false;  // the size limit is the whole monitor, not its work area
  bool AlphaBlendAnimation = false;
  bool ShowObjectHint = false;
  bool UseDefaultObjectHint = true;
  bool UseDefaultSysMenu = true;
  int MinHeight = 0, MinWidth = 0, MaxHeight = 0, MaxWidth = 0;  // 0: from the skin or the monitor
  bool Magnetic = false;
  BYTE MagneticSize = 5;
  bool MinimizeDefault = false;
  // Set by the skin chooser on its preview form: the form counts as always active.
  bool PreviewMode = false;
  // True forbids the layered outer border.
  bool AlwaysDisableLayeredFrames = false;

  // ---- Events ----

  TvlCaptionPaintEvent OnCaptionPaint;  // draws the built-in caption in place of the component
  TNotifyEvent OnChangeSkinData;        // a skin was applied to the form
  TNotifyEvent OnBeforeChangeSkinData;  // the form's container is about to change its skin
  TNotifyEvent OnAfterChangeSkinData;   // any container finished a change
  TvlMouseUpEvent OnMouseUpEvent;
  TvlMouseDownEvent OnMouseDownEvent;
  TvlMouseMoveEvent OnMouseMoveEvent;
  TvlMouseEnterEvent OnMouseEnterEvent;
  TvlMouseLeaveEvent OnMouseLeaveEvent;
  TvlPaintEvent OnPaintEvent;
  TNotifyEvent OnActivate, OnDeActivate;
  TNotifyEvent OnSkinMenuOpen, OnSkinMenuClose;
  TNotifyEvent OnChangeRollUpState;
  TNotifyEvent OnMainMenuEnter, OnMainMenuExit;
  TNotifyEvent OnMinimizeToTray, OnRestoreFromTray;
  TvlActivateCustomObjectEvent OnActivateCustomObject;
  TNotifyEvent OnMinimize, OnRestore, OnMaximize;
  TShortCutEvent OnShortCut;
  TvlOnAcceptToMDITabsBar OnAcceptToMDITabsBar;

  // ---- Frame (VelmoraFrame.cpp) ----

  // Paints the skinned (or built-in) frame into ADC when AUseExternalDC, else into the form's
  // window device context.
  void PaintNCSkin(HDC ADC, bool AUseExternalDC);
  void PaintNCDefault(HDC ADC, bool AUseExternalDC);
  // The built-in caption rectangle and the built-in buttons' places.
  void CalcDefRects();
  // Client backgrounds into DC (nothing for a DC of 0): from the skin picture's client part,
  // from the skin's background picture, from its MDI background picture, in clBtnFace, in
  // clAppWorkSpace.
  void PaintBG(HDC DC);
  void PaintBG2(HDC DC);
  void PaintBG3(HDC DC);
  void PaintBGDefault(HDC DC);
  void PaintMDIBGDefault(HDC DC);
  // Size limits in pixels.
  [[nodiscard]] int GetMinWidth();
  [[nodiscard]] int GetMinHeight();
  [[nodiscard]] int GetMaxWidth();
  [[nodiscard]] int GetMaxHeight();

  // The skin's frame geometry moved to the current form size.
  void CalcSkinGeometry();
  // Places the caption objects on the frame (button row, fixed places).
  void LayoutCaptionObjects();
  // Geometry, object places and region after a size or skin change.
  void UpdateSkinLayout();
  // The window region: cut from the skin mask, a rectangle without one, none for a form that is
  // not skinnable or has no border.
  void UpdateFormRegion();
  // Hit codes (HTCLIENT, HTCAPTION, sizing codes, HTOBJECT) of a point in window coordinates.
  [[nodiscard]] LRESULT SkinHitTest(TPoint P);
  [[nodiscard]] LRESULT DefaultHitTest(TPoint P);
  // True when P (window coordinates) lies on the caption text, where the form is dragged.
  [[nodiscard]] bool CaptionObjectHit(TPoint P);
  // True when P (window coordinates) lies on the opaque part of the mask for the current size;
  // points beyond a mask strip are outside.
  [[nodiscard]] bool IsMaskPointSolid(TPoint P);
  void PaintLogo(TCanvas* Canvas);
  [[nodiscard]] int DefCaptionHeight() const;
  [[nodiscard]] int DefButtonSize() const;
  [[nodiscard]] bool CanResizeForm() const;
  // A screen point into window coordinates.
  void ScreenToFormPoint(TPoint& P);

  // ---- Caption objects (VelmoraCaptionHost.cpp) ----

  // Frees every object.
  void ClearObjects();
  // The index of the first object named exactly AIDName, -1 when none.
  [[nodiscard]] int GetIndex(const std::string& AIDName) const;
  // One object per form-frame object of the skin, in the skin's order.
  void CreateSkinObjects();
  // The six caption buttons of the built-in look: close, maximize, minimize, roll-up, system
  // menu, tray.
  void CreateDefaultObjects();
  // Enables and shows the standard buttons by BorderIcons (HideCaptionButtons hides the row),
  // asks OnActivateCustomObject about the others, then the hints.
  void UpdateCaptionButtons();
  // The standard buttons' hints from the interface texts (or the built-in English ones).
  void LoadCaptionHints();
  // No object hovered or morphing (a move or size loop starts, the form is activated).
  void ResetObjectStates();
  // The caption object follows the form's activation, animated (Animate) or at once.
  void UpdateCaptionActive(bool Animate);
  // The object under a window point (MouseIn false: none) becomes the active one; the old one
  // hears MouseLeave, the new one MouseEnter, and their hints follow.
  void TestActiveObject(int X, int Y, bool MouseIn);
  // The mouse reaches the objects (window coordinates).
  void ObjectMouseDown(TMouseButton Button, int X, int Y);
  void ObjectMouseUp(TMouseButton Button, int X, int Y);
  void ObjectMouseMove(int X, int Y);
  void ObjectDblClick();
  // Draws one object on the window at once (not for a maximized MDI child or a form without
  // border).
  void DrawSkinObject(TvlActiveSkinObject* AObject);
  // By name; a name not found does nothing.
  void UserObjectDraw(const std::string& AIDName);
  void SetEnabled(const std::string& AIDName, bool Value);
  void LinkMenu(const std::string& AIDName, TMenu* AMenu, bool APopupUp);
  // The events of the objects (each fires only when assigned).
  void FireObjectPaint(const std::string& IDName, TCanvas* Canvas, TRect ObjectRect);
  void FireObjectMouseUp(const std::string& IDName, int X, int Y, TRect ObjectRect, TMouseButton Button);
  void FireObjectMouseDown(const std::string& IDName, int X, int Y, TRect ObjectRect, TMouseButton Button);
  void FireObjectMouseMove(const std::string& IDName, int X, int Y, TRect ObjectRect);
  void FireObjectMouseEnter(const std::string& IDName);
  void FireObjectMouseLeave(const std::string& IDName);
  // The form's small icon (made once from the form's, the application's or the system's icon),
  // drawn at (X, Y).
  void CreateFormIcon();
  void DrawFormIcon(TCanvas* Canvas, int X, int Y);
  static void GetSmallIconSize(int& W, int& H);
  // The timers' steps.
  void MouseTimerTick();
  void MorphTimerTick();
  void AnimateTimerTick();
  // The items of the system menu: SystemMenu's when set, else the built-in system menu's.
  [[nodiscard]] TMenuItem* GetSystemMenuItems();
  // The form's caption as shown (an MDI main form adds its maximized child's).
  [[nodiscard]] std::string DefaultCaptionText() const;

  // ---- MDI arrangement (VelmoraMDI.cpp; each does nothing unless the form is an MDI parent) ----

  // Restores every child, then lays them out in columns (the square root of the count, rounded
  // down) from the bottom right, the last child first.
  void Tile();
  // Restores every child, then stacks them from the top left by one caption height, the last
  // child first; a child with a single border keeps its size.
  void Cascade();
  void MinimizeAll();
  void MaximizeAll();
  // Children not in the normal state return to it; rolled-up ones unroll.
  void RestoreAll();
  // Closes the children from the last to the first.
  void CloseAll();
  // The part of the application main form's client area left free by its visible aligned
  // controls (its whole client area when nothing is aligned; empty without a main form).
  [[nodiscard]] static TRect GetMDIClientArea();
  // The main form's window menu lists the shown MDI children: one item per child, named the
  // child's Name + "_VMRCHILDITEM", captioned with its caption, checked for the active child, owned
  // by the child's skinner. Each does nothing without a main form skinner and window menu.
  void AddChildToMenu(TCustomForm* Child);
  void DeleteChildFromMenu(TCustomForm* Child);
  void UpDateChildCaptionInMenu(TCustomForm* Child);
  void UpDateChildActiveInMenu();
  // Shows (restoring a minimized one first) the child the clicked item names.
  void MDIItemClick(TObject* Sender);
  // Brings an MDI child to the top of the client area as the active one (a minimized child is
  // restored first) and marks it in the window menu and the tabs bar.
  static void ShowMDIChild(TCustomForm* Child);
  // The main form's MDI tabs bar lists the shown MDI children: a child joins it unless its
  // skinner's OnAcceptToMDITabsBar refuses. Each does nothing without a main form skinner and
  // tabs bar.
  void AddChildToBar(TCustomForm* Child);
  void DeleteChildFromBar(TCustomForm* Child);
  // Redraws the child's tab (its caption changed).
  void RefreshMDIBarTab(TCustomForm* Child);
  // The tabs bar marks the active child again (a child was activated or destroyed).
  void RefreshMDITabsBar();
  // The menu bar rebuilds its items when a child's menu is merged into it.
  void RefreshMainMenuBar();
  // The active child when maximized, else the first maximized child; nullptr when none.
  [[nodiscard]] TCustomForm* FindMaximizedMDIChild() const;
  // Every child fits the client area again (a maximized one takes all of it) and every
  // minimized child moves to its place at the bottom (after a skin change and a client resize).
  void RefitMDIChildren();
  void ArrangeMinimizedChildren();
  // An open drop-down list of the parent's skinned combo boxes and edits closes
  // (CM_CANCELMODE), after a mouse or focus input on a shown MDI parent.
  void SendCancelModeToMDIControls();
  // Takes over the MDI client window's procedure, once per client window; the skinner then
  // paints its background and refits the children when it is resized. The previous procedure
  // is put back when the skinner goes while the client lives on.
  void HookMDIClient();
  // The procedure installed on the MDI client window; Wnd is the hooked client.
  LRESULT MDIClientWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  [[nodiscard]] HWND HookedMDIClient() const { return FClientWnd; }

  // ---- Window states (VelmoraStates.cpp) ----

  // The skinned window state: the form moves and sizes itself (minimized to its caption bar at a
  // free place at the bottom of the work area, maximized to the work area). A form that is not
  // skinnable takes the state itself.
  void SetWindowState(TWindowState Value);
  // Rolls the form up to its caption (only with biRollUp, not while minimized).
  void SetRollUpState(bool Value);
  // The application hides to the notification area through the tray icon, and comes back;
  // both do nothing without a tray icon.
  void MinimizeToTray();
  void RestoreFromTray();
  // The tray icon the form minimizes to (cleared when it is freed). Setting one hides its icon
  // unless AlwaysShowInTray, gives it the tray menu when it has no menu and a double click that
  // restores when it has no handler.
  [[nodiscard]] TvlTrayIcon* TrayIcon() const { return FTrayIcon; }
  void SetTrayIcon(TvlTrayIcon* Value);

  // ---- Form behaviour (VelmoraBehaviour.cpp) ----

  // Where a form of AW x AH goes by PositionInMonitor: centred in the work area
  // (vlpDesktopCenter) or the whole monitor (vlpScreenCenter); (AX, AY) for vlpDefault.
  [[nodiscard]] TPoint GetPositionInMonitor(int AX, int AY, int AW, int AH) const;
  // Moves the form there, keeping its size.
  void ApplyPositionInMonitor();
  // The snapping of a dragged form to the work area's edges (Magnetic): Left and Top of the
  // moving rectangle of a Width x Height form, changed in place.
  void MagneticMove(int& Left, int& Top, int Height, int Width);
  // The overlay over the client area of an inactive form (a blurred or veiled copy), and its
  // removal.
  void ShowClientInActiveEffect();
  void HideClientInActiveEffect();
  [[nodiscard]] TvlClientInActivePanel* InActivePanel() const { return FInActivePanel; }
  // The form's window class gets or loses the drop shadow (the form hidden and shown around the
  // change when AHideFormBefore).
  void EnableShadow(bool AShowShadow, bool AHideFormBefore);
  // Only fsNormal and fsStayOnTop are taken; the form's controls are re-skinned.
  void SetFormStyle(TFormStyle Value);
  void SetFormBorderStyle(TFormBorderStyle Value);
  // The opacity the fade-in reached; -1 when no fade-in runs.
  [[nodiscard]] int FadeAlpha() const { return FFadeAlpha; }
  // The status bar whose size grip is hidden while the form is maximized (cleared when it is
  // freed).
  [[nodiscard]] TvlSkinStatusBar* StatusBar() const { return FStatusBar; }
  void SetStatusBar(TvlSkinStatusBar* Value);

  // ---- Menus (VelmoraMenus.cpp) ----

  // The skinned main menu bar of the form (cleared when it is freed); it takes the keyboard's
  // menu mode (Alt, F10) and the Alt accelerators.
  [[nodiscard]] TvlSkinMainMenuBar* MainMenuBar() const { return FMainMenuBar; }
  void SetMainMenuBar(TvlSkinMainMenuBar* Value);
  // The MDI tabs bar the children are listed in (cleared when it is freed).
  [[nodiscard]] TvlSkinMDITabsBar* MDITabsBar() const { return FMDITabsBar; }
  void SetMDITabsBar(TvlSkinMDITabsBar* Value);
  // The menu searched for shortcuts when the bar has no menu (cleared when it is freed).
  [[nodiscard]] TMainMenu* MainMenu() const { return FMainMenu; }
  void SetMainMenu(TMainMenu* Value);
  // The menu of the tray icon: restore, a separator and close (owned).
  [[nodiscard]] TvlSkinPopupMenu* SysTrayMenu() const { return FSysTrayMenu; }

  // A skin popup menu of this form opens: outside the main-menu mode the application's keys and
  // wheel are routed to the open menus; OnSkinMenuOpen fires once.
  void SkinMenuOpen() override;
  // The popup chain has closed: a caption object that opened it is released, the routing ends,
  // OnSkinMenuClose fires, and the main-menu mode ends as well.
  void SkinMenuClose() override;
  // Ends the main-menu mode: the open popups close, the bar's highlight goes, the routing ends,
  // OnMainMenuExit fires.
  void LeaveMainMenu();
  // The bar's open popup closed (Escape): its item is highlighted again, the menu mode goes on.
  void EndSkinMenuInMainMenu();
  // While a menu or the menu mode is on: a key for the menus (the bar's accelerators, Escape,
  // the arrows between the bar's items, Enter and Down to open; the rest to the deepest level).
  void MenuKeyDown(WORD Key);
  // The first step of the window procedure: the messages of IsMenuCloseMessage close the open
  // skin menu (or leave the menu mode) and the caption hint.
  void CloseMenusOnInput(UINT Msg);
  // Alt or F10 alone (SC_KEYMENU): enters the bar's keyboard menu mode, or leaves it.
  void KeyMenu();
  // The form's shortcut handler (installed as its OnShortCut): OnShortCut first, Alt+Space opens
  // the system menu at its caption button, Alt with a letter opens a bar item, then the main
  // menu's shortcuts.
  void FormShortCut(TMessage& Msg, bool& Handled);
  // The bar's accelerator and Enter handling; false without a bar.
  bool IsMenuBarKey(WORD Key);
  bool MenuBarEnterKey();
  // The routing of keys and the wheel to the open menus: a keyed hook of the application's
  // message loop, taken out by its key whatever hooks came after it.
  void HookAppMessages();
  void UnhookAppMessages();

  // The built-in system menu for the current state: minimize, maximize, restore, roll up,
  // minimize to tray (each as the state and BorderIcons allow), a separator, close.
  void BuildDefaultSystemMenu();
  // The application's SystemMenu completed with the same items around its own (only with
  // UseDefaultSysMenu); earlier run-time items are replaced, never doubled.
  void RebuildSystemMenu();
  // The system menu at a screen point or next to a screen rectangle (an MDI child's through the
  // main form's skinner).
  void PopupSystemMenu(int X, int Y);
  void PopupSystemMenuFromRect(TRect R);
  // Below the enabled system-menu caption object (Alt+Space); nothing without one.
  void PopupSystemMenuAtButton();
  // A menu through the form's skin menu at a point or next to a rectangle.
  void PopupSkinMenu(TMenu* Menu, TPoint P);
  void PopupSkinMenu1(TMenu* Menu, TRect R, bool PopupUp);
  // A popup menu's OnPopup, then its items at (X, Y) (an open menu closes first).
  void DoPopupMenu(TPopupMenu* Menu, int X, int Y);

  // The form's chain of popup levels (owned).
  TvlSkinMenu* SkinMenu = nullptr;
  bool InMenu = false;      // a skin popup menu of this form is open
  bool InMainMenu = false;  // the main menu bar is in menu mode

  // ---- State ----

  // True in PreviewMode; the kept activation state for MDI forms; else the form's own.
  [[nodiscard]] bool GetFormActive() const;
  // Re-sends the size and frame messages by changing the width by one pixel and back.
  void RefreshFrameSize();
  // True when a skin is in use and the form keeps a layered outer border.
  [[nodiscard]] bool UseLayeredBorder() const;
  [[nodiscard]] std::string GetProductVersion() const;
  [[nodiscard]] TCustomForm* Form() const override { return FForm; }
  [[nodiscard]] TvlSkinMenu* MenuChain() const override { return SkinMenu; }
  [[nodiscard]] TComponent* HostComponent() override { return this; }

  // The form's window procedure while the component skins it. Next is the procedure the form
  // had before (OldWindowProc).
  void SkinFormWindowProc(TMessage& Message, const TWndMethod& Next);

  // Frame state for the current size (recomputed before each use); read by the caption objects.
  int FFormWidth = 0, FFormHeight = 0, FFormLeft = 0, FFormTop = 0, FOldFormLeft = 0, FOldFormTop = 0;
  TPoint NewLTPoint{}, NewRBPoint{}, NewRTPoint{}, NewLBPoint{};
  TRect NewClRect{}, NewCaptionRect{}, NewButtonsRect{};
  int NewButtonsOffset = 0;
  bool NewButtonsInLeft = false;
  TRect NewMaskRectArea{};
  TPoint NewHitTestLTPoint{}, NewHitTestRTPoint{}, NewHitTestLBPoint{}, NewHitTestRBPoint{};
  TRect NewDefCaptionRect{};
  // The four mask strips of the last region build (owned).
  std::unique_ptr<TBitmap> RMTop, RMBottom, RMLeft, RMRight;

  // The caption objects (owned), in the skin's order; indexes into it, -1 for none.
  std::vector<std::unique_ptr<TvlActiveSkinObject>> ObjectList;
  int ActiveObject = -1, OldActiveObject = -1, MouseCaptureObject = -1;

  // Window state kept by the component (the skinned state, not the platform's).
  TWindowState FWindowState = TWindowState::wsNormal;
  bool FRollUpState = false, MaxRollUpState = false;
  int OldHeight = 0;
  TRect OldBoundsRect{};
  bool FSizeMove = false, FSizing = false, FFullDrag = false;
  bool FBorderLayerChangeSize = false;
  bool HMagnetized = false, VMagnetized = false, HMagnetized2 = false, VMagnetized2 = false;
  bool FFormActive = false;
  bool FMDIChildMaximized = false;
  bool FSkinSupport = false;    // a non-empty skin is in use
  bool FStopPainting = false;   // between SkinChangeBegin and SkinChanged of the form's container
  bool FInChangeSkinData = false;
  bool FSmartEffectsShow = false;
  bool FClientInActiveDraw = false;
  bool FStartShow = true;
  bool FHaveShadow = false;
  TPoint FOnMouseDownCoord{};
  bool FIsVistaOs = false;
  bool FIsLayerEnabled = false;

  // Owned helpers: the caption glow and menu glow layers, the three caption-object timers
  // (50, 25 and 25 ms, created stopped), the built-in system menu.
  TvlFormLayerBorder* FBorderLayer = nullptr;  // the layered outer border (owned)
  bool FRollUpBeforeMaximize = false;
  HICON FIcon = nullptr;  // the small form icon (owned), made on first use
  TvlLayerManager* FLayerManager = nullptr;
  TvlLayerManager* FMenuLayerManager = nullptr;
  TTimer* MouseTimer = nullptr;
  TTimer* MorphTimer = nullptr;
  TTimer* AnimateTimer = nullptr;
  TPopupMenu* FSysMenu = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // The steps of the window procedure (Velmora.cpp).
  void ApplySkin();
  void UpdateFormBorderIcons();
  void WMSize(TMessage& M, const TWndMethod& Next);
  void WMNCActivate(TMessage& M, const TWndMethod& Next);
  void WMEraseBkgnd(TMessage& M);
  void WMNCCalcSize(TMessage& M);
  void WMGetMinMaxInfo(TMessage& M);
  void SkinChangeBegin(TvlSkinData* Container);
  void SkinChanged(TvlSkinData* Container);
  void SkinChangeEnd(TvlSkinData* Container);
  void PaintFrameToDC(HDC DC);
  // The MDI family messages (VelmoraMDI.cpp).
  void MDIFamilyMessage(UINT Msg);
  // The parent hears when a shown child is freed (FreeNotification); MDIChildGone answers
  // whether AComponent was one and then updates the maximized state.
  void WatchMDIChild(TCustomForm* Child);
  bool MDIChildGone(TComponent* AComponent);
  // Sends Msg to the application's main form (an MDI child telling its parent); nothing when
  // there is none or it is going.
  void TellMainForm(UINT Msg);
  void UnhookMDIClient();
  void Hook();
  void Unhook();
  void MenuAppMessageHook(MSG& Msg, bool& Handled);
  void CreateTrayMenu();
  // Form behaviour (VelmoraBehaviour.cpp).
  void WMShowWindowBefore(const TMessage& M);
  void WMShowWindowAfter(const TMessage& M);
  void FadeInTick();
  void WMMoving(TMessage& M);
  void WMSizing(TMessage& M, const TWndMethod& Next);
  void TrayRestoreForeground();
  [[nodiscard]] bool FadeWanted() const;
  // The second handling of the mouse messages, after the form's own procedure (VelmoraCaptionHost.cpp).
  void RouteObjectMouse(const TMessage& M);
  void CaptionDoubleClick();
  // Window states (VelmoraStates.cpp).
  void DoMinimize();
  void DoMaximize();
  void DoRestore();
  [[nodiscard]] TPoint FindMinimizedPlace();
  // An MDI child's place of size W x H at the bottom of the MDI client area.
  [[nodiscard]] TPoint FindMinimizedMDIPlace(int W, int H);
  void DoMaximizeMDIChild();
  // The main form's MDI client area in screen coordinates (an MDI child snaps to its edges).
  [[nodiscard]] TRect MDIClientAreaOnScreen();
  // The layered border follows the form (VelmoraLayer.cpp).
  void ApplyLayeredBorder();
  void LayeredBorderMessage(const TMessage& M, bool Before);
  void SendNCPaint();
  void RepaintForm();
  [[nodiscard]] bool IsMDIChild() const;
  [[nodiscard]] bool IsMDIParent() const;
  [[nodiscard]] bool IsMaximizedMDIChild() const;
  [[nodiscard]] bool HasBorder() const;
  [[nodiscard]] bool Designing() const;
  [[nodiscard]] bool SkinUsable() const;
  // The frame picture to draw: the inactive one for an inactive form when it has one.
  [[nodiscard]] TBitmap* FramePicture() const;
  [[nodiscard]] TRect FrameClientRect() const;

  // Frame painting and backgrounds (VelmoraFrame.cpp).
  void PaintFrameBitmaps(HDC DC, TBitmap* Top, TBitmap* Left, TBitmap* Right, TBitmap* Bottom);
  void DrawDefaultCaption(TCanvas* C);
  void PaintBGPiece(HDC DC, TBitmap* Piece, bool StretchEffect, TvlStretchType StretchType);
  [[nodiscard]] TRect RelocateSkinRect(const TRect& R) const;
  [[nodiscard]] bool IsNearFrameEdge(TPoint P);

  TCustomForm* FForm = nullptr;
  int FHookId = 0;  // the form's window-procedure hook, 0 when none
  bool FRegionSet = false;  // the window has a region of ours (the window owns it)
  TvlSkinData* FSD = nullptr;
  TvlSkinData* FMSD = nullptr;
  TCustomImageList* FQuickImageList = nullptr;
  std::unique_ptr<TvlQuickButtonItems> FQuickButtons;
  TPopupMenu* FSystemMenu = nullptr;
  TvlSkinHint* FSkinHint = nullptr;
  TvlSkinMainMenuBar* FMainMenuBar = nullptr;
  TvlSkinMDITabsBar* FMDITabsBar = nullptr;
  HWND FClientWnd = nullptr;            // the MDI client window hooked, nullptr before the hook
  WNDPROC FPrevClientProc = nullptr;    // its procedure before the hook
  std::vector<TComponent*> FWatchedMDIChildren;  // shown children, compared only (never used)
  TMainMenu* FMainMenu = nullptr;
  TvlSkinPopupMenu* FSysTrayMenu = nullptr;
  TvlTrayIcon* FTrayIcon = nullptr;
  TvlSkinStatusBar* FStatusBar = nullptr;
  TvlClientInActivePanel* FInActivePanel = nullptr;  // owned (a component owned by this one)
  int FFadeAlpha = -1;  // the fade-in's opacity, -1 while none runs
  int FFadeTarget = 255;
  int FFadeStep = 0;
  bool FInAppHook = false;
  bool FInShortCut = false;
  bool FUseRibbon = false;
  bool FSkinnableForm = true;
  bool FAlphaBlend = false;
  BYTE FAlphaBlendValue = 200;
  bool FMenusAlphaBlend = false;
  bool FMenusAlphaBlendAnimation = false;
  BYTE FMenusAlphaBlendValue = 200;
  bool FShowIcon = false;
  int FMaxMenuItemsInWindow = 0;
  TvlBorderIcons FBorderIcons{TvlBorderIcon::biSystemMenu, TvlBorderIcon::biMinimize, TvlBorderIcon::biMaximize,
                              TvlBorderIcon::biRollUp};
  std::unique_ptr<TFont> FDefCaptionFont, FDefInActiveCaptionFont;
  std::unique_ptr<TBitmap> FLogoBitMap;
};

// The form skinner of a form: the first TvlVelmora among its components, nullptr when none.
[[nodiscard]] TvlVelmora* vlFindSkinForm(TCustomForm* Form);
// The form skinner of the application main form's first MDI child whose skinned state is
// maximized, and of its active MDI child; nullptr when there is none.
[[nodiscard]] TvlVelmora* vlFindMaximizedMDIChildSkinForm();
[[nodiscard]] TvlVelmora* vlFindActiveMDIChildSkinForm();
