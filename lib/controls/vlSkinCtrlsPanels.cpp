// The panel family: TvlSkinPanel, TvlSkinPaintPanel, TvlSkinGroupBox.

#include <algorithm>

#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

namespace {

// A 1-pixel frame: TopLeft on the top and left edges, BottomRight on the others.
void Frame3D(TCanvas* C, const TRect& R, TColor TopLeft, TColor BottomRight) {
  if (R.Width() <= 0 || R.Height() <= 0) return;
  C->Pen()->SetWidth(1);
  C->Pen()->SetColor(TopLeft);
  C->MoveTo(R.Left, R.Bottom - 1);
  C->LineTo(R.Left, R.Top);
  C->LineTo(R.Right - 1, R.Top);
  C->Pen()->SetColor(BottomRight);
  C->LineTo(R.Right - 1, R.Bottom - 1);
  C->LineTo(R.Left - 1, R.Bottom - 1);
}

TRect Shrunk(TRect R, int d) { return TRect{R.Left + d, R.Top + d, R.Right - d, R.Bottom - d}; }

}  // namespace

// ---- TvlSkinPanel ------------------------------------------------------------------------------

TvlSkinPanel::TvlSkinPanel(TComponent* AOwner) : TvlSkinCustomControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  TControlStyle style = ControlStyle();
  for (auto flag : {TControlStyleFlag::csAcceptsControls, TControlStyleFlag::csCaptureMouse,
                    TControlStyleFlag::csClickEvents, TControlStyleFlag::csSetCaption, TControlStyleFlag::csOpaque,
                    TControlStyleFlag::csDoubleClicks, TControlStyleFlag::csReplicatable})
    style.Include(flag);
  SetControlStyle(style);
  FForceBackground = true;
  SetBounds(Left(), Top(), 150, 150);
  NewClRect = TRect{};
  FSkinDataName = "panel";
}

TvlSkinPanel::~TvlSkinPanel() { ReplaceReference(FCaptionImageList, static_cast<TCustomImageList*>(nullptr)); }

void TvlSkinPanel::CreateParams(TCreateParams& Params) {
  TvlSkinCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TvlSkinPanel::RepaintAndRealign() {
  Repaint();
  Realign();
}

void TvlSkinPanel::SetRibbonStyle(bool Value) {
  if (FRibbonStyle == Value) return;
  FRibbonStyle = Value;
  Repaint();
}

void TvlSkinPanel::SetImagePosition(TvlImagePosition Value) {
  if (FImagePosition == Value) return;
  FImagePosition = Value;
  Repaint();
}

void TvlSkinPanel::SetTransparentMode(bool Value) {
  if (FTransparentMode == Value) return;
  FTransparentMode = Value;
  Repaint();
  if (!Loading()) NotifyParentMoved();
}

void TvlSkinPanel::SetCaptionImageList(TCustomImageList* Value) { ReplaceReference(FCaptionImageList, Value); }

void TvlSkinPanel::SetCaptionImageIndex(int Value) {
  if (FCaptionImageIndex == Value) return;
  FCaptionImageIndex = Value;
  Repaint();
}

void TvlSkinPanel::SetCheckedMode(bool Value) {
  FCheckedMode = Value;
  Repaint();
}

void TvlSkinPanel::SetChecked(bool Value) {
  FChecked = Value;
  if (FCheckedMode) Repaint();
  if (FAutoEnabledControls && FCheckedMode)
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(FChecked);
  if (OnChecked) OnChecked(this);
}

void TvlSkinPanel::SetDefaultAlignment(TAlignment Value) {
  FDefaultAlignment = Value;
  if (FIndex == -1 && FCaptionMode) Repaint();
}

void TvlSkinPanel::SetDefaultCaptionHeight(int Value) {
  FDefaultCaptionHeight = Value;
  if (FIndex == -1 && FCaptionMode) RepaintAndRealign();
}

void TvlSkinPanel::SetBorderStyle(TvlSkinBorderStyle Value) {
  FBorderStyle = Value;
  if (FIndex == -1) RepaintAndRealign();
}

void TvlSkinPanel::SetCaptionMode(bool Value) {
  FCaptionMode = Value;
  RepaintAndRealign();
}

void TvlSkinPanel::SetRollUpMode(bool Value) {
  FRollUpMode = Value;
  if (FIndex == -1 && FCaptionMode) Repaint();
}

void TvlSkinPanel::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Repaint();
}

