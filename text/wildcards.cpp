// The exported matchers and the tools built on them: locating a pattern in a
// text, expanding its first wildcard, and rewriting a matched name through a
// template.
#include "frame/guard.h"
#include "frame/text_forms.h"
#include "pelund/wildcards.h"
#include "text/char_class.h"
#include "text/wildcard_match.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>

namespace pelund {
namespace {

constexpr size_t workArea = 512;  // rewritten names and expansions: 511 + NUL

template <class Ch>
int match(const Ch* pattern, const Ch* string, int level, int caseSensitive,
          WildcardFlavor flavor)
{
    if (!pattern || !string)
        return 0;
    return guarded(0, [&] {
        return matchText(pattern, string, level, caseSensitive != 0, flavor) ? 1 : 0;
    });
}

bool isWildcard(char c, int level) { return level == 1 && (c == '?' || c == '*'); }

const char* firstWildcard(const char* s, int level)
{
    for (; *s; ++s)
        if (isWildcard(*s, level))
            return s;
    return nullptr;
}

// The pattern split at its first wildcard: the literal text before it, the
// wildcard, and the literal piece up to the next wildcard or the end.
struct Split {
    std::string_view prefix;
    char wildcard = 0;
    std::string_view piece;
};

bool splitAtWildcard(const char* pattern, int level, Split* split)
{
    const char* w = firstWildcard(pattern, level);
    if (!w)
        return false;
    const char* next = w + 1;
    while (*next && !isWildcard(*next, level))
        ++next;
    split->prefix = std::string_view(pattern, size_t(w - pattern));
    split->wildcard = *w;
    split->piece = std::string_view(w + 1, size_t(next - w - 1));
    return true;
}

const char* locate(const char* text, const char* pattern, int level)
{
    if (match(pattern, text, level, 1, WildcardFlavor::Standard))
        return text;
    Split split;
    if (level != 1 || !splitAtWildcard(pattern, level, &split))
        return nullptr;
    std::string_view t(text);
    for (size_t at = t.find(split.prefix); at != std::string_view::npos;
         at = t.find(split.prefix, at + 1)) {
        size_t after = at + split.prefix.size();
        if (split.wildcard == '?') {
            if (after < t.size() && t.substr(after + 1, split.piece.size()) == split.piece)
                return text + at;
        } else {
            // A later occurrence leaves less text for the piece to be found
            // in, so only the first one can be accepted.
            return t.find(split.piece, after) != std::string_view::npos ? text + at : nullptr;
        }
    }
    return nullptr;
}

// What the first wildcard of PATTERN stands for in TEXT. *POSITION is set as
// the exported function documents.
int expand(std::string* out, const char* pattern, const char* text, const char** position,
           int level)
{
    out->clear();
    const char* located = locate(text, pattern, level);
    if (!located)
        return PS_FAILURE;
    const char* end = text + std::strlen(text);
    Split split;
    if (!splitAtWildcard(pattern, level, &split)) {
        size_t pl = std::strlen(pattern);
        size_t offset = std::min(pl ? pl - 1 : 0, size_t(end - located));
        if (position)
            *position = located + offset;
        return PS_FAILURE;
    }
    const char* start = located + split.prefix.size();
    long long len = split.wildcard == '?'
                        ? 1
                        : (long long)(end - located) - (long long)split.prefix.size() -
                              (long long)split.piece.size();
    size_t n = size_t(std::clamp<long long>(len, 0, end - start));
    out->assign(start, n);
    if (position)
        *position = start + n;
    return PS_SUCCESS;
}

void writeWorkArea(char* output, const std::string& text)
{
    size_t n = std::min(text.size(), workArea - 1);
    std::memcpy(output, text.data(), n);
    output[n] = '\0';
}

int rewrite(const char* text, char* output, const char* pattern, const char* templ, int level)
{
    output[0] = '\0';
    if (!match(pattern, text, level, 1, WildcardFlavor::Standard))
        return PS_FAILURE;
    std::string out;
    if (level <= 0) {
        writeWorkArea(output, templ);
        return PS_SUCCESS;
    }
    const char* pos = text;
    const char* rest = pattern;
    std::string piece;
    for (const char* t = templ; *t; ++t) {
        if (*t != '?' && *t != '*') {
            out.push_back(*t);
            continue;
        }
        if (expand(&piece, rest, pos, &pos, 1) != PS_SUCCESS) {
            writeWorkArea(output, out);
            return PS_FAILURE;
        }
        out += piece;
        rest = firstWildcard(rest, 1) + 1;
    }
    writeWorkArea(output, out);
    return PS_SUCCESS;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psString_matchWithWildcards(const char* pattern, const char* string, int level,
                                           int case_sensitive)
{
    return match(pattern, string, level, case_sensitive, WildcardFlavor::Standard);
}

PELUND_API int psString_matchWithWildcardsExtA(const char* pattern, const char* string,
                                               int level, int case_sensitive)
{
    return match(pattern, string, level, case_sensitive, WildcardFlavor::Ext);
}

PELUND_API int psString_matchWithWildcardsExtW(const ps_char16* pattern, const ps_char16* string,
                                               int level, int case_sensitive)
{
    return match(pattern, string, level, case_sensitive, WildcardFlavor::Ext);
}

PELUND_API int psString_matchWithWildcardsPlus(const char* pattern, const char* string, int level,
                                               int case_sensitive)
{
    return match(pattern, string, level, case_sensitive, WildcardFlavor::Plus);
}

PELUND_API int psString_matchWithWildcardsSubStringLen(const char* text, int* offset)
{
    if (!text)
        return 0;
    size_t n = std::strlen(text);
    size_t start = offset && *offset > 0 ? std::min(size_t(*offset), n) : 0;
    int len = alternativeLength(text, n, &start);
    if (offset)
        *offset = int(std::min<size_t>(start, INT_MAX));
    return len;
}

PELUND_API int psString_matchChar(char a, char b, int case_sensitive)
{
    return sameChar(a, b, case_sensitive != 0) ? 1 : 0;
}

PELUND_API int psString_charIsWildCard(char c, int level) { return isWildcard(c, level) ? 1 : 0; }

PELUND_API char* psString_findFirstWildCard(const char* string, int level)
{
    return string ? const_cast<char*>(firstWildcard(string, level)) : nullptr;
}

PELUND_API char* psString_findSubString(const char* string, const char* set)
{
    if (!string || !set)
        return nullptr;
    return const_cast<char*>(std::strpbrk(string, set));
}

PELUND_API char* psString_findSubStringWithWildcards(const char* text, const char* pattern,
                                                     int level)
{
    if (!text || !pattern)
        return nullptr;
    return const_cast<char*>(locate(text, pattern, level));
}

PELUND_API int psString_expandFirstWildcard(char* output, const char* pattern, const char* text,
                                            char** position, int level)
{
    if (!output || !pattern || !text)
        return PS_FAILURE;
    output[0] = '\0';
    return guarded(PS_FAILURE, [&] {
        std::string piece;
        const char* pos = nullptr;
        int result = expand(&piece, pattern, text, &pos, level);
        if (position && pos)
            *position = const_cast<char*>(pos);
        writeWorkArea(output, piece);
        return result;
    });
}

PELUND_API int psString_replaceWithWildcards(const char* text, char* output, const char* pattern,
                                             const char* template_text, int level)
{
    if (!output)
        return PS_FAILURE;
    output[0] = '\0';
    if (!text || !pattern || !template_text)
        return PS_FAILURE;
    return guarded(PS_FAILURE, [&] { return rewrite(text, output, pattern, template_text, level); });
}

}  // extern "C"
