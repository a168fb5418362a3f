// The skinned scroll bar (TvlSkinScrollBar).

#include "lib/controls/vlSkinCtrlsScrollBar.h"

#include <algorithm>

#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/MessageQueue.h"

using namespace vlskinctrls_detail;
using vlutils_detail::RoundEven;

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstDelay = 500;
constexpr UINT kRepeatInterval = 50;
// The built-in arrow buttons and thumb.
constexpr int kBuiltinButton = 16;
constexpr int kBuiltinThumb = 16;

// Arrow directions of DrawArrowGlyph.
constexpr int kLeft = 1, kRight = 2, kUp = 3, kDown = 4;

}  // namespace

TvlSkinScrollBar::TvlSkinScrollBar(TComponent* AOwner) : TvlSkinCustomControl(AOwner) {
  SetTabStop(false);
  SetBounds(Left(), Top(), 200, 19);
  FDefaultHeight = 19;
  FSkinDataName = "hscrollbar";
}

TvlSkinScrollBar::~TvlSkinScrollBar() { StopTimer(); }

// ---- Range and position ------------------------------------------------------------------------

int TvlSkinScrollBar::Clamped(int Value) const {
  // The end of the range a position may take: Max without a page, Max - PageSize + 1 with one.
  const long long end = FPageSize > 0 ? static_cast<long long>(FMax) - FPageSize + 1 : FMax;
  long long v = Value;
  if (v > end) v = end;
  if (v < FMin) v = FMin;
  return static_cast<int>(v);
}

void TvlSkinScrollBar::SetPosition(int Value) {
  Value = Clamped(Value);
  if (Value == FPosition) return;
  FPosition = Value;
  Repaint();
  if (OnChange) OnChange(this);
}

void TvlSkinScrollBar::SetMin(int Value) {
  FMin = Value;
  if (FPosition < FMin) FPosition = FMin;
  Repaint();
}

void TvlSkinScrollBar::SetMax(int Value) {
  FMax = Value;
  // The same rule as Position's, whatever Min is.
  FPosition = Clamped(FPosition);
  Repaint();
}

void TvlSkinScrollBar::SetPageSize(int Value) {
  // A page fits while the present position can keep it: Position + Value - 1 <= Max.
  if (static_cast<long long>(FPosition) + Value <= static_cast<long long>(FMax) + 1) FPageSize = Value;
  Repaint();
}

// The steps do not show: nothing to repaint.
void TvlSkinScrollBar::SetSmallChange(int Value) { FSmallChange = Value; }

void TvlSkinScrollBar::SetLargeChange(int Value) { FLargeChange = Value; }

void TvlSkinScrollBar::SetRange(int AMin, int AMax, int APosition, int APageSize) {
  const int min = FMin, max = FMax, page = FPageSize, position = FPosition;
  FMin = AMin;
  FMax = AMax;
  FPageSize = APageSize;
  FPosition = Clamped(APosition);
  // Views hand their state over after every change; an unchanged bar is not painted again.
  if (min != FMin || max != FMax || page != FPageSize || position != FPosition) Repaint();
}

void TvlSkinScrollBar::SimplySetPosition(int AValue) {
  AValue = Clamped(AValue);
  if (AValue == FPosition) return;
  FPosition = AValue;
  Repaint();
}

// ---- Look --------------------------------------------------------------------------------------

void TvlSkinScrollBar::SetKind(TScrollBarKind Value) {
  if (Value == FKind) return;
  FKind = Value;
  Repaint();
}

void TvlSkinScrollBar::SetBoth(bool Value) {
  if (Value == FBoth) return;
  FBoth = Value;
  if (Value) {
    FNormalSkinDataName = FSkinDataName;
    FSkinDataName = FBothSkinDataName;
  } else if (!FNormalSkinDataName.empty()) {
    FSkinDataName = FNormalSkinDataName;
  }
  GetSkinData();
  if (FIndex == -1)
    Repaint();
  else
    ChangeSkinData();
}

void TvlSkinScrollBar::SetBothMarkerWidth(int Value) {
  if (Value < 0) return;
  FBothMarkerWidth = Value;
  if (FIndex == -1) Repaint();
}

