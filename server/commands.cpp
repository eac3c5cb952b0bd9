// One-shot exchanges with the companion server: starting the socket
// library, commands, uploads and the server's web pages.
#include "pelund/lists.h"
#include "pelund/misc.h"
#include "pelund/server.h"
#include "platform/code_page.h"
#include "platform/open_url.h"
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
        return 0;
    winsockStarted = 1;
    if (message)
        *message = startedText;
    return 0;
}

void stopSocketLibrary() { winsockStarted = 0; }

struct Exchange {
    int result = 0;
    std::string message;  // what the caller's message buffer receives
};

// The command exchange of both text forms, on 8-bit host, port and command.
Exchange commandExchange(const char* host, const char* port, const std::string& command,
                         char* response, size_t capacity, size_t* length)
{
    Exchange x;
    auto fail = [&](const std::string& text) {
        x.message = text;
        debugMessage("%s", text.c_str());
        x.result = 0x8000;
    };
    startSocketLibrary(&x.message);
    int s = invalidSocket, sendSize = 0, receiveSize = 0;
    if (openConnection(&s, nullptr, host, port, &sendSize, &receiveSize, nullptr, 0, nullptr,
                       vnws_getDebugLogFileP()) != 0) {
        char text[1024];
        std::snprintf(text, sizeof text, "Open socket failed on client for host '%s' port '%s'.\n",
                      host ? host : "", port ? port : "");
        fail(text);
    } else {
        // The request is never cut to the send-buffer size.
        std::vector<char> request;
        std::vector<char> received;
        try {
            request.resize(std::max<size_t>(size_t(sendSize), command.size() + 2));
            received.resize(size_t(receiveSize > 0 ? receiveSize : 1));
        } catch (...) {
            char text[128];
            std::snprintf(text, sizeof text, request.empty()
                                                 ? "Failed to allocate send buffer size of %d\n"
                                                 : "Failed to allocate receive buffer size of %d\n",
                          request.empty() ? sendSize : receiveSize);
            fail(text);
        }
        if (x.result == 0) {
            request[0] = '!';
            std::memcpy(request.data() + 1, command.c_str(), command.size() + 1);
            if (sendRequest(s, request.data(), command.size() + 2, nullptr, 0) != 0) {
                fail("Failed to send command.\n");
            } else {
                long got = receiveResponse(s, received.data(), received.size(), nullptr, 0);
                if (response) {
                    size_t n = std::min(got > 0 ? size_t(got) : 0, capacity);
                    if (n == 0) {
                        fail(invalidResponse);
                    } else {
                        std::memcpy(response, received.data(), n);
                        if (length)
                            *length = n;
                    }
                }
            }
        }
        closeConnection(s);
    }
    if (winsockStarted)
        stopSocketLibrary();
    return x;
}

int sendFile(const char* host, const char* port, const char* path, const char* name, int kind)
{
    std::string started;
    startSocketLibrary(&started);
    int s = invalidSocket, sendSize = 0, receiveSize = 0;
    int result = 0;
    std::FILE* file = nullptr;
    if (openConnection(&s, nullptr, host, port, &sendSize, &receiveSize, nullptr, 0, nullptr,
                       vnws_getDebugLogFileP()) != 0) {
        debugMessage("Open socket failed on client for host '%s' port '%s'.\n", host ? host : "",
                     port ? port : "");
        stopSocketLibrary();
        return 6;
    }
    struct stat st;
    std::vector<char> buffer;
    size_t nameLength = name ? std::strlen(name) : 0;
    if (!path || stat(path, &st) != 0 || st.st_size > INT_MAX) {
        debugMessage("Failed to get stats on file '%s'.\n", path ? path : "");
        result = 0x8000;
    } else if (!name || nameLength + 7 > size_t(sendSize)) {
        debugMessage("Server-side name does not fit the send buffer.\n");
        result = 0x8000;
    } else if (!(file = std::fopen(path, "rb"))) {
        debugMessage("Error opening file '%s'.\n", path);
        result = 0x8000;
    } else {
        buffer.resize(size_t(sendSize));
        int32_t size = int32_t(st.st_size);
        buffer[0] = '~';
        buffer[1] = char(kind & 0xFF);
        for (int k = 0; k < 4; ++k)
            buffer[2 + k] = char((uint32_t(size) >> (8 * k)) & 0xFF);
        std::memcpy(buffer.data() + 6, name, nameLength + 1);
        if (sendRequest(s, buffer.data(), nameLength + 7, nullptr, 0) != 0) {
            debugMessage("Failed to send start of segment.\n");
            result = 0x8000;
        } else {
            for (size_t left = size_t(size); left > 0;) {
                size_t want = std::min(left, buffer.size());
                size_t got = std::fread(buffer.data(), 1, want, file);
                if (got < want) {
                    debugMessage("Error in nBytes read from file.\n");
                    std::memset(buffer.data() + got, 0, want - got);
                }
                if (sendRequest(s, buffer.data(), want, nullptr, 0) != 0)
                    break;
                left -= want;
            }
            char reply[256];
            long n = receiveResponse(s, reply, sizeof reply, nullptr, 0);
            if (!(n == 3 && reply[0] == 'O' && reply[1] == 'K' && reply[2] == '\0')) {
                debugMessage("Did not receive OK message\n");
                result = 0x8000;
            }
        }
    }
    if (file)
        std::fclose(file);
    closeConnection(s);
    if (winsockStarted)
        stopSocketLibrary();
    return result;
}

