// The skinned check and radio box (TvlSkinCheckRadioBox).

#include "lib/controls/vlSkinCtrlsCheckRadio.h"

#include <algorithm>

#include "lib/drawing/vlEffects.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/ActnList.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ImageList.h"

using namespace vlskinctrls_detail;

namespace {

// Picture R brightened halfway toward white (the grayed look made from a checked picture).
void BrightenedPiece(TBitmap* Piece, TBitmap* Picture, const TRect& R) {
  if (!CopyPiece(Piece, Picture, R)) return;
  auto effect = TvlEffectBmp::CreateFromhWnd(Piece->Handle());
  effect->ChangeBrightness(0.5);
  effect->Draw(Piece->Canvas()->Handle(), 0, 0);
}

}  // namespace

TvlSkinCheckRadioBox::TvlSkinCheckRadioBox(TComponent* AOwner)
    : TvlSkinCustomControl(AOwner), FMorph([this] { MorphTick(); }) {
  // Clicks come from the box's own mouse and key handling.
  SetControlStyle(TControlStyle(ControlStyle()).Exclude(TControlStyleFlag::csClickEvents));
  SetTabStop(false);
  SetBounds(Left(), Top(), 150, 25);
  FSkinDataName = "checkbox";
}

TvlSkinCheckRadioBox::~TvlSkinCheckRadioBox() {
  FMorph.Stop();
  ReplaceReference(FImages, static_cast<TCustomImageList*>(nullptr));
}

bool TvlSkinCheckRadioBox::EnableMorphing() const { return Morphing && FSD && !FSD->Empty && FSD->EnableSkinEffects; }
bool TvlSkinCheckRadioBox::IsFocused() const { return Focused() && FCanFocused; }
bool TvlSkinCheckRadioBox::Skinned() const { return FIndex != -1 && Picture != nullptr; }

TvlSkinCheckRadioBox::Face TvlSkinCheckRadioBox::CurrentFace() const {
  return Face{FChecked, FState == TCheckBoxState::cbGrayed, FMouseIn, IsFocused()};
}

// ---- Properties --------------------------------------------------------------------------------

void TvlSkinCheckRadioBox::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  if (FFlat) Repaint();
}

void TvlSkinCheckRadioBox::SetAllowGrayed(bool Value) {
  FAllowGrayed = Value;
  Repaint();
}

void TvlSkinCheckRadioBox::SetState(TCheckBoxState Value) {
  FState = Value;
  FChecked = Value == TCheckBoxState::cbChecked;
  Repaint();
  if (OnClick) OnClick(this);
}

void TvlSkinCheckRadioBox::SetImages(TCustomImageList* Value) {
  ReplaceReference(FImages, Value);
  Repaint();
}

void TvlSkinCheckRadioBox::SetImageIndex(int Value) {
  FImageIndex = Value;
  Repaint();
}

void TvlSkinCheckRadioBox::SetFlat(bool Value) {
  FFlat = Value;
  Repaint();
}

void TvlSkinCheckRadioBox::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

void TvlSkinCheckRadioBox::SetRadio(bool Value) {
  FRadio = Value;
  Repaint();
}

void TvlSkinCheckRadioBox::SetChecked(bool Value) {
  TWeak<TControl> self(this);
  FChecked = Value;
  if (Value)
    FState = TCheckBoxState::cbChecked;
  else if (FState == TCheckBoxState::cbChecked)
    FState = TCheckBoxState::cbUnchecked;
  Repaint();
  if (FChecked && GroupIndex != 0 && Parent()) {
    // Only siblings: each group box holds its own group.
    std::vector<TWeak<TControl>> siblings;
    for (int i = 0; i < Parent()->ControlCount(); ++i) siblings.emplace_back(Parent()->Controls(i));
    for (auto& s : siblings) {
      auto* box = dynamic_cast<TvlSkinCheckRadioBox*>(s.Get());
      if (box && box != this && box->GroupIndex == GroupIndex && box->FChecked) box->SetChecked(false);
      if (!self) return;
    }
  }
  // The value is not compared with the old one: every write of a check box clicks, and so does
  // every write that checks a radio box.
  if (OnClick && (!FRadio || FChecked)) OnClick(this);
}

