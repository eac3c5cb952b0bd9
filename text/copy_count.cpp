// Bounded copies and counting the pieces of a separated text.
#include "frame/text_forms.h"
#include "pelund/strings.h"
#include "text/tokens.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace pelund {
namespace {

template <class Ch>
int countPieces(const Ch* text, const Ch* separators)
{
    if (!text || !separators || !*text)
        return 0;
    TokenSets<Ch> sets;
    sets.separator = separators;
    int pieces = 0;
    for (int n; (n = getToken(static_cast<Ch*>(nullptr), text, sets, 0)) > 0; text += n)
        if (pieces < INT_MAX)
            ++pieces;
    return pieces;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psString_copyNA(char* destination, const char* source, unsigned int n)
{
    if (!destination || !source || n == 0)
        return 0;
    size_t k = strnlen(source, n);
    std::memmove(destination, source, k);
    destination[k] = '\0';
    return int(std::min<size_t>(k, INT_MAX));
}

PELUND_API int psString_copyNW(ps_char16* destination, const ps_char16* source, unsigned int n)
{
    if (!destination || !source || n == 0)
        return 0;
    size_t k = 0;
    while (k < n && source[k])
        ++k;
    std::memmove(destination, source, k * sizeof(ps_char16));
    for (size_t i = k; i < n; ++i)
        destination[i] = 0;
    destination[k] = 0;
    return int(std::min<size_t>(k, INT_MAX));
}

PELUND_API int psString_countCharsA(const char* text, const char* separators)
{
    return countPieces(text, separators);
}

PELUND_API int psString_countCharsW(const ps_char16* text, const ps_char16* separators)
{
    return countPieces(text, separators);
}

}  // extern "C"
