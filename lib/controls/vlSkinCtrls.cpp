// The skin-change walks, the shared look-ups, the parent-background copy and the windowed and
// windowless control bases. The panel family is in vlSkinCtrlsPanels.cpp, the labels, bevel
// and splitter in vlSkinCtrlsLabels.cpp.

#include "lib/controls/vlSkinCtrls.h"

#include <algorithm>

#include "lib/drawing/vlEffects.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinMissing.h"
#include "platform/controls/ActnList.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/graphics/Region.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

// ---- The skin-change walks ---------------------------------------------------------------------

namespace {

template <typename Step>
void WalkSkinClients(TvlSkinData* Container, TControl* Control, const Step& step) {
  if (!Control) return;
  if (auto* client = dynamic_cast<TvlSkinClient*>(Control); client && (!Container || client->SkinData() == Container))
    step(client);
  auto* parent = dynamic_cast<TWinControl*>(Control);
  if (!parent) return;
  // A copy: a control may re-lay out (and so reorder) its children while it follows the skin.
  std::vector<TWeak<TControl>> children;
  for (int i = 0; i < parent->ControlCount(); ++i) children.emplace_back(parent->Controls(i));
  for (auto& child : children)
    if (TControl* c = child.Get()) WalkSkinClients(Container, c, step);
}

}  // namespace

void vlBeforeChildrenSkinChange(TvlSkinData* Container, TControl* Control) {
  WalkSkinClients(Container, Control, [](TvlSkinClient* c) { c->BeforeChangeSkinData(); });
}

void vlChangeChildrenSkinData(TvlSkinData* Container, TControl* Control) {
  WalkSkinClients(Container, Control, [](TvlSkinClient* c) { c->ChangeSkinData(); });
}

// ---- Look-ups ----------------------------------------------------------------------------------

int vlCentredTop(TControl* Control, int ATop, int AHeight) {
  auto* bar = Control ? dynamic_cast<TvlSkinPanel*>(Control->Parent()) : nullptr;
  if (!bar || !bar->CentresSkinnedChildren()) return ATop;
  const TRect r = bar->GetSkinClientRect();
  return r.Top + r.Height() / 2 - AHeight / 2;
}

// ---- Parent background -------------------------------------------------------------------------

namespace {

// Marks a control as painting a copy for the life of the object.
class PaintCopyMark {
 public:
  explicit PaintCopyMark(TControl* c) : c_(c), had_(c->ControlState().Contains(TControlStateFlag::csPaintCopy)) {
    if (!had_) c_->SetControlState(TControlState(c_->ControlState()).Include(TControlStateFlag::csPaintCopy));
  }
  ~PaintCopyMark() {
    if (!had_ && c_) c_->SetControlState(TControlState(c_->ControlState()).Exclude(TControlStateFlag::csPaintCopy));
  }
  PaintCopyMark(const PaintCopyMark&) = delete;
  PaintCopyMark& operator=(const PaintCopyMark&) = delete;

 private:
  TControl* c_;
  bool had_;
};

void CopyParentBackground(TControl* Control, TPoint Offset, TCanvas* Canvas) {
  if (!Control || !Canvas) return;
  TWinControl* parent = Control->Parent();
  if (!parent) return;
  HDC dc = Canvas->Handle();
  if (!dc) return;
  TWeak<TControl> alive(Control);
  {
    PaintCopyMark mark(parent);
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, -Control->Left() - Offset.X, -Control->Top() - Offset.Y, nullptr);
    const TRect client = parent->ClientRect();
    IntersectClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    // A form's background is its erase; any other parent paints itself too.
    if (!dynamic_cast<TCustomForm*>(parent)) parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
  if (!alive) return;
  // The windowless siblings below the control, bottom first.
  const TRect bounds = Control->BoundsRect();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* sibling = parent->Controls(i);
    if (sibling == Control) break;
    if (dynamic_cast<TWinControl*>(sibling) || !sibling->Visible()) continue;
    const TRect sb = sibling->BoundsRect();
    if (!RectsOverlap(sb, bounds)) continue;
    PaintCopyMark mark(sibling);
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, sb.Left - bounds.Left - Offset.X, sb.Top - bounds.Top - Offset.Y, nullptr);
    IntersectClipRect(dc, 0, 0, sb.Width(), sb.Height());
    sibling->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

}  // namespace

