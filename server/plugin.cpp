// Conversations with the server's plug-ins over one connection that stays
// open across calls.
#include "pelund/server.h"
#include "frame/byte_order.h"
#include "frame/guard.h"
#include "platform/transfer_file.h"
#include "server/debug_log.h"
#include "server/transport.h"
#include "server/wire_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace pelund {
namespace {

constexpr size_t fallbackBufferSize = 65536;
constexpr size_t longestPluginName = 270;

int sendHeader(socketData* c, char kind, uint32_t length)
{
    unsigned char h[wire::pluginHeaderSize];
    h[0] = static_cast<unsigned char>(kind);
    storeLittle32(h + 1, length);
    if (sendRequest(c->socket, h, sizeof h, nullptr, 0) == PS_SUCCESS)
        return PS_SUCCESS;
    debugMessage("Failed to send start of segment.\n");
    return PS_FAILURE;
}

int sendPayload(socketData* c, const char* data, size_t length)
{
    size_t chunk = c->maxSendBufSize ? c->maxSendBufSize : fallbackBufferSize;
    for (size_t at = 0; at < length; at += chunk)
        if (sendRequest(c->socket, data + at, std::min(chunk, length - at), nullptr, 0) != 0)
            return PS_FAILURE;
    return PS_SUCCESS;
}

// The init request and the plug-in's answer on a connection just opened.
int openPlugin(socketData* c, const char* name, char* version)
{
    char init[longestPluginName + 2];
    init[0] = wire::pluginOpen;
    std::memcpy(init + 1, name, std::strlen(name) + 1);
    if (sendRequest(c->socket, init, std::strlen(name) + 2, nullptr, 0) != PS_SUCCESS) {
        debugMessage("Could not send plugin init sequence '%s' to socket\n", name);
        return PS_FAILURE;
    }
    char reply[8] = {};
    long got = receiveMessage(c->socket, reply, 7);
    bool accepted = got >= 2 && reply[0] == 'O' && reply[1] == 'K';
    if (!accepted) {
        reply[2] = '\0';
        debugMessage("ERROR: Server did not like connection. Error (%s)\n", reply);
    }
    if (version) {
        size_t n = accepted && got > 2 ? std::min<size_t>(size_t(got) - 2, 5) : 0;
        std::memcpy(version, reply + 2, n);
        version[n] = '\0';
    }
    return accepted ? PS_SUCCESS : PS_FAILURE;
}

// Receives one data reply: its 4-byte count, then exactly count bytes,
// handed to SINK piece by piece. Nothing beyond the count is read, so a
// reply that follows at once stays whole for the next call.
// START(count) is called once the count is known; it returns false to
// refuse the reply. SINK(nullptr, 0) asks for the place of the next piece:
// SINK returns it, or null to receive into a scratch buffer.
template <class Start, class Sink>
int receiveReply(socketData* c, const char* function, const char* shortText, Start start, Sink sink)
{
    size_t pieceSize = c->maxReceiveBufSize ? c->maxReceiveBufSize : fallbackBufferSize;
    debugMessage("socketData->maxReceiveBufSize  = %d\n", int(pieceSize));
    unsigned char head[wire::replyCountSize];
    long got = receiveExactly(c->socket, reinterpret_cast<char*>(head), sizeof head);
    debugMessage("nBytesRead = %d\n", int(got));
    if (got < long(sizeof head)) {
        debugMessage(shortText, int(got));
        return PS_FAILURE;
    }
    uint32_t count = loadLittle32(head);
    if (!start(count))
        return PS_FAILURE;
    std::vector<char> scratch;
    for (size_t have = 0; have < count;) {
        size_t want = std::min<size_t>(pieceSize, count - have);
        char* place = sink(nullptr, have);
        if (!place) {
            scratch.resize(pieceSize);
            place = scratch.data();
        }
        got = receiveExactly(c->socket, place, want);
        debugMessage("nBytesRead = %d\n", int(got));
        if (got < long(want)) {
            // The reply cannot be completed: the exchange fails.
            debugMessage("%s() failed after %zu of %u bytes\n", function,
                         have + size_t(std::max(got, 0L)), count);
            return PS_FAILURE;
        }
        if (place == scratch.data())
            sink(place, want);
        have += want;
    }
    return PS_SUCCESS;
}

int getData(socketData* c, void** buffer, size_t* size)
{
    char* out = nullptr;
    int result = receiveReply(
        c, "vnServer_getDataFromPlugin",
        "ERROR: Did not receive enough data for return buffer size.\n",
        [&](uint32_t count) {
            debugMessage("*returnBufferSize = %d\n", int(count));
            out = static_cast<char*>(std::malloc(count ? count : 1));
            *size = count;
            return out != nullptr;
        },
        [&](const char* piece, size_t at) { return piece ? nullptr : out + at; });
    if (result != PS_SUCCESS) {
        std::free(out);
        *buffer = nullptr;
        *size = 0;
        return result;
    }
    *buffer = out;
    debugMessage("vnServer_getDataFromPlugin() Done\n");
    return PS_SUCCESS;
}

int getFile(socketData* c, const char* path)
{
    // The reply goes to a file beside PATH that replaces it only once the
    // reply is whole; a reply that fails leaves PATH as it was.
    std::unique_ptr<ReplacementFile> file;
    int result = receiveReply(
        c, "vnServer_getFileFromPlugin",
        "ERROR: Did not receive enough data for return file size. %d\n",
        [&](uint32_t count) {
            debugMessage("returnFileSize = %d\n", int(count));
            file = std::make_unique<ReplacementFile>(path);
            if (!file->isGood())
                debugMessage("Error opening return file '%s'.\n", path ? path : "");
            return true;  // drained all the same, to stay in step
        },
        [&](const char* piece, size_t n) {
            if (piece)
                file->write(piece, n);
            return static_cast<char*>(nullptr);
        });
    if (result != PS_SUCCESS)
        return result;
    file->commit();
    debugMessage("vnServer_getFileFromPlugin() Done\n");
    return PS_SUCCESS;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnServer_openConnectionToPlugin(socketData** connection, const char* host,
                                               const char* port, const char* name,
                                               char* version, const char* log_path)
{
    return guarded(PS_FAILURE, [&] {
        if (!connection || !name || std::strlen(name) > longestPluginName)
            return PS_FAILURE;
        LogScope log(log_path);
        debugMessage("###### vnServer_openConnectionToPlugin()\n");
        auto* c = static_cast<socketData*>(std::calloc(1, sizeof(socketData)));
        if (!c)
            return PS_FAILURE;
        int sendSize = 0, receiveSize = 0;
        int rc = openConnection(&c->socket, nullptr, host, port, &sendSize, &receiveSize, nullptr,
                                0, nullptr, debugLogStream());
        if (rc != PS_SUCCESS) {
            debugMessage("Could not send open socket to server %s port %s\n", host ? host : "",
                         port ? port : "");
            std::free(c);
            return rc;
        }
        c->maxReceiveBufSize = receiveSize > 0 ? size_t(receiveSize) : fallbackBufferSize;
        c->maxSendBufSize = sendSize > 0 ? size_t(sendSize) : fallbackBufferSize;
        *connection = c;
        debugMessage("Socket open.\n");
        int result = openPlugin(c, name, version);
        debugMessage("vnServer_openConnectionToPlugin() Done\n");
        return result;
    });
}

PELUND_API void vnServer_closeConnectionToPlugin(socketData* connection)
{
    guarded(0, [&] {
        if (!connection)
            return 0;
        LogScope log;
        debugMessage("##### vnServer_closeConnectionToPlugin()\n");
        const char close = wire::pluginClose;
        if (sendRequest(connection->socket, &close, 1, nullptr, 0) != PS_SUCCESS)
            debugMessage("Could not send plugin close.\n");
        closeConnection(connection->socket);
        std::free(connection);
        return 0;
    });
}

PELUND_API int vnServer_sendBufferToPlugin(socketData* connection, const void* data, size_t length)
{
    return guarded(PS_FAILURE, [&] {
        if (!connection || (!data && length) || length > UINT32_MAX)
            return PS_FAILURE;
        LogScope log;
        debugMessage("##### vnServer_sendBufferToPlugin()\n");
        int result = sendHeader(connection, wire::pluginBytes, uint32_t(length));
        if (result == PS_SUCCESS)
            result = sendPayload(connection, static_cast<const char*>(data), length);
        if (result == PS_SUCCESS)
            debugMessage("vnServer_sendBufferToPlugin() Done\n");
        return result;
    });
}

PELUND_API int vnServer_sendFileToPlugin(socketData* connection, const char* path)
{
    return guarded(PS_FAILURE, [&] {
        if (!connection)
            return PS_FAILURE;
        LogScope log;
        debugMessage("##### vnServer_sendFileToPlugin()\n");
        int32_t size = 0;
        if (!fileSize32(path, &size)) {
            debugMessage("Failed to get stats on file '%s'.\n", path ? path : "");
            return PS_FAILURE;
        }
        SourceFile file(path);
        if (!file.isOpen()) {
            debugMessage("Error opening file '%s'.\n", path);
            return PS_FAILURE;
        }
        std::vector<char> chunk(connection->maxSendBufSize);
        int result = sendHeader(connection, wire::pluginFile, uint32_t(size));
        for (size_t left = size_t(size); result == PS_SUCCESS && left > 0;) {
            size_t want = std::min(left, chunk.size());
            size_t got = file.read(chunk.data(), want);
            if (got < want) {
                debugMessage("Error in nBytes read from file.\n");
                std::memset(chunk.data() + got, 0, want - got);
            }
            result = sendRequest(connection->socket, chunk.data(), want, nullptr, 0);
            left -= want;
        }
        if (result == PS_SUCCESS)
            debugMessage("vnServer_sendFileToPlugin() Done\n");
        return result;
    });
}

PELUND_API int vnServer_getDataFromPlugin(socketData* connection, void** buffer, size_t* size)
{
    return guarded(PS_FAILURE, [&] {
        if (!connection || !buffer || !size)
            return PS_FAILURE;
        LogScope log;
        debugMessage("##### vnServer_getDataFromPlugin()\n");
        return getData(connection, buffer, size);
    });
}

PELUND_API int vnServer_getFileFromPlugin(socketData* connection, const char* path)
{
    return guarded(PS_FAILURE, [&] {
        if (!connection)
            return PS_FAILURE;
        LogScope log;
        debugMessage("##### vnServer_getFileFromPlugin()\n");
        return getFile(connection, path);
    });
}

}  // extern "C"
