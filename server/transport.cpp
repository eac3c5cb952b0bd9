#include "server/transport.h"

#include "pelund/server.h"
#include "server/debug_log.h"
#include "server/wire_format.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace pelund {
namespace {

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return int(std::max<long long>(left.count(), 0));
}

void failWith(char* error, size_t capacity, std::FILE* log, const char* text)
{
    if (error && capacity > 0)
        std::snprintf(error, capacity, "%s", text);
    debugMessageTo(log, "%s", text);
}

void noteErrno(int error) { setLastSocketError(socketErrorFromErrno(error)); }

// Composes FORMAT ("... host '%s':%s. Socket error: (%d) - %s\n") with the
// last socket error and reports it.
void failWithSocketError(char* error, size_t capacity, std::FILE* log, const char* format,
                         const char* host, const char* service)
{
    char message[512];
    std::snprintf(message, sizeof message, format, host, service, lastSocketError(),
                  socketErrorText());
    failWith(error, capacity, log, message);
}

// Tries one resolved address: the connected socket, or invalidSocket with
// the failure reported.
int connectTo(const SocketAddress& a, const char* host, const char* service, bool ipv4, bool ipv6,
              char* error, size_t errorCapacity, std::FILE* log)
{
    if (isDebugLogEnabled())
        debugMessageTo(log,
                       "Found address info for %s:%s - flags: %d, family: %d, socktype: %d, "
                       "protocol: %d, address length: %d, name: '%s', IPA: %s\n",
                       host, service, a.flags, a.family, a.type, a.protocol, int(a.length),
                       a.canonicalName.c_str(), a.text.substr(0, 127).c_str());
    if (!((a.isIPv6 && ipv6) || (a.isIPv4 && ipv4))) {
        debugMessageTo(log, "Skipping - family %d not supported\n", a.family);
        return invalidSocket;
    }
    int s = invalidSocket;
    if (int e = openSocket(a, &s)) {
        noteErrno(e);
        failWithSocketError(error, errorCapacity, log,
                            "Socket create error to host '%s':%s. Socket error: (%d) - %s\n", host,
                            service);
        return invalidSocket;
    }
    if (int e = connectSocket(s, a)) {
        noteErrno(e);
        closeSocket(s);
        failWithSocketError(error, errorCapacity, log,
                            "Socket connect error to host '%s':%s. Socket error: (%d) - %s\n", host,
                            service);
        return invalidSocket;
    }
    return s;
}

// One receive's outcome, logged; the count as receiveWithTimeout returns it.
// A time-out is logged only when it ends the wait for a whole message, not
// when it merely ends a quiet grace period.
long logged(const Reception& r, bool logTimeout)
{
    switch (r.status) {
    case Received::waitFailed:
        noteErrno(r.error);
        debugMessage("Select : %s\n", socketErrorText());
        return -1;
    case Received::timedOut:
        if (logTimeout)
            debugMessage("Select timeout.\n");
        return 0;
    case Received::receiveFailed:
        debugMessage("nTotalBytes = %ld\n", -1L);
        noteErrno(r.error);
        debugMessage("Receive: %s\n", socketErrorText());
        return -1;
    case Received::closed:
        debugMessage("nTotalBytes = %ld\n", 0L);
        debugMessage("Connection closed by peer.\n");
        return 0;
    case Received::data:
        break;
    }
    debugMessage("nTotalBytes = %ld\n", long(r.count));
    return long(r.count);
}

bool holdsZeroByte(const char* from, size_t n) { return std::memchr(from, '\0', n) != nullptr; }

// Goes on with a message of which HAVE bytes are in BUFFER, as long as each
// further piece follows within the grace period: until a zero byte, SIZE
// bytes, the peer's close or DEADLINE. The new total, or -1 on error.
long continueMessage(int s, char* buffer, size_t size, size_t have, Clock::time_point deadline)
{
    size_t total = have;
    bool ended = holdsZeroByte(buffer, total);
    while (!ended && total < size) {
        int left = millisecondsUntil(deadline);
        if (left == 0)
            break;
        Reception r =
            receiveTimed(s, buffer + total, size - total, std::min(socketLimits().grace, left));
        if (r.status == Received::timedOut)
            break;  // quiet: the peer ended the message without a zero byte
        long more = logged(r, false);
        if (more < 0)
            return -1;
        if (more == 0)
            break;  // closed after the message
        ended = holdsZeroByte(buffer + total, size_t(more));
        total += size_t(more);
    }
    return long(total);
}

// receiveMessage with the whole-message limit ending at DEADLINE.
long receiveMessageBy(int s, char* buffer, size_t size, Clock::time_point deadline)
{
    long got = receiveWithTimeout(s, buffer, size, millisecondsUntil(deadline));
    return got <= 0 ? got : continueMessage(s, buffer, size, size_t(got), deadline);
}

// Reads the greeting into GREETING, at most its capacity less one byte and
// always terminated. The rest of a longer greeting is read and dropped
// (until its zero byte, the peer's quiet or the limit), so that it never
// passes for the answer to a request. False when nothing arrived.
bool readGreeting(int s, char (&greeting)[wire::greetingCapacity])
{
    auto deadline = Clock::now() + std::chrono::milliseconds(socketLimits().receive);
    long got = receiveMessageBy(s, greeting, sizeof greeting - 1, deadline);
    greeting[sizeof greeting - 1] = '\0';
    if (got == 0)
        return false;
    if (got < 0) {
        greeting[0] = '\0';  // a failed receive reads as an empty greeting
        return true;
    }
    if (size_t(got) == sizeof greeting - 1 && !holdsZeroByte(greeting, size_t(got))) {
        char rest[wire::greetingCapacity];
        long more;
        do
            more = continueMessage(s, rest, sizeof rest, 0, deadline);
        while (more == long(sizeof rest) && !holdsZeroByte(rest, sizeof rest));
    }
    return true;
}

