// Numbered cursors: opening a query, delivering rows into SQLDA records,
// closing by number.
#include "db/active_database.h"
#include "db/call_watchdog.h"
#include "db/block_fetch.h"
#include "db/cursor_rows.h"
#include "db/cursor_values.h"
#include "db/database_error.h"
#include "db/sqlda.h"
#include "db/statement_handle.h"
#include "frame/ascii.h"
#include "pelund/database.h"
#include "platform/code_page.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace pelund {

void Cursor::closeStatement()
{
    if (hstmt) {
        watched(nullptr, [&] { return SQLFreeStmt(hstmt, SQL_DROP); });  // nothing to cancel while freeing
        hstmt = nullptr;
    }
    block.reset();  // its buffers outlive the statement bound to them
    atEnd = true;
}

bool isCursorQuery(const std::u16string& q)
{
    return (!q.empty() && q[0] == u'{') ||
           startsWithAsciiUpper(std::u16string_view(q), std::u16string_view(u"SELECT"));
}

void describeColumns(Cursor& c, SQLHDBC hdbc)
{
    SQLSMALLINT count = 0;
    check(untilDone([&] { return SQLNumResultCols(c.hstmt, &count); }), hdbc, c.hstmt);
    c.columns.resize(count > 0 ? size_t(count) : 0);
    for (SQLSMALLINT i = 0; i < count; ++i) {
        ColumnDescription& d = c.columns[size_t(i)];
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0;
        check(SQLDescribeColW(c.hstmt, SQLUSMALLINT(i + 1), name, 256, &nameLength, &d.type,
                              &d.size, &d.digits, &d.nullable),
              hdbc, c.hstmt);
        if (nameLength >= 256) {
            std::u16string longName(size_t(nameLength) + 1, u'\0');
            check(SQLDescribeColW(c.hstmt, SQLUSMALLINT(i + 1),
                                  reinterpret_cast<SQLWCHAR*>(longName.data()),
                                  SQLSMALLINT(longName.size()), &nameLength, &d.type, &d.size,
                                  &d.digits, &d.nullable),
                  hdbc, c.hstmt);
            longName.resize(size_t(nameLength));
            d.name = longName;
        } else {
            d.name.assign(reinterpret_cast<const char16_t*>(name),
                          size_t(nameLength > 0 ? nameLength : 0));
        }
        d.narrowName = utf16ToCodePage(d.name);
    }
}

bool advance(Cursor& c, SQLHDBC hdbc)
{
    if (c.block)
        return advanceInBlock(c, hdbc);
    SQLRETURN r = watched(c.hstmt, [&] { return SQLFetch(c.hstmt); });
    if (r == SQL_NO_DATA) {
        c.atEnd = true;
        return false;
    }
    check(r, hdbc, c.hstmt);
    return true;
}

namespace {

int openCursor(short* id, const std::u16string& query, CursorKind kind)
{
    ActiveDatabase& db = activeDatabase();
    auto cursor = std::make_unique<Cursor>();
    cursor->kind = kind;
    if (!db.hdbc && !connectWith(std::u16string(),
                                 kind == CursorKind::Static ? unsigned(optionDriverCursors) : 0u))
        return PS_FAILURE;
    if (!SQL_SUCCEEDED(SQLAllocStmt(db.hdbc, &cursor->hstmt))) {
        cursor->hstmt = nullptr;
        throw databaseError(SQL_INVALID_HANDLE);
    }
    SQLHSTMT h = cursor->hstmt;
    applyQueryTimeout(h);
    if (kind == CursorKind::Static) {
        SQLUINTEGER scroll = 0;
        check(SQLGetInfo(db.hdbc, SQL_SCROLL_OPTIONS, &scroll, sizeof scroll, nullptr), db.hdbc,
              nullptr);
        if (!(scroll & SQL_SO_STATIC))
            throwLibraryCode(PS_DB_NO_STATIC_CURSORS);
        SQLSetStmtAttr(h, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)SQL_CURSOR_STATIC, 0);
        // Rows are only ever read.
        SQLSetStmtAttr(h, SQL_ATTR_CONCURRENCY, (SQLPOINTER)SQL_CONCUR_READ_ONLY, 0);
    }
    if (!isCursorQuery(query))
        throwLibraryCode(PS_DB_NOT_A_QUERY);
    bool wide = kind == CursorKind::Static;
    bool blocks = canFetchInBlocks(db.hdbc, wide);
    // Run once, the query is executed directly: the same as preparing and
    // executing it, without the driver's bookkeeping for reuse.
    check(execDirect(h, query), db.hdbc, h, true);
    describeColumns(*cursor, db.hdbc);
    if (blocks)
        startBlockFetch(*cursor, db.hdbc, wide);
    advance(*cursor, db.hdbc);
    if (db.cursors.size() >= 3)
        return PS_FAILURE;
    uint16_t chosen = db.nextCursorId;
    if (db.cursors.count(chosen)) {
        // Past 65535 the count wraps; an ID still in use is passed over.
        do
            chosen = ++db.highestCursorId;
        while (db.cursors.count(chosen));
    }
    db.cursors[chosen] = std::move(cursor);
    *id = short(chosen);
    return PS_SUCCESS;
}

}  // namespace

