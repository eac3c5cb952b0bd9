// The companion-server program, started by the tests: its options, what
// hostile clients can and cannot do to it, its plug-ins and its pages.
#include "companion_fixture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

using companiontest::Client;
using companiontest::le32;
using companiontest::runServer;
using companiontest::ServerProcess;
using testing_support::TempFolder;

namespace {

const std::string nul(1, '\0');

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string httpGet(int port, const std::string& path)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string page;
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
            char buffer[65536];
            for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
                page.append(buffer, size_t(n));
        }
    }
    close(fd);
    return page;
}

std::string pattern(size_t size, unsigned seed)
{
    std::string s(size, '\0');
    for (size_t k = 0; k < size; ++k)
        s[k] = char((k * 131 + seed) >> 3);
    return s;
}

// A server on a fresh upload folder with the built plug-ins and OPTIONS.
struct Running {
    TempFolder uploads, spool;
    std::unique_ptr<ServerProcess> server;
    explicit Running(std::vector<std::string> options = {}, const std::string& uploadFolder = "")
    {
        std::vector<std::string> args{"--uploads", uploadFolder.empty() ? uploads.path() : uploadFolder,
                                      "--spool", spool.path()};
        if (std::find(options.begin(), options.end(), "--plugins") == options.end())
            args.insert(args.end(), {"--plugins", PELUND_COMPANION_PLUGINS});
        args.insert(args.end(), options.begin(), options.end());
        server = std::make_unique<ServerProcess>(args);
    }
    int port() const { return server->port(); }
};

// Another client is answered at once, whatever the hostile one is doing.
void expectOthersServed(const Running& r)
{
    auto start = std::chrono::steady_clock::now();
    Client other(r.port());
    EXPECT_EQ(other.command("version"), "5.1" + nul);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(2)) << "another client waited";
}

// The state letters of the processes whose parent is PARENT (R, S, Z...).
std::string childStates(pid_t parent)
{
    std::string states;
    for (const auto& e : std::filesystem::directory_iterator("/proc")) {
        std::string stat = testing_support::readFile(e.path().string() + "/stat");
        size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 4 > stat.size())
            continue;
        char state = stat[close + 2];
        if (std::atol(stat.c_str() + stat.find(' ', close + 3)) == long(parent))
            states += state;
    }
    return states;
}

// Waits up to SECONDS for PARENT to have no child processes left.
bool childrenGone(pid_t parent, int seconds)
{
    for (int k = 0; k < seconds * 10; ++k) {
        if (childStates(parent).empty())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// A server whose plug-in folder holds echo and the misbehaving plug-in,
// the latter run in host processes (as every plug-in but echo and store is).
struct WithMisbehaving {
    TempFolder plugins;
    std::unique_ptr<Running> running;
    explicit WithMisbehaving(std::vector<std::string> options = {})
    {
        std::filesystem::copy_file(PELUND_COMPANION_PLUGINS "/echo.so", plugins.file("echo.so"));
        std::filesystem::copy_file(PELUND_MISBEHAVING_PLUGIN, plugins.file("misbehaving.so"));
        options.insert(options.end(), {"--plugins", plugins.path()});
        running = std::make_unique<Running>(options);
    }
};

}  // namespace

TEST(CompanionOptions, BadOptionsAndValuesExitTwo)
{
    TempFolder folder;
    std::string config = folder.write("bad.conf", "[server]\nuploads=" + folder.path() + "\nno-such-key=1\n");
    std::string badValue = folder.write("value.conf", "[server]\nuploads=" + folder.path() + "\nidle=soon\n");
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--port"},
        {"--port", "abc"},
        {"--port", "70000"},
        {"--web-port", "-1"},
        {"--max-upload", "12Q"},
        {"--max-connections", "0"},
        {"--idle", "0"},
        {"--message-time", ""},
        {"--plugin-memory", "lots"},
        {"--in-process-plugins", ""},
        {"--bind", "no-such-host.invalid"},
        {"--config", folder.path() + "/missing.conf"},
        {"--config", config},
        {"--config", badValue},
        {"stray-argument"},
        {},  // no upload folder and no state folder
    };
    unsetenv("STATE_DIRECTORY");
    for (const auto& args : cases) {
        std::vector<std::string> full = args;
        if (!args.empty() && args[0] != "--config")
            full.insert(full.end(), {"--uploads", folder.path()});
        std::string output;
        EXPECT_EQ(runServer(full, &output), 2) << (args.empty() ? "(none)" : args[0]) << ": " << output;
        EXPECT_NE(output.find("companion-server"), std::string::npos) << output;
    }
}

