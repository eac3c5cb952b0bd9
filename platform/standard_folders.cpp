#include "platform/standard_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#ifndef PELUND_MULTIARCH
#define PELUND_MULTIARCH "x86_64-linux-gnu"
#endif

namespace pelund {
namespace {

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    struct passwd entry, *found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return std::string();
}

std::string firstDataDir()
{
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view rest = dirs ? dirs : "";
    while (!rest.empty()) {
        std::string_view entry = rest.substr(0, rest.find(':'));
        if (!entry.empty() && entry.front() == '/')
            return std::string(entry);
        if (entry.size() == rest.size())
            break;
        rest.remove_prefix(entry.size() + 1);
    }
    return "/usr/local/share";
}

}  // namespace

std::string xdgFolder(const char* variable, const char* belowHome)
{
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    std::string home = homeFolder();
    if (home.empty())
        return home;
    if (home.back() != '/')
        home += '/';
    return home + belowHome;
}

int standardFolderPath(StandardFolder which, std::string* path)
{
    switch (which) {
    case StandardFolder::UserData:
        *path = xdgFolder("XDG_DATA_HOME", ".local/share");
        return path->empty() ? ENOENT : 0;
    case StandardFolder::SharedData:
        *path = firstDataDir();
        return 0;
    case StandardFolder::Programs:
        *path = "/opt";
        return 0;
    case StandardFolder::System:
        *path = "/usr/lib";
        return 0;
    case StandardFolder::System64:
        *path = "/usr/lib/" PELUND_MULTIARCH;
        return 0;
    }
    return ENOENT;
}

}  // namespace pelund
