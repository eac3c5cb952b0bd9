// The process-wide database object: the one connection, the table of open
// cursors and the store of error messages. Constructed when the library is
// loaded, destroyed (closing the connection) when it is unloaded.
#ifndef PELUND_DB_ACTIVE_DATABASE_H
#define PELUND_DB_ACTIVE_DATABASE_H

#include "db/driver_kind.h"
#include "platform/socket_watch.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace pelund {

struct ColumnDescription {
    std::u16string name;
    std::string narrowName;  // the name in the 8-bit code page, made once
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
};

enum class CursorKind { ForwardOnly, Static };

struct RowBlock;
struct GivenNames;

struct Cursor {
    SQLHSTMT hstmt = nullptr;
    CursorKind kind = CursorKind::ForwardOnly;
    std::vector<ColumnDescription> columns;
    bool atEnd = false;
    bool narrowValuesOnly = false;  // the driver refuses UTF-16 values
    std::shared_ptr<RowBlock> block;  // rows fetched in blocks (db/block_fetch.h)
    std::shared_ptr<GivenNames> givenNames;  // name blocks put in records (db/cursors.cpp)

    Cursor() = default;
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;
    ~Cursor() { closeStatement(); }
    void closeStatement();
};

// Connect option bits.
enum : unsigned {
    optionReadOnly = 0x2,
    optionDriverCursors = 0x4,
    optionNoPrompt = 0x8,
    optionAlwaysPrompt = 0x10,
};

struct ActiveDatabase {
    SQLHDBC hdbc = nullptr;
    bool readOnly = false;
    SQLUINTEGER loginTimeout = 15;
    SQLUINTEGER queryTimeout = 15;
    bool queryTimeoutOff = false;
    std::u16string fullConnectString;
    std::u16string connectString;
    std::u16string driverName;
    // Learnt at every connect: the engine the driver reports, and whether the
    // driver has no UTF-16 entry points (statements then go to it as UTF-8
    // through the 8-bit ones, whatever the process's locale).
    Engine engine = Engine::Other;
    bool narrowDriver = false;
    // Whether SQLGetData after SQLSetPos (SQL_POSITION) reads the row asked
    // for inside a block of many rows: known of psqlODBC.
    bool positionsInBlocks = false;
    // Whether the driver delivers UTF-16 values; asked at the connection's
    // first UTF-16 cursor (db/block_fetch.cpp).
    std::optional<bool> deliversWideValues;
    // The sockets the driver opened for this connection, when its own
    // settings do not bound a wait for the server's reply; the watchdog
    // (db/call_watchdog.h) shuts them down under a call that overruns.
    std::shared_ptr<const std::vector<PeerSocket>> watchedSockets;
    std::map<uint16_t, std::unique_ptr<Cursor>> cursors;
    uint16_t nextCursorId = 1;
    uint16_t highestCursorId = 1;
    std::unordered_map<std::string, std::u16string> errorTexts;

    ~ActiveDatabase();
};

ActiveDatabase& activeDatabase();

// The ODBC environment, or null before the first connection handle.
SQLHENV environmentHandle();

// Connects with connect string S and option bits; true when connected,
// false when a prompt was cancelled. Throws DatabaseError or other failures.
bool connectWith(const std::u16string& s, unsigned options);

// Closes every cursor's statement and the connection, keeping the cursor
// table; with AFTER_FAILURE also empties fullConnectString and may release
// the environment.
void closeConnection(bool afterFailure);

// Applies the query time-out to a new statement, switching it off for good
// when the driver refuses it.
void applyQueryTimeout(SQLHSTMT hstmt);

// Attach: disconnects, connects with TEXT and OPTIONS, finds the driver
// name; 0, 0x8000 when not connected, or a DatabaseError's code (recorded).
int attach(const std::u16string& text, unsigned options);

// Disconnect: closes the connection and empties the caller's connect string
// and the driver name.
void disconnect();

// The driver name from fullConnectString; 0 or 0x8000.
int parseDriverName();

}  // namespace pelund

#endif
