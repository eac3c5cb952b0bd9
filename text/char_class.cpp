#include "text/char_class.h"

#include "pelund/strings.h"

#include <iterator>

namespace pelund {
namespace {

// First units of the runs of ten decimal digits in the BMP beyond Latin-1.
const char16_t digitRuns[] = {
    0x0660, 0x06F0, 0x07C0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0BE6, 0x0C66,
    0x0CE6, 0x0D66, 0x0DE6, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x1090, 0x17E0, 0x1810,
    0x1946, 0x19D0, 0x1A80, 0x1A90, 0x1B50, 0x1BB0, 0x1C40, 0x1C50, 0xA620, 0xA8D0,
    0xA900, 0xA9D0, 0xA9F0, 0xAA50, 0xABF0, 0xFF10,
};

template <class Ch, class Test>
int allOf(const Ch* text, bool all, Test test)
{
    if (!text || !*text)
        return 0;
    for (size_t i = 0; text[i]; ++i) {
        bool yes = test(text[i], i);
        if (all && !yes)
            return 0;
        if (!all && yes)
            return 1;
    }
    return all ? 1 : 0;
}

bool isPrintableByte(char c)
{
    unsigned u = unitOf(c);
    return !(u < 0x20 || u == 0x7F || u == 0xFF);
}

template <class Ch>
int numeric(const Ch* text, bool all, bool allowPoint, bool allowMinus)
{
    return allOf(text, all, [&](Ch c, size_t i) {
        return isAsciiDigit(c) || (allowPoint && c == '.') || (allowMinus && i == 0 && c == '-');
    });
}

}  // namespace

bool isWideDigit(char16_t c)
{
    if (c < 0x100)
        return isAsciiDigit(c) || c == 0xB2 || c == 0xB3 || c == 0xB9;
    for (char16_t first : digitRuns)
        if (c >= first && c < first + 10)
            return true;
    return false;
}

int wideDigitValue(char16_t c)
{
    if (isAsciiDigit(c))
        return c - '0';
    if (c == 0xB2 || c == 0xB3)
        return c - 0xB0;
    if (c == 0xB9)
        return 1;
    for (char16_t first : digitRuns)
        if (c >= first && c < first + 10)
            return c - first;
    return 0;
}

bool isNumericText(const char* text, bool all, bool allowPoint, bool allowMinus)
{
    return numeric(text, all, allowPoint, allowMinus) != 0;
}

bool isNumericText(const char16_t* text, bool all, bool allowPoint, bool allowMinus)
{
    return numeric(text, all, allowPoint, allowMinus) != 0;
}

bool allDigits(const char* text, bool all)
{
    return allOf(text, all, [](char c, size_t) { return isAsciiDigit(c); });
}

bool allDigits(const char16_t* text, bool all)
{
    return allOf(text, all, [](char16_t c, size_t) { return isWideDigit(c); });
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psString_isAlpha(const char* text, int all)
{
    return allOf(text, (all & 0xFF) != 0, [](char c, size_t) { return isAsciiLetter(c); });
}

PELUND_API int psString_isAlphaNumeric(const char* text, int all)
{
    return allOf(text, (all & 0xFF) != 0, [](char c, size_t) { return isAsciiAlnum(c); });
}

PELUND_API int psString_isPrintable(const char* text, int all)
{
    return allOf(text, (all & 0xFF) != 0, [](char c, size_t) { return isPrintableByte(c); });
}

PELUND_API int psString_isNumericExtA(const char* text, int all, int allow_point,
                                      int allow_leading_minus)
{
    return isNumericText(text, all != 0, allow_point != 0, allow_leading_minus != 0) ? 1 : 0;
}

PELUND_API int psString_isNumericExtW(const ps_char16* text, int all, int allow_point,
                                      int allow_leading_minus)
{
    return isNumericText(text, all != 0, allow_point != 0, allow_leading_minus != 0) ? 1 : 0;
}

PELUND_API ps_char16 psWChar_towlower(ps_char16 c) { return toLowerAscii(c); }

}  // extern "C"
