// The main window: start-up, its look, the job list's commands, the output folder and the
// options that a restart keeps.

#include <gtest/gtest.h>

#include "tests/app/MainWindowWorld.h"

namespace {

using namespace main_window;

class MainWindowTest : public MainWindowWorld {};

TEST_F(MainWindowTest, Look) {
  Start();
  main->Show();
  const TRect r = main->BoundsRect();
  const auto pixels = skinned_test_form::Shot(display, r);
  SaveSurfacePng("main_window.actual.png", pixels.data(), r.Width(), r.Height(), r.Width() * 4, false);
}

}  // namespace
