// The process's current folder.
#include "frame/guard.h"
#include "frame/utf.h"
#include "pelund/system.h"
#include "platform/file_system.h"

using namespace pelund;

extern "C" {

PELUND_API int psWinAPI_setCurrentDirA(const char* path)
{
    return guarded(0, [&] { return path && changeFolder(path) ? 1 : 0; });
}

PELUND_API int psWinAPI_setCurrentDirW(const ps_char16* path)
{
    return guarded(0, [&] { return path && changeFolder(utf16ToUtf8(path)) ? 1 : 0; });
}

}  // extern "C"
