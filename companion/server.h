// The event loop: listeners on every bound address, the sessions they
// accept, and a once-a-second sweep for idle and overdue clients. Accepts
// in a loop with a backlog of SOMAXCONN; stops accepting while the
// connection limit is reached or descriptors have run out, and resumes when
// a session ends (or after a pause) instead of spinning. The sweep also
// reaps the plug-in host processes of ended conversations.
#ifndef PELUND_COMPANION_SERVER_H
#define PELUND_COMPANION_SERVER_H

#include "companion/child_processes.h"
#include "companion/event_log.h"
#include "companion/host_conversation.h"
#include "companion/options.h"
#include "companion/plugin_loader.h"
#include "companion/reply_queue.h"
#include "companion/upload_folder.h"

#include <asio.hpp>

#include <memory>
#include <map>
#include <string>
#include <vector>

namespace pelund::companion {

class Session;

class Server {
public:
    Server(asio::io_context& io, const Options& options, EventLog& log, PluginSet& plugins,
           UploadFolder& uploads);
    // Listens on ADDRESSES at the configured port (one port for all);
    // false with ERROR set when none could be bound.
    bool listen(const std::vector<asio::ip::address>& addresses, std::string& error);
    int port() const { return port_; }
    void setWebPort(int port) { webPort_ = port; }
    int webPort() const { return webPort_; }
    void start();
    // Stops accepting and ends every session (discarding uploads).
    void stop();

    const Options& options() const { return options_; }
    EventLog& log() { return log_; }
    const PluginSet& plugins() const { return plugins_; }
    const UploadFolder& uploadFolder() const { return uploads_; }
    ReplyBudget& budget() { return budget_; }
    asio::io_context& io() { return io_; }
    ChildProcesses& children() { return children_; }
    // How to start a host process for PLUGIN.
    HostSettings hostSettings(const pelund_companion_plugin& plugin) const;
    void sessionEnded(Session* session);

private:
    struct Listener {
        asio::ip::tcp::acceptor acceptor;
        bool waiting = false;  // an accept is outstanding
    };
    void accept(Listener& listener);
    void resumeAccepting();
    void sweep();

    asio::io_context& io_;
    Options options_;
    EventLog& log_;
    PluginSet& plugins_;
    UploadFolder& uploads_;
    ReplyBudget budget_;
    ChildProcesses children_;  // outlives the sessions, which release their children
    std::vector<std::unique_ptr<Listener>> listeners_;
    std::map<Session*, std::shared_ptr<Session>> sessions_;
    asio::steady_timer sweepTimer_, pauseTimer_;
    bool paused_ = false, stopped_ = false;
    int port_ = 0, webPort_ = 0;
};

}  // namespace pelund::companion

#endif