void TvlSkinPanel::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 2);
  Repaint();
}

void TvlSkinPanel::SetSpacing(int Value) {
  FSpacing = Value;
  Repaint();
}

void TvlSkinPanel::SetRollUpState(bool Value) {
  if (Value == FRollUpState) return;
  TSizeConstraints* c = Constraints();
  if (!FRollUpMode) {
    // Only constraints this panel saved itself go back.
    if (FConstraintsSaved) {
      c->SetMaxWidth(FCMaxWidth);
      c->SetMinWidth(FCMinWidth);
      c->SetMaxHeight(FCMaxHeight);
      c->SetMinHeight(FCMinHeight);
      FConstraintsSaved = false;
    }
    FRollUpState = false;
    return;
  }
  if (Value) {
    // The size limits would stop the panel at its minimum height: set aside while rolled up.
    FCMaxWidth = c->MaxWidth();
    FCMinWidth = c->MinWidth();
    FCMaxHeight = c->MaxHeight();
    FCMinHeight = c->MinHeight();
    FConstraintsSaved = true;
    c->SetMaxWidth(0);
    c->SetMinWidth(0);
    c->SetMaxHeight(0);
    c->SetMinHeight(0);
  }
  FRollUpState = Value;
  DoRollUp(Value);
  if (!Value && FConstraintsSaved) {
    c->SetMaxWidth(FCMaxWidth);
    c->SetMinWidth(FCMinWidth);
    c->SetMaxHeight(FCMaxHeight);
    c->SetMinHeight(FCMinHeight);
    FConstraintsSaved = false;
  }
  if (OnChangeRollUpState) OnChangeRollUpState(this);
}

void TvlSkinPanel::DoRollUp(bool ARollUp) {
  FInChangingRollUp = true;
  if (ARollUp && FRealHeight == -1) {
    FRealHeight = Height();
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->Hide();
    GetSkinData();
    if (FIndex != -1) {
      int w = Width(), h = Height();
      CalcSize(w, h);
      SetHeight(std::max(0, Height() - NewClRect.Height()));
    } else {
      SetHeight(FDefaultCaptionHeight + 1);
    }
  } else if (!ARollUp && FRealHeight != -1) {
    SetHeight(FRealHeight);
    FRealHeight = -1;
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->Show();
    EnableAlign();
  }
  FInChangingRollUp = false;
}

void TvlSkinPanel::ChangeSkinData() {
  TvlSkinCustomControl::ChangeSkinData();
  if (FRollUpState && FRealHeight != -1) {
    // The caption height of the new skin; the unrolled height stays.
    GetSkinData();
    FInChangingRollUp = true;
    if (FIndex != -1)
      SetHeight(std::max(0, SkinRect.Height() - ClRect.Height()));
    else
      SetHeight(FDefaultCaptionHeight + 1);
    FInChangingRollUp = false;
  } else {
    Realign();
  }
}

bool TvlSkinPanel::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (FRollUpMode && FInChangingRollUp && AutoSize()) return false;
  return TvlSkinCustomControl::CanAutoSize(NewWidth, NewHeight);
}

void TvlSkinPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TvlSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FIndex == -1) Repaint();
}

void TvlSkinPanel::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FCaptionImageList) FCaptionImageList = nullptr;
}

void TvlSkinPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOVE:
      TvlSkinCustomControl::Dispatch(Message);
      if (FTransparentMode) {
        Repaint();
        NotifyParentMoved();
      }
      return;
    case WM_vlParentMoved:
      // Nested transparent panels follow their ancestors.
      if (FTransparentMode) {
        Repaint();
        NotifyParentMoved();
      }
      return;
    default: TvlSkinCustomControl::Dispatch(Message);
  }
}

void TvlSkinPanel::CMEnabledChanged(TMessage& Message) {
  TvlSkinCustomControl::CMEnabledChanged(Message);
  Repaint();
}

void TvlSkinPanel::CMTextChanged(TMessage&) {
  if (FCaptionMode) Repaint();
}

