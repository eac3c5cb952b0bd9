// Runs the benchmarks and prints, for every pair whose names differ only
// in "/ours" and "/peer", the ratio of the two times: below 1 means we are faster.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            std::string name = run.benchmark_name();
            for (const char* side : {"/ours", "/peer"}) {
                size_t at = name.find(side);
                if (at == std::string::npos || run.iterations == 0)
                    continue;
                std::string pair = name.substr(0, at) + name.substr(at + 5);
                times_[pair][side + 1] = run.GetAdjustedRealTime();
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [pair, sides] : times_) {
            auto ours = sides.find("ours"), peer = sides.find("peer");
            if (ours != sides.end() && peer != sides.end() && peer->second > 0)
                std::printf("ratio %-40s ours/peer = %.2f\n", pair.c_str(),
                            ours->second / peer->second);
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> times_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
