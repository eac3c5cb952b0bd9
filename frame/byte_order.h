// Reading and writing 32-bit words in byte streams of a fixed byte order.
#ifndef PELUND_FRAME_BYTE_ORDER_H
#define PELUND_FRAME_BYTE_ORDER_H

#include <cstdint>
#include <cstring>

namespace pelund {

inline uint32_t loadLittle32(const unsigned char* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

inline uint32_t loadBig32(const unsigned char* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

inline void storeLittle32(unsigned char* p, uint32_t v)
{
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    std::memcpy(p, &v, 4);
}

}  // namespace pelund

#endif
