#include "companion/version.h"

#include <filesystem>

namespace pelund::companion {

std::string defaultPluginFolder()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return PELUND_COMPANION_PLUGIN_DIR;
    return (self.parent_path() / PELUND_COMPANION_PLUGIN_RELATIVE).lexically_normal().string();
}

}  // namespace pelund::companion
