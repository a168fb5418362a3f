// The after-run actions on this system: each goes through its platform seam, and the end sound
// is skipped quietly when its file is missing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AfterRunActions.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/shell/PowerOff.h"

namespace {

TEST(AfterRunActionsTest, EachActionGoesThroughItsSystemSeam) {
  std::vector<std::string> opened;
  int powerOffs = 0;
  const TDesktopOpener opener = SetDesktopOpener([&](const std::string& target, std::string&) {
    opened.push_back(target);
    return true;
  });
  const TPowerOffRequester requester = SetPowerOffRequester([&](std::string&) { return ++powerOffs > 0; });

  TSystemAfterRunActions actions(testing::TempDir() + "no-such-folder/sounds/ring001.wav");
  std::string error;
  EXPECT_TRUE(actions.OpenOutputFolder("/home/用户/视频 输出", error));
  actions.ShutDown();
  actions.PlayEndSound();  // no file: nothing plays, nothing is reported
  EXPECT_EQ(opened, std::vector<std::string>{"/home/用户/视频 输出"});
  EXPECT_EQ(powerOffs, 1);

  SetDesktopOpener(opener);
  SetPowerOffRequester(requester);
  EXPECT_TRUE(TSystemAfterRunActions::DefaultEndSound().ends_with("/sounds/ring001.wav"));
}

}  // namespace
