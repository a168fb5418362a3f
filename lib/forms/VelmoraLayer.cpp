// The layered outer border of a skinned form and its four windows.

#include "lib/forms/VelmoraLayer.h"

#include <algorithm>

#include "lib/forms/Velmora.h"
#include "lib/drawing/vlEffects.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/Input.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

constexpr UINT kFadeInterval = 6;  // more than 5 ms between fade steps

// A 32-bit copy of Picture with Mask's grey levels as alpha.
std::unique_ptr<TvlBitmap> AlphaSource(TBitmap* Picture, TBitmap* Mask) {
  auto source = std::make_unique<TvlBitmap>();
  source->Assign(Picture);
  TvlBitmap mask;
  mask.Assign(Mask);
  SetAlphaFromMask(source.get(), &mask);
  source->CheckingAlphaBlend();
  return source;
}

std::unique_ptr<TvlBitmap> NewImage(int W, int H) {
  if (W <= 0 || H <= 0) return nullptr;
  auto b = std::make_unique<TvlBitmap>();
  b->SetSize(W, H);
  return b;
}

bool IsEmptyRect(const TRect& R) { return R.Width() <= 0 || R.Height() <= 0; }

}  // namespace

// ---- The border ---------------------------------------------------------------------------------

TvlFormLayerBorder::TvlFormLayerBorder(TvlVelmora* AOwner) : TComponent(AOwner), VMR(AOwner) {
  FFadeTimer = new TTimer(this);
  FFadeTimer->SetEnabled(false);
  FFadeTimer->SetInterval(kFadeInterval);
  FFadeTimer->OnTimer = [this](TObject*) { FadeStep(); };
}

TvlFormLayerBorder::~TvlFormLayerBorder() = default;

TvlBitmap* TvlFormLayerBorder::Source() const {
  if (!FActive && FSourceInActiveBitMap) return FSourceInActiveBitMap.get();
  return FSourceBitmap.get();
}

void TvlFormLayerBorder::InitFrame(TvlSkinData* ASkinData, TCustomForm* AForm) {
  FForm = AForm;
  FSD = ASkinData;
  FData = nullptr;
  if (!ASkinData || ASkinData->Empty || !ASkinData->LayerFrame || ASkinData->LayerFrame->PictureIndex == -1) return;
  TvlDataSkinLayerFrame* d = ASkinData->LayerFrame.get();
  // Picture numbers that name no picture mean no border (and no inactive picture).
  TBitmap* picture = vlSkinPicture(ASkinData, d->PictureIndex);
  TBitmap* mask = vlSkinPicture(ASkinData, d->MaskPictureIndex);
  if (!picture || !mask) return;
  FData = d;
  FCurrentAlphaBlendValue = d->AlphaBlendValue;
  FCurrentInActiveAlphaBlendValue = d->InActiveAlphaBlendValue;
  FSourceBitmap = AlphaSource(picture, mask);
  FSourceInActiveBitMap.reset();
  TBitmap* inactive = vlSkinPicture(ASkinData, d->InActivePictureIndex);
  TBitmap* inactiveMask = vlSkinPicture(ASkinData, d->InActiveMaskPictureIndex);
  if (inactive && inactiveMask) FSourceInActiveBitMap = AlphaSource(inactive, inactiveMask);
  if (IsEmptyRect(d->BorderRect)) {
    LeftSize = TopSize = RightSize = BottomSize = 0;
  } else {
    LeftSize = d->ClRect.Left - d->BorderRect.Left;
    TopSize = d->ClRect.Top - d->BorderRect.Top;
    RightSize = d->BorderRect.Right - d->ClRect.Right;
    BottomSize = d->BorderRect.Bottom - d->ClRect.Bottom;
  }
}

TRect TvlFormLayerBorder::FrameBounds(int L, int T, int W, int H) const {
  if (!FData || !FSourceBitmap) return TRect{};
  const TRect& c = FData->ClRect;
  const int x = L - c.Left, y = T - c.Top;
  return TRect{x, y, x + W + FSourceBitmap->Width() - c.Width(), y + H + FSourceBitmap->Height() - c.Height()};
}

