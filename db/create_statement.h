// The CREATE TABLE statement for a column description on the connected
// driver (its kind decides the type names), without running it.
#ifndef PELUND_DB_CREATE_STATEMENT_H
#define PELUND_DB_CREATE_STATEMENT_H

#include "pelund/database.h"

#include <string>

namespace pelund {

std::u16string createStatement(const std::u16string& name, const SQLDA& record,
                               const std::u16string& longText);

}  // namespace pelund

#endif
