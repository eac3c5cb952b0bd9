#include "platform/open_url.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

namespace pelund {

bool openUrl(const std::string& url)
{
    std::string program = "xdg-open";
    char* argv[] = {program.data(), const_cast<char*>(url.c_str()), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0)
        return false;
    // Reaped in the background, so that no zombie is left behind.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

}  // namespace pelund
