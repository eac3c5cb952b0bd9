// Where the registry's stand-in keeps its files: one .reg export file per
// hive (os/registry_file reads them).
//
//   HKLM, HKCR, HKCC, HKU   $PELUND_REGISTRY_DIR/<HIVE>.reg, by default
//                           /etc/PelundLib/registry/<HIVE>.reg
//   HKCU                    $XDG_CONFIG_HOME/PelundLib/registry/HKCU.reg,
//                           by default ~/.config/...
#ifndef PELUND_PLATFORM_REGISTRY_STORE_H
#define PELUND_PLATFORM_REGISTRY_STORE_H

#include <cstddef>
#include <string>
#include <string_view>

namespace pelund {

// The file of the hive ABBREVIATION, one of HKLM, HKCR, HKCC, HKU and HKCU;
// empty when there is none.
std::string registryFilePath(std::string_view abbreviation);

// Files larger than this are not read.
constexpr size_t kLargestRegistryFile = size_t(64) << 20;

}  // namespace pelund

#endif
