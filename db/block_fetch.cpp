// Block fetching. A cursor normally asks the driver for each value of each
// row (SQLFetch, then SQLGetData per column). Where the driver allows, the
// columns are instead bound to arrays of buffers and one SQLFetch fills them
// for a block of rows; a fetch by ID then only copies the row's texts out
// of the buffers.
//
// What a caller receives stays exactly what the general path gives: a
// value that does not fit its buffer, a column left unbound (binary data
// read as UTF-16, types without a plain text form) and a row the driver
// reports in error are read whole with SQLGetData. That needs SQLGetData on
// bound columns (SQL_GD_BOUND, SQL_GD_ANY_COLUMN), and inside a block of
// many rows positioning on the row first, which not every driver that
// claims it (SQL_GD_BLOCK) does correctly. So a block holds many rows only
// where every column is bound and its text has a known bound that the
// buffer holds, so that such reads do not arise; otherwise it holds one row.
// psqlODBC positions correctly: its 8-bit blocks hold many rows with
// columns of any length, a value longer than its buffer read again on its
// row.
//
// The general path stays for:
// - drivers without SQLGetData on bound columns;
// - UTF-16 reads from a driver that refuses UTF-16 values (ANSI drivers,
//   found by a probe on the driver's type list); their 8-bit reads, the
//   drivers' own form, use blocks;
// - psqlODBC's UseDeclareFetch mode, which fetches from a server cursor in
//   its own batches;
// - a driver that refuses the row array or a binding.
// Columns without a known bound are read with SQLGetData when the values
// are UTF-16, and the block then holds one row.
#include "db/block_fetch.h"

#include "db/cursor_values.h"
#include "db/call_watchdog.h"
#include "db/connect_string.h"
#include "db/database_error.h"
#include "db/statement_handle.h"
#include "platform/code_page.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace pelund {

namespace {

constexpr size_t longestBound = 2000;  // characters; longer columns count as unbounded
constexpr size_t unboundedWidth = 256;
constexpr size_t oneRowUnits = 128;
constexpr size_t blockBytes = 1 << 19;
constexpr SQLULEN mostRows = 256;

// Characters of the longest text form of a column, or 0 when not known.
size_t textBound(const ColumnDescription& d)
{
    switch (d.type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        return d.size;
    case SQL_BINARY:
    case SQL_VARBINARY:
        return d.size * 2;  // hexadecimal digits
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return d.size ? d.size + 3 : 0;  // sign, point, leading zero
    case SQL_BIT:
        return 1;
    case SQL_TINYINT:
        return 4;
    case SQL_SMALLINT:
        return 6;
    case SQL_INTEGER:
        return 11;
    case SQL_BIGINT:
        return 20;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return 32;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
        return std::max<size_t>(d.size, 19) + 10;
    case SQL_GUID:
        return 36;
    default:
        return 0;
    }
}

// Whether a column's values may be taken from a bound buffer: text,
// numbers, dates and times; binary data only as 8-bit text, since a driver
// may turn bytes into UTF-16 as though they were text, and say so only when
// asked with SQLGetData. Other columns are read with SQLGetData.
bool bindable(SQLSMALLINT type, bool wide)
{
    switch (type) {
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return !wide;
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_GUID:
        return true;
    default:
        return false;
    }
}

bool usesDeclareFetch(const std::u16string& connectString)
{
    auto value = entryValue(connectString, u"USEDECLAREFETCH=");
    return value && !value->empty() && value->front() != u'0';
}

// Whether the driver delivers UTF-16 values: one of its type list's names
// read as SQL_C_WCHAR.
bool deliversWideValues(SQLHDBC hdbc)
{
    SQLHSTMT h = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &h)))
        return false;
    StatementHandle statement(h);
    SQLWCHAR name[128];
    SQLLEN indicator = 0;
    return SQL_SUCCEEDED(watched(h, [&] { return SQLGetTypeInfoW(h, SQL_ALL_TYPES); })) &&
           SQL_SUCCEEDED(SQLBindCol(h, 1, SQL_C_WCHAR, name, sizeof name, &indicator)) &&
           SQL_SUCCEEDED(watched(h, [&] { return SQLFetch(h); }));
}

