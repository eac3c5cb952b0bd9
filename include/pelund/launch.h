/** @file
   PelundLib: starting programs, and quoting paths for command lines. */
#ifndef PELUND_LAUNCH_H
#define PELUND_LAUNCH_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** Starts PROGRAM (UTF-16, as it stands; one pair of double quotes around it
   is taken off) with PARAMETERS (may be null), split into arguments by shell
   word rules (quotes and backslashes; nothing is expanded or run). What
   runs is the first that applies:
   - with USE_LAUNCHER and a file "holdexec" or "holdexec.exe" in the current
     folder: that file, with the words of "PROGRAM PARAMETERS";
   - with SHOW non-zero: a terminal (x-terminal-emulator -e) running
     "PROGRAM PARAMETERS" through sh -c, followed by an interactive shell
     when USE_LAUNCHER was asked for;
   - else PROGRAM itself, hidden, searched on PATH when it has no '/'.

   Does not wait; the program is reaped when it ends. RESERVED and
   PARENT_WINDOW are not read. Returns 0 when the program was started, an
   errno value otherwise (its strerror text, at most 255 units, in
   ERROR_TEXT when not null), 0x8000 for a null PROGRAM. */
PELUND_API int vnFile_launchApplication(const ps_char16* program, const ps_char16* parameters, int show,
                                        int use_launcher, int reserved, void* parent_window,
                                        ps_char16* error_text);

/** Writes PATH into OUTPUT with double quotes for the command line. With
   PER_COMPONENT zero: a path holding a blank becomes one quoted text with
   its own double quotes removed, another is copied as it is. Otherwise each
   '\'-separated component holding a blank is quoted on its own; a trailing
   '\' is dropped. OUTPUT (may be PATH itself) must hold the result, at most
   three times the length of PATH. Returns 0, or 0x8000 for a null argument
   or an empty PATH. */
PELUND_API int vnFile_quotePathA(char* output, const char* path, int per_component);

PELUND_END_DECLS

#endif
