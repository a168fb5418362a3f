// The engine's run control: start in the caller's thread or on a worker, pause, resume, stop,
// cancel, termination notice and clean-up, also with control calls from other threads.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <map>
#include <mutex>
#include <thread>

#include <sys/syscall.h>
#include <unistd.h>

#include "FFmpegTestSupport.h"
#include "Src/AVCodecStubs.h"
#include "Src/AVFilterStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/SwScaleStubs.h"
#include "tests/PollUntil.h"
#include "platform/Watchdog.h"
#include "Src/FFUtils.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Waits for ACondition, which another thread makes true, with a watchdog.
template <typename F>
bool Eventually(F&& ACondition) {
  return test_wait::PollUntil(ACondition);
}

// An engine whose run stands for a transcode: one "packet" per millisecond until stopped, passing
// the pause gate before each, optionally delivering something through the GUI thread or failing.
class TLoopingEngine : public TCustomFFmpeg {
 public:
  explicit TLoopingEngine(int AMaxFiles) : TCustomFFmpeg(AMaxFiles) {}
  // The worker runs this class's Transcode: it must have ended before this part goes.
  ~TLoopingEngine() override { Stop(true); }

  std::atomic<int> Packets{0};
  std::atomic<int> Delivered{0};
  // Set by the test once Pause has returned; the worker notes when it comes to the gate after that.
  std::atomic<bool> GateClosed{false};
  std::atomic<bool> CameToClosedGate{false};
  bool DeliverInMainThread = false;
  std::string FailWith;
  int PacketLimit = -1;       // ends by itself after this many packets
  int StopFromWorkerAt = -1;  // asks for its own stop, waiting, after this many packets

 protected:
  void Transcode() override {
    while (!FBroken) {
      if (GateClosed) CameToClosedGate = true;
      WaitWhilePaused();
      if (FBroken) break;
      if (!FailWith.empty() && Packets > 3) throw FFmpegException(FailWith);
      if (DeliverInMainThread) CallInMainThread([this] { ++Delivered; });
      if (++Packets == PacketLimit) break;
      if (Packets == StopFromWorkerAt) Stop(true);
      std::this_thread::sleep_for(1ms);  // the time a packet takes
    }
    FFinished = !FBroken;
  }
};

class EngineRun : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadLibraries();
    folder = fixtures::ScratchFolder("engine-run");
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(folder, error);
  }
  // A job with one input and one output, counting its termination notices.
  template <typename T = TLoopingEngine>
  std::unique_ptr<T> NewJob(const std::string& AOutput = "out.avi") {
    auto engine = std::make_unique<T>(2);
    engine->Reset();
    EXPECT_TRUE(engine->OptInputFile(fixtures::Mp4()));
    EXPECT_GT(engine->OptOutputFile((folder / AOutput).string()), 0);
    engine->OnTerminate = [this](TObject*) { ++terminations; };
    return engine;
  }
  fs::path folder;
  std::atomic<int> terminations{0};
};

TEST_F(EngineRun, AJobWithoutOutputOrInputTerminatesOnceAsFailed) {
  struct TCase {
    bool Input, Output;
    const char* Message;
  };
  for (const TCase& c : {TCase{true, false, "At least one output file must be specified"},
                         TCase{false, true, "At least one input file must be specified"},
                         TCase{false, false, "At least one output file must be specified"}}) {
    SCOPED_TRACE(c.Message);
    auto engine = enginetest::NewEngine();
    if (c.Input) {
      ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
    }
    if (c.Output) {
      ASSERT_GT(engine->OptOutputFile((folder / "x.avi").string()), 0);
    }
    int count = 0;
    engine->OnTerminate = [&](TObject* Sender) {
      EXPECT_EQ(Sender, engine.get());
      ++count;
    };
    EXPECT_EQ(engine->StartConvert(true), nullptr);
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(engine->FatalException());
    EXPECT_EQ(engine->FatalMessage(), c.Message);
    EXPECT_TRUE(engine->Terminated());
    EXPECT_EQ(engine->StartConvert(false), nullptr);
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(fs::exists(folder / "x.avi"));
  }
}

