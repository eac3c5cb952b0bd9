#include "server_fixture.h"

#include "server/wire_format.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace servertest {

std::string temporaryFolder()
{
    char pattern[] = "/tmp/pelund-server-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "/tmp";
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

CompanionServer::CompanionServer() : uploads_(temporaryFolder())
{
    int out[2];
    if (pipe(out) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        // The server goes when the test process goes, however it ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(out[1], 1);
        close(out[0]);
        execl(PELUND_COMPANION_SERVER, "companion-server", "--uploads", uploads_.c_str(),
              "--idle", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::FILE* ready = fdopen(out[0], "r");
    if (!ready || std::fscanf(ready, "ready %d %d", &port_, &webPort_) != 2)
        port_ = 0;
    if (ready)
        std::fclose(ready);
}

CompanionServer::~CompanionServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    if (uploads_ != "/tmp")
        std::filesystem::remove_all(uploads_, ignored);
}

ScriptedPeer::ScriptedPeer(std::function<void(int)> script)
{
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener_, 4);
    socklen_t n = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &n);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, script] {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 60000) <= 0)
            return;
        int s = accept(listener_, nullptr, nullptr);
        if (s < 0)
            return;
        script(s);
        close(s);
    });
}

ScriptedPeer::~ScriptedPeer()
{
    thread_.join();
    close(listener_);
}

void sendAll(int s, const char* text, size_t length)
{
    while (length > 0) {
        ssize_t n = send(s, text, length, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        text += n;
        length -= size_t(n);
    }
}

void greet(int s)
{
    std::string g = std::string(pelund::wire::greetingText) + "5.1";
    sendAll(s, g.c_str(), g.size() + 1);
}

std::string readUpTo(int s, size_t limit)
{
    std::string got;
    char c;
    while (got.size() < limit && recv(s, &c, 1, 0) == 1) {
        got.push_back(c);
        if (c == '\0')
            break;
    }
    return got;
}

}  // namespace servertest
