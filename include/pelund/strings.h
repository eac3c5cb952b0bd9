/** @file
   PelundLib: string basics. Letters, digits and case are those of the "C"
   locale: only ASCII letters are letters and change case. Comparisons return
   a negative value, 0 or a positive value as the first differing character
   (upper-cased, unsigned) compares; where noted, -1 also stands for invalid
   arguments. Lengths and capacities count characters of the function's
   width. */
#ifndef PELUND_STRINGS_H
#define PELUND_STRINGS_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Compares A and B without regard to case. Returns 0 when either is null. */
PELUND_API int psString_cmpNoCaseA(const char* a, const char* b);
PELUND_API int psString_cmpNoCaseW(const ps_char16* a, const ps_char16* b);
/** @} */

/** @{ */
/** Compares at most the first N characters of A and B without regard to case.
   Returns -1 when either is null or N <= 0. */
PELUND_API int psString_cmpNoCaseNA(const char* a, const char* b, int n);
PELUND_API int psString_cmpNoCaseNW(const ps_char16* a, const ps_char16* b, int n);
/** @} */

/** @{ */
/** Returns 0 when TEXT starts with PREFIX (any case), else non-zero; -1 for a
   null argument or an empty PREFIX. */
PELUND_API int psString_cmpPrefixNoCaseA(const char* text, const char* prefix);
/** @} */

/** @{ */
/** Returns 0 when TEXT ends with SUFFIX (any case), else non-zero; -1 for a
   null argument or an empty SUFFIX. */
PELUND_API int psString_cmpSuffixNoCase(const char* text, const char* suffix);
/** @} */

/** @{ */
/** Compares the last N characters of A and B (all of a shorter string)
   without regard to case. Returns -1 for a null argument or N <= 0. */
PELUND_API int psString_cmpSuffixNoCaseNA(const char* a, const char* b, int n);
/** @} */

/** @{ */
/** Returns a pointer to the first occurrence of NEEDLE in HAYSTACK, in any
   case, or null (also for null arguments or an empty HAYSTACK). */
PELUND_API char* psString_strNoCaseA(const char* haystack, const char* needle);
PELUND_API ps_char16* psString_strNoCaseW(const ps_char16* haystack, const ps_char16* needle);
/** @} */

/** @{ */
/** As psString_strNoCaseA, for an occurrence that lies wholly within the first
   N characters of HAYSTACK (N is limited to its length). Null for N < 1. */
PELUND_API char* psString_strNoCaseNA(const char* haystack, const char* needle, int n);
PELUND_API ps_char16* psString_strNoCaseNW(const ps_char16* haystack, const ps_char16* needle,
                                           int n);
/** @} */

/** @{ */
/** Copies at most N characters of SOURCE and a terminator to DESTINATION,
   which must hold them. Returns the number copied; 0 (nothing written) for a
   null argument or N == 0. The W form first fills DESTINATION to exactly N
   units (SOURCE, then NUL units), so it must always hold N + 1 units. */
PELUND_API int psString_copyNA(char* destination, const char* source, unsigned int n);
PELUND_API int psString_copyNW(ps_char16* destination, const ps_char16* source, unsigned int n);
/** @} */

/** @{ */
/** Returns how many pieces TEXT splits into at the characters of SEPARATORS:
   the separators plus one, or plus none when TEXT ends in a separator. 0 for
   an empty TEXT or a null argument. */
PELUND_API int psString_countCharsA(const char* text, const char* separators);
PELUND_API int psString_countCharsW(const ps_char16* text, const ps_char16* separators);
/** @} */

/** @{ */
/** Character classes. With ALL set (its low 8 bits non-zero) every character
   must be of the class, otherwise at least one. Return 1 or 0; 0 for a null
   or empty TEXT. Printable is any byte but 0x01 to 0x1F, 0x7F and 0xFF. */
PELUND_API int psString_isAlpha(const char* text, int all);
PELUND_API int psString_isAlphaNumeric(const char* text, int all);
PELUND_API int psString_isPrintable(const char* text, int all);
/** @} */

/** @{ */
/** As above for numeric characters: digits, '.' when ALLOW_POINT is set, and
   '-' in the first position when ALLOW_LEADING_MINUS is set. ALL counts when
   non-zero. */
PELUND_API int psString_isNumericExtA(const char* text, int all, int allow_point,
                                      int allow_leading_minus);
PELUND_API int psString_isNumericExtW(const ps_char16* text, int all, int allow_point,
                                      int allow_leading_minus);
/** @} */

/** @{ */
/** Remove leading (trailing) spaces and tabs from TEXT in place. A null TEXT
   is ignored. */
PELUND_API void psString_TrimLeadingWhiteSpace(char* text);
PELUND_API void psString_TrimTrailingWhiteSpace(char* text);
/** @} */

