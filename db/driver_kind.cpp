#include "db/driver_kind.h"

#include "db/active_database.h"

#include <initializer_list>

namespace pelund {
namespace {

bool contains(const std::u16string& name, std::initializer_list<std::u16string_view> texts)
{
    for (std::u16string_view t : texts)
        if (name.find(t) != std::u16string::npos)
            return true;
    return false;
}

}  // namespace

Engine engineNamed(const std::u16string& dbmsName)
{
    if (contains(dbmsName, {u"MySQL", u"MariaDB"}))
        return Engine::MySql;
    if (contains(dbmsName, {u"PostgreSQL"}))
        return Engine::PostgreSQL;
    if (contains(dbmsName, {u"SQLite"}))
        return Engine::SQLite;
    return Engine::Other;
}

DriverKind driverKind()
{
    const ActiveDatabase& db = activeDatabase();
    const std::u16string& n = db.driverName;
    DriverKind k;
    k.as400 = contains(n, {u"Client Access ODBC Driver (32-bit)"});
    k.dBase = contains(n, {u"Microsoft dBASE Driver"});
    k.informix = contains(n, {u"INFORMIX 3.30 32 BIT", u"Informix-CLI 2.5 (32 Bit)"});
    k.access = contains(n, {u"Microsoft Access Driver"});
    k.excel = contains(n, {u"Microsoft Excel Driver"});
    k.paradox = contains(n, {u"Microsoft Paradox Driver"});
    k.sqlServer = contains(n, {u"SQL Native Client", u"SQL Server"});
    k.text = contains(n, {u"Microsoft Text Driver"});
    k.oracle = contains(n, {u"Oracle"});
    k.postgreSql = contains(n, {u"PostgreSQL ANSI"});
    k.sybase = contains(n, {u"Sybase System 11", u"SYBASE ASE ODBC Driver",
                            u"INTERSOLV 3.10 32-BIT Sybase", u"Sybase SQL Anywhere 5.0"});
    k.foxPro = contains(n, {u"Microsoft Visual FoxPro Driver"});
    k.engine = db.hdbc ? db.engine : Engine::Other;
    k.mySql = contains(n, {u"MySQL ODBC", u"MySQL ODBC 3.51 Driver)", u"mySQL"}) ||
              k.engine == Engine::MySql;
    return k;
}

}  // namespace pelund
