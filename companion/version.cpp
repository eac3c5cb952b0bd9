#include "companion/version.h"

#include <filesystem>

namespace pelund::companion {

namespace {

std::string besideProgram(const char* relative, const char* installed)
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return installed;
    return (self.parent_path() / relative).lexically_normal().string();
}

}  // namespace

std::string defaultPluginFolder()
{
    return besideProgram(PELUND_COMPANION_PLUGIN_RELATIVE, PELUND_COMPANION_PLUGIN_DIR);
}

std::string pluginHostProgram()
{
    return besideProgram(PELUND_COMPANION_HOST_RELATIVE, PELUND_COMPANION_HOST);
}

}  // namespace pelund::companion
