#pragma once
// Office-style pickers: a list of items that each carry an optional bold title above a
// word-wrapped caption and an image, split into groups by header items (TvlSkinOfficeListBox),
// the same list as a drop-down window (TvlPopupOfficeListBox), and the closed box that shows the
// chosen item and opens that list (TvlSkinOfficeComboBox).
//
//   +------------------------------+
//   |        header (group)        |   skipped by the mouse and the keys
//   | Title                        |
//   | [img] caption, word-wrapped  |   ItemHeight each; disabled ones drawn dimmed and skipped
//   | ...                          | # |  a skinned scroll bar while the items are taller
//   +------------------------------+
//
// The list scrolls by pixels. An ItemIndex at or beyond the item count means no selection.
// GUI thread only; the drop-down's fade-in and the box's auto-scroll run on timers.

#include <functional>
#include <memory>
#include <string>

#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinComboParts.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "platform/core/Collection.h"
#include "platform/controls/ListBox.h"
#include "platform/windowing/MessageQueue.h"

class TvlSkinOfficeItems;
class TvlSkinOfficeListBox;
class TvlDataSkinButtonControl;

// Owner drawing of a normal item: Cnvs the canvas the item is drawn on, TextRct its text area.
using TvlDrawSkinOfficeItemEvent = std::function<void(TCanvas* Cnvs, int Index, const TRect& TextRct)>;

class TvlSkinOfficeItem : public TCollectionItem {
 public:
  explicit TvlSkinOfficeItem(TCollection* Collection);

  [[nodiscard]] bool Header() const { return FHeader; }
  virtual void SetHeader(bool Value);
  [[nodiscard]] bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  [[nodiscard]] const std::string& Title() const { return FTitle; }
  virtual void SetTitle(const std::string& Value);
  [[nodiscard]] const std::string& Caption() const { return FCaption; }
  virtual void SetCaption(const std::string& Value);
  [[nodiscard]] int ImageIndex() const { return FImageIndex; }
  virtual void SetImageIndex(int Value);
  // Free data of the application; a write reports no change.
  [[nodiscard]] void* Data() const { return FData; }
  virtual void SetData(void* Value) { FData = Value; }
  // Fired when the item becomes the selected one through the list's ItemIndex (Sender the list).
  TNotifyEvent OnClick;

  // Copies the look (image, caption, title, enabled, header) of another office item, without
  // a change report; neither OnClick nor Data.
  void Assign(TPersistent* Source) override;

  // Kept by the list: the rectangle (control coordinates, scrolled), whether it meets the items
  // area, and whether it is the selected item.
  TRect ItemRect{};
  bool IsVisible = false;
  bool Active = false;

 private:
  bool FHeader = false;
  bool FEnabled = true;
  std::string FTitle;
  std::string FCaption;
  int FImageIndex = -1;
  void* FData = nullptr;
};

class TvlSkinOfficeItems : public TOwnedCollection {
 public:
  explicit TvlSkinOfficeItems(TvlSkinOfficeListBox* AListBox);

  [[nodiscard]] TvlSkinOfficeItem* Items(int Index) const {
    return static_cast<TvlSkinOfficeItem*>(TCollection::Items(Index));
  }
  [[nodiscard]] TvlSkinOfficeItem* GetItem(int Index) const { return Items(Index); }
  // A new item (not a header, enabled, no image, empty texts) at the end or at Index; the list
  // repaints once the item is complete.
  TvlSkinOfficeItem* Add();
  TvlSkinOfficeItem* Insert(int Index);

  TvlSkinOfficeListBox* const OfficeListBox;

 protected:
  // Every change repaints the list and brings its scroll bar up to date.
  void Update(TCollectionItem* Item) override;
};

class TvlSkinOfficeListBox : public TvlSkinCustomControl {
 public:
  explicit TvlSkinOfficeListBox(TComponent* AOwner);
  ~TvlSkinOfficeListBox() override;

