#include "platform/process_spawn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <thread>

extern char** environ;

namespace pelund {
namespace {

// Releases the spawn attributes and file actions on every way out.
struct SpawnSetup {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    bool ready = false;

    SpawnSetup()
    {
        if (posix_spawnattr_init(&attributes) != 0)
            return;
        if (posix_spawn_file_actions_init(&actions) != 0) {
            posix_spawnattr_destroy(&attributes);
            return;
        }
        ready = true;
        // The host's descriptors (sockets, database connections) stay its own.
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        // Signals the host blocks or ignores are the program's defaults.
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGCHLD);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGQUIT);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSetup()
    {
        if (ready) {
            posix_spawn_file_actions_destroy(&actions);
            posix_spawnattr_destroy(&attributes);
        }
    }
};

}  // namespace

namespace {

// True when NAME is an executable file in a folder of $PATH.
bool isOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/bin:/bin";
    while (true) {
        std::string_view dir = rest.substr(0, rest.find(':'));
        std::string candidate = std::string(dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        if (dir.size() == rest.size())
            return false;
        rest.remove_prefix(dir.size() + 1);
    }
}

// What posix_spawnp would find to run: the named file, or the first
// executable of that name on PATH. Checked up front so that a missing
// program is reported the same way under every runtime (an emulated vfork
// cannot hand the exec failure back).
int findProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? 0 : errno;
    return isOnPath(name) ? 0 : ENOENT;
}

int start(const std::vector<std::string>& argv, pid_t* pid)
{
    if (argv.empty() || argv[0].empty())
        return ENOENT;
    if (int rc = findProgram(argv[0]))
        return rc;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    SpawnSetup setup;
    if (!setup.ready)
        return ENOMEM;
    return posix_spawnp(pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
}

void reapInBackground(pid_t pid)
{
    try {
        std::thread([pid] {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (...) {
        // No thread to be had: the program runs all the same.
    }
}

}  // namespace

int spawnDetached(const std::vector<std::string>& argv)
{
    pid_t pid;
    if (int rc = start(argv, &pid))
        return rc;
    reapInBackground(pid);
    return 0;
}

int spawnAndWait(const std::vector<std::string>& argv, int timeoutMs, int* exitStatus)
{
    pid_t pid;
    *exitStatus = -1;
    if (int rc = start(argv, &pid))
        return rc;
    for (int waited = 0;; waited += 10) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return 0;
        }
        if (done < 0 && errno != EINTR)
            return 0;  // reaped elsewhere (SIGCHLD ignored): nothing to tell
        if (waited >= timeoutMs) {
            reapInBackground(pid);
            return 0;
        }
        usleep(10000);
    }
}

}  // namespace pelund
