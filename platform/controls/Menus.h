#pragma once
// Menus of the component framework: menu items in a tree, the menus that own such a tree (main
// menus and popup menus), keyboard shortcuts and their texts. A popup menu shows itself in a
// plain popup window of its own (PopupMenuWindow.cpp) that tracks the mouse and keyboard until
// a command is chosen or the menu is cancelled. Everything runs on the GUI thread.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/ActnList.h"
#include "platform/controls/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/windowing/MenuHandles.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/ShiftState.h"
#include "platform/core/Types.h"

class TBitmap;
class TCanvas;
class TCustomImageList;
class TMenu;
class TMenuItem;

// A shortcut: the virtual-key code in the low byte plus modifier bits.
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

[[nodiscard]] TShortCut ShortCut(WORD Key, TShiftState Shift);
// Splits a shortcut into key and modifiers.
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// "Ctrl+Shift+S", "Alt+F4", "Del"; empty for scNone or a key without a name.
[[nodiscard]] std::string ShortCutToText(TShortCut ShortCut);
// The reverse of ShortCutToText, modifiers in any order and case; scNone for text it does not
// understand.
[[nodiscard]] TShortCut TextToShortCut(const std::string& Text);

// "&" marks the accelerator of a caption ("&&" is a literal ampersand).
// The accelerator character of Caption, upper-cased for letters; 0 when there is none.
[[nodiscard]] char32_t GetHotkey(const std::string& Caption);
// True when Key (a character or virtual-key code of a letter or digit) is Caption's accelerator.
[[nodiscard]] bool IsAccel(WORD Key, const std::string& Caption);
// Caption without its "&" markers.
[[nodiscard]] std::string StripHotkey(const std::string& Caption);

constexpr const char* cLineCaption = "-";

enum class TMenuAutoFlag { maAutomatic, maManual, maParent };
enum class TFindItemKind { fkCommand, fkHandle, fkShortCut };

// Draws a menu item in place of its standard look: Sender is the object drawing the row (a menu
// item for the plain popup, a skinned row object otherwise), ARect the text area.
using TMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)>;

// Link of a menu item to its action: every change of the action is copied to the item.
class TMenuActionLink : public TActionLink {
 public:
  explicit TMenuActionLink(TMenuItem* AClient);
  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(int Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;

 private:
  TMenuItem* item_;
};

class TMenuItem : public TComponent {
 public:
  // AOwner frees the item when it is freed; the parent item frees its children as well (an item
  // removes itself from its parent and its owner when freed, whichever comes first).
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  [[nodiscard]] const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  [[nodiscard]] bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  [[nodiscard]] bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  // Checking a radio item unchecks the other radio items of its GroupIndex under the same parent.
  [[nodiscard]] bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  [[nodiscard]] bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool Value);
  [[nodiscard]] BYTE GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(BYTE Value);
  [[nodiscard]] bool Default() const { return default_; }
  void SetDefault(bool Value);
  [[nodiscard]] int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  [[nodiscard]] TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  [[nodiscard]] const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value);
  // The item's own picture, made on first use (owned by the item).
  [[nodiscard]] TBitmap* Bitmap();
  [[nodiscard]] bool HasBitmap() const;
  void SetBitmap(TBitmap* Value);

  [[nodiscard]] TBasicAction* Action() const;
  // Links the item to an action (nullptr unlinks); the item takes the action's properties.
  void SetAction(TBasicAction* Value);
  [[nodiscard]] TMenuActionLink* ActionLink() const { return actionLink_.get(); }

  // A number unique among the live menu items of the process, given at construction.
  [[nodiscard]] WORD Command() const { return command_; }

  [[nodiscard]] int Count() const { return static_cast<int>(items_.size()); }
  // Raises EMenuError for an index outside 0..Count-1.
  [[nodiscard]] TMenuItem* Items(int Index) const;
  [[nodiscard]] TMenuItem* operator[](int Index) const { return Items(Index); }
  [[nodiscard]] TMenuItem* Parent() const { return parent_; }
  [[nodiscard]] int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
  // The menu whose tree holds this item, or nullptr.
  [[nodiscard]] TMenu* GetParentMenu() const;

  // Raises EMenuError when Item is nullptr or already has a parent, or the index is bad.
  void Insert(int Index, TMenuItem* Item);
  void Add(TMenuItem* Item);
  void Add(const std::vector<TMenuItem*>& AItems);
  // Takes the child out of the tree without freeing it (the caller owns it then).
  void Remove(TMenuItem* Item);
  // Frees the child at Index.
  void Delete(int Index);
  // Frees every child.
  void Clear();
  [[nodiscard]] int IndexOf(const TMenuItem* Item) const;
  // The first child of that caption ("&" ignored, case-insensitive), or nullptr.
  [[nodiscard]] TMenuItem* Find(const std::string& ACaption) const;

  // Runs the item's command: OnClick, or else the linked action. Nothing for a disabled item.
  virtual void Click();
  // Hides the separators that would show doubled, first or last among the visible children;
  // true when some visibility changed.
  bool RethinkLines();
  [[nodiscard]] bool IsLine() const { return caption_ == cLineCaption; }

  TNotifyEvent OnClick;
  TMenuDrawItemEvent OnDrawItem;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Called after a property or the children changed; tells the menu that owns the tree.
  void MenuChanged();

 private:
  friend class TMenu;
  friend class TMenuActionLink;
  void UncheckRadioSiblings();

  std::string caption_;
  bool visible_ = true;
  bool enabled_ = true;
  bool checked_ = false;
  bool radioItem_ = false;
  BYTE groupIndex_ = 0;
  bool default_ = false;
  int imageIndex_ = -1;
  TShortCut shortCut_ = 0;
  std::string hint_;
  std::unique_ptr<TBitmap> bitmap_;
  std::unique_ptr<TMenuActionLink> actionLink_;
  WORD command_ = 0;
  std::vector<TMenuItem*> items_;  // children, owned through the tree
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item of a menu only
};

