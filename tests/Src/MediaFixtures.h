#pragma once
// Media files for the tests, made on first use with the ffmpeg command-line tool from its test
// sources, and ffprobe as the oracle of what a file holds.
//
// Files live in one folder per user under the system's temporary folder and are made once: every
// test runs in its own process, so a file is written under a temporary name and renamed into
// place, which lets parallel test processes share the folder.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace fixtures {

namespace fs = std::filesystem;

inline fs::path Folder() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("converter-media-fixtures-" + std::to_string(::getuid()));
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

// A fresh empty folder for one test (removed by the caller or left for the system to clean).
inline fs::path ScratchFolder(const std::string& ATag) {
  fs::path p = fs::temp_directory_path() /
               ("converter-test-" + ATag + "-" + std::to_string(::getpid()) + "-" + std::to_string(std::rand()));
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

// Output of a shell command (stdout only).
inline std::string Run(const std::string& ACommand) {
  std::string out;
  FILE* pipe = ::popen(ACommand.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

// The lines of a command's output, without their line ends (an empty line stays).
inline std::vector<std::string> Lines(const std::string& AText) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < AText.size()) {
    size_t end = AText.find('\n', start);
    if (end == std::string::npos) end = AText.size();
    lines.push_back(AText.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

inline std::string Quoted(const std::string& AText) {
  std::string q = "'";
  for (char c : AText) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The file AName in the fixture folder, made with "ffmpeg <AArguments> <file>" when missing.
inline std::string Make(const std::string& AName, const std::string& AArguments) {
  const fs::path target = Folder() / AName;
  if (fs::exists(target)) return target.string();
  const fs::path temporary =
      Folder() / (".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(std::rand()) + "-" + AName);
  const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + AArguments + " " +
                              Quoted(temporary.string()) + " 2>&1";
  const std::string errors = Run(command);
  if (!fs::exists(temporary)) throw std::runtime_error("ffmpeg could not make " + AName + ": " + errors);
  fs::rename(temporary, target);
  return target.string();
}

// Two seconds of a 160x120 test picture at 25 frames a second with a 440 Hz tone, a key frame
// every 12 pictures and no B-frames, and a title in the file's metadata.
inline const char* TestSource() {
  return "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -f lavfi -i sine=frequency=440:duration=2 "
         "-metadata title=Fixture -metadata comment=made-by-tests ";
}
inline const char* Gop() { return "-g 12 -keyint_min 12 -sc_threshold 0 -bf 0 "; }

struct TFixture {
  const char* Name;
  std::string Arguments;
};

// One file per container the probe is checked on.
inline const std::vector<TFixture>& ContainerTable() {
  static const std::vector<TFixture> table = {
      {"av.avi", std::string(TestSource()) + "-c:v mpeg4 " + Gop() + "-c:a mp2 -f avi"},
      {"av.mp4", std::string(TestSource()) + "-c:v mpeg4 " + Gop() + "-c:a aac -f mp4"},
      {"av.mkv", std::string(TestSource()) + "-c:v mpeg4 " + Gop() + "-c:a libvorbis -f matroska"},
      {"av.mpg", std::string(TestSource()) + "-c:v mpeg2video " + Gop() + "-c:a mp2 -f mpeg"},
      {"a.mp3", "-f lavfi -i sine=frequency=440:duration=2 -metadata title=Fixture -metadata artist=Tests "
                "-c:a libmp3lame -f mp3"},
      {"a.wav", "-f lavfi -i sine=frequency=440:duration=2 -c:a pcm_s16le -f wav"},
      {"av.flv", std::string(TestSource()) + "-c:v flv " + Gop() + "-c:a libmp3lame -ar 44100 -f flv"},
  };
  return table;
}

inline std::string Container(const std::string& AName) {
  for (const TFixture& f : ContainerTable())
    if (AName == f.Name) return Make(f.Name, f.Arguments);
  throw std::runtime_error("no fixture " + AName);
}

// The MPEG-4 file with a key frame every 12 pictures: the one the seeking tests use.
inline std::string Mp4() { return Container("av.mp4"); }

// What ffprobe says of a file, as "section.key" -> value (its flat output), e.g.
// "format.duration", "streams.stream.0.codec_name", "format.tags.title".
inline std::map<std::string, std::string> Probe(const std::string& AFile, const std::string& AExtra = "") {
  std::map<std::string, std::string> values;
  const std::string out = Run("ffprobe -v error -of flat -show_format -show_streams " + AExtra + " " + Quoted(AFile));
  for (const std::string& line : Lines(out)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = line.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    values[line.substr(0, eq)] = value;
  }
  return values;
}

// Presentation times (microseconds from the stream's start) of the video key frames.
inline std::vector<long long> KeyFrameTimes(const std::string& AFile) {
  const std::string out = Run("ffprobe -v error -select_streams v:0 -skip_frame nokey -show_entries frame=pts_time "
                              "-of csv=p=0 " + Quoted(AFile));
  std::vector<long long> times;
  for (const std::string& line : Lines(out)) {
    if (!line.empty()) times.push_back(static_cast<long long>(std::stod(line) * 1000000.0 + 0.5));
  }
  return times;
}

// The first AFrames video pictures as packed B, G, R bytes, decoded by the command-line tool.
inline std::string DecodedBGR(const std::string& AFile, int AFrames) {
  return Run("ffmpeg -nostdin -v error -i " + Quoted(AFile) + " -frames:v " + std::to_string(AFrames) +
             " -f rawvideo -pix_fmt bgr24 -");
}

// The error lines the command-line tool prints while decoding the whole file ("" for a clean file).
inline std::string DecodeErrors(const std::string& AFile) {
  return Run("ffmpeg -nostdin -v error -i " + Quoted(AFile) + " -f null - 2>&1");
}

}  // namespace fixtures
