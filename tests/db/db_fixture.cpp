#include "db_fixture.h"

#include <cstdlib>
#include <unistd.h>

namespace dbtest {
namespace {

// unixODBC reads its ini files once per process: point it at ours before
// the first ODBC call.
const bool environmentSet = [] {
    setenv("ODBCSYSINI", PELUND_ODBC_DIR, 1);
    setenv("ODBCINI", PELUND_ODBC_DIR "/odbc.ini", 1);
    return true;
}();

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

bool postgresRunning() { return !env("PELUND_PG_PORT").empty(); }
bool mariaDbRunning() { return !env("PELUND_MARIADB_PORT").empty(); }
bool isMariaDb(const Driver& driver) { return driver == kMariaDb || driver == kMariaDbAsMySql; }
bool isPostgres(const Driver& driver) { return driver.rfind("PostgreSQL", 0) == 0; }

bool serverRunning(const Driver& driver)
{
    if (isMariaDb(driver))
        return mariaDbRunning();
    if (isPostgres(driver))
        return postgresRunning();
    return true;
}

std::vector<Driver> drivers()
{
    (void)environmentSet;
    return {"SQLite3", "PostgreSQL ANSI", "PostgreSQL Unicode", kMariaDb};
}

std::string connectString(const Driver& driver, const std::string& extra)
{
    if (driver == "SQLite3")
        return "DRIVER={SQLite3};Database=" PELUND_ODBC_DIR "/test-" + std::to_string(getpid()) +
               ".db;" + extra;
    if (isMariaDb(driver))
        return mariaDbThrough(driver, extra);
    return postgresThrough(driver, extra);
}

std::string mariaDbThrough(const std::string& section, const std::string& extra)
{
    return "DRIVER={" + section + "};SERVER=127.0.0.1;PORT=" + env("PELUND_MARIADB_PORT") +
           ";DATABASE=pelund;UID=pelund;PWD=pelund;" + extra;
}

bool mariaDbServer(const char* command)
{
    std::string script = env("PELUND_MARIADB_SERVER");
    if (script.empty())
        return false;
    return std::system((script + " " + command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string postgresThrough(const std::string& section, const std::string& extra)
{
    return "DRIVER={" + section + "};Servername=127.0.0.1;Port=" + env("PELUND_PG_PORT") +
           ";Database=pelund;UID=pelund;PWD=pelund;" + extra;
}

bool postgresServer(const char* command)
{
    std::string script = env("PELUND_PG_SERVER");
    if (script.empty())
        return false;
    return std::system((script + " " + command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string errorText(int code)
{
    // Room for a message that quotes a statement of a few MiB.
    std::string buffer(1 << 23, '\0');
    if (!vnDBWin_getErrorTextA(buffer.data(), code))
        return "<none>";
    return buffer.c_str();
}

void OnEveryDriver::SetUp()
{
    if (!serverRunning(GetParam()))
        GTEST_SKIP() << "no server for " << GetParam()
                     << ": scripts/test starts them and sets PELUND_PG_PORT and PELUND_MARIADB_PORT";
    int rc = vnDBWin_attachDatabaseA(connectString(GetParam()).c_str());
    ASSERT_EQ(rc, 0) << errorText(rc);
}

void OnEveryDriver::TearDown()
{
    for (int id = 1; id < 40; ++id)
        vnDBWin_closeCursorWithID(id);
    vnDBWin_disconnectDatabase();
}

void OnEveryDriver::run(const std::string& statement)
{
    int rc = vnDBWin_processSQLA(statement.c_str());
    ASSERT_EQ(rc, 0) << statement << "\n" << errorText(rc);
}

std::string OnEveryDriver::table(const std::string& stem) const
{
    return stem + "_" + std::to_string(getpid());
}

std::string parameterName(const ::testing::TestParamInfo<Driver>& info)
{
    std::string name;
    for (char c : info.param)
        if (isalnum((unsigned char)c))
            name += c;
    return name;
}

}  // namespace dbtest