class EMenuError : public Exception {
 public:
  using Exception::Exception;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The invisible root whose children are the menu's items.
  [[nodiscard]] TMenuItem* Items() const { return items_; }
  [[nodiscard]] TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  [[nodiscard]] TMenuAutoFlag AutoLineReduction() const { return autoLineReduction_; }
  void SetAutoLineReduction(TMenuAutoFlag Value) { autoLineReduction_ = Value; }

  // The item of the tree with that command (fkCommand) or shortcut (fkShortCut), or nullptr.
  [[nodiscard]] virtual TMenuItem* FindItem(unsigned Value, TFindItemKind Kind) const;
  // Clicks the item with that command; false when there is none.
  bool DispatchCommand(WORD ACommand);
  // Runs the enabled, visible item whose shortcut is the key with the shift state (its parents'
  // OnClick first, as when the menu is opened); true when one ran.
  virtual bool IsShortCut(WORD Key, TShiftState Shift);
  // The same for a WM_KEYDOWN / WM_SYSKEYDOWN message (Alt from the key data, Shift and Ctrl from
  // the keyboard state).
  bool IsShortCut(const TMessage& Message);

  // Fired after an item of the tree changed (Source the item, Rebuild true when children changed).
  std::function<void(TObject* Sender, TMenuItem* Source, bool Rebuild)> OnChange;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void MenuChanged(TMenuItem* Source, bool Rebuild);

 private:
  friend class TMenuItem;
  TMenuItem* items_ = nullptr;  // owned (a component owned by the menu)
  TCustomImageList* images_ = nullptr;
  TMenuAutoFlag autoLineReduction_ = TMenuAutoFlag::maAutomatic;
};

