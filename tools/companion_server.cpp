// The companion server: greets each client with its identification text,
// answers commands, stores uploads, hosts the echo and store plug-ins, and
// serves a start page and four log pages over HTTP. One thread, poll(),
// non-blocking sockets; idle clients are dropped; a client that sends
// something it does not understand is disconnected.
//
//   companion-server [--port P] [--web-port W] [--bind ADDRESS]
//                    [--uploads DIR] [--idle SECONDS]
//
// Port 0 takes a free port; the ports are printed as "ready PORT WEBPORT".
#include "server/wire_format.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Options {
    int port = 0, webPort = 0, idle = 60;
    std::string bind = "127.0.0.1", uploads = ".";
};

std::deque<std::string> logLines;

void note(const std::string& line)
{
    logLines.push_back(line);
    if (logLines.size() > 500)
        logLines.pop_front();
}

int listenOn(const std::string& address, int port)
{
    int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 64) != 0) {
        std::perror("companion-server: listen");
        std::exit(1);
    }
    return s;
}

int portOf(int s)
{
    sockaddr_in a{};
    socklen_t n = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
    return ntohs(a.sin_port);
}

uint32_t le32(const std::string& s, size_t at)
{
    return uint32_t((unsigned char)s[at]) | uint32_t((unsigned char)s[at + 1]) << 8 |
           uint32_t((unsigned char)s[at + 2]) << 16 | uint32_t((unsigned char)s[at + 3]) << 24;
}

std::string le32Text(uint32_t v)
{
    std::string s(4, '\0');
    for (int k = 0; k < 4; ++k)
        s[size_t(k)] = char((v >> (8 * k)) & 0xFF);
    return s;
}

struct Client {
    int fd;
    bool web;
    std::string in, out;
    time_t lastActive;
    std::string plugin;               // the plug-in of an open conversation
    std::vector<std::string> stored;  // what the store plug-in keeps
    bool closing = false;
};

class Server {
public:
    explicit Server(const Options& o) : options_(o)
    {
        main_ = listenOn(o.bind, o.port);
        web_ = listenOn(o.bind, o.webPort);
        std::printf("ready %d %d\n", portOf(main_), portOf(web_));
        std::fflush(stdout);
    }

