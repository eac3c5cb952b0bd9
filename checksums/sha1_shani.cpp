// The SHA-1 compression function with the x86 SHA extensions: four rounds
// per SHA1RNDS4, the message schedule by SHA1MSG1/SHA1MSG2, and the fifth
// working variable carried by SHA1NEXTE. The twenty groups of four rounds
// follow one pattern, written once as a template over the group number.
#include "checksums/checksum_paths.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <utility>

namespace pelund {
namespace {

#define PELUND_SHA "sha,sse4.1,ssse3"

struct Lanes {
    __m128i abcd, e0, e1, m[4];
};

template <int G>
__attribute__((target(PELUND_SHA), always_inline)) inline void group(Lanes& s,
                                                                     const unsigned char* p,
                                                                     __m128i order)
{
    __m128i& cur = G % 2 == 0 ? s.e0 : s.e1;
    __m128i& other = G % 2 == 0 ? s.e1 : s.e0;
    __m128i& mg = s.m[G % 4];
    if constexpr (G < 4)
        mg = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * G)),
                              order);
    if constexpr (G == 0)
        cur = _mm_add_epi32(cur, mg);
    else
        cur = _mm_sha1nexte_epu32(cur, mg);
    other = s.abcd;
    if constexpr (G >= 3 && G <= 18)
        s.m[(G + 1) % 4] = _mm_sha1msg2_epu32(s.m[(G + 1) % 4], mg);
    s.abcd = _mm_sha1rnds4_epu32(s.abcd, cur, G / 5);
    if constexpr (G >= 1 && G <= 16)
        s.m[(G + 3) % 4] = _mm_sha1msg1_epu32(s.m[(G + 3) % 4], mg);
    if constexpr (G >= 2 && G <= 17)
        s.m[(G + 2) % 4] = _mm_xor_si128(s.m[(G + 2) % 4], mg);
}

template <int... G>
__attribute__((target(PELUND_SHA), always_inline)) inline void allGroups(
    Lanes& s, const unsigned char* p, __m128i order, std::integer_sequence<int, G...>)
{
    (group<G>(s, p, order), ...);
}

}  // namespace

__attribute__((target(PELUND_SHA))) void sha1Shani(uint32_t state[5], const unsigned char* p,
                                                   size_t blocks)
{
    const __m128i order = _mm_set_epi64x(0x0001020304050607ll, 0x08090a0b0c0d0e0fll);
    Lanes s;
    s.abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    s.e0 = _mm_set_epi32(int(state[4]), 0, 0, 0);
    for (; blocks > 0; --blocks, p += 64) {
        const __m128i abcdSaved = s.abcd, eSaved = s.e0;
        allGroups(s, p, order, std::make_integer_sequence<int, 20>());
        s.e0 = _mm_sha1nexte_epu32(s.e0, eSaved);
        s.abcd = _mm_add_epi32(s.abcd, abcdSaved);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(s.abcd, 0x1B));
    state[4] = uint32_t(_mm_extract_epi32(s.e0, 3));
}

}  // namespace pelund

#else

namespace pelund {

void sha1Shani(uint32_t state[5], const unsigned char* p, size_t blocks)
{
    sha1Portable(state, p, blocks);
}

}  // namespace pelund

#endif
