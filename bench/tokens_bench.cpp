// Splitting a 1 MiB comma-separated list: the tokenizer against a strcspn
// loop that copies each token out, which is the least a caller could do.
#include "pelund/tokens.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string& mebibyteList()
{
    static const std::string list = [] {
        std::string s;
        for (int i = 0; s.size() < (1u << 20); ++i)
            s += "item" + std::to_string(i * 7919 % 100000) + ",";
        return s;
    }();
    return list;
}

// SKIP, TRIM and QUOTE as callers pass them for user-typed lists; the list
// holds none of their characters, so the tokens are the same.
void splitList(benchmark::State& state, const char* skip, const char* trim, const char* quote)
{
    const std::string& list = mebibyteList();
    std::vector<char> token(64);
    for (auto _ : state) {
        size_t count = 0;
        const char* p = list.c_str();
        for (int n; (n = psString_getTokenExtA(token.data(), p, skip, trim, nullptr, ",", nullptr,
                                               quote)) > 0;
             p += n)
            ++count;
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(list.size()));
}

void splitList_ours(benchmark::State& state)
{
    const std::string& list = mebibyteList();
    std::vector<char> token(64);
    for (auto _ : state) {
        size_t count = 0;
        const char* p = list.c_str();
        for (int n; (n = psString_getTokenA(token.data(), p, nullptr, nullptr, nullptr, ",",
                                            nullptr)) > 0;
             p += n)
            ++count;
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(list.size()));
}

void splitListSets_ours(benchmark::State& state) { splitList(state, " \t", " \t", "\""); }

void splitList_peer(benchmark::State& state)
{
    const std::string& list = mebibyteList();
    std::vector<char> token(64);
    for (auto _ : state) {
        size_t count = 0;
        const char* p = list.c_str();
        while (*p) {
            size_t n = std::strcspn(p, ",");
            std::memcpy(token.data(), p, n);
            token[n] = '\0';
            benchmark::DoNotOptimize(token.data());
            p += n + (p[n] ? 1 : 0);
            ++count;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(list.size()));
}

}  // namespace

BENCHMARK(splitList_ours)->Name("tokens_split_1MiB/ours");
BENCHMARK(splitListSets_ours)->Name("tokens_split_1MiB/ours-sets");
BENCHMARK(splitList_peer)->Name("tokens_split_1MiB/peer");
