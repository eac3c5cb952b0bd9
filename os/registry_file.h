// Registry export files (REGEDIT4 and "Windows Registry Editor Version
// 5.00" .reg files), read as the registry's stand-in, one file per hive
// (platform/registry_store finds the files).
//
// Key paths and value names compare without regard to case. The file is
// read as a whole at each lookup; what a later line says wins, as when the
// file is imported ([-KEY] deletes a key with its subkeys, "name"=- a value).
#ifndef PELUND_OS_REGISTRY_FILE_H
#define PELUND_OS_REGISTRY_FILE_H

#include <optional>
#include <string>
#include <string_view>

namespace pelund {

struct RegistryValue {
    bool isString = false;  // REG_SZ, written "..." or hex(1):
    std::u16string text;    // the string, for isString
    size_t size = 0;        // the data size in bytes as the registry keeps it
};

// The whole file in UTF-16: UTF-16LE with its byte-order mark, else UTF-8
// (byte-order mark optional), else Latin-1.
std::u16string decodeRegistryFile(std::string_view bytes);

// The value NAME (empty: the default value "@") of KEY, a path below the
// hive (empty: the hive's root), in TEXT, the decoded file of HIVE (an
// abbreviation such as "HKLM"; its sections may name it so or in full).
// *KEY_FOUND (may be null) tells whether the key or a key below it is
// defined. A line that does not parse whole defines nothing; a file without
// the format's first line holds nothing.
std::optional<RegistryValue> findRegistryValue(std::u16string_view text, std::string_view hive,
                                               std::u16string_view key, std::u16string_view name,
                                               bool* keyFound = nullptr);

// The full hive name for an abbreviation ("HKLM"), or null for another text.
const char* registryHiveName(std::string_view abbreviation);

}  // namespace pelund

#endif
