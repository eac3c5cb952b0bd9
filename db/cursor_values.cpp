// Reading column values of a cursor's current row: one SQLGetData call per
// part, parts gathered in a growing heap block, 8-bit values converted for a
// driver that has no UTF-16 values.
#include "db/cursor_values.h"

#include "db/call_watchdog.h"
#include "db/database_error.h"
#include "db/statement_handle.h"
#include "platform/code_page.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace pelund {

template <class Ch>
Ch* heapText(const Ch* text, size_t n)
{
    auto* block = static_cast<Ch*>(std::malloc((n + 1) * sizeof(Ch)));
    if (!block)
        throw std::bad_alloc();
    if (n)
        std::memcpy(block, text, n * sizeof(Ch));
    block[n] = 0;
    return block;
}

template char* heapText<char>(const char*, size_t);
template char16_t* heapText<char16_t>(const char16_t*, size_t);

template <class Ch>
void replaceText(void*& slot, const Ch* text, size_t n)
{
    std::free(slot);
    slot = nullptr;
    slot = heapText(text, n);
}

template void replaceText<char>(void*&, const char*, size_t);
template void replaceText<char16_t>(void*&, const char16_t*, size_t);

namespace {

template <class Ch>
constexpr SQLSMALLINT cTypeOf = sizeof(Ch) == 1 ? SQL_C_CHAR : SQL_C_WCHAR;

// One part of a value: up to ROOM units (terminator included) at TO.
template <class Ch>
SQLRETURN readPart(SQLHSTMT h, SQLUSMALLINT column, Ch* to, size_t room, SQLLEN& indicator)
{
    return watched(h, [&] {
        return SQLGetData(h, column, cTypeOf<Ch>, to, SQLLEN(room * sizeof(Ch)), &indicator);
    });
}

// A heap text that grows as parts arrive, freed unless released.
template <class Ch>
class GrowingText {
public:
    GrowingText(const Ch* start, size_t n, size_t capacity)
    {
        reserve(std::max(capacity, n + 1));
        std::memcpy(text_, start, n * sizeof(Ch));
        length_ = n;
    }
    GrowingText(const GrowingText&) = delete;
    GrowingText& operator=(const GrowingText&) = delete;
    ~GrowingText() { std::free(text_); }

    Ch* end() { return text_ + length_; }
    size_t length() const { return length_; }
    size_t capacity() const { return capacity_; }
    size_t room() const { return capacity_ - length_; }
    void grow(size_t n) { length_ += n; }
    void reserve(size_t capacity)
    {
        if (capacity <= capacity_)
            return;
        auto* grown = static_cast<Ch*>(std::realloc(text_, capacity * sizeof(Ch)));
        if (!grown)
            throw std::bad_alloc();
        text_ = grown;
        capacity_ = capacity;
    }
    Ch* release()
    {
        text_[length_] = 0;
        Ch* t = text_;
        text_ = nullptr;
        return t;
    }

private:
    Ch* text_ = nullptr;
    size_t length_ = 0;
    size_t capacity_ = 0;
};

struct WideRefused {};

// An ANSI driver may refuse UTF-16 values (SQLSTATE 07006); such a value is
// read as 8-bit text and converted with the code page.
bool refusesWideValues(SQLHSTMT h)
{
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN r = SQLGetDiagRecW(SQL_HANDLE_STMT, h, 1, state, &native, nullptr, 0, &length);
    return SQL_SUCCEEDED(r) && std::u16string(reinterpret_cast<const char16_t*>(state)) == u"07006";
}

// Stores the whole value of COLUMN, as the driver delivers it in text of
// width Ch, in SLOT (see readValue).
template <class Ch>
void readWhole(SQLHSTMT h, SQLUSMALLINT column, SQLHDBC hdbc, void*& slot)
{
    constexpr size_t firstUnits = 256;
    Ch first[firstUnits];
    SQLLEN indicator = 0;
    SQLRETURN r = readPart(h, column, first, firstUnits, indicator);
    if (r == SQL_NO_DATA || (SQL_SUCCEEDED(r) && indicator == SQL_NULL_DATA))
        return storeText<Ch>(slot, nullptr, 0);
    if (sizeof(Ch) == 2 && r == SQL_ERROR && refusesWideValues(h))
        throw WideRefused{};
    check(r, hdbc, h);
    bool truncated = r != SQL_SUCCESS &&
                     (indicator == SQL_NO_TOTAL || size_t(indicator) / sizeof(Ch) >= firstUnits - 1);
    if (!truncated)
        return storeText(slot, first, valueLength(first, firstUnits, indicator));
    // The rest follows in further calls, each terminated.
    size_t have = firstUnits - 1;
    GrowingText<Ch> value(first, have,
                          indicator >= 0 ? size_t(indicator) / sizeof(Ch) + 1 : have * 4);
    for (;;) {
        if (value.room() < 2)
            value.reserve(value.capacity() * 2);
        r = readPart(h, column, value.end(), value.room(), indicator);
        if (r == SQL_NO_DATA)
            break;
        check(r, hdbc, h);
        if (r == SQL_SUCCESS) {
            value.grow(valueLength(value.end(), value.room(), indicator));
            break;
        }
        value.grow(value.room() - 1);
        if (indicator > 0)
            value.reserve(value.length() + size_t(indicator) / sizeof(Ch) + 1);
    }
    std::free(slot);
    slot = value.release();
}

}  // namespace

template <>
void readValue<char>(Cursor& c, SQLUSMALLINT column, SQLHDBC hdbc, void*& slot)
{
    readWhole<char>(c.hstmt, column, hdbc, slot);
}

template <>
void readValue<char16_t>(Cursor& c, SQLUSMALLINT column, SQLHDBC hdbc, void*& slot)
{
    if (!c.narrowValuesOnly) {
        try {
            return readWhole<char16_t>(c.hstmt, column, hdbc, slot);
        } catch (const WideRefused&) {
            c.narrowValuesOnly = true;
        }
    }
    void* narrow = nullptr;
    std::u16string wide;
    try {
        readWhole<char>(c.hstmt, column, hdbc, narrow);
        wide = codePageToUtf16(static_cast<const char*>(narrow));
    } catch (...) {
        std::free(narrow);
        throw;
    }
    std::free(narrow);
    storeText(slot, wide.data(), wide.size());
}

}  // namespace pelund
