#pragma once
// The skinned list box and its relatives: TvlSkinCustomListBox (TvlSkinListBox) hosts a platform
// list box (TvlListBox) that it paints item by item from a list element of the skin, keeps
// skinned scroll bars in step with it, and can show a caption band with up, down and check
// buttons; TvlPopupListBox is that list as the drop-down window of a combo box; TvlSkinUpDown
// is a pair of skinned arrow buttons stepping a value.
//
//   +--------------------------------+
//   | caption [glyph]      [v][^][x] |  caption band (CaptionMode), buttons check, down, up
//   +----------------------------+---+
//   | item                       | ^ |  the inner list (ListRect) beside the vertical bar
//   | item (selected)            | # |
//   | item                       | v |
//   +----------------------------+---+
//   | <        horizontal bar    > |     (HorizontalExtent, single column)
//   +--------------------------------+
//
// Scroll positions pass between the bars and the list as whole integers. Auto-repeat runs on
// window timer 1 of the control; the drop-down's fade-in runs on a timer of its own. GUI thread
// only.

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsAnimators.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "platform/controls/ListBox.h"

class TvlSkinCustomListBox;

// Owner drawing of one item: Cnvs is the item bitmap's canvas (0, 0 at the item's corner),
// TxtRect the text rectangle in it.
using TvlDrawSkinItemEvent = std::function<void(TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight,
                                                const TRect& TxtRect, TOwnerDrawState State)>;

// The platform list inside a skinned list box: it never paints itself the platform's way, hands
// its input to its owner first, and has no non-client area (its native scroll range stays for
// the skinned bars to read).
class TvlListBox : public TListBox {
 public:
  explicit TvlListBox(TComponent* AOwner);

  // The owning skinned list box; every forwarding is skipped while it is nullptr.
  TvlSkinCustomListBox* SkinListBox = nullptr;
  // Pixels by which item images and text are shifted left (horizontal scrolling); 0 unscrolled.
  [[nodiscard]] int HorizontalExtentValue() const { return FHorizontalExtentValue; }
  void SetHorizontalExtentValue(int Value) { FHorizontalExtentValue = Value; }

