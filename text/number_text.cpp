#include "text/number_text.h"

#include "numeric/decimal_text.h"
#include "text/char_class.h"
#include "platform/user_locale.h"


#include <cstdlib>
#include <climits>
#include <cstdio>
#include <string>

namespace pelund {
namespace {

template <class Ch>
int integerOf(const Ch* text)
{
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' ||
           *text == '\f')
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long v = 0;
    for (; isAsciiDigit(*text); ++text)
        if (v <= (long long)INT_MAX + 1)
            v = v * 10 + (*text - '0');
    if (negative)
        v = -v;
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return int(v);
}

}  // namespace

int readInteger(const char* text) { return integerOf(text); }
int readInteger(const char16_t* text) { return integerOf(text); }

double readDecimal(const char* text) { return decimalInCLocale(text); }

double readDecimal(const char16_t* text)
{
    std::string narrow;
    for (; *text && *text < 0x80; ++text)
        narrow.push_back(char(*text));
    return readDecimal(narrow.c_str());
}

std::string decimalText(double value, int precision)
{
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", precision, value);
    trimDecimalText(text, 1);
    return text;
}

}  // namespace pelund
