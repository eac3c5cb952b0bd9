#include "cli.h"

#include "pelund/database.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool isQuery(const std::string& s)
{
    if (!s.empty() && s[0] == '{')
        return true;
    std::string head = s.substr(0, 6);
    for (char& c : head)
        c = char(toupper((unsigned char)c));
    return head == "SELECT";
}

}  // namespace

// Runs STATEMENT on the database of CONNECT_STRING; a query's rows are
// printed under their column names, separated by tabs.
int cmdSql(const cli::Args& args)
{
    if (args.positional.size() != 2)
        return cli::usageError("sql CONNECT_STRING STATEMENT");
    int rc = vnDBWin_attachDatabaseA(args.positional[0].c_str());
    if (rc != 0)
        return cli::reportFailure(rc);
    const std::string& statement = args.positional[1];
    int status = 0;
    if (!isQuery(statement)) {
        rc = vnDBWin_processSQLA(statement.c_str());
        if (rc != 0)
            status = cli::reportFailure(rc);
    } else {
        short id = 0;
        rc = vnDBWin_openCursorWithIDA(&id, statement.c_str());
        if (rc != 0) {
            status = cli::reportFailure(rc);
        } else {
            SQLDA row{};
            bool header = false;
            while (vnDBWin_fetchRowByIDA(&row, id) == 1) {
                if (!header) {
                    for (int c = 0; c < row.numColumns; ++c)
                        std::printf("%s%s", c ? "\t" : "", static_cast<const char*>(row.names[c]));
                    std::printf("\n");
                    header = true;
                }
                for (int c = 0; c < row.numColumns; ++c) {
                    const char* v = static_cast<const char*>(row.values[c]);
                    std::printf("%s%s", c ? "\t" : "", v ? v : "?");
                }
                std::printf("\n");
            }
            vnDBWin_freeSQLDADescriptorA(&row);
            vnDBWin_closeCursorWithID(id);
        }
    }
    vnDBWin_disconnectDatabase();
    return status;
}
