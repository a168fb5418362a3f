#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/Watchdog.h"
#include "platform/core/Clock.h"
#include "platform/core/Exceptions.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/SyncObjs.h"
#include "platform/core/Thread.h"
#include "platform/windowing/Window.h"

namespace {

// Every window of these tests records what it hears; the record is per thread.
thread_local std::vector<std::string>* t_log = nullptr;

LRESULT LoggingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (t_log) {
    switch (msg) {
      case WM_NCCREATE: t_log->push_back("nccreate"); break;
      case WM_CREATE: t_log->push_back("create"); break;
      case WM_DESTROY: t_log->push_back("destroy"); break;
      case WM_NCDESTROY: t_log->push_back("ncdestroy"); break;
      case WM_USER: t_log->push_back("user " + std::to_string(w)); break;
      case WM_CHAR: t_log->push_back(std::string("char ") + static_cast<char>(w)); break;
      default: break;
    }
  }
  if (msg == WM_USER + 1) return static_cast<LRESULT>(w * 2);  // an answering message
  if (msg == WM_USER + 2) return static_cast<LRESULT>(GetCurrentThreadId());
  if (msg == WM_CREATE && l && reinterpret_cast<CREATESTRUCT*>(l)->lpCreateParams) return -1;
  return DefWindowProc(h, msg, w, l);
}

void RegisterTestClass() {
  static bool done = [] {
    WNDCLASS cls;
    cls.lpfnWndProc = LoggingProc;
    cls.lpszClassName = "TestWindow";
    return RegisterClass(&cls) != 0;
  }();
  ASSERT_TRUE(done);
}

HWND MakeWindow(HWND parent = nullptr) {
  return CreateWindowEx(0, "TestWindow", "caption", parent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10,
                        parent, nullptr, nullptr, nullptr);
}

// Dispatches everything waiting on this thread.
void PumpAll() {
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) continue;
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
}

class MessageQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClass();
    t_log = &log;
    PumpAll();
  }
  void TearDown() override {
    t_log = nullptr;
    // A test that ends with a pending WM_QUIT must not leak it into the next test.
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  std::vector<std::string> log;
};

TEST_F(MessageQueueTest, ClassesAreRegisteredOnceByNameAndWindowsKeepTheirClassName) {
  WNDCLASS cls;
  cls.lpfnWndProc = LoggingProc;
  cls.lpszClassName = "testwindow";
  EXPECT_EQ(RegisterClass(&cls), 0) << "names are case-insensitive";
  cls.lpszClassName = "NoProc";
  cls.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClass(&cls), 0);
  EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr), nullptr);

  HWND h = MakeWindow();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetClassName(h), "TestWindow");
  char small[5];
  EXPECT_EQ(GetClassName(h, small, sizeof small), 4);
  EXPECT_STREQ(small, "Test");
  EXPECT_EQ(GetWindowText(h), "caption");
  EXPECT_TRUE(SetWindowText(h, "新标题"));
  EXPECT_EQ(GetWindowText(h), "新标题");
  DWORD pid = 0;
  EXPECT_EQ(GetWindowThreadProcessId(h, &pid), GetCurrentThreadId());
  EXPECT_NE(pid, 0u);
  EXPECT_EQ(log, (std::vector<std::string>{"nccreate", "create"}));
  DestroyWindow(h);
}

TEST_F(MessageQueueTest, CreateFailsWhenWmCreateRefuses) {
  int refuse = 1;
  HWND h = CreateWindowEx(0, "TestWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, &refuse);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"nccreate", "create", "destroy", "ncdestroy"}));
}

TEST_F(MessageQueueTest, WindowValuesAreKeptPerIndex) {
  HWND h = MakeWindow();
  struct Case {
    int index;
    LONG_PTR value;
  };
  for (Case c : {Case{GWL_USERDATA, 0x1234}, Case{GWL_STYLE, static_cast<LONG_PTR>(WS_POPUP | WS_VISIBLE)},
                 Case{GWL_EXSTYLE, static_cast<LONG_PTR>(WS_EX_LAYERED)}, Case{GWL_ID, 77}}) {
    SCOPED_TRACE(c.index);
    LONG_PTR before = GetWindowLongPtr(h, c.index);
    EXPECT_EQ(SetWindowLongPtr(h, c.index, c.value), before);
    EXPECT_EQ(GetWindowLong(h, c.index), c.value);
  }
  EXPECT_EQ(GetWindowLongPtr(h, 12345), 0) << "unknown index";
  DestroyWindow(h);
}

LRESULT SubclassProc(HWND h, UINT msg, WPARAM w, LPARAM l);
WNDPROC g_previous = nullptr;

LRESULT SubclassProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_USER + 1) return CallWindowProc(g_previous, h, msg, w, l) + 1;
  return CallWindowProc(g_previous, h, msg, w, l);
}

