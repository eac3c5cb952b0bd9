// Where the data source administrator offers file DSNs: the value
// FileDSNPath of the [ODBC] section of odbcinst.ini (what the per-user
// registry value DefaultDSNDir is on Windows), and showing the administrator.
#ifndef PELUND_PLATFORM_FILE_DSN_FOLDER_H
#define PELUND_PLATFORM_FILE_DSN_FOLDER_H

#include <optional>
#include <string>

namespace pelund {

// The current folder, or none when the setting is not there.
std::optional<std::string> readFileDsnFolder();

// Sets the folder; 0, or a non-zero status when it cannot be written.
int writeFileDsnFolder(const std::string& folder);

// Shows the administrator (SQLManageDataSources). When it cannot be shown,
// the installer's message goes to the message-box stand-in: the standard
// error stream and the debug output channel, under TITLE.
void showDataSourceAdministrator(void* parent, const char* title);

}  // namespace pelund

#endif
