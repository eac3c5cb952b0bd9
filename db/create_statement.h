// The CREATE TABLE statement for a column description on the connected
// driver (its kind decides the type names), without running it.
#ifndef PELUND_DB_CREATE_STATEMENT_H
#define PELUND_DB_CREATE_STATEMENT_H

#include "pelund/database.h"

#include <string>

namespace pelund {

std::u16string createStatement(const std::u16string& name, const SQLDA& record,
                               const std::u16string& longText);

// Writes the "SQL Create syntax:" debug line and runs the statement; 0, or
// the failure's code with its message copied into ERROR (may be null).
int createTable(const std::u16string& name, const SQLDA& record, const std::u16string& longText,
                char16_t* error);

// A new table NAME shaped like SOURCE; a failed description composes
// "Error:  Couldn't describe table '...'." into ERROR. The narrow form
// composes into a private buffer and copies it in the 8-bit code page.
int createTableLike(const std::u16string& name, const std::u16string& source,
                    const std::u16string& longText, char16_t* error);
int createTableLikeNarrow(const std::u16string& name, const std::u16string& source,
                          const std::u16string& longText, char* error);

}  // namespace pelund

#endif
