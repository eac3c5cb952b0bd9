// CREATE TABLE text from a column description, in the type names of the
// connected driver.
#include "db/create_statement.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>

namespace pelund {
namespace {

struct DriverKind {
    bool access, sqlServer, mySql, oracle, informix, excel;
};

std::u16string ascii(const char* s) { return std::u16string(s, s + std::strlen(s)); }

std::u16string sized(const char* type, int p)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s(%d)", type, p);
    return ascii(text);
}

std::u16string withScale(const char* type, int p, int scale)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s(%d,%d)", type, p, scale);
    return ascii(text);
}

std::u16string characterType(int type, int p, const DriverKind& k, const std::u16string& longText)
{
    if (p >= 1 && p <= 255)
        return sized("VARCHAR", p);
    if (p <= 0)
        return ascii(k.access && type == SQL_WLONGVARCHAR ? "MEMO" : "TEXT");
    if (!longText.empty())
        return longText;
    if (k.access)
        return u"MEMO";
    if (k.sqlServer)
        return u"TEXT";
    if (k.mySql)
        return sized("LONGTEXT", p);
    if (k.oracle)
        return sized("VARCHAR2", p);
    if (k.informix)
        return sized("LVARCHAR", p);
    return sized("VARCHAR", p);
}

std::u16string typeText(int type, int p, int scale, const DriverKind& k,
                        const std::u16string& longText)
{
    switch (type) {
    case SQL_CHAR:
    case SQL_WCHAR: return sized("CHAR", p);
    case SQL_WVARCHAR: return sized("VARCHAR", p);
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: return characterType(type, p, k, longText);
    case SQL_BIT: return u"BIT";
    case SQL_TINYINT:
    case SQL_SMALLINT: return u"SMALLINT";
    case SQL_BIGINT:
    case SQL_INTEGER: return u"INTEGER";
    case SQL_BINARY:
    case SQL_LONGVARBINARY: return sized("SQL_BINARY", p);
    case SQL_VARBINARY: return sized("SQL_VARBINARY", p);
    case SQL_NUMERIC: return withScale("NUMERIC", p, scale);
    case SQL_DECIMAL: return withScale("DECIMAL", p, scale);
    case SQL_FLOAT: return sized("FLOAT", p);
    case SQL_REAL: return u"REAL";
    case SQL_DOUBLE: return ascii(k.excel ? "DOUBLE" : "DOUBLE PRECISION");
    case SQL_DATE: return u"DATE";
    case SQL_TIME: return sized("TIME", p);
    case SQL_TIMESTAMP: return u"TIMESTAMP";
    default: return u"";
    }
}

}  // namespace

std::u16string createStatement(const std::u16string& name, const SQLDA& r,
                               const std::u16string& longText)
{
    DriverKind k{vnDBWin_driverIsMSAccess() != 0, vnDBWin_driverIsMSSQL() != 0,
                 vnDBWin_driverIsMySQL() != 0,    vnDBWin_driverIsOracle() != 0,
                 vnDBWin_driverIsInformix() != 0, vnDBWin_driverIsMSExcel() != 0};
    std::u16string s = u"CREATE TABLE " + name + u" (";
    bool first = true;
    for (int i = 0; i < r.numColumns; ++i) {
        int type = r.sqlTypes ? r.sqlTypes[i] : 0;
        int p = r.precisions ? int16_t(r.precisions[i]) : 0;
        int scale = r.scales ? r.scales[i] : 0;
        std::u16string text = typeText(type, p, scale, k, longText);
        if (text.size() < 2)
            continue;
        if (r.nullables && r.nullables[i] == SQL_NO_NULLS && !(type == SQL_BIT && k.excel))
            text += u" NOT NULL";
        if (!first)
            s += u", ";
        first = false;
        const char16_t* column = r.names ? static_cast<const char16_t*>(r.names[i]) : nullptr;
        s += (column ? std::u16string(column) : std::u16string()) + u" " + text;
    }
    return s + u");";
}

}  // namespace pelund
