// Loads the plug-ins of a folder: every regular file whose name ends in
// ".so", opened with dlopen and asked for its description through its one
// exported function. A file that is not a valid plug-in is skipped with an
// error event; the first plug-in of a name wins.
#ifndef PELUND_COMPANION_PLUGIN_LOADER_H
#define PELUND_COMPANION_PLUGIN_LOADER_H

#include "companion/event_log.h"
#include "pelund-companion/plugin.h"

#include <map>
#include <string>
#include <vector>

namespace pelund::companion {

class PluginSet {
public:
    void load(const std::string& folder, EventLog& log);
    ~PluginSet();
    // The plug-in called NAME, or null.
    const pelund_companion_plugin* find(const std::string& name) const;
    std::vector<std::string> describe() const;
    // The file the plug-in called NAME was loaded from.
    std::string fileOf(const std::string& name) const;

private:
    std::map<std::string, const pelund_companion_plugin*> byName_;
    std::map<std::string, std::string> files_;
    std::vector<void*> handles_;
};

}  // namespace pelund::companion

#endif
