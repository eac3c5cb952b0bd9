// What must hold on every engine alike: values that go there and back
// unchanged, column types every engine takes, the engine known whatever the
// driver section is called, the user's tables only, all rows or none.
#include "db_fixture.h"
#include "frame/utf.h"
#include "pelund/database_tables.h"
#include "pelund/sql_text.h"
#include "platform/debug_output.h"

#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

using namespace dbtest;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Every row of QUERY as UTF-8, a NULL or empty value as "".
Rows wideRows(const std::string& query)
{
    Rows rows;
    short id = 0;
    int rc = vnDBWin_openCursorWithIDW(&id, widen(query).c_str());
    EXPECT_EQ(rc, 0) << query << "\n" << errorText(rc);
    if (rc != 0)
        return rows;
    SQLDA r{};
    while (vnDBWin_fetchRowByIDW(&r, id) == 1) {
        std::vector<std::string> row;
        for (int c = 0; c < r.numColumns; ++c)
            row.push_back(r.values[c] ? pelund::utf16ToUtf8(static_cast<const char16_t*>(r.values[c]))
                                      : "");
        rows.push_back(row);
    }
    vnDBWin_freeSQLDADescriptorW(&r);
    vnDBWin_closeCursorWithID(id);
    return rows;
}

void attachTo(const std::string& connect)
{
    int rc = vnDBWin_attachDatabaseA(connect.c_str());
    ASSERT_EQ(rc, 0) << connect << "\n" << errorText(rc);
}

void runW(const std::u16string& statement)
{
    int rc = vnDBWin_processSQLW(statement.c_str());
    ASSERT_EQ(rc, 0) << pelund::utf16ToUtf8(statement) << "\n" << errorText(rc);
}

std::u16string u16(const std::string& utf8) { return pelund::utf8ToUtf16(utf8); }

std::string pidTable(const char* stem) { return stem + std::string("_") + std::to_string(getpid()); }

// The engines a test runs on: each server driver, and MariaDB also under
// its MySQL name.
std::vector<Driver> serverDrivers()
{
    return {"PostgreSQL ANSI", "PostgreSQL Unicode", kMariaDb, kMariaDbAsMySql};
}

// The text values of the round trip, one per row; NULL is the absent one.
const std::vector<const char*> texts = {
    "O'Brien", "C:\\temp\\new", "ends with \\", "a\\'b", "100%", "a_b", "\xC3\x98rsted",
    "\xE4\xBB\x98\xE3\x81\x91", "smile \xF0\x9F\x98\x80", nullptr,
};

std::string literal(const char* text)
{
    if (!text)
        return "NULL";
    std::string out = "'";
    for (const char* p = text; *p; ++p)
        out += *p == '\'' ? std::string("''") : std::string(1, *p);
    return out + "'";
}

}  // namespace

