// The companion server as a real process on loopback for the tests, and a
// scripted peer for what a good server never does.
#ifndef PELUND_TESTS_SERVER_SERVER_FIXTURE_H
#define PELUND_TESTS_SERVER_SERVER_FIXTURE_H

#include <functional>
#include <string>
#include <thread>

namespace servertest {

class CompanionServer {
public:
    CompanionServer();
    ~CompanionServer();
    std::string port() const { return std::to_string(port_); }
    std::string webPort() const { return std::to_string(webPort_); }
    const std::string& uploads() const { return uploads_; }
    bool running() const { return pid_ > 0 && port_ > 0; }

private:
    int pid_ = -1, port_ = 0, webPort_ = 0;
    std::string uploads_;
};

// Accepts one connection on a free loopback port and runs SCRIPT on it.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::function<void(int socket)> script);
    ~ScriptedPeer();
    std::string port() const { return std::to_string(port_); }

private:
    int listener_ = -1, port_ = 0;
    std::thread thread_;
};

// Sends the companion server's greeting (version 5.1) on SOCKET.
void greet(int socket);

// Sends all of TEXT (with LENGTH bytes) on SOCKET.
void sendAll(int socket, const char* text, size_t length);
// Reads until NUL or LIMIT bytes; what arrived.
std::string readUpTo(int socket, size_t limit);

std::string temporaryFolder();
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

}  // namespace servertest

#endif
