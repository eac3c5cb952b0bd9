// The table catalog (a small record set over SQLTables) and the column
// description of a table.
#include "db/catalog.h"

#include "db/active_database.h"
#include "db/call_watchdog.h"
#include "db/cursor_rows.h"
#include "db/database_error.h"
#include "db/sqlda.h"
#include "db/statement_handle.h"
#include "frame/guard.h"
#include "pelund/database_tables.h"
#include "platform/code_page.h"

#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <vector>

namespace pelund {
namespace {

// The database that the connection is in, where the driver has catalogs
// (MySQL and MariaDB: the current database); empty otherwise.
std::string currentCatalog(SQLHDBC hdbc)
{
    if (activeDatabase().engine != Engine::MySql)
        return std::string();
    char name[256] = {};
    SQLINTEGER length = 0;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(hdbc, SQL_ATTR_CURRENT_CATALOG, name, sizeof name - 1, &length)))
        return std::string();
    return name;
}

// The least record set over the catalog: a statement, the current row's
// five columns and an end flag. Filters are empty: the whole catalog.
class CTables {
public:
    char tableQualifier[256] = {}, tableOwner[256] = {}, tableName[256] = {},
         tableType[256] = {}, remarks[256] = {};

    ~CTables() { close(); }

    // False when no statement handle can be had; throws DatabaseError when
    // the catalog call fails.
    bool open()
    {
        ActiveDatabase& db = activeDatabase();
        if (!SQL_SUCCEEDED(SQLAllocStmt(db.hdbc, &h_))) {
            h_ = nullptr;
            return false;
        }
        try {
            applyQueryTimeout(h_);
            // The user's tables and views of the current database: not the
            // system schemas' (whose names, such as columns or events, would
            // otherwise be taken for the user's), not another database's.
            std::string catalog = currentCatalog(db.hdbc);
            SQLCHAR types[] = "TABLE,VIEW";
            SQLRETURN r = watched(h_, [&] {
                return SQLTables(h_, catalog.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(catalog.data()),
                                 SQL_NTS, nullptr, SQL_NTS, nullptr, SQL_NTS, types, SQL_NTS);
            });
            if (!SQL_SUCCEEDED(r) && r != SQL_NEED_DATA && r != SQL_NO_DATA)
                throw databaseError(r, db.hdbc, h_);
            char* fields[5] = {tableQualifier, tableOwner, tableName, tableType, remarks};
            for (SQLUSMALLINT c = 0; c < 5; ++c)
                check(SQLBindCol(h_, SQLUSMALLINT(c + 1), SQL_C_CHAR, fields[c], 256, &lengths_[c]),
                      db.hdbc, h_);
            moveNext();
        } catch (...) {
            close();
            throw;
        }
        return true;
    }

    void moveNext()
    {
        for (SQLLEN& n : lengths_)
            n = 0;
        SQLRETURN r = watched(h_, [&] { return SQLFetch(h_); });
        if (r == SQL_NO_DATA) {
            atEnd_ = true;
            return;
        }
        check(r, activeDatabase().hdbc, h_);
        if (lengths_[2] == SQL_NULL_DATA)
            tableName[0] = '\0';
    }

    bool atEnd() const { return atEnd_; }

    void close()
    {
        if (h_) {
            SQLFreeStmt(h_, SQL_DROP);
            h_ = nullptr;
        }
        atEnd_ = true;
    }

private:
    SQLHSTMT h_ = nullptr;
    SQLLEN lengths_[5] = {};
    bool atEnd_ = false;
};

std::vector<std::u16string> tableNames(bool& opened)
{
    std::vector<std::u16string> names;
    CTables tables;
    opened = tables.open();
    for (; opened && !tables.atEnd(); tables.moveNext())
        names.push_back(codePageToUtf16(tables.tableName));
    return names;
}

bool sameIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (std::towlower(wint_t(a[k])) != std::towlower(wint_t(b[k])))
            return false;
    return true;
}

