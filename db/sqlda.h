// Allocating and releasing the parts of SQLDA records.
#ifndef PELUND_DB_SQLDA_H
#define PELUND_DB_SQLDA_H

#include "pelund/database.h"

namespace pelund {

// The seven zero-filled arrays of numColumns x 8 bytes; false when one could
// not be had (those that could are stored all the same).
bool allocateArrays(SQLDA* record);

// Keeps a record's arrays, names and value blocks for the next row of the
// same shape, which reuses each value block or frees it (a record without
// all its arrays is released whole).
void keepForNextRow(SQLDA* record);

// Frees every string and array and zeroes the record.
void releaseRecord(SQLDA* record);

}  // namespace pelund

#endif
