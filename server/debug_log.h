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
void debugMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same with a UTF-16 message, stored as 8-bit text of the locale.
void debugMessageW(const char16_t* message);

}  // namespace pelund

#endif
