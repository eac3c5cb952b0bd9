// The system's account database through NSS.
#ifndef PELUND_PLATFORM_USER_ACCOUNTS_H
#define PELUND_PLATFORM_USER_ACCOUNTS_H

#include <string>
#include <string_view>
#include <vector>

namespace pelund {

struct Account {
    std::string name;
    std::string fullName;  // the first comma-separated field of GECOS
};

// Every account with a user id from UID_MIN to UID_MAX of /etc/login.defs
// (1000 to 60000 where it sets none), in the database's order.
std::vector<Account> normalAccounts();

// The account NAME, or the process's real user for a null NAME; 0, ENOENT
// when there is none, or the lookup's errno value.
int findAccount(const char* name, Account* account);

// The UID_MIN and UID_MAX of a login.defs text.
void normalUidRange(std::string_view loginDefs, unsigned long* low, unsigned long* high);

}  // namespace pelund

#endif
