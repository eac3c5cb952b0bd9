// The SHA-1 compression function (FIPS 180-4), portable form: the message
// schedule lives in a ring of sixteen words and the eighty rounds are
// unrolled so that the working variables rotate by renaming, not by moves.
#include "frame/byte_order.h"
#include "checksums/checksum_paths.h"

#include <cstring>

namespace pelund {
namespace {

inline uint32_t rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }


}  // namespace

void sha1Portable(uint32_t state[5], const unsigned char* p, size_t blocks)
{
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (; blocks > 0; --blocks, p += 64) {
        uint32_t w[16];
        for (int k = 0; k < 16; ++k)
            w[k] = loadBig32(p + 4 * k);
        const uint32_t a0 = a, b0 = b, c0 = c, d0 = d, e0 = e;

#define W(i) (w[(i) & 15] = rol(w[((i) + 13) & 15] ^ w[((i) + 8) & 15] ^ w[((i) + 2) & 15] ^ w[(i) & 15], 1))
#define R(v, x, y, z, u, f, k, m) \
    u += rol(v, 5) + (f) + (k) + (m); \
    x = rol(x, 30);
#define F0(x, y, z) (z ^ (x & (y ^ z)))
#define F1(x, y, z) (x ^ y ^ z)
#define F2(x, y, z) ((x & y) | (z & (x | y)))
#define R0(v, x, y, z, u, i) R(v, x, y, z, u, F0(x, y, z), 0x5A827999u, w[i])
#define R0W(v, x, y, z, u, i) R(v, x, y, z, u, F0(x, y, z), 0x5A827999u, W(i))
#define R1(v, x, y, z, u, i) R(v, x, y, z, u, F1(x, y, z), 0x6ED9EBA1u, W(i))
#define R2(v, x, y, z, u, i) R(v, x, y, z, u, F2(x, y, z), 0x8F1BBCDCu, W(i))
#define R3(v, x, y, z, u, i) R(v, x, y, z, u, F1(x, y, z), 0xCA62C1D6u, W(i))
#define FIVE(RND, i) \
    RND(a, b, c, d, e, i) RND(e, a, b, c, d, i + 1) RND(d, e, a, b, c, i + 2) \
    RND(c, d, e, a, b, i + 3) RND(b, c, d, e, a, i + 4)

        FIVE(R0, 0) FIVE(R0, 5) FIVE(R0, 10)
        R0(a, b, c, d, e, 15) R0W(e, a, b, c, d, 16) R0W(d, e, a, b, c, 17)
        R0W(c, d, e, a, b, 18) R0W(b, c, d, e, a, 19)
        FIVE(R1, 20) FIVE(R1, 25) FIVE(R1, 30) FIVE(R1, 35)
        FIVE(R2, 40) FIVE(R2, 45) FIVE(R2, 50) FIVE(R2, 55)
        FIVE(R3, 60) FIVE(R3, 65) FIVE(R3, 70) FIVE(R3, 75)

#undef FIVE
#undef R3
#undef R2
#undef R1
#undef R0W
#undef R0
#undef F2
#undef F1
#undef F0
#undef R
#undef W
        a += a0;
        b += b0;
        c += c0;
        d += d0;
        e += e0;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
    state[4] = e;
}

}  // namespace pelund
