// The skinned scroll box (TvlSkinScrollBox): range updates of its external bars, content
// scrolling, the frame in the non-client area and the tiled or stretched background.
#include <algorithm>

#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

TvlSkinScrollBox::TvlSkinScrollBox(TComponent* AOwner) : TvlSkinCustomControl(AOwner) {
  SetControlStyle(TControlStyle(ControlStyle()).Include(TControlStyleFlag::csAcceptsControls));
  FSkinDataName = "scrollbox";
  SetWidth(150);
  SetHeight(150);
}

TvlSkinScrollBox::~TvlSkinScrollBox() {
  // The bars outlive the box: they must not call back into it.
  SetVScrollBar(nullptr);
  SetHScrollBar(nullptr);
}

// ---- Bars -------------------------------------------------------------------------------------------

void TvlSkinScrollBox::AttachBar(TvlSkinScrollBar*& Field, TvlSkinScrollBar* Value, Axis A) {
  if (Field && Field != Value) {
    Field->OnChange = nullptr;
    Field->OnLastChange = nullptr;
  }
  ReplaceReference(Field, Value);
  if (!Value) return;
  Value->SetCanFocused(false);
  Value->OnChange = [this, A](TObject*) { BarChanged(A); };
  Value->OnLastChange = [this](TObject*) { Invalidate(); };
  Value->SetEnabled(true);
  Value->SetVisible(false);
  UpdateRange(A);
}

void TvlSkinScrollBox::SetVScrollBar(TvlSkinScrollBar* Value) { AttachBar(FVScrollBar, Value, Axis::Vertical); }
void TvlSkinScrollBox::SetHScrollBar(TvlSkinScrollBar* Value) { AttachBar(FHScrollBar, Value, Axis::Horizontal); }

void TvlSkinScrollBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
}

void TvlSkinScrollBox::BarChanged(Axis A) {
  TvlSkinScrollBar* bar = A == Axis::Vertical ? FVScrollBar : FHScrollBar;
  int& old = A == Axis::Vertical ? FOldVScrollBarPos : FOldHScrollBarPos;
  if (!bar) return;
  const int position = bar->Position();
  Scroll(A, position - old);
  old = position;
}

void TvlSkinScrollBox::Scroll(Axis A, int D) {
  if (D == 0) return;
  if (A == Axis::Vertical)
    ScrollBy(0, -D);
  else
    ScrollBy(-D, 0);
  // A stretched background does not move with the content.
  if (Skinned() && StretchEffect) Repaint();
}

void TvlSkinScrollBox::UpDateScrollRange() {
  GetHRange();
  GetVRange();
}

void TvlSkinScrollBox::GetHRange() { UpdateRange(Axis::Horizontal); }
void TvlSkinScrollBox::GetVRange() { UpdateRange(Axis::Vertical); }

void TvlSkinScrollBox::UpdateRange(Axis A) {
  const bool vertical = A == Axis::Vertical;
  TvlSkinScrollBar* bar = vertical ? FVScrollBar : FHScrollBar;
  if (!bar || FInCheckScrollBars || !Parent()) return;
  int& sizeOffset = vertical ? FVSizeOffset : FHSizeOffset;
  int& oldPosition = vertical ? FOldVScrollBarPos : FOldHScrollBarPos;

  // The children's places include the present scrolling: the content's full extent is the
  // position plus the far edge of the visible children.
  const int clientSize = vertical ? ClientHeight() : ClientWidth();
  int farEdge = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    farEdge = std::max(farEdge, vertical ? c->Top() + c->Height() : c->Left() + c->Width());
  }
  const int position = bar->Position();
  const int total = position + farEdge;

  bool show = bar->Visible();
  if (total > clientSize) {
    show = true;
    if (position > 0 && farEdge < clientSize && sizeOffset > 0) {
      // The box grew while scrolled and a gap opened behind the content: the content follows
      // the growth back, at most to its start.
      sizeOffset = std::min(sizeOffset, position);
      bar->SetRange(0, total - 1, position - sizeOffset, clientSize);
      Scroll(A, -sizeOffset);
    } else if (sizeOffset == 0 && total - 1 < bar->Max() && position > 0 && farEdge < clientSize) {
      // The content shrank while scrolled: close the gap behind it.
      const int gap = std::min(clientSize - farEdge, position);
      Scroll(A, -gap);
      bar->SetRange(0, total - 1, position - gap, clientSize);
    } else {
      bar->SetRange(0, total - 1, position, clientSize);
    }
    sizeOffset = 0;
    oldPosition = bar->Position();
  } else {
    if (position > 0) Scroll(A, -position);
    sizeOffset = 0;
    oldPosition = 0;
    bar->SetRange(0, 0, 0, 0);
    show = false;
  }

  // The corner look follows the vertical bar as it is after this update.
  if (FHScrollBar && FVScrollBar) {
    const bool verticalShown = vertical ? show : FVScrollBar->Visible();
    if (FHScrollBar->Both() != verticalShown) FHScrollBar->SetBoth(verticalShown);
  }

  if (show == bar->Visible()) return;
  FInCheckScrollBars = true;
  bar->SetVisible(show);
  FInCheckScrollBars = false;
  if (Align() == TAlign::alNone) return;
  // The bar took or gave back room beside an aligned box: lay the parent and the box out again
  // without a nested range update.
  FInCheckScrollBars = true;
  if (Parent()) Parent()->Realign();
  Realign();
  FInCheckScrollBars = false;
}

