// companion-load: the load driver of scripts/load-companion. Each mode
// prints one line of figures; nothing here is a test. Loopback only.
//
//   companion-load pair-echo TOTAL CHUNK     echo through a socket pair to a second process
//   companion-load pair-oneway TOTAL [FILE]  one-way transfer through a socket pair (the
//                                            peer writes it to FILE when given)
//   companion-load echo PORT TOTAL CHUNK     echo plug-in, sending and reading at once
//   companion-load echo-whole PORT SIZE      one message sent whole before its reply is read
//   companion-load upload PORT SIZE NAME     one upload
//   companion-load storm PORT CLIENTS        each: command, 1 MiB upload, 64 KiB echo
//   companion-load latency PORT COMMANDS UPLOAD   command latency during uploads of UPLOAD bytes
//   companion-load never-read PORT SIZE      echo requests from a client that never reads
#include "frame/byte_order.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t piece = 1 << 20;

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

bool sendAll(int fd, const void* data, size_t length)
{
    auto* p = static_cast<const char*>(data);
    while (length > 0) {
        ssize_t n = send(fd, p, length, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        p += n;
        length -= size_t(n);
    }
    return true;
}

bool receiveAll(int fd, void* data, size_t length)
{
    auto* p = static_cast<char*>(data);
    while (length > 0) {
        ssize_t n = recv(fd, p, length, 0);
        if (n <= 0)
            return false;
        p += n;
        length -= size_t(n);
    }
    return true;
}

// Every payload is this 1 MiB pattern repeated (from each message's start),
// so that senders need not compute and receivers compare with memcmp.
const std::vector<char>& pattern()
{
    static const std::vector<char> bytes = [] {
        std::vector<char> b(piece);
        for (size_t k = 0; k < piece; ++k)
            b[k] = char((k * 2654435761u) >> 13);
        return b;
    }();
    return bytes;
}

int connectTo(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    char c;
    do {
        if (recv(fd, &c, 1, 0) != 1) {
            close(fd);
            return -1;
        }
    } while (c != '\0');
    return fd;
}

std::string readText(int fd)
{
    std::string s;
    char c;
    while (recv(fd, &c, 1, 0) == 1 && c != '\0')
        s += c;
    return s;
}

bool openPlugin(int fd, const char* name)
{
    char reply[7];
    return sendAll(fd, (std::string("%") + name).c_str(), std::strlen(name) + 2) && receiveAll(fd, reply, 7) &&
           std::memcmp(reply, "OK", 2) == 0;
}

bool messageHeader(int fd, char kind, uint32_t length)
{
    unsigned char h[5] = {static_cast<unsigned char>(kind)};
    pelund::storeLittle32(h + 1, length);
    return sendAll(fd, h, 5);
}

// Sends TOTAL bytes in messages of CHUNK on one thread while another reads
// the replies and checks them; false on any loss or difference.
bool echoStream(int fd, uint64_t total, uint64_t chunk)
{
    std::atomic<bool> ok{true};
    std::thread reader([&] {
        std::vector<char> got(piece);
        for (uint64_t done = 0; done < total && ok;) {
            unsigned char count[4];
            uint64_t n = std::min(chunk, total - done);
            if (!receiveAll(fd, count, 4) || pelund::loadLittle32(count) != n) {
                ok = false;
                break;
            }
            for (uint64_t at = 0; at < n && ok;) {
                size_t m = size_t(std::min<uint64_t>(piece, n - at));
                if (!receiveAll(fd, got.data(), m) || std::memcmp(got.data(), pattern().data(), m) != 0)
                    ok = false;
                at += m;
            }
            done += n;
        }
    });
    for (uint64_t done = 0; done < total && ok;) {
        uint64_t n = std::min(chunk, total - done);
        if (!messageHeader(fd, 'B', uint32_t(n)))
            ok = false;
        for (uint64_t at = 0; at < n && ok;) {
            size_t m = size_t(std::min<uint64_t>(piece, n - at));
            ok = sendAll(fd, pattern().data(), m);
            at += m;
        }
        done += n;
    }
    reader.join();
    return ok;
}

// The peer process of the socket-pair modes: echoes (with the same framing)
// or drains.
void pairPeer(int fd, bool echo, const char* file)
{
    std::vector<char> buffer(piece);
    int out = file ? open(file, O_WRONLY | O_CREAT | O_TRUNC, 0600) : -1;
    for (;;) {
        if (!echo) {
            ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                if (out >= 0)
                    close(out);
                return;
            }
            if (out >= 0 && write(out, buffer.data(), size_t(n)) != n)
                return;
            continue;
        }
        unsigned char h[5];
        if (!receiveAll(fd, h, 5))
            return;
        uint32_t n = pelund::loadLittle32(h + 1);
        unsigned char count[4];
        pelund::storeLittle32(count, n);
        sendAll(fd, count, 4);
        for (uint32_t at = 0; at < n;) {
            ssize_t m = recv(fd, buffer.data(), std::min<size_t>(buffer.size(), n - at), 0);
            if (m <= 0)
                return;
            sendAll(fd, buffer.data(), size_t(m));
            at += uint32_t(m);
        }
    }
}

