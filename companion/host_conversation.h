// A conversation whose plug-in runs in a host process of its own
// (companion-plugin-host), started for the conversation and connected by
// a socket pair: payload pieces are queued to it as frames, its replies and
// log lines come back through the same host calls an in-process plug-in
// uses. The host's end, failure report or silence past the time limit ends
// the conversation through the session's events; a slow host holds up only
// its own client, whose reading stops while unsent() is over the limit.
#ifndef PELUND_COMPANION_HOST_CONVERSATION_H
#define PELUND_COMPANION_HOST_CONVERSATION_H

#include "companion/child_processes.h"
#include "companion/conversation.h"

#include <asio.hpp>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pelund::companion {

struct HostSettings {
    std::string program;        // companion-plugin-host
    std::string plugin;         // the plug-in's file
    std::string name;           // the plug-in's name, for log lines
    uint64_t memoryLimit = 0;   // the host's address space (0: no limit)
};

class HostConversation final : public Conversation, public std::enable_shared_from_this<HostConversation> {
public:
    struct Events {
        std::function<void(bool accepted)> opened;     // the plug-in's answer to open
        std::function<void(const std::string& why)> failed;
        std::function<void()> drained;                 // unsent() fell back within the limit
        std::function<void()> idle;                    // answering() became false
    };
    // Starts the host; null with ERROR set when it cannot be started.
    // CALLS is what the host's replies and log lines go to.
    static std::shared_ptr<HostConversation> start(asio::io_context& io, ChildProcesses& children,
                                                   const HostSettings& settings, const pelund_companion_host& calls,
                                                   uint64_t unsentLimit, Events events, std::string& error);
    // The conversation over SOCKET, whose other end is process PID's (-1:
    // none); null when SOCKET cannot be used.
    static std::shared_ptr<HostConversation> attach(asio::io_context& io, ChildProcesses& children,
                                                    const HostSettings& settings, const pelund_companion_host& calls,
                                                    uint64_t unsentLimit, Events events, int socket, pid_t pid);
    HostConversation(asio::io_context& io, ChildProcesses& children, const HostSettings& settings,
                     const pelund_companion_host& calls, uint64_t unsentLimit, Events events);
    ~HostConversation() override;

    int begin(char kind, uint32_t length) override;
    int data(const void* bytes, size_t length) override;
    int end() override;
    void close() override;
    uint64_t unsent() const override { return unsent_; }
    bool answering() const override { return open_ && !owed_.empty(); }
    bool overdue(std::chrono::steady_clock::time_point now, std::chrono::seconds limit) const override;

private:
    int send(std::string frame);
    void write();
    void read();
    void consume(const unsigned char* bytes, size_t length);
    void finishFrame();
    void fail(const std::string& why);

    ChildProcesses& children_;
    HostSettings settings_;
    pelund_companion_host calls_;
    uint64_t unsentLimit_;
    Events events_;
    asio::local::stream_protocol::socket socket_;
    pid_t pid_ = -1;
    bool open_ = true, accepted_ = false, writing_ = false;

    std::deque<std::string> outgoing_;
    uint64_t unsent_ = 0;
    // When each answer still owed was asked for: open, then every message end.
    std::deque<std::chrono::steady_clock::time_point> owed_;

    std::vector<unsigned char> input_;
    unsigned char header_[5];
    size_t headerHave_ = 0;
    char kind_ = 0;
    uint64_t left_ = 0;
    std::string small_;
};

}  // namespace pelund::companion

#endif
