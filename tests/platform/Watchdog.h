#pragma once
// A guard for tests that wait: when the guarded scope has not ended within the limit, the whole
// test program fails at once with a message, instead of hanging until the runner's timeout. The
// limit is for a deadlock, not a speed: a loaded machine must not reach it.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

class TWatchdog {
 public:
  explicit TWatchdog(std::string what, int limit_ms = 30000) : what_(std::move(what)) {
    thread_ = std::thread([this, limit_ms] {
      std::unique_lock lock(mutex_);
      if (!cond_.wait_for(lock, std::chrono::milliseconds(limit_ms), [this] { return done_; })) {
        std::fprintf(stderr, "watchdog: \"%s\" did not finish within %d ms (deadlock?)\n",
                     what_.c_str(), limit_ms);
        std::fflush(stderr);
        std::_Exit(1);
      }
    });
  }
  ~TWatchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    cond_.notify_all();
    thread_.join();
  }
  TWatchdog(const TWatchdog&) = delete;
  TWatchdog& operator=(const TWatchdog&) = delete;

 private:
  std::string what_;
  std::mutex mutex_;
  std::condition_variable cond_;
  bool done_ = false;
  std::thread thread_;
};
