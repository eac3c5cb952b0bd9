#include "companion/web_pages.h"

#include "companion/version.h"

#include <httplib.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace pelund::companion {

namespace {

struct Page {
    const char* path;
    const char* title;
    EventKind kind;
};

constexpr Page logPages[] = {
    {"/log_debug.html", "Debug log", EventKind::debug},
    {"/log_error.html", "Error log", EventKind::error},
    {"/log_usage.html", "Usage log", EventKind::usage},
    {"/log_access.html", "Access log", EventKind::access},
};

std::string timeText(std::time_t t)
{
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

std::string pageStart(const std::string& title)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + escapeHtml(title) +
           "</title></head><body>\n<h1>" + escapeHtml(title) + "</h1>\n<p><a href=\"/\">Start</a>" +
           " | <a href=\"/log_debug.html\">debug</a> | <a href=\"/log_error.html\">errors</a>"
           " | <a href=\"/log_usage.html\">usage</a> | <a href=\"/log_access.html\">access</a></p>\n";
}

}  // namespace

std::string escapeHtml(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string startPage(const EventLog& log)
{
    std::string body = pageStart("Companion server");
    long uptime = long(std::time(nullptr) - log.started);
    body += "<table id=\"state\">\n<tr><th>version</th><td id=\"version\">" + std::string(serverVersionText) +
            " (protocol " + protocolVersionText + ")</td></tr>\n<tr><th>started</th><td>" +
            timeText(log.started) + "</td></tr>\n<tr><th>uptime</th><td id=\"uptime\">" +
            std::to_string(uptime) + " s</td></tr>\n<tr><th>clients now</th><td id=\"clients-now\">" +
            std::to_string(log.clientsNow.load()) + "</td></tr>\n<tr><th>clients in total</th>"
            "<td id=\"clients-total\">" + std::to_string(log.clientsTotal.load()) + "</td></tr>\n</table>\n";
    body += "<h2>Plug-ins</h2>\n<ul id=\"plugins\">\n";
    for (const std::string& p : log.plugins())
        body += "<li>" + escapeHtml(p) + "</li>\n";
    body += "</ul>\n<h2>Latest uploads</h2>\n<table id=\"uploads\">\n<tr><th>name</th><th>bytes</th><th>time</th></tr>\n";
    for (const UploadRecord& u : log.latestUploads())
        body += "<tr><td>" + escapeHtml(u.name) + "</td><td>" + std::to_string(u.size) + "</td><td>" +
                timeText(u.time) + "</td></tr>\n";
    return body + "</table>\n</body></html>\n";
}

std::string logPage(const EventLog& log, EventKind kind)
{
    std::string title;
    for (const Page& p : logPages)
        if (p.kind == kind)
            title = p.title;
    std::string body = pageStart(title) + "<table id=\"log\">\n";
    auto lines = log.lines(kind);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        body += "<tr><td>" + timeText(it->time) + "</td><td>" + escapeHtml(it->text) + "</td></tr>\n";
    return body + "</table>\n</body></html>\n";
}

WebPages::WebPages(EventLog& log) : log_(log) {}

WebPages::~WebPages()
{
    stop();
}

bool WebPages::listen(const std::vector<std::string>& addresses, int port, std::string& error)
{
    for (const std::string& address : addresses) {
        auto server = std::make_unique<httplib::Server>();
        server->new_task_queue = [] { return new httplib::ThreadPool(2); };
        server->Get("/", [this](const httplib::Request&, httplib::Response& r) {
            r.set_content(startPage(log_), "text/html; charset=utf-8");
        });
        for (const Page& p : logPages)
            server->Get(p.path, [this, kind = p.kind](const httplib::Request&, httplib::Response& r) {
                r.set_content(logPage(log_, kind), "text/html; charset=utf-8");
            });
        server->set_logger([this](const httplib::Request& q, const httplib::Response& r) {
            log_.note(EventKind::access, "web " + q.remote_addr + " " + q.method + " " + q.path + " " +
                                             std::to_string(r.status));
        });
        server->set_read_timeout(10);
        server->set_write_timeout(10);
        server->set_keep_alive_timeout(5);
        server->set_payload_max_length(64 * 1024);
        int bound = port_ == 0 && port == 0 ? server->bind_to_any_port(address)
                                            : (server->bind_to_port(address, port_ ? port_ : port) ? (port_ ? port_ : port) : -1);
        if (bound <= 0) {
            error = "cannot listen for web pages on " + address + " port " + std::to_string(port_ ? port_ : port);
            log_.note(EventKind::debug, error);
            continue;
        }
        port_ = bound;
        log_.note(EventKind::debug, "web pages on " + address + " port " + std::to_string(bound));
        servers_.push_back(std::move(server));
    }
    return !servers_.empty();
}

void WebPages::start()
{
    for (auto& s : servers_)
        threads_.emplace_back([server = s.get()] { server->listen_after_bind(); });
    // A server's stop() is ignored until its thread has entered the accept
    // loop; wait for that (briefly), so that a signal right after start
    // cannot leave a thread that never ends.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (auto& s : servers_)
        while (!s->is_running() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void WebPages::stop()
{
    for (auto& s : servers_)
        s->stop();
    for (auto& t : threads_)
        t.join();
    threads_.clear();
}

}  // namespace pelund::companion
