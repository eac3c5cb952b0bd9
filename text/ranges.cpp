// Number lists and bit masks, lists mixing numbers and patterns, and lists
// of decimals and decimal ranges.
#include "frame/guard.h"
#include "frame/text_forms.h"
#include "pelund/numeric.h"
#include "pelund/ranges.h"
#include "pelund/strings.h"
#include "pelund/wildcards.h"
#include "numeric/point_sort.h"
#include "text/char_class.h"
#include "text/list_append.h"
#include "text/number_text.h"
#include "text/tokens.h"
#include "text/wildcard_match.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace pelund {
namespace {

template <class Ch>
using Text = std::basic_string<Ch>;

template <class Ch>
Text<Ch> widened(const char* s)
{
    Text<Ch> t;
    for (; *s; ++s)
        t.push_back(Ch((unsigned char)*s));
    return t;
}

// Parts of an element are read into work areas of this many characters.
template <class Ch>
constexpr int partSize = std::is_same_v<Ch, char> ? 63 : 127;

template <class Ch>
int validRange(const Ch* text, bool singleAllowed, int* lower, int* upper, int* isRange)
{
    if (!text)
        return 0;
    static const Ch space[] = {' ', 0}, dash[] = {'-', 0};
    TokenSets<Ch> sets;
    sets.skip = space;
    sets.trim = space;
    sets.separator = dash;
    Ch part[4][partSize<Ch> + 1];
    const Ch* p = text;
    for (int k = 0; k < 3; ++k)
        p += getToken(part[k], p, sets, partSize<Ch>);
    if (isRange)
        *isRange = 0;
    Text<Ch> first, second;
    bool hasSecond = false;
    if (!part[0][0] && part[1][0]) {
        first = Text<Ch>(dash) + part[1];
        if (part[2][0]) {
            second = part[2];
            hasSecond = true;
        } else {
            getToken(part[3], p, sets, partSize<Ch>);
            if (part[3][0]) {
                second = Text<Ch>(dash) + part[3];
                hasSecond = true;
            }
        }
    } else {
        first = part[0];
        if (part[1][0]) {
            second = part[1];
            hasSecond = true;
        }
    }
    auto numeric = [](const Text<Ch>& s) { return isNumericText(s.c_str(), true, false, true); };
    if (first.empty() || !numeric(first))
        return 0;
    int S = readInteger(first.c_str());
    if (lower && S >= *lower)
        *lower = S;
    if (!hasSecond) {
        if (upper)
            *upper = S;
        return singleAllowed ? 1 : 0;
    }
    if (!numeric(second))
        return 0;
    int E = readInteger(second.c_str());
    if (isRange)
        *isRange = 1;
    if (!upper)
        return S <= E ? 1 : 0;
    int L = lower ? *lower : 0;
    if (*upper > L && E > *upper)
        return 0;
    *upper = E;
    return 1;
}

// The value of a digits-only element; UTF-16 digits of other scripts count
// with their digit value. Saturates far beyond any mask.
template <class Ch>
long long digitsValue(const Ch* s, size_t n)
{
    long long v = 0;
    for (size_t k = 0; k < n; ++k) {
        int d = 0;
        unsigned u = unitOf(s[k]);
        if (u >= '0' && u <= '9')
            d = int(u - '0');
        else if (u == 0xB2 || u == 0xB3)
            d = int(u - 0xB0);
        else if (u == 0xB9)
            d = 1;
        else if (isWideDigit(char16_t(u)))
            d = wideDigitValue(char16_t(u));
        v = std::min(v * 10 + d, (long long)1 << 40);
    }
    return v;
}

template <class Ch>
bool digitsOnly(const Ch* s, size_t n)
{
    if (n == 0)
        return false;
    for (size_t k = 0; k < n; ++k) {
        if constexpr (std::is_same_v<Ch, char>) {
            if (!isAsciiDigit(s[k]))
                return false;
        } else if (!isWideDigit(s[k])) {
            return false;
        }
    }
    return true;
}

template <class Ch>
long long partValue(const Ch* s, size_t n)
{
    return digitsOnly(s, n) ? digitsValue(s, n) : 0;
}

// Sets the bits of FROM..TO that the mask holds.
void setBits(unsigned char* mask, long long bits, long long base, long long from, long long to)
{
    from = std::max(from - base, 0LL);
    to = std::min(to - base, bits - 1);
    for (long long b = from; b <= to; ++b)
        mask[b / 8] |= (unsigned char)(1u << (b % 8));
}

template <class Ch>
void fillMask(unsigned char* mask, const Ch* text, long long bits, long long base)
{
    static const Ch comma[] = {',', 0}, space[] = {' ', 0};
    TokenSets<Ch> sets;
    sets.separator = comma;
    sets.remove = space;
    std::vector<Ch> element(strLen(text) + 1);
    for (int n; (n = getToken(element.data(), text, sets, 0)) > 0; text += n) {
        const Ch* e = element.data();
        size_t len = strLen(e);
        if (digitsOnly(e, len)) {
            long long v = digitsValue(e, len);
            setBits(mask, bits, base, v, v);
            continue;
        }
        size_t dash = size_t(std::find(e, e + len, Ch('-')) - e);
        long long start = partValue(e, dash);
        long long end = dash < len ? partValue(e + dash + 1, len - dash - 1) : 0;
        if (start < end)
            setBits(mask, bits, base, start, end);
    }
}

template <class Ch>
int bitMaskFromString(unsigned char* mask, const Ch* text, int size, int base)
{
    if (!mask || !text)
        return PS_FAILURE;
    if (size <= 0)
        return PS_SUCCESS;
    std::memset(mask, 0, size_t(size));
    fillMask(mask, text, (long long)size * 8, base);
    return PS_SUCCESS;
}

std::string stringFromMask(const unsigned char* mask, int size, long long base)
{
    std::string out;
    long long previous = -2;
    bool inRun = false;
    for (long long byte = 0; byte < size; ++byte) {
        if (!mask[byte])
            continue;
        for (int k = 0; k < 8; ++k) {
            if (!(mask[byte] >> k & 1))
                continue;
            long long bit = byte * 8 + k;
            if (out.empty()) {
                out = std::to_string(base + bit);
            } else if (bit == previous + 1) {
                if (!inRun)
                    out += '-';
                inRun = true;
            } else {
                if (inRun)
                    out += std::to_string(base + previous);
                inRun = false;
                out += ',' + std::to_string(base + bit);
            }
            previous = bit;
        }
    }
    if (inRun)
        out += std::to_string(base + previous);
    return out;
}

template <class Ch>
int formatNumericList(Ch* text, int base, int count)
{
    if (!text || base < 0 || base >= count)
        return PS_FAILURE;
    size_t bytes = (size_t(count) + 7) / 8;
    auto* mask = static_cast<unsigned char*>(std::calloc(bytes, 1));
    if (!mask)
        return PS_SUCCESS;  // the text stays as it is
    std::string out;
    try {
        fillMask(mask, text, (long long)bytes * 8, base);
        out = stringFromMask(mask, int(bytes), base);
    } catch (...) {
        std::free(mask);
        return PS_SUCCESS;
    }
    std::free(mask);
    Text<Ch> result = widened<Ch>(out.c_str());
    std::memcpy(text, result.c_str(), (result.size() + 1) * sizeof(Ch));
    return PS_SUCCESS;
}

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

PELUND_API int psString_buildBitMaskFromStringA(unsigned char* mask, const char* text, int size,
                                                int base)
{
    return guarded(PS_FAILURE, [&] { return bitMaskFromString(mask, text, size, base); });
}

PELUND_API int psString_buildBitMaskFromStringW(unsigned char* mask, const ps_char16* text,
                                                int size, int base)
{
    return guarded(PS_FAILURE, [&] { return bitMaskFromString(mask, text, size, base); });
}

PELUND_API int psString_buildStringFromBitMaskA(char* output, const unsigned char* mask, int size,
                                                int base)
{
    if (!output || !mask)
        return PS_FAILURE;
    return guarded(PS_FAILURE, [&] {
        std::string out = stringFromMask(mask, size, base);
        std::memcpy(output, out.c_str(), out.size() + 1);
        return PS_SUCCESS;
    });
}

PELUND_API int psString_buildStringFromBitMaskW(ps_char16* output, const unsigned char* mask,
                                                int size, int base)
{
    if (!output || !mask)
        return PS_FAILURE;
    return guarded(PS_FAILURE, [&] {
        std::string out = stringFromMask(mask, size, base);
        out.resize(std::min<size_t>(out.size(), 1023));
        Text<char16_t> wide = widened<char16_t>(out.c_str());
        std::memcpy(output, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
        return PS_SUCCESS;
    });
}

PELUND_API int psStringFixed_listFormatNumericRangeA(char* text, int base, int count)
{
    return guarded(PS_SUCCESS, [&] { return formatNumericList(text, base, count); });
}

PELUND_API int psStringFixed_listFormatNumericRangeW(ps_char16* text, int base, int count)
{
    return guarded(PS_SUCCESS, [&] { return formatNumericList(text, base, count); });
}

PELUND_API int psStringAsList_isNumericRange(const char* text, int* has_range)
{
    bool range = false, any = false, ok = text != nullptr;
    for (const char* p = text; ok && *p; ++p) {
        if (*p == ' ' || *p == '\t')
            continue;
        any = true;
        range = range || *p == ',' || *p == '-';
        ok = isAsciiDigit(*p) || *p == '.' || *p == ',' || *p == '-';
    }
    if (has_range) {
        if (text)
            for (const char* p = text; *p && !range; ++p)
                range = *p == ',' || *p == '-';
        *has_range = range ? 1 : 0;
    }
    return ok && any ? 1 : 0;
}

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
