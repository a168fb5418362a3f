// Speed of the engine at its defaults beside the ffmpeg command-line tool at its defaults, both on
// the cores this program may use (pin it with taskset; the tool's processes inherit the pinning):
//  1. one file alone: a 720p H.264 job, an Xvid job and a DVD job (the tool's wall time, and the
//     same less its process start-up, measured apart);
//  2. 8 mixed jobs with k = 1, 2, 4 and all cores at once: the component against k tool processes
//     running in parallel;
//  3. 7 short jobs and one long one last, 4 at once;
//  4. a 10 fps source written to a 25 fps AVI: time, pictures encoded and bytes.
// Prints its figures; it checks nothing. Build without the sanitizers for meaningful numbers.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Src/Convexa.h"
#include "Src/FFUtils.h"
#include "bench/BatchBenchSupport.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// One conversion as the component is told it and as the tool is.
struct TJob {
  std::string Name;
  std::string Input;
  std::function<void(TOutputOptions&)> Options;
  std::string ToolArguments;  // the tool's output options
  std::string Extension;
};

std::string Source(const std::string& AName, const std::string& AArguments) {
  return fixtures::Make(AName, AArguments);
}

// Sources: a 720p camera-like clip, a 640x360 H.264 clip, a small MPEG-4 clip, a 10 fps clip.
std::string Hd(int ASeconds) {
  const std::string d = std::to_string(ASeconds);
  return Source("bench-threads-hd-" + d + "s.mkv", "-f lavfi -i testsrc2=size=1280x720:rate=25:duration=" + d +
                                                       " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=" +
                                                       d + " -ac 2 -c:v mpeg4 -q:v 3 -c:a pcm_s16le -f matroska");
}
std::string H264(int ASeconds) {
  const std::string d = std::to_string(ASeconds);
  return Source("bench-threads-h264-" + d + "s.mp4", "-f lavfi -i testsrc2=size=640x360:rate=25:duration=" + d +
                                                         " -f lavfi -i sine=frequency=440:duration=" + d +
                                                         " -c:v libx264 -preset veryfast -c:a aac -f mp4");
}
std::string Small(int ASeconds) {
  const std::string d = std::to_string(ASeconds);
  return Source("bench-threads-small-" + d + "s.mp4", "-f lavfi -i testsrc=size=320x240:rate=25:duration=" + d +
                                                          " -f lavfi -i sine=frequency=440:duration=" + d +
                                                          " -c:v mpeg4 -b:v 600k -c:a aac -f mp4");
}
std::string TenFps() {
  return Source("bench-threads-10fps.mp4", "-f lavfi -i testsrc=size=640x360:rate=10:duration=30 -f lavfi -i "
                                           "sine=frequency=440:duration=30 -c:v mpeg4 -q:v 3 -c:a aac -f mp4");
}

TJob H264Job(const std::string& AInput) {
  return {"720p H.264", AInput,
          [](TOutputOptions& o) {
            o.VideoCodec = "libx264";
            o.FrameSize = "1280x720";
            o.AudioCodec = "aac";
          },
          "-c:v libx264 -s 1280x720 -c:a aac", ".mp4"};
}
TJob XvidJob(const std::string& AInput) {
  return {"Xvid AVI", AInput,
          [](TOutputOptions& o) {
            o.VideoCodec = "libxvid";
            o.AudioCodec = "libmp3lame";
            o.AudioBitrate = 128000;
          },
          "-c:v libxvid -c:a libmp3lame -b:a 128k", ".avi"};
}
TJob DvdJob(const std::string& AInput) {
  return {"PAL DVD", AInput,
          [](TOutputOptions& o) {
            o.TargetType = TOptionTargetType::ttDVD;
            o.NormType = TOptionNormType::ntPAL;
          },
          "-target pal-dvd", ".mpg"};
}
TJob AviJob(const std::string& AInput) {
  return {"MPEG-4 AVI", AInput,
          [](TOutputOptions& o) {
            o.VideoCodec = "mpeg4";
            o.VideoBitrate = 800000;
            o.FrameRate = "25";
            o.AudioCodec = "mp2";
            o.AudioBitrate = 128000;
          },
          "-c:v mpeg4 -b:v 800k -r 25 -c:a mp2 -b:a 128k", ".avi"};
}

