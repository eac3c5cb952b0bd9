// Fetching a cursor's rows in blocks: the columns bound to arrays of
// buffers, many rows per SQLFetch, values taken from the buffers.
#ifndef PELUND_DB_BLOCK_FETCH_H
#define PELUND_DB_BLOCK_FETCH_H

#include "db/active_database.h"

namespace pelund {

// For a cursor whose query has just run and whose columns are described:
// binds the columns and sets the row array when the driver and the result
// allow it (the cursor then has a block), and otherwise leaves the cursor
// to read each value with SQLGetData. WIDE: the values will be read as
// UTF-16. Throws only std::bad_alloc.
void startBlockFetch(Cursor& c, SQLHDBC hdbc, bool wide);

// Moves a cursor with a block to its next row, fetching the next block when
// the current one is used up; false (and atEnd) when there is none.
bool advanceInBlock(Cursor& c, SQLHDBC hdbc);

// The value of column I (from 0) of the current row of a cursor with a
// block, as readValue gives it.
template <class Ch>
Ch* blockValue(Cursor& c, size_t i, SQLHDBC hdbc);

}  // namespace pelund

#endif
