// The data source administrator, shown with a folder for file DSNs of the
// caller's choosing for as long as it is open.
#include "frame/guard.h"
#include "pelund/database_tables.h"
#include "platform/code_page.h"
#include "platform/db_files.h"
#include "platform/file_dsn_folder.h"

#include <optional>
#include <string>

namespace pelund {
namespace {

int openAdministrator(const char* defaultDir, const char* workingDir, void* parent)
{
    int status = 0;
    std::optional<std::string> old = readFileDsnFolder();
    bool restore = false;
    if (defaultDir) {
        status = writeFileDsnFolder(defaultDir);
        restore = old.has_value() && status == 0;
    }
    // When the folder cannot be entered, the administrator is shown from the
    // current one.
    if (workingDir)
        changeWorkingFolder(workingDir);
    showDataSourceAdministrator(parent, "Linewarden");
    if (restore)
        status = writeFileDsnFolder(*old);
    return status;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_openODBCAdminA(const char* default_dir, const char* working_dir,
                                      void* parent)
{
    return guarded(1, [&] { return openAdministrator(default_dir, working_dir, parent); });
}

PELUND_API int vnDBWin_openODBCAdminW(const ps_char16* default_dir, const ps_char16* working_dir,
                                      void* parent)
{
    return guarded(1, [&] {
        std::string d = default_dir ? utf16ToCodePage(default_dir) : std::string();
        std::string w = working_dir ? utf16ToCodePage(working_dir) : std::string();
        return openAdministrator(default_dir ? d.c_str() : nullptr, working_dir ? w.c_str() : nullptr,
                                 parent);
    });
}

}  // extern "C"
