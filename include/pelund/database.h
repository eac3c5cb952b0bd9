/** @file
   PelundLib: database access through ODBC.

   The library holds at most one connection per process. Statements run on
   it to completion, or queries are opened as numbered cursors (at most
   three at a time) whose rows are delivered one at a time, every value as
   text, into an SQLDA record. Failures return a code and store a message
   under it, to be read with vnDBWin_getErrorTextA / W. A functions take 8-bit
   text in the encoding of the current locale, W functions UTF-16. Use the
   connection from one thread at a time. */
#ifndef PELUND_DATABASE_H
#define PELUND_DATABASE_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** A result's column descriptions and one row of values. Every array has
   numColumns elements and is a separate block of the library's heap, as is
   every string; filled by an A function the strings are char*, by a W
   function ps_char16*. Release with vnDBWin_freeSQLDADescriptorA. A
   zero-filled record is the empty record. */
typedef struct SQLDA {
    int16_t numColumns;   /**< number of columns: the length of each array */
    void** names;         /**< column names */
    void** values;        /**< value texts of the row; null: could not be read */
    int16_t* sqlTypes;    /**< ODBC SQL types (SQL_VARCHAR 12, ...) */
    uint16_t* reserved;   /**< always 0 */
    int16_t* scales;      /**< decimal digits */
    uint16_t* precisions; /**< column sizes, low 16 bits */
    int16_t* nullables;   /**< 0 no nulls, 1 nullable, 2 unknown */
} SQLDA;

/* --- Library codes ----------------------------------------------------- */

/** @{ */
/** Codes of failures that the library itself detects, returned beside the
   ODBC return codes; each has a fixed message (vnDBWin_getErrorTextA). */
#define PS_DB_REQUEST_FAILED         1001 /**< the database request could not be completed */
#define PS_DB_NOT_CONNECTED          1002 /**< no database connection is open */
#define PS_DB_NOT_A_QUERY            1003 /**< a cursor query begins with neither SELECT nor { */
#define PS_DB_NO_SUCH_CURSOR         1004 /**< the cursor does not exist */
#define PS_DB_NO_CURRENT_ROW         1005 /**< the cursor has no current row */
#define PS_DB_NO_COLUMNS             1006 /**< the result has no columns */
#define PS_DB_NO_SUCH_COLUMN         1007 /**< the column does not exist in the result */
#define PS_DB_VALUE_UNREADABLE       1008 /**< the column value could not be read */
#define PS_DB_NO_SUCH_TABLE          1009 /**< the table does not exist */
#define PS_DB_TABLE_EXISTS           1010 /**< the table exists already */
#define PS_DB_INCOMPLETE_DESCRIPTION 1011 /**< the column description is incomplete */
#define PS_DB_TYPE_NOT_SUPPORTED     1012 /**< the data type is not supported by the driver */
#define PS_DB_NO_STATIC_CURSORS      1013 /**< the driver offers no static cursors */
#define PS_DB_API_NOT_CONFORMING     1014 /**< the driver reports ODBC API conformance level 0 */
#define PS_DB_SQL_NOT_CONFORMING     1015 /**< the driver reports no SQL grammar conformance */
#define PS_DB_CATALOG_UNREADABLE     1016 /**< the catalog could not be read */
#define PS_DB_STATEMENT_TOO_LONG     1017 /**< the statement is too long */
#define PS_DB_NAME_TOO_LONG          1018 /**< the name is too long */
#define PS_DB_VALUE_TOO_LONG         1019 /**< the value does not fit its column */
#define PS_DB_TABLES_DIFFER          1020 /**< the source and target tables differ */
#define PS_DB_SOURCE_NOT_OPENED      1021 /**< the source database could not be opened */
#define PS_DB_TARGET_NOT_OPENED      1022 /**< the target database could not be opened */
#define PS_DB_COPY_STOPPED           1023 /**< copying the table was stopped */
#define PS_DB_UNEXPECTED_RESULT      1024 /**< the driver returned an unexpected result */
#define PS_DB_READ_ONLY              1025 /**< the operation is not allowed on a read-only connection */
#define PS_DB_TOO_MANY_CURSORS       1026 /**< too many cursors are open */
#define PS_DB_DIALOG_CANCELLED       1027 /**< the data source dialog was cancelled */
#define PS_DB_KEY_NOT_UNIQUE         1028 /**< the key does not identify one row */
/** @} */

