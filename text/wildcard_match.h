// The wildcard matcher shared by the exported matchers and the wildcard
// tools. Patterns and strings are ranges, so that comma-list alternatives and
// string prefixes need no copies.
#ifndef PELUND_TEXT_WILDCARD_MATCH_H
#define PELUND_TEXT_WILDCARD_MATCH_H

#include <cstddef>

namespace pelund {

enum class WildcardFlavor {
    Standard,  // psString_matchWithWildcards
    Ext,       // the Ext forms: no quick rejection of bar runs
    Plus,      // permissive bracket sets in its own steps
};

// Anchored match of STRING[0, SN) against PATTERN[0, PN). Throws
// std::bad_alloc when memory for the search runs out.
bool matchRange(const char* pattern, size_t pn, const char* string, size_t sn, int level,
                bool caseSensitive, WildcardFlavor flavor);
bool matchRange(const char16_t* pattern, size_t pn, const char16_t* string, size_t sn,
                int level, bool caseSensitive, WildcardFlavor flavor);

// The same for NUL-terminated PATTERN and STRING; the string is not measured
// unless the search needs its length.
bool matchText(const char* pattern, const char* string, int level, bool caseSensitive,
               WildcardFlavor flavor);
bool matchText(const char16_t* pattern, const char16_t* string, int level, bool caseSensitive,
               WildcardFlavor flavor);

// The alternative length of psString_matchWithWildcardsSubStringLen over
// TEXT[0, N) from START; START is advanced past a leading '^'.
int alternativeLength(const char* text, size_t n, size_t* start);

}  // namespace pelund

#endif
