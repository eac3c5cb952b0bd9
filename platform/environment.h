// Reading the process environment.
#ifndef PELUND_PLATFORM_ENVIRONMENT_H
#define PELUND_PLATFORM_ENVIRONMENT_H

#include <cstdlib>

namespace pelund {

// The value of the environment variable NAME, or null when it is not set.
inline const char* environmentValue(const char* name) { return std::getenv(name); }

}  // namespace pelund

#endif