TEST(CompanionOptions, HelpVersionAndConfigurationFile)
{
    std::string output;
    EXPECT_EQ(runServer({"--help"}, &output), 0);
    EXPECT_NE(output.find("--max-unread"), std::string::npos);
    EXPECT_EQ(runServer({"--version"}, &output), 0);
    EXPECT_NE(output.find("companion-server 1."), std::string::npos);

    TempFolder folder;
    std::string config = folder.write("ok.conf", "[server]\n; a comment\nuploads = " + folder.path() +
                                                     "\nplugins = " PELUND_COMPANION_PLUGINS "\nbind = localhost\n");
    ServerProcess server({"--config", config});
    ASSERT_TRUE(server.ready());
    Client c(server.port());
    EXPECT_EQ(c.upload("from-config.txt", "x"), "OK" + nul);
    EXPECT_TRUE(std::filesystem::exists(folder.file("from-config.txt")));
}

TEST(Companion, GreetingCommandsAndUploads)
{
    Running r;
    ASSERT_TRUE(r.server->ready());
    Client c(r.port());
    EXPECT_EQ(c.greeting(), "Pelund Companion Server V5.1;127.0.0.1" + nul);
    EXPECT_EQ(c.command("1"), std::to_string(r.server->webPort()) + nul);
    std::string content = pattern(24 << 20, 7);
    EXPECT_EQ(c.upload("big.bin", content), "OK" + nul);
    EXPECT_EQ(testing_support::readFile(r.uploads.file("big.bin")), content);
    // The count of uploads, not where they are.
    EXPECT_EQ(c.command("uploads"), "1" + nul);
    EXPECT_EQ(c.upload("big.bin", "replaced"), "OK" + nul);
    EXPECT_EQ(testing_support::readFile(r.uploads.file("big.bin")), "replaced");
    EXPECT_EQ(namesIn(r.uploads.path()), std::vector<std::string>{"big.bin"});
}

// Content is taken up to the announced size and not a byte further: messages
// sent in the same write right behind an upload, an accepted one or one
// refused for its name, are read as messages of their own.
TEST(Companion, UploadsFollowedAtOnceByOtherMessages)
{
    Running r;
    ASSERT_TRUE(r.server->ready());
    Client c(r.port());
    c.greeting();
    std::string first = pattern(5 << 20, 3), second = pattern(3 << 20, 5);
    ASSERT_TRUE(c.send("~F" + le32(uint32_t(first.size())) + "first.bin" + nul + first + "!version" + nul + "~F" +
                       le32(uint32_t(second.size())) + ".hidden" + nul + second + "~F" + le32(2) + "second.bin" +
                       nul + "ab" + "!uploads" + nul));
    EXPECT_EQ(c.receive(3), "OK" + nul);
    EXPECT_FALSE(c.receiveText().empty());
    EXPECT_EQ(c.receive(3), "NO" + nul);
    EXPECT_EQ(c.receive(3), "OK" + nul);
    EXPECT_EQ(c.receiveText(), "2" + nul);
    EXPECT_EQ(testing_support::readFile(r.uploads.file("first.bin")), first);
    EXPECT_EQ(testing_support::readFile(r.uploads.file("second.bin")), "ab");
    EXPECT_EQ(namesIn(r.uploads.path()), (std::vector<std::string>{"first.bin", "second.bin"}));
}

