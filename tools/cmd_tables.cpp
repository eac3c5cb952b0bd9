#include "cli.h"
#include "listing.h"

#include "db/create_statement.h"
#include "pelund/database_tables.h"
#include "platform/code_page.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace {

struct TableOptions {
    std::string connect, table;
    bool json = false;
};

struct CopyOptions {
    std::string source, sourceTable, destination, destinationTable;
    bool replace = false;
};

// The name of an ODBC SQL type code.
std::string typeName(int code)
{
    switch (code) {
    case 1: return "CHAR";
    case 2: return "NUMERIC";
    case 3: return "DECIMAL";
    case 4: return "INTEGER";
    case 5: return "SMALLINT";
    case 6: return "FLOAT";
    case 7: return "REAL";
    case 8: return "DOUBLE";
    case 9: return "DATE";
    case 10: return "TIME";
    case 11: return "TIMESTAMP";
    case 12: return "VARCHAR";
    case 91: return "TYPE_DATE";
    case 92: return "TYPE_TIME";
    case 93: return "TYPE_TIMESTAMP";
    case -1: return "LONGVARCHAR";
    case -2: return "BINARY";
    case -3: return "VARBINARY";
    case -4: return "LONGVARBINARY";
    case -5: return "BIGINT";
    case -6: return "TINYINT";
    case -7: return "BIT";
    case -8: return "WCHAR";
    case -9: return "WVARCHAR";
    case -10: return "WLONGVARCHAR";
    case -11: return "GUID";
    default: return "UNKNOWN";
    }
}

const char* nullableName(int code)
{
    return code == 0 ? "no" : code == 1 ? "yes" : "unknown";
}

// Tells whether the connected database has TABLE; a missing table is said
// on stderr.
bool hasTable(const std::string& table, const char* where)
{
    if (vnDBWin_findTableA(table.c_str()))
        return true;
    std::fprintf(stderr, "pelund: no table '%s' in %s\n", table.c_str(), where);
    return false;
}

// Lists the catalog of the database.
int runTables(const TableOptions& o)
{
    if (int status = cli::attachDatabase(o.connect))
        return status;
    char** names = nullptr;
    int count = 0;
    int ok = vnDBWin_describeDatabaseA(&names, &count);
    cli::Listing listing{{"table"}, {}};
    for (int k = 0; ok && k < count; ++k)
        listing.rows.push_back({names[k] ? cli::Cell(names[k]) : std::nullopt});
    vnDBWin_freeStringsArrayA(reinterpret_cast<void**>(names), count);
    vnDBWin_disconnectDatabase();
    if (!ok)
        return cli::databaseFailure(-1, "the catalog could not be read");
    cli::print(listing, o.json);
    return cli::success;
}

// Connects to the database of O, and runs WORK when it has O's table (a
// missing table is the negative answer).
int withTable(const TableOptions& o, const std::function<int()>& work)
{
    if (int status = cli::attachDatabase(o.connect))
        return status;
    int status = hasTable(o.table, "the database") ? work() : cli::negative;
    vnDBWin_disconnectDatabase();
    return status;
}

// Lists the columns of TABLE: name, SQL type by name and code, size,
// scale, nullability.
int describe(const TableOptions& o)
{
    SQLDA r{};
    int rc = vnDBWin_describeTableA(&r, o.table.c_str());
    cli::Listing listing{{"column", "type", "type_code", "size", "scale", "nullable"}, {}};
    for (int c = 0; rc == 0 && c < r.numColumns; ++c)
        listing.rows.push_back({static_cast<const char*>(r.names[c]), typeName(r.sqlTypes[c]),
                                std::to_string(r.sqlTypes[c]), std::to_string(r.precisions[c]),
                                std::to_string(r.scales[c]), nullableName(r.nullables[c])});
    vnDBWin_freeSQLDADescriptorA(&r);
    if (rc != 0)
        return cli::databaseFailure(rc, "table '" + o.table + "' could not be described");
    cli::print(listing, o.json);
    return cli::success;
}

int runDescribe(const TableOptions& o)
{
    return withTable(o, [&] { return describe(o); });
}

