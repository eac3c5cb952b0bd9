// The registry's stand-in: values read from files in the registry's own
// export format (REGEDIT4 and "Windows Registry Editor Version 5.00" .reg
// files), one per hive. Read only.
//
//   HKLM, HKCR, HKCC, HKU   $PELUND_REGISTRY_DIR/<HIVE>.reg, by default
//                           /etc/PelundLib/registry/<HIVE>.reg
//   HKCU                    $XDG_CONFIG_HOME/PelundLib/registry/HKCU.reg,
//                           by default ~/.config/...
//
// Key paths and value names compare without regard to case. The file is
// read as a whole at each lookup; what a later line says wins, as when the
// file is imported ([-KEY] deletes a key with its subkeys, "name"=- a value).
#ifndef PELUND_PLATFORM_REGISTRY_STORE_H
#define PELUND_PLATFORM_REGISTRY_STORE_H

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

// The file of the hive ABBREVIATION; empty when there is none.
std::string registryFilePath(std::string_view abbreviation);

// Files larger than this are not read.
constexpr size_t kLargestRegistryFile = size_t(64) << 20;

}  // namespace pelund

#endif
