// Conversations with the server's plug-ins over one connection that stays
// open across calls.
#include "pelund/server.h"
#include "server/debug_log.h"
#include "server/transport.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace pelund {
namespace {

void header(char (&h)[5], char kind, uint32_t length)
{
    h[0] = kind;
    for (int k = 0; k < 4; ++k)
        h[1 + k] = char((length >> (8 * k)) & 0xFF);
}

int sendPayload(socketData* c, const char* data, size_t length)
{
    size_t chunk = c->maxSendBufSize ? c->maxSendBufSize : 65536;
    for (size_t at = 0; at < length; at += chunk)
        if (sendRequest(c->socket, data + at, std::min(chunk, length - at), nullptr, 0) != 0)
            return 0x8000;
    return 0;
}

// Receives one data reply and hands its payload to SINK piece by piece.
// Bytes beyond the announced count are dropped. SINK(nullptr, count) is
// called once the count is known; it returns false to refuse the reply.
template <class Sink>
int receiveReply(socketData* c, const char* function, const char* shortText, Sink sink)
{
    std::vector<char> temp(c->maxReceiveBufSize ? c->maxReceiveBufSize : 65536);
    debugMessage("socketData->maxReceiveBufSize  = %d\n", int(temp.size()));
    long got = receiveResponse(c->socket, temp.data(), temp.size(), nullptr, 0);
    debugMessage("nBytesRead = %d\n", int(got));
    if (got < 4) {
        debugMessage(shortText, int(got));
        return 0x8000;
    }
    uint32_t count = uint32_t((unsigned char)temp[0]) | uint32_t((unsigned char)temp[1]) << 8 |
                     uint32_t((unsigned char)temp[2]) << 16 | uint32_t((unsigned char)temp[3]) << 24;
    if (!sink(nullptr, count))
        return 0x8000;
    size_t have = std::min<size_t>(size_t(got) - 4, count);
    sink(temp.data() + 4, have);
    while (have < count) {
        got = receiveResponse(c->socket, temp.data(), temp.size(), nullptr, 0);
        debugMessage("nBytesRead = %d\n", int(got));
        if (got <= 0) {
            // The reply cannot be completed: the exchange fails.
            debugMessage("%s() failed after %zu of %u bytes\n", function, have, count);
            return 0x8000;
        }
        size_t take = std::min<size_t>(size_t(got), count - have);
        sink(temp.data(), take);
        have += take;
    }
    return 0;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnServer_openConnectionToPlugin(socketData** connection, const char* host,
                                               const char* port, const char* name,
                                               char* version, const char* log_path)
{
    if (!connection || !name || std::strlen(name) > 270)
        return 0x8000;
    openDebugLog(log_path);
    debugMessage("###### vnServer_openConnectionToPlugin()\n");
    auto* c = static_cast<socketData*>(std::calloc(1, sizeof(socketData)));
    if (!c) {
        closeDebugLog();
        return 0x8000;
    }
    int sendSize = 0, receiveSize = 0;
    int rc = openConnection(&c->socket, nullptr, host, port, &sendSize, &receiveSize, nullptr, 0,
                            nullptr, vnws_getDebugLogFileP());
    if (rc != 0) {
        debugMessage("Could not send open socket to server %s port %s\n", host ? host : "",
                     port ? port : "");
        std::free(c);
        closeDebugLog();
        return rc;
    }
    c->maxReceiveBufSize = size_t(receiveSize > 0 ? receiveSize : 65536);
    c->maxSendBufSize = size_t(sendSize > 0 ? sendSize : 65536);
    *connection = c;
    debugMessage("Socket open.\n");
    char init[272];
    init[0] = '%';
    std::memcpy(init + 1, name, std::strlen(name) + 1);
    int result = 0;
    if (sendRequest(c->socket, init, std::strlen(name) + 2, nullptr, 0) != 0) {
        debugMessage("Could not send plugin init sequence '%s' to socket\n", name);
        result = 0x8000;
    } else {
        char reply[8] = {};
        long got = receiveWithTimeout(c->socket, reply, 7, receiveTimeLimit);
        bool accepted = got >= 2 && reply[0] == 'O' && reply[1] == 'K';
        if (!accepted) {
            reply[2] = '\0';
            debugMessage("ERROR: Server did not like connection. Error (%s)\n", reply);
            result = 0x8000;
        }
        if (version) {
            size_t n = accepted && got > 2 ? std::min<size_t>(size_t(got) - 2, 5) : 0;
            std::memcpy(version, reply + 2, n);
            version[n] = '\0';
        }
    }
    debugMessage("vnServer_openConnectionToPlugin() Done\n");
    closeDebugLog();
    return result;
}

PELUND_API void vnServer_closeConnectionToPlugin(socketData* connection)
{
    if (!connection)
        return;
    reopenDebugLog();
    debugMessage("##### vnServer_closeConnectionToPlugin()\n");
    if (sendRequest(connection->socket, "X", 1, nullptr, 0) != 0)
        debugMessage("Could not send plugin close.\n");
    closeConnection(connection->socket);
    std::free(connection);
    closeDebugLog();
}

PELUND_API int vnServer_sendBufferToPlugin(socketData* connection, const void* data, size_t length)
{
    if (!connection || (!data && length) || length > UINT32_MAX)
        return 0x8000;
    reopenDebugLog();
    debugMessage("##### vnServer_sendBufferToPlugin()\n");
    char h[5];
    header(h, 'B', uint32_t(length));
    int result = 0;
    if (sendRequest(connection->socket, h, 5, nullptr, 0) != 0) {
        debugMessage("Failed to send start of segment.\n");
        result = 0x8000;
    } else {
        result = sendPayload(connection, static_cast<const char*>(data), length);
    }
    if (result == 0)
        debugMessage("vnServer_sendBufferToPlugin() Done\n");
    closeDebugLog();
    return result;
}

PELUND_API int vnServer_sendFileToPlugin(socketData* connection, const char* path)
{
    if (!connection)
        return 0x8000;
    reopenDebugLog();
    debugMessage("##### vnServer_sendFileToPlugin()\n");
    struct stat st;
    if (!path || stat(path, &st) != 0 || st.st_size > INT_MAX) {
        debugMessage("Failed to get stats on file '%s'.\n", path ? path : "");
        closeDebugLog();
        return 0x8000;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        debugMessage("Error opening file '%s'.\n", path);
        closeDebugLog();
        return 0x8000;
    }
    int result = 0;
    try {
        std::vector<char> chunk(connection->maxSendBufSize);
        char h[5];
        header(h, 'F', uint32_t(st.st_size));
        if (sendRequest(connection->socket, h, 5, nullptr, 0) != 0) {
            debugMessage("Failed to send start of segment.\n");
            result = 0x8000;
        }
        for (size_t left = size_t(st.st_size); result == 0 && left > 0;) {
            size_t want = std::min(left, chunk.size());
            size_t got = std::fread(chunk.data(), 1, want, file);
            if (got < want) {
                debugMessage("Error in nBytes read from file.\n");
                std::memset(chunk.data() + got, 0, want - got);
            }
            if (sendRequest(connection->socket, chunk.data(), want, nullptr, 0) != 0)
                result = 0x8000;
            left -= want;
        }
    } catch (...) {
        result = 0x8000;
    }
    std::fclose(file);
    if (result == 0)
        debugMessage("vnServer_sendFileToPlugin() Done\n");
    closeDebugLog();
    return result;
}

PELUND_API int vnServer_getDataFromPlugin(socketData* connection, void** buffer, size_t* size)
{
    if (!connection || !buffer || !size)
        return 0x8000;
    reopenDebugLog();
    debugMessage("##### vnServer_getDataFromPlugin()\n");
    char* out = nullptr;
    size_t filled = 0;
    int result = 0x8000;
    try {
        result = receiveReply(connection, "vnServer_getDataFromPlugin",
                              "ERROR: Did not receive enough data for return buffer size.\n",
                              [&](const char* piece, size_t n) {
                                  if (!piece) {
                                      debugMessage("*returnBufferSize = %d\n", int(n));
                                      out = static_cast<char*>(std::malloc(n ? n : 1));
                                      *size = n;
                                      return out != nullptr;
                                  }
                                  std::memcpy(out + filled, piece, n);
                                  filled += n;
                                  return true;
                              });
    } catch (...) {
        result = 0x8000;
    }
    if (result == 0) {
        *buffer = out;
        debugMessage("vnServer_getDataFromPlugin() Done\n");
    } else {
        std::free(out);
        *buffer = nullptr;
        *size = 0;
    }
    closeDebugLog();
    return result;
}

PELUND_API int vnServer_getFileFromPlugin(socketData* connection, const char* path)
{
    if (!connection)
        return 0x8000;
    reopenDebugLog();
    debugMessage("##### vnServer_getFileFromPlugin()\n");
    std::FILE* file = nullptr;
    int result = 0x8000;
    try {
        result = receiveReply(connection, "vnServer_getFileFromPlugin",
                              "ERROR: Did not receive enough data for return file size. %d\n",
                              [&](const char* piece, size_t n) {
                                  if (!piece) {
                                      debugMessage("returnFileSize = %d\n", int(n));
                                      file = path ? std::fopen(path, "wb") : nullptr;
                                      if (!file)
                                          debugMessage("Error opening return file '%s'.\n",
                                                       path ? path : "");
                                      return true;  // drained all the same
                                  }
                                  if (file && n)
                                      std::fwrite(piece, 1, n, file);
                                  return true;
                              });
    } catch (...) {
        result = 0x8000;
    }
    if (file)
        std::fclose(file);
    if (result == 0)
        debugMessage("vnServer_getFileFromPlugin() Done\n");
    closeDebugLog();
    return result;
}

}  // extern "C"
