#pragma once
// Skinned popup menus: the rows of an open level (TvlSkinMenuItem), one level of an open menu
// (TvlSkinPopupWindow), the chain of open levels of a form (TvlSkinMenu) and the drop-in
// replacement of the platform's popup menu (TvlSkinPopupMenu).
//
// A chain opens its root level next to a point or rectangle; the user hovers and clicks rows,
// submenus open beside their row after a short wait or on a click, and a chosen command runs
// after the whole chain has closed. The opener (a control) hears WM_vlSkinMenuClosed when the
// chain closes and WM_vlSkinMenuCommandDone after a command ran; the form skinner routes keys to
// the deepest level and closes the chain on outside input (Velmora.h).
//
//   TvlSkinMenu (one per form skinner)
//     levels, root first: TvlSkinPopupWindow
//       rows: TvlSkinMenuItem -> TMenuItem of the application's menu
//
// Levels are top-most tool windows that never take the activation and paint from an off-screen
// bitmap, from the skin's popup-window and menu-item descriptions or in a built-in look. A level
// is never freed while one of its own handlers runs: closed levels are hidden at once and freed
// after the message that closed them has been handled.
//
// GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlDataSkinObjects.h"
#include "platform/controls/Component.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Menus.h"
#include "platform/core/Types.h"

class TBitmap;
class TCanvas;
class TCustomForm;
class TCustomImageList;
class TFont;
class TTimer;
class TvlSkinData;
class TvlSkinMenu;
class TvlSkinPopupWindow;

// Sent (synchronously) to the control that opened a chain when the chain closes, and to the
// chain's form by TvlSkinMenu::Hide. wParam and lParam 0.
constexpr UINT WM_vlSkinMenuClosed = 0x400 + 204;  // 1228
// Sent to the opener after a menu command ran. wParam and lParam 0.
constexpr UINT WM_vlSkinMenuCommandDone = 0x400 + 205;  // 1229

// The built-in glyphs of menu rows, in Color (pen, and brush for the radio mark):
// a check mark 8 x 6 at (X, Y), a right-pointing triangle 4 wide and 7 high, a filled dot 6 x 6.
void DrawMenuCheckGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMenuArrowGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMenuRadioGlyph(TCanvas* Canvas, int X, int Y, TColor Color);

// True for the window messages after which a form closes its open menus and caption hints:
// moves, sizes, activation, focus loss, cancel mode, mouse activation, button presses in the
// frame or the client area, and parent notifications.
[[nodiscard]] bool IsMenuCloseMessage(UINT Msg);

// The window of a drop-down level: a top-level tool window that never activates, saves what it
// covers and casts a shadow where the system draws one.
void SetDropDownWindowParams(TCreateParams& P);

// ---- One row ------------------------------------------------------------------------------------

// The object behind one row of an open level: the wrapped menu item, the row's rectangle and
// hover state, its hover effects (a morph between the inactive and active images, or a frame
// animation) and its drawing. Rows live as long as their level.
class TvlSkinMenuItem : public TObject {
 public:
  // AData is the level's menu-item description (nullptr: the built-in look).
  TvlSkinMenuItem(TvlSkinPopupWindow* AParent, TMenuItem* AMenuItem, TvlDataSkinMenuItem* AData);

  // Hover effects apply: a description asks for them and the level's skin has effects on.
  [[nodiscard]] bool EnableMorphing() const;
  [[nodiscard]] bool EnableAnimation() const;
  // A morph step is due: the row is visible and moving toward its active look (Active or Down)
  // or back. An invisible row with a morph under way is reset to the inactive look.
  [[nodiscard]] virtual bool CanMorphing();
  // One morph step of 0.2 toward the target, then the row is drawn on its level.
  void DoMorphing();

  // The pointer (or keyboard, Kb) entered the row, left it, or released a button on it.
  void MouseEnter(bool Kb);
  void MouseLeave();
  void MouseDown(int X, int Y);

