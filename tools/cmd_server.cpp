#include "cli.h"

#include "pelund/misc.h"
#include "pelund/server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ServerOptions {
    std::string host, port, command, file, name, send, text, out, log;
};

// The debug log of one exchange: the file of --log (created when missing,
// since the library only appends to an existing one) or a private
// temporary file. Either way the tool reads back what the library wrote
// during the exchange to say why it failed.
class ExchangeLog {
public:
    // Returns false, after saying why, when the file cannot be made.
    bool open(const std::string& path)
    {
        if (path.empty()) {
            const char* dir = std::getenv("TMPDIR");
            path_ = std::string(dir && *dir ? dir : "/tmp") + "/pelund-log.XXXXXX";
            int fd = mkstemp(path_.data());
            if (fd < 0)
                return failed("cannot create a temporary log file in", std::strerror(errno));
            close(fd);
            temporary_ = true;
            return true;
        }
        path_ = path;
        int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fd < 0)
            return failed("cannot create the log file", std::strerror(errno));
        struct stat st;
        start_ = fstat(fd, &st) == 0 ? st.st_size : 0;
        close(fd);
        return true;
    }

    ~ExchangeLog()
    {
        if (temporary_)
            unlink(path_.c_str());
    }

    const char* path() const { return path_.c_str(); }

    // The messages written since open, each without its time stamp.
    std::vector<std::string> messages() const
    {
        std::ifstream in(path_);
        in.seekg(start_);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) {
            size_t mark = line.find("> ");
            out.push_back(mark == std::string::npos ? line : line.substr(mark + 2));
        }
        return out;
    }

    // The reason of the last socket failure in the log ("Connection
    // refused by remote host"), or empty.
    std::string socketReason() const
    {
        std::string reason;
        for (const std::string& m : messages()) {
            size_t at = m.find("Socket error: (");
            size_t dash = at == std::string::npos ? at : m.find(") - ", at);
            if (dash != std::string::npos)
                reason = m.substr(dash + 4);
        }
        return reason;
    }

    bool contains(const char* text) const
    {
        for (const std::string& m : messages())
            if (m.find(text) != std::string::npos)
                return true;
        return false;
    }

private:
    bool failed(const char* what, const char* why)
    {
        std::fprintf(stderr, "pelund: %s '%s': %s\n", what, path_.c_str(), why);
        return false;
    }

    std::string path_;
    std::streamoff start_ = 0;
    bool temporary_ = false;
};

int connectFailure(const ServerOptions& o, const ExchangeLog& log)
{
    std::string reason = log.socketReason();
    return cli::fail("cannot connect to " + o.host + " port " + o.port +
                     (reason.empty() ? "" : ": " + reason));
}

// Sends COMMAND to the companion server and prints its answer.
int runServerCommand(const ServerOptions& o)
{
    ExchangeLog log;
    if (!log.open(o.log))
        return cli::failure;
    char response[4096], message[1024] = "";
    size_t length = 0;
    int rc = vnServer_sendCommand(o.host.c_str(), o.port.c_str(), o.command.c_str(), response,
                                  sizeof response - 1, &length, message, log.path());
    if (rc != 0) {
        if (std::strstr(message, "Open socket failed"))
            return connectFailure(o, log);
        return cli::fail("command '" + o.command + "' failed: " + message);
    }
    std::printf("%.*s\n", int(strnlen(response, length)), response);
    return cli::success;
}

// Uploads FILE under NAME.
int runUpload(const ServerOptions& o)
{
    ExchangeLog log;
    if (!log.open(o.log) || !cli::canRead(o.file))
        return cli::failure;
    int rc = vnServer_sendFile(o.host.c_str(), o.port.c_str(), o.file.c_str(), o.name.c_str(), 0,
                               log.path());
    if (rc == 6)
        return connectFailure(o, log);
    if (rc != 0 && log.contains("Did not receive OK message"))
        return cli::fail("upload refused by the server: name '" + o.name + "'");
    if (rc != 0) {
        std::vector<std::string> m = log.messages();
        return cli::fail("upload of '" + o.file + "' failed" + (m.empty() ? "" : ": " + m.back()));
    }
    std::printf("uploaded %s as %s\n", o.file.c_str(), o.name.c_str());
    return cli::success;
}

