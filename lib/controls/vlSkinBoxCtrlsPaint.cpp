// The skinned list box's painting: the inner list's items in the built-in, skin-strip and
// stretched looks with images and tab stops, its background, and the owner's caption band with
// its three buttons.

#include <algorithm>
#include <cctype>
#include <vector>

#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"

using namespace vlskinctrls_detail;

namespace {

// Arrow directions of DrawArrowGlyph.
constexpr int kArrowUp = 3, kArrowDown = 4;

// The skin's client picture tiled over (x, y, w, h) of C.
void DrawTiledBackground(TCanvas* C, TvlSkinCustomListBox* Owner, int X, int Y, int W, int H) {
  const TRect tile{Owner->SkinRect.Left + Owner->ClRect.Left, Owner->SkinRect.Top + Owner->ClRect.Top,
                   Owner->SkinRect.Left + Owner->ClRect.Right, Owner->SkinRect.Top + Owner->ClRect.Bottom};
  TBitmap piece, tiled;
  if (!CopyPiece(&piece, Owner->Picture, tile)) {
    // An element without a client picture: the plain window colour.
    C->Brush()->SetStyle(TBrushStyle::bsSolid);
    C->Brush()->SetColor(clWindow);
    C->FillRect(TRect{X, Y, X + W, Y + H});
    return;
  }
  TileOver(&tiled, &piece, W, H);
  if (!tiled.Empty()) C->Draw(X, Y, &tiled);
}

}  // namespace

// ---- Item painting -----------------------------------------------------------------------------

TOwnerDrawState TvlListBox::GetItemState(int Index) const {
  if (Index == ItemIndex())
    return Focused() ? TOwnerDrawState{TOwnerDrawStateFlag::odSelected, TOwnerDrawStateFlag::odFocused}
                     : TOwnerDrawState{TOwnerDrawStateFlag::odSelected};
  if (SelCount() >= 1 && Selected(Index)) return TOwnerDrawState{TOwnerDrawStateFlag::odSelected};
  return TOwnerDrawState{};
}

void TvlListBox::WMPaint(TMessage& Message) {
  PaintNative(Message, [this](HDC dc) { PaintWindow(dc); });
}

void TvlListBox::WMEraseBkgnd(TMessage& Message) {
  if (Width() > 0 && Height() > 0 && Message.WParam) PaintBackground(reinterpret_cast<HDC>(Message.WParam));
  Message.Result = 1;
}

void TvlListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  PaintItem(Canvas()->Handle(), Index, Rect, State);
}

void TvlListBox::PaintBackground(HDC DC) {
  TvlSkinCustomListBox* owner = SkinListBox;
  TCanvas c;
  c.SetHandle(DC);
  if (owner) owner->GetSkinData();
  if (!owner || owner->SkinIndex() == -1) {
    c.Brush()->SetStyle(TBrushStyle::bsSolid);
    c.Brush()->SetColor(clWindow);
    c.FillRect(TRect{0, 0, Width(), Height()});
  } else {
    DrawTiledBackground(&c, owner, 0, 0, Width(), Height());
  }
  c.SetHandle(nullptr);
}

void TvlListBox::PaintWindow(HDC DC) {
  if (Width() <= 0 || Height() <= 0) return;
  const int saved = SaveDC(DC);
  const int count = Items()->Count();
  const int rows = Height() / std::max(1, ItemHeight());
  if (Columns() <= 0) {
    const int last = std::min(TopIndex() + rows, count - 1);
    int bottom = 0;
    for (int i = TopIndex(); i <= last; ++i) {
      const TRect r = ItemRect(i);
      PaintItem(DC, i, r, GetItemState(i));
      bottom = r.Bottom;
    }
    if (bottom < Height()) {
      TCanvas c;
      c.SetHandle(DC);
      if (SkinListBox) SkinListBox->GetSkinData();
      if (!SkinListBox || SkinListBox->SkinIndex() == -1) {
        c.Brush()->SetStyle(TBrushStyle::bsSolid);
        c.Brush()->SetColor(clWindow);
        c.FillRect(TRect{0, bottom, Width(), Height()});
      } else {
        DrawTiledBackground(&c, SkinListBox, 0, bottom, Width(), Height() - bottom);
      }
      c.SetHandle(nullptr);
    }
  } else {
    const int last = std::min(TopIndex() + rows * Columns(), count - 1);
    for (int i = TopIndex(); i <= last; ++i) PaintItem(DC, i, ItemRect(i), GetItemState(i));
  }
  RestoreDC(DC, saved);
}