/* --- Connection -------------------------------------------------------- */

/** @{ */
/** Connect with an ODBC connect string, never prompting, after closing any
   connection open before. Return 0 connected; 0x8000 not connected; any
   other value is the code of a failure whose message is stored (usually -1,
   SQL_ERROR). A null string counts as empty. The W form converts its text to
   8 bits first. */
PELUND_API int vnDBWin_attachDatabaseA(const char* connect_string);
PELUND_API int vnDBWin_attachDatabaseW(const ps_char16* connect_string);
/** @} */

/** @{ */
/** As vnDBWin_attachDatabaseA with OPTIONS: 0x2 read-only, 0x4 driver
   cursors, 0x8 never prompt, 0x10 always prompt (0x8 with 0x10 is refused:
   0x8000); neither prompt bit lets the driver manager complete the string. */
PELUND_API int vnDBWin_attachDatabaseExtW(const ps_char16* connect_string, unsigned int options);
/** @} */

/** @{ */
/** Connect through the driver manager's data source prompt. Returns 1
   connected, 0 not (a failure's message is stored under its code). */
PELUND_API int OpenDB(void);
/** @} */

/** @{ */
/** Close the connection; open cursors keep their IDs and report no more
   rows until closed. */
PELUND_API void vnDBWin_disconnectDatabase(void);
/** @} */

/** @{ */
/** Returns 1 while connected, else 0. */
PELUND_API int vnDBWin_isConnected(void);
/** @} */

/** @{ */
/** Copy the caller's connect string of the last attach into CONNECT_STRING
   (256 units, may be null) and the completed one, "ODBC;..." into
   FULL_CONNECT_STRING (1024 units, may be null): each buffer is written to
   its full size, the text then NULs, not terminated when the text fills
   it. Return 1, or 0 (nothing written) when both texts are empty. */
PELUND_API int vnDBWin_getActiveDatabaseA(char* connect_string, char* full_connect_string);
PELUND_API int vnDBWin_getActiveDatabaseW(ps_char16* connect_string,
                                          ps_char16* full_connect_string);
/** @} */

/** @{ */
/** Return the completed connect string of the last connection ("ODBC;...",
   empty after a failed attempt), at most 255 units, in a static area that
   the next call overwrites. */
PELUND_API const char* vnDBWin_getConnectStringA(void);
PELUND_API const ps_char16* vnDBWin_getConnectStringW(void);
/** @} */

/** @{ */
/** Copies the DRIVER entry of the completed connect string into BUFFER, which
   must hold it. Returns 0, or 0x8000 when there is none or BUFFER is null. */
PELUND_API int vnDBWin_getDriverName(char* buffer);
/** @} */

/** @{ */
/** Return 1 when the driver name contains one of the names of that driver,
   else 0. */
PELUND_API int vnDBWin_driverIsAS400(void);
PELUND_API int vnDBWin_driverIsDBase(void);
PELUND_API int vnDBWin_driverIsInformix(void);
PELUND_API int vnDBWin_driverIsMSAccess(void);
PELUND_API int vnDBWin_driverIsMSExcel(void);
PELUND_API int vnDBWin_driverIsMSParadox(void);
PELUND_API int vnDBWin_driverIsMSSQL(void);
PELUND_API int vnDBWin_driverIsMSText(void);
PELUND_API int vnDBWin_driverIsMySQL(void);
PELUND_API int vnDBWin_driverIsOracle(void);
PELUND_API int vnDBWin_driverIsPostgreSQL(void);
PELUND_API int vnDBWin_driverIsSybase(void);
PELUND_API int vnDBWin_driverIsVisualFoxPro(void);
/** @} */

