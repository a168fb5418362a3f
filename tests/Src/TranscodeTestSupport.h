#pragma once
// Shared set-up of the conversion tests: small clips made at test time, jobs run through the
// engine's option names, and ffprobe's view of the result.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "FFmpegTestSupport.h"

namespace transcodetest {

namespace fs = std::filesystem;

// Three seconds of a 160x120 test picture at 25 pictures a second with a stereo 1 kHz tone at
// 48 kHz, in a container every decoder reads quickly.
inline std::string Clip() {
  return fixtures::Make("clip-3s.mkv",
                        "-f lavfi -i testsrc=size=160x120:rate=25:duration=3 "
                        "-f lavfi -i sine=frequency=1000:sample_rate=48000:duration=3 -ac 2 "
                        "-c:v mpeg4 -g 12 -bf 0 -q:v 4 -c:a pcm_s16le -f matroska");
}

// A second clip of two seconds, same kinds of streams (for joining).
inline std::string Clip2() {
  return fixtures::Make("clip-2s.mkv",
                        "-f lavfi -i testsrc2=size=160x120:rate=25:duration=2 "
                        "-f lavfi -i sine=frequency=500:sample_rate=48000:duration=2 -ac 2 "
                        "-c:v mpeg4 -g 12 -bf 0 -q:v 4 -c:a pcm_s16le -f matroska");
}

using TOptions = std::vector<std::pair<std::string, std::string>>;

struct TJobResult {
  bool Started = false;
  bool Finished = false;
  std::string Error;  // the job's fatal message, or the reason it could not be set up
};

// Runs one job in the caller's thread: the inputs (each preceded by AInputOptions), then
// AOutputOptions and the output file.
inline TJobResult RunJob(TCustomFFmpeg& AEngine, const std::vector<std::string>& AInputs, const TOptions& AOutputOptions,
                         const std::string& AOutput, bool AJoin = false, const TOptions& AInputOptions = {}) {
  TJobResult result;
  try {
    for (const std::string& input : AInputs) {
      for (const auto& [name, value] : AInputOptions) AEngine.ParseOption(name, value);
      AEngine.OptInputFile(input);
    }
    for (const auto& [name, value] : AOutputOptions) AEngine.ParseOption(name, value);
    AEngine.OptOutputFile(AOutput, AJoin);
  } catch (const Exception& e) {
    result.Error = e.Message;
    return result;
  }
  result.Started = true;
  AEngine.StartConvert(false);
  result.Finished = AEngine.Finished();
  result.Error = AEngine.FatalMessage();
  return result;
}

// ffprobe's flat view of a file.
inline std::map<std::string, std::string> Probe(const std::string& AFile) { return fixtures::Probe(AFile); }

inline std::string Value(const std::map<std::string, std::string>& AProbe, const std::string& AKey) {
  auto it = AProbe.find(AKey);
  return it == AProbe.end() ? std::string() : it->second;
}

// The index of the first stream of a kind ("video", "audio"), -1 when none.
inline int StreamOf(const std::map<std::string, std::string>& AProbe, const std::string& AKind) {
  for (int i = 0; i < 8; ++i)
    if (Value(AProbe, "streams.stream." + std::to_string(i) + ".codec_type") == AKind) return i;
  return -1;
}

inline std::string StreamValue(const std::map<std::string, std::string>& AProbe, const std::string& AKind,
                               const std::string& AKey) {
  const int i = StreamOf(AProbe, AKind);
  return i < 0 ? std::string() : Value(AProbe, "streams.stream." + std::to_string(i) + "." + AKey);
}

// Seconds of a number ffprobe printed; -1 when it printed none.
inline double Seconds(const std::string& AText) {
  try {
    return AText.empty() || AText == "N/A" ? -1 : std::stod(AText);
  } catch (...) {
    return -1;
  }
}

// The duration of a file as its streams' decoded packets say: the end of the last packet of the
// stream (ffprobe counts), for containers whose header carries no duration.
inline double DecodedDuration(const std::string& AFile, const std::string& ASelect) {
  const std::string out = fixtures::Run("ffprobe -v error -select_streams " + ASelect +
                                        " -show_entries packet=pts_time,duration_time -of csv=p=0 " +
                                        fixtures::Quoted(AFile));
  double end = -1, first = -1;
  for (const std::string& line : fixtures::Lines(out)) {
    const size_t comma = line.find(',');
    if (comma == std::string::npos) continue;
    const double pts = Seconds(line.substr(0, comma));
    const double duration = Seconds(line.substr(comma + 1));
    if (pts < 0) continue;
    if (first < 0 || pts < first) first = pts;
    end = std::max(end, pts + std::max(duration, 0.0));
  }
  return end < 0 ? -1 : end - std::max(first, 0.0);
}

// Number of audio samples the command-line tool decodes from a file.
inline long long DecodedAudioSamples(const std::string& AFile) {
  const std::string out = fixtures::Run("ffprobe -v error -select_streams a:0 -show_entries frame=nb_samples "
                                        "-of csv=p=0 " + fixtures::Quoted(AFile));
  long long total = 0;
  for (const std::string& line : fixtures::Lines(out)) {
    if (!line.empty()) total += std::stoll(line);
  }
  return total;
}

// A watchdog for waits on other threads.
template <typename F>
bool WaitFor(F&& ACondition, std::chrono::milliseconds ALimit = std::chrono::seconds(30)) {
  const auto end = std::chrono::steady_clock::now() + ALimit;
  while (std::chrono::steady_clock::now() < end) {
    if (ACondition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // between two looks: nothing signals
  }
  return ACondition();
}

class Transcode : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadLibraries();
    folder = fixtures::ScratchFolder("transcode");
  }
  void TearDown() override {
    // TRANSCODE_TEST_KEEP keeps the outputs for a look at them.
    if (std::getenv("TRANSCODE_TEST_KEEP")) return;
    std::error_code error;
    fs::remove_all(folder, error);
  }
  std::string Out(const std::string& AName) const { return (folder / AName).string(); }
  fs::path folder;
};

}  // namespace transcodetest
