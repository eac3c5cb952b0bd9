#include "platform/user_locale.h"

#include <clocale>

namespace pelund {

void passThroughUserLocale()
{
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_ALL, "C");
}

const char* characterTypeLocale() { return std::setlocale(LC_CTYPE, nullptr); }

}  // namespace pelund
