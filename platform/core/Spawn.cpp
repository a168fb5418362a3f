#include "platform/core/Spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

bool SpawnDetached(const std::vector<std::string>& Argv, TSpawnSession Session,
                   std::function<void(int AWaitStatus)> OnExit, std::string& Error) {
  if (Argv.empty() || Argv[0].empty()) {
    Error = "no program to start";
    return false;
  }
  std::vector<char*> argv;
  for (const std::string& argument : Argv) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // Whatever this process's threads have blocked or ignored, the program starts clean.
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (Session == TSpawnSession::OwnSession) flags |= POSIX_SPAWN_SETSID;
  posix_spawnattr_setflags(&attr, flags);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    Error = "cannot start " + Argv[0] + ": " + std::strerror(rc);
    return false;
  }
  // Collect the exit so no zombie stays; the program may run long (an opener may wait for what
  // it opened, the login manager may ask the user first), so nobody waits for it here.
  std::thread([pid, OnExit = std::move(OnExit)] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (OnExit) OnExit(status);
  }).detach();
  return true;
}
