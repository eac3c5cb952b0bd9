// The parts of a cursor that the catalog and transfer code share.
#ifndef PELUND_DB_CURSOR_ROWS_H
#define PELUND_DB_CURSOR_ROWS_H

#include "db/active_database.h"
#include "pelund/database.h"

namespace pelund {

bool isCursorQuery(const std::u16string& query);

// Reads the column count and descriptions of an executed statement.
void describeColumns(Cursor& c, SQLHDBC hdbc);

// Moves to the next row; false (and atEnd) when there is none.
bool advance(Cursor& c, SQLHDBC hdbc);

// Fill RECORD with the cursor's columns and, when it is on a row, the row's
// values as 8-bit text (A) or UTF-16 (W). 0, or 0x8000.
int fillRowA(SQLDA* record, Cursor* cursor);
int fillRowW(SQLDA* record, Cursor* cursor);

}  // namespace pelund

#endif
