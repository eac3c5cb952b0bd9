// pelund: the library's functions from a shell.
#include "cli.h"

#include "pelund/database.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

namespace cli {

int fail(const std::string& message)
{
    size_t end = message.find_last_not_of("\n ");
    std::fprintf(stderr, "pelund: %s\n", message.substr(0, end == std::string::npos ? 0 : end + 1).c_str());
    return failure;
}

bool canRead(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fail("cannot read '" + path + "': " + std::strerror(errno));
        return false;
    }
    close(fd);
    return true;
}

int databaseFailure(int code, const std::string& what)
{
    std::string message(1 << 16, '\0');
    if (!vnDBWin_getErrorTextA(message.data(), code))
        return fail(what);
    message.resize(message.find('\0'));
    return fail(message.find_first_not_of("\n ") == std::string::npos ? what : message);
}

CLI::App* addCommand(CLI::App& app, int& status, const char* name, const char* about,
                     std::function<int()> run)
{
    CLI::App* command = app.add_subcommand(name, about);
    command->callback([&status, run] { status = run(); });
    return command;
}

}  // namespace cli

namespace {

const char* const exitStatuses =
    "Exit status: 0 success, a match or a true answer; 1 a negative answer (no match, "
    "not found, false); 2 an error.";

}  // namespace

int main(int argc, char** argv)
{
    // 8-bit text in the user's encoding; numbers keep the '.' that lists
    // and SQL text are written with.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");

    CLI::App app("pelund: the functions of PelundLib from a shell", "pelund");
    app.set_version_flag("--version", std::string("pelund ") + PELUND_VERSION);
    app.footer(exitStatuses);
    int status = cli::success;
    addTokenCommands(app, status);
    addMatchCommands(app, status);
    addRangeCommands(app, status);
    addChecksumCommands(app, status);
    addSqlCommands(app, status);
    addTableCommands(app, status);
    addServerCommands(app, status);
    addOsCommands(app, status);
    addDrawingCommands(app, status);
    if (argc < 2)
        return cli::fail("a command is required; pelund --help lists them");
    auto named = [&](CLI::App* command) { return command->check_name(argv[1]); };
    if (argv[1][0] != '-' && app.get_subcommands(named).empty())
        return cli::fail(std::string("unknown command '") + argv[1] + "'; pelund --help lists them");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);  // --help or --version
    } catch (const CLI::ParseError& e) {
        std::string what = e.what();
        for (char& c : what)
            if (c == '\n')
                c = ' ';
        return cli::fail(what);
    } catch (const std::exception& e) {
        return cli::fail(e.what());
    }
    if (app.get_subcommands().empty())
        return cli::fail("a command is required; pelund --help lists them");
    return status;
}
