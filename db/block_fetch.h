// Fetching a cursor's rows in blocks: the columns bound to arrays of
// buffers, many rows per SQLFetch, values taken from the buffers.
#ifndef PELUND_DB_BLOCK_FETCH_H
#define PELUND_DB_BLOCK_FETCH_H

#include "db/active_database.h"

namespace pelund {

// Whether a cursor on this connection may fetch in blocks, its values read
// as UTF-16 when WIDE. Asked before the cursor's query runs, since it may
// run a catalog query of its own.
bool canFetchInBlocks(SQLHDBC hdbc, bool wide);

// For a cursor whose query has just run and whose columns are described,
// on a connection that can fetch in blocks: binds the columns and sets the
// row array (the cursor then has a block), unless the driver refuses them;
// the cursor then reads each value with SQLGetData. Throws only
// std::bad_alloc.
void startBlockFetch(Cursor& c, SQLHDBC hdbc, bool wide);

// Moves a cursor with a block to its next row, fetching the next block when
// the current one is used up; false (and atEnd) when there is none.
bool advanceInBlock(Cursor& c, SQLHDBC hdbc);

// Stores in SLOT the value of column I (from 0) of the current row of a
// cursor with a block, as readValue gives it, in the heap block SLOT holds
// when that is large enough (see storeText); SLOT is null when this throws.
template <class Ch>
void blockValue(Cursor& c, size_t i, SQLHDBC hdbc, void*& slot);

}  // namespace pelund

#endif
