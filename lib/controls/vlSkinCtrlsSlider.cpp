// The skinned slider (TvlSkinCustomSlider, TvlSkinSlider).

#include "lib/controls/vlSkinCtrlsSlider.h"

#include <algorithm>
#include <cmath>

#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/core/Resources.h"

using namespace vlskinctrls_detail;
using vlutils_detail::RoundEven;

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatInterval = 400;
// The ruler starts this far from the slider's edge; the thumb starts there too.
constexpr int kInset = 6;

std::size_t Slot(TvlSliderImage Which) { return static_cast<std::size_t>(Which); }

}  // namespace

TvlSkinCustomSlider::TvlSkinCustomSlider(TComponent* AOwner)
    : TvlSkinControl(AOwner), FRuler(std::make_unique<TBitmap>()) {
  SetControlStyle(TControlStyle{TControlStyleFlag::csAcceptsControls, TControlStyleFlag::csCaptureMouse,
                                TControlStyleFlag::csClickEvents, TControlStyleFlag::csOpaque,
                                TControlStyleFlag::csDoubleClicks});
  for (auto& image : FImages) image = std::make_unique<TBitmap>();
  for (TvlSliderImage which : {TvlSliderImage::siHThumb, TvlSliderImage::siHRuler, TvlSliderImage::siVThumb,
                               TvlSliderImage::siVRuler})
    LoadBuiltinImage(which);
  SetBounds(Left(), Top(), 150, 40);
  SetTabStop(true);
  FSkinDataName = "slider";
  FCreating = false;
  RebuildLayout();
}

