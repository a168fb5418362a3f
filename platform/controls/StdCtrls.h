#pragma once
// The plain standard controls: push button, check box, radio button, group box and label, all
// drawn by the framework in the classic system-colour look.

#include <string>

#include "platform/controls/Controls.h"

// A focusable control that is clicked: takes the focus on a press and runs Click on its
// accelerator ("&" in the caption).
class TButtonControl : public TCustomControl {
 public:
  explicit TButtonControl(TComponent* AOwner);

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMDialogChar(TMessage& Message) override;
  void CMEnter(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  // Draws the caption in Rect (with the "&" mark underlined), grey when disabled.
  void DrawCaption(TRect Rect, UINT Format);
  // Fills the client area with Color() and places the check or radio box beside the caption:
  // box on the left when BoxLeft, else on the right. Box and Text receive the two places.
  void LayoutIndicator(bool BoxLeft, TRect& Box, TRect& Text);
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* AOwner);
  // The default button is clicked by Return unless another button has the focus.
  [[nodiscard]] bool Default() const { return default_; }
  void SetDefault(bool Value);
  // The cancel button is clicked by Escape.
  [[nodiscard]] bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  // Set on the form (ending ShowModal) when the button is clicked.
  [[nodiscard]] int ModalResult() const { return modal_result_; }
  void SetModalResult(int Value) { modal_result_ = Value; }
  void Click() override;
  [[nodiscard]] bool Pressed() const { return pressed_; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void CMDialogKey(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;
  // Return goes to the focused button itself.
  [[nodiscard]] bool IsActiveDefault() const;

 private:
  bool default_ = false;
  bool cancel_ = false;
  int modal_result_ = 0;
  bool pressed_ = false;
  bool tracking_ = false;
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
 public:
  explicit TCustomCheckBox(TComponent* AOwner);
  [[nodiscard]] TCheckBoxState State() const { return state_; }
  // Every change runs Click (OnClick), as a click would.
  void SetState(TCheckBoxState Value);
  [[nodiscard]] bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked); }
  [[nodiscard]] bool AllowGrayed() const { return allow_grayed_; }
  void SetAllowGrayed(bool Value) { allow_grayed_ = Value; }
  // taRightJustify (default): the box on the left, the caption to its right.
  [[nodiscard]] TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // Unchecked -> checked -> (grayed when allowed) -> unchecked.
  virtual void Toggle();
  // A click toggles; OnClick runs from the state change.
  void Click() override;

 protected:
  void Paint() override;
  void KeyUp(WORD& Key, TShiftState Shift) override;

 private:
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
  bool allow_grayed_ = false;
  TAlignment alignment_ = TAlignment::taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
 public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* AOwner);
  [[nodiscard]] bool Checked() const { return checked_; }
  // Checking a radio button unchecks the others of the same parent; a change runs Click.
  void SetChecked(bool Value);
  [[nodiscard]] TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // A click checks the button; OnClick runs from the change.
  void Click() override;

 protected:
  void Paint() override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void CMDialogChar(TMessage& Message) override;

 private:
  bool checked_ = false;
  TAlignment alignment_ = TAlignment::taRightJustify;
};

class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* AOwner);

 protected:
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void CMDialogChar(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
 public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

enum class TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);
  [[nodiscard]] TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  [[nodiscard]] TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout Value);
  [[nodiscard]] bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool Value);
  // Transparent: the parent shows through; otherwise the label fills its rectangle with Color.
  [[nodiscard]] bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  // With ShowAccelChar an "&" underlines the next character and the label's accelerator
  // focuses FocusControl.
  [[nodiscard]] bool ShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool Value);
  [[nodiscard]] TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* Value);
  void SetAutoSize(bool Value) override;

 protected:
  void Paint() override;
  // Draws (or with DT_CALCRECT measures into Rect) the caption with the label's rules.
  virtual void DoDrawText(TRect& Rect, UINT Flags);
  // With AutoSize, fits the bounds to the text, keeping the right edge when the text is aligned
  // right (taRightJustify, or taLeftJustify under right-to-left alignment).
  virtual void AdjustBounds();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;

 private:
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TTextLayout layout_ = TTextLayout::tlTop;
  bool word_wrap_ = false;
  bool transparent_ = false;
  bool show_accel_char_ = true;
  TWinControl* focus_control_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};
