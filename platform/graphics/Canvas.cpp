#include "platform/graphics/Canvas.h"

#include "platform/core/Exceptions.h"
#include "platform/graphics/Graphic.h"

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  font_->OnChange = [this](TObject*) { state_.Exclude(TCanvasState::csFontValid); };
  pen_->OnChange = [this](TObject*) { state_.Exclude(TCanvasState::csPenValid); };
  brush_->OnChange = [this](TObject*) { state_.Exclude(TCanvasState::csBrushValid); };
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

void TCanvas::DeselectHandles() {
  if (handle_) {
    SelectObject(handle_, GetStockObject(BLACK_PEN));
    SelectObject(handle_, GetStockObject(WHITE_BRUSH));
    SelectObject(handle_, GetStockObject(SYSTEM_FONT));
  }
  state_ = state_ - TCanvasStates{TCanvasState::csFontValid, TCanvasState::csPenValid, TCanvasState::csBrushValid};
}

HDC TCanvas::Handle() {
  RequiredState({TCanvasState::csHandleValid});
  return handle_;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == handle_) return;
  if (handle_) DeselectHandles();
  handle_ = Value;
  if (handle_) {
    state_.Include(TCanvasState::csHandleValid);
    // The context's pen position becomes the canvas's.
    MoveToEx(handle_, penPos_.X, penPos_.Y, nullptr);
  } else {
    state_ = {};
  }
}

void TCanvas::RequiredState(TCanvasStates ReqState) {
  if (ReqState.Contains(TCanvasState::csHandleValid) || !ReqState.Empty()) {
    if (!handle_) {
      CreateHandle();
      if (!handle_) throw EInvalidOperation("Canvas does not allow drawing");
    }
  }
  if (ReqState.Contains(TCanvasState::csFontValid) && !state_.Contains(TCanvasState::csFontValid)) {
    SelectObject(handle_, font_->Handle());
    SetTextColor(handle_, ColorToRGB(font_->Color()));
    state_.Include(TCanvasState::csFontValid);
  }
  if (ReqState.Contains(TCanvasState::csPenValid) && !state_.Contains(TCanvasState::csPenValid)) {
    SelectObject(handle_, pen_->Handle());
    SetROP2(handle_, PenModeToRop2(pen_->Mode()));
    state_.Include(TCanvasState::csPenValid);
  }
  if (ReqState.Contains(TCanvasState::csBrushValid) && !state_.Contains(TCanvasState::csBrushValid)) {
    SelectObject(handle_, brush_->Handle());
    SetBkColor(handle_, ColorToRGB(brush_->Color()));
    SetBkMode(handle_, brush_->Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
    state_.Include(TCanvasState::csBrushValid);
  }
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() { return penPos_; }

TColor TCanvas::Pixels(int X, int Y) {
  RequiredState({TCanvasState::csHandleValid});
  const COLORREF c = GetPixel(handle_, X, Y);
  return c == CLR_INVALID ? -1 : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csPenValid});
  SetPixel(handle_, X, Y, ColorToRGB(Value));
  Changed();
}

TRect TCanvas::ClipRect() {
  RequiredState({TCanvasState::csHandleValid});
  TRect r;
  GetClipBox(handle_, &r);
  return r;
}

void TCanvas::MoveTo(int X, int Y) {
  penPos_ = {X, Y};
  if (handle_) MoveToEx(handle_, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csPenValid, TCanvasState::csBrushValid});
  MoveToEx(handle_, penPos_.X, penPos_.Y, nullptr);
  ::LineTo(handle_, X, Y);
  penPos_ = {X, Y};
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csPenValid, TCanvasState::csBrushValid});
  ::Rectangle(handle_, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::FillRect(const TRect& Rect) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csBrushValid});
  ::FillRect(handle_, &Rect, brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& Rect) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csBrushValid});
  ::FrameRect(handle_, &Rect, brush_->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
  Changing();
  RequiredState({TCanvasState::csHandleValid});
  ::DrawFocusRect(handle_, &Rect);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csPenValid, TCanvasState::csBrushValid});
  ::Ellipse(handle_, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csPenValid, TCanvasState::csBrushValid});
  ::RoundRect(handle_, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csPenValid, TCanvasState::csBrushValid});
  ::Polygon(handle_, Points.data(), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csPenValid, TCanvasState::csBrushValid});
  ::Polyline(handle_, Points.data(), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({TCanvasState::csHandleValid});
  Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({TCanvasState::csHandleValid});
  Graphic->Draw(this, Rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  if (!Canvas) return;
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csBrushValid});
  HDC src = Canvas->Handle();
  StretchBlt(handle_, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), src, Source.Left, Source.Top, Source.Width(),
             Source.Height(), copyMode_);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csFontValid, TCanvasState::csBrushValid});
  ::TextOut(handle_, X, Y, Text);
  TSize size;
  GetTextExtentPoint32(handle_, Text, &size);
  MoveTo(X + size.cx, Y);
  Changed();
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const std::string& Text) {
  Changing();
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csFontValid, TCanvasState::csBrushValid});
  UINT options = ETO_CLIPPED;
  if (brush_->Style() != TBrushStyle::bsClear) options |= ETO_OPAQUE;
  ExtTextOut(handle_, X, Y, options, &Rect, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const std::string& Text) {
  RequiredState({TCanvasState::csHandleValid, TCanvasState::csFontValid});
  TSize size;
  GetTextExtentPoint32(handle_, Text, &size);
  return size;
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::Lock() {
  lock_.lock();
  ++lockCount_;
}

void TCanvas::Unlock() {
  --lockCount_;
  lock_.unlock();
}

bool TCanvas::TryLock() {
  if (!lock_.try_lock()) return false;
  ++lockCount_;
  return true;
}

// ---- TCanvasPaintScope ------------------------------------------------------------------------

TCanvasPaintScope::TCanvasPaintScope(TCanvas* Canvas, HDC DC, TFont* Font) : canvas_(Canvas) {
  canvas_->Lock();
  canvas_->SetHandle(DC);
  try {
    canvas_->Font()->Assign(Font);
  } catch (...) {
    Release();
    throw;
  }
}

TCanvasPaintScope::~TCanvasPaintScope() { Release(); }

void TCanvasPaintScope::Release() {
  canvas_->SetHandle(nullptr);
  canvas_->Unlock();
}
