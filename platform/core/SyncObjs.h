#pragma once
// Locks and events: the re-entrant critical section, manual- and auto-reset events, and the
// classic handle-based event calls (CreateEvent, SetEvent, WaitForSingleObject, CloseHandle).
// Waits here use real time, never the replaceable clock: they guard real threads.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/core/Object.h"
#include "platform/core/Types.h"

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 0x102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

enum class TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// A lock that the thread holding it may take again; each Enter needs its Leave.
class TCriticalSection : public TObject {
 public:
  void Enter() { mutex_.lock(); }
  void Leave() { mutex_.unlock(); }
  [[nodiscard]] bool TryEnter() { return mutex_.try_lock(); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }

  // Lockable names, so std::lock_guard / std::unique_lock work on it.
  void lock() { Enter(); }
  void unlock() { Leave(); }
  [[nodiscard]] bool try_lock() { return TryEnter(); }

 private:
  std::recursive_mutex mutex_;
};

// An event object. A manual-reset event stays signalled until ResetEvent and releases every
// waiter; an auto-reset event releases one waiter and resets itself.
class TEvent : public TObject {
 public:
  explicit TEvent(bool ManualReset = true, bool InitialState = false, std::string Name = {})
      : manual_(ManualReset), signalled_(InitialState), name_(std::move(Name)) {}

  void SetEvent();
  void ResetEvent();
  // Waits up to Timeout milliseconds (INFINITE: without limit) for the event to be signalled.
  [[nodiscard]] TWaitResult WaitFor(DWORD Timeout = INFINITE);
  [[nodiscard]] bool ManualReset() const { return manual_; }
  [[nodiscard]] const std::string& Name() const { return name_; }

 private:
  std::mutex mutex_;
  std::condition_variable cond_;
  const bool manual_;
  bool signalled_;
  std::string name_;
};

// A manual-reset event, initially not signalled.
class TSimpleEvent : public TEvent {
 public:
  TSimpleEvent() : TEvent(true, false) {}
};

// Handle-based events and mutexes. Handles are ids in a table, never pointers; a closed or
// unknown handle makes every call fail quietly (FALSE or WAIT_FAILED). Names are ignored: every
// call makes a new, unnamed object.
[[nodiscard]] HANDLE CreateEvent(void* lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                                 const char* lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
// A mutex that its owner thread may take again (each take needs its release).
[[nodiscard]] HANDLE CreateMutex(void* lpMutexAttributes, BOOL bInitialOwner, const char* lpName);
// FALSE when the caller does not own the mutex.
BOOL ReleaseMutex(HANDLE hMutex);
// Waiting takes the object: an auto-reset event is reset, a mutex becomes the caller's.
// WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT after dwMilliseconds, WAIT_FAILED on a bad handle.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
// Waits for any (WAIT_OBJECT_0 + the lowest index that is signalled) or, with bWaitAll, all of
// the objects at once (WAIT_OBJECT_0; none is taken before all are ready).
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds);
BOOL CloseHandle(HANDLE hObject);

// Atomic helpers on shared counters; each returns the new value (Exchange: the old one).
LONG InterlockedIncrement(volatile LONG* Addend);
LONG InterlockedDecrement(volatile LONG* Addend);
LONG InterlockedExchange(volatile LONG* Target, LONG Value);
LONG InterlockedCompareExchange(volatile LONG* Destination, LONG Exchange, LONG Comparand);
