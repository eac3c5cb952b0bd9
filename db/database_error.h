// Failures inside a database operation and the store of their messages.
// Operations throw DatabaseError (or anything else, an "other failure");
// the exported functions catch everything and record what they caught.
#ifndef PELUND_DB_DATABASE_ERROR_H
#define PELUND_DB_DATABASE_ERROR_H

#include <sql.h>

#include <cstdint>
#include <optional>
#include <string>

namespace pelund {

struct DatabaseError {
    int16_t code;
    std::u16string text;   // the messages, each followed by "\n"
    std::u16string state;  // "State:...,Native:...,Origin:...\n" lines
};

// An ODBC return code R as a DatabaseError: for SQL_ERROR with diagnostics
// read from the handles (each may be null), for a library code 1001 to 1028
// with its fixed description, otherwise without text.
DatabaseError databaseError(SQLRETURN r, SQLHDBC hdbc = nullptr, SQLHSTMT hstmt = nullptr);

// Throws databaseError(R, ...) unless R is SQL_SUCCESS or
// SQL_SUCCESS_WITH_INFO (or SQL_NO_DATA when ALLOW_NO_DATA).
void check(SQLRETURN r, SQLHDBC hdbc, SQLHSTMT hstmt, bool allowNoData = false);

// Throws a DatabaseError with a library code (PS_DB_..., 1001 to 1028).
[[noreturn]] void throwLibraryCode(int16_t libraryCode);

int recordDatabaseError(const DatabaseError& e);
int recordDatabaseErrorForStatement(const DatabaseError& e, const std::u16string& statement);
int recordOtherFailure(int code);
std::optional<std::u16string> lookupErrorText(int code);

// The guard at the edge of every database function: runs BODY; a
// DatabaseError is recorded and its code returned, any other failure
// (memory) recorded under OTHER_CODE and OTHER_RESULT returned.
template <class F>
int recorded(int otherCode, int otherResult, F&& body) noexcept
{
    try {
        return body();
    } catch (const DatabaseError& e) {
        try {
            return recordDatabaseError(e);
        } catch (...) {
            return e.code;
        }
    } catch (...) {
        try {
            recordOtherFailure(otherCode);
        } catch (...) {
        }
        return otherResult;
    }
}

}  // namespace pelund

#endif
