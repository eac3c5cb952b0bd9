// Rewriting a small file so that readers see the old or the new content,
// never a part, and writers in several processes take turns.
#ifndef PELUND_PLATFORM_FILE_REPLACE_H
#define PELUND_PLATFORM_FILE_REPLACE_H

#include <cstdint>
#include <functional>
#include <string>

namespace pelund {

// Under an exclusive lock on PATH (created empty when missing), hands its
// content to CHANGE and puts what CHANGE makes of it in the file's place: a
// temporary file in the same folder, written, synced and renamed over PATH
// with PATH's permissions. Returns 0 or the errno value of the failure.
int replaceFileLocked(const std::string& path, const std::function<std::string(const std::string&)>& change);

// The whole content of PATH; false when it cannot be read or holds more
// than LIMIT bytes.
bool readWholeFile(const std::string& path, std::string* content, size_t limit = SIZE_MAX);

// The first COUNT bytes of PATH, or all of a shorter file; false when it
// cannot be read.
bool readFileStart(const std::string& path, size_t count, std::string* content);

}  // namespace pelund

#endif
