// Running a statement to completion.
#include "db/active_database.h"
#include "db/call_watchdog.h"
#include "db/database_error.h"
#include "db/statement_handle.h"
#include "pelund/database.h"
#include "frame/utf.h"
#include "platform/code_page.h"

namespace pelund {

SQLRETURN execDirect(SQLHSTMT h, const std::u16string& text)
{
    if (activeDatabase().narrowDriver) {
        std::string bytes = utf16ToUtf8(text);
        return watched(h, [&] {
            return SQLExecDirect(h, reinterpret_cast<SQLCHAR*>(bytes.data()), SQLINTEGER(bytes.size()));
        });
    }
    return watched(h, [&] { return SQLExecDirectW(h, sqlText(text), SQLINTEGER(text.size())); });
}

void executeStatement(const std::u16string& text)
{
    ActiveDatabase& db = activeDatabase();
    if (!db.hdbc)
        throw databaseError(SQL_INVALID_HANDLE);
    SQLHSTMT h = nullptr;
    SQLRETURN r = SQLAllocStmt(db.hdbc, &h);
    if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA)
        throw databaseError(r, db.hdbc);
    StatementHandle statement(h);
    applyQueryTimeout(h);
    check(execDirect(h, text), db.hdbc, h, true);
    for (;;) {
        SQLSMALLINT columns = 0;
        check(watched(h, [&] { return SQLNumResultCols(h, &columns); }), db.hdbc, h, true);
        if (columns > 0)
            while ((r = watched(h, [&] { return SQLFetch(h); })) != SQL_NO_DATA)
                check(r, db.hdbc, h);
        r = watched(h, [&] { return SQLMoreResults(h); });
        if (r == SQL_NO_DATA)
            break;
        check(r, db.hdbc, h);
    }
    statement.drop();
}

int processStatement(const std::u16string& text)
{
    try {
        executeStatement(text);
        return PS_SUCCESS;
    } catch (const DatabaseError& e) {
        return recordDatabaseErrorForStatement(e, text);
    }
}

}  // namespace pelund

using namespace pelund;

extern "C" {

// Out of memory: 0 would read as success, so the failure code goes back
// with the empty message stored under 0.
PELUND_API int vnDBWin_processSQLA(const char* statement)
{
    return recorded(0, PS_FAILURE, [&] { return processStatement(codePageToUtf16(statement)); });
}

PELUND_API int vnDBWin_processSQLW(const ps_char16* statement)
{
    return recorded(0, PS_FAILURE, [&] { return processStatement(statement ? statement : u""); });
}

}  // extern "C"