TEST_F(MessageQueueTest, ReplacedProcedureGetsMessagesAndChainsToThePreviousOne) {
  HWND h = MakeWindow();
  EXPECT_EQ(SendMessage(h, WM_USER + 1, 10, 0), 20);
  g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtr(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
  EXPECT_EQ(g_previous, &LoggingProc);
  EXPECT_EQ(GetWindowLong(h, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(SubclassProc)) << "pointer-wide, not cut";
  EXPECT_EQ(SendMessage(h, WM_USER + 1, 10, 0), 21);
  PostMessage(h, WM_USER + 1, 5, 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, h, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessage(&m), 11) << "dispatch uses the current procedure too";
  SetWindowLongPtr(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
  EXPECT_EQ(SendMessage(h, WM_USER + 1, 10, 0), 20);
  DestroyWindow(h);
}

TEST_F(MessageQueueTest, DestroyingSendsDestroyMessagesAndTakesTheChildrenAlong) {
  HWND parent = MakeWindow();
  HWND child = MakeWindow(parent);
  EXPECT_EQ(GetParent(child), parent);
  log.clear();
  SendMessage(parent, WM_CLOSE, 0, 0);  // the default answer destroys the window
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(log, (std::vector<std::string>{"destroy", "destroy", "ncdestroy", "ncdestroy"}));
}

TEST_F(MessageQueueTest, ADeadHandleFailsQuietlyAndIsNeverReused) {
  HWND h = MakeWindow();
  DestroyWindow(h);
  HWND next = MakeWindow();  // takes the freed slot
  EXPECT_NE(next, h);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(SendMessage(h, WM_USER + 1, 1, 0), 0);
  EXPECT_FALSE(PostMessage(h, WM_USER, 1, 0));
  EXPECT_FALSE(DestroyWindow(h));
  EXPECT_EQ(GetWindowLongPtr(h, GWL_WNDPROC), 0);
  EXPECT_EQ(SetWindowLongPtr(h, GWL_USERDATA, 5), 0);
  EXPECT_EQ(GetClassName(h), "");
  EXPECT_EQ(GetWindowThreadProcessId(h, nullptr), 0u);
  EXPECT_EQ(SetTimer(h, 1, 10, nullptr), 0u);
  HWND garbage = reinterpret_cast<HWND>(std::uintptr_t{0x7FFFFFF1});
  EXPECT_FALSE(IsWindow(garbage));
  EXPECT_EQ(SendMessage(garbage, WM_USER, 0, 0), 0);
  EXPECT_EQ(SendMessage(nullptr, WM_USER, 0, 0), 0);
  DestroyWindow(next);
}

// Answers WM_USER+3 with n + (answer of n-1 sent to itself): a nested, re-entrant send.
LRESULT RecursiveProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_USER + 3) return w == 0 ? 0 : static_cast<LRESULT>(w) + SendMessage(h, msg, w - 1, 0);
  return DefWindowProc(h, msg, w, l);
}

TEST_F(MessageQueueTest, SendMessageOnTheOwnThreadIsReentrant) {
  WNDCLASS cls;
  cls.lpfnWndProc = RecursiveProc;
  cls.lpszClassName = "Recursive";
  RegisterClass(&cls);
  HWND h = CreateWindowEx(0, "Recursive", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SendMessage(h, WM_USER + 3, 10, 0), 55);
  DestroyWindow(h);
}

TEST_F(MessageQueueTest, PostedMessagesArriveInOrderAndFiltersPickThem) {
  HWND a = MakeWindow();
  HWND b = MakeWindow();
  PostMessage(a, WM_USER, 1, 0);
  PostMessage(b, WM_USER, 2, 0);
  PostThreadMessage(GetCurrentThreadId(), WM_APP, 3, 0);
  PostMessage(a, WM_USER, 4, 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.wParam, 2u);
  ASSERT_TRUE(PeekMessage(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) << "thread messages only";
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(m.message, WM_APP);
  EXPECT_FALSE(PeekMessage(&m, nullptr, WM_APP, WM_APP + 10, PM_REMOVE)) << "range filter";
  PumpAll();
  EXPECT_EQ(log, (std::vector<std::string>{"nccreate", "create", "nccreate", "create", "user 1", "user 2", "user 4"}));
  DestroyWindow(a);
  DestroyWindow(b);
}

TEST_F(MessageQueueTest, MessagesPostedToAWindowDestroyedMeanwhileAreDropped) {
  HWND a = MakeWindow();
  HWND b = MakeWindow();
  PostMessage(a, WM_USER, 1, 0);
  PostMessage(b, WM_USER, 2, 0);
  DestroyWindow(a);
  log.clear();
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, b);
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(b);
}

TEST_F(MessageQueueTest, QuitComesAfterThePostedMessages) {
  TWatchdog dog("quit order");
  HWND h = MakeWindow();
  PostMessage(h, WM_USER, 1, 0);
  PostQuitMessage(7);
  PostMessage(h, WM_USER, 2, 0);
  MSG m;
  std::vector<UINT> seen;
  while (GetMessage(&m, nullptr, 0, 0)) {
    seen.push_back(m.message);
    DispatchMessage(&m);
  }
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER, WM_USER}));
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) << "delivered once";
  DestroyWindow(h);
}

