// Batches of the converter component: how many tasks run at once and which starts next, the
// terminate and end-of-batch records, progress on the GUI thread, pause, resume and stop, and
// the component's end while tasks run.
//
// The tasks' runs stand for conversions: one "packet" of 40 ms of media per millisecond, through
// the pause gate, reporting progress at the task's interval.

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

#include "ConvexaTestSupport.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/Watchdog.h"
#include "platform/windowing/Window.h"

namespace {

using namespace std::chrono_literals;
using convexatest::PumpUntil;
using convexatest::TTestConvexa;
namespace fs = std::filesystem;

// What the runs did, in order.
struct TRunLog {
  std::mutex Lock;
  std::vector<std::pair<bool, int>> Events;  // (begin?, task id)
  int Running = 0;
  int MaxRunning = 0;
  void Add(bool ABegin, int AId) {
    std::lock_guard<std::mutex> guard(Lock);
    Events.emplace_back(ABegin, AId);
    Running += ABegin ? 1 : -1;
    MaxRunning = std::max(MaxRunning, Running);
  }
  // Index of the event in Events, -1 when absent.
  int Find(bool ABegin, int AId) {
    std::lock_guard<std::mutex> guard(Lock);
    for (size_t i = 0; i < Events.size(); ++i)
      if (Events[i] == std::pair{ABegin, AId}) return static_cast<int>(i);
    return -1;
  }
};

class TLoopTask : public TFFmpeg {
 public:
  TLoopTask(int AMaxFiles, TRunLog& ALog, int AId, int APacketLimit, std::string AFailWith)
      : TFFmpeg(AMaxFiles), FLog(ALog), FId(AId), FPacketLimit(APacketLimit), FFailWith(std::move(AFailWith)) {}
  // The worker runs this class's Transcode: it must have ended before this part goes.
  ~TLoopTask() override { Stop(true); }
  std::atomic<int> Packets{0};

 protected:
  void Transcode() override {
    FLog.Add(true, FId);
    struct TEnd {
      TLoopTask* Self;
      ~TEnd() { Self->FLog.Add(false, Self->FId); }
    } end{this};
    auto last = std::chrono::steady_clock::now();
    while (!FBroken) {
      WaitWhilePaused();
      if (FBroken) break;
      if (!FFailWith.empty() && Packets >= 3) throw FFmpegException(FFailWith);
      ++Packets;
      const auto now = std::chrono::steady_clock::now();
      if (now - last >= std::chrono::microseconds(ReportInterval) && OnProgress) {
        last = now;
        OnProgress(this, 0, Packets, 25, 2.0f, 100.0f, Packets * 1000, Packets * 40000, FPacketLimit * 40000);
      }
      if (FPacketLimit > 0 && Packets >= FPacketLimit) break;
      std::this_thread::sleep_for(1ms);  // the time a packet takes
    }
    FFinished = !FBroken;
  }

