// Batches of the converter component: how many tasks run at once and which starts next, the
// terminate and end-of-batch records, progress on the GUI thread, pause, resume and stop, and
// the component's end while tasks run.
//
// The tasks' runs stand for conversions: one "packet" of 40 ms of media per millisecond, through
// the pause gate, reporting progress at the task's interval.

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <mutex>
#include <set>

#include "ConvexaTestSupport.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/Watchdog.h"
#include "platform/windowing/Window.h"
#include "tests/PollUntil.h"

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
  int RunningNow() {
    std::lock_guard<std::mutex> guard(Lock);
    return Running;
  }
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
  bool IgnorePause = false;  // runs on through a closed gate (a task finishing as the pause comes)
  std::atomic<int> Threads{-2};  // the codec threads the run took
  // When set: the run goes on only once GateCount runs have taken their codec threads (the
  // tasks started together each take a share before any of them ends).
  std::atomic<int>* TakenGate = nullptr;
  int GateCount = 0;

 protected:
  void Transcode() override {
    Threads = TakeCodecThreads();  // as a conversion does before it opens its codecs
    if (TakenGate) {
      ++*TakenGate;
      (void)test_wait::PollUntil([this] { return TakenGate->load() >= GateCount || FBroken; });
    }
    FLog.Add(true, FId);
    struct TEnd {
      TLoopTask* Self;
      ~TEnd() { Self->FLog.Add(false, Self->FId); }
    } end{this};
    auto last = std::chrono::steady_clock::now();
    while (!FBroken) {
      if (!IgnorePause) WaitWhilePaused();
      if (FBroken) break;
      if (!FFailWith.empty() && Packets >= 3) throw FFmpegException(FFailWith);
      ++Packets;
      const auto now = std::chrono::steady_clock::now();
      if (now - last >= std::chrono::microseconds(ReportInterval)) {
        last = now;
        // Copies: a handler may free the task's owner, and with it the events (the engine's
        // transcoder calls its events the same way).
        if (const TProgressEvent progress = OnProgress)
          progress(this, 0, Packets, 25, 2.0f, 100.0f, Packets * 1000, Packets * 40000, FPacketLimit * 40000);
        if (const TPreviewBitmapEvent preview = OnPreviewBitmap) preview(this, &FPicture, Packets, Packets * 40000);
      }
      if (FPacketLimit > 0 && Packets >= FPacketLimit) break;
      std::this_thread::sleep_for(1ms);  // the time a packet takes
    }
    FFinished = !FBroken;
  }

 private:
  TBitmap FPicture;
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

