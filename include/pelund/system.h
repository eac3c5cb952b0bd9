/** @file
   PelundLib: where the standard folders are, registry values, the computer's
   name, file times, parent folders and folder creation, the current folder,
   file existence, network drives, short paths and window sizes.

   Folder paths are UTF-16 in caller buffers of PS_MAX_PATH characters.
   Results that pass a platform code through are errno values (0 success). */
#ifndef PELUND_SYSTEM_H
#define PELUND_SYSTEM_H

#include "pelund/common.h"

/** Units of the folder-path buffers, the terminator included. */
#define PS_MAX_PATH 260

PELUND_BEGIN_DECLS

/** @{ */
/** Write the folder for application data of all users (the first entry of
   $XDG_DATA_DIRS, else /usr/local/share), the program files folder (/opt),
   the current user's application data ($XDG_DATA_HOME, else
   ~/.local/share), or the system folder (/usr/lib; with FLAG non-zero the
   64-bit one, the multiarch library folder) into PATH, PS_MAX_PATH units.
   Return 0, or an errno value with PATH untouched: EINVAL for a null PATH,
   ENAMETOOLONG for a folder that does not fit, ENOENT without a home. */
PELUND_API int psWinAPI_fileGetAllUsersAppDataPath(ps_char16* path);
PELUND_API int psWinAPI_fileGetProgramFilesPath(ps_char16* path);
PELUND_API int psWinAPI_fileGetUserAppDataPath(ps_char16* path);
PELUND_API int psWinAPI_fileGetSystem32AppDataPath(ps_char16* path, int flag);
/** @} */

/** @{ */
/** Reads the value NAME (null: the key's default value) of SUBKEY under HIVE
   ("HKCR", "HKCU", "HKLM", "HKU" or "HKCC", exactly) from the registry
   store; VIEW 1 reads the 32-bit twin (Wow6432Node) of a key where one
   exists, other values the key itself. A string value is copied into VALUE
   as wcsncpy does: at most CAPACITY units, the rest up to CAPACITY zeroed, so
   a value of CAPACITY units or more is not terminated. A value of another
   type leaves VALUE untouched. Returns 0, or 0x8000 for an unknown hive, a
   missing key or value, or a value above 1000 bytes. */
PELUND_API int psWinAPI_readRegistryValue(ps_char16* value, const ps_char16* hive,
                                          const ps_char16* subkey, const ps_char16* name,
                                          int capacity, int view);
/** @} */

/** @{ */
/** Write the computer's host name (up to the first dot) into NAME, 255 units
   with the terminator. Return 0, an errno value (NAME emptied), or 0x8000
   for a null NAME. */
PELUND_API int psWinAPI_getComputerNameA(char* name);
PELUND_API int psWinAPI_getComputerNameW(ps_char16* name);
/** @} */

/** @{ */
/** Looks up the first file matching PATH ('*' and '?' are wildcards) and
   stores its creation and last-write times, in seconds since 1970 UTC, into
   the outputs that are not null; -1 for a creation time the file system does
   not keep. Returns 0, or 0x8000 when nothing matches or both outputs are
   null. */
PELUND_API int psWinAPI_getFileTimes(const ps_char16* path, int64_t* created, int64_t* written);
/** @} */

/** @{ */
/** Writes PATH without its last component into PARENT ('/' and '\' both
   separate; a trailing separator is the component removed; every separator
   is written as '/'); with ADD_SEPARATOR non-zero a non-empty result ends in
   '/'. A single relative component gives "". Returns 0, or 0x8000 for a null
   argument, an empty path or the root. PARENT must hold PATH plus one. */
PELUND_API int psWinAPI_getParentDir(ps_char16* parent, const ps_char16* path, int add_separator);
/** @} */

/** @{ */
/** Creates the folder PATH and every missing folder above it. Returns 0 (also
   when it exists), the errno value of a creation that failed (EACCES, or
   EEXIST where a file is in the way), or 0x8000 for a null or empty path,
   one without a parent, or one of 4096 units or more. */
PELUND_API int psWinAPI_makeDirectory(const ps_char16* path);
/** @} */

/** @{ */
/** Sets the size of the X11 window HANDLE (a window id) without moving it and
   raises it. Returns 0, or 0x8000 for a null handle, no X display, or a
   window the display does not know. */
PELUND_API int psWinAPI_resizeWindow(void* handle, int width, int height);
/** @} */

/** @{ */
/** Set the process's current folder. Return non-zero on success, 0 on
   failure (unlike the other functions). */
PELUND_API int psWinAPI_setCurrentDirA(const char* path);
PELUND_API int psWinAPI_setCurrentDirW(const ps_char16* path);
/** @} */

/** @{ */
/** Returns 1 when a file or folder matches PATH ('*' and '?' are wildcards),
   else 0 (also for a null PATH). */
PELUND_API int psFile_fileExists(const char* path);
/** @} */

/** @{ */
/** Returns 1 when ROOT lies on a network file system (NFS, SMB/CIFS, AFS, 9P,
   Ceph, Coda, or a network FUSE mount such as sshfs), else 0 (also for a
   null or empty ROOT). */
PELUND_API int psFile_isDeviceRemote(const ps_char16* root);
/** @} */

/** @{ */
/** Writes the short form of the existing path LONG_PATH into SHORT_PATH
   (PS_MAX_PATH bytes): without short names it is the path itself. Returns 0,
   an errno value with SHORT_PATH emptied (ENOENT for a missing path,
   ENAMETOOLONG for one of 260 bytes or more), or 0x8000 for a null argument. */
PELUND_API int vnWin32_getShortPathName(const char* long_path, char* short_path);
/** @} */

PELUND_END_DECLS

#endif
