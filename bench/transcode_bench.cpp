// Speed of the conversion engine beside the ffmpeg command-line tool:
//  1. the same conversion (MPEG-4 video at 800 kbit/s, 320x240, 25 pictures a second, and MP3
//     sound at 128 kbit/s, 44.1 kHz stereo, into AVI) of a 60-second clip through both, with
//     wall time and peak memory of each (each run in a process of its own);
//  2. the engine's time for clips of 10, 60 and 300 seconds, to show how it grows with length.
// Prints its figures; it checks nothing. Build without the sanitizers for meaningful numbers.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Src/FFmpeg.h"
#include "Src/FFmpegLoader.h"
#include "tests/Src/MediaFixtures.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct TRun {
  bool Ok = false;
  double Seconds = 0;
  long PeakKiB = 0;
};

// A clip of ASeconds: a 640x480 moving test picture at 25 pictures a second with a 48 kHz stereo
// tone, in MPEG-4 and PCM (quick to decode, so the encoders dominate the time).
std::string Clip(int ASeconds) {
  const std::string d = std::to_string(ASeconds);
  return fixtures::Make("bench-transcode-" + d + "s.mkv",
                        "-f lavfi -i testsrc2=size=640x480:rate=25:duration=" + d +
                            " -f lavfi -i sine=frequency=1000:sample_rate=48000:duration=" + d +
                            " -ac 2 -c:v mpeg4 -q:v 3 -c:a pcm_s16le -f matroska");
}

// Runs AChild in a new process; its wall time and peak resident memory.
template <typename F>
TRun InChild(F&& AChild) {
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(AChild() ? 0 : 1);
  TRun run;
  int status = 0;
  struct rusage usage {};
  if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
    run.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.PeakKiB = usage.ru_maxrss;
  }
  run.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return run;
}

// One thread per codec on both sides: the engine's codecs use one thread unless told otherwise.
bool ConvertWithEngine(const std::string& AInput, const std::string& AOutput) try {
  static const int holder = 0;
  if (!FFLoader().Load(ConverterLibraries, &holder)) return false;
  TCustomFFmpeg engine(1);
  engine.Reset();
  engine.OptInputFile(AInput);  // failures raise, reported below
  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"vcodec", "mpeg4"}, {"b", "800k"}, {"s", "320x240"}, {"r", "25"}, {"acodec", "libmp3lame"},
           {"ab", "128k"}, {"ar", "44100"}, {"ac", "2"}})
    engine.ParseOption(name, value);
  engine.OptOutputFile(AOutput);
  engine.StartConvert(false);
  if (!engine.Finished()) std::fprintf(stderr, "engine: %s\n", engine.FatalMessage().c_str());
  return engine.Finished();
} catch (const Exception& e) {
  std::fprintf(stderr, "engine: %s\n", e.Message.c_str());
  return false;
}

bool ConvertWithTool(const std::string& AInput, const std::string& AOutput) {
  const std::string command = "ffmpeg -nostdin -v error -y -threads 1 -i " + fixtures::Quoted(AInput) +
                              " -c:v mpeg4 -b:v 800k -s 320x240 -r 25 -threads 1 -c:a libmp3lame -b:a 128k "
                              "-ar 44100 -ac 2 -f avi " + fixtures::Quoted(AOutput);
  return ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr)) == 0;
}

void Print(const char* AName, const TRun& ARun, const std::string& AOutput) {
  std::error_code error;
  const auto size = fs::file_size(AOutput, error);
  std::printf("  %-22s %8.3f s  peak %7.1f MiB  output %8.1f KiB%s\n", AName, ARun.Seconds, ARun.PeakKiB / 1024.0,
              error ? 0.0 : size / 1024.0, ARun.Ok ? "" : "  (FAILED)");
}

}  // namespace

int main() {
  const fs::path folder = fixtures::ScratchFolder("transcode-bench");
  std::printf("Preparing clips...\n");
  const std::string clip60 = Clip(60);

  std::printf("Same conversion of a 60 s 640x480 clip to 320x240 MPEG-4 800k + MP3 128k in AVI\n");
  // Each side twice, alternating, so a cold cache favours neither.
  for (int round = 0; round < 2; ++round) {
    const std::string ours = (folder / "engine.avi").string();
    const std::string tool = (folder / "tool.avi").string();
    const TRun engineRun = InChild([&] { return ConvertWithEngine(clip60, ours); });
    const TRun toolRun = InChild([&] { return ConvertWithTool(clip60, tool); });
    Print("engine", engineRun, ours);
    Print("ffmpeg command line", toolRun, tool);
    if (toolRun.Seconds > 0)
      std::printf("  engine / tool time: %.3f, memory: %.3f\n", engineRun.Seconds / toolRun.Seconds,
                  toolRun.PeakKiB ? static_cast<double>(engineRun.PeakKiB) / toolRun.PeakKiB : 0.0);
  }

  std::printf("Engine time by clip length (same conversion)\n");
  double perSecond10 = 0;
  for (const int seconds : {10, 60, 300}) {
    const std::string clip = Clip(seconds);
    const std::string out = (folder / ("len" + std::to_string(seconds) + ".avi")).string();
    const TRun run = InChild([&] { return ConvertWithEngine(clip, out); });
    const double perSecond = run.Seconds / seconds;
    if (seconds == 10) perSecond10 = perSecond;
    std::printf("  %4d s clip: %8.3f s  (%.4f s per clip second, x%.2f of the 10 s rate)  peak %.1f MiB%s\n",
                seconds, run.Seconds, perSecond, perSecond10 > 0 ? perSecond / perSecond10 : 0.0,
                run.PeakKiB / 1024.0, run.Ok ? "" : "  (FAILED)");
  }
  std::error_code error;
  fs::remove_all(folder, error);
  return 0;
}
