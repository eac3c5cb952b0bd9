#include "server/debug_log.h"

#include "pelund/misc.h"
#include "pelund/server.h"
#include "frame/utf.h"
#include "platform/code_page.h"

#include <cstdarg>
#include <cstring>
#include <string>

namespace pelund {
namespace {

// Process-wide and unguarded, as the log is used by one exchange at a time.
struct LogState {
    bool enabled = false;
    std::FILE* stream = nullptr;
    char pathA[260] = {};
    std::u16string pathW;
};

LogState logState;

void openPath(const char* path)
{
    std::FILE* probe = std::fopen(path, "r");
    if (!probe)
        return;  // the log is only written when the file exists already
    std::fclose(probe);
    logState.stream = std::fopen(path, "a");
    logState.enabled = logState.stream != nullptr;
}

}  // namespace

void openDebugLog(const char* path)
{
    closeDebugLog();
    if (!path || !*path)
        return;
    // A longer path is refused rather than cut to another file's name.
    if (std::strlen(path) >= sizeof logState.pathA)
        return;
    std::strcpy(logState.pathA, path);
    openPath(logState.pathA);
}

void openDebugLogW(const char16_t* path)
{
    closeDebugLog();
    if (!path || !*path)
        return;
    std::u16string p(path);
    if (p.size() >= 260)
        return;
    logState.pathW = p;
    openPath(utf16ToUtf8(p).c_str());
}

void reopenDebugLog()
{
    closeDebugLog();
    if (logState.pathA[0])
        openPath(logState.pathA);
}

void closeDebugLog()
{
    if (!logState.enabled)
        return;
    logState.enabled = false;
    std::fclose(logState.stream);
    logState.stream = nullptr;
}

bool isDebugLogEnabled() { return logState.enabled; }

void debugMessage(const char* format, ...)
{
    if (!logState.enabled)
        return;
    std::fprintf(logState.stream, "%s> ", psMisc_getAsciiTimeA());
    va_list args;
    va_start(args, format);
    std::vfprintf(logState.stream, format, args);
    va_end(args);
    std::fflush(logState.stream);
}

void debugMessageW(const char16_t* message)
{
    if (!logState.enabled)
        return;
    std::string stamp = utf16ToCodePage(psMisc_getAsciiTimeW());
    std::fprintf(logState.stream, "%s> %s", stamp.c_str(), utf16ToCodePage(message).c_str());
    std::fflush(logState.stream);
}

}  // namespace pelund

extern "C" {

PELUND_API void vnws_debugMessageByFile(FILE* file, const char* format, ...)
{
    if (!file || !format)
        return;
    std::fprintf(file, "%s> ", psMisc_getAsciiTimeA());
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fflush(file);
}

PELUND_API FILE* vnws_getDebugLogFileP(void)
{
    return pelund::logState.enabled ? pelund::logState.stream : nullptr;
}

}  // extern "C"
