#include "db_fixture.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace dbtest;

namespace {

std::string value(const SQLDA& r, int column)
{
    const char* v = static_cast<const char*>(r.values[column]);
    return v ? v : "<null>";
}

std::string name(const SQLDA& r, int column) { return static_cast<const char*>(r.names[column]); }

}  // namespace

class Cursors : public OnEveryDriver {
protected:
    // A cursor (0 when it did not open) over a new table (id INTEGER, label
    // and note VARCHAR(WIDTH)) of ROWS, each its values as SQL, in id order.
    short openOver(const std::string& name, int width, const std::vector<std::string>& rows)
    {
        std::string t = table(name);
        run("DROP TABLE IF EXISTS " + t);
        std::string text = "VARCHAR(" + std::to_string(width) + ")";
        run("CREATE TABLE " + t + " (id INTEGER, label " + text + ", note " + text + ")");
        for (const std::string& row : rows)
            run("INSERT INTO " + t + " VALUES (" + row + ")");
        short id = 0;
        EXPECT_EQ(vnDBWin_openCursorWithIDA(&id, ("select id, label, note FROM " + t + " ORDER BY id").c_str()), 0)
            << errorText(-1);
        return id;
    }
};

TEST_P(Cursors, RowsArriveAsTextUntilTheEnd)
{
    short id = openOver("rows", 20, {"1, 'one', NULL", "2, '', 'x'", "3, 'three', 'y'"});
    ASSERT_NE(id, 0);
    SQLDA r{};
    std::vector<std::string> rows;
    int fetches = 0;
    while (vnDBWin_fetchRowByIDA(&r, id) == 1) {
        ++fetches;
        ASSERT_EQ(r.numColumns, 3);
        rows.push_back(value(r, 0) + "|" + value(r, 1) + "|" + value(r, 2));
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(r.reserved[c], 0);
    }
    EXPECT_EQ(fetches, 3);
    // NULL and empty both arrive as an empty text.
    EXPECT_EQ(rows, (std::vector<std::string>{"1|one|", "2||x", "3|three|y"}));
    // The record keeps the last row after the final 0.
    EXPECT_EQ(value(r, 0), "3");
    EXPECT_EQ(name(r, 1), "label");
    EXPECT_EQ(r.sqlTypes[1] == 12 || r.sqlTypes[1] == -9, true) << r.sqlTypes[1];
    EXPECT_EQ(r.precisions[1], 20);
    vnDBWin_freeSQLDADescriptorA(&r);
    EXPECT_EQ(r.numColumns, 0);
    EXPECT_EQ(r.names, nullptr);
    EXPECT_EQ(vnDBWin_closeCursorWithID(id), 1);
    EXPECT_EQ(vnDBWin_closeCursorWithID(id), 0);
}

// A caller may write into the record between fetches, or put blocks of its
// own in it: the next fetch delivers the row as though it had not.
TEST_P(Cursors, CallersChangesAreUndoneByTheNextFetch)
{
    short id = openOver("changed", 40,
                        {"1, 'one', 'first note'", "2, 'a label longer than the first', 'second note'",
                         "3, 'three', NULL"});
    ASSERT_NE(id, 0);
    SQLDA r{};
    std::vector<std::string> rows;
    while (vnDBWin_fetchRowByIDA(&r, id) == 1) {
        rows.push_back(name(r, 0) + "," + name(r, 1) + "," + name(r, 2) + "=" + value(r, 0) + "|" +
                       value(r, 1) + "|" + value(r, 2));
        EXPECT_EQ(r.reserved[1], 0);
        static_cast<char*>(r.names[0])[0] = 'X';  // written in place
        std::free(r.names[2]);
        r.names[2] = strdup("n");  // the caller's own, shorter
        std::free(r.values[1]);
        r.values[1] = strdup("");  // the caller's own, shorter than the next value
        static_cast<char*>(r.values[2])[0] = 'Y';
        r.reserved[1] = 7;
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"id,label,note=1|one|first note",
                                              "id,label,note=2|a label longer than the first|second note",
                                              "id,label,note=3|three|"}));
    vnDBWin_freeSQLDADescriptorA(&r);
    EXPECT_EQ(vnDBWin_closeCursorWithID(id), 1);
}

