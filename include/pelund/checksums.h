/** @file
   PelundLib: checksums. The fastest code path the processor allows is
   chosen at run time; every path gives the same results. */
#ifndef PELUND_CHECKSUMS_H
#define PELUND_CHECKSUMS_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Continues the CRC-32 (IEEE 802.3, reflected, as zlib's crc32) CRC over
   LENGTH bytes at DATA: start with 0, pass each result to the next call.
   Returns the new CRC; 0 for a null DATA. */
PELUND_API uint32_t psMath_calcCRC32(uint32_t crc, const void* data, uint32_t length);
/** @} */

/** @{ */
/** Computes the SHA-1 of LENGTH bytes at DATA into DIGEST (five words H0..H4
   in the machine's byte order; the usual 20-byte digest is each word most
   significant byte first). With RESET_CHECKSUM set it starts from the
   standard initial state, otherwise from the words in DIGEST; either way the
   padding counts only this call's bytes, so chained calls do not give the
   SHA-1 of the joined data. Lengths from 512 MiB on are not supported. A
   null DIGEST or DATA changes nothing. Writes one line to the debug output
   channel per call. Returns 0. */
PELUND_API int psMath_calcSHA1(uint32_t digest[5], const void* data, uint32_t length,
                               unsigned char reset_checksum);
/** @} */

/** @{ */
/** Return a 32-bit multiplicative hash of TEXT (0 for a null or empty TEXT);
   both forms agree for text whose bytes and units have the same values. */
PELUND_API int psMath_encodeStringA(const char* text);
PELUND_API int psMath_encodeStringW(const ps_char16* text);
/** @} */

PELUND_END_DECLS

#endif
