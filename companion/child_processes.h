// The plug-in host processes the server has started. A child is started
// with its socket as descriptor 3 and nothing else of the server's; once
// its conversation is over it is released, reaped as soon as it exits
// (checked at release and by the server's once-a-second sweep, no SIGCHLD
// handler) and killed when it has not exited within a grace period, or at
// once when asked. No child is left a zombie, nor running after the server.
#ifndef PELUND_COMPANION_CHILD_PROCESSES_H
#define PELUND_COMPANION_CHILD_PROCESSES_H

#include "companion/event_log.h"

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace pelund::companion {

class ChildProcesses {
public:
    explicit ChildProcesses(EventLog& log) : log_(log) {}
    // Ends every child still there: a moment to exit, then SIGKILL.
    ~ChildProcesses();
    ChildProcesses(const ChildProcesses&) = delete;
    ChildProcesses& operator=(const ChildProcesses&) = delete;

    // Starts ARGS[0] with ARGS and SOCKET as descriptor 3; -1 with ERROR set
    // when it cannot.
    pid_t start(const std::vector<std::string>& args, int socket, std::string& error);
    // The child's work is over. WHAT names it in log lines.
    void release(pid_t pid, const std::string& what, bool kill);
    // Reaps released children that have exited; kills those past their grace.
    void sweep();
    size_t released() const { return released_.size(); }

private:
    // Reaps PID when it has exited (true), logging how it ended.
    bool reap(pid_t pid, const std::string& what, bool wait);

    struct Released {
        std::string what;
        std::chrono::steady_clock::time_point killAt;
    };
    EventLog& log_;
    std::map<pid_t, Released> released_;
};

}  // namespace pelund::companion

#endif