TEST_P(Cursors, WideFetchAndStaticCursor)
{
    std::string t = table("wide");
    run("DROP TABLE IF EXISTS " + t);
    run("CREATE TABLE " + t + " (label VARCHAR(20))");
    run("INSERT INTO " + t + " VALUES ('abc')");
    short id = 0;
    int rc = vnDBWin_openCursorWithIDW(&id, widen("SELECT label FROM " + t).c_str());
    ASSERT_EQ(rc, 0) << errorText(rc);
    SQLDA r{};
    ASSERT_EQ(vnDBWin_fetchRowByIDW(&r, id), 1);
    ASSERT_NE(r.values[0], nullptr) << errorText(-1);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(r.values[0])), u"abc");
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(r.names[0])), u"label");
    EXPECT_EQ(vnDBWin_fetchRowByIDW(&r, id), 0);
    vnDBWin_freeSQLDADescriptorW(&r);
    vnDBWin_closeCursorWithID(id);
}

TEST_P(Cursors, EmptyResultLeavesTheRecordEmpty)
{
    short id = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&id, "SELECT 1 AS one WHERE 1 = 0"), 0) << errorText(-1);
    SQLDA r{};
    EXPECT_EQ(vnDBWin_fetchRowByIDA(&r, id), 0);
    EXPECT_EQ(r.numColumns, 0);
    EXPECT_EQ(r.values, nullptr);
    EXPECT_EQ(vnDBWin_fetchRowByIDA(&r, 999), 0);
}

TEST_P(Cursors, IdsFollowTheirRulesAndThreeAtMost)
{
    short a = 0, b = 0, c = 0, d = 0;
    const char* q = "SELECT 1";
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&a, q), 0);
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&b, q), 0);
    EXPECT_EQ(b, a == 1 ? 2 : b);
    EXPECT_EQ(vnDBWin_closeCursorWithID(a), 1);
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&c, q), 0);
    EXPECT_EQ(c, a);  // the closed ID comes back
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&d, q), 0);
    EXPECT_GT(d, b);  // counted up past the highest
    short refused = -7;
    EXPECT_EQ(vnDBWin_openCursorWithIDA(&refused, q), 0x8000);
    EXPECT_EQ(refused, -7);
    EXPECT_EQ(vnDBWin_closeCursorWithID(b), 1);
    short again = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&again, q), 0);
    EXPECT_EQ(again, b);
    // Only the last closed ID is remembered.
    EXPECT_EQ(vnDBWin_closeCursorWithID(again), 1);
    EXPECT_EQ(vnDBWin_closeCursorWithID(d), 1);
    short e = 0, f = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&e, q), 0);
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&f, q), 0);
    EXPECT_EQ(e, d);
    EXPECT_GT(f, d);
}

TEST_P(Cursors, LongTextValuesAreReadWhole)
{
    std::string t = table("long");
    run("DROP TABLE IF EXISTS " + t);
    // MariaDB's TEXT holds 64 KiB.
    run("CREATE TABLE " + t + (isMariaDb() ? " (body LONGTEXT)" : " (body TEXT)"));
    std::string body;
    for (int k = 0; body.size() < (1u << 20); ++k)
        body += "line " + std::to_string(k) + " of a long text;";
    body.resize(1u << 20);
    run("INSERT INTO " + t + " VALUES ('" + body + "')");
    short id = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&id, ("SELECT body FROM " + t).c_str()), 0) << errorText(-1);
    SQLDA r{};
    ASSERT_EQ(vnDBWin_fetchRowByIDA(&r, id), 1);
    ASSERT_NE(r.values[0], nullptr) << errorText(-1);
    EXPECT_EQ(std::strlen(static_cast<const char*>(r.values[0])), body.size());
    EXPECT_EQ(value(r, 0), body);
    vnDBWin_freeSQLDADescriptorA(&r);
    vnDBWin_closeCursorWithID(id);
    ASSERT_EQ(vnDBWin_openCursorWithIDW(&id, widen("SELECT body FROM " + t).c_str()), 0);
    ASSERT_EQ(vnDBWin_fetchRowByIDW(&r, id), 1);
    ASSERT_NE(r.values[0], nullptr) << errorText(-1);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(r.values[0])), widen(body));
    vnDBWin_freeSQLDADescriptorW(&r);
}

