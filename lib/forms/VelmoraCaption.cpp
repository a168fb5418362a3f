// The caption text object of a skinned form and its quick buttons.
//
// The caption object (object-relative):
//
//   0          quick buttons                 TR (text area)                      width
//   +--[q][q]-----+---------------------------------------------------------------+
//   |  20 x 20    | [plate]  Caption text with light / shadow / glow / reflection |
//   +-------------+---------------------------------------------------------------+
//
// Quick buttons sit at the left, image width + 8 apart; the text area starts after the room of
// every quick button. The background is the caption's normal or hover image (or a frame of its
// activation animation, or a morph between the two), composed with fixed ends taken from the
// frame's corner points.

#include <algorithm>

#include "lib/forms/Velmora.h"
#include "lib/forms/VelmoraObjects.h"
#include "lib/drawing/vlEffects.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/Window.h"

// ---- Quick buttons ------------------------------------------------------------------------------

TvlQuickButtonItem::TvlQuickButtonItem(TCollection* Collection) : TCollectionItem(Collection) {}

void TvlQuickButtonItem::SetImageIndex(int Value) {
  FImageIndex = Value;
  Changed(false);
}

void TvlQuickButtonItem::SetEnabled(bool Value) {
  FEnabled = Value;
  Changed(false);
}

void TvlQuickButtonItem::SetVisible(bool Value) {
  FVisible = Value;
  Changed(false);
}

void TvlQuickButtonItem::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TvlQuickButtonItem*>(Source);
  if (!other) {
    TCollectionItem::Assign(Source);
    return;
  }
  FImageIndex = other->FImageIndex;
  Hint = other->Hint;
  FEnabled = other->FEnabled;
  FVisible = other->FVisible;
  Changed(false);
}

TvlQuickButtonItems::TvlQuickButtonItems(TvlVelmora* AVMR)
    : TCollection(CollectionItemClass<TvlQuickButtonItem>()), FVMR(AVMR) {}

TvlQuickButtonItem* TvlQuickButtonItems::Items(int Index) const {
  return static_cast<TvlQuickButtonItem*>(TCollection::Items(Index));
}

TvlQuickButtonItem* TvlQuickButtonItems::Add() { return static_cast<TvlQuickButtonItem*>(TCollection::Add()); }

TPersistent* TvlQuickButtonItems::GetOwner() const { return FVMR; }

void TvlQuickButtonItems::Update(TCollectionItem*) {
  if (!FVMR->ComponentState().Empty() || !FVMR->Form()->HandleAllocated()) return;
  // The frame repaints from the queue: an item being added is not whole yet.
  RedrawWindow(FVMR->Form()->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE);
}

// ---- The caption object -------------------------------------------------------------------------

TvlSkinCaptionObject::TvlSkinCaptionObject(TvlVelmora* AParent, TvlDataSkinCaption* AData)
    : TvlActiveSkinObject(AParent, AData) {
  if (!AData) return;
  FontName = AData->FontName;
  FontStyle = AData->FontStyle;
  FontHeight = AData->FontHeight;
  FontColor = AData->FontColor;
  ActiveFontColor = AData->ActiveFontColor;
  Alignment = AData->Alignment;
  TextRct = AData->TextRct;
  Shadow = AData->Shadow;
  ShadowColor = AData->ShadowColor;
  ActiveShadowColor = AData->ActiveShadowColor;
  Light = AData->Light;
  LightColor = AData->LightColor;
  ActiveLightColor = AData->ActiveLightColor;
  FrameRect = AData->FrameRect;
  ActiveFrameRect = AData->ActiveFrameRect;
  FrameLeftOffset = AData->FrameLeftOffset;
  FrameRightOffset = AData->FrameRightOffset;
  FrameTextRect = AData->FrameTextRect;
  StretchEffect = AData->StretchEffect;
  AnimateSkinRect = AData->AnimateSkinRect;
  FrameCount = AData->FrameCount;
  AnimateInterval = AData->AnimateInterval;
  InActiveAnimation = AData->InActiveAnimation;
  FullFrame = AData->FullFrame;
  VistaGlowEffect = AData->VistaGlowEffect;
  VistaGlowInActiveEffect = AData->VistaGlowInActiveEffect;
  GlowEffect = AData->GlowEffect;
  GlowInActiveEffect = AData->GlowInActiveEffect;
  GlowSize = AData->GlowSize;
  GlowColor = AData->GlowColor;
  GlowActiveColor = AData->GlowActiveColor;
  GlowOffset = AData->GlowOffset;
  ReflectionEffect = AData->ReflectionEffect;
  ReflectionColor = AData->ReflectionColor;
  ReflectionActiveColor = AData->ReflectionActiveColor;
  ReflectionOffset = AData->ReflectionOffset;
}

