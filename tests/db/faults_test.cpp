#include "db_fixture.h"
#include "db/active_database.h"
#include "db/call_watchdog.h"
#include "db/transaction.h"
#include "platform/socket_watch.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include <string>

using namespace dbtest;

// The server goes away under an open cursor: the fetch fails softly, the
// message is kept, and a new attach works once the server is back.
TEST(Faults, ServerStoppedUnderAnOpenCursor)
{
    if (!postgresRunning())
        GTEST_SKIP() << "no PostgreSQL server: scripts/test starts one and sets PELUND_PG_PORT";
    // Rows are fetched from the server in small batches, so that the
    // cursor needs the server after it has been opened.
    ASSERT_EQ(vnDBWin_attachDatabaseA(
                  connectString("PostgreSQL ANSI", "UseDeclareFetch=1;Fetch=10;").c_str()),
              0);
    short id = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&id, "SELECT g FROM generate_series(1, 100000) AS g"), 0)
        << errorText(-1);
    SQLDA r{};
    ASSERT_EQ(vnDBWin_fetchRowByIDA(&r, id), 1);
    ASSERT_TRUE(postgresServer("stop"));
    int fetched = 0;
    while (vnDBWin_fetchRowByIDA(&r, id) == 1 && fetched < 200000)
        ++fetched;
    EXPECT_LT(fetched, 99999);
    EXPECT_NE(errorText(-1), "<none>");
    vnDBWin_freeSQLDADescriptorA(&r);
    EXPECT_EQ(vnDBWin_closeCursorWithID(id), 1);
    EXPECT_NE(vnDBWin_processSQLA("SELECT 1"), 0);
    vnDBWin_disconnectDatabase();
    ASSERT_TRUE(postgresServer("start"));
    ASSERT_EQ(vnDBWin_attachDatabaseA(connectString("PostgreSQL ANSI").c_str()), 0)
        << errorText(-1);
    EXPECT_EQ(vnDBWin_processSQLA("SELECT 1"), 0);
    vnDBWin_disconnectDatabase();
}