// Sends the file or text to the open plug-in and takes its reply.
int pluginExchange(const ServerOptions& o, socketData* c, const char* version)
{
    int rc = !o.send.empty() ? vnServer_sendFileToPlugin(c, o.send.c_str())
                             : vnServer_sendBufferToPlugin(c, o.text.data(), o.text.size());
    if (rc != 0)
        return cli::fail("sending to plug-in '" + o.name + "' failed");
    if (!o.out.empty()) {
        if (vnServer_getFileFromPlugin(c, o.out.c_str()) != 0)
            return cli::fail("no whole reply from plug-in '" + o.name + "'");
        std::printf("plug-in %s %s: reply written to %s\n", o.name.c_str(), version, o.out.c_str());
        return cli::success;
    }
    void* reply = nullptr;
    size_t size = 0;
    if (vnServer_getDataFromPlugin(c, &reply, &size) != 0)
        return cli::fail("no whole reply from plug-in '" + o.name + "'");
    std::printf("plug-in %s %s: %zu bytes back: %.*s\n", o.name.c_str(), version, size,
                int(size < 60 ? size : 60), static_cast<char*>(reply));
    psMisc_freeBuffer(&reply);
    return cli::success;
}

// Opens plug-in NAME, sends FILE (or the text of --text) and prints the
// size and start of the reply, or writes it to --out.
int runPlugin(const ServerOptions& o)
{
    ExchangeLog log;
    if (!log.open(o.log) || (!o.send.empty() && !cli::canRead(o.send)))
        return cli::failure;
    vnServer_startWinsock(nullptr);
    socketData* c = nullptr;
    char version[6] = "";
    int rc = vnServer_openConnectionToPlugin(&c, o.host.c_str(), o.port.c_str(), o.name.c_str(),
                                             version, log.path());
    int status = cli::success;
    if (rc == 6)
        status = connectFailure(o, log);
    else if (rc != 0)
        status = cli::fail("plug-in '" + o.name + "' refused by the server");
    else
        status = pluginExchange(o, c, version);
    if (c)
        vnServer_closeConnectionToPlugin(c);
    return status;
}

CLI::App* serverCommand(CLI::App& app, int& status, const char* name, const char* about,
                        int (*run)(const ServerOptions&), std::shared_ptr<ServerOptions> o)
{
    CLI::App* c = cli::addCommand(app, status, name, about, [o, run] { return run(*o); });
    c->add_option("HOST", o->host, "the server's host")->required();
    c->add_option("PORT", o->port, "the server's port")->required();
    c->add_option("--log", o->log, "append the debug log to this file (created when missing)");
    return c;
}

}  // namespace

void addServerCommands(CLI::App& app, int& status)
{
    auto o = std::make_shared<ServerOptions>();
    CLI::App* c = serverCommand(app, status, "server-command",
                                "Send COMMAND to the companion server and print its answer",
                                runServerCommand, o);
    c->add_option("COMMAND", o->command, "the command")->required();

    c = serverCommand(app, status, "upload", "Upload FILE to the companion server under NAME",
                      runUpload, o);
    c->add_option("FILE", o->file, "the local file")->required();
    c->add_option("NAME", o->name, "the name on the server")->required();

    c = serverCommand(app, status, "plugin", "Send a file or text to a plug-in of the server",
                      runPlugin, o);
    c->add_option("NAME", o->name, "the plug-in")->required();
    CLI::Option_group* payload = c->add_option_group("payload", "what to send: one of");
    payload->add_option("--send", o->send, "send this file");
    payload->add_option("--text", o->text, "send this text");
    payload->require_option(1);
    c->add_option("--out", o->out, "write the reply to this file");
}
