// Connections to the real databases of the tests: SQLite through its ODBC
// driver always, PostgreSQL through both psqlODBC drivers when a server runs
// (scripts/test starts one and sets PELUND_PG_PORT).
#ifndef PELUND_TESTS_DB_DB_FIXTURE_H
#define PELUND_TESTS_DB_DB_FIXTURE_H

#include "pelund/database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dbtest {

// "SQLite3", "PostgreSQL ANSI" or "PostgreSQL Unicode".
using Driver = std::string;

std::vector<Driver> drivers();
bool postgresRunning();
std::string connectString(const Driver& driver, const std::string& extra = "");
// Same server, another driver section name (for the predicates).
std::string postgresThrough(const std::string& section, const std::string& extra = "");
// Runs scripts/pg-server with COMMAND (stop, start); false without a server.
bool postgresServer(const char* command);

std::string errorText(int code);
std::u16string widen(const std::string& s);
std::string narrow(const std::u16string& s);

// Attaches to the driver's database before each test and detaches after.
class OnEveryDriver : public ::testing::TestWithParam<Driver> {
protected:
    void SetUp() override;
    void TearDown() override;
    bool isPostgres() const { return GetParam() != "SQLite3"; }
    // Runs STATEMENT and expects success.
    void run(const std::string& statement);
    // A table name of this test's own, so drivers and runs do not collide.
    std::string table(const std::string& stem) const;
};

std::string parameterName(const ::testing::TestParamInfo<Driver>& info);

}  // namespace dbtest

#endif
