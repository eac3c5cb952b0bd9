// The server's reader of a plug-in host process's frames: any bytes an
// isolated (and so untrusted) plug-in's process sends, then its end.
#include "companion/child_processes.h"
#include "companion/host_conversation.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

using namespace pelund::companion;

namespace {

uint64_t replyLeft = 0;

int replyBegin(void*, uint32_t count)
{
    if (replyLeft != 0)
        return -1;
    replyLeft = count;
    return 0;
}

int replyWrite(void*, const void*, size_t length)
{
    if (length > replyLeft)
        return -1;
    replyLeft -= length;
    return 0;
}

void logLine(void*, int, const char* text)
{
    (void)std::char_traits<char>::length(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static asio::io_context io(1);
    static EventLog log;
    static ChildProcesses children(log);
    log.toStandardError = false;
    replyLeft = 0;
    io.restart();  // the last input's run left the loop without work, stopped
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return 0;
    pelund_companion_host calls{nullptr, replyBegin, replyWrite, logLine, "/tmp", 1 << 20, 1 << 20};
    bool ended = false;
    HostConversation::Events events{[&](bool accepted) { ended = !accepted; },
                                    [&](const std::string&) { ended = true; }, [] {}, [] {}};
    auto c = HostConversation::attach(io, children, {"host", "plugin", "fuzzed", 0}, calls, 1 << 20, events,
                                      fds[0], -1);
    if (!c)
        return 0;
    // Something to pass on, as a client's message would be.
    c->begin('B', 3);
    c->data("abc", 3);
    c->end();
    size_t sent = 0;
    bool shut = false;
    char buffer[65536];
    for (int turn = 0; turn < 20000 && !ended; ++turn) {
        if (sent < size) {
            ssize_t n = send(fds[1], data + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0)
                sent += size_t(n);
        } else if (!shut) {
            shutdown(fds[1], SHUT_WR);
            shut = true;
        }
        io.poll();
        while (recv(fds[1], buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
    }
    c->close();
    close(fds[1]);
    io.poll();
    return 0;
}
