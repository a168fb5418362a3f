#include "platform/core/Thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <algorithm>
#include <deque>
#include <mutex>

#include "platform/core/Exceptions.h"

namespace {

// Calls waiting for the main thread, in order. One lock guards the list, the completion of
// synchronous calls and the "a thread finished" signal that wakes TThread::WaitFor.
struct TSyncCall {
  TThread* thread = nullptr;
  TThreadMethod method;
  bool synchronous = false;
  bool done = false;
  std::exception_ptr error;
};

struct TSyncState {
  std::mutex mutex;
  std::condition_variable changed;  // new call, finished call, or finished thread
  std::deque<std::shared_ptr<TSyncCall>> calls;
  std::atomic<void (*)()> wake_hook{nullptr};
  std::atomic<void (*)()> sent_server{nullptr};
  std::uint64_t pokes = 0;  // counts messages sent to the main thread from elsewhere
};

TSyncState& Sync() {
  static auto* state = new TSyncState;
  return *state;
}

void WakeMainThread() {
  Sync().changed.notify_all();
  if (auto hook = Sync().wake_hook.load()) hook();
}

void Enqueue(std::shared_ptr<TSyncCall> call) {
  {
    std::lock_guard lock(Sync().mutex);
    Sync().calls.push_back(std::move(call));
  }
  WakeMainThread();
}

int NiceOf(TThreadPriority p) {
  switch (p) {
    case TThreadPriority::tpIdle: return 19;
    case TThreadPriority::tpLowest: return 10;
    case TThreadPriority::tpLower: return 5;
    case TThreadPriority::tpNormal: return 0;
    case TThreadPriority::tpHigher: return -5;
    case TThreadPriority::tpHighest: return -10;
    case TThreadPriority::tpTimeCritical: return -20;
  }
  return 0;
}

void ApplyPriority(DWORD tid, TThreadPriority p) {
  if (tid != 0) (void)setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceOf(p));
}

}  // namespace

// Completion of a thread, shared with WaitFor so that the object may be gone when it is set.
struct TThread::TDone {
  std::atomic<bool> finished{false};
  std::mutex mutex;
  std::condition_variable cond;
};

TThread::TThread(bool CreateSuspended)
    : create_suspended_(CreateSuspended), done_(std::make_shared<TDone>()) {}

TThread::~TThread() {
  if (thread_.joinable()) {
    if (std::this_thread::get_id() == thread_.get_id()) {
      thread_.detach();  // a self-freeing thread deleting itself
    } else {
      Terminate();
      JoinThread();
    }
  }
  RemoveQueuedEvents(this);
}

void TThread::Join() {
  if (!thread_.joinable()) return;
  if (FreeOnTerminate) throw EThread("Cannot call Join on a FreeOnTerminate thread");
  if (std::this_thread::get_id() == thread_.get_id()) throw EThread("A thread cannot join itself");
  JoinThread();
}

void TThread::JoinThread() {
  for (;;) {
    try {
      WaitDone();
      break;
    } catch (...) {
      // A queued call of some thread failed while we served it here; it has run, so keep
      // waiting.
    }
  }
  thread_.join();
}

void TThreadJoiner::operator()(TThread* AThread) const {
  if (!AThread) return;
  if (AThread->ThreadID() != 0 && AThread->ThreadID() == GetCurrentThreadId()) {
    std::shared_ptr<TThread> later(AThread, TThreadJoiner{});
    TThread::Queue(nullptr, [later] {});
    return;
  }
  AThread->Terminate();
  AThread->Join();
  delete AThread;
}

void TThread::AfterConstruction() {
  if (!create_suspended_) Start();
}

void TThread::Start() {
  if (started_.exchange(true)) throw EThread("Cannot call Start on a running or finished thread");
  // The new thread waits until thread_ is assigned (a self-freeing thread reads it when it
  // deletes itself); Start waits until the thread knows its id, so ThreadID() is valid after.
  auto go = std::make_shared<TEvent>(true, false);
  auto ready = std::make_shared<TEvent>(true, false);
  thread_ = std::thread([this, go, ready] {
    (void)go->WaitFor(INFINITE);
    thread_id_.store(GetCurrentThreadId());
    ready->SetEvent();
    Run();
  });
  go->SetEvent();
  (void)ready->WaitFor(INFINITE);
}

