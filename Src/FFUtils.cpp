#include "Src/FFUtils.h"

#include <csignal>

#include "platform/windowing/MessageQueue.h"
#include "platform/core/Thread.h"

void CallInMainThread(const std::function<void()>& AMethod) {
  if (GetCurrentThreadId() == MainThreadID()) {
    AMethod();
  } else {
    TThread::Synchronize(nullptr, AMethod);
  }
}

void CallEvent(bool AInMainThread, const std::function<void()>& AMethod) {
  if (AInMainThread)
    CallInMainThread(AMethod);
  else
    AMethod();
}

void TLiveness::QueueInMainThread(TNews AMethod) const {
  TThread::Queue(nullptr, [state = FState, method = std::move(AMethod)] {
    std::lock_guard<std::recursive_mutex> guard(state->Lock);
    if (!state->Alive) return;
    method([&state] { return state->Alive; });
  });
}

void TLiveness::Revoke() {
  std::lock_guard<std::recursive_mutex> guard(FState->Lock);
  FState->Alive = false;
}

bool TLiveness::Alive() const {
  std::lock_guard<std::recursive_mutex> guard(FState->Lock);
  return FState->Alive;
}

namespace {

constexpr int ReadWakeSignal = SIGURG;

void IgnoreWakeSignal(int) {}

}  // namespace

bool ReadWakeSignalReady() {
  static const bool ready = [] {
    struct sigaction current {};
    if (::sigaction(ReadWakeSignal, nullptr, &current) != 0) return false;
    const bool handled = (current.sa_flags & SA_SIGINFO) ? current.sa_sigaction != nullptr
                                                         : current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN;
    if (handled) return true;
    struct sigaction wake {};
    wake.sa_handler = IgnoreWakeSignal;
    ::sigemptyset(&wake.sa_mask);
    wake.sa_flags = 0;
    return ::sigaction(ReadWakeSignal, &wake, nullptr) == 0;
  }();
  return ready;
}

void WakeBlockedRead(pthread_t AThread) {
  if (ReadWakeSignalReady()) ::pthread_kill(AThread, ReadWakeSignal);
}

bool ProcessOneMessage(MSG& AMsg) {
  if (!PeekMessage(&AMsg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (AMsg.message != WM_QUIT) {
    TranslateMessage(&AMsg);
    DispatchMessage(&AMsg);
  }
  return true;
}

void PumpPendingMessages() {
  MSG msg;
  while (ProcessOneMessage(msg)) {
    if (msg.message == WM_QUIT) {
      // The quit belongs to the application's loop: hand it back and stop here, or the pump
      // would take it again at once.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
  }
}