// A cursor's column names as a record receives them, in whole 8-byte words
// (zero-padded after the terminator), and the name blocks the cursor last
// put in a record: a block still in its place and still holding its words
// is kept for the next row rather than freed and made again.
struct GivenNames {
    size_t unit = 0;  // bytes per text unit of the names
    std::vector<uint64_t> words;  // all names, one after another
    std::vector<size_t> first;    // by column, and one past the last
    std::vector<const void*> blocks;  // by column
};

namespace {

void copyName(void*& slot, GivenNames& given, size_t i)
{
    const uint64_t* words = given.words.data() + given.first[i];
    size_t count = given.first[i + 1] - given.first[i];
    given.blocks[i] = nullptr;
    std::free(slot);
    slot = std::malloc(count * 8);
    if (!slot)
        throw std::bad_alloc();
    std::memcpy(slot, words, count * 8);
    given.blocks[i] = slot;
}

inline void keepOrCopyName(void*& slot, GivenNames& given, size_t i)
{
    if (slot && slot == given.blocks[i]) {
        const uint64_t* words = given.words.data() + given.first[i];
        size_t count = given.first[i + 1] - given.first[i];
        const char* have = static_cast<const char*>(slot);
        size_t k = 0;
        while (k < count && loadWord(have + 8 * k) == words[k])
            ++k;
        if (k == count)
            return;
    }
    copyName(slot, given, i);
}

template <class Ch>
void appendWords(std::vector<uint64_t>& words, const std::basic_string<Ch>& name)
{
    size_t at = words.size();
    words.resize(at + ((name.size() + 1) * sizeof(Ch) + 7) / 8, 0);
    std::memcpy(words.data() + at, name.data(), name.size() * sizeof(Ch));
}

// The cursor's names in text of width Ch, made again when the width
// changes.
template <class Ch>
GivenNames& givenNames(Cursor& c)
{
    if (!c.givenNames)
        c.givenNames = std::make_shared<GivenNames>();
    GivenNames& given = *c.givenNames;
    if (given.unit != sizeof(Ch) || given.blocks.size() != c.columns.size()) {
        given.unit = sizeof(Ch);
        given.words.clear();
        given.first.clear();
        for (const ColumnDescription& d : c.columns) {
            given.first.push_back(given.words.size());
            if constexpr (sizeof(Ch) == 1)
                appendWords(given.words, d.narrowName);
            else
                appendWords(given.words, d.name);
        }
        given.first.push_back(given.words.size());
        given.blocks.assign(c.columns.size(), nullptr);
    }
    return given;
}

// Reads column I's value of the current row into SLOT the general way;
// a failure is recorded, and the result is then 0x8000 for one that is not
// the driver's, else 0.
template <class Ch>
int readColumn(Cursor& c, int i, SQLHDBC hdbc, void*& slot)
{
    try {
        if (c.block)
            blockValue<Ch>(c, size_t(i), hdbc, slot);
        else
            readValue<Ch>(c, SQLUSMALLINT(i + 1), hdbc, slot);
    } catch (const DatabaseError& e) {
        std::free(slot);
        slot = nullptr;
        recordDatabaseError(e);
    } catch (...) {
        std::free(slot);
        slot = nullptr;
        recordOtherFailure(PS_FAILURE);
        return PS_FAILURE;
    }
    return PS_SUCCESS;
}

template <class Ch>
int fillRow(SQLDA* record, Cursor* cursor, SQLHDBC hdbc, bool readValues = true)
{
    if (!record || !cursor)
        return PS_FAILURE;
    int n = int(cursor->columns.size());
    record->numColumns = int16_t(n);
    if (n <= 0)
        return PS_FAILURE;
    if (!record->names && !allocateArrays(record)) {
        releaseRecord(record);
        throw std::bad_alloc();
    }
    int result = PS_SUCCESS;
    // A row of a block in the record's text width is copied from the
    // buffers; values they do not hold whole are read the general way.
    void** values = record->values;
    if (readValues && cursor->block && copiesRow<Ch>(*cursor->block)) {
        const BoundColumn* bound = cursor->block->bound.data();
        SQLULEN row = cursor->block->current;
        for (int i = 0; i < n; ++i)
            if (!copyHeldValue<Ch>(bound[i], row, values[i]))
                result |= readColumn<Ch>(*cursor, i, hdbc, values[i]);
    } else if (readValues) {
        for (int i = 0; i < n; ++i)
            result |= readColumn<Ch>(*cursor, i, hdbc, values[i]);
    }
    GivenNames& given = givenNames<Ch>(*cursor);
    const ColumnDescription* columns = cursor->columns.data();
    void** names = record->names;
    int16_t* types = record->sqlTypes;
    uint16_t* reserved = record->reserved;
    int16_t* scales = record->scales;
    uint16_t* precisions = record->precisions;
    int16_t* nullables = record->nullables;
    for (int i = 0; i < n; ++i) {
        const ColumnDescription& d = columns[i];
        keepOrCopyName(names[i], given, size_t(i));
        types[i] = d.type;
        reserved[i] = 0;
        scales[i] = d.digits;
        precisions[i] = uint16_t(d.size & 0xFFFF);
        nullables[i] = d.nullable;
    }
    return result;
}

template <class Ch>
int fetchRow(SQLDA* record, int id)
{
    ActiveDatabase& db = activeDatabase();
    return recorded(0, 0, [&] {
        auto found = db.cursors.find(uint16_t(id));
        if (found == db.cursors.end() || !record)
            return 0;
        Cursor& c = *found->second;
        if (c.atEnd || !c.hstmt)
            return 0;
        if (record->numColumns == int16_t(c.columns.size()))
            keepForNextRow(record);  // arrays, names and value blocks serve the next row
        else
            std::memset(record, 0, sizeof *record);
        // Without a block, the row's reads and the next fetch are watched
        // as one wait rather than each call alone; a block's fetches are
        // watched one by one.
        CallWatch watch(c.hstmt, !c.block);
        fillRow<Ch>(record, &c, db.hdbc);
        advance(c, db.hdbc);
        return 1;
    }) == 1 ? 1 : 0;
}

}  // namespace

