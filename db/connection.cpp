// The connection: ActiveDatabase, the ODBC environment, connecting,
// disconnecting, the connect strings and the driver name.
#include "db/active_database.h"
#include "db/call_watchdog.h"
#include "db/database_error.h"
#include "db/statement_handle.h"
#include "db/connect_string.h"
#include "frame/ascii.h"
#include "frame/guard.h"
#include "pelund/database.h"
#include "platform/code_page.h"
#include "platform/db_files.h"

#include <odbcinst.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>

namespace pelund {
namespace {

// The environment and its count of connection handles, under one lock.
std::mutex environmentLock;
SQLHENV henv = nullptr;
int connectionHandles = 0;

ActiveDatabase theDatabase;

struct OtherFailure {};

const SQLWCHAR* wide(const std::u16string& s) { return reinterpret_cast<const SQLWCHAR*>(s.c_str()); }

bool namesFileDsn(const std::u16string& s)
{
    for (size_t at = 0; at < s.size(); ++at)
        if (startsWithAsciiUpper(std::u16string_view(s).substr(at), std::u16string_view(u"FILEDSN=")))
            return true;
    return false;
}

// The same value in the 8-bit code page, braces taken off; empty when absent.
std::string entryOf(const std::u16string& s, std::u16string_view key)
{
    std::u16string_view value = entryValue(s, key).value_or(u"");
    if (value.size() >= 2 && value.front() == u'{' && value.back() == u'}')
        value = value.substr(1, value.size() - 2);
    return utf16ToCodePage(value);
}

// The driver library that connect string S leads to, through odbcinst.ini
// (and odbc.ini for a data source name).
std::string driverLibraryOf(const std::u16string& s)
{
    std::string driver = entryOf(s, u"DRIVER=");
    char value[512] = {};
    if (driver.empty()) {
        std::string dsn = entryOf(s, u"DSN=");
        if (dsn.empty())
            return std::string();
        SQLGetPrivateProfileString(dsn.c_str(), "Driver", "", value, sizeof value, "odbc.ini");
        driver = value;
    }
    if (driver.find('/') != std::string::npos)
        return driver;
    value[0] = '\0';
    SQLGetPrivateProfileString(driver.c_str(), "Driver", "", value, sizeof value, "odbcinst.ini");
    return value;
}

// Bounds on every wait that the driver's own options can set, placed before
// the caller's entries so that the caller's own choice wins. MariaDB's
// connector waits for a reply without end unless told: it gets a connect
// time-out (the login time-out) and read and write time-outs a little past
// the query time-out, which the server enforces itself while it runs.
bool boundsItsReplies(const std::u16string& s) { return driverLibraryOf(s).find("maodbc") != std::string::npos; }

std::u16string withDriverTimeouts(const std::u16string& s, const ActiveDatabase& db)
{
    unsigned io = (db.queryTimeoutOff ? 15 : db.queryTimeout) + 2;
    std::string bounds = "CONN_TIMEOUT=" + std::to_string(db.loginTimeout) +
                         ";READ_TIMEOUT=" + std::to_string(io) + ";WRITE_TIMEOUT=" + std::to_string(io) + ";";
    return std::u16string(bounds.begin(), bounds.end()) + s;
}

void releaseEnvironmentIfUnused()
{
    std::lock_guard<std::mutex> hold(environmentLock);
    if (connectionHandles == 0 && henv) {
        SQLFreeEnv(henv);
        henv = nullptr;
    }
}

void allocateConnection(ActiveDatabase& db, unsigned options)
{
    {
        std::lock_guard<std::mutex> hold(environmentLock);
        if (!henv && !SQL_SUCCEEDED(SQLAllocEnv(&henv))) {
            henv = nullptr;
            throw OtherFailure{};
        }
    }
    SQLHDBC h = nullptr;
    SQLRETURN r = SQLAllocConnect(henv, &h);
    if (!SQL_SUCCEEDED(r))
        throw databaseError(r);
    {
        std::lock_guard<std::mutex> hold(environmentLock);
        ++connectionHandles;
    }
    db.hdbc = h;
    SQLSetConnectAttr(h, SQL_ATTR_LOGIN_TIMEOUT, (SQLPOINTER)(uintptr_t)db.loginTimeout, 0);
    if (options & optionReadOnly)
        SQLSetConnectAttr(h, SQL_ATTR_ACCESS_MODE, (SQLPOINTER)SQL_MODE_READ_ONLY, 0);
    if (options & optionDriverCursors)
        SQLSetConnectAttr(h, SQL_ATTR_ODBC_CURSORS, (SQLPOINTER)SQL_CUR_USE_DRIVER, 0);
}

// Checks the conformance levels the library relies on.
void checkConformance(SQLHDBC h)
{
    SQLUSMALLINT api = 0;
    SQLRETURN r = SQLGetInfo(h, SQL_ODBC_API_CONFORMANCE, &api, sizeof api, nullptr);
    if (!SQL_SUCCEEDED(r))
        throw databaseError(r, h);
    if (api == 0)
        throwLibraryCode(PS_DB_API_NOT_CONFORMING);
    SQLSMALLINT grammar = 0;
    r = SQLGetInfo(h, SQL_ODBC_SQL_CONFORMANCE, &grammar, sizeof grammar, nullptr);
    if (!SQL_SUCCEEDED(r))
        throw databaseError(r, h);
    if (grammar < 0)
        throwLibraryCode(PS_DB_SQL_NOT_CONFORMING);
}

// The engine behind the driver and the driver's entry points. On MySQL and
// MariaDB a backslash in a string literal is an escape character unless the
// session says otherwise: the library's literals double quotes only, so the
// session is told to take backslashes as they are.
void learnDriver(ActiveDatabase& db)
{
    SQLWCHAR dbms[256] = {};
    SQLSMALLINT length = 0;
    db.engine = Engine::Other;
    if (SQL_SUCCEEDED(SQLGetInfoW(db.hdbc, SQL_DBMS_NAME, dbms, sizeof dbms, &length)))
        db.engine = engineNamed(reinterpret_cast<const char16_t*>(dbms));
    char library[512] = {};
    db.narrowDriver = false;
    db.positionsInBlocks = false;
    db.deliversWideValues.reset();
    if (SQL_SUCCEEDED(SQLGetInfo(db.hdbc, SQL_DRIVER_NAME, library, sizeof library, &length))) {
        db.narrowDriver = !loadedObjectDefines(library, "SQLExecDirectW");
        db.positionsInBlocks = std::string_view(library).starts_with("psqlodbc");
    }
    if (db.engine == Engine::MySql)
        executeStatement(u"SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, ',NO_BACKSLASH_ESCAPES')");
}

}  // namespace

void disconnect()
{
    ActiveDatabase& db = theDatabase;
    recorded(PS_FAILURE, PS_FAILURE, [] {
        closeConnection(false);
        return PS_SUCCESS;
    });
    db.connectString.clear();
    db.driverName.clear();
}

// An other failure counts under 0x8000 before the connection is made and
// under 0 after it.
int attach(const std::u16string& text, unsigned options)
{
    ActiveDatabase& db = theDatabase;
    if (db.hdbc)
        disconnect();
    int rc = recorded(PS_FAILURE, PS_FAILURE,
                      [&] { return connectWith(text, options) ? PS_SUCCESS : PS_FAILURE; });
    if (rc != PS_SUCCESS)
        return rc;
    return recorded(PS_SUCCESS, PS_SUCCESS, [&] {
        db.connectString = text;
        parseDriverName();
        return PS_SUCCESS;
    });
}

namespace {

// Copies TEXT into exactly SIZE units of BUFFER: the text, then NULs.
template <class Ch>
void copyFull(Ch* buffer, const std::basic_string<Ch>& text, size_t size)
{
    size_t n = std::min(text.size(), size);
    std::memcpy(buffer, text.data(), n * sizeof(Ch));
    for (size_t k = n; k < size; ++k)
        buffer[k] = 0;
}

}  // namespace

ActiveDatabase& activeDatabase() { return theDatabase; }

SQLHENV environmentHandle()
{
    std::lock_guard<std::mutex> hold(environmentLock);
    return henv;
}

ActiveDatabase::~ActiveDatabase()
{
    guarded(0, [] {
        closeConnection(true);
        return 0;
    });
    releaseEnvironmentIfUnused();
}

void closeConnection(bool afterFailure)
{
    ActiveDatabase& db = theDatabase;
    for (auto& entry : db.cursors)
        entry.second->closeStatement();
    if (db.hdbc) {
        watched(nullptr, [&] { return SQLDisconnect(db.hdbc); });
        SQLFreeConnect(db.hdbc);
        db.hdbc = nullptr;
        db.watchedSockets.reset();
        std::lock_guard<std::mutex> hold(environmentLock);
        --connectionHandles;
    }
    if (afterFailure) {
        releaseEnvironmentIfUnused();
        db.fullConnectString.clear();
    }
}

bool connectWith(const std::u16string& s, unsigned options)
{
    ActiveDatabase& db = theDatabase;
    if ((options & optionNoPrompt) && (options & optionAlwaysPrompt))
        throw OtherFailure{};
    db.readOnly = (options & optionReadOnly) != 0;
    if (!db.hdbc)
        allocateConnection(db, options);
    SQLUSMALLINT mode = (options & optionNoPrompt)       ? SQL_DRIVER_NOPROMPT
                        : (options & optionAlwaysPrompt) ? SQL_DRIVER_PROMPT
                                                         : SQL_DRIVER_COMPLETE;
    SQLWCHAR completed[1024] = {};
    SQLSMALLINT length = 0;
    // No owner window: the driver manager of this platform shows no dialog.
    // The sockets that the connect opens are the connection's, watched
    // under calls when the driver does not bound its waits for a reply.
    std::vector<PeerSocket> before = peerSockets();
    const bool bounds = boundsItsReplies(s);
    SQLRETURN r;
    if (namesFileDsn(s)) {
        // unixODBC reads file DSNs only in its 8-bit connect.
        std::string narrow = utf16ToCodePage(s);
        SQLCHAR out[1024] = {};
        r = SQLDriverConnect(db.hdbc, nullptr, reinterpret_cast<SQLCHAR*>(narrow.data()), SQL_NTS,
                             out, 1024, &length, mode);
        out[1023] = 0;
        std::u16string back = codePageToUtf16(reinterpret_cast<const char*>(out));
        std::memcpy(completed, back.c_str(), std::min<size_t>(back.size() + 1, 1024) * 2);
    } else {
        std::u16string bounded = bounds ? withDriverTimeouts(s, db) : s;
        r = SQLDriverConnectW(db.hdbc, nullptr, const_cast<SQLWCHAR*>(wide(bounded)), SQL_NTS,
                              completed, 1024, &length, mode);
    }
    if (r == SQL_NO_DATA) {
        closeConnection(true);
        return false;
    }
    if (!SQL_SUCCEEDED(r)) {
        DatabaseError e = databaseError(r, db.hdbc);
        closeConnection(true);
        throw e;
    }
    if (!bounds) {
        auto sockets = socketsAdded(before, peerSockets());
        if (!sockets.empty())
            db.watchedSockets = std::make_shared<const std::vector<PeerSocket>>(std::move(sockets));
    }
    completed[1023] = 0;
    db.fullConnectString = u"ODBC;" + std::u16string(reinterpret_cast<const char16_t*>(completed));
    try {
        checkConformance(db.hdbc);
        learnDriver(db);
    } catch (...) {
        closeConnection(true);
        throw;
    }
    if (db.readOnly)
        SQLSetConnectAttr(db.hdbc, SQL_ATTR_ACCESS_MODE, (SQLPOINTER)SQL_MODE_READ_ONLY, 0);
    return true;
}

void applyQueryTimeout(SQLHSTMT hstmt)
{
    ActiveDatabase& db = theDatabase;
    if (db.queryTimeoutOff)
        return;
    SQLRETURN r =
        SQLSetStmtAttr(hstmt, SQL_ATTR_QUERY_TIMEOUT, (SQLPOINTER)(uintptr_t)db.queryTimeout, 0);
    if (!SQL_SUCCEEDED(r))
        db.queryTimeoutOff = true;
}

int parseDriverName()
{
    ActiveDatabase& db = theDatabase;
    if (!db.hdbc || db.fullConnectString.empty())
        return PS_FAILURE;
    if (auto value = entryValue(db.fullConnectString, u"DRIVER=")) {
        db.driverName = std::u16string(*value);
        return PS_SUCCESS;
    }
    return PS_FAILURE;
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_attachDatabaseA(const char* connect_string)
{
    return recorded(PS_FAILURE, PS_FAILURE,
                    [&] { return attach(codePageToUtf16(connect_string), optionNoPrompt); });
}

// Through the 8-bit code page, as the 8-bit form would receive the text.
PELUND_API int vnDBWin_attachDatabaseW(const ps_char16* connect_string)
{
    return recorded(PS_FAILURE, PS_FAILURE, [&] {
        std::string narrow = utf16ToCodePage(connect_string ? std::u16string_view(connect_string) : u"");
        return attach(codePageToUtf16(narrow.c_str()), optionNoPrompt);
    });
}

PELUND_API int vnDBWin_attachDatabaseExtW(const ps_char16* connect_string, unsigned int options)
{
    return recorded(PS_FAILURE, PS_FAILURE,
                    [&] { return attach(connect_string ? connect_string : u"", options); });
}

PELUND_API int OpenDB(void)
{
    int connected = recorded(0, 0, [] { return connectWith(std::u16string(), optionAlwaysPrompt) ? 1 : 0; });
    return connected == 1 ? 1 : 0;
}

PELUND_API void vnDBWin_disconnectDatabase(void) { disconnect(); }

PELUND_API int vnDBWin_isConnected(void) { return theDatabase.hdbc ? 1 : 0; }

PELUND_API int vnDBWin_getActiveDatabaseA(char* connect_string, char* full_connect_string)
{
    ActiveDatabase& db = theDatabase;
    if (db.connectString.empty() && db.fullConnectString.empty())
        return 0;
    return guarded(1, [&] {
        if (connect_string)
            copyFull(connect_string, utf16ToCodePage(db.connectString), 256);
        if (full_connect_string)
            copyFull(full_connect_string, utf16ToCodePage(db.fullConnectString), 1024);
        return 1;
    });
}

PELUND_API int vnDBWin_getActiveDatabaseW(ps_char16* connect_string,
                                          ps_char16* full_connect_string)
{
    ActiveDatabase& db = theDatabase;
    if (db.connectString.empty() && db.fullConnectString.empty())
        return 0;
    if (connect_string)
        copyFull(connect_string, db.connectString, 256);
    if (full_connect_string)
        copyFull(full_connect_string, db.fullConnectString, 1024);
    return 1;
}

PELUND_API const char* vnDBWin_getConnectStringA(void)
{
    static char area[256];
    area[0] = '\0';
    guarded(0, [] {
        copyFull(area, utf16ToCodePage(theDatabase.fullConnectString), 255);
        return 0;
    });
    area[255] = '\0';
    return area;
}

PELUND_API const ps_char16* vnDBWin_getConnectStringW(void)
{
    static ps_char16 area[256];
    copyFull(area, theDatabase.fullConnectString, 255);
    area[255] = 0;
    return area;
}

PELUND_API int vnDBWin_getDriverName(char* buffer)
{
    if (!buffer || theDatabase.driverName.empty())
        return PS_FAILURE;
    return guarded(PS_FAILURE, [&] {
        std::string name = utf16ToCodePage(theDatabase.driverName);
        std::memcpy(buffer, name.c_str(), name.size() + 1);
        return PS_SUCCESS;
    });
}

}  // extern "C"