  [[nodiscard]] TvlSkinOfficeItems* Items() const { return FItems.get(); }
  void SetItems(TvlSkinOfficeItems* Value);
  [[nodiscard]] TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  [[nodiscard]] bool ShowItemTitles() const { return FShowItemTitles; }
  void SetShowItemTitles(bool Value);
  [[nodiscard]] int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value);
  [[nodiscard]] int HeaderHeight() const { return FHeaderHeight; }
  void SetHeaderHeight(int Value);
  [[nodiscard]] bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool Value);
  // The selected item, -1 for none. A write selects the item (an index at or beyond the count
  // selects nothing), scrolls it into view and fires the item's OnClick and OnItemClick.
  [[nodiscard]] int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  // The selection follows the pointer without a button pressed.
  bool MouseMoveChangeIndex = false;
  TvlDrawSkinOfficeItemEvent OnDrawItem;
  TNotifyEvent OnItemClick;

  // Height of a list showing AItemCount items.
  [[nodiscard]] int CalcHeight(int AItemCount);
  // The first enabled item whose rectangle holds the point, -1 for none.
  [[nodiscard]] int ItemAtPos(int X, int Y);
  void ScrollToItem(int Index);
  void Scroll(int AScrollOffset);
  void GetScrollInfo(int& AMin, int& AMax, int& APage, int& APosition);
  void UpdateScrollInfo();
  void ShowScrollbar();
  void HideScrollBar();
  void AdjustScrollBar();
  void CalcItemRects();
  void DrawItem(int Index, TCanvas* Cnvs);
  void SkinDrawItem(int Index, TCanvas* Cnvs);
  void DefaultDrawItem(int Index, TCanvas* Cnvs);
  void SkinDrawHeaderItem(int Index, TCanvas* Cnvs);
  void FindUp();
  void FindDown();
  void FindPageUp();
  void FindPageDown();
  // Selects Index without any event.
  void SetActiveItem(int Index);

  [[nodiscard]] int ScrollOffset() const { return FScrollOffset; }
  [[nodiscard]] const TRect& ItemsRect() const { return FItemsRect; }
  TvlSkinScrollBar* ScrollBar = nullptr;  // owned while it exists

  void ChangeSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateWnd() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  friend class TvlSkinOfficeItems;
  friend class TvlSkinCustomOfficeComboBox;
  void ItemsChanged();
  void DrawItems(TBitmap* B);
  // The caption (and title and image) of a normal item in R.
  void DrawItemContent(int Index, TCanvas* Cnvs, TRect R, bool SkinLook);
  [[nodiscard]] int RowsPerPage() const;
  // Walks Indices (in order) for the page keys: the first selectable item after a header, else
  // the farthest selectable one.
  void PageWalk(int From, int To, int Step);
  [[nodiscard]] bool Selectable(int Index) const;

  std::unique_ptr<TvlSkinOfficeItems> FItems;
  TCustomImageList* FImages = nullptr;
  bool FShowItemTitles = true;
  int FItemHeight = 30;
  int FHeaderHeight = 20;
  int FItemIndex = -1;
  bool FShowLines = false;
  TRect FItemsRect{};
  int FScrollOffset = 0;
  int FMax = 0;
  int FRealMax = 0;
  int FOldHeight = -1;
  TColor FDisabledFontColor = static_cast<TColor>(0x808080);
  bool FMouseDown = false;
  int FMouseActive = -1;
  bool FClicksDisabled = false;
};

// The office list as a top-level pop-up: a tool window that never takes the activation, saves
// the bits under it and drops a shadow; translucent and fading in when its owner asks.
class TvlPopupOfficeListBox : public TvlSkinOfficeListBox {
 public:
  explicit TvlPopupOfficeListBox(TComponent* AOwner);
  ~TvlPopupOfficeListBox() override;
  // Shows the list with its top-left corner at Origin (screen) without activating it; with the
  // owning box's AlphaBlend it is translucent, and fades in with AlphaBlendAnimation.
  void Show(TPoint Origin);
  void Hide();
  [[nodiscard]] int Opacity() const { return FDropDown.Opacity(); }
  [[nodiscard]] bool Fading() const { return FDropDown.Fading(); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  TvlDropDownWindow FDropDown;
};

// The closed box of an office picker.
class TvlSkinCustomOfficeComboBox : public TvlSkinComboBase {
 public:
  explicit TvlSkinCustomOfficeComboBox(TComponent* AOwner);
  ~TvlSkinCustomOfficeComboBox() override;

  // ---- Items (they live in the drop-down) ----
  [[nodiscard]] TvlSkinOfficeItems* Items() const { return FListBox->Items(); }
  void SetItems(TvlSkinOfficeItems* Value) { FListBox->SetItems(Value); }
  [[nodiscard]] int ItemIndex() const { return FListBox->ItemIndex(); }
  // Selects Value, repaints, and (outside loading) fires OnClick then OnChange, every time.
  void SetItemIndex(int Value);
  [[nodiscard]] TCustomImageList* Images() const { return FListBox->Images(); }
  void SetImages(TCustomImageList* Value) { FListBox->SetImages(Value); }

