// Speed of the media probe beside the command-line tools:
//  1. opening and describing 200 small files in one process, per file, beside one
//     "ffprobe -show_streams" run per file;
//  2. decoding pictures through the probe, in frames a second, beside "ffmpeg -f null" on the
//     same file.
// Prints its figures; it checks nothing. Build without the sanitizers for meaningful numbers.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Src/AVProbe.h"
#include "Src/FFmpegLoader.h"
#include "tests/Src/MediaFixtures.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point AStart) { return std::chrono::duration<double>(Clock::now() - AStart).count(); }

std::vector<std::string> MakeFiles(const fs::path& ADir, int ACount) {
  const std::vector<std::string> sources = {fixtures::Container("av.mp4"), fixtures::Container("av.mkv"),
                                            fixtures::Container("av.avi"), fixtures::Container("a.mp3"),
                                            fixtures::Container("av.flv")};
  std::vector<std::string> files;
  for (int i = 0; i < ACount; ++i) {
    const std::string& source = sources[i % sources.size()];
    const fs::path target = ADir / ("file" + std::to_string(i) + fs::path(source).extension().string());
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    files.push_back(target.string());
  }
  return files;
}

void BenchProbing(const std::vector<std::string>& AFiles) {
  TAVProbe probe(nullptr);
  size_t reportBytes = 0;
  const auto start = Clock::now();
  for (const std::string& file : AFiles) {
    if (!probe.LoadFile(file)) std::printf("  could not open %s: %s\n", file.c_str(), probe.LastErrMsg().c_str());
    reportBytes += probe.FileInfoText().size();
    if (probe.FirstVideoStreamIndex() >= 0) (void)probe.FirstVideoStreamInfo();
    if (probe.FirstAudioStreamIndex() >= 0) (void)probe.FirstAudioStreamInfo();
    probe.CloseFile();
  }
  const double ours = Seconds(start) / AFiles.size();

  const auto toolStart = Clock::now();
  for (const std::string& file : AFiles)
    (void)fixtures::Run("ffprobe -v error -show_streams " + fixtures::Quoted(file) + " 2>/dev/null");
  const double tool = Seconds(toolStart) / AFiles.size();

  std::printf("Probing %zu files (%zu bytes of reports)\n", AFiles.size(), reportBytes);
  std::printf("  probe in process:        %8.3f ms per file\n", ours * 1000);
  std::printf("  ffprobe -show_streams:   %8.3f ms per file\n", tool * 1000);
}

void BenchDecoding(const std::string& AFile) {
  TAVProbe probe(nullptr);
  if (!probe.LoadFile(AFile)) {
    std::printf("could not open %s: %s\n", AFile.c_str(), probe.LastErrMsg().c_str());
    return;
  }
  int frames = 0;
  const auto start = Clock::now();
  while (probe.Decode()) ++frames;
  const double ours = Seconds(start);

  const std::string quoted = fixtures::Quoted(AFile);
  auto timeTool = [&](const std::string& AOptions) {
    const auto toolStart = Clock::now();
    (void)fixtures::Run("ffmpeg -nostdin -v error " + AOptions + " -i " + quoted + " -an -f null - 2>/dev/null");
    return Seconds(toolStart);
  };
  const double toolOneThread = timeTool("-threads 1");
  const double toolDefault = timeTool("");

  std::printf("Decoding %d pictures of %s\n", frames, fs::path(AFile).filename().c_str());
  std::printf("  probe Decode:                 %8.1f frames/s\n", frames / ours);
  std::printf("  ffmpeg -threads 1 -f null:    %8.1f frames/s (process start included)\n", frames / toolOneThread);
  std::printf("  ffmpeg -f null:               %8.1f frames/s (process start included)\n", frames / toolDefault);
}

}  // namespace

int main() {
  if (!FFLoader().Load(ProbeLibraries)) {
    std::printf("cannot load the media libraries: %s\n", FFLoader().LastErrMsg().c_str());
    return 1;
  }
  const fs::path dir = fixtures::ScratchFolder("probe-bench");
  BenchProbing(MakeFiles(dir, 200));
  const std::string longFile =
      fixtures::Make("bench-20s.mp4",
                     "-f lavfi -i testsrc=size=640x360:rate=25:duration=20 -c:v mpeg4 -q:v 4 -g 50 -f mp4");
  BenchDecoding(longFile);
  fs::remove_all(dir);
  FFLoader().Unload(ProbeLibraries);
  return 0;
}
