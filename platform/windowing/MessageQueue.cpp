#include "platform/windowing/MessageQueue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/core/Clock.h"
#include "platform/core/Thread.h"

namespace {

struct TThreadQueue;

// A message sent from another thread, waiting to be served by the receiving thread.
struct TSentMessage {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  LRESULT result = 0;
  bool done = false;  // guarded by the sender's queue lock
  std::shared_ptr<TThreadQueue> sender;
};

struct TTimer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT interval = 0;
  std::uint64_t due = 0;
  std::uint64_t order = 0;  // ties between equally due timers go to the one armed first
  TIMERPROC proc = nullptr;
};

// One thread's queue. Everything below the mutex is guarded by it; the owner thread takes
// entries out under the lock and handles them outside it.
struct TThreadQueue {
  explicit TThreadQueue(DWORD id) : thread(id) {}
  const DWORD thread;
  std::mutex mutex;
  std::condition_variable changed;
  bool wake = false;  // set by every arrival; the waiting owner clears it before each look
  bool dead = false;  // the owner thread has ended
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<TSentMessage>> sent;
  std::vector<TTimer> timers;
  bool quit = false;
  int quit_code = 0;
  std::atomic<TEventSource*> source{nullptr};
};

struct TRegistry {
  std::mutex mutex;
  std::unordered_map<DWORD, std::shared_ptr<TThreadQueue>> queues;
  std::atomic<std::uint64_t> timer_order{0};
  std::atomic<UINT_PTR> next_thread_timer{1};
};

TRegistry& Registry() {
  static auto* registry = new TRegistry;
  return *registry;
}

void Wake(TThreadQueue& q) {
  {
    std::lock_guard lock(q.mutex);
    q.wake = true;
  }
  q.changed.notify_all();
  if (TEventSource* source = q.source.load()) source->Wake();
}

// Stamps a posted message with the time, appends it to q and wakes q's thread; FALSE once the
// queue has died.
BOOL PostTo(TThreadQueue& q, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, TPoint Pt = {}) {
  MSG m;
  m.hwnd = hWnd;
  m.message = Msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = GetTickCount();
  m.pt = Pt;
  {
    std::lock_guard lock(q.mutex);
    if (q.dead) return FALSE;
    q.posted.push_back(m);
  }
  Wake(q);
  return TRUE;
}

std::shared_ptr<TThreadQueue> FindQueue(DWORD thread) {
  auto& r = Registry();
  std::lock_guard lock(r.mutex);
  auto it = r.queues.find(thread);
  return it == r.queues.end() ? nullptr : it->second;
}

void WakeMainQueue() {
  if (auto q = FindQueue(MainThreadID())) Wake(*q);
}

void WakeAllQueues() {
  std::vector<std::shared_ptr<TThreadQueue>> queues;
  {
    auto& r = Registry();
    std::lock_guard lock(r.mutex);
    for (auto& [id, q] : r.queues) queues.push_back(q);
  }
  for (auto& q : queues) Wake(*q);
}

void Complete(TSentMessage& m, LRESULT result) {
  {
    std::lock_guard lock(m.sender->mutex);
    m.result = result;
    m.done = true;
  }
  m.sender->changed.notify_all();
}

void ServeMainThreadSent();

std::shared_ptr<TThreadQueue> GetOrCreateQueue(DWORD thread) {
  auto& r = Registry();
  std::lock_guard lock(r.mutex);
  auto& slot = r.queues[thread];
  if (!slot) slot = std::make_shared<TThreadQueue>(thread);
  if (thread == MainThreadID()) {
    detail::SetSynchronizeWakeHook(WakeMainQueue);
    detail::SetSentMessageServer(ServeMainThreadSent);
  }
  detail::SetClockAdvancedHook(WakeAllQueues);
  return slot;
}

// Owns the calling thread's queue; when the thread ends, its queue dies: senders waiting on it
// get 0 and its windows are released.
struct TQueueHolder {
  std::shared_ptr<TThreadQueue> queue;
  ~TQueueHolder() {
    if (!queue) return;
    std::deque<std::shared_ptr<TSentMessage>> orphans;
    {
      std::lock_guard lock(queue->mutex);
      queue->dead = true;
      orphans.swap(queue->sent);
      queue->posted.clear();
      queue->timers.clear();
    }
    for (auto& m : orphans) Complete(*m, 0);
    {
      auto& r = Registry();
      std::lock_guard lock(r.mutex);
      auto it = r.queues.find(queue->thread);
      if (it != r.queues.end() && it->second == queue) r.queues.erase(it);
    }
    detail::ReleaseThreadWindows(queue->thread);
  }
};

