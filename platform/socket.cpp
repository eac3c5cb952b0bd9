#include "platform/socket.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pelund {
namespace {

std::string numericText(const addrinfo* a)
{
    char host[NI_MAXHOST] = {}, port[NI_MAXSERV] = {};
    if (getnameinfo(a->ai_addr, a->ai_addrlen, host, sizeof host, port, sizeof port,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "";
    std::string text;
    if (a->ai_family == AF_INET6)
        text.append("[").append(host).append("]");
    else
        text.append(host);
    return text.append(":").append(port);
}

// Waits for EVENTS on SOCKET: 1 ready, 0 time-out, -1 failure (errno set).
int waitFor(int socket, short events, int milliseconds)
{
    pollfd p{socket, events, 0};
    int ready;
    do
        ready = poll(&p, 1, milliseconds < 0 ? 0 : milliseconds);
    while (ready < 0 && errno == EINTR);
    return ready;
}

}  // namespace

SocketLimits& socketLimits()
{
    static SocketLimits limits;
    return limits;
}

int resolveAddresses(const char* host, const char* service, std::vector<SocketAddress>* found,
                     int* error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_ALL;
    addrinfo* list = nullptr;
    errno = 0;
    int rc = getaddrinfo(host, service, &hints, &list);
    *error = errno;
    if (rc != 0)
        return rc;
    for (const addrinfo* a = list; a; a = a->ai_next) {
        SocketAddress s;
        s.flags = a->ai_flags;
        s.family = a->ai_family;
        s.isIPv4 = a->ai_family == AF_INET;
        s.isIPv6 = a->ai_family == AF_INET6;
        s.type = a->ai_socktype;
        s.protocol = a->ai_protocol;
        s.length = unsigned(a->ai_addrlen);
        s.canonicalName = a->ai_canonname ? a->ai_canonname : "";
        s.text = numericText(a);
        const auto* bytes = reinterpret_cast<const unsigned char*>(a->ai_addr);
        s.address.assign(bytes, bytes + a->ai_addrlen);
        found->push_back(std::move(s));
    }
    freeaddrinfo(list);
    return 0;
}

int openSocket(const SocketAddress& address, int* out)
{
    *out = socket(address.family, address.type | SOCK_CLOEXEC, address.protocol);
    return *out < 0 ? errno : 0;
}

int connectSocket(int s, const SocketAddress& address)
{
    const auto* a = reinterpret_cast<const sockaddr*>(address.address.data());
    return connect(s, a, socklen_t(address.length)) == 0 ? 0 : errno;
}

Reception receiveTimed(int s, void* buffer, size_t size, int milliseconds)
{
    Reception r;
    int ready = waitFor(s, POLLIN, milliseconds);
    if (ready < 0) {
        r.status = Received::waitFailed;
        r.error = errno;
        return r;
    }
    if (ready == 0)
        return r;
    ssize_t got;
    do
        got = recv(s, buffer, size, 0);
    while (got < 0 && errno == EINTR);
    if (got < 0) {
        r.status = Received::receiveFailed;
        r.error = errno;
    } else {
        r.status = got == 0 ? Received::closed : Received::data;
        r.count = size_t(got);
    }
    return r;
}

int sendBounded(int s, const void* data, size_t length, int milliseconds)
{
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        // Without waiting first: a socket with room takes the data at once.
        ssize_t sent = send(s, p, length, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            p += sent;
            length -= size_t(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            return sent == 0 ? EIO : errno;
        int ready = waitFor(s, POLLOUT, milliseconds);
        if (ready < 0)
            return errno;
        if (ready == 0)
            return ETIMEDOUT;
    }
    return 0;
}

int shutdownSending(int s) { return shutdown(s, SHUT_WR) == 0 ? 0 : errno; }

int closeSocket(int s) { return close(s) == 0 ? 0 : errno; }

void socketBufferSizes(int s, int* sendSize, int* receiveSize)
{
    socklen_t n = sizeof(int);
    if (sendSize && getsockopt(s, SOL_SOCKET, SO_SNDBUF, sendSize, &n) != 0)
        *sendSize = 0;
    n = sizeof(int);
    if (receiveSize && getsockopt(s, SOL_SOCKET, SO_RCVBUF, receiveSize, &n) != 0)
        *receiveSize = 0;
}

}  // namespace pelund
