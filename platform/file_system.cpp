#include "platform/file_system.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace pelund {

bool firstMatch(const std::string& pattern, std::string* path)
{
    std::string escaped;
    escaped.reserve(pattern.size() + 8);
    for (char c : pattern) {
        if (c == '[' || c == ']' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    glob_t found{};
    int rc = glob(escaped.c_str(), GLOB_PERIOD, nullptr, &found);
    bool any = rc == 0 && found.gl_pathc > 0;
    if (any && path)
        *path = found.gl_pathv[0];
    globfree(&found);
    return any;
}

bool fileTimes(const std::string& path, int64_t* created, int64_t* written)
{
    struct statx info {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &info) != 0)
        return false;
    *created = (info.stx_mask & STATX_BTIME) ? int64_t(info.stx_btime.tv_sec) : -1;
    *written = int64_t(info.stx_mtime.tv_sec);
    return true;
}

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int makeFolder(const std::string& path) { return mkdir(path.c_str(), 0777) == 0 ? 0 : errno; }

int pathStatus(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? 0 : errno;
}

int hostName(std::string* name)
{
    char buffer[HOST_NAME_MAX + 1] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return errno;
    *name = buffer;
    return 0;
}

bool changeFolder(const std::string& path) { return chdir(path.c_str()) == 0; }

}  // namespace pelund
