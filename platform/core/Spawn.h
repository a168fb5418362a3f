#pragma once
// Starting another program without a shell: the arguments go to it as they are, one vector
// element each, so no text of a file name or address is ever read as shell syntax.

#include <functional>
#include <string>
#include <vector>

enum class TSpawnSession { Inherit, OwnSession };

// Starts Argv[0] (looked up in PATH) with the arguments Argv[1..], standard input from /dev/null,
// no signal blocked and SIGPIPE at its default. With OwnSession the program gets a session of its
// own, so it outlives this process and its terminal's signals. Nobody waits for it: a background
// thread collects its exit and calls OnExit (when given) with the wait status, on that thread.
// False, with the reason in Error, when the program cannot be started (nothing was started then).
[[nodiscard]] bool SpawnDetached(const std::vector<std::string>& Argv, TSpawnSession Session,
                                 std::function<void(int AWaitStatus)> OnExit, std::string& Error);
