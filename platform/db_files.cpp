#include "platform/db_files.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <string>

namespace pelund {
namespace {

std::string_view lastPart(std::string_view path)
{
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

struct Search {
    std::string_view name;
    std::string path;
};

int visit(dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<Search*>(data);
    if (info->dlpi_name && *info->dlpi_name && lastPart(info->dlpi_name) == search->name) {
        search->path = info->dlpi_name;
        return 1;
    }
    return 0;
}

}  // namespace

bool loadedObjectDefines(std::string_view file, const char* symbol)
{
    Search search{lastPart(file), {}};
    if (search.name.empty() || !dl_iterate_phdr(visit, &search))
        return false;
    void* handle = dlopen(search.path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return false;
    // Only the object itself: a symbol of one of its dependencies (the
    // driver manager's own entry points among them) does not count.
    Dl_info where{};
    void* address = dlsym(handle, symbol);
    bool own = address && dladdr(address, &where) && where.dli_fname &&
               lastPart(where.dli_fname) == search.name;
    dlclose(handle);
    return own;
}

bool changeWorkingFolder(const char* folder) { return chdir(folder) == 0; }

}  // namespace pelund