std::string OutputName(const fs::path& ADir, const std::string& ATag, size_t AIndex, const TJob& AJob) {
  return (ADir / (ATag + "-" + std::to_string(AIndex) + AJob.Extension)).string();
}

// The jobs through the component, AAtOnce at a time; seconds for the whole batch, -1 on failure.
double RunEngine(const std::vector<TJob>& AJobs, int AAtOnce, const fs::path& ADir, const std::string& ATag) {
  TConvexa convexa(nullptr);
  std::atomic<bool> done{false};
  std::atomic<int> failed{0};
  convexa.OnTerminate = [&](TObject*, const TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex == -1)
      done = true;
    else if (!AInfo.Finished)
      ++failed;
  };
  for (size_t i = 0; i < AJobs.size(); ++i) {
    const int index = convexa.AddTask(AJobs[i].Input);
    TOutputOptions options;
    AJobs[i].Options(options);
    if (index < 0 || !convexa.SetOutputFile(index, OutputName(ADir, ATag, i, AJobs[i]), &options)) {
      std::printf("  cannot set up %s: %s\n", AJobs[i].Name.c_str(), convexa.LastErrMsg().c_str());
      return -1;
    }
  }
  const auto start = Clock::now();
  convexa.Start(AAtOnce);
  while (!done) {
    PumpPendingMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (failed > 0) std::printf("  %d tasks FAILED\n", failed.load());
  return seconds;
}

// The same jobs as tool processes, AAtOnce at a time.
double RunTool(const std::vector<TJob>& AJobs, int AAtOnce, const fs::path& ADir, const std::string& ATag) {
  std::vector<std::string> commands;
  for (size_t i = 0; i < AJobs.size(); ++i)
    commands.push_back("ffmpeg -nostdin -v error -y -i " + fixtures::Quoted(AJobs[i].Input) + " " +
                       AJobs[i].ToolArguments + " " + fixtures::Quoted(OutputName(ADir, ATag, i, AJobs[i])) +
                       " </dev/null >/dev/null 2>&1");
  return batchbench::RunParallel(commands, AAtOnce);
}

// Best of ARounds, alternating the two sides so a cold cache favours neither.
void Compare(const std::vector<TJob>& AJobs, int AAtOnce, const fs::path& ADir, int ARounds, double& AEngine,
             double& ATool) {
  AEngine = ATool = 1e9;
  for (int round = 0; round < ARounds; ++round) {
    const double engine = RunEngine(AJobs, AAtOnce, ADir, "engine");
    const double tool = RunTool(AJobs, AAtOnce, ADir, "tool");
    if (engine > 0) AEngine = std::min(AEngine, engine);
    ATool = std::min(ATool, tool);
  }
}

std::string Summary(const std::string& AFile) {
  auto info = fixtures::Probe(AFile);
  return info["streams.stream.0.codec_name"] + " " + info["streams.stream.0.width"] + "x" +
         info["streams.stream.0.height"] + ", " + info["streams.stream.1.codec_name"] + ", " +
         info["format.duration"] + " s, " + std::to_string(fs::exists(AFile) ? fs::file_size(AFile) / 1024 : 0) +
         " KiB";
}

// Video packets that carry a picture (an empty AVI chunk stands for a skipped one).
int CodedPictures(const std::string& AFile) {
  int count = 0;
  for (const std::string& line : fixtures::Lines(fixtures::Run(
           "ffprobe -v error -select_streams v:0 -show_entries packet=size -of csv=p=0 " + fixtures::Quoted(AFile))))
    if (!line.empty() && std::stol(line) > 0) ++count;
  return count;
}

