#pragma once
// Shared set-up of the converter component tests: the libraries, a component whose task list the
// tests can look into, and message pumping while the GUI thread waits.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "FFmpegTestSupport.h"
#include "Src/Convexa.h"
#include "Src/FFUtils.h"

namespace convexatest {

namespace fs = std::filesystem;

// A component that shows its tasks and may make its own task class.
class TTestConvexa : public TConvexa {
 public:
  using TConvexa::TConvexa;
  ~TTestConvexa() override { ShutDown(); }  // its workers call into it: they end first
  using TaskFactory = std::function<std::unique_ptr<TFFmpeg>(int AMaxFiles)>;
  TaskFactory Factory;
  TFFmpeg* Task(int AIndex) const { return TaskList().Items(AIndex); }

 protected:
  std::unique_ptr<TFFmpeg> CreateTask(int AMaxFiles) override {
    return Factory ? Factory(AMaxFiles) : TConvexa::CreateTask(AMaxFiles);
  }
};

// Serves the GUI thread's pending calls until ACondition holds or ALimitMs pass; the result is
// ACondition's.
template <typename F>
bool PumpUntil(F&& ACondition, int ALimitMs = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ALimitMs);
  while (!ACondition()) {
    if (std::chrono::steady_clock::now() > end) return ACondition();
    PumpPendingMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // between two looks: nothing signals
  }
  return true;
}

}  // namespace convexatest