template <class Ch>
int describeDatabase(Ch*** names, int* count)
{
    if (!activeDatabase().hdbc || !names || !count)
        return 0;
    return recorded(0, 0, [&] {
        bool opened = false;
        std::vector<std::u16string> list = tableNames(opened);
        if (!opened)
            return 0;
        auto* array = static_cast<Ch**>(std::calloc(list.size() ? list.size() : 1, sizeof(Ch*)));
        if (!array)
            throw std::bad_alloc();
        for (size_t k = 0; k < list.size(); ++k) {
            std::basic_string<Ch> name;
            if constexpr (sizeof(Ch) == 1)
                name = utf16ToCodePage(list[k]);
            else
                name = list[k];
            array[k] = static_cast<Ch*>(std::malloc((name.size() + 1) * sizeof(Ch)));
            if (!array[k]) {
                for (size_t made = 0; made < k; ++made)
                    std::free(array[made]);
                std::free(array);
                throw std::bad_alloc();
            }
            std::memcpy(array[k], name.c_str(), (name.size() + 1) * sizeof(Ch));
        }
        *count = int(list.size());
        *names = array;
        return 1;
    });
}

template <class Ch>
int describeInto(SQLDA* record, const std::u16string& table)
{
    std::memset(record, 0, sizeof *record);
    {
        ActiveDatabase& db = activeDatabase();
        std::u16string statement = u"SELECT * FROM " + table + u";";
        if (statement.size() > 511)
            statement.resize(511);
        Cursor set;
        if (!SQL_SUCCEEDED(SQLAllocStmt(db.hdbc, &set.hstmt))) {
            set.hstmt = nullptr;
            return 0;
        }
        applyQueryTimeout(set.hstmt);
        check(execDirect(set.hstmt, statement), db.hdbc, set.hstmt, true);
        describeColumns(set, db.hdbc);
        set.atEnd = false;
        advance(set, db.hdbc);
        if constexpr (sizeof(Ch) == 1)
            fillRowA(record, &set);
        else
            fillRowW(record, &set);
        return 0;
    }
}

template <class Ch>
int describeTable(SQLDA* record, const std::u16string& table)
{
    if (!record)
        return PS_FAILURE;
    std::memset(record, 0, sizeof *record);
    return recorded(PS_FAILURE, PS_FAILURE, [&] { return describeInto<Ch>(record, table); });
}

}  // namespace

bool tableExists(const std::u16string& name)
{
    CTables tables;
    if (!tables.open())
        return false;
    for (; !tables.atEnd(); tables.moveNext())
        if (sameIgnoringCase(codePageToUtf16(tables.tableName), name))
            return true;
    return false;
}

int describeTableW(SQLDA* record, const std::u16string& table)
{
    return describeInto<char16_t>(record, table);
}

int64_t rowCount(const std::u16string& table)
{
    ActiveDatabase& db = activeDatabase();
    if (!db.hdbc)
        throw databaseError(SQL_INVALID_HANDLE);
    SQLHSTMT h = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocStmt(db.hdbc, &h)))
        throw databaseError(SQL_INVALID_HANDLE);
    StatementHandle statement(h);
    applyQueryTimeout(h);
    std::u16string query = u"SELECT COUNT(*) FROM " + table + u";";
    check(execDirect(h, query), db.hdbc, h);
    check(watched(h, [&] { return SQLFetch(h); }), db.hdbc, h);
    SQLBIGINT count = 0;
    SQLLEN indicator = 0;
    check(watched(h, [&] { return SQLGetData(h, 1, SQL_C_SBIGINT, &count, sizeof count, &indicator); }),
          db.hdbc, h);
    return indicator == SQL_NULL_DATA ? 0 : int64_t(count);
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_describeDatabaseA(char*** names, int* count)
{
    return describeDatabase(names, count);
}

PELUND_API int vnDBWin_describeDatabaseW(ps_char16*** names, int* count)
{
    return describeDatabase(names, count);
}

PELUND_API int vnDBWin_findTableA(const char* name)
{
    if (!name || !*name)
        return 0;
    return recorded(0, 0, [&] { return tableExists(codePageToUtf16(name)) ? 1 : 0; });
}

// Through the 8-bit code page, as the 8-bit form would receive the name.
PELUND_API int vnDBWin_findTableW(const ps_char16* name)
{
    if (!name)
        return 0;
    return recorded(0, 0, [&] {
        std::string narrow = utf16ToCodePage(name);
        return !narrow.empty() && tableExists(codePageToUtf16(narrow.c_str())) ? 1 : 0;
    });
}

PELUND_API int vnDBWin_describeTableA(SQLDA* record, const char* table)
{
    return guarded(PS_FAILURE, [&] { return describeTable<char>(record, codePageToUtf16(table)); });
}

PELUND_API int vnDBWin_describeTableW(SQLDA* record, const ps_char16* table)
{
    return guarded(PS_FAILURE, [&] { return describeTable<char16_t>(record, table ? table : u""); });
}

}  // extern "C"
