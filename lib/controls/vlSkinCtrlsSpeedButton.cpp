// The skinned windowless tool button (TvlSkinSpeedButton).

#include <algorithm>

#include "lib/drawing/vlEffects.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ImageList.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenusImages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ImageList.h"

using namespace vlskinctrls_detail;

TvlSkinSpeedButton::TvlSkinSpeedButton(TComponent* AOwner)
    : TvlGraphicSkinCustomControl(AOwner), TvlButtonBehaviour(this) {
  SetControlStyle(TControlStyle{TControlStyleFlag::csCaptureMouse, TControlStyleFlag::csOpaque,
                                TControlStyleFlag::csDoubleClicks});
  SkinDataName = "toolbutton";
  SetBounds(Left(), Top(), 25, 25);
}

TvlSkinSpeedButton::~TvlSkinSpeedButton() {
  ReplaceReference(FButtonImages, static_cast<TCustomImageList*>(nullptr));
  ReplaceReference(FSkinImagesMenu, static_cast<TvlSkinImagesMenu*>(nullptr));
}

// ---- Predicates --------------------------------------------------------------------------------

bool TvlSkinSpeedButton::EffectsEnabled() const { return FSD && !FSD->Empty && FSD->EnableSkinEffects; }
bool TvlSkinSpeedButton::Fades() const { return Look.Morphing && EffectsEnabled(); }
bool TvlSkinSpeedButton::SameKind(const TvlButtonBehaviour* Other) const {
  return dynamic_cast<const TvlSkinSpeedButton*>(Other) != nullptr;
}
bool TvlSkinSpeedButton::AnimationAllowed() const {
  return !FFlat && FIndex != -1 && EffectsEnabled() && !IsNullRect(Look.AnimateSkinRect);
}

// ---- Properties --------------------------------------------------------------------------------

void TvlSkinSpeedButton::SetImageList(TCustomImageList* Value) { ReplaceReference(FButtonImages, Value); }

void TvlSkinSpeedButton::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (dynamic_cast<TvlButtonImageSource*>(Parent())) Repaint();
}

bool TvlSkinSpeedButton::Transparent() const { return !ControlStyle().Contains(TControlStyleFlag::csOpaque); }

void TvlSkinSpeedButton::SetTransparent(bool Value) {
  TControlStyle style = ControlStyle();
  if (Value)
    style.Exclude(TControlStyleFlag::csOpaque);
  else
    style.Include(TControlStyleFlag::csOpaque);
  SetControlStyle(style);
  Repaint();
}

void TvlSkinSpeedButton::SetFlat(bool Value) {
  FFlat = Value;
  SetTransparent(Value);
  Repaint();
}

void TvlSkinSpeedButton::SetShowCaption(bool Value) {
  if (Value == FShowCaption) return;
  FShowCaption = Value;
  if (WidthWithCaption > 0 && WidthWithoutCaption > 0)
    SetWidth(Value ? WidthWithCaption : WidthWithoutCaption);
  else
    Repaint();
}

void TvlSkinSpeedButton::SetSkinImagesMenu(TvlSkinImagesMenu* Value) {
  ReplaceReference(FSkinImagesMenu, Value);
  if (FSkinImagesMenu) {
    // The menu may outlive the button: its handler checks that the button is still there.
    TWeak<TvlSkinSpeedButton> self(this);
    FSkinImagesMenu->OnInternalChange = [self](TObject*) {
      if (self) self->Repaint();
    };
  }
  Repaint();
}

const TvlImagesMenuItem* TvlSkinSpeedButton::ShownMenuItem() const {
  return FSkinImagesMenu && UseImagesMenuImage ? FSkinImagesMenu->SelectedItem() : nullptr;
}

void TvlSkinSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TvlGraphicSkinCustomControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FButtonImages) FButtonImages = nullptr;
  if (AComponent == FSkinImagesMenu) FSkinImagesMenu = nullptr;
}

void TvlSkinSpeedButton::ButtonClick() { TvlGraphicSkinCustomControl::Click(); }

void TvlSkinSpeedButton::Click() { ButtonClick(); }

