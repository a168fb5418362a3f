#pragma once
// Run-time loading of the media libraries, SDL and the C runtime library.
//
// The framework never links these libraries: each binding unit (AVCodecStubs, AVFormatStubs, …,
// libsdl) declares one function reference per entry point it uses, and the loader fills them from
// the library's exports after loading it with dlopen. Components load whole sets of libraries
// (TLibraries) through the one loader, FFLoader(), and name themselves as the holder, so that one
// component's unload never takes a library from another component that still holds it.
//
// Threads: Load and Unload are meant for the GUI thread; the state is guarded anyway, so a worker
// that asks Loaded() sees a consistent answer.

#include <dlfcn.h>

#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"
#include "platform/core/Set.h"
#include "platform/core/SyncObjs.h"

// The libraries the framework knows. The declaration order is the order of the library table;
// a set is loaded in dependency order (a library after those it needs), see LoadOrder().
enum class TLibrary { avCodec, avDevice, avFilter, avFormat, avUtil, swScale, swResample, myUtil, lbSDL };
using TLibraries = TSet<TLibrary>;

// The sets the components load.
inline constexpr TLibraries ProbeLibraries{TLibrary::avCodec, TLibrary::avFormat, TLibrary::avUtil,
                                           TLibrary::swScale, TLibrary::myUtil};
inline constexpr TLibraries ConverterLibraries{TLibrary::avCodec,  TLibrary::avFilter,   TLibrary::avFormat,
                                               TLibrary::avUtil,   TLibrary::swScale,    TLibrary::swResample,
                                               TLibrary::myUtil};
inline constexpr TLibraries PlayerLibraries = ConverterLibraries + TLibraries{TLibrary::lbSDL};

// Binds every entry point of one library from its module handle; ALibName (the file name) is only
// used in error messages. Raises Exception when an export is missing.
using TFixupProc = void (*)(const std::string& ALibName, void* AHandle);
// Resets every entry point reference of one library to nullptr.
using TUnfixProc = void (*)();

// One row of the library table. The file name is "lib" + Name + ".so" + ("." + Version when
// Version >= 0), e.g. "libavcodec.so.59".
struct TLibraryItem {
  TLibrary Lib;
  const char* Name;
  int Version;
  TFixupProc Fixup;
  TUnfixProc Unfix;
};

class TFFmpegLoader : public TObject {
 public:
  TFFmpegLoader() = default;

  // Loads and binds one library (a no-op when it is already bound) and records AHolder as one of
  // its holders. False when the file cannot be loaded or an export is missing; LastErrMsg() then
  // says why ("Load library %s error: %s", "Load function %s@%s error: %s") and nothing of the
  // library stays loaded unless another holder had it already.
  bool Load(TLibrary ALibrary, const void* AHolder = nullptr);
  // Loads every library of the set in dependency order. On the first failure every library this
  // call had added AHolder to is released again, so a failed set leaves nothing behind except what
  // other holders (or AHolder itself, earlier) already held. Raises EAssertionFailed for an empty set.
  bool Load(TLibraries ALibraries, const void* AHolder = nullptr);

  // True when the library is loaded and bound. Raises EAssertionFailed for an empty set.
  [[nodiscard]] bool Loaded(TLibrary ALibrary) const;
  [[nodiscard]] bool Loaded(TLibraries ALibraries) const;

  // Removes AHolder from the library's holders; the last holder's unload unbinds the library and
  // frees the module. A holder that does not hold the library changes nothing.
  void Unload(TLibrary ALibrary, const void* AHolder = nullptr);
  // Unload of every library of the set, in reverse dependency order. Raises EAssertionFailed for an
  // empty set.
  void Unload(TLibraries ALibraries, const void* AHolder = nullptr);

  // Number of distinct holders of the library (0 when it is not loaded).
  [[nodiscard]] int HolderCount(TLibrary ALibrary) const;

  // The library's file name, e.g. "libavformat.so.59".
  [[nodiscard]] std::string LibraryFileName(TLibrary ALibrary) const;

  // The text of the last failure of any loader operation (shared by every component).
  [[nodiscard]] std::string LastErrMsg() const;
  // The folder searched first; defaults to "LibAV" beside the executable. A library missing there
  // is loaded through the system's search.
  [[nodiscard]] std::string LibraryPath() const;
  void SetLibraryPath(const std::string& Value);

  // When True (the default), binding libavutil installs the logger's library log callback.
  [[nodiscard]] bool InstallLogger() const { return FInstallLogger; }
  void SetInstallLogger(bool Value) { FInstallLogger = Value; }

 private:
  bool FInstallLogger = true;
};

// The one loader of the process.
TFFmpegLoader& FFLoader();

// The process-wide lock around every codec open and close (probe, player and engines). Re-entrant
// for its holder; take it with std::lock_guard so that it is released when the call raises.
TCriticalSection& CodecLock();

struct AVCodec;

// Held shared around every call into an encoder whose library rebuilds tables all its encoders
// share each time one of them opens (Xvid), and exclusively around that open: an encode running
// while another task opens such an encoder would write a damaged picture.
std::shared_mutex& SharedTablesEncoderLock();
// Whether an encoder is of that kind.
bool EncoderSharesTables(const AVCodec* AEncoder);

// The table row of a library.
[[nodiscard]] const TLibraryItem& LibraryItem(TLibrary ALibrary);

// Loads ADir + AFileName when ADir is not empty and that file exists, otherwise AFileName through
// the system's search. Answers the module handle, or nullptr with the system's reason in AError.
// The module is loaded with its symbols kept local, so copies of libraries in ADir that were
// loaded first (dependency order) serve as the dependencies of those loaded after them.
void* LoadLibraryFromDir(const std::string& ADir, const std::string& AFileName, std::string& AError);

// Looks AName up among the exports of AHandle and stores it in AProc; raises Exception with
// "Load function %s@%s error: %s" (name, library file name, system text) when it is absent.
void* BindFunctionAddress(const std::string& ALibName, void* AHandle, const char* AName);

template <typename F>
void BindFunction(const std::string& ALibName, void* AHandle, const char* AName, F& AProc) {
  AProc = reinterpret_cast<F>(BindFunctionAddress(ALibName, AHandle, AName));
}

// Declares one function reference of the exact type of the library's declaration.
#define FFLOADER_DECLARE_REFERENCE(name) inline decltype(&::name) name = nullptr;
