#pragma once
// Shared set-up of the player tests: the threads the process runs, and waits on the GUI thread
// that keep the player's main-thread calls and the windows' messages going.

#include <dirent.h>

#include <chrono>
#include <functional>
#include <thread>

#include "Src/FFUtils.h"
#include "platform/core/Thread.h"

namespace playertest {

// Threads of this process now. A helper thread a sanitizer starts with the process's first
// thread is already there when this first counts.
inline int ThreadCount() {
  static const bool warmed = [] {
    std::thread([] {}).join();
    return true;
  }();
  (void)warmed;
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (dirent* e = ::readdir(dir))
      if (e->d_name[0] != '.') ++count;
    ::closedir(dir);
  }
  return count;
}

// Pumps main-thread calls and messages until APredicate holds; false after ATimeoutMs (the
// watchdog that turns a hang into a failure).
inline bool WaitUntil(const std::function<bool()>& APredicate, int ATimeoutMs = 8000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ATimeoutMs);
  while (!APredicate()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    CheckSynchronize(5);
    PumpPendingMessages();
  }
  return true;
}

}  // namespace playertest
