// The pelund tool as a user runs it: arguments in, exit status and a piece
// of its output or diagnostics out, for each command's success, bad usage
// and failure.
#include "server/server_fixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs pelund with ARGS; its output and diagnostics go through files.
Outcome runTool(const std::vector<std::string>& args, const std::string& dir)
{
    std::string out = dir + "/stdout", err = dir + "/stderr";
    pid_t pid = fork();
    if (pid == 0) {
        int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(o, 1);
        dup2(e, 2);
        std::vector<char*> argv{const_cast<char*>("pelund")};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(PELUND_TOOL, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), slurp(out), slurp(err)};
}

enum Stream { Out, Err };

// One run: the arguments ({db}, {port}, ... filled in), the exit status
// and a fragment that the output or the diagnostics must hold.
struct Case {
    std::vector<std::string> args;
    int status;
    Stream stream;
    std::string fragment;
};

class Tool : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::filesystem::temp_directory_path() / ("pelund-tool-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        setenv("ODBCSYSINI", PELUND_ODBC_DIR, 1);
        std::ofstream(dir_ + "/sample.txt") << "123456789";
        std::ofstream(dir_ + "/tool.ini") << "[General]\nDrawings=/srv/plans\n";
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

    // Replaces each {name} of TEXT.
    std::string fill(std::string text) const
    {
        for (const auto& [name, value] : values_)
            for (size_t at; (at = text.find(name)) != std::string::npos;)
                text.replace(at, name.size(), value);
        return text;
    }

    Outcome run(std::vector<std::string> args) const
    {
        for (std::string& a : args)
            a = fill(a);
        return runTool(args, dir_);
    }

    void check(const std::vector<Case>& cases) const
    {
        for (const Case& c : cases) {
            Outcome r = run(c.args);
            std::string command;
            for (const std::string& a : c.args)
                command.append(1, ' ').append(fill(a));
            SCOPED_TRACE("pelund" + command + "\nstdout: " + r.out + "\nstderr: " + r.err);
            EXPECT_EQ(r.status, c.status);
            EXPECT_NE((c.stream == Out ? r.out : r.err).find(fill(c.fragment)), std::string::npos);
            if (c.status == 2) {
                EXPECT_EQ(r.out, "") << "diagnostics belong on stderr";
            }
        }
    }

    static inline std::string dir_;
    std::vector<std::pair<std::string, std::string>> values_{
        {"{dir}", dir_},
        {"{db}", "DRIVER={SQLite3};Database=" + dir_ + "/parts.db;"},
        {"{db2}", "DRIVER={SQLite3};Database=" + dir_ + "/stock.db;"}};
};

TEST_F(Tool, HelpAndVersion)
{
    check({
        {{"--help"}, 0, Out, "Subcommands:"},
        {{"--help"}, 0, Out, "Exit status: 0"},
        {{"--version"}, 0, Out, "pelund " PELUND_VERSION},
        {{"match", "--help"}, 0, Out, "pelund match [OPTIONS] PATTERN NAME"},
        {{"copy", "--help"}, 0, Out, "--replace"},
    });
}