void TvlSkinPanel::GetSkinData() {
  TvlSkinCustomControl::GetSkinData();
  BGPictureIndex = -1;
  if (FIndex == -1) return;
  auto* d = dynamic_cast<TvlDataSkinPanelControl*>(vlControlElement(FSD, FIndex));
  if (!d) return;
  CaptionRect = d->CaptionRect;
  Alignment = d->Alignment;
  FontName = d->FontName;
  FontColor = d->FontColor;
  FontStyle = d->FontStyle;
  FontHeight = d->FontHeight;
  BGPictureIndex = vlSkinPicture(FSD, d->BGPictureIndex) ? d->BGPictureIndex : -1;
  CheckImageRect = d->CheckImageRect;
  UnCheckImageRect = d->UnCheckImageRect;
  MarkFrameRect = d->MarkFrameRect;
  FrameTextRect = d->FrameTextRect;
  FrameLeftOffset = d->FrameLeftOffset;
  FrameRightOffset = d->FrameRightOffset;
}

TRect TvlSkinPanel::GetSkinClientRect() {
  TRect r{0, 0, Width(), Height()};
  AdjustClientRect(r);
  return r;
}

void TvlSkinPanel::AdjustClientRect(TRect& Rect) {
  TvlSkinCustomControl::AdjustClientRect(Rect);
  GetSkinData();
  if (FIndex == -1 || !SkinLookAvailable()) {
    if (FBorderStyle != TvlSkinBorderStyle::bvNone) Rect = Shrunk(Rect, 1);
    if (FCaptionMode) {
      if (FRibbonStyle)
        Rect.Bottom -= FDefaultCaptionHeight;
      else
        Rect.Top += FDefaultCaptionHeight;
    }
    return;
  }
  if (BGPictureIndex != -1 ||
      (FBorderStyle == TvlSkinBorderStyle::bvNone && !FCaptionMode && ResizeMode == 1))
    return;
  int w = Width(), h = Height();
  CalcSize(w, h);
  Rect = NewClRect;
}

void TvlSkinPanel::PaintskinTo(TCanvas* C, int X, int Y) {
  if (!C || Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (b.Empty()) return;
  if (FIndex == -1 || !SkinLookAvailable())
    CreateControlDefaultImage(&b);
  else
    CreateControlSkinImage(&b);
  C->Draw(X, Y, &b);
}

void TvlSkinPanel::PaintTexture(TBitmap* P, const TRect& Source, const TRect& Over) {
  TBitmap piece, texture;
  if (!CopyPiece(&piece, P, Source) || IsNullRect(Over)) return;
  if (StretchEffect)
    StretchOver(&texture, &piece, Over.Width(), Over.Height(), StretchType);
  else
    TileOver(&texture, &piece, Over.Width(), Over.Height());
  if (!texture.Empty()) Canvas()->Draw(Over.Left, Over.Top, &texture);
}

void TvlSkinPanel::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  int w = Width(), h = Height();
  CalcSize(w, h);
  const bool skinned = FIndex != -1 && SkinLookAvailable();
  if (FTransparentMode && skinned) {
    PaintTransparent();
    return;
  }
  if (!skinned || (!FForceBackground && StretchEffect)) {
    TvlSkinCustomControl::Paint();
    return;
  }
  const TRect whole{0, 0, Width(), Height()};
  if (FBorderStyle == TvlSkinBorderStyle::bvNone && ResizeMode == 1 && !FCaptionMode && FForceBackground) {
    const TRect client{SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                       SkinRect.Top + ClRect.Bottom};
    PaintTexture(Picture, client, whole);
    return;
  }
  if (BGPictureIndex != -1) {
    TBitmap* p = vlSkinPicture(FSD, BGPictureIndex);
    const TRect source{0, 0, p->Width(), p->Height()};
    if (StretchEffect && StretchType == TvlStretchType::vlstFull) {
      Canvas()->Brush()->SetColor(FSD->SkinColors()->FcBtnFace);
      Canvas()->FillRect(whole);
      PaintTexture(p, source, NewClRect);
    } else {
      PaintTexture(p, source, whole);
    }
    return;
  }
  TvlSkinCustomControl::Paint();
}

void TvlSkinPanel::SetupCaptionFont(TCanvas* C) {
  ApplyElementFont(C->Font(), FSD, FontName, FontStyle, FontHeight, FontColor, FDefaultFont.get(), FUseSkinFont);
}

TSize TvlSkinPanel::CaptionImageSize() const {
  if (!FGlyph->Empty()) return TSize{FGlyph->Width() / FNumGlyphs, FGlyph->Height()};
  if (FCaptionImageList && FCaptionImageIndex >= 0 && FCaptionImageIndex < FCaptionImageList->Count())
    return TSize{FCaptionImageList->Width(), FCaptionImageList->Height()};
  return TSize{0, 0};
}

