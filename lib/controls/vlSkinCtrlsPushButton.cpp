// The skinned push button (TvlSkinButton).

#include <algorithm>

#include "lib/drawing/vlEffects.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/MessageQueue.h"

using namespace vlskinctrls_detail;

// ---- TvlSkinButton -----------------------------------------------------------------------------

TvlSkinButton::TvlSkinButton(TComponent* AOwner) : TvlSkinCustomControl(AOwner), TvlButtonBehaviour(this) {
  FLayerManager = new TvlLayerManager(this);
  // The button clicks from its own mouse and key handling; the platform's click dispatch on
  // mouse-up stays out of it.
  SetControlStyle(TControlStyle(ControlStyle()).Exclude(TControlStyleFlag::csClickEvents));
  SetTabStop(true);
  SetBounds(Left(), Top(), 75, 25);
  FSkinDataName = "button";
}

TvlSkinButton::~TvlSkinButton() {
  ReplaceReference(FImageList, static_cast<TCustomImageList*>(nullptr));
}

// ---- Predicates --------------------------------------------------------------------------------

bool TvlSkinButton::EffectsEnabled() const { return FSD && !FSD->Empty && FSD->EnableSkinEffects; }
bool TvlSkinButton::Fades() const { return Look.Morphing && EffectsEnabled(); }
bool TvlSkinButton::SameKind(const TvlButtonBehaviour* Other) const {
  return dynamic_cast<const TvlSkinButton*>(Other) != nullptr;
}
bool TvlSkinButton::AnimationAllowed() const {
  return FIndex != -1 && EffectsEnabled() && !IsNullRect(Look.AnimateSkinRect);
}
bool TvlSkinButton::IsFocused() const { return Focused() && FCanFocused; }

bool TvlSkinButton::ShowsPressed() const {
  return FDown && (FMouseIn || (IsFocused() && !FMouseDown) || FGroupIndex != 0);
}

bool TvlSkinButton::HoverChangesLook() const {
  return (FGroupIndex != 0 && !FDown) || (FGroupIndex == 0 && (!IsFocused() || FDown));
}

// ---- Properties --------------------------------------------------------------------------------

void TvlSkinButton::SetImageList(TCustomImageList* Value) { ReplaceReference(FImageList, Value); }

void TvlSkinButton::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Repaint();
}

void TvlSkinButton::SetDefault(bool Value) {
  FDefault = Value;
  if (!HandleAllocated() || !FCanFocused) return;
  // Every button of the form works out again which one Enter clicks.
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TvlSkinButton::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

void TvlSkinButton::SetGroupIndex(int Value) {
  FGroupIndex = Value;
  if (Value != 0) SetCanFocused(false);
}

void TvlSkinButton::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FImageList) FImageList = nullptr;
  if (Operation == TOperation::opRemove && AComponent == FLayerManager) FLayerManager = nullptr;
}

// ---- Click -------------------------------------------------------------------------------------

void TvlSkinButton::ButtonClick() {
  TWeak<TControl> self(this);
  if (FCanFocused)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(ModalResult);
  // The button's own OnClick runs in place of the linked action; without one the action runs.
  if (self) TvlSkinCustomControl::Click();
}

void TvlSkinButton::Click() { ButtonClick(); }

void TvlSkinButton::RefreshButton() { ResetLook(EffectsEnabled()); }

// ---- Skin --------------------------------------------------------------------------------------

