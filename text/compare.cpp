// Comparing and searching without regard to case. No working copies are
// made: characters are upper-cased as they are compared.
#include "text/compare.h"

#include "frame/text_forms.h"
#include "pelund/strings.h"
#include "text/char_class.h"

#include <algorithm>
#include <climits>

namespace pelund {
namespace {

template <class Ch>
int compareUpper(Ch a, Ch b)
{
    return int(unitOf(toUpperAscii(a))) - int(unitOf(toUpperAscii(b)));
}

// Length of TEXT, but no further than LIMIT.
template <class Ch>
size_t boundedLen(const Ch* text, size_t limit)
{
    size_t n = 0;
    while (n < limit && text[n])
        ++n;
    return n;
}

template <class Ch>
int cmpNoCaseN(const Ch* a, const Ch* b, int n)
{
    if (!a || !b || n <= 0)
        return -1;
    for (int i = 0; i < n; ++i) {
        int d = compareUpper(a[i], b[i]);
        if (d != 0 || !a[i])
            return d;
    }
    return 0;
}

template <class Ch>
int cmpNoCase(const Ch* a, const Ch* b)
{
    if (!a || !b)
        return 0;
    size_t longer = std::max(strLen(a), strLen(b));
    if (longer == 0)
        return 0;  // two empty strings are equal
    return cmpNoCaseN(a, b, int(std::min<size_t>(longer, INT_MAX)));
}

template <class Ch>
Ch* findNoCase(const Ch* haystack, const Ch* needle, int n)
{
    if (!haystack || !needle || n < 1)
        return nullptr;
    size_t hn = boundedLen(haystack, size_t(n));
    size_t nn = strLen(needle);
    if (nn > hn)
        return nullptr;
    for (size_t i = 0; i + nn <= hn; ++i) {
        size_t k = 0;
        while (k < nn && compareUpper(haystack[i + k], needle[k]) == 0)
            ++k;
        if (k == nn)
            return const_cast<Ch*>(haystack + i);
    }
    return nullptr;
}

template <class Ch>
Ch* findNoCase(const Ch* haystack, const Ch* needle)
{
    if (!haystack || !needle)
        return nullptr;
    return findNoCase(haystack, needle, int(std::min<size_t>(strLen(haystack), INT_MAX)));
}

}  // namespace

int compareNoCase(const char* a, const char* b) { return cmpNoCase(a, b); }
int compareNoCase(const char16_t* a, const char16_t* b) { return cmpNoCase(a, b); }

int compareSuffixNoCase(const char* a, const char* b, int n)
{
    if (!a || !b || n <= 0)
        return -1;
    size_t an = strLen(a), bn = strLen(b);
    const char* ta = a + (an > size_t(n) ? an - size_t(n) : 0);
    const char* tb = b + (bn > size_t(n) ? bn - size_t(n) : 0);
    for (;; ++ta, ++tb) {
        int d = compareUpper(*ta, *tb);
        if (d != 0 || !*ta)
            return d;
    }
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psString_cmpNoCaseA(const char* a, const char* b) { return compareNoCase(a, b); }

PELUND_API int psString_cmpNoCaseW(const ps_char16* a, const ps_char16* b)
{
    return compareNoCase(a, b);
}

PELUND_API int psString_cmpNoCaseNA(const char* a, const char* b, int n)
{
    return cmpNoCaseN(a, b, n);
}

PELUND_API int psString_cmpNoCaseNW(const ps_char16* a, const ps_char16* b, int n)
{
    return cmpNoCaseN(a, b, n);
}

PELUND_API int psString_cmpPrefixNoCaseA(const char* text, const char* prefix)
{
    if (!text || !prefix)
        return -1;
    return cmpNoCaseN(text, prefix, int(std::min<size_t>(strLen(prefix), INT_MAX)));
}

PELUND_API int psString_cmpSuffixNoCaseNA(const char* a, const char* b, int n)
{
    return compareSuffixNoCase(a, b, n);
}

PELUND_API int psString_cmpSuffixNoCase(const char* text, const char* suffix)
{
    if (!text || !suffix)
        return -1;
    return compareSuffixNoCase(text, suffix, int(std::min<size_t>(strLen(suffix), INT_MAX)));
}

PELUND_API char* psString_strNoCaseA(const char* haystack, const char* needle)
{
    return findNoCase(haystack, needle);
}

PELUND_API ps_char16* psString_strNoCaseW(const ps_char16* haystack, const ps_char16* needle)
{
    return findNoCase(haystack, needle);
}

PELUND_API char* psString_strNoCaseNA(const char* haystack, const char* needle, int n)
{
    return findNoCase(haystack, needle, n);
}

PELUND_API ps_char16* psString_strNoCaseNW(const ps_char16* haystack, const ps_char16* needle,
                                           int n)
{
    return findNoCase(haystack, needle, n);
}

}  // extern "C"
