/** @file
   PelundLib: Perl-compatible regular expressions (PCRE2, UTF-8).

   A compiled pattern is read-only while it matches: one handle may serve
   several threads at once, as long as it is not destroyed meanwhile.
   Patterns are JIT-compiled where PCRE2 can; the environment variable
   PELUND_REGEX_JIT=0 leaves that out (for memory checkers), with the same
   answers. */
#ifndef PELUND_REGEX_H
#define PELUND_REGEX_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Compiles PATTERN (UTF-8; CASELESS non-zero ignores case). UNUSED is not
   read. Returns the compiled pattern, or null for a null or invalid pattern;
   then ERROR_TEXT (256 bytes, may be null) gets PCRE2's message. Release the
   pattern with psRegex_destroy. */
PELUND_API void* psRegex_create(const char* pattern, int caseless, int unused, char* error_text);
/** @} */

/** @{ */
/** Frees a compiled pattern; null does nothing. */
PELUND_API void psRegex_destroy(void* pattern);
/** @} */

/** @{ */
/** Return 1 when PATTERN matches somewhere in SUBJECT (UTF-8, or UTF-16 for
   the W form), else 0: also for a null argument and for a subject that is
   not valid UTF-8. */
PELUND_API int psRegex_matchString(void* pattern, const char* subject);
PELUND_API int psRegex_matchStringW(void* pattern, const ps_char16* subject);
/** @} */

PELUND_END_DECLS

#endif