void TvlSkinScrollBar::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

// ---- Skin --------------------------------------------------------------------------------------

void TvlSkinScrollBar::GetSkinData() {
  TvlSkinCustomControl::GetSkinData();
  auto* d = FIndex == -1 ? nullptr : dynamic_cast<TvlDataSkinScrollBarControl*>(vlControlElement(FSD, FIndex));
  FScrollElement = d != nullptr;
  if (!d) return;
  TrackArea = d->TrackArea;
  UpButtonRect = d->UpButtonRect;
  ActiveUpButtonRect = d->ActiveUpButtonRect;
  DownUpButtonRect = IsNullRect(d->DownUpButtonRect) ? ActiveUpButtonRect : d->DownUpButtonRect;
  DownButtonRect = d->DownButtonRect;
  ActiveDownButtonRect = d->ActiveDownButtonRect;
  DownDownButtonRect = IsNullRect(d->DownDownButtonRect) ? ActiveDownButtonRect : d->DownDownButtonRect;
  ThumbRect = d->ThumbRect;
  ActiveThumbRect = IsNullRect(d->ActiveThumbRect) ? ThumbRect : d->ActiveThumbRect;
  DownThumbRect = IsNullRect(d->DownThumbRect) ? ActiveThumbRect : d->DownThumbRect;
  ThumbOffset1 = d->ThumbOffset1;
  ThumbOffset2 = d->ThumbOffset2;
  ThumbTransparent = d->ThumbTransparent;
  ThumbTransparentColor = d->ThumbTransparentColor;
  GlyphRect = d->GlyphRect;
  ActiveGlyphRect = IsNullRect(d->ActiveGlyphRect) ? GlyphRect : d->ActiveGlyphRect;
  DownGlyphRect = IsNullRect(d->DownGlyphRect) ? ActiveGlyphRect : d->DownGlyphRect;
  GlyphTransparent = d->GlyphTransparent;
  GlyphTransparentColor = d->GlyphTransparentColor;
  ThumbStretchEffect = d->ThumbStretchEffect;
  ThumbMinSize = d->ThumbMinSize;
  ThumbMinPageSize = d->ThumbMinPageSize;
}

void TvlSkinScrollBar::CalcSize(int& AWidth, int& AHeight) {
  TvlSkinCustomControl::CalcSize(AWidth, AHeight);
  Layout();
}

// ---- Layout ------------------------------------------------------------------------------------

void TvlSkinScrollBar::ThumbMeasure(int TrackLength, int& Length, double& Ratio) const {
  const double range = static_cast<double>(FMax) - FMin;
  const int image = Horizontal() ? ThumbRect.Width() : ThumbRect.Height();
  const bool skinned = Skinned();
  if (FPageSize == 0) {
    if (!skinned)
      Length = kBuiltinThumb;
    else
      Length = ThumbMinPageSize != 0 ? ThumbMinPageSize : (ThumbMinSize != 0 ? ThumbMinSize : image);
    Ratio = range == 0 ? 0 : (static_cast<double>(FPosition) - FMin) / range;
    return;
  }
  const double divisor = range + 1;
  Length = divisor == 0 ? 0 : RoundEven(static_cast<double>(TrackLength) * FPageSize / divisor);
  const int least = !skinned ? kBuiltinThumb : (ThumbMinSize != 0 ? ThumbMinSize : image);
  Length = std::max(Length, least);
  const double travel = range - FPageSize + 1;
  // A thumb longer than the travel lies at the end of a horizontal track, the start of a
  // vertical one.
  Ratio = travel > 0 ? (static_cast<double>(FPosition) - FMin) / travel : (Horizontal() ? 1.0 : 0.0);
}

