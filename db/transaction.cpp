#include "db/transaction.h"

#include "db/active_database.h"
#include "db/call_watchdog.h"
#include "db/database_error.h"
#include "pelund/common.h"

#include <sqlext.h>

#include <cstdint>

namespace pelund {
namespace {

void setAutoCommit(SQLHDBC hdbc, bool on)
{
    SQLSetConnectAttr(hdbc, SQL_ATTR_AUTOCOMMIT,
                      (SQLPOINTER)(uintptr_t)(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
}

}  // namespace

Transaction::Transaction()
{
    SQLHDBC hdbc = activeDatabase().hdbc;
    if (!hdbc)
        return;
    SQLULEN autoCommit = SQL_AUTOCOMMIT_ON;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(hdbc, SQL_ATTR_AUTOCOMMIT, &autoCommit, 0, nullptr)) ||
        autoCommit != SQL_AUTOCOMMIT_ON)
        return;
    mine_ = SQL_SUCCEEDED(SQLSetConnectAttr(hdbc, SQL_ATTR_AUTOCOMMIT,
                                            (SQLPOINTER)(uintptr_t)SQL_AUTOCOMMIT_OFF, 0));
}

int Transaction::commit()
{
    SQLHDBC hdbc = activeDatabase().hdbc;
    if (!mine_ || done_ || !hdbc)
        return PS_SUCCESS;
    SQLRETURN r = watched(nullptr, [&] { return SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_COMMIT); });
    if (!SQL_SUCCEEDED(r))
        return recordDatabaseError(databaseError(r, hdbc));
    done_ = true;
    setAutoCommit(hdbc, true);
    return PS_SUCCESS;
}

Transaction::~Transaction()
{
    SQLHDBC hdbc = activeDatabase().hdbc;
    if (!mine_ || done_ || !hdbc)
        return;
    watched(nullptr, [&] { return SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_ROLLBACK); });
    setAutoCommit(hdbc, true);
}

}  // namespace pelund
