#include "pelund/misc.h"
#include "pelund/server.h"
#include "server/debug_log.h"
#include "server/wire_format.h"
#include "server/transport.h"
#include "server_fixture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace servertest;

class Companion : public ::testing::Test {
protected:
    static CompanionServer* server;
    static void SetUpTestSuite() { server = new CompanionServer(); }
    static void TearDownTestSuite() { delete server; }
    void SetUp() override { ASSERT_TRUE(server->running()) << "the companion server did not start"; }
};

CompanionServer* Companion::server = nullptr;

TEST_F(Companion, CommandsAndResponseCopies)
{
    char message[1024];
    char response[20] = {};
    size_t length = 0;
    ASSERT_EQ(vnServer_sendCommand("127.0.0.1", server->port().c_str(), "1", response,
                                   sizeof response, &length, message, nullptr),
              0)
        << message;
    EXPECT_STREQ(message, "Winsock started ok.\n");
    EXPECT_EQ(length, server->webPort().size() + 1);
    EXPECT_EQ(std::string(response), server->webPort());
    char two[2];
    ASSERT_EQ(vnServer_sendCommand("127.0.0.1", server->port().c_str(), "version", two, 2, &length,
                                   message, nullptr),
              0);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(std::string(two, 2), "5.");
    EXPECT_EQ(vnServer_sendCommand("127.0.0.1", server->port().c_str(), "time", nullptr, 0,
                                   nullptr, message, nullptr),
              0);
    EXPECT_EQ(vnServer_sendCommand("127.0.0.1", server->port().c_str(), "1", response, 20,
                                   nullptr, nullptr, nullptr),
              0x8000);
    char16_t wmessage[256];
    std::string port = server->port();
    std::u16string wport(port.begin(), port.end());
    ASSERT_EQ(vnServer_sendCommandW(u"127.0.0.1", wport.c_str(), u"1", response, 20, &length,
                                    wmessage, nullptr),
              0);
    EXPECT_EQ(std::u16string(wmessage), u"Winsock started ok.\n");
    EXPECT_EQ(vnServer_sendCommandW(nullptr, u"1", u"1", response, 20, &length, wmessage, nullptr),
              0x8000);
}

TEST_F(Companion, StartingTwiceWritesTheTextOnce)
{
    char message[64] = "";
    EXPECT_EQ(vnServer_startWinsock(message), 0);
    EXPECT_STREQ(message, "Winsock started ok.\n");
    std::strcpy(message, "untouched");
    EXPECT_EQ(vnServer_startWinsock(message), 0);
    EXPECT_STREQ(message, "untouched");
    char response[20];
    vnServer_sendCommand("127.0.0.1", server->port().c_str(), "1", response, 20, nullptr, message,
                         nullptr);
    EXPECT_STREQ(message, "");  // it was running already
    std::strcpy(message, "");
    EXPECT_EQ(vnServer_startWinsock(message), 0);  // the command stopped it
    EXPECT_STREQ(message, "Winsock started ok.\n");
}

TEST_F(Companion, UploadsArriveWhole)
{
    testing_support::TempFolder scratch;
    const std::string& dir = scratch.path();
    struct Case {
        const char* name;
        size_t size;
    } cases[] = {{"empty.bin", 0}, {"one.bin", 1}, {"several.bin", 5u << 20}};
    for (const Case& c : cases) {
        std::string content(c.size, '\0');
        for (size_t k = 0; k < c.size; ++k)
            content[k] = char(k * 31 + 7);
        std::string local = dir + "/" + c.name;
        writeFile(local, content);
        EXPECT_EQ(vnServer_sendFile("127.0.0.1", server->port().c_str(), local.c_str(), c.name, 3,
                                    nullptr),
                  0)
            << c.name;
        EXPECT_EQ(readFile(server->uploads() + "/" + c.name), content) << c.name;
    }
    EXPECT_EQ(vnServer_sendFile("127.0.0.1", server->port().c_str(), "/no/such/file", "x", 0,
                                nullptr),
              0x8000);
    std::string tooLong(100000, 'n');
    EXPECT_EQ(vnServer_sendFile("127.0.0.1", server->port().c_str(), (dir + "/one.bin").c_str(),
                                tooLong.c_str(), 0, nullptr),
              0x8000);
    EXPECT_EQ(vnServer_sendFile("127.0.0.1", "1", (dir + "/one.bin").c_str(), "x", 0, nullptr), 6);
}

