// psRegex_matchString over a million names against a bare pcre2_match loop
// that reuses one match-data block, with the same compiled pattern.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <cstring>
#include <string>
#include <vector>

#include "pelund/regex.h"

#include "sample_names.h"

namespace {

const char* const kPattern = "^[a-z]+-?[0-9]+\\.dgn$";

void regex_ours(benchmark::State& state)
{
    void* pattern = psRegex_create(kPattern, 1, 0, nullptr);
    const auto& list = sampleNames();
    for (auto _ : state) {
        size_t hits = 0;
        for (const std::string& name : list)
            hits += size_t(psRegex_matchString(pattern, name.c_str()));
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(list.size()));
    psRegex_destroy(pattern);
}

void regex_peer(benchmark::State& state)
{
    auto* code = static_cast<pcre2_code*>(psRegex_create(kPattern, 1, 0, nullptr));
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const auto& list = sampleNames();
    for (auto _ : state) {
        size_t hits = 0;
        for (const std::string& name : list)
            hits += pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(name.c_str()), std::strlen(name.c_str()), 0, 0,
                                data, nullptr) >= 0;
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(list.size()));
    pcre2_match_data_free(data);
    psRegex_destroy(code);
}

}  // namespace

BENCHMARK(regex_ours)->Name("regex_names_1M/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(regex_peer)->Name("regex_names_1M/peer")->Unit(benchmark::kMillisecond);
