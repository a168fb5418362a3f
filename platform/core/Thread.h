#pragma once
// TThread and the calls that move work onto the main thread.
//
// The main thread is the process's first thread (its id equals the process id), i.e. the thread
// that runs main(); it needs no registration. Work handed to it with Synchronize or Queue runs
// when that thread calls CheckSynchronize, waits in TThread::WaitFor, or pumps messages
// (GetMessage, PeekMessage, WaitMessage, TApplication's loop): a pending call wakes it there.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "platform/core/Object.h"
#include "platform/core/SyncObjs.h"
#include "platform/core/Types.h"

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TThreadMethod = std::function<void()>;

class TThread : public TObject {
 public:
  // The thread starts running only after construction (C++ cannot run a derived Execute
  // earlier): with CreateSuspended = false it starts in AfterConstruction, which Create<T>
  // calls; with true it starts at Start() or Resume(). A thread object that never started frees
  // nothing by itself.
  explicit TThread(bool CreateSuspended);
  // Not a self-freeing thread: Terminate, then wait for it and join it (also when it is already
  // finished). Also drops the thread's Queue calls that the main thread has not run yet.
  // NOTE: this runs after the derived class's members are gone and after the object has stopped
  // being of its derived class, while the thread may still be in Execute (a virtual call on the
  // object). An owner therefore ends the thread before it destroys the object: through
  // TOwnedThread, or with Terminate() and Join() first.
  ~TThread() override;

  // new T(args...) followed by AfterConstruction: the way to make a running thread.
  template <typename T, typename... Args>
  static T* Create(Args&&... args) {
    T* thread = new T(std::forward<Args>(args)...);
    thread->AfterConstruction();
    return thread;
  }
  // Starts the thread when it was created with CreateSuspended = false.
  void AfterConstruction();

  // Starts a thread created suspended; raises EThread when it is already running or done.
  void Start();
  // Starts a thread that never ran; nothing for one that is running.
  void Resume();
  [[nodiscard]] bool Suspended() const { return !started_.load(); }

  // Asks the thread to end: only sets Terminated, which Execute is expected to poll.
  void Terminate() { terminated_.store(true); }
  [[nodiscard]] bool Terminated() const { return terminated_.load(); }

  // Waits until Execute and OnTerminate are done and returns ReturnValue. On the main thread it
  // keeps serving Synchronize/Queue calls and messages other threads send to it meanwhile. Raises EThread for a FreeOnTerminate
  // thread, from the thread itself, and for a thread that never started.
  DWORD WaitFor();
  // Waits until the thread has returned from every call on its object (Execute, DoTerminate,
  // OnTerminate) and joins the system thread; nothing for a thread that never started or was
  // joined already. On the main thread the wait serves calls as WaitFor does; a served call that
  // raises is not passed on (it has run). Not for a FreeOnTerminate thread, nor from the thread
  // itself (EThread).
  void Join();
  // True once Execute has returned and OnTerminate has run: from then on the thread uses its object
  // no more, so an owner may free it (the destructor still joins the system thread).
  [[nodiscard]] bool Finished() const { return finished_.load(); }
  // The system id of the running thread; 0 before it starts.
  [[nodiscard]] DWORD ThreadID() const { return thread_id_.load(); }

  [[nodiscard]] TThreadPriority Priority() const { return priority_.load(); }
  // Maps to the thread's nice value; raising it needs privileges, and a refusal is ignored.
  void SetPriority(TThreadPriority Value);

  [[nodiscard]] DWORD ReturnValue() const { return return_value_.load(); }
  // The exception that ended Execute, or null.
  [[nodiscard]] std::exception_ptr FatalException() const { return fatal_; }
  // The message of FatalException (Exception::Message or what()), empty when none.
  [[nodiscard]] std::string FatalExceptionMessage() const;

  // When set, the thread deletes its object after Execute and OnTerminate. Set it before the
  // thread starts; afterwards the object may be gone at any moment.
  bool FreeOnTerminate = false;
  // Runs on the main thread (through Synchronize) after Execute, with the thread as sender.
  TNotifyEvent OnTerminate;

