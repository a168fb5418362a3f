#pragma once
// TTimer: a component that calls OnTimer every Interval milliseconds of the layer's clock, on
// the thread that created it, from that thread's message loop.

#include "platform/controls/Component.h"
#include "platform/core/Types.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  // Default true. Enabling, or changing Interval, starts a new full interval.
  [[nodiscard]] bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  // Milliseconds, default 1000; 0 stops the timer.
  [[nodiscard]] UINT Interval() const { return interval_; }
  void SetInterval(UINT Value);

  // Called with the timer as sender. An exception it raises goes to the application's
  // HandleException; the timer keeps running.
  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();

  HWND window_ = nullptr;
  bool enabled_ = true;
  UINT interval_ = 1000;
};