void DrawParentBackground(TControl* Control, TCanvas* Canvas) { CopyParentBackground(Control, TPoint{0, 0}, Canvas); }

void DrawParentBackgroundRect(TControl* Control, const TRect& Rect, TCanvas* Canvas) {
  CopyParentBackground(Control, TPoint{Rect.Left, Rect.Top}, Canvas);
}

// ---- Shared drawing helpers --------------------------------------------------------------------

namespace vlskinctrls_detail {

bool RectsOverlap(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

bool RectInsidePicture(const TRect& R, TBitmap* Picture) {
  return Picture && !Picture->Empty() && R.Width() > 0 && R.Height() > 0 && R.Left >= 0 && R.Top >= 0 &&
         R.Right <= Picture->Width() && R.Bottom <= Picture->Height();
}

bool CopyPiece(TBitmap* Piece, TBitmap* Picture, const TRect& R) {
  if (!RectInsidePicture(R, Picture)) return false;
  PrepareBitmap(Piece, R.Width(), R.Height());
  if (Piece->Empty()) return false;
  Piece->Canvas()->CopyRect(TRect{0, 0, R.Width(), R.Height()}, Picture->Canvas(), R);
  return true;
}

void TileOver(TBitmap* Dest, TBitmap* Piece, int W, int H) {
  if (!Piece || Piece->Empty() || W <= 0 || H <= 0) return;
  TBitmap row;
  ComposeSkinStripMiddle(0, 0, &row, Piece, TRect{0, 0, Piece->Width(), Piece->Height()}, W, 0, false);
  ComposeSkinStripVert(0, 0, Dest, &row, TRect{0, 0, W, row.Height()}, 0, H, false);
}

void StretchOver(TBitmap* Dest, TBitmap* Piece, int W, int H, TvlStretchType Type) {
  if (!Piece || Piece->Empty() || W <= 0 || H <= 0) return;
  const int pw = Piece->Width(), ph = Piece->Height();
  switch (Type) {
    case TvlStretchType::vlstFull:
      PrepareBitmap(Dest, W, H);
      if (!Dest->Empty()) Dest->Canvas()->StretchDraw(TRect{0, 0, W, H}, Piece);
      return;
    case TvlStretchType::vlstHorz: {
      TBitmap column;
      PrepareBitmap(&column, pw, H);
      if (column.Empty()) return;
      column.Canvas()->StretchDraw(TRect{0, 0, pw, H}, Piece);
      ComposeSkinStripMiddle(0, 0, Dest, &column, TRect{0, 0, pw, H}, W, 0, false);
      return;
    }
    case TvlStretchType::vlstVert: {
      TBitmap row;
      PrepareBitmap(&row, W, ph);
      if (row.Empty()) return;
      row.Canvas()->StretchDraw(TRect{0, 0, W, ph}, Piece);
      ComposeSkinStripVert(0, 0, Dest, &row, TRect{0, 0, W, ph}, 0, H, false);
      return;
    }
  }
}

void DrawPieceTransparent(TCanvas* C, TBitmap* Picture, const TRect& R, int X, int Y) {
  TBitmap piece;
  if (!CopyPiece(&piece, Picture, R)) return;
  piece.SetTransparent(true);
  C->Draw(X, Y, &piece);
}

int GlyphFrameNumber(bool ADown, bool AMouseIn, bool AEnabled, int NumGlyphs) {
  if (ADown && AMouseIn && NumGlyphs > 2) return 3;
  if (AMouseIn && NumGlyphs > 3) return 4;
  if (!AEnabled && NumGlyphs > 1) return 2;
  return 1;
}

TRect DrawFreeSizeFace(TBitmap* B, TBitmap* Picture, const TRect& R, int ResizeMode, const TRect& ClRect) {
  const int w = B->Width(), h = B->Height();
  if (RectInsidePicture(R, Picture) && !B->Empty()) {
    if (ResizeMode == 0) {
      B->Canvas()->CopyRect(TRect{0, 0, w, h}, Picture->Canvas(), R);
    } else if (ResizeMode == 2 || ResizeMode == 3) {
      ComposeStretchedSkinImage(B, Picture, R, ClRect, true);
    }
  }
  return TRect{ClRect.Left, ClRect.Top, ClRect.Right + w - R.Width(), ClRect.Bottom + h - R.Height()};
}

bool GlyphFromActionImage(TBitmap* Glyph, TObject* Sender) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action || !Glyph->Empty()) return false;
  TCustomImageList* images = action->Images();
  if (!images || action->ImageIndex() < 0 || action->ImageIndex() >= images->Count()) return false;
  PrepareBitmap(Glyph, images->Width(), images->Height());
  if (Glyph->Empty()) return false;
  TCanvas* c = Glyph->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(static_cast<TColor>(0xFF00FF));
  c->FillRect(TRect{0, 0, images->Width(), images->Height()});
  images->Draw(c, 0, 0, action->ImageIndex(), true);
  return true;
}

