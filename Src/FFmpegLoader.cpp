#include "Src/FFmpegLoader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <set>

#include "Src/AVCodecStubs.h"
#include "Src/AVDeviceStubs.h"
#include "Src/AVFilterStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLogger.h"
#include "Src/MyUtilStubs.h"
#include "Src/MyUtils.h"
#include "Src/SwResampleStubs.h"
#include "Src/SwScaleStubs.h"
#include "Src/libsdl.h"

namespace {

constexpr int LibraryCount = static_cast<int>(TLibrary::lbSDL) + 1;

constexpr std::array<TLibraryItem, LibraryCount> LibraryTable{{
    {TLibrary::avCodec, "avcodec", 59, BindAVCodecFunctions, UnbindAVCodecFunctions},
    {TLibrary::avDevice, "avdevice", 59, BindAVDeviceFunctions, UnbindAVDeviceFunctions},
    {TLibrary::avFilter, "avfilter", 8, BindAVFilterFunctions, UnbindAVFilterFunctions},
    {TLibrary::avFormat, "avformat", 59, BindAVFormatFunctions, UnbindAVFormatFunctions},
    {TLibrary::avUtil, "avutil", 57, BindAVUtilFunctions, UnbindAVUtilFunctions},
    {TLibrary::swScale, "swscale", 6, BindSwScaleFunctions, UnbindSwScaleFunctions},
    {TLibrary::swResample, "swresample", 4, BindSwResampleFunctions, UnbindSwResampleFunctions},
    {TLibrary::myUtil, "c", 6, BindMsvcrtFunctions, UnbindMsvcrtFunctions},
    {TLibrary::lbSDL, "SDL-1.2", 0, BindSDLFunctions, UnbindSDLFunctions},
}};

// A library before the libraries that need it, so that copies in the library folder, loaded by
// their full path, are already present when a later library asks for them by name.
constexpr std::array<TLibrary, LibraryCount> DependencyOrder{
    TLibrary::myUtil,  TLibrary::avUtil,   TLibrary::swResample, TLibrary::swScale, TLibrary::avCodec,
    TLibrary::avFormat, TLibrary::avFilter, TLibrary::avDevice,   TLibrary::lbSDL};

struct TLibraryStatus {
  void* Handle = nullptr;
  bool Fixuped = false;
  std::set<const void*> Holders;
};

// The loader's state, shared by every loader object.
struct TLoaderState {
  std::recursive_mutex Lock;
  std::array<TLibraryStatus, LibraryCount> Status;
  std::string LastErrMsg;
  std::string LibraryPath = GetExePath() + "LibAV";
};

TLoaderState& State() {
  static TLoaderState state;
  return state;
}

TLibraryStatus& StatusOf(TLibrary ALibrary) { return State().Status[static_cast<int>(ALibrary)]; }

std::string WithTrailingDelimiter(const std::string& ADir) {
  if (ADir.empty() || ADir.back() == '/') return ADir;
  return ADir + "/";
}

bool IsRegularFile(const std::string& APath) {
  struct stat st {};
  return ::stat(APath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Unbinds and frees the module, whoever holds it.
void Release(TLibrary ALibrary) {
  TLibraryStatus& status = StatusOf(ALibrary);
  if (status.Fixuped) {
    // The module stays mapped, so its log callback would outlive the unload: give it back.
    if (ALibrary == TLibrary::avUtil) av::av_log_set_callback(av::av_log_default_callback);
    LibraryItem(ALibrary).Unfix();
    status.Fixuped = false;
  }
  if (status.Handle) {
    ::dlclose(status.Handle);
    status.Handle = nullptr;
  }
  status.Holders.clear();
}

// Loads and binds the library when needed; the holder is not recorded here.
bool LoadAndBind(TFFmpegLoader& ALoader, TLibrary ALibrary) {
  TLoaderState& state = State();
  TLibraryStatus& status = StatusOf(ALibrary);
  if (!status.Handle) {
    const std::string dir = WithTrailingDelimiter(state.LibraryPath);
    const std::string name = ALoader.LibraryFileName(ALibrary);
    std::string error;
    void* handle = LoadLibraryFromDir(dir, name, error);
    if (!handle) {
      state.LastErrMsg = "Load library " + dir + name + " error: " + error;
      return false;
    }
    status.Handle = handle;
  }
  if (!status.Fixuped) {
    try {
      LibraryItem(ALibrary).Fixup(ALoader.LibraryFileName(ALibrary), status.Handle);
      status.Fixuped = true;
    } catch (const Exception& e) {
      state.LastErrMsg = e.Message;
    }
  }
  if (!status.Fixuped) {
    // Some references may have been bound before the missing one: clear them with the module.
    LibraryItem(ALibrary).Unfix();
    ::dlclose(status.Handle);
    status.Handle = nullptr;
    return false;
  }
  if (ALibrary == TLibrary::avUtil && ALoader.InstallLogger()) GetLogger()->InstallAVLogCallback();
  return true;
}

}  // namespace

const TLibraryItem& LibraryItem(TLibrary ALibrary) { return LibraryTable[static_cast<int>(ALibrary)]; }

TFFmpegLoader& FFLoader() {
  static TFFmpegLoader loader;
  return loader;
}

TCriticalSection& CodecLock() {
  static TCriticalSection lock;
  return lock;
}

std::shared_mutex& SharedTablesEncoderLock() {
  static std::shared_mutex lock;
  return lock;
}

bool EncoderSharesTables(const AVCodec* AEncoder) {
  return AEncoder && std::strcmp(AEncoder->name, "libxvid") == 0;
}

bool TFFmpegLoader::Load(TLibrary ALibrary, const void* AHolder) {
  std::lock_guard guard(State().Lock);
  if (!LoadAndBind(*this, ALibrary)) return false;
  StatusOf(ALibrary).Holders.insert(AHolder);
  return true;
}

bool TFFmpegLoader::Load(TLibraries ALibraries, const void* AHolder) {
  PLATFORM_ASSERT(!ALibraries.Empty(), "Assertion failure");
  std::lock_guard guard(State().Lock);
  TLibraries added;
  for (TLibrary lib : DependencyOrder) {
    if (!ALibraries.Contains(lib)) continue;
    const bool held = StatusOf(lib).Holders.contains(AHolder);
    if (!Load(lib, AHolder)) {
      // Give back what this call took, newest first; libraries held before stay.
      for (auto it = DependencyOrder.rbegin(); it != DependencyOrder.rend(); ++it)
        if (added.Contains(*it)) Unload(*it, AHolder);
      return false;
    }
    if (!held) added.Include(lib);
  }
  return true;
}

bool TFFmpegLoader::Loaded(TLibrary ALibrary) const {
  std::lock_guard guard(State().Lock);
  const TLibraryStatus& status = StatusOf(ALibrary);
  return status.Handle != nullptr && status.Fixuped;
}

bool TFFmpegLoader::Loaded(TLibraries ALibraries) const {
  PLATFORM_ASSERT(!ALibraries.Empty(), "Assertion failure");
  for (TLibrary lib : DependencyOrder)
    if (ALibraries.Contains(lib) && !Loaded(lib)) return false;
  return true;
}

void TFFmpegLoader::Unload(TLibrary ALibrary, const void* AHolder) {
  std::lock_guard guard(State().Lock);
  TLibraryStatus& status = StatusOf(ALibrary);
  status.Holders.erase(AHolder);
  if (status.Holders.empty()) Release(ALibrary);
}

void TFFmpegLoader::Unload(TLibraries ALibraries, const void* AHolder) {
  PLATFORM_ASSERT(!ALibraries.Empty(), "Assertion failure");
  std::lock_guard guard(State().Lock);
  for (auto it = DependencyOrder.rbegin(); it != DependencyOrder.rend(); ++it)
    if (ALibraries.Contains(*it)) Unload(*it, AHolder);
}

int TFFmpegLoader::HolderCount(TLibrary ALibrary) const {
  std::lock_guard guard(State().Lock);
  return static_cast<int>(StatusOf(ALibrary).Holders.size());
}

std::string TFFmpegLoader::LibraryFileName(TLibrary ALibrary) const {
  const TLibraryItem& item = LibraryItem(ALibrary);
  std::string name = std::string("lib") + item.Name + ".so";
  if (item.Version >= 0) name += "." + std::to_string(item.Version);
  return name;
}

std::string TFFmpegLoader::LastErrMsg() const {
  std::lock_guard guard(State().Lock);
  return State().LastErrMsg;
}

std::string TFFmpegLoader::LibraryPath() const {
  std::lock_guard guard(State().Lock);
  return State().LibraryPath;
}

void TFFmpegLoader::SetLibraryPath(const std::string& Value) {
  std::lock_guard guard(State().Lock);
  State().LibraryPath = Value;
}

void* LoadLibraryFromDir(const std::string& ADir, const std::string& AFileName, std::string& AError) {
  const std::string dir = WithTrailingDelimiter(ADir);
  const bool local = !dir.empty() && IsRegularFile(dir + AFileName);
  const std::string target = local ? dir + AFileName : AFileName;
  // Never unmapped: the libraries and their own dependencies register exit handlers, keep
  // threads and static allocations that must not outlive their code. "Unloading" unbinds the
  // references and drops the handle; a later load binds the same module again.
  void* handle = ::dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    const char* reason = ::dlerror();
    AError = reason ? reason : "unknown error";
  }
  return handle;
}

void* BindFunctionAddress(const std::string& ALibName, void* AHandle, const char* AName) {
  ::dlerror();  // clear a stale message
  void* address = ::dlsym(AHandle, AName);
  if (!address) {
    const char* reason = ::dlerror();
    throw Exception("Load function " + std::string(AName) + "@" + ALibName +
                    " error: " + (reason ? reason : "the export is a null address"));
  }
  return address;
}
