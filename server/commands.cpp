// One-shot exchanges with the companion server: starting the socket
// library, commands, uploads and the server's web pages.
#include "pelund/server.h"
#include "frame/byte_order.h"
#include "frame/guard.h"
#include "platform/code_page.h"
#include "platform/open_url.h"
#include "platform/transfer_file.h"
#include "server/debug_log.h"
#include "server/transport.h"
#include "server/wire_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace pelund {
namespace {

// Set while the library holds the socket library started. On this platform
// nothing needs starting; the flag keeps the texts and results callers see.
int winsockStarted = 0;

const char* const startedText = "Winsock started ok.\n";
const char* const invalidResponse =
    "The response of the companion server was invalid.\n\n"
    "Please make sure that the companion server version 4.0.7 or later is running in order to use "
    "this feature.";

int startSocketLibrary(std::string* message)
{
    if (winsockStarted)
        return PS_SUCCESS;
    winsockStarted = 1;
    if (message)
        *message = startedText;
    return PS_SUCCESS;
}

// The socket library for one command or upload: started when the exchange
// begins, stopped when it ends, whoever started it.
class SocketLibraryScope {
public:
    explicit SocketLibraryScope(std::string* message) { startSocketLibrary(message); }
    ~SocketLibraryScope() { winsockStarted = 0; }
    SocketLibraryScope(const SocketLibraryScope&) = delete;
    SocketLibraryScope& operator=(const SocketLibraryScope&) = delete;
};

struct Exchange {
    int result = PS_SUCCESS;
    std::string message;  // what the caller's message buffer receives

    void fail(const std::string& text)
    {
        message = text;
        debugMessage("%s", text.c_str());
        result = PS_FAILURE;
    }
};

std::string openFailedText(const char* host, const char* port)
{
    char text[1024];
    std::snprintf(text, sizeof text, "Open socket failed on client for host '%s' port '%s'.\n",
                  host ? host : "", port ? port : "");
    return text;
}

// A transfer buffer of SIZE bytes (at least MINIMUM), or null with the
// allocation text FAILURE in X when memory runs out.
std::unique_ptr<char[]> allocate(size_t size, size_t minimum, const char* failure, Exchange* x)
{
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[std::max(size, minimum)]);
    if (!buffer) {
        char text[128];
        std::snprintf(text, sizeof text, failure, size);
        x->fail(text);
    }
    return buffer;
}

// The command request and its response on the connected socket S.
void commandOnConnection(int s, int sendSize, int receiveSize, const std::string& command,
                         char* response, size_t capacity, size_t* length, Exchange* x)
{
    // The request is never cut to the send-buffer size.
    auto request = allocate(size_t(sendSize), command.size() + 2,
                            "Failed to allocate send buffer size of %zu\n", x);
    if (!request)
        return;
    size_t receiveCapacity = std::max(size_t(receiveSize), size_t(1));
    auto received = allocate(receiveCapacity, 1, "Failed to allocate receive buffer size of %zu\n", x);
    if (!received)
        return;
    request[0] = wire::command;
    std::memcpy(request.get() + 1, command.c_str(), command.size() + 1);
    if (sendRequest(s, request.get(), command.size() + 2, nullptr, 0) != PS_SUCCESS) {
        x->fail("Failed to send command.\n");
        return;
    }
    // What the caller can take ends the response as its zero byte would.
    size_t want = response && capacity > 0 ? std::min(capacity, receiveCapacity) : receiveCapacity;
    long got = receiveResponse(s, received.get(), want, nullptr, 0);
    if (!response)
        return;  // read and dropped
    size_t n = std::min(got > 0 ? size_t(got) : 0, capacity);
    if (n == 0) {
        x->fail(invalidResponse);
        return;
    }
    std::memcpy(response, received.get(), n);
    if (length)
        *length = n;
}

