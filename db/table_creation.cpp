// Creating tables: from a column description, or shaped like another table.
#include "db/catalog.h"
#include "db/create_statement.h"
#include "db/database_error.h"
#include "db/error_buffer.h"
#include "db/sqlda.h"
#include "db/statement_handle.h"
#include "frame/utf.h"
#include "pelund/database_tables.h"
#include "platform/code_page.h"
#include "platform/debug_output.h"

#include <cstring>
#include <string>

namespace pelund {

int createTable(const std::u16string& name, const SQLDA& record, const std::u16string& longText,
                char16_t* error)
{
    std::u16string statement = createStatement(name, record, longText);
    debugOutput("SQL Create syntax: " + utf16ToUtf8(statement) + "\n");
    int rc = processStatement(statement);
    if (rc != 0 && error)
        if (auto message = lookupErrorText(rc))
            writeErrorBuffer(error, *message);
    return rc;
}

int createTableLike(const std::u16string& name, const std::u16string& source,
                    const std::u16string& longText, char16_t* error)
{
    SQLDA description{};
    int rc = recorded(PS_FAILURE, PS_FAILURE, [&] { return describeTableW(&description, source); });
    if (rc != 0) {
        releaseRecord(&description);
        if (error)
            composeErrorBuffer(error, namingMessage(u"Error:  Couldn't describe table '%s'.", source),
                               nullptr, 0);
        return rc;
    }
    rc = createTable(name, description, longText, error);
    releaseRecord(&description);
    return rc;
}

int createTableLikeNarrow(const std::u16string& name, const std::u16string& source,
                          const std::u16string& longText, char* error)
{
    char16_t privateError[512] = {};
    int rc = createTableLike(name, source, longText, privateError);
    if (rc != 0 && error) {
        std::string narrow = utf16ToCodePage(privateError);
        std::memcpy(error, narrow.c_str(), narrow.size() + 1);
    }
    return rc;
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_createTableFromSqlData(const ps_char16* name, const SQLDA* record,
                                              const ps_char16* long_text_type, ps_char16* error)
{
    if (!name || !record)
        return PS_FAILURE;
    return recorded(0, PS_FAILURE, [&] {
        return createTable(name, *record, long_text_type ? long_text_type : u"", error);
    });
}

PELUND_API int vnDBWin_createTableW(const ps_char16* name, const ps_char16* source,
                                    const ps_char16* long_text_type, ps_char16* error)
{
    return recorded(0, PS_FAILURE, [&] {
        return createTableLike(name ? name : u"", source ? source : u"",
                               long_text_type ? long_text_type : u"", error);
    });
}

PELUND_API int vnDBWin_createTableA(const char* name, const char* source,
                                    const char* long_text_type, char* error)
{
    if (!name || !source)
        return 0;
    return recorded(0, PS_FAILURE, [&] {
        auto wide = [](const char* s) {
            std::u16string w = codePageToUtf16(s);
            if (w.size() > 511)
                w.resize(511);
            return w;
        };
        return createTableLikeNarrow(wide(name), wide(source), wide(long_text_type), error);
    });
}

}  // extern "C"
