// The non-client frame of a skinned form: the skin geometry moved to the form's size, the size
// limits, the client rectangle, hit testing, the places of the caption objects, the painting of
// the skinned and the built-in frame, the window region cut from the mask, and the client
// backgrounds.
//
// Skinned frame (window coordinates; dx, dy = form size minus picture size):
//
//   0    LTPoint.X            RTPoint.X+dx   FFormWidth
//   +--------+-------------------+--------+ 0
//   |        caption band (top piece)     |
//   +--+-----------------------------+--+ NewClRect.Top
//   |L |          client             |R |
//   +--+-----------------------------+--+ NewClRect.Bottom
//   |          bottom piece               |
//   +-------------------------------------+ FFormHeight
//
// Each piece is composed for the current size from the frame picture and drawn with one blit;
// the client rectangle is clipped out, so a frame paint never touches the client area.

#include <algorithm>

#include "lib/forms/Velmora.h"
#include "lib/drawing/vlEffects.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Painting.h"
#include "platform/graphics/Region.h"
#include "platform/windowing/Screen.h"
#include "platform/graphics/Surface.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

// The built-in look: a 3-pixel frame, buttons 4 pixels from the top.
constexpr int kDefFrame = 3;
constexpr int kDefButtonTop = 4;

// The pixel of a mask strip; a point outside the strip is not black.
bool MaskBlack(TBitmap* Mask, int X, int Y) {
  if (!Mask || Mask->Empty()) return false;
  const std::shared_ptr<PixelSurface>& s = Mask->Surface();
  if (X < 0 || Y < 0 || X >= s->Width() || Y >= s->Height()) return false;
  return (s->PixelAt(X, Y) & 0x00FFFFFFu) == 0;
}

// The region of a mask strip's black pixels at (X, Y); nullptr for an empty strip.
HRGN StripRegion(TBitmap* Strip, int X, int Y) {
  if (!Strip || Strip->Empty()) return nullptr;
  const std::vector<std::uint8_t> data = BuildMaskRegionData(Strip, X, Y);
  if (data.empty()) return nullptr;
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
}

// The command of a standard button or an animation; false for the other kinds.
bool CommandOf(TvlActiveSkinObject* O, TvlStdCommand& Command) {
  if (auto* b = dynamic_cast<TvlSkinStdButtonObject*>(O)) {
    Command = b->Command;
    return true;
  }
  if (auto* a = dynamic_cast<TvlSkinAnimateObject*>(O)) {
    Command = a->Command;
    return true;
  }
  return false;
}

// The small icon's size, or the caption button's when the system has none.
TSize SmallIconSize() {
  int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
  if (w == 0) w = GetSystemMetrics(SM_CXSIZE);
  if (h == 0) h = GetSystemMetrics(SM_CYSIZE);
  return TSize{w, h};
}

// A one-pixel ring inside R: TopLeft on the top and left edges, BottomRight on the others.
void Ring(TCanvas* C, const TRect& R, TColor TopLeft, TColor BottomRight) {
  if (R.Width() <= 0 || R.Height() <= 0) return;
  C->Pen()->SetWidth(1);
  C->Pen()->SetColor(TopLeft);
  C->MoveTo(R.Left, R.Bottom - 1);
  C->LineTo(R.Left, R.Top);
  C->LineTo(R.Right, R.Top);
  C->Pen()->SetColor(BottomRight);
  C->MoveTo(R.Right - 1, R.Top + 1);
  C->LineTo(R.Right - 1, R.Bottom - 1);
  C->LineTo(R.Left - 1, R.Bottom - 1);
}

// A canvas bound to a device context for one drawing pass.
class DCCanvas {
 public:
  explicit DCCanvas(HDC DC) { canvas_.SetHandle(DC); }
  ~DCCanvas() { canvas_.SetHandle(nullptr); }
  DCCanvas(const DCCanvas&) = delete;
  DCCanvas& operator=(const DCCanvas&) = delete;
  TCanvas* operator->() { return &canvas_; }
  TCanvas* Get() { return &canvas_; }

 private:
  TCanvas canvas_;
};

// The target of a frame paint: the device context handed in, or the form's window context
// (released afterwards). The clip is restored either way.
class FrameDC {
 public:
  FrameDC(HWND Wnd, HDC External, bool UseExternal)
      : wnd_(UseExternal ? nullptr : Wnd), dc_(UseExternal ? External : (Wnd ? GetWindowDC(Wnd) : nullptr)) {
    if (dc_) saved_ = SaveDC(dc_);
  }
  ~FrameDC() {
    if (!dc_) return;
    RestoreDC(dc_, saved_);
    if (wnd_) ReleaseDC(wnd_, dc_);
  }
  FrameDC(const FrameDC&) = delete;
  FrameDC& operator=(const FrameDC&) = delete;
  [[nodiscard]] HDC Get() const { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
  int saved_ = 0;
};

}  // namespace

