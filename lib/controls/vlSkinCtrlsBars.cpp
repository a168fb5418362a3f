// The skinned tool bar and status bar (TvlSkinToolBar, TvlSkinStatusBar).

#include "lib/controls/vlSkinCtrlsBars.h"

#include <algorithm>

#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/controls/vlSkinSizeGrip.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/NonClient.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr int kArrowWidth = 12;
// Arrow directions of DrawArrowGlyph.
constexpr int kLeft = 1, kRight = 2;

bool IsSkinned(TControl* c) {
  return dynamic_cast<TvlSkinControl*>(c) != nullptr || dynamic_cast<TvlGraphicSkinControl*>(c) != nullptr;
}

}  // namespace

// ---- TvlSkinToolBar ----------------------------------------------------------------------------

TvlSkinToolBar::TvlSkinToolBar(TComponent* AOwner) : TvlSkinPanel(AOwner) {
  FForceBackground = false;
  FSkinDataName = "toolpanel";
  FDefaultHeight = 0;
  SetHeight(25);
  SetBorderStyle(TvlSkinBorderStyle::bvNone);
}

TvlSkinToolBar::~TvlSkinToolBar() {
  StopTimer();
  ReplaceReference(FImages, static_cast<TCustomImageList*>(nullptr));
  ReplaceReference(FHotImages, static_cast<TCustomImageList*>(nullptr));
  ReplaceReference(FDisabledImages, static_cast<TCustomImageList*>(nullptr));
}

void TvlSkinToolBar::SetScrollOffset(int Value) {
  if (Value >= 0) FScrollOffset = Value;
}

void TvlSkinToolBar::SetScrollTimerInterval(int Value) {
  if (Value > 0) FScrollTimerInterval = Value;
}

void TvlSkinToolBar::SetFlat(bool Value) {
  FFlat = Value;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TvlSkinSpeedButton*>(Controls(i))) b->SetFlat(Value);
}

void TvlSkinToolBar::SetShowCaptions(bool Value) {
  if (Value == FShowCaptions) return;
  FShowCaptions = Value;
  if (AutoShowHideCaptions)
    for (int i = 0; i < ControlCount(); ++i)
      if (auto* b = dynamic_cast<TvlSkinSpeedButton*>(Controls(i))) b->SetShowCaption(Value);
  if (WidthWithCaptions != 0 && WidthWithoutCaptions != 0) SetWidth(Value ? WidthWithCaptions : WidthWithoutCaptions);
}

void TvlSkinToolBar::SetImages(TCustomImageList* Value) {
  ReplaceReference(FImages, Value);
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TvlSkinSpeedButton*>(Controls(i))) b->Repaint();
}

void TvlSkinToolBar::SetHotImages(TCustomImageList* Value) { ReplaceReference(FHotImages, Value); }
void TvlSkinToolBar::SetDisabledImages(TCustomImageList* Value) { ReplaceReference(FDisabledImages, Value); }

void TvlSkinToolBar::SetSkinData(TvlSkinData* Value) {
  TvlSkinPanel::SetSkinData(Value);
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* b = dynamic_cast<TvlSkinSpeedButton*>(Controls(i))) b->SetSkinData(Value);
    if (auto* b = dynamic_cast<TvlSkinBevel*>(Controls(i))) b->SetSkinData(Value);
  }
}

void TvlSkinToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinPanel::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FHotImages) SetHotImages(nullptr);
  if (AComponent == FDisabledImages) SetDisabledImages(nullptr);
}

void TvlSkinToolBar::GetSkinData() {
  TvlSkinPanel::GetSkinData();
  ButtonData = nullptr;
  if (FIndex == -1) return;
  ButtonData = dynamic_cast<TvlDataSkinButtonControl*>(
      vlControlElement(FSD, vlFindControlElement(FSD, "resizebutton")));
}

// ---- Layout and scrolling ----------------------------------------------------------------------

void TvlSkinToolBar::CentreChildren() {
  const TRect r = GetSkinClientRect();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (IsSkinned(c) || c->Align() != TAlign::alNone) continue;
    c->SetTop(r.Top + r.Height() / 2 - c->Height() / 2);
  }
}

void TvlSkinToolBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int oldWidth = Width();
  TvlSkinPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (AdjustControls) {
    // Skinned children centre themselves when their bounds are set again.
    std::vector<TWeak<TControl>> children;
    for (int i = 0; i < ControlCount(); ++i) children.emplace_back(Controls(i));
    for (auto& child : children)
      if (TControl* c = child.Get()) c->SetBounds(c->Left(), c->Top(), c->Width(), c->Height());
  }
  if (!CanScroll) return;
  FHSizeOffset = Width() > oldWidth && oldWidth != 0 ? Width() - oldWidth : 0;
  // Also for a bar without Align: the move itself saw the old width and no growth yet.
  UpdateScrollInfo();
  CentreChildren();
}

void TvlSkinToolBar::ScrollContent(int Delta) {
  ScrollBy(-Delta, 0);
  Repaint();
}

void TvlSkinToolBar::ShowArrows(bool Visible) {
  if (FArrows[0].Visible == Visible) return;
  FArrows[0].Visible = FArrows[1].Visible = Visible;
  if (!Visible) UnmarkArrows();
  // The non-client area is measured again: by the move under way, or by a frame change.
  if (FChangingPos)
    FChangingPos->flags |= SWP_FRAMECHANGED;
  else if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TvlSkinToolBar::UpdateScrollInfo() {
  if (!CanScroll || Width() == 0) return;
  int right = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Visible()) right = std::max(right, c->Left() + c->Width());
  }
  if (right == 0) {
    ShowArrows(false);
    return;
  }
  const int client = ClientWidth();
  const int total = SPosition + right;
  if (total > client) {
    if (!FArrows[1].Visible) ShowArrows(true);
    const int position = SPosition;
    const int cw = ClientWidth();  // the arrows took their room
    if (position > 0 && cw > right && FHSizeOffset > 0) {
      // The bar grew: the content comes back by the growth (at most the position).
      FHSizeOffset = std::min(FHSizeOffset, position);
      SMax = total - 1;
      SPosition = position - FHSizeOffset;
      SPage = cw;
      ScrollContent(-FHSizeOffset);
      SOldPosition = SPosition;
      return;
    }
    if (FHSizeOffset == 0 && total - 1 < SMax && position > 0 && cw > right) {
      // The content shrank.
      SMax = total - 1;
      SPosition = position - (cw - right);
      SPage = cw;
      ScrollContent(right - cw);
    } else {
      SMax = total - 1;
      SPage = cw;
    }
    FHSizeOffset = 0;
    SOldPosition = SPosition;
    return;
  }
  if (SPosition > 0) ScrollContent(-SPosition);
  FHSizeOffset = SMax = SPosition = SPage = 0;
  SOldPosition = 0;
  ShowArrows(false);
}

void TvlSkinToolBar::ScrollStep(bool Right) {
  const int step = FScrollOffset != 0 ? FScrollOffset : ClientWidth();
  if (Right)
    SPosition = std::min(SPosition + step, SMax - SPage + 1);
  else
    SPosition = std::max(SPosition - step, 0);
  if (SPosition == SOldPosition) {
    StopTimer();
    return;
  }
  ScrollContent(SPosition - SOldPosition);
  SOldPosition = SPosition;
}

void TvlSkinToolBar::StartTimer(int Mode) {
  TimerMode = Mode;
  if (!HandleAllocated()) return;
  KillTimer(Handle(), kScrollTimer);
  SetTimer(Handle(), kScrollTimer, static_cast<UINT>(FScrollTimerInterval), nullptr);
}

void TvlSkinToolBar::StopTimer() {
  if (HandleAllocated()) KillTimer(Handle(), kScrollTimer);
  TimerMode = 0;
}

void TvlSkinToolBar::TimerTick() {
  if (!CanScroll || TimerMode == 0) return;
  const int mode = TimerMode;
  const Arrow& arrow = FArrows[mode - 1];
  if (HotScroll && !arrow.Down) {
    // A hovered arrow scrolls only while the pointer rests on it: it may have left the bar
    // without the bar hearing of it.
    TPoint p;
    GetCursorPos(&p);
    TRect window{};
    GetWindowRect(Handle(), &window);
    const TRect r{window.Left + arrow.R.Left, window.Top + arrow.R.Top, window.Left + arrow.R.Right,
                  window.Top + arrow.R.Bottom};
    if (WindowFromPoint(p) != Handle() || !r.Contains(p)) {
      StopTimer();
      UnmarkArrows();
      return;
    }
  }
  ScrollStep(mode == 2);
}

