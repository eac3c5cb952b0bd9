// One pass over the examined text: each character is looked up once in a
// 256-entry class table built from the sets (UTF-16 units above U+00FF fall
// back to a linear search of the sets, which are a few characters long). The
// length of the source is never measured up front, so a caller that walks a
// long list token by token stays linear.
#include "text/tokens.h"

#include "pelund/tokens.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace pelund {
namespace {

enum : uint8_t { Skip = 1, Trim = 2, Remove = 4, Separator = 8, Stop = 16, Quote = 32 };

template <class Ch>
class CharClasses {
public:
    explicit CharClasses(const TokenSets<Ch>& sets) : sets_(sets)
    {
        std::memset(table_, 0, sizeof table_);
        add(sets.skip, Skip);
        add(sets.trim, Trim);
        add(sets.remove, Remove);
        add(sets.separator, Separator);
        add(sets.stop, Stop);
        add(sets.quote, Quote);
    }

    uint8_t of(Ch c) const
    {
        auto u = static_cast<std::make_unsigned_t<Ch>>(c);
        if (u < 256)
            return table_[u];
        return wideOf(c);
    }

private:
    void add(const Ch* set, uint8_t bit)
    {
        if (!set)
            return;
        for (; *set; ++set) {
            auto u = static_cast<std::make_unsigned_t<Ch>>(*set);
            if (u < 256)
                table_[u] |= bit;
        }
    }

    static bool has(const Ch* set, Ch c)
    {
        if (set)
            for (; *set; ++set)
                if (*set == c)
                    return true;
        return false;
    }

    uint8_t wideOf(Ch c) const
    {
        return uint8_t((has(sets_.skip, c) ? Skip : 0) | (has(sets_.trim, c) ? Trim : 0) |
                       (has(sets_.remove, c) ? Remove : 0) |
                       (has(sets_.separator, c) ? Separator : 0) | (has(sets_.stop, c) ? Stop : 0) |
                       (has(sets_.quote, c) ? Quote : 0));
    }

    const TokenSets<Ch>& sets_;
    uint8_t table_[256];
};

template <class Ch>
int takeToken(Ch* output, const Ch* source, const TokenSets<Ch>& sets, int size,
              size_t capacity)
{
    if (!source)
        return 0;
    const CharClasses<Ch> classes(sets);
    // End of the examined text: the terminator, or SIZE characters in.
    size_t limit = size > 0 ? size_t(size) : SIZE_MAX;
    size_t p = 0;
    while (p < limit && source[p] && (classes.of(source[p]) & Skip))
        ++p;

    size_t n = 0;
    bool quoted = false;
    while (p < limit && source[p]) {
        Ch c = source[p];
        uint8_t k = classes.of(c);
        if (k & Quote) {
            quoted = !quoted;
            ++p;
            continue;
        }
        if (!quoted) {
            if (k & Separator) {
                ++p;
                break;
            }
            if (k & Stop)
                break;
            if (k & Remove) {
                ++p;
                continue;
            }
        }
        if (output && n + 1 < capacity)
            output[n++] = c;
        ++p;
    }
    if (output) {
        if (sets.trim)
            while (n > 0 && (classes.of(output[n - 1]) & Trim))
                --n;
        output[n] = 0;
    }
    return int(p);
}

}  // namespace

int getToken(char* output, const char* source, const TokenSets<char>& sets, int size,
             size_t capacity)
{
    return takeToken(output, source, sets, size, capacity);
}

int getToken(char16_t* output, const char16_t* source, const TokenSets<char16_t>& sets, int size,
             size_t capacity)
{
    return takeToken(output, source, sets, size, capacity);
}

}  // namespace pelund

using pelund::TokenSets;

extern "C" {

PELUND_API int psString_getTokenSizedA(char* output, const char* source, const char* skip,
                                       const char* trim, const char* remove,
                                       const char* separator, const char* stop, int size)
{
    return pelund::getToken(output, source, {skip, trim, remove, separator, stop, nullptr}, size);
}

PELUND_API int psString_getTokenSizedW(ps_char16* output, const ps_char16* source,
                                       const ps_char16* skip, const ps_char16* trim,
                                       const ps_char16* remove, const ps_char16* separator,
                                       const ps_char16* stop, int size)
{
    return pelund::getToken(output, source, {skip, trim, remove, separator, stop, nullptr}, size);
}

PELUND_API int psString_getTokenA(char* output, const char* source, const char* skip,
                                  const char* trim, const char* remove, const char* separator,
                                  const char* stop)
{
    return pelund::getToken(output, source, {skip, trim, remove, separator, stop, nullptr}, 0);
}

PELUND_API int psString_getTokenW(ps_char16* output, const ps_char16* source,
                                  const ps_char16* skip, const ps_char16* trim,
                                  const ps_char16* remove, const ps_char16* separator,
                                  const ps_char16* stop)
{
    return pelund::getToken(output, source, {skip, trim, remove, separator, stop, nullptr}, 0);
}

PELUND_API int psString_getTokenSizedExtA(char* output, const char* source, const char* skip,
                                          const char* trim, const char* remove,
                                          const char* separator, const char* stop,
                                          const char* quote, int size)
{
    return pelund::getToken(output, source, {skip, trim, remove, separator, stop, quote}, size);
}

PELUND_API int psString_getTokenSizedExtW(ps_char16* output, const ps_char16* source,
                                          const ps_char16* skip, const ps_char16* trim,
                                          const ps_char16* remove, const ps_char16* separator,
                                          const ps_char16* stop, const ps_char16* quote,
                                          int size)
{
    return pelund::getToken(output, source, {skip, trim, remove, separator, stop, quote}, size);
}

PELUND_API int psString_getTokenExtA(char* output, const char* source, const char* skip,
                                     const char* trim, const char* remove, const char* separator,
                                     const char* stop, const char* quote)
{
    return pelund::getToken(output, source, {skip, trim, remove, separator, stop, quote}, 0);
}

PELUND_API int psString_getTokenExtW(ps_char16* output, const ps_char16* source,
                                     const ps_char16* skip, const ps_char16* trim,
                                     const ps_char16* remove, const ps_char16* separator,
                                     const ps_char16* stop, const ps_char16* quote)
{
    return pelund::getToken(output, source, {skip, trim, remove, separator, stop, quote}, 0);
}

}  // extern "C"
