// CRC-32 by carry-less multiplication (folding), after the method of
// Gopal et al., "Fast CRC Computation for Generic Polynomials Using
// PCLMULQDQ". The data is treated as a long polynomial; 128-bit lanes are
// folded forward by multiplying with x^(D+32) and x^(D-32) mod P, where D is
// the folding distance, until one lane is left, which is reduced to 32 bits
// by a last fold and a Barrett reduction. Bytes after the last whole 16 go
// through the table path.
//
// Two paths: four SSE lanes (64 bytes per step) with PCLMULQDQ, and four
// AVX-512 registers of four lanes each (256 bytes per step) with VPCLMULQDQ.
#include "checksums/checksum_paths.h"

#if defined(__x86_64__)

#include <immintrin.h>

namespace pelund {
namespace {

// x^n mod P for the CRC-32 polynomial, bit-reflected and shifted left by one,
// as the folding multiplications of reflected data need.
constexpr uint64_t foldConstant(unsigned n)
{
    uint64_t r = 1;
    for (unsigned k = 0; k < n; ++k) {
        r <<= 1;
        if (r & (uint64_t(1) << 32))
            r ^= 0x104C11DB7ull;
    }
    uint64_t reflected = 0;
    for (int b = 0; b < 32; ++b)
        if (r & (uint64_t(1) << b))
            reflected |= uint64_t(1) << (31 - b);
    return reflected << 1;
}

static_assert(foldConstant(4 * 128 + 32) == 0x154442bd4);
static_assert(foldConstant(4 * 128 - 32) == 0x1c6e41596);
static_assert(foldConstant(128 + 32) == 0x1751997d0);
static_assert(foldConstant(128 - 32) == 0x0ccaa009e);
static_assert(foldConstant(64) == 0x163cd6124);

constexpr uint64_t polyReflected = 0x1DB710641;  // P(x)'
constexpr uint64_t barrettMu = 0x1F7011641;      // floor(x^64 / P(x))'

template <unsigned D>
__attribute__((target("pclmul,sse4.1"))) inline __m128i foldConstants()
{
    return _mm_set_epi64x((long long)foldConstant(D - 32), (long long)foldConstant(D + 32));
}

// X folded forward by the distance whose constants K holds, plus DATA.
__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i x, __m128i k, __m128i data)
{
    __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(lo, hi), data);
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i load(const unsigned char* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// One lane holding the folded message, reduced to the 32-bit register.
__attribute__((target("pclmul,sse4.1"))) uint32_t reduce(__m128i x)
{
    const __m128i k128 = foldConstants<128>();
    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
    // 128 to 64 bits, appending 32 zero bits.
    __m128i t = _mm_clmulepi64_si128(k128, x, 0x01);
    x = _mm_xor_si128(_mm_srli_si128(x, 8), t);
    // 96 to 64 bits.
    const __m128i k64 = _mm_set_epi64x(0, (long long)foldConstant(64));
    __m128i y = _mm_srli_si128(x, 4);
    x = _mm_clmulepi64_si128(_mm_and_si128(x, mask32), k64, 0x00);
    x = _mm_xor_si128(x, y);
    // Barrett reduction to 32 bits.
    const __m128i pu = _mm_set_epi64x((long long)barrettMu, (long long)polyReflected);
    y = x;
    x = _mm_and_si128(x, mask32);
    x = _mm_clmulepi64_si128(x, pu, 0x10);
    x = _mm_and_si128(x, mask32);
    x = _mm_clmulepi64_si128(x, pu, 0x00);
    x = _mm_xor_si128(x, y);
    return uint32_t(_mm_extract_epi32(x, 1));
}

// Folds whole 16-byte blocks into X; returns the new lane.
__attribute__((target("pclmul,sse4.1"))) __m128i foldBlocks(__m128i x, const unsigned char*& p,
                                                            size_t& n)
{
    const __m128i k128 = foldConstants<128>();
    for (; n >= 16; n -= 16, p += 16)
        x = fold(x, k128, load(p));
    return x;
}

}  // namespace

__attribute__((target("pclmul,sse4.1"))) uint32_t crc32Clmul(uint32_t crc,
                                                             const unsigned char* p, size_t n)
{
    if (n < 64)
        return crc32Portable(crc, p, n);
    __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(int(~crc)));
    __m128i x1 = load(p + 16), x2 = load(p + 32), x3 = load(p + 48);
    p += 64;
    n -= 64;
    const __m128i k512 = foldConstants<512>();
    for (; n >= 64; n -= 64, p += 64) {
        x0 = fold(x0, k512, load(p));
        x1 = fold(x1, k512, load(p + 16));
        x2 = fold(x2, k512, load(p + 32));
        x3 = fold(x3, k512, load(p + 48));
    }
    const __m128i k128 = foldConstants<128>();
    __m128i x = fold(fold(fold(x0, k128, x1), k128, x2), k128, x3);
    x = foldBlocks(x, p, n);
    return crc32Portable(~reduce(x), p, n);
}

