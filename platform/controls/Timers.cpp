#include "platform/controls/Timers.h"

#include "platform/controls/Application.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Window.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
}  // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  window_ = AllocateHWnd([this](TMessage& m) {
    if (m.Msg != WM_TIMER) {
      m.Result = DefWindowProc(window_, m.Msg, m.WParam, m.LParam);
      return;
    }
    try {
      Timer();
    } catch (...) {
      Application()->HandleException(this);
    }
  });
  UpdateTimer();
}

TTimer::~TTimer() {
  enabled_ = false;
  DeallocateHWnd(window_);  // kills its timer with it
}

void TTimer::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  UpdateTimer();
}

void TTimer::SetInterval(UINT Value) {
  if (Value == interval_) return;
  interval_ = Value;
  UpdateTimer();
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::UpdateTimer() {
  KillTimer(window_, kTimerId);
  if (enabled_ && interval_ != 0) SetTimer(window_, kTimerId, interval_, nullptr);
}
