// Frame-hook libraries: small plug-ins built by the test with the system's compiler, loaded,
// configured, run over a picture and released, alone and through the engine's "vhook" option.

#include "Src/FrameHook.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "FFmpegTestSupport.h"

namespace {

namespace fs = std::filesystem;

// The plug-in: it logs what it is asked to do into a text the test reads back through HookLog.
// NO_PROCESS, NO_CONFIGURE and NO_RELEASE leave an entry point out.
const char* HookSource = R"(
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

struct Picture { uint8_t* data[4]; int linesize[4]; };
struct Context { int id; };
static std::string Log;

extern "C" {
const char* HookLog() { return Log.c_str(); }
#ifndef NO_CONFIGURE
int Configure(void** ctx, int argc, char* argv[], int last_index) {
  Log += "configure";
  for (int i = 0; i < argc; ++i) { Log += " "; Log += argv[i] == argv[0] ? "<path>" : argv[i]; }
  Log += ";";
  if (argc > 1 && std::strcmp(argv[1], "refuse") == 0) return 1;
  if (last_index != argc - 1) return 2;
#ifdef NO_RELEASE
  static Context shared;  // nobody would free a context of its own
  Context* c = &shared;
#else
  Context* c = new Context;
#endif
  c->id = argc > 1 ? std::atoi(argv[1]) : 0;
  *ctx = c;
  return 0;
}
#endif
#ifndef NO_PROCESS
void Process(void* ctx, Picture* picture, int pix_fmt, int width, int height, int64_t pts) {
  Log += "process " + std::to_string(ctx ? static_cast<Context*>(ctx)->id : -1) + " " + std::to_string(pix_fmt) +
         " " + std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(pts) + ";";
  picture->data[0][0] += 1;
}
#endif
#ifndef NO_RELEASE
void Release(void* ctx) {
  Log += "release " + std::to_string(ctx ? static_cast<Context*>(ctx)->id : -1) + ";";
  delete static_cast<Context*>(ctx);
}
#endif
}
)";

class FrameHook : public ::testing::Test {
 protected:
  // The plug-ins are built once into the shared fixture folder (its name has a space) and
  // reused by the later test processes; each is built under a temporary name and renamed.
  static void SetUpTestSuite() {
    // The folder is named after the source, so a changed source is built afresh.
    Folder = new fs::path(fixtures::Folder() /
                          ("frame hooks " + std::to_string(std::hash<std::string>{}(HookSource) % 1000000007)));
    fs::create_directories(*Folder);
    const std::vector<std::pair<std::string, std::string>> variants = {
        {"full", ""}, {"noprocess", "-DNO_PROCESS"}, {"noconfigure", "-DNO_CONFIGURE"},
        {"norelease", "-DNO_RELEASE"}, {"second", ""}, {"refusing", ""}};
    const std::string tag = std::to_string(::getpid());
    const fs::path source = *Folder / ("hook-" + tag + ".cpp");
    std::ofstream(source) << HookSource;
    std::string command;
    for (const auto& [name, defines] : variants) {
      if (fs::exists(Library(name))) continue;
      const std::string temporary = Library(name) + "." + tag;
      command += "(c++ -shared -fPIC -O0 " + defines + " -o " + fixtures::Quoted(temporary) + " " +
                 fixtures::Quoted(source.string()) + " && mv -f " + fixtures::Quoted(temporary) + " " +
                 fixtures::Quoted(Library(name)) + ") 2>&1 & ";
    }
    const std::string errors = command.empty() ? std::string() : fixtures::Run(command + "wait");
    fs::remove(source);
    for (const auto& variant : variants) ASSERT_TRUE(fs::exists(Library(variant.first))) << command << "\n" << errors;
  }
  static void TearDownTestSuite() { delete Folder; }
  static std::string Library(const std::string& AName) { return (*Folder / ("lib" + AName + ".so")).string(); }
  // What the library AName has logged so far (it stays loaded once a hook loaded it).
  static std::string LogOf(const std::string& AName) {
    void* handle = ::dlopen(Library(AName).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return "<not loaded>";
    auto log = reinterpret_cast<const char* (*)()>(::dlsym(handle, "HookLog"));
    std::string text = log ? log() : "<no log>";
    ::dlclose(handle);
    return text;
  }
  static fs::path* Folder;
};

fs::path* FrameHook::Folder = nullptr;

TEST_F(FrameHook, ArgumentsSplitAtBarsOrSpaces) {
  EXPECT_EQ(SplitFrameHookArgs("/a/b.so  1 two"), (std::vector<std::string>{"/a/b.so", "1", "two"}));
  EXPECT_EQ(SplitFrameHookArgs("/a b/c.so|1 2||x"), (std::vector<std::string>{"/a b/c.so", "1 2", "x"}));
  EXPECT_TRUE(SplitFrameHookArgs("   ").empty());
  EXPECT_EQ(FrameHookLibraryPath("plain.so"), "plain.so");
  EXPECT_EQ(FrameHookLibraryPath("sub/../x.so"), (fs::current_path() / "x.so").string());
}

TEST_F(FrameHook, ChainIsConfiguredRunInOrderAndReleased) {
  uint8_t pixel = 10;
  TFramePicture picture;
  picture.data[0] = &pixel;
  {
    TFrameHookChain chain;
    ASSERT_EQ(FrameHookAdd(chain, {Library("full"), "7", "x"}), 0);
    ASSERT_EQ(FrameHookAdd(chain, {Library("full"), "8"}), 0);  // the same library: loaded once
    EXPECT_EQ(chain.Count(), 2);
    FrameHookProcess(chain, &picture, 0, 160, 120, 40000);
    EXPECT_EQ(pixel, 12);
    chain.Release();
    EXPECT_TRUE(chain.Empty());
  }
  EXPECT_EQ(LogOf("full"),
            "configure <path> 7 x;configure <path> 8;process 7 0 160x120 40000;process 8 0 160x120 40000;"
            "release 7;release 8;");
}

TEST_F(FrameHook, LibrariesWithoutEntryPoints) {
  struct TCase {
    std::vector<std::string> Args;
    int Result;
  };
  const std::vector<TCase> cases = {
      {{}, -2},
      {{Library("noprocess")}, -2},
      {{Library("noconfigure"), "1"}, -2},
      {{Library("noconfigure")}, 0},
      {{Library("refusing"), "refuse"}, -22},
      {{(*Folder / "missing.so").string()}, -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Args.empty() ? "(none)" : c.Args[0]);
    TFrameHookChain chain;
    EXPECT_EQ(FrameHookAdd(chain, c.Args), c.Result);
    EXPECT_EQ(chain.Count(), c.Result == 0 ? 1 : 0);
  }
  // Release is called only where the library has one.
  TFrameHookChain chain;
  ASSERT_EQ(FrameHookAdd(chain, {Library("norelease"), "3"}), 0);
  chain.Release();
  EXPECT_EQ(LogOf("norelease"), "configure <path> 3;");
}

TEST_F(FrameHook, TheEngineOptionAddsHooksAndFreesThemWithTheJob) {
  enginetest::LoadLibraries();
  auto engine = enginetest::NewEngine();
  // The folder name has a space: the bar form keeps the path whole.
  engine->ParseOption("vhook", Library("second") + "|5");
  EXPECT_TRUE(engine->Fusing_vhook);
  const std::string bad = Library("noprocess");
  EXPECT_EQ(enginetest::ErrorOf([&] { engine->ParseOption("vhook", bad); }),
            "Failed to add video hook function: " + bad);
  engine->FreeResources();
  EXPECT_EQ(LogOf("second"), "configure <path> 5;release 5;");
}

}  // namespace
