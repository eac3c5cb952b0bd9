#include "companion/child_processes.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

extern char** environ;

namespace pelund::companion {

namespace {

constexpr auto grace = std::chrono::seconds(2);

}  // namespace

pid_t ChildProcesses::start(const std::vector<std::string>& args, int socket, std::string& error)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, socket, 3);
    // Clients' sockets, listeners and files stay with the server.
    posix_spawn_file_actions_addclosefrom_np(&actions, 4);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        error = args[0] + ": " + std::strerror(result);
        return -1;
    }
    return pid;
}

void ChildProcesses::release(pid_t pid, const std::string& what, bool kill)
{
    if (kill)
        ::kill(pid, SIGKILL);
    if (!reap(pid, what, false))
        released_[pid] = {what, std::chrono::steady_clock::now() + grace};
}

bool ChildProcesses::reap(pid_t pid, const std::string& what, bool wait)
{
    int status = 0;
    pid_t r;
    do
        r = waitpid(pid, &status, wait ? 0 : WNOHANG);
    while (r < 0 && errno == EINTR);
    if (r == 0)
        return false;
    if (r == pid && WIFSIGNALED(status))
        log_.note(EventKind::error, what + " (process " + std::to_string(pid) + ") killed by signal " +
                                        std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")");
    else if (r == pid && WIFEXITED(status) && WEXITSTATUS(status) != 0)
        log_.note(EventKind::error, what + " (process " + std::to_string(pid) + ") exited with status " +
                                        std::to_string(WEXITSTATUS(status)));
    return true;
}

void ChildProcesses::sweep()
{
    auto now = std::chrono::steady_clock::now();
    for (auto at = released_.begin(); at != released_.end();) {
        if (now >= at->second.killAt)
            ::kill(at->first, SIGKILL);
        if (reap(at->first, at->second.what, false))
            at = released_.erase(at);
        else
            ++at;
    }
}

ChildProcesses::~ChildProcesses()
{
    for (int k = 0; k < 100 && !released_.empty(); ++k) {
        sweep();
        if (!released_.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (auto& [pid, child] : released_) {
        ::kill(pid, SIGKILL);
        reap(pid, child.what, true);
    }
}

}  // namespace pelund::companion
