#include "cli.h"
#include "listing.h"

#include "frame/ascii.h"
#include "pelund/database.h"

#include <memory>
#include <string>

namespace cli {

int attachDatabase(const std::string& connect)
{
    int rc = vnDBWin_attachDatabaseA(connect.c_str());
    if (rc == 0)
        return success;
    return databaseFailure(rc, "cannot connect to the database");
}

}  // namespace cli

namespace {

struct SqlOptions {
    std::string connect, statement;
    bool json = false;
};

bool isQuery(const std::string& s)
{
    return (!s.empty() && s[0] == '{') || pelund::startsWithAsciiUpper(std::string_view(s), std::string_view("SELECT"));
}

// Runs a query and lists its rows under their column names. The library
// delivers the names with the rows, so a result without rows prints only
// the empty JSON array, or nothing.
int query(const SqlOptions& o)
{
    short id = 0;
    int rc = vnDBWin_openCursorWithIDA(&id, o.statement.c_str());
    if (rc != 0)
        return cli::databaseFailure(rc, "the query failed");
    cli::Listing listing;
    SQLDA row{};
    while (vnDBWin_fetchRowByIDA(&row, id) == 1) {
        if (listing.columns.empty())
            for (int c = 0; c < row.numColumns; ++c)
                listing.columns.push_back(static_cast<const char*>(row.names[c]));
        std::vector<cli::Cell> cells;
        for (int c = 0; c < row.numColumns; ++c) {
            const char* v = static_cast<const char*>(row.values[c]);
            cells.push_back(v ? cli::Cell(v) : std::nullopt);
        }
        listing.rows.push_back(std::move(cells));
    }
    vnDBWin_freeSQLDADescriptorA(&row);
    vnDBWin_closeCursorWithID(id);
    if (!listing.columns.empty() || o.json)
        cli::print(listing, o.json);
    return cli::success;
}

// Runs STATEMENT on the database of CONNECT_STRING.
int runSql(const SqlOptions& o)
{
    if (int status = cli::attachDatabase(o.connect))
        return status;
    int status = cli::success;
    if (isQuery(o.statement)) {
        status = query(o);
    } else {
        int rc = vnDBWin_processSQLA(o.statement.c_str());
        if (rc != 0)
            status = cli::databaseFailure(rc, "the statement failed");
    }
    vnDBWin_disconnectDatabase();
    return status;
}

}  // namespace

void addSqlCommands(CLI::App& app, int& status)
{
    auto o = std::make_shared<SqlOptions>();
    CLI::App* c = cli::addCommand(app, status, "sql", "Run STATEMENT; a query lists its rows",
                                  [o] { return runSql(*o); });
    c->add_option("CONNECT_STRING", o->connect, "ODBC connect string")->required();
    c->add_option("STATEMENT", o->statement, "SQL statement")->required();
    c->add_flag("--json", o->json, "print JSON");
}