  void Click() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void WndProc(TMessage& Message) override;
  // Paints an item (in the owner's present look) on DC at Rect.
  void PaintItem(HDC DC, int Index, const TRect& Rect, TOwnerDrawState State);
  // The state an item is painted in when the list paints itself.
  [[nodiscard]] TOwnerDrawState GetItemState(int Index) const;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void CMEnter(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  void WMPaint(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;

 private:
  void PaintWindow(HDC DC);
  void PaintBackground(HDC DC);
  int FHorizontalExtentValue = 0;
};

class TvlSkinCustomListBox : public TvlSkinCustomControl {
 public:
  explicit TvlSkinCustomListBox(TComponent* AOwner);
  ~TvlSkinCustomListBox() override;

  // Caption buttons.
  static constexpr int kUpButton = 0, kDownButton = 1, kCheckButton = 2;

  // ---- Items ----
  [[nodiscard]] TStrings* Items() const { return ListBox->Items(); }
  void SetItems(TStrings* Value);
  [[nodiscard]] int ItemIndex() const { return ListBox->ItemIndex(); }
  void SetItemIndex(int Value) { ListBox->SetItemIndex(Value); }
  [[nodiscard]] int TopIndex() const { return ListBox->TopIndex(); }
  void SetTopIndex(int Value) { ListBox->SetTopIndex(Value); }
  [[nodiscard]] bool Selected(int Index) const { return ListBox->Selected(Index); }
  [[nodiscard]] int SelCount() const { return ListBox->SelCount(); }
  [[nodiscard]] bool MultiSelect() const { return ListBox->MultiSelect(); }
  void SetMultiSelect(bool Value) { ListBox->SetMultiSelect(Value); }
  [[nodiscard]] bool ExtandedSelect() const { return ListBox->ExtendedSelect(); }
  void SetExtandedSelect(bool Value) { ListBox->SetExtendedSelect(Value); }
  [[nodiscard]] bool Sorted() const { return ListBox->Sorted(); }
  // Removes the vertical bar first; the next synchronisation brings it back when needed.
  void SetSorted(bool Value);
  [[nodiscard]] TCanvas* ListBoxCanvas() const { return ListBox->Canvas(); }
  [[nodiscard]] TFont* ListBoxFont() const { return ListBox->Font(); }
  void SetListBoxFont(TFont* Value) { ListBox->Font()->Assign(Value); }
  // The inner list's place in the tab order, its tab stop and its pop-up menu.
  [[nodiscard]] int ListBoxTabOrder() const { return ListBox->TabOrder(); }
  void SetListBoxTabOrder(int Value) { ListBox->SetTabOrder(Value); }
  [[nodiscard]] bool ListBoxTabStop() const { return ListBox->TabStop(); }
  void SetListBoxTabStop(bool Value) { ListBox->SetTabStop(Value); }
  [[nodiscard]] TPopupMenu* ListBoxPopupMenu() const { return ListBox->PopupMenu(); }
  void SetListBoxPopupMenu(TPopupMenu* Value) { ListBox->SetPopupMenu(Value); }
  void Clear();
  [[nodiscard]] int ItemAtPos(TPoint Pos, bool Existing) const { return ListBox->ItemAtPos(Pos, Existing); }
  [[nodiscard]] TRect ItemRect(int Item) const { return ListBox->ItemRect(Item); }

  // ---- Look ----
  // Tab stops (pixels) of item text, up to ten lines of decimal digits.
  [[nodiscard]] TStrings* TabWidths() const { return FTabWidths.get(); }
  void SetTabWidths(TStrings* Value);
  // With an element, the item height is the height of its item picture.
  bool UseSkinItemHeight = true;
  // Wide items can be scrolled horizontally (single column).
  [[nodiscard]] bool HorizontalExtent() const { return FHorizontalExtent; }
  void SetHorizontalExtent(bool Value);
  // 0: one column scrolled vertically; n: n columns scrolled by a horizontal bar.
  [[nodiscard]] int Columns() const { return ListBox->Columns(); }
  void SetColumns(int Value);
  // 0: free height; n: the height fitted to n rows.
  [[nodiscard]] int RowCount() const { return FRowCount; }
  void SetRowCount(int Value);
  [[nodiscard]] TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // The image of every item; -1: image n for item n.
  [[nodiscard]] int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  // Item height of the built-in look, and of the skin look without UseSkinItemHeight.
  [[nodiscard]] int DefaultItemHeight() const { return FDefaultItemHeight; }
  void SetDefaultItemHeight(int Value);
  TvlDrawSkinItemEvent OnDrawItem;

  // ---- Caption band ----
  [[nodiscard]] bool CaptionMode() const { return FCaptionMode; }
  void SetCaptionMode(bool Value);
  [[nodiscard]] bool ShowCaptionButtons() const { return FShowCaptionButtons; }
  void SetShowCaptionButtons(bool Value);
  [[nodiscard]] int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
  void SetDefaultCaptionHeight(int Value);
  [[nodiscard]] TFont* DefaultCaptionFont() const { return FDefaultCaptionFont.get(); }
  void SetDefaultCaptionFont(TFont* Value) { FDefaultCaptionFont->Assign(Value); }
  [[nodiscard]] TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  [[nodiscard]] TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  [[nodiscard]] int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  [[nodiscard]] int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  // Each replaces its button's own step when assigned (Sender the list box).
  TNotifyEvent OnUpButtonClick, OnDownButtonClick, OnCheckButtonClick;
  [[nodiscard]] const TvlCBButtonX& CaptionButton(int Index) const { return Buttons[static_cast<std::size_t>(Index)]; }

  // ---- Events of the inner list (Sender the skinned list box) ----
  TNotifyEvent OnListBoxClick, OnListBoxDblClick;
  TMouseEvent OnListBoxMouseDown, OnListBoxMouseUp;
  TMouseMoveEvent OnListBoxMouseMove;
  TKeyEvent OnListBoxKeyDown, OnListBoxKeyUp;
  TKeyPressEvent OnListBoxKeyPress;

  // ---- Parts ----
  TvlListBox* ListBox = nullptr;               // owned (component)
  TvlSkinScrollBar* ScrollBar = nullptr;       // owned while it exists; vertical with one column
  TvlSkinScrollBar* HScrollBar = nullptr;      // owned while it exists
  [[nodiscard]] const TRect& ListPlace() const { return ListRect; }

  // Height for AItemsCount rows.
  [[nodiscard]] int CalcHeight(int AItemsCount);
  // Keeps the skinned bars in step with the inner list.
  void UpDateScrollBar();
  // Places the bars and the inner list.
  void AdjustListBox();

  // ---- Hooks of the inner list (every one with the skinned list box as the events' Sender) ----
  virtual int GetItemWidth(int Index, TCanvas* Canvas);
  virtual void ListBoxMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void ListBoxMouseMove(TShiftState Shift, int X, int Y);
  virtual void ListBoxMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void ListBoxClick();
  virtual void ListBoxDblClick();
  virtual void ListBoxKeyDown(WORD& Key, TShiftState Shift);
  virtual void ListBoxKeyUp(WORD& Key, TShiftState Shift);
  virtual void ListBoxKeyPress(char32_t& Key);
  virtual void ListBoxEnter() {}
  virtual void ListBoxExit() {}
  // Sees every message of the inner list first; CallDefault false swallows it.
  virtual void ListBoxWndProc(TMessage& Message, bool& CallDefault);
  virtual void ListBoxCreateWnd() {}

  void GetSkinData() override;
  void ChangeSkinData() override;
  void ApplyDefaultFont() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;

  // Copied from the list element by GetSkinData.
  TRect SItemRect{}, ActiveItemRect{}, FocusItemRect{};
  int ItemLeftOffset = 0, ItemRightOffset = 0;
  TRect ItemTextRect{};
  std::string FontName = "Arial";
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0;
  TRect CaptionRect{};
  std::string CaptionFontName = "Arial";
  TFontStyles CaptionFontStyle{};
  int CaptionFontHeight = 14;
  TColor CaptionFontColor = 0;
  TRect UpButtonRect{}, ActiveUpButtonRect{}, DownUpButtonRect{};
  TRect DownButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};
  TRect CheckButtonRect{}, ActiveCheckButtonRect{}, DownCheckButtonRect{};
  TRect DisabledButtonsRect{}, ButtonsArea{};
  std::string HScrollBarName = "hscrollbar", VScrollBarName = "vscrollbar", BothScrollBarName = "bothhscrollbar";
  bool ShowFocus = false;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;

  // The list area in control coordinates (skin look; a field of this class, not the base's).
  TRect ListNewClRect{};
  TRect ListRect{};

 private:
  friend class TvlListBox;
  [[nodiscard]] bool Skinned() const { return FIndex != -1 && Picture != nullptr; }
  void ShowVScrollBar();
  void ShowHScrollBar();
  void HideVScrollBar();
  void HideHScrollBar();
  // Skin names and the "both" form of the horizontal bar.
  void NameHScrollBar();
  void VScrollBarChange();
  void HScrollBarChange();
  void ListBoxWheel(WPARAM WParam);
  // Caption band.
  [[nodiscard]] int CaptionWidth(TCanvas* C) const;
  void DrawCaption(TCanvas* C, const TRect& R, int X, int Y);
  void DrawButton(TCanvas* C, int Index);
  void RepaintButton(int Index);
  void MoveButtonRect(TRect& R, int dx, int dy) const;
  void TestActiveButton(int X, int Y);
  void ButtonDown(int Index);
  void ButtonUp(int Index);
  void ButtonEnter(int Index);
  void ButtonLeave(int Index);
  void StartTimer(UINT Interval);
  void StopTimer();
  void TimerTick();

  bool FStopUpDateHScrollBar = false;
  bool FUpdatingBars = false;
  std::unique_ptr<TStringList> FTabWidths;
  bool FHorizontalExtent = false;
  int FRowCount = 0;
  TCustomImageList* FImages = nullptr;
  int FImageIndex = -1;
  int FDefaultItemHeight = 20;
  bool FCaptionMode = false;
  bool FShowCaptionButtons = true;
  int FDefaultCaptionHeight = 20;
  std::unique_ptr<TFont> FDefaultCaptionFont;
  TAlignment FAlignment = TAlignment::taLeftJustify;
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  int FSpacing = 2;
  std::array<TvlCBButtonX, 3> Buttons{};
  int ActiveButton = -1, OldActiveButton = -1, CaptureButton = -1;
  int TimerMode = 0;
  bool WaitMode = false;
  TRect NewCaptionRect{};
};

class TvlSkinListBox : public TvlSkinCustomListBox {
 public:
  using TvlSkinCustomListBox::TvlSkinCustomListBox;
};

// ---- Drop-down list ------------------------------------------------------------------------------

// What the box a drop-down list belongs to decides about its translucency (the skinned combo
// box).
class TvlDropDownOwner {
 public:
  virtual ~TvlDropDownOwner() = default;
  [[nodiscard]] virtual bool DropDownAlphaBlend() const = 0;
  [[nodiscard]] virtual int DropDownAlphaBlendValue() const = 0;
  [[nodiscard]] virtual bool DropDownAlphaBlendAnimation() const = 0;
  // Called when a fade-in starts.
  virtual void DropDownFadeStarts() {}
};

// The showing, hiding and fade-in of a drop-down window (the list of a combo box or of an
// office combo box): a tool window that never takes the activation, saves the bits under it
// and drops a shadow; translucent and fading in on a timer when its owner asks.
class TvlDropDownWindow {
 public:
  // Milliseconds between fade steps (more than 5).
  static constexpr UINT kFadeInterval = 6;