  // Draws the row at ObjectRect (nothing when it is scrolled out of view).
  void Draw(TCanvas* Cnvs);
  // The built-in look.
  void DefaultDraw(TCanvas* Cnvs);
  // Starts the row's effect, or draws it at once when it has none.
  void RedrawItem();

  // The wrapped menu item; nullptr once the application freed it.
  [[nodiscard]] TMenuItem* MenuItem() const { return FMenuItem.Get(); }
  [[nodiscard]] bool IsSeparator() const;
  // A disabled item whose caption is framed by dashes ("-Video-"): drawn as a header.
  [[nodiscard]] bool IsHeader() const;
  // Enabled and no separator: the row can be highlighted and chosen.
  [[nodiscard]] bool Selectable() const;

  TvlSkinPopupWindow* Parent;
  TvlDataSkinMenuItem* MI;          // the level's description (not owned), nullptr in the built-in look
  TBitmap* ActivePicture = nullptr;  // the skin picture of MI->ActivePictureIndex (not owned)
  double FMorphKf = 0;              // 0 inactive look .. 1 active look, FMorphStep / 5
  int FMorphStep = 0;               // whole morph steps taken, 0..5
  TRect ObjectRect{};               // window coordinates, set by the level's layout
  bool Active = false;              // the pointer or the keyboard is on the row
  bool Down = false;                // the row's submenu is open
  bool FVisible = true;             // inside the shown part of a scrolling level
  bool WaitCommand = false;         // highlighted without a pointer move over it
  int CurrentFrame = 0;             // 0 inactive, 1..FrameCount animation, FrameCount + 1 active

 private:
  // The row image for the highlighted (Sel) or plain look; FrameRect (when not empty) replaces
  // the source image.
  void CreateItemImage(TBitmap* B, bool Sel, const TRect& FrameRect);
  [[nodiscard]] TRect GetAnimationFrameRect() const;
  void DrawHeaderItem(TCanvas* C, const TRect& R, const std::string& Text);
  void DrawSkinGlyph(TCanvas* C, const TRect& R, const TRect& Normal, const TRect& Hot, bool Sel);
  // The glyph of the run-time system and tray items ("VMR_CLOSE" ...) at P; false for others.
  bool DrawNamedGlyph(TCanvas* C, TPoint P, TColor Color);
  // Image list or bitmap of the item at (X, Y); its size (0 x 0 without an image).
  [[nodiscard]] TSize ImageSize() const;
  void DrawImage(TCanvas* C, int X, int Y);
  void ApplyFont(TFont* F, bool SkinFont) const;
  void DrawCaptionLine(TCanvas* C, const TRect& Area, int Left, int Right);
  [[nodiscard]] UINT BiDi(UINT Flags) const;

  TWeak<TMenuItem> FMenuItem;
};

// ---- One level ----------------------------------------------------------------------------------

// One level of an open menu: a borderless top-most tool window listing the visible children of
// one menu item, sized to its content, placed inside the work area next to an anchor rectangle,
// scrolling when it cannot show every row. Made, shown once and freed by its chain.
class TvlSkinPopupWindow : public TCustomControl {
 public:
  // AData: the skin's popup-window description, used when its picture exists (else the
  // built-in look).
  TvlSkinPopupWindow(TvlSkinMenu* AParentMenu, TvlDataSkinPopupWindow* AData);
  ~TvlSkinPopupWindow() override;

  // Lists the visible children of AItem from StartIndex, places the level next to R (screen)
  // and shows it: beside R for a submenu (PopupByItem), above R with PopupUp, else below.
  void Show(TRect R, TMenuItem* AItem, int StartIndex, bool PopupByItem, bool PopupUp);
  // As Show with the children of AItem from StartIndex followed by those of AItem2.
  void Show2(TRect R, TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool PopupByItem, bool PopupUp);
  // Hides without activation and stops the timers.
  void Hide();
  // Paints the whole level into DC.
  void PaintMenu(HDC DC);
  // A key for the open menu (the form skinner sends every key to the deepest level).
  void PopupKeyDown(int CharCode);