TEST_P(Cursors, NumericPrecisionAndScale)
{
    std::string t = table("num");
    run("DROP TABLE IF EXISTS " + t);
    run("CREATE TABLE " + t + " (amount NUMERIC(10,2))");
    run("INSERT INTO " + t + " VALUES (1234.5)");
    short id = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&id, ("SELECT amount FROM " + t).c_str()), 0);
    SQLDA r{};
    ASSERT_EQ(vnDBWin_fetchRowByIDA(&r, id), 1);
    EXPECT_EQ(r.precisions[0], 10);
    if (GetParam() != "SQLite3") {  // SQLite keeps no scale for the column
        EXPECT_EQ(r.scales[0], 2);
    }
    std::string v = value(r, 0);
    EXPECT_TRUE(v == "1234.50" || v == "1234.5") << v;
    vnDBWin_freeSQLDADescriptorA(&r);
}

TEST_P(Cursors, StatementsThatReturnRowsOrChangeNone)
{
    std::string t = table("stmt");
    run("DROP TABLE IF EXISTS " + t);
    run("CREATE TABLE " + t + " (id INTEGER)");
    EXPECT_EQ(vnDBWin_processSQLA(("INSERT INTO " + t + " VALUES (1)").c_str()), 0);
    EXPECT_EQ(vnDBWin_processSQLA(("UPDATE " + t + " SET id = 2 WHERE id = 99").c_str()), 0);
    EXPECT_EQ(vnDBWin_processSQLW(widen("SELECT * FROM " + t).c_str()), 0);
    EXPECT_EQ(vnDBWin_processSQLA(("INSERT INTO " + t + " VALUES ('not a number', 2)").c_str()), -1);
}

TEST_P(Cursors, DisconnectClosesCursorsButKeepsTheirIds)
{
    short a = 0, b = 0, c = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&a, "SELECT 1"), 0);
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&b, "SELECT 2"), 0);
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&c, "SELECT 3"), 0);
    vnDBWin_disconnectDatabase();
    SQLDA r{};
    EXPECT_EQ(vnDBWin_fetchRowByIDA(&r, a), 0);
    ASSERT_EQ(vnDBWin_attachDatabaseA(connectString(GetParam()).c_str()), 0);
    short d = 0;
    EXPECT_EQ(vnDBWin_openCursorWithIDA(&d, "SELECT 4"), 0x8000);  // still three registered
    EXPECT_EQ(vnDBWin_closeCursorWithID(b), 1);
    EXPECT_EQ(vnDBWin_openCursorWithIDA(&d, "SELECT 4"), 0);
    EXPECT_EQ(d, b);
}

INSTANTIATE_TEST_SUITE_P(Drivers, Cursors, ::testing::ValuesIn(drivers()), parameterName);

TEST(Records, AllocateAndFree)
{
    SQLDA r{};
    r.numColumns = 3;
    void* nullables = vnDBWin_allocateSQLDA(&r);
    ASSERT_NE(nullables, nullptr);
    EXPECT_EQ(nullables, static_cast<void*>(r.nullables));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(r.names[k], nullptr);
    r.names[1] = std::malloc(5);
    vnDBWin_freeSQLDADescriptorA(&r);
    SQLDA zero{};
    EXPECT_EQ(std::memcmp(&r, &zero, sizeof r), 0);
    vnDBWin_freeSQLDADescriptorA(&r);
    vnDBWin_freeSQLDADescriptorA(nullptr);
    EXPECT_EQ(vnDBWin_allocateSQLDA(nullptr), nullptr);
    SQLDA negative{};
    negative.numColumns = -1;
    EXPECT_EQ(vnDBWin_allocateSQLDW(&negative), nullptr);
    void** strings = static_cast<void**>(std::calloc(3, sizeof(void*)));
    strings[0] = std::malloc(3);
    strings[2] = std::malloc(3);
    vnDBWin_freeStringsArrayW(strings, 3);
    vnDBWin_freeStringsArrayA(nullptr, 3);
}
