// Separated string lists: reading entries, membership, comparing two lists,
// appending to a caller's buffer, shortening by whole entries.
#include "frame/guard.h"
#include "frame/text_forms.h"
#include "pelund/lists.h"
#include "pelund/strings.h"
#include "text/char_class.h"
#include "text/list_append.h"
#include "text/tokens.h"
#include "text/wide_format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace pelund {
namespace {

constexpr size_t entryArea = 1024;   // one entry read for membership
constexpr size_t formatArea = 1024;  // one formatted entry

template <class Ch>
const Ch* entryAt(const Ch* list, const Ch* separators, const Ch* quotes, int index)
{
    if (!list || !separators || index < 0)
        return nullptr;
    TokenSets<Ch> sets;
    sets.separator = separators;
    sets.quote = quotes;
    for (int k = 0;; ++k) {
        int n = getToken(static_cast<Ch*>(nullptr), list, sets, 0);
        if (n == 0)
            return nullptr;
        if (k == index)
            return list;
        list += n;
    }
}

template <class Ch>
bool sameText(const Ch* a, const Ch* b, bool ignoreCase)
{
    for (;; ++a, ++b) {
        if (!sameChar(*a, *b, !ignoreCase))
            return false;
        if (!*a)
            return true;
    }
}

int isMember(const char* list, const char* item, const char* separators, const char* blanks,
             const char* quotes, bool ignoreCase)
{
    if (!list || !item || !separators)
        return 0;
    TokenSets<char> sets;
    sets.skip = blanks;
    sets.trim = blanks;
    sets.separator = separators;
    sets.quote = quotes;
    char entry[entryArea];
    for (int n; (n = getToken(entry, list, sets, 0, entryArea)) > 0; list += n)
        if (sameText(entry, item, ignoreCase))
            return 1;
    return 0;
}

// Walks the entries of a list with blanks as skip and trim set.
class EntryReader {
public:
    EntryReader(const char* list, const char* separators, const char* blanks)
        : at_(list), entry_(std::strlen(list) + 1)
    {
        sets_.skip = blanks;
        sets_.trim = blanks;
        sets_.separator = separators;
    }

    // False at the end of the list.
    bool next()
    {
        int n = getToken(entry_.data(), at_, sets_, 0);
        at_ += n;
        return n > 0;
    }

