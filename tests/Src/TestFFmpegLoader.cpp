#include "Src/FFmpegLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "MediaFixtures.h"
#include "Src/AVCodecStubs.h"
#include "Src/AVFilterStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/SwResampleStubs.h"

namespace {

namespace fs = std::filesystem;

// Where the system keeps the media libraries.
fs::path SystemLibraries() {
  static const fs::path dir = [] {
    std::string out = fixtures::Run("pkg-config --variable=libdir libavcodec");
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return fs::path(out.empty() ? "/usr/lib/x86_64-linux-gnu" : out);
  }();
  return dir;
}

// The library folder as the process starts, before any case (or component) sets another.
const std::string LibraryPathAtStart = FFLoader().LibraryPath();

// Two components, told apart by their addresses.
const int ProbeHolder = 0;
const int ConverterHolder = 0;

// A library folder holding links to the system's copies of the converter's libraries, with the
// file AOddName left out, replaced by junk, or linked to a library that lacks the exports.
enum class TOddFile { Missing, Junk, WrongLibrary };

fs::path MakeLibraryFolder(const std::string& AOddName, TOddFile AOdd) {
  const fs::path dir = fixtures::ScratchFolder("libav");
  for (TLibrary lib : {TLibrary::avCodec, TLibrary::avFilter, TLibrary::avFormat, TLibrary::avUtil, TLibrary::swScale,
                       TLibrary::swResample}) {
    const std::string name = FFLoader().LibraryFileName(lib);
    if (name == AOddName) continue;
    fs::create_symlink(SystemLibraries() / name, dir / name);
  }
  if (AOdd == TOddFile::Junk) std::ofstream(dir / AOddName) << "this is not a shared library\n";
  if (AOdd == TOddFile::WrongLibrary) fs::create_symlink(SystemLibraries() / "libz.so.1", dir / AOddName);
  return dir;
}

class LoaderTest : public ::testing::Test {
 protected:
  // Other components of the process (earlier cases) may hold libraries for the rest of the
  // process: holders are counted on top of theirs, and a library they hold stays loaded.
  void SetUp() override {
    savedPath_ = FFLoader().LibraryPath();
    for (TLibrary lib : {TLibrary::avCodec, TLibrary::avDevice, TLibrary::avFilter, TLibrary::avFormat, TLibrary::avUtil,
                         TLibrary::swScale, TLibrary::swResample, TLibrary::myUtil, TLibrary::lbSDL})
      held_[static_cast<int>(lib)] = FFLoader().HolderCount(lib);
  }
  int HeldBefore(TLibrary ALibrary) const { return held_[static_cast<int>(ALibrary)]; }
  bool HeldElsewhere(TLibrary ALibrary) const { return HeldBefore(ALibrary) > 0; }
  void TearDown() override {
    FFLoader().Unload(PlayerLibraries + TLibraries{TLibrary::avDevice}, &ProbeHolder);
    FFLoader().Unload(PlayerLibraries + TLibraries{TLibrary::avDevice}, &ConverterHolder);
    FFLoader().Unload(PlayerLibraries + TLibraries{TLibrary::avDevice});
    FFLoader().SetLibraryPath(savedPath_);
  }
  std::string savedPath_;
  int held_[9] = {};
};

TEST_F(LoaderTest, FileNamesAndDefaultFolder) {
  EXPECT_EQ(FFLoader().LibraryFileName(TLibrary::avCodec), "libavcodec.so.59");
  EXPECT_EQ(FFLoader().LibraryFileName(TLibrary::avFilter), "libavfilter.so.8");
  EXPECT_EQ(FFLoader().LibraryFileName(TLibrary::swResample), "libswresample.so.4");
  EXPECT_EQ(FFLoader().LibraryFileName(TLibrary::myUtil), "libc.so.6");
  EXPECT_EQ(FFLoader().LibraryFileName(TLibrary::lbSDL), "libSDL-1.2.so.0");
  const fs::path exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(LibraryPathAtStart, exe.parent_path().string() + "/LibAV");
}

TEST_F(LoaderTest, SecondSetLoadsOnlyWhatIsNewAndUnloadKeepsSharedLibraries) {
  ASSERT_TRUE(FFLoader().Load(ProbeLibraries, &ProbeHolder)) << FFLoader().LastErrMsg();
  EXPECT_TRUE(FFLoader().Loaded(ProbeLibraries));
  EXPECT_EQ(FFLoader().Loaded(TLibrary::avFilter), HeldElsewhere(TLibrary::avFilter));
  ASSERT_NE(av::avcodec_open2, nullptr);
  const auto openBefore = av::avcodec_open2;

  ASSERT_TRUE(FFLoader().Load(ConverterLibraries, &ConverterHolder)) << FFLoader().LastErrMsg();
  EXPECT_EQ(av::avcodec_open2, openBefore);
  EXPECT_EQ(FFLoader().HolderCount(TLibrary::avCodec), HeldBefore(TLibrary::avCodec) + 2);
  EXPECT_EQ(FFLoader().HolderCount(TLibrary::avFilter), HeldBefore(TLibrary::avFilter) + 1);
  EXPECT_EQ(FFLoader().HolderCount(TLibrary::swResample), HeldBefore(TLibrary::swResample) + 1);
  // Loading the same set again for the same component takes nothing new.
  ASSERT_TRUE(FFLoader().Load(ConverterLibraries, &ConverterHolder));
  EXPECT_EQ(FFLoader().HolderCount(TLibrary::avFilter), HeldBefore(TLibrary::avFilter) + 1);

  FFLoader().Unload(ProbeLibraries, &ProbeHolder);
  EXPECT_TRUE(FFLoader().Loaded(ConverterLibraries)) << "the converter still holds the probe's libraries";
  EXPECT_NE(av::avformat_open_input, nullptr);

  FFLoader().Unload(ConverterLibraries, &ConverterHolder);
  for (TLibrary lib : {TLibrary::avCodec, TLibrary::avFilter, TLibrary::avFormat, TLibrary::avUtil,
                       TLibrary::swScale, TLibrary::swResample, TLibrary::myUtil}) {
    SCOPED_TRACE(FFLoader().LibraryFileName(lib));
    EXPECT_EQ(FFLoader().Loaded(lib), HeldElsewhere(lib));
    EXPECT_EQ(FFLoader().HolderCount(lib), HeldBefore(lib));
  }
  if (!HeldElsewhere(TLibrary::avCodec)) EXPECT_EQ(av::avcodec_open2, nullptr);
  if (!HeldElsewhere(TLibrary::swResample)) EXPECT_EQ(av::swr_convert, nullptr);
}

TEST_F(LoaderTest, FolderLackingAFileFallsBackToTheSystemSearch) {
  const fs::path dir = MakeLibraryFolder("libavfilter.so.8", TOddFile::Missing);
  FFLoader().SetLibraryPath(dir.string());
  EXPECT_TRUE(FFLoader().Load(ConverterLibraries, &ConverterHolder)) << FFLoader().LastErrMsg();
  EXPECT_NE(av::avfilter_graph_alloc, nullptr);
  fs::remove_all(dir);
}

TEST_F(LoaderTest, FailingFolderLeavesNothingOfTheSetButKeepsOtherHolders) {
  struct TCase {
    const char* Name;
    TOddFile Odd;
    std::string ExpectedStart;
  };
  const TCase cases[] = {
      {"junk avfilter", TOddFile::Junk, "Load library "},
      {"avfilter without its exports", TOddFile::WrongLibrary, "Load function av_filter_iterate@libavfilter.so.8 error: "},
  };
  // A library some other component holds is not loaded again, so its folder's copy is never tried.
  if (HeldElsewhere(TLibrary::avFilter)) GTEST_SKIP() << "another component of the process holds avfilter";
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    // The probe loaded its set from the system beforehand.
    FFLoader().SetLibraryPath("");
    ASSERT_TRUE(FFLoader().Load(ProbeLibraries, &ProbeHolder)) << FFLoader().LastErrMsg();

    const fs::path dir = MakeLibraryFolder("libavfilter.so.8", c.Odd);
    FFLoader().SetLibraryPath(dir.string());
    EXPECT_FALSE(FFLoader().Load(ConverterLibraries, &ConverterHolder));
    const std::string error = FFLoader().LastErrMsg();
    EXPECT_EQ(error.rfind(c.ExpectedStart, 0), 0u) << error;
    if (c.Odd == TOddFile::Junk) {
      EXPECT_NE(error.find(dir.string() + "/libavfilter.so.8 error: "), std::string::npos) << error;
    }
    EXPECT_FALSE(FFLoader().Loaded(TLibrary::avFilter));
    EXPECT_EQ(FFLoader().Loaded(TLibrary::swResample), HeldElsewhere(TLibrary::swResample))
        << "loaded for the converter alone, so given back";
    EXPECT_EQ(FFLoader().HolderCount(TLibrary::swResample), HeldBefore(TLibrary::swResample));
    EXPECT_EQ(av::avfilter_graph_alloc, nullptr);
    EXPECT_EQ(av::av_filter_iterate, nullptr) << "a failed binding clears what it bound";
    EXPECT_TRUE(FFLoader().Loaded(ProbeLibraries)) << "the probe's libraries stay";
    EXPECT_EQ(FFLoader().HolderCount(TLibrary::avCodec), HeldBefore(TLibrary::avCodec) + 1);

    FFLoader().Unload(ProbeLibraries, &ProbeHolder);
    EXPECT_EQ(FFLoader().Loaded(TLibrary::avCodec), HeldElsewhere(TLibrary::avCodec));
    fs::remove_all(dir);
  }
}

