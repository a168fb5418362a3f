#pragma once
// The MDI tabs bar: a control for an MDI main form that shows one tab per shown MDI child (its
// caption), marks the active child, switches children on a click, offers a close button per
// tab, lets the user reorder tabs by dragging, lists all children and the tabs that do not fit
// in two drop-down menus, and opens a child's system menu on a right click. It draws itself
// from the skin's tab element ("tab" by default) or in a built-in look. The form skinner whose
// MDITabsBar names the bar adds and removes the tabs as its children are shown and hidden.
//
//   +----+--------+--------+--------+--------------+----+
//   | v  | tab 0  | tab 1  | tab 2  |              | >  |   list button (15 px) at the left,
//   +----+--------+--------+--------+--------------+----+   hide-list button while tabs overflow
//   |              band of the tab element's ClRect.Top rows (tab kind)   |
//   +-------------------------------------------------------------------+
//
// Tabs are laid out from the current size before every paint. GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinDescription.h"

class TCustomForm;
class TvlSkinMDITabsBar;
class TvlSkinMenuSpeedButton;
class TvlSkinPopupMenu;
class TvlVelmora;

enum class TvlSkinMDITabKind { vltkTab, vltkButton };

// One tab: the child it stands for and its state.
class TvlMDITab : public TObject {
 public:
  TvlMDITab(TvlSkinMDITabsBar* AParentBar, TCustomForm* AChild);

  // Draws the tab at ObjectRect on Cnvs (nothing when its width is not positive).
  void Draw(TCanvas* Cnvs);
  // The child; nullptr once it is freed.
  [[nodiscard]] TCustomForm* Child() const { return FChild.Get(); }

  TvlSkinMDITabsBar* TabsBar;
  bool Active = false;   // its child is the active MDI child
  bool MouseIn = false;
  TRect ObjectRect{};    // bar coordinates, empty until laid out
  bool Visible = false;  // the tab fits
  TRect ButtonRect{};    // close button, relative to the tab
  bool ButtonMouseIn = false, ButtonMouseDown = false;
  TColor TextFontColor = clBtnText;  // not used by the drawing

 private:
  // The looks (vlSkinMDITabsBarPaint.cpp), each into B of the tab's size.
  void DefaultDraw(TBitmap* B);
  void ButtonDraw(TBitmap* B);
  void SkinSizeDraw(TBitmap* B);
  void ResizeDraw(TBitmap* B);
  // R: the space right of the text, in the tab's coordinates; sets ButtonRect.
  void DrawCloseButton(TCanvas* Cnvs, TRect R);
  // The caption shortened to R and drawn centred; Colour unless the draw-params event sets it.
  void DrawCaption(TCanvas* Cnvs, TRect R, bool AskEvent);
  // With close buttons: the caption in (2, Top, W - close size - 5, H) and the button after it;
  // without: the caption in Plain.
  void DrawTextAndButton(TCanvas* Cnvs, int W, int H, int Top, TRect Plain, bool AskEvent);
  // The skin's tab font (or DefaultFont without UseSkinFont) in Colour.
  void ApplySkinFont(TCanvas* Cnvs, TColor Colour) const;

  TWeak<TCustomForm> FChild;
};

using TvlMDITabEvent = std::function<void(TvlMDITab* MDITab)>;
using TvlMDITabMouseEvent = std::function<void(TMouseButton Button, TShiftState Shift, TvlMDITab* MDITab)>;
using TvlMDITabDrawParamsEvent = std::function<void(TvlMDITab* MDITab, TCanvas* Cnvs)>;

class TvlSkinMDITabsBar : public TvlSkinControl {
 public:
  // 150 x 21, element "tab", built-in font "Arial" height 14, tabs 100 wide, both list menus made.
  explicit TvlSkinMDITabsBar(TComponent* AOwner);
  ~TvlSkinMDITabsBar() override;

  // ---- Tabs (the form skinner calls these) ----
  // Appends a tab for Child (once per child); the list button shows with the first tab.
  void AddTab(TCustomForm* Child);
  // Frees Child's tab; the list button goes with the last tab.
  void DeleteTab(TCustomForm* Child);
  // Every tab marks whether its child is the main form's active MDI child (nothing without one).
  void UpdateActiveTab();
  // Redraws Child's tab (its caption changed).
  void RedrawTab(TCustomForm* Child);
  // The first visible tab holding the point (right and bottom edges included); nullptr or -1.
  [[nodiscard]] TvlMDITab* GetTab(int X, int Y) const;
  [[nodiscard]] int GetTabIndex(int X, int Y) const;
  [[nodiscard]] int TabCount() const { return static_cast<int>(ObjectList.size()); }
  [[nodiscard]] TvlMDITab* Tabs(int I) const { return ObjectList.at(static_cast<std::size_t>(I)).get(); }
  [[nodiscard]] int IndexOfChild(const TCustomForm* Child) const;
  // 14 without the element or its close image, else the close image's width.
  [[nodiscard]] int GetCloseSize() const;
  // Places every tab for the current size (run before each paint).
  void LayoutTabs();
  // Tabs that did not fit at the last layout.
  [[nodiscard]] int InVisibleCount() const { return FInVisibleCount; }

