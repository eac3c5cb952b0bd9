#include "companion_fixture.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace companiontest {

namespace {

pid_t spawn(const std::vector<std::string>& args, int out, int err, int fileLimit = 0)
{
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (fileLimit > 0) {
            rlimit limit{rlim_t(fileLimit), rlim_t(fileLimit)};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>("companion-server")};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(PELUND_COMPANION_SERVER, argv.data());
        _exit(127);
    }
    return pid;
}

int waitFor(pid_t pid, int seconds)
{
    for (int k = 0; k < seconds * 100; ++k) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

}  // namespace

std::string le32(uint32_t v)
{
    std::string s(4, '\0');
    for (int k = 0; k < 4; ++k)
        s[size_t(k)] = char((v >> (8 * k)) & 0xFF);
    return s;
}

ServerProcess::ServerProcess(const std::vector<std::string>& args, int fileLimit)
{
    char name[] = "/tmp/companion-test-stderr-XXXXXX";
    int err = mkstemp(name);
    errorFile_ = name;
    int out[2];
    if (err < 0 || pipe(out) != 0)
        return;
    pid_ = spawn(args, out[1], err, fileLimit);
    close(out[1]);
    close(err);
    std::FILE* ready = fdopen(out[0], "r");
    if (!ready || std::fscanf(ready, "ready %d %d", &port_, &webPort_) != 2)
        port_ = 0;
    if (ready)
        std::fclose(ready);
}

ServerProcess::~ServerProcess()
{
    // Every server stops cleanly on SIGTERM (and, in the sanitizer build,
    // without a finding).
    if (pid_ > 0) {
        int status = terminate();
        if (status != 0)
            ADD_FAILURE() << "companion-server ended with status " << status << "; its standard error:\n"
                          << errors();
    }
    unlink(errorFile_.c_str());
}

int ServerProcess::terminate()
{
    if (pid_ <= 0)
        return -1;
    kill(pid_, SIGTERM);
    int status = waitFor(pid_, 20);
    pid_ = -1;
    return status;
}

long ServerProcess::residentKiB() const
{
    std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

long ServerProcess::cpuTicks() const
{
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Fields after the command's closing parenthesis; utime and stime are
    // the 12th and 13th of them.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int k = 1; k <= 13 && rest >> field; ++k)
        if (k >= 12)
            ticks += std::atol(field.c_str());
    return ticks;
}

std::string ServerProcess::errors() const
{
    std::ifstream in(errorFile_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int runServer(const std::vector<std::string>& args, std::string* output)
{
    char name[] = "/tmp/companion-test-out-XXXXXX";
    int fd = mkstemp(name);
    pid_t pid = spawn(args, fd, fd);
    close(fd);
    int status = waitFor(pid, 20);
    if (output) {
        std::ifstream in(name);
        std::stringstream s;
        s << in.rdbuf();
        *output = s.str();
    }
    unlink(name);
    return status;
}

Client::Client(int port, bool readGreeting)
{
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    if (readGreeting)
        greeting_ = receiveText();
}

Client::~Client()
{
    if (fd_ >= 0)
        close(fd_);
}

bool Client::send(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

std::string Client::receive(size_t count, int seconds)
{
    std::string got;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::vector<char> buffer(1 << 20);
    while (got.size() < count) {
        int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count());
        pollfd p{fd_, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, left) <= 0)
            break;
        ssize_t n = recv(fd_, buffer.data(), std::min(buffer.size(), count - got.size()), 0);
        if (n <= 0)
            break;
        got.append(buffer.data(), size_t(n));
    }
    return got;
}

std::string Client::receiveText(int seconds)
{
    std::string got;
    while (got.empty() || got.back() != '\0') {
        std::string c = receive(1, seconds);
        if (c.empty())
            break;
        got += c;
    }
    return got;
}

bool Client::closedByServer(int seconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char buffer[65536];
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0)
                return true;
        }
    }
    return false;
}

void Client::shutdownSending()
{
    shutdown(fd_, SHUT_WR);
}

std::string Client::command(const std::string& text)
{
    send("!" + text + std::string(1, '\0'));
    return receiveText();
}

std::string Client::upload(const std::string& name, const std::string& content)
{
    send("~F" + le32(uint32_t(content.size())) + name + std::string(1, '\0') + content);
    return receive(3);
}

std::string Client::openPlugin(const std::string& name)
{
    send("%" + name + std::string(1, '\0'));
    std::string answer = receive(2);
    return answer == "OK" ? answer + receive(5) : answer;  // every plug-in here has a 5-byte version
}

std::string Client::pluginRoundTrip(const std::string& payload, char kind)
{
    send(std::string(1, kind) + le32(uint32_t(payload.size())) + payload);
    std::string count = receive(4);
    if (count.size() != 4)
        return "(no reply)";
    uint32_t n = uint32_t((unsigned char)count[0]) | uint32_t((unsigned char)count[1]) << 8 |
                 uint32_t((unsigned char)count[2]) << 16 | uint32_t((unsigned char)count[3]) << 24;
    return receive(n);
}

}  // namespace companiontest
