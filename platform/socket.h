// TCP stream sockets for the server client: resolving, connecting, waiting
// for data with a time limit, sending with a time limit, shutting down and
// closing. Every wait takes its limit in milliseconds as a parameter.
// Failures are reported as errno values; the caller maps them to its texts.
#ifndef PELUND_PLATFORM_SOCKET_H
#define PELUND_PLATFORM_SOCKET_H

#include <cstddef>
#include <string>
#include <vector>

namespace pelund {

constexpr int noSocket = -1;

// The time limits of the server client, in milliseconds. receive bounds
// every wait for data, send every wait for the socket to take data, grace
// the quiet after the first bytes of a message that ends without its zero
// byte, drain the wait for the peer's close after we have shut down.
struct SocketLimits {
    int receive = 20000;
    int send = 20000;
    int grace = 50;
    int drain = 1000;
};

// The limits every exchange uses. Tests shorten them; nothing else changes
// them.
SocketLimits& socketLimits();

// One address that resolving found, with what the verbose log shows of it.
struct SocketAddress {
    int flags = 0, family = 0, type = 0, protocol = 0;
    bool isIPv4 = false, isIPv6 = false;
    unsigned length = 0;
    std::string canonicalName;
    std::string text;  // numeric, with port: "127.0.0.1:80", "[::1]:80"
    std::vector<unsigned char> address;
};

// Resolves HOST and SERVICE to TCP stream addresses in the resolver's
// order. Returns 0, or the resolver's failure code; *ERROR gets errno for a
// system failure.
int resolveAddresses(const char* host, const char* service, std::vector<SocketAddress>* found,
                     int* error);

// A new socket for ADDRESS in *SOCKET: 0, or errno.
int openSocket(const SocketAddress& address, int* socket);
// Connects with the system's own time limit: 0, or errno.
int connectSocket(int socket, const SocketAddress& address);

enum class Received { data, timedOut, closed, waitFailed, receiveFailed };

struct Reception {
    Received status = Received::timedOut;
    size_t count = 0;  // bytes received (data only)
    int error = 0;     // errno (the two failures)
};

// Waits up to MILLISECONDS for data, then receives once, at most SIZE bytes.
Reception receiveTimed(int socket, void* buffer, size_t size, int milliseconds);

// Sends all LENGTH bytes; each wait for the socket to take more data lasts
// at most MILLISECONDS (then ETIMEDOUT). 0, or errno. Never raises SIGPIPE.
int sendBounded(int socket, const void* data, size_t length, int milliseconds);

// Ends the sending direction: 0, or errno.
int shutdownSending(int socket);
// 0, or errno.
int closeSocket(int socket);

// The socket's send- and receive-buffer sizes (0 where unknown).
void socketBufferSizes(int socket, int* sendSize, int* receiveSize);

}  // namespace pelund

#endif
