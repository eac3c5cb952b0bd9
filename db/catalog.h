// The catalog as the library's own code asks it: whether a table exists,
// how many rows it has, what columns it has.
#ifndef PELUND_DB_CATALOG_H
#define PELUND_DB_CATALOG_H

#include "pelund/database.h"

#include <cstdint>
#include <string>

namespace pelund {

// Whether the user's tables and views hold one named NAME (ignoring case);
// false when no statement can be had. Throws DatabaseError.
bool tableExists(const std::u16string& name);

// The rows of TABLE by "SELECT COUNT(*) FROM TABLE;". Throws DatabaseError
// when the count cannot be had.
int64_t rowCount(const std::u16string& table);

// Clears RECORD and fills it with TABLE's columns and first row (UTF-16).
// 0; throws DatabaseError.
int describeTableW(SQLDA* record, const std::u16string& table);

}  // namespace pelund

#endif
