// Reading 200,000 rows of 5 columns through cursors and SQLDA records
// against a plain ODBC SQLFetch/SQLGetData loop over the same query, driver
// and data. SQLite always; PostgreSQL (both drivers) when PELUND_PG_PORT
// names a server; MariaDB when PELUND_MARIADB_PORT names one with a database
// "pelund" (user and password "pelund", or a server without grant tables).
// A private MariaDB for a run:
//   d=$(mktemp -d); mariadb-install-db --no-defaults --datadir=$d/data
//   mariadbd --no-defaults --datadir=$d/data --port=PORT --bind-address=127.0.0.1
//     --socket=$d/sock --skip-grant-tables &   (as root also --user=root)
//   mariadb -h 127.0.0.1 -P PORT -e 'CREATE DATABASE pelund'
#include "pelund/database.h"
#include "pelund/database_tables.h"
#include "platform/debug_output.h"

#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const query = "SELECT id, name, amount, label, kind FROM bench_rows";

struct Target {
    std::string name, connect, create;
};

Target sqlite()
{
    return {"sqlite",
            "DRIVER={SQLite3};Database=/tmp/pelund-bench-" + std::to_string(getuid()) + ".db;",
            "CREATE TABLE bench_rows AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
            "FROM c WHERE x < 200000) SELECT x AS id, 'name' || x AS name, x * 1.5 AS amount, "
            "'label' AS label, x % 7 AS kind FROM c"};
}

Target postgres(const char* port, const std::string& driver, const std::string& name)
{
    return {name,
            "DRIVER={" + driver + "};Servername=127.0.0.1;Port=" + port +
                ";Database=pelund;UID=pelund;PWD=pelund;",
            "CREATE TABLE bench_rows AS SELECT g AS id, 'name' || g AS name, g * 1.5 AS amount, "
            "'label' AS label, g % 7 AS kind FROM generate_series(1, 200000) AS g"};
}

Target mariadb(const char* port)
{
    return {"mariadb",
            std::string("DRIVER=" PELUND_MARIADB_ODBC ";Server=127.0.0.1;Port=") + port +
                ";Database=pelund;UID=pelund;PWD=pelund;",
            "CREATE TABLE bench_rows AS SELECT seq AS id, CONCAT('name', seq) AS name, seq * 1.5 "
            "AS amount, 'label' AS label, seq % 7 AS kind FROM seq_1_to_200000"};
}

bool prepare(const Target& t)
{
    if (vnDBWin_attachDatabaseA(t.connect.c_str()) != 0)
        return false;
    vnDBWin_processSQLA("DROP TABLE IF EXISTS bench_rows");
    return vnDBWin_processSQLA(t.create.c_str()) == 0;
}

long readThroughCursor()
{
    short id = 0;
    if (vnDBWin_openCursorWithIDA(&id, query) != 0)
        return -1;
    SQLDA row{};
    long rows = 0;
    while (vnDBWin_fetchRowByIDA(&row, id) == 1)
        ++rows;
    vnDBWin_freeSQLDADescriptorA(&row);
    vnDBWin_closeCursorWithID(id);
    return rows;
}

long readPlain(SQLHDBC dbc)
{
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    SQLExecDirect(st, (SQLCHAR*)query, SQL_NTS);
    char cell[256];
    SQLLEN length;
    long rows = 0;
    while (SQL_SUCCEEDED(SQLFetch(st))) {
        for (SQLUSMALLINT c = 1; c <= 5; ++c)
            SQLGetData(st, c, SQL_C_CHAR, cell, sizeof cell, &length);
        ++rows;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return rows;
}

// Both sides run in every round, one after the other on connections that
// stay open, in alternating order: the heap and the driver's caches are
// then in the same state for both, whichever is measured. Each side's time
// is its best of several rounds, which a loaded machine disturbs least; the
// rounds are run once per target and give all four figures: wall time, and
// the reading thread's processor time (the client's share alone for a
// server, everything for SQLite), which other processes disturb far less.
struct Pair {
    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;

    bool open(const Target& t)
    {
        if (!prepare(t) || readThroughCursor() != 200000)
            return false;
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        SQLCHAR out[1024];
        SQLSMALLINT outLength;
        return SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)t.connect.c_str(),
                                              SQL_NTS, out, sizeof out, &outLength,
                                              SQL_DRIVER_NOPROMPT)) &&
               readPlain(dbc) == 200000;
    }

    ~Pair()
    {
        if (dbc) {
            SQLDisconnect(dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        }
        if (env)
            SQLFreeHandle(SQL_HANDLE_ENV, env);
        vnDBWin_disconnectDatabase();
    }
};

