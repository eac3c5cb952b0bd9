// Text read 16 bytes at a time from aligned addresses. An aligned block never
// crosses into a page that the text does not reach, so a scan may read the
// block that holds a string's terminator whole; the bytes around the text
// that a block holds are the caller's to mask off. Such reads are outside
// the text as the sanitizers see it, so the readers are exempt from them.
#ifndef PELUND_TEXT_ALIGNED_BLOCKS_H
#define PELUND_TEXT_ALIGNED_BLOCKS_H

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#define PELUND_ALIGNED_BLOCKS 1

namespace pelund {

// The offset of AT in its block.
inline size_t blockOffset(const char* at) { return reinterpret_cast<uintptr_t>(at) & 15; }

// The aligned block that starts at BLOCK.
__attribute__((no_sanitize("address", "thread"))) inline __m128i loadBlock(const char* block)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(block));
}

}  // namespace pelund

#endif
#endif
