#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/Watchdog.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/Thread.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/Window.h"

namespace {

// Dispatches every message that is due now and returns the timer ids seen, in order.
std::vector<UINT_PTR> PumpTimers() {
  std::vector<UINT_PTR> ids;
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_TIMER) ids.push_back(m.wParam);
    DispatchMessage(&m);
  }
  return ids;
}

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = AllocateHWnd([](TMessage&) {});
    PumpTimers();
  }
  void TearDown() override { DeallocateHWnd(window); }
  TScopedTestClock clock;
  HWND window = nullptr;
};

TEST_F(TimerTest, DueTimersFireInTheOrderTheyBecameDue) {
  ASSERT_EQ(SetTimer(window, 100, 100, nullptr), 100u);
  ASSERT_EQ(SetTimer(window, 30, 30, nullptr), 30u);
  EXPECT_TRUE(PumpTimers().empty()) << "nothing is due before the clock moves";
  clock.Advance(29);
  EXPECT_TRUE(PumpTimers().empty());
  clock.Advance(1);
  EXPECT_EQ(PumpTimers(), std::vector<UINT_PTR>{30});
  clock.Advance(70);  // t = 100: the 30 ms timer was due at 60, the other at 100
  EXPECT_EQ(PumpTimers(), (std::vector<UINT_PTR>{30, 100}));
  clock.Advance(1000);  // long overdue: still one message per timer
  EXPECT_EQ(PumpTimers(), (std::vector<UINT_PTR>{30, 100}));
  EXPECT_TRUE(KillTimer(window, 30));
  EXPECT_FALSE(KillTimer(window, 30));
  clock.Advance(100);
  EXPECT_EQ(PumpTimers(), std::vector<UINT_PTR>{100});
  EXPECT_EQ(GetTickCount(), static_cast<std::uint32_t>(clock.Milliseconds()));
}

TEST_F(TimerTest, PeekingWithoutRemovalLeavesTheTimerDue) {
  SetTimer(window, 1, 50, nullptr);
  clock.Advance(50);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(PumpTimers(), std::vector<UINT_PTR>{1});
  EXPECT_TRUE(PumpTimers().empty()) << "re-armed when taken";
}

std::vector<UINT_PTR>* g_proc_ids = nullptr;
void RecordTimer(HWND, UINT msg, UINT_PTR id, DWORD) {
  if (msg == WM_TIMER && g_proc_ids) g_proc_ids->push_back(id);
}

TEST_F(TimerTest, ThreadTimersGetTheirOwnIdsAndCallTheirProcedure) {
  std::vector<UINT_PTR> calls;
  g_proc_ids = &calls;
  UINT_PTR a = SetTimer(nullptr, 0, 20, RecordTimer);
  UINT_PTR b = SetTimer(nullptr, 0, 20, RecordTimer);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(SetTimer(nullptr, a, 40, RecordTimer), a) << "an existing id is restarted";
  clock.Advance(20);
  PumpTimers();
  EXPECT_EQ(calls, std::vector<UINT_PTR>{b});
  clock.Advance(20);
  PumpTimers();
  EXPECT_EQ(calls, (std::vector<UINT_PTR>{b, a, b}));
  KillTimer(nullptr, a);
  KillTimer(nullptr, b);
  g_proc_ids = nullptr;
}

TEST_F(TimerTest, DestroyingTheWindowKillsItsTimers) {
  HWND other = AllocateHWnd([](TMessage&) {});
  SetTimer(other, 5, 10, nullptr);
  DeallocateHWnd(other);
  clock.Advance(10);
  EXPECT_TRUE(PumpTimers().empty());
}

TEST_F(TimerTest, AdvancingTheClockWakesAThreadWaitingForItsTimer) {
  TWatchdog dog("timer wake-up");
  std::atomic<bool> waiting{false};
  std::atomic<UINT> got{0};
  std::thread waiter([&] {
    HWND h = AllocateHWnd([](TMessage&) {});
    SetTimer(h, 9, 500, nullptr);
    waiting = true;
    MSG m;
    GetMessage(&m, nullptr, 0, 0);  // sleeps until the clock moves
    got = m.message;
    DeallocateHWnd(h);
  });
  while (!waiting) std::this_thread::yield();
  clock.Advance(500);
  waiter.join();
  EXPECT_EQ(got.load(), WM_TIMER);
}

TEST(RealClockTimer, FiresThroughABlockingGetMessage) {
  TWatchdog dog("real-time timer");
  HWND h = AllocateHWnd([](TMessage&) {});
  const std::uint32_t start = GetTickCount();
  SetTimer(h, 3, 15, nullptr);
  MSG m;
  ASSERT_TRUE(GetMessage(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_GE(GetTickCount() - start, 15u);
  DeallocateHWnd(h);
}

TEST_F(TimerTest, TimerComponentFollowsEnabledAndInterval) {
  std::vector<std::string> log;
  TTimer timer(nullptr);
  timer.OnTimer = [&](TObject* sender) { log.push_back(sender == &timer ? "tick" : "wrong sender"); };
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  timer.SetInterval(100);
  clock.Advance(100);
  PumpTimers();
  EXPECT_EQ(log.size(), 1u);

  clock.Advance(60);
  timer.SetInterval(50);  // a change starts a new full interval
  clock.Advance(40);
  PumpTimers();
  EXPECT_EQ(log.size(), 1u);
  clock.Advance(10);
  PumpTimers();
  EXPECT_EQ(log.size(), 2u);

  timer.SetEnabled(false);
  clock.Advance(500);
  PumpTimers();
  EXPECT_EQ(log.size(), 2u);
  timer.SetEnabled(true);
  clock.Advance(50);
  PumpTimers();
  EXPECT_EQ(log.size(), 3u);

  timer.SetInterval(0);  // stops it
  clock.Advance(500);
  PumpTimers();
  EXPECT_EQ(log, std::vector<std::string>(3, "tick"));
}

TEST_F(TimerTest, AnExceptionInOnTimerIsReportedAndTheTimerGoesOn) {
  TApplication app(nullptr);
  std::vector<std::string> reported;
  app.OnException = [&](TObject*, const Exception& e) { reported.push_back(e.Message); };
  int ticks = 0;
  TTimer timer(nullptr);
  timer.SetInterval(10);
  timer.OnTimer = [&](TObject*) {
    ++ticks;
    throw EInvalidOperation("tick failed");
  };
  clock.Advance(10);
  PumpTimers();
  clock.Advance(10);
  PumpTimers();
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(reported, std::vector<std::string>(2, "tick failed"));
}

}  // namespace
