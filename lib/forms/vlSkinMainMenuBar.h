#pragma once
// The skinned main menu bar: a control aligned to the top of a form that shows the top-level
// items of a main menu, drawn from the skin's "mainmenubar" element and its item description (or
// a built-in look), with hover morphs and frame animations. Pressing an item opens its submenu
// through the form skinner's popup chain; items that do not fit hide behind a 5-pixel overflow
// marker that lists them in a popup. The form skinner drives the keyboard: Alt or F10 enters the
// menu mode, the arrows, Enter, Escape and the items' accelerators move through it.
//
//   TvlSkinMainMenuBar
//     objects, in list order: while an MDI child of the form is maximized, its four caption
//     buttons (TvlSkinMainMenuBarButton: system menu, close, restore, minimize), then one
//     TvlSkinMainMenuBarItem per visible top item of the menu
//
// Item rectangles are laid out from the current size and font before every paint (Layout), so
// they exist once the bar has a size. GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlDataSkinObjects.h"
#include "lib/data/vlSkinDescription.h"
#include "lib/controls/vlSkinCtrls.h"
#include "platform/controls/Menus.h"

class TTimer;
class TvlDataSkinMainMenuBarItem;
class TvlDataSkinStdButton;
class TvlSkinMainMenuBar;
class TvlVelmora;

// A main menu with a skin of its own, for the bar and for the popups opened for its items by
// caption objects. It is never attached to a form's Menu.
class TvlSkinMainMenu : public TMainMenu {
 public:
  explicit TvlSkinMainMenu(TComponent* AOwner) : TMainMenu(AOwner) {}
  ~TvlSkinMainMenu() override;
  [[nodiscard]] TvlSkinData* SkinData() const { return FSD; }
  // Cleared when the container is freed.
  void SetSkinData(TvlSkinData* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TvlSkinData* FSD = nullptr;
};

// One object of the bar: its place, hover and pressed state and hover morph.
class TvlMenuBarObject : public TObject {
 public:
  // AData: the skin's description (nullptr: the built-in look).
  TvlMenuBarObject(TvlSkinMainMenuBar* AParent, TvlDataSkinObject* AData);
  ~TvlMenuBarObject() override = default;

  // Starts the morph timer when the object morphs, else draws it at once.
  virtual void StartHoverEffect();
  virtual void Draw(TCanvas*) {}
  virtual void MouseDown(int, int, TMouseButton) {}
  virtual void MouseUp(int, int, TMouseButton) {}
  virtual void DblClick() {}
  virtual void MouseEnter();
  virtual void MouseLeave();
  // A morph step is due: toward the active look while Active, back otherwise; none while down
  // with a pressed image.
  virtual bool CanMorphing();
  // Morphs are asked for and the bar's skin has effects on.
  [[nodiscard]] bool EnableMorphing() const;
  // One step of 0.2 toward the target, then the object is drawn.
  void DoMorphing();
  [[nodiscard]] double MorphKf() const { return static_cast<double>(FMorphStep) / kMorphSteps; }
  // Clamped to 0..1, kept in whole steps of 0.2.
  void SetMorphKf(double Value);

  static constexpr int kMorphSteps = 5;

  TvlSkinMainMenuBar* Parent;
  bool FMouseIn = false;
  TBitmap* Picture = nullptr;  // the skin picture of the description (not owned), nullptr for none
  bool FDown = false;          // pressed, its menu open
  int FMorphStep = 0;          // 0 normal look .. kMorphSteps active look
  std::string IDName;
  TRect SkinRect{}, ActiveSkinRect{}, DownRect{};
  TRect ObjectRect{};  // bar client coordinates
  bool Active = false;
  bool Enabled = true;
  bool Visible = true;
  bool Morphing = false;
  TvlMorphKind MorphKind = TvlMorphKind::mkDefault;
};

// A bar item: one top-level menu item.
class TvlSkinMainMenuBarItem : public TvlMenuBarObject {
 public:
  TvlSkinMainMenuBarItem(TvlSkinMainMenuBar* AParent, TvlDataSkinMainMenuBarItem* AData, TMenuItem* AMenuItem);

  void StartHoverEffect() override;
  void Draw(TCanvas* Cnvs) override;
  // Left button, enabled, with a form skinner: an item with a submenu opens it (menu mode); any
  // other item leaves the menu mode and runs its command.
  void MouseDown(int X, int Y, TMouseButton Button) override;
  // Opens this item's menu when another item's menu is open, else highlights it.
  void MouseEnter() override;
  void MouseLeave() override;
  // The hover frames run (a frame strip and a skin with effects).
  [[nodiscard]] bool EnableAnimation() const;
  // Down opens the item's menu; up releases it (the morph or frames run back).
  void SetItemDown(bool Value);
  // The item's place for the current layout, starting at Left; sets the overflow state.
  void Layout(TCanvas* Measure, int Left);
  // The wrapped menu item; nullptr once the application freed it.
  [[nodiscard]] TMenuItem* MenuItem() const { return FMenuItem.Get(); }
  [[nodiscard]] bool HasSubItems() const;

