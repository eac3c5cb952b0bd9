// ASCII-only case folding, for keywords and names that the locale must not
// change (SQL words, connection-string keys).
#ifndef PELUND_FRAME_ASCII_H
#define PELUND_FRAME_ASCII_H

#include <cstddef>
#include <string_view>

namespace pelund {

template <class C>
constexpr C asciiUpper(C c)
{
    return c >= C('a') && c <= C('z') ? C(c - C('a') + C('A')) : c;
}

// Whether TEXT starts with PREFIX, ignoring ASCII case; PREFIX is upper case.
template <class C>
constexpr bool startsWithAsciiUpper(std::basic_string_view<C> text, std::basic_string_view<C> prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t k = 0; k < prefix.size(); ++k)
        if (asciiUpper(text[k]) != prefix[k])
            return false;
    return true;
}

}  // namespace pelund

#endif
