// Text of both widths in tests, in the library's own mapping: a byte and
// the UTF-16 unit of the same value (U+0000 to U+00FF) stand for each other.
#ifndef PELUND_TESTS_TEXT_H
#define PELUND_TESTS_TEXT_H

#include <string>
#include <string_view>

namespace testing_support {

// Each byte as the unit of its unsigned value.
inline std::u16string widen(std::string_view s)
{
    std::u16string w;
    for (char c : s)
        w += char16_t((unsigned char)c);
    return w;
}

// Each unit up to U+00FF as its byte; any other as '?'.
inline std::string narrow(std::u16string_view w)
{
    std::string s;
    for (char16_t c : w)
        s += c <= 0xFF ? char(c) : '?';
    return s;
}

}  // namespace testing_support

#endif