void TvlSkinScrollBox::HScroll(int APosition) {
  if (!FHScrollBar || FHScrollBar->PageSize() == 0) return;
  FHScrollBar->SetPosition(APosition);
}

void TvlSkinScrollBox::VScroll(int APosition) {
  if (!FVScrollBar || FVScrollBar->PageSize() == 0) return;
  FVScrollBar->SetPosition(std::min(APosition, FVScrollBar->Max() - FVScrollBar->PageSize()));
}

void TvlSkinScrollBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int oldWidth = Width(), oldHeight = Height();
  TvlSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  FHSizeOffset = oldWidth != 0 && Width() > oldWidth ? Width() - oldWidth : 0;
  if (Align() != TAlign::alNone) GetHRange();
  FVSizeOffset = oldHeight != 0 && Height() > oldHeight ? Height() - oldHeight : 0;
  if (Align() != TAlign::alNone) GetVRange();
}

void TvlSkinScrollBox::AdjustClientRect(TRect& Rect) {
  const int cw = ClientWidth(), ch = ClientHeight();
  if (FHScrollBar && FHScrollBar->Visible()) {
    Rect.Left = -FHScrollBar->Position();
    Rect.Right = Rect.Left + std::max(FHScrollBar->Max(), cw);
  } else {
    Rect.Left = 0;
    Rect.Right = cw;
  }
  if (FVScrollBar && FVScrollBar->Visible()) {
    Rect.Top = -FVScrollBar->Position();
    Rect.Bottom = Rect.Top + std::max(FVScrollBar->Max(), ch);
  } else {
    Rect.Top = 0;
    Rect.Bottom = ch;
  }
  TvlSkinCustomControl::AdjustClientRect(Rect);
}

// ---- Skin -------------------------------------------------------------------------------------------

void TvlSkinScrollBox::SetBorderStyle(TvlSkinBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TvlSkinScrollBox::SetSkinData(TvlSkinData* Value) {
  TvlSkinCustomControl::SetSkinData(Value);
  if ((!FSD || FSD->Empty) && HandleAllocated()) RecreateWnd();
}

void TvlSkinScrollBox::GetSkinData() {
  TvlSkinCustomControl::GetSkinData();
  BGPictureIndex = -1;
  if (auto* e = dynamic_cast<TvlDataSkinScrollBoxControl*>(vlControlElement(FSD, FIndex))) BGPictureIndex = e->BGPictureIndex;
}

void TvlSkinScrollBox::ChangeSkinData() {
  TvlSkinCustomControl::ChangeSkinData();
  // The frame widths may have changed: a new window asks for them; each bar is aligned again so
  // that the parent lays it out anew.
  if (HandleAllocated()) RecreateWnd();
  for (TvlSkinScrollBar* bar : {FVScrollBar, FHScrollBar}) {
    if (!bar) continue;
    const TAlign align = bar->Align();
    bar->SetAlign(TAlign::alNone);
    bar->SetAlign(align);
  }
}

void TvlSkinScrollBox::CreateParams(TCreateParams& Params) {
  TvlSkinCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TvlSkinScrollBox::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(TRect{0, 0, B->Width(), B->Height()});
}

// ---- Messages ---------------------------------------------------------------------------------------

void TvlSkinScrollBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (CanFocused && !Focused() && !FocusForPress(this, FClicksDisabled)) return;
      break;
    case CN_COMMAND:
      if (FClicksDisabled) return;
      break;
    default:
      break;
  }
  TvlSkinCustomControl::WndProc(Message);
}

void TvlSkinScrollBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
      WMNCCalcSize(Message);
      return;
    case WM_NCPAINT:
      if (!HasFrame()) return;
      if (HDC dc = GetWindowDC(Handle())) {
        DrawBoxFrame(dc);
        ReleaseDC(Handle(), dc);
      }
      return;
    case WM_SIZE:
      TvlSkinCustomControl::Dispatch(Message);
      if (HandleAllocated()) SendMessage(Handle(), WM_NCPAINT, 1, 0);
      return;
    case WM_WINDOWPOSCHANGING:
      TvlSkinCustomControl::Dispatch(Message);
      // A box that is not aligned takes its ranges from the size it has before the change.
      if (HandleAllocated() && Align() == TAlign::alNone) {
        GetVRange();
        GetHRange();
      }
      return;
    case WM_vlPaintFrameToDC:
      Message.Result = 0;
      GetSkinData();
      if (Message.WParam && HasFrame()) {
        DrawBoxFrame(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = vlPaintFrameToDCAnswer;
      }
      return;
    case WM_vlPaintFrameToDCEx:
      if (Message.LParam != vlPaintFrameToDCExKey) break;
      GetSkinData();
      if (Message.WParam && HasFrame()) DrawBoxFrame(reinterpret_cast<HDC>(Message.WParam));
      Message.Result = vlPaintFrameToDCExKey;
      return;
    default:
      break;
  }
  TvlSkinCustomControl::Dispatch(Message);
}

