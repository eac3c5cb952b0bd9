#include "companion/plugin_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace pelund::companion {

void PluginSet::load(const std::string& folder, EventLog& log)
{
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file() && entry.path().extension() == ".so")
            files.push_back(entry.path());
    if (error) {
        log.note(EventKind::error, "plug-in folder " + folder + ": " + error.message());
        return;
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            log.note(EventKind::error, std::string("plug-in not loaded: ") + dlerror());
            continue;
        }
        auto entry = reinterpret_cast<pelund_companion_plugin_entry_fn>(dlsym(handle, PELUND_COMPANION_PLUGIN_ENTRY));
        const pelund_companion_plugin* p = entry ? entry() : nullptr;
        const char* why = !entry ? "no " PELUND_COMPANION_PLUGIN_ENTRY
                          : !p ? "no description"
                          : p->abi != PELUND_COMPANION_PLUGIN_ABI ? "another interface version"
                          : !p->name || !*p->name || std::strlen(p->name) > 255 ? "bad name"
                          : !p->version || std::strlen(p->version) > 5 ? "bad version"
                          : !p->open || !p->message_begin || !p->message_data || !p->message_end || !p->close
                              ? "missing callback"
                          : byName_.count(p->name) ? "name taken"
                                                   : nullptr;
        if (why) {
            log.note(EventKind::error, "plug-in " + file.string() + " not loaded: " + why);
            dlclose(handle);
            continue;
        }
        handles_.push_back(handle);
        byName_[p->name] = p;
        files_[p->name] = std::filesystem::absolute(file).string();
        log.note(EventKind::debug, std::string("plug-in ") + p->name + " " + p->version + " loaded from " +
                                       file.string());
    }
}

PluginSet::~PluginSet()
{
    for (void* h : handles_)
        dlclose(h);
}

const pelund_companion_plugin* PluginSet::find(const std::string& name) const
{
    auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
}

std::string PluginSet::fileOf(const std::string& name) const
{
    auto found = files_.find(name);
    return found == files_.end() ? std::string() : found->second;
}

std::vector<std::string> PluginSet::describe() const
{
    std::vector<std::string> out;
    for (const auto& [name, p] : byName_)
        out.push_back(name + " " + p->version);
    return out;
}

}  // namespace pelund::companion