// Opens PAGE of the server's web site: "http://host:", the port that the
// command "1" answers, and PAGE, through the shell's "open" verb.
int openServerPage(const char* host, const char* port, const std::string& page, char* message,
                   const char* logPath)
{
    if (!host || !port)
        return 0x8000;
    try {
        char answer[20] = {};
        if (vnServer_sendCommand(host, port, "1", answer, sizeof answer, nullptr, message,
                                 logPath) != 0)
            return 0x8000;
        std::string url = "http://";
        url += host;
        url += ":";
        url.append(answer, strnlen(answer, sizeof answer));
        url += page;
        openUrl(url.substr(0, 1023));
        return 0;
    } catch (...) {
        return 0x8000;
    }
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnServer_startWinsock(char* message)
{
    std::string text;
    int rc = startSocketLibrary(&text);
    if (message && !text.empty())
        std::strcpy(message, text.c_str());
    return rc;
}

PELUND_API int vnServer_startWinsockW(ps_char16* message)
{
    std::string text;
    int rc = startSocketLibrary(&text);
    if (message && !text.empty()) {
        std::u16string w = codePageToUtf16(text.c_str());
        std::memcpy(message, w.c_str(), (w.size() + 1) * sizeof(char16_t));
    }
    return rc;
}

PELUND_API int vnServer_sendCommand(const char* host, const char* port, const char* command,
                                    char* response, size_t capacity, size_t* length,
                                    char* message, const char* log_path)
{
    try {
        openDebugLog(log_path);
        debugMessage("Starting command send\n");
        int result = 0x8000;
        if (message) {
            message[0] = '\0';
            Exchange x = commandExchange(host, port, command ? command : "", response, capacity,
                                         length);
            std::strcpy(message, x.message.c_str());
            result = x.result;
        }
        closeDebugLog();
        return result;
    } catch (...) {
        closeDebugLog();
        return 0x8000;
    }
}

PELUND_API int vnServer_sendCommandW(const ps_char16* host, const ps_char16* port,
                                     const ps_char16* command, char* response, size_t capacity,
                                     size_t* length, ps_char16* message,
                                     const ps_char16* log_path)
{
    try {
        openDebugLogW(log_path);
        debugMessageW(u"Starting command send\n");
        int result = 0x8000;
        if (message && host && port) {
            message[0] = 0;
            std::string h = utf16ToCodePage(host), p = utf16ToCodePage(port);
            std::string c = command ? utf16ToCodePage(command) : std::string();
            Exchange x = commandExchange(h.c_str(), p.c_str(), c, response, capacity, length);
            std::u16string w = codePageToUtf16(x.message.c_str());
            std::memcpy(message, w.c_str(), (w.size() + 1) * sizeof(char16_t));
            result = x.result;
        }
        closeDebugLog();
        return result;
    } catch (...) {
        closeDebugLog();
        return 0x8000;
    }
}

PELUND_API int vnServer_sendFile(const char* host, const char* port, const char* path,
                                 const char* name, int kind, const char* log_path)
{
    try {
        openDebugLog(log_path);
        debugMessage("Starting of file send %s\n", path ? path : "");
        int result = pelund::sendFile(host, port, path, name, kind);
        closeDebugLog();
        return result;
    } catch (...) {
        closeDebugLog();
        return 0x8000;
    }
}

PELUND_API int vnServer_getHTMLFile(const char* host, const char* port, const char* page,
                                    char* message, const char* log_path)
{
    return openServerPage(host, port, page ? page : "", message, log_path);
}

PELUND_API int vnServer_openHTMLLog(const char* host, const char* port, int kind, char* message,
                                    const char* log_path)
{
    static const char* const pages[] = {"/log_debug.html", "/log_error.html", "/log_usage.html",
                                        "/log_access.html"};
    return openServerPage(host, port, kind >= 1 && kind <= 4 ? pages[kind - 1] : "", message,
                          log_path);
}

}  // extern "C"