TvlSkinCustomSlider::~TvlSkinCustomSlider() {
  OnChange = nullptr;
  OnChanged = nullptr;
  OnDrawPoints = nullptr;
  if (FTimerActive && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
}

void TvlSkinCustomSlider::LoadBuiltinImage(TvlSliderImage Which) {
  TBitmap* image = FImages[Slot(Which)].get();
  const char* name = kvlSliderImageResources[Slot(Which)];
  image->Assign(nullptr);
  // A program without the picture keeps an empty image: the slider then has no thumb or ruler
  // of its own, and still works.
  if (!FindResourceData(name, RT_BITMAP)) return;
  try {
    image->LoadFromResourceName(HInstance(), name);
  } catch (const Exception&) {
    image->Assign(nullptr);
  }
}

// ---- Values ------------------------------------------------------------------------------------

void TvlSkinCustomSlider::SetValue(int Value) {
  Value = std::clamp(Value, FMinValue, std::max(FMinValue, FMaxValue));
  const int old = FValue;
  FValue = Value;
  MoveThumbTo(OffsetOfValue(Value));
  if (FValue != old) NotifyChange();
}

void TvlSkinCustomSlider::SetMinValue(int Value) {
  if (Value != FMinValue) SetRange(Value, FMaxValue);
}

void TvlSkinCustomSlider::SetMaxValue(int Value) {
  if (Value != FMaxValue) SetRange(FMinValue, Value);
}

void TvlSkinCustomSlider::SetRange(int AMin, int AMax) {
  const bool reading = Loading();
  if (AMax <= AMin && !reading) return;
  FMinValue = AMin;
  FMaxValue = AMax;
  // A range smaller than one step takes the range as its step.
  if (!reading && static_cast<long long>(AMax) < static_cast<long long>(AMin) + FIncrement) FIncrement = AMax - AMin;
  if (FOptions.Contains(TvlSliderOption::soShowPoints)) Invalidate();
  SetValue(FValue);
  RangeUpdated();
}

void TvlSkinCustomSlider::SetIncrement(int Value) {
  if (Value <= 0 || Value == FIncrement) return;
  FIncrement = Value;
  SetValue(FValue);
  Invalidate();
}

// ---- Look --------------------------------------------------------------------------------------

void TvlSkinCustomSlider::SetOrientation(TvlSliderOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  RebuildLayout();
  if (!Loading()) SetBounds(Left(), Top(), Width(), Height());
}

void TvlSkinCustomSlider::SetOptions(TvlSliderOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  Invalidate();
}

void TvlSkinCustomSlider::SetTransparent(bool Value) {
  FTransparent = Value;
  Invalidate();
}

void TvlSkinCustomSlider::SetNumThumbStates(int Value) {
  Value = std::clamp(Value, 1, 2);
  if (Value == FNumThumbStates) return;
  FNumThumbStates = Value;
  RebuildLayout();
}

void TvlSkinCustomSlider::SetEdgeSize(int Value) {
  TBitmap* ruler = FImages[Slot(Horizontal() ? TvlSliderImage::siHRuler : TvlSliderImage::siVRuler)].get();
  const int length = Horizontal() ? ruler->Width() : ruler->Height();
  // A negative edge would cut pieces from outside the image.
  if (Value == FEdgeSize || Value < 0 || 2 * Value >= length) return;
  FEdgeSize = Value;
  RebuildLayout();
}

TBitmap* TvlSkinCustomSlider::Image(TvlSliderImage Which) const { return FImages[Slot(Which)].get(); }

void TvlSkinCustomSlider::SetImage(TvlSliderImage Which, TBitmap* Value) {
  if (Value) {
    FImages[Slot(Which)]->Assign(Value);
    FUserImages.Include(Which);
  } else {
    LoadBuiltinImage(Which);
    FUserImages.Exclude(Which);
    if (!Loading()) {
      const bool thumb = Which == TvlSliderImage::siHThumb || Which == TvlSliderImage::siVThumb;
      FOptions.Exclude(thumb ? TvlSliderOption::soThumbOpaque : TvlSliderOption::soRulerOpaque);
      Invalidate();
    }
  }
  if (!FCreating) RebuildLayout();
}

void TvlSkinCustomSlider::Loaded() {
  TvlSkinControl::Loaded();
  // The layout follows the images the form gave.
  for (TvlSliderImage which : {TvlSliderImage::siHThumb, TvlSliderImage::siHRuler, TvlSliderImage::siVThumb,
                               TvlSliderImage::siVRuler})
    if (FUserImages.Contains(which)) {
      TBitmap copy;
      copy.Assign(FImages[Slot(which)].get());
      SetImage(which, &copy);
    }
  RebuildLayout();
}

// ---- Skin --------------------------------------------------------------------------------------

void TvlSkinCustomSlider::GetSkinData() {
  TvlSkinControl::GetSkinData();
  auto* d = FIndex == -1 ? nullptr : dynamic_cast<TvlDataSkinSlider*>(vlControlElement(FSD, FIndex));
  FSliderElement = d != nullptr;
  if (!d) return;
  HRulerRect = d->HRulerRect;
  HThumbRect = d->HThumbRect;
  VRulerRect = d->VRulerRect;
  VThumbRect = d->VThumbRect;
  SkinEdgeSize = d->EdgeSize;
  BGColor = d->BGColor;
  PointsColor = d->PointsColor;
  Picture = vlSkinPicture(FSD, d->PictureIndex);
}

void TvlSkinCustomSlider::CheckParentBackground() {
  if (FTransparent) Repaint();
}

// ---- Geometry ----------------------------------------------------------------------------------

TSize TvlSkinCustomSlider::ThumbSize() const {
  if (SkinThumb()) {
    const TRect& r = Horizontal() ? HThumbRect : VThumbRect;
    return TSize{std::max(0, r.Width() / 2), std::max(0, r.Height())};
  }
  TBitmap* image = FImages[Slot(Horizontal() ? TvlSliderImage::siHThumb : TvlSliderImage::siVThumb)].get();
  return TSize{image->Width() / FNumThumbStates, image->Height()};
}

TSize TvlSkinCustomSlider::RulerSize() const { return TSize{FRuler->Width(), FRuler->Height()}; }

int TvlSkinCustomSlider::AxisStart() const {
  const TRect s = GetSliderRect();
  return (Horizontal() ? s.Left : s.Top) + kInset;
}

int TvlSkinCustomSlider::Travel() const {
  const TSize thumb = ThumbSize();
  const int t = Horizontal() ? FRuler->Width() - thumb.cx : FRuler->Height() - thumb.cy;
  return std::max(t, 0);
}

int TvlSkinCustomSlider::OffsetOfValue(int V) const {
  const int b = AxisStart();
  const long long range = static_cast<long long>(FMaxValue) - FMinValue;
  // No range or no travel: every value sits at the start.
  int o = b;
  if (range > 0) o = b + RoundEven(static_cast<double>(Travel()) * (static_cast<double>(V) - FMinValue) / range);
  if (!Horizontal()) {
    const TRect s = GetSliderRect();
    o = s.Top + s.Bottom - o - ThumbSize().cy;
  }
  return std::max(o, b);
}

int TvlSkinCustomSlider::ValueOfOffset(int P) const {
  if (!Horizontal()) P = ClientHeight() - P - ThumbSize().cy;
  const int t = Travel();
  const long long range = static_cast<long long>(FMaxValue) - FMinValue;
  long long v = 0;
  if (t > 0) v = RoundEven(static_cast<double>(P - kInset) * static_cast<double>(range) / t);
  if (!FOptions.Contains(TvlSliderOption::soSmooth) && FIncrement > 0)
    v = static_cast<long long>(RoundEven(static_cast<double>(v) / FIncrement)) * FIncrement;
  v = std::min(std::max(v, 0LL) + FMinValue, static_cast<long long>(FMaxValue));
  return static_cast<int>(v);
}

void TvlSkinCustomSlider::InvalidateThumb() {
  if (!HandleAllocated()) return;
  TRect r = FThumbRect;
  InvalidateRect(Handle(), &r, FALSE);
}

void TvlSkinCustomSlider::MoveThumbTo(int P) {
  const int b = AxisStart(), t = Travel();
  P = std::clamp(P, b, b + t);
  const int v = ValueOfOffset(P);
  P = std::min(OffsetOfValue(v), b + t);
  InvalidateThumb();
  const TSize size = ThumbSize();
  if (Horizontal())
    FThumbRect = TRect{P, FThumbRect.Top, P + size.cx, FThumbRect.Top + size.cy};
  else
    FThumbRect = TRect{FThumbRect.Left, P, FThumbRect.Left + size.cx, P + size.cy};
  InvalidateThumb();
  if (FSliding && v != FValue) {
    FValue = v;
    NotifyChange();
  }
}

void TvlSkinCustomSlider::BuildOwnRuler(int Length) {
  TBitmap* image = FImages[Slot(Horizontal() ? TvlSliderImage::siHRuler : TvlSliderImage::siVRuler)].get();
  const int imageLength = Horizontal() ? image->Width() : image->Height();
  const int breadth = Horizontal() ? image->Height() : image->Width();
  if (image->Empty() || Length <= 0) {
    FRuler->Assign(nullptr);
    return;
  }
  PrepareBitmap(FRuler.get(), Horizontal() ? Length : breadth, Horizontal() ? breadth : Length);
  if (FRuler->Empty()) return;
  // Transparent drawing keys on the image's own corner colour, so the background is that colour.
  FRuler->Canvas()->Brush()->SetStyle(TBrushStyle::bsSolid);
  FRuler->Canvas()->Brush()->SetColor(image->TransparentColor());
  FRuler->Canvas()->FillRect(TRect{0, 0, FRuler->Width(), FRuler->Height()});
  auto piece = [&](int from, int length, int at) {
    if (length <= 0) return;
    const TRect src = Horizontal() ? TRect{from, 0, from + length, breadth} : TRect{0, from, breadth, from + length};
    const TRect dst = Horizontal() ? TRect{at, 0, at + length, breadth} : TRect{0, at, breadth, at + length};
    FRuler->Canvas()->CopyRect(dst, image->Canvas(), src);
  };
  const int e = FEdgeSize, t = imageLength - 2 * e;
  if (t <= 0) {
    // No middle to repeat: the image is stretched.
    FRuler->Canvas()->StretchDraw(TRect{0, 0, FRuler->Width(), FRuler->Height()}, image);
    return;
  }
  const int n = (Length - 2 * e) / t, r = (Length - 2 * e) % t;
  piece(0, imageLength - e, 0);
  for (int i = 1; i < n; ++i) piece(e, t, e + i * t);
  if (n >= 1) piece(imageLength - r - e, r + e, e + n * t);
}

void TvlSkinCustomSlider::BuildRuler() {
  const TRect s = GetSliderRect();
  const int length = std::max(0, (Horizontal() ? s.Width() : s.Height()) - 2 * kInset);
  if (!SkinnedLook()) {
    BuildOwnRuler(length);
    return;
  }
  FRuler->Assign(nullptr);
  if (length <= 0) return;
  if (Horizontal())
    ComposeSkinStrip(SkinEdgeSize, SkinEdgeSize, FRuler.get(), Picture, HRulerRect, length, HRulerRect.Height(), false);
  else
    ComposeSkinStripVert(SkinEdgeSize, SkinEdgeSize, FRuler.get(), Picture, VRulerRect, VRulerRect.Width(), length,
                         false);
}

void TvlSkinCustomSlider::RebuildLayout() {
  GetSkinData();
  const int value = FValue;
  const TRect s = GetSliderRect();
  BuildRuler();
  const TSize thumb = ThumbSize();
  const int rw = FRuler->Width(), rh = FRuler->Height();
  const int x0 = s.Left + kInset, y0 = s.Top + kInset;
  if (Horizontal()) {
    const bool thumbTaller = thumb.cy > rh;
    const int thumbTop = thumbTaller ? y0 : y0 + (rh - thumb.cy) / 2;
    FThumbRect = TRect{x0, thumbTop, x0 + thumb.cx, thumbTop + thumb.cy};
    FRulerOrg = TPoint{x0, thumbTaller ? y0 + (thumb.cy - rh) / 2 : y0};
    const int bandTop = y0 + (thumbTaller ? thumb.cy : rh) + 1;
    FPointsRect = TRect{FRulerOrg.X, bandTop, FRulerOrg.X + rw, s.Bottom - s.Top - 1};
  } else {
    const bool thumbWider = thumb.cx > rw;
    const int thumbLeft = thumbWider ? x0 : x0 + (rw - thumb.cx) / 2;
    FThumbRect = TRect{thumbLeft, y0, thumbLeft + thumb.cx, y0 + thumb.cy};
    FRulerOrg = TPoint{thumbWider ? x0 + (thumb.cx - rw) / 2 : x0, y0};
    const int bandLeft = x0 + (thumbWider ? thumb.cx : rw) + 1;
    FPointsRect = TRect{bandLeft, FRulerOrg.Y, s.Right - s.Left - 1, FRulerOrg.Y + rh};
  }
  // The value stays; the thumb moves to its place on the new ruler.
  FValue = value;
  MoveThumbTo(OffsetOfValue(value));
  Invalidate();
}

// ---- Jumps -------------------------------------------------------------------------------------

int TvlSkinCustomSlider::JumpValue(TvlJumpMode Mode) const {
  const long long step = FIncrement > 0 ? FIncrement : 1;
  const long long nearest = RoundEven(static_cast<double>(FValue) / static_cast<double>(step));
  long long v = FValue;
  switch (Mode) {
    case TvlJumpMode::jmHome: v = FMinValue; break;
    case TvlJumpMode::jmEnd: v = FMaxValue; break;
    case TvlJumpMode::jmNext: v = step + step * nearest; break;
    case TvlJumpMode::jmPrior: v = step * nearest - step; break;
    case TvlJumpMode::jmNone: return FValue;
  }
  if (v >= FMaxValue) return FMaxValue;
  if (v <= FMinValue) return FMinValue;
  return static_cast<int>(v);
}

void TvlSkinCustomSlider::Jump(TvlJumpMode Mode) {
  const int v = JumpValue(Mode);
  if (v != FValue) SetValue(v);
}

TvlJumpMode TvlSkinCustomSlider::JumpDirection(TPoint P) const {
  if (Horizontal()) {
    if (P.X < FThumbRect.Left) return TvlJumpMode::jmPrior;
    if (P.X >= FThumbRect.Right) return TvlJumpMode::jmNext;
  } else {
    if (P.Y < FThumbRect.Top) return TvlJumpMode::jmNext;
    if (P.Y >= FThumbRect.Bottom) return TvlJumpMode::jmPrior;
  }
  return TvlJumpMode::jmNone;
}

void TvlSkinCustomSlider::RepeatStep() {
  if (JumpDirection(FMousePos) != FStartJump) return;  // the thumb passed the pointer
  Jump(FStartJump);
  if (!FTimerActive && HandleAllocated()) {
    SetTimer(Handle(), kRepeatTimer, kRepeatInterval, nullptr);
    FTimerActive = true;
  }
}

void TvlSkinCustomSlider::StopTracking() {
  if (!FTracking) return;
  FTracking = false;
  if (FTimerActive && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
  FTimerActive = false;
  if (Application()->CaptureControl() == this) Application()->SetCaptureControl(nullptr);
  NotifyChanged();
}

// ---- Events ------------------------------------------------------------------------------------

void TvlSkinCustomSlider::NotifyChange() {
  if (OnChange) OnChange(this);
}

void TvlSkinCustomSlider::NotifyChanged() {
  if (OnChanged) OnChanged(this);
}

// ---- Mouse and keys ----------------------------------------------------------------------------

void TvlSkinCustomSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  TvlSkinControl::MouseDown(Button, Shift, X, Y);
  if (!self || Button != TMouseButton::mbLeft || Shift.Contains(TShiftStateFlag::ssDouble)) return;
  if (CanFocus() && !Focused()) SetFocus();
  if (!self) return;
  const TPoint p{X, Y};
  if (FThumbRect.Contains(p)) {
    ThumbMouseDown(Button, Shift, X, Y);
    return;
  }
  const TRect ruler = Horizontal() ? TRect{FRulerOrg.X, FRulerOrg.Y - 3, FRulerOrg.X + FRuler->Width(),
                                           FRulerOrg.Y + FRuler->Height() + 3}
                                   : TRect{FRulerOrg.X - 3, FRulerOrg.Y, FRulerOrg.X + FRuler->Width() + 3,
                                           FRulerOrg.Y + FRuler->Height()};
  if (!ruler.Contains(p) || !CanModify()) return;
  Application()->SetCaptureControl(this);
  FTracking = true;
  FMousePos = p;
  FStartJump = JumpDirection(p);
  RepeatStep();
}

void TvlSkinCustomSlider::MouseMove(TShiftState Shift, int X, int Y) {
  if (Shift.Contains(TShiftStateFlag::ssLeft) && FSliding)
    ThumbMouseMove(Shift, X, Y);
  else if (FTracking)
    FMousePos = TPoint{X, Y};
  TvlSkinControl::MouseMove(Shift, X, Y);
}

void TvlSkinCustomSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  StopTracking();
  if (!self) return;
  if (FSliding) ThumbMouseUp(Button, Shift, X, Y);
  if (self) TvlSkinControl::MouseUp(Button, Shift, X, Y);
}

