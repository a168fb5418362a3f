#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/PollUntil.h"
#include "tests/platform/Watchdog.h"
#include "platform/core/Exceptions.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Window.h"
#include "platform/core/Thread.h"

namespace {

// Serves main-thread calls until the condition holds.
template <typename Pred>
void ServeUntil(Pred done) {
  while (!done()) CheckSynchronize(5);
}

// A thread whose body is a lambda, for tests.
class TLambdaThread : public TThread {
 public:
  explicit TLambdaThread(std::function<void(TLambdaThread&)> body, bool suspended = true)
      : TThread(suspended), body_(std::move(body)) {}
  ~TLambdaThread() override {
    if (!Suspended() && !FreeOnTerminate) {
      Terminate();
      WaitFor();  // Execute uses body_, which is gone once this destructor returns
    }
  }
  using TThread::Queue;
  using TThread::SetReturnValue;
  using TThread::Synchronize;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(TLambdaThread&)> body_;
};

TEST(Thread, TheTestsMainThreadIsTheMainThread) {
  EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
  DWORD worker_id = 0;
  std::thread([&] { worker_id = GetCurrentThreadId(); }).join();
  EXPECT_NE(worker_id, MainThreadID());
  EXPECT_NE(worker_id, 0u);
}

TEST(Thread, SynchronizeRunsOnTheMainThreadAndBlocksTheCaller) {
  TWatchdog dog("Synchronize");
  std::atomic<bool> worker_done{false};
  DWORD ran_on = 0;
  bool returned_before_run = false;
  bool ran = false;
  std::thread worker([&] {
    TThread::Synchronize(nullptr, [&] { ran_on = GetCurrentThreadId(); ran = true; });
    returned_before_run = !ran;
    worker_done = true;
  });
  ServeUntil([&] { return worker_done.load(); });
  worker.join();
  EXPECT_EQ(ran_on, MainThreadID());
  EXPECT_FALSE(returned_before_run);
}

TEST(Thread, SynchronizeOnTheMainThreadRunsAtOnce) {
  bool ran = false;
  TThread::Synchronize(nullptr, [&] { ran = true; });
  EXPECT_TRUE(ran);
  TThread::Queue(nullptr, [&] { ran = false; });
  EXPECT_FALSE(ran);
}

TEST(Thread, ExceptionOfASynchronizedCallIsRaisedInTheCaller) {
  TWatchdog dog("Synchronize exception");
  std::atomic<bool> worker_done{false};
  std::string caught;
  std::thread worker([&] {
    try {
      TThread::Synchronize(nullptr, [] { throw EConvertError("bad value"); });
    } catch (const EConvertError& e) {
      caught = e.Message;
    }
    worker_done = true;
  });
  ServeUntil([&] { return worker_done.load(); });
  worker.join();
  EXPECT_EQ(caught, "bad value");
}

TEST(Thread, QueuedAndSynchronizedCallsRunInTheOrderOfEachThread) {
  TWatchdog dog("Queue order");
  constexpr int kThreads = 3, kCalls = 200;
  std::vector<std::vector<int>> seen(kThreads);
  std::atomic<int> finished{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < kCalls; ++i) {
        // Every tenth call waits for the main thread; it must not overtake earlier queued ones.
        if (i % 10 == 9) {
          TThread::Synchronize(nullptr, [&, t, i] { seen[t].push_back(i); });
        } else {
          TThread::Queue(nullptr, [&, t, i] { seen[t].push_back(i); });
        }
      }
      ++finished;
    });
  }
  ServeUntil([&] { return finished.load() == kThreads && !detail::SynchronizePending(); });
  for (auto& w : workers) w.join();
  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE(t);
    ASSERT_EQ(seen[t].size(), static_cast<size_t>(kCalls));
    for (int i = 0; i < kCalls; ++i) EXPECT_EQ(seen[t][i], i);
  }
}

TEST(Thread, ExceptionOfAQueuedCallLeavesLaterCallsQueued) {
  TWatchdog dog("Queue exception");
  std::vector<int> seen;
  std::thread([&] {
    TThread::Queue(nullptr, [&] { seen.push_back(1); });
    TThread::Queue(nullptr, [] { throw EConvertError("queued failure"); });
    TThread::Queue(nullptr, [&] { seen.push_back(3); });
  }).join();
  EXPECT_THROW(CheckSynchronize(0), EConvertError);
  EXPECT_EQ(seen, std::vector<int>{1});
  EXPECT_TRUE(CheckSynchronize(0));
  EXPECT_EQ(seen, (std::vector<int>{1, 3}));
  EXPECT_FALSE(CheckSynchronize(0)) << "nothing left";
}

TEST(Thread, CheckSynchronizeRefusesOtherThreads) {
  bool raised = false;
  std::thread([&] {
    try {
      CheckSynchronize(0);
    } catch (const EThread&) {
      raised = true;
    }
  }).join();
  EXPECT_TRUE(raised);
}