bool FocusForPress(TWinControl* C, bool& ClicksDisabled) {
  if (C->Focused()) return true;
  TWeak<TControl> alive(C);
  ClicksDisabled = true;
  if (C->CanFocus()) C->SetFocus();
  if (!alive) return false;
  ClicksDisabled = false;
  return C->Focused();
}

void DrawBuiltinFace(TCanvas* C, const TRect& R, TColor Frame, TColor Fill) {
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->Brush()->SetColor(Fill);
  C->FillRect(R);
  C->Brush()->SetColor(Frame);
  C->FrameRect(R);
}

void ScrollToThumbPosition(TWinControl* Window, int Kind, int Position, bool Redraw) {
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = Position;
  SetScrollInfo(Window->Handle(), Kind, &si, Redraw ? TRUE : FALSE);
  Window->Perform(Kind == SB_VERT ? WM_VSCROLL : WM_HSCROLL,
                  static_cast<WPARAM>(MAKELPARAM(SB_THUMBPOSITION, static_cast<WORD>(Position & 0xFFFF))), 0);
}

void DrawButtonElementFace(TBitmap* B, TBitmap* Picture, const TvlDataSkinButtonControl& E, const TRect& Image) {
  const int dw = B->Width() - E.SkinRect.Width(), dh = B->Height() - E.SkinRect.Height();
  const auto g = TvlNinePartGeometry::Grown(E.LTPoint, E.RTPoint, E.LBPoint, E.RBPoint, E.ClRect, dw, dh);
  TBitmap face;
  ComposeSkinImage(g, &face, Picture, Image, B->Width(), B->Height(),
                   TvlStretchSides{E.LeftStretch, E.TopStretch, E.RightStretch, E.BottomStretch},
                   TvlClientFill{.Draw = true, .Stretch = E.StretchEffect, .Type = E.StretchType});
  if (!face.Empty()) B->Canvas()->Draw(0, 0, &face);
}

}  // namespace vlskinctrls_detail


// ---- TvlSkinControl ----------------------------------------------------------------------------

TvlSkinControl::TvlSkinControl(TComponent* AOwner) : TCustomControl(AOwner) {}

TvlSkinControl::~TvlSkinControl() {
  ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr));
  ReplaceReference(FHintImageList, static_cast<TCustomImageList*>(nullptr));
}

void TvlSkinControl::SetSkinData(TvlSkinData* Value) {
  ReplaceReference(FSD, Value);
  if (FSD && !FSD->Empty) ChangeSkinData();
}

void TvlSkinControl::SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }

void TvlSkinControl::SetHintImageList(TCustomImageList* Value) { ReplaceReference(FHintImageList, Value); }

void TvlSkinControl::GetSkinData() { FIndex = vlFindControlElement(FSD, FSkinDataName); }