// A frozen server (stopped, as a hung one is): every call returns within
// its bound. The limits are shortened for the test; the bounds asserted are
// generous for a loaded machine.
namespace {

struct Frozen {
    bool (*server)(const char*);
    explicit Frozen(bool (*s)(const char*)) : server(s) { EXPECT_TRUE(server("freeze")); }
    ~Frozen() { server("thaw"); }
};

template <class F>
double secondsOf(F&& call)
{
    auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(Faults, FrozenMariaDbServerBoundsEveryWait)
{
    if (!mariaDbRunning())
        GTEST_SKIP() << "no MariaDB server: scripts/test starts one and sets PELUND_MARIADB_PORT";
    pelund::ActiveDatabase& db = pelund::activeDatabase();
    unsigned login = db.loginTimeout, query = db.queryTimeout;
    db.loginTimeout = 2;
    db.queryTimeout = 1;  // reads and writes then wait 3 s at most
    ASSERT_EQ(vnDBWin_attachDatabaseA(connectString(kMariaDb).c_str()), 0) << errorText(-1);
    {
        Frozen frozen(mariaDbServer);
        int rc = 0;
        EXPECT_LT(secondsOf([&] { rc = vnDBWin_processSQLA("SELECT 1"); }), 20.0);
        EXPECT_NE(rc, 0);
        short id = 0;
        EXPECT_LT(secondsOf([&] { rc = vnDBWin_openCursorWithIDA(&id, "SELECT 1"); }), 20.0);
        EXPECT_NE(rc, 0);
        vnDBWin_disconnectDatabase();
        EXPECT_LT(secondsOf([&] { rc = vnDBWin_attachDatabaseA(connectString(kMariaDb).c_str()); }),
                  20.0);
        EXPECT_NE(rc, 0);
    }
    db.loginTimeout = login;
    db.queryTimeout = query;
    ASSERT_EQ(vnDBWin_attachDatabaseA(connectString(kMariaDb).c_str()), 0) << errorText(-1);
    EXPECT_EQ(vnDBWin_processSQLA("SELECT 1"), 0);
    vnDBWin_disconnectDatabase();
}

// psqlODBC bounds the login (libpq's connect_timeout from the login
// time-out); it has no time-out for a reply on an open connection.
TEST(Faults, FrozenPostgreSqlServerBoundsTheLogin)
{
    if (!postgresRunning())
        GTEST_SKIP() << "no PostgreSQL server: scripts/test starts one and sets PELUND_PG_PORT";
    pelund::ActiveDatabase& db = pelund::activeDatabase();
    unsigned login = db.loginTimeout;
    db.loginTimeout = 2;
    vnDBWin_disconnectDatabase();
    {
        Frozen frozen(postgresServer);
        int rc = 0;
        EXPECT_LT(secondsOf([&] { rc = vnDBWin_attachDatabaseA(connectString("PostgreSQL ANSI").c_str()); }),
                  20.0);
        EXPECT_NE(rc, 0);
    }
    db.loginTimeout = login;
    ASSERT_EQ(vnDBWin_attachDatabaseA(connectString("PostgreSQL ANSI").c_str()), 0) << errorText(-1);
    vnDBWin_disconnectDatabase();
}

// The watchdog's last step: a receive blocked on a connected socket returns
// once the socket, found among the process's sockets, is shut down.
TEST(Faults, ShuttingDownASocketEndsItsBlockedReceive)
{
    std::vector<pelund::PeerSocket> before = pelund::peerSockets();
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    std::vector<pelund::PeerSocket> added = pelund::socketsAdded(before, pelund::peerSockets());
    ASSERT_EQ(added.size(), 2u);
    ssize_t got = 1;
    std::thread reader([&] {
        char c;
        got = recv(pair[0], &c, 1, 0);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (const pelund::PeerSocket& s : added)
        if (s.fd == pair[0])
            pelund::shutDownSocket(s);
    reader.join();
    EXPECT_EQ(got, 0);
    close(pair[0]);
    close(pair[1]);
}

// psqlODBC has no time-out for a reply on an open connection: the library's
// watchdog cancels a call that overruns its limit and then shuts the
// connection's sockets down. The limits are shortened here (1 s + 1 s + 1 s,
// so about 3 s a call); the connection is dead afterwards and later calls
// fail at once.
namespace {

struct ShortWatchLimits {
    pelund::WatchLimits saved = pelund::watchLimits();
    explicit ShortWatchLimits(std::chrono::milliseconds call)
    {
        pelund::setWatchLimits({call, std::chrono::seconds(1), std::chrono::seconds(1)});
    }
    ~ShortWatchLimits() { pelund::setWatchLimits(saved); }
};

class FrozenPostgreSql : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        if (!postgresRunning())
            GTEST_SKIP() << "no PostgreSQL server: scripts/test starts one and sets PELUND_PG_PORT";
        ASSERT_EQ(vnDBWin_attachDatabaseA(connectString(GetParam(), "UseDeclareFetch=1;Fetch=10;").c_str()),
                  0)
            << errorText(-1);
        ASSERT_EQ(vnDBWin_processSQLA("DROP TABLE IF EXISTS watched_rows"), 0);
        ASSERT_EQ(vnDBWin_processSQLA("CREATE TABLE watched_rows (n INTEGER)"), 0);
    }
    void TearDown() override
    {
        vnDBWin_disconnectDatabase();
        if (!postgresRunning())
            return;
        // After the thaw a new connection works.
        ASSERT_EQ(vnDBWin_attachDatabaseA(connectString(GetParam()).c_str()), 0) << errorText(-1);
        EXPECT_EQ(vnDBWin_processSQLA("DROP TABLE watched_rows"), 0) << errorText(-1);
        vnDBWin_disconnectDatabase();
    }
    // After the thaw the dead connection fails at once.
    static void expectDeadConnection()
    {
        int rc = 0;
        EXPECT_LT(secondsOf([&] { rc = vnDBWin_processSQLA("SELECT 1"); }), 10.0);
        EXPECT_NE(rc, 0);
    }
    ShortWatchLimits limits{std::chrono::seconds(1)};
};

}  // namespace

TEST_P(FrozenPostgreSql, StatementReturnsWithinItsBound)
{
    int rc = 0;
    double seconds = 0;
    {
        Frozen frozen(postgresServer);
        seconds = secondsOf([&] { rc = vnDBWin_processSQLA("INSERT INTO watched_rows VALUES (1)"); });
    }
    std::printf("statement returned after %.2f s\n", seconds);
    EXPECT_LT(seconds, 15.0);
    EXPECT_NE(rc, 0);
    EXPECT_NE(errorText(rc), "<none>");
    expectDeadConnection();
}

TEST_P(FrozenPostgreSql, FetchReturnsWithinItsBound)
{
    short id = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&id, "SELECT g FROM generate_series(1, 100000) AS g"), 0)
        << errorText(-1);
    SQLDA r{};
    ASSERT_EQ(vnDBWin_fetchRowByIDA(&r, id), 1);
    int fetched = 0;
    double seconds = 0;
    {
        Frozen frozen(postgresServer);
        seconds = secondsOf([&] {
            while (vnDBWin_fetchRowByIDA(&r, id) == 1 && fetched < 200000)
                ++fetched;
        });
    }
    std::printf("fetch returned after %.2f s\n", seconds);
    EXPECT_LT(seconds, 15.0);
    EXPECT_LT(fetched, 99999);
    vnDBWin_freeSQLDADescriptorA(&r);
    EXPECT_EQ(vnDBWin_closeCursorWithID(id), 1);
    expectDeadConnection();
}

