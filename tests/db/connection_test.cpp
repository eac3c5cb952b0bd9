#include "db_fixture.h"

#include <cstring>

using namespace dbtest;

class Connection : public OnEveryDriver {};

TEST_P(Connection, AttachReportsStringsAndDisconnectKeepsTheFullOne)
{
    EXPECT_EQ(vnDBWin_isConnected(), 1);
    std::string full = vnDBWin_getConnectStringA();
    EXPECT_EQ(full.rfind("ODBC;", 0), 0u) << full;
    EXPECT_EQ(narrow(vnDBWin_getConnectStringW()), full);
    char mine[256], completed[1024];
    std::memset(mine, 'x', sizeof mine);
    EXPECT_EQ(vnDBWin_getActiveDatabaseA(mine, completed), 1);
    EXPECT_STREQ(mine, connectString(GetParam()).c_str());
    EXPECT_EQ(mine[255], '\0');  // the rest of the 256 is NULs
    EXPECT_EQ(std::string(completed).substr(0, 255), full);
    EXPECT_EQ(vnDBWin_getActiveDatabaseA(nullptr, nullptr), 1);

    vnDBWin_disconnectDatabase();
    EXPECT_EQ(vnDBWin_isConnected(), 0);
    EXPECT_EQ(std::string(vnDBWin_getConnectStringA()), full);
    char16_t wmine[256];
    EXPECT_EQ(vnDBWin_getActiveDatabaseW(wmine, nullptr), 1);
    EXPECT_EQ(wmine[0], 0);  // the caller's string is gone with the connection
    EXPECT_EQ(vnDBWin_driverIsPostgreSQL(), 0);
}

TEST_P(Connection, DriverNameFollowsTheCompletedString)
{
    char name[512] = "untouched";
    if (GetParam() == "SQLite3") {
        // The SQLite driver completes the string without a DRIVER entry.
        EXPECT_EQ(vnDBWin_getDriverName(name), 0x8000);
        EXPECT_STREQ(name, "untouched");
        EXPECT_EQ(vnDBWin_driverIsPostgreSQL(), 0);
    } else {
        EXPECT_EQ(vnDBWin_getDriverName(name), 0);
        EXPECT_EQ(std::string(name), "{" + GetParam() + "}");
        EXPECT_EQ(vnDBWin_driverIsPostgreSQL(), GetParam() == "PostgreSQL ANSI" ? 1 : 0);
    }
    EXPECT_EQ(vnDBWin_getDriverName(nullptr), 0x8000);
}

TEST_P(Connection, SecondAttachDisconnectsFirst)
{
    short id = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&id, "SELECT 1"), 0);
    ASSERT_EQ(vnDBWin_attachDatabaseA(connectString(GetParam()).c_str()), 0);
    SQLDA record{};
    EXPECT_EQ(vnDBWin_fetchRowByIDA(&record, id), 0);  // the old cursor is closed
    EXPECT_EQ(vnDBWin_closeCursorWithID(id), 1);
}

INSTANTIATE_TEST_SUITE_P(Drivers, Connection, ::testing::ValuesIn(drivers()), parameterName);

TEST(ConnectionFailures, UnknownDataSourceRecordsTheDiagnostics)
{
    vnDBWin_disconnectDatabase();
    int rc = vnDBWin_attachDatabaseA("DSN=NoSuchSource;");
    EXPECT_EQ(rc, -1);
    std::string message = errorText(-1);
    EXPECT_NE(message.find("State:"), std::string::npos) << message;
    EXPECT_EQ(message.back(), '\n');
    EXPECT_EQ(vnDBWin_isConnected(), 0);
    EXPECT_STREQ(vnDBWin_getConnectStringA(), "");
    EXPECT_EQ(vnDBWin_attachDatabaseA(nullptr), -1);
    EXPECT_EQ(vnDBWin_attachDatabaseW(nullptr), -1);
}