  // The level's chain; nullptr once the chain is gone.
  [[nodiscard]] TvlSkinMenu* ParentMenu() const { return FParentMenu.Get(); }
  // Draws one row on the window now (outside a paint).
  void DrawItemNow(TvlSkinMenuItem* Item);
  // Closes the levels after this one and releases this level's pressed rows.
  void CollapseLevel();

  // The rows, in list order (owned).
  std::vector<std::unique_ptr<TvlSkinMenuItem>> ItemList;
  TvlDataSkinMenuItem* DSMI = nullptr;   // the rows' description, nullptr without one
  TvlDataSkinPopupWindow* PW = nullptr;  // nullptr in the built-in look
  TvlSkinData* SD = nullptr;             // the skin in use, nullptr in the built-in look
  TCustomImageList* ImgL = nullptr;      // the Images of the menu the rows come from
  int GlyphWidth = 19;
  int ActiveItem = -1, OldActiveItem = -1;
  int VisibleCount = 0, VisibleStartIndex = 0;
  bool Scroll = false;   // scroll markers at the top and bottom of the items area
  bool Scroll2 = false;  // scrolling because of MaxMenuItemsInWindow
  int ScrollCode = 0;    // 0 none, 1 up, 2 down
  TPoint NewLTPoint{}, NewRTPoint{}, NewLBPoint{}, NewRBPoint{};
  TRect NewItemsRect{};
  int ShowX = 0, ShowY = 0;
  int OMX = -1, OMY = -1;  // the last pointer position the mouse timer saw (window coordinates)
  TBitmap* WindowPicture = nullptr;  // not owned
  TBitmap* MaskPicture = nullptr;    // not owned
  TTimer* MouseTimer = nullptr;  // 50 ms while shown (owned)
  TTimer* MorphTimer = nullptr;  // row effects (owned)
  std::unique_ptr<TBitmap> FPaintBuffer;  // the background with the items area, for transparent rows
  std::string Hint;  // the long hint of the row last entered

  // Scrolling.
  [[nodiscard]] bool CanScroll(int Code) const;
  void ScrollUp(bool Wrap);
  void ScrollDown(bool Wrap);
  [[nodiscard]] int GetLastPageStartIndex() const;
  // The level's own mouse tracking step (normally run by MouseTimer).
  void MouseTimerProc();
  // Hit-tests a point (window coordinates): scroll markers, then rows.
  void TestActive(int X, int Y);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;

 private:
  friend class TvlSkinMenu;
  void CreateItems(TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool Two);
  void AddItems(TMenuItem* AItem, int From);
  void ApplyLevelFont();
  [[nodiscard]] int ItemHeight(const TvlSkinMenuItem* Item) const;
  [[nodiscard]] int CalcWidth();
  [[nodiscard]] int CalcHeight(bool Two);
  void LayoutItems();
  void Place(const TRect& R, bool PopupByItem, bool PopupUp);
  void ShowLevel(const TRect& R, bool PopupByItem, bool PopupUp);
  void SetMenuRegion();
  void CreateWindowImage(TBitmap* B, bool DrawClient);
  void DrawUpMarker(TCanvas* C);
  void DrawDownMarker(TCanvas* C);
  void DrawMarker(TCanvas* C, const TRect& R, bool Hot, int Direction);
  void DrawMarkerBackground(TCanvas* C, const TRect& R);
  void RedrawMarkers();
  void StartScroll();
  void StopScroll();
  void ScrollTimerTick();
  void MorphTimerProc();
  void FadeStep();
  void Invalidated();
  // The index the keyboard moves the highlight to, scrolling on the way; Direction +1 or -1.
  void KeyMove(int Direction);

  TWeak<TvlSkinMenu> FParentMenu;
  std::unique_ptr<TFont> FFont;  // the rows' font
  TTimer* FadeTimer = nullptr;   // the first level's fade-in (owned)
  int FFadeAlpha = 0;
  int FFadeEnd = 0;
  bool FRegionSet = false;
  // Keeps the level alive while one of its handlers runs (the chain may drop it meanwhile).
  std::weak_ptr<TvlSkinPopupWindow> FSelf;
};

