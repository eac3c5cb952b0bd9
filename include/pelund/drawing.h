/** @file
   PelundLib: drawing-file metadata: DGN V8 detection, document properties
   and colour tables. Paths are 8-bit file names, used as they are. */
#ifndef PELUND_DRAWING_H
#define PELUND_DRAWING_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** Returns 1 when PATH (at most 255 bytes) is an OLE compound file whose root
   holds a storage named "Dgn-Md" (exactly), else 0: also for a null path, a
   missing file or one that is not a compound file. Silent. Sets the process
   locale to the user's default and then to "C": the locale is "C" after the
   call. */
PELUND_API int psFile_isV8Dgn(const char* path);

/** Reads the document property NAME (exact, such as "Title", "Last Saved" or
   a user-defined name) of the compound file PATH (at most 1023 bytes) as
   text into VALUE, which must hold 1024 bytes and is emptied first. The
   summary information is asked first, then the document summary, then the
   user-defined properties. Returns 1 when found (a listed property the file
   lacks gives 1 and ""), else 0. Failures to open print "File not found.",
   "Not a compound file." or "StgOpenStorage() failed w/error XXXXXXXX" to
   standard output. Leaves the process locale at "C", as psFile_isV8Dgn. */
PELUND_API int histo_getV8Prop(const char* path, const char* name, char* value);

/** Reads the 256 red-green-blue entries of the colour-table file PATH into
   RGB (768 bytes, as the file lays them out; bytes beyond 768 are ignored).
   Returns 0 when all 256 entries were read (the last may be short), 0x8000
   for a null argument, a file that cannot be opened (RGB untouched) or one
   that ends before its last entry (the entries read are kept). */
PELUND_API int msapiFile_readColourTableToRGBArray(unsigned char* rgb, const char* path);

PELUND_END_DECLS

#endif
