// The desktop opener: the replaceable seam every "open this" goes through, the shell's form
// of it, and the real spawn, which hands the target over as one argument, never through a shell.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/shell/DesktopOpener.h"
#include "platform/core/SysUtils.h"
#include "tests/PollUntil.h"

namespace {

class DesktopOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing::TempDir() + "opener-" + std::to_string(::getpid());
    ForceDirectories(dir);
    previous = SetDesktopOpener([this](const std::string& target, std::string& error) {
      opened.push_back(target);
      if (refuse) error = "no application for " + target;
      return !refuse;
    });
  }
  void TearDown() override {
    SetDesktopOpener(previous);
    std::filesystem::remove_all(dir);
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path) << text;
    return path;
  }

  std::string dir;
  TDesktopOpener previous;
  std::vector<std::string> opened;
  bool refuse = false;
};

TEST_F(DesktopOpenerTest, EveryOpenGoesThroughTheInstalledOpenerAndFailuresAreReported) {
  std::string error = "stale";
  EXPECT_TRUE(OpenWithDesktop("/home/用户/输出 文件夹", &error));
  EXPECT_EQ(error, "");
  refuse = true;
  EXPECT_FALSE(OpenWithDesktop("https://example.org/help", &error));
  EXPECT_EQ(error, "no application for https://example.org/help");
  EXPECT_FALSE(OpenWithDesktop("", &error)) << "nothing to open is refused before any opener";
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(opened, (std::vector<std::string>{"/home/用户/输出 文件夹", "https://example.org/help"}));

  // Replacing answers the opener that was in place, so a test (or anyone) can put it back.
  int calls = 0;
  TDesktopOpener mine = SetDesktopOpener([&](const std::string&, std::string&) { return ++calls > 0; });
  EXPECT_TRUE(OpenWithDesktop("x"));
  SetDesktopOpener(mine);
  refuse = false;
  EXPECT_TRUE(OpenWithDesktop("y"));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(opened.back(), "y");
}

TEST_F(DesktopOpenerTest, TheShellFormOpensFilesFoldersAndAddressesWithTheOpenVerbOnly) {
  const std::string file = Write("说明.txt", "text");
  struct Case {
    const char* verb;
    std::string target;
    bool refuse;
    std::intptr_t expected;  // above 32: opened
    bool reachesOpener;
  };
  const std::vector<Case> cases = {
      {"open", file, false, 42, true},
      {nullptr, dir, false, 42, true},
      {"", "https://example.org/?q=a b", false, 42, true},
      {"open", "mailto:someone@example.org", false, 42, true},
      {"print", file, false, SE_ERR_NOASSOC, false},
      {"open", dir + "/missing.txt", false, SE_ERR_FNF, false},
      {"open", "", false, SE_ERR_FNF, false},
      {"open", file, true, SE_ERR_NOASSOC, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.verb ? c.verb : "(none)") + std::string(" ") + c.target);
    opened.clear();
    refuse = c.refuse;
    const auto r = reinterpret_cast<std::intptr_t>(ShellExecute(nullptr, c.verb, c.target.c_str(), nullptr, nullptr, 1));
    if (c.expected > 32) {
      EXPECT_GT(r, 32);
    } else {
      EXPECT_EQ(r, c.expected);
    }
    EXPECT_EQ(opened.size(), c.reachesOpener ? 1u : 0u);
  }
}

TEST_F(DesktopOpenerTest, TheSpawnPassesTheTargetAsOneArgumentWithoutAShell) {
  // A stand-in opener that writes how many arguments it got and each on a line of its own.
  const std::string out = dir + "/args.txt";
  const std::string script =
      Write("opener.sh", "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > '" + out + ".tmp'\nmv '" +
                             out + ".tmp' '" + out + "'\n");
  ::chmod(script.c_str(), 0755);
  const std::string marker = dir + "/ran";
  struct Case {
    std::string target, received;
  };
  const std::vector<Case> cases = {
      {"/tmp/a file; touch " + marker, "/tmp/a file; touch " + marker},
      {"$(touch " + marker + ")`touch " + marker + "` 'q' \"dq\"", "$(touch " + marker + ")`touch " + marker + "` 'q' \"dq\""},
      {"-rf", "./-rf"},  // never read as an option
      {"https://example.org/a?b=1&c=2", "https://example.org/a?b=1&c=2"},
      {"/视频/转换 结果", "/视频/转换 结果"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    std::remove(out.c_str());
    std::string error;
    ASSERT_TRUE(SpawnOpener(script, c.target, error)) << error;
    std::string text;
    ASSERT_TRUE(test_wait::PollUntil([&] { return FileExists(out); })) << "the opener ran";
    std::ifstream in(out);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "1\n" + c.received + "\n");
  }
  EXPECT_FALSE(FileExists(marker)) << "no part of a target ran as a command";

  std::string error;
  EXPECT_FALSE(SpawnOpener(dir + "/no-such-opener", "/tmp", error));
  EXPECT_NE(error.find("no-such-opener"), std::string::npos) << error;
}

}  // namespace

