// Cursors that fetch in blocks deliver exactly what the general path (one
// SQLGetData per value) delivers, on every driver and both text widths; the
// drivers and modes that fetch differently keep the general path.
#include "db_fixture.h"

#include "db/active_database.h"
#include "db/cursor_rows.h"
#include "db/statement_handle.h"
#include "frame/utf.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace dbtest;

namespace {

enum class Engine { SQLite, Postgres, MariaDB };

struct Way {
    std::string label;
    Engine engine;
    std::string driver;  // as dbtest::connectString takes it, or empty for MariaDB
    std::string extra;   // more connect-string entries
    bool wide;
    bool blocks;  // whether the cursor is expected to fetch in blocks
};

std::string mariadbPort()
{
    const char* port = std::getenv("PELUND_MARIADB_PORT");
    return port ? port : "";
}

std::string connectionOf(const Way& w)
{
    if (w.engine == Engine::MariaDB)
        return "DRIVER=" PELUND_MARIADB_ODBC ";Server=127.0.0.1;Port=" + mariadbPort() +
               ";Database=pelund;UID=pelund;PWD=pelund;" + w.extra;
    return connectString(w.driver, w.extra);
}

// A text literal of UTF-8 TEXT. The MariaDB driver reads past the end of a
// UTF-16 statement holding characters it counts short, so for MariaDB the
// statement stays ASCII and the text goes in as hexadecimal bytes.
std::string literal(Engine engine, const std::string& text)
{
    if (engine != Engine::MariaDB)
        return "'" + text + "'";
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return "_utf8mb4 X'" + hex + "'";
}

using Row = std::vector<std::u16string>;

struct Result {
    std::vector<std::u16string> names;
    std::vector<int> types, precisions, scales;
    std::vector<Row> rows;
};

std::u16string text(const SQLDA& r, int i, bool wide)
{
    if (!r.values[i])
        return u"<unread>";
    if (wide)
        return static_cast<const char16_t*>(r.values[i]);
    std::string narrow = static_cast<const char*>(r.values[i]);
    return std::u16string(narrow.begin(), narrow.end());  // byte for byte
}

void take(Result& out, const SQLDA& r, bool wide)
{
    if (out.names.empty())
        for (int i = 0; i < r.numColumns; ++i) {
            out.names.push_back(wide ? std::u16string(static_cast<const char16_t*>(r.names[i]))
                                     : widen(static_cast<const char*>(r.names[i])));
            out.types.push_back(r.sqlTypes[i]);
            out.precisions.push_back(r.precisions[i]);
            out.scales.push_back(r.scales[i]);
        }
    Row row;
    for (int i = 0; i < r.numColumns; ++i)
        row.push_back(text(r, i, wide));
    out.rows.push_back(row);
}

// The general path: a cursor of the library's own kind without a block,
// read the way the catalog reads its result sets.
Result throughGeneralPath(const std::string& query, bool wide)
{
    pelund::ActiveDatabase& db = pelund::activeDatabase();
    pelund::Cursor set;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocStmt(db.hdbc, &set.hstmt)));
    std::u16string q = widen(query);
    EXPECT_TRUE(SQL_SUCCEEDED(SQLExecDirectW(set.hstmt, pelund::sqlText(q), SQL_NTS)));
    pelund::describeColumns(set, db.hdbc);
    pelund::advance(set, db.hdbc);
    Result out;
    SQLDA r{};
    while (!set.atEnd) {
        vnDBWin_freeSQLDADescriptorA(&r);
        EXPECT_EQ(wide ? pelund::fillRowW(&r, &set) : pelund::fillRowA(&r, &set), 0);
        take(out, r, wide);
        pelund::advance(set, db.hdbc);
    }
    vnDBWin_freeSQLDADescriptorA(&r);
    return out;
}

