// Whole tables: into memory as arrays of records, out again one INSERT per
// row, copied within a database in one statement or between databases
// through memory, and dropped.
#include "db/database_error.h"
#include "db/error_buffer.h"
#include "db/sql_text.h"
#include "db/sqlda.h"
#include "pelund/database_tables.h"
#include "pelund/sql_text.h"
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

int readTable(const std::u16string& table, SQLDA** records, int* count, char16_t* error)
{
    *count = 0;
    if (!vnDBWin_findTableW(table.c_str()))
        return 0;
    int rows = rowCountOf(table);
    *count = rows > 0 ? rows : 0;
    if (*count == 0) {
        auto* one = static_cast<SQLDA*>(std::calloc(1, sizeof(SQLDA)));
        if (!one) {
            writeErrorBuffer(error, namingMessage(u"Error:  Not enough memory to copy entire "
                                                  u"database table: '%s'\n\nClose some "
                                                  u"applications and try again.",
                                                  table));
            return PS_FAILURE;
        }
        *records = one;
        return vnDBWin_describeTableW(one, table.c_str());
    }
    auto* array = static_cast<SQLDA*>(std::calloc(size_t(*count), sizeof(SQLDA)));
    if (!array) {
        writeErrorBuffer(error, namingMessage(u"Error:  Not enough memory to copy entire "
                                              u"database table: '%s'\n\nClose some "
                                              u"applications and try again.",
                                              table));
        return PS_FAILURE;
    }
    *records = array;
    std::u16string query = limited(u"SELECT * FROM " + table + u";");
    short id = 0;
    if (vnDBWin_openCursorWithIDW(&id, query.c_str()) != 0) {
        composeErrorBuffer(error,
                           namingMessage(u"Error:  Couldn't read from database table '%s'.", table),
                           &query, 0);
        return PS_FAILURE;
    }
    int result = PS_SUCCESS;
    for (int i = 0; i < *count; ++i) {
        if (vnDBWin_fetchRowByIDW(&array[i], id) != 1) {
            std::u16string line = u"Error:  Couldn't fetch row ";
            line += codePageToUtf16(std::to_string(i).c_str());
            line += u" from database table '%s'.";
            composeErrorBuffer(error, namingMessage(line.c_str(), table), nullptr, 0);
            result = PS_FAILURE;
            break;
        }
    }
    vnDBWin_closeCursorWithID(id);
    return result;
}