TEST_F(EngineRun, ARunInTheCallersThreadFinishesAndCleansUp) {
  auto engine = NewJob<TCustomFFmpeg>();
  EXPECT_FALSE(fs::exists(folder / "out.avi")) << "the output is made when the run starts";
  EXPECT_EQ(engine->StartConvert(false), nullptr);
  EXPECT_EQ(terminations, 1);
  EXPECT_TRUE(engine->Finished());
  EXPECT_FALSE(engine->FatalException());
  EXPECT_FALSE(engine->Converting());
  EXPECT_EQ(engine->NbInputFiles(), 0);
  EXPECT_EQ(engine->NbOutputFiles(), 0);
  EXPECT_GT(fs::file_size(folder / "out.avi"), 0u);  // the run converted the input

  // Reset makes it ready for the next task.
  engine->Reset();
  EXPECT_FALSE(engine->Terminated());
  ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
  ASSERT_GT(engine->OptOutputFile((folder / "again.avi").string()), 0);
  EXPECT_EQ(engine->StartConvert(false), nullptr);
  EXPECT_EQ(terminations, 2);
}

TEST_F(EngineRun, AWorkerPausesResumesAndStops) {
  auto engine = NewJob();
  TThread* worker = engine->StartConvert(true, TThreadPriority::tpLower);
  ASSERT_NE(worker, nullptr);
  EXPECT_TRUE(engine->Converting());
  worker->Start();
  ASSERT_TRUE(Eventually([&] { return engine->Packets > 5; }));

  engine->Pause();
  engine->Pause();
  EXPECT_TRUE(engine->Paused());
  // A packet under way when the gate closed may still count; once the worker comes to the gate
  // again, it must stay there.
  engine->GateClosed = true;
  ASSERT_TRUE(Eventually([&] { return engine->CameToClosedGate.load(); }));
  const int paused = engine->Packets;
  // A while: a gate that lets the worker through after a time shows here. A slow machine can only
  // hide such a fault, never fail a sound gate.
  std::this_thread::sleep_for(120ms);
  EXPECT_EQ(engine->Packets, paused);
  engine->GateClosed = false;

  engine->Resume();  // once is enough after two pauses
  ASSERT_TRUE(Eventually([&] { return engine->Packets > paused + 5; }));

  engine->Stop(true);
  EXPECT_TRUE(engine->Terminated());
  EXPECT_FALSE(engine->Converting());
  EXPECT_FALSE(engine->Finished());
  EXPECT_FALSE(engine->FatalException());
  EXPECT_EQ(terminations, 1);
  engine->Pause();  // no worker any more: nothing happens
  EXPECT_FALSE(engine->Paused());
}

TEST_F(EngineRun, StopOfAPausedWorkerEndsIt) {
  auto engine = NewJob();
  engine->StartConvert(true)->Start();
  ASSERT_TRUE(Eventually([&] { return engine->Packets > 0; }));
  engine->Pause();
  engine->Stop(true);
  EXPECT_TRUE(engine->Terminated());
  EXPECT_EQ(terminations, 1);
}

// True while the thread sleeps in a futex wait that has no deadline (the system call it stands in
// and its arguments, as the system shows them: number, address, operation, value, timeout, ...).
bool SleepsWithoutDeadline(DWORD ATid) {
  std::ifstream file("/proc/self/task/" + std::to_string(ATid) + "/syscall");
  std::string number, address, operation, value, timeout;
  file >> number >> address >> operation >> value >> timeout;
  return number == std::to_string(SYS_futex) && timeout == "0x0";
}

