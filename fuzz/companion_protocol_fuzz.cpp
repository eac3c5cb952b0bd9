// The companion server's message parser: any bytes a client sends, then the
// end of its sending side, against a server on loopback with the built-in
// limits and the echo plug-in behaviour of an empty plug-in folder.
#include "companion/event_log.h"
#include "companion/options.h"
#include "companion/plugin_loader.h"
#include "companion/server.h"
#include "companion/upload_folder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>

using namespace pelund::companion;

namespace {

struct Running {
    asio::io_context io{1};
    EventLog log;
    UploadFolder folder;
    PluginSet plugins;
    Options options;
    std::unique_ptr<Server> server;

    Running()
    {
        log.toStandardError = false;
        static char pattern[] = "/tmp/companion-fuzz-XXXXXX";
        options.uploads = mkdtemp(pattern);
        // Uploads the inputs made go with the process.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(pattern, ignored);
        });
        options.spool = "/tmp";
        options.limits.idleSeconds = 1;
        options.limits.messageSeconds = 1;
        std::string error;
        if (!folder.open(options.uploads, error))
            std::abort();
        server = std::make_unique<Server>(io, options, log, plugins, folder);
        if (!server->listen({asio::ip::address_v4::loopback()}, error))
            std::abort();
        server->start();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Running* r = new Running;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(r->server->port()));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    size_t sent = 0;
    bool shut = false;
    char buffer[65536];
    // Until the server closes the connection: feed it, let it run, drain it.
    for (int turn = 0; turn < 20000; ++turn) {
        if (sent < size) {
            ssize_t n = send(fd, data + sent, size - sent, MSG_NOSIGNAL);
            if (n > 0)
                sent += size_t(n);
        } else if (!shut) {
            shutdown(fd, SHUT_WR);
            shut = true;
        }
        r->io.poll();
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR && errno != ENOTCONN))
            break;
    }
    close(fd);
    r->io.poll();
    return 0;
}
