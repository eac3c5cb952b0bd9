// Buffers that the library hands to callers.
//
// A grant first takes a 64 KiB reserve, then asks for the requested size and
// halves it while the heap refuses; the reserve is released afterwards so
// that the caller still has that much heap once it holds a very large block.
#include "frame/buffers.h"

#include "pelund/misc.h"

#include <cstdlib>
#include <cstring>

namespace pelund {

bool isAllZero(const void* data, int length)
{
    if (!data || length <= 0)
        return true;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (int i = 0; i < length; ++i)
        if (p[i])
            return false;
    return true;
}

}  // namespace pelund

namespace {

constexpr size_t reserveSize = 65536;

template <class Alloc>
void* grant(uint64_t size, uint64_t* granted, Alloc alloc)
{
    if (size == 0)
        return nullptr;
    uint64_t n = size;
    if (granted)
        *granted = n;
    void* reserve = std::malloc(reserveSize);
    if (!reserve)
        return nullptr;
    void* block = nullptr;
    for (;;) {
        if (n <= SIZE_MAX)
            block = alloc(size_t(n));
        if (block || n < 2)
            break;
        n /= 2;
        if (granted)
            *granted = n;
    }
    std::free(reserve);
    return block;
}

}  // namespace

extern "C" {

PELUND_API void* psMisc_callocBuffer(uint64_t size, uint64_t* granted)
{
    return grant(size, granted, [](size_t n) { return std::calloc(1, n); });
}

PELUND_API void* psMisc_reallocBuffer(void* block, uint64_t size, uint64_t* granted)
{
    return grant(size, granted, [block](size_t n) { return std::realloc(block, n); });
}

PELUND_API int psMisc_freeBuffer(void* address)
{
    if (!address)
        return PS_FAILURE;
    void* block;
    std::memcpy(&block, address, sizeof block);
    if (!block)
        return PS_FAILURE;
    std::free(block);
    block = nullptr;
    std::memcpy(address, &block, sizeof block);
    return PS_SUCCESS;
}

PELUND_API int psStringDynamic_freeA(void* address) __attribute__((alias("psMisc_freeBuffer")));
PELUND_API int psStringDynamic_freeW(void* address) __attribute__((alias("psMisc_freeBuffer")));
PELUND_API int psMath_freeIntList(void* address) __attribute__((alias("psMisc_freeBuffer")));
PELUND_API int vnDBUtils_freeList(void* address) __attribute__((alias("psMisc_freeBuffer")));

PELUND_API int psMisc_isDataNull(const void* data, int length)
{
    return pelund::isAllZero(data, length) ? 1 : 0;
}

}  // extern "C"