  bool FSkinSupport = false;  // drawn from a description
  bool OldEnabled = true;     // Enabled kept while the item is hidden by the overflow
  bool Shown = true;          // false while the item does not fit
  std::string FontName;
  int FontHeight = 14;
  TFontStyles FontStyle{};
  TColor UnEnabledFontColor = clGrayText, FontColor = clBtnText, ActiveFontColor = clBtnText,
         DownFontColor = clBtnText;
  TRect TextRct{};
  int LO = 0, RO = 0;
  bool StretchEffect = false;
  TRect AnimateSkinRect{};
  int FrameCount = 0;
  int AnimateInterval = 25;
  int CurrentFrame = 0;
  bool InActiveAnimation = false;

 private:
  void PopupItemMenu();
  void DrawSkinned(TCanvas* Cnvs);
  void DefaultDraw(TCanvas* Cnvs);
  // One image of the item (source S, active style A) drawn at the item's place.
  void DrawImage(TCanvas* Cnvs, const TRect& S, bool A);
  void ApplyFont(TFont* F) const;
  [[nodiscard]] TRect FrameRect() const;
  void DrawCaption(TCanvas* C, TRect R, bool Selected, UINT Flags);

  TWeak<TMenuItem> FMenuItem;
};

// A caption button of the maximized MDI child shown on the bar: the child's system menu at the
// bar's left end, its close, restore and minimize buttons at the right end. Each acts on the
// maximized child's form skinner (nothing when there is none).
class TvlSkinMainMenuBarButton : public TvlMenuBarObject {
 public:
  // AData: the skin's button description (nullptr: the built-in look).
  TvlSkinMainMenuBarButton(TvlSkinMainMenuBar* AParent, TvlDataSkinStdButton* AData, const std::string& AName,
                           TvlStdCommand ACommand);

  void Draw(TCanvas* Cnvs) override;
  // A left press: the button goes down; the system-menu button opens the child's menu at once.
  void MouseDown(int X, int Y, TMouseButton Button) override;
  // A left release: the button comes up and, with the pointer still on it, runs its command.
  void MouseUp(int X, int Y, TMouseButton Button) override;
  // On the system-menu button: the menu closes and the child closes.
  void DblClick() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void DefaultDraw(TCanvas* Cnvs);
  // The system menu this button opened has closed.
  void MenuClosed(bool Hovered);

  bool FSkinSupport = false;  // made from a description with a picture
  TvlStdCommand Command;

 private:
  void DoCommand();
  void PopupChildSystemMenu();
};

using TvlItemEnterEvent = std::function<void(TMenuItem* MenuItem)>;
using TvlItemLeaveEvent = std::function<void(TMenuItem* MenuItem)>;

class TvlSkinMainMenuBar : public TvlSkinControl {
 public:
  // Aligned to the top, 22 pixels high, element "mainmenubar", overflow marker on, the skin's
  // item font.
  explicit TvlSkinMainMenuBar(TComponent* AOwner);
  ~TvlSkinMainMenuBar() override;

  // ---- Properties ----
  [[nodiscard]] bool ScrollMenu() const { return FScrollMenu; }
  void SetScrollMenu(bool Value);
  [[nodiscard]] bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value);
  // The built-in look's font ("Arial", height 14); writes copy it.
  [[nodiscard]] TFont* DefItemFont() const { return FDefItemFont.get(); }
  void SetDefItemFont(TFont* Value);
  [[nodiscard]] int DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(int Value);
  [[nodiscard]] int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  bool PopupToUp = false;
  // The form skinner that opens the menus and takes the keyboard (cleared when it is freed).
  [[nodiscard]] TvlVelmora* Velmora() const { return VMR; }
  void SetVelmora(TvlVelmora* Value);
  // The menu shown (cleared when it is freed); setting it builds the items.
  [[nodiscard]] TMainMenu* MainMenu() const { return FMainMenu; }
  void SetMainMenu(TMainMenu* Value);

  TvlItemEnterEvent OnItemMouseEnter;
  TvlItemLeaveEvent OnItemMouseLeave;

  // ---- Items ----
  // A child menu shown with the main menu's items, merged by GroupIndex.
  void Merge(TMainMenu* Menu);
  void UnMerge();
  // Builds the items again, repaints, and starts watching the pointer.
  void UpDateItems();
  // Every item takes its menu item's Enabled.
  void UpDateEnabledItems();
  // The merged menu when set, else nullptr (child forms are not merged into this bar).
  [[nodiscard]] TMainMenu* GetChildMainMenu() const;
  // One bar item per visible top item of the menu (with a child menu: merged by GroupIndex).
  void CreateMenu();
  // Places the items for the current size: the items area, each item after the previous one,
  // the ones that do not fit hidden and disabled (Scroll set).
  void Layout();