TEST(ConnectionFailures, BothPromptBitsAreRefused)
{
    EXPECT_EQ(vnDBWin_attachDatabaseExtW(u"DSN=x;", 0x8 | 0x10), 0x8000);
    EXPECT_EQ(errorText(0x8000), "");
}

TEST(ConnectionFailures, DataSourceNameAloneHasNoDriverName)
{
    ASSERT_EQ(vnDBWin_attachDatabaseA("DSN=PelundSQLite;"), 0) << errorText(-1);
    char name[256];
    EXPECT_EQ(vnDBWin_getDriverName(name), 0x8000);
    EXPECT_EQ(vnDBWin_driverIsMSSQL() + vnDBWin_driverIsOracle() + vnDBWin_driverIsPostgreSQL(), 0);
    // A statement and a wide attach on the same source.
    EXPECT_EQ(vnDBWin_processSQLA("SELECT 1"), 0);
    EXPECT_EQ(vnDBWin_attachDatabaseExtW(u"DSN=PelundSQLite;", 0x8 | 0x2), 0);
    vnDBWin_disconnectDatabase();
}

// psqlODBC entered under other products' names: each predicate answers 1
// for its own names only.
TEST(DriverPredicates, EachOnARealConnection)
{
    if (!postgresRunning())
        GTEST_SKIP() << "no PostgreSQL server: scripts/test starts one and sets PELUND_PG_PORT";
    using Predicate = int (*)();
    struct Case {
        const char* section;
        Predicate yes;
    } cases[] = {
        {"Client Access ODBC Driver (32-bit)", vnDBWin_driverIsAS400},
        {"Microsoft dBASE Driver (*.dbf)", vnDBWin_driverIsDBase},
        {"Informix-CLI 2.5 (32 Bit)", vnDBWin_driverIsInformix},
        {"Microsoft Access Driver (*.mdb)", vnDBWin_driverIsMSAccess},
        {"Microsoft Excel Driver (*.xls)", vnDBWin_driverIsMSExcel},
        {"Microsoft Paradox Driver (*.db)", vnDBWin_driverIsMSParadox},
        {"SQL Server", vnDBWin_driverIsMSSQL},
        {"Microsoft Text Driver (*.txt)", vnDBWin_driverIsMSText},
        {"MySQL ODBC 8.0 Unicode Driver", vnDBWin_driverIsMySQL},
        {"Oracle in OraClient11g_home1", vnDBWin_driverIsOracle},
        {"PostgreSQL ANSI", vnDBWin_driverIsPostgreSQL},
        {"Sybase SQL Anywhere 5.0", vnDBWin_driverIsSybase},
        {"Microsoft Visual FoxPro Driver", vnDBWin_driverIsVisualFoxPro},
    };
    Predicate all[] = {vnDBWin_driverIsAS400,     vnDBWin_driverIsDBase,
                       vnDBWin_driverIsInformix,  vnDBWin_driverIsMSAccess,
                       vnDBWin_driverIsMSExcel,   vnDBWin_driverIsMSParadox,
                       vnDBWin_driverIsMSSQL,     vnDBWin_driverIsMSText,
                       vnDBWin_driverIsMySQL,     vnDBWin_driverIsOracle,
                       vnDBWin_driverIsPostgreSQL, vnDBWin_driverIsSybase,
                       vnDBWin_driverIsVisualFoxPro};
    for (const Case& c : cases) {
        int rc = vnDBWin_attachDatabaseA(postgresThrough(c.section).c_str());
        ASSERT_EQ(rc, 0) << c.section << ": " << errorText(rc);
        char name[512];
        ASSERT_EQ(vnDBWin_getDriverName(name), 0);
        EXPECT_EQ(std::string(name), std::string("{") + c.section + "}");
        for (Predicate p : all)
            EXPECT_EQ(p(), p == c.yes ? 1 : 0) << c.section;
        vnDBWin_disconnectDatabase();
        for (Predicate p : all)
            EXPECT_EQ(p(), 0);
    }
}
