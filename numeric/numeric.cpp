// Tolerant comparison, bits, bit masks, integer lists and 64-bit text.
#include "frame/buffers.h"
#include "frame/text_forms.h"
#include "pelund/numeric.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace pelund {
namespace {

// v + 0.5, rounded down, held in 32 bits (saturating).
long long wholeNumber(double v)
{
    double r = std::floor(v + 0.5);
    if (std::isnan(r))
        return 0;
    return (long long)std::fmax(std::fmin(r, double(INT_MAX)), double(INT_MIN));
}

// The description of a mismatch, without the unit label; true when the
// label follows.
bool describeDifference(char* text, size_t size, double value, double master, double scale,
                        long long V, long long M)
{
    if (V == 0) {
        std::snprintf(text, size, "%6.3f", master);
        return true;
    }
    if (M == 0) {
        std::snprintf(text, size, "%6.3f", value);
        return true;
    }
    double p = std::fabs(double(V - M) / double(M)) * 100.0;
    if (p < 0.001) {
        std::snprintf(text, size, "%6.3fPU", double(M - V));
        return false;
    }
    if (p > 1000) {
        std::snprintf(text, size, "%.0f", double(M - V) / scale);
        return true;
    }
    std::snprintf(text, size, p > 5 ? "%2.0f%%" : "%5.3f%%", p);
    return false;
}

template <class Ch>
int compareAsMaster(double value, double master, double percent, Ch* output, const Ch* unit,
                    double scale)
{
    double v = value * scale, m = master * scale;
    // A negative master or scale takes its tolerance from the magnitude.
    double t = std::fabs(m) * percent * 0.01;
    long long V = wholeNumber(v), M = wholeNumber(m), T = wholeNumber(t);
    if (std::llabs(V - M) <= T)
        return 1;
    if (std::isunordered(v, m) || std::isunordered(v - m, t) || std::fabs(v - m) <= t)
        return 1;
    if (!output)
        return 0;
    char number[512];
    bool labelled = describeDifference(number, sizeof number, value, master, scale, V, M);
    size_t n = 0;
    for (; number[n]; ++n)
        output[n] = Ch((unsigned char)number[n]);
    if (labelled) {
        static const Ch fallback[] = {'M', 'U', 0};
        const Ch* label = unit ? unit : fallback;
        for (size_t k = 0; k < 63 && label[k]; ++k)
            output[n++] = label[k];
    }
    output[n] = 0;
    return 0;
}

unsigned extractBits(uint32_t value, int low, int high, uint32_t width)
{
    uint32_t mask = (uint32_t(2) << (uint32_t(high) % 32)) - 1;
    if (width == 8)
        mask &= 0xFF;
    return (value & mask) >> (uint32_t(low) % 32);
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psMath_compareDoubles(double a, double b, double tolerance)
{
    double d = std::fabs(a - b);
    return std::isunordered(d, tolerance) || d <= tolerance ? 1 : 0;
}

PELUND_API int psMath_compareDoublesAsMasterA(double value, double master, double percent,
                                              char* output, const char* unit, double scale)
{
    return compareAsMaster(value, master, percent, output, unit, scale);
}

PELUND_API int psMath_compareDoublesAsMasterW(double value, double master, double percent,
                                              ps_char16* output, const ps_char16* unit,
                                              double scale)
{
    return compareAsMaster(value, master, percent, output, unit, scale);
}

PELUND_API unsigned int psMath_extractBitsFromByte(unsigned int value, int low, int high)
{
    return extractBits(value & 0xFF, low, high, 8);
}

PELUND_API unsigned int psMath_extractBitsFromLong(unsigned int value, int low, int high)
{
    return extractBits(value, low, high, 32);
}

PELUND_API int psMath_isIntInList(const int* list, int count, int value)
{
    if (!list)
        return 0;
    for (int k = 0; k < count; ++k)
        if (list[k] == value)
            return 1;
    return 0;
}

PELUND_API int psMath_addIntToList(int** list, int value, int* count)
{
    if (!list || !count || value <= 0 || *count < 0 || *count == INT_MAX)
        return PS_FAILURE;
    auto* grown = static_cast<int*>(std::realloc(*list, (size_t(*count) + 1) * sizeof(int)));
    if (!grown)
        return PS_FAILURE;
    grown[*count] = value;
    *list = grown;
    ++*count;
    return PS_SUCCESS;
}

PELUND_API int psMath_setBitMask(unsigned int n, unsigned char* mask, int size, int operation)
{
    if (!mask || size <= 0)
        return PS_FAILURE;
    const uint64_t bits = uint64_t(size) * 8;
    const bool inside = n < bits;
    unsigned char* byte = mask + n / 8;
    const unsigned char bit = (unsigned char)(1u << (n % 8));
    switch (operation) {
    case 1: std::memset(mask, 0xFF, size_t(size)); return 0;
    case 2: std::memset(mask, 0, size_t(size)); return 0;
    case 3:
        if (!inside)
            return PS_FAILURE;
        *byte |= bit;
        return 0;
    case 4:
        if (!inside)
            return PS_FAILURE;
        *byte &= (unsigned char)~bit;
        return 0;
    case 5:
        if (!inside)
            return PS_FAILURE;
        *byte ^= bit;
        return 0;
    case 6: return inside && (*byte & bit) ? 0 : PS_FAILURE;
    case 7:
        for (int k = 0; k < size; ++k)
            mask[k] = (unsigned char)~mask[k];
        return 0;
    case 8: return isAllZero(mask, size) ? PS_FAILURE : 0;
    case 9:
        for (int k = 0; k < size; ++k)
            if (mask[k])
                return k * 8 + __builtin_ctz(mask[k]);
        return -1;
    case 10:
        for (int k = size - 1; k >= 0; --k)
            if (mask[k])
                return k * 8 + 31 - __builtin_clz(mask[k]);
        return -1;
    default: return inside ? 0 : PS_FAILURE;
    }
}

PELUND_API int psMath_convert64BitToStringA(char* output, int64_t value)
{
    if (!output)
        return PS_FAILURE;
    output[0] = '\0';
    if (value == INT64_MIN)
        std::snprintf(output, 21, "%lld", (long long)value);
    else
        std::snprintf(output, 21, "%lld", (long long)(value < 0 ? -value : value));
    return PS_SUCCESS;
}

}  // extern "C"
