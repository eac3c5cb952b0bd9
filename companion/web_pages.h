// The web pages: a start page with the server's state and the four log
// pages, served over HTTP on their own threads. Every text that came from
// a client is HTML-escaped.
#ifndef PELUND_COMPANION_WEB_PAGES_H
#define PELUND_COMPANION_WEB_PAGES_H

#include "companion/event_log.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace pelund::companion {

std::string escapeHtml(const std::string& text);
std::string startPage(const EventLog& log);
std::string logPage(const EventLog& log, EventKind kind);

class WebPages {
public:
    explicit WebPages(EventLog& log);
    ~WebPages();
    // Listens on every address at PORT (0: a free one, then the same for
    // all); false with ERROR set when none could be bound.
    bool listen(const std::vector<std::string>& addresses, int port, std::string& error);
    int port() const { return port_; }
    void start();
    void stop();

private:
    EventLog& log_;
    std::vector<std::unique_ptr<httplib::Server>> servers_;
    std::vector<std::thread> threads_;
    int port_ = 0;
};

}  // namespace pelund::companion

#endif