// A paused worker sleeps at the gate until something opens it (no waking up to look), and each
// of Resume, Stop and a pause asked after a stop lets it go at once.
TEST_F(EngineRun, APausedWorkerSleepsUntilTheGateOpens) {
  enum class TOpen { Resume, Stop, PauseAfterStop };
  for (const TOpen open : {TOpen::Resume, TOpen::Stop, TOpen::PauseAfterStop}) {
    SCOPED_TRACE(static_cast<int>(open));
    auto engine = NewJob();
    TThread* worker = engine->StartConvert(true);
    ASSERT_NE(worker, nullptr);
    worker->Start();
    ASSERT_TRUE(Eventually([&] { return engine->Packets > 0; }));
    engine->Pause();
    engine->GateClosed = true;
    ASSERT_TRUE(Eventually([&] { return engine->CameToClosedGate.load(); }));
    ASSERT_TRUE(Eventually([&] { return SleepsWithoutDeadline(worker->ThreadID()); }))
        << "the paused worker wakes up by itself";
    const int paused = engine->Packets;
    switch (open) {
      case TOpen::Resume:
        engine->Resume();
        EXPECT_TRUE(Eventually([&] { return engine->Packets > paused; }));
        engine->Stop(true);
        break;
      case TOpen::Stop:
        engine->Stop(true);
        break;
      case TOpen::PauseAfterStop:
        // The stop opens the gate; a pause that comes before the worker has passed it must not
        // close it again.
        engine->Stop(false);
        engine->Pause();
        EXPECT_TRUE(Eventually([&] { return engine->Terminated(); }));
        engine->Stop(true);
        break;
    }
    EXPECT_TRUE(engine->Terminated());
    EXPECT_FALSE(engine->Finished());
  }
}

TEST_F(EngineRun, AWorkerThatEndsByItselfIsFinished) {
  auto engine = NewJob();
  engine->PacketLimit = 20;
  engine->StartConvert(true)->Start();
  ASSERT_TRUE(Eventually([&] { return engine->Terminated(); }));
  engine->Stop(true);  // returns at once: the worker is gone
  EXPECT_TRUE(engine->Finished());
  EXPECT_EQ(engine->Packets, 20);
  EXPECT_EQ(terminations, 1);
}

TEST_F(EngineRun, AFailingRunReportsItsMessageAndStillCleansUp) {
  auto engine = NewJob();
  engine->FailWith = "Error while decoding stream #0.0 (Video)";
  engine->StartConvert(true)->Start();
  ASSERT_TRUE(Eventually([&] { return engine->Terminated(); }));
  engine->Stop(true);
  EXPECT_TRUE(engine->FatalException());
  EXPECT_EQ(engine->FatalMessage(), "Error while decoding stream #0.0 (Video)");
  EXPECT_FALSE(engine->Finished());
  EXPECT_EQ(engine->NbOutputFiles(), 0);
  EXPECT_EQ(terminations, 1);
}

TEST_F(EngineRun, StopOnTheGuiThreadKeepsMainThreadCallsFlowing) {
  auto engine = NewJob();
  engine->DeliverInMainThread = true;
  engine->StartConvert(true)->Start();
  // The worker blocks in each delivery until this thread serves it; Stop must do so while waiting.
  ASSERT_TRUE(Eventually([&] {
    PumpPendingMessages();
    return engine->Delivered > 3;
  }));
  engine->Stop(true);
  EXPECT_TRUE(engine->Terminated());
  EXPECT_EQ(terminations, 1);
}

TEST_F(EngineRun, CancelOfANeverStartedTaskNotifiesOnceBeforeReturning) {
  auto engine = NewJob();
  engine->Cancel(true);
  EXPECT_EQ(terminations, 1);
  EXPECT_TRUE(engine->Terminated());
  engine->Cancel(true);  // already terminated: left alone
  EXPECT_EQ(terminations, 1);
  EXPECT_EQ(engine->StartConvert(true), nullptr);

  // Without waiting the notice still comes, and destruction waits for its thread.
  auto other = NewJob("other.avi");
  other->Cancel(false);
  other.reset();
  EXPECT_EQ(terminations, 2);
}

