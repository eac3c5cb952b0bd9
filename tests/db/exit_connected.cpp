// Connects, opens a cursor and exits without closing anything: the library
// closes the connection as it is unloaded and the process exits cleanly.
#include "pelund/database.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main()
{
    setenv("ODBCSYSINI", PELUND_ODBC_DIR, 1);
    std::string connect = "DRIVER={SQLite3};Database=" PELUND_ODBC_DIR "/exit.db;";
    if (const char* port = std::getenv("PELUND_PG_PORT"))
        connect = std::string("DRIVER={PostgreSQL Unicode};Servername=127.0.0.1;Port=") + port +
                  ";Database=pelund;UID=pelund;PWD=pelund;";
    if (vnDBWin_attachDatabaseA(connect.c_str()) != 0) {
        std::fprintf(stderr, "attach failed\n");
        return 1;
    }
    short id = 0;
    if (vnDBWin_openCursorWithIDA(&id, "SELECT 1") != 0)
        return 1;
    return 0;
}
