#include "cli.h"

#include "frame/utf.h"

#include "pelund/accounts.h"
#include "pelund/launch.h"
#include "pelund/profile.h"
#include "pelund/regex.h"
#include "pelund/system.h"

#include <cstdio>
#include <string>

// Prints a string value of the registry store.
int cmdReg(const cli::Args& args)
{
    if (args.positional.size() < 2 || args.positional.size() > 3)
        return cli::usageError("reg HIVE KEY [VALUE] [--view 32|64]");
    std::u16string hive = pelund::utf8ToUtf16(args.positional[0]);
    std::u16string key = pelund::utf8ToUtf16(args.positional[1]);
    std::u16string name = args.positional.size() == 3 ? pelund::utf8ToUtf16(args.positional[2]) : u"";
    std::string view = args.get("view");
    char16_t value[501] = {};
    int rc = psWinAPI_readRegistryValue(value, hive.c_str(), key.c_str(),
                                        args.positional.size() == 3 ? name.c_str() : nullptr, 500,
                                        view == "32" ? 1 : view == "64" ? 2 : 0);
    if (rc != 0) {
        std::fprintf(stderr, "pelund: no such value\n");
        return 1;
    }
    std::printf("%s\n", pelund::utf16ToUtf8(value).c_str());
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
            std::printf("%-31s %s\n", r.name, pelund::utf16ToUtf8(path).c_str());
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

// Lists the normal accounts of this computer with their full names.
int cmdUsers(const cli::Args& args)
{
    const char* server = args.positional.empty() ? nullptr : args.positional[0].c_str();
    char **names = nullptr, **fullNames = nullptr;
    int count = 0;
    psDomain_getAllUsers(server, &names, &fullNames, &count);
    for (int k = 0; k < count; ++k)
        std::printf("%-20s %s\n", names[k], fullNames[k]);
    psDomain_freeAllUsers(names, fullNames, count);
    return 0;
}

// Prints the logged-on user's display name and full name.
int cmdWhoami(const cli::Args&)
{
    char display[256] = {}, full[256] = {};
    int rc = psDomain_getCurrentLoginName(display, sizeof display);
    if (rc != 0) {
        std::fprintf(stderr, "pelund: no logged-on user (error %d)\n", rc);
        return 1;
    }
    psDomain_getUserFullName(nullptr, full, nullptr);
    std::printf("display name  %s\nfull name     %s\n", display, full);
    return 0;
}

// Reads a profile value, or writes one when VALUE is given.
int cmdIni(const cli::Args& args)
{
    if (args.positional.size() < 3 || args.positional.size() > 4)
        return cli::usageError("ini FILE SECTION KEY [VALUE]");
    const std::string& file = args.positional[0];
    if (args.positional.size() == 4) {
        int rc = psProfile_writeProfileString(args.positional[1].c_str(), args.positional[2].c_str(),
                                              args.positional[3].c_str(), file.c_str());
        if (rc != 0)
            std::fprintf(stderr, "pelund: cannot write %s (error %d)\n", file.c_str(), rc);
        return rc != 0;
    }
    std::string value(65536, '\0');
    psProfile_getProfileString(args.positional[1].c_str(), args.positional[2].c_str(), "", value.data(),
                               int(value.size()), file.c_str());
    std::printf("%s\n", value.c_str());
    return 0;
}

// Tells whether PATTERN matches somewhere in TEXT (exit status 0 when it does).
int cmdRegex(const cli::Args& args)
{
    if (args.positional.size() != 2)
        return cli::usageError("regex PATTERN TEXT [--ignore-case]");
    char error[256] = {};
    void* pattern = psRegex_create(args.positional[0].c_str(), args.has("ignore-case"), 0, error);
    if (!pattern) {
        std::fprintf(stderr, "pelund: invalid pattern: %s\n", error);
        return 2;
    }
    int match = psRegex_matchString(pattern, args.positional[1].c_str());
    psRegex_destroy(pattern);
    std::printf("%s\n", match ? "match" : "no match");
    return match ? 0 : 1;
}