    void run()
    {
        for (;;) {
            std::vector<pollfd> fds{{main_, POLLIN, 0}, {web_, POLLIN, 0}};
            for (auto& [fd, c] : clients_)
                fds.push_back({fd, short(POLLIN | (c->out.empty() ? 0 : POLLOUT)), 0});
            poll(fds.data(), fds.size(), 1000);
            if (fds[0].revents & POLLIN)
                accept(main_, false);
            if (fds[1].revents & POLLIN)
                accept(web_, true);
            for (size_t k = 2; k < fds.size(); ++k) {
                auto found = clients_.find(fds[k].fd);
                if (found == clients_.end())
                    continue;
                Client& c = *found->second;
                if (fds[k].revents & (POLLIN | POLLHUP | POLLERR))
                    readFrom(c);
                if (!c.out.empty())
                    writeTo(c);
            }
            time_t now = std::time(nullptr);
            for (auto it = clients_.begin(); it != clients_.end();) {
                Client& c = *it->second;
                bool done = (c.closing && c.out.empty()) ||
                            now - c.lastActive > options_.idle;
                if (done) {
                    close(c.fd);
                    it = clients_.erase(it);
                } else {
                    ++it;
                }
            }
        }
    }

private:
    void accept(int listener, bool web)
    {
        sockaddr_in a{};
        socklen_t n = sizeof a;
        int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&a), &n, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        auto c = std::make_unique<Client>();
        c->fd = fd;
        c->web = web;
        c->lastActive = std::time(nullptr);
        if (!web) {
            char address[INET_ADDRSTRLEN] = "";
            inet_ntop(AF_INET, &a.sin_addr, address, sizeof address);
            c->out = std::string(pelund::wire::greetingText) + "5.1;" + address;
            c->out.push_back('\0');
            note(std::string("client ") + address + " connected");
        }
        clients_[fd] = std::move(c);
    }

    void readFrom(Client& c)
    {
        char buffer[65536];
        for (;;) {
            ssize_t got = recv(c.fd, buffer, sizeof buffer, 0);
            if (got > 0) {
                c.in.append(buffer, size_t(got));
                c.lastActive = std::time(nullptr);
                continue;
            }
            if (got == 0 || (errno != EAGAIN && errno != EINTR))
                c.closing = true;  // the client shut its side: close ours
            break;
        }
        if (c.web)
            serveWeb(c);
        else
            while (!c.closing && handle(c)) {
            }
    }

    void writeTo(Client& c)
    {
        ssize_t sent = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            c.out.erase(0, size_t(sent));
            c.lastActive = std::time(nullptr);
        } else if (sent < 0 && errno != EAGAIN && errno != EINTR) {
            c.out.clear();
            c.closing = true;
        }
    }

    // Handles one complete message from C's input; false when more input is
    // needed (or the client was dropped).
    bool handle(Client& c)
    {
        if (c.in.empty())
            return false;
        char kind = c.in[0];
        if (!c.plugin.empty()) {
            if (kind == 'X') {
                note("plug-in " + c.plugin + " closed");
                c.plugin.clear();
                c.in.erase(0, 1);
                return true;
            }
            if ((kind == 'B' || kind == 'F') && c.in.size() >= 5) {
                size_t length = le32(c.in, 1);
                if (c.in.size() < 5 + length)
                    return false;
                pluginMessage(c, kind, c.in.substr(5, length));
                c.in.erase(0, 5 + length);
                return true;
            }
            if (kind == 'B' || kind == 'F')
                return false;
            return drop(c, "unknown plug-in message");
        }
        size_t zero;
        switch (kind) {
        case '!':
            zero = c.in.find('\0');
            if (zero == std::string::npos)
                return c.in.size() > 4096 ? drop(c, "command too long") : false;
            command(c, c.in.substr(1, zero - 1));
            c.in.erase(0, zero + 1);
            return true;
        case '%':
            zero = c.in.find('\0');
            if (zero == std::string::npos)
                return c.in.size() > 300 ? drop(c, "plug-in name too long") : false;
            openPlugin(c, c.in.substr(1, zero - 1));
            c.in.erase(0, zero + 1);
            return true;
        case '~': {
            if (c.in.size() < 7)
                return false;
            zero = c.in.find('\0', 6);
            if (zero == std::string::npos)
                return c.in.size() > 1100 ? drop(c, "upload name too long") : false;
            int32_t size = int32_t(le32(c.in, 2));
            if (size < 0)
                return drop(c, "negative upload size");
            if (c.in.size() < zero + 1 + size_t(size))
                return false;
            store(c, c.in.substr(6, zero - 6), c.in.substr(zero + 1, size_t(size)));
            c.in.erase(0, zero + 1 + size_t(size));
            return true;
        }
        default: return drop(c, "garbage");
        }
    }

    bool drop(Client& c, const char* why)
    {
        note(std::string("client dropped: ") + why);
        c.in.clear();
        c.out.clear();
        c.closing = true;
        return false;
    }

    void command(Client& c, const std::string& text)
    {
        note("command '" + text + "'");
        std::string answer;
        if (text == "1")
            answer = std::to_string(portOf(web_));
        else if (text == "version")
            answer = "5.1";
        else if (text == "time")
            answer = std::to_string(long(std::time(nullptr)));
        else if (text == "uploads")
            answer = options_.uploads;
        else
            answer = "unknown command";
        c.out += answer;
        c.out.push_back('\0');
    }

    void store(Client& c, const std::string& name, const std::string& content)
    {
        // Only a plain file name is accepted: nothing outside the folder.
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
            drop(c, "bad upload name");
            return;
        }
        std::string path = options_.uploads + "/" + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        bool ok = f && std::fwrite(content.data(), 1, content.size(), f) == content.size();
        if (f)
            ok = std::fclose(f) == 0 && ok;
        note("upload " + name + " (" + std::to_string(content.size()) + " bytes)" +
             (ok ? "" : " failed"));
        c.out += ok ? std::string("OK", 3) : std::string("NO", 3);
    }

    void openPlugin(Client& c, const std::string& name)
    {
        if (name == "echo" || name == "store") {
            c.plugin = name;
            c.out += "OK1.0.0";
            note("plug-in " + name + " opened");
        } else {
            c.out += "NO";
            note("plug-in " + name + " refused");
        }
    }

    // echo answers each message with the same bytes; store keeps what it
    // gets and, asked with a "B" of the text "get", sends back the oldest.
    void pluginMessage(Client& c, char kind, const std::string& payload)
    {
        if (c.plugin == "echo") {
            c.out += le32Text(uint32_t(payload.size()));
            c.out += payload;
            return;
        }
        if (kind == 'B' && payload == "get") {
            std::string item = c.stored.empty() ? std::string() : c.stored.front();
            if (!c.stored.empty())
                c.stored.erase(c.stored.begin());
            c.out += le32Text(uint32_t(item.size()));
            c.out += item;
        } else {
            c.stored.push_back(payload);
        }
    }

    void serveWeb(Client& c)
    {
        size_t end = c.in.find("\r\n");
        if (end == std::string::npos) {
            if (c.in.size() > 8192 || c.closing)
                drop(c, "bad request");
            return;
        }
        std::string line = c.in.substr(0, end);
        std::string path = line.substr(line.find(' ') + 1);
        path = path.substr(0, path.find(' '));
        static const std::map<std::string, std::string> pages = {
            {"/", "Companion server"},
            {"/log_debug.html", "Debug log"},
            {"/log_error.html", "Error log"},
            {"/log_usage.html", "Usage log"},
            {"/log_access.html", "Access log"},
        };
        auto page = pages.find(path);
        std::string body, status = "200 OK";
        if (page == pages.end()) {
            status = "404 Not Found";
            body = "<html><body><h1>Not found</h1></body></html>\n";
        } else {
            body = "<html><head><title>" + page->second + "</title></head><body><h1>" +
                   page->second + "</h1><pre>\n";
            for (const std::string& l : logLines)
                body += l + "\n";
            body += "</pre></body></html>\n";
        }
        c.out = "HTTP/1.0 " + status + "\r\nContent-Type: text/html\r\nContent-Length: " +
                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        c.in.clear();
        c.closing = true;
    }

    Options options_;
    int main_, web_;
    std::map<int, std::unique_ptr<Client>> clients_;
};

}  // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i], value = argv[i + 1];
        if (name == "--port")
            o.port = std::atoi(value.c_str());
        else if (name == "--web-port")
            o.webPort = std::atoi(value.c_str());
        else if (name == "--bind")
            o.bind = value;
        else if (name == "--uploads")
            o.uploads = value;
        else if (name == "--idle")
            o.idle = std::atoi(value.c_str());
        else {
            std::fprintf(stderr, "companion-server: unknown option %s\n", name.c_str());
            return 2;
        }
    }
    Server(o).run();
}
