// Writing readable failure texts into a caller's error buffer of 512
// characters.
#ifndef PELUND_DB_ERROR_BUFFER_H
#define PELUND_DB_ERROR_BUFFER_H

#include <string>

namespace pelund {

// TEXT, cut to 511 characters, into BUFFER (may be null).
void writeErrorBuffer(char16_t* buffer, const std::u16string& text);

// The dialog paragraph of MESSAGE, STATEMENT (may be null) and the message
// stored for CODE, into BUFFER (may be null).
void composeErrorBuffer(char16_t* buffer, const std::u16string& message,
                        const std::u16string* statement, int code);

// The dialog paragraph of HEADING and STATEMENT (either may be null) and
// the message stored for CODE, in exactly 511 units of OUTPUT: the text cut
// there, then NULs (vnDBWin_getSQLErrorTextW).
void composeSqlErrorText(char16_t* output, const char16_t* heading, const char16_t* statement,
                         int code);

// A message naming one object: FORMAT with "%s" replaced by NAME, the text
// held to 255 characters.
std::u16string namingMessage(const char16_t* format, const std::u16string& name);

}  // namespace pelund

#endif
