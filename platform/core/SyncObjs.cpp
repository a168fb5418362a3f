#include "platform/core/SyncObjs.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <unordered_map>
#include <vector>

#include <unistd.h>

void TEvent::SetEvent() {
  // Notify under the lock: a waiter that sees the event set may destroy it at once, and a
  // notification after unlocking would then touch freed memory.
  std::lock_guard lock(mutex_);
  signalled_ = true;
  if (manual_) {
    cond_.notify_all();
  } else {
    cond_.notify_one();
  }
}

void TEvent::ResetEvent() {
  std::lock_guard lock(mutex_);
  signalled_ = false;
}

TWaitResult TEvent::WaitFor(DWORD Timeout) {
  std::unique_lock lock(mutex_);
  auto ready = [this] { return signalled_; };
  if (Timeout == INFINITE) {
    cond_.wait(lock, ready);
  } else if (!cond_.wait_for(lock, std::chrono::milliseconds(Timeout), ready)) {
    return TWaitResult::wrTimeout;
  }
  if (!manual_) signalled_ = false;
  return TWaitResult::wrSignaled;
}

namespace {

// Handle objects: events and mutexes. Their state is guarded by one lock, and every change wakes
// all waiters, which is what lets one wait watch several objects at once.
struct THandleObject {
  enum class TKind { Event, Mutex } kind = TKind::Event;
  bool manual = true;      // events
  bool signalled = false;  // events
  DWORD owner = 0;         // mutexes: owning thread, 0 when free
  unsigned recursion = 0;  // mutexes: how many times the owner took it
};

struct THandleTable {
  std::mutex mutex;
  std::condition_variable changed;
  std::unordered_map<std::uintptr_t, std::shared_ptr<THandleObject>> objects;
  std::uintptr_t next = 1;
};

THandleTable& Handles() {
  static auto* table = new THandleTable;
  return *table;
}

DWORD CurrentThread() { return static_cast<DWORD>(gettid()); }

HANDLE Add(std::shared_ptr<THandleObject> object) {
  auto& t = Handles();
  std::lock_guard lock(t.mutex);
  std::uintptr_t id = t.next++;
  t.objects.emplace(id, std::move(object));
  return reinterpret_cast<HANDLE>(id);
}

// Table lock held by the caller.
THandleObject* Find(THandleTable& t, HANDLE h) {
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(h));
  return it == t.objects.end() ? nullptr : it->second.get();
}

bool Ready(const THandleObject& o, DWORD me) {
  if (o.kind == THandleObject::TKind::Event) return o.signalled;
  return o.owner == 0 || o.owner == me;
}

void Take(THandleObject& o, DWORD me) {
  if (o.kind == THandleObject::TKind::Event) {
    if (!o.manual) o.signalled = false;
  } else {
    o.owner = me;
    ++o.recursion;
  }
}

}  // namespace

HANDLE CreateEvent(void*, BOOL bManualReset, BOOL bInitialState, const char*) {
  auto o = std::make_shared<THandleObject>();
  o->manual = bManualReset != FALSE;
  o->signalled = bInitialState != FALSE;
  return Add(std::move(o));
}

HANDLE CreateMutex(void*, BOOL bInitialOwner, const char*) {
  auto o = std::make_shared<THandleObject>();
  o->kind = THandleObject::TKind::Mutex;
  if (bInitialOwner) {
    o->owner = CurrentThread();
    o->recursion = 1;
  }
  return Add(std::move(o));
}

namespace {

BOOL SetSignalled(HANDLE h, bool value) {
  auto& t = Handles();
  {
    std::lock_guard lock(t.mutex);
    THandleObject* o = Find(t, h);
    if (!o || o->kind != THandleObject::TKind::Event) return FALSE;
    o->signalled = value;
  }
  if (value) t.changed.notify_all();
  return TRUE;
}

}  // namespace

BOOL SetEvent(HANDLE hEvent) { return SetSignalled(hEvent, true); }
BOOL ResetEvent(HANDLE hEvent) { return SetSignalled(hEvent, false); }

BOOL ReleaseMutex(HANDLE hMutex) {
  auto& t = Handles();
  {
    std::lock_guard lock(t.mutex);
    THandleObject* o = Find(t, hMutex);
    if (!o || o->kind != THandleObject::TKind::Mutex || o->owner != CurrentThread()) return FALSE;
    if (--o->recursion == 0) o->owner = 0;
  }
  t.changed.notify_all();
  return TRUE;
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds) {
  if (nCount == 0 || !lpHandles) return WAIT_FAILED;
  auto& t = Handles();
  const DWORD me = CurrentThread();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
  std::unique_lock lock(t.mutex);
  // The objects are held while waiting, so a handle closed meanwhile stays valid for us.
  std::vector<std::shared_ptr<THandleObject>> objects;
  for (DWORD i = 0; i < nCount; ++i) {
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(lpHandles[i]));
    if (it == t.objects.end()) return WAIT_FAILED;
    objects.push_back(it->second);
  }
  // Takes what the wait asks for when it is ready; the result, or WAIT_TIMEOUT when not ready.
  auto try_take = [&]() -> DWORD {
    if (bWaitAll) {
      for (auto& o : objects) {
        if (!Ready(*o, me)) return WAIT_TIMEOUT;
      }
      for (auto& o : objects) Take(*o, me);
      return WAIT_OBJECT_0;
    }
    for (DWORD i = 0; i < nCount; ++i) {
      if (Ready(*objects[i], me)) {
        Take(*objects[i], me);
        return WAIT_OBJECT_0 + i;
      }
    }
    return WAIT_TIMEOUT;
  };
  bool timed_out = false;
  for (;;) {
    DWORD result = try_take();
    if (result != WAIT_TIMEOUT || timed_out) return result;
    if (dwMilliseconds == INFINITE) {
      t.changed.wait(lock);
    } else {
      timed_out = t.changed.wait_until(lock, deadline) == std::cv_status::timeout;
    }
  }
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

BOOL CloseHandle(HANDLE hObject) {
  auto& t = Handles();
  std::lock_guard lock(t.mutex);
  return t.objects.erase(reinterpret_cast<std::uintptr_t>(hObject)) ? TRUE : FALSE;
}

LONG InterlockedIncrement(volatile LONG* Addend) {
  return std::atomic_ref<LONG>(*const_cast<LONG*>(Addend)).fetch_add(1) + 1;
}

LONG InterlockedDecrement(volatile LONG* Addend) {
  return std::atomic_ref<LONG>(*const_cast<LONG*>(Addend)).fetch_sub(1) - 1;
}

LONG InterlockedExchange(volatile LONG* Target, LONG Value) {
  return std::atomic_ref<LONG>(*const_cast<LONG*>(Target)).exchange(Value);
}

LONG InterlockedCompareExchange(volatile LONG* Destination, LONG Exchange, LONG Comparand) {
  std::atomic_ref<LONG>(*const_cast<LONG*>(Destination)).compare_exchange_strong(Comparand, Exchange);
  return Comparand;
}