TEST_F(Companion, PagesOpenThroughTheShellVerb)
{
    // A stand-in opener first on PATH records the URL.
    testing_support::TempFolder scratch;
    const std::string& dir = scratch.path();
    std::string record = dir + "/url.txt";
    writeFile(dir + "/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > " + record + "\n");
    chmod((dir + "/xdg-open").c_str(), 0755);
    std::string path = dir + ":" + std::getenv("PATH");
    setenv("PATH", path.c_str(), 1);
    auto opened = [&] {
        for (int k = 0; k < 100 && readFile(record).empty(); ++k)
            usleep(20000);
        std::string url = readFile(record);
        unlink(record.c_str());
        return url;
    };
    char message[1024];
    std::string base = "http://127.0.0.1:" + server->webPort();
    ASSERT_EQ(vnServer_openHTMLLog("127.0.0.1", server->port().c_str(), 1, message, nullptr), 0);
    EXPECT_EQ(opened(), base + "/log_debug.html");
    ASSERT_EQ(vnServer_openHTMLLog("127.0.0.1", server->port().c_str(), 7, message, nullptr), 0);
    EXPECT_EQ(opened(), base);
    ASSERT_EQ(vnServer_getHTMLFile("127.0.0.1", server->port().c_str(), "/log_usage.html", message,
                                   nullptr),
              0);
    EXPECT_EQ(opened(), base + "/log_usage.html");
    EXPECT_EQ(vnServer_getHTMLFile(nullptr, server->port().c_str(), "/", message, nullptr), 0x8000);
}

