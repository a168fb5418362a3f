#pragma once
// The timed behaviours the skinned buttons and boxes share: the hover fade between the normal
// and the hover look, the repetition of a click while a button is held, and the frame
// animation of a skin element. Each runs on one platform timer (so on the one clock tests can
// replace), counts in whole steps, and always comes to an end; nothing busy-waits.
//
// The owner keeps its rules (when to start, which way to go) and is called back on every tick;
// a callback may stop or restart its own behaviour. GUI thread only.

#include <functional>
#include <memory>

#include "platform/core/Types.h"

class TTimer;

// A timer that exists from the first start on and is only enabled while it runs, so that a
// tick may stop or restart it without freeing the timer it is running in.
class TvlTickTimer {
 public:
  explicit TvlTickTimer(std::function<void()> OnTick);
  ~TvlTickTimer();
  TvlTickTimer(const TvlTickTimer&) = delete;
  TvlTickTimer& operator=(const TvlTickTimer&) = delete;

  // Starts a new full interval (at least 1 ms).
  void Start(UINT Interval);
  // Changes the period of a running timer without a restart of the present interval's count.
  void SetInterval(UINT Interval);
  void Stop();
  [[nodiscard]] bool Running() const;

 private:
  std::function<void()> on_tick_;
  std::unique_ptr<TTimer> timer_;
};

// The fade between the normal look (step 0) and the hover look (step kSteps), one step a tick
// of kInterval ms. The position is a whole step, so a fade always ends after kSteps ticks.
class TvlHoverMorph {
 public:
  static constexpr int kSteps = 5;
  static constexpr UINT kInterval = 20;

  // OnTick runs on every tick; it decides the direction (MoveToward) and when to stop.
  explicit TvlHoverMorph(std::function<void()> OnTick);

  [[nodiscard]] int Step() const { return step_; }
  // The position as the morph transitions take it, 0 .. 1.
  [[nodiscard]] double Kf() const { return static_cast<double>(step_) / kSteps; }
  // Between the two looks (neither 0 nor 1).
  [[nodiscard]] bool Between() const { return step_ > 0 && step_ < kSteps; }
  [[nodiscard]] bool AtHover() const { return step_ == kSteps; }
  // Jumps to one end.
  void SetHover(bool Hover) { step_ = Hover ? kSteps : 0; }
  // One step toward the hover look (Hover) or the normal one; false when already there.
  bool MoveToward(bool Hover);
  // One tick of a fade toward Hover: a step, or at the end a stop; without Available (no
  // element, no effects) a jump to the end and a stop. True when the look changed (the owner
  // repaints).
  bool Follow(bool Available, bool Hover);

  // Starts the timer unless it runs.
  void Start();
  void Stop() { timer_.Stop(); }
  [[nodiscard]] bool Running() const { return timer_.Running(); }

 private:
  int step_ = 0;
  TvlTickTimer timer_;
};

// Repeats a click while a button is held: the first tick comes after kFirstDelay ms and only
// switches the period to the repeat interval; every later tick calls OnRepeat.
class TvlClickRepeater {
 public:
  static constexpr UINT kFirstDelay = 500;

  explicit TvlClickRepeater(std::function<void()> OnRepeat);
  // (Re)starts with the first delay; Interval (at least 1 ms) applies from the first tick on.
  void Start(UINT Interval);
  void Stop() { timer_.Stop(); }
  [[nodiscard]] bool Running() const { return timer_.Running(); }

 private:
  std::function<void()> on_repeat_;
  UINT interval_ = 100;
  bool first_ = true;
  TvlTickTimer timer_;
};

// The frames of a skin element's animation strip shown one a tick: forward from frame 1 past
// the last, or backward from the last to 0. Stopping (or ending) sets the frame to 0.
class TvlFrameAnimation {
 public:
  // OnFrame runs after every frame change (the owner repaints).
  explicit TvlFrameAnimation(std::function<void()> OnFrame);
  // Stops a running animation and starts anew; nothing for FrameCount below 1.
  void Start(bool Forward, int FrameCount, int Interval);
  void Stop();
  [[nodiscard]] bool Running() const { return timer_.Running(); }
  // 1-based frame now shown; 0 when none.
  [[nodiscard]] int CurrentFrame() const { return current_; }
  [[nodiscard]] bool Forward() const { return forward_; }

 private:
  void Tick();

  std::function<void()> on_frame_;
  int current_ = 0;
  int count_ = 0;
  bool forward_ = false;
  TvlTickTimer timer_;
};

// Frame Frame (1-based) of an animation strip of FrameCount frames: side by side when the strip
// is wider than the element's SkinRect, else one below the other. Empty for a frame outside
// 1 .. FrameCount.
[[nodiscard]] TRect vlAnimationFrameRect(const TRect& Strip, const TRect& SkinRect, int FrameCount, int Frame);
