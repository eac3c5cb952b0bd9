// The connection to the companion server: resolving and connecting,
// reading and checking the greeting, sending requests, receiving responses
// with a time limit, closing gracefully, and fixed texts for socket errors.
#ifndef PELUND_SERVER_TRANSPORT_H
#define PELUND_SERVER_TRANSPORT_H

#include <cstddef>
#include <cstdio>

namespace pelund {

constexpr int invalidSocket = -1;
constexpr int receiveTimeLimit = 20;  // seconds, every wait for data

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

// Bytes received (> 0), 0 on time-out or when the peer closed, -1 on error.
long receiveWithTimeout(int socket, char* buffer, size_t size, int seconds);
long receiveResponse(int socket, char* buffer, size_t size, char* error, size_t errorCapacity);

// 0, or 0x8000. Never raises SIGPIPE.
int sendRequest(int socket, const void* data, size_t length, char* error, size_t errorCapacity);

// Shuts the sending side down, drains what the peer still sends (for at
// most the receive time limit) and closes. 0, or 3.
int closeConnection(int socket);

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
