#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "../platform/Watchdog.h"
#include "Src/FFUtils.h"
#include "platform/controls/Application.h"
#include "platform/core/Exceptions.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/SyncObjs.h"
#include "platform/core/Thread.h"
#include "platform/windowing/Window.h"

namespace {

// The GUI thread's way of waiting for a worker: short waits on the worker's event, pumping
// messages between them, as the media components do.
void WaitPumping(TEvent& done) {
  while (done.WaitFor(1) == TWaitResult::wrTimeout) PumpPendingMessages();
}

// Answers WM_USER+1 with twice wParam.
HWND MakeDoublingWindow() {
  return AllocateHWnd([](TMessage& m) {
    if (m.Msg == WM_USER + 1) m.Result = static_cast<LRESULT>(m.WParam * 2);
  });
}

TEST(CallInMainThread, RunsDirectlyOnTheMainThreadAndWaitsElsewhere) {
  TWatchdog dog("CallInMainThread");
  DWORD ran_on = 0;
  CallInMainThread([&] { ran_on = GetCurrentThreadId(); });
  EXPECT_EQ(ran_on, MainThreadID());

  TEvent done(true, false);
  std::string caught;
  std::thread worker([&] {
    CallInMainThread([&] { ran_on = GetCurrentThreadId(); });
    try {
      CallInMainThread([] { throw EInOutError("handler failed"); });
    } catch (const EInOutError& e) {
      caught = e.Message;
    }
    done.SetEvent();
  });
  ran_on = 0;
  WaitPumping(done);
  worker.join();
  EXPECT_EQ(ran_on, MainThreadID());
  EXPECT_EQ(caught, "handler failed") << "the exception travels back to the worker";
}

TEST(PumpPendingMessages, ServesMainThreadCallsAndSendsOfWorkersWithoutDeadlock) {
  TWatchdog dog("pumping wait with workers", 10000);
  HWND gui_window = MakeDoublingWindow();
  constexpr int kRounds = 300;

  // Worker A: main-thread calls and sends into the GUI thread, alternately.
  TEvent a_done(true, false);
  std::atomic<int> a_errors{0};
  int calls_served = 0;
  std::thread a([&] {
    for (int i = 0; i < kRounds; ++i) {
      CallInMainThread([&] { ++calls_served; });
      if (SendMessage(gui_window, WM_USER + 1, static_cast<WPARAM>(i), 0) != 2 * i) ++a_errors;
    }
    a_done.SetEvent();
  });

  // Worker B: has a window of its own that the GUI thread sends to, while B sends to the GUI
  // thread at the same time.
  TEvent b_ready(true, false), b_done(true, false), b_stop(true, false);
  HWND b_window = nullptr;
  std::atomic<int> b_errors{0};
  std::thread b([&] {
    b_window = MakeDoublingWindow();
    b_ready.SetEvent();
    for (int i = 0; i < kRounds; ++i) {
      if (SendMessage(gui_window, WM_USER + 1, static_cast<WPARAM>(i), 0) != 2 * i) ++b_errors;
      PumpPendingMessages();
    }
    b_done.SetEvent();
    while (b_stop.WaitFor(1) == TWaitResult::wrTimeout) PumpPendingMessages();
    DeallocateHWnd(b_window);
  });
  (void)b_ready.WaitFor(INFINITE);

  for (int i = 0; i < kRounds; ++i) {
    ASSERT_EQ(SendMessage(b_window, WM_USER + 1, static_cast<WPARAM>(i), 0), 2 * i);
    PumpPendingMessages();
  }
  WaitPumping(a_done);
  WaitPumping(b_done);
  b_stop.SetEvent();
  a.join();
  b.join();
  EXPECT_EQ(calls_served, kRounds);
  EXPECT_EQ(a_errors.load(), 0);
  EXPECT_EQ(b_errors.load(), 0);
  DeallocateHWnd(gui_window);
}

TEST(ProcessOneMessage, TakesOneMessageAndLeavesQuitUndispatched) {
  std::vector<UINT> dispatched;
  HWND h = AllocateHWnd([&](TMessage& m) { dispatched.push_back(m.Msg); });
  MSG msg;
  EXPECT_FALSE(ProcessOneMessage(msg)) << "empty queue";
  PostMessage(h, WM_USER, 0, 0);
  PostMessage(h, WM_USER + 5, 0, 0);
  PostQuitMessage(3);
  EXPECT_TRUE(ProcessOneMessage(msg));
  EXPECT_EQ(dispatched, std::vector<UINT>{WM_USER});
  EXPECT_TRUE(ProcessOneMessage(msg));
  EXPECT_TRUE(ProcessOneMessage(msg));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(dispatched, (std::vector<UINT>{WM_USER, WM_USER + 5}));
  EXPECT_FALSE(ProcessOneMessage(msg)) << "the quit was taken off";
  DeallocateHWnd(h);
}

TEST(PumpPendingMessages, AQuitItMeetsStillEndsTheApplicationsLoop) {
  TWatchdog dog("quit survives the pump");
  TApplication app(nullptr);
  std::vector<std::string> log;
  HWND h = AllocateHWnd([&](TMessage& m) {
    if (m.Msg == WM_USER) log.push_back("user " + std::to_string(m.WParam));
    if (m.Msg == WM_USER + 1) {
      // A handler that waits and pumps, as a stop of the player does, while a quit arrives.
      PostQuitMessage(5);
      PostMessage(nullptr, WM_NULL, 0, 0);
      PumpPendingMessages();
      log.push_back("pumped");
    }
  });
  PostMessage(h, WM_USER + 1, 0, 0);
  PostMessage(h, WM_USER, 1, 0);
  app.Run();  // must end by the re-posted quit
  EXPECT_TRUE(app.Terminated());
  EXPECT_EQ(log, (std::vector<std::string>{"user 1", "pumped"}));
  MSG msg;
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) << "no quit left behind";
  DeallocateHWnd(h);
}

}  // namespace