void TvlSkinCustomSlider::ThumbMouseDown(TMouseButton Button, TShiftState, int X, int Y) {
  if (CanFocus() && !Focused()) SetFocus();
  if (Button != TMouseButton::mbLeft || !CanModify()) return;
  FSliding = true;
  FThumbDown = true;
  FHit = Horizontal() ? X - FThumbRect.Left : Y - FThumbRect.Top;
  InvalidateThumb();
  Update();
}

void TvlSkinCustomSlider::ThumbMouseMove(TShiftState Shift, int X, int Y) {
  if (!Shift.Contains(TShiftStateFlag::ssLeft) || !CanModify()) return;
  MoveThumbTo((Horizontal() ? X : Y) - FHit);
}

void TvlSkinCustomSlider::ThumbMouseUp(TMouseButton Button, TShiftState, int, int) {
  if (Button != TMouseButton::mbLeft) return;
  FSliding = false;
  FThumbDown = false;
  InvalidateThumb();
  Update();
  if (CanModify()) NotifyChanged();
}

void TvlSkinCustomSlider::KeyDown(WORD& Key, TShiftState Shift) {
  const bool plain = !Shift.Contains(TShiftStateFlag::ssShift) && !Shift.Contains(TShiftStateFlag::ssCtrl) &&
                     !Shift.Contains(TShiftStateFlag::ssAlt);
  TvlJumpMode mode = TvlJumpMode::jmNone;
  if (plain) {
    switch (Key) {
      case VK_HOME: mode = TvlJumpMode::jmHome; break;
      case VK_END: mode = TvlJumpMode::jmEnd; break;
      case VK_LEFT: if (Horizontal()) mode = TvlJumpMode::jmPrior; break;
      case VK_RIGHT: if (Horizontal()) mode = TvlJumpMode::jmNext; break;
      case VK_UP: if (!Horizontal()) mode = TvlJumpMode::jmNext; break;
      case VK_DOWN: if (!Horizontal()) mode = TvlJumpMode::jmPrior; break;
      default: break;
    }
  }
  if (mode != TvlJumpMode::jmNone && CanModify()) {
    TWeak<TControl> self(this);
    Key = 0;
    Jump(mode);
    if (!self) return;
    NotifyChanged();
    if (!self) return;
  }
  TvlSkinControl::KeyDown(Key, Shift);
}

