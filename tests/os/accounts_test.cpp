// Accounts for real through nss_wrapper: main() writes a passwd file and
// runs the tests again with the wrapper preloaded, so that the account
// database holds exactly the accounts below.
#include "pelund/accounts.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/user_accounts.h"

namespace {

const char* const kWrapper = PELUND_NSS_WRAPPER;

std::string passwdFile(const std::string& folder, const char* myGecos)
{
    std::string path = folder + "/passwd";
    std::ofstream out(path);
    if (getuid() == 0)
        out << "root:x:0:0:" << myGecos << ":/root:/bin/sh\n";
    else
        out << "root:x:0:0:root:/root:/bin/sh\n"
            << "tester:x:" << getuid() << ":" << getgid() << ":" << myGecos << ":/home/tester:/bin/sh\n";
    out << "daemon:x:2:2:Daemon,,,:/:/usr/sbin/nologin\n"
        << "erin:x:999:999:Erin Below:/home/erin:/bin/sh\n"
        << "alice:x:1000:1000:Alice Example,Room 2,555-1234,:/home/alice:/bin/sh\n"
        << "bob:x:1001:1001::/home/bob:/bin/sh\n"
        << "carol:x:60000:60000:Carol Edge:/home/carol:/bin/sh\n"
        << "dave:x:60001:60001:Dave Above:/home/dave:/bin/sh\n"
        << "nobody:x:65534:65534:nobody:/nonexistent:/usr/sbin/nologin\n";
    std::ofstream(folder + "/group") << "root:x:0:\n";
    return path;
}

// The logged-on user's account: root, or tester when not run as root.
std::string myName() { return getuid() == 0 ? "root" : "tester"; }

std::vector<std::string> names(char** list, int count)
{
    std::vector<std::string> out;
    for (int k = 0; k < count; ++k)
        out.push_back(list[k]);
    return out;
}

bool underWrapper() { return std::getenv("NSS_WRAPPER_PASSWD") != nullptr; }

}  // namespace

TEST(Accounts, ListsNormalAccountsWithTheirFullNames)
{
    char **users = nullptr, **fullNames = nullptr;
    int count = -1;
    ASSERT_EQ(psDomain_getAllUsers(nullptr, &users, &fullNames, &count), 0);
    std::vector<std::string> expectedUsers = {"alice", "bob", "carol"};
    std::vector<std::string> expectedNames = {"Alice Example", "", "Carol Edge"};
    if (getuid() >= 1000 && getuid() <= 60000) {
        expectedUsers.push_back("tester");
        expectedNames.push_back("Test Person");
    }
    EXPECT_EQ(names(users, count), expectedUsers);
    EXPECT_EQ(names(fullNames, count), expectedNames);
    psDomain_freeAllUsers(users, fullNames, count);

    // Counting alone, one array alone.
    count = -1;
    ASSERT_EQ(psDomain_getAllUsers(nullptr, nullptr, nullptr, &count), 0);
    EXPECT_EQ(count, int(expectedUsers.size()));
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    ASSERT_EQ(psDomain_getAllUsers(host, &users, nullptr, &count), 0);
    EXPECT_EQ(names(users, count), expectedUsers);
    psDomain_freeAllUsers(users, nullptr, count);
}

TEST(Accounts, AnotherServerIsNotReachable)
{
    char** users = reinterpret_cast<char**>(1);
    char** fullNames = reinterpret_cast<char**>(1);
    int count = -1;
    EXPECT_EQ(psDomain_getAllUsers("fileserver.example.com", &users, &fullNames, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(users, nullptr);
    EXPECT_EQ(fullNames, nullptr);
    char full[256] = "kept";
    EXPECT_EQ(psDomain_getUserFullName("fileserver.example.com", full, "alice"), EHOSTUNREACH);
    EXPECT_STREQ(full, "kept");
}

TEST(Accounts, FullNamesOfNamedUsers)
{
    char full[256] = "kept";
    EXPECT_EQ(psDomain_getUserFullName(nullptr, full, "alice"), 0);
    EXPECT_STREQ(full, "Alice Example");
    strcpy(full, "kept");
    EXPECT_EQ(psDomain_getUserFullName(nullptr, full, "bob"), 0);  // empty: output as it was
    EXPECT_STREQ(full, "kept");
    EXPECT_EQ(psDomain_getUserFullName(nullptr, full, "nosuchuser"), ENOENT);
    EXPECT_EQ(psDomain_getUserFullName(nullptr, nullptr, "alice"), 0);
}

TEST(Accounts, TheLoggedOnUser)
{
    char full[256] = "";
    char login[64] = "";
    ASSERT_EQ(psDomain_getUserFullName(nullptr, full, nullptr), 0);
    ASSERT_EQ(psDomain_getCurrentLoginName(login, sizeof login), 0);
    if (std::getenv("PELUND_NO_FULL_NAME")) {
        EXPECT_EQ(full, myName());  // the account name stays: no full name
        EXPECT_EQ(login, myName());
    } else {
        EXPECT_STREQ(full, "Test Person");
        EXPECT_STREQ(login, "Test Person");
    }
    char tiny[3];
    EXPECT_EQ(psDomain_getCurrentLoginName(tiny, sizeof tiny), ERANGE);
    EXPECT_EQ(psDomain_getCurrentLoginName(nullptr, 10), 0);
}

TEST(Accounts, UidRangeComesFromLoginDefs)
{
    unsigned long low, high;
    pelund::normalUidRange("# comment\nUID_MIN   500\nUID_MAX\t0x7530\nGID_MIN 10\nUID_MIN bad\n", &low, &high);
    EXPECT_EQ(low, 500u);
    EXPECT_EQ(high, 30000u);
    pelund::normalUidRange("", &low, &high);
    EXPECT_EQ(low, 1000u);
    EXPECT_EQ(high, 60000u);
}

int main(int argc, char** argv)
{
    if (!underWrapper()) {
        char pattern[] = "/tmp/pelund-accounts-XXXXXX";
        const char* folder = mkdtemp(pattern);
        if (!folder)
            return 1;
        std::string preload = kWrapper;
        if (const char* old = std::getenv("LD_PRELOAD"))
            preload += std::string(":") + old;
        std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
        asan += ":verify_asan_link_order=0";
        setenv("ASAN_OPTIONS", asan.c_str(), 1);
        setenv("NSS_WRAPPER_DISABLE_DEEPBIND", "1", 1);  // the sanitizers refuse RTLD_DEEPBIND
        setenv("LD_PRELOAD", preload.c_str(), 1);
        setenv("NSS_WRAPPER_GROUP", (std::string(folder) + "/group").c_str(), 1);
        // Once with a full name for the logged-on user, once without.
        int status = 0;
        for (const char* gecos : {"Test Person,Room 1,,", ""}) {
            setenv("NSS_WRAPPER_PASSWD", passwdFile(folder, gecos).c_str(), 1);
            if (!*gecos)
                setenv("PELUND_NO_FULL_NAME", "1", 1);
            pid_t pid = fork();
            if (pid == 0) {
                execv(argv[0], argv);  // not /proc/self/exe, which is valgrind under valgrind
                _exit(127);
            }
            int rc = 0;
            waitpid(pid, &rc, 0);
            status |= WIFEXITED(rc) ? WEXITSTATUS(rc) : 1;
        }
        std::system((std::string("rm -rf ") + folder).c_str());
        return status;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
