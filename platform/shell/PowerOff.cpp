#include "platform/shell/PowerOff.h"

#include "platform/core/Spawn.h"

#include <sys/wait.h>

#include <cstdio>
#include <mutex>

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
  // The login manager may ask the user first: nobody waits here for its answer.
  return SpawnDetached(Command, TSpawnSession::Inherit,
                       [text = CommandText(Command)](int status) {
                         if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                           std::fprintf(stderr, "power-off request refused (%s, exit status %d)\n", text.c_str(),
                                        WIFEXITED(status) ? WEXITSTATUS(status) : -1);
                       },
                       Error);
}
