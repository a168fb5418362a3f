// The skinned window states a form's caption buttons switch: minimized (the caption bar alone,
// lined up with other minimized forms at the bottom of the work area), maximized (the work area)
// and restored, and the roll-up to the caption. A skinned form does not use the platform's
// states: it moves and sizes itself, so that the frame, the region and the layered border follow.
//
// FIXME: MDI children, the tray and the first-show placement are not handled here yet.

#include "lib/Velmora.h"
#include "lib/VelmoraLayer.h"
#include "lib/vlLayerManager.h"
#include "platform/Application.h"
#include "platform/Screen.h"
#include "platform/Timers.h"

namespace {

bool IsNull(const TRect& R) { return R.Left == 0 && R.Top == 0 && R.Right == 0 && R.Bottom == 0; }

}  // namespace

void TvlVelmora::SetWindowState(TWindowState Value) {
  if (!FSkinnableForm) {
    FForm->SetWindowState(Value);
    return;
  }
  if (Value == FWindowState) return;
  const TWindowState old = FWindowState;
  const bool keepState = Value == TWindowState::wsMinimized && (Application()->MainForm() == FForm || MinimizeDefault);
  if (!keepState) FWindowState = Value;
  switch (Value) {
    case TWindowState::wsNormal:
      if (old == TWindowState::wsMaximized && FRollUpState && !FRollUpBeforeMaximize) {
        // Unrolled as the form leaves the maximized state it was rolled up in.
        FRollUpState = false;
        MaxRollUpState = false;
      }
      FRollUpBeforeMaximize = false;
      DoRestore();
      break;
    case TWindowState::wsMinimized: DoMinimize(); break;
    case TWindowState::wsMaximized:
      FRollUpBeforeMaximize = FRollUpState;
      DoMaximize();
      break;
  }
}

void TvlVelmora::DoMinimize() {
  TWeak<TvlVelmora> alive(this);
  if (Application()->MainForm() == FForm) {
    Application()->Minimize();
  } else if (MinimizeDefault) {
    FForm->SetWindowState(TWindowState::wsMinimized);
  } else {
    if (IsNull(OldBoundsRect)) OldBoundsRect = FForm->BoundsRect();
    const TPoint at = FindMinimizedPlace();
    FForm->SetBounds(at.X, at.Y, GetMinWidth(), GetMinHeight());
  }
  if (alive && OnMinimize) OnMinimize(this);
}

TPoint TvlVelmora::FindMinimizedPlace() {
  const int w = GetMinWidth(), h = GetMinHeight();
  TRect area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetMonitorWorkArea(FForm->HandleAllocated() ? FForm->Handle() : nullptr, true, area);
  const auto taken = [&](int x, int y) {
    for (int i = 0; i < Screen()->FormCount(); ++i) {
      TCustomForm* f = Screen()->Forms(i);
      if (f == FForm || f == Application()->MainForm() || !f->Visible()) continue;
      TvlVelmora* v = vlFindSkinForm(f);
      if (v && v->WindowState() == TWindowState::wsMinimized && f->Left() == x && f->Top() == y) return true;
    }
    return false;
  };
  int x = area.Left, y = area.Bottom - h;
  while (taken(x, y)) {
    const int oldX = x;
    x += w;
    if (oldX + 2 * w > area.Right) {
      x = area.Left;
      y -= h;
    }
    if (y < area.Top) return TPoint{x, area.Bottom - h};
  }
  return TPoint{x, y};
}

void TvlVelmora::DoMaximize() {
  if (IsNull(OldBoundsRect)) OldBoundsRect = FForm->BoundsRect();
  TRect monitor{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  TRect r = monitor;
  GetMonitorWorkArea(FForm->HandleAllocated() ? FForm->Handle() : nullptr, !MaximizeOnFullScreen, r);
  if (!MaximizeOnFullScreen) {
    TRect whole = monitor;
    GetMonitorWorkArea(FForm->HandleAllocated() ? FForm->Handle() : nullptr, false, whole);
    // A work area that is the whole screen (no task bar) keeps a pixel free on every side.
    if (r == whole && whole == monitor) r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  TWeak<TvlVelmora> alive(this);
  FForm->SetBoundsRect(r);
  if (alive && OnMaximize) OnMaximize(this);
}

void TvlVelmora::DoRestore() {
  MaxRollUpState = false;
  const int w = FForm->Width(), h = FForm->Height();
  TRect to = IsNull(OldBoundsRect) ? FForm->BoundsRect() : OldBoundsRect;
  FStartShow = false;
  TWeak<TvlVelmora> alive(this);
  FForm->SetBoundsRect(to);
  if (!alive) return;
  MouseTimer->SetEnabled(true);
  if (w == to.Width() && h == to.Height()) RefreshFrameSize();
  RepaintForm();
  OldBoundsRect = TRect{0, 0, 0, 0};
  if (OnRestore) OnRestore(this);
}

void TvlVelmora::SetRollUpState(bool Value) {
  if (!FBorderIcons.Contains(TvlBorderIcon::biRollUp) || FWindowState == TWindowState::wsMinimized) return;
  if (FRollUpState && FWindowState == TWindowState::wsMaximized && !MaxRollUpState) return;
  if (FWindowState == TWindowState::wsMaximized) MaxRollUpState = Value;
  FRollUpState = Value;
  TWeak<TvlVelmora> alive(this);
  if (Value) {
    OldHeight = FForm->Height();
    FForm->SetHeight(GetMinHeight());
  } else if (ClientHeight != 0) {
    FForm->SetClientHeight(ClientHeight);
  } else {
    FForm->SetHeight(OldHeight);
  }
  if (alive && OnChangeRollUpState) OnChangeRollUpState(this);
}

void TvlVelmora::MinimizeToTray() {}