// The same, asked once per connection.
bool deliversWideValuesOnce(SQLHDBC hdbc)
{
    std::optional<bool>& known = activeDatabase().deliversWideValues;
    if (!known)
        known = deliversWideValues(hdbc);
    return *known;
}

bool bindAll(Cursor& c, RowBlock& b)
{
    SQLHSTMT h = c.hstmt;
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)b.rows, 0)))
        return false;
    SQLULEN granted = 0;
    if (!SQL_SUCCEEDED(SQLGetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, &granted, 0, nullptr)) ||
        granted != b.rows)
        return false;
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &b.fetched, 0)) ||
        !SQL_SUCCEEDED(SQLSetStmtAttr(h, SQL_ATTR_ROW_STATUS_PTR, b.status.data(), 0)))
        return false;
    char* base = reinterpret_cast<char*>(b.buffer.get());
    for (size_t i = 0; i < b.widths.size(); ++i)
        if (b.widths[i] && !SQL_SUCCEEDED(SQLBindCol(h, SQLUSMALLINT(i + 1), b.cType, base + b.offsets[i],
                                      SQLLEN(b.widths[i]), &b.indicators[i * b.rows])))
            return false;
    return true;
}

}  // namespace

bool canFetchInBlocks(SQLHDBC hdbc, bool wide)
{
    SQLUINTEGER getData = 0;
    return SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_GETDATA_EXTENSIONS, &getData, sizeof getData,
                                    nullptr)) &&
           (getData & (SQL_GD_BOUND | SQL_GD_ANY_COLUMN)) == (SQL_GD_BOUND | SQL_GD_ANY_COLUMN) &&
           !usesDeclareFetch(activeDatabase().fullConnectString) &&
           (!wide || deliversWideValuesOnce(hdbc));
}

void startBlockFetch(Cursor& c, SQLHDBC hdbc, bool wide)
{
    SQLUINTEGER getData = 0;
    if (c.columns.empty() ||
        !SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_GETDATA_EXTENSIONS, &getData, sizeof getData, nullptr)))
        return;
    auto b = std::make_shared<RowBlock>();
    b->cType = wide ? SQL_C_WCHAR : SQL_C_CHAR;
    b->unit = wide ? 2 : 1;
    // A character may take two UTF-16 units or four bytes of 8-bit text; two
    // units more than the bound hold the terminator and leave room for a
    // length reported short.
    size_t perCharacter = wide ? 2 : 4;
    bool bounded = (getData & SQL_GD_BLOCK) != 0;
    b->repositions = bounded && !wide && activeDatabase().positionsInBlocks;
    size_t rowBytes = 0;
    for (const ColumnDescription& d : c.columns) {
        if (!bindable(d.type, wide)) {
            bounded = false;
            b->widths.push_back(0);
            continue;
        }
        size_t characters = textBound(d);
        if (characters == 0 || characters > longestBound) {
            bounded = bounded && b->repositions;
            // A UTF-16 value cut to a bound buffer is where drivers stumble
            // (one reads past its own conversion buffer): such columns are
            // read with SQLGetData.
            if (wide) {
                b->widths.push_back(0);
                continue;
            }
            characters = unboundedWidth;
        }
        size_t width = (characters * perCharacter + 2) * b->unit;
        width = (width + 7) & ~size_t(7);
        b->widths.push_back(width);
        rowBytes += width;
    }
    b->rows = bounded ? std::clamp<SQLULEN>(blockBytes / rowBytes, 1, mostRows) : 1;
    // A block of one row reads a longer value again at no risk; small
    // buffers spare drivers that fill the whole buffer on every fetch. Not
    // so for UTF-16: a driver that counts such values short clips a long
    // one to its count unless the buffer holds the whole value.
    if (b->rows == 1 && !wide)
        for (size_t& width : b->widths)
            width = std::min(width, oneRowUnits * b->unit);
    size_t offset = 0;
    for (size_t width : b->widths) {
        b->offsets.push_back(offset);
        offset += width * b->rows;
    }
    // Zeroed: values are copied from it in whole words.
    b->buffer.reset(new char16_t[offset / 2 + 1]());
    b->indicators.assign(c.columns.size() * b->rows, 0);
    b->status.assign(b->rows, SQL_ROW_NOROW);
    if (!bindAll(c, *b)) {
        SQLFreeStmt(c.hstmt, SQL_UNBIND);
        SQLSetStmtAttr(c.hstmt, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)1, 0);
        SQLSetStmtAttr(c.hstmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        SQLSetStmtAttr(c.hstmt, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
        return;
    }
    const char* base = reinterpret_cast<const char*>(b->buffer.get());
    for (size_t i = 0; i < b->widths.size(); ++i) {
        size_t width = b->widths[i];
        b->bound.push_back({base + b->offsets[i], width, width ? SQLLEN(width - 2 * b->unit) : 0,
                            &b->indicators[i * b->rows]});
    }
    c.block = std::move(b);
}