TThreadQueue& CurrentQueue() {
  thread_local TQueueHolder holder;
  if (!holder.queue) holder.queue = GetOrCreateQueue(GetCurrentThreadId());
  return *holder.queue;
}

std::shared_ptr<TThreadQueue> CurrentQueuePtr() {
  CurrentQueue();
  return FindQueue(GetCurrentThreadId());
}

// The window's procedure, looked up at call time so subclassing takes effect at once.
LRESULT CallProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtr(h, GWL_WNDPROC));
  return proc ? proc(h, msg, w, l) : 0;
}

// Serves the messages other threads sent to this thread, one at a time in order.
void ServeSent(TThreadQueue& q) {
  for (;;) {
    std::shared_ptr<TSentMessage> m;
    {
      std::lock_guard lock(q.mutex);
      if (q.sent.empty()) return;
      m = std::move(q.sent.front());
      q.sent.pop_front();
    }
    LRESULT result = 0;
    try {
      if (IsWindow(m->hwnd)) result = CallProc(m->hwnd, m->msg, m->wparam, m->lparam);
    } catch (...) {
      Complete(*m, 0);  // never leave the sender blocked
      throw;
    }
    Complete(*m, result);
  }
}

void ServeMainThreadSent() {
  if (GetCurrentThreadId() == MainThreadID()) ServeSent(CurrentQueue());
}

// Runs what must run inside every pump of this thread: main-thread calls, sent messages and
// the event source.
void ServeInternal(TThreadQueue& q) {
  if (q.thread == MainThreadID()) CheckSynchronize(0);
  ServeSent(q);
  if (TEventSource* source = q.source.load()) source->PumpEvents();
}

bool MatchesWindow(HWND filter, HWND h) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return h == nullptr;
  return filter == h;
}

bool MatchesRange(UINT min, UINT max, UINT msg) {
  if (min == 0 && max == 0) return true;
  return msg >= min && msg <= max;
}

bool TakeTimerLocked(TThreadQueue& q, MSG* out, HWND hwnd, UINT min, UINT max, bool remove);

// One look at the queue for a message matching the filter: posted messages and WM_QUIT, or
// (timers set) the most overdue timer. Lock held by the caller.
bool TakeLocked(TThreadQueue& q, MSG* out, HWND hwnd, UINT min, UINT max, bool remove, bool timers) {
  if (timers) return TakeTimerLocked(q, out, hwnd, min, max, remove);
  for (auto it = q.posted.begin(); it != q.posted.end();) {
    if (it->hwnd && !IsWindow(it->hwnd)) {
      it = q.posted.erase(it);  // its window is gone
      continue;
    }
    if (MatchesWindow(hwnd, it->hwnd) && MatchesRange(min, max, it->message)) {
      *out = *it;
      if (remove) q.posted.erase(it);
      return true;
    }
    ++it;
  }
  if (q.quit && MatchesRange(min, max, WM_QUIT)) {
    *out = MSG{};
    out->message = WM_QUIT;
    out->wParam = static_cast<WPARAM>(q.quit_code);
    out->time = GetTickCount();
    if (remove) q.quit = false;
    return true;
  }
  return false;
}

// The paint finder of the windowing part (null until it installs one).
std::atomic<detail::TPaintFinder> g_paint_finder{nullptr};

// A WM_PAINT for a window of this thread that needs painting. Called without the queue lock:
// the finder takes the window tree's lock.
bool TakePaint(MSG* out, HWND hwnd, UINT min, UINT max) {
  detail::TPaintFinder finder = g_paint_finder.load();
  if (!finder || !MatchesRange(min, max, WM_PAINT)) return false;
  HWND h = finder(hwnd);
  if (!h) return false;
  *out = MSG{};
  out->hwnd = h;
  out->message = WM_PAINT;
  out->time = GetTickCount();
  return true;
}

bool TakeTimerLocked(TThreadQueue& q, MSG* out, HWND hwnd, UINT min, UINT max, bool remove) {
  std::uint64_t now = Clock().Milliseconds();
  TTimer* best = nullptr;
  for (auto& t : q.timers) {
    if (t.due > now || !MatchesWindow(hwnd, t.hwnd) || !MatchesRange(min, max, WM_TIMER)) continue;
    if (!best || t.due < best->due || (t.due == best->due && t.order < best->order)) best = &t;
  }
  if (best) {
    *out = MSG{};
    out->hwnd = best->hwnd;
    out->message = WM_TIMER;
    out->wParam = best->id;
    out->lParam = reinterpret_cast<LPARAM>(best->proc);
    out->time = static_cast<DWORD>(now);
    if (remove) {
      best->due = now + best->interval;
      best->order = Registry().timer_order.fetch_add(1);
    }
    return true;
  }
  return false;
}

