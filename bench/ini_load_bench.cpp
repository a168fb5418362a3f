// Loading an INI file of 300,000 keys in one section (about 3 MB) and reading every key back.
// Target: the load well under a second. The reference beside it is the same file read as a plain
// list of lines, which the INI reader does first.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/IniFiles.h"
#include "platform/core/Strings.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

template <typename F>
double Best(int ARuns, F AStep) {
  double best = 1e300;
  for (int i = 0; i < ARuns; ++i) {
    const auto start = Clock::now();
    AStep();
    best = std::min(best, Milliseconds(Clock::now() - start));
  }
  return best;
}

}  // namespace

int main() {
  const int keys = 300000;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("ini-bench-" + std::to_string(::getpid()) + ".ini")).string();
  {
    std::ofstream out(path, std::ios::binary);
    out << "; generated\r\n[Big]\r\n";
    for (int i = 0; i < keys; ++i) out << "k" << i << "=" << i % 10 << "\r\n";
    out << "[Small]\r\nk=v\r\n";
  }
  std::printf("file: %d keys, %lld bytes\n", keys, static_cast<long long>(std::filesystem::file_size(path)));

  const double lines = Best(3, [&] {
    TStringList list;
    list.LoadFromFile(path);
  });
  const double load = Best(3, [&] { TMemIniFile ini(path); });
  TMemIniFile ini(path);
  int found = 0;
  const double reads = Best(1, [&] {
    for (int i = 0; i < keys; ++i) found += !ini.ReadString("big", "K" + std::to_string(i), "").empty();
  });
  std::filesystem::remove(path);
  std::printf("load as lines (reference): %8.1f ms\n", lines);
  std::printf("load as INI:               %8.1f ms   (target: well under 1000 ms)\n", load);
  std::printf("%d lookups:           %8.1f ms   (%d found)\n", keys, reads, found);
  return found == keys ? 0 : 1;
}
