#include "lib/controls/vlSkinCtrlsAnimators.h"

#include <algorithm>

#include "platform/controls/Timers.h"

// ---- TvlTickTimer ------------------------------------------------------------------------------

TvlTickTimer::TvlTickTimer(std::function<void()> OnTick) : on_tick_(std::move(OnTick)) {}

TvlTickTimer::~TvlTickTimer() = default;

void TvlTickTimer::Start(UINT Interval) {
  if (!timer_) {
    timer_ = std::make_unique<TTimer>(nullptr);
    timer_->SetEnabled(false);
    timer_->OnTimer = [this](TObject*) {
      if (on_tick_) on_tick_();
    };
  }
  timer_->SetEnabled(false);
  timer_->SetInterval(std::max<UINT>(Interval, 1));
  timer_->SetEnabled(true);
}

void TvlTickTimer::SetInterval(UINT Interval) {
  if (timer_) timer_->SetInterval(std::max<UINT>(Interval, 1));
}

void TvlTickTimer::Stop() {
  if (timer_) timer_->SetEnabled(false);
}

bool TvlTickTimer::Running() const { return timer_ && timer_->Enabled(); }

// ---- TvlHoverMorph -----------------------------------------------------------------------------

TvlHoverMorph::TvlHoverMorph(std::function<void()> OnTick) : timer_(std::move(OnTick)) {}

bool TvlHoverMorph::MoveToward(bool Hover) {
  if (Hover && step_ < kSteps) {
    ++step_;
    return true;
  }
  if (!Hover && step_ > 0) {
    --step_;
    return true;
  }
  return false;
}

bool TvlHoverMorph::Follow(bool Available, bool Hover) {
  if (!Available) {
    SetHover(Hover);
    Stop();
    return false;
  }
  if (!MoveToward(Hover)) Stop();
  return true;
}

void TvlHoverMorph::Start() {
  if (!timer_.Running()) timer_.Start(kInterval);
}

// ---- TvlClickRepeater --------------------------------------------------------------------------

TvlClickRepeater::TvlClickRepeater(std::function<void()> OnRepeat)
    : on_repeat_(std::move(OnRepeat)), timer_([this] {
        if (first_) {
          first_ = false;
          timer_.SetInterval(interval_);
          return;
        }
        if (on_repeat_) on_repeat_();
      }) {}

void TvlClickRepeater::Start(UINT Interval) {
  interval_ = std::max<UINT>(Interval, 1);
  first_ = true;
  timer_.Start(kFirstDelay);
}

// ---- TvlFrameAnimation -------------------------------------------------------------------------

TvlFrameAnimation::TvlFrameAnimation(std::function<void()> OnFrame)
    : on_frame_(std::move(OnFrame)), timer_([this] { Tick(); }) {}

void TvlFrameAnimation::Start(bool Forward, int FrameCount, int Interval) {
  Stop();
  if (FrameCount < 1) return;
  forward_ = Forward;
  count_ = FrameCount;
  current_ = Forward ? 1 : FrameCount;
  timer_.Start(static_cast<UINT>(std::max(Interval, 1)));
}

void TvlFrameAnimation::Stop() {
  current_ = 0;
  timer_.Stop();
}

void TvlFrameAnimation::Tick() {
  if (forward_) {
    if (current_ <= count_) {
      ++current_;
      if (on_frame_) on_frame_();
    }
    if (current_ > count_) Stop();
  } else {
    if (current_ >= 0) {
      --current_;
      if (on_frame_) on_frame_();
    }
    if (current_ <= 0) Stop();
  }
}

TRect vlAnimationFrameRect(const TRect& Strip, const TRect& SkinRect, int FrameCount, int Frame) {
  if (FrameCount < 1 || Frame < 1 || Frame > FrameCount) return TRect{};
  if (Strip.Width() > SkinRect.Width()) {
    const int w = Strip.Width() / FrameCount;
    return TRect{Strip.Left + w * (Frame - 1), Strip.Top, Strip.Left + w * Frame, Strip.Bottom};
  }
  const int h = Strip.Height() / FrameCount;
  return TRect{Strip.Left, Strip.Top + h * (Frame - 1), Strip.Right, Strip.Top + h * Frame};
}
