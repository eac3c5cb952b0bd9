// Fetching a cursor's rows in blocks: the columns bound to arrays of
// buffers, many rows per SQLFetch, values taken from the buffers.
#ifndef PELUND_DB_BLOCK_FETCH_H
#define PELUND_DB_BLOCK_FETCH_H

#include "db/active_database.h"
#include "db/cursor_values.h"

#include <cstdint>
#include <cstring>
#include <malloc.h>
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

// The 8-byte word at P, wherever it lies.
inline uint64_t loadWord(const void* p)
{
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

// storeHeld where SLOT's block is too small: a new one in its place.
void replaceHeld(void*& slot, const char* cell, size_t bytes, size_t padded);

// Stores the text of BYTES bytes at CELL and a terminator of UNIT bytes in
// SLOT, copied in whole words: CELL holds PADDED bytes (the length with the
// terminator rounded up to 8) within its buffer, and SLOT's block is reused
// when it holds as many.
inline void storeHeld(void*& slot, const char* cell, size_t bytes, size_t unit)
{
    size_t padded = (bytes + unit + 7) & ~size_t(7);
    if (!slot || malloc_usable_size(slot) < padded)
        return replaceHeld(slot, cell, bytes, padded);
    char* to = static_cast<char*>(slot);
    for (size_t k = 0; k < padded; k += 8) {
        uint64_t w = loadWord(cell + k);
        std::memcpy(to + k, &w, 8);
    }
    std::memset(to + bytes, 0, unit);
}

// For a block that copiesRow: stores the value of bound column COL in ROW
// (the current row) in SLOT as blockValue would, when its buffer holds it
// whole; false when it must be read by blockValue (unbound, or longer than
// its buffer).
template <class Ch>
inline bool copyHeldValue(const BoundColumn& col, SQLULEN row, void*& slot)
{
    SQLLEN indicator = col.indicators[row];
    const char* cell = col.cells + row * col.width;
    if (indicator >= 0 && indicator < col.fits) {
        size_t bytes = size_t(indicator) & ~(sizeof(Ch) - 1);
        if (reinterpret_cast<const Ch*>(cell)[bytes / sizeof(Ch)] != 0)  // reported short
            bytes = valueLength(reinterpret_cast<const Ch*>(cell), col.width / sizeof(Ch),
                                indicator) * sizeof(Ch);
        storeHeld(slot, cell, bytes, sizeof(Ch));
        return true;
    }
    if (indicator == SQL_NULL_DATA && col.fits > 0) {
        storeHeld(slot, cell, 0, sizeof(Ch));
        return true;
    }
    return false;
}

}  // namespace pelund

#endif
