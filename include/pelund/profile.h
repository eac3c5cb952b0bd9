/** @file
   PelundLib: values of profile (.ini) files, and handing a file to the
   user's mail program.

   A profile file holds "[section]" lines and "key=value" lines. Section and
   key names compare without regard to case, blanks around keys and values
   are trimmed, one pair of quotes around a value is removed, and ';' starts
   a comment line. */
#ifndef PELUND_PROFILE_H
#define PELUND_PROFILE_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** Copies the value of KEY in SECTION of the profile file PATH, or DEFAULT_TEXT
   (its trailing blanks removed) when the file, section or key is missing,
   into BUFFER: at most SIZE - 1 bytes and a terminator. A null SECTION lists
   the file's section names, a null KEY the section's key names, each name
   followed by a NUL and the list by another (cut to fit: the last name then
   ends in two NULs). Returns the number of bytes stored without the final
   terminator (SIZE - 1 for a cut value, SIZE - 2 for a cut list), or 0x8000
   for a null BUFFER or DEFAULT_TEXT. */
PELUND_API int psProfile_getProfileString(const char* section, const char* key, const char* default_text,
                                          char* buffer, int size, const char* path);

/** Sets KEY in SECTION of the profile file PATH to VALUE, creating the file,
   the section or the key as needed; every other line stays as it was. The
   file is replaced as a whole (never half-written) under a lock, so writers
   in several processes do not lose each other's keys. Returns 0, an errno
   value (EINVAL for a null SECTION or PATH, or a name or value holding a line
   end, a key holding '=', a section holding ']'), or 0x8000 for a null KEY
   or VALUE. */
PELUND_API int psProfile_writeProfileString(const char* section, const char* key, const char* value,
                                            const char* path);

/** Opens the user's mail program (xdg-email) on a new message to the support
   desk with SUBJECT (cut to 271 bytes), NOTE as its text and the file PATH
   (at most 271 bytes) attached, for the user to edit and send. PARENT_WINDOW
   is not read. Returns 0 when the message was handed over, -1 otherwise (an
   empty or null PATH, no xdg-email, or xdg-email reporting a failure). */
PELUND_API int psMAPI_sendFileToMailRecipient(void* parent_window, const char* path, const char* subject,
                                              const char* note);

PELUND_END_DECLS

#endif
