// CREATE TABLE text from a column description, in the type names of the
// connected driver.
#include "db/create_statement.h"

#include "db/driver_kind.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace pelund {
namespace {

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

// The SQL each engine is written in: a driver known by its name keeps the
// type names made for it; otherwise the engine that the driver reports
// decides where the plain names would fail or lose values.
enum class Dialect { Access, SqlServer, MySql, Oracle, Informix, Excel, PostgreSql, Other };

Dialect dialectOf(const DriverKind& k)
{
    if (k.access)
        return Dialect::Access;
    if (k.sqlServer)
        return Dialect::SqlServer;
    if (k.mySql)
        return Dialect::MySql;
    if (k.oracle)
        return Dialect::Oracle;
    if (k.informix)
        return Dialect::Informix;
    if (k.excel)
        return Dialect::Excel;
    if (k.engine == Engine::PostgreSQL)
        return Dialect::PostgreSql;
    return Dialect::Other;
}

std::u16string characterType(int type, int p, Dialect d, const std::u16string& longText)
{
    if (p >= 1 && p <= 255)
        return sized("VARCHAR", p);
    // MySQL's TEXT holds 64 KiB: text of unknown or large size needs LONGTEXT
    // (which takes no size).
    if (p <= 0)
        return ascii(d == Dialect::Access && type == SQL_WLONGVARCHAR ? "MEMO"
                     : d == Dialect::MySql                            ? "LONGTEXT"
                                                                      : "TEXT");
    if (!longText.empty())
        return longText;
    if (d == Dialect::Access)
        return u"MEMO";
    if (d == Dialect::SqlServer)
        return u"TEXT";
    if (d == Dialect::MySql)
        return u"LONGTEXT";
    if (d == Dialect::Oracle)
        return sized("VARCHAR2", p);
    if (d == Dialect::Informix)
        return sized("LVARCHAR", p);
    return sized("VARCHAR", p);
}

// CHAR and VARCHAR of a known size; past what the engine takes (MySQL: 255
// characters for CHAR, a row of 64 KiB for VARCHAR) or without a size, text.
std::u16string boundedText(const char* type, int p, Dialect d)
{
    if (d == Dialect::MySql && (p <= 0 || p > 255))
        return u"LONGTEXT";
    if ((d == Dialect::PostgreSql || d == Dialect::Other) && p <= 0)
        return u"TEXT";
    return sized(type, p);
}

// NUMERIC and DECIMAL within the engine's limits (MySQL: 65 digits, 30 after
// the point; PostgreSQL: 1000); without a precision, the widest.
std::u16string exactNumber(const char* type, int p, int scale, Dialect d)
{
    if (d != Dialect::MySql && d != Dialect::PostgreSql)
        return withScale(type, p, scale);
    int most = d == Dialect::MySql ? 65 : 1000;
    if (p <= 0 || p > most)
        return d == Dialect::MySql ? withScale(type, 65, std::min(std::max(scale, 0), 30)) : ascii(type);
    scale = std::min(std::max(scale, 0), std::min(p, d == Dialect::MySql ? 30 : p));
    return withScale(type, p, scale);
}

std::u16string typeText(int type, int p, int scale, Dialect d, const std::u16string& longText)
{
    bool engine = d == Dialect::MySql || d == Dialect::PostgreSql || d == Dialect::Other;
    switch (type) {
    case SQL_CHAR:
    case SQL_WCHAR: return boundedText("CHAR", p, d);
    case SQL_WVARCHAR: return boundedText("VARCHAR", p, d);
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: return characterType(type, p, d, longText);
    // PostgreSQL's BIT takes no number: 0 and 1 are kept as numbers.
    case SQL_BIT: return ascii(d == Dialect::PostgreSql ? "SMALLINT" : "BIT");
    case SQL_TINYINT:
    case SQL_SMALLINT: return u"SMALLINT";
    case SQL_BIGINT: return ascii(engine ? "BIGINT" : "INTEGER");
    case SQL_INTEGER: return u"INTEGER";
    case SQL_BINARY:
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
        if (d == Dialect::PostgreSql)
            return u"BYTEA";
        if (d == Dialect::MySql)
            return u"LONGBLOB";
        return sized(type == SQL_VARBINARY ? "SQL_VARBINARY" : "SQL_BINARY", p);
    case SQL_NUMERIC: return exactNumber("NUMERIC", p, scale, d);
    case SQL_DECIMAL: return exactNumber("DECIMAL", p, scale, d);
    // FLOAT(p) of a binary precision below 25 is a 4-byte number on these
    // engines; the drivers report decimal digits, so 8 bytes keep the value.
    case SQL_FLOAT: return d == Dialect::MySql || d == Dialect::PostgreSql ? u"DOUBLE PRECISION" : sized("FLOAT", p);
    case SQL_REAL: return u"REAL";
    case SQL_DOUBLE: return ascii(d == Dialect::Excel ? "DOUBLE" : "DOUBLE PRECISION");
    case SQL_DATE: return u"DATE";
    // The size of a time column is its text length (8), not a precision.
    case SQL_TIME:
        if (d == Dialect::MySql)
            return u"TIME(6)";
        if (d == Dialect::PostgreSql)
            return u"TIME";
        return sized("TIME", p);
    // MySQL's TIMESTAMP holds 1970 to 2038 only.
    case SQL_TIMESTAMP: return ascii(d == Dialect::MySql ? "DATETIME(6)" : "TIMESTAMP");
    default: return u"";
    }
}

}  // namespace

std::u16string createStatement(const std::u16string& name, const SQLDA& r,
                               const std::u16string& longText)
{
    DriverKind k = driverKind();
    Dialect d = dialectOf(k);
    std::u16string s = u"CREATE TABLE " + name + u" (";
    bool first = true;
    for (int i = 0; i < r.numColumns; ++i) {
        int type = r.sqlTypes ? r.sqlTypes[i] : 0;
        int p = r.precisions ? int16_t(r.precisions[i]) : 0;
        int scale = r.scales ? r.scales[i] : 0;
        std::u16string text = typeText(type, p, scale, d, longText);
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
