// The system log is reached through its datagram socket, opened on first use
// in non-blocking mode, so a stalled log daemon never holds up a caller the
// way a blocking syslog(3) call can.
#include "platform/debug_output.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

namespace pelund {
namespace {

std::mutex channelLock;
std::function<void(std::string_view)> channelHook;
int logSocket = -1;
bool logTried = false;

int openLogSocket()
{
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, "/dev/log");
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// RFC 3164 form: <priority>timestamp ident[pid]: text. Priority 15 is
// facility user, level debug.
std::string logRecord(std::string_view line)
{
    static const char* const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char head[64];
    std::snprintf(head, sizeof head, "<15>%s %2d %02d:%02d:%02d PelundLib[%d]: ",
                  months[t.tm_mon % 12], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, int(getpid()));
    std::string record(head);
    record.append(line);
    return record;
}

}  // namespace

void debugOutput(std::string_view line)
{
    std::lock_guard<std::mutex> hold(channelLock);
    if (channelHook) {
        try {
            channelHook(line);
        } catch (...) {
        }
        return;
    }
    if (!logTried) {
        logTried = true;
        logSocket = openLogSocket();
    }
    if (logSocket < 0)
        return;
    try {
        std::string record = logRecord(line);
        (void)send(logSocket, record.data(), record.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    } catch (...) {
        // Out of memory for one diagnostic line: drop it.
    }
}

void setDebugOutputHook(std::function<void(std::string_view)> hook)
{
    std::lock_guard<std::mutex> hold(channelLock);
    channelHook = std::move(hook);
}

}  // namespace pelund
