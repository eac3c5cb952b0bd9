// Argument handling shared by the pelund subcommands.
#ifndef PELUND_TOOLS_CLI_H
#define PELUND_TOOLS_CLI_H

#include <map>
#include <string>
#include <vector>

namespace cli {

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--sep ," gives {"sep", ","}

    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::string get(const std::string& name, const std::string& fallback = "") const
    {
        auto it = options.find(name);
        return it == options.end() ? fallback : it->second;
    }
};

// Splits ARGV into positional words and "--name value" options; an option
// without a value (last word, or followed by another option) is given "1".
Args parse(int argc, char** argv, int first);

int usageError(const char* usage);

// Prints the database message stored for CODE to stderr; returns 1.
int reportFailure(int code);

}  // namespace cli

// One function per subcommand; each returns the process exit status.
int cmdTokens(const cli::Args& args);
int cmdMatch(const cli::Args& args);
int cmdRewrite(const cli::Args& args);
int cmdRanges(const cli::Args& args);
int cmdDecimals(const cli::Args& args);
int cmdInList(const cli::Args& args);
int cmdCrc32(const cli::Args& args);
int cmdSha1(const cli::Args& args);
int cmdSql(const cli::Args& args);
int cmdTables(const cli::Args& args);
int cmdDescribe(const cli::Args& args);
int cmdCopy(const cli::Args& args);
int cmdCreateSql(const cli::Args& args);
int cmdServerCommand(const cli::Args& args);
int cmdUpload(const cli::Args& args);
int cmdPlugin(const cli::Args& args);
int cmdReg(const cli::Args& args);
int cmdFolders(const cli::Args& args);
int cmdQuote(const cli::Args& args);
int cmdDgn(const cli::Args& args);
int cmdColours(const cli::Args& args);
int cmdUsers(const cli::Args& args);
int cmdWhoami(const cli::Args& args);
int cmdIni(const cli::Args& args);
int cmdRegex(const cli::Args& args);

#endif
