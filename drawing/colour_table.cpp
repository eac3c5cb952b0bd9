// Colour tables: 256 red-green-blue entries in a file of their own.
#include <cstdio>
#include <cstring>

#include "frame/guard.h"
#include "pelund/drawing.h"

namespace pelund {
namespace {

constexpr int kEntries = 256;
constexpr size_t kLongestPath = 256;

int readColourTable(unsigned char* rgb, const char* path)
{
    if (!rgb || !path || std::strlen(path) > kLongestPath)
        return PS_FAILURE;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return PS_FAILURE;
    int rc = 0;
    for (int entry = 0; entry < kEntries; ++entry)
        if (std::fread(rgb + entry * 3, 1, 3, file) == 0) {  // a short last entry still counts
            rc = PS_FAILURE;
            break;
        }
    std::fclose(file);
    return rc;
}

}  // namespace
}  // namespace pelund

extern "C" int msapiFile_readColourTableToRGBArray(unsigned char* rgb, const char* path)
{
    return pelund::guarded(PS_FAILURE, [&] { return pelund::readColourTable(rgb, path); });
}
