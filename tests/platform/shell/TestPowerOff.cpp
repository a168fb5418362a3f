// The power-off request: the replaceable seam every "shut the computer down" goes through, and the
// real request, started with an argument vector and never through a shell or with force.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/shell/PowerOff.h"
#include "platform/core/SysUtils.h"
#include "tests/PollUntil.h"

namespace {

TEST(PowerOffTest, RequestsGoThroughTheInstalledRequesterAndFailuresAreReported) {
  int requests = 0;
  bool refuse = false;
  TPowerOffRequester previous = SetPowerOffRequester([&](std::string& error) {
    ++requests;
    if (refuse) error = "not allowed";
    return !refuse;
  });
  std::string error = "stale";
  EXPECT_TRUE(RequestPowerOff(&error));
  EXPECT_EQ(error, "");
  refuse = true;
  EXPECT_FALSE(RequestPowerOff(&error));
  EXPECT_EQ(error, "not allowed");
  EXPECT_EQ(requests, 2);

  // A requester that fails without a word still gives the caller a reason.
  SetPowerOffRequester([](std::string&) { return false; });
  EXPECT_FALSE(RequestPowerOff(&error));
  EXPECT_FALSE(error.empty());

  // Replacing answers the requester in place; the first replacement answered the system's own.
  SetPowerOffRequester(previous);
  EXPECT_TRUE(static_cast<bool>(previous));
}

TEST(PowerOffTest, TheLoginManagerIsAskedWithoutForce) {
  const std::vector<std::string> command = PowerOffCommand();
  ASSERT_FALSE(command.empty());
  EXPECT_EQ(command.front(), "busctl");
  EXPECT_NE(std::find(command.begin(), command.end(), "org.freedesktop.login1.Manager"), command.end());
  EXPECT_NE(std::find(command.begin(), command.end(), "PowerOff"), command.end());
  for (const std::string& argument : command) EXPECT_EQ(argument.find("force"), std::string::npos) << argument;
}

TEST(PowerOffTest, TheSpawnPassesEveryArgumentAsItIsWithoutAShell) {
  const std::string dir = testing::TempDir() + "poweroff-" + std::to_string(::getpid());
  ForceDirectories(dir);
  const std::string out = dir + "/args.txt";
  const std::string marker = dir + "/ran";
  const std::string script = dir + "/busctl.sh";
  std::ofstream(script) << "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > '" << out
                        << ".tmp'\nmv '" << out << ".tmp' '" << out << "'\n";
  ::chmod(script.c_str(), 0755);

  const std::vector<std::string> command = {script, "call", "a b; touch " + marker, "$(touch " + marker + ")", "-x"};
  std::string error;
  ASSERT_TRUE(SpawnPowerOffRequest(command, error)) << error;
  ASSERT_TRUE(test_wait::PollUntil([&] { return FileExists(out); })) << "the request ran";
  std::stringstream received;
  received << std::ifstream(out).rdbuf();
  EXPECT_EQ(received.str(), "4\ncall\na b; touch " + marker + "\n$(touch " + marker + ")\n-x\n");
  EXPECT_FALSE(FileExists(marker)) << "no argument ran as a command";

  EXPECT_FALSE(SpawnPowerOffRequest({dir + "/no-such-program"}, error));
  EXPECT_NE(error.find("no-such-program"), std::string::npos) << error;
  EXPECT_FALSE(SpawnPowerOffRequest({}, error));
  std::filesystem::remove_all(dir);
}

}  // namespace