// ---- Messages ----------------------------------------------------------------------------------

void TvlSkinCustomSlider::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == kRepeatTimer) {
        RepeatStep();
        return;
      }
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_MOVE:
      TvlSkinControl::Dispatch(Message);
      if (FTransparent) Repaint();
      return;
    default: break;
  }
  TvlSkinControl::Dispatch(Message);
}

void TvlSkinCustomSlider::Resize() {
  // Every size change, with or without a window, lays the ruler and thumb out again.
  if (!Loading() && !FCreating) RebuildLayout();
  TvlSkinControl::Resize();
}

void TvlSkinCustomSlider::CMFocusChanged(TMessage& Message) {
  const bool focused = reinterpret_cast<TWinControl*>(Message.LParam) == this;
  if (focused != FFocused) {
    FFocused = focused;
    if (FOptions.Contains(TvlSliderOption::soShowFocus)) Invalidate();
  }
  TvlSkinControl::CMFocusChanged(Message);
}

void TvlSkinCustomSlider::CMEnabledChanged(TMessage& Message) {
  TvlSkinControl::CMEnabledChanged(Message);
  InvalidateThumb();
}

// ---- Painting ----------------------------------------------------------------------------------

void TvlSkinCustomSlider::WMPaint(TMessage& Message) {
  // Painted into a bitmap of the client size, then copied in one operation.
  FromWMPaint = true;
  PaintNative(Message, [this](HDC dc) {
    TBitmap buffer;
    PrepareBitmap(&buffer, ClientWidth(), ClientHeight());
    if (buffer.Empty()) return;
    vlutils_detail::SelectedBitmap selected(buffer.Handle());
    HDC off = selected.Get();
    if (!off) return;
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(off), 0);
    PaintWindow(off);
    BitBlt(dc, 0, 0, buffer.Width(), buffer.Height(), off, 0, 0, SRCCOPY);
  });
  FromWMPaint = false;
}