void TvlSkinButton::GetSkinData() {
  TvlSkinCustomControl::GetSkinData();
  if (FIndex == -1) {
    Look.AnimateSkinRect = TRect{};
    return;
  }
  if (auto* d = dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(FSD, FIndex))) {
    // A freely sized button has no window region.
    if (!UseSkinSize) MaskPicture = nullptr;
    Look.CopyFrom(*d);
    GlowLayerPictureIndex = d->GlowLayerPictureIndex;
    GlowLayerMaskPictureIndex = d->GlowLayerMaskPictureIndex;
    GlowLayerOffsetLeft = d->GlowLayerOffsetLeft;
    GlowLayerOffsetRight = d->GlowLayerOffsetRight;
    GlowLayerOffsetTop = d->GlowLayerOffsetTop;
    GlowLayerOffsetBottom = d->GlowLayerOffsetBottom;
    GlowLayerShowOffsetX = d->GlowLayerShowOffsetX;
    GlowLayerShowOffsetY = d->GlowLayerShowOffsetY;
    GlowLayerAlphaBlendValue = d->GlowLayerAlphaBlendValue;
  }
  // A running frame animation shows its frame in place of the hover image (forward) or the
  // normal one (backward).
  const int frame = FAnimation.CurrentFrame();
  if (EffectsEnabled() && FAnimation.Running() && frame > 0 && frame <= Look.FrameCount) {
    const TRect r = vlAnimationFrameRect(Look.AnimateSkinRect, SkinRect, Look.FrameCount, frame);
    if (FAnimation.Forward())
      Look.ActiveSkinRect = r;
    else
      SkinRect = r;
  }
}

void TvlSkinButton::CalcSize(int& AWidth, int& AHeight) {
  if (UseSkinSize || ResizeMode == 1) {
    TvlSkinCustomControl::CalcSize(AWidth, AHeight);
    return;
  }
  if (FIndex == -1) return;
  NewClRect = TRect{ClRect.Left, ClRect.Top, ClRect.Right + AWidth - SkinRect.Width(),
                    ClRect.Bottom + AHeight - SkinRect.Height()};
}

void TvlSkinButton::BeforeChangeSkinData() {
  TvlSkinCustomControl::BeforeChangeSkinData();
  if (FLayerManager && FLayerManager->IsVisible) FLayerManager->Hide();
}

void TvlSkinButton::ChangeSkinData() {
  FMorph.Stop();
  FAnimation.Stop();
  FMorph.SetHover(false);
  TvlSkinCustomControl::ChangeSkinData();
  if (Fades() && FIndex != -1 && (IsFocused() || FMouseIn)) FMorph.SetHover(true);
  // The glow of the new skin shows under the mouse.
  if (FMouseIn) PostToSelf(WM_vlButtonGlowShow);
}

// ---- Painting ----------------------------------------------------------------------------------

void TvlSkinButton::Paint() {
  GetSkinData();
  if (FIndex == -1 || !SkinLookAvailable()) {
    TvlSkinCustomControl::Paint();
    return;
  }
  if (Width() < 1 || Height() < 1) return;
  int w = Width(), h = Height();
  CalcSize(w, h);
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (b.Empty()) return;
  if (Fades() && FMorph.Between() && Enabled()) {
    TBitmap hover;
    PrepareBitmap(&hover, Width(), Height());
    DrawButtonContent(&b, SkinRect, false, false);
    DrawButtonContent(&hover, Look.ActiveSkinRect, false, true);
    vlDrawMorph(Canvas(), 0, 0, &b, &hover, FMorph.Kf(), Look.MorphKind);
    return;
  }
  if (Fades() && Enabled() && FMorph.Running() && !ShowsPressed()) {
    // A fade about to start or end shows the look it stands at.
    const bool hover = FMorph.AtHover();
    DrawButtonContent(&b, hover ? Look.ActiveSkinRect : SkinRect, false, hover);
  } else if (!Enabled() && !IsNullRect(Look.DisabledSkinRect))
    DrawButtonContent(&b, Look.DisabledSkinRect, false, false);
  else if (ShowsPressed())
    DrawButtonContent(&b, Look.DownSkinRect, true, true);
  else if (IsFocused() && !IsNullRect(Look.FocusedSkinRect) && !FAnimation.Running())
    DrawButtonContent(&b, Look.FocusedSkinRect, false, true);
  else if (IsFocused() || FMouseIn || (Fades() && FMorph.AtHover()))
    DrawButtonContent(&b, Look.ActiveSkinRect, false, true);
  else
    DrawButtonContent(&b, SkinRect, false, false);
  Canvas()->Draw(0, 0, &b);
}

