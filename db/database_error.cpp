// Building DatabaseErrors from ODBC diagnostics, and the message store.
#include "db/database_error.h"

#include "db/active_database.h"
#include "platform/code_page.h"

#include <cstdio>
#include <string>

namespace pelund {
namespace {

// One fixed description per library code.
const char* const descriptions[28] = {
    "The library could not complete the database request.",                   // 1001
    "No database connection is open.",                                        // 1002
    "A cursor query must begin with SELECT or with an escape sequence in braces.",  // 1003
    "The cursor does not exist.",                                             // 1004
    "The cursor has no current row.",                                         // 1005
    "The result has no columns.",                                             // 1006
    "The column does not exist in the result.",                               // 1007
    "The column value could not be read.",                                    // 1008
    "The table does not exist.",                                              // 1009
    "The table exists already.",                                              // 1010
    "The column description is incomplete.",                                  // 1011
    "The data type is not supported by the driver.",                          // 1012
    "The driver does not support static cursors.",                            // 1013
    "The driver does not conform to the ODBC API (conformance level 0).",     // 1014
    "The driver reports no SQL grammar conformance.",                         // 1015
    "The catalog could not be read.",                                         // 1016
    "The statement is too long.",                                             // 1017
    "The name is too long.",                                                  // 1018
    "The value does not fit its column.",                                     // 1019
    "The source and target tables differ.",                                   // 1020
    "The source database could not be opened.",                               // 1021
    "The target database could not be opened.",                               // 1022
    "Copying the table was stopped.",                                         // 1023
    "The driver returned an unexpected result.",                              // 1024
    "The operation is not allowed on a read-only connection.",                // 1025
    "Too many cursors are open.",                                             // 1026
    "The data source dialog was cancelled.",                                  // 1027
    "The key does not identify one row.",                                     // 1028
};

std::string keyOf(int code) { return std::to_string(code); }

std::u16string ascii(const char* s) { return std::u16string(s, s + std::char_traits<char>::length(s)); }

void collectDiagnostics(DatabaseError& e, SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt)
{
    for (int records = 0; records < 64; ++records) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR message[511];
        SQLSMALLINT length = 0;
        SQLRETURN r = SQLErrorW(henv, hdbc, hstmt, state, &native, message, 511, &length);
        if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO)
            break;
        std::u16string s(reinterpret_cast<const char16_t*>(state));
        if (s == u"00000")
            break;
        size_t n = length < 0 ? 0 : std::min<size_t>(size_t(length), 510);
        std::u16string m(reinterpret_cast<const char16_t*>(message), n);
        m = m.c_str();  // up to the terminator the driver wrote
        std::u16string line = s + u",Native:" + ascii(std::to_string(native).c_str()) + u",Origin:";
        while (!m.empty() && m[0] == u'[') {
            size_t close = m.find(u']');
            if (close == std::u16string::npos)
                break;
            line += m.substr(0, close + 1);
            m.erase(0, close + 1);
            if (!m.empty() && m[0] == u' ')
                m.erase(0, 1);
        }
        line += u"\n";
        e.state += u"State:" + line;
        e.text += m + u"\n";
    }
}

void store(int code, std::u16string message)
{
    activeDatabase().errorTexts[keyOf(code)] = std::move(message);
}

}  // namespace

DatabaseError databaseError(SQLRETURN r, SQLHDBC hdbc, SQLHSTMT hstmt)
{
    DatabaseError e{int16_t(r), {}, {}};
    if (r == SQL_ERROR && activeDatabase().hdbc)
        collectDiagnostics(e, environmentHandle(), hdbc, hstmt);
    else if (r >= 1001 && r <= 1028)
        e.text = ascii(descriptions[r - 1001]);
    return e;
}

void check(SQLRETURN r, SQLHDBC hdbc, SQLHSTMT hstmt, bool allowNoData)
{
    if (r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO || (allowNoData && r == SQL_NO_DATA))
        return;
    throw databaseError(r, hdbc, hstmt);
}

void throwLibraryCode(int16_t libraryCode) { throw databaseError(libraryCode); }

int recordDatabaseError(const DatabaseError& e)
{
    store(e.code, e.text + e.state);
    return e.code;
}

int recordDatabaseErrorForStatement(const DatabaseError& e, const std::u16string& statement)
{
    if (statement.empty())
        return recordDatabaseError(e);
    store(e.code, e.text + u"\nSource SQL statement: '" + statement + u"'\n" + e.state);
    return e.code;
}

int recordOtherFailure(int code)
{
    store(code, std::u16string());
    return code;
}

std::optional<std::u16string> lookupErrorText(int code)
{
    const auto& texts = activeDatabase().errorTexts;
    auto found = texts.find(keyOf(code));
    if (found == texts.end())
        return std::nullopt;
    return found->second;
}

}  // namespace pelund
