/** @file
   PelundLib: buffers handed to callers, the all-zero test and time strings. */
#ifndef PELUND_MISC_H
#define PELUND_MISC_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Allocates a zeroed block of up to SIZE bytes. When the heap cannot give
   SIZE, the size is halved until a block is obtained; *GRANTED (may be null)
   receives the size actually given. Keeps 64 KiB of heap free for the caller.
   Returns null for SIZE 0 (then *GRANTED is not written) or when not even one
   byte can be had. Release the block with psMisc_freeBuffer. */
PELUND_API void* psMisc_callocBuffer(uint64_t size, uint64_t* granted);
/** @} */

/** @{ */
/** Resizes BLOCK (may be null) to up to SIZE bytes, halving the size while the
   heap cannot give it; *GRANTED (may be null) receives the size given. Bytes
   added beyond the old size are not zeroed. Returns the resized block, or null
   for SIZE 0 or exhausted memory, in which case BLOCK is untouched and still
   the caller's. Release with psMisc_freeBuffer. */
PELUND_API void* psMisc_reallocBuffer(void* block, uint64_t size, uint64_t* granted);
/** @} */

/** @{ */
/** Frees a block that the library handed out. ADDRESS is the address of the
   caller's pointer variable (e.g. &buffer); the variable is set to null.
   Returns 0, or 0x8000 when ADDRESS or the pointer it holds is null, so a
   second call is harmless. Also exported as psStringDynamic_freeA,
   psStringDynamic_freeW, psMath_freeIntList and vnDBUtils_freeList. */
PELUND_API int psMisc_freeBuffer(void* address);
/** @} */

/** @{ */
/** Second names of psMisc_freeBuffer, kept for the families whose blocks they
   free (dynamic strings, integer lists, SQL text lists): the same function. */
PELUND_API int psStringDynamic_freeA(void* address);
PELUND_API int psStringDynamic_freeW(void* address);
PELUND_API int psMath_freeIntList(void* address);
PELUND_API int vnDBUtils_freeList(void* address);
/** @} */

/** @{ */
/** Returns 1 when DATA is null, LENGTH is 0 or negative, or all LENGTH bytes at
   DATA are zero; otherwise 0. */
PELUND_API int psMisc_isDataNull(const void* data, int length);
/** @} */

/** @{ */
/** Writes the English name of MONTH (1 to 12), a space and YEAR into BUFFER,
   which must hold 256 bytes: "March 2024". A month outside 1 to 12 counts on
   into the next or back into the previous years. Returns 0, or 0x8000 for a
   null BUFFER. */
PELUND_API int psMisc_buildTimeString(char* buffer, int month, int year);
/** @} */

/** @{ */
/** Returns the current local date and time as 24 characters without a line
   end, "Wed Jan 02 02:03:55 1980", with English names whatever the locale.
   The text lives in a static area (never freed) that the next call of the
   same function overwrites; not for concurrent use. */
PELUND_API const char* psMisc_getAsciiTimeA(void);
/** @} */

/** @{ */
/** The same as psMisc_getAsciiTimeA in UTF-16, in a static area of its own. */
PELUND_API const ps_char16* psMisc_getAsciiTimeW(void);
/** @} */

PELUND_END_DECLS

#endif
