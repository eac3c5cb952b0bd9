#include "db_fixture.h"
#include "pelund/database_tables.h"
#include "platform/debug_output.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace dbtest;

namespace {

std::vector<std::vector<std::string>> rowsOf(const std::string& query)
{
    std::vector<std::vector<std::string>> rows;
    short id = 0;
    if (vnDBWin_openCursorWithIDA(&id, query.c_str()) != 0)
        return rows;
    SQLDA r{};
    while (vnDBWin_fetchRowByIDA(&r, id) == 1) {
        std::vector<std::string> row;
        for (int c = 0; c < r.numColumns; ++c)
            row.push_back(r.values[c] ? static_cast<const char*>(r.values[c]) : "<null>");
        rows.push_back(row);
    }
    vnDBWin_freeSQLDADescriptorA(&r);
    vnDBWin_closeCursorWithID(id);
    return rows;
}

bool attach(const std::string& connect)
{
    int rc = vnDBWin_attachDatabaseA(connect.c_str());
    EXPECT_EQ(rc, 0) << errorText(rc);
    return rc == 0;
}

void run(const std::string& statement)
{
    int rc = vnDBWin_processSQLA(statement.c_str());
    ASSERT_EQ(rc, 0) << statement << "\n" << errorText(rc);
}

std::string tableName(const char* stem) { return stem + std::string("_") + std::to_string(getpid()); }

}  // namespace