bool TvlSkinCaptionObject::EnableAnimation() const {
  return SkinInUse() && SD->EnableSkinEffects && !IsNullRect(AnimateSkinRect) && FrameCount > 0;
}

bool TvlSkinCaptionObject::HasQuickButtons() const {
  return Parent->QuickButtons()->Count() > 0 && Parent->QuickImageList();
}

TRect TvlSkinCaptionObject::TextArea() const {
  TRect tr = TextRct;
  if (!IsNullRect(TextRct)) {
    tr.Right = ObjectRect.Width() - (SkinRect.Width() - TextRct.Right);
    if (HasQuickButtons()) tr.Left += Parent->QuickButtons()->Count() * (Parent->QuickImageList()->Width() + 8);
  }
  if (!IsNullRect(FrameRect)) {
    tr.Left += FrameTextRect.Left;
    tr.Top += FrameTextRect.Top;
    tr.Right += FrameTextRect.Right - FrameRect.Width();
  }
  return tr;
}

void TvlSkinCaptionObject::PrepareFont(TCanvas* C, TColor Color) const {
  TFont* f = C->Font();
  f->SetName(FontName);
  f->SetStyle(FontStyle);
  f->SetHeight(FontHeight);
  f->SetColor(Color);
  if (SD && SD->ResourceStrData())
    f->SetCharset(SD->ResourceStrData()->CharSet);
  else
    f->SetCharset(Parent->DefCaptionFont()->Charset());
}

