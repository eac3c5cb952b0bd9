// Double quotes around the parts of a path that hold blanks.
#include <cstring>
#include <string>

#include "frame/guard.h"
#include "pelund/launch.h"
#include "text/tokens.h"

namespace pelund {
namespace {

std::string quotedWhole(const char* path)
{
    std::string out = "\"";
    for (const char* p = path; *p; ++p)
        if (*p != '"')
            out += *p;
    return out += '"';
}

// Each '\'-separated component, quoted when it holds a blank, followed by a
// backslash. Empty components (doubled, leading or trailing backslashes)
// stay empty.
std::string quotedComponents(const char* path)
{
    size_t n = std::strlen(path);
    std::string out, component(n + 1, '\0');
    out.reserve(3 * n);
    for (size_t at = 0; at < n;) {
        int used = getToken(component.data(), path + at, TokenSets<char>{.separator = "\\"}, 0);
        if (used <= 0)
            break;
        at += size_t(used);
        const char* text = component.c_str();
        if (std::strchr(text, ' '))
            out.append("\"").append(text).append("\"");
        else
            out.append(text);
        out += '\\';
    }
    return out;
}

int quotePath(char* output, const char* path, int perComponent)
{
    if (!output || !path || !*path)
        return PS_FAILURE;
    if (perComponent) {
        std::string quoted = quotedComponents(path);
        quoted.pop_back();  // the last component's backslash
        std::memcpy(output, quoted.c_str(), quoted.size() + 1);
        return 0;
    }
    if (!std::strchr(path, ' ')) {
        if (output != path)
            std::memmove(output, path, std::strlen(path) + 1);
        return 0;
    }
    std::string quoted = quotedWhole(path);
    std::memcpy(output, quoted.c_str(), quoted.size() + 1);
    return 0;
}

}  // namespace
}  // namespace pelund

extern "C" {

PELUND_API int vnFile_quotePathA(char* output, const char* path, int per_component)
{
    return pelund::guarded(PS_FAILURE, [&] { return pelund::quotePath(output, path, per_component); });
}

}  // extern "C"
