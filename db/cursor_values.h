// Reading the values of a cursor's current row as text blocks handed to
// callers: whole values, however long, from SQLGetData.
#ifndef PELUND_DB_CURSOR_VALUES_H
#define PELUND_DB_CURSOR_VALUES_H

#include "db/active_database.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <malloc.h>

namespace pelund {

// Stores the whole value of column COLUMN (from 1) of the cursor's current
// row in SLOT as 8-bit text (char) or UTF-16 (char16_t), as storeText
// does (a long value in a new block); NULL and an empty value both give an
// empty text. A driver that refuses UTF-16 values switches the cursor to
// 8-bit values converted with the code page. Throws DatabaseError when the
// driver fails, std::bad_alloc without memory; SLOT then holds a block
// that the caller frees.
template <class Ch>
void readValue(Cursor& c, SQLUSMALLINT column, SQLHDBC hdbc, void*& slot);

// A new heap block holding the N units at TEXT and a terminator.
template <class Ch>
Ch* heapText(const Ch* text, size_t n);

// storeText where SLOT's block is missing or too small: frees it and puts
// a new one there.
template <class Ch>
void replaceText(void*& slot, const Ch* text, size_t n);

// Stores the N units at TEXT and a terminator in SLOT: in the heap block
// SLOT already holds when that is large enough, else in a new one (the old
// block freed). SLOT is null when this throws std::bad_alloc.
template <class Ch>
inline void storeText(void*& slot, const Ch* text, size_t n)
{
    if (!slot || malloc_usable_size(slot) < (n + 1) * sizeof(Ch))
        return replaceText(slot, text, n);
    auto* block = static_cast<Ch*>(slot);
    if (n)
        std::memcpy(block, text, n * sizeof(Ch));
    block[n] = 0;
}

// The length in units of a value that the driver wrote, terminated, into
// BUFFER of CAPACITY units and reported as REPORTED_BYTES. Some drivers
// report UTF-16 lengths short after certain characters; where the report is
// shorter than the terminated text, the terminator counts. A report of
// SQL_NO_TOTAL is taken from the terminator alone.
template <class Ch>
inline size_t valueLength(const Ch* buffer, size_t capacity, SQLLEN reportedBytes)
{
    size_t n = reportedBytes >= 0 ? std::min(size_t(reportedBytes) / sizeof(Ch), capacity - 1) : 0;
    while (n + 1 < capacity && buffer[n] != 0)
        ++n;
    return n;
}

}  // namespace pelund

#endif
