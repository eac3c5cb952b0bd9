// The connection to the companion server: resolving and connecting,
// reading and checking the greeting, sending requests, receiving responses
// with a time limit, closing gracefully, and fixed texts for socket errors.
// The operating-system side is platform/socket.h; the time limits are its
// socketLimits().
#ifndef PELUND_SERVER_TRANSPORT_H
#define PELUND_SERVER_TRANSPORT_H

#include "platform/socket.h"

#include <cstddef>
#include <cstdio>

namespace pelund {

constexpr int invalidSocket = noSocket;

int connectToHost(const char* host, const char* service, bool ipv4, bool ipv6, char* error,
                  size_t errorCapacity, std::FILE* log);

// 0 connected with the greeting read; 6 no connection or no greeting; 7 the
// version was asked for and the greeting names none.
int openConnection(int* socket, int* version, const char* host, const char* service,
                   int* sendBufferSize, int* receiveBufferSize, char* error, size_t errorCapacity,
                   char* localAddress, std::FILE* log);

// Reads the version (major x 100 + minor) and, from 5.0 on, the client's
// address as the server saw it, from a greeting. False when the greeting
// carries neither identification text (the version is then 0).
bool parseGreeting(const char* greeting, int* version, char* localAddress, char* error,
                   size_t errorCapacity, std::FILE* log);

// One receive, waiting at most MILLISECONDS: bytes received (> 0), 0 on
// time-out or when the peer closed, -1 on error. Zero-fills BUFFER first.
long receiveWithTimeout(int socket, char* buffer, size_t size, int milliseconds);

// One whole message into BUFFER: read until it holds a zero byte, until
// SIZE bytes, until the peer closes, or until the peer has been quiet for
// the grace period after the first bytes; all within the receive limit.
// Bytes received (> 0), 0 when nothing arrived in time, -1 on error.
long receiveMessage(int socket, char* buffer, size_t size);
// receiveMessage, with nothing received turned into -1 and the "Response
// read failed" texts.
long receiveResponse(int socket, char* buffer, size_t size, char* error, size_t errorCapacity);
// Exactly SIZE bytes, in as many receives as they take, each waiting at
// most the receive limit; never more, so what follows stays in the
// socket. SIZE on success, otherwise the bytes that arrived (< SIZE), or
// -1 when none did (time-out, close or error; a time-out or close with the
// "Response read failed" log line).
long receiveExactly(int socket, char* buffer, size_t size);

// Sends all LENGTH bytes, each wait for the socket bounded by the send
// limit. 0, or PS_FAILURE with the "Sending request failed" texts.
int sendRequest(int socket, const void* data, size_t length, char* error, size_t errorCapacity);

// Shuts the sending side down, drains what the peer still sends until it
// closes (for at most the drain limit) and closes. 0, or 3.
int closeConnection(int socket);

// Closes SOCKET with closeConnection when it goes, unless it is invalid.
class ConnectionScope {
public:
    explicit ConnectionScope(int socket) : socket_(socket) {}
    ~ConnectionScope()
    {
        if (socket_ != invalidSocket)
            closeConnection(socket_);
    }
    ConnectionScope(const ConnectionScope&) = delete;
    ConnectionScope& operator=(const ConnectionScope&) = delete;

private:
    int socket_;
};

// The text of the calling thread's last socket error.
const char* socketErrorText();
int lastSocketError();
void setLastSocketError(int code);

// Maps an errno value or a getaddrinfo result onto the socket error numbers
// whose texts socketErrorText knows.
int socketErrorFromErrno(int error);
int socketErrorFromResolver(int result, int error);

}  // namespace pelund

#endif