// ---- Geometry ---------------------------------------------------------------------------------------

int TvlVelmora::DefCaptionHeight() const {
  const TFormBorderStyle b = FForm->BorderStyle();
  return b == TFormBorderStyle::bsToolWindow || b == TFormBorderStyle::bsSizeToolWin ? 15 : 19;
}

int TvlVelmora::DefButtonSize() const {
  const TFormBorderStyle b = FForm->BorderStyle();
  return b == TFormBorderStyle::bsToolWindow || b == TFormBorderStyle::bsSizeToolWin ? 13 : 17;
}

bool TvlVelmora::CanResizeForm() const {
  const TFormBorderStyle b = FForm->BorderStyle();
  return AlwaysResize || b == TFormBorderStyle::bsSizeable || b == TFormBorderStyle::bsSizeToolWin;
}

TBitmap* TvlVelmora::FramePicture() const {
  if (!GetFormActive() && FSD->FInActivePicture && !FSD->FInActivePicture->Empty()) return FSD->FInActivePicture.get();
  return FSD->FPicture.get();
}

void TvlVelmora::CalcSkinGeometry() {
  if (FFormWidth == 0) FFormWidth = FForm->Width();
  if (FFormHeight == 0) FFormHeight = FForm->Height();
  if (!SkinUsable()) return;
  const TvlSkinData& s = *FSD;
  const int pw = s.FPicture->Width();
  const int dx = FFormWidth - pw, dy = FFormHeight - s.FPicture->Height();
  NewLTPoint = s.LTPoint;
  NewRTPoint = TPoint{s.RTPoint.X + dx, s.RTPoint.Y};
  NewLBPoint = TPoint{s.LBPoint.X, s.LBPoint.Y + dy};
  NewRBPoint = TPoint{s.RBPoint.X + dx, s.RBPoint.Y + dy};
  NewClRect = TRect{s.ClRect.Left, s.ClRect.Top, s.ClRect.Right + dx, s.ClRect.Bottom + dy};
  NewCaptionRect = s.CaptionRect;
  if (!IsNullRect(NewCaptionRect)) NewCaptionRect.Right += dx;
  NewButtonsRect = s.ButtonsRect;
  NewButtonsInLeft = s.CapButtonsInLeft;
  // A button row on the right half of the picture stays with the right edge.
  if (!IsNullRect(NewButtonsRect) && pw / 2 < NewButtonsRect.Left) {
    NewButtonsRect.Left += dx;
    NewButtonsRect.Right += dx;
  }
  NewButtonsOffset = s.ButtonsOffset;
  NewHitTestLTPoint = s.HitTestLTPoint;
  NewHitTestRTPoint = TPoint{s.HitTestRTPoint.X + dx, s.HitTestRTPoint.Y};
  NewHitTestLBPoint = TPoint{s.HitTestLBPoint.X, s.HitTestLBPoint.Y + dy};
  NewHitTestRBPoint = TPoint{s.HitTestRBPoint.X + dx, s.HitTestRBPoint.Y + dy};
  NewMaskRectArea = TRect{s.MaskRectArea.Left, s.MaskRectArea.Top, s.MaskRectArea.Right + dx, s.MaskRectArea.Bottom + dy};
}

TRect TvlVelmora::FrameClientRect() const {
  return TRect{kDefFrame, DefCaptionHeight() + kDefFrame, FFormWidth - kDefFrame, FFormHeight - kDefFrame};
}

void TvlVelmora::WMNCCalcSize(TMessage& M) {
  if (IsMaximizedMDIChild() || !HasBorder() || !M.LParam) return;
  TRect* r = M.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)->rgrc[0] : reinterpret_cast<TRect*>(M.LParam);
  if (SkinUsable()) {
    CalcSkinGeometry();
    const TRect& cl = FSD->ClRect;
    r->Left += cl.Left;
    r->Top += cl.Top;
    r->Right -= FSD->FPicture->Width() - cl.Right;
    r->Bottom -= FSD->FPicture->Height() - cl.Bottom;
  } else {
    r->Left += kDefFrame;
    r->Top += DefCaptionHeight() + kDefFrame;
    r->Right -= kDefFrame;
    r->Bottom -= kDefFrame;
  }
  if (r->Right < r->Left) r->Right = r->Left;
  if (r->Bottom < r->Top) r->Bottom = r->Top;
}

// ---- Size limits -------------------------------------------------------------------------------------

int TvlVelmora::GetMinWidth() {
  if (!FSkinSupport) return MinWidth > 0 ? MinWidth : 120;
  const int pw = FSD->FPicture->Width();
  const bool minimized = FWindowState == TWindowState::wsMinimized;
  if (pw < MinWidth && !minimized) return MinWidth;
  if (FSD->FormMinWidth > 0) return FSD->FormMinWidth >= MinWidth || minimized ? FSD->FormMinWidth : MinWidth;
  return pw;
}