void TvlSkinCheckRadioBox::Toggle() {
  if (!FRadio)
    SetChecked(!FChecked);
  else if (!FChecked)
    SetChecked(true);
}

void TvlSkinCheckRadioBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FImages) FImages = nullptr;
}

void TvlSkinCheckRadioBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  TvlSkinCustomControl::ActionChange(Sender, CheckDefaults);
  if (auto* action = dynamic_cast<TCustomAction*>(Sender); action && (!CheckDefaults || !FChecked))
    SetChecked(action->Checked());
}

// ---- Skin --------------------------------------------------------------------------------------

void TvlSkinCheckRadioBox::GetSkinData() {
  TvlSkinCustomControl::GetSkinData();
  auto* d = FIndex == -1 ? nullptr : dynamic_cast<TvlDataSkinCheckRadioControl*>(vlControlElement(FSD, FIndex));
  if (!d) return;
  FontName = d->FontName;
  FontColor = d->FontColor;
  ActiveFontColor = d->ActiveFontColor;
  FrameFontColor = d->FrameFontColor;
  UnEnabledFontColor = d->UnEnabledFontColor;
  FontStyle = d->FontStyle;
  FontHeight = d->FontHeight;
  ActiveSkinRect = IsNullRect(d->ActiveSkinRect) ? SkinRect : d->ActiveSkinRect;
  CheckImageArea = d->CheckImageArea;
  TextArea = d->TextArea;
  CheckImageRect = d->CheckImageRect;
  UnCheckImageRect = d->UnCheckImageRect;
  ActiveCheckImageRect = IsNullRect(d->ActiveCheckImageRect) ? CheckImageRect : d->ActiveCheckImageRect;
  ActiveUnCheckImageRect = IsNullRect(d->ActiveUnCheckImageRect) ? UnCheckImageRect : d->ActiveUnCheckImageRect;
  UnEnabledCheckImageRect = IsNullRect(d->UnEnabledCheckImageRect) ? CheckImageRect : d->UnEnabledCheckImageRect;
  UnEnabledUnCheckImageRect =
      IsNullRect(d->UnEnabledUnCheckImageRect) ? UnCheckImageRect : d->UnEnabledUnCheckImageRect;
  Morphing = d->Morphing;
  MorphKind = d->MorphKind;
  GrayedCheckImageRect = d->GrayedCheckImageRect;
  ActiveGrayedCheckImageRect = d->ActiveGrayedCheckImageRect;
  if (FFlat) {
    // The flat style has no fade and no window region.
    Morphing = false;
    MaskPicture = nullptr;
  }
}

void TvlSkinCheckRadioBox::CalcSize(int& AWidth, int& AHeight) {
  if (FFlat) return;
  TvlSkinCustomControl::CalcSize(AWidth, AHeight);
  if (FIndex == -1) return;
  const int dW = AWidth - SkinRect.Width();
  NewTextArea = TextArea;
  NewTextArea.Right += dW;
  TRect area = CheckImageArea;
  if (TextArea.Right < CheckImageArea.Right) {
    // The check picture sits right of the text.
    area.Left += dW;
    area.Right += dW;
  }
  const int pw = CheckImageRect.Width(), ph = CheckImageRect.Height();
  const int left = area.Left + area.Width() / 2 - pw / 2, top = area.Top + area.Height() / 2 - ph / 2;
  CIRect = TRect{left, top, left + pw, top + ph};
}

void TvlSkinCheckRadioBox::ChangeSkinData() {
  if (!FFlat) {
    TvlSkinCustomControl::ChangeSkinData();
    return;
  }
  // A flat box keeps its size.
  GetSkinData();
  Repaint();
}

void TvlSkinCheckRadioBox::CheckParentBackground() {
  if (FFlat) Repaint();
}

// ---- Painting ----------------------------------------------------------------------------------

