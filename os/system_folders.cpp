// The standard folders, the computer's name and the current folder.
#include <cerrno>
#include <cstring>

#include "frame/guard.h"
#include "pelund/system.h"
#include "frame/utf.h"
#include "platform/file_system.h"
#include "platform/standard_folders.h"

namespace pelund {
namespace {

int folderInto(ps_char16* out, StandardFolder which)
{
    if (!out)
        return EINVAL;
    std::string path;
    if (int rc = standardFolderPath(which, &path))
        return rc;
    std::u16string text = utf8ToUtf16(path);
    if (text.size() >= PS_MAX_PATH)
        return ENAMETOOLONG;
    std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    return 0;
}

// The host name up to its first dot, cut to 254 bytes.
int computerName(std::string* name)
{
    if (int rc = hostName(name))
        return rc;
    name->resize(std::min(name->find('.'), size_t(254)));
    return 0;
}

// The name (empty on failure) in either width; the platform's result.
template <class Ch>
int computerNameInto(Ch* out)
{
    if (!out)
        return PS_FAILURE;
    std::string host;
    int rc = computerName(&host);
    std::basic_string<Ch> text;
    if constexpr (sizeof(Ch) == 1)
        text = host;
    else
        text = utf8ToUtf16(host);
    std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(Ch));
    return rc;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psWinAPI_fileGetAllUsersAppDataPath(ps_char16* path)
{
    return guarded(ENOMEM, [&] { return folderInto(path, StandardFolder::SharedData); });
}

PELUND_API int psWinAPI_fileGetProgramFilesPath(ps_char16* path)
{
    return guarded(ENOMEM, [&] { return folderInto(path, StandardFolder::Programs); });
}

PELUND_API int psWinAPI_fileGetUserAppDataPath(ps_char16* path)
{
    return guarded(ENOMEM, [&] { return folderInto(path, StandardFolder::UserData); });
}

PELUND_API int psWinAPI_fileGetSystem32AppDataPath(ps_char16* path, int flag)
{
    return guarded(ENOMEM, [&] {
        return folderInto(path, flag ? StandardFolder::System64 : StandardFolder::System);
    });
}

PELUND_API int psWinAPI_getComputerNameA(char* name)
{
    return guarded(PS_FAILURE, [&] { return computerNameInto(name); });
}

PELUND_API int psWinAPI_getComputerNameW(ps_char16* name)
{
    return guarded(PS_FAILURE, [&] { return computerNameInto(name); });
}

PELUND_API int psWinAPI_setCurrentDirA(const char* path)
{
    return guarded(0, [&] { return path && changeFolder(path) ? 1 : 0; });
}

PELUND_API int psWinAPI_setCurrentDirW(const ps_char16* path)
{
    return guarded(0, [&] { return path && changeFolder(utf16ToUtf8(path)) ? 1 : 0; });
}

}  // extern "C"