void TvlFormLayerBorder::BuildImages(int W, int H) {
  FreeImages();
  TvlBitmap* s = Source();
  if (!FData || !s || s->Empty()) return;
  const int ws = s->Width(), hs = s->Height();
  const TPoint lt = FData->LTPoint, rt = FData->RTPoint, lb = FData->LBPoint, rb = FData->RBPoint;
  const TRect& cl = FData->ClRect;
  const int th = std::max(lt.Y, rt.Y), bh = hs - std::min(lb.Y, rb.Y);
  const auto copy = [s](TvlBitmap* D, const TRect& To, const TRect& From) {
    if (!IsEmptyRect(To) && !IsEmptyRect(From)) StretchBitmap(D, To, TRect{}, From, s);
  };
  if ((TopImage = NewImage(W, th))) {
    copy(TopImage.get(), TRect{0, 0, lt.X, th}, TRect{0, 0, lt.X, th});
    copy(TopImage.get(), TRect{W + rt.X - ws, 0, W, th}, TRect{rt.X, 0, ws, th});
    copy(TopImage.get(), TRect{lt.X, 0, W + rt.X - ws, th}, TRect{lt.X, 0, rt.X, th});
  }
  if ((BottomImage = NewImage(W, bh))) {
    const int top = hs - bh;
    copy(BottomImage.get(), TRect{0, 0, lb.X, bh}, TRect{0, top, lb.X, hs});
    copy(BottomImage.get(), TRect{W + rb.X - ws, 0, W, bh}, TRect{rb.X, top, ws, hs});
    copy(BottomImage.get(), TRect{lb.X, 0, W + rb.X - ws, bh}, TRect{lb.X, top, rb.X, hs});
  }
  const int sideHeight = H - th - bh, pieceHeight = hs - bh - th;
  const auto side = [&](std::unique_ptr<TvlBitmap>& Image, int Left, int Width) {
    if (sideHeight <= 0 || pieceHeight <= 0 || !(Image = NewImage(Width, sideHeight))) return;
    // The side piece tiled downward, the last tile cut at the bottom.
    for (int y = 0; y < sideHeight; y += pieceHeight) {
      const int h = std::min(pieceHeight, sideHeight - y);
      copy(Image.get(), TRect{0, y, Width, y + h}, TRect{Left, th, Left + Width, th + h});
    }
  };
  side(LeftImage, 0, cl.Left);
  side(RightImage, cl.Right, ws - cl.Right);
  for (TvlBitmap* b : {TopImage.get(), BottomImage.get(), LeftImage.get(), RightImage.get()})
    if (b) b->CheckingAlphaBlend();
}

void TvlFormLayerBorder::FreeImages() {
  LeftImage.reset();
  TopImage.reset();
  RightImage.reset();
  BottomImage.reset();
}

void TvlFormLayerBorder::FreeWindows() {
  for (TvlFormLayerWindow** w : {&LeftBorder, &TopBorder, &RightBorder, &BottomBorder}) {
    delete *w;
    *w = nullptr;
  }
}

TvlFormLayerWindow* TvlFormLayerBorder::Window(TvlFormLayerBorderType Type) const {
  switch (Type) {
    case TvlFormLayerBorderType::vlflLeft: return LeftBorder;
    case TvlFormLayerBorderType::vlflTop: return TopBorder;
    case TvlFormLayerBorderType::vlflRight: return RightBorder;
    case TvlFormLayerBorderType::vlflBottom: return BottomBorder;
  }
  return nullptr;
}

void TvlFormLayerBorder::GiveImages() {
  const auto alpha = static_cast<BYTE>(std::clamp(CurrentAlpha(), 0, 255));
  const std::pair<TvlFormLayerWindow*, TvlBitmap*> sides[] = {
      {TopBorder, TopImage.get()}, {BottomBorder, BottomImage.get()}, {LeftBorder, LeftImage.get()},
      {RightBorder, RightImage.get()}};
  for (const auto& [w, image] : sides)
    if (w && image) UpdateLayeredBitmap(image, alpha, w->Handle());
}

void TvlFormLayerBorder::PlaceWindows(int X, int Y, int W, int H, bool Show) {
  const int th = TopImage ? TopImage->Height() : 0, bh = BottomImage ? BottomImage->Height() : 0;
  const int rw = RightImage ? RightImage->Width() : 0;
  const struct {
    TvlFormLayerWindow* Window;
    TvlBitmap* Image;
    TPoint At;
  } sides[] = {{TopBorder, TopImage.get(), {X, Y}},
               {BottomBorder, BottomImage.get(), {X, Y + H - bh}},
               {LeftBorder, LeftImage.get(), {X, Y + th}},
               {RightBorder, RightImage.get(), {X + W - rw, Y + th}}};
  // Just beneath the form, so the form's own pixels stay on top.
  HWND below = FForm && FForm->HandleAllocated() ? FForm->Handle() : nullptr;
  for (const auto& s : sides) {
    if (!s.Window) continue;
    UINT flags = SWP_NOSIZE | SWP_NOACTIVATE | (below ? 0 : SWP_NOZORDER);
    if (!s.Image)
      flags |= SWP_HIDEWINDOW;  // a side too short for its image
    else if (Show)
      flags |= SWP_SHOWWINDOW;
    SetWindowPos(s.Window->Handle(), below, s.At.X, s.At.Y, 0, 0, flags);
  }
}