// The command exchange of both text forms, on 8-bit host, port and command.
Exchange commandExchange(const char* host, const char* port, const std::string& command,
                         char* response, size_t capacity, size_t* length)
{
    Exchange x;
    SocketLibraryScope library(&x.message);
    int s = invalidSocket, sendSize = 0, receiveSize = 0;
    if (openConnection(&s, nullptr, host, port, &sendSize, &receiveSize, nullptr, 0, nullptr,
                       debugLogStream()) != PS_SUCCESS) {
        x.fail(openFailedText(host, port));
        return x;
    }
    ConnectionScope connection(s);
    commandOnConnection(s, sendSize, receiveSize, command, response, capacity, length, &x);
    return x;
}

int sendCommand(const char* host, const char* port, const char* command, char* response,
                size_t capacity, size_t* length, char* message, const char* logPath)
{
    LogScope log(logPath);
    debugMessage("Starting command send\n");
    if (!message)
        return PS_FAILURE;
    message[0] = '\0';
    Exchange x = commandExchange(host, port, command ? command : "", response, capacity, length);
    std::strcpy(message, x.message.c_str());
    return x.result;
}

// The file's content in chunks of BUFFER's size after the header. False
// when a chunk could not be sent.
bool sendContent(int s, SourceFile& file, size_t size, std::vector<char>& buffer)
{
    for (size_t left = size; left > 0;) {
        size_t want = std::min(left, buffer.size());
        size_t got = file.read(buffer.data(), want);
        if (got < want) {
            debugMessage("Error in nBytes read from file.\n");
            std::memset(buffer.data() + got, 0, want - got);
        }
        if (sendRequest(s, buffer.data(), want, nullptr, 0) != PS_SUCCESS)
            return false;
        left -= want;
    }
    return true;
}

// The upload request, its content and the acknowledgement on the connected
// socket S.
int uploadOnConnection(int s, int sendSize, const char* path, const char* name, int kind)
{
    int32_t size = 0;
    if (!fileSize32(path, &size)) {
        debugMessage("Failed to get stats on file '%s'.\n", path ? path : "");
        return PS_FAILURE;
    }
    size_t nameLength = name ? std::strlen(name) : 0;
    if (!name || nameLength + 7 > size_t(sendSize)) {
        debugMessage("Server-side name does not fit the send buffer.\n");
        return PS_FAILURE;
    }
    SourceFile file(path);
    if (!file.isOpen()) {
        debugMessage("Error opening file '%s'.\n", path);
        return PS_FAILURE;
    }
    std::vector<char> buffer(static_cast<size_t>(sendSize));
    buffer[0] = wire::upload;
    buffer[1] = char(kind & 0xFF);
    storeLittle32(reinterpret_cast<unsigned char*>(buffer.data() + 2), uint32_t(size));
    std::memcpy(buffer.data() + 6, name, nameLength + 1);
    if (sendRequest(s, buffer.data(), nameLength + 7, nullptr, 0) != PS_SUCCESS) {
        debugMessage("Failed to send start of segment.\n");
        return PS_FAILURE;
    }
    // After a failed send the server cannot have the whole file: no
    // acknowledgement can come, so none is waited for.
    bool sent = sendContent(s, file, size_t(size), buffer);
    char reply[256];
    long n = sent ? receiveResponse(s, reply, sizeof reply, nullptr, 0) : 0;
    if (!(n == 3 && std::memcmp(reply, wire::uploadAccepted, 3) == 0)) {
        debugMessage("Did not receive OK message\n");
        return PS_FAILURE;
    }
    return PS_SUCCESS;
}

int sendFile(const char* host, const char* port, const char* path, const char* name, int kind,
             const char* logPath)
{
    LogScope log(logPath);
    debugMessage("Starting of file send %s\n", path ? path : "");
    std::string started;
    SocketLibraryScope library(&started);
    int s = invalidSocket, sendSize = 0, receiveSize = 0;
    if (openConnection(&s, nullptr, host, port, &sendSize, &receiveSize, nullptr, 0, nullptr,
                       debugLogStream()) != PS_SUCCESS) {
        debugMessage("%s", openFailedText(host, port).c_str());
        return PS_SERVER_NO_CONNECTION;
    }
    ConnectionScope connection(s);
    return uploadOnConnection(s, sendSize, path, name, kind);
}