void TvlSkinPanel::DrawCaptionImage(TCanvas* C, int X, int Y) {
  if (!FGlyph->Empty()) {
    DrawGlyphFrame(C, X, Y, FGlyph.get(), FNumGlyphs, !Enabled() && FNumGlyphs == 2 ? 2 : 1);
    return;
  }
  if (CaptionImageSize().cx > 0) FCaptionImageList->Draw(C, X, Y, FCaptionImageIndex, Enabled());
}

void TvlSkinPanel::PaintTransparent() {
  const int W = Width(), H = Height();
  TBitmap b;
  PrepareBitmap(&b, W, H);
  if (b.Empty()) return;
  TCanvas* c = b.Canvas();
  DrawParentBackground(this, c);
  const TColor shadow = FSD->SkinColors()->FcBtnShadow;
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(shadow);
  if (!FCaptionMode) {
    if (FBorderStyle != TvlSkinBorderStyle::bvNone) c->Rectangle(0, 0, W, H);
    DoPanelPaint(c);
    Canvas()->Draw(0, 0, &b);
    return;
  }
  SetupCaptionFont(c);
  const std::string caption = Caption();
  const int TH = CalcTextHeight(c, caption.empty() ? std::string(" ") : caption);
  int x = 5;
  NewCaptionRect = TRect{5, 0, W, TH + 5};
  const int CH = NewCaptionRect.Height();
  if (FCheckedMode) {
    const TRect& check = FChecked ? CheckImageRect : UnCheckImageRect;
    DrawPieceTransparent(c, Picture, check, 5, CH / 2 - check.Height() / 2);
    x = check.Width() + 10;
  }
  const TSize image = CaptionImageSize();
  const int ix = x, iy = CH / 2 - image.cy / 2;
  if (image.cx > 0) x += image.cx + 2;
  const TRect TR{x, 0, W, TH + 5};
  // The caption takes the colour of the skin's plain labels.
  TColor textColor = FSD->SkinColors()->FcBtnText;
  if (auto* label = dynamic_cast<TvlDataSkinStdLabelControl*>(
          vlControlElement(FSD, vlFindControlElement(FSD, "stdlabel"))))
    textColor = label->FontColor;
  c->Font()->SetColor(textColor);
  DrawTextVCenter(c, caption, TR);
  const int TW = caption.empty() ? 0 : CalcTextWidth(c, caption);
  DrawCaptionImage(c, ix, iy);
  c->Pen()->SetColor(shadow);
  int lineStart = TR.Left + TW + 3;
  if (FRollUpMode) {
    DrawArrowGlyph(c, TRect{TR.Left + TW + 3, TR.Top, TR.Left + TW + 10, TR.Bottom}, textColor, FRollUpState ? 4 : 3);
    lineStart = TR.Left + TW + 12;
    c->Pen()->SetColor(shadow);
  }
  c->MoveTo(lineStart, CH / 2);
  c->LineTo(W, CH / 2);
  c->MoveTo(0, CH / 2);
  c->LineTo(4, CH / 2);
  c->MoveTo(W - 1, CH / 2);
  c->LineTo(W - 1, H - 1);
  c->LineTo(0, H - 1);
  c->LineTo(0, CH / 2);
  DoPanelPaint(c);
  Canvas()->Draw(0, 0, &b);
}