namespace {

// What the three looks share: the owner's images and the text, in TR of the item bitmap.
void DrawImagesAndText(TCanvas* C, TvlSkinCustomListBox* Owner, TvlListBox* List, int Index, const TRect& TR) {
  const std::string& text = List->Items()->Strings(Index);
  int offset = 0;
  if (TCustomImageList* images = Owner->Images()) {
    const int number = Owner->ImageIndex() >= 0 ? Owner->ImageIndex() : Index;
    if (number < images->Count())
      images->Draw(C, TR.Left - List->HorizontalExtentValue(), TR.Top + TR.Height() / 2 - images->Height() / 2,
                   number, true);
    offset = images->Width() + 2;
  }
  TStrings* tabs = Owner->TabWidths();
  if (tabs->Count() > 0 && Owner->Columns() == 0) {
    // Tabbed text does not follow horizontal scrolling.
    DrawTabbedTextIn(C, text, TRect{TR.Left + offset, TR.Top, TR.Right, TR.Bottom}, tabs);
    return;
  }
  if (Owner->HorizontalExtent()) {
    DrawTextAtLeftOffset(C, text, TR, offset - List->HorizontalExtentValue());
    return;
  }
  // Without a horizontal bar nothing shows the rest of a long row: it ends in an ellipsis at the
  // right edge instead of being cut (the text starts 2 px in and keeps 2 px clear on the right).
  std::string shown = text;
  const int room = std::max(0, TR.Width() - offset - 4);
  if (C->TextWidth(shown) > room) FitTextWithEllipsis(C, shown, room);
  DrawTextAtLeftOffset(C, shown, TR, offset);
}

// The font of the skinned looks: the element's or DefaultFont, the charset by the rule.
void SkinItemFont(TFont* F, TvlSkinCustomListBox* Owner, TColor Colour) {
  ApplyElementFont(F, Owner->SkinData(), Owner->FontName, Owner->FontStyle, Owner->FontHeight, Colour,
                   Owner->DefaultFont(), Owner->UseSkinFont());
}

}  // namespace