/* --- Statements and cursors ------------------------------------------- */

/** @{ */
/** Run STATEMENT to completion, discarding any rows. Return 0, or the code
   of a failure (-2 when not connected) whose message, naming the statement,
   is stored. */
PELUND_API int vnDBWin_processSQLA(const char* statement);
PELUND_API int vnDBWin_processSQLW(const ps_char16* statement);
/** @} */

/** @{ */
/** Open QUERY (beginning with SELECT or "{") as a cursor and store its ID in
   *ID. The A form opens a forward-only cursor, the W form (also exported as
   vnDBWin_openCursorWithIDT) a static one. Without a connection the driver
   manager is asked to complete one. Return 0, 0x8000 (a fourth cursor, a
   cancelled prompt, no memory) or a failure code: 1003 for a query of
   another form, 1013 for static cursors the driver lacks. */
PELUND_API int vnDBWin_openCursorWithIDA(short* id, const char* query);
PELUND_API int vnDBWin_openCursorWithIDW(short* id, const ps_char16* query);
PELUND_API int vnDBWin_openCursorWithIDT(short* id, const ps_char16* query);
/** @} */

/** @{ */
/** Deliver the cursor's current row into RECORD (zero-filled, or filled by
   the previous fetch of this cursor, whose contents are released) and move
   on. Return 1 for a row, 0 at the end or for an unknown ID (RECORD is then
   untouched). A value that cannot be read is null. */
PELUND_API int vnDBWin_fetchRowByIDA(SQLDA* record, int id);
PELUND_API int vnDBWin_fetchRowByIDW(SQLDA* record, int id);
/** @} */

/** @{ */
/** Closes and releases the cursor. Returns 1, or 0 for an unknown ID. */
PELUND_API int vnDBWin_closeCursorWithID(int id);
/** @} */

/** @{ */
/** Allocate the seven zero-filled arrays of RECORD for its numColumns and
   return the nullables array; null for a null RECORD or when memory runs
   out. Also exported as vnDBWin_allocateSQLDW. */
PELUND_API void* vnDBWin_allocateSQLDA(SQLDA* record);
PELUND_API void* vnDBWin_allocateSQLDW(SQLDA* record);
/** @} */

/** @{ */
/** Release every string and array of RECORD (may be null) and zero it. Also
   exported as vnDBWin_freeSQLDADescriptorW. */
PELUND_API void vnDBWin_freeSQLDADescriptorA(SQLDA* record);
PELUND_API void vnDBWin_freeSQLDADescriptorW(SQLDA* record);
/** @} */

/** @{ */
/** Release the COUNT strings of ARRAY (null entries skipped) and the array;
   nothing for a null ARRAY. Also exported as vnDBWin_freeStringsArrayW. */
PELUND_API void vnDBWin_freeStringsArrayA(void** array, int count);
PELUND_API void vnDBWin_freeStringsArrayW(void** array, int count);
/** @} */

/* --- Error messages ---------------------------------------------------- */

/** @{ */
/** Copy the message stored for CODE (with its terminator) into BUFFER, which
   must hold it. Return 1, or 0 when none is stored (BUFFER untouched). */
PELUND_API int vnDBWin_getErrorTextA(char* buffer, int code);
PELUND_API int vnDBWin_getErrorTextW(ps_char16* buffer, int code);
/** @} */

/** @{ */
/** Compose a paragraph for an error dialog into OUTPUT (may be null): HEADING
   and STATEMENT (each may be null) and the message stored for CODE (at most
   511 characters of it). OUTPUT must hold heading, statement, 114 characters
   and the message. The W form writes exactly 511 units into an OUTPUT of
   512 (not terminated when the text fills them). Return 1. */
PELUND_API int vnDBWin_getSQLErrorTextA(char* output, const char* heading, const char* statement,
                                        int code);
PELUND_API int vnDBWin_getSQLErrorTextW(ps_char16* output, const ps_char16* heading,
                                        const ps_char16* statement, int code);
/** @} */

PELUND_END_DECLS

#endif
