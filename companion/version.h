// The server's own version, the protocol version it greets with, and where
// it looks for plug-ins unless told otherwise.
#ifndef PELUND_COMPANION_VERSION_H
#define PELUND_COMPANION_VERSION_H

#include <string>

namespace pelund::companion {

constexpr const char* serverVersionText = PELUND_COMPANION_VERSION;
// The version in the greeting: major.minor, from 5.0 on with the address.
constexpr const char* protocolVersionText = "5.1";

// The installed plug-in folder, found from the program's own place so that
// an installation can move (built in as a path relative to the program).
std::string defaultPluginFolder();
// The plug-in host program (companion-plugin-host), found the same way.
std::string pluginHostProgram();

}  // namespace pelund::companion

#endif
