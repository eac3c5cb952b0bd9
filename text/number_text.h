// Numbers read from text as atoi and atof read them, but always in the "C"
// locale and without overflow: integers saturate at the int range.
#ifndef PELUND_TEXT_NUMBER_TEXT_H
#define PELUND_TEXT_NUMBER_TEXT_H

#include <string>

namespace pelund {

int readInteger(const char* text);
int readInteger(const char16_t* text);
double readDecimal(const char* text);
double readDecimal(const char16_t* text);

// VALUE with PRECISION decimals ("%.*f"), then its trailing zeros trimmed to
// at least one decimal.
std::string decimalText(double value, int precision);

// Number text written by the library (8-bit) in either width.
template <class Ch>
std::basic_string<Ch> widened(const char* s)
{
    std::basic_string<Ch> t;
    for (; *s; ++s)
        t.push_back(Ch((unsigned char)*s));
    return t;
}

}  // namespace pelund

#endif
