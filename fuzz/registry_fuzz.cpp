// The registry store's reader on arbitrary file bytes: the first line of the
// input names the key and the value to look up, the rest is the file.
#include <cstdlib>
#include <string>
#include <string_view>

#include "os/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    size_t end = bytes.find('\n');
    std::string_view query = bytes.substr(0, end);
    std::string_view file = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    size_t eq = query.find('=');
    std::u16string key(query.begin(), query.begin() + std::min(eq, query.size()));
    std::u16string name;
    if (eq != std::string_view::npos)
        name.assign(query.begin() + eq + 1, query.end());

    std::u16string text = pelund::decodeRegistryFile(file);
    for (const char* hive : {"HKLM", "HKCU"}) {
        bool found = false;
        auto value = pelund::findRegistryValue(text, hive, key, name, &found);
        if (value && !found)
            std::abort();
        if (value && value->isString && value->text.find(u'\0') != std::u16string::npos)
            std::abort();
        (void)pelund::findRegistryValue(text, hive, u"Software\\Pelund", u"", nullptr);
    }
    return 0;
}