void TThread::Resume() {
  if (!started_.load()) Start();
}

void TThread::SetPriority(TThreadPriority Value) {
  priority_.store(Value);
  ApplyPriority(thread_id_.load(), Value);
}

std::string TThread::FatalExceptionMessage() const {
  if (!fatal_) return {};
  try {
    std::rethrow_exception(fatal_);
  } catch (const Exception& e) {
    return e.Message;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

void TThread::Run() {
  if (priority_.load() != TThreadPriority::tpNormal) ApplyPriority(thread_id_.load(), priority_.load());
  if (!Terminated()) {
    try {
      Execute();
    } catch (...) {
      fatal_ = std::current_exception();
    }
  }
  const bool free_thread = FreeOnTerminate;
  std::shared_ptr<TDone> done = done_;
  try {
    DoTerminate();
  } catch (...) {
    if (!fatal_) fatal_ = std::current_exception();
  }
  // The last use of the object: an owner that sees Finished() may free it at once (its
  // destructor still joins the system thread, which only touches the completion record below).
  if (free_thread)
    delete this;
  else
    finished_.store(true);
  // From here on the object may be gone; only the shared completion record is touched.
  {
    std::lock_guard lock(done->mutex);
    done->finished.store(true);
  }
  done->cond.notify_all();
  {
    std::lock_guard lock(Sync().mutex);  // no lost wake-up for a main thread in WaitFor
  }
  Sync().changed.notify_all();
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize(this, [this] { OnTerminate(this); });
}

DWORD TThread::WaitFor() {
  if (FreeOnTerminate) throw EThread("Cannot call WaitFor on a FreeOnTerminate thread");
  if (!started_.load()) throw EThread("Cannot call WaitFor on a thread that never started");
  if (GetCurrentThreadId() == thread_id_.load()) throw EThread("A thread cannot wait for itself");
  WaitDone();
  if (thread_.joinable()) thread_.join();
  return ReturnValue();
}

void TThread::WaitDone() {
  // The thread may need the main thread (Synchronize, OnTerminate, a message it sends there):
  // WaitServingCalls serves exactly that while waiting.
  if (GetCurrentThreadId() == MainThreadID()) {
    (void)WaitServingCalls([&] { return done_->finished.load(); });
  } else {
    std::unique_lock lock(done_->mutex);
    done_->cond.wait(lock, [&] { return done_->finished.load(); });
  }
}

void TThread::Synchronize(TThread* AThread, TThreadMethod AMethod) {
  if (GetCurrentThreadId() == MainThreadID()) {
    AMethod();
    return;
  }
  auto call = std::make_shared<TSyncCall>();
  call->thread = AThread;
  call->method = std::move(AMethod);
  call->synchronous = true;
  Enqueue(call);
  auto& s = Sync();
  std::exception_ptr error;
  {
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return call->done; });
    // Taken over here, so the exception is freed by this thread, which is the one that uses it.
    error = std::move(call->error);
  }
  if (error) std::rethrow_exception(error);
}

void TThread::Queue(TThread* AThread, TThreadMethod AMethod) {
  if (GetCurrentThreadId() == MainThreadID()) {
    AMethod();
    return;
  }
  auto call = std::make_shared<TSyncCall>();
  call->thread = AThread;
  call->method = std::move(AMethod);
  Enqueue(std::move(call));
}

void TThread::RemoveQueuedEvents(TThread* AThread) {
  if (!AThread) return;
  auto& s = Sync();
  std::lock_guard lock(s.mutex);
  std::erase_if(s.calls, [&](const auto& c) { return !c->synchronous && c->thread == AThread; });
}

