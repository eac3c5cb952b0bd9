// The file-system calls behind the folder and file functions.
#ifndef PELUND_PLATFORM_FILE_SYSTEM_H
#define PELUND_PLATFORM_FILE_SYSTEM_H

#include <cstdint>
#include <string>

namespace pelund {

// The first path (in sorted order) matching PATTERN, where only '*' and '?'
// are wildcards and match leading dots too; false when nothing matches.
bool firstMatch(const std::string& pattern, std::string* path);

// Creation time (-1 where the file system keeps none) and last-write time,
// in seconds since 1970 UTC; false when PATH cannot be examined.
bool fileTimes(const std::string& path, int64_t* created, int64_t* written);

bool isFolder(const std::string& path);

// 0 or the errno value of the failure.
int makeFolder(const std::string& path);
int pathStatus(const std::string& path);
int hostName(std::string* name);

bool changeFolder(const std::string& path);

}  // namespace pelund

#endif
