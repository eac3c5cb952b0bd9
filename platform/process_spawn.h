// Starting a program without waiting for it.
#ifndef PELUND_PLATFORM_PROCESS_SPAWN_H
#define PELUND_PLATFORM_PROCESS_SPAWN_H

#include <string>
#include <vector>

namespace pelund {

// Starts ARGV[0] (searched on PATH when it holds no '/'; a missing program
// gives ENOENT or the error of access(2)) with ARGV, the
// caller's environment and standard streams, and no other inherited file
// descriptor. A thread of ours waits for its end so that no zombie is left.
// Returns 0, or the errno value of the failed start.
int spawnDetached(const std::vector<std::string>& argv);

// Starts ARGV as spawnDetached does and waits at most TIMEOUT_MS for its
// end: *EXIT_STATUS gets its exit status (128 + the signal number for one
// ended by a signal), or -1 when it ran on (it is then reaped in the
// background). Returns 0 or the errno
// value of the failed start.
int spawnAndWait(const std::vector<std::string>& argv, int timeoutMs, int* exitStatus);

}  // namespace pelund

#endif
