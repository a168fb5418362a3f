#include "Src/FFUtils.h"

#include "platform/MessageQueue.h"
#include "platform/Thread.h"

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
