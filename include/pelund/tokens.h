/** @file
   PelundLib: the tokenizer.

   Each call takes the next token from SOURCE. Every set is a NUL-terminated
   string of characters (null: no such set):

   | set       | its characters                                               |
   |-----------|--------------------------------------------------------------|
   | skip      | are passed over before the token (counted, not copied)       |
   | trim      | are cut from the end of the token                            |
   | remove    | are dropped wherever they occur in the token (counted, not copied) |
   | separator | end the token and are consumed with it                       |
   | stop      | end the token and are left in place                          |
   | quote     | (Ext forms) toggle a quoted state in which separator, stop and remove have no effect; the quote itself is not copied |

   SIZE limits how many characters of SOURCE are examined; 0 or less means
   all. OUTPUT may be null (only the count is computed); otherwise it must
   hold the examined characters plus a terminator. The result is the number
   of characters consumed: add it to the position and call again until it
   is 0. A null SOURCE gives 0 and leaves OUTPUT untouched; an empty one
   gives 0 and an empty token. */
#ifndef PELUND_TOKENS_H
#define PELUND_TOKENS_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Take the next token of SOURCE, examining at most SIZE characters (0 or
   less: all), as the file's description says. Return the number of
   characters consumed. */
PELUND_API int psString_getTokenSizedA(char* output, const char* source, const char* skip,
                                       const char* trim, const char* remove,
                                       const char* separator, const char* stop, int size);
PELUND_API int psString_getTokenSizedW(ps_char16* output, const ps_char16* source,
                                       const ps_char16* skip, const ps_char16* trim,
                                       const ps_char16* remove, const ps_char16* separator,
                                       const ps_char16* stop, int size);
/** @} */

/** @{ */
/** The sized forms with SIZE 0: the whole source is examined. */
PELUND_API int psString_getTokenA(char* output, const char* source, const char* skip,
                                  const char* trim, const char* remove, const char* separator,
                                  const char* stop);
PELUND_API int psString_getTokenW(ps_char16* output, const ps_char16* source,
                                  const ps_char16* skip, const ps_char16* trim,
                                  const ps_char16* remove, const ps_char16* separator,
                                  const ps_char16* stop);
/** @} */

/** @{ */
/** The quoted forms: as above, with a QUOTE set whose characters protect
   separators, stops and removable characters between them. A quote left open
   runs to the end of the examined text. */
PELUND_API int psString_getTokenSizedExtA(char* output, const char* source, const char* skip,
                                          const char* trim, const char* remove,
                                          const char* separator, const char* stop,
                                          const char* quote, int size);
PELUND_API int psString_getTokenSizedExtW(ps_char16* output, const ps_char16* source,
                                          const ps_char16* skip, const ps_char16* trim,
                                          const ps_char16* remove, const ps_char16* separator,
                                          const ps_char16* stop, const ps_char16* quote,
                                          int size);
PELUND_API int psString_getTokenExtA(char* output, const char* source, const char* skip,
                                     const char* trim, const char* remove, const char* separator,
                                     const char* stop, const char* quote);
PELUND_API int psString_getTokenExtW(ps_char16* output, const ps_char16* source,
                                     const ps_char16* skip, const ps_char16* trim,
                                     const ps_char16* remove, const ps_char16* separator,
                                     const ps_char16* stop, const ps_char16* quote);
/** @} */

PELUND_END_DECLS

#endif
