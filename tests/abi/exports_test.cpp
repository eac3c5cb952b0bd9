// The shared library exports exactly the functions the public headers
// declare, and the names of each second-name group are one function.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Every declaration names its function on the line of PELUND_API, just
// before the opening parenthesis.
std::set<std::string> declaredFunctions()
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PELUND_INCLUDE_DIR)) {
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            size_t api = line.find("PELUND_API");
            if (api == std::string::npos || line.find("#define") != std::string::npos)
                continue;
            size_t paren = line.find('(', api);
            if (paren == std::string::npos)
                continue;
            size_t begin = paren;
            while (begin > api && (std::isalnum((unsigned char)line[begin - 1]) || line[begin - 1] == '_'))
                --begin;
            if (begin < paren)
                names.insert(line.substr(begin, paren - begin));
        }
    }
    return names;
}

std::set<std::string> exportedFunctions()
{
    std::set<std::string> names;
    std::string command = std::string("nm -D --defined-only ") + PELUND_SO_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char address[64], kind[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, kind, name) == 3)
            names.insert(name);
    }
    pclose(pipe);
    return names;
}

struct Library {
    void* handle = dlopen(PELUND_SO_PATH, RTLD_NOW | RTLD_LOCAL);
    ~Library()
    {
        if (handle)
            dlclose(handle);
    }
};

}  // namespace

TEST(Exports, SharedLibraryExportsExactlyTheHeaders)
{
    std::set<std::string> declared = declaredFunctions();
    std::set<std::string> exported = exportedFunctions();
    ASSERT_FALSE(declared.empty());
    ASSERT_FALSE(exported.empty()) << "nm found nothing in " << PELUND_SO_PATH;
    for (const auto& name : declared)
        EXPECT_TRUE(exported.count(name)) << name << " is declared but not exported";
    for (const auto& name : exported)
        EXPECT_TRUE(declared.count(name)) << name << " is exported but not declared";
}

TEST(Exports, EveryDeclaredNameResolves)
{
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    for (const auto& name : declaredFunctions())
        EXPECT_NE(dlsym(lib.handle, name.c_str()), nullptr) << name;
}

TEST(Exports, SecondNamesAreOneFunction)
{
    const std::vector<std::vector<const char*>> groups = {
        {"psMisc_freeBuffer", "psStringDynamic_freeA", "psStringDynamic_freeW",
         "psMath_freeIntList", "vnDBUtils_freeList"},
        {"vnDBWin_allocateSQLDA", "vnDBWin_allocateSQLDW"},
        {"vnDBWin_freeSQLDADescriptorA", "vnDBWin_freeSQLDADescriptorW"},
        {"vnDBWin_freeStringsArrayA", "vnDBWin_freeStringsArrayW"},
        {"vnDBWin_openCursorWithIDW", "vnDBWin_openCursorWithIDT"},
    };
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    std::set<std::string> declared = declaredFunctions();
    for (const auto& group : groups) {
        void* first = dlsym(lib.handle, group[0]);
        ASSERT_NE(first, nullptr) << group[0];
        for (const char* name : group) {
            if (!declared.count(name))
                continue;  // a family not yet in the interface
            EXPECT_EQ(dlsym(lib.handle, name), first) << name << " differs from " << group[0];
        }
    }
}

TEST(Exports, FreeThroughASecondName)
{
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    using Calloc = void* (*)(uint64_t, uint64_t*);
    using Free = int (*)(void*);
    auto grant = reinterpret_cast<Calloc>(dlsym(lib.handle, "psMisc_callocBuffer"));
    auto release = reinterpret_cast<Free>(dlsym(lib.handle, "psMath_freeIntList"));
    ASSERT_TRUE(grant && release);
    uint64_t granted = 0;
    void* block = grant(100, &granted);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(release(&block), 0);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(release(&block), 0x8000);
}
