#include "db_fixture.h"
#include "pelund/database_tables.h"
#include "pelund/lists.h"
#include "pelund/sql_text.h"
#include "platform/debug_output.h"

#include <sql.h>
#include <sqlext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace dbtest;

namespace {

std::vector<std::string> listTables()
{
    char** names = nullptr;
    int count = -1;
    EXPECT_EQ(vnDBWin_describeDatabaseA(&names, &count), 1);
    std::vector<std::string> out;
    for (int k = 0; k < count; ++k)
        out.push_back(names[k]);
    vnDBWin_freeStringsArrayA(reinterpret_cast<void**>(names), count);
    return out;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(tolower((unsigned char)c));
    return s;
}

// Captures the lines of the debug output channel while it lives.
struct DebugLines {
    std::vector<std::string> lines;
    DebugLines()
    {
        pelund::setDebugOutputHook([this](std::string_view l) { lines.emplace_back(l); });
    }
    ~DebugLines() { pelund::setDebugOutputHook({}); }
};

// A record describing columns, built as a caller would.
struct Columns {
    SQLDA r{};
    explicit Columns(const std::vector<std::tuple<std::u16string, int, int, int, int>>& cols)
    {
        r.numColumns = int16_t(cols.size());
        vnDBWin_allocateSQLDA(&r);
        for (size_t i = 0; i < cols.size(); ++i) {
            const auto& [name, type, size, scale, nullable] = cols[i];
            auto* n = static_cast<char16_t*>(std::malloc((name.size() + 1) * 2));
            std::memcpy(n, name.c_str(), (name.size() + 1) * 2);
            r.names[i] = n;
            r.sqlTypes[i] = int16_t(type);
            r.precisions[i] = uint16_t(size);
            r.scales[i] = int16_t(scale);
            r.nullables[i] = int16_t(nullable);
        }
    }
    ~Columns() { vnDBWin_freeSQLDADescriptorW(&r); }
};

std::string createText(const std::u16string& table, const SQLDA& r, const char16_t* longText)
{
    DebugLines debug;
    vnDBWin_createTableFromSqlData(table.c_str(), &r, longText, nullptr);
    for (const auto& l : debug.lines)
        if (l.rfind("SQL Create syntax: ", 0) == 0)
            return l.substr(19, l.size() - 20);
    return "<none>";
}

}  // namespace

class Catalog : public OnEveryDriver {};

TEST_P(Catalog, ListFindAndDescribe)
{
    std::string t = table("Orders");
    run("DROP TABLE IF EXISTS " + t);
    run("CREATE TABLE " + t + " (id INTEGER, name VARCHAR(30))");
    std::vector<std::string> names = listTables();
    EXPECT_NE(std::find_if(names.begin(), names.end(), [&](const std::string& n) { return lower(n) == lower(t); }),
              names.end());
    EXPECT_EQ(listTables(), names);  // the same again, in the same order
    std::string upper = t;
    for (char& c : upper)
        c = char(toupper((unsigned char)c));
    EXPECT_EQ(vnDBWin_findTableA(upper.c_str()), 1);
    EXPECT_EQ(vnDBWin_findTableW(widen(lower(t)).c_str()), 1);
    EXPECT_EQ(vnDBWin_findTableA(""), 0);
    EXPECT_EQ(vnDBWin_findTableA(nullptr), 0);
    EXPECT_EQ(vnDBWin_findTableA("no_such_table_anywhere"), 0);

    SQLDA r{};
    EXPECT_EQ(vnDBWin_describeTableA(&r, t.c_str()), 0);
    ASSERT_EQ(r.numColumns, 2);
    EXPECT_EQ(lower(static_cast<const char*>(r.names[1])), "name");
    EXPECT_EQ(r.values[0], nullptr);  // no rows: no values
    vnDBWin_freeSQLDADescriptorA(&r);
    run("INSERT INTO " + t + " VALUES (5, 'five')");
    EXPECT_EQ(vnDBWin_describeTableW(&r, widen(t).c_str()), 0);
    ASSERT_EQ(r.numColumns, 2);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(r.values[1])), u"five");
    vnDBWin_freeSQLDADescriptorW(&r);
    EXPECT_EQ(vnDBWin_describeTableA(&r, "no_such_table_anywhere"), -1);
    EXPECT_NE(errorText(-1), "<none>");
    EXPECT_EQ(vnDBUtils_getNumTableRowsA(t.c_str()), 1);
    EXPECT_EQ(vnDBUtils_getNumTableRowsW(widen(t).c_str()), 1);
    EXPECT_EQ(vnDBUtils_getNumTableRowsA("no_such_table_anywhere"), -1);
}

