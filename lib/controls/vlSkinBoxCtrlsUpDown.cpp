// The skinned up-down: two arrow buttons stepping Position, once per click and repeated while
// a button is held (window timer 1: a 500 ms wait, then a step every 100 ms).

#include <algorithm>

#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/WindowTree.h"
#include "platform/controls/Timers.h"

using namespace vlskinctrls_detail;

namespace {

// Arrow directions of DrawArrowGlyph.
constexpr int kArrowLeft = 1, kArrowRight = 2, kArrowUp = 3, kArrowDown = 4;
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstWait = 500, kRepeatInterval = 100, kResumeInterval = 50;

}  // namespace

TvlSkinUpDown::TvlSkinUpDown(TComponent* AOwner) : TvlSkinCustomControl(AOwner) {
  FSkinDataName = "hupdown";
  SetBounds(Left(), Top(), 50, 25);
}

void TvlSkinUpDown::SetPosition(int Value) {
  if (Value > FMax || Value < FMin) return;
  FPosition = Value;
  if (!ComponentState().Contains(TComponentStateFlag::csDesigning) && OnChange) OnChange(this);
}

void TvlSkinUpDown::SetMin(int Value) {
  FMin = Value;
  if (FPosition < FMin) FPosition = FMin;
}

void TvlSkinUpDown::SetMax(int Value) {
  FMax = Value;
  if (FPosition > FMax) FPosition = FMax;
}

void TvlSkinUpDown::SetOrientation(TUDOrientation Value) {
  FOrientation = Value;
  CalcButtonRects();
  Repaint();
}

// ---- Skin and layout ---------------------------------------------------------------------------

void TvlSkinUpDown::GetSkinData() {
  TvlSkinCustomControl::GetSkinData();
  if (auto* d = FIndex == -1 ? nullptr : dynamic_cast<TvlDataSkinUpDownControl*>(vlControlElement(FSD, FIndex))) {
    UpButtonRect = d->UpButtonRect;
    ActiveUpButtonRect = d->ActiveUpButtonRect;
    DownUpButtonRect = IsNullRect(d->DownUpButtonRect) ? d->ActiveUpButtonRect : d->DownUpButtonRect;
    DownButtonRect = d->DownButtonRect;
    ActiveDownButtonRect = d->ActiveDownButtonRect;
    DownDownButtonRect = IsNullRect(d->DownDownButtonRect) ? d->ActiveDownButtonRect : d->DownDownButtonRect;
    LTPt = RTPt = LBPt = RBPt = TPoint{0, 0};
    ClRect = TRect{};
  }
  CalcButtonRects();
}

void TvlSkinUpDown::CalcButtonRects() {
  const int w = Width(), h = Height();
  if (FIndex != -1 && UseSkinSize) {
    Buttons[0].R = UpButtonRect;
    Buttons[1].R = DownButtonRect;
  } else if (FOrientation == TUDOrientation::udVertical) {
    Buttons[0].R = TRect{0, 0, w, h / 2};
    Buttons[1].R = TRect{0, h / 2, w, h};
  } else {
    Buttons[1].R = TRect{0, 0, w / 2, h};
    Buttons[0].R = TRect{w / 2, 0, w, h};
  }
}

void TvlSkinUpDown::CalcSize(int& AWidth, int& AHeight) {
  if (UseSkinSize) TvlSkinCustomControl::CalcSize(AWidth, AHeight);
}

void TvlSkinUpDown::SetControlRegion() {
  if (UseSkinSize) {
    TvlSkinCustomControl::SetControlRegion();
  } else if (FRgnSet && HandleAllocated()) {
    SetWindowRgn(Handle(), nullptr, TRUE);
    FRgnSet = false;
  }
}

// ---- Painting ----------------------------------------------------------------------------------

void TvlSkinUpDown::CreateControlDefaultImage(TBitmap* B) {
  CalcButtonRects();
  DrawUpDownButton(B->Canvas(), 0);
  DrawUpDownButton(B->Canvas(), 1);
}