namespace {

// Caption and glyph or image of a button state, laid out in R.
void DrawImageOrGlyph(TCanvas* C, const TRect& R, TCustomImageList* Images, int ImageIndex, TBitmap* Glyph,
                      int NumGlyphs, int GlyphNumber, int Margin, int Spacing, TvlButtonLayout Layout,
                      const std::string& Caption, bool Pressed, bool Enabled) {
  if (Images && ImageIndex >= 0 && ImageIndex < Images->Count())
    DrawImageAndText(C, R, Margin, Spacing, Layout, Caption, ImageIndex, Images, Pressed, Enabled, false, 0);
  else
    DrawGlyphAndText(C, R, Margin, Spacing, Layout, Caption, Glyph, NumGlyphs, GlyphNumber, Pressed, false, 0);
}

}  // namespace

void TvlSkinButton::DrawButtonContent(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) {
  TRect text;
  if (UseSkinSize || ResizeMode == 1) {
    CreateSkinImage(B, Picture, R);
    text = NewClRect;
  } else {
    text = DrawFreeSizeFace(B, Picture, R, ResizeMode, ClRect);
  }
  if (B->Empty()) return;
  TCanvas* c = B->Canvas();
  ApplyElementFont(c->Font(), FSD, Look.FontName, Look.FontStyle, Look.FontHeight,
                   Look.TextColour(Enabled(), UseSkinFontColor, FDefaultFont->Color(), ADown, AMouseIn),
                   FDefaultFont.get(), FUseSkinFont);
  if (Look.ShowFocus && Focused()) {
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(FSD->SkinColors()->FcBtnFace);
    DrawDottedFocusRect(c, text);
  }
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  bool drawDefault = true;
  if (OnPaint) OnPaint(this, c, text, ADown, AMouseIn, drawDefault);
  if (!drawDefault) return;
  DrawImageOrGlyph(c, text, FImageList, FImageIndex, Glyph(), NumGlyphs(),
                   GlyphFrameNumber(ADown, AMouseIn, Enabled(), NumGlyphs()), Margin(), Spacing(), Layout(), Caption(),
                   ADown && AMouseIn, Enabled());
}

void TvlSkinButton::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  const TRect r{0, 0, B->Width(), B->Height()};
  const bool pressed = ShowsPressed();
  if (pressed)
    DrawBuiltinFace(c, r, clNavy, kBuiltinDownFill);
  else if (FMouseIn || IsFocused())
    DrawBuiltinFace(c, r, clNavy, kBuiltinHoverFill);
  else
    DrawBuiltinFace(c, r, clBtnShadow, clBtnFace);
  c->Font()->Assign(FDefaultFont.get());
  ApplySkinCharset(c->Font(), FSD, FDefaultFont.get());
  if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  bool drawDefault = true;
  if (OnPaint) OnPaint(this, c, r, FDown, FMouseIn, drawDefault);
  if (!drawDefault) return;
  const bool imageList = FImageList && FImageIndex >= 0 && FImageIndex < FImageList->Count();
  DrawImageOrGlyph(c, r, FImageList, FImageIndex, Glyph(), NumGlyphs(),
                   GlyphFrameNumber(FDown, FMouseIn, Enabled(), NumGlyphs()), Margin(), Spacing(), Layout(), Caption(),
                   imageList ? (FDown && FMouseIn) : pressed, Enabled());
}

void TvlSkinButton::WMEraseBkgnd(TMessage& Message) {
  // Outside a paint (a copy of the button is wanted) the whole button goes into the context.
  if (!FromWMPaint && Message.WParam) PaintWindow(reinterpret_cast<HDC>(Message.WParam));
  Message.Result = 1;
}

// ---- Hover fade and frame animation ------------------------------------------------------------

void TvlSkinButton::StartHoverEffect() {
  if (Fades() && FIndex != -1)
    FMorph.Start();
  else
    Repaint();
}

void TvlSkinButton::StartAnimation(bool Forward) {
  if (!AnimationAllowed()) return;
  FAnimation.Start(Forward, Look.FrameCount, Look.AnimateInterval);
}