int fillRowA(SQLDA* record, Cursor* cursor)
{
    return fillRow<char>(record, cursor, activeDatabase().hdbc, !cursor || !cursor->atEnd);
}

int fillRowW(SQLDA* record, Cursor* cursor)
{
    return fillRow<char16_t>(record, cursor, activeDatabase().hdbc, !cursor || !cursor->atEnd);
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_openCursorWithIDA(short* id, const char* query)
{
    if (!id)
        return PS_FAILURE;
    return recorded(0, PS_FAILURE,
                    [&] { return openCursor(id, codePageToUtf16(query), CursorKind::ForwardOnly); });
}

PELUND_API int vnDBWin_openCursorWithIDW(short* id, const ps_char16* query)
{
    if (!id)
        return PS_FAILURE;
    return recorded(0, PS_FAILURE,
                    [&] { return openCursor(id, query ? query : u"", CursorKind::Static); });
}

PELUND_API int vnDBWin_openCursorWithIDT(short* id, const ps_char16* query)
    __attribute__((alias("vnDBWin_openCursorWithIDW")));

PELUND_API int vnDBWin_fetchRowByIDA(SQLDA* record, int id) { return fetchRow<char>(record, id); }

PELUND_API int vnDBWin_fetchRowByIDW(SQLDA* record, int id)
{
    return fetchRow<char16_t>(record, id);
}

PELUND_API int vnDBWin_closeCursorWithID(int id)
{
    return recorded(0, 0, [&] {
        ActiveDatabase& db = activeDatabase();
        auto found = db.cursors.find(uint16_t(id));
        if (found == db.cursors.end())
            return 0;
        std::unique_ptr<Cursor> cursor = std::move(found->second);
        db.cursors.erase(found);
        cursor.reset();
        db.nextCursorId = uint16_t(id);
        return 1;
    });
}

}  // extern "C"