void TvlSkinControl::CreateControlDefaultImage(TBitmap*) {}
void TvlSkinControl::CreateControlSkinImage(TBitmap*) {}

void TvlSkinControl::ChangeSkinData() {
  GetSkinData();
  Repaint();
}

void TvlSkinControl::BeforeChangeSkinData() { FIndex = -1; }

void TvlSkinControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FHintImageList) FHintImageList = nullptr;
}

void TvlSkinControl::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (b.Empty()) return;
  if (FIndex == -1 || !SkinLookAvailable())
    CreateControlDefaultImage(&b);
  else
    CreateControlSkinImage(&b);
  Canvas()->Draw(0, 0, &b);
}

void TvlSkinControl::WMPaint(TMessage& Message) {
  FromWMPaint = true;
  TCustomControl::WMPaint(Message);
  FromWMPaint = false;
}

void TvlSkinControl::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TvlSkinControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_vlParentMoved) {
    CheckParentBackground();
    return;
  }
  TCustomControl::Dispatch(Message);
}

// ---- TvlSkinCustomControl ----------------------------------------------------------------------

namespace {

void SetDefaultFontValues(TFont* f) {
  f->SetName("Arial");
  f->SetStyle(TFontStyles{});
  f->SetHeight(14);
}

// The resize mode of an element's geometry (shared by both custom bases).
int ResizeModeOf(const TRect& SkinRect, TPoint RTPt, TPoint LBPt, TPoint RBPt) {
  if (IsNullRect(SkinRect)) return -1;
  if (RBPt.X != 0 && RBPt.Y != 0) return 1;
  if (RTPt.X != 0 || RTPt.Y != 0) return 2;
  if (LBPt.X != 0 || LBPt.Y != 0) return 3;
  return 0;
}

// The size rules of both custom bases. Returns false when nothing may change.
template <typename C>
void CalcSizeOf(C& c, int& W, int& H) {
  if (c.ResizeMode == -1 || c.SkinIndex() == -1) return;
  const int SW = c.SkinRect.Width(), SH = c.SkinRect.Height();
  const int dW = W - SW, dH = H - SH;
  switch (c.ResizeMode) {
    case 0:
      W = SW;
      H = SH;
      c.NewClRect = c.ClRect;
      return;
    case 1: {
      const auto g = TvlNinePartGeometry::Grown(c.LTPt, c.RTPt, c.LBPt, c.RBPt, c.ClRect, dW, dH);
      c.NewLTPoint = g.NewLTPoint;
      c.NewRTPoint = g.NewRTPoint;
      c.NewLBPoint = g.NewLBPoint;
      c.NewRBPoint = g.NewRBPoint;
      c.NewClRect = g.NewClRect;
      return;
    }
    case 2:
      H = SH;
      c.NewLTPoint = c.LTPt;
      c.NewRTPoint = TPoint{c.RTPt.X + dW, c.RTPt.Y};
      c.NewClRect = c.ClRect;
      c.NewClRect.Right += dW;
      return;
    case 3:
      W = SW;
      c.NewLTPoint = c.LTPt;
      c.NewLBPoint = TPoint{c.LBPt.X, c.LBPt.Y + dH};
      c.NewClRect = c.ClRect;
      c.NewClRect.Bottom += dH;
      return;
    default: return;
  }
}

// Copies the nine-part geometry of an element into a custom base; false when the element is
// not a nine-part kind (the control then has no picture and a fixed size).
template <typename C>
bool CopyGeometry(C& c, TvlSkinData* SD, TvlDataSkinControl* element) {
  auto* d = dynamic_cast<TvlDataSkinCustomControl*>(element);
  if (!d) {
    c.ResizeMode = 0;
    c.Picture = nullptr;
    return false;
  }
  c.LTPt = d->LTPoint;
  c.RTPt = d->RTPoint;
  c.LBPt = d->LBPoint;
  c.RBPt = d->RBPoint;
  c.SkinRect = d->SkinRect;
  c.StretchEffect = d->StretchEffect;
  c.StretchType = d->StretchType;
  c.LeftStretch = d->LeftStretch;
  c.TopStretch = d->TopStretch;
  c.RightStretch = d->RightStretch;
  c.BottomStretch = d->BottomStretch;
  c.ClRect = d->ClRect;
  c.Picture = vlSkinPicture(SD, d->PictureIndex);
  // A rectangle outside the picture draws nothing: the control shows its built-in look.
  if (c.Picture && !IsNullRect(c.SkinRect) && !RectInsidePicture(c.SkinRect, c.Picture)) c.Picture = nullptr;
  c.ResizeMode = c.GetResizeMode();
  return true;
}

// Draws rectangle R of P into B by the resize mode of c (B's size is set by the routine).
template <typename C>
void DrawByResizeMode(C& c, TBitmap* B, TBitmap* P, const TRect& R, bool composeNine) {
  if (!P) return;
  const int SW = c.SkinRect.Width(), SH = c.SkinRect.Height();
  switch (c.ResizeMode) {
    case 0: (void)CopyPiece(B, P, R); return;
    case 1:
      if (composeNine)
        ComposeSkinImage(TvlNinePartGeometry{c.LTPt, c.RTPt, c.LBPt, c.RBPt, c.ClRect, c.NewLTPoint, c.NewRTPoint,
                                             c.NewLBPoint, c.NewRBPoint, c.NewClRect},
                         B, P, R, c.Width(), c.Height(),
                         TvlStretchSides{c.LeftStretch, c.TopStretch, c.RightStretch, c.BottomStretch},
                         TvlClientFill{.Draw = true, .Stretch = c.StretchEffect, .Type = c.StretchType});
      return;
    case 2: ComposeSkinStrip(c.LTPt.X, SW - c.RTPt.X, B, P, R, c.Width(), c.Height(), c.StretchEffect); return;
    case 3: ComposeSkinStripVert(c.LTPt.Y, SH - c.LBPt.Y, B, P, R, c.Width(), c.Height(), c.StretchEffect); return;
    default: return;
  }
}

}  // namespace