void TvlFormLayerBorder::Show(int X, int Y, int AWidth, int AHeight) {
  if (!FData) return;
  FWidth = AWidth;
  FHeight = AHeight;
  FVisible = true;
  BuildImages(AWidth, AHeight);
  FreeWindows();
  const std::pair<TvlFormLayerWindow**, TvlFormLayerBorderType> sides[] = {
      {&LeftBorder, TvlFormLayerBorderType::vlflLeft},
      {&TopBorder, TvlFormLayerBorderType::vlflTop},
      {&RightBorder, TvlFormLayerBorderType::vlflRight},
      {&BottomBorder, TvlFormLayerBorderType::vlflBottom}};
  const TvlBitmap* images[] = {LeftImage.get(), TopImage.get(), RightImage.get(), BottomImage.get()};
  for (std::size_t i = 0; i < 4; ++i)
    if (images[i]) *sides[i].first = CreateForm<TvlFormLayerWindow>(this, FForm, sides[i].second);
  GiveImages();
  PlaceWindows(X, Y, AWidth, AHeight, true);
}

void TvlFormLayerBorder::Hide() {
  FFadeTimer->SetEnabled(false);
  FVisible = false;
  FreeImages();
  FreeWindows();
}

void TvlFormLayerBorder::SetBounds(int X, int Y, int AWidth, int AHeight) {
  if (!FData || !FVisible) return;
  FWidth = AWidth;
  FHeight = AHeight;
  BuildImages(AWidth, AHeight);
  GiveImages();
  PlaceWindows(X, Y, AWidth, AHeight, true);
}

