// companion-plugin-host: runs one conversation of one plug-in in a process
// of its own, so that a plug-in that crashes, runs out of memory or loops
// ends this process and its conversation, never the server. Started by the
// server only, with the socket to it as descriptor 3:
//
//   companion-plugin-host PLUGIN TEMP_FOLDER MESSAGE_LIMIT DISK_QUOTA MEMORY_LIMIT SERVER_PID
//
// It dies with the server, limits its address space to MEMORY_LIMIT bytes
// (0: no limit), loads PLUGIN, opens the conversation and then passes
// frames (host_protocol.h) to the plug-in's callbacks until the server
// closes its end.
#include "companion/host_protocol.h"
#include "pelund-companion/plugin.h"

#include <dlfcn.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace pelund;
using namespace pelund::companion;

namespace {

constexpr int serverFd = 3;

class Link {
public:
    // Sends one frame; false when the server has gone.
    bool send(char kind, const void* payload, size_t length)
    {
        unsigned char header[host::headerSize];
        host::storeHeader(header, kind, uint32_t(length));
        iovec parts[2] = {{header, sizeof header}, {const_cast<void*>(payload), length}};
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = length ? 2 : 1;
        while (message.msg_iovlen > 0) {
            ssize_t n = sendmsg(serverFd, &message, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                broken = true;
                return false;
            }
            for (size_t used = size_t(n); used > 0 && message.msg_iovlen > 0;) {
                size_t step = std::min(used, message.msg_iov->iov_len);
                message.msg_iov->iov_base = static_cast<char*>(message.msg_iov->iov_base) + step;
                message.msg_iov->iov_len -= step;
                used -= step;
                if (message.msg_iov->iov_len == 0) {
                    ++message.msg_iov;
                    --message.msg_iovlen;
                }
            }
        }
        return true;
    }

    // Makes at least COUNT bytes available at next(); false at the end.
    bool need(size_t count)
    {
        if (end_ - start_ >= count)
            return true;
        if (start_ > 0) {
            std::copy(buffer_.begin() + long(start_), buffer_.begin() + long(end_), buffer_.begin());
            end_ -= start_;
            start_ = 0;
        }
        while (end_ < count) {
            ssize_t n = read(serverFd, buffer_.data() + end_, buffer_.size() - end_);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            end_ += size_t(n);
        }
        return true;
    }
    const unsigned char* next() const { return buffer_.data() + start_; }
    size_t available() const { return end_ - start_; }
    void take(size_t count) { start_ += count; }

    bool broken = false;
    uint64_t replyLeft = 0;

private:
    std::vector<unsigned char> buffer_ = std::vector<unsigned char>(256 * 1024);
    size_t start_ = 0, end_ = 0;
};

Link server;

int replyBegin(void*, uint32_t count)
{
    if (server.replyLeft != 0)
        return -1;
    unsigned char bytes[4];
    storeLittle32(bytes, count);
    server.replyLeft = count;
    return server.send(host::replyFrame, bytes, sizeof bytes) ? 0 : -1;
}

int replyWrite(void*, const void* bytes, size_t length)
{
    if (length > server.replyLeft)
        return -1;
    server.replyLeft -= length;
    return length == 0 || server.send(host::writeFrame, bytes, length) ? 0 : -1;
}

void logLine(void*, int kind, const char* text)
{
    std::string line(1, char(kind));
    line += text ? text : "";
    server.send(host::logFrame, line.data(), std::min(line.size(), host::smallFrameLimit));
}

int fail(const std::string& why)
{
    server.send(host::failedFrame, why.data(), std::min(why.size(), host::smallFrameLimit));
    return 1;
}

const pelund_companion_plugin* load(const char* file, std::string& why)
{
    void* handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        why = dlerror();
        return nullptr;
    }
    auto entry = reinterpret_cast<pelund_companion_plugin_entry_fn>(dlsym(handle, PELUND_COMPANION_PLUGIN_ENTRY));
    const pelund_companion_plugin* p = entry ? entry() : nullptr;
    if (!p || p->abi != PELUND_COMPANION_PLUGIN_ABI || !p->open || !p->message_begin || !p->message_data ||
        !p->message_end || !p->close) {
        why = "not a plug-in";
        return nullptr;
    }
    return p;
}

// Passes frames to the plug-in until the server closes its end (0) or a
// callback fails (the failure is reported).
int converse(const pelund_companion_plugin& p, void* c)
{
    uint64_t payloadLeft = 0;
    while (server.need(host::headerSize)) {
        char kind = char(server.next()[0]);
        uint32_t length = loadLittle32(server.next() + 1);
        server.take(host::headerSize);
        int result = 0;
        const char* where = "";
        if (kind == host::dataFrame) {
            where = "message_data";
            if (length > payloadLeft)
                return fail("more data than announced");
            payloadLeft -= length;
            // The payload goes to the plug-in in the pieces that have arrived.
            for (size_t left = length; left > 0 && result == 0;) {
                if (!server.need(1))
                    return 0;
                size_t n = std::min(left, server.available());
                result = p.message_data(c, server.next(), n);
                server.take(n);
                left -= n;
            }
        } else if (kind == host::beginFrame && length == 5 && server.need(5)) {
            where = "message_begin";
            payloadLeft = loadLittle32(server.next() + 1);
            result = p.message_begin(c, char(server.next()[0]), uint32_t(payloadLeft));
            server.take(5);
        } else if (kind == host::endFrame && length == 0) {
            where = "message_end";
            result = p.message_end(c);
            if (result == 0 && !server.send(host::doneFrame, nullptr, 0))
                return 0;
        } else {
            return fail("unknown frame from the server");
        }
        if (server.broken)
            return 0;
        if (result != 0)
            return fail(std::string(where) + " returned " + std::to_string(result));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "companion-plugin-host: runs plug-ins for companion-server, which starts it\n");
        return 2;
    }
    // Ends with the server, also when the server is gone already.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != pid_t(std::strtol(argv[6], nullptr, 10)))
        return 1;
    signal(SIGPIPE, SIG_IGN);
    // When memory runs short, this process goes before the server.
    if (FILE* score = std::fopen("/proc/self/oom_score_adj", "w")) {
        std::fputs("1000", score);
        std::fclose(score);
    }
#if !defined(__SANITIZE_ADDRESS__)
    // (The address sanitizer reserves terabytes of address space up front.)
    if (rlim_t memory = std::strtoull(argv[5], nullptr, 10); memory > 0) {
        rlimit limit{memory, memory};
        setrlimit(RLIMIT_AS, &limit);
    }
#endif
    std::string why;
    const pelund_companion_plugin* p = load(argv[1], why);
    if (!p)
        return fail("plug-in not loaded: " + why);
    pelund_companion_host hostCalls{nullptr,
                                    replyBegin,
                                    replyWrite,
                                    logLine,
                                    argv[2],
                                    std::strtoull(argv[3], nullptr, 10),
                                    std::strtoull(argv[4], nullptr, 10)};
    void* c = p->open(&hostCalls);
    unsigned char opened = c ? 1 : 0;
    if (!server.send(host::openFrame, &opened, 1) || !c)
        return 0;
    int status = converse(*p, c);
    p->close(c);
    return status;
}