void TvlSkinCustomSlider::DrawThumb(TCanvas* C, int X, int Y) {
  const bool second = FThumbDown || !Enabled();
  TBitmap piece;
  if (SkinThumb()) {
    const TRect& r = Horizontal() ? HThumbRect : VThumbRect;
    const int half = r.Width() / 2;
    const TRect state = second ? TRect{r.Left + half, r.Top, r.Left + 2 * half, r.Bottom}
                               : TRect{r.Left, r.Top, r.Left + half, r.Bottom};
    if (!CopyPiece(&piece, Picture, state)) return;
    piece.SetTransparent(true);
    C->Draw(X, Y, &piece);
    return;
  }
  TBitmap* image = FImages[Slot(Horizontal() ? TvlSliderImage::siHThumb : TvlSliderImage::siVThumb)].get();
  if (image->Empty()) return;
  TRect state{0, 0, image->Width(), image->Height()};
  if (FNumThumbStates == 2) {
    const int half = image->Width() / 2;
    state = second ? TRect{half, 0, 2 * half, image->Height()} : TRect{0, 0, half, image->Height()};
  }
  if (!CopyPiece(&piece, image, state)) return;
  piece.SetTransparent(!FOptions.Contains(TvlSliderOption::soThumbOpaque));
  C->Draw(X, Y, &piece);
}