void TvlListBox::PaintItem(HDC DC, int Index, const TRect& Rect, TOwnerDrawState State) {
  TvlSkinCustomListBox* owner = SkinListBox;
  if (!owner || Index < 0 || Index >= Items()->Count() || IsNullRect(Rect)) return;
  const bool selected = State.Contains(TOwnerDrawStateFlag::odSelected);
  const bool focused = State.Contains(TOwnerDrawStateFlag::odFocused);
  const int w = Rect.Width(), h = Rect.Height();
  TBitmap b;
  TRect tr;
  if (owner->SkinIndex() == -1) {
    // Built-in look.
    PrepareBitmap(&b, w, h);
    if (b.Empty()) return;
    TCanvas* c = b.Canvas();
    c->Font()->Assign(owner->Font());
    ApplySkinCharset(c->Font(), owner->SkinData(), owner->DefaultFont());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(selected ? clHighlight : clWindow);
    c->Font()->SetColor(selected ? clHighlightText : owner->Font()->Color());
    c->FillRect(TRect{0, 0, w, h});
    tr = TRect{2, 0, w - 2, h};
    if (owner->OnDrawItem) {
      owner->OnDrawItem(c, Index, w, h, tr, State);
    } else {
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      DrawImagesAndText(c, owner, this, Index, tr);
    }
    if (focused) c->DrawFocusRect(TRect{0, 0, w, h});
  } else if (!owner->Picture) {
    return;
  } else if (owner->UseSkinItemHeight) {
    // A strip of the skin's own item height.
    TRect source = owner->SItemRect;
    bool stretch = owner->StretchEffect;
    if (focused && selected)
      source = owner->FocusItemRect;
    else if (selected)
      source = owner->ActiveItemRect;
    else if (!focused)
      stretch = false;
    ComposeSkinStrip(owner->ItemLeftOffset, owner->ItemRightOffset, &b, owner->Picture, source, w,
                     owner->SItemRect.Height(), stretch);
    if (b.Empty()) return;
    TCanvas* c = b.Canvas();
    if (focused && !selected) DrawDottedFocusRect(c, TRect{0, 0, b.Width(), b.Height()});
    tr = owner->ItemTextRect;
    tr.Right += w - owner->SItemRect.Width();
    const TColor colour =
        focused && !selected ? owner->FontColor
                             : (focused ? owner->FocusFontColor : (selected ? owner->ActiveFontColor : owner->FontColor));
    SkinItemFont(c->Font(), owner, colour);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    if (owner->OnDrawItem) {
      owner->OnDrawItem(c, Index, w, b.Height(), tr, State);
    } else {
      if (focused && owner->ShowFocus) DrawDottedFocusRect(c, TRect{0, 0, b.Width(), b.Height()});
      DrawImagesAndText(c, owner, this, Index, tr);
    }
  } else {
    // The item picture stretched to the list's item height.
    PrepareBitmap(&b, w, h);
    if (b.Empty()) return;
    const TRect source = focused ? owner->FocusItemRect : (selected ? owner->ActiveItemRect : owner->SItemRect);
    const TRect client{owner->ItemTextRect.Left + 1, owner->ItemTextRect.Top + 1, owner->ItemTextRect.Right - 1,
                       owner->ItemTextRect.Bottom - 1};
    ComposeStretchedSkinImage(&b, owner->Picture, source, client, true);
    TCanvas* c = b.Canvas();
    tr = owner->ItemTextRect;
    tr.Right += w - owner->SItemRect.Width();
    tr.Bottom += h - owner->SItemRect.Height();
    SkinItemFont(c->Font(), owner,
                 focused ? owner->FocusFontColor : (selected ? owner->ActiveFontColor : owner->FontColor));
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    if (owner->OnDrawItem) {
      owner->OnDrawItem(c, Index, w, owner->SItemRect.Height(), tr, State);
    } else {
      if (focused && owner->ShowFocus) DrawDottedFocusRect(c, TRect{0, 0, w, h});
      DrawImagesAndText(c, owner, this, Index, tr);
    }
  }
  BitBlt(DC, Rect.Left, Rect.Top, b.Width(), b.Height(), b.Canvas()->Handle(), 0, 0, SRCCOPY);
}

// ---- Caption band ------------------------------------------------------------------------------

int TvlSkinCustomListBox::CaptionWidth(TCanvas* C) const {
  int w = C->TextWidth(Caption());
  if (!FGlyph->Empty()) w += FGlyph->Width() / std::max(1, FNumGlyphs) + FSpacing;
  return w;
}

void TvlSkinCustomListBox::DrawCaption(TCanvas* C, const TRect& R, int X, int Y) {
  const int frames = std::max(1, FNumGlyphs);
  int glyphX = X;
  if (!FGlyph->Empty()) X += FGlyph->Width() / frames + FSpacing;
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  C->TextRect(R, X, Y, Caption());
  if (!FGlyph->Empty())
    DrawGlyphFrame(C, glyphX, R.Top + R.Height() / 2 - FGlyph->Height() / 2 - (FIndex == -1 ? 1 : 0), FGlyph.get(),
                   frames, !Enabled() && frames == 2 ? 2 : 1);
}

