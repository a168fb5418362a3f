// A logger placed on a form goes before the libraries do: lines still queued for it are dropped,
// and the libraries stop calling into it. Its own program, so that no other logger exists yet.

#include <gtest/gtest.h>

#include <thread>

#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "platform/controls/Component.h"
#include "platform/core/Thread.h"

namespace {

TEST(LoggerLifetime, PlacedLoggerGoesSafelyWhileLinesAreQueued) {
  // As the main window does: the logger is placed before any library is loaded.
  auto form = std::make_unique<TComponent>(nullptr);
  auto* logger = new TFFLogger(form.get());  // owned by the form
  int delivered = 0;
  logger->OnLog = [&](TObject*, DWORD, TLogLevel, const std::string&) { ++delivered; };
  ASSERT_TRUE(FFLoader().Load(TLibrary::avUtil)) << FFLoader().LastErrMsg();

  std::thread worker([] { av::av_log(nullptr, AV_LOG_ERROR, "queued for the GUI thread\n"); });
  worker.join();
  form.reset();  // frees the logger before the GUI thread served its line
  while (CheckSynchronize(0)) {
  }
  EXPECT_EQ(delivered, 0);

  // The library no longer reaches the framework's callback, so nothing made a new logger.
  av::av_log(nullptr, AV_LOG_ERROR, "to the library's own output\n");
  EXPECT_NO_THROW(TFFLogger another(nullptr));
  FFLoader().Unload(TLibrary::avUtil);
}

}  // namespace
