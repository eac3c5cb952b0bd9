// Connections to the real databases of the tests: SQLite through its ODBC
// driver always, PostgreSQL through both psqlODBC drivers and MariaDB
// through its connector when their servers run (scripts/test starts them
// and sets PELUND_PG_PORT and PELUND_MARIADB_PORT).
#ifndef PELUND_TESTS_DB_DB_FIXTURE_H
#define PELUND_TESTS_DB_DB_FIXTURE_H

#include "pelund/database.h"
#include "tests/support/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dbtest {

// "SQLite3", "PostgreSQL ANSI", "PostgreSQL Unicode" or "MariaDB Unicode"
// (also under the MySQL name of the test's odbcinst.ini, kMariaDbAsMySql).
using Driver = std::string;
inline const char* const kMariaDb = "MariaDB Unicode";
inline const char* const kMariaDbAsMySql = "MySQL ODBC 5.3 Unicode Driver";

std::vector<Driver> drivers();
bool postgresRunning();
bool mariaDbRunning();
bool isMariaDb(const Driver& driver);
bool isPostgres(const Driver& driver);
// Whether the driver's server runs; SQLite always does.
bool serverRunning(const Driver& driver);
// Same MariaDB server, another driver section name.
std::string mariaDbThrough(const std::string& section, const std::string& extra = "");
// Runs scripts/mariadb-server with COMMAND; false without a server.
bool mariaDbServer(const char* command);
std::string connectString(const Driver& driver, const std::string& extra = "");
// Same server, another driver section name (for the predicates).
std::string postgresThrough(const std::string& section, const std::string& extra = "");
// Runs scripts/pg-server with COMMAND (stop, start); false without a server.
bool postgresServer(const char* command);

std::string errorText(int code);
using testing_support::narrow;
using testing_support::widen;

// Attaches to the driver's database before each test and detaches after.
class OnEveryDriver : public ::testing::TestWithParam<Driver> {
protected:
    void SetUp() override;
    void TearDown() override;
    bool isPostgres() const { return dbtest::isPostgres(GetParam()); }
    bool isMariaDb() const { return dbtest::isMariaDb(GetParam()); }
    // Runs STATEMENT and expects success.
    void run(const std::string& statement);
    // A table name of this test's own, so drivers and runs do not collide.
    std::string table(const std::string& stem) const;
};

std::string parameterName(const ::testing::TestParamInfo<Driver>& info);

}  // namespace dbtest

#endif