void TvlSkinCustomListBox::CreateControlDefaultImage(TBitmap* B) {
  TvlSkinCustomControl::CreateControlDefaultImage(B);
  TCanvas* c = B->Canvas();
  const int w = B->Width();
  const int a = std::min(FDefaultCaptionHeight - 3, 17);
  if (FCaptionMode && FShowCaptionButtons) {
    Buttons[kUpButton].R = TRect{w - a - 2, 2, w - 2, a + 1};
    Buttons[kDownButton].R = TRect{Buttons[kUpButton].R.Left - a, 2, Buttons[kUpButton].R.Left, a + 1};
    Buttons[kCheckButton].R = TRect{Buttons[kDownButton].R.Left - a, 2, Buttons[kDownButton].R.Left, a + 1};
  }
  c->Brush()->SetColor(clBtnShadow);
  c->FrameRect(TRect{0, 0, w, B->Height()});
  if (!FCaptionMode) return;
  const TRect tr = FShowCaptionButtons ? TRect{3, 2, w - 3 * a - 3, FDefaultCaptionHeight - 2}
                                       : TRect{3, 2, w - 2, FDefaultCaptionHeight - 2};
  c->Font()->Assign(FDefaultCaptionFont.get());
  ApplySkinCharset(c->Font(), FSD, FDefaultCaptionFont.get());
  const int wc = CaptionWidth(c);
  int x = tr.Left;
  if (FAlignment == TAlignment::taRightJustify) x = tr.Right - wc;
  if (FAlignment == TAlignment::taCenter) x = tr.Left + tr.Width() / 2 - wc / 2;
  const int y = (FDefaultCaptionHeight - 2) / 2 - c->TextHeight("Wg") / 2;
  DrawCaption(c, tr, x, y);
  c->Pen()->SetColor(clBtnShadow);
  c->MoveTo(1, FDefaultCaptionHeight - 1);
  c->LineTo(w - 1, FDefaultCaptionHeight - 1);
  if (FShowCaptionButtons)
    for (int i = 0; i < 3; ++i) DrawButton(c, i);
}

void TvlSkinCustomListBox::MoveButtonRect(TRect& R, int dx, int dy) const {
  int x = RTPt.X;
  if (R.Top > LTPt.Y) {
    R = TRect{R.Left, R.Top + dy, R.Right, R.Bottom + dy};
    x = RBPt.X;
  }
  if (R.Left > x) R = TRect{R.Left + dx, R.Top, R.Right + dx, R.Bottom};
}

void TvlSkinCustomListBox::CreateControlSkinImage(TBitmap* B) {
  TvlSkinCustomControl::CreateControlSkinImage(B);
  if (B->Empty()) return;
  TCanvas* c = B->Canvas();
  const int dx = Width() - SkinRect.Width(), dy = Height() - SkinRect.Height();
  if (!FShowCaptionButtons && !IsNullRect(UpButtonRect)) {
    const TRect area{ButtonsArea.Left + dx, ButtonsArea.Top, ButtonsArea.Right + dx, ButtonsArea.Bottom};
    if (RectInsidePicture(DisabledButtonsRect, Picture)) {
      c->CopyRect(area, Picture->Canvas(), DisabledButtonsRect);
    } else {
      // The caption band stretched over the buttons.
      const TRect band{NewLTPoint.X, 0, NewRTPoint.X, NewClRect.Top - 1};
      if (!IsNullRect(band)) {
        TBitmap copy;
        PrepareBitmap(&copy, band.Width(), band.Height());
        if (!copy.Empty()) {
          copy.Canvas()->CopyRect(TRect{0, 0, band.Width(), band.Height()}, c, band);
          c->StretchDraw(TRect{NewLTPoint.X, 0, UpButtonRect.Right + dx, NewClRect.Top - 1}, &copy);
        }
      }
    }
  }
  if (!FCaptionMode) return;
  NewCaptionRect = CaptionRect;
  if (FShowCaptionButtons) {
    if (CaptionRect.Right >= RTPt.X) NewCaptionRect.Right += dx;
    const TRect* places[] = {&UpButtonRect, &DownButtonRect, &CheckButtonRect};
    for (int i = 0; i < 3; ++i) {
      TRect r = *places[i];
      MoveButtonRect(r, dx, dy);
      Buttons[static_cast<std::size_t>(i)].R = r;
    }
  } else {
    NewCaptionRect.Right = Width() - CaptionRect.Left;
    for (auto& b : Buttons) b.R = TRect{};
  }
  if (!IsNullRect(CaptionRect)) {
    c->Font()->SetName(CaptionFontName);
    c->Font()->SetHeight(CaptionFontHeight);
    c->Font()->SetColor(CaptionFontColor);
    c->Font()->SetStyle(CaptionFontStyle);
    ApplySkinCharset(c->Font(), FSD, FDefaultCaptionFont.get());
    const int wc = CaptionWidth(c);
    const TRect& r = NewCaptionRect;
    int x = r.Left + 2;
    if (FAlignment == TAlignment::taRightJustify) x = r.Right - wc - 2;
    if (FAlignment == TAlignment::taCenter) x = r.Left + 2 + r.Width() / 2 - wc / 2;
    DrawCaption(c, r, x, r.Top + r.Height() / 2 - c->TextHeight("Wg") / 2);
  }
  if (FShowCaptionButtons)
    for (int i = 0; i < 3; ++i) DrawButton(c, i);
}