void TvlSkinCheckRadioBox::DrawCheckPicture(TCanvas* C, int X, int Y, const Face& F) {
  TRect source;
  bool brighten = false;
  if (F.Grayed) {
    const TRect checked = !Enabled() ? UnEnabledCheckImageRect : (F.Hover ? ActiveCheckImageRect : CheckImageRect);
    if (IsNullRect(GrayedCheckImageRect)) {
      source = checked;
      brighten = true;
    } else {
      source = F.Hover && Enabled() && !IsNullRect(ActiveGrayedCheckImageRect) ? ActiveGrayedCheckImageRect
                                                                                : GrayedCheckImageRect;
    }
  } else if (!Enabled()) {
    source = F.Checked ? UnEnabledCheckImageRect : UnEnabledUnCheckImageRect;
  } else if (F.Hover) {
    source = F.Checked ? ActiveCheckImageRect : ActiveUnCheckImageRect;
  } else {
    source = F.Checked ? CheckImageRect : UnCheckImageRect;
  }
  TBitmap piece;
  if (brighten)
    BrightenedPiece(&piece, Picture, source);
  else if (!CopyPiece(&piece, Picture, source))
    return;
  if (piece.Empty()) return;
  piece.SetTransparent(true);
  C->Draw(X, Y, &piece);
}

void TvlSkinCheckRadioBox::DrawBuiltinMark(TCanvas* C, const Face& F, bool ShowGrayed) {
  const int h = Height() / 2;
  const TRect box{3, h - 7, 17, h + 7};
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->Brush()->SetColor(F.Hover ? clNavy : clBtnShadow);
  C->FrameRect(box);
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  if (ShowGrayed && F.Grayed && !FRadio) {
    DrawCheckGlyph(C, 7, h - 4, clGrayText);
  } else if (F.Checked) {
    const TColor mark = Enabled() ? clBlack : clBtnShadow;
    if (FRadio)
      DrawRadioDot(C, 7, h - 3, mark);
    else
      DrawCheckGlyph(C, 7, h - 4, mark);
  }
}

