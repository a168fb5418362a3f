#include "Src/FFmpegLogger.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdarg>
#include <thread>
#include <vector>

#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLoader.h"
#include "platform/core/Thread.h"
#include "tests/PollUntil.h"

namespace {

// A library context as the callback sees it: its first field points at its class description.
const char* FakeName(void*) { return "fake"; }
const AVClass FakeClass = [] {
  AVClass c{};
  c.class_name = "Fake";
  c.item_name = FakeName;
  c.version = LIBAVUTIL_VERSION_INT;
  return c;
}();
struct TFakeContext {
  const AVClass* Class = &FakeClass;
};

// Calls the library log callback as libavutil would.
void Emit(void* AContext, int ALevel, const char* AFormat, ...) {
  va_list args;
  va_start(args, AFormat);
  AVLogCallback(AContext, ALevel, AFormat, args);
  va_end(args);
}

std::string PrefixOf(const TFakeContext& AContext) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "[fake @ %p]", static_cast<const void*>(&AContext));
  return buffer;
}

struct TLine {
  DWORD ThreadID;
  TLogLevel Level;
  std::string Text;
  bool OnMainThread;
};

class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LogList().Clear();
    logger_ = GetLogger();
    logger_->SetLogLevel(TLogLevel::llInfo);
    logger_->SetTriggerEventInMainThread(true);
    logger_->OnLog = [this](TObject*, DWORD AThreadID, TLogLevel ALevel, const std::string& AText) {
      std::lock_guard guard(lock_);
      lines_.push_back({AThreadID, ALevel, AText, GetCurrentThreadId() == MainThreadID()});
    };
  }
  void TearDown() override { logger_->OnLog = nullptr; }

  std::vector<TLine> Lines() {
    std::lock_guard guard(lock_);
    return lines_;
  }
  // Serves the queued deliveries until ACount lines arrived (or 10 seconds passed).
  void PumpUntil(size_t ACount) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Lines().size() < ACount && std::chrono::steady_clock::now() < deadline) CheckSynchronize(10);
  }

  TFFLogger* logger_ = nullptr;
  std::mutex lock_;
  std::vector<TLine> lines_;
};

TEST(LogLevels, LibraryLevelsMapBothWays) {
  struct TCase {
    int Library;
    TLogLevel Logger;
  };
  const TCase toLogger[] = {{-100, TLogLevel::llQuiet}, {-8, TLogLevel::llQuiet},   {-7, TLogLevel::llPanic},
                            {7, TLogLevel::llPanic},    {8, TLogLevel::llFatal},    {15, TLogLevel::llFatal},
                            {16, TLogLevel::llError},   {23, TLogLevel::llError},   {24, TLogLevel::llWarning},
                            {32, TLogLevel::llInfo},    {40, TLogLevel::llVerbose}, {47, TLogLevel::llVerbose},
                            {48, TLogLevel::llDebug},   {1000, TLogLevel::llDebug}};
  for (const TCase& c : toLogger) {
    SCOPED_TRACE(c.Library);
    EXPECT_EQ(AVLevelToLogLevel(c.Library), c.Logger);
  }
  EXPECT_EQ(LogLevelToAVLevel(TLogLevel::llQuiet), -8);
  EXPECT_EQ(LogLevelToAVLevel(TLogLevel::llError), 16);
  EXPECT_EQ(LogLevelToAVLevel(TLogLevel::llDebug), 48);
}

TEST_F(LoggerTest, PiecesBecomeWholeLinesWithTheFirstPiecesPrefix) {
  TFakeContext first, second;
  Emit(&first, AV_LOG_INFO, "%s", "abc");
  EXPECT_TRUE(Lines().empty()) << "a line without its line feed waits";
  Emit(&second, AV_LOG_WARNING, "def %d\n", 42);
  Emit(nullptr, AV_LOG_INFO, "x\n\ny\n");
  const std::string longText(5000, 'L');
  Emit(&first, AV_LOG_INFO, "%s\n", longText.c_str());

  const std::vector<TLine> lines = Lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].Text, PrefixOf(first) + "abcdef 42");
  EXPECT_EQ(lines[0].Level, TLogLevel::llWarning) << "the level of the piece that completed the line";
  EXPECT_EQ(lines[1].Text, "x");
  EXPECT_EQ(lines[2].Text, "");
  EXPECT_EQ(lines[3].Text, "y");
  EXPECT_EQ(lines[4].Text, PrefixOf(first) + longText) << "long pieces are not cut";
}

TEST_F(LoggerTest, LevelFilters) {
  // The callback's filter is the level last handed to the library, so the library is bound here.
  ASSERT_TRUE(FFLoader().Load(TLibrary::avUtil)) << FFLoader().LastErrMsg();
  logger_->SetLogLevel(TLogLevel::llWarning);
  Emit(nullptr, AV_LOG_INFO, "dropped by the callback\n");
  Emit(nullptr, AV_LOG_WARNING, "kept\n");
  logger_->Log(nullptr, TLogLevel::llVerbose, "verbose passes");
  logger_->Log(nullptr, TLogLevel::llInfo, "info does not");
  logger_->Log(nullptr, TLogLevel::llError, "error %d of %s", 3, "x");
  const std::vector<TLine> lines = Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Text, "kept");
  EXPECT_EQ(lines[1].Text, "verbose passes");
  EXPECT_EQ(lines[2].Text, "error 3 of x");
  logger_->SetLogLevel(TLogLevel::llInfo);
  FFLoader().Unload(TLibrary::avUtil);
}

