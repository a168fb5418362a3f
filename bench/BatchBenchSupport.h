#pragma once
// What the batch-conversion benchmarks share: the converter's libraries, a scratch folder, and
// the clips of a batch (copies of one test-picture clip with sound, made once by the ffmpeg tool).

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Src/FFmpegLoader.h"
#include "tests/Src/MediaFixtures.h"

namespace batchbench {

// Loads the converter's library set for the whole run; false, with a line on standard output,
// when it cannot be loaded.
inline bool LoadConverterLibraries() {
  static const int holder = 0;
  if (FFLoader().Load(ConverterLibraries, &holder)) return true;
  std::printf("cannot load the libraries: %s\n", FFLoader().LastErrMsg().c_str());
  return false;
}

// A fresh folder of this run under the system's temporary folder.
inline std::filesystem::path ScratchFolder(const std::string& AName) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / (AName + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}

// ACount copies, in ADir, of a clip of ASeconds seconds: 320x240 at 25 pictures a second
// (MPEG-4 at 600 kb/s) with a 440 Hz tone (AAC).
inline std::vector<std::string> MakeClips(const std::filesystem::path& ADir, int ACount, int ASeconds) {
  const std::string seconds = std::to_string(ASeconds);
  const std::string source = fixtures::Make(
      ASeconds == 5 ? std::string("bench-clip.mp4") : "bench-clip-" + seconds + "s.mp4",
      "-f lavfi -i testsrc=size=320x240:rate=25:duration=" + seconds +
          " -f lavfi -i sine=frequency=440:duration=" + seconds + " -c:v mpeg4 -b:v 600k -c:a aac -f mp4");
  std::vector<std::string> clips;
  std::filesystem::create_directories(ADir);
  for (int i = 0; i < ACount; ++i) {
    const std::filesystem::path target = ADir / ("clip" + std::to_string(i) + ".mp4");
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    clips.push_back(target.string());
  }
  return clips;
}

// Runs the shell commands with at most AParallel of them at a time (each a process of its own, as
// a user would start them); seconds from the first start to the last end.
inline double RunParallel(const std::vector<std::string>& ACommands, int AParallel) {
  const auto start = std::chrono::steady_clock::now();
  size_t next = 0;
  int running = 0;
  while (next < ACommands.size() || running > 0) {
    while (running < AParallel && next < ACommands.size()) {
      const pid_t pid = ::fork();
      if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", ACommands[next].c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
      }
      ++next;
      if (pid > 0) ++running;
    }
    int status = 0;
    if (::wait(&status) > 0) --running;
    else break;
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The command-line tool's own start-up and end, without conversion: the median of five runs that
// convert a single tiny picture.
inline double ToolStartSeconds() {
  std::vector<double> runs;
  for (int i = 0; i < 5; ++i)
    runs.push_back(RunParallel({"ffmpeg -nostdin -v error -f lavfi -i color=size=16x16:duration=0.04 -f null - "
                                "</dev/null >/dev/null 2>&1"},
                               1));
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

}  // namespace batchbench
