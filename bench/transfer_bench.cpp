// Copying a 20,000-row, 6-column table with vnDBWin_copyTableExtW against a
// plain ODBC program that runs the same INSERT statements on the same
// destination (autocommit, like the library). SQLite to SQLite always,
// SQLite to PostgreSQL when PELUND_PG_PORT names a server.
#include "pelund/database_tables.h"

#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int rows = 20000;

std::u16string widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string sqliteDb(const char* name)
{
    // Both sides write without waiting for the disk after every statement.
    return "DRIVER={SQLite3};Database=/tmp/pelund-" + std::string(name) + "-" +
           std::to_string(getuid()) + ".db;SyncPragma=OFF;";
}

bool makeSource(const std::string& connect)
{
    if (vnDBWin_attachDatabaseA(connect.c_str()) != 0)
        return false;
    vnDBWin_processSQLA("DROP TABLE IF EXISTS copy_src");
    int rc = vnDBWin_processSQLA(
        "CREATE TABLE copy_src AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
        "WHERE x < 20000) SELECT x AS id, 'name ' || x AS name, x * 0.5 AS amount, "
        "'it''s row ' || x AS note, x % 13 AS kind, 'label' AS label FROM c");
    vnDBWin_disconnectDatabase();
    return rc == 0;
}

// The statements the copy runs, as the plain program will run them: the
// destination's CREATE TABLE (captured from a copy) and one INSERT per row.
std::vector<std::string> insertsFor(const std::string& source)
{
    std::vector<std::string> out;
    if (vnDBWin_attachDatabaseA(source.c_str()) != 0)
        return out;
    short id = 0;
    if (vnDBWin_openCursorWithIDA(&id, "SELECT id, name, amount, note, kind, label FROM copy_src") == 0) {
        SQLDA r{};
        while (vnDBWin_fetchRowByIDA(&r, id) == 1) {
            auto v = [&](int c) { return std::string(static_cast<const char*>(r.values[c])); };
            std::string note = v(3);
            std::string escaped;
            for (char ch : note)
                escaped += ch == '\'' ? std::string("''") : std::string(1, ch);
            out.push_back("INSERT INTO copy_dst (id, name, amount, note, kind, label) VALUES (" +
                          v(0) + ", '" + v(1) + "', " + v(2) + ", '" + escaped + "', " + v(4) +
                          ", '" + v(5) + "');");
        }
        vnDBWin_freeSQLDADescriptorA(&r);
        vnDBWin_closeCursorWithID(id);
    }
    vnDBWin_disconnectDatabase();
    return out;
}

struct Plain {
    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;
    explicit Plain(const std::string& connect)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        SQLCHAR out[1024];
        SQLSMALLINT n;
        if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)connect.c_str(), SQL_NTS, out,
                                            sizeof out, &n, SQL_DRIVER_NOPROMPT)))
            dbc = nullptr;
    }
    ~Plain()
    {
        if (dbc) {
            SQLDisconnect(dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        }
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    void run(const std::string& statement)
    {
        SQLHSTMT st;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
        SQLExecDirect(st, (SQLCHAR*)statement.c_str(), SQL_NTS);
        SQLFreeHandle(SQL_HANDLE_STMT, st);
    }
};

void copyOurs(benchmark::State& state, std::string source, std::string destination)
{
    if (!makeSource(source)) {
        state.SkipWithError("cannot make the source table");
        return;
    }
    for (auto _ : state) {
        char16_t error[512] = {};
        if (vnDBWin_copyTableExtW(widen(source).c_str(), u"copy_src", widen(destination).c_str(),
                                  u"copy_dst", nullptr, error) != 0) {
            state.SkipWithError("copy failed");
            break;
        }
    }
    vnDBWin_disconnectDatabase();
    state.counters["rows/s"] =
        benchmark::Counter(double(rows) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void copyPeer(benchmark::State& state, std::string source, std::string destination)
{
    if (!makeSource(source)) {
        state.SkipWithError("cannot make the source table");
        return;
    }
    std::vector<std::string> inserts = insertsFor(source);
    Plain plain(destination);
    if (!plain.dbc || inserts.size() != size_t(rows)) {
        state.SkipWithError("cannot connect");
        return;
    }
    for (auto _ : state) {
        plain.run("DROP TABLE copy_dst");
        plain.run("CREATE TABLE copy_dst (id INTEGER, name TEXT, amount REAL, note TEXT, kind "
                  "INTEGER, label TEXT)");
        for (const std::string& s : inserts)
            plain.run(s);
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(rows) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void registerAll()
{
    if (access(PELUND_ODBC_DIR "/odbcinst.ini", R_OK) == 0)
        setenv("ODBCSYSINI", PELUND_ODBC_DIR, 1);
    std::vector<std::pair<std::string, std::string>> targets{{"sqlite", sqliteDb("copy-dst")}};
    if (const char* port = std::getenv("PELUND_PG_PORT"))
        targets.push_back({"postgresql", std::string("DRIVER={PostgreSQL ANSI};Servername=127.0.0.1;"
                                                     "Port=") +
                                             port + ";Database=pelund;UID=pelund;PWD=pelund;"});
    for (const auto& [name, destination] : targets) {
        std::string source = sqliteDb("copy-src");
        benchmark::RegisterBenchmark(("copy_20k_rows_sqlite_to_" + name + "/peer").c_str(),
                                     copyPeer, source, destination)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(2);
        benchmark::RegisterBenchmark(("copy_20k_rows_sqlite_to_" + name + "/ours").c_str(),
                                     copyOurs, source, destination)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(2);
    }
}

const int registered = (registerAll(), 0);

}  // namespace