// Through the exported cursor functions; FIRST_ROWS > 0 closes the cursor
// after so many rows and reads the result again from a new cursor.
Result throughCursor(const std::string& query, bool wide, bool blocks, int firstRows = 0)
{
    Result out;
    short id = 0;
    int rc = wide ? vnDBWin_openCursorWithIDW(&id, widen(query).c_str())
                  : vnDBWin_openCursorWithIDA(&id, query.c_str());
    EXPECT_EQ(rc, 0) << errorText(rc);
    if (rc != 0)
        return out;
    EXPECT_EQ(pelund::activeDatabase().cursors.at(uint16_t(id))->block != nullptr, blocks);
    SQLDA r{};
    if (firstRows > 0) {
        for (int k = 0; k < firstRows; ++k)
            EXPECT_EQ(wide ? vnDBWin_fetchRowByIDW(&r, id) : vnDBWin_fetchRowByIDA(&r, id), 1);
        EXPECT_EQ(vnDBWin_closeCursorWithID(id), 1);
        vnDBWin_freeSQLDADescriptorA(&r);
        return throughCursor(query, wide, blocks);
    }
    while ((wide ? vnDBWin_fetchRowByIDW(&r, id) : vnDBWin_fetchRowByIDA(&r, id)) == 1)
        take(out, r, wide);
    vnDBWin_freeSQLDADescriptorA(&r);
    EXPECT_EQ(vnDBWin_closeCursorWithID(id), 1);
    return out;
}

void expectSame(const Result& general, const Result& block)
{
    EXPECT_EQ(block.names, general.names);
    EXPECT_EQ(block.types, general.types);
    EXPECT_EQ(block.precisions, general.precisions);
    EXPECT_EQ(block.scales, general.scales);
    ASSERT_EQ(block.rows.size(), general.rows.size());
    for (size_t k = 0; k < general.rows.size(); ++k)
        for (size_t i = 0; i < general.rows[k].size() && i < block.rows[k].size(); ++i) {
            const std::u16string &a = block.rows[k][i], &b = general.rows[k][i];
            size_t at = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
            EXPECT_EQ(a, b) << "row " << k << ", column " << i << ", from unit " << at << " of "
                            << a.size() << " and " << b.size();
        }
}

