/** @file
   PelundLib: separated string lists ("A-Wall, A-Door, A-Glaz").

   Entries are separated by any character of a SEPARATORS set; two
   separators in a row make an empty entry, and a separator at the very end
   starts none. A QUOTES set (may be null) protects separators inside an
   entry; a BLANKS set (may be null) is passed over before an entry and cut
   after it. Fixed lists live in the caller's buffer, which must have room for
   the result. Dynamic strings are allocated by the library and released with
   psStringDynamic_freeA / psStringDynamic_freeW (see pelund/misc.h). */
#ifndef PELUND_LISTS_H
#define PELUND_LISTS_H

#include <stdarg.h>

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Returns a pointer into LIST at the start of entry INDEX (0-based, before
   any blanks), or null when the list has fewer entries or an argument other
   than QUOTES is null. */
PELUND_API char* psString_listGetEntryA(const char* list, const char* separators,
                                        const char* quotes, int index);
PELUND_API ps_char16* psString_listGetEntryW(const ps_char16* list, const ps_char16* separators,
                                             const ps_char16* quotes, int index);
/** @} */

/** @{ */
/** Returns the number of entries of LIST; 0 for an empty list or a null LIST
   or SEPARATORS. */
PELUND_API int psString_listGetSize(const char* list, const char* separators, const char* quotes);
/** @} */

/** @{ */
/** Returns 1 when an entry of LIST, blanks cut, equals ITEM (in any case when
   IGNORE_CASE is non-zero), else 0; 0 for a null LIST or ITEM. Entries are
   compared by their first 1023 characters. */
PELUND_API int psString_listIsMemberExt(const char* list, const char* item, const char* separators,
                                        const char* blanks, const char* quotes, int ignore_case);
PELUND_API int psString_listIsMemberA(const char* list, const char* item, const char* separators,
                                      const char* blanks, int ignore_case);
/** @} */
/** @{ */
/** The UTF-16 texts are converted to 8-bit (units above U+00FF become '?')
   and answered as psString_listIsMemberA. */
PELUND_API int psString_listIsMemberW(const ps_char16* list, const ps_char16* item,
                                      const ps_char16* separators, const ps_char16* blanks,
                                      int ignore_case);
/** @} */

/** @{ */
/** Returns 1 when the non-empty entries of FIRST match SECOND: in order, entry
   for entry (SECOND may go on beyond them), or with UNORDERED set as sets of
   members both ways. 0 otherwise, for a null list, or when nothing was
   compared. */
PELUND_API int psString_listsAreSame(const char* first, const char* second, const char* separators,
                                     const char* blanks, int ignore_case, int unordered);
/** @} */

/** @{ */
/** Append an entry formatted by FORMAT (printf rules, at most 1023
   characters) to LIST, preceded by SEPARATOR (may be null) when LIST is
   neither empty nor ends in a line feed. With CAPITALISE set, a first entry
   that begins with a letter is given a capital. Return 0, or 0x8000 for a
   null LIST or FORMAT. An empty FORMAT appends only the separator. The W
   forms take UTF-16 formats whose %s arguments are UTF-16 (%hs: 8-bit). */
PELUND_API int psStringFixed_listAppendExtVA(char* list, const char* separator, int capitalise,
                                             const char* format, va_list args);
PELUND_API int psStringFixed_listAppendExtA(char* list, const char* separator, int capitalise,
                                            const char* format, ...);
/** @} */
/** @{ */
/** Separator ", " and CAPITALISE set. */
PELUND_API int psStringFixed_listAppendA(char* list, const char* format, ...);
PELUND_API int psStringFixed_listAppendExtVW(ps_char16* list, const ps_char16* separator,
                                             int capitalise, const ps_char16* format,
                                             va_list args);
PELUND_API int psStringFixed_listAppendExtW(ps_char16* list, const ps_char16* separator,
                                            int capitalise, const ps_char16* format, ...);
PELUND_API int psStringFixed_listAppendW(ps_char16* list, const ps_char16* format, ...);
/** @} */

/** @{ */
/** Shorten LIST by whole entries, cutting at its last SEPARATOR until it and
   MARKER (may be null) fit in MAXIMUM characters; with no separator left the
   list is cut at the length that fits. MARKER is appended at the cut. With a
   PAIRS set (may be null), a cut never falls between two pair characters
   such as quotes. Return 0, or 0x8000 (nothing changed) for a null LIST, a
   MAXIMUM below 4, or a list that already fits. */
PELUND_API int psStringFixed_listTruncateBySeparatorExtA(char* list, const char* marker,
                                                         char separator, int maximum,
                                                         const char* pairs);
/** @} */
/** @{ */
/** Marker "..." and no pair set. */
PELUND_API int psStringFixed_listTruncateBySeparatorA(char* list, char separator, int maximum);
PELUND_API int psStringFixed_listTruncateBySeparatorExtW(ps_char16* list, const ps_char16* marker,
                                                         ps_char16 separator, int maximum,
                                                         const ps_char16* pairs);
PELUND_API int psStringFixed_listTruncateBySeparatorW(ps_char16* list, ps_char16 separator,
                                                      int maximum);
/** @} */

/** @{ */
/** Append TEXT to the dynamic string *STRING (a null *STRING starts an empty
   one). Return 0, or 0x8000 for a null argument or when the string cannot
   grow (it then stays as it was). */
PELUND_API int psStringDynamic_addA(char** string, const char* text);
PELUND_API int psStringDynamic_addW(ps_char16** string, const ps_char16* text);
/** @} */

/** @{ */
/** Formats (printf rules, at most 1023 characters) and appends as
   psStringDynamic_addA; 0x8000 also when the formatted text is empty. */
PELUND_API int psStringDynamic_addV(char** string, const char* format, ...);
/** @} */

PELUND_END_DECLS

#endif
