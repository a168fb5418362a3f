#pragma once
// Waiting in a test for something that happens in another thread, process or the X server when it
// signals nothing the test could wait on: PollUntil looks at Condition until it holds or the
// watchdog's time is up. The watchdog is long, so a loaded machine slows such a wait but does not
// fail it; a sound run never waits for it.

#include <chrono>
#include <thread>

namespace test_wait {

inline constexpr std::chrono::milliseconds kWatchdog{30000};

// True as soon as Condition holds; false when it still does not after Watchdog. Between looks it
// runs Between (pumping a message queue, say) and otherwise pauses briefly.
template <typename F, typename G>
bool PollUntil(F&& Condition, G&& Between, std::chrono::milliseconds Watchdog = kWatchdog) {
  const auto deadline = std::chrono::steady_clock::now() + Watchdog;
  while (!Condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return Condition();
    Between();
    // The interval between two looks, not a wait for the event: nothing signals it.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

template <typename F>
bool PollUntil(F&& Condition, std::chrono::milliseconds Watchdog = kWatchdog) {
  return PollUntil(Condition, [] {}, Watchdog);
}

}  // namespace test_wait
