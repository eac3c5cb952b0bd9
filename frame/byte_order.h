// Reading and writing 32-bit words in byte streams of a fixed byte order.
#ifndef PELUND_FRAME_BYTE_ORDER_H
#define PELUND_FRAME_BYTE_ORDER_H

#include <cstdint>
#include <cstring>

namespace pelund {

// The word at P as stored in the machine's order, swapped when the stream's
// order (little-endian when LITTLE) is the other one.
inline uint32_t load32(const unsigned char* p, bool little)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    if (little != (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__))
        v = __builtin_bswap32(v);
    return v;
}

inline uint32_t loadLittle32(const unsigned char* p) { return load32(p, true); }
inline uint32_t loadBig32(const unsigned char* p) { return load32(p, false); }

inline void storeLittle32(unsigned char* p, uint32_t v)
{
    if (__BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__)
        v = __builtin_bswap32(v);
    std::memcpy(p, &v, 4);
}

}  // namespace pelund

#endif
