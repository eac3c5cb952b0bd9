// Month and date strings. Names come from our own English tables so that a
// locale set by the calling process never changes them.
#include "frame/time_strings.h"

#include "pelund/misc.h"

#include <cstdio>
#include <ctime>

#include "platform/local_time.h"

namespace {

const char* const monthNames[12] = {"January", "February", "March",     "April",
                                    "May",     "June",     "July",      "August",
                                    "September", "October", "November", "December"};
const char* const dayAbbrevs[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// The 24-character asctime form without its line end.
void formatAsciiTime(char (&area)[256])
{
    std::tm t{};
    if (!pelund::localTimeNow(&t)) {
        area[0] = '\0';
        return;
    }
    std::snprintf(area, sizeof area, "%s %.3s %02d %02d:%02d:%02d %d", dayAbbrevs[t.tm_wday % 7],
                  monthNames[t.tm_mon % 12], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  t.tm_year + 1900);
}

}  // namespace

std::string pelund::asciiTimeNow()
{
    char area[256];
    formatAsciiTime(area);
    return area;
}

extern "C" {

PELUND_API int psMisc_buildTimeString(char* buffer, int month, int year)
{
    if (!buffer)
        return PS_FAILURE;
    // Months outside 1..12 count on into neighbouring years.
    long long m = (long long)month - 1;
    long long y = year + (m >= 0 ? m / 12 : (m - 11) / 12);
    m -= (y - year) * 12;
    std::snprintf(buffer, 256, "%s %lld", monthNames[m], y);
    return PS_SUCCESS;
}

PELUND_API const char* psMisc_getAsciiTimeA(void)
{
    static char area[256];
    formatAsciiTime(area);
    return area;
}

PELUND_API const ps_char16* psMisc_getAsciiTimeW(void)
{
    static ps_char16 area[256];
    char narrow[256];
    formatAsciiTime(narrow);
    size_t i = 0;
    for (; narrow[i]; ++i)
        area[i] = (unsigned char)narrow[i];
    area[i] = 0;
    return area;
}

}  // extern "C"
