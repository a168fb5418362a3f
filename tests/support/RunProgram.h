#pragma once
// Finding a program on PATH and running it against an X server of a test's own (xdotool for
// real pointer and key input, a window manager), waiting for it to end.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace test_programs {

// The program's full path on PATH, or empty.
inline std::string FindProgram(const char* Name) {
  const char* path = std::getenv("PATH");
  const std::string all = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    const std::string candidate = all.substr(start, end - start) + "/" + Name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// Runs Args (the program first, found on PATH) with DISPLAY set to Display and waits for it;
// its exit status, or -1 when it is missing or does not start.
inline int RunOn(const std::string& Display, std::vector<std::string> Args) {
  const std::string path = FindProgram(Args[0].c_str());
  if (path.empty()) return -1;
  Args[0] = path;
  std::vector<char*> argv;
  for (auto& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string env = "DISPLAY=" + Display;
  char* envp[] = {env.data(), nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp) != 0) return -1;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace test_programs
