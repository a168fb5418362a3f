#pragma once
// The one clock of the platform layer. GetTickCount, SetTimer's due times and TTimer all read
// it, so a test can replace it and move time forward by hand.

#include <atomic>
#include <cstdint>

class TClock {
 public:
  virtual ~TClock() = default;
  // Milliseconds since an arbitrary fixed start; never goes backwards. Any thread.
  [[nodiscard]] virtual std::uint64_t Milliseconds() const = 0;
  // True when the clock advances by itself with real time. Waits for a timer then sleep for the
  // real time left; on a clock that does not, they sleep until the clock is advanced.
  [[nodiscard]] virtual bool FollowsRealTime() const { return true; }
};

// The clock in force: the system's monotonic clock unless a test installed another.
[[nodiscard]] TClock& Clock();

// Installs AClock (nullptr restores the system clock). The caller keeps ownership and must
// restore the previous clock before destroying it; TScopedTestClock does both.
void SetClock(TClock* AClock);

// A clock that moves only when told to. Advance wakes every thread waiting for messages, so a
// timer that became due fires on that thread's next message pump.
class TTestClock : public TClock {
 public:
  explicit TTestClock(std::uint64_t StartMs = 1'000'000) : now_(StartMs) {}
  [[nodiscard]] std::uint64_t Milliseconds() const override;
  [[nodiscard]] bool FollowsRealTime() const override { return false; }
  void Advance(std::uint64_t Ms);

 private:
  std::atomic<std::uint64_t> now_;
};

// Installs a TTestClock for its lifetime and restores the previous clock afterwards.
class TScopedTestClock : public TTestClock {
 public:
  explicit TScopedTestClock(std::uint64_t StartMs = 1'000'000);
  ~TScopedTestClock() override;
  TScopedTestClock(const TScopedTestClock&) = delete;
  TScopedTestClock& operator=(const TScopedTestClock&) = delete;

 private:
  TClock* previous_;
};

// Milliseconds of the clock in force, truncated to 32 bits as the classic call returns them.
[[nodiscard]] std::uint32_t GetTickCount();
[[nodiscard]] std::uint64_t GetTickCount64();

namespace detail {
// Called by TTestClock::Advance; the message queues install it to wake their waiting threads.
void SetClockAdvancedHook(void (*Hook)());
}  // namespace detail