// ---- Non-client arrows ---------------------------------------------------------------------------

void TvlSkinToolBar::MarkArrow(int Index) {
  if (FArrows[Index].MouseIn) return;
  FArrows[Index].MouseIn = true;
  FArrows[1 - Index].MouseIn = false;
  PaintArrows();
  if (HotScroll) StartTimer(Index + 1);
}

void TvlSkinToolBar::UnmarkArrows() {
  bool changed = false;
  for (Arrow& a : FArrows) {
    if (!a.MouseIn || !a.Visible) continue;
    a.MouseIn = false;
    changed = true;
  }
  if (!changed) return;
  if (TimerMode != 0 && !FArrows[0].Down && !FArrows[1].Down) StopTimer();
  PaintArrows();
}

void TvlSkinToolBar::PaintArrows() {
  if (!HandleAllocated() || !FArrows[0].Visible) return;
  HDC dc = GetWindowDC(Handle());
  if (!dc) return;
  TCanvas canvas;
  canvas.SetHandle(dc);
  for (int i = 0; i < 2; ++i)
    if (FArrows[i].Visible) DrawArrow(&canvas, i);
  canvas.SetHandle(nullptr);
  ReleaseDC(Handle(), dc);
}

void TvlSkinToolBar::DrawArrow(TCanvas* C, int Index) {
  const Arrow& a = FArrows[Index];
  if (IsNullRect(a.R)) return;
  TBitmap b;
  PrepareBitmap(&b, a.R.Width(), a.R.Height());
  if (b.Empty()) return;
  const bool pressedLook = (a.Down && a.MouseIn) || (a.MouseIn && HotScroll);
  TColor glyph = clBtnText;
  TBitmap* picture = ButtonData ? vlSkinPicture(FSD, ButtonData->PictureIndex) : nullptr;
  if (ButtonData && picture) {
    TRect image = ButtonData->ActiveSkinRect;
    glyph = ButtonData->ActiveFontColor;
    if (pressedLook && !IsNullRect(ButtonData->DownSkinRect)) {
      image = ButtonData->DownSkinRect;
      glyph = ButtonData->DownFontColor;
    } else if (!a.MouseIn || IsNullRect(ButtonData->ActiveSkinRect)) {
      image = ButtonData->SkinRect;
      glyph = ButtonData->FontColor;
    }
    DrawButtonElementFace(&b, picture, *ButtonData, image);
  } else if (pressedLook) {
    DrawBuiltinFace(b.Canvas(), TRect{0, 0, b.Width(), b.Height()}, clNavy, kBuiltinDownFill);
  } else if (!a.MouseIn) {
    DrawBuiltinFace(b.Canvas(), TRect{0, 0, b.Width(), b.Height()}, clBtnShadow, clBtnFace);
  } else {
    DrawBuiltinFace(b.Canvas(), TRect{0, 0, b.Width(), b.Height()}, clNavy, kBuiltinHoverFill);
  }
  DrawArrowGlyph(b.Canvas(), TRect{0, 0, b.Width(), b.Height()}, glyph, Index == 0 ? kLeft : kRight);
  C->Draw(a.R.Left, a.R.Top, &b);
}

void TvlSkinToolBar::NCMouse(UINT Msg, LRESULT Hit) {
  if (Hit != kvlHitLeftArrow && Hit != kvlHitRightArrow) return;
  const int index = Hit == kvlHitLeftArrow ? 0 : 1;
  Arrow& a = FArrows[index];
  if (!a.Visible) return;
  switch (Msg) {
    case WM_NCMOUSEMOVE: MarkArrow(index); break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      a.Down = true;
      a.MouseIn = true;
      PaintArrows();
      StartTimer(index + 1);
      break;
    case WM_NCLBUTTONUP: {
      const bool held = a.Down;
      a.Down = false;
      PaintArrows();
      if (!held) break;
      // A click scrolls once at the release; holding scrolled meanwhile and once more now.
      StopTimer();
      ScrollStep(index == 1);
      break;
    }
    default: break;
  }
}

