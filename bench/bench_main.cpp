// Runs the benchmarks and prints, for every benchmark named "X/ours" (or
// "X/ours-VARIANT") beside one named "X/peer", the ratio of the two times
// (below 1: we are faster) and its inverse, the speed-up.
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
            // "X/ours", "X/ours-VARIANT" and "X/peer"; anything after the
            // side ("/10" for an argument) belongs to X.
            std::string name = run.benchmark_name();
            for (const char* side : {"/ours", "/peer"}) {
                size_t at = name.find(side);
                if (at == std::string::npos || run.iterations == 0)
                    continue;
                size_t end = name.find('/', at + 1);
                if (end == std::string::npos)
                    end = name.size();
                std::string pair = name.substr(0, at) + name.substr(end);
                times_[pair][name.substr(at + 1, end - at - 1)] = run.GetAdjustedRealTime();
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [pair, sides] : times_) {
            auto peer = sides.find("peer");
            if (peer == sides.end() || peer->second <= 0)
                continue;
            for (const auto& [side, time] : sides)
                if (side != "peer" && time > 0)
                    std::printf("ratio %-34s %-20s time ours/peer = %6.2f  speed x%.2f\n",
                                pair.c_str(), side.c_str(), time / peer->second,
                                peer->second / time);
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
