#include "Src/FFmpegLogger.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "Src/AVUtilStubs.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Thread.h"

namespace {

// The library's level filter: the level last handed to av_log_set_level.
std::atomic<int>& LibraryLogLevel() {
  static std::atomic<int> level{32};
  return level;
}

// The current logger, and the one GetLogger made itself (freed at exit).
struct TLoggerSingleton {
  std::mutex CreateLock;  // one GetLogger creates at a time
  std::mutex Lock;
  TFFLogger* Current = nullptr;
  std::unique_ptr<TFFLogger> Owned;
};

TLoggerSingleton& Singleton() {
  static TLoggerSingleton singleton;
  return singleton;
}

// AFormat filled with AArgs, however long the result (the buffer grows to fit).
std::string FormatVarArgs(const char* AFormat, va_list AArgs) {
  char small[512];
  va_list copy;
  va_copy(copy, AArgs);
  const int needed = std::vsnprintf(small, sizeof small, AFormat, copy);
  va_end(copy);
  if (needed < 0) return {};
  if (static_cast<size_t>(needed) < sizeof small) return std::string(small, static_cast<size_t>(needed));
  std::string text(static_cast<size_t>(needed) + 1, '\0');
  va_copy(copy, AArgs);
  std::vsnprintf(text.data(), text.size(), AFormat, copy);
  va_end(copy);
  text.resize(static_cast<size_t>(needed));
  return text;
}

// "[name @ 0x…]" for a library context: its class description is the first field it points to.
std::string ContextPrefix(void* AContext) {
  const AVClass* cls = *static_cast<const AVClass* const*>(AContext);
  const char* name = (cls && cls->item_name) ? cls->item_name(AContext) : nullptr;
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "[%s @ %p]", name ? name : "NULL", AContext);
  return buffer;
}

}  // namespace

int LogLevelToAVLevel(TLogLevel ALevel) { return static_cast<int>(ALevel) * 8 - 8; }

TLogLevel AVLevelToLogLevel(int ALevel) {
  const int ordinal = std::clamp(ALevel / 8 + 1, 0, static_cast<int>(TLogLevel::llDebug));
  return static_cast<TLogLevel>(ordinal);
}

// ---- TLogList ----

void TLogList::Append(DWORD AThreadID, std::string_view APrefix, std::string_view APiece,
                      std::vector<std::string>& ALines) {
  std::lock_guard guard(FLock);
  std::string& pending = FItems[AThreadID];
  if (pending.empty()) pending.append(APrefix);
  pending.append(APiece);
  size_t start = 0;
  for (size_t feed = pending.find('\n'); feed != std::string::npos; feed = pending.find('\n', start)) {
    ALines.emplace_back(pending, start, feed - start);
    start = feed + 1;
  }
  pending.erase(0, start);
}

std::string TLogList::Pending(DWORD AThreadID) const {
  std::lock_guard guard(FLock);
  auto it = FItems.find(AThreadID);
  return it == FItems.end() ? std::string() : it->second;
}

void TLogList::Clear() {
  std::lock_guard guard(FLock);
  FItems.clear();
}

TLogList& LogList() {
  static TLogList list;
  return list;
}

// ---- causes of failures ----

static TLibraryErrorCapture*& CurrentCapture() {
  thread_local TLibraryErrorCapture* current = nullptr;
  return current;
}

TLibraryErrorCapture::TLibraryErrorCapture() : FOuter(CurrentCapture()) { CurrentCapture() = this; }

TLibraryErrorCapture::~TLibraryErrorCapture() { CurrentCapture() = FOuter; }

std::string TLibraryErrorCapture::WithCause(const std::string& AText) const {
  const std::string cause = FCause.empty() ? FPartial : FCause;
  return cause.empty() ? AText : AText + ": " + cause;
}

void TLibraryErrorCapture::Take(const std::string& APiece) {
  TLibraryErrorCapture* capture = CurrentCapture();
  if (!capture || !capture->FCause.empty()) return;
  capture->FPartial += APiece;
  const size_t end = capture->FPartial.find('\n');
  if (end == std::string::npos) return;
  std::string line = capture->FPartial.substr(0, end);
  capture->FPartial.clear();
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '.')) line.pop_back();
  capture->FCause = line;
}

// ---- the library callback ----

void AVLogCallback(void* AContext, int ALevel, const char* AFormat, va_list AArgs) {
  if (!AFormat) return;
  const bool logged = ALevel <= LibraryLogLevel().load();
  const bool captured = ALevel <= AV_LOG_ERROR && CurrentCapture() != nullptr;
  if (!logged && !captured) return;
  const std::string piece = FormatVarArgs(AFormat, AArgs);
  if (captured) TLibraryErrorCapture::Take(piece);
  if (!logged) return;
  const DWORD thread = GetCurrentThreadId();
  // The prefix only counts when a new line begins; it is cheap enough to make every time.
  const std::string prefix = AContext && LogList().Pending(thread).empty() ? ContextPrefix(AContext) : std::string();
  std::vector<std::string> lines;
  LogList().Append(thread, prefix, piece, lines);
  for (const std::string& line : lines) GetLogger()->LogLibraryLine(thread, ALevel, line);
}