  // ---- Properties ----
  [[nodiscard]] bool ShowCloseButtons() const { return FShowCloseButtons; }
  void SetShowCloseButtons(bool Value);
  [[nodiscard]] TvlSkinMDITabKind TabKind() const { return FTabKind; }
  void SetTabKind(TvlSkinMDITabKind Value);
  // The form skinner that opens the children's system menus (cleared when it is freed).
  [[nodiscard]] TvlVelmora* Velmora() const { return VMR; }
  void SetVelmora(TvlVelmora* Value);
  bool SupportChildMenus = true;
  [[nodiscard]] bool UseSkinSize() const { return FUseSkinSize; }
  void SetUseSkinSize(bool Value);
  bool UseSkinFont = true;
  bool MoveTabs = true;
  [[nodiscard]] int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);  // copies the font
  [[nodiscard]] int DefaultTabWidth() const { return FDefaultTabWidth; }
  void SetDefaultTabWidth(int Value);
  [[nodiscard]] int MinTabWidth() const { return FMinTabWidth; }
  void SetMinTabWidth(int Value);

  TvlMDITabEvent OnTabMouseEnter, OnTabMouseLeave;
  TvlMDITabMouseEvent OnTabMouseDown, OnTabMouseUp;
  TvlMDITabDrawParamsEvent OnTabGetDrawParamsEvent;

  // The drop-down buttons and their menus (the buttons are nullptr while not shown).
  [[nodiscard]] TvlSkinMenuSpeedButton* ListButton() const { return FListButton; }
  [[nodiscard]] TvlSkinMenuSpeedButton* HideListButton() const { return FHideListButton; }
  [[nodiscard]] TvlSkinPopupMenu* ListMenu() const { return FListMenu; }
  [[nodiscard]] TvlSkinPopupMenu* HideListMenu() const { return FHideListMenu; }
  // The menus' items anew: one radio item per tab (the hide list: per tab that does not fit).
  void RebuildListMenu();
  void RebuildHideListMenu();

  // ---- Skin ----
  void GetSkinData() override;
  void ChangeSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  // The element's values (fallbacks of empty images kept here, never in the skin).
  TBitmap* Picture = nullptr;  // not owned
  TRect TabRect{}, ActiveTabRect{}, MouseInTabRect{}, TabsBGRect{};
  int TabLeftOffset = 0, TabRightOffset = 0;
  std::string FontName;
  TFontStyles FontStyle{};
  int FontHeight = 0;
  TColor FontColor = clBtnText, ActiveFontColor = clBtnText, MouseInFontColor = clBtnText;
  std::string UpDown;
  bool TabStretchEffect = false;
  TRect CloseButtonRect{}, ClosebuttonActiveRect{}, CloseButtonDownRect{};
  bool ButtonTransparent = false;
  TColor ButtonTransparentColor = 0;
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  TRect SkinRect{}, ClRect{};
  bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;
  bool StretchEffect = false;
  TvlStretchType StretchType = TvlStretchType::vlstFull;
  int FBottomOffset = 0;     // band under the tabs in the tab kind
  int FActiveTabOffset = 0;  // height(ActiveTabRect) - height(TabRect)
  int FCloseSize = 14;

  // Pointer state.
  bool IsDrag = false, FDown = false;
  int DX = 0, TabDX = 0, DragIndex = -1;
  int ActiveTabIndex = -1, OldTabIndex = -1;  // hovered tab, -1 none

  // The list of tabs (owned), in bar order.
  std::vector<std::unique_ptr<TvlMDITab>> ObjectList;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  [[nodiscard]] bool SkinLookAvailable() const override { return Picture != nullptr; }
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  friend class TvlMDITab;
  // The hover test of a point (-1, -1: none).
  void TestActive(int X, int Y);
  // The drop place of the dragged tab, -1 when none.
  [[nodiscard]] int DropIndex() const;
  void DrawTabs(TCanvas* C);
  void DrawDragMarker(TCanvas* C);
  void CreateListButton();
  void UpdateHideListButton();
  [[nodiscard]] bool Skinned() const { return FIndex != -1 && Picture != nullptr; }
  // The height of the tab row.
  [[nodiscard]] int TabAreaHeight() const;
  void ListItemClick(TObject* Sender);
  // Menu's items anew: one radio item per tab (HiddenOnly: per tab that does not fit), named
  // the child's Name + Suffix.
  void FillListMenu(TvlSkinPopupMenu* Menu, const char* Suffix, bool HiddenOnly);

  bool FShowCloseButtons = false;
  TvlSkinMDITabKind FTabKind = TvlSkinMDITabKind::vltkTab;
  bool FUseSkinSize = true;
  int FDefaultHeight = 21;
  std::unique_ptr<TFont> FDefaultFont;
  int FDefaultTabWidth = 100;
  int FMinTabWidth = 0;
  int FInVisibleCount = 0;
  TvlVelmora* VMR = nullptr;
  TvlSkinMenuSpeedButton* FListButton = nullptr;      // owned (a component owned by the bar)
  TvlSkinMenuSpeedButton* FHideListButton = nullptr;  // owned
  TvlSkinPopupMenu* FListMenu = nullptr;              // owned
  TvlSkinPopupMenu* FHideListMenu = nullptr;          // owned
};
