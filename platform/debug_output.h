// The debug output channel: single diagnostic lines for whoever listens.
// On Linux the lines go to the system log at LOG_DEBUG with the ident
// "PelundLib"; tests install a hook and read the lines instead.
#ifndef PELUND_PLATFORM_DEBUG_OUTPUT_H
#define PELUND_PLATFORM_DEBUG_OUTPUT_H

#include <functional>
#include <string_view>

namespace pelund {

// Writes LINE to the channel. Never blocks: a line the log cannot take at
// once is dropped.
void debugOutput(std::string_view line);

// While set, every line goes to HOOK instead of the system log. Pass an empty
// function to restore the log.
void setDebugOutputHook(std::function<void(std::string_view)> hook);

}  // namespace pelund

#endif