// Every kind of bad usage: status 2 and one line on stderr saying what.
TEST_F(Tool, BadUsageIsOneLineAndStatusTwo)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, "a command is required"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--bogus"}, "--bogus"},
        {{"match", "a"}, "NAME is required"},
        {{"match", "a", "b", "c"}, "not expected: c"},
        {{"match", "--level", "abc", "a", "b"}, "--level"},
        {{"match", "--level", "4", "a", "b"}, "--level"},
        {{"match", "--bogus", "a", "b"}, "--bogus"},
        {{"rewrite", "a", "b"}, "TEMPLATE is required"},
        {{"ranges", "5-1"}, "'5-1' is not a number or a rising range"},
        {{"ranges", "1,x"}, "'x'"},
        {{"ranges", "1-3", "--count", "many"}, "--count"},
        {{"decimals", "abc"}, "'abc' is not a decimal number"},
        {{"decimals", "1", "--precision", "x"}, "--precision"},
        {{"in-list", "1-5"}, "VALUE is required"},
        {{"tokens"}, "TEXT is required"},
        {{"crc32"}, "FILE is required"},
        {{"sha1", "a", "b"}, "not expected: b"},
        {{"sql", "{db}"}, "STATEMENT is required"},
        {{"tables"}, "CONNECT_STRING is required"},
        {{"describe", "{db}"}, "TABLE is required"},
        {{"copy", "{db}", "parts", "{db2}"}, "DST_TABLE is required"},
        {{"create-sql", "{db}"}, "TABLE is required"},
        {{"server-command", "127.0.0.1", "1"}, "COMMAND is required"},
        {{"upload", "127.0.0.1", "1", "f"}, "NAME is required"},
        {{"plugin", "127.0.0.1", "1", "echo"}, "--send,--text"},
        {{"reg", "HKCU"}, "KEY is required"},
        {{"reg", "HKCU", "k", "--view", "16"}, "--view"},
        {{"ini"}, "FILE is required"},
        {{"folders", "x"}, "not expected: x"},
        {{"quote"}, "PATH is required"},
        {{"users", "a", "b"}, "not expected: b"},
        {{"whoami", "x"}, "not expected: x"},
        {{"regex", "a"}, "TEXT is required"},
        {{"dgn"}, "FILE is required"},
        {{"dgn", "f", "Title", "--is-v8"}, "excludes"},
        {{"colours"}, "FILE is required"},
    };
    for (const auto& [args, fragment] : cases) {
        Outcome r = run(args);
        std::string command;
        for (const std::string& a : args)
            command.append(1, ' ').append(a);
        SCOPED_TRACE("pelund" + command + "\nstderr: " + r.err);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("pelund: ", 0), 0u);
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line";
        EXPECT_NE(r.err.find(fragment), std::string::npos);
    }
}

TEST_F(Tool, TextCommands)
{
    check({
        {{"tokens", " a, b ,'c,d'", "--skip", " ", "--trim", " ", "--quote", "'"}, 0, Out, "[a]\n[b]\n[c,d]\n"},
        {{"match", "*.dgn", "plan.dgn"}, 0, Out, "match"},
        {{"match", "*.dgn", "plan.pdf"}, 1, Out, "no match"},
        {{"match", "--level", "1", "--ignore-case", "*.DGN", "plan.dgn"}, 0, Out, "match"},
        {{"match", "--", "-x*", "-xy"}, 0, Out, "match"},
        {{"rewrite", "plan.dgn", "*.dgn", "*.pdf"}, 0, Out, "plan.pdf\n"},
        {{"rewrite", "plan.pdf", "*.dgn", "*.pdf"}, 1, Err, "'plan.pdf' does not fit '*.dgn'"},
        {{"rewrite", "plan.dgn", "*.dgn", "*-*.pdf"}, 2, Err, "more wildcards"},
        {{"ranges", "7,1-3,2,9"}, 0, Out, "list\tmask\n1-3,7,9\t8e02"},
        {{"ranges", "7,1-3", "--json"}, 0, Out, "[{\"list\":\"1-3,7\",\"mask\":\"8e00"},
        {{"ranges", "1-3", "--base", "5", "--count", "5"}, 2, Err, "--base 5 must be below --count 5"},
        {{"decimals", "3, 1-10, 2-3, 12.5"}, 0, Out, "1.0-10.0, 12.5\n"},
        {{"in-list", "1-5, 10, A*", "3"}, 0, Out, "in range 1-5"},
        {{"in-list", "1-5, 10, A*", "7"}, 1, Out, "not in list"},
        {{"crc32", "{dir}/sample.txt"}, 0, Out, "cbf43926\n"},
        {{"crc32", "{dir}/missing"}, 2, Err, "cannot read '{dir}/missing': No such file or directory"},
        {{"sha1", "{dir}/sample.txt"}, 0, Out, "f7c3bc1d808e04732adf679965ccc34ca7ae3441"},
        {{"sha1", "{dir}"}, 2, Err, "cannot read '{dir}'"},
    });
}