void TvlSkinUpDown::CreateControlSkinImage(TBitmap* B) {
  if (UseSkinSize) {
    TvlSkinCustomControl::CreateControlSkinImage(B);
    DrawUpDownButton(B->Canvas(), 0);
    DrawUpDownButton(B->Canvas(), 1);
  } else {
    DrawResizeButton(B->Canvas(), 0);
    DrawResizeButton(B->Canvas(), 1);
  }
}

namespace {

int ArrowOf(int Index, TUDOrientation Orientation) {
  const bool vertical = Orientation == TUDOrientation::udVertical;
  if (Index == 0) return vertical ? kArrowUp : kArrowRight;
  return vertical ? kArrowDown : kArrowLeft;
}

}  // namespace

void TvlSkinUpDown::DrawUpDownButton(TCanvas* C, int Index) {
  const TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  if (IsNullRect(b.R)) return;
  if (FIndex == -1 || !Picture) {
    if (b.Down && b.MouseIn)
      DrawBuiltinFace(C, b.R, clNavy, kBuiltinDownFill);
    else if (b.MouseIn)
      DrawBuiltinFace(C, b.R, clNavy, kBuiltinHoverFill);
    else
      DrawBuiltinFace(C, b.R, clBtnShadow, clBtnFace);
    DrawArrowGlyph(C, b.R, clBlack, ArrowOf(Index, FOrientation));
    return;
  }
  TRect source{};
  if (b.Down && b.MouseIn)
    source = Index == 0 ? DownUpButtonRect : DownDownButtonRect;
  else if (b.MouseIn)
    source = Index == 0 ? ActiveUpButtonRect : ActiveDownButtonRect;
  // The normal state is the element picture's own.
  if (RectInsidePicture(source, Picture)) C->CopyRect(b.R, Picture->Canvas(), source);
}

void TvlSkinUpDown::DrawResizeButton(TCanvas* C, int Index) {
  const TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  TBitmap bitmap;
  PrepareBitmap(&bitmap, b.R.Width(), b.R.Height());
  auto* e = dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(FSD, vlFindControlElement(FSD, "resizebutton")));
  TBitmap* picture = e ? vlSkinPicture(FSD, e->PictureIndex) : nullptr;
  if (!e || !picture) {
    if (!bitmap.Empty()) C->Draw(b.R.Left, b.R.Top, &bitmap);
    return;
  }
  const TRect normal = e->SkinRect;
  const TRect active = IsNullRect(e->ActiveSkinRect) ? normal : e->ActiveSkinRect;
  const TRect down = IsNullRect(e->DownSkinRect) ? active : e->DownSkinRect;
  TRect image = normal;
  TColor arrow = e->FontColor;
  if (b.Down && b.MouseIn) {
    image = down;
    arrow = e->DownFontColor;
  } else if (b.MouseIn) {
    image = active;
    arrow = e->ActiveFontColor;
  }
  if (!bitmap.Empty()) {
    DrawButtonElementFace(&bitmap, picture, *e, image);
    C->Draw(b.R.Left, b.R.Top, &bitmap);
  }
  TRect r = b.R;
  if (b.Down && b.MouseIn) {
    r.Left += 2;
    r.Top += 2;
  }
  DrawArrowGlyph(C, r, arrow, ArrowOf(Index, FOrientation));
}

// ---- Mouse and repetition ----------------------------------------------------------------------

void TvlSkinUpDown::TestActiveButton(int X, int Y) {
  OldActiveButton = ActiveButton;
  ActiveButton = -1;
  for (int i = 0; i < 2 && ActiveButton == -1; ++i)
    if (IsPointInRect(Buttons[static_cast<std::size_t>(i)].R, TPoint{X, Y})) ActiveButton = i;
  if (CaptureButton != -1 && ActiveButton != -1 && ActiveButton != CaptureButton) ActiveButton = -1;
  if (ActiveButton == OldActiveButton) return;
  if (OldActiveButton != -1) ButtonLeave(OldActiveButton);
  if (ActiveButton != -1) ButtonEnter(ActiveButton);
}

