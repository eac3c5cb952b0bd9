// The companion server as a child process of the test, and a raw client
// that speaks its protocol byte by byte.
#ifndef PELUND_TESTS_COMPANION_FIXTURE_H
#define PELUND_TESTS_COMPANION_FIXTURE_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace companiontest {

// Runs companion-server with ARGS; the ports come from its "ready" line.
class ServerProcess {
public:
    // FILE_LIMIT, when non-zero, is the server's limit of open descriptors.
    explicit ServerProcess(const std::vector<std::string>& args, int fileLimit = 0);
    ~ServerProcess();
    bool ready() const { return port_ > 0; }
    int port() const { return port_; }
    int webPort() const { return webPort_; }
    pid_t pid() const { return pid_; }
    // Sends SIGTERM and returns the exit status (-1 when it did not exit in time).
    int terminate();
    // The server's resident memory in KiB.
    long residentKiB() const;
    // The processor time the server has used, in clock ticks.
    long cpuTicks() const;
    // Everything the server wrote to standard error so far.
    std::string errors() const;

private:
    pid_t pid_ = -1;
    int port_ = 0, webPort_ = 0;
    std::string errorFile_;
};

// Runs companion-server with ARGS to its end (at most 20 s) and returns its
// exit status; OUTPUT receives standard output and standard error.
int runServer(const std::vector<std::string>& args, std::string* output = nullptr);

class Client {
public:
    // Connects to 127.0.0.1:PORT and reads the greeting (unless told not to).
    explicit Client(int port, bool readGreeting = true);
    ~Client();
    bool connected() const { return fd_ >= 0; }
    const std::string& greeting() const { return greeting_; }
    bool send(const std::string& bytes);
    // Reads exactly COUNT bytes within SECONDS; fewer when the server closed.
    std::string receive(size_t count, int seconds = 20);
    // Reads up to and with the next zero byte.
    std::string receiveText(int seconds = 20);
    // True when the server closes the connection within SECONDS (bytes it
    // still sends are skipped).
    bool closedByServer(int seconds);
    void shutdownSending();
    int fd() const { return fd_; }

    std::string command(const std::string& text);
    std::string upload(const std::string& name, const std::string& content);
    std::string openPlugin(const std::string& name);
    // Sends one "B" message and reads its reply.
    std::string pluginRoundTrip(const std::string& payload, char kind = 'B');

private:
    int fd_ = -1;
    std::string greeting_;
};

std::string le32(uint32_t value);

}  // namespace companiontest

#endif
