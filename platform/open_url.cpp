#include "platform/open_url.h"

#include "platform/process_spawn.h"

namespace pelund {

bool openUrl(const std::string& url) { return spawnDetached({"xdg-open", url}) == 0; }

}  // namespace pelund
