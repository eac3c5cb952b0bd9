// CREATE TABLE text from a column description, in the type names of the
// connected driver.
#include "db/database_error.h"
#include "db/error_buffer.h"
#include "pelund/database_tables.h"
#include "platform/code_page.h"
#include "platform/debug_output.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>
#include <string>

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

using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_createTableFromSqlData(const ps_char16* name, const SQLDA* record,
                                              const ps_char16* long_text_type, ps_char16* error)
{
    if (!name || !record)
        return PS_FAILURE;
    try {
        std::u16string statement =
            createStatement(name, *record, long_text_type ? long_text_type : u"");
        debugOutput("SQL Create syntax: " + utf16ToUtf8(statement) + "\n");
        int rc = vnDBWin_processSQLW(statement.c_str());
        if (rc != 0 && error)
            if (auto message = lookupErrorText(rc))
                writeErrorBuffer(error, *message);
        return rc;
    } catch (...) {
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_createTableW(const ps_char16* name, const ps_char16* source,
                                    const ps_char16* long_text_type, ps_char16* error)
{
    try {
        SQLDA description{};
        int rc = vnDBWin_describeTableW(&description, source);
        if (rc != 0) {
            vnDBWin_freeSQLDADescriptorW(&description);
            if (error)
                composeErrorBuffer(error,
                                   namingMessage(u"Error:  Couldn't describe table '%s'.",
                                                 source ? source : u""),
                                   nullptr, 0);
            return rc;
        }
        rc = vnDBWin_createTableFromSqlData(name, &description, long_text_type, error);
        vnDBWin_freeSQLDADescriptorW(&description);
        return rc;
    } catch (...) {
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_createTableA(const char* name, const char* source,
                                    const char* long_text_type, char* error)
{
    if (!name || !source)
        return 0;
    try {
        auto wide = [](const char* s) {
            std::u16string w = codePageToUtf16(s);
            if (w.size() > 511)
                w.resize(511);
            return w;
        };
        std::u16string n = wide(name), s = wide(source), l = wide(long_text_type);
        char16_t privateError[512] = {};
        int rc = vnDBWin_createTableW(n.c_str(), s.c_str(), long_text_type ? l.c_str() : nullptr,
                                      privateError);
        if (rc != 0 && error) {
            std::string narrow = utf16ToCodePage(privateError);
            std::memcpy(error, narrow.c_str(), narrow.size() + 1);
        }
        return rc;
    } catch (...) {
        return PS_FAILURE;
    }
}

}  // extern "C"