TEST_F(EngineRun, HandlersOnTheWorkerMayStopOrFreeTheEngine) {
  // Stop with waiting, asked on the worker's own thread, returns and the run ends stopped.
  auto engine = NewJob();
  engine->StopFromWorkerAt = 5;
  engine->StartConvert(true)->Start();
  ASSERT_TRUE(Eventually([&] { return engine->Terminated(); }));
  EXPECT_FALSE(engine->Finished());
  EXPECT_EQ(engine->Packets, 5);
  EXPECT_EQ(terminations, 1);

  // A task cancelled before it ran may be freed by its own termination notice.
  TLoopingEngine* owned = NewJob().release();
  std::atomic<bool> freed{false};
  owned->OnTerminate = [&](TObject* Sender) {
    delete static_cast<TLoopingEngine*>(Sender);
    freed = true;
  };
  owned->Cancel(false);
  EXPECT_TRUE(Eventually([&] { return freed.load(); }));
}

TEST_F(EngineRun, AWorkerNeverResumedIsRunAndStoppedByTheDestructor) {
  auto engine = NewJob();
  ASSERT_NE(engine->StartConvert(true), nullptr);
  engine.reset();
  EXPECT_EQ(terminations, 1);
}

// Control calls from a second thread at any moment of the worker's life, under the sanitizers.
TEST_F(EngineRun, ControlCallsFromAnotherThread) {
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    auto engine = NewJob("stress" + std::to_string(round) + ".avi");
    engine->PacketLimit = round % 3 == 0 ? 3 : -1;  // some end by themselves meanwhile
    TThread* worker = engine->StartConvert(true);
    ASSERT_NE(worker, nullptr);
    std::atomic<bool> go{false};
    std::thread controller([&] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < 40; ++i) {
        switch ((i + round) % 5) {
          case 0: engine->Pause(); break;
          case 1: engine->Resume(); break;
          case 2: engine->Pause(); break;
          case 3: engine->Resume(); break;
          case 4: (void)engine->Paused(); break;
        }
        if (i == 30 + round) engine->Stop(false);
        // Spreads the control calls over the worker's run; any timing is a valid one.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      engine->Cancel(false);
    });
    if (round % 2) worker->Start();  // else Stop or Cancel starts it
    go = true;
    controller.join();
    engine->Stop(true);
    EXPECT_TRUE(engine->Terminated());
    EXPECT_EQ(terminations, round + 1);
    EXPECT_FALSE(engine->FatalException()) << engine->FatalMessage();
  }
}

TEST_F(EngineRun, DestroyingARunningJobStopsItFirst) {
  auto engine = NewJob();
  engine->StartConvert(true)->Start();
  ASSERT_TRUE(Eventually([&] { return engine->Packets > 2; }));
  engine->Pause();
  engine.reset();
  EXPECT_EQ(terminations, 1);
}

// A run that fails with codecs open closes them before it reports its end.
class TFailingWithOpenCodecs : public TCustomFFmpeg {
 public:
  explicit TFailingWithOpenCodecs(int AMaxFiles) : TCustomFFmpeg(AMaxFiles) {}
  ~TFailingWithOpenCodecs() override { Stop(true); }
  AVCodecContext* Encoder = nullptr;
  bool OpenWhenTerminated = true;

 protected:
  void Transcode() override {
    const AVCodec* codec = av::avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    Encoder = OutputFile(0).streams.at(0)->enc;
    std::lock_guard<TCriticalSection> guard(CodecLock());
    if (av::avcodec_open2(Encoder, codec, nullptr) < 0) throw FFmpegException("cannot open the encoder");
    AddCodecItem(TCodecList::Encoders, Encoder);
    throw FFmpegException("Encoding failed");
  }
};