TEST_P(Catalog, CopyWithinAndFailures)
{
    std::string src = table("src"), dst = table("dst");
    run("DROP TABLE IF EXISTS " + src);
    run("DROP TABLE IF EXISTS " + dst);
    run("CREATE TABLE " + src + " (id INTEGER, name VARCHAR(30))");
    // A source without rows creates the destination and copies nothing.
    EXPECT_EQ(vnDBWin_copyTable(dst.c_str(), src.c_str(), nullptr, nullptr), 0);
    EXPECT_EQ(vnDBWin_findTableA(dst.c_str()), 1);
    run("INSERT INTO " + src + " VALUES (1, 'a')");
    run("INSERT INTO " + src + " VALUES (2, 'b')");
    EXPECT_EQ(vnDBWin_copyTableW(widen(dst).c_str(), widen(src).c_str(), nullptr, nullptr), 0);
    EXPECT_EQ(vnDBUtils_getNumTableRowsA(dst.c_str()), 2);
    // A destination of another shape makes the copying statement fail.
    std::string odd = table("odd");
    run("DROP TABLE IF EXISTS " + odd);
    run("CREATE TABLE " + odd + " (only_one INTEGER)");
    char error[1024] = "";
    int rc = vnDBWin_copyTable(odd.c_str(), src.c_str(), nullptr, error);
    EXPECT_NE(rc, 0);
    std::string text = error;
    EXPECT_EQ(text.rfind("Error:  Couldn't insert into table '" + odd + "'\n", 0), 0u) << text;

    char16_t werror[512] = {};
    EXPECT_EQ(vnDBWin_dropTableW(widen(odd).c_str(), werror), 0);
    rc = vnDBWin_dropTableW(widen(odd).c_str(), werror);
    EXPECT_NE(rc, 0);
    EXPECT_EQ(narrow(werror).rfind("Error:  Couldn't drop table '" + odd + "'\nThe database server", 0), 0u)
        << narrow(werror);
    EXPECT_EQ(vnDBWin_dropTableW(nullptr, werror), 0x8000);
}

TEST_P(Catalog, CreateFromDescriptionAndFromSource)
{
    std::string t = table("made");
    run("DROP TABLE IF EXISTS " + t);
    Columns cols({{u"ID", SQL_INTEGER, 10, 0, SQL_NO_NULLS},
                  {u"STAMP", 93, 0, 0, 1},
                  {u"RATE", SQL_REAL, 7, 0, 1}});
    EXPECT_EQ(createText(widen(t), cols.r, nullptr),
              "CREATE TABLE " + t + " (ID INTEGER NOT NULL, RATE REAL);");
    EXPECT_EQ(vnDBWin_findTableA(t.c_str()), 1);  // it ran
    char16_t werror[512] = {};
    int rc = vnDBWin_createTableW(widen(table("copy")).c_str(), u"no_such_source", nullptr, werror);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(narrow(werror).rfind("Error:  Couldn't describe table 'no_such_source'.\n", 0), 0u)
        << narrow(werror);
    std::string shaped = table("shaped");
    run("DROP TABLE IF EXISTS " + shaped);
    EXPECT_EQ(vnDBWin_createTableA(shaped.c_str(), t.c_str(), nullptr, nullptr), 0)
        << errorText(-1);
    EXPECT_EQ(vnDBWin_findTableA(shaped.c_str()), 1);
    EXPECT_EQ(vnDBWin_createTableA(nullptr, t.c_str(), nullptr, nullptr), 0);
    EXPECT_EQ(vnDBWin_createTableFromSqlData(nullptr, &cols.r, nullptr, nullptr), 0x8000);
    // A refused statement puts the database's message into the buffer.
    rc = vnDBWin_createTableFromSqlData(widen(t).c_str(), &cols.r, nullptr, werror);
    EXPECT_NE(rc, 0);
    EXPECT_EQ(narrow(werror), errorText(rc).substr(0, 511));
}

INSTANTIATE_TEST_SUITE_P(Drivers, Catalog, ::testing::ValuesIn(drivers()), parameterName);

