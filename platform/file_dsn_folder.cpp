#include "platform/file_dsn_folder.h"

#include "platform/debug_output.h"

#include <odbcinst.h>

#include <cstdio>

namespace pelund {

std::optional<std::string> readFileDsnFolder()
{
    char value[512] = {};
    int n = SQLGetPrivateProfileString("ODBC", "FileDSNPath", "", value, sizeof value,
                                       "odbcinst.ini");
    if (n <= 0 || !value[0])
        return std::nullopt;
    return std::string(value);
}

int writeFileDsnFolder(const std::string& folder)
{
    return SQLWritePrivateProfileString("ODBC", "FileDSNPath", folder.c_str(), "odbcinst.ini")
               ? 0
               : 1;
}

void showDataSourceAdministrator(void* parent, const char* title)
{
    if (SQLManageDataSources(static_cast<HWND>(parent)))
        return;
    DWORD code = 0;
    char message[1024] = {};
    WORD length = 0;
    if (SQLInstallerError(1, &code, message, sizeof message - 1, &length) != SQL_SUCCESS)
        std::snprintf(message, sizeof message, "The data source administrator cannot be shown.");
    std::fprintf(stderr, "%s: %s\n", title, message);
    debugOutput(std::string(title) + ": " + message);
}

}  // namespace pelund