void TvlSkinScrollBar::Layout() {
  TRect track, up, down;
  const int w = Width(), h = Height();
  if (!Skinned()) {
    const int usable = Horizontal() && FBoth ? w - FBothMarkerWidth : w;
    const int b = kBuiltinButton + 1;
    if (Horizontal()) {
      down = TRect{1, 1, b, h - 1};
      up = TRect{usable - b, 1, usable - 1, h - 1};
      track = TRect{b, 1, usable - b, h - 1};
    } else {
      down = TRect{1, 1, w - 1, b};
      up = TRect{1, h - b, w - 1, h - 1};
      track = TRect{1, b, w - 1, h - b};
    }
  } else {
    track = TrackArea;
    up = UpButtonRect;
    down = DownButtonRect;
    if (Horizontal()) {
      const int dW = w - SkinRect.Width();
      track.Right += dW;
      // A button from the right-top corner point on lies in the part that moves.
      for (TRect* r : {&up, &down})
        if (r->Left >= RTPt.X) *r = TRect{r->Left + dW, r->Top, r->Right + dW, r->Bottom};
    } else {
      const int dH = h - SkinRect.Height();
      track.Bottom += dH;
      for (TRect* r : {&up, &down})
        if (r->Top >= LBPt.Y) *r = TRect{r->Left, r->Top + dH, r->Right, r->Bottom + dH};
    }
  }
  NewTrackArea = track;
  FButtons[kUpButton].R = up;
  FButtons[kDownButton].R = down;

  const int start = Horizontal() ? track.Left : track.Top, end = Horizontal() ? track.Right : track.Bottom;
  int length = 0;
  double ratio = 0;
  ThumbMeasure(end - start, length, ratio);
  const int half = length / 2;
  Offset1 = start + half;
  Offset2 = end - half;
  BOffset = RoundEven(ratio * (Offset2 - Offset1));
  const int from = Offset1 + BOffset - half, to = Offset1 + BOffset + half;
  // Across the axis the built-in thumb fills the track; the skin's keeps its breadth, centred.
  int across0 = Horizontal() ? track.Top : track.Left, across1 = Horizontal() ? track.Bottom : track.Right;
  if (Skinned()) {
    const int breadth = Horizontal() ? ThumbRect.Height() : ThumbRect.Width();
    across0 = across0 + (across1 - across0) / 2 - breadth / 2;
    across1 = across0 + breadth;
  }
  FButtons[kThumb].R = Horizontal() ? TRect{from, across0, to, across1} : TRect{across0, from, across1, to};
}

int TvlSkinScrollBar::PartAt(int X, int Y) const {
  const TPoint p{X, Y};
  for (int part : {kThumb, kUpButton, kDownButton})
    if (FButtons[static_cast<std::size_t>(part)].R.Contains(p)) return part;
  return kNoPart;
}

// ---- Repetition --------------------------------------------------------------------------------

void TvlSkinScrollBar::StartTimer(UINT Interval) {
  if (!HandleAllocated()) return;
  SetTimer(Handle(), kRepeatTimer, Interval, nullptr);
  FTimerRunning = true;
}

