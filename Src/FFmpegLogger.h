#pragma once
// The logger: turns the media libraries' log output (pieces of text from any thread) and the
// framework's own messages into whole lines with a level, handed to OnLog.
//
// Library text is assembled per thread; a line is delivered when its line feed arrives. With
// TriggerEventInMainThread (the default) lines are queued to the GUI thread and delivered there in
// the order they were completed: a logging thread never waits for the GUI thread, so a worker that
// logs while it holds the codec lock cannot block a GUI thread that waits for that lock.

#include <cstdarg>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "Src/FFBaseComponent.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Types.h"

enum class TLogLevel { llQuiet, llPanic, llFatal, llError, llWarning, llInfo, llVerbose, llDebug };

// The library level of a logger level: ordinal * 8 - 8 (llQuiet -8 … llDebug 48).
[[nodiscard]] int LogLevelToAVLevel(TLogLevel ALevel);
// The logger level of a library level: level / 8 (truncated) + 1, clamped to llQuiet … llDebug.
[[nodiscard]] TLogLevel AVLevelToLogLevel(int ALevel);

using TLogEvent =
    std::function<void(TObject* Sender, DWORD AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg)>;

// One delivered line.
struct TLogInfo {
  TObject* Sender = nullptr;
  DWORD ThreadID = 0;
  TLogLevel LogLevel = TLogLevel::llInfo;
  std::string LogMsg;
};

// The unfinished library line of every thread that logged.
class TLogList : public TObject {
 public:
  // Appends APiece to the thread's unfinished text and moves every completed line (text before a
  // line feed, without it) into ALines. APrefix is put in front when a new line begins.
  void Append(DWORD AThreadID, std::string_view APrefix, std::string_view APiece, std::vector<std::string>& ALines);
  // The thread's unfinished text (empty when none).
  [[nodiscard]] std::string Pending(DWORD AThreadID) const;
  void Clear();

 private:
  mutable std::mutex FLock;
  std::map<DWORD, std::string> FItems;
};

// The one list of unfinished library lines.
TLogList& LogList();

// While it lives, keeps on the calling thread the first error the media libraries log (their own
// words for why a call failed), so that a failure can name its cause instead of only the call
// that failed. Errors are kept whatever the logger's level. Scopes nest: the innermost keeps.
class TLibraryErrorCapture {
 public:
  TLibraryErrorCapture();
  ~TLibraryErrorCapture();
  TLibraryErrorCapture(const TLibraryErrorCapture&) = delete;
  TLibraryErrorCapture& operator=(const TLibraryErrorCapture&) = delete;

  // The first error line logged during the scope (without the "[name @ address]" prefix); empty
  // when none.
  [[nodiscard]] const std::string& Cause() const { return FCause; }
  // AText followed by ": " and the cause, or AText alone when the libraries said nothing.
  [[nodiscard]] std::string WithCause(const std::string& AText) const;
  // Called by the library log callback with each piece of error text of this thread.
  static void Take(const std::string& APiece);

 private:
  TLibraryErrorCapture* FOuter;
  std::string FCause;
  std::string FPartial;
};

class TFFLogger : public TFFBaseComponent {
 public:
  // Raises EAssertionFailed ("Allow creating only one instance of TFFLogger.") when a logger
  // exists already. The new logger becomes the one GetLogger answers.
  explicit TFFLogger(TComponent* AOwner);
  // Removes the library log callback (when this is the current logger) before it goes.
  ~TFFLogger() override;

  [[nodiscard]] TLogLevel LogLevel() const { return FLogLevel; }
  // Also sets the libraries' level when libavutil is bound.
  void SetLogLevel(TLogLevel Value);
  [[nodiscard]] bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
  void SetTriggerEventInMainThread(bool Value) { FTriggerEventInMainThread = Value; }

  TLogEvent OnLog;

  // Installs the library log callback and applies LogLevel; called by the loader each time
  // libavutil has been bound. Raises EAssertionFailed when libavutil is not bound.
  void InstallAVLogCallback();
  // The engine's "loglevel" option: a level name (any case) or a decimal library level. Raises
  // EConvertError for any other text.
  void OptLogLevel(const std::string& arg);

  // The framework's own messages; delivered when OnLog is set and the level passes (llVerbose
  // passes at every level but llQuiet).
  void Log(TObject* Sender, TLogLevel ALogLevel, const std::string& ALogMsg);
  template <typename... Args>
  void Log(TObject* Sender, TLogLevel ALogLevel, std::string_view AFormat, const Args&... AArgs) {
    if (Passes(ALogLevel)) Log(Sender, ALogLevel, Format(AFormat, AArgs...));
  }
  // One assembled library line (already filtered by the callback).
  void LogLibraryLine(DWORD AThreadID, int ALevel, const std::string& ALine);

 protected:
  void DoLog(const TLogInfo& AInfo);

 private:
  [[nodiscard]] bool Passes(TLogLevel ALogLevel) const;
  void ApplyLogLevel();
  void Deliver(TLogInfo AInfo);

  bool FTriggerEventInMainThread = true;
  TLogLevel FLogLevel = TLogLevel::llInfo;
  std::weak_ptr<void> FAlive;  // expires with this logger; queued lines check it
  std::mutex FDeliverLock;     // one OnLog at a time when delivered on the logging threads
};

// The current logger; creates one without owner when there is none.
TFFLogger* GetLogger();

// The library log callback (exposed for tests; installed by InstallAVLogCallback).
void AVLogCallback(void* AContext, int ALevel, const char* AFormat, va_list AArgs);