// ---- The chain ----------------------------------------------------------------------------------

// The chain of open popup levels of one form: opens the root level, opens and closes submenus as
// the user hovers and clicks, runs the chosen command and tells the opener and the form when the
// chain closes. Owned by the form skinner, one per form.
class TvlSkinMenu : public TComponent {
 public:
  // AForm: the form whose work area the levels keep inside and whose window hears Hide.
  TvlSkinMenu(TComponent* AOwner, TCustomForm* AForm);
  // Closes every level (with the opener's notification).
  ~TvlSkinMenu() override;

  // Opens a chain listing the children of AItem from StartIndex next to the screen rectangle R
  // (a point is an empty rectangle). A chain already open is closed first (its opener hears
  // it). Nothing opens when AItem has no child at or after StartIndex.
  void Popup(TControl* APopupCtrl, TvlSkinData* ASkinData, int StartIndex, TRect R, TMenuItem* AItem,
             bool PopupUp);
  // The same with the children of AItem followed by those of AItem2.
  void Popup2(TControl* APopupCtrl, TvlSkinData* ASkinData, int StartIndex, TRect R, TMenuItem* AItem,
              TMenuItem* AItem2, bool PopupUp);
  // Closes the whole chain and tells the form (WM_vlSkinMenuClosed).
  void Hide();

  // The chain's reaction to a row: hover (Click false) or click, by mouse or keyboard (Kb).
  void ActivateItem(TvlSkinPopupWindow* Window, TvlSkinMenuItem* Item, bool Kb, bool Click);
  // The position of Window among the open levels, or the level count when it is not open.
  [[nodiscard]] int IndexOfPopup(const TvlSkinPopupWindow* Window) const;
  // Closes the levels from FromIndex to the last; from 0 this ends the chain (the opener hears
  // WM_vlSkinMenuClosed, the close event runs once).
  void CloseLevels(int FromIndex);
  void ShowLevel(TRect R, TMenuItem* AItem, bool PopupUp, bool PopupByItem, int StartIndex);
  void ShowLevel2(TRect R, TMenuItem* AItem, TMenuItem* AItem2, bool PopupUp, bool PopupByItem, int StartIndex);
  // The open levels, root first.
  [[nodiscard]] int LevelCount() const { return static_cast<int>(FPopupList.size()); }
  [[nodiscard]] TvlSkinPopupWindow* Level(int Index) const;
  // The deepest open level, nullptr when none.
  [[nodiscard]] TvlSkinPopupWindow* LastLevel() const;

  [[nodiscard]] TFont* DefaultMenuItemFont() const { return FDefaultMenuItemFont.get(); }
  // Copies the font.
  void SetDefaultMenuItemFont(TFont* Value);
  [[nodiscard]] TCustomForm* Form() const { return FForm; }
  // F takes the rows' font: the description's (when given) or the default one, with the
  // character set of the chain's interface texts (else the default font's).
  void ApplyItemFont(TFont* F, const TvlDataSkinMenuItem* Description) const;
  // The waiting row's submenu opens (normally run by WaitTimer after 500 ms).
  void WaitTimerProc();

  bool FUseSkinFont = true;       // row font from the skin's menu-item description
  bool FFirst = false;            // the level being opened is the chain's first
  int FDefaultMenuItemHeight = 20;
  TWeak<TControl> PopupCtrl;      // the opener of the open chain
  TWeak<TControl> DCtrl;          // the opener kept after the chain closed, for the command-done message
  TTimer* WaitTimer = nullptr;    // 500 ms submenu wait (owned)
  TvlSkinMenuItem* WItem = nullptr;  // the row waiting for its submenu
  TRect WorkArea{};               // work area of the form's monitor, taken when the chain opens
  bool FVisible = false;          // a chain is open
  TvlSkinData* SkinData = nullptr;  // the skin of the open chain
  TWeak<TMenuItem> RootItem;        // the item whose children the root level lists
  TNotifyEvent FOnMenuClose;      // runs once when the chain closes, then cleared
  bool AlphaBlend = false;
  BYTE AlphaBlendValue = 150;
  bool AlphaBlendAnimation = false;
  int MaxMenuItemsInWindow = 0;   // rows per level before it scrolls; 0 none

