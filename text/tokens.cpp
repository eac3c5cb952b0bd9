// One pass over the examined text: each character is looked up once in a
// 256-entry class table built from the sets (UTF-16 units above U+00FF fall
// back to a linear search of the sets, which are a few characters long). The
// length of the source is never measured up front, so a caller that walks a
// long list token by token stays linear.
//
// 8-bit text examined to its end (no size) takes a shorter road: the token
// is copied in runs between the characters that end or interrupt it, found
// 16 bytes at a time (or with the C library's string scans), so a short
// token costs no table. The sets of nearly every list (one separator, stop
// and quote character at most, nothing removed, any skip and trim sets) are
// read straight from the arguments; longer ones are first gathered into a
// list of those characters.
#include "text/tokens.h"

#include "text/aligned_blocks.h"

#include "pelund/tokens.h"

#include <algorithm>
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

// Membership in a short NUL-terminated set, inlined: the sets are a few
// characters long, and a library call would cost more than the search.
inline bool inSmallSet(const char* set, char c)
{
    if (set)
        for (; *set; ++set)
            if (*set == c)
                return true;
    return false;
}

inline bool isEmptySet(const char* set) { return !set || !*set; }

// Copies N characters: the runs of a list are short, and two overlapping
// moves cost less than a library call.
inline void copyShort(char* to, const char* from, size_t n)
{
    if (n >= 8 && n <= 16) {
        uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + n - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + n - 8, &tail, 8);
    } else if (n >= 4 && n < 8) {
        uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + n - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + n - 4, &tail, 4);
    } else {
        std::memcpy(to, from, n);
    }
}

// The commonest split, on one separator or one stop character END and
// nothing else: the token is the run before it, and a separator (CONSUMED)
// is taken with it. Kept out of line, so that the entry that chooses the
// road saves nothing on the way to another.
[[gnu::noinline]] int takeRun(char* output, const char* source, char end, bool consumed,
                              size_t capacity)
{
    const char* at = strchrnul(source, end);
    size_t run = size_t(at - source);
    if (output && capacity > 0) {
        size_t n = std::min(run, capacity - 1);
        std::memcpy(output, source, n);
        output[n] = 0;
    }
    return int(run + (consumed && *at ? 1 : 0));
}

#if defined(PELUND_ALIGNED_BLOCKS)
// The 16 bytes at AT, which need not be aligned; only for an AT at least 16
// bytes before the end of its page, which can be read whole.
__attribute__((no_sanitize("address", "thread"))) inline __m128i loadAt(const char* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// C in every byte, made in a general register: a character that waits on
// the stack is then never read back wider than it was stored.
inline __m128i broadcast(char c)
{
    return _mm_shuffle_epi32(_mm_cvtsi32_si128(int(uint8_t(c) * 0x01010101u)), 0);
}

// The length of the run at AT before the first byte that HITS marks in a
// block of 16. The first 16 bytes are read from AT itself where its page
// allows, so a short run is found in one step wherever it starts; longer
// runs go on in aligned blocks. No page is smaller than 4 KiB, so 16 bytes
// inside one 4 KiB frame are inside one page.
template <class Hits>
inline size_t scanBlocks(const char* at, Hits hits)
{
    constexpr uintptr_t page = 4096;
    const char* block = at - blockOffset(at);
    unsigned m;
    if ((reinterpret_cast<uintptr_t>(at) & (page - 1)) <= page - 16)
        m = hits(loadAt(at));
    else
        m = hits(loadBlock(block)) >> blockOffset(at);
    if (m)
        return size_t(__builtin_ctz(m));
    for (;;) {
        block += 16;
        m = hits(loadBlock(block));
        if (m)
            return size_t(block - at) + size_t(__builtin_ctz(m));
    }
}

// The length of the run at AT before its terminator or any of A, B, C and
// D (a 0 among them adds nothing), compared inline: a token of a list is a
// few characters long, and a library scan costs more in its call and set-up
// than in the comparisons.
inline size_t scanFour(const char* at, char a, char b, char c, char d)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i ka = broadcast(a), kb = broadcast(b), kc = broadcast(c), kd = broadcast(d);
    return scanBlocks(at, [&](__m128i v) {
        __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, ka)),
                                 _mm_or_si128(_mm_cmpeq_epi8(v, kb),
                                              _mm_or_si128(_mm_cmpeq_epi8(v, kc),
                                                           _mm_cmpeq_epi8(v, kd))));
        return unsigned(_mm_movemask_epi8(m));
    });
}

// The length of the run at AT before its terminator or any of A, B and C.
inline size_t scanThree(const char* at, char a, char b, char c)
{
    return scanFour(at, a, b, c, 0);
}
#else
inline size_t scanThree(const char* at, char a, char b, char c)
{
    char stops[4];
    size_t nb = 0;
    for (char k : {a, b, c})
        if (k)
            stops[nb++] = k;
    stops[nb] = 0;
    return std::strcspn(at, stops);
}
#endif

// The length of the run at AT before its terminator or any of the NB
// characters of STOPS.
inline size_t scanRun(const char* at, const char* stops, size_t nb)
{
    if (nb == 0)
        return std::strlen(at);
    if (nb == 1)
        return size_t(strchrnul(at, stops[0]) - at);
#if defined(PELUND_ALIGNED_BLOCKS)
    if (nb <= 4)
        return scanFour(at, stops[0], stops[1], nb > 2 ? stops[2] : 0, nb > 3 ? stops[3] : 0);
#endif
    return std::strcspn(at, stops);
}

