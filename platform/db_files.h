// What the database layer asks of the dynamic loader about ODBC drivers
// that the driver manager has loaded into the process.
#ifndef PELUND_PLATFORM_DB_FILES_H
#define PELUND_PLATFORM_DB_FILES_H

#include <string_view>

namespace pelund {

// Whether a shared object already loaded into the process, whose file name
// (the last part of its path) is the last part of FILE, defines SYMBOL.
// False when no such object is loaded.
bool loadedObjectDefines(std::string_view file, const char* symbol);

}  // namespace pelund

#endif