bool CheckSynchronize(int Timeout) {
  if (GetCurrentThreadId() != MainThreadID()) {
    throw EThread("CheckSynchronize called from a thread other than the main thread");
  }
  auto& s = Sync();
  bool ran = false;
  for (;;) {
    std::shared_ptr<TSyncCall> call;
    {
      std::unique_lock lock(s.mutex);
      if (s.calls.empty() && !ran && Timeout > 0) {
        s.changed.wait_for(lock, std::chrono::milliseconds(Timeout), [&] { return !s.calls.empty(); });
      }
      if (s.calls.empty()) return ran;
      // One call at a time, so a call that pumps messages itself keeps the order intact.
      call = std::move(s.calls.front());
      s.calls.pop_front();
    }
    ran = true;
    if (!call->synchronous) {
      call->method();  // an exception leaves the later calls queued for the next pump
      continue;
    }
    try {
      call->method();
    } catch (...) {
      call->error = std::current_exception();
    }
    {
      std::lock_guard lock(s.mutex);
      call->done = true;
    }
    s.changed.notify_all();
  }
}

bool WaitServingCalls(const std::function<bool()>& ADone, DWORD Timeout) {
  const auto start = std::chrono::steady_clock::now();
  auto remaining = [&]() -> std::chrono::milliseconds {
    if (Timeout == INFINITE) return std::chrono::milliseconds::max();
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return std::max(std::chrono::milliseconds(Timeout) - spent, std::chrono::milliseconds(0));
  };
  // How long one round sleeps at most before ADone is asked again: the condition ADone reads is
  // signalled elsewhere, not through the main thread's wake-up.
  constexpr std::chrono::milliseconds kRound(2);
  if (GetCurrentThreadId() != MainThreadID()) {
    while (!ADone()) {
      const auto left = remaining();
      if (left.count() == 0) return false;
      std::this_thread::sleep_for(std::min(left, kRound));
    }
    return true;
  }
  auto& s = Sync();
  std::exception_ptr first_error;
  auto serve = [&] {
    try {
      if (auto server = s.sent_server.load()) server();
      CheckSynchronize(0);
    } catch (...) {
      if (!first_error) first_error = std::current_exception();
    }
  };
  bool done = ADone();
  while (!done) {
    std::uint64_t pokes;
    {
      std::lock_guard lock(s.mutex);
      pokes = s.pokes;
    }
    serve();
    if ((done = ADone())) break;
    const auto left = remaining();
    if (left.count() == 0) break;
    std::unique_lock lock(s.mutex);
    s.changed.wait_for(lock, std::min(left, kRound), [&] { return !s.calls.empty() || s.pokes != pokes; });
  }
  if (first_error) std::rethrow_exception(first_error);
  return done;
}

TWaitResult WaitServingCalls(TEvent& AEvent, DWORD Timeout) {
  if (GetCurrentThreadId() != MainThreadID()) return AEvent.WaitFor(Timeout);
  const bool signalled = WaitServingCalls([&] { return AEvent.WaitFor(0) == TWaitResult::wrSignaled; }, Timeout);
  return signalled ? TWaitResult::wrSignaled : TWaitResult::wrTimeout;
}

DWORD WaitServingCalls(HANDLE AHandle, DWORD Timeout) {
  if (GetCurrentThreadId() != MainThreadID()) return WaitForSingleObject(AHandle, Timeout);
  DWORD result = WAIT_TIMEOUT;
  (void)WaitServingCalls(
      [&] {
        result = WaitForSingleObject(AHandle, 0);
        return result != WAIT_TIMEOUT;
      },
      Timeout);
  return result;
}

DWORD GetCurrentThreadId() { return static_cast<DWORD>(gettid()); }

DWORD MainThreadID() { return static_cast<DWORD>(getpid()); }

void Sleep(DWORD ms) {
  if (ms == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

bool detail::SynchronizePending() {
  std::lock_guard lock(Sync().mutex);
  return !Sync().calls.empty();
}

void detail::SetSynchronizeWakeHook(void (*Hook)()) { Sync().wake_hook.store(Hook); }

void detail::SetSentMessageServer(void (*Server)()) { Sync().sent_server.store(Server); }

void detail::PokeMainThread() {
  {
    std::lock_guard lock(Sync().mutex);
    ++Sync().pokes;
  }
  Sync().changed.notify_all();
}
