// Opening a URL in the user's browser (the shell's "open" verb): xdg-open,
// started without a shell and not waited for.
#ifndef PELUND_PLATFORM_OPEN_URL_H
#define PELUND_PLATFORM_OPEN_URL_H

#include <string>

namespace pelund {

// True when the opener could be started.
bool openUrl(const std::string& url);

}  // namespace pelund

#endif