void neverReading(Running& r)
{
    long before = r.server->residentKiB();
    Client c(r.port());
    ASSERT_EQ(c.openPlugin("echo"), "OK1.0.0");
    timeval limit{1, 0};
    setsockopt(c.fd(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    std::string message = "B" + le32(1 << 20) + pattern(1 << 20, 3);
    int sent = 0;
    while (sent < 64 && c.send(message))
        ++sent;
    EXPECT_LT(sent, 64) << "the server kept reading a client that reads nothing";
    expectOthersServed(r);
    EXPECT_LT(r.server->residentKiB() - before, 48 * 1024);
}

// Each case runs against a server of its own; afterwards other clients are
// served at once and nothing is left behind in the upload folder.
TEST(Companion, HostileClients)
{
    struct Case {
        const char* name;
        std::vector<std::string> options;
        std::function<void(Running&)> run;
    };
    const std::vector<Case> cases = {
        {"trickling one byte at a time", {"--message-time", "2", "--idle", "30"},
         [](Running& r) {
             Client c(r.port());
             bool closed = false;
             for (int k = 0; k < 40 && !closed; ++k) {
                 closed = !c.send("~") ;
                 closed = closed || c.closedByServer(0);
                 std::this_thread::sleep_for(std::chrono::milliseconds(200));
                 if (k == 3)
                     expectOthersServed(r);
             }
             EXPECT_TRUE(closed || c.closedByServer(3)) << "a trickling client keeps its slot";
         }},
        {"silent", {"--idle", "1"},
         [](Running& r) {
             Client c(r.port());
             EXPECT_TRUE(c.closedByServer(10));
         }},
        {"never reading", {"--reply-memory", "256K", "--max-unread", "8M", "--spool-quota", "64M"}, neverReading},
        {"never reading, echo in a host process",
         {"--reply-memory", "256K", "--max-unread", "8M", "--spool-quota", "64M", "--in-process-plugins", "none"},
         neverReading},
        {"oversize upload", {"--max-upload", "1M"},
         [](Running& r) {
             Client c(r.port());
             c.send("~F" + le32(2 << 20) + "big" + nul + pattern(4096, 1));
             EXPECT_EQ(c.receive(3), "NO" + nul);
             EXPECT_TRUE(c.closedByServer(5));
         }},
        {"oversize plug-in message", {"--max-message", "1M"},
         [](Running& r) {
             Client c(r.port());
             ASSERT_EQ(c.openPlugin("echo"), "OK1.0.0");
             c.send("B" + le32(2 << 20));
             EXPECT_TRUE(c.closedByServer(5));
         }},
        {"bad names and a planted link", {},
         [](Running& r) {
             std::string outside = r.spool.write("target", "original");
             ASSERT_EQ(symlink(outside.c_str(), r.uploads.file("planted").c_str()), 0);
             Client c(r.port());
             for (const std::string& name : std::vector<std::string>{"../escape", ".hidden", "a/b", "", "tab\there", "..", std::string(300, 'n')})
                 EXPECT_EQ(c.upload(name, "bad"), "NO" + nul) << name;
             EXPECT_EQ(c.upload("planted", "new"), "OK" + nul);
             EXPECT_EQ(testing_support::readFile(outside), "original");
             struct stat s{};
             ASSERT_EQ(lstat(r.uploads.file("planted").c_str(), &s), 0);
             EXPECT_TRUE(S_ISREG(s.st_mode));
             EXPECT_EQ(testing_support::readFile(r.uploads.file("planted")), "new");
             EXPECT_EQ(namesIn(r.uploads.path()), std::vector<std::string>{"planted"});
             EXPECT_FALSE(std::filesystem::exists(r.spool.file("escape")));
         }},
        {"cut upload", {},
         [](Running& r) {
             {
                 Client c(r.port());
                 c.send("~F" + le32(1 << 20) + "cut.bin" + nul + pattern(100000, 2));
             }
             std::this_thread::sleep_for(std::chrono::milliseconds(500));
             EXPECT_TRUE(namesIn(r.uploads.path()).empty());
         }},
        {"garbage", {},
         [](Running& r) {
             Client c(r.port());
             c.send("GET / HTTP/1.0\r\n\r\n");
             EXPECT_TRUE(c.closedByServer(5));
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Running r(k.options);
        ASSERT_TRUE(r.server->ready());
        k.run(r);
        expectOthersServed(r);
        for (const std::string& name : namesIn(r.uploads.path()))
            EXPECT_NE(name.rfind(".upload-", 0), 0u) << "temporary file left: " << name;
    }
}

TEST(Companion, OutOfDescriptorsPausesAcceptingInsteadOfSpinning)
{
    TempFolder uploads;
    ServerProcess server({"--uploads", uploads.path(), "--plugins", PELUND_COMPANION_PLUGINS}, 48);
    ASSERT_TRUE(server.ready());
    std::vector<std::unique_ptr<Client>> clients;
    for (int k = 0; k < 80; ++k)
        clients.push_back(std::make_unique<Client>(server.port(), false));  // the later ones wait in the backlog
    long before = server.cpuTicks();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    long used = server.cpuTicks() - before;
    EXPECT_LT(used, sysconf(_SC_CLK_TCK)) << "the server spins while out of descriptors";
    EXPECT_NE(server.errors().find("accepting paused"), std::string::npos);
    clients.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Client late(server.port());
    EXPECT_EQ(late.command("version"), "5.1" + nul);
}

TEST(Companion, FullDiskAnswersFailureAndLeavesNothing)
{
    TempFolder mountPoint;
    if (mount("tmpfs", mountPoint.path().c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): full disk not tested";
    {
        Running r({}, mountPoint.path());
        ASSERT_TRUE(r.server->ready());
        Client c(r.port());
        EXPECT_EQ(c.upload("huge.bin", pattern(3 << 20, 5)), "NO" + nul);
        EXPECT_TRUE(namesIn(mountPoint.path()).empty());
        EXPECT_EQ(c.upload("small.txt", "fits"), "OK" + nul);
        EXPECT_EQ(namesIn(mountPoint.path()), std::vector<std::string>{"small.txt"});
    }
    umount(mountPoint.path().c_str());
}

TEST(Companion, StopsCleanlyOnSigtermMidUpload)
{
    Running r;
    ASSERT_TRUE(r.server->ready());
    Client c(r.port());
    c.send("~F" + le32(8 << 20) + "half.bin" + nul + pattern(4 << 20, 9));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(r.server->terminate(), 0);
    EXPECT_TRUE(namesIn(r.uploads.path()).empty());
    EXPECT_NE(r.server->errors().find("stopping on SIGTERM"), std::string::npos);
}

TEST(Companion, PluginsComeFromTheFolderAndAFailureEndsOnlyItsConversation)
{
    TempFolder plugins;
    std::filesystem::copy_file(PELUND_COMPANION_PLUGINS "/echo.so", plugins.file("echo.so"));
    std::filesystem::copy_file(PELUND_FAILING_PLUGIN, plugins.file("failing.so"));
    plugins.write("broken.so", "not a shared object");
    Running r({"--plugins", plugins.path()});
    ASSERT_TRUE(r.server->ready());
    EXPECT_NE(r.server->errors().find("broken.so"), std::string::npos);
    Client echo(r.port());
    ASSERT_EQ(echo.openPlugin("echo"), "OK1.0.0");
    EXPECT_EQ(Client(r.port()).openPlugin("store"), "NO");
    Client failing(r.port());
    ASSERT_EQ(failing.openPlugin("failing"), "OK0.0.1");
    failing.send("B" + le32(10) + "0123456789");
    EXPECT_TRUE(failing.closedByServer(5));
    EXPECT_EQ(echo.pluginRoundTrip("still here"), "still here");
    std::string page = httpGet(r.server->webPort(), "/");
    EXPECT_NE(page.find("failing 0.0.1"), std::string::npos);
    EXPECT_EQ(page.find("store"), std::string::npos);
}

// In the server's process and in a host process of its own.
TEST(Companion, EchoSpoolsAReplyTheClientDoesNotReadYet)
{
    for (const char* inProcess : {"all", "none"}) {
        SCOPED_TRACE(inProcess);
        Running r({"--reply-memory", "64K", "--reply-memory-total", "1M", "--in-process-plugins", inProcess});
        ASSERT_TRUE(r.server->ready());
        Client c(r.port());
        ASSERT_EQ(c.openPlugin("echo"), "OK1.0.0");
        std::string payload = pattern(48 << 20, 11);
        // The whole message goes out before a byte of the reply is read.
        ASSERT_TRUE(c.send("B" + le32(uint32_t(payload.size())) + payload));
        std::string reply = c.receive(4 + payload.size(), 60);
        ASSERT_EQ(reply.size(), 4 + payload.size());
        EXPECT_EQ(reply.substr(0, 4), le32(uint32_t(payload.size())));
        EXPECT_TRUE(reply.compare(4, std::string::npos, payload) == 0);
        // A close right behind a message waits for its reply; what follows is read after it.
        ASSERT_TRUE(c.send("B" + le32(5) + "hello" + "X" + "!version" + nul + "%echo" + nul));
        EXPECT_EQ(c.receive(9), le32(5) + "hello");
        EXPECT_EQ(c.receiveText(), "5.1" + nul);
        EXPECT_EQ(c.receive(7), "OK1.0.0");
        EXPECT_EQ(c.pluginRoundTrip("again"), "again");
    }
}

// A plug-in in a host process that crashes, fails or runs out of its memory
// ends its own conversation and nothing else; its host is reaped.
TEST(CompanionIsolation, ACrashEndsOnlyItsOwnConversation)
{
    std::vector<std::string> hows{"crash", "abort", "fail"};
#if !defined(__SANITIZE_ADDRESS__)
    hows.push_back("grab");  // (the address sanitizer needs the address space unlimited)
#endif
    for (const std::string& how : hows) {
        SCOPED_TRACE(how);
        WithMisbehaving w({"--plugin-memory", "256M"});
        Running& r = *w.running;
        ASSERT_TRUE(r.server->ready());
        Client echo(r.port());
        ASSERT_EQ(echo.openPlugin("echo"), "OK1.0.0");
        Client bad(r.port());
        ASSERT_EQ(bad.openPlugin("misbehaving"), "OK0.0.1");
        EXPECT_EQ(bad.pluginRoundTrip("fine so far"), "fine so far");
        bad.send(std::string(1, 'B').append(le32(uint32_t(how.size()))).append(how));
        EXPECT_TRUE(bad.closedByServer(10));
        EXPECT_EQ(kill(r.server->pid(), 0), 0) << "the server ended";
        EXPECT_EQ(echo.pluginRoundTrip("still here"), "still here");
        expectOthersServed(r);
        Client next(r.port());
        ASSERT_EQ(next.openPlugin("misbehaving"), "OK0.0.1");
        EXPECT_EQ(next.pluginRoundTrip("a new host"), "a new host");
        EXPECT_NE(r.server->errors().find("conversation ended"), std::string::npos) << r.server->errors();
        // Reaped by the server's once-a-second sweep at the latest.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        EXPECT_EQ(childStates(r.server->pid()).find('Z'), std::string::npos) << childStates(r.server->pid());
        EXPECT_NE(r.server->errors().find("plug-in host for misbehaving"), std::string::npos) << r.server->errors();
        next.send("X");
        EXPECT_TRUE(childrenGone(r.server->pid(), 10)) << childStates(r.server->pid());
    }
}

// A plug-in that sleeps in a host process holds up no other client and is
// killed when it does not answer within the message time (its client,
// waiting, is not dropped as idle before).
TEST(CompanionIsolation, ASleepingPluginDelaysNoOneAndIsEnded)
{
    WithMisbehaving w({"--message-time", "4", "--idle", "2"});
    Running& r = *w.running;
    ASSERT_TRUE(r.server->ready());
    Client sleeper(r.port());
    ASSERT_EQ(sleeper.openPlugin("misbehaving"), "OK0.0.1");
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(sleeper.send("B" + le32(5) + "sleep"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    expectOthersServed(r);
    Client other(r.port());
    ASSERT_EQ(other.openPlugin("misbehaving"), "OK0.0.1");
    EXPECT_EQ(other.pluginRoundTrip("awake"), "awake");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "another client waited";
    EXPECT_TRUE(sleeper.closedByServer(15)) << "a host that does not answer keeps its conversation";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_NE(r.server->errors().find("did not answer within 4 s"), std::string::npos) << r.server->errors();
    other.send("X");
    EXPECT_TRUE(childrenGone(r.server->pid(), 10)) << childStates(r.server->pid());
    EXPECT_EQ(r.server->terminate(), 0);
}

TEST(Companion, StoreAndDrawingProperties)
{
    Running r;
    ASSERT_TRUE(r.server->ready());
    Client store(r.port());
    ASSERT_EQ(store.openPlugin("store"), "OK1.0.0");
    store.send("B" + le32(1) + "a");
    store.send("F" + le32(5) + "bcdef");
    EXPECT_EQ(store.pluginRoundTrip("get"), "a");
    EXPECT_EQ(store.pluginRoundTrip("get"), "bcdef");
    EXPECT_EQ(store.pluginRoundTrip("get"), "");

    Client drawing(r.port());
    ASSERT_EQ(drawing.openPlugin("drawing-properties"), "OK1.0.0");
    EXPECT_EQ(drawing.pluginRoundTrip("not a drawing", 'F'), "DGN V8: no\n");
    std::string dgn = testing_support::readFile(PELUND_FIXTURES "/drawing/v8-drawing.dgn");
    if (dgn.empty())
        GTEST_SKIP() << "fixture drawing/v8-drawing.dgn missing: properties of a real drawing not tested";
    std::string text = drawing.pluginRoundTrip(dgn, 'F');
    EXPECT_EQ(text.rfind("DGN V8: yes\n", 0), 0u) << text;
    EXPECT_NE(text.find("summary\t"), std::string::npos) << text;
}

TEST(Companion, PagesShowUploadsAndEscapeClientText)
{
    Running r;
    ASSERT_TRUE(r.server->ready());
    Client c(r.port());
    EXPECT_EQ(c.upload("browser-check.txt", "seen"), "OK" + nul);
    const std::string hostile = "<script>document.title='owned'</script>";
    EXPECT_EQ(c.command(hostile), "unknown command" + nul);
    std::string usage = httpGet(r.server->webPort(), "/log_usage.html");
    EXPECT_EQ(usage.find(hostile), std::string::npos);
    EXPECT_NE(usage.find("&lt;script&gt;"), std::string::npos);
    EXPECT_NE(httpGet(r.server->webPort(), "/log_access.html").find("connected"), std::string::npos);
    EXPECT_EQ(httpGet(r.server->webPort(), "/log_error.html").find("browser-check"), std::string::npos);

    if (system("command -v chromium >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "chromium not installed: pages not checked in a browser";
    auto dump = [&](const std::string& path) {
        TempFolder profile;
        std::string out = profile.file("dom.html");
        std::string command = "timeout 90 chromium --headless --no-sandbox --disable-gpu --user-data-dir=" +
                              profile.path() + " --dump-dom http://127.0.0.1:" +
                              std::to_string(r.server->webPort()) + path + " > " + out + " 2>/dev/null";
        EXPECT_EQ(system(command.c_str()), 0) << command;
        return testing_support::readFile(out);
    };
    std::string start = dump("/");
    EXPECT_NE(start.find("browser-check.txt"), std::string::npos) << start;
    std::string log = dump("/log_usage.html");
    EXPECT_NE(log.find("&lt;script&gt;document.title='owned'&lt;/script&gt;"), std::string::npos) << log;
    EXPECT_EQ(log.find("<title>owned</title>"), std::string::npos) << log;
}