// The greeting as one log line: tabs and line ends shown as ".".
std::string printable(const char* greeting)
{
    std::string text = greeting;
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, '.');
    return text;
}

}  // namespace

int connectToHost(const char* host, const char* service, bool ipv4, bool ipv6, char* error,
                  size_t errorCapacity, std::FILE* log)
{
    if (!host || !service)
        return invalidSocket;
    std::vector<SocketAddress> found;
    int systemError = 0;
    if (int r = resolveAddresses(host, service, &found, &systemError)) {
        setLastSocketError(socketErrorFromResolver(r, systemError));
        failWithSocketError(error, errorCapacity, log,
                            "Unknown host '%s':%s. Socket error: (%d) - %s\n", host, service);
        return invalidSocket;
    }
    for (const SocketAddress& a : found) {
        int s = connectTo(a, host, service, ipv4, ipv6, error, errorCapacity, log);
        if (s != invalidSocket)
            return s;
    }
    return invalidSocket;
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
            debugMessageTo(log, "Server v%ld.%ld does not support IP address sending.\n", major,
                           minor);
        } else if (dot != std::string::npos) {
            size_t semicolon = v.find(';', dot);
            if (semicolon != std::string::npos) {
                std::string address = v.substr(semicolon + 1, 255);
                std::memcpy(localAddress, address.c_str(), address.size() + 1);
                debugMessageTo(log, "Local IP address reported by server as '%s'.\n",
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
    debugMessageTo(log, "Opening socket on client\n");
    int s = connectToHost(host, service, true, true, error, errorCapacity, log);
    *socketOut = s;
    if (s == invalidSocket)
        return PS_SERVER_NO_CONNECTION;
    debugMessageTo(log, "Connected, socket %d\n", s);
    char greeting[wire::greetingCapacity];
    if (!readGreeting(s, greeting)) {
        failWith(error, errorCapacity, log, "Banner read failed.\n");
        closeSocket(s);
        *socketOut = invalidSocket;
        return PS_SERVER_NO_CONNECTION;
    }
    debugMessageTo(log, "Banner read: '%s'\n", printable(greeting).c_str());
    if (version && !parseGreeting(greeting, version, localAddress, error, errorCapacity, log)) {
        closeSocket(s);
        *socketOut = invalidSocket;
        return PS_SERVER_NO_VERSION;
    }
    socketBufferSizes(s, sendBufferSize, receiveBufferSize);
    return PS_SUCCESS;
}

long receiveWithTimeout(int s, char* buffer, size_t size, int milliseconds)
{
    std::memset(buffer, 0, size);
    return logged(receiveTimed(s, buffer, size, milliseconds), true);
}

long receiveMessage(int s, char* buffer, size_t size)
{
    return receiveMessageBy(s, buffer, size,
                            Clock::now() + std::chrono::milliseconds(socketLimits().receive));
}

long receiveResponse(int s, char* buffer, size_t size, char* error, size_t errorCapacity)
{
    long got = receiveMessage(s, buffer, size);
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

long receiveExactly(int s, char* buffer, size_t size)
{
    size_t have = 0;
    while (have < size) {
        long got = receiveWithTimeout(s, buffer + have, size - have, socketLimits().receive);
        if (got == 0)
            debugMessage("Response read failed\n");
        if (got <= 0)
            return have > 0 ? long(have) : -1;
        have += size_t(got);
    }
    return long(have);
}

int sendRequest(int s, const void* data, size_t length, char* error, size_t errorCapacity)
{
    int e = sendBounded(s, data, length, socketLimits().send);
    if (e == 0)
        return PS_SUCCESS;
    noteErrno(e);
    if (error && errorCapacity > 0)
        std::snprintf(error, errorCapacity, "Sending request failed: %s", socketErrorText());
    debugMessage("Sending request failed: %s\n", socketErrorText());
    return PS_FAILURE;
}

int closeConnection(int s)
{
    debugMessage("Shutting connection down...\n");
    int e = shutdownSending(s);
    // The peer closes its side once it sees ours shut; it gets the short
    // drain limit for that, not the receive limit: an exchange that already
    // waited its receive limit ends soon after.
    auto deadline = Clock::now() + std::chrono::milliseconds(socketLimits().drain);
    char sink[1024];
    while (e == 0) {
        Reception r = receiveTimed(s, sink, sizeof sink, millisecondsUntil(deadline));
        if (r.status == Received::closed)
            break;
        if (r.status == Received::timedOut)
            e = ETIMEDOUT;
        else if (r.status != Received::data)
            e = r.error;
    }
    int closed = closeSocket(s);
    if (e == 0)
        e = closed;
    if (e != 0) {
        noteErrno(e);
        debugMessage("Shut down failed: %s\n", socketErrorText());
        return PS_SERVER_SHUTDOWN_FAILED;
    }
    debugMessage("Connection is down.\n");
    debugMessage("All done!\n");
    return PS_SUCCESS;
}

}  // namespace pelund
