// One element of a number list: a number or a range of two.
#include "text/integer_ranges.h"

#include "frame/guard.h"
#include "pelund/ranges.h"
#include "text/char_class.h"
#include "text/number_text.h"
#include "text/tokens.h"

#include <string>
#include <type_traits>

namespace pelund {
namespace {

template <class Ch>
using Text = std::basic_string<Ch>;

// Parts of an element are read into work areas of this many characters.
template <class Ch>
constexpr int partSize = std::is_same_v<Ch, char> ? 63 : 127;

// The number texts of an element, split at dashes with blanks around them
// dropped: FIRST, and SECOND for a range. A leading dash belongs to the
// first number ("-3-5"); a dash after the range's dash to the second
// ("2--1"). Returns whether there is a second number.
template <class Ch>
bool splitRange(const Ch* text, Text<Ch>* first, Text<Ch>* second)
{
    static const Ch space[] = {' ', 0}, dash[] = {'-', 0};
    TokenSets<Ch> sets;
    sets.skip = space;
    sets.trim = space;
    sets.separator = dash;
    Ch part[4][partSize<Ch> + 1];
    const Ch* p = text;
    for (int k = 0; k < 3; ++k)
        p += getToken(part[k], p, sets, partSize<Ch>);
    if (!part[0][0] && part[1][0]) {
        *first = Text<Ch>(dash) + part[1];
        if (part[2][0]) {
            *second = part[2];
            return true;
        }
        getToken(part[3], p, sets, partSize<Ch>);
        if (!part[3][0])
            return false;
        *second = Text<Ch>(dash) + part[3];
        return true;
    }
    *first = part[0];
    if (!part[1][0])
        return false;
    *second = part[1];
    return true;
}

template <class Ch>
int checkRange(const Ch* text, bool singleAllowed, int* lower, int* upper, int* isRange)
{
    if (!text)
        return 0;
    Text<Ch> first, second;
    bool hasSecond = splitRange(text, &first, &second);
    if (isRange)
        *isRange = 0;
    auto numeric = [](const Text<Ch>& s) { return isNumericText(s.c_str(), true, false, true); };
    if (first.empty() || !numeric(first))
        return 0;
    const int start = readInteger(first.c_str());
    if (lower && start >= *lower)
        *lower = start;
    if (!hasSecond) {
        if (upper)
            *upper = start;
        return singleAllowed ? 1 : 0;
    }
    if (!numeric(second))
        return 0;
    const int end = readInteger(second.c_str());
    if (isRange)
        *isRange = 1;
    if (!upper)
        return start <= end ? 1 : 0;
    // An upper bound that the caller set above the lower one limits the end.
    const int lowerBound = lower ? *lower : 0;
    if (*upper > lowerBound && end > *upper)
        return 0;
    *upper = end;
    return 1;
}

}  // namespace

int validRange(const char* text, bool singleAllowed, int* lower, int* upper, int* isRange)
{
    return checkRange(text, singleAllowed, lower, upper, isRange);
}

int validRange(const char16_t* text, bool singleAllowed, int* lower, int* upper, int* isRange)
{
    return checkRange(text, singleAllowed, lower, upper, isRange);
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psString_isValidNumericRangeA(const char* text, int single_allowed, int* lower,
                                             int* upper, int* is_range)
{
    return guarded(0, [&] { return validRange(text, single_allowed != 0, lower, upper, is_range); });
}

PELUND_API int psString_isValidNumericRangeW(const ps_char16* text, int single_allowed,
                                             int* lower, int* upper, int* is_range)
{
    return guarded(0, [&] { return validRange(text, single_allowed != 0, lower, upper, is_range); });
}

}  // extern "C"