class BlockFetch : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override
    {
        const Way& w = GetParam();
        if (w.engine == Engine::Postgres && !postgresRunning())
            GTEST_SKIP() << "no PostgreSQL server: scripts/test starts one and sets PELUND_PG_PORT";
        if (w.engine == Engine::MariaDB && mariadbPort().empty())
            GTEST_SKIP() << "no MariaDB server: set PELUND_MARIADB_PORT to one with a database "
                            "\"pelund\"";
        int rc = vnDBWin_attachDatabaseA(connectionOf(w).c_str());
        ASSERT_EQ(rc, 0) << errorText(rc);
    }
    void TearDown() override
    {
        for (int id = 1; id < 40; ++id)
            vnDBWin_closeCursorWithID(id);
        vnDBWin_disconnectDatabase();
    }
    // STATEMENT is UTF-8 text.
    void run(const std::string& statement)
    {
        int rc = vnDBWin_processSQLW(pelund::utf8ToUtf16(statement).c_str());
        ASSERT_EQ(rc, 0) << statement.substr(0, 200) << "\n" << errorText(rc).substr(0, 400);
    }
    std::string table(const std::string& stem) const
    {
        return stem + "_" + std::to_string(getpid());
    }
    std::string binary(const std::string& hex) const
    {
        return GetParam().engine == Engine::Postgres ? "decode('" + hex + "', 'hex')"
                                                     : "X'" + hex + "'";
    }
    // A table of every kind of value, one row per case.
    std::string valuesTable()
    {
        const Way& w = GetParam();
        std::string t = table("blockvalues");
        std::string binaryType = w.engine == Engine::Postgres  ? "BYTEA"
                                 : w.engine == Engine::SQLite ? "BLOB"
                                                                : "VARBINARY(16)";
        std::string stampType = w.engine == Engine::MariaDB ? "DATETIME(6)" : "TIMESTAMP";
        std::string charset = w.engine == Engine::MariaDB ? " DEFAULT CHARSET=utf8mb4" : "";
        run("DROP TABLE IF EXISTS " + t);
        run("CREATE TABLE " + t + " (id INTEGER, label VARCHAR(40), body TEXT, data " +
            binaryType + ", day DATE, moment " + stampType +
            ", amount DECIMAL(10,2), ratio DOUBLE PRECISION, big BIGINT)" + charset);
        // The ANSI driver takes 8-bit text only.
        bool ascii = w.driver == "PostgreSQL ANSI";
        std::string name = ascii ? "Orsted" : "Ørsted", mark = ascii ? "tsuke" : "付け";
        std::string longText;
        while (longText.size() < 5000)
            longText += "line " + std::to_string(longText.size()) + " of a long text; ";
        std::vector<std::string> rows{
            "1, 'plain', 'short', " + binary("00ff10") +
                ", '2024-02-29', '2024-02-29 13:45:30', 1234.5, 0.1, "
                "9007199254740993",
            "2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL",
            "3, '', '', " + binary("") + ", '1969-12-31', '2040-01-01 00:00:00', "
                "-0.01, -1.5e300, -1",
            "4, " + literal(w.engine, name) + ", '" + longText + "', " + binary("deadbeef") +
                ", '2000-01-01', '2000-01-01 00:00:01', 99999999.99, 3, 0",
            "5, " + literal(w.engine, mark + " " + name) + ", " + literal(w.engine, name) + ", " + binary("7f") +
                ", '1999-12-31', '1999-12-31 23:59:59', 0, 2.5, 42"};
        for (const std::string& row : rows)
            run("INSERT INTO " + t + " VALUES (" + row + ")");
        return t;
    }
    // COUNT rows of bounded columns only, so that drivers that can fetch
    // many rows at once do.
    std::string numbersTable(int count)
    {
        std::string t = table("blocknumbers");
        run("DROP TABLE IF EXISTS " + t);
        run("CREATE TABLE " + t + " (id INTEGER, amount DECIMAL(10,2), tag VARCHAR(12))");
        std::string insert;
        for (int k = 1; k <= count; ++k) {
            insert += (insert.empty() ? "INSERT INTO " + t + " VALUES " : ", ") + std::string("(") +
                      std::to_string(k) + ", " + std::to_string(k) + ".25, " +
                      (k % 10 == 0 ? "NULL" : "'tag" + std::to_string(k) + "'") + ")";
            if (k % 100 == 0 || k == count) {
                run(insert);
                insert.clear();
            }
        }
        return t;
    }
};

TEST_P(BlockFetch, EveryKindOfValueAsTheGeneralPathGivesIt)
{
    const Way& w = GetParam();
    std::string query = "SELECT * FROM " + valuesTable() + " ORDER BY id";
    Result general = throughGeneralPath(query, w.wide);
    ASSERT_EQ(general.rows.size(), 5u);
    expectSame(general, throughCursor(query, w.wide, w.blocks));
    // A sample of the general path's own results, so that both cannot drift
    // together: NULL and empty give empty texts, long text arrives whole.
    EXPECT_EQ(general.rows[1][1], u"");
    EXPECT_EQ(general.rows[2][1], u"");
    EXPECT_GE(general.rows[3][2].size(), 5000u);
    if (w.wide && w.engine != Engine::SQLite && w.driver != "PostgreSQL ANSI") {
        EXPECT_EQ(general.rows[3][1], u"Ørsted");
        EXPECT_EQ(general.rows[4][1], u"付け Ørsted");
    }
}