// SQLite to each engine and back, every cell compared.
TEST(Engines, RoundTripKeepsEveryValue)
{
    std::string sqlite = connectString("SQLite3");
    std::string source = pidTable("trip_src"), there = pidTable("trip_there"),
                back = pidTable("trip_back");
    std::string big(70000, 'x');
    for (size_t k = 0; k < big.size(); k += 7)
        big[k] = char('a' + k % 26);
    attachTo(sqlite);
    vnDBWin_processSQLA(("DROP TABLE IF EXISTS " + source).c_str());
    runW(u16("CREATE TABLE " + source + " (id INTEGER, label VARCHAR(100), body TEXT, born DATE, "
             "seen TIMESTAMP, at_time TIME, big BIGINT, amount DECIMAL(10,2), ratio DOUBLE)"));
    for (size_t i = 0; i < texts.size(); ++i) {
        bool early = i % 2 == 0;
        runW(u16("INSERT INTO " + source + " VALUES (" + std::to_string(i) + ", " +
                 literal(texts[i]) + ", " + (i == 0 ? "'" + big + "'" : std::string("'short'")) +
                 ", " + (early ? "'1969-07-20'" : "'2040-02-29'") + ", " +
                 (early ? "'1969-07-20 20:17:40'" : "'2040-02-29 23:59:59'") +
                 ", '13:45:30', 9007199254740993, 12345678.90, 0.1)"));
    }
    Rows original = wideRows("SELECT * FROM " + source + " ORDER BY id");
    ASSERT_EQ(original.size(), texts.size());
    ASSERT_EQ(original[6][1], "\xC3\x98rsted");  // read back as written
    ASSERT_EQ(original[0][2], big);

    for (const Driver& engine : serverDrivers()) {
        if (!serverRunning(engine)) {
            std::printf("no server for %s: skipped\n", engine.c_str());
            continue;
        }
        SCOPED_TRACE(engine);
        std::string remote = connectString(engine);
        char16_t error[512] = {};
        int rc = vnDBWin_copyTableExtW(widen(sqlite).c_str(), widen(source).c_str(),
                                       widen(remote).c_str(), widen(there).c_str(), nullptr, error);
        ASSERT_EQ(rc, 0) << pelund::utf16ToUtf8(error);
        rc = vnDBWin_copyTableExtW(widen(remote).c_str(), widen(there).c_str(),
                                   widen(sqlite).c_str(), widen(back).c_str(), nullptr, error);
        ASSERT_EQ(rc, 0) << pelund::utf16ToUtf8(error);
        Rows got = wideRows("SELECT * FROM " + back + " ORDER BY id");
        ASSERT_EQ(got.size(), original.size());
        for (size_t i = 0; i < got.size(); ++i) {
            const auto& a = original[i];
            const auto& b = got[i];
            ASSERT_EQ(b.size(), a.size());
            EXPECT_EQ(b[0], a[0]);
            EXPECT_EQ(b[1], a[1]) << "row " << i;
            EXPECT_EQ(b[2], a[2]) << "row " << i;
            EXPECT_EQ(b[3].substr(0, 10), a[3]) << "row " << i;
            EXPECT_EQ(b[4].substr(0, 19), a[4]) << "row " << i;
            EXPECT_EQ(b[5].substr(0, 8), a[5]) << "row " << i;
            EXPECT_EQ(b[6], "9007199254740993") << "row " << i;
            EXPECT_EQ(std::stod(b[7]), 12345678.90) << b[7];
            EXPECT_EQ(std::stod(b[8]), 0.1) << b[8];
        }
        attachTo(remote);
        vnDBWin_processSQLA(("DROP TABLE " + there).c_str());
        attachTo(sqlite);
        vnDBWin_processSQLA(("DROP TABLE " + back).c_str());
    }
    vnDBWin_processSQLA(("DROP TABLE " + source).c_str());
    vnDBWin_disconnectDatabase();
}

// Column descriptions as drivers report them: the CREATE for each runs on
// every engine.
TEST(Engines, EveryColumnTypeCreatesEverywhere)
{
    const std::vector<std::tuple<const char*, int, int, int>> columns = {
        {"c_char", SQL_CHAR, 8, 0},          {"c_char_long", SQL_CHAR, 300, 0},
        {"c_char_unsized", SQL_CHAR, 0, 0},  {"c_wchar", SQL_WCHAR, 10, 0},
        {"c_wvarchar", SQL_WVARCHAR, 100, 0}, {"c_wvarchar_long", SQL_WVARCHAR, 1000, 0},
        {"c_wvarchar_unsized", SQL_WVARCHAR, 0, 0}, {"c_varchar", SQL_VARCHAR, 100, 0},
        {"c_varchar_long", SQL_VARCHAR, 1000, 0}, {"c_varchar_64k", SQL_VARCHAR, 0, 0},
        {"c_longvarchar", SQL_LONGVARCHAR, 0xFFFF, 0}, {"c_wlongvarchar", SQL_WLONGVARCHAR, 0xFFFF, 0},
        {"c_bit", SQL_BIT, 1, 0},            {"c_tinyint", SQL_TINYINT, 3, 0},
        {"c_smallint", SQL_SMALLINT, 5, 0},  {"c_integer", SQL_INTEGER, 10, 0},
        {"c_bigint", SQL_BIGINT, 19, 0},     {"c_binary", SQL_BINARY, 16, 0},
        {"c_varbinary", SQL_VARBINARY, 16, 0}, {"c_longvarbinary", SQL_LONGVARBINARY, 0xFFFF, 0},
        {"c_numeric", SQL_NUMERIC, 10, 2},   {"c_decimal", SQL_DECIMAL, 10, 2},
        {"c_decimal_unsized", SQL_DECIMAL, 0, 0}, {"c_decimal_wide", SQL_DECIMAL, 80, 40},
        {"c_float", SQL_FLOAT, 15, 0},       {"c_real", SQL_REAL, 7, 0},
        {"c_double", SQL_DOUBLE, 15, 0},     {"c_date", SQL_DATE, 10, 0},
        {"c_time", SQL_TIME, 8, 0},          {"c_timestamp", SQL_TIMESTAMP, 19, 0},
    };
    SQLDA r{};
    r.numColumns = int16_t(columns.size());
    ASSERT_NE(vnDBWin_allocateSQLDA(&r), nullptr);
    for (size_t i = 0; i < columns.size(); ++i) {
        std::u16string name = widen(std::get<0>(columns[i]));
        auto* n = static_cast<char16_t*>(std::malloc((name.size() + 1) * 2));
        std::memcpy(n, name.c_str(), (name.size() + 1) * 2);
        r.names[i] = n;
        r.sqlTypes[i] = int16_t(std::get<1>(columns[i]));
        r.precisions[i] = uint16_t(std::get<2>(columns[i]));
        r.scales[i] = int16_t(std::get<3>(columns[i]));
        r.nullables[i] = 1;
    }
    std::vector<Driver> engines = serverDrivers();
    engines.insert(engines.begin(), "SQLite3");
    std::string t = pidTable("every_type");
    for (const Driver& engine : engines) {
        if (!serverRunning(engine))
            continue;
        SCOPED_TRACE(engine);
        attachTo(connectString(engine));
        vnDBWin_processSQLA(("DROP TABLE " + t).c_str());
        char16_t error[512] = {};
        int rc = vnDBWin_createTableFromSqlData(widen(t).c_str(), &r, nullptr, error);
        EXPECT_EQ(rc, 0) << pelund::utf16ToUtf8(error);
        vnDBWin_processSQLA(("DROP TABLE " + t).c_str());
        vnDBWin_disconnectDatabase();
    }
    vnDBWin_freeSQLDADescriptorW(&r);
}

