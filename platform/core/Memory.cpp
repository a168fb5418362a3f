#include "platform/core/Memory.h"

#include <malloc.h>
#include <unistd.h>

#include <fstream>
#include <string>

std::size_t ResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) != 0) continue;
    return static_cast<std::size_t>(std::stoull(line.substr(6))) * 1024;  // "VmRSS:   1234 kB"
  }
  return 0;
}

void ReturnFreedMemory() {
#if defined(__GLIBC__)
  ::malloc_trim(0);
#endif
}

void ReturnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
  // Setting either limit fixes both: the allocator stops adjusting them.
  ::mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  ::mallopt(M_TRIM_THRESHOLD, 128 * 1024);
#endif
}