int TvlVelmora::GetMinHeight() {
  const int h = FSkinSupport ? FSD->FPicture->Height() - RectHeight(FSD->ClRect) : DefCaptionHeight() + 2 * kDefFrame;
  if (h < MinHeight && !FRollUpState && FWindowState != TWindowState::wsMinimized) return MinHeight;
  return h;
}

int TvlVelmora::GetMaxWidth() {
  if (MaxWidth != 0) return MaxWidth;
  TRect r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetMonitorWorkArea(FForm->HandleAllocated() ? FForm->Handle() : nullptr, !MaximizeOnFullScreen, r);
  return r.Width();
}

int TvlVelmora::GetMaxHeight() {
  if (MaxHeight != 0) return MaxHeight;
  TRect r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetMonitorWorkArea(FForm->HandleAllocated() ? FForm->Handle() : nullptr, !MaximizeOnFullScreen, r);
  return r.Height();
}

// ---- Hit testing --------------------------------------------------------------------------------------

void TvlVelmora::ScreenToFormPoint(TPoint& P) {
  if (IsMDIChild()) {
    P = FForm->ScreenToClient(P);
    if (FSkinSupport)
      P = TPoint{P.X + NewClRect.Left, P.Y + NewClRect.Top};
    else
      P = TPoint{P.X + kDefFrame, P.Y + DefCaptionHeight() + kDefFrame};
    return;
  }
  P = TPoint{P.X - FForm->Left(), P.Y - FForm->Top()};
}

bool TvlVelmora::CaptionObjectHit(TPoint P) {
  for (const auto& o : ObjectList) {
    if (!dynamic_cast<TvlSkinCaptionObject*>(o.get()) || !o->ObjectRect.Contains(P)) continue;
    // The quick buttons' strip at the caption's left is no caption: it takes clicks.
    if (FQuickButtons->Count() > 0 && FQuickImageList)
      return P.X > o->ObjectRect.Left + FQuickButtons->Count() * (FQuickImageList->Width() + 8);
    return true;
  }
  return false;
}

bool TvlVelmora::IsMaskPointSolid(TPoint P) {
  const TRect& a = NewMaskRectArea;
  if (a.Contains(P)) return true;
  if (P.Y <= a.Top) return MaskBlack(RMTop.get(), P.X, P.Y);
  if (P.Y < a.Bottom) {
    if (P.X >= a.Right) return MaskBlack(RMRight.get(), P.X - a.Right, P.Y - a.Top);
    return MaskBlack(RMLeft.get(), P.X, P.Y - a.Top);
  }
  return MaskBlack(RMBottom.get(), P.X, P.Y - a.Bottom);
}

bool TvlVelmora::IsNearFrameEdge(TPoint P) {
  const int b = FSD->BorderW;
  const TPoint probes[] = {{P.X - b, P.Y}, {P.X, P.Y - b}, {P.X + b, P.Y}, {P.X, P.Y + b}};
  if (FSD->FMask->Empty()) {
    const TRect form{0, 0, FFormWidth, FFormHeight};
    return std::any_of(std::begin(probes), std::end(probes), [&](TPoint q) { return !form.Contains(q); });
  }
  if (NewMaskRectArea.Contains(P)) return false;
  return std::any_of(std::begin(probes), std::end(probes), [&](TPoint q) { return !IsMaskPointSolid(q); });
}

LRESULT TvlVelmora::SkinHitTest(TPoint P) {
  const auto inner = [&] {
    if (NewClRect.Contains(P)) return HTCLIENT;
    return CaptionObjectHit(P) ? HTCAPTION : HTOBJECT;
  };
  if (FRollUpState || FWindowState == TWindowState::wsMinimized) return CaptionObjectHit(P) ? HTCAPTION : HTOBJECT;
  // A caption button under the pointer wins over any border, even at the frame's edge.
  if (ActiveObject != -1 && !CaptionObjectHit(P) && !NewClRect.Contains(P) && !FSizeMove) return HTOBJECT;
  if (FWindowState == TWindowState::wsMaximized || !CanResizeForm() || !IsNearFrameEdge(P)) return inner();
  const int x = P.X, y = P.Y;
  if (x <= NewHitTestLTPoint.X && y <= NewHitTestLTPoint.Y) return HTTOPLEFT;
  if (x >= NewHitTestRTPoint.X && y <= NewHitTestRTPoint.Y) return HTTOPRIGHT;
  if (x <= NewHitTestLBPoint.X && y >= NewHitTestLBPoint.Y) return HTBOTTOMLEFT;
  if (x >= NewHitTestRBPoint.X && y >= NewHitTestRBPoint.Y) return HTBOTTOMRIGHT;
  if (TRect{NewHitTestLTPoint.X, 0, NewHitTestRTPoint.X, NewClRect.Top}.Contains(P)) return HTTOP;
  if (TRect{NewHitTestLBPoint.X, NewClRect.Bottom, NewHitTestRBPoint.X, FFormHeight}.Contains(P)) return HTBOTTOM;
  if (TRect{0, NewHitTestLTPoint.Y, NewClRect.Left, NewHitTestLBPoint.Y}.Contains(P)) return HTLEFT;
  if (TRect{NewClRect.Right, NewHitTestRTPoint.Y, FFormWidth, NewHitTestRBPoint.Y}.Contains(P)) return HTRIGHT;
  return inner();
}