  // ---- Caption buttons of a maximized MDI child (the form skinner calls these) ----
  // A child was maximized: the four buttons show at the bar's ends.
  void ShowChildButtons();
  // A child left the maximized state: with none maximized any more the buttons go, else they
  // follow the maximized child's border icons.
  void UpdateChildButtons();
  [[nodiscard]] bool ChildButtonsShown() const { return FMDIChildMax; }
  // The button of a command, nullptr when not shown.
  [[nodiscard]] TvlSkinMainMenuBarButton* ChildButton(TvlStdCommand Command) const;

  // ---- Keyboard (the form skinner calls these) ----
  void BeginKeyboardMenu();
  void EndKeyboardMenu();
  // The open item is highlighted instead of pressed (its menu closed, the menu mode goes on).
  void ReturnToBar();
  void SelectNextItem();
  void SelectPriorItem();
  // Opens the highlighted item's menu or runs its command; false when no item was taken.
  bool OpenSelectedItem();
  // Key as an item's accelerator: the item is highlighted and opened or run; false when no
  // item has it (or the bar cannot act).
  bool ActivateItemByAccel(WORD Key);

  // ---- Pointer ----
  // The object under the point (bar client coordinates; (-1, -1) for none) becomes the active
  // one; the old one hears MouseLeave, the new one MouseEnter.
  void UpdateHoverObject(int X, int Y);
  // The pointer watch (normally run by MouseTimer every 50 ms).
  void MouseTimerTick();
  void MorphTimerTick();
  void AnimateTimerTick();
  // The overflow marker's place, bar client coordinates.
  [[nodiscard]] TRect MarkerRect() const;
  // Lists the items that do not fit in a popup under the marker.
  void PopupOverflowMenu();
  // Draws one object now (the whole bar when items show the bar through them).
  void RedrawObject(TvlMenuBarObject* Object);

  void GetSkinData() override;
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // The objects (owned), in list order.
  std::vector<std::unique_ptr<TvlMenuBarObject>> ObjectList;
  int ActiveObject = -1, OldActiveObject = -1, MouseCaptureObject = -1;
  bool MenuActive = false;    // keyboard or click menu mode
  bool Scroll = false;        // some item did not fit at the last layout
  bool MarkerActive = false;  // the pointer is over the overflow marker
  bool FSkinSupport = false;  // the element was found
  bool ChildMenuIn = false;   // a child menu is merged
  bool FMDIChildMax = false;  // the maximized child's buttons are shown
  int ButtonsCount = 0;       // child buttons at the head of ObjectList
  // The skin objects the child buttons are drawn from (names from the element).
  std::string MaxButton, MinButton, SysMenuButton, CloseButton;
  TRect NewItemsRect{};
  // From the element.
  TRect SkinRect{}, ItemsRect{};
  std::string MenuBarItem;
  TColor TrackMarkColor = clBtnShadow, TrackMarkActiveColor = clBtnText;
  TBitmap* Picture = nullptr;  // not owned
  bool StretchEffect = false, ItemTransparent = false;
  TTimer* MouseTimer = nullptr;
  TTimer* MorphTimer = nullptr;
  TTimer* AnimateTimer = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void Resize() override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  friend class TvlSkinMainMenuBarItem;
  void PaintBar(TCanvas* C);
  // The child buttons made anew at the head of the list (vlSkinMainMenuBarButtons.cpp).
  void CreateChildButtons();
  void FreeChildButtons();
  // Every button enabled; minimize and system menu as the maximized child's border icons allow.
  void EnableChildButtons();
  // Places the buttons at the ends of NewItemsRect, which shrinks by them.
  void LayoutChildButtons();
  void DrawMarker(TCanvas* C);
  [[nodiscard]] TvlSkinMainMenuBarItem* ItemAt(int Index) const;
  // The bar items that take part in keyboard moves.
  [[nodiscard]] std::vector<TvlSkinMainMenuBarItem*> Items() const;
  // The menu items to list: the main menu's own or the merged ones.
  [[nodiscard]] std::vector<TMenuItem*> TopItems() const;

  bool FScrollMenu = true;
  bool FUseSkinFont = true;
  std::unique_ptr<TFont> FDefItemFont;
  int FDefaultWidth = 0;
  int FDefaultHeight = 22;
  TvlVelmora* VMR = nullptr;
  TMainMenu* FMainMenu = nullptr;
  TMainMenu* FMergeMenu = nullptr;
};
