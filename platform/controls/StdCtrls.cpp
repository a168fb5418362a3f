#include "platform/controls/StdCtrls.h"

#include <algorithm>

#include "platform/controls/Forms.h"
#include "platform/graphics/Gdi.h"

namespace {
constexpr int kBoxSize = 13;

// Draws Text in Rect of DC (already prepared: font selected, background mode set).
void DrawCheckMark(TCanvas* C, const TRect& Box) {
  C->Pen()->SetColor(clWindowText);
  const int x = Box.Left + 3, y = Box.Top + 5;
  for (int i = 0; i < 3; ++i) {
    C->MoveTo(x, y + i);
    C->LineTo(x + 2, y + 2 + i);
    C->LineTo(x + 7, y - 3 + i);
  }
}
}  // namespace

// ---- TButtonControl ---------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }

void TButtonControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  if (Button == TMouseButton::mbLeft && CanFocus() && !Focused() && HandleAllocated()) SetFocus();
  if (self) TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TButtonControl::CMDialogChar(TMessage& M) {
  if (IsAccel(static_cast<char32_t>(M.WParam), Caption()) && CanFocus()) {
    SetFocus();
    Click();
    M.Result = 1;
  }
}

void TButtonControl::CMEnter(TMessage& M) {
  TCustomControl::CMEnter(M);
  Invalidate();
}

void TButtonControl::CMExit(TMessage& M) {
  TCustomControl::CMExit(M);
  Invalidate();
}

void TButtonControl::CMEnabledChanged(TMessage& M) {
  TCustomControl::CMEnabledChanged(M);
  Invalidate();
}

void TButtonControl::LayoutIndicator(bool BoxLeft, TRect& Box, TRect& Text) {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  const int top = (r.Height() - kBoxSize) / 2;
  Box = BoxLeft ? Bounds(0, top, kBoxSize, kBoxSize) : Bounds(r.Right - kBoxSize, top, kBoxSize, kBoxSize);
  Text = BoxLeft ? Rect(kBoxSize + 4, 0, r.Right, r.Bottom) : Rect(0, 0, r.Right - kBoxSize - 4, r.Bottom);
}

void TButtonControl::DrawCaption(TRect R, UINT Format) {
  HDC dc = Canvas()->Handle();
  SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  if (!Enabled()) {
    TRect shadow = R;
    shadow.Left += 1;
    shadow.Top += 1;
    shadow.Right += 1;
    shadow.Bottom += 1;
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawText(dc, Caption(), &shadow, Format);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
  } else {
    SetTextColor(dc, ColorToRGB(Font()->Color()));
  }
  DrawText(dc, Caption(), &R, Format);
}

// ---- TButton ----------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  SetColor(clBtnFace);
}

void TButton::SetDefault(bool Value) {
  if (default_ == Value) return;
  default_ = Value;
  Invalidate();
}

bool TButton::IsActiveDefault() const {
  if (Focused()) return true;
  if (!default_) return false;
  TCustomForm* form = GetParentForm(this);
  TWinControl* active = form ? form->ActiveControl() : nullptr;
  return !dynamic_cast<TButton*>(active);
}

void TButton::Click() {
  TWeak<TControl> self(this);
  if (modal_result_ != 0) {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modal_result_);
  }
  if (self) TButtonControl::Click();
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  TButtonControl::MouseDown(Button, Shift, X, Y);
  if (!self || Button != TMouseButton::mbLeft) return;
  tracking_ = true;
  pressed_ = true;
  Repaint();
}

void TButton::MouseMove(TShiftState Shift, int X, int Y) {
  TButtonControl::MouseMove(Shift, X, Y);
  if (!tracking_) return;
  const bool inside = ClientRect().Contains(Point(X, Y));
  if (inside != pressed_) {
    pressed_ = inside;
    Repaint();
  }
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == TMouseButton::mbLeft && tracking_) {
    tracking_ = false;
    pressed_ = false;
    Invalidate();
  }
  TButtonControl::MouseUp(Button, Shift, X, Y);
}

void TButton::KeyDown(WORD& Key, TShiftState Shift) {
  TButtonControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE && !pressed_) {
    pressed_ = true;
    Invalidate();
  }
}

void TButton::KeyUp(WORD& Key, TShiftState Shift) {
  TWeak<TControl> self(this);
  TButtonControl::KeyUp(Key, Shift);
  if (self && Key == VK_SPACE && pressed_) {
    pressed_ = false;
    Invalidate();
    Click();
  }
}

void TButton::CMDialogKey(TMessage& M) {
  const WORD key = static_cast<WORD>(M.WParam);
  if (((key == VK_RETURN && IsActiveDefault()) || (key == VK_ESCAPE && cancel_)) && CanFocus()) {
    Click();
    M.Result = 1;
    return;
  }
  TButtonControl::CMDialogKey(M);
}