void TvlFormLayerBorder::ShowWithForm() {
  if (!FForm) return;
  const TRect r = FrameBounds(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
  Show(r.Left, r.Top, r.Width(), r.Height());
}

void TvlFormLayerBorder::SetBoundsWithForm() {
  if (FForm) SetBoundsWithForm3(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
}

void TvlFormLayerBorder::SetBoundsWithForm2(int AW, int AH) {
  if (FForm) SetBoundsWithForm3(FForm->Left(), FForm->Top(), AW, AH);
}

void TvlFormLayerBorder::SetBoundsWithForm3(int ALeft, int ATop, int AW, int AH) {
  const TRect r = FrameBounds(ALeft, ATop, AW, AH);
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TvlFormLayerBorder::MoveWithForm() {
  if (FForm) MoveWithForm2(FForm->Left(), FForm->Top());
}

void TvlFormLayerBorder::MoveWithForm2(int ALeft, int ATop) {
  if (!FVisible || !FForm) return;
  const TRect r = FrameBounds(ALeft, ATop, FForm->Width(), FForm->Height());
  PlaceWindows(r.Left, r.Top, r.Width(), r.Height(), false);
}

void TvlFormLayerBorder::SetAlphaBlend() {
  if (FData && FVisible) GiveImages();
}

void TvlFormLayerBorder::SetAlphaBlend2() {
  SetAlphaBlend();
  if (!FData || !FVisible || !FForm) return;
  const TRect r = FrameBounds(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
  PlaceWindows(r.Left, r.Top, r.Width(), r.Height(), true);
}

void TvlFormLayerBorder::CheckFormAlpha(int AFormAlpha, bool AUpdate) {
  if (!FData) return;
  const double k = AFormAlpha / 255.0;
  FCurrentAlphaBlendValue = vlutils_detail::RoundEven(FData->AlphaBlendValue * k);
  FCurrentInActiveAlphaBlendValue = vlutils_detail::RoundEven(FData->InActiveAlphaBlendValue * k);
  if (AUpdate) SetAlphaBlend();
}

void TvlFormLayerBorder::SetActive(bool AValue, bool AUpdate) {
  FActive = AValue;
  if (FVisible && AUpdate) SetAlphaBlend2();
}

void TvlFormLayerBorder::ShowWithFormAnimation() {
  if (!FData) return;
  FFadeTarget = FCurrentAlphaBlendValue;
  FCurrentAlphaBlendValue = 0;
  ShowWithForm();
  // The first step at once, the rest on the clock; nothing waits for the fade.
  FadeStep();
  if (FCurrentAlphaBlendValue < FFadeTarget) FFadeTimer->SetEnabled(true);
}

void TvlFormLayerBorder::FadeStep() {
  const int step = std::max(1, FFadeTarget / 15);
  FCurrentAlphaBlendValue = std::min(FFadeTarget, FCurrentAlphaBlendValue + step);
  SetAlphaBlend();
  if (FCurrentAlphaBlendValue >= FFadeTarget) FFadeTimer->SetEnabled(false);
}

void TvlFormLayerBorder::Draw(TCanvas* Canvas, int X, int Y, int AWidth, int AHeight) {
  BuildImages(AWidth, AHeight);
  const int th = TopImage ? TopImage->Height() : 0, bh = BottomImage ? BottomImage->Height() : 0;
  const int rw = RightImage ? RightImage->Width() : 0;
  if (TopImage) TopImage->Draw(Canvas, X, Y);
  if (BottomImage) BottomImage->Draw(Canvas, X, Y + AHeight - bh);
  if (LeftImage) LeftImage->Draw(Canvas, X, Y + th);
  if (RightImage) RightImage->Draw(Canvas, X + AWidth - rw, Y + th);
}

// ---- The border windows ---------------------------------------------------------------------------

TvlFormLayerWindow::TvlFormLayerWindow(TvlFormLayerBorder* ALayerBorder, TCustomForm* AForm,
                                       TvlFormLayerBorderType AType)
    : TForm(ALayerBorder), BorderType(AType), FForm(AForm), FLayerBorder(ALayerBorder) {
  SetBorderStyle(TFormBorderStyle::bsNone);
  if (AForm && AForm->FormStyle() == TFormStyle::fsStayOnTop) SetFormStyle(TFormStyle::fsStayOnTop);
}

void TvlFormLayerWindow::CreateParams(TCreateParams& P) {
  TForm::CreateParams(P);
  P.ExStyle |= WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  // Without a grab border the mouse passes through to what lies beneath.
  TvlDataSkinLayerFrame* d = FLayerBorder->Data();
  if (!d || IsEmptyRect(d->BorderRect)) P.ExStyle |= WS_EX_TRANSPARENT;
}

bool TvlFormLayerWindow::Resizable() const {
  TvlVelmora* v = FLayerBorder->Skinner();
  return v->CanResizeForm() && !v->RollUpState() && v->WindowState() == TWindowState::wsNormal;
}

TvlFormLayerBorderHit TvlFormLayerWindow::HitZone(TPoint P) const {
  using H = TvlFormLayerBorderHit;
  const TvlFormLayerBorder& b = *FLayerBorder;
  const int l = FForm->Left(), t = FForm->Top(), w = FForm->Width(), h = FForm->Height();
  const auto sideZone = [&] {
    if (P.X >= l - b.LeftSize && P.X < l) return H::vlflhLeft;
    if (P.X > l + w && P.X <= l + w + b.RightSize) return H::vlflhRight;
    return H::vlflhNone;
  };
  switch (BorderType) {
    case TvlFormLayerBorderType::vlflLeft: return P.X >= l - b.LeftSize ? H::vlflhLeft : H::vlflhNone;
    case TvlFormLayerBorderType::vlflRight: return P.X <= l + w + b.RightSize ? H::vlflhRight : H::vlflhNone;
    case TvlFormLayerBorderType::vlflTop:
      if (TRect{l - b.LeftSize, t - b.TopSize, l + 3, t + 3}.Contains(P)) return H::vlflhTopLeft;
      if (TRect{l, t - b.TopSize, l + w, t}.Contains(P)) return H::vlflhTop;
      if (TRect{l + w - 3, t - b.TopSize, l + w + b.RightSize, t + 3}.Contains(P)) return H::vlflhTopRight;
      return P.Y >= t ? sideZone() : H::vlflhNone;
    case TvlFormLayerBorderType::vlflBottom:
      if (TRect{l - b.LeftSize, t + h - 3, l + 3, t + h + b.BottomSize}.Contains(P)) return H::vlflhBottomLeft;
      if (TRect{l, t + h, l + w, t + h + b.BottomSize}.Contains(P)) return H::vlflhBottom;
      if (TRect{l + w - 3, t + h - 3, l + w + b.RightSize, t + h + b.BottomSize}.Contains(P))
        return H::vlflhBottomRight;
      return P.Y < t + h ? sideZone() : H::vlflhNone;
  }
  return H::vlflhNone;
}

void TvlFormLayerWindow::WndProc(TMessage& M) {
  if (M.Msg == WM_MOUSEACTIVATE) {
    M.Result = MA_NOACTIVATE;
    TvlDataSkinLayerFrame* d = FLayerBorder->Data();
    if (d && d->HitTestEnable) {
      TPoint p;
      GetCursorPos(&p);
      FHitMode = HitZone(p);
      if (FHitMode != TvlFormLayerBorderHit::vlflhNone && !FForm->Active()) FForm->Show();
    }
    return;
  }
  TForm::WndProc(M);
}

void TvlFormLayerWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TForm::MouseDown(Button, Shift, X, Y);
  TvlDataSkinLayerFrame* d = FLayerBorder->Data();
  if (!d || !d->HitTestEnable || !Resizable()) return;
  TPoint p;
  GetCursorPos(&p);
  FDown = HitZone(p) != TvlFormLayerBorderHit::vlflhNone;
  MousePos1 = MousePos2 = p;
}

void TvlFormLayerWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TForm::MouseUp(Button, Shift, X, Y);
  FLayerBorder->Skinner()->FBorderLayerChangeSize = false;
  TvlDataSkinLayerFrame* d = FLayerBorder->Data();
  if (d && d->HitTestEnable && Resizable()) FDown = false;
}

void TvlFormLayerWindow::MouseMove(TShiftState Shift, int X, int Y) {
  TForm::MouseMove(Shift, X, Y);
  TvlDataSkinLayerFrame* d = FLayerBorder->Data();
  if (!d || !d->HitTestEnable) return;
  if (!Resizable()) {
    SetCursor(crDefault);
    return;
  }
  GetCursorPos(&MousePos2);
  if (!FDown) {
    FLayerBorder->Skinner()->FBorderLayerChangeSize = false;
    FHitMode = HitZone(MousePos2);
    using H = TvlFormLayerBorderHit;
    switch (FHitMode) {
      case H::vlflhNone: SetCursor(crDefault); break;
      case H::vlflhLeft:
      case H::vlflhRight: SetCursor(crSizeWE); break;
      case H::vlflhTop:
      case H::vlflhBottom: SetCursor(crSizeNS); break;
      case H::vlflhTopLeft:
      case H::vlflhBottomRight: SetCursor(crSizeNWSE); break;
      case H::vlflhTopRight:
      case H::vlflhBottomLeft: SetCursor(crSizeNESW); break;
    }
  } else {
    DragTo(MousePos2);
  }
  MousePos1 = MousePos2;
}

void TvlFormLayerWindow::DragTo(TPoint Screen) {
  using H = TvlFormLayerBorderHit;
  TvlVelmora* v = FLayerBorder->Skinner();
  v->FBorderLayerChangeSize = true;
  const int dx = Screen.X - MousePos1.X, dy = Screen.Y - MousePos1.Y;
  const bool left = FHitMode == H::vlflhLeft || FHitMode == H::vlflhTopLeft || FHitMode == H::vlflhBottomLeft;
  const bool right = FHitMode == H::vlflhRight || FHitMode == H::vlflhTopRight || FHitMode == H::vlflhBottomRight;
  const bool top = FHitMode == H::vlflhTop || FHitMode == H::vlflhTopLeft || FHitMode == H::vlflhTopRight;
  const bool bottom = FHitMode == H::vlflhBottom || FHitMode == H::vlflhBottomLeft || FHitMode == H::vlflhBottomRight;
  if (((left || right) ? dx : 0) == 0 && ((top || bottom) ? dy : 0) == 0) return;
  const int l = FForm->Left(), t = FForm->Top(), w = FForm->Width(), h = FForm->Height();
  const auto width = [&](int W) { return std::clamp(W, v->GetMinWidth(), std::max(v->GetMinWidth(), v->GetMaxWidth())); };
  const auto height = [&](int Hh) {
    return std::clamp(Hh, v->GetMinHeight(), std::max(v->GetMinHeight(), v->GetMaxHeight()));
  };
  int nl = l, nt = t, nw = w, nh = h;
  if (left) {
    // The left edge moves only when the right one can stay where it is.
    if (width(w - dx) == w - dx) {
      nw = w - dx;
      nl = l + dx;
    }
  } else if (right) {
    nw = width(w + dx);
  }
  if (top) {
    if (height(h - dy) == h - dy) {
      nh = h - dy;
      nt = t + dy;
    }
  } else if (bottom) {
    nh = height(h + dy);
  }
  if (nw == w && nh == h) return;
  FForm->SetBounds(nl, nt, nw, nh);
}
