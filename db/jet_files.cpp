// Connect strings and file DSNs for desktop database files, made from a
// template file that holds the driver part, and the data source
// administrator with a folder for file DSNs.
#include "pelund/database_tables.h"
#include "platform/code_page.h"
#include "platform/file_dsn_folder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace pelund {
namespace {

// The whole template file as 8-bit text, or none when it cannot be read.
std::optional<std::string> readTemplate(const char16_t* path)
{
    std::FILE* f = std::fopen(utf16ToCodePage(path).c_str(), "r");
    if (!f)
        return std::nullopt;
    std::string text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        text.append(chunk, n);
    std::fclose(f);
    return text;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_createJetConnectStr(ps_char16* output, int capacity,
                                           const ps_char16* template_path,
                                           const ps_char16* database)
{
    if (!output || !template_path || !database || capacity <= 0)
        return 1;
    try {
        output[0] = 0;
        auto text = readTemplate(template_path);
        if (!text)
            return 1;
        std::u16string dbq = u"DBQ=" + std::u16string(database).substr(0, 295);
        std::u16string result = codePageToUtf16(text->c_str()) + dbq;
        // The whole result stays within the caller's capacity.
        size_t n = std::min(result.size(), size_t(capacity) - 1);
        std::memcpy(output, result.data(), n * sizeof(char16_t));
        output[n] = 0;
        return text->empty() ? 1 : 0;
    } catch (...) {
        return 1;
    }
}

PELUND_API int vnDBWin_createJetFileDSN(ps_char16* output, const ps_char16* template_path,
                                        const ps_char16* location, const ps_char16* database)
{
    if (!output || !template_path || !database || !location)
        return 1;
    try {
        output[0] = 0;
        auto text = readTemplate(template_path);
        if (!text || text->empty())
            return 1;
        // Drive and folder of the location: everything up to its last
        // separator, '/' or '\'.
        std::u16string where(location);
        size_t cut = where.find_last_of(u"/\\");
        std::u16string folder = cut == std::u16string::npos ? u"" : where.substr(0, cut + 1);
        std::u16string path = folder + u"test.dsn";
        if (path.size() > 255)
            return 1;
        std::FILE* f = std::fopen(utf16ToCodePage(path).c_str(), "w");
        if (!f)
            return 1;
        std::string body = *text + "\nDBQ=" + utf16ToCodePage(database) + "\n";
        bool written = std::fwrite(body.data(), 1, body.size(), f) == body.size();
        written = std::fclose(f) == 0 && written;
        if (!written)
            return 1;
        std::u16string result = u"FileDSN=" + path;
        std::memcpy(output, result.c_str(), (result.size() + 1) * sizeof(char16_t));
        return 0;
    } catch (...) {
        return 1;
    }
}

PELUND_API int vnDBWin_openODBCAdminA(const char* default_dir, const char* working_dir,
                                      void* parent)
{
    try {
        int status = 0;
        std::optional<std::string> old = readFileDsnFolder();
        bool restore = false;
        if (default_dir) {
            status = writeFileDsnFolder(default_dir);
            restore = old.has_value() && status == 0;
        }
        if (working_dir && chdir(working_dir) != 0) {
            // The administrator is shown from the current folder then.
        }
        showDataSourceAdministrator(parent, "Linewarden");
        if (restore)
            status = writeFileDsnFolder(*old);
        return status;
    } catch (...) {
        return 1;
    }
}

PELUND_API int vnDBWin_openODBCAdminW(const ps_char16* default_dir, const ps_char16* working_dir,
                                      void* parent)
{
    try {
        std::string d = default_dir ? utf16ToCodePage(default_dir) : std::string();
        std::string w = working_dir ? utf16ToCodePage(working_dir) : std::string();
        return vnDBWin_openODBCAdminA(default_dir ? d.c_str() : nullptr,
                                      working_dir ? w.c_str() : nullptr, parent);
    } catch (...) {
        return 1;
    }
}

}  // extern "C"