struct Times {
    double wall = 1e9, cpu = 1e9;
};

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void timeOne(Times& best, long (*read)(SQLHDBC), SQLHDBC dbc, long& rows)
{
    auto start = std::chrono::steady_clock::now();
    double cpuStart = threadSeconds();
    rows = read(dbc);
    best.cpu = std::min(best.cpu, threadSeconds() - cpuStart);
    best.wall = std::min(
        best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

long readOurs(SQLHDBC) { return readThroughCursor(); }

struct Bests {
    bool ok = false;
    Times ours, peer;
};

Bests runRounds(const Target& t)
{
    Bests b;
    Pair pair;
    if (!pair.open(t))
        return b;
    for (int k = 0; k < 5; ++k) {
        long rows = 0, other = 0;
        if (k % 2) {
            timeOne(b.ours, readOurs, pair.dbc, rows);
            timeOne(b.peer, readPlain, pair.dbc, other);
        } else {
            timeOne(b.peer, readPlain, pair.dbc, other);
            timeOne(b.ours, readOurs, pair.dbc, rows);
        }
        if (rows != 200000 || other != 200000)
            return b;
    }
    b.ok = true;
    return b;
}

void measure(benchmark::State& state, const Target& t, bool timeOurs, bool cpu)
{
    static std::map<std::string, Bests> done;
    auto found = done.find(t.name);
    if (found == done.end())
        found = done.emplace(t.name, runRounds(t)).first;
    const Bests& b = found->second;
    if (!b.ok) {
        state.SkipWithError("cannot read the table");
        return;
    }
    const Times& side = timeOurs ? b.ours : b.peer;
    for (auto _ : state)
        state.SetIterationTime(cpu ? side.cpu : side.wall);
}

void registerAll()
{
    // The drivers as the tests enter them, without psqlODBC's log files.
    if (access(PELUND_ODBC_DIR "/odbcinst.ini", R_OK) == 0)
        setenv("ODBCSYSINI", PELUND_ODBC_DIR, 1);
    std::vector<Target> targets{sqlite()};
    if (const char* port = std::getenv("PELUND_PG_PORT")) {
        targets.push_back(postgres(port, "PostgreSQL ANSI", "postgresql"));
        targets.push_back(postgres(port, "PostgreSQL Unicode", "postgresql_unicode"));
    }
    if (const char* port = std::getenv("PELUND_MARIADB_PORT"))
        targets.push_back(mariadb(port));
    for (const Target& t : targets)
        for (bool cpu : {false, true})
            for (bool timeOurs : {false, true}) {
                std::string name = "db_200k_rows_" + t.name + (cpu ? "_cpu" : "") +
                                   (timeOurs ? "/ours" : "/peer");
                benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
                    measure(state, t, timeOurs, cpu);
                })
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime()
                    ->Iterations(1);
            }
}

const int registered = (registerAll(), 0);

}  // namespace

// Copying a table of 20,000 rows x 6 columns from SQLite into SQLite,
// PostgreSQL and MariaDB: the library's copy against a plain program that
// reads the same rows and runs the same CREATE and one auto-committed
// INSERT per row on one connection.
namespace copybench {

const int kRows = 20000;

struct Destination {
    std::string name, connect;
};

std::string sourceConnect()
{
    return "DRIVER={SQLite3};Database=/tmp/pelund-copy-bench-" + std::to_string(getuid()) + ".db;";
}

std::u16string wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

bool prepareSource()
{
    if (vnDBWin_attachDatabaseA(sourceConnect().c_str()) != 0)
        return false;
    vnDBWin_processSQLA("DROP TABLE IF EXISTS copy_src");
    int rc = vnDBWin_processSQLA(
        "CREATE TABLE copy_src (id INTEGER, name VARCHAR(40), amount DECIMAL(10,2), label TEXT, "
        "kind INTEGER, seen TIMESTAMP)");
    rc |= vnDBWin_processSQLA(
        "INSERT INTO copy_src WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
        "WHERE x < 20000) SELECT x, 'name ' || x, x * 1.25, 'label of ' || x, x % 7, "
        "'2024-03-01 12:30:00' FROM c");
    vnDBWin_disconnectDatabase();
    return rc == 0;
}

// The library: the whole copy, CREATE included.
bool copyOurs(const Destination& d)
{
    return vnDBWin_copyTableExtW(wide(sourceConnect()).c_str(), u"copy_src", wide(d.connect).c_str(),
                                 u"copy_dst", nullptr, nullptr) == 0;
}

SQLHDBC connectPlain(SQLHENV env, const std::string& connect)
{
    SQLHDBC dbc = nullptr;
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLCHAR out[1024];
    SQLSMALLINT outLength;
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)connect.c_str(), SQL_NTS, out,
                                        sizeof out, &outLength, SQL_DRIVER_NOPROMPT))) {
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        return nullptr;
    }
    return dbc;
}

