// Handing a file to the user's mail program as the attachment of a new
// message to the support desk.
#include <cstring>
#include <string>
#include <vector>

#include "frame/guard.h"
#include "pelund/profile.h"
#include "platform/process_spawn.h"

namespace pelund {
namespace {

constexpr size_t kLongestText = 271;
constexpr int kMailerStartMs = 10000;  // xdg-email returns once the mail program has the message
const char* const kSupportDesk = "PelundLib Support Desk <support@example.com>";

int sendFile(const char* path, const char* subject, const char* note)
{
    if (!path || !*path || std::strlen(path) > kLongestText)
        return -1;
    std::string title = subject ? std::string(subject).substr(0, kLongestText) : std::string();
    std::vector<std::string> argv = {"xdg-email", "--subject", title, "--body", note ? note : "",
                                     "--attach", path, kSupportDesk};
    int status;
    if (spawnAndWait(argv, kMailerStartMs, &status) != 0)  // no xdg-email: no mail library
        return -1;
    // Still running after the wait: the mail program has the message open.
    return status == 0 || status == -1 ? 0 : -1;
}

}  // namespace
}  // namespace pelund

extern "C" {

PELUND_API int psMAPI_sendFileToMailRecipient(void* parent_window, const char* path, const char* subject,
                                              const char* note)
{
    (void)parent_window;
    return pelund::guarded(-1, [&] { return pelund::sendFile(path, subject, note); });
}

}  // extern "C"
