// Calendar time from seconds since 1970, under the C library's time-zone
// rules (TZ, /etc/localtime) for the date in question.
#ifndef PELUND_PLATFORM_LOCAL_TIME_H
#define PELUND_PLATFORM_LOCAL_TIME_H

#include <ctime>

namespace pelund {

// SECONDS as local time in *OUT; false when the C library cannot give it.
bool localTime(std::time_t seconds, std::tm* out);

// SECONDS as UTC in *OUT; false when the C library cannot give it.
bool universalTime(std::time_t seconds, std::tm* out);

}  // namespace pelund

#endif
