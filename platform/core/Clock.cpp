#include "platform/core/Clock.h"

#include <atomic>
#include <chrono>

namespace {

class TSystemClock : public TClock {
 public:
  [[nodiscard]] std::uint64_t Milliseconds() const override {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
};

TSystemClock g_system_clock;
std::atomic<TClock*> g_clock{nullptr};
std::atomic<void (*)()> g_advanced_hook{nullptr};

}  // namespace

TClock& Clock() {
  TClock* c = g_clock.load(std::memory_order_acquire);
  return c ? *c : g_system_clock;
}

void SetClock(TClock* AClock) {
  g_clock.store(AClock, std::memory_order_release);
  if (auto hook = g_advanced_hook.load()) hook();
}

std::uint64_t TTestClock::Milliseconds() const {
  return now_.load();
}

void TTestClock::Advance(std::uint64_t Ms) {
  now_.fetch_add(Ms);
  if (auto hook = g_advanced_hook.load()) hook();
}

TScopedTestClock::TScopedTestClock(std::uint64_t StartMs)
    : TTestClock(StartMs), previous_(g_clock.load()) {
  SetClock(this);
}

TScopedTestClock::~TScopedTestClock() { SetClock(previous_); }

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(Clock().Milliseconds()); }
std::uint64_t GetTickCount64() { return Clock().Milliseconds(); }

void detail::SetClockAdvancedHook(void (*Hook)()) { g_advanced_hook.store(Hook); }