void TvlSkinScrollBox::CMVisibleChanged(TMessage& Message) {
  TvlSkinCustomControl::CMVisibleChanged(Message);
  if (!Visible()) {
    for (TvlSkinScrollBar* bar : {FHScrollBar, FVScrollBar})
      if (bar) bar->SetVisible(false);
    return;
  }
  // Shown again: each bar shows only when its content does not fit.
  UpDateScrollRange();
}

// ---- Painting ---------------------------------------------------------------------------------------

void TvlSkinScrollBox::WMNCCalcSize(TMessage& Message) {
  GetSkinData();
  TRect* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                            : reinterpret_cast<TRect*>(Message.LParam);
  Message.Result = 0;
  if (!r || !HasFrame()) return;
  int left = 1, top = 1, right = 1, bottom = 1;
  if (Skinned()) {
    left = ClRect.Left;
    top = ClRect.Top;
    right = SkinRect.Width() - ClRect.Right;
    bottom = SkinRect.Height() - ClRect.Bottom;
  }
  r->Left += left;
  r->Top += top;
  r->Right = std::max(r->Left, r->Right - right);
  r->Bottom = std::max(r->Top, r->Bottom - bottom);
}

void TvlSkinScrollBox::DrawBoxFrame(HDC DC) {
  GetSkinData();
  TCanvas canvas;
  canvas.SetHandle(DC);
  const int w = Width(), h = Height();
  if (!Skinned()) {
    TColor topLeft = clBtnShadow, bottomRight = clBtnShadow;
    if (FBorderStyle == TvlSkinBorderStyle::bvRaised) bottomRight = clBtnHighlight;
    if (FBorderStyle == TvlSkinBorderStyle::bvLowered) topLeft = clBtnHighlight;
    if (FBorderStyle != TvlSkinBorderStyle::bvNone && w > 0 && h > 0) {
      canvas.Pen()->SetColor(topLeft);
      canvas.MoveTo(0, h - 1);
      canvas.LineTo(0, 0);
      canvas.LineTo(w, 0);
      canvas.Pen()->SetColor(bottomRight);
      canvas.MoveTo(w - 1, 0);
      canvas.LineTo(w - 1, h - 1);
      canvas.LineTo(-1, h - 1);
    }
    canvas.SetHandle(nullptr);
    return;
  }
  const TvlNinePartGeometry g = TvlNinePartGeometry::Grown(LTPt, RTPt, LBPt, RBPt, ClRect, w - SkinRect.Width(),
                                                           h - SkinRect.Height());
  TBitmap left, top, right, bottom;
  ComposeSkinBorders(g, TvlBorderPieces{.Left = &left, .Top = &top, .Right = &right, .Bottom = &bottom}, Picture,
                     SkinRect, w, h, Sides());
  if (!top.Empty()) canvas.Draw(0, 0, &top);
  if (!left.Empty()) canvas.Draw(0, top.Height(), &left);
  if (!right.Empty()) canvas.Draw(w - right.Width(), top.Height(), &right);
  if (!bottom.Empty()) canvas.Draw(0, h - bottom.Height(), &bottom);
  canvas.SetHandle(nullptr);
}

void TvlSkinScrollBox::Paint() {
  GetSkinData();
  if (!Skinned()) {
    TvlSkinControl::Paint();
    return;
  }
  const int cw = ClientWidth(), ch = ClientHeight();
  if (cw < 1 || ch < 1) return;
  TBitmap source;
  if (TBitmap* background = vlSkinPicture(FSD, BGPictureIndex)) {
    source.Assign(background);
  } else {
    const TRect piece{SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                      SkinRect.Top + ClRect.Bottom};
    if (!CopyPiece(&source, Picture, piece)) return;
  }
  TBitmap texture;
  if (StretchEffect)
    StretchOver(&texture, &source, Width(), Height(), StretchType);
  else if (BGPictureIndex != -1)
    TileOver(&texture, &source, Width(), Height());
  else
    TileOver(&texture, &source, cw, ch);
  if (texture.Empty()) return;
  HDC dc = Canvas()->Handle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, 0, cw, ch);
  Canvas()->Draw(0, 0, &texture);
  RestoreDC(dc, saved);
}
