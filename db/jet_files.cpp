// Connect strings and file DSNs for desktop database files, made from a
// template file that holds the driver part.
#include "frame/guard.h"
#include "pelund/database_tables.h"
#include "platform/code_page.h"
#include "platform/file_replace.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace pelund {
namespace {

// The whole template file as 8-bit text, or none when it cannot be read.
std::optional<std::string> readTemplate(const char16_t* path)
{
    std::string text;
    if (!readWholeFile(utf16ToCodePage(path), &text))
        return std::nullopt;
    return text;
}

int connectString(char16_t* output, int capacity, const char16_t* templatePath,
                  const char16_t* database)
{
    output[0] = 0;
    auto text = readTemplate(templatePath);
    if (!text)
        return 1;
    std::u16string dbq = u"DBQ=" + std::u16string(database).substr(0, 295);
    std::u16string result = codePageToUtf16(text->c_str()) + dbq;
    // The whole result stays within the caller's capacity.
    size_t n = std::min(result.size(), size_t(capacity) - 1);
    std::memcpy(output, result.data(), n * sizeof(char16_t));
    output[n] = 0;
    return text->empty() ? 1 : 0;
}

int fileDsn(char16_t* output, const char16_t* templatePath, const char16_t* location,
            const char16_t* database)
{
    output[0] = 0;
    auto text = readTemplate(templatePath);
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
    std::string body = *text + "\nDBQ=" + utf16ToCodePage(database) + "\n";
    if (replaceFileLocked(utf16ToCodePage(path), [&](const std::string&) { return body; }) != 0)
        return 1;
    std::u16string result = u"FileDSN=" + path;
    std::memcpy(output, result.c_str(), (result.size() + 1) * sizeof(char16_t));
    return 0;
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
    return guarded(1, [&] { return connectString(output, capacity, template_path, database); });
}

PELUND_API int vnDBWin_createJetFileDSN(ps_char16* output, const ps_char16* template_path,
                                        const ps_char16* location, const ps_char16* database)
{
    if (!output || !template_path || !database || !location)
        return 1;
    return guarded(1, [&] { return fileDsn(output, template_path, location, database); });
}

}  // extern "C"