TEST(Transfer, ReadWriteAndFree)
{
    ASSERT_TRUE(attach(connectString("SQLite3")));
    std::string t = tableName("mem");
    run("DROP TABLE IF EXISTS " + t);
    run("CREATE TABLE " + t + " (id INTEGER, name VARCHAR(40))");
    SQLDA* records = reinterpret_cast<SQLDA*>(0x1);
    int count = -1;
    EXPECT_EQ(vnDBWin_readEntireTable(u"no_such_table_here", &records, &count, nullptr), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(records, reinterpret_cast<SQLDA*>(0x1));  // untouched
    // An empty table: one description record.
    records = nullptr;
    ASSERT_EQ(vnDBWin_readEntireTable(widen(t).c_str(), &records, &count, nullptr), 0);
    EXPECT_EQ(count, 0);
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(records[0].numColumns, 2);
    std::string made = tableName("made");
    run("DROP TABLE IF EXISTS " + made);
    EXPECT_EQ(vnDBWin_writeEntireTable(widen(made).c_str(), records, 0, nullptr, nullptr), 0);
    EXPECT_EQ(vnDBWin_findTableA(made.c_str()), 1);
    EXPECT_EQ(vnDBWin_freeEntireTable(&records, 0), 0);
    EXPECT_EQ(vnDBWin_freeEntireTable(nullptr, 0), 0x8000);

    for (int i = 1; i <= 5; ++i)
        run("INSERT INTO " + t + " VALUES (" + std::to_string(i) + ", 'O''Brien " +
            std::to_string(i) + "')");
    ASSERT_EQ(vnDBWin_readEntireTable(widen(t).c_str(), &records, &count, nullptr), 0);
    ASSERT_EQ(count, 5);
    // The third INSERT fails: its code returns, its statement goes to the
    // debug channel, rows four and five are not tried, and the rows written
    // before it are rolled back with it.
    run("CREATE UNIQUE INDEX " + made + "_id ON " + made + " (id)");
    run("INSERT INTO " + made + " VALUES (3, 'taken')");
    std::vector<std::string> lines;
    pelund::setDebugOutputHook([&](std::string_view l) { lines.emplace_back(l); });
    char16_t error[512] = {};
    int rc = vnDBWin_writeEntireTable(widen(made).c_str(), records, count, nullptr, error);
    pelund::setDebugOutputHook({});
    EXPECT_NE(rc, 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "SQL Insert syntax: INSERT INTO " + made +
                            " (id, name) VALUES (3, 'O''Brien 3');\n");
    EXPECT_EQ(narrow(error).rfind("Error:  Couldn't insert into the table '" + made +
                                      "'\nThe following SQL statement could not be processed:\n\n"
                                      "INSERT INTO " + made,
                                  0),
              0u)
        << narrow(error);
    EXPECT_EQ(rowsOf("SELECT id FROM " + made + " ORDER BY id"),
              (std::vector<std::vector<std::string>>{{"3"}}));
    vnDBWin_freeEntireTable(&records, count);
    vnDBWin_disconnectDatabase();
}

TEST(Transfer, AttachFailuresAreComposed)
{
    char16_t error[512] = {};
    int rc = vnDBWin_copyTableExtW(u"DSN=NoSuchSource;", u"a", u"DSN=Other;", u"b", nullptr, error);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(narrow(error).rfind("Error:  Could not attach source database 'DSN=NoSuchSource;'\n"
                                  "The database server returned the following error message:\n\n",
                                  0),
              0u)
        << narrow(error);
    std::string sqlite = connectString("SQLite3");
    ASSERT_TRUE(attach(sqlite));
    std::string t = tableName("one");
    run("DROP TABLE IF EXISTS " + t);
    run("CREATE TABLE " + t + " (id INTEGER)");
    run("INSERT INTO " + t + " VALUES (1)");
    rc = vnDBWin_copyTableExtW(widen(sqlite).c_str(), widen(t).c_str(), u"DSN=NoSuchTarget;", u"b",
                               nullptr, error);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(narrow(error).rfind("Error:  Could not attach destination database", 0), 0u);
    EXPECT_EQ(vnDBWin_copyTableExtW(u"", u"a", u"", nullptr, nullptr, error), 0x8000);
    vnDBWin_disconnectDatabase();
}

// SQLite to PostgreSQL and back, compared value by value. What the copy
// loses by design is asserted: line feeds leave text values, and empty
// values are left out of the INSERT, so they come back as NULL.
TEST(Transfer, RoundTripAcrossDrivers)
{
    if (!postgresRunning())
        GTEST_SKIP() << "no PostgreSQL server: scripts/test starts one and sets PELUND_PG_PORT";
    std::string sqlite = connectString("SQLite3"), pg = connectString("PostgreSQL Unicode");
    std::string t = tableName("trip"), back = tableName("trip_back");
    ASSERT_TRUE(attach(sqlite));
    run("DROP TABLE IF EXISTS " + t);
    run("DROP TABLE IF EXISTS " + back);
    run("CREATE TABLE " + t + " (id INTEGER, label VARCHAR(40), body TEXT, amount DECIMAL(10,2), "
        "ratio REAL, born DATE, seen TIMESTAMP)");
    std::string big(10 * 1024, 'k');
    run("INSERT INTO " + t + " VALUES (1, 'O''Brien', 'two\nlines', 12.50, 0.25, '2024-03-01', "
        "'2024-03-01 12:30:00')");
    run("INSERT INTO " + t + " VALUES (2, '', '" + big + "', -3.75, 1.5, '1999-12-31', "
        "'1999-12-31 23:59:59')");
    run("INSERT INTO " + t + " VALUES (3, NULL, 'x', 0, 2, NULL, NULL)");
    ASSERT_TRUE(attach(pg));
    run("DROP TABLE IF EXISTS " + t);
    char16_t error[512] = {};
    int rc = vnDBWin_copyTableExtW(widen(sqlite).c_str(), widen(t).c_str(), widen(pg).c_str(),
                                   widen(t).c_str(), nullptr, error);
    ASSERT_EQ(rc, 0) << narrow(error);
    rc = vnDBWin_copyTableExtW(widen(pg).c_str(), widen(t).c_str(), widen(sqlite).c_str(),
                               widen(back).c_str(), nullptr, error);
    ASSERT_EQ(rc, 0) << narrow(error);
    auto rows = rowsOf("SELECT id, label, body, amount, ratio, born, seen FROM " + back +
                       " ORDER BY id");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1], "O'Brien");
    EXPECT_EQ(rows[0][2], "twolines");  // the line feed is gone
    EXPECT_EQ(rows[1][1], "");          // empty came back as NULL, read as empty
    EXPECT_EQ(rows[1][2], big);
    EXPECT_EQ(std::stod(rows[0][3]), 12.5);
    EXPECT_EQ(std::stod(rows[1][3]), -3.75);
    EXPECT_EQ(std::stod(rows[0][4]), 0.25);
    EXPECT_EQ(rows[0][5].substr(0, 10), "2024-03-01");
    EXPECT_EQ(rows[1][6].substr(0, 19), "1999-12-31 23:59:59");
    EXPECT_EQ(rows[2][5], "");
    // The empty label is NULL now, not an empty string.
    EXPECT_EQ(rowsOf("SELECT COUNT(*) FROM " + back + " WHERE label IS NULL"),
              (std::vector<std::vector<std::string>>{{"2"}}));
    vnDBWin_disconnectDatabase();
}