LRESULT TvlVelmora::DefaultHitTest(TPoint P) {
  CalcDefRects();
  const int w = FForm->Width(), h = FForm->Height();
  const auto inner = [&] {
    if (NewDefCaptionRect.Contains(P)) return HTCAPTION;
    if (TRect{kDefFrame, DefCaptionHeight() + kDefFrame, w - kDefFrame, h - kDefFrame}.Contains(P)) return HTCLIENT;
    return HTOBJECT;
  };
  if (FWindowState != TWindowState::wsNormal || FRollUpState || !CanResizeForm()) return inner();
  if (ActiveObject != -1) return HTOBJECT;
  const int x = P.X, y = P.Y, e = kDefFrame - 1;
  if (x <= e && y <= e) return HTTOPLEFT;
  if (x >= w - e && y <= e) return HTTOPRIGHT;
  if (x <= e && y >= h - e) return HTBOTTOMLEFT;
  if (x >= w - e && y >= h - e) return HTBOTTOMRIGHT;
  if (x <= e) return HTLEFT;
  if (y <= e) return HTTOP;
  if (x >= w - e) return HTRIGHT;
  if (y >= h - e) return HTBOTTOM;
  return inner();
}

// ---- Caption object places -------------------------------------------------------------------------

TRect TvlVelmora::RelocateSkinRect(const TRect& R) const {
  const int pw = FSD->FPicture->Width(), ph = FSD->FPicture->Height();
  const TPoint lt = FSD->LTPoint, rt = FSD->RTPoint, lb = FSD->LBPoint, rb = FSD->RBPoint;
  const TRect tlZone{0, 0, lt.X, lt.Y}, trZone{rt.X, 0, pw, rt.Y}, blZone{0, lb.Y, lb.X, ph}, brZone{rb.X, rb.Y, pw, ph};
  const int dx = NewRBPoint.X - rb.X, dy = NewRBPoint.Y - rb.Y;
  const auto moved = [](TRect r, int mx, int my) { return TRect{r.Left + mx, r.Top + my, r.Right + mx, r.Bottom + my}; };
  const TPoint a{R.Left, R.Top}, b{R.Right, R.Bottom};
  if (IsRectInRect(R, tlZone)) return R;
  if (IsRectInRect(R, trZone)) return moved(R, dx, 0);
  if (IsRectInRect(R, blZone)) return moved(R, 0, dy);
  if (IsRectInRect(R, brZone)) return moved(R, dx, dy);
  if (tlZone.Contains(a) && brZone.Contains(b)) return TRect{R.Left, R.Top, R.Right + dx, R.Bottom + dy};
  if (tlZone.Contains(a) && trZone.Contains(b)) return TRect{R.Left, R.Top, R.Right + dx, R.Bottom};
  if (blZone.Contains(a) && brZone.Contains(b)) return TRect{R.Left, R.Top + dy, R.Right + dx, R.Bottom + dy};
  if (tlZone.Contains(a) && blZone.Contains(b)) return TRect{R.Left, R.Top, R.Right, R.Bottom + dy};
  if (trZone.Contains(a) && brZone.Contains(b)) return TRect{R.Left + dx, R.Top, R.Right + dx, R.Bottom + dy};
  return R;
}

