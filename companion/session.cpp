#include "companion/session.h"

#include "companion/host_conversation.h"
#include "companion/server.h"
#include "companion/version.h"
#include "frame/byte_order.h"
#include "server/wire_format.h"

#include <cstring>
#include <functional>

namespace pelund::companion {

namespace {

constexpr size_t readSize = 128 * 1024;
constexpr size_t commandLimit = 4096;
constexpr size_t pluginNameLimit = 300;
constexpr size_t uploadNameLimit = 1100;
constexpr char uploadRefused[3] = {'N', 'O', '\0'};

std::string answerText(const std::string& text)
{
    return std::string(text.c_str(), text.size() + 1);
}

}  // namespace

Session::Session(Server& server, asio::ip::tcp::socket socket)
    : server_(server), socket_(std::move(socket)),
      replies_(server.budget(), server.options().limits.replyMemory), lastActivity_(Clock::now())
{
    asio::error_code ignored;
    auto endpoint = socket_.remote_endpoint(ignored);
    asio::ip::address address = endpoint.address();
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        address = asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
    peer_ = address.to_string();
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
}

Session::~Session()
{
    open_ = false;
    closePlugin();
}

void Session::start()
{
    server_.log().note(EventKind::access, "client " + peer_ + " connected");
    std::string greeting = std::string(wire::greetingText) + protocolVersionText + ";" + peer_;
    reply(greeting.c_str(), greeting.size() + 1);
    input_.resize(readSize);
    write();
    read();
}

void Session::stop(EventKind kind, const std::string& why)
{
    if (!open_)
        return;
    open_ = false;
    if (!why.empty())
        server_.log().note(kind, "client " + peer_ + ": " + why);
    if (upload_) {
        server_.log().note(EventKind::error, "client " + peer_ + ": upload " + uploadName_ + " discarded");
        upload_.reset();
    }
    closePlugin();
    asio::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    server_.log().note(EventKind::access, "client " + peer_ + " disconnected");
    server_.sessionEnded(this);
}

void Session::checkTimes(Clock::time_point now)
{
    const Limits& limits = server_.options().limits;
    // A client waiting for a plug-in host at work is not idle; the host has
    // the message time to answer.
    if (conversation_ && conversation_->answering())
        lastActivity_ = now;
    if (now - lastActivity_ > std::chrono::seconds(limits.idleSeconds))
        stop(EventKind::error, "idle for " + std::to_string(limits.idleSeconds) + " s, dropped");
    else if (messageStarted_ && now - *messageStarted_ > std::chrono::seconds(limits.messageSeconds))
        stop(EventKind::error, "message not complete within " + std::to_string(limits.messageSeconds) +
                                   " s, dropped");
    else if (conversation_ && conversation_->overdue(now, std::chrono::seconds(limits.messageSeconds)))
        stop(EventKind::error, std::string("plug-in ") + plugin_->name + " did not answer within " +
                                   std::to_string(limits.messageSeconds) + " s; conversation ended");
}

void Session::read()
{
    const Limits& limits = server_.options().limits;
    if (reading_ || !open_ || closing_ || held_ || replies_.size() > limits.unreadOutput ||
        (conversation_ && conversation_->unsent() > limits.replyMemory))
        return;
    reading_ = true;
    socket_.async_read_some(asio::buffer(input_), [self = shared_from_this()](asio::error_code error, size_t n) {
        self->reading_ = false;
        if (!self->open_)
            return;
        self->lastActivity_ = Clock::now();
        if (error) {
            if (self->state_ != State::kind)
                self->server_.log().note(EventKind::error, "client " + self->peer_ + ": connection cut in a message");
            if (self->upload_) {
                self->server_.log().note(EventKind::error, "client " + self->peer_ + ": upload " +
                                                               self->uploadName_ + " cut, discarded");
                self->upload_.reset();
            }
            // The client shut its sending side: answer what is queued, then close.
            self->closeAfterReplies();
            return;
        }
        self->consume(self->input_.data(), n);
        self->write();
        self->read();
    });
}

void Session::write()
{
    if (writing_ || !open_)
        return;
    if (replies_.empty()) {
        if (closing_)
            stop(EventKind::debug, "");
        return;
    }
    std::string_view next = replies_.front();
    if (next.empty()) {
        stop(EventKind::error, "reply spool unreadable, dropped");
        return;
    }
    writing_ = true;
    socket_.async_write_some(asio::buffer(next.data(), next.size()),
                             [self = shared_from_this()](asio::error_code error, size_t n) {
                                 self->writing_ = false;
                                 if (!self->open_)
                                     return;
                                 if (error) {
                                     self->stop(EventKind::debug, "write failed: " + error.message());
                                     return;
                                 }
                                 self->lastActivity_ = Clock::now();
                                 self->replies_.consume(n);
                                 self->write();
                                 self->read();
                             });
}

void Session::closeAfterReplies()
{
    closing_ = true;
    write();
}

void Session::reply(const void* bytes, size_t length)
{
    if (open_ && !replies_.append(bytes, length))
        stop(EventKind::error, "no room for replies (memory and spool quota used up), dropped");
    // (Replies of a plug-in host process arrive outside the reading of the client.)
    write();
}

void Session::begin(State state)
{
    state_ = state;
    text_.clear();
    if (state == State::kind)
        messageStarted_.reset();
    else if (!messageStarted_)
        messageStarted_ = Clock::now();
}

// Feeds arrived bytes through the message state machine.
void Session::consume(const char* bytes, size_t length)
{
    while (length > 0 && open_ && !closing_ && !held_) {
        size_t used = 1;
        char c = *bytes;
        switch (state_) {
        case State::kind:
            kind_ = c;
            if (plugin_) {
                if (c == wire::pluginClose) {
                    server_.log().note(EventKind::usage, "client " + peer_ + ": plug-in " + plugin_->name + " closed");
                    // A host process still answering finishes first (see idle).
                    held_ = conversation_->answering();
                    if (!held_)
                        closePlugin();
                } else if (c == wire::pluginBytes || c == wire::pluginFile) {
                    begin(State::pluginHeader);
                } else {
                    stop(EventKind::error, "unknown plug-in message, dropped");
                }
            } else if (c == wire::command || c == wire::pluginOpen) {
                begin(State::text);
            } else if (c == wire::upload) {
                begin(State::uploadHeader);
            } else {
                stop(EventKind::error, "unknown message, dropped");
            }
            break;
        case State::text:
        case State::uploadName: {
            bool upload = state_ == State::uploadName;
            size_t limit = upload ? uploadNameLimit : kind_ == wire::command ? commandLimit : pluginNameLimit;
            const char* zero = static_cast<const char*>(std::memchr(bytes, '\0', length));
            used = zero ? size_t(zero - bytes) + 1 : length;
            text_.append(bytes, zero ? used - 1 : used);
            if (text_.size() > limit)
                stop(EventKind::error, upload ? "upload name too long, dropped"
                                       : kind_ == wire::command ? "command too long, dropped"
                                                                : "plug-in name too long, dropped");
            else if (zero && upload)
                finishUploadName();
            else if (zero)
                finishText();
            break;
        }
        case State::uploadHeader:
        case State::pluginHeader:
            // Fixed-size headers: the upload's kind byte and size, a message's length.
            text_.push_back(c);
            if (state_ == State::uploadHeader && text_.size() == 5)
                finishUploadHeader();
            else if (state_ == State::pluginHeader && text_.size() == 4)
                finishPluginHeader();
            break;
        case State::uploadContent:
        case State::pluginPayload:
            used = consumeContent(bytes, length);
            break;
        }
        bytes += used;
        length -= used;
    }
    heldBytes_ = held_ ? bytes : nullptr;
    heldLength_ = held_ ? length : 0;
}

void Session::resume()
{
    if (!held_ || !open_)
        return;
    held_ = false;
    consume(heldBytes_, heldLength_);
    write();
    read();
}

size_t Session::consumeContent(const char* bytes, size_t length)
{
    size_t n = size_t(std::min<uint64_t>(remaining_, length));
    remaining_ -= n;
    if (state_ == State::uploadContent) {
        if (upload_ && !upload_->write(bytes, n)) {
            uploadError_ = upload_->error();
            upload_.reset();
        }
        if (remaining_ == 0)
            finishUpload();
    } else {
        if (n > 0 && !callPlugin("message_data", [&] { return conversation_->data(bytes, n); }))
            return n;
        if (remaining_ == 0) {
            begin(State::kind);
            callPlugin("message_end", [&] { return conversation_->end(); });
        }
    }
    return n;
}

void Session::finishText()
{
    std::string text = std::move(text_);
    begin(State::kind);
    if (kind_ == wire::command)
        command(text);
    else
        openPlugin(text);
}

void Session::command(const std::string& text)
{
    server_.log().note(EventKind::usage, "client " + peer_ + ": command '" + text + "'");
    std::string answer;
    if (text == wire::webPortCommand)
        answer = std::to_string(server_.webPort());
    else if (text == "version")
        answer = protocolVersionText;
    else if (text == "time")
        answer = std::to_string(long(std::time(nullptr)));
    else if (text == "uploads")
        answer = std::to_string(server_.log().uploadCount());
    else
        answer = "unknown command";
    answer = answerText(answer);
    reply(answer.data(), answer.size());
}

void Session::finishUploadHeader()
{
    int32_t size = int32_t(loadLittle32(reinterpret_cast<const unsigned char*>(text_.data()) + 1));
    if (size < 0 || uint64_t(size) > server_.options().limits.uploadSize) {
        server_.log().note(EventKind::error, "client " + peer_ + ": upload of " + std::to_string(size) +
                                                 " bytes refused (limit " +
                                                 std::to_string(server_.options().limits.uploadSize) + ")");
        reply(uploadRefused, sizeof uploadRefused);
        closeAfterReplies();
        return;
    }
    uploadSize_ = uint64_t(size);
    begin(State::uploadName);
}

void Session::finishUploadName()
{
    uploadName_ = std::move(text_);
    remaining_ = uploadSize_;
    uploadError_ = 0;
    begin(State::uploadContent);
    if (!isValidUploadName(uploadName_)) {
        uploadError_ = EINVAL;
    } else {
        upload_ = std::make_unique<Upload>(server_.uploadFolder(), uploadName_);
        if (!upload_->ok()) {
            uploadError_ = upload_->error();
            upload_.reset();
        }
    }
    if (remaining_ == 0)
        finishUpload();
}

void Session::finishUpload()
{
    begin(State::kind);
    bool ok = upload_ && upload_->commit();
    if (upload_ && !ok)
        uploadError_ = upload_->error();
    upload_.reset();
    if (ok) {
        server_.log().note(EventKind::usage, "client " + peer_ + ": upload " + uploadName_ + " (" +
                                                 std::to_string(uploadSize_) + " bytes)");
        server_.log().uploaded(uploadName_, uploadSize_);
        reply(wire::uploadAccepted, sizeof wire::uploadAccepted);
    } else {
        server_.log().note(EventKind::error, "client " + peer_ + ": upload " + uploadName_ + " failed: " +
                                                 (uploadError_ == EINVAL ? "name not allowed"
                                                                         : std::strerror(uploadError_)));
        reply(uploadRefused, sizeof uploadRefused);
    }
}

void Session::openPlugin(const std::string& name)
{
    const pelund_companion_plugin* p = server_.plugins().find(name);
    if (!p) {
        opened(name, false);
        return;
    }
    host_ = {this,
             replyBegin,
             replyWrite,
             pluginLog,
             server_.options().spool.c_str(),
             server_.options().limits.messageSize,
             server_.options().limits.spoolQuota};
    plugin_ = p;
    replyLeft_ = 0;
    if (isIsolated(server_.options(), name)) {
        // The client's next bytes wait until the host has the plug-in's answer.
        HostConversation::Events events{
            [this, name](bool accepted) {
                opened(name, accepted);
                resume();
            },
            [this](const std::string& why) {
                stop(EventKind::error, std::string("plug-in ") + plugin_->name + " failed: " + why +
                                           "; conversation ended");
            },
            [this] { read(); },
            [this] {
                // Closed by the client while the host was still answering.
                if (held_ && state_ == State::kind && kind_ == wire::pluginClose) {
                    closePlugin();
                    resume();
                }
            }};
        std::string error;
        conversation_ = HostConversation::start(server_.io(), server_.children(), server_.hostSettings(*p),
                                                host_, server_.options().limits.replyMemory, std::move(events),
                                                error);
        if (conversation_) {
            held_ = true;
            return;
        }
        server_.log().note(EventKind::error, "client " + peer_ + ": " + error);
    } else if (void* state = p->open(&host_)) {
        conversation_ = std::make_shared<InProcessConversation>(*p, state);
    }
    opened(name, conversation_ != nullptr);
}

void Session::opened(const std::string& name, bool accepted)
{
    if (!open_)
        return;
    if (!accepted) {
        plugin_ = nullptr;
        conversation_.reset();
        server_.log().note(EventKind::usage, "client " + peer_ + ": plug-in '" + name + "' refused");
        reply("NO", 2);
        return;
    }
    server_.log().note(EventKind::usage, "client " + peer_ + ": plug-in " + name + " opened");
    std::string ok = std::string("OK") + plugin_->version;
    reply(ok.data(), ok.size());
}

void Session::finishPluginHeader()
{
    uint32_t length = loadLittle32(reinterpret_cast<const unsigned char*>(text_.data()));
    if (length > server_.options().limits.messageSize) {
        stop(EventKind::error, "plug-in message of " + std::to_string(length) + " bytes over the limit of " +
                                   std::to_string(server_.options().limits.messageSize) + ", dropped");
        return;
    }
    remaining_ = length;
    begin(State::pluginPayload);
    if (!callPlugin("message_begin", [&] { return conversation_->begin(kind_, length); }))
        return;
    if (length == 0) {
        begin(State::kind);
        callPlugin("message_end", [&] { return conversation_->end(); });
    }
}

bool Session::callPlugin(const char* where, const std::function<int()>& call)
{
    inPlugin_ = true;
    int result = call();
    inPlugin_ = false;
    if (result != 0 && open_)
        stop(EventKind::error, std::string("plug-in ") + plugin_->name + " failed in " + where +
                                   "; conversation ended");
    if (!open_)
        closePlugin();  // the session stopped during the call
    return open_;
}

void Session::closePlugin()
{
    if (!plugin_ || inPlugin_)
        return;
    const pelund_companion_plugin* p = plugin_;
    plugin_ = nullptr;
    if (auto c = std::move(conversation_))
        c->close();
    if (open_ && replyLeft_ != 0)
        stop(EventKind::error, std::string("plug-in ") + p->name + " closed with a reply unfinished, dropped");
}

int Session::replyBegin(void* self, uint32_t count)
{
    auto* s = static_cast<Session*>(self);
    if (s->replyLeft_ != 0 || !s->open_)
        return -1;
    unsigned char header[4];
    storeLittle32(header, count);
    s->reply(header, sizeof header);
    s->replyLeft_ = count;
    return s->open_ ? 0 : -1;
}

int Session::replyWrite(void* self, const void* bytes, size_t length)
{
    auto* s = static_cast<Session*>(self);
    if (length > s->replyLeft_ || !s->open_)
        return -1;
    s->reply(bytes, length);
    s->replyLeft_ -= length;
    return s->open_ ? 0 : -1;
}

void Session::pluginLog(void* self, int kind, const char* text)
{
    auto* s = static_cast<Session*>(self);
    EventKind k = kind == PELUND_COMPANION_LOG_ERROR ? EventKind::error
                  : kind == PELUND_COMPANION_LOG_USAGE ? EventKind::usage
                                                       : EventKind::debug;
    s->server_.log().note(k, std::string("plug-in ") + (s->plugin_ ? s->plugin_->name : "?") + ": " +
                                 (text ? text : ""));
}

}  // namespace pelund::companion
