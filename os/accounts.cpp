// User accounts of this computer and the logged-on user.
#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "frame/guard.h"
#include "pelund/accounts.h"
#include "platform/file_system.h"
#include "platform/user_accounts.h"

namespace pelund {
namespace {

constexpr size_t kFullName = 256;

// Null, or this computer's host name (whole or up to its first dot).
bool isThisComputer(const char* server)
{
    if (!server || !*server)
        return true;
    std::string host;
    if (hostName(&host) != 0)
        return false;
    std::string shortName = host.substr(0, host.find('.'));
    return !strcasecmp(server, host.c_str()) || !strcasecmp(server, shortName.c_str()) ||
           !strcasecmp(server, "localhost");
}

char* copyOf(const std::string& text)
{
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// Grows *ARRAY by one entry holding a copy of TEXT; false when memory ran out.
bool append(char*** array, int count, const std::string& text)
{
    char* copy = copyOf(text);
    if (!copy)
        return false;
    auto grown = static_cast<char**>(std::realloc(*array, sizeof(char*) * size_t(count + 1)));
    if (!grown) {
        std::free(copy);
        return false;
    }
    grown[count] = copy;
    *array = grown;
    return true;
}

void listUsers(const char* server, char*** names, char*** fullNames, int* count)
{
    if (names)
        *names = nullptr;
    if (fullNames)
        *fullNames = nullptr;
    int n = 0;
    if (isThisComputer(server)) {
        for (const Account& a : normalAccounts()) {
            // Both arrays keep one length: an entry goes in whole or not at all.
            if (fullNames && !append(fullNames, n, a.fullName))
                break;
            if (names && !append(names, n, a.name)) {
                if (fullNames)
                    std::free((*fullNames)[n]);
                break;
            }
            ++n;
        }
    }
    if (count)
        *count = n;
}

void copyBounded(char* out, const std::string& text, size_t capacity)
{
    size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

int fullNameOf(const char* server, char* out, const char* user)
{
    if (!out)
        return 0;
    Account account;
    if (!user) {
        if (int rc = findAccount(nullptr, &account))
            return rc;
        copyBounded(out, account.name, kFullName);
    }
    if (!isThisComputer(server))
        return EHOSTUNREACH;
    if (user) {
        if (int rc = findAccount(user, &account))
            return rc;
    }
    if (!account.fullName.empty())
        copyBounded(out, account.fullName, kFullName);
    return 0;
}

int loginName(char* out, int capacity)
{
    if (!out)
        return 0;
    Account account;
    if (int rc = findAccount(nullptr, &account))
        return rc;
    const std::string& name = account.fullName.empty() ? account.name : account.fullName;
    if (capacity <= 0 || name.size() >= size_t(capacity))
        return ERANGE;
    std::memcpy(out, name.c_str(), name.size() + 1);
    return 0;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psDomain_getAllUsers(const char* server, char*** names, char*** full_names, int* count)
{
    return guarded(0, [&] {
        listUsers(server, names, full_names, count);
        return 0;
    });
}

PELUND_API void psDomain_freeAllUsers(char** names, char** full_names, int count)
{
    for (int k = 0; k < count; ++k) {
        if (names) {
            std::free(names[k]);
            names[k] = nullptr;
        }
        if (full_names) {
            std::free(full_names[k]);
            full_names[k] = nullptr;
        }
    }
    std::free(names);
    std::free(full_names);
}

PELUND_API int psDomain_getUserFullName(const char* server, char* full_name, const char* user)
{
    return guarded(ENOMEM, [&] { return fullNameOf(server, full_name, user); });
}

PELUND_API int psDomain_getCurrentLoginName(char* name, int capacity)
{
    return guarded(ENOMEM, [&] { return loginName(name, capacity); });
}

}  // extern "C"