// Opens PAGE of the server's web site: "http://host:", the port that the
// command "1" answers, and PAGE, through the shell's "open" verb.
int openServerPage(const char* host, const char* port, const std::string& page, char* message,
                   const char* logPath)
{
    if (!host || !port)
        return PS_FAILURE;
    char answer[20] = {};
    if (sendCommand(host, port, wire::webPortCommand, answer, sizeof answer, nullptr, message,
                    logPath) != PS_SUCCESS)
        return PS_FAILURE;
    std::string url = "http://";
    url += host;
    url += ":";
    url.append(answer, strnlen(answer, sizeof answer));
    url += page;
    openUrl(url.substr(0, 1023));
    return PS_SUCCESS;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnServer_startWinsock(char* message)
{
    return guarded(PS_FAILURE, [&] {
        std::string text;
        int rc = startSocketLibrary(&text);
        if (message && !text.empty())
            std::strcpy(message, text.c_str());
        return rc;
    });
}

PELUND_API int vnServer_startWinsockW(ps_char16* message)
{
    return guarded(PS_FAILURE, [&] {
        std::string text;
        int rc = startSocketLibrary(&text);
        if (message && !text.empty()) {
            std::u16string w = codePageToUtf16(text.c_str());
            std::memcpy(message, w.c_str(), (w.size() + 1) * sizeof(char16_t));
        }
        return rc;
    });
}

PELUND_API int vnServer_sendCommand(const char* host, const char* port, const char* command,
                                    char* response, size_t capacity, size_t* length,
                                    char* message, const char* log_path)
{
    return guarded(PS_FAILURE, [&] {
        return sendCommand(host, port, command, response, capacity, length, message, log_path);
    });
}

PELUND_API int vnServer_sendCommandW(const ps_char16* host, const ps_char16* port,
                                     const ps_char16* command, char* response, size_t capacity,
                                     size_t* length, ps_char16* message,
                                     const ps_char16* log_path)
{
    return guarded(PS_FAILURE, [&] {
        LogScope log(log_path);
        debugMessageW(u"Starting command send\n");
        if (!message || !host || !port)
            return PS_FAILURE;
        message[0] = 0;
        std::string h = utf16ToCodePage(host), p = utf16ToCodePage(port);
        std::string c = command ? utf16ToCodePage(command) : std::string();
        Exchange x = commandExchange(h.c_str(), p.c_str(), c, response, capacity, length);
        std::u16string w = codePageToUtf16(x.message.c_str());
        std::memcpy(message, w.c_str(), (w.size() + 1) * sizeof(char16_t));
        return x.result;
    });
}

PELUND_API int vnServer_sendFile(const char* host, const char* port, const char* path,
                                 const char* name, int kind, const char* log_path)
{
    return guarded(PS_FAILURE, [&] { return sendFile(host, port, path, name, kind, log_path); });
}

PELUND_API int vnServer_getHTMLFile(const char* host, const char* port, const char* page,
                                    char* message, const char* log_path)
{
    return guarded(PS_FAILURE, [&] {
        return openServerPage(host, port, page ? page : "", message, log_path);
    });
}

PELUND_API int vnServer_openHTMLLog(const char* host, const char* port, int kind, char* message,
                                    const char* log_path)
{
    static const char* const pages[] = {"/log_debug.html", "/log_error.html", "/log_usage.html",
                                        "/log_access.html"};
    return guarded(PS_FAILURE, [&] {
        return openServerPage(host, port, kind >= 1 && kind <= 4 ? pages[kind - 1] : "", message,
                              log_path);
    });
}

}  // extern "C"