TEST(Thread, WaitForReturnsTheReturnValueWhileServingTheThreadsSynchronize) {
  TWatchdog dog("WaitFor with Synchronize");
  DWORD sync_ran_on = 0;
  TLambdaThread thread([&](TLambdaThread& self) {
    self.Synchronize([&] { sync_ran_on = GetCurrentThreadId(); });
    self.SetReturnValue(42);
  });
  EXPECT_TRUE(thread.Suspended());
  EXPECT_EQ(thread.ThreadID(), 0u);
  thread.Start();
  EXPECT_NE(thread.ThreadID(), 0u);
  EXPECT_NE(thread.ThreadID(), MainThreadID());
  EXPECT_EQ(thread.WaitFor(), 42u);
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(sync_ran_on, MainThreadID());
  EXPECT_FALSE(thread.FatalException());
  EXPECT_THROW(thread.Start(), EThread) << "a thread starts once";
}

TEST(Thread, AnExceptionInExecuteBecomesTheFatalException) {
  TWatchdog dog("fatal exception");
  TLambdaThread thread([](TLambdaThread&) { throw EInOutError("disk gone"); });
  thread.Start();
  thread.WaitFor();
  ASSERT_TRUE(thread.FatalException());
  EXPECT_EQ(thread.FatalExceptionMessage(), "disk gone");
  EXPECT_THROW(std::rethrow_exception(thread.FatalException()), EInOutError);
}

TEST(Thread, OnTerminateRunsOnTheMainThreadAfterExecute) {
  TWatchdog dog("OnTerminate");
  std::vector<std::string> log;
  TLambdaThread thread([&](TLambdaThread& self) { self.Queue([&] { log.push_back("queued"); }); });
  DWORD terminate_ran_on = 0;
  thread.OnTerminate = [&](TObject* sender) {
    terminate_ran_on = GetCurrentThreadId();
    log.push_back(sender == &thread ? "terminate" : "wrong sender");
  };
  thread.Start();
  thread.WaitFor();
  EXPECT_EQ(terminate_ran_on, MainThreadID());
  EXPECT_EQ(log, (std::vector<std::string>{"queued", "terminate"}));
}

class TSelfFreeing : public TThread {
 public:
  TSelfFreeing(std::atomic<int>* state) : TThread(false), state_(state) { FreeOnTerminate = true; }
  ~TSelfFreeing() override { state_->store(2); }

 protected:
  void Execute() override { state_->store(1); }

 private:
  std::atomic<int>* state_;
};

TEST(Thread, FreeOnTerminateDeletesTheObjectAfterOnTerminate) {
  TWatchdog dog("FreeOnTerminate");
  std::atomic<int> state{0};
  int state_seen_by_terminate = -1;
  auto* thread = new TSelfFreeing(&state);
  thread->OnTerminate = [&](TObject*) { state_seen_by_terminate = state.load(); };
  EXPECT_THROW(thread->WaitFor(), EThread) << "waiting for a self-freeing thread is refused";
  thread->AfterConstruction();  // runs at once: created with CreateSuspended = false
  ServeUntil([&] { return state.load() == 2; });
  EXPECT_EQ(state_seen_by_terminate, 1) << "OnTerminate ran after Execute, before the delete";
}

TEST(Thread, CreateStartsAThreadThatWasNotCreatedSuspended) {
  TWatchdog dog("Create");
  std::atomic<int> state{0};
  TThread::Create<TSelfFreeing>(&state);
  ServeUntil([&] { return state.load() == 2; });
}

TEST(Thread, DestroyingARunningThreadTerminatesAndWaitsForIt) {
  TWatchdog dog("destroy running thread");
  std::atomic<bool> running{false};
  std::atomic<bool> ended{false};
  {
    TLambdaThread thread([&](TLambdaThread& self) {
      running = true;
      while (!self.Terminated()) Sleep(1);  // a round of work, until asked to end
      ended = true;
    });
    thread.Start();
    while (!running) std::this_thread::yield();
  }
  EXPECT_TRUE(ended.load()) << "the thread ended with its object";
}

// An owner may free a thread as soon as Finished() is true: the thread's terminate step, which
// runs after Execute and may use the derived object, must be over by then.
class TSlowTerminate : public TThread {
 public:
  explicit TSlowTerminate(std::atomic<std::size_t>* seen) : TThread(true), seen_(seen) {}

 protected:
  void Execute() override {}
  void DoTerminate() override {
    Sleep(30);  // a slow notification: the owner polls Finished() meanwhile
    seen_->store(text_.size());
    TThread::DoTerminate();
  }

 private:
  std::atomic<std::size_t>* seen_;
  std::string text_ = std::string(200, 'x');  // on the heap: freed with the derived object
};

TEST(Thread, FinishedOnlyOnceTheTerminateStepIsOver) {
  TWatchdog dog("finished after terminate");
  for (int round = 0; round < 3; ++round) {
    std::atomic<std::size_t> seen{0};
    auto* thread = new TSlowTerminate(&seen);
    thread->Start();
    while (!thread->Finished()) std::this_thread::yield();
    EXPECT_EQ(seen.load(), 200u) << "Finished() was true before the terminate step had run";
    delete thread;  // joins
  }
}

