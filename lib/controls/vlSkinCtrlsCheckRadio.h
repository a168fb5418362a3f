#pragma once
// The skinned check box and radio box: one class (TvlSkinCheckRadioBox, Radio) drawn from a
// check element of the skin ("checkbox", "radiobox"). Boxes of one parent with the same
// non-zero GroupIndex are exclusive. The default flat style shows the parent's background with
// only the check picture and the caption on it; the non-flat style draws the element's whole
// image, fades between its normal and hover images and may have a window region.
//
// GUI thread only.

#include <memory>
#include <string>

#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsAnimators.h"

class TvlSkinCheckRadioBox : public TvlSkinCustomControl {
 public:
  explicit TvlSkinCheckRadioBox(TComponent* AOwner);
  ~TvlSkinCheckRadioBox() override;

  // ---- Properties ----
  // On: caption colours from the element. Off: DefaultFont's colour (flat style).
  bool UseSkinFontColor = true;
  // The caption wraps (flat style only).
  [[nodiscard]] bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // A click on an unchecked check box makes it grayed.
  [[nodiscard]] bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value);
  [[nodiscard]] TCheckBoxState State() const { return FState; }
  // Sets the state (Checked follows), repaints and fires OnClick; no group handling.
  void SetState(TCheckBoxState Value);
  // An image between the check picture and the caption.
  [[nodiscard]] TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  [[nodiscard]] int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  [[nodiscard]] bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  // The box takes the focus (also sets TabStop).
  [[nodiscard]] bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);
  [[nodiscard]] bool Radio() const { return FRadio; }
  void SetRadio(bool Value);
  [[nodiscard]] bool Checked() const { return FChecked; }
  // Stores the state and repaints; set checked with a GroupIndex, it unchecks the other boxes
  // of the group in the same parent (each through this writer). Then OnClick: a check box on
  // every write, a radio box only when set checked.
  void SetChecked(bool Value);
  // 0: no group.
  int GroupIndex = 0;

  [[nodiscard]] bool MouseIn() const { return FMouseIn; }
  [[nodiscard]] int MorphStep() const { return FMorph.Step(); }
  // Where the check picture and the caption go on the control (non-flat style).
  [[nodiscard]] const TRect& CheckImagePlace() const { return CIRect; }
  [[nodiscard]] const TRect& TextPlace() const { return NewTextArea; }

  // A check box flips Checked; a radio box becomes checked (a checked one stays as it is).
  virtual void Toggle();
  // The box drawn with AChecked in place of Checked on C at (X, Y).
  void PaintSkinTo(TCanvas* C, int X, int Y, bool AChecked);

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void ChangeSkinData() override;
  void CalcSize(int& AWidth, int& AHeight) override;
  void CheckParentBackground() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  // Copied from the element by GetSkinData.
  std::string FontName = "Arial";
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0, FrameFontColor = 0, UnEnabledFontColor = 0;
  TRect ActiveSkinRect{}, CheckImageArea{}, TextArea{};
  TRect CheckImageRect{}, UnCheckImageRect{}, ActiveCheckImageRect{}, ActiveUnCheckImageRect{};
  TRect UnEnabledCheckImageRect{}, UnEnabledUnCheckImageRect{};
  TRect GrayedCheckImageRect{}, ActiveGrayedCheckImageRect{};
  bool Morphing = false;
  TvlMorphKind MorphKind = TvlMorphKind::mkDefault;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;

 private:
  // What one drawing of the box shows.
  struct Face {
    bool Checked = false;
    bool Grayed = false;
    bool Hover = false;       // pictures under the mouse
    bool FocusRect = false;   // the dotted frame of the focused box
  };
  [[nodiscard]] bool EnableMorphing() const;
  [[nodiscard]] bool IsFocused() const;
  [[nodiscard]] bool Skinned() const;
  [[nodiscard]] Face CurrentFace() const;
  void StartHoverEffect();
  void MorphTick();
  void PaintFlat(TBitmap* B, const Face& F);
  // The element's image of one state (R) with the check picture and the caption (non-flat).
  void PaintSkinState(TBitmap* B, const TRect& R, const Face& F, bool HoverText);
  // The check picture of a face drawn at (X, Y) (skinned), its size from CheckImageRect.
  void DrawCheckPicture(TCanvas* C, int X, int Y, const Face& F);
  // The built-in box and mark with the box's top-left at (3, H div 2 - 7).
  void DrawBuiltinMark(TCanvas* C, const Face& F, bool ShowGrayed);
  // Caption (and image) of the flat style from X0, image gap Gap.
  void PlaceFlatCaption(TCanvas* C, int X0, int Gap, bool FocusRect);
  void ClickToggle();

  TCheckBoxState FState = TCheckBoxState::cbUnchecked;
  TCustomImageList* FImages = nullptr;
  int FImageIndex = 0;
  bool FWordWrap = false;
  bool FAllowGrayed = false;
  bool FFlat = true;
  bool FClicksDisabled = false;
  bool FCanFocused = true;
  bool FMouseIn = false;
  bool FChecked = false;
  bool FRadio = false;
  TRect CIRect{};
  TRect NewTextArea{};
  TvlHoverMorph FMorph;
};