void TvlSkinSpeedButton::RefreshButton() { ResetLook(EffectsEnabled()); }

// ---- Skin --------------------------------------------------------------------------------------

void TvlSkinSpeedButton::GetSkinData() {
  TvlGraphicSkinCustomControl::GetSkinData();
  if (auto* d = FIndex == -1 ? nullptr : dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(FSD, FIndex))) {
    Look.CopyFrom(*d);
    if (IsNullRect(d->MenuMarkerFlatRect)) Look.MenuMarkerFlatRect = Look.MenuMarkerRect;
    // A transparent button has nothing to fade.
    if (Transparent()) Look.Morphing = false;
  }
  const int frame = FAnimation.CurrentFrame();
  if (EffectsEnabled() && FAnimation.Running() && frame > 0 && frame <= Look.FrameCount) {
    const TRect r = vlAnimationFrameRect(Look.AnimateSkinRect, SkinRect, Look.FrameCount, frame);
    if (FAnimation.Forward())
      Look.ActiveSkinRect = r;
    else
      SkinRect = r;
  }
  if (FIndex == -1) Look.ActiveSkinRect = TRect{};
}

void TvlSkinSpeedButton::CalcSize(int& AWidth, int& AHeight) {
  if (UseSkinSize || ResizeMode == 1) {
    TvlGraphicSkinCustomControl::CalcSize(AWidth, AHeight);
    return;
  }
  if (FIndex == -1) return;
  NewClRect = TRect{ClRect.Left, ClRect.Top, ClRect.Right + AWidth - SkinRect.Width(),
                    ClRect.Bottom + AHeight - SkinRect.Height()};
}

void TvlSkinSpeedButton::ChangeSkinData() {
  FAnimation.Stop();
  FMorph.Stop();
  TvlGraphicSkinCustomControl::ChangeSkinData();
  if (Fades() && FIndex != -1 && FMouseIn && !Transparent()) FMorph.SetHover(true);
}

// ---- Painting ----------------------------------------------------------------------------------

void TvlSkinSpeedButton::DrawContent(TCanvas* C, const TRect& R, bool Pressed, bool ADown, bool AMouseIn) {
  const std::string text = FShowCaption ? Caption() : std::string();
  if (const TvlImagesMenuItem* item = ShownMenuItem()) {
    DrawImageAndText(C, R, Margin(), Spacing(), Layout(), UseImagesMenuCaption ? item->Caption : text,
                     item->ImageIndex, FSkinImagesMenu->Images(), Pressed, Enabled(), false, 0);
    return;
  }
  if (Glyph()->Empty()) {
    if (auto* bar = dynamic_cast<TvlButtonImageSource*>(Parent())) {
      // The bar's images: disabled ones for a disabled button, hot ones under the mouse or when
      // down, else the plain ones. An index outside the list leaves the text alone.
      TCustomImageList* list = bar->ButtonImages();
      bool drawnEnabled = Enabled();
      if (!Enabled() && bar->ButtonDisabledImages()) {
        list = bar->ButtonDisabledImages();
        drawnEnabled = true;
      } else if ((AMouseIn || ADown) && bar->ButtonHotImages()) {
        list = bar->ButtonHotImages();
      }
      DrawImageAndText(C, R, Margin(), Spacing(), Layout(), text, FImageIndex, list, Pressed, drawnEnabled, false, 0);
      return;
    }
    if (FButtonImages && FImageIndex >= 0 && FImageIndex < FButtonImages->Count()) {
      DrawImageAndText(C, R, Margin(), Spacing(), Layout(), text, FImageIndex, FButtonImages, Pressed, Enabled(), false,
                       0);
      return;
    }
  }
  DrawGlyphAndText(C, R, Margin(), Spacing(), Layout(), text, Glyph(), NumGlyphs(),
                   GlyphFrameNumber(ADown, AMouseIn, Enabled(), NumGlyphs()), Pressed, false, 0);
}