int pairMode(bool echo, uint64_t total, uint64_t chunk, const char* file = nullptr)
{
    int fds[2];
    socketpair(AF_UNIX, SOCK_STREAM, 0, fds);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        pairPeer(fds[1], echo, file);
        _exit(0);
    }
    close(fds[1]);
    auto start = Clock::now();
    bool ok = true;
    if (echo) {
        ok = echoStream(fds[0], total, chunk);
    } else {
        for (uint64_t done = 0; done < total && ok; done += piece)
            ok = sendAll(fds[0], pattern().data(), size_t(std::min<uint64_t>(piece, total - done)));
        shutdown(fds[0], SHUT_WR);
        char c;
        (void)recv(fds[0], &c, 1, 0);  // the peer has read everything when it closes
    }
    double t = seconds(start);
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    std::printf("%s %s MB/s %.0f seconds %.2f\n", echo ? "pair-echo" : "pair-oneway", ok ? "ok" : "FAILED",
                double(total) / t / 1e6, t);
    return ok ? 0 : 1;
}

bool upload(int fd, const std::string& name, uint64_t size)
{
    std::string header = "~F";
    unsigned char n[4];
    pelund::storeLittle32(n, uint32_t(size));
    header.append(reinterpret_cast<char*>(n), 4);
    header += name;
    header.push_back('\0');
    if (!sendAll(fd, header.data(), header.size()))
        return false;
    for (uint64_t done = 0; done < size; done += piece)
        if (!sendAll(fd, pattern().data(), size_t(std::min<uint64_t>(piece, size - done))))
            return false;
    char reply[3];
    return receiveAll(fd, reply, 3) && std::memcmp(reply, "OK", 3) == 0;
}

