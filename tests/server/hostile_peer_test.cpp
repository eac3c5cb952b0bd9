// Peers that behave as real networks and careless or hostile servers do,
// against the exported calls, with the socket layer's limits shortened so
// that every wait shows in milliseconds.
#include "pelund/misc.h"
#include "pelund/server.h"
#include "platform/socket.h"
#include "server_fixture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

using namespace servertest;

namespace {

// The limits of the table: every wait is long enough for a busy machine to
// deliver a piece that follows at once, and short enough to add up to about
// a second for the whole table.
constexpr pelund::SocketLimits shortLimits{300, 300, 200, 100};

class ShortLimits {
public:
    ShortLimits() : saved_(pelund::socketLimits()) { pelund::socketLimits() = shortLimits; }
    ~ShortLimits() { pelund::socketLimits() = saved_; }

private:
    pelund::SocketLimits saved_;
};

// Set when the client's call has returned: peers that hold the connection
// open without a word wait for it.
std::atomic<bool> clientDone{false};

void holdUntilClientDone()
{
    for (int k = 0; k < 2000 && !clientDone; ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void shortPause() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

std::string le(uint32_t v)
{
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// Greets, takes the plug-in init, accepts it and takes the client's first
// "B" message with its one payload byte.
void pluginHello(int s)
{
    greet(s);
    readUpTo(s, 300);
    sendAll(s, "OK1.0.0", 7);
    char message[6];
    recv(s, message, sizeof message, MSG_WAITALL);
}

void send(int s, const std::string& bytes) { sendAll(s, bytes.data(), bytes.size()); }

struct Outcome {
    int result;
    std::string delivered;
};

Outcome command(const std::string& port)
{
    char message[1024], response[64];
    size_t length = 0;
    int rc = vnServer_sendCommand("127.0.0.1", port.c_str(), "1", response, sizeof response,
                                  &length, message, nullptr);
    return {rc, rc == 0 ? std::string(response, length) : std::string()};
}

// Opens a plug-in connection, sends one byte and fetches replies with GET
// until one fails or COUNT have arrived; the replies joined by "|".
Outcome pluginReplies(const std::string& port, int count,
                      const std::function<int(socketData*, std::string*)>& get)
{
    vnServer_startWinsock(nullptr);
    socketData* c = nullptr;
    int rc = vnServer_openConnectionToPlugin(&c, "127.0.0.1", port.c_str(), "p", nullptr, nullptr);
    if (rc != 0)
        return {rc, "not opened"};
    rc = vnServer_sendBufferToPlugin(c, "q", 1);
    std::string delivered;
    for (int k = 0; k < count && rc == 0; ++k) {
        std::string one;
        rc = get(c, &one);
        delivered += (k ? "|" : "") + one;
    }
    vnServer_closeConnectionToPlugin(c);
    return {rc, delivered};
}

int getData(socketData* c, std::string* out)
{
    void* back = reinterpret_cast<void*>(0x1);
    size_t size = 99;
    int rc = vnServer_getDataFromPlugin(c, &back, &size);
    if (rc == 0)
        *out = std::string(static_cast<char*>(back), size);
    else if (back != nullptr)
        *out = "buffer left behind";
    psMisc_freeBuffer(&back);
    return rc;
}

// The target's content after a file reply, and how many files the folder
// holds: a temporary file left behind shows as a second one.
int getFileOverOld(const testing_support::TempFolder& folder, socketData* c, std::string* out)
{
    std::string target = folder.write("target.bin", "old content");
    int rc = vnServer_getFileFromPlugin(c, target.c_str());
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        (void)entry;
        ++files;
    }
    *out = readFile(target) + " (" + std::to_string(files) + " file)";
    return rc;
}

}  // namespace

TEST(HostilePeers, EveryWaitBoundedAndEveryMessageWhole)
{
    ShortLimits limits;
    testing_support::TempFolder folder, replies;
    const std::string upload = folder.write("upload.bin", std::string(32u << 20, 'u'));
    const std::string greeting = std::string("Pelund Companion Server V5.1") + '\0';
    struct Row {
        const char* name;
        std::function<void(int)> peer;
        std::function<Outcome(const std::string& port)> client;
        int result;
        std::string delivered;
        int withinMs;
    } rows[] = {
        {"greeting split in two",
         [&](int s) {
             send(s, greeting.substr(0, 10));
             shortPause();
             send(s, greeting.substr(10));
             readUpTo(s, 100);
             send(s, std::string("8080", 5));
         },
         command, 0, std::string("8080", 5), 1500},
        {"3000-byte greeting without a zero byte",
         [&](int s) {
             send(s, std::string(3000, 'G'));
             readUpTo(s, 100);
             send(s, std::string("8080", 5));
         },
         command, 0, std::string("8080", 5), 2000},
        {"response in two pieces",
         [&](int s) {
             greet(s);
             readUpTo(s, 100);
             send(s, "5.");
             shortPause();
             send(s, std::string("1", 2));
         },
         command, 0, std::string("5.1", 4), 1500},
        {"response without a zero byte, then quiet",
         [&](int s) {
             greet(s);
             readUpTo(s, 100);
             send(s, "42");
             holdUntilClientDone();
         },
         command, 0, "42", 2000},
        {"greets and never answers",
         [&](int s) {
             greet(s);
             readUpTo(s, 100);
             holdUntilClientDone();
         },
         command, PS_FAILURE, "", 2500},
        {"never greets",
         [&](int) { holdUntilClientDone(); },
         command, PS_FAILURE, "", 2500},
        {"never reads during an upload",
         [&](int s) {
             greet(s);
             holdUntilClientDone();
         },
         [&](const std::string& port) {
             return Outcome{vnServer_sendFile("127.0.0.1", port.c_str(), upload.c_str(), "u.bin",
                                              0, nullptr),
                            ""};
         },
         PS_FAILURE, "", 4000},
        {"two plug-in replies back to back",
         [&](int s) {
             pluginHello(s);
             send(s, le(3) + "abc" + le(2) + "de");
             holdUntilClientDone();
         },
         [&](const std::string& port) { return pluginReplies(port, 2, getData); },
         0, "abc|de", 2000},
        {"reset in the middle of a reply",
         [&](int s) {
             pluginHello(s);
             send(s, le(1000) + std::string(100, 'r'));
             linger l{1, 0};
             setsockopt(s, SOL_SOCKET, SO_LINGER, &l, sizeof l);
         },
         [&](const std::string& port) { return pluginReplies(port, 1, getData); },
         PS_FAILURE, "", 1500},
        {"file reply cut short over an existing file",
         [&](int s) {
             pluginHello(s);
             send(s, le(1000) + std::string(100, 'r'));
         },
         [&](const std::string& port) {
             return pluginReplies(port, 1, [&](socketData* c, std::string* out) {
                 return getFileOverOld(replies, c, out);
             });
         },
         PS_FAILURE, "old content (1 file)", 1500},
        {"whole file reply over an existing file",
         [&](int s) {
             pluginHello(s);
             send(s, le(11) + "new content");
             holdUntilClientDone();
         },
         [&](const std::string& port) {
             return pluginReplies(port, 1, [&](socketData* c, std::string* out) {
                 return getFileOverOld(replies, c, out);
             });
         },
         0, "new content (1 file)", 1500},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        clientDone = false;
        ScriptedPeer peer(row.peer);
        auto start = std::chrono::steady_clock::now();
        Outcome got = row.client(peer.port());
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        clientDone = true;
        EXPECT_EQ(got.result, row.result);
        EXPECT_EQ(got.delivered, row.delivered);
        EXPECT_LT(took.count(), row.withinMs);
    }
}
