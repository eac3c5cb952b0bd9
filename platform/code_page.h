// The database layer's 8-bit text: the multibyte encoding of the current
// locale (what a Windows ANSI code page is to the same functions), to and
// from UTF-16. A character without a mapping becomes '?'.
#ifndef PELUND_PLATFORM_CODE_PAGE_H
#define PELUND_PLATFORM_CODE_PAGE_H

#include <string>
#include <string_view>

namespace pelund {

// A null TEXT gives an empty string.
std::u16string codePageToUtf16(const char* text);
std::string utf16ToCodePage(std::u16string_view text);

// UTF-8, whatever the locale: for diagnostic lines.
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace pelund

#endif
