// companion-server: the program. Reads its settings, listens, loads the
// plug-ins, prints "ready PORT WEBPORT" on standard output once it accepts
// clients, and runs until SIGTERM or SIGINT, when it ends every session
// (discarding unfinished uploads) and exits 0.
#include "companion/event_log.h"
#include "companion/options.h"
#include "companion/plugin_loader.h"
#include "companion/server.h"
#include "companion/upload_folder.h"
#include "companion/version.h"
#include "companion/web_pages.h"

#include <asio.hpp>

#include <csignal>
#include <cstdio>

using namespace pelund::companion;

namespace {

// The addresses to listen on: loopback (IPv4 and IPv6) unless BIND names
// an address or a host name, which must resolve.
bool resolveBind(asio::io_context& io, const std::string& bind, std::vector<asio::ip::address>& out)
{
    if (bind.empty()) {
        out = {asio::ip::address_v4::loopback(), asio::ip::address_v6::loopback()};
        return true;
    }
    asio::error_code error;
    auto results = asio::ip::tcp::resolver(io).resolve(bind, "", error);
    if (error) {
        std::fprintf(stderr, "companion-server: cannot resolve --bind '%s': %s\n", bind.c_str(),
                     error.message().c_str());
        return false;
    }
    for (const auto& r : results) {
        auto a = r.endpoint().address();
        if (std::find(out.begin(), out.end(), a) == out.end())
            out.push_back(a);
    }
    return !out.empty();
}

}  // namespace

int main(int argc, char** argv)
{
    int exitCode = 0;
    auto options = parseOptions(argc, argv, exitCode);
    if (!options)
        return exitCode;
    std::signal(SIGPIPE, SIG_IGN);

    asio::io_context io(1);
    std::vector<asio::ip::address> addresses;
    if (!resolveBind(io, options->bind, addresses))
        return 2;

    EventLog log;
    UploadFolder uploads;
    std::string error;
    if (!uploads.open(options->uploads, error)) {
        std::fprintf(stderr, "companion-server: %s\n", error.c_str());
        return 1;
    }
    uploads.removeLeftovers();
    PluginSet plugins;
    plugins.load(options->plugins, log);
    log.setPlugins(plugins.describe());

    Server server(io, *options, log, plugins, uploads);
    if (!server.listen(addresses, error)) {
        std::fprintf(stderr, "companion-server: %s\n", error.c_str());
        return 1;
    }
    WebPages web(log);
    std::vector<std::string> names;
    for (const auto& a : addresses)
        names.push_back(a.to_string());
    if (!web.listen(names, options->webPort, error)) {
        std::fprintf(stderr, "companion-server: %s\n", error.c_str());
        return 1;
    }
    server.setWebPort(web.port());
    web.start();
    server.start();

    asio::signal_set signals(io, SIGTERM, SIGINT);
    signals.async_wait([&](asio::error_code, int number) {
        log.note(EventKind::debug, std::string("stopping on ") + (number == SIGTERM ? "SIGTERM" : "SIGINT"));
        server.stop();
        io.stop();
    });
    log.note(EventKind::debug, std::string("companion-server ") + serverVersionText + " ready on port " +
                                   std::to_string(server.port()) + ", web port " + std::to_string(web.port()));
    std::printf("ready %d %d\n", server.port(), web.port());
    std::fflush(stdout);
    io.run();
    // The sessions' cancelled operations finish here, while the server
    // they belong to still exists.
    io.restart();
    io.poll();
    web.stop();
    return 0;
}
