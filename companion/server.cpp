#include "companion/server.h"

#include "companion/session.h"
#include "companion/version.h"

namespace pelund::companion {

Server::Server(asio::io_context& io, const Options& options, EventLog& log, PluginSet& plugins,
               UploadFolder& uploads)
    : io_(io), options_(options), log_(log), plugins_(plugins), uploads_(uploads),
      budget_{options.limits.replyMemoryTotal, 0, options.limits.spoolQuota, 0, options.spool},
      children_(log), sweepTimer_(io), pauseTimer_(io)
{
}

HostSettings Server::hostSettings(const pelund_companion_plugin& plugin) const
{
    return {pluginHostProgram(), plugins_.fileOf(plugin.name), plugin.name, options_.limits.pluginMemory};
}

bool Server::listen(const std::vector<asio::ip::address>& addresses, std::string& error)
{
    int port = options_.port;
    for (const auto& address : addresses) {
        auto listener = std::make_unique<Listener>(Listener{asio::ip::tcp::acceptor(io_)});
        asio::ip::tcp::endpoint endpoint(address, uint16_t(port));
        asio::error_code e;
        auto& a = listener->acceptor;
        a.open(endpoint.protocol(), e);
        if (!e && address.is_v6())
            a.set_option(asio::ip::v6_only(true), e);
        if (!e)
            a.set_option(asio::socket_base::reuse_address(true), e);
        if (!e)
            a.bind(endpoint, e);
        if (!e)
            a.listen(asio::socket_base::max_listen_connections, e);
        if (e) {
            error = "cannot listen on " + address.to_string() + " port " + std::to_string(port) + ": " + e.message();
            log_.note(EventKind::debug, error);
            continue;
        }
        port = a.local_endpoint().port();
        log_.note(EventKind::debug, "listening on " + address.to_string() + " port " + std::to_string(port));
        listeners_.push_back(std::move(listener));
    }
    port_ = port;
    return !listeners_.empty();
}

void Server::start()
{
    for (auto& l : listeners_)
        accept(*l);
    sweep();
}

void Server::accept(Listener& listener)
{
    if (listener.waiting || paused_ || stopped_ || sessions_.size() >= options_.limits.connections)
        return;
    listener.waiting = true;
    listener.acceptor.async_accept([this, &listener](asio::error_code error, asio::ip::tcp::socket socket) {
        listener.waiting = false;
        if (stopped_)
            return;
        if (error) {
            if (error == asio::error::operation_aborted)
                return;
            // Out of descriptors (or another failure): wait for a session to
            // end, or a moment, instead of trying again at once.
            log_.note(EventKind::error, "accept failed: " + error.message() + "; accepting paused");
            paused_ = true;
            pauseTimer_.expires_after(std::chrono::milliseconds(250));
            pauseTimer_.async_wait([this](asio::error_code e) {
                if (!e)
                    resumeAccepting();
            });
            return;
        }
        auto session = std::make_shared<Session>(*this, std::move(socket));
        sessions_[session.get()] = session;
        ++log_.clientsNow;
        ++log_.clientsTotal;
        session->start();
        accept(listener);
    });
}

void Server::resumeAccepting()
{
    paused_ = false;
    for (auto& l : listeners_)
        accept(*l);
}

void Server::sessionEnded(Session* session)
{
    if (sessions_.erase(session)) {
        --log_.clientsNow;
        if (!stopped_)
            resumeAccepting();
    }
}

void Server::sweep()
{
    auto now = Clock::now();
    std::vector<std::shared_ptr<Session>> all;
    for (auto& [raw, s] : sessions_)
        all.push_back(s);
    for (auto& s : all)
        s->checkTimes(now);
    children_.sweep();
    sweepTimer_.expires_after(std::chrono::seconds(1));
    sweepTimer_.async_wait([this](asio::error_code e) {
        if (!e && !stopped_)
            sweep();
    });
}

void Server::stop()
{
    stopped_ = true;
    asio::error_code ignored;
    for (auto& l : listeners_)
        l->acceptor.close(ignored);
    sweepTimer_.cancel();
    pauseTimer_.cancel();
    std::vector<std::shared_ptr<Session>> all;
    for (auto& [raw, s] : sessions_)
        all.push_back(s);
    for (auto& s : all)
        s->stop(EventKind::debug, "server stopping");
}

}  // namespace pelund::companion
