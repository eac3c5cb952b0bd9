/** @file
   PelundLib: wildcard patterns.

   LEVEL selects what is special in a pattern:

   | LEVEL   | special in the pattern                                        |
   |---------|---------------------------------------------------------------|
   | below 0 | the pattern matches only the empty string                     |
   | 0       | nothing: pattern and string must be equal                     |
   | 1       | '?' one ASCII letter or digit, '*' any run of characters      |
   | 2       | also '[set]' and '[^set]', with ranges such as 'a-z'          |
   | 3       | also '\|' (zero or one character of any kind) and comma lists of alternatives '[abc,de*]' |

   A level above 3 counts as 3. A match covers the whole string. CASE_SENSITIVE
   0 compares ASCII letters in any case. Matching never allocates more than
   the pattern and string need and takes time polynomial in their lengths. */
#ifndef PELUND_WILDCARDS_H
#define PELUND_WILDCARDS_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Match STRING against PATTERN. Return 1 for a match, 0 otherwise (also for
   a null PATTERN or STRING). The Ext forms give the same results; the W
   form works on UTF-16 units and compares ranges as unsigned units where the
   8-bit forms compare signed bytes. */
PELUND_API int psString_matchWithWildcards(const char* pattern, const char* string, int level,
                                           int case_sensitive);
PELUND_API int psString_matchWithWildcardsExtA(const char* pattern, const char* string,
                                               int level, int case_sensitive);
PELUND_API int psString_matchWithWildcardsExtW(const ps_char16* pattern, const ps_char16* string,
                                               int level, int case_sensitive);
/** @} */

/** @{ */
/** As psString_matchWithWildcards, more permissive inside bracket sets of the
   pattern's own first steps: a '*', '?' or '|' member stands for any
   character, and a comma-list alternative without '*' or '|' takes as many
   characters as psString_matchWithWildcardsSubStringLen counts for it. */
PELUND_API int psString_matchWithWildcardsPlus(const char* pattern, const char* string, int level,
                                               int case_sensitive);
/** @} */

/** @{ */
/** Returns how many string characters the alternative TEXT stands for: its
   characters up to the ']' that closes it, without brackets, less 2 for a
   range such as 'a-c'. OFFSET (may be null) gives the start and is advanced
   past a leading '^'. 0 for a null TEXT. */
PELUND_API int psString_matchWithWildcardsSubStringLen(const char* text, int* offset);
/** @} */

/** @{ */
/** Returns 1 when A and B are equal (in any case when CASE_SENSITIVE is 0). */
PELUND_API int psString_matchChar(char a, char b, int case_sensitive);
/** @} */

/** @{ */
/** Returns 1 when LEVEL is exactly 1 and C is '?' or '*', else 0. */
PELUND_API int psString_charIsWildCard(char c, int level);
/** @} */

/** @{ */
/** Returns a pointer to the first character of STRING for which
   psString_charIsWildCard is 1, or null (also for a null STRING). */
PELUND_API char* psString_findFirstWildCard(const char* string, int level);
/** @} */

/** @{ */
/** Returns a pointer to the first character of STRING that is in SET, or
   null (also for a null argument). */
PELUND_API char* psString_findSubString(const char* string, const char* set);
/** @} */

/** @{ */
/** Returns a pointer to where PATTERN occurs in TEXT: TEXT itself when it
   matches as a whole (case-sensitive); otherwise, at level 1 only, the first
   occurrence of the text before the pattern's first wildcard that the
   wildcard and the literal piece after it can follow. Null when none. */
PELUND_API char* psString_findSubStringWithWildcards(const char* text, const char* pattern,
                                                     int level);
/** @} */

/** @{ */
/** Writes to OUTPUT (512 characters) what the first wildcard of PATTERN
   stands for where PATTERN occurs in TEXT ("plan" for "*.dgn" in
   "plan.dgn"), at most 511 characters. POSITION (may be null) receives the
   place in TEXT just past the expansion. Returns 0, or 0x8000 for a null
   argument, a pattern not found, or a pattern without wildcard (OUTPUT is
   then empty and POSITION the last character of the pattern's occurrence). */
PELUND_API int psString_expandFirstWildcard(char* output, const char* pattern, const char* text,
                                            char** position, int level);
/** @} */

/** @{ */
/** Writes to OUTPUT (512 characters) TEMPLATE with each '?' or '*' replaced by
   what the corresponding wildcard of PATTERN matched in TEXT: "plan.dgn"
   through "*.dgn" and "*.pdf" gives "plan.pdf". At level 0 OUTPUT is a copy
   of TEMPLATE; levels 2 and 3 rewrite as level 1. Returns 0, or 0x8000 when
   an argument is null or TEXT does not match PATTERN (OUTPUT empty) or a
   wildcard of TEMPLATE has no counterpart (OUTPUT holds what was built). */
PELUND_API int psString_replaceWithWildcards(const char* text, char* output, const char* pattern,
                                             const char* template_text, int level);
/** @} */

PELUND_END_DECLS

#endif
