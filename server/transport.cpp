#include "server/transport.h"

#include "pelund/server.h"
#include "pelund/strings.h"
#include "server/debug_log.h"
#include "server/wire_format.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace pelund {
namespace {

void failWith(char* error, size_t capacity, std::FILE* log, const char* text)
{
    if (error && capacity > 0)
        psString_copyNA(error, text, unsigned(capacity - 1));
    vnws_debugMessageByFile(log, "%s", text);
}

void noteErrno() { setLastSocketError(socketErrorFromErrno(errno)); }

std::string addressText(const addrinfo* a)
{
    char host[NI_MAXHOST] = {}, port[NI_MAXSERV] = {};
    if (getnameinfo(a->ai_addr, a->ai_addrlen, host, sizeof host, port, sizeof port,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "";
    std::string text;
    if (a->ai_family == AF_INET6) {
        text = "[";
        text += host;
        text += "]";
    } else {
        text = host;
    }
    text += ":";
    text += port;
    return text.substr(0, 127);
}

}  // namespace

int connectToHost(const char* host, const char* service, bool ipv4, bool ipv6, char* error,
                  size_t errorCapacity, std::FILE* log)
{
    if (!host || !service)
        return invalidSocket;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_ALL;
    addrinfo* found = nullptr;
    int r = getaddrinfo(host, service, &hints, &found);
    char message[512];
    if (r != 0) {
        setLastSocketError(socketErrorFromResolver(r, errno));
        std::snprintf(message, sizeof message, "Unknown host '%s':%s. Socket error: (%d) - %s\n",
                      host, service, lastSocketError(), socketErrorText());
        failWith(error, errorCapacity, log, message);
        return invalidSocket;
    }
    int connected = invalidSocket;
    for (addrinfo* a = found; a; a = a->ai_next) {
        if (isDebugLogEnabled())
            vnws_debugMessageByFile(log,
                                    "Found address info for %s:%s - flags: %d, family: %d, "
                                    "socktype: %d, protocol: %d, address length: %d, name: "
                                    "'%s', IPA: %s\n",
                                    host, service, a->ai_flags, a->ai_family, a->ai_socktype,
                                    a->ai_protocol, int(a->ai_addrlen),
                                    a->ai_canonname ? a->ai_canonname : "", addressText(a).c_str());
        if (!((a->ai_family == AF_INET6 && ipv6) || (a->ai_family == AF_INET && ipv4))) {
            vnws_debugMessageByFile(log, "Skipping - family %d not supported\n", a->ai_family);
            continue;
        }
        int s = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (s < 0) {
            noteErrno();
            std::snprintf(message, sizeof message,
                          "Socket create error to host '%s':%s. Socket error: (%d) - %s\n", host,
                          service, lastSocketError(), socketErrorText());
            failWith(error, errorCapacity, log, message);
            continue;
        }
        if (connect(s, a->ai_addr, a->ai_addrlen) == 0) {
            connected = s;
            break;
        }
        noteErrno();
        close(s);
        std::snprintf(message, sizeof message,
                      "Socket connect error to host '%s':%s. Socket error: (%d) - %s\n", host,
                      service, lastSocketError(), socketErrorText());
        failWith(error, errorCapacity, log, message);
    }
    freeaddrinfo(found);
    return connected;
}

bool parseGreeting(const char* greeting, int* version, char* localAddress, char* error,
                   size_t errorCapacity, std::FILE* log)
{
    const char* text = std::strstr(greeting, wire::greetingText);
    size_t skip = std::strlen(wire::greetingText);
    if (!text) {
        text = std::strstr(greeting, wire::greetingTextOld);
        skip = std::strlen(wire::greetingTextOld);
    }
    if (!text) {
        char message[1100];
        std::snprintf(message, sizeof message, "ERROR: Undetermined server version number: '%s'.\n",
                      greeting);
        failWith(error, errorCapacity, log, message);
        *version = 0;
        return false;
    }
    std::string v(text + skip);
    v = v.substr(0, v.find(' '));
    size_t dot = v.find('.');
    long major = std::atol(v.substr(0, dot).c_str());
    long minor = dot == std::string::npos ? 0 : std::atol(v.c_str() + dot + 1);
    *version = int(std::clamp<long>(major, 0, 1000000) * 100 + std::clamp<long>(minor, 0, 99999));
    if (localAddress) {
        localAddress[0] = '\0';
        if (*version < 500) {
            vnws_debugMessageByFile(log, "Server v%ld.%ld does not support IP address sending.\n",
                                    major, minor);
        } else if (dot != std::string::npos) {
            size_t semicolon = v.find(';', dot);
            if (semicolon != std::string::npos) {
                std::string address = v.substr(semicolon + 1, 255);
                std::memcpy(localAddress, address.c_str(), address.size() + 1);
                vnws_debugMessageByFile(log, "Local IP address reported by server as '%s'.\n",
                                        localAddress);
            }
        }
    }
    return true;
}

int openConnection(int* socketOut, int* version, const char* host, const char* service,
                   int* sendBufferSize, int* receiveBufferSize, char* error, size_t errorCapacity,
                   char* localAddress, std::FILE* log)
{
    vnws_debugMessageByFile(log, "Opening socket on client\n");
    int s = connectToHost(host, service, true, true, error, errorCapacity, log);
    *socketOut = s;
    if (s == invalidSocket)
        return 6;
    vnws_debugMessageByFile(log, "Connected, socket %d\n", s);
    // One byte is kept for the terminator: a greeting is at most 1023 bytes.
    char greeting[1024];
    if (receiveWithTimeout(s, greeting, sizeof greeting - 1, receiveTimeLimit) == 0) {
        failWith(error, errorCapacity, log, "Banner read failed.\n");
        close(s);
        *socketOut = invalidSocket;
        return 6;
    }
    greeting[sizeof greeting - 1] = '\0';
    char printable[1024] = "";
    psString_replaceCharsA(printable, greeting, "\t\r\n", ".", 0);
    vnws_debugMessageByFile(log, "Banner read: '%s'\n", printable);
    if (version && !parseGreeting(greeting, version, localAddress, error, errorCapacity, log)) {
        close(s);
        *socketOut = invalidSocket;
        return 7;
    }
    socklen_t n = sizeof(int);
    if (sendBufferSize)
        getsockopt(s, SOL_SOCKET, SO_SNDBUF, sendBufferSize, &n);
    n = sizeof(int);
    if (receiveBufferSize)
        getsockopt(s, SOL_SOCKET, SO_RCVBUF, receiveBufferSize, &n);
    return 0;
}

long receiveWithTimeout(int s, char* buffer, size_t size, int seconds)
{
    std::memset(buffer, 0, size);
    pollfd p{s, POLLIN, 0};
    int ready;
    do
        ready = poll(&p, 1, seconds * 1000);
    while (ready < 0 && errno == EINTR);
    if (ready < 0) {
        noteErrno();
        debugMessage("Select : %s\n", socketErrorText());
        return -1;
    }
    if (ready == 0) {
        debugMessage("Select timeout.\n");
        return 0;
    }
    ssize_t got;
    do
        got = recv(s, buffer, size, 0);
    while (got < 0 && errno == EINTR);
    debugMessage("nTotalBytes = %ld\n", long(got));
    if (got < 0) {
        noteErrno();
        debugMessage("Receive: %s\n", socketErrorText());
        return -1;
    }
    if (got == 0) {
        debugMessage("Connection closed by peer.\n");
        return 0;
    }
    return long(got);
}

long receiveResponse(int s, char* buffer, size_t size, char* error, size_t errorCapacity)
{
    long got = receiveWithTimeout(s, buffer, size, receiveTimeLimit);
    if (got != 0) {
        if (got > 0 && size_t(got) == size)
            debugMessage("Buffer was totally full when received.\n");
        return got;
    }
    if (error && errorCapacity > 0)
        std::snprintf(error, errorCapacity, "Response read failed: %s", socketErrorText());
    debugMessage("Response read failed\n");
    return -1;
}

int sendRequest(int s, const void* data, size_t length, char* error, size_t errorCapacity)
{
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        ssize_t sent = send(s, p, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0) {
            noteErrno();
            if (error && errorCapacity > 0)
                std::snprintf(error, errorCapacity, "Sending request failed: %s",
                              socketErrorText());
            debugMessage("Sending request failed: %s\n", socketErrorText());
            return 0x8000;
        }
        p += sent;
        length -= size_t(sent);
    }
    return 0;
}

int closeConnection(int s)
{
    debugMessage("Shutting connection down...\n");
    bool ok = shutdown(s, SHUT_WR) == 0;
    if (!ok)
        noteErrno();
    // The peer closes its side once it sees ours shut; it gets the receive
    // time limit for that, not forever.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(receiveTimeLimit);
    char sink[1024];
    while (ok) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd p{s, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, int(left)) <= 0) {
            setLastSocketError(10060);
            ok = false;
            break;
        }
        ssize_t got = recv(s, sink, sizeof sink, 0);
        if (got == 0)
            break;
        if (got < 0 && errno != EINTR) {
            noteErrno();
            ok = false;
        }
    }
    if (close(s) != 0 && ok) {
        noteErrno();
        ok = false;
    }
    if (!ok) {
        debugMessage("Shut down failed: %s\n", socketErrorText());
        return 3;
    }
    debugMessage("Connection is down.\n");
    debugMessage("All done!\n");
    return 0;
}

}  // namespace pelund
