// Lists that mix numbers, number ranges and wildcard patterns.
#include "frame/guard.h"
#include "pelund/ranges.h"
#include "text/char_class.h"
#include "text/integer_ranges.h"
#include "text/number_text.h"
#include "text/tokens.h"
#include "text/wildcard_match.h"

#include <vector>

namespace pelund {
namespace {

template <class Ch>
int matchInMixedList(const Ch* list, const Ch* value, int level, const Ch* skip, const Ch* trim,
                     const Ch* remove, const Ch* separators, const Ch* quotes, int* lower,
                     int* upper, int* isRange, int cs)
{
    if (!list || !value)
        return 0;
    if (isRange)
        *isRange = 0;
    constexpr int elementSize = std::is_same_v<Ch, char> ? 512 : 1024;
    bool numeric = isNumericText(value, true, false, true);
    int v = numeric ? readInteger(value) : 0;
    TokenSets<Ch> sets{skip, trim, remove, separators, nullptr, quotes};
    std::vector<Ch> element(elementSize + 1);
    for (int n; (n = getToken(element.data(), list, sets, elementSize)) > 0; list += n) {
        int lo = lower ? *lower : 0, hi = upper ? *upper : 0;
        if (numeric && validRange(element.data(), true, &lo, &hi, isRange)) {
            if (v < lo || v > hi)
                continue;
            if (lower)
                *lower = lo;
            if (upper)
                *upper = hi;
            return 1;
        }
        if (matchText(element.data(), value, level, cs != 0, WildcardFlavor::Ext))
            return 1;
    }
    return 0;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psStringAsList_matchStringInAlphaNumericRangeA(
    const char* list, const char* value, int level, const char* skip, const char* trim,
    const char* remove, const char* separators, const char* quotes, int* lower, int* upper,
    int* is_range, int case_sensitive)
{
    return guarded(0, [&] {
        return matchInMixedList(list, value, level, skip, trim, remove, separators, quotes, lower,
                                upper, is_range, case_sensitive);
    });
}

PELUND_API int psStringAsList_matchStringInAlphaNumericRangeW(
    const ps_char16* list, const ps_char16* value, int level, const ps_char16* skip,
    const ps_char16* trim, const ps_char16* remove, const ps_char16* separators,
    const ps_char16* quotes, int* lower, int* upper, int* is_range, int case_sensitive)
{
    return guarded(0, [&] {
        return matchInMixedList(list, value, level, skip, trim, remove, separators, quotes, lower,
                                upper, is_range, case_sensitive);
    });
}

}  // extern "C"
