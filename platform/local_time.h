// Calendar time from seconds since 1970, under the C library's time-zone
// rules (TZ, /etc/localtime) for the date in question.
#ifndef PELUND_PLATFORM_LOCAL_TIME_H
#define PELUND_PLATFORM_LOCAL_TIME_H

#include <ctime>

namespace pelund {

// SECONDS as local time in *OUT; false when the C library cannot give it.
inline bool localTime(std::time_t seconds, std::tm* out) { return localtime_r(&seconds, out) != nullptr; }

// SECONDS as UTC in *OUT; false when the C library cannot give it.
inline bool universalTime(std::time_t seconds, std::tm* out) { return gmtime_r(&seconds, out) != nullptr; }

// The present moment as local time in *OUT; false when the C library cannot give it.
inline bool localTimeNow(std::tm* out) { return localTime(std::time(nullptr), out); }

}  // namespace pelund

#endif