void TvlSkinSpeedButton::DrawButtonContent(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) {
  TRect content;
  if (!UseSkinSize && ResizeMode != 1) {
    content = DrawFreeSizeFace(B, Picture, R, ResizeMode, ClRect);
  } else {
    CreateSkinImage(B, Picture, R);
    content = NewClRect;
  }
  if (B->Empty()) return;
  TCanvas* c = B->Canvas();
  ApplyElementFont(c->Font(), FSD, Look.FontName, Look.FontStyle, Look.FontHeight,
                   Look.TextColour(Enabled(), UseSkinFontColor, FDefaultFont->Color(), ADown, AMouseIn),
                   FDefaultFont.get(), FUseSkinFont);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  bool drawDefault = true;
  if (OnPaint) OnPaint(this, c, content, ADown, AMouseIn, drawDefault);
  if (drawDefault) DrawContent(c, content, ADown && AMouseIn, ADown, AMouseIn);
}

void TvlSkinSpeedButton::PaintTransparentContent() {
  // At rest a transparent button draws only its content, straight on the parent's surface.
  TCanvas* c = Canvas();
  TRect r;
  if (FIndex != -1) {
    int w = Width(), h = Height();
    CalcSize(w, h);
    r = NewClRect;
    TColor colour = FDefaultFont->Color();
    if (!Enabled())
      colour = FSD->SkinColors()->FcBtnShadow;
    else if (UseSkinFontColor)
      colour = FSD->SkinColors()->FcBtnText;
    ApplyElementFont(c->Font(), FSD, Look.FontName, Look.FontStyle, Look.FontHeight, colour, FDefaultFont.get(),
                     FUseSkinFont);
  } else {
    r = ClientRect();
    c->Font()->Assign(FDefaultFont.get());
    ApplySkinCharset(c->Font(), FSD, FDefaultFont.get());
    if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  }
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  bool drawDefault = true;
  if (OnPaint) OnPaint(this, c, r, FDown, FMouseIn, drawDefault);
  if (drawDefault) DrawContent(c, r, false, false, false);
}

void TvlSkinSpeedButton::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  const bool pressedLook = FDown && (FMouseIn || FGroupIndex != 0);
  if (FIndex == -1 || !SkinLookAvailable()) {
    if (pressedLook || FMouseIn || !Transparent())
      TvlGraphicSkinCustomControl::Paint();
    else
      PaintTransparentContent();
    return;
  }
  int w = Width(), h = Height();
  CalcSize(w, h);
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (b.Empty()) return;
  if (Fades() && FMorph.Between() && !Transparent()) {
    TBitmap hover;
    PrepareBitmap(&hover, Width(), Height());
    DrawButtonContent(&b, SkinRect, false, false);
    DrawButtonContent(&hover, Look.ActiveSkinRect, false, true);
    vlDrawMorph(Canvas(), 0, 0, &b, &hover, FMorph.Kf(), Look.MorphKind);
    return;
  }
  if (pressedLook) {
    DrawButtonContent(&b, Look.DownSkinRect, true, true);
  } else if (Fades() && !Transparent() && FMorph.Running()) {
    // A fade about to start or end shows the look it stands at.
    const bool hover = FMorph.AtHover();
    DrawButtonContent(&b, hover ? Look.ActiveSkinRect : SkinRect, false, hover);
  } else if (FMouseIn || (Fades() && FMorph.AtHover())) {
    DrawButtonContent(&b, Look.ActiveSkinRect, false, true);
  } else if (Transparent()) {
    PaintTransparentContent();
    return;
  } else {
    const bool disabledImage = !Enabled() && !IsNullRect(Look.DisabledSkinRect);
    DrawButtonContent(&b, disabledImage ? Look.DisabledSkinRect : SkinRect, false, false);
  }
  Canvas()->Draw(0, 0, &b);
}