void TvlSkinPanel::CreateControlSkinImage(TBitmap* B) {
  if (FBorderStyle == TvlSkinBorderStyle::bvNone && ResizeMode == 1 && !FCaptionMode && !StretchEffect) {
    const TRect client{SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                       SkinRect.Top + ClRect.Bottom};
    TBitmap piece;
    if (CopyPiece(&piece, Picture, client)) TileOver(B, &piece, B->Width(), B->Height());
    return;
  }
  TvlSkinCustomControl::CreateControlSkinImage(B);
  if (!FTransparentMode) {
    if (ResizeMode < 1)
      NewCaptionRect = CaptionRect;
    else
      MapSkinRect(CaptionRect, NewCaptionRect);
  }
  const std::string caption = Caption();
  if (caption.empty() || IsNullRect(CaptionRect) || B->Empty()) return;
  TCanvas* c = B->Canvas();
  TRect R = NewCaptionRect;
  if (FRollUpMode) R.Right -= 12;
  if (FCheckedMode) {
    const TRect& check = FChecked ? CheckImageRect : UnCheckImageRect;
    DrawPieceTransparent(c, Picture, check, R.Left, R.Top + R.Height() / 2 - check.Height() / 2);
    R.Left += check.Width() + 2;
  }
  SetupCaptionFont(c);
  const int TH = CalcTextHeight(c, caption), TW = CalcTextWidth(c, caption);
  const TSize image = CaptionImageSize();
  const int CW = TW + (image.cx > 0 ? image.cx + FSpacing : 0);
  const int TY = R.Top + R.Height() / 2 - TH / 2;
  int TX = R.Left;
  if (Alignment == TAlignment::taRightJustify) TX = R.Right - CW;
  if (Alignment == TAlignment::taCenter) TX = R.Left + R.Width() / 2 - CW / 2;
  int ix = TX;
  const int iy = R.Top + R.Height() / 2 - image.cy / 2;
  if (image.cx > 0) {
    if (FImagePosition == TvlImagePosition::vlipLeft) {
      ix = R.Left + 2;
      TX = R.Left + image.cx + FSpacing + 2;
      if (Alignment == TAlignment::taRightJustify) TX = R.Right - TW;
      if (Alignment == TAlignment::taCenter) TX = R.Left + R.Width() / 2 - TW / 2;
      TX = std::max(TX, ix + image.cx + FSpacing);
    } else {
      TX += image.cx + FSpacing;
    }
  }
  if (FRollUpMode) {
    const TRect A{R.Right, R.Top, R.Right + 10, R.Bottom};
    TBitmap mark;
    if (!IsNullRect(MarkFrameRect) && CopyPiece(&mark, Picture, MarkFrameRect))
      c->StretchDraw(TRect{A.Left, A.Top, A.Left + mark.Width(), CaptionRect.Top + mark.Height()}, &mark);
    DrawArrowGlyph(c, A, FontColor, FRollUpState ? 4 : 3);
  }
  if (!IsNullRect(FrameRect)) {
    const int D = FrameRect.Width() - FrameTextRect.Width();
    TBitmap strip;
    ComposeSkinStrip(FrameLeftOffset, FrameRightOffset, &strip, Picture, FrameRect, D + TW, FrameRect.Height(), false);
    int sx = TX;
    switch (Alignment) {
      case TAlignment::taLeftJustify: TX += FrameTextRect.Left; break;
      case TAlignment::taRightJustify:
        sx = TX - D;
        TX = TX - D + FrameTextRect.Left;
        ix -= D;
        break;
      case TAlignment::taCenter:
        sx = TX - FrameTextRect.Left - 2;
        ix -= FrameTextRect.Left;
        TX -= 2;
        break;
    }
    if (!strip.Empty()) c->Draw(sx, NewCaptionRect.Top, &strip);
  }
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->SetColor(FontColor);
  c->TextRect(R, TX, TY, caption);
  if (image.cx > 0) DrawCaptionImage(c, ix, iy);
}

