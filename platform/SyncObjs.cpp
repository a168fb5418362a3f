#include "platform/SyncObjs.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <unordered_map>

void TEvent::SetEvent() {
  {
    std::lock_guard lock(mutex_);
    signalled_ = true;
  }
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

// Event handles: ids starting at 1, looked up here; the table lives for the whole process.
struct THandleTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::shared_ptr<TEvent>> events;
  std::uintptr_t next = 1;
};

THandleTable& Handles() {
  static auto* table = new THandleTable;
  return *table;
}

std::shared_ptr<TEvent> FindEvent(HANDLE h) {
  auto& t = Handles();
  std::lock_guard lock(t.mutex);
  auto it = t.events.find(reinterpret_cast<std::uintptr_t>(h));
  return it == t.events.end() ? nullptr : it->second;
}

}  // namespace

HANDLE CreateEvent(void*, BOOL bManualReset, BOOL bInitialState, const char* lpName) {
  auto event = std::make_shared<TEvent>(bManualReset != FALSE, bInitialState != FALSE,
                                        lpName ? lpName : "");
  auto& t = Handles();
  std::lock_guard lock(t.mutex);
  std::uintptr_t id = t.next++;
  t.events.emplace(id, std::move(event));
  return reinterpret_cast<HANDLE>(id);
}

BOOL SetEvent(HANDLE hEvent) {
  auto e = FindEvent(hEvent);
  if (!e) return FALSE;
  e->SetEvent();
  return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
  auto e = FindEvent(hEvent);
  if (!e) return FALSE;
  e->ResetEvent();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  // The shared_ptr keeps the event alive while we wait, even if another thread closes it.
  auto e = FindEvent(hHandle);
  if (!e) return WAIT_FAILED;
  return e->WaitFor(dwMilliseconds) == TWaitResult::wrSignaled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL CloseHandle(HANDLE hObject) {
  auto& t = Handles();
  std::lock_guard lock(t.mutex);
  return t.events.erase(reinterpret_cast<std::uintptr_t>(hObject)) ? TRUE : FALSE;
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