TEST_F(LoggerTest, WithoutHandlerLinesAreStillConsumed) {
  logger_->OnLog = nullptr;
  Emit(nullptr, AV_LOG_INFO, "one\ntwo");
  EXPECT_EQ(LogList().Pending(GetCurrentThreadId()), "two");
  Emit(nullptr, AV_LOG_INFO, "\n");
  EXPECT_EQ(LogList().Pending(GetCurrentThreadId()), "");
}

TEST_F(LoggerTest, OptLogLevelTakesNamesAndNumbers) {
  struct TCase {
    const char* Arg;
    TLogLevel Level;
  };
  const TCase cases[] = {{"DEBUG", TLogLevel::llDebug}, {"quiet", TLogLevel::llQuiet}, {"20", TLogLevel::llError},
                         {"-100", TLogLevel::llQuiet},  {"Warning", TLogLevel::llWarning}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Arg);
    logger_->OptLogLevel(c.Arg);
    EXPECT_EQ(logger_->LogLevel(), c.Level);
  }
  EXPECT_THROW(logger_->OptLogLevel("loud"), EConvertError);
}

TEST_F(LoggerTest, SecondLoggerIsRefused) {
  EXPECT_THROW(TFFLogger second(nullptr), EAssertionFailed);
  EXPECT_EQ(GetLogger(), logger_);
}

TEST_F(LoggerTest, TwoThreadsLinesArriveWholeInOrderOnTheGuiThread) {
  constexpr int PerThread = 200;
  TFakeContext contexts[2];
  DWORD ids[2] = {};
  auto work = [&](int t) {
    ids[t] = GetCurrentThreadId();
    for (int i = 0; i < PerThread; ++i) {
      Emit(&contexts[t], AV_LOG_INFO, "line ");
      Emit(&contexts[t], AV_LOG_INFO, "%d", i);
      Emit(nullptr, t == 0 ? AV_LOG_INFO : AV_LOG_WARNING, " of %d\n", t);
    }
  };
  std::thread a(work, 0), b(work, 1);
  PumpUntil(2 * PerThread);
  a.join();
  b.join();
  PumpUntil(2 * PerThread);

  const std::vector<TLine> lines = Lines();
  ASSERT_EQ(lines.size(), 2u * PerThread);
  int next[2] = {0, 0};
  for (const TLine& line : lines) {
    const int t = line.ThreadID == ids[0] ? 0 : 1;
    ASSERT_EQ(line.ThreadID, ids[t]);
    EXPECT_TRUE(line.OnMainThread);
    EXPECT_EQ(line.Level, t == 0 ? TLogLevel::llInfo : TLogLevel::llWarning);
    EXPECT_EQ(line.Text, PrefixOf(contexts[t]) + "line " + std::to_string(next[t]) + " of " + std::to_string(t));
    ++next[t];
  }
}

TEST_F(LoggerTest, LoggingUnderALockNeverWaitsForTheGuiThread) {
  // A worker logs while it holds the codec lock; the GUI thread waits for that lock without
  // pumping. Delivery that waited for the GUI thread would stop both.
  std::atomic<bool> logged{false};
  std::thread worker([&] {
    std::lock_guard hold(CodecLock());
    Emit(nullptr, AV_LOG_ERROR, "from under the lock\n");
    logged = true;
  });
  ASSERT_TRUE(test_wait::PollUntil([&] { return logged.load(); }));
  ASSERT_TRUE(test_wait::PollUntil([] { return CodecLock().TryEnter(); })) << "the worker let go of the lock";
  CodecLock().Leave();
  worker.join();
  PumpUntil(1);
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0].Text, "from under the lock");
}

TEST(LoggerLibrary, RealLibraryLinesReachTheLoggerUnlessInstallIsOff) {
  // The logger, the loader and the library's callback belong to the whole process: earlier cases
  // may hold libavutil with the logger's callback in it, and whatever this case changes goes back
  // as it was, also when it stops halfway.
  std::vector<std::string> lines;
  TFFLogger* logger = GetLogger();
  const int holdFirst = 0, holdWithout = 0, holdWith = 0;
  struct TRestore {
    TFFLogger* logger;
    TLogLevel level;
    std::vector<const void*> holders;
    ~TRestore() {
      logger->OnLog = nullptr;
      logger->SetLogLevel(level);
      FFLoader().SetInstallLogger(true);
      // A load with installing on put the logger's callback back in the library.
      for (const void* holder : holders) FFLoader().Unload(TLibrary::avUtil, holder);
    }
  } restore{logger, logger->LogLevel(), {&holdFirst, &holdWithout, &holdWith}};
  logger->SetLogLevel(TLogLevel::llInfo);
  logger->OnLog = [&](TObject*, DWORD, TLogLevel, const std::string& AText) { lines.push_back(AText); };

  LogList().Clear();  // no piece of an earlier line waits on this thread
  ASSERT_TRUE(FFLoader().Load(TLibrary::avUtil, &holdFirst)) << FFLoader().LastErrMsg();
  av::av_log_set_callback(av::av_log_default_callback);
  FFLoader().SetInstallLogger(false);
  ASSERT_TRUE(FFLoader().Load(TLibrary::avUtil, &holdWithout)) << FFLoader().LastErrMsg();
  av::av_log(nullptr, AV_LOG_ERROR, "not ours\n");
  EXPECT_TRUE(lines.empty()) << "a load with installing off leaves the library's own callback";

  FFLoader().SetInstallLogger(true);
  ASSERT_TRUE(FFLoader().Load(TLibrary::avUtil, &holdWith)) << FFLoader().LastErrMsg();
  TFakeContext context;
  av::av_log(&context, AV_LOG_ERROR, "through the library %d\n", 7);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], PrefixOf(context) + "through the library 7");
}

}  // namespace
