// CREATE TABLE text from a column description, in the type names of the
// connected driver.
#include "db/database_error.h"
#include "db/create_statement.h"
#include "db/error_buffer.h"
#include "pelund/database_tables.h"
#include "frame/utf.h"
#include "platform/code_page.h"
#include "platform/debug_output.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>
#include <string>


using namespace pelund;

extern "C" {

PELUND_API int vnDBWin_createTableFromSqlData(const ps_char16* name, const SQLDA* record,
                                              const ps_char16* long_text_type, ps_char16* error)
{
    if (!name || !record)
        return PS_FAILURE;
    try {
        std::u16string statement =
            createStatement(name, *record, long_text_type ? long_text_type : u"");
        debugOutput("SQL Create syntax: " + utf16ToUtf8(statement) + "\n");
        int rc = vnDBWin_processSQLW(statement.c_str());
        if (rc != 0 && error)
            if (auto message = lookupErrorText(rc))
                writeErrorBuffer(error, *message);
        return rc;
    } catch (...) {
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_createTableW(const ps_char16* name, const ps_char16* source,
                                    const ps_char16* long_text_type, ps_char16* error)
{
    try {
        SQLDA description{};
        int rc = vnDBWin_describeTableW(&description, source);
        if (rc != 0) {
            vnDBWin_freeSQLDADescriptorW(&description);
            if (error)
                composeErrorBuffer(error,
                                   namingMessage(u"Error:  Couldn't describe table '%s'.",
                                                 source ? source : u""),
                                   nullptr, 0);
            return rc;
        }
        rc = vnDBWin_createTableFromSqlData(name, &description, long_text_type, error);
        vnDBWin_freeSQLDADescriptorW(&description);
        return rc;
    } catch (...) {
        return PS_FAILURE;
    }
}

PELUND_API int vnDBWin_createTableA(const char* name, const char* source,
                                    const char* long_text_type, char* error)
{
    if (!name || !source)
        return 0;
    try {
        auto wide = [](const char* s) {
            std::u16string w = codePageToUtf16(s);
            if (w.size() > 511)
                w.resize(511);
            return w;
        };
        std::u16string n = wide(name), s = wide(source), l = wide(long_text_type);
        char16_t privateError[512] = {};
        int rc = vnDBWin_createTableW(n.c_str(), s.c_str(), long_text_type ? l.c_str() : nullptr,
                                      privateError);
        if (rc != 0 && error) {
            std::string narrow = utf16ToCodePage(privateError);
            std::memcpy(error, narrow.c_str(), narrow.size() + 1);
        }
        return rc;
    } catch (...) {
        return PS_FAILURE;
    }
}

}  // extern "C"