TEST_F(Companion, DebugLogLines)
{
    testing_support::TempFolder scratch;
    const std::string& dir = scratch.path();
    std::string log = dir + "/client.log";
    char message[1024], response[20];
    // A log file that does not exist is not made.
    vnServer_sendCommand("127.0.0.1", server->port().c_str(), "1", response, 20, nullptr, message,
                         log.c_str());
    EXPECT_NE(access(log.c_str(), F_OK), 0);
    writeFile(log, "earlier line\n");
    ASSERT_EQ(vnServer_sendCommand("127.0.0.1", server->port().c_str(), "1", response, 20, nullptr,
                                   message, log.c_str()),
              0);
    std::string text = readFile(log);
    EXPECT_EQ(text.rfind("earlier line\n", 0), 0u);
    for (const char* line : {"> Starting command send\n", "> Opening socket on client\n",
                             "> Banner read: 'Pelund Companion Server V5.1;127.0.0.1'\n",
                             "> Connection is down.\n", "> All done!\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(vnws_getDebugLogFileP(), nullptr);
    vnws_debugMessageByFile(nullptr, "nothing %d", 1);
}

// --- Against a scripted peer ------------------------------------------------

namespace {

int versionFrom(const std::string& greeting, char* address = nullptr, int* result = nullptr)
{
    ScriptedPeer peer([&](int s) {
        sendAll(s, greeting.c_str(), greeting.size() + 1);
        char sink[64];
        while (recv(s, sink, sizeof sink, 0) > 0) {
        }
    });
    int s = -1, version = -1;
    char error[512] = "";
    int rc = pelund::openConnection(&s, &version, "127.0.0.1", peer.port().c_str(), nullptr,
                                    nullptr, error, sizeof error, address, nullptr);
    if (result)
        *result = rc;
    if (s != pelund::invalidSocket)
        pelund::closeConnection(s);
    return version;
}

}  // namespace

TEST(ScriptedServer, VersionsAndAddresses)
{
    std::string id = pelund::wire::greetingText;
    EXPECT_EQ(versionFrom(id + "4"), 400);
    EXPECT_EQ(versionFrom(id + "4.07"), 407);
    EXPECT_EQ(versionFrom(id + "5.03"), 503);
    EXPECT_EQ(versionFrom(id + "4.0.7"), 400);
    EXPECT_EQ(versionFrom(std::string(pelund::wire::greetingTextOld) + "5.1 extra"), 501);
    char address[256] = "x";
    EXPECT_EQ(versionFrom(id + "5.0;10.0.0.7", address), 500);
    EXPECT_STREQ(address, "10.0.0.7");
    EXPECT_EQ(versionFrom(id + "4.9;10.0.0.7", address), 409);
    EXPECT_STREQ(address, "");
    int rc = 0;
    EXPECT_EQ(versionFrom("Some other server 1.0", nullptr, &rc), 0);
    EXPECT_EQ(rc, 7);
}

TEST(ScriptedServer, ShortAndSurplusAcknowledgements)
{
    testing_support::TempFolder scratch;
    const std::string& dir = scratch.path();
    writeFile(dir + "/f.bin", "content");
    for (std::string ack : {std::string("OK"), std::string("OK\0!", 4)}) {
        ScriptedPeer peer([&](int s) {
            greet(s);
            char buffer[256];
            size_t total = 0;
            while (total < 7 + 5 + 7) {
                ssize_t n = recv(s, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                total += size_t(n);
            }
            sendAll(s, ack.data(), ack.size());
            shutdown(s, SHUT_WR);
            while (recv(s, buffer, sizeof buffer, 0) > 0) {
            }
        });
        EXPECT_EQ(vnServer_sendFile("127.0.0.1", peer.port().c_str(), (dir + "/f.bin").c_str(),
                                    "f.bin", 0, nullptr),
                  0x8000)
            << ack.size();
    }
}

TEST(ScriptedServer, CommandWithoutAnswerAndResetPeer)
{
    char message[1024], response[20];
    {
        ScriptedPeer peer([&](int s) {
            greet(s);
            readUpTo(s, 100);
            // Closes without answering.
        });
        EXPECT_EQ(vnServer_sendCommand("127.0.0.1", peer.port().c_str(), "1", response, 20, nullptr,
                                       message, nullptr),
                  0x8000);
        EXPECT_NE(std::string(message).find("4.0.7"), std::string::npos) << message;
    }
    {
        // A reply with surplus bytes is cut to the capacity.
        ScriptedPeer peer([&](int s) {
            greet(s);
            readUpTo(s, 100);
            std::string big(5000, 'z');
            sendAll(s, big.data(), big.size());
        });
        size_t length = 0;
        char small[8];
        std::memset(small, '#', sizeof small);
        EXPECT_EQ(vnServer_sendCommand("127.0.0.1", peer.port().c_str(), "1", small, 4, &length,
                                       message, nullptr),
                  0);
        EXPECT_EQ(length, 4u);
        EXPECT_EQ(std::string(small, 8), "zzzz####");
    }
}

TEST(Transport, NamesThatDoNotResolveAndRefusedAddresses)
{
    char error[512] = "";
    int s = pelund::connectToHost("no-such-host.invalid", "80", true, true, error, sizeof error,
                                  nullptr);
    EXPECT_EQ(s, pelund::invalidSocket);
    std::string text = error;
    EXPECT_EQ(text.rfind("Unknown host 'no-such-host.invalid':80. Socket error: (11001) - Host not "
                         "found\n",
                         0),
              0u)
        << text;
    // localhost: the IPv6 address refuses (nothing listens there), IPv4
    // accepts.
    ScriptedPeer peer([](int) {});
    s = pelund::connectToHost("localhost", peer.port().c_str(), true, true, error, sizeof error,
                              nullptr);
    EXPECT_NE(s, pelund::invalidSocket);
    if (s != pelund::invalidSocket)
        close(s);
    pelund::setLastSocketError(11002);
    EXPECT_STREQ(pelund::socketErrorText(), "Unknown error");
    pelund::setLastSocketError(10061);
    EXPECT_STREQ(pelund::socketErrorText(), "Connection refused by remote host");
    EXPECT_EQ(pelund::socketErrorFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(pelund::socketErrorFromErrno(ETIMEDOUT), 10060);
}

// The real 20-second limit, once: a peer that never greets.
TEST(ScriptedServerSlow, NoGreetingWithinTheLimit)
{
    ScriptedPeer peer([](int s) {
        char sink[16];
        pollfd p{s, POLLIN, 0};
        poll(&p, 1, 25000);
        (void)recv(s, sink, sizeof sink, 0);
    });
    int s = -1;
    char error[512] = "";
    auto start = std::chrono::steady_clock::now();
    int rc = pelund::openConnection(&s, nullptr, "127.0.0.1", peer.port().c_str(), nullptr, nullptr,
                                    error, sizeof error, nullptr, nullptr);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(rc, 6);
    EXPECT_STREQ(error, "Banner read failed.\n");
    EXPECT_GE(waited, std::chrono::seconds(19));
    EXPECT_LT(waited, std::chrono::seconds(30));
}

// --- Plug-ins ----------------------------------------------------------------

TEST_F(Companion, EchoPluginBothWays)
{
    vnServer_startWinsock(nullptr);
    socketData* c = nullptr;
    char version[6] = "xxxxx";
    ASSERT_EQ(vnServer_openConnectionToPlugin(&c, "127.0.0.1", server->port().c_str(), "echo",
                                              version, nullptr),
              0);
    EXPECT_STREQ(version, "1.0.0");
    for (size_t size : {size_t(0), size_t(1), size_t(9) << 20}) {
        std::string data(size, '\0');
        for (size_t k = 0; k < size; ++k)
            data[k] = char(k * 13 + size);
        ASSERT_EQ(vnServer_sendBufferToPlugin(c, data.data(), data.size()), 0);
        void* back = nullptr;
        size_t length = 7;
        ASSERT_EQ(vnServer_getDataFromPlugin(c, &back, &length), 0) << size;
        ASSERT_EQ(length, size);
        EXPECT_EQ(std::memcmp(back, data.data(), size), 0);
        psMisc_freeBuffer(&back);
    }
    testing_support::TempFolder scratch;
    const std::string& dir = scratch.path();
    std::string content(3u << 20, 'f');
    content[12345] = 'g';
    writeFile(dir + "/in.bin", content);
    ASSERT_EQ(vnServer_sendFileToPlugin(c, (dir + "/in.bin").c_str()), 0);
    ASSERT_EQ(vnServer_getFileFromPlugin(c, (dir + "/out.bin").c_str()), 0);
    EXPECT_EQ(readFile(dir + "/out.bin"), content);
    // A reply for a file that cannot be written is drained: the next one
    // still arrives in step.
    ASSERT_EQ(vnServer_sendBufferToPlugin(c, "lost", 4), 0);
    EXPECT_EQ(vnServer_getFileFromPlugin(c, "/no/such/folder/file"), 0);
    ASSERT_EQ(vnServer_sendBufferToPlugin(c, "next", 4), 0);
    void* back = nullptr;
    size_t length = 0;
    ASSERT_EQ(vnServer_getDataFromPlugin(c, &back, &length), 0);
    EXPECT_EQ(std::string(static_cast<char*>(back), length), "next");
    psMisc_freeBuffer(&back);
    EXPECT_EQ(vnServer_sendFileToPlugin(c, "/no/such/file"), 0x8000);
    vnServer_closeConnectionToPlugin(c);
}

TEST_F(Companion, StorePluginAndRefusals)
{
    vnServer_startWinsock(nullptr);
    socketData* c = nullptr;
    ASSERT_EQ(vnServer_openConnectionToPlugin(&c, "127.0.0.1", server->port().c_str(), "store",
                                              nullptr, nullptr),
              0);
    ASSERT_EQ(vnServer_sendBufferToPlugin(c, "kept", 4), 0);
    ASSERT_EQ(vnServer_sendBufferToPlugin(c, "get", 3), 0);
    void* back = nullptr;
    size_t length = 0;
    ASSERT_EQ(vnServer_getDataFromPlugin(c, &back, &length), 0);
    EXPECT_EQ(std::string(static_cast<char*>(back), length), "kept");
    psMisc_freeBuffer(&back);
    vnServer_closeConnectionToPlugin(c);

    socketData* refused = nullptr;
    char version[6] = "x";
    EXPECT_EQ(vnServer_openConnectionToPlugin(&refused, "127.0.0.1", server->port().c_str(), "nope",
                                              version, nullptr),
              0x8000);
    ASSERT_NE(refused, nullptr);  // still open: the caller closes it
    EXPECT_STREQ(version, "");
    vnServer_closeConnectionToPlugin(refused);
    socketData* none = nullptr;
    std::string longName(271, 'p');
    EXPECT_EQ(vnServer_openConnectionToPlugin(&none, "127.0.0.1", server->port().c_str(),
                                              longName.c_str(), nullptr, nullptr),
              0x8000);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(vnServer_openConnectionToPlugin(&none, "127.0.0.1", "1", "echo", nullptr, nullptr), 6);
    EXPECT_EQ(none, nullptr);
}

namespace {

// A plug-in peer: greets, accepts with INIT_REPLY, then answers the first
// message with REPLY and closes.
struct PluginPeer {
    ScriptedPeer peer;
    PluginPeer(std::string initReply, std::string reply)
        : peer([initReply, reply](int s) {
              greet(s);
              readUpTo(s, 300);
              sendAll(s, initReply.data(), initReply.size());
              char h[5];
              if (recv(s, h, 5, MSG_WAITALL) != 5)
                  return;
              uint32_t n = uint32_t((unsigned char)h[1]) | uint32_t((unsigned char)h[2]) << 8;
              std::string payload(n, '\0');
              if (n)
                  recv(s, payload.data(), n, MSG_WAITALL);
              sendAll(s, reply.data(), reply.size());
              shutdown(s, SHUT_WR);
              char sink[64];
              while (recv(s, sink, sizeof sink, 0) > 0) {
              }
          })
    {
    }
};

std::string le(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

}  // namespace

TEST(ScriptedPlugin, RepliesThatDoNotFit)
{
    vnServer_startWinsock(nullptr);
    struct Case {
        std::string reply;
        int result;
        std::string data;
    } cases[] = {
        {le(10) + "0123456789", 0, "0123456789"},
        {le(4) + "abcdSURPLUS", 0, "abcd"},        // surplus dropped
        {le(10) + "0123", 0x8000, ""},             // announced more, then closed
        {std::string("\3\0\0", 3), 0x8000, ""},   // fewer than 4 bytes
    };
    for (const Case& c : cases) {
        PluginPeer peer("OK1.2.3", c.reply);
        socketData* conn = nullptr;
        char version[6];
        ASSERT_EQ(vnServer_openConnectionToPlugin(&conn, "127.0.0.1", peer.peer.port().c_str(), "p",
                                                  version, nullptr),
                  0);
        EXPECT_STREQ(version, "1.2.3");
        ASSERT_EQ(vnServer_sendBufferToPlugin(conn, "q", 1), 0);
        void* back = reinterpret_cast<void*>(0x1);
        size_t length = 99;
        EXPECT_EQ(vnServer_getDataFromPlugin(conn, &back, &length), c.result) << c.reply.size();
        if (c.result == 0) {
            EXPECT_EQ(std::string(static_cast<char*>(back), length), c.data);
            psMisc_freeBuffer(&back);
        } else {
            EXPECT_EQ(back, nullptr);
        }
        vnServer_closeConnectionToPlugin(conn);
    }
    PluginPeer refusing("NO", "");
    socketData* conn = nullptr;
    EXPECT_EQ(vnServer_openConnectionToPlugin(&conn, "127.0.0.1", refusing.peer.port().c_str(), "p",
                                              nullptr, nullptr),
              0x8000);
    vnServer_closeConnectionToPlugin(conn);
}

TEST_F(Companion, SurvivesGarbageAndVanishingClients)
{
    for (const std::string& junk : {std::string("?garbage"), std::string("~\0", 2),
                                    std::string("!no terminator")}) {
        int s = pelund::connectToHost("127.0.0.1", server->port().c_str(), true, true, nullptr, 0,
                                      nullptr);
        ASSERT_NE(s, pelund::invalidSocket);
        sendAll(s, junk.data(), junk.size());
        close(s);  // gone without a goodbye
    }
    char message[1024], response[20];
    EXPECT_EQ(vnServer_sendCommand("127.0.0.1", server->port().c_str(), "1", response, 20, nullptr,
                                   message, nullptr),
              0);
}

TEST(ScriptedPlugin, PeerResetsMidTransfer)
{
    vnServer_startWinsock(nullptr);
    ScriptedPeer peer([](int s) {
        greet(s);
        readUpTo(s, 300);
        sendAll(s, "OK", 2);
        char h[6];
        recv(s, h, 6, MSG_WAITALL);
        std::string part = le(1000) + std::string(100, 'r');
        sendAll(s, part.data(), part.size());
        linger l{1, 0};  // close with a reset
        setsockopt(s, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    });
    socketData* c = nullptr;
    ASSERT_EQ(vnServer_openConnectionToPlugin(&c, "127.0.0.1", peer.port().c_str(), "p", nullptr,
                                              nullptr),
              0);
    ASSERT_EQ(vnServer_sendBufferToPlugin(c, "q", 1), 0);
    void* back = nullptr;
    size_t size = 0;
    EXPECT_EQ(vnServer_getDataFromPlugin(c, &back, &size), 0x8000);
    EXPECT_EQ(back, nullptr);
    vnServer_closeConnectionToPlugin(c);
}