TEST_F(LoaderTest, MissingLibraryNamesTheFileAndLoadsNothing) {
  FFLoader().SetLibraryPath("");
  // A set whose one library cannot be found anywhere: SDL is asked for under a folder without it
  // while the other libraries load; the failure is reported by name.
  const fs::path dir = MakeLibraryFolder("libSDL-1.2.so.0", TOddFile::Junk);
  FFLoader().SetLibraryPath(dir.string());
  if (HeldElsewhere(TLibrary::lbSDL)) {
    fs::remove_all(dir);
    GTEST_SKIP() << "another component of the process holds SDL";
  }
  EXPECT_FALSE(FFLoader().Load(PlayerLibraries, &ConverterHolder));
  EXPECT_NE(FFLoader().LastErrMsg().find("libSDL-1.2.so.0"), std::string::npos) << FFLoader().LastErrMsg();
  for (TLibrary lib : {TLibrary::avCodec, TLibrary::avFilter, TLibrary::avUtil, TLibrary::lbSDL}) {
    SCOPED_TRACE(FFLoader().LibraryFileName(lib));
    EXPECT_EQ(FFLoader().Loaded(lib), HeldElsewhere(lib));
    EXPECT_EQ(FFLoader().HolderCount(lib), HeldBefore(lib));
  }
  fs::remove_all(dir);
}

TEST_F(LoaderTest, EmptySetIsAProgrammingError) {
  EXPECT_THROW(FFLoader().Load(TLibraries{}), EAssertionFailed);
  EXPECT_THROW((void)FFLoader().Loaded(TLibraries{}), EAssertionFailed);
  EXPECT_THROW(FFLoader().Unload(TLibraries{}), EAssertionFailed);
}

// The holder enters again (a codec call under the lock may open another codec); no other thread
// enters until every entry has been left.
TEST_F(LoaderTest, CodecLockIsReentrantForItsHolderOnly) {
  const auto otherThreadEnters = [] {
    bool entered = false;
    std::thread([&] {
      entered = CodecLock().TryEnter();
      if (entered) CodecLock().Leave();
    }).join();
    return entered;
  };
  {
    std::lock_guard outer(CodecLock());
    ASSERT_TRUE(CodecLock().TryEnter()) << "the holder enters again";
    EXPECT_FALSE(otherThreadEnters()) << "held twice";
    CodecLock().Leave();
    EXPECT_FALSE(otherThreadEnters()) << "still held once";
  }
  EXPECT_TRUE(otherThreadEnters()) << "left as often as entered";
}

}  // namespace