// Characters come from the display's input method alone; a key message makes none (else every
// letter would be typed twice).
TEST_F(MessageQueueTest, TranslateMakesNoSecondCharacter) {
  HWND h = MakeWindow();
  log.clear();
  for (WPARAM key : {WPARAM{'A'}, WPARAM{'7'}, WPARAM{VK_SPACE}, WPARAM{VK_LEFT}}) {
    MSG down{h, WM_KEYDOWN, key, 0, 0, {}};
    EXPECT_FALSE(TranslateMessage(&down)) << key;
  }
  PumpAll();
  EXPECT_TRUE(log.empty());
  DestroyWindow(h);
}

TEST_F(MessageQueueTest, RegisteredMessagesAreUniquePerName) {
  UINT a = RegisterWindowMessage("TestQueue.Alpha");
  UINT b = RegisterWindowMessage("TestQueue.Beta");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_NE(a, b);
  EXPECT_EQ(RegisterWindowMessage("testqueue.alpha"), a);
  EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST_F(MessageQueueTest, UtilityWindowsCallTheirMethod) {
  std::vector<UINT> seen;
  HWND h = AllocateHWnd([&](TMessage& m) {
    seen.push_back(m.Msg);
    m.Result = static_cast<LRESULT>(m.WParam + 1);
  });
  ASSERT_TRUE(IsWindow(h));
  EXPECT_EQ(SendMessage(h, WM_USER, 41, 0), 42);
  PostMessage(h, WM_APP, 0, 0);
  PumpAll();
  DeallocateHWnd(h);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(seen.back(), WM_APP) << "the method hears nothing of its deallocation";
}

// A worker thread with a window and a message loop, for cross-thread tests.
class TWorkerWindow {
 public:
  TWorkerWindow() {
    thread_ = std::thread([this] {
      RegisterTestClass();
      window_ = MakeWindow();
      thread_id_ = GetCurrentThreadId();
      ready_.SetEvent();
      MSG m;
      while (GetMessage(&m, nullptr, 0, 0)) DispatchMessage(&m);
      DestroyWindow(window_);
    });
    (void)ready_.WaitFor(INFINITE);
  }
  ~TWorkerWindow() { Stop(); }
  void Stop() {
    if (!thread_.joinable()) return;
    PostMessage(window_, WM_CLOSE, 0, 0);  // the window goes, then the loop ends by quit
    PostThreadMessage(thread_id_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND window() const { return window_; }
  DWORD thread_id() const { return thread_id_; }

 private:
  HWND window_ = nullptr;
  DWORD thread_id_ = 0;
  TEvent ready_{true, false};
  std::thread thread_;
};

TEST_F(MessageQueueTest, SendingToAnotherThreadsWindowRunsThereAndWaitsForTheAnswer) {
  TWatchdog dog("cross-thread SendMessage");
  TWorkerWindow worker;
  DWORD worker_thread = worker.thread_id();
  EXPECT_NE(worker_thread, GetCurrentThreadId());
  for (int i = 0; i < 500; ++i) {
    ASSERT_EQ(SendMessage(worker.window(), WM_USER + 1, static_cast<WPARAM>(i), 0), 2 * i);
  }
  EXPECT_EQ(static_cast<DWORD>(SendMessage(worker.window(), WM_USER + 2, 0, 0)), worker_thread);
}

// The worker's window answers WM_USER+4 by sending WM_USER+1 to the window in lParam: the
// original sender must serve that while it waits.
LRESULT BouncingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_USER + 4) return SendMessage(reinterpret_cast<HWND>(l), WM_USER + 1, w, 0) + 1;
  return DefWindowProc(h, msg, w, l);
}

TEST_F(MessageQueueTest, ABlockedSenderServesMessagesSentToIt) {
  TWatchdog dog("nested cross-thread send");
  WNDCLASS cls;
  cls.lpfnWndProc = BouncingProc;
  cls.lpszClassName = "Bouncing";
  RegisterClass(&cls);
  HWND mine = MakeWindow();
  TWorkerWindow worker;
  SetWindowLongPtr(worker.window(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(BouncingProc));
  EXPECT_EQ(SendMessage(worker.window(), WM_USER + 4, 20, reinterpret_cast<LPARAM>(mine)), 41);
  worker.Stop();
  DestroyWindow(mine);
}

TEST_F(MessageQueueTest, TwoThreadsSendingToEachOtherAtOnceDoNotDeadlock) {
  TWatchdog dog("two-way SendMessage");
  HWND mine = MakeWindow();
  std::atomic<bool> worker_done{false};
  std::atomic<int> worker_errors{0};
  TWorkerWindow worker;
  // A second worker thread of its own sends to our window while we send to the first.
  std::thread sender([&] {
    for (int i = 0; i < 300; ++i) {
      if (SendMessage(mine, WM_USER + 1, static_cast<WPARAM>(i), 0) != 2 * i) ++worker_errors;
    }
    worker_done = true;
  });
  int i = 0;
  while (!worker_done) {
    ASSERT_EQ(SendMessage(worker.window(), WM_USER + 1, static_cast<WPARAM>(i), 0), 2 * i);
    ++i;
  }
  sender.join();
  EXPECT_EQ(worker_errors.load(), 0);
  DestroyWindow(mine);
}

TEST_F(MessageQueueTest, SendMessageTimeoutGivesUpOnAThreadThatDoesNotPump) {
  TWatchdog dog("SendMessageTimeout");
  TEvent created(true, false), release(true, false);
  HWND window = nullptr;
  std::thread idle([&] {
    RegisterTestClass();
    window = MakeWindow();
    created.SetEvent();
    (void)release.WaitFor(INFINITE);  // never pumps until released
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    DestroyWindow(window);
  });
  (void)created.WaitFor(INFINITE);
  ULONG_PTR result = 99;
  EXPECT_EQ(SendMessageTimeout(window, WM_USER + 1, 4, 0, SMTO_NORMAL, 20, &result), 0);
  release.SetEvent();
  idle.join();
  EXPECT_FALSE(IsWindow(window)) << "the thread's end took its windows";
}

TEST_F(MessageQueueTest, SendingToAThreadThatEndedReturnsZero) {
  TWatchdog dog("send to ended thread");
  HWND window = nullptr;
  std::thread([&] {
    RegisterTestClass();
    window = MakeWindow();  // never destroyed by its thread
  }).join();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(SendMessage(window, WM_USER + 1, 3, 0), 0);
}

TEST_F(MessageQueueTest, ASynchronizeWakesTheMainThreadsGetMessage) {
  TWatchdog dog("Synchronize during GetMessage");
  std::atomic<bool> synchronized{false};
  std::thread worker([&] {
    TThread::Synchronize(nullptr, [&] { synchronized = true; });
    // Only after the main thread ran the call does anything get posted.
    PostThreadMessage(MainThreadID(), WM_APP + 5, 0, 0);
  });
  MSG m;
  ASSERT_TRUE(GetMessage(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_APP + 5u);
  EXPECT_TRUE(synchronized.load());
  worker.join();
}

TEST_F(MessageQueueTest, ACrossThreadSendWakesTheReceiversWaitMessage) {
  TWatchdog dog("WaitMessage serves sends");
  HWND mine = MakeWindow();
  std::atomic<LRESULT> answer{0};
  std::thread worker([&] {
    answer = SendMessage(mine, WM_USER + 1, 21, 0);
    PostMessage(mine, WM_USER, 9, 0);
  });
  while (answer.load() == 0) WaitMessage();
  EXPECT_EQ(answer.load(), 42);
  worker.join();
  DestroyWindow(mine);
}


// Stands in for a display connection: outside events arrive on another thread, and the queue
// must wait through the source, not through its own condition.
class TFakeDisplay : public TEventSource {
 public:
  explicit TFakeDisplay(HWND target) : target_(target) {}
  void Inject(UINT msg) {
    {
      std::lock_guard lock(mutex_);
      pending_.push_back(msg);
    }
    cond_.notify_all();
  }
  void PumpEvents() override {
    std::deque<UINT> events;
    {
      std::lock_guard lock(mutex_);
      events.swap(pending_);
    }
    for (UINT msg : events) PostMessage(target_, msg, 0, 0);
  }
  void WaitEvents(int timeout_ms) override {
    std::unique_lock lock(mutex_);
    ++waits;
    auto ready = [this] { return woken_ || !pending_.empty(); };
    if (timeout_ms < 0) {
      cond_.wait(lock, ready);
    } else {
      cond_.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready);
    }
    woken_ = false;
  }
  void Wake() override {
    {
      std::lock_guard lock(mutex_);
      woken_ = true;
    }
    cond_.notify_all();
  }
  int waits = 0;  // guarded by mutex_

 private:
  HWND target_;
  std::mutex mutex_;
  std::condition_variable cond_;
  bool woken_ = false;
  std::deque<UINT> pending_;
};

TEST_F(MessageQueueTest, AnEventSourceFeedsTheQueueAndIsWokenForEverythingElse) {
  TWatchdog dog("event source");
  HWND h = MakeWindow();
  TFakeDisplay display(h);
  SetThreadEventSource(&display);
  std::atomic<bool> synchronized{false};
  std::atomic<int> received{0};
  auto await = [&](int n) {
    while (received.load() < n) std::this_thread::yield();
  };
  // Each arrival waits until the previous one was received, so each must wake the waiting queue.
  std::thread outside([&] {
    display.Inject(WM_USER + 10);
    await(1);
    PostMessage(h, WM_USER + 11, 0, 0);
    await(2);
    TThread::Synchronize(nullptr, [&] { synchronized = true; });
    display.Inject(WM_USER + 12);
  });
  std::vector<UINT> seen;
  MSG m;
  while (seen.size() < 3 && GetMessage(&m, nullptr, 0, 0)) {
    seen.push_back(m.message);
    ++received;
  }
  outside.join();
  SetThreadEventSource(nullptr);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 10, WM_USER + 11, WM_USER + 12}));
  EXPECT_TRUE(synchronized.load());
  EXPECT_GT(display.waits, 0) << "the queue waited through the source";
  DestroyWindow(h);
}


