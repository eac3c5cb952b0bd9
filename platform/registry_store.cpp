#include "platform/registry_store.h"

#include <cstdlib>

#include "platform/standard_folders.h"

namespace pelund {

std::string registryFilePath(std::string_view abbreviation)
{
    if (abbreviation.empty())
        return std::string();
    std::string file = "/PelundLib/registry/";
    file += abbreviation;
    file += ".reg";
    if (abbreviation == "HKCU") {
        std::string config = xdgFolder("XDG_CONFIG_HOME", ".config");
        return config.empty() ? config : config + file;
    }
    const char* machine = std::getenv("PELUND_REGISTRY_DIR");
    std::string folder = machine && machine[0] == '/' ? machine : "/etc/PelundLib/registry";
    folder += '/';
    folder += abbreviation;
    folder += ".reg";
    return folder;
}

}  // namespace pelund