  // ---- The drop-down list ----
  [[nodiscard]] TvlPopupOfficeListBox* ListBox() const { return FListBox; }
  [[nodiscard]] TFont* ListBoxDefaultFont() const { return FListBox->DefaultFont(); }
  void SetListBoxDefaultFont(TFont* Value) { FListBox->DefaultFont()->Assign(Value); }
  [[nodiscard]] bool ListBoxUseSkinFont() const { return FListBox->UseSkinFont(); }
  void SetListBoxUseSkinFont(bool Value) { FListBox->SetUseSkinFont(Value); }
  [[nodiscard]] bool ListBoxShowItemTitles() const { return FListBox->ShowItemTitles(); }
  void SetListBoxShowItemTitles(bool Value) { FListBox->SetShowItemTitles(Value); }
  [[nodiscard]] bool ListBoxShowLines() const { return FListBox->ShowLines(); }
  void SetListBoxShowLines(bool Value) { FListBox->SetShowLines(Value); }
  [[nodiscard]] int ListBoxItemHeight() const { return FListBox->ItemHeight(); }
  void SetListBoxItemHeight(int Value) { FListBox->SetItemHeight(Value); }
  [[nodiscard]] int ListBoxHeaderHeight() const { return FListBox->HeaderHeight(); }
  void SetListBoxHeaderHeight(int Value) { FListBox->SetHeaderHeight(Value); }
  [[nodiscard]] const std::string& ListBoxSkinDataName() const { return FListBox->SkinDataName(); }
  void SetListBoxSkinDataName(const std::string& Value) { FListBox->SetSkinDataName(Value); }
  // 0: the height of DropDownCount rows.
  int ListBoxHeight = 0;
  [[nodiscard]] int DropDownCount() const { return FDropDownCount; }
  // A negative value is ignored.
  void SetDropDownCount(int Value);

  // ---- Look ----
  // Switching it on also turns UseSkinSize off.
  void SetToolButtonStyle(bool Value);
  void SetDefaultColor(TColor Value);
  [[nodiscard]] bool ShowItemTitle() const { return FShowItemTitle; }
  void SetShowItemTitle(bool Value);
  [[nodiscard]] bool ShowItemImage() const { return FShowItemImage; }
  void SetShowItemImage(bool Value);
  [[nodiscard]] bool ShowItemText() const { return FShowItemText; }
  void SetShowItemText(bool Value);
  bool HideSelection = true;

  TvlDrawSkinOfficeItemEvent OnDrawItem;

  // ---- Drop-down ----
  void DropDown() override;
  void CloseUp(bool Value) override;
  [[nodiscard]] bool IsPopupVisible() const override { return FListBox->Visible(); }

  // Draws the closed box with AText in place of the item on C at (X, Y).
  void PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText);

  void ChangeSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void Dispatch(TMessage& Message) override;
  void DropDownFadeStarts() override { FLBDown = false; }

 protected:
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void PriorItem(bool ASelect) override;
  void NextItem(bool ASelect) override;
  void PageUpItem(bool ASelect) override;
  void PageDownItem(bool ASelect) override;
  void FirstItem(bool ASelect) override;
  void LastItem(bool ASelect) override;
  // Type-to-find: the next selectable item whose caption starts with the typed character.
  void KeyPress(char32_t& Key) override;
  bool WantsChars() override { return true; }
  bool WantsKey(WORD Key) override;
  void AutoScrollStep(int Mode) override;

 private:
  [[nodiscard]] int ShownIndex() const;
  void CommitListIndex(bool ASelect);
  void TrackList();
  // Painting.
  void DrawItemContent(TCanvas* C, TRect R, int Index, const std::string* OverrideText);
  void DrawButton(TCanvas* C);
  void DrawSkinButton(TCanvas* C);
  void DrawDefaultItem(TCanvas* C);
  void DrawSkinItem(TBitmap* B);
  void DrawSkinSizeItem(TBitmap* B);
  void DrawToolButton(TCanvas* C, int W, int H, const std::string* OverrideText);
  void DrawSkinToolButton(TBitmap* B, const std::string* OverrideText);
  [[nodiscard]] bool Hot() const;

  TvlPopupOfficeListBox* FListBox = nullptr;  // owned (component)
  int FListHook = 0;
  bool FShowItemTitle = true, FShowItemImage = true, FShowItemText = true;
  int FDropDownCount = 7;
};

class TvlSkinOfficeComboBox : public TvlSkinCustomOfficeComboBox {
 public:
  using TvlSkinCustomOfficeComboBox::TvlSkinCustomOfficeComboBox;
};
