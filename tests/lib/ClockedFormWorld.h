#pragma once
// The fixture of the form-skinner tests that run on time: the form fixture with the test clock
// every timer reads, the application's own loop (its message hooks included) and time passing
// in steps.

#include <cstdint>
#include <memory>

#include "platform/core/Clock.h"
#include "tests/platform/FormFixture.h"

class ClockedFormWorld : public FormWorld {
 protected:
  void SetUp() override {
    FormWorld::SetUp();
    clock = std::make_unique<TScopedTestClock>();
  }
  void TearDown() override {
    forms.clear();
    Run();
    clock.reset();
    FormWorld::TearDown();
  }

  // Every waiting message through the application's loop.
  void Run() { app.ProcessMessages(); }
  // Ms milliseconds pass in steps of Step; everything due runs after each step.
  void Wait(int Ms, int Step = 10) {
    for (int t = 0; t < Ms; t += Step) {
      clock->Advance(static_cast<std::uint64_t>(Step));
      Run();
    }
  }

  std::unique_ptr<TScopedTestClock> clock;
};
