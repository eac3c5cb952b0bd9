// The functions callers may run from several threads at once: matchers,
// tokens, lists, ranges, checksums, and matching with one compiled pattern.
// Each thread checks its answers against the ones computed before the
// threads start; run under ThreadSanitizer by scripts/tsan.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "pelund/pelund.h"

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 300;

// Runs WORK(round) on every thread; WORK returns a fingerprint of its
// answers, which must equal the one of a first run on this thread.
void onEveryThread(const std::function<uint64_t(int)>& work)
{
    std::vector<uint64_t> expected(kRounds);
    for (int r = 0; r < kRounds; ++r)
        expected[size_t(r)] = work(r);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int k = 0; k < kRounds; ++k) {
                int r = (k + t * 37) % kRounds;
                if (work(r) != expected[size_t(r)])
                    ++wrong;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
}

std::string nameOf(int r)
{
    const char* stems[] = {"plan", "A-", "section_", "Detail", "elev-north"};
    const char* exts[] = {".dgn", ".pdf", ".DGN", ""};
    return std::string(stems[r % 5]) + std::to_string(r * 7919 % 1009) + exts[r % 4];
}

}  // namespace

TEST(Concurrency, Matchers)
{
    const char* patterns[] = {"*.dgn", "plan?*", "[a-e]*[0-9].*", "*[dgn,pdf]", "A-|*", "*"};
    onEveryThread([&](int r) {
        std::string name = nameOf(r);
        std::u16string wide(name.begin(), name.end());
        uint64_t bits = 0;
        for (int level = 0; level <= 3; ++level)
            for (const char* p : patterns) {
                std::u16string wp(p, p + std::strlen(p));
                bits = bits * 3 + uint64_t(psString_matchWithWildcards(p, name.c_str(), level, r & 1));
                bits = bits * 3 + uint64_t(psString_matchWithWildcardsExtW(wp.c_str(), wide.c_str(), level, 0));
            }
        return bits;
    });
}

TEST(Concurrency, TokensListsAndRanges)
{
    onEveryThread([](int r) {
        std::string list = " alpha, 'b,c' ," + nameOf(r) + ",, " + std::to_string(r) + "-" + std::to_string(r + 9);
        uint64_t h = 1469598103934665603ull;
        auto mix = [&](uint64_t v) { h = (h ^ v) * 1099511628211ull; };
        char token[256];
        const char* p = list.c_str();
        for (int n; (n = psString_getTokenExtA(token, p, " ", " ", nullptr, ",", nullptr, "'")) > 0; p += n)
            mix(psMath_calcCRC32(0, token, uint32_t(std::strlen(token))));
        mix(uint64_t(psString_listIsMemberA(list.c_str(), nameOf(r).c_str(), ",", " ", 1)));
        const char* entry = psString_listGetEntryA(list.c_str(), ",", "'", 2);
        mix(entry ? uint64_t(entry - list.c_str()) : 99);
        unsigned char mask[32];
        std::string levels = std::to_string(r % 200) + "-" + std::to_string(r % 200 + 30) + ",3,250";
        psString_buildBitMaskFromStringA(mask, levels.c_str(), sizeof mask, 0);
        mix(psMath_calcCRC32(0, mask, sizeof mask));
        char back[512] = {};
        psString_buildStringFromBitMaskA(back, mask, sizeof mask, 0);
        mix(psMath_calcCRC32(0, back, uint32_t(std::strlen(back))));
        return h;
    });
}

TEST(Concurrency, Checksums)
{
    onEveryThread([](int r) {
        std::string data(size_t(r * 13 + 1), char(r));
        uint32_t digest[5];
        psMath_calcSHA1(digest, data.data(), uint32_t(data.size()), 1);
        return (uint64_t(digest[0]) << 32 | digest[4]) ^ psMath_calcCRC32(0, data.data(), uint32_t(data.size()));
    });
}

TEST(Concurrency, OneCompiledPattern)
{
    void* pattern = psRegex_create("^(plan|elev)[-a-z]*[0-9]+\\.dgn$", 1, 0, nullptr);
    ASSERT_NE(pattern, nullptr);
    onEveryThread([&](int r) {
        std::string name = nameOf(r);
        std::u16string wide(name.begin(), name.end());
        return uint64_t(psRegex_matchString(pattern, name.c_str())) * 2 +
               uint64_t(psRegex_matchStringW(pattern, wide.c_str()));
    });
    psRegex_destroy(pattern);
}
