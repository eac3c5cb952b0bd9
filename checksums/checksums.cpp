// The exported checksums and the choice of their code paths.
#include "checksums/checksum_paths.h"
#include "pelund/checksums.h"
#include "platform/cpu_features.h"
#include "platform/debug_output.h"

#include <atomic>
#include <cstring>

namespace pelund {

std::vector<Crc32Path> crc32Paths()
{
    std::vector<Crc32Path> paths{{"portable", crc32Portable}};
    if (cpuFeatures().pclmul)
        paths.push_back({"pclmul", crc32Clmul});
    if (cpuFeatures().vpclmul512)
        paths.push_back({"vpclmul-avx512", crc32Vpclmul});
    return paths;
}

std::vector<Sha1Path> sha1Paths()
{
    std::vector<Sha1Path> paths{{"portable", sha1Portable}};
    if (cpuFeatures().sha)
        paths.push_back({"sha-ni", sha1Shani});
    return paths;
}

namespace {

template <class Path>
auto pick(const std::vector<Path>& paths, const char* name)
{
    if (name)
        for (const Path& p : paths)
            if (std::strcmp(p.name, name) == 0)
                return p.run;
    return paths.back().run;
}

std::atomic<Crc32Function> activeCrc32{nullptr};
std::atomic<Sha1Function> activeSha1{nullptr};

// The pinned path, or the fastest, chosen on first use.
template <class Function, class Paths>
Function active(std::atomic<Function>& pinned, Paths (*paths)())
{
    Function f = pinned.load(std::memory_order_relaxed);
    if (!f) {
        f = pick(paths(), nullptr);
        pinned.store(f, std::memory_order_relaxed);
    }
    return f;
}

const uint32_t hashTable[15] = {3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 39, 41, 43, 47};

template <class Ch>
int encodeString(const Ch* text)
{
    if (!text || !*text)
        return 0;
    uint32_t h = 7u * 13u * 19u * 29u * 37u;
    for (uint32_t k = 0; text[k]; ++k) {
        uint32_t u = static_cast<std::make_unsigned_t<Ch>>(text[k]);
        h = h * hashTable[u % 15] + k;
    }
    return int(h);
}

}  // namespace

void useChecksumPaths(const char* crc32Name, const char* sha1Name)
{
    activeCrc32.store(pick(crc32Paths(), crc32Name));
    activeSha1.store(pick(sha1Paths(), sha1Name));
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API uint32_t psMath_calcCRC32(uint32_t crc, const void* data, uint32_t length)
{
    if (!data)
        return 0;
    return active(activeCrc32, crc32Paths)(crc, static_cast<const unsigned char*>(data), length);
}

PELUND_API int psMath_calcSHA1(uint32_t digest[5], const void* data, uint32_t length,
                               unsigned char reset_checksum)
{
    if (!data || !digest)
        return 0;
    uint32_t state[5];
    if (reset_checksum) {
        debugOutput("in resetChecksum\n");
        const uint32_t initial[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u,
                                     0xC3D2E1F0u};
        std::memcpy(state, initial, sizeof state);
    } else {
        debugOutput("in else branch\n");
        std::memcpy(state, digest, sizeof state);
    }
    const auto* p = static_cast<const unsigned char*>(data);
    Sha1Function run = active(activeSha1, sha1Paths);
    size_t whole = length / 64;
    run(state, p, whole);
    // The padding: 0x80, zeros, and this call's bit count, big-endian.
    unsigned char tail[128] = {};
    size_t rest = length % 64;
    std::memcpy(tail, p + whole * 64, rest);
    tail[rest] = 0x80;
    size_t tailBlocks = rest < 56 ? 1 : 2;
    uint64_t bits = uint64_t(length) * 8;
    for (int k = 0; k < 8; ++k)
        tail[tailBlocks * 64 - 1 - k] = (unsigned char)(bits >> (8 * k));
    run(state, tail, tailBlocks);
    std::memcpy(digest, state, sizeof state);
    return 0;
}

PELUND_API int psMath_encodeStringA(const char* text) { return encodeString(text); }

PELUND_API int psMath_encodeStringW(const ps_char16* text) { return encodeString(text); }

}  // extern "C"
