// The standard folders by the XDG base-directory conventions.
#ifndef PELUND_PLATFORM_STANDARD_FOLDERS_H
#define PELUND_PLATFORM_STANDARD_FOLDERS_H

#include <string>

namespace pelund {

enum class StandardFolder {
    UserData,     // $XDG_DATA_HOME, else ~/.local/share
    SharedData,   // the first entry of $XDG_DATA_DIRS, else /usr/local/share
    Programs,     // /opt
    System,       // /usr/lib
    System64,     // the multiarch library folder, /usr/lib/<triplet>
};

// The folder's path; 0, or ENOENT when the home folder is unknown.
int standardFolderPath(StandardFolder which, std::string* path);

// $VARIABLE when it holds an absolute path, else BELOW_HOME under the home
// folder; empty when there is no home folder.
std::string xdgFolder(const char* variable, const char* belowHome);

}  // namespace pelund

#endif
