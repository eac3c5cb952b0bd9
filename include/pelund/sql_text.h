/** @file
   PelundLib: helpers for composing SQL text and reading SQLDA records. */
#ifndef PELUND_SQL_TEXT_H
#define PELUND_SQL_TEXT_H

#include "pelund/database.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Copy SOURCE to DESTINATION as the inside of an SQL string literal: line
   feeds removed, single quotes doubled (DESTINATION holds up to twice the
   length plus one). Return 0, or 0x8000 for a null argument. */
PELUND_API int vnDBUtils_convertStringA(char* destination, const char* source);
PELUND_API int vnDBUtils_convertStringW(ps_char16* destination, const ps_char16* source);
/** @} */

/** @{ */
/** The same conversion; always return 0x8000. */
PELUND_API int vnDBWin_escapeStringA(char* destination, const char* source);
PELUND_API int vnDBWin_escapeStringW(ps_char16* destination, const ps_char16* source);
/** @} */

/** @{ */
/** Make NAME (at most 255 characters) a table name in place: full stops,
   asterisks, ampersands, percent signs, parentheses, braces, exclamation
   marks, carets, hyphens, plus and equals signs, slashes and backslashes
   become '#', each blank '_', and more than 32 characters
   are cut to 31. Return 0, or 0x8000 for a null or empty NAME. */
PELUND_API int vnDBUtils_convertTableNameA(char* name);
PELUND_API int vnDBUtils_convertTableNameW(ps_char16* name);
/** @} */

/** @{ */
/** Return 1 when RECORD has a column NAME (any case), else 0. */
PELUND_API int vnDBUtils_findSqlColumnNameA(const SQLDA* record, const char* name);
PELUND_API int vnDBUtils_findSqlColumnNameW(const SQLDA* record, const ps_char16* name);
/** @} */

/** @{ */
/** Return the value of the last column named NAME (any case) inside RECORD,
   or null. */
PELUND_API char* vnDBUtils_getSqlColumnDataPA(const SQLDA* record, const char* name);
PELUND_API ps_char16* vnDBUtils_getSqlColumnDataPW(const SQLDA* record, const ps_char16* name);
/** @} */

/** @{ */
/** Copy the value of column NAME into DESTINATION. Return 0, or 0x8000 when
   there is none (DESTINATION, if given, then receives an empty text) or
   DESTINATION is null. */
PELUND_API int vnDBUtils_getSqlColumnStringA(const SQLDA* record, const char* name,
                                             char* destination);
PELUND_API int vnDBUtils_getSqlColumnStringW(const SQLDA* record, const ps_char16* name,
                                             ps_char16* destination);
/** @} */

/** @{ */
/** Return the column names of RECORD joined by ", " as a new string (release
   with vnDBUtils_freeList), or null for no columns. */
PELUND_API char* vnDBUtils_getColumnNamesList(const SQLDA* record);
/** @} */

/** @{ */
/** Return the values of RECORD joined by ", ", SQL_CHAR values quoted, empty
   values of other types as 0, as a new string (release with
   vnDBUtils_freeList), or null for no columns. */
PELUND_API char* vnDBUtils_getColumnValuesListA(const SQLDA* record);
PELUND_API ps_char16* vnDBUtils_getColumnValuesListW(const SQLDA* record);
/** @} */

/** @{ */
/** Return the number of rows of TABLE, or -1 when it cannot be counted. */
PELUND_API int vnDBUtils_getNumTableRowsA(const char* table);
PELUND_API int vnDBUtils_getNumTableRowsW(const ps_char16* table);
/** @} */

PELUND_END_DECLS

#endif