TEST_F(EngineRun, CodecsLeftOpenAreClosedWhenTheRunEnds) {
  auto engine = std::make_unique<TFailingWithOpenCodecs>(1);
  engine->Reset();
  ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
  engine->ParseOption("vcodec", "mpeg4");
  engine->ParseOption("an", "1");
  ASSERT_GT(engine->OptOutputFile((folder / "codecs.avi").string()), 0);
  engine->OnTerminate = [&](TObject*) {
    EXPECT_EQ(engine->OpenedCodecCount(TCustomFFmpeg::TCodecList::Encoders), 0);
    ++terminations;
  };
  engine->StartConvert(false);
  EXPECT_EQ(engine->FatalMessage(), "Encoding failed");
  EXPECT_EQ(terminations, 1);

  engine->AddCodecItem(TCustomFFmpeg::TCodecList::Decoders, nullptr);
  engine->RemoveCodecItem(TCustomFFmpeg::TCodecList::Decoders, nullptr);
  engine->RemoveCodecItem(TCustomFFmpeg::TCodecList::Decoders, nullptr);
  EXPECT_EQ(engine->OpenedCodecCount(TCustomFFmpeg::TCodecList::Decoders), 0);
}

TEST_F(EngineRun, PostHooksChangeUnderTheirLock) {
  auto engine = enginetest::NewEngine();
  std::thread other([&] {
    for (int i = 0; i < 200; ++i) engine->SetPostHooks(i % 2 ? TPostHooks{TPostHook::phPreview} : TPostHooks{});
  });
  for (int i = 0; i < 200; ++i) engine->SetPostHooks(TPostHooks{TPostHook::phBitmap});
  other.join();
  engine->SetPostHooks(TPostHooks{TPostHook::phBitmap});
  EXPECT_EQ(engine->PostHooks(), TPostHooks{TPostHook::phBitmap});
}

}  // namespace

namespace {

bool ThreadAlive(DWORD ATid) { return fs::exists("/proc/self/task/" + std::to_string(ATid)); }

// An engine that notes the system thread its run uses.
class TThreadNotingEngine : public TLoopingEngine {
 public:
  using TLoopingEngine::TLoopingEngine;
  std::atomic<DWORD> RunThread{0};

 protected:
  void Transcode() override {
    RunThread = GetCurrentThreadId();
    TLoopingEngine::Transcode();
  }
};

}  // namespace

// The worker and the notice thread of a never-started task belong to their engine: once Stop(true)
// or Cancel(true) has returned, or the engine is gone, the thread is gone too.
TEST_F(EngineRun, NoThreadOfAnEngineOutlivesItsStopOrTheEngine) {
  for (const bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "stopped");
    auto engine = NewJob<TThreadNotingEngine>();
    engine->StartConvert(true)->Start();
    ASSERT_TRUE(Eventually([&] { return engine->Packets > 3; }));
    const DWORD worker = engine->RunThread;
    ASSERT_NE(worker, 0u);
    if (destroy)
      engine.reset();
    else
      engine->Stop(true);
    EXPECT_FALSE(ThreadAlive(worker));
  }

  auto never = NewJob();
  std::atomic<DWORD> notifier{0};
  never->OnTerminate = [&](TObject*) { notifier = GetCurrentThreadId(); };
  never->Cancel(true);
  ASSERT_NE(notifier.load(), 0u);
  EXPECT_FALSE(ThreadAlive(notifier));
}

