#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "tests/ShellTestTree.h"
#include "lib/dialogs/vlShellChangeNotifier.h"
#include "platform/controls/Application.h"
#include "platform/core/Thread.h"

namespace {

// Serves the GUI thread's queued calls until Done answers true; the watchdog fails a test that
// would wait for ever.
void ServeUntil(const std::function<bool()>& Done, const char* what) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!Done()) {
    ASSERT_LT(std::chrono::steady_clock::now(), limit) << "waited in vain for " << what;
    CheckSynchronize(5);
  }
}

// Waits, without serving anything, until a worker has posted a call to the GUI thread.
void AwaitPostedCall() {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!detail::SynchronizePending() && std::chrono::steady_clock::now() < limit) std::this_thread::yield();
  ASSERT_TRUE(detail::SynchronizePending()) << "no call was posted";
}

class ShellChangeNotifier : public ::testing::Test {
 protected:
  // A notifier of a folder, its subtree or not, counting the calls of its handler.
  std::unique_ptr<TvlShellChangeNotifier> Watch(const std::string& folder, bool subtree, int& calls) {
    auto notifier = std::make_unique<TvlShellChangeNotifier>(nullptr);
    notifier->SetWatchSubTree(subtree);
    notifier->SetRoot(folder);
    notifier->SetOnChange([&calls] {
      EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
      ++calls;
    });
    ServeUntil([&] { return notifier->WatchedFolder() == folder; }, "the watch");
    return notifier;
  }

  TShellTestTree tree;
};

}  // namespace

TEST(ShellChangeFlags, FlagWords) {
  using F = TNotifyFilter;
  EXPECT_EQ(NotifyFiltersToFlags({}), 0u);
  EXPECT_EQ(NotifyFiltersToFlags({F::nfSecurityChange}), 0x100u);
  EXPECT_EQ(NotifyFiltersToFlags({F::nfFileNameChange, F::nfDirNameChange}), 0x3u);
  EXPECT_EQ(NotifyFiltersToFlags({F::nfFileNameChange, F::nfDirNameChange, F::nfAttributeChange, F::nfSizeChange,
                                  F::nfWriteChange, F::nfSecurityChange}),
            0x11Fu);
}

TEST_F(ShellChangeNotifier, NoHandlerNoThread) {
  TvlShellChangeNotifier notifier(nullptr);
  EXPECT_EQ(notifier.Root(), tree.Home);  // the home folder, never a watch of "/"
  EXPECT_TRUE(notifier.WatchSubTree());
  EXPECT_EQ(notifier.NotifyFilters(), (TNotifyFilters{TNotifyFilter::nfFileNameChange, TNotifyFilter::nfDirNameChange}));
  notifier.SetRoot(tree.Documents);
  notifier.SetWatchSubTree(false);
  notifier.SetNotifyFilters({TNotifyFilter::nfWriteChange});
  EXPECT_EQ(notifier.Thread(), nullptr);
  EXPECT_EQ(notifier.WatchedFolder(), "");
}

TEST_F(ShellChangeNotifier, ANewFileGivesExactlyOneCallOnTheGuiThread) {
  int calls = 0;
  auto notifier = Watch(tree.Documents, false, calls);
  TShellTestTree::Write(tree.Documents + "/new.mp4", "data");
  ServeUntil([&] { return calls >= 1; }, "the first call");
  // A marker change: whatever the first file caused comes before it.
  TShellTestTree::Write(tree.Documents + "/marker", "");
  ServeUntil([&] { return calls >= 2; }, "the marker's call");
  EXPECT_EQ(calls, 2);
}

TEST_F(ShellChangeNotifier, SubfolderChangesOnlyWithTheSubtree) {
  const std::string sub = tree.Documents + "/sub";
  TShellTestTree::MakeFolder(sub);
  int flatCalls = 0, subCalls = 0, deepCalls = 0;
  auto flat = Watch(tree.Documents, false, flatCalls);
  auto inner = Watch(sub, false, subCalls);
  auto deep = Watch(tree.Documents, true, deepCalls);

  TShellTestTree::Write(sub + "/inside.txt", "");
  ServeUntil([&] { return subCalls == 1 && deepCalls == 1; }, "the subfolder's calls");
  ServeUntil([] { return !detail::SynchronizePending(); }, "the queue");
  TShellTestTree::Write(tree.Documents + "/marker", "");
  ServeUntil([&] { return flatCalls >= 1 && deepCalls >= 2; }, "the marker's calls");
  EXPECT_EQ(flatCalls, 1);
}

