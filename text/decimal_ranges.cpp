// Lists of decimals and decimal ranges.
#include "frame/guard.h"
#include "frame/text_forms.h"
#include "numeric/point_sort.h"
#include "pelund/ranges.h"
#include "text/list_append.h"
#include "text/number_text.h"
#include "text/tokens.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace pelund {
namespace {

template <class Ch>
using Text = std::basic_string<Ch>;

template <class Ch>
int findDouble(double value, const Ch* list, const Ch* separators, double tolerance)
{
    if (!list || !separators)
        return -1;
    static const Ch space[] = {' ', 0};
    TokenSets<Ch> sets;
    sets.skip = space;
    sets.trim = space;
    sets.separator = separators;
    Ch element[65];
    long long consumed = 0;
    for (int n; (n = getToken(element, list + consumed, sets, 64)) > 0;) {
        consumed += n;
        if (std::fabs(readDecimal(element) - value) < tolerance)
            return int(std::min<long long>(consumed, INT_MAX));
    }
    return -1;
}

template <class Ch>
int readDoubleRange(const Ch* text, double* lower, double* upper)
{
    if (!text)
        return 0;
    static const Ch space[] = {' ', 0}, comma[] = {',', 0};
    TokenSets<Ch> sets;
    sets.remove = space;
    sets.separator = comma;
    Ch element[257];
    int n = getToken(element, text, sets, 256);
    if (n == 0)
        return 0;
    double lo = readDecimal(element), hi = lo;
    size_t len = strLen(element);
    size_t dash = size_t(std::find(element, element + len, Ch('-')) - element);
    if (dash < len) {
        hi = readDecimal(element + dash + 1);
        if (lo > hi)
            std::swap(lo, hi);
    }
    if (lower)
        *lower = lo;
    if (upper)
        *upper = hi;
    return n;
}

template <class Ch>
void addDoubleRange(Text<Ch>& list, double lo, double hi, int precision)
{
    static const Ch separator[] = {',', ' ', 0};
    Text<Ch> text = widened<Ch>(decimalText(lo, precision).c_str());
    if (lo < hi) {
        text.push_back('-');
        text += widened<Ch>(decimalText(hi, precision).c_str());
        appendEntry(list, separator, false, std::basic_string_view<Ch>(text));
    } else {
        appendEntry(list, separator, true, std::basic_string_view<Ch>(text));
    }
}

struct Record {
    double lo, hi, z;
};

// The working text of a decimal list.
constexpr size_t decimalArea = 511;

template <class Ch>
std::vector<Record> readRecords(const Text<Ch>& list)
{
    std::vector<Record> records;
    const Ch* p = list.c_str();
    Record r{0, 0, 0};
    for (int n; (n = readDoubleRange(p, &r.lo, &r.hi)) > 0; p += n)
        records.push_back(r);
    return records;
}

// Elements that would take the list past its working area are left out.
template <class Ch>
Text<Ch> buildList(const std::vector<Record>& records, const std::vector<bool>* dropped,
                   int precision)
{
    Text<Ch> list;
    for (size_t k = 0; k < records.size(); ++k) {
        if (dropped && (*dropped)[k])
            continue;
        Text<Ch> longer = list;
        addDoubleRange(longer, records[k].lo, records[k].hi, precision);
        if (longer.size() > decimalArea)
            break;
        list.swap(longer);
    }
    return list;
}

template <class Ch>
int formatDoubleList(Ch* text, int precision)
{
    if (!text)
        return PS_SUCCESS;
    size_t n = 0;
    while (n < decimalArea && text[n])
        ++n;
    Text<Ch> work(text, n);
    work = buildList<Ch>(readRecords(work), nullptr, precision);
    std::vector<Record> records = readRecords(work);
    if (!records.empty())
        sortPoints(&records[0].lo, int(records.size()), 1);
    work = buildList<Ch>(records, nullptr, precision);
    records = readRecords(work);
    std::vector<bool> dropped(records.size());
    for (size_t e = 0; e < records.size(); ++e)
        for (size_t k = e + 1; k < records.size(); ++k)
            if (!dropped[k] && records[k].lo >= records[e].lo && records[k].hi <= records[e].hi)
                dropped[k] = true;
    work = buildList<Ch>(records, &dropped, precision);
    std::memcpy(text, work.c_str(), (work.size() + 1) * sizeof(Ch));
    return PS_SUCCESS;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psStringAsList_findDoubleA(double value, const char* list, const char* separators,
                                          double tolerance)
{
    return findDouble(value, list, separators, tolerance);
}

PELUND_API int psStringAsList_findDoubleW(double value, const ps_char16* list,
                                          const ps_char16* separators, double tolerance)
{
    return guarded(-1, [&] { return findDouble(value, list, separators, tolerance); });
}

PELUND_API int psStringFixed_listReadDoubleRangeA(const char* text, double* lower, double* upper)
{
    return readDoubleRange(text, lower, upper);
}

PELUND_API int psStringFixed_listReadDoubleRangeW(const ps_char16* text, double* lower,
                                                  double* upper)
{
    return guarded(0, [&] { return readDoubleRange(text, lower, upper); });
}

PELUND_API int psStringFixed_listAddDoubleRangeA(char* list, double lower, double upper,
                                                 int precision)
{
    if (!list)
        return PS_FAILURE;
    return guarded(PS_FAILURE, [&] {
        std::string s(list);
        addDoubleRange(s, lower, upper, precision);
        std::memcpy(list, s.c_str(), s.size() + 1);
        return PS_SUCCESS;
    });
}

PELUND_API int psStringFixed_listAddDoubleRangeW(ps_char16* list, double lower, double upper,
                                                 int precision)
{
    if (!list)
        return PS_FAILURE;
    return guarded(PS_FAILURE, [&] {
        std::u16string s(list);
        addDoubleRange(s, lower, upper, precision);
        std::memcpy(list, s.c_str(), (s.size() + 1) * sizeof(char16_t));
        return PS_SUCCESS;
    });
}

PELUND_API int psStringFixed_listFormatDoubleRangeA(char* text, int precision)
{
    return guarded(PS_SUCCESS, [&] { return formatDoubleList(text, precision); });
}

PELUND_API int psStringFixed_listFormatDoubleRangeW(ps_char16* text, int precision)
{
    return guarded(PS_SUCCESS, [&] { return formatDoubleList(text, precision); });
}

}  // extern "C"
