// CRC-32 against zlib's crc32() and SHA-1 against OpenSSL's SHA1() on the
// same 256 MiB buffer, every code path of ours beside the peer. zlib and
// OpenSSL are linked here only; the library does not use them.
#include "checksums/checksum_paths.h"

#include <benchmark/benchmark.h>
#include <openssl/sha.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<unsigned char>& buffer()
{
    static const std::vector<unsigned char> data = [] {
        std::vector<unsigned char> v(size_t(256) << 20);
        std::mt19937_64 rng(5);
        for (size_t k = 0; k + 8 <= v.size(); k += 8) {
            uint64_t r = rng();
            std::memcpy(&v[k], &r, 8);
        }
        return v;
    }();
    return data;
}

void bytes(benchmark::State& state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buffer().size()));
}

void crcPeer(benchmark::State& state)
{
    const auto& b = buffer();
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32_z(0, b.data(), b.size()));
    bytes(state);
}

void shaPeer(benchmark::State& state)
{
    const auto& b = buffer();
    unsigned char digest[20];
    for (auto _ : state) {
        SHA1(b.data(), b.size(), digest);
        benchmark::DoNotOptimize(digest);
    }
    bytes(state);
}

void registerAll()
{
    for (const pelund::Crc32Path& path : pelund::crc32Paths())
        benchmark::RegisterBenchmark(("crc32_256MiB/ours-" + std::string(path.name)).c_str(),
                                     [run = path.run](benchmark::State& state) {
                                         const auto& b = buffer();
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(run(0, b.data(), b.size()));
                                         bytes(state);
                                     })
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("crc32_256MiB/peer", crcPeer)->Unit(benchmark::kMillisecond);
    for (const pelund::Sha1Path& path : pelund::sha1Paths())
        benchmark::RegisterBenchmark(("sha1_256MiB/ours-" + std::string(path.name)).c_str(),
                                     [run = path.run](benchmark::State& state) {
                                         const auto& b = buffer();
                                         uint32_t s[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu,
                                                          0x10325476u, 0xC3D2E1F0u};
                                         for (auto _ : state) {
                                             run(s, b.data(), b.size() / 64);
                                             benchmark::DoNotOptimize(s);
                                         }
                                         bytes(state);
                                     })
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("sha1_256MiB/peer", shaPeer)->Unit(benchmark::kMillisecond);
}

const int registered = (registerAll(), 0);

}  // namespace
