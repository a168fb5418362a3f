#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "tests/ShellTestTree.h"
#include "tests/platform/Watchdog.h"
#include "platform/shell/DirectoryWatch.h"

namespace {

using TWait = TDirectoryWatch::TWaitResult;
constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

}  // namespace

TEST(DirectoryWatch, ReportsChangesOfTheKindsAsked) {
  TShellTestTree tree;
  const std::string dir = tree.Documents;
  TShellTestTree::Write(dir + "/existing.txt", "x");
  TWakeSignal wake;
  TWatchdog watchdog("directory watch", 10000);

  struct Case {
    const char* name;
    DWORD filter;
    std::function<void()> change;
    bool reported;
  };
  int n = 0;
  const Case cases[] = {
      {"new file, file names", FILE_NOTIFY_CHANGE_FILE_NAME, [&] { TShellTestTree::Write(dir + "/f" + std::to_string(++n), ""); }, true},
      {"new file, folder names", FILE_NOTIFY_CHANGE_DIR_NAME, [&] { TShellTestTree::Write(dir + "/g" + std::to_string(++n), ""); }, false},
      {"new folder, folder names", FILE_NOTIFY_CHANGE_DIR_NAME, [&] { TShellTestTree::MakeFolder(dir + "/d" + std::to_string(++n)); }, true},
      {"write, names", kNames, [&] { TShellTestTree::Write(dir + "/existing.txt", "more"); }, false},
      {"write, last write", FILE_NOTIFY_CHANGE_LAST_WRITE, [&] { TShellTestTree::Write(dir + "/existing.txt", "most"); }, true},
      {"rights, security", FILE_NOTIFY_CHANGE_SECURITY, [&] { ::chmod((dir + "/existing.txt").c_str(), 0600); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto watch = TDirectoryWatch::Open(dir, false, c.filter);
    ASSERT_TRUE(watch);
    c.change();
    // The change (or none) is followed by a wake-up: the wait answers whichever comes first in
    // its reading, and a change is read before the wake-up is looked at again.
    if (!c.reported) wake.Wake();
    const TWait result = watch->Wait(wake);
    EXPECT_EQ(result, c.reported ? TWait::Changed : TWait::Woken);
    if (c.reported) {
      wake.Wake();
      EXPECT_EQ(watch->Wait(wake), TWait::Woken);  // the burst was one answer
    }
  }
}

TEST(DirectoryWatch, SubtreesAndTheirNewFolders) {
  TShellTestTree tree;
  const std::string dir = tree.Documents;
  TShellTestTree::MakeFolder(dir + "/a/b");
  TWakeSignal wake;
  TWatchdog watchdog("subtree watch", 10000);

  auto flat = TDirectoryWatch::Open(dir, false, kNames);
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->WatchedFolders(), 1);

  auto deep = TDirectoryWatch::Open(dir, true, kNames);
  ASSERT_TRUE(deep);
  EXPECT_EQ(deep->WatchedFolders(), 3);
  TShellTestTree::Write(dir + "/a/b/inner.txt", "");
  EXPECT_EQ(deep->Wait(wake), TWait::Changed);

  TShellTestTree::MakeFolder(dir + "/a/new");
  EXPECT_EQ(deep->Wait(wake), TWait::Changed);
  EXPECT_EQ(deep->WatchedFolders(), 4);
  TShellTestTree::Write(dir + "/a/new/file.txt", "");
  EXPECT_EQ(deep->Wait(wake), TWait::Changed);

  // The flat watch saw only the changes in its own folder: none.
  wake.Wake();
  EXPECT_EQ(flat->Wait(wake), TWait::Woken);
}

TEST(DirectoryWatch, AFolderThatGoesOrNeverWas) {
  TShellTestTree tree;
  const std::string dir = tree.Documents + "/brief";
  TShellTestTree::MakeFolder(dir);
  TWakeSignal wake;
  TWatchdog watchdog("folder gone", 10000);
  auto watch = TDirectoryWatch::Open(dir, false, kNames);
  ASSERT_TRUE(watch);
  std::filesystem::remove(dir);
  EXPECT_EQ(watch->Wait(wake), TWait::Gone);

  int error = 0;
  EXPECT_FALSE(TDirectoryWatch::Open(dir, false, kNames, &error));
  EXPECT_EQ(error, ENOENT);
  TShellTestTree::Write(dir, "a file");
  EXPECT_FALSE(TDirectoryWatch::Open(dir, false, kNames, &error));
  EXPECT_EQ(error, ENOTDIR);
}

TEST(DirectoryWatch, AWakeFromAnotherThreadEndsTheWait) {
  TShellTestTree tree;
  TWakeSignal wake;
  TWatchdog watchdog("wake", 10000);
  auto watch = TDirectoryWatch::Open(tree.Documents, true, kNames);
  ASSERT_TRUE(watch);
  std::thread other([&] { wake.Wake(); });
  EXPECT_EQ(watch->Wait(wake), TWait::Woken);
  other.join();
  wake.Wake();
  EXPECT_TRUE(WaitForWake(wake));
}
