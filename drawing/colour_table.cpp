// Colour tables: 256 red-green-blue entries in a file of their own.
#include <cstring>
#include <string>

#include "frame/guard.h"
#include "pelund/drawing.h"
#include "platform/file_replace.h"

namespace pelund {
namespace {

constexpr size_t kEntries = 256;
constexpr size_t kLongestPath = 256;

int readColourTable(unsigned char* rgb, const char* path)
{
    if (!rgb || !path || std::strlen(path) > kLongestPath)
        return PS_FAILURE;
    std::string bytes;
    if (!readFileStart(path, kEntries * 3, &bytes))
        return PS_FAILURE;
    std::memcpy(rgb, bytes.data(), bytes.size());
    // Every entry must have a byte; a short last entry still counts.
    return bytes.size() > (kEntries - 1) * 3 ? 0 : PS_FAILURE;
}

}  // namespace
}  // namespace pelund

extern "C" {

PELUND_API int msapiFile_readColourTableToRGBArray(unsigned char* rgb, const char* path)
{
    return pelund::guarded(PS_FAILURE, [&] { return pelund::readColourTable(rgb, path); });
}

}  // extern "C"
