// A million drawing-file names of the kinds users match: stems, numbers and
// extensions in every case, shared by the matching benchmarks.
#ifndef PELUND_BENCH_SAMPLE_NAMES_H
#define PELUND_BENCH_SAMPLE_NAMES_H

#include <string>
#include <vector>

inline const std::vector<std::string>& sampleNames()
{
    static const std::vector<std::string> list = [] {
        const char* stems[] = {"plan", "A-", "section_", "Detail", "A-site", "x", "elev-north"};
        const char* exts[] = {".dgn", ".pdf", ".dwg", ".DGN", ".dgn.bak", ""};
        std::vector<std::string> v;
        v.reserve(1000000);
        for (int i = 0; i < 1000000; ++i)
            v.push_back(std::string(stems[i % 7]) + std::to_string((long long)i * 7919 % 100003) + exts[i % 6]);
        return v;
    }();
    return list;
}

#endif
