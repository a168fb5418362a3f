#include "platform/PowerOff.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

extern char** environ;

namespace {

std::mutex& RequesterLock() {
  static std::mutex lock;
  return lock;
}

TPowerOffRequester& Installed() {
  static TPowerOffRequester requester;
  return requester;
}

bool LoginManagerRequest(std::string& Error) { return SpawnPowerOffRequest(PowerOffCommand(), Error); }

// Joins the arguments for a report line.
std::string CommandText(const std::vector<std::string>& Command) {
  std::string text;
  for (const std::string& argument : Command) text += (text.empty() ? "" : " ") + argument;
  return text;
}

}  // namespace

TPowerOffRequester SetPowerOffRequester(TPowerOffRequester Requester) {
  std::lock_guard lock(RequesterLock());
  TPowerOffRequester old = std::move(Installed());
  Installed() = std::move(Requester);
  if (!old) old = LoginManagerRequest;
  return old;
}

bool RequestPowerOff(std::string* Error) {
  TPowerOffRequester requester;
  {
    std::lock_guard lock(RequesterLock());
    requester = Installed() ? Installed() : TPowerOffRequester(LoginManagerRequest);
  }
  std::string reason;
  const bool ok = requester(reason);
  if (!ok && reason.empty()) reason = "the power-off request could not be made";
  if (Error != nullptr) *Error = ok ? std::string() : reason;
  return ok;
}

std::vector<std::string> PowerOffCommand() {
  return {"busctl",
          "call",
          "--system",
          "org.freedesktop.login1",
          "/org/freedesktop/login1",
          "org.freedesktop.login1.Manager",
          "PowerOff",
          "b",
          "true"};
}

bool SpawnPowerOffRequest(const std::vector<std::string>& Command, std::string& Error) {
  if (Command.empty()) {
    Error = "no program to start";
    return false;
  }
  std::vector<char*> argv;
  for (const std::string& argument : Command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // The program starts with no signal blocked and the default SIGPIPE, whatever this process's
  // threads have set.
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    Error = "cannot start " + Command[0] + ": " + std::strerror(rc);
    return false;
  }
  // The login manager may ask the user first: nobody waits here for its answer.
  std::thread([pid, text = CommandText(Command)] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      std::fprintf(stderr, "power-off request refused (%s, exit status %d)\n", text.c_str(),
                   WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }).detach();
  return true;
}
