#include "cli.h"

#include "pelund/misc.h"
#include "pelund/server.h"

#include <cstdio>
#include <string>

namespace {

// The debug log named by --log (a file that must exist), or none.
const char* logPath(const cli::Args& args)
{
    auto it = args.options.find("log");
    return it == args.options.end() ? nullptr : it->second.c_str();
}

}  // namespace

// Sends COMMAND to the companion server and prints its answer.
int cmdServerCommand(const cli::Args& args)
{
    if (args.positional.size() != 3)
        return cli::usageError("server-command HOST PORT COMMAND [--log FILE]");
    char response[4096], message[1024];
    size_t length = 0;
    int rc = vnServer_sendCommand(args.positional[0].c_str(), args.positional[1].c_str(),
                                  args.positional[2].c_str(), response, sizeof response - 1,
                                  &length, message, logPath(args));
    if (rc != 0) {
        std::fprintf(stderr, "pelund: %s\n", message);
        return 1;
    }
    response[length] = '\0';
    std::printf("%s\n", response);
    return 0;
}

// Uploads FILE under NAME.
int cmdUpload(const cli::Args& args)
{
    if (args.positional.size() != 4)
        return cli::usageError("upload HOST PORT FILE NAME [--log FILE]");
    int rc = vnServer_sendFile(args.positional[0].c_str(), args.positional[1].c_str(),
                               args.positional[2].c_str(), args.positional[3].c_str(), 0, logPath(args));
    if (rc != 0) {
        std::fprintf(stderr, "pelund: upload failed (%d)\n", rc);
        return 1;
    }
    std::printf("uploaded\n");
    return 0;
}

// Opens plug-in NAME, sends FILE (or the text of --text) and prints the
// size of the reply, or writes it to --out.
int cmdPlugin(const cli::Args& args)
{
    if (args.positional.size() != 3 || (!args.has("send") && !args.has("text")))
        return cli::usageError("plugin HOST PORT NAME --send FILE|--text TEXT [--out FILE] [--log FILE]");
    vnServer_startWinsock(nullptr);
    socketData* c = nullptr;
    char version[6] = "";
    int rc = vnServer_openConnectionToPlugin(&c, args.positional[0].c_str(),
                                             args.positional[1].c_str(),
                                             args.positional[2].c_str(), version, logPath(args));
    if (rc != 0) {
        std::fprintf(stderr, "pelund: plug-in '%s' not opened (%d)\n", args.positional[2].c_str(), rc);
        if (c)
            vnServer_closeConnectionToPlugin(c);
        return 1;
    }
    std::string text = args.get("text");
    rc = args.has("send") ? vnServer_sendFileToPlugin(c, args.get("send").c_str())
                          : vnServer_sendBufferToPlugin(c, text.data(), text.size());
    if (rc == 0) {
        if (args.has("out")) {
            rc = vnServer_getFileFromPlugin(c, args.get("out").c_str());
            if (rc == 0)
                std::printf("plug-in %s %s: reply written to %s\n", args.positional[2].c_str(),
                            version, args.get("out").c_str());
        } else {
            void* reply = nullptr;
            size_t size = 0;
            rc = vnServer_getDataFromPlugin(c, &reply, &size);
            if (rc == 0)
                std::printf("plug-in %s %s: %zu bytes back: %.*s\n", args.positional[2].c_str(),
                            version, size, int(size < 60 ? size : 60), static_cast<char*>(reply));
            psMisc_freeBuffer(&reply);
        }
    }
    vnServer_closeConnectionToPlugin(c);
    if (rc != 0) {
        std::fprintf(stderr, "pelund: plug-in exchange failed (%d)\n", rc);
        return 1;
    }
    return 0;
}