 private:
  TRunLog& FLog;
  int FId;
  int FPacketLimit;
  std::string FFailWith;
};

struct TProgressRecord {
  TProgressInfo Info;
  bool OnMainThread;
};

class ConvexaBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadLibraries();
    folder = fixtures::ScratchFolder("convexa-batch");
    convexa = std::make_unique<TTestConvexa>(nullptr);
    convexa->Factory = [this](int AMaxFiles) -> std::unique_ptr<TFFmpeg> {
      const int id = created++;
      return std::make_unique<TLoopTask>(AMaxFiles, log, id, PacketLimit, FailIds.count(id) ? FailWith : "");
    };
    // A handler already under way when the test lets go of the component finishes during its
    // destruction, when the smart pointer is already empty: compare with the component itself.
    convexa->OnTerminate = [this, self = convexa.get()](TObject* Sender, const TTerminateInfo& AInfo) {
      EXPECT_EQ(Sender, self);
      // Slow task handlers: the end-of-batch record must still come after them.
      if (SlowTaskRecords && AInfo.TaskIndex >= 0) std::this_thread::sleep_for(30ms);  // a slow handler
      std::lock_guard<std::mutex> guard(recordLock);
      records.push_back(AInfo);
      recordThreads.push_back(GetCurrentThreadId());
    };
    convexa->OnProgress = [this](TObject*, PProgressInfo AInfo) {
      if (ThrowForTask == AInfo->TaskIndex) throw Exception("handler refused");
      std::lock_guard<std::mutex> guard(recordLock);
      progress.push_back({*AInfo, GetCurrentThreadId() == MainThreadID()});
    };
  }
  void TearDown() override {
    convexa.reset();
    std::error_code error;
    fs::remove_all(folder, error);
  }
  // ACount tasks on the test file, each with an output.
  void AddTasks(int ACount, bool AWithOutput = true) {
    for (int i = 0; i < ACount; ++i) {
      const int index = convexa->AddTask(fixtures::Mp4());
      ASSERT_GE(index, 0) << convexa->LastErrMsg();
      if (AWithOutput) {
        ASSERT_TRUE(convexa->SetOutputFile(index, (folder / ("out" + std::to_string(index) + ".avi")).string(), ""))
            << convexa->LastErrMsg();
      }
    }
  }
  TLoopTask* Task(int AIndex) { return static_cast<TLoopTask*>(convexa->Task(AIndex)); }
  size_t RecordCount() {
    std::lock_guard<std::mutex> guard(recordLock);
    return records.size();
  }
  std::vector<TTerminateInfo> Records() {
    std::lock_guard<std::mutex> guard(recordLock);
    return records;
  }
  // The records of the tasks by index (each must come once) and whether the batch record is last.
  std::map<int, TTerminateInfo> ByTask(const std::vector<TTerminateInfo>& ARecords) {
    std::map<int, TTerminateInfo> result;
    for (size_t i = 0; i < ARecords.size(); ++i) {
      if (ARecords[i].TaskIndex == -1) {
        EXPECT_EQ(i, ARecords.size() - 1) << "the end-of-batch record comes last";
        continue;
      }
      EXPECT_TRUE(result.emplace(ARecords[i].TaskIndex, ARecords[i]).second) << "twice: " << ARecords[i].TaskIndex;
    }
    return result;
  }

  fs::path folder;
  TRunLog log;
  std::atomic<int> created{0};
  int PacketLimit = 150;
  std::set<int> FailIds;
  std::string FailWith;
  int ThrowForTask = -2;
  bool SlowTaskRecords = false;
  std::unique_ptr<TTestConvexa> convexa;
  std::mutex recordLock;
  std::vector<TTerminateInfo> records;
  std::vector<DWORD> recordThreads;
  std::vector<TProgressRecord> progress;
};

TEST_F(ConvexaBatch, FiveTasksRunThreeAtATimeInIndexOrder) {
  TWatchdog watchdog("five tasks, three at a time", 30000);
  SlowTaskRecords = true;
  AddTasks(5);
  convexa->SetProgressInterval(50);  // stored as 100
  convexa->Start(3);
  EXPECT_TRUE(convexa->Working());
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const bool started = Task(i)->Converting() || Task(i)->Terminated();
    EXPECT_EQ(started, i < 3);
  }
  EXPECT_EQ(Task(0)->ReportInterval, 100000);

  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 6; }, 20000));
  const auto byTask = ByTask(Records());
  ASSERT_EQ(byTask.size(), 5u);
  for (const auto& [index, info] : byTask) {
    SCOPED_TRACE(index);
    EXPECT_TRUE(info.Finished);
    EXPECT_FALSE(info.Exception);
    EXPECT_NE(recordThreads[0], MainThreadID());  // notification threads of their own
  }
  EXPECT_TRUE(convexa->Terminated());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Task(i)->ReportInterval, 100000) << i;
  EXPECT_EQ(log.MaxRunning, 3);
  // Tasks 3 and 4 began only after others had ended.
  const int begin3 = log.Find(true, 3), begin4 = log.Find(true, 4);
  int firstEnd = INT32_MAX, secondEnd = INT32_MAX;
  for (int id = 0; id < 3; ++id) {
    const int end = log.Find(false, id);
    if (end < firstEnd) {
      secondEnd = firstEnd;
      firstEnd = end;
    } else {
      secondEnd = std::min(secondEnd, end);
    }
  }
  EXPECT_GT(begin3, firstEnd);
  EXPECT_GT(begin4, secondEnd);

  // Progress: on the GUI thread, with the converted time growing (the engine paces it by the
  // task's ReportInterval, checked above).
  std::lock_guard<std::mutex> guard(recordLock);
  std::map<int, std::vector<TProgressRecord>> perTask;
  for (const TProgressRecord& p : progress) perTask[p.Info.TaskIndex].push_back(p);
  EXPECT_EQ(perTask.size(), 5u);
  for (const auto& [index, list] : perTask) {
    SCOPED_TRACE(index);
    for (size_t i = 0; i < list.size(); ++i) {
      EXPECT_TRUE(list[i].OnMainThread);
      EXPECT_EQ(list[i].Info.TotalDuration, 150 * 40000);
      if (i == 0) continue;
      EXPECT_GT(list[i].Info.CurrentDuration, list[i - 1].Info.CurrentDuration);
    }
  }
}