void TvlSkinToolBar::WndProc(TMessage& Message) {
  if (CanScroll) {
    switch (Message.Msg) {
      case WM_NCHITTEST: {
        const TPoint p = ScreenToClient(TPoint{static_cast<short>(LOWORD(static_cast<DWORD>(Message.LParam))),
                                               static_cast<short>(HIWORD(static_cast<DWORD>(Message.LParam)))});
        if (p.X < 0 && FArrows[0].Visible) {
          Message.Result = kvlHitLeftArrow;
          return;
        }
        if (p.X > ClientWidth() && FArrows[1].Visible) {
          Message.Result = kvlHitRightArrow;
          return;
        }
        break;
      }
      case WM_MOUSEMOVE:
        // Into the client area (a button there takes the move itself): off the arrows.
        UnmarkArrows();
        break;
      case WM_WINDOWPOSCHANGING:
        if (HandleAllocated() && Align() == TAlign::alNone) {
          FChangingPos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
          UpdateScrollInfo();
          FChangingPos = nullptr;
        }
        break;
      default: break;
    }
  }
  TvlSkinPanel::WndProc(Message);
}

void TvlSkinToolBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
      if (!CanScroll) break;
      {
        GetSkinData();
        TRect* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                                  : reinterpret_cast<TRect*>(Message.LParam);
        if (r && FArrows[0].Visible) r->Left += kArrowWidth;
        if (r && FArrows[1].Visible) r->Right -= kArrowWidth;
        Message.Result = 0;
      }
      return;
    case WM_NCPAINT:
      if (CanScroll && FArrows[0].Visible) {
        PaintArrows();
        return;
      }
      break;
    case WM_SIZE:
      TvlSkinPanel::Dispatch(Message);
      if (FArrows[0].Visible) {
        FArrows[0].R = TRect{0, 0, kArrowWidth, Height()};
        FArrows[1].R = TRect{Width() - kArrowWidth, 0, Width(), Height()};
        PaintArrows();
      }
      return;
    case WM_SETCURSOR: {
      const LRESULT hit = LOWORD(static_cast<DWORD>(Message.LParam));
      if (hit == kvlHitLeftArrow || hit == kvlHitRightArrow) {
        // The arrows take the client area's cursor.
        Message.LParam = MAKELPARAM(HTCLIENT, HIWORD(static_cast<DWORD>(Message.LParam)));
      }
      break;
    }
    case WM_WINDOWPOSCHANGING:
      TvlSkinPanel::Dispatch(Message);
      if (HandleAllocated() && AdjustControls) CentreChildren();
      return;
    case WM_TIMER:
      TvlSkinPanel::Dispatch(Message);
      if (Message.WParam == kScrollTimer) TimerTick();
      return;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCLBUTTONUP:
      if (CanScroll) NCMouse(Message.Msg, static_cast<LRESULT>(Message.WParam));
      break;
    default: break;
  }
  TvlSkinPanel::Dispatch(Message);
}

void TvlSkinToolBar::CMMouseLeave(TMessage& Message) {
  TvlSkinPanel::CMMouseLeave(Message);
  TPoint p;
  GetCursorPos(&p);
  if (HandleAllocated() && WindowFromPoint(p) != Handle()) UnmarkArrows();
}

void TvlSkinToolBar::AdjustClientRect(TRect& Rect) {
  TvlSkinPanel::AdjustClientRect(Rect);
  if (!((CanScroll && FArrows[0].Visible) || FArrows[1].Visible)) return;
  const TRect skinned = Rect;
  Rect = TRect{-SPosition, 0, -SPosition + std::max(SMax, ClientWidth()), ClientHeight()};
  if (FIndex == -1 || !SkinLookAvailable()) {
    Rect.Top = 1;
    Rect.Bottom -= 1;
  } else if (!(BorderStyle() == TvlSkinBorderStyle::bvNone && ResizeMode == 1)) {
    Rect.Top = skinned.Top;
    Rect.Bottom = skinned.Bottom;
  }
}

void TvlSkinToolBar::CreateControlSkinImage(TBitmap* B) {
  if (FArrows[0].Visible && ResizeMode == 2 && Picture) {
    // While the content scrolls no end piece shows: the middle alone covers the bar.
    ComposeSkinStripMiddle(LTPt.X, SkinRect.Width() - RTPt.X, B, Picture, SkinRect, B->Width(), B->Height(),
                           StretchEffect);
    return;
  }
  TvlSkinPanel::CreateControlSkinImage(B);
}

// ---- TvlSkinStatusBar --------------------------------------------------------------------------