// MariaDB's connector under its own name and under a MySQL name: the same
// engine, the same answers and the same SQL.
TEST(Engines, MySqlFamilyKnownByWhatTheDriverReports)
{
    if (!mariaDbRunning())
        GTEST_SKIP() << "no MariaDB server: scripts/test starts one and sets PELUND_MARIADB_PORT";
    std::vector<std::string> creates;
    for (const char* section : {kMariaDb, kMariaDbAsMySql}) {
        attachTo(mariaDbThrough(section));
        EXPECT_EQ(vnDBWin_driverIsMySQL(), 1) << section;
        EXPECT_EQ(vnDBWin_driverIsPostgreSQL(), 0) << section;
        SQLDA r{};
        r.numColumns = 1;
        vnDBWin_allocateSQLDA(&r);
        auto* n = static_cast<char16_t*>(std::malloc(4));
        std::memcpy(n, u"a", 4);
        r.names[0] = n;
        r.sqlTypes[0] = SQL_VARCHAR;
        r.precisions[0] = 1000;
        r.nullables[0] = SQL_NULLABLE;
        std::vector<std::string> lines;
        pelund::setDebugOutputHook([&](std::string_view l) { lines.emplace_back(l); });
        vnDBWin_createTableFromSqlData(u"kind_probe", &r, nullptr, nullptr);
        pelund::setDebugOutputHook({});
        vnDBWin_processSQLA("DROP TABLE kind_probe");
        vnDBWin_freeSQLDADescriptorW(&r);
        ASSERT_EQ(lines.size(), 1u);
        creates.push_back(lines[0]);
        vnDBWin_disconnectDatabase();
        EXPECT_EQ(vnDBWin_driverIsMySQL(), 0);
    }
    EXPECT_EQ(creates[0], "SQL Create syntax: CREATE TABLE kind_probe (a LONGTEXT);\n");
    EXPECT_EQ(creates[1], creates[0]);
}

class EveryEngine : public OnEveryDriver {};

// Names that system schemas use are free for the user's own tables.
TEST_P(EveryEngine, CatalogSeesOnlyTheUsersTables)
{
    for (const char* name : {"columns", "events", "files", "tables"}) {
        vnDBWin_processSQLA((std::string("DROP TABLE IF EXISTS ") + name).c_str());
        EXPECT_EQ(vnDBWin_findTableA(name), 0) << name;
    }
    char** names = nullptr;
    int count = 0;
    ASSERT_EQ(vnDBWin_describeDatabaseA(&names, &count), 1);
    for (int k = 0; k < count; ++k)
        EXPECT_STRNE(names[k], "columns");
    vnDBWin_freeStringsArrayA(reinterpret_cast<void**>(names), count);
    // A whole table written under such a name is created, then found.
    SQLDA* records = nullptr;
    std::string src = table("events_src");
    run("DROP TABLE IF EXISTS " + src);
    run("CREATE TABLE " + src + " (id INTEGER)");
    run("INSERT INTO " + src + " VALUES (7)");
    ASSERT_EQ(vnDBWin_readEntireTable(widen(src).c_str(), &records, &count, nullptr), 0);
    char16_t error[512] = {};
    EXPECT_EQ(vnDBWin_writeEntireTable(u"events", records, count, nullptr, error), 0)
        << pelund::utf16ToUtf8(error);
    vnDBWin_freeEntireTable(&records, count);
    EXPECT_EQ(vnDBWin_findTableA("events"), 1);
    EXPECT_EQ(vnDBUtils_getNumTableRowsA("events"), 1);
    run("DROP TABLE events");
    run("DROP TABLE " + src);
}