// The cores a batch leaves free go to the tasks that open their codecs: a lone task lets the
// libraries take the machine, a full batch runs one thread per task, an explicit option wins, a
// task that starts later takes what the running ones leave, and the last one to start takes the
// machine the running ones are about to free.
TEST_F(ConvexaBatch, CodecThreadsFollowTheTasksRunning) {
  TWatchdog watchdog("codec threads of batches", 60000);
  const int cores = ProcessorCores();
  struct TCase {
    const char* Name;
    int Tasks;
    int AtOnce;
    const char* Options;  // output options of every task
  };
  const TCase cases[] = {
      {"one task", 1, 4, ""},
      {"two at once", 2, 2, ""},
      {"as many as cores", cores, cores, ""},
      {"more than cores", cores + 2, cores + 2, ""},
      {"explicit option", 2, 2, "threads=3"},
      {"one at a time", 2, 1, ""},
      {"the last one after a full batch", cores + 1, cores, ""},
      {"two after a full batch", cores + 2, cores, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    convexa = std::make_unique<TTestConvexa>(nullptr);
    std::atomic<int> taken{0};
    convexa->Factory = [&, this](int AMaxFiles) -> std::unique_ptr<TFFmpeg> {
      auto task = std::make_unique<TLoopTask>(AMaxFiles, log, created++, 20, "");
      task->TakenGate = &taken;
      task->GateCount = std::min(c.Tasks, c.AtOnce);
      return task;
    };
    for (int i = 0; i < c.Tasks; ++i) {
      const int index = convexa->AddTask(fixtures::Mp4());
      ASSERT_GE(index, 0) << convexa->LastErrMsg();
      ASSERT_TRUE(convexa->SetOutputFile(index, (folder / ("t" + std::to_string(i) + ".avi")).string(), c.Options))
          << convexa->LastErrMsg();
    }
    std::atomic<bool> ended{false};
    convexa->OnTerminate = [&](TObject*, const TTerminateInfo& AInfo) {
      if (AInfo.TaskIndex == -1) ended = true;
    };
    convexa->Start(c.AtOnce);
    ASSERT_TRUE(PumpUntil([&] { return ended.load(); }, 30000));
    const std::vector<int> shares = ShareFreeCores(cores, 0, std::min(c.Tasks, c.AtOnce));
    for (int i = 0; i < c.Tasks; ++i) {
      SCOPED_TRACE(i);
      const int taken = Task(i)->Threads;
      if (*c.Options) {
        EXPECT_EQ(taken, 3);
      } else if (i < c.AtOnce) {
        EXPECT_EQ(taken, CodecThreadCount(-1, shares[i], cores));
        if (std::min(c.Tasks, c.AtOnce) >= cores && cores > 1) EXPECT_EQ(taken, 1);
      } else if (i == c.Tasks - 1) {
        // Nothing is left to start after it: it does not run out alone on one thread.
        EXPECT_EQ(taken, 0);
      } else {
        // Started when a task ended: it takes what the running ones leave, which is more than one
        // core when several of the first ones ended meanwhile, and never more than the machine.
        EXPECT_GE(taken, 0);
        EXPECT_LE(taken, cores) << taken;
      }
    }
    EXPECT_EQ(Task(0)->CodecThreads(), Task(0)->Threads.load());
  }
}

TEST(CodecThreadDivision, FreeCoresAndExplicitOption) {
  struct TCase {
    int Cores, Committed, Waiting;
    std::vector<int> Shares;
  };
  const TCase shares[] = {
      {6, 0, 1, {6}},          {6, 0, 2, {3, 3}},       {6, 0, 4, {2, 2, 1, 1}}, {6, 0, 6, {1, 1, 1, 1, 1, 1}},
      {6, 0, 8, std::vector<int>(8, 1)}, {6, 3, 1, {3}}, {6, 5, 2, {1, 1}},      {6, 12, 1, {1}},
      {2, 0, 1, {2}},          {1, 0, 3, {1, 1, 1}},    {6, 0, 0, {}},
  };
  for (const TCase& c : shares) {
    SCOPED_TRACE(testing::Message() << c.Cores << " cores, " << c.Committed << " taken, " << c.Waiting << " waiting");
    EXPECT_EQ(ShareFreeCores(c.Cores, c.Committed, c.Waiting), c.Shares);
  }
  struct TThreads {
    int Explicit, Share, Cores, Threads;
  };
  const TThreads threads[] = {
      {-1, 6, 6, 0},  // the whole machine: the libraries choose per codec
      {-1, 0, 6, 0},  // no share given: a job alone
      {-1, 3, 6, 3}, {-1, 1, 6, 1}, {-1, 2, 2, 0}, {-1, 8, 6, 0},
      {1, 6, 6, 1},   // the option wins over a share of the whole machine
      {0, 1, 6, 0},   // "threads=auto" wins over a share of one
      {4, 1, 6, 4},
  };
  for (const TThreads& c : threads) {
    SCOPED_TRACE(testing::Message() << "option " << c.Explicit << ", share " << c.Share << " of " << c.Cores);
    EXPECT_EQ(CodecThreadCount(c.Explicit, c.Share, c.Cores), c.Threads);
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

// Where a handler that stops the batch may run: a progress or preview delivery on the GUI thread
// or on the worker itself, a custom hook, a task's end record or the batch's (on notification
// threads).
enum class THandlerSite { ProgressOnGui, ProgressOnWorker, PreviewOnGui, PreviewOnWorker, TaskRecord, BatchRecord };

struct THandlerCase {
  const char* Name;
  THandlerSite Site;
};

const THandlerCase kHandlerSites[] = {
    {"progress on the GUI thread", THandlerSite::ProgressOnGui},
    {"progress on a worker", THandlerSite::ProgressOnWorker},
    {"preview on the GUI thread", THandlerSite::PreviewOnGui},
    {"preview on a worker", THandlerSite::PreviewOnWorker},
    {"a task's end record", THandlerSite::TaskRecord},
    {"the batch's end record", THandlerSite::BatchRecord},
};

// Binds the component's handlers so that AAct runs once, at the chosen site, for task 1 (or at
// the batch's end); every terminate record is kept. Handlers stay cheap: they run in parallel on
// workers.
class THandlerSiteTest : public ConvexaBatch {
 protected:
  void Bind(THandlerSite ASite, std::function<void()> AAct) {
    const bool onWorker = ASite == THandlerSite::ProgressOnWorker || ASite == THandlerSite::PreviewOnWorker;
    convexa->SetTriggerEventInMainThread(!onWorker);
    convexa->SetProgressInterval(100);
    act = std::move(AAct);
    auto once = [this](bool AHere) {
      if (!AHere) return;
      // Not before Start has returned: the test's thread is still using the component until then.
      while (!armed) std::this_thread::yield();
      if (!acted.exchange(true)) {
        act();
        actReturned = true;
      }
    };
    convexa->OnProgress = [ASite, once](TObject*, PProgressInfo AInfo) {
      once((ASite == THandlerSite::ProgressOnGui || ASite == THandlerSite::ProgressOnWorker) && AInfo->TaskIndex == 1);
    };
    convexa->OnPreviewBitmap = [ASite, once](TObject*, const TPreviewInfo& AInfo) {
      once((ASite == THandlerSite::PreviewOnGui || ASite == THandlerSite::PreviewOnWorker) && AInfo.TaskIndex == 1);
    };
    convexa->OnTerminate = [this, ASite, once](TObject*, const TTerminateInfo& AInfo) {
      {
        std::lock_guard<std::mutex> guard(recordLock);
        records.push_back(AInfo);
      }
      once((ASite == THandlerSite::TaskRecord && AInfo.TaskIndex == 0) ||
           (ASite == THandlerSite::BatchRecord && AInfo.TaskIndex == -1));
    };
  }
  // Task 0 ends by itself at once (for the record sites; the batch-record site lets every task
  // end), the others run until stopped.
  void StartTasks(THandlerSite ASite) {
    convexa->Factory = [this, ASite](int AMaxFiles) -> std::unique_ptr<TFFmpeg> {
      const int id = created++;
      const int limit = ASite == THandlerSite::BatchRecord ? 20 : id == 0 ? 3 : -1;
      return std::make_unique<TLoopTask>(AMaxFiles, log, id, limit, "");
    };
    AddTasks(4);
    armed = false;
    convexa->Start(3);
    armed = true;
  }

  // A fresh component and a clean slate for the next case.
  void Renew() {
    convexa = std::make_unique<TTestConvexa>(nullptr);
    acted = false;
    actReturned = false;
    created = 0;
    std::lock_guard<std::mutex> guard(recordLock);
    records.clear();
  }

  std::function<void()> act;
  std::atomic<bool> armed{false};
  std::atomic<bool> acted{false};
  std::atomic<bool> actReturned{false};
};

// A user presses Stop while news is arriving: the handler that stops runs inside a delivery,
// wherever that runs, and Stop(true) returns with every record delivered.
TEST_F(THandlerSiteTest, StopFromAnyHandlerReturns) {
  for (const THandlerCase& c : kHandlerSites) {
    SCOPED_TRACE(c.Name);
    TWatchdog watchdog("stop from an event handler", 20000);
    Renew();
    TCustomConvexa* self = convexa.get();
    Bind(c.Site, [self] { self->Stop(true); });
    StartTasks(c.Site);
    ASSERT_TRUE(PumpUntil([&] { return actReturned.load() && RecordCount() == 5; }, 15000));
    const auto all = Records();
    EXPECT_EQ(all.back().TaskIndex, -1);
    const auto byTask = ByTask(all);
    EXPECT_EQ(byTask.size(), 4u);
    for (const auto& [index, info] : byTask) EXPECT_FALSE(info.Exception) << index << ": " << info.ExceptionMsg;
    convexa.reset();
    EXPECT_EQ(log.Running, 0);
  }
}

// A handler may free the component, wherever it runs: the tasks stop, the threads end, nothing
// is delivered afterwards and nothing is touched that is gone (the sanitizers watch).
TEST_F(THandlerSiteTest, FreeingTheComponentFromAnyHandler) {
  for (const THandlerCase& c : kHandlerSites) {
    SCOPED_TRACE(c.Name);
    TWatchdog watchdog("free from an event handler", 20000);
    Renew();
    // Set up through the test's pointer; from the start on the handler owns the component.
    TTestConvexa* owned = convexa.get();
    Bind(c.Site, [owned] { delete owned; });
    StartTasks(c.Site);
    (void)convexa.release();
    ASSERT_TRUE(PumpUntil([&] { return actReturned.load(); }, 15000));
    ASSERT_TRUE(PumpUntil([&] { return log.RunningNow() == 0; }, 15000)) << "a task still runs";
    const size_t delivered = RecordCount();
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(RecordCount(), delivered);
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

// A task that ends just as the batch is paused (it was past its last gate) makes room for the
// next one, which starts paused: a paused batch holds where it was and goes on after Resume.
TEST_F(ConvexaBatch, ATaskStartedWhilePausedStartsPaused) {
  TWatchdog watchdog("start while paused", 20000);
  PacketLimit = 40;
  AddTasks(2);
  Task(0)->IgnorePause = true;
  convexa->Start(1);
  convexa->Pause();
  ASSERT_TRUE(PumpUntil([&] { return Task(1)->Converting(); }));
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(Task(1)->Packets, 0) << "the new task ran in a paused batch";
  convexa->Resume();
  ASSERT_TRUE(PumpUntil([&] { return RecordCount() == 3; }));
  for (const auto& [index, info] : ByTask(Records())) EXPECT_TRUE(info.Finished) << index;
  EXPECT_EQ(Task(1)->Packets, 40);
}

// Pause, Resume and Stop in any order and at any rate, from the GUI thread and from handlers on
// workers, the GUI thread and notification threads, over a 16-task batch at 8 threads. No round
// hangs (watchdog), every task yields exactly one end record and then the batch's, a stop is no
// failure, and a batch that is only paused and resumed runs every task to its end.
TEST_F(ConvexaBatch, HammerPauseResumeAndStopFromAnywhere) {
  constexpr int kRounds = 50;
  constexpr int kTasks = 16;
  TWatchdog watchdog("pause, resume and stop hammered", 240000);
  const auto began = std::chrono::steady_clock::now();
  PacketLimit = 120;
  convexa->SetProgressInterval(100);
  std::atomic<bool> handlersAct{false};
  std::atomic<bool> stopInHandler{false};
  std::atomic<int> handlerStops{0};
  std::atomic<int> handlerCalls{0};
  TCustomConvexa* self = convexa.get();
  // Handlers pause, resume or (when the round asks) stop, each time a little differently.
  auto act = [&, self](int ASalt) {
    if (!handlersAct) return;
    const int n = handlerCalls++ + ASalt;
    if (stopInHandler && n % 7 == 3 && handlerStops++ == 0) {
      self->Stop(true);
      return;
    }
    if (n % 3 == 0) self->Pause();
    if (n % 3 == 1) self->Resume();
  };
  convexa->OnProgress = [act](TObject*, PProgressInfo AInfo) { act(AInfo->TaskIndex); };
  convexa->OnTerminate = [this, act](TObject*, const TTerminateInfo& AInfo) {
    {
      std::lock_guard<std::mutex> guard(recordLock);
      records.push_back(AInfo);
    }
    if (AInfo.TaskIndex >= 0) act(AInfo.TaskIndex + 1);
  };
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    std::mt19937 random(static_cast<unsigned>(round));
    const bool runsToItsEnd = round % 3 == 0;
    convexa->ClearTasks();
    {
      std::lock_guard<std::mutex> guard(recordLock);
      records.clear();
    }
    convexa->SetTriggerEventInMainThread(round % 2 == 0);
    stopInHandler = !runsToItsEnd && round % 4 != 1;
    handlerStops = 0;
    AddTasks(kTasks);
    handlersAct = true;
    convexa->Start(8);
    // The GUI thread's own hammering: a burst of pauses and resumes a few milliseconds apart.
    const int steps = 5 + static_cast<int>(random() % 20);
    for (int step = 0; step < steps; ++step) {
      switch (random() % 3) {
        case 0: convexa->Pause(); break;
        case 1: convexa->Resume(); break;
        default: break;
      }
      PumpUntil([] { return false; }, static_cast<int>(random() % 8));
    }
    if (runsToItsEnd) {
      // Handlers may still pause once more while they finish: resume until the batch has ended.
      handlersAct = false;
      ASSERT_TRUE(PumpUntil(
          [&] {
            convexa->Resume();
            return RecordCount() == kTasks + 1;
          },
          60000));
    } else {
      convexa->Stop(true);
      ASSERT_EQ(RecordCount(), static_cast<size_t>(kTasks + 1)) << "Stop(true) returned before every record";
      handlersAct = false;
    }
    const auto all = Records();
    EXPECT_EQ(all.back().TaskIndex, -1);
    const auto byTask = ByTask(all);
    ASSERT_EQ(byTask.size(), static_cast<size_t>(kTasks));
    for (const auto& [index, info] : byTask) {
      SCOPED_TRACE(index);
      EXPECT_FALSE(info.Exception) << info.ExceptionMsg;
      if (runsToItsEnd) {
        EXPECT_TRUE(info.Finished);
        EXPECT_EQ(Task(index)->Packets, PacketLimit) << "a paused task did not go on where it was";
      }
    }
    EXPECT_LE(log.MaxRunning, 8);
  }
  // The handlers use this test's locals: none may run once it returns.
  convexa->ClearTasks();
  convexa->OnProgress = nullptr;
  convexa->OnTerminate = nullptr;
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::printf("[ hammer   ] %d rounds of %d tasks at 8 threads in %.1f s\n", kRounds, kTasks, seconds);
}

}  // namespace
