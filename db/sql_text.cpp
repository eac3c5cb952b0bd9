// SQL text helpers: literals, table names, column look-up in records,
// column and value lists, row counts.
#include "db/sql_text.h"

#include "db/catalog.h"
#include "db/database_error.h"
#include "frame/guard.h"
#include "platform/code_page.h"

#include "frame/text_forms.h"
#include "pelund/lists.h"
#include "pelund/sql_text.h"
#include "text/char_class.h"
#include "text/number_text.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>

namespace pelund {

std::u16string escapedLiteral(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size() + 8);
    for (char16_t c : text) {
        if (c == u'\n')
            continue;
        if (c == u'\'')
            out.push_back(u'\'');
        out.push_back(c);
    }
    return out;
}

namespace {

template <class Ch>
bool convertLiteral(Ch* destination, const Ch* source)
{
    std::basic_string<Ch> out;
    try {
        for (const Ch* p = source; *p; ++p) {
            if (*p == '\n')
                continue;
            if (*p == '\'')
                out.push_back(Ch('\''));
            out.push_back(*p);
        }
    } catch (...) {
        return false;  // no working copy: nothing written
    }
    std::memcpy(destination, out.c_str(), (out.size() + 1) * sizeof(Ch));
    return true;
}

template <class Ch>
int convertTableName(Ch* name)
{
    if (!name || !*name)
        return PS_FAILURE;
    static const char special[] = ".*&%(){}!^-+=/\\";
    size_t n = strLen(name);
    for (size_t k = 0; k < n; ++k) {
        Ch c = name[k];
        if (unitOf(c) < 0x80 && c != 0 && std::strchr(special, char(c)))
            name[k] = '#';
        else if (c == ' ')
            name[k] = '_';
    }
    if (n > 32)
        name[31] = 0;
    return PS_SUCCESS;
}

template <class Ch>
bool sameName(const Ch* a, const Ch* b)
{
    for (;; ++a, ++b) {
        Ch x = *a, y = *b;
        if constexpr (sizeof(Ch) == 1) {
            x = toLowerAscii(x);
            y = toLowerAscii(y);
        } else {
            x = Ch(std::towlower(wint_t(x)));
            y = Ch(std::towlower(wint_t(y)));
        }
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

// The index of the last column named NAME, or -1.
template <class Ch>
int findColumn(const SQLDA* r, const Ch* name)
{
    if (!r || !name || !r->names)
        return -1;
    int found = -1;
    for (int i = 0; i < r->numColumns; ++i)
        if (r->names[i] && sameName(static_cast<const Ch*>(r->names[i]), name))
            found = i;
    return found;
}

template <class Ch>
Ch* columnValue(const SQLDA* r, const Ch* name)
{
    int i = findColumn(r, name);
    if (i < 0 || !r->values)
        return nullptr;
    return static_cast<Ch*>(r->values[i]);
}

template <class Ch>
int columnString(const SQLDA* r, const Ch* name, Ch* destination)
{
    Ch* value = columnValue(r, name);
    if (!value) {
        if (destination)
            destination[0] = 0;
        return PS_FAILURE;
    }
    if (!destination)
        return PS_FAILURE;
    std::memcpy(destination, value, (strLen(value) + 1) * sizeof(Ch));
    return PS_SUCCESS;
}

// Library-heap copy of TEXT for the caller to release with vnDBUtils_freeList.
template <class Ch>
Ch* heapCopy(const std::basic_string<Ch>& text)
{
    auto* block = static_cast<Ch*>(std::malloc((text.size() + 1) * sizeof(Ch)));
    if (block)
        std::memcpy(block, text.c_str(), (text.size() + 1) * sizeof(Ch));
    return block;
}

template <class Ch>
Ch* valuesList(const SQLDA* r)
{
    if (!r || r->numColumns <= 0 || !r->values || !r->sqlTypes)
        return nullptr;
    std::basic_string<Ch> out;
    for (int i = 0; i < r->numColumns; ++i) {
        if (i > 0)
            out += Ch(','), out += Ch(' ');
        const Ch* v = static_cast<const Ch*>(r->values[i]);
        if (r->sqlTypes[i] == SQL_CHAR) {
            out += Ch('\'');
            if (v)
                out += v;
            out += Ch('\'');
        } else if (v && *v) {
            out += v;
        } else {
            out += Ch('0');
        }
    }
    return heapCopy(out);
}

// The rows of TABLE, or -1 when they cannot be counted (the failure is
// recorded in the error store).
int tableRows(const std::u16string& table)
{
    int64_t rows = -1;
    recorded(0, 0, [&] {
        rows = rowCount(table);
        return 0;
    });
    return rows > INT32_MAX ? INT32_MAX : int(rows);
}

}  // namespace


}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnDBUtils_convertStringA(char* destination, const char* source)
{
    if (!destination || !source)
        return PS_FAILURE;
    convertLiteral(destination, source);
    return PS_SUCCESS;
}

PELUND_API int vnDBUtils_convertStringW(ps_char16* destination, const ps_char16* source)
{
    if (!destination || !source)
        return PS_FAILURE;
    convertLiteral(destination, source);
    return PS_SUCCESS;
}

PELUND_API int vnDBWin_escapeStringA(char* destination, const char* source)
{
    if (destination && source)
        convertLiteral(destination, source);
    return PS_FAILURE;
}

PELUND_API int vnDBWin_escapeStringW(ps_char16* destination, const ps_char16* source)
{
    if (destination && source)
        convertLiteral(destination, source);
    return PS_FAILURE;
}

PELUND_API int vnDBUtils_convertTableNameA(char* name) { return convertTableName(name); }
PELUND_API int vnDBUtils_convertTableNameW(ps_char16* name) { return convertTableName(name); }

PELUND_API int vnDBUtils_findSqlColumnNameA(const SQLDA* record, const char* name)
{
    return findColumn(record, name) >= 0 ? 1 : 0;
}

PELUND_API int vnDBUtils_findSqlColumnNameW(const SQLDA* record, const ps_char16* name)
{
    return findColumn(record, name) >= 0 ? 1 : 0;
}

PELUND_API char* vnDBUtils_getSqlColumnDataPA(const SQLDA* record, const char* name)
{
    return columnValue(record, name);
}

PELUND_API ps_char16* vnDBUtils_getSqlColumnDataPW(const SQLDA* record, const ps_char16* name)
{
    return columnValue(record, name);
}

PELUND_API int vnDBUtils_getSqlColumnStringA(const SQLDA* record, const char* name,
                                             char* destination)
{
    return columnString(record, name, destination);
}

PELUND_API int vnDBUtils_getSqlColumnStringW(const SQLDA* record, const ps_char16* name,
                                             ps_char16* destination)
{
    return columnString(record, name, destination);
}

PELUND_API char* vnDBUtils_getColumnNamesList(const SQLDA* record)
{
    if (!record || record->numColumns <= 0 || !record->names)
        return nullptr;
    return guarded<char*>(nullptr, [&] {
        std::string out;
        for (int i = 0; i < record->numColumns; ++i) {
            if (i > 0)
                out += ", ";
            if (record->names[i])
                out += static_cast<const char*>(record->names[i]);
        }
        return heapCopy(out);
    });
}

PELUND_API char* vnDBUtils_getColumnValuesListA(const SQLDA* record)
{
    return guarded<char*>(nullptr, [&] { return valuesList<char>(record); });
}

PELUND_API ps_char16* vnDBUtils_getColumnValuesListW(const SQLDA* record)
{
    return guarded<ps_char16*>(nullptr, [&] { return valuesList<char16_t>(record); });
}

PELUND_API int vnDBUtils_getNumTableRowsA(const char* table)
{
    if (!table)
        return -1;
    return guarded(-1, [&] { return tableRows(codePageToUtf16(table)); });
}

PELUND_API int vnDBUtils_getNumTableRowsW(const ps_char16* table)
{
    if (!table)
        return -1;
    return guarded(-1, [&] { return tableRows(table); });
}

}  // extern "C"
