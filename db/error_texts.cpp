// Reading stored messages and composing them into dialog paragraphs.
#include "db/database_error.h"
#include "db/error_buffer.h"
#include "frame/guard.h"
#include "frame/text_forms.h"
#include "pelund/database.h"
#include "platform/code_page.h"

#include <cstring>

using namespace pelund;

namespace {

const char16_t statementLine[] = u"The following SQL statement could not be processed:\n\n";
const char16_t serverLine[] = u"The database server returned the following error message:\n\n";

// The paragraph in UTF-16, the message cut at MESSAGE_LIMIT units.
std::u16string compose(const std::u16string* heading, const std::u16string* statement, int code,
                       size_t messageLimit)
{
    std::u16string out;
    if (heading)
        out += *heading + u"\n";
    if (statement)
        out += statementLine + *statement + u"\n";
    if (auto message = lookupErrorText(code))
        out += serverLine + message->substr(0, messageLimit);
    return out;
}

}  // namespace

namespace pelund {

void composeSqlErrorText(char16_t* output, const char16_t* heading, const char16_t* statement,
                         int code)
{
    std::u16string h = heading ? heading : u"", s = statement ? statement : u"";
    std::u16string text = compose(heading ? &h : nullptr, statement ? &s : nullptr, code, 511);
    text.resize(std::min<size_t>(text.size(), 1023));
    // Exactly 511 units: the text, then NULs.
    size_t n = std::min<size_t>(text.size(), 511);
    std::memcpy(output, text.data(), n * sizeof(char16_t));
    for (size_t k = n; k < 511; ++k)
        output[k] = 0;
}

}  // namespace pelund

extern "C" {

PELUND_API int vnDBWin_getErrorTextA(char* buffer, int code)
{
    return guarded(0, [&] {
        auto message = lookupErrorText(code);
        if (!message || !buffer)
            return 0;
        std::string narrow = utf16ToCodePage(*message);
        std::memcpy(buffer, narrow.c_str(), narrow.size() + 1);
        return 1;
    });
}

PELUND_API int vnDBWin_getErrorTextW(ps_char16* buffer, int code)
{
    return guarded(0, [&] {
        auto message = lookupErrorText(code);
        if (!message || !buffer)
            return 0;
        std::memcpy(buffer, message->c_str(), (message->size() + 1) * sizeof(char16_t));
        return 1;
    });
}

// What cannot be composed (memory) leaves an empty text.
PELUND_API int vnDBWin_getSQLErrorTextA(char* output, const char* heading, const char* statement,
                                        int code)
{
    if (!output)
        return 1;
    output[0] = '\0';
    return guarded(1, [&] {
        // The message is cut at 511 bytes of its 8-bit form.
        std::string out;
        if (heading)
            out += std::string(heading) + "\n";
        if (statement)
            out += "The following SQL statement could not be processed:\n\n" +
                   std::string(statement) + "\n";
        if (auto message = lookupErrorText(code))
            out += "The database server returned the following error message:\n\n" +
                   utf16ToCodePage(*message).substr(0, 511);
        std::memcpy(output, out.c_str(), out.size() + 1);
        return 1;
    });
}

PELUND_API int vnDBWin_getSQLErrorTextW(ps_char16* output, const ps_char16* heading,
                                        const ps_char16* statement, int code)
{
    if (!output)
        return 1;
    output[0] = 0;
    return guarded(1, [&] {
        composeSqlErrorText(output, heading, statement, code);
        return 1;
    });
}

}  // extern "C"
