#include "platform/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace pelund {
namespace {

CpuFeatures detect()
{
    CpuFeatures f;
#if defined(__x86_64__) || defined(__i386__)
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return f;
    bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19), pclmul = c & (1u << 1);
    bool osxsave = c & (1u << 27);
    unsigned long long xcr0 = 0;
    if (osxsave) {
        unsigned lo, hi;
        __asm__("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
        xcr0 = (unsigned long long)hi << 32 | lo;
    }
    unsigned b7 = 0, c7 = 0;
    if (__get_cpuid_max(0, nullptr) >= 7)
        __cpuid_count(7, 0, a, b7, c7, d);
    f.pclmul = pclmul && sse41;
    f.sha = (b7 & (1u << 29)) && ssse3 && sse41;
    bool avx512 = (b7 & (1u << 16)) && (b7 & (1u << 30)) && (b7 & (1u << 31));
    bool zmmState = (xcr0 & 0xE6) == 0xE6;  // SSE, AVX, opmask and both ZMM halves
    f.vpclmul512 = f.pclmul && avx512 && zmmState && (c7 & (1u << 10));
#endif
    return f;
}

}  // namespace

const CpuFeatures& cpuFeatures()
{
    static const CpuFeatures features = detect();
    return features;
}

}  // namespace pelund