// ---- Glow frame --------------------------------------------------------------------------------

void TvlSkinButton::PostToSelf(UINT Msg) {
  if (HandleAllocated()) PostMessage(Handle(), Msg, 0, 0);
}

bool TvlSkinButton::GlowAvailable() const {
  return FLayerManager && FSD && !FSD->Empty && IsWin2000OrLater() &&
         (FSD->ShowButtonGlowFrames || AlwaysShowLayeredFrame) && GlowLayerPictureIndex != -1;
}

void TvlSkinButton::ShowLayer() {
  if (!GlowAvailable() || FIndex == -1) return;
  if (auto* form = dynamic_cast<TCustomForm*>(GetParentForm(this)))
    FLayerManager->TopMostMode = form->FormStyle() == TFormStyle::fsStayOnTop;
  TBitmap* image = vlSkinPicture(FSD, GlowLayerPictureIndex);
  TBitmap* mask = vlSkinPicture(FSD, GlowLayerMaskPictureIndex);
  if (!image || !mask) return;
  const int dW = Width() - SkinRect.Width(), dH = Height() - SkinRect.Height();
  TBitmap wideImage, wideMask;
  auto widen = [&](TBitmap* source, TBitmap* target) {
    const TRect all{0, 0, source->Width(), source->Height()};
    if (ResizeMode == 2) {
      ComposeSkinStrip(GlowLayerOffsetLeft, GlowLayerOffsetRight, target, source, all, source->Width() + dW,
                       source->Height(), true);
    } else {
      PrepareBitmap(target, source->Width() + dW, source->Height() + dH);
      if (target->Empty()) return;
      const TRect centre{GlowLayerOffsetLeft, GlowLayerOffsetTop, source->Width() - GlowLayerOffsetRight,
                         source->Height() - GlowLayerOffsetBottom};
      ComposeStretchedSkinImage(target, source, all, centre, true);
    }
  };
  if (ResizeMode == 0) {
    // As it is.
  } else if ((ResizeMode == 2 && UseSkinSize) || ResizeMode == 1) {
    widen(image, &wideImage);
    widen(mask, &wideMask);
    if (wideImage.Empty() || wideMask.Empty()) return;
    image = &wideImage;
    mask = &wideMask;
  } else {
    return;
  }
  const TPoint at = ClientToScreen(TPoint{0, 0});
  FLayerManager->Show(at.X - GlowLayerShowOffsetX, at.Y - GlowLayerShowOffsetY, image, mask,
                      GlowLayerAlphaBlendValue);
}

void TvlSkinButton::HideLayer() {
  // A glow shown before the skin or its settings changed goes too.
  if (FLayerManager && FLayerManager->IsVisible) FLayerManager->Hide();
}

// ---- Messages ----------------------------------------------------------------------------------

void TvlSkinButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_vlButtonGlowShow: ShowLayer(); return;
    case WM_vlButtonGlowHide: HideLayer(); return;
    default: TvlSkinCustomControl::Dispatch(Message); return;
  }
}

