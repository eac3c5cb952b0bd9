#include "platform/user_locale.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <stdlib.h>

namespace pelund {

void passThroughUserLocale()
{
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_ALL, "C");
}

const char* characterTypeLocale() { return std::setlocale(LC_CTYPE, nullptr); }

double decimalInCLocale(const char* text)
{
    // A locale object of our own: the process locale may use another
    // decimal point.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    if (!cLocale)
        return std::atof(text);
    return strtod_l(text, nullptr, cLocale);
}

}  // namespace pelund
