#include "companion/options.h"

#include "companion/version.h"
#include "pelund/profile.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <unistd.h>
#include <vector>

namespace pelund::companion {

std::optional<uint64_t> parseSize(const std::string& text)
{
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return std::nullopt;
    size_t end = 0;
    uint64_t value = 0;
    for (; end < text.size() && text[end] >= '0' && text[end] <= '9'; ++end) {
        if (value > (UINT64_MAX - 9) / 10)
            return std::nullopt;
        value = value * 10 + uint64_t(text[end] - '0');
    }
    std::string unit = text.substr(end);
    int shift = 0;
    if (unit == "K" || unit == "k" || unit == "KiB")
        shift = 10;
    else if (unit == "M" || unit == "MiB")
        shift = 20;
    else if (unit == "G" || unit == "GiB")
        shift = 30;
    else if (!unit.empty())
        return std::nullopt;
    if (shift && value > (UINT64_MAX >> shift))
        return std::nullopt;
    return value << shift;
}

bool isIsolated(const Options& options, const std::string& name)
{
    const std::string& list = options.inProcess;
    if (list == "all")
        return false;
    for (size_t at = 0; at <= list.size();) {
        size_t comma = std::min(list.find(',', at), list.size());
        std::string item = list.substr(at, comma - at);
        item.erase(0, item.find_first_not_of(' '));
        item.erase(item.find_last_not_of(' ') + 1);
        if (item == name)
            return false;
        at = comma + 1;
    }
    return true;
}

namespace {

// One setting: its option and configuration-key name, and how its text is
// stored into the options (false for a bad value).
struct Setting {
    const char* name;
    const char* help;
    std::function<bool(Options&, const std::string&)> store;
};

bool storeNumber(const std::string& text, uint64_t low, uint64_t high, auto& into)
{
    auto v = parseSize(text);
    if (!v || *v < low || *v > high)
        return false;
    into = static_cast<std::remove_reference_t<decltype(into)>>(*v);
    return true;
}

bool storeText(const std::string& text, std::string& into)
{
    if (text.empty())
        return false;
    into = text;
    return true;
}

std::vector<Setting> settings()
{
    const uint64_t big = uint64_t(1) << 50;
    return {
        {"port", "client port (0: any free port)",
         [](Options& o, const std::string& t) { return storeNumber(t, 0, 65535, o.port); }},
        {"web-port", "web page port (0: any free port)",
         [](Options& o, const std::string& t) { return storeNumber(t, 0, 65535, o.webPort); }},
        {"bind", "address or host name to listen on (default: 127.0.0.1 and ::1)",
         [](Options& o, const std::string& t) { return storeText(t, o.bind); }},
        {"uploads", "upload folder (default: $STATE_DIRECTORY)",
         [](Options& o, const std::string& t) { return storeText(t, o.uploads); }},
        {"spool", "folder for spooled replies and plug-in files (default: $TMPDIR or /tmp)",
         [](Options& o, const std::string& t) { return storeText(t, o.spool); }},
        {"plugins", "plug-in folder",
         [](Options& o, const std::string& t) { return storeText(t, o.plugins); }},
        {"in-process-plugins", "plug-ins run inside the server, every other one in a process per "
                               "conversation: names separated by commas, all or none (default: echo,store)",
         [](Options& o, const std::string& t) { return storeText(t, o.inProcess); }},
        {"plugin-memory", "address space of a plug-in host process (0: no limit)",
         [big](Options& o, const std::string& t) { return storeNumber(t, 0, big, o.limits.pluginMemory); }},
        {"max-upload", "largest upload in bytes (K, M, G allowed)",
         [](Options& o, const std::string& t) { return storeNumber(t, 0, 0x7FFFFFFF, o.limits.uploadSize); }},
        {"max-message", "largest plug-in message in bytes",
         [](Options& o, const std::string& t) { return storeNumber(t, 0, 0xFFFFFFFF, o.limits.messageSize); }},
        {"max-connections", "clients served at once",
         [](Options& o, const std::string& t) { return storeNumber(t, 1, 100000, o.limits.connections); }},
        {"max-unread", "unread replies per client before the server stops reading it",
         [big](Options& o, const std::string& t) { return storeNumber(t, 1, big, o.limits.unreadOutput); }},
        {"reply-memory", "unread replies held in memory per client; the rest is spooled",
         [big](Options& o, const std::string& t) { return storeNumber(t, 0, big, o.limits.replyMemory); }},
        {"reply-memory-total", "unread replies held in memory for all clients",
         [big](Options& o, const std::string& t) { return storeNumber(t, 0, big, o.limits.replyMemoryTotal); }},
        {"spool-quota", "disk for spooled replies and plug-in files, all clients",
         [big](Options& o, const std::string& t) { return storeNumber(t, 0, big, o.limits.spoolQuota); }},
        {"idle", "seconds without traffic before a client is dropped",
         [](Options& o, const std::string& t) { return storeNumber(t, 1, 86400 * 7, o.limits.idleSeconds); }},
        {"message-time", "seconds within which a message must arrive whole",
         [](Options& o, const std::string& t) { return storeNumber(t, 1, 86400 * 7, o.limits.messageSeconds); }},
    };
}

int fail(const std::string& text)
{
    std::fprintf(stderr, "companion-server: %s\n", text.c_str());
    return 2;
}

// Reads the [server] section of PATH with the library's profile reader.
// Every key must be a known setting.
bool readConfig(const std::string& path, const std::vector<Setting>& table,
                std::map<std::string, std::string>& values, int& exitCode)
{
    if (access(path.c_str(), R_OK) != 0) {
        exitCode = fail("cannot read configuration file " + path);
        return false;
    }
    std::vector<char> keys(65536);
    int n = psProfile_getProfileString("server", nullptr, "", keys.data(), int(keys.size()), path.c_str());
    for (int at = 0; at < n && keys[size_t(at)];) {
        std::string key = keys.data() + at;
        at += int(key.size()) + 1;
        bool known = false;
        for (const Setting& s : table)
            known = known || key == s.name;
        if (!known) {
            exitCode = fail(path + ": unknown key '" + key + "' in [server]");
            return false;
        }
        char value[4096];
        psProfile_getProfileString("server", key.c_str(), "", value, int(sizeof value), path.c_str());
        values[key] = value;
    }
    return true;
}

}  // namespace

std::optional<Options> parseOptions(int argc, char** argv, int& exitCode)
{
    auto table = settings();
    CLI::App app{"The companion server: commands, uploads and plug-in conversations for PelundLib clients, "
                 "and web pages with its state and logs."};
    app.name("companion-server");
    app.set_version_flag("--version", std::string("companion-server ") + serverVersionText +
                                          " (protocol " + protocolVersionText + ")");
    std::string config;
    app.add_option("--config", config, "configuration file (INI, section [server], keys as the long options)");
    std::map<std::string, std::string> given;
    for (const Setting& s : table)
        app.add_option(std::string("--") + s.name, given[s.name], s.help);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        exitCode = app.exit(e);
        return std::nullopt;
    } catch (const CLI::ParseError& e) {
        exitCode = fail(std::string(e.what()) + " (see --help)");
        return std::nullopt;
    }
    std::map<std::string, std::string> values;
    if (!config.empty() && !readConfig(config, table, values, exitCode))
        return std::nullopt;
    for (const Setting& s : table)
        if (app.count(std::string("--") + s.name))
            values[s.name] = given[s.name];
    Options o;
    for (const Setting& s : table) {
        auto v = values.find(s.name);
        if (v != values.end() && !s.store(o, v->second)) {
            exitCode = fail(std::string("bad value '") + v->second + "' for " + s.name);
            return std::nullopt;
        }
    }
    if (o.uploads.empty()) {
        // Under systemd the state folder; never the working directory.
        const char* state = std::getenv("STATE_DIRECTORY");
        if (!state || !*state) {
            exitCode = fail("no upload folder: give --uploads or set uploads in the configuration file");
            return std::nullopt;
        }
        o.uploads = std::string(state).substr(0, std::string(state).find(':'));
    }
    if (o.spool.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        o.spool = tmp && *tmp ? tmp : "/tmp";
    }
    if (o.plugins.empty())
        o.plugins = defaultPluginFolder();
    return o;
}

}  // namespace pelund::companion