TvlSkinCustomControl::TvlSkinCustomControl(TComponent* AOwner)
    : TvlSkinControl(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  SetDefaultFontValues(FDefaultFont.get());
  FDefaultFont->OnChange = [this](TObject*) { DefaultFontChanged(); };
}

TvlSkinCustomControl::~TvlSkinCustomControl() { FDefaultFont->OnChange = nullptr; }

void TvlSkinCustomControl::DefaultFontChanged() {
  ApplyDefaultFont();
  if (FIndex == -1) Repaint();
}

void TvlSkinCustomControl::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  if (FIndex == -1 && Value > 0) SetWidth(Value);
}

void TvlSkinCustomControl::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (FIndex == -1 && Value > 0) SetHeight(Value);
}

void TvlSkinCustomControl::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  ApplyDefaultFont();
}

int TvlSkinCustomControl::GetResizeMode() const { return ResizeModeOf(SkinRect, RTPt, LBPt, RBPt); }

void TvlSkinCustomControl::GetSkinData() {
  TvlSkinControl::GetSkinData();
  if (FIndex == -1) return;
  auto* element = vlControlElement(FSD, FIndex);
  if (CopyGeometry(*this, FSD, element)) MaskPicture = vlSkinPicture(FSD, element->MaskPictureIndex);
  else MaskPicture = nullptr;
}

void TvlSkinCustomControl::CalcSize(int& AWidth, int& AHeight) { CalcSizeOf(*this, AWidth, AHeight); }

void TvlSkinCustomControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  const bool changing = (AWidth != Width() || AHeight != Height()) && FIndex != -1;
  if (changing) {
    CalcSize(AWidth, AHeight);
    if (ResizeMode == 0) NewClRect = ClRect;
  }
  ATop = vlCentredTop(this, ATop, AHeight);
  TvlSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (changing) {
    SetControlRegion();
    Repaint();
  }
  if (FIndex != -1 && StretchEffect) NotifyParentMoved();
}

