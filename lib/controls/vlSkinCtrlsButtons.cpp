// What the skinned buttons share: the element look they copy and the button behaviour (content,
// press, groups, repetition, fade). The push button is in vlSkinCtrlsPushButton.cpp, the speed
// button in vlSkinCtrlsSpeedButton.cpp.

#include "lib/controls/vlSkinCtrlsButtons.h"

#include <algorithm>

#include "lib/controls/vlSkinCtrlsDetail.h"
#include "platform/graphics/Bitmap.h"

using namespace vlskinctrls_detail;

// ---- TvlButtonElementLook ----------------------------------------------------------------------

void TvlButtonElementLook::CopyFrom(const TvlDataSkinButtonControl& E) {
  FontName = E.FontName;
  FontStyle = E.FontStyle;
  FontHeight = E.FontHeight;
  FontColor = E.FontColor;
  ActiveFontColor = E.ActiveFontColor;
  DownFontColor = E.DownFontColor;
  DisabledFontColor = E.DisabledFontColor;
  ActiveSkinRect = IsNullRect(E.ActiveSkinRect) ? E.SkinRect : E.ActiveSkinRect;
  DownSkinRect = IsNullRect(E.DownSkinRect) ? ActiveSkinRect : E.DownSkinRect;
  DisabledSkinRect = E.DisabledSkinRect;
  FocusedSkinRect = E.FocusedSkinRect;
  Morphing = E.Morphing;
  MorphKind = E.MorphKind;
  AnimateSkinRect = E.AnimateSkinRect;
  FrameCount = E.FrameCount;
  AnimateInterval = E.AnimateInterval;
  ShowFocus = E.ShowFocus;
  MenuMarkerFlatRect = E.MenuMarkerFlatRect;
  MenuMarkerRect = E.MenuMarkerRect;
  MenuMarkerActiveRect = IsNullRect(E.MenuMarkerActiveRect) ? MenuMarkerRect : E.MenuMarkerActiveRect;
  MenuMarkerDownRect = IsNullRect(E.MenuMarkerDownRect) ? MenuMarkerActiveRect : E.MenuMarkerDownRect;
  MenuMarkerTransparentColor = E.MenuMarkerTransparentColor;
  if (DisabledFontColor == FontColor) DisabledFontColor = kDisabledGrey;
}

TColor TvlButtonElementLook::TextColour(bool Enabled, bool UseSkinFontColor, TColor DefaultColour, bool ADown,
                                        bool AMouseIn) const {
  if (Enabled && !UseSkinFontColor) return DefaultColour;
  if (!Enabled) return DisabledFontColor;
  if (ADown && AMouseIn) return DownFontColor;
  if (AMouseIn) return ActiveFontColor;
  return FontColor;
}

// ---- TvlButtonBehaviour ------------------------------------------------------------------------

TvlButtonBehaviour::TvlButtonBehaviour(TControl* Self)
    : FSelf(Self),
      FAnimation([this] { FaceChanged(); }),
      FRepeater([this] { ButtonClick(); }),
      FMorph([this] {
        if (FMorph.Follow(HasElement() && Fades(), WantsHover())) FaceChanged();
      }),
      FGlyph(std::make_unique<TBitmap>()) {}

TvlButtonBehaviour::~TvlButtonBehaviour() {
  FRepeater.Stop();
  FAnimation.Stop();
  FMorph.Stop();
}

void TvlButtonBehaviour::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  FaceChanged();
}

void TvlButtonBehaviour::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 4);
  FaceChanged();
}

void TvlButtonBehaviour::SetMargin(int Value) {
  if (Value == FMargin || Value < -1) return;
  FMargin = Value;
  FaceChanged();
}

void TvlButtonBehaviour::SetSpacing(int Value) {
  if (Value == FSpacing) return;
  FSpacing = Value;
  FaceChanged();
}

void TvlButtonBehaviour::SetLayout(TvlButtonLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  FaceChanged();
}

void TvlButtonBehaviour::SetDown(bool Value) {
  FDown = Value;
  if (Fades()) {
    // A pressed button shows its hover image at once; released, it fades back.
    FMorph.SetHover(true);
    if (Value)
      FMorph.Stop();
    else
      FMorph.Start();
  }
  FaceChanged();
  TWinControl* parent = FSelf->Parent();
  if (FGroupIndex == 0 || !FDown || AllowAllUp || !parent) return;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* other = dynamic_cast<TvlButtonBehaviour*>(parent->Controls(i));
    if (other && other != this && SameKind(other) && other->FGroupIndex == FGroupIndex && other->FDown)
      other->SetDown(false);
  }
}

void TvlButtonBehaviour::StartRepeating() { FRepeater.Start(static_cast<UINT>(std::max(RepeatInterval, 1))); }

void TvlButtonBehaviour::PressLeft() {
  FMouseDown = true;
  if (FDown) {
    // A press on a down group button may raise it on release (AllowAllUp).
    if (FGroupIndex != 0) FAllowAllUpCheck = true;
    return;
  }
  FMouseIn = true;
  FAllowAllUpCheck = false;
  SetDown(true);
  if (RepeatMode && FGroupIndex == 0)
    StartRepeating();
  else if (FGroupIndex != 0)
    ButtonClick();  // a group button clicks when pressed
}

void TvlButtonBehaviour::ReleaseLeft() {
  FMouseDown = false;
  const bool wasDown = FDown;
  if (FGroupIndex == 0) {
    FRepeater.Stop();
    if (!FMouseIn) {
      // Let go outside: no click and no repaint.
      FDown = false;
      return;
    }
    SetDown(false);
    if (wasDown) ButtonClick();
  } else if (wasDown && AllowAllUp && FAllowAllUpCheck && FMouseIn) {
    SetDown(false);
    ButtonClick();
  }
}

void TvlButtonBehaviour::ResetLook(bool Effects) {
  FMouseIn = false;
  FDown = false;
  if (Fades()) FMorph.SetHover(false);
  if (Effects) FAnimation.Stop();
  FaceChanged();
}

void TvlButtonBehaviour::EnabledChanged() {
  if (Fades()) {
    FMorph.Stop();
    FMorph.SetHover(false);
  }
  FMouseIn = false;
  FaceChanged();
}