void TvlSkinCheckRadioBox::PlaceFlatCaption(TCanvas* C, int X0, int Gap, bool FocusRect) {
  const int w = Width(), h = Height();
  const bool image = FImages && FImageIndex >= 0 && FImageIndex < FImages->Count();
  const int iw = image ? FImages->Width() : 0, ih = image ? FImages->Height() : 0;
  const std::string& text = Caption();
  // The image leads, the caption follows it (wrapped or not).
  const int left = image ? X0 + iw + Gap : X0;
  TRect r{left, 0, w, h};
  if (FWordWrap) {
    DrawTextWide(C, text, r, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
    const int th = r.Height(), top = std::max(0, h / 2 - th / 2);
    r = TRect{left, top, left + r.Width(), top + th};
  } else {
    DrawTextWide(C, text, r, DT_CALCRECT | DT_SINGLELINE);
    const int th = r.Height(), top = h / 2 - th / 2;
    r = TRect{left, top, left + r.Width(), top + th};
  }
  r.Right = std::min(r.Right, w - 2);
  if (image) FImages->Draw(C, X0, h / 2 - ih / 2, FImageIndex, Enabled());
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  if (FWordWrap) {
    TRect t = r;
    DrawTextWide(C, text, t, DT_EXPANDTABS | DT_WORDBREAK);
  } else {
    DrawTextVCenter(C, text, r);
  }
  if (!FocusRect) return;
  if (!text.empty())
    DrawDottedFocusRect(C, TRect{r.Left - 2, r.Top - 1, r.Right + 3, r.Bottom + 1});
  else if (image)
    DrawDottedFocusRect(C, TRect{X0 - 1, h / 2 - ih / 2 - 1, X0 + iw + 1, h / 2 - ih / 2 + ih + 1});
}

void TvlSkinCheckRadioBox::PaintFlat(TBitmap* B, const Face& F) {
  TCanvas* c = B->Canvas();
  if (Skinned()) {
    DrawCheckPicture(c, 3, Height() / 2 - CheckImageRect.Height() / 2, F);
    TColor colour = !Enabled() ? UnEnabledFontColor : FrameFontColor;
    if (!UseSkinFontColor) colour = FDefaultFont->Color();
    ApplyElementFont(c->Font(), FSD, FontName, FontStyle, FontHeight, colour, FDefaultFont.get(), FUseSkinFont);
    PlaceFlatCaption(c, CheckImageRect.Width() + 7, 8, F.FocusRect);
    return;
  }
  c->Font()->Assign(FDefaultFont.get());
  ApplySkinCharset(c->Font(), FSD, FDefaultFont.get());
  if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  PlaceFlatCaption(c, 22, 5, F.FocusRect);
  DrawBuiltinMark(c, F, true);
}

void TvlSkinCheckRadioBox::PaintSkinState(TBitmap* B, const TRect& R, const Face& F, bool HoverText) {
  CreateSkinImage(B, Picture, R);
  if (B->Empty()) return;
  TCanvas* c = B->Canvas();
  DrawCheckPicture(c, CIRect.Left, CIRect.Top + CIRect.Height() / 2 - CheckImageRect.Height() / 2, F);
  const TColor colour = !Enabled() ? UnEnabledFontColor : (HoverText ? ActiveFontColor : FontColor);
  ApplyElementFont(c->Font(), FSD, FontName, FontStyle, FontHeight, colour, FDefaultFont.get(), FUseSkinFont);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawTextVCenter(c, Caption(), NewTextArea);
}

void TvlSkinCheckRadioBox::Paint() {
  GetSkinData();
  if (Width() < 1 || Height() < 1) return;
  TBitmap b;
  if (FFlat) {
    PrepareBitmap(&b, Width(), Height());
    if (b.Empty()) return;
    DrawParentBackground(this, b.Canvas());
    PaintFlat(&b, CurrentFace());
    Canvas()->Draw(0, 0, &b);
    return;
  }
  if (!Skinned() || ResizeMode == -1) {
    TvlSkinCustomControl::Paint();
    return;
  }
  int w = Width(), h = Height();
  CalcSize(w, h);
  PrepareBitmap(&b, Width(), Height());
  Face face = CurrentFace();
  if (EnableMorphing() && FMorph.Between()) {
    TBitmap hover;
    PrepareBitmap(&hover, Width(), Height());
    face.Hover = false;
    PaintSkinState(&b, SkinRect, face, false);
    face.Hover = true;
    PaintSkinState(&hover, ActiveSkinRect, face, true);
    vlDrawMorph(Canvas(), 0, 0, &b, &hover, FMorph.Kf(), MorphKind);
    return;
  }
  // A fade about to start or end shows the look it stands at.
  const bool hoverLook = EnableMorphing() && FMorph.Running() ? FMorph.AtHover() : FMouseIn || IsFocused();
  face.Hover = hoverLook;
  PaintSkinState(&b, hoverLook ? ActiveSkinRect : SkinRect, face, hoverLook);
  Canvas()->Draw(0, 0, &b);
}

void TvlSkinCheckRadioBox::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  const TRect r{0, 0, B->Width(), B->Height()};
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(r);
  if (IsFocused() || FMouseIn) {
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(r);
  }
  c->Font()->Assign(FDefaultFont.get());
  ApplySkinCharset(c->Font(), FSD, FDefaultFont.get());
  if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawTextVCenter(c, Caption(), TRect{19, 0, Width(), Height()});
  DrawBuiltinMark(c, CurrentFace(), true);
}

void TvlSkinCheckRadioBox::PaintSkinTo(TCanvas* C, int X, int Y, bool AChecked) {
  if (!C || Width() < 1 || Height() < 1) return;
  GetSkinData();
  Face face = CurrentFace();
  face.Checked = AChecked;
  face.FocusRect = false;
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (b.Empty()) return;
  if (FFlat) {
    DrawParentBackground(this, b.Canvas());
    if (!Skinned()) face.Grayed = false;  // the built-in mark shows the check state only
    PaintFlat(&b, face);
  } else if (Skinned() && ResizeMode != -1) {
    int w = Width(), h = Height();
    CalcSize(w, h);
    face.Hover = false;
    PaintSkinState(&b, SkinRect, face, false);
  } else {
    return;
  }
  C->Draw(X, Y, &b);
}

