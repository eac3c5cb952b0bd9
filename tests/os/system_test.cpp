#include "pelund/system.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>

#include "tests/support/temp_folder.h"
#include "tests/support/text.h"

using testing_support::TempFolder;

namespace {

constexpr auto& u16 = testing_support::widen;

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    bool had_;
    std::string old_;
};

std::u16string folder(int (*get)(ps_char16*))
{
    ps_char16 path[PS_MAX_PATH] = u"untouched";
    int rc = get(path);
    return rc == 0 ? std::u16string(path) : u"error " + u16(std::to_string(rc));
}

}  // namespace

TEST(StandardFolders, FollowTheXdgConventions)
{
    {
        ScopedEnv data("XDG_DATA_HOME", "/data/home");
        ScopedEnv dirs("XDG_DATA_DIRS", ":relative:/shared/one:/shared/two");
        EXPECT_EQ(folder(psWinAPI_fileGetUserAppDataPath), u"/data/home");
        EXPECT_EQ(folder(psWinAPI_fileGetAllUsersAppDataPath), u"/shared/one");
    }
    {
        ScopedEnv data("XDG_DATA_HOME", "relative/ignored");
        ScopedEnv home("HOME", "/home/someone");
        ScopedEnv dirs("XDG_DATA_DIRS", nullptr);
        EXPECT_EQ(folder(psWinAPI_fileGetUserAppDataPath), u"/home/someone/.local/share");
        EXPECT_EQ(folder(psWinAPI_fileGetAllUsersAppDataPath), u"/usr/local/share");
    }
    {
        std::string deep = "/" + std::string(300, 'x');
        ScopedEnv data("XDG_DATA_HOME", deep.c_str());
        EXPECT_EQ(folder(psWinAPI_fileGetUserAppDataPath), u"error " + u16(std::to_string(ENAMETOOLONG)));
    }
    EXPECT_EQ(folder(psWinAPI_fileGetProgramFilesPath), u"/opt");
    ps_char16 path[PS_MAX_PATH];
    ASSERT_EQ(psWinAPI_fileGetSystem32AppDataPath(path, 0), 0);
    EXPECT_EQ(std::u16string(path), u"/usr/lib");
    ASSERT_EQ(psWinAPI_fileGetSystem32AppDataPath(path, 1), 0);
    struct stat info;
    std::string multiarch(path, path + std::char_traits<char16_t>::length(path));
    EXPECT_EQ(multiarch.rfind("/usr/lib/", 0), 0u);
    EXPECT_TRUE(stat(multiarch.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) << multiarch;
    EXPECT_EQ(psWinAPI_fileGetProgramFilesPath(nullptr), EINVAL);
}

TEST(ComputerName, IsTheHostNameUpToItsFirstDot)
{
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::string expected(host);
    expected = expected.substr(0, expected.find('.'));
    char name[255];
    ASSERT_EQ(psWinAPI_getComputerNameA(name), 0);
    EXPECT_EQ(std::string(name), expected);
    ps_char16 wide[255];
    ASSERT_EQ(psWinAPI_getComputerNameW(wide), 0);
    EXPECT_EQ(std::u16string(wide), u16(expected));
    EXPECT_EQ(psWinAPI_getComputerNameA(nullptr), PS_FAILURE);
    EXPECT_EQ(psWinAPI_getComputerNameW(nullptr), PS_FAILURE);
}

TEST(FileTimes, ComeFromTheFirstMatch)
{
    TempFolder dir;
    std::string file = dir.write("drawing [1].dgn", "x");
    struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    int64_t created = 7, written = 7;
    ASSERT_EQ(psWinAPI_getFileTimes(u16(file).c_str(), &created, &written), 0);
    EXPECT_EQ(written, 1000000000);
    EXPECT_TRUE(created == -1 || std::llabs(created - int64_t(std::time(nullptr))) < 600) << created;
    written = 0;
    ASSERT_EQ(psWinAPI_getFileTimes(u16(dir.file("*.dgn")).c_str(), nullptr, &written), 0);
    EXPECT_EQ(written, 1000000000);
    EXPECT_EQ(psWinAPI_getFileTimes(u16(dir.file("drawing ?1?.dgn")).c_str(), &created, nullptr), 0);
    EXPECT_EQ(psWinAPI_getFileTimes(u16(file).c_str(), nullptr, nullptr), PS_FAILURE);
    EXPECT_EQ(psWinAPI_getFileTimes(u16(dir.file("*.none")).c_str(), &created, &written), PS_FAILURE);
    EXPECT_EQ(psWinAPI_getFileTimes(nullptr, &created, &written), PS_FAILURE);
}

TEST(FileExists, MatchesFilesFoldersAndPatterns)
{
    TempFolder dir;
    dir.write("sub/.hidden", "");
    dir.write("a[b].txt", "");
    EXPECT_EQ(psFile_fileExists(dir.path().c_str()), 1);
    EXPECT_EQ(psFile_fileExists(dir.file("sub/*").c_str()), 1);  // leading dots match
    EXPECT_EQ(psFile_fileExists(dir.file("a[b].txt").c_str()), 1);  // brackets are no wildcards
    EXPECT_EQ(psFile_fileExists(dir.file("a?b?.*").c_str()), 1);
    EXPECT_EQ(psFile_fileExists(dir.file("ab.txt").c_str()), 0);
    EXPECT_EQ(psFile_fileExists(dir.file("nothing*").c_str()), 0);
    EXPECT_EQ(psFile_fileExists(nullptr), 0);
}

TEST(ParentDir, RemovesTheLastComponent)
{
    struct Case {
        const char16_t* path;
        int addSeparator;
        const char16_t* parent;  // null: refused
    } cases[] = {
        {u"/a/b/c", 0, u"/a/b"},     {u"/a/b/c", 1, u"/a/b/"},   {u"/a/b/", 0, u"/a/b"},
        {u"a\\b\\c", 0, u"a/b"},     {u"a\\b\\", 1, u"a/b/"},    {u"/a", 0, u"/"},
        {u"/a", 1, u"/"},            {u"a", 0, u""},             {u"a", 1, u""},
        {u"/a//b", 0, u"/a"},        {u"/", 0, nullptr},         {u"//", 0, nullptr},
        {u"\\", 1, nullptr},         {u"", 0, nullptr},
    };
    for (const Case& c : cases) {
        ps_char16 out[64] = u"untouched";
        int rc = psWinAPI_getParentDir(out, c.path, c.addSeparator);
        if (!c.parent) {
            EXPECT_EQ(rc, PS_FAILURE) << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
        } else {
            EXPECT_EQ(rc, 0);
            EXPECT_EQ(std::u16string(out), c.parent);
        }
    }
    ps_char16 out[8];
    EXPECT_EQ(psWinAPI_getParentDir(out, nullptr, 0), PS_FAILURE);
    EXPECT_EQ(psWinAPI_getParentDir(nullptr, u"/a/b", 0), PS_FAILURE);
}

TEST(MakeDirectory, CreatesEveryMissingLevel)
{
    TempFolder dir;
    std::string deep = dir.file("one/two/three");
    EXPECT_EQ(psWinAPI_makeDirectory(u16(deep).c_str()), 0);
    struct stat info;
    EXPECT_TRUE(stat(deep.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    EXPECT_EQ(psWinAPI_makeDirectory(u16(deep).c_str()), 0);  // exists already
    std::u16string mixed = u16(dir.path()) + u"\\four\\five\\";
    EXPECT_EQ(psWinAPI_makeDirectory(mixed.c_str()), 0);
    EXPECT_TRUE(stat(dir.file("four/five").c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    dir.write("file", "");
    EXPECT_EQ(psWinAPI_makeDirectory(u16(dir.file("file")).c_str()), EEXIST);
    EXPECT_EQ(psWinAPI_makeDirectory(u16(dir.file("file/below")).c_str()), EEXIST);
    EXPECT_EQ(psWinAPI_makeDirectory(u"relative"), PS_FAILURE);
    EXPECT_EQ(psWinAPI_makeDirectory(u""), PS_FAILURE);
    EXPECT_EQ(psWinAPI_makeDirectory(nullptr), PS_FAILURE);
    std::u16string tooLong = u16(dir.path()) + u"/" + std::u16string(4096, u'x');
    EXPECT_EQ(psWinAPI_makeDirectory(tooLong.c_str()), PS_FAILURE);
}

TEST(MakeDirectory, ReportsTheErrnoOfARefusedCreation)
{
    TempFolder dir;
    std::string locked = dir.file("locked");
    ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
    std::u16string target = u16(locked + "/a/b");
    if (geteuid() != 0) {
        EXPECT_EQ(psWinAPI_makeDirectory(target.c_str()), EACCES);
        return;
    }
    // Root may write anywhere: the call runs in a child that gave it up.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(255);
        _exit(psWinAPI_makeDirectory(target.c_str()) & 0xFF);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 255) << "could not become an unprivileged user";
    EXPECT_EQ(WEXITSTATUS(status), EACCES);
}

TEST(CurrentDir, ReportsSuccessAsNonZero)
{
    TempFolder dir;
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    EXPECT_NE(psWinAPI_setCurrentDirW(u16(dir.path()).c_str()), 0);
    char now[4096];
    ASSERT_NE(getcwd(now, sizeof now), nullptr);
    EXPECT_EQ(std::string(now), dir.path());
    EXPECT_EQ(psWinAPI_setCurrentDirA("/nonexistent/folder"), 0);
    EXPECT_EQ(psWinAPI_setCurrentDirA(nullptr), 0);
    EXPECT_NE(psWinAPI_setCurrentDirA(saved), 0);
}

TEST(ShortPath, IsThePathItself)
{
    TempFolder dir;
    std::string file = dir.write("Long Name.txt", "");
    char out[PS_MAX_PATH] = "x";
    EXPECT_EQ(vnWin32_getShortPathName(file.c_str(), out), 0);
    EXPECT_EQ(std::string(out), file);
    EXPECT_EQ(vnWin32_getShortPathName(dir.file("missing").c_str(), out), ENOENT);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(vnWin32_getShortPathName(nullptr, out), PS_FAILURE);
    EXPECT_EQ(vnWin32_getShortPathName(file.c_str(), nullptr), PS_FAILURE);
}

TEST(RemoteDevice, LocalFoldersAreNotRemote)
{
    TempFolder dir;
    EXPECT_EQ(psFile_isDeviceRemote(u"/"), 0);
    EXPECT_EQ(psFile_isDeviceRemote(u16(dir.path()).c_str()), 0);
    EXPECT_EQ(psFile_isDeviceRemote(u"/nonexistent"), 0);
    EXPECT_EQ(psFile_isDeviceRemote(u""), 0);
    EXPECT_EQ(psFile_isDeviceRemote(nullptr), 0);
}

TEST(ResizeWindow, NeedsAHandleAndADisplay)
{
    EXPECT_EQ(psWinAPI_resizeWindow(nullptr, 100, 100), PS_FAILURE);
    ScopedEnv display("DISPLAY", nullptr);
    EXPECT_EQ(psWinAPI_resizeWindow(reinterpret_cast<void*>(0x400001), 100, 100), PS_FAILURE);
}
