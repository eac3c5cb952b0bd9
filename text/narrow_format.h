// printf formatting into a string of whatever length the text takes.
#ifndef PELUND_TEXT_NARROW_FORMAT_H
#define PELUND_TEXT_NARROW_FORMAT_H

#include <cstdarg>
#include <string>

namespace pelund {

// Formats into OUT. False for a format the runtime rejects. May throw
// std::bad_alloc. ARGS is left for the caller to end.
bool formatNarrow(std::string* out, const char* format, va_list args);

}  // namespace pelund

#endif