  explicit TvlDropDownWindow(TWinControl* Window);
  ~TvlDropDownWindow();
  TvlDropDownWindow(const TvlDropDownWindow&) = delete;
  TvlDropDownWindow& operator=(const TvlDropDownWindow&) = delete;

  // The pop-up's window parameters; the window is owned by Box's top-level window.
  static void PopupParams(TCreateParams& Params, TComponent* Box);
  // A new window starts opaque.
  void WindowCreated();
  // Shows the window with its top-left corner at Origin (screen) without activating it; Owner
  // (nullptr: none) decides the translucency and the fade.
  void Show(TvlDropDownOwner* Owner, TPoint Origin);
  void Hide();
  [[nodiscard]] int Opacity() const { return FOpacity; }
  [[nodiscard]] bool Fading() const { return FFade.Running(); }

 private:
  void SetOpacity(int Value);
  void FadeStep();

  TWinControl* const FWindow;
  bool FOldAlphaBlend = false;
  int FOldAlphaBlendValue = 0;
  int FOpacity = 255;
  int FFadeTarget = 0;
  int FFadeStep = 1;
  TvlTickTimer FFade;
};

// The list of a combo box as a top-level pop-up: a tool window that never takes the activation,
// saves the bits under it and drops a shadow; translucent and fading in when its owner asks.
class TvlPopupListBox : public TvlSkinListBox {
 public:
  static constexpr UINT kFadeInterval = TvlDropDownWindow::kFadeInterval;