void TvlVelmora::LayoutCaptionObjects() {
  if (!SkinUsable()) return;
  for (const auto& o : ObjectList)
    if (!o->SkinRectInAPicture) o->ObjectRect = RelocateSkinRect(o->SkinRect);

  const bool buttonsRow = !IsNullRect(NewButtonsRect);
  if (!buttonsRow && IsNullRect(NewCaptionRect)) return;
  const TRect row = buttonsRow ? NewButtonsRect : NewCaptionRect;
  const int top = row.Top, gap = NewButtonsOffset;
  const bool leftwards = !NewButtonsInLeft;
  int x = leftwards ? row.Right : row.Left;

  TvlActiveSkinObject* caption = nullptr;
  TvlActiveSkinObject* sysMenu = nullptr;
  std::vector<TvlActiveSkinObject*> rowObjects;
  const auto inRow = [](TvlActiveSkinObject* o, TvlStdCommand c) {
    TvlStdCommand oc{};
    return o->Visible && o->SkinRectInAPicture && CommandOf(o, oc) && oc == c;
  };
  for (TvlStdCommand c : {TvlStdCommand::cmClose, TvlStdCommand::cmMaximize, TvlStdCommand::cmMinimize,
                          TvlStdCommand::cmRollUp, TvlStdCommand::cmMinimizeToTray}) {
    for (const auto& o : ObjectList)
      if (inRow(o.get(), c)) {
        rowObjects.push_back(o.get());
        break;
      }
  }
  for (const auto& o : ObjectList) {
    if (inRow(o.get(), TvlStdCommand::cmDefault)) rowObjects.push_back(o.get());
    if (!caption && dynamic_cast<TvlSkinCaptionObject*>(o.get())) caption = o.get();
    if (!sysMenu && inRow(o.get(), TvlStdCommand::cmSysMenu)) sysMenu = o.get();
  }

  const auto sizeOf = [&](TvlActiveSkinObject* o) {
    if (FShowIcon && dynamic_cast<TvlSkinStdButtonObject*>(o) && o == sysMenu) return SmallIconSize();
    return TSize{RectWidth(o->SkinRect), RectHeight(o->SkinRect)};
  };
  const auto place = [&](TvlActiveSkinObject* o, int rowTop) {
    const TSize s = sizeOf(o);
    if (leftwards) {
      o->ObjectRect = TRect{x - s.cx, rowTop, x, rowTop + s.cy};
      x -= s.cx + gap;
    } else {
      o->ObjectRect = TRect{x, rowTop, x + s.cx, rowTop + s.cy};
      x += s.cx + gap;
    }
  };
  for (TvlActiveSkinObject* o : rowObjects) place(o, top);
  if (!leftwards && !buttonsRow && sysMenu) place(sysMenu, top);
  if (!buttonsRow && caption) {
    if (leftwards)
      caption->ObjectRect.Right = x + gap;
    else
      caption->ObjectRect.Left = x + gap;
  }
  if (leftwards && sysMenu) {
    // The system-menu button starts the caption, centred on it.
    const TSize s = sizeOf(sysMenu);
    x = NewCaptionRect.Left;
    sysMenu->ObjectRect.Left = x;
    sysMenu->ObjectRect.Right = x + s.cx;
    sysMenu->ObjectRect.Top = NewCaptionRect.Top + RectHeight(NewCaptionRect) / 2 - s.cy / 2;
    sysMenu->ObjectRect.Bottom = sysMenu->ObjectRect.Top + s.cy;
    x += s.cx + gap;
    if (caption) caption->ObjectRect.Left = x - gap;
  }
}

void TvlVelmora::CalcDefRects() {
  if (FFormWidth == 0) FFormWidth = FForm->Width();
  if (FFormHeight == 0) FFormHeight = FForm->Height();
  NewDefCaptionRect = TRect{kDefFrame, kDefFrame, FFormWidth - kDefFrame, kDefFrame + DefCaptionHeight()};
  int x = FFormWidth - kDefFrame;
  const int s = DefButtonSize();
  const auto button = [&](TvlStdCommand c) -> TvlSkinStdButtonObject* {
    for (const auto& o : ObjectList)
      if (auto* b = dynamic_cast<TvlSkinStdButtonObject*>(o.get()); b && b->Command == c && b->Visible && b->SkinRectInAPicture)
        return b;
    return nullptr;
  };
  for (TvlStdCommand c : {TvlStdCommand::cmClose, TvlStdCommand::cmMaximize, TvlStdCommand::cmMinimize,
                          TvlStdCommand::cmRollUp, TvlStdCommand::cmMinimizeToTray}) {
    if (TvlSkinStdButtonObject* b = button(c)) {
      b->ObjectRect = TRect{x - s, kDefButtonTop, x, kDefButtonTop + s};
      x -= s;
    }
  }
  NewDefCaptionRect.Right = x;
  if (TvlSkinStdButtonObject* b = button(TvlStdCommand::cmSysMenu)) {
    const TSize size = FShowIcon ? SmallIconSize() : TSize{s, s};
    const int l = NewDefCaptionRect.Left;
    b->ObjectRect = TRect{l, kDefButtonTop, l + size.cx, kDefButtonTop + size.cy};
    NewDefCaptionRect.Left = l + size.cx;
  }
}

// ---- Layout and region ----------------------------------------------------------------------------------