int writeTable(const std::u16string& table, SQLDA* records, int count,
               const char16_t* longText, char16_t* error)
{
    if (!vnDBWin_findTableW(table.c_str())) {
        int rc = vnDBWin_createTableFromSqlData(table.c_str(), &records[0], longText, error);
        if (rc != 0)
            return rc;
    }
    for (int r = 0; r < count; ++r) {
        std::u16string statement = insertStatement(table, records[r]);
        if (statement.empty())
            continue;
        int rc = vnDBWin_processSQLW(statement.c_str());
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

int copyWithin(const std::u16string& destination, const std::u16string& source,
               const char16_t* longText, char16_t* wideError, char* narrowError, bool narrow)
{
    if (!vnDBWin_findTableW(destination.c_str())) {
        int rc;
        if (narrow) {
            std::string d = utf16ToCodePage(destination), s = utf16ToCodePage(source);
            std::string l = longText ? utf16ToCodePage(longText) : std::string();
            rc = vnDBWin_createTableA(d.c_str(), s.c_str(), longText ? l.c_str() : nullptr,
                                      narrowError);
        } else {
            rc = vnDBWin_createTableW(destination.c_str(), source.c_str(), longText, wideError);
        }
        if (rc != 0)
            return rc;
    }
    int rows = narrow ? vnDBUtils_getNumTableRowsA(utf16ToCodePage(source).c_str())
                      : rowCountOf(source);
    if (rows <= 0)
        return PS_SUCCESS;
    std::u16string statement = limited(u"INSERT INTO " + destination + u" SELECT * FROM " + source);
    int rc = narrow ? vnDBWin_processSQLA(utf16ToCodePage(statement).c_str())
                    : vnDBWin_processSQLW(statement.c_str());
    if (rc != 0) {
        std::u16string line = namingMessage(u"Error:  Couldn't insert into table '%s'", destination);
        if (narrow && narrowError)
            insertFailure(narrowError, line, rc);
        else if (!narrow && wideError)
            insertFailure(wideError, line, rc);
    }
    return rc;
}

// Attaches DATABASE; on failure composes FORMAT (naming the database) into
// ERROR and returns the attach code.
int attachOrReport(const char16_t* database, const char16_t* format, char16_t* error)
{
    int rc = vnDBWin_attachDatabaseW(database);
    if (rc != 0)
        composeErrorBuffer(error, namingMessage(format, database ? database : u""), nullptr, rc);
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
    try {
        return readTable(table, records, count, error);
    } catch (...) {
        writeErrorBuffer(error, namingMessage(u"Error:  Not enough memory to copy entire database "
                                              u"table: '%s'\n\nClose some applications and try "
                                              u"again.",
                                              table));
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_writeEntireTable(const ps_char16* table, SQLDA* records, int count,
                                        const ps_char16* long_text_type, ps_char16* error)
{
    if (!table || !records)
        return 0;
    try {
        return writeTable(table, records, count, long_text_type, error);
    } catch (...) {
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_freeEntireTable(SQLDA** records, int count)
{
    if (!records)
        return PS_FAILURE;
    if (*records) {
        // A table without rows is held as one description record: count 0
        // releases it too.
        for (int i = 0; i < (count > 0 ? count : 1); ++i)
            releaseRecord(&(*records)[i]);
        std::free(*records);
    }
    return PS_SUCCESS;
}

PELUND_API int vnDBWin_copyTable(const char* destination, const char* source,
                                 const char* long_text_type, char* error)
{
    if (!destination || !source)
        return PS_FAILURE;
    try {
        std::u16string l = codePageToUtf16(long_text_type);
        return copyWithin(codePageToUtf16(destination), codePageToUtf16(source),
                          long_text_type ? l.c_str() : nullptr, nullptr, error, true);
    } catch (...) {
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_copyTableW(const ps_char16* destination, const ps_char16* source,
                                  const ps_char16* long_text_type, ps_char16* error)
{
    if (!destination || !source)
        return PS_FAILURE;
    try {
        return copyWithin(destination, source, long_text_type, error, nullptr, false);
    } catch (...) {
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_copyTableExtW(const ps_char16* source_db, const ps_char16* source_table,
                                     const ps_char16* destination_db,
                                     const ps_char16* destination_table,
                                     const ps_char16* long_text_type, ps_char16* error)
{
    if (!destination_table)
        return PS_FAILURE;
    try {
        int rc = attachOrReport(source_db, u"Error:  Could not attach source database '%s'", error);
        if (rc != 0)
            return rc;
        SQLDA* records = nullptr;
        int count = 0;
        rc = vnDBWin_readEntireTable(source_table, &records, &count, error);
        if (rc != 0) {
            vnDBWin_freeEntireTable(&records, count);
            return rc;
        }
        int held = count;
        rc = attachOrReport(destination_db, u"Error:  Could not attach destination database '%s'",
                            error);
        if (rc != 0) {
            vnDBWin_freeEntireTable(&records, held);
            return rc;
        }
        if (vnDBWin_findTableW(destination_table)) {
            rc = vnDBWin_dropTableW(destination_table, error);
            if (rc != 0) {
                vnDBWin_freeEntireTable(&records, held);
                return rc;
            }
        }
        rc = records ? vnDBWin_writeEntireTable(destination_table, records, count,
                                                long_text_type, error)
                     : 0;
        vnDBWin_freeEntireTable(&records, held);
        return rc;
    } catch (...) {
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_dropTableW(const ps_char16* table, ps_char16* error)
{
    if (!table)
        return PS_FAILURE;
    try {
        std::u16string name = table;
        std::u16string statement = limited(u"DROP TABLE " + name + u";");
        int rc = vnDBWin_processSQLW(statement.c_str());
        if (rc != 0)
            composeErrorBuffer(error, namingMessage(u"Error:  Couldn't drop table '%s'", name),
                               nullptr, rc);
        return rc;
    } catch (...) {
        return PS_FAILURE;
    }
}

}  // extern "C"