void TButton::CMFocusChanged(TMessage& M) {
  Invalidate();  // the default frame follows the focused button
  TButtonControl::CMFocusChanged(M);
}

void TButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(r);
  HDC dc = c->Handle();
  const bool framed = IsActiveDefault() && Enabled();
  if (framed) {
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(r);
    r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  if (pressed_) {
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(r);
  } else {
    TRect e = r;
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
  }
  TRect text = r;
  if (pressed_) {
    text.Left += 1;
    text.Top += 1;
    text.Right += 1;
    text.Bottom += 1;
  }
  DrawCaption(text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (Focused()) {
    TRect f = Rect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3);
    c->DrawFocusRect(f);
  }
}

// ---- TCustomCheckBox --------------------------------------------------------------------------------

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 97, 17); }

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (state_ == Value) return;
  state_ = Value;
  Invalidate();
  if (!Loading()) TButtonControl::Click();
}

void TCustomCheckBox::Click() { Toggle(); }

void TCustomCheckBox::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Invalidate();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case TCheckBoxState::cbUnchecked: SetState(TCheckBoxState::cbChecked); break;
    case TCheckBoxState::cbChecked:
      SetState(allow_grayed_ ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked);
      break;
    case TCheckBoxState::cbGrayed: SetState(TCheckBoxState::cbUnchecked); break;
  }
}

void TCustomCheckBox::KeyUp(WORD& Key, TShiftState Shift) {
  TWeak<TControl> self(this);
  TButtonControl::KeyUp(Key, Shift);
  if (self && Key == VK_SPACE) Toggle();
}

void TCustomCheckBox::Paint() {
  TCanvas* c = Canvas();
  TRect box, text;
  LayoutIndicator(alignment_ == TAlignment::taRightJustify, box, text);
  c->Brush()->SetColor(Enabled() && state_ != TCheckBoxState::cbGrayed ? clWindow : clBtnFace);
  c->FillRect(box);
  TRect edge = box;
  DrawEdge(c->Handle(), &edge, EDGE_SUNKEN, BF_RECT);
  if (state_ != TCheckBoxState::cbUnchecked) DrawCheckMark(c, box);
  DrawCaption(text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (Focused()) {
    TRect f = text;
    f.Left -= 1;
    c->DrawFocusRect(f);
  }
}

// ---- TRadioButton -----------------------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Invalidate();
}

void TRadioButton::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  SetTabStop(Value);
  Invalidate();
  if (!Value) return;
  if (TWinControl* parent = Parent()) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
      auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i));
      if (other && other != this) other->SetChecked(false);
    }
  }
  if (!Loading()) TButtonControl::Click();
}

void TRadioButton::Click() { SetChecked(true); }

void TRadioButton::KeyUp(WORD& Key, TShiftState Shift) {
  TWeak<TControl> self(this);
  TButtonControl::KeyUp(Key, Shift);
  if (self && Key == VK_SPACE) SetChecked(true);
}

void TRadioButton::CMDialogChar(TMessage& M) {
  if (IsAccel(static_cast<char32_t>(M.WParam), Caption()) && CanFocus()) {
    SetFocus();
    SetChecked(true);
    M.Result = 1;
  }
}

void TRadioButton::Paint() {
  TCanvas* c = Canvas();
  TRect box, text;
  LayoutIndicator(alignment_ == TAlignment::taRightJustify, box, text);
  c->Pen()->SetColor(clBtnShadow);
  c->Brush()->SetColor(Enabled() ? clWindow : clBtnFace);
  c->Ellipse(box);
  if (checked_) {
    c->Pen()->SetColor(clWindowText);
    c->Brush()->SetColor(clWindowText);
    c->Ellipse(box.Left + 4, box.Top + 4, box.Right - 4, box.Bottom - 4);
  }
  DrawCaption(text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (Focused()) c->DrawFocusRect(text);
}

// ---- TCustomGroupBox --------------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{TControlStyleFlag::csAcceptsControls});
  SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& R) {
  TCustomControl::AdjustClientRect(R);
  R.Top += std::max(std::abs(Font()->Height()), 8) + 4;
  R.Left += 2;
  R.Right -= 2;
  R.Bottom -= 2;
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  HDC dc = c->Handle();
  SelectObject(dc, Font()->Handle());
  TSize extent{0, 0};
  GetTextExtentPoint32(dc, Caption().empty() ? std::string("0") : Caption(), &extent);
  TRect frame = Rect(0, extent.cy / 2, r.Right, r.Bottom);
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (Caption().empty()) return;
  TRect text = Rect(8, 0, 8 + extent.cx + 4, extent.cy);
  c->Brush()->SetColor(Color());
  c->FillRect(text);
  text.Left += 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
  DrawText(dc, Caption(), &text, DT_LEFT | DT_SINGLELINE);
}

