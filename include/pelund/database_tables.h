/** @file
   PelundLib: the catalog of the connected database, creating tables, moving
   whole tables, and connect strings and file DSNs for desktop database
   files. Error buffers (may be null) hold at least 512 characters; texts
   written to them are cut to 511. Table and column names go into SQL text
   as given, unquoted. */
#ifndef PELUND_DATABASE_TABLES_H
#define PELUND_DATABASE_TABLES_H

#include "pelund/database.h"

PELUND_BEGIN_DECLS

/* --- Catalog ----------------------------------------------------------- */

/** @{ */
/** List the names of every catalog entry into a new array (*NAMES, *COUNT
   entries; release with vnDBWin_freeStringsArrayA / W and the same count).
   Return 1, or 0 when not connected or on failure (message stored). */
PELUND_API int vnDBWin_describeDatabaseA(char*** names, int* count);
PELUND_API int vnDBWin_describeDatabaseW(ps_char16*** names, int* count);
/** @} */

/** @{ */
/** Return 1 when the catalog holds an entry NAME (any case), else 0. */
PELUND_API int vnDBWin_findTableA(const char* name);
PELUND_API int vnDBWin_findTableW(const ps_char16* name);
/** @} */

/** @{ */
/** Fill RECORD (cleared first) with the columns of TABLE and the values of
   its first row (absent for an empty table). Return 0, the ODBC code of a
   database failure (-1 for a missing table), or 0x8000. */
PELUND_API int vnDBWin_describeTableA(SQLDA* record, const char* table);
PELUND_API int vnDBWin_describeTableW(SQLDA* record, const ps_char16* table);
/** @} */

/* --- Creating tables --------------------------------------------------- */

/** @{ */
/** Create table NAME with the columns RECORD describes, in the type names of
   the connected driver; LONG_TEXT_TYPE (may be null) names the type of
   character columns of 256 characters and more. Columns of types without a
   text are left out. Return 0, 0x8000 for a null NAME or RECORD, or the
   code of vnDBWin_processSQLW (its message then goes to ERROR). */
PELUND_API int vnDBWin_createTableFromSqlData(const ps_char16* name, const SQLDA* record,
                                              const ps_char16* long_text_type,
                                              ps_char16* error);
/** @} */

/** @{ */
/** Create table NAME shaped like the existing table SOURCE. Return 0 or the
   failure code of describing SOURCE or of creating NAME. The A form does
   nothing and returns 0 when either name is null. */
PELUND_API int vnDBWin_createTableW(const ps_char16* name, const ps_char16* source,
                                    const ps_char16* long_text_type, ps_char16* error);
PELUND_API int vnDBWin_createTableA(const char* name, const char* source,
                                    const char* long_text_type, char* error);
/** @} */

/* --- Whole tables ------------------------------------------------------ */

/** @{ */
/** Read every row of TABLE into a new array of records (*RECORDS) and its
   row count into *COUNT. A table without rows gives one record with the
   column description and count 0; a missing table count 0 and no array.
   Release with vnDBWin_freeEntireTable. Return 0 or a failure code. */
PELUND_API int vnDBWin_readEntireTable(const ps_char16* table, SQLDA** records, int* count,
                                       ps_char16* error);
/** @} */

/** @{ */
/** Write COUNT records into TABLE (created from records[0] when missing),
   one INSERT per record, leaving out empty values. Return 0, or the code of
   the creation or of the first INSERT that failed. */
PELUND_API int vnDBWin_writeEntireTable(const ps_char16* table, SQLDA* records, int count,
                                        const ps_char16* long_text_type, ps_char16* error);
/** @} */

/** @{ */
/** Release the first COUNT records of *RECORDS and the array. Return 0, or
   0x8000 for a null RECORDS. */
PELUND_API int vnDBWin_freeEntireTable(SQLDA** records, int count);
/** @} */

/** @{ */
/** Copy table SOURCE into DESTINATION of the connected database (created
   like SOURCE when missing) in one statement. Return 0 or a failure code. */
PELUND_API int vnDBWin_copyTable(const char* destination, const char* source,
                                 const char* long_text_type, char* error);
PELUND_API int vnDBWin_copyTableW(const ps_char16* destination, const ps_char16* source,
                                  const ps_char16* long_text_type, ps_char16* error);
/** @} */

/** @{ */
/** Copy SOURCE_TABLE of the database SOURCE_DB (a connect string) into
   DESTINATION_TABLE of DESTINATION_DB through memory, dropping an existing
   destination table first. Leaves the connection attached to the last
   database attached. Return 0, 0x8000 for a null DESTINATION_TABLE, or a
   failure code. */
PELUND_API int vnDBWin_copyTableExtW(const ps_char16* source_db, const ps_char16* source_table,
                                     const ps_char16* destination_db,
                                     const ps_char16* destination_table,
                                     const ps_char16* long_text_type, ps_char16* error);
/** @} */

/** @{ */
/** Drop TABLE. Return 0, 0x8000 for a null TABLE, or the failure code. */
PELUND_API int vnDBWin_dropTableW(const ps_char16* table, ps_char16* error);
/** @} */

/* --- Desktop database files -------------------------------------------- */

/** @{ */
/** Write into OUTPUT (CAPACITY characters) the content of the file TEMPLATE
   followed by "DBQ=" and DATABASE. Return 0, or 1 when an argument is null,
   the template cannot be read, or it is empty (OUTPUT then holds only the
   DBQ part). */
PELUND_API int vnDBWin_createJetConnectStr(ps_char16* output, int capacity,
                                           const ps_char16* template_path,
                                           const ps_char16* database);
/** @} */

/** @{ */
/** Write the file DSN test.dsn in the folder of LOCATION (its last part, up
   to the last '/' or '\', is dropped) from the template and "DBQ=" DATABASE,
   and "FileDSN=<path>" into OUTPUT (at least 265 characters). Return 0, or
   1 when an argument is null, the template is missing or empty, or the DSN
   file cannot be written. */
PELUND_API int vnDBWin_createJetFileDSN(ps_char16* output, const ps_char16* template_path,
                                        const ps_char16* location, const ps_char16* database);
/** @} */

/** @{ */
/** Show the driver manager's data source administrator, with DEFAULT_DIR (may
   be null) as the folder for file DSNs while it is open, after changing to
   WORKING_DIR (may be null). PARENT (may be null) owns it. Returns 0 when
   the setting could be read and written as needed, else the failing step's
   status. */
PELUND_API int vnDBWin_openODBCAdminA(const char* default_dir, const char* working_dir,
                                      void* parent);
PELUND_API int vnDBWin_openODBCAdminW(const ps_char16* default_dir, const ps_char16* working_dir,
                                      void* parent);
/** @} */

PELUND_END_DECLS

#endif
