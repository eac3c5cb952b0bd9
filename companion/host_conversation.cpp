#include "companion/host_conversation.h"

#include "companion/host_protocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pelund::companion {

namespace {

constexpr size_t readSize = 256 * 1024;

}  // namespace

std::shared_ptr<HostConversation> HostConversation::start(asio::io_context& io, ChildProcesses& children,
                                                          const HostSettings& settings,
                                                          const pelund_companion_host& calls, uint64_t unsentLimit,
                                                          Events events, std::string& error)
{
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        error = std::string("socket pair: ") + std::strerror(errno);
        return nullptr;
    }
    pid_t pid = children.start({settings.program, settings.plugin, calls.temp_folder,
                                std::to_string(calls.message_limit), std::to_string(calls.disk_quota),
                                std::to_string(settings.memoryLimit), std::to_string(getpid())},
                               fds[1], error);
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return nullptr;
    }
    auto c = attach(io, children, settings, calls, unsentLimit, std::move(events), fds[0], pid);
    if (!c)
        error = "socket to the plug-in host not usable";
    return c;
}

std::shared_ptr<HostConversation> HostConversation::attach(asio::io_context& io, ChildProcesses& children,
                                                           const HostSettings& settings,
                                                           const pelund_companion_host& calls, uint64_t unsentLimit,
                                                           Events events, int socket, pid_t pid)
{
    auto c = std::make_shared<HostConversation>(io, children, settings, calls, unsentLimit, std::move(events));
    c->pid_ = pid;
    c->owed_.push_back(std::chrono::steady_clock::now());  // the answer to open
    asio::error_code e;
    c->socket_.assign(asio::local::stream_protocol(), socket, e);
    if (e) {
        ::close(socket);
        c->close();
        return nullptr;
    }
    c->read();
    return c;
}

HostConversation::HostConversation(asio::io_context& io, ChildProcesses& children, const HostSettings& settings,
                                   const pelund_companion_host& calls, uint64_t unsentLimit, Events events)
    : children_(children), settings_(settings), calls_(calls), unsentLimit_(unsentLimit), events_(std::move(events)),
      socket_(io), input_(readSize)
{
}

HostConversation::~HostConversation()
{
    close();
}

void HostConversation::close()
{
    if (!open_)
        return;
    open_ = false;
    asio::error_code ignored;
    socket_.close(ignored);
    outgoing_.clear();
    unsent_ = 0;
    // A host that owes an answer is busy or stuck, and would not notice.
    if (pid_ > 0)
        children_.release(pid_, "plug-in host for " + settings_.name, !owed_.empty());
    pid_ = -1;
}

bool HostConversation::overdue(std::chrono::steady_clock::time_point now, std::chrono::seconds limit) const
{
    return open_ && !owed_.empty() && now - owed_.front() > limit;
}

int HostConversation::begin(char kind, uint32_t length)
{
    unsigned char payload[host::headerSize];
    host::storeHeader(payload, kind, length);
    return send(host::frame(host::beginFrame, payload, sizeof payload));
}

int HostConversation::data(const void* bytes, size_t length)
{
    return send(host::frame(host::dataFrame, bytes, length));
}

int HostConversation::end()
{
    owed_.push_back(std::chrono::steady_clock::now());
    return send(host::frame(host::endFrame, nullptr, 0));
}

int HostConversation::send(std::string frame)
{
    if (!open_)
        return -1;
    unsent_ += frame.size();
    outgoing_.push_back(std::move(frame));
    write();
    return 0;
}

void HostConversation::write()
{
    if (writing_ || !open_ || outgoing_.empty())
        return;
    writing_ = true;
    asio::async_write(socket_, asio::buffer(outgoing_.front()),
                      [self = shared_from_this()](asio::error_code error, size_t) {
                          self->writing_ = false;
                          if (!self->open_)
                              return;
                          if (error) {
                              self->fail("host process gone (" + error.message() + ")");
                              return;
                          }
                          self->unsent_ -= self->outgoing_.front().size();
                          self->outgoing_.pop_front();
                          self->write();
                          if (self->unsent_ <= self->unsentLimit_)
                              self->events_.drained();
                      });
}

void HostConversation::read()
{
    socket_.async_read_some(asio::buffer(input_), [self = shared_from_this()](asio::error_code error, size_t n) {
        if (!self->open_)
            return;
        if (error) {
            self->fail("host process ended");
            return;
        }
        self->consume(self->input_.data(), n);
        if (self->open_)
            self->read();
    });
}

// Takes the host's frames apart; reply bytes go on as they arrive.
void HostConversation::consume(const unsigned char* bytes, size_t length)
{
    while (length > 0 && open_) {
        size_t used;
        if (headerHave_ < host::headerSize) {
            used = std::min(length, host::headerSize - headerHave_);
            std::memcpy(header_ + headerHave_, bytes, used);
            headerHave_ += used;
            if (headerHave_ == host::headerSize) {
                kind_ = char(header_[0]);
                left_ = loadLittle32(header_ + 1);
                small_.clear();
                if (kind_ != host::writeFrame && left_ > host::smallFrameLimit) {
                    fail("oversized frame from the host");
                    return;
                }
                if (left_ == 0)
                    finishFrame();
            }
        } else {
            used = size_t(std::min<uint64_t>(left_, length));
            left_ -= used;
            if (kind_ == host::writeFrame) {
                if (calls_.reply_write(calls_.server, bytes, used) != 0 && open_)
                    fail("reply longer than announced");
            } else {
                small_.append(reinterpret_cast<const char*>(bytes), used);
            }
            if (left_ == 0 && open_)
                finishFrame();
        }
        bytes += used;
        length -= used;
    }
}

void HostConversation::finishFrame()
{
    headerHave_ = 0;
    if (kind_ == host::writeFrame)
        return;
    if (kind_ == host::openFrame && small_.size() == 1 && !accepted_ && owed_.size() == 1) {
        owed_.pop_front();
        accepted_ = small_[0] == 1;
        if (!accepted_)
            close();
        events_.opened(accepted_);
    } else if (kind_ == host::doneFrame && accepted_ && !owed_.empty()) {
        owed_.pop_front();
        if (owed_.empty())
            events_.idle();
    } else if (kind_ == host::replyFrame && small_.size() == 4 && accepted_) {
        if (calls_.reply_begin(calls_.server, loadLittle32(reinterpret_cast<const unsigned char*>(small_.data()))) !=
                0 &&
            open_)
            fail("reply begun before the last one was complete");
    } else if (kind_ == host::logFrame && !small_.empty()) {
        calls_.log(calls_.server, small_[0], small_.c_str() + 1);
    } else if (kind_ == host::failedFrame) {
        fail(small_);
    } else {
        fail("unexpected frame from the host");
    }
}

// Before the plug-in has accepted the conversation a failure is a refusal.
void HostConversation::fail(const std::string& why)
{
    if (!open_)
        return;
    bool wasAccepted = accepted_;
    if (!wasAccepted)
        calls_.log(calls_.server, PELUND_COMPANION_LOG_ERROR, why.c_str());
    owed_.push_back(std::chrono::steady_clock::now());  // whatever it is doing, it is killed
    close();
    if (wasAccepted)
        events_.failed(why);
    else
        events_.opened(false);
}

}  // namespace pelund::companion