void TvlSkinSpeedButton::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  const TRect r{0, 0, B->Width(), B->Height()};
  const bool downLook = FDown && (FMouseIn || FGroupIndex != 0);
  if (downLook) {
    DrawBuiltinFace(c, r, clNavy, kBuiltinDownFill);
  } else if (FMouseIn) {
    DrawBuiltinFace(c, r, clNavy, kBuiltinHoverFill);
  } else if (!FFlat) {
    DrawBuiltinFace(c, r, clBtnShadow, clBtnFace);
  } else {
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
  }
  c->Font()->Assign(FDefaultFont.get());
  ApplySkinCharset(c->Font(), FSD, FDefaultFont.get());
  if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  bool drawDefault = true;
  if (OnPaint) OnPaint(this, c, r, FDown, FMouseIn, drawDefault);
  if (!drawDefault) return;
  // Images are drawn pressed when down under the mouse, the glyph when the down look is drawn.
  const bool image = ShownMenuItem() != nullptr ||
                     (Glyph()->Empty() && (dynamic_cast<TvlButtonImageSource*>(Parent()) ||
                                           (FButtonImages && FImageIndex >= 0 && FImageIndex < FButtonImages->Count())));
  DrawContent(c, r, image ? (FDown && FMouseIn) : downLook, FDown, FMouseIn);
}

void TvlSkinSpeedButton::DrawMenuMarker(TCanvas* C, const TRect& R, bool AActive, bool ADown, bool AFlat) {
  const TRect source = ADown      ? Look.MenuMarkerDownRect
                       : AActive  ? Look.MenuMarkerActiveRect
                       : AFlat    ? Look.MenuMarkerFlatRect
                                  : Look.MenuMarkerRect;
  TBitmap marker;
  if (!C || !CopyPiece(&marker, Picture, source)) return;
  marker.SetTransparentMode(TTransparentMode::tmFixed);
  marker.SetTransparentColor(Look.MenuMarkerTransparentColor);
  marker.SetTransparent(true);
  C->Draw(R.Left + R.Width() / 2 - marker.Width() / 2, R.Top + R.Height() / 2 - marker.Height() / 2, &marker);
}

// ---- Hover -------------------------------------------------------------------------------------

void TvlSkinSpeedButton::HoverChanged(bool Entered) {
  if (AnimationAllowed()) FAnimation.Start(Entered, Look.FrameCount, Look.AnimateInterval);
  if (!Fades() || FIndex == -1 || Transparent())
    Repaint();
  else
    FMorph.Start();
}

void TvlSkinSpeedButton::CMMouseEnter(TMessage& Message) {
  TvlGraphicSkinCustomControl::CMMouseEnter(Message);
  if (!Enabled()) return;
  FMouseIn = true;
  if (FGroupIndex == 0 || !FDown) {
    if (FDown) {
      // Held while coming back over the button.
      if (Fades()) FMorph.SetHover(true);
      Repaint();
    } else {
      HoverChanged(true);
    }
  }
  if (FDown && RepeatMode && FGroupIndex == 0) StartRepeating();
}

void TvlSkinSpeedButton::CMMouseLeave(TMessage& Message) {
  TvlGraphicSkinCustomControl::CMMouseLeave(Message);
  if (!Enabled()) return;
  FMouseIn = false;
  if (FGroupIndex == 0 || !FDown) HoverChanged(false);
  if (FDown && RepeatMode && FRepeater.Running() && FGroupIndex == 0) FRepeater.Stop();
}

// ---- Mouse and messages ------------------------------------------------------------------------

void TvlSkinSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  TvlGraphicSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (!self || Button != TMouseButton::mbLeft) return;
  if (AnimationAllowed()) FAnimation.Stop();
  PressLeft();
}

void TvlSkinSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  TvlGraphicSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (self && Button == TMouseButton::mbLeft) ReleaseLeft();
}

void TvlSkinSpeedButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && Enabled() && Visible() && Parent() &&
      Parent()->Showing()) {
    ButtonClick();
    Message.Result = 1;
    return;
  }
  TvlGraphicSkinCustomControl::CMDialogChar(Message);
}

void TvlSkinSpeedButton::CMEnabledChanged(TMessage& Message) {
  TvlGraphicSkinCustomControl::CMEnabledChanged(Message);
  EnabledChanged();
}

void TvlSkinSpeedButton::CMTextChanged(TMessage& Message) {
  TvlGraphicSkinCustomControl::CMTextChanged(Message);
  Repaint();
}

void TvlSkinSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TvlGraphicSkinCustomControl::ActionChange(Sender, CheckDefaults);
  if (GlyphFromActionImage(Glyph(), Sender)) Repaint();
}