TEST_F(ShellChangeNotifier, OptionsTakeEffectAndARootIsComparedExactly) {
  int calls = 0;
  auto notifier = Watch(tree.Documents, false, calls);
  const TvlShellChangeThread* worker = notifier->Thread();

  TShellTestTree::MakeFolder(tree.Root + "/Other");
  notifier->SetRoot(tree.Root + "/Other");
  ServeUntil([&] { return notifier->WatchedFolder() == tree.Root + "/Other"; }, "the new root");
  EXPECT_EQ(notifier->Thread(), worker);  // the same worker, re-configured

  // "other" is another folder on this file system (and here a missing one): the worker ends.
  notifier->SetRoot(tree.Root + "/other");
  ServeUntil([&] { return notifier->Thread()->Finished(); }, "the worker's end");
  EXPECT_EQ(notifier->WatchedFolder(), "");

  // A worker that ended by itself is replaced when there is something to watch again.
  notifier->SetRoot(tree.Documents);
  ServeUntil([&] { return notifier->WatchedFolder() == tree.Documents; }, "the restarted watch");
  TShellTestTree::Write(tree.Documents + "/again", "");
  ServeUntil([&] { return calls == 1; }, "the call");
}

TEST_F(ShellChangeNotifier, AMissingRootNeverCallsTheHandler) {
  int calls = 0;
  TvlShellChangeNotifier notifier(nullptr);
  notifier.SetRoot(tree.Root + "/nowhere");
  notifier.SetOnChange([&] { ++calls; });
  ASSERT_NE(notifier.Thread(), nullptr);
  ServeUntil([&] { return notifier.Thread()->Finished(); }, "the worker's end");
  TShellTestTree::MakeFolder(tree.Root + "/nowhere");
  TShellTestTree::Write(tree.Root + "/nowhere/file", "");
  CheckSynchronize(20);
  EXPECT_EQ(calls, 0);
}

TEST_F(ShellChangeNotifier, DestroyingIsPromptAndNothingFollows) {
  auto calls = std::make_shared<int>(0);
  {
    int unused = 0;
    auto idle = Watch(tree.Documents, true, unused);
    idle->SetOnChange([calls] { ++*calls; });
    const auto before = std::chrono::steady_clock::now();
    idle.reset();  // the worker waits in its watch: the wake-up ends it
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
  }
  TShellTestTree::Write(tree.Documents + "/after", "");
  CheckSynchronize(20);
  EXPECT_EQ(*calls, 0);

  // A change already on its way to the GUI thread when the notifier goes is dropped.
  int unused = 0;
  auto busy = Watch(tree.Documents, false, unused);
  busy->SetOnChange([calls] { ++*calls; });
  TShellTestTree::Write(tree.Documents + "/racing", "");
  AwaitPostedCall();
  busy.reset();
  CheckSynchronize(20);
  EXPECT_EQ(*calls, 0);
}

TEST_F(ShellChangeNotifier, AnEmptyHandlerStopsTheCallsNotTheWorker) {
  int calls = 0;
  auto notifier = Watch(tree.Documents, false, calls);
  notifier->SetOnChange(nullptr);
  TShellTestTree::Write(tree.Documents + "/unheard", "");
  AwaitPostedCall();
  CheckSynchronize(0);
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(notifier->Thread()->Finished());

  notifier->SetOnChange([&] { ++calls; });
  TShellTestTree::Write(tree.Documents + "/heard", "");
  ServeUntil([&] { return calls == 1; }, "the call");
}

TEST_F(ShellChangeNotifier, AFailingHandlerEndsTheWatchAndIsReported) {
  TApplication app(nullptr);
  std::string reported;
  app.OnException = [&](TObject*, const Exception& e) { reported = e.Message; };
  int calls = 0;
  auto notifier = Watch(tree.Documents, false, calls);
  notifier->SetOnChange([&] {
    ++calls;
    throw Exception("refresh failed");
  });
  TShellTestTree::Write(tree.Documents + "/first", "");
  ServeUntil([&] { return !reported.empty(); }, "the report");
  EXPECT_EQ(reported, "refresh failed");
  ServeUntil([&] { return notifier->Thread()->Finished(); }, "the worker's end");
  TShellTestTree::Write(tree.Documents + "/second", "");
  CheckSynchronize(20);
  EXPECT_EQ(calls, 1);
}

TEST_F(ShellChangeNotifier, AHandlerMayFreeItsNotifier) {
  int calls = 0;
  auto notifier = Watch(tree.Documents, false, calls);
  notifier->SetOnChange([&] {
    ++calls;
    notifier.reset();  // a view re-creating its notifier on refresh
  });
  TShellTestTree::Write(tree.Documents + "/file", "");
  ServeUntil([&] { return calls == 1; }, "the call");
  EXPECT_EQ(notifier, nullptr);
}