void TvlSkinCaptionObject::DrawCaptionText(TCanvas* C, int OX, int OY, bool A) {
  if (Parent->OnCaptionPaint) {
    Parent->OnCaptionPaint(C, ObjectRect, A);
    return;
  }
  std::string text = Parent->DefaultCaptionText();
  const TRect tr = TextArea();
  if (text.empty() || IsNullRect(TextRct)) return;
  FitTextWithEllipsisW(C, text, tr.Width());
  const int tw = CalcTextWidth(C, text), th = CalcTextHeight(C, text);
  const int y = tr.Top + tr.Height() / 2 - th / 2 + OY;
  int x = tr.Left + tr.Width() / 2 - tw / 2;
  if (Parent->QuickButtons()->Count() == 0) {
    if (Alignment == TAlignment::taLeftJustify) x = tr.Left;
    if (Alignment == TAlignment::taRightJustify) x = tr.Right - tw;
  }
  x += OX;
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  SetBkMode(C->Handle(), TRANSPARENT);
  // The plate behind the text.
  if (!IsNullRect(FrameRect) && ActivePicture) {
    const TRect src = A && !IsNullRect(ActiveFrameRect) ? ActiveFrameRect : FrameRect;
    const int offset = Parent->SkinData()->ButtonsOffset;
    const int w = FullFrame ? ObjectRect.Width() - 2 * offset : FrameRect.Width() + tw - FrameTextRect.Width();
    if (w > 0) {
      TBitmap plate;
      ComposeSkinStrip(FrameLeftOffset, FrameRightOffset, &plate, ActivePicture, src, w, FrameRect.Height(), false);
      const int px = FullFrame ? OX + offset : x - FrameTextRect.Left;
      if (!plate.Empty()) C->Draw(px, y - FrameTextRect.Top, &plate);
    }
  }
  const UINT flags = Parent->Form()->DrawTextBiDiModeFlags(DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  const auto place = [&](int X, int Y) {
    TRect r{X, Y, X, Y};
    DrawTextWide(C, text, r, flags | DT_CALCRECT);
    return r;
  };
  const TColor colour = C->Font()->Color();
  const auto copy = [&](int dx, TColor c) {
    C->Font()->SetColor(c);
    TRect r = place(x + dx, y + dx);
    DrawTextWide(C, text, r, flags);
    C->Font()->SetColor(colour);
  };
  if (Light) copy(-1, A ? ActiveLightColor : LightColor);
  if (Shadow) copy(1, A ? ActiveShadowColor : ShadowColor);
  TRect r = place(x, y);
  if (ReflectionEffect)
    DrawReflectionText(C, r, text, flags, ReflectionOffset, A ? ReflectionActiveColor : ReflectionColor);
  else if (VistaGlowEffect && (A || VistaGlowInActiveEffect))
    DrawVistaGlowText(C, r, text, flags, A ? GlowActiveColor : GlowColor);
  else if (!VistaGlowEffect && GlowEffect && (A || GlowInActiveEffect))
    DrawGlowText(C, r, text, flags, GlowOffset, A ? GlowActiveColor : GlowColor, GlowSize);
  else
    DrawTextWide(C, text, r, flags);
}

void TvlSkinCaptionObject::CaptionImage(TBitmap* B, TBitmap* P, const TRect& Src) {
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  B->SetPixelFormat(TPixelFormat::pf32bit);
  B->SetSize(std::max(0, w), std::max(0, h));
  if (B->Empty() || !P || IsNullRect(Src)) return;
  const int l = std::max(0, SD->LTPoint.X - SkinRect.Left), r = std::max(0, SkinRect.Right - SD->RTPoint.X);
  if (l == 0 && r == 0) {
    B->Canvas()->CopyRect(TRect{0, 0, w, h}, P->Canvas(), Src);
    return;
  }
  TBitmap strip;
  ComposeSkinStrip(l, r, &strip, P, Src, w, h, StretchEffect);
  if (!strip.Empty()) B->Canvas()->CopyRect(TRect{0, 0, w, h}, strip.Canvas(), TRect{0, 0, strip.Width(), strip.Height()});
}

void TvlSkinCaptionObject::StateImage(TBitmap* B, bool Hover) {
  if (Hover)
    CaptionImage(B, ActivePicture, ActiveSkinRect);
  else
    CaptionImage(B, SkinRectInAPicture ? ActivePicture : Picture, SkinRect);
  if (B->Empty()) return;
  PrepareFont(B->Canvas(), Hover ? ActiveFontColor : FontColor);
  // The text at the image's own origin.
  const TRect kept = ObjectRect;
  ObjectRect = TRect{0, 0, kept.Width(), kept.Height()};
  DrawCaptionText(B->Canvas(), 0, 0, Hover);
  ObjectRect = kept;
}

TRect TvlSkinCaptionObject::AnimationFrameRect() const {
  const TRect& a = AnimateSkinRect;
  const int k = CurrentFrame, n = std::max(1, FrameCount);
  if (a.Height() > SkinRect.Height()) {
    const int h = a.Height() / n;
    return TRect{a.Left, a.Top + h * (k - 1), a.Right, a.Top + h * k};
  }
  const int w = a.Width() / n;
  return TRect{a.Left + w * (k - 1), a.Top, a.Left + w * k, a.Bottom};
}

void TvlSkinCaptionObject::DrawInActiveEffect(TBitmap* B) {
  if (!SD->AutoRenderingInActiveImage || Active || B->Empty()) return;
  std::unique_ptr<TvlEffectBmp> e = TvlEffectBmp::CreateFromhWnd(B->Handle());
  if (!e) return;
  vlApplyInActiveEffect(e.get(), SD->InActiveEffect);
  e->Draw(B->Canvas()->Handle(), 0, 0);
}

void TvlSkinCaptionObject::DrawBitmap(TCanvas* C, TBitmap* B) {
  if (!B->Empty()) C->Draw(ObjectRect.Left, ObjectRect.Top, B);
}

void TvlSkinCaptionObject::Draw(TCanvas* Cnvs, bool) {
  if (!SkinInUse()) return;
  PrepareFont(Cnvs, Active ? ActiveFontColor : FontColor);
  if (EnableAnimation() && CurrentFrame >= 1 && CurrentFrame <= FrameCount) {
    // The text keeps the look of the state being left until the last frame.
    TBitmap b;
    CaptionImage(&b, ActivePicture, AnimationFrameRect());
    if (!b.Empty()) {
      PrepareFont(b.Canvas(), Active ? FontColor : ActiveFontColor);
      const TRect kept = ObjectRect;
      ObjectRect = TRect{0, 0, kept.Width(), kept.Height()};
      DrawCaptionText(b.Canvas(), 0, 0, !Active);
      ObjectRect = kept;
    }
    DrawBitmap(Cnvs, &b);
  } else if (EnableMorphing() && ((FMorphStep > 0 && !Active) || (FMorphStep < kMorphSteps && Active))) {
    TBitmap normal, hover;
    StateImage(&normal, false);
    StateImage(&hover, true);
    if (!normal.Empty() && !hover.Empty()) {
      std::unique_ptr<TvlEffectBmp> from = TvlEffectBmp::CreateFromhWnd(normal.Handle());
      std::unique_ptr<TvlEffectBmp> to = TvlEffectBmp::CreateFromhWnd(hover.Handle());
      if (from && to) {
        TBitmap blended;
        blended.SetPixelFormat(TPixelFormat::pf32bit);
        blended.SetSize(normal.Width(), normal.Height());
        vlDrawMorph(blended.Canvas(), 0, 0, &normal, &hover, MorphKf(), MorphKind);
        DrawInActiveEffect(&blended);
        DrawBitmap(Cnvs, &blended);
      }
    }
  } else if (IsNullRect(ActiveSkinRect) || (!Active && !EnableMorphing() && !StretchEffect && !EnableAnimation())) {
    DrawCaptionText(Cnvs, ObjectRect.Left, ObjectRect.Top, Active);
  } else {
    TBitmap b;
    StateImage(&b, Active);
    DrawInActiveEffect(&b);
    DrawBitmap(Cnvs, &b);
  }
  // Last, so that no caption image covers them.
  DrawQuickButtons(Cnvs);
}

// ---- Quick buttons on the caption ---------------------------------------------------------------

void TvlSkinCaptionObject::DrawQuickButtons(TCanvas* C) {
  if (!HasQuickButtons()) return;
  TvlQuickButtonItems* items = Parent->QuickButtons();
  TCustomImageList* images = Parent->QuickImageList();
  const int iw = images->Width(), ih = images->Height();
  int left = ObjectRect.Left;
  const int top = ObjectRect.Top + ObjectRect.Height() / 2 - ih / 2 - 2;
  const int index = vlFindControlElement(SD, {"officequickbutton", "resizetoolbutton"});
  auto* face = dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(SD, index));
  TBitmap* facePicture = face ? vlSkinPicture(SD, face->PictureIndex) : nullptr;
  for (int i = 0; i < items->Count(); ++i) {
    TvlQuickButtonItem* item = items->Items(i);
    if (!item->Visible()) continue;
    item->ItemRect = TRect{left, top, left + iw + 4, top + ih + 4};
    left += iw + 8;
    const TRect& r = item->ItemRect;
    if (item->Active && facePicture) {
      const TRect active = IsNullRect(face->ActiveSkinRect) ? face->SkinRect : face->ActiveSkinRect;
      const TRect src = item->Down && !IsNullRect(face->DownSkinRect) ? face->DownSkinRect : active;
      TBitmap b;
      b.SetPixelFormat(TPixelFormat::pf32bit);
      b.SetSize(r.Width(), r.Height());
      ComposeStretchedSkinImage(&b, facePicture, src, face->ClRect, true);
      if (!b.Empty()) C->Draw(r.Left, r.Top, &b);
    }
    images->Draw(C, r.Left + r.Width() / 2 - iw / 2, r.Top + r.Height() / 2 - ih / 2, item->ImageIndex(),
                 item->Enabled());
  }
}