bool runPlain(SQLHDBC dbc, const std::string& statement)
{
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    SQLRETURN r = SQLExecDirect(st, (SQLCHAR*)statement.c_str(), SQL_NTS);
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return SQL_SUCCEEDED(r) || r == SQL_NO_DATA;
}

// The plain program: read the rows, drop, the same CREATE, one INSERT per
// row in auto-commit.
bool copyPlain(SQLHENV env, const Destination& d, const std::string& create)
{
    SQLHDBC src = connectPlain(env, sourceConnect());
    SQLHDBC dst = connectPlain(env, d.connect);
    bool ok = src && dst;
    if (ok) {
        runPlain(dst, "DROP TABLE copy_dst");
        ok = runPlain(dst, create);
        SQLHSTMT st;
        SQLAllocHandle(SQL_HANDLE_STMT, src, &st);
        SQLExecDirect(st, (SQLCHAR*)"SELECT id, name, amount, label, kind, seen FROM copy_src", SQL_NTS);
        char cell[6][256];
        SQLLEN length;
        while (ok && SQL_SUCCEEDED(SQLFetch(st))) {
            for (SQLUSMALLINT c = 0; c < 6; ++c)
                SQLGetData(st, SQLUSMALLINT(c + 1), SQL_C_CHAR, cell[c], sizeof cell[c], &length);
            ok = runPlain(dst, std::string("INSERT INTO copy_dst (id, name, amount, label, kind, seen) VALUES (") +
                                   cell[0] + ", '" + cell[1] + "', " + cell[2] + ", '" + cell[3] + "', " +
                                   cell[4] + ", '" + cell[5] + "');");
        }
        SQLFreeHandle(SQL_HANDLE_STMT, st);
    }
    for (SQLHDBC h : {src, dst})
        if (h) {
            SQLDisconnect(h);
            SQLFreeHandle(SQL_HANDLE_DBC, h);
        }
    return ok;
}

// The CREATE that the library wrote for the destination, as the plain
// program's own.
std::string createOf(const Destination& d)
{
    std::string create;
    pelund::setDebugOutputHook([&](std::string_view line) {
        const std::string_view head = "SQL Create syntax: ";
        if (line.substr(0, head.size()) == head)
            create = std::string(line.substr(head.size(), line.size() - head.size() - 1));
    });
    bool ok = copyOurs(d);
    pelund::setDebugOutputHook({});
    return ok ? create : std::string();
}

void measure(benchmark::State& state, Destination d, bool timeOurs)
{
    SQLHENV env = nullptr;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    std::string create = prepareSource() ? createOf(d) : std::string();
    if (create.empty()) {
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        state.SkipWithError("cannot copy the table");
        return;
    }
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        bool ok = timeOurs ? copyOurs(d) : copyPlain(env, d, create);
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!ok)
            state.SkipWithError("the copy failed");
    }
    vnDBWin_disconnectDatabase();
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}

void ours(benchmark::State& state, Destination d) { measure(state, d, true); }
void peer(benchmark::State& state, Destination d) { measure(state, d, false); }

void registerAll()
{
    std::vector<Destination> destinations{
        {"sqlite", "DRIVER={SQLite3};Database=/tmp/pelund-copy-bench-dst-" + std::to_string(getuid()) + ".db;"}};
    if (const char* port = std::getenv("PELUND_PG_PORT"))
        destinations.push_back({"postgresql", std::string("DRIVER={PostgreSQL Unicode};Servername=127.0.0.1;Port=") +
                                                  port + ";Database=pelund;UID=pelund;PWD=pelund;"});
    if (const char* port = std::getenv("PELUND_MARIADB_PORT"))
        destinations.push_back({"mariadb", std::string("DRIVER={MariaDB Unicode};SERVER=127.0.0.1;PORT=") + port +
                                               ";DATABASE=pelund;UID=pelund;PWD=pelund;"});
    for (const Destination& d : destinations) {
        benchmark::RegisterBenchmark(("db_copy_20k_" + d.name + "/peer").c_str(), peer, d)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
        benchmark::RegisterBenchmark(("db_copy_20k_" + d.name + "/ours").c_str(), ours, d)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
    }
}

const int registered = (registerAll(), 0);

}  // namespace copybench