void TvlSkinCheckRadioBox::WMEraseBkgnd(TMessage& Message) {
  if (!FromWMPaint && !FFlat && Message.WParam) PaintWindow(reinterpret_cast<HDC>(Message.WParam));
  Message.Result = 1;
}

// ---- Hover fade --------------------------------------------------------------------------------

void TvlSkinCheckRadioBox::StartHoverEffect() {
  if (EnableMorphing() && FIndex != -1)
    FMorph.Start();
  else
    Repaint();
}

void TvlSkinCheckRadioBox::MorphTick() {
  if (FMorph.Follow(FIndex != -1 && EnableMorphing(), FMouseIn || IsFocused())) Repaint();
}

// ---- Mouse, keys and messages ------------------------------------------------------------------

void TvlSkinCheckRadioBox::CMMouseEnter(TMessage& Message) {
  TvlSkinCustomControl::CMMouseEnter(Message);
  FMouseIn = true;
  StartHoverEffect();
}

void TvlSkinCheckRadioBox::CMMouseLeave(TMessage& Message) {
  TvlSkinCustomControl::CMMouseLeave(Message);
  FMouseIn = false;
  StartHoverEffect();
}

void TvlSkinCheckRadioBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!FMouseIn) {
    FMouseIn = true;
    StartHoverEffect();
  }
  TvlSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TvlSkinCheckRadioBox::ClickToggle() {
  if (!FRadio && FAllowGrayed && FState == TCheckBoxState::cbUnchecked) {
    // Unchecked, grayed, checked, unchecked: grayed leaves Checked false.
    FState = TCheckBoxState::cbGrayed;
    Repaint();
    if (OnClick) OnClick(this);
    return;
  }
  Toggle();
}

void TvlSkinCheckRadioBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  TvlSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (self && Button == TMouseButton::mbLeft && FMouseIn && ClientRect().Contains(TPoint{X, Y})) ClickToggle();
}

void TvlSkinCheckRadioBox::WndProc(TMessage& Message) {
  if (FCanFocused) {
    TWeak<TControl> self(this);
    switch (Message.Msg) {
      case WM_KEYUP:
        if (Message.WParam == VK_SPACE && IsFocused()) Toggle();
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (!FocusForPress(this, FClicksDisabled)) return;  // no focus, no press
        break;
      case CN_COMMAND:
        if (FClicksDisabled) return;
        break;
      default: break;
    }
    if (!self) return;
  }
  TvlSkinCustomControl::WndProc(Message);
}

void TvlSkinCheckRadioBox::Dispatch(TMessage& Message) {
  TvlSkinCustomControl::Dispatch(Message);
  // The flat style shows its parent: a move changes what lies below.
  if (Message.Msg == WM_MOVE && FFlat) Invalidate();
}

void TvlSkinCheckRadioBox::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && CanFocus() && FCanFocused) {
    TWeak<TControl> self(this);
    SetFocus();
    if (self) Toggle();
    Message.Result = 1;
    return;
  }
  TvlSkinCustomControl::CMDialogChar(Message);
}

void TvlSkinCheckRadioBox::WMSetFocus(TMessage& Message) {
  TvlSkinCustomControl::WMSetFocus(Message);
  if (!FCanFocused) return;
  if (FFlat)
    Invalidate();
  else
    StartHoverEffect();
}

void TvlSkinCheckRadioBox::WMKillFocus(TMessage& Message) {
  TvlSkinCustomControl::WMKillFocus(Message);
  if (!FCanFocused) return;
  if (FFlat)
    Invalidate();
  else
    StartHoverEffect();
}

void TvlSkinCheckRadioBox::CMEnabledChanged(TMessage& Message) {
  TvlSkinCustomControl::CMEnabledChanged(Message);
  if (EnableMorphing()) {
    FMorph.Stop();
    FMorph.SetHover(false);
  }
  FMouseIn = false;
  Repaint();
}

void TvlSkinCheckRadioBox::CMTextChanged(TMessage& Message) {
  TvlSkinCustomControl::CMTextChanged(Message);
  Repaint();
}