TvlSkinStatusBar::TvlSkinStatusBar(TComponent* AOwner) : TvlSkinPanel(AOwner) {
  FSkinDataName = "statusbar";
  SetAlign(TAlign::alBottom);
  SetHeight(21);
  SetBorderStyle(TvlSkinBorderStyle::bvNone);
  FForceBackground = false;
}

void TvlSkinStatusBar::SetSizeGrip(bool Value) {
  FSizeGrip = Value;
  Repaint();
  Realign();
}

void TvlSkinStatusBar::SetShowGrip(bool Value) {
  FShowGrip = Value;
  Repaint();
  Realign();
}

void TvlSkinStatusBar::SetSkinData(TvlSkinData* Value) {
  TvlSkinPanel::SetSkinData(Value);
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* c = dynamic_cast<TvlSkinControl*>(Controls(i))) c->SetSkinData(Value);
}

void TvlSkinStatusBar::GetSkinData() {
  TvlSkinPanel::GetSkinData();
  auto* d = FIndex == -1 ? nullptr : dynamic_cast<TvlDataSkinPanelControl*>(vlControlElement(FSD, FIndex));
  if (!d) return;
  GripperRect = d->GripperRect;
  GripperTransparent = d->GripperTransparent;
  GripperTransparentColor = d->GripperTransparentColor;
}

void TvlSkinStatusBar::AdjustClientRect(TRect& Rect) {
  TvlSkinPanel::AdjustClientRect(Rect);
  if (!GripShown()) return;
  const bool picture = FIndex != -1 && SkinLookAvailable() && !IsNullRect(GripperRect);
  Rect.Right -= picture ? GripperRect.Width() : Rect.Height();
}

TRect TvlSkinStatusBar::GripRect() {
  const TRect r = GetSkinClientRect();
  if (FIndex != -1 && SkinLookAvailable() && !IsNullRect(GripperRect))
    return TRect{r.Right, r.Bottom - GripperRect.Height(), r.Right + GripperRect.Width(), r.Bottom};
  return TRect{r.Right + 2, r.Top, r.Right + r.Height(), r.Bottom - 2};
}

void TvlSkinStatusBar::DrawGrip(TCanvas* C, bool Skinned) {
  if (!GripShown()) return;
  const TRect g = GripRect();
  if (Skinned && !IsNullRect(GripperRect)) {
    TBitmap piece;
    if (!CopyPiece(&piece, Picture, GripperRect)) return;
    if (GripperTransparent) {
      piece.SetTransparentMode(TTransparentMode::tmFixed);
      piece.SetTransparentColor(GripperTransparentColor);
      piece.SetTransparent(true);
    }
    C->Draw(g.Left, g.Top, &piece);
    return;
  }
  const TColor first = Skinned ? FSD->SkinColors()->FcBtnShadow : clBtnShadow;
  const TColor second = Skinned ? FSD->SkinColors()->FcBtnHighLight : clBtnHighlight;
  vlDrawSizeGripLines(C, g, first, second);
}

void TvlSkinStatusBar::CreateControlDefaultImage(TBitmap* B) {
  TvlSkinPanel::CreateControlDefaultImage(B);
  DrawGrip(B->Canvas(), false);
}

void TvlSkinStatusBar::CreateControlSkinImage(TBitmap* B) {
  TvlSkinPanel::CreateControlSkinImage(B);
  if (!B->Empty()) DrawGrip(B->Canvas(), true);
}

void TvlSkinStatusBar::WndProc(TMessage& Message) {
  if (GripShown()) {
    if (Message.Msg == WM_NCHITTEST) {
      const TPoint p = ScreenToClient(TPoint{static_cast<short>(LOWORD(static_cast<DWORD>(Message.LParam))),
                                             static_cast<short>(HIWORD(static_cast<DWORD>(Message.LParam)))});
      const TRect g = GripRect();
      const bool onGrip = p.X >= g.Left && p.X <= g.Right && p.Y >= g.Top && p.Y <= g.Bottom;
      Message.Result = onGrip ? HTBOTTOMRIGHT : HTCLIENT;
      return;
    }
    if (Message.Msg == WM_NCLBUTTONDOWN && Message.WParam == HTBOTTOMRIGHT) {
      // The grip sizes the form, not the bar.
      if (vlSizeFormFromGrip(this, Message.LParam)) {
        Message.Result = 0;
        return;
      }
    }
  }
  TvlSkinPanel::WndProc(Message);
}
