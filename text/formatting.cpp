// Appending formatted text to a caller's buffer.
#include "pelund/strings.h"
#include "text/narrow_format.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>

extern "C" {

PELUND_API int psString_catSizedV(char* destination, int size, const char* format, ...)
{
    if (!destination || !format || size <= 0)
        return 0;
    va_list args;
    va_start(args, format);
    std::string text;
    bool formatted;
    try {
        formatted = pelund::formatNarrow(&text, format, args);
    } catch (...) {
        formatted = false;
    }
    va_end(args);
    if (!formatted)
        return -1;
    size_t total = text.size();
    size_t add = std::min(total, size_t(size));
    size_t len = std::strlen(destination);
    std::memcpy(destination + len, text.data(), add);
    destination[len + add] = '\0';
    return int(total);
}

}  // extern "C"