// Milliseconds until the next timer is due: -1 for none (or a clock that only moves when
// told, which wakes us itself), 0 when one is overdue.
int NextTimerWait(TThreadQueue& q) {
  if (q.timers.empty() || !Clock().FollowsRealTime()) return -1;
  std::uint64_t now = Clock().Milliseconds();
  std::uint64_t next = UINT64_MAX;
  for (auto& t : q.timers) next = std::min(next, t.due);
  return next <= now ? 0 : static_cast<int>(std::min<std::uint64_t>(next - now, INT32_MAX));
}

// Looks for a message, waiting until one comes when `wait` is set.
bool Retrieve(MSG* out, HWND hwnd, UINT min, UINT max, bool remove, bool wait) {
  TThreadQueue& q = CurrentQueue();
  for (;;) {
    {
      std::lock_guard lock(q.mutex);
      q.wake = false;  // any arrival after this point makes the wait below return
    }
    ServeInternal(q);
    int timeout;
    {
      std::unique_lock lock(q.mutex);
      MSG m;
      if (TakeLocked(q, &m, hwnd, min, max, remove, false)) {
        if (out) *out = m;
        return true;
      }
    }
    {
      // Windows waiting for WM_PAINT come after posted messages and before timers.
      MSG m;
      if (TakePaint(&m, hwnd, min, max)) {
        if (out) *out = m;
        return true;
      }
    }
    {
      std::unique_lock lock(q.mutex);
      MSG m;
      if (TakeLocked(q, &m, hwnd, min, max, remove, true)) {
        if (out) *out = m;
        return true;
      }
      if (!wait) return false;
      timeout = NextTimerWait(q);
      TEventSource* source = q.source.load();
      if (!source) {
        if (timeout < 0) {
          q.changed.wait(lock, [&] { return q.wake; });
        } else {
          q.changed.wait_for(lock, std::chrono::milliseconds(timeout), [&] { return q.wake; });
        }
        continue;
      }
      if (q.wake) continue;
    }
    q.source.load()->WaitEvents(timeout);
  }
}

}  // namespace

namespace {

// Sends to the window's thread and waits, without limit when limited is false.
bool SendAcross(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags, bool limited,
                UINT uTimeout, ULONG_PTR* lpdwResult) {
  DWORD owner = GetWindowThreadProcessId(hWnd, nullptr);
  if (owner == 0) return false;
  if (owner == GetCurrentThreadId()) {
    LRESULT r = CallProc(hWnd, Msg, wParam, lParam);
    if (lpdwResult) *lpdwResult = static_cast<ULONG_PTR>(r);
    return true;
  }
  auto target = FindQueue(owner);
  if (!target) return false;
  auto me = CurrentQueuePtr();
  auto m = std::make_shared<TSentMessage>();
  m->hwnd = hWnd;
  m->msg = Msg;
  m->wparam = wParam;
  m->lparam = lParam;
  m->sender = me;
  {
    std::lock_guard lock(target->mutex);
    if (target->dead) return false;
    target->sent.push_back(m);
    target->wake = true;
  }
  target->changed.notify_all();
  if (TEventSource* source = target->source.load()) source->Wake();
  if (owner == MainThreadID()) detail::PokeMainThread();  // it may be inside TThread::WaitFor

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(uTimeout);
  for (;;) {
    {
      std::lock_guard lock(me->mutex);
      me->wake = false;
    }
    // Keep serving this thread's own callers, or two threads sending to each other would
    // wait for ever. SMTO_BLOCK asks not to, as the classic call does.
    if (!(fuFlags & SMTO_BLOCK)) {
      if (me->thread == MainThreadID()) CheckSynchronize(0);
      ServeSent(*me);
    }
    std::unique_lock lock(me->mutex);
    if (m->done) break;
    auto ready = [&] { return m->done || me->wake; };
    if (!limited) {
      me->changed.wait(lock, ready);
    } else if (!me->changed.wait_until(lock, deadline, ready)) {
      return false;
    }
    if (m->done) break;
  }
  if (lpdwResult) *lpdwResult = static_cast<ULONG_PTR>(m->result);
  return true;
}

}  // namespace

LRESULT SendMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  DWORD owner = GetWindowThreadProcessId(hWnd, nullptr);
  if (owner == 0) return 0;
  if (owner == GetCurrentThreadId()) return CallProc(hWnd, Msg, wParam, lParam);
  ULONG_PTR result = 0;
  SendAcross(hWnd, Msg, wParam, lParam, SMTO_NORMAL, false, 0, &result);
  return static_cast<LRESULT>(result);
}

LRESULT SendMessageTimeout(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                           UINT uTimeout, ULONG_PTR* lpdwResult) {
  return SendAcross(hWnd, Msg, wParam, lParam, fuFlags, true, uTimeout, lpdwResult) ? 1 : 0;
}

BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<TThreadQueue> q;
  if (!hWnd) {
    q = CurrentQueuePtr();
  } else {
    DWORD owner = GetWindowThreadProcessId(hWnd, nullptr);
    if (owner == 0) return FALSE;
    q = FindQueue(owner);
  }
  if (!q) return FALSE;
  return PostTo(*q, hWnd, Msg, wParam, lParam);
}

BOOL detail::PostInputMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, TPoint Pt) {
  DWORD owner = GetWindowThreadProcessId(hWnd, nullptr);
  if (owner == 0) return FALSE;
  auto q = FindQueue(owner);
  if (!q) return FALSE;
  return PostTo(*q, hWnd, Msg, wParam, lParam, Pt);
}

void detail::SetPaintFinder(TPaintFinder Finder) { g_paint_finder.store(Finder); }

void detail::WakeThread(DWORD ThreadId) {
  if (auto q = FindQueue(ThreadId)) Wake(*q);
}

BOOL PostThreadMessage(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto q = idThread == MainThreadID() ? GetOrCreateQueue(idThread) : FindQueue(idThread);
  if (!q) return FALSE;
  return PostTo(*q, nullptr, Msg, wParam, lParam);
}

BOOL GetMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  MSG m;
  Retrieve(&m, hWnd, wMsgFilterMin, wMsgFilterMax, true, true);
  if (lpMsg) *lpMsg = m;
  return m.message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  return Retrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0, false)
             ? TRUE
             : FALSE;
}

BOOL WaitMessage() {
  Retrieve(nullptr, nullptr, 0, 0, false, true);
  return TRUE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessage(const MSG* lpMsg) {
  if (!lpMsg) return 0;
  if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
    reinterpret_cast<TIMERPROC>(lpMsg->lParam)(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
    return 0;
  }
  if (!lpMsg->hwnd || !IsWindow(lpMsg->hwnd)) return 0;
  return CallProc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void PostQuitMessage(int nExitCode) {
  TThreadQueue& q = CurrentQueue();
  {
    std::lock_guard lock(q.mutex);
    q.quit = true;
    q.quit_code = nExitCode;
  }
  Wake(q);
}

UINT RegisterWindowMessage(const std::string& lpString) {
  if (lpString.empty()) return 0;
  static std::mutex mutex;
  static auto* names = new std::unordered_map<std::string, UINT>;
  static UINT next = 0xC000;
  std::string key = lpString;
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::lock_guard lock(mutex);
  auto it = names->find(key);
  if (it != names->end()) return it->second;
  if (next > 0xFFFF) return 0;
  names->emplace(key, next);
  return next++;
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  std::shared_ptr<TThreadQueue> q;
  if (hWnd) {
    DWORD owner = GetWindowThreadProcessId(hWnd, nullptr);
    if (owner == 0 || owner != GetCurrentThreadId()) return 0;
  }
  q = CurrentQueuePtr();
  UINT interval = std::clamp(uElapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  auto& r = Registry();
  UINT_PTR id;
  {
    std::lock_guard lock(q->mutex);
    auto it = std::find_if(q->timers.begin(), q->timers.end(), [&](const TTimer& t) {
      return t.hwnd == hWnd && t.id == nIDEvent && (hWnd || nIDEvent != 0);
    });
    if (it == q->timers.end()) {
      TTimer t;
      t.hwnd = hWnd;
      t.id = hWnd ? nIDEvent : r.next_thread_timer.fetch_add(1);
      q->timers.push_back(t);
      it = q->timers.end() - 1;
    }
    it->interval = interval;
    it->proc = lpTimerFunc;
    it->due = Clock().Milliseconds() + interval;
    it->order = r.timer_order.fetch_add(1);
    id = it->id;
  }
  Wake(*q);
  return hWnd && id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  TThreadQueue& q = CurrentQueue();
  std::lock_guard lock(q.mutex);
  auto it = std::find_if(q.timers.begin(), q.timers.end(),
                         [&](const TTimer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
  if (it == q.timers.end()) return FALSE;
  q.timers.erase(it);
  return TRUE;
}

void SetThreadEventSource(TEventSource* ASource) {
  TThreadQueue& q = CurrentQueue();
  q.source.store(ASource);
}

void detail::EnsureThreadQueue() { CurrentQueue(); }

void detail::KillWindowTimers(HWND hWnd) {
  DWORD owner = GetWindowThreadProcessId(hWnd, nullptr);
  auto q = FindQueue(owner);
  if (!q) return;
  std::lock_guard lock(q->mutex);
  std::erase_if(q->timers, [&](const TTimer& t) { return t.hwnd == hWnd; });
}