// A write that fails on its last row leaves the table as it was.
TEST_P(EveryEngine, FailedWriteLeavesTheTableAsItWas)
{
    std::string t = table("atomic");
    run("DROP TABLE IF EXISTS " + t);
    run("CREATE TABLE " + t + " (id INTEGER NOT NULL, name VARCHAR(20))");
    run("CREATE UNIQUE INDEX " + t + "_id ON " + t + " (id)");
    run("INSERT INTO " + t + " VALUES (3, 'kept')");
    SQLDA* records = nullptr;
    int count = 0;
    std::string src = table("atomic_src");
    run("DROP TABLE IF EXISTS " + src);
    run("CREATE TABLE " + src + " (id INTEGER, name VARCHAR(20))");
    for (int id : {1, 2, 3})
        run("INSERT INTO " + src + " VALUES (" + std::to_string(id) + ", 'new')");
    ASSERT_EQ(vnDBWin_readEntireTable(widen(src).c_str(), &records, &count, nullptr), 0);
    ASSERT_EQ(count, 3);
    EXPECT_NE(vnDBWin_writeEntireTable(widen(t).c_str(), records, count, nullptr, nullptr), 0);
    vnDBWin_freeEntireTable(&records, count);
    EXPECT_EQ(wideRows("SELECT id, name FROM " + t + " ORDER BY id"), (Rows{{"3", "kept"}}));
    // The connection is back in auto-commit: a statement after it stays.
    run("INSERT INTO " + t + " VALUES (4, 'later')");
    vnDBWin_attachDatabaseA(connectString(GetParam()).c_str());
    EXPECT_EQ(vnDBUtils_getNumTableRowsA(t.c_str()), 2);
    run("DROP TABLE " + t);
    run("DROP TABLE " + src);
}

// A count that fails fails the read instead of reading an empty table.
// (PostgreSQL keeps a view's table from being dropped.)
TEST_P(EveryEngine, FailingCountFailsTheRead)
{
    if (isPostgres())
        GTEST_SKIP() << "a view always has its table on PostgreSQL";
    std::string v = table("no_count");
    run("DROP VIEW IF EXISTS " + v);
    run("DROP TABLE IF EXISTS " + v + "_base");
    run("CREATE TABLE " + v + "_base (id INTEGER)");
    run("INSERT INTO " + v + "_base VALUES (1)");
    run("CREATE VIEW " + v + " AS SELECT id FROM " + v + "_base");
    run("DROP TABLE " + v + "_base");  // the view is found but cannot be read
    SQLDA* records = nullptr;
    int count = -1;
    int rc = vnDBWin_readEntireTable(widen(v).c_str(), &records, &count, nullptr);
    EXPECT_NE(rc, 0);
    EXPECT_EQ(vnDBUtils_getNumTableRowsA(v.c_str()), -1);
    vnDBWin_freeEntireTable(&records, count > 0 ? count : 0);
    vnDBWin_processSQLA(("DROP VIEW " + v).c_str());
}

INSTANTIATE_TEST_SUITE_P(Drivers, EveryEngine, ::testing::ValuesIn(drivers()), parameterName);

// Statements reach a driver without UTF-16 entry points as UTF-8, also in a
// process that never set a locale (as this one).
TEST(Engines, UnicodeReachesAnAnsiDriverAsUtf8)
{
    attachTo(connectString("SQLite3"));
    std::string t = pidTable("utf8");
    vnDBWin_processSQLA(("DROP TABLE IF EXISTS " + t).c_str());
    runW(u16("CREATE TABLE " + t + " (v TEXT)"));
    runW(u16("INSERT INTO " + t + " VALUES ('\xC3\xBC\xE2\x80\x93\xF0\x9F\x98\x80')"));
    short id = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&id, ("SELECT hex(v) FROM " + t).c_str()), 0);
    SQLDA r{};
    ASSERT_EQ(vnDBWin_fetchRowByIDA(&r, id), 1);
    EXPECT_STREQ(static_cast<const char*>(r.values[0]), "C3BCE28093F09F9880");
    vnDBWin_freeSQLDADescriptorA(&r);
    vnDBWin_closeCursorWithID(id);
    vnDBWin_processSQLA(("DROP TABLE " + t).c_str());
    vnDBWin_disconnectDatabase();
}
