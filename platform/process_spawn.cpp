#include "platform/process_spawn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

int spawnDetached(const std::vector<std::string>& argv)
{
    if (argv.empty() || argv[0].empty())
        return ENOENT;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    SpawnSetup setup;
    if (!setup.ready)
        return ENOMEM;
    pid_t pid;
    int rc = posix_spawnp(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
    if (rc != 0)
        return rc;
    try {
        std::thread([pid] {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (...) {
        // No thread to be had: the program runs all the same.
    }
    return 0;
}

}  // namespace pelund
