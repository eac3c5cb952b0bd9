#include "pelund/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "os/profile_file.h"
#include "tests/support/temp_folder.h"

using testing_support::readFile;
using testing_support::TempFolder;

namespace {

std::string get(const char* section, const char* key, const std::string& path, const char* fallback = "(default)",
                int size = 256, int* length = nullptr)
{
    std::string buffer(size_t(size) + 8, '#');
    int n = psProfile_getProfileString(section, key, fallback, buffer.data(), size, path.c_str());
    if (length)
        *length = n;
    return section && key ? std::string(buffer.c_str()) : buffer.substr(0, size_t(n) + 1);
}

const char* const kProfile =
    "; the tool's settings\r\n"
    "[General]\r\n"
    "  Name =  \"Quoted value\"  \r\n"
    "Path=C:\\Tools\r\n"
    "name=second, not read\r\n"
    "Empty=\r\n"
    "noequals line\r\n"
    "\r\n"
    "[Colours] trailing text\r\n"
    "Back='single'\r\n"
    "[general]\r\n"
    "Late=in the second section of the same name\r\n";

}  // namespace

TEST(Profile, ReadsValuesAsThePlatformDoes)
{
    TempFolder dir;
    std::string path = dir.write("tool.ini", kProfile);
    int n = 0;
    EXPECT_EQ(get("General", "Name", path, "d", 256, &n), "Quoted value");
    EXPECT_EQ(n, 12);
    EXPECT_EQ(get("GENERAL", "path", path), "C:\\Tools");
    EXPECT_EQ(get("General", "Empty", path), "");
    EXPECT_EQ(get("Colours", "Back", path), "single");
    EXPECT_EQ(get("General", "Late", path), "(default)");  // the first section of a name is read
    EXPECT_EQ(get("General", "Missing", path, "fallback  ", 256, &n), "fallback");
    EXPECT_EQ(n, 8);
    EXPECT_EQ(get("Nowhere", "Name", path), "(default)");
    EXPECT_EQ(get("General", "Name", dir.file("missing.ini")), "(default)");
    EXPECT_EQ(get("General", "Name", path, "d", 6, &n), "Quote");  // cut at size - 1
    EXPECT_EQ(n, 5);

    char buffer[8] = "x";
    EXPECT_EQ(psProfile_getProfileString("General", "Name", nullptr, buffer, 8, path.c_str()), PS_FAILURE);
    EXPECT_EQ(psProfile_getProfileString("General", "Name", "d", nullptr, 8, path.c_str()), PS_FAILURE);
}

TEST(Profile, ListsSectionsAndKeys)
{
    TempFolder dir;
    std::string path = dir.write("tool.ini", kProfile);
    // Every section line and every key line is listed, duplicates included.
    EXPECT_EQ(get(nullptr, nullptr, path), std::string("General\0Colours\0general\0\0", 25));
    EXPECT_EQ(get("General", nullptr, path), std::string("Name\0Path\0name\0Empty\0\0", 22));
    int n;
    EXPECT_EQ(get(nullptr, nullptr, path, "d", 10, &n), std::string("General\0\0", 9));
    EXPECT_EQ(n, 8);  // cut to size - 2, ending in two NULs
    EXPECT_EQ(get("Nowhere", nullptr, path, "d", 256, &n), std::string("\0", 1));
    EXPECT_EQ(n, 0);
}

TEST(Profile, WritingKeepsEveryOtherLine)
{
    TempFolder dir;
    std::string path = dir.write("tool.ini", kProfile);
    chmod(path.c_str(), 0640);
    EXPECT_EQ(psProfile_writeProfileString("general", "PATH", "/opt/tools", path.c_str()), 0);
    EXPECT_EQ(psProfile_writeProfileString("Colours", "Fore", "black", path.c_str()), 0);
    EXPECT_EQ(psProfile_writeProfileString("New", "Key", "v", path.c_str()), 0);
    std::string expected = kProfile;
    expected.replace(expected.find("Path=C:\\Tools"), 13, "Path=/opt/tools");  // the stored spelling stays
    expected.insert(expected.find("[general]"), "Fore=black\r\n");
    expected += "[New]\r\nKey=v\r\n";
    EXPECT_EQ(readFile(path), expected);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // the replaced file keeps its permissions

    std::string fresh = dir.file("fresh.ini");
    EXPECT_EQ(psProfile_writeProfileString("S", "a", "1", fresh.c_str()), 0);
    EXPECT_EQ(psProfile_writeProfileString("S", "b", "2", fresh.c_str()), 0);
    EXPECT_EQ(readFile(fresh), "[S]\na=1\nb=2\n");
    EXPECT_EQ(get("S", "b", fresh), "2");
}

TEST(Profile, RefusesWhatWouldBreakTheFile)
{
    TempFolder dir;
    std::string path = dir.write("tool.ini", kProfile);
    EXPECT_EQ(psProfile_writeProfileString("General", "Name", nullptr, path.c_str()), PS_FAILURE);
    EXPECT_EQ(psProfile_writeProfileString("General", nullptr, "v", path.c_str()), PS_FAILURE);
    EXPECT_EQ(psProfile_writeProfileString(nullptr, "k", "v", path.c_str()), EINVAL);
    EXPECT_EQ(psProfile_writeProfileString("General", "k", "v\n[Injected]", path.c_str()), EINVAL);
    EXPECT_EQ(psProfile_writeProfileString("General", "k=x", "v", path.c_str()), EINVAL);
    EXPECT_EQ(psProfile_writeProfileString("Gen]eral", "k", "v", path.c_str()), EINVAL);
    EXPECT_EQ(readFile(path), kProfile);
    EXPECT_EQ(psProfile_writeProfileString("S", "k", "v", dir.file("no/such/folder.ini").c_str()), ENOENT);
}

TEST(Profile, LongLinesAndManyKeys)
{
    TempFolder dir;
    std::string big(100000, 'v');
    std::string path = dir.write("big.ini", "[S]\nlong=" + big + "\n");
    std::string buffer(big.size() + 1, '\0');
    EXPECT_EQ(psProfile_getProfileString("S", "long", "", buffer.data(), int(buffer.size()), path.c_str()),
              int(big.size()));
    EXPECT_EQ(std::string(buffer.c_str()), big);
    EXPECT_EQ(psProfile_writeProfileString("S", "long", "short", path.c_str()), 0);
    EXPECT_EQ(readFile(path), "[S]\nlong=short\n");
}

TEST(Profile, TwoProcessesWritingNeverLoseKeys)
{
    TempFolder dir;
    std::string path = dir.file("shared.ini");
    const int count = 1000;
    pid_t writers[2];
    const char* prefixes[2] = {"a", "b"};
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            execl(PELUND_PROFILE_WRITER, PELUND_PROFILE_WRITER, path.c_str(), prefixes[w],
                  std::to_string(count).c_str(), (char*)nullptr);
            _exit(127);
        }
    }
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
    }
    std::string text = readFile(path);
    int missing = 0;
    for (const char* prefix : prefixes)
        for (int k = 0; k < count; ++k) {
            std::string value;
            if (!pelund::profileValue(text, "shared", prefix + std::to_string(k), &value) ||
                value != std::to_string(k))
                ++missing;
        }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(pelund::profileKeys(text, "shared").size(), size_t(2 * count));
}
