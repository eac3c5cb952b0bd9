// pelund: the library's functions from a shell.
#include "cli.h"

#include "pelund/database.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace cli {

Args parse(int argc, char** argv, int first)
{
    Args args;
    for (int i = first; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) == 0 && argv[i][2]) {
            std::string name = argv[i] + 2;
            bool valued = i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0;
            args.options[name] = valued ? argv[++i] : "1";
        } else {
            args.positional.push_back(argv[i]);
        }
    }
    return args;
}

int reportFailure(int code)
{
    std::string message(1 << 16, '\0');
    if (vnDBWin_getErrorTextA(message.data(), code))
        std::fprintf(stderr, "pelund: failed (%d): %s\n", code, message.c_str());
    else
        std::fprintf(stderr, "pelund: failed (%d)\n", code);
    return 1;
}

int usageError(const char* usage)
{
    std::fprintf(stderr, "usage: pelund %s\n", usage);
    return 2;
}

}  // namespace cli

namespace {

struct Command {
    const char* name;
    int (*run)(const cli::Args&);
    const char* summary;
};

const Command commands[] = {
    {"tokens", cmdTokens, "TEXT [--sep S --skip S --trim S --remove S --stop S --quote S]"},
    {"match", cmdMatch, "PATTERN NAME [--level N] [--ignore-case]"},
    {"rewrite", cmdRewrite, "NAME PATTERN TEMPLATE [--level N]"},
    {"ranges", cmdRanges, "LIST [--base B --count N]"},
    {"decimals", cmdDecimals, "LIST [--precision P]"},
    {"in-list", cmdInList, "LIST VALUE [--level N] [--ignore-case]"},
    {"crc32", cmdCrc32, "FILE"},
    {"sha1", cmdSha1, "FILE"},
    {"sql", cmdSql, "CONNECT_STRING STATEMENT"},
    {"tables", cmdTables, "CONNECT_STRING"},
    {"describe", cmdDescribe, "CONNECT_STRING TABLE"},
    {"copy", cmdCopy, "SRC_CONNECT SRC_TABLE DST_CONNECT DST_TABLE"},
    {"create-sql", cmdCreateSql, "CONNECT_STRING TABLE"},
    {"server-command", cmdServerCommand, "HOST PORT COMMAND [--log FILE]"},
    {"upload", cmdUpload, "HOST PORT FILE NAME [--log FILE]"},
    {"plugin", cmdPlugin, "HOST PORT NAME --send FILE|--text TEXT [--out FILE] [--log FILE]"},
    {"reg", cmdReg, "HIVE KEY [VALUE] [--view 32|64]"},
    {"folders", cmdFolders, ""},
    {"quote", cmdQuote, "PATH [--per-component]"},
    {"dgn", cmdDgn, "FILE [NAME]"},
    {"colours", cmdColours, "FILE"},
    {"users", cmdUsers, "[SERVER]"},
    {"whoami", cmdWhoami, ""},
    {"ini", cmdIni, "FILE SECTION KEY [VALUE]"},
    {"regex", cmdRegex, "PATTERN TEXT [--ignore-case]"},
};

void listCommands()
{
    std::fprintf(stderr, "usage: pelund COMMAND ARGS...\n");
    for (const Command& c : commands)
        std::fprintf(stderr, "  pelund %s %s\n", c.name, c.summary);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        listCommands();
        return 2;
    }
    for (const Command& c : commands)
        if (std::strcmp(argv[1], c.name) == 0)
            return c.run(cli::parse(argc, argv, 2));
    std::fprintf(stderr, "pelund: unknown command '%s'\n", argv[1]);
    listCommands();
    return 2;
}
