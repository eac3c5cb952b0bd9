#include "cli.h"

#include "frame/utf.h"

#include "db/create_statement.h"
#include "pelund/database_tables.h"

#include <cstdio>
#include <string>

namespace {

bool attach(const std::string& connect)
{
    int rc = vnDBWin_attachDatabaseA(connect.c_str());
    if (rc != 0)
        cli::reportFailure(rc);
    return rc == 0;
}

}  // namespace

// Lists the catalog of the database, one name per line.
int cmdTables(const cli::Args& args)
{
    if (args.positional.size() != 1)
        return cli::usageError("tables CONNECT_STRING");
    if (!attach(args.positional[0]))
        return 1;
    char** names = nullptr;
    int count = 0;
    int ok = vnDBWin_describeDatabaseA(&names, &count);
    for (int k = 0; ok && k < count; ++k)
        std::printf("%s\n", names[k]);
    vnDBWin_freeStringsArrayA(reinterpret_cast<void**>(names), count);
    vnDBWin_disconnectDatabase();
    return ok ? 0 : cli::reportFailure(-1);
}

// Prints the columns of TABLE: name, SQL type, size, scale, nullability.
int cmdDescribe(const cli::Args& args)
{
    if (args.positional.size() != 2)
        return cli::usageError("describe CONNECT_STRING TABLE");
    if (!attach(args.positional[0]))
        return 1;
    SQLDA r{};
    int rc = vnDBWin_describeTableA(&r, args.positional[1].c_str());
    if (rc == 0) {
        std::printf("column\ttype\tsize\tscale\tnullable\n");
        for (int c = 0; c < r.numColumns; ++c)
            std::printf("%s\t%d\t%d\t%d\t%d\n", static_cast<const char*>(r.names[c]), r.sqlTypes[c],
                        int16_t(r.precisions[c]), r.scales[c], r.nullables[c]);
    }
    vnDBWin_freeSQLDADescriptorA(&r);
    vnDBWin_disconnectDatabase();
    return rc == 0 ? 0 : cli::reportFailure(rc);
}

// Copies a table between two databases through memory.
int cmdCopy(const cli::Args& args)
{
    if (args.positional.size() != 4)
        return cli::usageError("copy SRC_CONNECT SRC_TABLE DST_CONNECT DST_TABLE");
    char16_t error[512] = {};
    int rc = vnDBWin_copyTableExtW(pelund::utf8ToUtf16(args.positional[0]).c_str(),
                                   pelund::utf8ToUtf16(args.positional[1]).c_str(),
                                   pelund::utf8ToUtf16(args.positional[2]).c_str(),
                                   pelund::utf8ToUtf16(args.positional[3]).c_str(), nullptr, error);
    vnDBWin_disconnectDatabase();
    if (rc != 0) {
        std::fprintf(stderr, "pelund: copy failed (%d): %s\n", rc, pelund::utf16ToUtf8(error).c_str());
        return 1;
    }
    std::printf("copied\n");
    return 0;
}

// Prints the CREATE TABLE text that a table shaped like TABLE would get on
// this database's driver, without running it.
int cmdCreateSql(const cli::Args& args)
{
    if (args.positional.size() != 2)
        return cli::usageError("create-sql CONNECT_STRING TABLE");
    if (!attach(args.positional[0]))
        return 1;
    std::u16string table = pelund::utf8ToUtf16(args.positional[1]);
    SQLDA r{};
    int rc = vnDBWin_describeTableW(&r, table.c_str());
    if (rc == 0)
        std::printf("%s\n", pelund::utf16ToUtf8(pelund::createStatement(table, r, u"")).c_str());
    vnDBWin_freeSQLDADescriptorW(&r);
    vnDBWin_disconnectDatabase();
    return rc == 0 ? 0 : cli::reportFailure(rc);
}