// The menu of a form. Another main menu (an MDI child's) can be merged in: its top items take
// the place of this menu's top items of the same GroupIndex, the rest in GroupIndex order.
class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
  ~TMainMenu() override;

  // Merges Menu in (nullptr: no merge); a second Merge replaces the first.
  void Merge(TMainMenu* Menu);
  // Ends the merge when Menu is the merged menu.
  void Unmerge(TMainMenu* Menu);
  [[nodiscard]] TMainMenu* MergedMenu() const { return merged_; }
  // The top items as shown: without a merge the visible and hidden items in order; with one, the
  // items of this menu whose GroupIndex the merged menu lacks and all items of the merged menu,
  // stably sorted by GroupIndex.
  [[nodiscard]] std::vector<TMenuItem*> MergedItems() const;
  // Also tries the merged menu's shortcuts.
  using TMenu::IsShortCut;
  bool IsShortCut(WORD Key, TShiftState Shift) override;
  [[nodiscard]] TMenuItem* FindItem(unsigned Value, TFindItemKind Kind) const override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TMainMenu* merged_ = nullptr;
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* AOwner);

  // Shows the menu with its corner at the screen point (as Alignment says) and tracks it until
  // a command is chosen or the menu is cancelled; the chosen command runs after the window has
  // closed. OnPopup runs first. Re-entrant calls while tracking are ignored. The form owning the
  // menu (else the form of PopupComponent) hears the menu loop messages.
  virtual void Popup(int X, int Y);
  // Closes the menu being tracked, if any, without a command.
  static void CloseActive();

  // The component the menu was shown for (set by the control that pops it up).
  [[nodiscard]] TComponent* PopupComponent() const { return popupComponent_.Get(); }
  void SetPopupComponent(TComponent* Value) { popupComponent_ = TWeak<TComponent>(Value); }
  [[nodiscard]] bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool Value) { autoPopup_ = Value; }
  [[nodiscard]] TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
  // Where the menu was shown last; (-1, -1) before.
  [[nodiscard]] TPoint PopupPoint() const { return popupPoint_; }

  TNotifyEvent OnPopup;

 protected:
  TPoint popupPoint_{-1, -1};

 private:
  TWeak<TComponent> popupComponent_;
  bool autoPopup_ = true;
  TPopupAlignment alignment_ = TPopupAlignment::paLeft;
};

namespace detail {
// Who hears of a plain popup menu session.
struct TPlainPopupOptions {
  // Hears of every level before it is built (its parent item and that item's index in its own
  // parent, 0 for the root).
  std::function<void(TMenuItem* Parent, int Index)> OnOpenLevel;
  // Sent WM_ENTERMENULOOP (wParam TRUE) first; WM_MENUSELECT whenever an item is highlighted
  // (low word of wParam the command, or the index of an item with a submenu; high word the
  // MF_ flags; lParam the level's menu handle); when the menu closes, WM_MENUSELECT with flags
  // 0xFFFF and lParam 0, then WM_EXITMENULOOP (wParam TRUE). nullptr: nobody.
  HWND Owner = nullptr;
  // The command WM_MENUSELECT reports for an item without a submenu (default: its Command()).
  std::function<UINT(const TMenuItem* Item)> CommandOf;
};

// Runs the plain popup menu over the children of Root with its anchor point at Pos (screen);
// returns the chosen item (still alive) or nullptr when cancelled. Defined in PopupMenuWindow.cpp.
// The application's Hint follows the highlighted item (its long hint) and is "" afterwards.
TMenuItem* TrackPlainPopup(TMenuItem* Root, TCustomImageList* Images, TPoint Pos, TPopupAlignment Alignment,
                           const TPlainPopupOptions& Options = {});
// Ends the tracking loop running on this thread, if any.
void CancelPlainPopup();
// True while a plain popup menu is being tracked.
[[nodiscard]] bool PlainPopupActive();
// The windows of the open levels, root first (empty when no menu is tracked).
[[nodiscard]] std::vector<HWND> PlainPopupWindows();
// The screen rectangle of the row showing Item in an open level (the part scrolled into view);
// empty when it is not shown.
[[nodiscard]] TRect PlainPopupItemRect(const TMenuItem* Item);
// The menu handle naming Item's children, or nullptr when it has none (MenuHandles.cpp).
[[nodiscard]] HMENU FindMenuHandle(const TMenuItem* Item);
// The same, giving Item a handle when it has none yet; the handle dies with the item and never
// destroys it (DestroyMenu refuses it).
[[nodiscard]] HMENU MenuHandleOf(TMenuItem* Item);
}  // namespace detail
