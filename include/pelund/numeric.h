/** @file
   PelundLib: numeric helpers: tolerant comparison, bits and bit masks,
   integer lists, point sorting and numbers as text. */
#ifndef PELUND_NUMERIC_H
#define PELUND_NUMERIC_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Returns 1 when |A - B| <= TOLERANCE or either is NaN, else 0. */
PELUND_API int psMath_compareDoubles(double a, double b, double tolerance);
/** @} */

/** @{ */
/** Compares VALUE with MASTER, both multiplied by SCALE and rounded to whole
   numbers, within PERCENT of the master. Returns 1 when they match, else 0;
   on a mismatch OUTPUT (may be null) receives a short description such as
   "17%" or " 5.000MU" followed by UNIT (may be null: "MU"; at most 63
   characters). OUTPUT must hold the longest such text for the numbers. */
PELUND_API int psMath_compareDoublesAsMasterA(double value, double master, double percent,
                                              char* output, const char* unit, double scale);
PELUND_API int psMath_compareDoublesAsMasterW(double value, double master, double percent,
                                              ps_char16* output, const ps_char16* unit,
                                              double scale);
/** @} */

/** @{ */
/** Return the bits LOW to HIGH (positions taken modulo 32) of the low byte of
   VALUE (of the 32-bit VALUE), shifted down to bit 0. */
PELUND_API unsigned int psMath_extractBitsFromByte(unsigned int value, int low, int high);
PELUND_API unsigned int psMath_extractBitsFromLong(unsigned int value, int low, int high);
/** @} */

/** @{ */
/** Returns 1 when VALUE is among the first COUNT entries of LIST, else 0. */
PELUND_API int psMath_isIntInList(const int* list, int count, int value);
/** @} */

/** @{ */
/** Appends the positive VALUE to the integer list *LIST of *COUNT entries,
   growing it (a null *LIST starts one). Returns 0, or 0x8000 for a null
   argument, a VALUE of 0 or less, or when the list cannot grow (list and
   count then stay as they were). Release the list with psMath_freeIntList. */
PELUND_API int psMath_addIntToList(int** list, int value, int* count);
/** @} */

/** @{ */
/** One operation OPERATION on the bit mask MASK of SIZE bytes (bit N is bit
   N % 8 of byte N / 8):

   | OPERATION                   | does                  | returns                                  |
   |-----------------------------|-----------------------|------------------------------------------|
   | 1, 2, 7                     | set, clear, invert all | 0                                       |
   | 3, 4, 5                     | set, clear, invert bit N | 0, or 0x8000 when N >= SIZE * 8       |
   | 6                           | tests bit N           | 0 when set, 0x8000 when clear or N >= SIZE * 8 |
   | 8                           | tests for any bit set | 0 when one is, else 0x8000               |
   | 9, 10                       | finds the lowest, highest set bit | its number, or -1 when none is set |
   | other                       | nothing               | 0 when N < SIZE * 8, else 0x8000         |

   A null MASK or SIZE <= 0 gives 0x8000. */
PELUND_API int psMath_setBitMask(unsigned int n, unsigned char* mask, int size, int operation);
/** @} */

/** @{ */
/** Sorts COUNT points of three doubles (x, y, z) in place by one coordinate,
   stably: MODE 1 x ascending, 2 x descending, 4 y ascending, 8 y
   descending, 16 z ascending, 32 z descending; other modes change nothing.
   A NaN key never moves. Returns 0. */
PELUND_API int psMath_sortPoints(double* points, int count, int mode);
/** @} */

/** @{ */
/** Tidies a number written with a decimal point, in place: leading blanks
   and trailing blanks and zeros go, then zeros are added until at least
   DECIMALS digits follow the point ("12.3400" and 1 give "12.34", "1.5" and 3
   give "1.500"; TEXT must have room). A text without a point keeps its
   zeros. Returns 0, or 0x8000 for a null or empty TEXT. */
PELUND_API int psMath_trimDoubleAsStringA(char* text, int decimals);
PELUND_API int psMath_trimDoubleAsStringW(ps_char16* text, int decimals);
/** @} */

/** @{ */
/** Writes the magnitude of VALUE in decimal to OUTPUT (21 bytes); the most
   negative value, which has no positive counterpart, is written with its
   sign. Returns 0, or 0x8000 for a null OUTPUT. */
PELUND_API int psMath_convert64BitToStringA(char* output, int64_t value);
/** @} */

PELUND_END_DECLS

#endif
