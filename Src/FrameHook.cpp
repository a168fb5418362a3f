#include "Src/FrameHook.h"

#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLogger.h"

namespace {

// The libraries loaded for hooks, by path. Never unloaded: a hook's code may still be referenced
// by a chain of another engine.
struct THookLibraries {
  std::mutex Lock;
  std::map<std::string, void*> Handles;
};

THookLibraries& HookLibraries() {
  static THookLibraries libraries;
  return libraries;
}

void LogError(const std::string& AText) {
  // The libraries' log when bound (it reaches the logger as a library line), else the logger.
  if (av::av_log)
    av::av_log(nullptr, AV_LOG_ERROR, "%s\n", AText.c_str());
  else
    GetLogger()->Log(nullptr, TLogLevel::llError, AText);
}

void* LoadHookLibrary(const std::string& APath) {
  THookLibraries& libs = HookLibraries();
  std::lock_guard<std::mutex> guard(libs.Lock);
  auto it = libs.Handles.find(APath);
  if (it != libs.Handles.end()) return it->second;
  void* handle = ::dlopen(APath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = ::dlerror();
    LogError(reason ? reason : ("cannot load " + APath));
    return nullptr;
  }
  libs.Handles.emplace(APath, handle);
  return handle;
}

}  // namespace

void TFrameHookChain::Release() {
  for (auto& entry : FEntries)
    if (entry->Release) entry->Release(entry->ctx);
  FEntries.clear();
}

std::string FrameHookLibraryPath(const std::string& AName) {
  if (AName.find('/') == std::string::npos) return AName;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(AName, error);
  return error ? AName : absolute.lexically_normal().string();
}

int FrameHookAdd(TFrameHookChain& AChain, const std::vector<std::string>& AArgs) {
  if (AArgs.empty()) return -2;
  const std::string path = FrameHookLibraryPath(AArgs[0]);
  void* handle = LoadHookLibrary(path);
  if (!handle) return -1;

  auto entry = std::make_unique<TFrameHookEntry>();
  entry->Configure = reinterpret_cast<TFrameHookConfigure>(::dlsym(handle, "Configure"));
  entry->Process = reinterpret_cast<TFrameHookProcess>(::dlsym(handle, "Process"));
  entry->Release = reinterpret_cast<TFrameHookRelease>(::dlsym(handle, "Release"));
  const int count = static_cast<int>(AArgs.size());
  if (!entry->Process) {
    LogError("Failed to find Process entrypoint in " + AArgs[0]);
    return -2;
  }
  if (!entry->Configure && count > 1) {
    LogError("Failed to find Configure entrypoint in " + AArgs[0]);
    return -2;
  }
  entry->args = AArgs;
  for (std::string& arg : entry->args) entry->argv.push_back(arg.data());
  entry->argv.push_back(nullptr);
  if (entry->Configure && entry->Configure(&entry->ctx, count, entry->argv.data(), count - 1) != 0) {
    LogError("Failed to Configure " + AArgs[0]);
    return -22;
  }
  AChain.Append(std::move(entry));
  return 0;
}

void FrameHookProcess(const TFrameHookChain& AChain, TFramePicture* APicture, int APixelFormat, int AWidth,
                      int AHeight, int64_t APts) {
  for (const auto& entry : AChain.Entries()) entry->Process(entry->ctx, APicture, APixelFormat, AWidth, AHeight, APts);
}

std::vector<std::string> SplitFrameHookArgs(const std::string& AValue) {
  const char separator = AValue.find('|') != std::string::npos ? '|' : ' ';
  std::vector<std::string> tokens;
  std::string current;
  for (char c : AValue) {
    if (c == separator) {
      if (!current.empty()) tokens.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) tokens.push_back(std::move(current));
  return tokens;
}