// At most one character of SET, or 0 when there is none; false when SET
// holds more than one.
inline bool singleOrNone(const char* set, char* c)
{
    *c = set ? set[0] : 0;
    return *c == 0 || set[1] == 0;
}

// The shape of nearly every list: at most one separator, one stop and one
// quote character, nothing removed; any skip and trim sets. The whole of an
// 8-bit SOURCE is read in runs between those three characters.
int takeListToken(char* output, const char* source, const char* skip, const char* trim,
                  char separator, char stop, char quote, size_t capacity)
{
    const size_t room = output && capacity > 0 ? capacity - 1 : 0;
    size_t p = 0;
    if (skip)
        while (source[p] && inSmallSet(skip, source[p]))
            ++p;
    size_t n = 0;
    for (bool quoted = false;;) {
        const char* at = source + p;
        size_t run = quoted ? size_t(strchrnul(at, quote) - at)
                            : scanThree(at, quote, separator, stop);
        if (n < room) {
            size_t copy = std::min(run, room - n);
            copyShort(output + n, at, copy);
            n += copy;
        }
        p += run;
        const char c = source[p];
        if (c == 0 || (c == stop && c != quote && c != separator))
            break;
        ++p;
        if (c != quote)
            break;  // the separator
        quoted = !quoted;
    }
    if (output && capacity > 0) {
        if (trim)
            while (n > 0 && inSmallSet(trim, output[n - 1]))
                --n;
        output[n] = 0;
    }
    return int(p);
}

// Any sets, any size, either width: each character looked up in the class
// table.
template <class Ch>
int takeTokenByClasses(Ch* output, const Ch* source, const TokenSets<Ch>& sets, int size,
                       size_t capacity)
{
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
    if (output && capacity > 0) {
        if (sets.trim)
            while (n > 0 && (classes.of(output[n - 1]) & Trim))
                --n;
        output[n] = 0;
    }
    return int(p);
}

// The whole of an 8-bit SOURCE, examined in runs between the characters
// that end or interrupt the token, each run copied at once; sets too long
// for the work area go the general road.
int takeWholeToken(char* output, const char* source, const TokenSets<char>& sets,
                   size_t capacity)
{
    // Every character that ends a run, with what it does there; the first
    // entry of a character wins, so quote, separator, stop and removal are
    // listed in the order in which they take precedence.
    enum : char { Quoting, Separating, Stopping, Removing };
    char breaks[32], kinds[32];
    size_t nb = 0;
    auto add = [&](const char* set, char kind) {
        for (; set && *set; ++set) {
            if (nb + 1 == sizeof breaks)
                return false;
            breaks[nb] = *set;
            kinds[nb++] = kind;
        }
        return true;
    };
    if (!add(sets.quote, Quoting) || !add(sets.separator, Separating) ||
        !add(sets.stop, Stopping) || !add(sets.remove, Removing))
        return takeTokenByClasses(output, source, sets, 0, capacity);
    breaks[nb] = 0;
    const size_t room = output && capacity > 0 ? capacity - 1 : 0;
    size_t p = 0;
    while (source[p] && inSmallSet(sets.skip, source[p]))
        ++p;
    size_t n = 0;
    bool quoted = false;
    for (;;) {
        const char* at = source + p;
        size_t run;
        if (quoted)
            run = scanRun(at, sets.quote, std::strlen(sets.quote));
        else
            run = scanRun(at, breaks, nb);
        if (n < room) {
            size_t copy = std::min(run, room - n);
            copyShort(output + n, at, copy);
            n += copy;
        }
        p += run;
        char c = source[p];
        if (c == 0)
            break;
        size_t k = 0;
        while (breaks[k] != c)
            ++k;
        if (kinds[k] == Quoting) {
            quoted = !quoted;
            ++p;
            continue;
        }
        if (kinds[k] == Separating) {
            ++p;
            break;
        }
        if (kinds[k] == Stopping)
            break;
        ++p;  // a removed character
    }
    if (output && capacity > 0) {
        while (n > 0 && inSmallSet(sets.trim, output[n - 1]))
            --n;
        output[n] = 0;
    }
    return int(p);
}

}  // namespace

int getToken(char* output, const char* source, const TokenSets<char>& sets, int size,
             size_t capacity)
{
    if (!source)
        return 0;
    if (size > 0)
        return takeTokenByClasses(output, source, sets, size, capacity);
    char separator, stop, quote;
    if (!isEmptySet(sets.remove) || !singleOrNone(sets.separator, &separator) ||
        !singleOrNone(sets.stop, &stop) || !singleOrNone(sets.quote, &quote))
        return takeWholeToken(output, source, sets, capacity);
    if (isEmptySet(sets.skip) && isEmptySet(sets.trim) && !quote && !separator != !stop)
        return takeRun(output, source, separator ? separator : stop, separator != 0, capacity);
    return takeListToken(output, source, sets.skip, sets.trim, separator, stop, quote, capacity);
}

int getToken(char16_t* output, const char16_t* source, const TokenSets<char16_t>& sets, int size,
             size_t capacity)
{
    if (!source)
        return 0;
    return takeTokenByClasses(output, source, sets, size, capacity);
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
