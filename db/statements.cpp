// Running a statement to completion.
#include "db/active_database.h"
#include "db/database_error.h"
#include "db/statement_handle.h"
#include "pelund/database.h"
#include "platform/code_page.h"

namespace pelund {

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
    check(untilDone([&] { return SQLExecDirectW(h, sqlText(text), SQLINTEGER(text.size())); }), db.hdbc, h, true);
    for (;;) {
        SQLSMALLINT columns = 0;
        check(untilDone([&] { return SQLNumResultCols(h, &columns); }), db.hdbc, h, true);
        if (columns > 0)
            while ((r = untilDone([&] { return SQLFetch(h); })) != SQL_NO_DATA)
                check(r, db.hdbc, h);
        r = untilDone([&] { return SQLMoreResults(h); });
        if (r == SQL_NO_DATA)
            break;
        check(r, db.hdbc, h);
    }
    statement.drop();
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_processSQLA(const char* statement)
{
    try {
        executeStatement(codePageToUtf16(statement));
        return PS_SUCCESS;
    } catch (const DatabaseError& e) {
        try {
            return recordDatabaseErrorForStatement(e, codePageToUtf16(statement));
        } catch (...) {
            return e.code;
        }
    } catch (...) {
        // Out of memory: 0 would read as success, so the failure code goes
        // back with the empty message stored under 0.
        try {
            recordOtherFailure(0);
        } catch (...) {
        }
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_processSQLW(const ps_char16* statement)
{
    try {
        std::u16string text = statement ? statement : u"";
        try {
            executeStatement(text);
            return PS_SUCCESS;
        } catch (const DatabaseError& e) {
            return recordDatabaseErrorForStatement(e, text);
        }
    } catch (...) {
        try {
            recordOtherFailure(0);
        } catch (...) {
        }
        return PS_FAILURE;
    }
}

}  // extern "C"