void TvlSkinCustomControl::ChangeSkinData() {
  GetSkinData();
  if (FIndex == -1) {
    if (FDefaultWidth > 0) SetWidth(FDefaultWidth);
    if (FDefaultHeight > 0) SetHeight(FDefaultHeight);
    SetControlRegion();
    Repaint();
    return;
  }
  int W = Width(), H = Height();
  CalcSize(W, H);
  bool resized = false;
  if (W != Width()) {
    SetWidth(W);
    resized = true;
  }
  if (H != Height()) {
    SetHeight(H);
    resized = true;
  }
  if (!resized) {
    SetControlRegion();
    Repaint();
  }
}

void TvlSkinCustomControl::CreateWnd() {
  TvlSkinControl::CreateWnd();
  // A region asked for before the window existed is handed over now.
  FRgnSet = false;
  GetSkinData();
  SetControlRegion();
}

void TvlSkinCustomControl::SetControlRegion() {
  if (!Parent() || !HandleAllocated()) return;
  if (!MaskPicture || FIndex == -1) {
    if (FRgnSet) {
      // The window frees the region it was given.
      SetWindowRgn(Handle(), nullptr, TRUE);
      FRgnSet = false;
    }
    return;
  }
  CreateControlRegion();
}

void TvlSkinCustomControl::CreateControlRegion() {
  int w = Width(), h = Height();
  CalcSize(w, h);
  const int SW = SkinRect.Width(), SH = SkinRect.Height();
  HRGN rgn = nullptr;
  switch (ResizeMode) {
    case 0: CreateRegionFromMask(rgn, MaskPicture); break;
    case 1: CreateSkinRegion(rgn, Geometry(), MaskPicture, Width(), Height()); break;
    case 2: {
      const TPoint p{RTPt.X + Width() - SW, RTPt.Y};
      CreateSkinRegion(rgn, TvlNinePartGeometry{LTPt, RTPt, LTPt, RTPt, ClRect, LTPt, p, LTPt, p, NewClRect},
                       MaskPicture, Width(), Height());
      break;
    }
    case 3: {
      const TPoint q{LBPt.X, LBPt.Y + Height() - SH};
      CreateSkinRegion(rgn, TvlNinePartGeometry{LTPt, LTPt, LBPt, LBPt, ClRect, LTPt, LTPt, q, q, NewClRect},
                       MaskPicture, Width(), Height());
      break;
    }
    default: break;  // no image, no shape
  }
  // The window takes the new region over and frees the one it had.
  if (rgn || FRgnSet) SetWindowRgn(Handle(), rgn, TRUE);
  FRgnSet = rgn != nullptr;
}

void TvlSkinCustomControl::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect{0, 0, B->Width(), B->Height()});
}

void TvlSkinCustomControl::CreateControlSkinImage(TBitmap* B) { CreateSkinImage(B, Picture, SkinRect); }

void TvlSkinCustomControl::CreateSkinImage(TBitmap* B, TBitmap* P, const TRect& R) {
  DrawByResizeMode(*this, B, P, R, !FForceBackground);
}

