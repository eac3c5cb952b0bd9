// The computer's name.
#include <algorithm>
#include <cstring>
#include <string>

#include "frame/guard.h"
#include "frame/utf.h"
#include "pelund/system.h"
#include "platform/file_system.h"

namespace pelund {
namespace {

// The host name up to its first dot, cut to 254 bytes.
int computerName(std::string* name)
{
    if (int rc = hostName(name))
        return rc;
    name->resize(std::min(name->find('.'), size_t(254)));
    return 0;
}

// The name (empty on failure) in either width; the platform's result.
template <class Ch>
int computerNameInto(Ch* out)
{
    if (!out)
        return PS_FAILURE;
    std::string host;
    int rc = computerName(&host);
    std::basic_string<Ch> text;
    if constexpr (sizeof(Ch) == 1)
        text = host;
    else
        text = utf8ToUtf16(host);
    std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(Ch));
    return rc;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psWinAPI_getComputerNameA(char* name)
{
    return guarded(PS_FAILURE, [&] { return computerNameInto(name); });
}

PELUND_API int psWinAPI_getComputerNameW(ps_char16* name)
{
    return guarded(PS_FAILURE, [&] { return computerNameInto(name); });
}

}  // extern "C"