void TvlSkinCustomSlider::Paint() {
  GetSkinData();
  TCanvas* c = Canvas();
  const TRect client{0, 0, Width(), Height()};
  if (FTransparent) {
    DrawParentBackground(this, c);
  } else {
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(SkinnedLook() ? BGColor : Color());
    c->FillRect(client);
  }
  if (!FRuler->Empty()) {
    FRuler->SetTransparent(SkinnedLook() || !FOptions.Contains(TvlSliderOption::soRulerOpaque));
    c->Draw(FRulerOrg.X, FRulerOrg.Y, FRuler.get());
  }
  if (FOptions.Contains(TvlSliderOption::soShowFocus) && FFocused) {
    const TRect s = GetSliderRect();
    c->Font()->SetColor(SkinnedLook() ? FSD->SkinColors()->FcBtnText : clBtnText);
    DrawDottedFocusRect(c, TRect{s.Left + 2, s.Top + 2, s.Right - 2, s.Bottom - 2});
  }
  if (FOptions.Contains(TvlSliderOption::soShowPoints)) {
    if (OnDrawPoints)
      OnDrawPoints(this);
    else
      DefaultDrawPoints(FIncrement, 3, 5);
  }
  int x = FThumbRect.Left, y = FThumbRect.Top;
  if (ControlState().Contains(TControlStateFlag::csPaintCopy)) {
    // A copy of the control shows the thumb where its value puts it.
    const int o = OffsetOfValue(GetSliderValue());
    (Horizontal() ? x : y) = o;
  }
  DrawThumb(c, x, y);
}

