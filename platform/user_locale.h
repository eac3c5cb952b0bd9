// The process locale: set around the drawing functions' path handling, asked
// by the file streams, and kept out of number reading.
#ifndef PELUND_PLATFORM_USER_LOCALE_H
#define PELUND_PLATFORM_USER_LOCALE_H

namespace pelund {

// Sets the process locale to the user's (from the environment) and then to
// "C": the path is converted under the user's locale, which is then left at
// "C" for the process, as callers of the drawing functions have always seen.
void passThroughUserLocale();

// The name of the C library's character-type locale of the moment (what
// setlocale chose); null when it has none.
const char* characterTypeLocale();

// TEXT read as strtod reads it in the "C" locale ('.' as the decimal point),
// whatever the process locale is.
double decimalInCLocale(const char* text);

}  // namespace pelund

#endif
