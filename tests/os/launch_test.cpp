#include "pelund/launch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "os/shell_words.h"
#include "tests/support/temp_folder.h"
#include "tests/support/text.h"

using testing_support::readFile;
using testing_support::TempFolder;

namespace {

constexpr auto& u16 = testing_support::widen;

// The lines the helper recorded, once it wrote "end" (empty after 10 s).
std::vector<std::string> recorded(const std::string& path)
{
    for (int k = 0; k < 1000; ++k) {
        std::string text = readFile(path);
        if (text.size() >= 4 && text.compare(text.size() - 4, 4, "end\n") == 0) {
            std::vector<std::string> lines;
            for (size_t at = 0; at < text.size();) {
                size_t end = text.find('\n', at);
                lines.push_back(text.substr(at, end - at));
                at = end + 1;
            }
            return lines;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

std::vector<std::string> argsOf(const std::vector<std::string>& lines)
{
    std::vector<std::string> args;
    for (const std::string& l : lines)
        if (l.rfind("arg ", 0) == 0)
            args.push_back(l.substr(4));
    return args;
}

// True once the process PID is gone entirely (reaped, not a zombie).
bool reaped(const std::string& pidLine)
{
    std::string proc = "/proc/" + pidLine.substr(4);
    for (int k = 0; k < 1000; ++k) {
        if (access(proc.c_str(), F_OK) != 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void writeScript(const std::string& path, const std::string& body)
{
    FILE* f = fopen(path.c_str(), "w");
    fputs(body.c_str(), f);
    fclose(f);
    chmod(path.c_str(), 0755);
}

class Launch : public ::testing::Test {
protected:
    void SetUp() override
    {
        record_ = dir_.file("record");
        setenv("PELUND_RECORD", record_.c_str(), 1);
        // A terminal stand-in: records how it was asked, then runs the
        // command without a terminal to talk to.
        std::string bin = dir_.file("bin");
        mkdir(bin.c_str(), 0755);
        writeScript(bin + "/x-terminal-emulator",
                    "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$PELUND_RECORD.terminal\"\n"
                    "shift\nexec \"$@\" < /dev/null > /dev/null 2>&1\n");
        savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (bin + ":" + savedPath_).c_str(), 1);
    }
    void TearDown() override { setenv("PATH", savedPath_.c_str(), 1); }

    TempFolder dir_;
    std::string record_;
    std::string savedPath_;
    const std::u16string helper_ = u16(PELUND_RECORD_ARGS);
};

}  // namespace

TEST_F(Launch, HiddenStartSplitsParametersByShellRules)
{
    ps_char16 error[256] = u"untouched";
    ASSERT_EQ(vnFile_launchApplication(helper_.c_str(), u"one 'two words' \"say \\\"hi\\\"\" $HOME", 0,
                                       0, 0, nullptr, error),
              0);
    std::vector<std::string> lines = recorded(record_);
    ASSERT_FALSE(lines.empty()) << "the helper never ran";
    EXPECT_EQ(argsOf(lines), (std::vector<std::string>{"one", "two words", "say \"hi\"", "$HOME"}));
    EXPECT_EQ(std::u16string(error), u"untouched");
    EXPECT_TRUE(reaped(lines[0])) << "the ended program is left as a zombie";
}

TEST_F(Launch, WindowFormsRunTheCommandTextInATerminal)
{
    // Without the launcher wish the window closes with the program ("/C").
    std::u16string quoted = u"\"" + helper_ + u"\"";
    ASSERT_EQ(vnFile_launchApplication(quoted.c_str(), nullptr, 1, 0, 0, nullptr, nullptr), 0);
    std::vector<std::string> lines = recorded(record_);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(argsOf(lines).empty());
    std::string terminal = readFile(record_ + ".terminal");
    EXPECT_EQ(terminal, "-e\nsh\n-c\n\"" PELUND_RECORD_ARGS "\" \n");  // program and one blank
    EXPECT_TRUE(reaped(lines[0]));

    // With the wish but no launcher it stays open ("/K"): a shell follows.
    std::remove(record_.c_str());
    ASSERT_EQ(vnFile_launchApplication(helper_.c_str(), u"x", 1, 1, 0, nullptr, nullptr), 0);
    ASSERT_FALSE(recorded(record_).empty());
    terminal = readFile(record_ + ".terminal");
    EXPECT_EQ(terminal, "-e\nsh\n-c\n" PELUND_RECORD_ARGS " x; exec \"${SHELL:-/bin/sh}\" -i\n");
}

TEST_F(Launch, LauncherInTheCurrentFolderTakesTheWholeCommand)
{
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    std::string work = dir_.file("work");
    mkdir(work.c_str(), 0755);
    writeScript(work + "/holdexec.exe", "#!/bin/sh\nexec \"$@\" launched\n");
    ASSERT_EQ(chdir(work.c_str()), 0);
    int rc = vnFile_launchApplication(helper_.c_str(), u"a 'b c'", 0, 1, 0, nullptr, nullptr);
    ASSERT_EQ(chdir(saved), 0);
    ASSERT_EQ(rc, 0);
    std::vector<std::string> lines = recorded(record_);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(argsOf(lines), (std::vector<std::string>{"a", "b c", "launched"}));
}

TEST_F(Launch, FailuresGiveTheirNumberAndText)
{
    ps_char16 error[256] = {};
    EXPECT_EQ(vnFile_launchApplication(u"/nonexistent/program", nullptr, 0, 0, 0, nullptr, error), ENOENT);
    EXPECT_EQ(std::u16string(error), u"No such file or directory");
    EXPECT_EQ(vnFile_launchApplication(helper_.c_str(), u"'unterminated", 0, 0, 0, nullptr, error), EINVAL);
    EXPECT_EQ(vnFile_launchApplication(u"/nonexistent/program", nullptr, 0, 0, 0, nullptr, nullptr), ENOENT);
    EXPECT_EQ(vnFile_launchApplication(nullptr, u"x", 0, 0, 0, nullptr, error), PS_FAILURE);
}

TEST(ShellWords, SplitLikeTheShellWithoutExpanding)
{
    struct Case {
        const char* text;
        std::vector<std::string> words;
    } cases[] = {
        {"", {}},
        {"  a \t b\n", {"a", "b"}},
        {"'' \"\"", {"", ""}},
        {"a'b c'd", {"ab cd"}},
        {"\"a\\\\b\\$c\\x\"", {"a\\b$c\\x"}},
        {"a\\ b \\'c", {"a b", "'c"}},
        {"$(rm -rf /) `id` *", {"$(rm", "-rf", "/)", "`id`", "*"}},
        {"trailing\\", {"trailing"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words;
        EXPECT_TRUE(pelund::splitShellWords(c.text, &words)) << c.text;
        EXPECT_EQ(words, c.words) << c.text;
    }
    std::vector<std::string> words;
    EXPECT_FALSE(pelund::splitShellWords("'open", &words));
    EXPECT_FALSE(pelund::splitShellWords("\"open\\\"", &words));
}

TEST(QuotePath, QuotesWholePathsAndComponents)
{
    struct Case {
        const char* path;
        int perComponent;
        const char* quoted;
    } cases[] = {
        {"C:\\Program Files\\Tool\\run.exe", 1, "C:\\\"Program Files\"\\Tool\\run.exe"},
        {"\\\\server\\my share\\file\\", 1, "\\\\server\\\"my share\"\\file"},
        {"C:\\Program Files\\Tool\\run.exe", 0, "\"C:\\Program Files\\Tool\\run.exe\""},
        {"\"C:\\Program Files\\Tool\\run.exe\"", 0, "\"C:\\Program Files\\Tool\\run.exe\""},
        {"a\"b c\"", 0, "\"ab c\""},
        {"C:\\Tools\\run.exe", 0, "C:\\Tools\\run.exe"},
        {"C:\\Tools\\run.exe", 1, "C:\\Tools\\run.exe"},
        {"C:\\Tools\\", 1, "C:\\Tools"},
        {"a\\\\b", 1, "a\\\\b"},
        {"\\", 1, ""},
        {"/usr/my tools/run", 1, "\"/usr/my tools/run\""},
    };
    for (const Case& c : cases) {
        char out[256];
        EXPECT_EQ(vnFile_quotePathA(out, c.path, c.perComponent), 0) << c.path;
        EXPECT_STREQ(out, c.quoted) << c.path << " per component " << c.perComponent;
    }
    char same[64] = "no_blanks\\here";
    EXPECT_EQ(vnFile_quotePathA(same, same, 0), 0);
    EXPECT_STREQ(same, "no_blanks\\here");
    char twice[64];
    vnFile_quotePathA(twice, "C:\\Program Files\\x", 0);
    vnFile_quotePathA(twice, twice, 0);
    EXPECT_STREQ(twice, "\"C:\\Program Files\\x\"");
    char out[8];
    EXPECT_EQ(vnFile_quotePathA(out, "", 0), PS_FAILURE);
    EXPECT_EQ(vnFile_quotePathA(out, nullptr, 1), PS_FAILURE);
    EXPECT_EQ(vnFile_quotePathA(nullptr, "x", 1), PS_FAILURE);
}