  explicit TvlPopupListBox(TComponent* AOwner);
  ~TvlPopupListBox() override;

  // Shows the list with its top-left corner at Origin (screen), without activating it; a fade
  // starts from 0 when the owner asks for one.
  void Show(TPoint Origin);
  // Hides the list; a running fade stops.
  void Hide();
  // The screen point a list of ListHeight opens at for Box: below it, or above it when it
  // would pass the bottom of the work area of the box's monitor.
  [[nodiscard]] static TPoint DropDownOrigin(TControl* Box, int ListHeight);
  // Highlights the item under a point of the inner list (hot tracking).
  void HotTrackItem(int X, int Y);

  // The opacity last given to the window (255 when not layered).
  [[nodiscard]] int Opacity() const { return FDropDown.Opacity(); }
  [[nodiscard]] bool Fading() const { return FDropDown.Fading(); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  TvlDropDownWindow FDropDown;
};

// ---- Up-down -------------------------------------------------------------------------------------

enum class TUDOrientation { udHorizontal, udVertical };

// Two skinned arrow buttons stepping Position between Min and Max ("hupdown", "vupdown"):
// button 0 raises it (right or top), button 1 lowers it.
class TvlSkinUpDown : public TvlSkinCustomControl {
 public:
  explicit TvlSkinUpDown(TComponent* AOwner);

  // A value outside Min .. Max is ignored; otherwise stored and OnChange fires (also for the
  // same value).
  [[nodiscard]] int Position() const { return FPosition; }
  void SetPosition(int Value);
  [[nodiscard]] int Min() const { return FMin; }
  void SetMin(int Value);
  [[nodiscard]] int Max() const { return FMax; }
  void SetMax(int Value);
  // 0: no steps and no repetition (clicks still fire).
  int Increment = 1;
  [[nodiscard]] TUDOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation Value);
  // The element's own size and button places.
  bool UseSkinSize = true;
  TNotifyEvent OnChange, OnUpButtonClick, OnDownButtonClick;

  [[nodiscard]] const TvlCBButtonX& Button(int Index) const { return Buttons[static_cast<std::size_t>(Index)]; }

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void CalcSize(int& AWidth, int& AHeight) override;
  void SetControlRegion() override;
  void Dispatch(TMessage& Message) override;

  // Copied from the element (the normal rectangles are the buttons' places in the control).
  TRect UpButtonRect{}, ActiveUpButtonRect{}, DownUpButtonRect{};
  TRect DownButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  void CalcButtonRects();
  void DrawUpDownButton(TCanvas* C, int Index);
  void DrawResizeButton(TCanvas* C, int Index);
  void TestActiveButton(int X, int Y);
  void ButtonDown(int Index);
  void ButtonUp(int Index);
  void ButtonEnter(int Index);
  void ButtonLeave(int Index);
  void StartTimer(UINT Interval);
  void StopTimer();
  void TimerTick();

