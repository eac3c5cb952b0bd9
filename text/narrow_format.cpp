#include "text/narrow_format.h"

#include <cstdio>

namespace pelund {

bool formatNarrow(std::string* out, const char* format, va_list args)
{
    va_list again;
    va_copy(again, args);
    int total = std::vsnprintf(nullptr, 0, format, args);
    if (total < 0) {
        va_end(again);
        return false;
    }
    try {
        out->assign(size_t(total) + 1, '\0');
    } catch (...) {
        va_end(again);
        throw;
    }
    std::vsnprintf(out->data(), out->size(), format, again);
    va_end(again);
    out->resize(size_t(total));
    return true;
}

}  // namespace pelund