void SingleJobs(const fs::path& ADir, double AToolStart) {
  std::printf("One file alone (best of 2; tool less its start-up in brackets)\n");
  for (const TJob& job : {H264Job(Hd(8)), XvidJob(H264(10)), DvdJob(Hd(8))}) {
    double engine = 0, tool = 0;
    Compare({job}, 1, ADir, 2, engine, tool);
    std::printf("  %-11s engine %7.3f s   ffmpeg %7.3f s (%7.3f s)   engine/ffmpeg %.2f (%.2f)\n", job.Name.c_str(),
                engine, tool, tool - AToolStart, engine / tool, engine / (tool - AToolStart));
    std::printf("      engine: %s\n      ffmpeg: %s\n", Summary(OutputName(ADir, "engine", 0, job)).c_str(),
                Summary(OutputName(ADir, "tool", 0, job)).c_str());
  }
}

void MixedBatches(const fs::path& ADir, int ACores) {
  std::vector<TJob> jobs;
  for (int i = 0; i < 2; ++i) {
    jobs.push_back(AviJob(Small(4)));
    jobs.push_back(H264Job(H264(4)));
    jobs.push_back(DvdJob(H264(4)));
    jobs.push_back(XvidJob(H264(4)));
  }
  std::printf("8 mixed jobs (MPEG-4 AVI, 720p H.264, DVD, Xvid; 4 s each), k at once (best of 2)\n");
  std::vector<int> ks{1, 2, 4};
  if (ACores != 1 && ACores != 2 && ACores != 4) ks.push_back(ACores);
  for (const int k : ks) {
    double engine = 0, tool = 0;
    Compare(jobs, k, ADir, 2, engine, tool);
    std::printf("  k=%d  engine %7.3f s   %d parallel ffmpeg %7.3f s   throughput engine/ffmpeg %.2f\n", k, engine, k,
                tool, tool / engine);
  }
}

void ShortAndLong(const fs::path& ADir) {
  std::vector<TJob> jobs;
  for (int i = 0; i < 7; ++i) jobs.push_back(AviJob(Small(4)));
  jobs.push_back(H264Job(Hd(8)));
  double engine = 0, tool = 0;
  Compare(jobs, 4, ADir, 2, engine, tool);
  std::printf("7 short MPEG-4 AVI jobs + 1 long 720p H.264 job last, 4 at once (best of 2)\n");
  std::printf("  engine %7.3f s   4 parallel ffmpeg %7.3f s   throughput engine/ffmpeg %.2f\n", engine, tool,
              tool / engine);
}

void TenFpsToAvi(const fs::path& ADir) {
  const TJob job = AviJob(TenFps());
  double engine = 0, tool = 0;
  Compare({job}, 1, ADir, 2, engine, tool);
  const std::string ours = OutputName(ADir, "engine", 0, job), theirs = OutputName(ADir, "tool", 0, job);
  std::printf("30 s 10 fps 640x360 source to a 25 fps MPEG-4 AVI (best of 2)\n");
  std::printf("  engine %7.3f s, %4d pictures coded, %s\n", engine, CodedPictures(ours), Summary(ours).c_str());
  std::printf("  ffmpeg %7.3f s, %4d pictures coded, %s\n", tool, CodedPictures(theirs), Summary(theirs).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (!batchbench::LoadConverterLibraries()) return 1;
  const fs::path dir = batchbench::ScratchFolder("codec-threads-bench");
  const int cores = ProcessorCores();
  const std::string only = argc > 1 ? argv[1] : "";
  std::printf("Preparing clips...\n");
  (void)Hd(8), (void)H264(10), (void)H264(4), (void)Small(4), (void)TenFps();
  (void)RunEngine({AviJob(Small(4))}, 1, dir, "warm");  // caches and lazily made tables
  const double toolStart = batchbench::ToolStartSeconds();
  std::printf("%d cores; ffmpeg process start-up and end: %.3f s\n", cores, toolStart);
  if (only.empty() || only == "single") SingleJobs(dir, toolStart);
  if (only.empty() || only == "mixed") MixedBatches(dir, cores);
  if (only.empty() || only == "long") ShortAndLong(dir);
  if (only.empty() || only == "avi") TenFpsToAvi(dir);
  std::error_code error;
  fs::remove_all(dir, error);
  return 0;
}