void TvlSkinScrollBar::StopTimer() {
  if (FTimerRunning && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
  FTimerRunning = false;
  TimerMode = 0;
}

void TvlSkinScrollBar::Step(int Part) {
  if (Part == kUpButton) {
    if (OnUpButtonClick)
      OnUpButtonClick(this);
    else
      SetPosition(FPosition + FSmallChange);
  } else {
    if (OnDownButtonClick)
      OnDownButtonClick(this);
    else
      SetPosition(FPosition - FSmallChange);
  }
}

void TvlSkinScrollBar::PageStep(bool TowardStart) {
  TWeak<TControl> self(this);
  SetPosition(TowardStart ? FPosition - FLargeChange : FPosition + FLargeChange);
  if (!self) return;
  if (TowardStart && OnPageUp) OnPageUp(this);
  if (!TowardStart && OnPageDown) OnPageDown(this);
}

void TvlSkinScrollBar::TimerTick() {
  if (WaitMode) {
    // The first tick only ends the delay.
    WaitMode = false;
    StartTimer(kRepeatInterval);
    return;
  }
  const TRect& thumb = FButtons[kThumb].R;
  switch (TimerMode) {
    case 1: Step(kDownButton); break;
    case 2: Step(kUpButton); break;
    case 3:
      TrackHover(MX, MY);
      if (Horizontal() ? MX < thumb.Left : MY < thumb.Top)
        PageStep(true);
      else
        StopTimer();
      break;
    case 4:
      TrackHover(MX, MY);
      if (Horizontal() ? MX > thumb.Right : MY > thumb.Bottom)
        PageStep(false);
      else
        StopTimer();
      break;
    default: StopTimer(); break;
  }
}

// ---- Mouse -------------------------------------------------------------------------------------

void TvlSkinScrollBar::TrackHover(int X, int Y) {
  OldActiveButton = ActiveButton;
  ActiveButton = PartAt(X, Y);
  if (CaptureButton != kNoPart && CaptureButton != ActiveButton) ActiveButton = kNoPart;
  if (ActiveButton == OldActiveButton) return;
  if (OldActiveButton != kNoPart) {
    Part& old = FButtons[static_cast<std::size_t>(OldActiveButton)];
    old.MouseIn = false;
    Repaint();
    // Off a held arrow button the repetition pauses.
    if (OldActiveButton != kThumb && old.Down) {
      if (FTimerRunning && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
      FTimerRunning = false;
    }
  }
  if (ActiveButton != kNoPart) {
    Part& now = FButtons[static_cast<std::size_t>(ActiveButton)];
    now.MouseIn = true;
    Repaint();
    if (ActiveButton != kThumb && now.Down) StartTimer(kRepeatInterval);
  }
}

void TvlSkinScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  TvlSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (!self || Button != TMouseButton::mbLeft) return;
  MouseD = true;
  MX = X;
  MY = Y;
  Layout();
  TimerMode = 0;
  WaitMode = true;
  const int part = PartAt(X, Y);
  if (part != kNoPart) {
    CaptureButton = part;
    Part& p = FButtons[static_cast<std::size_t>(part)];
    p.Down = true;
    if (part == kThumb) {
      OMPos = Horizontal() ? X : Y;
      OldBOffset = BOffset;
      FDown = true;
      Repaint();
      return;
    }
    Repaint();
    TimerMode = part == kUpButton ? 2 : 1;
    // The timer runs even when the step changed nothing (a bar at its end).
    StartTimer(kFirstDelay);
    Step(part);
    return;
  }
  if (!NewTrackArea.Contains(TPoint{X, Y})) return;
  const TRect& thumb = FButtons[kThumb].R;
  const bool towardStart = Horizontal() ? X < thumb.Left : Y < thumb.Top;
  TimerMode = towardStart ? 3 : 4;
  StartTimer(kFirstDelay);
  PageStep(towardStart);
}

void TvlSkinScrollBar::DragTo(int X, int Y) {
  Layout();
  const int d = (Horizontal() ? X : Y) - OMPos;
  const int span = Offset2 - Offset1;
  double ratio = span > 0 ? static_cast<double>(d + OldBOffset) / span : 0;
  ratio = std::clamp(ratio, 0.0, 1.0);
  const double range = static_cast<double>(FMax) - FMin - (FPageSize > 0 ? FPageSize - 1 : 0);
  SetPosition(static_cast<int>(FMin + static_cast<long long>(RoundEven(range * ratio))));
}

void TvlSkinScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
  MX = X;
  MY = Y;
  if (FDown)
    DragTo(X, Y);
  else
    TrackHover(X, Y);
  TvlSkinCustomControl::MouseMove(Shift, X, Y);
}

void TvlSkinScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  TvlSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (!self) return;
  MouseD = false;
  if (TimerMode >= 3) StopTimer();
  const int captured = CaptureButton;
  if (captured != kNoPart) {
    Part& p = FButtons[static_cast<std::size_t>(captured)];
    p.Down = false;
    if (captured != ActiveButton) p.MouseIn = false;
    Repaint();
    if (captured == kThumb)
      FDown = false;
    else
      StopTimer();
  }
  CaptureButton = kNoPart;
  if (Button == TMouseButton::mbLeft && captured == kThumb && OnLastChange) OnLastChange(this);
}