bool command(int port, const char* text)
{
    int fd = connectTo(port);
    if (fd < 0)
        return false;
    bool ok = sendAll(fd, text, std::strlen(text) + 1) && !readText(fd).empty();
    close(fd);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: see the head of load_driver.cpp\n");
        return 2;
    }
    std::string mode = argv[1];
    auto number = [&](int k) { return std::strtoull(argv[k], nullptr, 0); };
    if (mode == "pair-echo")
        return pairMode(true, number(2), number(3));
    if (mode == "pair-oneway")
        return pairMode(false, number(2), piece, argc > 3 ? argv[3] : nullptr);
    int port = int(number(2));
    if (mode == "echo" || mode == "echo-whole") {
        int fd = connectTo(port);
        if (fd < 0 || !openPlugin(fd, "echo"))
            return 1;
        auto start = Clock::now();
        bool ok;
        uint64_t total = number(3);
        if (mode == "echo") {
            ok = echoStream(fd, total, number(4));
        } else {
            // Sends the whole message first: the reply must wait at the server.
            ok = messageHeader(fd, 'B', uint32_t(total));
            for (uint64_t at = 0; at < total && ok; at += piece)
                ok = sendAll(fd, pattern().data(), size_t(std::min<uint64_t>(piece, total - at)));
            std::printf("sent %.2f s\n", seconds(start));
            std::vector<char> got(piece);
            unsigned char count[4];
            ok = ok && receiveAll(fd, count, 4) && pelund::loadLittle32(count) == total;
            for (uint64_t at = 0; at < total && ok; at += got.size()) {
                got.resize(size_t(std::min<uint64_t>(piece, total - at)));
                ok = receiveAll(fd, got.data(), got.size()) &&
                     std::memcmp(got.data(), pattern().data(), got.size()) == 0;
            }
        }
        double t = seconds(start);
        std::printf("%s %s MB/s %.0f seconds %.2f\n", mode.c_str(), ok ? "intact" : "FAILED",
                    double(total) / t / 1e6, t);
        close(fd);
        return ok ? 0 : 1;
    }
    if (mode == "upload") {
        int fd = connectTo(port);
        auto start = Clock::now();
        bool ok = fd >= 0 && upload(fd, argv[4], number(3));
        double t = seconds(start);
        std::printf("upload %s MB/s %.0f seconds %.2f\n", ok ? "ok" : "FAILED", double(number(3)) / t / 1e6, t);
        close(fd);
        return ok ? 0 : 1;
    }
    if (mode == "storm") {
        int clients = int(number(3));
        std::atomic<int> failures{0};
        std::vector<std::thread> threads;
        auto start = Clock::now();
        for (int k = 0; k < clients; ++k)
            threads.emplace_back([&, k] {
                bool ok = command(port, "!version");
                int fd = connectTo(port);
                ok = ok && fd >= 0 && upload(fd, "storm-" + std::to_string(k), piece);
                if (fd >= 0)
                    close(fd);
                fd = connectTo(port);
                ok = ok && fd >= 0 && openPlugin(fd, "echo") && echoStream(fd, 65536, 65536);
                if (fd >= 0)
                    close(fd);
                if (!ok)
                    ++failures;
            });
        for (auto& t : threads)
            t.join();
        std::printf("storm clients %d failures %d seconds %.2f\n", clients, failures.load(), seconds(start));
        return failures ? 1 : 0;
    }
    if (mode == "latency") {
        // Only commands that start and end while an upload is running count;
        // the uploads repeat until COMMANDS of them have, so a fast upload
        // cannot end before the commands begin.
        int commands = int(number(3));
        std::atomic<bool> uploading{false}, enough{false};
        int uploads = 0;
        std::thread uploader([&] {
            for (; !enough && uploads < 100; ++uploads) {
                int fd = connectTo(port);
                uploading = fd >= 0;
                if (fd >= 0)
                    upload(fd, "latency-upload", number(4));
                uploading = false;
                close(fd);
            }
        });
        std::vector<double> ms;
        auto begun = Clock::now();
        while (int(ms.size()) < commands && seconds(begun) < 120) {
            if (!uploading) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            auto start = Clock::now();
            bool ok = command(port, "!time");
            double took = seconds(start) * 1000;
            if (!ok)
                ms.push_back(1e9);
            else if (uploading)
                ms.push_back(took);
        }
        enough = true;
        uploader.join();
        if (ms.empty())
            return 1;
        std::sort(ms.begin(), ms.end());
        std::printf("latency commands %zu during %d uploads p50 %.2f ms p99 %.2f ms max %.2f ms\n", ms.size(),
                    uploads, ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
        return int(ms.size()) < commands ? 1 : 0;
    }
    if (mode == "never-read") {
        int fd = connectTo(port);
        if (fd < 0 || !openPlugin(fd, "echo"))
            return 1;
        timeval limit{3, 0};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        uint64_t total = number(3), sent = 0;
        while (sent < total && messageHeader(fd, 'B', uint32_t(piece)) && sendAll(fd, pattern().data(), piece))
            sent += piece;
        std::printf("never-read sent %llu MiB of %llu\n",
                    static_cast<unsigned long long>(sent >> 20), static_cast<unsigned long long>(total >> 20));
        std::fflush(stdout);
        // Stay connected (and unread) while the caller measures the server.
        std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argc > 4 ? argv[4] : "3")));
        close(fd);
        return 0;
    }
    std::fprintf(stderr, "companion-load: unknown mode %s\n", mode.c_str());
    return 2;
}