TEST_F(Tool, DatabaseCommands)
{
    check({
        {{"sql", "{db}", "CREATE TABLE parts (id INTEGER, name VARCHAR(40))"}, 0, Out, ""},
        {{"sql", "{db}", "INSERT INTO parts VALUES (1, 'flange'), (2, 'tab\there'), (3, 'back\\slash')"}, 0, Out, ""},
        {{"sql", "{db}", "SELECT id, name FROM parts ORDER BY id"}, 0, Out,
         "id\tname\n1\tflange\n2\ttab\\there\n3\tback\\\\slash\n"},
        {{"sql", "--json", "{db}", "SELECT name FROM parts WHERE id = 2"}, 0, Out, "[{\"name\":\"tab\\there\"}]"},
        {{"sql", "{db}", "SELECT * FROM nowhere"}, 2, Err, "pelund: no such table: nowhere"},
        {{"sql", "DRIVER={No Such Driver};", "SELECT 1"}, 2, Err, "No Such Driver"},
        {{"tables", "{db}"}, 0, Out, "table\nparts\n"},
        {{"tables", "--json", "{db}"}, 0, Out, "[{\"table\":\"parts\"}]"},
        {{"tables", "DRIVER={No Such Driver};"}, 2, Err, "No Such Driver"},
        {{"describe", "{db}", "parts"}, 0, Out, "column\ttype\ttype_code\tsize\tscale\tnullable\nid\tINTEGER\t4\t"},
        {{"describe", "{db}", "parts", "--json"}, 0, Out, "\"type\":\"VARCHAR\""},
        {{"describe", "{db}", "nowhere"}, 1, Err, "no table 'nowhere'"},
        {{"create-sql", "{db}", "parts"}, 0, Out, "CREATE TABLE parts (id INTEGER"},
        {{"create-sql", "{db}", "nowhere"}, 1, Err, "no table 'nowhere'"},
        {{"copy", "{db}", "parts", "{db2}", "copied"}, 0, Out, "3 rows copied in "},
        {{"copy", "{db}", "parts", "{db2}", "copied"}, 2, Err, "table 'copied' exists in the destination database; --replace"},
        {{"copy", "{db}", "parts", "{db2}", "copied", "--replace"}, 0, Out, "3 rows copied in "},
        {{"copy", "{db}", "nowhere", "{db2}", "other"}, 2, Err, "no table 'nowhere' in the source database"},
        {{"copy", "{db}", "parts", "DRIVER={No Such Driver};", "other"}, 2, Err, "No Such Driver"},
        {{"sql", "{db2}", "SELECT COUNT(*) AS n FROM copied"}, 0, Out, "n\n3\n"},
    });
}

TEST_F(Tool, ServerCommands)
{
    servertest::CompanionServer server;
    ASSERT_TRUE(server.running());
    values_.push_back({"{port}", server.port()});
    std::string missingLog = dir_ + "/made.log";
    check({
        {{"server-command", "127.0.0.1", "{port}", "version"}, 0, Out, "5.1\n"},
        {{"server-command", "127.0.0.1", "1", "version"}, 2, Err, "cannot connect to 127.0.0.1 port 1: Connection refused"},
        {{"server-command", "127.0.0.1", "{port}", "version", "--log", "{dir}/made.log"}, 0, Out, "5.1"},
        {{"server-command", "127.0.0.1", "{port}", "version", "--log", "{dir}/no/such.log"}, 2, Err, "cannot create the log file"},
        {{"upload", "127.0.0.1", "{port}", "{dir}/sample.txt", "list.txt"}, 0, Out, "uploaded"},
        {{"upload", "127.0.0.1", "{port}", "{dir}/sample.txt", "../evil.txt"}, 2, Err, "upload refused by the server: name '../evil.txt'"},
        {{"upload", "127.0.0.1", "{port}", "{dir}/missing", "x.txt"}, 2, Err, "cannot read '{dir}/missing'"},
        {{"upload", "127.0.0.1", "1", "{dir}/sample.txt", "x.txt"}, 2, Err, "cannot connect to 127.0.0.1 port 1"},
        {{"plugin", "127.0.0.1", "{port}", "echo", "--text", "hello"}, 0, Out, "5 bytes back: hello"},
        {{"plugin", "127.0.0.1", "{port}", "echo", "--send", "{dir}/sample.txt", "--out", "{dir}/reply"}, 0, Out, "reply written to"},
        {{"plugin", "127.0.0.1", "{port}", "no-such-plugin", "--text", "x"}, 2, Err, "plug-in 'no-such-plugin' refused by the server"},
        {{"plugin", "127.0.0.1", "1", "echo", "--text", "x"}, 2, Err, "cannot connect to 127.0.0.1 port 1"},
    });
    EXPECT_EQ(servertest::readFile(server.uploads() + "/list.txt"), "123456789");
    EXPECT_EQ(servertest::readFile(dir_ + "/reply"), "123456789");
    EXPECT_NE(servertest::readFile(missingLog).find("Banner read"), std::string::npos)
        << "--log creates a missing file, and the library writes it";
}

