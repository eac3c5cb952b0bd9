// The portable CRC-32: sixteen tables of 256 entries, made at compile time
// from the reflected polynomial 0xEDB88320, consume sixteen bytes per step
// with one look-up per byte ("slicing by 16").
#include "containers/checksum_paths.h"

#include <array>
#include <cstring>

namespace pelund {
namespace {

using Tables = std::array<std::array<uint32_t, 256>, 16>;

constexpr Tables makeTables()
{
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int s = 1; s < 16; ++s)
            t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

constexpr Tables tables = makeTables();

inline uint32_t load32(const unsigned char* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

}  // namespace

uint32_t crc32Portable(uint32_t crc, const unsigned char* p, size_t n)
{
    uint32_t c = ~crc;
    const auto& t = tables;
    for (; n >= 16; n -= 16, p += 16) {
        uint32_t a = load32(p) ^ c, b = load32(p + 4), d = load32(p + 8), e = load32(p + 12);
        c = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
            t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
            t[7][d & 0xFF] ^ t[6][(d >> 8) & 0xFF] ^ t[5][(d >> 16) & 0xFF] ^ t[4][d >> 24] ^
            t[3][e & 0xFF] ^ t[2][(e >> 8) & 0xFF] ^ t[1][(e >> 16) & 0xFF] ^ t[0][e >> 24];
    }
    for (; n > 0; --n, ++p)
        c = (c >> 8) ^ t[0][(c ^ *p) & 0xFF];
    return ~c;
}

}  // namespace pelund
