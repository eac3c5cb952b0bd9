// The kind of driver and database engine of the connection: what the
// driver predicates answer and what decides the SQL the library writes.
#ifndef PELUND_DB_DRIVER_KIND_H
#define PELUND_DB_DRIVER_KIND_H

#include <string>

namespace pelund {

// The engine as the driver reports it (SQL_DBMS_NAME).
enum class Engine { Other, SQLite, PostgreSQL, MySql };

Engine engineNamed(const std::u16string& dbmsName);

struct DriverKind {
    // By the driver's name (the DRIVER entry of the completed connect string).
    bool as400 = false, dBase = false, informix = false, access = false, excel = false,
         paradox = false, sqlServer = false, text = false, oracle = false, postgreSql = false,
         sybase = false, foxPro = false;
    // By the driver's name, or by the engine it reports: MySQL and MariaDB
    // get the same SQL whatever their driver section is called.
    bool mySql = false;
    Engine engine = Engine::Other;
};

// The kind of the current connection, tested afresh on every call.
DriverKind driverKind();

}  // namespace pelund

#endif
