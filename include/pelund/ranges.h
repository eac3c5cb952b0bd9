/** @file
   PelundLib: number lists such as "1-5, 7, 10-12", bit masks, lists that mix
   numbers and name patterns, and lists of decimals and decimal ranges
   ("0.25, 1.5-2.0"). Bit masks are caller-owned byte arrays; bit k is bit
   k % 8 of byte k / 8, and a BASE maps value v to bit v - BASE. */
#ifndef PELUND_RANGES_H
#define PELUND_RANGES_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Checks one element "n" or "n-m" (spaces allowed, n and m may be negative:
   "-5--3"; parts beyond 63 characters, 127 in the W form, are cut). LOWER
   (may be null) is raised to n when n is not below it; UPPER (may be null)
   becomes m (n for a single number) unless m lies above a range UPPER >
   LOWER already held, which fails. IS_RANGE (may be null) is set to 1 for
   "n-m", else 0. Returns 1 for a valid element: a single number only with
   SINGLE_ALLOWED set, and without bounds a range only when n <= m. */
PELUND_API int psString_isValidNumericRangeA(const char* text, int single_allowed, int* lower,
                                             int* upper, int* is_range);
PELUND_API int psString_isValidNumericRangeW(const ps_char16* text, int single_allowed,
                                             int* lower, int* upper, int* is_range);
/** @} */

/** @{ */
/** Clear MASK (SIZE bytes) and set the bits of the values listed in TEXT
   ("1,3,5-9"; a range sets its bits only when start < end, "-3" is 0 to 3;
   values outside the mask are ignored). Return 0, or 0x8000 for a null MASK
   or TEXT. */
PELUND_API int psString_buildBitMaskFromStringA(unsigned char* mask, const char* text, int size,
                                                int base);
PELUND_API int psString_buildBitMaskFromStringW(unsigned char* mask, const ps_char16* text,
                                                int size, int base);
/** @} */

/** @{ */
/** Write the shortest list of the set bits of MASK (SIZE bytes) to OUTPUT,
   such as "1-3,5,7-9"; OUTPUT must hold it (the W form writes at most 1023
   units). Return 0, or 0x8000 for a null OUTPUT or MASK. */
PELUND_API int psString_buildStringFromBitMaskA(char* output, const unsigned char* mask, int size,
                                                int base);
PELUND_API int psString_buildStringFromBitMaskW(ps_char16* output, const unsigned char* mask,
                                                int size, int base);
/** @} */

/** @{ */
/** Rewrite the integer list TEXT in place sorted, merged and without
   duplicates ("7,1-3,2,9" gives "1-3,7,9"), keeping only values from BASE to
   BASE + COUNT - 1 (rounded up to whole bytes). TEXT must have room for the
   result. Return 0, or 0x8000 for a null TEXT, BASE < 0 or BASE >= COUNT. */
PELUND_API int psStringFixed_listFormatNumericRangeA(char* text, int base, int count);
PELUND_API int psStringFixed_listFormatNumericRangeW(ps_char16* text, int base, int count);
/** @} */

/** @{ */
/** Returns 1 when TEXT, spaces and tabs ignored, is not empty and holds only
   digits, points, commas and hyphens, else 0. HAS_RANGE (may be null) is set
   to 1 when a ',' or '-' occurs, else 0. */
PELUND_API int psStringAsList_isNumericRange(const char* text, int* has_range);
/** @} */

/** @{ */
/** Returns 1 when VALUE falls in a numeric element of LIST or matches one of
   its other elements as a wildcard pattern at LEVEL, else 0. The list is
   read with the tokenizer's sets (any may be null); elements beyond 512
   characters (1024 in the W form) are cut. A numeric VALUE is only tested
   against numeric elements that pass psString_isValidNumericRangeA with
   LOWER and UPPER (may be null); on a hit LOWER and UPPER receive the
   element's bounds and IS_RANGE whether it was a range. */
PELUND_API int psStringAsList_matchStringInAlphaNumericRangeA(
    const char* list, const char* value, int level, const char* skip, const char* trim,
    const char* remove, const char* separators, const char* quotes, int* lower, int* upper,
    int* is_range, int case_sensitive);
PELUND_API int psStringAsList_matchStringInAlphaNumericRangeW(
    const ps_char16* list, const ps_char16* value, int level, const ps_char16* skip,
    const ps_char16* trim, const ps_char16* remove, const ps_char16* separators,
    const ps_char16* quotes, int* lower, int* upper, int* is_range, int case_sensitive);
/** @} */

/** @{ */
/** Returns the number of characters of LIST up to and including the
   separator of the first element that differs from VALUE by less than
   TOLERANCE, or -1 when none does (or for a null LIST or SEPARATORS). */
PELUND_API int psStringAsList_findDoubleA(double value, const char* list, const char* separators,
                                          double tolerance);
PELUND_API int psStringAsList_findDoubleW(double value, const ps_char16* list,
                                          const ps_char16* separators, double tolerance);
/** @} */

/** @{ */
/** Reads the decimal element at TEXT ("1.5", "2 - 1" as 1 to 2; "-5" reads
   as -5 to 5) into *LOWER and *UPPER (either may be null). Returns the
   number of characters consumed, 0 at the end or for a null TEXT. */
PELUND_API int psStringFixed_listReadDoubleRangeA(const char* text, double* lower, double* upper);
PELUND_API int psStringFixed_listReadDoubleRangeW(const ps_char16* text, double* lower,
                                                  double* upper);
/** @} */

/** @{ */
/** Append "lo-hi" (or "lo" when LOWER >= UPPER) to LIST, each value written
   with PRECISION decimals and then trimmed to at least one ("2.0", "1.25").
   LIST must have room. Return 0, or 0x8000 for a null LIST. */
PELUND_API int psStringFixed_listAddDoubleRangeA(char* list, double lower, double upper,
                                                 int precision);
PELUND_API int psStringFixed_listAddDoubleRangeW(ps_char16* list, double lower, double upper,
                                                 int precision);
/** @} */

/** @{ */
/** Rewrite the decimal list TEXT in place: each element as "lo" or "lo-hi",
   sorted by lo, and elements contained in an earlier one removed ("1-10,
   2-3, 4-5" gives "1.0-10.0"); overlapping elements are kept. The first 511
   characters of TEXT are read and the result has at most 511; TEXT must
   have room for it. Return 0, also for a null TEXT (nothing changed). */
PELUND_API int psStringFixed_listFormatDoubleRangeA(char* text, int precision);
PELUND_API int psStringFixed_listFormatDoubleRangeW(ps_char16* text, int precision);
/** @} */

PELUND_END_DECLS

#endif
