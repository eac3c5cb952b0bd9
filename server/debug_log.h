// The server client's optional debug log: a text file that must exist
// already, appended to line by line, each line stamped with the local time.
#ifndef PELUND_SERVER_DEBUG_LOG_H
#define PELUND_SERVER_DEBUG_LOG_H

#include <cstdio>

namespace pelund {

// Turns the log off, then on again when PATH names an existing file that
// can be appended to. A null or empty PATH leaves it off and keeps the
// remembered path.
void openDebugLog(const char* path);
void openDebugLogW(const char16_t* path);
// Opens the log with the path remembered from the last openDebugLog.
void reopenDebugLog();
void closeDebugLog();
bool isDebugLogEnabled();
// The open log stream, or null while the log is off.
std::FILE* debugLogStream();
void debugMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A stamped line on STREAM, whether or not it is the log; nothing for a
// null STREAM or FORMAT.
void debugMessageTo(std::FILE* stream, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// The same with a UTF-16 message, stored as 8-bit text of the locale.
void debugMessageW(const char16_t* message);

// The log of one exported call: opened with the call's path (or the
// remembered one), closed when the call ends, however it ends.
class LogScope {
public:
    LogScope() { reopenDebugLog(); }
    explicit LogScope(const char* path) { openDebugLog(path); }
    explicit LogScope(const char16_t* path) { openDebugLogW(path); }
    ~LogScope() { closeDebugLog(); }
    LogScope(const LogScope&) = delete;
    LogScope& operator=(const LogScope&) = delete;
};

}  // namespace pelund

#endif