// The desktop's own opener tries the openers in order and takes the first that starts: here a
// PATH with only "gio" (as on a desktop without xdg-utils) opens through "gio open"; a PATH with
// none of them is refused with a reason that names what was tried. File managers are offered for
// folders, never for addresses.
TEST_F(DesktopOpenerTest, TheDesktopsOpenersAreTriedInOrderAndNoneIsReported) {
  SetDesktopOpener(nullptr);  // the desktop's own
  const std::string bin = dir + "/bin";
  ForceDirectories(bin);
  const std::string out = dir + "/gio-args.txt";
  const std::string gio = Write("bin/gio", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + out + ".tmp'\n/bin/mv '" + out + ".tmp' '" + out + "'\n");
  ::chmod(gio.c_str(), 0755);
  const char* saved = ::getenv("PATH");
  const std::string oldPath = saved ? saved : "";
  ::setenv("PATH", bin.c_str(), 1);

  std::string error;
  const bool opened = OpenWithDesktop("/视频/输出 文件夹", &error);
  test_wait::PollUntil([&] { return FileExists(out); }, std::chrono::milliseconds(5000));
  std::remove(gio.c_str());
  const bool none = OpenWithDesktop("/视频/输出 文件夹", &error);
  ::setenv("PATH", oldPath.c_str(), 1);

  EXPECT_TRUE(opened);
  std::ifstream in(out);
  std::stringstream args;
  args << in.rdbuf();
  EXPECT_EQ(args.str(), "open\n/视频/输出 文件夹\n") << "xdg-open is missing, gio is next";
  EXPECT_FALSE(none);
  for (const char* name : {"xdg-open", "gio open", "nautilus", "thunar", "pcmanfm"})
    EXPECT_NE(error.find(name), std::string::npos) << name << " in: " << error;

  const auto folder = DesktopOpeners("/home");
  const auto address = DesktopOpeners("https://example.org/");
  ASSERT_GE(folder.size(), 3u);
  EXPECT_EQ(folder[0], std::vector<std::string>{"xdg-open"});
  EXPECT_EQ(folder[1], (std::vector<std::string>{"gio", "open"}));
  EXPECT_EQ(address.size(), 2u) << "a file manager does not open web addresses";
}

// An opener that starts and then fails (xdg-open on a desktop with nothing that shows a folder
// ends with exit code 3) hands the target to the next one; when every one has failed so, the
// handler of late failures hears it, with each opener and its exit code in the reason.
TEST_F(DesktopOpenerTest, AnOpenerThatFailsAfterStartingHandsOverAndTheLastFailureIsReported) {
  SetDesktopOpener(nullptr);
  const std::string bin = dir + "/bin";
  ForceDirectories(bin);
  const std::string out = dir + "/gio-args.txt";
  const auto script = [&](const std::string& name, const std::string& body) {
    const std::string path = Write("bin/" + name, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
  };
  script("xdg-open", "exit 3\n");
  script("gio", "printf '%s\\n' \"$@\" > '" + out + ".tmp'\n/bin/mv '" + out + ".tmp' '" + out + "'\n");
  std::mutex lock;
  std::vector<std::string> failures;
  const TDesktopOpenFailed previousHandler =
      SetDesktopOpenFailedHandler([&](const std::string& Target, const std::string& Reason) {
        std::lock_guard guard(lock);
        failures.push_back(Target + "|" + Reason);
      });
  const char* saved = ::getenv("PATH");
  const std::string oldPath = saved ? saved : "";
  ::setenv("PATH", bin.c_str(), 1);

  const bool started = OpenWithDesktop("https://example.org/a b", nullptr);
  const bool handedOver = test_wait::PollUntil([&] { return FileExists(out); }, std::chrono::milliseconds(5000));
  script("gio", "exit 4\n");
  const bool startedAgain = OpenWithDesktop("https://example.org/", nullptr);
  const bool reported = test_wait::PollUntil(
      [&] {
        std::lock_guard guard(lock);
        return !failures.empty();
      },
      std::chrono::milliseconds(5000));
  ::setenv("PATH", oldPath.c_str(), 1);
  SetDesktopOpenFailedHandler(previousHandler);

  EXPECT_TRUE(started && startedAgain) << "an opener started each time";
  ASSERT_TRUE(handedOver) << "gio opens what xdg-open could not";
  std::ifstream in(out);
  std::stringstream args;
  args << in.rdbuf();
  EXPECT_EQ(args.str(), "open\nhttps://example.org/a b\n");
  ASSERT_TRUE(reported);
  std::lock_guard guard(lock);
  EXPECT_EQ(failures, std::vector<std::string>{"https://example.org/|no desktop opener could open it (tried "
                                               "xdg-open (exit code 3), gio open (exit code 4))"})
      << "only the open that nothing could do is reported";
}
