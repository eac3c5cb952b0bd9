#include "db_fixture.h"

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