TEST_F(Tool, OperatingSystemCommands)
{
    check({
        {{"folders"}, 0, Out, "folder\tpath\nuser application data\t"},
        {{"folders", "--json"}, 0, Out, "{\"folder\":\"computer name\",\"path\":"},
        {{"quote", "C:\\Program Files\\x.exe", "--per-component"}, 0, Out, "C:\\\"Program Files\"\\x.exe"},
        {{"users"}, 0, Out, "name\tfull_name\n"},
        {{"users", "--json"}, 0, Out, "["},
        {{"ini", "{dir}/tool.ini"}, 0, Out, "section\tkey\tvalue\nGeneral\tDrawings\t/srv/plans\n"},
        {{"ini", "{dir}/tool.ini", "General", "Drawings", "--json"}, 0, Out, "\"value\":\"/srv/plans\""},
        {{"ini", "{dir}/tool.ini", "General", "Missing"}, 1, Err, "no key 'Missing'"},
        {{"ini", "{dir}/missing.ini", "General", "Drawings"}, 2, Err, "cannot read '{dir}/missing.ini'"},
        {{"ini", "{dir}/new.ini", "Paths", "Out", "tab\there"}, 0, Out, ""},
        {{"ini", "{dir}/new.ini", "Paths"}, 0, Out, "Paths\tOut\ttab\\there\n"},
        {{"ini", "{dir}/new.ini", "Bad]", "k", "v"}, 2, Err, "cannot write"},
        {{"reg", "HKCU", "Software/PelundLib/NoSuchKey"}, 1, Err, "no string value"},
        {{"regex", "^plan-[0-9]+$", "PLAN-02", "--ignore-case"}, 0, Out, "match"},
        {{"regex", "^plan", "elev"}, 1, Out, "no match"},
        {{"regex", "a(", "a"}, 2, Err, "invalid pattern 'a('"},
    });
}

TEST_F(Tool, DrawingCommands)
{
    std::string drawing = dir_ + "/sample.dgn";
    ASSERT_EQ(std::system((std::string(PELUND_SAMPLE_DRAWING) + " " + drawing + " >/dev/null").c_str()), 0);
    std::ofstream(dir_ + "/table.rgb", std::ios::binary) << std::string(768, '\x10');
    check({
        {{"dgn", "{dir}/sample.dgn"}, 0, Out, "set\tname\tvalue\nsummary\tTitle\t"},
        {{"dgn", "{dir}/sample.dgn", "--json"}, 0, Out, "{\"set\":\"summary\",\"name\":\"Title\""},
        {{"dgn", "{dir}/sample.dgn", "Author"}, 0, Out, "\n"},
        {{"dgn", "{dir}/sample.dgn", "No Such Property"}, 1, Err, "no property 'No Such Property'"},
        {{"dgn", "{dir}/sample.dgn", "--is-v8"}, 0, Out, "yes"},
        {{"dgn", "{dir}/sample.txt"}, 2, Err, "'{dir}/sample.txt' is not a compound file"},
        {{"dgn", "{dir}/missing.dgn"}, 2, Err, "cannot read '{dir}/missing.dgn': No such file"},
        {{"dgn", "{dir}/missing.dgn", "Title"}, 2, Err, "cannot read"},
        {{"colours", "{dir}/table.rgb"}, 0, Out, "255   16  16  16\n"},
        {{"colours", "{dir}/sample.txt"}, 2, Err, "is not a colour table"},
        {{"colours", "{dir}/missing.rgb"}, 2, Err, "cannot read"},
    });
}

}  // namespace
