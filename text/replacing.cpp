// Replacing characters and text, in place or into a caller's buffer.
#include "frame/guard.h"
#include "frame/text_forms.h"
#include "pelund/strings.h"
#include "text/char_class.h"
#include "text/compare.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace pelund {
namespace {

template <class Ch>
bool inSet(const Ch* set, Ch c)
{
    if (set)
        for (; *set; ++set)
            if (*set == c)
                return true;
    return false;
}

template <class Ch>
bool printableUnit(Ch c)
{
    unsigned u = unitOf(c);
    return !(u < 0x20 || u == 0x7F || u == 0xFF);
}

template <class Ch>
int replaceChars(Ch* destination, const Ch* source, const Ch* set, const Ch* replacement,
                 bool clean)
{
    if (!destination || !source || !*source)
        return PS_FAILURE;
    const Ch* with = replacement && *replacement ? replacement : nullptr;
    size_t withLen = with ? strLen(with) : 0;
    std::basic_string<Ch> out;
    for (const Ch* p = source; *p; ++p) {
        if (inSet(set, *p) || (clean && !printableUnit(*p)))
            out.append(with ? with : source, withLen);
        else
            out.push_back(*p);
    }
    std::memmove(destination, out.c_str(), (out.size() + 1) * sizeof(Ch));
    return PS_SUCCESS;
}

template <class Ch>
int spaceToUnderscore(Ch* text)
{
    if (!text || !*text)
        return PS_FAILURE;
    for (; *text; ++text)
        if (*text == ' ')
            *text = '_';
    return PS_SUCCESS;
}

// Finds SEARCH (length SN > 0) in TEXT from FROM on, exactly or in any case.
size_t findFrom(const std::string& text, size_t from, const char* search, size_t sn, bool exact)
{
    if (exact)
        return text.find(search, from, sn);
    for (size_t i = from; i + sn <= text.size(); ++i) {
        size_t k = 0;
        while (k < sn && toUpperAscii(text[i + k]) == toUpperAscii(search[k]))
            ++k;
        if (k == sn)
            return i;
    }
    return std::string::npos;
}

// Repeated replacing, each time of the first occurrence left in the text.
// An occurrence can only appear anew where a replacement meets the text
// before it, so the search resumes SEARCH's length minus one before the last
// replacement rather than at the start: the same result in linear passes.
int replaceText(char* destination, const char* source, const char* search,
                const char* replacement, int size, bool exact)
{
    if (!destination || !source || !search || !replacement || size <= 0)
        return PS_FAILURE;
    bool same = exact ? std::strcmp(search, replacement) == 0
                      : compareNoCase(search, replacement) == 0;
    if (same || std::strstr(replacement, search))
        return PS_FAILURE;
    const size_t sn = std::strlen(search), rn = std::strlen(replacement);
    const size_t limit = size_t(size);
    std::string text(source);
    size_t at = findFrom(text, 0, search, sn, exact);
    if (at == std::string::npos || text.size() - sn + rn >= limit) {
        size_t keep = std::min(text.size(), limit - 1);
        std::memmove(destination, source, keep);
        destination[keep] = '\0';
        return PS_FAILURE;
    }
    do {
        text.replace(at, sn, replacement, rn);
        at = findFrom(text, at >= sn - 1 ? at - (sn - 1) : 0, search, sn, exact);
    } while (at != std::string::npos && text.size() - sn + rn < limit);
    std::memcpy(destination, text.c_str(), text.size() + 1);
    return PS_SUCCESS;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psString_spaceToUnderscoreA(char* text) { return spaceToUnderscore(text); }
PELUND_API int psString_spaceToUnderscoreW(ps_char16* text) { return spaceToUnderscore(text); }

PELUND_API int psString_replaceCharsA(char* destination, const char* source, const char* set,
                                      const char* replacement, int clean)
{
    return guarded(PS_FAILURE, [&] {
        return replaceChars(destination, source, set, replacement, clean != 0);
    });
}

PELUND_API int psString_replaceCharsW(ps_char16* destination, const ps_char16* source,
                                      const ps_char16* set, const ps_char16* replacement,
                                      int clean)
{
    return guarded(PS_FAILURE, [&] {
        return replaceChars(destination, source, set, replacement, clean != 0);
    });
}

PELUND_API int psString_replace(char* destination, const char* source, const char* search,
                                const char* replacement, int size, int case_sensitive)
{
    return guarded(PS_FAILURE, [&] {
        return replaceText(destination, source, search, replacement, size, case_sensitive != 0);
    });
}

PELUND_API int psString_symbolsToAlpha(char* output, const char* source, int keep_high)
{
    if (!output || !source)
        return 0;
    size_t n = 0;
    for (const char* p = source; *p; ++p) {
        unsigned u = unitOf(*p);
        if (*p == '\'') {
            output[n++] = 'f';
            output[n++] = 't';
        } else if (*p == '"') {
            output[n++] = 'i';
            output[n++] = 'n';
        } else if (keep_high ? (u < 0x20 || u == 0x7F || u == 0xFF) : (u < 0x20 || u > 0x7E)) {
            output[n++] = '?';
        } else {
            output[n++] = *p;
        }
    }
    output[n] = '\0';
    return int(std::min<size_t>(n, INT_MAX));
}

PELUND_API void FilterNonANSIWChar(ps_char16* text)
{
    if (!text)
        return;
    for (; *text; ++text)
        if (*text > 0xFF || *text == 0xF8)
            *text = '~';
}

}  // extern "C"