// The type names each driver kind is given, through psqlODBC entered under
// the other products' names.
TEST(CreateText, EveryDriverKind)
{
    struct Kind {
        const char* section;
        const char* varchar1000;
        const char* long300;
        const char* wlongUnbounded;
        const char* dbl;
        const char* bit = "BIT";
        const char* stamp = "TIMESTAMP";
    } kinds[] = {
        {"Microsoft Access Driver (*.mdb)", "MEMO", "MEMO", "MEMO", "DOUBLE PRECISION"},
        // MySQL's LONGTEXT takes no size, its TEXT holds 64 KiB and its
        // TIMESTAMP only 1970 to 2038.
        {"MySQL ODBC 8.0 Unicode Driver", "LONGTEXT", "LONGTEXT", "LONGTEXT", "DOUBLE PRECISION",
         "BIT", "DATETIME(6)"},
        {"Oracle in OraClient11g_home1", "VARCHAR2(1000)", "VARCHAR2(300)", "TEXT", "DOUBLE PRECISION"},
        {"Informix-CLI 2.5 (32 Bit)", "LVARCHAR(1000)", "LVARCHAR(300)", "TEXT", "DOUBLE PRECISION"},
        {"SQL Server", "TEXT", "TEXT", "TEXT", "DOUBLE PRECISION"},
        {"Microsoft Excel Driver (*.xls)", "VARCHAR(1000)", "VARCHAR(300)", "TEXT", "DOUBLE"},
        // No kind by name: the engine that the driver reports decides.
        {"PostgreSQL ANSI", "VARCHAR(1000)", "VARCHAR(300)", "TEXT", "DOUBLE PRECISION", "SMALLINT"},
    };
    if (!postgresRunning())
        GTEST_SKIP() << "no PostgreSQL server: scripts/test starts one and sets PELUND_PG_PORT";
    for (const Kind& k : kinds) {
        ASSERT_EQ(vnDBWin_attachDatabaseA(postgresThrough(k.section).c_str()), 0) << k.section;
        Columns cols({{u"a", SQL_VARCHAR, 100, 0, 1},
                      {u"b", SQL_VARCHAR, 1000, 0, 1},
                      {u"c", SQL_LONGVARCHAR, 300, 0, 1},
                      {u"d", SQL_WLONGVARCHAR, 0xFFFF, 0, 1},
                      {u"e", SQL_VARCHAR, 65536 & 0xFFFF, 0, 1},
                      {u"f", SQL_DECIMAL, 10, 2, 1},
                      {u"g", SQL_DOUBLE, 15, 0, 1},
                      {u"h", SQL_BIT, 1, 0, SQL_NO_NULLS},
                      {u"i", SQL_CHAR, 8, 0, 1},
                      {u"j", SQL_DATE, 10, 0, 1},
                      {u"k", SQL_TIMESTAMP, 19, 0, 1}});
        bool excel = std::string(k.section).find("Excel") != std::string::npos;
        std::string expected = std::string("CREATE TABLE made_here (a VARCHAR(100), b ") +
                               k.varchar1000 + ", c " + k.long300 + ", d " + k.wlongUnbounded +
                               ", e " +
                               (std::string(k.section).find("MySQL") == 0 ? "LONGTEXT" : "TEXT") +
                               ", f DECIMAL(10,2), g " + k.dbl + ", h " + k.bit +
                               (excel ? "" : " NOT NULL") + ", i CHAR(8), j DATE, k " + k.stamp +
                               ");";
        EXPECT_EQ(createText(u"made_here", cols.r, nullptr), expected) << k.section;
        // A caller's long-text type applies from 256 characters on.
        Columns two({{u"a", SQL_VARCHAR, 100, 0, 1}, {u"b", SQL_VARCHAR, 1000, 0, 1}});
        EXPECT_EQ(createText(u"made_here", two.r, u"CLOB"),
                  "CREATE TABLE made_here (a VARCHAR(100), b CLOB);");
        vnDBWin_processSQLA("DROP TABLE made_here");
    }
    // The plain PostgreSQL driver accepts the types it was given.
    ASSERT_EQ(vnDBWin_attachDatabaseA(connectString("PostgreSQL ANSI").c_str()), 0);
    vnDBWin_processSQLA("DROP TABLE IF EXISTS made_here");
    Columns real({{u"a", SQL_VARCHAR, 100, 0, 1}, {u"f", SQL_DECIMAL, 10, 2, 1},
                  {u"g", SQL_DOUBLE, 15, 0, 1}, {u"j", SQL_DATE, 10, 0, 1},
                  {u"k", SQL_TIMESTAMP, 19, 0, SQL_NO_NULLS}});
    EXPECT_EQ(vnDBWin_createTableFromSqlData(u"made_here", &real.r, nullptr, nullptr), 0)
        << errorText(-1);
    vnDBWin_processSQLA("DROP TABLE made_here");
    vnDBWin_disconnectDatabase();
}