void TvlSkinButton::WndProc(TMessage& Message) {
  if (FCanFocused) {
    TWeak<TControl> self(this);
    switch (Message.Msg) {
      case WM_KEYDOWN:
        // Enter needs nothing here: the dialog-key pass clicks the active button once.
        if (Message.WParam == VK_SPACE && FSpaceSupport) {
          FAnimation.Stop();
          SetDown(true);
          if (RepeatMode) ButtonClick();
        }
        break;
      case WM_KEYUP:
        if (Message.WParam == VK_SPACE) {
          SetDown(false);
          ButtonClick();
        }
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

void TvlSkinButton::CreateWnd() {
  TvlSkinCustomControl::CreateWnd();
  FActive = FDefault;
}

void TvlSkinButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  TvlSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (!self || Button != TMouseButton::mbLeft) return;
  FAnimation.Stop();
  PressLeft();
}

void TvlSkinButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  if (Button == TMouseButton::mbLeft) ReleaseLeft();
  if (self && HandleAllocated() && Visible()) TvlSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TvlSkinButton::CMMouseEnter(TMessage& Message) {
  TvlSkinCustomControl::CMMouseEnter(Message);
  FMouseIn = true;
  if (HoverChangesLook()) {
    if (FDown) {
      if (Fades()) FMorph.SetHover(true);
      Repaint();
    } else {
      StartAnimation(true);
      StartHoverEffect();
    }
  }
  if (FDown && RepeatMode && FGroupIndex == 0) StartRepeating();
  PostToSelf(WM_vlButtonGlowShow);
}

void TvlSkinButton::CMMouseLeave(TMessage& Message) {
  TvlSkinCustomControl::CMMouseLeave(Message);
  // The highlighted default button keeps its hover look.
  if (!(FCanFocused && FDefault && FActive && !Focused())) FMouseIn = false;
  if (HoverChangesLook()) {
    StartAnimation(false);
    StartHoverEffect();
  }
  if (FDown && RepeatMode && FRepeater.Running() && FGroupIndex == 0) FRepeater.Stop();
  PostToSelf(WM_vlButtonGlowHide);
}

void TvlSkinButton::CMDialogKey(TMessage& Message) {
  const WORD key = static_cast<WORD>(Message.WParam);
  const TShiftState shift = KeyboardStateToShiftState();
  const bool noShift = !shift.Contains(TShiftStateFlag::ssShift) && !shift.Contains(TShiftStateFlag::ssCtrl) &&
                       !shift.Contains(TShiftStateFlag::ssAlt);
  if ((key == VK_RETURN && FActive && Enabled()) || (key == VK_ESCAPE && Cancel && FCanFocused && noShift && CanFocus())) {
    ButtonClick();
    Message.Result = 1;
    return;
  }
  TvlSkinCustomControl::CMDialogKey(Message);
}

void TvlSkinButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && CanFocus() && FCanFocused) {
    TWeak<TControl> self(this);
    SetFocus();
    if (self) ButtonClick();
    Message.Result = 1;
    return;
  }
  TvlSkinCustomControl::CMDialogChar(Message);
}

void TvlSkinButton::CMFocusChanged(TMessage& Message) {
  auto* sender = reinterpret_cast<TWinControl*>(Message.LParam);
  auto* button = dynamic_cast<TvlSkinButton*>(sender);
  FActive = button ? button == this : FDefault;
  if (FCanFocused && FDefault) {
    if (button && button != this && FMouseIn) {
      FMouseIn = false;
      StartHoverEffect();
    } else if (!button && !FMouseIn) {
      // The default button shows its hover look while the focus is on a control that is not
      // a button.
      if (Fades()) FMorph.SetHover(true);
      FMouseIn = true;
      StartHoverEffect();
    }
  }
  TvlSkinCustomControl::CMFocusChanged(Message);
}

void TvlSkinButton::WMSetFocus(TMessage& Message) {
  TvlSkinCustomControl::WMSetFocus(Message);
  if (!FCanFocused) return;
  StartAnimation(true);
  StartHoverEffect();
}

void TvlSkinButton::WMKillFocus(TMessage& Message) {
  if (RepeatMode) FRepeater.Stop();
  if (FGroupIndex == 0 && FDown) FDown = false;
  TvlSkinCustomControl::WMKillFocus(Message);
  if (!FCanFocused) return;
  StartAnimation(false);
  if (Fades() && FIndex != -1)
    FMorph.Start();
  else
    Invalidate();
}

void TvlSkinButton::CMEnabledChanged(TMessage& Message) {
  TvlSkinCustomControl::CMEnabledChanged(Message);
  EnabledChanged();
}

void TvlSkinButton::CMTextChanged(TMessage& Message) {
  TvlSkinCustomControl::CMTextChanged(Message);
  Repaint();
}

void TvlSkinButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TvlSkinCustomControl::ActionChange(Sender, CheckDefaults);
  if (GlyphFromActionImage(Glyph(), Sender)) Repaint();
}