void TvlSkinCustomListBox::DrawButton(TCanvas* C, int Index) {
  const TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  if (FIndex == -1 || !Picture) {
    if (IsNullRect(b.R)) return;
    if (b.Down && b.MouseIn)
      DrawBuiltinFace(C, b.R, clNavy, kBuiltinDownFill);
    else if (b.MouseIn)
      DrawBuiltinFace(C, b.R, clNavy, kBuiltinHoverFill);
    else {
      C->Brush()->SetStyle(TBrushStyle::bsSolid);
      C->Brush()->SetColor(clBtnFace);
      C->FillRect(b.R);
    }
    if (Index == kCheckButton)
      DrawCheckGlyph(C, b.R.Left + 4, b.R.Top + 4, clBlack);
    else
      DrawArrowGlyph(C, b.R, clBlack, Index == kUpButton ? kArrowUp : kArrowDown);
    return;
  }
  if (IsNullRect(b.R)) return;
  const TRect* own[] = {&UpButtonRect, &DownButtonRect, &CheckButtonRect};
  const TRect* active[] = {&ActiveUpButtonRect, &ActiveDownButtonRect, &ActiveCheckButtonRect};
  const TRect* down[] = {&DownUpButtonRect, &DownDownButtonRect, &DownCheckButtonRect};
  TRect source{};
  if (b.Down && b.MouseIn)
    source = *down[Index];
  else if (b.MouseIn)
    source = *active[Index];
  if (IsNullRect(source)) {
    const TRect& r = *own[Index];
    source = TRect{r.Left + SkinRect.Left, r.Top + SkinRect.Top, r.Right + SkinRect.Left, r.Bottom + SkinRect.Top};
  }
  if (RectInsidePicture(source, Picture)) C->CopyRect(b.R, Picture->Canvas(), source);
}

void TvlSkinCustomListBox::RepaintButton(int Index) {
  if (!HandleAllocated()) return;
  TRect r = Buttons[static_cast<std::size_t>(Index)].R;
  InvalidateRect(Handle(), &r, FALSE);
  Update();
}

// ---- Caption buttons: mouse and repetition -----------------------------------------------------

void TvlSkinCustomListBox::TestActiveButton(int X, int Y) {
  if (!FShowCaptionButtons || (FIndex != -1 && IsNullRect(UpButtonRect) && IsNullRect(DownButtonRect))) return;
  OldActiveButton = ActiveButton;
  ActiveButton = -1;
  for (int i = 0; i < 3 && ActiveButton == -1; ++i)
    if (Buttons[static_cast<std::size_t>(i)].R.Contains(TPoint{X, Y})) ActiveButton = i;
  if (CaptureButton != -1 && ActiveButton != -1 && ActiveButton != CaptureButton) ActiveButton = -1;
  if (ActiveButton == OldActiveButton) return;
  if (OldActiveButton != -1) ButtonLeave(OldActiveButton);
  if (ActiveButton != -1) ButtonEnter(ActiveButton);
}