void TvlSkinCaptionObject::TestQuickButtons(int X, int Y) {
  TvlQuickButtonItems* items = Parent->QuickButtons();
  if (items->Count() == 0) return;
  OldActiveQuickButton = ActiveQuickButton;
  ActiveQuickButton = -1;
  for (int i = 0; i < items->Count(); ++i) {
    TvlQuickButtonItem* item = items->Items(i);
    if (item->Enabled() && item->Visible() && item->ItemRect.Contains(TPoint{X, Y})) {
      ActiveQuickButton = i;
      break;
    }
  }
  bool flipped = false;
  for (int i = 0; i < items->Count(); ++i) {
    TvlQuickButtonItem* item = items->Items(i);
    const bool active = i == ActiveQuickButton;
    flipped = flipped || item->Active != active;
    item->Active = active;
  }
  TCustomForm* form = Parent->Form();
  if ((ActiveQuickButton != OldActiveQuickButton || flipped) && form->HandleAllocated())
    SendMessage(form->Handle(), WM_NCPAINT, 0, 0);
  TvlSkinHint* hint = Parent->SkinHint();
  if (ActiveQuickButton != OldActiveQuickButton && ActiveQuickButton != -1 && hint && Parent->QuickButtonsShowHint) {
    const std::string& text = items->Items(ActiveQuickButton)->Hint;
    if (!text.empty()) hint->ActivateHint2(text);
  }
  if (flipped && ActiveQuickButton == -1 && Parent->QuickButtonsShowHint && hint) hint->HideHint();
}