namespace {

#define PELUND_AVX512 "pclmul,sse4.1,avx512f,avx512bw,avx512vl,vpclmulqdq"

template <unsigned D>
__attribute__((target(PELUND_AVX512))) inline __m512i wideConstants()
{
    const long long lo = (long long)foldConstant(D + 32), hi = (long long)foldConstant(D - 32);
    return _mm512_set_epi64(hi, lo, hi, lo, hi, lo, hi, lo);
}

__attribute__((target(PELUND_AVX512))) inline __m512i fold(__m512i x, __m512i k, __m512i data)
{
    __m512i lo = _mm512_clmulepi64_epi128(x, k, 0x00);
    __m512i hi = _mm512_clmulepi64_epi128(x, k, 0x11);
    return _mm512_ternarylogic_epi64(lo, hi, data, 0x96);  // lo ^ hi ^ data
}

__attribute__((target(PELUND_AVX512))) inline __m512i load512(const unsigned char* p)
{
    return _mm512_loadu_si512(p);
}

}  // namespace

__attribute__((target(PELUND_AVX512))) uint32_t crc32Vpclmul(uint32_t crc,
                                                             const unsigned char* p, size_t n)
{
    if (n < 256)
        return crc32Clmul(crc, p, n);
    __m512i z0 = _mm512_xor_si512(load512(p), _mm512_zextsi128_si512(_mm_cvtsi32_si128(int(~crc))));
    __m512i z1 = load512(p + 64), z2 = load512(p + 128), z3 = load512(p + 192);
    p += 256;
    n -= 256;
    const __m512i k2048 = wideConstants<2048>();
    for (; n >= 256; n -= 256, p += 256) {
        z0 = fold(z0, k2048, load512(p));
        z1 = fold(z1, k2048, load512(p + 64));
        z2 = fold(z2, k2048, load512(p + 128));
        z3 = fold(z3, k2048, load512(p + 192));
    }
    const __m512i k512 = wideConstants<512>();
    __m512i z = fold(fold(fold(z0, k512, z1), k512, z2), k512, z3);
    for (; n >= 64; n -= 64, p += 64)
        z = fold(z, k512, load512(p));
    alignas(64) __m128i lane[4];
    _mm512_store_si512(lane, z);
    const __m128i k128 = foldConstants<128>();
    __m128i x = fold(fold(fold(lane[0], k128, lane[1]), k128, lane[2]), k128, lane[3]);
    x = foldBlocks(x, p, n);
    return crc32Portable(~reduce(x), p, n);
}

}  // namespace pelund

#else

namespace pelund {

uint32_t crc32Clmul(uint32_t crc, const unsigned char* p, size_t n)
{
    return crc32Portable(crc, p, n);
}

uint32_t crc32Vpclmul(uint32_t crc, const unsigned char* p, size_t n)
{
    return crc32Portable(crc, p, n);
}

}  // namespace pelund

#endif