 private:
  void OpenChain(TControl* APopupCtrl, TvlSkinData* ASkinData, const std::function<void()>& Show);
  void StopWait();
  void Notify(TControl* Control, UINT Msg);
  // Frees the levels closed meanwhile (posted to the chain's own window).
  void ReleaseClosed();

  TCustomForm* FForm;
  std::unique_ptr<TFont> FDefaultMenuItemFont;
  std::vector<std::shared_ptr<TvlSkinPopupWindow>> FPopupList;
  std::vector<std::shared_ptr<TvlSkinPopupWindow>> FClosed;  // hidden, freed after the handler
  HWND FReleaseWindow = nullptr;
  bool FReleasePosted = false;
};

// ---- The popup menu component ---------------------------------------------------------------------

// What a skinned popup menu needs of the skinned form it opens over: the form, its skins and the
// chain of open menu levels it keeps. The form skinner is one; a form has at most one, among its
// components (vlFindSkinMenuHost).
class TvlSkinMenuHost {
 public:
  [[nodiscard]] virtual TCustomForm* Form() const = 0;
  [[nodiscard]] virtual TvlSkinData* SkinData() const = 0;
  // The container the form's menus use; nullptr when they use SkinData.
  [[nodiscard]] virtual TvlSkinData* MenusSkinData() const = 0;
  [[nodiscard]] virtual TvlSkinMenu* MenuChain() const = 0;
  // A chain opens or closes over the form (keys and the wheel go to the open menus meanwhile).
  virtual void SkinMenuOpen() = 0;
  virtual void SkinMenuClose() = 0;
  // The component that is the host, for checking it is still alive after a handler ran.
  [[nodiscard]] virtual TComponent* HostComponent() = 0;

 protected:
  ~TvlSkinMenuHost() = default;
};

// The menu host among the form's components; nullptr when the form has none (or for nullptr).
[[nodiscard]] TvlSkinMenuHost* vlFindSkinMenuHost(TCustomForm* Form);

// The skinned replacement of the platform's popup menu: its items are ordinary menu items, and
// showing it runs them through the skin menu of the form skinner of the form that owns it.
class TvlSkinPopupMenu : public TPopupMenu {
 public:
  explicit TvlSkinPopupMenu(TComponent* AOwner);

  // Shows the menu with its top-left corner at the screen point (no opener). Automatic context
  // menus of controls come here too.
  void Popup(int X, int Y) override;
  // Shows the menu next to the screen rectangle R, below it, or above it with APopupUp.
  void PopupFromRect(TRect R, bool APopupUp);
  // As Popup and PopupFromRect with ACtrl as opener: it hears WM_vlSkinMenuClosed when the menu
  // closes and WM_vlSkinMenuCommandDone after a command ran.
  void Popup2(TControl* ACtrl, int X, int Y);
  void PopupFromRect2(TControl* ACtrl, TRect R, bool APopupUp);

  // A chain this menu opened is still open.
  [[nodiscard]] bool Showing() const;

  // The skin of the menu; taken from the form skinner on first show when not set.
  [[nodiscard]] TvlSkinData* SkinData() const { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  // The form whose form skinner shows the menu, and the form skinner to use (set by code that
  // makes menus at run time).
  TWeak<TCustomForm> FComponentForm;
  TWeak<TComponent> FSkinComponent;
  // Runs once when the chain this menu opened closes.
  TNotifyEvent OnMenuClose;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Show(TControl* ACtrl, TRect R, bool APopupUp);
  [[nodiscard]] TvlSkinMenuHost* FindSkinComponent() const;

  TvlSkinData* FSD = nullptr;
  TWeak<TvlSkinMenu> FChain;  // the chain it opened last
};
