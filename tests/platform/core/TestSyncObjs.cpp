#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/platform/Watchdog.h"
#include "platform/core/SyncObjs.h"

namespace {

TEST(CriticalSection, IsReentrantForItsHolderAndExcludesOthers) {
  TCriticalSection cs;
  cs.Enter();
  cs.Enter();  // the holder may take it again
  bool other_got_it = true;
  std::thread([&] { other_got_it = cs.TryEnter(); }).join();
  EXPECT_FALSE(other_got_it);
  cs.Leave();
  std::thread([&] { other_got_it = cs.TryEnter(); }).join();
  EXPECT_FALSE(other_got_it) << "still held once";
  cs.Leave();
  std::thread([&] {
    other_got_it = cs.TryEnter();
    if (other_got_it) cs.Leave();
  }).join();
  EXPECT_TRUE(other_got_it);
}

TEST(CriticalSection, SerialisesCounterUpdates) {
  TWatchdog dog("critical section counter");
  TCriticalSection cs;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        std::lock_guard lock(cs);
        ++counter;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 40000);
}

TEST(Event, ManualResetReleasesEveryWaiterAndStaysSignalled) {
  TWatchdog dog("manual-reset event");
  TEvent event(true, false);
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      if (event.WaitFor(INFINITE) == TWaitResult::wrSignaled) ++released;
    });
  }
  event.SetEvent();
  for (auto& t : waiters) t.join();
  EXPECT_EQ(released.load(), 3);
  EXPECT_EQ(event.WaitFor(0), TWaitResult::wrSignaled) << "stays set until reset";
  event.ResetEvent();
  EXPECT_EQ(event.WaitFor(0), TWaitResult::wrTimeout);
}

TEST(Event, AutoResetReleasesOneWaiterPerSignal) {
  TWatchdog dog("auto-reset event");
  TEvent event(false, false);
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 2; ++i) {
    waiters.emplace_back([&] {
      if (event.WaitFor(2000) == TWaitResult::wrSignaled) ++released;
    });
  }
  event.SetEvent();
  while (released.load() < 1) std::this_thread::yield();
  EXPECT_EQ(event.WaitFor(0), TWaitResult::wrTimeout) << "the signal was consumed by one waiter";
  EXPECT_EQ(released.load(), 1);
  event.SetEvent();
  for (auto& t : waiters) t.join();
  EXPECT_EQ(released.load(), 2);
}

TEST(Event, WaitTimesOutWhenNeverSignalled) {
  TEvent event(true, false);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(event.WaitFor(30), TWaitResult::wrTimeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
}

TEST(EventHandle, WaitsFollowTheEventsState) {
  HANDLE manual = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  HANDLE autoreset = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  ASSERT_NE(manual, nullptr);
  ASSERT_NE(autoreset, nullptr);
  EXPECT_NE(manual, autoreset);

  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0) << "created signalled";
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);

  EXPECT_EQ(WaitForSingleObject(autoreset, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(autoreset));
  EXPECT_EQ(WaitForSingleObject(autoreset, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(autoreset, 0), WAIT_TIMEOUT) << "auto reset after one wait";

  EXPECT_TRUE(CloseHandle(manual));
  EXPECT_TRUE(CloseHandle(autoreset));
}

TEST(EventHandle, ClosedOrUnknownHandlesFailQuietly) {
  HANDLE h = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(CloseHandle(h));
  for (HANDLE bad : {h, static_cast<HANDLE>(nullptr), reinterpret_cast<HANDLE>(std::uintptr_t{0xDEAD0000})}) {
    EXPECT_FALSE(SetEvent(bad));
    EXPECT_FALSE(ResetEvent(bad));
    EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(bad));
  }
}

TEST(EventHandle, SignalFromAnotherThreadEndsAnInfiniteWait) {
  TWatchdog dog("cross-thread event handle");
  HANDLE h = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::thread setter([h] { SetEvent(h); });
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  setter.join();
  CloseHandle(h);
}

TEST(Interlocked, CountsAndSwapsAtomically) {
  volatile LONG value = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 5000; ++i) {
        InterlockedIncrement(&value);
        InterlockedIncrement(&value);
        InterlockedDecrement(&value);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(value, 20000);
  EXPECT_EQ(InterlockedExchange(&value, 7), 20000);
  EXPECT_EQ(InterlockedCompareExchange(&value, 9, 1), 7) << "no swap when the comparand differs";
  EXPECT_EQ(value, 7);
  EXPECT_EQ(InterlockedCompareExchange(&value, 9, 7), 7);
  EXPECT_EQ(value, 9);
}


TEST(MutexHandle, IsOwnedByOneThreadAndReentrantForIt) {
  TWatchdog dog("mutex handle");
  HANDLE m = CreateMutex(nullptr, TRUE, nullptr);  // owned by this thread from the start
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0) << "the owner takes it again";
  DWORD other = WAIT_FAILED;
  BOOL other_release = TRUE;
  std::thread([&] {
    other = WaitForSingleObject(m, 10);
    other_release = ReleaseMutex(m);
  }).join();
  EXPECT_EQ(other, WAIT_TIMEOUT);
  EXPECT_FALSE(other_release) << "only the owner may release";
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_FALSE(ReleaseMutex(m)) << "released as often as taken";
  std::thread([&] {
    other = WaitForSingleObject(m, 0);
    other_release = ReleaseMutex(m);
  }).join();
  EXPECT_EQ(other, WAIT_OBJECT_0);
  EXPECT_TRUE(other_release);
  EXPECT_FALSE(SetEvent(m)) << "a mutex is not an event";
  CloseHandle(m);
}

TEST(WaitForMultipleObjects, AnyReturnsTheLowestSignalledIndexAndAllWaitsForEvery) {
  TWatchdog dog("WaitForMultipleObjects");
  HANDLE a = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  HANDLE b = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  HANDLE pair[] = {a, b};
  EXPECT_EQ(WaitForMultipleObjects(2, pair, FALSE, 0), WAIT_TIMEOUT);
  SetEvent(b);
  EXPECT_EQ(WaitForMultipleObjects(2, pair, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT) << "the wait took the auto-reset signal";

  SetEvent(a);
  EXPECT_EQ(WaitForMultipleObjects(2, pair, TRUE, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0) << "a failed wait-all takes nothing";

  // A mutex held elsewhere and an event set later: the waiter wakes for the event.
  HANDLE m = CreateMutex(nullptr, TRUE, nullptr);
  HANDLE watched[] = {a, m};
  DWORD result = WAIT_FAILED;
  std::thread waiter([&] { result = WaitForMultipleObjects(2, watched, FALSE, INFINITE); });
  SetEvent(a);
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
  // ...and for the mutex once its owner releases it; the waiter then owns it.
  std::thread taker([&] {
    result = WaitForMultipleObjects(2, watched, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0 + 1) ReleaseMutex(m);
  });
  ReleaseMutex(m);
  taker.join();
  EXPECT_EQ(result, WAIT_OBJECT_0 + 1);

  HANDLE with_bad[] = {a, reinterpret_cast<HANDLE>(std::uintptr_t{0xBAD00})};
  EXPECT_EQ(WaitForMultipleObjects(2, with_bad, FALSE, 0), WAIT_FAILED);
  for (HANDLE h : {a, b, m}) CloseHandle(h);
}

}  // namespace