  // Runs AMethod on the main thread and waits until it has run there; an exception it raises is
  // raised again in the caller. Called on the main thread, AMethod runs at once.
  static void Synchronize(TThread* AThread, TThreadMethod AMethod);
  // Hands AMethod to the main thread without waiting; calls run in the order they were queued.
  // Called on the main thread, AMethod runs at once. An exception it raises comes out of the
  // main thread's CheckSynchronize (or the message pump that served it).
  static void Queue(TThread* AThread, TThreadMethod AMethod);
  // Drops the Queue calls of AThread that have not run yet (none when AThread is nullptr).
  static void RemoveQueuedEvents(TThread* AThread);

 protected:
  virtual void Execute() = 0;
  // Delivers OnTerminate; runs on the thread after Execute.
  virtual void DoTerminate();
  void Synchronize(TThreadMethod AMethod) { Synchronize(this, std::move(AMethod)); }
  void Queue(TThreadMethod AMethod) { Queue(this, std::move(AMethod)); }
  void SetReturnValue(DWORD Value) { return_value_.store(Value); }

 private:
  struct TDone;
  void Run();
  void WaitDone();
  // Join without the checks: waits (a served call that raises is not passed on) and joins.
  void JoinThread();

  const bool create_suspended_;
  std::atomic<bool> started_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<DWORD> thread_id_{0};
  std::atomic<DWORD> return_value_{0};
  std::atomic<TThreadPriority> priority_{TThreadPriority::tpNormal};
  std::exception_ptr fatal_;
  std::shared_ptr<TDone> done_;
  std::thread thread_;
};

// The owner of a thread object that ends the thread before the object goes: Terminate, Join,
// then delete, so the thread never runs on an object that is being destroyed. A thread that lets
// go of its own owner (a handler of its own run freeing what owns it) cannot wait for itself: its
// object is handed to the main thread, which joins and frees it at its next CheckSynchronize (or
// any wait that serves calls).
struct TThreadJoiner {
  void operator()(TThread* AThread) const;
};
using TOwnedThread = std::unique_ptr<TThread, TThreadJoiner>;

// Runs the pending Synchronize and Queue calls, one at a time in their order; waits up to
// Timeout milliseconds for the first when none is pending. Main thread only (EThread
// otherwise). True when at least one call ran.
bool CheckSynchronize(int Timeout = 0);

// Waits up to Timeout milliseconds (INFINITE: without limit) until ADone answers true; true when
// it did. On the main thread the wait serves only what other threads need from it to finish: the
// pending Synchronize/Queue calls and the messages other threads send to it. No posted message,
// timer, paint or input runs meanwhile, so a handler that waits here cannot be re-entered by its
// own window's messages (a posted WM_CLOSE, a timer or a second click wait until the handler has
// returned to the loop). ADone is asked again after every served call and at least every few
// milliseconds. When a served call raises, the wait still goes on to its end and the first such
// exception is raised then. On other threads it is a plain wait.
bool WaitServingCalls(const std::function<bool()>& ADone, DWORD Timeout = INFINITE);
// The same for an event: wrSignaled or wrTimeout.
TWaitResult WaitServingCalls(TEvent& AEvent, DWORD Timeout = INFINITE);
// The same for a handle of CreateEvent/CreateMutex, answering as WaitForSingleObject does
// (WAIT_OBJECT_0, WAIT_TIMEOUT, WAIT_FAILED); the wait takes the object as that call does.
DWORD WaitServingCalls(HANDLE AHandle, DWORD Timeout);

// The system id of the calling thread.
[[nodiscard]] DWORD GetCurrentThreadId();
// The id of the main thread (see the top of this file).
[[nodiscard]] DWORD MainThreadID();
// Sleeps the calling thread for real milliseconds; 0 only yields.
void Sleep(DWORD ms);

namespace detail {
// True while Synchronize or Queue calls wait for the main thread.
[[nodiscard]] bool SynchronizePending();
// Called (on any thread) whenever a call is handed to the main thread; the message queue
// installs it to wake the main thread's message wait.
void SetSynchronizeWakeHook(void (*Hook)());
// Serves the messages other threads sent to the main thread; installed by the message queue and
// called by main-thread waits in this file. PokeMainThread wakes such a wait when one arrives.
void SetSentMessageServer(void (*Server)());
void PokeMainThread();
}  // namespace detail
