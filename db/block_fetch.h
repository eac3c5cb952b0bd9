// Fetching a cursor's rows in blocks: the columns bound to arrays of
// buffers, many rows per SQLFetch, values taken from the buffers.
#ifndef PELUND_DB_BLOCK_FETCH_H
#define PELUND_DB_BLOCK_FETCH_H

#include "db/active_database.h"
#include "db/cursor_values.h"

#include <memory>
#include <vector>

namespace pelund {

// Where a bound column's values lie, worked out once after binding.
struct BoundColumn {
    const char* cells = nullptr;  // the first row's buffer; rows follow WIDTH apart
    size_t width = 0;             // bytes per buffer; 0 when unbound
    SQLLEN fits = 0;  // a value of fewer bytes is whole, with its terminator and a unit to spare
    const SQLLEN* indicators = nullptr;  // by row
};

struct RowBlock {
    SQLSMALLINT cType = SQL_C_CHAR;
    size_t unit = 1;         // bytes per text unit
    SQLULEN rows = 1;        // rows per block
    bool repositions = false;  // SQLGetData reads any row of a block after SQLSetPos
    std::vector<size_t> widths;   // bytes per buffer, by column
    std::vector<size_t> offsets;  // of each column's buffers
    std::unique_ptr<char16_t[]> buffer;  // char16_t for UTF-16 alignment
    std::vector<SQLLEN> indicators;      // column by column, row by row
    std::vector<SQLUSMALLINT> status;
    std::vector<BoundColumn> bound;  // by column
    SQLULEN fetched = 0;  // rows in the current block
    SQLULEN current = 0;  // the current row in it
};

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

// Whether the current row of block B can be copied out as text of width Ch:
// the buffers hold that width and the driver reports the row fetched.
template <class Ch>
inline bool copiesRow(const RowBlock& b)
{
    return b.unit == sizeof(Ch) && b.status[b.current] != SQL_ROW_ERROR;
}

// For a block that copiesRow: stores column I's value of the current row in
// SLOT as blockValue would, when its buffer holds it whole; false when it
// must be read by blockValue (unbound, or longer than its buffer).
template <class Ch>
inline bool copyHeldValue(const RowBlock& b, size_t i, void*& slot)
{
    const BoundColumn& col = b.bound[i];
    SQLLEN indicator = col.indicators[b.current];
    if (indicator >= 0 && indicator < col.fits) {
        const Ch* text = reinterpret_cast<const Ch*>(col.cells + b.current * col.width);
        size_t n = size_t(indicator) / sizeof(Ch);
        if (text[n] != 0)  // reported short
            n = valueLength(text, col.width / sizeof(Ch), indicator);
        storeText(slot, text, n);
        return true;
    }
    if (indicator == SQL_NULL_DATA && col.fits > 0) {
        storeText<Ch>(slot, nullptr, 0);
        return true;
    }
    return false;
}

}  // namespace pelund

#endif
