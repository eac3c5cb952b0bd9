// The code paths of the checksums. Each exported checksum calls the path
// chosen for this processor; tests and benchmarks run every available path
// directly and can pin the exported functions to one.
#ifndef PELUND_CONTAINERS_CHECKSUM_PATHS_H
#define PELUND_CONTAINERS_CHECKSUM_PATHS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelund {

// Continues a CRC-32 over N bytes (pre- and post-inversion included).
using Crc32Function = uint32_t (*)(uint32_t crc, const unsigned char* data, size_t n);

// Runs the SHA-1 compression function over BLOCKS blocks of 64 bytes.
using Sha1Function = void (*)(uint32_t state[5], const unsigned char* data, size_t blocks);

struct Crc32Path {
    const char* name;
    Crc32Function run;
};

struct Sha1Path {
    const char* name;
    Sha1Function run;
};

// The paths this processor can run, the portable one first, the fastest
// last.
std::vector<Crc32Path> crc32Paths();
std::vector<Sha1Path> sha1Paths();

// Pins the exported functions to the named paths ("portable", ...); a null
// or unknown name restores the fastest. Not for use while checksums run.
void useChecksumPaths(const char* crc32Name, const char* sha1Name);

// The portable paths and the processor-specific ones, which exist only
// where the compiler targets x86.
uint32_t crc32Portable(uint32_t crc, const unsigned char* data, size_t n);
uint32_t crc32Clmul(uint32_t crc, const unsigned char* data, size_t n);
uint32_t crc32Vpclmul(uint32_t crc, const unsigned char* data, size_t n);
void sha1Portable(uint32_t state[5], const unsigned char* data, size_t blocks);
void sha1Shani(uint32_t state[5], const unsigned char* data, size_t blocks);

}  // namespace pelund

#endif