TEST(JetFiles, ConnectStringAndFileDsn)
{
    std::string dir = PELUND_ODBC_DIR "/jet-" + std::to_string(getpid());
    ASSERT_EQ(system(("mkdir -p " + dir).c_str()), 0);
    std::string templ = dir + "/access.txt";
    std::ofstream(templ) << "DRIVER={Microsoft Access Driver (*.mdb)};";
    char16_t out[1024];
    EXPECT_EQ(vnDBWin_createJetConnectStr(out, 1024, widen(templ).c_str(), u"D:\\data\\parts.mdb"), 0);
    EXPECT_EQ(narrow(out), "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=D:\\data\\parts.mdb");
    EXPECT_EQ(vnDBWin_createJetConnectStr(out, 20, widen(templ).c_str(), u"x.mdb"), 0);
    EXPECT_EQ(narrow(out).size(), 19u);  // held within the capacity
    std::string empty = dir + "/empty.txt";
    std::ofstream(empty).flush();
    EXPECT_EQ(vnDBWin_createJetConnectStr(out, 1024, widen(empty).c_str(), u"p.mdb"), 1);
    EXPECT_EQ(narrow(out), "DBQ=p.mdb");
    EXPECT_EQ(vnDBWin_createJetConnectStr(out, 1024, u"/no/such/template", u"p.mdb"), 1);
    EXPECT_EQ(vnDBWin_createJetConnectStr(nullptr, 1024, u"a", u"b"), 1);

    // A file DSN for SQLite, written and then used to connect.
    std::string sqliteTemplate = dir + "/sqlite.txt";
    std::ofstream(sqliteTemplate) << "[ODBC]\nDRIVER=SQLite3\nDatabase=" << dir << "/dsn.db";
    std::string location = dir + "/base.db";
    EXPECT_EQ(vnDBWin_createJetFileDSN(out, widen(sqliteTemplate).c_str(), widen(location).c_str(),
                                       u"unused.mdb"),
              0);
    EXPECT_EQ(narrow(out), "FileDSN=" + dir + "/test.dsn");
    std::ifstream dsn(dir + "/test.dsn");
    std::stringstream content;
    content << dsn.rdbuf();
    EXPECT_EQ(content.str(), "[ODBC]\nDRIVER=SQLite3\nDatabase=" + dir + "/dsn.db\nDBQ=unused.mdb\n");
    ASSERT_EQ(vnDBWin_attachDatabaseW(out), 0) << errorText(-1);
    EXPECT_EQ(vnDBWin_processSQLA("CREATE TABLE IF NOT EXISTS t (x INTEGER)"), 0);
    vnDBWin_disconnectDatabase();
    EXPECT_EQ(vnDBWin_createJetFileDSN(out, widen(empty).c_str(), widen(location).c_str(), u"p"), 1);
    EXPECT_EQ(vnDBWin_createJetFileDSN(out, widen(templ).c_str(), u"/no/such/folder/x", u"p"), 1);
}

// The folder for file DSNs is set while the administrator runs and put
// back afterwards. unixODBC caches its ini files per process, so each step
// runs in a process of its own.
TEST(JetFiles, AdministratorRestoresTheFileDsnFolder)
{
    std::string dir = PELUND_ODBC_DIR "/admin-" + std::to_string(getpid());
    ASSERT_EQ(system(("mkdir -p " + dir).c_str()), 0);
    std::ofstream(dir + "/odbcinst.ini") << "[ODBC]\nFileDSNPath=/old/folder\n";
    auto inChild = [&](const char* folder) {
        pid_t pid = fork();
        if (pid == 0) {
            setenv("ODBCSYSINI", dir.c_str(), 1);
            std::freopen("/dev/null", "w", stderr);
            _exit(vnDBWin_openODBCAdminA(folder, nullptr, nullptr));
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(inChild("/new/folder"), 0);
    std::ifstream ini(dir + "/odbcinst.ini");
    std::stringstream content;
    content << ini.rdbuf();
    EXPECT_NE(content.str().find("FileDSNPath=/old/folder"), std::string::npos) << content.str();
    EXPECT_EQ(content.str().find("/new/folder"), std::string::npos);
    EXPECT_EQ(inChild(nullptr), 0);
}
