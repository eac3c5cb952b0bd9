// Strings that the library grows for its callers.
#include "text/dynamic_strings.h"

#include "frame/text_forms.h"
#include "pelund/lists.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pelund {
namespace {

constexpr size_t formatArea = 1024;  // one formatted piece

template <class Ch>
int addDynamic(Ch** string, const Ch* text)
{
    if (!string || !text)
        return PS_FAILURE;
    size_t old = *string ? strLen(*string) : 0, n = strLen(text);
    auto* grown = static_cast<Ch*>(std::realloc(*string, (old + n + 1) * sizeof(Ch)));
    if (!grown)
        return PS_FAILURE;
    std::memcpy(grown + old, text, (n + 1) * sizeof(Ch));
    *string = grown;
    return PS_SUCCESS;
}

}  // namespace

int appendDynamic(char** string, const char* text) { return addDynamic(string, text); }
int appendDynamic(char16_t** string, const char16_t* text) { return addDynamic(string, text); }

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psStringDynamic_addA(char** string, const char* text)
{
    return appendDynamic(string, text);
}

PELUND_API int psStringDynamic_addW(ps_char16** string, const ps_char16* text)
{
    return appendDynamic(string, text);
}

PELUND_API int psStringDynamic_addV(char** string, const char* format, ...)
{
    if (!string || !format)
        return PS_FAILURE;
    char text[formatArea];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n <= 0)
        return PS_FAILURE;
    return appendDynamic(string, text);
}

}  // extern "C"