void TvlSkinCustomControl::MapSkinRect(const TRect& R, TRect& R2) const {
  const int dW = Width() - SkinRect.Width(), dH = Height() - SkinRect.Height();
  const int SW = SkinRect.Width(), SH = SkinRect.Height();
  R2 = R;
  auto moved = [](TRect r, int dx, int dy) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; };
  switch (ResizeMode) {
    case 1: {
      const TRect LT{0, 0, LTPt.X, LTPt.Y}, RT{RTPt.X, 0, SW, RTPt.Y}, LB{0, LBPt.Y, LBPt.X, SH},
          RB{RBPt.X, RBPt.Y, SW, SH};
      if (IsRectInRect(R, LT)) return;
      if (IsRectInRect(R, RT)) {
        R2 = moved(R, dW, 0);
        return;
      }
      if (IsRectInRect(R, LB)) {
        R2 = moved(R, 0, dH);
        return;
      }
      if (IsRectInRect(R, RB)) {
        R2 = moved(R, dW, dH);
        return;
      }
      const TPoint tl{R.Left, R.Top}, br{R.Right, R.Bottom};
      if (IsPointInRect(LT, tl) && IsPointInRect(RB, br)) {
        R2.Right += dW;
        R2.Bottom += dH;
      } else if (IsPointInRect(LT, tl) && IsPointInRect(RT, br)) {
        R2.Right += dW;
      } else if (IsPointInRect(LB, tl) && IsPointInRect(RB, br)) {
        R2.Right += dW;
        R2 = moved(R2, 0, dH);
      } else if (IsPointInRect(LT, tl) && IsPointInRect(LB, br)) {
        R2.Bottom += dH;
      } else if (IsPointInRect(RT, tl) && IsPointInRect(RB, br)) {
        R2 = moved(R2, dW, 0);
        R2.Bottom += dH;
      }
      return;
    }
    case 2:
      if (R.Left <= LTPt.X && R.Right >= RTPt.X)
        R2.Right += dW;
      else if (R.Left >= RTPt.X && R.Right > RTPt.X)
        R2 = moved(R, dW, 0);
      return;
    case 3:
      if (R.Top <= LTPt.Y && R.Bottom >= LBPt.Y)
        R2.Bottom += dH;
      else if (R.Top >= LBPt.Y && R.Bottom > LBPt.Y)
        R2 = moved(R, 0, dH);
      return;
    default: return;
  }
}

void TvlSkinCustomControl::NotifyParentMoved() {
  std::vector<TWeak<TControl>> children;
  for (int i = 0; i < ControlCount(); ++i) children.emplace_back(Controls(i));
  for (auto& child : children) {
    TControl* c = child.Get();
    if (!c) continue;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && HandleAllocated())
      SendMessage(w->Handle(), WM_vlParentMoved, 0, 0);
    else
      c->Perform(WM_vlParentMoved, 0, 0);
  }
}

void TvlSkinCustomControl::PaintClientTexture(const TRect& Target) {
  const TRect piece{SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                    SkinRect.Top + ClRect.Bottom};
  TBitmap source, texture;
  if (!CopyPiece(&source, Picture, piece) || IsNullRect(Target)) return;
  if (StretchEffect)
    StretchOver(&texture, &source, Target.Width(), Target.Height(), StretchType);
  else
    TileOver(&texture, &source, Target.Width(), Target.Height());
  if (!texture.Empty()) Canvas()->Draw(Target.Left, Target.Top, &texture);
}

void TvlSkinCustomControl::Paint() {
  if (Width() < 1 || Height() < 1) return;
  GetSkinData();
  int w = Width(), h = Height();
  CalcSize(w, h);
  if (FIndex == -1 || !FForceBackground || ResizeMode != 1 || !Picture) {
    TvlSkinControl::Paint();
    return;
  }
  TBitmap left, top, right, bottom;
  ComposeSkinBorders(Geometry(), TvlBorderPieces{.Left = &left, .Top = &top, .Right = &right, .Bottom = &bottom},
                     Picture, SkinRect, Width(), Height(), Sides());
  if (!top.Empty()) CreateControlSkinImage(&top);
  if (FDrawbackground) {
    HDC dc = Canvas()->Handle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, NewClRect.Left, NewClRect.Top, NewClRect.Right, NewClRect.Bottom);
    PaintClientTexture(NewClRect);
    RestoreDC(dc, saved);
  }
  TCanvas* c = Canvas();
  if (!top.Empty()) c->Draw(0, 0, &top);
  if (!left.Empty()) c->Draw(0, top.Height(), &left);
  if (!right.Empty()) c->Draw(Width() - right.Width(), top.Height(), &right);
  if (!bottom.Empty()) c->Draw(0, Height() - bottom.Height(), &bottom);
}

// ---- TvlGraphicSkinControl ---------------------------------------------------------------------

TvlGraphicSkinControl::TvlGraphicSkinControl(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(TControlStyle(ControlStyle()).Include(TControlStyleFlag::csOpaque));
}

