/** @file
   PelundLib: buffered file streams behind opaque handles.

   A handle comes from psWinAPI_fopen (8-bit stream: bytes) or
   psWinAPI_wfopen (wide stream: UTF-16 text in memory, the file holding the
   8-bit text of the locale that was global at open time, no byte-order mark)
   and is released with the matching close function. Every function accepts a
   null handle: unless said otherwise it then does nothing and returns 0.
   A stream is good, at end of file, or failed; a failed stream stays failed
   until it is closed. Text and binary modes store bytes alike. Positions and
   counts are 32-bit. A handle is for one thread at a time. */
#ifndef PELUND_FILE_STREAMS_H
#define PELUND_FILE_STREAMS_H

#include <stdarg.h>

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Opens PATH (a file name as it is) by MODE: "r" read an existing file, "w"
   create or truncate, "a" append (created if missing), each with "+" for
   reading and writing; a "b" anywhere is accepted. Stores the new handle in
   *HANDLE and returns 0; returns 0x8000 and leaves *HANDLE alone for a null
   argument, a mode without r, w or a, or a file that cannot be opened. */
PELUND_API int psWinAPI_fopen(void** handle, const char* path, const char* mode);
/** @} */

/** @{ */
/** The same for a wide stream; PATH is UTF-16 and names the file by its UTF-8
   form. */
PELUND_API int psWinAPI_wfopen(void** handle, const ps_char16* path, const ps_char16* mode);
/** @} */

/** @{ */
/** Flush and close the stream *HANDLE, free it and set *HANDLE to null.
   Return 0 always; a null HANDLE or *HANDLE does nothing. */
PELUND_API int psWinAPI_fclose(void** handle);
PELUND_API int psWinAPI_wfclose(void** handle);
/** @} */

/** @{ */
/** For both kinds of handle:
   - feof: 1 when the end-of-file state is set, else 0.
   - fflush: writes buffered output; 0.
   - fseek: clears the end-of-file state and, unless the stream failed, moves
     to OFFSET from ORIGIN (0 start, 1 current, 2 end; another ORIGIN does
     nothing); 0 always. A wide stream in a multibyte encoding moves only by
     offset 0.
   - ftell: the position, or -1 (the stream then fails) at end of file or on
     a failed stream. */
PELUND_API int psWinAPI_feof(void* handle);
PELUND_API int psWinAPI_fflush(void* handle);
PELUND_API int psWinAPI_fseek(void* handle, int32_t offset, int origin);
PELUND_API int32_t psWinAPI_ftell(void* handle);
/** @} */

/** @{ */
/** The next byte (0 to 255); -1 at end of file or on failure; 0 for a null
   handle. */
PELUND_API int psWinAPI_fgetc(void* handle);
/** @} */

/** @{ */
/** The next UTF-16 unit of a wide stream (a character beyond U+FFFF comes as
   two calls); 0 at end of file, on failure and for a null handle. */
PELUND_API ps_char16 psWinAPI_fgetwc(void* handle);
/** @} */

/** @{ */
/** Reads one line: up to and including the next line feed, which is consumed
   and not stored, or to the end of the file. Stores at most SIZE - 1 bytes
   and a terminator. A longer line gives the stored part and fails the
   stream. Returns BUFFER, or null when nothing could be read. */
PELUND_API char* psWinAPI_fgets(char* buffer, int size, void* handle);
/** @} */

/** @{ */
/** Reads up to SIZE * COUNT bytes while the stream is good; returns the number
   of bytes read by this call. */
PELUND_API int32_t psWinAPI_fread(void* buffer, size_t size, size_t count, void* handle);
/** @} */

/** @{ */
/** Writes SIZE * COUNT bytes; returns how far the position advanced (0 on a
   stream at end of file or failed, which stays as it is). */
PELUND_API int32_t psWinAPI_fwrite(const void* buffer, size_t size, size_t count, void* handle);
/** @} */

/** @{ */
/** Formats by the printf rules and writes the text (no terminator, no line
   end). UNUSED is not read. Return 0, or 0x8000 for a null FORMAT or a
   format that cannot be used. In the wide form %s and %c take UTF-16 text
   and units (%hs and %hc 8-bit ones). */
PELUND_API int psWinAPI_fprintfn(void* handle, int unused, const char* format, ...);
PELUND_API int psWinAPI_vfprintfn(void* handle, int unused, const char* format, va_list args);
PELUND_API int psWinAPI_wvfprintfn(void* handle, int unused, const ps_char16* format, va_list args);
/** @} */

/** @{ */
/** Read one line as psWinAPI_fgets does but store at most SIZE - 2 units;
   with KEEP_LINE_END non-zero a line ended by a line feed keeps it at the end
   of the text. Return BUFFER, or null when nothing could be read. */
PELUND_API char* psWinAPI_readString(char* buffer, int size, void* handle, int keep_line_end);
PELUND_API ps_char16* psWinAPI_readWString(ps_char16* buffer, int size, void* handle, int keep_line_end);
/** @} */

/** @{ */
/** Write TEXT without its terminator and, with ADD_LINE_END non-zero and TEXT
   not ending in carriage return and line feed, a line feed (8-bit) or a
   carriage return and a line feed (wide). Return how far the position
   advanced. */
PELUND_API int32_t psWinAPI_writeString(const char* text, void* handle, int add_line_end);
PELUND_API int32_t psWinAPI_writeWString(const ps_char16* text, void* handle, int add_line_end);
/** @} */

PELUND_END_DECLS

#endif