void TvlSkinUpDown::StartTimer(UINT Interval) {
  if (HandleAllocated()) SetTimer(Handle(), kRepeatTimer, Interval, nullptr);
}

void TvlSkinUpDown::StopTimer() {
  if (HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
  TimerMode = 0;
}

void TvlSkinUpDown::ButtonDown(int Index) {
  TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  b.MouseIn = b.Down = true;
  Repaint();
  if (Increment == 0) return;
  TimerMode = Index == 0 ? 2 : 1;
  WaitMode = true;
  StartTimer(kFirstWait);
}

void TvlSkinUpDown::ButtonUp(int Index) {
  if (Increment != 0) StopTimer();
  TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  b.Down = false;
  if (Index != ActiveButton) b.MouseIn = false;
  Repaint();
  if (!b.MouseIn) return;  // released elsewhere: no step, no event
  TWeak<TControl> self(this);
  if (Index == 0) {
    if (Increment != 0) SetPosition(FPosition + Increment);
    if (self && OnUpButtonClick) OnUpButtonClick(this);
  } else {
    if (Increment != 0) SetPosition(FPosition - Increment);
    if (self && OnDownButtonClick) OnDownButtonClick(this);
  }
}

void TvlSkinUpDown::ButtonEnter(int Index) {
  Buttons[static_cast<std::size_t>(1 - Index)].MouseIn = false;
  TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  b.MouseIn = true;
  Repaint();
  if (Increment != 0 && b.Down) StartTimer(kResumeInterval);
}

void TvlSkinUpDown::ButtonLeave(int Index) {
  TvlCBButtonX& b = Buttons[static_cast<std::size_t>(Index)];
  b.MouseIn = false;
  Repaint();
  if (Increment != 0 && b.Down && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
}

void TvlSkinUpDown::TimerTick() {
  if (WaitMode) {
    WaitMode = false;
    if (HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
    StartTimer(kRepeatInterval);
    return;
  }
  if (TimerMode == 1) SetPosition(FPosition - Increment);
  if (TimerMode == 2) SetPosition(FPosition + Increment);
}

void TvlSkinUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TestActiveButton(X, Y);
  Buttons[ActiveButton == 0 ? 1 : 0].MouseIn = false;
  if (ActiveButton != -1) {
    CaptureButton = ActiveButton;
    ButtonDown(ActiveButton);
  }
  TvlSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TvlSkinUpDown::MouseMove(TShiftState Shift, int X, int Y) {
  TestActiveButton(X, Y);
  TvlSkinCustomControl::MouseMove(Shift, X, Y);
}

void TvlSkinUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  if (CaptureButton != -1) {
    const int captured = CaptureButton;
    CaptureButton = -1;
    ButtonUp(captured);
  }
  if (self) TvlSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TvlSkinUpDown::CMMouseEnter(TMessage& Message) {
  ActiveButton = OldActiveButton = -1;
  TvlSkinCustomControl::CMMouseEnter(Message);
}

void TvlSkinUpDown::CMMouseLeave(TMessage& Message) {
  ActiveButton = OldActiveButton = -1;
  TvlSkinCustomControl::CMMouseLeave(Message);
  // As a move off the button would: a held button pauses its repetition.
  for (int i = 0; i < 2; ++i)
    if (Buttons[static_cast<std::size_t>(i)].MouseIn) ButtonLeave(i);
}

void TvlSkinUpDown::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      TvlSkinCustomControl::Dispatch(Message);
      CalcButtonRects();
      return;
    case WM_TIMER:
      TvlSkinCustomControl::Dispatch(Message);
      TimerTick();
      return;
    default: TvlSkinCustomControl::Dispatch(Message); return;
  }
}