TEST_F(ConvexaBatch, StopEndsRunningAndPendingTasksAndWaits) {
  TWatchdog watchdog("stop", 20000);
  PacketLimit = -1;  // until stopped
  SlowTaskRecords = true;
  AddTasks(5);
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return Task(0)->Packets > 5 && Task(1)->Packets > 5; }));
  convexa->Stop(true);
  // Every record, the batch's last, has been delivered when Stop returns.
  const auto all = Records();
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all.back().TaskIndex, -1);
  const auto byTask = ByTask(all);
  ASSERT_EQ(byTask.size(), 5u);
  for (const auto& [index, info] : byTask) {
    SCOPED_TRACE(index);
    EXPECT_FALSE(info.Finished);
    EXPECT_FALSE(info.Exception);
    EXPECT_FALSE(Task(index)->Converting());
  }
  EXPECT_EQ(log.Find(true, 2), -1);  // pending tasks never ran
  EXPECT_EQ(log.Running, 0);
  EXPECT_TRUE(convexa->Terminated());
  convexa->Stop(true);  // nothing left: no further record
  EXPECT_EQ(RecordCount(), 6u);
}

TEST_F(ConvexaBatch, PausedTasksMakeNoProgressAndCompleteAfterResume) {
  TWatchdog watchdog("pause", 20000);
  PacketLimit = 300;
  convexa->SetProgressInterval(100);
  AddTasks(2);
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return Task(0)->Packets > 5 && Task(1)->Packets > 5; }));
  convexa->Pause();
  PumpUntil([] { return false; }, 50);  // a packet under way when the gate closed may still count
  const int packets0 = Task(0)->Packets, packets1 = Task(1)->Packets;
  const size_t reports = [&] {
    std::lock_guard<std::mutex> guard(recordLock);
    return progress.size();
  }();
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Task(0)->Packets, packets0);
  EXPECT_EQ(Task(1)->Packets, packets1);
  {
    std::lock_guard<std::mutex> guard(recordLock);
    EXPECT_EQ(progress.size(), reports);
  }
  EXPECT_EQ(RecordCount(), 0u);
  convexa->Resume();
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 3; }, 15000));
  for (const auto& [index, info] : ByTask(Records())) {
    EXPECT_TRUE(info.Finished) << index;
    EXPECT_EQ(Task(index)->Packets, 300);
  }
}

TEST_F(ConvexaBatch, FailedTasksReportTheirMessageAndTheBatchGoesOn) {
  TWatchdog watchdog("failures", 20000);
  FailIds = {1};
  FailWith = "Error while decoding stream #0.0 (Video)";
  ThrowForTask = 3;
  PacketLimit = 120;
  convexa->SetProgressInterval(100);
  AddTasks(1, false);  // task 0 has no output
  AddTasks(3);
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 5; }, 15000));
  const auto byTask = ByTask(Records());
  ASSERT_EQ(byTask.size(), 4u);
  struct TExpect {
    bool Finished, Exception;
    const char* Message;
  };
  const TExpect expected[] = {{false, true, "At least one output file must be specified"},
                              {false, true, "Error while decoding stream #0.0 (Video)"},
                              {true, false, ""},
                              {false, true, "handler refused"}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(byTask.at(i).Finished, expected[i].Finished);
    EXPECT_EQ(byTask.at(i).Exception, expected[i].Exception);
    EXPECT_EQ(byTask.at(i).ExceptionMsg, expected[i].Message);
  }
  // Task 0 ended at its start and was replaced at once: tasks 1 and 2 ran together.
  EXPECT_EQ(log.Find(true, 0), -1);
  EXPECT_EQ(log.MaxRunning, 2);
}