void TCustomGroupBox::CMDialogChar(TMessage& M) {
  // The group's accelerator focuses its first control.
  if (IsAccel(static_cast<char32_t>(M.WParam), Caption()) && CanFocus()) {
    SelectNext(nullptr, true, true);
    M.Result = 1;
    return;
  }
  TCustomControl::CMDialogChar(M);
}

// ---- TCustomLabel ------------------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{TControlStyleFlag::csReplicatable});
  SetBounds(0, 0, 65, 17);
  SetAutoSize(true);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  layout_ = Value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  word_wrap_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  transparent_ = Value;
  if (Value) SetControlStyle(ControlStyle() - TControlStyle{TControlStyleFlag::csOpaque});
  else SetControlStyle(ControlStyle() + TControlStyle{TControlStyleFlag::csOpaque});
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  show_accel_char_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  ReplaceReference(focus_control_, Value);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == focus_control_) focus_control_ = nullptr;
}

void TCustomLabel::SetAutoSize(bool Value) {
  TGraphicControl::SetAutoSize(Value);
  AdjustBounds();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::DoDrawText(TRect& R, UINT Flags) {
  HDC dc = GetDC(nullptr);
  const bool measuring = (Flags & DT_CALCRECT) != 0;
  HDC target = measuring || !Canvas()->HandleAllocated() ? dc : Canvas()->Handle();
  SelectObject(target, Font()->Handle());
  if (!show_accel_char_) Flags |= DT_NOPREFIX;
  std::string text = Caption();
  if (measuring && text.empty()) text = " ";  // an empty label keeps one line's height
  if (!measuring) {
    SetBkMode(target, TRANSPARENT);
    if (!Enabled()) {
      TRect shadow = R;
      shadow.Left += 1;
      shadow.Top += 1;
      shadow.Right += 1;
      shadow.Bottom += 1;
      SetTextColor(target, ColorToRGB(clBtnHighlight));
      DrawText(target, text, &shadow, Flags);
      SetTextColor(target, ColorToRGB(clBtnShadow));
    } else {
      SetTextColor(target, ColorToRGB(Font()->Color()));
    }
  }
  DrawText(target, text, &R, Flags);
  ReleaseDC(nullptr, dc);
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!transparent_) {
    c->Brush()->SetColor(Color());
    c->FillRect(r);
  }
  UINT flags = DT_EXPANDTABS;
  if (word_wrap_) flags |= DT_WORDBREAK;
  if (alignment_ == TAlignment::taCenter) flags |= DT_CENTER;
  if (alignment_ == TAlignment::taRightJustify) flags |= DT_RIGHT;
  if (layout_ != TTextLayout::tlTop) {
    TRect calc = r;
    DoDrawText(calc, DrawTextBiDiModeFlags(flags) | DT_CALCRECT);
    const int offset = r.Height() - calc.Height();
    r.Top += layout_ == TTextLayout::tlBottom ? offset : offset / 2;
  }
  DoDrawText(r, DrawTextBiDiModeFlags(flags));
}

void TCustomLabel::AdjustBounds() {
  if (!AutoSize() || Loading()) return;
  TRect r = ClientRect();
  if (!word_wrap_) r.Right = r.Left + 100000;
  DoDrawText(r, DrawTextBiDiModeFlags(DT_EXPANDTABS | DT_CALCRECT | (word_wrap_ ? DT_WORDBREAK : 0)));
  // The edge the text is aligned to stays put; right-to-left alignment swaps left and right,
  // as the painting does.
  TAlignment alignment = alignment_;
  if (UseRightToLeftAlignment() && alignment != TAlignment::taCenter) {
    alignment = alignment == TAlignment::taLeftJustify ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
  }
  int x = Left();
  if (alignment == TAlignment::taRightJustify) x += Width() - r.Width();
  SetBounds(x, Top(), word_wrap_ ? Width() : r.Width(), r.Height());
}

void TCustomLabel::CMTextChanged(TMessage& M) {
  TGraphicControl::CMTextChanged(M);
  AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& M) {
  TGraphicControl::CMFontChanged(M);
  AdjustBounds();
}

void TCustomLabel::CMDialogChar(TMessage& M) {
  if (focus_control_ && Enabled() && show_accel_char_ && IsAccel(static_cast<char32_t>(M.WParam), Caption()) &&
      focus_control_->CanFocus()) {
    focus_control_->SetFocus();
    M.Result = 1;
  }
}
