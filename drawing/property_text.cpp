#include "drawing/property_text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "frame/text_forms.h"
#include "platform/local_time.h"

namespace pelund {
namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

std::string printed(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string printed(const char* format, ...)
{
    char buffer[kPropertyTextMax + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

}  // namespace

std::string narrowPropertyText(const std::u16string& text)
{
    std::string out;
    out.reserve(std::min(text.size(), kPropertyTextMax));
    for (size_t k = 0; k < text.size() && out.size() < kPropertyTextMax; ++k)
        out.push_back(narrowFromWide(text[k]));
    return out;
}

std::string filetimeText(uint64_t ticks)
{
    time_t seconds = time_t(int64_t(ticks / kTicksPerSecond) - kSecondsFrom1601To1970);
    int millisecond = int((ticks % kTicksPerSecond) / 10000);
    struct tm local {};
    if (!localTime(seconds, &local) && !universalTime(seconds, &local))
        return std::string();
    return printed("%d:%d:%d:%d %d/%d/%d", local.tm_hour, local.tm_min, local.tm_sec, millisecond,
                   local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
}

std::string propertyText(const PropertyValue& v)
{
    if (v.type & VT_ARRAY)
        return "(Array)";
    if (v.type & VT_BYREF)
        return "(ByRef)";
    switch (v.type) {
    case VT_EMPTY:
    case VT_NULL:
        return std::string();
    case VT_I2:
    case VT_I4:
        return printed("%d", int(v.integer));
    case VT_R4:
    case VT_R8:
        return printed("%lf", v.real);
    case VT_BSTR:
    case VT_LPWSTR:
        return narrowPropertyText(v.text);
    case VT_LPSTR:
        return v.text.empty() ? v.bytes.substr(0, kPropertyTextMax) : narrowPropertyText(v.text);
    case VT_BOOL:
        return v.integer ? "TRUE" : "FALSE";
    case VT_FILETIME:
        return filetimeText(v.filetime);
    case VT_BLOB:
        return "(VT_BLOB)";
    case VT_CF:
        return "(Clipboard format)";
    default:
        return printed("(Unhandled type: 0x%08lx)", (unsigned long)v.type);
    }
}

}  // namespace pelund
