// The exported driver predicates: one answer each from the driver kind.
#include "db/driver_kind.h"
#include "pelund/database.h"

using namespace pelund;

extern "C" {

#define PELUND_PREDICATE(name, field) \
    PELUND_API int name(void) { return driverKind().field ? 1 : 0; }

PELUND_PREDICATE(vnDBWin_driverIsAS400, as400)
PELUND_PREDICATE(vnDBWin_driverIsDBase, dBase)
PELUND_PREDICATE(vnDBWin_driverIsInformix, informix)
PELUND_PREDICATE(vnDBWin_driverIsMSAccess, access)
PELUND_PREDICATE(vnDBWin_driverIsMSExcel, excel)
PELUND_PREDICATE(vnDBWin_driverIsMSParadox, paradox)
PELUND_PREDICATE(vnDBWin_driverIsMSSQL, sqlServer)
PELUND_PREDICATE(vnDBWin_driverIsMSText, text)
PELUND_PREDICATE(vnDBWin_driverIsMySQL, mySql)
PELUND_PREDICATE(vnDBWin_driverIsOracle, oracle)
PELUND_PREDICATE(vnDBWin_driverIsPostgreSQL, postgreSql)
PELUND_PREDICATE(vnDBWin_driverIsSybase, sybase)
PELUND_PREDICATE(vnDBWin_driverIsVisualFoxPro, foxPro)

#undef PELUND_PREDICATE

}  // extern "C"
