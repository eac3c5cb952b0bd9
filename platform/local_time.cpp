#include "platform/local_time.h"

namespace pelund {

bool localTime(std::time_t seconds, std::tm* out) { return localtime_r(&seconds, out) != nullptr; }

bool universalTime(std::time_t seconds, std::tm* out) { return gmtime_r(&seconds, out) != nullptr; }

}  // namespace pelund
