// The standard folders.
#include <cerrno>
#include <cstring>

#include "frame/guard.h"
#include "pelund/system.h"
#include "frame/utf.h"
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

}  // extern "C"