// ---- TFFLogger ----

TFFLogger::TFFLogger(TComponent* AOwner) : TFFBaseComponent(AOwner) {
  TLoggerSingleton& singleton = Singleton();
  std::lock_guard guard(singleton.Lock);
  PLATFORM_ASSERT(singleton.Current == nullptr, "Allow creating only one instance of TFFLogger.");
  FAlive = LifeToken();
  FLogLevel = AVLevelToLogLevel(LibraryLogLevel().load());
  singleton.Current = this;
}

TFFLogger::~TFFLogger() {
  TLoggerSingleton& singleton = Singleton();
  std::lock_guard guard(singleton.Lock);
  if (singleton.Current != this) return;
  // Library lines must no longer reach a logger that is gone.
  if (av::av_log_set_callback && av::av_log_default_callback) av::av_log_set_callback(av::av_log_default_callback);
  singleton.Current = nullptr;
}

TFFLogger* GetLogger() {
  TLoggerSingleton& singleton = Singleton();
  {
    std::lock_guard guard(singleton.Lock);
    if (singleton.Current) return singleton.Current;
  }
  std::lock_guard creating(singleton.CreateLock);
  {
    std::lock_guard guard(singleton.Lock);
    if (singleton.Current) return singleton.Current;
  }
  auto logger = std::make_unique<TFFLogger>(nullptr);
  std::lock_guard guard(singleton.Lock);
  singleton.Owned = std::move(logger);
  return singleton.Current;
}

void TFFLogger::SetLogLevel(TLogLevel Value) {
  if (Value == FLogLevel) return;
  FLogLevel = Value;
  ApplyLogLevel();
}

void TFFLogger::ApplyLogLevel() {
  if (!av::av_log_set_level) return;
  LibraryLogLevel().store(LogLevelToAVLevel(FLogLevel));
  av::av_log_set_level(LogLevelToAVLevel(FLogLevel));
}

void TFFLogger::InstallAVLogCallback() {
  PLATFORM_ASSERT(av::av_log_set_callback != nullptr, "av_log_set_callback is not bound");
  PLATFORM_ASSERT(av::av_log_set_level != nullptr, "av_log_set_level is not bound");
  av::av_log_set_callback(AVLogCallback);
  ApplyLogLevel();
}

void TFFLogger::OptLogLevel(const std::string& arg) {
  static const std::pair<const char*, int> names[] = {{"quiet", -8},  {"panic", 0}, {"fatal", 8},
                                                      {"error", 16},  {"warning", 24}, {"info", 32},
                                                      {"verbose", 40}, {"debug", 48}};
  int level = 0;
  auto named = std::find_if(std::begin(names), std::end(names), [&](const auto& n) { return SameText(arg, n.first); });
  level = named != std::end(names) ? named->second : StrToInt(arg);
  SetLogLevel(AVLevelToLogLevel(level));
}

bool TFFLogger::Passes(TLogLevel ALogLevel) const {
  if (!OnLog) return false;
  return ALogLevel <= FLogLevel || (ALogLevel == TLogLevel::llVerbose && FLogLevel != TLogLevel::llQuiet);
}

void TFFLogger::Log(TObject* Sender, TLogLevel ALogLevel, const std::string& ALogMsg) {
  if (!Passes(ALogLevel)) return;
  Deliver(TLogInfo{Sender, GetCurrentThreadId(), ALogLevel, ALogMsg});
}

void TFFLogger::LogLibraryLine(DWORD AThreadID, int ALevel, const std::string& ALine) {
  if (!OnLog) return;
  Deliver(TLogInfo{this, AThreadID, AVLevelToLogLevel(ALevel), ALine});
}

void TFFLogger::Deliver(TLogInfo AInfo) {
  if (!FTriggerEventInMainThread) {
    std::lock_guard guard(FDeliverLock);
    DoLog(AInfo);
    return;
  }
  if (GetCurrentThreadId() == MainThreadID()) {
    DoLog(AInfo);
    return;
  }
  // Queued, never waited for: the line is run on the GUI thread after the lines queued before it,
  // and dropped when the logger has gone by then.
  std::weak_ptr<void> alive = FAlive;
  TThread::Queue(nullptr, [this, alive, info = std::move(AInfo)] {
    if (!alive.expired()) DoLog(info);
  });
}

void TFFLogger::DoLog(const TLogInfo& AInfo) {
  if (OnLog) OnLog(AInfo.Sender, AInfo.ThreadID, AInfo.LogLevel, AInfo.LogMsg);
}