TEST_P(BlockFetch, EmptyResultEndingMidBlockAndReopened)
{
    const Way& w = GetParam();
    std::string t = numbersTable(300);
    std::string query = "SELECT id, amount, tag FROM " + t + " ORDER BY id";
    Result general = throughGeneralPath(query, w.wide);
    ASSERT_EQ(general.rows.size(), 300u);
    expectSame(general, throughCursor(query, w.wide, w.blocks));
    expectSame(general, throughCursor(query, w.wide, w.blocks, 7));
    std::string none = "SELECT id, tag FROM " + t + " WHERE id < 0";
    Result empty = throughCursor(none, w.wide, w.blocks);
    EXPECT_TRUE(empty.rows.empty());
    SQLDA r{};
    short id = 0;
    ASSERT_EQ(vnDBWin_openCursorWithIDA(&id, none.c_str()), 0);
    EXPECT_EQ(vnDBWin_fetchRowByIDA(&r, id), 0);
    EXPECT_EQ(r.numColumns, 0);  // untouched
}

// Long texts here and there among short ones, NULLs and empty texts, over
// several blocks: each is read again on its own row where a block of many
// rows holds only its start.
TEST_P(BlockFetch, LongTextsAmongShortOnesOverManyBlocks)
{
    const Way& w = GetParam();
    std::string t = table("blocktexts");
    run("DROP TABLE IF EXISTS " + t);
    run("CREATE TABLE " + t + " (id INTEGER, body TEXT, tail VARCHAR(8))");
    std::string insert;
    for (int k = 1; k <= 600; ++k) {
        std::string body = "'row " + std::to_string(k);
        if (k % 7 == 0)
            body += std::string(size_t(250 + k * 3 % 900), char('a' + k % 26));
        body = k % 11 == 0 ? "NULL" : k % 13 == 0 ? "''" : body + "'";
        insert += (insert.empty() ? "INSERT INTO " + t + " VALUES " : ", ") + std::string("(") +
                  std::to_string(k) + ", " + body + ", 't" + std::to_string(k % 100) + "')";
        if (k % 100 == 0) {
            run(insert);
            insert.clear();
        }
    }
    std::string query = "SELECT id, body, tail FROM " + t + " ORDER BY id";
    Result general = throughGeneralPath(query, w.wide);
    ASSERT_EQ(general.rows.size(), 600u);
    EXPECT_EQ(general.rows[6][1].size(), 5u + 271u);
    expectSame(general, throughCursor(query, w.wide, w.blocks));
    expectSame(general, throughCursor(query, w.wide, w.blocks, 300));
}

// Values read in the other width than the cursor's block holds.
TEST_P(BlockFetch, OtherWidthThanOpened)
{
    const Way& w = GetParam();
    std::string query = "SELECT id, label FROM " + valuesTable() + " WHERE id <> 4 ORDER BY id";
    Result general = throughGeneralPath(query, !w.wide);
    short id = 0;
    ASSERT_EQ(w.wide ? vnDBWin_openCursorWithIDW(&id, widen(query).c_str())
                     : vnDBWin_openCursorWithIDA(&id, query.c_str()),
              0);
    Result other;
    SQLDA r{};
    while ((w.wide ? vnDBWin_fetchRowByIDA(&r, id) : vnDBWin_fetchRowByIDW(&r, id)) == 1)
        take(other, r, !w.wide);
    vnDBWin_freeSQLDADescriptorA(&r);
    ASSERT_EQ(other.rows.size(), general.rows.size());
    for (size_t k = 0; k < general.rows.size(); ++k)
        EXPECT_EQ(other.rows[k][0], general.rows[k][0]);
}

