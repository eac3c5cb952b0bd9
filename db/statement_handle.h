// A statement handle that is cancelled and dropped unless the operation
// drops it itself, and the small helpers every ODBC call site uses.
#ifndef PELUND_DB_STATEMENT_HANDLE_H
#define PELUND_DB_STATEMENT_HANDLE_H

#include <sql.h>
#include <sqlext.h>

#include <string>

namespace pelund {

class StatementHandle {
public:
    explicit StatementHandle(SQLHSTMT h) : h_(h) {}
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
    ~StatementHandle()
    {
        if (h_) {
            SQLCancel(h_);
            SQLFreeStmt(h_, SQL_DROP);
        }
    }
    void drop()
    {
        SQLFreeStmt(h_, SQL_DROP);
        h_ = nullptr;
    }
    // Hands the handle on; the caller now owns it.
    SQLHSTMT release()
    {
        SQLHSTMT h = h_;
        h_ = nullptr;
        return h;
    }

private:
    SQLHSTMT h_;
};

// Repeats CALL while it answers SQL_STILL_EXECUTING.
template <class F>
SQLRETURN untilDone(F&& call)
{
    SQLRETURN r;
    while ((r = call()) == SQL_STILL_EXECUTING) {
    }
    return r;
}

inline SQLWCHAR* sqlText(const std::u16string& s)
{
    return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(s.c_str()));
}

// SQLExecDirect of TEXT, repeated while still executing: through the
// UTF-16 entry point, or as UTF-8 through the 8-bit one on a driver that
// has no UTF-16 entry points.
SQLRETURN execDirect(SQLHSTMT h, const std::u16string& text);

// Runs TEXT to completion, reading and dropping any rows it returns.
void executeStatement(const std::u16string& text);

// executeStatement with its failure recorded as the statement functions
// record it (a DatabaseError with the statement in its message); 0 or the
// failure's code.
int processStatement(const std::u16string& text);

}  // namespace pelund

#endif