bool advanceInBlock(Cursor& c, SQLHDBC hdbc)
{
    RowBlock& b = *c.block;
    if (b.current + 1 < b.fetched) {
        ++b.current;
        return true;
    }
    b.current = 0;
    SQLRETURN r = watched(c.hstmt, [&] { return SQLFetch(c.hstmt); });
    if (r == SQL_NO_DATA || (SQL_SUCCEEDED(r) && b.fetched == 0)) {
        b.fetched = 0;
        c.atEnd = true;
        return false;
    }
    if (!SQL_SUCCEEDED(r))
        b.fetched = 0;
    check(r, hdbc, c.hstmt);
    return true;
}

void replaceHeld(void*& slot, const char* cell, size_t bytes, size_t padded)
{
    std::free(slot);
    slot = std::malloc(padded);
    if (!slot)
        throw std::bad_alloc();
    std::memcpy(slot, cell, padded);
    std::memset(static_cast<char*>(slot) + bytes, 0, padded - bytes);
}

template <class Ch>
void blockValue(Cursor& c, size_t i, SQLHDBC hdbc, void*& slot)
{
    RowBlock& b = *c.block;
    SQLLEN indicator = b.indicators[i * b.rows + b.current];
    size_t width = b.widths[i];
    // Whole, with room for the terminator and a unit reported short. In
    // bytes: the buffers hold whole units, and no division on this path.
    bool held = width > 0 && b.status[b.current] != SQL_ROW_ERROR &&
                (indicator == SQL_NULL_DATA ||
                 (indicator >= 0 && size_t(indicator) + 2 * b.unit < width));
    // A value of the other width is converted with the code page only where
    // the driver cannot be asked for it again.
    if (held && (sizeof(Ch) == b.unit || (b.rows > 1 && !b.repositions))) {
        if (indicator == SQL_NULL_DATA)
            return storeText<Ch>(slot, nullptr, 0);
        const char* cell =
            reinterpret_cast<const char*>(b.buffer.get()) + b.offsets[i] + b.current * width;
        if (b.unit == 1) {
            size_t n = valueLength(cell, width, indicator);
            if constexpr (sizeof(Ch) == 1)
                return storeText(slot, cell, n);
            std::u16string wide = codePageToUtf16(std::string(cell, n).c_str());
            return storeText(slot, reinterpret_cast<const Ch*>(wide.data()), wide.size());
        }
        const auto* text = reinterpret_cast<const char16_t*>(cell);
        size_t n = valueLength(text, width / 2, indicator);
        if constexpr (sizeof(Ch) == 2)
            return storeText(slot, text, n);
        std::string narrow = utf16ToCodePage(std::u16string_view(text, n));
        return storeText(slot, reinterpret_cast<const Ch*>(narrow.data()), narrow.size());
    }
    // Unbound, longer than its buffer, or a row in error: read whole from
    // the driver, positioned on the row within a larger block.
    std::free(slot);
    slot = nullptr;
    if (b.rows > 1)
        check(untilDone([&] {
                  return SQLSetPos(c.hstmt, SQLSETPOSIROW(b.current + 1), SQL_POSITION,
                                   SQL_LOCK_NO_CHANGE);
              }),
              hdbc, c.hstmt);
    readValue<Ch>(c, SQLUSMALLINT(i + 1), hdbc, slot);
}

template void blockValue<char>(Cursor&, size_t, SQLHDBC, void*&);
template void blockValue<char16_t>(Cursor&, size_t, SQLHDBC, void*&);

}  // namespace pelund
