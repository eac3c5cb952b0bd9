// What the processor offers, read once with cpuid and checked against what
// the operating system has enabled (xgetbv), for choosing code paths.
#ifndef PELUND_PLATFORM_CPU_FEATURES_H
#define PELUND_PLATFORM_CPU_FEATURES_H

namespace pelund {

struct CpuFeatures {
    bool pclmul = false;      // PCLMULQDQ with SSE4.1
    bool vpclmul512 = false;  // VPCLMULQDQ with AVX-512 F/BW/VL enabled by the OS
    bool sha = false;         // SHA extensions with SSSE3 and SSE4.1
};

const CpuFeatures& cpuFeatures();

}  // namespace pelund

#endif
