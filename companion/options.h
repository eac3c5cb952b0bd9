// The companion server's settings: command line, configuration file and
// built-in defaults, in that order of precedence.
#ifndef PELUND_COMPANION_OPTIONS_H
#define PELUND_COMPANION_OPTIONS_H

#include <cstdint>
#include <optional>
#include <string>

namespace pelund::companion {

struct Limits {
    uint64_t uploadSize = 0x7FFFFFFF;              // largest upload (bytes; the wire allows < 2 GiB)
    uint64_t messageSize = 0xFFFFFFFF;             // largest plug-in payload (the wire allows < 4 GiB)
    unsigned connections = 512;                   // clients served at once; more wait in the backlog
    uint64_t unreadOutput = uint64_t(2) << 30;    // unread replies (memory and spool) before reading stops
    uint64_t replyMemory = uint64_t(1) << 20;     // unread replies kept in memory per client
    uint64_t replyMemoryTotal = uint64_t(64) << 20;  // the same for all clients together
    uint64_t spoolQuota = uint64_t(8) << 30;      // spool and plug-in temporary disk, all clients
    unsigned idleSeconds = 60;                    // no byte in either direction
    unsigned messageSeconds = 600;                // from a message's first byte to its last, and
                                                  // for an isolated plug-in's answer
    uint64_t pluginMemory = uint64_t(512) << 20;  // address space of a plug-in host process
};

struct Options {
    int port = 0;
    int webPort = 0;
    std::string bind;        // empty: 127.0.0.1 and ::1
    std::string uploads;     // the upload folder
    std::string spool;       // temporary files: spooled replies, plug-in files
    std::string plugins;     // the plug-in folder
    // Plug-ins run inside the server's process: names separated by commas,
    // "all" or "none". Every other plug-in runs in a host process per
    // conversation, so only the built-in ones are trusted by default.
    std::string inProcess = "echo,store";
    Limits limits;
};

// Parses ARGV (with the file named by --config, if any). Returns the options,
// or nothing with EXIT_CODE set: 0 after --help or --version, 2 after a
// message on standard error about a bad option, value or file.
std::optional<Options> parseOptions(int argc, char** argv, int& exitCode);

// Whether the plug-in called NAME runs in a host process of its own.
bool isIsolated(const Options& options, const std::string& name);

// "64M", "1G", "512K", "4096": bytes; nothing for anything else.
std::optional<uint64_t> parseSize(const std::string& text);

}  // namespace pelund::companion

#endif