void TvlSkinPanel::CreateControlDefaultImage(TBitmap* B) {
  TvlSkinCustomControl::CreateControlDefaultImage(B);
  const int W = B->Width(), H = B->Height();
  TCanvas* c = B->Canvas();
  const TRect R{0, 0, W, H};
  switch (FBorderStyle) {
    case TvlSkinBorderStyle::bvFrame: Frame3D(c, R, clBtnShadow, clBtnShadow); break;
    case TvlSkinBorderStyle::bvRaised: Frame3D(c, R, clBtnHighlight, clBtnShadow); break;
    case TvlSkinBorderStyle::bvLowered: Frame3D(c, R, clBtnShadow, clBtnHighlight); break;
    case TvlSkinBorderStyle::bvNone: break;
  }
  if (!FCaptionMode) return;
  const int DCH = FDefaultCaptionHeight;
  TRect CB;
  if (FBorderStyle != TvlSkinBorderStyle::bvFrame) {
    CB = FRibbonStyle ? TRect{1, H - DCH - 1, W - 1, H - 1} : TRect{1, 1, W - 1, DCH};
    Frame3D(c, CB, clBtnShadow, clBtnHighlight);
    Frame3D(c, Shrunk(CB, 1), clBtnHighlight, clBtnShadow);
  } else {
    CB = FRibbonStyle ? TRect{0, H - DCH, W, H} : TRect{0, 0, W, DCH};
    Frame3D(c, CB, clBtnShadow, clBtnShadow);
    Frame3D(c, Shrunk(CB, 1), clBtnHighlight, clBtnFace);
  }
  CB = Shrunk(CB, 2);
  if (FCheckedMode) CB.Left += 20;
  if (FRollUpMode) CB.Right -= 10;
  c->Font()->Assign(FDefaultFont.get());
  ApplySkinCharset(c->Font(), FSD, FDefaultFont.get());
  const std::string caption = Caption();
  const int TH = caption.empty() ? 0 : CalcTextHeight(c, caption), TW = caption.empty() ? 0 : CalcTextWidth(c, caption);
  const TSize image = CaptionImageSize();
  const int CW = TW + (image.cx > 0 ? image.cx + FSpacing : 0);
  const int TY = CB.Top + CB.Height() / 2 - TH / 2;
  int TX = CB.Left + 2;
  if (FDefaultAlignment == TAlignment::taRightJustify) TX = CB.Right - CW;
  if (FDefaultAlignment == TAlignment::taCenter) TX = CB.Left + 2 + CB.Width() / 2 - CW / 2;
  if (FCheckedMode) {
    const int bx = 5, by = CB.Top + CB.Height() / 2 - 7;
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(clWindow);
    c->FillRect(TRect{bx, by, bx + 14, by + 14});
    Frame3D(c, TRect{bx, by, bx + 14, by + 14}, clBtnShadow, clBtnShadow);
    if (FChecked) DrawCheckGlyph(c, bx + 3, by + 2, clBtnText);
  }
  const int ix = TX, iy = CB.Top + CB.Height() / 2 - image.cy / 2;
  if (image.cx > 0) TX += image.cx + FSpacing;
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->SetColor(FDefaultFont->Color());
  if (!caption.empty()) c->TextRect(CB, TX, TY, caption);
  if (image.cx > 0) DrawCaptionImage(c, ix, iy);
  if (FRollUpMode) DrawArrowGlyph(c, TRect{CB.Right, CB.Top, CB.Right + 10, CB.Bottom}, clBtnText, FRollUpState ? 4 : 3);
}

void TvlSkinPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == TMouseButton::mbLeft && FCaptionMode && (FRollUpMode || FCheckedMode)) {
    GetSkinData();
    const TPoint p{X, Y};
    const bool hit = FIndex != -1 && SkinLookAvailable()
                         ? IsPointInRect(NewCaptionRect, p)
                         : IsPointInRect(TRect{1, 1, Width() - 1, FDefaultCaptionHeight}, p);
    if (hit) {
      TWeak<TControl> alive(this);
      if (FCheckedMode) SetChecked(!FChecked);
      if (!alive) return;
      if (FRollUpMode) SetRollUpState(!FRollUpState);
      if (!alive) return;
    }
  }
  TvlSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

// ---- TvlSkinPaintPanel -------------------------------------------------------------------------

TvlSkinPaintPanel::TvlSkinPaintPanel(TComponent* AOwner) : TvlSkinPanel(AOwner) { FForceBackground = false; }

void TvlSkinPaintPanel::DoPanelPaint(TCanvas* Canvas) {
  if (OnPanelPaint) OnPanelPaint(Canvas, GetSkinClientRect());
}

void TvlSkinPaintPanel::CreateControlDefaultImage(TBitmap* B) {
  TvlSkinPanel::CreateControlDefaultImage(B);
  if (OnPanelPaint) OnPanelPaint(B->Canvas(), GetSkinClientRect());
}

void TvlSkinPaintPanel::CreateControlSkinImage(TBitmap* B) {
  TvlSkinPanel::CreateControlSkinImage(B);
  if (OnPanelPaint) OnPanelPaint(B->Canvas(), GetSkinClientRect());
}

void TvlSkinPaintPanel::WMEraseBkgnd(TMessage& Message) {
  Message.Result = 1;
  if (FromWMPaint || !Message.WParam) return;
  TCanvas c;
  c.SetHandle(reinterpret_cast<HDC>(Message.WParam));
  PaintskinTo(&c, 0, 0);
  c.SetHandle(nullptr);
}

// ---- TvlSkinGroupBox ---------------------------------------------------------------------------

TvlSkinGroupBox::TvlSkinGroupBox(TComponent* AOwner) : TvlSkinPanel(AOwner) {
  FSkinDataName = "groupbox";
  SetCaptionMode(true);
}

void TvlSkinGroupBox::GetSkinData() {
  TvlSkinPanel::GetSkinData();
  // A caption below the client part cannot sit in the top border strip.
  if (FIndex != -1 && ClRect.Bottom < CaptionRect.Top) FForceBackground = false;
}
