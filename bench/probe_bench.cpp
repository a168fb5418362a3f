// Speed of the media probe beside the command-line tools:
//  1. opening and describing 200 small files in one process, per file, beside one
//     "ffprobe -show_streams" run per file less the start-up of an ffprobe process (measured
//     apart: ffprobe started without a file);
//  2. decoding pictures through the probe (which decodes with threads), in frames a second,
//     beside "ffmpeg -f null" at one thread and at its default threads on the same file (MPEG-4
//     and VP8), the tool's process start-up measured apart and taken off.
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
  // The process alone: ffprobe started and ended without a file.
  const auto startupStart = Clock::now();
  for (int i = 0; i < 20; ++i) (void)fixtures::Run("ffprobe -v error -version >/dev/null 2>&1");
  const double startup = Seconds(startupStart) / 20;

  std::printf("Probing %zu files (%zu bytes of reports)\n", AFiles.size(), reportBytes);
  std::printf("  probe in process:                    %8.3f ms per file\n", ours * 1000);
  std::printf("  ffprobe -show_streams:               %8.3f ms per file\n", tool * 1000);
  std::printf("  ffprobe process start-up alone:      %8.3f ms\n", startup * 1000);
  std::printf("  ffprobe less its start-up:           %8.3f ms per file (probe / tool %.2f)\n",
              (tool - startup) * 1000, tool > startup ? ours / (tool - startup) : 0.0);
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
  // The tool's start-up: the same command on one picture of a generated source.
  const auto startupStart = Clock::now();
  for (int i = 0; i < 5; ++i)
    (void)fixtures::Run("ffmpeg -nostdin -v error -f lavfi -i color=size=16x16:duration=0.04 -f null - 2>/dev/null");
  const double startup = Seconds(startupStart) / 5;

  std::printf("Decoding %d pictures of %s (ffmpeg start-up %.1f ms taken off)\n", frames,
              fs::path(AFile).filename().c_str(), startup * 1000);
  std::printf("  probe Decode:                 %8.1f frames/s\n", frames / ours);
  std::printf("  ffmpeg -threads 1 -f null:    %8.1f frames/s\n", frames / (toolOneThread - startup));
  std::printf("  ffmpeg -f null (default):     %8.1f frames/s  (probe / tool %.2f)\n", frames / (toolDefault - startup),
              (toolDefault - startup) / ours);
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
  BenchDecoding(fixtures::Make("bench-20s-vp8.webm",
                               "-f lavfi -i testsrc=size=640x360:rate=25:duration=20 -c:v libvpx -b:v 1M -f webm"));
  fs::remove_all(dir);
  FFLoader().Unload(ProbeLibraries);
  return 0;
}