TEST_F(ConvexaBatch, WithoutThreadsEveryTaskRunsInTheCallersThread) {
  TWatchdog watchdog("no threads", 20000);
  PacketLimit = 20;
  AddTasks(2);
  convexa->Start(0);
  // Start returns after the batch; every record came on this thread, in order.
  const auto all = Records();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].TaskIndex, 0);
  EXPECT_EQ(all[1].TaskIndex, 1);
  EXPECT_EQ(all[2].TaskIndex, -1);
  for (DWORD id : recordThreads) EXPECT_EQ(id, GetCurrentThreadId());
  EXPECT_TRUE(all[0].Finished);
  EXPECT_LT(log.Find(false, 0), log.Find(true, 1));
  EXPECT_TRUE(convexa->Terminated());
}

TEST_F(ConvexaBatch, AnEmptyBatchEndsAtOnce) {
  TWatchdog watchdog("empty batch", 10000);
  for (int threads : {0, 4}) {
    SCOPED_TRACE(threads);
    convexa->ClearTasks();
    {
      std::lock_guard<std::mutex> guard(recordLock);
      records.clear();
    }
    convexa->Start(threads);
    ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 1; }));
    EXPECT_EQ(Records()[0].TaskIndex, -1);
    EXPECT_TRUE(Records()[0].Finished);
    EXPECT_TRUE(convexa->Terminated());
    EXPECT_TRUE(convexa->Working());
  }
}

TEST_F(ConvexaBatch, AWorkingComponentRefusesChangesUntilCleared) {
  TWatchdog watchdog("working state", 20000);
  PacketLimit = -1;
  AddTasks(2);
  convexa->Start(1);
  struct TCase {
    const char* Message;
    std::function<void()> Action;
  };
  const TCase refusals[] = {
      {"Cannot ClearTasks while working.", [&] { convexa->ClearTasks(); }},
      {"Cannot AddTask while working.", [&] { (void)convexa->AddTask(fixtures::Mp4()); }},
      {"Cannot AddInputFile while working.", [&] { (void)convexa->AddInputFile(0, fixtures::Mp4()); }},
      {"Cannot SetOutputFile while working.", [&] { (void)convexa->SetOutputFile(0, "x.avi", ""); }},
      {"Cannot Exchange while working.", [&] { convexa->Exchange(0, 1); }},
      {"Cannot RemoveTask while working.", [&] { convexa->RemoveTask(0); }},
      {"Cannot StartTask while working.", [&] { convexa->Start(1); }},
  };
  for (const TCase& c : refusals) EXPECT_EQ(enginetest::ErrorOf(c.Action), c.Message);
  convexa->Stop(true);
  // Ended: only ClearTasks is allowed, and then everything again.
  EXPECT_EQ(enginetest::ErrorOf([&] { (void)convexa->AddTask(fixtures::Mp4()); }), "Cannot AddTask while working.");
  convexa->ClearTasks();
  EXPECT_FALSE(convexa->Working());
  EXPECT_FALSE(convexa->Terminated());
  EXPECT_EQ(convexa->AddTask(fixtures::Mp4()), 0);
}

TEST_F(ConvexaBatch, WithoutATerminateHandlerTheBatchStillEnds) {
  TWatchdog watchdog("no handler", 10000);
  PacketLimit = 10;
  convexa->OnTerminate = nullptr;
  AddTasks(3);
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return convexa->Terminated(); }));
  convexa->ClearTasks();
}