void TvlSkinCaptionObject::MouseEnter() {
  FMouseIn = true;
  Parent->FireObjectMouseEnter(IDName);
}

void TvlSkinCaptionObject::MouseLeave() {
  FMouseIn = false;
  TWeak<TvlActiveSkinObject> alive(this);
  Parent->FireObjectMouseLeave(IDName);
  if (!alive || !HasQuickButtons()) return;
  ActiveQuickButton = OldActiveQuickButton = -1;
  TestQuickButtons(-1, -1);
}

void TvlSkinCaptionObject::MouseMove(int X, int Y) {
  TWeak<TvlActiveSkinObject> alive(this);
  TvlActiveSkinObject::MouseMove(X, Y);
  if (alive && HasQuickButtons()) TestQuickButtons(X, Y);
}

void TvlSkinCaptionObject::MouseDown(int X, int Y, TMouseButton Button) {
  TWeak<TvlActiveSkinObject> alive(this);
  TvlActiveSkinObject::MouseDown(X, Y, Button);
  if (!alive || !HasQuickButtons()) return;
  TestQuickButtons(X, Y);
  if (ActiveQuickButton != -1) {
    TvlQuickButtonItems* items = Parent->QuickButtons();
    for (int i = 0; i < items->Count(); ++i) {
      TvlQuickButtonItem* item = items->Items(i);
      item->Down = i == ActiveQuickButton;
      if (!item->Down) item->Active = false;
    }
    if (Parent->Form()->HandleAllocated()) SendMessage(Parent->Form()->Handle(), WM_NCPAINT, 0, 0);
  }
  if (Parent->QuickButtonsShowHint && Parent->SkinHint()) Parent->SkinHint()->HideHint();
}

void TvlSkinCaptionObject::MouseUp(int X, int Y, TMouseButton Button) {
  TWeak<TvlActiveSkinObject> alive(this);
  // Raised whether or not the pointer is inside.
  Parent->FireObjectMouseUp(IDName, X, Y, ObjectRect, Button);
  if (!alive || !HasQuickButtons()) return;
  TestQuickButtons(X, Y);
  if (ActiveQuickButton == -1) return;
  TvlQuickButtonItems* items = Parent->QuickButtons();
  for (int i = 0; i < items->Count(); ++i) items->Items(i)->Down = false;
  if (Parent->Form()->HandleAllocated()) SendMessage(Parent->Form()->Handle(), WM_NCPAINT, 0, 0);
  if (!alive) return;
  TvlQuickButtonItem* item = items->Items(ActiveQuickButton);
  if (item->OnClick) item->OnClick(this);
}
