// Character classes and case of the "C" locale, for both widths: only ASCII
// letters are letters and change case, only '0' to '9' are digits.
#ifndef PELUND_TEXT_CHAR_CLASS_H
#define PELUND_TEXT_CHAR_CLASS_H

#include <type_traits>

namespace pelund {

template <class Ch>
inline unsigned unitOf(Ch c)
{
    return static_cast<std::make_unsigned_t<Ch>>(c);
}

template <class Ch>
inline Ch toUpperAscii(Ch c)
{
    return c >= 'a' && c <= 'z' ? Ch(c - 'a' + 'A') : c;
}

template <class Ch>
inline Ch toLowerAscii(Ch c)
{
    return c >= 'A' && c <= 'Z' ? Ch(c - 'A' + 'a') : c;
}

template <class Ch>
inline bool isAsciiLetter(Ch c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

template <class Ch>
inline bool isAsciiDigit(Ch c)
{
    return c >= '0' && c <= '9';
}

template <class Ch>
inline bool isAsciiAlnum(Ch c)
{
    return isAsciiLetter(c) || isAsciiDigit(c);
}

template <class Ch>
inline bool sameChar(Ch a, Ch b, bool caseSensitive)
{
    return a == b || (!caseSensitive && toUpperAscii(a) == toUpperAscii(b));
}

// The UTF-16 digit class of the runtime: '0'-'9', the superscripts U+00B2,
// U+00B3, U+00B9, and the decimal digits of the other scripts of the BMP.
bool isWideDigit(char16_t c);
// The value 0 to 9 of a unit for which isWideDigit holds.
int wideDigitValue(char16_t c);

// All (or, with ALL false, at least one) characters of TEXT are ASCII
// digits, or a '.' with ALLOWPOINT, or a leading '-' with ALLOWMINUS; false
// for a null or empty TEXT.
bool isNumericText(const char* text, bool all, bool allowPoint, bool allowMinus);
bool isNumericText(const char16_t* text, bool all, bool allowPoint, bool allowMinus);

// All (or, with ALL false, at least one) characters of TEXT are digits; false
// for a null or empty TEXT.
bool allDigits(const char* text, bool all);
bool allDigits(const char16_t* text, bool all);

}  // namespace pelund

#endif