// Checks the tables on both sides before a copy: the source must exist,
// the destination only with --replace.
int checkCopy(const CopyOptions& o)
{
    if (int status = cli::attachDatabase(o.source))
        return status;
    bool found = hasTable(o.sourceTable, "the source database");
    vnDBWin_disconnectDatabase();
    if (!found)
        return cli::failure;
    if (int status = cli::attachDatabase(o.destination))
        return status;
    bool exists = vnDBWin_findTableA(o.destinationTable.c_str());
    vnDBWin_disconnectDatabase();
    if (exists && !o.replace)
        return cli::fail("table '" + o.destinationTable +
                         "' exists in the destination database; --replace replaces it");
    return cli::success;
}

// The rows of TABLE in the connected database, or -1.
long rowCount(const std::string& table)
{
    short id = 0;
    if (vnDBWin_openCursorWithIDA(&id, ("SELECT COUNT(*) FROM " + table).c_str()) != 0)
        return -1;
    SQLDA row{};
    long count = -1;
    if (vnDBWin_fetchRowByIDA(&row, id) == 1 && row.numColumns == 1 && row.values[0])
        count = std::strtol(static_cast<const char*>(row.values[0]), nullptr, 10);
    vnDBWin_freeSQLDADescriptorA(&row);
    vnDBWin_closeCursorWithID(id);
    return count;
}

// Copies a table between two databases through memory.
int runCopy(const CopyOptions& o)
{
    if (int status = checkCopy(o))
        return status;
    auto start = std::chrono::steady_clock::now();
    char16_t error[512] = {};
    int rc = vnDBWin_copyTableExtW(pelund::codePageToUtf16(o.source.c_str()).c_str(),
                                   pelund::codePageToUtf16(o.sourceTable.c_str()).c_str(),
                                   pelund::codePageToUtf16(o.destination.c_str()).c_str(),
                                   pelund::codePageToUtf16(o.destinationTable.c_str()).c_str(),
                                   nullptr, error);
    std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    long rows = rc == 0 ? rowCount(o.destinationTable) : -1;
    vnDBWin_disconnectDatabase();
    if (rc != 0) {
        std::string message = pelund::utf16ToCodePage(error);
        return cli::fail(message.empty() ? "the copy failed" : message);
    }
    std::printf("%ld rows copied in %.3f s\n", rows, taken.count());
    return cli::success;
}

// Prints the CREATE TABLE text that a table shaped like TABLE would get on
// this database's driver, without running it.
int createSql(const TableOptions& o)
{
    std::u16string table = pelund::codePageToUtf16(o.table.c_str());
    SQLDA r{};
    int rc = vnDBWin_describeTableW(&r, table.c_str());
    if (rc == 0)
        std::printf("%s\n", pelund::utf16ToCodePage(pelund::createStatement(table, r, u"")).c_str());
    vnDBWin_freeSQLDADescriptorW(&r);
    return rc == 0 ? cli::success : cli::databaseFailure(rc, "table '" + o.table + "' could not be described");
}

int runCreateSql(const TableOptions& o)
{
    return withTable(o, [&] { return createSql(o); });
}

CLI::App* tableCommand(CLI::App& app, int& status, const char* name, const char* about,
                       int (*run)(const TableOptions&))
{
    auto o = std::make_shared<TableOptions>();
    CLI::App* c = cli::addCommand(app, status, name, about, [o, run] { return run(*o); });
    c->add_option("CONNECT_STRING", o->connect, "ODBC connect string")->required();
    if (run != runTables)
        c->add_option("TABLE", o->table, "table name")->required();
    if (run != runCreateSql)
        c->add_flag("--json", o->json, "print JSON");
    return c;
}

}  // namespace

void addTableCommands(CLI::App& app, int& status)
{
    tableCommand(app, status, "tables", "List the tables of the database", runTables);
    tableCommand(app, status, "describe", "List the columns of TABLE", runDescribe);
    tableCommand(app, status, "create-sql", "Print the CREATE TABLE text for a table like TABLE",
                 runCreateSql);

    auto o = std::make_shared<CopyOptions>();
    CLI::App* c = cli::addCommand(app, status, "copy", "Copy a table from one database into another",
                                  [o] { return runCopy(*o); });
    c->add_option("SRC_CONNECT", o->source, "connect string of the source")->required();
    c->add_option("SRC_TABLE", o->sourceTable, "the table to copy")->required();
    c->add_option("DST_CONNECT", o->destination, "connect string of the destination")->required();
    c->add_option("DST_TABLE", o->destinationTable, "the new table")->required();
    c->add_flag("--replace", o->replace, "replace an existing destination table");
}
