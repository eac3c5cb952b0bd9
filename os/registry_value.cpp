// Registry values from the registry store.
#include <string>

#include "frame/guard.h"
#include "frame/utf.h"
#include "os/registry_file.h"
#include "pelund/system.h"
#include "platform/file_replace.h"
#include "platform/registry_store.h"

namespace pelund {
namespace {

constexpr size_t kValueBuffer = 1000;  // bytes; larger values are refused

bool isSoftwareKey(std::u16string_view key)
{
    static constexpr std::u16string_view software = u"software";
    if (key.size() < software.size() || (key.size() > software.size() && key[software.size()] != u'\\'))
        return false;
    for (size_t k = 0; k < software.size(); ++k)
        if ((key[k] | 0x20) != software[k])
            return false;
    return true;
}

// The 32-bit view's twin: Software\Wow6432Node\... (for the classes root,
// Wow6432Node\...).
std::u16string wow64Twin(std::string_view hive, std::u16string_view key)
{
    while (!key.empty() && key.front() == u'\\')
        key.remove_prefix(1);
    if (hive == "HKCR")
        return std::u16string(u"Wow6432Node\\") += key;
    if (!isSoftwareKey(key))
        return std::u16string();
    std::u16string twin(key.substr(0, 8));
    twin += u"\\Wow6432Node";
    twin += key.substr(8);
    return twin;
}

int readValue(ps_char16* out, const ps_char16* hive, const ps_char16* subkey, const ps_char16* name,
              int capacity, int view)
{
    if (!hive)
        return PS_FAILURE;
    std::string abbreviation = utf16ToUtf8(hive);
    if (!registryHiveName(abbreviation))
        return PS_FAILURE;
    std::string bytes;
    if (!readWholeFile(registryFilePath(abbreviation), &bytes, kLargestRegistryFile))
        return PS_FAILURE;
    std::u16string text = decodeRegistryFile(bytes);
    std::u16string key = subkey ? subkey : u"";
    std::u16string valueName = name ? name : u"";

    std::optional<RegistryValue> value;
    bool twinFound = false;
    if (view == 1) {
        std::u16string twin = wow64Twin(abbreviation, key);
        if (!twin.empty())
            value = findRegistryValue(text, abbreviation, twin, valueName, &twinFound);
    }
    if (!twinFound)
        value = findRegistryValue(text, abbreviation, key, valueName);
    if (!value || value->size > kValueBuffer)
        return PS_FAILURE;
    if (value->isString && out) {
        // As wcsncpy: the rest zero-filled, no terminator when it is full.
        size_t n = capacity > 0 ? size_t(capacity) : 0;
        for (size_t k = 0; k < n; ++k)
            out[k] = k < value->text.size() ? value->text[k] : 0;
    }
    return 0;
}

}  // namespace
}  // namespace pelund

extern "C" {

PELUND_API int psWinAPI_readRegistryValue(ps_char16* value, const ps_char16* hive, const ps_char16* subkey,
                                          const ps_char16* name, int capacity, int view)
{
    return pelund::guarded(PS_FAILURE, [&] {
        return pelund::readValue(value, hive, subkey, name, capacity, view);
    });
}

}  // extern "C"