std::vector<Way> ways()
{
    std::vector<Way> all;
    for (bool wide : {false, true}) {
        std::string form = wide ? "W" : "A";
        all.push_back({"SQLite3" + form, Engine::SQLite, "SQLite3", "", wide, true});
        // The ANSI driver refuses UTF-16 values: those keep the general path.
        all.push_back({"PostgreSQLANSI" + form, Engine::Postgres, "PostgreSQL ANSI", "", wide, !wide});
        all.push_back({"PostgreSQLUnicode" + form, Engine::Postgres, "PostgreSQL Unicode", "", wide, true});
        all.push_back({"PostgreSQLDeclareFetch" + form, Engine::Postgres, "PostgreSQL Unicode",
                       "UseDeclareFetch=1;Fetch=4;", wide, false});
        all.push_back({"MariaDB" + form, Engine::MariaDB, "", "", wide, true});
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Drivers, BlockFetch, ::testing::ValuesIn(ways()),
                         [](const ::testing::TestParamInfo<Way>& info) { return info.param.label; });

}  // namespace

// The MariaDB driver reports UTF-16 lengths one unit short after characters
// such as Ø or 付; the values still arrive whole, in blocks and without.
TEST(MariaDBLengths, ValuesArriveWholeAfterCharactersReportedShort)
{
    if (mariadbPort().empty())
        GTEST_SKIP() << "no MariaDB server: set PELUND_MARIADB_PORT to one with a database "
                        "\"pelund\"";
    Way w{"MariaDB", Engine::MariaDB, "", "", true, true};
    ASSERT_EQ(vnDBWin_attachDatabaseA(connectionOf(w).c_str()), 0) << errorText(-1);
    std::string t = "lengths_" + std::to_string(getpid());
    auto run = [](const std::string& statement) {
        int rc = vnDBWin_processSQLW(pelund::utf8ToUtf16(statement).c_str());
        ASSERT_EQ(rc, 0) << statement << "\n" << errorText(rc);
    };
    run("DROP TABLE IF EXISTS " + t);
    run("CREATE TABLE " + t + " (id INTEGER, v VARCHAR(700)) DEFAULT CHARSET=utf8mb4");
    auto m = [](const std::string& text) { return literal(Engine::MariaDB, text); };
    run("INSERT INTO " + t + " VALUES (1, " + m("Ørsted") + "), (2, " + m("付け") + "), (3, " +
        m("Ø付Ø") + "), (4, REPEAT(" + m("Ørsted 付け ") + ", 60)), (5, CONCAT(REPEAT('x', 254), " +
        m("Ø") + ")), (6, CONCAT(REPEAT('x', 255), " + m("Ø") + ")), (7, CONCAT(REPEAT(" + m("Ø") +
        ", 300), 'end'))");
    std::u16string repeated, many;
    for (int k = 0; k < 60; ++k)
        repeated += u"Ørsted 付け ";
    for (int k = 0; k < 300; ++k)
        many += u"Ø";
    std::vector<Row> expected{{u"Ørsted"},
                              {u"付け"},
                              {u"Ø付Ø"},
                              {repeated},
                              {std::u16string(254, u'x') + u"Ø"},
                              {std::u16string(255, u'x') + u"Ø"},
                              {many + u"end"}};
    std::string query = "SELECT v FROM " + t + " ORDER BY id";
    auto expectRows = [&](const Result& got, const std::vector<size_t>& which) {
        ASSERT_EQ(got.rows.size(), expected.size());
        for (size_t k : which)
            EXPECT_EQ(got.rows[k][0], expected[k][0])
                << "row " << k << ": " << got.rows[k][0].size() << " units";
    };
    // Read a part at a time, a long value with many such characters is
    // clipped by the driver itself to the length it counts (rows 3 and 6);
    // a buffer sized from the column's description holds it whole.
    expectRows(throughGeneralPath(query, true), {0, 1, 2, 4, 5});
    expectRows(throughCursor(query, true, true), {0, 1, 2, 3, 4, 5, 6});
    // Bounded columns only: many rows to a block.
    std::string shortOnes = "SELECT CAST(v AS CHAR(10)) FROM " + t + " WHERE id < 4 ORDER BY id";
    expected.resize(3);
    EXPECT_EQ(throughCursor(shortOnes, true, true).rows, expected);
    run("DROP TABLE " + t);
    vnDBWin_disconnectDatabase();
}