TvlGraphicSkinControl::~TvlGraphicSkinControl() {
  ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr));
  ReplaceReference(FHintImageList, static_cast<TCustomImageList*>(nullptr));
}

void TvlGraphicSkinControl::SetSkinData(TvlSkinData* Value) {
  ReplaceReference(FSD, Value);
  if (FSD && !FSD->Empty) ChangeSkinData();
}

void TvlGraphicSkinControl::SetHintImageList(TCustomImageList* Value) { ReplaceReference(FHintImageList, Value); }

void TvlGraphicSkinControl::GetSkinData() { FIndex = vlFindControlElement(FSD, SkinDataName); }

void TvlGraphicSkinControl::ChangeSkinData() {
  GetSkinData();
  Repaint();
}

void TvlGraphicSkinControl::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FHintImageList) FHintImageList = nullptr;
}

void TvlGraphicSkinControl::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (b.Empty()) return;
  if (FIndex == -1 || !SkinLookAvailable())
    CreateControlDefaultImage(&b);
  else
    CreateControlSkinImage(&b);
  Canvas()->Draw(0, 0, &b);
}

// ---- TvlGraphicSkinCustomControl ---------------------------------------------------------------

TvlGraphicSkinCustomControl::TvlGraphicSkinCustomControl(TComponent* AOwner)
    : TvlGraphicSkinControl(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  SetDefaultFontValues(FDefaultFont.get());
  FDefaultFont->OnChange = [this](TObject*) {
    ApplyDefaultFont();
    if (FIndex == -1) Repaint();
  };
}

TvlGraphicSkinCustomControl::~TvlGraphicSkinCustomControl() { FDefaultFont->OnChange = nullptr; }

void TvlGraphicSkinCustomControl::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  if (FIndex == -1 && Value > 0) SetWidth(Value);
}

void TvlGraphicSkinCustomControl::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (FIndex == -1 && Value > 0) SetHeight(Value);
}

void TvlGraphicSkinCustomControl::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  ApplyDefaultFont();
}

int TvlGraphicSkinCustomControl::GetResizeMode() const { return ResizeModeOf(SkinRect, RTPt, LBPt, RBPt); }

void TvlGraphicSkinCustomControl::GetSkinData() {
  TvlGraphicSkinControl::GetSkinData();
  if (FIndex == -1) return;
  CopyGeometry(*this, FSD, vlControlElement(FSD, FIndex));
}

void TvlGraphicSkinCustomControl::CalcSize(int& AWidth, int& AHeight) { CalcSizeOf(*this, AWidth, AHeight); }

void TvlGraphicSkinCustomControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  const bool changing = (AWidth != Width() || AHeight != Height()) && FIndex != -1;
  if (changing) {
    CalcSize(AWidth, AHeight);
    if (ResizeMode == 0) NewClRect = ClRect;
  }
  ATop = vlCentredTop(this, ATop, AHeight);
  TvlGraphicSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (changing) Repaint();
}

void TvlGraphicSkinCustomControl::ChangeSkinData() {
  GetSkinData();
  if (FIndex == -1) {
    if (FDefaultWidth > 0) SetWidth(FDefaultWidth);
    if (FDefaultHeight > 0) SetHeight(FDefaultHeight);
    Repaint();
    return;
  }
  int W = Width(), H = Height();
  CalcSize(W, H);
  if (W == Width() && H == Height()) {
    Repaint();
    return;
  }
  if (W != Width()) SetWidth(W);
  if (H != Height()) SetHeight(H);
}

void TvlGraphicSkinCustomControl::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect{0, 0, B->Width(), B->Height()});
}

void TvlGraphicSkinCustomControl::CreateControlSkinImage(TBitmap* B) { CreateSkinImage(B, Picture, SkinRect); }

void TvlGraphicSkinCustomControl::CreateSkinImage(TBitmap* B, TBitmap* P, const TRect& R) {
  DrawByResizeMode(*this, B, P, R, true);
}
