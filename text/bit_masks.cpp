// Number lists turned into bit masks and back.
#include "frame/guard.h"
#include "frame/text_forms.h"
#include "pelund/ranges.h"
#include "text/char_class.h"
#include "text/number_text.h"
#include "text/tokens.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace pelund {
namespace {

template <class Ch>
using Text = std::basic_string<Ch>;

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

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

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

}  // extern "C"