TEST_F(ConvexaBatch, ProbesLetGoOfInputsWhenTheTaskRuns) {
  TWatchdog watchdog("probes", 10000);
  PacketLimit = 5;
  AddTasks(1);
  ASSERT_NE(convexa->GetTaskProbe(0, 0), nullptr);
  convexa->Start(1);
  EXPECT_EQ(convexa->GetTaskProbe(0, 0), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return convexa->Terminated(); }));
  EXPECT_EQ(Task(0)->NbInputFiles(), 0);  // the engine closed them
  TAVProbe* probe = Task(0)->FindAVProbe(0);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->FileHandle(), nullptr);
  EXPECT_EQ(probe->StreamCount(), -1);
}

// A button handler on the GUI thread posts a close and arms a timer, then stops the batch and
// waits: the stop's wait serves the workers' calls but neither the close nor the timer, which
// would run underneath the handler and could destroy what it is using. Both run afterwards.
TEST_F(ConvexaBatch, StopFromAHandlerRunsNoPostedMessageOrTimerBeforeItReturns) {
  TWatchdog watchdog("stop inside a handler", 20000);
  PacketLimit = -1;
  AddTasks(3);
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return Task(0)->Packets > 5 && Task(1)->Packets > 5; }));

  static std::vector<std::string>* s_seen = nullptr;
  std::vector<std::string> seen;
  s_seen = &seen;
  WNDCLASS cls;
  cls.lpfnWndProc = [](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg == WM_CLOSE) {
      s_seen->push_back("close");
      return 0;
    }
    return DefWindowProc(h, msg, w, l);
  };
  cls.lpszClassName = "ConvexaStopWindow";
  RegisterClass(&cls);
  HWND form = CreateWindowEx(0, "ConvexaStopWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(form, nullptr);
  PostMessage(form, WM_CLOSE, 0, 0);
  const UINT_PTR timer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) { s_seen->push_back("timer"); });
  // Real time for a real-time timer: at least this long has passed, so the timer is due.
  std::this_thread::sleep_for(5ms);

  convexa->Stop(true);
  EXPECT_TRUE(seen.empty()) << seen.front();
  EXPECT_EQ(RecordCount(), 4u) << "every record was delivered meanwhile";

  PumpUntil([&] { return seen.size() >= 2; }, 2000);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"close", "timer"}));
  KillTimer(nullptr, timer);
  DestroyWindow(form);
}

// A user presses Stop while progress is arriving: the handler that stops runs inside a progress
// delivery (or a terminate record's), and Stop(true) must return with every record delivered.
TEST_F(ConvexaBatch, StopFromAProgressOrTerminateHandlerReturns) {
  for (const bool fromTerminate : {false, true}) {
    SCOPED_TRACE(fromTerminate ? "OnTerminate" : "OnProgress");
    TWatchdog watchdog("stop from an event handler", 20000);
    convexa = std::make_unique<TTestConvexa>(nullptr);
    convexa->Factory = [this](int AMaxFiles) -> std::unique_ptr<TFFmpeg> {
      // Task 0 ends at once, the others run until stopped.
      const int id = created++;
      return std::make_unique<TLoopTask>(AMaxFiles, log, id, id == 0 ? 3 : -1, "");
    };
    convexa->SetProgressInterval(100);
    std::atomic<int> stops{0};
    std::atomic<bool> stopReturned{false};
    TCustomConvexa* self = convexa.get();
    auto stop = [&] {
      if (stops++ > 0) return;
      self->Stop(true);
      stopReturned = true;
    };
    convexa->OnProgress = [&](TObject*, PProgressInfo AInfo) {
      if (!fromTerminate && AInfo->TaskIndex == 1) stop();
    };
    convexa->OnTerminate = [&](TObject*, const TTerminateInfo& AInfo) {
      if (fromTerminate && AInfo.TaskIndex == 0) stop();
      std::lock_guard<std::mutex> guard(recordLock);
      records.push_back(AInfo);
    };
    {
      std::lock_guard<std::mutex> guard(recordLock);
      records.clear();
    }
    created = 0;
    AddTasks(4);
    convexa->Start(3);
    ASSERT_TRUE(PumpUntil([&] { return stopReturned.load() && RecordCount() == 5; }, 15000));
    const auto all = Records();
    EXPECT_EQ(all.back().TaskIndex, -1);
    EXPECT_EQ(ByTask(all).size(), 4u);
    EXPECT_EQ(log.Running, 0);
    convexa.reset();
  }
}