void TvlVelmora::UpdateSkinLayout() {
  if (Designing() || !SkinUsable()) return;
  if (FSkinnableForm) {
    CalcSkinGeometry();
    LayoutCaptionObjects();
  }
  UpdateFormRegion();
  if (!FRegionSet && FSkinnableForm && HasBorder()) SendNCPaint();
  if (FSkinSupport && FSD->StretchEffect) {
    RepaintForm();
    for (int i = 0; i < FForm->ControlCount(); ++i)
      if (auto* w = dynamic_cast<TWinControl*>(FForm->Controls(i))) w->Perform(WM_vlParentMoved, 0, 0);
  }
}

void TvlVelmora::UpdateFormRegion() {
  if (!FSkinnableForm || !HasBorder()) {
    if (FRegionSet && FForm->HandleAllocated()) SetWindowRgn(FForm->Handle(), nullptr, TRUE);
    FRegionSet = false;
    return;
  }
  // The region belongs to the window, which is made now when it does not exist yet.
  HWND h = FForm->Handle();
  if (FFormWidth == 0) FFormWidth = FForm->Width();
  if (FFormHeight == 0) FFormHeight = FForm->Height();
  HRGN rgn = nullptr;
  if (!SkinUsable()) {
    for (TBitmap* strip : {RMTop.get(), RMBottom.get(), RMLeft.get(), RMRight.get()}) strip->SetSize(0, 0);
    rgn = CreateRectRgn(0, 0, FFormWidth, FFormHeight);
  } else if (FSD->FMask->Empty() || IsMaximizedMDIChild()) {
    rgn = CreateRectRgn(0, 0, FFormWidth, FFormHeight);
  } else {
    const TvlSkinData& s = *FSD;
    const TvlNinePartGeometry g{s.LTPoint,  s.RTPoint,  s.LBPoint,  s.RBPoint,  s.MaskRectArea,
                                NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewMaskRectArea};
    ComposeMaskBorders(g, s.FMask.get(),
                       TvlBorderPieces{.Left = RMLeft.get(), .Top = RMTop.get(), .Right = RMRight.get(), .Bottom = RMBottom.get()},
                       FFormWidth);
    rgn = CreateRectRgnIndirect(&NewMaskRectArea);
    const std::pair<TBitmap*, TPoint> strips[] = {{RMTop.get(), {0, 0}},
                                                  {RMBottom.get(), {0, NewMaskRectArea.Bottom}},
                                                  {RMLeft.get(), {0, NewMaskRectArea.Top}},
                                                  {RMRight.get(), {NewMaskRectArea.Right, NewMaskRectArea.Top}}};
    for (const auto& [strip, at] : strips) {
      HRGN piece = StripRegion(strip, at.X, at.Y);
      if (!piece) continue;
      CombineRgn(rgn, rgn, piece, RGN_OR);
      DeleteObject(piece);
    }
  }
  // The window takes the region over.
  SetWindowRgn(h, rgn, TRUE);
  FRegionSet = true;
}

// ---- Frame painting -----------------------------------------------------------------------------------------