  TUDOrientation FOrientation = TUDOrientation::udHorizontal;
  std::array<TvlCBButtonX, 2> Buttons{};
  int OldActiveButton = -1, ActiveButton = -1, CaptureButton = -1;
  int TimerMode = 0;
  bool WaitMode = false;
  int FPosition = 0, FMin = 0, FMax = 100;
};

// ---- Scroll box ----------------------------------------------------------------------------------

// A skinned container that scrolls its children with two skinned bars placed outside it
// ("scrollbox"): the form puts the bars beside the box and attaches them (the box never owns
// them). The box measures its visible children, shows a bar only while they do not fit, moves
// them when a bar moves, and keeps the horizontal bar's corner look (Both) in step with the
// vertical bar. The frame lies in the non-client area: the element's borders, or 1 pixel in the
// built-in look, none with bvNone or an element with a background picture.
//
//   +-----------------------+---+
//   | children, moved by    | ^ |  VScrollBar: range 0 .. content height - 1, page the client
//   | -Position on each     | # |  height; Position is how far the content is scrolled
//   | axis                  | v |
//   +-----------------------+---+
//   | <   HScrollBar  #   > |      (Both: the corner square beside the vertical bar)
//   +-----------------------+
class TvlSkinScrollBox : public TvlSkinCustomControl {
 public:
  explicit TvlSkinScrollBox(TComponent* AOwner);
  ~TvlSkinScrollBox() override;

  // Attaching a bar makes it unfocusable, enabled and hidden, routes its changes to the box
  // and updates that axis's range; nullptr detaches (a freed bar is detached by itself).
  [[nodiscard]] TvlSkinScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TvlSkinScrollBar* Value);
  [[nodiscard]] TvlSkinScrollBar* HScrollBar() const { return FHScrollBar; }
  void SetHScrollBar(TvlSkinScrollBar* Value);
  [[nodiscard]] TvlSkinBorderStyle BorderStyle() const { return FBorderStyle; }
  // Stores and makes the window anew (the frame widths change).
  void SetBorderStyle(TvlSkinBorderStyle Value);
  // A click gives the box the focus first; a click that cannot focus it is dropped.
  bool CanFocused = false;
  // The element's whole-background picture; -1 when none (copied by GetSkinData).
  int BGPictureIndex = -1;

  // The range update of both axes (horizontal first); call it after the children changed.
  void UpDateScrollRange();
  // The range update of one axis: the bar's range becomes 0 .. content - 1 with the client size
  // as page, the bar shows only while the content does not fit, and content that no longer
  // fills the box while scrolled is moved back into view.
  void GetHRange();
  void GetVRange();
  // Scrolls to APosition through the bar (nothing without a bar or while it has no page). The
  // vertical position stops at Max - PageSize; the horizontal one at the bar's own limit.
  void HScroll(int APosition);
  void VScroll(int APosition);

  // Without a skin (or with an empty one) the window is made anew for the built-in frame.
  void SetSkinData(TvlSkinData* Value) override;
  void GetSkinData() override;
  void ChangeSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void CMVisibleChanged(TMessage& Message) override;

 private:
  enum class Axis { Horizontal, Vertical };
  [[nodiscard]] bool Skinned() const { return FIndex != -1 && Picture != nullptr; }
  [[nodiscard]] bool HasFrame() const { return BGPictureIndex == -1 && FBorderStyle != TvlSkinBorderStyle::bvNone; }
  void AttachBar(TvlSkinScrollBar*& Field, TvlSkinScrollBar* Value, Axis A);
  void UpdateRange(Axis A);
  // Moves the children by -D on the axis (the content scrolls forward by D).
  void Scroll(Axis A, int D);
  void BarChanged(Axis A);
  // The frame (non-client area) drawn into DC at the window's corner.
  void DrawBoxFrame(HDC DC);
  void WMNCCalcSize(TMessage& Message);

  bool FClicksDisabled = false;
  bool FInCheckScrollBars = false;
  TvlSkinScrollBar* FVScrollBar = nullptr;
  TvlSkinScrollBar* FHScrollBar = nullptr;
  int FOldVScrollBarPos = 0, FOldHScrollBarPos = 0;
  int FVSizeOffset = 0, FHSizeOffset = 0;
  TvlSkinBorderStyle FBorderStyle = TvlSkinBorderStyle::bvFrame;
};
