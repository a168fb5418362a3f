#pragma once
// Frame hooks: plug-in libraries that see, and may change, every decoded video picture of a job
// before it is encoded. A library exports "Configure", "Process" and optionally "Release" (C
// calling convention):
//
//   int  Configure(void** ctx, int argc, char* argv[], int last_index);  // 0 = success
//   void Process(void* ctx, TFramePicture* picture, int pix_fmt, int width, int height, int64_t pts);
//   void Release(void* ctx);
//
// argv[0] is the library's path, argv[1..] its arguments; argv stays valid until the chain is
// released. A library is loaded once per process (by its absolute path) and stays loaded; each
// engine keeps its own chain of configured entries. Loading changes neither the current folder
// nor the environment, so it is safe beside running workers.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The picture handed to Process: up to four planes with their line sizes.
struct TFramePicture {
  uint8_t* data[4] = {};
  int linesize[4] = {};
};

using TFrameHookConfigure = int (*)(void** ctx, int argc, char* argv[], int last_index);
using TFrameHookProcess = void (*)(void* ctx, TFramePicture* picture, int pix_fmt, int width, int height,
                                   int64_t pts);
using TFrameHookRelease = void (*)(void* ctx);

// One configured hook.
struct TFrameHookEntry {
  TFrameHookConfigure Configure = nullptr;
  TFrameHookProcess Process = nullptr;
  TFrameHookRelease Release = nullptr;  // null when the library has none
  void* ctx = nullptr;                  // the hook's own context, filled by Configure
  std::vector<std::string> args;        // storage argv points into
  std::vector<char*> argv;
};

// The hooks of one engine, run in the order they were added. Released (each Release called) when
// the chain is cleared or destroyed.
class TFrameHookChain {
 public:
  TFrameHookChain() = default;
  TFrameHookChain(const TFrameHookChain&) = delete;
  TFrameHookChain& operator=(const TFrameHookChain&) = delete;
  ~TFrameHookChain() { Release(); }

  [[nodiscard]] bool Empty() const { return FEntries.empty(); }
  [[nodiscard]] int Count() const { return static_cast<int>(FEntries.size()); }
  // Calls Release of every entry that has one, in chain order, and empties the chain.
  void Release();
  void Append(std::unique_ptr<TFrameHookEntry> AEntry) { FEntries.push_back(std::move(AEntry)); }
  [[nodiscard]] const std::vector<std::unique_ptr<TFrameHookEntry>>& Entries() const { return FEntries; }

 private:
  std::vector<std::unique_ptr<TFrameHookEntry>> FEntries;
};

// Loads (once per process) the library AArgs[0], configures a new entry with AArgs and appends it
// to AChain. 0 on success; -2 for no arguments or a library without Process (or without Configure
// while arguments are given), -1 when the library cannot be loaded, -22 when Configure refuses.
// The reason is logged at error level.
int FrameHookAdd(TFrameHookChain& AChain, const std::vector<std::string>& AArgs);
// Runs every hook of the chain, in chain order, on the picture.
void FrameHookProcess(const TFrameHookChain& AChain, TFramePicture* APicture, int APixelFormat, int AWidth,
                      int AHeight, int64_t APts);
// Splits a "vhook" value into the library path and its arguments: at "|" when the value has one,
// otherwise at spaces; runs of separators give no empty token.
[[nodiscard]] std::vector<std::string> SplitFrameHookArgs(const std::string& AValue);
// The path FrameHookAdd opens for AName: absolute (against the current folder) when it names a
// folder, unchanged when it is a bare file name (found through the system's search).
[[nodiscard]] std::string FrameHookLibraryPath(const std::string& AName);
