#include "cli.h"

#include "pelund/launch.h"
#include "pelund/system.h"

#include <cstdio>
#include <string>

// Prints a string value of the registry store.
int cmdReg(const cli::Args& args)
{
    if (args.positional.size() < 2 || args.positional.size() > 3)
        return cli::usageError("reg HIVE KEY [VALUE] [--view 32|64]");
    std::u16string hive = cli::fromUtf8(args.positional[0]);
    std::u16string key = cli::fromUtf8(args.positional[1]);
    std::u16string name = args.positional.size() == 3 ? cli::fromUtf8(args.positional[2]) : u"";
    std::string view = args.get("view");
    char16_t value[501] = {};
    int rc = psWinAPI_readRegistryValue(value, hive.c_str(), key.c_str(),
                                        args.positional.size() == 3 ? name.c_str() : nullptr, 500,
                                        view == "32" ? 1 : view == "64" ? 2 : 0);
    if (rc != 0) {
        std::fprintf(stderr, "pelund: no such value\n");
        return 1;
    }
    std::printf("%s\n", cli::toUtf8(value).c_str());
    return 0;
}

namespace {

int systemFolder(char16_t* path) { return psWinAPI_fileGetSystem32AppDataPath(path, 0); }
int systemFolder64(char16_t* path) { return psWinAPI_fileGetSystem32AppDataPath(path, 1); }

}  // namespace

// Prints every standard folder.
int cmdFolders(const cli::Args&)
{
    struct Row {
        const char* name;
        int (*get)(char16_t*);
    };
    const Row rows[] = {
        {"user application data", psWinAPI_fileGetUserAppDataPath},
        {"application data for all users", psWinAPI_fileGetAllUsersAppDataPath},
        {"program files", psWinAPI_fileGetProgramFilesPath},
        {"system", systemFolder},
        {"system (64-bit)", systemFolder64},
    };
    int status = 0;
    for (const Row& r : rows) {
        char16_t path[PS_MAX_PATH] = {};
        int rc = r.get(path);
        if (rc == 0) {
            std::printf("%-31s %s\n", r.name, cli::toUtf8(path).c_str());
        } else {
            std::printf("%-31s (error %d)\n", r.name, rc);
            status = 1;
        }
    }
    char host[256] = {};
    psWinAPI_getComputerNameA(host);
    std::printf("%-31s %s\n", "computer name", host);
    return status;
}

// Prints PATH quoted for a command line.
int cmdQuote(const cli::Args& args)
{
    if (args.positional.size() != 1)
        return cli::usageError("quote PATH [--per-component]");
    const std::string& path = args.positional[0];
    std::string out(path.size() * 3 + 3, '\0');
    if (vnFile_quotePathA(out.data(), path.c_str(), args.has("per-component")) != 0) {
        std::fprintf(stderr, "pelund: nothing to quote\n");
        return 1;
    }
    std::printf("%s\n", out.c_str());
    return 0;
}
