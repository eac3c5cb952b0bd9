// The wildcard matcher against glibc fnmatch(3) on the same inputs: typical
// file patterns over a million names, and a pattern whose stars make a
// plain backtracking matcher slow. Level 3 has no peer; its time per match
// is reported on its own.
#include "pelund/wildcards.h"

#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <string>
#include <vector>

#include "sample_names.h"

namespace {

template <class Match>
void overNames(benchmark::State& state, const char* pattern, Match match)
{
    const auto& list = sampleNames();
    for (auto _ : state) {
        size_t hits = 0;
        for (const std::string& name : list)
            hits += match(pattern, name.c_str());
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(list.size()));
}

int ours(const char* p, const char* s) { return psString_matchWithWildcards(p, s, 1, 1); }
int oursNoCase(const char* p, const char* s) { return psString_matchWithWildcards(p, s, 1, 0); }
int oursSets(const char* p, const char* s) { return psString_matchWithWildcards(p, s, 2, 1); }
int peer(const char* p, const char* s) { return fnmatch(p, s, 0) == 0; }
int peerNoCase(const char* p, const char* s) { return fnmatch(p, s, FNM_CASEFOLD) == 0; }

void typicalDgn_ours(benchmark::State& s) { overNames(s, "*.dgn", ours); }
void typicalDgn_peer(benchmark::State& s) { overNames(s, "*.dgn", peer); }
void typicalDgnNoCase_ours(benchmark::State& s) { overNames(s, "*.dgn", oursNoCase); }
void typicalDgnNoCase_peer(benchmark::State& s) { overNames(s, "*.dgn", peerNoCase); }
void oneUnknown_ours(benchmark::State& s) { overNames(s, "plan-0?.dgn", ours); }
void oneUnknown_peer(benchmark::State& s) { overNames(s, "plan-0?.dgn", peer); }
const char* setsPattern = "[a-p]*-0[2-9].*";
void sets_ours(benchmark::State& s) { overNames(s, setsPattern, oursSets); }
void sets_peer(benchmark::State& s) { overNames(s, setsPattern, peer); }
void typicalPrefix_ours(benchmark::State& s) { overNames(s, "A-*", ours); }
void typicalPrefix_peer(benchmark::State& s) { overNames(s, "A-*", peer); }

const char* starsPattern = "*a*a*a*a*a*a*b";

void stars_ours(benchmark::State& state)
{
    std::string text(size_t(state.range(0)), 'a');
    for (auto _ : state)
        benchmark::DoNotOptimize(psString_matchWithWildcards(starsPattern, text.c_str(), 1, 1));
}

void stars_peer(benchmark::State& state)
{
    std::string text(size_t(state.range(0)), 'a');
    for (auto _ : state)
        benchmark::DoNotOptimize(fnmatch(starsPattern, text.c_str(), 0));
}

void levelThreeLists(benchmark::State& state)
{
    std::string text;
    while (text.size() < size_t(state.range(0)))
        text += "abbaxab";
    text.resize(size_t(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            psString_matchWithWildcards("*[ab,ba]*[ab,ba]*|b", text.c_str(), 3, 1));
}

}  // namespace

BENCHMARK(typicalDgn_ours)->Name("wildcard_star_dgn_1M/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(typicalDgn_peer)->Name("wildcard_star_dgn_1M/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(typicalDgnNoCase_ours)->Name("wildcard_star_dgn_nocase_1M/ours")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(typicalDgnNoCase_peer)->Name("wildcard_star_dgn_nocase_1M/peer")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(oneUnknown_ours)->Name("wildcard_question_1M/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(oneUnknown_peer)->Name("wildcard_question_1M/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(sets_ours)->Name("wildcard_sets_1M/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(sets_peer)->Name("wildcard_sets_1M/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(typicalPrefix_ours)->Name("wildcard_prefix_1M/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(typicalPrefix_peer)->Name("wildcard_prefix_1M/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(stars_ours)->Name("wildcard_stars_n10/ours")->Arg(10);
BENCHMARK(stars_peer)->Name("wildcard_stars_n10/peer")->Arg(10);
BENCHMARK(stars_ours)->Name("wildcard_stars_n100/ours")->Arg(100);
BENCHMARK(stars_peer)->Name("wildcard_stars_n100/peer")->Arg(100);
BENCHMARK(stars_ours)->Name("wildcard_stars_n1000/ours")->Arg(1000);
BENCHMARK(stars_peer)->Name("wildcard_stars_n1000/peer")->Arg(1000);
BENCHMARK(levelThreeLists)->Name("wildcard_level3_lists")->Arg(40)->Arg(200)->Arg(1000)
    ->Unit(benchmark::kMicrosecond);
