#include "frame/text_forms.h"

#include <cstdlib>

namespace pelund {

char* wideToNarrowDup(const char16_t* text)
{
    if (!text)
        return nullptr;
    size_t n = strLen(text);
    char* copy = static_cast<char*>(std::malloc(n + 1));
    if (!copy)
        return nullptr;
    for (size_t i = 0; i < n; ++i)
        copy[i] = narrowFromWide(text[i]);
    copy[n] = '\0';
    return copy;
}

void freeNarrowDup(char* copy) { std::free(copy); }

char16_t* narrowToWideDup(const char* text)
{
    if (!text)
        return nullptr;
    size_t n = strLen(text);
    char16_t* copy = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
    if (!copy)
        return nullptr;
    for (size_t i = 0; i <= n; ++i)
        copy[i] = wideFromNarrow(text[i]);
    return copy;
}

}  // namespace pelund
