#pragma once
// Shared set-up of the engine tests: the converter's libraries loaded once per test program, and
// an engine ready for a new job.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "MediaFixtures.h"
#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegLoader.h"

namespace enginetest {

inline void LoadLibraries() {
  static const int holder = 0;
  static const bool loaded = FFLoader().Load(ConverterLibraries, &holder);
  ASSERT_TRUE(loaded) << FFLoader().LastErrMsg();
}

// A new engine after the reset the component gives it before the first option of a task.
inline std::unique_ptr<TCustomFFmpeg> NewEngine(int AMaxFiles = 4) {
  auto engine = std::make_unique<TCustomFFmpeg>(AMaxFiles);
  engine->Reset();
  return engine;
}

// The message of the exception AAction raises ("" when it raises none).
template <typename F>
std::string ErrorOf(F&& AAction) {
  try {
    AAction();
  } catch (const Exception& e) {
    return e.Message;
  }
  return "";
}

// An entry of a dictionary ("" when absent).
inline std::string DictValue(const AVDictionary* ADict, const char* AKey) {
  const AVDictionaryEntry* e = av::av_dict_get(ADict, AKey, nullptr, 0);
  return e ? e->value : "";
}

// A 1-second MPEG program stream at 29.97 pictures a second (the NTSC rate), with sound.
inline std::string NtscFile() {
  return fixtures::Make("ntsc-av.mpg",
                        "-f lavfi -i testsrc=size=160x120:rate=30000/1001:duration=1 -f lavfi -i sine=duration=1 "
                        "-c:v mpeg2video -c:a mp2 -f mpeg");
}

// A file with only sound.
inline std::string AudioOnlyFile() { return fixtures::Container("a.wav"); }

}  // namespace enginetest
