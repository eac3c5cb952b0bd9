// Trimming blanks, cutting text to a length with a marker, and padding.
#include "pelund/strings.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

extern "C" {

PELUND_API void psString_TrimLeadingWhiteSpace(char* text)
{
    if (!text)
        return;
    size_t skip = 0;
    while (isBlank(text[skip]))
        ++skip;
    if (skip)
        std::memmove(text, text + skip, std::strlen(text + skip) + 1);
}

PELUND_API void psString_TrimTrailingWhiteSpace(char* text)
{
    if (!text)
        return;
    size_t n = std::strlen(text);
    while (n > 0 && isBlank(text[n - 1]))
        --n;
    text[n] = '\0';
}

PELUND_API int psString_truncate(char* output, const char* source, const char* marker,
                                 int maximum)
{
    if (!output || !source || maximum < 4)
        return 0;
    size_t max = size_t(maximum);
    size_t n = strnlen(source, max + 1);
    bool cut = n > max;
    n = std::min(n, max);
    std::memmove(output, source, n);
    output[n] = '\0';
    if (cut) {
        const char* shown = marker ? marker : "...";
        size_t mn = std::min(std::strlen(shown), max);
        std::memcpy(output + max - mn, shown, mn);
    }
    return int(n);
}

PELUND_API int psStringCat_padWithChars(char* text, char pad, int count, int capacity)
{
    if (!text)
        return count;
    long long len = (long long)std::strlen(text);
    long long n = count;
    // Room is kept for the terminator: CAPACITY counts it.
    if (len + n + 1 > capacity)
        n = (long long)capacity - len - 1;
    if (n > 0) {
        std::memset(text + len, pad, size_t(n));
        text[len + n] = '\0';
    }
    return int(std::max<long long>(n, INT_MIN));
}

}  // extern "C"