// A stream input that stops delivering bytes (its writer keeps the pipe open and says nothing)
// holds the worker in a read the system does not end by itself; a stop still ends the run soon.
TEST_F(EngineRun, AStopEndsARunStalledInAPipeRead) {
  const std::string source = fixtures::Make("stall.ts", std::string(fixtures::TestSource()) +
                                                            "-c:v mpeg2video -c:a mp2 -f mpegts");
  const std::string bytes = fixtures::Run("cat " + fixtures::Quoted(source));
  ASSERT_GT(bytes.size(), 10000u);
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::atomic<bool> written{false};
  std::thread writer([&] {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fds[1], bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    written = true;  // and then silence, with the pipe still open
  });
  struct TClose {
    int* Fds;
    std::thread& Writer;
    ~TClose() {
      ::close(Fds[1]);
      if (Writer.joinable()) Writer.join();
      ::close(Fds[0]);
    }
  } closer{fds, writer};

  auto engine = enginetest::NewEngine(2);
  ASSERT_TRUE(engine->OptInputFile("pipe:" + std::to_string(fds[0])));
  ASSERT_GT(engine->OptOutputFile((folder / "stalled.avi").string()), 0);
  engine->OnTerminate = [this](TObject*) { ++terminations; };
  std::atomic<int64_t> converted{0};
  engine->ReportInterval = 0;  // a report after every packet
  engine->OnProgress = [&](TObject*, int, int AFrames, int, float, float, int64_t, int64_t, int64_t) { converted = AFrames; };
  engine->StartConvert(true)->Start();
  // The worker has written part of the file and reads on towards the stall; should it not have
  // got there yet, the stop below meets it earlier in its read, where it must end as well.
  ASSERT_TRUE(Eventually([&] { return written.load() && converted.load() > 0; }));
  ASSERT_FALSE(engine->Terminated());

  {
    // The writer keeps the pipe open: a stop that waited for the input would never return.
    TWatchdog watchdog("stop during a stalled read", 30000);
    engine->Stop(true);
  }
  EXPECT_TRUE(engine->Terminated());
  EXPECT_FALSE(engine->Finished());
  EXPECT_EQ(terminations, 1);
  // What was converted before the stall is kept.
  EXPECT_GT(fs::file_size(folder / "stalled.avi"), 0u);
}

namespace {

// The codec contexts, frames, packets, filter graphs and scalers made through the library
// references while it is installed, minus those freed meanwhile. Installed on one thread while no
// run is under way; what was made before it is not counted.
class TLiveLibraryObjects {
 public:
  TLiveLibraryObjects() {
    saved_ = {av::avcodec_alloc_context3, av::avcodec_free_context, av::av_frame_alloc, av::av_frame_free,
              av::av_packet_alloc,        av::av_packet_clone,       av::av_packet_free, av::avfilter_graph_alloc,
              av::avfilter_graph_free,    av::sws_getCachedContext,  av::sws_freeContext};
    av::avcodec_alloc_context3 = [](const AVCodec* ACodec) { return Made("codec context", saved_.AllocContext(ACodec)); };
    av::avcodec_free_context = [](AVCodecContext** AContext) { saved_.FreeContext((Gone(*AContext), AContext)); };
    av::av_frame_alloc = [] { return Made("frame", saved_.FrameAlloc()); };
    av::av_frame_free = [](AVFrame** AFrame) { saved_.FrameFree((Gone(*AFrame), AFrame)); };
    av::av_packet_alloc = [] { return Made("packet", saved_.PacketAlloc()); };
    av::av_packet_clone = [](const AVPacket* APacket) { return Made("packet", saved_.PacketClone(APacket)); };
    av::av_packet_free = [](AVPacket** APacket) { saved_.PacketFree((Gone(*APacket), APacket)); };
    av::avfilter_graph_alloc = [] { return Made("filter graph", saved_.GraphAlloc()); };
    av::avfilter_graph_free = [](AVFilterGraph** AGraph) { saved_.GraphFree((Gone(*AGraph), AGraph)); };
    av::sws_getCachedContext = [](SwsContext* AContext, int ASrcW, int ASrcH, AVPixelFormat ASrcFormat, int ADstW,
                                  int ADstH, AVPixelFormat ADstFormat, int AFlags, SwsFilter* ASrcFilter,
                                  SwsFilter* ADstFilter, const double* AParam) {
      SwsContext* next = saved_.CachedScaler(AContext, ASrcW, ASrcH, ASrcFormat, ADstW, ADstH, ADstFormat, AFlags,
                                             ASrcFilter, ADstFilter, AParam);
      if (next != AContext) Gone(AContext);  // the library freed the one it was given
      return Made("scaler", next);
    };
    av::sws_freeContext = [](SwsContext* AContext) { saved_.FreeScaler((Gone(AContext), AContext)); };
  }
  ~TLiveLibraryObjects() {
    av::avcodec_alloc_context3 = saved_.AllocContext;
    av::avcodec_free_context = saved_.FreeContext;
    av::av_frame_alloc = saved_.FrameAlloc;
    av::av_frame_free = saved_.FrameFree;
    av::av_packet_alloc = saved_.PacketAlloc;
    av::av_packet_clone = saved_.PacketClone;
    av::av_packet_free = saved_.PacketFree;
    av::avfilter_graph_alloc = saved_.GraphAlloc;
    av::avfilter_graph_free = saved_.GraphFree;
    av::sws_getCachedContext = saved_.CachedScaler;
    av::sws_freeContext = saved_.FreeScaler;
    std::lock_guard<std::mutex> guard(lock_);
    live_.clear();
    made_ = 0;
  }
  // How many objects were made while it was installed.
  [[nodiscard]] static int MadeCount() {
    std::lock_guard<std::mutex> guard(lock_);
    return made_;
  }
  // "kind: count" for each kind still alive, one a line; empty when everything went.
  [[nodiscard]] static std::string Alive() {
    std::lock_guard<std::mutex> guard(lock_);
    std::map<std::string, int> counts;
    for (const auto& [object, kind] : live_) ++counts[kind];
    std::string text;
    for (const auto& [kind, count] : counts) text += kind + ": " + std::to_string(count) + "\n";
    return text;
  }

