// Starting a program without waiting for it.
#ifndef PELUND_PLATFORM_PROCESS_SPAWN_H
#define PELUND_PLATFORM_PROCESS_SPAWN_H

#include <string>
#include <vector>

namespace pelund {

// Starts ARGV[0] (searched on PATH when it holds no '/') with ARGV, the
// caller's environment and standard streams, and no other inherited file
// descriptor. A thread of ours waits for its end so that no zombie is left.
// Returns 0, or the errno value of the failed start.
int spawnDetached(const std::vector<std::string>& argv);

}  // namespace pelund

#endif
