#include "checksums/checksum_paths.h"
#include "pelund/checksums.h"
#include "platform/debug_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace pelund;

namespace {

// One bit at a time, straight from the definition.
uint32_t crcReference(uint32_t crc, const unsigned char* p, size_t n)
{
    uint32_t c = ~crc;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return ~c;
}

std::string hex(const uint32_t d[5])
{
    char s[41];
    std::snprintf(s, sizeof s, "%08x%08x%08x%08x%08x", d[0], d[1], d[2], d[3], d[4]);
    return s;
}

std::string sha1Of(const std::string& data)
{
    uint32_t d[5] = {};
    psMath_calcSHA1(d, data.data(), uint32_t(data.size()), 1);
    return hex(d);
}

std::vector<unsigned char> randomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<unsigned char> v(n);
    for (auto& b : v)
        b = (unsigned char)rng();
    return v;
}

// Runs BODY once with the exported functions pinned to each path.
template <class Body>
void onEveryPath(Body body)
{
    auto crcs = crc32Paths();
    auto shas = sha1Paths();
    size_t n = std::max(crcs.size(), shas.size());
    for (size_t k = 0; k < n; ++k) {
        const char* crc = crcs[std::min(k, crcs.size() - 1)].name;
        const char* sha = shas[std::min(k, shas.size() - 1)].name;
        useChecksumPaths(crc, sha);
        SCOPED_TRACE(std::string("paths ") + crc + " / " + sha);
        body();
    }
    useChecksumPaths(nullptr, nullptr);
}

}  // namespace

TEST(Crc32, CheckValueAndEdges)
{
    onEveryPath([] {
        EXPECT_EQ(psMath_calcCRC32(0, "123456789", 9), 0xCBF43926u);
        EXPECT_EQ(psMath_calcCRC32(0x12345678u, "x", 0), 0x12345678u);
        EXPECT_EQ(psMath_calcCRC32(0x12345678u, nullptr, 5), 0u);
        uint32_t xy = psMath_calcCRC32(0, "xy", 2);
        EXPECT_EQ(psMath_calcCRC32(xy, "z", 1), psMath_calcCRC32(0, "xyz", 3));
    });
}

TEST(Crc32, EveryLengthOnEveryPathMatchesTheBitwiseReference)
{
    std::vector<unsigned char> data = randomBytes(5000, 1);
    for (const Crc32Path& path : crc32Paths()) {
        for (size_t n = 0; n <= 300; ++n)
            for (size_t offset : {0, 1, 7})
                ASSERT_EQ(path.run(0x9abcdef0u, data.data() + offset, n),
                          crcReference(0x9abcdef0u, data.data() + offset, n))
                    << path.name << " length " << n << " offset " << offset;
        for (size_t n : {511, 1024, 1031, 4096, 4999})
            ASSERT_EQ(path.run(0, data.data(), n), crcReference(0, data.data(), n))
                << path.name << " length " << n;
    }
}

TEST(Crc32, ContinuesAcrossCallsAtOddOffsets)
{
    std::vector<unsigned char> data = randomBytes(100000, 2);
    uint32_t whole = crcReference(0, data.data(), data.size());
    std::mt19937 rng(3);
    for (const Crc32Path& path : crc32Paths()) {
        uint32_t crc = 0;
        for (size_t at = 0; at < data.size();) {
            size_t n = std::min<size_t>(rng() % 3000, data.size() - at);
            crc = path.run(crc, data.data() + at, n);
            at += n;
        }
        EXPECT_EQ(crc, whole) << path.name;
        EXPECT_EQ(path.run(0, data.data(), data.size()), whole) << path.name;
        EXPECT_EQ(path.run(0, data.data() + 3, data.size() - 3),
                  crcReference(0, data.data() + 3, data.size() - 3))
            << path.name;
    }
}

TEST(Sha1, FipsExamples)
{
    onEveryPath([] {
        EXPECT_EQ(sha1Of("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
        EXPECT_EQ(sha1Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
                  "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
        EXPECT_EQ(sha1Of(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
        EXPECT_EQ(sha1Of(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
        EXPECT_EQ(sha1Of("The quick brown fox jumps over the lazy dog"),
                  "2fd4e1c67a2d28fced849ee1bb76e7391b93eb12");
    });
}

TEST(Sha1, EveryLengthAgreesAcrossPaths)
{
    std::vector<unsigned char> data = randomBytes(400, 4);
    auto paths = sha1Paths();
    for (size_t n = 0; n <= 300; ++n) {
        std::vector<std::string> digests;
        for (const Sha1Path& path : paths) {
            useChecksumPaths(nullptr, path.name);
            uint32_t d[5];
            psMath_calcSHA1(d, data.data() + 1, uint32_t(n), 1);
            digests.push_back(hex(d));
        }
        for (const std::string& d : digests)
            ASSERT_EQ(d, digests[0]) << "length " << n;
    }
    useChecksumPaths(nullptr, nullptr);
    // Lengths 55 and 56 straddle the one-block padding: known digests.
    EXPECT_EQ(sha1Of(std::string(55, 'a')), "c1c8bbdc22796e28c0e15163d20899b65621d65a");
    EXPECT_EQ(sha1Of(std::string(56, 'a')), "c2db330f6083854c99d4b5bfb6e8f29f201be699");
}

TEST(Sha1, ContinuedDigestPadsOnlyThisCall)
{
    uint32_t abc[5], chained[5];
    psMath_calcSHA1(abc, "abc", 3, 1);
    psMath_calcSHA1(chained, "ab", 2, 1);
    psMath_calcSHA1(chained, "c", 1, 0);
    EXPECT_NE(hex(abc), hex(chained));
    // Continuing from a state runs the blocks of this call from that state:
    // the standard initial state given by hand equals a reset.
    uint32_t initial[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    psMath_calcSHA1(initial, "abc", 3, 0);
    EXPECT_EQ(hex(initial), hex(abc));
    uint32_t untouched[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(psMath_calcSHA1(untouched, nullptr, 3, 1), 0);
    EXPECT_EQ(untouched[0], 1u);
}

TEST(Sha1, OneDebugLinePerCall)
{
    std::vector<std::string> lines;
    setDebugOutputHook([&](std::string_view line) { lines.emplace_back(line); });
    std::string big(1 << 20, 'x');
    uint32_t d[5];
    psMath_calcSHA1(d, big.data(), uint32_t(big.size()), 1);
    psMath_calcSHA1(d, "x", 1, 0);
    setDebugOutputHook({});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "in resetChecksum\n");
    EXPECT_EQ(lines[1], "in else branch\n");
}

TEST(StringHash, Values)
{
    EXPECT_EQ(psMath_encodeStringA("abc"), int(0xEE740F96u));
    EXPECT_EQ(psMath_encodeStringA("abc"), -294383722);
    EXPECT_EQ(psMath_encodeStringW(u"abc"), -294383722);
    EXPECT_EQ(psMath_encodeStringA("a"), int(1855217u * 23u));  // 97 % 15 = 7: T[7] = 23
    EXPECT_EQ(psMath_encodeStringA("\xe9"), int(1855217u * 29u));
    EXPECT_EQ(psMath_encodeStringW(u"\u00e9"), int(1855217u * 29u));
    EXPECT_EQ(psMath_encodeStringW(u"\u4e2d"), int(1855217u * 11u));  // 0x4e2d % 15 = 3
    EXPECT_EQ(psMath_encodeStringA(""), 0);
    EXPECT_EQ(psMath_encodeStringA(nullptr), 0);
}
