// printf formatting with a UTF-16 format, for the W functions that take a
// format and arguments. Conversions follow printf; %s and %c take UTF-16
// text and units (%hs and %hc 8-bit ones), as wide printf does on the
// platforms these functions come from. %n is accepted and writes nothing.
#ifndef PELUND_TEXT_WIDE_FORMAT_H
#define PELUND_TEXT_WIDE_FORMAT_H

#include <cstdarg>
#include <string>

namespace pelund {

// Formats into OUT. False for a format the runtime rejects. May throw
// std::bad_alloc.
bool formatWide(std::u16string* out, const char16_t* format, va_list args);

}  // namespace pelund

#endif