void TvlSkinScrollBar::CMMouseLeave(TMessage& Message) {
  TvlSkinCustomControl::CMMouseLeave(Message);
  if (ActiveButton != kNoPart && CaptureButton == kNoPart && !FDown) {
    FButtons[static_cast<std::size_t>(ActiveButton)].MouseIn = false;
    ActiveButton = kNoPart;
    Repaint();
  }
  if (MouseD && TimerMode == 4) StopTimer();
}

// ---- Keys, focus, messages ---------------------------------------------------------------------

void TvlSkinScrollBar::KeyDown(WORD& Key, TShiftState Shift) {
  TWeak<TControl> self(this);
  TvlSkinCustomControl::KeyDown(Key, Shift);
  if (!self || !FCanFocused) return;
  if (Key == VK_LEFT || Key == VK_UP) SetPosition(FPosition - FSmallChange);
  if (Key == VK_RIGHT || Key == VK_DOWN) SetPosition(FPosition + FSmallChange);
}

void TvlSkinScrollBar::CMWantSpecialKey(TMessage& Message) {
  const WORD key = static_cast<WORD>(Message.WParam);
  Message.Result = FCanFocused && (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) ? 1 : 0;
}

void TvlSkinScrollBar::WndProc(TMessage& Message) {
  if (FCanFocused) {
    switch (Message.Msg) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (!FocusForPress(this, FClicksDisabled)) return;
        break;
      case CN_COMMAND:
        if (FClicksDisabled) return;
        break;
      default: break;
    }
  }
  TvlSkinCustomControl::WndProc(Message);
}

void TvlSkinScrollBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      TvlSkinCustomControl::Dispatch(Message);
      if (Message.WParam == kRepeatTimer) TimerTick();
      return;
    case WM_MOUSEWHEEL:
      if (FCanFocused && Focused()) {
        const auto delta = static_cast<short>(HIWORD(static_cast<DWORD>(Message.WParam)));
        SetPosition(delta > 0 ? FPosition - FSmallChange : FPosition + FSmallChange);
        Message.Result = 0;
        return;
      }
      break;
    default: break;
  }
  TvlSkinCustomControl::Dispatch(Message);
}

void TvlSkinScrollBar::WMSetFocus(TMessage& Message) {
  TvlSkinCustomControl::WMSetFocus(Message);
  if (FCanFocused) Repaint();
}

void TvlSkinScrollBar::WMKillFocus(TMessage& Message) {
  TvlSkinCustomControl::WMKillFocus(Message);
  if (FCanFocused) Repaint();
}

void TvlSkinScrollBar::CMEnabledChanged(TMessage& Message) {
  TvlSkinCustomControl::CMEnabledChanged(Message);
  Repaint();
}

void TvlSkinScrollBar::WMEraseBkgnd(TMessage& Message) {
  if (!FromWMPaint && Message.WParam) PaintWindow(reinterpret_cast<HDC>(Message.WParam));
  Message.Result = 1;
}

// ---- Drawing -----------------------------------------------------------------------------------