TEST_P(FrozenPostgreSql, CommitReturnsWithinItsBound)
{
    int rc = 0;
    double seconds = 0;
    {
        pelund::Transaction transaction;
        ASSERT_EQ(vnDBWin_processSQLA("INSERT INTO watched_rows VALUES (1)"), 0);
        Frozen frozen(postgresServer);
        seconds = secondsOf([&] { rc = transaction.commit(); });
    }
    std::printf("commit returned after %.2f s\n", seconds);
    EXPECT_LT(seconds, 15.0);
    EXPECT_NE(rc, 0);
    expectDeadConnection();
}

// Closing a cursor and disconnecting on a frozen server return too.
TEST_P(FrozenPostgreSql, CloseAndDisconnectReturnWithinTheirBound)
{
    short id = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&id, "SELECT g FROM generate_series(1, 100000) AS g"), 0)
        << errorText(-1);
    Frozen frozen(postgresServer);
    double seconds = secondsOf([&] {
        vnDBWin_closeCursorWithID(id);
        vnDBWin_disconnectDatabase();
    });
    std::printf("close and disconnect returned after %.2f s\n", seconds);
    EXPECT_LT(seconds, 15.0);
}

// A query that runs longer than the watch limit's first second but returns
// within limit and grace is left alone.
TEST_P(FrozenPostgreSql, LongQueryUnderTheLimitIsNotCut)
{
    ShortWatchLimits longer(std::chrono::seconds(3));
    EXPECT_EQ(vnDBWin_processSQLA("SELECT pg_sleep(2)"), 0) << errorText(-1);
    EXPECT_EQ(vnDBWin_processSQLA("SELECT 1"), 0) << errorText(-1);
}

INSTANTIATE_TEST_SUITE_P(BothDrivers, FrozenPostgreSql,
                         ::testing::Values("PostgreSQL ANSI", "PostgreSQL Unicode"),
                         [](const auto& info) {
                             return std::string(info.param).find("ANSI") != std::string::npos ? "Ansi"
                                                                                               : "Unicode";
                         });
