#include "platform/user_accounts.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

namespace pelund {
namespace {

// getpwent walks one process-wide cursor.
std::mutex accountWalk;

std::string fullNameOf(const char* gecos)
{
    std::string_view g = gecos ? gecos : "";
    return std::string(g.substr(0, g.find(',')));
}

}  // namespace

void normalUidRange(std::string_view loginDefs, unsigned long* low, unsigned long* high)
{
    *low = 1000;
    *high = 60000;
    std::istringstream lines{std::string(loginDefs)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key, value;
        if (!(words >> key >> value) || (key != "UID_MIN" && key != "UID_MAX"))
            continue;
        char* end = nullptr;
        unsigned long v = std::strtoul(value.c_str(), &end, 0);
        if (end == value.c_str() || *end)
            continue;
        (key == "UID_MIN" ? *low : *high) = v;
    }
}

std::vector<Account> normalAccounts()
{
    std::ifstream in("/etc/login.defs");
    std::stringstream defs;
    defs << in.rdbuf();
    unsigned long low, high;
    normalUidRange(defs.str(), &low, &high);

    std::vector<Account> accounts;
    std::lock_guard<std::mutex> lock(accountWalk);
    setpwent();
    std::vector<char> buffer(16384);
    for (;;) {
        struct passwd entry, *found = nullptr;
        int rc = getpwent_r(&entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (size_t(1) << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != 0 || !found)
            break;
        if (found->pw_uid >= low && found->pw_uid <= high)
            accounts.push_back({found->pw_name ? found->pw_name : "", fullNameOf(found->pw_gecos)});
    }
    endpwent();
    return accounts;
}

int findAccount(const char* name, Account* account)
{
    std::vector<char> buffer(16384);
    for (;;) {
        struct passwd entry, *found = nullptr;
        int rc = name ? getpwnam_r(name, &entry, buffer.data(), buffer.size(), &found)
                      : getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (size_t(1) << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != 0)
            return rc;
        if (!found)
            return ENOENT;
        account->name = found->pw_name ? found->pw_name : "";
        account->fullName = fullNameOf(found->pw_gecos);
        return 0;
    }
}

}  // namespace pelund