// Progress is posted: a GUI handler slower than the reports holds no worker up, and a task's
// reports not yet delivered give way to its newest one.
TEST_F(ConvexaBatch, ASlowProgressHandlerHoldsNoWorkerAndSeesTheNewestRecord) {
  TWatchdog watchdog("slow progress handler", 20000);
  PacketLimit = 800;
  convexa->SetProgressInterval(100);
  std::atomic<int> calls{0};
  std::atomic<int> packetsDuringFirst{0}, packetsAfterFirst{0};
  convexa->OnProgress = [&](TObject*, PProgressInfo AInfo) {
    if (calls++ == 0) {
      const int before = Task(0)->Packets;
      std::this_thread::sleep_for(350ms);  // the slow handler; the worker must go on meanwhile
      packetsAfterFirst = Task(0)->Packets.load();
      packetsDuringFirst = packetsAfterFirst - before;
    }
    std::lock_guard<std::mutex> guard(recordLock);
    progress.push_back({*AInfo, true});
  };
  AddTasks(1);
  convexa->Start(1);
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 2; }, 15000));
  PumpUntil([] { return false; }, 50);
  // The worker went on while the handler slept (about one packet a millisecond).
  EXPECT_GT(packetsDuringFirst.load(), 100);
  std::lock_guard<std::mutex> guard(recordLock);
  ASSERT_GE(progress.size(), 2u);
  // The reports made during the sleep (three or so) arrived as one: the newest, made at most one
  // interval before the sleep ended, not the one that followed the first.
  const int64_t second = progress[1].Info.CurrentDuration / 40000;
  EXPECT_GE(second, packetsAfterFirst - packetsDuringFirst / 2);
  for (size_t i = 1; i < progress.size(); ++i)
    EXPECT_GT(progress[i].Info.CurrentDuration, progress[i - 1].Info.CurrentDuration);
}

TEST_F(ConvexaBatch, DestroyingTheComponentStopsItsTasksAndDeliversNothingAfterwards) {
  TWatchdog watchdog("destruction", 20000);
  PacketLimit = -1;
  AddTasks(4);
  convexa->Start(2);
  ASSERT_TRUE(PumpUntil([&] { return Task(0)->Packets > 3 && Task(1)->Packets > 3; }));
  convexa.reset();
  const size_t delivered = RecordCount();
  // A task left running would post within this; a slow machine can hide that, not fail the case.
  std::this_thread::sleep_for(100ms);
  PumpPendingMessages();
  EXPECT_EQ(RecordCount(), delivered);
  EXPECT_EQ(log.Running, 0);
}

TEST_F(ConvexaBatch, StressStartStopAndRestartManyShortTasks) {
  TWatchdog watchdog("stress", 60000);
  PacketLimit = 4;
  convexa->SetProgressInterval(100);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    convexa->ClearTasks();
    {
      std::lock_guard<std::mutex> guard(recordLock);
      records.clear();
    }
    AddTasks(50);
    convexa->Start(8);
    if (round == 1) {
      // Stopped part-way: still one record per task, then the batch's.
      PumpUntil([&] { return RecordCount() >= 10; });
      convexa->Stop(true);
      ASSERT_EQ(RecordCount(), 51u);
    } else {
      ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 51; }, 40000));
    }
    const auto all = Records();
    EXPECT_EQ(ByTask(all).size(), 50u);
    EXPECT_EQ(all.back().TaskIndex, -1);
    EXPECT_LE(log.MaxRunning, 8);
  }
  // And once more, stopped without waiting and left to the destructor.
  convexa->ClearTasks();
  AddTasks(50);
  convexa->Start(8);
  convexa->Stop(false);
  convexa.reset();
}

}  // namespace
