#pragma once
// What the skinned combo box and the office combo box share: the copies of the combo-box
// element, the item and button areas, the size rule, the skin background, the press that starts
// on the box and ends over the open list, the auto-scroll timer and the hover state. GUI thread
// only.

#include <string>

#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinCtrls.h"
#include "platform/windowing/MessageQueue.h"

class TvlSkinComboBase : public TvlSkinCustomControl, public TvlDropDownOwner {
 public:
  // The auto-scroll timer of the open list (window timer 1 of the box).
  static constexpr UINT_PTR kAutoScrollTimer = 1;
  static constexpr UINT kAutoScrollInterval = 25;

  explicit TvlSkinComboBase(TComponent* AOwner);
  ~TvlSkinComboBase() override;

  // True accepts the highlighted item, False cancels.
  virtual void CloseUp(bool Value) = 0;
  [[nodiscard]] virtual bool IsPopupVisible() const = 0;
  [[nodiscard]] bool CanCancelDropDown() const { return IsPopupVisible() && !FMouseIn; }
  // 0 none, 1 scrolling up, 2 scrolling down.
  [[nodiscard]] int AutoScrollMode() const { return TimerMode; }
  [[nodiscard]] bool ToolButtonStyle() const { return FToolButtonStyle; }
  [[nodiscard]] TColor DefaultColor() const { return FDefaultColor; }
  [[nodiscard]] const TvlCBButtonX& Button() const { return FButton; }
  [[nodiscard]] const TvlCBItem& CBItem() const { return FCBItem; }

  bool UseSkinSize = true;
  // 0: the box's width.
  int ListBoxWidth = 0;
  bool AlphaBlend = false;
  bool AlphaBlendAnimation = false;
  BYTE AlphaBlendValue = 0;
  TNotifyEvent OnChange, OnClick, OnCloseUp, OnDropDown;

  void GetSkinData() override;
  void ApplyDefaultFont() override;
  void CalcSize(int& AWidth, int& AHeight) override;
  void SetControlRegion() override;
  void Dispatch(TMessage& Message) override;

  [[nodiscard]] bool DropDownAlphaBlend() const override { return AlphaBlend; }
  [[nodiscard]] int DropDownAlphaBlendValue() const override { return AlphaBlendValue; }
  [[nodiscard]] bool DropDownAlphaBlendAnimation() const override { return AlphaBlendAnimation; }

  // Copied from the combo-box element by GetSkinData.
  TRect ActiveSkinRect{}, SItemRect{}, FocusItemRect{}, ActiveItemRect{}, ItemTextRect{};
  TRect ButtonRect{}, ActiveButtonRect{}, DownButtonRect{}, UnEnabledButtonRect{};
  TColor ActiveFontColor = 0, FontColor = 0, FocusFontColor = 0;
  std::string FontName = "Arial";
  TFontStyles FontStyle{};
  int FontHeight = 14;
  int ItemLeftOffset = 0, ItemRightOffset = 0;
  bool ItemStretchEffect = false, FocusItemStretchEffect = false, ShowFocus = false;
  std::string ListBoxName;

 protected:
  [[nodiscard]] bool Skinned() const { return FIndex != -1; }
  [[nodiscard]] bool Loading() const;
  // The item and button areas by the look in use.
  virtual void CalcRects();
  // Stretches the focused, hot or normal item picture around the item's text area into B, which
  // holds the item's background. A state picture of another size than the normal one keeps its
  // text area as far from its right and top edges.
  void ComposeItemFace(TBitmap* B, bool Focused, bool Hot) const;
  // One auto-scroll step of the open list.
  virtual void AutoScrollStep(int Mode) = 0;
  // After the pointer entered or left the box.
  virtual void HoverChanged() {}
  void StartAutoScroll(int Mode);
  void StopAutoScroll();
  // Whether the box counts as hot for its skin background.
  void DrawSkinBackground(TBitmap* B, bool Hot);
  // The handling of the open list's mouse messages: a press hands the mouse to the box, the
  // other buttons are swallowed, the list never takes the activation. A release that still
  // reaches List (read with its press, before the box held the mouse) ends the press there.
  void ListWndProc(TMessage& Message, const TWndMethod& Next, TWinControl* List);
  // A press on the box: on the button, on the item area (when ItemArea) or anywhere in the
  // tool-button look opens a hidden list or closes an open one; elsewhere closes an open list.
  void PressBox(int X, int Y, bool ItemArea);
  // The button's hover follows the pointer.
  void TrackButtonHover(int X, int Y);
  // The end of a press: after it has been over the list, the list closes, accepting when the
  // pointer is over ListWindow. Then a held button comes up.
  void EndPress(HWND ListWindow);
  virtual void DropDown() = 0;
  // Stepping through the items; ASelect selects through ItemIndex, otherwise only the list's
  // highlight moves.
  virtual void PriorItem(bool ASelect) = 0;
  virtual void NextItem(bool ASelect) = 0;
  virtual void PageUpItem(bool ASelect) = 0;
  virtual void PageDownItem(bool ASelect) = 0;
  virtual void FirstItem(bool ASelect) = 0;
  virtual void LastItem(bool ASelect) = 0;
  // The box's keys: arrows, page keys, Home and End step (through ItemIndex on a closed box;
  // on an open list only the highlight moves); Enter takes an open list's highlighted item and
  // Esc closes it keeping the item it had; Alt+Up and Alt+Left close, Alt+Down and Alt+Right
  // open.
  void ComboKeyDown(WORD Key, TShiftState Shift);
  // B becomes the item area's picture of the built-in look: highlighted when Focused, else in
  // DefaultColor, with the box's font (the skin's charset); CBItem.State follows.
  void PrepareDefaultItem(TBitmap& B, bool Focused);

  // With an empty focus picture the item picture stands in (the skinned combo box).
  bool FFocusFallsBackToItem = false;
  bool FToolButtonStyle = false;
  TColor FDefaultColor = clWindow;
  bool FDropDown = false;
  bool WasInLB = false;
  int TimerMode = 0;
  bool FMouseIn = false;
  int FOldItemIndex = -1;
  bool FLBDown = false;
  TvlCBButtonX FButton;
  TvlCBItem FCBItem;
};
