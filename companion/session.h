// One client connection: greets, reads messages piece by piece as they
// arrive and answers them. Uploads stream into the upload folder, plug-in
// payloads stream into the plug-in; replies wait in a ReplyQueue, and a
// client whose unread replies pass the limit is not read from until it has
// caught up. Runs on the server's event loop only.
#ifndef PELUND_COMPANION_SESSION_H
#define PELUND_COMPANION_SESSION_H

#include "companion/conversation.h"
#include "companion/event_log.h"
#include "companion/reply_queue.h"
#include "companion/upload_folder.h"
#include "pelund-companion/plugin.h"

#include <asio.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pelund::companion {

class Server;
using Clock = std::chrono::steady_clock;

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(Server& server, asio::ip::tcp::socket socket);
    ~Session();
    void start();
    // Ends the connection at once: an upload in progress is discarded, a
    // conversation closed. KIND and WHY go to the log (nothing when WHY is
    // empty).
    void stop(EventKind kind, const std::string& why);
    // Stops the session when it has been idle or a message has taken too
    // long at time NOW.
    void checkTimes(Clock::time_point now);

private:
    enum class State { kind, text, uploadHeader, uploadName, uploadContent, pluginHeader, pluginPayload };

    void read();
    void write();
    void consume(const char* bytes, size_t length);
    size_t consumeContent(const char* bytes, size_t length);
    void begin(State state);
    void finishText();
    void finishUploadHeader();
    void finishUploadName();
    void finishUpload();
    void finishPluginHeader();
    void command(const std::string& text);
    void openPlugin(const std::string& name);
    void closePlugin();
    // Runs one plug-in callback; a failure ends the session. False when
    // the session has ended.
    bool callPlugin(const char* where, const std::function<int()>& call);
    // The plug-in's answer to open: "OK" and its version, or "NO".
    void opened(const std::string& name, bool accepted);
    // Takes the bytes held back while a plug-in host was opening or finishing.
    void resume();
    void reply(const void* bytes, size_t length);
    void closeAfterReplies();

    static int replyBegin(void* self, uint32_t count);
    static int replyWrite(void* self, const void* bytes, size_t length);
    static void pluginLog(void* self, int kind, const char* text);

    Server& server_;
    asio::ip::tcp::socket socket_;
    std::string peer_;
    std::vector<char> input_;
    ReplyQueue replies_;
    bool reading_ = false, writing_ = false, open_ = true, closing_ = false;
    // While a plug-in host is opening, or finishing its answers before a
    // close, the rest of the input waits here.
    bool held_ = false;
    const char* heldBytes_ = nullptr;
    size_t heldLength_ = 0;
    Clock::time_point lastActivity_;
    std::optional<Clock::time_point> messageStarted_;

    State state_ = State::kind;
    char kind_ = 0;
    std::string text_;
    uint64_t remaining_ = 0;

    std::string uploadName_;
    uint64_t uploadSize_ = 0;
    std::unique_ptr<Upload> upload_;
    int uploadError_ = 0;

    const pelund_companion_plugin* plugin_ = nullptr;
    std::shared_ptr<Conversation> conversation_;
    pelund_companion_host host_{};
    uint64_t replyLeft_ = 0;
    bool inPlugin_ = false;
};

}  // namespace pelund::companion

#endif