// A thread with no join of its own in its destructor (the common case): its owner ends it before
// the object goes. Under ThreadSanitizer a destructor that ran while the thread was still in a
// virtual call on the object shows as a race on the object's virtual table.
class TPlainLoop : public TThread {
 public:
  TPlainLoop(std::atomic<bool>* running, std::atomic<int>* rounds)
      : TThread(true), running_(running), rounds_(rounds) {}
  std::function<void()> AfterExecute;

 protected:
  void Execute() override {
    running_->store(true);
    while (!Terminated()) {
      ++*rounds_;
      Sleep(1);
    }
  }
  void DoTerminate() override {
    if (AfterExecute) AfterExecute();
    TThread::DoTerminate();
  }

 private:
  std::atomic<bool>* running_;
  std::atomic<int>* rounds_;
};

TEST(Thread, AnOwnedThreadEndsBeforeItsObjectGoes) {
  TWatchdog dog("owned thread");
  for (int round = 0; round < 5; ++round) {
    std::atomic<bool> running{false};
    std::atomic<int> rounds{0};
    TOwnedThread thread(new TPlainLoop(&running, &rounds));
    thread->Start();
    while (!running) std::this_thread::yield();
    thread.reset();  // terminates, joins, then destroys
    const int after = rounds.load();
    Sleep(3);
    EXPECT_EQ(rounds.load(), after);
  }
  // One that never started is simply freed.
  std::atomic<bool> running{false};
  std::atomic<int> rounds{0};
  TOwnedThread never(new TPlainLoop(&running, &rounds));
  never.reset();
  EXPECT_FALSE(running.load());
}

// A thread whose own run lets go of its owner (a handler freeing what owns the thread) cannot
// wait for itself: the main thread frees the object once the thread has returned.
TEST(Thread, AThreadThatFreesItsOwnOwnerIsFreedByTheMainThread) {
  TWatchdog dog("thread frees its owner");
  std::atomic<bool> running{false};
  std::atomic<int> rounds{0};
  std::atomic<bool> released{false};
  auto owner = std::make_unique<TOwnedThread>(new TPlainLoop(&running, &rounds));
  auto* thread = static_cast<TPlainLoop*>(owner->get());
  thread->AfterExecute = [&] {
    owner.reset();
    released = true;
  };
  thread->Start();
  while (!running) std::this_thread::yield();
  thread->Terminate();
  while (!released) std::this_thread::yield();
  // The object is still there until the main thread serves the hand-over.
  ServeUntil([&] { return !detail::SynchronizePending(); });
  EXPECT_EQ(owner, nullptr);
  EXPECT_GT(rounds.load(), 0);
}

TEST(Thread, QueuedCallsOfADestroyedThreadAreDropped) {
  TWatchdog dog("queued calls dropped");
  bool ran = false;
  {
    TLambdaThread thread([&](TLambdaThread& self) { self.Queue([&] { ran = true; }); });
    thread.Start();
    while (!thread.Finished()) std::this_thread::yield();
  }
  CheckSynchronize(0);
  EXPECT_FALSE(ran);
}

TEST(Thread, WaitForARefusesAThreadThatNeverStarted) {
  TLambdaThread thread([](TLambdaThread&) {});
  EXPECT_THROW(thread.WaitFor(), EThread);
}

TEST(Thread, PriorityMapsToTheNiceValue) {
  TWatchdog dog("priority");
  std::atomic<bool> stop{false};
  std::atomic<int> nice_seen{-100};
  TLambdaThread thread([&](TLambdaThread&) {
    while (!stop) Sleep(1);  // a thread that keeps running until told to end
  });
  thread.SetPriority(TThreadPriority::tpLower);  // before the start: applied when it runs
  thread.Start();
  test_wait::PollUntil([&] { return (nice_seen = getpriority(PRIO_PROCESS, thread.ThreadID())) == 5; });
  EXPECT_EQ(nice_seen.load(), 5);
  thread.SetPriority(TThreadPriority::tpLowest);  // while running
  EXPECT_EQ(getpriority(PRIO_PROCESS, thread.ThreadID()), 10);
  EXPECT_EQ(thread.Priority(), TThreadPriority::tpLowest);
  thread.SetPriority(TThreadPriority::tpTimeCritical);  // refused without privileges: ignored
  stop = true;
  thread.WaitFor();
}


TEST(Thread, WaitForOnTheMainThreadServesMessagesTheThreadSendsToIt) {
  TWatchdog dog("WaitFor with SendMessage");
  HWND window = AllocateHWnd([](TMessage& m) {
    if (m.Msg == WM_USER) m.Result = static_cast<LRESULT>(GetCurrentThreadId());
  });
  TLambdaThread thread([&](TLambdaThread& self) {
    self.SetReturnValue(static_cast<DWORD>(SendMessage(window, WM_USER, 0, 0)));
  });
  thread.Start();
  EXPECT_EQ(thread.WaitFor(), MainThreadID());
  DeallocateHWnd(window);
}

}  // namespace
