// The portable CRC-32: tables of 256 entries made at compile time from the
// reflected polynomial 0xEDB88320, one look-up per byte. A long buffer is
// cut into three parts whose CRCs are computed side by side, eight bytes of
// each per step ("slicing by 8"), so that the look-ups of one part do not
// wait for those of another; the three CRCs are then joined, using that the
// CRC register after A and B is that after A shifted over |B| zero bytes
// (a multiplication by x^(8|B|) mod P) plus the CRC of B from zero. Short
// buffers take sixteen bytes per step in one stream.
#include "frame/byte_order.h"
#include "checksums/checksum_paths.h"

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

// a * b mod P, both bit-reflected (bit 31 is x^0).
uint32_t multiplyModP(uint32_t a, uint32_t b)
{
    uint32_t product = 0;
    for (uint32_t bit = 0x80000000u; bit; bit >>= 1) {
        if (a & bit)
            product ^= b;
        b = b & 1 ? (b >> 1) ^ 0xEDB88320u : b >> 1;
    }
    return product;
}

// REG moved over N zero bytes: REG * x^(8N) mod P.
uint32_t shiftOverZeros(uint32_t reg, size_t n)
{
    uint32_t power = 0x00800000u;  // x^8, reflected
    for (; n; n >>= 1) {
        if (n & 1)
            reg = multiplyModP(reg, power);
        power = multiplyModP(power, power);
    }
    return reg;
}

// The bytes that the register does not reach are table indexes as they
// stand: loading them one by one costs fewer instructions than cutting them
// out of a word.
inline uint32_t slice8(uint32_t c, const unsigned char* p)
{
    const auto& t = tables;
    uint32_t a = loadLittle32(p) ^ c;
    return t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^
           t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
}

// PARTS parts of PART bytes (a multiple of 8) side by side.
template <int Parts>
uint32_t rawParts(uint32_t c, const unsigned char* p, size_t part)
{
    uint32_t r[Parts] = {c};
    for (size_t k = 0; k < part; k += 8)
        for (int s = 0; s < Parts; ++s)
            r[s] = slice8(r[s], p + s * part + k);
    c = r[0];
    for (int s = 1; s < Parts; ++s)
        c = shiftOverZeros(c, part) ^ r[s];
    return c;
}

uint32_t rawSingle(uint32_t c, const unsigned char* p, size_t n)
{
    const auto& t = tables;
    for (; n >= 16; n -= 16, p += 16) {
        uint32_t a = loadLittle32(p) ^ c;
        c = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
            t[11][p[4]] ^ t[10][p[5]] ^ t[9][p[6]] ^ t[8][p[7]] ^ t[7][p[8]] ^ t[6][p[9]] ^
            t[5][p[10]] ^ t[4][p[11]] ^ t[3][p[12]] ^ t[2][p[13]] ^ t[1][p[14]] ^ t[0][p[15]];
    }
    for (; n > 0; --n, ++p)
        c = (c >> 8) ^ t[0][(c ^ *p) & 0xFF];
    return c;
}

}  // namespace

uint32_t crc32Portable(uint32_t crc, const unsigned char* p, size_t n)
{
    uint32_t c = ~crc;
    constexpr int parts = 3;  // measured best on x86-64; more parts run short of registers
    if (n >= 4096) {
        size_t part = n / (8 * parts) * 8;
        c = rawParts<parts>(c, p, part);
        p += parts * part;
        n -= parts * part;
    }
    return ~rawSingle(c, p, n);
}

}  // namespace pelund
