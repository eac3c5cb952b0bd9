#include "server/debug_log.h"

#include "pelund/misc.h"
#include "pelund/server.h"
#include "frame/guard.h"
#include "frame/time_strings.h"
#include "frame/utf.h"
#include "platform/code_page.h"
#include "platform/transfer_file.h"

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
    logState.stream = openExistingForAppend(path);
    logState.enabled = logState.stream != nullptr;
}

void writeStamped(std::FILE* stream, const char* format, va_list args)
{
    std::fprintf(stream, "%s> ", asciiTimeNow().c_str());
    std::vfprintf(stream, format, args);
    std::fflush(stream);
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

std::FILE* debugLogStream() { return logState.enabled ? logState.stream : nullptr; }

void debugMessage(const char* format, ...)
{
    if (!logState.enabled)
        return;
    va_list args;
    va_start(args, format);
    writeStamped(logState.stream, format, args);
    va_end(args);
}

void debugMessageTo(std::FILE* stream, const char* format, ...)
{
    if (!stream || !format)
        return;
    va_list args;
    va_start(args, format);
    writeStamped(stream, format, args);
    va_end(args);
}

void debugMessageW(const char16_t* message)
{
    if (!logState.enabled)
        return;
    std::string stamp = asciiTimeNow();
    std::fprintf(logState.stream, "%s> %s", stamp.c_str(), utf16ToCodePage(message).c_str());
    std::fflush(logState.stream);
}

}  // namespace pelund

extern "C" {

PELUND_API void vnws_debugMessageByFile(FILE* file, const char* format, ...)
{
    if (!file || !format)
        return;
    va_list args;
    va_start(args, format);
    pelund::guarded(0, [&] {
        pelund::writeStamped(file, format, args);
        return 0;
    });
    va_end(args);
}

PELUND_API FILE* vnws_getDebugLogFileP(void)
{
    return pelund::guarded<FILE*>(nullptr, [] { return pelund::debugLogStream(); });
}

}  // extern "C"