/** @{ */
/** Replaces every space of TEXT by '_' in place. Returns 0, or 0x8000 for a
   null or empty TEXT. */
PELUND_API int psString_spaceToUnderscoreA(char* text);
PELUND_API int psString_spaceToUnderscoreW(ps_char16* text);
/** @} */

/** @{ */
/** Copies SOURCE to DESTINATION (which may be SOURCE itself), replacing each
   character that is in SET (may be null) or, when CLEAN is set, is not
   printable, by REPLACEMENT (dropping it when REPLACEMENT is null or empty).
   DESTINATION must hold the result. Returns 0, or 0x8000 for a null
   DESTINATION or SOURCE or an empty SOURCE (DESTINATION untouched). */
PELUND_API int psString_replaceCharsA(char* destination, const char* source, const char* set,
                                      const char* replacement, int clean);
PELUND_API int psString_replaceCharsW(ps_char16* destination, const ps_char16* source,
                                      const ps_char16* set, const ps_char16* replacement,
                                      int clean);
/** @} */

/** @{ */
/** Replaces SEARCH by REPLACEMENT in SOURCE, occurrence after occurrence,
   while the text stays shorter than SIZE (the capacity of DESTINATION,
   terminator included; DESTINATION may be SOURCE). CASE_SENSITIVE 0 finds
   SEARCH in any case. Returns 0 after at least one replacement. Returns
   0x8000 for a null argument or SIZE <= 0 (nothing written), when SEARCH
   equals REPLACEMENT or REPLACEMENT contains SEARCH (nothing written), or
   when not even one replacement was possible (DESTINATION then receives
   SOURCE, cut to SIZE - 1 characters). */
PELUND_API int psString_replace(char* destination, const char* source, const char* search,
                                const char* replacement, int size, int case_sensitive);
/** @} */

/** @{ */
/** Writes SOURCE to OUTPUT with each ' as "ft" and each " as "in"; other
   characters that are not plain printable become '?' (with KEEP_HIGH 0 any
   byte outside 0x20 to 0x7E, else only bytes below 0x20, 0x7F and 0xFF).
   OUTPUT must hold twice the length of SOURCE plus one. Returns the number
   of characters written; 0 for null arguments. */
PELUND_API int psString_symbolsToAlpha(char* output, const char* source, int keep_high);
/** @} */

/** @{ */
/** Writes at most MAXIMUM characters of SOURCE to OUTPUT (which must hold
   MAXIMUM + 1); when SOURCE is longer, the end of OUTPUT shows the cut: its
   last characters become MARKER, or "..." for a null MARKER. Returns the
   length of OUTPUT; 0 for a null OUTPUT or SOURCE or MAXIMUM below 4. */
PELUND_API int psString_truncate(char* output, const char* source, const char* marker,
                                 int maximum);
/** @} */

/** @{ */
/** Appends COUNT copies of PAD to TEXT, or as many as fit in CAPACITY
   characters terminator included. Returns the number appended (0 or negative
   when none fitted); a null TEXT returns COUNT and changes nothing. */
PELUND_API int psStringCat_padWithChars(char* text, char pad, int count, int capacity);
/** @} */

/** @{ */
/** Formats the arguments by FORMAT (printf rules) and appends at most SIZE
   characters of the result and a terminator to DESTINATION. Returns the
   length of the whole formatted text, -1 when formatting fails, 0 for a
   null DESTINATION or FORMAT or SIZE <= 0 (nothing appended). */
PELUND_API int psString_catSizedV(char* destination, int size, const char* format, ...);
/** @} */

/** @{ */
/** Replaces in place every unit of TEXT that has no 8-bit form (above U+00FF)
   and every U+00F8 by '~'. A null TEXT is ignored. */
PELUND_API void FilterNonANSIWChar(ps_char16* text);
/** @} */

/** @{ */
/** Returns C lower-cased; only 'A' to 'Z' change. */
PELUND_API ps_char16 psWChar_towlower(ps_char16 c);
/** @} */

/** @{ */
/** Tests NAME against a logical-name PATTERN ('*' runs up to the next pattern
   character, '?' takes one character, no backtracking); with IS_LIST set,
   PATTERN is a list cut at SEPARATOR and any piece may fit. Spaces and tabs
   around both are ignored; CASE_SENSITIVE 0 ignores case. Returns 1 or 0. */
PELUND_API int psString_CompareLogicalNames2(const char* pattern, const char* name, int is_list,
                                             char separator, int case_sensitive);
/** @} */

/** @{ */
/** psString_CompareLogicalNames2 with CASE_SENSITIVE 1. */
PELUND_API int psString_CompareLogicalNames(const char* pattern, const char* name, int is_list,
                                            char separator);
/** @} */

PELUND_END_DECLS

#endif