void TvlSkinCustomSlider::DrawPoint(TCanvas* C, int V, int Length) {
  const TSize thumb = ThumbSize();
  const int o = OffsetOfValue(V);
  if (Horizontal()) {
    const int x = o + thumb.cx / 2;
    C->MoveTo(x, FPointsRect.Top);
    C->LineTo(x, FPointsRect.Top + Length);
  } else {
    const int y = o + thumb.cy / 2;
    C->MoveTo(FPointsRect.Left, y);
    C->LineTo(FPointsRect.Left + Length, y);
  }
}

void TvlSkinCustomSlider::DefaultDrawPoints(int PointsStep, int PointsHeight, int ExtremePointsHeight) {
  if (PointsStep <= 0) return;
  TCanvas* c = Canvas();
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(SkinnedLook() ? PointsColor : clWindowFrame);
  const int t = Travel();
  const double range = static_cast<double>(FMaxValue) - FMinValue;
  if (range <= 0) return;
  auto marks = [&](long long k) { return static_cast<long long>(RoundEven(range / (static_cast<double>(PointsStep) * k))); };
  // The smallest step multiple k whose points lie at least 4 pixels apart (or as far apart as
  // the travel allows). No k below this bound can pass, so the search starts there.
  long long k = std::max(1LL, static_cast<long long>(range / (PointsStep * (t / 4 + 0.5))) - 1);
  for (;; ++k) {
    const long long m = marks(k);
    const long long spacing = m + 1 > 1 ? t / m : t;
    if (spacing >= 4 || spacing >= t) break;
  }
  const long long count = marks(k) + 1;
  for (long long i = 0; i < count; ++i) {
    const bool last = i == count - 1;
    const long long v = last ? FMaxValue : FMinValue + static_cast<long long>(PointsStep) * k * i;
    if (v > FMaxValue) break;
    const bool extreme = i == 0 || last;
    DrawPoint(c, static_cast<int>(v), extreme ? ExtremePointsHeight : PointsHeight);
  }
}
