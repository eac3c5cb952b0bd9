// A plug-in conversation as a session sees it: the payload's pieces go in,
// replies come back through the host calls the conversation was opened
// with. The plug-in runs either in the server's process (InProcessConversation)
// or in a host process of its own (HostConversation).
#ifndef PELUND_COMPANION_CONVERSATION_H
#define PELUND_COMPANION_CONVERSATION_H

#include "pelund-companion/plugin.h"

#include <chrono>
#include <cstdint>

namespace pelund::companion {

class Conversation {
public:
    virtual ~Conversation() = default;
    // Each returns 0 for success, as the plug-in callbacks do.
    virtual int begin(char kind, uint32_t length) = 0;
    virtual int data(const void* bytes, size_t length) = 0;
    virtual int end() = 0;
    // Ends the conversation; nothing reaches the session afterwards.
    virtual void close() = 0;
    // Bytes taken but not yet passed on to the plug-in.
    virtual uint64_t unsent() const { return 0; }
    // True while the plug-in still owes an answer to a message's end.
    virtual bool answering() const { return false; }
    // True when the plug-in has owed an answer for longer than LIMIT.
    virtual bool overdue(std::chrono::steady_clock::time_point, std::chrono::seconds) const { return false; }
};

class InProcessConversation final : public Conversation {
public:
    InProcessConversation(const pelund_companion_plugin& plugin, void* state) : plugin_(plugin), state_(state) {}
    ~InProcessConversation() override { close(); }
    int begin(char kind, uint32_t length) override { return plugin_.message_begin(state_, kind, length); }
    int data(const void* bytes, size_t length) override { return plugin_.message_data(state_, bytes, length); }
    int end() override { return plugin_.message_end(state_); }
    void close() override
    {
        if (state_)
            plugin_.close(state_);
        state_ = nullptr;
    }

private:
    const pelund_companion_plugin& plugin_;
    void* state_;
};

}  // namespace pelund::companion

#endif