void TvlSkinCustomListBox::StartTimer(UINT Interval) {
  if (HandleAllocated()) SetTimer(Handle(), 1, Interval, nullptr);
}

void TvlSkinCustomListBox::StopTimer() {
  if (HandleAllocated()) KillTimer(Handle(), 1);
  TimerMode = 0;
}

void TvlSkinCustomListBox::ButtonDown(int Index) {
  TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  b.MouseIn = b.Down = true;
  RepaintButton(Index);
  const TNotifyEvent& event = Index == kUpButton ? OnUpButtonClick : Index == kDownButton ? OnDownButtonClick
                                                                                          : OnCheckButtonClick;
  if (event) return;  // a button with an event does not repeat
  TimerMode = Index == kUpButton ? 1 : Index == kDownButton ? 2 : 0;
  if (TimerMode != 0) {
    WaitMode = true;
    StartTimer(500);
  }
}

void TvlSkinCustomListBox::ButtonUp(int Index) {
  TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  b.Down = false;
  if (Index != ActiveButton) b.MouseIn = false;
  RepaintButton(Index);
  const TNotifyEvent& event = Index == kUpButton ? OnUpButtonClick : Index == kDownButton ? OnDownButtonClick
                                                                                          : OnCheckButtonClick;
  TWeak<TControl> self(this);
  if (b.MouseIn && event) {
    event(this);
    return;
  }
  // The default step, also after a release off the button.
  if (Index == kUpButton) {
    if (ItemIndex() > 0) SetItemIndex(ItemIndex() - 1);
  } else if (Index == kDownButton) {
    SetItemIndex(ItemIndex() + 1);
  } else {
    ListBox->Click();
  }
  if (self && TimerMode != 0) StopTimer();
}

void TvlSkinCustomListBox::ButtonEnter(int Index) {
  TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  b.MouseIn = true;
  RepaintButton(Index);
  if (TimerMode != 0 && b.Down) StartTimer(50);
}

void TvlSkinCustomListBox::ButtonLeave(int Index) {
  TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  b.MouseIn = false;
  RepaintButton(Index);
  if (TimerMode != 0 && b.Down && HandleAllocated()) KillTimer(Handle(), 1);
}

void TvlSkinCustomListBox::TimerTick() {
  if (WaitMode) {
    WaitMode = false;
    if (HandleAllocated()) KillTimer(Handle(), 1);
    StartTimer(100);
    return;
  }
  if (TimerMode == 1 && ItemIndex() > 0) SetItemIndex(ItemIndex() - 1);
  if (TimerMode == 2) SetItemIndex(ItemIndex() + 1);
}

void TvlSkinCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FCaptionMode && FShowCaptionButtons) {
    TestActiveButton(X, Y);
    if (ActiveButton != -1) {
      CaptureButton = ActiveButton;
      ButtonDown(ActiveButton);
    }
  }
  TvlSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TvlSkinCustomListBox::MouseMove(TShiftState Shift, int X, int Y) {
  TvlSkinCustomControl::MouseMove(Shift, X, Y);
  if (FCaptionMode && FShowCaptionButtons) TestActiveButton(X, Y);
}

void TvlSkinCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  if (FCaptionMode && FShowCaptionButtons && CaptureButton != -1) {
    const int captured = CaptureButton;
    CaptureButton = -1;
    ButtonUp(captured);
  }
  if (self) TvlSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TvlSkinCustomListBox::CMMouseEnter(TMessage& Message) {
  TvlSkinCustomControl::CMMouseEnter(Message);
  if (FCaptionMode && FShowCaptionButtons) TestActiveButton(-1, -1);
}

void TvlSkinCustomListBox::CMMouseLeave(TMessage& Message) {
  TvlSkinCustomControl::CMMouseLeave(Message);
  if (!FCaptionMode || !FShowCaptionButtons) return;
  // As a move off the button would: a held button pauses its repetition.
  for (int i = 0; i < 3; ++i)
    if (Buttons[static_cast<std::size_t>(i)].MouseIn) ButtonLeave(i);
  ActiveButton = -1;
}