 private:
  struct TSaved {
    decltype(av::avcodec_alloc_context3) AllocContext;
    decltype(av::avcodec_free_context) FreeContext;
    decltype(av::av_frame_alloc) FrameAlloc;
    decltype(av::av_frame_free) FrameFree;
    decltype(av::av_packet_alloc) PacketAlloc;
    decltype(av::av_packet_clone) PacketClone;
    decltype(av::av_packet_free) PacketFree;
    decltype(av::avfilter_graph_alloc) GraphAlloc;
    decltype(av::avfilter_graph_free) GraphFree;
    decltype(av::sws_getCachedContext) CachedScaler;
    decltype(av::sws_freeContext) FreeScaler;
  };
  template <typename T>
  static T* Made(const char* AKind, T* AObject) {
    std::lock_guard<std::mutex> guard(lock_);
    if (AObject) {
      live_[AObject] = AKind;
      ++made_;
    }
    return AObject;
  }
  static void Gone(const void* AObject) {
    std::lock_guard<std::mutex> guard(lock_);
    live_.erase(AObject);
  }
  static inline TSaved saved_{};
  static inline std::mutex lock_;
  static inline std::map<const void*, std::string> live_;
  static inline int made_ = 0;
};

}  // namespace

// Whatever a run made of the libraries' objects is freed when it ends, a finished run's and a
// stopped one's alike, in the caller's thread and on a worker: nothing of a task outlives it.
TEST_F(EngineRun, ARunFreesTheLibraryObjectsItMade) {
  struct TCase {
    const char* Name;
    bool OnWorker;
    bool Stop;
  };
  for (const TCase& c : {TCase{"in the caller's thread", false, false}, TCase{"on a worker", true, false},
                         TCase{"stopped on a worker", true, true}}) {
    SCOPED_TRACE(c.Name);
    TLiveLibraryObjects objects;
    auto engine = enginetest::NewEngine();
    ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
    engine->ParseOption("s", "160x120");  // a scaler
    engine->ParseOption("ar", "22050");   // a resampler
    ASSERT_GT(engine->OptOutputFile((folder / (std::string(c.Name) + ".avi")).string()), 0);
    if (!c.OnWorker) {
      engine->StartConvert(false);
    } else {
      engine->StartConvert(true)->Start();
      if (c.Stop) engine->Stop(true);
      ASSERT_TRUE(Eventually([&] { return engine->Terminated(); }));
      engine->Stop(true);
    }
    EXPECT_FALSE(engine->FatalException()) << engine->FatalMessage();
    EXPECT_GT(TLiveLibraryObjects::MadeCount(), 0);
    EXPECT_EQ(TLiveLibraryObjects::Alive(), "");
  }
}
