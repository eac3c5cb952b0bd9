// What the database layer asks of the system: the dynamic loader about ODBC
// drivers that the driver manager has loaded into the process, and the
// current directory for the data source administrator.
#ifndef PELUND_PLATFORM_DB_FILES_H
#define PELUND_PLATFORM_DB_FILES_H

#include <string_view>

namespace pelund {

// Whether a shared object already loaded into the process, whose file name
// (the last part of its path) is the last part of FILE, defines SYMBOL.
// False when no such object is loaded.
bool loadedObjectDefines(std::string_view file, const char* symbol);

// Makes FOLDER the process's current directory; false when it cannot be.
bool changeWorkingFolder(const char* folder);

}  // namespace pelund

#endif
