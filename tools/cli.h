// What the pelund subcommands share: exit statuses, diagnostics and the
// registration of each command with the argument parser.
#ifndef PELUND_TOOLS_CLI_H
#define PELUND_TOOLS_CLI_H

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

namespace cli {

// Exit statuses as grep has them.
constexpr int success = 0;   // done, a match, a true answer
constexpr int negative = 1;  // no match, not found, false
constexpr int failure = 2;   // any error, bad usage included

// Prints "pelund: MESSAGE" (without trailing line ends) on stderr;
// returns failure.
int fail(const std::string& message);

// Tells whether PATH can be opened for reading; when not, says why on
// stderr ("cannot read 'PATH': No such file or directory").
bool canRead(const std::string& path);

// Prints the database message stored for CODE (or, when none is stored,
// WHAT failed) on stderr; returns failure.
int databaseFailure(int code, const std::string& what);

// Connects the library to the database of CONNECT; says why not and
// returns failure when that fails.
int attachDatabase(const std::string& connect);

// Adds the subcommand NAME to APP; when it is chosen, RUN is called after
// parsing and its result becomes *STATUS.
CLI::App* addCommand(CLI::App& app, int& status, const char* name, const char* about,
                     std::function<int()> run);

}  // namespace cli

// One function per source file adds that file's subcommands.
void addTokenCommands(CLI::App& app, int& status);
void addMatchCommands(CLI::App& app, int& status);
void addRangeCommands(CLI::App& app, int& status);
void addChecksumCommands(CLI::App& app, int& status);
void addSqlCommands(CLI::App& app, int& status);
void addTableCommands(CLI::App& app, int& status);
void addServerCommands(CLI::App& app, int& status);
void addOsCommands(CLI::App& app, int& status);
void addDrawingCommands(CLI::App& app, int& status);

#endif
