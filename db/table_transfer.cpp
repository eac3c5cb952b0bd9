// Whole tables: into memory as arrays of records, out again one INSERT per
// row, copied within a database in one statement or between databases
// through memory, and dropped.
#include "db/active_database.h"
#include "db/catalog.h"
#include "db/create_statement.h"
#include "db/cursor_rows.h"
#include "db/database_error.h"
#include "db/error_buffer.h"
#include "db/sql_text.h"
#include "db/sqlda.h"
#include "db/statement_handle.h"
#include "db/transaction.h"
#include "pelund/database_tables.h"
#include "frame/utf.h"
#include "platform/code_page.h"
#include "platform/debug_output.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace pelund {
namespace {

// Character values are quoted and escaped. So are dates and times: written
// bare, 2024-03-01 reads as arithmetic or fails to parse on every database.
bool isQuotedType(int type)
{
    return type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_LONGVARCHAR ||
           type == SQL_WCHAR || type == SQL_WVARCHAR || type == SQL_WLONGVARCHAR ||
           type == SQL_DATE || type == SQL_TIME || type == SQL_TIMESTAMP ||
           type == SQL_TYPE_DATE || type == SQL_TYPE_TIME || type == SQL_TYPE_TIMESTAMP;
}

// "INSERT INTO t (columns) VALUES (values);" for one record, or empty when
// every value is empty.
std::u16string insertStatement(const std::u16string& table, const SQLDA& r)
{
    std::u16string columns, values;
    for (int j = 0; j < r.numColumns; ++j) {
        const char16_t* v = r.values ? static_cast<const char16_t*>(r.values[j]) : nullptr;
        if (!v || !*v)
            continue;
        if (!columns.empty()) {
            columns += u", ";
            values += u", ";
        }
        if (r.names && r.names[j])
            columns += static_cast<const char16_t*>(r.names[j]);
        if (r.sqlTypes && isQuotedType(r.sqlTypes[j])) {
            values += u'\'';
            values += escapedLiteral(v);
            values += u'\'';
        } else {
            values += v;
        }
    }
    if (columns.empty() || values.empty())
        return std::u16string();
    std::u16string s = u"INSERT INTO ";
    s += table;
    s += u" (";
    s += columns;
    s += u") VALUES (";
    s += values;
    s += u");";
    return s;
}

std::u16string limited(std::u16string s)
{
    if (s.size() > 255)
        s.resize(255);
    return s;
}

const char16_t* const kNoMemory =
    u"Error:  Not enough memory to copy entire database table: '%s'\n\nClose some "
    u"applications and try again.";

// Whether TABLE exists; a catalog that cannot be read is recorded and taken
// as no table.
bool found(const std::u16string& table)
{
    return recorded(0, 0, [&] { return tableExists(table) ? 1 : 0; }) == 1;
}

// The rows of TABLE, or the recorded failure's code (as a negative count is
// impossible, the code comes back through RESULT).
bool countRows(const std::u16string& table, int64_t& rows, int& result)
{
    rows = 0;
    result = recorded(0, PS_FAILURE, [&] {
        rows = rowCount(table);
        return PS_SUCCESS;
    });
    return result == PS_SUCCESS;
}

// Reads up to COUNT rows of QUERY into RECORDS; the number read.
int fetchRows(const std::u16string& query, SQLDA* records, int count, bool& opened)
{
    ActiveDatabase& db = activeDatabase();
    Cursor set;
    opened = false;
    if (!db.hdbc || !SQL_SUCCEEDED(SQLAllocStmt(db.hdbc, &set.hstmt))) {
        set.hstmt = nullptr;
        throw databaseError(SQL_INVALID_HANDLE);
    }
    applyQueryTimeout(set.hstmt);
    check(execDirect(set.hstmt, query), db.hdbc, set.hstmt, true);
    describeColumns(set, db.hdbc);
    opened = true;
    int read = 0;
    while (read < count && advance(set, db.hdbc)) {
        fillRowW(&records[read], &set);
        ++read;
    }
    return read;
}

int readTable(const std::u16string& table, SQLDA** records, int* count, char16_t* error)
{
    *count = 0;
    if (!found(table))
        return 0;
    // A count that cannot be had fails the read: taken as 0, a table that
    // holds rows would read as an empty one.
    int64_t rows = 0;
    int rc = 0;
    if (!countRows(table, rows, rc))
        return rc;
    *count = rows > INT32_MAX ? INT32_MAX : int(rows);
    auto* array = static_cast<SQLDA*>(std::calloc(size_t(*count > 0 ? *count : 1), sizeof(SQLDA)));
    if (!array) {
        writeErrorBuffer(error, namingMessage(kNoMemory, table));
        return PS_FAILURE;
    }
    *records = array;
    if (*count == 0)
        return recorded(PS_FAILURE, PS_FAILURE, [&] { return describeTableW(array, table); });
    std::u16string query = limited(u"SELECT * FROM " + table + u";");
    bool opened = false;
    int read = 0;
    int result = recorded(0, PS_FAILURE, [&] {
        read = fetchRows(query, array, *count, opened);
        return PS_SUCCESS;
    });
    if (!opened) {
        composeErrorBuffer(error,
                           namingMessage(u"Error:  Couldn't read from database table '%s'.", table),
                           &query, 0);
        return PS_FAILURE;
    }
    if (read < *count) {
        std::u16string line = u"Error:  Couldn't fetch row ";
        line += codePageToUtf16(std::to_string(read).c_str());
        line += u" from database table '%s'.";
        composeErrorBuffer(error, namingMessage(line.c_str(), table), nullptr, 0);
        return PS_FAILURE;
    }
    return result;
}

// Writes the records; on a failing INSERT the debug line, the composed
// error and its code. Rows are committed by the caller's transaction.
int writeRows(const std::u16string& table, SQLDA* records, int count,
              const std::u16string& longText, char16_t* error)
{
    if (!found(table)) {
        int rc = createTable(table, records[0], longText, error);
        if (rc != 0)
            return rc;
    }
    for (int r = 0; r < count; ++r) {
        std::u16string statement = insertStatement(table, records[r]);
        if (statement.empty())
            continue;
        int rc = processStatement(statement);
        if (rc != 0) {
            debugOutput("SQL Insert syntax: " + utf16ToUtf8(statement) + "\n");
            composeErrorBuffer(error,
                               namingMessage(u"Error:  Couldn't insert into the table '%s'", table),
                               &statement, rc);
            return rc;
        }
    }
    return PS_SUCCESS;
}

// All rows or none: the writing runs in one transaction.
int writeTable(const std::u16string& table, SQLDA* records, int count,
               const std::u16string& longText, char16_t* error)
{
    Transaction transaction;
    int rc = writeRows(table, records, count, longText, error);
    return rc != 0 ? rc : transaction.commit();
}

// The database's message for CODE after LINE, or LINE alone.
template <class Ch>
void insertFailure(Ch* error, const std::u16string& line, int code)
{
    std::u16string text = line;
    if (auto message = lookupErrorText(code))
        text += u"\n" + *message;
    if constexpr (sizeof(Ch) == 2) {
        writeErrorBuffer(error, text);
    } else {
        std::string narrow = utf16ToCodePage(text.substr(0, 511));
        std::memcpy(error, narrow.c_str(), narrow.size() + 1);
    }
}

template <class Ch>
int copyWithin(const std::u16string& destination, const std::u16string& source,
               const std::u16string& longText, Ch* error)
{
    if (!found(destination)) {
        int rc = sizeof(Ch) == 1
                     ? createTableLikeNarrow(destination, source, longText, reinterpret_cast<char*>(error))
                     : createTableLike(destination, source, longText, reinterpret_cast<char16_t*>(error));
        if (rc != 0)
            return rc;
    }
    int64_t rows = 0;
    int rc = 0;
    if (!countRows(source, rows, rc))
        return rc;
    if (rows <= 0)
        return PS_SUCCESS;
    std::u16string statement = limited(u"INSERT INTO " + destination + u" SELECT * FROM " + source);
    rc = processStatement(statement);
    if (rc != 0 && error)
        insertFailure(error, namingMessage(u"Error:  Couldn't insert into table '%s'", destination), rc);
    return rc;
}

// Attaches DATABASE as the 8-bit attach does; on failure composes FORMAT
// (naming the database) into ERROR and returns the attach code.
int attachOrReport(const std::u16string& database, const char16_t* format, char16_t* error)
{
    int rc = attach(codePageToUtf16(utf16ToCodePage(database).c_str()), optionNoPrompt);
    if (rc != 0)
        composeErrorBuffer(error, namingMessage(format, database), nullptr, rc);
    return rc;
}

void releaseTable(SQLDA* records, int count)
{
    if (!records)
        return;
    // A table without rows is held as one description record: count 0
    // releases it too.
    for (int i = 0; i < (count > 0 ? count : 1); ++i)
        releaseRecord(&records[i]);
    std::free(records);
}

int copyBetween(const std::u16string& sourceDb, const std::u16string& sourceTable,
                const std::u16string& destinationDb, const std::u16string& destinationTable,
                const std::u16string& longText, char16_t* error)
{
    int rc = attachOrReport(sourceDb, u"Error:  Could not attach source database '%s'", error);
    if (rc != 0)
        return rc;
    SQLDA* records = nullptr;
    int count = 0;
    rc = readTable(sourceTable, &records, &count, error);
    if (rc == 0)
        rc = attachOrReport(destinationDb, u"Error:  Could not attach destination database '%s'",
                            error);
    if (rc != 0 || !records) {
        releaseTable(records, count);
        return rc;
    }
    // The drop, the new table and its rows in one transaction: a failure
    // leaves the destination as it was where DDL is transactional.
    Transaction transaction;
    if (found(destinationTable)) {
        std::u16string drop = limited(u"DROP TABLE " + destinationTable + u";");
        rc = processStatement(drop);
        if (rc != 0)
            composeErrorBuffer(error, namingMessage(u"Error:  Couldn't drop table '%s'", destinationTable),
                               nullptr, rc);
    }
    if (rc == 0)
        rc = writeRows(destinationTable, records, count, longText, error);
    if (rc == 0)
        rc = transaction.commit();
    releaseTable(records, count);
    return rc;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_readEntireTable(const ps_char16* table, SQLDA** records, int* count,
                                       ps_char16* error)
{
    if (!table || !records || !count)
        return 0;
    return recorded(0, PS_FAILURE, [&] { return readTable(table, records, count, error); });
}

PELUND_API int vnDBWin_writeEntireTable(const ps_char16* table, SQLDA* records, int count,
                                        const ps_char16* long_text_type, ps_char16* error)
{
    if (!table || !records)
        return 0;
    return recorded(0, PS_FAILURE, [&] {
        return writeTable(table, records, count, long_text_type ? long_text_type : u"", error);
    });
}

PELUND_API int vnDBWin_freeEntireTable(SQLDA** records, int count)
{
    if (!records)
        return PS_FAILURE;
    releaseTable(*records, count);
    return PS_SUCCESS;
}

PELUND_API int vnDBWin_copyTable(const char* destination, const char* source,
                                 const char* long_text_type, char* error)
{
    if (!destination || !source)
        return PS_FAILURE;
    return recorded(0, PS_FAILURE, [&] {
        return copyWithin(codePageToUtf16(destination), codePageToUtf16(source),
                          codePageToUtf16(long_text_type), error);
    });
}

PELUND_API int vnDBWin_copyTableW(const ps_char16* destination, const ps_char16* source,
                                  const ps_char16* long_text_type, ps_char16* error)
{
    if (!destination || !source)
        return PS_FAILURE;
    return recorded(0, PS_FAILURE, [&] {
        return copyWithin<char16_t>(destination, source, long_text_type ? long_text_type : u"",
                                    error);
    });
}

PELUND_API int vnDBWin_copyTableExtW(const ps_char16* source_db, const ps_char16* source_table,
                                     const ps_char16* destination_db,
                                     const ps_char16* destination_table,
                                     const ps_char16* long_text_type, ps_char16* error)
{
    if (!destination_table)
        return PS_FAILURE;
    return recorded(0, PS_FAILURE, [&] {
        return copyBetween(source_db ? source_db : u"", source_table ? source_table : u"",
                           destination_db ? destination_db : u"", destination_table,
                           long_text_type ? long_text_type : u"", error);
    });
}

PELUND_API int vnDBWin_dropTableW(const ps_char16* table, ps_char16* error)
{
    if (!table)
        return PS_FAILURE;
    return recorded(0, PS_FAILURE, [&] {
        std::u16string name = table;
        int rc = processStatement(limited(u"DROP TABLE " + name + u";"));
        if (rc != 0)
            composeErrorBuffer(error, namingMessage(u"Error:  Couldn't drop table '%s'", name),
                               nullptr, rc);
        return rc;
    });
}

}  // extern "C"