    const char* entry() const { return entry_.data(); }

private:
    const char* at_;
    std::vector<char> entry_;
    TokenSets<char> sets_;
};

int listsSame(const char* first, const char* second, const char* separators, const char* blanks,
              bool ignoreCase, bool unordered)
{
    if (!first || !second || !separators)
        return 0;
    int compared = 0;
    if (unordered) {
        for (int pass = 0; pass < 2; ++pass) {
            const char* from = pass == 0 ? first : second;
            const char* other = pass == 0 ? second : first;
            EntryReader reader(from, separators, blanks);
            while (reader.next()) {
                if (!*reader.entry())
                    continue;
                if (!isMember(other, reader.entry(), separators, blanks, nullptr, ignoreCase))
                    return 0;
                ++compared;
            }
        }
        return compared > 0;
    }
    EntryReader a(first, separators, blanks), b(second, separators, blanks);
    while (a.next()) {
        if (!*a.entry())
            continue;
        if (!b.next() || !sameText(a.entry(), b.entry(), ignoreCase))
            return 0;
        ++compared;
    }
    return compared > 0;
}

// Into the caller's buffer, which must have room.
template <class Ch>
int appendToBuffer(Ch* list, const Ch* separator, bool capitalise, const Ch* text, size_t n)
{
    std::basic_string<Ch> s(list);
    appendEntry(s, separator, capitalise, std::basic_string_view<Ch>(text, n));
    std::memcpy(list, s.c_str(), (s.size() + 1) * sizeof(Ch));
    return PS_SUCCESS;
}

int appendFormattedA(char* list, const char* separator, bool capitalise, const char* format,
                     va_list args)
{
    if (!list || !format)
        return PS_FAILURE;
    char text[formatArea];
    int n = *format ? std::vsnprintf(text, sizeof text, format, args) : 0;
    if (n < 0)
        n = 0;
    return appendToBuffer(list, separator, capitalise, text, std::min(size_t(n), formatArea - 1));
}

int appendFormattedW(char16_t* list, const char16_t* separator, bool capitalise,
                     const char16_t* format, va_list args)
{
    if (!list || !format)
        return PS_FAILURE;
    std::u16string text;
    if (*format)
        formatWide(&text, format, args);
    return appendToBuffer(list, separator, capitalise, text.data(),
                          std::min(text.size(), formatArea - 1));
}

template <class Ch>
int truncateBySeparator(Ch* list, const Ch* marker, Ch separator, int maximum, const Ch* pairs)
{
    if (!list || maximum < 4)
        return PS_FAILURE;
    size_t len = strLen(list), max = size_t(maximum);
    if (len <= max)
        return PS_FAILURE;
    size_t m = marker ? std::min(strLen(marker), max) : 0;
    size_t limit = max - m;
    // A cut between two pair characters would leave one of them open: with
    // a pair set, only separators after an even number of them qualify.
    std::vector<bool> evenBefore;
    if (pairs && *pairs) {
        evenBefore.resize(len + 1);
        bool even = true;
        for (size_t k = 0; k <= len; ++k) {
            evenBefore[k] = even;
            if (k < len && std::char_traits<Ch>::find(pairs, strLen(pairs), list[k]))
                even = !even;
        }
    }
    size_t cut = len;
    while (cut > limit) {
        size_t k = cut;
        while (k > 0 && !(list[k - 1] == separator && (evenBefore.empty() || evenBefore[k - 1])))
            --k;
        if (k == 0) {
            cut = limit;
            break;
        }
        cut = k - 1;
    }
    std::memcpy(list + cut, marker ? marker : list + cut, m * sizeof(Ch));
    list[cut + m] = 0;
    return PS_SUCCESS;
}

int appendGuarded(char* list, const char* separator, bool capitalise, const char* format,
                  va_list args)
{
    return guarded(PS_FAILURE,
                   [&] { return appendFormattedA(list, separator, capitalise, format, args); });
}

int appendGuarded(char16_t* list, const char16_t* separator, bool capitalise,
                  const char16_t* format, va_list args)
{
    return guarded(PS_FAILURE,
                   [&] { return appendFormattedW(list, separator, capitalise, format, args); });
}

template <class Ch>
int truncateGuarded(Ch* list, const Ch* marker, Ch separator, int maximum, const Ch* pairs)
{
    return guarded(PS_FAILURE,
                   [&] { return truncateBySeparator(list, marker, separator, maximum, pairs); });
}

const char16_t dots[] = u"...";

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API char* psString_listGetEntryA(const char* list, const char* separators,
                                        const char* quotes, int index)
{
    return const_cast<char*>(entryAt(list, separators, quotes, index));
}

PELUND_API ps_char16* psString_listGetEntryW(const ps_char16* list, const ps_char16* separators,
                                             const ps_char16* quotes, int index)
{
    return const_cast<ps_char16*>(entryAt(list, separators, quotes, index));
}

PELUND_API int psString_listGetSize(const char* list, const char* separators, const char* quotes)
{
    if (!list || !separators)
        return 0;
    TokenSets<char> sets;
    sets.separator = separators;
    sets.quote = quotes;
    int count = 0;
    for (int n; (n = getToken(static_cast<char*>(nullptr), list, sets, 0)) > 0; list += n)
        ++count;
    return count;
}

PELUND_API int psString_listIsMemberExt(const char* list, const char* item, const char* separators,
                                        const char* blanks, const char* quotes, int ignore_case)
{
    return isMember(list, item, separators, blanks, quotes, ignore_case != 0);
}

PELUND_API int psString_listIsMemberA(const char* list, const char* item, const char* separators,
                                      const char* blanks, int ignore_case)
{
    return isMember(list, item, separators, blanks, nullptr, ignore_case != 0);
}

PELUND_API int psString_listIsMemberW(const ps_char16* list, const ps_char16* item,
                                      const ps_char16* separators, const ps_char16* blanks,
                                      int ignore_case)
{
    NarrowDup l(list), i(item), s(separators), b(blanks);
    if (!l.okFor(list) || !i.okFor(item) || !s.okFor(separators) || !b.okFor(blanks))
        return 0;
    return isMember(l.get(), i.get(), s.get(), b.get(), nullptr, ignore_case != 0);
}

PELUND_API int psString_listsAreSame(const char* first, const char* second, const char* separators,
                                     const char* blanks, int ignore_case, int unordered)
{
    return guarded(0, [&] {
        return listsSame(first, second, separators, blanks, ignore_case != 0, unordered != 0);
    });
}

PELUND_API int psStringFixed_listAppendExtVA(char* list, const char* separator, int capitalise,
                                             const char* format, va_list args)
{
    return appendGuarded(list, separator, capitalise != 0, format, args);
}

PELUND_API int psStringFixed_listAppendExtA(char* list, const char* separator, int capitalise,
                                            const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int rc = appendGuarded(list, separator, capitalise != 0, format, args);
    va_end(args);
    return rc;
}

PELUND_API int psStringFixed_listAppendA(char* list, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int rc = appendGuarded(list, ", ", true, format, args);
    va_end(args);
    return rc;
}

PELUND_API int psStringFixed_listAppendExtVW(ps_char16* list, const ps_char16* separator,
                                             int capitalise, const ps_char16* format,
                                             va_list args)
{
    return appendGuarded(list, separator, capitalise != 0, format, args);
}

PELUND_API int psStringFixed_listAppendExtW(ps_char16* list, const ps_char16* separator,
                                            int capitalise, const ps_char16* format, ...)
{
    va_list args;
    va_start(args, format);
    int rc = appendGuarded(list, separator, capitalise != 0, format, args);
    va_end(args);
    return rc;
}

PELUND_API int psStringFixed_listAppendW(ps_char16* list, const ps_char16* format, ...)
{
    va_list args;
    va_start(args, format);
    int rc = appendGuarded(list, u", ", true, format, args);
    va_end(args);
    return rc;
}

PELUND_API int psStringFixed_listTruncateBySeparatorExtA(char* list, const char* marker,
                                                         char separator, int maximum,
                                                         const char* pairs)
{
    return truncateGuarded(list, marker, separator, maximum, pairs);
}

PELUND_API int psStringFixed_listTruncateBySeparatorA(char* list, char separator, int maximum)
{
    return truncateGuarded<char>(list, "...", separator, maximum, nullptr);
}

PELUND_API int psStringFixed_listTruncateBySeparatorExtW(ps_char16* list, const ps_char16* marker,
                                                         ps_char16 separator, int maximum,
                                                         const ps_char16* pairs)
{
    return truncateGuarded(list, marker, separator, maximum, pairs);
}

PELUND_API int psStringFixed_listTruncateBySeparatorW(ps_char16* list, ps_char16 separator,
                                                      int maximum)
{
    return truncateGuarded<char16_t>(list, dots, separator, maximum, nullptr);
}

}  // extern "C"