std::atomic<int> g_created{0}, g_destroyed{0};

class TCountedExtension : public TWindowExtension {
 public:
  explicit TCountedExtension(std::atomic<int>* freed) : freed_(freed) {}
  ~TCountedExtension() override { ++*freed_; }

 private:
  std::atomic<int>* freed_;
};

TEST_F(MessageQueueTest, WindowingHooksAndExtensionsFollowEveryWindowsLife) {
  g_created = 0;  // the hooks take plain functions, which count in these
  g_destroyed = 0;
  detail::SetWindowHooks({[](HWND, const CREATESTRUCT& cs) {
                            if (cs.cx == 640 && cs.cy == 480) ++g_created;
                          },
                          [](HWND) { ++g_destroyed; }});
  std::atomic<int> freed{0};
  HWND h = CreateWindowEx(0, "TestWindow", "", WS_POPUP, 0, 0, 640, 480, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(IsWindow(h));
  EXPECT_EQ(GetParent(h), nullptr) << "message-only";
  SetWindowExtension(h, std::make_unique<TCountedExtension>(&freed));
  EXPECT_NE(GetWindowExtension(h), nullptr);
  DestroyWindow(h);
  EXPECT_EQ(GetWindowExtension(h), nullptr);

  std::thread([&] {  // a thread that ends with its window still alive
    HWND w = CreateWindowEx(0, "TestWindow", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    SetWindowExtension(w, std::make_unique<TCountedExtension>(&freed));
  }).join();
  detail::SetWindowHooks({});
  EXPECT_EQ(g_created.load(), 2);
  EXPECT_EQ(g_destroyed.load(), 2);
  EXPECT_EQ(freed.load(), 2);
}

}  // namespace

// A handler that waits for a worker with WaitServingCalls: the worker's Synchronize, Queue and
// cross-thread SendMessage are served during the wait, while the handler's own posted message and
// due timer stay queued until the loop takes them after the handler has returned.
TEST_F(MessageQueueTest, WaitServingCallsServesWorkersButLeavesPostedMessagesAndTimersQueued) {
  TWatchdog dog("WaitServingCalls");
  HWND mine = MakeWindow();
  log.clear();
  PostMessage(mine, WM_USER, 1, 0);
  std::atomic<int> timers{0};
  static std::atomic<int>* s_timers = nullptr;
  s_timers = &timers;
  TScopedTestClock clock;
  const UINT_PTR timer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) { ++*s_timers; });
  ASSERT_NE(timer, 0u);
  // The timer is due: intervals are at least USER_TIMER_MINIMUM.
  clock.Advance(USER_TIMER_MINIMUM + 5);

  TEvent done(true, false);
  std::vector<std::string> served;
  std::atomic<LRESULT> answer{0};
  std::thread worker([&] {
    TThread::Synchronize(nullptr, [&] { served.push_back("synchronize"); });
    TThread::Queue(nullptr, [&] { served.push_back("queue"); });
    answer = SendMessage(mine, WM_USER + 1, 21, 0);
    done.SetEvent();
  });
  EXPECT_EQ(WaitServingCalls(done, INFINITE), TWaitResult::wrSignaled);
  worker.join();
  EXPECT_EQ(served, (std::vector<std::string>{"synchronize", "queue"}));
  EXPECT_EQ(answer.load(), 42);
  EXPECT_TRUE(log.empty()) << "the posted message ran inside the wait";
  EXPECT_EQ(timers.load(), 0) << "the timer ran inside the wait";

  PumpAll();
  EXPECT_EQ(log, (std::vector<std::string>{"user 1"}));
  EXPECT_EQ(timers.load(), 1);
  KillTimer(nullptr, timer);
  DestroyWindow(mine);
}

TEST_F(MessageQueueTest, WaitServingCallsTimesOutAndReportsAFailedCallAfterTheWait) {
  TWatchdog dog("WaitServingCalls timeout");
  TEvent never(true, false);
  EXPECT_EQ(WaitServingCalls(never, 20), TWaitResult::wrTimeout);
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  EXPECT_EQ(WaitServingCalls(event, 10), WAIT_TIMEOUT);
  SetEvent(event);
  EXPECT_EQ(WaitServingCalls(event, 10), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "the wait took the auto-reset signal";
  CloseHandle(event);

  // A queued call that raises neither ends the wait early nor is lost.
  std::atomic<bool> later{false};
  TEvent served(true, false);
  std::thread worker([&] {
    TThread::Queue(nullptr, [&] {
      served.SetEvent();
      throw EConvertError("queued call failed");
    });
    (void)served.WaitFor(INFINITE);  // the wait has served the call: only now may it end
    later = true;
  });
  EXPECT_THROW((void)WaitServingCalls([&] { return later.load(); }), EConvertError);
  EXPECT_TRUE(later.load());
  worker.join();
}
