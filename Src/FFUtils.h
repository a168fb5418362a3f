#pragma once
// How the media framework's threads reach the GUI thread: news goes up as queued calls guarded by
// a liveness token (TLiveness), blocking calls (CallInMainThread) only where a handler answers
// through an out-parameter; and waits on the GUI thread serve only what other threads need
// (WaitServingCalls of the platform), never the window's own messages.

#include <pthread.h>

#include <functional>
#include <memory>
#include <mutex>

#include "platform/core/Types.h"

// Runs AMethod on the main (GUI) thread: directly when called there, otherwise through
// TThread::Synchronize, which blocks the caller until the main thread has run it from its
// message loop or from a wait that pumps messages. An exception of AMethod reaches the caller.
void CallInMainThread(const std::function<void()>& AMethod);

// Runs an event handler call the way a component's TriggerEventInMainThread asks: on the main
// thread through CallInMainThread when AInMainThread, otherwise at once on the calling thread.
void CallEvent(bool AInMainThread, const std::function<void()>& AMethod);

// The liveness token of an object that sends news to the main thread. Calls queued through it
// run on the main thread in the order they were queued, but only while the object lives: Revoke
// (the owner's destructor calls it first) makes every call not yet run do nothing, and waits for
// one running on the main thread when called from another thread. A call may find the owner gone
// after a handler it called (a handler may destroy its component): it asks AAlive before touching
// the owner again.
class TLiveness {
 public:
  using TAlive = std::function<bool()>;
  using TNews = std::function<void(const TAlive& AAlive)>;

  TLiveness() = default;
  ~TLiveness() { Revoke(); }
  TLiveness(const TLiveness&) = delete;
  TLiveness& operator=(const TLiveness&) = delete;

  // Hands AMethod to the main thread without waiting (TThread::Queue); on the main thread it runs
  // at once.
  void QueueInMainThread(TNews AMethod) const;
  void Revoke();
  [[nodiscard]] bool Alive() const;

 private:
  struct TState {
    std::recursive_mutex Lock;  // held while a call runs; the owner's thread may take it again
    bool Alive = true;
  };
  std::shared_ptr<TState> FState = std::make_shared<TState>();
};

// A read of a pipe or a device blocks in the system until bytes come, without asking the
// libraries' interrupt callback. The wake signal, sent to the reading thread, ends such a read
// early (EINTR); the libraries then ask the interrupt callback, see the abort and give up.
// ReadWakeSignalReady installs the signal's do-nothing handler (without SA_RESTART) unless the
// process handles the signal itself; true when the signal is safe to send. WakeBlockedRead sends
// it to AThread (which must not have been joined yet).
bool ReadWakeSignalReady();
void WakeBlockedRead(pthread_t AThread);

// Takes one waiting message of the calling thread's queue and dispatches it (keyboard messages
// are translated first). A WM_QUIT is taken off but neither translated nor dispatched; the
// result is still true and AMsg holds it. False when nothing is waiting. On the main thread
// pending Synchronize/Queue calls are served as well.
bool ProcessOneMessage(MSG& AMsg);

// Dispatches every waiting message of the calling thread (and, on the main thread, the pending
// main-thread calls). For waits on the GUI thread that must keep windows and worker threads'
// main-thread calls going. A WM_QUIT met on the way ends the pumping and is posted again, so
// the application's own loop still sees it and ends.
void PumpPendingMessages();