void TvlVelmora::PaintFrameBitmaps(HDC DC, TBitmap* Top, TBitmap* Left, TBitmap* Right, TBitmap* Bottom) {
  const int th = Top->Height();
  const std::pair<TBitmap*, TPoint> pieces[] = {{Top, {0, 0}},
                                                {Left, {0, th}},
                                                {Right, {FFormWidth - Right->Width(), th}},
                                                {Bottom, {0, FFormHeight - Bottom->Height()}}};
  const bool effect = !GetFormActive() && FSD->AutoRenderingInActiveImage;
  for (const auto& [b, at] : pieces) {
    if (b->Empty()) continue;
    if (effect) {
      std::unique_ptr<TvlEffectBmp> e = TvlEffectBmp::CreateFromhWnd(b->Handle());
      if (!e) continue;
      vlApplyInActiveEffect(e.get(), FSD->InActiveEffect);
      e->Draw(DC, at.X, at.Y);
    } else {
      BitBlt(DC, at.X, at.Y, b->Width(), b->Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
  }
}

void TvlVelmora::PaintNCSkin(HDC ADC, bool AUseExternalDC) {
  if (FFormWidth == 0) FFormWidth = FForm->Width();
  if (FFormHeight == 0) FFormHeight = FForm->Height();
  if (!SkinUsable() || FFormWidth < GetMinWidth() || FFormHeight < GetMinHeight()) return;
  CalcSkinGeometry();
  LayoutCaptionObjects();
  TBitmap* picture = FramePicture();
  const TvlSkinData& s = *FSD;
  TBitmap top, left, right, bottom;
  ComposeSkinBorders(TvlNinePartGeometry{s.LTPoint, s.RTPoint, s.LBPoint, s.RBPoint, s.ClRect, NewLTPoint, NewRTPoint,
                                         NewLBPoint, NewRBPoint, NewClRect},
                     TvlBorderPieces{.Left = &left, .Top = &top, .Right = &right, .Bottom = &bottom}, picture,
                     TRect{0, 0, picture->Width(), picture->Height()}, FFormWidth, FFormHeight,
                     TvlStretchSides{s.LeftStretch, s.TopStretch, s.RightStretch, s.BottomStretch});
  for (const auto& o : ObjectList) {
    if (!o->Visible) continue;
    if (o->ObjectRect.Bottom <= NewClRect.Top) {
      if (!top.Empty()) o->Draw(top.Canvas(), false);
    } else if (!bottom.Empty()) {
      // The bottom piece starts at the client's bottom edge.
      const TRect kept = o->ObjectRect;
      o->ObjectRect = TRect{kept.Left, kept.Top - NewClRect.Bottom, kept.Right, kept.Bottom - NewClRect.Bottom};
      o->Draw(bottom.Canvas(), false);
      o->ObjectRect = kept;
    }
  }
  FrameDC dc(FForm->HandleAllocated() ? FForm->Handle() : nullptr, ADC, AUseExternalDC);
  if (!dc.Get()) return;
  if (NewClRect.Bottom > NewClRect.Top)
    ExcludeClipRect(dc.Get(), NewClRect.Left, NewClRect.Top, NewClRect.Right, NewClRect.Bottom);
  PaintFrameBitmaps(dc.Get(), &top, &left, &right, &bottom);
}

std::string TvlVelmora::DefaultCaptionText() const {
  std::string text = FForm->Caption();
  if (!IsMDIParent() || !FMDIChildMaximized) return text;
  for (int i = 0; i < FForm->MDIChildCount(); ++i) {
    TCustomForm* child = FForm->MDIChildren(i);
    if (TvlVelmora* s = vlFindSkinForm(child); s && s->WindowState() == TWindowState::wsMaximized)
      return text + " - [" + child->Caption() + "]";
  }
  return text;
}

void TvlVelmora::DrawDefaultCaption(TCanvas* C) {
  const int ch = DefCaptionHeight();
  const int cl = NewDefCaptionRect.Left - kDefFrame, cr = NewDefCaptionRect.Right - kDefFrame;
  // Engraved lines across the caption, stopped around the text below.
  if (ch >= 6) {
    C->Pen()->SetWidth(1);
    for (int i = 0; i < ch - 5; ++i) {
      C->Pen()->SetColor(i % 2 == 0 ? clBtnHighlight : clBtnShadow);
      C->MoveTo(cl + 2, 2 + i);
      C->LineTo(cr - 3, 2 + i);
    }
  }
  const bool active = GetFormActive();
  C->SetFont(active ? FDefCaptionFont.get() : FDefInActiveCaptionFont.get());
  if (FSD && FSD->ResourceStrData()) C->Font()->SetCharset(FSD->ResourceStrData()->CharSet);
  if (OnCaptionPaint) {
    OnCaptionPaint(C, TRect{cl, 0, cr, ch}, active);
    return;
  }
  std::string text = DefaultCaptionText();
  if (text.empty()) return;
  const int room = cr - cl + 3;
  FitTextWithEllipsisW(C, text, room);
  TRect r{0, 0, 0, 0};
  DrawTextWide(C, text, r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  const int tw = r.Width(), th = r.Height();
  const int x = cl + room / 2 - (tw + 5) / 2, y = ch / 2 - th / 2;
  r = TRect{x, y, x + tw, y + th};
  C->Brush()->SetColor(clBtnFace);
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->FillRect(TRect{r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 2});
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawTextWide(C, text, r, FForm->DrawTextBiDiModeFlags(DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX));
}

void TvlVelmora::PaintNCDefault(HDC ADC, bool AUseExternalDC) {
  if (FSD && FSD->ChangeSkinDataProcess) return;
  if (FFormWidth == 0) FFormWidth = FForm->Width();
  if (FFormHeight == 0) FFormHeight = FForm->Height();
  if (ObjectList.empty()) CreateDefaultObjects();
  CalcDefRects();
  const int ch = DefCaptionHeight();
  TBitmap caption;
  caption.SetPixelFormat(TPixelFormat::pf32bit);
  caption.SetSize(std::max(0, FFormWidth - 2 * kDefFrame), ch);
  if (!caption.Empty()) {
    TCanvas* c = caption.Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(TRect{0, 0, caption.Width(), ch});
    DrawDefaultCaption(c);
    for (const auto& o : ObjectList) {
      if (!o->Visible) continue;
      const TRect kept = o->ObjectRect;
      o->ObjectRect = TRect{kept.Left - kDefFrame, kept.Top - kDefFrame, kept.Right - kDefFrame, kept.Bottom - kDefFrame};
      o->Draw(c, true);
      o->ObjectRect = kept;
    }
  }
  FrameDC dc(FForm->HandleAllocated() ? FForm->Handle() : nullptr, ADC, AUseExternalDC);
  if (!dc.Get()) return;
  const TRect client = FrameClientRect();
  ExcludeClipRect(dc.Get(), client.Left, client.Top, client.Right, client.Bottom);
  if (!caption.Empty())
    BitBlt(dc.Get(), kDefFrame, kDefFrame, caption.Width(), ch, caption.Canvas()->Handle(), 0, 0, SRCCOPY);
  DCCanvas canvas(dc.Get());
  const std::pair<TColor, TColor> rings[] = {
      {cl3DLight, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}, {clBtnFace, clBtnFace}};
  for (int i = 0; i < 3; ++i)
    Ring(canvas.Get(), TRect{i, i, FFormWidth - i, FFormHeight - i}, rings[i].first, rings[i].second);
}

// ---- Client backgrounds -----------------------------------------------------------------------------------------

void TvlVelmora::PaintLogo(TCanvas* Canvas) {
  const int x = std::max(0, FForm->ClientWidth() / 2 - FLogoBitMap->Width() / 2);
  const int y = std::max(0, FForm->ClientHeight() / 2 - FLogoBitMap->Height() / 2);
  if (FLogoBitMap->Transparent() != LogoBitMapTransparent) FLogoBitMap->SetTransparent(LogoBitMapTransparent);
  Canvas->Draw(x, y, FLogoBitMap.get());
}

void TvlVelmora::PaintBGDefault(HDC DC) {
  if (!DC) return;
  DCCanvas c(DC);
  c->Brush()->SetColor(clBtnFace);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->FillRect(FForm->ClientRect());
  if (!FLogoBitMap->Empty()) PaintLogo(c.Get());
}

void TvlVelmora::PaintMDIBGDefault(HDC DC) {
  if (!DC) return;
  DCCanvas c(DC);
  c->Brush()->SetColor(clAppWorkSpace);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->FillRect(FForm->ClientRect());
  if (!FLogoBitMap->Empty()) PaintLogo(c.Get());
}

void TvlVelmora::PaintBGPiece(HDC DC, TBitmap* Piece, bool StretchEffect, TvlStretchType StretchType) {
  DCCanvas c(DC);
  if (!Piece || Piece->Empty()) {
    // A background picture the skin names but does not hold: the plain face.
    c->Brush()->SetColor(clBtnFace);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(FForm->ClientRect());
    return;
  }
  const int w = Piece->Width(), h = Piece->Height();
  const int cw = FForm->ClientWidth(), chgt = FForm->ClientHeight();
  if (cw > 0 && chgt > 0) {
    if (StretchEffect) {
      switch (StretchType) {
        case TvlStretchType::vlstFull: c->StretchDraw(TRect{0, 0, FFormWidth, FFormHeight}, Piece); break;
        case TvlStretchType::vlstHorz:
          for (int i = 0; i <= FFormWidth / w; ++i) c->StretchDraw(TRect{i * w, 0, i * w + w, FFormHeight}, Piece);
          break;
        case TvlStretchType::vlstVert:
          for (int i = 0; i <= FFormHeight / h; ++i) c->StretchDraw(TRect{0, i * h, FFormWidth, i * h + h}, Piece);
          break;
      }
    } else {
      for (int row = 0; row <= chgt / h; ++row)
        for (int col = 0; col <= cw / w; ++col) c->Draw(col * w, row * h, Piece);
    }
  }
  if (!FLogoBitMap->Empty()) PaintLogo(c.Get());
}

void TvlVelmora::PaintBG(HDC DC) {
  if (!DC || !SkinUsable()) return;
  const TRect cl = FSD->ClRect;
  if (IsNullRect(cl)) {
    DCCanvas c(DC);
    c->Brush()->SetColor(clBtnFace);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(FForm->ClientRect());
    return;
  }
  TBitmap piece;
  piece.SetPixelFormat(TPixelFormat::pf32bit);
  piece.SetSize(cl.Width(), cl.Height());
  if (!piece.Empty() && !FSD->FPicture->Empty())
    piece.Canvas()->CopyRect(TRect{0, 0, cl.Width(), cl.Height()}, FSD->FPicture->Canvas(), cl);
  PaintBGPiece(DC, FSD->FPicture->Empty() ? nullptr : &piece, FSD->StretchEffect, FSD->StretchType);
}

void TvlVelmora::PaintBG2(HDC DC) {
  if (!DC || !SkinUsable()) return;
  PaintBGPiece(DC, vlSkinPicture(FSD, FSD->BGPictureIndex), FSD->StretchEffect, FSD->StretchType);
}

void TvlVelmora::PaintBG3(HDC DC) {
  if (!DC || !SkinUsable()) return;
  PaintBGPiece(DC, vlSkinPicture(FSD, FSD->MDIBGPictureIndex), FSD->MDIBGStretchEffect, FSD->MDIBGStretchType);
}
