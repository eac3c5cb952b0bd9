// Tidying the decimals of a number written as text.
#include "numeric/decimal_text.h"

#include "frame/text_forms.h"
#include "pelund/numeric.h"

#include <string>

namespace pelund {
namespace {

template <class Ch>
bool isBlank(Ch c)
{
    return c == ' ' || c == '\t';
}

template <class Ch>
int trimDouble(Ch* text, int decimals)
{
    if (!text || !*text)
        return PS_FAILURE;
    std::basic_string<Ch> s;
    try {
        s = text;
    } catch (...) {
        return PS_SUCCESS;  // no working copy: the text stays as it is
    }
    size_t lead = 0;
    while (lead < s.size() && isBlank(s[lead]))
        ++lead;
    s.erase(0, lead);
    size_t point = s.find(Ch('.'));
    // Zeros are dropped only after a point: in "100" they are the number.
    while (!s.empty() && (isBlank(s.back()) || (point != s.npos && s.back() == '0')))
        s.pop_back();
    if (point != s.npos) {
        size_t after = s.size() - point - 1;
        if (decimals > 0 && after < size_t(decimals))
            s.append(size_t(decimals) - after, Ch('0'));
    }
    std::char_traits<Ch>::copy(text, s.c_str(), s.size() + 1);
    return PS_SUCCESS;
}

}  // namespace

int trimDecimalText(char* text, int decimals) { return trimDouble(text, decimals); }
int trimDecimalText(char16_t* text, int decimals) { return trimDouble(text, decimals); }

}  // namespace pelund

extern "C" {

PELUND_API int psMath_trimDoubleAsStringA(char* text, int decimals)
{
    return pelund::trimDecimalText(text, decimals);
}

PELUND_API int psMath_trimDoubleAsStringW(ps_char16* text, int decimals)
{
    return pelund::trimDecimalText(text, decimals);
}

}  // extern "C"
