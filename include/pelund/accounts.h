/** @file
   PelundLib: user accounts of this computer and the logged-on user.

   Accounts come from the system's account database (NSS: /etc/passwd, LDAP,
   ...). Normal accounts are those with a user id from UID_MIN to UID_MAX of
   /etc/login.defs (1000 to 60000 without one); a full name is the first
   comma-separated field of the account's comment (GECOS). A SERVER is null
   or this computer's own host name; any other server is not reachable.
   Texts are 8-bit as the account database holds them. */
#ifndef PELUND_ACCOUNTS_H
#define PELUND_ACCOUNTS_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** Lists the normal accounts of SERVER: *NAMES and *FULL_NAMES (each may be
   null) get new arrays of new strings, one entry per account in the
   database's order, and *COUNT (may be null) their number. An unreachable
   server gives null arrays and 0. Returns 0 always. Release both arrays
   with psDomain_freeAllUsers. */
PELUND_API int psDomain_getAllUsers(const char* server, char*** names, char*** full_names, int* count);

/** Frees the COUNT strings of each array that is not null, then the arrays. */
PELUND_API void psDomain_freeAllUsers(char** names, char** full_names, int count);

/** Writes the full name of USER (null: the logged-on user, whose account name
   is written first) on SERVER into FULL_NAME (256 bytes); an empty full name
   leaves FULL_NAME as it was. Returns 0 (also for a null FULL_NAME), ENOENT
   for an unknown user, EHOSTUNREACH for another server, or the account
   database's errno value. */
PELUND_API int psDomain_getUserFullName(const char* server, char* full_name, const char* user);

/** Writes the logged-on user's display name (the full name; the account name
   when that is empty) into NAME, CAPACITY bytes with the terminator.
   Returns 0 (also for a null NAME), ERANGE when it does not fit, or the
   account database's errno value (ENOENT for a user it does not know). */
PELUND_API int psDomain_getCurrentLoginName(char* name, int capacity);

PELUND_END_DECLS

#endif