void TvlSkinScrollBar::DrawSkinThumb(TBitmap* B) {
  const Part& thumb = FButtons[kThumb];
  const bool pressedLook = thumb.Down || (FCanFocused && Focused());
  const TRect image = pressedLook ? DownThumbRect : (thumb.MouseIn ? ActiveThumbRect : ThumbRect);
  const TRect glyph = pressedLook ? DownGlyphRect : (thumb.MouseIn ? ActiveGlyphRect : GlyphRect);
  const int w = thumb.R.Width(), h = thumb.R.Height();
  if (w <= 0 || h <= 0 || !RectInsidePicture(image, Picture)) return;
  TBitmap face;
  if (FPageSize > 0 || ThumbMinPageSize != 0) {
    if (Horizontal())
      ComposeSkinStrip(ThumbOffset1, ThumbOffset2, &face, Picture, image, w, h, ThumbStretchEffect);
    else
      ComposeSkinStripVert(ThumbOffset1, ThumbOffset2, &face, Picture, image, w, h, ThumbStretchEffect);
  } else {
    PrepareBitmap(&face, w, h);
    if (!face.Empty()) face.Canvas()->CopyRect(TRect{0, 0, w, h}, Picture->Canvas(), image);
  }
  if (face.Empty()) return;
  const int glyphLength = Horizontal() ? glyph.Width() : glyph.Height();
  const int thumbLength = Horizontal() ? face.Width() : face.Height();
  TBitmap piece;
  if (!IsNullRect(glyph) && glyphLength < thumbLength && CopyPiece(&piece, Picture, glyph)) {
    if (GlyphTransparent) {
      piece.SetTransparentMode(TTransparentMode::tmFixed);
      piece.SetTransparentColor(GlyphTransparentColor);
      piece.SetTransparent(true);
    }
    face.Canvas()->Draw(face.Width() / 2 - piece.Width() / 2, face.Height() / 2 - piece.Height() / 2, &piece);
  }
  if (ThumbTransparent) {
    face.SetTransparentMode(TTransparentMode::tmFixed);
    face.SetTransparentColor(ThumbTransparentColor);
    face.SetTransparent(true);
  }
  B->Canvas()->Draw(thumb.R.Left, thumb.R.Top, &face);
}

void TvlSkinScrollBar::CreateControlSkinImage(TBitmap* B) {
  TvlSkinCustomControl::CreateControlSkinImage(B);
  if (B->Empty()) return;
  Layout();
  for (int part : {kUpButton, kDownButton}) {
    const Part& p = FButtons[static_cast<std::size_t>(part)];
    const bool up = part == kUpButton;
    TRect image{};
    if (p.Down && p.MouseIn)
      image = up ? DownUpButtonRect : DownDownButtonRect;
    else if (p.MouseIn)
      image = up ? ActiveUpButtonRect : ActiveDownButtonRect;
    // The normal state is part of the bar's own image.
    if (RectInsidePicture(image, Picture) && !IsNullRect(p.R)) B->Canvas()->CopyRect(p.R, Picture->Canvas(), image);
  }
  if (Enabled()) DrawSkinThumb(B);
}

void TvlSkinScrollBar::DrawBuiltinPart(TCanvas* C, int Index, int Direction) {
  const Part& p = FButtons[static_cast<std::size_t>(Index)];
  if (IsNullRect(p.R)) return;
  const bool pressed = (p.Down && p.MouseIn) || (Index == kThumb && (p.Down || (FCanFocused && Focused())));
  if (pressed)
    DrawBuiltinFace(C, p.R, clNavy, kBuiltinDownFill);
  else if (p.MouseIn)
    DrawBuiltinFace(C, p.R, clNavy, kBuiltinHoverFill);
  else
    DrawBuiltinFace(C, p.R, clBtnShadow, clBtnFace);
  if (Direction) DrawArrowGlyph(C, p.R, clBlack, Direction);
}

void TvlSkinScrollBar::CreateControlDefaultImage(TBitmap* B) {
  Layout();
  TCanvas* c = B->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect{0, 0, B->Width(), B->Height()});
  if (Enabled()) DrawBuiltinPart(c, kThumb, 0);
  DrawBuiltinPart(c, kUpButton, Horizontal() ? kRight : kDown);
  DrawBuiltinPart(c, kDownButton, Horizontal() ? kLeft : kUp);
}

TvlSkinScrollBar* vlNewDialogScrollBar(TComponent* Owner, TWinControl* Parent, TScrollBarKind Kind) {
  auto* bar = new TvlSkinScrollBar(Owner);
  const bool vertical = Kind == TScrollBarKind::sbVertical;
  if (vertical) bar->SetKind(Kind);
  bar->SetParent(Parent);
  if (vertical) {
    bar->SetAlign(TAlign::alRight);
    bar->SetDefaultWidth(19);
  } else {
    bar->SetAlign(TAlign::alBottom);
    bar->SetDefaultHeight(19);
    bar->SetBothMarkerWidth(19);
  }
  bar->SetEnabled(false);
  bar->SetSkinDataName(vertical ? "vscrollbar" : "hscrollbar");
  return bar;
}
